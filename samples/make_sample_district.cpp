// Builds the bundled sample network through the model API and saves it in our format.
//
//   make-sample-district OUT.trva
//
// A small district in Cologne (UTM zone 32): a signalised crossroads with a custom junction outline, a
// T-junction, a rail crossing of a tram track, a two-way main street as an edge group with sidewalks, a
// roundabout of six nodes, crosswalks and a walking area, detectors of all four kinds, a PT stop, two
// traffic zones with an OD matrix and a traffic state, a route, a polygon, a point object, a granule
// with signal groups and a custom object.

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "customobject.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "emergencydetector.h"
#include "granule.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "odmatrix.h"
#include "pointobject.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "signalgroup.h"
#include "stopline.h"
#include "taz.h"
#include "trafficstate.h"
#include "walkingarea.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QtMath>

using namespace Trelvoa;

namespace {

constexpr int Pedestrian = Lane::vcPedestrian;
constexpr int Tram = Lane::vcTram;

class Builder
{
public:
    explicit Builder(Network *net)
        : m_net(net)
    {
    }

    Node *node(const QString &name, double x, double y, int type)
    {
        auto *n = new Node(m_net, QPointF(x, y), type);
        n->setName(name);
        check(m_net->addItem(n), "node");
        return n;
    }

    // An edge with the given lanes, rightmost first: each entry the allowed classes of one lane.
    Edge *edge(Node *from, Node *to, const QVector<int> &lanes, double speed = 50.0)
    {
        auto *e = new Edge(m_net, from, to);
        check(m_net->addItem(e), "edge");
        for (int classes : lanes) {
            auto *lane = new Lane(e);
            lane->setAllowed(Lane::VehicleClasses(classes));
            lane->setMaxSpeed(classes == Pedestrian ? 5.0 : speed);
            lane->setWidth(classes == Pedestrian ? 2.0 : classes == Tram ? 3.0 : 3.25);
            check(m_net->addItem(lane), "lane");
        }
        return e;
    }

    // Connects the vehicle lanes of every incoming edge of a junction to every outgoing one but the
    // way back: straight lane to lane, right turns from the rightmost lane, left turns from the leftmost.
    void connect(Node *junction)
    {
        for (Edge *in : junction->incomingEdges()) {
            const QVector<Lane *> from = vehicleLanes(in);
            if (from.isEmpty())
                continue;
            for (Edge *out : junction->outgoingEdges()) {
                if (out->end() == in->start())
                    continue;
                const QVector<Lane *> to = vehicleLanes(out);
                if (to.isEmpty())
                    continue;
                const double turn = turnAngle(in, out);
                if (qAbs(turn) < 30) {
                    for (int i = 0; i < from.size(); ++i)
                        link(from[i], to[qMin(i, to.size() - 1)]);
                } else if (turn < 0) {
                    link(from.first(), to.first());
                } else {
                    link(from.last(), to.last());
                }
            }
        }
    }

    Connection *link(Lane *from, Lane *to)
    {
        if (!(from->allowed() & to->allowed()))
            return nullptr;
        auto *c = new Connection(m_net, from->stopline(), to->startline());
        c->setMaxSpeed(qMin(from->maxSpeed(), to->maxSpeed()));
        check(m_net->addItem(c), "connection");
        m_connections.append(c);
        return c;
    }

    template<class T>
    T *add(T *object, const char *what)
    {
        check(m_net->addItem(object), what);
        return object;
    }

    QList<Connection *> connectionsAt(Node *junction) const
    {
        QList<Connection *> list;
        for (Connection *c : m_connections) {
            if (c->junction() == junction)
                list.append(c);
        }
        return list;
    }

    bool ok() const { return m_ok; }

private:
    static QVector<Lane *> vehicleLanes(Edge *e)
    {
        QVector<Lane *> lanes;
        for (Lane *l : e->lanes()) {
            if (l->allowed() != Lane::VehicleClasses(Pedestrian) && !(l->allowed() & Tram))
                lanes.append(l);
        }
        return lanes;
    }

    // Degrees, positive to the left.
    static double turnAngle(Edge *in, Edge *out)
    {
        const GeoPolyline a = in->skeleton(), b = out->skeleton();
        const QLineF la(a.at(a.count() - 2), a.last());
        const QLineF lb(b.first(), b.at(1));
        double turn = lb.angle() - la.angle();
        while (turn > 180)
            turn -= 360;
        while (turn <= -180)
            turn += 360;
        return turn;
    }

    void check(bool added, const char *what)
    {
        if (!added) {
            QTextStream(stderr) << "make-sample-district: cannot add " << what << ": " << m_net->errorString()
                                << '\n';
            m_ok = false;
        }
    }

