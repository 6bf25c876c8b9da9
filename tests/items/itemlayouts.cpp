#include "itemlayouts.h"

#include "scene/networkg.h"

#include <QPointer>

namespace ItemLayouts {

Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type)
{
    auto *n = new Node(l.net, pos, type);
    n->setName(name);
    l.net->addItem(n);
    l.nodes.insert(name, n);
    return n;
}

Edge *addEdge(Layout &l, const QString &from, const QString &to, const QList<int> &classes)
{
    auto *e = new Edge(l.net, l.node(from), l.node(to));
    e->setName(from + QLatin1Char('>') + to);
    for (int c : classes) {
        auto *lane = new Lane(e);
        lane->setAllowed(Lane::VehicleClasses(c));
        lane->setWidth(c == pedestrian ? sidewalkWidth : 3.5);
    }
    l.net->addItem(e);
    l.edges.insert(e->name(), e);
    return e;
}

Layout fourArm(Trelvoa::Network *net)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::SignalisedJunction);
    const QStringList arms{QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("S"), QStringLiteral("W")};
    const QList<QPointF> at{QPointF(0, 100), QPointF(100, 0), QPointF(0, -100), QPointF(-100, 0)};
    for (int i = 0; i < arms.size(); ++i) {
        addNode(l, arms.at(i), at.at(i));
        QList<int> classes{pedestrian, car, car};
        if (arms.at(i) == QLatin1String("W"))
            classes.append(tram);
        addEdge(l, arms.at(i), QStringLiteral("C"), classes);
        addEdge(l, QStringLiteral("C"), arms.at(i), classes);
    }
    return l;
}

Layout attachedNode(Trelvoa::Network *net)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0));
    addNode(l, QStringLiteral("B"), QPointF(200, 0));
    auto *g = new EdgeGroup(net, l.node(QStringLiteral("A")), l.node(QStringLiteral("B")));
    g->setName(QStringLiteral("AB"));
    g->setSkeleton(GeoPolyline({QPointF(0, 0), QPointF(100, 40), QPointF(200, 0)}));
    net->addItem(g);
    l.groups.insert(g->name(), g);
    Node *m = addNode(l, QStringLiteral("M"), QPointF(100, 40));
    m->setAttachedEdgeGroup(g);
    const QList<QPair<QString, QString>> pairs{{"A", "M"}, {"M", "B"}, {"B", "M"}, {"M", "A"}};
    for (const auto &pair : pairs)
        g->addEdge(addEdge(l, pair.first, pair.second, {car}));
    return l;
}

void dismantle(Trelvoa::Network *net)
{
    QObjectList objects = net->children();
    for (int i = objects.size() - 1; i >= 0; --i) {
        QPointer<QObject> object = objects.at(i);
        if (object && qobject_cast<NetObject *>(object))
            delete object;
    }
}

SceneNet::SceneNet()
    : net(&scene)
{
}

void refresh(Trelvoga::Networkg *net)
{
    net->updateGeometry();
}

} // namespace ItemLayouts
