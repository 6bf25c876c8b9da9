#pragma once

#include "commands/commandid.h"
#include "commands/recordedchange.h"
#include "trelvoga_global.h"

#include <QUndoCommand>

namespace Trelvoa {
class Edge;
class Network;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// Records the edge that Network::joinNodes makes between two nodes: construct it on the nodes, join,
// push it, then setJoinEdge() with the new edge. Undo deletes the edge and brings the nodes back as
// they were; redo brings back the nodes with the edge.
class TRELVOGA_EXPORT JoinNodesCommand : public QUndoCommand
{
public:
    JoinNodesCommand(Trelvoa::Network *net, Trelvoa::Node *first, Trelvoa::Node *second,
                     QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::JoinNodes; }
    void undo() override;
    void redo() override;

    void setJoinEdge(Trelvoa::Edge *edge);

private:
    Trelvoa::Network *m_net;
    RecordedChange m_change;
};

} // namespace Trelvoga
