// Network::joinNodes and Network::insertNode: topology changes that keep the road usable the way it
// was.
//
// Splitting an edge keeps the edge (its id, lanes and everything at its start) as the first part and
// gives the second part, from the new junction on, a copy of the lane layout together with what lies
// beyond the split: the stopline settings and connections at the far junction, the crosswalks and
// walking-area items there, detectors and public-transport stops past the split, zone links and
// turning percentages of the far junction's movements. Routes that name the edge name both parts.

#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "network.h"
#include "node.h"
#include "ops/junctionrules.h"
#include "ptstop.h"
#include "route.h"
#include "stopline.h"
#include "taz.h"
#include "trafficstate.h"
#include "walkingarea.h"

#include <QSet>

#include <cmath>

namespace Trelvoa {

namespace {

// No part of a split may be shorter than this (metres).
const double kMinPart = 0.01;
// An outgoing edge continues an incoming one when it turns by no more than this (degrees).
const double kContinuingAngle = 45.0;

QPointF pointAt(const GeoPolyline &line, double distance)
{
    QPointF p = line.first();
    line.lineAtDistance(distance, true, &p);
    return p;
}

double distanceOf(const GeoPolyline &line, const QPointF &p)
{
    double d = 0.0;
    line.pointOn(p, &d, true, nullptr, nullptr);
    return d;
}

template<class T>
void addOnce(QVector<T *> *list, T *item)
{
    if (item && !list->contains(item))
        list->append(item);
}

// The holders of references to an object that are of kind T.
template<class T>
QVector<T *> holdersOf(const NetObject *target)
{
    QVector<T *> list;
    for (NetObject *holder : target->referrers())
        addOnce(&list, qobject_cast<T *>(holder));
    return list;
}

// One edge split in two at a point: what is recorded before anything changes, then applied.
class EdgeSplit
{
public:
    void record(Edge *edge, double position);
    // Makes the second part from `node` to the far end (joining `partGroup` when given) and moves what
    // lies beyond the split onto it; the edge then ends at `node`.
    void build(Network *net, Node *node, EdgeGroup *partGroup);
    // Once every split at the node is built: detectors and stops onto the second part (their places
    // depend on the new junction's final shape), the connections through the node, the routes.
    void finish(Node *node);

    Edge *edge() const { return m_edge; }
    Edge *part() const { return m_part; }

private:
    struct LaneRecord
    {
        Lane *lane = nullptr;
        bool stopAuto = true;
        double stopDistance = 0.0;
        double fixedEndCut = -1.0; // the cut at the far junction goes with the part
        QVector<QPair<Detector *, QPointF>> detectors; // past the split, with their start point
        QVector<QPair<PtStop *, QPointF>> stops;
        QVector<Connection *> connections; // leaving at the far junction
        QVector<CrossWalk *> crossWalks;   // at the far junction
    };

