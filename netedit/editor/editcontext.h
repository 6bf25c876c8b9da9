#pragma once

#include "trelvoga_global.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <functional>

class QGraphicsEllipseItem;
class QGraphicsScene;
class QGraphicsView;
class QUndoCommand;
class QUndoStack;

namespace Trelvoa {
class CrossWalk;
class Edge;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class ConnectionLine;
class GenericGraphicsItem;
class NetEdit;
class Networkg;

// What edit modes, operations and commands may touch: the network, the undo stack, the feedback items
// (node marker, highlight, rubber line), the hit tests and the log.
//
// Two verbs carry the rule "with an undo stack push the command, else act directly":
// - record() for a change already made: the command is made and pushed only when there is a stack;
// - perform() for a command whose redo() makes the change: pushed, or run once and deleted.
//
// The feedback items are the editor's own: top-level scene items that the network never deletes. The
// highlighted item is held through its object, so a network that replaces its items leaves no dangling
// pointer here.
class TRELVOGA_EXPORT EditContext
{
public:
    explicit EditContext(NetEdit *edit);
    ~EditContext();

    EditContext(const EditContext &) = delete;
    EditContext &operator=(const EditContext &) = delete;

    NetEdit *edit() const { return m_edit; }
    Networkg *net() const;
    QGraphicsView *view() const;
    QGraphicsScene *scene() const;
    QUndoStack *undoStack() const;
    bool hasUndoStack() const { return undoStack() != nullptr; }

    // make() runs only when there is an undo stack; its command (null: nothing) is pushed.
    void record(const std::function<QUndoCommand *()> &make);
    // Pushed when there is a stack (the push runs redo()), else redo() once and deleted.
    void perform(QUndoCommand *command);

    void log(const QString &text, QtMsgType type = QtWarningMsg);

    // Scene (geographic) and model XY coordinates.
    QPointF toModel(const QPointF &scenePos) const;
    QPointF toScene(const QPointF &xy) const;

    // Hit tests; sizes in model units (metres). A square of side size around the point; the lowest
    // item in stacking order of exactly that type with a valid bounding rectangle.
    GenericGraphicsItem *findItemNear(const QPointF &scenePos, int type, double size) const;
    // All items of those types in the square, lowest first.
    QList<GenericGraphicsItem *> itemsNear(const QPointF &scenePos, const QList<int> &types,
                                           double size) const;
    // The object of the topmost item of that type at the point (type -1: of the topmost item).
    Trelvoa::NetObject *objectUnderPoint(const QPointF &scenePos, int type) const;
    // The items under the point, topmost first, as the view shows them.
    QList<GenericGraphicsItem *> itemsAt(const QPointF &scenePos) const;
    GenericGraphicsItem *itemOf(Trelvoa::NetObject *object) const;

    // The green dot on what a click would snap to (scene coordinates).
    QGraphicsEllipseItem *nodeMarker() const { return m_nodeMarker; }
    void showNodeMarker(const QPointF &scenePos);
    void hideNodeMarker();

    // The one item drawn in the highlight colour; null clears it.
    void setHighlighted(GenericGraphicsItem *item);
    GenericGraphicsItem *highlighted() const;
    // Hides the node marker and resets the highlighted item.
    void clearHighlight();

    // A line with an arrow from the gesture's start to the cursor, made on demand.
    void startRubberLine(const QPointF &scenePos);
    void moveRubberLine(const QPointF &scenePos);
    void dropRubberLine();
    ConnectionLine *rubberLine() const { return m_rubberLine; }

    // The objects chosen with "Use as template" for new edges and crosswalks; null when unset.
    Trelvoa::Edge *templateEdge() const;
    Trelvoa::CrossWalk *templateCrosswalk() const;
    void setTemplateEdge(Trelvoa::Edge *edge);
    void setTemplateCrosswalk(Trelvoa::CrossWalk *crosswalk);
    // Whether the database area action that joins the downloaded part is checked.
    bool areaJoinChecked() const;

    // Sets (or replaces) the application's override cursor from a resource.
    static void setOverrideCursor(const QString &resource, int hotX, int hotY);
    static void popOverrideCursors();

private:
    friend class NetEdit;

    NetEdit *m_edit;
    QGraphicsEllipseItem *m_nodeMarker = nullptr;
    ConnectionLine *m_rubberLine = nullptr;
    QPointer<Trelvoa::NetObject> m_highlighted;
};

} // namespace Trelvoga
