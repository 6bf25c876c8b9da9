#pragma once

#include "trelvoga_global.h"

#include <QGraphicsItem>
#include <QPen>
#include <QPolygonF>

namespace Trelvoa {
class GeoUtil;
} // namespace Trelvoa

namespace Trelvoga {

// A light polyline with an arrow head at its end: the editor's rubber line while the user draws, and
// the links of zone items. All points are scene points; the arrow head is 3 by 2 model units, laid out
// in model XY so that it keeps its shape at every latitude. It stands for no model object and keeps
// the plain item type.
class TRELVOGA_EXPORT ConnectionLine : public QGraphicsItem
{
public:
    ConnectionLine(const QPointF &start, const QPointF &end, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    // A line of length 0 at point: its arrow points along the model x axis until the end moves.
    ConnectionLine(const QPointF &point, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~ConnectionLine() override;

    // Replaces the first point (appends it to an empty line).
    void setStartPoint(const QPointF &point);
    // Replaces the last point (appends it when there is only the start); nothing on an empty line.
    void setEndPoint(const QPointF &point);
    void setLine(const QPointF &start, const QPointF &end);

    QPolygonF points() const { return m_points; }
    QPolygonF arrow() const { return m_arrow; }

    // Without a pen of its own the line is drawn with the painter's pen, made cosmetic.
    void setPen(const QPen &pen);
    QPen pen() const { return m_pen; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QRectF m_rect;
    QPolygonF m_points;
    QPolygonF m_arrow;
    Trelvoa::GeoUtil *m_geo = nullptr;
    QPen m_pen;
    bool m_ownPen = false;
};

} // namespace Trelvoga
