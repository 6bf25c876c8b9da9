#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class DetectorGroup;
class Lane;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Moves a detector group to the edge of a lane: new detectors across that edge at the dropped point
// (model XY) replace the group's detectors, which stay where they are, ungrouped. A drop on the group's
// own edge, or on a group whose detectors are not on lanes, makes the command inert for good.
class TRELVOGA_EXPORT MoveDtGroupCommand : public QUndoCommand
{
public:
    MoveDtGroupCommand(Trelvoa::Network *net, Trelvoa::DetectorGroup *group, Trelvoa::Lane *lane,
                       const QPointF &point, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::None; }
    void undo() override;
    void redo() override;

    bool isInert() const { return m_laneId == 0; }

private:
    QPointer<Trelvoa::Network> m_net;
    int m_groupId = 0;
    int m_laneId = 0;
    QPointF m_point;
    QList<int> m_formerDetectorIds;
    int m_formerParentId = 0;
    // The ids the first redo gave the new detectors, taken again by later redos.
    QList<int> m_newDetectorIds;
};

} // namespace Trelvoga
