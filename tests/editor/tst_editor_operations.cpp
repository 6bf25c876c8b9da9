// The junction and road operations of the context menus, run as the menu runs them (the selection on
// the map, the clicked point in the action's data), each undone back to the saved network.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "connection.h"
#include "detector.h"
#include "crosswalk.h"
#include "detectorgroup.h"
#include "geo/geoshape.h"
#include "granule.h"
#include "route.h"
#include "signalgroup.h"
#include "sumo/sumonetimporter.h"
#include "polygonobject.h"
#include "edge.h"
#include "edgegroup.h"
#include "editor/editcontext.h"
#include "lane.h"
#include "node.h"
#include "stopline.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QUndoStack>
#include <QtTest>

using namespace Trelvoa;

namespace {

void selectOnly(EditorFixture &f, const QList<NetObject *> &objects)
{
    f.scene()->clearSelection();
    for (NetObject *object : objects)
        if (Trelvoga::GenericGraphicsItem *item = f.net()->object2item(object))
            item->setSelected(true);
}

QList<NetObject *> selected(EditorFixture &f)
{
    QList<NetObject *> objects;
    for (QGraphicsItem *item : f.scene()->selectedItems())
        if (NetObject *object = f.net()->item2object(item))
            objects.append(object);
    return objects;
}

void undoneToSave(EditorFixture &f, const QByteArray &before)
{
    f.undoAll();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// Answers the next input dialog: sets the number (or picks the item) and accepts, or cancels. Polls
// until the dialog is up, since it opens inside the slot under test.
void answerDialog(const QVariant &answer, bool accept = true)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer, accept] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (answer.type() == QVariant::Int)
            dialog->setIntValue(answer.toInt());
        else
            dialog->setTextValue(answer.toString());
        accept ? dialog->accept() : dialog->reject();
    });
    timer->start(10);
}

} // namespace

class TestEditorOperations : public QObject
{
    Q_OBJECT

private slots:
    void uniteNodes();
    void createConnectionsRecordsTheModelsConnections();
    void selectConnectionsAndStoplines();
    void adjustStoplinesOffsetRoundTrip();
    void insertJunctionThenRemoveWithJoin();
    void insertLaneRightAndLeft();
    void templateFollowsTheSelection();
    void edgesLeaveAndJoinTheirGroup();
    void detectorGroupsPerEdge();
    void underAPolygon();
    void underAPolygonTakesAGroupedEdgeOnce();
    void granulesFromTheMenu();
    void granuleConflictChangesNothing();
    void signalGroupsFromTheMenu();
    void recalculateRoutes();
    void operationsOnARealNetwork();
};

void TestEditorOperations::uniteNodes()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    const QByteArray before = f.canonicalSave();
    Node *a = f.node("A");
    Node *c = f.node("C");
    const int aId = a->id();
    const int cId = c->id();
    selectOnly(f, {a, c});
    f.edit()->uniteNodes();
    QCOMPARE(f.undoStack()->count(), 1);
    // One of the two is left, with the edges of both.
    QVERIFY(bool(f.net()->findObject(aId)) != bool(f.net()->findObject(cId)));
    undoneToSave(f, before);
    f.redoAll();
    QCOMPARE(f.undoStack()->index(), 1);
    undoneToSave(f, before);
}

void TestEditorOperations::createConnectionsRecordsTheModelsConnections()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Node *c = f.node("C");
    // Without connections first, so that making them changes the junction.
    for (Connection *connection : f.net()->findChildren<Connection *>())
        delete connection;
    f.settle();
    const QByteArray before = f.canonicalSave();
    QCOMPARE(Layouts::connectionTable(c).size(), 0);
    selectOnly(f, {c});
    f.edit()->createJunctionConnections();
    const QStringList made = Layouts::connectionTable(c);
    QVERIFY(made.size() >= 8);
    QCOMPARE(f.undoStack()->count(), 1);
    const QByteArray after = f.canonicalSave();
    undoneToSave(f, before);
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());
    QCOMPARE(Layouts::connectionTable(f.node("C")), made);
}

