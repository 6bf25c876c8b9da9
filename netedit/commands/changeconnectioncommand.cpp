#include "commands/changeconnectioncommand.h"

#include "connection.h"
#include "lane.h"
#include "network.h"
#include "stopline.h"

namespace Trelvoga {

ChangeConnectionCommand::ChangeConnectionCommand(Trelvoa::Network *net, Trelvoa::Connection *connection,
                                                 Trelvoa::Lane *fromLane, Trelvoa::Lane *toLane, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    if (!net || !connection)
        return;
    m_connectionId = connection->id();
    Trelvoa::Stopline *line = nullptr;
    if (fromLane && fromLane != connection->startLane() && fromLane->hasStopline(&line) && line)
        m_newFrom = line->id();
    line = nullptr;
    if (toLane && toLane != connection->endLane() && toLane->hasStartline(&line) && line)
        m_newTo = line->id();
    setText(QStringLiteral("Change connection %1").arg(connection->printableName()));
}

void ChangeConnectionCommand::redo()
{
    auto *connection = m_net ? m_net->findObject<Trelvoa::Connection>(m_connectionId) : nullptr;
    if (!connection)
        return;
    if (auto *line = m_newFrom ? m_net->findObject<Trelvoa::Stopline>(m_newFrom) : nullptr) {
        if (connection->from())
            m_oldFrom = connection->from()->id();
        connection->setFrom(line);
    }
    if (auto *line = m_newTo ? m_net->findObject<Trelvoa::Stopline>(m_newTo) : nullptr) {
        if (connection->to())
            m_oldTo = connection->to()->id();
        connection->setTo(line);
    }
}

void ChangeConnectionCommand::undo()
{
    auto *connection = m_net ? m_net->findObject<Trelvoa::Connection>(m_connectionId) : nullptr;
    if (!connection)
        return;
    if (auto *line = m_oldFrom ? m_net->findObject<Trelvoa::Stopline>(m_oldFrom) : nullptr)
        connection->setFrom(line);
    if (auto *line = m_oldTo ? m_net->findObject<Trelvoa::Stopline>(m_oldTo) : nullptr)
        connection->setTo(line);
}

} // namespace Trelvoga
