// Connection items and the connection line: both views drawn and probed offscreen, track-to-road
// connections, arrow-less short connections, selection order, lanes-edit markers, vertex editing with
// the mouse, and one item per connection on the sample and on imported real networks.

#include "itemrender.h"
#include "layouts.h"
#include "saves.h"
#include "scenenet.h"

#include "items/connectiong.h"
#include "items/connectionline.h"
#include "items/dragdropmarker.h"
#include "items/laneg.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geoutil.h"
#include "sumo/sumonetimporter.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QtTest>

#include <cmath>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::ConnectionLine;
using Trelvoga::Connectiong;
using Trelvoga::DragDropMarker;
using Trelvoga::Laneg;
using Trelvoga::Networkg;

namespace {

// The point `side` units to the left of the middle of the connection.
QPointF beside(const Connection *c, double side)
{
    const GeoPolyline s = c->skeleton();
    QPointF mid;
    QLineF along = s.lineAtDistance(s.length() / 2, true, &mid);
    QLineF normal = along.normalVector();
    normal.translate(mid - normal.p1());
    normal.setLength(side);
    return normal.p2();
}

// A(0, 0) -> junction B(100, 0) -> C(200, 0), one lane each of the given classes, and the connection
// between them.
Layout throughJunction(Network *net, int in, int out, Connection **connection)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0));
    addNode(l, QStringLiteral("B"), QPointF(100, 0), Node::Junction);
    addNode(l, QStringLiteral("C"), QPointF(200, 0));
    Edge *ab = addEdge(l, QStringLiteral("A"), QStringLiteral("B"), QList<int>{in});
    Edge *bc = addEdge(l, QStringLiteral("B"), QStringLiteral("C"), QList<int>{out});
    *connection = new Connection(net, ab->lane(0)->stopline(), bc->lane(0)->startline());
    net->addItem(*connection);
    return l;
}

int markersIn(QGraphicsScene *scene)
{
    int n = 0;
    for (QGraphicsItem *item : scene->items())
        n += item->type() == DragDropMarker::Type;
    return n;
}

double angleOf(const QPolygonF &arrow)
{
    // From the middle of the base to the tip.
    return QLineF((arrow.at(0) + arrow.at(2)) / 2, arrow.at(1)).angle();
}

} // namespace

class TestConnectionItems : public QObject
{
    Q_OBJECT

private slots:
    void extentHoldsEveryCourse();
    void farOutOnlyMarkedOnesAreDrawn();
    void simpleViewLineAndArrow();
    void shortConnectionHasNoArrow();
    void bothViewsOnScreen();
    void trackToRoadTakesTheRoadSurface();
    void selectionRaisesAndShowsArrows();
    void highlightShowsArrowsOfTheCurrentCourse();
    void farAwayOnlyMarkedConnectionsAreDrawn();
    void itemsDrawInsideTheirBounds();
    void lanesEditMarkers();
    void vertexEditWithTheMouse();
    void readOnlyAndWireframe();
    void connectionLine();
    void connectionLineWithProjection();
    void oneItemPerConnection_data();
    void oneItemPerConnection();
};

// The extent is worked out from the stoplines alone, before any course is made: it must still hold the
// course and the lane surface of every turn, a turnaround and a custom course included.
void TestConnectionItems::extentHoldsEveryCourse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net);
    // A turnaround on the west arm, and a custom course bent far out of the junction.
    auto *turnaround = new Connection(&net, l.edge("W", "C")->lane(1)->stopline(), l.edge("C", "W")->lane(1)->startline());
    QVERIFY(net.addItem(turnaround));
    auto *bent = new Connection(&net, l.edge("S", "C")->lane(0)->stopline(), l.edge("C", "E")->lane(0)->startline());
    QVERIFY(net.addItem(bent));
    const Trelvoa::GeoPolyline course = bent->skeleton();
    QVERIFY(bent->setSkeleton(Trelvoa::GeoPolyline({course.first(), course.first() + QPointF(-8, -12), course.last()})));
    refresh(&net);

    const QList<Connection *> all = net.findChildren<Connection *>();
    QVERIFY(all.size() > 10);
    for (bool simple : {true, false}) {
        for (Connection *c : all) {
            auto *item = itemOf<Connectiong>(&net, c);
            item->setSimpleView(simple);
            const QRectF extent = item->mapRectToScene(item->boundingRect());
            const Trelvoa::GeoPolyline skeleton = c->skeleton();
            for (const QPointF &p : skeleton.points())
                QVERIFY2(extent.contains(net.geoUtil() ? net.geoUtil()->xyToGeo(p) : p),
                         qPrintable(QStringLiteral("connection %1").arg(c->id())));
            const QRectF surface = item->mapRectToScene(item->surface().boundingRect());
            QVERIFY2(extent.contains(surface), qPrintable(QStringLiteral("surface of connection %1").arg(c->id())));
        }
    }
}

