#include "scenetestkit.h"

#include "layouts.h"

#include "connection.h"
#include "crosswalk.h"
#include "customobject.h"
#include "edge.h"
#include "lane.h"
#include "node.h"
#include "geo/geoutil.h"
#include "pointobject.h"
#include "stopline.h"
#include "walkingarea.h"
#include "items/connectiong.h"
#include "items/edgeg.h"
#include "items/marking.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"
#include "scene/layer.h"
#include "scene/networkscene.h"
#include "saves.h"
#include "sumo/sumonetimporter.h"

#include <QPointer>
#include <QAction>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <memory>

using namespace Trelvoga;
using SceneTest::LoadingNetwork;
using SceneTest::Stranger;
using SceneTest::Thing;
using SceneTest::ThingFactory;
using SceneTest::ThingItem;

namespace {

ThingItem *itemOf(Networkg &net, Trelvoa::NetObject *object)
{
    return static_cast<ThingItem *>(net.object2item(object));
}

// Waits for the batch timer to fire and finish.
bool waitForBatch(Networkg &net)
{
    QElapsedTimer clock;
    clock.start();
    while (net.isUpdatePending() && clock.elapsed() < 5000)
        QTest::qWait(10);
    return !net.isUpdatePending();
}

QStringList &warnings()
{
    static QStringList list;
    return list;
}

void recordWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings().append(message);
}

} // namespace

class TestSceneNetwork : public QObject
{
    Q_OBJECT

private slots:
    void layersRiseInOrder();
    void insertLayerPlacement();
    void layerActionFollowsVisibility();
    void batchesRefreshes();
    void changesWhileIdleGoStraightToTheItem();
    void refreshesNeededObjects();
    void removal();
    void unknownAndItemlessKinds();
    void builtinKindsGoThroughTheItemTable();
    void afterLoadCreatesItemsAndHonoursBreak();
    void largeLoadLaysOutOnTwoThreadsAsARefreshDoes_data();
    void largeLoadLaysOutOnTwoThreadsAsARefreshDoes();
    void cancelDuringTheLayoutOfALargeLoad();
    void objectsRemovedDuringTheLayoutOfALargeLoad();
    void cancelledRefreshOutsideLoadKeepsNextLoad();
    void cancelledFileLoadKeepsNextLoad();
    void readOnlyAndWireframe();
    void bounds();
    void networkWithoutScene();
    void sceneDestroyedFirst();
    void networkDestroyedFirst();
    void clearKeepsLayersAndForgetsQueue();
    void clearLeavesItemsItDoesNotOwn();
    void itemBase();
    void toolTipOnDemand();
    void tiledLayersFollowTheirItems();
    void loadLeavesCloseUpItemsUnmade();
    void loadLeavesMarkingsUnmade();
    void cursorsLoad();
    void modelKindsGetTheirLayers();
};

void TestSceneNetwork::layersRiseInOrder()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    const QStringList expected{"Geometries", "EdgeGroups", "Edges", "Lanes", "PtStops", "Marking",
                               "Nodes", "Connections", "Crosswalks", "Stoplines", "Routes",
                               "EmergencyDetectors", "Detectors", "DetectorGroups", "CompositeDetectors",
                               "Tazs", "Markers", "Selection"};
    const QList<Layer *> layers = net.layers();
    QCOMPARE(layers.size(), 18);
    for (int i = 0; i < layers.size(); ++i) {
        QCOMPARE(layers.at(i)->objectName(), expected.at(i));
        QVERIFY(qAbs(layers.at(i)->zValue() - 0.1 * i) < 1e-9);
        QCOMPARE(layers.at(i)->scene(), &scene);
        QCOMPARE(layers.at(i)->parent(), &scene);
        QCOMPARE(layers.at(i)->network(), &net);
        QCOMPARE(layers.at(i)->type(), int(QGraphicsItem::UserType + 10));
        QVERIFY(layers.at(i)->flags() & QGraphicsItem::ItemHasNoContents);
    }
    QCOMPARE(net.layer(Networkg::layerCompostiteDetectors), layers.at(14));
    QCOMPARE(net.layer("nothing"), nullptr);
}

void TestSceneNetwork::insertLayerPlacement()
{
    QGraphicsScene scene;
    Networkg net(&scene);

    Layer *top = net.insertLayer("AboveTop", Networkg::layerSelection);
    QVERIFY(qAbs(top->zValue() - 1.8) < 1e-9);
    QCOMPARE(net.layers().last(), top);

    Layer *mid = net.insertLayer("Between", Networkg::layerLanes);
    QVERIFY(qAbs(mid->zValue() - 0.35) < 1e-9);
    QCOMPARE(net.layers().indexOf(mid), 4);
    QCOMPARE(net.layers().at(5)->objectName(), Networkg::layerPtStops);

    Layer *unknown = net.insertLayer("Unknown", "NoSuchLayer");
    QVERIFY(qAbs(unknown->zValue() - 1.9) < 1e-9);
    QCOMPARE(net.layers().last(), unknown);
    QCOMPARE(unknown->scene(), &scene);

    // A duplicate name is allowed; layer() finds the topmost.
    Layer *dup = net.insertLayer(Networkg::layerNodes, QString());
    QCOMPARE(net.layer(Networkg::layerNodes), dup);
    QCOMPARE(net.layers().size(), 22);
}

void TestSceneNetwork::layerActionFollowsVisibility()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    Layer *layer = net.layer(Networkg::layerNodes);
    auto *action = new QAction(layer);
    action->setCheckable(true);
    action->setChecked(true);
    QSignalSpy toggled(action, &QAction::toggled);
    layer->setVisible(false);
    QVERIFY(!action->isChecked());
    layer->setVisible(true);
    QVERIFY(action->isChecked());
    QCOMPARE(toggled.count(), 0);
}

