#pragma once

#include "trelvoga_global.h"

#include <QColor>
#include <QLineF>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>

class QPainter;
class QWidget;

namespace Trelvoa {
class GeoPolyline;
class GeoShape;
class GeoUtil;
} // namespace Trelvoa

namespace Trelvoga {

// Model-to-scene conversion of the drawing primitives the items cache. Without a converter everything
// passes unchanged (the items then work in model coordinates).
namespace ItemGeometry {

// Points and lines are projected exactly. Polygons and paths, the bulk of what items draw, are
// blended from a grid of exactly projected corners 128 m apart: off by well under a millimetre.
TRELVOGA_EXPORT QPointF toScene(const Trelvoa::GeoUtil *geo, const QPointF &xy);
TRELVOGA_EXPORT QLineF toScene(const Trelvoa::GeoUtil *geo, const QLineF &xy);
TRELVOGA_EXPORT QPolygonF toScene(const Trelvoa::GeoUtil *geo, const QPolygonF &xy);
// Element by element, so that curves and subpaths keep their structure.
TRELVOGA_EXPORT QPainterPath toScene(const Trelvoa::GeoUtil *geo, const QPainterPath &xy);
// The scene rectangle around a model rectangle grown by margin metres on every side: the bounds of
// geometry that is laid out only when first needed. The projection's bending across the rectangle is
// for the margin to cover.
QRectF sceneExtent(const Trelvoa::GeoUtil *geo, const QRectF &xy, double margin);

// The outline as one closed subpath appended to path (nothing for an empty outline).
void addOutline(QPainterPath *path, const Trelvoa::GeoShape &outline);
// The band of width centred on line, as one closed subpath (nothing for a line without length).
void addStroke(QPainterPath *path, const Trelvoa::GeoPolyline &line, double width);

// A circle as a polygon of 24 corners, closed: drawing a path with curves makes Qt convert a copy of it
// at every paint.
QPolygonF disc(const QPointF &centre, double radius);

// Sets the painter up for a filled shape: the brush in fill, the painter's pen made cosmetic for an
// outline, or no pen where the outline would swamp a small shape.
void setShapeStyle(QPainter *painter, const QColor &fill, bool outlined);
// What stands for a shape too small to draw: a one-pixel line along line, or the point where line has
// fewer than two points.
void drawSpeck(QPainter *painter, const QColor &color, const QPolygonF &line, const QPointF &point);

// Draws path with the painter's pen and brush as drawPath() would, one polygon per closed subpath.
// Drawing a QPainterPath makes Qt keep a converted copy of it (at least 3 KB) for as long as the path
// lives; the items' cached paths would carry that copy after their first paint.
void drawPolygons(QPainter *painter, const QPainterPath &path);

// Screen pixels per metre of the model at the painter's current transform, for an item whose local
// unit is a scene unit (degrees with a converter, metres without) near latitude. Level-of-detail
// decisions compare lengths in metres with it.
double pixelsPerMetre(const QPainter *painter, const Trelvoa::GeoUtil *geo, double latitude);
// The same for a transform from the scene to device pixels.
double pixelsPerMetre(const QTransform &transform, const Trelvoa::GeoUtil *geo, double latitude);
// The same for the view that widget (a viewport) belongs to, for items of fixed screen size whose
// painter carries no scale; 0 when the widget is not a view's viewport (an offscreen render).
double viewPixelsPerMetre(const QWidget *widget, const Trelvoa::GeoUtil *geo, double latitude);

} // namespace ItemGeometry

} // namespace Trelvoga
