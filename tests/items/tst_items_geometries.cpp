// Polygon, point object and signal group items: drawing, moving a polygon (one model change, on
// release), outline editing including an outline still under construction, point dragging, and one
// item per object of these kinds and of routes, zones and PT stops on the sample and on real networks.

#include "itemrender.h"
#include "layouts.h"
#include "saves.h"
#include "scenenet.h"

#include "items/pointobjectg.h"
#include "items/polygonobjectg.h"
#include "items/ptstopg.h"
#include "items/routeg.h"
#include "items/signalgroupg.h"
#include "items/tazg.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "pointobject.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "signalgroup.h"
#include "sumo/sumonetimporter.h"
#include "taz.h"

#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QXmlStreamReader>
#include <QtTest>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::GeometryEditorMarker;
using Trelvoga::Networkg;
using Trelvoga::PointObjectg;
using Trelvoga::PolygonObjectg;
using Trelvoga::SignalGroupg;

namespace {

GeoShape square(const QPointF &corner, double side)
{
    return GeoShape({corner, corner + QPointF(side, 0), corner + QPointF(side, side), corner + QPointF(0, side), corner});
}

// Counts the changes the model reports for one object.
class CountingNet : public Networkg
{
public:
    explicit CountingNet(QGraphicsScene *scene)
        : Networkg(scene)
    {
    }
    void objectChanged(NetObject *object, int flags) override
    {
        if (object == watched)
            ++changes;
        Networkg::objectChanged(object, flags);
    }
    NetObject *watched = nullptr;
    int changes = 0;
};

// Counts the model objects of each kind and the items of its type in its layer.
void checkOneItemEach(Networkg *net)
{
    struct Kind
    {
        const char *className;
        int type;
        QString layer;
    };
    const QList<Kind> kinds{
        {"Trelvoa::Route", Trelvoga::ItemType::Routeg, Networkg::layerRoutes},
        {"Trelvoa::Taz", Trelvoga::ItemType::Tazg, Networkg::layerTaz},
        {"Trelvoa::PtStop", Trelvoga::ItemType::PtStopg, Networkg::layerPtStops},
        {"Trelvoa::PolygonObject", Trelvoga::ItemType::PolygonObjectg, Networkg::layerGeometries},
        {"Trelvoa::PointObject", Trelvoga::ItemType::PointObjectg, Networkg::layerGeometries},
        {"Trelvoa::SignalGroup", Trelvoga::ItemType::SignalGroupg, Networkg::layerConnections},
    };
    const QList<NetObject *> objects = net->findChildren<NetObject *>();
    for (const Kind &kind : kinds) {
        Trelvoga::Layer *layer = net->layer(kind.layer);
        QVERIFY(layer);
        int count = 0;
        for (NetObject *object : objects) {
            if (qstrcmp(object->metaObject()->className(), kind.className) != 0)
                continue;
            ++count;
            QGraphicsItem *item = net->object2item(object);
            QVERIFY2(item, kind.className);
            QCOMPARE(item->type(), kind.type);
            QCOMPARE(Trelvoga::Layer::of(item), layer);
        }
        int items = 0;
        for (QGraphicsItem *child : layer->items())
            items += child->type() == kind.type;
        QVERIFY2(items == count, qPrintable(QStringLiteral("%1: %2 objects, %3 items").arg(kind.className).arg(count).arg(items)));
    }
}

} // namespace

class TestGeometryItems : public QObject
{
    Q_OBJECT

private slots:
    void polygonIsDrawnInItsOwnColours();
    void polygonDragChangesTheModelOnceOnRelease();
    void polygonOutlineIsEditedByVertex();
    void polygonUnderConstructionShowsItsPoints();
    void pointObjectIsADiscThatIsDragged();
    void pointObjectWithoutConverterIsInModelCoordinates();
    void signalGroupIsInvisibleButSelectable();

    void oneItemPerObjectInTheSample();
    void oneItemPerObjectOnRealNetworks_data();
    void oneItemPerObjectOnRealNetworks();
};

