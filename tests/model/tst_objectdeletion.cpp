// Deletion cascades of the demand, detector, route and grouping objects: what goes, what is cleared,
// that linkedObjects() names exactly that, and that nothing is left pointing at a deleted object.

#include "objectsfixture.h"

#include "compositedetector.h"
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
#include "walkingarea.h"

#include <QMetaProperty>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QRandomGenerator>
#include <QtTest>

using namespace Trelvoa;
using namespace ObjectsFixture;

namespace {

QSet<NetObject *> toSet(const QList<NetObject *> &list)
{
    return QSet<NetObject *>(list.begin(), list.end());
}

bool isPeripheral(const NetObject *o)
{
    return qobject_cast<const WalkingArea *>(o) || qobject_cast<const Detector *>(o)
        || qobject_cast<const DetectorGroup *>(o) || qobject_cast<const CompositeDetector *>(o)
        || qobject_cast<const EmergencyDetector *>(o) || qobject_cast<const Route *>(o)
        || qobject_cast<const Taz *>(o) || qobject_cast<const PtStop *>(o)
        || qobject_cast<const PolygonObject *>(o) || qobject_cast<const PointObject *>(o)
        || qobject_cast<const Granule *>(o) || qobject_cast<const SignalGroup *>(o)
        || qobject_cast<const CustomObject *>(o) || qobject_cast<const OdMatrix *>(o)
        || qobject_cast<const TrafficState *>(o);
}

QString idOf(const QObject *o)
{
    auto *n = qobject_cast<const NetObject *>(o);
    return n ? QString::number(n->id()) : QStringLiteral("-");
}

QString valueText(const QVariant &v)
{
    if (v.canConvert<QObject *>() && v.userType() == QMetaType::QObjectStar)
        return idOf(v.value<QObject *>());
    if (v.userType() == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant &e : v.toList())
            parts << valueText(e);
        return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    if (v.userType() == QMetaType::QVariantMap) {
        QStringList parts;
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            parts << it.key() + QLatin1Char('=') + valueText(it.value());
        return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    return v.toString();
}

// The saved state of an object as a text: parent, stored properties, dynamic properties and the class
// lists that no property carries.
QString fingerprint(const NetObject *o)
{
    QStringList parts;
    parts << QStringLiteral("parent=") + idOf(o->parent());
    const QMetaObject *mo = o->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isStored(o))
            continue;
        parts << QString::fromLatin1(p.name()) + QLatin1Char('=') + valueText(p.read(o));
    }
    for (const QByteArray &name : o->dynamicPropertyNames())
        parts << QString::fromLatin1(name) + QLatin1Char('=') + valueText(o->property(name.constData()));
    if (auto *area = qobject_cast<const WalkingArea *>(o)) {
        for (const WalkingArea::Item *item : area->items())
            parts << QStringLiteral("item %1 %2 %3 %4")
                         .arg(idOf(item->line()), idOf(item->crossWalk()), idOf(item->lane()))
                         .arg(item->atFirstEnd());
    } else if (auto *taz = qobject_cast<const Taz *>(o)) {
        for (Edge *e : taz->edges())
            parts << QStringLiteral("link %1 %2 %3")
                         .arg(idOf(e))
                         .arg(taz->edgeData(e)->position)
                         .arg(taz->edgeData(e)->flag);
    } else if (auto *matrix = qobject_cast<const OdMatrix *>(o)) {
        for (Taz *t : matrix->tazList())
            parts << QStringLiteral("taz %1").arg(idOf(t));
        for (const OdMatrix::Cell &c : matrix->cells())
            parts << QStringLiteral("cell %1 %2 %3 %4")
                         .arg(idOf(c.from), idOf(c.to))
                         .arg(c.forward)
                         .arg(c.backward);
    } else if (auto *state = qobject_cast<const TrafficState *>(o)) {
        for (const TrafficState::Movement &m : state->turnPercentages())
            parts << QStringLiteral("move %1 %2 %3").arg(idOf(m.from), idOf(m.to)).arg(m.percent);
        for (const TrafficState::InputFlow &f : state->inputFlows())
            parts << QStringLiteral("flow %1 %2").arg(idOf(f.taz)).arg(f.flow);
    }
    return parts.join(QLatin1Char(';'));
}

