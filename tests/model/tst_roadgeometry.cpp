#include "layouts.h"

#include "geo/geohelpers.h"

#include <QtMath>
#include <QtTest>

#include <cmath>

using namespace Trelvoa;
using namespace Layouts;

namespace {

bool near(const QPointF &a, const QPointF &b, double tol = 1e-6)
{
    return flatDistance(a, b) <= tol;
}

QString str(const QPointF &p)
{
    return QStringLiteral("(%1, %2)").arg(p.x(), 0, 'f', 4).arg(p.y(), 0, 'f', 4);
}

// Unit direction of a polyline's first (atStart) or last segment.
QPointF endDirection(const GeoPolyline &line, bool atStart)
{
    const QPointF d = atStart ? line.at(1) - line.at(0) : line.last() - line.at(line.count() - 2);
    return d / std::hypot(d.x(), d.y());
}

} // namespace

#define QVERIFY_NEAR(a, b)                                                                                   \
    QVERIFY2(near((a), (b)), qPrintable(str(a) + QStringLiteral(" != ") + str(b)))

class TestRoadGeometry : public QObject
{
    Q_OBJECT

private slots:
    void lanesLieRightOfTheSkeleton();
    void carriagewayAndRouteSkeletons();
    void fourArmJunctionShapeIsTheCrossingSquare();
    void tJunctionShapeAndRadius();
    void junctionShapesContainTheirLaneEnds_data();
    void junctionShapesContainTheirLaneEnds();
    void lanesAndLinesStopAtTheJunctionBorder();
    void stoplineDistances();
    void connectionsRunFromStoplineToStartLine();
    void crossWalksSpanTheirLanes();
    void customShapeCutsTheLanes();
    void laneWithItsOwnCentreLine();
    void plainNodesHaveNoShapeNorStoplines();
    void edgeGroupSkeletonAndAttachedNode();
    void sortedEdgesGoClockwise();
    void laneNeighbours();
    void insertLaneKeepsOrder();
    void vehicleClasses();
    void flowsFromConnections();
    void badValuesAreRefused();
};

void TestRoadGeometry::lanesLieRightOfTheSkeleton()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    addRoad(l, "A", "B", 2);
    Edge *ab = l.edge("A", "B");
    Edge *ba = l.edge("B", "A");
    QCOMPARE(ab->lanesCount(), 2);
    // Eastwards: lanes south of the centre line, lane 0 outermost.
    QCOMPARE(ab->lane(0)->fullSkeleton(), GeoPolyline({QPointF(0, -5.25), QPointF(100, -5.25)}));
    QCOMPARE(ab->lane(1)->fullSkeleton(), GeoPolyline({QPointF(0, -1.75), QPointF(100, -1.75)}));
    // The opposite direction lies north: the two last lanes meet at the centre line.
    QCOMPARE(ba->lane(1)->fullSkeleton(), GeoPolyline({QPointF(100, 1.75), QPointF(0, 1.75)}));
    QCOMPARE(ab->lane(1)->left(true), ba->lane(1));
    QCOMPARE(ab->opposite(), QList<Edge *>{ba});
    QCOMPARE(ab->lane(0)->fullLength(), 100.0);
    // Plain nodes cut nothing.
    QCOMPARE(ab->lane(0)->skeleton(), ab->lane(0)->fullSkeleton());
    QCOMPARE(ab->lane(0)->shape().boundingRect(), QRectF(0, -7, 100, 3.5));

    // A positive lanes offset moves the lanes to the left, a wider lane pushes its right neighbours.
    QVERIFY(ab->setLanesOffset(1.0));
    QVERIFY(ab->lane(1)->setWidth(3.0));
    QCOMPARE(ab->lane(1)->fullSkeleton().first().y(), 1.0 - 1.5);
    QCOMPARE(ab->lane(0)->fullSkeleton().first().y(), 1.0 - 3.0 - 1.75);
}

void TestRoadGeometry::carriagewayAndRouteSkeletons()
{
    Network net;
    Layout l;
    l.net = &net;
    addNode(l, "A", QPointF(0, 0), Node::PlainNode);
    addNode(l, "B", QPointF(100, 0), Node::PlainNode);
    Edge *e = addEdge(l, "A", "B", 3);
    QCOMPARE(e->carriagewaySkeleton(), GeoPolyline({QPointF(0, -5.25), QPointF(100, -5.25)}));
    e->lane(0)->setAllowed(Lane::vcBus);
    e->lane(1)->setAllowed(Lane::vcPassenger | Lane::vcBus);
    e->lane(2)->setAllowed(Lane::vcPassenger);
    QCOMPARE(e->routeSkeleton(Lane::vcPassenger).first().y(), -3.5);
    QCOMPARE(e->routeSkeleton(Lane::vcBus).first().y(), -7.0);
    // No lane for trams: the whole carriageway.
    QCOMPARE(e->routeSkeleton(Lane::vcTram).first().y(), -5.25);
    QCOMPARE(e->routeSkeleton(Lane::vcIgnoring).first().y(), -5.25);
}

