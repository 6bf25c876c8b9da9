#pragma once

#include "netobject.h"

namespace Trelvoa {

class DetectorGroup;
class Edge;

// A measuring section from a start detector group to an end detector group. It goes when either group
// goes.
//
// Its course: on one edge, from the start group forward to the end group; else from the start group
// along its edge, the shortest way (Network::findRoute, for the classes of either group) to the end
// group's edge and along it to the end group. The course exists (isValid()) when the groups lie on one
// edge in that order or such a way exists. The skeleton follows the carriageway centre lines of the
// course's edges; without a course it is the straight line between the two groups. The edges between
// the two groups' edges are referenced, so that the course follows them and is found anew when one
// goes.
class TRELVOA_EXPORT CompositeDetector : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *start READ startObject WRITE setStartObject)
    Q_PROPERTY(QObject *end READ endObject WRITE setEndObject)
    Q_PROPERTY(bool valid READ isValid STORED false)
    Q_PROPERTY(int tl READ tl WRITE setTl)
    Q_PROPERTY(int phase READ phase WRITE setPhase)
    Q_PROPERTY(int prog READ prog WRITE setProg)
    Q_PROPERTY(int max_present_time READ maxPresentTime WRITE setMaxPresentTime)
    Q_PROPERTY(int max_unconnected_time READ maxUnconnectedTime WRITE setMaxUnconnectedTime)
    Q_PROPERTY(int crossWI READ crossWI WRITE setCrossWI)
    Q_PROPERTY(int crossWO READ crossWO WRITE setCrossWO)

public:
    explicit CompositeDetector(QObject *parent = nullptr);
    // Groups refused by setStart / setEnd are left unset.
    CompositeDetector(DetectorGroup *start, DetectorGroup *end, QObject *parent = nullptr);
    ~CompositeDetector() override;

    QString kindName() const override { return tr("Composite detector"); }
    QString jsonTag() const override { return QStringLiteral("compositeDetector"); }

    DetectorGroup *start() const { return m_start; }
    DetectorGroup *end() const { return m_end; }
    // Refuse null, a group of another network and the group at the other end.
    bool setStart(DetectorGroup *group);
    bool setEnd(DetectorGroup *group);

    // The number of the signal controller (0 when none).
    int tl() const { return m_tl; }
    void setTl(int tl);

    // What the controller does with the section (0 when unset): the phase and program it requests,
    // the longest presence (seconds) before the detector counts as faulty, the longest time without
    // a vehicle, and the input and output directions of a CROSS logic.
    int phase() const { return m_phase; }
    void setPhase(int phase) { setValue(m_phase, phase); }
    int prog() const { return m_prog; }
    void setProg(int prog) { setValue(m_prog, prog); }
    int maxPresentTime() const { return m_maxPresentTime; }
    void setMaxPresentTime(int seconds) { setValue(m_maxPresentTime, seconds); }
    int maxUnconnectedTime() const { return m_maxUnconnectedTime; }
    void setMaxUnconnectedTime(int seconds) { setValue(m_maxUnconnectedTime, seconds); }
    int crossWI() const { return m_crossWI; }
    void setCrossWI(int direction) { setValue(m_crossWI, direction); }
    int crossWO() const { return m_crossWO; }
    void setCrossWO(int direction) { setValue(m_crossWO, direction); }

    bool isValid() const;
    // The edges of the course, from the start group's edge to the end group's; empty without a course.
    QList<Edge *> edges() const;
    GeoPolyline skeleton() const override;
    // The start of the skeleton (the start group's position).
    QPointF pos() const override;
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;
    void attached() override;

private:
    QObject *startObject() const;
    bool setStartObject(QObject *group);
    QObject *endObject() const;
    bool setEndObject(QObject *group);
    bool setGroup(DetectorGroup *&member, DetectorGroup *group, const DetectorGroup *other);
    void setValue(int &member, int value);
    void compute() const;
    void syncReferences(const QList<Edge *> &between);

    DetectorGroup *m_start = nullptr;
    DetectorGroup *m_end = nullptr;
    int m_tl = 0;
    int m_phase = 0;
    int m_prog = 0;
    int m_maxPresentTime = 0;
    int m_maxUnconnectedTime = 0;
    int m_crossWI = 0;
    int m_crossWO = 0;

    // The groups' edges the skeleton was made on: a group moved to another edge (QObject::setParent,
    // which sends no change) makes it stale.
    mutable const Edge *m_startEdge = nullptr;
    mutable const Edge *m_endEdge = nullptr;
    mutable QList<Edge *> m_course;
    QSet<NetObject *> m_between; // referenced edges of the course other than the groups' own
    mutable GeoPolyline m_skeleton;
    mutable bool m_courseValid = false;
    mutable bool m_computed = false;
};

} // namespace Trelvoa
