#include "commands/removejuncwithjoincommand.h"

#include "connection.h"
#include "edge.h"
#include "edgegroup.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include "geo/geopolyline.h"

#include <QCoreApplication>
#include <utility>

namespace Trelvoga {

namespace {

// The two edges through a node in the edge case: (incoming, outgoing) when they run through it in one
// direction, else false.
bool throughEdges(const Trelvoa::Node *node, Trelvoa::Edge **in, Trelvoa::Edge **out)
{
    Trelvoa::Edge *e0 = node->edge(0);
    Trelvoa::Edge *e1 = node->edge(1);
    if (!e0 || !e1)
        return false;
    if (e0->start() == node && e1->end() == node)
        std::swap(e0, e1);
    if (e0->end() != node || e1->start() != node)
        return false;
    *in = e0;
    *out = e1;
    return true;
}

// Connections at the far end of `from` that leave its lanes now leave the lanes with the same index of
// `to`. Lanes of `from` beyond the lane count of `to` keep their connections (they go with `from`).
void repointConnections(Trelvoa::Edge *from, Trelvoa::Edge *to)
{
    for (Trelvoa::Connection *connection : from->end()->connections()) {
        Trelvoa::Lane *lane = connection->startLane();
        if (!lane || lane->edge() != from || !lane->hasStopline(nullptr))
            continue;
        Trelvoa::Lane *kept = to->lane(from->laneIndex(lane));
        if (kept && kept->hasStopline(nullptr))
            connection->setFrom(kept->stopline());
    }
}

void joinEdges(Trelvoa::Edge *in, Trelvoa::Edge *out)
{
    repointConnections(out, in);
    Trelvoa::EdgeGroup *group = in->group() && in->group() == out->group() ? in->group() : nullptr;
    if (!(group && in->autoSkeleton() && out->autoSkeleton())) {
        Trelvoa::GeoPolyline skeleton = in->skeleton();
        skeleton += out->skeleton();
        in->setSkeleton(skeleton);
    }
    in->setEnd(out->end());
    if (group)
        group->removeEdge(out);
}

void joinGroups(const Trelvoa::Node *node, Trelvoa::EdgeGroup *g0, Trelvoa::EdgeGroup *g1)
{
    Trelvoa::GeoPolyline skeleton;
    if (g0->end() == node && g1->start() == node) {
        skeleton = g0->skeleton();
        g0->setEnd(g1->end());
        skeleton += g1->skeleton();
        g0->setSkeleton(skeleton);
    } else if (g0->end() == node && g1->end() == node) {
        skeleton = g0->skeleton();
        g0->setEnd(g1->start());
        skeleton += g1->skeleton().inverted();
        g0->setSkeleton(skeleton);
    } else if (g0->start() == node && g1->start() == node) {
        skeleton = g1->skeleton().inverted();
        skeleton += g0->skeleton();
        g0->setStart(g1->end());
        g0->setSkeleton(skeleton);
    } else if (g0->start() == node && g1->end() == node) {
        skeleton = g1->skeleton();
        skeleton += g0->skeleton();
        g0->setStart(g1->start());
        g0->setSkeleton(skeleton);
    }

    const QList<Trelvoa::Edge *> edges0 = g0->edges();
    const QList<Trelvoa::Edge *> edges1 = g1->edges();
    for (Trelvoa::Edge *a : edges0) {
        for (Trelvoa::Edge *b : edges1) {
            if (a->end() == node && b->start() == node) {
                repointConnections(b, a);
                g1->removeEdge(b);
                a->setEnd(b->end());
            } else if (b->end() == node && a->start() == node) {
                repointConnections(a, b);
                g1->removeEdge(b);
                b->setEnd(a->end());
                g0->addEdge(b);
                g0->removeEdge(a);
            }
        }
    }
}

} // namespace

RemoveJuncWithJoinCommand::RemoveJuncWithJoinCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                                                     QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    for (Trelvoa::Node *node : junctions) {
        if (!node)
            continue;
        m_ids.append(node->id());
        m_positions.append(node->pos());
    }
    if (junctions.size() == 1 && junctions.first())
        setText(QCoreApplication::translate("Trelvoga::RemoveJuncWithJoinCommand", "Remove junction %1 with join")
                    .arg(junctions.first()->printableName()));
    else if (junctions.size() >= 2)
        setText(QCoreApplication::translate("Trelvoga::RemoveJuncWithJoinCommand", "Remove %1 junctions with join")
                    .arg(junctions.size()));
}

