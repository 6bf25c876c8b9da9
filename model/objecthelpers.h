#pragma once

#include "geo/geohelpers.h"
#include "geo/geoshape.h"
#include "netobject.h"

#include <QVector>

#include <cmath>

// Small checks shared by the model objects; not part of the library's interface.
namespace Trelvoa {
namespace ObjectHelpers {

inline bool isFinite(double value)
{
    return std::isfinite(value);
}

// An outline the user may set: every point finite and at least three distinct points.
inline bool isUsableOutline(const GeoPolyline &outline)
{
    QVector<QPointF> distinct;
    for (const QPointF &p : outline.points()) {
        if (!pointIsValid(p))
            return false;
        bool seen = false;
        for (const QPointF &q : qAsConst(distinct)) {
            if (q == p) {
                seen = true;
                break;
            }
        }
        if (!seen && distinct.size() < 3)
            distinct.append(p);
    }
    return distinct.size() >= 3;
}

// A line the user may set: at least two points, every one finite; with minLength, at least that long.
inline bool isUsableLine(const GeoPolyline &line, double minLength = -1.0)
{
    if (line.count() < 2)
        return false;
    for (const QPointF &p : line.points()) {
        if (!pointIsValid(p))
            return false;
    }
    return minLength < 0.0 || line.length() > minLength;
}

inline GeoShape closedOutline(const GeoPolyline &outline)
{
    GeoShape shape(outline.points());
    shape.close();
    return shape;
}

// Degrees brought into [0, 360).
inline double normalizedAngle(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0)
        a += 360.0;
    if (a >= 360.0)
        a = 0.0;
    return a;
}

// Adds the top-level object of something `owner` refers to (what must be copied and refreshed with
// it), unless it is the owner's own.
inline void addTopLevel(QSet<NetObject *> &set, const NetObject *owner, const NetObject *referenced)
{
    if (!referenced)
        return;
    NetObject *top = referenced->topLevelObject();
    if (top != owner->topLevelObject())
        set.insert(top);
}

} // namespace ObjectHelpers
} // namespace Trelvoa