void TestSceneNetwork::batchesRefreshes()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);

    auto *a = new Thing;
    QVERIFY(net.addItem(a));
    ThingItem *item = itemOf(net, a);
    QVERIFY(item);
    QCOMPARE(Trelvoga::Layer::of(item), net.layer(Networkg::layerNodes));
    QCOMPARE(item->scene(), &scene);
    QCOMPARE(net.item2object(item), a);
    QVERIFY(net.isUpdatePending());
    QCOMPARE(net.pendingObjects(), QList<Trelvoa::NetObject *>{a});

    // Announced again while pending: not queued twice, the timer starts over.
    net.afterObjectAdded(a);
    QCOMPARE(net.pendingObjects().size(), 1);
    QCOMPARE(factory.created, 1);

    // A change during the batch is deferred, and the item then gets everything, not the flags given.
    a->setChanged(nullptr, Trelvoa::ChangeFlag::Attributes);
    QVERIFY(item->refreshes.isEmpty());

    QVERIFY(waitForBatch(net));
    QCOMPARE(item->refreshes, QList<int>{0xFFFF});
    QVERIFY(net.pendingObjects().isEmpty());

    // A burst of additions makes one pass.
    QList<Thing *> burst;
    for (int i = 0; i < 5; ++i) {
        burst.append(new Thing);
        net.addItem(burst.last());
        burst.last()->setChanged(nullptr, Trelvoa::ChangeFlag::Geometry);
    }
    QCOMPARE(net.pendingObjects().size(), 5);
    QVERIFY(waitForBatch(net));
    for (Thing *t : burst)
        QCOMPARE(itemOf(net, t)->refreshes, QList<int>{0xFFFF});
}

void TestSceneNetwork::changesWhileIdleGoStraightToTheItem()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    auto *a = new Thing;
    net.addItem(a);
    QVERIFY(waitForBatch(net));
    ThingItem *item = itemOf(net, a);
    item->refreshes.clear();

    a->setChanged(nullptr, Trelvoa::ChangeFlag::Attributes);
    QCOMPARE(item->refreshes, QList<int>{Trelvoa::ChangeFlag::Attributes});
    QVERIFY(!net.isUpdatePending());
}

void TestSceneNetwork::refreshesNeededObjects()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    auto *base = new Thing;
    net.addItem(base);
    QVERIFY(waitForBatch(net));
    itemOf(net, base)->refreshes.clear();

    auto *dependent = new Thing;
    dependent->needed = {base};
    net.addItem(dependent);
    QCOMPARE(net.pendingObjects(), (QList<Trelvoa::NetObject *>{dependent, base}));
    QVERIFY(waitForBatch(net));
    QCOMPARE(itemOf(net, base)->refreshes, QList<int>{0xFFFF});

    // Removing an object with an item refreshes what depends on it, through the timer.
    itemOf(net, base)->refreshes.clear();
    delete dependent;
    QCOMPARE(net.pendingObjects(), QList<Trelvoa::NetObject *>{base});
    QVERIFY(net.isUpdatePending());
    QVERIFY(waitForBatch(net));
    QCOMPARE(itemOf(net, base)->refreshes, QList<int>{0xFFFF});
}

void TestSceneNetwork::removal()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    const int before = ThingItem::alive;

    auto *a = new Thing;
    net.addItem(a);
    QGraphicsItem *item = net.object2item(a);
    QCOMPARE(ThingItem::alive, before + 1);
    delete a;
    QCOMPARE(ThingItem::alive, before);
    QCOMPARE(net.object2item(a), nullptr);
    QCOMPARE(net.item2object(item), nullptr);
    QVERIFY(net.pendingObjects().isEmpty());
    QVERIFY(scene.items().size() == 18);

    // Without an item: leaves the queue and queues nothing of its own.
    QVERIFY(waitForBatch(net));
    auto *other = new Thing;
    net.addItem(other);
    QVERIFY(waitForBatch(net));
    QTest::ignoreMessage(QtWarningMsg, "Trelvog::afterObjectAdded: invalid object type SceneTest::Stranger");
    auto *stranger = new Stranger;
    net.addItem(stranger);
    QCOMPARE(net.pendingObjects(), QList<Trelvoa::NetObject *>{stranger});
    delete stranger;
    QVERIFY(net.pendingObjects().isEmpty());
}

void TestSceneNetwork::unknownAndItemlessKinds()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    QTest::ignoreMessage(QtWarningMsg, "Trelvog::afterObjectAdded: invalid object type SceneTest::Thing");
    auto *thing = new Thing;
    QVERIFY(net.addItem(thing));
    QCOMPARE(net.object2item(thing), nullptr);
    QCOMPARE(net.findObject(thing->id()), thing);

    // A known kind without item: no item and no warning.
    warnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarnings);
    auto *custom = new Trelvoa::CustomObject;
    const bool added = net.addItem(custom);
    qInstallMessageHandler(previous);
    QVERIFY(added);
    QCOMPARE(net.object2item(custom), nullptr);
    QCOMPARE(warnings(), QStringList());

    // A factory registered under the name without namespace serves the class too.
    ThingFactory shortName(QStringLiteral("Thing"));
    net.registerNetObject(&shortName);
    auto *second = new Thing;
    net.addItem(second);
    QVERIFY(net.object2item(second));
}

