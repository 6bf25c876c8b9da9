#include "editor/modes/addedgemode.h"

#include "editor/editcontext.h"
#include "editor/modes/roadbuilder.h"
#include "scene/networkg.h"

#include "edge.h"
#include "edgegroup.h"
#include "node.h"

namespace Trelvoga {

AddEdgeMode::AddEdgeMode(EditContext *context)
    : RoadMode(context, ModeAddEdge, QStringLiteral("addEdge"),
               QStringLiteral(":/trelvoga/cursors/add_edge_cursor.png"), 0, 0)
{
}

void AddEdgeMode::connectTo(Trelvoa::Node *node)
{
    Trelvoa::Node *start = startNode();
    if (!start || !node || start == node)
        return;
    Networkg *net = context()->net();
    Trelvoa::Edge *edge = makeEdge(start, node, context()->templateEdge());
    if (!addToNetwork(edge))
        return;
    QList<Trelvoa::NetObject *> added{edge};

    // A road that already runs the other way between the two nodes becomes a two-way group.
    const QList<Trelvoa::EdgeGroup *> startGroups = start->edgeGroups();
    const QList<Trelvoa::EdgeGroup *> endGroups = node->edgeGroups();
    Trelvoa::EdgeGroup *group = nullptr;
    if (Trelvoa::EdgeGroup *attached = start->attachedEdgeGroup()) {
        if (endGroups.contains(attached))
            group = attached;
    } else if (Trelvoa::EdgeGroup *attached = node->attachedEdgeGroup()) {
        if (startGroups.contains(attached))
            group = attached;
    } else {
        for (Trelvoa::EdgeGroup *g : startGroups) {
            if (endGroups.contains(g)) {
                group = g;
                break;
            }
        }
        if (!group) {
            for (Trelvoa::Edge *back : start->edges()) {
                if (back != edge && back->start() == node && back->end() == start) {
                    auto *made = new Trelvoa::EdgeGroup(net, node, start);
                    if (addToNetwork(made)) {
                        made->addEdge(back);
                        made->addEdge(edge);
                        added.append(made);
                    }
                    break;
                }
            }
        }
    }
    if (group)
        group->addEdge(edge);

    if (start->type() != 0)
        start->setChanged(nullptr, Trelvoa::ChangeFlag::Geometry);
    if (node->type() != 0)
        node->setChanged(nullptr, Trelvoa::ChangeFlag::Geometry);
    setChainedStart(node);
    commit(added);
}

QString AddEdgeMode::hint() const
{
    if (!startNode())
        return tr("Click the first node of the edge");
    return tr("Click the second node of the edge (Escape ends)");
}

QString AddEdgeMode::cancelledText() const
{
    return tr("Edge not drawn: the mode was left after its first node");
}

} // namespace Trelvoga
