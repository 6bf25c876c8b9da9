// Network::insertNode and Network::joinNodes on real layouts: what moves to the new parts, which ids
// stay, what is refused, and that the snapshots the editor's commands take undo every change.

#include "layouts.h"
#include "saves.h"

#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "ptstop.h"
#include "route.h"
#include "taz.h"
#include "trafficstate.h"
#include "walkingarea.h"

#include "geo/geohelpers.h"

#include <QPointer>
#include <QSet>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Trelvoa;
using namespace Layouts;
using namespace TestSupport;

namespace {

bool near(const QPointF &a, const QPointF &b, double tolerance = 1e-6)
{
    return flatDistance(a, b) <= tolerance;
}

bool nearLine(const GeoPolyline &a, const GeoPolyline &b, double tolerance = 1e-6)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i) {
        if (!near(a.at(i), b.at(i), tolerance))
            return false;
    }
    return true;
}

// The grouped four-arm junction with something of every kind on the west arm and around it.
// Counts the change hook calls.
class CountingNetwork : public Network
{
public:
    void objectChanged(NetObject *object, int flags) override
    {
        Network::objectChanged(object, flags);
        ++changes;
        changed.insert(object);
    }
    int changes = 0;
    QSet<NetObject *> changed;
};

struct Furnished
{
    Network net;
    Layout l;
    Detector *nearDetector = nullptr; // on W>C lane 1, past the middle of the arm
    Detector *farDetector = nullptr;  // on W>C lane 1, near W
    DetectorGroup *detectorGroup = nullptr;
    PtStop *stop = nullptr;
    CrossWalk *crossWalk = nullptr;
    WalkingArea *walkingArea = nullptr;
    Taz *zone = nullptr;
    TrafficState *state = nullptr;
    Route *through = nullptr; // W>C then C>E
    Route *toWest = nullptr;  // S>C then C>W

    Furnished()
    {
        l = fourArm(&net, RoadsOnly | Grouped);
        Node *c = l.node("C");
        Edge *wc = l.edge("W", "C");
        Edge *cw = l.edge("C", "W");
        wc->lane(0)->setAllowed(Lane::VehicleClasses(Lane::DefaultClasses) | Lane::vcPedestrian);
        wc->setStreetName(QStringLiteral("Weststraße"));
        c->makeConnections();
        wc->lane(0)->stopline()->setDistance(8.0);

        nearDetector = new Detector(wc->lane(1), 70.0);
        net.addItem(nearDetector);
        farDetector = new Detector(wc->lane(1), 10.0);
        net.addItem(farDetector);
        detectorGroup = new DetectorGroup(wc, {nearDetector}, wc->lane(1)->allowed());
        net.addItem(detectorGroup);
        stop = new PtStop(wc->lane(0), 70.0);
        net.addItem(stop);
        crossWalk = new CrossWalk(c, wc->lane(0), 10.0, cw->lane(0), 10.0);
        net.addItem(crossWalk);
        walkingArea = new WalkingArea(&net);
        net.addItem(walkingArea);
        walkingArea->addStopline(wc->lane(0)->stopline());
        walkingArea->addCrossWalk(crossWalk, wc->lane(0), true);

        zone = new Taz(&net, QPointF(-80, 30));
        net.addItem(zone);
        zone->addEdge(wc, 80.0, true);
        zone->addEdge(cw, 10.0, false);
        state = new TrafficState(&net);
        net.addItem(state);
        state->setTurnPercentage(wc, l.edge("C", "E"), 55);
        state->setTurnPercentage(l.edge("S", "C"), cw, 30);

        through = new Route(&net);
        net.addItem(through);
        through->addControlEdge(wc);
        through->addControlEdge(l.edge("C", "E"));
        toWest = new Route(&net);
        net.addItem(toWest);
        toWest->addControlEdge(l.edge("S", "C"));
        toWest->addControlEdge(cw);
    }
};

