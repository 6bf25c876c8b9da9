// Entering and leaving the edit modes as a user does: through the actions and the Escape key, with the
// view's drag mode and the application's cursor restored, and what a mode built committed or dropped.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "editor/editcontext.h"
#include "editor/modes/addroutemode.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "polygonobject.h"
#include "route.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QLineF>
#include <QTest>
#include <QUndoStack>

#include <algorithm>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

const QList<QPair<QString, EditMode>> modeActions{
    {QStringLiteral("addNode"), ModeAddNode},
    {QStringLiteral("addJunction"), ModeAddJunction},
    {QStringLiteral("addEdge"), ModeAddEdge},
    {QStringLiteral("addEdgeGroup"), ModeAddEdgeGroup},
    {QStringLiteral("addLanesConnection"), ModeLanesConnection},
    {QStringLiteral("addDetector"), ModeAddDetector},
    {QStringLiteral("addEmergencyDetector"), ModeAddEmergencyDetector},
    {QStringLiteral("addCompositeDetector"), ModeAddCompositeDetector},
    {QStringLiteral("addCrosswalk"), ModeAddCrosswalk},
    {QStringLiteral("addWalkingArea"), ModeAddWalkingArea},
    {QStringLiteral("actionJoin_nodes_mode"), ModeJoinNodes},
    {QStringLiteral("addRoute"), ModeAddRoute},
    {QStringLiteral("addPolygon"), ModeAddPolygon},
    {QStringLiteral("addPointObject"), ModeAddPointObject},
    {QStringLiteral("addPtStop"), ModeAddPtStop},
    {QStringLiteral("addTaz"), ModeAddTaz},
};

QStringList checkedModeActions(const EditorFixture &f)
{
    QStringList checked;
    for (const auto &m : modeActions) {
        if (QAction *a = f.action(m.first); a && a->isChecked())
            checked.append(m.first);
    }
    return checked;
}

template<class T>
QList<T *> objectsOf(Network *net)
{
    QList<T *> found;
    for (NetObject *o : Layouts::objectsById(net)) {
        if (auto *t = qobject_cast<T *>(o))
            found.append(t);
    }
    return found;
}

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

// The middle of a lane, where a click hits it and nothing else.
// A point of the lane's skeleton at a fraction of the way from its first to its last point.
QPointF lanePoint(const Lane *lane, double fraction)
{
    const GeoPolyline s = lane->skeleton();
    return s.first() + (s.last() - s.first()) * fraction;
}

QPointF laneMiddle(const Lane *lane)
{
    return lanePoint(lane, 0.5);
}

} // namespace

class TestEditorModes : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void toggleEntersAndLeaves_data();
    void toggleEntersAndLeaves();
    void anotherModeLeavesTheFirst();
    void escapeLeavesMode();

    void emptyPolygonIsDropped();
    void polygonWithPointsIsAddedOnce();
    void polygonShapedThroughModelIsAdded();
    void polygonWithoutUndoStack();

    void routeWithoutControlEdgesIsDropped();
    void routeWithControlEdgesIsAddedOnce();
    void handedRouteLeaveRule();

    void loadWhileModeHoldsNode();
    void loadWhileRouteUnderConstruction();
};

void TestEditorModes::cleanup()
{
    // A failed test must not leave its cursor to the next one.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TestEditorModes::toggleEntersAndLeaves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    for (const auto &m : modeActions)
        QTest::newRow(qPrintable(m.first)) << m.first << int(m.second);
}

void TestEditorModes::toggleEntersAndLeaves()
{
    QFETCH(QString, name);
    QFETCH(int, mode);

    EditorFixture f(fourArm);
    f.view()->setDragMode(QGraphicsView::ScrollHandDrag);
    QVERIFY(!QApplication::overrideCursor());

    QVERIFY(f.trigger(name));
    QCOMPARE(int(f.edit()->mode()), mode);
    QCOMPARE(checkedModeActions(f), QStringList{name});
    QCOMPARE(f.view()->dragMode(), QGraphicsView::NoDrag);
    QVERIFY(QApplication::overrideCursor());

    QVERIFY(f.trigger(name));
    QCOMPARE(int(f.edit()->mode()), int(ModeNone));
    QCOMPARE(checkedModeActions(f), QStringList());
    QCOMPARE(f.view()->dragMode(), QGraphicsView::ScrollHandDrag);
    QVERIFY(!QApplication::overrideCursor());
}

