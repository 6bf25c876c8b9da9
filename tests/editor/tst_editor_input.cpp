// Scene input as a user gives it: drags of the selection, geometry editing entered by a double click
// and ended by a click on empty ground, marker drops on lanes and crosswalks, and the keys. Every change
// is undone back to the network as it was saved before.
//
// Drops: a real QDrag runs a nested event loop that offscreen tests cannot steer, so the test hands the
// finished drag to the view as the drag machinery does: a QDropEvent carrying a MimeTrelvo payload is
// sent to the view's viewport, which turns it into the scene's GraphicsSceneDrop.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "commands/commandid.h"
#include "commands/genericcommands.h"
#include "editor/editcontext.h"
#include "editor/netedit.h"
#include "items/connectiong.h"
#include "items/mimetrelvo.h"
#include "mapview.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "detector.h"
#include "detectorgroup.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "pointobject.h"
#include "stopline.h"
#include "polygonobject.h"
#include "route.h"
#include "taz.h"
#include "walkingarea.h"

#include <QApplication>
#include <QDropEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTest>
#include <QUndoStack>
#include <QXmlStreamReader>

#include <memory>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

QVariant value(QObject *object)
{
    return QVariant::fromValue(object);
}

QPointF midOf(const Lane *lane)
{
    const GeoPolyline skeleton = lane->skeleton();
    QPointF p;
    skeleton.lineAtDistance(skeleton.length() / 2, true, &p);
    return p;
}

