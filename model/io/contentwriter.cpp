#include "io/contentwriter.h"

#include "io/xmlvalues.h"
#include "netobject.h"

namespace Trelvoa {

void ContentWriter::add(const QString &name, const QString &text)
{
    if (m_inItem)
        m_items.last().attributes.append({name, text, QVariant(), false});
    else
        m_attributes.append({name, text, QVariant(), false});
}

void ContentWriter::addValue(const QString &name, const QVariant &value)
{
    Entry entry{name, QString(), value, true};
    if (m_inItem)
        m_items.last().attributes.append(entry);
    else
        m_attributes.append(entry);
}

QString ContentWriter::textOf(const Entry &entry)
{
    return entry.deferred ? XmlValues::valueText(entry.value) : entry.text;
}

template<class T, class Text>
void ContentWriter::put(const QString &name, const T &value, Text text)
{
    if (m_keepValues)
        addValue(name, QVariant::fromValue(value));
    else
        add(name, text(value));
}

void ContentWriter::text(const QString &name, const QString &value)
{
    put(name, value, XmlValues::xmlSafe);
}

void ContentWriter::number(const QString &name, double value)
{
    put(name, value, XmlValues::number);
}

void ContentWriter::integer(const QString &name, qlonglong value)
{
    put(name, value, XmlValues::integer);
}

void ContentWriter::boolean(const QString &name, bool value)
{
    put(name, value, XmlValues::boolean);
}

void ContentWriter::points(const QString &name, const QVector<QPointF> &points)
{
    put(name, points, XmlValues::points);
}

void ContentWriter::reference(const QString &name, const NetObject *object)
{
    if (object)
        m_referenced.append(object);
    const int id = object ? object->id() : 0;
    if (m_keepValues)
        addValue(name, QVariant(id));
    else
        add(name, QString::number(id));
}

void ContentWriter::references(const QString &name, const QList<NetObject *> &objects)
{
    QVector<int> ids;
    ids.reserve(objects.size());
    for (const NetObject *o : objects) {
        if (!o)
            continue;
        m_referenced.append(o);
        ids.append(o->id());
    }
    add(name, XmlValues::ids(ids));
}

void ContentWriter::beginItem(const QString &tag)
{
    m_items.append({tag, {}});
    m_inItem = true;
}

void ContentWriter::endItem()
{
    m_inItem = false;
}

void ContentWriter::clear()
{
    m_attributes.clear();
    m_items.clear();
    m_referenced.clear();
    m_inItem = false;
}

} // namespace Trelvoa
