#include "items/crosswalkg.h"

#include "items/dragdropmarker.h"
#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"
#include "scene/layer.h"

#include "crosswalk.h"
#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"
#include "node.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace Trelvoga {

QColor CrossWalkg::color = ItemColors::crossWalk();

namespace {

// Stripes narrower than about half a pixel only grey the fill; below this the outline is left out too.
constexpr double minStripePixelsPerMetre = 1.5;
// A crossing smaller than this on screen is left out (unless selected): at city scale it is a speck.
constexpr double minPixels = 2.0;
// Side of the end handles, model units.
constexpr double handleSize = 1.0;

const QString keyCrossWalk = QStringLiteral("crosswalk");
const QString keyLane1 = QStringLiteral("lane1");
const QString keyLane2 = QStringLiteral("lane2");

// Offsets run from the lane's junction end: its end when it ends at the crossing's junction.
bool countsFromEnd(const Trelvoa::CrossWalk *crossWalk, const Trelvoa::Lane *lane)
{
    return crossWalk->junction() && lane->endNode() == crossWalk->junction();
}

// The point of the lane's full skeleton nearest to xy and its distance from the lane's junction end;
// the invalid point for a lane without skeleton.
QPointF pointOnLane(const Trelvoa::CrossWalk *crossWalk, const Trelvoa::Lane *lane, const QPointF &xy,
                    double *distance)
{
    const Trelvoa::GeoPolyline full = lane->fullSkeleton();
    if (full.isEmpty())
        return Trelvoa::invalidPoint();
    return full.pointOn(xy, distance, !countsFromEnd(crossWalk, lane), nullptr, nullptr);
}

QPointF pointAtLaneDistance(const Trelvoa::CrossWalk *crossWalk, const Trelvoa::Lane *lane, double distance)
{
    QPointF p = Trelvoa::invalidPoint();
    lane->fullSkeleton().lineAtDistance(distance, !countsFromEnd(crossWalk, lane), &p);
    return p;
}

QPointF pointAlong(const Trelvoa::GeoPolyline &line, double distance)
{
    QPointF p = line.isEmpty() ? Trelvoa::invalidPoint() : line.first();
    line.lineAtDistance(distance, true, &p);
    return p;
}

QVariant objectValue(QObject *object)
{
    return QVariant::fromValue(object);
}

} // namespace

class CrossWalkgPrivate
{
public:
    Trelvoa::CrossWalk *crossWalk = nullptr;
    QRectF bounds;
    // The model outline the drawing is made from; the outline and the stripes are laid out from it when
    // first shown or picked, relative to the item's position then.
    Trelvoa::GeoShape modelShape;
    QPainterPath outline;
    bool outlineStale = false;
    QPointF origin;
    mutable QPainterPath stripes;
    mutable bool stripesStale = false;
    bool updating = false;
    QRectF handle1;
    QRectF handle2;
    bool dragFirst = false;
    QPointer<Trelvoa::Lane> dragLane;
    QColor color;
    QPointer<Layer> markersLayer;
    QPointF handle1Centre;
    QPointF handle2Centre;
    DragDropMarker *marker1 = nullptr;
    DragDropMarker *marker2 = nullptr;
    // The larger of length and width in metres, for the level of detail.
    double size = 0.0;

    bool hasOutline() const { return modelShape.count() >= 2; }
    void ensureOutline(const Trelvoa::GeoUtil *geo)
    {
        if (!outlineStale)
            return;
        outlineStale = false;
        QPainterPath outlineXY;
        ItemGeometry::addOutline(&outlineXY, modelShape);
        outline = ItemGeometry::toScene(geo, outlineXY);
        outline.translate(-origin);
    }
};

CrossWalkg::CrossWalkg(Trelvoa::CrossWalk *crossWalk, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new CrossWalkgPrivate)
{
    d->crossWalk = crossWalk;
    d->markersLayer = DragDropMarker::markersLayerOf(this);
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::Crosswalk);
    // Markers of walking areas are dropped on crossings.
    setAcceptDrops(true);
}

