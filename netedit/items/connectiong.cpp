#include "items/connectiong.h"

#include "items/dragdropmarker.h"
#include "items/itemgeometry.h"
#include "items/laneg.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "connection.h"
#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "lane.h"
#include "stopline.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace Trelvoga {

namespace {

// Model units.
constexpr double simpleBandWidth = 1.0;
constexpr double arrowLength = 1.5;
constexpr double arrowHalfWidth = 0.5;
// As for lanes: a surface thinner than this on screen is drawn as a one-pixel line along the skeleton.
constexpr double minFilledPixels = 2.0;

const QString fromKey = QStringLiteral("from");
const QString toKey = QStringLiteral("to");
const QString connectionKey = QStringLiteral("connection");

Trelvoa::Lane *fromLane(const Trelvoa::Connection *connection)
{
    return connection->from() ? connection->from()->lane() : nullptr;
}

Trelvoa::Lane *toLane(const Trelvoa::Connection *connection)
{
    return connection->to() ? connection->to()->lane() : nullptr;
}

// The model rectangle the connection's course lies in, without asking for the course: the model keeps
// its curve once made, and most connections of a large network are never drawn close up. The curve
// lies within the hull of its control points, and the model's handles are never longer than two thirds
// of the chord (the arc handle for a turn of up to 179 degrees). False when there is no course.
bool courseExtent(const Trelvoa::Connection *connection, QRectF *extent)
{
    if (!connection->autoSkeleton()) {
        const Trelvoa::GeoPolyline custom = connection->customSkeleton();
        if (custom.count() >= 2) {
            *extent = custom.boundingRect();
            return true;
        }
    }
    if (!connection->from() || !connection->to())
        return false;
    const QLineF in = connection->from()->direction();
    const QLineF out = connection->to()->direction();
    if (in.isNull() || out.isNull() || !Trelvoa::pointIsValid(in.p1()) || !Trelvoa::pointIsValid(out.p1()))
        return false;
    const double handle = 2.0 / 3.0 * QLineF(in.p1(), out.p1()).length();
    *extent = QRectF(in.p1(), out.p1()).normalized().adjusted(-handle, -handle, handle, handle);
    return true;
}

// Stroked without a brush: the arrows are open polylines.
void strokeSubpaths(QPainter *painter, const QPainterPath &path)
{
    QPolygonF points;
    auto flush = [&] {
        if (points.size() >= 2)
            painter->drawPolyline(points);
        points.clear();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.isMoveTo())
            flush();
        points.append(QPointF(e.x, e.y));
    }
    flush();
}

} // namespace

// The scene geometry of the current course, made when first needed: most connections of a large
// network are never seen close enough to show them, nor picked.
class ConnectiongDetail
{
public:
    QPolygonF centre; // the skeleton in scene coordinates in both views
    QPolygonF arrow;
    QPainterPath surface;
    bool surfaceStale = true;
    QPainterPath arrowsPath;
    bool arrowsStale = true;
};

class ConnectiongPrivate
{
public:
    Trelvoa::Connection *connection = nullptr;
    QRectF rect;
    // Dropped at every change of course or view, made again when next needed.
    std::unique_ptr<ConnectiongDetail> detail;
    DragDropMarker *fromMarker = nullptr;
    DragDropMarker *toMarker = nullptr;
    bool simpleView = true;
};

Connectiong::Connectiong(Trelvoa::Connection *connection, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new ConnectiongPrivate)
{
    d->connection = connection;
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setItemCursor(ItemCursors::Connection);
}

Connectiong::~Connectiong()
{
    // The markers name the connection: they must not outlive the item, whether the network goes or
    // only this object.
    deleteMarkers();
    if (!isFastCleanup()) {
        // While the item is still complete: the scene's index asks for its bounding rectangle.
        if (scene())
            scene()->removeItem(this);
        dropVertexEdit();
    }
}

Trelvoa::Lane *Connectiong::surfaceLane(const Trelvoa::Connection *connection)
{
    if (!connection)
        return nullptr;
    Trelvoa::Lane *lane = fromLane(connection);
    Trelvoa::Lane *to = toLane(connection);
    if (lane && to && Laneg::isTrack(int(lane->allowed())) && !Laneg::isTrack(int(to->allowed())))
        return to;
    return lane;
}

void Connectiong::setSimpleView(bool simple)
{
    if (d->simpleView == simple)
        return;
    d->simpleView = simple;
    objectChanged(3);
}

bool Connectiong::isSimpleView() const
{
    return d->simpleView;
}

void Connectiong::deleteMarkers()
{
    delete d->fromMarker;
    d->fromMarker = nullptr;
    delete d->toMarker;
    d->toMarker = nullptr;
}