// Hands a drag of a marker with that data to the view at a model point as the drag machinery does:
// enter, move, drop.
void dropAt(EditorFixture &f, const QVariantMap &map, const QPointF &xy,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    MimeTrelvo mime(map);
    const QPoint at = f.toViewport(xy);
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(f.view()->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(f.view()->viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(f.view()->viewport(), &drop);
    f.settle();
}

// A mouse move with the left button held and these modifiers (QTest's moves carry neither).
void dragTo(EditorFixture &f, const QPointF &xy, Qt::KeyboardModifiers modifiers)
{
    const QPoint at = f.toViewport(xy);
    QMouseEvent event(QEvent::MouseMove, at, f.view()->viewport()->mapToGlobal(at), Qt::NoButton,
                      Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(f.view()->viewport(), &event);
    f.settle();
}

// The object of the item a drop at the point lands on: the topmost lane or crosswalk taking drops.
NetObject *dropTarget(EditorFixture &f, const QPointF &xy)
{
    for (GenericGraphicsItem *item : f.edit()->context()->itemsAt(f.toScene(xy))) {
        if ((item->type() == ItemType::Laneg || item->type() == ItemType::CrossWalkg) && item->acceptDrops())
            return item->networkObject();
    }
    return nullptr;
}

void zoomTo(EditorFixture &f, const QPointF &centre, double size)
{
    const QPointF a = f.toScene(centre - QPointF(size / 2, size / 2));
    const QPointF b = f.toScene(centre + QPointF(size / 2, size / 2));
    f.view()->fitInView(QRectF(a, b).normalized());
    f.settle();
}

// A real city network, imported once: every test that needs it loads its save.
const QByteArray &berlin()
{
    static QByteArray data;
    if (data.isEmpty()) {
        QString error;
        std::unique_ptr<Network> net(TestSupport::importNetwork("berlin-doerpfeldstr/net.net.xml.gz", &error));
        if (net)
            data = TestSupport::saveAll(net.get());
        else
            qWarning("import failed: %s", qPrintable(error));
    }
    return data;
}

Layouts::Layout loadBerlin(Network *net)
{
    Layouts::Layout layout;
    layout.net = net;
    QXmlStreamReader reader(berlin());
    net->load(reader, false);
    return layout;
}

const ChangePropertyCommand *topPropertyCommand(QUndoStack *stack)
{
    if (!stack->count())
        return nullptr;
    return dynamic_cast<const ChangePropertyCommand *>(stack->command(stack->count() - 1));
}

} // namespace

class TestEditorInput : public QObject
{
    Q_OBJECT

private slots:
    void dragOfSelectionIsOneStep();
    void stoplineDragAlongItsLane();
    void geometryEditingPushesOnlyChanges();
    void geometryEditingOfObjectUndoneAway();
    void geometryEditingSurvivesUnrelatedUndo();
    void connectionDropsOnRealJunction();
    void dropOnOwnLaneChangesNothing();
    void crosswalkDrops();
    void detectorGroupDrop();
    void walkingAreaItemDrops();
    void tazEdgeDrop();
    void routeIndexDrops();
    void foreignPayloadPassedOn();
    void keys();
    void clickEndsEditStates();
    void editSlotsEnterGeometryEditing();
    void deleteKeyOnTree();
    void deleteLaneUndoRedo();
};

// On a real junction: two selected nodes dragged by one of them move together as one undo step that
// names both; the same drag with Shift held records nothing.
void TestEditorInput::dragOfSelectionIsOneStep()
{
    EditorFixture f(loadBerlin);
    QVERIFY(f.net()->objectCount() > 1000);
    // Plain nodes whose own item is what a press at their position meets.
    QList<Node *> nodes;
    for (Node *n : f.net()->findChildren<Node *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (n->isJunction() || nodes.size() == 2)
            continue;
        if (!nodes.isEmpty() && QLineF(nodes.first()->pos(), n->pos()).length() > 60)
            continue;
        zoomTo(f, n->pos(), 150);
        const QList<GenericGraphicsItem *> at = f.edit()->context()->itemsAt(f.toScene(n->pos()));
        if (!at.isEmpty() && at.first() == f.net()->object2item(n))
            nodes.append(n);
    }
    QCOMPARE(nodes.size(), 2);
    Node *a = nodes.at(0);
    Node *b = nodes.at(1);
    zoomTo(f, a->pos(), 150);
    const QByteArray before = f.canonicalSave();
    const int steps = f.undoStack()->count();
    const QPointF a0 = a->pos();
    const QPointF b0 = b->pos();

    f.net()->object2item(a)->setSelected(true);
    f.net()->object2item(b)->setSelected(true);
    f.press(a0);
    for (int i = 1; i <= 3; ++i)
        dragTo(f, a0 + QPointF(4 * i, 3 * i), Qt::NoModifier);
    f.release(a0 + QPointF(12, 9));

    QCOMPARE(f.undoStack()->count(), steps + 1);
    const ChangePropertyCommand *command = topPropertyCommand(f.undoStack());
    QVERIFY(command);
    QCOMPARE(command->objectIds().size(), 2);
    QVERIFY(command->objectIds().contains(a->id()) && command->objectIds().contains(b->id()));
    QVERIFY(QLineF(a->pos(), a0).length() > 5);
    QVERIFY(QLineF(b->pos(), b0).length() > 5);
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    // With Shift held throughout: no step.
    a = qobject_cast<Node *>(f.net()->findObject(a->id()));
    QVERIFY(a);
    const int afterUndo = f.undoStack()->count();
    const int index = f.undoStack()->index();
    f.press(a->pos(), Qt::ShiftModifier);
    for (int i = 1; i <= 3; ++i)
        dragTo(f, a0 + QPointF(4 * i, 3 * i), Qt::ShiftModifier);
    f.release(a0 + QPointF(12, 9), Qt::ShiftModifier);
    QCOMPARE(f.undoStack()->count(), afterUndo);
    QCOMPARE(f.undoStack()->index(), index);
}

// A stopline dragged along its lane: one step, the line no longer automatic, at the dragged distance;
// undone to the saved network.
void TestEditorInput::stoplineDragAlongItsLane()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Lane *lane = f.edge("N", "C")->lane(0);
    Stopline *line = lane->stopline();
    QVERIFY(line->autoDistance());
    const double d0 = line->distance();
    const QPointF p0 = line->pos();
    const QByteArray before = f.canonicalSave();
    GenericGraphicsItem *item = f.net()->object2item(line);
    QVERIFY(item && item->isVisible());
    f.scene()->clearSelection();
    item->setSelected(true);
    // Along the lane, away from the junction (N is up the lane's start).
    f.press(p0);
    for (int i = 1; i <= 3; ++i)
        dragTo(f, p0 + QPointF(0, 2.0 * i), Qt::NoModifier);
    f.release(p0 + QPointF(0, 6));
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(topPropertyCommand(f.undoStack()));
    QVERIFY(!line->autoDistance());
    QVERIFY2(qAbs(line->distance() - (d0 + 6)) < 0.5, qPrintable(QString::number(line->distance())));
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// A double click puts a polygon into geometry editing; a click on empty ground ends it and pushes one
// step only when a vertex was dragged.
void TestEditorInput::geometryEditingPushesOnlyChanges()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        auto *polygon = new PolygonObject(net, GeoShape({{30, 30}, {80, 30}, {80, 80}, {30, 80}}));
        net->addItem(polygon);
        return l;
    });
    auto *polygon = f.net()->findChildren<PolygonObject *>().value(0);
    QVERIFY(polygon);
    const QByteArray before = f.canonicalSave();
    const QPointF empty(-70, -70);
    QVERIFY(f.edit()->context()->itemsAt(f.toScene(empty)).isEmpty());

    // Unchanged: nothing pushed.
    f.doubleClick(QPointF(55, 55));
    QVERIFY(f.net()->object2item(polygon)->isChanged() == false);
    f.click(empty);
    QCOMPARE(f.undoStack()->count(), 0);

    // A vertex dragged: one step, undone to the saved network.
    f.doubleClick(QPointF(55, 55));
    f.press(QPointF(30, 30));
    dragTo(f, QPointF(25, 27), Qt::NoModifier);
    dragTo(f, QPointF(20, 24), Qt::NoModifier);
    f.release(QPointF(20, 24));
    QCOMPARE(f.undoStack()->count(), 0);
    QVERIFY(before != f.canonicalSave());
    f.click(empty);
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(topPropertyCommand(f.undoStack()));
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// An undo that deletes the object in geometry editing ends its editing without a step of its own and
// leaves nothing dangling (AddressSanitizer watches the later clicks).
void TestEditorInput::geometryEditingOfObjectUndoneAway()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QByteArray before = f.canonicalSave();
    auto *polygon = new PolygonObject(f.net(), GeoShape({{30, 30}, {80, 30}, {80, 80}, {30, 80}}));
    QVERIFY(f.net()->addItem(polygon));
    f.undoStack()->push(new AddItemCommand(f.edit(), polygon));
    f.settle();
    f.doubleClick(QPointF(55, 55));
    f.press(QPointF(30, 30));
    dragTo(f, QPointF(20, 24), Qt::NoModifier);
    f.release(QPointF(20, 24));
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    f.key(Qt::Key_Control);
    f.click(QPointF(55, 55), Qt::ControlModifier);
    f.click(QPointF(-70, -70));
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(!QApplication::overrideCursor());
}

