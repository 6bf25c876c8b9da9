#include "node.h"

#include "connection.h"
#include "crosswalk.h"
#include "deletioncascade.h"
#include "edge.h"
#include "edgegroup.h"
#include "granule.h"
#include "objecthelpers.h"
#include "referencerules.h"
#include "roadgeometry.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {

// Arms within this angle of the widest one run along the same road and do not set the circle.
const double kCrossingSine = 0.5; // sin(30 degrees)

} // namespace

Node::Node(QObject *parent)
    : NetObject(parent)
{
}

Node::Node(QObject *parent, const QPointF &pos, int type)
    : NetObject(parent)
    , m_pos(pointIsValid(pos) ? pos : QPointF())
    , m_type(type >= 0 ? type : PlainNode)
{
}

Node::~Node()
{
    beginDestroy();
    m_edges.clear();
    m_groups.clear();
}

QString Node::kindName() const
{
    return tr("Node");
}

bool Node::setType(int type)
{
    if (type < 0)
        return false;
    if (type == m_type)
        return true;
    m_type = type;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology | ChangeFlag::Attributes);
    return true;
}

QPointF Node::attachedPos() const
{
    if (!m_attachedPosValid) {
        const GeoPolyline line = m_attachedGroup->skeleton();
        QPointF p = m_pos;
        if (!line.isEmpty())
            line.lineAtDistance(m_groupFraction * line.length(), true, &p);
        m_attachedPos = p;
        m_attachedPosValid = true;
    }
    return m_attachedPos;
}

QPointF Node::pos() const
{
    return m_attachedGroup ? attachedPos() : m_pos;
}

