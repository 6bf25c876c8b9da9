#include "items/connectionline.h"

#include "geo/geoutil.h"

#include <QPainter>
#include <QTransform>

namespace Trelvoga {

ConnectionLine::ConnectionLine(const QPointF &start, const QPointF &end, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : QGraphicsItem(parent)
    , m_geo(geo)
{
    setLine(start, end);
}

ConnectionLine::ConnectionLine(const QPointF &point, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : QGraphicsItem(parent)
    , m_geo(geo)
{
    setStartPoint(point);
}

ConnectionLine::~ConnectionLine() = default;

void ConnectionLine::setStartPoint(const QPointF &point)
{
    prepareGeometryChange();
    if (m_points.isEmpty())
        m_points.append(point);
    else
        m_points.first() = point;
    setEndPoint(m_points.last());
}

void ConnectionLine::setEndPoint(const QPointF &point)
{
    prepareGeometryChange();
    if (m_points.isEmpty())
        return;
    if (m_points.size() == 1)
        m_points.append(point);
    else
        m_points.last() = point;

    QLineF line(m_points.at(m_points.size() - 2), point);
    if (m_geo)
        m_geo->geoToXY(&line);
    QTransform t;
    t.translate(line.p2().x(), line.p2().y());
    t.rotate(-line.angle());
    m_arrow = QPolygonF() << t.map(QPointF(-3, -1)) << line.p2() << t.map(QPointF(-3, 1));
    if (m_geo) {
        // The tip is the end point itself, not its round trip through the projection.
        m_arrow[0] = m_geo->xyToGeo(m_arrow.at(0));
        m_arrow[1] = point;
        m_arrow[2] = m_geo->xyToGeo(m_arrow.at(2));
    }
    m_rect = m_points.boundingRect() | m_arrow.boundingRect();
}

void ConnectionLine::setLine(const QPointF &start, const QPointF &end)
{
    prepareGeometryChange();
    m_points = QPolygonF() << start;
    setEndPoint(end);
}

void ConnectionLine::setPen(const QPen &pen)
{
    m_pen = pen;
    m_ownPen = true;
    update();
}

QRectF ConnectionLine::boundingRect() const
{
    return m_rect;
}

void ConnectionLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen = m_ownPen ? m_pen : painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->drawPolyline(m_points);
    painter->setBrush(QBrush(Qt::black));
    painter->drawPolygon(m_arrow, Qt::OddEvenFill);
}

} // namespace Trelvoga