void Connectiong::setLanesEdit(bool on)
{
    if ((d->fromMarker != nullptr) == on)
        return;
    deleteMarkers();
    if (!on || !d->connection)
        return;
    Trelvoa::Lane *start = d->connection->startLane();
    Trelvoa::Lane *end = d->connection->endLane();
    if (!start || !end)
        return;
    const Trelvoa::GeoPolyline startSkeleton = start->skeleton();
    const Trelvoa::GeoPolyline endSkeleton = end->skeleton();
    if (startSkeleton.isEmpty() || endSkeleton.isEmpty())
        return;
    // At the connection's own ends, where every refresh puts them, so that they do not jump at the
    // first change; the lanes' ends when the connection has no course.
    const Trelvoa::GeoPolyline skeleton = d->connection->skeleton();
    const QPointF fromPoint = skeleton.isEmpty() ? startSkeleton.last() : skeleton.first();
    const QPointF toPoint = skeleton.isEmpty() ? endSkeleton.first() : skeleton.last();

    QVariantMap data;
    data.insert(connectionKey, QVariant::fromValue<QObject *>(d->connection));
    data.insert(fromKey, QVariant::fromValue<QObject *>(start));
    d->fromMarker = new DragDropMarker(geoPos(fromPoint), data, this);
    data.remove(fromKey);
    data.insert(toKey, QVariant::fromValue<QObject *>(end));
    d->toMarker = new DragDropMarker(geoPos(toPoint), data, this);
}

bool Connectiong::isLanesEdit() const
{
    return d->fromMarker != nullptr;
}

DragDropMarker *Connectiong::fromMarker() const
{
    return d->fromMarker;
}

DragDropMarker *Connectiong::toMarker() const
{
    return d->toMarker;
}

QPolygonF Connectiong::line() const
{
    return d->simpleView ? ensureDetail()->centre : QPolygonF();
}

QPolygonF Connectiong::arrow() const
{
    return d->simpleView ? ensureDetail()->arrow : QPolygonF();
}

QPainterPath Connectiong::surface() const
{
    ensureSurface();
    return d->detail->surface;
}

QPainterPath Connectiong::arrowsPath() const
{
    // Made only for a selected or coloured connection, as the full view shows them.
    return d->detail && !d->detail->arrowsStale ? d->detail->arrowsPath : QPainterPath();
}

QColor Connectiong::color() const
{
    return overrideColor();
}

ConnectiongDetail *Connectiong::ensureDetail() const
{
    if (d->detail)
        return d->detail.get();
    d->detail.reset(new ConnectiongDetail);
    ConnectiongDetail *detail = d->detail.get();
    const Trelvoa::GeoPolyline skeleton = d->connection->skeleton();
    detail->centre = ItemGeometry::toScene(geoUtil(), skeleton.toPolygon());
    if (!d->simpleView || skeleton.count() < 2)
        return detail;
    const QPointF last = skeleton.last();
    for (int i = skeleton.count() - 2; i >= 0; --i) {
        const QPointF p = skeleton.at(i);
        if (QLineF(p, last).length() <= arrowLength)
            continue;
        QTransform t;
        t.translate(last.x(), last.y());
        t.rotate(-QLineF(p, last).angle());
        detail->arrow = ItemGeometry::toScene(geoUtil(), QPolygonF() << t.map(QPointF(-arrowLength, -arrowHalfWidth))
                                                                      << last
                                                                      << t.map(QPointF(-arrowLength, arrowHalfWidth)));
        break;
    }
    return detail;
}

void Connectiong::ensureSurface() const
{
    ConnectiongDetail *detail = ensureDetail();
    if (!detail->surfaceStale)
        return;
    detail->surfaceStale = false;
    const Trelvoa::GeoPolyline skeleton = d->connection->skeleton();
    if (skeleton.isEmpty())
        return;
    if (!d->simpleView) {
        detail->surface = Laneg::laneShape(surfaceLane(d->connection), geoUtil(), skeleton);
        return;
    }
    QPainterPath band;
    ItemGeometry::addOutline(&band, skeleton.stroke(simpleBandWidth));
    detail->surface = ItemGeometry::toScene(geoUtil(), band);
}

void Connectiong::ensureArrows()
{
    ConnectiongDetail *detail = ensureDetail();
    if (!detail->arrowsStale)
        return;
    detail->arrowsStale = false;
    const Trelvoa::GeoPolyline skeleton = d->connection->skeleton();
    const Trelvoa::Lane *lane = fromLane(d->connection);
    detail->arrowsPath = skeleton.isEmpty() || !lane ? QPainterPath()
                                                     : Laneg::directionArrows(skeleton, lane->width(), geoUtil());
}

QRectF Connectiong::boundingRect() const
{
    return d->rect;
}