bool isInside(const NetObject *o, const NetObject *root)
{
    for (const NetObject *p = o; p; p = p->parentObject()) {
        if (p == root)
            return true;
    }
    return false;
}

// Every reference a peripheral object keeps must name a live object of the network, and every live
// object's touch points must be callable (AddressSanitizer checks the rest).
void checkIntegrity(Network &net)
{
    const QList<NetObject *> all = net.allObjects();
    const QSet<NetObject *> alive = toSet(all);
    auto live = [&alive](const QObject *o) {
        return !o || alive.contains(qobject_cast<NetObject *>(const_cast<QObject *>(o)));
    };
    for (NetObject *o : all) {
        for (NetObject *holder : o->referrers())
            QVERIFY2(alive.contains(holder), qPrintable(o->printableName()));
        o->pos();
        o->skeleton();
        o->shape();
        o->linkedObjects();
        if (auto *area = qobject_cast<WalkingArea *>(o)) {
            for (const WalkingArea::Item *item : area->items()) {
                QVERIFY(live(item->line()) && live(item->crossWalk()) && live(item->lane()));
                item->connectorPoint();
            }
            area->junction();
        } else if (auto *d = qobject_cast<Detector *>(o)) {
            QVERIFY(live(d->group()));
        } else if (auto *g = qobject_cast<DetectorGroup *>(o)) {
            for (Detector *d : g->detectors())
                QVERIFY(live(d));
            g->compositeDetectors();
        } else if (auto *c = qobject_cast<CompositeDetector *>(o)) {
            QVERIFY(c->start() && c->end() && live(c->start()) && live(c->end()));
            c->isValid();
        } else if (auto *r = qobject_cast<Route *>(o)) {
            for (Edge *e : r->controlEdges())
                QVERIFY(live(e));
            for (Edge *e : r->edges())
                QVERIFY(live(e));
        } else if (auto *t = qobject_cast<Taz *>(o)) {
            for (Edge *e : t->edges()) {
                QVERIFY(live(e));
                t->connectionPoint(e);
            }
        } else if (auto *gr = qobject_cast<Granule *>(o)) {
            for (Node *n : gr->nodes())
                QVERIFY(live(n));
            gr->edges();
        } else if (auto *sg = qobject_cast<SignalGroup *>(o)) {
            for (Connection *c : sg->connections())
                QVERIFY(live(c));
            for (CrossWalk *c : sg->crossWalks())
                QVERIFY(live(c));
        } else if (auto *m = qobject_cast<OdMatrix *>(o)) {
            for (Taz *t : m->tazList())
                QVERIFY(live(t));
            for (const OdMatrix::Cell &cell : m->cells())
                QVERIFY(live(cell.from) && live(cell.to));
        } else if (auto *s = qobject_cast<TrafficState *>(o)) {
            for (const TrafficState::Movement &mv : s->turnPercentages())
                QVERIFY(live(mv.from) && live(mv.to));
            for (Taz *t : s->tazList())
                QVERIFY(live(t));
        }
    }
}

// A four-arm junction with one of every peripheral kind around it.
struct Scene
{
    Cross cross;
    Chain chain;
    Lane *sidewalk = nullptr;
    CrossWalk *crossWalk = nullptr;
    WalkingArea *area = nullptr;
    Detector *onLane0 = nullptr;
    Detector *onLane1 = nullptr;
    Detector *onOutLane = nullptr;
    Detector *onConnection = nullptr;
    Detector *onRoute = nullptr;
    DetectorGroup *startGroup = nullptr;
    DetectorGroup *endGroup = nullptr;
    CompositeDetector *composite = nullptr;
    EmergencyDetector *emergency = nullptr;
    Route *route = nullptr;
    Route *chainRoute = nullptr;
    Taz *taz = nullptr;
    Taz *otherTaz = nullptr;
    PtStop *stop = nullptr;
    Granule *granule = nullptr;
    SignalGroup *signalGroup = nullptr;
    OdMatrix *matrix = nullptr;
    TrafficState *state = nullptr;
    CustomObject *custom = nullptr;

