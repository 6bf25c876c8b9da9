#include "layouts.h"

#include <QLineF>
#include <QPointer>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Layouts {

namespace {

// Unit direction of an edge's skeleton at `node`, pointing along the driving direction.
QPointF directionAt(const Edge *edge, const Node *node)
{
    const GeoPolyline s = edge->skeleton();
    QLineF seg = edge->end() == node ? QLineF(s.at(s.count() - 2), s.last()) : QLineF(s.first(), s.at(1));
    const QPointF d = seg.p2() - seg.p1();
    return d / std::hypot(d.x(), d.y());
}

Connection *connect(Layout &l, Lane *from, Lane *to)
{
    auto *c = new Connection(l.net, from->stopline(), to->startline());
    l.net->addItem(c);
    l.connections.append(c);
    return c;
}

Edge *newEdge(Layout &l, const QString &from, const QString &to)
{
    auto *e = new Edge(l.net, l.node(from), l.node(to));
    e->setName(from + QLatin1Char('>') + to);
    return e;
}

Edge *registerEdge(Layout &l, Edge *e)
{
    l.net->addItem(e);
    l.edges.insert(e->name(), e);
    return e;
}

} // namespace

Edge *Layout::edge(const QString &from, const QString &to) const
{
    Edge *named = edges.value(from + QLatin1Char('>') + to);
    Node *a = node(from);
    Node *b = node(to);
    // Pointers are only compared until they are known to be alive: tests delete nodes.
    const QList<NetObject *> alive = net ? net->allObjects() : QList<NetObject *>();
    if (!a || !b || !alive.contains(a) || !alive.contains(b))
        return named;
    const QList<Edge *> out = a->outgoingEdges();
    if (named && out.contains(named) && named->end() == b)
        return named;
    for (Edge *e : out) {
        if (e->end() == b)
            return e;
    }
    return nullptr;
}

Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type)
{
    auto *n = new Node(l.net, pos, type);
    n->setName(name);
    l.net->addItem(n);
    l.nodes.insert(name, n);
    return n;
}

Edge *addEdge(Layout &l, const QString &from, const QString &to, int lanes)
{
    Edge *e = newEdge(l, from, to);
    for (int i = 0; i < lanes; ++i)
        new Lane(e);
    return registerEdge(l, e);
}

Edge *addEdge(Layout &l, const QString &from, const QString &to, const QList<int> &classes)
{
    Edge *e = newEdge(l, from, to);
    for (int c : classes) {
        auto *lane = new Lane(e);
        lane->setAllowed(Lane::VehicleClasses(c));
        lane->setWidth(c == pedestrian ? sidewalkWidth : 3.5);
    }
    return registerEdge(l, e);
}

void addRoad(Layout &l, const QString &a, const QString &b, int lanes, bool group)
{
    Edge *ab = addEdge(l, a, b, lanes);
    Edge *ba = addEdge(l, b, a, lanes);
    if (group) {
        auto *g = new EdgeGroup(l.net, l.node(a), l.node(b));
        g->setName(a + b);
        l.net->addItem(g);
        g->addEdge(ab);
        g->addEdge(ba);
        l.groups.insert(g->name(), g);
    }
}

double turnAngle(const Edge *in, const Edge *out)
{
    const Node *n = in->end();
    const QPointF a = directionAt(in, n);
    const QPointF b = directionAt(out, n);
    return qRadiansToDegrees(std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y()));
}

QList<Connection *> connectJunction(Layout &l, Node *junction)
{
    QList<Connection *> made;
    for (Edge *in : junction->incomingEdges()) {
        for (Edge *out : junction->outgoingEdges()) {
            if (out->end() == in->start() || in->lanesCount() == 0 || out->lanesCount() == 0)
                continue;
            const double a = turnAngle(in, out);
            if (std::abs(a) < 30.0) {
                for (int i = 0; i < std::min(in->lanesCount(), out->lanesCount()); ++i)
                    made.append(connect(l, in->lane(i), out->lane(i)));
            } else if (a < 0.0) {
                made.append(connect(l, in->lane(0), out->lane(0)));
            } else {
                made.append(connect(l, in->lane(in->lanesCount() - 1), out->lane(out->lanesCount() - 1)));
            }
        }
    }
    return made;
}

Layout fourArm(Network *net, Options options)
{
    Layout l;
    l.net = net;
    const QString centre = QStringLiteral("C");
    addNode(l, centre, QPointF(0, 0), Node::SignalisedJunction);
    const QStringList arms{QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("S"), QStringLiteral("W")};
    const QList<QPointF> at{QPointF(0, 100), QPointF(100, 0), QPointF(0, -100), QPointF(-100, 0)};
    for (int i = 0; i < arms.size(); ++i) {
        const QString &arm = arms.at(i);
        addNode(l, arm, at.at(i), Node::PlainNode);
        if (!options.testFlag(Sidewalks)) {
            addRoad(l, arm, centre, 2, options.testFlag(Grouped));
            continue;
        }
        QList<int> classes{pedestrian, car, car};
        if (arm == QLatin1String("W"))
            classes.append(tram);
        Edge *in = addEdge(l, arm, centre, classes);
        Edge *out = addEdge(l, centre, arm, classes);
        if (options.testFlag(Grouped)) {
            auto *g = new EdgeGroup(net, l.node(arm), l.node(centre));
            g->setName(arm + centre);
            net->addItem(g);
            g->addEdge(in);
            g->addEdge(out);
            l.groups.insert(g->name(), g);
        }
    }
    Node *c = l.node(centre);
    if (!options.testFlag(NoConnections))
        connectJunction(l, c);
    if (!options.testFlag(NoCrossWalks)) {
        for (const QString &arm : arms) {
            Lane *in = l.edge(arm, centre)->lane(0);
            Lane *out = l.edge(centre, arm)->lane(0);
            const double offset = in->stopline()->distance() + 2.0;
            auto *w = new CrossWalk(c, in, offset, out, offset);
            w->setName(QStringLiteral("X") + arm);
            net->addItem(w);
            l.crossWalks.append(w);
        }
    }
    return l;
}

