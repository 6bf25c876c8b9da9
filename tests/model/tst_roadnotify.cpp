#include "layouts.h"

#include "geo/geohelpers.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <functional>

using namespace Trelvoa;
using namespace Layouts;

namespace {

// Counts the objects the model announces as changed.
class CountingNetwork : public Network
{
public:
    QHash<NetObject *, int> changed;

    void objectChanged(NetObject *object, int flags) override
    {
        ++changed[object];
        Network::objectChanged(object, flags);
    }
    QSet<NetObject *> changedSet() const
    {
        const QList<NetObject *> keys = changed.keys();
        return QSet<NetObject *>(keys.begin(), keys.end());
    }
};

QString gridName(int x, int y)
{
    return QStringLiteral("J%1_%2").arg(x).arg(y);
}

// n x n signalised junctions 100 m apart, two-way roads of 2 + 2 lanes, standard connections.
Layout grid(Network *net, int n)
{
    Layout l;
    l.net = net;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x)
            addNode(l, gridName(x, y), QPointF(100 * x, 100 * y), Node::SignalisedJunction);
    }
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (x + 1 < n)
                addRoad(l, gridName(x, y), gridName(x + 1, y), 2);
            if (y + 1 < n)
                addRoad(l, gridName(x, y), gridName(x, y + 1), 2);
        }
    }
    for (Node *node : l.nodes)
        connectJunction(l, node);
    return l;
}

// Everything derived that a test can compare, per object.
struct Geometry
{
    QPointF pos;
    GeoPolyline skeleton;
    GeoShape shape;
    GeoPolyline full;
    QLineF line;
};

Geometry geometryOf(const NetObject *o)
{
    Geometry g;
    g.pos = o->pos();
    g.skeleton = o->skeleton();
    g.shape = o->shape();
    if (auto *lane = qobject_cast<const Lane *>(o))
        g.full = lane->fullSkeleton();
    if (auto *line = qobject_cast<const Stopline *>(o))
        g.line = line->line();
    return g;
}

bool samePoint(const QPointF &a, const QPointF &b, double tol)
{
    if (!pointIsValid(a) || !pointIsValid(b))
        return pointIsValid(a) == pointIsValid(b);
    return flatDistance(a, b) <= tol;
}

bool sameLine(const GeoPolyline &a, const GeoPolyline &b, double tol)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i) {
        if (!samePoint(a.at(i), b.at(i), tol))
            return false;
    }
    return true;
}

bool sameGeometry(const Geometry &a, const Geometry &b, double tol = 1e-9)
{
    return samePoint(a.pos, b.pos, tol) && sameLine(a.skeleton, b.skeleton, tol) && sameLine(a.shape, b.shape, tol)
           && sameLine(a.full, b.full, tol) && samePoint(a.line.p1(), b.line.p1(), tol)
           && samePoint(a.line.p2(), b.line.p2(), tol);
}

void touchAll(const Network *net)
{
    for (NetObject *o : net->allObjects())
        geometryOf(o);
}

// What moving `moved` must change: the node and its children; its edges with everything on them and
// the connections and crosswalks using their lines and lanes; the far nodes with their children; their
// other edges, those edges' lanes and the lines at the far node.
QSet<NetObject *> expectedAfterMove(Node *moved)
{
    QSet<NetObject *> set{moved};
    for (QObject *c : moved->children())
        set.insert(qobject_cast<NetObject *>(c));
    QSet<Node *> far;
    for (Edge *e : moved->edges()) {
        set.insert(e);
        far.insert(e->start() == moved ? e->end() : e->start());
        for (Lane *l : e->lanes()) {
            set.insert(l);
            for (NetObject *h : l->referrers())
                set.insert(h);
            for (Stopline *s : {l->stopline(), l->startline()}) {
                set.insert(s);
                for (Connection *c : s->connections())
                    set.insert(c);
            }
        }
    }
    for (Node *y : qAsConst(far)) {
        set.insert(y);
        for (QObject *c : y->children())
            set.insert(qobject_cast<NetObject *>(c));
        for (Edge *e : y->edges()) {
            if (set.contains(e))
                continue;
            set.insert(e);
            for (Lane *l : e->lanes()) {
                set.insert(l);
                set.insert(e->end() == y ? l->stopline() : l->startline());
            }
        }
    }
    return set;
}