void TestEditorOperations::selectConnectionsAndStoplines()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Node *c = f.node("C");
    int connectionsAtC = 0;
    for (Connection *connection : f.net()->findChildren<Connection *>())
        connectionsAtC += connection->junction() == c;
    QVERIFY(connectionsAtC > 0);

    selectOnly(f, {c});
    f.edit()->selectJunctionConnections();
    const QList<NetObject *> connections = selected(f);
    QCOMPARE(connections.size(), connectionsAtC);
    for (NetObject *object : connections)
        QCOMPARE(qobject_cast<Connection *>(object)->junction(), c);

    // Every lane of the four arms: 4 arriving with a stopline at C, 4 leaving with a start line.
    selectOnly(f, {c});
    f.edit()->selectJunctionStoplines();
    int stoplines = 0;
    int startlines = 0;
    for (NetObject *object : selected(f)) {
        auto *line = qobject_cast<Stopline *>(object);
        QVERIFY(line);
        (line->isStopline() ? stoplines : startlines)++;
    }
    QVERIFY(stoplines >= 8 && startlines >= 8);
    QVERIFY(!f.net()->object2item(c)->isSelected());
    QCOMPARE(f.undoStack()->count(), 0);
}

void TestEditorOperations::adjustStoplinesOffsetRoundTrip()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QByteArray before = f.canonicalSave();
    selectOnly(f, {f.node("C")});
    f.edit()->adjustStoplinesOffset();
    QCOMPARE(f.undoStack()->count(), 1);
    const QByteArray after = f.canonicalSave();
    QVERIFY(after != before);
    undoneToSave(f, before);
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());
}

// A junction put in the middle of a one-way edge by the menu (the clicked point in the action's data),
// then taken out again with its two edges joined: the chain is as before, and both steps undo.
void TestEditorOperations::insertJunctionThenRemoveWithJoin()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    const QByteArray before = f.canonicalSave();
    Edge *ab = f.edge("A", "B");
    const int nodesBefore = f.net()->findChildren<Node *>().size();
    // A road with lanes is picked by one of its lanes.
    selectOnly(f, {ab->lane(0)});
    QAction menuEntry;
    menuEntry.setData(f.toScene(QPointF(50, 0)));
    QObject::connect(&menuEntry, &QAction::triggered, f.edit(), &Trelvoga::NetEdit::insertJunctionOnEdge);
    menuEntry.trigger();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.net()->findChildren<Node *>().size(), nodesBefore + 1);
    Node *inserted = nullptr;
    for (Node *node : f.net()->findChildren<Node *>())
        if (QLineF(node->pos(), QPointF(50, 0)).length() < 1)
            inserted = node;
    QVERIFY(inserted);
    QVERIFY(inserted->isJunction());
    QCOMPARE(inserted->edgesCount(), 2);

    selectOnly(f, {inserted});
    f.edit()->removeJunctionWithJoin();
    f.settle();
    QCOMPARE(f.undoStack()->count(), 2);
    QCOMPARE(f.net()->findChildren<Node *>().size(), nodesBefore);
    QVERIFY(f.edge("A", "B"));
    undoneToSave(f, before);

    // Without a selected road, or called from no action, nothing happens.
    f.scene()->clearSelection();
    menuEntry.trigger();
    f.edit()->insertJunctionOnEdge();
    QCOMPARE(f.undoStack()->index(), 0);
}

// A lane inserted on the right of lane 0 becomes lane 0, one on the left of it lane 1; both copy width,
// speed and classes; one undo step each.
void TestEditorOperations::insertLaneRightAndLeft()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    Lane *lane = ab->lane(0);
    lane->setWidth(3.1);
    lane->setMaxSpeed(12.5);
    f.settle();
    const QByteArray widened = f.canonicalSave();
    selectOnly(f, {lane});
    QAction right;
    QObject::connect(&right, &QAction::triggered, f.edit(), &Trelvoga::NetEdit::insertLane);
    right.trigger();
    QCOMPARE(ab->lanesCount(), 3);
    QCOMPARE(ab->laneIndex(lane), 1);
    QCOMPARE(ab->lane(0)->width(), 3.1);
    QCOMPARE(ab->lane(0)->maxSpeed(), 12.5);
    QCOMPARE(ab->lane(0)->allowed(), lane->allowed());

    selectOnly(f, {lane});
    QAction left;
    left.setData(false);
    QObject::connect(&left, &QAction::triggered, f.edit(), &Trelvoga::NetEdit::insertLane);
    left.trigger();
    QCOMPARE(ab->lanesCount(), 4);
    QCOMPARE(ab->laneIndex(lane), 1);
    QCOMPARE(ab->lane(2)->width(), 3.1);
    QCOMPARE(f.undoStack()->count(), 2);
    undoneToSave(f, widened);
}