// An undo that removes another object while a polygon is edited pushes nothing in the middle of the
// undo and leaves the editing going: its step comes when the editing ends.
void TestEditorInput::geometryEditingSurvivesUnrelatedUndo()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        net->addItem(new PolygonObject(net, GeoShape({{30, 30}, {80, 30}, {80, 80}, {30, 80}})));
        return l;
    });
    const QByteArray before = f.canonicalSave();
    auto *point = new PointObject(f.net(), QPointF(-40, 60));
    QVERIFY(f.net()->addItem(point));
    f.undoStack()->push(new AddItemCommand(f.edit(), point));
    f.doubleClick(QPointF(55, 55));
    f.press(QPointF(30, 30));
    dragTo(f, QPointF(20, 24), Qt::NoModifier);
    f.release(QPointF(20, 24));
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.undoStack()->index(), 0);
    f.click(QPointF(-70, -70));
    // The new step replaces the undone one: only the vertex edit is left to undo.
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(topPropertyCommand(f.undoStack()));
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// On a real junction: the "to" end of a connection dropped on another outgoing lane, and its "from" end
// on another incoming lane, each one step undone to the saved network.
void TestEditorInput::connectionDropsOnRealJunction()
{
    EditorFixture f(loadBerlin);
    Connection *connection = nullptr;
    Lane *newTo = nullptr;
    Lane *newFrom = nullptr;
    for (Node *n : f.net()->findChildren<Node *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!n->isJunction())
            continue;
        for (Connection *c : n->connections()) {
            Lane *to = nullptr;
            Lane *from = nullptr;
            zoomTo(f, n->pos(), 150);
            for (Lane *lane : c->endLane()->edge()->lanes()) {
                if (lane != c->endLane() && lane->hasStartline() && dropTarget(f, midOf(lane)) == lane)
                    to = lane;
            }
            for (Lane *lane : c->startLane()->edge()->lanes()) {
                if (lane != c->startLane() && lane->hasStopline() && dropTarget(f, midOf(lane)) == lane)
                    from = lane;
            }
            if (to && from) {
                connection = c;
                newTo = to;
                newFrom = from;
                break;
            }
        }
        if (connection)
            break;
    }
    QVERIFY(connection);
    const QByteArray before = f.canonicalSave();

    dropAt(f, {{"connection", value(connection)}, {"to", value(connection->endLane())}}, midOf(newTo));
    QCOMPARE(connection->endLane(), newTo);
    QCOMPARE(f.undoStack()->count(), 1);
    dropAt(f, {{"connection", value(connection)}, {"from", value(connection->startLane())}}, midOf(newFrom));
    QCOMPARE(connection->startLane(), newFrom);
    QCOMPARE(f.undoStack()->count(), 2);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// The "to" end dropped on the lane it already ends on: no change, and no step with a stack.
