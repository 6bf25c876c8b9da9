#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include "walkingarea.h"

#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

class QObject;

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Replaces one item of a walking area by the line of a lane or the end of a crosswalk nearest the
// dropped point (model XY), or removes it (no target). undo() and redo() are one swap that takes out
// what is in and puts back what was taken out.
//
// The items are held by the ids of the objects they name, not by pointer: other commands delete and
// re-create those objects (and the area) under the same ids.
class TRELVOGA_EXPORT ChangeWaItemCommand : public QUndoCommand
{
public:
    ChangeWaItemCommand(Trelvoa::Network *net, Trelvoa::WalkingArea *area, Trelvoa::WalkingArea::Item *oldItem,
                        QObject *target, const QPointF &point, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::ChangeWaItem; }
    void undo() override { swap(); }
    void redo() override { swap(); }

    // True when the command changes nothing (a drop naming what the item already names, or no line
    // clearly nearest).
    bool isEmpty() const { return !m_takeOut.isSet() && !m_putIn.isSet(); }
    bool isDone() const { return m_done; }

private:
    struct HeldItem
    {
        int lineId = 0;
        int crossWalkId = 0;
        int laneId = 0;
        bool atFirstEnd = false;
        // Where an item taken out stood; -1 appends.
        int index = -1;

        bool isSet() const { return lineId || crossWalkId; }
        static HeldItem of(const Trelvoa::WalkingArea::Item &item);
        // False when an object it names is gone.
        bool resolve(const Trelvoa::Network *net, Trelvoa::WalkingArea::Item *item) const;
    };

    void swap();

    QPointer<Trelvoa::Network> m_net;
    int m_areaId = 0;
    HeldItem m_takeOut;
    HeldItem m_putIn;
    bool m_done = false;
};

} // namespace Trelvoga
