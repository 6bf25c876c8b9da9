#include "io/networkwriter.h"

#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "io/contentwriter.h"
#include "io/objectkind.h"
#include "io/xmlvalues.h"
#include "netobject.h"
#include "network.h"

#include <QCoreApplication>
#include <QMetaType>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Trelvoa {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::NetworkWriter", text);
}

bool byId(const NetObject *a, const NetObject *b)
{
    return a->id() < b->id();
}

// The extent of the objects written, for placing a pasted fragment.
struct Bound
{
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    void add(const QPointF &p)
    {
        if (!pointIsValid(p))
            return;
        minX = std::min(minX, p.x());
        minY = std::min(minY, p.y());
        maxX = std::max(maxX, p.x());
        maxY = std::max(maxY, p.y());
    }
    void add(const QVector<QPointF> &points)
    {
        for (const QPointF &p : points)
            add(p);
    }
    bool isEmpty() const { return !(minX <= maxX); }
    // A single point still gets an extent, so that the rectangle is not a null QRectF.
    QRectF rect() const
    {
        return QRectF(minX, minY, std::max(maxX - minX, 1.0), std::max(maxY - minY, 1.0));
    }
};

} // namespace

NetworkWriter::NetworkWriter(const Network *network)
    : m_network(network)
{
}

void NetworkWriter::reportError(Network *network, const QString &error)
{
    network->m_errorString = error;
}

bool NetworkWriter::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
    return false;
}

bool NetworkWriter::writeNetwork(QXmlStreamWriter &writer, bool document, bool fullGeometry)
{
    m_fullGeometry = fullGeometry;
    QList<const NetObject *> roots;
    for (QObject *c : m_network->children()) {
        auto *o = qobject_cast<NetObject *>(c);
        if (o && o->network() == m_network)
            roots.append(o);
    }
    std::sort(roots.begin(), roots.end(), byId);
    return writeDocument(writer, roots, document, false);
}

bool NetworkWriter::writeFragment(QXmlStreamWriter &writer, const QList<NetObject *> &objects,
                                  bool document, bool fullGeometry,
                                  const QSet<const NetObject *> &partial)
{
    m_fullGeometry = fullGeometry;
    m_partial = partial;
    QSet<const NetObject *> listed;
    for (const NetObject *o : objects) {
        if (!o)
            continue;
        if (o->network() != m_network)
            return fail(tr("%1 is not an object of this network").arg(o->printableName()));
        listed.insert(o);
    }
    // An object inside the subtree of another listed object is written with that one.
    QList<const NetObject *> roots;
    for (const NetObject *o : qAsConst(listed)) {
        bool inside = false;
        for (const NetObject *p = o->parentObject(); p && !inside; p = p->parentObject())
            inside = listed.contains(p) && !m_partial.contains(p);
        if (!inside)
            roots.append(o);
    }
    std::sort(roots.begin(), roots.end(), byId);
    return writeDocument(writer, roots, document, true);
}

bool NetworkWriter::writeElement(QXmlStreamWriter &writer, const NetObject *object, bool fullGeometry)
{
    m_fullGeometry = fullGeometry;
    if (!object || object->network() != m_network)
        return fail(tr("the object is not in this network"));
    if (!writeObject(writer, object, false))
        return false;
    if (writer.hasError())
        return fail(tr("the XML could not be written (device error)"));
    return true;
}