// The scene skips what draws nothing at a scale: far out a connection is drawn only when selected or
// highlighted.
void TestConnectionItems::farOutOnlyMarkedOnesAreDrawn()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Connection *c = nullptr;
    throughJunction(&net, car, car, &c);
    refresh(&net);
    auto *item = itemOf<Connectiong>(&net, c);
    QVERIFY(Trelvoga::ItemType::isObjectItem(item->type()));
    QVERIFY(!Trelvoga::ItemType::isObjectItem(Trelvoga::ItemType::Layer));
    QVERIFY(!Trelvoga::ItemType::isObjectItem(Trelvoga::ItemType::DragDropMarker));
    QVERIFY(item->drawsAt(0.8));
    QVERIFY(!item->drawsAt(0.5));
    item->setSelected(true);
    QVERIFY(item->drawsAt(0.5));
    item->setSelected(false);
    item->setColor(Qt::darkGreen);
    QVERIFY(item->drawsAt(0.5));
    item->resetColor();
    QVERIFY(!item->drawsAt(0.5));
}

void TestConnectionItems::simpleViewLineAndArrow()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    refresh(&net);
    QVERIFY(!l.connections.isEmpty());
    Connection *c = l.connections.first();
    auto *item = itemOf<Connectiong>(&net, c);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 2);
    QCOMPARE(Trelvoga::Layer::of(item), net.layer(Networkg::layerConnections));
    QVERIFY(item->isSimpleView());
    QVERIFY(item->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));

    const GeoPolyline s = c->skeleton();
    QVERIFY(s.count() >= 2);
    QCOMPARE(item->line(), s.toPolygon());
    // The arrow head: tip at the end, 1.5 back and 1 wide, along the direction from the last vertex
    // more than 1.5 away.
    const QPolygonF arrow = item->arrow();
    QCOMPARE(arrow.size(), 3);
    QCOMPARE(arrow.at(1), s.last());
    QVERIFY(std::abs(QLineF(arrow.at(0), arrow.at(2)).length() - 1.0) < 1e-9);
    QVERIFY(std::abs(QLineF((arrow.at(0) + arrow.at(2)) / 2, s.last()).length() - 1.5) < 1e-9);
    // Picked on a band 1 unit wide.
    QVERIFY(item->shape().contains(beside(c, 0.4)));
    QVERIFY(!item->shape().contains(beside(c, 0.7)));
    QVERIFY(item->boundingRect().contains(item->shape().boundingRect()));
    QVERIFY(item->boundingRect().contains(arrow.boundingRect()));

    // The full view: a lane surface along the skeleton, no line; and back.
    item->setSimpleView(false);
    QVERIFY(!item->isSimpleView());
    QVERIFY(item->line().isEmpty());
    QVERIFY(item->arrow().isEmpty());
    QVERIFY(item->shape().contains(beside(c, 1.6)));
    QVERIFY(!item->shape().contains(beside(c, 1.9)));
    QVERIFY(item->boundingRect().contains(item->shape().boundingRect()));
    item->setSimpleView(true);
    QCOMPARE(item->line(), s.toPolygon());
    QVERIFY(!item->shape().contains(beside(c, 1.6)));
}

