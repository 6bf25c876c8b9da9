#include "items/detectorgroupg.h"

#include "items/dragdropmarker.h"
#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "connection.h"
#include "detector.h"
#include "detectorgroup.h"
#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QPointer>

namespace Trelvoga {

QColor DetectorGroupg::color = ItemColors::detectorGroup();
QColor DetectorGroupg::selectedColor = ItemColors::detectorGroupSelected();

namespace {

// Disc radius at each detector and width of the band joining them, model units.
constexpr double discRadius = 1.0;
constexpr double bandWidth = 1.0;
// Below this the discs are specks: the band's centre line (or a point) stands for the group.
constexpr double minShapePixelsPerMetre = 1.0;
// Below this the outline would swamp the fill: the shape is filled only.
constexpr double minOutlinePixelsPerMetre = 3.0;

} // namespace

class DetectorGroupgPrivate
{
public:
    Trelvoa::DetectorGroup *group = nullptr;
    QRectF bounds;
    QPainterPath path;
    // Through the detectors, item-local: what is drawn when zoomed out.
    QPolygonF line;
    bool updating = false;
    Trelvoa::Lane *lane = nullptr;
    Trelvoa::Connection *connection = nullptr;
    QList<Trelvoa::Detector *> detectors;
    DragDropMarker *marker = nullptr;
};

DetectorGroupg::DetectorGroupg(Trelvoa::DetectorGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo), d(new DetectorGroupgPrivate)
{
    d->group = group;
    d->detectors = group->detectors();
    readHosts();
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::DetectorGroup);
}

DetectorGroupg::~DetectorGroupg()
{
    // A marker in the markers layer goes with the layers when the whole network goes.
    if (d->marker && (!isFastCleanup() || !d->marker->parentItem()))
        delete d->marker;
    d->marker = nullptr;
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

void DetectorGroupg::readHosts()
{
    QObject *host = d->detectors.isEmpty() ? nullptr : d->detectors.first()->parent();
    d->lane = qobject_cast<Trelvoa::Lane *>(host);
    d->connection = qobject_cast<Trelvoa::Connection *>(host);
}

QPainterPath DetectorGroupg::path() const
{
    return d->path;
}

DragDropMarker *DetectorGroupg::marker() const
{
    return d->marker;
}

QRectF DetectorGroupg::boundingRect() const
{
    return d->bounds;
}

QPainterPath DetectorGroupg::shape() const
{
    return d->path;
}

void DetectorGroupg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (d->path.isEmpty())
        return;
    const QColor fill = isSelected() ? selectedColor : color;
    const double pixels = ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (pixels < minShapePixelsPerMetre) {
        ItemGeometry::drawSpeck(painter, fill, d->line, d->bounds.center());
        return;
    }
    ItemGeometry::setShapeStyle(painter, fill, pixels >= minOutlinePixelsPerMetre);
    ItemGeometry::drawPolygons(painter, d->path);
}

void DetectorGroupg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    d->detectors = d->group->detectors();
    readHosts();

    const QPointF position = d->group->pos();
    if (Trelvoa::pointIsValid(position)) {
        d->updating = true;
        setPos(geoPos(position));
        d->updating = false;
    }

    QPainterPath discs;
    Trelvoa::GeoPolyline through;
    for (const Trelvoa::Detector *detector : qAsConst(d->detectors)) {
        const QPointF p = detector->pos();
        if (!Trelvoa::pointIsValid(p))
            continue;
        Trelvoa::GeoShape disc;
        disc.addEllipse(p, discRadius, discRadius);
        ItemGeometry::addOutline(&discs, disc);
        through.append(p);
    }
    QPainterPath band;
    ItemGeometry::addStroke(&band, through, bandWidth);
    // One outline: the discs and the band drawn apart would show their seams under the pen.
    d->path = band.isEmpty() ? discs.simplified() : discs.united(band);
    d->path = ItemGeometry::toScene(geoUtil(), d->path);
    d->path.translate(-pos());
    d->line = ItemGeometry::toScene(geoUtil(), through.toPolygon()).translated(-pos());
    d->bounds = d->path.boundingRect();
    if (d->marker)
        d->marker->setPos(scenePos());
}

Trelvoa::NetObject *DetectorGroupg::networkObject() const
{
    return d->group;
}

void DetectorGroupg::setEdit(bool on)
{
    if ((d->marker != nullptr) == on)
        return;
    delete d->marker;
    d->marker = nullptr;
    if (!on || isReadOnly())
        return;
    QVariantMap data;
    data.insert(QStringLiteral("DetectorGroup"), QVariant::fromValue<QObject *>(d->group));
    d->marker = new DragDropMarker(scenePos(), data, this);
}

QVariant DetectorGroupg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating) {
        if (isReadOnly())
            return pos();
        if (d->group->detectorCount() > 0 && (d->lane || d->connection))
            return slide(value.toPointF());
    }
    return GenericGraphicsItem::itemChange(change, value);
}

QVariant DetectorGroupg::slide(const QPointF &scenePoint)
{
    // The model's list, not the one of the last refresh: a detector deleted since is gone from it.
    const QList<Trelvoa::Detector *> detectors = d->group->detectors();
    const Trelvoa::GeoPolyline course = detectors.first()->hostSkeleton();
    double from = 0.0;
    double to = 0.0;
    const QPointF start = course.pointOn(d->group->pos(), &from, true);
    const QPointF target = course.pointOn(netPos(scenePoint), &to, true);
    if (!Trelvoa::pointIsValid(start) || !Trelvoa::pointIsValid(target))
        return pos();
    // Every detector keeps to its own lane: a detector pushed past either end would stop there while
    // the others went on, and the group's layout would be lost.
    double lowest = -qInf();
    double highest = qInf();
    for (const Trelvoa::Detector *detector : detectors) {
        const double length = detector->hostSkeleton().length();
        const double at = qMin(detector->distance(), length);
        lowest = qMax(lowest, -at);
        highest = qMin(highest, qMax(0.0, length - at));
    }
    const double shift = qBound(lowest, to - from, highest);
    if (shift != 0.0) {
        // The group may be refreshed (and the list re-read) while its detectors move.
        const QList<QPointer<Trelvoa::Detector>> moving(detectors.cbegin(), detectors.cend());
        for (const QPointer<Trelvoa::Detector> &detector : moving) {
            if (detector)
                detector->setDistance(qMin(detector->distance(), detector->hostSkeleton().length()) + shift);
        }
    }
    const QPointF placed = d->group->pos();
    return Trelvoa::pointIsValid(placed) ? QVariant(geoPos(placed)) : QVariant(pos());
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::DetectorGroupg, Trelvoa::DetectorGroup)
