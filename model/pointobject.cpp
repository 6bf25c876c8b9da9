#include "pointobject.h"

#include "geo/geohelpers.h"

namespace Trelvoa {

PointObject::PointObject(QObject *parent)
    : NetObject(parent)
{
}

PointObject::PointObject(QObject *parent, const QPointF &pos)
    : NetObject(parent)
    , m_pos(pointIsValid(pos) ? pos : QPointF())
{
}

PointObject::~PointObject()
{
    beginDestroy();
}

bool PointObject::setPos(const QPointF &pos)
{
    if (!pointIsValid(pos))
        return false;
    if (pos == m_pos)
        return true;
    m_pos = pos;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

} // namespace Trelvoa
