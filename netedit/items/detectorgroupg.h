#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class DetectorGroup;
} // namespace Trelvoa

namespace Trelvoga {

class DetectorGroupgPrivate;
class DragDropMarker;

// A group of detectors across the lanes of an edge: a disc at each detector, joined by a band. The user
// moves the whole group along the lanes (every detector by the same distance). In edit state a drag
// marker stands on the group; dropping it on another group makes a composite detector between them.
class TRELVOGA_EXPORT DetectorGroupg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::DetectorGroupg };

    static QColor color;
    static QColor selectedColor;

    DetectorGroupg(Trelvoa::DetectorGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~DetectorGroupg() override;

    // Item-local.
    QPainterPath path() const;
    // The drag marker while in edit state, else null.
    DragDropMarker *marker() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void readHosts();
    QVariant slide(const QPointF &scenePoint);

    std::unique_ptr<DetectorGroupgPrivate> d;
};

} // namespace Trelvoga
