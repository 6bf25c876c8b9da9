// Route, zone and PT stop items: the route arrow and its markers, the zone disc with its links and its
// size at far zoom, and PT stops sliding along the kerb.

#include "itemrender.h"
#include "layouts.h"
#include "scenenet.h"

#include "items/connectionline.h"
#include "items/dragdropmarker.h"
#include "items/ptstopg.h"
#include "items/routeg.h"
#include "items/tazg.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "ptstop.h"
#include "route.h"
#include "taz.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QtTest>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::ConnectionLine;
using Trelvoga::DragDropMarker;
using Trelvoga::Networkg;
using Trelvoga::PtStopg;
using Trelvoga::Routeg;
using Trelvoga::Tazg;

namespace {

// A one-lane road from A (0, 0) that bends left by 90 degrees around (50, 0) in 10-degree steps of an
// arc of radius 20, ending at B (70, 60): a lane whose kerb is longer than its centre line.
Layout bentRoad(Trelvoa::Network *net)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0));
    addNode(l, QStringLiteral("B"), QPointF(70, 60));
    Edge *e = addEdge(l, QStringLiteral("A"), QStringLiteral("B"), 1);
    GeoPolyline s{QPointF(0, 0), QPointF(50, 0)};
    for (int deg = 10; deg <= 90; deg += 10) {
        const double a = qDegreesToRadians(double(deg));
        s.append(QPointF(50 + 20 * std::sin(a), 20 - 20 * std::cos(a)));
    }
    s.append(QPointF(70, 60));
    e->setSkeleton(s);
    return l;
}

} // namespace

class TestRouteItems : public QObject
{
    Q_OBJECT

private slots:
    void routeIsAnArrowAlongItsSkeleton();
    void shortRouteHeadIsAThirdOfItsLength();
    void invalidRouteIsRed();
    void selectedRouteLiesOnTop();
    void routeMarkersFollowTheControlEdges();

    void zoneLinksAndTheirVisibility();
    void clearedNetworkLeavesNoLinesOrMarkers();
    void zoneDiscShrinksWhenZoomedFarOut();
    void zoneIsDraggedThroughTheView();

    void stopSlidesAlongTheKerbWithoutJumping();
    void stopDraggedThroughTheViewStaysOnTheKerb();
    void stopIsDrawnBesideItsLane();
};

void TestRouteItems::routeIsAnArrowAlongItsSkeleton()
{
    SceneNet s;
    Layout l = chain(&s.net);
    auto *route = new Route;
    route->addControlEdge(l.edge(QStringLiteral("A"), QStringLiteral("B")));
    route->addControlEdge(l.edge(QStringLiteral("B"), QStringLiteral("C")));
    QVERIFY(s.net.addItem(route));
    refresh(&s.net);
    QVERIFY(route->isValid());

    auto *item = itemOf<Routeg>(&s.net, route);
    QVERIFY(item);
    QCOMPARE(item->type(), int(Trelvoga::ItemType::Routeg));
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerRoutes));

    const GeoPolyline sk = route->skeleton();
    const double length = sk.length();
    QPointF p;
    const QLineF mid = sk.lineAtDistance(length / 2, true, &p);
    QLineF normal = mid.normalVector().unitVector();
    const QPointF side = normal.p2() - normal.p1();
    const QPainterPath path = item->path();
    QVERIFY(path.contains(item->geoPos(p)));
    QVERIFY(path.contains(item->geoPos(p + 0.9 * side)));
    QVERIFY(!path.contains(item->geoPos(p + 1.2 * side)));

    // The head: 9 long, 6 wide at its base, its tip at the skeleton's end.
    QPointF base;
    const QLineF last = sk.lineAtDistance(length - 9.0 + 0.5, true, &base);
    QLineF n = last.normalVector().unitVector();
    const QPointF across = n.p2() - n.p1();
    QVERIFY(path.contains(item->geoPos(base + 2.5 * across)));
    QVERIFY(!path.contains(item->geoPos(base + 3.2 * across)));
    QPointF beforeBody;
    sk.lineAtDistance(length - 9.0 - 0.5, true, &beforeBody);
    QVERIFY(!path.contains(item->geoPos(beforeBody + 2.0 * across)));
    QVERIFY(path.boundingRect().contains(item->geoPos(sk.last())));

    // Drawn in the route colour over the background.
    showOnly(&s.net, {Networkg::layerRoutes});
    const View view{QRectF(item->geoPos(p) - QPointF(10, 10), QSizeF(20, 20)).normalized(), 10.0};
    const QImage image = renderScene(&s.scene, view);
    const QRgb pixel = image.pixel(view.pixel(item->geoPos(p + 0.5 * side)));
    QVERIFY2(sameColor(pixel, over(Routeg::routeColor, background), 6), qPrintable(describe(pixel)));
}

