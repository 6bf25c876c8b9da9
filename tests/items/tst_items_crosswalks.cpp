// Crossings, walking areas and their drag markers: the zebra layout, offscreen renders probed pixel by
// pixel, sliding a crossing and moving its ends with the mouse through a real view, the markers of the
// lanes-edit and connections-edit states, the drag a marker starts, and one item per object on the
// sample and on imported real networks.

#include "itemrender.h"
#include "layouts.h"
#include "saves.h"
#include "scenenet.h"

#include "items/crosswalkg.h"
#include "items/dragdropmarker.h"
#include "items/mimetrelvo.h"
#include "items/walkingareag.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "sumo/sumonetimporter.h"
#include "walkingarea.h"

#include <QDrag>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QtTest>

#include <cmath>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::CrossWalkg;
using Trelvoga::DragDropMarker;
using Trelvoga::MimeTrelvo;
using Trelvoga::Networkg;
using Trelvoga::WalkingAreag;

namespace {

// Only the layer of crossings and walking areas (and the markers) is drawn.
void showOnlyCrosswalks(Networkg *net)
{
    showOnly(net, {Networkg::layerCrosswalks, Networkg::layerMarkers});
}

QPointF along(const GeoPolyline &line, double distance)
{
    const QLineF l(line.first(), line.last());
    return l.pointAt(distance / l.length());
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QObject *objectOf(const QVariant &v)
{
    return v.value<QObject *>();
}

} // namespace

class TestCrosswalkItems : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stripesStartAtFixedSteps();
    void itemFollowsTheCrossing();
    void oneLaneCrossingHandlesAtQuarters();
    void renderedWithStripes();
    void selectionHandlesAndOverrideColour();
    void itemsDrawInsideTheirBounds();
    void draggingTheBodySlidesBothEnds();
    void draggingAHandleMovesOneEnd();
    void lanesEditMarkers();
    void markerDragCarriesItsData();
    void walkingAreaOutlineAndConnectors();
    void walkingAreaConnectionMarkers();
    void walkingAreaVertexEdit();

    void oneItemPerObject_data();
    void oneItemPerObject();

private:
    QGraphicsScene *scene = nullptr;
    Networkg *net = nullptr;
    Layout layout;
    CrossWalk *xn = nullptr;
    CrossWalkg *item = nullptr;
    // Around the north arm's crossing, 20 pixels per unit.
    View close;
};

void TestCrosswalkItems::init()
{
    scene = new QGraphicsScene;
    net = new Networkg(scene);
    layout = fourArm(net);
    refresh(net);
    xn = layout.crossWalks.first();
    QCOMPARE(xn->name(), QStringLiteral("XN"));
    item = itemOf<CrossWalkg>(net, xn);
    QVERIFY(item);
    close = View{QRectF(xn->pos() - QPointF(15, 15), QSizeF(30, 30)), 20.0};
}

void TestCrosswalkItems::cleanup()
{
    dismantle(net);
    delete net;
    delete scene;
    net = nullptr;
    scene = nullptr;
}

