#include "geo/geopolyline.h"

#include "geo/geohelpers.h"
#include "geo/geoshape.h"

#include <QStringBuilder>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Trelvoa {

namespace {

// Segments shorter than this (a nanometre) have no usable direction.
constexpr double kDegenerateLength = 1e-9;
// Mitre joins reaching further than this many offsets from the vertex become bevels.
constexpr double kMitreLimit = 4.0;

double dot(const QPointF &a, const QPointF &b)
{
    return a.x() * b.x() + a.y() * b.y();
}

double cross(const QPointF &a, const QPointF &b)
{
    return a.x() * b.y() - a.y() * b.x();
}

double norm(const QPointF &a)
{
    return std::hypot(a.x(), a.y());
}

// Left normal in a y-up plane.
QPointF leftNormal(const QPointF &unitDirection)
{
    return QPointF(-unitDirection.y(), unitDirection.x());
}

QPointF interpolate(const QPointF &a, const QPointF &b, double t)
{
    return a + (b - a) * t;
}

// Unit direction of segment i, or (0, 0) when it is degenerate.
QPointF unitDirection(const QVector<QPointF> &points, int i)
{
    const QPointF d = points.at(i + 1) - points.at(i);
    const double l = norm(d);
    return l >= kDegenerateLength ? d / l : QPointF();
}

// Direction of the first usable segment from `segment` on, walking by `step` (+1 or -1).
QPointF usableDirection(const QVector<QPointF> &points, int segment, int step)
{
    for (int i = segment; i >= 0 && i < points.size() - 1; i += step) {
        const QPointF d = unitDirection(points, i);
        if (!d.isNull())
            return d;
    }
    return QPointF();
}

// Index of the usable segment nearest the start (atStart) or the end; -1 when there is none.
int usableEndSegment(const QVector<QPointF> &points, bool atStart)
{
    const int segments = points.size() - 1;
    for (int k = 0; k < segments; ++k) {
        const int i = atStart ? k : segments - 1 - k;
        if (!unitDirection(points, i).isNull())
            return i;
    }
    return -1;
}

bool lineCrossing(const QPointF &a, const QPointF &r, const QPointF &c, const QPointF &s, QPointF *point)
{
    const double denominator = cross(r, s);
    if (std::abs(denominator) <= 1e-12 * norm(r) * norm(s))
        return false;
    const double t = cross(c - a, s) / denominator;
    *point = a + r * t;
    return true;
}

} // namespace

GeoPolyline::GeoPolyline(const QVector<QPointF> &points) : m_points(points) { }

GeoPolyline::GeoPolyline(std::initializer_list<QPointF> points) : m_points(points) { }

GeoPolyline::GeoPolyline(const QPolygonF &polygon) : m_points(polygon) { }

QPointF GeoPolyline::first() const
{
    return m_points.isEmpty() ? invalidPoint() : m_points.first();
}

QPointF GeoPolyline::last() const
{
    return m_points.isEmpty() ? invalidPoint() : m_points.last();
}

double GeoPolyline::length() const
{
    double total = 0.0;
    for (int i = 1; i < m_points.size(); ++i)
        total += flatDistance(m_points.at(i - 1), m_points.at(i));
    return total;
}

GeoPolyline GeoPolyline::part(double from, double to, bool fromStart) const
{
    if (m_points.isEmpty())
        return GeoPolyline();
    if (std::isnan(from))
        from = 0.0;
    if (std::isnan(to))
        to = 0.0;
    const bool reversed = from > to;
    if (reversed)
        std::swap(from, to);
    const double total = length();
    from = qBound(0.0, from, total);
    to = qBound(0.0, to, total);
    if (!fromStart) {
        const double f = total - to;
        to = total - from;
        from = f;
    }

    GeoPolyline result;
    const auto add = [&result](const QPointF &p) {
        if (result.isEmpty() || result.m_points.last() != p)
            result.m_points.append(p);
    };
    if (m_points.size() == 1) {
        add(m_points.first());
        return result;
    }

    // Same summation order as length(), so that `to == total` is reached exactly on the last segment.
    double covered = 0.0;
    bool started = false;
    bool finished = false;
    for (int i = 0; i + 1 < m_points.size() && !finished; ++i) {
        const QPointF &a = m_points.at(i);
        const QPointF &b = m_points.at(i + 1);
        const double segment = flatDistance(a, b);
        const double end = covered + segment;
        const auto at = [&](double d) {
            return segment > 0.0 ? interpolate(a, b, qBound(0.0, (d - covered) / segment, 1.0)) : a;
        };
        if (!started && from <= end) {
            add(at(from));
            started = true;
        }
        if (started) {
            if (to <= end) {
                add(at(to));
                finished = true;
            } else {
                add(b);
            }
        }
        covered = end;
    }
    if (!finished)
        add(m_points.last());
    if (reversed)
        result.invert();
    return result;
}