void TestEditorOperations::templateFollowsTheSelection()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Edge *nc = f.edge("N", "C");
    selectOnly(f, {nc->lane(1)});
    f.edit()->useAsTemplate(true);
    QCOMPARE(f.edit()->context()->templateEdge(), nc);
    // Turning off another road's template leaves this one.
    selectOnly(f, {f.edge("E", "C")->lane(0)});
    f.edit()->useAsTemplate(false);
    QCOMPARE(f.edit()->context()->templateEdge(), nc);
    selectOnly(f, {nc->lane(0)});
    f.edit()->useAsTemplate(false);
    QVERIFY(!f.edit()->context()->templateEdge());
}

// Two edges of an arm taken out of their group and put back: each one step, undone to the saved network.
void TestEditorOperations::edgesLeaveAndJoinTheirGroup()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net, Layouts::Grouped); });
    const QByteArray before = f.canonicalSave();
    Edge *nc = f.edge("N", "C");
    Edge *cn = f.edge("C", "N");
    EdgeGroup *group = nc->group();
    QVERIFY(group && cn->group() == group);
    selectOnly(f, {nc->lane(0), cn->lane(0)});
    f.edit()->removeEdgeFromGroup();
    QVERIFY(!nc->group() && !cn->group());
    QCOMPARE(f.undoStack()->count(), 1);

    // The group picked in the tree with the two edges.
    f.scene()->clearSelection();
    f.edit()->selectObjectInTree(group);
    f.edit()->selectObjectInTree(nc);
    f.edit()->selectObjectInTree(cn);
    f.edit()->addEdgeToGroup();
    QCOMPARE(nc->group(), group);
    QCOMPARE(cn->group(), group);
    QCOMPARE(f.undoStack()->count(), 2);
    undoneToSave(f, before);
}

// Detectors on two lanes of one arm and one of another: one group per edge, one undo step; then one
// detector out of its group and back in.
void TestEditorOperations::detectorGroupsPerEdge()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Edge *nc = f.edge("N", "C");
    Edge *ec = f.edge("E", "C");
    QList<Detector *> detectors;
    for (Lane *lane : {nc->lane(0), nc->lane(1), ec->lane(0)}) {
        auto *detector = new Detector(lane, 30);
        QVERIFY(f.net()->addItem(detector));
        detectors.append(detector);
    }
    f.settle();
    const QByteArray before = f.canonicalSave();
    selectOnly(f, {detectors.at(0), detectors.at(1), detectors.at(2)});
    f.edit()->createDtGroup();
    QCOMPARE(f.undoStack()->count(), 1);
    DetectorGroup *north = detectors.at(0)->group();
    DetectorGroup *east = detectors.at(2)->group();
    QVERIFY(north && east && north != east);
    QCOMPARE(detectors.at(1)->group(), north);
    QCOMPARE(north->edge(), nc);
    QCOMPARE(east->edge(), ec);

    selectOnly(f, {detectors.at(1)});
    f.edit()->removeSelectedDtFromGroup();
    QVERIFY(!detectors.at(1)->group());
    QCOMPARE(north->detectorCount(), 1);
    // Back through the tree: the group and the detector picked there.
    f.scene()->clearSelection();
    f.edit()->selectObjectInTree(north);
    f.edit()->selectObjectInTree(detectors.at(1));
    f.edit()->addDtToGroup();
    QCOMPARE(detectors.at(1)->group(), north);
    // A detector of another edge is not taken.
    f.edit()->selectObjectInTree(detectors.at(2));
    east->removeDetector(detectors.at(2));
    f.edit()->addDtToGroup();
    QVERIFY(!detectors.at(2)->group());
    east->addDetector(detectors.at(2));

    undoneToSave(f, before);
}