void TestEditorInput::dropOnOwnLaneChangesNothing()
{
    for (bool stack : {false, true}) {
        EditorFixture::Options options;
        options.undoStack = stack;
        EditorFixture f([](Network *net) { return Layouts::fourArm(net); }, options);
        Connection *connection = f.layout().connections.value(0);
        QVERIFY(connection);
        Lane *to = connection->endLane();
        QCOMPARE(dropTarget(f, midOf(to)), to);
        const QByteArray before = f.canonicalSave();
        dropAt(f, {{"connection", value(connection)}, {"to", value(to)}}, midOf(to));
        QCOMPARE(connection->endLane(), to);
        QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
        if (stack)
            QCOMPARE(f.undoStack()->count(), 0);
        // Another lane of the same edge takes the end, also without a stack.
        Lane *other = to->edge()->lanes().value(to->index() == 0 ? 1 : 0);
        QCOMPARE(dropTarget(f, midOf(other)), other);
        dropAt(f, {{"connection", value(connection)}, {"to", value(to)}}, midOf(other));
        QCOMPARE(connection->endLane(), other);
        if (stack) {
            QCOMPARE(f.undoStack()->count(), 1);
            f.undoAll();
            QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
        }
    }
}

void TestEditorInput::crosswalkDrops()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    CrossWalk *crossWalk = f.layout().crossWalks.value(0);
    QVERIFY(crossWalk && crossWalk->lane1() && crossWalk->lane2());
    const QByteArray before = f.canonicalSave();
    Lane *lane1 = crossWalk->lane1();
    Lane *lane2 = crossWalk->lane2();
    Lane *other1 = lane1->edge()->lanes().value(1);
    Lane *other2 = lane2->edge()->lanes().value(1);
    QVERIFY(other1 && other1 != lane1 && other2 && other2 != lane2);
    QCOMPARE(dropTarget(f, midOf(other1)), other1);

    dropAt(f, {{"crosswalk", value(crossWalk)}, {"lane1", value(lane1)}}, midOf(other1));
    QCOMPARE(crossWalk->lane1(), other1);
    dropAt(f, {{"crosswalk", value(crossWalk)}, {"lane2", value(lane2)}}, midOf(other2));
    QCOMPARE(crossWalk->lane2(), other2);
    QCOMPARE(f.undoStack()->count(), 2);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorInput::detectorGroupDrop()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        Edge *wc = l.edge("W", "C");
        auto *detector = new Detector(wc->lane(0), 20);
        net->addItem(detector);
        auto *group = new DetectorGroup(wc);
        net->addItem(group);
        group->addDetector(detector);
        return l;
    });
    auto *group = f.net()->findChildren<DetectorGroup *>().value(0);
    QVERIFY(group);
    const QByteArray before = f.canonicalSave();
    Lane *target = f.edge("S", "C")->lane(0);
    dropAt(f, {{"DetectorGroup", value(group)}}, midOf(target));
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(before != f.canonicalSave());
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// A walking-area item dropped on a lane and on a crosswalk.
void TestEditorInput::walkingAreaItemDrops()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net, Layouts::RoadsOnly | Layouts::Sidewalks);
        auto *crossWalk = new CrossWalk(l.node("C"), l.edge("N", "C")->lane(0), 2, l.edge("C", "N")->lane(0), 2);
        net->addItem(crossWalk);
        l.crossWalks.append(crossWalk);
        auto *area = new WalkingArea(net);
        net->addItem(area);
        area->addStopline(l.edge("W", "C")->lane(0)->stopline());
        area->addStopline(l.edge("C", "S")->lane(0)->startline());
        return l;
    });
    auto *area = f.net()->findChildren<WalkingArea *>().value(0);
    QVERIFY(area && area->items().size() == 2);
    const QByteArray before = f.canonicalSave();

    Lane *lane = f.edge("C", "W")->lane(0);
    QCOMPARE(dropTarget(f, midOf(lane)), lane);
    dropAt(f, {{"walkingarea", value(area)}, {"wa_item", QVariant::fromValue(area->items().at(0))}}, midOf(lane));
    QCOMPARE(f.undoStack()->count(), 1);
    const QByteArray afterLane = f.canonicalSave();
    QVERIFY(before != afterLane);

    CrossWalk *crossWalk = nullptr;
    QPointF onCrossWalk;
    for (CrossWalk *cw : f.layout().crossWalks) {
        const QPointF centre = f.net()->object2item(cw)->sceneBoundingRect().center();
        const QPointF xy = f.net()->geoUtil() ? f.net()->geoUtil()->geoToXY(centre) : centre;
        if (dropTarget(f, xy) == cw) {
            crossWalk = cw;
            onCrossWalk = xy;
            break;
        }
    }
    QVERIFY(crossWalk);
    dropAt(f, {{"walkingarea", value(area)}, {"wa_item", QVariant::fromValue(area->items().at(1))}}, onCrossWalk);
    QCOMPARE(f.undoStack()->count(), 2);
    QVERIFY(afterLane != f.canonicalSave());
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorInput::tazEdgeDrop()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        auto *taz = new Taz(net, QPointF(-60, 60));
        net->addItem(taz);
        taz->addEdge(l.edge("W", "C"), 10, true);
        return l;
    });
    auto *taz = f.net()->findChildren<Taz *>().value(0);
    QVERIFY(taz);
    const QByteArray before = f.canonicalSave();
    Edge *wc = f.edge("W", "C");
    Edge *nc = f.edge("N", "C");
    dropAt(f, {{"taz", value(taz)}, {"edge", value(wc)}}, midOf(nc->lane(0)));
    QCOMPARE(taz->edges(), QList<Edge *>{nc});
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// Without Ctrl the control edge at the marker's index is replaced; with Ctrl the edge is inserted after.
void TestEditorInput::routeIndexDrops()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        auto *route = new Route(net);
        net->addItem(route);
        route->addControlEdge(l.edge("W", "C"));
        route->addControlEdge(l.edge("C", "E"));
        return l;
    });
    auto *route = f.net()->findChildren<Route *>().value(0);
    QVERIFY(route);
    const QByteArray before = f.canonicalSave();
    Edge *wc = f.edge("W", "C");
    Edge *ce = f.edge("C", "E");
    Edge *cn = f.edge("C", "N");
    Edge *cs = f.edge("C", "S");
    const QVariantMap marker{{"route", value(route)}, {"edge", value(ce)}, {"index", 1}};

    dropAt(f, marker, midOf(cn->lane(0)));
    QCOMPARE(route->controlEdges(), (QList<Edge *>{wc, cn}));
    QCOMPARE(f.undoStack()->count(), 1);
    const QVariantMap first{{"route", value(route)}, {"edge", value(wc)}, {"index", 0}};
    dropAt(f, first, midOf(cs->lane(0)), Qt::ControlModifier);
    QCOMPARE(route->controlEdges(), (QList<Edge *>{wc, cs, cn}));
    QCOMPARE(f.undoStack()->count(), 2);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// A drop whose payload is not a marker's goes on to the scene untouched.
