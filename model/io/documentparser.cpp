#include "io/documentparser.h"

#include "io/objectkind.h"
#include "io/xmlvalues.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QMetaType>
#include <QSet>
#include <QXmlStreamReader>

#include <cmath>

namespace Trelvoa {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::DocumentParser", text);
}

bool isContainerType(int type)
{
    return type == QMetaType::QVariantList || type == QMetaType::QVariantMap;
}

} // namespace

DocumentParser::DocumentParser(QXmlStreamReader &reader)
    : m_reader(reader)
{
}

qint64 DocumentParser::bytesRead() const
{
    if (QIODevice *device = m_reader.device())
        return device->pos();
    return m_reader.characterOffset();
}

SavedPosition DocumentParser::position() const
{
    return {m_reader.lineNumber(), m_reader.columnNumber()};
}

bool DocumentParser::fail(const QString &cause)
{
    if (m_error.isEmpty())
        m_error = tr("Line %1, column %2: %3").arg(m_reader.lineNumber()).arg(m_reader.columnNumber()).arg(cause);
    return false;
}

bool DocumentParser::readerFailed()
{
    if (m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return fail(tr("the document ends early (truncated file?)"));
    return fail(m_reader.errorString());
}

bool DocumentParser::checkLength(const QString &what, int length)
{
    if (length > kMaxValueLength)
        return fail(tr("%1 is longer than %2 characters").arg(what).arg(kMaxValueLength));
    return true;
}

bool DocumentParser::checkAttributeLength(const QXmlStreamAttribute &attribute)
{
    // The message is made only for the rare fault: this runs for every attribute of a file.
    if (attribute.value().size() <= kMaxValueLength)
        return true;
    return checkLength(tr("The value of attribute \"%1\"").arg(attribute.qualifiedName()),
                       attribute.value().size());
}

QString DocumentParser::intern(const QStringRef &text)
{
    // Files repeat a few dozen attribute names and tags: one shared string each saves an allocation
    // per attribute.
    const uint hash = qHash(text);
    const auto it = m_names.constFind(hash);
    if (it != m_names.constEnd() && *it == text)
        return *it;
    const QString name = text.toString();
    if (it == m_names.constEnd() && m_names.size() < kMaxInternedNames)
        m_names.insert(hash, name);
    return name;
}

bool DocumentParser::readText(QString *text)
{
    // Element text only: nested elements are an error.
    text->clear();
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::Characters:
            if (text->size() + m_reader.text().size() > kMaxValueLength)
                return checkLength(tr("The text of <%1>").arg(QStringLiteral("property")),
                                   text->size() + m_reader.text().size());
            text->append(m_reader.text());
            break;
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::StartElement:
            return fail(tr("unexpected element <%1> in a text value").arg(m_reader.qualifiedName()));
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

bool DocumentParser::parseDocument(SavedDocument *document)
{
    *document = SavedDocument();
    bool rootSeen = false;
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::DTD:
            // Entity declarations are how "billion laughs" inputs explode; network files never need one.
            return fail(tr("document type declarations are not accepted"));
        case QXmlStreamReader::StartElement:
            if (rootSeen)
                return fail(tr("more than one root element"));
            if (m_reader.qualifiedName() != QLatin1String("network"))
                return fail(tr("the root element is <%1>, not <network>").arg(m_reader.qualifiedName()));
            rootSeen = true;
            if (!parseRoot(document))
                return false;
            break;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                return fail(tr("text outside the root element"));
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        case QXmlStreamReader::EndDocument:
            if (!rootSeen)
                return fail(tr("the document has no root element"));
            return true;
        default:
            break;
        }
    }
    if (m_reader.hasError())
        return readerFailed();
    if (!rootSeen)
        return fail(tr("the document has no root element"));
    return true;
}

