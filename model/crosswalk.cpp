#include "crosswalk.h"

#include "edge.h"
#include "lane.h"
#include "node.h"
#include "referencerules.h"
#include "objecthelpers.h"
#include "roadgeometry.h"
#include "signalgroup.h"

#include <algorithm>

namespace Trelvoa {

CrossWalk::CrossWalk(QObject *parent)
    : NetObject(parent)
{
}

CrossWalk::CrossWalk(Node *junction, Lane *lane1, double offset1, Lane *lane2, double offset2)
    : NetObject(junction)
{
    setLane1(lane1);
    setLane2(lane2);
    setOffset1(offset1);
    setOffset2(offset2);
}

CrossWalk::~CrossWalk()
{
    beginDestroy();
}

QString CrossWalk::kindName() const
{
    return tr("Crosswalk");
}

Node *CrossWalk::junction() const
{
    return qobject_cast<Node *>(parent());
}

bool CrossWalk::setJunction(Node *junction)
{
    if (!junction || !ReferenceRules::mayRefer(this, junction) || (network() && junction->network() != network()))
        return false;
    if (junction == parent())
        return true;
    setParent(junction);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

QObject *CrossWalk::junctionObject() const
{
    return junction();
}

bool CrossWalk::setJunctionObject(QObject *node)
{
    return setJunction(qobject_cast<Node *>(node));
}

bool CrossWalk::setLane(Lane *&member, Lane *lane)
{
    if (!lane || !ReferenceRules::mayRefer(this, lane))
        return false;
    if (lane == member)
        return true;
    Lane *old = member;
    member = lane;
    // The same lane may be held twice (a crossing of one lane): keep one reference per end.
    if (old)
        removeReference(old);
    addReference(lane);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool CrossWalk::setLane1(Lane *lane)
{
    return setLane(m_lane1, lane);
}

bool CrossWalk::setLane2(Lane *lane)
{
    return setLane(m_lane2, lane);
}

QObject *CrossWalk::lane1Object() const
{
    return m_lane1;
}

bool CrossWalk::setLane1Object(QObject *lane)
{
    return setLane1(qobject_cast<Lane *>(lane));
}

QObject *CrossWalk::lane2Object() const
{
    return m_lane2;
}

bool CrossWalk::setLane2Object(QObject *lane)
{
    return setLane2(qobject_cast<Lane *>(lane));
}

bool CrossWalk::setOffset1(double offset)
{
    if (!ObjectHelpers::isFinite(offset) || offset < 0.0)
        return false;
    if (offset != m_offset1) {
        m_offset1 = offset;
        setChanged(this, ChangeFlag::Geometry);
    }
    return true;
}

bool CrossWalk::setOffset2(double offset)
{
    if (!ObjectHelpers::isFinite(offset) || offset < 0.0)
        return false;
    if (offset != m_offset2) {
        m_offset2 = offset;
        setChanged(this, ChangeFlag::Geometry);
    }
    return true;
}

bool CrossWalk::setWidth(double width)
{
    if (!ObjectHelpers::isFinite(width) || width <= 0.0)
        return false;
    if (width != m_width) {
        m_width = width;
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
    }
    return true;
}

bool CrossWalk::setMaxSpeed(double speed)
{
    if (!ObjectHelpers::isFinite(speed) || speed < 0.0)
        return false;
    if (speed != m_maxSpeed) {
        m_maxSpeed = speed;
        setChanged(this, ChangeFlag::Attributes);
    }
    return true;
}

QPointF CrossWalk::lanePoint(const Lane *lane, double offset) const
{
    if (!lane)
        return invalidPoint();
    const GeoPolyline full = lane->fullSkeleton();
    if (full.isEmpty())
        return invalidPoint();
    const double length = full.length();
    const bool fromEnd = junction() && lane->endNode() == junction();
    const double d = std::clamp(fromEnd ? length - offset : offset, 0.0, length);
    QPointF p = invalidPoint();
    full.lineAtDistance(d, true, &p);
    return p;
}

QPointF CrossWalk::lanePoint1() const
{
    return lanePoint(m_lane1, m_offset1);
}

QPointF CrossWalk::lanePoint2() const
{
    return lanePoint(m_lane2, m_offset2);
}

void CrossWalk::compute() const
{
    if (m_valid)
        return;
    m_valid = true;
    m_skeletonCache.clear();
    m_shapeCache.clear();
    const QPointF p1 = lanePoint1();
    const QPointF p2 = lanePoint2();
    if (!pointIsValid(p1) || !pointIsValid(p2))
        return;
    QPointF a;
    QPointF b;
    QPointF across = RoadGeometry::unit(p2 - p1);
    if (m_lane1 == m_lane2 || across.isNull()) {
        // One lane: across it at the first point, right border to left border.
        const GeoPolyline full = m_lane1->fullSkeleton();
        double d = 0.0;
        full.pointOn(p1, &d, true, nullptr, nullptr);
        across = RoadGeometry::leftOf(RoadGeometry::directionAt(full, d));
        a = p1 - across * (m_lane1->width() / 2.0);
        b = p1 + across * (m_lane1->width() / 2.0);
    } else {
        a = p1 - across * (m_lane1->width() / 2.0);
        b = p2 + across * (m_lane2->width() / 2.0);
    }
    if (across.isNull())
        return;
    m_skeletonCache = GeoPolyline({a, b});
    const QPointF n = RoadGeometry::leftOf(across) * (m_width / 2.0);
    m_shapeCache = GeoShape({a + n, a - n, b - n, b + n, a + n});
}

GeoPolyline CrossWalk::skeleton() const
{
    compute();
    return m_skeletonCache;
}

GeoShape CrossWalk::shape() const
{
    compute();
    return m_shapeCache;
}

QPointF CrossWalk::pos() const
{
    compute();
    if (m_skeletonCache.count() < 2)
        return invalidPoint();
    return (m_skeletonCache.first() + m_skeletonCache.last()) / 2.0;
}

SignalGroup *CrossWalk::signalGroup() const
{
    for (NetObject *holder : referrers()) {
        if (auto *g = qobject_cast<SignalGroup *>(holder))
            return g;
    }
    return nullptr;
}

QString CrossWalk::signalGroupName() const
{
    const SignalGroup *g = signalGroup();
    return g ? g->printableName() : QString();
}

int CrossWalk::signalGroupTlId() const
{
    const SignalGroup *g = signalGroup();
    return g ? g->tlId() : -1;
}

QSet<NetObject *> CrossWalk::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (const Lane *l : {m_lane1, m_lane2}) {
        if (l && l->edge())
            set.insert(l->edge());
    }
    return set;
}

void CrossWalk::referenceRemoved(NetObject *target)
{
    if (target == m_lane1 || target == m_lane2) {
        delete this;
        return;
    }
    NetObject::referenceRemoved(target);
}

void CrossWalk::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_valid = false;
}

} // namespace Trelvoa
