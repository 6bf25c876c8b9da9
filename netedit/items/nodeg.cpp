#include "items/nodeg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "node.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

namespace Trelvoga {

QColor Nodeg::nodeColor = ItemColors::node();
QColor Nodeg::nodeSelectedColor = ItemColors::nodeSelected();
QColor Nodeg::junctionColor = ItemColors::junction();
QColor Nodeg::junctionSelectedColor = ItemColors::junctionSelected();
QColor Nodeg::markerColor = ItemColors::nodeMarker();

namespace {

// The marker, in screen pixels around the item origin.
const QRectF markerRect(-5, -5, 10, 10);
// In a view zoomed out so far that a metre is fewer pixels than this, the marker shrinks with the map
// (it stands for about this many metres) and goes below minMarker pixels: at city scale full-size
// markers would bury the roads.
constexpr double markerMetres = 8.0;
constexpr double minMarker = 3.0;

bool roundMarker(int kind)
{
    return kind == Trelvoa::Node::Junction || kind == Trelvoa::Node::SignalisedJunction;
}

} // namespace

class NodegPrivate
{
public:
    QRectF rect;
    QPainterPath outline;
    Trelvoa::Node *node = nullptr;
    Nodeg *owner = nullptr;
    int nodeType = 0;
    bool wireframe = false;
    bool updating = false;
    bool simple = true;
    bool builtInWireframe = false;
    bool markerVisible = true;
};

Nodeg::Nodeg(Trelvoa::Node *node, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new NodegPrivate)
{
    d->node = node;
    d->owner = this;
    d->nodeType = node->type();
    d->rect = markerRect;
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges | ItemIgnoresTransformations);
    setFlag(ItemIsMovable, !isReadOnly());
    applyKind();
    d->updating = true;
    setPos(geoPos(node->pos()));
    d->updating = false;
}

Nodeg::~Nodeg()
{
    if (isFastCleanup())
        return;
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (scene())
        scene()->removeItem(this);
    dropVertexEdit();
}

void Nodeg::applyKind()
{
    setItemCursor(roundMarker(d->nodeType) ? ItemCursors::Junction : ItemCursors::Node);
}

void Nodeg::setMarkerVisible(bool on)
{
    if (d->markerVisible == on)
        return;
    d->markerVisible = on;
    update();
}

bool Nodeg::isMarkerVisible() const
{
    return d->markerVisible;
}

bool Nodeg::isSimple() const
{
    return d->simple;
}

QPainterPath Nodeg::outline() const
{
    return d->outline;
}

QRectF Nodeg::boundingRect() const
{
    return d->simple ? markerRect : d->rect;
}

QPainterPath Nodeg::shape() const
{
    if (d->simple)
        return QGraphicsItem::shape();
    return d->outline;
}

void Nodeg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    const bool selected = isSelected();
    const QColor fill = d->simple ? (selected ? nodeSelectedColor : nodeColor)
                                  : (selected ? junctionSelectedColor : junctionColor);
    painter->setBrush(QBrush(fill));
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);

    if (!d->wireframe && !d->outline.isEmpty())
        ItemGeometry::drawPolygons(painter, d->outline);

    if (!d->markerVisible)
        return;
    // Full size when selected, and for a plain marker off a view (an offscreen render): its painter has
    // no scale to go by.
    QRectF figure = markerRect;
    double perMetre = 0.0;
    if (!selected)
        perMetre = d->simple ? ItemGeometry::viewPixelsPerMetre(widget, geoUtil(), scenePos().y())
                             : ItemGeometry::pixelsPerMetre(painter, geoUtil(), scenePos().y());
    if (perMetre > 0.0 && perMetre * markerMetres < markerRect.width()) {
        const double side = perMetre * markerMetres;
        if (side < minMarker)
            return;
        figure = QRectF(-side / 2, -side / 2, side, side);
    }
    painter->save();
    // The marker is drawn in device pixels; on an outline that is smaller on screen than the marker it
    // is cut to the outline's rectangle so that nothing is painted outside the item.
    if (!d->simple)
        painter->setClipRect(d->rect, Qt::IntersectClip);
    const QPoint centre = painter->transform().map(QPointF(0, 0)).toPoint();
    painter->resetTransform();
    figure.translate(centre);
    if (roundMarker(d->nodeType))
        painter->drawEllipse(figure);
    else
        painter->drawRect(figure);
    painter->restore();
}

void Nodeg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());

    d->updating = true;
    setPos(geoPos(d->node->pos()));

    d->outline = QPainterPath();
    // Drawn only: through the projection's grid, like the roads' outlines.
    QPolygonF outline = ItemGeometry::toScene(geoUtil(), d->node->shape().toPolygon());
    // Closed here, the path takes the points in one block of their size: closing the path afterwards
    // would grow that block to about twice the size, for every junction of a city.
    if (outline.size() >= 2 && outline.first() != outline.last())
        outline.append(outline.first());

    const int kind = d->node->type();
    bool simple = true;
    if (!d->wireframe && kind != Trelvoa::Node::PlainNode && outline.count() > 0) {
        simple = false;
        d->builtInWireframe = false;
        d->rect = outline.boundingRect().translated(-pos());
        if (outline.size() >= 2) {
            d->outline.addPolygon(outline);
            d->outline.closeSubpath();
        }
        d->outline.translate(-pos());
    } else {
        d->builtInWireframe = d->wireframe;
        d->rect = markerRect;
    }

    if (kind != d->nodeType || simple != d->simple) {
        d->nodeType = kind;
        d->simple = simple;
        applyKind();
        setFlag(ItemIgnoresTransformations, simple);
    }
    d->updating = false;
}

void Nodeg::setWireframe(bool on)
{
    if (d->wireframe == on)
        return;
    d->wireframe = on;
    if (d->builtInWireframe && !on) {
        objectChanged(15);
        d->builtInWireframe = false;
        setFlag(ItemIgnoresTransformations, d->simple);
        return;
    }
    prepareGeometryChange();
    if (on || d->node->type() == Trelvoa::Node::PlainNode)
        d->simple = true;
    else
        d->simple = d->node->shape().isEmpty();
    setFlag(ItemIgnoresTransformations, d->simple);
}

Trelvoa::NetObject *Nodeg::networkObject() const
{
    return d->node;
}

void Nodeg::setEdit(bool on)
{
    // While the outline is edited, moves of the item are the edit's, not the node's.
    if (on ? beginVertexEdit(d->node->shape()) : endVertexEdit())
        d->updating = on;
}

void Nodeg::shapeChanged(const Trelvoa::GeoShape &shape)
{
    editWritten(d->node->setCustomShape(modelGeometry(shape)));
}

QVariant Nodeg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    // A refresh from the model clears `updating`, so a running outline edit is checked on its own:
    // moving the item then must not move the node.
    if (change == ItemPositionChange && !d->updating && !edited()) {
        if (isReadOnly())
            return pos();
        d->node->setPos(netPos(value.toPointF()));
        if (d->node->attachedEdgeGroup())
            return geoPos(d->node->pos());
        return value;
    }
    return GenericGraphicsItem::itemChange(change, value);
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Nodeg, Trelvoa::Node)