void TestConnectionItems::shortConnectionHasNoArrow()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    refresh(&net);
    Connection *c = l.connections.first();
    auto *item = itemOf<Connectiong>(&net, c);

    // Every vertex within 1.5 of the end: no arrow head, the line is still drawn.
    QVERIFY(c->setSkeleton(GeoPolyline({QPointF(95, 0), QPointF(95.6, 0.3), QPointF(96.4, 0)})));
    refresh(&net);
    QVERIFY(item->arrow().isEmpty());
    QCOMPARE(item->line().size(), 3);

    // The direction comes from the last vertex far enough away, not from the last segment.
    QVERIFY(c->setSkeleton(GeoPolyline({QPointF(90, 0), QPointF(99.5, 1.0), QPointF(100, 0)})));
    refresh(&net);
    QCOMPARE(item->arrow().size(), 3);
    QVERIFY(std::abs(angleOf(item->arrow()) - QLineF(QPointF(90, 0), QPointF(100, 0)).angle()) < 1e-6);
}

void TestConnectionItems::bothViewsOnScreen()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Connection *c = nullptr;
    throughJunction(&net, car, car, &c);
    refresh(&net);
    showOnly(&net, {Networkg::layerConnections});
    auto *item = itemOf<Connectiong>(&net, c);
    const View view = around(beside(c, 0), 6, 40);
    const QColor road = over(Laneg::roadColor, background);

    QImage image = renderScene(&fixture.scene, view);
    QVERIFY(anyPixel(image, view.pixel(beside(c, 0)), 1, road));
    QRgb p = image.pixel(view.pixel(beside(c, 1.2)));
    QVERIFY2(sameColor(p, background), qPrintable(describe(p)));
    QVERIFY(anyPixel(image, view.pixel(item->arrow().at(1) - QPointF(0.5, 0)), 2, road));

    item->setSimpleView(false);
    image = renderScene(&fixture.scene, view);
    for (double side : {-1.2, 0.0, 1.2}) {
        p = image.pixel(view.pixel(beside(c, side)));
        QVERIFY2(sameColor(p, road), qPrintable(describe(p)));
    }
    p = image.pixel(view.pixel(beside(c, 2.2)));
    QVERIFY2(sameColor(p, background), qPrintable(describe(p)));

    // Selected: yellow.
    item->setSelected(true);
    image = renderScene(&fixture.scene, view);
    p = image.pixel(view.pixel(beside(c, 1.2)));
    QVERIFY2(sameColor(p, QColor(Qt::yellow)), qPrintable(describe(p)));
}

void TestConnectionItems::trackToRoadTakesTheRoadSurface()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    // A tram lane joining a sidewalk-wide lane (2.5): the road's width and surface, the track's colour.
    Connection *c = nullptr;
    throughJunction(&net, tram, pedestrian, &c);
    refresh(&net);
    showOnly(&net, {Networkg::layerConnections});
    auto *item = itemOf<Connectiong>(&net, c);
    QCOMPARE(Connectiong::surfaceLane(c), c->endLane());
    item->setSimpleView(false);
    const QPainterPath surface = item->surface();
    QCOMPARE(surface.toSubpathPolygons().size(), 1);
    // Inside the 2.5 band but beyond the 2.0 sleepers; outside the band but inside the tram lane's 3.5.
    QVERIFY(surface.contains(beside(c, 1.15)));
    QVERIFY(!surface.contains(beside(c, 1.4)));

    const View view = around(beside(c, 0), 6, 40);
    const QImage image = renderScene(&fixture.scene, view);
    QRgb p = image.pixel(view.pixel(beside(c, 1.1)));
    QVERIFY2(sameColor(p, over(Laneg::laneColor(c->startLane()), background)), qPrintable(describe(p)));
    QVERIFY(!sameColor(p, over(Laneg::sidewalkColor, background)));
    p = image.pixel(view.pixel(beside(c, 1.5)));
    QVERIFY2(sameColor(p, background), qPrintable(describe(p)));

    // Track to track stays a track (sleepers and rails); a lane open to trams and cars is a road.
    SceneNet fixture2;
    Connection *rails = nullptr;
    throughJunction(&fixture2.net, tram, tram, &rails);
    QCOMPARE(Connectiong::surfaceLane(rails), rails->startLane());
    refresh(&fixture2.net);
    auto *railsItem = itemOf<Connectiong>(&fixture2.net, rails);
    railsItem->setSimpleView(false);
    QVERIFY(railsItem->surface().toSubpathPolygons().size() > 4);

    SceneNet fixture3;
    Connection *mixed = nullptr;
    throughJunction(&fixture3.net, tram | car, pedestrian, &mixed);
    QCOMPARE(Connectiong::surfaceLane(mixed), mixed->startLane());
}

