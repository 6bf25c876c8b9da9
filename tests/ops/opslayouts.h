#pragma once

// Road layouts built through the model's public calls, and the snapshot steps the editor's undo
// commands take, for the topology operation tests.

#include "connection.h"
#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace OpsLayouts {

using namespace Trelvoa;

struct Layout
{
    Network *net = nullptr;
    QMap<QString, Node *> nodes;
    QMap<QString, EdgeGroup *> groups;

    Node *node(const QString &name) const { return nodes.value(name); }
    // The edge from node `from` to node `to` (by node names), or null.
    Edge *edge(const QString &from, const QString &to) const;
};

Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type);
// An edge of `lanes` lanes of 3.5 m (default classes, 50 km/h), added to the network.
Edge *addEdge(Layout &l, const QString &from, const QString &to, int lanes);
// Both directions of a road; with `group` in an edge group from `a` to `b` named "ab".
void addRoad(Layout &l, const QString &a, const QString &b, int lanes, bool group = false);

// Junction "C" (signalised) at (0, 0), plain nodes "N" (0, 100), "E" (100, 0), "S" (0, -100),
// "W" (-100, 0); every arm a two-way road of 2 + 2 lanes (grouped when `grouped`); no connections.
Layout fourArm(Network *net, bool grouped = false);
// Junction "C" (type 1) at (0, 0) with arms to "W", "E" and "S" as above; no connections.
Layout tJunction(Network *net);

// "In>Out:i>j" for each connection through the node, sorted ("S>C:0>C>E:0" reads lane 0 of S>C to
// lane 0 of C>E), edges named by their nodes' names.
QStringList connectionTable(const Node *junction);
QString edgeName(const Edge *edge);

// The editor's object collection: the object, its linked objects, then its model children, each once.
void collectObjects(NetObject *object, QList<NetObject *> *list);
QByteArray saveAll(Network *net);
QByteArray saveFragment(Network *net, const QList<NetObject *> &objects);
bool loadFragment(Network *net, const QByteArray &data, QString *error);
// The first line where two saves differ, or an empty string.
QString firstDifference(const QByteArray &before, const QByteArray &after);

// The network at TRELVO_DATA_DIR/relative imported from SUMO; null (with *error) on failure.
Network *importNetwork(const QString &relative, QString *error);

} // namespace OpsLayouts
