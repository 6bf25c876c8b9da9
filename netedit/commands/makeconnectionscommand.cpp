#include "commands/makeconnectionscommand.h"

#include "connection.h"
#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include <QCoreApplication>

namespace Trelvoga {

MakeConnectionsCommand::MakeConnectionsCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &junctions,
                                               QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    setText(QCoreApplication::translate("Trelvoga::MakeConnectionsCommand", "Make connections"));
    saveState(junctions, true);
}

void MakeConnectionsCommand::saveState(const QList<Trelvoa::Node *> &junctions, bool before)
{
    // The connections of one state are what the other state's load must not find.
    QList<int> &deleteIds = before ? m_change.redoDeleteIds : m_change.undoDeleteIds;
    QList<Trelvoa::NetObject *> list;
    for (Trelvoa::Node *junction : junctions) {
        if (!junction)
            continue;
        list.append(junction);
        for (int e = junction->edgesCount() - 1; e >= 0; --e) {
            Trelvoa::Edge *edge = junction->edge(e);
            for (int l = edge->lanesCount() - 1; l >= 0; --l) {
                Trelvoa::Lane *lane = edge->lane(l);
                if (!lane->hasStopline(nullptr))
                    continue;
                Trelvoa::Stopline *line = lane->stopline();
                for (int c = line->connectionCount() - 1; c >= 0; --c) {
                    Trelvoa::Connection *connection = line->connection(c);
                    if (connection->junction() != junction)
                        continue;
                    list.append(connection);
                    deleteIds.append(connection->id());
                }
            }
        }
    }
    (before ? m_change.before : m_change.after).save(m_net, list);
}

void MakeConnectionsCommand::undo()
{
    m_change.undo(m_net);
}

void MakeConnectionsCommand::redo()
{
    m_change.redo(m_net);
}

} // namespace Trelvoga
