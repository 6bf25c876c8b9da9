#include "io/contentreader.h"

#include "netobject.h"

namespace Trelvoa {

// The objects keep what they read in blocks of their own: the document's lie on the pages of the
// threads that parsed and checked it, and one value kept from each page would hold all of them after
// the document goes.

const SavedAttribute *ContentReader::Values::find(const QString &name) const
{
    for (const SavedAttribute &a : *m_attributes) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

QString ContentReader::Values::text(const QString &name, const QString &fallback) const
{
    const SavedAttribute *a = find(name);
    if (!a)
        return fallback;
    const QString text = a->value.toString();
    return text.isEmpty() ? text : QString(text.constData(), text.size());
}

double ContentReader::Values::number(const QString &name, double fallback) const
{
    const SavedAttribute *a = find(name);
    return a ? a->value.toDouble() : fallback;
}

qlonglong ContentReader::Values::integer(const QString &name, qlonglong fallback) const
{
    const SavedAttribute *a = find(name);
    return a ? a->value.toLongLong() : fallback;
}

bool ContentReader::Values::boolean(const QString &name, bool fallback) const
{
    const SavedAttribute *a = find(name);
    return a ? a->value.toBool() : fallback;
}

QVector<QPointF> ContentReader::Values::points(const QString &name) const
{
    const SavedAttribute *a = find(name);
    if (!a)
        return QVector<QPointF>();
    const QVector<QPointF> points = a->value.value<QVector<QPointF>>();
    return QVector<QPointF>(points.cbegin(), points.cend());
}

NetObject *ContentReader::Values::reference(const QString &name) const
{
    const SavedAttribute *a = find(name);
    const int id = a ? a->value.toInt() : 0;
    return id > 0 ? (*m_resolver)(id) : nullptr;
}

QList<NetObject *> ContentReader::Values::references(const QString &name) const
{
    QList<NetObject *> list;
    const SavedAttribute *a = find(name);
    if (!a)
        return list;
    const QVector<int> ids = a->value.value<QVector<int>>();
    for (int id : ids) {
        if (NetObject *o = (*m_resolver)(id))
            list.append(o);
    }
    return list;
}

ContentReader::ContentReader(const SavedObject *object, const Resolver *resolver)
    : m_object(object)
    , m_resolver(resolver)
    , m_values(&object->attributes, resolver)
{
}

QVector<ContentReader::Values> ContentReader::items(const QString &tag) const
{
    QVector<Values> list;
    for (const SavedItem &item : m_object->items) {
        if (item.tag == tag)
            list.append(Values(&item.attributes, m_resolver));
    }
    return list;
}

bool ContentReader::fail(const QString &message)
{
    if (m_error.isEmpty()) {
        m_error = message;
        m_errorPosition = m_object->position;
    }
    return false;
}

} // namespace Trelvoa
