#pragma once

#include <QLineF>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>

namespace Trelvoa {
class GeoPolyline;
class GeoShape;
class GeoUtil;
} // namespace Trelvoa

namespace Trelvoga {

// Model-to-scene conversion of the drawing primitives the items cache. Without a converter everything
// passes unchanged (the items then work in model coordinates).
namespace ItemGeometry {

QPointF toScene(const Trelvoa::GeoUtil *geo, const QPointF &xy);
QLineF toScene(const Trelvoa::GeoUtil *geo, const QLineF &xy);
QPolygonF toScene(const Trelvoa::GeoUtil *geo, const QPolygonF &xy);
// Element by element, so that curves and subpaths keep their structure.
QPainterPath toScene(const Trelvoa::GeoUtil *geo, const QPainterPath &xy);

// The outline as one closed subpath appended to path (nothing for an empty outline).
void addOutline(QPainterPath *path, const Trelvoa::GeoShape &outline);
// The band of width centred on line, as one closed subpath (nothing for a line without length).
void addStroke(QPainterPath *path, const Trelvoa::GeoPolyline &line, double width);

} // namespace ItemGeometry

} // namespace Trelvoga
