#include "mapview.h"

#include "scene/networkscene.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

namespace {

constexpr double TileSize = 256.0;
constexpr double EquatorMetres = 40075016.686;
// Latitudes beyond this are clamped: the x/y ratio grows without bound towards the poles.
constexpr double MaxLatitude = 85.0;

} // namespace

MapView::MapView(QWidget *parent)
    : QGraphicsView(parent)
{
    init();
}

MapView::MapView(QGraphicsScene *scene, QWidget *parent)
    : QGraphicsView(scene, parent)
{
    init();
}

void MapView::init()
{
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    // The scene then draws only the items its index finds (see Trelvoga::NetworkScene), not every
    // item of every layer.
    setOptimizationFlag(QGraphicsView::IndirectPainting, true);
    setRenderHint(QPainter::Antialiasing, true);
    setMouseTracking(true);
    // A map has no scroll bars: it pans by dragging.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragMode(QGraphicsView::RubberBandDrag);
    applyTransform(0.0);
}

double MapView::pixelsPerUnitX(int zoom, bool geographic)
{
    const double perTurn = TileSize * std::pow(2.0, zoom);
    return geographic ? perTurn / 360.0 : perTurn / EquatorMetres;
}

double MapView::pixelsPerUnitY(int zoom, bool geographic, double latitude)
{
    if (!geographic)
        return pixelsPerUnitX(zoom, false);
    const double lat = qBound(-MaxLatitude, latitude, MaxLatitude);
    return pixelsPerUnitX(zoom, true) / std::cos(qDegreesToRadians(lat));
}

void MapView::setGeographic(bool geographic)
{
    if (geographic == m_geographic)
        return;
    m_geographic = geographic;
    applyZoom(m_zoom, mapToScene(viewport()->rect().center()), viewport()->rect().center());
}

void MapView::applyTransform(double latitude)
{
    const double sx = pixelsPerUnitX(m_zoom, m_geographic);
    const double sy = pixelsPerUnitY(m_zoom, m_geographic, latitude);
    setTransform(QTransform::fromScale(sx, -sy));
}

void MapView::applyZoom(int zoom, const QPointF &scenePoint, const QPoint &viewportPoint)
{
    zoom = qBound(MinZoom, zoom, MaxZoom);
    const bool changed = zoom != m_zoom;
    m_zoom = zoom;
    applyTransform(scenePoint.y());
    // Keep scenePoint under viewportPoint: centre on the point that puts it there.
    const QPointF offset = QPointF(viewport()->rect().center() - viewportPoint);
    const QTransform t = transform();
    const QPointF centre = scenePoint + QPointF(offset.x() / t.m11(), offset.y() / t.m22());
    centerOn(centre);
    if (changed)
        emit zoomChanged(m_zoom);
}

void MapView::setZoom(int zoom)
{
    const QPoint c = viewport()->rect().center();
    applyZoom(zoom, mapToScene(c), c);
}

void MapView::fitInView(const QRectF &rect)
{
    if (!rect.isValid() && rect.isNull())
        return;
    const QRectF r = rect.normalized();
    const QSize size = viewport()->size();
    int zoom = MaxZoom;
    for (; zoom > MinZoom; --zoom) {
        const double w = r.width() * pixelsPerUnitX(zoom, m_geographic);
        const double h = r.height() * pixelsPerUnitY(zoom, m_geographic, r.center().y());
        if (w <= size.width() && h <= size.height())
            break;
    }
    fitInViewZ(r, zoom);
}

void MapView::fitInViewZ(const QRectF &rect, int zoom)
{
    const QRectF r = rect.normalized();
    applyZoom(zoom, r.center(), viewport()->rect().center());
}

void MapView::setEnabledPath(const QPainterPath &path)
{
    m_enabledPath = path;
    viewport()->update();
}

void MapView::uniteEnabledPath(const QPainterPath &path)
{
    m_enabledPath = m_enabledPath.isEmpty() ? path : m_enabledPath.united(path);
    viewport()->update();
}

void MapView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->accept();
        return;
    }
    const QPoint at = event->position().toPoint();
    applyZoom(m_zoom + steps, mapToScene(at), at);
    event->accept();
}

void MapView::startPan(const QPoint &pos)
{
    m_panning = true;
    m_panStart = pos;
    viewport()->setCursor(Qt::ClosedHandCursor);
}

bool MapView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate && !m_keptActive && QApplication::activeModalWidget()
        && QApplication::activeModalWidget() != window()) {
        m_keptActive = true;
        return true;
    }
    if (event->type() == QEvent::WindowActivate && m_keptActive) {
        m_keptActive = false;
        return true;
    }
    return QGraphicsView::viewportEvent(event);
}

void MapView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld)) {
        startPan(event->pos());
        event->accept();
        return;
    }
    m_pressedAt = event->pos();
    QGraphicsView::mousePressEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_panning) {
        const QPoint delta = event->pos() - m_panStart;
        m_panStart = event->pos();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
        event->accept();
        return;
    }
    emit cursorMoved(mapToScene(event->pos()));
    // A rubber band selects what it covers, also what no paint has shown close enough to be made yet.
    if (dragMode() == RubberBandDrag && (event->buttons() & Qt::LeftButton)) {
        if (auto *networkScene = qobject_cast<Trelvoga::NetworkScene *>(scene()))
            networkScene->makeItemsIn(QRectF(mapToScene(m_pressedAt), mapToScene(event->pos())).normalized());
    }
    QGraphicsView::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_panning && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        m_panning = false;
        viewport()->unsetCursor();
        event->accept();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
    emit mouseReleased(int(event->button()), mapToScene(event->pos()));
}

void MapView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        m_spaceHeld = true;
    emit keyPressed(event->key(), int(event->modifiers()));
    QGraphicsView::keyPressEvent(event);
}

void MapView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        m_spaceHeld = false;
    emit keyReleased(event->key(), int(event->modifiers()));
    QGraphicsView::keyReleaseEvent(event);
}

QSize MapView::sizeHint() const
{
    return QSize(640, 480);
}

void MapView::paintEvent(QPaintEvent *event)
{
    // The network's scene leaves out of this paint the details too small to draw at this zoom.
    auto *networkScene = qobject_cast<Trelvoga::NetworkScene *>(scene());
    if (networkScene)
        networkScene->beginViewPaint(viewportTransform(), mapToScene(viewport()->rect()).boundingRect());
    QGraphicsView::paintEvent(event);
    if (networkScene)
        networkScene->endViewPaint();
}

void MapView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawForeground(painter, rect);
    if (m_enabledPath.isEmpty())
        return;
    QPainterPath outside;
    outside.addRect(rect);
    outside = outside.subtracted(m_enabledPath);
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, 60));
    painter->drawPath(outside);
    painter->restore();
}