    explicit Scene(Network &net)
        : cross(net)
        , chain(net, 4)
    {
        sidewalk = cross.in.at(0)->lane(0);
        sidewalk->setAllowed(Lane::vcPedestrian);
        crossWalk = cross.crossWalks.at(1);
        area = new WalkingArea(&net);
        net.addItem(area);
        area->addStopline(sidewalk->stopline());
        area->addCrossWalk(crossWalk, crossWalk->lane1(), true);

        Edge *west = cross.in.at(0);
        onLane0 = new Detector(west->lane(0), 40);
        onLane1 = new Detector(west->lane(1), 40);
        onOutLane = new Detector(cross.out.at(1)->lane(0), 30);
        onConnection = new Detector(cross.connection(0, 1), 2);
        for (Detector *d : {onLane0, onLane1, onOutLane, onConnection})
            net.addItem(d);
        startGroup = new DetectorGroup(west, {onLane0, onLane1}, Lane::VehicleClasses(Lane::DefaultClasses));
        net.addItem(startGroup);
        endGroup = new DetectorGroup(cross.out.at(1), {onOutLane},
                                     Lane::VehicleClasses(Lane::DefaultClasses));
        net.addItem(endGroup);
        composite = new CompositeDetector(startGroup, endGroup, &net);
        net.addItem(composite);

        emergency = new EmergencyDetector(cross.centre, QPointF(-30, 5));
        net.addItem(emergency);

        route = new Route(&net);
        route->addControlEdge(west);
        route->addControlEdge(cross.out.at(1));
        net.addItem(route);
        onRoute = new Detector(route, 10);
        net.addItem(onRoute);
        chainRoute = new Route(&net);
        for (Edge *e : qAsConst(chain.forward))
            chainRoute->addControlEdge(e);
        net.addItem(chainRoute);

        taz = new Taz(&net, QPointF(-120, 40));
        net.addItem(taz);
        taz->addEdge(west, 10, true);
        taz->addEdge(cross.out.at(0), 90, false);
        otherTaz = new Taz(&net, QPointF(120, 40));
        net.addItem(otherTaz);
        otherTaz->addEdge(cross.in.at(1), 10, true);

        stop = new PtStop(cross.in.at(1)->lane(0), 50);
        net.addItem(stop);

        granule = new Granule({cross.centre}, &net);
        net.addItem(granule);
        signalGroup = new SignalGroup({cross.connection(0, 1), cross.connection(1, 0)}, {crossWalk}, granule);
        net.addItem(signalGroup);

        matrix = new OdMatrix(&net);
        net.addItem(matrix);
        matrix->setIntensity(taz, otherTaz, 100);
        matrix->setIntensity(otherTaz, taz, 50);
        state = new TrafficState(&net);
        net.addItem(state);
        state->setTurnPercentage(west, cross.out.at(1), 70);
        state->setTurnPercentage(cross.in.at(1), cross.out.at(0), 60);
        state->setInputFlow(taz, 500);
        state->setInputFlow(otherTaz, 300);

        custom = new CustomObject(&net);
        net.addItem(custom);
        auto *child = new CustomObject(custom);
        child->setProperty("node", cross.centre->id());
        net.addItem(child);
    }
};

} // namespace

