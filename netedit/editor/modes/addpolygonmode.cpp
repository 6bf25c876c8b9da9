#include "editor/modes/addpolygonmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/geometryeditor.h"
#include "scene/networkg.h"

#include "polygonobject.h"

#include <QGraphicsScene>

namespace Trelvoga {

void AddPolygonMode::enter()
{
    if (m_polygon)
        return;
    Networkg *net = context()->net();
    auto *polygon = new Trelvoa::PolygonObject(net);
    if (!net->addItem(polygon)) {
        delete polygon;
        return;
    }
    m_polygon = polygon;
    if (GenericGraphicsItem *item = polygonItem()) {
        item->setFlag(QGraphicsItem::ItemIsSelectable, false);
        item->setEdit(true);
    }
}

void AddPolygonMode::leave()
{
    Trelvoa::PolygonObject *polygon = m_polygon;
    m_polygon = nullptr;
    m_points.clear();
    if (!polygon)
        return;
    GenericGraphicsItem *item = context()->itemOf(polygon);
    if (item)
        item->setEdit(false);
    if (polygon->shape().isEmpty()) {
        delete polygon;
        return;
    }
    if (item)
        item->setFlag(QGraphicsItem::ItemIsSelectable, true);
    commit(polygon);
}

GenericGraphicsItem *AddPolygonMode::polygonItem() const
{
    return context()->itemOf(m_polygon);
}

void AddPolygonMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    if (!m_polygon || (modifiers & Qt::ShiftModifier))
        return;
    // A click on a vertex marker grabs it: the outline is being reshaped, not extended.
    if (QGraphicsScene *scene = context()->scene()) {
        for (QGraphicsItem *item : scene->items(scenePos)) {
            if (item->type() == ItemType::GeometryEditorMarker)
                return;
        }
    }
    if (GenericGraphicsItem *item = polygonItem()) {
        item->addNewPoint(scenePos);
        return;
    }
    appendToModel(scenePos);
}

QString AddPolygonMode::hint() const
{
    if (!m_polygon || m_polygon->shape().isEmpty())
        return tr("Click the first vertex of the polygon");
    return tr("Click the next vertex; Ctrl+click inserts one, Escape finishes the polygon");
}

void AddPolygonMode::addPoint(const QPointF &scenePos)
{
    if (!m_polygon)
        return;
    if (GenericGraphicsItem *item = polygonItem()) {
        // Inserting needs an outline to insert into: until there are three vertices the click itself is
        // appended (inserting on a segment would only make a degenerate outline).
        auto *editor = dynamic_cast<GeometryEditor *>(item);
        if (editor && editor->markers().size() < 3)
            item->addNewPoint(scenePos);
        else
            item->addEditPoint(scenePos);
        return;
    }
    appendToModel(scenePos);
}

void AddPolygonMode::appendToModel(const QPointF &scenePos)
{
    // Without an item the vertices are kept here until they make an outline the model takes.
    m_points.append(context()->toModel(scenePos));
    m_polygon->setShape(Trelvoa::GeoShape(m_points));
}

} // namespace Trelvoga
