#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <memory>

namespace Trelvoa {
class Edge;
class Taz;
} // namespace Trelvoa

namespace Trelvoga {

class ConnectionLine;
class DragDropMarker;
class TazgPrivate;

// A traffic assignment zone: a shaded disc of fixed screen size (smaller when the view is zoomed far
// out) that the user drags, with a line to each edge it feeds or drains. While its connections are
// edited it shows a marker at its centre and one at each link point.
class TRELVOGA_EXPORT Tazg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::Tazg };

    static QColor tazColor;
    static QColor selectedTazColor;

    // Disc radius in pixels, and the view scale (pixels per scene unit) below which it shrinks.
    static constexpr double radius = 24.0;
    static constexpr double fullSizeScale = 12000.0;

    Tazg(Trelvoa::Taz *taz, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Tazg() override;

    void setConnectionsEdit(bool on);
    bool isConnectionsEdit() const;
    void setConnectorsAlwaysVisible(bool visible);
    bool connectorsAlwaysVisible() const;

    ConnectionLine *line(Trelvoa::Edge *edge) const;
    DragDropMarker *centreMarker() const;
    DragDropMarker *edgeMarker(Trelvoa::Edge *edge) const;
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
    void refreshMarkers();
    void applyLineVisibility();

    std::unique_ptr<TazgPrivate> d;
};

} // namespace Trelvoga
