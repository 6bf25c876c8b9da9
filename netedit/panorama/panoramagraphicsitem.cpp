#include "panorama/panoramagraphicsitem.h"

#include "panorama/viewareaitem.h"

#include "geo/geoutil.h"
#include "network.h"

#include <QCursor>
#include <QGraphicsSceneMouseEvent>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace Trelvoga {

namespace {

// Metres on the ground.
constexpr double sectorRadius = 20.0;
constexpr double dotRadius = sectorRadius / 7.0;
constexpr double sectorWidth = 60.0;

double normalized(double degrees)
{
    double result = std::fmod(degrees, 360.0);
    if (result < 0.0)
        result += 360.0;
    // fmod of a tiny negative value plus 360 rounds to 360 itself.
    return result >= 360.0 ? 0.0 : result;
}

} // namespace

PanoramaGraphicsItem::PanoramaGraphicsItem(const QPointF &scenePos, double angle, Trelvoa::Network *net,
                                           QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_angle(normalized(angle))
    , m_net(net)
{
    setFlags(ItemIsMovable | ItemIgnoresParentOpacity | ItemSendsGeometryChanges);
    setCursor(QCursor(Qt::SizeAllCursor));
    // Above every layer of the network.
    setZValue(1000.0);
    m_viewArea = new ViewAreaItem(this);
    setPos(scenePos);
    rebuild();
}

QRectF PanoramaGraphicsItem::boundingRect() const
{
    return m_boundingRect;
}

QPainterPath PanoramaGraphicsItem::shape() const
{
    return m_markerPath;
}

void PanoramaGraphicsItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen(Qt::white, 0);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::lightGray);
    painter->setOpacity(0.6);
    painter->drawPath(m_markerPath);
}

void PanoramaGraphicsItem::setAngle(double angle)
{
    angle = normalized(angle);
    if (qFuzzyCompare(1.0 + angle, 1.0 + m_angle))
        return;
    m_angle = angle;
    rebuild();
}

void PanoramaGraphicsItem::turnTowards(const QPointF &scenePos)
{
    const QLineF line(toModel(pos()), toModel(scenePos));
    if (line.length() > 0.0)
        setAngle(line.angle());
}

void PanoramaGraphicsItem::reportHeading()
{
    emit angChanged(headingForAngle(m_angle));
}

double PanoramaGraphicsItem::angleForHeading(double heading)
{
    return normalized(heading - 90.0);
}

double PanoramaGraphicsItem::headingForAngle(double angle)
{
    return normalized(angle + 90.0);
}

void PanoramaGraphicsItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = false;
    QGraphicsObject::mousePressEvent(event);
}

void PanoramaGraphicsItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        m_dragging = true;
    QGraphicsObject::mouseMoveEvent(event);
}

void PanoramaGraphicsItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    QGraphicsObject::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        emit posChanged(pos().y(), pos().x());
    }
}

QVariant PanoramaGraphicsItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    // The projection's scale differs from place to place: the sector is laid out anew where it lands.
    if (change == ItemPositionHasChanged && m_viewArea)
        rebuild();
    return QGraphicsObject::itemChange(change, value);
}

Trelvoa::GeoUtil *PanoramaGraphicsItem::geoUtil() const
{
    Trelvoa::GeoUtil *geo = m_net ? m_net->geoUtil() : nullptr;
    return geo && geo->isValid() ? geo : nullptr;
}

QPointF PanoramaGraphicsItem::toModel(const QPointF &scenePos) const
{
    Trelvoa::GeoUtil *geo = geoUtil();
    return geo ? geo->geoToXY(scenePos) : scenePos;
}

QPainterPath PanoramaGraphicsItem::toItem(const QPainterPath &modelPath) const
{
    QPainterPath path = modelPath;
    const QPointF origin = pos();
    Trelvoa::GeoUtil *geo = geoUtil();
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        QPointF point(element.x, element.y);
        if (geo)
            point = geo->xyToGeo(point);
        point -= origin;
        path.setElementPositionAt(i, point.x(), point.y());
    }
    return path;
}

void PanoramaGraphicsItem::rebuild()
{
    const QPointF centre = toModel(pos());
    const QRectF rect(centre - QPointF(sectorRadius, sectorRadius), QSizeF(2 * sectorRadius, 2 * sectorRadius));
    QPainterPath sector(centre);
    sector.arcTo(rect, m_angle - sectorWidth / 2, sectorWidth);
    sector.closeSubpath();
    QPainterPath dot;
    dot.addEllipse(centre, dotRadius, dotRadius);

    prepareGeometryChange();
    m_sectorPath = toItem(sector);
    m_dotPath = toItem(dot);
    m_markerPath = m_dotPath;
    m_boundingRect = m_markerPath.boundingRect();
    m_viewArea->setPath(m_sectorPath);
    update();
}

} // namespace Trelvoga
