// Behaviour of the demand, detector, route and grouping objects on the road layouts.

#include "objectsfixture.h"

#include "compositedetector.h"
#include "geo/geohelpers.h"
#include "customobject.h"
#include "detector.h"
#include "detectorgroup.h"
#include "emergencydetector.h"
#include "granule.h"
#include "odmatrix.h"
#include "pointobject.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "signalgroup.h"
#include "taz.h"
#include "trafficstate.h"
#include "turnpercentage.h"
#include "walkingarea.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Trelvoa;
using namespace ObjectsFixture;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}

class TestObjects : public QObject
{
    Q_OBJECT

private slots:
    void turnPercentagePacking();
    void freeObjectsRefuseBadGeometry();
    void emergencyDetectorSector();
    void customObjectNotifiesAndNests();

    void detectorFollowsItsHost();
    void detectorGroupMembership();
    void compositeDetectorCourse();

    void routeCourseFromControlEdges();
    void routeFollowsTopologyOnRecalculate();
    void routeThroughRoundaboutConnections();
    void routeCourseAfterLoad();

    void tazLinks();
    void tazLinkFollowsEdgeGroup();
    void ptStopBesideLane();
    void walkingAreaItemsAndShape();
    void granuleAndSignalGroups();
    void odMatrixCells();
    void trafficStateMovementsAndFlows();
    void foreignObjectsRefused();
};

void TestObjects::turnPercentagePacking()
{
    const TurnPercentage def = TurnPercentage::defaultValue();
    QCOMPARE(def.value(), quint32(0x14460901));
    QCOMPARE(def.turnaround(), 1);
    QCOMPARE(def.left(), 9);
    QCOMPARE(def.straight(), 70);
    QCOMPARE(def.right(), 20);
    QCOMPARE(def.sum(), 100);
    QCOMPARE(TurnPercentage(1, 9, 70, 20), def);

    // Each byte round-trips on its own without touching its neighbours.
    TurnPercentage t(0xFFFFFFFFu);
    t.setLeft(0);
    QCOMPARE(t.value(), quint32(0xFFFF00FF));
    for (int m = TurnPercentage::Turnaround; m <= TurnPercentage::Right; ++m) {
        TurnPercentage one;
        one.setPercentage(m, 37);
        QCOMPARE(one.value(), quint32(37) << (8 * m));
        QCOMPARE(TurnPercentage(one.value()).percentage(m), 37);
    }
    // Percentages are clamped; other manoeuvres read 0 and are not written.
    TurnPercentage c(-5, 250, 100, 0);
    QCOMPARE(c.turnaround(), 0);
    QCOMPARE(c.left(), 100);
    c.setPercentage(4, 50);
    QCOMPARE(c.percentage(4), 0);
    QCOMPARE(c.value(), TurnPercentage(0, 100, 100, 0).value());
    QCOMPARE(QVariant::fromValue(def).value<TurnPercentage>(), def);
}

void TestObjects::freeObjectsRefuseBadGeometry()
{
    Network net;
    auto *polygon = new PolygonObject(&net);
    QVERIFY(net.addItem(polygon));
    QVERIFY(!polygon->setShape(GeoShape({QPointF(0, 0), QPointF(1, 0)})));
    QVERIFY(!polygon->setShape(GeoShape({QPointF(0, 0), QPointF(1, 0), QPointF(0, 0), QPointF(1, 0)})));
    QVERIFY(!polygon->setShape(GeoShape({QPointF(0, 0), QPointF(1, 0), QPointF(kNaN, 1)})));
    QVERIFY(polygon->shape().isEmpty());
    QVERIFY(!pointIsValid(polygon->pos()));
    QVERIFY(polygon->setShape(GeoShape({QPointF(0, 0), QPointF(10, 0), QPointF(10, 10), QPointF(0, 10)})));
    QVERIFY(polygon->shape().isClosed());
    QVERIFY(near(polygon->pos(), QPointF(5, 5)));
    QVERIFY(!polygon->translate(QPointF(kNaN, 0)));
    QVERIFY(polygon->translate(3, -2));
    QVERIFY(near(polygon->pos(), QPointF(8, 3)));
    QCOMPARE(PolygonObject(nullptr, GeoShape({QPointF(0, 0), QPointF(1, 1)})).shape().count(), 0);

    auto *point = new PointObject(&net, QPointF(4, 5));
    QVERIFY(net.addItem(point));
    QVERIFY(!point->setPos(QPointF(kNaN, 1)));
    QVERIFY(!point->setPos(QPointF(1, qInf())));
    QCOMPARE(point->pos(), QPointF(4, 5));
    QVERIFY(point->setProperty("pos", QPointF(7, 8)));
    QCOMPARE(point->pos(), QPointF(7, 8));

    auto *taz = new Taz(&net, QPointF(kNaN, kNaN));
    QCOMPARE(taz->pos(), QPointF());
    QVERIFY(!taz->setPos(QPointF(kNaN, 0)));
    QVERIFY(!taz->setRadius(0));
    QVERIFY(!taz->setRadius(kNaN));
    QVERIFY(taz->setRadius(5));
    QVERIFY(taz->shape().contains(QPointF(4.5, 0)));
    QVERIFY(!taz->shape().contains(QPointF(5.5, 0)));
    delete taz;
}

