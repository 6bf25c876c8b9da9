#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class PointObject;
} // namespace Trelvoa

namespace Trelvoga {

class PointObjectgPrivate;

// A point object: a disc of one metre radius that the user drags.
class TRELVOGA_EXPORT PointObjectg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::PointObjectg };

    static QColor pointObjectColor;
    static QColor pointObjectSelectedColor;

    PointObjectg(Trelvoa::PointObject *object, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~PointObjectg() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    std::unique_ptr<PointObjectgPrivate> d;
};

} // namespace Trelvoga