// The steps of InsertJunctionCommand: snapshot the split object, split, then undo by deleting the
// new node and loading the snapshot.
QString insertAndUndo(Network *net, NetObject *object, double position)
{
    const QByteArray before = saveAll(net);
    QList<NetObject *> list;
    collectObjects(object, &list);
    const QByteArray snapshot = saveFragment(net, list);
    if (snapshot.isEmpty())
        return QStringLiteral("snapshot failed: ") + net->errorString();
    Node *node = nullptr;
    if (auto *group = qobject_cast<EdgeGroup *>(object))
        node = net->insertNode(group, position);
    else
        node = net->insertNode(qobject_cast<Edge *>(object), position);
    if (!node)
        return QStringLiteral("insert failed: ") + net->errorString();
    delete node;
    QString error;
    if (!loadFragment(net, snapshot, &error))
        return QStringLiteral("restore failed: ") + error;
    return firstDifference(before, saveAll(net));
}

} // namespace

class TestTopology : public QObject
{
    Q_OBJECT

private slots:
    void insertIntoRoadCarriesEverything();
    void insertIntoEdge();
    void insertIntoEdgeOfGroupAttachesTheJunction();
    void insertKeepsCustomSkeletons();
    void insertIntoGroupWithAttachedNode();
    void refusedSplitsChangeNothing();
    void joinDeadEnds();
    void joinContinuesThroughJunctions();
    void refusedJoinsChangeNothing();
    void snapshotsUndoEveryOperation();
    void snapshotsUndoOnRealNetwork();
};

