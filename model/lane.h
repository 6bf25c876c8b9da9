#pragma once

#include "customline.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "netobject.h"

#include <QStringList>

namespace Trelvoa {

class Edge;
class Node;
class Stopline;

// One lane of an edge. Index 0 is the rightmost lane in the driving direction; its centre line is
// derived from the edge skeleton, the lane widths to its left and the edge's lanes offset.
//
// fullSkeleton() runs node to node; skeleton() is the full skeleton cut back where it leaves the
// junction shapes at either end. A lane always owns exactly two Stopline children, made by its
// constructor: stopline() near its end and startline() near its start. They are in use (hasStopline(),
// hasStartline()) when the lane ends (starts) at a junction. Widths and speeds: metres, km/h.
//
// A lane can have a centre line of its own instead (autoSkeleton() false): for lanes that do not run
// parallel to the others of their edge, as some of an imported network do. It replaces the derived full
// skeleton and stays where it is while the edge changes.
//
// A cut can be fixed instead (fixedStartCut(), fixedEndCut() not negative): for lanes whose ends come
// from elsewhere, such as an imported network whose lanes end where its own junction shapes do not say.
// A fixed cut applies at any node, also a plain one, and stays while the junction changes.
class TRELVOA_EXPORT Lane : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(double width READ width WRITE setWidth)
    Q_PROPERTY(double maxSpeed READ maxSpeed WRITE setMaxSpeed)
    Q_PROPERTY(VehicleClasses allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(VehicleClasses disallowed READ disallowed WRITE setDisallowed STORED false)
    Q_PROPERTY(bool autoSkeleton READ autoSkeleton WRITE setAutoSkeleton)
    Q_PROPERTY(double fixedStartCut READ fixedStartCut WRITE setFixedStartCut)
    Q_PROPERTY(double fixedEndCut READ fixedEndCut WRITE setFixedEndCut)
    Q_PROPERTY(double length READ length STORED false)
    Q_PROPERTY(double fullLength READ fullLength STORED false)
    Q_PROPERTY(int index READ index STORED false)

public:
    enum VehicleClass {
        vcIgnoring = 0,
        vcPrivate = 0x000001,
        vcEmergency = 0x000002,
        vcPassenger = 0x000020,
        vcBus = 0x000100,
        vcTruck = 0x000800,
        vcTram = 0x002000,
        vcTrolleybus = 0x020000,
        vcMotorcycle = 0x080000,
        vcPedestrian = 0x100000,
        vcBicycle = 0x800000,
        vcAll = 0x9A2923,
    };
    Q_ENUM(VehicleClass)
    Q_DECLARE_FLAGS(VehicleClasses, VehicleClass)
    Q_FLAG(VehicleClasses)

    // Every class but pedestrian and tram.
    static constexpr int DefaultClasses = 0x8A0923;

    // The single-class flag names ("vcPrivate", ...) in bit order.
    static QStringList VehicleClassesStringList();
    // Flag names (with or without the "vc" prefix, any letter case, "vcAll" and "vcIgnoring" too) in a
    // list, or joined by '|', ',', ';' or blanks, back to the flags; unknown names are ignored.
    static VehicleClasses String2VehicleClasses(const QString &names);
    static VehicleClasses String2VehicleClasses(const QStringList &names);
    // The names of the set bits in bit order joined by '|' ("vcIgnoring" for none).
    static QString VehicleClasses2String(VehicleClasses classes);

    // A lane of the edge at the index (clamped; -1 appends). Without an edge the lane is loose until
    // Edge::insertLane is given it.
    explicit Lane(Edge *edge = nullptr, int index = -1);
    ~Lane() override;

    QString kindName() const override;
    QString jsonTag() const override { return QStringLiteral("lane"); }

    Edge *edge() const { return m_edge; }
    Node *startNode() const;
    Node *endNode() const;
    // The position in the edge's lanes (0 = rightmost); -1 without an edge.
    int index() const;
    // The neighbour to the left (higher index) or right (lower index) on the same edge, or null at the
    // border of the edge. With acrossCentre true, left() of the last lane continues onto the last lane of
    // the first opposite edge (the lane across the centre line).
    Lane *left(bool acrossCentre = false) const;
    Lane *right(bool acrossCentre = false) const;

    double width() const { return m_width; }
    // Refuses widths <= 0 and non-finite values.
    bool setWidth(double width);
    double maxSpeed() const { return m_maxSpeed; }
    // Refuses negative and non-finite speeds.
    bool setMaxSpeed(double speed);

    VehicleClasses allowed() const { return m_allowed; }
    // Bits outside vcAll are dropped.
    void setAllowed(VehicleClasses classes);
    // The complement of allowed() within vcAll; setting it allows every other class.
    VehicleClasses disallowed() const;
    void setDisallowed(VehicleClasses classes);
    bool allows(VehicleClasses classes) const { return (m_allowed & classes) != 0; }

    // Node to node, the edge skeleton moved sideways to the lane centre; the custom centre line when
    // autoSkeleton() is false.
    GeoPolyline fullSkeleton() const;
    // Sets a custom centre line and switches autoSkeleton off. Refuses fewer than two points and
    // non-finite ones.
    bool setSkeleton(const GeoPolyline &skeleton);
    bool autoSkeleton() const { return m_custom.automatic; }
    // Switching it off takes the current full skeleton as the custom one.
    void setAutoSkeleton(bool on);
    // The centre line the lane was given (kept while autoSkeleton() is true, but not used then).
    GeoPolyline customSkeleton() const { return m_custom.line; }
    double fullLength() const { return fullSkeleton().length(); }
    // The full skeleton cut back by startCut() and endCut().
    GeoPolyline skeleton() const override;
    double length() const { return skeleton().length(); }
    // The skeleton stroked by the width.
    GeoShape shape() const override;
    // The distances along the full skeleton from its start to where it leaves the start junction's
    // shape, and from its end back to where it enters the end junction's shape (0 without a shape).
    // When the two shapes overlap along the lane the cuts pass each other and skeleton() is one point.
    // A fixed cut replaces the one from the junction shape at that end.
    double startCut() const;
    double endCut() const;
    // -1 while the cut follows the junction shape.
    double fixedStartCut() const { return m_fixedStartCut; }
    double fixedEndCut() const { return m_fixedEndCut; }
    // A negative distance gives the cut back to the junction shape; refuses non-finite values.
    bool setFixedStartCut(double distance);
    bool setFixedEndCut(double distance);
    // Signed distance of the lane centre from the edge skeleton (negative: to the right).
    double centreOffset() const;

    // The line near the lane end and the one near its start; never null for a lane that exists.
    Stopline *stopline() const { return m_stopline; }
    Stopline *startline() const { return m_startline; }
    // True when the lane ends (starts) at a junction; *line (may be null) gets the line then, else null.
    bool hasStopline(Stopline **line = nullptr) const;
    bool hasStartline(Stopline **line = nullptr) const;

    QSet<NetObject *> neededToplevelObjects() const override;
    QList<NetObject *> linkedObjects() const override;
    void collectAffected(ChangeSet &set, int flags) const override;
    // What a new shape of the junction `at` (one of the lane's nodes) changes besides this lane (the
    // caller adds it): the line at that end with its holders, the lane's other children (detectors,
    // stops) and the holders of references to it, except crosswalks of other junctions (they stand on
    // the full skeleton, which does not change).
    void collectCutAffected(ChangeSet &set, int flags, const Node *at) const;

    // True once the lane is being deleted: the geometry of its edge no longer counts it.
    bool isRemoved() const { return isDestroying(); }

protected:
    void invalidate(int flags) override;

private:
    friend class Edge;
    friend class Stopline;

    void computeCuts() const;
    bool setFixedCut(double *cut, double distance);
    void dropGeometry() const;

    Edge *m_edge = nullptr;
    Stopline *m_stopline = nullptr;
    Stopline *m_startline = nullptr;
    double m_width = 3.5;
    double m_maxSpeed = 50.0;
    VehicleClasses m_allowed = VehicleClasses(DefaultClasses);
    double m_fixedStartCut = -1.0;
    double m_fixedEndCut = -1.0;
    CustomLine m_custom;

    mutable GeoPolyline m_fullSkeleton;
    mutable GeoPolyline m_skeleton;
    mutable GeoShape m_shape;
    mutable double m_startCut = 0.0;
    mutable double m_endCut = 0.0;
    mutable bool m_fullValid = false;
    mutable bool m_cutsValid = false;
    mutable bool m_skeletonValid = false;
    mutable bool m_shapeValid = false;
};

// The flag set under its short name.
using VehicleClasses = Lane::VehicleClasses;

} // namespace Trelvoa

Q_DECLARE_OPERATORS_FOR_FLAGS(Trelvoa::Lane::VehicleClasses)