void TestRouteItems::shortRouteHeadIsAThirdOfItsLength()
{
    SceneNet s;
    Layout l;
    l.net = &s.net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0));
    addNode(l, QStringLiteral("B"), QPointF(6, 0));
    Edge *e = addEdge(l, QStringLiteral("A"), QStringLiteral("B"), 1);
    auto *route = new Route;
    route->addControlEdge(e);
    QVERIFY(s.net.addItem(route));
    auto *empty = new Route;
    QVERIFY(s.net.addItem(empty));
    refresh(&s.net);

    const GeoPolyline sk = route->skeleton();
    const double length = sk.length();
    QVERIFY2(length > 3.0 && length < 9.0, qPrintable(QString::number(length)));
    const QPainterPath path = itemOf<Routeg>(&s.net, route)->path();
    QVERIFY(!path.isEmpty());
    // Body (2 wide) up to two thirds, then a head L/9 to each side.
    const auto *item = itemOf<Routeg>(&s.net, route);
    const QPointF dir = (sk.last() - sk.first()) / length;
    const QPointF side(-dir.y(), dir.x());
    const QPointF headStart = sk.first() + dir * (length * 2 / 3);
    QVERIFY(path.contains(item->geoPos(headStart - 0.05 * dir + 0.95 * side)));
    QVERIFY(!path.contains(item->geoPos(headStart + 0.05 * dir + 0.95 * side)));
    QVERIFY(path.contains(item->geoPos(headStart + 0.05 * dir + (length / 9 - 0.05) * side)));
    QVERIFY(path.contains(item->geoPos(sk.last() - 0.05 * dir)));
    QVERIFY(!path.contains(item->geoPos(sk.last() + 0.05 * dir)));

    // A route without a course or control edges draws nothing.
    QVERIFY(itemOf<Routeg>(&s.net, empty)->path().isEmpty());
    QVERIFY(itemOf<Routeg>(&s.net, empty)->boundingRect().isEmpty());
}

void TestRouteItems::invalidRouteIsRed()
{
    SceneNet s;
    Layout l = chain(&s.net);
    auto *route = new Route;
    // Backwards through a one-way chain: no course.
    route->addControlEdge(l.edge(QStringLiteral("B"), QStringLiteral("C")));
    route->addControlEdge(l.edge(QStringLiteral("A"), QStringLiteral("B")));
    QVERIFY(s.net.addItem(route));
    refresh(&s.net);
    QVERIFY(!route->isValid());
    auto *item = itemOf<Routeg>(&s.net, route);
    QVERIFY(!item->path().isEmpty());

    QPointF p;
    const GeoPolyline sk = route->skeleton();
    const QLineF at = sk.lineAtDistance(20, true, &p);
    // Half a metre off the centre line, clear of the outline of the band coming back.
    const QLineF normal = at.normalVector().unitVector();
    p += 0.5 * (normal.p2() - normal.p1());
    showOnly(&s.net, {Networkg::layerRoutes});
    const View view{QRectF(item->geoPos(p) - QPointF(5, 5), QSizeF(10, 10)).normalized(), 10.0};
    for (bool selected : {false, true}) {
        item->setSelected(selected);
        const QImage image = renderScene(&s.scene, view);
        const QRgb pixel = image.pixel(view.pixel(item->geoPos(p)));
        QVERIFY2(sameColor(pixel, QColor(Qt::red)), qPrintable(describe(pixel)));
    }
}

