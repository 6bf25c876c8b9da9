// Detector, detector group, composite and emergency detector items: drawing probed on offscreen
// renders, sliding along the hosts (directly and with the mouse), the group's drag marker, and one item
// per object on the sample and on imported real networks.

#include "itemrender.h"
#include "layouts.h"
#include "saves.h"
#include "scenenet.h"

#include "items/compositedetectorg.h"
#include "items/detectorg.h"
#include "items/detectorgroupg.h"
#include "items/dragdropmarker.h"
#include "items/emergencydetectorg.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "compositedetector.h"
#include "detector.h"
#include "detectorgroup.h"
#include "emergencydetector.h"
#include "geo/geopolyline.h"
#include "geo/geoutil.h"
#include "route.h"
#include "sumo/sumonetimporter.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QtTest>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::CompositeDetectorg;
using Trelvoga::Detectorg;
using Trelvoga::DetectorGroupg;
using Trelvoga::EmergencyDetectorg;
using Trelvoga::Networkg;

namespace {

bool near(double a, double b, double tolerance)
{
    return std::abs(a - b) <= tolerance;
}

QRgb pixelAt(const QImage &image, const View &view, const QPointF &scenePoint)
{
    return image.pixel(view.pixel(scenePoint));
}

// A left-button drag on the scene from one scene point to another, as a view delivers it.
void drag(QGraphicsScene *scene, const QPointF &from, const QPointF &to)
{
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setScenePos(from);
    press.setLastScenePos(from);
    press.setButtonDownScenePos(Qt::LeftButton, from);
    press.setButton(Qt::LeftButton);
    press.setButtons(Qt::LeftButton);
    QCoreApplication::sendEvent(scene, &press);

    const int steps = 4;
    QPointF last = from;
    for (int i = 1; i <= steps; ++i) {
        const QPointF at = from + (to - from) * (double(i) / steps);
        QGraphicsSceneMouseEvent move(QEvent::GraphicsSceneMouseMove);
        move.setScenePos(at);
        move.setLastScenePos(last);
        move.setButtonDownScenePos(Qt::LeftButton, from);
        move.setButtons(Qt::LeftButton);
        QCoreApplication::sendEvent(scene, &move);
        last = at;
    }

    QGraphicsSceneMouseEvent release(QEvent::GraphicsSceneMouseRelease);
    release.setScenePos(to);
    release.setLastScenePos(to);
    release.setButtonDownScenePos(Qt::LeftButton, from);
    release.setButton(Qt::LeftButton);
    QCoreApplication::sendEvent(scene, &release);
}

Detector *addDetector(Network *net, NetObject *host, double distance, int tlId = 0)
{
    auto *detector = new Detector(host, distance);
    detector->setTlId(tlId);
    net->addItem(detector);
    return detector;
}

// The point of the host's skeleton at a distance from its start.
QPointF along(const GeoPolyline &line, double distance)
{
    QPointF p = line.first();
    line.lineAtDistance(distance, true, &p);
    return p;
}

template<class Item> int itemsOfType(const Networkg &net, NetObject *object, const QString &layer)
{
    Q_UNUSED(net)
    int count = 0;
    const QList<QGraphicsItem *> children = net.layer(layer)->childItems();
    for (QGraphicsItem *child : children) {
        auto *item = dynamic_cast<Item *>(child);
        if (item && item->networkObject() == object && item->type() == Item::Type)
            ++count;
    }
    return count;
}

// Every detector kind has exactly one item, of its type id, in its layer; and every item stays inside
// its bounds drawn close up.
void checkOneItemPerObject(Networkg &net)
{
    for (Detector *o : net.findChildren<Detector *>()) {
        QCOMPARE(itemsOfType<Detectorg>(net, o, Networkg::layerDetectors), 1);
        QCOMPARE(net.object2item(o)->type(), QGraphicsItem::UserType + 4);
    }
    for (DetectorGroup *o : net.findChildren<DetectorGroup *>()) {
        QCOMPARE(itemsOfType<DetectorGroupg>(net, o, Networkg::layerDetectorGroups), 1);
        QCOMPARE(net.object2item(o)->type(), QGraphicsItem::UserType + 5);
    }
    for (CompositeDetector *o : net.findChildren<CompositeDetector *>()) {
        QCOMPARE(itemsOfType<CompositeDetectorg>(net, o, Networkg::layerCompostiteDetectors), 1);
        QCOMPARE(net.object2item(o)->type(), QGraphicsItem::UserType + 1);
    }
    for (EmergencyDetector *o : net.findChildren<EmergencyDetector *>()) {
        QCOMPARE(itemsOfType<EmergencyDetectorg>(net, o, Networkg::layerEmergencyDetectors), 1);
        QCOMPARE(net.object2item(o)->type(), QGraphicsItem::UserType + 21);
    }
}

} // namespace

