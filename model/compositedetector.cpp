#include "compositedetector.h"

#include "detectorgroup.h"
#include "edge.h"
#include "geo/geohelpers.h"
#include "objecthelpers.h"
#include "ops/routefinder.h"

namespace Trelvoa {

CompositeDetector::CompositeDetector(QObject *parent)
    : NetObject(parent)
{
}

CompositeDetector::CompositeDetector(DetectorGroup *start, DetectorGroup *end, QObject *parent)
    : NetObject(parent)
{
    setStart(start);
    setEnd(end);
}

CompositeDetector::~CompositeDetector()
{
    beginDestroy();
}

bool CompositeDetector::setGroup(DetectorGroup *&member, DetectorGroup *group, const DetectorGroup *other)
{
    if (!group || !sameNetwork(group) || group == other)
        return false;
    if (group == member)
        return true;
    if (member)
        removeReference(member);
    member = group;
    addReference(group);
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool CompositeDetector::setStart(DetectorGroup *group)
{
    return setGroup(m_start, group, m_end);
}

bool CompositeDetector::setEnd(DetectorGroup *group)
{
    return setGroup(m_end, group, m_start);
}

void CompositeDetector::setTl(int tl)
{
    if (tl == m_tl)
        return;
    m_tl = tl;
    setChanged(this, ChangeFlag::Attributes);
}

void CompositeDetector::setValue(int &member, int value)
{
    if (value == member)
        return;
    member = value;
    setChanged(this, ChangeFlag::Attributes);
}

void CompositeDetector::compute() const
{
    if (m_computed && (!m_start || m_start->edge() == m_startEdge) && (!m_end || m_end->edge() == m_endEdge))
        return;
    m_computed = true;
    m_startEdge = m_start ? m_start->edge() : nullptr;
    m_endEdge = m_end ? m_end->edge() : nullptr;
    m_courseValid = false;
    m_course.clear();
    m_skeleton.clear();
    QList<Edge *> between;
    if (m_start && m_end) {
        const QPointF a = m_start->pos();
        const QPointF b = m_end->pos();
        Edge *first = m_start->edge();
        Edge *last = m_end->edge();
        if (pointIsValid(a) && pointIsValid(b) && first && last) {
            // Distances of the groups along the carriageway centre lines of their edges.
            const GeoPolyline lineA = first->carriagewaySkeleton();
            const GeoPolyline lineB = last->carriagewaySkeleton();
            double da = 0.0;
            double db = 0.0;
            lineA.pointOn(a, &da);
            lineB.pointOn(b, &db);
            if (first == last) {
                if (da <= db) {
                    m_course = {first};
                    m_skeleton = lineA.part(da, db);
                }
            } else {
                m_course = RouteFinder::findCourse({first, last}, m_start->allowed() | m_end->allowed());
                if (!m_course.isEmpty()) {
                    m_skeleton = lineA.part(da, lineA.length());
                    for (int i = 1; i + 1 < m_course.size(); ++i) {
                        between.append(m_course.at(i));
                        m_skeleton += m_course.at(i)->carriagewaySkeleton();
                    }
                    m_skeleton += lineB.part(0.0, db);
                }
            }
            m_courseValid = !m_course.isEmpty();
        }
        if (!m_courseValid && pointIsValid(a) && pointIsValid(b))
            m_skeleton = GeoPolyline({a, b});
    }
    const_cast<CompositeDetector *>(this)->syncReferences(between);
}

void CompositeDetector::syncReferences(const QList<Edge *> &between)
{
    QSet<NetObject *> wanted;
    for (Edge *e : between) {
        if (e != m_startEdge && e != m_endEdge)
            wanted.insert(e);
    }
    for (NetObject *target : m_between - wanted)
        removeReference(target);
    for (NetObject *target : wanted - m_between)
        addReference(target);
    m_between = wanted;
}

bool CompositeDetector::isValid() const
{
    compute();
    return m_courseValid;
}

QList<Edge *> CompositeDetector::edges() const
{
    compute();
    return m_course;
}

GeoPolyline CompositeDetector::skeleton() const
{
    compute();
    return m_skeleton;
}

QPointF CompositeDetector::pos() const
{
    compute();
    return m_skeleton.isEmpty() ? invalidPoint() : m_skeleton.first();
}

void CompositeDetector::referenceRemoved(NetObject *target)
{
    if (target == m_start || target == m_end) {
        // A composite detector cannot exist without both of its groups.
        delete this;
        return;
    }
    if (m_between.remove(target)) {
        // An edge of the course went: the course is found anew when next read.
        removeReference(target);
        m_course.clear();
        m_computed = false;
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::Topology);
        return;
    }
    NetObject::referenceRemoved(target);
}

void CompositeDetector::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_computed = false;
}

void CompositeDetector::attached()
{
    m_computed = false;
}

QObject *CompositeDetector::startObject() const
{
    return m_start;
}

bool CompositeDetector::setStartObject(QObject *group)
{
    return setStart(qobject_cast<DetectorGroup *>(group));
}

QObject *CompositeDetector::endObject() const
{
    return m_end;
}

bool CompositeDetector::setEndObject(QObject *group)
{
    return setEnd(qobject_cast<DetectorGroup *>(group));
}

QSet<NetObject *> CompositeDetector::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    ObjectHelpers::addTopLevel(set, this, m_start);
    ObjectHelpers::addTopLevel(set, this, m_end);
    return set;
}

} // namespace Trelvoa