bool Node::setPos(const QPointF &pos)
{
    if (!pointIsValid(pos))
        return false;
    if (m_attachedGroup) {
        const GeoPolyline line = m_attachedGroup->skeleton();
        const double length = line.length();
        double d = 0.0;
        if (length > 0.0)
            line.pointOn(pos, &d, true, nullptr, nullptr);
        const double fraction = length > 0.0 ? std::clamp(d / length, 0.0, 1.0) : 0.0;
        if (fraction == m_groupFraction && m_attachedPosValid)
            return true;
        m_groupFraction = fraction;
        m_attachedPosValid = false;
        m_pos = attachedPos();
    } else {
        if (pos == m_pos)
            return true;
        m_pos = pos;
    }
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

GeoShape Node::shape() const
{
    if (!isJunction())
        return GeoShape();
    return m_autoShape ? computedShape() : m_customShape;
}

void Node::setAutoShape(bool on)
{
    if (on == m_autoShape)
        return;
    if (!on && m_customShape.isEmpty())
        m_customShape = computedShape();
    m_autoShape = on;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

bool Node::setCustomShape(const GeoShape &shape)
{
    if (shape.isEmpty()) {
        if (m_autoShape && m_customShape.isEmpty())
            return true;
        m_customShape.clear();
        m_autoShape = true;
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
        return true;
    }
    if (!ObjectHelpers::isUsableOutline(shape))
        return false;
    const GeoShape closed = ObjectHelpers::closedOutline(shape);
    if (!m_autoShape && closed == m_customShape)
        return true;
    m_customShape = closed;
    m_autoShape = false;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

GeoShape Node::computedShape() const
{
    if (!isJunction())
        return GeoShape();
    if (m_shapeValid)
        return m_shapeCache;
    m_shapeValid = true;
    m_shapeCache.clear();
    m_radiusCache = 0.0;

    const QPointF centre = pos();
    struct Arm
    {
        QPointF direction;
        double halfWidth;
    };
    QVector<Arm> arms;
    QVector<GeoPolyline> borders;
    for (const Edge *e : edges()) {
        if (e->lanesCount() == 0)
            continue;
        GeoPolyline line = e->skeleton();
        if (line.count() < 2)
            continue;
        const bool leaving = e->start() == this;
        const double offset = e->lanesOffset();
        const double width = e->lanesWidth();
        // Borders run away from the node: the right border of lane 0, and the skeleton-side border
        // unless the opposite edge's lanes continue beyond it.
        GeoPolyline right = line.parallel(offset - width, true);
        if (!leaving)
            right.invert();
        borders.append(right);
        if (e->opposite().isEmpty()) {
            GeoPolyline left = line.parallel(offset, true);
            if (!leaving)
                left.invert();
            borders.append(left);
        }
        if (!leaving)
            line.invert();
        arms.append({RoadGeometry::directionAt(line, 0.0), std::max(std::abs(offset - width), std::abs(offset))});
    }
    if (arms.isEmpty())
        return m_shapeCache;

    const auto widest = std::max_element(arms.begin(), arms.end(),
                                         [](const Arm &a, const Arm &b) { return a.halfWidth < b.halfWidth; });
    const double w1 = widest->halfWidth;
    double w2 = -1.0;
    for (const Arm &a : qAsConst(arms)) {
        const double sine = std::abs(a.direction.x() * widest->direction.y() - a.direction.y() * widest->direction.x());
        if (sine > kCrossingSine)
            w2 = std::max(w2, a.halfWidth);
    }
    if (w2 < 0.0)
        w2 = w1;
    const double radius = std::hypot(w1, w2);
    m_radiusCache = radius;

    QVector<QPointF> corners;
    corners.reserve(borders.size() * 2);
    for (const GeoPolyline &b : qAsConst(borders)) {
        corners.append(b.first());
        corners.append(RoadGeometry::circleExit(b, centre, radius));
    }
    // Border starts often lie on the hull's sides: keep corners only.
    const GeoShape hull = GeoShape::convexHull(corners);
    QVector<QPointF> ring = hull.points();
    QVector<QPointF> distinct;
    for (const QPointF &p : qAsConst(ring)) {
        if (distinct.isEmpty() || flatDistance(distinct.last(), p) > 1e-9)
            distinct.append(p);
    }
    while (distinct.size() > 1 && flatDistance(distinct.first(), distinct.last()) <= 1e-9)
        distinct.removeLast();
    ring = distinct;
    QVector<QPointF> kept;
    for (int i = 0; i < ring.size(); ++i) {
        const QPointF a = ring.at((i + ring.size() - 1) % ring.size());
        const QPointF b = ring.at(i);
        const QPointF c = ring.at((i + 1) % ring.size());
        const double cross = (b.x() - a.x()) * (c.y() - b.y()) - (b.y() - a.y()) * (c.x() - b.x());
        if (std::abs(cross) > 1e-9 * std::max(1.0, flatDistance(a, c) * flatDistance(a, c)))
            kept.append(b);
    }
    if (kept.size() >= 3) {
        kept.append(kept.first());
        m_shapeCache = GeoShape(kept);
    }
    return m_shapeCache;
}

double Node::shapeRadius() const
{
    computedShape();
    return m_radiusCache;
}

QList<Edge *> Node::edges() const
{
    QList<Edge *> list;
    list.reserve(m_edges.size());
    for (Edge *e : m_edges) {
        if (!e->isRemoved())
            list.append(e);
    }
    return list;
}

QVariantList Node::edgesList() const
{
    QVariantList list;
    for (Edge *e : edges())
        list.append(QVariant::fromValue<QObject *>(e));
    return list;
}

Edge *Node::edge(int i) const
{
    const QList<Edge *> list = edges();
    return i >= 0 && i < list.size() ? list.at(i) : nullptr;
}

QList<Edge *> Node::incomingEdges() const
{
    QList<Edge *> list;
    for (Edge *e : edges()) {
        if (e->end() == this)
            list.append(e);
    }
    return list;
}

QList<Edge *> Node::outgoingEdges() const
{
    QList<Edge *> list;
    for (Edge *e : edges()) {
        if (e->start() == this)
            list.append(e);
    }
    return list;
}

QMap<double, Edge *> Node::sortedEdges() const
{
    QMap<double, Edge *> map;
    const QPointF centre = pos();
    for (Edge *e : edges()) {
        GeoPolyline line = e->skeleton();
        if (line.isEmpty())
            continue;
        const bool leaving = e->start() == this;
        if (!leaving)
            line.invert();
        QPointF p;
        line.lineAtDistance(std::min(line.length() / 2.0, 5.0), true, &p);
        // QLineF measures counter-clockwise with y down, which is clockwise in the model plane.
        double key = QLineF(centre, p).angle();
        if (!pointIsValid(p) || p == centre)
            key = 0.0;
        // The lanes of a leaving edge lie clockwise of the skeleton, those of an entering one before it.
        key += leaving ? 1e-6 : -1e-6;
        key = ObjectHelpers::normalizedAngle(key);
        while (map.contains(key))
            key += 1e-9;
        map.insert(key, e);
    }
    return map;
}

QList<EdgeGroup *> Node::edgeGroups() const
{
    QList<EdgeGroup *> list;
    for (EdgeGroup *g : m_groups) {
        if (!list.contains(g))
            list.append(g);
    }
    return list;
}

QObject *Node::attachedEdgeGroupObject() const
{
    return m_attachedGroup;
}

bool Node::setAttachedEdgeGroupObject(QObject *group)
{
    if (group && !qobject_cast<EdgeGroup *>(group))
        return false;
    return setAttachedEdgeGroup(qobject_cast<EdgeGroup *>(group));
}

bool Node::setAttachedEdgeGroup(EdgeGroup *group)
{
    if (group == m_attachedGroup)
        return true;
    if (group && (!ReferenceRules::mayRefer(this, group) || group->start() == this || group->end() == this))
        return false;
    const QPointF current = pos();
    if (m_attachedGroup)
        removeReference(m_attachedGroup);
    m_attachedGroup = group;
    m_attachedPosValid = false;
    m_pos = current;
    if (group) {
        addReference(group);
        const GeoPolyline line = group->skeleton();
        const double length = line.length();
        double d = 0.0;
        if (length > 0.0)
            line.pointOn(current, &d, true, nullptr, nullptr);
        m_groupFraction = length > 0.0 ? std::clamp(d / length, 0.0, 1.0) : 0.0;
        m_pos = attachedPos();
    }
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

QList<Connection *> Node::connections() const
{
    return findChildren<Connection *>(QString(), Qt::FindDirectChildrenOnly);
}

QList<CrossWalk *> Node::crossWalks() const
{
    return findChildren<CrossWalk *>(QString(), Qt::FindDirectChildrenOnly);
}

Granule *Node::granule() const
{
    return Granule::granuleOf(this);
}

QObject *Node::granuleObject() const
{
    return granule();
}

QList<NetObject *> Node::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

void Node::collectAffected(ChangeSet &set, int flags) const
{
    // Children (connections, crosswalks), incident edges with the far nodes' shapes, groups ending
    // here (their skeletons) and other holders such as the granule.
    Edge::collectRoadChange(set, flags, {this}, {}, {});
}

void Node::collectShapeAffected(ChangeSet &set, int flags) const
{
    for (QObject *c : children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (child && set.add(child))
            child->collectAffected(set, flags);
    }
    for (NetObject *holder : referrers()) {
        if (qobject_cast<Edge *>(holder) || qobject_cast<EdgeGroup *>(holder) || qobject_cast<Node *>(holder))
            continue;
        if (set.add(holder))
            holder->collectAffected(set, flags);
    }
    for (Edge *e : m_edges) {
        if (!e->isRemoved())
            e->collectShapeAffected(set, flags, this);
    }
}

void Node::referenceRemoved(NetObject *target)
{
    if (target == m_attachedGroup) {
        m_pos = attachedPos();
        removeReference(m_attachedGroup);
        m_attachedGroup = nullptr;
        m_attachedPosValid = false;
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
        return;
    }
    NetObject::referenceRemoved(target);
}

void Node::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_shapeValid = false;
    m_shapeCache.clear();
    m_attachedPosValid = false;
}

void Node::attachEdge(Edge *edge)
{
    if (!m_edges.contains(edge))
        m_edges.append(edge);
    m_shapeValid = false;
}

void Node::detachEdge(Edge *edge)
{
    m_edges.removeOne(edge);
    m_shapeValid = false;
}

void Node::attachGroup(EdgeGroup *group)
{
    if (!m_groups.contains(group))
        m_groups.append(group);
}

void Node::detachGroup(EdgeGroup *group)
{
    m_groups.removeOne(group);
}

} // namespace Trelvoa
