// What lies under the selected polygons: selecting it, or deleting it in one undo step.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "edge.h"
#include "edgegroup.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "polygonobject.h"

#include <QCoreApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainterPath>
#include <QPointer>
#include <QSet>
#include <QUndoStack>

namespace Trelvoga {

namespace {

// The selected polygons with a shape; every selected item is deselected (and disabled when asked, so
// that a selection by area does not take the polygons themselves).
QList<Trelvoa::PolygonObject *> takePolygons(NetEditPrivate *d, const QList<Trelvoa::NetObject *> &selected,
                                              bool disable)
{
    QList<Trelvoa::PolygonObject *> polygons;
    d->selectionUpdating = true;
    for (Trelvoa::NetObject *object : selected) {
        auto *polygon = qobject_cast<Trelvoa::PolygonObject *>(object);
        if (polygon && !polygon->shape().isEmpty())
            polygons.append(polygon);
        if (GenericGraphicsItem *item = d->itemOf(object)) {
            item->setSelected(false);
            if (disable)
                item->setEnabled(false);
        }
    }
    d->selectionUpdating = false;
    return polygons;
}

QPolygonF scenePolygon(NetEditPrivate *d, const Trelvoa::PolygonObject *polygon)
{
    QPolygonF result;
    Trelvoa::GeoUtil *geo = d->net->geoUtil();
    const Trelvoa::GeoShape shape = polygon->shape();
    for (const QPointF &p : shape.points())
        result.append(geo ? geo->xyToGeo(p) : p);
    return result;
}

QTransform viewTransform(NetEditPrivate *d)
{
    return d->view ? d->view->viewportTransform() : QTransform();
}

} // namespace

void NetEdit::selectItemsUnderPolygon()
{
    if (!d->scene)
        return;
    const QList<Trelvoa::PolygonObject *> polygons = takePolygons(d.get(), selectedObjects(), true);
    if (polygons.isEmpty())
        return;
    QPainterPath area;
    for (Trelvoa::PolygonObject *polygon : polygons)
        area.addPolygon(scenePolygon(d.get(), polygon));
    d->net->makeItemsIn(area.boundingRect());
    d->scene->setSelectionArea(area, viewTransform(d.get()));
    for (Trelvoa::PolygonObject *polygon : polygons) {
        if (GenericGraphicsItem *item = d->itemOf(polygon))
            item->setEnabled(true);
    }
}

void NetEdit::deleteItemsUnderPolygon()
{
    if (!d->scene)
        return;
    const QList<Trelvoa::PolygonObject *> polygons = takePolygons(d.get(), selectedObjects(), false);
    QList<Trelvoa::NetObject *> removal;
    QSet<Trelvoa::NetObject *> listed;
    auto collect = [&](Trelvoa::NetObject *object) {
        if (object && !listed.contains(object)) {
            listed.insert(object);
            removal.append(object);
        }
    };
    for (Trelvoa::PolygonObject *polygon : polygons) {
        d->net->makeItemsIn(scenePolygon(d.get(), polygon).boundingRect());
        const QList<QGraphicsItem *> under = d->scene->items(scenePolygon(d.get(), polygon), Qt::IntersectsItemShape,
                                                             Qt::DescendingOrder, viewTransform(d.get()));
        for (QGraphicsItem *item : under) {
            Trelvoa::NetObject *object = d->net->item2object(item);
            if (!object || object == polygon || listed.contains(object))
                continue;
            // A lane goes with its road: the road's group and the road first.
            if (object->metaObject() == &Trelvoa::Lane::staticMetaObject) {
                Trelvoa::Edge *edge = static_cast<Trelvoa::Lane *>(object)->edge();
                if (edge && edge->group())
                    collect(edge->group());
                collect(edge);
            }
            collect(object);
        }
    }
    if (removal.isEmpty()) {
        emit logMessage(QCoreApplication::translate("NetEdit", "No items under polygon"), QtWarningMsg);
        return;
    }
    d->selectionUpdating = true;
    d->treeUpdating = true;
    if (d->undoStack)
        d->undoStack->push(new RemoveCommand(d->net, removal));
    QList<QPointer<Trelvoa::NetObject>> guarded;
    for (Trelvoa::NetObject *object : qAsConst(removal))
        guarded.append(object);
    for (const QPointer<Trelvoa::NetObject> &object : qAsConst(guarded)) {
        if (object)
            d->deleteObject(object);
    }
    d->selectionUpdating = false;
    d->treeUpdating = false;
}

} // namespace Trelvoga