class TestDetectorItems : public QObject
{
    Q_OBJECT

private slots:
    void detectorDrawnOnItsLane();
    void detectorNumberOnlyZoomedIn();
    void detectorSlidesAlongEachHost();
    void detectorWithoutHostMovesFreely();
    void detectorDraggedWithTheMouse();
    void groupDrawnAndMovedAsAWhole();
    void groupKeepsItsLayoutAtTheLaneEnds();
    void emptyGroupHasNoHost();
    void groupEditMarker();
    void compositeArrowAlongItsCourse();
    void compositeWithoutHeadOrCourse();
    void emergencySectorAndFreeMove();
    void itemsDrawInsideTheirBounds();
    void sampleHasOneItemPerDetector();
    void importedNetworksHaveOneItemPerDetector_data();
    void importedNetworksHaveOneItemPerDetector();
};

void TestDetectorItems::detectorDrawnOnItsLane()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    Detector *detector = addDetector(&net, lane, 40.0);
    refresh(&net);

    auto *item = itemOf<Detectorg>(&net, detector);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 4);
    QCOMPARE(Trelvoga::Layer::of(item), net.layer(Networkg::layerDetectors));
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(near(item->pos(), detector->pos(), 1e-9));

    const GeoPolyline skeleton = lane->skeleton();
    const QPointF middle = along(skeleton, 41.0);
    const QPointF beyond = along(skeleton, 45.0);
    const View view {QRectF(middle - QPointF(10, 10), QSizeF(20, 20)), 20.0};
    QImage image = renderScene(&fixture.scene, view);
    QVERIFY2(sameColor(pixelAt(image, view, middle), Detectorg::color),
             qPrintable(describe(pixelAt(image, view, middle))));
    QVERIFY(!sameColor(pixelAt(image, view, beyond), Detectorg::color));

    item->setSelected(true);
    image = renderScene(&fixture.scene, view);
    QVERIFY(sameColor(pixelAt(image, view, middle), Detectorg::selectedColor));

    // The editor's highlight wins over the selection, until reset.
    item->setColor(QColor(Qt::magenta));
    image = renderScene(&fixture.scene, view);
    QVERIFY(sameColor(pixelAt(image, view, middle), QColor(Qt::magenta)));
    item->resetColor();
    QVERIFY(!item->overrideColor().isValid());
    image = renderScene(&fixture.scene, view);
    QVERIFY(sameColor(pixelAt(image, view, middle), Detectorg::selectedColor));

    // Zoomed out, a point in its colour marks it.
    const View far {QRectF(middle - QPointF(100, 100), QSizeF(200, 200)), 0.5};
    item->setSelected(false);
    image = renderScene(&fixture.scene, far);
    bool marked = false;
    const QPoint at = far.pixel(item->scenePos());
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            marked = marked || sameColor(image.pixel(at + QPoint(dx, dy)), Detectorg::color);
    QVERIFY(marked);
}

