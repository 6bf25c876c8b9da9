#include "commands/adjuststoplinesoffset.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include "geo/geohelpers.h"
#include "geo/geopolyline.h"

#include <QCoreApplication>
#include <QLineF>

namespace Trelvoga {

namespace {

// Clearance kept between a line and the point where the neighbouring road crosses its lane border.
constexpr double margin = 5.0;

// The line of a lane at node `at` when it is in use there: its stopline when the lane ends there, its
// start line when it starts there.
Trelvoa::Stopline *nodeEndLine(const Trelvoa::Lane *lane, bool leaves)
{
    Trelvoa::Stopline *line = nullptr;
    if (leaves)
        lane->hasStartline(&line);
    else
        lane->hasStopline(&line);
    return line;
}

} // namespace

AdjustStoplinesOffset::AdjustStoplinesOffset(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                                             QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    if (!m_net || junctions.isEmpty())
        return;
    for (Trelvoa::Node *junction : junctions) {
        if (!junction)
            continue;
        m_ids.append(junction->id());
        for (Trelvoa::Edge *edge : junction->edges()) {
            const bool atEnd = edge->end() == junction;
            for (Trelvoa::Lane *lane : edge->lanes()) {
                Trelvoa::Stopline *line = atEnd ? lane->stopline() : lane->startline();
                if (!line)
                    continue;
                if (line->autoDistance())
                    m_auto.append(line->id());
                else
                    m_before.insert(line->id(), line->distance());
            }
        }
    }
    if (junctions.size() == 1 && junctions.first())
        setText(QCoreApplication::translate("Trelvoga::AdjustStoplinesOffset", "Adjust stoplines offset for node '%1'")
                    .arg(junctions.first()->id()));
    else
        setText(QCoreApplication::translate("Trelvoga::AdjustStoplinesOffset", "Adjust stoplines offset for %1 nodes")
                    .arg(junctions.size()));
}

void AdjustStoplinesOffset::redo()
{
    if (!m_net)
        return;
    if (!m_after.isEmpty()) {
        for (auto it = m_after.cbegin(); it != m_after.cend(); ++it) {
            if (auto *line = m_net->findObject<Trelvoa::Stopline>(it.key()))
                line->setDistance(it.value());
        }
        return;
    }
    for (int id : qAsConst(m_ids)) {
        if (auto *node = m_net->findObject<Trelvoa::Node>(id))
            adjust(node);
    }
}

void AdjustStoplinesOffset::adjust(Trelvoa::Node *node)
{
    const QList<Trelvoa::Edge *> edges = node->edges();
    const QList<Trelvoa::Edge *> sorted = node->sortedEdges().values();
    bool noPair = true;

    // Moves the line of `lane` at the node back to `margin` beyond where `crossing` lies along it.
    auto setBack = [&](Trelvoa::Lane *lane, bool leaves, const QPointF &crossing) {
        double s = 0.0;
        lane->fullSkeleton().pointOn(crossing, &s, leaves, nullptr, nullptr);
        s += margin;
        if (lane->fullLength() - s < margin)
            return;
        if (Trelvoa::Stopline *line = nodeEndLine(lane, leaves)) {
            line->setDistance(s);
            m_after.insert(line->id(), s);
        }
        noPair = false;
    };

    for (int i = 0; i < sorted.size(); ++i) {
        Trelvoa::Edge *e = sorted.at(i);
        Trelvoa::Edge *f = sorted.at((i + 1) % sorted.size());
        if (e->lanesCount() == 0)
            continue;
        const bool eLeaves = e->end() != node;
        Trelvoa::Lane *a = eLeaves ? e->lane(0) : e->lane(e->lanesCount() - 1);
        if (!a)
            continue;
        const Trelvoa::GeoPolyline lineA = a->fullSkeleton().parallel(-a->width() * 0.5, true);
        if (f == e || f->lanesCount() == 0)
            continue;
        const bool fLeaves = f->end() != node;
        Trelvoa::Lane *b = fLeaves ? f->lane(f->lanesCount() - 1) : f->lane(0);
        if (!b)
            continue;
        Trelvoa::GeoPolyline lineB = b->fullSkeleton().parallel(-b->width() * 0.5, true);
        if (fLeaves)
            lineB.invert();
        bool flag = false;
        const QPointF crossing = lineA.intersection(lineB, &flag);
        if (!Trelvoa::pointIsValid(crossing))
            continue;
        const double d = QLineF(node->pos(), crossing).length();
        if (d < a->fullLength())
            setBack(a, eLeaves, crossing);
        if (d < b->fullLength())
            setBack(b, fLeaves, crossing);
    }

    if (noPair) {
        for (Trelvoa::Edge *edge : edges) {
            const bool leaves = edge->end() != node;
            for (Trelvoa::Lane *lane : edge->lanes()) {
                if (Trelvoa::Stopline *line = nodeEndLine(lane, leaves)) {
                    line->setDistance(margin);
                    m_after.insert(line->id(), margin);
                }
            }
        }
        return;
    }

    // The inner lanes in even steps between the outer ones; lanes without a line at the node (and
    // edges whose outer lanes have none) are left alone.
    for (Trelvoa::Edge *edge : sorted) {
        const int n = edge->lanesCount();
        if (n <= 2)
            continue;
        const bool leaves = edge->end() != node;
        Trelvoa::Stopline *first = nodeEndLine(edge->lane(0), leaves);
        Trelvoa::Stopline *last = nodeEndLine(edge->lane(n - 1), leaves);
        if (!first || !last)
            continue;
        const double d0 = first->distance();
        const double dn = last->distance();
        for (int i = 1; i < n - 1; ++i) {
            if (Trelvoa::Stopline *line = nodeEndLine(edge->lane(i), leaves)) {
                const double distance = d0 - i * (d0 - dn) / (n - 1);
                line->setDistance(distance);
                m_after.insert(line->id(), distance);
            }
        }
    }
}

void AdjustStoplinesOffset::undo()
{
    if (!m_net)
        return;
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it) {
        if (auto *line = m_net->findObject<Trelvoa::Stopline>(it.key()))
            line->setDistance(it.value());
    }
    for (int id : qAsConst(m_auto)) {
        if (auto *line = m_net->findObject<Trelvoa::Stopline>(id))
            line->setAutoDistance(true);
    }
}

} // namespace Trelvoga