void TestTopology::insertIntoRoadCarriesEverything()
{
    Furnished f;
    Network &net = f.net;
    Layout &l = f.l;
    Node *c = l.node("C");
    EdgeGroup *group = l.groups.value("WC");
    Edge *wc = l.edge("W", "C");
    Edge *cw = l.edge("C", "W");
    const int groupId = group->id();
    const int wcId = wc->id();
    const int cwId = cw->id();
    QMap<QString, int> connectionIds;
    for (Connection *x : c->connections())
        connectionIds.insert(QString::number(x->id()), x->startLane()->index());
    const QStringList tableAtC = connectionTable(c);
    const QPointF nearAt = f.nearDetector->pos();
    const QPointF farAt = f.farDetector->pos();
    const QPointF stopAt = f.stop->pos();
    const GeoPolyline crossing = f.crossWalk->skeleton();
    const QPointF areaAt = f.walkingArea->pos();
    const GeoPolyline throughLine = f.through->skeleton();

    Node *j = net.insertNode(group, 50.0);
    QVERIFY2(j, qPrintable(net.errorString()));
    j->setName(QStringLiteral("J"));
    l.nodes.insert(QStringLiteral("J"), j);
    QCOMPARE(j->type(), int(Node::Junction));
    QVERIFY(j->id() > 0);
    QVERIFY(near(j->pos(), QPointF(-50, 0)));
    // Two roads meet at the junction: the group keeps its id up to it, a new one goes on.
    QCOMPARE(j->edgesCount(), 4);
    QCOMPARE(j->edgeGroups().size(), 2);
    QCOMPARE(group->id(), groupId);
    QCOMPARE(group->start(), l.node("W"));
    QCOMPARE(group->end(), j);
    EdgeGroup *beyond = j->edgeGroups().at(0) == group ? j->edgeGroups().at(1) : j->edgeGroups().at(0);
    QCOMPARE(beyond->start(), j);
    QCOMPARE(beyond->end(), c);

    // The edges keep their ids for the part at their start; the new parts copy the lanes.
    QCOMPARE(wc->id(), wcId);
    QCOMPARE(cw->id(), cwId);
    QCOMPARE(wc, l.edge("W", "J"));
    QCOMPARE(cw, l.edge("C", "J"));
    Edge *jc = l.edge("J", "C");
    Edge *jw = l.edge("J", "W");
    QVERIFY(jc && jw);
    QCOMPARE(group->edges(), QList<Edge *>({wc, jw}));
    QCOMPARE(beyond->edges(), QList<Edge *>({cw, jc}));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(jc->lane(i)->width(), wc->lane(i)->width());
        QCOMPARE(jc->lane(i)->maxSpeed(), wc->lane(i)->maxSpeed());
        QCOMPARE(jc->lane(i)->allowed(), wc->lane(i)->allowed());
    }
    QCOMPARE(jc->lanesCount(), 2);
    QCOMPARE(jc->streetName(), QStringLiteral("Weststraße"));
    QVERIFY(nearLine(wc->skeleton(), GeoPolyline({QPointF(-100, 0), QPointF(-50, 0)})));
    QVERIFY(nearLine(jc->skeleton(), GeoPolyline({QPointF(-50, 0), QPointF(0, 0)})));
    QVERIFY(nearLine(cw->skeleton(), GeoPolyline({QPointF(0, 0), QPointF(-50, 0)})));

    // The far junction's connections are the same objects, now from the second part.
    QStringList expectedAtC = tableAtC;
    expectedAtC.replaceInStrings(QStringLiteral("W>C"), QStringLiteral("J>C"));
    expectedAtC.replaceInStrings(QStringLiteral("C>W"), QStringLiteral("C>J"));
    expectedAtC.sort();
    QCOMPARE(connectionTable(c), expectedAtC);
    for (Connection *x : c->connections())
        QVERIFY(connectionIds.contains(QString::number(x->id())));
    QCOMPARE(connectionTable(j),
             QStringList({"C>J:0>J>W:0", "C>J:1>J>W:1", "W>J:0>J>C:0", "W>J:1>J>C:1"}));

    // The stopline set by hand stays at the far junction; the new stoplines are automatic.
    QVERIFY(!jc->lane(0)->stopline()->autoDistance());
    QCOMPARE(jc->lane(0)->stopline()->distance(), 8.0);
    QVERIFY(wc->lane(0)->stopline()->autoDistance());
    QVERIFY(wc->lane(0)->hasStopline());

    // Detectors and stops beyond the split stay where they were, on the new part.
    QCOMPARE(f.nearDetector->lane(), jc->lane(1));
    QVERIFY(near(f.nearDetector->pos(), nearAt, 1e-6));
    QCOMPARE(f.farDetector->lane(), wc->lane(1));
    QVERIFY(near(f.farDetector->pos(), farAt, 1e-6));
    QCOMPARE(f.detectorGroup->edge(), jc);
    QCOMPARE(f.detectorGroup->detectors(), QList<Detector *>{f.nearDetector});
    QCOMPARE(f.stop->lane(), jc->lane(0));
    QVERIFY(near(f.stop->pos(), stopAt, 1e-6));

    // The crosswalk and the walking area at the far junction follow the lanes they stand on.
    QCOMPARE(f.crossWalk->lane1(), jc->lane(0));
    QCOMPARE(f.crossWalk->lane2(), cw->lane(0));
    QVERIFY(nearLine(f.crossWalk->skeleton(), crossing));
    QCOMPARE(f.walkingArea->itemCount(), 2);
    for (const WalkingArea::Item *item : f.walkingArea->items())
        QVERIFY(item->line() == jc->lane(0)->stopline() || item->lane() == jc->lane(0));
    QVERIFY(near(f.walkingArea->pos(), areaAt, 1e-6));

    // Zone links and turning percentages follow the part they lie on.
    QCOMPARE(f.zone->edges(), QList<Edge *>({cw, jc}));
    QCOMPARE(f.zone->edgeData(jc)->position, 30.0);
    QVERIFY(f.zone->edgeData(jc)->flag);
    QCOMPARE(f.zone->edgeData(cw)->position, 10.0);
    QCOMPARE(f.state->turnPercentage(jc, l.edge("C", "E")), 55);
    QCOMPARE(f.state->turnPercentage(wc, l.edge("C", "E")), -1);
    QCOMPARE(f.state->turnPercentage(l.edge("S", "C"), cw), 30);

    // Routes still cover the whole road.
    QVERIFY(f.through->isValid());
    QCOMPARE(f.through->edges(), QList<Edge *>({wc, jc, l.edge("C", "E")}));
    QCOMPARE(f.toWest->controlEdges(), QList<Edge *>({l.edge("S", "C"), cw, jw}));
    QCOMPARE(f.toWest->edges(), QList<Edge *>({l.edge("S", "C"), cw, jw}));
    const double drift = std::abs(f.through->skeleton().length() - throughLine.length());
    QVERIFY2(drift < 0.05 * throughLine.length(), qPrintable(QString::number(drift)));
}

