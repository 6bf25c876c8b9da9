#include "commands/joinnodescommand.h"

#include "edge.h"
#include "network.h"
#include "node.h"

#include <QCoreApplication>

namespace Trelvoga {

JoinNodesCommand::JoinNodesCommand(Trelvoa::Network *net, Trelvoa::Node *first, Trelvoa::Node *second,
                                   QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    setText(QCoreApplication::translate("Trelvoga::JoinNodesCommand", "Join nodes"));
    QList<Trelvoa::NetObject *> list;
    collectObjects(first, list);
    collectObjects(second, list);
    m_change.before.save(m_net, list);
    for (Trelvoa::Node *node : {first, second}) {
        if (node)
            m_change.redoDeleteIds.append(node->id());
    }
}

void JoinNodesCommand::setJoinEdge(Trelvoa::Edge *edge)
{
    if (!edge)
        return;
    m_change.undoDeleteIds.append(edge->id());
    QList<Trelvoa::NetObject *> list;
    collectObjects(edge->start(), list);
    collectObjects(edge->end(), list);
    m_change.after.save(m_net, list);
}

void JoinNodesCommand::undo()
{
    m_change.undo(m_net);
}

void JoinNodesCommand::redo()
{
    m_change.redo(m_net);
}

} // namespace Trelvoga
