#pragma once

#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QPainterPath>
#include <QPolygonF>
#include <memory>

namespace Trelvoa {
class Connection;
class Lane;
} // namespace Trelvoa

namespace Trelvoga {

class ConnectiongDetail;
class ConnectiongPrivate;
class DragDropMarker;

// A lane connection through a junction. In the simple view (the default) a thin line along the
// connection skeleton with an arrow head at its end; in the full view the surface a lane would have
// along that skeleton. A selected connection lies above its siblings and, in the full view, shows the
// lane's direction arrows. The skeleton is vertex edited; in the lanes-edit state two drag markers at
// its ends let the user move either end to another lane. Hidden in wireframe mode. The item stays at
// the scene origin: all its geometry is in scene coordinates.
class TRELVOGA_EXPORT Connectiong : public EditableItem
{
public:
    enum { Type = ItemType::Connectiong };

    Connectiong(Trelvoa::Connection *connection, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Connectiong() override;

    void setSimpleView(bool simple) override;
    // Far out only a selected or highlighted connection is drawn.
    bool drawsAt(double pixelsPerMetre) const override;
    // Below this many pixels per metre a junction is a few pixels across and its connections a smudge:
    // only a selected or highlighted one is drawn (the stoplines' threshold).
    static constexpr double minDetailPixelsPerMetre = 0.8;
    bool isSimpleView() const;
    // Markers at the end of the incoming lane and the start of the outgoing one; only when the
    // connection has both lanes.
    void setLanesEdit(bool on);
    bool isLanesEdit() const;
    DragDropMarker *fromMarker() const;
    DragDropMarker *toMarker() const;

    // The lane whose surface the full view draws: the incoming lane, or the outgoing one when only the
    // incoming lane is a track (a tram track joining a road becomes road at the junction).
    static Trelvoa::Lane *surfaceLane(const Trelvoa::Connection *connection);

    // Scene coordinates. The simple view's line and arrow head (empty in the full view).
    QPolygonF line() const;
    QPolygonF arrow() const;
    // The full view's surface, or the simple view's band 1 unit wide: the item's shape.
    QPainterPath surface() const;
    // The direction arrows shown while the item is selected or coloured in the full view.
    QPainterPath arrowsPath() const;
    QColor color() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    bool layoutsOffThread() const override;
    void prepareLayout() override;
    // What prepareLayout() computes, for an object whose item is still to be made.
    static void prepareModel(const Trelvoa::Connection *connection);
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

    void polylineChanged(const Trelvoa::GeoPolyline &polyline) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    ConnectiongDetail *ensureDetail() const;
    void ensureSurface() const;
    void ensureArrows();
    void deleteMarkers();

    std::unique_ptr<ConnectiongPrivate> d;
};

} // namespace Trelvoga
