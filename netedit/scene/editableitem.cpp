#include "scene/editableitem.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"

namespace Trelvoga {

EditableItem::EditableItem(QGraphicsItem *parent, Trelvoa::GeoUtil *geo)
    : GenericGraphicsItem(parent, geo)
    , GeometryEditor(this)
{
}

EditableItem::~EditableItem() = default;

void EditableItem::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void EditableItem::resetColor()
{
    if (!m_color.isValid())
        return;
    m_color = QColor();
    update();
}

void EditableItem::addEditPoint(const QPointF &scenePoint)
{
    GeometryEditor::addEditPoint(scenePoint);
}

void EditableItem::addNewPoint(const QPointF &scenePoint)
{
    GeometryEditor::addNewPoint(scenePoint);
}

bool EditableItem::beginVertexEdit(const Trelvoa::GeoPolyline &polyline)
{
    if (isReadOnly() || edited())
        return false;
    prepareGeometryChange();
    startEdit(polyline);
    return true;
}

bool EditableItem::beginVertexEdit(const Trelvoa::GeoShape &shape)
{
    if (isReadOnly() || edited())
        return false;
    prepareGeometryChange();
    startEdit(shape);
    return true;
}

bool EditableItem::endVertexEdit()
{
    if (isReadOnly() || !edited())
        return false;
    prepareGeometryChange();
    endEdit();
    m_changed = false;
    return true;
}

void EditableItem::dropVertexEdit()
{
    if (!edited())
        return;
    prepareGeometryChange();
    endEdit();
    m_changed = false;
}

Trelvoa::GeoPolyline EditableItem::modelGeometry(const Trelvoa::GeoPolyline &scenePolyline) const
{
    Trelvoa::GeoPolyline xy = scenePolyline;
    if (geoUtil())
        geoUtil()->geoToXY(&xy);
    return xy;
}

Trelvoa::GeoShape EditableItem::modelGeometry(const Trelvoa::GeoShape &sceneShape) const
{
    Trelvoa::GeoShape xy = sceneShape;
    if (geoUtil())
        geoUtil()->geoToXY(&xy);
    return xy;
}

void EditableItem::editWritten(bool accepted)
{
    if (accepted && edited())
        m_changed = true;
}

} // namespace Trelvoga
