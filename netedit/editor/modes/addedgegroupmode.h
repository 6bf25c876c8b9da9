#pragma once

#include "editor/modes/roadmode.h"

namespace Trelvoga {

// Draws two-way roads node to node: a group with an edge in each direction.
class TRELVOGA_EXPORT AddEdgeGroupMode : public RoadMode
{
public:
    explicit AddEdgeGroupMode(EditContext *context);

    QString hint() const override;

protected:
    void connectTo(Trelvoa::Node *node) override;
    QString cancelledText() const override;
};

} // namespace Trelvoga
