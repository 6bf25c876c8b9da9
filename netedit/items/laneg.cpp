#include "items/laneg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Trelvoga {

QColor Laneg::roadColor = ItemColors::road();
QColor Laneg::sidewalkColor = ItemColors::sidewalk();
QColor Laneg::splitlaneColor = ItemColors::splitlane();
QColor Laneg::markerColor = ItemColors::laneMarker();

namespace {

// Track drawing, model units.
constexpr double maxGauge = 2.0;
constexpr double sleeperSpacing = 0.75;
constexpr double sleeperWidth = 0.25;
constexpr double railWidth = 0.2;
// Below this width on screen a filled lane fades to nothing under antialiasing: it is outlined with a
// one-pixel pen of its fill instead, so that zoomed-out roads stay visible.
constexpr double minFilledPixels = 2.0;

} // namespace

class LanegPrivate
{
public:
    Trelvoa::Lane *lane = nullptr;
    Laneg *owner = nullptr;
    QRectF rect;
    bool noClasses = false;
    // Made when first needed (a paint close enough to fill the lane, picking): a large network is
    // mostly seen from afar, where a lane is its centre line.
    QPainterPath pickPath;
    QPainterPath surface;
    bool surfaceStale = false;
    QPolygonF centre; // the skeleton in scene coordinates, what a lane too thin to fill is drawn as
    QPainterPath arrowsPath;
    bool arrowsStale = true;
    QColor color;
};

Laneg::Laneg(Trelvoa::Lane *lane, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new LanegPrivate)
{
    d->lane = lane;
    d->owner = this;
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setItemCursor(ItemCursors::Lane);
    setAcceptDrops(true);
}

Laneg::~Laneg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QColor Laneg::laneColor(Trelvoa::Lane *lane)
{
    if (!lane)
        return roadColor;
    const int allowed = int(lane->allowed());
    if (allowed == sidewalkClasses)
        return sidewalkColor;
    if (allowed == 0)
        return splitlaneColor;
    return roadColor;
}

QPainterPath Laneg::laneShape(Trelvoa::Lane *lane, Trelvoa::GeoUtil *geo, const Trelvoa::GeoPolyline &skeleton)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (!lane)
        return path;
    const Trelvoa::GeoPolyline line = skeleton.isEmpty() ? lane->skeleton() : skeleton;

    if (isTrack(int(lane->allowed()))) {
        const double w = std::min(maxGauge, lane->width());
        const double r = 0.35 * w;
        const double length = line.length();
        const int sleepers = int(std::floor(length / sleeperSpacing));
        for (int k = 1; k <= sleepers; ++k) {
            QPointF point;
            QLineF segment = line.lineAtDistance(sleeperSpacing * k, true, &point);
            if (segment.isNull())
                continue;
            segment.translate(point - segment.p1());
            QLineF normal = segment.normalVector();
            normal.setLength(w);
            ItemGeometry::addStroke(&path, Trelvoa::GeoPolyline({normal.pointAt(-0.5), normal.pointAt(0.5)}),
                                    sleeperWidth);
        }
        ItemGeometry::addStroke(&path, line.parallel(r, true), railWidth);
        ItemGeometry::addStroke(&path, line.parallel(-r, true), railWidth);
    } else if (skeleton.isEmpty()) {
        ItemGeometry::addOutline(&path, lane->shape());
    } else {
        ItemGeometry::addOutline(&path, line.stroke(lane->width()));
    }
    return ItemGeometry::toScene(geo, path);
}

QPainterPath Laneg::directionArrows(const Trelvoa::GeoPolyline &skeleton, double width,
                                    const Trelvoa::GeoUtil *geo)
{
    QPainterPath path;
    if (skeleton.count() < 2)
        return path;
    const double length = skeleton.length();
    const int m = int(std::floor(length / 2.0));
    const int arrows = (m + 1) / 2;
    const double h = std::min(2.0 / 3.0, 0.3 * width);
    for (int k = 0; k < arrows; ++k) {
        QPointF a;
        QPointF b;
        skeleton.lineAtDistance(4.0 * k, true, &a);
        skeleton.lineAtDistance(4.0 * k + 2.0, true, &b);
        QTransform t;
        t.translate(b.x(), b.y());
        t.rotate(-QLineF(a, b).angle());
        path.moveTo(t.map(QPointF(-h, -0.1 * width)));
        path.lineTo(b);
        path.lineTo(t.map(QPointF(-h, 0.1 * width)));
        path.moveTo(b);
        path.lineTo(a);
    }
    return ItemGeometry::toScene(geo, path);
}