void TestRoadGeometry::fourArmJunctionShapeIsTheCrossingSquare()
{
    Network net;
    Layout l = fourArm(&net);
    Node *c = l.node("C");
    QCOMPARE(c->edgesCount(), 8);
    QCOMPARE(c->shapeRadius(), std::hypot(7.0, 7.0));
    const GeoShape shape = c->shape();
    QVERIFY(shape.isClosed());
    QCOMPARE(shape.count(), 5);
    const QRectF box = shape.boundingRect();
    QVERIFY2(std::abs(box.left() + 7) < 1e-9 && std::abs(box.right() - 7) < 1e-9 && std::abs(box.top() + 7) < 1e-9
                 && std::abs(box.bottom() - 7) < 1e-9,
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(box.left()).arg(box.top()).arg(box.width()).arg(box.height())));
    QCOMPARE(shape.area(), 196.0);
}

void TestRoadGeometry::tJunctionShapeAndRadius()
{
    Network net;
    Layout l = tJunction(&net);
    Node *c = l.node("C");
    QCOMPARE(c->shape().area(), 196.0);
    QCOMPARE(c->shape().boundingRect(), QRectF(-7, -7, 14, 14));

    // A narrow side road stops at the border of the wide one; the wide one only as far as the narrow is
    // wide: the rectangle where the two roads overlap.
    Network net2;
    Layout m;
    m.net = &net2;
    addNode(m, "C", QPointF(0, 0), Node::Junction);
    addNode(m, "W", QPointF(-100, 0), Node::PlainNode);
    addNode(m, "E", QPointF(100, 0), Node::PlainNode);
    addNode(m, "S", QPointF(0, -100), Node::PlainNode);
    addRoad(m, "W", "C", 4);
    addRoad(m, "E", "C", 4);
    addRoad(m, "S", "C", 1);
    Node *j = m.node("C");
    QCOMPARE(j->shapeRadius(), std::hypot(14.0, 3.5));
    const QRectF box = j->shape().boundingRect();
    QVERIFY(std::abs(box.left() + 3.5) < 1e-9 && std::abs(box.right() - 3.5) < 1e-9);
    QVERIFY(std::abs(box.top() + 14) < 1e-9 && std::abs(box.bottom() - 14) < 1e-9);
    // The side road's lane starts where it meets the main road's kerb.
    QCOMPARE(m.edge("S", "C")->lane(0)->skeleton().last(), QPointF(1.75, -14));
}

void TestRoadGeometry::junctionShapesContainTheirLaneEnds_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("four arm") << 0;
    QTest::newRow("T") << 1;
    QTest::newRow("chain") << 2;
    QTest::newRow("roundabout") << 3;
}

void TestRoadGeometry::junctionShapesContainTheirLaneEnds()
{
    QFETCH(int, layout);
    Network net;
    Layout l = layout == 0 ? fourArm(&net) : layout == 1 ? tJunction(&net) : layout == 2 ? chain(&net) : roundabout(&net);
    int junctions = 0;
    for (Node *n : l.nodes) {
        if (!n->isJunction())
            continue;
        ++junctions;
        const GeoShape shape = n->shape();
        QVERIFY2(shape.count() >= 4, qPrintable(n->name()));
        for (Edge *e : n->edges()) {
            for (Lane *lane : e->lanes()) {
                const GeoPolyline full = lane->fullSkeleton();
                const QPointF end = e->end() == n ? full.last() : full.first();
                QVERIFY2(shape.contains(end), qPrintable(n->name() + QLatin1Char(' ') + e->name() + str(end)));
                // The cut skeleton ends on the shape border and leaves the inside to the junction.
                const QPointF cut = e->end() == n ? lane->skeleton().last() : lane->skeleton().first();
                QPointF onBorder = shape.pointOn(cut, static_cast<int *>(nullptr));
                QVERIFY2(near(cut, onBorder, 1e-6), qPrintable(n->name() + QLatin1Char(' ') + e->name() + str(cut)));
            }
        }
    }
    QVERIFY(junctions > 0);
}