void TestCrosswalkItems::stripesStartAtFixedSteps()
{
    // 3.0 across from the side Q0-Q1 (x = 0), 4 wide.
    const GeoShape crossing({QPointF(0, 2), QPointF(0, -2), QPointF(3, -2), QPointF(3, 2), QPointF(0, 2)});
    const QPainterPath stripes = CrossWalkg::zebraStripes(crossing);
    const QList<QPolygonF> bars = stripes.toSubpathPolygons();
    QCOMPARE(bars.size(), 3);
    for (int k = 0; k < 3; ++k) {
        const QRectF r = bars.at(k).boundingRect();
        QVERIFY2(std::abs(r.left() - (0.3 + k)) < 1e-9, qPrintable(QString::number(r.left())));
        QVERIFY(std::abs(r.width() - 0.4) < 1e-9);
        QVERIFY(std::abs(r.top() + 2) < 1e-9 && std::abs(r.bottom() - 2) < 1e-9);
    }

    // The corners turning the other way: still counted from Q0-Q1 into the crossing.
    const GeoShape mirrored({QPointF(0, -2), QPointF(0, 2), QPointF(-3, 2), QPointF(-3, -2), QPointF(0, -2)});
    const QList<QPolygonF> back = CrossWalkg::zebraStripes(mirrored).toSubpathPolygons();
    QCOMPARE(back.size(), 3);
    QVERIFY(std::abs(back.at(0).boundingRect().right() + 0.3) < 1e-9);

    // A skewed crossing: bars follow Q0-Q1 and end on the long sides Q0-Q3 and Q1-Q2.
    const GeoShape skewed({QPointF(0, 2), QPointF(1, -2), QPointF(4, -2), QPointF(3, 2), QPointF(0, 2)});
    const QList<QPolygonF> slanted = CrossWalkg::zebraStripes(skewed).toSubpathPolygons();
    QCOMPARE(slanted.size(), 3);
    for (const QPolygonF &bar : slanted) {
        QCOMPARE(bar.at(0).y(), 2.0);
        QCOMPARE(bar.at(1).y(), 2.0);
        QCOMPARE(bar.at(2).y(), -2.0);
        QCOMPARE(bar.at(3).y(), -2.0);
        // Parallel to Q0-Q1, which runs 1 across for 4 along.
        QVERIFY(std::abs((bar.at(3).x() - bar.at(0).x()) - 1.0) < 1e-9);
    }

    // The last bar ends with the crossing: 2.5 across leaves 0.2 of the third.
    const GeoShape short1({QPointF(0, 2), QPointF(0, -2), QPointF(2.5, -2), QPointF(2.5, 2), QPointF(0, 2)});
    const QList<QPolygonF> cut = CrossWalkg::zebraStripes(short1).toSubpathPolygons();
    QCOMPARE(cut.size(), 3);
    QVERIFY(std::abs(cut.at(2).boundingRect().right() - 2.5) < 1e-9);

    // Three points or fewer: no stripes.
    QVERIFY(CrossWalkg::zebraStripes(GeoShape({QPointF(0, 0), QPointF(3, 0), QPointF(0, 0)})).isEmpty());
    QVERIFY(CrossWalkg::zebraStripes(GeoShape()).isEmpty());
}

void TestCrosswalkItems::itemFollowsTheCrossing()
{
    QCOMPARE(item->type(), int(Trelvoga::ItemType::CrossWalkg));
    QCOMPARE(Trelvoga::Layer::of(item), net->layer(Networkg::layerCrosswalks));
    QCOMPARE(item->networkObject(), static_cast<NetObject *>(xn));
    QVERIFY(item->acceptDrops());
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
    // At its first lane's point; outline item-local.
    QVERIFY(QLineF(item->pos(), xn->lanePoint1()).length() < 1e-9);
    QVERIFY(QLineF(item->outline().boundingRect().center() + item->pos(), xn->pos()).length() < 1e-6);
    // Laid out when first asked for, within the extent the item gave before.
    QVERIFY(item->boundingRect().contains(item->outline().boundingRect()));
    QCOMPARE(item->shape(), item->outline());
    QVERIFY(QLineF(item->handle1Centre(), xn->lanePoint1()).length() < 1e-9);
    QVERIFY(QLineF(item->handle2Centre(), xn->lanePoint2()).length() < 1e-9);
    QVERIFY(item->handle1().contains(item->mapFromScene(item->handle1Centre())));
    QCOMPARE(item->stripes().toSubpathPolygons().size(), int(std::ceil(xn->skeleton().length() - 0.3)));

    // A change reaches the item with the refresh: it moves along the lane.
    const QPointF before = item->pos();
    QVERIFY(xn->setOffset1(xn->offset1() + 5));
    QVERIFY(xn->setOffset2(xn->offset2() + 5));
    refresh(net);
    QVERIFY(std::abs(QLineF(before, item->pos()).length() - 5) < 1e-6);
    QVERIFY(QLineF(item->pos(), xn->lanePoint1()).length() < 1e-9);

    // Read-only: not movable.
    net->setReadOnly(true);
    refresh(net);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
}

