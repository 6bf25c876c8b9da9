#include "items/itemgeometry.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"

#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QVarLengthArray>
#include <QVector>

#include <algorithm>
#include <cmath>

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

QPolygonF toScene(const Trelvoa::GeoUtil *geo, const QPolygonF &xy)
{
    if (!geo || xy.isEmpty())
        return xy;
    QPolygonF result = xy;
    geo->xyToGeo(result.data(), result.size());
    return result;
}

QPainterPath toScene(const Trelvoa::GeoUtil *geo, const QPainterPath &xy)
{
    if (!geo || xy.isEmpty())
        return xy;
    // One batch conversion is much cheaper than a projection call per element.
    const int count = xy.elementCount();
    QVector<QPointF> points(count);
    for (int i = 0; i < count; ++i)
        points[i] = xy.elementAt(i);
    geo->xyToGeo(points.data(), count);
    QPainterPath result = xy;
    for (int i = 0; i < count; ++i)
        result.setElementPositionAt(i, points.at(i).x(), points.at(i).y());
    return result;
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

double viewPixelsPerMetre(const QWidget *widget, const Trelvoa::GeoUtil *geo, double latitude)
{
    const auto *view = widget ? qobject_cast<const QGraphicsView *>(widget->parentWidget()) : nullptr;
    if (!view || view->viewport() != widget)
        return 0.0;
    return QStyleOptionGraphicsItem::levelOfDetailFromTransform(view->transform()) * unitsPerMetre(geo, latitude);
}

} // namespace ItemGeometry
} // namespace Trelvoga