void TestObjects::emergencyDetectorSector()
{
    Network net;
    auto *node = new Node(&net, QPointF(50, 60), Node::Junction);
    QVERIFY(net.addItem(node));
    auto *detector = new EmergencyDetector(node);
    QVERIFY(net.addItem(detector));
    QCOMPARE(detector->node(), node);
    QCOMPARE(detector->pos(), QPointF(50, 60));
    QVERIFY(detector->setDirectionAngle(-90));
    QCOMPARE(detector->directionAngle(), 270.0);
    QVERIFY(detector->setDirectionAngle(720 + 45));
    QCOMPARE(detector->directionAngle(), 45.0);
    QVERIFY(!detector->setDirectionAngle(kNaN));
    QVERIFY(!detector->setSweepAngle(0));
    QVERIFY(!detector->setSweepAngle(361));
    QVERIFY(!detector->setRadius(-1));
    QVERIFY(!detector->setPos(QPointF(kNaN, 0)));

    // A quarter sector pointing east: the centre and an arc from -45 to +45 degrees.
    QVERIFY(detector->setDirectionAngle(0));
    QVERIFY(detector->setSweepAngle(90));
    QVERIFY(detector->setRadius(10));
    const GeoShape sector = detector->shape();
    QVERIFY(sector.isClosed());
    QCOMPARE(sector.first(), QPointF(50, 60));
    QVERIFY(sector.contains(QPointF(58, 60)));
    QVERIFY(!sector.contains(QPointF(42, 60)));
    QVERIFY(!sector.contains(QPointF(50, 68)));
    QVERIFY(detector->setSweepAngle(360));
    QVERIFY(detector->shape().contains(QPointF(42, 60)));

    // Moving the node does not move the detector.
    QVERIFY(node->setPos(QPointF(0, 0)));
    QCOMPARE(detector->pos(), QPointF(50, 60));
}

void TestObjects::customObjectNotifiesAndNests()
{
    RecordingNetwork net;
    auto *group = new CustomObject(&net);
    group->setObjectName(QStringLiteral("DayGroup"));
    QVERIFY(net.addItem(group));
    auto *intensity = new CustomObject(group);
    QVERIFY(net.addItem(intensity));
    auto *count = new CustomObject(intensity);
    QVERIFY(net.addItem(count));
    QCOMPARE(group->customChildren(), QList<CustomObject *>{intensity});
    QCOMPARE(count->topLevelObject(), group);

    net.resetRecords();
    intensity->setProperty("node", 12);
    QVERIFY(net.wasChanged(intensity));
    count->setText(QStringLiteral("42"));
    QCOMPARE(count->property("#text").toString(), QStringLiteral("42"));
    QCOMPARE(count->text(), QStringLiteral("42"));
    count->setText(QString());
    QVERIFY(!count->property("#text").isValid());

    delete group;
    QCOMPARE(net.objectCount(), 0);
}

void TestObjects::detectorFollowsItsHost()
{
    RecordingNetwork net;
    Chain chain(net, 2);
    Edge *edge = chain.forward.at(0);
    Lane *lane = edge->lane(0);
    auto *detector = new Detector(lane, 20.0);
    QVERIFY(net.addItem(detector));
    QCOMPARE(detector->lane(), lane);
    QCOMPARE(detector->host(), lane);
    QVERIFY(!detector->connection());

    QPointF expected;
    lane->skeleton().lineAtDistance(20.0, true, &expected);
    QVERIFY(near(detector->pos(), expected));
    QVERIFY(qAbs(detector->skeleton().length() - detector->length()) < 1e-9);
    QVERIFY(detector->shape().contains(detector->pos()));

    // Moving the far node moves the lane and, through it, the detector.
    net.resetRecords();
    QVERIFY(chain.nodes.at(1)->setPos(QPointF(100, 50)));
    QVERIFY(net.wasChanged(detector));
    lane->skeleton().lineAtDistance(20.0, true, &expected);
    QVERIFY(near(detector->pos(), expected));

    QVERIFY(!detector->setDistance(kNaN));
    QVERIFY(detector->setDistance(-3));
    QCOMPARE(detector->distance(), 0.0);
    QVERIFY(detector->setDistance(1e6));
    QVERIFY(near(detector->pos(), lane->skeleton().last()));
    QVERIFY(!detector->setLength(-1));

    // On a connection and on a route the host's skeleton is used the same way.
    Cross cross(net);
    Connection *c = cross.connection(0, 1);
    auto *onConnection = new Detector(c, 1.0);
    QVERIFY(net.addItem(onConnection));
    QCOMPARE(onConnection->connection(), c);
    c->skeleton().lineAtDistance(1.0, true, &expected);
    QVERIFY(near(onConnection->pos(), expected));

    auto *route = new Route(&net);
    QVERIFY(route->addControlEdge(cross.in.at(0)));
    QVERIFY(net.addItem(route));
    auto *onRoute = new Detector(route, 5.0);
    QVERIFY(net.addItem(onRoute));
    QCOMPARE(onRoute->route(), route);
    route->skeleton().lineAtDistance(5.0, true, &expected);
    QVERIFY(near(onRoute->pos(), expected));

    // A detector on anything else has no host and no geometry.
    auto *loose = new Detector(cross.centre, 5.0);
    QVERIFY(net.addItem(loose));
    QVERIFY(!loose->host());
    QVERIFY(!pointIsValid(loose->pos()));
    QVERIFY(loose->shape().isEmpty());
}

