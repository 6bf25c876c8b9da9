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

    // Logs cancelledText() when the start node was picked and nothing was made from it yet.
    void leave() override;
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    bool snapPoint(QPointF *scenePos) const override;

    Trelvoa::Node *startNode() const { return m_startNode; }
    // Makes node the start of the next gesture step; the rubber line restarts there (null ends it).
    void setStartNode(Trelvoa::Node *node);
    Trelvoa::Node *hoverNode() const;

    static constexpr double snapSize = 10;

protected:
    // The node a click at scenePos means: the snapped one, else the topmost node item there. The snap is
    // used up.
    Trelvoa::Node *takeNodeAt(const QPointF &scenePos);
    // The start node is the end of something just made: leaving now cancels nothing.
    void setChainedStart(Trelvoa::Node *node);
    // What leaving the mode with a freshly picked start node tells the user.
    virtual QString cancelledText() const;

private:
    QPointer<Trelvoa::Node> m_startNode;
    QPointer<Trelvoa::NetObject> m_hover;
    bool m_chained = false;
};

} // namespace Trelvoga
