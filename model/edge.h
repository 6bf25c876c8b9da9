#pragma once

#include "customline.h"
#include "geo/geopolyline.h"
#include "lane.h"
#include "netobject.h"
#include "turnpercentage.h"

#include <QList>
#include <QVariantList>

namespace Trelvoa {

class Connection;
class EdgeGroup;
class Node;

// A directed road section from start() to end() that carries lanes (its children, index 0 the
// rightmost in the driving direction).
//
// Skeleton: the custom one when autoSkeleton() is false; else, in a group, the part of the group's
// skeleton between the two nodes (reversed when the edge runs against the group); else the straight
// line from the start node to the end node. The lanes lie to the right of the skeleton: the last
// (leftmost) lane borders it, shifted by lanesOffset() (positive to the left, as GeoPolyline::parallel),
// so two opposite edges on one skeleton form a two-way road whose last lanes meet at the centre line.
class TRELVOA_EXPORT Edge : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *start READ startObject WRITE setStartObject)
    Q_PROPERTY(QObject *end READ endObject WRITE setEndObject)
    Q_PROPERTY(QObject *group READ groupObject WRITE setGroupObject)
    Q_PROPERTY(bool autoSkeleton READ autoSkeleton WRITE setAutoSkeleton)
    Q_PROPERTY(double lanesOffset READ lanesOffset WRITE setLanesOffset)
    Q_PROPERTY(QString street_name READ streetName WRITE setStreetName)
    Q_PROPERTY(int lanesCount READ lanesCount STORED false)
    Q_PROPERTY(QVariantList lanes READ lanesList STORED false)
    Q_PROPERTY(double length READ length STORED false)
    Q_PROPERTY(double maxSpeed READ maxSpeed WRITE setMaxSpeed STORED false)