void TestObjects::detectorGroupMembership()
{
    RecordingNetwork net;
    Chain chain(net, 3);
    Edge *edge = chain.forward.at(0);
    auto *d0 = new Detector(edge->lane(0), 30);
    auto *d1 = new Detector(edge->lane(1), 30);
    auto *other = new Detector(chain.forward.at(1)->lane(0), 30);
    for (Detector *d : {d0, d1, other})
        QVERIFY(net.addItem(d));

    auto *group = new DetectorGroup(edge, {d0}, Lane::VehicleClasses(int(Lane::vcBus) | 0x40000000));
    QVERIFY(net.addItem(group));
    QCOMPARE(group->edge(), edge);
    QCOMPARE(group->allowed(), Lane::VehicleClasses(Lane::vcBus));
    QVERIFY(group->addDetector(d1));
    QVERIFY(group->addDetector(d1));
    QCOMPARE(group->detectors(), (QList<Detector *>{d0, d1}));
    QCOMPARE(d0->group(), group);
    QCOMPARE(d0->property("group").value<QObject *>(), group);
    // A detector of another edge does not join a group that has detectors.
    QVERIFY(!group->addDetector(other));
    QVERIFY(!other->group());

    const QPointF mean((d0->pos().x() + d1->pos().x()) / 2, (d0->pos().y() + d1->pos().y()) / 2);
    QVERIFY(near(group->pos(), mean));
    // The group's position follows a detector at once.
    QVERIFY(d1->setDistance(50));
    QVERIFY(near(group->pos(), (d0->pos() + d1->pos()) / 2));

    // A detector belongs to one group: joining another takes it out of the first.
    auto *second = new DetectorGroup(edge);
    QVERIFY(net.addItem(second));
    QVERIFY(second->addDetector(d1));
    QCOMPARE(group->detectors(), QList<Detector *>{d0});
    QCOMPARE(d1->group(), second);
    QVERIFY(d1->setProperty("group", QVariant::fromValue<QObject *>(nullptr)));
    QVERIFY(!d1->group());
    QVERIFY(second->detectors().isEmpty());
    QVERIFY(near(second->pos(), QPointF(50, 0), 5.0));

    // Moving a group: fill it on the new edge, then reparent it there.
    QVERIFY(group->removeDetector(d0));
    QVERIFY(group->addDetector(other));
    group->setParent(chain.forward.at(1));
    QCOMPARE(group->edge(), chain.forward.at(1));
    QCOMPARE(group->topLevelObject(), chain.forward.at(1));
}

void TestObjects::compositeDetectorCourse()
{
    Network net;
    Chain chain(net, 4);
    auto makeGroup = [&net](Edge *edge, double distance) {
        auto *group = new DetectorGroup(edge);
        for (Lane *lane : edge->lanes()) {
            auto *d = new Detector(lane, distance);
            net.addItem(d);
            group->addDetector(d);
        }
        net.addItem(group);
        return group;
    };
    DetectorGroup *a1 = makeGroup(chain.forward.at(0), 10);
    DetectorGroup *a2 = makeGroup(chain.forward.at(0), 60);
    DetectorGroup *b = makeGroup(chain.forward.at(1), 30);
    DetectorGroup *far = makeGroup(chain.forward.at(2), 30);

    auto *same = new CompositeDetector(a1, a2, &net);
    QVERIFY(net.addItem(same));
    QVERIFY(same->isValid());
    QVERIFY(near(same->skeleton().first(), a1->pos(), 1e-6));
    QVERIFY(qAbs(same->skeleton().length() - 50.0) < 1e-6);
    QCOMPARE(a1->compositeDetectors(), QList<CompositeDetector *>{same});

    auto *backwards = new CompositeDetector(a2, a1, &net);
    QVERIFY(net.addItem(backwards));
    QVERIFY(!backwards->isValid());
    QCOMPARE(backwards->skeleton().count(), 2);
    QCOMPARE(backwards->property("valid").toBool(), false);

    auto *across = new CompositeDetector(a2, b, &net);
    QVERIFY(net.addItem(across));
    QVERIFY(across->isValid());
    QVERIFY(near(across->skeleton().first(), a2->pos(), 1e-6));
    QVERIFY(near(across->skeleton().last(), b->pos(), 1e-6));

    // Groups two edges apart: the course takes the edge between them and follows it.
    auto *gap = new CompositeDetector(a1, far, &net);
    QVERIFY(net.addItem(gap));
    QVERIFY(gap->isValid());
    QCOMPARE(gap->edges(), (QList<Edge *>{chain.forward.at(0), chain.forward.at(1), chain.forward.at(2)}));
    // The chain is straight: the course is as long as the way from group to group.
    const double straight = qAbs(far->pos().x() - a1->pos().x());
    QVERIFY(straight > 200.0);
    QVERIFY(qAbs(gap->skeleton().length() - straight) < 0.5);
    QVERIFY(chain.forward.at(1)->referrers().contains(gap));
    QVERIFY(chain.nodes.at(2)->setPos(QPointF(200, 40)));
    QVERIFY(gap->skeleton().length() > straight + 5.0);

    // A group the start group cannot reach.
    Cross elsewhere(net);
    DetectorGroup *unreachable = makeGroup(elsewhere.in.at(0), 20);
    auto *lost = new CompositeDetector(a1, unreachable, &net);
    QVERIFY(net.addItem(lost));
    QVERIFY(!lost->isValid());
    QVERIFY(lost->edges().isEmpty());
    QCOMPARE(lost->skeleton(), GeoPolyline({a1->pos(), unreachable->pos()}));

    // Moving the end group to the next edge (the editor's way: new detectors there, then the parent)
    // takes the composite detector's course along.
    const double before = across->skeleton().length();
    auto *moved = new Detector(chain.forward.at(2)->lane(0), 30);
    QVERIFY(net.addItem(moved));
    for (Detector *d : b->detectors())
        QVERIFY(b->removeDetector(d));
    QVERIFY(b->addDetector(moved));
    b->setParent(chain.forward.at(2));
    QVERIFY(across->isValid());
    QCOMPARE(across->edges().size(), 3);
    QVERIFY(across->skeleton().length() > before + 50.0);

    // The edge between goes: no other way is left, the composite detectors stay, invalid.
    delete chain.forward.at(1);
    QVERIFY(!gap->isValid());
    QVERIFY(!across->isValid());
    QCOMPARE(gap->skeleton().count(), 2);

    // The same group at both ends, or a missing group, is refused.
    QVERIFY(!gap->setEnd(a1));
    QVERIFY(!gap->setEnd(nullptr));
    QCOMPARE(gap->end(), far);
    gap->setTl(7);
    QCOMPARE(gap->property("tl").toInt(), 7);
}

