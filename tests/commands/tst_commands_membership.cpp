// The commands that change memberships and references (edge groups, granules, detector groups, signal
// groups, TAZ links, walking-area items, connection and crosswalk ends) and the two that replace or
// extend the whole network (download, join). Each is pushed on the editor's stack after the state
// before it was saved; undo must give those bytes back, redo the bytes after the push, twice over.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "commands/addedgetogroupcommand.h"
#include "commands/changeconnectioncommand.h"
#include "commands/changecrosswalkcommand.h"
#include "commands/changesgcontentcommand.h"
#include "commands/changetazitemcommand.h"
#include "commands/changewaitemcommand.h"
#include "commands/downloadnetcommand.h"
#include "commands/joinnetcommand.h"
#include "commands/movedtgroupcommand.h"
#include "commands/removeedgefromgroupcommand.h"
#include "commands/removenodefromgranule.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "sumo/sumonetimporter.h"

#include "detector.h"
#include "detectorgroup.h"
#include "geo/geohelpers.h"
#include "granule.h"
#include "signalgroup.h"
#include "taz.h"
#include "walkingarea.h"

#include <QPainterPath>
#include <QPointer>
#include <QPair>
#include <QUndoStack>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

Layouts::Layout fourArmGrouped(Network *net)
{
    return Layouts::fourArm(net, Layouts::Grouped);
}

Layouts::Layout sidewalks(Network *net)
{
    return Layouts::fourArm(net, Layouts::Sidewalks | Layouts::RoadsOnly);
}

// Two junctions 100 m apart on the x axis, joined by a one-way sidewalk: its lane has both a start
// line and a stopline in use.
Layouts::Layout footpath(Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0), Node::Junction);
    Layouts::addNode(l, QStringLiteral("B"), QPointF(100, 0), Node::Junction);
    Layouts::addEdge(l, QStringLiteral("A"), QStringLiteral("B"), QList<int>{Layouts::pedestrian});
    return l;
}

bool importSumo(EditorFixture &editor, const QString &relative, QString *error)
{
    editor.edit()->beforeLoad();
    const bool ok = importSumoNetwork(editor.net(), TestSupport::dataPath(relative));
    editor.edit()->afterLoad();
    if (!ok && error)
        *error = editor.net()->errorString();
    return ok;
}

Lane *sidewalkOf(Edge *edge)
{
    for (Lane *lane : edge->lanes()) {
        if (lane->allowed() == Lane::VehicleClasses(Layouts::pedestrian))
            return lane;
    }
    return nullptr;
}

// Objects below the network without a row in the object tree.
QStringList missingFromTree(NetEdit *edit)
{
    QStringList missing;
    for (QObject *child : edit->net()->children()) {
        auto *object = qobject_cast<NetObject *>(child);
        if (object && edit->treeItems(object).isEmpty())
            missing.append(object->printableName());
    }
    return missing;
}

QList<WalkingArea::Item> itemsOf(const WalkingArea *area)
{
    QList<WalkingArea::Item> items;
    for (const WalkingArea::Item *item : area->items())
        items.append(*item);
    return items;
}

} // namespace

#define COMPARE_SAVES(actual, expected)                                                                     \
    do {                                                                                                   \
        const QByteArray a_ = (actual);                                                                    \
        const QByteArray e_ = (expected);                                                                  \
        QVERIFY2(a_ == e_, qPrintable(TestSupport::firstDifference(e_, a_)));                              \
    } while (false)

// Pushes the command and checks undo and redo, twice: the save after undo is `before`, after redo what
// the push left. The save after the push is left in *after.
#define ROUND_TRIP(ed, command, before, after)                                                              \
    do {                                                                                                   \
        (ed).undoStack()->push(command);                                                                   \
        (after) = (ed).canonicalSave();                                                                    \
        QVERIFY2((after) != (before), "the command changed nothing");                                    \
        for (int round_ = 0; round_ < 2; ++round_) {                                                       \
            (ed).undoStack()->undo();                                                                      \
            COMPARE_SAVES((ed).canonicalSave(), before);                                                   \
            (ed).undoStack()->redo();                                                                      \
            COMPARE_SAVES((ed).canonicalSave(), after);                                                    \
        }                                                                                                  \
    } while (false)

class TestCommandsMembership : public QObject
{
    Q_OBJECT

private slots:
    void removeEdgeFromGroup();
    void addEdgeToGroup();
    void addOnlyGroupedEdges();

