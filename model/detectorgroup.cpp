#include "detectorgroup.h"

#include "compositedetector.h"
#include "deletioncascade.h"
#include "detector.h"
#include "edge.h"
#include "geo/geohelpers.h"

namespace Trelvoa {

DetectorGroup::DetectorGroup(Edge *edge)
    : NetObject(edge)
{
}

DetectorGroup::DetectorGroup(Edge *edge, const QList<Detector *> &detectors, Lane::VehicleClasses allowed)
    : NetObject(edge)
    , m_allowed(allowed & Lane::VehicleClasses(Lane::vcAll))
{
    for (Detector *d : detectors)
        addDetector(d);
}

DetectorGroup::~DetectorGroup()
{
    beginDestroy();
}

Edge *DetectorGroup::edge() const
{
    return qobject_cast<Edge *>(parent());
}

void DetectorGroup::setAllowed(Lane::VehicleClasses classes)
{
    classes &= Lane::VehicleClasses(Lane::vcAll);
    if (classes == m_allowed)
        return;
    m_allowed = classes;
    setChanged(this, ChangeFlag::Attributes);
}

bool DetectorGroup::addDetector(Detector *detector)
{
    if (!detector || !sameNetwork(detector) || !detector->lane())
        return false;
    if (m_detectors.contains(detector))
        return true;
    if (!m_detectors.isEmpty() && m_detectors.first()->lane()
        && m_detectors.first()->lane()->edge() != detector->lane()->edge())
        return false;
    if (DetectorGroup *other = detector->group())
        other->removeDetector(detector);
    m_detectors.append(detector);
    addReference(detector);
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool DetectorGroup::removeDetector(Detector *detector)
{
    if (!detector || !m_detectors.removeOne(detector))
        return false;
    removeReference(detector);
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

QPointF DetectorGroup::pos() const
{
    double x = 0.0;
    double y = 0.0;
    int n = 0;
    for (Detector *d : m_detectors) {
        const QPointF p = d->pos();
        if (!pointIsValid(p))
            continue;
        x += p.x();
        y += p.y();
        ++n;
    }
    if (n > 0)
        return QPointF(x / n, y / n);
    if (Edge *e = edge()) {
        const GeoPolyline line = e->skeleton();
        if (!line.isEmpty()) {
            QPointF middle = line.first();
            line.lineAtDistance(line.length() / 2.0, true, &middle);
            return middle;
        }
    }
    return invalidPoint();
}

QList<CompositeDetector *> DetectorGroup::compositeDetectors() const
{
    QList<CompositeDetector *> list;
    for (NetObject *holder : referrers()) {
        auto *c = qobject_cast<CompositeDetector *>(holder);
        if (c && !list.contains(c))
            list.append(c);
    }
    return list;
}

void DetectorGroup::referenceRemoved(NetObject *target)
{
    if (auto *detector = qobject_cast<Detector *>(target)) {
        if (removeDetector(detector))
            return;
    }
    NetObject::referenceRemoved(target);
}

QVariantList DetectorGroup::detectorsVariant() const
{
    QVariantList list;
    for (Detector *d : m_detectors)
        list.append(QVariant::fromValue<QObject *>(d));
    return list;
}

bool DetectorGroup::setDetectorsVariant(const QVariantList &detectors)
{
    QList<Detector *> wanted;
    for (const QVariant &v : detectors) {
        auto *d = qobject_cast<Detector *>(v.value<QObject *>());
        if (!d || !sameNetwork(d) || !d->lane())
            return false;
        if (!wanted.isEmpty() && wanted.first()->lane()->edge() != d->lane()->edge())
            return false;
        if (!wanted.contains(d))
            wanted.append(d);
    }
    const QList<Detector *> current = m_detectors;
    for (Detector *d : current) {
        if (!wanted.contains(d))
            removeDetector(d);
    }
    for (Detector *d : qAsConst(wanted))
        addDetector(d);
    if (m_detectors != wanted) {
        m_detectors = wanted;
        setChanged(this, ChangeFlag::Topology);
    }
    return true;
}

QList<NetObject *> DetectorGroup::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

} // namespace Trelvoa