void TestObjects::routeCourseFromControlEdges()
{
    RecordingNetwork net;
    Chain chain(net, 4);
    Cross elsewhere(net);
    auto *route = new Route(&net);
    QVERIFY(net.addItem(route));
    QVERIFY(!route->isValid());
    QVERIFY(route->skeleton().isEmpty());

    QVERIFY(route->addControlEdge(chain.forward.at(0)));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), QList<Edge *>{chain.forward.at(0)});
    // The course fills the way between control edges that do not meet.
    QVERIFY(route->appendControlEdge(chain.forward.at(2)));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), (QList<Edge *>{chain.forward.at(0), chain.forward.at(1), chain.forward.at(2)}));
    const GeoPolyline line = route->skeleton();
    QVERIFY(line.length() > 250);
    QVERIFY(line.first().x() < 20);
    QVERIFY(line.last().x() > 280);
    QVERIFY(chain.forward.at(1)->referrers().contains(route));

    // An edge that cannot be reached: no course, but the control edges are still shown.
    QVERIFY(route->addControlEdge(elsewhere.in.at(0)));
    QVERIFY(!route->isValid());
    QVERIFY(route->edges().isEmpty());
    QVERIFY(!route->skeleton().isEmpty());
    QCOMPARE(route->property("valid").toBool(), false);
    QVERIFY(!chain.forward.at(1)->referrers().contains(route));
    QVERIFY(route->removeControlEdge(elsewhere.in.at(0)));
    QVERIFY(!route->removeControlEdge(elsewhere.in.at(0)));
    QVERIFY(!route->removeControlEdge(5));
    QVERIFY(route->isValid());

    // Nothing of the course allows the route's vehicles.
    route->setAllowedVehicles(Lane::vcTram);
    QVERIFY(!route->isValid());
    route->setAllowedVehicles(Lane::VehicleClasses(Lane::DefaultClasses));
    QVERIFY(route->isValid());

    // The route follows the geometry of the edges of its course, control edges or not.
    QVERIFY(route->removeControlEdge(1));
    QVERIFY(route->addControlEdge(chain.forward.at(2)));
    net.resetRecords();
    const GeoPolyline before = route->skeleton();
    QVERIFY(chain.nodes.at(2)->setPos(QPointF(200, 30)));
    QVERIFY(net.wasChanged(route));
    QVERIFY(route->skeleton() != before);

    QVERIFY(route->setProperty("controlEdges",
                               QVariantList{QVariant::fromValue<QObject *>(chain.forward.at(2))}));
    QCOMPARE(route->controlEdges(), QList<Edge *>{chain.forward.at(2)});
    // A list naming something else than edges is refused as a whole.
    route->setProperty("controlEdges", QVariantList{QVariant::fromValue<QObject *>(route)});
    QCOMPARE(route->controlEdges(), QList<Edge *>{chain.forward.at(2)});
}

void TestObjects::routeFollowsTopologyOnRecalculate()
{
    Network net;
    Chain chain(net, 4);
    Cross elsewhere(net);
    auto *route = new Route(&net);
    QVERIFY(route->addControlEdge(chain.forward.at(0)));
    QVERIFY(route->addControlEdge(chain.forward.at(2)));
    QVERIFY(net.addItem(route));
    QCOMPARE(route->edges().size(), 3);

    // A course edge that no longer takes the route's vehicles changes the course at once.
    for (Lane *lane : chain.forward.at(1)->lanes())
        lane->setAllowed(Lane::vcPedestrian);
    QVERIFY(!route->isValid());
    for (Lane *lane : chain.forward.at(1)->lanes())
        lane->setAllowed(Lane::VehicleClasses(Lane::DefaultClasses));
    QVERIFY(route->isValid());

    // Rewiring a control edge changes the course at once: N0>N1 now ends at N2.
    QVERIFY(chain.forward.at(0)->setEnd(chain.nodes.at(2)));
    QCOMPARE(route->edges(), (QList<Edge *>{chain.forward.at(0), chain.forward.at(2)}));

    // A new road away from the route's edges counts once the course is recalculated: from N1 (which
    // the route no longer passes) to the east arm of the junction, then through the junction and back
    // at the west arm's end onto W>C.
    QVERIFY(route->addControlEdge(elsewhere.in.at(0)));
    QVERIFY(!route->isValid());
    auto *link = new Edge(&net, chain.nodes.at(1), elsewhere.arms.at(1));
    new Lane(link);
    QVERIFY(net.addItem(link));
    QVERIFY(!route->isValid());
    route->setChanged(nullptr, ChangeFlag::Topology);
    QVERIFY(route->isValid());
    QCOMPARE(route->edges(), (QList<Edge *>{chain.forward.at(0), chain.forward.at(2), chain.backward.at(2),
                                             chain.backward.at(1), link, elsewhere.in.at(1),
                                             elsewhere.out.at(0), elsewhere.in.at(0)}));
}

