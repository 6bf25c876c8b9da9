#include "editor/modes/nodechainmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"

#include "node.h"

namespace Trelvoga {

void NodeChainMode::leave()
{
    if (m_startNode && !m_chained)
        context()->log(cancelledText(), QtInfoMsg);
    m_startNode = nullptr;
    m_hover = nullptr;
    m_chained = false;
}

QString NodeChainMode::cancelledText() const
{
    return tr("Cancelled: nothing was made from the picked node");
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
    m_chained = false;
    if (node)
        context()->startRubberLine(context()->toScene(node->pos()));
    else
        context()->dropRubberLine();
}

void NodeChainMode::setChainedStart(Trelvoa::Node *node)
{
    setStartNode(node);
    m_chained = node != nullptr;
}

Trelvoa::Node *NodeChainMode::hoverNode() const
{
    return qobject_cast<Trelvoa::Node *>(m_hover.data());
}

Trelvoa::Node *NodeChainMode::takeNodeAt(const QPointF &scenePos)
{
    Trelvoa::Node *node = hoverNode();
    m_hover = nullptr;
    if (!node)
        node = qobject_cast<Trelvoa::Node *>(context()->objectUnderPoint(scenePos, ItemType::Nodeg));
    return node;
}

} // namespace Trelvoga
