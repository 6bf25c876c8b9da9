#include "emergencydetector.h"

#include "node.h"
#include "objecthelpers.h"

#include <QLineF>

#include <cmath>

namespace Trelvoa {

EmergencyDetector::EmergencyDetector(Node *node, const QPointF &pos)
    : NetObject(node)
    , m_pos(pos)
{
    if (!pointIsValid(m_pos))
        m_pos = node && pointIsValid(node->pos()) ? node->pos() : QPointF();
}

EmergencyDetector::~EmergencyDetector()
{
    beginDestroy();
}

Node *EmergencyDetector::node() const
{
    return qobject_cast<Node *>(parent());
}

bool EmergencyDetector::setPos(const QPointF &pos)
{
    if (!pointIsValid(pos))
        return false;
    if (pos == m_pos)
        return true;
    m_pos = pos;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool EmergencyDetector::setRadius(double radius)
{
    if (!ObjectHelpers::isFinite(radius) || radius <= 0.0)
        return false;
    if (radius == m_radius)
        return true;
    m_radius = radius;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool EmergencyDetector::setDirectionAngle(double degrees)
{
    if (!ObjectHelpers::isFinite(degrees))
        return false;
    const double a = ObjectHelpers::normalizedAngle(degrees);
    if (a == m_directionAngle)
        return true;
    m_directionAngle = a;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

bool EmergencyDetector::setSweepAngle(double degrees)
{
    if (!ObjectHelpers::isFinite(degrees) || degrees <= 0.0 || degrees > 360.0)
        return false;
    if (degrees == m_sweepAngle)
        return true;
    m_sweepAngle = degrees;
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

void EmergencyDetector::setTl(int tl)
{
    if (tl == m_tl)
        return;
    m_tl = tl;
    setChanged(this, ChangeFlag::Attributes);
}

void EmergencyDetector::setPhase(int phase)
{
    if (phase == m_phase)
        return;
    m_phase = phase;
    setChanged(this, ChangeFlag::Attributes);
}

void EmergencyDetector::setProg(int prog)
{
    if (prog == m_prog)
        return;
    m_prog = prog;
    setChanged(this, ChangeFlag::Attributes);
}

GeoShape EmergencyDetector::shape() const
{
    GeoShape sector;
    const bool full = m_sweepAngle >= 360.0;
    if (!full)
        sector.append(m_pos);
    // About one point every 5 degrees keeps the arc smooth at the radii used.
    const int steps = qMax(2, int(std::ceil(m_sweepAngle / 5.0)));
    const double start = m_directionAngle - m_sweepAngle / 2.0;
    for (int i = 0; i <= steps; ++i) {
        if (full && i == steps)
            break;
        const double angle = start + m_sweepAngle * i / steps;
        sector.append(QLineF::fromPolar(m_radius, angle).translated(m_pos).p2());
    }
    sector.close();
    return sector;
}

} // namespace Trelvoa