class TestObjectDeletion : public QObject
{
    Q_OBJECT

private slots:
    void connectionTakesItsDetectors();
    void crossWalkLeavesGroupsAndAreas();
    void laneDropsAreaItemsAndGroupMembers();
    void detectorGroupTakesCompositeDetectors();
    void detectorLeavesItsGroup();
    void tazLeavesMatricesAndStates();
    void granuleTakesSignalGroups();
    void edgeLeavesRoutesZonesAndStates();
    void nodeLeavesGranuleAndRoutes();
    void everyDeletionIsExactAndLeavesNoDanglingReference();
    void snapshotOfLinkedObjectsRestoresEveryDeletion();
    void copiesTakeWhatTheyReferTo();
    void clearingAFullNetwork();
};

void TestObjectDeletion::connectionTakesItsDetectors()
{
    RecordingNetwork net;
    Scene s(net);
    Connection *c = s.cross.connection(0, 1);
    QCOMPARE(toSet(c->linkedObjects()), (QSet<NetObject *>{s.signalGroup}));
    const QPointer<Detector> detector = s.onConnection;
    net.resetRecords();
    delete c;
    QVERIFY(!detector);
    QVERIFY(net.wasRemoved(s.onConnection));
    QCOMPARE(s.signalGroup->connections(), QList<Connection *>{s.cross.connection(1, 0)});
    QVERIFY(net.wasChanged(s.signalGroup));
    checkIntegrity(net);
}

void TestObjectDeletion::crossWalkLeavesGroupsAndAreas()
{
    RecordingNetwork net;
    Scene s(net);
    QCOMPARE(toSet(s.crossWalk->linkedObjects()), (QSet<NetObject *>{s.signalGroup, s.area}));
    delete s.crossWalk;
    QVERIFY(s.signalGroup->crossWalks().isEmpty());
    QCOMPARE(s.signalGroup->connectionCount(), 2);
    QCOMPARE(s.area->itemCount(), 1);
    QVERIFY(s.area->items().at(0)->isStopline());
    QVERIFY(s.area->shape().contains(s.sidewalk->stopline()->pos()));
    checkIntegrity(net);
}

void TestObjectDeletion::laneDropsAreaItemsAndGroupMembers()
{
    RecordingNetwork net;
    Scene s(net);
    const QSet<NetObject *> linked = toSet(s.sidewalk->linkedObjects());
    QVERIFY(linked.contains(s.area));
    QVERIFY(linked.contains(s.startGroup));
    net.resetRecords();
    delete s.sidewalk;
    QVERIFY(net.wasRemoved(s.onLane0));
    // The walking area keeps its crosswalk item; the group keeps its other detector; the composite
    // detector still has both of its groups.
    QCOMPARE(s.area->itemCount(), 1);
    QVERIFY(s.area->items().at(0)->isCrossWalk());
    QCOMPARE(s.startGroup->detectors(), QList<Detector *>{s.onLane1});
    QVERIFY(!net.wasRemoved(s.composite));
    QCOMPARE(s.composite->start(), s.startGroup);
    checkIntegrity(net);
}

void TestObjectDeletion::detectorGroupTakesCompositeDetectors()
{
    RecordingNetwork net;
    Scene s(net);
    QCOMPARE(toSet(s.endGroup->linkedObjects()), (QSet<NetObject *>{s.composite}));
    net.resetRecords();
    delete s.endGroup;
    QVERIFY(net.wasRemoved(s.composite));
    QVERIFY(s.startGroup->compositeDetectors().isEmpty());
    // Its detector stays, ungrouped.
    QVERIFY(!net.wasRemoved(s.onOutLane));
    QVERIFY(!s.onOutLane->group());
    QVERIFY(s.onOutLane->referrers().isEmpty());
    checkIntegrity(net);
}

void TestObjectDeletion::detectorLeavesItsGroup()
{
    RecordingNetwork net;
    Scene s(net);
    QCOMPARE(toSet(s.onLane0->linkedObjects()), (QSet<NetObject *>{s.startGroup}));
    const QPointF before = s.startGroup->pos();
    net.resetRecords();
    delete s.onLane0;
    QCOMPARE(s.startGroup->detectors(), QList<Detector *>{s.onLane1});
    QVERIFY(net.wasChanged(s.startGroup));
    QVERIFY(net.wasChanged(s.composite));
    QVERIFY(s.startGroup->pos() != before);
    QVERIFY(flatDistance(s.composite->skeleton().first(), s.startGroup->pos()) < 2.0);
    checkIntegrity(net);
}