QStringList names(const QSet<NetObject *> &set)
{
    QStringList list;
    for (NetObject *o : set) {
        QString n = o->printableName();
        if (auto *p = o->parentObject())
            n += QStringLiteral(" of ") + p->printableName();
        list.append(n);
    }
    list.sort();
    return list;
}

// Random moves, widths, offsets, lines, node kinds and group skeletons, reading a random part of the
// geometry after each so that caches fill up between changes.
void randomEdits(Layout &l, quint32 seed)
{
    QRandomGenerator rng(seed);
    const QList<Node *> nodes = l.nodes.values();
    const QList<Edge *> edges = l.edges.values();
    QList<Lane *> lanes;
    QList<Stopline *> lines;
    for (Edge *e : edges) {
        for (Lane *lane : e->lanes()) {
            lanes.append(lane);
            lines.append(lane->stopline());
            lines.append(lane->startline());
        }
    }
    const QList<NetObject *> all = objectsById(l.net);
    for (int step = 0; step < 300; ++step) {
        const int what = rng.bounded(13);
        if (what < 6) {
            Node *n = nodes.at(rng.bounded(nodes.size()));
            n->setPos(n->pos() + QPointF(rng.bounded(8.0) - 4.0, rng.bounded(8.0) - 4.0));
        } else if (what < 8) {
            lanes.at(rng.bounded(lanes.size()))->setWidth(2.5 + rng.bounded(2.0));
        } else if (what < 9) {
            Stopline *s = lines.at(rng.bounded(lines.size()));
            if (rng.bounded(2))
                s->setDistance(rng.bounded(15.0));
            else
                s->setAutoDistance(true);
        } else if (what < 10) {
            edges.at(rng.bounded(edges.size()))->setLanesOffset(rng.bounded(2.0) - 1.0);
        } else if (what < 11) {
            Node *n = nodes.at(rng.bounded(nodes.size()));
            n->setType(n->isJunction() ? Node::PlainNode : Node::Junction);
        } else if (what < 12 && !l.groups.isEmpty()) {
            EdgeGroup *g = l.groups.first();
            if (rng.bounded(2)) {
                g->setAutoSkeleton(true);
            } else {
                const QPointF a = g->start()->pos();
                const QPointF b = g->end()->pos();
                g->setSkeleton(GeoPolyline({a, (a + b) / 2 + QPointF(0, rng.bounded(60.0) - 30.0), b}));
            }
        } else {
            Edge *e = edges.at(rng.bounded(edges.size()));
            e->setAutoSkeleton(!e->autoSkeleton());
        }
        for (int k = 0; k < all.size() / 3; ++k)
            geometryOf(all.at(rng.bounded(all.size())));
    }
}

