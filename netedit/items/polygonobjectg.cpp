#include "items/polygonobjectg.h"

#include "items/itemgeometry.h"
#include "scene/itemfactory.h"

#include "geo/geoshape.h"
#include "polygonobject.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QPainter>

namespace Trelvoga {

namespace {

// Radius in pixels of the points of an outline under construction.
constexpr double pendingPointRadius = 3.0;

} // namespace

class PolygonObjectgPrivate
{
public:
    Trelvoa::PolygonObject *polygon = nullptr;
    QRectF bounds;
    QPainterPath path;
    // Scene coordinates: the item's position moves with the model's outline, not with this one.
    QPolygonF pending;
    bool movedByMouse = false;
    bool trackMoves = true;
    bool updating = false;
};

PolygonObjectg::PolygonObjectg(Trelvoa::PolygonObject *polygon, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new PolygonObjectgPrivate)
{
    d->polygon = polygon;
    setFlags(ItemIsSelectable | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
}

PolygonObjectg::~PolygonObjectg()
{
    if (!isFastCleanup()) {
        dropVertexEdit();
        if (scene())
            scene()->removeItem(this);
    }
}

QPainterPath PolygonObjectg::path() const
{
    return d->path;
}

QPolygonF PolygonObjectg::pendingOutline() const
{
    return d->pending;
}

QRectF PolygonObjectg::boundingRect() const
{
    if (d->pending.isEmpty())
        return d->bounds;
    // The points are drawn a few pixels wide; a metre around them is plenty at any zoom that shows them.
    const QRectF pending = d->pending.boundingRect().translated(-pos());
    const double margin = geoUtil() ? 1e-5 : 1.0;
    return d->bounds | pending.adjusted(-margin, -margin, margin, margin);
}

QPainterPath PolygonObjectg::shape() const
{
    return d->path;
}

void PolygonObjectg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (!d->polygon)
        return;
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    pen.setColor(d->polygon->borderColor());
    painter->setPen(pen);
    QColor fill = overrideColor().isValid() ? overrideColor() : d->polygon->backgroundColor();
    if (isSelected())
        fill = fill.lighter(200);
    painter->setBrush(QBrush(fill));
    // A polygon of a few pixels is a dot whatever its outline.
    const QRectF onScreen = painter->worldTransform().mapRect(d->bounds);
    if (!d->path.isEmpty() && (onScreen.width() >= 3.0 || onScreen.height() >= 3.0 || isSelected()))
        ItemGeometry::drawPolygons(painter, d->path);
    else if (!d->path.isEmpty())
        painter->drawPoint(d->bounds.center());

    if (d->pending.isEmpty())
        return;
    const QPolygonF local = d->pending.translated(-pos());
    const QTransform world = painter->worldTransform();
    painter->drawPolyline(local);
    painter->save();
    painter->resetTransform();
    painter->setBrush(QBrush(d->polygon->borderColor()));
    for (const QPointF &p : local)
        painter->drawEllipse(world.map(p), pendingPointRadius, pendingPointRadius);
    painter->restore();
}

void PolygonObjectg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    // Not while the outline is edited: a drag of the whole polygon would then never reach the model.
    setFlag(ItemIsMovable, !isReadOnly() && !edited());
    d->path = QPainterPath();
    d->bounds = QRectF();
    if (d->polygon) {
        const Trelvoa::GeoShape outline = d->polygon->shape();
        ItemGeometry::addOutline(&d->path, outline);
        d->path = ItemGeometry::toScene(geoUtil(), d->path);
        // A closed outline the model took is what the user sees now, whatever was being built.
        if (!outline.isEmpty())
            d->pending.clear();
    }
    d->bounds = d->path.boundingRect();
    const QPointF centre = d->bounds.center();
    d->updating = true;
    setPos(centre);
    d->updating = false;
    d->path.translate(-centre);
    d->bounds.translate(-centre);
}

Trelvoa::NetObject *PolygonObjectg::networkObject() const
{
    return d->polygon;
}

void PolygonObjectg::setEdit(bool on)
{
    if (!d->polygon || isReadOnly() || on == edited())
        return;
    if (on) {
        beginVertexEdit(d->polygon->shape());
        d->trackMoves = false;
        setFlag(ItemIsMovable, false);
    } else {
        endVertexEdit();
        d->trackMoves = true;
        setFlag(ItemIsMovable, true);
        prepareGeometryChange();
        d->pending.clear();
        update();
    }
}

QVariant PolygonObjectg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged && d->trackMoves && !d->updating && !d->movedByMouse
        && (QGuiApplication::mouseButtons() & Qt::LeftButton))
        d->movedByMouse = true;
    return EditableItem::itemChange(change, value);
}

void PolygonObjectg::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (d->movedByMouse) {
        d->movedByMouse = false;
        if (d->polygon && !d->path.isEmpty()) {
            const QPolygonF scene = d->path.toFillPolygon().translated(pos());
            QVector<QPointF> xy;
            xy.reserve(scene.size());
            for (const QPointF &p : scene)
                xy.append(netPos(p));
            // A refused outline (it cannot be, short of a broken projection) must not leave the item where
            // the model is not.
            if (!d->polygon->setShape(Trelvoa::GeoShape(xy)))
                objectChanged(Trelvoa::ChangeFlag::Geometry);
        }
    }
    EditableItem::mouseReleaseEvent(event);
}

void PolygonObjectg::shapeChanged(const Trelvoa::GeoShape &shape)
{
    if (!d->polygon)
        return;
    const bool accepted = d->polygon->setShape(modelGeometry(shape));
    editWritten(accepted);
    prepareGeometryChange();
    if (accepted)
        d->pending.clear();
    else
        d->pending = shape.toPolygon();
    update();
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::PolygonObjectg, Trelvoa::PolygonObject)
