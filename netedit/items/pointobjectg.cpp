#include "items/pointobjectg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "pointobject.h"

#include <QGraphicsScene>
#include <QPainter>

namespace Trelvoga {

namespace {

constexpr double radius = 1.0;
// A disc under a pixel across is not worth its polygon.
constexpr double minPixelsPerMetre = 0.5;

} // namespace

QColor PointObjectg::pointObjectColor = ItemColors::pointObject();
QColor PointObjectg::pointObjectSelectedColor = ItemColors::pointObjectSelected();

class PointObjectgPrivate
{
public:
    Trelvoa::PointObject *object = nullptr;
    QPainterPath path;
    QRectF bounds;
    bool updating = false;
};

PointObjectg::PointObjectg(Trelvoa::PointObject *object, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new PointObjectgPrivate)
{
    d->object = object;
    setFlags(ItemIsSelectable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    setItemCursor(ItemCursors::Point);
}

PointObjectg::~PointObjectg()
{
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

QRectF PointObjectg::boundingRect() const
{
    return d->bounds;
}

QPainterPath PointObjectg::shape() const
{
    return d->path;
}

void PointObjectg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (!isSelected() && ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y()) < minPixelsPerMetre)
        return;
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(isSelected() ? pointObjectSelectedColor : pointObjectColor));
    ItemGeometry::drawPolygons(painter, d->path);
}

void PointObjectg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    d->updating = true;
    d->path = QPainterPath();
    d->bounds = QRectF();
    QPointF p(0, 0);
    if (d->object) {
        p = d->object->pos();
        d->bounds = QRectF(p.x() - radius, p.y() - radius, 2 * radius, 2 * radius);
        d->path.addPolygon(ItemGeometry::disc(p, radius));
        d->path.closeSubpath();
        if (geoUtil()) {
            p = geoPos(p);
            d->bounds = ItemGeometry::toScene(geoUtil(), QPolygonF(d->bounds)).boundingRect();
            d->path = ItemGeometry::toScene(geoUtil(), d->path);
        }
    }
    setPos(p);
    d->path.translate(-p);
    d->bounds.translate(-p);
    d->updating = false;
}

Trelvoa::NetObject *PointObjectg::networkObject() const
{
    return d->object;
}

QVariant PointObjectg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating && d->object) {
        if (isReadOnly())
            return pos();
        d->object->setPos(netPos(value.toPointF()));
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::PointObjectg, Trelvoa::PointObject)