void TestEditorInput::foreignPayloadPassedOn()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QByteArray before = f.canonicalSave();
    QMimeData mime;
    mime.setText(QStringLiteral("connection"));
    const QPoint at = f.toViewport(midOf(f.edge("C", "N")->lane(0)));
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.view()->viewport(), &enter);
    QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.view()->viewport(), &drop);
    f.settle();
    QCOMPARE(f.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// Control shows the add-point cursor only while geometry is edited, once however long it repeats, and
// its release takes back only that cursor; Delete removes the selection as one step.
void TestEditorInput::keys()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net);
        net->addItem(new PolygonObject(net, GeoShape({{30, 30}, {80, 30}, {80, 80}, {30, 80}})));
        return l;
    });
    const QByteArray before = f.canonicalSave();
    emit f.view()->keyPressed(Qt::Key_Control, 0);
    QVERIFY(!QApplication::overrideCursor());

    // A cursor someone else set stays when Control is released.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    f.doubleClick(QPointF(55, 55));
    emit f.view()->keyPressed(Qt::Key_Control, int(Qt::ControlModifier));
    emit f.view()->keyPressed(Qt::Key_Control, int(Qt::ControlModifier));
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->hotSpot(), QPoint(2, 2));
    emit f.view()->keyReleased(Qt::Key_Control, 0);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    QVERIFY(!QApplication::overrideCursor());
    f.click(QPointF(-70, -70));
    QCOMPARE(f.undoStack()->count(), 0);

    // Delete: the selected objects go in one step.
    const int nodeId = f.node("N")->id();
    const int crossWalkId = f.layout().crossWalks.value(0)->id();
    f.net()->object2item(f.node("N"))->setSelected(true);
    f.net()->object2item(f.layout().crossWalks.value(0))->setSelected(true);
    emit f.view()->keyPressed(Qt::Key_Delete, 0);
    f.settle();
    QVERIFY(!f.net()->findObject(nodeId));
    QVERIFY(!f.net()->findObject(crossWalkId));
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

