#include "io/documentscanner.h"

#include "io/xmlbytes.h"

#include "io/objectkind.h"
#include "io/xmlvalues.h"

#include <QCoreApplication>
#include <QMetaType>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace Trelvoa {

namespace {

using Byte = unsigned char;

// ordinary: printable ASCII that means nothing in attribute values and text (the quotes and ']' are
// left out, as their meaning depends on where they stand); name: the bytes of the plain names read here.
struct ByteTables
{
    bool ordinary[256] = {};
    bool name[256] = {};
    constexpr ByteTables()
    {
        for (int c = 0x20; c < 0x80; ++c)
            ordinary[c] = c != '"' && c != '\'' && c != '<' && c != '&' && c != ']';
        for (int c = 0; c < 256; ++c)
            name[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                || c == '-' || c == '.';
    }
};
constexpr ByteTables kBytes;

using XmlBytes::isSpace;
using XmlBytes::isXmlChar;
using XmlBytes::readReference;
using XmlBytes::readUtf8;

// What a name means to the scanner; each name is looked at once, when it is first met.
enum Role {
    OtherName,
    IdName,
    ParentName,
    IndexName,
    PartialName,
    NameName,
    KeyName,
    TypeName,
    ValueTag,
    PropertyTag,
    GeometryTag,
    NetworkTag,
    VersionName,
    FragmentName,
    ProjectionName,
    OffsetName,
    BoundName,
};

struct Name
{
    QByteArray key;
    QString text; // shared by every element and attribute of that name, as DocumentParser shares it
    Role role = OtherName;
    const ObjectKind *kind = nullptr;
    quint64 lastTag = 0; // the last start tag that had it as an attribute, to find one given twice
};

// An attribute value or element text as it stands in the input; plain when its bytes are its
// characters (ASCII, nothing to resolve or normalise).
struct Value
{
    const Byte *begin = nullptr;
    const Byte *end = nullptr;
    bool plain = true;
};

struct Attribute
{
    Name *name;
    Value value;
};

bool isContainerType(int type)
{
    return type == QMetaType::QVariantList || type == QMetaType::QVariantMap;
}

class Scanner
{
public:
    Scanner(const Byte *begin, const Byte *end, const DocumentParser::Progress &progress,
            bool rootClosedAtEnd, int openRootVersion)
        : m_data(begin),
          m_base(begin),
          m_p(begin),
          m_end(end),
          m_counted(begin),
          m_progress(progress),
          m_rootClosedAtEnd(rootClosedAtEnd),
          m_openRootVersion(openRootVersion),
          m_table(kTableSize, nullptr)
    {
    }

    bool readDocument(SavedDocument *document);
    bool cancelled() const { return m_cancelled; }
    QString error() const { return m_error; }

private:
    // Distinct names of one input; more are left to DocumentParser (a hostile file may have any number).
    static constexpr int kMaxNames = 1024;
    static constexpr int kTableSize = 2048;
    // Dynamic properties of one object (entries of one map) are checked for a repeated name pair by
    // pair; more are left to DocumentParser, whose sets do not slow down with their number.
    static constexpr int kMaxEntries = 64;

    bool readDeclaration();
    bool readPseudoAttribute(const char *name, QByteArray *value);
    bool readRoot(Name *tag, bool empty);
    bool readRootContent(Name *tag);
    bool readObject(Name *tag, bool empty, int parent, int depth);
    bool readItem(Name *tag, bool empty, int object);
    bool readProperty(Name *tag, bool empty, int object);
    bool readValue(SavedValue *value, Name *tag, bool empty, bool named, int depth);
    bool skipGeometry(Name *tag, bool empty);

    bool skipSpace();
    bool skipMisc();
    bool atComment(const Byte *p) const { return m_end - p >= 4 && std::memcmp(p, "<!--", 4) == 0; }
    bool skipComment(const Byte *&p) const;
    bool atEndTag() const { return m_end - m_p >= 2 && m_p[1] == '/'; }
    bool readStartTag(Name **name, bool *empty);
    bool readEndTag(const Name *name);
    Name *readName();
    Name *intern(const Byte *begin, const Byte *end);
    bool readAttributeValue(Value *value);
    bool readText(Value *value);
    bool readInt(const Value &value, int *out) const;
    static QString decode(const Value &value, bool attribute);
    static QString toString(const Value &value, bool attribute = true)
    {
        if (value.plain)
            return QString::fromLatin1(reinterpret_cast<const char *>(value.begin),
                                       int(value.end - value.begin));
        return decode(value, attribute);
    }
    SavedPosition position();

