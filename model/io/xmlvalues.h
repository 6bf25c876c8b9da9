#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QVector>

class QMetaProperty;

namespace Trelvoa {

// Text forms of the values in network files. Every writer here is canonical (one value, one text) and
// every reader strict: a reader refuses what its writer would never produce, apart from blanks between
// list entries, so that a file that loads also saves back to the same bytes.
namespace XmlValues {

// The shortest text that reads back to the same double ("0.1", "1e-07"); "0" for both zeros, "nan",
// "inf" and "-inf" for the non-finite values.
QString number(double value);
QString integer(qlonglong value);
QString boolean(bool value);
// "x,y" and "x,y x,y ..." (one blank between points).
QString point(const QPointF &point);
QString points(const QVector<QPointF> &points);
// "1 2 3"
QString ids(const QVector<int> &ids);
// The text of a value of a further attribute: a text (QString), number (double), integer (qlonglong),
// boolean or points (QVector<QPointF>).
QString valueText(const QVariant &value);
// The text without the characters XML 1.0 cannot carry (control codes other than tab, line feed and
// carriage return, lone surrogates, U+FFFE and U+FFFF).
QString xmlSafe(const QString &text);

bool parseNumber(const QString &text, double *value);
// Refuses values outside [min, max].
bool parseInteger(const QString &text, qlonglong *value, qlonglong min, qlonglong max);
bool parseInt(const QString &text, int *value);
// "true" / "false" (also "1" / "0").
bool parseBoolean(const QString &text, bool *value);
bool parsePoint(const QString &text, QPointF *point);
// Refuses lists of more than maxPoints points.
bool parsePoints(const QString &text, QVector<QPointF> *points, int maxPoints = 4000000);
// Positive ids separated by blanks; an empty text is an empty list.
bool parseIds(const QString &text, QVector<int> *ids);
bool parseRect(const QString &text, QRectF *rect);

// Whether values of the meta type can be written (scalars; lists and maps are handled by the writer).
bool isScalarType(int userType);
// The text of a scalar value of a supported type; false for any other type.
bool scalarToText(const QVariant &value, QString *text);
// The value of a supported scalar type from its text; false when the text is not a value of the type.
bool scalarFromText(const QString &text, int userType, QVariant *value);

// Enumerations and flag sets of properties: the key (or keys joined by '|') when they name the value
// exactly, else the number. Reading takes either form.
QString enumToText(const QMetaProperty &property, int value);
bool enumFromText(const QMetaProperty &property, const QString &text, int *value);

} // namespace XmlValues
} // namespace Trelvoa