// Gives `to` (built like `from`, never read) the primary data of `from`.
void copyPrimaryData(const Network *from, Network *to)
{
    const QList<NetObject *> a = objectsById(from);
    const QList<NetObject *> b = objectsById(to);
    QCOMPARE(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i) {
        QCOMPARE(a.at(i)->metaObject(), b.at(i)->metaObject());
        if (auto *e = qobject_cast<Edge *>(a.at(i))) {
            auto *f = static_cast<Edge *>(b.at(i));
            f->setLanesOffset(e->lanesOffset());
            if (e->autoSkeleton())
                f->setAutoSkeleton(true);
            else
                f->setSkeleton(e->customSkeleton());
        } else if (auto *lane = qobject_cast<Lane *>(a.at(i))) {
            static_cast<Lane *>(b.at(i))->setWidth(lane->width());
        } else if (auto *s = qobject_cast<Stopline *>(a.at(i))) {
            if (s->autoDistance())
                static_cast<Stopline *>(b.at(i))->setAutoDistance(true);
            else
                static_cast<Stopline *>(b.at(i))->setDistance(s->distance());
        } else if (auto *n = qobject_cast<Node *>(a.at(i))) {
            static_cast<Node *>(b.at(i))->setType(n->type());
        } else if (auto *g = qobject_cast<EdgeGroup *>(a.at(i))) {
            if (g->autoSkeleton())
                static_cast<EdgeGroup *>(b.at(i))->setAutoSkeleton(true);
            else
                static_cast<EdgeGroup *>(b.at(i))->setSkeleton(g->customSkeleton());
        }
    }
    // Nodes last, attached ones after the ends of their group.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < a.size(); ++i) {
            auto *n = qobject_cast<Node *>(a.at(i));
            if (n && (n->attachedEdgeGroup() != nullptr) == (pass == 1))
                static_cast<Node *>(b.at(i))->setPos(n->pos());
        }
    }
}

} // namespace

class TestRoadNotify : public QObject
{
    Q_OBJECT

private slots:
    void moveNotifiesExactlyItsDependants();
    void moveIsLocalWhateverTheNetworkSize();
    void laneAndLineChanges();
    void groupChangesReachItsEdgesAndAttachedNodes();
    void cachesMatchFreshGeometry_data();
    void cachesMatchFreshGeometry();
};

void TestRoadNotify::moveNotifiesExactlyItsDependants()
{
    CountingNetwork net;
    Layout l = grid(&net, 4);
    touchAll(&net);
    QHash<NetObject *, Geometry> before;
    for (NetObject *o : net.allObjects())
        before.insert(o, geometryOf(o));

    Node *moved = l.node(gridName(1, 1));
    const QSet<NetObject *> expected = expectedAfterMove(moved);
    net.changed.clear();
    QVERIFY(moved->setPos(QPointF(110, 95)));
    const QSet<NetObject *> got = net.changedSet();
    QVERIFY2(got == expected, qPrintable(QStringLiteral("missing: ") + names(expected - got).join(", ")
                                          + QStringLiteral("\nextra: ") + names(got - expected).join(", ")));
    for (auto it = net.changed.cbegin(); it != net.changed.cend(); ++it)
        QCOMPARE(it.value(), 1);
    QVERIFY(!got.contains(l.node(gridName(3, 1))));
    QVERIFY(!got.contains(l.node(gridName(1, 3))));
    QVERIFY(!got.contains(l.node(gridName(2, 2)))); // diagonal: no edge to the moved node

    // Whatever was not announced is exactly as before.
    int changedGeometry = 0;
    for (NetObject *o : net.allObjects()) {
        const bool same = sameGeometry(before.value(o), geometryOf(o));
        if (!got.contains(o))
            QVERIFY2(same, qPrintable(o->printableName()));
        else if (!same)
            ++changedGeometry;
    }
    QVERIFY(changedGeometry > 0);
}

void TestRoadNotify::moveIsLocalWhateverTheNetworkSize()
{
    QVector<int> counts;
    for (int n : {5, 9}) {
        CountingNetwork net;
        Layout l = grid(&net, n);
        touchAll(&net);
        net.changed.clear();
        l.node(gridName(n / 2, n / 2))->setPos(QPointF(100 * (n / 2) + 3, 100 * (n / 2) - 4));
        counts.append(net.changed.size());
        if (n == 9)
            QVERIFY(net.changed.size() < net.objectCount() / 10);
    }
    QCOMPARE(counts.at(0), counts.at(1));
}

