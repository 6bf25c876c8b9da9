#include "commands/changesgcontentcommand.h"

#include "connection.h"
#include "crosswalk.h"
#include "network.h"
#include "signalgroup.h"

namespace Trelvoga {

ChangeSgContentCommand::ChangeSgContentCommand(Trelvoa::Network *net, Trelvoa::SignalGroup *sg,
                                               const QList<Trelvoa::Connection *> &connections,
                                               const QList<Trelvoa::CrossWalk *> &crossWalks, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    if (!net || !sg)
        return;
    m_sgId = sg->id();
    for (Trelvoa::Connection *c : connections) {
        if (c)
            m_newConnections.append(c->id());
    }
    for (Trelvoa::CrossWalk *w : crossWalks) {
        if (w)
            m_newCrossWalks.append(w->id());
    }
    for (Trelvoa::Connection *c : sg->connections())
        m_oldConnections.append(c->id());
    for (Trelvoa::CrossWalk *w : sg->crossWalks())
        m_oldCrossWalks.append(w->id());
    setText(QStringLiteral("Change content of signal group %1").arg(sg->printableName()));
}

void ChangeSgContentCommand::redo()
{
    apply(m_newConnections, m_newCrossWalks);
}

void ChangeSgContentCommand::undo()
{
    apply(m_oldConnections, m_oldCrossWalks);
}

void ChangeSgContentCommand::apply(const QList<int> &connections, const QList<int> &crossWalks)
{
    auto *sg = m_net ? m_net->findObject<Trelvoa::SignalGroup>(m_sgId) : nullptr;
    if (!sg)
        return;
    sg->clearContent();
    for (int id : connections) {
        if (auto *c = m_net->findObject<Trelvoa::Connection>(id))
            sg->addConnection(c);
    }
    for (int id : crossWalks) {
        if (auto *w = m_net->findObject<Trelvoa::CrossWalk>(id))
            sg->addCrossWalk(w);
    }
}

} // namespace Trelvoga
