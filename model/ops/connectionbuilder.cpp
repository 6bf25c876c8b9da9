// Node::makeConnections: the standard lane connections of a junction.
//
// For each incoming edge and each vehicle class, the outgoing edges whose lanes allow the class are
// ordered by turn angle from the sharpest right to the sharpest left; the one closest to straight on
// (within 45 degrees) is the straight movement, those to its right are right turns, those to its left
// left turns. Turnarounds (back onto the opposite edge, or turning by 170 degrees or more) are left
// out unless nothing else is possible.
//
// The incoming lanes are laid out right to left in that order: each turn takes one lane, the straight
// movement as many as its edge has lanes. When the approach has fewer lanes, the turns share: first the
// right turns join the lane to their left (right + straight on the rightmost lane), then the left turns
// join the lane to their right (straight + left on the leftmost lane), then the straight movement
// narrows. Spare lanes widen the straight movement (or, without one, the turn into the widest road).
// Within its lanes a straight movement spreads lane to lane (JunctionRules::spreadStraight); a right
// turn runs from its rightmost lanes into the rightmost lanes of its road, a left turn from its
// leftmost into the leftmost.

#include "connection.h"
#include "edge.h"
#include "node.h"
#include "ops/junctionrules.h"
#include "stopline.h"

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {

using JunctionRules::LanePair;

const double kStraightBand = 45.0;
const double kTurnaroundAngle = 170.0;

enum class Turn { Right, Straight, Left, Turnaround };

struct Movement
{
    Lane *from;
    Lane *to;
    Turn kind;
};

struct Candidate
{
    Edge *edge;
    double angle;
    QVector<Lane *> lanes; // of the class, rightmost first
    Turn kind = Turn::Straight;
    int width = 1;
    bool shared = false; // its first lane is the last lane of the candidate before it
};

bool isTurnaround(const Edge *in, const Edge *out, double angle)
{
    return out->end() == in->start() || std::abs(angle) >= kTurnaroundAngle;
}

// Lays the candidates (right to left) over n incoming lanes; returns the first lane of each.
QVector<int> layOut(QVector<Candidate> &c, int n)
{
    int straight = -1;
    for (int j = 0; j < c.size(); ++j) {
        if (c.at(j).kind == Turn::Straight)
            straight = j;
    }
    auto used = [&c] {
        int u = 0;
        for (const Candidate &x : c)
            u += x.width - (x.shared ? 1 : 0);
        return u;
    };
    for (Candidate &x : c)
        x.width = x.kind == Turn::Straight ? std::max(1, int(x.lanes.size())) : 1;

    const int rights = straight >= 0 ? straight : int(std::count_if(c.begin(), c.end(), [](const Candidate &x) {
        return x.kind == Turn::Right;
    }));
    // Right turns join the lane to their left, the innermost first.
    for (int j = rights - 1; j >= 0 && used() > n; --j) {
        if (j + 1 < c.size())
            c[j + 1].shared = true;
    }
    // Left turns join the lane to their right, the innermost first.
    const int firstLeft = straight >= 0 ? straight + 1 : rights;
    for (int j = std::max(firstLeft, 1); j < c.size() && used() > n; ++j)
        c[j].shared = true;
    if (straight >= 0) {
        while (used() > n && c.at(straight).width > 1)
            --c[straight].width;
    }
    while (used() < n) {
        int widen = straight;
        if (widen < 0) {
            widen = c.size() - 1;
            for (int j = c.size() - 1; j >= 0; --j) {
                if (c.at(j).lanes.size() - c.at(j).width > c.at(widen).lanes.size() - c.at(widen).width)
                    widen = j;
            }
        }
        ++c[widen].width;
    }
    QVector<int> first;
    int next = 0;
    for (int j = 0; j < c.size(); ++j) {
        const int start = c.at(j).shared && j > 0 ? next - 1 : next;
        first.append(start);
        next = start + c.at(j).width;
    }
    return first;
}

// The movements of one class from one incoming edge.
void movementsOf(Edge *in, Lane::VehicleClass vehicleClass, const QList<Edge *> &outgoing,
                 QVector<Movement> *movements)
{
    const QVector<Lane *> inLanes = JunctionRules::lanesFor(in, vehicleClass);
    if (inLanes.isEmpty())
        return;
    QVector<Candidate> candidates;
    QVector<Candidate> turnarounds;
    for (Edge *out : outgoing) {
        Candidate c{out, JunctionRules::turnAngle(in, out), JunctionRules::lanesFor(out, vehicleClass)};
        if (c.lanes.isEmpty())
            continue;
        if (isTurnaround(in, out, c.angle)) {
            c.kind = Turn::Turnaround;
            turnarounds.append(c);
        } else {
            candidates.append(c);
        }
    }
    if (candidates.isEmpty()) {
        if (!turnarounds.isEmpty()) {
            // The lane next to the centre line turns into the lane next to the centre line.
            const Candidate &u = turnarounds.first();
            movements->append({inLanes.last(), u.lanes.last(), Turn::Turnaround});
        }
        return;
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.angle < b.angle; });
    int straight = -1;
    for (int j = 0; j < candidates.size(); ++j) {
        const double a = std::abs(candidates.at(j).angle);
        if (a <= kStraightBand && (straight < 0 || a < std::abs(candidates.at(straight).angle)))
            straight = j;
    }
    for (int j = 0; j < candidates.size(); ++j) {
        Candidate &c = candidates[j];
        if (straight >= 0)
            c.kind = j < straight ? Turn::Right : j == straight ? Turn::Straight : Turn::Left;
        else
            c.kind = c.angle < 0.0 ? Turn::Right : Turn::Left;
    }

    const int n = inLanes.size();
    const QVector<int> first = layOut(candidates, n);
    for (int j = 0; j < candidates.size(); ++j) {
        const Candidate &c = candidates.at(j);
        const QVector<Lane *> block = inLanes.mid(first.at(j), c.width);
        const QVector<Lane *> &to = c.lanes;
        const int w = block.size();
        const int m = to.size();
        switch (c.kind) {
        case Turn::Straight:
            for (const LanePair &p : JunctionRules::spreadStraight(block, to))
                movements->append({p.first, p.second, Turn::Straight});
            break;
        case Turn::Right:
            for (int t = 0; t < w; ++t)
                movements->append({block.at(t), to.at(std::min(t, m - 1)), Turn::Right});
            break;
        case Turn::Left:
            for (int t = 0; t < w; ++t)
                movements->append({block.at(w - 1 - t), to.at(std::max(0, m - 1 - t)), Turn::Left});
            break;
        case Turn::Turnaround:
            break;
        }
    }
}

} // namespace

