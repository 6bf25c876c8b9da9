#pragma once

#include "customline.h"
#include "geo/geopolyline.h"
#include "netobject.h"

#include <QList>
#include <QVariantList>

namespace Trelvoa {

class Edge;
class Node;

// A road: the edges of both directions (possibly a chain of them through attached nodes) sharing one
// centre skeleton from start() to end(). The skeleton is the custom one when autoSkeleton() is false,
// else the straight line between the end nodes. Membership is held by the edges (Edge::group()); the
// group survives losing all of them. When the group goes, its edges keep the skeleton they had as their
// own (autoSkeleton false).
class TRELVOA_EXPORT EdgeGroup : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *start READ startObject WRITE setStartObject)
    Q_PROPERTY(QObject *end READ endObject WRITE setEndObject)
    Q_PROPERTY(bool autoSkeleton READ autoSkeleton WRITE setAutoSkeleton)
    Q_PROPERTY(int edgeCount READ edgeCount STORED false)
    Q_PROPERTY(QVariantList edges READ edgesList STORED false)
    Q_PROPERTY(int forwardLanes READ forwardLanes STORED false)
    Q_PROPERTY(int backwardLanes READ backwardLanes STORED false)

public:
    explicit EdgeGroup(QObject *parent = nullptr);
    EdgeGroup(QObject *parent, Node *start, Node *end);
    ~EdgeGroup() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("edgeGroup"); }

    Node *start() const { return m_start; }
    Node *end() const { return m_end; }
    // Refuse null, a node of another network, the other end's node and a node attached to this group.
    bool setStart(Node *node);
    bool setEnd(Node *node);

    GeoPolyline skeleton() const override;
    // Sets a custom skeleton and switches autoSkeleton off. Refuses fewer than two points, non-finite
    // points and a skeleton without length.
    bool setSkeleton(const GeoPolyline &skeleton);
    bool autoSkeleton() const { return m_custom.automatic; }
    // Switching it off keeps the current skeleton as the custom one.
    void setAutoSkeleton(bool on);
    GeoPolyline customSkeleton() const { return m_custom.line; }

    // Member edges, by id.
    QList<Edge *> edges() const;
    int edgeCount() const { return edges().size(); }
    // The edge leaves its former group. Refuses null and an edge of another network.
    bool addEdge(Edge *edge);
    // False when the edge is not a member. The edge keeps its autoSkeleton setting.
    bool removeEdge(Edge *edge);
    // Nodes attached to the group (lying on its skeleton between the ends), by id.
    QList<Node *> attachedNodes() const;

    // The highest lane count of the member edges running with (against) the group.
    int forwardLanes() const;
    int backwardLanes() const;
    // The distance along the skeleton of the point nearest to a node (0 and length() for the ends,
    // the attachment for an attached node).
    double nodeDistance(const Node *node) const;

    QSet<NetObject *> neededToplevelObjects() const override;
    void collectAffected(ChangeSet &set, int flags) const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    friend class Edge;
    friend class Node;

    QObject *startObject() const;
    bool setStartObject(QObject *node);
    QObject *endObject() const;
    bool setEndObject(QObject *node);
    QVariantList edgesList() const;
    bool setNode(Node *&member, Node *node, Node *other);

    Node *m_start = nullptr;
    Node *m_end = nullptr;
    CustomLine m_custom;

    mutable GeoPolyline m_skeletonCache;
    mutable bool m_skeletonValid = false;
};

} // namespace Trelvoa
