#pragma once

#include "trelvoga_global.h"

#include <QGraphicsObject>
#include <QPainterPath>
#include <QPointer>
#include <QRectF>

namespace Trelvoa {
class GeoUtil;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

class ViewAreaItem;

// Where the street-view camera stands (a dot) and where it looks (a 60° sector, the ViewAreaItem child).
// The geometry is laid out in model metres around the position and projected to the scene, so it keeps
// its size on the ground. Dragging the dot reports the new position, turning the sector the new heading;
// the page's changes come back through setPos() and setAngle().
class TRELVOGA_EXPORT PanoramaGraphicsItem : public QGraphicsObject
{
    Q_OBJECT

public:
    enum { Type = QGraphicsItem::UserType + 40 };

    // angle: the view direction as the QLineF angle in model coordinates (0 east, 90 south). The
    // network's projection (none: the scene is in model units) is looked up at each use, since loading a
    // network replaces it while the marker stays.
    PanoramaGraphicsItem(const QPointF &scenePos, double angle, Trelvoa::Network *net,
                         QGraphicsItem *parent = nullptr);

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    double angle() const { return m_angle; }
    // Rebuilds the geometry unless the angle is the same.
    void setAngle(double angle);
    ViewAreaItem *viewArea() const { return m_viewArea; }
    // Item coordinates.
    QPainterPath sectorPath() const { return m_sectorPath; }
    QPainterPath dotPath() const { return m_dotPath; }

    // For the view area: turn to face the scene point, and report the heading when the turn ends.
    void turnTowards(const QPointF &scenePos);
    void reportHeading();

    // Compass heading (0 north, clockwise) to the marker's angle and back, both in [0, 360).
    static double angleForHeading(double heading);
    static double headingForAngle(double angle);

signals:
    void posChanged(double lat, double lng);
    void angChanged(double heading);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void rebuild();
    Trelvoa::GeoUtil *geoUtil() const;
    QPointF toModel(const QPointF &scenePos) const;
    // Model points to item coordinates, element by element.
    QPainterPath toItem(const QPainterPath &modelPath) const;

    QRectF m_boundingRect;
    QPainterPath m_markerPath;
    QPainterPath m_sectorPath;
    QPainterPath m_dotPath;
    double m_angle = 0.0;
    ViewAreaItem *m_viewArea = nullptr;
    QPointer<Trelvoa::Network> m_net;
    bool m_dragging = false;
};

} // namespace Trelvoga
