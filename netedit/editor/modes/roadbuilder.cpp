#include "editor/modes/roadbuilder.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"

namespace Trelvoga {

Trelvoa::Edge *makeDefaultEdge(Trelvoa::Node *start, Trelvoa::Node *end)
{
    auto *edge = new Trelvoa::Edge(start->network(), start, end);
    new Trelvoa::Lane(edge, 0);
    new Trelvoa::Lane(edge, 1);
    return edge;
}

} // namespace Trelvoga