void TestRoadGeometry::lanesAndLinesStopAtTheJunctionBorder()
{
    Network net;
    Layout l = fourArm(&net);
    Lane *in0 = l.edge("E", "C")->lane(0);
    Lane *in1 = l.edge("E", "C")->lane(1);
    Lane *out0 = l.edge("C", "E")->lane(0);
    // Westwards into C: north of the centre line, cut at the square's side x = 7.
    QCOMPARE(in0->fullSkeleton(), GeoPolyline({QPointF(100, 5.25), QPointF(0, 5.25)}));
    QCOMPARE(in0->skeleton(), GeoPolyline({QPointF(100, 5.25), QPointF(7, 5.25)}));
    QCOMPARE(in0->endCut(), 7.0);
    QCOMPARE(in0->startCut(), 0.0);
    QCOMPARE(in0->length(), 93.0);
    QCOMPARE(out0->skeleton(), GeoPolyline({QPointF(7, -5.25), QPointF(100, -5.25)}));

    QVERIFY(in0->hasStopline());
    QVERIFY(!in0->hasStartline()); // E is a plain node
    Stopline *s = nullptr;
    QVERIFY(in0->hasStopline(&s));
    QCOMPARE(s, in0->stopline());
    QVERIFY(s->isStopline());
    QCOMPARE(s->lane(), in0);
    QVERIFY(s->autoDistance());
    QCOMPARE(s->distance(), 7.0);
    QVERIFY_NEAR(s->pos(), QPointF(7, 5.25));
    // Across the lane from its right border (north, driving west) to its left one.
    QVERIFY_NEAR(s->line().p1(), QPointF(7, 7));
    QVERIFY_NEAR(s->line().p2(), QPointF(7, 3.5));
    QVERIFY_NEAR(in1->stopline()->pos(), QPointF(7, 1.75));
    QVERIFY(!out0->startline()->isStopline());
    QVERIFY_NEAR(out0->startline()->pos(), QPointF(7, -5.25));
    QCOMPARE(out0->startline()->distance(), 7.0);
}

void TestRoadGeometry::stoplineDistances()
{
    Network net;
    Layout l = fourArm(&net);
    Stopline *s = l.edge("E", "C")->lane(0)->stopline();
    Stopline *start = l.edge("C", "E")->lane(0)->startline();
    QVERIFY(s->setDistance(12.0));
    QVERIFY(!s->autoDistance());
    QVERIFY_NEAR(s->pos(), QPointF(12, 5.25));
    QVERIFY(start->setDistance(20.0));
    QVERIFY_NEAR(start->pos(), QPointF(20, -5.25));
    // Beyond the lane: kept, but the line stays at the far end.
    QVERIFY(s->setDistance(500.0));
    QCOMPARE(s->distance(), 500.0);
    QVERIFY_NEAR(s->pos(), QPointF(100, 5.25));
    QVERIFY(!s->setDistance(-1.0));
    QVERIFY(!s->setDistance(qQNaN()));
    QCOMPARE(s->distance(), 500.0);
    s->setAutoDistance(true);
    QCOMPARE(s->distance(), 7.0);
    // Switching automatic placement off keeps the line in place.
    s->setAutoDistance(false);
    QCOMPARE(s->distance(), 7.0);
    // A manual line stays when the junction grows; an automatic one follows the border.
    l.edge("N", "C")->lane(0)->setWidth(5.0);
    QCOMPARE(s->distance(), 7.0);
    QVERIFY(start->autoDistance() == false);
    QVERIFY(l.edge("C", "E")->lane(1)->startline()->distance() > 7.0);
}