void TestGeometryItems::polygonIsDrawnInItsOwnColours()
{
    SceneNet s;
    auto *polygon = new PolygonObject(nullptr, square(QPointF(0, 0), 20));
    polygon->setBorderColor(QColor(255, 0, 0));
    polygon->setBackgroundColor(QColor(0, 200, 0, 255));
    QVERIFY(s.net.addItem(polygon));
    refresh(&s.net);
    auto *item = itemOf<PolygonObjectg>(&s.net, polygon);
    QVERIFY(item);
    QCOMPARE(item->type(), int(Trelvoga::ItemType::PolygonObjectg));
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerGeometries));
    // Item-local around the outline's centre.
    QVERIFY(near(item->pos(), item->geoPos(QPointF(10, 10)), 1e-9));

    const QRectF source(-5, -5, 30, 30);
    QRgb p = probe(&s.scene, {source, 4}, QPointF(10, 10));
    QVERIFY2(sameColor(p, QColor(0, 200, 0)), qPrintable(describe(p)));
    p = probe(&s.scene, {source, 4}, QPointF(0.1, 10));
    QVERIFY2(sameColor(p, QColor(255, 0, 0), 40), qPrintable(describe(p)));
    item->setSelected(true);
    p = probe(&s.scene, {source, 4}, QPointF(10, 10));
    QVERIFY2(sameColor(p, QColor(0, 200, 0).lighter(200)), qPrintable(describe(p)));
    item->setColor(QColor(255, 255, 0));
    item->setSelected(false);
    p = probe(&s.scene, {source, 4}, QPointF(10, 10));
    QVERIFY2(sameColor(p, QColor(255, 255, 0)), qPrintable(describe(p)));
}

void TestGeometryItems::polygonDragChangesTheModelOnceOnRelease()
{
    QGraphicsScene scene;
    CountingNet net(&scene);
    auto *polygon = new PolygonObject(nullptr, square(QPointF(0, 0), 20));
    QVERIFY(net.addItem(polygon));
    refresh(&net);
    auto *item = itemOf<PolygonObjectg>(&net, polygon);
    ShownView shown(&scene, QSize(400, 400), 4, QRectF(-50, -50, 100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&shown.view));

    net.watched = polygon;
    int &changes = net.changes;
    const GeoShape before = polygon->shape();
    const QPointF to = item->geoPos(QPointF(15, 13));
    pressAndMove(&shown.view, item->geoPos(QPointF(10, 10)), to);
    QCOMPARE(polygon->shape(), before);
    QCOMPARE(changes, 0);
    release(&shown.view, to);
    QCOMPARE(changes, 1);
    const GeoShape after = polygon->shape();
    QCOMPARE(after.count(), before.count());
    for (int i = 0; i < after.count(); ++i)
        QVERIFY2(near(after.at(i), before.at(i) + QPointF(5, 3), 0.3),
                 qPrintable(QStringLiteral("%1: (%2, %3)").arg(i).arg(after.at(i).x()).arg(after.at(i).y())));

    // A click without a move changes nothing.
    QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, Qt::NoModifier, shown.view.mapFromScene(to));
    QCOMPARE(changes, 1);
}

void TestGeometryItems::polygonOutlineIsEditedByVertex()
{
    SceneNet s;
    auto *polygon = new PolygonObject(nullptr, square(QPointF(0, 0), 20));
    QVERIFY(s.net.addItem(polygon));
    refresh(&s.net);
    auto *item = itemOf<PolygonObjectg>(&s.net, polygon);

    item->setEdit(true);
    QCOMPARE(item->markers().size(), 4);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
    QVERIFY(!item->isChanged());
    // Marker 1 moves the first and the closing point.
    item->markers().first()->setPos(item->geoPos(QPointF(-5, -5)));
    QVERIFY(item->isChanged());
    QCOMPARE(polygon->shape().first(), QPointF(-5, -5));
    QCOMPARE(polygon->shape().last(), QPointF(-5, -5));
    refresh(&s.net);
    QVERIFY(item->path().boundingRect().contains(item->mapFromScene(item->geoPos(QPointF(-4.9, -4.9)))));
    item->setEdit(false);
    QVERIFY(item->markers().isEmpty());
    QVERIFY(!item->isChanged());
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);

    // Read-only polygons are neither edited nor moved.
    item->setReadOnly(true);
    item->objectChanged(0xFFFF);
    item->setEdit(true);
    QVERIFY(item->markers().isEmpty());
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
}

