#pragma once

#include "scene/genericgraphicsitem.h"
#include "scene/geometryeditor.h"
#include "trelvoga_global.h"

#include <QColor>

namespace Trelvoga {

// Base of the items whose skeleton or outline the user edits vertex by vertex: the parts they all
// share. The colour override (setColor/resetColor, for the editor's highlight), the changed flag that
// tells the editor whether an edit reached the model, the vertex insertion forwarded to the geometry
// editor, and the write-back of an edited geometry from scene coordinates to the model.
class TRELVOGA_EXPORT EditableItem : public GenericGraphicsItem, public GeometryEditor
{
public:
    EditableItem(QGraphicsItem *parent, Trelvoa::GeoUtil *geo);
    ~EditableItem() override;

    bool isChanged() const override { return m_changed; }
    void setColor(const QColor &color) override;
    void resetColor() override;
    void addEditPoint(const QPointF &scenePoint) override;
    void addNewPoint(const QPointF &scenePoint) override;

    // The colour set by setColor(); invalid when none.
    QColor overrideColor() const { return m_color; }

protected:
    // For setEdit(): starts or ends the vertex edit; false (nothing done) for a read-only item or one
    // already in that state. Ending clears the changed flag.
    bool beginVertexEdit(const Trelvoa::GeoPolyline &polyline);
    bool beginVertexEdit(const Trelvoa::GeoShape &shape);
    bool endVertexEdit();
    // For the geometry editor's reports: the edited geometry in model XY.
    Trelvoa::GeoPolyline modelGeometry(const Trelvoa::GeoPolyline &scenePolyline) const;
    Trelvoa::GeoShape modelGeometry(const Trelvoa::GeoShape &sceneShape) const;
    // With the model setter's result: an edit the model took marks the item changed.
    void editWritten(bool accepted);
    // Ends a running edit without touching other items (destructors).
    void dropVertexEdit();

private:
    QColor m_color;
    bool m_changed = false;
};

} // namespace Trelvoga
