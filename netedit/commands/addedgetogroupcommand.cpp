#include "commands/addedgetogroupcommand.h"

#include "edge.h"
#include "edgegroup.h"
#include "network.h"

namespace Trelvoga {

AddEdgeToGroupCommand::AddEdgeToGroupCommand(Trelvoa::Network *net, Trelvoa::EdgeGroup *group,
                                             const QList<Trelvoa::Edge *> &edges, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
    , m_groupId(group ? group->id() : 0)
{
    for (Trelvoa::Edge *edge : edges) {
        if (!edge || edge->group() || m_edgeIds.contains(edge->id()))
            continue;
        m_edgeIds.append(edge->id());
        if (!edge->autoSkeleton())
            m_skeletons.insert(edge->id(), edge->skeleton());
    }
    if (m_edgeIds.size() == 1)
        setText(QStringLiteral("Add edge '%1' to group '%2'").arg(m_edgeIds.first()).arg(m_groupId));
    else
        setText(QStringLiteral("Add %1 edges to group '%2'").arg(m_edgeIds.size()).arg(m_groupId));
}

void AddEdgeToGroupCommand::redo()
{
    auto *group = m_net ? m_net->findObject<Trelvoa::EdgeGroup>(m_groupId) : nullptr;
    if (!group)
        return;
    for (int id : m_edgeIds) {
        auto *edge = m_net->findObject<Trelvoa::Edge>(id);
        if (!edge)
            continue;
        if (!edge->autoSkeleton())
            edge->setAutoSkeleton(true);
        group->addEdge(edge);
    }
}

void AddEdgeToGroupCommand::undo()
{
    auto *group = m_net ? m_net->findObject<Trelvoa::EdgeGroup>(m_groupId) : nullptr;
    if (!group)
        return;
    for (int id : m_edgeIds) {
        auto *edge = m_net->findObject<Trelvoa::Edge>(id);
        if (!edge)
            continue;
        group->removeEdge(edge);
        const auto skeleton = m_skeletons.constFind(id);
        if (skeleton != m_skeletons.constEnd())
            edge->setSkeleton(*skeleton);
    }
}

} // namespace Trelvoga