void TestObjectDeletion::tazLeavesMatricesAndStates()
{
    RecordingNetwork net;
    Scene s(net);
    QCOMPARE(toSet(s.taz->linkedObjects()), (QSet<NetObject *>{s.matrix, s.state}));
    net.resetRecords();
    delete s.taz;
    QCOMPARE(s.matrix->tazList(), QList<Taz *>{s.otherTaz});
    QVERIFY(s.matrix->cells().isEmpty());
    QCOMPARE(s.state->tazList(), QList<Taz *>{s.otherTaz});
    QCOMPARE(s.state->inputFlow(s.otherTaz), 300);
    QVERIFY(net.wasChanged(s.matrix));
    QVERIFY(net.wasChanged(s.state));
    // The edges the zone was linked to no longer know it.
    for (NetObject *holder : s.cross.in.at(0)->referrers())
        QVERIFY(!holder->inherits("Trelvoa::Taz"));
    checkIntegrity(net);
}

void TestObjectDeletion::granuleTakesSignalGroups()
{
    RecordingNetwork net;
    Scene s(net);
    QVERIFY(s.granule->linkedObjects().isEmpty());
    net.resetRecords();
    delete s.granule;
    QVERIFY(net.wasRemoved(s.signalGroup));
    QVERIFY(!net.wasRemoved(s.cross.centre));
    QVERIFY(!s.cross.centre->granule());
    QVERIFY(s.cross.connection(0, 1)->signalGroups().isEmpty());
    QVERIFY(!s.crossWalk->signalGroup());
    checkIntegrity(net);
}

void TestObjectDeletion::edgeLeavesRoutesZonesAndStates()
{
    RecordingNetwork net;
    Scene s(net);
    Edge *out = s.cross.out.at(1);
    const QSet<NetObject *> linked = toSet(out->linkedObjects());
    for (NetObject *o : std::initializer_list<NetObject *>{s.route, s.state, s.composite, s.signalGroup})
        QVERIFY2(linked.contains(o), qPrintable(o->printableName()));
    QVERIFY(s.route->isValid());
    net.resetRecords();
    delete out;
    // The composite detector lost its end group with the edge; the route its second control edge.
    QVERIFY(net.wasRemoved(s.endGroup));
    QVERIFY(net.wasRemoved(s.composite));
    QCOMPARE(s.route->controlEdges(), QList<Edge *>{s.cross.in.at(0)});
    QVERIFY(s.route->isValid());
    QVERIFY(net.wasChanged(s.route));
    QCOMPARE(s.state->turnPercentages().size(), 1);
    QCOMPARE(s.state->turnPercentages().at(0).from, s.cross.in.at(1));
    QVERIFY(s.onRoute->shape().count() > 0);
    checkIntegrity(net);

    // A gap in the middle of a route makes it invalid; its course is recomputed at once.
    QVERIFY(s.chainRoute->isValid());
    QCOMPARE(s.chainRoute->edges().size(), 3);
    delete s.chain.forward.at(1);
    QCOMPARE(s.chainRoute->controlEdges().size(), 2);
    QVERIFY(!s.chainRoute->isValid());
    QVERIFY(s.chainRoute->edges().isEmpty());
    QCOMPARE(s.chainRoute->property("valid").toBool(), false);
    checkIntegrity(net);
}

