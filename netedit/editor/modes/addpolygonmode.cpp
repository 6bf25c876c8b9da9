#include "editor/modes/addpolygonmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "polygonobject.h"

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

void AddPolygonMode::addPoint(const QPointF &scenePos)
{
    if (!m_polygon)
        return;
    if (GenericGraphicsItem *item = polygonItem()) {
        item->addEditPoint(scenePos);
        return;
    }
    // Without an item the vertices are kept here until they make an outline the model takes.
    m_points.append(context()->toModel(scenePos));
    m_polygon->setShape(Trelvoa::GeoShape(m_points));
}

} // namespace Trelvoga