void TestCrosswalkItems::oneLaneCrossingHandlesAtQuarters()
{
    Lane *lane = layout.edge(QStringLiteral("E"), QStringLiteral("C"))->lane(1);
    auto *one = new CrossWalk(layout.node(QStringLiteral("C")), lane, 20.0, lane, 20.0);
    net->addItem(one);
    refresh(net);
    auto *oneItem = itemOf<CrossWalkg>(net, one);
    QVERIFY(oneItem);
    const GeoPolyline skeleton = one->skeleton();
    QVERIFY(std::abs(skeleton.length() - lane->width()) < 1e-9);
    QVERIFY(QLineF(oneItem->handle1Centre(), along(skeleton, lane->width() / 4)).length() < 1e-9);
    QVERIFY(QLineF(oneItem->handle2Centre(), along(skeleton, lane->width() * 3 / 4)).length() < 1e-9);
    // Handles are not dragged on a one-lane crossing; its markers are still there to re-attach it.
    oneItem->setLanesEdit(true);
    QVERIFY(oneItem->marker1() && oneItem->marker2());
    QCOMPARE(objectOf(oneItem->marker1()->markerData().value("lane1")), static_cast<QObject *>(lane));
}

void TestCrosswalkItems::renderedWithStripes()
{
    showOnlyCrosswalks(net);
    const QImage image = renderScene(scene, close);
    const GeoPolyline skeleton = xn->skeleton();
    const QColor fill = over(CrossWalkg::color, background);
    for (int k = 0; k < 3; ++k) {
        const QRgb stripe = image.pixel(close.pixel(along(skeleton, 0.5 + k)));
        QVERIFY2(sameColor(stripe, Qt::white, 0), qPrintable(describe(stripe)));
        const QRgb gap = image.pixel(close.pixel(along(skeleton, 1.0 + k)));
        QVERIFY2(sameColor(gap, fill), qPrintable(describe(gap)));
    }
    // The first 0.3 is plain fill; beyond the outline, nothing.
    QVERIFY(sameColor(image.pixel(close.pixel(along(skeleton, 0.15))), fill));
    const QLineF across(skeleton.first(), skeleton.last());
    const QPointF side = across.normalVector().unitVector().p2() - across.p1();
    const QPointF outside = across.pointAt(0.5) + side * (xn->width() / 2 + 1);
    QCOMPARE(image.pixel(close.pixel(outside)), background.rgba());

    // The colour is read at every paint.
    const QColor saved = CrossWalkg::color;
    CrossWalkg::color = QColor(255, 0, 255);
    const QImage recoloured = renderScene(scene, close);
    CrossWalkg::color = saved;
    QVERIFY(sameColor(recoloured.pixel(close.pixel(along(skeleton, 1.0))), QColor(255, 0, 255)));

    // Seen from afar the stripes go (a metre under a pixel and a half), then the crossing.
    const View far{QRectF(xn->pos() - QPointF(150, 150), QSizeF(300, 300)), 1.0};
    const QImage small = renderScene(scene, far);
    QVERIFY(!sameColor(small.pixel(far.pixel(along(skeleton, 0.5))), Qt::white, 40));
    QVERIFY(!sameColor(small.pixel(far.pixel(xn->pos())), background, 0));
    const View city{QRectF(xn->pos() - QPointF(1500, 1500), QSizeF(3000, 3000)), 0.1};
    const QImage tiny = renderScene(scene, city);
    QCOMPARE(tiny.pixel(city.pixel(xn->pos())), background.rgba());
}

