// The junction topology commands (UniteNodesCommand, JoinNodesCommand, MakeConnectionsCommand,
// InsertJunctionCommand, RemoveJuncWithJoinCommand, AdjustStoplinesOffset) inside the real editor, on
// small layouts and on a junction of an imported real network. Each command is pushed on NetEdit's stack
// and judged by the canonical save of the whole network: undo gives back the bytes from before, redo the
// bytes of the first redo, twice over.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "commands/adjuststoplinesoffset.h"
#include "commands/insertjunctioncommand.h"
#include "commands/joinnodescommand.h"
#include "commands/makeconnectionscommand.h"
#include "commands/removejuncwithjoincommand.h"
#include "commands/unitenodescommand.h"
#include "editor/netedit.h"
#include "scene/networkg.h"
#include "sumo/sumonetimporter.h"

#include "connection.h"
#include "crosswalk.h"
#include "edgegroup.h"
#include "stopline.h"

#include <QRegularExpression>
#include <QUndoStack>
#include <QtTest>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

// After the push: undo gives `before`, redo the state the push left, and again. Empty when right, else
// the first thing that went wrong.
QString roundTrip(EditorFixture &f, const QByteArray &before)
{
    QUndoStack *stack = f.undoStack();
    const QByteArray after = f.canonicalSave();
    if (after == before)
        return QStringLiteral("the command changed nothing");
    for (int pass = 1; pass <= 2; ++pass) {
        stack->undo();
        QString difference = TestSupport::firstDifference(before, f.canonicalSave());
        if (!difference.isEmpty())
            return QStringLiteral("undo %1: %2").arg(pass).arg(difference);
        stack->redo();
        difference = TestSupport::firstDifference(after, f.canonicalSave());
        if (!difference.isEmpty())
            return QStringLiteral("redo %1: %2").arg(pass).arg(difference);
    }
    return QString();
}

QList<QPointF> points(const GeoPolyline &line)
{
    return QList<QPointF>::fromVector(line.points());
}

// Target "T" (0, 0) with a road to "A" (-100, 0); "U" (10, 0) with a grouped road to "B" (100, 0) and
// an edge U>T; "V" (0, 10) with an edge from "C" (0, 100) of a custom skeleton and an edge U>V between
// the two nodes merged into T.
Layouts::Layout unitable(Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("T"), QPointF(0, 0), Node::Junction);
    Layouts::addNode(l, QStringLiteral("U"), QPointF(10, 0), Node::Junction);
    Layouts::addNode(l, QStringLiteral("V"), QPointF(0, 10), Node::PlainNode);
    Layouts::addNode(l, QStringLiteral("A"), QPointF(-100, 0));
    Layouts::addNode(l, QStringLiteral("B"), QPointF(100, 0));
    Layouts::addNode(l, QStringLiteral("C"), QPointF(0, 100));
    Layouts::addRoad(l, QStringLiteral("A"), QStringLiteral("T"), 1);
    Layouts::addRoad(l, QStringLiteral("U"), QStringLiteral("B"), 2, true);
    Layouts::addEdge(l, QStringLiteral("U"), QStringLiteral("T"), 1);
    Layouts::addEdge(l, QStringLiteral("C"), QStringLiteral("V"), 1)
        ->setSkeleton(GeoPolyline({QPointF(0, 100), QPointF(20, 50), QPointF(0, 10)}));
    Layouts::addEdge(l, QStringLiteral("U"), QStringLiteral("V"), 1);
    return l;
}

// "A" (0, 0) - "N" (100, 0) - "B" (200, 20) - "X" (300, 20): one-way edges of 2 lanes, N and B junctions
// (type 1) with their connections; an extra lane on N>B whose connection at B stays behind.
Layouts::Layout throughJunction(Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0));
    Layouts::addNode(l, QStringLiteral("N"), QPointF(100, 0), Node::Junction);
    Layouts::addNode(l, QStringLiteral("B"), QPointF(200, 20), Node::Junction);
    Layouts::addNode(l, QStringLiteral("X"), QPointF(300, 20));
    Layouts::addEdge(l, QStringLiteral("A"), QStringLiteral("N"), 2);
    Layouts::addEdge(l, QStringLiteral("N"), QStringLiteral("B"), 3);
    Layouts::addEdge(l, QStringLiteral("B"), QStringLiteral("X"), 3);
    Layouts::connectJunction(l, l.node(QStringLiteral("N")));
    Layouts::connectJunction(l, l.node(QStringLiteral("B")));
    return l;
}