    Edge *m_edge = nullptr;
    Edge *m_part = nullptr;
    Node *m_far = nullptr;
    double m_position = 0.0;
    bool m_custom = false;
    GeoPolyline m_first;
    GeoPolyline m_second;
    QVector<LaneRecord> m_lanes;
    QVector<WalkingArea *> m_walkingAreas;
    QVector<TrafficState *> m_states;
    QVector<Taz *> m_zones;
    QVector<Route *> m_routes;
};

void EdgeSplit::record(Edge *edge, double position)
{
    m_edge = edge;
    m_far = edge->end();
    m_position = position;
    m_custom = !edge->autoSkeleton();
    const GeoPolyline skeleton = edge->skeleton();
    m_first = skeleton.part(0.0, position, true);
    m_second = skeleton.part(position, skeleton.length(), true);
    const QPointF at = pointAt(skeleton, position);

    for (Lane *lane : edge->lanes()) {
        LaneRecord r;
        r.lane = lane;
        r.stopAuto = lane->stopline()->autoDistance();
        r.stopDistance = lane->stopline()->distance();
        r.fixedEndCut = lane->fixedEndCut();
        const GeoPolyline full = lane->fullSkeleton();
        const double split = distanceOf(full, at);
        const double startCut = lane->startCut();
        for (QObject *c : lane->children()) {
            if (auto *d = qobject_cast<Detector *>(c)) {
                const double from = startCut + d->distance();
                if (from >= split)
                    r.detectors.append({d, pointAt(full, from)});
            } else if (auto *s = qobject_cast<PtStop *>(c)) {
                if (s->distance() >= split)
                    r.stops.append({s, pointAt(full, s->distance())});
            }
        }
        for (Connection *c : lane->stopline()->connections())
            r.connections.append(c);
        for (CrossWalk *w : holdersOf<CrossWalk>(lane)) {
            if (w->junction() == m_far)
                r.crossWalks.append(w);
        }
        for (WalkingArea *a : holdersOf<WalkingArea>(lane))
            addOnce(&m_walkingAreas, a);
        for (WalkingArea *a : holdersOf<WalkingArea>(lane->stopline()))
            addOnce(&m_walkingAreas, a);
        m_lanes.append(r);
    }
    for (TrafficState *s : holdersOf<TrafficState>(edge)) {
        for (const TrafficState::Movement &m : s->turnPercentages()) {
            if (m.from == edge) {
                addOnce(&m_states, s);
                break;
            }
        }
    }
    for (Taz *z : holdersOf<Taz>(edge)) {
        const Taz::EdgeData *data = z->edgeData(edge);
        if (data && data->position > position)
            addOnce(&m_zones, z);
    }
    for (Route *r : holdersOf<Route>(edge)) {
        if (r->controlEdges().contains(edge))
            addOnce(&m_routes, r);
    }
}

void EdgeSplit::build(Network *net, Node *node, EdgeGroup *partGroup)
{
    auto *part = new Edge(net, node, m_far);
    m_part = part;
    part->setLanesOffset(m_edge->lanesOffset());
    part->setStreetName(m_edge->streetName());
    if (m_custom)
        part->setSkeleton(m_second);
    for (const LaneRecord &r : qAsConst(m_lanes)) {
        auto *lane = new Lane(part);
        lane->setWidth(r.lane->width());
        lane->setMaxSpeed(r.lane->maxSpeed());
        lane->setAllowed(r.lane->allowed());
        if (!r.stopAuto)
            lane->stopline()->setDistance(r.stopDistance);
        lane->setFixedEndCut(r.fixedEndCut);
    }
    net->addItem(part);
    if (partGroup)
        partGroup->addEdge(part);

    for (int i = 0; i < m_lanes.size(); ++i) {
        const LaneRecord &r = m_lanes.at(i);
        Lane *lane = part->lane(i);
        for (Connection *c : r.connections)
            c->setFrom(lane->stopline());
        for (CrossWalk *w : r.crossWalks) {
            if (w->lane1() == r.lane)
                w->setLane1(lane);
            if (w->lane2() == r.lane)
                w->setLane2(lane);
        }
    }
    // Walking-area items at the far junction now name the second part's lines and lanes.
    for (WalkingArea *area : qAsConst(m_walkingAreas)) {
        QVector<WalkingArea::Item> replaced;
        const QList<WalkingArea::Item *> items = area->items();
        for (int k = items.size() - 1; k >= 0; --k) {
            const WalkingArea::Item *item = items.at(k);
            for (int i = 0; i < m_lanes.size(); ++i) {
                Lane *old = m_lanes.at(i).lane;
                Lane *lane = part->lane(i);
                if (item->line() == old->stopline()) {
                    replaced.prepend(WalkingArea::Item(lane->stopline()));
                } else if (item->crossWalk() && item->lane() == old && m_lanes.at(i).crossWalks.contains(item->crossWalk())) {
                    replaced.prepend(WalkingArea::Item(item->crossWalk(), lane, item->atFirstEnd()));
                } else {
                    continue;
                }
                area->removeItemAt(k);
                break;
            }
        }
        for (const WalkingArea::Item &item : qAsConst(replaced))
            area->addItem(item);
    }

    m_edge->setEnd(node);
    if (m_custom)
        m_edge->setSkeleton(m_first);
    for (const LaneRecord &r : qAsConst(m_lanes)) {
        r.lane->stopline()->setAutoDistance(true);
        r.lane->setFixedEndCut(-1.0);
    }

    for (TrafficState *s : qAsConst(m_states)) {
        for (const TrafficState::Movement &m : s->turnPercentages()) {
            if (m.from == m_edge) {
                s->removeTurnPercentage(m_edge, m.to);
                s->setTurnPercentage(part, m.to, m.percent);
            }
        }
    }
    for (Taz *z : qAsConst(m_zones)) {
        const Taz::EdgeData data = *z->edgeData(m_edge);
        z->removeEdge(m_edge);
        z->addEdge(part, data.position - m_position, data.flag);
    }
}

void EdgeSplit::finish(Node *node)
{
    for (const JunctionRules::LanePair &p : JunctionRules::straightPairs(m_edge, m_part))
        JunctionRules::addConnection(node, p.first, p.second, true);

    QSet<Detector *> moved;
    for (int i = 0; i < m_lanes.size(); ++i) {
        Lane *lane = m_part->lane(i);
        const GeoPolyline full = lane->fullSkeleton();
        for (const auto &d : m_lanes.at(i).detectors) {
            d.first->setParent(lane);
            d.first->setDistance(std::max(0.0, distanceOf(full, d.second) - lane->startCut()));
            d.first->setChanged(nullptr, ChangeFlag::All);
            moved.insert(d.first);
        }
        for (const auto &s : m_lanes.at(i).stops) {
            s.first->setParent(lane);
            s.first->setDistance(distanceOf(full, s.second));
            s.first->setChanged(nullptr, ChangeFlag::All);
        }
    }
    // A detector group goes with its detectors when they all went; otherwise those that went leave it.
    for (DetectorGroup *g : m_edge->findChildren<DetectorGroup *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QList<Detector *> detectors = g->detectors();
        int going = 0;
        for (Detector *d : detectors)
            going += moved.contains(d) ? 1 : 0;
        if (going == 0)
            continue;
        if (going == detectors.size()) {
            g->setParent(m_part);
            g->setChanged(nullptr, ChangeFlag::All);
        } else {
            for (Detector *d : detectors) {
                if (moved.contains(d))
                    g->removeDetector(d);
            }
        }
    }

    for (Route *r : qAsConst(m_routes)) {
        const QList<Edge *> control = r->controlEdges();
        for (int i = control.size() - 1; i >= 0; --i) {
            if (control.at(i) == m_edge)
                r->insertControlEdge(i + 1, m_part);
        }
    }
}

bool validPosition(double position, double length)
{
    return std::isfinite(position) && position >= kMinPart && position <= length - kMinPart;
}

} // namespace

Edge *Network::joinNodes(Node *first, Node *second)
{
    if (!first || !second) {
        m_errorString = tr("Two nodes are needed to join them");
        return nullptr;
    }
    if (first == second) {
        m_errorString = tr("%1 cannot be joined with itself").arg(first->printableName());
        return nullptr;
    }
    if (first->network() != this || second->network() != this) {
        m_errorString = tr("%1 and %2 are not both in this network").arg(first->printableName(), second->printableName());
        return nullptr;
    }
    for (Edge *e : first->edges()) {
        if (e->start() == second || e->end() == second) {
            m_errorString = tr("%1 and %2 are already joined by %3")
                                .arg(first->printableName(), second->printableName(), e->printableName());
            return nullptr;
        }
    }

    // The new edge continues the road that ends at the first node.
    Edge *road = nullptr;
    for (Edge *e : first->edges()) {
        if (e->end() == first && e->lanesCount() > 0) {
            road = e;
            break;
        }
    }
    auto *edge = new Edge(this, first, second);
    if (road) {
        edge->setLanesOffset(road->lanesOffset());
        edge->setStreetName(road->streetName());
        for (Lane *from : road->lanes()) {
            auto *lane = new Lane(edge);
            lane->setWidth(from->width());
            lane->setMaxSpeed(from->maxSpeed());
            lane->setAllowed(from->allowed());
        }
    } else {
        new Lane(edge);
        new Lane(edge);
    }
    addItem(edge);

    // At junctions that already route traffic by their connections, the road continues through them;
    // at the others routing needs none (and adding some would close their other movements).
    if (road && first->isJunction() && !first->connections().isEmpty()) {
        for (const JunctionRules::LanePair &p : JunctionRules::straightPairs(road, edge))
            JunctionRules::addConnection(first, p.first, p.second, true);
    }
    if (second->isJunction() && !second->connections().isEmpty()) {
        Edge *next = nullptr;
        double best = kContinuingAngle;
        for (Edge *out : second->outgoingEdges()) {
            if (out->end() == first || out->lanesCount() == 0)
                continue;
            const double a = std::abs(JunctionRules::turnAngle(edge, out));
            if (a <= best) {
                best = a;
                next = out;
            }
        }
        if (next) {
            for (const JunctionRules::LanePair &p : JunctionRules::straightPairs(edge, next))
                JunctionRules::addConnection(second, p.first, p.second, true);
        }
    }
    return edge;
}

Node *Network::insertNode(Edge *edge, double position)
{
    if (!edge || edge->network() != this || !edge->start() || !edge->end()) {
        m_errorString = tr("The edge to split is not in this network");
        return nullptr;
    }
    const GeoPolyline skeleton = edge->skeleton();
    const double length = skeleton.length();
    if (!validPosition(position, length)) {
        m_errorString = tr("%1 m is not inside %2 (%3 m long)")
                            .arg(position, 0, 'f', 2)
                            .arg(edge->printableName())
                            .arg(length, 0, 'f', 2);
        return nullptr;
    }
    EdgeSplit split;
    split.record(edge, position);

    auto *node = new Node(this, pointAt(skeleton, position), Node::Junction);
    addItem(node);
    // On a road whose skeleton the edge takes from its group, the junction sits on the group's
    // skeleton, so that both parts keep following it.
    EdgeGroup *group = edge->group();
    if (group && edge->autoSkeleton())
        node->setAttachedEdgeGroup(group);
    split.build(this, node, group);
    split.finish(node);
    return node;
}

Node *Network::insertNode(EdgeGroup *group, double position)
{
    if (!group || group->network() != this || !group->start() || !group->end()) {
        m_errorString = tr("The group of edges to split is not in this network");
        return nullptr;
    }
    const GeoPolyline skeleton = group->skeleton();
    const double length = skeleton.length();
    if (!validPosition(position, length)) {
        m_errorString = tr("%1 m is not inside %2 (%3 m long)")
                            .arg(position, 0, 'f', 2)
                            .arg(group->printableName())
                            .arg(length, 0, 'f', 2);
        return nullptr;
    }
    const QList<Node *> attached = group->attachedNodes();
    QVector<double> attachedAt;
    for (Node *n : attached) {
        const double d = group->nodeDistance(n);
        if (std::abs(d - position) < kMinPart) {
            m_errorString = tr("%1 already lies there").arg(n->printableName());
            return nullptr;
        }
        attachedAt.append(d);
    }
    const QPointF at = pointAt(skeleton, position);

    // The edges the junction splits, and those that lie wholly beyond it.
    QVector<EdgeSplit> splits;
    QVector<Edge *> beyond;
    QVector<bool> backwards;
    for (Edge *e : group->edges()) {
        const double ds = group->nodeDistance(e->start());
        const double de = group->nodeDistance(e->end());
        const GeoPolyline line = e->skeleton();
        const double d = e->autoSkeleton() ? std::abs(position - ds) : distanceOf(line, at);
        if (std::min(ds, de) + kMinPart <= position && position <= std::max(ds, de) - kMinPart
            && validPosition(d, line.length())) {
            EdgeSplit s;
            s.record(e, d);
            splits.append(s);
            backwards.append(ds > de);
        } else if ((ds + de) / 2.0 > position) {
            beyond.append(e);
        }
    }

    auto *node = new Node(this, at, Node::Junction);
    addItem(node);
    // Nodes on the road keep their places while the skeleton is cut.
    for (Node *n : attached)
        n->setAttachedEdgeGroup(nullptr);
    auto *second = new EdgeGroup(this, node, group->end());
    if (!group->autoSkeleton())
        second->setSkeleton(skeleton.part(position, length, true));
    addItem(second);

    // A forward edge keeps the part before the junction, a backward one the part beyond it.
    for (int i = 0; i < splits.size(); ++i) {
        splits[i].build(this, node, backwards.at(i) ? group : second);
        if (backwards.at(i))
            beyond.append(splits.at(i).edge());
    }
    for (Edge *e : qAsConst(beyond))
        second->addEdge(e);
    group->setEnd(node);
    if (!group->autoSkeleton())
        group->setSkeleton(skeleton.part(0.0, position, true));
    for (int i = 0; i < attached.size(); ++i)
        attached.at(i)->setAttachedEdgeGroup(attachedAt.at(i) < position ? group : second);
    for (EdgeSplit &s : splits)
        s.finish(node);
    return node;
}

} // namespace Trelvoa