void TestCrosswalkItems::selectionHandlesAndOverrideColour()
{
    showOnlyCrosswalks(net);
    const GeoPolyline skeleton = xn->skeleton();
    item->setSelected(true);
    // Before the first stripe, clear of the handles.
    QImage image = renderScene(scene, close);
    QVERIFY(sameColor(image.pixel(close.pixel(along(skeleton, 0.15))), Qt::yellow, 0));
    // The end handles, red, while the markers layer is visible.
    const QRgb h1 = image.pixel(close.pixel(xn->lanePoint1() + QPointF(0.3, 0.3)));
    QVERIFY2(sameColor(h1, Qt::red, 0), qPrintable(describe(h1)));
    QVERIFY(sameColor(image.pixel(close.pixel(xn->lanePoint2() + QPointF(0.3, 0.3))), Qt::red, 0));
    net->layer(Networkg::layerMarkers)->setVisible(false);
    image = renderScene(scene, close);
    QVERIFY(!sameColor(image.pixel(close.pixel(xn->lanePoint1() + QPointF(0.3, 0.3))), Qt::red, 60));

    item->setColor(QColor(0, 255, 255));
    image = renderScene(scene, close);
    QVERIFY(sameColor(image.pixel(close.pixel(along(skeleton, 0.15))), QColor(0, 255, 255), 0));
    item->resetColor();
    QVERIFY(!item->overrideColor().isValid());
}

void TestCrosswalkItems::itemsDrawInsideTheirBounds()
{
    item->setSelected(true);
    QCOMPARE(strayPixels(item, close), 0);

    auto *area = new WalkingArea(net);
    net->addItem(area);
    QVERIFY(area->addCrossWalk(xn, xn->lane1(), true));
    QVERIFY(area->addCrossWalk(xn, xn->lane2(), false));
    refresh(net);
    auto *areaItem = itemOf<WalkingAreag>(net, area);
    QVERIFY(areaItem);
    areaItem->setSelected(true);
    QCOMPARE(strayPixels(areaItem, close), 0);
}

void TestCrosswalkItems::draggingTheBodySlidesBothEnds()
{
    ShownView shown(scene, QSize(600, 600), 20);
    QGraphicsView &view = shown.view;
    view.centerOn(xn->pos());
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    refresh(net);

    const double offset1 = xn->offset1();
    const double offset2 = xn->offset2();
    // The north arm runs along y: 3 units north is 3 units further from the junction.
    drag(&view, xn->pos(), xn->pos() + QPointF(0, 3));
    QVERIFY(item->isSelected());
    QVERIFY2(std::abs(xn->offset1() - (offset1 + 3)) < 0.1, qPrintable(QString::number(xn->offset1())));
    QVERIFY(std::abs((xn->offset2() - offset2) - (xn->offset1() - offset1)) < 1e-9);
    refresh(net);
    QVERIFY(QLineF(item->pos(), xn->lanePoint1()).length() < 1e-6);

    // Towards the junction the second end stops at its lane's start, keeping the crossing's course.
    drag(&view, xn->pos(), xn->pos() - QPointF(0, 40));
    QVERIFY(xn->offset2() >= 0.0);
    QVERIFY(std::abs((xn->offset2() - offset2) - (xn->offset1() - offset1)) < 1e-9);

    // Read-only: nothing moves.
    net->setReadOnly(true);
    refresh(net);
    const double kept = xn->offset1();
    drag(&view, xn->pos(), xn->pos() + QPointF(0, 3));
    QCOMPARE(xn->offset1(), kept);
}

void TestCrosswalkItems::draggingAHandleMovesOneEnd()
{
    ShownView shown(scene, QSize(600, 600), 20);
    QGraphicsView &view = shown.view;
    view.centerOn(xn->pos());
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    refresh(net);

    // Handle 1 on the incoming lane: its offset counts back from the junction.
    const double offset1 = xn->offset1();
    const double offset2 = xn->offset2();
    item->setSelected(true);
    drag(&view, item->handle1Centre(), item->handle1Centre() + QPointF(0, 2));
    QVERIFY2(std::abs(xn->offset1() - (offset1 + 2)) < 0.1, qPrintable(QString::number(xn->offset1())));
    QCOMPARE(xn->offset2(), offset2);
    refresh(net);

    // Handle 2 on the outgoing lane: its offset counts from the lane start at the junction.
    const double moved1 = xn->offset1();
    drag(&view, item->handle2Centre(), item->handle2Centre() + QPointF(0, 4));
    QVERIFY2(std::abs(xn->offset2() - (offset2 + 4)) < 0.1, qPrintable(QString::number(xn->offset2())));
    QCOMPARE(xn->offset1(), moved1);
    refresh(net);

    // A later press on the body slides the whole crossing again.
    const double before1 = xn->offset1();
    const double before2 = xn->offset2();
    drag(&view, xn->pos(), xn->pos() + QPointF(0, 1));
    QVERIFY(std::abs((xn->offset1() - before1) - (xn->offset2() - before2)) < 1e-9);
    QVERIFY(std::abs(xn->offset1() - before1 - 1) < 0.1);
}