public:
    // A turning flow through the end junction of an incoming edge: one record per pair of incoming and
    // outgoing edges that lane connections join.
    struct Connection
    {
        int manoeuvre = TurnPercentage::Straight; // TurnPercentage::Manoeuvre; 4 and above: other
        Edge *from = nullptr;
        Edge *to = nullptr;
        int percentage = 0; // default turning percentage

        // The flows of a list of lane connections (typically Edge::connections()): one record per
        // (incoming, outgoing) edge pair, in the order first met. The manoeuvre follows from the mean
        // turn angle of the pair's connections (straight within 30 degrees, a turnaround beyond 150 to
        // either side). Each kind's percentage of `defaults` is shared evenly among the records of that
        // kind leaving the same incoming edge; other kinds get 0.
        static QList<Connection> makeFlow(const QList<Trelvoa::Connection *> &connections,
                                          TurnPercentage defaults = TurnPercentage::defaultValue());
    };

    explicit Edge(QObject *parent = nullptr);
    // No lanes are made: the caller adds them (new Lane(edge) or insertLane).
    Edge(QObject *parent, Node *start, Node *end);
    ~Edge() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("edge"); }

    Node *start() const { return m_start; }
    Node *end() const { return m_end; }
    // Refuse null, a node of another network and the other end's node (an edge needs two nodes).
    // Connections from this edge's stoplines move to the new end node.
    bool setStart(Node *node);
    bool setEnd(Node *node);

    EdgeGroup *group() const { return m_group; }
    // Same as EdgeGroup::addEdge / removeEdge (null leaves the group).
    bool setGroup(EdgeGroup *group);

    GeoPolyline skeleton() const override;
    // Sets a custom skeleton and switches autoSkeleton off. Refuses fewer than two points, non-finite
    // points and a skeleton without length.
    bool setSkeleton(const GeoPolyline &skeleton);
    bool autoSkeleton() const { return m_custom.automatic; }
    // Switching it off keeps the current skeleton as the custom one.
    void setAutoSkeleton(bool on);
    // The skeleton the user set (kept while autoSkeleton() is true, but not used then).
    GeoPolyline customSkeleton() const { return m_custom.line; }
    double length() const { return skeleton().length(); }

    double lanesOffset() const { return m_lanesOffset; }
    // Refuses non-finite offsets.
    bool setLanesOffset(double offset);

    QString streetName() const { return m_streetName; }
    void setStreetName(const QString &name);

    int lanesCount() const;
    // Null out of range.
    Lane *lane(int i) const;
    QList<Lane *> lanes() const;
    // -1 when the lane is not one of this edge's.
    int laneIndex(const Lane *lane) const;
    // Puts a lane of this edge (a new one, or one already in the list) at the index, clamped to
    // [0, lanesCount()]. Refuses null and lanes of other edges.
    bool insertLane(int index, Lane *lane);
    // The sum of the lane widths.
    double lanesWidth() const;

    // The highest speed of the lanes (0 without lanes); setting it sets every lane's speed.
    double maxSpeed() const;
    bool setMaxSpeed(double speed);

    // The edges that run the other way between the same two nodes.
    QList<Edge *> opposite() const;
    // The lane connections that leave this edge's lanes at its end node.
    QList<Trelvoa::Connection *> connections() const;

    // The centre line of all lanes, node to node (the skeleton when there are no lanes).
    GeoPolyline carriagewaySkeleton() const;
    // The centre line of the lanes that allow any of the classes (all lanes for no class, the
    // carriageway when no lane allows them), cut back at the junction shapes as the lanes are.
    GeoPolyline routeSkeleton(Lane::VehicleClasses classes) const;

    QSet<NetObject *> neededToplevelObjects() const override;
    QList<NetObject *> linkedObjects() const override;
    void collectAffected(ChangeSet &set, int flags) const override;
    // This edge with its subtree and the holders of references to it, without the end nodes.
    void collectLightAffected(ChangeSet &set, int flags) const;
    // What a new shape of the end node `at` changes: this edge, the holders of references to it, its
    // other children, and its lanes with what follows their cut at `at` (Lane::collectCutAffected).
    // An edge already in the set (reached from its other end, or changed itself) only adds the lanes'
    // part at `at`.
    void collectShapeAffected(ChangeSet &set, int flags, const Node *at) const;

    // True once the edge is being deleted: its nodes no longer count it.
    bool isRemoved() const { return isDestroying(); }

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    friend class EdgeGroup;
    friend class Lane;
    friend class Node;

    QObject *startObject() const;
    bool setStartObject(QObject *node);
    QObject *endObject() const;
    bool setEndObject(QObject *node);
    QObject *groupObject() const;
    bool setGroupObject(QObject *group);
    QVariantList lanesList() const;

    bool setNode(Node *&member, Node *node, Node *other);
    void joinGroup(EdgeGroup *group);
    void addLane(Lane *lane, int index);
    void removeLane(Lane *lane);
    // The skeleton as the rules derive it, ignoring the cache.
    GeoPolyline derivedSkeleton() const;
    // Drops the derived geometry of this edge and of everything that depends on it, without hooks:
    // for changes made while nothing is told (loose objects, silent networks, object teardown).
    void dropRoadCaches() const;
    static void dropCaches(const ChangeSet &set);
    // The change set of moved nodes, groups with a new skeleton and edges with new lanes. First
    // everything whose full geometry changes (following moves into incident edges and groups ending
    // there, groups into their member edges and attached nodes), then the shapes of the nodes at their
    // ends, so that an edge is never taken in part first.
    static void collectRoadChange(ChangeSet &set, int flags, QVector<const Node *> nodes,
                                  QVector<const EdgeGroup *> groups, QVector<const Edge *> edges);
    // Live lanes (without those being deleted).
    QVector<Lane *> liveLanes() const;

    Node *m_start = nullptr;
    Node *m_end = nullptr;
    EdgeGroup *m_group = nullptr;
    CustomLine m_custom;
    double m_lanesOffset = 0.0;
    QString m_streetName;
    QVector<Lane *> m_lanes;

    mutable GeoPolyline m_skeletonCache;
    mutable bool m_skeletonValid = false;
};

} // namespace Trelvoa
