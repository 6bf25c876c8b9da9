#include "editor/modes/addedgegroupmode.h"

#include "editor/editcontext.h"
#include "editor/modes/roadbuilder.h"
#include "scene/networkg.h"

#include "edge.h"
#include "edgegroup.h"
#include "node.h"

namespace Trelvoga {

AddEdgeGroupMode::AddEdgeGroupMode(EditContext *context)
    : RoadMode(context, ModeAddEdgeGroup, QStringLiteral("addEdgeGroup"),
               QStringLiteral(":/trelvoga/cursors/add_edge_cursor.png"), 0, 0)
{
}

void AddEdgeGroupMode::connectTo(Trelvoa::Node *node)
{
    Trelvoa::Node *start = startNode();
    if (!start || !node || start == node)
        return;
    Networkg *net = context()->net();
    auto *group = new Trelvoa::EdgeGroup(net, start, node);
    if (!addToNetwork(group))
        return;
    QList<Trelvoa::NetObject *> added{group};
    for (auto [from, to] : {std::pair{start, node}, std::pair{node, start}}) {
        Trelvoa::Edge *edge = makeEdge(from, to, context()->templateEdge());
        if (!addToNetwork(edge)) {
            // Half a two-way road is not what was asked for: nothing stays.
            for (int i = added.size() - 1; i >= 0; --i)
                delete added.at(i);
            return;
        }
        edge->setChanged(nullptr, 15);
        group->addEdge(edge);
        added.append(edge);
    }
    group->setChanged(nullptr, 3);
    start->setChanged(nullptr, 15);
    node->setChanged(nullptr, 15);
    setChainedStart(node);
    commit(added);
}

QString AddEdgeGroupMode::hint() const
{
    if (!startNode())
        return tr("Click the first node of the two-way road");
    return tr("Click the next node of the two-way road (Escape ends)");
}

QString AddEdgeGroupMode::cancelledText() const
{
    return tr("Road not drawn: the mode was left after its first node");
}

} // namespace Trelvoga
