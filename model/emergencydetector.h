#pragma once

#include "netobject.h"

namespace Trelvoa {

class Node;

// An emergency-call detector of a junction: a sector of a circle (centre pos(), radius, the direction of
// its axis and its opening, in degrees with the QLineF angle convention) in which approaching emergency
// vehicles are detected. It belongs to its node but is placed freely: moving the node does not move it.
class TRELVOA_EXPORT EmergencyDetector : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QPointF pos READ pos WRITE setPos)
    Q_PROPERTY(double radius READ radius WRITE setRadius)
    Q_PROPERTY(double directionAngle READ directionAngle WRITE setDirectionAngle)
    Q_PROPERTY(double sweepAngle READ sweepAngle WRITE setSweepAngle)
    Q_PROPERTY(int tl READ tl WRITE setTl)
    Q_PROPERTY(int phase READ phase WRITE setPhase)
    Q_PROPERTY(int prog READ prog WRITE setProg)

public:
    // A non-finite pos (the default) places the detector at the node's position.
    explicit EmergencyDetector(Node *node = nullptr, const QPointF &pos = QPointF(qQNaN(), qQNaN()));
    ~EmergencyDetector() override;

    QString kindName() const override { return tr("Emergency call detector"); }
    QString jsonTag() const override { return QStringLiteral("emergencyDetector"); }

    // The owning node (the parent), or null.
    Node *node() const;

    QPointF pos() const override { return m_pos; }
    // Refuses a non-finite position.
    bool setPos(const QPointF &pos);

    double radius() const { return m_radius; }
    // Refuses radii <= 0 and non-finite values.
    bool setRadius(double radius);
    // Degrees in [0, 360); other finite values are brought into that range, non-finite ones refused.
    double directionAngle() const { return m_directionAngle; }
    bool setDirectionAngle(double degrees);
    // The opening in degrees, (0, 360]; values outside are refused.
    double sweepAngle() const { return m_sweepAngle; }
    bool setSweepAngle(double degrees);

    // The number of the signal controller (0 when none).
    int tl() const { return m_tl; }
    void setTl(int tl);
    // The phase and program the controller switches to on a call (0 when unset).
    int phase() const { return m_phase; }
    void setPhase(int phase);
    int prog() const { return m_prog; }
    void setProg(int prog);

    // The sector: the centre, then the arc from directionAngle - sweepAngle/2 counter-clockwise to
    // directionAngle + sweepAngle/2; a full circle without the centre for a sweep of 360.
    GeoShape shape() const override;

private:
    QPointF m_pos;
    double m_radius = 30.0;
    double m_directionAngle = 0.0;
    double m_sweepAngle = 90.0;
    int m_tl = 0;
    int m_phase = 0;
    int m_prog = 0;
};

} // namespace Trelvoa