    const Byte *const m_data;
    const Byte *m_base; // where columns of the first line count from (past a byte order mark)
    const Byte *m_p;
    const Byte *const m_end;
    // Lines and columns are counted when asked for, from where the last count stopped.
    const Byte *m_counted;
    qint64 m_line = 1;
    qint64 m_column = 0;

    const DocumentParser::Progress &m_progress;
    const bool m_rootClosedAtEnd;
    const int m_openRootVersion;
    bool m_endedInRoot = false;
    SavedDocument *m_document = nullptr;
    int m_objects = 0;
    bool m_cancelled = false;
    QString m_error;

    std::vector<std::unique_ptr<Name>> m_names;
    std::vector<Name *> m_table; // open addressing by hash of the bytes
    std::vector<Attribute> m_attributes; // of the last start tag
    quint64 m_tags = 0;
    QString m_typeName; // the last property type and its id: files repeat one or two
    int m_type = 0;
};

SavedPosition Scanner::position()
{
    XmlBytes::countPosition(m_base, m_counted, m_p, &m_line, &m_column);
    m_counted = m_p;
    return {m_line, m_column};
}

bool Scanner::skipSpace()
{
    const Byte *start = m_p;
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return m_p != start;
}

bool Scanner::skipComment(const Byte *&p) const
{
    p += 4;
    while (p < m_end) {
        const Byte c = *p;
        if (c == '-') {
            if (m_end - p >= 2 && p[1] == '-') {
                // "--" only as the end.
                if (m_end - p >= 3 && p[2] == '>') {
                    p += 3;
                    return true;
                }
                return false;
            }
            ++p;
        } else if ((c >= 0x20 && c < 0x80) || c == '\n' || c == '\t' || c == '\r') {
            ++p;
        } else {
            char32_t cp;
            if (c < 0x80 || !readUtf8(p, m_end, &cp))
                return false;
        }
    }
    return false;
}

bool Scanner::skipMisc()
{
    // Whitespace and comments between elements, up to the next tag or the end. Any other text is either
    // a fault or (character references to blanks) a case for the XML reader.
    for (;;) {
        skipSpace();
        if (m_p == m_end)
            return true;
        if (*m_p != '<')
            return false;
        if (!atComment(m_p))
            return true;
        if (!skipComment(m_p))
            return false;
    }
}

Name *Scanner::intern(const Byte *begin, const Byte *end)
{
    const int length = int(end - begin);
    quint32 hash = 2166136261u;
    for (const Byte *p = begin; p < end; ++p)
        hash = (hash ^ *p) * 16777619u;
    size_t i = hash & (kTableSize - 1);
    while (Name *n = m_table[i]) {
        if (n->key.size() == length && std::memcmp(n->key.constData(), begin, length) == 0)
            return n;
        i = (i + 1) & (kTableSize - 1);
    }
    if (int(m_names.size()) >= kMaxNames)
        return nullptr;
    // Plain names only: "xml..." names and prefixes are the XML reader's (namespace declarations are
    // not attributes to it).
    const Byte first = *begin;
    const bool start = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_';
    if (!start
        || (length >= 3 && (begin[0] | 0x20) == 'x' && (begin[1] | 0x20) == 'm' && (begin[2] | 0x20) == 'l'))
        return nullptr;
    auto name = std::make_unique<Name>();
    name->key = QByteArray(reinterpret_cast<const char *>(begin), length);
    name->text = QString::fromLatin1(name->key);
    name->kind = ObjectKind::byTag(name->text);
    static const struct
    {
        const char *text;
        Role role;
    } roles[] = {{"id", IdName},
                 {"parent", ParentName},
                 {"index", IndexName},
                 {"partial", PartialName},
                 {"name", NameName},
                 {"key", KeyName},
                 {"type", TypeName},
                 {"value", ValueTag},
                 {"property", PropertyTag},
                 {"geometry", GeometryTag},
                 {"network", NetworkTag},
                 {"version", VersionName},
                 {"fragment", FragmentName},
                 {"projection", ProjectionName},
                 {"offset", OffsetName},
                 {"bound", BoundName}};
    for (const auto &r : roles) {
        if (name->key == r.text)
            name->role = r.role;
    }
    m_table[i] = name.get();
    m_names.push_back(std::move(name));
    return m_table[i];
}

Name *Scanner::readName()
{
    const Byte *start = m_p;
    while (m_p < m_end && kBytes.name[*m_p])
        ++m_p;
    return m_p == start ? nullptr : intern(start, m_p);
}

bool Scanner::readAttributeValue(Value *value)
{
    const Byte quote = *m_p++;
    const Byte *p = m_p;
    bool plain = true;
    for (;;) {
        if (p == m_end)
            return false;
        const Byte c = *p;
        if (kBytes.ordinary[c]) {
            ++p;
            continue;
        }
        if (c == quote)
            break;
        char32_t cp;
        if (c == '"' || c == '\'' || c == ']') {
            ++p;
        } else if (c == '&') {
            if (!readReference(p, m_end, &cp))
                return false;
            plain = false;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            plain = false;
            ++p;
        } else if (c >= 0x80) {
            if (!readUtf8(p, m_end, &cp))
                return false;
            plain = false;
        } else {
            return false; // '<' or a control character
        }
    }
    // A value takes at most as many UTF-16 code units as bytes.
    if (p - m_p > DocumentParser::kMaxValueLength)
        return false;
    *value = Value {m_p, p, plain};
    m_p = p + 1;
    return true;
}

bool Scanner::readText(Value *value)
{
    // Up to the next tag that is no comment (comments are skipped, as DocumentParser skips them).
    const Byte *p = m_p;
    bool plain = true;
    for (;;) {
        if (p == m_end)
            return false;
        const Byte c = *p;
        if (kBytes.ordinary[c] || c == '\n' || c == '\t' || c == '"' || c == '\'') {
            ++p;
            continue;
        }
        char32_t cp;
        if (c == '<') {
            if (!atComment(p))
                break;
            if (!skipComment(p))
                return false;
            plain = false;
        } else if (c == '&') {
            if (!readReference(p, m_end, &cp))
                return false;
            plain = false;
        } else if (c == '\r') {
            plain = false;
            ++p;
        } else if (c == ']') {
            // "]]>" may not stand in text; "]]" is left to the XML reader in any case.
            if (m_end - p >= 2 && p[1] == ']')
                return false;
            ++p;
        } else if (c >= 0x80) {
            if (!readUtf8(p, m_end, &cp))
                return false;
            plain = false;
        } else {
            return false;
        }
    }
    if (p - m_p > DocumentParser::kMaxValueLength)
        return false;
    *value = Value {m_p, p, plain};
    m_p = p;
    return true;
}

QString Scanner::decode(const Value &value, bool attribute)
{
    // The value was checked when it was read. In attribute values a literal tab, line feed or carriage
    // return is a space (CR LF one space), in text CR LF and a lone CR are a line feed; characters from
    // references stay as they are.
    QString out(int(value.end - value.begin), Qt::Uninitialized);
    QChar *o = out.data();
    const Byte *p = value.begin;
    while (p < value.end) {
        const Byte c = *p;
        char32_t cp = c;
        if (c >= 0x80) {
            readUtf8(p, value.end, &cp);
        } else if (c == '&') {
            readReference(p, value.end, &cp);
        } else if (c == '\r') {
            if (++p < value.end && *p == '\n')
                ++p;
            cp = attribute ? ' ' : '\n';
        } else if (c == '<') {
            // A comment within text: it has no "--" before its end.
            p += 4;
            while (!(p[0] == '-' && p[1] == '-'))
                ++p;
            p += 3;
            continue;
        } else {
            ++p;
            if (attribute && (c == '\t' || c == '\n'))
                cp = ' ';
        }
        if (cp >= 0x10000) {
            *o++ = QChar(QChar::highSurrogate(cp));
            *o++ = QChar(QChar::lowSurrogate(cp));
        } else {
            *o++ = QChar(char16_t(cp));
        }
    }
    out.resize(int(o - out.constData()));
    return out;
}

bool Scanner::readInt(const Value &value, int *out) const
{
    // Ids are short runs of digits: read without making a string. Anything else as XmlValues reads it.
    const qint64 length = value.end - value.begin;
    if (value.plain && length > 0 && length <= 9) {
        int v = 0;
        for (const Byte *p = value.begin; p < value.end; ++p) {
            if (*p < '0' || *p > '9')
                return XmlValues::parseInt(toString(value), out);
            v = v * 10 + (*p - '0');
        }
        *out = v;
        return true;
    }
    return XmlValues::parseInt(toString(value), out);
}

bool Scanner::readStartTag(Name **name, bool *empty)
{
    // At '<'. Attributes go to m_attributes, which the next start tag overwrites.
    ++m_p;
    *name = readName();
    if (!*name)
        return false;
    m_attributes.clear();
    ++m_tags;
    for (;;) {
        const bool space = skipSpace();
        if (m_p == m_end)
            return false;
        if (*m_p == '>') {
            ++m_p;
            *empty = false;
            return true;
        }
        if (*m_p == '/') {
            if (m_end - m_p < 2 || m_p[1] != '>')
                return false;
            m_p += 2;
            *empty = true;
            return true;
        }
        if (!space)
            return false;
        Name *attribute = readName();
        if (!attribute)
            return false;
        if (!XmlBytes::skipToValue(m_p, m_end))
            return false;
        Value value;
        if (!readAttributeValue(&value) || attribute->lastTag == m_tags)
            return false;
        attribute->lastTag = m_tags;
        m_attributes.push_back(Attribute {attribute, value});
    }
}

bool Scanner::readEndTag(const Name *name)
{
    // At "</".
    const int length = name->key.size();
    if (m_end - m_p < length + 3 || std::memcmp(m_p + 2, name->key.constData(), length) != 0)
        return false;
    m_p += 2 + length;
    skipSpace();
    if (m_p == m_end || *m_p != '>')
        return false;
    ++m_p;
    return true;
}

bool Scanner::readPseudoAttribute(const char *name, QByteArray *value)
{
    const size_t length = std::strlen(name);
    if (size_t(m_end - m_p) < length || std::memcmp(m_p, name, length) != 0)
        return false;
    m_p += length;
    if (!XmlBytes::skipToValue(m_p, m_end))
        return false;
    const Byte quote = *m_p++;
    const Byte *start = m_p;
    while (m_p < m_end && (kBytes.name[*m_p]))
        ++m_p;
    if (m_p == m_end || *m_p != quote)
        return false;
    *value = QByteArray(reinterpret_cast<const char *>(start), int(m_p - start));
    ++m_p;
    return true;
}

bool Scanner::readDeclaration()
{
    // <?xml version="1.0" [encoding="UTF-8"] [standalone="yes"|"no"]?>; other encodings are the XML
    // reader's.
    m_p += 5;
    QByteArray value;
    if (!skipSpace() || !readPseudoAttribute("version", &value) || value != "1.0")
        return false;
    bool space = skipSpace();
    if (space && m_p < m_end && *m_p == 'e') {
        if (!readPseudoAttribute("encoding", &value) || value.toLower() != "utf-8")
            return false;
        space = skipSpace();
    }
    if (space && m_p < m_end && *m_p == 's') {
        if (!readPseudoAttribute("standalone", &value) || (value != "yes" && value != "no"))
            return false;
        skipSpace();
    }
    if (m_end - m_p < 2 || m_p[0] != '?' || m_p[1] != '>')
        return false;
    m_p += 2;
    return true;
}

bool Scanner::readDocument(SavedDocument *document)
{
    m_document = document;
    if (m_openRootVersion > 0) {
        // The tail of a cut document: its objects, then the end of the root and nothing more.
        static const char networkTag[] = "network";
        const auto *tag = reinterpret_cast<const Byte *>(networkTag);
        document->version = m_openRootVersion;
        document->position = position();
        if (m_rootClosedAtEnd || !readRootContent(intern(tag, tag + sizeof(networkTag) - 1)) || m_endedInRoot)
            return false;
        return skipMisc() && m_p == m_end;
    }
    if (m_end - m_p >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0) {
        m_p += 3;
        m_base = m_counted = m_p;
    }
    if (m_end - m_p >= 6 && std::memcmp(m_p, "<?xml", 5) == 0 && isSpace(m_p[5]) && !readDeclaration())
        return false;
    Name *root;
    bool empty;
    if (!skipMisc() || m_p == m_end || !readStartTag(&root, &empty) || root->role != NetworkTag)
        return false;
    if (!readRoot(root, empty))
        return false;
    if (m_endedInRoot)
        return true;
    // The root ended within the input: a head cut off from its tail would be faulty.
    return !m_rootClosedAtEnd && skipMisc() && m_p == m_end;
}

bool Scanner::readRoot(Name *tag, bool empty)
{
    SavedDocument *document = m_document;
    document->position = position();
    bool hasVersion = false;
    for (const Attribute &a : m_attributes) {
        const QString value = toString(a.value);
        switch (a.name->role) {
        case VersionName:
            if (!XmlValues::parseInt(value, &document->version) || document->version < 1)
                return false;
            hasVersion = true;
            break;
        case FragmentName:
            if (!XmlValues::parseBoolean(value, &document->fragment))
                return false;
            break;
        case ProjectionName:
            document->hasProjection = true;
            document->projection = value.toUtf8();
            break;
        case OffsetName:
            if (!XmlValues::parsePoint(value, &document->offset) || !std::isfinite(document->offset.x())
                || !std::isfinite(document->offset.y()))
                return false;
            break;
        case BoundName:
            if (!XmlValues::parseRect(value, &document->bound))
                return false;
            document->hasBound = true;
            document->boundText = value;
            break;
        default:
            return false;
        }
    }
    if (!hasVersion || document->version > 1)
        return false;
    if (empty)
        return true;
    return readRootContent(tag);
}

bool Scanner::readRootContent(Name *tag)
{
    for (;;) {
        if (!skipMisc())
            return false;
        if (m_p == m_end) {
            m_endedInRoot = true;
            return m_rootClosedAtEnd;
        }
        if (atEndTag())
            return readEndTag(tag);
        Name *child;
        bool childEmpty;
        if (!readStartTag(&child, &childEmpty) || !child->kind || !readObject(child, childEmpty, -1, 1))
            return false;
    }
}

bool Scanner::readObject(Name *tag, bool empty, int parent, int depth)
{
    if (depth > DocumentParser::kMaxObjectDepth)
        return false;
    SavedDocument *document = m_document;
    SavedObject object;
    object.kind = tag->kind;
    object.parent = parent;
    object.position = position();
    object.attributes.reserve(int(m_attributes.size()));
    for (const Attribute &a : m_attributes) {
        const Role role = a.name->role;
        if (role == IdName) {
            if (!readInt(a.value, &object.id) || object.id <= 0)
                return false;
        } else if (role == ParentName) {
            if (parent >= 0 || !readInt(a.value, &object.parentId) || object.parentId <= 0)
                return false;
        } else if (role == IndexName && parent < 0) {
            if (!readInt(a.value, &object.index) || object.index < 0)
                return false;
        } else if (role == PartialName) {
            if (!XmlValues::parseBoolean(toString(a.value), &object.partial))
                return false;
        } else {
            SavedAttribute attribute;
            attribute.name = a.name->text;
            attribute.setText(toString(a.value));
            object.attributes.append(std::move(attribute));
        }
    }
    if (object.id == 0 || (object.index >= 0 && object.parentId == 0))
        return false;
    const int index = document->objects.size();
    const int known = document->indexById.size();
    document->indexById.insert(object.id, index);
    if (document->indexById.size() == known)
        return false; // the id is used twice
    document->objects.append(std::move(object));
    if (parent >= 0)
        document->objects[parent].children.append(index);
    else
        document->roots.append(index);

    if (++m_objects % 4096 == 0 && m_progress && !m_progress(m_p - m_data, m_objects)) {
        m_cancelled = true;
        const SavedPosition at = position();
        m_error = QCoreApplication::translate("Trelvoa::DocumentParser", "Line %1, column %2: %3")
                      .arg(at.line)
                      .arg(at.column)
                      .arg(QCoreApplication::translate("Trelvoa::DocumentParser", "loading was cancelled"));
        return false;
    }
    if (empty)
        return true;
    for (;;) {
        if (!skipMisc() || m_p == m_end)
            return false;
        if (atEndTag())
            return readEndTag(tag);
        Name *child;
        bool childEmpty;
        if (!readStartTag(&child, &childEmpty))
            return false;
        bool ok;
        if (child->role == PropertyTag)
            ok = readProperty(child, childEmpty, index);
        else if (child->role == GeometryTag)
            ok = skipGeometry(child, childEmpty);
        else if (child->kind)
            ok = !document->objects.at(index).partial && readObject(child, childEmpty, index, depth + 1);
        else
            ok = readItem(child, childEmpty, index);
        if (!ok)
            return false;
    }
}

bool Scanner::readItem(Name *tag, bool empty, int object)
{
    SavedItem item;
    item.tag = tag->text;
    item.position = position();
    item.attributes.reserve(int(m_attributes.size()));
    for (const Attribute &a : m_attributes) {
        SavedAttribute attribute;
        attribute.name = a.name->text;
        attribute.setText(toString(a.value));
        item.attributes.append(std::move(attribute));
    }
    m_document->objects[object].items.append(std::move(item));
    return empty || (skipMisc() && atEndTag() && readEndTag(tag));
}

bool Scanner::readProperty(Name *tag, bool empty, int object)
{
    SavedValue value;
    if (!readValue(&value, tag, empty, true, 1))
        return false;
    QVector<SavedValue> &properties = m_document->objects[object].dynamicProperties;
    if (properties.size() >= kMaxEntries)
        return false;
    for (const SavedValue &p : qAsConst(properties)) {
        if (p.name == value.name)
            return false;
    }
    properties.append(std::move(value));
    return true;
}

bool Scanner::readValue(SavedValue *value, Name *tag, bool empty, bool named, int depth)
{
    // A dynamic property (named) or an entry of a list or map.
    if (depth > DocumentParser::kMaxValueDepth)
        return false;
    value->position = position();
    bool hasName = false;
    QString typeName;
    for (const Attribute &a : m_attributes) {
        if (a.name->role == (named ? NameName : KeyName)) {
            value->name = toString(a.value);
            hasName = true;
        } else if (a.name->role == TypeName) {
            typeName = toString(a.value);
        } else {
            return false;
        }
    }
    if (named && (!hasName || value->name.isEmpty()))
        return false;
    if (typeName != m_typeName) {
        m_typeName = typeName;
        m_type = typeName.isEmpty() ? 0 : QMetaType::type(typeName.toLatin1().constData());
    }
    value->type = m_type;
    if (!isContainerType(value->type)) {
        if (!XmlValues::isScalarType(value->type))
            return false;
        if (!empty) {
            Value text;
            if (!readText(&text) || !atEndTag() || !readEndTag(tag))
                return false;
            // No text at all is a null string to DocumentParser, and so is text of comments only.
            const QString s = toString(text, false);
            if (!s.isEmpty())
                value->text = s;
        }
        QVariant parsed;
        return XmlValues::scalarFromText(value->text, value->type, &parsed);
    }
    const bool map = value->type == QMetaType::QVariantMap;
    while (!empty) {
        if (!skipMisc() || m_p == m_end)
            return false;
        if (atEndTag())
            return readEndTag(tag);
        Name *child;
        bool childEmpty;
        if (!readStartTag(&child, &childEmpty) || child->role != ValueTag
            || (map && value->items.size() >= kMaxEntries))
            return false;
        SavedValue item;
        if (!readValue(&item, child, childEmpty, false, depth + 1))
            return false;
        // Map entries have distinct keys, list entries none.
        if (map == item.name.isNull())
            return false;
        for (int i = 0; map && i < value->items.size(); ++i) {
            if (value->items.at(i).name == item.name)
                return false;
        }
        value->items.append(std::move(item));
    }
    return true;
}

bool Scanner::skipGeometry(Name *tag, bool empty)
{
    // Everything in it is skipped but must be well-formed: text of any kind, elements to the depth
    // DocumentParser allows.
    if (empty)
        return true;
    const Name *open[DocumentParser::kMaxValueDepth];
    int depth = 1;
    open[0] = tag;
    for (;;) {
        Value text;
        if (!readText(&text))
            return false;
        if (atEndTag()) {
            if (!readEndTag(open[depth - 1]))
                return false;
            if (--depth == 0)
                return true;
            continue;
        }
        Name *child;
        bool childEmpty;
        if (!readStartTag(&child, &childEmpty) || ++depth > DocumentParser::kMaxValueDepth)
            return false;
        if (childEmpty)
            --depth;
        else
            open[depth - 1] = child;
    }
}

} // namespace

DocumentScanner::DocumentScanner(const char *data, qint64 size)
    : m_data(data), m_size(size)
{
}

DocumentScanner::Result DocumentScanner::scan(SavedDocument *document)
{
    *document = SavedDocument();
    m_error.clear();
    const Byte *begin = reinterpret_cast<const Byte *>(m_data);
    Scanner scanner(begin, begin + m_size, m_progress, m_rootClosedAtEnd, m_openRootVersion);
    if (scanner.readDocument(document))
        return Done;
    if (scanner.cancelled()) {
        m_error = scanner.error();
        return Cancelled;
    }
    return Declined;
}

} // namespace Trelvoa
