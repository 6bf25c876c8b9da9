#include "edge.h"

#include "connection.h"
#include "crosswalk.h"
#include "deletioncascade.h"
#include "edgegroup.h"
#include "node.h"
#include "objecthelpers.h"
#include "referencerules.h"
#include "roadgeometry.h"
#include "stopline.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {


} // namespace

Edge::Edge(QObject *parent)
    : NetObject(parent)
{
}

Edge::Edge(QObject *parent, Node *start, Node *end)
    : NetObject(parent)
{
    setStart(start);
    setEnd(end);
}

Edge::~Edge()
{
    beginDestroy();
    // The whole network goes: the other objects may be gone already.
    if (networkIsClearing())
        return;
    Node *start = m_start;
    Node *end = m_end;
    if (m_start)
        m_start->detachEdge(this);
    if (m_end)
        m_end->detachEdge(this);
    m_start = nullptr;
    m_end = nullptr;
    m_group = nullptr;
    ChangeSet set;
    for (Node *n : {start, end}) {
        if (n && set.add(n))
            n->collectShapeAffected(set, ChangeFlag::All);
    }
    dropCaches(set);
}

QString Edge::kindName() const
{
    return tr("Edge");
}

bool Edge::setNode(Node *&member, Node *node, Node *other)
{
    if (!node || !ReferenceRules::mayRefer(this, node) || node == other)
        return false;
    if (node == member)
        return true;
    Node *old = member;
    if (old) {
        old->detachEdge(this);
        removeReference(old);
    }
    member = node;
    addReference(node);
    node->attachEdge(this);
    if (&member == &m_end) {
        // The movements from this edge's lanes now pass through the new end node.
        for (Lane *l : liveLanes()) {
            for (Trelvoa::Connection *c : l->stopline()->connections())
                c->followJunction();
        }
    }
    if (old)
        old->setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool Edge::setStart(Node *node)
{
    return setNode(m_start, node, m_end);
}

bool Edge::setEnd(Node *node)
{
    return setNode(m_end, node, m_start);
}

QObject *Edge::startObject() const
{
    return m_start;
}

bool Edge::setStartObject(QObject *node)
{
    return setStart(qobject_cast<Node *>(node));
}

QObject *Edge::endObject() const
{
    return m_end;
}

bool Edge::setEndObject(QObject *node)
{
    return setEnd(qobject_cast<Node *>(node));
}

QObject *Edge::groupObject() const
{
    return m_group;
}

bool Edge::setGroupObject(QObject *group)
{
    if (group && !qobject_cast<EdgeGroup *>(group))
        return false;
    return setGroup(qobject_cast<EdgeGroup *>(group));
}

bool Edge::setGroup(EdgeGroup *group)
{
    if (group)
        return group->addEdge(this);
    if (m_group)
        return m_group->removeEdge(this);
    return true;
}

void Edge::joinGroup(EdgeGroup *group)
{
    if (group == m_group)
        return;
    if (m_group)
        removeReference(m_group);
    m_group = group;
    if (group)
        addReference(group);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
}

GeoPolyline Edge::derivedSkeleton() const
{
    if (const GeoPolyline *custom = m_custom.inUse())
        return *custom;
    if (m_group && m_start && m_end) {
        const GeoPolyline line = m_group->skeleton();
        if (line.count() >= 2) {
            const GeoPolyline piece = line.part(m_group->nodeDistance(m_start), m_group->nodeDistance(m_end), true);
            if (piece.count() >= 2 && piece.length() > 1e-9)
                return piece;
        }
    }
    if (m_start && m_end)
        return GeoPolyline({m_start->pos(), m_end->pos()});
    return GeoPolyline();
}

GeoPolyline Edge::skeleton() const
{
    if (!m_skeletonValid) {
        m_skeletonCache = derivedSkeleton();
        m_skeletonValid = true;
    }
    return m_skeletonCache;
}

bool Edge::setSkeleton(const GeoPolyline &skeleton)
{
    if (!ObjectHelpers::isUsableLine(skeleton, 1e-9))
        return false;
    if (m_custom.take(skeleton))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

void Edge::setAutoSkeleton(bool on)
{
    if (m_custom.setAutomatic(on, [this] { return skeleton(); }))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

bool Edge::setLanesOffset(double offset)
{
    if (!ObjectHelpers::isFinite(offset))
        return false;
    if (offset == m_lanesOffset)
        return true;
    m_lanesOffset = offset;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
    return true;
}

void Edge::setStreetName(const QString &name)
{
    if (name == m_streetName)
        return;
    m_streetName = name;
    setChanged(this, ChangeFlag::Attributes);
}

QVector<Lane *> Edge::liveLanes() const
{
    QVector<Lane *> lanes;
    lanes.reserve(m_lanes.size());
    for (Lane *l : m_lanes) {
        if (!l->isRemoved())
            lanes.append(l);
    }
    return lanes;
}

int Edge::lanesCount() const
{
    int n = 0;
    for (const Lane *l : m_lanes)
        n += l->isRemoved() ? 0 : 1;
    return n;
}

Lane *Edge::lane(int i) const
{
    if (i < 0)
        return nullptr;
    for (Lane *l : m_lanes) {
        if (l->isRemoved())
            continue;
        if (i-- == 0)
            return l;
    }
    return nullptr;
}

QList<Lane *> Edge::lanes() const
{
    const QVector<Lane *> live = liveLanes();
    return QList<Lane *>(live.begin(), live.end());
}

QVariantList Edge::lanesList() const
{
    QVariantList list;
    for (Lane *l : liveLanes())
        list.append(QVariant::fromValue<QObject *>(l));
    return list;
}

int Edge::laneIndex(const Lane *lane) const
{
    int i = 0;
    for (const Lane *l : m_lanes) {
        if (l->isRemoved())
            continue;
        if (l == lane)
            return i;
        ++i;
    }
    return -1;
}

void Edge::addLane(Lane *lane, int index)
{
    lane->m_edge = this;
    m_lanes.removeOne(lane);
    const int live = lanesCount();
    if (index < 0 || index > live)
        index = live;
    // Place before the live lane currently at `index` (dying lanes keep their slots).
    int slot = m_lanes.size();
    int seen = 0;
    for (int k = 0; k < m_lanes.size(); ++k) {
        if (m_lanes.at(k)->isRemoved())
            continue;
        if (seen == index) {
            slot = k;
            break;
        }
        ++seen;
    }
    m_lanes.insert(slot, lane);
    dropRoadCaches();
}

void Edge::removeLane(Lane *lane)
{
    m_lanes.removeOne(lane);
}

bool Edge::insertLane(int index, Lane *lane)
{
    if (!lane || lane->isRemoved())
        return false;
    if (lane->m_edge && lane->m_edge != this)
        return false;
    if (!lane->m_edge) {
        if (!ReferenceRules::mayRefer(this, lane) || (lane->network() && !network()))
            return false;
        if (lane->parent() != this)
            lane->setParent(this);
    }
    addLane(lane, index);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

double Edge::lanesWidth() const
{
    double w = 0.0;
    for (const Lane *l : m_lanes) {
        if (!l->isRemoved())
            w += l->width();
    }
    return w;
}

double Edge::maxSpeed() const
{
    double speed = 0.0;
    for (const Lane *l : liveLanes())
        speed = std::max(speed, l->maxSpeed());
    return speed;
}

bool Edge::setMaxSpeed(double speed)
{
    if (!ObjectHelpers::isFinite(speed) || speed < 0.0)
        return false;
    for (Lane *l : liveLanes())
        l->setMaxSpeed(speed);
    return true;
}

QList<Edge *> Edge::opposite() const
{
    QList<Edge *> list;
    if (!m_start || !m_end)
        return list;
    for (Edge *e : m_end->edges()) {
        if (e != this && e->m_start == m_end && e->m_end == m_start)
            list.append(e);
    }
    return list;
}

QList<Trelvoa::Connection *> Edge::connections() const
{
    QList<Trelvoa::Connection *> list;
    for (const Lane *l : liveLanes())
        list += l->stopline()->connections();
    return list;
}

GeoPolyline Edge::carriagewaySkeleton() const
{
    if (lanesCount() == 0)
        return skeleton();
    return skeleton().parallel(m_lanesOffset - lanesWidth() / 2.0, true);
}

GeoPolyline Edge::routeSkeleton(Lane::VehicleClasses classes) const
{
    const QVector<Lane *> lanes = liveLanes();
    if (lanes.isEmpty())
        return skeleton();
    // The band from the rightmost to the leftmost lane allowing the classes.
    int first = -1;
    int last = -1;
    for (int i = 0; i < lanes.size(); ++i) {
        if (classes == 0 || lanes.at(i)->allows(classes)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        first = 0;
        last = lanes.size() - 1;
    }
    const double right = lanes.at(first)->centreOffset() - lanes.at(first)->width() / 2.0;
    const double left = lanes.at(last)->centreOffset() + lanes.at(last)->width() / 2.0;
    const GeoPolyline line = skeleton().parallel((left + right) / 2.0, true);
    double startCut = 0.0;
    double endCut = 0.0;
    if (m_start && m_start->isJunction())
        startCut = RoadGeometry::exitDistance(line, m_start->shape(), true);
    if (m_end && m_end->isJunction())
        endCut = RoadGeometry::exitDistance(line, m_end->shape(), false);
    const double length = line.length();
    if (startCut + endCut >= length)
        return line;
    return line.part(startCut, length - endCut, true);
}

QSet<NetObject *> Edge::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    if (m_start)
        set.insert(m_start);
    if (m_end)
        set.insert(m_end);
    if (m_group)
        set.insert(m_group);
    return set;
}

QList<NetObject *> Edge::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

void Edge::collectLightAffected(ChangeSet &set, int flags) const
{
    NetObject::collectAffected(set, flags);
}

void Edge::collectShapeAffected(ChangeSet &set, int flags, const Node *at) const
{
    const bool added = set.add(this);
    if (added) {
        for (NetObject *holder : referrers()) {
            if (set.add(holder))
                holder->collectAffected(set, flags);
        }
    }
    for (QObject *c : children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (!child)
            continue;
        if (auto *l = qobject_cast<Lane *>(child)) {
            set.add(l);
            l->collectCutAffected(set, flags, at);
        } else if (added && set.add(child)) {
            child->collectAffected(set, flags);
        }
    }
}

void Edge::collectAffected(ChangeSet &set, int flags) const
{
    collectRoadChange(set, flags, {}, {}, {this});
}

void Edge::collectRoadChange(ChangeSet &set, int flags, QVector<const Node *> nodes,
                             QVector<const EdgeGroup *> groups, QVector<const Edge *> edges)
{
    auto addOnce = [](auto &list, auto *item) {
        if (item && !list.contains(item))
            list.append(item);
    };
    int n = 0;
    int g = 0;
    while (n < nodes.size() || g < groups.size()) {
        for (; n < nodes.size(); ++n) {
            for (const Edge *e : nodes.at(n)->edges())
                addOnce(edges, e);
            for (const EdgeGroup *group : nodes.at(n)->edgeGroups())
                addOnce(groups, group);
        }
        for (; g < groups.size(); ++g) {
            for (const Edge *e : groups.at(g)->edges())
                addOnce(edges, e);
            for (const Node *attached : groups.at(g)->attachedNodes())
                addOnce(nodes, attached);
        }
    }

    auto roadObject = [](const NetObject *o) {
        return qobject_cast<const Edge *>(o) || qobject_cast<const EdgeGroup *>(o) || qobject_cast<const Node *>(o);
    };
    auto collectOthers = [&](const NetObject *o) {
        for (QObject *c : o->children()) {
            auto *child = qobject_cast<NetObject *>(c);
            if (child && set.add(child))
                child->collectAffected(set, flags);
        }
        for (NetObject *holder : o->referrers()) {
            if (!roadObject(holder) && set.add(holder))
                holder->collectAffected(set, flags);
        }
    };
    for (const Node *node : qAsConst(nodes))
        set.add(node);
    for (const EdgeGroup *group : qAsConst(groups))
        set.add(group);
    for (const Edge *e : qAsConst(edges))
        set.add(e);
    for (const Node *node : qAsConst(nodes))
        collectOthers(node);
    for (const EdgeGroup *group : qAsConst(groups))
        collectOthers(group);
    for (const Edge *e : qAsConst(edges))
        e->collectLightAffected(set, flags);
    for (const Edge *e : qAsConst(edges)) {
        for (const Node *end : {e->m_start, e->m_end}) {
            if (end && set.add(end))
                end->collectShapeAffected(set, flags);
        }
    }
}

void Edge::referenceRemoved(NetObject *target)
{
    if (target == m_start || target == m_end) {
        delete this;
        return;
    }
    if (target == m_group) {
        // Leaving the group keeps the road where it was.
        const GeoPolyline kept = skeleton();
        removeReference(m_group);
        m_group = nullptr;
        if (m_custom.automatic && kept.count() >= 2) {
            m_custom.take(kept);
        }
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology | ChangeFlag::CustomShape);
        return;
    }
    NetObject::referenceRemoved(target);
}

void Edge::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_skeletonValid = false;
    m_skeletonCache.clear();
}

void Edge::dropRoadCaches() const
{
    if (networkIsClearing())
        return;
    ChangeSet set;
    set.add(this);
    collectAffected(set, ChangeFlag::All);
    dropCaches(set);
}

void Edge::dropCaches(const ChangeSet &set)
{
    for (NetObject *o : set.objects()) {
        if (auto *n = qobject_cast<Node *>(o))
            n->invalidate(ChangeFlag::All);
        else if (auto *e = qobject_cast<Edge *>(o))
            e->invalidate(ChangeFlag::All);
        else if (auto *l = qobject_cast<Lane *>(o))
            l->invalidate(ChangeFlag::All);
        else if (auto *s = qobject_cast<Stopline *>(o))
            s->invalidate(ChangeFlag::All);
        else if (auto *c = qobject_cast<Trelvoa::Connection *>(o))
            c->invalidate(ChangeFlag::All);
        else if (auto *w = qobject_cast<CrossWalk *>(o))
            w->invalidate(ChangeFlag::All);
        else if (auto *g = qobject_cast<EdgeGroup *>(o))
            g->invalidate(ChangeFlag::All);
    }
}

QList<Edge::Connection> Edge::Connection::makeFlow(const QList<Trelvoa::Connection *> &connections,
                                                   TurnPercentage defaults)
{
    struct Pair
    {
        Edge *from;
        Edge *to;
        QPointF turn; // sum of unit vectors of the turn angles
    };
    QVector<Pair> pairs;
    for (Trelvoa::Connection *c : connections) {
        if (!c || !c->startLane() || !c->endLane())
            continue;
        Edge *from = c->startLane()->edge();
        Edge *to = c->endLane()->edge();
        if (!from || !to)
            continue;
        const double a = qDegreesToRadians(c->lanesAngle());
        auto it = std::find_if(pairs.begin(), pairs.end(), [&](const Pair &p) { return p.from == from && p.to == to; });
        if (it == pairs.end())
            pairs.append({from, to, QPointF(std::cos(a), std::sin(a))});
        else
            it->turn += QPointF(std::cos(a), std::sin(a));
    }
    QList<Connection> flows;
    for (const Pair &p : qAsConst(pairs)) {
        Connection flow;
        flow.from = p.from;
        flow.to = p.to;
        const double angle = qRadiansToDegrees(std::atan2(p.turn.y(), p.turn.x())); // counter-clockwise
        const bool back = p.to->start() == p.from->end() && p.to->end() == p.from->start();
        if (back || std::abs(angle) > 150.0)
            flow.manoeuvre = TurnPercentage::Turnaround;
        else if (angle > 30.0)
            flow.manoeuvre = TurnPercentage::Left;
        else if (angle < -30.0)
            flow.manoeuvre = TurnPercentage::Right;
        else
            flow.manoeuvre = TurnPercentage::Straight;
        flows.append(flow);
    }
    // Share each manoeuvre's percentage among the flows of that kind from the same edge.
    for (int i = 0; i < flows.size(); ++i) {
        int count = 0;
        int rank = 0;
        for (int k = 0; k < flows.size(); ++k) {
            if (flows.at(k).from == flows.at(i).from && flows.at(k).manoeuvre == flows.at(i).manoeuvre) {
                if (k < i)
                    ++rank;
                ++count;
            }
        }
        const int total = defaults.percentage(flows.at(i).manoeuvre);
        flows[i].percentage = total / count + (rank < total % count ? 1 : 0);
    }
    return flows;
}

} // namespace Trelvoa