void TestTopology::insertIntoEdge()
{
    CountingNetwork net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    Node *b = addNode(l, "B", QPointF(100, 0), Node::Junction);
    addNode(l, "C", QPointF(200, 0), Node::PlainNode);
    addNode(l, "D", QPointF(100, -100), Node::PlainNode);
    Edge *ab = addEdge(l, "A", "B", 2);
    addEdge(l, "B", "C", 2);
    addEdge(l, "B", "D", 1);
    b->makeConnections();
    const int before = b->connections().size();
    int added = 0;
    connect(&net, &Network::objectAdded, this, [&added](NetObject *) { ++added; });
    const int changedBefore = net.changes;

    Node *j = net.insertNode(ab, 40.0);
    QVERIFY2(j, qPrintable(net.errorString()));
    j->setName("J");
    l.nodes.insert("J", j);
    QVERIFY(near(j->pos(), QPointF(40, 0)));
    QVERIFY(!j->attachedEdgeGroup());
    QCOMPARE(ab->end(), j);
    Edge *jb = l.edge("J", "B");
    QVERIFY(jb);
    QCOMPARE(b->connections().size(), before);
    QCOMPARE(connectionTable(b), QStringList({"J>B:0>B>C:0", "J>B:0>B>D:0", "J>B:1>B>C:1"}));
    QCOMPARE(connectionTable(j), QStringList({"A>J:0>J>B:0", "A>J:1>J>B:1"}));
    // New objects were announced (node, edge with lanes and lines, connections) and the others told.
    QCOMPARE(added, 1 + 1 + 2 * 3 + 2);
    // The edge, its far junction and what hangs on them were told.
    QVERIFY(net.changed.contains(ab) && net.changed.contains(b));
    QVERIFY(net.changes > changedBefore);
    // Routing goes on over the new junction's connections.
    QCOMPARE(net.findRoute({ab, l.edge("B", "D")}), QList<Edge *>({ab, jb, l.edge("B", "D")}));
}

void TestTopology::insertIntoEdgeOfGroupAttachesTheJunction()
{
    Network net;
    Layout l = fourArm(&net, RoadsOnly | Grouped);
    Edge *wc = l.edge("W", "C");
    Edge *cw = l.edge("C", "W");
    EdgeGroup *group = l.groups.value("WC");
    const GeoPolyline other = cw->skeleton();
    Node *j = net.insertNode(wc, 30.0);
    QVERIFY2(j, qPrintable(net.errorString()));
    // Only this direction is split; the junction lies on the road and both parts follow it.
    QCOMPARE(j->attachedEdgeGroup(), group);
    QVERIFY(near(j->pos(), QPointF(-70, 0)));
    QCOMPARE(j->edgesCount(), 2);
    QVERIFY(wc->autoSkeleton());
    QCOMPARE(wc->group(), group);
    Edge *jc = j->outgoingEdges().value(0);
    QVERIFY(jc && jc->autoSkeleton());
    QCOMPARE(jc->group(), group);
    QVERIFY(nearLine(jc->skeleton(), GeoPolyline({QPointF(-70, 0), QPointF(0, 0)})));
    QCOMPARE(cw->end(), l.node("W"));
    QVERIFY(nearLine(cw->skeleton(), other));
    // Moving the road's end moves the junction along with the road.
    QVERIFY(l.node("W")->setPos(QPointF(-200, 0)));
    QVERIFY(near(j->pos(), QPointF(-140, 0)));
}

