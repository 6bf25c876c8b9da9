#pragma once

// Road layouts for the item tests, built through the model's public calls on a scene network.

#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "node.h"
#include "stopline.h"

#include "scene/networkg.h"

#include <QGraphicsScene>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>

namespace ItemLayouts {

using namespace Trelvoa;

constexpr int car = Lane::DefaultClasses;
constexpr int pedestrian = 0x100000;
constexpr int tram = 0x2000;
constexpr double sidewalkWidth = 2.5;

struct Layout
{
    Trelvoa::Network *net = nullptr;
    QMap<QString, Node *> nodes;
    QMap<QString, Edge *> edges; // "A>B"
    QMap<QString, EdgeGroup *> groups;

    Node *node(const QString &name) const { return nodes.value(name); }
    Edge *edge(const QString &from, const QString &to) const { return edges.value(from + QLatin1Char('>') + to); }
};

Node *addNode(Layout &l, const QString &name, const QPointF &pos, int type = Node::PlainNode);
// An edge with one lane per entry of `classes` (index 0 the rightmost), 3.5 wide (sidewalks 2.5).
Edge *addEdge(Layout &l, const QString &from, const QString &to, const QList<int> &classes);

// Signalised junction "C" at (0, 0) with arms "N" (0, 100), "E" (100, 0), "S" (0, -100), "W" (-100, 0):
// every arm a two-way road, each direction a sidewalk (exactly the pedestrian class) on the outside and
// two car lanes; each direction of the west arm has a tram lane next to the centre as well.
Layout fourArm(Trelvoa::Network *net);
// Plain nodes "A" (0, 0) and "B" (200, 0), group "AB" with a skeleton bent through (100, 40), plain node
// "M" attached to the group at its middle, and one lane each way from A to M and M to B.
Layout attachedNode(Trelvoa::Network *net);

// Deletes the network's objects one by one, newest first, as undoing their creation would: every
// removal deletes the object's items while the scene still holds them.
void dismantle(Trelvoa::Network *net);

// A scene network on its own scene; the network goes first.
struct SceneNet
{
    SceneNet();
    QGraphicsScene scene;
    Trelvoga::Networkg net;
};

// The items of a scene network are refreshed by a timer; tests refresh them at once.
void refresh(Trelvoga::Networkg *net);

template<class Item>
Item *itemOf(Trelvoga::Networkg *net, Trelvoa::NetObject *object);

} // namespace ItemLayouts

template<class Item>
Item *ItemLayouts::itemOf(Trelvoga::Networkg *net, Trelvoa::NetObject *object)
{
    return dynamic_cast<Item *>(net->object2item(object));
}
