#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QLineF>
#include <QPainterPath>
#include <memory>

namespace Trelvoa {
class CrossWalk;
class GeoShape;
} // namespace Trelvoa

namespace Trelvoga {

class CrossWalkgPrivate;
class DragDropMarker;

// A pedestrian crossing: its outline with white zebra stripes. Dragging the selected crossing slides it
// along its first lane (both offsets move together); dragging one of its two end handles (shown while
// it is selected and the markers layer is visible) moves that end along its lane. In lanes-edit state
// each end has a DragDropMarker that re-attaches the end to the lane it is dropped on.
//
// The item sits at the crossing's point on its first lane; its geometry is item-local.
class TRELVOGA_EXPORT CrossWalkg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::CrossWalkg };

    static QColor color;

    // Stripe layout, model units: the first stripe starts this far from the counting side, each is
    // stripeWidth wide and they repeat every stripePeriod.
    static constexpr double stripeStart = 0.3;
    static constexpr double stripeWidth = 0.4;
    static constexpr double stripePeriod = 1.0;

    CrossWalkg(Trelvoa::CrossWalk *crossWalk, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~CrossWalkg() override;

    // The zebra stripes of an outline Q0..Q3 (closed or not), in its coordinates: bars parallel to the
    // side Q0-Q1, counted from it towards Q2-Q3 and cut by the long sides Q0-Q3 and Q1-Q2, one closed
    // subpath each. Empty for three points or fewer.
    static QPainterPath zebraStripes(const Trelvoa::GeoShape &outline);

    // Item-local. The stripes are laid out at the first paint that shows them.
    QPainterPath outline() const;
    QPainterPath stripes() const;
    // The end handles: item-local rectangles, and their centres in scene coordinates.
    QRectF handle1() const;
    QRectF handle2() const;
    QPointF handle1Centre() const;
    QPointF handle2Centre() const;
    // The two markers of the lanes-edit state; null while it is off.
    DragDropMarker *marker1() const;
    DragDropMarker *marker2() const;
    QColor overrideColor() const;

    // Shows or removes the end markers; a crossing without both lanes gets none.
    void setLanesEdit(bool on);
    bool isLanesEdit() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // Far out, only a selected crossing or one large enough to be seen.
    bool drawsAt(double pixelsPerMetre) const override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    bool layoutsOffThread() const override;
    void prepareLayout() override;
    // What prepareLayout() computes, for an object whose item is still to be made.
    static void prepareModel(const Trelvoa::CrossWalk *crossWalk);
    Trelvoa::NetObject *networkObject() const override;
    void setColor(const QColor &color) override;
    void resetColor() override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void ensureStripes() const;
    bool handlesShown() const;

    std::unique_ptr<CrossWalkgPrivate> d;
};

} // namespace Trelvoga
