#include "editor/modes/adddetectormode.h"

#include "commands/genericcommands.h"
#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "lane.h"

#include <QUndoStack>

namespace Trelvoga {

void AddDetectorMode::leave()
{
    const QList<QPointer<Trelvoa::DetectorGroup>> groups = m_newGroups;
    m_newGroups.clear();
    for (Trelvoa::DetectorGroup *group : groups)
        commit(group);
    m_detector = nullptr;
}

Trelvoa::Detector *AddDetectorMode::placeDetector(const QPointF &scenePos)
{
    const QPointF xy = context()->toModel(scenePos);
    for (GenericGraphicsItem *item : context()->itemsAt(scenePos)) {
        const int type = item->type();
        if (type != ItemType::Connectiong && type != ItemType::Laneg && type != ItemType::Routeg)
            continue;
        Trelvoa::NetObject *host = item->networkObject();
        const Trelvoa::GeoPolyline line = host ? host->skeleton() : Trelvoa::GeoPolyline();
        if (line.count() < 2)
            continue;
        double distance = 0;
        line.pointOn(xy, &distance);
        auto *detector = new Trelvoa::Detector(host, distance);
        return addToNetwork(detector) ? detector : nullptr;
    }
    return nullptr;
}

void AddDetectorMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    Trelvoa::Detector *detector = placeDetector(scenePos);
    if (!detector) {
        context()->log(tr("A detector is placed on a lane, a connection or a route: click one"), QtWarningMsg);
        return;
    }
    if ((modifiers & Qt::ControlModifier) && m_detector) {
        joinGroup(detector);
        return;
    }
    m_detector = detector;
    commit(detector);
}

void AddDetectorMode::joinGroup(Trelvoa::Detector *detector)
{
    QUndoStack *stack = context()->undoStack();
    NetEdit *edit = context()->edit();
    Trelvoa::Lane *lane = detector->lane();
    Trelvoa::Detector *current = m_detector;
    Trelvoa::DetectorGroup *group = current->group();
    // A group is one edge's: the edge is checked before a group is made, so that no group is left
    // holding only the detector it was made for.
    Trelvoa::Edge *groupEdge = group ? group->edge() : (current->lane() ? current->lane()->edge() : nullptr);
    if (!lane || !groupEdge) {
        context()->log(tr("Detector for the group must be owned by Lane"), QtWarningMsg);
        commit(detector);
        return;
    }
    if (groupEdge != lane->edge()) {
        context()->log(tr("You can not add detector from different edge to group"), QtWarningMsg);
        commit(detector);
        return;
    }
    if (!group) {
        group = new Trelvoa::DetectorGroup(groupEdge);
        group->setAllowed(current->lane()->allowed());
        if (!addToNetwork(group)) {
            commit(detector);
            return;
        }
        group->addDetector(current);
        context()->edit()->objectAdded(current, group);
        m_newGroups.append(group);
    }
    // A group from before the mode changes under the user's eyes: its new member is part of the step.
    const bool recorded = stack && !m_newGroups.contains(group);
    ChangeItemCommand *change = recorded ? new ChangeItemCommand(edit, group) : nullptr;
    group->setAllowed(group->allowed() | lane->allowed());
    group->addDetector(detector);
    context()->edit()->objectAdded(detector, group);
    if (!change) {
        commit(detector);
        return;
    }
    stack->beginMacro(QStringLiteral("Add detector to group"));
    commit(detector);
    stack->push(change);
    stack->endMacro();
}

QString AddDetectorMode::hint() const
{
    if (!m_detector)
        return tr("Click a lane, a connection or a route to place a detector");
    return tr("Click to place another detector; Ctrl+click a lane of the same edge to add it to the group");
}

} // namespace Trelvoga