// "W" (-100, 0) - "C" (0, 0) - "E" (100, 0): two grouped two-way roads of 2 + 2 lanes through junction C
// with its connections.
Layouts::Layout groupedThrough(Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("W"), QPointF(-100, 0));
    Layouts::addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::Junction);
    Layouts::addNode(l, QStringLiteral("E"), QPointF(100, 0));
    Layouts::addRoad(l, QStringLiteral("W"), QStringLiteral("C"), 2, true);
    Layouts::addRoad(l, QStringLiteral("C"), QStringLiteral("E"), 2, true);
    l.node(QStringLiteral("C"))->makeConnections();
    return l;
}

// Junction "C" (0, 0) with four skewed arms of 4 + 4 lanes to plain nodes, no connections.
Layouts::Layout wideJunction(Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::SignalisedJunction);
    const QList<QPair<QString, QPointF>> arms = {{QStringLiteral("N"), QPointF(30, 100)},
                                                 {QStringLiteral("E"), QPointF(100, -20)},
                                                 {QStringLiteral("S"), QPointF(-10, -100)},
                                                 {QStringLiteral("W"), QPointF(-100, 40)}};
    for (const auto &arm : arms) {
        Layouts::addNode(l, arm.first, arm.second);
        Layouts::addRoad(l, arm.first, QStringLiteral("C"), 4);
    }
    return l;
}

} // namespace

class TestCommandsTopology : public QObject
{
    Q_OBJECT

private slots:
    void uniteSingleNodeDoesNothing();
    void uniteThreeNodes();

    void joinNodesRoundTrip();
    void makeConnectionsRoundTrip();

    void insertJunctionOnEdge();
    void insertJunctionOnGroup();

    void removeJunctionJoinsChain();
    void removeJunctionSkipsWrongDirections();
    void removeJunctionGroupCase();
    void removeJunctionsInARow();
    void removeJunctionUndoWithoutEventLoop();

    void adjustStoplinesRoundTrip();
    void adjustStoplinesWithoutPairs();
    void adjustRedoReplaysFirstDistances();
    void adjustTexts();

    void realJunction_data();
    void realJunction();
};

// --- UniteNodesCommand ----------------------------------------------------------------------------

void TestCommandsTopology::uniteSingleNodeDoesNothing()
{
    EditorFixture f(unitable);
    const QByteArray before = f.canonicalSave();
    auto *command = new UniteNodesCommand(f.net(), {f.node(QStringLiteral("T"))});
    QCOMPARE(command->text(), QStringLiteral("Unite 1 nodes"));
    QCOMPARE(command->id(), int(CommandId::UniteNodes));
    f.undoStack()->push(command);
    QCOMPARE(f.canonicalSave(), before);
    f.undoStack()->undo();
    QCOMPARE(f.canonicalSave(), before);
}

void TestCommandsTopology::uniteThreeNodes()
{
    EditorFixture f(unitable);
    Node *t = f.node(QStringLiteral("T"));
    const int uId = f.node(QStringLiteral("U"))->id();
    const int vId = f.node(QStringLiteral("V"))->id();
    Edge *ub = f.edge(QStringLiteral("U"), QStringLiteral("B"));
    Edge *bu = f.edge(QStringLiteral("B"), QStringLiteral("U"));
    Edge *cv = f.edge(QStringLiteral("C"), QStringLiteral("V"));
    EdgeGroup *group = f.layout().groups.value(QStringLiteral("UB"));
    const int uvId = f.edge(QStringLiteral("U"), QStringLiteral("V"))->id();
    const GeoPolyline custom = cv->skeleton();
    const QByteArray before = f.canonicalSave();

    auto *command = new UniteNodesCommand(
        f.net(), {t, f.node(QStringLiteral("U")), f.node(QStringLiteral("V"))});
    QCOMPARE(command->text(), QStringLiteral("Unite 3 nodes"));
    f.undoStack()->push(command);

    QVERIFY(!f.net()->findObject(uId));
    QVERIFY(!f.net()->findObject(vId));
    QCOMPARE(ub->start(), t);
    QCOMPARE(bu->end(), t);
    QCOMPARE(group->start(), t);
    QCOMPARE(cv->end(), t);
    // A custom skeleton stays as drawn.
    QCOMPARE(points(cv->skeleton()), points(custom));
    // The edges between merged nodes would join T to itself: they go with their node.
    QVERIFY(!f.net()->findObject(uvId));

    // Undo brings U and V back with their ids, and U>V with both of its ends.
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    f.undoStack()->undo();
    auto *uv = f.net()->findObject<Edge>(uvId);
    QVERIFY(uv);
    QCOMPARE(uv->start()->id(), uId);
    QCOMPARE(uv->end()->id(), vId);
}

