// Network::findRoute and the course of Route: on small layouts for the rules, and across the imported
// Berlin network for real routes, checked against an independent shortest-path computation.

#include "layouts.h"
#include "saves.h"

#include "route.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

using namespace Trelvoa;
using namespace Layouts;
using namespace TestSupport;

namespace {

const Lane::VehicleClasses kPassenger(Lane::vcPassenger);

bool hasConnections(const Node *n)
{
    return !n->connections().isEmpty();
}

// Why a course is not one a vehicle of the classes can drive, or an empty string.
QString courseFault(const QList<Edge *> &course, Lane::VehicleClasses classes)
{
    for (int i = 1; i < course.size(); ++i) {
        const Edge *e = course.at(i - 1);
        const Edge *f = course.at(i);
        if (e->end() != f->start())
            return QStringLiteral("%1 does not lead to %2").arg(e->name(), f->name());
        if (!hasConnections(e->end()))
            continue;
        bool connected = false;
        for (Connection *c : e->connections())
            connected = connected || (c->endLane()->edge() == f && c->startLane()->allows(classes) && c->endLane()->allows(classes));
        if (!connected)
            return QStringLiteral("no connection from %1 to %2").arg(e->name(), f->name());
    }
    return QString();
}

double courseLength(const QList<Edge *> &course)
{
    double length = 0.0;
    for (int i = 1; i < course.size(); ++i)
        length += course.at(i)->length();
    return length;
}

// Shortest distance from `from` to `to` (lengths of the edges after `from`) by plain repeated
// relaxation over every movement of the network, independent of the search under test.
double referenceDistance(Network *net, Edge *from, Edge *to, Lane::VehicleClasses classes)
{
    const QList<Edge *> edges = net->findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly);
    auto usable = [classes](const Edge *e) {
        for (Lane *l : e->lanes()) {
            if (l->allows(classes))
                return true;
        }
        return false;
    };
    QVector<QPair<Edge *, Edge *>> moves;
    for (Edge *e : edges) {
        Node *n = e->end();
        if (hasConnections(n)) {
            for (Connection *c : e->connections()) {
                if (c->startLane()->allows(classes) && c->endLane()->allows(classes))
                    moves.append(qMakePair(e, c->endLane()->edge()));
            }
            continue;
        }
        Edge *back = nullptr;
        bool onwards = false;
        for (Edge *f : n->outgoingEdges()) {
            if (!usable(f))
                continue;
            if (f->end() == e->start()) {
                back = f;
            } else {
                onwards = true;
                moves.append(qMakePair(e, f));
            }
        }
        if (!onwards && back)
            moves.append(qMakePair(e, back));
    }
    QHash<Edge *, double> distance;
    distance.insert(from, 0.0);
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto &m : qAsConst(moves)) {
            if (!distance.contains(m.first))
                continue;
            const double d = distance.value(m.first) + m.second->length();
            if (!distance.contains(m.second) || d < distance.value(m.second) - 1e-9) {
                distance.insert(m.second, d);
                changed = true;
            }
        }
    }
    return distance.value(to, std::numeric_limits<double>::infinity());
}

} // namespace

class TestRouting : public QObject
{
    Q_OBJECT

private slots:
    void followsConnections();
    void withoutConnectionsAnyEdgeGoesOn();
    void turnsBackOnlyAtDeadEnds();
    void onlyLanesOfTheClasses();
    void passesControlEdgesInOrder();
    void routeCourseFollowsTheNetwork();
    void realNetworkRoutes();
};

void TestRouting::followsConnections()
{
    Network net;
    Layout l = fourArm(&net, RoadsOnly);
    l.node("C")->makeConnections();
    Edge *sc = l.edge("S", "C");
    Edge *ce = l.edge("C", "E");
    QCOMPARE(net.findRoute({sc, ce}), QList<Edge *>({sc, ce}));
    // Without the right turn the way leads round by turning back at a dead end.
    for (Connection *c : sc->connections()) {
        if (c->endLane()->edge() == ce)
            delete c;
    }
    const QList<Edge *> detour = net.findRoute({sc, ce});
    QCOMPARE(detour.size(), 4);
    QCOMPARE(detour.first(), sc);
    QCOMPARE(detour.last(), ce);
    QCOMPARE(courseFault(detour, Lane::VehicleClasses(Lane::DefaultClasses)), QString());
    // With the dead ends cut off as well nothing is left.
    for (const char *arm : {"N", "W"})
        delete l.edge(arm, "C");
    QVERIFY(net.findRoute({sc, ce}).isEmpty());
    QVERIFY(net.errorString().contains(sc->printableName()));
}