void TestDetectorItems::detectorNumberOnlyZoomedIn()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    Detector *detector = addDetector(&net, lane, 20.0, 7);
    refresh(&net);
    QGraphicsItem *item = net.object2item(detector);

    // The pixels the number changes: the item drawn with it and without.
    auto textPixels = [&](double scale) {
        const View view {item->sceneBoundingRect().adjusted(-1, -1, 1, 1), scale};
        const QImage with = renderItem(item, view);
        const int number = detector->tlId();
        detector->setTlId(0);
        const QImage without = renderItem(item, view);
        detector->setTlId(number);
        int changed = 0;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                changed += with.pixel(x, y) != without.pixel(x, y);
        return changed;
    };
    // Far in, the number is written on the detector.
    QVERIFY(textPixels(30.0) > 5);
    // At a scale where the detector is drawn but too small to carry a number: the shape only.
    QCOMPARE(textPixels(3.0), 0);
    // Only numbers above 0 are written.
    detector->setTlId(-4);
    QCOMPARE(textPixels(30.0), 0);
}

void TestDetectorItems::detectorSlidesAlongEachHost()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(1);
    Connection *connection = l.connections.first();
    auto *route = new Route;
    route->addControlEdge(l.edge(QStringLiteral("A"), QStringLiteral("B")));
    route->addControlEdge(l.edge(QStringLiteral("B"), QStringLiteral("C")));
    net.addItem(route);
    QVERIFY(route->isValid());

    QList<NetObject *> hosts {lane, connection, route};
    for (NetObject *host : hosts) {
        Detector *detector = addDetector(&net, host, 1.0);
        refresh(&net);
        auto *item = itemOf<Detectorg>(&net, detector);
        QVERIFY(item);
        const GeoPolyline course = host->skeleton();
        const double target = course.length() * 0.6;
        const QPointF onCourse = along(course, target);
        QLineF across = course.lineAtDistance(target).normalVector();
        across.setLength(1.5);

        // Dropped beside the host: the item lands on it, the model takes the distance.
        item->setPos(onCourse + (across.p2() - across.p1()));
        QVERIFY2(
            near(detector->distance(), target, 0.05),
            qPrintable(
                QStringLiteral("%1: %2").arg(host->metaObject()->className()).arg(detector->distance())));
        QVERIFY(near(item->pos(), detector->pos(), 1e-6));
        QVERIFY(near(item->pos(), onCourse, 0.05));
        // Beyond the end: stays at the end.
        item->setPos(course.last() + (course.last() - course.first()));
        QVERIFY(near(detector->distance(), course.length(), 1e-6));
        QVERIFY(near(item->pos(), course.last(), 1e-6));
        // The refresh from the model draws the shape where the item stands.
        refresh(&net);
        QVERIFY(near(item->pos(), detector->pos(), 1e-9));
        QVERIFY(item->path()
                    .boundingRect()
                    .translated(item->pos())
                    .contains(detector->shape().boundingRect().center()));
    }

    // Read-only: not movable, and a programmatic move changes nothing.
    Detector *detector = lane->findChildren<Detector *>().first();
    auto *item = itemOf<Detectorg>(&net, detector);
    net.setReadOnly(true);
    refresh(&net);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
    const double before = detector->distance();
    item->setPos(along(lane->skeleton(), 10.0));
    QCOMPARE(detector->distance(), before);
    QVERIFY(near(item->pos(), detector->pos(), 1e-9));
}

void TestDetectorItems::detectorWithoutHostMovesFreely()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    chain(&net);
    Detector *loose = addDetector(&net, nullptr, 12.0);
    refresh(&net);
    auto *item = itemOf<Detectorg>(&net, loose);
    QVERIFY(item);
    QVERIFY(item->path().isEmpty());
    item->setPos(QPointF(33, -7));
    QCOMPARE(item->pos(), QPointF(33, -7));
    QCOMPARE(loose->distance(), 12.0);
    QVERIFY(!loose->host());
}