    void granuleKeepsOtherJunctions();
    void granuleLastJunctionComesBack();

    void detectorGroupMove();
    void detectorGroupOwnEdgeIsInert();

    void signalGroupContent();

    void tazLinks();
    void tazInert();

    void walkingAreaChange();
    void walkingAreaSwapTwiceIsIdentity();
    void walkingAreaMidwayChangesNothing();
    void walkingAreaSameLineChangesNothing();

    void connectionEnds();
    void crosswalkLanes();

    void realJunction();

    void downloadReplaces();
    void downloadUnites();
    void downloadFailureLeavesNetwork();

    void joinUndoRebuildsTree();
};

void TestCommandsMembership::removeEdgeFromGroup()
{
    EditorFixture ed(fourArmGrouped);
    Edge *in = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    Edge *out = ed.edge(QStringLiteral("C"), QStringLiteral("N"));
    EdgeGroup *group = in->group();
    QVERIFY(group);
    QCOMPARE(out->group(), group);

    {
        RemoveEdgeFromGroupCommand one(ed.net(), {in});
        QCOMPARE(one.text(), QStringLiteral("Remove edge '%1' from group '%2'").arg(in->id()).arg(group->id()));
        QCOMPARE(one.id(), 16);
    }
    const QByteArray before = ed.canonicalSave();
    auto *command = new RemoveEdgeFromGroupCommand(ed.net(), {in, out, ed.edge(QStringLiteral("N"), QStringLiteral("C"))});
    QCOMPARE(command->text(), QStringLiteral("Remove 2 edges from group"));
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QVERIFY(!in->group());
    QVERIFY(!out->group());
}

void TestCommandsMembership::addEdgeToGroup()
{
    EditorFixture ed(fourArmGrouped);
    Edge *in = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    EdgeGroup *group = in->group();
    QVERIFY(group->removeEdge(in));
    // A custom skeleton comes back on undo; the group's skeleton is taken while a member.
    const GeoPolyline custom(QVector<QPointF>{QPointF(0, 100), QPointF(15, 50), QPointF(0, 0)});
    QVERIFY(in->setSkeleton(custom));
    QVERIFY(!in->autoSkeleton());

    const QByteArray before = ed.canonicalSave();
    auto *command = new AddEdgeToGroupCommand(ed.net(), group, {in});
    QCOMPARE(command->text(), QStringLiteral("Add edge '%1' to group '%2'").arg(in->id()).arg(group->id()));
    QCOMPARE(command->id(), 19);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(in->group(), group);
    QVERIFY(in->autoSkeleton());
    ed.undoStack()->undo();
    QVERIFY(!in->group());
    QCOMPARE(in->skeleton(), custom);
}

void TestCommandsMembership::addOnlyGroupedEdges()
{
    EditorFixture ed(fourArmGrouped);
    Edge *in = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    Edge *east = ed.edge(QStringLiteral("E"), QStringLiteral("C"));
    EdgeGroup *group = in->group();
    const QByteArray before = ed.canonicalSave();
    // Both already belong to a group (one of them to another one): nothing is recorded.
    auto *command = new AddEdgeToGroupCommand(ed.net(), group, {in, east});
    QCOMPARE(command->text(), QStringLiteral("Add 0 edges to group '%1'").arg(group->id()));
    QVERIFY(command->edgeIds().isEmpty());
    ed.undoStack()->push(command);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    QCOMPARE(east->group()->id(), ed.edge(QStringLiteral("C"), QStringLiteral("E"))->group()->id());
}

void TestCommandsMembership::granuleKeepsOtherJunctions()
{
    EditorFixture ed(fourArm);
    Node *centre = ed.node(QStringLiteral("C"));
    Node *north = ed.node(QStringLiteral("N"));
    auto *granule = new Granule({centre, north}, ed.net());
    QVERIFY(ed.net()->addItem(granule));
    ed.settle();
    const QList<Edge *> centreEdges = granule->edges();
    QVERIFY(!ed.edit()->treeItems(north).isEmpty());

    const QByteArray before = ed.canonicalSave();
    auto *command = new RemoveNodeFromGranule(ed.edit(), granule, north);
    QCOMPARE(command->text(), QStringLiteral("Remove node %1 from granule %2").arg(north->id()).arg(granule->id()));
    QCOMPARE(command->id(), 21);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(granule->nodes(), QList<Node *>{centre});
    // The node's row under the granule went; the edges at the centre keep theirs.
    const QList<QTreeWidgetItem *> granuleRows = ed.edit()->treeItems(granule);
    QCOMPARE(granuleRows.size(), 1);
    const auto below = ed.edit()->treeChildObjects(granuleRows.first());
    QVERIFY(!below.contains(north));
    QVERIFY(below.contains(centre));
    for (Edge *edge : centreEdges)
        QVERIFY2(below.contains(edge), qPrintable(edge->printableName()));
    ed.undoStack()->undo();
    QVERIFY(ed.edit()->treeChildObjects(ed.edit()->treeItems(granule).first()).contains(north));
}

