#include "granule.h"

#include "deletioncascade.h"
#include "edge.h"
#include "network.h"
#include "node.h"
#include "objecthelpers.h"
#include "signalgroup.h"

namespace Trelvoa {

Granule::Granule(QObject *parent)
    : NetObject(parent)
{
}

Granule::Granule(const QList<Node *> &junctions, Network *net)
    : NetObject(net)
{
    for (Node *node : junctions)
        addNode(node);
}

Granule::~Granule()
{
    beginDestroy();
}

void Granule::setTlId(int tlId)
{
    if (tlId == m_tlId)
        return;
    m_tlId = tlId;
    setChanged(this, ChangeFlag::Attributes);
}

bool Granule::contains(const Node *node) const
{
    return node && m_nodes.contains(const_cast<Node *>(node));
}

bool Granule::addNode(Node *node)
{
    if (!node || !sameNetwork(node))
        return false;
    if (m_nodes.contains(node))
        return true;
    if (Granule *other = granuleOf(node); other && other != this)
        return false;
    m_nodes.append(node);
    addReference(node);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

bool Granule::removeNode(Node *node)
{
    if (!node || !m_nodes.removeOne(node))
        return false;
    removeReference(node);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

QList<Edge *> Granule::edges() const
{
    QList<Edge *> list;
    for (Node *node : m_nodes) {
        for (Edge *edge : node->edges()) {
            if (!list.contains(edge))
                list.append(edge);
        }
    }
    return list;
}

QList<SignalGroup *> Granule::signalGroups() const
{
    return findChildren<SignalGroup *>(QString(), Qt::FindDirectChildrenOnly);
}

Granule *Granule::granuleOf(const Node *node)
{
    if (!node)
        return nullptr;
    for (NetObject *holder : node->referrers()) {
        if (auto *granule = qobject_cast<Granule *>(holder))
            return granule;
    }
    return nullptr;
}

void Granule::referenceRemoved(NetObject *target)
{
    if (auto *node = qobject_cast<Node *>(target)) {
        if (removeNode(node))
            return;
    }
    NetObject::referenceRemoved(target);
}

QVariantList Granule::nodesVariant() const
{
    QVariantList list;
    for (Node *node : m_nodes)
        list.append(QVariant::fromValue<QObject *>(node));
    return list;
}

bool Granule::setNodesVariant(const QVariantList &nodes)
{
    QList<Node *> wanted;
    for (const QVariant &v : nodes) {
        auto *node = qobject_cast<Node *>(v.value<QObject *>());
        if (!node || !sameNetwork(node) || (granuleOf(node) && granuleOf(node) != this))
            return false;
        if (!wanted.contains(node))
            wanted.append(node);
    }
    const QList<Node *> current = m_nodes;
    for (Node *node : current) {
        if (!wanted.contains(node))
            removeNode(node);
    }
    for (Node *node : qAsConst(wanted))
        addNode(node);
    // Keep the order given.
    if (m_nodes != wanted) {
        m_nodes = wanted;
        setChanged(this, ChangeFlag::Topology);
    }
    return true;
}

QVariantList Granule::edgesVariant() const
{
    QVariantList list;
    for (Edge *edge : edges())
        list.append(QVariant::fromValue<QObject *>(edge));
    return list;
}

QList<NetObject *> Granule::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

QSet<NetObject *> Granule::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (Node *node : m_nodes)
        ObjectHelpers::addTopLevel(set, this, node);
    return set;
}

} // namespace Trelvoa