void TestRouting::withoutConnectionsAnyEdgeGoesOn()
{
    Network net;
    Layout l = fourArm(&net, RoadsOnly);
    QCOMPARE(net.findRoute({l.edge("S", "C"), l.edge("C", "E")}), QList<Edge *>({l.edge("S", "C"), l.edge("C", "E")}));
    QCOMPARE(net.findRoute({l.edge("S", "C"), l.edge("C", "W")}), QList<Edge *>({l.edge("S", "C"), l.edge("C", "W")}));
}

void TestRouting::turnsBackOnlyAtDeadEnds()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    addRoad(l, "A", "B", 1);
    QCOMPARE(net.findRoute({l.edge("A", "B"), l.edge("B", "A")}), QList<Edge *>({l.edge("A", "B"), l.edge("B", "A")}));
    addNode(l, "C", QPointF(200, 0), Node::PlainNode);
    addRoad(l, "B", "C", 1);
    QCOMPARE(net.findRoute({l.edge("A", "B"), l.edge("B", "A")}),
             QList<Edge *>({l.edge("A", "B"), l.edge("B", "C"), l.edge("C", "B"), l.edge("B", "A")}));
}

void TestRouting::onlyLanesOfTheClasses()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    addNode(l, "C", QPointF(200, 0), Node::PlainNode);
    addNode(l, "D", QPointF(100, 100), Node::PlainNode);
    Edge *ab = addEdge(l, "A", "B", 1);
    Edge *bc = addEdge(l, "B", "C", 1);
    Edge *bd = addEdge(l, "B", "D", 1);
    Edge *dc = addEdge(l, "D", "C", 1);
    bc->lane(0)->setAllowed(Lane::vcTram);
    // Cars take the long way, trams the track, and a car route on the track alone is none.
    QCOMPARE(net.findRoute({ab, dc}, kPassenger), QList<Edge *>({ab, bd, dc}));
    QCOMPARE(net.findRoute({ab, bc}, Lane::vcTram | Lane::vcPassenger), QList<Edge *>({ab, bc}));
    QVERIFY(net.findRoute({ab, bc}, kPassenger).isEmpty());
    QVERIFY(net.findRoute({bc}, kPassenger).isEmpty());
    QVERIFY(!net.errorString().isEmpty());
    // No class: every lane counts.
    QCOMPARE(net.findRoute({ab, bc}, Lane::vcIgnoring), QList<Edge *>({ab, bc}));
}

void TestRouting::passesControlEdgesInOrder()
{
    Network net;
    Layout l = fourArm(&net, RoadsOnly);
    l.node("C")->makeConnections();
    Edge *sc = l.edge("S", "C");
    Edge *cn = l.edge("C", "N");
    Edge *nc = l.edge("N", "C");
    Edge *ce = l.edge("C", "E");
    QCOMPARE(net.findRoute({sc}), QList<Edge *>{sc});
    QCOMPARE(net.findRoute({sc, sc, nc, ce}), QList<Edge *>({sc, cn, nc, ce}));
    QVERIFY(net.findRoute({}).isEmpty());
    QVERIFY(net.findRoute({sc, nullptr}).isEmpty());
    Network other;
    Layout o = fourArm(&other, RoadsOnly);
    QVERIFY(net.findRoute({sc, o.edge("C", "E")}).isEmpty());
}

void TestRouting::routeCourseFollowsTheNetwork()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::Junction);
    addNode(l, "C", QPointF(200, 0), Node::Junction);
    addNode(l, "D", QPointF(300, 0), Node::PlainNode);
    addNode(l, "E", QPointF(200, 100), Node::PlainNode);
    Edge *ab = addEdge(l, "A", "B", 2);
    Edge *bc = addEdge(l, "B", "C", 2);
    Edge *cd = addEdge(l, "C", "D", 2);
    addEdge(l, "C", "E", 1);
    l.node("B")->makeConnections();
    l.node("C")->makeConnections();

    auto *route = new Route(&net);
    route->setAllowedVehicles(kPassenger);
    route->addControlEdge(ab);
    route->addControlEdge(cd);
    QVERIFY(net.addItem(route));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), QList<Edge *>({ab, bc, cd}));
    QVERIFY(route->skeleton().length() > 250.0);

    // "Recalculate" (flag 2) follows changed connections.
    for (Connection *c : bc->connections()) {
        if (c->endLane()->edge() == cd)
            delete c;
    }
    route->setChanged(nullptr, ChangeFlag::Topology);
    QVERIFY(!route->isValid());
    QVERIFY(route->edges().isEmpty());
    l.node("C")->makeConnections();
    route->setChanged(nullptr, ChangeFlag::Topology);
    QCOMPARE(route->edges(), QList<Edge *>({ab, bc, cd}));

    // A loaded network has the same courses (references are set in any order while loading).
    {
        const QByteArray saved = saveAll(&net);
        Network copy;
        QXmlStreamReader reader(saved);
        QVERIFY2(copy.load(reader), qPrintable(copy.errorString()));
        auto *loaded = copy.findObject<Route>(route->id());
        QVERIFY(loaded);
        QVERIFY(loaded->isValid());
        QCOMPARE(loaded->edges().size(), 3);
        QCOMPARE(loaded->edges().at(1)->id(), bc->id());
    }

    // Deleting an edge of the course leaves no way.
    delete bc;
    QVERIFY(!route->isValid());
    QCOMPARE(route->controlEdges(), QList<Edge *>({ab, cd}));
    QVERIFY(route->edges().isEmpty());
}

