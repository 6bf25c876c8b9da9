#include "commands/removeedgefromgroupcommand.h"

#include "edge.h"
#include "edgegroup.h"
#include "network.h"

namespace Trelvoga {

RemoveEdgeFromGroupCommand::RemoveEdgeFromGroupCommand(Trelvoa::Network *net, const QList<Trelvoa::Edge *> &edges,
                                                       QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    for (Trelvoa::Edge *edge : edges) {
        if (!edge || !edge->group())
            continue;
        const QPair<int, int> pair(edge->id(), edge->group()->id());
        if (!m_pairs.contains(pair))
            m_pairs.append(pair);
    }
    if (m_pairs.size() == 1)
        setText(QStringLiteral("Remove edge '%1' from group '%2'").arg(m_pairs.first().first).arg(m_pairs.first().second));
    else
        setText(QStringLiteral("Remove %1 edges from group").arg(m_pairs.size()));
}

void RemoveEdgeFromGroupCommand::redo()
{
    if (!m_net)
        return;
    for (const auto &pair : qAsConst(m_pairs)) {
        auto *edge = m_net->findObject<Trelvoa::Edge>(pair.first);
        auto *group = m_net->findObject<Trelvoa::EdgeGroup>(pair.second);
        if (edge && group)
            group->removeEdge(edge);
    }
}

void RemoveEdgeFromGroupCommand::undo()
{
    if (!m_net)
        return;
    for (const auto &pair : qAsConst(m_pairs)) {
        auto *edge = m_net->findObject<Trelvoa::Edge>(pair.first);
        auto *group = m_net->findObject<Trelvoa::EdgeGroup>(pair.second);
        if (edge && group)
            group->addEdge(edge);
    }
}

} // namespace Trelvoga