void TestEditorModes::anotherModeLeavesTheFirst()
{
    EditorFixture f(fourArm);
    const QGraphicsView::DragMode initial = f.view()->dragMode();
    const QStringList sequence{"addNode", "addEdge", "addPolygon", "addRoute", "addTaz", "addNode"};
    for (const QString &name : sequence) {
        QVERIFY(f.trigger(name));
        QCOMPARE(checkedModeActions(f), QStringList{name});
        QCOMPARE(f.view()->dragMode(), QGraphicsView::NoDrag);
    }
    // Every switch left the mode before, so one toggle restores everything.
    QVERIFY(f.trigger(QStringLiteral("addNode")));
    QCOMPARE(int(f.edit()->mode()), int(ModeNone));
    QCOMPARE(checkedModeActions(f), QStringList());
    QCOMPARE(f.view()->dragMode(), initial);
    QVERIFY(!QApplication::overrideCursor());
    // Switching through add polygon left no temporary polygon behind.
    QVERIFY(objectsOf<PolygonObject>(f.net()).isEmpty());
}

void TestEditorModes::escapeLeavesMode()
{
    EditorFixture f(fourArm);
    const QGraphicsView::DragMode initial = f.view()->dragMode();
    QVERIFY(f.trigger(QStringLiteral("addEdge")));
    QCOMPARE(f.edit()->mode(), ModeAddEdge);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.edit()->mode(), ModeNone);
    QVERIFY(!f.action(QStringLiteral("addEdge"))->isChecked());
    QCOMPARE(f.view()->dragMode(), initial);
    QVERIFY(!QApplication::overrideCursor());

    // The leaveMode() slot does the same.
    QVERIFY(f.trigger(QStringLiteral("addJunction")));
    f.edit()->leaveMode();
    QCOMPARE(f.edit()->mode(), ModeNone);
    QVERIFY(!f.action(QStringLiteral("addJunction"))->isChecked());
    QVERIFY(!QApplication::overrideCursor());
}

void TestEditorModes::emptyPolygonIsDropped()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();

    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    const QList<PolygonObject *> made = objectsOf<PolygonObject>(f.net());
    QCOMPARE(made.size(), 1);
    QVERIFY(made.first()->shape().isEmpty());
    // Entering twice in a row makes no second one.
    f.edit()->leaveMode();
    QVERIFY(objectsOf<PolygonObject>(f.net()).isEmpty());
    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    QCOMPARE(objectsOf<PolygonObject>(f.net()).size(), 1);

    f.key(Qt::Key_Escape);
    QVERIFY(objectsOf<PolygonObject>(f.net()).isEmpty());
    QCOMPARE(f.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorModes::polygonWithPointsIsAddedOnce()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();

    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    // Vertices go in by click (Ctrl+click inserts, and appends while there is no outline yet), on open
    // ground in the north-east quadrant away from every road.
    const QList<QPointF> corners{QPointF(30, 30), QPointF(80, 30), QPointF(80, 80)};
    f.click(corners.at(0));
    f.click(corners.at(1));
    f.click(corners.at(2), Qt::ControlModifier);
    QList<PolygonObject *> made = objectsOf<PolygonObject>(f.net());
    QCOMPARE(made.size(), 1);
    QCOMPARE(f.undoStack()->count(), 0);

    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    made = objectsOf<PolygonObject>(f.net());
    QCOMPARE(made.size(), 1);
    PolygonObject *polygon = made.first();
    QVERIFY(!polygon->temporary());
    const QVector<QPointF> shape = polygon->shape().points();
    for (const QPointF &p : corners) {
        const bool onShape = std::any_of(shape.begin(), shape.end(), [&](const QPointF &q) {
            return QLineF(p, q).length() < 1.0;
        });
        QVERIFY2(onShape, qPrintable(QStringLiteral("corner %1,%2 missing").arg(p.x()).arg(p.y())));
    }
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.undoStack()->text(0), QStringLiteral("Add item '%1'").arg(f.edit()->dn("Trelvoa::PolygonObject")));

    const int id = polygon->id();
    const QByteArray after = f.canonicalSave();
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());
    polygon = f.net()->findObject<PolygonObject>(id);
    QVERIFY(polygon);
    // Selectable again once built.
    GenericGraphicsItem *item = f.net()->object2item(polygon);
    QVERIFY(item);
    QVERIFY(item->flags() & QGraphicsItem::ItemIsSelectable);
}