void TestConnectionItems::selectionRaisesAndShowsArrows()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    // Two connections out of one lane (straight on and a turn) overlap where they start.
    Layout l = tJunction(&net);
    refresh(&net);
    showOnly(&net, {Networkg::layerConnections});
    Connection *first = nullptr;
    Connection *second = nullptr;
    for (Connection *a : l.connections)
        for (Connection *b : l.connections)
            if (!first && a != b && a->startLane() == b->startLane()) {
                first = a;
                second = b;
            }
    QVERIFY(first && second);
    auto *a = itemOf<Connectiong>(&net, first);
    auto *b = itemOf<Connectiong>(&net, second);
    a->setSimpleView(false);
    b->setSimpleView(false);
    QCOMPARE(a->zValue(), 0.0);
    QCOMPARE(b->zValue(), 0.0);

    QPointF start;
    first->skeleton().lineAtDistance(0.5, true, &start);
    const QList<QGraphicsItem *> stack = fixture.scene.items(start);
    QVERIFY(stack.contains(a) && stack.contains(b));
    Connectiong *under = stack.indexOf(a) > stack.indexOf(b) ? a : b;
    Connectiong *top = under == a ? b : a;
    const Connection *c = static_cast<Connection *>(under->networkObject());
    QPointF probe;
    QLineF along = c->skeleton().lineAtDistance(0.5, true, &probe);
    QLineF normal = along.normalVector();
    normal.translate(probe - normal.p1());
    normal.setLength(1.0);
    probe = normal.p2();
    QVERIFY(top->shape().contains(probe));

    // Selected, the lower one comes out on top, wholly yellow, with its direction arrows.
    under->setSelected(true);
    QCOMPARE(under->zValue(), 0.1);
    QVERIFY(!under->arrowsPath().isEmpty());
    QCOMPARE(fixture.scene.items(start).first(), static_cast<QGraphicsItem *>(under));
    const View view = around(start, 5, 40);
    const QRgb p = renderScene(&fixture.scene, view).pixel(view.pixel(probe));
    QVERIFY2(sameColor(p, QColor(Qt::yellow)), qPrintable(describe(p)));

    // Deselected, back among its siblings.
    under->setSelected(false);
    QCOMPARE(under->zValue(), 0.0);
    QCOMPARE(top->zValue(), 0.0);
}

void TestConnectionItems::highlightShowsArrowsOfTheCurrentCourse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Connection *c = nullptr;
    throughJunction(&net, car, car, &c);
    refresh(&net);
    showOnly(&net, {Networkg::layerConnections});
    auto *item = itemOf<Connectiong>(&net, c);
    item->setSimpleView(false);

    // Highlighted, not selected: the arrows show, black over the surface.
    item->setColor(Qt::red);
    const View view = around(beside(c, 0), 8, 40);
    QImage image = renderScene(&fixture.scene, view);
    QVERIFY(!item->arrowsPath().isEmpty());
    QVERIFY(anyPixel(image, view.pixel(item->arrowsPath().elementAt(1)), 2, Qt::black));
    QVERIFY(sameColor(image.pixel(view.pixel(beside(c, 1.2))), Qt::red));

    // The course changes while highlighted: the arrows follow it, not the old one.
    const GeoPolyline s = c->skeleton();
    QVERIFY(c->setSkeleton(GeoPolyline({s.first(), s.first() + QPointF(4, 6), s.last()})));
    refresh(&net);
    QVERIFY(item->arrowsPath().boundingRect().bottom() > s.first().y() + 3.0);
    item->resetColor();
    QVERIFY(!item->color().isValid());
}

void TestConnectionItems::farAwayOnlyMarkedConnectionsAreDrawn()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Connection *c = nullptr;
    throughJunction(&net, car, car, &c);
    refresh(&net);
    showOnly(&net, {Networkg::layerConnections});
    auto *item = itemOf<Connectiong>(&net, c);
    // Half a pixel per unit: a junction is a few pixels across.
    const View far = around(beside(c, 0), 200, 0.5);
    auto drawn = [&] {
        const QImage image = renderScene(&fixture.scene, far);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != background.rgba())
                    return true;
        return false;
    };
    QVERIFY(!drawn());
    item->setSelected(true);
    QVERIFY(drawn());
}

