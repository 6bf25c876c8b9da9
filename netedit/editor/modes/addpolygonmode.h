#pragma once

#include "editor/modes/abstracteditmode.h"

#include "polygonobject.h"

#include <QPointer>
#include <QVector>

namespace Trelvoga {

class GenericGraphicsItem;

// Draws a polygon: entering makes an empty one (in the network at once, without undo) whose item is in
// vertex editing; a click appends a vertex, Ctrl+click inserts one. Leaving commits it, or deletes it when it has no vertex.
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
    // A click appends a vertex (Shift, or a click on a vertex marker, does not).
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::PolygonObject *polygon() const { return m_polygon; }
    // The item of the polygon; null while the network has not made one.
    GenericGraphicsItem *polygonItem() const;
    // Inserts a vertex where the user Ctrl+clicked (scene coordinates); the first three are appended.
    void addPoint(const QPointF &scenePos);

private:
    void appendToModel(const QPointF &scenePos);

    QPointer<Trelvoa::PolygonObject> m_polygon;
    QVector<QPointF> m_points;
};

} // namespace Trelvoga