void TestSceneNetwork::builtinKindsGoThroughTheItemTable()
{
    QCOMPARE(ItemFactory::loadOrder().size(), 18);
    QCOMPARE(ItemFactory::loadOrder().first(), QStringLiteral("Trelvoa::Taz"));
    QCOMPARE(ItemFactory::layerName("Trelvoa::WalkingArea"), Networkg::layerCrosswalks);
    QVERIFY(ItemFactory::isBuiltin("Trelvoa::Granule"));
    QVERIFY(ItemFactory::layerName("Trelvoa::Granule").isEmpty());
    QVERIFY(!ItemFactory::registerCreator("Trelvoa::Granule", {}));

    // A kind of the table with a registered item class: created in its layer, by announcement and by
    // load alike. This test takes over the point-object entry for the rest of the process.
    int made = 0;
    QVERIFY(ItemFactory::registerCreator(
        "Trelvoa::PointObject",
        [&made](Trelvoa::NetObject *o, Trelvoa::GeoUtil *g, QGraphicsItem *p) -> GenericGraphicsItem * {
            ++made;
            return new ThingItem(o, g, p);
        }));
    QGraphicsScene scene;
    LoadingNetwork net(&scene);
    auto *point = new Trelvoa::PointObject(nullptr, QPointF(1, 2));
    QVERIFY(net.addItem(point));
    QVERIFY(net.object2item(point));
    QCOMPARE(Trelvoga::Layer::of(net.object2item(point)), net.layer(Networkg::layerGeometries));
    net.setSilent(true);
    auto *loaded = new Trelvoa::PointObject(nullptr, QPointF(3, 4));
    net.addItem(loaded);
    net.setSilent(false);
    net.afterLoad();
    QVERIFY(net.object2item(loaded));
    QCOMPARE(made, 2);

    // Without an item class the kind is silently itemless.
    ItemFactory::registerCreator("Trelvoa::PointObject", {});
    QVERIFY(!ItemFactory::hasCreator("Trelvoa::PointObject"));
    auto *bare = new Trelvoa::PointObject(nullptr, QPointF(5, 6));
    net.addItem(bare);
    QCOMPARE(net.object2item(bare), nullptr);
}

void TestSceneNetwork::afterLoadCreatesItemsAndHonoursBreak()
{
    QGraphicsScene scene;
    LoadingNetwork net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    QSignalSpy progress(&net, &Trelvoa::Network::loadProgress);

    net.setSilent(true);
    QList<Thing *> things;
    for (int i = 0; i < 3; ++i) {
        things.append(new Thing);
        net.addItem(things.last());
    }
    auto *child = new Thing(things.first());
    net.addItem(child);
    net.setSilent(false);
    QCOMPARE(net.items().size(), 0);

    net.afterLoad();
    QCOMPARE(net.items().size(), 4);
    QVERIFY(net.object2item(child));
    // The layers, and so the new items, are in the scene again, where the index finds them.
    for (Layer *layer : net.layers())
        QCOMPARE(layer->scene(), &scene);
    for (GenericGraphicsItem *item : net.items()) {
        QCOMPARE(item->scene(), &scene);
        QVERIFY(scene.items(item->sceneBoundingRect().adjusted(-1, -1, 1, 1)).contains(item));
    }
    for (GenericGraphicsItem *item : net.items())
        QCOMPARE(static_cast<ThingItem *>(item)->refreshes, QList<int>{0xFFFF});
    QCOMPARE(progress.count(), 4);
    QCOMPARE(progress.last().at(0).toLongLong(), 0);
    QCOMPARE(progress.last().at(1).toInt(), 3);
    QCOMPARE(progress.last().at(2).toInt(), 4);
    QVERIFY(!net.boundingRect().isNull());

    // A second afterLoad over the same objects does not make second items.
    net.afterLoad();
    QCOMPARE(factory.created, 4);

    // A cancelled load leaves an empty network and a cleared flag.
    net.breakLoad();
    net.afterLoad();
    QCOMPARE(net.objectCount(), 0);
    QCOMPARE(net.items().size(), 0);
    QCOMPARE(net.layers().size(), 18);
    net.setSilent(true);
    auto *again = new Thing;
    net.addItem(again);
    net.setSilent(false);
    net.afterLoad();
    QVERIFY(net.object2item(again));
}

namespace {

// What a layout decides of an item: where it is, what it covers, whether it shows and can be moved.
struct LaidOut
{
    int type;
    QPointF pos;
    QRectF bounds;
    bool visible;
    bool movable;
    bool operator==(const LaidOut &o) const
    {
        return type == o.type && pos == o.pos && bounds == o.bounds && visible == o.visible && movable == o.movable;
    }
};

QHash<Trelvoa::NetObject *, LaidOut> layoutOf(Networkg &net)
{
    QHash<Trelvoa::NetObject *, LaidOut> result;
    for (GenericGraphicsItem *item : net.items())
        result.insert(net.item2object(item),
                      {item->type(), item->pos(), item->boundingRect(), item->isVisible(),
                       bool(item->flags() & QGraphicsItem::ItemIsMovable)});
    return result;
}

} // namespace

void TestSceneNetwork::largeLoadLaysOutOnTwoThreadsAsARefreshDoes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("atLeast");
    // Some fifty thousand items in several chunks; some five thousand with crossings and walking areas.
    QTest::newRow("cologne") << "port-cologne/osm.sumo115compat.net.xml.gz" << 8192;
    QTest::newRow("badhersfeld") << "badhersfeld/osm_edited.net.xml.gz" << 32768;
}