void TestTopology::insertKeepsCustomSkeletons()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    Edge *ab = addEdge(l, "A", "B", 1);
    const GeoPolyline curve({QPointF(0, 0), QPointF(30, 20), QPointF(70, 20), QPointF(100, 0)});
    QVERIFY(ab->setSkeleton(curve));
    const double length = curve.length();
    Node *j = net.insertNode(ab, length / 2.0);
    QVERIFY(j);
    Edge *jb = j->outgoingEdges().value(0);
    QVERIFY(!ab->autoSkeleton() && !jb->autoSkeleton());
    QVERIFY(near(j->pos(), QPointF(50, 20)));
    GeoPolyline joined = ab->skeleton();
    joined += jb->skeleton();
    QVERIFY(nearLine(joined, GeoPolyline({QPointF(0, 0), QPointF(30, 20), QPointF(50, 20), QPointF(70, 20), QPointF(100, 0)})));
}

void TestTopology::insertIntoGroupWithAttachedNode()
{
    for (const double fraction : {0.75, 0.25}) {
        Network net;
        Layout l;
        l.net = &net;
        addNode(l, "A", QPointF(0, 0), Node::PlainNode);
        addNode(l, "B", QPointF(200, 0), Node::PlainNode);
        auto *g = new EdgeGroup(&net, l.node("A"), l.node("B"));
        const GeoPolyline curve({QPointF(0, 0), QPointF(100, 40), QPointF(200, 0)});
        QVERIFY(g->setSkeleton(curve));
        net.addItem(g);
        Node *m = addNode(l, "M", QPointF(100, 40), Node::PlainNode);
        QVERIFY(m->setAttachedEdgeGroup(g));
        for (const auto &pair : {qMakePair(QStringLiteral("A"), QStringLiteral("M")), qMakePair(QStringLiteral("M"), QStringLiteral("B")),
                                 qMakePair(QStringLiteral("B"), QStringLiteral("M")), qMakePair(QStringLiteral("M"), QStringLiteral("A"))})
            g->addEdge(addEdge(l, pair.first, pair.second, 1));
        const double length = curve.length();
        // Not at the attached node.
        QVERIFY(!net.insertNode(g, length / 2.0 + 0.001));
        QVERIFY(!net.errorString().isEmpty());

        Node *j = net.insertNode(g, fraction * length);
        QVERIFY2(j, qPrintable(net.errorString()));
        j->setName("J");
        l.nodes.insert("J", j);
        QVERIFY(near(m->pos(), QPointF(100, 40)));
        QCOMPARE(j->edgeGroups().size(), 2);
        EdgeGroup *g2 = j->edgeGroups().at(0) == g ? j->edgeGroups().at(1) : j->edgeGroups().at(0);
        // The attached node stays on the part of the road it lies on.
        QCOMPARE(m->attachedEdgeGroup(), fraction > 0.5 ? g : g2);
        GeoPolyline joined = g->skeleton();
        joined += g2->skeleton();
        GeoPolyline expected = curve;
        expected.insert(fraction > 0.5 ? 2 : 1, j->pos());
        QVERIFY(nearLine(joined, expected));
        // Every edge lies on its part of the road and the two directions still pair up.
        if (fraction > 0.5) {
            QCOMPARE(g->edges().size(), 4);
            QCOMPARE(g2->edges().size(), 2);
            QVERIFY(l.edge("M", "J") && l.edge("J", "B") && l.edge("B", "J") && l.edge("J", "M"));
        } else {
            QCOMPARE(g->edges().size(), 2);
            QCOMPARE(g2->edges().size(), 4);
            QVERIFY(l.edge("A", "J") && l.edge("J", "M") && l.edge("M", "J") && l.edge("J", "A"));
        }
        for (EdgeGroup *group : {g, g2}) {
            for (Edge *e : group->edges()) {
                QVERIFY(e->autoSkeleton());
                QVERIFY(near(e->skeleton().first(), e->start()->pos()));
                QVERIFY(near(e->skeleton().last(), e->end()->pos()));
            }
        }
    }
}

