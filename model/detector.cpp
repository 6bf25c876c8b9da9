#include "detector.h"

#include "connection.h"
#include "detectorgroup.h"
#include "lane.h"
#include "objecthelpers.h"
#include "route.h"

namespace Trelvoa {

Detector::Detector(NetObject *host, double distance)
    : NetObject(host)
{
    if (ObjectHelpers::isFinite(distance))
        m_distance = qMax(0.0, distance);
}

Detector::~Detector()
{
    beginDestroy();
}

Lane *Detector::lane() const
{
    return qobject_cast<Lane *>(parent());
}

Connection *Detector::connection() const
{
    return qobject_cast<Connection *>(parent());
}

Route *Detector::route() const
{
    return qobject_cast<Route *>(parent());
}

NetObject *Detector::host() const
{
    if (Lane *l = lane())
        return l;
    if (Connection *c = connection())
        return c;
    return route();
}

GeoPolyline Detector::hostSkeleton() const
{
    NetObject *h = host();
    return h ? h->skeleton() : GeoPolyline();
}

bool Detector::setDistance(double distance)
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

bool Detector::setLength(double length)
{
    if (!ObjectHelpers::isFinite(length) || length < 0.0)
        return false;
    if (length == m_length)
        return true;
    m_length = length;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

void Detector::setTlId(int tlId)
{
    if (tlId == m_tlId)
        return;
    m_tlId = tlId;
    setChanged(this, ChangeFlag::Attributes);
}

void Detector::setType(int type)
{
    if (type == m_type)
        return;
    m_type = type;
    setChanged(this, ChangeFlag::Attributes);
}

DetectorGroup *Detector::group() const
{
    for (NetObject *holder : referrers()) {
        if (auto *g = qobject_cast<DetectorGroup *>(holder))
            return g;
    }
    return nullptr;
}

QObject *Detector::groupObject() const
{
    return group();
}

bool Detector::setGroupObject(QObject *object)
{
    if (!object) {
        if (DetectorGroup *g = group())
            return g->removeDetector(this);
        return true;
    }
    auto *g = qobject_cast<DetectorGroup *>(object);
    return g && g->addDetector(this);
}

void Detector::compute() const
{
    if (m_valid)
        return;
    m_valid = true;
    m_pos = invalidPoint();
    m_skeleton.clear();
    m_shape.clear();
    const GeoPolyline line = hostSkeleton();
    if (line.isEmpty())
        return;
    const double total = line.length();
    const double from = qMin(m_distance, total);
    m_pos = line.first();
    line.lineAtDistance(from, true, &m_pos);
    m_skeleton = line.part(from, qMin(m_distance + m_length, total));
    double width = 2.0;
    if (Lane *l = lane())
        width = qMax(1.0, l->width() - 0.6);
    GeoPolyline covered = m_skeleton;
    if (covered.length() <= 0.0)
        covered = line.part(from - 0.5, from + 0.5);
    m_shape = covered.stroke(width);
}

QPointF Detector::pos() const
{
    compute();
    return m_pos;
}

GeoPolyline Detector::skeleton() const
{
    compute();
    return m_skeleton;
}

GeoShape Detector::shape() const
{
    compute();
    return m_shape;
}

void Detector::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_valid = false;
}

} // namespace Trelvoa
