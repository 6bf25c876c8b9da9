#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Edge;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Takes edges out of their groups; edges without a group are left out.
class TRELVOGA_EXPORT RemoveEdgeFromGroupCommand : public QUndoCommand
{
public:
    RemoveEdgeFromGroupCommand(Trelvoa::Network *net, const QList<Trelvoa::Edge *> &edges,
                               QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::RemoveEdgeFromGroup; }
    void undo() override;
    void redo() override;

    // (edge id, group id)
    QList<QPair<int, int>> memberships() const { return m_pairs; }

private:
    QPointer<Trelvoa::Network> m_net;
    QList<QPair<int, int>> m_pairs;
};

} // namespace Trelvoga