    Network *m_net;
    QList<Connection *> m_connections;
    bool m_ok = true;
};

bool build(Network *net)
{
    // Model XY = UTM + offset: the district's centre is the model origin.
    if (!net->setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs",
                            QPointF(-356300.0, -5645300.0)))
        return false;
    Builder b(net);
    const int car = Lane::DefaultClasses;

    // Junctions of each kind.
    Node *west = b.node(QStringLiteral("Westplatz"), -220, 0, Node::Junction);
    Node *centre = b.node(QStringLiteral("Zentrum"), 0, 0, Node::SignalisedJunction);
    Node *east = b.node(QStringLiteral("Ostende"), 220, 0, Node::Junction);
    Node *crossing = b.node(QStringLiteral("Bahnübergang"), 0, 60, Node::OtherJunction);
    Node *north = b.node(QStringLiteral("Nordende"), 0, 200, Node::PlainNode);
    Node *south = b.node(QStringLiteral("Südtor"), 0, -160, Node::Junction);
    Node *westEnd = b.node(QString(), -400, 0, Node::PlainNode);
    Node *tramWest = b.node(QString(), -220, 60, Node::PlainNode);
    Node *tramEast = b.node(QString(), 220, 60, Node::PlainNode);

    // The crossroads keeps an outline drawn by hand.
    GeoShape outline{QPointF(-14, -14), QPointF(14, -14), QPointF(14, 14), QPointF(-14, 14)};
    outline.close();
    centre->setCustomShape(outline);
    centre->setAutoShape(false);

    // The main street: two lanes each way and a sidewalk, both directions on one skeleton.
    const QVector<int> street{Pedestrian, car, car};
    Edge *wc = b.edge(west, centre, street);
    Edge *cw = b.edge(centre, west, street);
    Edge *ce = b.edge(centre, east, street);
    Edge *ec = b.edge(east, centre, street);
    auto *mainStreet = b.add(new EdgeGroup(net, centre, east), "edge group");
    mainStreet->setName(QStringLiteral("Hauptstraße"));
    mainStreet->addEdge(ce);
    mainStreet->addEdge(ec);
    const GeoPolyline bend{QPointF(0, 0), QPointF(110, -8), QPointF(220, 0)};
    mainStreet->setSkeleton(bend);
    for (Edge *e : {wc, cw, ce, ec})
        e->setStreetName(QStringLiteral("Hauptstraße"));
    Edge *wx = b.edge(westEnd, west, {car});
    Edge *xw = b.edge(west, westEnd, {car});
    Q_UNUSED(wx)
    Q_UNUSED(xw)

    // The north-south road over the rail crossing, and the tram track across it.
    Edge *cn = b.edge(centre, crossing, {car});
    Edge *nc = b.edge(crossing, centre, {car});
    b.edge(crossing, north, {car});
    b.edge(north, crossing, {car});
    Edge *cs = b.edge(centre, south, {car, car});
    Edge *sc = b.edge(south, centre, {car, car});
    b.edge(tramWest, crossing, {Tram}, 40);
    b.edge(crossing, tramEast, {Tram}, 40);
    b.edge(tramEast, crossing, {Tram}, 40);
    b.edge(crossing, tramWest, {Tram}, 40);
    Q_UNUSED(cn)
    Q_UNUSED(nc)

    // A roundabout of six nodes, reached from the south gate.
    const QPointF ring(0, -260);
    QVector<Node *> roundabout;
    for (int i = 0; i < 6; ++i) {
        const double a = qDegreesToRadians(90.0 + 60.0 * i);
        roundabout.append(b.node(QString(), ring.x() + 35 * std::cos(a), ring.y() + 35 * std::sin(a),
                                 Node::Junction));
    }
    for (int i = 0; i < 6; ++i)
        b.edge(roundabout[i], roundabout[(i + 1) % 6], {car}, 30); // counter-clockwise
    b.edge(south, roundabout[0], {car});
    b.edge(roundabout[0], south, {car});
    Node *southWest = b.node(QString(), -160, -300, Node::PlainNode);
    b.edge(roundabout[2], southWest, {car});
    b.edge(southWest, roundabout[2], {car});

    for (Node *n : {west, centre, east, crossing, south})
        b.connect(n);
    for (Node *n : qAsConst(roundabout))
        b.connect(n);

    // A crosswalk over the west arm of the crossroads, between the sidewalks, and a walking area at
    // its south-west corner.
    auto *zebra = b.add(new CrossWalk(centre, wc->lane(0), 4.0, cw->lane(0), 4.0), "crosswalk");
    zebra->setWidth(4.0);
    auto *area = b.add(new WalkingArea(net), "walking area");
    area->addStopline(wc->lane(0)->stopline());
    area->addCrossWalk(zebra, wc->lane(0), true);

