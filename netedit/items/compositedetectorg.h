#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class CompositeDetector;
} // namespace Trelvoa

namespace Trelvoga {

class CompositeDetectorgPrivate;

// A measuring section between two detector groups: an arrow along its course from a disc at the start
// group to a head at the end group. Red while the model finds no course between the groups. Not
// movable: it follows its groups. The item stays at the scene origin.
class TRELVOGA_EXPORT CompositeDetectorg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::CompositeDetectorg };

    static QColor color;
    static QColor selectedColor;

    CompositeDetectorg(Trelvoa::CompositeDetector *detector, Trelvoa::GeoUtil *geo,
                       QGraphicsItem *parent = nullptr);
    ~CompositeDetectorg() override;

    // Scene coordinates.
    QPainterPath body() const;
    QPainterPath arrow() const;
    QPainterPath start() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    std::unique_ptr<CompositeDetectorgPrivate> d;
};

} // namespace Trelvoga
