#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QGraphicsItem>
#include <QVariantMap>
#include <memory>

namespace Trelvoga {

class DragDropMarkerPrivate;
class Layer;

// A grey 20-pixel disc of fixed screen size (green while selected) that an item shows on the network's
// "Markers" layer while the user re-attaches its ends or connections. Dragging it starts a Qt drag whose
// MimeTrelvo payload is a copy of the marker's data map; the drop target decides what the drop means.
// The text under the key "caption", when there is one, is drawn in the disc.
//
// The owner item creates and deletes its markers; a drop handler may delete a marker while its drag
// runs, which the marker survives (the drag then gets the property "removed_on_drag").
class TRELVOGA_EXPORT DragDropMarker : public QGraphicsItem
{
public:
    enum { Type = ItemType::DragDropMarker };

    static const QString captionKey;

    // pos in scene coordinates. The marker goes to the "Markers" layer of the owner's network (into the
    // owner's scene at top level when there is no such layer).
    DragDropMarker(const QPointF &pos, const QVariantMap &data, QGraphicsItem *owner);
    ~DragDropMarker() override;

    QVariantMap markerData() const;
    void setMarkerData(const QVariantMap &data);
    void setMarkerValue(const QString &key, const QVariant &value);
    QGraphicsItem *owner() const;
    // True while a drag of this marker runs.
    bool isDragging() const;

    // The "Markers" layer of the item's network: through the item's own layer, else the first such
    // layer in its scene (of the same network when the item has a layer). Null when there is none.
    static Layer *markersLayerOf(const QGraphicsItem *item);

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void updateBounds();

    std::unique_ptr<DragDropMarkerPrivate> d;
};

} // namespace Trelvoga
