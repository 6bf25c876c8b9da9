#pragma once

// Real road layouts built through the model's public calls, shared by every test area.

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include <QFlags>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QStringList>

namespace Layouts {

using namespace Trelvoa;

// Lane classes of the layouts with sidewalks and tram lanes.
constexpr int car = Lane::DefaultClasses;
constexpr int pedestrian = Lane::vcPedestrian;
constexpr int tram = Lane::vcTram;
constexpr double sidewalkWidth = 2.5;

// What a junction layout is built with; the default is the full layout.
enum Option {
    Standard = 0,
    // No connections at the junctions.
    NoConnections = 0x1,
    // fourArm: no crosswalks.
    NoCrossWalks = 0x2,
    RoadsOnly = NoConnections | NoCrossWalks,
    // fourArm: the two directions of each arm in an edge group from the arm to "C", named "NC", "EC"...
    Grouped = 0x4,
    // fourArm: each direction a sidewalk (exactly the pedestrian class, 2.5 m) on the outside and two
    // car lanes; each direction of the west arm has a tram lane next to the centre as well. Meant with
    // RoadsOnly: the standard connections and crosswalks assume car lanes only.
    Sidewalks = 0x8,
};
Q_DECLARE_FLAGS(Options, Option)

// The named objects of a built layout; the network owns them.
struct Layout
{
    Network *net = nullptr;
    QMap<QString, Node *> nodes;
    QMap<QString, Edge *> edges; // "A>B" for the edge built from node A to node B
    QMap<QString, EdgeGroup *> groups;
    QList<Connection *> connections;
    QList<CrossWalk *> crossWalks;

    Node *node(const QString &name) const { return nodes.value(name); }
    // The edge that now leads from node `from` to node `to`: the one built under that name when it
    // still does, else any other (an operation may have split, re-created or reconnected edges); null
    // when there is none. With either node deleted, the edge built under that name.
    Edge *edge(const QString &from, const QString &to) const;
};

// A node named `name`, added to the network.
Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type = Node::PlainNode);
// An edge named "from>to" with `lanes` lanes of 3.5 m (default classes), added to the network.
Edge *addEdge(Layout &l, const QString &from, const QString &to, int lanes);
// An edge named "from>to" with one lane per entry of `classes` (index 0 the rightmost), 3.5 m wide
// (sidewalks 2.5 m), added to the network.
Edge *addEdge(Layout &l, const QString &from, const QString &to, const QList<int> &classes);
// Both directions between two nodes; with `group` they share an edge group from `a` to `b` named "ab".
void addRoad(Layout &l, const QString &a, const QString &b, int lanes, bool group = false);

// Connections at a junction by turn: straight ahead lane i to lane i, right turns from lane 0 to lane 0,
// left turns from the last lane to the last lane; no turnarounds. Returns those made.
QList<Connection *> connectJunction(Layout &l, Node *junction);
// The turn angle (degrees counter-clockwise, (-180, 180]) from edge `in` into edge `out` at their node.
double turnAngle(const Edge *in, const Edge *out);

// Signalised junction "C" at (0, 0) with arms to plain nodes "N" (0, 100), "E" (100, 0), "S" (0, -100)
// and "W" (-100, 0); every arm a two-way road of 2 + 2 lanes; standard connections; a crosswalk on each
// arm 2 m behind the stoplines, from the outer incoming lane to the outer outgoing lane ("XN"...).
Layout fourArm(Network *net, Options options = Standard);
// Junction "C" (type 1) at (0, 0) with arms to "W", "E" and "S" as above; 2 + 2 lanes; connections.
Layout tJunction(Network *net, Options options = Standard);
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

// "In>Out:i>j" for each connection through the node, sorted ("S>C:0>C>E:0" reads lane 0 of S>C to
// lane 0 of C>E), edges named by their nodes' names.
QStringList connectionTable(const Node *junction);
// "From>To" by the names of the edge's nodes (their ids when unnamed).
QString edgeName(const Edge *edge);

// Every object of the network, in id order.
QList<NetObject *> objectsById(const Network *net);

// Deletes the network's objects one by one, newest first, as undoing their creation would.
void dismantle(Network *net);

} // namespace Layouts

Q_DECLARE_OPERATORS_FOR_FLAGS(Layouts::Options)