void TestDetectorItems::detectorDraggedWithTheMouse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
    Detector *detector = addDetector(&net, lane, 30.0);
    refresh(&net);
    auto *item = itemOf<Detectorg>(&net, detector);

    // Grabbed in its middle and pulled 25 m along the lane and 4 m sideways.
    const GeoPolyline skeleton = lane->skeleton();
    const QPointF grab = along(skeleton, 31.0);
    drag(&fixture.scene, grab, grab + QPointF(25, 4));
    QVERIFY(item->isSelected());
    QVERIFY2(near(detector->distance(), 55.0, 0.05), qPrintable(QString::number(detector->distance())));
    QVERIFY(near(item->pos(), detector->pos(), 1e-6));
    refresh(&net);
    QVERIFY(near(item->pos(), along(skeleton, 55.0), 0.05));
}

void TestDetectorItems::groupDrawnAndMovedAsAWhole()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *edge = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Detector *right = addDetector(&net, edge->lane(0), 40.0);
    Detector *left = addDetector(&net, edge->lane(1), 44.0);
    auto *group = new DetectorGroup(edge, {right, left}, Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(group);
    refresh(&net);

    auto *item = itemOf<DetectorGroupg>(&net, group);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 5);
    QCOMPARE(Trelvoga::Layer::of(item), net.layer(Networkg::layerDetectorGroups));
    QVERIFY(near(item->pos(), group->pos(), 1e-9));

    // A disc at each detector, joined by the band; the group's layer lies above the detectors'.
    const QPointF between = (right->pos() + left->pos()) / 2;
    const View view {QRectF(between - QPointF(8, 8), QSizeF(16, 16)), 25.0};
    QImage image = renderScene(&fixture.scene, view);
    for (const QPointF &p : {right->pos(), left->pos(), between})
        QVERIFY2(sameColor(pixelAt(image, view, p), DetectorGroupg::color),
                 qPrintable(describe(pixelAt(image, view, p))));
    QVERIFY(!sameColor(pixelAt(image, view, right->pos() + QPointF(1.5, 0)), DetectorGroupg::color));
    item->setSelected(true);
    image = renderScene(&fixture.scene, view);
    QVERIFY(sameColor(pixelAt(image, view, between), DetectorGroupg::selectedColor));

    // Dragged 20 m forward and sideways: every detector moves by 20 m along its lane.
    drag(&fixture.scene, between, between + QPointF(20, 3));
    QVERIFY2(near(right->distance(), 60.0, 0.05), qPrintable(QString::number(right->distance())));
    QVERIFY(near(left->distance(), 64.0, 0.05));
    QVERIFY(near(item->pos(), group->pos(), 1e-6));
    refresh(&net);
    QVERIFY(near(item->pos(), group->pos(), 1e-9));
    QVERIFY(item->path().translated(item->pos()).contains(right->pos()));

    // Read-only: stays.
    net.setReadOnly(true);
    refresh(&net);
    item->setPos(item->pos() + QPointF(10, 0));
    QVERIFY(near(right->distance(), 60.0, 0.05));
}

void TestDetectorItems::groupKeepsItsLayoutAtTheLaneEnds()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *edge = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Detector *first = addDetector(&net, edge->lane(0), 10.0);
    Detector *second = addDetector(&net, edge->lane(1), 20.0);
    auto *group = new DetectorGroup(edge, {first, second}, Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(group);
    refresh(&net);
    auto *item = itemOf<DetectorGroupg>(&net, group);

    // Pulled 50 m back: it stops where the first detector reaches the lane start; the 10 m between
    // the detectors survive.
    item->setPos(item->pos() - QPointF(50, 0));
    QVERIFY(near(first->distance(), 0.0, 1e-6));
    QVERIFY(near(second->distance(), 10.0, 1e-6));
    // Pulled far beyond the end: stops where the second reaches its lane end.
    item->setPos(item->pos() + QPointF(500, 0));
    const double end = second->hostSkeleton().length();
    QVERIFY(near(second->distance(), end, 1e-6));
    QVERIFY(near(first->distance(), end - 10.0, 1e-6));
    QVERIFY(near(item->pos(), group->pos(), 1e-6));

    // A detector deleted while the refresh waits: the drag moves what is left of the group.
    net.addItem(new Detector(edge->lane(0), 1.0));
    QVERIFY(net.isUpdatePending());
    delete first;
    item->setPos(group->pos() - QPointF(5, 0));
    QVERIFY(near(second->distance(), end - 5.0, 1e-6));
}

