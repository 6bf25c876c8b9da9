#include "ops/junctionrules.h"

#include "connection.h"
#include "edge.h"
#include "network.h"
#include "node.h"
#include "roadgeometry.h"
#include "stopline.h"

#include <algorithm>
#include <cmath>

namespace Trelvoa {
namespace JunctionRules {

namespace {

// The stretch of road next to a junction whose direction counts for the turn.
const double kApproachLength = 10.0;
// Turns slower than this; straight movements keep the lanes' speed.
const double kTurnSpeed = 20.0;

QPointF pointAt(const GeoPolyline &line, double distance)
{
    QPointF p = line.first();
    line.lineAtDistance(distance, true, &p);
    return p;
}

} // namespace

const QVector<Lane::VehicleClass> &connectionClasses()
{
    static const QVector<Lane::VehicleClass> classes{
        Lane::vcPrivate, Lane::vcEmergency, Lane::vcPassenger, Lane::vcBus, Lane::vcTruck,
        Lane::vcTram, Lane::vcTrolleybus, Lane::vcMotorcycle, Lane::vcBicycle,
    };
    return classes;
}

QPointF travelDirection(const Edge *edge, const Node *node)
{
    const GeoPolyline line = edge->skeleton();
    const double length = line.length();
    if (line.count() < 2 || length <= 0.0)
        return QPointF();
    const bool entering = edge->end() == node;
    double cut = node && node->isJunction() ? RoadGeometry::exitDistance(line, node->shape(), !entering) : 0.0;
    if (cut >= length)
        cut = 0.0;
    QPointF a;
    QPointF b;
    if (entering) {
        b = pointAt(line, length - cut);
        a = pointAt(line, std::max(0.0, length - cut - kApproachLength));
    } else {
        a = pointAt(line, cut);
        b = pointAt(line, std::min(length, cut + kApproachLength));
    }
    QPointF d = RoadGeometry::unit(b - a);
    if (d.isNull())
        d = RoadGeometry::unit(line.last() - line.first());
    return d;
}

double turnAngle(const Edge *in, const Edge *out)
{
    const Node *node = in->end();
    return RoadGeometry::signedAngle(travelDirection(in, node), travelDirection(out, node));
}

QVector<Lane *> lanesFor(const Edge *edge, Lane::VehicleClass vehicleClass)
{
    QVector<Lane *> list;
    for (Lane *l : edge->lanes()) {
        if (!l->isRemoved() && l->allows(vehicleClass))
            list.append(l);
    }
    return list;
}

QVector<LanePair> spreadStraight(const QVector<Lane *> &from, const QVector<Lane *> &to)
{
    QVector<LanePair> pairs;
    const int w = from.size();
    const int m = to.size();
    if (w == 0 || m == 0)
        return pairs;
    for (int t = 0; t < w; ++t) {
        if (w <= m) {
            for (int k = t * m / w; k < (t + 1) * m / w; ++k)
                pairs.append(LanePair(from.at(t), to.at(k)));
        } else {
            pairs.append(LanePair(from.at(t), to.at(t * m / w)));
        }
    }
    return pairs;
}

QVector<LanePair> straightPairs(const Edge *in, const Edge *out)
{
    QVector<LanePair> pairs;
    for (Lane::VehicleClass c : connectionClasses()) {
        for (const LanePair &p : spreadStraight(lanesFor(in, c), lanesFor(out, c))) {
            if (!pairs.contains(p))
                pairs.append(p);
        }
    }
    return pairs;
}

Connection *addConnection(Node *junction, Lane *from, Lane *to, bool straight)
{
    auto *c = new Connection(junction, from->stopline(), to->startline());
    const double speed = std::min(from->maxSpeed(), to->maxSpeed());
    c->setMaxSpeed(straight ? speed : std::min(speed, kTurnSpeed));
    if (Network *net = junction->network())
        net->addItem(c);
    return c;
}

} // namespace JunctionRules
} // namespace Trelvoa
