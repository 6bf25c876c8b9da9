#include "itemrender.h"

#include "scene/networkscene.h"

#include "scene/layer.h"
#include "scene/networkg.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

#include <cmath>
#include <cstdlib>

namespace ItemRender {

const QColor background(40, 80, 200);

QColor over(const QColor &c, const QColor &below)
{
    const double a = c.alphaF();
    return QColor(qRound(c.red() * a + below.red() * (1 - a)), qRound(c.green() * a + below.green() * (1 - a)),
                  qRound(c.blue() * a + below.blue() * (1 - a)));
}

bool sameColor(QRgb pixel, const QColor &expected, int tolerance)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

bool near(const QPointF &a, const QPointF &b, double tolerance)
{
    return QLineF(a, b).length() <= tolerance;
}

QTransform View::transform() const
{
    QTransform t;
    t.scale(scale, scale);
    t.translate(-source.left(), -source.top());
    return t;
}

QSize View::size() const
{
    return (source.size() * scale).toSize();
}

QPoint View::pixel(const QPointF &scenePoint) const
{
    const QPointF p = transform().map(scenePoint);
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

View around(const QPointF &centre, double halfSize, double scale)
{
    return View{QRectF(centre - QPointF(halfSize, halfSize), QSizeF(2 * halfSize, 2 * halfSize)), scale};
}

QImage blank(const View &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    return image;
}

QImage renderScene(QGraphicsScene *scene, const View &view)
{
    QImage image = blank(view);
    // What a view would make before its paint (the items a load leaves unmade).
    if (auto *networkScene = qobject_cast<Trelvoga::NetworkScene *>(scene))
        networkScene->makeItemsIn(view.source);
    QPainter painter(&image);
    scene->render(&painter, QRectF(image.rect()), view.source, Qt::IgnoreAspectRatio);
    return image;
}

QRgb probe(QGraphicsScene *scene, const View &view, const QPointF &scenePoint)
{
    return renderScene(scene, view).pixel(view.pixel(scenePoint));
}

QImage renderItem(QGraphicsItem *item, const View &view)
{
    QImage image = blank(view);
    QPainter painter(&image);
    painter.setTransform(item->deviceTransform(view.transform()));
    QStyleOptionGraphicsItem option;
    option.state = item->isSelected() ? QStyle::State_Selected : QStyle::State_None;
    option.exposedRect = item->boundingRect();
    item->paint(&painter, &option, nullptr);
    return image;
}

bool anyPixel(const QImage &image, const QPoint &centre, int radius, const QColor &color)
{
    for (int y = centre.y() - radius; y <= centre.y() + radius; ++y)
        for (int x = centre.x() - radius; x <= centre.x() + radius; ++x)
            if (image.rect().contains(x, y) && sameColor(image.pixel(x, y), color, 2))
                return true;
    return false;
}

int strayPixels(QGraphicsItem *item, const View &view, QPoint *first)
{
    const QImage image = renderItem(item, view);
    const QRect allowed =
        item->deviceTransform(view.transform()).mapRect(item->boundingRect()).toAlignedRect().adjusted(-2, -2, 2, 2);
    const QRgb bg = background.rgba();
    int stray = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == bg || allowed.contains(x, y))
                continue;
            if (!stray++ && first)
                *first = QPoint(x, y);
        }
    }
    return stray;
}

void showOnly(Trelvoga::Networkg *net, const QStringList &layers)
{
    for (Trelvoga::Layer *layer : net->layers())
        layer->setVisible(layers.contains(layer->objectName()));
}

ShownView::ShownView(QGraphicsScene *scene, const QSize &size, double scale, const QRectF &sceneRect)
    : view(scene)
{
    view.resize(size);
    view.setTransform(QTransform::fromScale(scale, scale));
    if (!sceneRect.isNull())
        view.setSceneRect(sceneRect);
    view.show();
}

void pressAndMove(QGraphicsView *view, const QPointF &from, const QPointF &to)
{
    QWidget *viewport = view->viewport();
    const QPoint a = view->mapFromScene(from);
    const QPoint b = view->mapFromScene(to);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, a);
    for (int i = 1; i <= 4; ++i) {
        const QPoint at = a + (b - a) * i / 4;
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
}

void release(QGraphicsView *view, const QPointF &at)
{
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->mapFromScene(at));
}

void drag(QGraphicsView *view, const QPointF &from, const QPointF &to)
{
    pressAndMove(view, from, to);
    release(view, to);
}

} // namespace ItemRender