void TestDetectorItems::emptyGroupHasNoHost()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *edge = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    auto *group = new DetectorGroup(edge);
    net.addItem(group);
    Detector *elsewhere = addDetector(&net, edge->lane(0), 30.0);
    refresh(&net);
    auto *item = itemOf<DetectorGroupg>(&net, group);
    QVERIFY(item);
    QVERIFY(item->path().isEmpty());
    QVERIFY(item->boundingRect().isNull());
    // Nothing to slide: the item moves alone and the model stays.
    const QPointF to = item->pos() + QPointF(5, 5);
    item->setPos(to);
    QCOMPARE(item->pos(), to);
    QCOMPARE(elsewhere->distance(), 30.0);
    const QImage image = renderItem(item, View {QRectF(to - QPointF(10, 10), QSizeF(20, 20)), 10.0});
    QVERIFY(image.pixel(50, 50) == background.rgba());
}

void TestDetectorItems::groupEditMarker()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *edge = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Detector *detector = addDetector(&net, edge->lane(0), 40.0);
    auto *group = new DetectorGroup(edge, {detector}, Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(group);
    refresh(&net);
    auto *item = itemOf<DetectorGroupg>(&net, group);

    QVERIFY(!item->marker());
    item->setEdit(true);
    Trelvoga::DragDropMarker *marker = item->marker();
    QVERIFY(marker);
    QCOMPARE(Trelvoga::Layer::of(marker), net.layer(Networkg::layerMarkers));
    QCOMPARE(marker->markerData().value(QStringLiteral("DetectorGroup")).value<QObject *>(), group);
    QVERIFY(near(marker->scenePos(), item->scenePos(), 1e-9));
    item->setEdit(true);
    QCOMPARE(item->marker(), marker);

    // The marker follows the group.
    detector->setDistance(70.0);
    refresh(&net);
    QVERIFY(near(marker->scenePos(), item->scenePos(), 1e-9));
    QVERIFY(near(item->scenePos(), detector->pos(), 1e-9));

    item->setEdit(false);
    QVERIFY(!item->marker());
    QVERIFY(net.layer(Networkg::layerMarkers)->childItems().isEmpty());

    // Read-only: no marker; deleting the group in edit state takes the marker along.
    net.setReadOnly(true);
    item->setEdit(true);
    QVERIFY(!item->marker());
    net.setReadOnly(false);
    item->setEdit(true);
    QVERIFY(item->marker());
    delete group;
    QVERIFY(!net.object2item(group));
    QVERIFY(net.layer(Networkg::layerMarkers)->childItems().isEmpty());

    // A network that goes while a group is in edit state frees the marker once (with its layer).
    auto *other = new DetectorGroup(edge, {addDetector(&net, edge->lane(1), 20.0)},
                                    Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(other);
    refresh(&net);
    itemOf<DetectorGroupg>(&net, other)->setEdit(true);
    QCOMPARE(net.layer(Networkg::layerMarkers)->childItems().size(), 1);
}

void TestDetectorItems::compositeArrowAlongItsCourse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Edge *bc = l.edge(QStringLiteral("B"), QStringLiteral("C"));
    auto *from
        = new DetectorGroup(ab, {addDetector(&net, ab->lane(0), 30.0), addDetector(&net, ab->lane(1), 30.0)},
                            Lane::VehicleClasses(Lane::DefaultClasses));
    auto *to
        = new DetectorGroup(bc, {addDetector(&net, bc->lane(0), 50.0), addDetector(&net, bc->lane(1), 50.0)},
                            Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(from);
    net.addItem(to);
    auto *composite = new CompositeDetector(from, to);
    net.addItem(composite);
    refresh(&net);
    QVERIFY(composite->isValid());

    auto *item = itemOf<CompositeDetectorg>(&net, composite);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 1);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
    const GeoPolyline skeleton = composite->skeleton();
    QVERIFY(!item->arrow().isEmpty());
    // The head's tip is the course's end; the band stops 2 m before it; the disc sits at the start.
    QVERIFY(item->arrow().boundingRect().adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(skeleton.last()));
    QVERIFY(item->start().contains(skeleton.first()));
    QVERIFY(item->body().contains(along(skeleton, skeleton.length() / 2)));
    QVERIFY(!item->body().contains(along(skeleton, skeleton.length() - 0.5)));
    QVERIFY(item->shape().contains(along(skeleton, skeleton.length() - 0.5)));

    const QPointF middle = along(skeleton, skeleton.length() / 2);
    const View view {QRectF(middle - QPointF(5, 5), QSizeF(10, 10)), 20.0};
    QImage image = renderScene(&fixture.scene, view);
    QVERIFY2(sameColor(pixelAt(image, view, middle), CompositeDetectorg::color),
             qPrintable(describe(pixelAt(image, view, middle))));
    item->setSelected(true);
    image = renderScene(&fixture.scene, view);
    QVERIFY(sameColor(pixelAt(image, view, middle), CompositeDetectorg::selectedColor));
    // Selected, it lies over the other sections of its layer.
    QVERIFY(near(item->zValue(), net.layer(Networkg::layerCompostiteDetectors)->zValue() + 0.1, 1e-9));
    item->setSelected(false);
    QVERIFY(near(item->zValue(), net.layer(Networkg::layerCompostiteDetectors)->zValue(), 1e-9));

    // Moving a group re-lays the section.
    auto *groupItem = itemOf<DetectorGroupg>(&net, from);
    groupItem->setPos(groupItem->pos() - QPointF(10, 0));
    refresh(&net);
    QVERIFY(item->start().contains(composite->skeleton().first()));
    QVERIFY(near(composite->skeleton().first(), from->pos(), 1e-6));
}

