// Operations on the selected roads: inserting lanes, templates for new roads and crosswalks, edges
// joining and leaving edge groups.
#include "editor/netedit.h"

#include "commands/addedgetogroupcommand.h"
#include "commands/genericcommands.h"
#include "commands/removeedgefromgroupcommand.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "scene/networkg.h"

#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "stopline.h"

#include <QAction>
#include <QCoreApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QTreeWidget>
#include <QUndoStack>

namespace Trelvoga {

void NetEdit::insertLane()
{
    bool right = true;
    if (auto *action = qobject_cast<QAction *>(sender()); action && action->data().isValid())
        right = action->data().toBool();
    QList<Trelvoa::NetObject *> made;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        auto *lane = qobject_cast<Trelvoa::Lane *>(object);
        Trelvoa::Edge *edge = lane ? lane->edge() : nullptr;
        if (!lane)
            continue;
        int index = edge ? edge->laneIndex(lane) : -1;
        if (index < 0) {
            emit logMessage(QCoreApplication::translate("NetEdit", "Invalid lane %1 for edge %2")
                                .arg(lane->objectName(), edge ? edge->objectName() : QString()),
                            QtCriticalMsg);
            break;
        }
        if (!right)
            ++index;
        auto *added = new Trelvoa::Lane(edge);
        added->setWidth(lane->width());
        if (!lane->stopline()->autoDistance())
            added->stopline()->setDistance(lane->stopline()->distance());
        if (!lane->startline()->autoDistance())
            added->startline()->setDistance(lane->startline()->distance());
        added->setAllowed(lane->allowed());
        added->setMaxSpeed(lane->maxSpeed());
        edge->insertLane(index, added);
        if (!d->net->addItem(added)) {
            emit logMessage(d->net->errorString(), QtCriticalMsg);
            delete added;
            continue;
        }
        made.append(added);
    }
    if (d->undoStack && !made.isEmpty())
        d->undoStack->push(new AddItemCommand(this, made));
}

void NetEdit::useAsTemplate(bool on)
{
    Trelvoa::NetObject *object = nullptr;
    const QList<Trelvoa::NetObject *> scene = d->selectedSceneObjects();
    if (scene.size() == 1) {
        object = scene.first();
    } else if (d->objectsTree && d->objectsTree->selectedItems().size() == 1) {
        object = treeItemObject(d->objectsTree->selectedItems().first());
    }
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(object))
        object = lane->edge();
    QPointer<Trelvoa::NetObject> *slot = nullptr;
    if (qobject_cast<Trelvoa::Edge *>(object))
        slot = &d->templateEdge;
    else if (qobject_cast<Trelvoa::EdgeGroup *>(object))
        slot = &d->templateEdgeGroup;
    else if (qobject_cast<Trelvoa::CrossWalk *>(object))
        slot = &d->templateCrosswalk;
    if (!slot)
        return;
    if (on)
        *slot = object;
    else if (*slot == object)
        *slot = nullptr;
}

void NetEdit::addEdgeToGroup()
{
    Trelvoa::EdgeGroup *group = nullptr;
    QList<Trelvoa::Edge *> edges;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        if (auto *g = qobject_cast<Trelvoa::EdgeGroup *>(object))
            group = g;
        else if (auto *edge = qobject_cast<Trelvoa::Edge *>(object))
            edges.append(edge);
    }
    if (!group && d->objectsTree) {
        edges.clear();
        for (QTreeWidgetItem *item : d->objectsTree->selectedItems()) {
            Trelvoa::NetObject *object = treeItemObject(item);
            if (auto *g = qobject_cast<Trelvoa::EdgeGroup *>(object))
                group = g;
            else if (auto *edge = qobject_cast<Trelvoa::Edge *>(object); edge && !edges.contains(edge))
                edges.append(edge);
        }
    }
    if (group)
        d->context->perform(new AddEdgeToGroupCommand(d->net, group, edges));
}

void NetEdit::removeEdgeFromGroup()
{
    QList<Trelvoa::Edge *> edges;
    for (Trelvoa::NetObject *object : selectedObjects()) {
        auto *edge = qobject_cast<Trelvoa::Edge *>(object);
        if (auto *lane = qobject_cast<Trelvoa::Lane *>(object))
            edge = lane->edge();
        if (edge && edge->group() && !edges.contains(edge))
            edges.append(edge);
    }
    if (!edges.isEmpty())
        d->context->perform(new RemoveEdgeFromGroupCommand(d->net, edges));
}

} // namespace Trelvoga