void TestObjectDeletion::nodeLeavesGranuleAndRoutes()
{
    RecordingNetwork net;
    Scene s(net);
    auto *chainGranule = new Granule({s.chain.nodes.at(1), s.chain.nodes.at(2)}, &net);
    QVERIFY(net.addItem(chainGranule));
    const QSet<NetObject *> linked = toSet(s.chain.nodes.at(1)->linkedObjects());
    QVERIFY(linked.contains(chainGranule));
    QVERIFY(linked.contains(s.chainRoute));
    delete s.chain.nodes.at(1);
    QCOMPARE(chainGranule->nodes(), QList<Node *>{s.chain.nodes.at(2)});
    // A->B and B->C went with B: C->D alone is a valid course.
    QCOMPARE(s.chainRoute->controlEdges(), QList<Edge *>{s.chain.forward.at(2)});
    QVERIFY(s.chainRoute->isValid());
    checkIntegrity(net);

    delete s.cross.centre;
    QVERIFY(s.granule->nodes().isEmpty());
    QVERIFY(s.route->controlEdges().isEmpty());
    QVERIFY(!s.route->isValid());
    QVERIFY(s.taz->edges().isEmpty());
    QVERIFY(s.state->turnPercentages().isEmpty());
    QCOMPARE(s.state->tazList().size(), 2);
    QCOMPARE(s.area->itemCount(), 0);
    checkIntegrity(net);
}

void TestObjectDeletion::everyDeletionIsExactAndLeavesNoDanglingReference()
{
    // Delete the objects of a full scene one at a time in a shuffled order. Before each deletion the
    // object names what it will take or change; afterwards the deleted objects and the changed saved
    // states outside its subtree must be exactly those (for the peripheral kinds, whose states this
    // test can read completely), and no reference may be left to anything that went.
    for (quint32 seed : {1u, 7u, 42u}) {
        RecordingNetwork net;
        Scene s(net);
        QRandomGenerator random(seed);
        int deletions = 0;
        while (net.objectCount() > 0) {
            QList<NetObject *> candidates;
            for (NetObject *o : net.allObjects()) {
                if (!qobject_cast<Stopline *>(o))
                    candidates.append(o);
            }
            if (candidates.isEmpty())
                break;
            std::sort(candidates.begin(), candidates.end(),
                      [](const NetObject *a, const NetObject *b) { return a->id() < b->id(); });
            NetObject *victim = candidates.at(int(random.bounded(quint32(candidates.size()))));
            const bool exact = isPeripheral(victim);
            const QString name = victim->printableName();

            const QSet<NetObject *> linked = toSet(victim->linkedObjects());
            QHash<NetObject *, QString> before;
            QHash<NetObject *, int> ids;
            QHash<NetObject *, NetObject *> parents; // model parent, null for top-level objects
            QSet<NetObject *> peripheral;
            for (NetObject *o : net.allObjects()) {
                before.insert(o, fingerprint(o));
                ids.insert(o, o->id());
                parents.insert(o, o->parentObject());
                if (isPeripheral(o))
                    peripheral.insert(o);
            }
            QSet<NetObject *> subtree;
            for (NetObject *o : net.allObjects()) {
                if (isInside(o, victim))
                    subtree.insert(o);
            }

            net.resetRecords();
            delete victim;
            ++deletions;

            const QSet<NetObject *> alive = toSet(net.allObjects());
            QSet<NetObject *> affected;
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                NetObject *o = it.key();
                if (subtree.contains(o))
                    continue;
                if (!alive.contains(o)) {
                    // Deleted: count only the top of each deleted subtree.
                    QVERIFY2(net.wasRemoved(o), qPrintable(name));
                    NetObject *parent = parents.value(o);
                    if (!parent || alive.contains(parent))
                        affected.insert(o);
                } else if (fingerprint(o) != it.value()) {
                    affected.insert(o);
                }
            }
            for (NetObject *o : affected) {
                if (exact || peripheral.contains(o) || !alive.contains(o))
                    QVERIFY2(linked.contains(o),
                             qPrintable(QStringLiteral("%1: %2 not linked").arg(name).arg(ids.value(o))));
            }
            if (exact) {
                for (NetObject *o : linked)
                    QVERIFY2(affected.contains(o),
                             qPrintable(QStringLiteral("%1: %2 linked but unchanged")
                                            .arg(name)
                                            .arg(ids.value(o))));
            }
            checkIntegrity(net);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(deletions > 10);
    }
}

