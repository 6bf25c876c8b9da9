#pragma once

#include "geo/geoshape.h"
#include "netobject.h"

#include <QList>
#include <QMap>
#include <QVariantList>

namespace Trelvoa {

class Connection;
class CrossWalk;
class Edge;
class EdgeGroup;
class Granule;

// A point of the road network. type() 0 is a plain node (a place where a road changes: no junction
// area, no stoplines); any other type is a junction (1 without signals, 2 signalised, 3 and above other
// kinds such as rail crossings). A junction owns its connections and crosswalks as children.
//
// The junction shape is derived unless the user gave one (autoShape false): the convex hull of the
// points where the outer lane borders of its edges cross a circle of shapeRadius() around the node,
// together with the points where those borders start at the node. The radius is
// sqrt(w1^2 + w2^2), w1 being the widest half-road at the node (skeleton to outer lane border) and w2
// the widest half-road of an arm that crosses it (more than 30 degrees off its line; w1 again when every
// arm is in line), so that two crossing roads give exactly the rectangle where they overlap.
//
// A node attached to an edge group lies on the group's skeleton: its position is kept as a fraction of
// the skeleton's length, so that it follows when the skeleton changes, and setPos() moves it to the
// nearest point of the skeleton.
class TRELVOA_EXPORT Node : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QPointF pos READ pos WRITE setPos)
    Q_PROPERTY(double x READ x WRITE setX STORED false)
    Q_PROPERTY(double y READ y WRITE setY STORED false)
    Q_PROPERTY(int type READ type WRITE setType)
    Q_PROPERTY(bool autoShape READ autoShape WRITE setAutoShape)
    Q_PROPERTY(QObject *attachedEdgeGroup READ attachedEdgeGroupObject WRITE setAttachedEdgeGroupObject)
    Q_PROPERTY(QObject *granule READ granuleObject STORED false)
    Q_PROPERTY(QVariantList edges READ edgesList STORED false)

public:
    enum Kind { PlainNode = 0, Junction = 1, SignalisedJunction = 2, OtherJunction = 3 };
    Q_ENUM(Kind)

    explicit Node(QObject *parent = nullptr);
    Node(QObject *parent, const QPointF &pos, int type = PlainNode);
    ~Node() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("node"); }

    int type() const { return m_type; }
    // Refuses negative types.
    bool setType(int type);
    bool isJunction() const { return m_type != PlainNode; }

    QPointF pos() const override;
    // Refuses non-finite points. On an attached node the point is projected onto the group's skeleton.
    bool setPos(const QPointF &pos);
    double x() const { return pos().x(); }
    double y() const { return pos().y(); }
    bool setX(double x) { return setPos(QPointF(x, pos().y())); }
    bool setY(double y) { return setPos(QPointF(pos().x(), y)); }

    // The junction outline: the custom shape when autoShape() is false, else the derived one; always
    // empty for a plain node.
    GeoShape shape() const override;
    bool autoShape() const { return m_autoShape; }
    // Switching the automatic shape off keeps the current outline as the custom one.
    void setAutoShape(bool on);
    // The outline the user set (kept while autoShape() is true, but not used then).
    GeoShape customShape() const { return m_customShape; }
    // Sets a custom outline and switches the automatic shape off; an empty shape switches it back on.
    // Refuses outlines with fewer than three distinct points or non-finite points.
    bool setCustomShape(const GeoShape &shape);
    // The derived outline, whatever autoShape() says (empty for a plain node).
    GeoShape computedShape() const;
    // The radius of the circle the derived outline is built on (0 without lanes).
    double shapeRadius() const;

    // Edges that start or end here, in the order they were attached.
    QList<Edge *> edges() const;
    int edgesCount() const { return edges().size(); }
    // Null out of range.
    Edge *edge(int i) const;
    QList<Edge *> incomingEdges() const;
    QList<Edge *> outgoingEdges() const;
    // The edges by the clockwise angle (degrees, [0, 360), 0 = east) at which their lanes leave the
    // node, seen from the node; walked in ascending order this goes clockwise around the junction. The
    // two directions of a road get distinct keys (the entering one first), and equal keys are made
    // distinct, so no edge is dropped.
    QMap<double, Edge *> sortedEdges() const;

    // Edge groups that start or end here.
    QList<EdgeGroup *> edgeGroups() const;
    // The group whose skeleton this node lies on (between its ends), or null.
    EdgeGroup *attachedEdgeGroup() const { return m_attachedGroup; }
    // Attaches the node to a group (null detaches it; the node keeps its position). Refuses a group of
    // another network and a group that starts or ends at this node.
    bool setAttachedEdgeGroup(EdgeGroup *group);

    // The connections and crosswalks of this junction (its children).
    QList<Connection *> connections() const;
    QList<CrossWalk *> crossWalks() const;

    // --- (model/ops/connectionbuilder.cpp) ---
    // Replaces the junction's connections with the standard set: every incoming lane to the outgoing
    // edges it may turn to (right turns from the rightmost lanes, left turns from the leftmost, straight
    // on lane to lane, spread where the lane counts differ), only between lanes sharing a vehicle class
    // other than pedestrian, turnarounds only where nothing else is possible. Connections that belong
    // to the standard set stay as they are (with their ids, speeds, skeletons and signal groups); the
    // others are deleted. Nothing happens at a plain node.
    void makeConnections();

    // The granule (signal controller) the node belongs to, or null.
    Granule *granule() const;

    QList<NetObject *> linkedObjects() const override;
    void collectAffected(ChangeSet &set, int flags) const override;

    // Network files: the place on the attached edge group ("groupFraction"), which pos() derives from
    // (defined in io/nodecontent.cpp).
    void saveContent(ContentWriter &writer) const override;
    bool loadContent(ContentReader &reader) override;

    // The part of a change that follows from a new junction shape: this node (the caller adds it), its
    // own children (connections, crosswalks), the walking areas and other holders of references to it,
    // and its edges with their lanes and the lines at this node (Edge::collectShapeAffected), but
    // nothing at the edges' far nodes.
    void collectShapeAffected(ChangeSet &set, int flags) const;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    friend class Edge;
    friend class EdgeGroup;

    QObject *attachedEdgeGroupObject() const;
    bool setAttachedEdgeGroupObject(QObject *group);
    QObject *granuleObject() const;
    QVariantList edgesList() const;

    void attachEdge(Edge *edge);
    void detachEdge(Edge *edge);
    void attachGroup(EdgeGroup *group);
    void detachGroup(EdgeGroup *group);
    // Position recomputed from the attachment fraction.
    QPointF attachedPos() const;

    QPointF m_pos;
    int m_type = PlainNode;
    bool m_autoShape = true;
    GeoShape m_customShape;
    EdgeGroup *m_attachedGroup = nullptr;
    double m_groupFraction = 0.0;
    QVector<Edge *> m_edges;
    QVector<EdgeGroup *> m_groups;

    mutable QPointF m_attachedPos;
    mutable bool m_attachedPosValid = false;
    mutable GeoShape m_shapeCache;
    mutable double m_radiusCache = 0.0;
    mutable bool m_shapeValid = false;
};

} // namespace Trelvoa
