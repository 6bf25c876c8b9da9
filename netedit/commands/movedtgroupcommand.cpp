#include "commands/movedtgroupcommand.h"

#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "lane.h"
#include "network.h"

namespace Trelvoga {

MoveDtGroupCommand::MoveDtGroupCommand(Trelvoa::Network *net, Trelvoa::DetectorGroup *group, Trelvoa::Lane *lane,
                                       const QPointF &point, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
    , m_groupId(group ? group->id() : 0)
    , m_laneId(group && lane ? lane->id() : 0)
    , m_point(point)
{
    setText(QStringLiteral("Move detector group %1").arg(group ? group->printableName() : QString()));
}

void MoveDtGroupCommand::redo()
{
    if (m_laneId == 0)
        return;
    m_formerDetectorIds.clear();
    auto *group = m_net ? m_net->findObject<Trelvoa::DetectorGroup>(m_groupId) : nullptr;
    auto *lane = m_net ? m_net->findObject<Trelvoa::Lane>(m_laneId) : nullptr;
    if (!group || !lane)
        return;
    const QList<Trelvoa::Detector *> former = group->detectors();
    Trelvoa::Edge *currentEdge = group->edge();
    if (!former.isEmpty()) {
        auto *formerLane = qobject_cast<Trelvoa::Lane *>(former.first()->parent());
        currentEdge = formerLane ? formerLane->edge() : nullptr;
        if (!formerLane) {
            m_laneId = 0;
            return;
        }
    }
    if (currentEdge == lane->edge()) {
        m_laneId = 0;
        return;
    }

    QList<Trelvoa::Lane *> targets{lane};
    for (Trelvoa::Lane *l = lane->left(false); l; l = l->left(false))
        targets.append(l);
    for (Trelvoa::Lane *l = lane->right(false); l; l = l->right(false))
        targets.append(l);

    QList<Trelvoa::Detector *> created;
    for (int i = 0; i < targets.size(); ++i) {
        auto *detector = new Trelvoa::Detector(targets[i]);
        double distance = 0.0;
        targets[i]->skeleton().pointOn(m_point, &distance, true);
        detector->setDistance(distance);
        const int id = m_newDetectorIds.value(i, 0);
        if (!(id > 0 && m_net->addItem(detector, id)) && !m_net->addItem(detector, 0)) {
            qWarning("%s", qPrintable(m_net->errorString()));
            delete detector;
            continue;
        }
        created.append(detector);
    }
    if (created.isEmpty())
        return;
    m_newDetectorIds.clear();
    for (Trelvoa::Detector *detector : former) {
        group->removeDetector(detector);
        m_formerDetectorIds.append(detector->id());
    }
    for (Trelvoa::Detector *detector : qAsConst(created)) {
        group->addDetector(detector);
        m_newDetectorIds.append(detector->id());
    }
    auto *oldParent = qobject_cast<Trelvoa::NetObject *>(group->parent());
    m_formerParentId = oldParent ? oldParent->id() : 0;
    group->setParent(lane->edge());
}

void MoveDtGroupCommand::undo()
{
    if (m_laneId == 0)
        return;
    auto *group = m_net ? m_net->findObject<Trelvoa::DetectorGroup>(m_groupId) : nullptr;
    if (!group)
        return;
    const QList<Trelvoa::Detector *> current = group->detectors();
    for (Trelvoa::Detector *detector : current)
        delete detector;
    for (int id : qAsConst(m_formerDetectorIds)) {
        if (auto *detector = m_net->findObject<Trelvoa::Detector>(id))
            group->addDetector(detector);
    }
    if (Trelvoa::NetObject *oldParent = m_net->findObject(m_formerParentId))
        group->setParent(oldParent);
}

} // namespace Trelvoga
