#pragma once

#include "commands/commandid.h"
#include "commands/networkfile.h"
#include "trelvoga_global.h"

#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;

// Joins another network (a paste, an opened file) into the editor's network as copies under fresh
// ids. Undo puts back the network from before; a redo after an undo puts back the joined network as
// the first join made it, so the copies keep their ids.
class TRELVOGA_EXPORT JoinNetCommand : public QUndoCommand
{
public:
    JoinNetCommand(NetEdit *edit, Trelvoa::Network *other, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::JoinNet; }
    void undo() override;
    void redo() override;

private:
    QPointer<NetEdit> m_edit;
    NetworkFile m_before;
    NetworkFile m_other;
    NetworkFile m_after;
};

} // namespace Trelvoga
