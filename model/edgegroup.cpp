#include "edgegroup.h"

#include "edge.h"
#include "geo/geohelpers.h"
#include "node.h"
#include "objecthelpers.h"
#include "referencerules.h"

#include <algorithm>

namespace Trelvoa {

namespace {

template<class T>
QList<T *> sortedById(QList<T *> list)
{
    std::stable_sort(list.begin(), list.end(), [](const T *a, const T *b) {
        if (a->id() == 0 || b->id() == 0)
            return a->id() != 0 && b->id() == 0;
        return a->id() < b->id();
    });
    return list;
}

} // namespace

EdgeGroup::EdgeGroup(QObject *parent)
    : NetObject(parent)
{
}

EdgeGroup::EdgeGroup(QObject *parent, Node *start, Node *end)
    : NetObject(parent)
{
    setStart(start);
    setEnd(end);
}

EdgeGroup::~EdgeGroup()
{
    beginDestroy();
    // The whole network goes: the other objects may be gone already.
    if (networkIsClearing())
        return;
    if (m_start)
        m_start->detachGroup(this);
    if (m_end)
        m_end->detachGroup(this);
    m_start = nullptr;
    m_end = nullptr;
}

QString EdgeGroup::kindName() const
{
    return tr("Edge group");
}

bool EdgeGroup::setNode(Node *&member, Node *node, Node *other)
{
    if (!node || !ReferenceRules::mayRefer(this, node) || node == other || node->attachedEdgeGroup() == this)
        return false;
    if (node == member)
        return true;
    if (member) {
        member->detachGroup(this);
        removeReference(member);
    }
    member = node;
    addReference(node);
    node->attachGroup(this);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool EdgeGroup::setStart(Node *node)
{
    return setNode(m_start, node, m_end);
}

bool EdgeGroup::setEnd(Node *node)
{
    return setNode(m_end, node, m_start);
}

QObject *EdgeGroup::startObject() const
{
    return m_start;
}

bool EdgeGroup::setStartObject(QObject *node)
{
    return setStart(qobject_cast<Node *>(node));
}

QObject *EdgeGroup::endObject() const
{
    return m_end;
}

bool EdgeGroup::setEndObject(QObject *node)
{
    return setEnd(qobject_cast<Node *>(node));
}

GeoPolyline EdgeGroup::skeleton() const
{
    if (!m_skeletonValid) {
        if (const GeoPolyline *custom = m_custom.inUse())
            m_skeletonCache = *custom;
        else if (m_start && m_end)
            m_skeletonCache = GeoPolyline({m_start->pos(), m_end->pos()});
        else
            m_skeletonCache.clear();
        m_skeletonValid = true;
    }
    return m_skeletonCache;
}

bool EdgeGroup::setSkeleton(const GeoPolyline &skeleton)
{
    if (!ObjectHelpers::isUsableLine(skeleton, 1e-9))
        return false;
    if (m_custom.take(skeleton))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

void EdgeGroup::setAutoSkeleton(bool on)
{
    if (m_custom.setAutomatic(on, [this] { return skeleton(); }))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

QList<Edge *> EdgeGroup::edges() const
{
    QList<Edge *> list;
    for (NetObject *holder : referrers()) {
        auto *e = qobject_cast<Edge *>(holder);
        if (e && e->group() == this && !list.contains(e))
            list.append(e);
    }
    return sortedById(list);
}

QVariantList EdgeGroup::edgesList() const
{
    QVariantList list;
    for (Edge *e : edges())
        list.append(QVariant::fromValue<QObject *>(e));
    return list;
}

bool EdgeGroup::addEdge(Edge *edge)
{
    if (!edge || !ReferenceRules::mayRefer(this, edge))
        return false;
    if (edge->group() == this)
        return true;
    edge->joinGroup(this);
    return true;
}

bool EdgeGroup::removeEdge(Edge *edge)
{
    if (!edge || edge->group() != this)
        return false;
    edge->joinGroup(nullptr);
    return true;
}

QList<Node *> EdgeGroup::attachedNodes() const
{
    QList<Node *> list;
    for (NetObject *holder : referrers()) {
        auto *n = qobject_cast<Node *>(holder);
        if (n && n->attachedEdgeGroup() == this && !list.contains(n))
            list.append(n);
    }
    return sortedById(list);
}

int EdgeGroup::forwardLanes() const
{
    int lanes = 0;
    for (const Edge *e : edges()) {
        if (nodeDistance(e->start()) <= nodeDistance(e->end()))
            lanes = std::max(lanes, e->lanesCount());
    }
    return lanes;
}

int EdgeGroup::backwardLanes() const
{
    int lanes = 0;
    for (const Edge *e : edges()) {
        if (nodeDistance(e->start()) > nodeDistance(e->end()))
            lanes = std::max(lanes, e->lanesCount());
    }
    return lanes;
}

double EdgeGroup::nodeDistance(const Node *node) const
{
    const GeoPolyline line = skeleton();
    if (!node || line.isEmpty())
        return 0.0;
    if (node == m_start)
        return 0.0;
    if (node == m_end)
        return line.length();
    if (node->attachedEdgeGroup() == this)
        return node->m_groupFraction * line.length();
    double d = 0.0;
    line.pointOn(node->pos(), &d, true, nullptr, nullptr);
    return d;
}

QSet<NetObject *> EdgeGroup::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    if (m_start)
        set.insert(m_start);
    if (m_end)
        set.insert(m_end);
    return set;
}

void EdgeGroup::collectAffected(ChangeSet &set, int flags) const
{
    Edge::collectRoadChange(set, flags, {}, {this}, {});
}

void EdgeGroup::referenceRemoved(NetObject *target)
{
    if (target == m_start || target == m_end) {
        delete this;
        return;
    }
    NetObject::referenceRemoved(target);
}

void EdgeGroup::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_skeletonValid = false;
    m_skeletonCache.clear();
}

} // namespace Trelvoa
