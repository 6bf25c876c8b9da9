#include "layouts.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

using namespace Trelvoa;
using namespace Layouts;

namespace {

// Records removals as the model announces them.
class RemovalNetwork : public Network
{
public:
    QList<NetObject *> removed;
    // The parent of each removed object as it was when it went (the objects are gone afterwards).
    QHash<NetObject *, NetObject *> parents;
    QSet<NetObject *> changed;

    void onRemoveObject(NetObject *object) override
    {
        removed.append(object);
        parents.insert(object, object->parentObject());
        Network::onRemoveObject(object);
    }
    void objectChanged(NetObject *object, int flags) override
    {
        changed.insert(object);
        Network::objectChanged(object, flags);
    }
};

QSet<NetObject *> subtree(NetObject *root)
{
    QSet<NetObject *> set{root};
    for (NetObject *o : root->findChildren<NetObject *>())
        set.insert(o);
    return set;
}

template<class T>
QSet<NetObject *> toSet(const QList<T *> &list)
{
    QSet<NetObject *> set;
    for (T *o : list)
        set.insert(o);
    return set;
}

// The removed objects that are neither in the subtree of `root` nor below another removed object.
QSet<NetObject *> removedRoots(const RemovalNetwork &net, const QSet<NetObject *> &rootSubtree)
{
    const QSet<NetObject *> removed = toSet(net.removed);
    QSet<NetObject *> roots;
    for (NetObject *o : net.removed) {
        if (rootSubtree.contains(o))
            continue;
        bool below = false;
        for (NetObject *p = net.parents.value(o); p && !below; p = net.parents.value(p))
            below = removed.contains(p);
        if (!below)
            roots.insert(o);
    }
    return roots;
}

// Every reference of every road object points to a live object of the network.
void checkIntegrity(const Network &net)
{
    const QList<NetObject *> all = net.allObjects();
    const QSet<NetObject *> live(all.begin(), all.end());
    for (NetObject *o : all) {
        QVERIFY(o->network() == &net);
        for (NetObject *r : o->referrers())
            QVERIFY(live.contains(r));
        o->pos();
        o->skeleton();
        o->shape();
        if (auto *e = qobject_cast<Edge *>(o)) {
            QVERIFY(live.contains(e->start()) && live.contains(e->end()));
            QVERIFY(!e->group() || live.contains(e->group()));
            for (Lane *l : e->lanes())
                QVERIFY(live.contains(l) && live.contains(l->stopline()) && live.contains(l->startline()));
        } else if (auto *c = qobject_cast<Connection *>(o)) {
            QVERIFY(live.contains(c->from()) && live.contains(c->to()));
            QVERIFY(live.contains(c->junction()));
        } else if (auto *w = qobject_cast<CrossWalk *>(o)) {
            QVERIFY(live.contains(w->lane1()) && live.contains(w->lane2()));
        } else if (auto *n = qobject_cast<Node *>(o)) {
            for (Edge *e : n->edges())
                QVERIFY(live.contains(e));
            for (EdgeGroup *g : n->edgeGroups())
                QVERIFY(live.contains(g));
            QVERIFY(!n->attachedEdgeGroup() || live.contains(n->attachedEdgeGroup()));
            n->sortedEdges();
        } else if (auto *g = qobject_cast<EdgeGroup *>(o)) {
            QVERIFY(live.contains(g->start()) && live.contains(g->end()));
        }
    }
}

} // namespace

class TestRoadDeletion : public QObject
{
    Q_OBJECT

private slots:
    void nodeTakesItsEdgesAndTheirDependants();
    void nodeTakesGroupsEndingThere();
    void edgeTakesLanesLinesConnectionsAndCrossWalks();
    void groupLeavesItsEdgesTheirSkeleton();
    void laneTakesItsLinesAndCrossWalks();
    void connectionGoesAlone();
    void deleteLaterCascadesToo();
    void randomDeletionsLeaveNoDanglingReference();
};