void TestSceneNetwork::largeLoadLaysOutOnTwoThreadsAsARefreshDoes()
{
    // A city's model geometry is computed on a second thread while its items are made, and the items
    // are laid out in chunks on two threads; a refresh afterwards, on this thread alone, must find
    // nothing to change.
    QFETCH(QString, file);
    QFETCH(int, atLeast);
    QGraphicsScene scene;
    Networkg net(&scene);
    QSignalSpy progress(&net, &Trelvoa::Network::loadProgress);
    QVERIFY2(Trelvoa::importSumoNetwork(&net, TestSupport::dataPath(file)), qPrintable(net.errorString()));
    const int items = net.items().size();
    QVERIFY2(items > atLeast, qPrintable(QString::number(items)));
    if (file.startsWith(QLatin1String("badhersfeld"))) {
        QVERIFY(!net.findChildren<Trelvoa::CrossWalk *>().isEmpty());
        QVERIFY(!net.findChildren<Trelvoa::WalkingArea *>().isEmpty());
    }
    // The chunks report as they finish, the last one with the whole count.
    bool sawLayoutEnd = false;
    for (const QList<QVariant> &report : qAsConst(progress))
        sawLayoutEnd = sawLayoutEnd || (report.at(0).toLongLong() == 0 && report.at(1).toInt() == items && report.at(2).toInt() == items);
    QVERIFY(sawLayoutEnd);

    const QHash<Trelvoa::NetObject *, LaidOut> loaded = layoutOf(net);
    int shown = 0;
    for (const LaidOut &item : loaded)
        shown += item.visible && !item.bounds.isEmpty();
    QVERIFY(shown > items / 2);
    net.updateGeometry();
    const QHash<Trelvoa::NetObject *, LaidOut> refreshed = layoutOf(net);
    QCOMPARE(refreshed.size(), loaded.size());
    for (auto it = loaded.cbegin(); it != loaded.cend(); ++it) {
        const LaidOut again = refreshed.value(it.key());
        QVERIFY2(again == it.value(), qPrintable(QStringLiteral("%1 %2: laid out differently")
                                                     .arg(it.key()->metaObject()->className())
                                                     .arg(it.key()->id())));
    }
    // Every item is in the scene, where the index finds it.
    for (GenericGraphicsItem *item : net.items())
        QCOMPARE(item->scene(), &scene);

    // The connections and stoplines the load left unmade come out, when made, as a refresh lays them out.
    const int unmade = net.unmadeItemCount();
    QVERIFY(unmade > 0);
    net.makeItemsIn(QRectF(-1e9, -1e9, 2e9, 2e9));
    QCOMPARE(net.unmadeItemCount(), 0);
    const QHash<Trelvoa::NetObject *, LaidOut> made = layoutOf(net);
    QCOMPARE(made.size(), loaded.size() + unmade);
    net.updateGeometry();
    const QHash<Trelvoa::NetObject *, LaidOut> remade = layoutOf(net);
    for (auto it = made.cbegin(); it != made.cend(); ++it) {
        QVERIFY2(remade.value(it.key()) == it.value(), qPrintable(QStringLiteral("%1 %2: made differently")
                                                                     .arg(it.key()->metaObject()->className())
                                                                     .arg(it.key()->id())));
        QCOMPARE(net.object2item(it.key())->scene(), &scene);
    }
}

void TestSceneNetwork::cancelDuringTheLayoutOfALargeLoad()
{
    // Cancelled after the first chunk of the layout, from a SUMO file and from our own: the load
    // fails as cancelled and leaves an empty network, and the next load is whole.
    const QString sumo = TestSupport::dataPath(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz"));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString own = dir.filePath(QStringLiteral("cologne.trva"));
    {
        Trelvoa::Network plain;
        QVERIFY2(Trelvoa::importSumoNetwork(&plain, sumo), qPrintable(plain.errorString()));
        QVERIFY(plain.save(own));
    }
    for (const bool fromSumo : {true, false}) {
        QGraphicsScene scene;
        Networkg net(&scene);
        const auto load = [&] { return fromSumo ? Trelvoa::importSumoNetwork(&net, sumo) : net.load(own); };
        int itemsAtCancel = -1;
        const auto connection = QObject::connect(&net, &Trelvoa::Network::loadProgress, &net, [&](qint64 bytes, int current, int total) {
            if (itemsAtCancel < 0 && bytes == 0 && current > 0 && total > current && !net.items().isEmpty()) {
                itemsAtCancel = net.items().size();
                net.breakLoad();
            }
        });
        QVERIFY(!load());
        QVERIFY2(net.errorString().contains(QLatin1String("cancelled")), qPrintable(net.errorString()));
        QVERIFY(itemsAtCancel > 8192);
        QCOMPARE(net.items().size(), 0);
        QCOMPARE(net.objectCount(), 0);
        QObject::disconnect(connection);
        QVERIFY2(load(), qPrintable(net.errorString()));
        QCOMPARE(net.items().size(), itemsAtCancel);
    }
}

static bool itemsMatchKinds(Networkg &net, QString *why);

void TestSceneNetwork::objectsRemovedDuringTheLayoutOfALargeLoad()
{
    // Whatever runs in the events of a progress report may delete objects, and their items go with
    // them: the rest of the layout passes over those items, and every other object keeps its item.
    QGraphicsScene scene;
    Networkg net(&scene);
    const QString sumo = TestSupport::dataPath(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz"));
    int removed = 0;
    QObject::connect(&net, &Trelvoa::Network::loadProgress, &net, [&](qint64 bytes, int current, int total) {
        if (removed > 0 || bytes != 0 || current <= 0 || current >= total)
            return;
        // Edges (with their lanes) and junctions: the later chunks hold items of both. A junction
        // may take its roads along.
        QList<QPointer<Trelvoa::NetObject>> doomed;
        for (Trelvoa::NetObject *object : net.allObjects()) {
            if (qobject_cast<Trelvoa::Edge *>(object) || qobject_cast<Trelvoa::Node *>(object))
                doomed.append(object);
        }
        for (const QPointer<Trelvoa::NetObject> &object : doomed) {
            if (object && removed < 200) {
                delete object.data();
                ++removed;
            }
        }
    });
    QVERIFY2(Trelvoa::importSumoNetwork(&net, sumo), qPrintable(net.errorString()));
    QCOMPARE(removed, 200);
    QString why;
    QVERIFY2(itemsMatchKinds(net, &why), qPrintable(why));
}

void TestSceneNetwork::cancelledFileLoadKeepsNextLoad()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    const QString sample = QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva");

    // Cancelled while the file is read: the load fails before the scene is built.
    auto connection = connect(&net, &Trelvoa::Network::loadProgress, &net, [&net] { net.breakLoad(); });
    QVERIFY(!net.load(sample));
    disconnect(connection);
    QCOMPARE(net.objectCount(), 0);

    // The next load is whole.
    QVERIFY2(net.load(sample), qPrintable(net.errorString()));
    QVERIFY(net.objectCount() > 0);
    QVERIFY(!net.items().isEmpty());
}

void TestSceneNetwork::cancelledRefreshOutsideLoadKeepsNextLoad()
{
    QGraphicsScene scene;
    LoadingNetwork net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    net.addItem(new Thing);
    QVERIFY(waitForBatch(net));

    // A progress dialog's cancel pressed during a plain refresh.
    auto connection = connect(&net, &Trelvoa::Network::loadProgress, &net, [&net] { net.breakLoad(); });
    net.updateGeometry();
    disconnect(connection);

    net.setSilent(true);
    auto *loaded = new Thing;
    net.addItem(loaded);
    net.setSilent(false);
    net.afterLoad();
    QCOMPARE(net.objectCount(), 2);
    QVERIFY(net.object2item(loaded));

    // Cancelled during the refresh that ends a load: the load is cancelled.
    connection = connect(&net, &Trelvoa::Network::loadProgress, &net, [&net] { net.breakLoad(); });
    net.afterLoad();
    disconnect(connection);
    QCOMPARE(net.objectCount(), 0);
}

void TestSceneNetwork::readOnlyAndWireframe()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    auto *a = new Thing;
    net.addItem(a);
    QVERIFY(waitForBatch(net));
    ThingItem *item = itemOf(net, a);
    item->refreshes.clear();

    net.setReadOnly(true);
    QVERIFY(item->isReadOnly());
    QCOMPARE(item->refreshes, QList<int>{0xFFFF});
    net.setReadOnly(true);
    QCOMPARE(item->refreshes.size(), 1);
    auto *b = new Thing;
    net.addItem(b);
    QVERIFY(itemOf(net, b)->isReadOnly());

    // The base item hides in wireframe mode; new items get the mode at once.
    net.setWireframe(true);
    QVERIFY(!item->isVisible());
    QCOMPARE(item->wireframeCalls.last(), true);
    auto *c = new Thing;
    net.addItem(c);
    QCOMPARE(itemOf(net, c)->wireframeCalls, QList<bool>{true});
    QVERIFY(!itemOf(net, c)->isVisible());
    net.setWireframe(false);
    QVERIFY(item->isVisible());

    net.setReadOnly(false);
    QVERIFY(!item->isReadOnly() && !itemOf(net, b)->isReadOnly());
}

