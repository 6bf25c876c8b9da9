#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <memory>

namespace Trelvoa {
class Stopline;
} // namespace Trelvoa

namespace Trelvoga {

class StoplinegPrivate;

// The stopline near a lane's end or the start line near its start: a white bar across the lane that
// the user drags along the lane. Only shown when the lane has such a line in use, and never in
// wireframe mode.
class TRELVOGA_EXPORT Stoplineg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::Stoplineg };

    Stoplineg(Trelvoa::Stopline *stopline, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Stoplineg() override;

    // Writes the distance of the last drag position to the model again; called when a drag ends.
    void moveComplete();
    // The distance the last drag set (from the lane end for a stopline, from its start for a start line).
    double dragDistance() const;
    // Item-local.
    QPainterPath bar() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // Far out only a selected line is drawn.
    bool drawsAt(double pixelsPerMetre) const override;
    // Not drawn unselected when a metre is fewer pixels than this: the outlined bar would be a dark speck.
    static constexpr double minPixelsPerMetre = 0.8;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    bool layoutsOffThread() const override;
    void prepareLayout() override;
    // What prepareLayout() computes, for an object whose item is still to be made.
    static void prepareModel(const Trelvoa::Stopline *stopline);
    void setWireframe(bool on) override;
    Trelvoa::NetObject *networkObject() const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    bool lineInUse() const;

    std::unique_ptr<StoplinegPrivate> d;
};

} // namespace Trelvoga