void TestEditorModes::polygonShapedThroughModelIsAdded()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();
    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    const QList<PolygonObject *> made = objectsOf<PolygonObject>(f.net());
    QCOMPARE(made.size(), 1);
    QVERIFY(made.first()->setShape(GeoShape({QPointF(30, 30), QPointF(80, 30), QPointF(80, 80), QPointF(30, 30)})));
    f.edit()->leaveMode();
    QCOMPARE(objectsOf<PolygonObject>(f.net()).size(), 1);
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorModes::polygonWithoutUndoStack()
{
    EditorFixture::Options options;
    options.undoStack = false;
    EditorFixture f(fourArm, options);
    const QByteArray before = f.canonicalSave();

    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    f.key(Qt::Key_Escape);
    QVERIFY(objectsOf<PolygonObject>(f.net()).isEmpty());
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    QVERIFY(f.trigger(QStringLiteral("addPolygon")));
    for (const QPointF &p : {QPointF(30, 30), QPointF(80, 30), QPointF(80, 80)})
        f.click(p, Qt::ControlModifier);
    f.key(Qt::Key_Escape);
    const QList<PolygonObject *> made = objectsOf<PolygonObject>(f.net());
    QCOMPARE(made.size(), 1);
    QVERIFY(!made.first()->shape().isEmpty());
    QVERIFY(!f.undoStack());
}

void TestEditorModes::routeWithoutControlEdgesIsDropped()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();
    QVERIFY(f.trigger(QStringLiteral("addRoute")));
    // A click on open ground builds nothing.
    f.move(QPointF(50, 50));
    f.click(QPointF(50, 50));
    f.key(Qt::Key_Escape);
    QVERIFY(objectsOf<Route>(f.net()).isEmpty());
    QCOMPARE(f.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    // A route whose only control edge went is deleted on leaving, not committed.
    QVERIFY(f.trigger(QStringLiteral("addRoute")));
    const QPointF west = laneMiddle(f.edge("W", "C")->lane(1));
    f.move(west);
    f.click(west);
    const QList<Route *> routes = objectsOf<Route>(f.net());
    QCOMPARE(routes.size(), 1);
    f.key(Qt::Key_Backspace);
    QVERIFY(routes.first()->controlEdges().isEmpty());
    f.key(Qt::Key_Escape);
    QVERIFY(objectsOf<Route>(f.net()).isEmpty());
    QCOMPARE(f.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorModes::routeWithControlEdgesIsAddedOnce()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();
    QVERIFY(f.trigger(QStringLiteral("addRoute")));
    // Not where the test before clicked last: two presses there in quick succession are a double click.
    const QPointF west = lanePoint(f.edge("W", "C")->lane(1), 0.4);
    const QPointF east = lanePoint(f.edge("C", "E")->lane(1), 0.6);
    f.move(west);
    f.click(west);
    f.move(east);
    f.click(east);
    QList<Route *> routes = objectsOf<Route>(f.net());
    QCOMPARE(routes.size(), 1);
    QCOMPARE(routes.first()->controlEdges(), QList<Edge *>({f.edge("W", "C"), f.edge("C", "E")}));
    QCOMPARE(f.undoStack()->count(), 0);

    f.key(Qt::Key_Escape);
    routes = objectsOf<Route>(f.net());
    QCOMPARE(routes.size(), 1);
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.undoStack()->text(0), QStringLiteral("Add item '%1'").arg(f.edit()->dn("Trelvoa::Route")));
    const QByteArray after = f.canonicalSave();
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());
}