void TestCrosswalkItems::lanesEditMarkers()
{
    Trelvoga::Layer *markers = net->layer(Networkg::layerMarkers);
    item->setLanesEdit(true);
    QVERIFY(item->isLanesEdit());
    DragDropMarker *m1 = item->marker1();
    DragDropMarker *m2 = item->marker2();
    QVERIFY(m1 && m2);
    QCOMPARE(m1->type(), 65551);
    QCOMPARE(Trelvoga::Layer::of(m1), markers);
    QVERIFY(m1->flags() & QGraphicsItem::ItemIgnoresTransformations);
    QCOMPARE(m1->toolTip(), QStringLiteral("Control marker"));
    QCOMPARE(m1->markerData().keys(), QStringList({"crosswalk", "lane1"}));
    QCOMPARE(m2->markerData().keys(), QStringList({"crosswalk", "lane2"}));
    QCOMPARE(objectOf(m1->markerData().value("crosswalk")), static_cast<QObject *>(xn));
    QCOMPARE(objectOf(m2->markerData().value("lane2")), static_cast<QObject *>(xn->lane2()));
    QCOMPARE(m1->pos(), item->handle1Centre());
    QCOMPARE(m2->pos(), item->handle2Centre());
    item->setLanesEdit(true);
    QCOMPARE(item->marker1(), m1);

    // The markers follow the crossing: a new first lane and a new offset.
    Lane *other = layout.edge(QStringLiteral("N"), QStringLiteral("C"))->lane(1);
    QVERIFY(xn->setLane1(other));
    QVERIFY(xn->setOffset2(xn->offset2() + 3));
    refresh(net);
    QCOMPARE(objectOf(m1->markerData().value("lane1")), static_cast<QObject *>(other));
    QVERIFY(QLineF(m1->pos(), xn->lanePoint1()).length() < 1e-9);
    QVERIFY(QLineF(m2->pos(), xn->lanePoint2()).length() < 1e-9);

    // A fixed 20-pixel disc, grey, green when selected.
    const View wide{close.source, 2.0};
    showOnlyCrosswalks(net);
    QImage image = renderScene(scene, wide);
    QVERIFY(sameColor(image.pixel(wide.pixel(m1->pos()) + QPoint(0, 5)), Qt::gray, 0));
    QVERIFY(!sameColor(image.pixel(wide.pixel(m1->pos()) + QPoint(0, 13)), Qt::gray, 0));
    m1->setSelected(true);
    image = renderScene(scene, wide);
    QVERIFY(sameColor(image.pixel(wide.pixel(m1->pos()) + QPoint(0, 5)), Qt::green, 0));

    item->setLanesEdit(false);
    QVERIFY(!item->marker1() && !item->marker2());
    int left = 0;
    for (QGraphicsItem *child : markers->childItems())
        left += child->type() == DragDropMarker::Type;
    QCOMPARE(left, 0);

    // Deleting the crossing takes its markers along.
    item->setLanesEdit(true);
    delete xn;
    QCOMPARE(markers->childItems().size(), 0);
}

