#include "geo/geohelpers.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <limits>

namespace Trelvoa {

double flatDistance(const QPointF &a, const QPointF &b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

QLineF flatParallel(const QLineF &line, double offset, bool left)
{
    const double length = std::hypot(line.dx(), line.dy());
    if (!(length > 0.0))
        return line;
    const double signedOffset = left ? offset : -offset;
    const QPointF shift(-line.dy() / length * signedOffset, line.dx() / length * signedOffset);
    return line.translated(shift);
}

bool pointIsValid(const QPointF &point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

QPointF invalidPoint()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return QPointF(nan, nan);
}

static QString shortestNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString rectToString(const QRectF &rect)
{
    return shortestNumber(rect.x()) + QLatin1Char(',') + shortestNumber(rect.y()) + QLatin1Char(',')
        + shortestNumber(rect.width()) + QLatin1Char(',') + shortestNumber(rect.height());
}

QRectF rectFromString(const QString &text, bool *ok)
{
    if (ok)
        *ok = false;
    // Longer than any four doubles can be; refuses junk before splitting it.
    if (text.size() > 256)
        return QRectF();
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return QRectF();
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool number = false;
        values[i] = parts.at(i).trimmed().toDouble(&number);
        if (!number || !std::isfinite(values[i]))
            return QRectF();
    }
    if (ok)
        *ok = true;
    return QRectF(values[0], values[1], values[2], values[3]);
}

QString formatCoordinate(double value, int precision)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    precision = qBound(0, precision, 17);
    QString text = QString::number(value, 'f', precision);
    if (text.startsWith(QLatin1Char('-'))) {
        bool allZero = true;
        for (int i = 1; i < text.size() && allZero; ++i)
            allZero = text.at(i) == QLatin1Char('0') || text.at(i) == QLatin1Char('.');
        if (allZero)
            text.remove(0, 1);
    }
    return text;
}

QString xmlEscaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '"':
            result += QLatin1String("&quot;");
            break;
        case '\'':
            result += QLatin1String("&apos;");
            break;
        default:
            if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
                break;
            result += c;
        }
    }
    return result;
}

QString pointToKml2(int precision, const QPointF &point, const QString &name)
{
    return QLatin1String("<Placemark><name>") + xmlEscaped(name)
        + QLatin1String("</name><Point><coordinates>") + formatCoordinate(point.x(), precision)
        + QLatin1Char(',') + formatCoordinate(point.y(), precision)
        + QLatin1String("</coordinates></Point></Placemark>");
}

} // namespace Trelvoa
