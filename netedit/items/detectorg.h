#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class Detector;
} // namespace Trelvoa

namespace Trelvoga {

class DetectorgPrivate;

// A single detector on a lane, connection or route: the covered piece of its host, filled. The user
// slides it along its host; a detector without a host moves freely and leaves the model alone. Zoomed
// far in, the detector's number in the signal controller is written on it.
class TRELVOGA_EXPORT Detectorg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::Detectorg };

    static QColor color;
    static QColor selectedColor;

    Detectorg(Trelvoa::Detector *detector, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Detectorg() override;

    // Item-local.
    QPainterPath path() const;
    // The colour set by setColor(); invalid when none.
    QColor overrideColor() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;
    void setColor(const QColor &color) override;
    void resetColor() override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void readHosts();

    std::unique_ptr<DetectorgPrivate> d;
};

} // namespace Trelvoga