// Node A of the chain and the start of its road under a polygon: selected by area without the polygon;
// deleted as one step with the road (lanes go with their edge), undone to the saved network. A polygon
// over empty ground says so and changes nothing.
void TestEditorOperations::underAPolygon()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    auto *polygon = new PolygonObject(f.net(), GeoShape({{-15, -15}, {15, -15}, {15, 15}, {-15, 15}}));
    QVERIFY(f.net()->addItem(polygon));
    auto *far = new PolygonObject(f.net(), GeoShape({{500, 500}, {520, 500}, {520, 520}, {500, 520}}));
    QVERIFY(f.net()->addItem(far));
    f.settle();
    const QByteArray before = f.canonicalSave();
    Node *a = f.node("A");
    Edge *ab = f.edge("A", "B");

    selectOnly(f, {polygon});
    f.edit()->selectItemsUnderPolygon();
    const QList<NetObject *> picked = selected(f);
    QVERIFY(picked.contains(a));
    QVERIFY(!picked.contains(polygon));
    QVERIFY(f.net()->object2item(polygon)->isEnabled());

    selectOnly(f, {polygon});
    f.edit()->deleteItemsUnderPolygon();
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(!f.net()->findChildren<Edge *>().contains(ab));
    QVERIFY(f.net()->findChildren<PolygonObject *>().contains(polygon));
    undoneToSave(f, before);

    int warnings = 0;
    QObject::connect(f.edit(), &Trelvoga::NetEdit::logMessage,
                     [&warnings](const QString &text, QtMsgType type) {
                         warnings += text == QStringLiteral("No items under polygon") && type == QtWarningMsg;
                     });
    selectOnly(f, {far});
    f.edit()->deleteItemsUnderPolygon();
    QCOMPARE(warnings, 1);
    QCOMPARE(f.undoStack()->index(), 0);
}

// A polygon over a lane of a grouped edge: the group, the edge and its lanes each go once; one step.
void TestEditorOperations::underAPolygonTakesAGroupedEdgeOnce()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net, Layouts::Grouped); });
    Edge *nc = f.edge("N", "C");
    EdgeGroup *group = nc->group();
    QVERIFY(group);
    // Over the middle of the north arm: both directions' lanes, nothing of the junction.
    auto *polygon = new PolygonObject(f.net(), GeoShape({{-12, 45}, {12, 45}, {12, 55}, {-12, 55}}));
    QVERIFY(f.net()->addItem(polygon));
    f.settle();
    const QByteArray before = f.canonicalSave();
    const int edgesBefore = f.net()->findChildren<Edge *>().size();
    const int groupsBefore = f.net()->findChildren<EdgeGroup *>().size();
    QList<NetObject *> removed;
    QObject::connect(f.net(), &Network::objectRemoved, [&removed](NetObject *o) { removed.append(o); });
    selectOnly(f, {polygon});
    f.edit()->deleteItemsUnderPolygon();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.net()->findChildren<EdgeGroup *>().size(), groupsBefore - 1);
    QCOMPARE(f.net()->findChildren<Edge *>().size(), edgesBefore - 2);
    QCOMPARE(QSet<NetObject *>(removed.cbegin(), removed.cend()).size(), removed.size());
    QVERIFY(f.node("C"));
    undoneToSave(f, before);
}

