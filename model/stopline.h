#pragma once

#include "netobject.h"

#include <QLineF>
#include <QList>

namespace Trelvoa {

class Connection;
class Lane;

// The stopline near the end of a lane (isStopline() true) or the start line near its start (false).
// Every lane makes its two lines in its constructor; they are never made or deleted on their own.
//
// distance() is measured along the lane's full skeleton from the lane end (stopline) or the lane start
// (start line). With autoDistance() the line sits where the lane meets the junction shape; setting a
// distance switches that off. Connections run from a stopline to a start line.
class TRELVOA_EXPORT Stopline : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(double distance READ distance WRITE setDistance)
    Q_PROPERTY(bool autoDistance READ autoDistance WRITE setAutoDistance)
    Q_PROPERTY(bool stopline READ isStopline STORED false)

public:
    ~Stopline() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("stopline"); }

    Lane *lane() const;
    bool isStopline() const { return m_isStopline; }
    // True when the lane has a junction at this line's end (the line is drawn and used).
    bool inUse() const;

    // The automatic distance while autoDistance() is true, else the one set.
    double distance() const;
    // Refuses negative and non-finite distances; larger ones than the lane are kept but the line stays
    // at the far end of the lane.
    bool setDistance(double distance);
    bool autoDistance() const { return m_autoDistance; }
    void setAutoDistance(bool on);

    // The point on the lane's full skeleton at distance(), and the bar across the lane there (as wide
    // as the lane, from its right border to its left).
    QPointF pos() const override;
    QLineF line() const;
    // The direction of the lane at pos() (unit length line from pos()).
    QLineF direction() const;
    // Where along the full skeleton from the lane start the line is.
    double position() const;

    // The connections leaving from this stopline (for a start line: arriving at it), in creation order.
    QList<Connection *> connections() const;
    int connectionCount() const { return connections().size(); }
    Connection *connection(int i) const;

    QList<NetObject *> linkedObjects() const override;

protected:
    void invalidate(int flags) override;

private:
    friend class Edge;
    friend class Lane;
    Stopline(Lane *lane, bool isStopline);

    void compute() const;

    bool m_isStopline = true;
    bool m_autoDistance = true;
    double m_distance = 0.0;

    mutable QPointF m_pos;
    mutable QLineF m_line;
    mutable QLineF m_direction;
    mutable double m_position = 0.0;
    mutable bool m_valid = false;
};

} // namespace Trelvoa
