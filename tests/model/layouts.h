#pragma once

// Real road layouts built through the model's public calls, shared by the road tests.

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>

namespace Layouts {

using namespace Trelvoa;

// The named objects of a built layout; the network owns them.
struct Layout
{
    Network *net = nullptr;
    QMap<QString, Node *> nodes;
    QMap<QString, Edge *> edges; // "A>B" for the edge from node A to node B
    QMap<QString, EdgeGroup *> groups;
    QList<Connection *> connections;
    QList<CrossWalk *> crossWalks;

    Node *node(const QString &name) const { return nodes.value(name); }
    Edge *edge(const QString &from, const QString &to) const { return edges.value(from + QLatin1Char('>') + to); }
};

// A node added to the network.
Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type);
// An edge with `lanes` lanes of 3.5 m, added to the network.
Edge *addEdge(Layout &l, const QString &from, const QString &to, int lanes);
// Both directions between two nodes; with `group` they share an edge group from `a` to `b`.
void addRoad(Layout &l, const QString &a, const QString &b, int lanes, bool group = false);

// Connections at a junction by turn: straight ahead lane i to lane i, right turns from lane 0 to lane 0,
// left turns from the last lane to the last lane; no turnarounds. Returns those made.
QList<Connection *> connectJunction(Layout &l, Node *junction);
// The turn angle (degrees counter-clockwise, (-180, 180]) from edge `in` into edge `out` at their node.
double turnAngle(const Edge *in, const Edge *out);

// Signalised junction "C" at (0, 0) with arms to plain nodes "N" (0, 100), "E" (100, 0), "S" (0, -100)
// and "W" (-100, 0); every arm a two-way road of 2 + 2 lanes; standard connections; a crosswalk on
// each arm 2 m behind the stoplines, from the outer incoming lane to the outer outgoing lane.
Layout fourArm(Network *net);
// Junction "C" (type 1) at (0, 0) with arms to "W", "E" and "S" as above; 2 + 2 lanes; connections.
Layout tJunction(Network *net);
// Plain nodes "A" (0, 0) and "B" (200, 0), a two-way road of 1 + 1 lanes in group "AB" with a curved
// custom skeleton through (100, 40), and plain node "M" attached to the group at its middle that splits
// both directions ("A>M", "M>B", "B>M", "M>A").
Layout twoWayGroup(Network *net);
// "A" (0, 0) plain, "B" (100, 0) junction type 1, "C" (200, 10) plain; one-way edges A>B, B>C of 2 lanes
// and the connections through B.
Layout chain(Network *net);
// Six junctions "R0".."R5" (type 1) on a circle of radius 40 around (0, 0), a one-way ring of 1 lane
// counter-clockwise, each with an arm to a plain node "X0".."X5" 100 m out (1 + 1 lanes) and the
// connections: ring to ring, arm to ring, ring to arm.
Layout roundabout(Network *net);

// Every object of the network, in id order.
QList<NetObject *> objectsById(const Network *net);

} // namespace Layouts
