#include "everykind.h"

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

#include <QColor>
#include <QDateTime>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace EveryKind {

using namespace Trelvoa;

namespace {

template<class T>
T *add(Network *net, QMap<QString, NetObject *> &names, const QString &name, T *object)
{
    object->setName(name);
    net->addItem(object);
    names.insert(name, object);
    return object;
}

Edge *road(Network *net, QMap<QString, NetObject *> &names, const QString &name, Node *a, Node *b, int lanes)
{
    auto *e = new Edge(net, a, b);
    for (int i = 0; i < lanes; ++i)
        new Lane(e);
    return add(net, names, name, e);
}

} // namespace

QMap<QString, NetObject *> build(Network *net)
{
    QMap<QString, NetObject *> n;
    net->setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs",
                       QPointF(-500000.25, -5600000.5));

    // A signalised cross with a plain node attached to a curved edge group.
    auto *c = add(net, n, QStringLiteral("C"), new Node(net, QPointF(0.1, 0.2), Node::SignalisedJunction));
    auto *w = add(net, n, QStringLiteral("W"), new Node(net, QPointF(-120.5, 3), Node::Junction));
    auto *e = add(net, n, QStringLiteral("E"), new Node(net, QPointF(130, -2.25), Node::PlainNode));
    auto *s = add(net, n, QStringLiteral("S"), new Node(net, QPointF(1, -110), 3));
    auto *far = add(net, n, QStringLiteral("F"), new Node(net, QPointF(400, 80), Node::PlainNode));
    auto *m = add(net, n, QStringLiteral("M"), new Node(net, QPointF(260, 40), Node::PlainNode));
    s->setCustomShape(GeoShape({{-8, -118}, {10, -118}, {10, -100}, {-8, -100}}));
    s->setAutoShape(true); // keeps the custom outline unused

    Edge *wc = road(net, n, QStringLiteral("W>C"), w, c, 2);
    Edge *cw = road(net, n, QStringLiteral("C>W"), c, w, 2);
    Edge *ce = road(net, n, QStringLiteral("C>E"), c, e, 3);
    Edge *ec = road(net, n, QStringLiteral("E>C"), e, c, 1);
    Edge *sc = road(net, n, QStringLiteral("S>C"), s, c, 2);
    Edge *ef = road(net, n, QStringLiteral("E>F"), e, far, 1);
    Edge *fe = road(net, n, QStringLiteral("F>E"), far, e, 1);
    ce->setLanesOffset(0.3);
    ce->setStreetName(QStringLiteral("Hauptstraße & <Ring> \"3\"\r\n"));
    sc->setSkeleton(GeoPolyline({{1, -110}, {5.5, -60.125}, {0.1, 0.2}}));
    ec->setAutoSkeleton(false);
    ec->setAutoSkeleton(true); // a custom skeleton kept but not used
    ce->insertLane(0, ce->lane(2)); // lane order differs from creation order

    auto *group = add(net, n, QStringLiteral("G"), new EdgeGroup(net, e, far));
    group->setSkeleton(GeoPolyline({{130, -2.25}, {260, 30}, {400, 80}}));
    group->addEdge(ef);
    group->addEdge(fe);
    m->setAttachedEdgeGroup(group);
    m->setPos(QPointF(250, 50));
    auto *plainGroup = add(net, n, QStringLiteral("G2"), new EdgeGroup(net, w, s));
    plainGroup->setAutoSkeleton(false);

    Lane *in0 = wc->lane(0);
    Lane *in1 = wc->lane(1);
    in0->setWidth(3.25);
    in0->setMaxSpeed(42.5);
    in0->setAllowed(Lane::VehicleClasses(Lane::vcPassenger | Lane::vcBus));
    in1->setAllowed(Lane::VehicleClasses(Lane::vcAll));
    in1->setProperty("lane_group", 7);
    Lane *side = ce->lane(1);
    side->setAllowed(Lane::VehicleClasses(Lane::vcPedestrian));
    side->setWidth(2);
    in0->stopline()->setDistance(4.5);
    cw->lane(0)->startline()->setDistance(0.1);
    sc->lane(1)->stopline()->setAutoDistance(false);
    // A lane with a centre line of its own, bent away from its neighbour.
    QVector<QPointF> own = sc->lane(0)->fullSkeleton().points();
    own.insert(1, (own.at(0) + own.at(1)) / 2 + QPointF(0.7, 0.3));
    sc->lane(0)->setSkeleton(GeoPolyline(own));

    auto *straight = add(net, n, QStringLiteral("X1"), new Connection(net, in0->stopline(), ce->lane(0)->startline()));
    straight->setMaxSpeed(30);
    straight->setGiveWay(true);
    straight->setProperty("sumo_dir", QStringLiteral("s"));
    auto *left = add(net, n, QStringLiteral("X2"), new Connection(net, in1->stopline(), ce->lane(2)->startline()));
    left->setSkeleton(GeoPolyline({{-10, 2}, {-2, 5}, {0.5, 8}, {10, 3}}));
    auto *fromSouth = add(net, n, QStringLiteral("X3"), new Connection(net, sc->lane(0)->stopline(), cw->lane(0)->startline()));
    fromSouth->setAutoSkeleton(false);
    fromSouth->setAutoSkeleton(true);

    auto *walk = add(net, n, QStringLiteral("Z"), new CrossWalk(c, ce->lane(0), 6.5, ec->lane(0), 7.25));
    walk->setWidth(3.5);
    walk->setMaxSpeed(4);
    auto *walk2 = add(net, n, QStringLiteral("Z2"), new CrossWalk(c, wc->lane(0), 3, wc->lane(1), 3));

    auto *area = add(net, n, QStringLiteral("A"), new WalkingArea(net));
    area->addStopline(side->startline());
    area->addCrossWalk(walk, ce->lane(0), true);
    area->addCrossWalk(walk, ec->lane(0), false);
    auto *area2 = add(net, n, QStringLiteral("A2"), new WalkingArea(net));
    area2->addCrossWalk(walk2, wc->lane(0), false);
    area2->setShape(GeoShape({{-20, -5}, {-5, -5}, {-5, 10}}));

    auto *d1 = add(net, n, QStringLiteral("D1"), new Detector(in0, 12.5));
    d1->setLength(0);
    d1->setTlId(3);
    d1->setType(2);
    auto *d2 = add(net, n, QStringLiteral("D2"), new Detector(in1, 20));
    add(net, n, QStringLiteral("D3"), new Detector(straight, 1.5));
    auto *dg = add(net, n, QStringLiteral("DG"), new DetectorGroup(wc));
    dg->addDetector(d2);
    dg->addDetector(d1);
    dg->setAllowed(Lane::VehicleClasses(Lane::vcBus));
    auto *d4 = add(net, n, QStringLiteral("D4"), new Detector(ce->lane(0), 40));
    auto *dg2 = add(net, n, QStringLiteral("DG2"), new DetectorGroup(ce));
    dg2->addDetector(d4);
    auto *cd = add(net, n, QStringLiteral("CD"), new CompositeDetector(dg, dg2, net));
    cd->setTl(5);
    auto *ed = add(net, n, QStringLiteral("ED"), new EmergencyDetector(c, QPointF(-30, 20)));
    ed->setRadius(45);
    ed->setDirectionAngle(200);
    ed->setSweepAngle(60);
    ed->setTl(9);

    auto *route = add(net, n, QStringLiteral("R"), new Route(net));
    route->addControlEdge(wc);
    route->addControlEdge(ce);
    route->addControlEdge(wc); // a control edge twice
    route->setAllowedVehicles(Lane::VehicleClasses(Lane::vcBus | Lane::vcTram));
    route->setProperty("number", QStringLiteral("42"));
    route->setProperty("speed", 27.5);
    add(net, n, QStringLiteral("D5"), new Detector(route, 30));

    auto *taz1 = add(net, n, QStringLiteral("T1"), new Taz(net, QPointF(-150, 50)));
    taz1->setRadius(35);
    taz1->addEdge(wc, 10, true);
    taz1->addEdge(cw, 100.75, false);
    auto *taz2 = add(net, n, QStringLiteral("T2"), new Taz(net, QPointF(150, 50)));
    taz2->addEdge(ec, 5, true);

    auto *stop = add(net, n, QStringLiteral("P"), new PtStop(ce->lane(0), 55));
    stop->setLength(25);
    stop->setWidth(2.5);
    stop->setLines({QStringLiteral("M5"), QStringLiteral("142, \"night\""), QString()});
    stop->setProperty("timeStop", 20);

    auto *polygon = add(net, n, QStringLiteral("Poly"), new PolygonObject(net, GeoShape({{0, 0}, {50, 0}, {50, 50}, {0, 50}})));
    polygon->setBorderColor(QColor(255, 0, 0));
    polygon->setBackgroundColor(QColor(0, 128, 255, 64));
    add(net, n, QStringLiteral("Pt"), new PointObject(net, QPointF(-1e-7, 1e21)));

    auto *granule = add(net, n, QStringLiteral("Gr"), new Granule(QList<Node *>{c, w}, net));
    granule->setTlId(17);
    auto *sg = add(net, n, QStringLiteral("SG"), new SignalGroup(QList<Connection *>{straight, left}, QList<CrossWalk *>{walk}, granule));
    sg->setTlId(2);
    sg->setProperty("sumo_green", QVariantList{1, 2.5, QStringLiteral("x")});
    add(net, n, QStringLiteral("SG2"), new SignalGroup(QList<Connection *>{fromSouth}, QList<CrossWalk *>{}, granule));

    auto *day = add(net, n, QStringLiteral("DayGroup"), new CustomObject(net));
    day->setProperty("group_name", QStringLiteral("Working days"));
    auto *intensity = add(net, n, QStringLiteral("Intensity"), new CustomObject(day));
    intensity->setProperty("time", QTime(7, 30));
    intensity->setProperty("duration", 900);
    intensity->setProperty("node", c->id());
    auto *toEdge = add(net, n, QStringLiteral("ToEdge"), new CustomObject(intensity));
    toEdge->setProperty("edge_id", ce->id());
    toEdge->setText(QStringLiteral(" 120 "));
    toEdge->setProperty("map", QVariantMap{{QStringLiteral("a"), true}, {QStringLiteral("b"), QPointF(1.5, -2)}});
    toEdge->setProperty("bytes", QByteArray("\x00\x01\xff", 3));
    toEdge->setProperty("when", QDateTime(QDate(2024, 5, 17), QTime(8, 0, 1, 250), Qt::UTC));
    toEdge->setProperty("colour", QColor(1, 2, 3));
    toEdge->setProperty("words", QStringList{QStringLiteral("a"), QStringLiteral("b,c")});
    toEdge->setProperty("big", qlonglong(1) << 40);
    toEdge->setProperty("tenth", 0.1);

    auto *od = new OdMatrix;
    od->setParent(net);
    add(net, n, QStringLiteral("OD"), od);
    od->setVehiclesType(Lane::vcBus);
    od->setIntensity(taz1, taz2, 120.5);
    od->setIntensity(taz2, taz1, 80);
    od->setIntensity(taz2, taz2, 3);
    auto *od2 = new OdMatrix;
    od2->setParent(net);
    add(net, n, QStringLiteral("OD2"), od2);
    od2->addTaz(taz2);
    od2->addTaz(taz1);
    od2->setIntensity(taz1, taz2, 0);
    od2->setIntensity(taz2, taz1, 9); // a cell with no forward trips, made from taz2

    auto *state = new TrafficState;
    state->setParent(net);
    add(net, n, QStringLiteral("TS"), state);
    state->setVehicleType(Lane::vcPassenger);
    state->setStartTime(QTime(6, 15));
    state->setDuration(1800);
    state->setDefaultTurnPercentage(TurnPercentage(5, 10, 60, 25));
    state->setTurnPercentage(wc, ce, 65);
    state->setTurnPercentage(sc, cw, 30);
    state->setInputFlow(taz1, 400);

    // Names and texts XML must escape, and one it cannot carry at all.
    e->setName(QStringLiteral("East <&> \"'\u00e9\u4e2d\tline\nnext"));
    c->setProperty("note", QStringLiteral("a\r\nb"));
    return n;
}

