#pragma once

#include "commands/commandid.h"
#include "commands/snapshot.h"
#include "trelvoga_global.h"

#include <QUndoCommand>

namespace Trelvoa {
class Edge;
class EdgeGroup;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Splits an edge or a whole edge group with a new junction at `position` metres along its skeleton.
// Doing command: the first redo() snapshots the object and splits it; undo deletes the new junction
// (and with it the part beyond) and reloads the object as it was. Later redos bring back the split of
// the first one with its ids, so that the commands above this one still find the objects they name.
class TRELVOGA_EXPORT InsertJunctionCommand : public QUndoCommand
{
public:
    InsertJunctionCommand(Trelvoa::Network *net, Trelvoa::Edge *edge, double position,
                          QUndoCommand *parent = nullptr);
    InsertJunctionCommand(Trelvoa::Network *net, Trelvoa::EdgeGroup *group, double position,
                          QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::InsertJunction; }
    void undo() override;
    void redo() override;

    // The junction the last redo() inserted; 0 before, after a failed split and after undo.
    int insertedNodeId() const { return m_nodeId; }

private:
    Trelvoa::Network *m_net;
    int m_groupId = 0;
    int m_edgeId = 0;
    int m_nodeId = 0;
    double m_position = 0.0;
    Snapshot m_snapshot;
    // The split as the first redo made it.
    Snapshot m_split;
    int m_splitNodeId = 0;
};

} // namespace Trelvoga