void TestTopology::refusedSplitsChangeNothing()
{
    Furnished f;
    Network &net = f.net;
    Edge *wc = f.l.edge("W", "C");
    EdgeGroup *group = f.l.groups.value("WC");
    Network other;
    Layout o = fourArm(&other, RoadsOnly);
    const QByteArray before = saveAll(&net);
    const int count = net.objectCount();
    const int nextId = net.nextId();
    const double nan = std::nan("");
    for (const double position : {0.0, 0.005, 99.995, 100.0, -1.0, 150.0, nan}) {
        QVERIFY(!net.insertNode(wc, position));
        QVERIFY(!net.errorString().isEmpty());
        QVERIFY(!net.insertNode(group, position));
    }
    QVERIFY(!net.insertNode(static_cast<Edge *>(nullptr), 50.0));
    QVERIFY(!net.insertNode(static_cast<EdgeGroup *>(nullptr), 50.0));
    QVERIFY(!net.insertNode(o.edge("W", "C"), 50.0));
    QCOMPARE(net.objectCount(), count);
    QCOMPARE(net.nextId(), nextId);
    QCOMPARE(firstDifference(before, saveAll(&net)), QString());
    // The nearest allowed places are fine.
    QVERIFY(net.insertNode(wc, 0.01));
}

void TestTopology::joinDeadEnds()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    Node *b = addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    Node *d = addNode(l, "D", QPointF(200, 10), Node::PlainNode);
    addNode(l, "E", QPointF(300, 10), Node::PlainNode);
    addRoad(l, "A", "B", 3);
    addRoad(l, "D", "E", 2);
    Edge *ab = l.edge("A", "B");
    const QList<double> widths{3.0, 3.25, 3.5};
    for (int i = 0; i < 3; ++i) {
        ab->lane(i)->setWidth(widths.at(i));
        ab->lane(i)->setMaxSpeed(30.0);
    }
    ab->lane(0)->setAllowed(Lane::vcBus);
    ab->setLanesOffset(0.5);
    ab->setStreetName(QStringLiteral("Hauptstraße"));

    Edge *bd = net.joinNodes(b, d);
    QVERIFY2(bd, qPrintable(net.errorString()));
    QVERIFY(bd->id() > 0);
    QCOMPARE(bd->start(), b);
    QCOMPARE(bd->end(), d);
    QCOMPARE(bd->lanesCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(bd->lane(i)->width(), widths.at(i));
        QCOMPARE(bd->lane(i)->maxSpeed(), 30.0);
        QCOMPARE(bd->lane(i)->allowed(), ab->lane(i)->allowed());
        QVERIFY(bd->lane(i)->id() > 0);
    }
    QCOMPARE(bd->lanesOffset(), 0.5);
    QCOMPARE(bd->streetName(), QStringLiteral("Hauptstraße"));
    QVERIFY(bd->autoSkeleton());
    QVERIFY(nearLine(bd->skeleton(), GeoPolyline({QPointF(100, 0), QPointF(200, 10)})));
    // Plain nodes route without connections: the road now leads from A to E.
    QCOMPARE(net.findRoute({ab, l.edge("D", "E")}), QList<Edge *>({ab, bd, l.edge("D", "E")}));

    // Where no road ends, two default lanes.
    Node *x = addNode(l, "X", QPointF(0, 100), Node::PlainNode);
    Edge *xa = net.joinNodes(x, l.node("A"));
    QVERIFY(xa);
    QCOMPARE(xa->lanesCount(), 2);
    QCOMPARE(xa->lane(0)->width(), Lane().width());
    QCOMPARE(xa->lane(1)->allowed(), Lane::VehicleClasses(Lane::DefaultClasses));
}

