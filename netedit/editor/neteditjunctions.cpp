// Operations on the selected junctions and roads, as the context menus offer them: uniting, connecting,
// stopline offsets, removing with join, inserting a junction on a road.
#include "editor/netedit.h"

#include "commands/adjuststoplinesoffset.h"
#include "commands/insertjunctioncommand.h"
#include "commands/makeconnectionscommand.h"
#include "commands/removejuncwithjoincommand.h"
#include "commands/unitenodescommand.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "connection.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geopolyline.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "node.h"
#include "stopline.h"

#include <QAction>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QUndoStack>

#include <type_traits>

namespace Trelvoga {

namespace {

// The selected scene items' junctions, in selection order.
QList<Trelvoa::Node *> selectedJunctions(NetEditPrivate *d)
{
    QList<Trelvoa::Node *> junctions;
    if (!d->scene)
        return junctions;
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        auto *node = qobject_cast<Trelvoa::Node *>(d->net->item2object(item));
        if (node && node->isJunction() && !junctions.contains(node))
            junctions.append(node);
    }
    return junctions;
}

void select(NetEditPrivate *d, Trelvoa::NetObject *object)
{
    if (GenericGraphicsItem *item = d->itemOf(object))
        item->setSelected(true);
}

} // namespace

void NetEdit::uniteNodes()
{
    QList<Trelvoa::Node *> nodes;
    for (Trelvoa::NetObject *object : selectedObjects()) {
        if (auto *node = qobject_cast<Trelvoa::Node *>(object))
            nodes.append(node);
    }
    // Only offered with an undo stack: merging nodes cannot be taken back otherwise.
    if (nodes.isEmpty() || !d->undoStack)
        return;
    d->undoStack->push(new UniteNodesCommand(d->net, nodes));
}

void NetEdit::createJunctionConnections()
{
    const QList<Trelvoa::Node *> junctions = selectedJunctions(d.get());
    if (junctions.isEmpty())
        return;
    MakeConnectionsCommand *command = nullptr;
    if (d->undoStack) {
        command = new MakeConnectionsCommand(d->net, junctions);
        d->undoStack->push(command);
    }
    for (Trelvoa::Node *junction : junctions)
        junction->makeConnections();
    if (command)
        command->saveState(junctions, false);
}

void NetEdit::selectJunctionConnections()
{
    for (Trelvoa::Node *junction : selectedJunctions(d.get())) {
        if (GenericGraphicsItem *item = d->itemOf(junction))
            item->setSelected(false);
        for (int e = junction->edgesCount() - 1; e >= 0; --e) {
            Trelvoa::Edge *edge = junction->edge(e);
            for (int l = edge->lanesCount() - 1; l >= 0; --l) {
                Trelvoa::Lane *lane = edge->lane(l);
                if (lane->endNode() != junction || !lane->hasStopline(nullptr))
                    continue;
                Trelvoa::Stopline *line = lane->stopline();
                for (int c = line->connectionCount() - 1; c >= 0; --c)
                    select(d.get(), line->connection(c));
            }
        }
    }
}

void NetEdit::selectJunctionStoplines()
{
    for (Trelvoa::Node *junction : selectedJunctions(d.get())) {
        if (GenericGraphicsItem *item = d->itemOf(junction))
            item->setSelected(false);
        for (int e = junction->edgesCount() - 1; e >= 0; --e) {
            Trelvoa::Edge *edge = junction->edge(e);
            for (int l = edge->lanesCount() - 1; l >= 0; --l) {
                Trelvoa::Lane *lane = edge->lane(l);
                // A lane from the junction back to it has both: its stopline is the one taken.
                if (lane->endNode() == junction && lane->hasStopline(nullptr))
                    select(d.get(), lane->stopline());
                else if (lane->startNode() == junction && lane->hasStartline(nullptr))
                    select(d.get(), lane->startline());
            }
        }
    }
}

void NetEdit::adjustStoplinesOffset()
{
    const QList<Trelvoa::Node *> junctions = selectedJunctions(d.get());
    if (!junctions.isEmpty())
        d->context->perform(new AdjustStoplinesOffset(d->net, junctions));
}

void NetEdit::removeJunctionWithJoin()
{
    QList<Trelvoa::Node *> junctions;
    for (Trelvoa::Node *junction : selectedJunctions(d.get())) {
        if (RemoveJuncWithJoinCommand::qualifies(junction))
            junctions.append(junction);
    }
    if (!junctions.isEmpty())
        d->context->perform(new RemoveJuncWithJoinCommand(d->net, junctions));
}

namespace {

// The one selected item's road (a lane stands for its edge, or its edge's group) and the distance along
// its skeleton of the point the menu was opened at.
template<class Road>
Road *roadAtMenuPoint(NetEditPrivate *d, QObject *sender, double *position)
{
    auto *action = qobject_cast<QAction *>(sender);
    if (!action || !d->scene || d->scene->selectedItems().size() != 1)
        return nullptr;
    Trelvoa::NetObject *object = d->net->item2object(d->scene->selectedItems().first());
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(object))
        object = lane->edge();
    Road *road = qobject_cast<Road *>(object);
    if constexpr (std::is_same_v<Road, Trelvoa::EdgeGroup>) {
        if (!road)
            if (auto *edge = qobject_cast<Trelvoa::Edge *>(object))
                road = edge->group();
    }
    if (!road || !action->data().canConvert<QPointF>())
        return nullptr;
    QPointF point = action->data().toPointF();
    if (Trelvoa::GeoUtil *geo = d->net->geoUtil())
        point = geo->geoToXY(point);
    *position = 0.0;
    road->skeleton().pointOn(point, position, true, nullptr, nullptr);
    return road;
}

} // namespace

void NetEdit::insertJunctionOnEdge()
{
    double position = 0.0;
    if (auto *edge = roadAtMenuPoint<Trelvoa::Edge>(d.get(), sender(), &position)) {
        d->context->perform(new InsertJunctionCommand(d->net, edge, position));
        objectAdded(edge);
    }
}

void NetEdit::insertJunctionOnEdgeGroup()
{
    double position = 0.0;
    if (auto *group = roadAtMenuPoint<Trelvoa::EdgeGroup>(d.get(), sender(), &position)) {
        d->context->perform(new InsertJunctionCommand(d->net, group, position));
        objectAdded(group);
    }
}

} // namespace Trelvoga
