#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QPainterPath>
#include <memory>

namespace Trelvoa {
class GeoPolyline;
class Lane;
} // namespace Trelvoa

namespace Trelvoga {

class LanegPrivate;

// A lane: its road surface filled in the colour of the classes it allows, or a track (sleepers and two
// rails) for the track class. A selected lane also shows a chain of direction arrows. Hidden in
// wireframe mode. The item stays at the scene origin: all its geometry is in scene coordinates.
class TRELVOGA_EXPORT Laneg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::Laneg };

    static QColor roadColor;
    static QColor sidewalkColor;
    static QColor splitlaneColor;
    static QColor markerColor;

    // Lanes allowing this class bit are drawn as tracks, unless road traffic may use them too.
    static constexpr int trackClass = 0x2000;
    // Private, passenger, bus, truck, trolleybus, motorcycle and bicycle: a lane open to any of them is
    // a road, even when trams may run on it (a lane open to all classes, as imported networks have).
    static constexpr int roadClasses = 0x000001 | 0x000020 | 0x000100 | 0x000800 | 0x020000 | 0x080000 | 0x800000;
    // Drawn as a track: it allows the track class and no road class.
    static bool isTrack(int allowed) { return (allowed & trackClass) && !(allowed & roadClasses); }
    // Lanes allowing exactly this class are drawn as sidewalks.
    static constexpr int sidewalkClasses = 0x100000;

    Laneg(Trelvoa::Lane *lane, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Laneg() override;

    // The fill for the lane's classes: sidewalk for exactly the pedestrian class, split lane for none,
    // road otherwise (and for a null lane).
    static QColor laneColor(Trelvoa::Lane *lane);
    // The drawn surface of the lane along skeleton (the lane's own when empty), in scene coordinates
    // (model coordinates without geo). Tracks get sleepers every 0.75 units and two rails.
    static QPainterPath laneShape(Trelvoa::Lane *lane, Trelvoa::GeoUtil *geo, const Trelvoa::GeoPolyline &skeleton);
    // One arrow every 4 units along skeleton, pointing in its direction, converted with geo (model
    // coordinates without it). Empty for fewer than two points.
    static QPainterPath directionArrows(const Trelvoa::GeoPolyline &skeleton, double width,
                                        const Trelvoa::GeoUtil *geo);

    QPainterPath surface() const;
    // Current direction arrows; rebuilt when the lane is selected.
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
    static void prepareModel(const Trelvoa::Lane *lane);
    Trelvoa::NetObject *networkObject() const override;
    bool isChanged() const override;
    void setColor(const QColor &color) override;
    void resetColor() override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void rebuildArrows();
    void ensureSurface() const;

    std::unique_ptr<LanegPrivate> d;
};

} // namespace Trelvoga