void TestRoadDeletion::nodeTakesItsEdgesAndTheirDependants()
{
    RemovalNetwork net;
    Layout l = fourArm(&net);
    Node *e = l.node("E");
    Node *c = l.node("C");
    QPointer<Edge> in = l.edge("E", "C");
    QPointer<Edge> out = l.edge("C", "E");
    QPointer<CrossWalk> crossing = l.crossWalks.at(1);
    QSet<NetObject *> goneConnections;
    for (Lane *lane : in->lanes())
        goneConnections += toSet(lane->stopline()->connections());
    for (Lane *lane : out->lanes())
        goneConnections += toSet(lane->startline()->connections());
    QCOMPARE(goneConnections.size(), 8);

    const QSet<NetObject *> linked = toSet(e->linkedObjects());
    QSet<NetObject *> expected = goneConnections;
    expected << in << out << crossing;
    QCOMPARE(linked, expected);

    const QSet<NetObject *> own = subtree(e);
    const int before = net.objectCount();
    delete e;
    QVERIFY(!in && !out && !crossing);
    QCOMPARE(removedRoots(net, own), expected);
    // 2 edges x (1 + 2 lanes x 3) + 8 connections + 1 crosswalk + the node.
    QCOMPARE(before - net.objectCount(), 2 * 7 + 8 + 1 + 1);
    QCOMPARE(c->edgesCount(), 6);
    QCOMPARE(c->connections().size(), 8);
    QCOMPARE(c->crossWalks().size(), 3);
    // The junction takes its new outline at once.
    QVERIFY(net.changed.contains(c));
    QCOMPARE(c->shape().boundingRect(), QRectF(-7, -7, 14, 14));
    checkIntegrity(net);
}

void TestRoadDeletion::nodeTakesGroupsEndingThere()
{
    RemovalNetwork net;
    Layout l = twoWayGroup(&net);
    EdgeGroup *g = l.groups.value("AB");
    Node *m = l.node("M");
    Edge *mb = l.edge("M", "B");
    Edge *bm = l.edge("B", "M");
    const GeoPolyline mbBefore = mb->skeleton();
    const QPointF mBefore = m->pos();

    Node *a = l.node("A");
    QSet<NetObject *> expected{l.edge("A", "M"), l.edge("M", "A"), g, m, mb, bm};
    QCOMPARE(toSet(a->linkedObjects()), expected);
    QPointer<EdgeGroup> group = g;
    delete a;
    QVERIFY(!group);
    // The surviving edges keep the road where it was; the attached node stays put.
    QCOMPARE(mb->group(), nullptr);
    QVERIFY(!mb->autoSkeleton());
    QCOMPARE(mb->skeleton(), mbBefore);
    QCOMPARE(m->attachedEdgeGroup(), nullptr);
    QCOMPARE(m->pos(), mBefore);
    QCOMPARE(m->edgesCount(), 2);
    checkIntegrity(net);
}

void TestRoadDeletion::edgeTakesLanesLinesConnectionsAndCrossWalks()
{
    RemovalNetwork net;
    Layout l = fourArm(&net);
    Edge *in = l.edge("E", "C");
    QSet<NetObject *> expected;
    for (Lane *lane : in->lanes())
        expected += toSet(lane->stopline()->connections());
    expected << l.crossWalks.at(1);
    QCOMPARE(toSet(in->linkedObjects()), expected);
    QCOMPARE(toSet(in->lane(0)->linkedObjects()),
             toSet(in->lane(0)->stopline()->connections()) + QSet<NetObject *>{l.crossWalks.at(1)});
    QCOMPARE(toSet(in->lane(0)->stopline()->linkedObjects()), toSet(in->lane(0)->stopline()->connections()));

    const QSet<NetObject *> own = subtree(in);
    Node *c = l.node("C");
    Node *e = l.node("E");
    delete in;
    QCOMPARE(removedRoots(net, own), expected);
    QCOMPARE(e->edges(), QList<Edge *>{l.edge("C", "E")});
    QCOMPARE(c->edgesCount(), 7);
    QCOMPARE(c->connections().size(), 12);
    QVERIFY(l.edge("C", "E")->opposite().isEmpty());
    // Without its opposite the outgoing edge's centre-line border now shapes the junction too.
    QVERIFY(c->shape().area() >= 196.0);
    checkIntegrity(net);
}

void TestRoadDeletion::groupLeavesItsEdgesTheirSkeleton()
{
    RemovalNetwork net;
    Layout l = twoWayGroup(&net);
    EdgeGroup *g = l.groups.value("AB");
    QHash<Edge *, GeoPolyline> before;
    for (Edge *e : g->edges())
        before.insert(e, e->skeleton());
    Node *m = l.node("M");
    const QPointF mBefore = m->pos();
    QSet<NetObject *> expected = toSet(g->edges());
    expected << m;
    QCOMPARE(toSet(g->linkedObjects()), expected);

    delete g;
    QCOMPARE(net.removed, QList<NetObject *>{g});
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QCOMPARE(it.key()->group(), nullptr);
        QVERIFY(!it.key()->autoSkeleton());
        QCOMPARE(it.key()->skeleton(), it.value());
        QVERIFY(net.changed.contains(it.key()));
    }
    QCOMPARE(m->attachedEdgeGroup(), nullptr);
    QCOMPARE(m->pos(), mBefore);
    QCOMPARE(l.node("A")->edgeGroups().size(), 0);
    checkIntegrity(net);
}

