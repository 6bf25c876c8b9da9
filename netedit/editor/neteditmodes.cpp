// Entering and leaving edit modes, geometry editing's end, and the edit states of connections, crosswalks,
// walking areas and TAZs.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/modes/abstracteditmode.h"
#include "editor/neteditprivate.h"
#include "items/connectiong.h"
#include "items/crosswalkg.h"
#include "items/tazg.h"
#include "items/walkingareag.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "edge.h"
#include "edgegroup.h"
#include "lane.h"

#include <QAction>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QSignalBlocker>
#include <QUndoStack>

namespace Trelvoga {

void NetEdit::enterMode(EditMode mode, bool checked)
{
    leaveMode();
    if (!checked)
        return;
    AbstractEditMode *object = d->modeObject(mode);
    d->mode = mode;
    if (d->view) {
        d->savedDragMode = d->view->dragMode();
        d->view->setDragMode(QGraphicsView::NoDrag);
    }
    if (QAction *action = d->modeAction(mode)) {
        const QSignalBlocker blocker(action);
        action->setChecked(true);
    }
    if (object) {
        EditContext::setOverrideCursor(object->cursor(), object->hotX(), object->hotY());
        object->enter();
    }
    d->announceHint();
}

void NetEdit::leaveMode()
{
    d->finishGeometryEditing();
    const EditMode mode = d->mode;
    if (QAction *action = d->modeAction(mode)) {
        const QSignalBlocker blocker(action);
        action->setChecked(false);
    }
    AbstractEditMode *object = d->modeObject(mode);
    if (object)
        object->leave();
    if (mode != ModeNone && d->view)
        d->view->setDragMode(d->savedDragMode);
    d->mode = ModeNone;
    d->context->clearHighlight();
    d->context->dropRubberLine();
    delete d->areaRect;
    d->areaRect = nullptr;
    EditContext::popOverrideCursors();
    d->midPointCursor = false;
    d->announceHint();
}

void NetEdit::on_addNode_triggered(bool checked)
{
    enterMode(ModeAddNode, checked);
}

void NetEdit::on_addJunction_triggered(bool checked)
{
    enterMode(ModeAddJunction, checked);
}

void NetEdit::on_addEdge_triggered(bool checked)
{
    enterMode(ModeAddEdge, checked);
}

void NetEdit::on_addEdgeGroup_triggered(bool checked)
{
    enterMode(ModeAddEdgeGroup, checked);
}

void NetEdit::on_addLanesConnection_triggered(bool checked)
{
    enterMode(ModeLanesConnection, checked);
}

void NetEdit::on_addDetector_triggered(bool checked)
{
    enterMode(ModeAddDetector, checked);
}

void NetEdit::on_addEmergencyDetector_triggered(bool checked)
{
    enterMode(ModeAddEmergencyDetector, checked);
}

void NetEdit::on_addCompositeDetector_triggered(bool checked)
{
    enterMode(ModeAddCompositeDetector, checked);
}

void NetEdit::on_addCrosswalk_triggered(bool checked)
{
    enterMode(ModeAddCrosswalk, checked);
}

void NetEdit::on_addWalkingArea_triggered(bool checked)
{
    enterMode(ModeAddWalkingArea, checked);
}

void NetEdit::on_actionJoin_nodes_mode_triggered(bool checked)
{
    enterMode(ModeJoinNodes, checked);
}

void NetEdit::on_addRoute_triggered(bool checked)
{
    enterMode(ModeAddRoute, checked);
}

void NetEdit::on_addPolygon_triggered(bool checked)
{
    enterMode(ModeAddPolygon, checked);
}

void NetEdit::on_addPointObject_triggered(bool checked)
{
    enterMode(ModeAddPointObject, checked);
}

void NetEdit::on_addPtStop_triggered(bool checked)
{
    enterMode(ModeAddPtStop, checked);
}

void NetEdit::on_addTaz_triggered(bool checked)
{
    enterMode(ModeAddTaz, checked);
}

void NetEditPrivate::finishGeometryEditing()
{
    const QList<QPointer<Trelvoa::NetObject>> items = editItems;
    editItems.clear();
    for (const QPointer<Trelvoa::NetObject> &object : items) {
        GenericGraphicsItem *item = itemOf(object);
        if (!item)
            continue;
        if (!item->isChanged() && geometryCommand)
            geometryCommand->removeObject(object);
        item->setEdit(false);
    }
    if (!geometryCommand)
        return;
    ChangePropertyCommand *command = geometryCommand;
    geometryCommand = nullptr;
    if (undoStack && !command->objectIds().isEmpty()) {
        command->saveAfter();
        undoStack->push(command);
    } else {
        delete command;
    }
}

namespace {

// Puts the selected items of the given type, not yet listed, into the list and starts their state.
template<class Item>
void startEditState(NetEditPrivate *d, QList<QPointer<Trelvoa::NetObject>> &list, void (Item::*start)(bool))
{
    if (!d->scene)
        return;
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        if (item->type() != Item::Type)
            continue;
        Trelvoa::NetObject *object = d->net->item2object(item);
        if (!object || list.contains(object))
            continue;
        list.append(object);
        (static_cast<Item *>(item)->*start)(true);
    }
}

template<class Item>
void endEditState(NetEditPrivate *d, QList<QPointer<Trelvoa::NetObject>> &list, void (Item::*start)(bool))
{
    for (const QPointer<Trelvoa::NetObject> &object : qAsConst(list)) {
        GenericGraphicsItem *item = d->itemOf(object);
        if (item && item->type() == Item::Type)
            (static_cast<Item *>(item)->*start)(false);
    }
    list.clear();
}

} // namespace