QByteArray save(Network *net, bool fullGeometry)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.setCodec("UTF-8");
    if (!net->save(writer, true, fullGeometry))
        return QByteArray("save failed: ") + net->errorString().toUtf8();
    return bytes;
}

QByteArray saveFragment(Network *net, const QList<NetObject *> &objects)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    if (!net->save(writer, objects, false))
        return QByteArray("save failed: ") + net->errorString().toUtf8();
    return bytes;
}

bool load(Network *net, const QByteArray &bytes, bool merge, QString *error)
{
    QXmlStreamReader reader(bytes);
    const bool ok = net->load(reader, merge);
    if (!ok && error)
        *error = net->errorString();
    return ok;
}

void collectObjects(NetObject *object, QList<NetObject *> *list)
{
    if (!object || list->contains(object))
        return;
    list->append(object);
    for (NetObject *linked : object->linkedObjects())
        collectObjects(linked, list);
    for (QObject *child : object->children())
        collectObjects(qobject_cast<NetObject *>(child), list);
}

QStringList kindClassNames()
{
    return {QStringLiteral("Trelvoa::Node"), QStringLiteral("Trelvoa::Edge"), QStringLiteral("Trelvoa::EdgeGroup"),
            QStringLiteral("Trelvoa::Lane"), QStringLiteral("Trelvoa::Stopline"), QStringLiteral("Trelvoa::Connection"),
            QStringLiteral("Trelvoa::CrossWalk"), QStringLiteral("Trelvoa::WalkingArea"), QStringLiteral("Trelvoa::Detector"),
            QStringLiteral("Trelvoa::DetectorGroup"), QStringLiteral("Trelvoa::CompositeDetector"),
            QStringLiteral("Trelvoa::EmergencyDetector"), QStringLiteral("Trelvoa::Route"), QStringLiteral("Trelvoa::Taz"),
            QStringLiteral("Trelvoa::PtStop"), QStringLiteral("Trelvoa::PolygonObject"), QStringLiteral("Trelvoa::PointObject"),
            QStringLiteral("Trelvoa::Granule"), QStringLiteral("Trelvoa::SignalGroup"), QStringLiteral("Trelvoa::CustomObject"),
            QStringLiteral("Trelvoa::OdMatrix"), QStringLiteral("Trelvoa::TrafficState")};
}

} // namespace EveryKind