// The leave rule on a route handed to the mode as under construction, apart from the clicks that build
// one.
void TestEditorModes::handedRouteLeaveRule()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();
    AddRouteMode mode(f.edit()->context());

    auto *empty = new Route(f.net());
    QVERIFY(f.net()->addItem(empty));
    mode.setRoute(empty);
    QCOMPARE(mode.route(), empty);
    mode.leave();
    QVERIFY(!mode.route());
    QVERIFY(objectsOf<Route>(f.net()).isEmpty());
    QCOMPARE(f.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    auto *route = new Route(f.net());
    QVERIFY(route->addControlEdge(f.edge("W", "C")));
    QVERIFY(route->addControlEdge(f.edge("C", "E")));
    QVERIFY(f.net()->addItem(route));
    mode.setRoute(route);
    mode.leave();
    QVERIFY(!mode.route());
    QCOMPARE(objectsOf<Route>(f.net()), QList<Route *>{route});
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.undoStack()->text(0), QStringLiteral("Add item '%1'").arg(f.edit()->dn("Trelvoa::Route")));
    const QByteArray after = f.canonicalSave();
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(after, f.canonicalSave()), QString());

    // A route deleted while under construction is let go, not committed.
    auto *gone = new Route(f.net());
    QVERIFY(gone->addControlEdge(f.edge("S", "C")));
    QVERIFY(f.net()->addItem(gone));
    mode.setRoute(gone);
    delete gone;
    mode.leave();
    QCOMPARE(f.undoStack()->count(), 1);
}

// A mode holding a node of a network that a load replaces must not use it afterwards: leaving the mode,
// moving and clicking run on the new network only (AddressSanitizer reports any dangling use).
void TestEditorModes::loadWhileModeHoldsNode()
{
    EditorFixture f;
    Network source;
    Layouts::fourArm(&source);
    QString error;
    QVERIFY2(f.load(TestSupport::saveAll(&source), &error), qPrintable(error));
    QVERIFY(f.node("N"));

    f.net()->object2item(f.node("N"))->setSelected(true);
    QVERIFY(f.trigger(QStringLiteral("addEdge")));
    // The selected node started the edge: the mode holds it.
    QVERIFY(f.edit()->context()->rubberLine());
    f.move(f.node("C")->pos());

    Network other;
    Layouts::tJunction(&other);
    QVERIFY2(f.load(TestSupport::saveAll(&other), &error), qPrintable(error));
    const QByteArray loaded = f.canonicalSave();

    // Still in the mode, a click on a node of the new network must not build an edge from the old node.
    f.move(f.node("W")->pos());
    f.click(f.node("W"));
    f.move(f.node("E")->pos());
    f.key(Qt::Key_Escape);
    QCOMPARE(f.edit()->mode(), ModeNone);
    // Whatever the mode did, it did it on the new network only.
    for (NetObject *o : f.net()->allObjects()) {
        if (auto *e = qobject_cast<Edge *>(o)) {
            QVERIFY(f.net()->allObjects().contains(e->start()));
            QVERIFY(f.net()->allObjects().contains(e->end()));
        }
    }
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(loaded, f.canonicalSave()), QString());
}

void TestEditorModes::loadWhileRouteUnderConstruction()
{
    EditorFixture f(fourArm);
    QVERIFY(f.trigger(QStringLiteral("addRoute")));
    const QPointF west = laneMiddle(f.edge("W", "C")->lane(1));
    f.move(west);
    f.click(west);

    Network other;
    Layouts::tJunction(&other);
    QString error;
    QVERIFY2(f.load(TestSupport::saveAll(&other), &error), qPrintable(error));
    const QByteArray loaded = f.canonicalSave();
    f.key(Qt::Key_Backspace);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.edit()->mode(), ModeNone);
    QCOMPARE(TestSupport::firstDifference(loaded, f.canonicalSave()), QString());
}

QTEST_MAIN(TestEditorModes)
#include "tst_editor_modes.moc"
