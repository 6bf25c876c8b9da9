#pragma once

#include "commands/commandid.h"
#include "commands/snapshot.h"
#include "trelvoga_global.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;

// Joins another network (a paste, an opened file) into the editor's network as copies under fresh
// ids. Only the copies are touched: undo deletes them by id, and a redo after an undo restores them
// from a snapshot taken after the first join, so they keep their ids. The other network is saved at
// construction; it may go away before the first redo.
class TRELVOGA_EXPORT JoinNetCommand : public QUndoCommand
{
public:
    JoinNetCommand(NetEdit *edit, Trelvoa::Network *other, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::JoinNet; }
    void undo() override;
    void redo() override;

    // The top-level objects the join made, in the order they joined (empty before the first redo or
    // after a failed join).
    QList<int> joinedIds() const { return m_ids; }

private:
    bool join(Trelvoa::Network *net);

    QPointer<NetEdit> m_edit;
    QByteArray m_other;
    QList<int> m_ids;
    Snapshot m_joined;
    bool m_done = false;
};

} // namespace Trelvoga
