#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Connection;
class CrossWalk;
class Network;
class SignalGroup;
} // namespace Trelvoa

namespace Trelvoga {

// Replaces the connections and crosswalks of a signal group. Everything is kept by id, so the command
// outlives deletions and restorations of the objects by other commands.
class TRELVOGA_EXPORT ChangeSgContentCommand : public QUndoCommand
{
public:
    ChangeSgContentCommand(Trelvoa::Network *net, Trelvoa::SignalGroup *sg,
                           const QList<Trelvoa::Connection *> &connections,
                           const QList<Trelvoa::CrossWalk *> &crossWalks, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::ChangeSgContent; }
    void undo() override;
    void redo() override;

private:
    void apply(const QList<int> &connections, const QList<int> &crossWalks);

    QPointer<Trelvoa::Network> m_net;
    int m_sgId = 0;
    QList<int> m_newConnections;
    QList<int> m_newCrossWalks;
    QList<int> m_oldConnections;
    QList<int> m_oldCrossWalks;
};

} // namespace Trelvoga
