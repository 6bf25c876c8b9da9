#pragma once

#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QLineF>
#include <memory>

namespace Trelvoa {
class EdgeGroup;
} // namespace Trelvoa

namespace Trelvoga {

class EdgeGroupgPrivate;

// An edge group: its common skeleton as a line. Shown only in wireframe mode, while its skeleton is
// edited, or when the group has no edges (otherwise its edges stand for it). The item stays at the scene
// origin: all its geometry is in scene coordinates.
class TRELVOGA_EXPORT EdgeGroupg : public EditableItem
{
public:
    enum { Type = ItemType::EdgeGroupg };

    static QColor markerColor;

    EdgeGroupg(Trelvoa::EdgeGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~EdgeGroupg() override;

    // Scene coordinates.
    QPainterPath linePath() const;
    QLineF startLink() const;
    QLineF endLink() const;
    QColor color() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    void setWireframe(bool on) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

    void polylineChanged(const Trelvoa::GeoPolyline &polyline) override;

private:
    void applyVisibility();

    std::unique_ptr<EdgeGroupgPrivate> d;
};

} // namespace Trelvoga
