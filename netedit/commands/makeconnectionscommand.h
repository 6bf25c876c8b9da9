#pragma once

#include "commands/commandid.h"
#include "commands/recordedchange.h"
#include "trelvoga_global.h"

#include <QList>
#include <QUndoCommand>

namespace Trelvoa {
class Network;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// Records the connections that Node::makeConnections generates: construct it on the junctions (the
// state before), push it, make the connections of each junction, then saveState(junctions, false).
// Undo deletes the generated connections and reloads the junctions with their old ones; redo the
// reverse.
class TRELVOGA_EXPORT MakeConnectionsCommand : public QUndoCommand
{
public:
    MakeConnectionsCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                           QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::MakeConnections; }
    void undo() override;
    void redo() override;

    void saveState(const QList<Trelvoa::Node *> &junctions, bool before);

private:
    Trelvoa::Network *m_net;
    RecordedChange m_change;
};

} // namespace Trelvoga