void TestCrosswalkItems::markerDragCarriesItsData()
{
    ShownView shown(scene, QSize(600, 600), 20);
    QGraphicsView &view = shown.view;
    view.centerOn(xn->pos());
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    refresh(net);
    item->setLanesEdit(true);
    DragDropMarker *marker = item->marker2();
    QWidget *port = view.viewport();
    const QPoint at = view.mapFromScene(marker->pos());

    // Below the drag distance nothing starts.
    sendMouse(port, QEvent::MouseButtonPress, at, Qt::LeftButton);
    QCOMPARE(marker->cursor().shape(), Qt::ClosedHandCursor);
    sendMouse(port, QEvent::MouseMove, at + QPoint(1, 0), Qt::LeftButton);
    QVERIFY(port->findChildren<QDrag *>().isEmpty());
    sendMouse(port, QEvent::MouseMove, at + QPoint(QApplication::startDragDistance() + 2, 0), Qt::LeftButton);
    const QList<QDrag *> drags = port->findChildren<QDrag *>();
    QCOMPARE(drags.size(), 1);
    auto *payload = qobject_cast<MimeTrelvo *>(drags.first()->mimeData());
    QVERIFY(payload);
    QCOMPARE(payload->map(), marker->markerData());
    QCOMPARE(objectOf(payload->map().value("lane2")), static_cast<QObject *>(xn->lane2()));
    QVERIFY(!marker->isDragging());
    QCOMPARE(marker->cursor().shape(), Qt::OpenHandCursor);
    sendMouse(port, QEvent::MouseButtonRelease, at, Qt::NoButton);
    // The marker itself never moves.
    QVERIFY(QLineF(marker->pos(), item->handle2Centre()).length() < 1e-9);
}

void TestCrosswalkItems::walkingAreaOutlineAndConnectors()
{
    auto *area = new WalkingArea(net);
    net->addItem(area);
    QVERIFY(area->addCrossWalk(xn, xn->lane1(), true));
    QVERIFY(area->addCrossWalk(xn, xn->lane2(), false));
    refresh(net);
    auto *areaItem = itemOf<WalkingAreag>(net, area);
    QVERIFY(areaItem);
    QCOMPARE(areaItem->type(), int(Trelvoga::ItemType::WalkingAreag));
    QCOMPARE(Trelvoga::Layer::of(areaItem), net->layer(Networkg::layerCrosswalks));
    QVERIFY(!(areaItem->flags() & QGraphicsItem::ItemIsMovable));
    QVERIFY(QLineF(areaItem->pos(), area->pos()).length() < 1e-9);
    QCOMPARE(areaItem->connectorPoints().size(), 2);
    // The outline, laid out when first drawn or picked, lies within the extent given before it.
    QVERIFY(!areaItem->shape().isEmpty());
    QVERIFY(areaItem->boundingRect().contains(areaItem->outline().boundingRect()));
    QVERIFY(QLineF(areaItem->connectorPoints().at(0) + areaItem->pos(), xn->skeleton().first()).length() < 1e-9);
    QVERIFY(areaItem->boundingRect().contains(areaItem->connectorPoints().at(1)));

    showOnlyCrosswalks(net);
    // The crossing hidden too: the area alone over the background.
    item->setVisible(false);
    const View view{QRectF(area->pos() - QPointF(10, 10), QSizeF(20, 20)), 20.0};
    const QPointF probe = area->pos() + QPointF(0.3, 0.7);
    QImage image = renderScene(scene, view);
    QVERIFY2(sameColor(image.pixel(view.pixel(probe)), over(WalkingAreag::color, background)),
             qPrintable(describe(image.pixel(view.pixel(probe)))));
    areaItem->setSelected(true);
    image = renderScene(scene, view);
    QVERIFY(sameColor(image.pixel(view.pixel(probe)), over(WalkingAreag::selectedColor, background)));
    // Selected: a line from the centre to each connector point.
    const QPoint onLine = view.pixel(QLineF(area->pos(), xn->skeleton().first()).pointAt(0.5));
    int drawn = 0;
    for (int dy = -1; dy <= 1; ++dy)
        drawn += !sameColor(image.pixel(onLine + QPoint(0, dy)), over(WalkingAreag::selectedColor, background), 10);
    QVERIFY(drawn > 0);

    // Every item gone: no position, nothing drawn.
    QVERIFY(area->removeItemAt(1));
    QVERIFY(area->removeItemAt(0));
    refresh(net);
    QVERIFY(areaItem->outline().isEmpty());
    QVERIFY(areaItem->connectorPoints().isEmpty());
}

