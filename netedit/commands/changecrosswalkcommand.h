#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointer>
#include <QVector>
#include <QUndoCommand>

namespace Trelvoa {
class CrossWalk;
class Lane;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Lays an end of a crosswalk on another lane; a lane the crosswalk already uses at that end is left
// out. Walking-area items at a moved end follow it to the new lane (an item naming a lane the crosswalk
// no longer has would make the network unloadable); undo gives the areas their items back.
class TRELVOGA_EXPORT ChangeCrosswalkCommand : public QUndoCommand
{
public:
    ChangeCrosswalkCommand(Trelvoa::Network *net, Trelvoa::CrossWalk *crossWalk, Trelvoa::Lane *lane1,
                           Trelvoa::Lane *lane2, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::None; }
    void undo() override;
    void redo() override;

    bool isEmpty() const { return !m_newLane1 && !m_newLane2; }

private:
    // A walking-area item by the ids of what it names.
    struct ItemIds
    {
        int lineId;
        int crossWalkId;
        int laneId;
        bool atFirstEnd;
    };
    struct AreaItems
    {
        int areaId;
        QVector<ItemIds> items;
    };

    void restoreAreas();

    QPointer<Trelvoa::Network> m_net;
    QList<AreaItems> m_areasBefore;
    int m_crossWalkId = 0;
    int m_newLane1 = 0;
    int m_newLane2 = 0;
    int m_oldLane1 = 0;
    int m_oldLane2 = 0;
};

} // namespace Trelvoga
