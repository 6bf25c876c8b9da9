#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class EmergencyDetector;
} // namespace Trelvoa

namespace Trelvoga {

class EmergencyDetectorgPrivate;

// An emergency-call detector: a translucent sector of a circle with a dot at its centre. The user moves
// it freely; its node does not carry it along.
class TRELVOGA_EXPORT EmergencyDetectorg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::EmergencyDetectorg };

    static QColor color;
    static QColor selectedColor;

    EmergencyDetectorg(Trelvoa::EmergencyDetector *detector, Trelvoa::GeoUtil *geo,
                       QGraphicsItem *parent = nullptr);
    ~EmergencyDetectorg() override;

    // Item-local.
    QPainterPath path() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    std::unique_ptr<EmergencyDetectorgPrivate> d;
};

} // namespace Trelvoga
