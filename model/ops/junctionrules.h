#pragma once

#include "lane.h"

#include <QPair>
#include <QPointF>
#include <QVector>

// Rules shared by the topology operations (connection making, node insertion, joining); not part of
// the library's interface.
namespace Trelvoa {

class Connection;
class Edge;
class Node;

namespace JunctionRules {

using LanePair = QPair<Lane *, Lane *>;

// The vehicle classes connections are made for, one at a time: every class but pedestrians, who
// cross junctions on crosswalks and walking areas instead.
const QVector<Lane::VehicleClass> &connectionClasses();

// The unit direction of travel of `edge` just outside the junction shape at `node` (one of its
// ends), taken over the last (first) ten metres there so that kinks of the skeleton inside the
// junction and small wiggles do not count.
QPointF travelDirection(const Edge *edge, const Node *node);
// The turn from `in` into `out` at the node where `in` ends: degrees counter-clockwise in (-180, 180],
// 0 straight on, positive a left turn.
double turnAngle(const Edge *in, const Edge *out);

// The live lanes of an edge that allow the class, rightmost first.
QVector<Lane *> lanesFor(const Edge *edge, Lane::VehicleClass vehicleClass);

// Lane pairs of a straight movement from `from` to `to` (both rightmost first, same class): one to
// one when the counts agree; else spread in proportion, so that every lane on either side takes part
// (a lane fans out into several when the road widens, several merge into one when it narrows).
QVector<LanePair> spreadStraight(const QVector<Lane *> &from, const QVector<Lane *> &to);
// The straight lane pairs between two edges for every connection class, each pair once.
QVector<LanePair> straightPairs(const Edge *in, const Edge *out);

// A new connection at the junction, registered when the junction is; turns get at most 20 km/h.
Connection *addConnection(Node *junction, Lane *from, Lane *to, bool straight);

} // namespace JunctionRules
} // namespace Trelvoa