GeoPolyline GeoPolyline::parallel(double offset, bool join) const
{
    const int n = m_points.size();
    if (n < 2 || offset == 0.0 || !std::isfinite(offset))
        return *this;

    // Nearest usable direction before and after each vertex, so that repeated points borrow their
    // neighbours' directions instead of dividing by a zero length.
    QVector<QPointF> before(n), after(n);
    QPointF direction;
    for (int i = 0; i < n; ++i) {
        before[i] = direction;
        if (i + 1 < n) {
            const QPointF d = unitDirection(m_points, i);
            if (!d.isNull())
                direction = d;
        }
    }
    direction = QPointF();
    for (int i = n - 1; i >= 0; --i) {
        after[i] = direction;
        if (i > 0) {
            const QPointF d = unitDirection(m_points, i - 1);
            if (!d.isNull())
                direction = d;
        }
    }
    if (before.last().isNull())
        return *this;

    GeoPolyline result;
    result.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QPointF &v = m_points.at(i);
        if (i > 0 && unitDirection(m_points, i - 1).isNull()) {
            result.m_points.append(result.m_points.last());
            continue;
        }
        if (before.at(i).isNull() || after.at(i).isNull()) {
            const QPointF d = before.at(i).isNull() ? after.at(i) : before.at(i);
            result.m_points.append(v + leftNormal(d) * offset);
            continue;
        }
        const QPointF n1 = leftNormal(before.at(i));
        const QPointF n2 = leftNormal(after.at(i));
        if (join) {
            // The mitre point lies at offset * (n1 + n2) / (1 + n1.n2), i.e. 1 / cos(turn / 2) offsets
            // away; its reach stays within the limit while 1 + n1.n2 >= 2 / limit^2.
            const double denominator = 1.0 + dot(n1, n2);
            if (denominator >= 2.0 / (kMitreLimit * kMitreLimit)) {
                result.m_points.append(v + (n1 + n2) * (offset / denominator));
            } else {
                result.m_points.append(v + n1 * offset);
                result.m_points.append(v + n2 * offset);
            }
        } else {
            QPointF sum = n1 + n2;
            const double l = norm(sum);
            sum = l > 1e-9 ? sum / l : n1;
            result.m_points.append(v + sum * offset);
        }
    }
    return result;
}

GeoShape GeoPolyline::stroke(double width) const
{
    if (m_points.size() < 2 || !(width > 0.0) || !std::isfinite(width) || !(length() > 0.0))
        return GeoShape();
    const GeoPolyline left = parallel(width / 2.0);
    const GeoPolyline right = parallel(-width / 2.0);
    QVector<QPointF> outline = left.m_points;
    outline.reserve(left.count() + right.count() + 1);
    for (int i = right.count() - 1; i >= 0; --i)
        outline.append(right.at(i));
    GeoShape shape(outline);
    shape.close();
    return shape;
}

void GeoPolyline::invert()
{
    std::reverse(m_points.begin(), m_points.end());
}

GeoPolyline GeoPolyline::inverted() const
{
    GeoPolyline result(*this);
    result.invert();
    return result;
}

GeoPolyline &GeoPolyline::operator+=(const GeoPolyline &other)
{
    const QVector<QPointF> points = other.m_points; // `other` may be *this
    if (points.isEmpty())
        return *this;
    const int skip = !m_points.isEmpty() && m_points.last() == points.first() ? 1 : 0;
    m_points.reserve(m_points.size() + points.size() - skip);
    for (int i = skip; i < points.size(); ++i)
        m_points.append(points.at(i));
    return *this;
}

GeoPolyline &GeoPolyline::operator+=(const QPointF &point)
{
    if (m_points.isEmpty() || m_points.last() != point)
        m_points.append(point);
    return *this;
}

QLineF GeoPolyline::lineAtDistance(double distance, bool fromStart, QPointF *point) const
{
    if (m_points.isEmpty())
        return QLineF();
    if (m_points.size() == 1) {
        if (point)
            *point = m_points.first();
        return QLineF(m_points.first(), m_points.first());
    }
    const double total = length();
    if (std::isnan(distance))
        distance = 0.0;
    distance = qBound(0.0, distance, total);
    if (!fromStart)
        distance = total - distance;

    double covered = 0.0;
    int lastUsable = -1;
    for (int i = 0; i + 1 < m_points.size(); ++i) {
        const QPointF &a = m_points.at(i);
        const QPointF &b = m_points.at(i + 1);
        const double segment = flatDistance(a, b);
        if (segment >= kDegenerateLength) {
            lastUsable = i;
            if (distance < covered + segment) {
                if (point)
                    *point = interpolate(a, b, qBound(0.0, (distance - covered) / segment, 1.0));
                return QLineF(a, b);
            }
        }
        covered += segment;
    }
    if (lastUsable < 0) {
        if (point)
            *point = m_points.first();
        return QLineF(m_points.at(0), m_points.at(1));
    }
    if (point)
        *point = m_points.at(lastUsable + 1);
    return QLineF(m_points.at(lastUsable), m_points.at(lastUsable + 1));
}