void TestObjects::routeThroughRoundaboutConnections()
{
    Network net;
    const Layouts::Layout l = Layouts::roundabout(&net);
    auto *route = new Route(&net);
    route->setAllowedVehicles(Lane::vcPassenger);
    QVERIFY(route->addControlEdge(l.edge(QStringLiteral("X0"), QStringLiteral("R0"))));
    for (int i = 0; i < 3; ++i)
        QVERIFY(route->addControlEdge(
            l.edge(QStringLiteral("R%1").arg(i), QStringLiteral("R%1").arg(i + 1))));
    QVERIFY(route->addControlEdge(l.edge(QStringLiteral("R3"), QStringLiteral("X3"))));
    QVERIFY(net.addItem(route));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges().size(), 5);

    // Joined through the connections at each junction: every vertex and every segment's middle lies
    // on an edge's route line or on a connection, so there is no jump, and it runs from the outer node
    // X0 to the opposite outer node X3.
    QVector<GeoPolyline> pieces;
    for (Edge *e : route->edges()) {
        pieces.append(e->routeSkeleton(route->allowedVehicles()));
        for (Connection *c : e->connections())
            pieces.append(c->skeleton());
    }
    auto onPieces = [&pieces](const QPointF &p) {
        double best = 1e9;
        for (const GeoPolyline &piece : qAsConst(pieces))
            best = qMin(best, flatDistance(p, piece.pointOn(p)));
        return best < 0.05;
    };
    const GeoPolyline line = route->skeleton();
    QVERIFY(line.count() > 10);
    for (int i = 1; i < line.count(); ++i) {
        QVERIFY2(onPieces(line.at(i)), qPrintable(QString::number(i)));
        QVERIFY2(onPieces((line.at(i - 1) + line.at(i)) / 2), qPrintable(QString::number(i)));
    }
    QVERIFY(flatDistance(line.first(), l.node(QStringLiteral("X0"))->pos()) < 5.0);
    QVERIFY(flatDistance(line.last(), l.node(QStringLiteral("X3"))->pos()) < 5.0);

    // Asked to pass the ring edge just behind its entry, the course goes once round the ring.
    QVERIFY(route->insertControlEdge(1, l.edge(QStringLiteral("R5"), QStringLiteral("R0"))));
    QVERIFY(route->isValid());
    QCOMPARE(route->edges().size(), 11);
    // No lane of the roundabout takes trams.
    route->setAllowedVehicles(Lane::vcTram);
    QVERIFY(!route->isValid());
}

void TestObjects::routeCourseAfterLoad()
{
    // A loaded route derives its course on the complete network, connections included: on the
    // roundabout a course from X0 to X3 must take the ring, not whatever the file order met first.
    Network net;
    const Layouts::Layout l = Layouts::roundabout(&net);
    auto *route = new Route(&net);
    QVERIFY(route->addControlEdge(l.edge(QStringLiteral("X0"), QStringLiteral("R0"))));
    QVERIFY(route->addControlEdge(l.edge(QStringLiteral("R3"), QStringLiteral("X3"))));
    QVERIFY(net.addItem(route));
    QList<int> course;
    for (Edge *e : route->edges())
        course.append(e->id());
    QCOMPARE(course.size(), 5);
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    QVERIFY(net.save(writer));

    Network copy;
    QXmlStreamReader reader(bytes);
    QVERIFY2(copy.load(reader), qPrintable(copy.errorString()));
    auto *loaded = copy.findObject<Route>(route->id());
    QVERIFY(loaded);
    QVERIFY(loaded->isValid());
    QList<int> loadedCourse;
    for (Edge *e : loaded->edges())
        loadedCourse.append(e->id());
    QCOMPARE(loadedCourse, course);
    QCOMPARE(loaded->skeleton(), route->skeleton());
}

void TestObjects::tazLinks()
{
    RecordingNetwork net;
    Chain chain(net, 2);
    Edge *edge = chain.forward.at(0);
    auto *taz = new Taz(&net, QPointF(50, 80));
    QVERIFY(net.addItem(taz));
    QVERIFY(!taz->addEdge(nullptr, 1, true));
    QVERIFY(!taz->addEdge(edge, kNaN, true));
    QVERIFY(!taz->edgeData(edge));
    QVERIFY(!taz->hasSourceEdges());

    QVERIFY(taz->addEdge(edge, 30, true));
    QCOMPARE(taz->edges(), QList<Edge *>{edge});
    QCOMPARE(taz->edgeData(edge)->position, 30.0);
    QVERIFY(taz->edgeData(edge)->flag);
    QVERIFY(taz->hasSourceEdges());
    QVERIFY(near(taz->connectionPoint(edge), QPointF(30, 0)));

    // Re-adding changes the link; positions beyond the edge are clamped.
    QVERIFY(taz->addEdge(edge, 1000, false));
    QCOMPARE(taz->edges().size(), 1);
    QCOMPARE(taz->edgeData(edge)->position, edge->skeleton().length());
    QVERIFY(!taz->hasSourceEdges());

    // The link point follows the edge.
    QVERIFY(taz->addEdge(edge, 50, true));
    net.resetRecords();
    QVERIFY(chain.nodes.at(1)->setPos(QPointF(100, 100)));
    QVERIFY(net.wasChanged(taz));
    QPointF expected;
    edge->skeleton().lineAtDistance(50, true, &expected);
    QVERIFY(near(taz->connectionPoint(edge), expected));

    QVERIFY(taz->removeEdge(edge));
    QVERIFY(!taz->removeEdge(edge));
    QVERIFY(!pointIsValid(taz->connectionPoint(edge)));
    QVERIFY(edge->referrers().isEmpty());
}

void TestObjects::tazLinkFollowsEdgeGroup()
{
    RecordingNetwork net;
    const Layouts::Layout l = Layouts::twoWayGroup(&net);
    Edge *edge = l.edge(QStringLiteral("A"), QStringLiteral("M"));
    auto *taz = new Taz(&net, QPointF(50, 100));
    QVERIFY(net.addItem(taz));
    QVERIFY(taz->addEdge(edge, 20, true));
    const QPointF before = taz->connectionPoint(edge);
    net.resetRecords();
    EdgeGroup *group = l.groups.value(QStringLiteral("AB"));
    QVERIFY(group->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(100, 80), QPointF(200, 0)})));
    QVERIFY(net.wasChanged(taz));
    QVERIFY(!near(taz->connectionPoint(edge), before, 0.5));
    QPointF expected;
    edge->skeleton().lineAtDistance(20, true, &expected);
    QVERIFY(near(taz->connectionPoint(edge), expected));
}

