#pragma once

#include "editor/modes/abstracteditmode.h"

#include "node.h"

#include <QPointer>

namespace Trelvoga {

class GenericGraphicsItem;

// Modes that pick nodes one after another: the node nearest the cursor within 10 m is snapped to and
// marked, and a rubber line runs from the start node to the cursor.
class TRELVOGA_EXPORT NodeChainMode : public AbstractEditMode
{
public:
    using AbstractEditMode::AbstractEditMode;

    void leave() override;
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    bool snapPoint(QPointF *scenePos) const override;

    Trelvoa::Node *startNode() const { return m_startNode; }
    // Makes node the start of the next gesture step; the rubber line restarts there (null ends it).
    void setStartNode(Trelvoa::Node *node);
    Trelvoa::Node *hoverNode() const;

    static constexpr double snapSize = 10;

private:
    QPointer<Trelvoa::Node> m_startNode;
    QPointer<Trelvoa::NetObject> m_hover;
};

} // namespace Trelvoga