QLineF GeoPolyline::lineAtPoint(const QPointF &p, double length) const
{
    if (m_points.isEmpty())
        return QLineF();
    int segment = -1;
    const QPointF q = pointOn(p, nullptr, true, &segment);
    if (segment < 0)
        return QLineF(q, q);
    QPointF d = usableDirection(m_points, segment, 1);
    if (d.isNull())
        d = usableDirection(m_points, segment, -1);
    if (d.isNull())
        return QLineF(q, q);
    // At an inner vertex neither segment alone tells the direction of the line there.
    QPointF other;
    if (segment + 2 < m_points.size() && flatDistance(q, m_points.at(segment + 1)) < kDegenerateLength)
        other = usableDirection(m_points, segment + 1, 1);
    else if (segment > 0 && flatDistance(q, m_points.at(segment)) < kDegenerateLength)
        other = usableDirection(m_points, segment - 1, -1);
    if (!other.isNull()) {
        const QPointF bisector = d + other;
        const double l = norm(bisector);
        if (l > 1e-9)
            d = bisector / l;
    }
    const QPointF half = d * (length / 2.0);
    return QLineF(q - half, q + half);
}

QPointF GeoPolyline::pointOn(const QPointF &p, double *distance, bool fromStart, int *segment,
                             double *offset) const
{
    if (distance)
        *distance = 0.0;
    if (segment)
        *segment = -1;
    if (offset)
        *offset = 0.0;
    if (m_points.isEmpty())
        return invalidPoint();
    if (m_points.size() == 1)
        return m_points.first();

    int best = 0;
    double bestT = 0.0;
    QPointF bestPoint = m_points.first();
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i + 1 < m_points.size(); ++i) {
        const QPointF &a = m_points.at(i);
        const QPointF d = m_points.at(i + 1) - a;
        const double squared = dot(d, d);
        const double t = squared > 0.0 ? qBound(0.0, dot(p - a, d) / squared, 1.0) : 0.0;
        const QPointF q = a + d * t;
        const QPointF gap = p - q;
        const double gapSquared = dot(gap, gap);
        if (gapSquared < bestDistance) {
            bestDistance = gapSquared;
            best = i;
            bestT = t;
            bestPoint = q;
        }
    }

    if (distance) {
        double along = 0.0;
        for (int i = 0; i < best; ++i)
            along += flatDistance(m_points.at(i), m_points.at(i + 1));
        along += bestT * flatDistance(m_points.at(best), m_points.at(best + 1));
        *distance = fromStart ? along : std::max(0.0, length() - along);
    }
    if (segment)
        *segment = best;
    if (offset) {
        QPointF d = usableDirection(m_points, best, 1);
        if (d.isNull())
            d = usableDirection(m_points, best, -1);
        *offset = d.isNull() ? 0.0 : cross(d, p - bestPoint);
    }
    return bestPoint;
}

QPointF GeoPolyline::pointOn1(const QPointF &p, int *index) const
{
    int segment = -1;
    const QPointF q = pointOn(p, nullptr, true, &segment);
    if (index)
        *index = segment < 0 ? -1 : segment + 1;
    return q;
}