// --- Recording commands ---------------------------------------------------------------------------

void TestCommandsTopology::joinNodesRoundTrip()
{
    EditorFixture f(Layouts::chain);
    Node *c = f.node(QStringLiteral("C"));
    auto *d = new Node(f.net(), QPointF(300, 10), Node::PlainNode);
    QVERIFY(f.net()->addItem(d));
    const QByteArray before = f.canonicalSave();

    auto *command = new JoinNodesCommand(f.net(), c, d);
    QCOMPARE(command->text(), QStringLiteral("Join nodes"));
    QCOMPARE(command->id(), int(CommandId::JoinNodes));
    Edge *edge = f.net()->joinNodes(c, d);
    QVERIFY2(edge, qPrintable(f.net()->errorString()));
    const int edgeId = edge->id();
    f.undoStack()->push(command);
    command->setJoinEdge(edge);

    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(f.net()->findObject<Edge>(edgeId));
    f.undoStack()->undo();
    QVERIFY(!f.net()->findObject(edgeId));
}

void TestCommandsTopology::makeConnectionsRoundTrip()
{
    // From none, and over a set of which one was taken away: the ones that stay keep their ids.
    for (const bool some : {false, true}) {
        EditorFixture f([some](Network *net) {
            return Layouts::fourArm(net, some ? Layouts::NoCrossWalks : Layouts::RoadsOnly);
        });
        Node *c = f.node(QStringLiteral("C"));
        QList<int> kept;
        if (some) {
            delete c->connections().first();
            for (Connection *connection : c->connections())
                kept.append(connection->id());
        }
        const QByteArray before = f.canonicalSave();

        auto *command = new MakeConnectionsCommand(f.net(), {c});
        QCOMPARE(command->text(), QStringLiteral("Make connections"));
        QCOMPARE(command->id(), int(CommandId::MakeConnections));
        f.undoStack()->push(command);
        c->makeConnections();
        command->saveState({c}, false);
        QVERIFY(!c->connections().isEmpty());

        const QString failure = roundTrip(f, before);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        for (int id : qAsConst(kept))
            QVERIFY(f.net()->findObject<Connection>(id));
    }
}

// --- InsertJunctionCommand ------------------------------------------------------------------------