void NetEditPrivate::endEditStates()
{
    endEditState(this, lanesEditConnections, &Connectiong::setLanesEdit);
    endEditState(this, lanesEditCrosswalks, &CrossWalkg::setLanesEdit);
    endEditState(this, connectionsEditWalkingAreas, &WalkingAreag::setConnectionsEdit);
    endEditState(this, connectionsEditTazs, &Tazg::setConnectionsEdit);
}

void NetEdit::editConnections()
{
    startEditState(d.get(), d->lanesEditConnections, &Connectiong::setLanesEdit);
}

void NetEdit::editCrosswalks()
{
    startEditState(d.get(), d->lanesEditCrosswalks, &CrossWalkg::setLanesEdit);
}

void NetEdit::editWalkingArea()
{
    startEditState(d.get(), d->connectionsEditWalkingAreas, &WalkingAreag::setConnectionsEdit);
}

void NetEdit::editTaz()
{
    startEditState(d.get(), d->connectionsEditTazs, &Tazg::setConnectionsEdit);
}

void NetEdit::selectLanesEdge()
{
    if (!d->scene)
        return;
    QList<GenericGraphicsItem *> select;
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        if (auto *lane = qobject_cast<Trelvoa::Lane *>(d->net->item2object(item)))
            if (GenericGraphicsItem *edgeItem = d->itemOf(lane->edge()))
                select.append(edgeItem);
    }
    if (select.isEmpty())
        return;
    d->scene->clearSelection();
    for (GenericGraphicsItem *item : qAsConst(select))
        item->setSelected(true);
}

void NetEdit::selectLanesEdgeGroup()
{
    if (!d->scene)
        return;
    QList<GenericGraphicsItem *> select;
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        if (auto *lane = qobject_cast<Trelvoa::Lane *>(d->net->item2object(item)))
            if (lane->edge())
                if (GenericGraphicsItem *groupItem = d->itemOf(lane->edge()->group()))
                    select.append(groupItem);
    }
    if (select.isEmpty())
        return;
    d->scene->clearSelection();
    for (GenericGraphicsItem *item : qAsConst(select))
        item->setSelected(true);
}

} // namespace Trelvoga
