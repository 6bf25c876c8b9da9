#include "items/ptstopg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"
#include "ptstop.h"

#include <QGraphicsScene>
#include <QPainter>

namespace Trelvoga {

namespace {

// Below this a 3 m deep stop is a speck; the disc on the kerb point goes first.
constexpr double minPixelsPerMetre = 0.15;
constexpr double minCirclePixelsPerMetre = 1.0;

} // namespace

QColor PtStopg::color = ItemColors::ptStop();
QColor PtStopg::selectedColor = ItemColors::ptStopSelected();

class PtStopgPrivate
{
public:
    Trelvoa::PtStop *stop = nullptr;
    Trelvoa::Lane *lane = nullptr;
    QPainterPath outline;
    QPainterPath circle;
    QRectF bounds;
    bool updating = false;
};

PtStopg::PtStopg(Trelvoa::PtStop *stop, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new PtStopgPrivate)
{
    d->stop = stop;
    d->lane = stop ? stop->lane() : nullptr;
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::PtStop);
}

PtStopg::~PtStopg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QPainterPath PtStopg::outline() const
{
    return d->outline;
}

QPainterPath PtStopg::circle() const
{
    return d->circle;
}

QRectF PtStopg::boundingRect() const
{
    return d->bounds;
}

QPainterPath PtStopg::shape() const
{
    return d->outline;
}

void PtStopg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    const double ppm = ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (!isSelected() && ppm < minPixelsPerMetre)
        return;
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(isSelected() ? selectedColor : color));
    ItemGeometry::drawPolygons(painter, d->outline);
    if (ppm >= minCirclePixelsPerMetre)
        ItemGeometry::drawPolygons(painter, d->circle);
}

void PtStopg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    d->outline = QPainterPath();
    d->circle = QPainterPath();
    d->bounds = QRectF();
    if (!d->stop)
        return;
    d->lane = d->stop->lane();
    const QPointF xy = d->stop->pos();
    if (!qIsFinite(xy.x()) || !qIsFinite(xy.y()))
        return;
    const QPointF position = geoPos(xy);
    d->updating = true;
    setPos(position);
    d->updating = false;

    ItemGeometry::addOutline(&d->outline, d->stop->shape());
    d->circle.addPolygon(ItemGeometry::disc(xy, 0.35 * d->stop->width()));
    d->circle.closeSubpath();
    d->outline = ItemGeometry::toScene(geoUtil(), d->outline);
    d->circle = ItemGeometry::toScene(geoUtil(), d->circle);
    d->outline.translate(-position);
    d->circle.translate(-position);
    d->bounds = d->outline.boundingRect() | d->circle.boundingRect();
}

Trelvoa::NetObject *PtStopg::networkObject() const
{
    return d->stop;
}

QVariant PtStopg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating && d->stop) {
        if (isReadOnly() || !d->lane)
            return pos();
        // The stop's distance counts along the lane's centre line and the model puts the stop on the kerb
        // abreast of it. Taking the distance along the kerb line itself would set the stop off from the
        // pointer wherever the lane bends (the kerb is longer or shorter than the centre line there).
        const Trelvoa::GeoPolyline centre = d->lane->fullSkeleton();
        if (centre.count() < 2)
            return pos();
        double distance = 0.0;
        const QPointF onCentre = centre.pointOn(netPos(value.toPointF()), &distance, true);
        if (!qIsFinite(onCentre.x()) || !qIsFinite(onCentre.y()) || !d->stop->setDistance(distance))
            return pos();
        const QPointF kerb = d->stop->pos();
        if (!qIsFinite(kerb.x()) || !qIsFinite(kerb.y()))
            return pos();
        return geoPos(kerb);
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::PtStopg, Trelvoa::PtStop)
