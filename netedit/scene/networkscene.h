#pragma once

#include "trelvoga_global.h"

#include <QGraphicsScene>

class QGraphicsSceneMouseEvent;

namespace Trelvoga {

// The scene for a network. Items are children of their layers, so Qt's own drawing would walk every
// item of every exposed layer on each paint, whatever the index finds. This scene draws exactly the
// items the index finds instead; a view reaches this path when it paints indirectly
// (QGraphicsView::IndirectPainting) and always through render().
class TRELVOGA_EXPORT NetworkScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit NetworkScene(QObject *parent = nullptr);

    // A view calls these around its paint, with its viewport transform and the scene area it shows:
    // the layers of details then leave out of the paint what draws nothing at that scale, or make the
    // items a load left unmade there when they do draw.
    void beginViewPaint(const QTransform &viewportTransform, const QRectF &visibleRect);
    void endViewPaint();

    // The items a load left unmade near that area, of every network in the scene: before a look-up
    // that should find them (a click, an area selection, a render()).
    void makeItemsIn(const QRectF &sceneRect);

    // Items of model objects under the pointer take the cursor of their kind, from the top down to
    // the first one with a cursor, which the view then shows as for any item. The scene does this for
    // each pointer move it gets; whoever takes the moves first (an event filter) calls it itself.
    void takeCursorsAt(const QGraphicsSceneMouseEvent *event);

protected:
    // Items of model objects make their tooltip when it is asked for; other items keep their own.
    void helpEvent(QGraphicsSceneHelpEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    void drawItems(QPainter *painter, int numItems, QGraphicsItem *items[],
                   const QStyleOptionGraphicsItem options[], QWidget *widget = nullptr) override;

private:
    // Where the cursors were last taken: a move seen by a filter and then by the scene is one.
    QPointF m_cursorsTakenAt;
    QWidget *m_cursorsTakenIn = nullptr;
};

} // namespace Trelvoga
