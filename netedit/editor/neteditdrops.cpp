// Drops of drag markers on lanes and crosswalks: re-attaching connection and crosswalk ends, moving
// detector groups, walking-area items, TAZ links and route control edges.
#include "editor/netedit.h"

#include "commands/changeconnectioncommand.h"
#include "commands/changecrosswalkcommand.h"
#include "commands/changetazitemcommand.h"
#include "commands/changewaitemcommand.h"
#include "commands/genericcommands.h"
#include "commands/movedtgroupcommand.h"
#include "editor/neteditprivate.h"
#include "items/mimetrelvo.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "detectorgroup.h"
#include "edge.h"
#include "lane.h"
#include "route.h"
#include "taz.h"
#include "walkingarea.h"

#include <QGraphicsScene>
#include <QGraphicsSceneDragDropEvent>
#include <QUndoStack>

namespace Trelvoga {

namespace {

const QString keyConnection = QStringLiteral("connection");
const QString keyFrom = QStringLiteral("from");
const QString keyTo = QStringLiteral("to");
const QString keyCrossWalk = QStringLiteral("crosswalk");
const QString keyLane1 = QStringLiteral("lane1");
const QString keyLane2 = QStringLiteral("lane2");
const QString keyDetectorGroup = QStringLiteral("DetectorGroup");
const QString keyWalkingArea = QStringLiteral("walkingarea");
const QString keyWaItem = QStringLiteral("wa_item");
const QString keyTaz = QStringLiteral("taz");
const QString keyEdge = QStringLiteral("edge");
const QString keyRoute = QStringLiteral("route");
const QString keyIndex = QStringLiteral("index");

template<class T>
T *objectIn(const QVariantMap &map, const QString &key)
{
    return qobject_cast<T *>(map.value(key).value<QObject *>());
}

bool has(const QVariantMap &map, const QString &a, const QString &b = QString())
{
    return map.contains(a) && (b.isEmpty() || map.contains(b));
}

// A drop that changes nothing leaves no step in the history.
void performUnlessEmpty(EditContext *context, QUndoCommand *command, bool empty)
{
    if (empty)
        delete command;
    else
        context->perform(command);
}

void dropWalkingAreaItem(NetEditPrivate *d, const QVariantMap &map, QObject *target, const QPointF &pos)
{
    auto *area = objectIn<Trelvoa::WalkingArea>(map, keyWalkingArea);
    auto *item = map.value(keyWaItem).value<Trelvoa::WalkingArea::Item *>();
    // The marker may outlive the item it was made for (the area changed during the drag).
    if (!area || !item || !area->items().contains(item))
        return;
    auto *command = new ChangeWaItemCommand(d->net, area, item, target, pos);
    performUnlessEmpty(d->context.get(), command, command->isEmpty());
}

void dropOnLane(NetEditPrivate *d, const QVariantMap &map, Trelvoa::Lane *lane, const QPointF &pos,
                Qt::KeyboardModifiers modifiers)
{
    EditContext *c = d->context.get();
    Trelvoa::Network *net = d->net;
    if (has(map, keyConnection, keyFrom) || has(map, keyConnection, keyTo)) {
        auto *connection = objectIn<Trelvoa::Connection>(map, keyConnection);
        if (!connection)
            return;
        const bool from = map.contains(keyFrom);
        auto *command = new ChangeConnectionCommand(net, connection, from ? lane : nullptr, from ? nullptr : lane);
        performUnlessEmpty(c, command, command->isEmpty());
    } else if (has(map, keyCrossWalk, keyLane1) || has(map, keyCrossWalk, keyLane2)) {
        auto *crossWalk = objectIn<Trelvoa::CrossWalk>(map, keyCrossWalk);
        if (!crossWalk)
            return;
        const bool first = map.contains(keyLane1);
        auto *command = new ChangeCrosswalkCommand(net, crossWalk, first ? lane : nullptr, first ? nullptr : lane);
        performUnlessEmpty(c, command, command->isEmpty());
    } else if (has(map, keyDetectorGroup)) {
        auto *group = objectIn<Trelvoa::DetectorGroup>(map, keyDetectorGroup);
        if (!group)
            return;
        auto *command = new MoveDtGroupCommand(net, group, lane, pos);
        performUnlessEmpty(c, command, command->isInert());
    } else if (has(map, keyWalkingArea, keyWaItem)) {
        dropWalkingAreaItem(d, map, lane, pos);
    } else if (has(map, keyTaz, keyEdge)) {
        auto *taz = objectIn<Trelvoa::Taz>(map, keyTaz);
        auto *oldEdge = objectIn<Trelvoa::Edge>(map, keyEdge);
        if (!taz || !oldEdge || oldEdge == lane->edge())
            return;
        auto *command = new ChangeTazItemCommand(net, taz, oldEdge, lane->edge(), pos);
        performUnlessEmpty(c, command, command->isInert());
    } else if (has(map, keyRoute, keyIndex)) {
        auto *route = objectIn<Trelvoa::Route>(map, keyRoute);
        const int index = map.value(keyIndex).toInt();
        Trelvoa::Edge *edge = lane->edge();
        if (!route || !edge || index < 0 || index >= route->controlEdges().size())
            return;
        const bool insert = modifiers & Qt::ControlModifier;
        if (!insert && route->controlEdges().at(index) == edge)
            return;
        QUndoCommand *command = d->undoStack ? new ChangeItemCommand(d->q, route) : nullptr;
        bool changed;
        if (insert) {
            changed = route->insertControlEdge(index + 1, edge);
        } else {
            changed = route->removeControlEdge(index);
            changed = route->insertControlEdge(index, edge) || changed;
        }
        if (command && changed)
            d->undoStack->push(command);
        else
            delete command;
    }
}

} // namespace

bool NetEditPrivate::drop(QGraphicsSceneDragDropEvent *event)
{
    const auto *payload = qobject_cast<const MimeTrelvo *>(event->mimeData());
    if (!payload || !scene)
        return false;
    const QVariantMap map = payload->map();
    const QTransform transform = view ? view->viewportTransform() : QTransform();
    const QList<QGraphicsItem *> items =
        scene->items(event->scenePos(), Qt::IntersectsItemShape, Qt::DescendingOrder, transform);
    for (QGraphicsItem *item : items) {
        const int type = item->type();
        if ((type != ItemType::Laneg && type != ItemType::CrossWalkg) || !item->acceptDrops())
            continue;
        Trelvoa::NetObject *object = net->item2object(item);
        if (!object)
            continue;
        const QPointF pos = context->toModel(event->scenePos());
        if (auto *lane = qobject_cast<Trelvoa::Lane *>(object)) {
            dropOnLane(this, map, lane, pos, event->modifiers());
        } else if (auto *crossWalk = qobject_cast<Trelvoa::CrossWalk *>(object)) {
            if (has(map, keyWalkingArea, keyWaItem))
                dropWalkingAreaItem(this, map, crossWalk, pos);
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return true;
    }
    return false;
}

} // namespace Trelvoga
