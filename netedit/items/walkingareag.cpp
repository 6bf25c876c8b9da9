#include "items/walkingareag.h"

#include "items/dragdropmarker.h"
#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "geo/geohelpers.h"
#include "geo/geoshape.h"
#include "walkingarea.h"

#include <QGraphicsScene>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Trelvoga {

QColor WalkingAreag::color = ItemColors::walkingArea();
QColor WalkingAreag::selectedColor = ItemColors::walkingAreaSelected();

namespace {

// An area smaller than this on screen is left out (unless selected or edited).
constexpr double minPixels = 2.0;
constexpr double minOutlinePixelsPerMetre = 1.5;

const QString keyWalkingArea = QStringLiteral("walkingarea");
const QString keyItem = QStringLiteral("wa_item");

} // namespace

class WalkingAreagPrivate
{
public:
    Trelvoa::WalkingArea *walkingArea = nullptr;
    QRectF bounds;
    // Laid out when first drawn or picked (a city zoomed out draws none), relative to the item's
    // position then.
    QPainterPath outline;
    QPointF origin;
    bool outlineStale = false;
    QList<QPointF> connectorPoints;
    DragDropMarker *centreMarker = nullptr;
    QList<DragDropMarker *> itemMarkers;
    // Size of the outline in metres, for the level of detail.
    double size = 0.0;

    void ensureOutline(const Trelvoa::GeoUtil *geo)
    {
        if (!outlineStale)
            return;
        outlineStale = false;
        const QPolygonF polygon = walkingArea->shape().toPolygon();
        if (polygon.isEmpty())
            return;
        outline.addPolygon(ItemGeometry::toScene(geo, polygon));
        outline.closeSubpath();
        outline.translate(-origin);
    }
};

WalkingAreag::WalkingAreag(Trelvoa::WalkingArea *area, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new WalkingAreagPrivate)
{
    d->walkingArea = area;
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setItemCursor(ItemCursors::WalkingArea);
}

WalkingAreag::~WalkingAreag()
{
    deleteMarkers();
    if (isFastCleanup())
        return;
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (scene())
        scene()->removeItem(this);
    dropVertexEdit();
}

QPainterPath WalkingAreag::outline() const
{
    d->ensureOutline(geoUtil());
    return d->outline;
}

QList<QPointF> WalkingAreag::connectorPoints() const
{
    return d->connectorPoints;
}

bool WalkingAreag::isConnectionsEdit() const
{
    return d->centreMarker != nullptr;
}

DragDropMarker *WalkingAreag::centreMarker() const
{
    return d->centreMarker;
}

QList<DragDropMarker *> WalkingAreag::itemMarkers() const
{
    return d->itemMarkers;
}

QRectF WalkingAreag::boundingRect() const
{
    return d->bounds;
}

QPainterPath WalkingAreag::shape() const
{
    d->ensureOutline(geoUtil());
    return d->outline;
}

bool WalkingAreag::drawsAt(double pixelsPerMetre) const
{
    return isSelected() || isConnectionsEdit() || edited() || pixelsPerMetre * d->size >= minPixels;
}

void WalkingAreag::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    const bool selected = isSelected();
    const bool connectors = selected || isConnectionsEdit();
    const double ppm = ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (!connectors && !edited() && ppm * d->size < minPixels)
        return;
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    // Zoomed out, the outline would make a dark blot of an area a few pixels across.
    painter->setPen(connectors || ppm >= minOutlinePixelsPerMetre ? pen : QPen(Qt::NoPen));
    const QColor override = overrideColor();
    painter->setBrush(QBrush(override.isValid() ? override : (selected ? selectedColor : color)));
    d->ensureOutline(geoUtil());
    if (!d->outline.isEmpty())
        ItemGeometry::drawPolygons(painter, d->outline);
    if (!connectors)
        return;
    for (const QPointF &p : qAsConst(d->connectorPoints))
        painter->drawLine(QPointF(0.0, 0.0), p);
}