void TestCommandsMembership::granuleLastJunctionComesBack()
{
    EditorFixture ed(fourArm);
    Node *centre = ed.node(QStringLiteral("C"));
    auto *granule = new Granule(QList<Node *>{centre}, ed.net());
    granule->setTlId(42);
    QVERIFY(ed.net()->addItem(granule));
    auto *sg = new SignalGroup(granule);
    QVERIFY(ed.net()->addItem(sg));
    QVERIFY(sg->addConnection(centre->connections().first()));
    const int granuleId = granule->id();
    const int sgId = sg->id();

    const QByteArray before = ed.canonicalSave();
    auto *command = new RemoveNodeFromGranule(ed.edit(), granule, centre);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QVERIFY(!ed.net()->findObject(granuleId));
    QVERIFY(!ed.net()->findObject(sgId));

    ed.undoStack()->undo();
    auto *restored = ed.net()->findObject<Granule>(granuleId);
    QVERIFY(restored);
    QCOMPARE(restored->tlId(), 42);
    QCOMPARE(restored->nodes(), QList<Node *>{centre});
    QVERIFY(ed.net()->findObject<SignalGroup>(sgId));
    // The tree shows the granule again, with its junction below it.
    const QList<QTreeWidgetItem *> rows = ed.edit()->treeItems(restored);
    QCOMPARE(rows.size(), 1);
    QVERIFY(ed.edit()->treeChildObjects(rows.first()).contains(centre));
}

void TestCommandsMembership::detectorGroupMove()
{
    EditorFixture ed(fourArm);
    Edge *north = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    Edge *east = ed.edge(QStringLiteral("E"), QStringLiteral("C"));
    auto *group = new DetectorGroup(north);
    QVERIFY(ed.net()->addItem(group));
    QList<int> formerIds;
    for (Lane *lane : north->lanes()) {
        auto *detector = new Detector(lane, 30);
        QVERIFY(ed.net()->addItem(detector));
        QVERIFY(group->addDetector(detector));
        formerIds.append(detector->id());
    }

    const QByteArray before = ed.canonicalSave();
    Lane *target = east->lanes().last();
    auto *command = new MoveDtGroupCommand(ed.net(), group, target, QPointF(60, -1.6));
    QCOMPARE(command->text(), QStringLiteral("Move detector group %1").arg(group->printableName()));
    QCOMPARE(command->id(), -1);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(group->edge(), east);
    QCOMPARE(group->detectorCount(), east->lanes().size());
    for (Detector *detector : group->detectors()) {
        QCOMPARE(detector->lane()->edge(), east);
        // The dropped point is 40 m along the lanes from E.
        QVERIFY2(qAbs(detector->distance() - 40) < 0.5, qPrintable(QString::number(detector->distance())));
    }
    // The former detectors stay on their lanes, ungrouped.
    for (int id : formerIds) {
        auto *detector = ed.net()->findObject<Detector>(id);
        QVERIFY(detector);
        QVERIFY(!group->detectors().contains(detector));
    }
}

void TestCommandsMembership::detectorGroupOwnEdgeIsInert()
{
    EditorFixture ed(fourArm);
    Edge *north = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    auto *group = new DetectorGroup(north);
    QVERIFY(ed.net()->addItem(group));
    auto *detector = new Detector(north->lanes().first(), 30);
    QVERIFY(ed.net()->addItem(detector));
    QVERIFY(group->addDetector(detector));

    const QByteArray before = ed.canonicalSave();
    auto *command = new MoveDtGroupCommand(ed.net(), group, north->lanes().last(), QPointF(0, 50));
    ed.undoStack()->push(command);
    QVERIFY(command->isInert());
    COMPARE_SAVES(ed.canonicalSave(), before);
    for (int round = 0; round < 2; ++round) {
        ed.undoStack()->undo();
        COMPARE_SAVES(ed.canonicalSave(), before);
        ed.undoStack()->redo();
        COMPARE_SAVES(ed.canonicalSave(), before);
    }
    QCOMPARE(group->detectors(), QList<Detector *>{detector});
}