CrossWalkg::~CrossWalkg()
{
    delete d->marker1;
    delete d->marker2;
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QPainterPath CrossWalkg::zebraStripes(const Trelvoa::GeoShape &outline)
{
    QPainterPath path;
    if (outline.count() <= 3)
        return path;
    const QLineF side(outline.at(0), outline.at(1));
    const QLineF longA(outline.at(0), outline.at(3));
    const QLineF longB(outline.at(1), outline.at(2));
    const double length = side.length();
    if (!(length > 0.0))
        return path;
    // Stripes are counted from Q0-Q1 towards the far end, whichever way the corners turn.
    QPointF normal(-side.dy() / length, side.dx() / length);
    const QPointF far = (outline.at(2) + outline.at(3)) / 2.0 - outline.at(0);
    double extent = far.x() * normal.x() + far.y() * normal.y();
    if (extent < 0.0) {
        normal = -normal;
        extent = -extent;
    }
    for (int k = 0;; ++k) {
        const double near = stripeStart + k * stripePeriod;
        if (!(near < extent))
            break;
        // A last stripe cut short by the far end stays inside the outline.
        const double farOffset = std::min(near + stripeWidth, extent);
        const QLineF nearLine = side.translated(normal * near);
        const QLineF farLine = side.translated(normal * farOffset);
        QPointF a1;
        QPointF a2;
        QPointF b1;
        QPointF b2;
        if (longA.intersects(nearLine, &a1) == QLineF::NoIntersection
            || longA.intersects(farLine, &a2) == QLineF::NoIntersection
            || longB.intersects(farLine, &b2) == QLineF::NoIntersection
            || longB.intersects(nearLine, &b1) == QLineF::NoIntersection)
            break;
        path.moveTo(a1);
        path.lineTo(a2);
        path.lineTo(b2);
        path.lineTo(b1);
        path.closeSubpath();
    }
    return path;
}

QPainterPath CrossWalkg::outline() const
{
    d->ensureOutline(geoUtil());
    return d->outline;
}

QPainterPath CrossWalkg::stripes() const
{
    ensureStripes();
    return d->stripes;
}

void CrossWalkg::ensureStripes() const
{
    if (!d->stripesStale)
        return;
    d->stripesStale = false;
    d->stripes = ItemGeometry::toScene(geoUtil(), zebraStripes(d->modelShape));
    d->stripes.translate(-d->origin);
}

QRectF CrossWalkg::handle1() const
{
    return d->handle1;
}

QRectF CrossWalkg::handle2() const
{
    return d->handle2;
}

QPointF CrossWalkg::handle1Centre() const
{
    return d->handle1Centre;
}

QPointF CrossWalkg::handle2Centre() const
{
    return d->handle2Centre;
}

DragDropMarker *CrossWalkg::marker1() const
{
    return d->marker1;
}

DragDropMarker *CrossWalkg::marker2() const
{
    return d->marker2;
}

QColor CrossWalkg::overrideColor() const
{
    return d->color;
}

bool CrossWalkg::handlesShown() const
{
    if (!isSelected())
        return false;
    if (!d->markersLayer)
        d->markersLayer = DragDropMarker::markersLayerOf(this);
    return d->markersLayer && d->markersLayer->isVisible();
}

QRectF CrossWalkg::boundingRect() const
{
    return d->bounds;
}

QPainterPath CrossWalkg::shape() const
{
    d->ensureOutline(geoUtil());
    return d->outline;
}

bool CrossWalkg::drawsAt(double pixelsPerMetre) const
{
    return d->hasOutline() && (isSelected() || pixelsPerMetre * d->size >= minPixels);
}

void CrossWalkg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (!d->hasOutline())
        return;
    const bool selected = isSelected();
    const double ppm = ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (!selected && ppm * d->size < minPixels)
        return;

    QPen pen = painter->pen();
    pen.setCosmetic(true);
    // Zoomed out, the outline would make a dark blot of a crossing a few pixels long.
    const bool detailed = ppm >= minStripePixelsPerMetre;
    painter->setPen(detailed || selected ? pen : QPen(Qt::NoPen));
    painter->setBrush(QBrush(d->color.isValid() ? d->color : (selected ? QColor(Qt::yellow) : color)));
    d->ensureOutline(geoUtil());
    ItemGeometry::drawPolygons(painter, d->outline);

    if (detailed) {
        ensureStripes();
        painter->setPen(Qt::NoPen);
        painter->setBrush(QBrush(Qt::white));
        ItemGeometry::drawPolygons(painter, d->stripes);
    }
    painter->setPen(pen);

    if (!handlesShown() || d->handle1.isNull())
        return;
    painter->setBrush(QBrush(Qt::red));
    painter->drawRect(d->handle1);
    painter->drawRect(d->handle2);
    // The numbers in screen pixels, upright whatever the view does to the map.
    const QTransform transform = painter->transform();
    painter->save();
    painter->resetTransform();
    painter->drawText(transform.mapRect(d->handle1), Qt::AlignCenter, QStringLiteral("1"));
    painter->drawText(transform.mapRect(d->handle2), Qt::AlignCenter, QStringLiteral("2"));
    painter->restore();
}