void TestCommandsTopology::insertJunctionOnEdge()
{
    EditorFixture f(Layouts::chain);
    Edge *ab = f.edge(QStringLiteral("A"), QStringLiteral("B"));
    const int abId = ab->id();
    const QByteArray before = f.canonicalSave();

    auto *command = new InsertJunctionCommand(f.net(), ab, 40.0);
    QCOMPARE(command->text(), QStringLiteral("Insert junction on edge"));
    QCOMPARE(command->id(), int(CommandId::InsertJunction));
    f.undoStack()->push(command);
    const int nodeId = command->insertedNodeId();
    auto *node = f.net()->findObject<Node>(nodeId);
    QVERIFY(node);
    QCOMPARE(ab->end(), node);
    QCOMPARE(node->edgesCount(), 2);

    // Undo removes the inserted node and gives the edge back whole under its id.
    f.undoStack()->undo();
    QVERIFY(!f.net()->findObject(nodeId));
    QCOMPARE(f.net()->findObject<Edge>(abId)->end(), f.node(QStringLiteral("B")));
    QCOMPARE(f.canonicalSave(), before);
    f.undoStack()->redo();
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestCommandsTopology::insertJunctionOnGroup()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net, Layouts::Grouped); });
    EdgeGroup *group = f.layout().groups.value(QStringLiteral("WC"));
    QVERIFY(group);
    const int groupId = group->id();
    const QByteArray before = f.canonicalSave();

    auto *command = new InsertJunctionCommand(f.net(), group, 50.0);
    QCOMPARE(command->text(), QStringLiteral("Insert junction on group of edges"));
    f.undoStack()->push(command);
    auto *node = f.net()->findObject<Node>(command->insertedNodeId());
    QVERIFY(node);
    QCOMPARE(node->edgeGroups().size(), 2);

    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    f.undoStack()->undo();
    QVERIFY(f.net()->findObject<EdgeGroup>(groupId));
    QCOMPARE(command->insertedNodeId(), 0);

    // A refused split (at the very end) changes nothing and its undo leaves the network alone.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^InsertJunctionCommand: ")));
    auto *refused = new InsertJunctionCommand(f.net(), f.net()->findObject<EdgeGroup>(groupId), 0.0);
    f.undoStack()->push(refused);
    QCOMPARE(refused->insertedNodeId(), 0);
    QCOMPARE(f.canonicalSave(), before);
    f.undoStack()->undo();
    QCOMPARE(f.canonicalSave(), before);
}

// --- RemoveJuncWithJoinCommand --------------------------------------------------------------------

void TestCommandsTopology::removeJunctionJoinsChain()
{
    EditorFixture f(throughJunction);
    Node *n = f.node(QStringLiteral("N"));
    Node *b = f.node(QStringLiteral("B"));
    Edge *an = f.edge(QStringLiteral("A"), QStringLiteral("N"));
    Edge *nb = f.edge(QStringLiteral("N"), QStringLiteral("B"));
    const int anId = an->id();
    const int nbId = nb->id();
    const int nId = n->id();
    GeoPolyline joined = an->skeleton();
    joined += nb->skeleton();
    // Connections at B by the index of their lane on N>B.
    QMap<int, QList<int>> atB;
    for (Connection *connection : b->connections())
        atB[connection->startLane()->index()].append(connection->id());
    QCOMPARE(atB.size(), 3);
    // A crosswalk at B on the lanes of the removed edge goes with it, and has to come back on undo.
    Lane *in = nb->lane(0);
    Lane *out = f.edge(QStringLiteral("B"), QStringLiteral("X"))->lane(0);
    auto *crossWalk = new CrossWalk(b, in, in->stopline()->distance() + 2.0, out, 4.0);
    QVERIFY(f.net()->addItem(crossWalk));
    const int crossWalkId = crossWalk->id();
    const QByteArray before = f.canonicalSave();

    auto *command = new RemoveJuncWithJoinCommand(f.net(), {n});
    QCOMPARE(command->text(), QStringLiteral("Remove junction %1 with join").arg(n->printableName()));
    QCOMPARE(command->id(), int(CommandId::RemoveJuncWithJoin));
    f.undoStack()->push(command);

    QVERIFY(!f.net()->findObject(nId));
    QVERIFY(!f.net()->findObject(nbId));
    QCOMPARE(an->id(), anId);
    QCOMPARE(an->end(), b);
    QCOMPARE(points(an->skeleton()), points(joined));
    for (int lane = 0; lane < 2; ++lane) {
        for (int id : atB.value(lane)) {
            auto *connection = f.net()->findObject<Connection>(id);
            QVERIFY(connection);
            QCOMPARE(connection->startLane(), an->lane(lane));
        }
    }
    // A>N has no third lane: the connections of N>B's third lane went with it.
    for (int id : atB.value(2))
        QVERIFY(!f.net()->findObject(id));

    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    f.undoStack()->undo();
    QVERIFY(f.net()->findObject<CrossWalk>(crossWalkId));
}

