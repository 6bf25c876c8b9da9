#include "commands/changetazitemcommand.h"

#include "edge.h"
#include "network.h"
#include "taz.h"

namespace Trelvoga {

ChangeTazItemCommand::ChangeTazItemCommand(Trelvoa::Network *net, Trelvoa::Taz *taz, Trelvoa::Edge *oldEdge,
                                           Trelvoa::Edge *newEdge, const QPointF &point, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    if (!net || !taz)
        return;
    if (oldEdge) {
        const Trelvoa::Taz::EdgeData *data = taz->edgeData(oldEdge);
        if (!data)
            return;
        m_oldEdgeId = oldEdge->id();
        m_oldPosition = data->position;
        m_oldFlag = data->flag;
    }
    if (newEdge) {
        m_newEdgeId = newEdge->id();
        const Trelvoa::GeoPolyline skeleton = newEdge->skeleton();
        skeleton.pointOn(point, &m_newPosition, true);
        m_newFlag = m_newPosition < skeleton.length() / 2;
    }
    if (!m_oldEdgeId && !m_newEdgeId)
        return;
    m_tazId = taz->id();
    if (m_oldEdgeId && m_newEdgeId)
        setText(QStringLiteral("Change TAZ %1 connections").arg(m_tazId));
    else if (m_newEdgeId)
        setText(QStringLiteral("Add new connection to TAZ %1").arg(m_tazId));
    else
        setText(QStringLiteral("Remove connection from TAZ %1").arg(m_tazId));
}

void ChangeTazItemCommand::redo()
{
    auto *taz = m_net && m_tazId ? m_net->findObject<Trelvoa::Taz>(m_tazId) : nullptr;
    if (!taz)
        return;
    m_linksBefore.clear();
    for (Trelvoa::Edge *edge : taz->edges()) {
        if (const Trelvoa::Taz::EdgeData *data = taz->edgeData(edge))
            m_linksBefore.append({edge->id(), data->position, data->flag});
    }
    if (m_oldEdgeId) {
        if (auto *oldEdge = m_net->findObject<Trelvoa::Edge>(m_oldEdgeId))
            taz->removeEdge(oldEdge);
    }
    if (auto *newEdge = m_newEdgeId ? m_net->findObject<Trelvoa::Edge>(m_newEdgeId) : nullptr)
        taz->addEdge(newEdge, m_newPosition, m_newFlag);
}

void ChangeTazItemCommand::undo()
{
    auto *taz = m_net && m_tazId ? m_net->findObject<Trelvoa::Taz>(m_tazId) : nullptr;
    if (!taz)
        return;
    auto *oldEdge = m_oldEdgeId ? m_net->findObject<Trelvoa::Edge>(m_oldEdgeId) : nullptr;
    auto *newEdge = m_newEdgeId ? m_net->findObject<Trelvoa::Edge>(m_newEdgeId) : nullptr;
    if (!m_linksBefore.isEmpty()) {
        // Relinked in their former order, so the zone is exactly as before.
        for (Trelvoa::Edge *edge : taz->edges())
            taz->removeEdge(edge);
        for (const Link &link : qAsConst(m_linksBefore)) {
            if (auto *edge = m_net->findObject<Trelvoa::Edge>(link.edgeId))
                taz->addEdge(edge, link.position, link.flag);
        }
        return;
    }
    if (oldEdge) {
        if (newEdge && newEdge != oldEdge)
            taz->removeEdge(newEdge);
        taz->addEdge(oldEdge, m_oldPosition, m_oldFlag);
    } else if (newEdge) {
        taz->removeEdge(newEdge);
    }
}

} // namespace Trelvoga
