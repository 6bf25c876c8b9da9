#include "items/emergencydetectorg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "emergencydetector.h"
#include "geo/geohelpers.h"
#include "geo/geoshape.h"

#include <QGraphicsScene>
#include <QPainter>

namespace Trelvoga {

QColor EmergencyDetectorg::color = ItemColors::emergencyDetector();
QColor EmergencyDetectorg::selectedColor = ItemColors::emergencyDetectorSelected();

namespace {

// The dot that marks the centre, model units.
constexpr double dotRadius = 2.0;
// A sector smaller than this many pixels across is drawn as one point.
constexpr double minShapePixels = 3.0;

} // namespace

class EmergencyDetectorgPrivate
{
public:
    Trelvoa::EmergencyDetector *detector = nullptr;
    QRectF bounds;
    QPainterPath path;
    bool updating = false;
};

EmergencyDetectorg::EmergencyDetectorg(Trelvoa::EmergencyDetector *detector, Trelvoa::GeoUtil *geo,
                                       QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo), d(new EmergencyDetectorgPrivate)
{
    d->detector = detector;
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::EmergencyDetector);
}

EmergencyDetectorg::~EmergencyDetectorg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QPainterPath EmergencyDetectorg::path() const
{
    return d->path;
}

QRectF EmergencyDetectorg::boundingRect() const
{
    return d->bounds;
}

QPainterPath EmergencyDetectorg::shape() const
{
    return d->path;
}

void EmergencyDetectorg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (d->path.isEmpty())
        return;
    const QColor fill = isSelected() ? selectedColor : color;
    const double across = 2.0 * d->detector->radius();
    if (ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y()) * across < minShapePixels) {
        ItemGeometry::drawSpeck(painter, fill, QPolygonF(), QPointF(0.0, 0.0));
        return;
    }
    ItemGeometry::setShapeStyle(painter, fill, true);
    ItemGeometry::drawPolygons(painter, d->path);
}

void EmergencyDetectorg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    d->path = QPainterPath();
    d->bounds = QRectF();
    const QPointF centre = d->detector->pos();
    if (!Trelvoa::pointIsValid(centre))
        return;
    const double r = d->detector->radius();
    const double sweep = d->detector->sweepAngle();
    QPainterPath sector;
    Trelvoa::GeoShape dot;
    dot.addEllipse(centre, dotRadius, dotRadius);
    ItemGeometry::addOutline(&sector, dot);
    sector.moveTo(centre);
    // arcTo places angles as QLineF::fromPolar does, the model's convention for the sector.
    sector.arcTo(QRectF(centre.x() - r, centre.y() - r, 2.0 * r, 2.0 * r),
                 d->detector->directionAngle() - sweep / 2.0, sweep);
    sector.closeSubpath();
    // One outline of straight segments: the dot merged into the sector, curves flattened once here.
    d->path = ItemGeometry::toScene(geoUtil(), sector.simplified());
    d->updating = true;
    setPos(geoPos(centre));
    d->updating = false;
    d->path.translate(-pos());
    d->bounds = d->path.boundingRect();
}

Trelvoa::NetObject *EmergencyDetectorg::networkObject() const
{
    return d->detector;
}

QVariant EmergencyDetectorg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating) {
        if (isReadOnly())
            return pos();
        d->detector->setPos(netPos(value.toPointF()));
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::EmergencyDetectorg, Trelvoa::EmergencyDetector)