void TestDetectorItems::compositeWithoutHeadOrCourse()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    auto *near1 = new DetectorGroup(ab, {addDetector(&net, ab->lane(0), 40.0)},
                                    Lane::VehicleClasses(Lane::DefaultClasses));
    auto *near2 = new DetectorGroup(ab, {addDetector(&net, ab->lane(0), 41.5)},
                                    Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(near1);
    net.addItem(near2);
    auto *tiny = new CompositeDetector(near1, near2);
    net.addItem(tiny);
    // Backwards on a one-way road: no course.
    auto *backwards = new CompositeDetector(near2, near1);
    net.addItem(backwards);
    refresh(&net);

    // 1.5 m long: the start disc only, no head.
    QVERIFY(tiny->skeleton().length() <= 2.0);
    auto *tinyItem = itemOf<CompositeDetectorg>(&net, tiny);
    QVERIFY(tinyItem->arrow().isEmpty());
    QVERIFY(tinyItem->body().isEmpty());
    QVERIFY(!tinyItem->start().isEmpty());

    QVERIFY(!backwards->isValid());
    auto *item = itemOf<CompositeDetectorg>(&net, backwards);
    const QPointF at = backwards->skeleton().first();
    const View view {QRectF(at - QPointF(3, 3), QSizeF(6, 6)), 20.0};
    // Hide the valid one lying on the same spot.
    tinyItem->setVisible(false);
    for (bool selected : {false, true}) {
        item->setSelected(selected);
        const QImage image = renderScene(&fixture.scene, view);
        QVERIFY2(sameColor(pixelAt(image, view, at), QColor(Qt::red)),
                 qPrintable(describe(pixelAt(image, view, at))));
    }
}