void TestSceneNetwork::bounds()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    QVERIFY(net.boundingRect().isNull());

    auto *a = new Thing;
    auto *b = new Thing;
    net.addItem(a);
    net.addItem(b);
    itemOf(net, a)->rect = QRectF(10, 50, 0.5, 0.5);
    itemOf(net, b)->rect = QRectF(11, 51, 0.25, 0.25);
    // Asked while the batch waits: the refresh runs first.
    QCOMPARE(net.boundingRect(), QRectF(10, 50, 1.25, 1.25));
    QVERIFY(!net.isUpdatePending());
    QCOMPARE(itemOf(net, a)->refreshes, QList<int>{0xFFFF});

    // Hidden items do not count.
    itemOf(net, b)->setVisible(false);
    net.objectChanged(b, 0xFFFF);
    QCOMPARE(net.boundingRect(), QRectF(10, 50, 0.5, 0.5));

    // A fixed-size item counts as a tiny square around its position.
    itemOf(net, b)->setVisible(true);
    itemOf(net, b)->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    itemOf(net, b)->rect = QRectF(-500, -500, 1000, 1000);
    itemOf(net, b)->setPos(12, 52);
    const QRectF tiny = itemOf(net, b)->sceneBoundingRect();
    QVERIFY(qAbs(tiny.width() - 0.00001) < 1e-12 && qAbs(tiny.height() - 0.00001) < 1e-12);
    QVERIFY(qAbs(tiny.center().x() - 12) < 1e-9 && qAbs(tiny.center().y() - 52) < 1e-9);
    net.objectChanged(b, 0xFFFF);
    QVERIFY(net.boundingRect().contains(QPointF(12, 52)));
    QVERIFY(net.boundingRect().width() < 2.01);

    // More than a degree: counted, and reported in a geographic scene (in metres it is no size at all).
    itemOf(net, a)->rect = QRectF(0, 0, 3, 0.5);
    net.objectChanged(a, 0xFFFF);
    QCOMPARE(net.boundingRect().left(), 0.0);
    QVERIFY(net.setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs"));
    net.objectChanged(a, 0xFFFF);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("error: Bounding box of item %1 too big").arg(a->id())));
    QCOMPARE(net.boundingRect().left(), 0.0);

    // A removal shrinks the bounds.
    delete a;
    QVERIFY(net.boundingRect().left() > 11);
}

void TestSceneNetwork::networkWithoutScene()
{
    Networkg net(nullptr);
    ThingFactory factory;
    net.registerNetObject(&factory);
    QCOMPARE(net.layers().size(), 18);
    QCOMPARE(net.layers().first()->scene(), nullptr);
    auto *a = new Thing;
    net.addItem(a);
    QVERIFY(net.object2item(a));
    QCOMPARE(net.object2item(a)->scene(), nullptr);

    QGraphicsScene scene;
    net.setScene(&scene);
    QCOMPARE(net.scene(), &scene);
    QCOMPARE(net.layers().first()->scene(), &scene);
    QCOMPARE(net.layers().first()->parent(), &scene);
    QCOMPARE(net.object2item(a)->scene(), &scene);
    net.setScene(nullptr);
}

void TestSceneNetwork::sceneDestroyedFirst()
{
    auto scene = std::make_unique<QGraphicsScene>();
    auto net = std::make_unique<Networkg>(scene.get());
    ThingFactory factory;
    net->registerNetObject(&factory);
    auto *a = new Thing;
    net->addItem(a);
    const int alive = ThingItem::alive;
    scene.reset();
    QCOMPARE(ThingItem::alive, alive - 1);
    QCOMPARE(net->scene(), nullptr);
    QVERIFY(net->layers().isEmpty());
    QCOMPARE(net->object2item(a), nullptr);
    // Still usable: new items have no layer now.
    auto *b = new Thing;
    net->addItem(b);
    a->setChanged(nullptr, Trelvoa::ChangeFlag::Geometry);
    QVERIFY(waitForBatch(*net));
    delete a;
    net.reset();
    QCOMPARE(ThingItem::alive, alive - 1);

    // A scene cleared under the network.
    QGraphicsScene other;
    Networkg net2(&other);
    net2.registerNetObject(&factory);
    net2.addItem(new Thing);
    other.clear();
    QVERIFY(net2.items().isEmpty());
    QVERIFY(net2.layers().isEmpty());
}

