#include "items/stoplineg.h"

#include "items/itemgeometry.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "geo/geopolyline.h"
#include "lane.h"
#include "stopline.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QtMath>

namespace Trelvoga {

namespace {

// Width of the drawn bar along the lane, model units.
constexpr double barWidth = 0.5;
} // namespace

class StoplinegPrivate
{
public:
    Trelvoa::Stopline *stopline = nullptr;
    bool wireframe = false;
    bool builtInWireframe = false;
    Trelvoa::Lane *lane = nullptr;
    QRectF rect;
    // The bar is laid out when first drawn or picked: a city zoomed out shows none of its tens of
    // thousands. Until then the model line and the item's position it is laid out against.
    QPainterPath bar;
    QLineF line;
    QPointF origin;
    bool barStale = false;
    bool updating = false;

    void ensureBar(const Trelvoa::GeoUtil *geo)
    {
        if (!barStale)
            return;
        barStale = false;
        ItemGeometry::addStroke(&bar, Trelvoa::GeoPolyline({line.p1(), line.p2()}), barWidth);
        bar = ItemGeometry::toScene(geo, bar);
        bar.translate(-origin);
    }
    // Where a drag left the line; NaN until the first drag (the model's distance holds till then, and
    // asking it at creation would compute every lane's cuts before their items need them).
    double distance = qQNaN();
};

Stoplineg::Stoplineg(Trelvoa::Stopline *stopline, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new StoplinegPrivate)
{
    d->stopline = stopline;
    d->lane = qobject_cast<Trelvoa::Lane *>(stopline->parent());
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::Stopline);
}

Stoplineg::~Stoplineg()
{
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

bool Stoplineg::lineInUse() const
{
    if (!d->lane)
        return false;
    return d->stopline->isStopline() ? d->lane->hasStopline(nullptr) : d->lane->hasStartline(nullptr);
}

void Stoplineg::moveComplete()
{
    d->stopline->setDistance(dragDistance());
}

double Stoplineg::dragDistance() const
{
    return qIsNaN(d->distance) ? d->stopline->distance() : d->distance;
}

QPainterPath Stoplineg::bar() const
{
    d->ensureBar(geoUtil());
    return d->bar;
}

QRectF Stoplineg::boundingRect() const
{
    return d->rect;
}

QPainterPath Stoplineg::shape() const
{
    d->ensureBar(geoUtil());
    return d->bar;
}

bool Stoplineg::drawsAt(double pixelsPerMetre) const
{
    return pixelsPerMetre >= minPixelsPerMetre || isSelected();
}

void Stoplineg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (!isSelected() && ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y()) < minPixelsPerMetre)
        return;
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(isSelected() ? Qt::yellow : Qt::white));
    d->ensureBar(geoUtil());
    ItemGeometry::drawPolygons(painter, d->bar);
}

void Stoplineg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    d->bar = QPainterPath();
    d->barStale = false;
    d->rect = QRectF();

    const bool hidden = !lineInUse() || d->wireframe;
    d->builtInWireframe = d->wireframe;
    setVisible(!hidden);
    if (hidden)
        return;

    setFlag(ItemIsMovable, !isReadOnly());
    const QLineF line = d->stopline->line();
    d->updating = true;
    setPos(geoPos(line.center()));
    d->updating = false;
    d->line = line;
    d->origin = pos();
    d->barStale = true;
    // The bar's half width and its square ends lie within its width of the line.
    d->rect = ItemGeometry::sceneExtent(geoUtil(), QRectF(line.p1(), line.p2()).normalized(), barWidth)
                  .translated(-d->origin);
}

bool Stoplineg::layoutsOffThread() const
{
    return true;
}

void Stoplineg::prepareLayout()
{
    prepareModel(d->stopline);
}

void Stoplineg::prepareModel(const Trelvoa::Stopline *stopline)
{
    // The line of an unused start line is never computed: its item stays hidden.
    const Trelvoa::Lane *lane = stopline->lane();
    if (lane && (stopline->isStopline() ? lane->hasStopline(nullptr) : lane->hasStartline(nullptr)))
        stopline->line();
}

void Stoplineg::setWireframe(bool on)
{
    if (d->wireframe == on)
        return;
    d->wireframe = on;
    setVisible(!on);
    if (d->builtInWireframe && !on) {
        objectChanged(3);
        d->builtInWireframe = false;
    }
}

Trelvoa::NetObject *Stoplineg::networkObject() const
{
    return d->stopline;
}

QVariant Stoplineg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating) {
        if (isReadOnly() || !d->lane)
            return pos();
        const Trelvoa::GeoPolyline full = d->lane->fullSkeleton();
        double distance = 0.0;
        const QPointF onLane = full.pointOn(netPos(value.toPointF()), &distance, true, nullptr, nullptr);
        if (!qIsFinite(onLane.x()) || !qIsFinite(onLane.y()))
            return pos();
        // A stopline counts from the lane end, a start line from the lane start.
        if (d->stopline->isStopline())
            distance = qMax(0.0, full.length() - distance);
        d->stopline->setDistance(distance);
        d->distance = distance;
        return geoPos(onLane);
    }
    if (change == ItemVisibleChange && value.toBool() && !lineInUse())
        return false;
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Stoplineg, Trelvoa::Stopline)