QPainterPath Connectiong::shape() const
{
    return surface();
}

void Connectiong::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    const Trelvoa::GeoPolyline skeleton = d->fromMarker || d->toMarker ? d->connection->skeleton()
                                                                       : Trelvoa::GeoPolyline();
    if (!skeleton.isEmpty()) {
        Trelvoa::Lane *start = d->connection->startLane();
        Trelvoa::Lane *end = d->connection->endLane();
        if (d->fromMarker && start) {
            d->fromMarker->setMarkerValue(fromKey, QVariant::fromValue<QObject *>(start));
            d->fromMarker->setPos(geoPos(skeleton.first()));
        }
        if (d->toMarker && end) {
            d->toMarker->setMarkerValue(toKey, QVariant::fromValue<QObject *>(end));
            d->toMarker->setPos(geoPos(skeleton.last()));
        }
    }

    d->detail.reset();

    // The band of the simple view reaches at most twice its half width from the skeleton (the
    // outline's mitre limit), the arrow head 1.5 units; a lane surface twice the lane's width.
    double margin = 2.0 * simpleBandWidth + 1.0;
    if (!d->simpleView) {
        if (const Trelvoa::Lane *lane = surfaceLane(d->connection))
            margin = std::max(margin, 2.0 * lane->width());
    }
    // A metre more covers the projection's bending.
    QRectF extent;
    d->rect = courseExtent(d->connection, &extent) ? ItemGeometry::sceneExtent(geoUtil(), extent, margin + 1.0)
                                                   : QRectF();

    // Shown at once when selected or coloured: not the arrows of the old course.
    if (isSelected() || overrideColor().isValid())
        ensureArrows();
}

bool Connectiong::layoutsOffThread() const
{
    // The plain case only: markers, a selection and a colour need the full course at once.
    return !d->fromMarker && !d->toMarker && !isSelected() && !overrideColor().isValid();
}

void Connectiong::prepareLayout()
{
    prepareModel(d->connection);
}

void Connectiong::prepareModel(const Trelvoa::Connection *connection)
{
    // The course's extent runs from one stopline's direction to the other's.
    if (connection->from())
        connection->from()->direction();
    if (connection->to())
        connection->to()->direction();
}

bool Connectiong::drawsAt(double pixelsPerMetre) const
{
    return pixelsPerMetre >= minDetailPixelsPerMetre || isSelected() || overrideColor().isValid();
}

void Connectiong::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    const QColor override = overrideColor();
    const bool selected = isSelected();
    const bool marked = selected || override.isValid();
    const double pixelsPerMetre = ItemGeometry::pixelsPerMetre(painter, geoUtil(), d->rect.center().y());
    if (!drawsAt(pixelsPerMetre))
        return;

    QColor color = override;
    if (!color.isValid())
        color = selected ? QColor(Qt::yellow) : Laneg::laneColor(fromLane(d->connection));
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    pen.setColor(color);
    painter->setBrush(QBrush(color));

    const ConnectiongDetail *detail = ensureDetail();
    if (d->simpleView) {
        painter->setPen(pen);
        painter->drawPolyline(detail->centre);
        painter->drawPolygon(detail->arrow, Qt::OddEvenFill);
        return;
    }

    const Trelvoa::Lane *lane = surfaceLane(d->connection);
    if (!lane || pixelsPerMetre * lane->width() < minFilledPixels) {
        painter->setPen(QPen(color, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(detail->centre);
    } else {
        painter->setPen(Qt::NoPen);
        ensureSurface();
        ItemGeometry::drawPolygons(painter, detail->surface);
    }
    if (marked) {
        ensureArrows();
        if (!detail->arrowsPath.isEmpty()) {
            QPen arrowPen(Qt::black, 2);
            arrowPen.setCosmetic(true);
            painter->setPen(arrowPen);
            painter->setBrush(Qt::NoBrush);
            strokeSubpaths(painter, detail->arrowsPath);
        }
    }
}

Trelvoa::NetObject *Connectiong::networkObject() const
{
    return d->connection;
}

void Connectiong::setEdit(bool on)
{
    if (on)
        beginVertexEdit(d->connection->skeleton());
    else
        endVertexEdit();
}

void Connectiong::polylineChanged(const Trelvoa::GeoPolyline &polyline)
{
    editWritten(d->connection->setSkeleton(modelGeometry(polyline)));
}

QVariant Connectiong::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSelectedHasChanged) {
        // Relative to the siblings in the layer, which all stay at 0.
        if (value.toBool()) {
            ensureArrows();
            setZValue(0.1);
        } else {
            setZValue(0.0);
        }
    }
    return EditableItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Connectiong, Trelvoa::Connection)
