#include "route.h"

#include "connection.h"
#include "deletioncascade.h"
#include "detector.h"
#include "edge.h"
#include "geo/geohelpers.h"
#include "objecthelpers.h"
#include "ops/routefinder.h"

#include <cmath>

namespace Trelvoa {

Route::Route(QObject *parent)
    : NetObject(parent)
{
}

Route::~Route()
{
    beginDestroy();
}

void Route::setAllowedVehicles(Lane::VehicleClasses classes)
{
    classes &= Lane::VehicleClasses(Lane::vcAll);
    if (classes == m_allowed)
        return;
    m_allowed = classes;
    setChanged(this, ChangeFlag::Attributes | ChangeFlag::Geometry | ChangeFlag::Topology);
}

bool Route::setMidVehicleLength(double length)
{
    if (!std::isfinite(length) || length <= 0.0)
        return false;
    if (length != m_midVehicleLength) {
        m_midVehicleLength = length;
        setChanged(this, ChangeFlag::Attributes);
    }
    return true;
}

bool Route::setMaxDeceleration(double deceleration)
{
    if (!std::isfinite(deceleration) || deceleration <= 0.0)
        return false;
    if (deceleration != m_maxDeceleration) {
        m_maxDeceleration = deceleration;
        setChanged(this, ChangeFlag::Attributes);
    }
    return true;
}

bool Route::insertControlEdge(int index, Edge *edge)
{
    if (!edge || !sameNetwork(edge))
        return false;
    m_controlEdges.insert(qBound(0, index, m_controlEdges.size()), edge);
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool Route::removeControlEdge(int index)
{
    if (index < 0 || index >= m_controlEdges.size())
        return false;
    m_controlEdges.removeAt(index);
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool Route::removeControlEdge(Edge *edge)
{
    if (!edge || m_controlEdges.removeAll(edge) == 0)
        return false;
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

void Route::updateCourse()
{
    // The shortest course through the control edges in order (model/ops/routing.cpp); it never uses
    // an edge that is being deleted.
    m_courseDirty = false;
    QList<Edge *> course;
    bool valid = !m_controlEdges.isEmpty();
    for (Edge *edge : qAsConst(m_controlEdges)) {
        if (network() && edge->network() != network()) {
            valid = false;
            break;
        }
    }
    if (valid) {
        course = RouteFinder::findCourse(m_controlEdges, m_allowed);
        valid = !course.isEmpty();
    }
    m_course = course;
    m_valid = valid;
    m_skeletonValid = false;
    syncReferences();
}

void Route::ensureCourse() const
{
    if (m_courseDirty)
        const_cast<Route *>(this)->updateCourse();
}

QList<Edge *> Route::edges() const
{
    ensureCourse();
    return m_course;
}

bool Route::isValid() const
{
    ensureCourse();
    return m_valid;
}

void Route::syncReferences()
{
    // One reference per distinct edge, for control edges and course edges alike: the route follows
    // their geometry and leaves them when they go. Control edges are referenced as soon as they are
    // set, so that the network can refuse a route naming edges of another network.
    QSet<NetObject *> wanted;
    for (Edge *edge : qAsConst(m_controlEdges))
        wanted.insert(edge);
    for (Edge *edge : qAsConst(m_course))
        wanted.insert(edge);
    for (NetObject *target : m_referenced - wanted)
        removeReference(target);
    for (NetObject *target : wanted - m_referenced)
        addReference(target);
    m_referenced = wanted;
}

void Route::invalidate(int flags)
{
    // Attribute changes of the edges reach here too: lane classes decide which way the course may take.
    if (flags & (ChangeFlag::Topology | ChangeFlag::Attributes))
        m_courseDirty = true;
    if (flags
        & (ChangeFlag::Geometry | ChangeFlag::Topology | ChangeFlag::Attributes | ChangeFlag::CustomShape))
        m_skeletonValid = false;
}

void Route::referenceRemoved(NetObject *target)
{
    auto *edge = qobject_cast<Edge *>(target);
    if (!edge || !m_referenced.contains(edge)) {
        NetObject::referenceRemoved(target);
        return;
    }
    m_controlEdges.removeAll(edge);
    m_course.removeAll(edge);
    m_referenced.remove(edge);
    removeReference(edge);
    m_courseDirty = true;
    m_skeletonValid = false;
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
}

GeoPolyline Route::joinedSkeleton(const QList<Edge *> &edges) const
{
    GeoPolyline line;
    Edge *previous = nullptr;
    for (Edge *edge : edges) {
        if (previous && previous->end() && previous->end() == edge->start()) {
            for (Connection *c : previous->connections()) {
                Lane *from = c->startLane();
                Lane *to = c->endLane();
                if (from && to && to->edge() == edge && from->allows(m_allowed) && to->allows(m_allowed)) {
                    line += c->skeleton();
                    break;
                }
            }
        }
        line += edge->routeSkeleton(m_allowed);
        previous = edge;
    }
    return line;
}

GeoPolyline Route::skeleton() const
{
    ensureCourse();
    if (!m_skeletonValid) {
        m_skeleton = joinedSkeleton(m_valid ? m_course : m_controlEdges);
        m_skeletonValid = true;
    }
    return m_skeleton;
}

QPointF Route::pos() const
{
    const GeoPolyline line = skeleton();
    if (line.isEmpty())
        return invalidPoint();
    QPointF point = line.first();
    line.lineAtDistance(line.length() / 2.0, true, &point);
    return point;
}

QList<Detector *> Route::detectors() const
{
    return findChildren<Detector *>(QString(), Qt::FindDirectChildrenOnly);
}

QVariantList Route::controlEdgesVariant() const
{
    QVariantList list;
    for (Edge *edge : m_controlEdges)
        list.append(QVariant::fromValue<QObject *>(edge));
    return list;
}

bool Route::setControlEdgesVariant(const QVariantList &edges)
{
    QList<Edge *> wanted;
    for (const QVariant &v : edges) {
        auto *edge = qobject_cast<Edge *>(v.value<QObject *>());
        if (!edge || !sameNetwork(edge))
            return false;
        wanted.append(edge);
    }
    if (wanted == m_controlEdges)
        return true;
    m_controlEdges = wanted;
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

QVariantList Route::edgesVariant() const
{
    QVariantList list;
    for (Edge *edge : edges())
        list.append(QVariant::fromValue<QObject *>(edge));
    return list;
}

QList<NetObject *> Route::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

QSet<NetObject *> Route::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (Edge *edge : m_controlEdges)
        ObjectHelpers::addTopLevel(set, this, edge);
    return set;
}

} // namespace Trelvoa