void TestCommandsTopology::removeJunctionSkipsWrongDirections()
{
    // Two edges ending at N, or two starting there, leave nothing to join.
    for (const bool bothEnd : {true, false}) {
        EditorFixture f([bothEnd](Network *net) {
            Layouts::Layout l;
            l.net = net;
            Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0));
            Layouts::addNode(l, QStringLiteral("N"), QPointF(100, 0), Node::Junction);
            Layouts::addNode(l, QStringLiteral("B"), QPointF(200, 0));
            if (bothEnd) {
                Layouts::addEdge(l, QStringLiteral("A"), QStringLiteral("N"), 1);
                Layouts::addEdge(l, QStringLiteral("B"), QStringLiteral("N"), 1);
            } else {
                Layouts::addEdge(l, QStringLiteral("N"), QStringLiteral("A"), 1);
                Layouts::addEdge(l, QStringLiteral("N"), QStringLiteral("B"), 1);
            }
            return l;
        });
        const QByteArray before = f.canonicalSave();
        f.undoStack()->push(new RemoveJuncWithJoinCommand(f.net(), {f.node(QStringLiteral("N"))}));
        QCOMPARE(f.canonicalSave(), before);
        f.undoStack()->undo();
        QCOMPARE(f.canonicalSave(), before);
    }
}

void TestCommandsTopology::removeJunctionGroupCase()
{
    EditorFixture f(groupedThrough);
    Node *c = f.node(QStringLiteral("C"));
    QCOMPARE(c->edgesCount(), 4);
    QCOMPARE(c->edgeGroups().size(), 2);
    EdgeGroup *wc = f.layout().groups.value(QStringLiteral("WC"));
    const QByteArray before = f.canonicalSave();

    f.undoStack()->push(new RemoveJuncWithJoinCommand(f.net(), {c}));
    QCOMPARE(wc->start(), f.node(QStringLiteral("W")));
    QCOMPARE(wc->end(), f.node(QStringLiteral("E")));
    QCOMPARE(f.edgesBetween(QStringLiteral("W"), QStringLiteral("E")), 1);
    QCOMPARE(f.edgesBetween(QStringLiteral("E"), QStringLiteral("W")), 1);
    QCOMPARE(wc->edgeCount(), 2);
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    // Three one-way edges, each in a group of its own: neither case applies.
    EditorFixture three([](Network *net) {
        Layouts::Layout l;
        l.net = net;
        Layouts::addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::Junction);
        const QStringList arms = {QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("S")};
        const QList<QPointF> at = {QPointF(-100, 0), QPointF(100, 0), QPointF(0, -100)};
        for (int i = 0; i < 3; ++i) {
            Layouts::addNode(l, arms.at(i), at.at(i));
            Edge *e = i == 0 ? Layouts::addEdge(l, arms.at(i), QStringLiteral("C"), 1)
                             : Layouts::addEdge(l, QStringLiteral("C"), arms.at(i), 1);
            auto *g = new EdgeGroup(net, e->start(), e->end());
            net->addItem(g);
            g->addEdge(e);
        }
        return l;
    });
    Node *c3 = three.node(QStringLiteral("C"));
    QCOMPARE(c3->edgeGroups().size(), 3);
    QVERIFY(!RemoveJuncWithJoinCommand::qualifies(c3));
    const QByteArray untouched = three.canonicalSave();
    three.undoStack()->push(new RemoveJuncWithJoinCommand(three.net(), {c3}));
    QCOMPARE(three.canonicalSave(), untouched);
}