void TestRouteItems::selectedRouteLiesOnTop()
{
    SceneNet s;
    Layout l = chain(&s.net);
    QList<Routeg *> items;
    for (int i = 0; i < 3; ++i) {
        auto *route = new Route;
        route->addControlEdge(l.edge(QStringLiteral("A"), QStringLiteral("B")));
        QVERIFY(s.net.addItem(route));
        refresh(&s.net);
        items.append(itemOf<Routeg>(&s.net, route));
    }
    items.at(1)->setSelected(true);
    QVERIFY(items.at(1)->zValue() > items.at(0)->zValue());
    QVERIFY(items.at(1)->zValue() > items.at(2)->zValue());
    QVERIFY(!items.at(1)->highlight().isEmpty());
    s.scene.clearSelection();
    items.at(2)->setSelected(true);
    QVERIFY(items.at(2)->zValue() > items.at(1)->zValue());
    QVERIFY(items.at(2)->zValue() > items.at(0)->zValue());
}

void TestRouteItems::routeMarkersFollowTheControlEdges()
{
    SceneNet s;
    Layout l = chain(&s.net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Edge *bc = l.edge(QStringLiteral("B"), QStringLiteral("C"));
    auto *route = new Route;
    route->addControlEdge(ab);
    route->addControlEdge(bc);
    QVERIFY(s.net.addItem(route));
    refresh(&s.net);
    auto *item = itemOf<Routeg>(&s.net, route);

    item->setEdit(true);
    QCOMPARE(item->controlMarkers().size(), 2);
    QVERIFY(item->endMarker());
    Trelvoga::Layer *markers = s.net.layer(Networkg::layerMarkers);
    for (DragDropMarker *m : item->controlMarkers())
        QCOMPARE(m->parentItem(), markers);
    QCOMPARE(item->endMarker()->parentItem(), markers);
    for (int i = 0; i < 2; ++i) {
        const QVariantMap data = item->controlMarkers().at(i)->markerData();
        QCOMPARE(data.value(QStringLiteral("caption")).toInt(), i + 1);
        QCOMPARE(data.value(QStringLiteral("index")).toInt(), i);
        QCOMPARE(data.value(QStringLiteral("route")).value<QObject *>(), route);
    }
    // Marker 1 in the middle of A>B (x 0..100 along the axis).
    const GeoPolyline abLine = ab->routeSkeleton(route->allowedVehicles());
    QPointF abMiddle;
    abLine.lineAtDistance(abLine.length() / 2, true, &abMiddle);
    QVERIFY(near(item->netPos(item->controlMarkers().at(0)->pos()), abMiddle, 1e-6));
    QVERIFY(near(item->netPos(item->endMarker()->pos()), route->skeleton().last(), 1e-6));
    QCOMPARE(item->endMarker()->markerData().value(QStringLiteral("index")).toInt(), 2);

    // Reordered and shortened: the markers are renumbered and stand on the edges they now name.
    route->removeControlEdge(0);
    refresh(&s.net);
    QCOMPARE(item->controlMarkers().size(), 1);
    const QVariantMap data = item->controlMarkers().at(0)->markerData();
    QCOMPARE(data.value(QStringLiteral("edge")).value<QObject *>(), bc);
    QCOMPARE(data.value(QStringLiteral("caption")).toInt(), 1);
    QCOMPARE(item->endMarker()->markerData().value(QStringLiteral("index")).toInt(), 1);

    item->setEdit(false);
    QVERIFY(item->controlMarkers().isEmpty());
    QVERIFY(!item->endMarker());
    QVERIFY(markers->childItems().isEmpty());

    // Markers go with the item.
    item->setEdit(true);
    QVERIFY(!markers->childItems().isEmpty());
    delete route;
    QVERIFY(markers->childItems().isEmpty());
}

void TestRouteItems::zoneLinksAndTheirVisibility()
{
    SceneNet s;
    Layout l = chain(&s.net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Edge *bc = l.edge(QStringLiteral("B"), QStringLiteral("C"));
    auto *taz = new Taz(nullptr, QPointF(50, -60));
    QVERIFY(s.net.addItem(taz));
    QVERIFY(taz->addEdge(ab, 40, true));
    QVERIFY(taz->addEdge(bc, 30, false));
    refresh(&s.net);
    auto *item = itemOf<Tazg>(&s.net, taz);
    QVERIFY(item);
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerTaz));
    QVERIFY(item->flags() & QGraphicsItem::ItemIgnoresTransformations);

    // A source runs from the zone to the edge, a sink from the edge to the zone.
    ConnectionLine *source = item->line(ab);
    ConnectionLine *sink = item->line(bc);
    QVERIFY(source && sink);
    QVERIFY(near(source->points().first(), item->geoPos(taz->pos()), 1e-9));
    QVERIFY(near(source->points().last(), item->geoPos(taz->connectionPoint(ab)), 1e-9));
    QVERIFY(near(sink->points().first(), item->geoPos(taz->connectionPoint(bc)), 1e-9));
    QVERIFY(near(sink->points().last(), item->geoPos(taz->pos()), 1e-9));
    QVERIFY(source->isVisible() && sink->isVisible());

    item->setConnectorsAlwaysVisible(false);
    QVERIFY(!source->isVisible() && !sink->isVisible());
    item->setSelected(true);
    QVERIFY(source->isVisible());
    item->setSelected(false);
    QVERIFY(!source->isVisible());
    item->setConnectionsEdit(true);
    QVERIFY(source->isVisible());
    QVERIFY(item->centreMarker());
    QVERIFY(item->edgeMarker(ab) && item->edgeMarker(bc));
    QVERIFY(near(item->edgeMarker(bc)->pos(), item->geoPos(taz->connectionPoint(bc)), 1e-9));
    QCOMPARE(item->edgeMarker(bc)->markerData().value(QStringLiteral("edge")).value<QObject *>(), bc);

    // An unlinked edge takes its line and marker along.
    QVERIFY(taz->removeEdge(bc));
    refresh(&s.net);
    QVERIFY(!item->line(bc));
    QVERIFY(!item->edgeMarker(bc));
    // A moved zone moves its lines.
    taz->setPos(QPointF(60, -70));
    refresh(&s.net);
    QVERIFY(near(item->line(ab)->points().first(), item->geoPos(QPointF(60, -70)), 1e-9));

    item->setConnectionsEdit(false);
    QVERIFY(!item->centreMarker());
    QVERIFY(!item->line(ab)->isVisible());
    QVERIFY(s.net.layer(Networkg::layerMarkers)->childItems().isEmpty());

    // Wireframe hides the zone and its lines; they come back with it.
    item->setConnectorsAlwaysVisible(true);
    item->setWireframe(true);
    QVERIFY(!item->line(ab)->isVisible());
    item->setWireframe(false);
    QVERIFY(item->line(ab)->isVisible());
}