bool NetworkWriter::writeDocument(QXmlStreamWriter &writer, const QList<const NetObject *> &roots,
                                  bool document, bool fragment)
{
    Bound bound;
    for (const NetObject *o : roots) {
        const ObjectKind *kind = ObjectKind::of(o);
        if (!kind)
            return fail(tr("objects of class %1 cannot be saved").arg(QLatin1String(o->metaObject()->className())));
        if (!kind->geometric)
            continue;
        bound.add(o->pos());
        bound.add(o->skeleton().points());
        bound.add(o->shape().points());
    }

    if (document)
        writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("network"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    if (fragment)
        writer.writeAttribute(QStringLiteral("fragment"), QStringLiteral("true"));
    if (const GeoUtil *geo = m_network->geoUtil()) {
        writer.writeAttribute(QStringLiteral("projection"),
                              XmlValues::xmlSafe(QString::fromUtf8(geo->projectionStr())));
        if (!geo->offset().isNull())
            writer.writeAttribute(QStringLiteral("offset"), XmlValues::point(geo->offset()));
    }
    if (!bound.isEmpty()) {
        const QRectF r = bound.rect();
        writer.writeAttribute(QStringLiteral("bound"),
                              XmlValues::number(r.x()) + QLatin1Char(',') + XmlValues::number(r.y())
                                  + QLatin1Char(',') + XmlValues::number(r.width()) + QLatin1Char(',')
                                  + XmlValues::number(r.height()));
    }
    for (const NetObject *o : roots) {
        if (!writeObject(writer, o, fragment))
            return false;
    }
    writer.writeEndElement();
    if (document)
        writer.writeEndDocument();
    if (writer.hasError())
        return fail(tr("the XML could not be written (device error)"));
    return true;
}

bool NetworkWriter::checkReference(const NetObject *holder, const NetObject *target)
{
    if (target && target->network() != m_network)
        return fail(tr("%1 refers to an object that is not in the network").arg(holder->printableName()));
    return true;
}

QList<const NetObject *> NetworkWriter::childrenInOrder(const NetObject *object) const
{
    const ObjectKind *kind = ObjectKind::of(object);
    QList<const NetObject *> ordered;
    if (kind && kind->fixedChildren) {
        for (const NetObject *c : kind->fixedChildren(object))
            ordered.append(c);
    }
    if (kind && kind->orderedChildren) {
        for (const NetObject *c : kind->orderedChildren(object))
            ordered.append(c);
    }
    QList<const NetObject *> rest;
    for (QObject *c : object->children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (child && child->network() == m_network && !ordered.contains(child))
            rest.append(child);
    }
    std::sort(rest.begin(), rest.end(), byId);
    return ordered + rest;
}

bool NetworkWriter::writeObject(QXmlStreamWriter &writer, const NetObject *object, bool root)
{
    const ObjectKind *kind = ObjectKind::of(object);
    if (!kind)
        return fail(tr("objects of class %1 cannot be saved").arg(QLatin1String(object->metaObject()->className())));
    const bool partial = m_partial.contains(object);

    writer.writeStartElement(kind->tag);
    writer.writeAttribute(QStringLiteral("id"), QString::number(object->id()));
    if (root) {
        if (const NetObject *parent = object->parentObject()) {
            writer.writeAttribute(QStringLiteral("parent"), QString::number(parent->id()));
            // A lane written without its edge keeps its place among the edge's lanes.
            const ObjectKind *parentKind = ObjectKind::of(parent);
            if (parentKind && parentKind->orderedChildren && parentKind->orderedChildKind == object->metaObject())
                writer.writeAttribute(QStringLiteral("index"),
                                      QString::number(parentKind->orderedChildren(parent).indexOf(const_cast<NetObject *>(object))));
        }
    }
    if (partial)
        writer.writeAttribute(QStringLiteral("partial"), QStringLiteral("true"));
    if (!writeProperties(writer, object))
        return false;

    ContentWriter content;
    if (kind->save)
        kind->save(object, content);
    object->saveContent(content);
    for (const NetObject *target : content.referencedObjects()) {
        if (!checkReference(object, target))
            return false;
    }
    for (const ContentWriter::Entry &e : content.attributes())
        writer.writeAttribute(e.name, e.text);
    for (const ContentWriter::Item &item : content.items()) {
        writer.writeEmptyElement(item.tag);
        for (const ContentWriter::Entry &e : item.attributes)
            writer.writeAttribute(e.name, e.text);
    }
    if (!writeDynamicProperties(writer, object))
        return false;
    if (m_fullGeometry && kind->geometric)
        writeGeometry(writer, object);
    if (!partial) {
        for (const NetObject *child : childrenInOrder(object)) {
            if (!writeObject(writer, child, false))
                return false;
        }
    }
    writer.writeEndElement();
    return true;
}

int NetworkWriter::enumValue(const QVariant &v)
{
    const int type = v.userType();
    if (type != QMetaType::Int && (QMetaType::typeFlags(type) & QMetaType::IsEnumeration)
        && QMetaType::sizeOf(type) == int(sizeof(int)))
        return *static_cast<const int *>(v.constData());
    return v.toInt();
}

bool NetworkWriter::propertyText(const PropertyCodec &codec, const NetObject *object, QString *text,
                                 QVector<const NetObject *> *targets)
{
    if (codec.type == PropertyCodec::Enum && codec.intEnum) {
        int value = 0;
        codec.readRaw(object, &value);
        *text = XmlValues::enumToText(codec.property, value);
        return true;
    }
    const QVariant v = codec.property.read(object);
    switch (codec.type) {
    case PropertyCodec::Scalar:
        return XmlValues::scalarToText(v, text);
    case PropertyCodec::Enum:
        *text = XmlValues::enumToText(codec.property, enumValue(v));
        return true;
    case PropertyCodec::Reference: {
        auto *target = qobject_cast<NetObject *>(v.value<QObject *>());
        if (target && targets)
            targets->append(target);
        *text = QString::number(target ? target->id() : 0);
        return true;
    }
    case PropertyCodec::References: {
        QVector<int> ids;
        for (const QVariant &entry : v.toList()) {
            auto *target = qobject_cast<NetObject *>(entry.value<QObject *>());
            if (!target)
                continue;
            if (targets)
                targets->append(target);
            ids.append(target->id());
        }
        *text = XmlValues::ids(ids);
        return true;
    }
    }
    return false;
}

bool NetworkWriter::writeProperties(QXmlStreamWriter &writer, const NetObject *object)
{
    const ObjectKind *kind = ObjectKind::of(object);
    QVector<const NetObject *> targets;
    for (const PropertyCodec &codec : kind->properties) {
        if (kind->skipProperty && kind->skipProperty(object, codec.name))
            continue;
        QString text;
        targets.clear();
        if (!propertyText(codec, object, &text, &targets))
            return fail(tr("property %1 of %2 has a type that cannot be saved")
                            .arg(QLatin1String(codec.name), object->printableName()));
        for (const NetObject *target : qAsConst(targets)) {
            if (!checkReference(object, target))
                return false;
        }
        // An empty name is the default and left out.
        if (codec.name == "name" && text.isEmpty())
            continue;
        writer.writeAttribute(QString::fromLatin1(codec.name), text);
    }
    return true;
}

bool NetworkWriter::writeDynamicProperties(QXmlStreamWriter &writer, const NetObject *object)
{
    QList<QByteArray> names = object->dynamicPropertyNames();
    std::sort(names.begin(), names.end());
    for (const QByteArray &name : qAsConst(names)) {
        // Qt keeps private state in dynamic properties named "_q_...".
        if (name.startsWith("_q_"))
            continue;
        const QVariant value = object->property(name.constData());
        if (!value.isValid())
            continue;
        if (!writeValue(writer, QStringLiteral("name"), XmlValues::xmlSafe(QString::fromUtf8(name)), value, 0)) {
            return fail(tr("dynamic property %1 of %2 has a type that cannot be saved (%3)")
                            .arg(QString::fromUtf8(name), object->printableName(),
                                 QLatin1String(value.typeName())));
        }
    }
    return true;
}

bool NetworkWriter::writeValue(QXmlStreamWriter &writer, const QString &attribute, const QString &name,
                               const QVariant &value, int depth)
{
    const int type = value.userType();
    if (depth >= 16)
        return false;
    if (type == QMetaType::QVariantList || type == QMetaType::QVariantMap) {
        writer.writeStartElement(depth == 0 ? QStringLiteral("property") : QStringLiteral("value"));
        if (!attribute.isEmpty())
            writer.writeAttribute(attribute, name);
        writer.writeAttribute(QStringLiteral("type"), QLatin1String(QMetaType::typeName(type)));
        if (type == QMetaType::QVariantList) {
            for (const QVariant &entry : value.toList()) {
                if (!writeValue(writer, QString(), QString(), entry, depth + 1))
                    return false;
            }
        } else {
            const QVariantMap map = value.toMap();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                if (!writeValue(writer, QStringLiteral("key"), XmlValues::xmlSafe(it.key()), it.value(), depth + 1))
                    return false;
            }
        }
        writer.writeEndElement();
        return true;
    }
    QString text;
    if (!XmlValues::scalarToText(value, &text))
        return false;
    writer.writeStartElement(depth == 0 ? QStringLiteral("property") : QStringLiteral("value"));
    if (!attribute.isEmpty())
        writer.writeAttribute(attribute, name);
    writer.writeAttribute(QStringLiteral("type"), QLatin1String(QMetaType::typeName(type)));
    // Readers turn a raw carriage return into a line feed; a character reference keeps it.
    const QStringList pieces = text.split(QLatin1Char('\r'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i)
            writer.writeEntityReference(QStringLiteral("#13"));
        if (!pieces.at(i).isEmpty())
            writer.writeCharacters(pieces.at(i));
    }
    writer.writeEndElement();
    return true;
}

void NetworkWriter::writeGeometry(QXmlStreamWriter &writer, const NetObject *object)
{
    const QPointF pos = object->pos();
    const GeoPolyline skeleton = object->skeleton();
    const GeoShape shape = object->shape();
    if (!pointIsValid(pos) && skeleton.isEmpty() && shape.isEmpty())
        return;
    writer.writeEmptyElement(QStringLiteral("geometry"));
    if (pointIsValid(pos))
        writer.writeAttribute(QStringLiteral("pos"), XmlValues::point(pos));
    if (!skeleton.isEmpty())
        writer.writeAttribute(QStringLiteral("skeleton"), XmlValues::points(skeleton.points()));
    if (!shape.isEmpty())
        writer.writeAttribute(QStringLiteral("shape"), XmlValues::points(shape.points()));
}

} // namespace Trelvoa
