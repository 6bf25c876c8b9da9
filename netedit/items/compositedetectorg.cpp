#include "items/compositedetectorg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "compositedetector.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTransform>
#include <QtMath>

namespace Trelvoga {

QColor CompositeDetectorg::color = ItemColors::compositeDetector();
QColor CompositeDetectorg::selectedColor = ItemColors::compositeDetectorSelected();

namespace {

// The head: its length along the course and its width, model units; the band and the start disc.
constexpr double headLength = 2.0;
constexpr double headHalfWidth = 0.8;
constexpr double bodyWidth = 1.0;
constexpr double startRadius = 1.0;
// Below this the band is under a pixel wide: its centre line is drawn instead.
constexpr double minShapePixelsPerMetre = 1.0;
// Below this the outline would swamp the fill of the 1 m band: filled only.
constexpr double minOutlinePixelsPerMetre = 4.0;

} // namespace

class CompositeDetectorgPrivate
{
public:
    Trelvoa::CompositeDetector *detector = nullptr;
    QRectF bounds;
    QPainterPath body;
    QPainterPath arrow;
    QPainterPath start;
    // The course, for drawing when zoomed out.
    QPolygonF line;
};

CompositeDetectorg::CompositeDetectorg(Trelvoa::CompositeDetector *detector, Trelvoa::GeoUtil *geo,
                                       QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo), d(new CompositeDetectorgPrivate)
{
    d->detector = detector;
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setItemCursor(ItemCursors::CompositeDetector);
}

CompositeDetectorg::~CompositeDetectorg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QPainterPath CompositeDetectorg::body() const
{
    return d->body;
}

QPainterPath CompositeDetectorg::arrow() const
{
    return d->arrow;
}

QPainterPath CompositeDetectorg::start() const
{
    return d->start;
}

QRectF CompositeDetectorg::boundingRect() const
{
    return d->bounds;
}

QPainterPath CompositeDetectorg::shape() const
{
    QPainterPath all = d->body;
    all.addPath(d->arrow);
    all.addPath(d->start);
    all.setFillRule(Qt::WindingFill);
    return all;
}

void CompositeDetectorg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (d->bounds.isNull())
        return;
    QColor fill = Qt::red;
    if (d->detector->isValid())
        fill = isSelected() ? selectedColor : color;
    const double pixels = ItemGeometry::pixelsPerMetre(painter, geoUtil(), d->bounds.center().y());
    if (pixels < minShapePixelsPerMetre) {
        ItemGeometry::drawSpeck(painter, fill, d->line, d->bounds.center());
        return;
    }
    ItemGeometry::setShapeStyle(painter, fill, pixels >= minOutlinePixelsPerMetre);
    ItemGeometry::drawPolygons(painter, d->body);
    ItemGeometry::drawPolygons(painter, d->arrow);
    ItemGeometry::drawPolygons(painter, d->start);
}

void CompositeDetectorg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    d->body = QPainterPath();
    d->arrow = QPainterPath();
    d->start = QPainterPath();
    d->line.clear();
    d->bounds = QRectF();
    const Trelvoa::GeoPolyline skeleton = d->detector->skeleton();
    if (skeleton.isEmpty())
        return;

    // The band stops where the head begins, so that the head's tip is the course's end.
    const Trelvoa::GeoPolyline body = skeleton.part(0.0, skeleton.length() - headLength, true);
    if (body.count() >= 2) {
        const QPointF a = body.at(body.count() - 2);
        const QPointF b = body.last();
        QTransform t;
        t.translate(b.x(), b.y());
        t.rotate(qRadiansToDegrees(std::atan2(b.y() - a.y(), b.x() - a.x())));
        const QPolygonF head
            = t.map(QPolygonF(QVector<QPointF> {QPointF(0.0, -headHalfWidth), QPointF(headLength, 0.0),
                                                QPointF(0.0, headHalfWidth), QPointF(0.0, -headHalfWidth)}));
        d->arrow.addPolygon(head);
        d->arrow.closeSubpath();
    }
    ItemGeometry::addStroke(&d->body, body, bodyWidth);
    Trelvoa::GeoShape disc;
    disc.addEllipse(skeleton.first(), startRadius, startRadius);
    ItemGeometry::addOutline(&d->start, disc);

    d->body = ItemGeometry::toScene(geoUtil(), d->body);
    d->arrow = ItemGeometry::toScene(geoUtil(), d->arrow);
    d->start = ItemGeometry::toScene(geoUtil(), d->start);
    d->line = ItemGeometry::toScene(geoUtil(), skeleton.toPolygon());
    d->bounds = d->body.boundingRect() | d->arrow.boundingRect() | d->start.boundingRect();
}

Trelvoa::NetObject *CompositeDetectorg::networkObject() const
{
    return d->detector;
}

QVariant CompositeDetectorg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSelectedHasChanged) {
        // Above the other sections while selected, where they overlap at a shared group.
        const double base = parentItem() ? parentItem()->zValue() : 0.0;
        setZValue(value.toBool() ? base + 0.1 : base);
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::CompositeDetectorg, Trelvoa::CompositeDetector)
