#pragma once

#include "netobject.h"

#include <QMetaType>

namespace Trelvoa {

class Edge;

// A traffic assignment zone: a point where trips begin and end, linked to the edges it feeds or drains.
// Each link names a point on the edge's skeleton and a direction. Deleting an edge drops its link;
// deleting the zone clears it from the OD matrices and traffic states that use it.
class TRELVOA_EXPORT Taz : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QPointF pos READ pos WRITE setPos)
    Q_PROPERTY(double radius READ radius WRITE setRadius)
    Q_PROPERTY(QVariantList edges READ edgesVariant STORED false)

public:
    // One link to an edge.
    struct EdgeData
    {
        // Distance along the edge's skeleton from its start to the link point.
        double position = 0.0;
        // True: the zone is a source for the edge (trips run from the zone onto the edge); false: a sink.
        bool flag = false;
    };

    explicit Taz(QObject *parent = nullptr);
    // A non-finite position is replaced by (0, 0).
    Taz(QObject *parent, const QPointF &pos);
    ~Taz() override;

    QString kindName() const override { return tr("Traffic assignment zone"); }
    QString jsonTag() const override { return QStringLiteral("taz"); }

    QPointF pos() const override { return m_pos; }
    // Refuses a non-finite position.
    bool setPos(const QPointF &pos);

    // The zone's extent, drawn and copied as a circle around pos().
    double radius() const { return m_radius; }
    // Refuses radii <= 0 and non-finite values.
    bool setRadius(double radius);
    GeoShape shape() const override;

    // The linked edges, in the order they were linked.
    QList<Edge *> edges() const;
    // The link to an edge, or null when the edge is not linked. The pointer stays valid until the next
    // change of the zone's links.
    const EdgeData *edgeData(Edge *edge) const;
    // Links an edge, or changes its link. The position is clamped to [0, skeleton length] when the
    // edge has a skeleton. Refuses a null edge, an edge of another network and a non-finite position.
    bool addEdge(Edge *edge, double position, bool flag);
    // False when the edge was not linked.
    bool removeEdge(Edge *edge);
    // True when some link has its flag set (the zone feeds traffic into the network).
    bool hasSourceEdges() const;
    // The link point on the edge's skeleton; the invalid point when the edge is not linked.
    QPointF connectionPoint(Edge *edge) const;
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;

private:
    struct Link
    {
        Edge *edge;
        EdgeData data;
    };
    QVariantList edgesVariant() const;
    int indexOf(const Edge *edge) const;

    QPointF m_pos;
    double m_radius = 20.0;
    QVector<Link> m_links;
};

} // namespace Trelvoa

Q_DECLARE_METATYPE(Trelvoa::Taz *)
