#include "signalgroup.h"

#include "connection.h"
#include "crosswalk.h"
#include "granule.h"
#include "objecthelpers.h"

namespace Trelvoa {

SignalGroup::SignalGroup(Granule *granule)
    : NetObject(granule)
{
}

SignalGroup::SignalGroup(const QList<Connection *> &connections, const QList<CrossWalk *> &crossWalks,
                         Granule *granule)
    : NetObject(granule)
{
    for (Connection *c : connections)
        addConnection(c);
    for (CrossWalk *c : crossWalks)
        addCrossWalk(c);
}

SignalGroup::~SignalGroup()
{
    beginDestroy();
}

Granule *SignalGroup::granule() const
{
    return qobject_cast<Granule *>(parent());
}

void SignalGroup::setTlId(int tlId)
{
    if (tlId == m_tlId)
        return;
    m_tlId = tlId;
    setChanged(this, ChangeFlag::Attributes);
}

bool SignalGroup::addConnection(Connection *connection)
{
    if (!connection || !sameNetwork(connection))
        return false;
    if (m_connections.contains(connection))
        return true;
    m_connections.append(connection);
    addReference(connection);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

bool SignalGroup::addCrossWalk(CrossWalk *crossWalk)
{
    if (!crossWalk || !sameNetwork(crossWalk))
        return false;
    if (m_crossWalks.contains(crossWalk))
        return true;
    m_crossWalks.append(crossWalk);
    addReference(crossWalk);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

bool SignalGroup::removeConnection(Connection *connection)
{
    if (!connection || !m_connections.removeOne(connection))
        return false;
    removeReference(connection);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

bool SignalGroup::removeCrossWalk(CrossWalk *crossWalk)
{
    if (!crossWalk || !m_crossWalks.removeOne(crossWalk))
        return false;
    removeReference(crossWalk);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

void SignalGroup::clearContent()
{
    if (m_connections.isEmpty() && m_crossWalks.isEmpty())
        return;
    for (Connection *c : qAsConst(m_connections))
        removeReference(c);
    for (CrossWalk *c : qAsConst(m_crossWalks))
        removeReference(c);
    m_connections.clear();
    m_crossWalks.clear();
    setChanged(this, ChangeFlag::Topology);
}

QList<SignalGroup *> SignalGroup::groupsOf(const NetObject *member)
{
    QList<SignalGroup *> groups;
    if (!member)
        return groups;
    for (NetObject *holder : member->referrers()) {
        auto *group = qobject_cast<SignalGroup *>(holder);
        if (group && !groups.contains(group))
            groups.append(group);
    }
    return groups;
}

void SignalGroup::referenceRemoved(NetObject *target)
{
    if (auto *connection = qobject_cast<Connection *>(target)) {
        if (removeConnection(connection))
            return;
    } else if (auto *crossWalk = qobject_cast<CrossWalk *>(target)) {
        if (removeCrossWalk(crossWalk))
            return;
    }
    NetObject::referenceRemoved(target);
}

QVariantList SignalGroup::connectionsVariant() const
{
    QVariantList list;
    for (Connection *c : m_connections)
        list.append(QVariant::fromValue<QObject *>(c));
    return list;
}

bool SignalGroup::setConnectionsVariant(const QVariantList &list)
{
    QList<Connection *> wanted;
    for (const QVariant &v : list) {
        auto *c = qobject_cast<Connection *>(v.value<QObject *>());
        if (!c || !sameNetwork(c))
            return false;
        if (!wanted.contains(c))
            wanted.append(c);
    }
    if (wanted == m_connections)
        return true;
    for (Connection *c : qAsConst(m_connections))
        removeReference(c);
    m_connections = wanted;
    for (Connection *c : qAsConst(m_connections))
        addReference(c);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

QVariantList SignalGroup::crossWalksVariant() const
{
    QVariantList list;
    for (CrossWalk *c : m_crossWalks)
        list.append(QVariant::fromValue<QObject *>(c));
    return list;
}

bool SignalGroup::setCrossWalksVariant(const QVariantList &list)
{
    QList<CrossWalk *> wanted;
    for (const QVariant &v : list) {
        auto *c = qobject_cast<CrossWalk *>(v.value<QObject *>());
        if (!c || !sameNetwork(c))
            return false;
        if (!wanted.contains(c))
            wanted.append(c);
    }
    if (wanted == m_crossWalks)
        return true;
    for (CrossWalk *c : qAsConst(m_crossWalks))
        removeReference(c);
    m_crossWalks = wanted;
    for (CrossWalk *c : qAsConst(m_crossWalks))
        addReference(c);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

QSet<NetObject *> SignalGroup::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (Connection *c : m_connections)
        ObjectHelpers::addTopLevel(set, this, c);
    for (CrossWalk *c : m_crossWalks)
        ObjectHelpers::addTopLevel(set, this, c);
    return set;
}

} // namespace Trelvoa
