#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include "geo/geopolyline.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Edge;
class EdgeGroup;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Puts ungrouped edges into a group; they take their skeletons from it. An edge's own skeleton is kept
// for the undo. Edges that already belong to a group are left out.
class TRELVOGA_EXPORT AddEdgeToGroupCommand : public QUndoCommand
{
public:
    AddEdgeToGroupCommand(Trelvoa::Network *net, Trelvoa::EdgeGroup *group, const QList<Trelvoa::Edge *> &edges,
                          QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::AddEdgeToGroup; }
    void undo() override;
    void redo() override;

    QList<int> edgeIds() const { return m_edgeIds; }

private:
    QPointer<Trelvoa::Network> m_net;
    int m_groupId = 0;
    QList<int> m_edgeIds;
    QMap<int, Trelvoa::GeoPolyline> m_skeletons;
};

} // namespace Trelvoga
