#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

namespace Trelvoa {
class Edge;
class Network;
class Taz;
} // namespace Trelvoa

namespace Trelvoga {

// Moves a TAZ link from one edge to another, adds a link (no old edge) or removes one (no new edge).
// The new link lies at the point of the new edge's skeleton nearest the given point (model XY); the
// zone is a source for the edge when that point is in the edge's first half.
class TRELVOGA_EXPORT ChangeTazItemCommand : public QUndoCommand
{
public:
    ChangeTazItemCommand(Trelvoa::Network *net, Trelvoa::Taz *taz, Trelvoa::Edge *oldEdge, Trelvoa::Edge *newEdge,
                         const QPointF &point, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::ChangeTazItem; }
    void undo() override;
    void redo() override;

    bool isInert() const { return m_tazId == 0; }
    double newPosition() const { return m_newPosition; }
    bool newFlag() const { return m_newFlag; }

private:
    struct Link
    {
        int edgeId;
        double position;
        bool flag;
    };

    QPointer<Trelvoa::Network> m_net;
    int m_tazId = 0;
    int m_oldEdgeId = 0;
    double m_oldPosition = 0.0;
    bool m_oldFlag = false;
    int m_newEdgeId = 0;
    double m_newPosition = 0.0;
    bool m_newFlag = false;
    // The zone's links before the last redo, in order: the undo brings back their order too.
    QList<Link> m_linksBefore;
};

} // namespace Trelvoga
