#pragma once

#include "geo/geopolyline.h"
#include "geo/geoshape.h"

#include <QLineF>
#include <QPointF>

// Geometry steps shared by the road objects (nodes, lanes, connections, crosswalks); not part of the
// library's interface.
namespace Trelvoa {
namespace RoadGeometry {

// Unit vector of a direction; (0, 0) for a null one.
QPointF unit(const QPointF &v);
// Left normal (y up) of a unit direction.
inline QPointF leftOf(const QPointF &d)
{
    return QPointF(-d.y(), d.x());
}

// The distance along `line` from its start (fromStart) or from its end to where it leaves `shape`:
// 0 when the shape is empty or that end of the line lies outside it, the whole length when the line
// never leaves it.
double exitDistance(const GeoPolyline &line, const GeoShape &shape, bool fromStart);

// The first point of `line`, walked from its start, at `radius` from `centre`; the line's last point
// when it stays inside the circle, its first point when it starts outside.
QPointF circleExit(const GeoPolyline &line, const QPointF &centre, double radius);

// Signed angle in degrees from direction a to direction b, counter-clockwise positive, (-180, 180].
double signedAngle(const QPointF &a, const QPointF &b);

// A cubic Bezier curve from p0 leaving along d0 to p3 arriving along d3 (unit directions), sampled into
// a polyline. The handles follow the circular-arc rule (4/3 tan(turn/4) of the radius), so that a quarter
// turn between perpendicular lanes is close to a circle; a straight run gives two points.
GeoPolyline bezier(const QPointF &p0, const QPointF &d0, const QPointF &p3, const QPointF &d3);

// The direction of a polyline at the distance from its start (unit; (0, 0) without a direction).
QPointF directionAt(const GeoPolyline &line, double distance, QPointF *point = nullptr);

} // namespace RoadGeometry
} // namespace Trelvoa
