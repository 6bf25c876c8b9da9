#pragma once

#include "editor/modes/abstracteditmode.h"

#include "polygonobject.h"

#include <QPointer>
#include <QVector>

namespace Trelvoga {

class GenericGraphicsItem;

// Draws a polygon: entering makes an empty one (in the network at once, without undo) whose item is in
// vertex editing; Ctrl+click adds vertices. Leaving commits it, or deletes it when it has no vertex.
class TRELVOGA_EXPORT AddPolygonMode : public AbstractEditMode
{
public:
    explicit AddPolygonMode(EditContext *context)
        : AbstractEditMode(context, ModeAddPolygon, QStringLiteral("addPolygon"),
                           QStringLiteral(":/trelvoga/cursors/add_polygon_cursor.png"), 2, 2)
    {
    }

    void enter() override;
    void leave() override;

    Trelvoa::PolygonObject *polygon() const { return m_polygon; }
    // The item of the polygon; null while the network has not made one.
    GenericGraphicsItem *polygonItem() const;
    // Adds a vertex where the user Ctrl+clicked (scene coordinates).
    void addPoint(const QPointF &scenePos);

private:
    QPointer<Trelvoa::PolygonObject> m_polygon;
    QVector<QPointF> m_points;
};

} // namespace Trelvoga
