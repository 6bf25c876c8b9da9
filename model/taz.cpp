#include "taz.h"

#include "edge.h"
#include "objecthelpers.h"

namespace Trelvoa {

Taz::Taz(QObject *parent)
    : NetObject(parent)
{
}

Taz::Taz(QObject *parent, const QPointF &pos)
    : NetObject(parent)
    , m_pos(pointIsValid(pos) ? pos : QPointF())
{
}

Taz::~Taz()
{
    beginDestroy();
}

bool Taz::setPos(const QPointF &pos)
{
    if (!pointIsValid(pos))
        return false;
    if (pos == m_pos)
        return true;
    m_pos = pos;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool Taz::setRadius(double radius)
{
    if (!ObjectHelpers::isFinite(radius) || radius <= 0.0)
        return false;
    if (radius == m_radius)
        return true;
    m_radius = radius;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

GeoShape Taz::shape() const
{
    GeoShape circle;
    circle.addEllipse(m_pos, m_radius, m_radius);
    return circle;
}

QList<Edge *> Taz::edges() const
{
    QList<Edge *> list;
    list.reserve(m_links.size());
    for (const Link &link : m_links)
        list.append(link.edge);
    return list;
}

int Taz::indexOf(const Edge *edge) const
{
    for (int i = 0; i < m_links.size(); ++i) {
        if (m_links.at(i).edge == edge)
            return i;
    }
    return -1;
}

const Taz::EdgeData *Taz::edgeData(Edge *edge) const
{
    const int i = indexOf(edge);
    return i < 0 ? nullptr : &m_links.at(i).data;
}

bool Taz::addEdge(Edge *edge, double position, bool flag)
{
    if (!edge || !sameNetwork(edge) || !ObjectHelpers::isFinite(position))
        return false;
    const GeoPolyline skeleton = edge->skeleton();
    if (skeleton.count() >= 2)
        position = qBound(0.0, position, skeleton.length());
    else
        position = qMax(0.0, position);
    const int i = indexOf(edge);
    if (i >= 0) {
        EdgeData &data = m_links[i].data;
        if (data.position == position && data.flag == flag)
            return true;
        data.position = position;
        data.flag = flag;
    } else {
        m_links.append({edge, {position, flag}});
        addReference(edge);
    }
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool Taz::removeEdge(Edge *edge)
{
    const int i = indexOf(edge);
    if (i < 0)
        return false;
    m_links.remove(i);
    removeReference(edge);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool Taz::hasSourceEdges() const
{
    for (const Link &link : m_links) {
        if (link.data.flag)
            return true;
    }
    return false;
}

QPointF Taz::connectionPoint(Edge *edge) const
{
    const EdgeData *data = edgeData(edge);
    if (!data)
        return invalidPoint();
    QPointF point = invalidPoint();
    edge->skeleton().lineAtDistance(data->position, true, &point);
    return point;
}

void Taz::referenceRemoved(NetObject *target)
{
    if (auto *edge = qobject_cast<Edge *>(target)) {
        if (removeEdge(edge))
            return;
    }
    NetObject::referenceRemoved(target);
}

QVariantList Taz::edgesVariant() const
{
    QVariantList list;
    for (const Link &link : m_links)
        list.append(QVariant::fromValue<QObject *>(link.edge));
    return list;
}

QSet<NetObject *> Taz::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (const Link &link : m_links)
        ObjectHelpers::addTopLevel(set, this, link.edge);
    return set;
}

} // namespace Trelvoa
