#include "opslayouts.h"

#include "sumo/sumonetimporter.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace OpsLayouts {

Edge *Layout::edge(const QString &from, const QString &to) const
{
    const Node *a = node(from);
    const Node *b = node(to);
    if (!a || !b)
        return nullptr;
    for (Edge *e : a->outgoingEdges()) {
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
    auto *e = new Edge(l.net, l.node(from), l.node(to));
    for (int i = 0; i < lanes; ++i)
        new Lane(e);
    l.net->addItem(e);
    return e;
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

Layout fourArm(Network *net, bool grouped)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("C"), QPointF(0, 0), Node::SignalisedJunction);
    const QStringList arms{QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("S"), QStringLiteral("W")};
    const QList<QPointF> at{QPointF(0, 100), QPointF(100, 0), QPointF(0, -100), QPointF(-100, 0)};
    for (int i = 0; i < arms.size(); ++i) {
        addNode(l, arms.at(i), at.at(i), Node::PlainNode);
        addRoad(l, arms.at(i), QStringLiteral("C"), 2, grouped);
    }
    return l;
}

Layout tJunction(Network *net)
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

void collectObjects(NetObject *object, QList<NetObject *> *list)
{
    if (!object || list->contains(object))
        return;
    list->append(object);
    for (NetObject *linked : object->linkedObjects())
        collectObjects(linked, list);
    for (QObject *c : object->children()) {
        if (auto *child = qobject_cast<NetObject *>(c))
            collectObjects(child, list);
    }
}

QByteArray saveAll(Network *net)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    if (!net->save(writer))
        return "save failed: " + net->errorString().toUtf8();
    return data;
}

QByteArray saveFragment(Network *net, const QList<NetObject *> &objects)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    if (!net->save(writer, objects))
        return QByteArray();
    return data;
}

bool loadFragment(Network *net, const QByteArray &data, QString *error)
{
    QXmlStreamReader reader(data);
    if (net->load(reader, true))
        return true;
    if (error)
        *error = net->errorString();
    return false;
}

QString firstDifference(const QByteArray &before, const QByteArray &after)
{
    if (before == after)
        return QString();
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    int line = 0;
    while (line < a.size() && line < b.size() && a.at(line) == b.at(line))
        ++line;
    return QStringLiteral("line %1:\n  before: %2\n  after:  %3")
        .arg(line + 1)
        .arg(QString::fromUtf8(a.value(line)), QString::fromUtf8(b.value(line)));
}

Network *importNetwork(const QString &relative, QString *error)
{
    auto *net = new Network;
    if (!importSumoNetwork(net, QStringLiteral(TRELVO_DATA_DIR "/") + relative)) {
        if (error)
            *error = net->errorString();
        delete net;
        return nullptr;
    }
    return net;
}

} // namespace OpsLayouts
