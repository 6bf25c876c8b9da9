#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class PtStop;
} // namespace Trelvoa

namespace Trelvoga {

class PtStopgPrivate;

// A public-transport stop: its area beside the lane with a disc on the kerb point. Dragged, it slides
// along the kerb of its lane.
class TRELVOGA_EXPORT PtStopg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::PtStopg };

    static QColor color;
    static QColor selectedColor;

    PtStopg(Trelvoa::PtStop *stop, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~PtStopg() override;

    // Item-local: the stop area, and the disc on the stop's point.
    QPainterPath outline() const;
    QPainterPath circle() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    std::unique_ptr<PtStopgPrivate> d;
};

} // namespace Trelvoga
