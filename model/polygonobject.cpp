#include "polygonobject.h"

#include "objecthelpers.h"

namespace Trelvoa {

PolygonObject::PolygonObject(QObject *parent)
    : NetObject(parent)
{
}

PolygonObject::PolygonObject(QObject *parent, const GeoShape &shape)
    : NetObject(parent)
{
    if (ObjectHelpers::isUsableOutline(shape))
        m_shape = ObjectHelpers::closedOutline(shape);
}

PolygonObject::~PolygonObject()
{
    beginDestroy();
}

bool PolygonObject::setShape(const GeoShape &shape)
{
    if (!ObjectHelpers::isUsableOutline(shape))
        return false;
    const GeoShape closed = ObjectHelpers::closedOutline(shape);
    if (closed == m_shape)
        return true;
    m_shape = closed;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

bool PolygonObject::translate(const QPointF &delta)
{
    if (!pointIsValid(delta))
        return false;
    if (delta.isNull() || m_shape.isEmpty())
        return true;
    m_shape.translate(delta);
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

QPointF PolygonObject::pos() const
{
    return m_shape.isEmpty() ? invalidPoint() : m_shape.centroid();
}

void PolygonObject::setBorderColor(const QColor &color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    setChanged(this, ChangeFlag::Attributes);
}

void PolygonObject::setBackgroundColor(const QColor &color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    setChanged(this, ChangeFlag::Attributes);
}

} // namespace Trelvoa