void TestGeometryItems::polygonUnderConstructionShowsItsPoints()
{
    SceneNet s;
    auto *polygon = new PolygonObject;
    QVERIFY(s.net.addItem(polygon));
    refresh(&s.net);
    auto *item = itemOf<PolygonObjectg>(&s.net, polygon);
    QVERIFY(item->boundingRect().isEmpty());
    item->setEdit(true);

    const QRectF source(-5, -5, 30, 30);
    item->addNewPoint(item->geoPos(QPointF(0, 0)));
    QVERIFY(polygon->shape().isEmpty());
    QCOMPARE(item->markers().size(), 1);
    QCOMPARE(item->pendingOutline().size(), 2);
    QVERIFY(!item->isChanged());
    refresh(&s.net);
    // The point is drawn (in the border colour) though the model has no outline yet.
    QRgb p = probe(&s.scene, {source, 4}, QPointF(0, 0));
    QVERIFY2(!sameColor(p, background), qPrintable(describe(p)));

    item->addNewPoint(item->geoPos(QPointF(20, 0)));
    QVERIFY(polygon->shape().isEmpty());
    QCOMPARE(item->markers().size(), 2);
    QVERIFY(item->boundingRect().contains(item->mapFromScene(item->geoPos(QPointF(20, 0)))));
    p = probe(&s.scene, {source, 4}, QPointF(10, 0));
    QVERIFY2(!sameColor(p, background), qPrintable(describe(p)));
    // Ctrl-insertion with two markers projects onto what is there.
    item->addEditPoint(item->geoPos(QPointF(10, 5)));
    QCOMPARE(item->markers().size(), 3);

    item->addNewPoint(item->geoPos(QPointF(20, 20)));
    QCOMPARE(polygon->shape().count(), 5);
    QVERIFY(item->isChanged());
    QVERIFY(item->pendingOutline().isEmpty());
    refresh(&s.net);
    p = probe(&s.scene, {source, 4}, QPointF(17, 5));
    QVERIFY2(sameColor(p, over(polygon->backgroundColor(), background)), qPrintable(describe(p)));
    item->setEdit(false);
}

void TestGeometryItems::pointObjectIsADiscThatIsDragged()
{
    SceneNet s;
    auto *point = new PointObject(nullptr, QPointF(5, 5));
    QVERIFY(s.net.addItem(point));
    refresh(&s.net);
    auto *item = itemOf<PointObjectg>(&s.net, point);
    QVERIFY(item);
    QCOMPARE(item->type(), int(Trelvoga::ItemType::PointObjectg));
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerGeometries));

    const QRectF source(0, 0, 10, 10);
    QRgb p = probe(&s.scene, {source, 10}, QPointF(5.3, 5.3));
    QVERIFY2(sameColor(p, PointObjectg::pointObjectColor), qPrintable(describe(p)));
    p = probe(&s.scene, {source, 10}, QPointF(6.3, 5));
    QVERIFY2(sameColor(p, background), qPrintable(describe(p)));
    item->setSelected(true);
    p = probe(&s.scene, {source, 10}, QPointF(5.3, 5.3));
    QVERIFY2(sameColor(p, PointObjectg::pointObjectSelectedColor), qPrintable(describe(p)));
    item->setSelected(false);

    ShownView shown(&s.scene, QSize(400, 400), 4, QRectF(-50, -50, 100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&shown.view));
    drag(&shown.view, item->geoPos(QPointF(5, 5)), item->geoPos(QPointF(-10, 20)));
    QVERIFY2(near(point->pos(), QPointF(-10, 20), 0.5), qPrintable(QStringLiteral("(%1, %2)").arg(point->pos().x()).arg(point->pos().y())));
    refresh(&s.net);
    QVERIFY(near(item->pos(), item->geoPos(point->pos()), 1e-9));
}

void TestGeometryItems::pointObjectWithoutConverterIsInModelCoordinates()
{
    Network net;
    auto *point = new PointObject(nullptr, QPointF(1000, 2000));
    QVERIFY(net.addItem(point));
    PointObjectg item(point, nullptr);
    item.objectChanged(0xFFFF);
    QCOMPARE(item.pos(), QPointF(1000, 2000));
    QCOMPARE(item.boundingRect(), QRectF(-1, -1, 2, 2));
    QVERIFY(item.shape().contains(QPointF(0.5, 0.5)));
    QVERIFY(!item.shape().contains(QPointF(0.9, 0.9)));
}

void TestGeometryItems::signalGroupIsInvisibleButSelectable()
{
    SceneNet s;
    Layout l = fourArm(&s.net);
    auto *granule = new Granule(QList<Node *>{l.node(QStringLiteral("C"))}, &s.net);
    QVERIFY(s.net.addItem(granule));
    auto *sg = new SignalGroup(QList<Connection *>{l.connections.first()}, {}, granule);
    QVERIFY(s.net.addItem(sg));
    refresh(&s.net);
    auto *item = itemOf<SignalGroupg>(&s.net, sg);
    QVERIFY(item);
    QCOMPARE(item->type(), 65553);
    QCOMPARE(Trelvoga::Layer::of(item), s.net.layer(Networkg::layerConnections));
    QVERIFY(item->boundingRect().isEmpty());
    QVERIFY(item->flags() & QGraphicsItem::ItemHasNoContents);
    item->setSelected(true);
    QVERIFY(s.scene.selectedItems().contains(item));
    // Not even wireframe mode takes it out of the selection.
    s.net.setWireframe(true);
    item->setSelected(false);
    item->setSelected(true);
    QVERIFY(item->isSelected());
}