void TestCommandsMembership::signalGroupContent()
{
    EditorFixture ed(fourArm);
    Node *centre = ed.node(QStringLiteral("C"));
    auto *granule = new Granule(QList<Node *>{centre}, ed.net());
    QVERIFY(ed.net()->addItem(granule));
    auto *sg = new SignalGroup(granule);
    QVERIFY(ed.net()->addItem(sg));
    const QList<Connection *> connections = centre->connections();
    QVERIFY(sg->addConnection(connections.at(0)));

    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangeSgContentCommand(ed.net(), sg, {connections.at(1), connections.at(2)},
                                               {ed.layout().crossWalks.first()});
    QCOMPARE(command->text(), QStringLiteral("Change content of signal group %1").arg(sg->printableName()));
    QCOMPARE(command->id(), 11);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(sg->connections(), (QList<Connection *>{connections.at(1), connections.at(2)}));
    QCOMPARE(sg->crossWalks(), QList<CrossWalk *>{ed.layout().crossWalks.first()});
}

void TestCommandsMembership::tazLinks()
{
    EditorFixture ed(fourArm);
    Edge *north = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    Edge *east = ed.edge(QStringLiteral("E"), QStringLiteral("C"));
    Edge *south = ed.edge(QStringLiteral("S"), QStringLiteral("C"));
    auto *taz = new Taz(ed.net(), QPointF(60, 60));
    QVERIFY(ed.net()->addItem(taz));
    QVERIFY(taz->addEdge(north, 20, false));
    QVERIFY(taz->addEdge(south, 70, true));

    // Moving the first link: the undo puts it back in its place among the links.
    QByteArray before = ed.canonicalSave();
    auto *change = new ChangeTazItemCommand(ed.net(), taz, north, east, QPointF(80, -1));
    QCOMPARE(change->text(), QStringLiteral("Change TAZ %1 connections").arg(taz->id()));
    QCOMPARE(change->id(), 13);
    // 20 m along E>C from E: in the edge's first half, so the zone feeds it.
    QVERIFY(qAbs(change->newPosition() - 20) < 0.5);
    QVERIFY(change->newFlag());
    QByteArray after;
    ROUND_TRIP(ed, change, before, after);
    QVERIFY(!taz->edgeData(north));
    QVERIFY(taz->edgeData(east));
    ed.undoStack()->undo();
    QCOMPARE(taz->edges(), (QList<Edge *>{north, south}));
    ed.undoStack()->redo();

    before = ed.canonicalSave();
    auto *add = new ChangeTazItemCommand(ed.net(), taz, nullptr, north, QPointF(0, 20));
    QCOMPARE(add->text(), QStringLiteral("Add new connection to TAZ %1").arg(taz->id()));
    QVERIFY(!add->newFlag());
    ROUND_TRIP(ed, add, before, after);

    before = ed.canonicalSave();
    auto *remove = new ChangeTazItemCommand(ed.net(), taz, south, nullptr, QPointF());
    QCOMPARE(remove->text(), QStringLiteral("Remove connection from TAZ %1").arg(taz->id()));
    ROUND_TRIP(ed, remove, before, after);
    QVERIFY(!taz->edgeData(south));
}

