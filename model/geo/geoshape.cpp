#include "geo/geoshape.h"

#include "geo/geohelpers.h"

#include <QStringBuilder>

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {

constexpr double kPi = 3.14159265358979323846;

double cross(const QPointF &o, const QPointF &a, const QPointF &b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

bool lessXY(const QPointF &a, const QPointF &b)
{
    return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
}

// A one-pass reader of POLYGON / MULTIPOLYGON text. It never recurses and counts every point it reads,
// so hostile input costs at most one linear scan.
class WktReader
{
public:
    explicit WktReader(const QString &text) : m_pos(text.constData()), m_end(text.constData() + text.size())
    {
    }

    bool atEnd()
    {
        skipBlanks();
        return m_pos == m_end;
    }

    bool peekLetter()
    {
        skipBlanks();
        return m_pos != m_end && m_pos->isLetter();
    }

    QString word()
    {
        skipBlanks();
        const QChar *start = m_pos;
        while (m_pos != m_end && m_pos - start < 32
               && ((*m_pos >= QLatin1Char('a') && *m_pos <= QLatin1Char('z'))
                   || (*m_pos >= QLatin1Char('A') && *m_pos <= QLatin1Char('Z'))))
            ++m_pos;
        return QString(start, int(m_pos - start)).toUpper();
    }

    bool accept(char c)
    {
        skipBlanks();
        if (m_pos != m_end && *m_pos == QLatin1Char(c)) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // "(" ring { "," ring } ")"; the first ring goes to `outer` when given.
    bool polygon(int dimensions, QVector<QPointF> *outer)
    {
        if (!accept('(') || !ring(dimensions, outer))
            return false;
        while (accept(','))
            if (!ring(dimensions, nullptr))
                return false;
        return accept(')');
    }

private:
    void skipBlanks()
    {
        while (m_pos != m_end && m_pos->isSpace())
            ++m_pos;
    }

    bool ring(int dimensions, QVector<QPointF> *points)
    {
        if (!accept('('))
            return false;
        do {
            double values[4];
            for (int i = 0; i < dimensions; ++i) {
                if (i > 0 && (m_pos == m_end || !m_pos->isSpace()))
                    return false;
                if (!number(&values[i]))
                    return false;
            }
            if (++m_points > GeoShape::kMaxWktPoints)
                return false;
            if (points)
                points->append(QPointF(values[0], values[1]));
        } while (accept(','));
        return accept(')');
    }

    bool number(double *value)
    {
        skipBlanks();
        const QChar *start = m_pos;
        const auto digits = [this]() {
            int count = 0;
            while (m_pos != m_end && *m_pos >= QLatin1Char('0') && *m_pos <= QLatin1Char('9')) {
                ++m_pos;
                ++count;
            }
            return count;
        };
        if (m_pos != m_end && (*m_pos == QLatin1Char('-') || *m_pos == QLatin1Char('+')))
            ++m_pos;
        int mantissa = digits();
        if (m_pos != m_end && *m_pos == QLatin1Char('.')) {
            ++m_pos;
            mantissa += digits();
        }
        if (mantissa == 0)
            return false;
        if (m_pos != m_end && (*m_pos == QLatin1Char('e') || *m_pos == QLatin1Char('E'))) {
            ++m_pos;
            if (m_pos != m_end && (*m_pos == QLatin1Char('-') || *m_pos == QLatin1Char('+')))
                ++m_pos;
            if (digits() == 0)
                return false;
        }
        if (m_pos - start > 64)
            return false;
        // A number glued to letters ("12abc") is not a number.
        if (m_pos != m_end && m_pos->isLetterOrNumber())
            return false;
        bool ok = false;
        *value = QString::fromRawData(start, int(m_pos - start)).toDouble(&ok);
        return ok && std::isfinite(*value);
    }

    const QChar *m_pos;
    const QChar *m_end;
    int m_points = 0;
};

} // namespace

GeoShape::GeoShape(const QVector<QPointF> &points) : GeoPolyline(points) { }

GeoShape::GeoShape(std::initializer_list<QPointF> points) : GeoPolyline(points) { }

GeoShape::GeoShape(const QPolygonF &polygon) : GeoPolyline(polygon) { }

GeoShape::GeoShape(const GeoPolyline &line) : GeoPolyline(line) { }

GeoShape GeoShape::fromWKT(const QString &wkt)
{
    if (wkt.size() > kMaxWktLength)
        return GeoShape();
    WktReader reader(wkt);
    const QString kind = reader.word();
    const bool multi = kind == QLatin1String("MULTIPOLYGON");
    if (!multi && kind != QLatin1String("POLYGON"))
        return GeoShape();
    int dimensions = 2;
    if (reader.peekLetter()) {
        const QString tag = reader.word();
        if (tag == QLatin1String("Z") || tag == QLatin1String("M"))
            dimensions = 3;
        else if (tag == QLatin1String("ZM"))
            dimensions = 4;
        else if (tag != QLatin1String("EMPTY"))
            return GeoShape();
        if (tag == QLatin1String("EMPTY") || (reader.peekLetter() && reader.word() == QLatin1String("EMPTY")))
            return GeoShape();
    }

    QVector<QPointF> outer;
    if (multi) {
        if (!reader.accept('('))
            return GeoShape();
        bool first = true;
        do {
            if (!reader.polygon(dimensions, first ? &outer : nullptr))
                return GeoShape();
            first = false;
        } while (reader.accept(','));
        if (!reader.accept(')'))
            return GeoShape();
    } else if (!reader.polygon(dimensions, &outer)) {
        return GeoShape();
    }
    if (!reader.atEnd())
        return GeoShape();

    QVector<QPointF> distinct = outer;
    std::sort(distinct.begin(), distinct.end(), lessXY);
    const auto last = std::unique(distinct.begin(), distinct.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() == b.x() && a.y() == b.y();
    });
    if (last - distinct.begin() < 3)
        return GeoShape();
    GeoShape shape(outer);
    shape.close();
    return shape;
}

bool GeoShape::isClosed() const
{
    return m_points.size() >= 2 && m_points.first() == m_points.last();
}

void GeoShape::close()
{
    if (m_points.size() >= 2 && m_points.first() != m_points.last())
        m_points.append(m_points.first());
}

QVector<QPointF> GeoShape::closedPoints() const
{
    QVector<QPointF> ring = m_points;
    if (ring.size() >= 2 && ring.first() != ring.last())
        ring.append(ring.first());
    return ring;
}

void GeoShape::addEllipse(const QPointF &centre, double rx, double ry, int segments)
{
    segments = qBound(3, segments, 10000);
    m_points.reserve(m_points.size() + segments + 1);
    const QPointF start = centre + QPointF(rx, 0.0);
    m_points.append(start);
    for (int k = 1; k < segments; ++k) {
        const double angle = 2.0 * kPi * k / segments;
        m_points.append(centre + QPointF(rx * std::cos(angle), ry * std::sin(angle)));
    }
    m_points.append(start);
}

bool GeoShape::contains(const QPointF &point) const
{
    if (m_points.size() < 3 || !pointIsValid(point))
        return false;
    const QVector<QPointF> ring = closedPoints();
    bool inside = false;
    for (int i = 0; i + 1 < ring.size(); ++i) {
        const QPointF &a = ring.at(i);
        const QPointF &b = ring.at(i + 1);
        // On the outline: collinear with the side and within its extent.
        const QPointF d = b - a;
        const double squared = d.x() * d.x() + d.y() * d.y();
        if (squared > 0.0) {
            const double t = ((point.x() - a.x()) * d.x() + (point.y() - a.y()) * d.y()) / squared;
            if (t >= 0.0 && t <= 1.0 && flatDistance(point, a + d * t) <= 1e-9)
                return true;
        } else if (flatDistance(point, a) <= 1e-9) {
            return true;
        }
        if ((a.y() > point.y()) != (b.y() > point.y())) {
            const double x = a.x() + (point.y() - a.y()) * d.x() / d.y();
            if (point.x() < x)
                inside = !inside;
        }
    }
    return inside;
}

double GeoShape::signedArea() const
{
    if (m_points.size() < 3)
        return 0.0;
    const QVector<QPointF> ring = closedPoints();
    // Relative to the first point: network coordinates can be large, their differences are small.
    const QPointF origin = ring.first();
    double twice = 0.0;
    for (int i = 0; i + 1 < ring.size(); ++i) {
        const QPointF a = ring.at(i) - origin;
        const QPointF b = ring.at(i + 1) - origin;
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return twice / 2.0;
}

double GeoShape::area() const
{
    return std::abs(signedArea());
}

QPointF GeoShape::centroid() const
{
    if (m_points.isEmpty())
        return invalidPoint();
    const QVector<QPointF> ring = closedPoints();
    const QPointF origin = ring.first();
    double twice = 0.0, cx = 0.0, cy = 0.0;
    for (int i = 0; i + 1 < ring.size(); ++i) {
        const QPointF a = ring.at(i) - origin;
        const QPointF b = ring.at(i + 1) - origin;
        const double c = a.x() * b.y() - b.x() * a.y();
        twice += c;
        cx += (a.x() + b.x()) * c;
        cy += (a.y() + b.y()) * c;
    }
    const QRectF box = boundingRect();
    const double scale = std::max(box.width(), box.height());
    if (std::abs(twice) > 1e-12 * scale * scale && twice != 0.0)
        return origin + QPointF(cx, cy) / (3.0 * twice);

    const int n = ring.size() > 1 ? ring.size() - 1 : 1;
    QPointF sum;
    for (int i = 0; i < n; ++i)
        sum += ring.at(i) - origin;
    return origin + sum / n;
}

QPointF GeoShape::pointOn(const QPointF &p, int *index) const
{
    return GeoPolyline(closedPoints()).pointOn1(p, index);
}

GeoShape GeoShape::inverted() const
{
    GeoShape result(*this);
    result.invert();
    return result;
}

QString GeoShape::toWKT2(int precision) const
{
    if (m_points.isEmpty())
        return QStringLiteral("POLYGON EMPTY");
    return QLatin1String("POLYGON((") % wktCoordinates(precision, true) % QLatin1String("))");
}

QString GeoShape::toKmlPlacemark2(int precision, const QString &name, double width) const
{
    return QLatin1String("<Placemark><name>") % xmlEscaped(name) % QLatin1String("</name>") % kmlStyle(width)
        % QLatin1String("<Polygon><outerBoundaryIs><LinearRing><coordinates>")
        % kmlCoordinates(precision, true)
        % QLatin1String("</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>");
}

GeoShape GeoShape::convexHull(const QVector<QPointF> &points)
{
    QVector<QPointF> sorted;
    sorted.reserve(points.size());
    for (const QPointF &p : points)
        if (pointIsValid(p))
            sorted.append(p);
    std::sort(sorted.begin(), sorted.end(), lessXY);
    sorted.erase(
        std::unique(sorted.begin(), sorted.end(),
                    [](const QPointF &a, const QPointF &b) { return a.x() == b.x() && a.y() == b.y(); }),
        sorted.end());
    if (sorted.size() < 3)
        return GeoShape();

    // Andrew's monotone chain; collinear points are dropped.
    QVector<QPointF> hull(2 * sorted.size());
    int k = 0;
    for (const QPointF &p : sorted) {
        while (k >= 2 && cross(hull.at(k - 2), hull.at(k - 1), p) <= 0.0)
            --k;
        hull[k++] = p;
    }
    for (int i = sorted.size() - 2, lower = k + 1; i >= 0; --i) {
        const QPointF &p = sorted.at(i);
        while (k >= lower && cross(hull.at(k - 2), hull.at(k - 1), p) <= 0.0)
            --k;
        hull[k++] = p;
    }
    hull.resize(k); // the last point repeats the first
    if (hull.size() < 4)
        return GeoShape();
    return GeoShape(hull);
}

} // namespace Trelvoa