void TestObjects::ptStopBesideLane()
{
    RecordingNetwork net;
    Chain chain(net, 2);
    Lane *lane = chain.forward.at(0)->lane(0);
    auto *stop = new PtStop(lane, 40);
    QVERIFY(net.addItem(stop));
    QCOMPARE(stop->lane(), lane);
    const GeoPolyline border = lane->fullSkeleton().parallel(-lane->width() * 0.5, true);
    double offset = 1.0;
    border.pointOn(stop->pos(), nullptr, true, nullptr, &offset);
    QVERIFY(qAbs(offset) < 1e-6);
    QVERIFY(qAbs(stop->pos().x() - 40) < 1e-6);
    QVERIFY(qAbs(stop->skeleton().length() - stop->length()) < 1e-6);
    // The stop area lies outside the lane, to its right.
    const QPointF inside = stop->shape().centroid();
    QVERIFY(inside.y() < stop->pos().y());
    QVERIFY(!lane->shape().contains(inside));

    // A wider lane pushes the stop out.
    const QPointF before = stop->pos();
    net.resetRecords();
    QVERIFY(lane->setWidth(lane->width() + 2));
    QVERIFY(net.wasChanged(stop));
    QVERIFY(stop->pos().y() < before.y() - 0.5);

    QVERIFY(!stop->setDistance(kNaN));
    QVERIFY(!stop->setWidth(0));
    QVERIFY(!stop->setLength(-2));
    stop->setLines({QStringLiteral("12"), QStringLiteral("N4")});
    QCOMPARE(stop->property("lines").toStringList().size(), 2);
}

void TestObjects::walkingAreaItemsAndShape()
{
    RecordingNetwork net;
    Cross cross(net);
    // A sidewalk lane ending at the junction and a crosswalk over the west arm.
    Lane *sidewalk = cross.in.at(0)->lane(0);
    sidewalk->setAllowed(Lane::vcPedestrian);
    Lane *road = cross.in.at(1)->lane(0);
    CrossWalk *crossWalk = cross.crossWalks.at(0);

    auto *area = new WalkingArea(&net);
    QVERIFY(net.addItem(area));
    QVERIFY(!pointIsValid(area->pos()));
    QVERIFY(area->shape().isEmpty());
    QVERIFY(!area->junction());

    QVERIFY(!area->addStopline(road->stopline()));
    QVERIFY(area->addStopline(sidewalk->stopline()));
    QCOMPARE(area->junction(), cross.centre);
    QVERIFY(!area->addStopline(sidewalk->stopline()));
    // A crosswalk item must name one of the crosswalk's lanes.
    QVERIFY(!area->addCrossWalk(crossWalk, road, true));
    QVERIFY(area->addCrossWalk(crossWalk, crossWalk->lane2(), true));
    QCOMPARE(area->itemCount(), 2);
    QVERIFY(near(area->items().at(0)->connectorPoint(), sidewalk->stopline()->pos()));
    QVERIFY(near(area->items().at(1)->connectorPoint(), crossWalk->skeleton().last()));
    // Items of another junction are refused.
    Lane *farSidewalk = cross.out.at(0)->lane(0);
    farSidewalk->setAllowed(Lane::vcPedestrian);
    QVERIFY(!area->addStopline(farSidewalk->stopline()));

    // The automatic shape holds every connector point with the margin around it.
    const GeoShape outline = area->shape();
    QVERIFY(outline.isClosed());
    for (const WalkingArea::Item *item : area->items())
        QVERIFY(outline.contains(item->connectorPoint()));
    QVERIFY(pointIsValid(area->pos()));
    QVERIFY(area->property("items").toList().size() == 2);

    // Removing by a copy removes the equal item.
    const WalkingArea::Item copy = *area->items().at(0);
    QVERIFY(area->removeItem(&copy));
    QCOMPARE(area->itemCount(), 1);
    QVERIFY(!area->removeItem(&copy));
    QVERIFY(area->addItem(copy));
    QCOMPARE(*area->items().last(), copy);

    // Replacing all items is all or nothing: an item of another junction, or one named twice, keeps
    // the items there; the references follow the new items.
    const WalkingArea::Item line(sidewalk->stopline());
    const WalkingArea::Item end(crossWalk, crossWalk->lane2(), true);
    const QList<WalkingArea::Item *> itemsBefore = area->items();
    QVERIFY(!area->setItems({end, WalkingArea::Item(farSidewalk->stopline())}));
    QVERIFY(!area->setItems({line, end, line}));
    QCOMPARE(area->items(), itemsBefore);
    QVERIFY(area->setItems({line}));
    QCOMPARE(area->itemCount(), 1);
    QVERIFY(!crossWalk->referrers().contains(area));
    QVERIFY(area->setItems({end, line}));
    QCOMPARE(*area->items().first(), end);
    QVERIFY(crossWalk->referrers().contains(area));

    QVERIFY(!area->setShape(GeoShape({QPointF(0, 0), QPointF(1, 1)})));
    QVERIFY(!area->setShape(GeoShape({QPointF(0, 0), QPointF(1, 1), QPointF(kNaN, 0)})));
    QVERIFY(area->autoShape());
    const GeoShape custom({QPointF(-5, -5), QPointF(5, -5), QPointF(5, 5)});
    QVERIFY(area->setShape(custom));
    QVERIFY(!area->autoShape());
    QCOMPARE(area->shape().count(), 4);
    area->setAutoShape(true);
    QCOMPARE(area->shape(), outline);
    // Switching the automatic shape off keeps the outline the user sees.
    area->setAutoShape(false);
    QCOMPARE(area->shape(), outline);
    QCOMPARE(area->customShape(), outline);
    area->resetShape();
    QVERIFY(area->autoShape());
    QVERIFY(area->customShape().isEmpty());

    // The connector points follow the lanes: turning the west arm moves the sidewalk's stopline.
    const QPointF before = area->items().at(0)->connectorPoint();
    net.resetRecords();
    QVERIFY(cross.arms.at(0)->setPos(QPointF(-100, 40)));
    QVERIFY(net.wasChanged(area));
    QVERIFY(!near(area->items().at(0)->connectorPoint(), before, 0.1));
    for (const WalkingArea::Item *item : area->items())
        QVERIFY(area->shape().contains(item->connectorPoint()));
}