void TestRoadGeometry::connectionsRunFromStoplineToStartLine()
{
    Network net;
    Layout l = fourArm(&net);
    Node *c = l.node("C");
    // Per arm: two straight, one right, one left.
    QCOMPARE(c->connections().size(), 16);
    int straight = 0;
    int left = 0;
    int right = 0;
    for (Connection *k : c->connections()) {
        QCOMPARE(k->junction(), c);
        QCOMPARE(k->parent(), c);
        const GeoPolyline sk = k->skeleton();
        QVERIFY(sk.count() >= 2);
        QVERIFY_NEAR(sk.first(), k->from()->pos());
        QVERIFY_NEAR(sk.last(), k->to()->pos());
        // Tangent to both lanes: the end pieces of the sampled curve run within a few degrees of them.
        const QLineF in = k->from()->direction();
        const QLineF out = k->to()->direction();
        const QPointF d0 = endDirection(sk, true);
        const QPointF d1 = endDirection(sk, false);
        const double cos6 = std::cos(qDegreesToRadians(6.0));
        QVERIFY(QPointF::dotProduct(d0, in.p2() - in.p1()) > cos6);
        QVERIFY(QPointF::dotProduct(d1, out.p2() - out.p1()) > cos6);
        const double a = k->lanesAngle();
        QVERIFY(a >= 0.0 && a < 360.0);
        if (std::abs(a) < 1e-6) {
            ++straight;
            QCOMPARE(sk.count(), 2);
        } else if (std::abs(a - 90.0) < 1e-6) {
            ++left;
        } else if (std::abs(a - 270.0) < 1e-6) {
            ++right;
        }
    }
    QCOMPARE(straight, 8);
    QCOMPARE(left, 4);
    QCOMPARE(right, 4);

    // The right turn from the east arm: from (7, 5.25) westwards to the northern arm's lane 0.
    Stopline *from = l.edge("E", "C")->lane(0)->stopline();
    QCOMPARE(from->connectionCount(), 2);
    Connection *turn = nullptr;
    for (Connection *k : from->connections()) {
        if (k->endLane()->edge() == l.edge("C", "N"))
            turn = k;
    }
    QVERIFY(turn);
    QCOMPARE(turn->startLane(), l.edge("E", "C")->lane(0));
    QVERIFY_NEAR(turn->skeleton().last(), QPointF(5.25, 7));
    QCOMPARE(l.edge("C", "N")->lane(0)->startline()->connectionCount(), 2);
    QCOMPARE(l.edge("E", "C")->connections().size(), 4);

    // A custom skeleton wins until the automatic one is asked for again.
    const GeoPolyline custom({QPointF(7, 5.25), QPointF(6, 6), QPointF(5.25, 7)});
    QVERIFY(turn->setSkeleton(custom));
    QVERIFY(!turn->autoSkeleton());
    QCOMPARE(turn->skeleton(), custom);
    QVERIFY(!turn->setSkeleton(GeoPolyline({QPointF(1, 1)})));
    turn->setAutoSkeleton(true);
    QVERIFY(turn->skeleton() != custom);

    // A connection made on the network moves under its junction once its from-line is known.
    auto *k = new Connection(&net);
    QCOMPARE(k->junction(), nullptr);
    QVERIFY(k->setFrom(l.edge("W", "C")->lane(0)->stopline()));
    QCOMPARE(k->junction(), c);
    QVERIFY(k->setTo(l.edge("C", "S")->lane(0)->startline()));
    QVERIFY(net.addItem(k));
    QCOMPARE(k->lanesAngle(), 270.0);
}

void TestRoadGeometry::crossWalksSpanTheirLanes()
{
    Network net;
    Layout l = fourArm(&net);
    Node *c = l.node("C");
    QCOMPARE(c->crossWalks().size(), 4);
    CrossWalk *w = l.crossWalks.at(1); // east arm
    QCOMPARE(w->junction(), c);
    QCOMPARE(w->lane1(), l.edge("E", "C")->lane(0));
    QCOMPARE(w->lane2(), l.edge("C", "E")->lane(0));
    QCOMPARE(w->offset1(), 9.0);
    // Offsets count from the junction end of each lane.
    QVERIFY_NEAR(w->lanePoint1(), QPointF(9, 5.25));
    QVERIFY_NEAR(w->lanePoint2(), QPointF(9, -5.25));
    const GeoPolyline sk = w->skeleton();
    QCOMPARE(sk.count(), 2);
    QVERIFY_NEAR(sk.first(), QPointF(9, 7));
    QVERIFY_NEAR(sk.last(), QPointF(9, -7));
    const GeoShape shape = w->shape();
    QCOMPARE(shape.count(), 5);
    QVERIFY(shape.isClosed());
    QCOMPARE(QLineF(shape.at(0), shape.at(1)).length(), w->width());
    QCOMPARE(QLineF(shape.at(1), shape.at(2)).length(), 14.0);
    QCOMPARE(QLineF(shape.at(3), shape.at(0)).length(), 14.0);
    QVERIFY(shape.contains(w->lanePoint1()) && shape.contains(w->lanePoint2()));
    QVERIFY(shape.signedArea() > 0.0);
    QVERIFY_NEAR(w->pos(), QPointF(9, 0));

    QVERIFY(w->setWidth(3.0));
    QCOMPARE(w->shape().boundingRect(), QRectF(7.5, -7, 3, 14));
    QVERIFY(w->setOffset1(15.0));
    QVERIFY(w->setOffset2(15.0));
    QVERIFY_NEAR(w->skeleton().first(), QPointF(15, 7));
    QVERIFY_NEAR(w->skeleton().last(), QPointF(15, -7));

    // One lane: across it, from its right border to its left one.
    QVERIFY(w->setLane2(w->lane1()));
    QVERIFY_NEAR(w->skeleton().first(), QPointF(15, 7));
    QVERIFY_NEAR(w->skeleton().last(), QPointF(15, 3.5));
}