void Laneg::ensureSurface() const
{
    if (!d->surfaceStale)
        return;
    d->surfaceStale = false;
    d->surface = laneShape(d->lane, geoUtil(), Trelvoa::GeoPolyline());
    // The surface of a road lane is its outline already: shared, not converted a second time.
    if (isTrack(int(d->lane->allowed()))) {
        ItemGeometry::addOutline(&d->pickPath, d->lane->shape());
        d->pickPath = ItemGeometry::toScene(geoUtil(), d->pickPath);
    } else {
        d->pickPath = d->surface;
    }
}

QPainterPath Laneg::surface() const
{
    ensureSurface();
    return d->surface;
}

QPainterPath Laneg::arrowsPath() const
{
    return d->arrowsPath;
}

QColor Laneg::color() const
{
    return d->color;
}

QRectF Laneg::boundingRect() const
{
    return d->rect;
}

QPainterPath Laneg::shape() const
{
    ensureSurface();
    return d->pickPath;
}

void Laneg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    pen.setColor(Qt::black);
    painter->setPen(pen);
    const bool selected = isSelected();
    QColor fill = d->color;
    if (!fill.isValid())
        fill = selected ? QColor(Qt::yellow) : laneColor(d->lane);
    const double pixels = ItemGeometry::pixelsPerMetre(painter, geoUtil(), d->rect.center().y()) * d->lane->width();
    if (pixels < minFilledPixels) {
        // One line along the lane is half the work of its outline and looks the same at this scale.
        QPen thin(fill, 0);
        painter->setPen(thin);
        painter->setBrush(Qt::NoBrush);
        if (d->centre.size() >= 2) {
            painter->drawPolyline(d->centre);
        } else {
            ensureSurface();
            ItemGeometry::drawPolygons(painter, d->surface);
        }
    } else {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QBrush(fill));
        ensureSurface();
        ItemGeometry::drawPolygons(painter, d->surface);
    }
    painter->setPen(pen);
    if (!d->noClasses && selected && !d->arrowsPath.isEmpty()) {
        painter->setBrush(QBrush(d->color.isValid() ? d->color : QColor(Qt::darkGreen)));
        painter->drawPath(d->arrowsPath);
    }
}

void Laneg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    d->pickPath = QPainterPath();
    d->surface = QPainterPath();
    d->surfaceStale = true;
    const Trelvoa::GeoPolyline skeleton = d->lane->skeleton();
    d->centre = ItemGeometry::toScene(geoUtil(), skeleton.toPolygon());
    // Everything drawn or picked lies within the lane's width of its skeleton, or twice that at a
    // sharp bend (the outline's mitre limit); a metre more covers the projection's bending.
    d->rect = skeleton.count() < 2
        ? QRectF()
        : ItemGeometry::sceneExtent(geoUtil(), skeleton.boundingRect(), 2.0 * d->lane->width() + 1.0);
    d->noClasses = d->lane->allowed() == 0;
    d->arrowsStale = true;
    // A lane that is selected now would otherwise show the arrows of its old course.
    if (isSelected())
        rebuildArrows();
}

bool Laneg::layoutsOffThread() const
{
    // A selected lane builds its arrows as well.
    return !isSelected();
}

void Laneg::prepareLayout()
{
    prepareModel(d->lane);
}

void Laneg::prepareModel(const Trelvoa::Lane *lane)
{
    // The cut-back centre line; the full one and the cuts with it.
    lane->skeleton();
}

void Laneg::rebuildArrows()
{
    const Trelvoa::GeoPolyline skeleton = d->lane->skeleton();
    d->arrowsPath = skeleton.isEmpty() ? QPainterPath() : directionArrows(skeleton, d->lane->width(), geoUtil());
    d->arrowsStale = false;
}

Trelvoa::NetObject *Laneg::networkObject() const
{
    return d->lane;
}

bool Laneg::isChanged() const
{
    return false;
}

void Laneg::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void Laneg::resetColor()
{
    if (!d->color.isValid())
        return;
    d->color = QColor();
    update();
}

QVariant Laneg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSelectedHasChanged && value.toBool() && d->arrowsStale)
        rebuildArrows();
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Laneg, Trelvoa::Lane)
