#pragma once

#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <memory>

namespace Trelvoa {
class PolygonObject;
} // namespace Trelvoa

namespace Trelvoga {

class PolygonObjectgPrivate;

// A free polygon in its own border and background colours. Dragged as a whole, it changes the model
// once, when the mouse is released; its outline is edited vertex by vertex. While the outline has
// fewer than three distinct points the model keeps none, and the item shows the points the user has
// set so far.
class TRELVOGA_EXPORT PolygonObjectg : public EditableItem
{
public:
    enum { Type = ItemType::PolygonObjectg };

    PolygonObjectg(Trelvoa::PolygonObject *polygon, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~PolygonObjectg() override;

    // Item-local.
    QPainterPath path() const;
    // The outline being built, in scene coordinates, while the model refuses it (too few points); empty
    // otherwise.
    QPolygonF pendingOutline() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void shapeChanged(const Trelvoa::GeoShape &shape) override;

private:
    std::unique_ptr<PolygonObjectgPrivate> d;
};

} // namespace Trelvoga