Layout tJunction(Network *net, Options options)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::Junction);
    addNode(l, QStringLiteral("W"), QPointF(-100, 0), Node::PlainNode);
    addNode(l, QStringLiteral("E"), QPointF(100, 0), Node::PlainNode);
    addNode(l, QStringLiteral("S"), QPointF(0, -100), Node::PlainNode);
    addRoad(l, QStringLiteral("W"), QStringLiteral("C"), 2);
    addRoad(l, QStringLiteral("E"), QStringLiteral("C"), 2);
    addRoad(l, QStringLiteral("S"), QStringLiteral("C"), 2);
    if (!options.testFlag(NoConnections))
        connectJunction(l, l.node(QStringLiteral("C")));
    return l;
}

Layout twoWayGroup(Network *net)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0), Node::PlainNode);
    addNode(l, QStringLiteral("B"), QPointF(200, 0), Node::PlainNode);
    auto *g = new EdgeGroup(net, l.node(QStringLiteral("A")), l.node(QStringLiteral("B")));
    g->setName(QStringLiteral("AB"));
    g->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(100, 40), QPointF(200, 0)}));
    net->addItem(g);
    l.groups.insert(g->name(), g);
    Node *m = addNode(l, QStringLiteral("M"), QPointF(100, 40), Node::PlainNode);
    m->setAttachedEdgeGroup(g);
    const QList<QPair<QString, QString>> pairs{{QStringLiteral("A"), QStringLiteral("M")},
                                               {QStringLiteral("M"), QStringLiteral("B")},
                                               {QStringLiteral("B"), QStringLiteral("M")},
                                               {QStringLiteral("M"), QStringLiteral("A")}};
    for (const auto &pair : pairs)
        g->addEdge(addEdge(l, pair.first, pair.second, 1));
    return l;
}

Layout chain(Network *net)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0), Node::PlainNode);
    addNode(l, QStringLiteral("B"), QPointF(100, 0), Node::Junction);
    addNode(l, QStringLiteral("C"), QPointF(200, 10), Node::PlainNode);
    addEdge(l, QStringLiteral("A"), QStringLiteral("B"), 2);
    addEdge(l, QStringLiteral("B"), QStringLiteral("C"), 2);
    connectJunction(l, l.node(QStringLiteral("B")));
    return l;
}

Layout roundabout(Network *net)
{
    Layout l;
    l.net = net;
    const int n = 6;
    for (int i = 0; i < n; ++i) {
        const double a = qDegreesToRadians(360.0 * i / n);
        addNode(l, QStringLiteral("R%1").arg(i), QPointF(40 * std::cos(a), 40 * std::sin(a)), Node::Junction);
        addNode(l, QStringLiteral("X%1").arg(i), QPointF(140 * std::cos(a), 140 * std::sin(a)), Node::PlainNode);
    }
    for (int i = 0; i < n; ++i) {
        addEdge(l, QStringLiteral("R%1").arg(i), QStringLiteral("R%1").arg((i + 1) % n), 1);
        addRoad(l, QStringLiteral("X%1").arg(i), QStringLiteral("R%1").arg(i), 1);
    }
    for (int i = 0; i < n; ++i) {
        const QString r = QStringLiteral("R%1").arg(i);
        const QString prev = QStringLiteral("R%1").arg((i + n - 1) % n);
        const QString next = QStringLiteral("R%1").arg((i + 1) % n);
        const QString x = QStringLiteral("X%1").arg(i);
        connect(l, l.edge(prev, r)->lane(0), l.edge(r, next)->lane(0));
        connect(l, l.edge(x, r)->lane(0), l.edge(r, next)->lane(0));
        connect(l, l.edge(prev, r)->lane(0), l.edge(r, x)->lane(0));
    }
    return l;
}

QString edgeName(const Edge *edge)
{
    auto nodeName = [](const Node *n) { return n->name().isEmpty() ? QString::number(n->id()) : n->name(); };
    return nodeName(edge->start()) + QLatin1Char('>') + nodeName(edge->end());
}

QStringList connectionTable(const Node *junction)
{
    QStringList table;
    for (const Connection *c : junction->connections()) {
        const Lane *from = c->startLane();
        const Lane *to = c->endLane();
        table.append(QStringLiteral("%1:%2>%3:%4")
                         .arg(edgeName(from->edge()))
                         .arg(from->index())
                         .arg(edgeName(to->edge()))
                         .arg(to->index()));
    }
    table.sort();
    return table;
}

QList<NetObject *> objectsById(const Network *net)
{
    QList<NetObject *> all = net->allObjects();
    std::sort(all.begin(), all.end(), [](const NetObject *a, const NetObject *b) { return a->id() < b->id(); });
    return all;
}

void dismantle(Network *net)
{
    const QObjectList objects = net->children();
    for (int i = objects.size() - 1; i >= 0; --i) {
        QPointer<QObject> object = objects.at(i);
        if (object && qobject_cast<NetObject *>(object))
            delete object;
    }
}

} // namespace Layouts