    // Detectors: a loop, a group over the vehicle lanes, a composite detector between two groups and an
    // emergency call detector.
    b.add(new Detector(wc->lane(1), 120.0), "detector");
    auto *inbound = b.add(new DetectorGroup(wc), "detector group");
    for (int i = 1; i < wc->lanesCount(); ++i)
        inbound->addDetector(b.add(new Detector(wc->lane(i), 170.0), "detector"));
    auto *outbound = b.add(new DetectorGroup(ce), "detector group");
    for (int i = 1; i < ce->lanesCount(); ++i)
        outbound->addDetector(b.add(new Detector(ce->lane(i), 60.0), "detector"));
    auto *travel = b.add(new CompositeDetector(inbound, outbound, net), "composite detector");
    travel->setTl(1);
    auto *emergency = b.add(new EmergencyDetector(centre, QPointF(-40, 8)), "emergency detector");
    emergency->setRadius(60.0);
    emergency->setDirectionAngle(180.0);
    emergency->setSweepAngle(60.0);

    // A bus stop on the main street.
    auto *stop = b.add(new PtStop(ce->lane(1), 90.0), "PT stop");
    stop->setName(QStringLiteral("Hauptstraße Mitte"));

    // Traffic zones, their demand and a route between them.
    auto *westZone = b.add(new Taz(net, QPointF(-300, 60)), "TAZ");
    westZone->setName(QStringLiteral("West"));
    westZone->addEdge(wc, 40.0, true);
    westZone->addEdge(cw, 180.0, false);
    auto *southZone = b.add(new Taz(net, QPointF(80, -300)), "TAZ");
    southZone->setName(QStringLiteral("Süd"));
    southZone->addEdge(sc, 30.0, true);
    southZone->addEdge(cs, 130.0, false);

    auto *matrix = new OdMatrix(net);
    matrix->setName(QStringLiteral("Morning peak"));
    b.add(matrix, "OD matrix");
    matrix->addTaz(westZone);
    matrix->addTaz(southZone);
    matrix->setIntensity(westZone, southZone, 420);
    matrix->setIntensity(southZone, westZone, 180);

    auto *state = new TrafficState(net);
    state->setName(QStringLiteral("Weekday 7-8"));
    b.add(state, "traffic state");
    state->setDuration(3600);
    state->setTurnPercentage(wc, ce, 70);
    state->setTurnPercentage(wc, cs, 30);
    state->setInputFlow(westZone, 600);

    auto *route = b.add(new Route(net), "route");
    route->setName(QStringLiteral("West to south"));
    route->appendControlEdge(wc);
    route->appendControlEdge(cs);

    // A building block and a point of interest.
    GeoShape block{QPointF(30, 20), QPointF(120, 20), QPointF(120, 80), QPointF(30, 80)};
    block.close();
    b.add(new PolygonObject(net, block), "polygon")->setName(QStringLiteral("Block A"));
    b.add(new PointObject(net, QPointF(-60, -40)), "point object")->setName(QStringLiteral("Kiosk"));

    // The signal controller of the crossroads: a granule with two signal groups.
    auto *granule = b.add(new Granule(net), "granule");
    granule->setTlId(1);
    granule->addNode(centre);
    auto *eastWest = b.add(new SignalGroup(granule), "signal group");
    eastWest->setName(QStringLiteral("K1"));
    auto *northSouth = b.add(new SignalGroup(granule), "signal group");
    northSouth->setName(QStringLiteral("K2"));
    for (Connection *c : b.connectionsAt(centre)) {
        Edge *in = c->from()->lane()->edge();
        (in == wc || in == ec ? eastWest : northSouth)->addConnection(c);
    }
    eastWest->addCrossWalk(zebra);

    // Data the editor does not know: kept as it is.
    auto *notes = new CustomObject(net);
    notes->setName(QStringLiteral("survey"));
    notes->setProperty("surveyor", QStringLiteral("district office"));
    notes->setText(QStringLiteral("Counts of 2026-09-14"));
    b.add(notes, "custom object");

    return b.ok();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: make-sample-district OUT.trva\n";
        return 1;
    }
    Network net;
    if (!build(&net)) {
        QTextStream(stderr) << "make-sample-district: " << net.errorString() << '\n';
        return 1;
    }
    if (!net.save(args.at(1))) {
        QTextStream(stderr) << "make-sample-district: " << net.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "wrote " << args.at(1) << ": " << net.objectCount() << " objects\n";
    return 0;
}
