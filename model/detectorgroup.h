#pragma once

#include "lane.h"
#include "netobject.h"

namespace Trelvoa {

class CompositeDetector;
class Detector;
class Edge;

// A group of detectors across the lanes of one edge (its parent), counted as one measuring point. The
// group refers to its detectors; they stay children of their lanes. Deleting the group leaves its
// detectors ungrouped and deletes the composite detectors that use it; deleting a detector takes it out
// of the group. The editor moves a group to another edge by filling it with detectors there and then
// giving it the new edge as parent (QObject::setParent); edge() always follows the parent.
class TRELVOA_EXPORT DetectorGroup : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(Trelvoa::Lane::VehicleClasses allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(QVariantList detectors READ detectorsVariant WRITE setDetectorsVariant)

public:
    explicit DetectorGroup(Edge *edge = nullptr);
    // Detectors refused by addDetector are left out.
    DetectorGroup(Edge *edge, const QList<Detector *> &detectors, Lane::VehicleClasses allowed);
    ~DetectorGroup() override;

    QString kindName() const override { return tr("Group of detector"); }
    QString jsonTag() const override { return QStringLiteral("detectorGroup"); }

    // The edge the group belongs to (its parent), or null.
    Edge *edge() const;

    // The classes the group counts (normally the union of its lanes' classes). Bits outside vcAll are
    // dropped.
    Lane::VehicleClasses allowed() const { return m_allowed; }
    void setAllowed(Lane::VehicleClasses classes);

    // In the order they joined.
    QList<Detector *> detectors() const { return m_detectors; }
    int detectorCount() const { return m_detectors.size(); }
    // Adds a detector, taking it out of any other group. Refuses null, detectors of another network,
    // detectors not on a lane and detectors on another edge than the group's other detectors. An empty
    // group takes a detector of any edge (see the class comment). True when the detector is already in
    // the group.
    bool addDetector(Detector *detector);
    // False when the detector is not in the group.
    bool removeDetector(Detector *detector);

    // The mean position of the detectors; for an empty group the middle of its edge's skeleton; the
    // invalid point without either.
    QPointF pos() const override;

    // The composite detectors that start or end at this group.
    QList<CompositeDetector *> compositeDetectors() const;
    QList<NetObject *> linkedObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;

private:
    QVariantList detectorsVariant() const;
    bool setDetectorsVariant(const QVariantList &detectors);

    QList<Detector *> m_detectors;
    Lane::VehicleClasses m_allowed = Lane::VehicleClasses(Lane::DefaultClasses);
};

} // namespace Trelvoa
