#pragma once

#include "trelvoa_global.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace Trelvoa {

// Euclidean distance in the model plane (metres).
TRELVOA_EXPORT double flatDistance(const QPointF &a, const QPointF &b);

// The line moved sideways by `offset`. With `left` true a positive offset moves it to the left of its
// direction (y up, x right: direction (1,0), offset 1 gives y + 1); with `left` false the same offset
// moves it to the right. A zero-length line is returned unchanged.
TRELVOA_EXPORT QLineF flatParallel(const QLineF &line, double offset, bool left = true);

// True when both coordinates are finite (neither NaN nor infinite).
TRELVOA_EXPORT bool pointIsValid(const QPointF &point);

// The invalid point (NaN, NaN) returned where no answer exists.
TRELVOA_EXPORT QPointF invalidPoint();

// "x,y,w,h" with the shortest decimal form that reads back to the same doubles.
TRELVOA_EXPORT QString rectToString(const QRectF &rect);
// Reads rectToString's form (blanks around numbers allowed); a null QRectF for anything else,
// including non-finite numbers. `*ok` (may be null) tells a bad text from a valid "0,0,0,0".
TRELVOA_EXPORT QRectF rectFromString(const QString &text, bool *ok = nullptr);

// Fixed-point text with `precision` decimals (clamped to 0..17); "-0.00" becomes "0.00" so that
// writers never emit negative zero. Non-finite values give "nan", "inf" or "-inf".
TRELVOA_EXPORT QString formatCoordinate(double value, int precision);

// Text escaped for XML character data; characters XML 1.0 forbids (control codes) are dropped.
TRELVOA_EXPORT QString xmlEscaped(const QString &text);

// A KML 2.2 <Placemark> with <name> and <Point><coordinates>x,y</coordinates></Point>. The point is
// written as given: convert it to longitude/latitude first.
TRELVOA_EXPORT QString pointToKml2(int precision, const QPointF &point, const QString &name);

} // namespace Trelvoa