void TestObjects::granuleAndSignalGroups()
{
    Network net;
    Cross cross(net);
    auto *granule = new Granule({cross.centre, cross.arms.at(0)}, &net);
    granule->setTlId(7);
    QVERIFY(net.addItem(granule));
    QCOMPARE(granule->nodes(), (QList<Node *>{cross.centre, cross.arms.at(0)}));
    QCOMPARE(Granule::granuleOf(cross.centre), granule);
    QCOMPARE(cross.centre->granule(), granule);
    // Every edge at the centre; the west arm adds none of its own.
    QCOMPARE(granule->edges().size(), 8);

    auto *other = new Granule(QList<Node *>{}, &net);
    QVERIFY(net.addItem(other));
    QVERIFY(!other->addNode(cross.centre));
    QVERIFY(other->addNode(cross.arms.at(1)));
    QVERIFY(granule->removeNode(cross.arms.at(0)));
    QVERIFY(!granule->removeNode(cross.arms.at(0)));
    QVERIFY(other->addNode(cross.arms.at(0)));
    QCOMPARE(other->edges().size(), 4);

    Connection *c = cross.connection(0, 1);
    CrossWalk *crossWalk = cross.crossWalks.at(2);
    auto *group = new SignalGroup({c, c}, {crossWalk}, granule);
    group->setTlId(3);
    QVERIFY(net.addItem(group));
    QCOMPARE(group->granule(), granule);
    QCOMPARE(granule->signalGroups(), QList<SignalGroup *>{group});
    QCOMPARE(group->connectionCount(), 1);
    QCOMPARE(group->connection(0), c);
    QVERIFY(!group->connection(1));
    QCOMPARE(group->crossWalk(0), crossWalk);
    QCOMPARE(c->signalGroups(), QList<SignalGroup *>{group});
    QCOMPARE(crossWalk->signalGroup(), group);

    auto *second = new SignalGroup(granule);
    QVERIFY(net.addItem(second));
    QVERIFY(second->addConnection(c));
    QCOMPARE(SignalGroup::groupsOf(c).size(), 2);
    QVERIFY(group->removeConnection(c));
    QVERIFY(!group->removeConnection(c));
    group->clearContent();
    QCOMPARE(group->crossWalkCount(), 0);
    QVERIFY(!crossWalk->signalGroup());

    const QVariantList content{QVariant::fromValue<QObject *>(cross.connection(1, 2))};
    QVERIFY(group->setProperty("connections", content));
    QCOMPARE(group->connections(), QList<Connection *>{cross.connection(1, 2)});
    group->setProperty("connections", QVariantList{QVariant::fromValue<QObject *>(crossWalk)});
    QCOMPARE(group->connectionCount(), 1);
}

void TestObjects::odMatrixCells()
{
    Network net;
    auto *a = new Taz(&net, QPointF(0, 0));
    auto *b = new Taz(&net, QPointF(10, 0));
    auto *c = new Taz(&net, QPointF(20, 0));
    for (Taz *t : {a, b, c})
        QVERIFY(net.addItem(t));
    auto *matrix = new OdMatrix();
    matrix->setParent(&net);
    QVERIFY(net.addItem(matrix));
    QCOMPARE(matrix->vehiclesType(), 1);

    QVERIFY(matrix->setIntensity(a, b, 120));
    QVERIFY(matrix->setIntensity(b, a, 80));
    QVERIFY(matrix->setIntensity(a, a, 5));
    QVERIFY(matrix->setIntensity(c, b, 0));
    QCOMPARE(matrix->tazList(), (QList<Taz *>{a, b}));
    QCOMPARE(matrix->intensity(a, b), 120.0);
    QCOMPARE(matrix->intensity(b, a), 80.0);
    QCOMPARE(matrix->intensity(a, a), 5.0);
    QCOMPARE(matrix->intensity(b, c), 0.0);

    // One cell per pair, read in the direction it was made.
    const QList<OdMatrix::Cell> cells = matrix->cells();
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells.at(0).from, a);
    QCOMPARE(cells.at(0).to, b);
    QCOMPARE(cells.at(0).forward, 120.0);
    QCOMPARE(cells.at(0).backward, 80.0);

    QVERIFY(!matrix->setIntensity(a, b, -1));
    QVERIFY(!matrix->setIntensity(a, b, kNaN));
    QVERIFY(!matrix->setIntensity(nullptr, b, 1));
    QCOMPARE(matrix->intensity(a, b), 120.0);

    // Both directions at 0 drop the cell.
    QVERIFY(matrix->setIntensity(a, b, 0));
    QVERIFY(matrix->setIntensity(b, a, 0));
    QCOMPARE(matrix->cells().size(), 1);
    QVERIFY(matrix->setIntensity(c, a, 9));
    QVERIFY(matrix->removeTaz(a));
    QVERIFY(matrix->cells().isEmpty());
    QCOMPARE(matrix->tazList(), (QList<Taz *>{b, c}));
    QVERIFY(!matrix->removeTaz(a));
    QVERIFY(a->referrers().isEmpty());

    // A saved cell comes back in its own orientation, whatever the matrix held for the pair.
    QVERIFY(matrix->setIntensity(c, b, 4));
    QVERIFY(matrix->setCell({b, c, 0.0, 6.0}));
    QCOMPARE(matrix->cells().size(), 1);
    QCOMPARE(matrix->cells().at(0).from, b);
    QCOMPARE(matrix->intensity(c, b), 6.0);
    QCOMPARE(matrix->intensity(b, c), 0.0);
    QVERIFY(!matrix->setCell({b, c, -1.0, 6.0}));
    QVERIFY(matrix->setCell({b, c, 0.0, 0.0}));
    QVERIFY(matrix->cells().isEmpty());
    matrix->clear();
    QVERIFY(b->referrers().isEmpty());
}