void TestTopology::joinContinuesThroughJunctions()
{
    Network net;
    Layout l;
    l.net = &net;
    Node *j = addNode(l, "J", QPointF(0, 0), Node::Junction);
    addNode(l, "E", QPointF(100, 0), Node::PlainNode);
    addNode(l, "N", QPointF(0, 100), Node::PlainNode);
    Node *f = addNode(l, "F", QPointF(-100, 0), Node::PlainNode);
    addNode(l, "Q", QPointF(-200, 0), Node::PlainNode);
    addEdge(l, "J", "E", 2);
    addEdge(l, "N", "J", 2);
    addEdge(l, "Q", "F", 2);
    j->makeConnections();
    // The only movement takes both lanes.
    QCOMPARE(connectionTable(j), QStringList({"N>J:0>J>E:0", "N>J:1>J>E:1"}));
    Edge *fj = net.joinNodes(f, j);
    QVERIFY(fj);
    // The joined road goes straight on through the junction, whose other movements stay.
    QCOMPARE(connectionTable(j), QStringList({"F>J:0>J>E:0", "F>J:1>J>E:1", "N>J:0>J>E:0", "N>J:1>J>E:1"}));
    QCOMPARE(net.findRoute({l.edge("Q", "F"), l.edge("J", "E")}).size(), 3);

    // Leaving a junction with connections: the road that ends there continues onto the new edge.
    Node *k = addNode(l, "K", QPointF(200, 50), Node::PlainNode);
    l.node("E")->setType(Node::Junction);
    addNode(l, "Z", QPointF(100, -100), Node::PlainNode);
    addEdge(l, "E", "Z", 1);
    l.node("E")->makeConnections();
    Edge *ek = net.joinNodes(l.node("E"), k);
    QVERIFY(ek);
    QVERIFY(connectionTable(l.node("E")).contains("J>E:0>E>K:0"));
    QVERIFY(connectionTable(l.node("E")).contains("J>E:1>E>K:1"));
}

void TestTopology::refusedJoinsChangeNothing()
{
    Network net;
    Layout l;
    l.net = &net;
    Node *a = addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    Node *b = addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    Node *c = addNode(l, "C", QPointF(200, 0), Node::PlainNode);
    addEdge(l, "A", "B", 1);
    Network other;
    auto *stranger = new Node(&other, QPointF(5, 5), Node::PlainNode);
    other.addItem(stranger);
    auto *loose = new Node(nullptr, QPointF(5, 5), Node::PlainNode);
    const QByteArray before = saveAll(&net);
    const int count = net.objectCount();
    QVERIFY(!net.joinNodes(a, b)); // already joined
    QVERIFY(net.errorString().contains(QStringLiteral("already")));
    QVERIFY(!net.joinNodes(b, a)); // either way
    QVERIFY(!net.joinNodes(c, c));
    QVERIFY(!net.joinNodes(nullptr, c));
    QVERIFY(!net.joinNodes(c, nullptr));
    QVERIFY(!net.joinNodes(c, stranger));
    QVERIFY(!net.joinNodes(loose, c));
    QCOMPARE(net.objectCount(), count);
    QCOMPARE(firstDifference(before, saveAll(&net)), QString());
    delete loose;
    QVERIFY(net.joinNodes(b, c));
}

