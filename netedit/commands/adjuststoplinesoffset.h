#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QMap>
#include <QUndoCommand>

namespace Trelvoa {
class Network;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// Moves the stoplines and start lines of junctions back from the centre so that they clear the
// neighbouring roads. Doing command: the first redo() computes the distances, later ones replay them
// (whatever the geometry is by then); undo gives every line back its distance or automatic placement.
class TRELVOGA_EXPORT AdjustStoplinesOffset : public QUndoCommand
{
public:
    AdjustStoplinesOffset(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                          QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::AdjustStoplinesOffset; }
    void undo() override;
    void redo() override;

private:
    void adjust(Trelvoa::Node *node);

    Trelvoa::Network *m_net;
    QList<int> m_ids;
    // Lines whose distance was set, with it.
    QMap<int, double> m_before;
    // Lines that were placed automatically.
    QList<int> m_auto;
    QMap<int, double> m_after;
};

} // namespace Trelvoga