bool DocumentParser::parseRoot(SavedDocument *document)
{
    document->position = position();
    bool hasVersion = false;
    // A const copy shares the reader's list; looping over the temporary would copy every attribute.
    const QXmlStreamAttributes attributes = m_reader.attributes();
    for (const QXmlStreamAttribute &a : attributes) {
        if (!checkAttributeLength(a))
            return false;
        const QString name = a.qualifiedName().toString();
        const QString value = a.value().toString();
        if (name == QLatin1String("version")) {
            if (!XmlValues::parseInt(value, &document->version) || document->version < 1)
                return fail(tr("invalid version \"%1\"").arg(value.left(64)));
            hasVersion = true;
        } else if (name == QLatin1String("fragment")) {
            if (!XmlValues::parseBoolean(value, &document->fragment))
                return fail(tr("invalid value \"%1\" of attribute \"fragment\"").arg(value.left(64)));
        } else if (name == QLatin1String("projection")) {
            document->hasProjection = true;
            document->projection = value.toUtf8();
        } else if (name == QLatin1String("offset")) {
            if (!XmlValues::parsePoint(value, &document->offset) || !std::isfinite(document->offset.x())
                || !std::isfinite(document->offset.y()))
                return fail(tr("invalid offset \"%1\"").arg(value.left(64)));
        } else if (name == QLatin1String("bound")) {
            if (!XmlValues::parseRect(value, &document->bound))
                return fail(tr("invalid bound \"%1\"").arg(value.left(64)));
            document->hasBound = true;
            document->boundText = value;
        } else {
            return fail(tr("unknown attribute \"%1\" of <network>").arg(name));
        }
    }
    if (!hasVersion)
        return fail(tr("the <network> element has no version"));
    if (document->version > 1)
        return fail(tr("the file has format version %1; this program reads version 1").arg(document->version));

    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (!parseObject(document, -1, 1))
                return false;
            break;
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                return fail(tr("unexpected text in <network>"));
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

bool DocumentParser::parseElement(SavedDocument *document)
{
    *document = SavedDocument();
    document->version = 1;
    document->fragment = true;
    if (!m_reader.isStartElement())
        return fail(tr("no element to read"));
    return parseObject(document, -1, 1);
}

bool DocumentParser::parseObject(SavedDocument *document, int parent, int depth)
{
    const QString tag = intern(m_reader.qualifiedName());
    const ObjectKind *kind = ObjectKind::byTag(tag);
    if (!kind)
        return fail(tr("unknown element <%1>").arg(tag.left(64)));
    if (depth > kMaxObjectDepth)
        return fail(tr("objects are nested deeper than %1 levels").arg(kMaxObjectDepth));

    SavedObject object;
    object.kind = kind;
    object.parent = parent;
    object.position = position();
    // A const copy shares the reader's list; looping over the temporary would copy every attribute.
    const QXmlStreamAttributes attributes = m_reader.attributes();
    // One allocation for the list, not one per step of its growth.
    object.attributes.reserve(attributes.size());
    for (const QXmlStreamAttribute &a : attributes) {
        if (!checkAttributeLength(a))
            return false;
        const QString name = intern(a.qualifiedName());
        const QString value = a.value().toString();
        if (name == QLatin1String("id")) {
            if (!XmlValues::parseInt(value, &object.id) || object.id <= 0)
                return fail(tr("invalid id \"%1\" of <%2>").arg(value.left(64), tag));
        } else if (name == QLatin1String("parent")) {
            if (parent >= 0)
                return fail(tr("a nested <%1> names a parent").arg(tag));
            if (!XmlValues::parseInt(value, &object.parentId) || object.parentId <= 0)
                return fail(tr("invalid parent id \"%1\" of <%2>").arg(value.left(64), tag));
        } else if (name == QLatin1String("index") && parent < 0) {
            if (!XmlValues::parseInt(value, &object.index) || object.index < 0)
                return fail(tr("invalid index \"%1\" of <%2>").arg(value.left(64), tag));
        } else if (name == QLatin1String("partial")) {
            if (!XmlValues::parseBoolean(value, &object.partial))
                return fail(tr("invalid value \"%1\" of attribute \"partial\"").arg(value.left(64)));
        } else {
            // The XML reader already refuses an attribute given twice.
            SavedAttribute attribute;
            attribute.name = name;
            attribute.setText(value);
            object.attributes.append(std::move(attribute));
        }
    }
    if (object.id == 0)
        return fail(tr("<%1> has no id").arg(tag));
    if (object.index >= 0 && object.parentId == 0)
        return fail(tr("<%1> has an index but names no parent").arg(tag));
    if (document->indexById.contains(object.id))
        return fail(tr("id %1 is used twice").arg(object.id));

    const int index = document->objects.size();
    document->indexById.insert(object.id, index);
    document->objects.append(std::move(object));
    if (parent >= 0)
        document->objects[parent].children.append(index);
    else
        document->roots.append(index);

    if (++m_objects % 4096 == 0 && m_progress && !m_progress(bytesRead(), m_objects)) {
        m_cancelled = true;
        return fail(tr("loading was cancelled"));
    }

    QSet<QString> propertyNames;
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QStringRef child = m_reader.qualifiedName();
            if (child == QLatin1String("property")) {
                if (!parseDynamicProperty(&document->objects[index], &propertyNames))
                    return false;
            } else if (child == QLatin1String("geometry")) {
                if (!skipGeometry())
                    return false;
            } else if (ObjectKind::byTag(child.toString())) {
                if (document->objects.at(index).partial)
                    return fail(tr("a partial <%1> has children").arg(tag));
                if (!parseObject(document, index, depth + 1))
                    return false;
            } else if (!parseItem(&document->objects[index])) {
                return false;
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                return fail(tr("unexpected text in <%1>").arg(tag));
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

bool DocumentParser::parseItem(SavedObject *object)
{
    SavedItem item;
    item.tag = intern(m_reader.qualifiedName());
    item.position = position();
    // A const copy shares the reader's list; looping over the temporary would copy every attribute.
    const QXmlStreamAttributes attributes = m_reader.attributes();
    item.attributes.reserve(attributes.size());
    for (const QXmlStreamAttribute &a : attributes) {
        if (!checkAttributeLength(a))
            return false;
        SavedAttribute attribute;
        attribute.name = intern(a.qualifiedName());
        attribute.setText(a.value().toString());
        item.attributes.append(std::move(attribute));
    }
    object->items.append(item);
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            return fail(tr("unexpected element <%1> in <%2>").arg(m_reader.qualifiedName(), item.tag));
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                return fail(tr("unexpected text in <%1>").arg(item.tag));
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

bool DocumentParser::skipGeometry()
{
    // Derived geometry of full-geometry files is for other readers; the model computes its own.
    int depth = 1;
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxValueDepth)
                return fail(tr("<geometry> is nested too deeply"));
            break;
        case QXmlStreamReader::EndElement:
            if (--depth == 0)
                return true;
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

bool DocumentParser::parseDynamicProperty(SavedObject *object, QSet<QString> *names)
{
    SavedValue value;
    if (!parseValue(&value, true, 1))
        return false;
    // A set, as a hostile object may carry very many properties.
    if (names->contains(value.name))
        return fail(tr("dynamic property \"%1\" given twice").arg(value.name.left(64)));
    names->insert(value.name);
    object->dynamicProperties.append(value);
    return true;
}

bool DocumentParser::parseValue(SavedValue *value, bool named, int depth)
{
    if (depth > kMaxValueDepth)
        return fail(tr("values are nested deeper than %1 levels").arg(kMaxValueDepth));
    value->position = position();
    const QString tag = m_reader.qualifiedName().toString();
    bool hasName = false;
    QString typeName;
    // A const copy shares the reader's list; looping over the temporary would copy every attribute.
    const QXmlStreamAttributes attributes = m_reader.attributes();
    for (const QXmlStreamAttribute &a : attributes) {
        if (!checkAttributeLength(a))
            return false;
        const QString name = intern(a.qualifiedName());
        if ((named && name == QLatin1String("name")) || (!named && name == QLatin1String("key"))) {
            value->name = a.value().toString();
            hasName = true;
        } else if (name == QLatin1String("type")) {
            typeName = a.value().toString();
        } else {
            return fail(tr("unknown attribute \"%1\" of <%2>").arg(name, tag));
        }
    }
    if (named && (!hasName || value->name.isEmpty()))
        return fail(tr("<property> has no name"));
    value->type = typeName.isEmpty() ? 0 : QMetaType::type(typeName.toLatin1().constData());
    if (!XmlValues::isScalarType(value->type) && !isContainerType(value->type))
        return fail(tr("unsupported value type \"%1\"").arg(typeName.left(64)));

    if (!isContainerType(value->type)) {
        if (!readText(&value->text))
            return false;
        QVariant parsed;
        if (!XmlValues::scalarFromText(value->text, value->type, &parsed))
            return fail(tr("\"%1\" is not a value of type %2").arg(value->text.left(64), typeName));
        return true;
    }

    const bool map = value->type == QMetaType::QVariantMap;
    QSet<QString> keys;
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (m_reader.qualifiedName() != QLatin1String("value"))
                return fail(tr("unexpected element <%1> in <%2>").arg(m_reader.qualifiedName(), tag));
            SavedValue item;
            // Keys are read only for maps; a list entry with a key is an error.
            if (!parseValue(&item, false, depth + 1))
                return false;
            if (map) {
                if (item.name.isNull())
                    return fail(tr("a map entry has no key"));
                if (keys.contains(item.name))
                    return fail(tr("map key \"%1\" given twice").arg(item.name.left(64)));
                keys.insert(item.name);
            } else if (!item.name.isNull()) {
                return fail(tr("a list entry has a key"));
            }
            value->items.append(item);
            break;
        }
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                return fail(tr("unexpected text in <%1>").arg(tag));
            break;
        case QXmlStreamReader::EntityReference:
            return fail(tr("undeclared entity \"%1\"").arg(m_reader.name()));
        case QXmlStreamReader::Invalid:
            return readerFailed();
        default:
            break;
        }
    }
    return readerFailed();
}

} // namespace Trelvoa
