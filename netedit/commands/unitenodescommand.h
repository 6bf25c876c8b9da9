#pragma once

#include "commands/commandid.h"
#include "trelvoga_global.h"

#include "geo/geopolyline.h"

#include <QList>
#include <QMap>
#include <QUndoCommand>

#include <memory>

namespace Trelvoa {
class Network;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

class RemoveCommand;

// Merges nodes into the first of them: every edge and edge group of the others moves its end onto the
// first node, and the others are removed. Doing command: redo() performs the merge; undo brings the
// removed nodes back with their ids and puts every moved end back.
class TRELVOGA_EXPORT UniteNodesCommand : public QUndoCommand
{
public:
    UniteNodesCommand(Trelvoa::Network *net, const QList<Trelvoa::Node *> &nodes);
    ~UniteNodesCommand() override;

    int id() const override { return CommandId::UniteNodes; }
    void undo() override;
    void redo() override;

private:
    // An edge or edge group as it was before its first end moved.
    struct Record
    {
        int startId = 0;
        int endId = 0;
        bool autoSkeleton = true;
        // Only taken when the skeleton is the object's own.
        Trelvoa::GeoPolyline skeleton;
    };

    template<class T>
    void restore(T *object, const Record &record) const;

    Trelvoa::Network *m_net;
    QList<int> m_ids;
    QMap<int, Record> m_edges;
    QMap<int, Record> m_groups;
    std::unique_ptr<RemoveCommand> m_removal;
};

} // namespace Trelvoga