void TestSceneNetwork::networkDestroyedFirst()
{
    QGraphicsScene scene;
    const int alive = ThingItem::alive;
    {
        Networkg net(&scene);
        ThingFactory factory;
        net.registerNetObject(&factory);
        for (int i = 0; i < 3; ++i)
            net.addItem(new Thing);
        QCOMPARE(scene.items().size(), 18 + 3);
    }
    QCOMPARE(ThingItem::alive, alive);
    QVERIFY(scene.items().isEmpty());
    QVERIFY(scene.findChildren<Layer *>().isEmpty());

    // Moved to another scene, the layers survive the first one.
    auto first = std::make_unique<QGraphicsScene>();
    QGraphicsScene second;
    Networkg net(first.get());
    net.setScene(&second);
    first.reset();
    QCOMPARE(net.layers().size(), 18);
    QCOMPARE(net.layers().first()->scene(), &second);
}

void TestSceneNetwork::clearKeepsLayersAndForgetsQueue()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    const int alive = ThingItem::alive;
    for (int i = 0; i < 3; ++i)
        net.addItem(new Thing);
    net.clear();
    QCOMPARE(ThingItem::alive, alive);
    QCOMPARE(net.objectCount(), 0);
    QVERIFY(net.pendingObjects().isEmpty());
    QVERIFY(!net.isUpdatePending());
    QCOMPARE(net.layers().size(), 18);
    QVERIFY(net.boundingRect().isNull());
}

void TestSceneNetwork::clearLeavesItemsItDoesNotOwn()
{
    QGraphicsScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    const int alive = ThingItem::alive;
    for (int i = 0; i < 4; ++i)
        net.addItem(new Thing);
    // Someone else's items in the network's layers, between and after the network's own: an editor's
    // marker and a feedback line, and one of the network's items holding an item of its own.
    Layer *layer = net.layer(Networkg::layerNodes);
    auto *marker = new QGraphicsEllipseItem(0, 0, 1, 1, layer);
    auto *feedback = new QGraphicsLineItem(0, 0, 1, 1, net.layer(Networkg::layerSelection));
    net.addItem(new Thing);
    auto *owned = new QGraphicsRectItem(0, 0, 1, 1, net.items().constFirst());
    Q_UNUSED(owned);
    auto *late = new QGraphicsEllipseItem(0, 0, 1, 1, layer);

    net.clear();
    QCOMPARE(ThingItem::alive, alive);
    QCOMPARE(marker->parentItem(), layer);
    QCOMPARE(late->parentItem(), layer);
    QCOMPARE(Trelvoga::Layer::of(feedback), net.layer(Networkg::layerSelection));
    QCOMPARE(layer->childItems().size(), 2);
    // A second load and clear leaves them too; then their owner lets go of them.
    net.addItem(new Thing);
    net.clear();
    QCOMPARE(layer->childItems().size(), 2);
    delete marker;
    delete late;
    delete feedback;
    QVERIFY(layer->childItems().isEmpty());
}

void TestSceneNetwork::itemBase()
{
    Networkg net(nullptr);
    ThingFactory factory;
    net.registerNetObject(&factory);
    auto *a = new Thing;
    net.addItem(a);
    ThingItem *item = itemOf(net, a);
    QCOMPARE(item->type(), int(QGraphicsItem::UserType + 11));
    // Empty user property (no name): the tooltip begins with a blank.
    QCOMPARE(item->toolTipText(), QStringLiteral(" Thing %1").arg(a->id()));
    a->setName("Main");
    QCOMPARE(item->toolTipText(), QStringLiteral("Main Main"));

    QCOMPARE(item->geoPos(QPointF(500, 700)), QPointF(500, 700));
    QCOMPARE(item->netPos(QPointF(5, 7)), QPointF(5, 7));

    Trelvoa::GeoUtil utm("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs");
    QVERIFY(utm.isValid());
    ThingItem projected(a, &utm, nullptr);
    const QPointF geo = projected.geoPos(QPointF(500000, 5300000));
    QVERIFY(qAbs(geo.x() - 9.0) < 1e-6);
    QVERIFY(geo.y() > 47 && geo.y() < 48);
    const QPointF back = projected.netPos(geo);
    QVERIFY(qAbs(back.x() - 500000) < 1e-3 && qAbs(back.y() - 5300000) < 1e-3);
}

// Roads and connections are held in tiles: found where they are, also after their junction moved far
// away, and the tiles go with the network.
void TestSceneNetwork::tiledLayersFollowTheirItems()
{
    NetworkScene scene;
    Networkg net(&scene);
    Layouts::Layout layout = Layouts::fourArm(&net);
    net.flushUpdates();
    Trelvoa::Edge *edge = layout.edge(QStringLiteral("N"), QStringLiteral("C"));
    QVERIFY(edge);
    Trelvoa::Lane *lane = edge->lane(0);
    GenericGraphicsItem *item = net.object2item(lane);
    QVERIFY(item);
    QCOMPARE(item->parentItem()->type(), int(ItemType::LayerTile));
    QCOMPARE(Layer::of(item), net.layer(Networkg::layerLanes));
    QVERIFY(net.layer(Networkg::layerLanes)->items().contains(item));
    const auto laneAt = [&](const QPointF &p) {
        for (QGraphicsItem *found : scene.items(p, Qt::IntersectsItemShape, Qt::DescendingOrder))
            if (found == item)
                return true;
        return false;
    };
    const auto middle = [&] {
        const Trelvoa::GeoPolyline line = lane->skeleton();
        return line.part(0, line.length() / 2).points().last();
    };
    QVERIFY(laneAt(middle()));

    // Five kilometres north: the lane's tile grows with it.
    layout.node(QStringLiteral("N"))->setPos(QPointF(0, 5000));
    net.flushUpdates();
    QVERIFY(middle().y() > 2000);
    QVERIFY(laneAt(middle()));
    QVERIFY(item->parentItem()->sceneBoundingRect().contains(item->sceneBoundingRect()));

    net.clear();
    QVERIFY(net.layer(Networkg::layerLanes)->tiles().isEmpty());
    QVERIFY(net.layer(Networkg::layerLanes)->items().isEmpty());
}