namespace {

QByteArray saveAll(Network &net)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    if (!net.save(writer))
        return QByteArray("save failed: ") + net.errorString().toUtf8();
    return bytes;
}

} // namespace

void TestObjectDeletion::snapshotOfLinkedObjectsRestoresEveryDeletion()
{
    // What the editor does for a deletion: snapshot the object with its linked objects, delete it,
    // load the snapshot back; the network must save to the very bytes it saved before.
    RecordingNetwork probe;
    Scene probeScene(probe);
    QList<int> ids;
    for (NetObject *o : Layouts::objectsById(&probe)) {
        if (isPeripheral(o) || qobject_cast<Edge *>(o) || qobject_cast<Node *>(o)
            || qobject_cast<Connection *>(o) || qobject_cast<CrossWalk *>(o) || qobject_cast<Lane *>(o))
            ids.append(o->id());
    }
    for (int id : qAsConst(ids)) {
        Network net;
        Scene s(net);
        NetObject *victim = net.findObject(id);
        QVERIFY(victim);
        const QString name = victim->printableName();
        const QByteArray before = saveAll(net);
        QList<NetObject *> objects{victim};
        objects += victim->linkedObjects();
        QByteArray snapshot;
        {
            QXmlStreamWriter writer(&snapshot);
            QVERIFY2(net.save(writer, objects), qPrintable(net.errorString()));
        }
        delete victim;
        QXmlStreamReader reader(snapshot);
        QVERIFY2(net.load(reader, true), qPrintable(name + QLatin1String(": ") + net.errorString()));
        const QByteArray after = saveAll(net);
        if (after != before) {
            const QList<QByteArray> a = before.split('\n');
            const QList<QByteArray> b = after.split('\n');
            for (int i = 0; i < qMin(a.size(), b.size()); ++i) {
                if (a.at(i) != b.at(i)) {
                    qWarning("%s: first difference at line %d:\n  before %s\n  after  %s", qPrintable(name),
                             i, a.at(i).constData(), b.at(i).constData());
                    break;
                }
            }
        }
        QVERIFY2(after == before, qPrintable(name));
        checkIntegrity(net);
    }
}

void TestObjectDeletion::copiesTakeWhatTheyReferTo()
{
    Network net;
    Scene s(net);
    const auto needed = [](const NetObject *o) { return o->neededToplevelObjects(); };
    QCOMPARE(needed(s.route), (QSet<NetObject *>{s.cross.in.at(0), s.cross.out.at(1)}));
    QCOMPARE(needed(s.taz), (QSet<NetObject *>{s.cross.in.at(0), s.cross.out.at(0)}));
    QCOMPARE(needed(s.area), (QSet<NetObject *>{s.cross.in.at(0), s.cross.centre, s.cross.in.at(1)}));
    QCOMPARE(needed(s.composite), (QSet<NetObject *>{s.cross.in.at(0), s.cross.out.at(1)}));
    QCOMPARE(needed(s.granule), (QSet<NetObject *>{s.cross.centre}));
    QCOMPARE(needed(s.signalGroup), (QSet<NetObject *>{s.cross.centre}));
    QCOMPARE(needed(s.matrix), (QSet<NetObject *>{s.taz, s.otherTaz}));
    QCOMPARE(needed(s.state).size(), 6);
    QVERIFY(needed(s.startGroup).isEmpty());
    QVERIFY(needed(s.stop).isEmpty());
}

void TestObjectDeletion::clearingAFullNetwork()
{
    {
        RecordingNetwork net;
        Scene s(net);
        net.clear();
        QCOMPARE(net.objectCount(), 0);
        Scene again(net);
        QVERIFY(again.route->isValid());
    }
    // Destroying the network with everything in it.
    auto *net = new Network;
    Scene s(*net);
    delete net;
}

QTEST_GUILESS_MAIN(TestObjectDeletion)
#include "tst_objectdeletion.moc"
