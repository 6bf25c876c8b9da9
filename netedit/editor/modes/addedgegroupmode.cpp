#include "editor/modes/addedgegroupmode.h"

#include "commands/genericcommands.h"
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
    if (!net->addItem(group)) {
        context()->log(net->errorString(), QtCriticalMsg);
        delete group;
        return;
    }
    QList<Trelvoa::NetObject *> added{group};
    for (auto [from, to] : {std::pair{start, node}, std::pair{node, start}}) {
        Trelvoa::Edge *edge = makeDefaultEdge(from, to);
        if (!net->addItem(edge)) {
            delete edge;
            continue;
        }
        edge->setChanged(nullptr, 15);
        group->addEdge(edge);
        added.append(edge);
    }
    group->setChanged(nullptr, 3);
    start->setChanged(nullptr, 15);
    node->setChanged(nullptr, 15);
    setStartNode(node);
    NetEdit *edit = context()->edit();
    context()->record([edit, added] { return new AddItemCommand(edit, added); });
}

} // namespace Trelvoga
