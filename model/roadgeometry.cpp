#include "roadgeometry.h"

#include "geo/geohelpers.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Trelvoa {
namespace RoadGeometry {

namespace {

double cross(const QPointF &a, const QPointF &b)
{
    return a.x() * b.y() - a.y() * b.x();
}

double dot(const QPointF &a, const QPointF &b)
{
    return a.x() * b.x() + a.y() * b.y();
}

// Parameter t along segment a->b where it crosses segment c->d, or -1.
double segmentCrossing(const QPointF &a, const QPointF &b, const QPointF &c, const QPointF &d)
{
    const QPointF r = b - a;
    const QPointF s = d - c;
    const double den = cross(r, s);
    if (std::abs(den) < 1e-15)
        return -1.0;
    const QPointF ac = c - a;
    const double t = cross(ac, s) / den;
    const double u = cross(ac, r) / den;
    if (t < -1e-12 || t > 1.0 + 1e-12 || u < -1e-12 || u > 1.0 + 1e-12)
        return -1.0;
    return std::clamp(t, 0.0, 1.0);
}

} // namespace

QPointF unit(const QPointF &v)
{
    const double l = std::hypot(v.x(), v.y());
    return l > 1e-12 ? v / l : QPointF();
}

double exitDistance(const GeoPolyline &line, const GeoShape &shape, bool fromStart)
{
    if (shape.count() < 3 || line.count() < 2)
        return 0.0;
    const QVector<QPointF> &pts = line.points();
    const int n = pts.size();
    auto point = [&](int i) { return fromStart ? pts.at(i) : pts.at(n - 1 - i); };
    if (!shape.contains(point(0)))
        return 0.0;
    QVector<QPointF> ring = shape.points();
    if (ring.first() != ring.last())
        ring.append(ring.first());
    double walked = 0.0;
    for (int i = 0; i + 1 < n; ++i) {
        const QPointF a = point(i);
        const QPointF b = point(i + 1);
        const double segment = std::hypot(b.x() - a.x(), b.y() - a.y());
        double best = 2.0;
        for (int k = 0; k + 1 < ring.size(); ++k) {
            const double t = segmentCrossing(a, b, ring.at(k), ring.at(k + 1));
            if (t >= 0.0 && t < best)
                best = t;
        }
        if (best <= 1.0)
            return walked + best * segment;
        walked += segment;
    }
    return walked;
}

QPointF circleExit(const GeoPolyline &line, const QPointF &centre, double radius)
{
    if (line.isEmpty())
        return invalidPoint();
    const QVector<QPointF> &pts = line.points();
    if (flatDistance(pts.first(), centre) >= radius)
        return pts.first();
    for (int i = 0; i + 1 < pts.size(); ++i) {
        const QPointF a = pts.at(i);
        const QPointF b = pts.at(i + 1);
        if (flatDistance(b, centre) < radius)
            continue;
        // a inside, b outside: solve |a + t (b - a) - c| = r for t in [0, 1].
        const QPointF d = b - a;
        const QPointF f = a - centre;
        const double qa = dot(d, d);
        const double qb = 2.0 * dot(f, d);
        const double qc = dot(f, f) - radius * radius;
        const double disc = std::max(0.0, qb * qb - 4.0 * qa * qc);
        const double t = qa > 0.0 ? (-qb + std::sqrt(disc)) / (2.0 * qa) : 0.0;
        return a + d * std::clamp(t, 0.0, 1.0);
    }
    return pts.last();
}

double signedAngle(const QPointF &a, const QPointF &b)
{
    const double angle = qRadiansToDegrees(std::atan2(cross(a, b), dot(a, b)));
    return angle <= -180.0 ? 180.0 : angle;
}

GeoPolyline bezier(const QPointF &p0, const QPointF &d0, const QPointF &p3, const QPointF &d3)
{
    const double chord = flatDistance(p0, p3);
    if (chord < 1e-9)
        return GeoPolyline({p0, p3});
    const double turn = std::abs(signedAngle(d0, d3));
    const QPointF toEnd = unit(p3 - p0);
    const bool straight = turn < 0.5 && std::abs(cross(d0, toEnd)) < 1e-3 && dot(d0, toEnd) > 0.0;
    if (straight)
        return GeoPolyline({p0, p3});
    // Circular-arc handle length for the turn; never below a third of the chord so that lane offsets
    // without a turn still give a smooth S-curve.
    const double theta = qDegreesToRadians(std::min(turn, 179.0));
    const double halfSin = std::sin(theta / 2.0);
    double handle = chord / 3.0;
    if (halfSin > 1e-6)
        handle = std::max(handle, 4.0 / 3.0 * std::tan(theta / 4.0) * chord / (2.0 * halfSin));
    const QPointF p1 = p0 + d0 * handle;
    const QPointF p2 = p3 - d3 * handle;
    const int segments = std::clamp(int(turn / 7.5) + 4, 4, 28);
    QVector<QPointF> pts;
    pts.reserve(segments + 1);
    for (int i = 0; i <= segments; ++i) {
        const double t = double(i) / segments;
        const double u = 1.0 - t;
        pts.append(p0 * (u * u * u) + p1 * (3.0 * u * u * t) + p2 * (3.0 * u * t * t) + p3 * (t * t * t));
    }
    pts.first() = p0;
    pts.last() = p3;
    return GeoPolyline(pts);
}

QPointF directionAt(const GeoPolyline &line, double distance, QPointF *point)
{
    QPointF p = invalidPoint();
    const QLineF segment = line.lineAtDistance(distance, true, &p);
    if (point)
        *point = p;
    return unit(segment.p2() - segment.p1());
}

} // namespace RoadGeometry
} // namespace Trelvoa
