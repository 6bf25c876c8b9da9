#include "ptstop.h"

#include "lane.h"
#include "objecthelpers.h"

namespace Trelvoa {

PtStop::PtStop(Lane *lane, double distance)
    : NetObject(lane)
{
    if (ObjectHelpers::isFinite(distance))
        m_distance = qMax(0.0, distance);
}

PtStop::~PtStop()
{
    beginDestroy();
}

Lane *PtStop::lane() const
{
    return qobject_cast<Lane *>(parent());
}

bool PtStop::setDistance(double distance)
{
    if (!ObjectHelpers::isFinite(distance))
        return false;
    distance = qMax(0.0, distance);
    if (distance == m_distance)
        return true;
    m_distance = distance;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool PtStop::setLength(double length)
{
    if (!ObjectHelpers::isFinite(length) || length <= 0.0)
        return false;
    if (length == m_length)
        return true;
    m_length = length;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool PtStop::setWidth(double width)
{
    if (!ObjectHelpers::isFinite(width) || width <= 0.0)
        return false;
    if (width == m_width)
        return true;
    m_width = width;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

void PtStop::setLines(const QStringList &lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    setChanged(this, ChangeFlag::Attributes);
}

GeoPolyline PtStop::borderLine() const
{
    Lane *l = lane();
    if (!l)
        return GeoPolyline();
    return l->fullSkeleton().parallel(-l->width() * 0.5, true);
}

void PtStop::compute() const
{
    if (m_valid)
        return;
    m_valid = true;
    m_pos = invalidPoint();
    m_skeleton.clear();
    m_shape.clear();
    Lane *l = lane();
    if (!l)
        return;
    const GeoPolyline full = l->fullSkeleton();
    if (full.count() < 2)
        return;
    const GeoPolyline border = full.parallel(-l->width() * 0.5, true);
    QPointF onFull = full.first();
    const QLineF segment = full.lineAtDistance(qMin(m_distance, full.length()), true, &onFull);
    // Abreast of the point on the centre line, then onto the border line itself (they differ only at
    // corners of the lane).
    const QLineF across = flatParallel(QLineF(onFull, onFull + (segment.p2() - segment.p1())),
                                       l->width() * 0.5, false);
    double along = 0.0;
    m_pos = border.pointOn(across.p1(), &along);
    m_skeleton = border.part(along - m_length * 0.5, along + m_length * 0.5);
    m_shape = m_skeleton.parallel(-m_width * 0.5, true).stroke(m_width);
}

QPointF PtStop::pos() const
{
    compute();
    return m_pos;
}

GeoPolyline PtStop::skeleton() const
{
    compute();
    return m_skeleton;
}

GeoShape PtStop::shape() const
{
    compute();
    return m_shape;
}

void PtStop::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_valid = false;
}

} // namespace Trelvoa