void WalkingAreag::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    Trelvoa::WalkingArea *area = d->walkingArea;
    d->connectorPoints.clear();
    d->outline = QPainterPath();
    d->outlineStale = false;
    const QPointF centre = area->pos();
    if (!Trelvoa::pointIsValid(centre)) {
        // No outline and no connector point left: nothing to draw (rather than the last drawing).
        d->bounds = QRectF();
        d->size = 0.0;
    } else {
        setPos(geoPos(centre));
        const Trelvoa::GeoShape modelShape = area->shape();
        const QPolygonF polygon = modelShape.toPolygon();
        const QRectF extent = polygon.boundingRect();
        d->size = std::max(extent.width(), extent.height());
        d->origin = pos();
        d->outlineStale = !polygon.isEmpty();
        // Half a metre more covers the projection's bending across the outline.
        d->bounds = polygon.isEmpty() ? QRectF()
                                      : ItemGeometry::sceneExtent(geoUtil(), extent, 0.5).translated(-d->origin);
        for (const Trelvoa::WalkingArea::Item *item : area->items()) {
            const QPointF p = item->connectorPoint();
            if (std::isnan(p.x()))
                continue;
            const QPointF local = geoPos(p) - pos();
            d->connectorPoints.append(local);
            d->bounds = d->bounds.united(QRectF(local, QSizeF(0.0, 0.0)));
        }
    }
    if (isConnectionsEdit())
        refreshMarkers();
}

bool WalkingAreag::layoutsOffThread() const
{
    return !isConnectionsEdit();
}

void WalkingAreag::prepareLayout()
{
    prepareModel(d->walkingArea);
}

void WalkingAreag::prepareModel(const Trelvoa::WalkingArea *area)
{
    // The outline caches what it is built of; the connector points are read again on their own.
    area->shape();
    for (const Trelvoa::WalkingArea::Item *item : area->items())
        item->connectorPoint();
}

Trelvoa::NetObject *WalkingAreag::networkObject() const
{
    return d->walkingArea;
}

void WalkingAreag::setEdit(bool on)
{
    if (on)
        beginVertexEdit(d->walkingArea->shape());
    else
        endVertexEdit();
}

void WalkingAreag::shapeChanged(const Trelvoa::GeoShape &shape)
{
    editWritten(d->walkingArea->setShape(modelGeometry(shape)));
}

void WalkingAreag::setConnectionsEdit(bool on)
{
    prepareGeometryChange();
    if (isConnectionsEdit() == on)
        return;
    deleteMarkers();
    if (on)
        refreshMarkers();
}

void WalkingAreag::deleteMarkers()
{
    qDeleteAll(d->itemMarkers);
    d->itemMarkers.clear();
    delete d->centreMarker;
    d->centreMarker = nullptr;
}

void WalkingAreag::refreshMarkers()
{
    Trelvoa::WalkingArea *area = d->walkingArea;
    QVariantMap data{{keyWalkingArea, QVariant::fromValue<QObject *>(area)}};
    // Without a centre (no outline, no connector point) the area still needs a marker to drag.
    const QPointF centre = pos();
    if (!d->centreMarker)
        d->centreMarker = new DragDropMarker(centre, data, this);
    else
        d->centreMarker->setPos(centre);

    const QList<Trelvoa::WalkingArea::Item *> items = area->items();
    for (int i = 0; i < items.size(); ++i) {
        data.insert(keyItem, QVariant::fromValue(items.at(i)));
        // An item without connector point keeps its marker (it can still be re-attached), at the centre.
        const QPointF connector = items.at(i)->connectorPoint();
        const QPointF at = Trelvoa::pointIsValid(connector) ? geoPos(connector) : centre;
        if (d->itemMarkers.size() < i + 1) {
            d->itemMarkers.append(new DragDropMarker(at, data, this));
        } else {
            DragDropMarker *marker = d->itemMarkers.at(i);
            marker->setSelected(false);
            marker->setPos(at);
            marker->setMarkerData(data);
        }
    }
    while (d->itemMarkers.size() > items.size())
        delete d->itemMarkers.takeLast();
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::WalkingAreag, Trelvoa::WalkingArea)