void TestCrosswalkItems::walkingAreaConnectionMarkers()
{
    // The sidewalk corner north-east of a junction with sidewalks: the ends of three sidewalks.
    SceneNet fixture;
    Networkg *net = &fixture.net;
    const Layout side = fourArm(net, RoadsOnly | Sidewalks);
    QList<Stopline *> lines{side.edge(QStringLiteral("N"), QStringLiteral("C"))->lane(0)->stopline(),
                            side.edge(QStringLiteral("C"), QStringLiteral("E"))->lane(0)->startline(),
                            side.edge(QStringLiteral("E"), QStringLiteral("C"))->lane(0)->stopline()};
    auto *area = new WalkingArea(net);
    net->addItem(area);
    for (int i = 0; i < 3; ++i)
        QVERIFY(area->addStopline(lines.at(i)));
    refresh(net);
    auto *areaItem = itemOf<WalkingAreag>(net, area);
    QVERIFY(areaItem);

    areaItem->setConnectionsEdit(true);
    QVERIFY(areaItem->isConnectionsEdit());
    DragDropMarker *centre = areaItem->centreMarker();
    QVERIFY(centre);
    QCOMPARE(centre->markerData().keys(), QStringList({"walkingarea"}));
    QVERIFY(QLineF(centre->pos(), area->pos()).length() < 1e-9);
    QList<DragDropMarker *> markers = areaItem->itemMarkers();
    QCOMPARE(markers.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QVariantMap data = markers.at(i)->markerData();
        QCOMPARE(objectOf(data.value("walkingarea")), static_cast<QObject *>(area));
        QCOMPARE(data.value("wa_item").value<WalkingArea::Item *>(), area->items().at(i));
        QVERIFY(QLineF(markers.at(i)->pos(), area->items().at(i)->connectorPoint()).length() < 1e-9);
        QCOMPARE(Trelvoga::Layer::of(markers.at(i)), net->layer(Networkg::layerMarkers));
    }

    // Removing the first item: markers are reused in place, the last one goes.
    markers.at(0)->setSelected(true);
    QVERIFY(area->removeItemAt(0));
    refresh(net);
    QCOMPARE(areaItem->itemMarkers(), markers.mid(0, 2));
    QVERIFY(!markers.at(0)->isSelected());
    QCOMPARE(markers.at(0)->markerData().value("wa_item").value<WalkingArea::Item *>(), area->items().at(0));
    QVERIFY(QLineF(markers.at(1)->pos(), area->items().at(1)->connectorPoint()).length() < 1e-9);
    // A new item gets a new marker.
    QVERIFY(area->addStopline(lines.at(0)));
    refresh(net);
    QCOMPARE(areaItem->itemMarkers().size(), 3);

    areaItem->setConnectionsEdit(false);
    QVERIFY(!areaItem->centreMarker() && areaItem->itemMarkers().isEmpty());
    QCOMPARE(net->layer(Networkg::layerMarkers)->childItems().size(), 0);

    // Deleting the area's item takes its markers along.
    areaItem->setConnectionsEdit(true);
    QCOMPARE(net->layer(Networkg::layerMarkers)->childItems().size(), 4);
    delete area;
    QCOMPARE(net->layer(Networkg::layerMarkers)->childItems().size(), 0);
    dismantle(net);
}

