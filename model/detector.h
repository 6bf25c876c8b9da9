#pragma once

#include "netobject.h"

namespace Trelvoa {

class Connection;
class DetectorGroup;
class Lane;
class Route;

// A vehicle detector placed along its host, which is its parent: a lane, a connection or a route. It
// covers the host's skeleton() from distance() to distance() + length(). A detector whose parent is
// none of these has no host and no geometry. It may belong to one detector group of its lane's edge;
// deleting it takes it out of the group.
class TRELVOA_EXPORT Detector : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(double distance READ distance WRITE setDistance)
    Q_PROPERTY(double length READ length WRITE setLength)
    Q_PROPERTY(int tlId READ tlId WRITE setTlId)
    Q_PROPERTY(int type READ type WRITE setType)
    Q_PROPERTY(QObject *group READ groupObject WRITE setGroupObject STORED false)

public:
    // host: a lane, connection or route. The distance is taken as setDistance() takes it.
    explicit Detector(NetObject *host = nullptr, double distance = 0.0);
    ~Detector() override;

    QString kindName() const override { return tr("Detector"); }
    QString jsonTag() const override { return QStringLiteral("detector"); }

    // The host as its kind; at most one is not null.
    Lane *lane() const;
    Connection *connection() const;
    Route *route() const;
    // The host whatever its kind, or null.
    NetObject *host() const;
    // The host's skeleton (empty without a host).
    GeoPolyline hostSkeleton() const;

    // Along the host's skeleton from its start. Negative values are clamped to 0, non-finite ones
    // refused; beyond the host's end the detector stays at the end.
    double distance() const { return m_distance; }
    bool setDistance(double distance);
    // The covered length; 0 is a point detector. Refuses negative and non-finite values.
    double length() const { return m_length; }
    bool setLength(double length);

    // The number of the detector in the signal controller (0 when none).
    int tlId() const { return m_tlId; }
    void setTlId(int tlId);
    // A detector kind code for the controller (0 by default).
    int type() const { return m_type; }
    void setType(int type);

    // The group holding the detector, or null.
    DetectorGroup *group() const;
    DetectorGroup *detectorGroup() const { return group(); }

    // The point of the host's skeleton at distance(); the invalid point without a host.
    QPointF pos() const override;
    // The covered piece of the host's skeleton (a single point for a point detector).
    GeoPolyline skeleton() const override;
    // The covered piece widened: a lane's width less 0.6 m (at least 1 m), 2 m on other hosts; a point
    // detector covers 1 m.
    GeoShape shape() const override;

protected:
    void invalidate(int flags) override;
    void attached() override { m_valid = false; }

private:
    QObject *groupObject() const;
    bool setGroupObject(QObject *group);
    void compute() const;

    double m_distance = 0.0;
    double m_length = 2.0;
    int m_tlId = 0;
    int m_type = 0;

    mutable QPointF m_pos;
    mutable GeoPolyline m_skeleton;
    mutable GeoShape m_shape;
    mutable bool m_valid = false;
};

} // namespace Trelvoa