void CrossWalkg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    Trelvoa::CrossWalk *cw = d->crossWalk;

    const Trelvoa::GeoShape modelShape = cw->shape();
    d->modelShape = modelShape;
    d->stripes = QPainterPath();
    d->stripesStale = modelShape.count() > 3;

    const Trelvoa::GeoPolyline skeleton = cw->skeleton();
    d->size = std::max(skeleton.length(), cw->width());
    Trelvoa::Lane *lane1 = cw->lane1();
    Trelvoa::Lane *lane2 = cw->lane2();
    const QPointF p1 = cw->lanePoint1();
    if (skeleton.isEmpty() || !lane1 || !lane2 || !Trelvoa::pointIsValid(p1)) {
        d->handle1 = d->handle2 = QRectF();
    } else {
        const bool oneLane = lane1 == lane2;
        const QPointF centre1 = oneLane ? pointAlong(skeleton, lane1->width() / 4.0) : p1;
        const QPointF centre2 = oneLane ? pointAlong(skeleton, lane1->width() * 3.0 / 4.0) : cw->lanePoint2();
        d->updating = true;
        setPos(geoPos(p1));
        d->updating = false;
        const QRectF square(-handleSize / 2.0, -handleSize / 2.0, handleSize, handleSize);
        d->handle1 = ItemGeometry::toScene(geoUtil(), QPolygonF(square.translated(centre1))).boundingRect();
        d->handle2 = ItemGeometry::toScene(geoUtil(), QPolygonF(square.translated(centre2))).boundingRect();
        d->handle1.translate(-pos());
        d->handle2.translate(-pos());
        d->handle1Centre = geoPos(centre1);
        d->handle2Centre = geoPos(centre2);
    }
    d->origin = pos();
    d->outline = QPainterPath();
    d->outlineStale = d->hasOutline();
    // Half a metre more covers the projection's bending across the crossing.
    const QRectF extent = d->hasOutline()
        ? ItemGeometry::sceneExtent(geoUtil(), modelShape.toPolygon().boundingRect(), 0.5).translated(-d->origin)
        : QRectF();
    d->bounds = extent.united(d->handle1).united(d->handle2);

    if (d->marker1) {
        d->marker1->setMarkerValue(keyLane1, objectValue(lane1));
        d->marker1->setPos(d->handle1Centre);
    }
    if (d->marker2) {
        d->marker2->setMarkerValue(keyLane2, objectValue(lane2));
        d->marker2->setPos(d->handle2Centre);
    }
}

bool CrossWalkg::layoutsOffThread() const
{
    return !d->marker1 && !d->marker2;
}

void CrossWalkg::prepareLayout()
{
    prepareModel(d->crossWalk);
}

