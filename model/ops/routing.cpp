// Network::findRoute and the course search routes use: Dijkstra over edges (an edge is reached at its
// start, the cost of taking it is its length) with a binary heap, expanding each edge's successors at
// its end node on the fly, so that no graph has to be kept up to date with the model.

#include "connection.h"
#include "edge.h"
#include "network.h"
#include "node.h"
#include "ops/routefinder.h"
#include "stopline.h"

#include <QCoreApplication>
#include <QHash>

#include <queue>
#include <vector>

namespace Trelvoa {

namespace RouteFinder {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::Network", text);
}

bool laneUsable(const Lane *lane, Lane::VehicleClasses classes)
{
    return !lane->isRemoved() && (classes == Lane::vcIgnoring || lane->allows(classes));
}

bool edgeUsable(const Edge *edge, Lane::VehicleClasses classes)
{
    if (edge->isRemoved())
        return false;
    for (const Lane *lane : edge->lanes()) {
        if (laneUsable(lane, classes))
            return true;
    }
    return false;
}

// Exact class tests: the searched classes have no subclasses, and a pointer comparison is much
// cheaper than qobject_cast in the search's inner loop.
bool isConnection(const QObject *object)
{
    return object->metaObject() == &Connection::staticMetaObject;
}

// The lane of a line; a stopline is always a child of its lane.
const Lane *laneOf(const Stopline *line)
{
    return line ? static_cast<const Lane *>(line->parent()) : nullptr;
}

bool hasConnections(const Node *node)
{
    for (const QObject *c : node->children()) {
        if (isConnection(c))
            return true;
    }
    return false;
}

// Calls f(next) for every edge the course may take after `edge` (an edge may come more than once).
template<class F>
void forEachNext(const Edge *edge, Lane::VehicleClasses classes, F f)
{
    Node *node = edge->end();
    if (!node)
        return;
    if (hasConnections(node)) {
        for (const Lane *lane : edge->lanes()) {
            if (!laneUsable(lane, classes))
                continue;
            // The referrers of the stopline, not Stopline::connections(): no list is built per lane.
            const Stopline *line = lane->stopline();
            for (const NetObject *holder : line->referrers()) {
                if (!isConnection(holder))
                    continue;
                const auto *c = static_cast<const Connection *>(holder);
                if (c->from() != line)
                    continue;
                const Lane *to = laneOf(c->to());
                if (!to || !laneUsable(to, classes))
                    continue;
                Edge *next = to->edge();
                if (next && !next->isRemoved() && next->start() == node)
                    f(next);
            }
        }
        return;
    }
    // Without connections any edge leaving the node goes on; turning back only at a dead end.
    Edge *back = nullptr;
    bool onwards = false;
    for (Edge *next : node->edges()) {
        if (next->start() != node || !edgeUsable(next, classes))
            continue;
        if (next->end() == edge->start()) {
            back = next;
            continue;
        }
        onwards = true;
        f(next);
    }
    if (!onwards && back)
        f(back);
}

// The edges after `from` up to and including `to`; empty when `to` cannot be reached.
QList<Edge *> shortestPath(Edge *from, Edge *to, Lane::VehicleClasses classes)
{
    struct Label
    {
        double distance;
        Edge *previous;
        double length; // of the edge, measured once per search
        bool done;
    };
    struct Item
    {
        double distance;
        int id; // ties go the same way on every run
        Edge *edge;
        bool operator>(const Item &other) const
        {
            return distance != other.distance ? distance > other.distance : id > other.id;
        }
    };
    QHash<const Edge *, Label> labels;
    labels.reserve(1024);
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    labels.insert(from, {0.0, nullptr, 0.0, false});
    heap.push({0.0, from->id(), from});
    bool found = false;
    while (!heap.empty()) {
        const Item top = heap.top();
        heap.pop();
        Label &label = labels[top.edge];
        if (label.done || top.distance > label.distance)
            continue;
        label.done = true;
        if (top.edge == to) {
            found = true;
            break;
        }
        forEachNext(top.edge, classes, [&](Edge *next) {
            auto it = labels.find(next);
            if (it == labels.end()) {
                const double length = next->length();
                const double distance = top.distance + length;
                labels.insert(next, {distance, top.edge, length, false});
                heap.push({distance, next->id(), next});
                return;
            }
            const double distance = top.distance + it->length;
            if (!it->done && distance < it->distance) {
                it->distance = distance;
                it->previous = top.edge;
            } else {
                return;
            }
            heap.push({distance, next->id(), next});
        });
    }
    QList<Edge *> path;
    if (!found)
        return path;
    for (Edge *e = to; e != from; e = labels.value(e).previous)
        path.prepend(e);
    return path;
}

} // namespace

QList<Edge *> findCourse(const QList<Edge *> &edges, Lane::VehicleClasses classes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QList<Edge *>();
    };
    if (edges.isEmpty())
        return fail(tr("A route needs at least one edge"));
    for (const Edge *e : edges) {
        if (!e)
            return fail(tr("A route cannot pass a missing edge"));
        if (!edgeUsable(e, classes))
            return fail(tr("%1 has no lane for these vehicles").arg(e->printableName()));
    }
    QList<Edge *> course{edges.first()};
    for (int i = 1; i < edges.size(); ++i) {
        Edge *from = course.last();
        Edge *to = edges.at(i);
        if (to == from)
            continue;
        const QList<Edge *> path = shortestPath(from, to, classes);
        if (path.isEmpty())
            return fail(tr("No course leads from %1 to %2").arg(from->printableName(), to->printableName()));
        course += path;
    }
    return course;
}

} // namespace RouteFinder

QList<Edge *> Network::findRoute(const QList<Edge *> &edges, Lane::VehicleClasses classes)
{
    for (const Edge *e : edges) {
        if (e && e->network() != this) {
            m_errorString = tr("%1 is not in this network").arg(e->printableName());
            return {};
        }
    }
    QString error;
    const QList<Edge *> course = RouteFinder::findCourse(edges, classes, &error);
    if (course.isEmpty())
        m_errorString = error;
    return course;
}

} // namespace Trelvoa
