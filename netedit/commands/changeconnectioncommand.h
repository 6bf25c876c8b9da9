#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Connection;
class Lane;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Moves an end of a lane connection to another lane: the from end to the lane's stopline, the to end
// to its start line. A lane the connection already uses, or without that line, leaves the end alone.
class TRELVOGA_EXPORT ChangeConnectionCommand : public QUndoCommand
{
public:
    ChangeConnectionCommand(Trelvoa::Network *net, Trelvoa::Connection *connection, Trelvoa::Lane *fromLane,
                            Trelvoa::Lane *toLane, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::None; }
    void undo() override;
    void redo() override;

    bool isEmpty() const { return !m_newFrom && !m_newTo; }

private:
    QPointer<Trelvoa::Network> m_net;
    int m_connectionId = 0;
    int m_newFrom = 0;
    int m_newTo = 0;
    int m_oldFrom = 0;
    int m_oldTo = 0;
};

} // namespace Trelvoga
