// Geometry editing: items whose vertices the user drags, under one open command that is pushed when
// the editing ends (see finishGeometryEditing) and only for items that changed.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include <QGraphicsScene>
#include <QTreeWidget>
#include <QUndoStack>

namespace Trelvoga {

void NetEditPrivate::enterGeometryEditing(GenericGraphicsItem *item)
{
    Trelvoa::NetObject *object = item ? net->item2object(item) : nullptr;
    if (!object || editItems.contains(object))
        return;
    if (undoStack && !geometryCommand)
        geometryCommand = new ChangePropertyCommand(q);
    if (geometryCommand)
        geometryCommand->addObject(object, QByteArray());
    editItems.append(object);
    item->setEdit(true);
    item->setSelected(false);
}

void NetEditPrivate::saveGeometryBefore()
{
    if (geometryCommand)
        geometryCommand->saveBefore();
}

void NetEditPrivate::forgetEditedObject(Trelvoa::NetObject *object)
{
    // Runs from the network's removal signal, before the object is gone: what was edited goes with it,
    // and the session must hold no pointer to it.
    const int index = editItems.indexOf(object);
    if (index < 0)
        return;
    editItems.removeAt(index);
    if (geometryCommand) {
        geometryCommand->removeObject(object);
        if (editItems.isEmpty()) {
            delete geometryCommand;
            geometryCommand = nullptr;
        }
    }
}

namespace {

void editSelectedOfType(NetEditPrivate *d, int type)
{
    if (!d->scene)
        return;
    const QList<QGraphicsItem *> selected = d->scene->selectedItems();
    if (selected.size() != 1 || selected.first()->type() != type)
        return;
    auto *item = static_cast<GenericGraphicsItem *>(selected.first());
    d->scene->clearSelection();
    d->enterGeometryEditing(item);
    d->saveGeometryBefore();
}

} // namespace

void NetEdit::editLaneSkeleton()
{
    if (!d->scene)
        return;
    QList<GenericGraphicsItem *> lanes;
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        if (item->type() == ItemType::Laneg)
            lanes.append(static_cast<GenericGraphicsItem *>(item));
    }
    d->scene->clearSelection();
    for (GenericGraphicsItem *item : qAsConst(lanes))
        d->enterGeometryEditing(item);
    d->saveGeometryBefore();
}

void NetEdit::editNodeShape()
{
    editSelectedOfType(d.get(), ItemType::Nodeg);
}

void NetEdit::editPolygonShape()
{
    editSelectedOfType(d.get(), ItemType::PolygonObjectg);
}

void NetEdit::editWAShape()
{
    editSelectedOfType(d.get(), ItemType::WalkingAreag);
}

void NetEdit::editEdgeSkeleton()
{
    if (!d->scene)
        return;
    GenericGraphicsItem *item = nullptr;
    const QList<QGraphicsItem *> selected = d->scene->selectedItems();
    if (selected.size() == 1) {
        if (ItemType::isObjectItem(selected.first()->type()))
            item = static_cast<GenericGraphicsItem *>(selected.first());
    } else {
        const QList<QTreeWidgetItem *> rows = d->objectsTree->selectedItems();
        if (rows.size() == 1)
            item = d->itemOf(treeItemObject(rows.first()));
    }
    if (!item || (item->type() != ItemType::Edgeg && item->type() != ItemType::EdgeGroupg))
        return;
    d->scene->clearSelection();
    d->enterGeometryEditing(item);
    d->saveGeometryBefore();
}

} // namespace Trelvoga
