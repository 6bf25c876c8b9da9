#pragma once

// Offscreen renders of item scenes probed pixel by pixel, and views shown offscreen for mouse gestures,
// for the item tests.

#include <QColor>
#include <QGraphicsView>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTransform>

class QGraphicsItem;
class QGraphicsScene;

namespace Trelvoga {
class Networkg;
} // namespace Trelvoga

namespace ItemRender {

// Not white, so that white markings cannot pass for untouched background.
extern const QColor background;

// c drawn over an opaque colour.
QColor over(const QColor &c, const QColor &below);
bool sameColor(QRgb pixel, const QColor &expected, int tolerance = 3);
QString describe(QRgb pixel);
bool near(const QPointF &a, const QPointF &b, double tolerance);

// A scene area at a fixed number of pixels per unit (the tests' networks have no projection: scene
// units are metres).
struct View
{
    QRectF source;
    double scale;

    QTransform transform() const;
    QSize size() const;
    QPoint pixel(const QPointF &scenePoint) const;
};

View around(const QPointF &centre, double halfSize, double scale);

QImage blank(const View &view);
QImage renderScene(QGraphicsScene *scene, const View &view);
QRgb probe(QGraphicsScene *scene, const View &view, const QPointF &scenePoint);
// One item drawn alone as the scene would draw it.
QImage renderItem(QGraphicsItem *item, const View &view);
bool anyPixel(const QImage &image, const QPoint &centre, int radius, const QColor &color);
// The pixels the item paints, drawn alone, outside its bounding rectangle, with the 2 pixels cosmetic
// pens may reach beyond it (the margin the view repaints around every item); first gets the first.
int strayPixels(QGraphicsItem *item, const View &view, QPoint *first = nullptr);

// Only these layers are drawn, so that probes do not meet what lies below the items under test.
void showOnly(Trelvoga::Networkg *net, const QStringList &layers);

// A view of the scene at scale pixels per unit, shown offscreen; the scene rectangle is fixed unless
// null. Tests wait for it to be exposed.
struct ShownView
{
    ShownView(QGraphicsScene *scene, const QSize &size, double scale, const QRectF &sceneRect = QRectF());
    QGraphicsView view;
};

// A left-button gesture in the view between two scene points: the press and moves with the button held
// (QTest's moves carry none), then the release.
void pressAndMove(QGraphicsView *view, const QPointF &from, const QPointF &to);
void release(QGraphicsView *view, const QPointF &at);
void drag(QGraphicsView *view, const QPointF &from, const QPointF &to);

} // namespace ItemRender