namespace {

int editMarkers(EditorFixture &f)
{
    int count = 0;
    for (QGraphicsItem *item : f.scene()->items()) {
        if (item->type() == ItemType::GeometryEditorMarker)
            ++count;
    }
    return count;
}

} // namespace

// A click on an item that is not a marker ends the lane-edit states and reports the item.
void TestEditorInput::clickEndsEditStates()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Connection *connection = f.layout().connections.value(0);
    auto *item = static_cast<Connectiong *>(f.net()->object2item(connection));
    item->setSelected(true);
    f.edit()->editConnections();
    QVERIFY(item->isLanesEdit());
    QList<GenericGraphicsItem *> clicked;
    QObject::connect(f.edit(), &NetEdit::itemClicked, [&clicked](GenericGraphicsItem *i) { clicked.append(i); });
    Lane *lane = f.edge("C", "N")->lane(0);
    QCOMPARE(dropTarget(f, midOf(lane)), lane);
    f.click(midOf(lane));
    QVERIFY(!item->isLanesEdit());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first(), f.net()->object2item(lane));
    QCOMPARE(f.undoStack()->count(), 0);
}

void TestEditorInput::editSlotsEnterGeometryEditing()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QPointF empty(-70, -70);
    // Lanes show no vertices of their own yet; the one selected lane joins the session all the same and
    // leaves the selection.
    GenericGraphicsItem *lane = f.net()->object2item(f.edge("C", "N")->lane(0));
    lane->setSelected(true);
    f.edit()->editLaneSkeleton();
    QVERIFY(!lane->isSelected());
    f.click(empty);

    // Two nodes selected: not the one node the shape editing asks for.
    f.net()->object2item(f.node("N"))->setSelected(true);
    f.net()->object2item(f.node("C"))->setSelected(true);
    f.edit()->editNodeShape();
    QCOMPARE(editMarkers(f), 0);
    f.scene()->clearSelection();
    f.net()->object2item(f.node("C"))->setSelected(true);
    f.edit()->editNodeShape();
    QVERIFY(editMarkers(f) > 0);
    f.key(Qt::Key_Escape);
    QCOMPARE(editMarkers(f), 0);

    // An edge through its tree row (edge items are not selected in the scene).
    f.scene()->clearSelection();
    const QList<QTreeWidgetItem *> rows = f.edit()->treeItems(f.edge("W", "C"));
    QVERIFY(!rows.isEmpty());
    rows.first()->setSelected(true);
    f.settle();
    f.edit()->editEdgeSkeleton();
    QVERIFY(editMarkers(f) > 0);
    f.click(empty);
    QCOMPARE(editMarkers(f), 0);
    QCOMPARE(f.undoStack()->count(), 0);
}