void TestSceneNetwork::loadLeavesCloseUpItemsUnmade()
{
    NetworkScene scene;
    Networkg net(&scene);
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(net.errorString()));
    const QList<Trelvoa::Connection *> connections = net.findChildren<Trelvoa::Connection *>();
    const QList<Trelvoa::Stopline *> stoplines = net.findChildren<Trelvoa::Stopline *>();
    QVERIFY(connections.size() > 20 && !stoplines.isEmpty());
    const auto countOf = [&net](int type) {
        int count = 0;
        for (GenericGraphicsItem *item : net.items())
            count += item->type() == type;
        return count;
    };
    const auto found = [&scene](QGraphicsItem *item) {
        return scene.items(item->sceneBoundingRect(), Qt::IntersectsItemBoundingRect).contains(item);
    };
    QCOMPARE(countOf(ItemType::Connectiong), 0);
    QCOMPARE(countOf(ItemType::Stoplineg), 0);
    QCOMPARE(net.unmadeItemCount(), connections.size() + stoplines.size());
    QVERIFY(countOf(ItemType::Laneg) > 0);

    // Far from the network: nothing.
    const QRectF bounds = net.boundingRect();
    net.makeItemsIn(bounds.translated(10 * bounds.width(), 0));
    QCOMPARE(net.unmadeItemCount(), connections.size() + stoplines.size());

    // Asked for by its object: that item alone, laid out, where look-ups find it, in its layer's tile.
    net.setFullConnectionsView(true);
    GenericGraphicsItem *first = net.object2item(connections.first());
    QVERIFY(first);
    QCOMPARE(net.object2item(connections.first()), first);
    QCOMPARE(net.unmadeItemCount(), connections.size() + stoplines.size() - 1);
    QCOMPARE(Layer::of(first), net.layer(Networkg::layerConnections));
    QCOMPARE(first->parentItem()->type(), int(ItemType::LayerTile));
    QVERIFY(first->boundingRect().isValid());
    QVERIFY(found(first));
    QVERIFY(!static_cast<Connectiong *>(first)->isSimpleView());

    // An unmade object that goes leaves nothing behind.
    Trelvoa::Connection *gone = connections.at(1);
    delete gone;
    QCOMPARE(net.unmadeItemCount(), connections.size() + stoplines.size() - 2);

    // Made by area: all of them, found where they are, in the view chosen before they were made.
    net.makeItemsIn(bounds);
    QCOMPARE(net.unmadeItemCount(), 0);
    QCOMPARE(countOf(ItemType::Connectiong), connections.size() - 1);
    QCOMPARE(countOf(ItemType::Stoplineg), stoplines.size());
    for (Trelvoa::Connection *c : connections.mid(2)) {
        GenericGraphicsItem *item = net.object2item(c);
        QVERIFY(item && found(item));
        QVERIFY(!static_cast<Connectiong *>(item)->isSimpleView());
    }
    net.setFullConnectionsView(false);
    QVERIFY(static_cast<Connectiong *>(first)->isSimpleView());

    // A scene destroyed under the network takes the places of what was left unmade with its layers.
    {
        auto other = std::make_unique<NetworkScene>();
        Networkg loaded(other.get());
        QVERIFY2(loaded.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(loaded.errorString()));
        QVERIFY(loaded.unmadeItemCount() > 0);
        Trelvoa::Connection *waiting = loaded.findChildren<Trelvoa::Connection *>().first();
        other.reset();
        QCOMPARE(loaded.unmadeItemCount(), 0);
        QCOMPARE(loaded.object2item(waiting), nullptr);
        loaded.makeItemsIn(QRectF(-1e9, -1e9, 2e9, 2e9));
    }

    // A second load starts afresh; a clear forgets what is unmade.
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(net.errorString()));
    QVERIFY(net.unmadeItemCount() > 0);
    QCOMPARE(countOf(ItemType::Connectiong), 0);
    net.clear();
    QCOMPARE(net.unmadeItemCount(), 0);
}

