#include "items/detectorg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "connection.h"
#include "detector.h"
#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"
#include "route.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>

namespace Trelvoga {

QColor Detectorg::color = ItemColors::detector();
QColor Detectorg::selectedColor = ItemColors::detectorSelected();

namespace {

// Below this a detector (about 2 m by 3 m) is a few pixels: one point in its colour marks it.
constexpr double minShapePixelsPerMetre = 1.0;
// Below this the outline would swamp the fill: the shape is filled only.
constexpr double minOutlinePixelsPerMetre = 3.0;
// The number is written from this scale on (about zoom level 19 of a web map at mid latitudes).
constexpr double minNumberPixelsPerMetre = 4.0;
// The number's height and greatest width relative to the detector on screen, and the smallest legible
// height (pixels).
constexpr double numberShare = 0.6;
constexpr double numberWidthShare = 0.9;
constexpr double minNumberPixels = 7.0;

} // namespace

class DetectorgPrivate
{
public:
    Trelvoa::Detector *detector = nullptr;
    QRectF bounds;
    QPainterPath path;
    // The shorter side of the covered piece, metres: what the number must fit in.
    double size = 0.0;
    bool updating = false;
    Trelvoa::Lane *lane = nullptr;
    Trelvoa::Connection *connection = nullptr;
    Trelvoa::Route *route = nullptr;
    QColor color;
};

Detectorg::Detectorg(Trelvoa::Detector *detector, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo), d(new DetectorgPrivate)
{
    d->detector = detector;
    readHosts();
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::Detector);
}

Detectorg::~Detectorg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

void Detectorg::readHosts()
{
    QObject *host = d->detector->parent();
    d->lane = qobject_cast<Trelvoa::Lane *>(host);
    d->connection = qobject_cast<Trelvoa::Connection *>(host);
    d->route = qobject_cast<Trelvoa::Route *>(host);
}

QPainterPath Detectorg::path() const
{
    return d->path;
}

QColor Detectorg::overrideColor() const
{
    return d->color;
}

QRectF Detectorg::boundingRect() const
{
    return d->bounds;
}

QPainterPath Detectorg::shape() const
{
    return d->path;
}

void Detectorg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (d->path.isEmpty())
        return;
    const QColor fill = d->color.isValid() ? d->color : (isSelected() ? selectedColor : color);
    const double pixels = ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (pixels < minShapePixelsPerMetre) {
        ItemGeometry::drawSpeck(painter, fill, QPolygonF(), d->bounds.center());
        return;
    }
    ItemGeometry::setShapeStyle(painter, fill, pixels >= minOutlinePixelsPerMetre);
    ItemGeometry::drawPolygons(painter, d->path);

    const int number = d->detector->tlId();
    if (number <= 0 || pixels < minNumberPixelsPerMetre)
        return;
    // Written upright and centred at a size that fits the detector on screen, so it never leaves the
    // shape much, nor the bounds.
    const double side = d->size * pixels;
    const QString text = QString::number(number);
    QFont font = painter->font();
    font.setPixelSize(qMax(1, int(numberShare * side)));
    const double wide = QFontMetricsF(font).horizontalAdvance(text);
    if (wide > numberWidthShare * side)
        font.setPixelSize(qMax(1, int(font.pixelSize() * numberWidthShare * side / wide)));
    if (font.pixelSize() < minNumberPixels)
        return;
    const QPointF centre = painter->worldTransform().map(d->bounds.center());
    const QRectF box(centre - QPointF(side, side) / 2.0, QSizeF(side, side));
    painter->save();
    painter->resetTransform();
    painter->setFont(font);
    painter->setPen(Qt::black);
    painter->drawText(box, Qt::AlignCenter, text);
    painter->restore();
}

void Detectorg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    readHosts();
    d->path = QPainterPath();
    const Trelvoa::GeoShape outline = d->detector->shape();
    ItemGeometry::addOutline(&d->path, outline);
    // A point detector covers a metre of its host.
    const double covered = qMax(1.0, d->detector->skeleton().length());
    d->size = qMin(covered, outline.area() / covered);
    d->path = ItemGeometry::toScene(geoUtil(), d->path);
    const QPointF position = d->detector->pos();
    if (Trelvoa::pointIsValid(position)) {
        d->updating = true;
        setPos(geoPos(position));
        d->updating = false;
    }
    d->path.translate(-pos());
    d->bounds = d->path.boundingRect();
}

Trelvoa::NetObject *Detectorg::networkObject() const
{
    return d->detector;
}

void Detectorg::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void Detectorg::resetColor()
{
    if (!d->color.isValid())
        return;
    d->color = QColor();
    update();
}

QVariant Detectorg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating) {
        if (isReadOnly())
            return pos();
        if (!d->lane && !d->connection && !d->route)
            return value;
        // The host's course as the detector measures its distance along it.
        const Trelvoa::GeoPolyline course = d->detector->hostSkeleton();
        double distance = 0.0;
        const QPointF onHost = course.pointOn(netPos(value.toPointF()), &distance, true);
        if (!Trelvoa::pointIsValid(onHost))
            return pos();
        d->detector->setDistance(distance);
        const QPointF placed = d->detector->pos();
        return geoPos(Trelvoa::pointIsValid(placed) ? placed : onHost);
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Detectorg, Trelvoa::Detector)