void TestRouteItems::clearedNetworkLeavesNoLinesOrMarkers()
{
    SceneNet s;
    Layout l = chain(&s.net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    auto *taz = new Taz(nullptr, QPointF(50, -60));
    QVERIFY(s.net.addItem(taz));
    QVERIFY(taz->addEdge(ab, 40, true));
    auto *route = new Route;
    route->addControlEdge(ab);
    QVERIFY(s.net.addItem(route));
    refresh(&s.net);
    itemOf<Tazg>(&s.net, taz)->setConnectionsEdit(true);
    itemOf<Routeg>(&s.net, route)->setEdit(true);
    QCOMPARE(s.net.layer(Networkg::layerTaz)->childItems().size(), 2);
    QCOMPARE(s.net.layer(Networkg::layerMarkers)->childItems().size(), 4);

    s.net.clear();
    QVERIFY(s.net.layer(Networkg::layerTaz)->childItems().isEmpty());
    QVERIFY(s.net.layer(Networkg::layerMarkers)->childItems().isEmpty());
}

void TestRouteItems::zoneDiscShrinksWhenZoomedFarOut()
{
    SceneNet s;
    auto *taz = new Taz(nullptr, QPointF(0, 0));
    QVERIFY(s.net.addItem(taz));
    refresh(&s.net);
    auto *item = itemOf<Tazg>(&s.net, taz);
    const QPointF centre = item->pos();

    QGraphicsView view(&s.scene);
    view.setFrameShape(QFrame::NoFrame);
    view.setBackgroundBrush(background);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(200, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    // The disc's ring at 18 pixels: inside the full disc (24), outside the half one (12).
    auto ringPixel = [&](double scale) {
        view.setTransform(QTransform::fromScale(scale, scale));
        view.setSceneRect(QRectF(centre - QPointF(100, 100) / scale, QSizeF(200, 200) / scale));
        view.centerOn(centre);
        // The first paint sets the disc's scale, the second shows it.
        view.viewport()->grab();
        const QImage image = view.viewport()->grab().toImage();
        return image.pixel(view.mapFromScene(centre) + QPoint(18, 0));
    };
    QRgb pixel = ringPixel(6000.0);
    QCOMPARE(item->scale(), 0.5);
    QVERIFY2(sameColor(pixel, background), qPrintable(describe(pixel)));
    pixel = ringPixel(24000.0);
    QCOMPARE(item->scale(), 1.0);
    QVERIFY2(!sameColor(pixel, background), qPrintable(describe(pixel)));
    // Zoomed out again: half size again, and a reported rectangle that stays tiny.
    ringPixel(3000.0);
    QCOMPARE(item->scale(), 0.25);
    QVERIFY(item->sceneBoundingRect().width() <= 0.00001 + 1e-12);
}

void TestRouteItems::zoneIsDraggedThroughTheView()
{
    SceneNet s;
    auto *taz = new Taz(nullptr, QPointF(10, 10));
    QVERIFY(s.net.addItem(taz));
    refresh(&s.net);
    auto *item = itemOf<Tazg>(&s.net, taz);

    ShownView shown(&s.scene, QSize(400, 400), 4, QRectF(-50, -50, 100, 100));
    QGraphicsView *view = &shown.view;
    QVERIFY(QTest::qWaitForWindowExposed(view));
    drag(view, item->pos(), item->geoPos(QPointF(20, 15)));
    QVERIFY2(near(taz->pos(), QPointF(20, 15), 0.5),
             qPrintable(QStringLiteral("%1 %2").arg(taz->pos().x()).arg(taz->pos().y())));
    refresh(&s.net);
    QVERIFY(near(item->pos(), item->geoPos(taz->pos()), 1e-9));

    // Read-only zones stay put.
    item->setReadOnly(true);
    item->objectChanged(0xFFFF);
    const QPointF before = taz->pos();
    drag(view, item->pos(), item->geoPos(QPointF(-20, -15)));
    QCOMPARE(taz->pos(), before);
}

void TestRouteItems::stopSlidesAlongTheKerbWithoutJumping()
{
    SceneNet s;
    Layout l = bentRoad(&s.net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    auto *stop = new PtStop(lane, 20.0);
    QVERIFY(s.net.addItem(stop));
    refresh(&s.net);
    auto *item = itemOf<PtStopg>(&s.net, stop);
    QVERIFY(item);
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerPtStops));
    QVERIFY(near(item->pos(), item->geoPos(stop->pos()), 1e-9));

    // Points on the kerb, on the straight and around the bend (the kerb is the outer side of this left
    // bend, longer than the centre line): the stop lands where the pointer is.
    const GeoPolyline kerb = stop->borderLine();
    for (double along : {10.0, 45.0, 55.0, 62.0, 70.0, 85.0}) {
        QPointF target;
        kerb.lineAtDistance(along, true, &target);
        item->setPos(item->geoPos(target));
        QVERIFY2(near(stop->pos(), target, 0.01),
                 qPrintable(QStringLiteral("at %1: stop (%2, %3), kerb point (%4, %5)")
                                .arg(along).arg(stop->pos().x()).arg(stop->pos().y()).arg(target.x()).arg(target.y())));
        QVERIFY(near(item->netPos(item->pos()), target, 0.01));
    }
    // Off the road: onto the kerb abreast; beyond the end: at the end.
    const double kerbY = kerb.pointOn(QPointF(30, -20)).y();
    item->setPos(item->geoPos(QPointF(30, -12)));
    QVERIFY(near(stop->pos(), QPointF(30, kerbY), 0.01));
    item->setPos(item->geoPos(QPointF(200, 200)));
    QVERIFY(near(stop->pos(), kerb.last(), 0.01));
}

void TestRouteItems::stopDraggedThroughTheViewStaysOnTheKerb()
{
    SceneNet s;
    Layout l = bentRoad(&s.net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    auto *stop = new PtStop(lane, 20.0);
    QVERIFY(s.net.addItem(stop));
    refresh(&s.net);
    auto *item = itemOf<PtStopg>(&s.net, stop);

    ShownView shown(&s.scene, QSize(500, 500), 5, QRectF(-10, -40, 100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&shown.view));
    const double kerbY = stop->pos().y();
    drag(&shown.view, item->geoPos(stop->pos()) + QPointF(0, -0.5), item->geoPos(QPointF(40, kerbY - 0.5)));
    QVERIFY2(near(stop->pos(), QPointF(40, kerbY), 0.3),
             qPrintable(QStringLiteral("(%1, %2)").arg(stop->pos().x()).arg(stop->pos().y())));
    QVERIFY(near(stop->pos(), stop->borderLine().pointOn(stop->pos()), 1e-6));
}

void TestRouteItems::stopIsDrawnBesideItsLane()
{
    SceneNet s;
    Layout l = bentRoad(&s.net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    auto *stop = new PtStop(lane, 25.0);
    QVERIFY(s.net.addItem(stop));
    refresh(&s.net);
    auto *item = itemOf<PtStopg>(&s.net, stop);

    // The area runs outward from the kerb; the disc sits on the kerb point.
    const double kerbY = stop->pos().y();
    QVERIFY(kerbY < lane->skeleton().pointOn(QPointF(25, 0)).y());
    QVERIFY(item->shape().contains(item->mapFromScene(item->geoPos(QPointF(30, kerbY - 1.5)))));
    QVERIFY(!item->shape().contains(item->mapFromScene(item->geoPos(QPointF(30, kerbY + 0.5)))));
    QVERIFY(item->circle().contains(item->mapFromScene(item->geoPos(QPointF(25, kerbY + 0.5)))));

    showOnly(&s.net, {Networkg::layerPtStops});
    const View view{QRectF(10, -15, 30, 20), 10.0};
    const QImage image = renderScene(&s.scene, view);
    const QRgb area = image.pixel(view.pixel(item->geoPos(QPointF(30, kerbY - 2.5))));
    QVERIFY2(sameColor(area, over(PtStopg::color, background)), qPrintable(describe(area)));
    item->setSelected(true);
    const QImage selected = renderScene(&s.scene, view);
    const QRgb sel = selected.pixel(view.pixel(item->geoPos(QPointF(30, kerbY - 2.5))));
    QVERIFY2(sameColor(sel, PtStopg::selectedColor), qPrintable(describe(sel)));
}

QTEST_MAIN(TestRouteItems)
#include "tst_items_routes.moc"