// Three junctions of the roundabout become a granule (the number asked for); two more join it as one
// property change; "Add to granule" takes one more without a record; one leaves it again. Each recorded
// step undoes, the tree follows.
void TestEditorOperations::granulesFromTheMenu()
{
    EditorFixture f([](Network *net) { return Layouts::roundabout(net); });
    const QByteArray before = f.canonicalSave();
    selectOnly(f, {f.node("R0"), f.node("R1"), f.node("X0")});
    answerDialog(7);
    f.edit()->createGranule();
    QCOMPARE(f.net()->findChildren<Granule *>().size(), 1);
    Granule *granule = f.net()->findChildren<Granule *>().first();
    QCOMPARE(granule->tlId(), 7);
    // The plain node is no junction and stays out.
    QCOMPARE(granule->nodes().size(), 2);
    QVERIFY(granule->contains(f.node("R0")) && granule->contains(f.node("R1")));
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(!f.edit()->treeItems(granule).isEmpty());
    QCOMPARE(f.edit()->treeItems(granule).first()->isSelected(), true);

    // Junctions of which one is in the granule: the others join it, one property change.
    selectOnly(f, {f.node("R2"), f.node("R1"), f.node("R3")});
    f.edit()->createGranule();
    QCOMPARE(f.net()->findChildren<Granule *>().size(), 1);
    QCOMPARE(granule->nodes().size(), 4);
    QCOMPARE(f.undoStack()->count(), 2);
    QCOMPARE(f.edit()->treeItems(f.node("R3")).size(), 2);
    f.undoStack()->undo();
    QCOMPARE(granule->nodes().size(), 2);
    // The rows under the granule follow the undo: R3 is shown once again, in the nodes' group.
    QCOMPARE(f.edit()->treeItems(f.node("R3")).size(), 1);
    f.undoStack()->redo();
    QCOMPARE(granule->nodes().size(), 4);

    // Add to granule: the granule of the first selected node; no record.
    selectOnly(f, {f.node("R0"), f.node("R4")});
    f.edit()->addJunctionToGranule();
    QVERIFY(granule->contains(f.node("R4")));
    QCOMPARE(f.undoStack()->count(), 2);
    granule->removeNode(f.node("R4"));
    f.edit()->objectAdded(granule);

    // Remove from granule: one step per node.
    selectOnly(f, {f.node("R3"), f.node("R2")});
    f.edit()->removeJunctionFromGranule();
    QCOMPARE(granule->nodes().size(), 2);
    QCOMPARE(f.undoStack()->count(), 4);
    QCOMPARE(f.edit()->treeItems(f.node("R3")).size(), 1);
    undoneToSave(f, before);

    // With nothing selected: an empty granule, cancelling keeps -1.
    f.scene()->clearSelection();
    answerDialog(3, false);
    f.edit()->createGranule();
    QCOMPARE(f.net()->findChildren<Granule *>().size(), 1);
    QCOMPARE(f.net()->findChildren<Granule *>().first()->tlId(), -1);
    QVERIFY(f.net()->findChildren<Granule *>().first()->nodes().isEmpty());
}

void TestEditorOperations::granuleConflictChangesNothing()
{
    EditorFixture f([](Network *net) { return Layouts::roundabout(net); });
    auto *first = new Granule({f.node("R0")}, f.net());
    auto *second = new Granule({f.node("R1")}, f.net());
    QVERIFY(f.net()->addItem(first) && f.net()->addItem(second));
    f.settle();
    const QByteArray before = f.canonicalSave();
    QStringList texts;
    QList<QtMsgType> types;
    QObject::connect(f.edit(), &Trelvoga::NetEdit::logMessage, [&](const QString &text, QtMsgType type) {
        texts.append(text);
        types.append(type);
    });
    selectOnly(f, {f.node("R0"), f.node("R2"), f.node("R1")});
    f.edit()->createGranule();
    QCOMPARE(texts.size(), 1);
    QVERIFY(texts.first().startsWith(QStringLiteral("Node ")));
    QVERIFY(texts.first().contains(QStringLiteral("already in another granule")));
    QCOMPARE(types.first(), QtCriticalMsg);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    QCOMPARE(f.undoStack()->count(), 0);

    // A signal group over connections of two granules is refused the same way.
    selectOnly(f, {f.node("R0")->findChildren<Connection *>().first(),
                   f.node("R1")->findChildren<Connection *>().first()});
    f.edit()->createSg();
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.last(), QStringLiteral("You cannot create signal group for different granules"));
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// A signal group over two connections and a crosswalk of the junction: its granule made with it (one
// step), the number proposed one above the highest; changing and selecting it from the tree.
void TestEditorOperations::signalGroupsFromTheMenu()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QByteArray before = f.canonicalSave();
    Node *c = f.node("C");
    const QList<Connection *> connections = c->findChildren<Connection *>();
    QVERIFY(connections.size() >= 2);
    CrossWalk *crosswalk = f.net()->findChildren<CrossWalk *>().first();
    selectOnly(f, {connections.at(0), connections.at(1), crosswalk});
    answerDialog(QVariant(), false);
    f.edit()->createSg();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.net()->findChildren<Granule *>().size(), 1);
    Granule *granule = c->granule();
    QVERIFY(granule);
    QCOMPARE(granule->signalGroups().size(), 1);
    SignalGroup *first = granule->signalGroups().first();
    QCOMPARE(first->tlId(), 1);
    QCOMPARE(first->connections().size(), 2);
    QCOMPARE(crosswalk->signalGroup(), first);

    first->setTlId(4);
    selectOnly(f, {connections.at(2)});
    answerDialog(QVariant(), false);
    f.edit()->createSg();
    QCOMPARE(granule->signalGroups().size(), 2);
    QCOMPARE(granule->signalGroups().last()->tlId(), 5);
    SignalGroup *second = granule->signalGroups().last();

    // Selecting through a connection in two groups asks which.
    second->addConnection(connections.at(0));
    f.scene()->clearSelection();
    f.edit()->objectsTree()->clearSelection();
    f.edit()->selectObjectInTree(connections.at(0));
    answerDialog(QStringLiteral("%1(number in TL=5)").arg(second->id()));
    f.edit()->selectSg();
    QCOMPARE(f.edit()->objectsTree()->selectedItems(), f.edit()->treeItems(second));
    second->removeConnection(connections.at(0));

    // Nothing of a signal group selected: nothing happens.
    f.scene()->clearSelection();
    f.edit()->objectsTree()->clearSelection();
    f.edit()->createSg();
    QCOMPARE(granule->signalGroups().size(), 2);
    QCOMPARE(f.undoStack()->count(), 2);
    undoneToSave(f, before);
}

