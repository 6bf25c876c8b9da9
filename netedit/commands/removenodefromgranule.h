#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QByteArray>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Granule;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;

// Takes a junction out of its granule, keeping the object tree in step. A granule left without
// junctions is deleted; the undo re-creates it with its id, number and signal groups.
class TRELVOGA_EXPORT RemoveNodeFromGranule : public QUndoCommand
{
public:
    RemoveNodeFromGranule(NetEdit *edit, Trelvoa::Granule *granule, Trelvoa::Node *node);

    int id() const override { return CommandId::RemoveNodeFromGranule; }
    void undo() override;
    void redo() override;

private:
    QPointer<NetEdit> m_edit;
    int m_granuleId = 0;
    int m_nodeId = -1;
    // The deleted granule alone; empty while it exists.
    QByteArray m_snapshot;
};

} // namespace Trelvoga
