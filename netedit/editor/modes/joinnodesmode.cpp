#include "editor/modes/joinnodesmode.h"

#include "commands/joinnodescommand.h"
#include "editor/editcontext.h"
#include "scene/networkg.h"

#include "edge.h"
#include "node.h"

#include <QUndoStack>

namespace Trelvoga {

void JoinNodesMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::Node *node = takeNodeAt(scenePos);
    if (!node) {
        setStartNode(nullptr);
        return;
    }
    Trelvoa::Node *start = startNode();
    if (!start) {
        setStartNode(node);
        return;
    }
    if (node == start) {
        context()->log(tr("A node is not joined to itself: click another node"), QtWarningMsg);
        return;
    }
    setStartNode(nullptr);
    Networkg *net = context()->net();
    QUndoStack *stack = context()->undoStack();
    // The command records the nodes as they were before the join.
    auto *command = stack ? new JoinNodesCommand(net, start, node) : nullptr;
    Trelvoa::Edge *edge = net->joinNodes(start, node);
    if (!edge) {
        context()->log(net->errorString(), QtCriticalMsg);
        delete command;
        return;
    }
    if (command) {
        stack->push(command);
        command->setJoinEdge(edge);
    }
}

QString JoinNodesMode::hint() const
{
    if (!startNode())
        return tr("Click the node whose road is to be continued");
    return tr("Click the node to join it to (Escape cancels)");
}

QString JoinNodesMode::cancelledText() const
{
    return tr("Nodes not joined: the mode was left after the first node");
}

} // namespace Trelvoga
