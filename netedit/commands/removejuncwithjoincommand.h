#pragma once

#include "commands/commandid.h"
#include "commands/snapshot.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointF>
#include <QUndoCommand>

namespace Trelvoa {
class Network;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// Removes junctions that only continue a road (two edges, one in and one out, or two edge groups) and
// joins the roads through them. Doing command: every redo() checks the junctions again, snapshots what
// the join changes and joins; undo reloads the snapshot and puts the junctions back where they were.
class TRELVOGA_EXPORT RemoveJuncWithJoinCommand : public QUndoCommand
{
public:
    RemoveJuncWithJoinCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                              QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::RemoveJuncWithJoin; }
    void undo() override;
    void redo() override;

    // A junction of type other than 0 with exactly two edges, or else exactly two edge groups.
    static bool qualifies(const Trelvoa::Node *node);

private:
    Trelvoa::Network *m_net;
    QList<int> m_ids;
    QList<QPointF> m_positions;
    Snapshot m_snapshot;
};

} // namespace Trelvoga
