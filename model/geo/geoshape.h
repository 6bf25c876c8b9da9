#pragma once

#include "geo/geopolyline.h"
#include "trelvoa_global.h"

namespace Trelvoa {

// A closed outline: the first point is repeated as the last (see close()). Constructors keep the points
// as given, and every measure below treats an outline whose last point differs from its first as if it
// were closed; the writers always emit a closed ring.
//
// Beware: pointOn(p, nullptr) is ambiguous between this class's pointOn(p, int *) and the inherited
// pointOn(p, double *, ...); pass a typed pointer.
class TRELVOA_EXPORT GeoShape : public GeoPolyline
{
public:
    GeoShape() = default;
    GeoShape(const QVector<QPointF> &points);
    GeoShape(std::initializer_list<QPointF> points);
    explicit GeoShape(const QPolygonF &polygon);
    explicit GeoShape(const GeoPolyline &line);

    // Reads "POLYGON((x y, ...), ...)" or "MULTIPOLYGON(((x y, ...)), ...)", any letter case, any
    // blanks, optional Z / M / ZM. Returns the outer ring of the (first) polygon, closed. Anything
    // malformed gives an empty shape: non-numbers or non-finite numbers, unbalanced parentheses,
    // trailing text, more than kMaxWktPoints points in all, input longer than kMaxWktLength
    // characters, or a ring with fewer than 3 distinct points. "POLYGON EMPTY" is an empty shape too.
    static GeoShape fromWKT(const QString &wkt);
    static constexpr int kMaxWktLength = 16 * 1024 * 1024;
    static constexpr int kMaxWktPoints = 1000000;

    // True with at least two points and the last equal to the first.
    bool isClosed() const;
    // Appends the first point when there are at least two points and the last differs from it.
    void close();

    // Appends a closed outline of an ellipse (counter-clockwise, starting at centre + (rx, 0)) with
    // `segments` sides, clamped to 3..10000: segments + 1 points. On an empty shape this makes the
    // ellipse itself.
    void addEllipse(const QPointF &centre, double rx, double ry, int segments = 24);

    // Even-odd rule; points on the outline count as inside.
    bool contains(const QPointF &point) const;
    // Absolute enclosed area (square metres).
    double area() const;
    // Shoelace area, positive when the outline runs counter-clockwise (x right, y up).
    double signedArea() const;
    // Area centroid; for an outline without area, the mean of its distinct points; the invalid point when
    // empty.
    QPointF centroid() const;

    using GeoPolyline::pointOn;
    // The nearest point on the outline (closing side included) and in `*index` the insertion index as
    // GeoPolyline::pointOn1 gives it (-1 with fewer than two points). `index` may be null.
    QPointF pointOn(const QPointF &p, int *index) const;

    GeoShape inverted() const;

    // "POLYGON((x y, ..., x0 y0))" with 2 decimals, always closed; "POLYGON EMPTY" when empty.
    QString toWKT() const { return toWKT2(2); }
    QString toWKT2(int precision) const;

    // A KML 2.2 <Placemark> with <Polygon><outerBoundaryIs><LinearRing>, always closed; a
    // <LineStyle><width> when width > 0. Coordinates as given (longitude/latitude expected).
    QString toKmlPlacemark(const QString &name, double width = 1.0) const
    {
        return toKmlPlacemark2(2, name, width);
    }
    QString toKmlPlacemark2(int precision, const QString &name, double width = 1.0) const;

    // The convex hull, closed and counter-clockwise; non-finite points are ignored. Empty when the
    // points do not span an area (fewer than three, or all on one line).
    static GeoShape convexHull(const QVector<QPointF> &points);

private:
    QVector<QPointF> closedPoints() const;
};

} // namespace Trelvoa