void TestRouting::realNetworkRoutes()
{
    QString error;
    std::unique_ptr<Network> net(importNetwork("berlin-doerpfeldstr/net.net.xml.gz", &error));
    QVERIFY2(net, qPrintable(error));
    QList<Edge *> roads;
    for (Edge *e : net->findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly)) {
        for (Lane *lane : e->lanes()) {
            if (lane->allows(kPassenger)) {
                roads.append(e);
                break;
            }
        }
    }
    std::sort(roads.begin(), roads.end(), [](Edge *a, Edge *b) { return a->id() < b->id(); });
    QVERIFY(roads.size() > 150);
    QRectF extent;
    for (Edge *e : qAsConst(roads))
        extent |= e->skeleton().boundingRect();
    const double far = 0.5 * std::hypot(extent.width(), extent.height());

    // Pairs of edges far apart (at least half the network's diagonal).
    QRandomGenerator random(20240607);
    QVector<QPair<Edge *, Edge *>> pairs;
    for (int attempt = 0; pairs.size() < 25 && attempt < 100000; ++attempt) {
        Edge *a = roads.at(int(random.bounded(roads.size())));
        Edge *b = roads.at(int(random.bounded(roads.size())));
        if (QLineF(a->skeleton().first(), b->skeleton().first()).length() > far)
            pairs.append(qMakePair(a, b));
    }
    QCOMPARE(pairs.size(), 25);
    int found = 0;
    QPair<Edge *, Edge *> longest;
    int longestSize = 0;
    for (const auto &p : qAsConst(pairs)) {
        const QList<Edge *> course = net->findRoute({p.first, p.second}, kPassenger);
        const double reference = referenceDistance(net.get(), p.first, p.second, kPassenger);
        if (course.isEmpty()) {
            QVERIFY2(std::isinf(reference), qPrintable(p.first->name() + QStringLiteral(" to ") + p.second->name()));
            continue;
        }
        ++found;
        QCOMPARE(course.first(), p.first);
        QCOMPARE(course.last(), p.second);
        QCOMPARE(courseFault(course, kPassenger), QString());
        QVERIFY2(std::abs(courseLength(course) - reference) < 1e-6,
                 qPrintable(QStringLiteral("%1 m against %2 m").arg(courseLength(course)).arg(reference)));
        if (course.size() > longestSize) {
            longestSize = course.size();
            longest = p;
        }
    }
    qInfo("%d of %d far pairs have a course; the longest passes %d edges", found, int(pairs.size()), longestSize);
    // The map is cut out of a city: some edges near its border lead nowhere.
    QVERIFY(found >= pairs.size() / 2);

    // A route across the city: a deleted edge of its course is never used again.
    auto *route = new Route(net.get());
    route->setAllowedVehicles(kPassenger);
    route->addControlEdge(longest.first);
    route->addControlEdge(longest.second);
    QVERIFY(net->addItem(route));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), net->findRoute({longest.first, longest.second}, kPassenger));
    for (int round = 0; round < 3 && route->isValid(); ++round) {
        const QList<Edge *> course = route->edges();
        QPointer<Edge> gone = course.at(course.size() / 2);
        delete gone.data();
        QVERIFY(gone.isNull());
        QVERIFY(!route->edges().contains(gone.data()));
        if (route->isValid())
            QCOMPARE(courseFault(route->edges(), kPassenger), QString());
    }
    // Deleting a control edge leaves one; a route of one edge is that edge.
    QPointer<Edge> start = route->controlEdges().first();
    delete start.data();
    QCOMPARE(route->controlEdges(), QList<Edge *>{longest.second});
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), QList<Edge *>{longest.second});
}

QTEST_GUILESS_MAIN(TestRouting)
#include "tst_routing.moc"
