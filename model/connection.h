#pragma once

#include "customline.h"
#include "geo/geopolyline.h"
#include "netobject.h"

#include <QList>
#include <QStringList>

namespace Trelvoa {

class Lane;
class Node;
class SignalGroup;
class Stopline;

// A lane-to-lane movement through a junction: from() the stopline of the incoming lane, to() the start
// line of the outgoing lane. It is a child of its junction: made on the network (or anywhere), it moves
// under the node where its from-lane ends as soon as from() is set, and follows when that lane's edge
// gets another end node. It goes when either line goes (with its lane).
//
// Skeleton: the custom one when autoSkeleton() is false; else a cubic Bezier curve from the stopline
// point to the start-line point, tangent to both lanes there, sampled into a polyline. lanesAngle() is
// the turn angle in degrees counter-clockwise, [0, 360): 0 straight on, 90 a left turn, 270 a right turn.
class TRELVOA_EXPORT Connection : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *from READ fromObject WRITE setFromObject)
    Q_PROPERTY(QObject *to READ toObject WRITE setToObject)
    Q_PROPERTY(double maxSpeed READ maxSpeed WRITE setMaxSpeed)
    Q_PROPERTY(bool giveWay READ giveWay WRITE setGiveWay)
    Q_PROPERTY(bool autoSkeleton READ autoSkeleton WRITE setAutoSkeleton)
    Q_PROPERTY(double lanesAngle READ lanesAngle STORED false)
    Q_PROPERTY(QString signalGroupName READ signalGroupName STORED false)
    Q_PROPERTY(QString signalGroupsName READ signalGroupsName STORED false)
    Q_PROPERTY(QStringList signalGroupsNames READ signalGroupsNames STORED false)
    Q_PROPERTY(int signalGroupTlId READ signalGroupTlId STORED false)
    Q_PROPERTY(QString signalGroupsTlId READ signalGroupsTlId STORED false)

public:
    explicit Connection(QObject *parent = nullptr);
    Connection(QObject *parent, Stopline *from, Stopline *to);
    ~Connection() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("connection"); }

    Stopline *from() const { return m_from; }
    Stopline *to() const { return m_to; }
    // Refuse null, a line of another network, a start line as from() and a stopline as to().
    bool setFrom(Stopline *line);
    bool setTo(Stopline *line);
    Lane *startLane() const;
    Lane *endLane() const;
    // The junction the connection passes through (its parent node), or null.
    Node *junction() const;

    double maxSpeed() const { return m_maxSpeed; }
    // km/h; refuses negative and non-finite speeds.
    bool setMaxSpeed(double speed);
    bool giveWay() const { return m_giveWay; }
    void setGiveWay(bool giveWay);

    GeoPolyline skeleton() const override;
    // Sets a custom skeleton and switches autoSkeleton off. Refuses fewer than two points and
    // non-finite points.
    bool setSkeleton(const GeoPolyline &skeleton);
    bool autoSkeleton() const { return m_custom.automatic; }
    // Switching it off keeps the current skeleton as the custom one.
    void setAutoSkeleton(bool on);
    GeoPolyline customSkeleton() const { return m_custom.line; }
    // The Bezier curve, whatever autoSkeleton() says; empty without both lines.
    GeoPolyline computedSkeleton() const;
    // The skeleton stroked by the width of the incoming lane.
    GeoShape shape() const override;

    // Degrees counter-clockwise from the incoming lane's direction at its stopline to the outgoing
    // lane's direction at its start line, in [0, 360); 0 without both lines.
    double lanesAngle() const;

    // The signal groups that hold this connection, and their names and numbers.
    QList<SignalGroup *> signalGroups() const;
    QString signalGroupName() const;
    QString signalGroupsName() const;
    QStringList signalGroupsNames() const;
    int signalGroupTlId() const;
    QString signalGroupsTlId() const;

    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    friend class Edge;

    QObject *fromObject() const;
    bool setFromObject(QObject *line);
    QObject *toObject() const;
    bool setToObject(QObject *line);
    // Moves under the node where the from-lane ends.
    void followJunction();

    Stopline *m_from = nullptr;
    Stopline *m_to = nullptr;
    double m_maxSpeed = 50.0;
    bool m_giveWay = false;
    CustomLine m_custom;

    mutable GeoPolyline m_skeletonCache;
    mutable bool m_skeletonValid = false;
};

} // namespace Trelvoa