// A road that closes a gap away from the route's own edges counts only once the route is recalculated.
void TestEditorOperations::recalculateRoutes()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    QList<Node *> nodes;
    for (double x : {300.0, 400.0, 500.0}) {
        nodes.append(new Node(f.net(), QPointF(x, 10)));
        QVERIFY(f.net()->addItem(nodes.last()));
    }
    auto road = [&f](Node *from, Node *to) {
        auto *edge = new Edge(f.net(), from, to);
        new Lane(edge);
        return f.net()->addItem(edge) ? edge : nullptr;
    };
    Edge *fd = road(nodes.at(0), nodes.at(1));
    Edge *de = road(nodes.at(1), nodes.at(2));
    QVERIFY(fd && de);
    auto *route = new Route(f.net());
    QVERIFY(f.net()->addItem(route));
    route->addControlEdge(f.edge("A", "B"));
    route->addControlEdge(de);
    QVERIFY(!route->isValid());
    QVERIFY(road(f.node("C"), nodes.at(0)));
    f.settle();
    QVERIFY(!route->isValid());
    selectOnly(f, {route});
    f.edit()->recalculateSelectedRoutes();
    QVERIFY(route->isValid());
    QCOMPARE(route->edges().size(), 5);
    QCOMPARE(f.undoStack()->count(), 0);
}

// The operations on the busiest junction of a real network, each undone back to the saved network.
void TestEditorOperations::operationsOnARealNetwork()
{
    const QString file = TestSupport::dataPath(QStringLiteral("bologna-acosta/acosta_buslanes.net.xml"));
    if (!QFile::exists(file))
        QSKIP("the shared real networks are not available");
    EditorFixture f;
    f.edit()->beforeLoad();
    QVERIFY(importSumoNetwork(f.net(), file));
    f.edit()->afterLoad();
    f.net()->updateGeometry();
    f.settle();
    Node *busiest = nullptr;
    for (Node *node : f.net()->findChildren<Node *>()) {
        if (node->isJunction() && (!busiest || node->edgesCount() > busiest->edgesCount()))
            busiest = node;
    }
    QVERIFY(busiest);
    const QByteArray before = f.canonicalSave();

    selectOnly(f, {busiest});
    f.edit()->adjustStoplinesOffset();
    selectOnly(f, {busiest});
    f.edit()->createJunctionConnections();
    selectOnly(f, {busiest});
    answerDialog(12);
    f.edit()->createGranule();
    QVERIFY(busiest->granule());
    selectOnly(f, {busiest->findChildren<Connection *>().first()});
    answerDialog(2);
    f.edit()->createSg();
    QCOMPARE(busiest->granule()->signalGroups().size(), 1);
    Edge *edge = busiest->incomingEdges().first();
    selectOnly(f, {edge->lane(0)});
    QAction left;
    left.setData(false);
    QObject::connect(&left, &QAction::triggered, f.edit(), &Trelvoga::NetEdit::insertLane);
    left.trigger();
    selectOnly(f, {busiest});
    f.edit()->removeJunctionFromGranule();
    QVERIFY(f.undoStack()->count() >= 6);
    const QByteArray after = f.canonicalSave();
    undoneToSave(f, before);
    f.redoAll();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());
    undoneToSave(f, before);
}

QTEST_MAIN(TestEditorOperations)
#include "tst_editor_operations.moc"
