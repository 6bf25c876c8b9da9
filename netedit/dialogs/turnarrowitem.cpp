#include "dialogs/turnarrowitem.h"

#include "connection.h"
#include "geo/geopolyline.h"
#include "geo/geoutil.h"

#include <QBrush>
#include <QGraphicsTextItem>
#include <QLineF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <QTextDocument>
#include <QtMath>

namespace Trelvoga {

namespace {

// A label on a light background, so that it reads over lanes of any colour.
class PercentLabel : public QGraphicsTextItem
{
public:
    using QGraphicsTextItem::QGraphicsTextItem;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override
    {
        painter->setPen(QPen(QColor(60, 60, 60), 0));
        painter->setBrush(QColor(255, 255, 255, 215));
        painter->drawRoundedRect(boundingRect().adjusted(1, 1, -1, -1), 3, 3);
        QGraphicsTextItem::paint(painter, option, widget);
    }
};

QPainterPath arrowPath(const Trelvoa::GeoPolyline &skeleton, QPointF *labelPoint)
{
    QPainterPath path;
    const double length = skeleton.length();
    if (skeleton.points().size() < 2 || !(length > 0.0))
        return path;
    const double bodyLength = qMax(0.0, length - TurnArrowItem::headLength);
    const Trelvoa::GeoPolyline body = skeleton.part(0.0, bodyLength);
    QPointF origin;
    const QLineF segment = skeleton.lineAtDistance(bodyLength, true, &origin);
    // Near the entry rather than the middle: the labels of a junction spread over its approaches.
    skeleton.lineAtDistance(bodyLength * TurnArrowItem::labelAt, true, labelPoint);

    if (body.points().size() >= 2) {
        QPainterPath line(body.points().first());
        for (int i = 1; i < body.points().size(); ++i)
            line.lineTo(body.points().at(i));
        QPainterPathStroker stroker;
        stroker.setWidth(TurnArrowItem::bodyWidth);
        stroker.setCapStyle(Qt::FlatCap);
        stroker.setJoinStyle(Qt::MiterJoin);
        path = stroker.createStroke(line);
    }
    if (segment.length() > 0.0) {
        const QPointF along = (segment.p2() - segment.p1()) / segment.length();
        const QPointF across(-along.y(), along.x());
        QPolygonF head;
        head << origin - TurnArrowItem::headHalfWidth * across << origin + TurnArrowItem::headLength * along
             << origin + TurnArrowItem::headHalfWidth * across << origin - TurnArrowItem::headHalfWidth * across;
        QPainterPath headPath;
        headPath.addPolygon(head);
        path = path.united(headPath);
    }
    return path;
}

} // namespace

TurnArrowItem::TurnArrowItem(const Trelvoa::Connection *connection, Trelvoa::GeoUtil *geo, const QColor &color,
                             QGraphicsItem *parent)
    : QGraphicsPathItem(parent)
{
    QPointF middle;
    m_modelPath = arrowPath(connection ? connection->skeleton() : Trelvoa::GeoPolyline(), &middle);
    QPainterPath scenePath = m_modelPath;
    if (geo) {
        for (int i = 0; i < scenePath.elementCount(); ++i) {
            const QPainterPath::Element e = scenePath.elementAt(i);
            const QPointF p = geo->xyToGeo(QPointF(e.x, e.y));
            scenePath.setElementPositionAt(i, p.x(), p.y());
        }
        middle = geo->xyToGeo(middle);
    }
    setPath(scenePath);
    // Zoomed out a junction is a few dozen pixels wide: the outline keeps a thin arrow visible.
    QPen outline(color, 1.5);
    outline.setCosmetic(true);
    setPen(outline);
    setBrush(color);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);

    m_label = new PercentLabel(this);
    m_label->setFlag(ItemIgnoresTransformations);
    m_label->setAcceptedMouseButtons(Qt::NoButton);
    m_label->setPos(middle);
    m_label->setDefaultTextColor(Qt::black);
}

void TurnArrowItem::setPercentage(int percent)
{
    m_label->setHtml(QStringLiteral("<center>%1%</center>").arg(percent));
    m_label->document()->setDocumentMargin(2);
    m_label->adjustSize();
    // Centred on its point, in screen pixels.
    const QRectF bounds = m_label->boundingRect();
    m_label->setTransform(QTransform::fromTranslate(-bounds.width() / 2.0, -bounds.height() / 2.0));
}

QString TurnArrowItem::labelHtml() const
{
    return m_label->toHtml();
}

} // namespace Trelvoga
