// Deleting the selection ("Delete" and the Delete key): selected markers remove what they stand for,
// every other selected object is removed as one undo step.
#include "editor/netedit.h"

#include "commands/changetazitemcommand.h"
#include "commands/changewaitemcommand.h"
#include "commands/genericcommands.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "items/dragdropmarker.h"
#include "scene/geometryeditormarker.h"
#include "scene/networkg.h"

#include "edge.h"
#include "route.h"
#include "stopline.h"
#include "taz.h"
#include "walkingarea.h"

#include <QAction>
#include <QGraphicsScene>
#include <QPointer>
#include <QSet>
#include <QTreeWidget>
#include <QUndoStack>

namespace Trelvoga {

namespace {

constexpr int refreshDelay = 100;

template<class T>
T *objectIn(const QVariantMap &map, const QString &key)
{
    return qobject_cast<T *>(map.value(key).value<QObject *>());
}

// What a selected marker stands for goes: a walking-area item, a TAZ link or a route's control edge.
void removeByMarker(NetEditPrivate *d, const DragDropMarker *marker)
{
    const QVariantMap map = marker->markerData();
    Trelvoa::Network *net = d->net;
    if (map.contains(QStringLiteral("walkingarea")) && map.contains(QStringLiteral("wa_item"))) {
        auto *area = objectIn<Trelvoa::WalkingArea>(map, QStringLiteral("walkingarea"));
        auto *item = map.value(QStringLiteral("wa_item")).value<Trelvoa::WalkingArea::Item *>();
        if (area && item)
            d->context->perform(new ChangeWaItemCommand(net, area, item, nullptr, QPointF()));
    } else if (map.contains(QStringLiteral("taz")) && map.contains(QStringLiteral("edge"))) {
        auto *taz = objectIn<Trelvoa::Taz>(map, QStringLiteral("taz"));
        auto *edge = objectIn<Trelvoa::Edge>(map, QStringLiteral("edge"));
        if (taz && edge)
            d->context->perform(new ChangeTazItemCommand(net, taz, edge, nullptr, QPointF()));
    } else if (map.contains(QStringLiteral("route")) && map.contains(QStringLiteral("edge"))
               && map.contains(QStringLiteral("index"))) {
        auto *route = objectIn<Trelvoa::Route>(map, QStringLiteral("route"));
        const int index = map.value(QStringLiteral("index")).toInt();
        if (!route || index < 0 || index >= route->controlEdges().size())
            return;
        QUndoCommand *command = d->undoStack ? new ChangeItemCommand(d->q, route) : nullptr;
        if (route->removeControlEdge(index) && command)
            d->undoStack->push(command);
        else
            delete command;
    }
}

} // namespace

void NetEdit::removeSelectedItems()
{
    QByteArray filter;
    if (auto *action = qobject_cast<QAction *>(sender()))
        filter = action->data().toByteArray();
    // A lane's stoplines live and die with the lane: never deleted, they must not be recorded either,
    // or the command's redo would delete them under their lane.
    auto passes = [&filter](Trelvoa::NetObject *object) {
        return object && !qobject_cast<Trelvoa::Stopline *>(object)
            && (filter.isEmpty() || object->inherits(filter.constData()));
    };

    d->selectionUpdating = true;
    d->treeUpdating = true;
    QList<Trelvoa::NetObject *> removal;
    QSet<Trelvoa::NetObject *> listed;
    auto collect = [&](Trelvoa::NetObject *object) {
        if (passes(object) && !listed.contains(object)) {
            listed.insert(object);
            removal.append(object);
        }
    };
    QList<QGraphicsItem *> markers;
    if (d->scene) {
        for (QGraphicsItem *item : d->scene->selectedItems()) {
            if (item->type() == ItemType::GeometryEditorMarker || item->type() == ItemType::DragDropMarker) {
                markers.append(item);
                continue;
            }
            collect(d->net->item2object(item));
        }
    }
    // A marker's removal may delete other markers (the owner makes them anew): each is looked up in
    // the selection again before it is touched.
    for (QGraphicsItem *marker : qAsConst(markers)) {
        if (!d->scene->selectedItems().contains(marker))
            continue;
        if (marker->type() == ItemType::GeometryEditorMarker)
            static_cast<GeometryEditorMarker *>(marker)->removePoint();
        else
            removeByMarker(d.get(), static_cast<DragDropMarker *>(marker));
    }
    if (d->scene)
        d->scene->clearSelection();
    for (QTreeWidgetItem *row : d->objectsTree->selectedItems())
        collect(treeItemObject(row));

    // Geometry editing ends before the removal, so that its step comes first in the history.
    if (!removal.isEmpty())
        d->finishGeometryEditing();
    if (d->undoStack && !removal.isEmpty())
        d->undoStack->push(new RemoveCommand(d->net, removal));
    // A deletion may take later objects of the list with it.
    QList<QPointer<Trelvoa::NetObject>> guarded;
    for (Trelvoa::NetObject *object : qAsConst(removal))
        guarded.append(object);
    for (const QPointer<Trelvoa::NetObject> &object : qAsConst(guarded)) {
        if (object)
            d->deleteObject(object);
    }
    d->selectionUpdating = false;
    d->treeUpdating = false;
    d->selectionTimer.start(refreshDelay, this);
}

void NetEditPrivate::deleteObject(Trelvoa::NetObject *object)
{
    if (!object || qobject_cast<Trelvoa::Stopline *>(object))
        return;
    // At once, not later: an undo right after must find the objects gone before it restores them.
    delete object;
}

} // namespace Trelvoga