bool RemoveJuncWithJoinCommand::qualifies(const Trelvoa::Node *node)
{
    return node && node->type() != 0 && (node->edgesCount() == 2 || node->edgeGroups().size() == 2);
}

void RemoveJuncWithJoinCommand::redo()
{
    if (!m_net)
        return;
    QList<int> joins;
    QList<Trelvoa::NetObject *> saves;
    // Per joined junction: what goes once it is joined.
    QList<QList<int>> deletions;
    for (int id : qAsConst(m_ids)) {
        Trelvoa::Node *node = m_net->findObject<Trelvoa::Node>(id);
        if (!qualifies(node))
            continue;
        const QList<Trelvoa::EdgeGroup *> groups = node->edgeGroups();
        if (groups.size() == 2) {
            Trelvoa::EdgeGroup *g0 = groups.at(0);
            Trelvoa::EdgeGroup *g1 = groups.at(1);
            joins.append(node->id());
            saves << node << g0 << g1;
            for (Trelvoa::Edge *edge : g0->edges())
                saves.append(edge);
            for (Trelvoa::Edge *edge : g1->edges())
                saves.append(edge);
            for (Trelvoa::Connection *connection : node->connections())
                saves.append(connection);
            for (Trelvoa::Connection *connection : g0->start()->connections())
                saves.append(connection);
            for (Trelvoa::Connection *connection : g1->end()->connections())
                saves.append(connection);
            deletions.append({node->id()});
        } else {
            Trelvoa::Edge *in = nullptr;
            Trelvoa::Edge *out = nullptr;
            if (!throughEdges(node, &in, &out))
                continue;
            joins.append(node->id());
            saves << node << in << out;
            if (in->group() && in->group() == out->group())
                saves.append(in->group());
            for (Trelvoa::Connection *connection : node->connections())
                saves.append(connection);
            for (Trelvoa::Connection *connection : out->end()->connections())
                saves.append(connection);
            deletions.append({node->id(), out->id()});
        }
    }
    // What the deletions take along or change beyond these objects (crosswalks and walking areas on the
    // removed lanes, routes through the removed edge) has to come back on undo as well.
    QList<Trelvoa::NetObject *> collected;
    for (Trelvoa::NetObject *object : qAsConst(saves))
        collectObjects(object, collected);
    m_snapshot.save(m_net, collected);

    // Each junction goes right after its join, so that the next one in a chain of them sees only its
    // own two edges. At once, not deleteLater(): an undo that comes before the event loop runs (a
    // macro, a script) would reload the objects and then lose them to the pending deletion.
    for (int i = 0; i < joins.size(); ++i) {
        Trelvoa::Node *node = m_net->findObject<Trelvoa::Node>(joins.at(i));
        if (!node)
            continue;
        const QList<Trelvoa::EdgeGroup *> groups = node->edgeGroups();
        if (groups.size() == 2) {
            joinGroups(node, groups.at(0), groups.at(1));
        } else {
            Trelvoa::Edge *in = nullptr;
            Trelvoa::Edge *out = nullptr;
            if (throughEdges(node, &in, &out))
                joinEdges(in, out);
        }
        for (int id : deletions.at(i)) {
            if (Trelvoa::NetObject *object = m_net->findObject(id))
                delete object;
        }
    }
}

void RemoveJuncWithJoinCommand::undo()
{
    if (!m_net || m_snapshot.isEmpty())
        return;
    if (!m_snapshot.restore(m_net))
        return;
    const int count = qMin(m_ids.size(), m_positions.size());
    for (int i = 0; i < count; ++i) {
        if (auto *node = m_net->findObject<Trelvoa::Node>(m_ids.at(i)))
            node->setPos(m_positions.at(i));
    }
}

} // namespace Trelvoga
