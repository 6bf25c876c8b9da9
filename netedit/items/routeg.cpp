#include "items/routeg.h"

#include "items/dragdropmarker.h"
#include "items/itemgeometry.h"
#include "items/laneg.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "edge.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "route.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QVariantMap>

namespace Trelvoga {

namespace {

// Direction arrows come every few metres; below this they merge into a smear.
constexpr double minArrowPixelsPerMetre = 0.8;

QVariant objectValue(QObject *object)
{
    return QVariant::fromValue(object);
}

} // namespace

QColor Routeg::routeColor = ItemColors::route();
QColor Routeg::selectedRouteColor = ItemColors::routeSelected();

class RoutegPrivate
{
public:
    Trelvoa::Route *route = nullptr;
    QRectF bounds;
    QPainterPath path;
    QColor color;
    QPainterPath highlight;
    bool highlightStale = true;
    QList<DragDropMarker *> controlMarkers;
    DragDropMarker *endMarker = nullptr;
};

Routeg::Routeg(Trelvoa::Route *route, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new RoutegPrivate)
{
    d->route = route;
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setItemCursor(ItemCursors::Route);
}

Routeg::~Routeg()
{
    // Even under fast cleanup: the network deletes only the items of objects, and markers left in
    // their layer would outlive a cleared network.
    deleteMarkers();
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QPainterPath Routeg::path() const
{
    return d->path;
}

QPainterPath Routeg::highlight() const
{
    return d->highlight;
}

QList<DragDropMarker *> Routeg::controlMarkers() const
{
    return d->controlMarkers;
}

DragDropMarker *Routeg::endMarker() const
{
    return d->endMarker;
}

QColor Routeg::overrideColor() const
{
    return d->color;
}

QRectF Routeg::boundingRect() const
{
    return d->bounds;
}

QPainterPath Routeg::shape() const
{
    return d->path;
}

void Routeg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    if (d->color.isValid())
        painter->setBrush(QBrush(d->color));
    else if (d->route && d->route->isValid())
        painter->setBrush(QBrush(isSelected() ? selectedRouteColor : routeColor));
    else
        painter->setBrush(QBrush(Qt::red));
    ItemGeometry::drawPolygons(painter, d->path);

    if (isSelected() && !d->highlight.isEmpty()
        && ItemGeometry::pixelsPerMetre(painter, geoUtil(), d->bounds.center().y()) >= minArrowPixelsPerMetre) {
        pen.setColor(Qt::black);
        painter->setPen(pen);
        painter->setBrush(QBrush(d->color.isValid() ? d->color : QColor(Qt::darkGreen)));
        ItemGeometry::drawPolygons(painter, d->highlight);
    }
}

void Routeg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    d->path = QPainterPath();
    d->bounds = QRectF();
    if (!d->route)
        return;
    const Trelvoa::GeoPolyline s = d->route->skeleton();
    const double length = s.length();
    double head = headLength;
    double half = headHalfWidth;
    if (length < headLength) {
        head = length / 3;
        half = length / 9;
    }
    if (s.count() >= 2) {
        const Trelvoa::GeoPolyline body = s.part(0, length - head, true);
        if (body.count() >= 2) {
            // The direction of the last segment with a length: the head continues it.
            const QPointF b = body.last();
            QPointF a = b;
            for (int i = body.count() - 2; i >= 0 && a == b; --i)
                a = body.at(i);
            const QLineF along(a, b);
            if (along.length() > 0) {
                const QPointF u = (b - a) / along.length();
                const QPointF n(-u.y(), u.x());
                ItemGeometry::addStroke(&d->path, body, bodyWidth);
                QPolygonF triangle;
                triangle << b - half * n << b + head * u << b + half * n << b - half * n;
                d->path.addPolygon(triangle);
                d->path.closeSubpath();
            }
        }
        d->highlightStale = true;
    }
    d->path = ItemGeometry::toScene(geoUtil(), d->path);
    if (d->endMarker)
        refreshMarkers();
    d->bounds = d->path.boundingRect();
    // A selected route shows its new arrows at once.
    if (isSelected()) {
        d->highlight = s.count() >= 2 ? Laneg::directionArrows(s, bodyWidth, geoUtil()) : QPainterPath();
        d->highlightStale = false;
    }
}

Trelvoa::NetObject *Routeg::networkObject() const
{
    return d->route;
}

QVariant Routeg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSelectedHasChanged && parentItem()) {
        const QList<QGraphicsItem *> siblings = parentItem()->childItems();
        for (QGraphicsItem *sibling : siblings)
            sibling->setZValue(0);
        setZValue(parentItem()->zValue() + 0.1);
        if (d->highlightStale && value.toBool() && d->route) {
            const Trelvoa::GeoPolyline s = d->route->skeleton();
            d->highlight = s.count() >= 2 ? Laneg::directionArrows(s, bodyWidth, geoUtil()) : QPainterPath();
            d->highlightStale = false;
        }
    }
    return GenericGraphicsItem::itemChange(change, value);
}

void Routeg::setEdit(bool on)
{
    if ((d->endMarker != nullptr) == on)
        return;
    if (!on) {
        deleteMarkers();
        return;
    }
    if (!d->route)
        return;
    const Trelvoa::GeoPolyline s = d->route->skeleton();
    if (s.isEmpty())
        return;
    QVariantMap data;
    data.insert(QStringLiteral("route"), objectValue(d->route));
    d->endMarker = new DragDropMarker(geoPos(s.last()), data, this);
    refreshMarkers();
}

void Routeg::deleteMarkers()
{
    delete d->endMarker;
    d->endMarker = nullptr;
    qDeleteAll(d->controlMarkers);
    d->controlMarkers.clear();
}

void Routeg::refreshMarkers()
{
    const QList<Trelvoa::Edge *> control = d->route->controlEdges();
    while (d->controlMarkers.size() > control.size())
        delete d->controlMarkers.takeLast();
    for (int i = 0; i < control.size(); ++i) {
        Trelvoa::Edge *edge = control.at(i);
        const Trelvoa::GeoPolyline sk = edge->routeSkeleton(d->route->allowedVehicles());
        QPointF mid = sk.isEmpty() ? edge->pos() : sk.first();
        sk.lineAtDistance(sk.length() / 2, true, &mid);
        const QPointF p = geoPos(mid);
        DragDropMarker *marker = nullptr;
        if (i < d->controlMarkers.size()) {
            marker = d->controlMarkers.at(i);
            marker->setPos(p);
        } else {
            QVariantMap data;
            data.insert(QStringLiteral("route"), objectValue(d->route));
            data.insert(QStringLiteral("edge"), objectValue(edge));
            marker = new DragDropMarker(p, data, this);
            d->controlMarkers.append(marker);
        }
        // The edge too: after a reorder, a drop must act on the edge the marker now stands on.
        QVariantMap data = marker->markerData();
        data.insert(QStringLiteral("edge"), objectValue(edge));
        data.insert(DragDropMarker::captionKey, i + 1);
        data.insert(QStringLiteral("index"), i);
        marker->setMarkerData(data);
    }
    const Trelvoa::GeoPolyline s = d->route->skeleton();
    if (!s.isEmpty()) {
        d->endMarker->setPos(geoPos(s.last()));
        d->endMarker->setMarkerValue(QStringLiteral("index"), control.size());
    }
}

void Routeg::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void Routeg::resetColor()
{
    if (!d->color.isValid())
        return;
    d->color = QColor();
    update();
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Routeg, Trelvoa::Route)
