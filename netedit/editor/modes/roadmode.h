#pragma once

#include "editor/modes/nodechainmode.h"

namespace Trelvoga {

// Add edge and add edge group modes: entered with nodes selected, the first selected node starts the
// chain, and a further selected junction is connected to it at once. A click on a node starts the chain
// or builds the road to it, which then goes on from there; a click on open ground ends the chain.
class TRELVOGA_EXPORT RoadMode : public NodeChainMode
{
public:
    using NodeChainMode::NodeChainMode;

    void enter() override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;

protected:
    // Builds the road from the start node to node, commits it and makes node the next start.
    virtual void connectTo(Trelvoa::Node *node) = 0;
};

} // namespace Trelvoga
