#include "editor/modes/roadbuilder.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

namespace Trelvoga {

namespace {

void copyLine(const Trelvoa::Stopline *from, Trelvoa::Stopline *to)
{
    if (from && to && !from->autoDistance())
        to->setDistance(from->distance());
}

} // namespace

Trelvoa::Edge *makeEdge(Trelvoa::Node *start, Trelvoa::Node *end, const Trelvoa::Edge *templateEdge)
{
    auto *edge = new Trelvoa::Edge(start->network(), start, end);
    if (!templateEdge || templateEdge->lanesCount() == 0) {
        new Trelvoa::Lane(edge, 0);
        new Trelvoa::Lane(edge, 1);
        return edge;
    }
    edge->setLanesOffset(templateEdge->lanesOffset());
    const QList<Trelvoa::Lane *> lanes = templateEdge->lanes();
    for (int i = 0; i < lanes.size(); ++i) {
        const Trelvoa::Lane *source = lanes.at(i);
        auto *lane = new Trelvoa::Lane(edge, i);
        lane->setWidth(source->width());
        lane->setMaxSpeed(source->maxSpeed());
        lane->setAllowed(source->allowed());
        copyLine(source->stopline(), lane->stopline());
        copyLine(source->startline(), lane->startline());
    }
    return edge;
}

} // namespace Trelvoga
