#pragma once

#include "trelvoa_global.h"

#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <initializer_list>

namespace Trelvoa {

class GeoShape;

// An open polyline in model metres (x right, y up). A plain value type; "left" always means left of the
// direction from the first point to the last.
//
// Queries on an empty polyline never crash: points come back as the invalid point (NaN, NaN), lines as a
// null QLineF, and out parameters get neutral values as documented per function.
class TRELVOA_EXPORT GeoPolyline
{
public:
    GeoPolyline() = default;
    GeoPolyline(const QVector<QPointF> &points);
    GeoPolyline(std::initializer_list<QPointF> points);
    explicit GeoPolyline(const QPolygonF &polygon);

    bool operator==(const GeoPolyline &other) const { return m_points == other.m_points; }
    bool operator!=(const GeoPolyline &other) const { return m_points != other.m_points; }

    int count() const { return m_points.count(); }
    bool isEmpty() const { return m_points.isEmpty(); }
    const QPointF &at(int i) const { return m_points.at(i); }
    // Invalid point (NaN, NaN) when empty.
    QPointF first() const;
    QPointF last() const;
    const QVector<QPointF> &points() const { return m_points; }
    void setPoints(const QVector<QPointF> &points) { m_points = points; }
    QPolygonF toPolygon() const { return QPolygonF(m_points); }

    void append(const QPointF &point) { m_points.append(point); }
    void insert(int i, const QPointF &point) { m_points.insert(i, point); }
    void remove(int i) { m_points.remove(i); }
    void setPoint(int i, const QPointF &point) { m_points[i] = point; }
    void clear() { m_points.clear(); }
    void reserve(int size) { m_points.reserve(size); }

    double length() const;

    // The piece between the distances `from` and `to` along the line. `fromStart` true measures both
    // from the first point, false from the last; either way the piece runs in the line's own
    // direction. Distances are clamped to [0, length()]. When from > to the result is part(to, from,
    // fromStart) reversed. When both clamp to the same distance the result is that single point. Empty
    // line: empty result.
    GeoPolyline part(double from, double to, bool fromStart = true) const;

    // The line offset sideways; a positive offset goes to the left.
    // `join` true: neighbouring offset segments meet at their mitre point, so every vertex maps to one
    // vertex; where the mitre would reach further than 4 x |offset| (turns sharper than about 150
    // degrees, e.g. a hairpin) the corner is bevelled with two points instead.
    // `join` false: every vertex is moved by |offset| along the average of its segments' normals (cheap,
    // one point per vertex, but the line narrows at corners).
    // Repeated points keep their place (the offset point is repeated); a line without any extent is
    // returned unchanged. Offsets wider than a segment on the inner side of a corner can fold back on
    // themselves; no clean-up is attempted.
    GeoPolyline parallel(double offset, bool join = true) const;

    // The closed outline of the band of `width` centred on the line: the left border forwards, then the
    // right border backwards, closed. A one-segment line gives 4 corners plus the closing point. Fewer
    // than two points, zero length or width <= 0: an empty shape.
    GeoShape stroke(double width) const;

    void invert();
    GeoPolyline inverted() const;

    // Appends `other`, dropping its first point when it equals our last one.
    GeoPolyline &operator+=(const GeoPolyline &other);
    // Appends `point` unless it equals our last point (append() always appends).
    GeoPolyline &operator+=(const QPointF &point);

    // The segment (in the line's direction) that holds the point at `distance`, measured from the first
    // point when `fromStart` is true, from the last when false; `*point` (may be null) receives that
    // point. The distance is clamped to [0, length()]. A distance at a vertex gives the following
    // segment (the last segment at the end); zero-length segments are skipped. One point: the null-length
    // line at it. Empty line: a null QLineF and `*point` is left untouched.
    QLineF lineAtDistance(double distance, bool fromStart = true, QPointF *point = nullptr) const;

    // A line of `length` centred at the point of the polyline nearest to `p`, pointing along the
    // polyline there (at an inner vertex: along the bisector of its two segments). Empty line: null
    // QLineF; no direction (one point, zero length): the null-length line at the nearest point.
    QLineF lineAtPoint(const QPointF &p, double length) const;

    // The point of the polyline nearest to `p` (beyond either end: that end point). Out pointers may be
    // null:
    //   *distance - distance along the line to that point, from the first point when `fromStart` is
    //               true, from the last when false;
    //   *segment  - index of the segment holding it (segment i runs from point i to point i + 1; the
    //               first one wins on ties); -1 with fewer than two points;
    //   *offset   - signed perpendicular distance of `p` from the infinite line through that segment,
    //               positive to the left; 0 when the line has no direction.
    // Empty line: the invalid point, *distance 0, *segment -1, *offset 0.
    QPointF pointOn(const QPointF &p, double *distance = nullptr, bool fromStart = true,
                    int *segment = nullptr, double *offset = nullptr) const;

    // The nearest point, and in `*index` where to insert it as a new vertex (between points index - 1
    // and index); *index is -1 when the line has fewer than two points.
    QPointF pointOn1(const QPointF &p, int *index) const;

    // The first crossing with `other` walking along this line (for overlapping collinear pieces, the
    // first shared point); *flag (may be null) is true then. Without a crossing: the crossing of the
    // infinite lines through the end segments of the two lines whose end points are nearest each other,
    // with *flag false; when those are parallel (or a line has no segment), the invalid point.
    QPointF intersection(const GeoPolyline &other, bool *flag = nullptr) const;

    // Null QRectF when empty.
    QRectF boundingRect() const;
    void translate(const QPointF &delta);
    void translate(double dx, double dy) { translate(QPointF(dx, dy)); }

    // "LINESTRING(x y, x y, ...)" with 2 decimals; "LINESTRING EMPTY" when empty.
    QString toWKT() const { return toWKT2(2); }
    QString toWKT2(int precision) const;

    // A KML 2.2 <Placemark> with the XML-escaped `name`, a <LineStyle><width> when width > 0, and a
    // <LineString>. Coordinates are written as given: convert to longitude/latitude first.
    QString toKmlPlacemark(const QString &name, double width = 1.0) const
    {
        return toKmlPlacemark2(2, name, width);
    }
    QString toKmlPlacemark2(int precision, const QString &name, double width = 1.0) const;

    // A complete KML 2.2 document (XML declaration, <kml>, <Document>) around placemark fragments.
    static QString kmlDocument(const QString &placemarks);

protected:
    QString kmlCoordinates(int precision, bool closed) const;
    QString wktCoordinates(int precision, bool closed) const;
    // "<Style><LineStyle><width>..." for a positive finite width, else nothing.
    static QString kmlStyle(double width);

    QVector<QPointF> m_points;
};

} // namespace Trelvoa