void TestSceneNetwork::loadLeavesMarkingsUnmade()
{
    NetworkScene scene;
    Networkg net(&scene);
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(net.errorString()));
    Layer *markings = net.layer(Networkg::layerMarking);
    const auto markingCount = [markings] {
        int count = 0;
        for (QGraphicsItem *item : markings->items())
            count += item->type() == Marking::Type;
        return count;
    };
    QList<Edgeg *> edges;
    for (GenericGraphicsItem *item : net.items()) {
        if (item->type() == Edgeg::Type)
            edges.append(static_cast<Edgeg *>(item));
    }
    QVERIFY(edges.size() > 10);
    QCOMPARE(markingCount(), 0);

    // Asked for: made at once, in the marking layer's tile where its edge is, with the extent a layout
    // gives, where look-ups find it.
    Edgeg *asked = edges.first();
    Marking *marking = asked->marking();
    QVERIFY(marking);
    QCOMPARE(asked->marking(), marking);
    QCOMPARE(markingCount(), 1);
    QCOMPARE(Layer::of(marking), markings);
    QCOMPARE(Layer::tileCentre(marking), Layer::tileCentre(asked));
    const QRectF made = marking->boundingRect();
    QVERIFY(made.isValid());
    asked->objectChanged(Trelvoa::ChangeFlag::All);
    QCOMPARE(marking->boundingRect(), made);
    QVERIFY(scene.items(marking->sceneBoundingRect()).contains(marking));

    // An edge that goes before its markings are shown leaves nothing behind; the view chosen in the
    // meantime holds for those made later.
    Trelvoa::NetObject *gone = edges.last()->networkObject();
    edges.removeLast();
    delete gone;
    net.setWireframe(true);
    net.makeItemsIn(net.boundingRect());
    QCOMPARE(markingCount(), edges.size());
    for (Edgeg *edge : qAsConst(edges)) {
        QVERIFY(edge->marking());
        QVERIFY(edge->marking()->isWireframe());
    }
    net.setWireframe(false);
    for (Edgeg *edge : qAsConst(edges)) {
        QVERIFY(!edge->marking()->isWireframe());
        if (!edge->marking()->boundingRect().isEmpty())
            QVERIFY(scene.items(edge->marking()->sceneBoundingRect()).contains(edge->marking()));
    }

    // Edges made after the load have their markings at once.
    auto *node = net.findChildren<Trelvoa::Node *>().first();
    auto *other = net.findChildren<Trelvoa::Node *>().last();
    auto *edge = new Trelvoa::Edge(nullptr, node, other);
    QVERIFY(net.addItem(edge));
    auto *late = static_cast<Edgeg *>(net.object2item(edge));
    QVERIFY(late);
    const int before = markingCount();
    QVERIFY(late->marking());
    QCOMPARE(markingCount(), before);
}

// The scene asks the hovered item for its tooltip; a helper item's own tooltip over it wins.
void TestSceneNetwork::toolTipOnDemand()
{
    NetworkScene scene;
    Networkg net(&scene);
    ThingFactory factory;
    net.registerNetObject(&factory);
    auto *a = new Thing;
    a->setName("Corner");
    net.addItem(a);
    ThingItem *item = itemOf(net, a);
    item->rect = QRectF(0, 0, 100, 100);
    QVERIFY(item->toolTip().isEmpty());

    QGraphicsView view(&scene);
    view.resize(300, 300);
    scene.setSceneRect(-100, -100, 300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto askAt = [&](const QPointF &scenePoint) {
        const QPoint local = view.mapFromScene(scenePoint);
        QHelpEvent help(QEvent::ToolTip, local, view.viewport()->mapToGlobal(local));
        QCoreApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(askAt(QPointF(50, 50)), QStringLiteral("Corner Corner"));
    // Renamed later: the tooltip follows without any refresh.
    a->setName("Square");
    QCOMPARE(askAt(QPointF(50, 50)), QStringLiteral("Square Square"));

    auto *marker = new QGraphicsRectItem(40, 40, 20, 20);
    marker->setToolTip(QStringLiteral("Control marker"));
    marker->setZValue(1000);
    scene.addItem(marker);
    QCOMPARE(askAt(QPointF(50, 50)), QStringLiteral("Control marker"));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(askAt(QPointF(-50, -50)), QString());
}

void TestSceneNetwork::cursorsLoad()
{
    for (int k = 0; k < ItemCursors::KindCount; ++k) {
        const QImage image(ItemCursors::resourcePath(ItemCursors::Kind(k)));
        QVERIFY2(!image.isNull(), qPrintable(ItemCursors::resourcePath(ItemCursors::Kind(k))));
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(31, 0)), 0);
    }
    Networkg net(nullptr);
    const QCursor cursor = ItemCursors::cursor(ItemCursors::Junction);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(0, 0));
    QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
}

// Every model object whose kind has an item class has exactly one item, in the layer of its kind.
static bool itemsMatchKinds(Networkg &net, QString *why)
{
    int withItem = 0;
    for (Trelvoa::NetObject *object : net.allObjects()) {
        const QString cls = QString::fromLatin1(object->metaObject()->className());
        GenericGraphicsItem *item = net.object2item(object);
        if (!ItemFactory::hasCreator(cls)) {
            if (item) {
                *why = cls + " has an item";
                return false;
            }
            continue;
        }
        ++withItem;
        if (!item || Layer::of(item) != net.layer(ItemFactory::layerName(cls))) {
            *why = cls + (item ? " is in the wrong layer" : " has no item");
            return false;
        }
    }
    if (net.items().size() != withItem) {
        *why = QStringLiteral("%1 items for %2 objects").arg(net.items().size()).arg(withItem);
        return false;
    }
    return true;
}

void TestSceneNetwork::modelKindsGetTheirLayers()
{
    QGraphicsScene scene;
    LoadingNetwork net(&scene);
    QString why;
    auto build = [&net] {
        auto *a = new Trelvoa::Node(nullptr, QPointF(0, 0));
        auto *b = new Trelvoa::Node(nullptr, QPointF(100, 0), Trelvoa::Node::Junction);
        net.addItem(a);
        net.addItem(b);
        auto *edge = new Trelvoa::Edge(nullptr, a, b);
        new Trelvoa::Lane(edge);
        new Trelvoa::Lane(edge);
        net.addItem(edge);
        return edge;
    };

    Trelvoa::Edge *edge = build();
    QVERIFY(waitForBatch(net));
    QVERIFY2(itemsMatchKinds(net, &why), qPrintable(why));
    delete edge;
    QVERIFY2(itemsMatchKinds(net, &why), qPrintable(why));
    QVERIFY(waitForBatch(net));
    net.clear();

    // The same objects loaded silently get their items from afterLoad.
    net.setSilent(true);
    build();
    net.setSilent(false);
    QVERIFY(net.items().isEmpty());
    net.afterLoad();
    QVERIFY2(itemsMatchKinds(net, &why), qPrintable(why));
    QVERIFY(!net.isUpdatePending());
}

QTEST_MAIN(TestSceneNetwork)
#include "tst_scene_network.moc"