void TestCommandsTopology::removeJunctionsInARow()
{
    // A>N>B>X with N and B both removed: one edge from A to X.
    EditorFixture f(throughJunction);
    Edge *an = f.edge(QStringLiteral("A"), QStringLiteral("N"));
    const QByteArray before = f.canonicalSave();
    auto *command = new RemoveJuncWithJoinCommand(f.net(), {f.node(QStringLiteral("N")), f.node(QStringLiteral("B"))});
    QCOMPARE(command->text(), QStringLiteral("Remove 2 junctions with join"));
    f.undoStack()->push(command);
    QCOMPARE(an->end(), f.node(QStringLiteral("X")));
    QCOMPARE(f.edgesBetween(QStringLiteral("A"), QStringLiteral("X")), 1);
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestCommandsTopology::removeJunctionUndoWithoutEventLoop()
{
    // As a macro or a script does it: redo and undo back to back, no event loop in between.
    EditorFixture f(throughJunction);
    Node *n = f.node(QStringLiteral("N"));
    const int nId = n->id();
    const int nbId = f.edge(QStringLiteral("N"), QStringLiteral("B"))->id();
    const QByteArray before = f.canonicalSave();
    RemoveJuncWithJoinCommand command(f.net(), {n});
    command.redo();
    QVERIFY(!f.net()->findObject(nId));
    command.undo();
    QCOMPARE(f.canonicalSave(), before);
    // Nothing left pending that would take the restored objects away later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QVERIFY(f.net()->findObject<Node>(nId));
    QVERIFY(f.net()->findObject<Edge>(nbId));
    QCOMPARE(f.canonicalSave(), before);
}

// --- AdjustStoplinesOffset ------------------------------------------------------------------------

void TestCommandsTopology::adjustStoplinesRoundTrip()
{
    EditorFixture f(wideJunction);
    Node *c = f.node(QStringLiteral("C"));
    const QByteArray before = f.canonicalSave();
    f.undoStack()->push(new AdjustStoplinesOffset(f.net(), {c}));

    // The inner lanes lie evenly between the outer ones (4 lanes at 10 and 16 give 12 and 14).
    int evened = 0;
    for (Edge *edge : c->edges()) {
        const bool leaves = edge->start() == c;
        auto line = [&](int i) { return leaves ? edge->lane(i)->startline() : edge->lane(i)->stopline(); };
        const double d0 = line(0)->distance();
        const double d3 = line(3)->distance();
        QVERIFY(!line(0)->autoDistance());
        QCOMPARE(line(1)->distance(), d0 - (d0 - d3) / 3);
        QCOMPARE(line(2)->distance(), d0 - 2 * (d0 - d3) / 3);
        if (!qFuzzyCompare(d0, d3))
            ++evened;
    }
    QVERIFY(evened > 0);
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestCommandsTopology::adjustStoplinesWithoutPairs()
{
    // A dead end: no neighbouring road to clear, so every line at the junction goes to 5.
    EditorFixture f([](Network *net) {
        Layouts::Layout l;
        l.net = net;
        Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0));
        Layouts::addNode(l, QStringLiteral("J"), QPointF(100, 0), Node::Junction);
        Layouts::addEdge(l, QStringLiteral("A"), QStringLiteral("J"), 3);
        return l;
    });
    Node *j = f.node(QStringLiteral("J"));
    const QByteArray before = f.canonicalSave();
    f.undoStack()->push(new AdjustStoplinesOffset(f.net(), {j}));
    for (Lane *lane : f.edge(QStringLiteral("A"), QStringLiteral("J"))->lanes()) {
        QCOMPARE(lane->stopline()->distance(), 5.0);
        QVERIFY(!lane->stopline()->autoDistance());
    }
    const QString failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    f.undoStack()->undo();
    for (Lane *lane : f.edge(QStringLiteral("A"), QStringLiteral("J"))->lanes())
        QVERIFY(lane->stopline()->autoDistance());
}

void TestCommandsTopology::adjustRedoReplaysFirstDistances()
{
    EditorFixture f(wideJunction);
    Node *c = f.node(QStringLiteral("C"));
    // One line set by hand before: undo gives that distance back, not the automatic one.
    Stopline *manual = f.edge(QStringLiteral("N"), QStringLiteral("C"))->lane(1)->stopline();
    manual->setDistance(3.0);
    f.undoStack()->push(new AdjustStoplinesOffset(f.net(), {c}));
    QMap<int, double> first;
    for (Edge *edge : c->edges()) {
        for (Lane *lane : edge->lanes()) {
            Stopline *line = edge->start() == c ? lane->startline() : lane->stopline();
            if (!line->autoDistance())
                first.insert(line->id(), line->distance());
        }
    }
    f.undoStack()->undo();
    QCOMPARE(manual->distance(), 3.0);
    QVERIFY(!manual->autoDistance());

    // A new geometry meanwhile does not change what redo gives.
    c->setPos(QPointF(15, -12));
    f.undoStack()->redo();
    QVERIFY(first.size() > 8);
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        QCOMPARE(f.net()->findObject<Stopline>(it.key())->distance(), it.value());
}

