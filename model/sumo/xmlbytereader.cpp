#include "xmlbytereader.h"

#include "io/xmlbytes.h"

#include <cstring>

namespace Trelvoa {

namespace {

using Byte = unsigned char;

// The bytes a scan passes over without a look: in attribute values (ASCII that needs no decoding), in
// text and in comments; and the bytes of the plain ASCII names taken here (the colon is looked at apart).
struct ByteTables
{
    bool value[256] = {};
    bool text[256] = {};
    bool comment[256] = {};
    bool nameStart[256] = {};
    bool name[256] = {};
    constexpr ByteTables()
    {
        for (int c = 0x20; c < 0x80; ++c) {
            value[c] = c != '"' && c != '\'' && c != '<' && c != '&';
            text[c] = c != '<' && c != '&' && c != ']';
            comment[c] = c != '-';
        }
        for (const int c : {'\t', '\n', '\r'})
            text[c] = comment[c] = true;
        for (int c = 0; c < 256; ++c) {
            nameStart[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
            name[c] = nameStart[c] || (c >= '0' && c <= '9') || c == '-' || c == '.';
        }
    }
};
constexpr ByteTables kBytes;

using XmlBytes::isSpace;

void appendCodePoint(QString &text, char32_t cp)
{
    if (cp >= 0x10000) {
        text.append(QChar(QChar::highSurrogate(cp)));
        text.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        text.append(QChar(ushort(cp)));
    }
}

bool startsWith(const Byte *p, const char *text)
{
    return std::strncmp(reinterpret_cast<const char *>(p), text, std::strlen(text)) == 0;
}

bool isDeclaration(const Byte *name, int size, int localStart)
{
    return (localStart == 6 && std::memcmp(name, "xmlns:", 6) == 0)
        || (localStart == 0 && size == 5 && std::memcmp(name, "xmlns", 5) == 0);
}

// Bytes equal up to size; stops at the first difference, so never past the NUL that ends the data.
bool sameBytes(const Byte *a, const Byte *b, int size)
{
    for (int i = 0; i < size; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

XmlByteReader::XmlByteReader(const QByteArray &data)
    : m_data(data),
      m_begin(reinterpret_cast<const Byte *>(m_data.constData())),
      m_p(m_begin),
      m_end(m_begin + m_data.size()),
      m_counted(m_begin)
{
    // A byte order mark, or any other encoding, is left to the XML reader.
    if (startsWith(m_p, "<?xml") && !readDeclaration())
        m_declined = true;
}

bool XmlByteReader::readDeclaration()
{
    // <?xml version="1.0" [encoding="UTF-8"] [standalone="yes|no"]?>, in that order.
    const Byte *p = m_p + 5;
    const char *const names[] = {"version", "encoding", "standalone"};
    int next = 0;
    for (;;) {
        const Byte *space = p;
        while (isSpace(*p))
            ++p;
        if (p[0] == '?' && p[1] == '>') {
            if (next == 0)
                return false;
            m_p = p + 2;
            return true;
        }
        if (p == space)
            return false;
        const Byte *name = p;
        while (kBytes.name[*p])
            ++p;
        const QByteArray key(reinterpret_cast<const char *>(name), int(p - name));
        if (next == 0 && key != "version")
            return false;
        while (next < 3 && key != names[next])
            ++next;
        if (next == 3)
            return false;
        if (!XmlBytes::skipToValue(p, m_end))
            return false;
        const Byte quote = *p;
        const Byte *value = ++p;
        while (*p && *p != quote && kBytes.name[*p])
            ++p;
        if (*p != quote)
            return false;
        const QByteArray text = QByteArray(reinterpret_cast<const char *>(value), int(p - value)).toLower();
        ++p;
        if ((next == 0 && text != "1.0") || (next == 1 && text != "utf-8")
            || (next == 2 && text != "yes" && text != "no"))
            return false;
        ++next;
    }
}

XmlByteReader::TokenType XmlByteReader::decline()
{
    m_declined = true;
    return m_token = Invalid;
}

void XmlByteReader::raiseError(const QString &message)
{
    m_raised = true;
    m_message = message;
    m_token = Invalid;
}

XmlByteReader::TokenType XmlByteReader::readNext()
{
    if (hasError())
        return m_token = Invalid;
    if (m_token == EndDocument)
        return decline();
    if (m_selfClosing) {
        m_selfClosing = false;
        m_open.pop_back();
        m_rootDone = m_open.empty();
        return m_token = EndElement;
    }
    for (;;) {
        if (m_open.empty()) {
            // Before and after the root: blanks and comments only.
            while (isSpace(*m_p))
                ++m_p;
            if (m_p == m_end) {
                if (!m_rootDone)
                    return decline();
                return m_token = EndDocument;
            }
        } else if (!skipText()) {
            return decline();
        }
        if (*m_p != '<')
            return decline();
        const Byte c = m_p[1];
        if (c == '!') {
            if (!startsWith(m_p, "<!--") || !skipComment())
                return decline();
            continue;
        }
        if (c == '/') {
            if (m_open.empty() || !readEndTag())
                return decline();
            m_open.pop_back();
            m_rootDone = m_open.empty();
            return m_token = EndElement;
        }
        if (m_rootDone || !readStartTag())
            return decline();
        return m_token = StartElement;
    }
}

bool XmlByteReader::readNextStartElement()
{
    while (readNext() != Invalid) {
        if (m_token == EndElement)
            return false;
        if (m_token == StartElement)
            return true;
    }
    return false;
}

void XmlByteReader::skipCurrentElement()
{
    int depth = 1;
    while (depth && readNext() != Invalid) {
        if (m_token == EndElement)
            --depth;
        else if (m_token == StartElement)
            ++depth;
    }
}

bool XmlByteReader::skipText()
{
    // Character data inside an element: anything but markup, with valid references; "]" is left to the
    // XML reader, which refuses "]]>".
    const Byte *p = m_p;
    for (;;) {
        while (kBytes.text[*p])
            ++p;
        const Byte c = *p;
        char32_t cp;
        if (c == '<') {
            break;
        } else if (c == '&') {
            if (!XmlBytes::readReference(p, m_end, &cp))
                return false;
        } else if (c >= 0x80) {
            if (!XmlBytes::readUtf8(p, m_end, &cp))
                return false;
        } else {
            return false; // NUL (the end), control characters, ']'
        }
    }
    m_p = p;
    return true;
}

bool XmlByteReader::skipComment()
{
    // "--" may only end it.
    const Byte *p = m_p + 4;
    for (;;) {
        while (kBytes.comment[*p])
            ++p;
        const Byte c = *p;
        char32_t cp;
        if (c == '-') {
            if (p[1] == '-') {
                if (p[2] != '>')
                    return false;
                m_p = p + 3;
                return true;
            }
            ++p;
        } else if (c >= 0x80) {
            if (!XmlBytes::readUtf8(p, m_end, &cp))
                return false;
        } else {
            return false;
        }
    }
}

bool XmlByteReader::readEndTag()
{
    const OpenElement &open = m_open.back();
    const Byte *p = m_p + 2;
    if (!sameBytes(p, open.name, open.size))
        return false;
    p += open.size;
    if (kBytes.name[*p] || *p == ':')
        return false;
    while (isSpace(*p))
        ++p;
    if (*p != '>')
        return false;
    m_p = p + 1;
    return true;
}

bool XmlByteReader::readStartTag()
{
    const Byte *p = m_p + 1;
    const Byte *name = p;
    if (!kBytes.nameStart[*p])
        return false;
    while (kBytes.name[*p])
        ++p;
    if (*p == ':')
        return false;
    const int nameSize = int(p - name);
    m_attributes.clear();
    for (;;) {
        const Byte *space = p;
        while (isSpace(*p))
            ++p;
        if (*p == '>') {
            ++p;
            m_selfClosing = false;
            break;
        }
        if (p[0] == '/' && p[1] == '>') {
            p += 2;
            m_selfClosing = true;
            break;
        }
        if (p == space || !kBytes.nameStart[*p])
            return false;
        RawAttribute a;
        a.name = p;
        a.localStart = 0;
        while (kBytes.name[*p])
            ++p;
        if (*p == ':') {
            ++p;
            a.localStart = int(p - a.name);
            if (!kBytes.nameStart[*p])
                return false;
            while (kBytes.name[*p])
                ++p;
            if (*p == ':')
                return false;
        }
        a.nameSize = int(p - a.name);
        if (!XmlBytes::skipToValue(p, m_end))
            return false;
        m_p = p;
        if (!readValue(&a))
            return false;
        p = m_p;
        for (const RawAttribute &b : m_attributes) {
            // By local name: two prefixes may stand for one namespace.
            if (b.nameSize - b.localStart == a.nameSize - a.localStart
                && std::memcmp(b.name + b.localStart, a.name + a.localStart, size_t(a.nameSize - a.localStart)) == 0)
                return false;
        }
        m_attributes.push_back(a);
    }
    m_p = p;
    if (!checkNamespaces(m_open.empty()))
        return false;
    // The XML reader lists namespace declarations apart from the attributes.
    for (size_t i = m_attributes.size(); i-- > 0;) {
        if (isDeclaration(m_attributes[i].name, m_attributes[i].nameSize, m_attributes[i].localStart))
            m_attributes.erase(m_attributes.begin() + i);
    }
    m_open.push_back({name, nameSize});
    m_text.resize(0);
    m_text.reserve(256);
    for (int i = 0; i < nameSize; ++i)
        m_text.append(QLatin1Char(char(name[i])));
    return true;
}

bool XmlByteReader::readValue(RawAttribute *attribute)
{
    const Byte quote = *m_p;
    if (quote != '"' && quote != '\'')
        return false;
    const Byte *p = m_p + 1;
    attribute->value = p;
    attribute->plain = true;
    for (;;) {
        while (kBytes.value[*p])
            ++p;
        const Byte c = *p;
        char32_t cp;
        if (c == quote) {
            break;
        } else if (c == '"' || c == '\'') {
            ++p;
        } else if (c == '&') {
            attribute->plain = false;
            if (!XmlBytes::readReference(p, m_end, &cp))
                return false;
        } else if (c >= 0x80) {
            attribute->plain = false;
            if (!XmlBytes::readUtf8(p, m_end, &cp))
                return false;
        } else if (c == '\n' || c == '\t' || c == '\r') {
            attribute->plain = false;
            ++p;
        } else {
            return false; // '<', NUL (the end), control characters
        }
    }
    attribute->valueSize = int(p - attribute->value);
    m_p = p + 1;
    return true;
}

bool XmlByteReader::checkNamespaces(bool root)
{
    // Namespace declarations are taken when plain; prefixes are taken only when the root declares them.
    for (const RawAttribute &a : m_attributes) {
        if (isDeclaration(a.name, a.nameSize, a.localStart)) {
            const QByteArray value = QByteArray::fromRawData(reinterpret_cast<const char *>(a.value), a.valueSize);
            if (!a.plain || value.contains("w3.org/XML/1998/namespace") || value.contains("w3.org/2000/xmlns"))
                return false;
            if (a.localStart) {
                const QByteArray local = QByteArray::fromRawData(reinterpret_cast<const char *>(a.name + a.localStart),
                                                                 a.nameSize - a.localStart);
                if (value.isEmpty() || local.toLower().startsWith("xml"))
                    return false;
                if (root)
                    m_rootPrefixes.push_back(local);
            }
        }
    }
    for (const RawAttribute &a : m_attributes) {
        if (!a.localStart)
            continue;
        const QByteArray prefix(reinterpret_cast<const char *>(a.name), a.localStart - 1);
        if (prefix == "xmlns")
            continue;
        bool known = false;
        for (const QByteArray &p : m_rootPrefixes)
            known = known || p == prefix;
        // A nested declaration of the same prefix could bind it elsewhere: left to the XML reader.
        if (!known)
            return false;
    }
    if (!root) {
        for (const RawAttribute &a : m_attributes) {
            if (a.localStart == 6 && startsWith(a.name, "xmlns:")) {
                const QByteArray local(reinterpret_cast<const char *>(a.name + 6), a.nameSize - 6);
                for (const QByteArray &p : m_rootPrefixes) {
                    if (p == local)
                        return false;
                }
            }
        }
    }
    return true;
}

QStringRef XmlByteReader::name() const
{
    return m_open.empty() ? QStringRef() : QStringRef(&m_text, 0, m_open.back().size);
}

int XmlByteReader::Attributes::find(QLatin1String qualifiedName) const
{
    const std::vector<RawAttribute> &attributes = m_reader->m_attributes;
    for (int i = 0; i < int(attributes.size()); ++i) {
        const RawAttribute &a = attributes[size_t(i)];
        if (a.nameSize == qualifiedName.size() && std::memcmp(a.name, qualifiedName.data(), size_t(a.nameSize)) == 0)
            return i;
    }
    return -1;
}

QStringRef XmlByteReader::Attributes::value(QLatin1String qualifiedName) const
{
    const int i = find(qualifiedName);
    return i < 0 ? QStringRef() : m_reader->decoded(i);
}

QStringRef XmlByteReader::Attribute::name() const
{
    return m_reader->attributeName(m_index);
}

QStringRef XmlByteReader::Attribute::value() const
{
    return m_reader->decoded(m_index);
}

QStringRef XmlByteReader::attributeName(int index) const
{
    const RawAttribute &a = m_attributes[size_t(index)];
    const int start = m_text.size();
    for (int i = a.localStart; i < a.nameSize; ++i)
        m_text.append(QLatin1Char(char(a.name[i])));
    return QStringRef(&m_text, start, a.nameSize - a.localStart);
}

QStringRef XmlByteReader::decoded(int index) const
{
    const RawAttribute &a = m_attributes[size_t(index)];
    if (a.textStart < 0) {
        a.textStart = m_text.size();
        const Byte *p = a.value;
        const Byte *const end = p + a.valueSize;
        if (a.plain) {
            m_text.resize(a.textStart + a.valueSize);
            QChar *out = m_text.data() + a.textStart;
            while (p < end)
                *out++ = QLatin1Char(char(*p++));
        } else {
            // Literal tabs and line ends become spaces (CR LF one space); referenced ones stay.
            while (p < end) {
                const Byte c = *p;
                char32_t cp;
                if (c == '&') {
                    XmlBytes::readReference(p, m_end, &cp);
                    appendCodePoint(m_text, cp);
                } else if (c >= 0x80) {
                    XmlBytes::readUtf8(p, m_end, &cp);
                    appendCodePoint(m_text, cp);
                } else if (c == '\r') {
                    m_text.append(QLatin1Char(' '));
                    p += p + 1 < end && p[1] == '\n' ? 2 : 1;
                } else if (c == '\n' || c == '\t') {
                    m_text.append(QLatin1Char(' '));
                    ++p;
                } else {
                    m_text.append(QLatin1Char(char(c)));
                    ++p;
                }
            }
        }
        a.textSize = m_text.size() - a.textStart;
    }
    return QStringRef(&m_text, a.textStart, a.textSize);
}

qint64 XmlByteReader::lineNumber() const
{
    columnNumber();
    return m_line;
}

qint64 XmlByteReader::columnNumber() const
{
    XmlBytes::countPosition(m_begin, m_counted, m_p, &m_line, &m_column);
    m_counted = m_p;
    return m_column;
}

} // namespace Trelvoa