QPointF GeoPolyline::intersection(const GeoPolyline &other, bool *flag) const
{
    if (flag)
        *flag = false;
    const QVector<QPointF> &mine = m_points;
    const QVector<QPointF> &theirs = other.m_points;
    if (mine.size() < 2 || theirs.size() < 2)
        return invalidPoint();

    constexpr double tolerance = 1e-12;
    for (int i = 0; i + 1 < mine.size(); ++i) {
        const QPointF a = mine.at(i);
        const QPointF r = mine.at(i + 1) - a;
        const double rLength = norm(r);
        if (rLength < kDegenerateLength)
            continue;
        double bestT = std::numeric_limits<double>::infinity();
        for (int j = 0; j + 1 < theirs.size(); ++j) {
            const QPointF c = theirs.at(j);
            const QPointF s = theirs.at(j + 1) - c;
            const double sLength = norm(s);
            if (sLength < kDegenerateLength)
                continue;
            const QPointF ac = c - a;
            const double denominator = cross(r, s);
            if (std::abs(denominator) > tolerance * rLength * sLength) {
                const double t = cross(ac, s) / denominator;
                const double u = cross(ac, r) / denominator;
                if (t >= -tolerance && t <= 1.0 + tolerance && u >= -tolerance && u <= 1.0 + tolerance)
                    bestT = std::min(bestT, qBound(0.0, t, 1.0));
            } else if (std::abs(cross(ac, r)) <= 1e-9 * rLength) {
                // Collinear: the overlap starts at the larger of 0 and the nearer end of the other piece.
                const double t0 = dot(ac, r) / (rLength * rLength);
                const double t1 = dot(theirs.at(j + 1) - a, r) / (rLength * rLength);
                const double low = std::max(0.0, std::min(t0, t1));
                const double high = std::min(1.0, std::max(t0, t1));
                if (low <= high + tolerance)
                    bestT = std::min(bestT, low);
            }
        }
        if (std::isfinite(bestT)) {
            if (flag)
                *flag = true;
            return a + r * bestT;
        }
    }

    // No crossing: extend the two ends that come closest to each other.
    const QPointF myEnds[2] = {mine.first(), mine.last()};
    const QPointF theirEnds[2] = {theirs.first(), theirs.last()};
    int myEnd = 0, theirEnd = 0;
    double nearest = std::numeric_limits<double>::infinity();
    for (int k = 0; k < 2; ++k) {
        for (int l = 0; l < 2; ++l) {
            const double d = flatDistance(myEnds[k], theirEnds[l]);
            if (d < nearest) {
                nearest = d;
                myEnd = k;
                theirEnd = l;
            }
        }
    }
    const int mySegment = usableEndSegment(mine, myEnd == 0);
    const int theirSegment = usableEndSegment(theirs, theirEnd == 0);
    if (mySegment < 0 || theirSegment < 0)
        return invalidPoint();
    QPointF crossing;
    if (!lineCrossing(mine.at(mySegment), mine.at(mySegment + 1) - mine.at(mySegment),
                      theirs.at(theirSegment), theirs.at(theirSegment + 1) - theirs.at(theirSegment),
                      &crossing))
        return invalidPoint();
    return crossing;
}

QRectF GeoPolyline::boundingRect() const
{
    if (m_points.isEmpty())
        return QRectF();
    double minX = m_points.first().x(), maxX = minX;
    double minY = m_points.first().y(), maxY = minY;
    for (const QPointF &p : m_points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

void GeoPolyline::translate(const QPointF &delta)
{
    for (QPointF &p : m_points)
        p += delta;
}

QString GeoPolyline::wktCoordinates(int precision, bool closed) const
{
    QString text;
    text.reserve(m_points.size() * (2 * precision + 16));
    const auto add = [&](const QPointF &p) {
        if (!text.isEmpty())
            text += QLatin1String(", ");
        text += formatCoordinate(p.x(), precision) % QLatin1Char(' ') % formatCoordinate(p.y(), precision);
    };
    for (const QPointF &p : m_points)
        add(p);
    if (closed && m_points.size() > 1 && m_points.first() != m_points.last())
        add(m_points.first());
    return text;
}

QString GeoPolyline::kmlCoordinates(int precision, bool closed) const
{
    QString text;
    text.reserve(m_points.size() * (2 * precision + 16));
    const auto add = [&](const QPointF &p) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += formatCoordinate(p.x(), precision) % QLatin1Char(',') % formatCoordinate(p.y(), precision);
    };
    for (const QPointF &p : m_points)
        add(p);
    if (closed && m_points.size() > 1 && m_points.first() != m_points.last())
        add(m_points.first());
    return text;
}

QString GeoPolyline::toWKT2(int precision) const
{
    if (m_points.isEmpty())
        return QStringLiteral("LINESTRING EMPTY");
    return QLatin1String("LINESTRING(") % wktCoordinates(precision, false) % QLatin1Char(')');
}

QString GeoPolyline::kmlStyle(double width)
{
    if (!(width > 0.0) || !std::isfinite(width))
        return QString();
    return QLatin1String("<Style><LineStyle><width>") % QString::number(width, 'g', 6)
        % QLatin1String("</width></LineStyle></Style>");
}

QString GeoPolyline::toKmlPlacemark2(int precision, const QString &name, double width) const
{
    return QLatin1String("<Placemark><name>") % xmlEscaped(name) % QLatin1String("</name>") % kmlStyle(width)
        % QLatin1String("<LineString><coordinates>") % kmlCoordinates(precision, false)
        % QLatin1String("</coordinates></LineString></Placemark>");
}

QString GeoPolyline::kmlDocument(const QString &placemarks)
{
    return QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>\n")
        % placemarks % QLatin1String("\n</Document></kml>\n");
}

} // namespace Trelvoa