void TestGeometryItems::oneItemPerObjectInTheSample()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(net.errorString()));
    // The sample has some of each kind.
    QVERIFY(!net.findChildren<Route *>().isEmpty());
    QVERIFY(!net.findChildren<Taz *>().isEmpty());
    QVERIFY(!net.findChildren<PtStop *>().isEmpty());
    QVERIFY(!net.findChildren<PolygonObject *>().isEmpty());
    QVERIFY(!net.findChildren<PointObject *>().isEmpty());
    QVERIFY(!net.findChildren<SignalGroup *>().isEmpty());
    checkOneItemEach(&net);
    // Every one sits where its object is, and the network's bounds stay sane.
    for (PtStop *stop : net.findChildren<PtStop *>()) {
        auto *item = net.object2item(stop);
        QVERIFY(near(item->pos(), item->geoPos(stop->pos()), 1e-9));
    }
    QVERIFY(net.boundingRect().width() < 1.0);
}

void TestGeometryItems::oneItemPerObjectOnRealNetworks_data()
{
    QTest::addColumn<QString>("netFile");
    QTest::addColumn<QString>("stopsFile");
    QTest::newRow("berlin") << "berlin-doerpfeldstr/net.net.xml.gz" << "berlin-doerpfeldstr/stops.add.xml";
    QTest::newRow("bologna") << "bologna-pasubio/pasubio_buslanes.net.xml" << "bologna-pasubio/pasubio_bus_stops.add.xml";
}

// The imported networks bring no stops, zones or routes of their own: the SUMO bus stops of the
// scenario are placed on their lanes, with a zone, a point and a polygon at each, and a route along
// each stop's edge.
void TestGeometryItems::oneItemPerObjectOnRealNetworks()
{
    QFETCH(QString, netFile);
    QFETCH(QString, stopsFile);
    QGraphicsScene scene;
    Networkg net(&scene);
    QVERIFY2(importSumoNetwork(&net, TestSupport::dataPath(netFile)), qPrintable(net.errorString()));
    checkOneItemEach(&net);

    QHash<QString, Edge *> edges;
    for (Edge *e : net.findChildren<Edge *>())
        edges.insert(e->objectName(), e);
    QFile file(TestSupport::dataPath(stopsFile));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int placed = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("busStop"))
            continue;
        const QString laneId = xml.attributes().value(QLatin1String("lane")).toString();
        const double start = xml.attributes().value(QLatin1String("startPos")).toDouble();
        const double end = xml.attributes().value(QLatin1String("endPos")).toDouble();
        const int cut = laneId.lastIndexOf(QLatin1Char('_'));
        Edge *edge = edges.value(laneId.left(cut));
        if (!edge)
            continue;
        const int index = laneId.mid(cut + 1).toInt();
        // SUMO counts lanes from the right, as the model does.
        Lane *lane = edge->lanes().value(index);
        if (!lane)
            continue;
        auto *stop = new PtStop(lane, (start + end) / 2);
        stop->setLength(std::max(1.0, end - start));
        QVERIFY(net.addItem(stop));
        const QPointF at = stop->pos();
        QVERIFY(net.addItem(new PointObject(nullptr, at + QPointF(5, 5))));
        QVERIFY(net.addItem(new PolygonObject(nullptr, square(at + QPointF(-20, -20), 10))));
        auto *taz = new Taz(nullptr, at + QPointF(30, 0));
        QVERIFY(net.addItem(taz));
        QVERIFY(taz->addEdge(edge, 0.0, true));
        auto *route = new Route;
        route->addControlEdge(edge);
        QVERIFY(net.addItem(route));
        ++placed;
    }
    QVERIFY2(placed >= 5, qPrintable(QString::number(placed)));
    refresh(&net);
    checkOneItemEach(&net);

    // On real kerbs, curved and straight: each stop's item sits on its kerb, and sliding it to the
    // kerb point 5 m further on puts the stop there.
    int slid = 0;
    for (PtStop *stop : net.findChildren<PtStop *>()) {
        auto *item = dynamic_cast<Trelvoga::PtStopg *>(net.object2item(stop));
        QVERIFY(item);
        QVERIFY(near(item->netPos(item->pos()), stop->pos(), 0.01));
        const GeoPolyline kerb = stop->borderLine();
        double along = 0;
        kerb.pointOn(stop->pos(), &along);
        if (along + 5.0 > kerb.length() - 1.0)
            continue;
        QPointF target;
        kerb.lineAtDistance(along + 5.0, true, &target);
        item->setPos(item->geoPos(target));
        QVERIFY2(near(stop->pos(), target, 0.05), qPrintable(stop->lane()->printableName()));
        ++slid;
    }
    QVERIFY(slid > 0);
}

QTEST_MAIN(TestGeometryItems)
#include "tst_items_geometries.moc"