void TestCrosswalkItems::walkingAreaVertexEdit()
{
    auto *area = new WalkingArea(net);
    net->addItem(area);
    QVERIFY(area->addCrossWalk(xn, xn->lane1(), true));
    QVERIFY(area->addCrossWalk(xn, xn->lane2(), false));
    refresh(net);
    auto *areaItem = itemOf<WalkingAreag>(net, area);
    QVERIFY(areaItem);
    const int corners = area->shape().count() - 1;

    areaItem->setEdit(true);
    QVERIFY(areaItem->edited());
    QCOMPARE(areaItem->markers().size(), corners);
    QVERIFY(!areaItem->isChanged());
    // Dragging vertex 1 writes a custom outline to the model.
    const QPointF target = area->shape().at(0) + QPointF(2, 0);
    areaItem->markers().first()->setPos(target);
    QVERIFY(!area->autoShape());
    QVERIFY(QLineF(area->shape().at(0), target).length() < 1e-9);
    QCOMPARE(area->shape().last(), area->shape().first());
    QVERIFY(areaItem->isChanged());
    areaItem->setEdit(false);
    QVERIFY(!areaItem->edited());
    QVERIFY(!areaItem->isChanged());
    QCOMPARE(net->layer(Networkg::layerMarkers)->childItems().size(), 0);

    // Read-only: no edit.
    net->setReadOnly(true);
    areaItem->setEdit(true);
    QVERIFY(!areaItem->edited());
}

void TestCrosswalkItems::oneItemPerObject_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("sumo");
    QTest::addColumn<int>("minCrossings");
    QTest::newRow("sample") << QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva") << false << 1;
    QTest::newRow("berlin-doerpfeldstr") << TestSupport::dataPath(QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz"))
                                         << true << 100;
    QTest::newRow("bologna-pasubio") << TestSupport::dataPath(QStringLiteral("bologna-pasubio/pasubio_buslanes.net.xml"))
                                     << true << 0;
}

void TestCrosswalkItems::oneItemPerObject()
{
    QFETCH(QString, file);
    QFETCH(bool, sumo);
    QFETCH(int, minCrossings);
    SceneNet fixture;
    Networkg &scenenet = fixture.net;
    const bool loaded = sumo ? Trelvoa::importSumoNetwork(&scenenet, file) : scenenet.load(file);
    QVERIFY2(loaded, qPrintable(scenenet.errorString()));

    const QList<CrossWalk *> crossings = scenenet.findChildren<CrossWalk *>();
    const QList<WalkingArea *> areas = scenenet.findChildren<WalkingArea *>();
    QVERIFY(crossings.size() >= minCrossings);
    QVERIFY(areas.size() >= (minCrossings > 0 ? 1 : 0));
    Trelvoga::Layer *layer = scenenet.layer(Networkg::layerCrosswalks);
    int crossingItems = 0;
    int areaItems = 0;
    for (QGraphicsItem *child : layer->items()) {
        crossingItems += child->type() == CrossWalkg::Type;
        areaItems += child->type() == WalkingAreag::Type;
    }
    QCOMPARE(crossingItems, crossings.size());
    QCOMPARE(areaItems, areas.size());

    int striped = 0;
    for (CrossWalk *c : crossings) {
        auto *i = itemOf<CrossWalkg>(&scenenet, c);
        QVERIFY(i);
        QCOMPARE(Trelvoga::Layer::of(i), layer);
        QCOMPARE(i->networkObject(), static_cast<NetObject *>(c));
        QVERIFY(i->boundingRect().width() < 0.01 && i->boundingRect().height() < 0.01);
        if (!i->stripes().isEmpty()
            && i->outline().boundingRect().adjusted(-1e-7, -1e-7, 1e-7, 1e-7).contains(i->stripes().boundingRect()))
            ++striped;
    }
    QVERIFY(striped >= crossings.size() * 9 / 10);
    for (WalkingArea *a : areas) {
        auto *i = itemOf<WalkingAreag>(&scenenet, a);
        QVERIFY(i);
        QCOMPARE(Trelvoga::Layer::of(i), layer);
        QVERIFY(i->boundingRect().width() < 0.01 && i->boundingRect().height() < 0.01);
    }
}

QTEST_MAIN(TestCrosswalkItems)
#include "tst_items_crosswalks.moc"