void TestObjects::trafficStateMovementsAndFlows()
{
    Network net;
    Cross cross(net);
    auto *state = new TrafficState();
    state->setParent(&net);
    QVERIFY(net.addItem(state));
    QCOMPARE(state->defaultTurnPercentage(), TurnPercentage::defaultValue());
    QCOMPARE(state->duration(), 3600);
    QVERIFY(!state->setDuration(-1));
    QVERIFY(!state->setStartTime(QTime()));
    QVERIFY(state->setStartTime(QTime(7, 30)));

    Edge *from = cross.in.at(0);
    QCOMPARE(state->turnPercentage(from, cross.out.at(1), -1), -1);
    QVERIFY(state->setTurnPercentage(from, cross.out.at(1), 60));
    QVERIFY(state->setTurnPercentage(from, cross.out.at(2), 150));
    QCOMPARE(state->turnPercentage(from, cross.out.at(1), -1), 60);
    QCOMPARE(state->turnPercentage(from, cross.out.at(2), -1), 100);
    // Not a movement: the edges do not meet.
    QVERIFY(!state->setTurnPercentage(from, cross.in.at(1), 10));
    QVERIFY(!state->setTurnPercentage(cross.out.at(0), cross.out.at(1), 10));
    QCOMPARE(state->turnPercentages().size(), 2);

    auto *taz = new Taz(&net, QPointF(-150, 0));
    QVERIFY(net.addItem(taz));
    QCOMPARE(state->inputFlow(taz), 0);
    QVERIFY(!state->setInputFlow(taz, -5));
    QVERIFY(state->setInputFlow(taz, 900));
    QCOMPARE(state->tazList(), QList<Taz *>{taz});
    QCOMPARE(state->inputFlow(taz), 900);

    QVERIFY(state->removeTurnPercentage(from, cross.out.at(1)));
    QCOMPARE(state->turnPercentage(from, cross.out.at(1), 33), 33);
    // The incoming edge stays referenced by the other movement, the removed outgoing one no more.
    QVERIFY(from->referrers().contains(state));
    QVERIFY(!cross.out.at(1)->referrers().contains(state));

    state->setDefaultTurnPercentage(TurnPercentage(0, 10, 80, 10));
    QCOMPARE(state->property("defaultTurnPercentage").toUInt(), TurnPercentage(0, 10, 80, 10).value());
    state->clear();
    QVERIFY(state->turnPercentages().isEmpty());
    QVERIFY(state->tazList().isEmpty());
    QVERIFY(from->referrers().isEmpty());
    QCOMPARE(state->startTime(), QTime(7, 30));
}

void TestObjects::foreignObjectsRefused()
{
    Network net;
    Network other;
    Chain here(net, 2);
    Chain there(other, 2);
    Edge *foreignEdge = there.forward.at(0);

    auto *taz = new Taz(&net, QPointF());
    auto *foreignTaz = new Taz(&other, QPointF());
    auto *route = new Route(&net);
    auto *granule = new Granule(QList<Node *>{}, &net);
    auto *matrix = new OdMatrix(&net);
    auto *state = new TrafficState(&net);
    auto *group = new DetectorGroup(here.forward.at(0));
    auto *foreignDetector = new Detector(foreignEdge->lane(0), 3);
    for (NetObject *o : std::initializer_list<NetObject *>{taz, route, granule, matrix, state, group})
        QVERIFY(net.addItem(o));
    QVERIFY(other.addItem(foreignTaz));
    QVERIFY(other.addItem(foreignDetector));

    QVERIFY(!taz->addEdge(foreignEdge, 1, true));
    QVERIFY(!route->addControlEdge(foreignEdge));
    QVERIFY(!granule->addNode(there.nodes.at(0)));
    QVERIFY(!matrix->setIntensity(taz, foreignTaz, 3));
    QVERIFY(!state->setInputFlow(foreignTaz, 3));
    QVERIFY(!state->setTurnPercentage(foreignEdge, there.backward.at(0), 30));
    QVERIFY(!group->addDetector(foreignDetector));
    QVERIFY(foreignEdge->referrers().isEmpty());
    QVERIFY(foreignTaz->referrers().isEmpty());

    // A detector on a connection or a route cannot join a group.
    auto *onRoute = new Detector(route, 1);
    QVERIFY(net.addItem(onRoute));
    QVERIFY(!group->addDetector(onRoute));

    // An object holding a reference into another network cannot join this one.
    auto *loose = new Route();
    QVERIFY(loose->addControlEdge(foreignEdge));
    QVERIFY(!net.addItem(loose));
    delete loose;
    QVERIFY(foreignEdge->referrers().isEmpty());
}

QTEST_GUILESS_MAIN(TestObjects)
#include "tst_objects.moc"
