#include "stopline.h"

#include "connection.h"
#include "deletioncascade.h"
#include "geo/geohelpers.h"
#include "lane.h"
#include "objecthelpers.h"
#include "roadgeometry.h"

#include <algorithm>

namespace Trelvoa {

Stopline::Stopline(Lane *lane, bool isStopline)
    : NetObject(lane)
    , m_isStopline(isStopline)
{
}

Stopline::~Stopline()
{
    beginDestroy();
}

QString Stopline::kindName() const
{
    return m_isStopline ? tr("Stopline") : tr("Start line");
}

Lane *Stopline::lane() const
{
    return qobject_cast<Lane *>(parent());
}

bool Stopline::inUse() const
{
    const Lane *l = lane();
    return l && (m_isStopline ? l->hasStopline() : l->hasStartline());
}

double Stopline::distance() const
{
    if (!m_autoDistance)
        return m_distance;
    const Lane *l = lane();
    if (!l)
        return 0.0;
    return m_isStopline ? l->endCut() : l->startCut();
}

bool Stopline::setDistance(double distance)
{
    if (!ObjectHelpers::isFinite(distance) || distance < 0.0)
        return false;
    if (!m_autoDistance && distance == m_distance)
        return true;
    m_distance = distance;
    m_autoDistance = false;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
    return true;
}

void Stopline::setAutoDistance(bool on)
{
    if (on == m_autoDistance)
        return;
    // Switching automatic placement off keeps the line where it is.
    if (!on)
        m_distance = distance();
    m_autoDistance = on;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
}

void Stopline::compute() const
{
    if (m_valid)
        return;
    m_valid = true;
    m_pos = invalidPoint();
    m_line = QLineF();
    m_direction = QLineF();
    m_position = 0.0;
    const Lane *l = lane();
    if (!l)
        return;
    const GeoPolyline full = l->fullSkeleton();
    if (full.isEmpty())
        return;
    const double length = full.length();
    const double d = std::clamp(distance(), 0.0, length);
    m_position = m_isStopline ? length - d : d;
    QPointF p;
    const QPointF dir = RoadGeometry::directionAt(full, m_position, &p);
    m_pos = p;
    m_direction = QLineF(p, p + dir);
    const QPointF half = RoadGeometry::leftOf(dir) * (l->width() / 2.0);
    m_line = QLineF(p - half, p + half);
}

QPointF Stopline::pos() const
{
    compute();
    return m_pos;
}

QLineF Stopline::line() const
{
    compute();
    return m_line;
}

QLineF Stopline::direction() const
{
    compute();
    return m_direction;
}

double Stopline::position() const
{
    compute();
    return m_position;
}

QList<Connection *> Stopline::connections() const
{
    QList<Connection *> list;
    for (NetObject *holder : referrers()) {
        auto *c = qobject_cast<Connection *>(holder);
        if (c && (m_isStopline ? c->from() == this : c->to() == this) && !list.contains(c))
            list.append(c);
    }
    return list;
}

Connection *Stopline::connection(int i) const
{
    const QList<Connection *> list = connections();
    return i >= 0 && i < list.size() ? list.at(i) : nullptr;
}

QList<NetObject *> Stopline::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

void Stopline::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_valid = false;
}

} // namespace Trelvoa
