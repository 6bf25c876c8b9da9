#pragma once

#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <memory>

namespace Trelvoa {
class WalkingArea;
} // namespace Trelvoa

namespace Trelvoga {

class DragDropMarker;
class WalkingAreagPrivate;

// A walking area: its filled outline and, while selected or in connections-edit state, a line from its
// centre to the connector point of each of its items. The outline is edited vertex by vertex. In
// connections-edit state a marker at the centre stands for the area and one marker per item at its
// connector point re-attaches that item to the lane or crossing it is dropped on.
//
// The item sits at the area's centre; its geometry is item-local.
class TRELVOGA_EXPORT WalkingAreag : public EditableItem
{
public:
    enum { Type = ItemType::WalkingAreag };

    static QColor color;
    static QColor selectedColor;

    WalkingAreag(Trelvoa::WalkingArea *area, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~WalkingAreag() override;

    // Item-local.
    QPainterPath outline() const;
    // One per item with a connector point, item-local.
    QList<QPointF> connectorPoints() const;

    void setConnectionsEdit(bool on);
    bool isConnectionsEdit() const;
    DragDropMarker *centreMarker() const;
    // One per item of the area, in item order.
    QList<DragDropMarker *> itemMarkers() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // Far out, only a selected or edited area, or one large enough to be seen.
    bool drawsAt(double pixelsPerMetre) const override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    bool layoutsOffThread() const override;
    void prepareLayout() override;
    // What prepareLayout() computes, for an object whose item is still to be made.
    static void prepareModel(const Trelvoa::WalkingArea *area);
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

protected:
    void shapeChanged(const Trelvoa::GeoShape &shape) override;

private:
    void refreshMarkers();
    void deleteMarkers();

    std::unique_ptr<WalkingAreagPrivate> d;
};

} // namespace Trelvoga