void CrossWalkg::prepareModel(const Trelvoa::CrossWalk *crossWalk)
{
    crossWalk->shape();
    crossWalk->lanePoint1();
    crossWalk->lanePoint2();
}

Trelvoa::NetObject *CrossWalkg::networkObject() const
{
    return d->crossWalk;
}

void CrossWalkg::setColor(const QColor &c)
{
    if (d->color == c)
        return;
    d->color = c;
    update();
}

void CrossWalkg::resetColor()
{
    if (!d->color.isValid())
        return;
    d->color = QColor();
    update();
}

void CrossWalkg::setLanesEdit(bool on)
{
    if ((d->marker1 != nullptr) == on)
        return;
    delete d->marker1;
    delete d->marker2;
    d->marker1 = d->marker2 = nullptr;
    Trelvoa::CrossWalk *cw = d->crossWalk;
    if (!on || !cw->lane1() || !cw->lane2())
        return;
    d->marker1 = new DragDropMarker(d->handle1Centre,
                                    {{keyCrossWalk, objectValue(cw)}, {keyLane1, objectValue(cw->lane1())}}, this);
    d->marker2 = new DragDropMarker(d->handle2Centre,
                                    {{keyCrossWalk, objectValue(cw)}, {keyLane2, objectValue(cw->lane2())}}, this);
}

bool CrossWalkg::isLanesEdit() const
{
    return d->marker1 != nullptr;
}

QVariant CrossWalkg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change != ItemPositionChange || d->updating)
        return GenericGraphicsItem::itemChange(change, value);
    Trelvoa::CrossWalk *cw = d->crossWalk;
    Trelvoa::Lane *lane1 = cw->lane1();
    if (isReadOnly() || !lane1)
        return pos();
    double distance = 0.0;
    QPointF onLane = pointOnLane(cw, lane1, netPos(value.toPointF()), &distance);
    if (!Trelvoa::pointIsValid(onLane))
        return pos();
    // Both ends move by the same distance, so the crossing keeps its course; the second end stops at
    // its lane's junction end, where the model refuses a negative offset.
    double delta = distance - cw->offset1();
    if (cw->offset2() + delta < 0.0) {
        delta = -cw->offset2();
        distance = cw->offset1() + delta;
        onLane = pointAtLaneDistance(cw, lane1, distance);
    }
    const double offset2 = cw->offset2() + delta;
    cw->setOffset1(distance);
    cw->setOffset2(offset2);
    return geoPos(onLane);
}

void CrossWalkg::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    d->dragLane = nullptr;
    Trelvoa::CrossWalk *cw = d->crossWalk;
    if (!isReadOnly() && event->button() == Qt::LeftButton && cw->lane1() && cw->lane2()
        && cw->lane1() != cw->lane2() && handlesShown()) {
        if (d->handle1.contains(event->pos())) {
            d->dragLane = cw->lane1();
            d->dragFirst = true;
        } else if (d->handle2.contains(event->pos())) {
            d->dragLane = cw->lane2();
            d->dragFirst = false;
        }
        if (d->dragLane)
            grabMouse();
    }
    GenericGraphicsItem::mousePressEvent(event);
}

void CrossWalkg::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!d->dragLane || !(event->buttons() & Qt::LeftButton)) {
        GenericGraphicsItem::mouseMoveEvent(event);
        return;
    }
    // A handle moves its end only: the base handling would also slide the whole crossing.
    event->accept();
    double distance = 0.0;
    if (!Trelvoa::pointIsValid(pointOnLane(d->crossWalk, d->dragLane, netPos(event->scenePos()), &distance)))
        return;
    if (d->dragFirst)
        d->crossWalk->setOffset1(distance);
    else
        d->crossWalk->setOffset2(distance);
}

void CrossWalkg::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (d->dragLane) {
        d->dragLane = nullptr;
        ungrabMouse();
    }
    GenericGraphicsItem::mouseReleaseEvent(event);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::CrossWalkg, Trelvoa::CrossWalk)
