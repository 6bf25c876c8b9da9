#pragma once

// The road layouts of layouts.h seen the way the zone, detector, route and grouping tests use them,
// and a network that records its hooks.

#include "geo/geohelpers.h"
#include "layouts.h"

#include <QPointer>
#include <QVector>

namespace ObjectsFixture {

using namespace Trelvoa;

// Records the hooks so that tests can tell which objects the model announced.
class RecordingNetwork : public Network
{
public:
    QVector<NetObject *> changed;
    QVector<NetObject *> removed; // compared only, never dereferenced

    void objectChanged(NetObject *object, int flags) override
    {
        changed.append(object);
        Network::objectChanged(object, flags);
    }
    void onRemoveObject(NetObject *object) override
    {
        removed.append(object);
        Network::onRemoveObject(object);
    }
    void resetRecords()
    {
        changed.clear();
        removed.clear();
    }
    bool wasChanged(const NetObject *o) const { return changed.contains(const_cast<NetObject *>(o)); }
    bool wasRemoved(const NetObject *o) const { return removed.contains(const_cast<NetObject *>(o)); }
};

// The four-arm signalised junction of Layouts::fourArm with its arms indexed W, E, S, N.
struct Cross
{
    Layouts::Layout layout;
    Node *centre = nullptr;
    QVector<Node *> arms;  // W, E, S, N
    QVector<Edge *> in;    // arm -> centre
    QVector<Edge *> out;   // centre -> arm
    QVector<CrossWalk *> crossWalks; // on the arms W, E, S, N

    explicit Cross(Network &net)
        : layout(Layouts::fourArm(&net))
    {
        centre = layout.node(QStringLiteral("C"));
        const QStringList names{QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("S"),
                                QStringLiteral("N")};
        for (const QString &arm : names) {
            arms.append(layout.node(arm));
            in.append(layout.edge(arm, QStringLiteral("C")));
            out.append(layout.edge(QStringLiteral("C"), arm));
            for (CrossWalk *w : qAsConst(layout.crossWalks)) {
                if (w->name() == QStringLiteral("X") + arm)
                    crossWalks.append(w);
            }
        }
    }
    // A connection from arm i to arm j (straight on, or a turn), or null.
    Connection *connection(int i, int j) const
    {
        for (Connection *c : layout.connections) {
            if (c->startLane()->edge() == in.at(i) && c->endLane()->edge() == out.at(j))
                return c;
        }
        return nullptr;
    }
};

// Junctions N0, N1, ... 100 m apart along the x axis with two-way roads of 2 + 2 lanes between them.
struct Chain
{
    Layouts::Layout layout;
    QVector<Node *> nodes;
    QVector<Edge *> forward;  // N0>N1, N1>N2, ...
    QVector<Edge *> backward; // N1>N0, N2>N1, ...

    explicit Chain(Network &net, int count = 4)
    {
        layout.net = &net;
        for (int i = 0; i < count; ++i)
            nodes.append(Layouts::addNode(layout, name(i), QPointF(100.0 * i, 0), Node::Junction));
        for (int i = 0; i + 1 < count; ++i) {
            Layouts::addRoad(layout, name(i), name(i + 1), 2);
            forward.append(layout.edge(name(i), name(i + 1)));
            backward.append(layout.edge(name(i + 1), name(i)));
        }
    }
    static QString name(int i) { return QStringLiteral("N%1").arg(i); }
};

inline bool near(const QPointF &a, const QPointF &b, double tolerance = 1e-6)
{
    return qAbs(a.x() - b.x()) <= tolerance && qAbs(a.y() - b.y()) <= tolerance;
}

} // namespace ObjectsFixture
