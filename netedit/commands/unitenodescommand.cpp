#include "commands/unitenodescommand.h"

#include "commands/genericcommands.h"

#include "edge.h"
#include "edgegroup.h"
#include "network.h"
#include "node.h"

#include <QCoreApplication>

namespace Trelvoga {

namespace {

// Moves the end of an edge or group at `from` onto `to`. The model refuses a move onto the other end
// (the object would join the node to itself); such an object goes with the removed node.
template<class T>
void moveEnd(T *object, const Trelvoa::Node *from, Trelvoa::Node *to)
{
    if (object->start() == from)
        object->setStart(to);
    else
        object->setEnd(to);
}

} // namespace

UniteNodesCommand::UniteNodesCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &nodes)
    : m_net(net)
{
    for (Trelvoa::Node *node : nodes) {
        if (node)
            m_ids.append(node->id());
    }
    setText(QCoreApplication::translate("Trelvoga::UniteNodesCommand", "Unite %1 nodes").arg(nodes.size()));
}

UniteNodesCommand::~UniteNodesCommand() = default;

void UniteNodesCommand::redo()
{
    m_edges.clear();
    m_groups.clear();
    if (!m_net || m_ids.size() < 2)
        return;
    Trelvoa::Node *target = m_net->findObject<Trelvoa::Node>(m_ids.first());
    if (!target)
        return;

    QList<Trelvoa::NetObject *> removals;
    for (int id : qAsConst(m_ids)) {
        Trelvoa::Node *node = m_net->findObject<Trelvoa::Node>(id);
        if (node && node != target && !removals.contains(node))
            removals.append(node);
    }
    if (removals.isEmpty())
        return;
    // Snapshotted before any end moves: the nodes' crosswalks and walking areas name lanes of their
    // own edges, and a snapshot of them taken at the target would be refused when loaded back.
    m_removal = std::make_unique<RemoveCommand>(m_net, removals);

    for (Trelvoa::NetObject *object : qAsConst(removals)) {
        auto *node = static_cast<Trelvoa::Node *>(object);
        for (Trelvoa::EdgeGroup *group : node->edgeGroups()) {
            // A group between two united nodes is met twice; the first meeting saw both former ends.
            if (!m_groups.contains(group->id())) {
                Record record{group->start()->id(), group->end()->id(), group->autoSkeleton(), {}};
                if (!record.autoSkeleton)
                    record.skeleton = group->skeleton();
                m_groups.insert(group->id(), record);
            }
            const bool own = !group->autoSkeleton();
            const Trelvoa::GeoPolyline skeleton = group->skeleton();
            moveEnd(group, node, target);
            if (own)
                group->setSkeleton(skeleton);
        }
        for (Trelvoa::Edge *edge : node->edges()) {
            const bool own = !edge->autoSkeleton() && !edge->group();
            if (!m_edges.contains(edge->id())) {
                Record record{edge->start()->id(), edge->end()->id(), edge->autoSkeleton(), {}};
                if (own)
                    record.skeleton = edge->skeleton();
                m_edges.insert(edge->id(), record);
            }
            const Trelvoa::GeoPolyline skeleton = edge->skeleton();
            moveEnd(edge, node, target);
            if (own)
                edge->setSkeleton(skeleton);
        }
    }
    for (Trelvoa::NetObject *node : qAsConst(removals))
        delete node;
}

template<class T>
void UniteNodesCommand::restore(T *object, const Record &record) const
{
    Trelvoa::Node *start = m_net->findObject<Trelvoa::Node>(record.startId);
    Trelvoa::Node *end = m_net->findObject<Trelvoa::Node>(record.endId);
    if (start && end && (object->start() != start || object->end() != end)) {
        // Setting the start first would be refused when it is where the end is now.
        if (object->end() == start) {
            object->setEnd(end);
            object->setStart(start);
        } else {
            object->setStart(start);
            object->setEnd(end);
        }
    }
    object->setAutoSkeleton(record.autoSkeleton);
    if (!record.autoSkeleton && !record.skeleton.isEmpty())
        object->setSkeleton(record.skeleton);
}

void UniteNodesCommand::undo()
{
    if (!m_net || m_ids.size() < 2 || !m_net->findObject<Trelvoa::Node>(m_ids.first()))
        return;
    if (m_removal) {
        m_removal->undo();
        m_removal.reset();
    }
    for (auto it = m_groups.cbegin(); it != m_groups.cend(); ++it) {
        if (auto *group = m_net->findObject<Trelvoa::EdgeGroup>(it.key()))
            restore(group, it.value());
    }
    for (auto it = m_edges.cbegin(); it != m_edges.cend(); ++it) {
        if (auto *edge = m_net->findObject<Trelvoa::Edge>(it.key()))
            restore(edge, it.value());
    }
}

} // namespace Trelvoga
