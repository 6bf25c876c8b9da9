#include "connection.h"

#include "edge.h"
#include "lane.h"
#include "node.h"
#include "referencerules.h"
#include "objecthelpers.h"
#include "roadgeometry.h"
#include "signalgroup.h"
#include "stopline.h"

namespace Trelvoa {

Connection::Connection(QObject *parent)
    : NetObject(parent)
{
}

Connection::Connection(QObject *parent, Stopline *from, Stopline *to)
    : NetObject(parent)
{
    setFrom(from);
    setTo(to);
}

Connection::~Connection()
{
    beginDestroy();
}

QString Connection::kindName() const
{
    return tr("Connection");
}

bool Connection::setFrom(Stopline *line)
{
    if (!line || !line->isStopline() || !ReferenceRules::mayRefer(this, line))
        return false;
    if (line == m_from)
        return true;
    if (m_from)
        removeReference(m_from);
    m_from = line;
    addReference(line);
    followJunction();
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool Connection::setTo(Stopline *line)
{
    if (!line || line->isStopline() || !ReferenceRules::mayRefer(this, line))
        return false;
    if (line == m_to)
        return true;
    if (m_to)
        removeReference(m_to);
    m_to = line;
    addReference(line);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

QObject *Connection::fromObject() const
{
    return m_from;
}

bool Connection::setFromObject(QObject *line)
{
    return setFrom(qobject_cast<Stopline *>(line));
}

QObject *Connection::toObject() const
{
    return m_to;
}

bool Connection::setToObject(QObject *line)
{
    return setTo(qobject_cast<Stopline *>(line));
}

void Connection::followJunction()
{
    const Lane *lane = startLane();
    Node *node = lane ? lane->endNode() : nullptr;
    if (!node || parent() == node)
        return;
    // Objects of a network stay in it: a loose node cannot take a registered connection.
    if (network() && node->network() != network())
        return;
    setParent(node);
}

Lane *Connection::startLane() const
{
    return m_from ? m_from->lane() : nullptr;
}

Lane *Connection::endLane() const
{
    return m_to ? m_to->lane() : nullptr;
}

Node *Connection::junction() const
{
    return qobject_cast<Node *>(parent());
}

bool Connection::setMaxSpeed(double speed)
{
    if (!ObjectHelpers::isFinite(speed) || speed < 0.0)
        return false;
    if (speed == m_maxSpeed)
        return true;
    m_maxSpeed = speed;
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

void Connection::setGiveWay(bool giveWay)
{
    if (giveWay == m_giveWay)
        return;
    m_giveWay = giveWay;
    setChanged(this, ChangeFlag::Attributes);
}

GeoPolyline Connection::computedSkeleton() const
{
    if (!m_from || !m_to)
        return GeoPolyline();
    const QLineF in = m_from->direction();
    const QLineF out = m_to->direction();
    if (in.isNull() || out.isNull() || !pointIsValid(in.p1()) || !pointIsValid(out.p1()))
        return GeoPolyline();
    return RoadGeometry::bezier(in.p1(), in.p2() - in.p1(), out.p1(), out.p2() - out.p1());
}

GeoPolyline Connection::skeleton() const
{
    if (!m_skeletonValid) {
        m_skeletonCache = m_custom.inUse() ? *m_custom.inUse() : computedSkeleton();
        m_skeletonValid = true;
    }
    return m_skeletonCache;
}

bool Connection::setSkeleton(const GeoPolyline &skeleton)
{
    if (!ObjectHelpers::isUsableLine(skeleton))
        return false;
    if (m_custom.take(skeleton))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

void Connection::setAutoSkeleton(bool on)
{
    if (m_custom.setAutomatic(on, [this] { return skeleton(); }))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

GeoShape Connection::shape() const
{
    const Lane *lane = startLane();
    return skeleton().stroke(lane ? lane->width() : 1.0);
}

double Connection::lanesAngle() const
{
    if (!m_from || !m_to)
        return 0.0;
    const QLineF in = m_from->direction();
    const QLineF out = m_to->direction();
    if (in.isNull() || out.isNull())
        return 0.0;
    return ObjectHelpers::normalizedAngle(RoadGeometry::signedAngle(in.p2() - in.p1(), out.p2() - out.p1()));
}

QList<SignalGroup *> Connection::signalGroups() const
{
    QList<SignalGroup *> list;
    for (NetObject *holder : referrers()) {
        auto *g = qobject_cast<SignalGroup *>(holder);
        if (g && !list.contains(g))
            list.append(g);
    }
    return list;
}

QStringList Connection::signalGroupsNames() const
{
    QStringList names;
    for (const SignalGroup *g : signalGroups())
        names.append(g->printableName());
    return names;
}

QString Connection::signalGroupName() const
{
    const QStringList names = signalGroupsNames();
    return names.isEmpty() ? QString() : names.first();
}

QString Connection::signalGroupsName() const
{
    return signalGroupsNames().join(QStringLiteral(", "));
}

int Connection::signalGroupTlId() const
{
    const QList<SignalGroup *> groups = signalGroups();
    return groups.isEmpty() ? -1 : groups.first()->tlId();
}

QString Connection::signalGroupsTlId() const
{
    QStringList ids;
    for (const SignalGroup *g : signalGroups())
        ids.append(QString::number(g->tlId()));
    return ids.join(QStringLiteral(", "));
}

QSet<NetObject *> Connection::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (const Lane *l : {startLane(), endLane()}) {
        if (l && l->edge())
            set.insert(l->edge());
    }
    return set;
}

void Connection::referenceRemoved(NetObject *target)
{
    if (target == m_from || target == m_to) {
        delete this;
        return;
    }
    NetObject::referenceRemoved(target);
}

void Connection::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_skeletonValid = false;
    m_skeletonCache.clear();
}

} // namespace Trelvoa