// Delete pressed on the object tree removes the objects selected there.
void TestEditorInput::deleteKeyOnTree()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    f.edit()->rebuildObjectTree();
    const QByteArray before = f.canonicalSave();
    Node *node = f.node("N");
    const int id = node->id();
    const QList<QTreeWidgetItem *> rows = f.edit()->treeItems(node);
    QVERIFY(!rows.isEmpty());
    rows.first()->setSelected(true);
    QTest::keyClick(f.edit()->objectsTree(), Qt::Key_Delete);
    f.settle();
    QVERIFY(!f.net()->findObject(id));
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

// A lane deleted with the Delete key, undone and redone: each state exactly as it was.
void TestEditorInput::deleteLaneUndoRedo()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    const QByteArray before = f.canonicalSave();
    Lane *lane = f.edge("C", "N")->lane(0);
    f.click(midOf(lane));
    QVERIFY(f.net()->object2item(lane)->isSelected());
    f.key(Qt::Key_Delete);
    QCOMPARE(f.undoStack()->count(), 1);
    const QByteArray deleted = f.canonicalSave();
    QVERIFY(deleted != before);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(deleted, f.canonicalSave()), QString());
    f.undoAll();

    // A selected stopline is never deleted, and so leaves no step whose redo would delete it.
    Stopline *line = f.edge("N", "C")->lane(0)->stopline();
    GenericGraphicsItem *lineItem = f.net()->object2item(line);
    QVERIFY(lineItem);
    lineItem->setSelected(true);
    QVERIFY(lineItem->isSelected());
    QCOMPARE(f.undoStack()->index(), 0);
    f.key(Qt::Key_Delete);
    // Nothing pushed: the undone deletion is still there to redo.
    QCOMPARE(f.undoStack()->index(), 0);
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

QTEST_MAIN(TestEditorInput)
#include "tst_editor_input.moc"
