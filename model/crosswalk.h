#pragma once

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "netobject.h"

namespace Trelvoa {

class Lane;
class Node;
class SignalGroup;

// A pedestrian crossing at a junction (its parent), laid across the road from lane1() to lane2() (which
// may be one lane). offset1()/offset2() are distances along each lane's full skeleton from the lane's
// junction end: its end when the lane ends at the junction, else its start. It goes when either lane
// goes.
//
// Skeleton: a straight line through the two lane points, extended by half a lane width at each end so
// that it spans both lanes (for a single lane: across it, from its right border to its left one, at
// offset1). Shape: the skeleton widened by width(), four corners Q0..Q3 and the closing point, with
// Q0-Q1 across the start end, Q1-Q2 and Q3-Q0 the long sides along the skeleton.
class TRELVOA_EXPORT CrossWalk : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *junction READ junctionObject WRITE setJunctionObject)
    Q_PROPERTY(QObject *lane1 READ lane1Object WRITE setLane1Object)
    Q_PROPERTY(QObject *lane2 READ lane2Object WRITE setLane2Object)
    Q_PROPERTY(double offset1 READ offset1 WRITE setOffset1)
    Q_PROPERTY(double offset2 READ offset2 WRITE setOffset2)
    Q_PROPERTY(double width READ width WRITE setWidth)
    Q_PROPERTY(double maxSpeed READ maxSpeed WRITE setMaxSpeed)
    Q_PROPERTY(QString signalGroupName READ signalGroupName STORED false)
    Q_PROPERTY(int signalGroupTlId READ signalGroupTlId STORED false)

public:
    // parent: the junction node, or any owner until setJunction().
    explicit CrossWalk(QObject *parent = nullptr);
    CrossWalk(Node *junction, Lane *lane1, double offset1, Lane *lane2, double offset2);
    ~CrossWalk() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("crosswalk"); }

    // The parent node, or null.
    Node *junction() const;
    // Moves the crosswalk under the node. Refuses null and a node of another network.
    bool setJunction(Node *junction);

    Lane *lane1() const { return m_lane1; }
    Lane *lane2() const { return m_lane2; }
    // Refuse null and lanes of another network.
    bool setLane1(Lane *lane);
    bool setLane2(Lane *lane);
    double offset1() const { return m_offset1; }
    double offset2() const { return m_offset2; }
    // Refuse negative and non-finite offsets.
    bool setOffset1(double offset);
    bool setOffset2(double offset);

    double width() const { return m_width; }
    // Refuses widths <= 0 and non-finite values.
    bool setWidth(double width);
    double maxSpeed() const { return m_maxSpeed; }
    // km/h; refuses negative and non-finite speeds.
    bool setMaxSpeed(double speed);

    // The points on the lanes' full skeletons at the offsets (invalid without the lane).
    QPointF lanePoint1() const;
    QPointF lanePoint2() const;

    GeoPolyline skeleton() const override;
    GeoShape shape() const override;
    QPointF pos() const override;

    // The first signal group that holds this crosswalk, or null; its name and number.
    SignalGroup *signalGroup() const;
    QString signalGroupName() const;
    int signalGroupTlId() const;

    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    friend class Edge;

    QObject *junctionObject() const;
    bool setJunctionObject(QObject *node);
    QObject *lane1Object() const;
    bool setLane1Object(QObject *lane);
    QObject *lane2Object() const;
    bool setLane2Object(QObject *lane);

    bool setLane(Lane *&member, Lane *lane);
    QPointF lanePoint(const Lane *lane, double offset) const;
    void compute() const;

    Lane *m_lane1 = nullptr;
    Lane *m_lane2 = nullptr;
    double m_offset1 = 0.0;
    double m_offset2 = 0.0;
    double m_width = 4.0;
    double m_maxSpeed = 5.0;

    mutable GeoPolyline m_skeletonCache;
    mutable GeoShape m_shapeCache;
    mutable bool m_valid = false;
};

} // namespace Trelvoa