void TestRoadDeletion::laneTakesItsLinesAndCrossWalks()
{
    RemovalNetwork net;
    Layout l = fourArm(&net);
    Edge *in = l.edge("E", "C");
    Lane *outer = in->lane(0);
    Lane *inner = in->lane(1);
    QPointer<CrossWalk> crossing = l.crossWalks.at(1);
    const QList<Connection *> connections = outer->stopline()->connections();
    QCOMPARE(connections.size(), 2);
    QPointer<Connection> k0 = connections.at(0);
    QPointer<Connection> k1 = connections.at(1);
    QPointer<Stopline> line = outer->stopline();
    QCOMPARE(inner->fullSkeleton().first().y(), 1.75);

    delete outer;
    QVERIFY(!crossing && !k0 && !k1 && !line);
    QCOMPARE(in->lanesCount(), 1);
    QCOMPARE(inner->index(), 0);
    QCOMPARE(inner->right(), nullptr);
    // The remaining lane still borders the centre line.
    QCOMPARE(inner->fullSkeleton().first().y(), 1.75);
    QVERIFY(net.changed.contains(inner));

    // Deleting the inner lane of two moves the outer one to the centre line.
    Edge *e2 = l.edge("W", "C");
    Lane *w0 = e2->lane(0);
    QCOMPARE(w0->fullSkeleton().first().y(), -5.25);
    delete e2->lane(1);
    QCOMPARE(w0->fullSkeleton().first().y(), -1.75);
    QCOMPARE(w0->stopline()->pos().y(), -1.75);
    checkIntegrity(net);
}

void TestRoadDeletion::connectionGoesAlone()
{
    RemovalNetwork net;
    Layout l = fourArm(&net);
    Connection *k = l.connections.first();
    Stopline *from = k->from();
    Stopline *to = k->to();
    const int fromCount = from->connectionCount();
    const int toCount = to->connectionCount();
    QVERIFY(k->linkedObjects().isEmpty());
    delete k;
    QCOMPARE(net.removed, QList<NetObject *>{k});
    QCOMPARE(from->connectionCount(), fromCount - 1);
    QCOMPARE(to->connectionCount(), toCount - 1);
    checkIntegrity(net);
}

void TestRoadDeletion::deleteLaterCascadesToo()
{
    RemovalNetwork net;
    Layout l = tJunction(&net);
    QPointer<Node> c = l.node("C");
    QPointer<Edge> e = l.edge("W", "C");
    c->deleteLater();
    QVERIFY(c && e);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!c && !e);
    // Only the three plain end nodes are left.
    QCOMPARE(net.objectCount(), 3);
    checkIntegrity(net);
}

void TestRoadDeletion::randomDeletionsLeaveNoDanglingReference()
{
    for (int round = 0; round < 6; ++round) {
        RemovalNetwork net;
        Layout l = round % 3 == 0 ? fourArm(&net) : round % 3 == 1 ? roundabout(&net) : twoWayGroup(&net);
        QRandomGenerator rng(round);
        while (net.objectCount() > 0) {
            // Any kind but stoplines, which only go with their lanes.
            QList<NetObject *> candidates;
            for (NetObject *o : net.allObjects()) {
                if (!qobject_cast<Stopline *>(o))
                    candidates.append(o);
            }
            NetObject *victim = candidates.at(rng.bounded(candidates.size()));
            const QSet<NetObject *> own = subtree(victim);
            const QSet<NetObject *> linked = toSet(victim->linkedObjects());
            net.removed.clear();
            delete victim;
            // Everything that went besides the victim's subtree was announced by linkedObjects().
            const QSet<NetObject *> roots = removedRoots(net, own);
            QVERIFY2((roots - linked).isEmpty(), qPrintable(QString::number(round)));
            checkIntegrity(net);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

QTEST_GUILESS_MAIN(TestRoadDeletion)
#include "tst_roaddeletion.moc"