void TestCommandsMembership::tazInert()
{
    EditorFixture ed(fourArm);
    Edge *north = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    Edge *east = ed.edge(QStringLiteral("E"), QStringLiteral("C"));
    auto *taz = new Taz(ed.net(), QPointF(60, 60));
    QVERIFY(ed.net()->addItem(taz));
    const QByteArray before = ed.canonicalSave();
    // The old edge is not linked: nothing happens, not even the new link.
    auto *command = new ChangeTazItemCommand(ed.net(), taz, north, east, QPointF(80, 0));
    QVERIFY(command->isInert());
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommandsMembership::walkingAreaChange()
{
    EditorFixture ed(sidewalks);
    Lane *north = sidewalkOf(ed.edge(QStringLiteral("N"), QStringLiteral("C")));
    Lane *east = sidewalkOf(ed.edge(QStringLiteral("E"), QStringLiteral("C")));
    Lane *westOut = sidewalkOf(ed.edge(QStringLiteral("C"), QStringLiteral("W")));
    QVERIFY(north && east && westOut);
    auto *area = new WalkingArea(ed.net());
    QVERIFY(ed.net()->addItem(area));
    QVERIFY(area->addStopline(north->stopline()));
    QVERIFY(area->addStopline(westOut->startline()));

    // The first item moves to the east sidewalk: the undo puts it back first.
    const QByteArray before = ed.canonicalSave();
    const QList<WalkingArea::Item> itemsBefore = itemsOf(area);
    auto *command = new ChangeWaItemCommand(ed.net(), area, area->items().first(), east,
                                            east->stopline()->line().pointAt(0.5));
    QCOMPARE(command->text(), QStringLiteral("Change walking area items"));
    QCOMPARE(command->id(), 10);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(itemsOf(area), (QList<WalkingArea::Item>{WalkingArea::Item(westOut->startline()),
                                                      WalkingArea::Item(east->stopline())}));
    ed.undoStack()->undo();
    QCOMPARE(itemsOf(area), itemsBefore);

    // Removal.
    auto *remove = new ChangeWaItemCommand(ed.net(), area, area->items().last(), nullptr, QPointF());
    QCOMPARE(remove->text(), QStringLiteral("Remove walking area items"));
    ROUND_TRIP(ed, remove, before, after);
    QCOMPARE(itemsOf(area), QList<WalkingArea::Item>{WalkingArea::Item(north->stopline())});
}

void TestCommandsMembership::walkingAreaSwapTwiceIsIdentity()
{
    EditorFixture ed(sidewalks);
    Lane *north = sidewalkOf(ed.edge(QStringLiteral("N"), QStringLiteral("C")));
    Lane *east = sidewalkOf(ed.edge(QStringLiteral("E"), QStringLiteral("C")));
    auto *area = new WalkingArea(ed.net());
    QVERIFY(ed.net()->addItem(area));
    QVERIFY(area->addStopline(north->stopline()));
    const QByteArray before = ed.canonicalSave();

    // Not pushed: the command is driven by hand, as the stack would never do.
    auto *command = new ChangeWaItemCommand(ed.net(), area, area->items().first(), east,
                                            east->stopline()->line().pointAt(0.5));
    command->redo();
    const QByteArray changed = ed.canonicalSave();
    QVERIFY(changed != before);
    command->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    command->undo();
    COMPARE_SAVES(ed.canonicalSave(), changed);
    command->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    // The items it holds between swaps are its own: deleting it now frees them once.
    command->redo();
    delete command;
    COMPARE_SAVES(ed.canonicalSave(), changed);
    QCOMPARE(area->itemCount(), 1);
}

void TestCommandsMembership::walkingAreaMidwayChangesNothing()
{
    EditorFixture ed(footpath);
    Edge *edge = ed.edge(QStringLiteral("A"), QStringLiteral("B"));
    Lane *lane = edge->lanes().first();
    QVERIFY(lane->hasStartline() && lane->hasStopline());
    auto *area = new WalkingArea(ed.net());
    QVERIFY(ed.net()->addItem(area));
    QVERIFY(area->addStopline(lane->stopline()));

    const QPointF start = lane->startline()->line().pointAt(0.5);
    const QPointF stop = lane->stopline()->line().pointAt(0.5);
    const QPointF midway = (start + stop) / 2;
    QCOMPARE(flatDistance(midway, start), flatDistance(midway, stop));

    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangeWaItemCommand(ed.net(), area, area->items().first(), lane, midway);
    QVERIFY(command->isEmpty());
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    QCOMPARE(area->itemCount(), 1);

    // Nearer to the start line: that one replaces the stopline.
    auto *nearer = new ChangeWaItemCommand(ed.net(), area, area->items().first(), lane, start + QPointF(1, 0));
    QByteArray after;
    ROUND_TRIP(ed, nearer, before, after);
    QCOMPARE(itemsOf(area), QList<WalkingArea::Item>{WalkingArea::Item(lane->startline())});
}

void TestCommandsMembership::walkingAreaSameLineChangesNothing()
{
    EditorFixture ed(sidewalks);
    Lane *north = sidewalkOf(ed.edge(QStringLiteral("N"), QStringLiteral("C")));
    Lane *east = sidewalkOf(ed.edge(QStringLiteral("E"), QStringLiteral("C")));
    auto *area = new WalkingArea(ed.net());
    QVERIFY(ed.net()->addItem(area));
    QVERIFY(area->addStopline(north->stopline()));
    QVERIFY(area->addStopline(east->stopline()));
    const QByteArray before = ed.canonicalSave();
    // Dropped back on its own line: the item stays where it is.
    auto *command = new ChangeWaItemCommand(ed.net(), area, area->items().first(), north,
                                            north->stopline()->line().pointAt(0.5));
    QVERIFY(command->isEmpty());
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommandsMembership::connectionEnds()
{
    EditorFixture ed(fourArm);
    Edge *in = ed.edge(QStringLiteral("S"), QStringLiteral("C"));
    Connection *connection = nullptr;
    for (Connection *c : ed.node(QStringLiteral("C"))->connections()) {
        if (c->startLane() && c->startLane()->edge() == in) {
            connection = c;
            break;
        }
    }
    QVERIFY(connection);
    Lane *otherFrom = nullptr;
    for (Lane *lane : in->lanes()) {
        if (lane != connection->startLane())
            otherFrom = lane;
    }
    Lane *otherTo = nullptr;
    for (Lane *lane : connection->endLane()->edge()->lanes()) {
        if (lane != connection->endLane())
            otherTo = lane;
    }
    QVERIFY(otherFrom && otherTo);

    {
        // The lanes it already uses change nothing.
        ChangeConnectionCommand same(ed.net(), connection, connection->startLane(), connection->endLane());
        QVERIFY(same.isEmpty());
    }
    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangeConnectionCommand(ed.net(), connection, otherFrom, otherTo);
    QCOMPARE(command->text(), QStringLiteral("Change connection %1").arg(connection->printableName()));
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(connection->startLane(), otherFrom);
    QCOMPARE(connection->endLane(), otherTo);
}

void TestCommandsMembership::crosswalkLanes()
{
    EditorFixture ed(fourArm);
    CrossWalk *crossWalk = ed.layout().crossWalks.first();
    Lane *lane1 = crossWalk->lane1();
    Lane *other = nullptr;
    for (Lane *lane : lane1->edge()->lanes()) {
        if (lane != lane1)
            other = lane;
    }
    QVERIFY(other);
    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangeCrosswalkCommand(ed.net(), crossWalk, other, crossWalk->lane2());
    QCOMPARE(command->text(), QStringLiteral("Change crosswalk %1").arg(crossWalk->printableName()));
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(crossWalk->lane1(), other);
}

// The connection, crosswalk, walking-area and detector-group commands at a junction of an imported
// network, where lanes, lines and items are as the importer made them.
void TestCommandsMembership::realJunction()
{
    EditorFixture ed;
    QString error;
    QVERIFY2(importSumo(ed, QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz"), &error), qPrintable(error));

    // A walking area with at least two items whose junction has crosswalks and connections from
    // edges of two lanes or more.
    WalkingArea *area = nullptr;
    Node *junction = nullptr;
    for (NetObject *object : Layouts::objectsById(ed.net())) {
        auto *candidate = qobject_cast<WalkingArea *>(object);
        if (!candidate || candidate->itemCount() < 2 || !candidate->junction())
            continue;
        Node *node = candidate->junction();
        bool wide = false;
        for (Connection *c : node->connections())
            wide = wide || (c->startLane() && c->startLane()->edge()->lanes().size() >= 2);
        if (wide && !node->crossWalks().isEmpty()) {
            area = candidate;
            junction = node;
            break;
        }
    }
    QVERIFY2(area, "no walking area at a junction with crosswalks and wide roads");

    QByteArray before = ed.canonicalSave();
    QByteArray after;

    // Connection: its from end moves to a neighbouring lane that has a stopline.
    Connection *connection = nullptr;
    Lane *neighbour = nullptr;
    for (Connection *c : junction->connections()) {
        Lane *from = c->startLane();
        if (!from)
            continue;
        for (Lane *lane : from->edge()->lanes()) {
            if (lane != from && lane->hasStopline()) {
                connection = c;
                neighbour = lane;
                break;
            }
        }
        if (connection)
            break;
    }
    QVERIFY(connection);
    ROUND_TRIP(ed, new ChangeConnectionCommand(ed.net(), connection, neighbour, nullptr), before, after);
    before = after;

    // Crosswalk: its first end on another lane of its road.
    CrossWalk *crossWalk = nullptr;
    Lane *otherLane = nullptr;
    for (CrossWalk *w : junction->crossWalks()) {
        if (!w->lane1())
            continue;
        for (Lane *lane : w->lane1()->edge()->lanes()) {
            if (lane != w->lane1() && lane != w->lane2()) {
                crossWalk = w;
                otherLane = lane;
                break;
            }
        }
        if (crossWalk)
            break;
    }
    QVERIFY(crossWalk);
    ROUND_TRIP(ed, new ChangeCrosswalkCommand(ed.net(), crossWalk, otherLane, nullptr), before, after);
    before = after;
    {
        // Walking-area items at the moved end went with it: the network still loads.
        Network check;
        QXmlStreamReader reader(after);
        QVERIFY2(check.load(reader, false), qPrintable(check.errorString()));
    }

    // Walking area: the first item goes to the end of a crosswalk of the junction it does not name yet,
    // then an item is removed.
    const QList<WalkingArea::Item> items = itemsOf(area);
    CrossWalk *target = nullptr;
    for (CrossWalk *w : junction->crossWalks()) {
        bool named = false;
        for (const WalkingArea::Item &item : items)
            named = named || item.crossWalk() == w;
        if (!named && w->skeleton().count() >= 2 && w->lane1()) {
            target = w;
            break;
        }
    }
    QVERIFY(target);
    auto *change = new ChangeWaItemCommand(ed.net(), area, area->items().first(), target, target->skeleton().first());
    QVERIFY(!change->isEmpty());
    ROUND_TRIP(ed, change, before, after);
    before = after;
    ROUND_TRIP(ed, new ChangeWaItemCommand(ed.net(), area, area->items().last(), nullptr, QPointF()), before,
               after);
    before = after;

    // Detector group: from one incoming road of the junction to another.
    QList<Edge *> incoming;
    for (Connection *c : junction->connections()) {
        Edge *edge = c->startLane() ? c->startLane()->edge() : nullptr;
        if (edge && !incoming.contains(edge))
            incoming.append(edge);
    }
    QVERIFY(incoming.size() >= 2);
    auto *group = new DetectorGroup(incoming.at(0));
    QVERIFY(ed.net()->addItem(group));
    for (Lane *lane : incoming.at(0)->lanes()) {
        auto *detector = new Detector(lane, 5);
        QVERIFY(ed.net()->addItem(detector));
        QVERIFY(group->addDetector(detector));
    }
    before = ed.canonicalSave();
    Lane *targetLane = incoming.at(1)->lanes().first();
    QPointF dropped;
    targetLane->skeleton().lineAtDistance(3, true, &dropped);
    ROUND_TRIP(ed, new MoveDtGroupCommand(ed.net(), group, targetLane, dropped), before, after);
    QCOMPARE(group->edge(), incoming.at(1));
    before = after;

    // Joining a small network into the real one and undoing it brings back every object and its row.
    Network other;
    Layouts::chain(&other);
    ROUND_TRIP(ed, new JoinNetCommand(ed.edit(), &other), before, after);
    ed.undoStack()->undo();
    QCOMPARE(missingFromTree(ed.edit()), QStringList());
}

void TestCommandsMembership::downloadReplaces()
{
    EditorFixture ed(fourArm);
    // A command before the download stays undoable after it.
    auto *earlier = new RemoveEdgeFromGroupCommand(ed.net(), {});
    ed.undoStack()->push(earlier);

    Network part;
    Layouts::tJunction(&part);
    const QByteArray data = TestSupport::saveAll(&part);
    QPainterPath area;
    area.addRect(QRectF(-50, -50, 100, 100));
    ed.view()->setEnabledPath(QPainterPath());

    const QByteArray before = ed.canonicalSave();
    auto *command = new DownloadNetCommand(ed.edit(), area, false, data);
    QCOMPARE(command->text(), QStringLiteral("Download network"));
    QCOMPARE(command->id(), 8);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QVERIFY(!command->failed());
    QCOMPARE(ed.net()->objectCount(), part.objectCount());
    QCOMPARE(missingFromTree(ed.edit()), QStringList());
    QCOMPARE(ed.view()->enabledPath(), area);
    QCOMPARE(ed.undoStack()->count(), 2);

    ed.undoStack()->undo();
    QCOMPARE(missingFromTree(ed.edit()), QStringList());
    QCOMPARE(ed.view()->enabledPath(), QPainterPath());
    ed.undoStack()->undo();
    QCOMPARE(ed.undoStack()->index(), 0);
}

void TestCommandsMembership::downloadUnites()
{
    EditorFixture ed(fourArm);
    // The server's part: the network as it is with one node more.
    Network part;
    QXmlStreamReader reader(TestSupport::saveAll(ed.net()));
    QVERIFY2(part.load(reader, false), qPrintable(part.errorString()));
    auto *extra = new Node(&part, QPointF(300, 300));
    QVERIFY(part.addItem(extra));
    const QByteArray data = TestSupport::saveAll(&part);

    QPainterPath old;
    old.addRect(QRectF(-200, -200, 100, 100));
    ed.view()->setEnabledPath(old);
    QPainterPath added;
    added.addRect(QRectF(250, 250, 100, 100));

    const QByteArray before = ed.canonicalSave();
    const int count = ed.net()->objectCount();
    auto *command = new DownloadNetCommand(ed.edit(), added, true, data);
    QByteArray after;
    ROUND_TRIP(ed, command, before, after);
    QVERIFY(!command->failed());
    QCOMPARE(ed.net()->objectCount(), count + 1);
    QVERIFY(ed.net()->findObject<Node>(extra->id()));
    QCOMPARE(missingFromTree(ed.edit()), QStringList());
    QCOMPARE(ed.view()->enabledPath(), old.united(added));
    ed.undoStack()->undo();
    QCOMPARE(ed.view()->enabledPath(), old);
}

void TestCommandsMembership::downloadFailureLeavesNetwork()
{
    for (bool unite : {false, true}) {
        EditorFixture ed(fourArm);
        const QByteArray before = ed.canonicalSave();
        QPointer<Node> centre = ed.node(QStringLiteral("C"));
        QList<QPair<QString, QtMsgType>> log;
        QObject::connect(ed.edit(), &NetEdit::logMessage, ed.edit(),
                         [&log](const QString &text, QtMsgType type) { log.append({text, type}); });

        auto *command = new DownloadNetCommand(ed.edit(), QPainterPath(), unite, QByteArray("<network version=\"1\"><lane"));
        ed.undoStack()->push(command);
        QVERIFY(command->failed());
        QVERIFY(!command->errorString().isEmpty());
        COMPARE_SAVES(ed.canonicalSave(), before);
        // Not even re-made: the objects are the ones from before.
        QVERIFY(centre);
        QCOMPARE(missingFromTree(ed.edit()), QStringList());
        QCOMPARE(log.count(), 1);
        QCOMPARE(log.first().first, command->errorString());
        QCOMPARE(log.first().second, QtCriticalMsg);

        ed.undoStack()->undo();
        COMPARE_SAVES(ed.canonicalSave(), before);
        ed.undoStack()->redo();
        COMPARE_SAVES(ed.canonicalSave(), before);
    }
}

void TestCommandsMembership::joinUndoRebuildsTree()
{
    EditorFixture ed(fourArm);
    auto *earlier = new RemoveEdgeFromGroupCommand(ed.net(), {});
    ed.undoStack()->push(earlier);

    Network other;
    Layouts::chain(&other);
    const int count = ed.net()->objectCount();
    const QByteArray before = ed.canonicalSave();
    auto *command = new JoinNetCommand(ed.edit(), &other);
    QCOMPARE(command->text(), QStringLiteral("Join networks"));
    QCOMPARE(command->id(), 18);
    QByteArray after;
    // Redone, the copies keep the ids the first join gave them.
    ROUND_TRIP(ed, command, before, after);
    QCOMPARE(ed.net()->objectCount(), count + other.objectCount());
    QCOMPARE(missingFromTree(ed.edit()), QStringList());

    ed.undoStack()->undo();
    QCOMPARE(ed.net()->objectCount(), count);
    QCOMPARE(missingFromTree(ed.edit()), QStringList());
    // The history before the join is still there.
    QCOMPARE(ed.undoStack()->count(), 2);
    QCOMPARE(ed.undoStack()->index(), 1);
}

QTEST_MAIN(TestCommandsMembership)
#include "tst_commands_membership.moc"