void TestRoadGeometry::customShapeCutsTheLanes()
{
    Network net;
    Layout l = fourArm(&net);
    Node *c = l.node("C");
    const GeoShape custom({QPointF(-10, -10), QPointF(10, -10), QPointF(10, 10), QPointF(-10, 10)});
    QVERIFY(c->setCustomShape(custom));
    QVERIFY(!c->autoShape());
    QCOMPARE(c->shape().count(), 5); // closed
    Lane *in0 = l.edge("E", "C")->lane(0);
    QCOMPARE(in0->skeleton().last(), QPointF(10, 5.25));
    QCOMPARE(in0->stopline()->distance(), 10.0);
    // Outlines without area are refused and change nothing.
    QVERIFY(!c->setCustomShape(GeoShape({QPointF(0, 0), QPointF(1, 1), QPointF(0, 0)})));
    QVERIFY(!c->setCustomShape(GeoShape({QPointF(0, 0), QPointF(1, qQNaN()), QPointF(2, 0)})));
    QCOMPARE(in0->stopline()->distance(), 10.0);
    // An empty shape goes back to the derived one.
    QVERIFY(c->setCustomShape(GeoShape()));
    QVERIFY(c->autoShape());
    QCOMPARE(in0->stopline()->distance(), 7.0);
    // Switching the automatic shape off keeps the outline.
    c->setAutoShape(false);
    QCOMPARE(c->shape().area(), 196.0);
    c->setPos(QPointF(5, 0));
    QCOMPARE(c->shape().area(), 196.0);
    QCOMPARE(c->shape().boundingRect(), QRectF(-7, -7, 14, 14));
}

void TestRoadGeometry::laneWithItsOwnCentreLine()
{
    Network net;
    Layout l = fourArm(&net);
    Lane *in0 = l.edge("E", "C")->lane(0);
    Lane *in1 = l.edge("E", "C")->lane(1);
    const GeoPolyline derived = in0->fullSkeleton();
    const double cut = in0->endCut();
    QVERIFY(cut > 0);
    // A line bent in its first half replaces the derived one; the junction still cuts it where it
    // enters the shape.
    QVector<QPointF> bent = derived.points();
    const QPointF half = (bent.at(0) + bent.at(1)) / 2;
    bent.insert(1, half);
    bent.insert(1, (bent.at(0) + half) / 2 + QPointF(0, -2));
    QVERIFY(in0->setSkeleton(GeoPolyline(bent)));
    QVERIFY(!in0->autoSkeleton());
    QCOMPARE(in0->fullSkeleton(), GeoPolyline(bent));
    QVERIFY_NEAR(in0->skeleton().last(), derived.part(0, derived.length() - cut).last());
    QVERIFY_NEAR(in0->stopline()->pos(), in0->skeleton().last());
    // The neighbour keeps deriving its own, and the custom line stays while the edge moves.
    const GeoPolyline neighbour = in1->fullSkeleton();
    l.node("E")->setPos(l.node("E")->pos() + QPointF(0, 3));
    QVERIFY(in1->fullSkeleton() != neighbour);
    QCOMPARE(in0->fullSkeleton(), GeoPolyline(bent));
    // Fixed cuts count along the custom line.
    QVERIFY(in0->setFixedEndCut(0));
    QCOMPARE(in0->skeleton().last(), bent.last());
    QVERIFY(in0->setFixedEndCut(-1));
    // Refused lines change nothing.
    QVERIFY(!in0->setSkeleton(GeoPolyline({QPointF(1, 1)})));
    QVERIFY(!in0->setSkeleton(GeoPolyline({QPointF(1, 1), QPointF(qQNaN(), 2)})));
    QCOMPARE(in0->fullSkeleton(), GeoPolyline(bent));
    // Back to the derived line (which follows the moved node), and off again keeps what is shown.
    in0->setAutoSkeleton(true);
    QVERIFY(in0->fullSkeleton() != GeoPolyline(bent));
    QCOMPARE(in0->fullSkeleton().count(), 2);
    const GeoPolyline now = in0->fullSkeleton();
    in0->setAutoSkeleton(false);
    QCOMPARE(in0->fullSkeleton(), now);
    QCOMPARE(in0->customSkeleton(), now);
}

