#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QList>
#include <memory>

namespace Trelvoa {
class Route;
} // namespace Trelvoa

namespace Trelvoga {

class DragDropMarker;
class RoutegPrivate;

// A route as a wide arrow along its skeleton (red while it has no course). In edit state it shows one
// numbered marker per control edge and one at its end; the editor turns their drops into changes of the
// control edges. The last selected route lies above the others.
class TRELVOGA_EXPORT Routeg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::Routeg };

    static QColor routeColor;
    static QColor selectedRouteColor;

    // Length and half width of the arrow head; routes shorter than three heads get a head a third of
    // their length long.
    static constexpr double headLength = 9.0;
    static constexpr double headHalfWidth = 3.0;
    static constexpr double bodyWidth = 2.0;

    Routeg(Trelvoa::Route *route, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Routeg() override;

    // Scene coordinates (the item stays at the origin): the body band and the head triangle.
    QPainterPath path() const;
    // The direction arrows shown while the route is selected.
    QPainterPath highlight() const;
    QList<DragDropMarker *> controlMarkers() const;
    DragDropMarker *endMarker() const;
    QColor overrideColor() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;
    void setColor(const QColor &color) override;
    void resetColor() override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void refreshMarkers();
    void deleteMarkers();

    std::unique_ptr<RoutegPrivate> d;
};

} // namespace Trelvoga