void TestTopology::snapshotsUndoEveryOperation()
{
    // Each operation, undone the way its editor command undoes it, gives back the saved bytes.
    {
        Furnished f;
        QCOMPARE(insertAndUndo(&f.net, f.l.groups.value("WC"), 50.0), QString());
        // The routes (kept objects, brought back to their saved state) have their old courses.
        QVERIFY(f.through->isValid());
        QCOMPARE(f.through->edges(), QList<Edge *>({f.l.edge("W", "C"), f.l.edge("C", "E")}));
        QCOMPARE(f.toWest->edges(), QList<Edge *>({f.l.edge("S", "C"), f.l.edge("C", "W")}));
        QCOMPARE(insertAndUndo(&f.net, f.l.edge("W", "C"), 50.0), QString());
        QCOMPARE(insertAndUndo(&f.net, f.l.edge("C", "W"), 20.0), QString());
        QCOMPARE(insertAndUndo(&f.net, f.l.groups.value("SC"), 70.0), QString());
    }
    {
        // Joining: snapshot both nodes; undo deletes the edge and loads the snapshot.
        Furnished f;
        Layout &l = f.l;
        Node *x = addNode(l, "X", QPointF(-100, 100), Node::PlainNode);
        const QByteArray before = saveAll(&f.net);
        QList<NetObject *> list;
        collectObjects(l.node("W"), &list);
        collectObjects(x, &list);
        const QByteArray snapshot = saveFragment(&f.net, list);
        Edge *edge = f.net.joinNodes(l.node("W"), x);
        QVERIFY(edge);
        delete edge;
        QString error;
        QVERIFY2(loadFragment(&f.net, snapshot, &error), qPrintable(error));
        QCOMPARE(firstDifference(before, saveAll(&f.net)), QString());
    }
    {
        // Making connections: the junction and its connections before; undo deletes those made.
        Furnished f;
        Node *c = f.l.node("C");
        auto *extra = new Connection(&f.net, f.l.edge("S", "C")->lane(1)->stopline(), f.l.edge("C", "S")->lane(1)->startline());
        f.net.addItem(extra);
        const QByteArray before = saveAll(&f.net);
        auto saveState = [c](QList<int> *ids) {
            QList<NetObject *> list{c};
            for (Edge *e : c->incomingEdges()) {
                for (Lane *lane : e->lanes()) {
                    for (Connection *x : lane->stopline()->connections()) {
                        list.append(x);
                        ids->append(x->id());
                    }
                }
            }
            return list;
        };
        QList<int> beforeIds;
        const QByteArray snapshot = saveFragment(&f.net, saveState(&beforeIds));
        c->makeConnections();
        QList<int> afterIds;
        saveState(&afterIds);
        for (int id : qAsConst(afterIds))
            delete f.net.findObject(id);
        QString error;
        QVERIFY2(loadFragment(&f.net, snapshot, &error), qPrintable(error));
        QCOMPARE(firstDifference(before, saveAll(&f.net)), QString());
    }
}

void TestTopology::snapshotsUndoOnRealNetwork()
{
    QString error;
    std::unique_ptr<Network> net(importNetwork("berlin-doerpfeldstr/net.net.xml.gz", &error));
    QVERIFY2(net, qPrintable(error));
    // Roads and edges between two junctions with connections, in id order.
    QList<EdgeGroup *> groups;
    for (EdgeGroup *g : net->findChildren<EdgeGroup *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (g->start()->isJunction() && g->end()->isJunction() && !g->start()->connections().isEmpty()
            && !g->end()->connections().isEmpty() && g->skeleton().length() > 40.0)
            groups.append(g);
    }
    QList<Edge *> edges;
    for (Edge *e : net->findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!e->group() && e->end()->isJunction() && !e->connections().isEmpty() && e->length() > 40.0)
            edges.append(e);
    }
    QVERIFY(groups.size() >= 6 && edges.size() >= 6);
    std::sort(groups.begin(), groups.end(), [](auto *a, auto *b) { return a->id() < b->id(); });
    std::sort(edges.begin(), edges.end(), [](auto *a, auto *b) { return a->id() < b->id(); });
    for (int i = 0; i < 3; ++i) {
        EdgeGroup *g = groups.at(i * groups.size() / 3);
        QCOMPARE(insertAndUndo(net.get(), g, g->skeleton().length() / 2.0), QString());
        Edge *e = edges.at(i * edges.size() / 3);
        QCOMPARE(insertAndUndo(net.get(), e, e->length() / 3.0), QString());
    }

    // A split in the middle of a real road keeps its routes: through the new junction.
    EdgeGroup *g = groups.at(groups.size() / 2);
    Edge *along = g->edges().first();
    Node *j = net->insertNode(g, g->skeleton().length() / 2.0);
    QVERIFY2(j, qPrintable(net->errorString()));
    QCOMPARE(j->edgesCount(), 2 * g->edges().size());
    QCOMPARE(along->end(), j);
    QVERIFY(!j->connections().isEmpty());
    for (Connection *c : j->connections())
        QCOMPARE(c->startLane()->index(), c->endLane()->index());
}

QTEST_GUILESS_MAIN(TestTopology)
#include "tst_topology.moc"