void TestRoadGeometry::plainNodesHaveNoShapeNorStoplines()
{
    Network net;
    Layout l = chain(&net);
    Node *a = l.node("A");
    QVERIFY(a->shape().isEmpty());
    QVERIFY(a->computedShape().isEmpty());
    Lane *lane = l.edge("A", "B")->lane(0);
    QVERIFY(!lane->hasStartline());
    Stopline *line = lane->startline();
    QVERIFY(!lane->hasStartline(&line));
    QCOMPARE(line, nullptr);
    QVERIFY(lane->startline()); // still there, just unused
    QVERIFY(!lane->startline()->inUse());
    QVERIFY(lane->hasStopline());
    // Turning a junction into a plain node removes its shape and its lines.
    Node *b = l.node("B");
    QVERIFY(b->setType(Node::PlainNode));
    QVERIFY(b->shape().isEmpty());
    QVERIFY(!lane->hasStopline());
    QCOMPARE(lane->skeleton(), lane->fullSkeleton());
    QCOMPARE(b->connections().size(), 2); // connections are the user's: they stay
}

void TestRoadGeometry::edgeGroupSkeletonAndAttachedNode()
{
    Network net;
    Layout l = twoWayGroup(&net);
    EdgeGroup *g = l.groups.value("AB");
    Node *m = l.node("M");
    QCOMPARE(g->edgeCount(), 4);
    QCOMPARE(g->attachedNodes(), QList<Node *>{m});
    QCOMPARE(m->attachedEdgeGroup(), g);
    QCOMPARE(g->forwardLanes(), 1);
    QCOMPARE(g->backwardLanes(), 1);
    QCOMPARE(l.node("A")->edgeGroups(), QList<EdgeGroup *>{g});
    QVERIFY(m->edgeGroups().isEmpty());
    // Edges take their piece of the group skeleton, reversed when they run against it.
    QCOMPARE(l.edge("A", "M")->skeleton(), GeoPolyline({QPointF(0, 0), QPointF(100, 40)}));
    QCOMPARE(l.edge("B", "M")->skeleton(), GeoPolyline({QPointF(200, 0), QPointF(100, 40)}));
    QCOMPARE(l.edge("M", "A")->skeleton(), GeoPolyline({QPointF(100, 40), QPointF(0, 0)}));
    // The two directions form one road on the group's centre line.
    const GeoPolyline there = l.edge("A", "M")->lane(0)->fullSkeleton();
    const GeoPolyline back = l.edge("M", "A")->lane(0)->fullSkeleton().inverted();
    QVERIFY(std::abs(flatDistance(there.first(), back.first()) - 3.5) < 1e-9);

    // An attached node slides along the group: a point off it is projected onto it.
    QVERIFY(m->setPos(QPointF(50, 100)));
    double d = 0;
    const QPointF onGroup = g->skeleton().pointOn(QPointF(50, 100), &d, true, nullptr, nullptr);
    QVERIFY_NEAR(m->pos(), onGroup);
    QCOMPARE(l.edge("A", "M")->skeleton().last(), m->pos());
    // It follows when the skeleton changes, keeping its place along it.
    const double fraction = d / g->skeleton().length();
    g->setAutoSkeleton(true);
    QCOMPARE(g->skeleton(), GeoPolyline({QPointF(0, 0), QPointF(200, 0)}));
    QVERIFY_NEAR(m->pos(), QPointF(200 * fraction, 0));
    l.node("B")->setPos(QPointF(300, 0));
    QVERIFY_NEAR(m->pos(), QPointF(300 * fraction, 0));

    // Detaching keeps the node where it is.
    const QPointF kept = m->pos();
    QVERIFY(m->setAttachedEdgeGroup(nullptr));
    QCOMPARE(m->pos(), kept);
    QVERIFY(m->setPos(QPointF(150, 50)));
    QCOMPARE(m->pos(), QPointF(150, 50));
    // The ends of a group cannot be attached to it.
    QVERIFY(!l.node("A")->setAttachedEdgeGroup(g));

    // Membership: an edge leaving the group takes its own rule back.
    Edge *am = l.edge("A", "M");
    QVERIFY(g->removeEdge(am));
    QVERIFY(!g->removeEdge(am));
    QCOMPARE(am->group(), nullptr);
    QCOMPARE(am->skeleton(), GeoPolyline({QPointF(0, 0), QPointF(150, 50)}));
    QVERIFY(g->addEdge(am));
    QCOMPARE(am->group(), g);
}