void TestConnectionItems::itemsDrawInsideTheirBounds()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = tJunction(&net);
    refresh(&net);
    const View view = around(QPointF(0, 0), 30, 20);
    for (bool simple : {true, false}) {
        for (Connection *c : l.connections) {
            auto *item = itemOf<Connectiong>(&net, c);
            item->setSimpleView(simple);
            item->setSelected(true);
            QPoint first;
            QVERIFY2(strayPixels(item, view, &first) == 0,
                     qPrintable(QStringLiteral("%1 drawn outside its bounds at %2, %3")
                                    .arg(edgeName(c->startLane()->edge())).arg(first.x()).arg(first.y())));
            item->setSelected(false);
        }
    }
}

void TestConnectionItems::lanesEditMarkers()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    refresh(&net);
    Connection *c = l.connections.first();
    auto *item = itemOf<Connectiong>(&net, c);

    item->setLanesEdit(true);
    item->setLanesEdit(true);
    QCOMPARE(markersIn(&fixture.scene), 2);
    QVERIFY(item->isLanesEdit());
    DragDropMarker *from = item->fromMarker();
    DragDropMarker *to = item->toMarker();
    QVERIFY(from && to);
    QCOMPARE(Trelvoga::Layer::of(from), net.layer(Networkg::layerMarkers));
    QCOMPARE(from->markerData().value(QStringLiteral("connection")).value<QObject *>(), c);
    QCOMPARE(from->markerData().value(QStringLiteral("from")).value<QObject *>(), c->startLane());
    QVERIFY(!from->markerData().contains(QStringLiteral("to")));
    QCOMPARE(to->markerData().value(QStringLiteral("to")).value<QObject *>(), c->endLane());
    QVERIFY(!to->markerData().contains(QStringLiteral("from")));
    QCOMPARE(from->pos(), c->skeleton().first());
    QCOMPARE(to->pos(), c->skeleton().last());

    // Re-attached to the other incoming lane: the marker names it and sits where the connection starts.
    Lane *other = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(c->startLane()->index() == 0 ? 1 : 0);
    QVERIFY(c->setFrom(other->stopline()));
    refresh(&net);
    QCOMPARE(item->fromMarker(), from);
    QCOMPARE(from->markerData().value(QStringLiteral("from")).value<QObject *>(), other);
    QCOMPARE(from->pos(), c->skeleton().first());

    item->setLanesEdit(false);
    QCOMPARE(markersIn(&fixture.scene), 0);
    QVERIFY(!item->fromMarker() && !item->toMarker());

    // The connection goes while its markers show: they go with its item.
    item->setLanesEdit(true);
    QCOMPARE(markersIn(&fixture.scene), 2);
    delete c;
    QVERIFY(!net.object2item(c));
    QCOMPARE(markersIn(&fixture.scene), 0);

    // No markers for a connection without both lanes.
    auto *loose = new Connection(&net);
    net.addItem(loose);
    refresh(&net);
    auto *looseItem = itemOf<Connectiong>(&net, loose);
    QVERIFY(looseItem);
    QVERIFY(looseItem->boundingRect().isNull());
    looseItem->setLanesEdit(true);
    QVERIFY(!looseItem->isLanesEdit());
    QCOMPARE(markersIn(&fixture.scene), 0);
}