void Node::makeConnections()
{
    // A plain node has no junction area and no stoplines in use: nothing to connect there.
    if (!isJunction())
        return;
    const QList<Edge *> outgoing = outgoingEdges();
    QVector<Movement> wanted;
    for (Edge *in : incomingEdges()) {
        for (Lane::VehicleClass c : JunctionRules::connectionClasses()) {
            QVector<Movement> found;
            movementsOf(in, c, outgoing, &found);
            for (const Movement &m : qAsConst(found)) {
                const bool known = std::any_of(wanted.begin(), wanted.end(), [&m](const Movement &w) {
                    return w.from == m.from && w.to == m.to;
                });
                if (!known)
                    wanted.append(m);
            }
        }
    }

    // Connections that are already there keep their identity and what the user set on them (speed,
    // skeleton, signal groups, detectors); the others go.
    QVector<bool> present(wanted.size(), false);
    for (Connection *c : connections()) {
        int match = -1;
        for (int i = 0; i < wanted.size() && match < 0; ++i) {
            if (!present.at(i) && c->from() == wanted.at(i).from->stopline() && c->to() == wanted.at(i).to->startline())
                match = i;
        }
        if (match >= 0)
            present[match] = true;
        else
            delete c;
    }
    for (int i = 0; i < wanted.size(); ++i) {
        if (!present.at(i))
            JunctionRules::addConnection(this, wanted.at(i).from, wanted.at(i).to, wanted.at(i).kind == Turn::Straight);
    }
}

} // namespace Trelvoa