void TestRoadGeometry::sortedEdgesGoClockwise()
{
    Network net;
    Layout l = fourArm(&net);
    const QMap<double, Edge *> sorted = l.node("C")->sortedEdges();
    QCOMPARE(sorted.size(), 8);
    QStringList order;
    for (Edge *e : sorted)
        order.append(e->name());
    QCOMPARE(order, QStringList({"C>E", "S>C", "C>S", "W>C", "C>W", "N>C", "C>N", "E>C"}));
    for (double key : sorted.keys())
        QVERIFY(key >= 0.0 && key < 360.0);
}

void TestRoadGeometry::laneNeighbours()
{
    Network net;
    Layout l = fourArm(&net);
    Edge *e = l.edge("E", "C");
    Lane *l0 = e->lane(0);
    Lane *l1 = e->lane(1);
    QCOMPARE(l0->index(), 0);
    QCOMPARE(l1->index(), 1);
    QCOMPARE(l0->left(), l1);
    QCOMPARE(l1->left(), nullptr);
    QCOMPARE(l1->left(false), nullptr);
    QCOMPARE(l1->left(true), l.edge("C", "E")->lane(1));
    QCOMPARE(l1->right(), l0);
    QCOMPARE(l0->right(), nullptr);
    QCOMPARE(l0->edge(), e);
    QCOMPARE(l0->startNode(), l.node("E"));
    QCOMPARE(l0->endNode(), l.node("C"));
    QCOMPARE(e->laneIndex(l1), 1);
    QCOMPARE(e->laneIndex(l.edge("C", "E")->lane(0)), -1);
    QCOMPARE(e->lane(2), nullptr);
    QCOMPARE(e->lane(-1), nullptr);
}

void TestRoadGeometry::insertLaneKeepsOrder()
{
    Network net;
    Layout l = chain(&net);
    Edge *e = l.edge("A", "B");
    Lane *old0 = e->lane(0);
    Lane *old1 = e->lane(1);
    auto *lane = new Lane(e); // appended at first
    QCOMPARE(lane->index(), 2);
    QVERIFY(e->insertLane(1, lane));
    QVERIFY(net.addItem(lane));
    QCOMPARE(e->lanes(), QList<Lane *>({old0, lane, old1}));
    QCOMPARE(old1->fullSkeleton().first().y(), -1.75);
    QCOMPARE(lane->fullSkeleton().first().y(), -5.25);
    QCOMPARE(old0->fullSkeleton().first().y(), -8.75);
    QVERIFY(e->insertLane(99, lane)); // clamped
    QCOMPARE(e->lane(2), lane);
    QVERIFY(!l.edge("B", "C")->insertLane(0, lane)); // another edge's lane
    QVERIFY(!e->insertLane(0, nullptr));
    // A loose lane is adopted.
    auto *loose = new Lane;
    QVERIFY(e->insertLane(0, loose));
    QCOMPARE(loose->edge(), e);
    QCOMPARE(loose->parent(), e);
    QVERIFY(net.addItem(loose));
    QCOMPARE(e->lanesCount(), 4);
}

void TestRoadGeometry::vehicleClasses()
{
    const QStringList names = Lane::VehicleClassesStringList();
    QCOMPARE(names,
             QStringList({"vcPrivate", "vcEmergency", "vcPassenger", "vcBus", "vcTruck", "vcTram", "vcTrolleybus",
                          "vcMotorcycle", "vcPedestrian", "vcBicycle"}));
    int all = 0;
    for (const QString &n : names)
        all |= int(Lane::String2VehicleClasses(n));
    QCOMPARE(all, int(Lane::vcAll));
    QCOMPARE(int(Lane::String2VehicleClasses("vcBus|vcTruck")), 0x900);
    QCOMPARE(int(Lane::String2VehicleClasses("bus, TRAM nonsense")), 0x2100);
    QCOMPARE(int(Lane::String2VehicleClasses(QStringList{"vcAll"})), 0x9A2923);
    QCOMPARE(int(Lane::String2VehicleClasses("")), 0);
    QCOMPARE(Lane::VehicleClasses2String(Lane::vcBus | Lane::vcPrivate), QStringLiteral("vcPrivate|vcBus"));

    Lane lane;
    QCOMPARE(int(lane.allowed()), 0x8A0923);
    QCOMPARE(int(lane.disallowed()), 0x102000);
    lane.setDisallowed(Lane::vcAll);
    QCOMPARE(int(lane.allowed()), 0);
    lane.setAllowed(Lane::VehicleClasses(0xFFFFFFF));
    QCOMPARE(int(lane.allowed()), 0x9A2923);
    // The property system takes the flags by name, as the editor writes them.
    QVERIFY(lane.setProperty("allowed", QVariant::fromValue(Lane::VehicleClasses(Lane::vcPedestrian))));
    QCOMPARE(int(lane.allowed()), 0x100000);
    QCOMPARE(lane.stopline()->parent(), &lane);
    QCOMPARE(lane.findChildren<Stopline *>().size(), 2);
}

