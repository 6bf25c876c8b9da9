#pragma once

#include "editor/modes/nodechainmode.h"
#include "editor/modes/routebuilding.h"

namespace Trelvoga {

// Joins two nodes with a road that continues the one ending at the first node.
class TRELVOGA_EXPORT JoinNodesMode : public NodeChainMode
{
public:
    explicit JoinNodesMode(EditContext *context)
        : NodeChainMode(context, ModeJoinNodes, QStringLiteral("actionJoin_nodes_mode"),
                        QStringLiteral(":/trelvoga/cursors/join_nodes_cursor.png"), 2, 2)
    {
    }

    void leave() override
    {
        m_route.finish(context());
        NodeChainMode::leave();
    }
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    RouteUnderConstruction &route() { return m_route; }

protected:
    QString cancelledText() const override;

private:
    RouteUnderConstruction m_route;
};

} // namespace Trelvoga