void TestCommandsTopology::adjustTexts()
{
    EditorFixture f(wideJunction);
    Node *c = f.node(QStringLiteral("C"));
    AdjustStoplinesOffset one(f.net(), {c});
    QCOMPARE(one.text(), QStringLiteral("Adjust stoplines offset for node '%1'").arg(c->id()));
    QCOMPARE(one.id(), int(CommandId::AdjustStoplinesOffset));
    AdjustStoplinesOffset two(f.net(), {c, f.node(QStringLiteral("N"))});
    QCOMPARE(two.text(), QStringLiteral("Adjust stoplines offset for 2 nodes"));
    AdjustStoplinesOffset none(f.net(), {});
    QVERIFY(none.text().isEmpty());
    AdjustStoplinesOffset noNet(nullptr, {c});
    QVERIFY(noNet.text().isEmpty());
    // Nothing recorded: redo and undo leave the network alone.
    const QByteArray before = f.canonicalSave();
    noNet.redo();
    noNet.undo();
    QCOMPARE(f.canonicalSave(), before);
}

// --- A real junction ------------------------------------------------------------------------------

void TestCommandsTopology::realJunction_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("berlin-doerpfeldstr") << QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz");
    QTest::newRow("bologna-acosta") << QStringLiteral("bologna-acosta/acosta_buslanes.net.xml");
}

void TestCommandsTopology::realJunction()
{
    QFETCH(QString, file);
    if (!QFile::exists(TestSupport::dataPath(file)))
        QSKIP("the shared real networks are not there");
    EditorFixture f;
    f.edit()->beforeLoad();
    const bool imported = importSumoNetwork(f.net(), TestSupport::dataPath(file));
    f.edit()->afterLoad();
    QVERIFY2(imported, qPrintable(f.net()->errorString()));
    f.settle();

    // The junction with the most edges, a junction that only continues a road, and an edge of the
    // first one's.
    Node *busiest = nullptr;
    Node *through = nullptr;
    QList<Node *> nodes;
    for (NetObject *o : Layouts::objectsById(f.net())) {
        if (auto *node = qobject_cast<Node *>(o))
            nodes.append(node);
    }
    for (Node *node : qAsConst(nodes)) {
        if (node->isJunction() && (!busiest || node->edgesCount() > busiest->edgesCount()))
            busiest = node;
        if (!through && RemoveJuncWithJoinCommand::qualifies(node) && node->edgeGroups().size() != 2
            && node->incomingEdges().size() == 1 && node->outgoingEdges().size() == 1)
            through = node;
    }
    QVERIFY(busiest);
    QVERIFY(through);
    const QByteArray start = f.canonicalSave();
    QString failure;

    QByteArray before = f.canonicalSave();
    f.undoStack()->push(new AdjustStoplinesOffset(f.net(), {busiest}));
    failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("adjust: ") + failure));

    before = f.canonicalSave();
    auto *connections = new MakeConnectionsCommand(f.net(), {busiest});
    f.undoStack()->push(connections);
    busiest->makeConnections();
    connections->saveState({busiest}, false);
    if (f.canonicalSave() != before) {
        failure = roundTrip(f, before);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("make connections: ") + failure));
    }

    Edge *longest = nullptr;
    for (Edge *edge : busiest->edges()) {
        if (!longest || edge->length() > longest->length())
            longest = edge;
    }
    before = f.canonicalSave();
    if (EdgeGroup *group = longest->group())
        f.undoStack()->push(new InsertJunctionCommand(f.net(), group, group->skeleton().length() / 2));
    else
        f.undoStack()->push(new InsertJunctionCommand(f.net(), longest, longest->length() / 2));
    failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("insert junction: ") + failure));

    before = f.canonicalSave();
    f.undoStack()->push(new RemoveJuncWithJoinCommand(f.net(), {through}));
    failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("remove with join: ") + failure));

    // The busiest junction and the far nodes of two of its edges in one.
    QList<Node *> unite = {busiest};
    for (Edge *edge : busiest->edges()) {
        Node *far = edge->start() == busiest ? edge->end() : edge->start();
        if (!unite.contains(far))
            unite.append(far);
        if (unite.size() == 3)
            break;
    }
    before = f.canonicalSave();
    f.undoStack()->push(new UniteNodesCommand(f.net(), unite));
    failure = roundTrip(f, before);
    QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("unite: ") + failure));

    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(start, f.canonicalSave()), QString());
}

QTEST_MAIN(TestCommandsTopology)
#include "tst_commands_topology.moc"