void TestRoadGeometry::flowsFromConnections()
{
    Network net;
    Layout l = fourArm(&net);
    const QList<Edge::Connection> flows = Edge::Connection::makeFlow(l.edge("E", "C")->connections());
    QCOMPARE(flows.size(), 3);
    QMap<int, Edge *> byKind;
    for (const Edge::Connection &f : flows) {
        QCOMPARE(f.from, l.edge("E", "C"));
        byKind.insert(f.manoeuvre, f.to);
        QCOMPARE(f.percentage, TurnPercentage::defaultValue().percentage(f.manoeuvre));
    }
    QCOMPARE(byKind.value(TurnPercentage::Straight), l.edge("C", "W"));
    QCOMPARE(byKind.value(TurnPercentage::Right), l.edge("C", "N"));
    QCOMPARE(byKind.value(TurnPercentage::Left), l.edge("C", "S"));
}

void TestRoadGeometry::badValuesAreRefused()
{
    Network net;
    Layout l = fourArm(&net);
    Network other;
    Layout o = chain(&other);
    Edge *e = l.edge("E", "C");
    Lane *lane = e->lane(0);
    const GeoPolyline before = lane->shape();
    QVERIFY(!lane->setWidth(0.0));
    QVERIFY(!lane->setWidth(-3.0));
    QVERIFY(!lane->setWidth(qQNaN()));
    QVERIFY(!lane->setWidth(qInf()));
    QVERIFY(!lane->setMaxSpeed(-1.0));
    QCOMPARE(lane->width(), 3.5);
    QCOMPARE(GeoPolyline(lane->shape()), before);
    QVERIFY(!e->setLanesOffset(qQNaN()));
    QVERIFY(!e->setSkeleton(GeoPolyline({QPointF(0, 0)})));
    QVERIFY(!e->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(0, 0)})));
    QVERIFY(!e->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(qQNaN(), 1)})));
    QVERIFY(e->autoSkeleton());
    QVERIFY(!e->setStart(nullptr));
    QVERIFY(!e->setStart(e->end())); // both ends on one node
    QVERIFY(!e->setEnd(o.node("A")));  // another network
    QCOMPARE(e->end(), l.node("C"));
    e->setProperty("start", QVariant::fromValue<QObject *>(lane)); // wrong kind: refused
    QCOMPARE(e->start(), l.node("E"));
    Node *c = l.node("C");
    QVERIFY(!c->setPos(QPointF(qQNaN(), 0)));
    QVERIFY(!c->setType(-1));
    QCOMPARE(c->pos(), QPointF(0, 0));

    Connection *k = c->connections().first();
    Stopline *from = k->from();
    QVERIFY(!k->setFrom(nullptr));
    QVERIFY(!k->setFrom(l.edge("C", "E")->lane(0)->startline())); // a start line is no stopline
    QVERIFY(!k->setTo(l.edge("W", "C")->lane(0)->stopline()));
    QVERIFY(!k->setFrom(o.edge("A", "B")->lane(0)->stopline()));
    QVERIFY(!k->setMaxSpeed(qQNaN()));
    QCOMPARE(k->from(), from);

    CrossWalk *w = l.crossWalks.first();
    QVERIFY(!w->setWidth(0.0));
    QVERIFY(!w->setOffset1(-2.0));
    QVERIFY(!w->setOffset2(qQNaN()));
    QVERIFY(!w->setLane1(nullptr));
    QVERIFY(!w->setLane2(o.edge("A", "B")->lane(0)));
    QVERIFY(!w->setJunction(nullptr));
    QVERIFY(!w->setJunction(o.node("B")));
    QCOMPARE(w->junction(), c);

    // A group made for this network refuses edges of another one even before it is added.
    EdgeGroup *g = new EdgeGroup(&net, l.node("N"), l.node("S"));
    QVERIFY(!g->setStart(l.node("S")));
    QVERIFY(!g->setSkeleton(GeoPolyline({QPointF(1, 1)})));
    QVERIFY(!g->addEdge(nullptr));
    QVERIFY(!g->addEdge(o.edge("A", "B")));
    QVERIFY(!o.edge("A", "B")->setGroup(g));
    QVERIFY(!o.node("A")->setAttachedEdgeGroup(g));
    QVERIFY(net.addItem(g));
    QCOMPARE(o.edge("A", "B")->group(), nullptr);
}

QTEST_GUILESS_MAIN(TestRoadGeometry)
#include "tst_roadgeometry.moc"
