#include "items/itemgeometry.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"

#include <QGraphicsView>
#include <QHash>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QVarLengthArray>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Trelvoga {
namespace ItemGeometry {

QPointF toScene(const Trelvoa::GeoUtil *geo, const QPointF &xy)
{
    return geo ? geo->xyToGeo(xy) : xy;
}

QLineF toScene(const Trelvoa::GeoUtil *geo, const QLineF &xy)
{
    return geo ? geo->xyToGeo(xy) : xy;
}

namespace {

// Projecting every point of every drawn path exactly is a large share of building the scene. Map
// projections bend slowly: within a square of kCell metres the bilinear blend of its exactly
// projected corners is off by well under a millimetre, far below anything drawn. So paths go through
// a grid of exactly projected corners, filled as the scene needs them; single positions (an item's
// place, a vertex marker) stay exact.
class CornerGrid
{
public:
    // Before converting with geo: forgets the corners of another conversion.
    void use(const Trelvoa::GeoUtil *geo)
    {
        if (geo->revision() == m_revision && m_known.size() <= kMaxCorners)
            return;
        m_known.clear();
        m_revision = geo->revision();
        m_i = m_j = std::numeric_limits<int>::min();
    }

    // Converts in place with the util last given to use(); false for a point the grid cannot take (the
    // caller projects it exactly).
    bool convert(const Trelvoa::GeoUtil *geo, QPointF *point)
    {
        const double x = point->x() / kCell;
        const double y = point->y() / kCell;
        if (!(std::abs(x) < kMaxCell && std::abs(y) < kMaxCell))
            return false;
        const int i = int(std::floor(x));
        const int j = int(std::floor(y));
        if ((i != m_i || j != m_j) && !useCell(geo, i, j))
            return false;
        const double u = x - i;
        const double v = y - j;
        *point = (1 - v) * ((1 - u) * m_corners[0] + u * m_corners[1])
            + v * ((1 - u) * m_corners[2] + u * m_corners[3]);
        return true;
    }

private:
    static constexpr double kCell = 128.0;
    // Beyond this many cells from the origin (1.28e7 m) points are projected exactly.
    static constexpr double kMaxCell = 100000.0;
    static constexpr int kMaxCorners = 1 << 20;

    bool useCell(const Trelvoa::GeoUtil *geo, int i, int j)
    {
        m_i = m_j = std::numeric_limits<int>::min();
        for (int k = 0; k < 4; ++k) {
            const int ci = i + (k & 1);
            const int cj = j + (k >> 1);
            const quint64 key = (quint64(quint32(ci)) << 32) | quint32(cj);
            auto it = m_known.constFind(key);
            if (it == m_known.constEnd())
                it = m_known.insert(key, geo->xyToGeo(QPointF(ci * kCell, cj * kCell)));
            if (!std::isfinite(it->x()) || !std::isfinite(it->y()))
                return false;
            m_corners[k] = *it;
        }
        m_i = i;
        m_j = j;
        return true;
    }

