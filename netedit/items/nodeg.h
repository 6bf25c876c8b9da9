#pragma once

#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class Node;
} // namespace Trelvoa

namespace Trelvoga {

class NodegPrivate;

// A node: a plain node as a 10-pixel marker that keeps its size at every zoom, a junction with an
// outline as the filled outline plus the marker. Dragging moves the node in the model; a node attached
// to an edge group stays where the model puts it (on the group's skeleton). In edit mode the outline is
// reshaped vertex by vertex.
class TRELVOGA_EXPORT Nodeg : public EditableItem
{
public:
    enum { Type = ItemType::Nodeg };

    // Fills of a marker-only node and of a junction outline; read at every paint.
    static QColor nodeColor;
    static QColor nodeSelectedColor;
    static QColor junctionColor;
    static QColor junctionSelectedColor;
    static QColor markerColor;

    Nodeg(Trelvoa::Node *node, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Nodeg() override;

    void setMarkerVisible(bool on);
    bool isMarkerVisible() const;
    // Drawn as the marker only, at a fixed screen size.
    bool isSimple() const;
    // The junction outline, item-local; empty while simple.
    QPainterPath outline() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    void setWireframe(bool on) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

    void shapeChanged(const Trelvoa::GeoShape &shape) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void applyKind();

    std::unique_ptr<NodegPrivate> d;
};

} // namespace Trelvoga
