#include "items/itemgeometry.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"

#include <QVector>

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

} // namespace ItemGeometry
} // namespace Trelvoga