    quint64 m_revision = 0;
    QHash<quint64, QPointF> m_known;
    int m_i = std::numeric_limits<int>::min();
    int m_j = std::numeric_limits<int>::min();
    QPointF m_corners[4]; // (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1)
};

// The items live on the GUI thread; a grid per thread keeps any other user apart.
thread_local CornerGrid cornerGrid;

void convertPoints(const Trelvoa::GeoUtil *geo, QPointF *points, int count)
{
    CornerGrid &grid = cornerGrid;
    grid.use(geo);
    for (int i = 0; i < count; ++i) {
        if (!grid.convert(geo, points + i))
            points[i] = geo->xyToGeo(points[i]);
    }
}

} // namespace

QPolygonF toScene(const Trelvoa::GeoUtil *geo, const QPolygonF &xy)
{
    if (!geo || xy.isEmpty())
        return xy;
    QPolygonF result = xy;
    convertPoints(geo, result.data(), result.size());
    return result;
}

QPainterPath toScene(const Trelvoa::GeoUtil *geo, const QPainterPath &xy)
{
    if (!geo || xy.isEmpty())
        return xy;
    const int count = xy.elementCount();
    QVarLengthArray<QPointF, 64> points(count);
    for (int i = 0; i < count; ++i)
        points[i] = xy.elementAt(i);
    convertPoints(geo, points.data(), count);
    QPainterPath result = xy;
    for (int i = 0; i < count; ++i)
        result.setElementPositionAt(i, points[i].x(), points[i].y());
    return result;
}

QRectF sceneExtent(const Trelvoa::GeoUtil *geo, const QRectF &xy, double margin)
{
    return toScene(geo, QPolygonF(xy.adjusted(-margin, -margin, margin, margin))).boundingRect();
}

void addOutline(QPainterPath *path, const Trelvoa::GeoShape &outline)
{
    if (outline.count() < 2)
        return;
    path->addPolygon(outline.toPolygon());
    path->closeSubpath();
}

void addStroke(QPainterPath *path, const Trelvoa::GeoPolyline &line, double width)
{
    addOutline(path, line.stroke(width));
}

QPolygonF disc(const QPointF &centre, double radius)
{
    constexpr int corners = 24;
    constexpr double pi = 3.14159265358979323846;
    QPolygonF polygon;
    polygon.reserve(corners + 1);
    for (int i = 0; i <= corners; ++i) {
        const double a = 2 * pi * (i % corners) / corners;
        polygon.append(centre + QPointF(radius * std::cos(a), radius * std::sin(a)));
    }
    return polygon;
}

void setShapeStyle(QPainter *painter, const QColor &fill, bool outlined)
{
    if (outlined) {
        QPen pen = painter->pen();
        pen.setCosmetic(true);
        painter->setPen(pen);
    } else {
        painter->setPen(Qt::NoPen);
    }
    painter->setBrush(QBrush(fill));
}

void drawSpeck(QPainter *painter, const QColor &color, const QPolygonF &line, const QPointF &point)
{
    painter->setPen(QPen(color, 0));
    if (line.size() >= 2)
        painter->drawPolyline(line);
    else
        painter->drawPoint(point);
}

void drawPolygons(QPainter *painter, const QPainterPath &path)
{
    const int count = path.elementCount();
    if (count == 0)
        return;
    int subpaths = 0;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.isMoveTo())
            ++subpaths;
        else if (!e.isLineTo()) {
            subpaths = -1;
            break;
        }
    }
    // Curves, and overlapping subpaths under a translucent brush (which must blend once, as a union),
    // need the path itself: a fresh copy, whose converted form goes with it.
    if (subpaths < 0 || (subpaths > 1 && (!painter->brush().isOpaque() && painter->brush().style() != Qt::NoBrush))) {
        QPainterPath copy;
        copy.addPath(path);
        copy.setFillRule(path.fillRule());
        painter->drawPath(copy);
        return;
    }
    QVarLengthArray<QPointF, 64> points;
    auto flush = [&] {
        if (points.size() >= 2)
            painter->drawPolygon(points.constData(), points.size(), path.fillRule());
        points.clear();
    };
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.isMoveTo())
            flush();
        points.append(QPointF(e.x, e.y));
    }
    flush();
}

namespace {

constexpr double metresPerDegree = 111320.0;
constexpr double degToRad = 3.14159265358979323846 / 180.0;

// Scene units per metre, as the geometric mean of the two axes (that is what the level of detail of a
// transform measures): a degree of longitude is cos(latitude) times a degree of latitude.
double unitsPerMetre(const Trelvoa::GeoUtil *geo, double latitude)
{
    if (!geo)
        return 1.0;
    const double c = std::max(0.01, std::cos(latitude * degToRad));
    return 1.0 / (metresPerDegree * std::sqrt(c));
}

} // namespace

double pixelsPerMetre(const QPainter *painter, const Trelvoa::GeoUtil *geo, double latitude)
{
    return QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform())
        * unitsPerMetre(geo, latitude);
}

double pixelsPerMetre(const QTransform &transform, const Trelvoa::GeoUtil *geo, double latitude)
{
    return QStyleOptionGraphicsItem::levelOfDetailFromTransform(transform) * unitsPerMetre(geo, latitude);
}

double viewPixelsPerMetre(const QWidget *widget, const Trelvoa::GeoUtil *geo, double latitude)
{
    const auto *view = widget ? qobject_cast<const QGraphicsView *>(widget->parentWidget()) : nullptr;
    if (!view || view->viewport() != widget)
        return 0.0;
    return QStyleOptionGraphicsItem::levelOfDetailFromTransform(view->transform()) * unitsPerMetre(geo, latitude);
}

} // namespace ItemGeometry
} // namespace Trelvoga
