#pragma once

#include "lane.h"
#include "netobject.h"

namespace Trelvoa {

class Detector;
class Edge;

// A route through the network for some vehicle classes. The user gives its control edges (edges it must
// pass, in order); its course (edges()) is derived from them: the shortest way through the control
// edges in order for allowedVehicles() (Network::findRoute); when there is none the route is invalid.
//
// The course is found anew after every change with the Topology flag (the editor's "Recalculate"
// sends setChanged(nullptr, ChangeFlag::Topology)) and after attribute changes of its edges (lane
// classes decide which way it may take); changes elsewhere, such as a new shortcut, count on the next
// recalculation. A deleted edge leaves the control edges. Detectors may be children of a route; they
// are placed along its skeleton.
class TRELVOA_EXPORT Route : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(Trelvoa::Lane::VehicleClasses allowedVehicles READ allowedVehicles WRITE setAllowedVehicles)
    Q_PROPERTY(bool valid READ isValid STORED false)
    Q_PROPERTY(QVariantList controlEdges READ controlEdgesVariant WRITE setControlEdgesVariant)
    Q_PROPERTY(QVariantList edges READ edgesVariant STORED false)
    Q_PROPERTY(double length READ length STORED false)
    Q_PROPERTY(double midVehicleLength READ midVehicleLength WRITE setMidVehicleLength)
    Q_PROPERTY(double maxDeceleration READ maxDeceleration WRITE setMaxDeceleration)

public:
    explicit Route(QObject *parent = nullptr);
    ~Route() override;

    QString kindName() const override { return tr("Route"); }
    QString jsonTag() const override { return QStringLiteral("route"); }

    Lane::VehicleClasses allowedVehicles() const { return m_allowed; }
    // Bits outside vcAll are dropped.
    void setAllowedVehicles(Lane::VehicleClasses classes);

    // The vehicles that run the route in a simulation: their mean length (m) and their greatest
    // deceleration (m/s^2). Values <= 0 and non-finite ones are refused.
    double midVehicleLength() const { return m_midVehicleLength; }
    bool setMidVehicleLength(double length);
    double maxDeceleration() const { return m_maxDeceleration; }
    bool setMaxDeceleration(double deceleration);

    QList<Edge *> controlEdges() const { return m_controlEdges; }
    // Inserts a control edge at the index, clamped to [0, count]. Refuses null and edges of another
    // network. The same edge may appear more than once (a route may pass an edge twice).
    bool insertControlEdge(int index, Edge *edge);
    bool addControlEdge(Edge *edge) { return insertControlEdge(m_controlEdges.size(), edge); }
    bool appendControlEdge(Edge *edge) { return addControlEdge(edge); }
    // False for an index out of range.
    bool removeControlEdge(int index);
    // Removes every occurrence; false when the edge is not a control edge.
    bool removeControlEdge(Edge *edge);

    // The course: the edges the route runs along, in order; empty when the route is invalid.
    QList<Edge *> edges() const;
    // True when a course exists.
    bool isValid() const;

    // The route skeletons (Edge::routeSkeleton for allowedVehicles()) of the course edges, joined
    // through the skeleton of a connection between each pair where one allows the classes. An invalid
    // route shows its control edges joined the same way, so that the user still sees what was drawn.
    GeoPolyline skeleton() const override;
    double length() const { return skeleton().length(); }
    QPointF pos() const override;

    // The detectors placed along the route (children).
    QList<Detector *> detectors() const;
    QList<NetObject *> linkedObjects() const override;
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;

private:
    // The one place that derives the course from the control edges. The course is derived when it is
    // first read after a change, so that a load or a burst of edits computes it once, on a complete
    // network.
    void updateCourse();
    void ensureCourse() const;
    void syncReferences();
    QVariantList controlEdgesVariant() const;
    bool setControlEdgesVariant(const QVariantList &edges);
    QVariantList edgesVariant() const;
    GeoPolyline joinedSkeleton(const QList<Edge *> &edges) const;

    QList<Edge *> m_controlEdges;
    // Until the course is derived again, the references keep every edge of the old course, so that
    // none of them can go unnoticed.
    QList<Edge *> m_course;
    QSet<NetObject *> m_referenced;
    bool m_courseDirty = true;
    Lane::VehicleClasses m_allowed = Lane::VehicleClasses(Lane::DefaultClasses);
    bool m_valid = false;
    double m_midVehicleLength = 5.0;
    double m_maxDeceleration = 4.5;

    mutable GeoPolyline m_skeleton;
    mutable bool m_skeletonValid = false;
};

} // namespace Trelvoa