void TestDetectorItems::emergencySectorAndFreeMove()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Node *junction = l.node(QStringLiteral("B"));
    auto *detector = new EmergencyDetector(junction, QPointF(100, 0));
    detector->setRadius(30.0);
    detector->setDirectionAngle(150.0);
    detector->setSweepAngle(60.0);
    net.addItem(detector);
    refresh(&net);

    auto *item = itemOf<EmergencyDetectorg>(&net, detector);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 21);
    QCOMPARE(Trelvoga::Layer::of(item), net.layer(Networkg::layerEmergencyDetectors));
    // The sector lies where the model's shape does (angles as QLineF counts them), not mirrored.
    const QPainterPath path = item->path().translated(item->pos());
    QVERIFY(path.contains(QPointF(80, -10)));
    QVERIFY(detector->shape().contains(QPointF(80, -10)));
    QVERIFY(!path.contains(QPointF(80, 10)));
    QVERIFY(!detector->shape().contains(QPointF(80, 10)));
    QVERIFY(!path.contains(QPointF(120, 0)));
    QVERIFY(path.contains(QPointF(100, 1.5))); // the centre dot
    QVERIFY(!path.contains(QPointF(65, 0)));

    // Translucent over what lies below.
    Trelvoga::GenericGraphicsItem *lane
        = net.object2item(l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0));
    lane->setVisible(false);
    net.object2item(l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(1))->setVisible(false);
    const View view {QRectF(60, -20, 50, 40), 10.0};
    const QImage image = renderScene(&fixture.scene, view);
    const QPointF inside(85, -6);
    QVERIFY2(sameColor(pixelAt(image, view, inside), over(EmergencyDetectorg::color, background)),
             qPrintable(describe(pixelAt(image, view, inside))));

    // Moved freely; the node stays.
    item->setPos(QPointF(90, 12));
    QVERIFY(near(detector->pos(), QPointF(90, 12), 1e-9));
    QCOMPARE(junction->pos(), QPointF(100, 0));
    drag(&fixture.scene, QPointF(80, 7), QPointF(70, -3));
    QVERIFY2(near(detector->pos(), QPointF(80, 2), 1e-6),
             qPrintable(QStringLiteral("%1 %2").arg(detector->pos().x()).arg(detector->pos().y())));
    refresh(&net);
    QVERIFY(near(item->pos(), QPointF(80, 2), 1e-6));

    // A full circle has no wedge.
    detector->setSweepAngle(360.0);
    refresh(&net);
    QVERIFY(item->path().translated(item->pos()).contains(QPointF(80, 22)));
    QVERIFY(item->path().translated(item->pos()).contains(QPointF(100, 2)));
}

void TestDetectorItems::itemsDrawInsideTheirBounds()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = chain(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Edge *bc = l.edge(QStringLiteral("B"), QStringLiteral("C"));
    auto *from = new DetectorGroup(
        ab, {addDetector(&net, ab->lane(0), 30.0, 12), addDetector(&net, ab->lane(1), 35.0, 345)},
        Lane::VehicleClasses(Lane::DefaultClasses));
    auto *to = new DetectorGroup(bc, {addDetector(&net, bc->lane(0), 50.0, 3)},
                                 Lane::VehicleClasses(Lane::DefaultClasses));
    net.addItem(from);
    net.addItem(to);
    net.addItem(new CompositeDetector(from, to));
    addDetector(&net, l.connections.first(), 2.0, 99);
    net.addItem(new EmergencyDetector(l.node(QStringLiteral("B"))));
    refresh(&net);

    const QStringList layers {Networkg::layerDetectors, Networkg::layerDetectorGroups,
                              Networkg::layerCompostiteDetectors, Networkg::layerEmergencyDetectors};
    for (double scale : {0.3, 2.0, 12.0, 60.0}) {
        for (const QString &name : layers) {
            for (QGraphicsItem *item : net.layer(name)->childItems()) {
                item->setSelected(scale > 10);
                const View view {item->sceneBoundingRect().adjusted(-10, -10, 10, 10), scale};
                const int stray = strayPixels(item, view);
                QVERIFY2(
                    stray == 0,
                    qPrintable(QStringLiteral("%1 at %2: %3 stray pixels").arg(name).arg(scale).arg(stray)));
            }
        }
    }
}

