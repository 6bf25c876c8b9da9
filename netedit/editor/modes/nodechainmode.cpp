#include "editor/modes/nodechainmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"

#include "node.h"

namespace Trelvoga {

void NodeChainMode::leave()
{
    m_startNode = nullptr;
    m_hover = nullptr;
}

bool NodeChainMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    GenericGraphicsItem *item = context()->findItemNear(scenePos, ItemType::Nodeg, snapSize);
    m_hover = item ? item->networkObject() : nullptr;
    if (item)
        context()->showNodeMarker(item->scenePos());
    else
        context()->clearHighlight();
    return false;
}

bool NodeChainMode::snapPoint(QPointF *scenePos) const
{
    Trelvoa::Node *node = hoverNode();
    if (!node)
        return false;
    *scenePos = context()->toScene(node->pos());
    return true;
}

void NodeChainMode::setStartNode(Trelvoa::Node *node)
{
    m_startNode = node;
    if (node)
        context()->startRubberLine(context()->toScene(node->pos()));
    else
        context()->dropRubberLine();
}

Trelvoa::Node *NodeChainMode::hoverNode() const
{
    return qobject_cast<Trelvoa::Node *>(m_hover.data());
}

} // namespace Trelvoga