void TestRoadNotify::laneAndLineChanges()
{
    CountingNetwork net;
    Layout l = grid(&net, 4);
    Edge *e = l.edge(gridName(1, 1), gridName(2, 1));
    Lane *lane = e->lane(0);

    // A wider lane shifts its neighbour and both junction shapes, not the nodes beyond.
    net.changed.clear();
    QVERIFY(lane->setWidth(4.0));
    QVERIFY(net.changed.contains(e->lane(1)));
    QVERIFY(net.changed.contains(e));
    QVERIFY(net.changed.contains(l.node(gridName(1, 1))));
    QVERIFY(net.changed.contains(l.node(gridName(2, 1))));
    QVERIFY(net.changed.contains(l.edge(gridName(2, 1), gridName(3, 1))->lane(0)));
    QVERIFY(!net.changed.contains(l.node(gridName(3, 1))));
    QVERIFY(!net.changed.contains(l.node(gridName(0, 1))));

    // A stopline moved by hand changes its connections and nothing else.
    Stopline *s = lane->stopline();
    net.changed.clear();
    QVERIFY(s->setDistance(12.0));
    QSet<NetObject *> expected{s};
    for (Connection *c : s->connections())
        expected.insert(c);
    QCOMPARE(net.changedSet(), expected);

    // Refused values announce nothing.
    net.changed.clear();
    QVERIFY(!lane->setWidth(-1));
    QVERIFY(!s->setDistance(qQNaN()));
    QVERIFY(l.node(gridName(0, 0))->setPos(l.node(gridName(0, 0))->pos()));
    QVERIFY(net.changed.isEmpty());
}

void TestRoadNotify::groupChangesReachItsEdgesAndAttachedNodes()
{
    CountingNetwork net;
    Layout l = twoWayGroup(&net);
    // A side road at the attached node.
    addNode(l, "S", QPointF(100, -60), Node::PlainNode);
    addRoad(l, "M", "S", 1);
    EdgeGroup *g = l.groups.value("AB");
    net.changed.clear();
    QVERIFY(g->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(100, 20), QPointF(200, 0)})));
    QVERIFY(net.changed.contains(g));
    for (Edge *e : g->edges())
        QVERIFY(net.changed.contains(e));
    QVERIFY(net.changed.contains(l.node("M")));
    QVERIFY(net.changed.contains(l.edge("M", "S")->lane(0)));
    QCOMPARE(l.node("M")->pos(), QPointF(100, 20));
    QCOMPARE(l.edge("M", "S")->skeleton().first(), QPointF(100, 20));
}

void TestRoadNotify::cachesMatchFreshGeometry_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("four arm") << 0;
    QTest::newRow("roundabout") << 1;
    QTest::newRow("edge group") << 2;
    QTest::newRow("grid") << 3;
}

void TestRoadNotify::cachesMatchFreshGeometry()
{
    QFETCH(int, layout);
    const std::function<Layout(Network *)> build = [layout](Network *net) {
        switch (layout) {
        case 0:
            return fourArm(net);
        case 1:
            return roundabout(net);
        case 2:
            return twoWayGroup(net);
        default:
            return grid(net, 3);
        }
    };
    for (int seed = 0; seed < 3; ++seed) {
        Network net;
        Layout l = build(&net);
        randomEdits(l, quint32(1000 * layout + seed));
        // The same primary data in a network whose geometry was never read.
        Network fresh;
        build(&fresh);
        copyPrimaryData(&net, &fresh);
        const QList<NetObject *> a = objectsById(&net);
        const QList<NetObject *> b = objectsById(&fresh);
        for (int i = 0; i < a.size(); ++i) {
            QVERIFY2(sameGeometry(geometryOf(a.at(i)), geometryOf(b.at(i)), 1e-6),
                     qPrintable(QStringLiteral("seed %1: ").arg(seed) + a.at(i)->printableName() + QStringLiteral(" of ")
                                + (a.at(i)->parentObject() ? a.at(i)->parentObject()->printableName() : QString())));
        }
    }
}
QTEST_GUILESS_MAIN(TestRoadNotify)
#include "tst_roadnotify.moc"