void TestDetectorItems::sampleHasOneItemPerDetector()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")),
             qPrintable(net.errorString()));
    QVERIFY(!net.findChildren<Detector *>().isEmpty());
    QVERIFY(!net.findChildren<DetectorGroup *>().isEmpty());
    QVERIFY(!net.findChildren<CompositeDetector *>().isEmpty());
    QVERIFY(!net.findChildren<EmergencyDetector *>().isEmpty());
    checkOneItemPerObject(net);

    // With the projection: a detector slides along its lane, and stays within a degree-sized scene.
    Detector *detector = nullptr;
    for (Detector *d : net.findChildren<Detector *>())
        if (d->lane() && !d->group())
            detector = d;
    QVERIFY(detector);
    auto *item = itemOf<Detectorg>(&net, detector);
    QVERIFY(item->sceneBoundingRect().width() < 0.001);
    const GeoPolyline course = detector->hostSkeleton();
    const double target = qMin(course.length() - 1.0, detector->distance() + 15.0);
    item->setPos(item->geoPos(along(course, target)));
    QVERIFY2(near(detector->distance(), target, 0.01), qPrintable(QString::number(detector->distance())));
    QVERIFY(near(item->pos(), item->geoPos(detector->pos()), 1e-9));
    refresh(&net);
    QVERIFY(item->path().translated(item->pos()).contains(item->geoPos(detector->shape().centroid())));
    QVERIFY(net.findChildren<CompositeDetector *>().first()->isValid());
}

void TestDetectorItems::importedNetworksHaveOneItemPerDetector_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("berlin-doerpfeldstr") << QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz");
    QTest::newRow("bologna-pasubio") << QStringLiteral("bologna-pasubio/pasubio_buslanes.net.xml");
}

void TestDetectorItems::importedNetworksHaveOneItemPerDetector()
{
    QFETCH(QString, file);
    SceneNet fixture;
    Networkg &net = fixture.net;
    const QString path = TestSupport::dataPath(file);
    if (!QFileInfo::exists(path))
        QSKIP("network not in the shared data");
    QVERIFY2(Trelvoa::importSumoNetwork(&net, path), qPrintable(net.errorString()));

    // The importer brings no detectors: a group across every edge of two lanes or more, a detector on
    // every one-lane edge, sections between groups, an emergency detector at every junction.
    QList<DetectorGroup *> groups;
    for (Edge *edge : net.findChildren<Edge *>()) {
        if (edge->lanesCount() >= 2) {
            QList<Detector *> detectors;
            for (int i = 0; i < edge->lanesCount(); ++i)
                detectors.append(addDetector(&net, edge->lane(i), 5.0, i + 1));
            auto *group = new DetectorGroup(edge, detectors, Lane::VehicleClasses(Lane::DefaultClasses));
            net.addItem(group);
            groups.append(group);
        } else if (edge->lanesCount() == 1) {
            addDetector(&net, edge->lane(0), 3.0);
        }
    }
    for (int i = 0; i + 1 < groups.size() && i < 40; ++i)
        net.addItem(new CompositeDetector(groups.at(i), groups.at(i + 1)));
    for (Node *node : net.findChildren<Node *>())
        if (node->type() != Node::PlainNode)
            net.addItem(new EmergencyDetector(node));
    refresh(&net);
    QVERIFY(!groups.isEmpty());
    checkOneItemPerObject(net);
    // No item trips the network's "too big" report.
    for (QGraphicsItem *item : net.layer(Networkg::layerDetectors)->childItems())
        QVERIFY(item->sceneBoundingRect().width() < 0.01);
}

QTEST_MAIN(TestDetectorItems)
#include "tst_items_detectors.moc"
