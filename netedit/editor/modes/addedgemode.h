#pragma once

#include "editor/modes/roadmode.h"

namespace Trelvoga {

// Draws one-way edges node to node; each further node chains the next edge.
class TRELVOGA_EXPORT AddEdgeMode : public RoadMode
{
public:
    explicit AddEdgeMode(EditContext *context);

    QString hint() const override;

protected:
    void connectTo(Trelvoa::Node *node) override;
    QString cancelledText() const override;
};

} // namespace Trelvoga