void TestConnectionItems::vertexEditWithTheMouse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    refresh(&net);
    Connection *c = l.connections.first();
    auto *item = itemOf<Connectiong>(&net, c);
    const GeoPolyline before = c->skeleton();
    QVERIFY(c->autoSkeleton());

    ShownView shown(&fixture.scene, QSize(600, 400), 20);
    QGraphicsView &view = shown.view;
    view.centerOn(before.boundingRect().center());
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // A click on the line selects the connection.
    QPointF middle;
    before.lineAtDistance(before.length() / 2, true, &middle);
    const QPoint onLine = view.mapFromScene(middle);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
    QVERIFY(item->isSelected());
    QCOMPARE(item->zValue(), 0.1);

    item->setEdit(true);
    QVERIFY(item->edited());
    QCOMPARE(item->markers().size(), before.count());
    QVERIFY(!item->isChanged());

    // Drag the last vertex 2 units up.
    Trelvoga::GeometryEditorMarker *marker = item->markers().last();
    const QPoint press = view.mapFromScene(marker->scenePos());
    const QPoint target = view.mapFromScene(marker->scenePos() + QPointF(0, 2));
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, press);
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = press + (target - press) * step / 4;
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, target);

    const GeoPolyline after = c->skeleton();
    QVERIFY(!c->autoSkeleton());
    QCOMPARE(after.count(), before.count());
    QVERIFY(QLineF(after.last(), before.last() + QPointF(0, 2)).length() < 0.1);
    QCOMPARE(after.first(), before.first());
    QVERIFY(item->isChanged());
    // The refresh comes back from the model.
    refresh(&net);
    QCOMPARE(item->line(), after.toPolygon());

    // A vertex inserted on the line.
    QPointF mid;
    after.lineAtDistance(after.length() / 2, true, &mid);
    item->addEditPoint(mid);
    QCOMPARE(c->skeleton().count(), after.count() + 1);

    item->setEdit(false);
    QVERIFY(!item->edited());
    QVERIFY(!item->isChanged());
    QCOMPARE(item->markers().size(), 0);
}

void TestConnectionItems::readOnlyAndWireframe()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    refresh(&net);
    Connection *c = l.connections.first();
    auto *item = itemOf<Connectiong>(&net, c);

    net.setReadOnly(true);
    item->setEdit(true);
    QVERIFY(!item->edited());
    net.setReadOnly(false);

    net.setWireframe(true);
    QVERIFY(!item->isVisible());
    net.setWireframe(false);
    QVERIFY(item->isVisible());

    // An edit running when the connection goes ends with it: its vertex markers go too.
    item->setEdit(true);
    QVERIFY(!item->markers().isEmpty());
    delete c;
    for (QGraphicsItem *i : fixture.scene.items())
        QVERIFY(i->type() != Trelvoga::GeometryEditorMarker::Type);
}

void TestConnectionItems::connectionLine()
{
    QGraphicsScene scene;
    // From one point: the point twice, the arrow head at it along the x axis.
    auto *line = new ConnectionLine(QPointF(10, 20), nullptr);
    scene.addItem(line);
    QCOMPARE(line->type(), int(QGraphicsItem::UserType));
    QCOMPARE(line->points(), QPolygonF() << QPointF(10, 20) << QPointF(10, 20));
    QCOMPARE(line->arrow(), QPolygonF() << QPointF(7, 19) << QPointF(10, 20) << QPointF(7, 21));

    line->setEndPoint(QPointF(10, 30));
    QCOMPARE(line->points().size(), 2);
    QCOMPARE(line->arrow().at(1), QPointF(10, 30));
    QVERIFY(std::abs(angleOf(line->arrow()) - 90.0) < 1e-9 || std::abs(angleOf(line->arrow()) - 270.0) < 1e-9);
    QVERIFY(QLineF(line->arrow().at(0), QPointF(9, 27)).length() < 1e-9
            || QLineF(line->arrow().at(0), QPointF(11, 27)).length() < 1e-9);

    line->setStartPoint(QPointF(0, 30));
    QCOMPARE(line->points(), QPolygonF() << QPointF(0, 30) << QPointF(10, 30));
    QCOMPARE(line->arrow(), QPolygonF() << QPointF(7, 29) << QPointF(10, 30) << QPointF(7, 31));
    QVERIFY(line->boundingRect().contains(line->arrow().boundingRect()));
    QCOMPARE(line->boundingRect(), QRectF(QPointF(0, 29), QPointF(10, 31)));

    line->setLine(QPointF(0, 0), QPointF(-20, 0));
    QCOMPARE(line->points().size(), 2);
    QCOMPARE(line->arrow(), QPolygonF() << QPointF(-17, 1) << QPointF(-20, 0) << QPointF(-17, -1));

    // Drawn: the line in the painter's pen, the head black.
    const View view = around(QPointF(-10, 0), 12, 10);
    const QImage image = renderScene(&scene, view);
    QVERIFY(anyPixel(image, view.pixel(QPointF(-10, 0)), 1, Qt::black));
    QVERIFY(sameColor(image.pixel(view.pixel(QPointF(-18, 0.3))), Qt::black));
    QVERIFY(sameColor(image.pixel(view.pixel(QPointF(-10, 3))), background));

    // A pen of its own.
    line->setPen(QPen(Qt::red));
    const QImage red = renderScene(&scene, view);
    QVERIFY(anyPixel(red, view.pixel(QPointF(-10, 0)), 1, Qt::red));
}

