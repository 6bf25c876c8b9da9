// Detector groups from the context menus: grouping the selected detectors per edge, adding detectors
// to a group, taking them out again.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/neteditprivate.h"
#include "scene/networkg.h"

#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "lane.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QHash>
#include <QUndoStack>

namespace Trelvoga {

namespace {

// Exactly a detector (not a kind derived from it).
Trelvoa::Detector *plainDetector(Trelvoa::NetObject *object)
{
    return object && object->metaObject() == &Trelvoa::Detector::staticMetaObject
        ? static_cast<Trelvoa::Detector *>(object) : nullptr;
}

} // namespace

void NetEdit::createDtGroup()
{
    QHash<Trelvoa::Edge *, Trelvoa::DetectorGroup *> groupOfEdge;
    QList<Trelvoa::NetObject *> made;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        Trelvoa::Detector *detector = plainDetector(object);
        auto *lane = detector ? qobject_cast<Trelvoa::Lane *>(detector->parent()) : nullptr;
        Trelvoa::Edge *edge = lane ? lane->edge() : nullptr;
        if (!edge)
            continue;
        Trelvoa::DetectorGroup *group = groupOfEdge.value(edge);
        if (!group)
            group = detector->group();
        if (!group) {
            group = new Trelvoa::DetectorGroup(edge);
            if (!d->net->addItem(group)) {
                emit logMessage(d->net->errorString(), QtCriticalMsg);
                delete group;
                continue;
            }
            group->setAllowed(lane->allowed());
            made.append(group);
        }
        groupOfEdge.insert(edge, group);
        group->setAllowed(group->allowed() | lane->allowed());
        group->addDetector(detector);
    }
    if (d->undoStack && !made.isEmpty())
        d->undoStack->push(new AddItemCommand(this, made));
}

void NetEdit::addDtToGroup()
{
    const QList<Trelvoa::NetObject *> objects = selectedObjects();
    Trelvoa::DetectorGroup *group = nullptr;
    for (Trelvoa::NetObject *object : objects) {
        if (auto *g = qobject_cast<Trelvoa::DetectorGroup *>(object))
            group = g;
    }
    if (!group)
        return;
    for (Trelvoa::NetObject *object : objects) {
        auto *detector = qobject_cast<Trelvoa::Detector *>(object);
        auto *lane = detector ? qobject_cast<Trelvoa::Lane *>(detector->parent()) : nullptr;
        if (detector && !detector->group() && lane && lane->edge() == group->edge()) {
            group->addDetector(detector);
            objectAdded(detector, group);
        }
    }
}

void NetEdit::removeSelectedDtFromGroup()
{
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        Trelvoa::Detector *detector = plainDetector(object);
        Trelvoa::DetectorGroup *group = detector ? detector->group() : nullptr;
        if (!group)
            continue;
        group->removeDetector(detector);
        removeObjectFromParent(detector, group);
    }
}

} // namespace Trelvoga
