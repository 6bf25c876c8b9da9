#pragma once

#include <QColor>
#include <QLocale>
#include <QPointF>
#include <QStringList>
#include <QVariant>

// Conversions between property values and the texts the editor shows and accepts.
namespace ObjectEditor {

// The integer held by a variant of an integral, enumeration or flag type.
int intValue(const QVariant &value, bool *ok = nullptr);

// Colours may be stored as QColor, as a name ("#rrggbb", "#aarrggbb", "red") or as an ARGB integer.
// An integer without alpha bits is taken as opaque RGB.
QColor colorFromVariant(const QVariant &value);
QVariant colorToType(const QColor &color, int metaType);
QString colorText(const QColor &color);

// decimals < 0: the shortest text that reads back to the same number.
QString formatDouble(double value, int decimals, const QLocale &locale);
// Accepts the locale's and the C notation; false for anything that is not a finite number.
bool parseDouble(const QString &text, double *value, const QLocale &locale);

// "x; y" (the semicolon keeps clear of a decimal comma).
QString formatPoint(const QPointF &point, int decimals, const QLocale &locale);
bool parsePoint(const QString &text, QPointF *point, const QLocale &locale);

// "a, b, c": commas and backslashes inside items are escaped with a backslash; items are trimmed on
// reading.
QString joinList(const QStringList &items);
QStringList splitList(const QString &text);

} // namespace ObjectEditor