void TestConnectionItems::connectionLineWithProjection()
{
    SceneNet fixture;
    QVERIFY2(fixture.net.setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs",
                                       QPointF(-500000, -5300000)),
             qPrintable(fixture.net.errorString()));
    Trelvoa::GeoUtil *geo = fixture.net.geoUtil();
    const QPointF xy(100, 200);
    ConnectionLine line(geo->xyToGeo(xy), geo);
    // The head is laid out in metres: 3 back along model x, 1 to either side.
    const QPolygonF arrow = line.arrow();
    QCOMPARE(arrow.at(1), geo->xyToGeo(xy));
    QVERIFY(QLineF(geo->geoToXY(arrow.at(0)), xy + QPointF(-3, -1)).length() < 1e-6);
    QVERIFY(QLineF(geo->geoToXY(arrow.at(2)), xy + QPointF(-3, 1)).length() < 1e-6);

    line.setEndPoint(geo->xyToGeo(xy + QPointF(0, 50)));
    QVERIFY(QLineF(geo->geoToXY(line.arrow().at(0)), xy + QPointF(1, 47)).length() < 1e-6);
    QVERIFY(QLineF(geo->geoToXY(line.arrow().at(2)), xy + QPointF(-1, 47)).length() < 1e-6);
}

void TestConnectionItems::oneItemPerConnection_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("sumo");
    QTest::newRow("sample") << QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva") << false;
    QTest::newRow("berlin-doerpfeldstr") << TestSupport::dataPath(QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz"))
                                         << true;
    QTest::newRow("bologna-pasubio") << TestSupport::dataPath(QStringLiteral("bologna-pasubio/pasubio_buslanes.net.xml"))
                                     << true;
}

void TestConnectionItems::oneItemPerConnection()
{
    QFETCH(QString, file);
    QFETCH(bool, sumo);
    SceneNet fixture;
    Networkg &net = fixture.net;
    const bool loaded = sumo ? Trelvoa::importSumoNetwork(&net, file) : net.load(file);
    QVERIFY2(loaded, qPrintable(net.errorString()));

    const QList<Connection *> connections = net.findChildren<Connection *>();
    QVERIFY(connections.size() > 20);
    Trelvoga::Layer *layer = net.layer(Networkg::layerConnections);
    auto inLayer = [layer] {
        int count = 0;
        for (QGraphicsItem *child : layer->items())
            count += child->type() == Connectiong::Type;
        return count;
    };
    // A load leaves them unmade until shown close up or asked for.
    QCOMPARE(inLayer(), 0);
    QVERIFY(net.unmadeItemCount() >= connections.size());
    int withArrow = 0;
    for (Connection *c : connections) {
        Trelvoga::GenericGraphicsItem *item = net.object2item(c);
        QVERIFY(item);
        QCOMPARE(item->type(), int(Connectiong::Type));
        QCOMPARE(Trelvoga::Layer::of(item), layer);
        QCOMPARE(item->networkObject(), static_cast<Trelvoa::NetObject *>(c));
        // Within a junction: a degree of latitude is far more than any of them.
        QVERIFY(item->boundingRect().width() < 0.01 && item->boundingRect().height() < 0.01);
        withArrow += !static_cast<Connectiong *>(item)->arrow().isEmpty();
        QCOMPARE(net.object2item(c), item);
    }
    QVERIFY(withArrow > connections.size() / 2);
    QCOMPARE(inLayer(), connections.size());
}

QTEST_MAIN(TestConnectionItems)
#include "tst_items_connections.moc"
