#include "propertyvalue.h"

#include <QMetaType>
#include <cmath>
#include <cstring>

namespace ObjectEditor {

int intValue(const QVariant &value, bool *ok)
{
    bool converted = false;
    int result = 0;
    if (value.isValid()) {
        result = value.toInt(&converted);
        // Flag types (QFlags<...>) registered as meta-types do not convert; they hold a plain int.
        if (!converted && value.userType() >= QMetaType::User
            && QMetaType::sizeOf(value.userType()) == int(sizeof(int)) && value.constData()) {
            std::memcpy(&result, value.constData(), sizeof(int));
            converted = true;
        }
    }
    if (ok)
        *ok = converted;
    return converted ? result : 0;
}

QColor colorFromVariant(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::QColor:
        return value.value<QColor>();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = value.toString().trimmed();
        return QColor::isValidColor(text) ? QColor(text) : QColor();
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const QRgb rgba = QRgb(value.toULongLong());
        return qAlpha(rgba) == 0 ? QColor(QRgb(rgba | 0xff000000u)) : QColor::fromRgba(rgba);
    }
    default:
        return value.canConvert<QColor>() ? value.value<QColor>() : QColor();
    }
}

QVariant colorToType(const QColor &color, int metaType)
{
    switch (metaType) {
    case QMetaType::QString:
        return colorText(color);
    case QMetaType::QByteArray:
        return colorText(color).toLatin1();
    case QMetaType::Int:
        return int(color.rgba());
    case QMetaType::UInt:
        return uint(color.rgba());
    case QMetaType::LongLong:
        return qlonglong(color.rgba());
    case QMetaType::ULongLong:
        return qulonglong(color.rgba());
    default:
        return QVariant::fromValue(color);
    }
}

QString colorText(const QColor &color)
{
    if (!color.isValid())
        return QString();
    return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QString formatDouble(double value, int decimals, const QLocale &locale)
{
    QString text = decimals < 0 ? locale.toString(value, 'g', QLocale::FloatingPointShortest)
                                : locale.toString(value, 'f', decimals);
    return text.remove(locale.groupSeparator());
}

bool parseDouble(const QString &text, double *value, const QLocale &locale)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

QString formatPoint(const QPointF &point, int decimals, const QLocale &locale)
{
    return formatDouble(point.x(), decimals, locale) + QLatin1String("; ")
        + formatDouble(point.y(), decimals, locale);
}

bool parsePoint(const QString &text, QPointF *point, const QLocale &locale)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    double x = 0, y = 0;
    if (parts.size() != 2 || !parseDouble(parts.at(0), &x, locale) || !parseDouble(parts.at(1), &y, locale))
        return false;
    *point = QPointF(x, y);
    return true;
}

QString joinList(const QStringList &items)
{
    QStringList escaped;
    escaped.reserve(items.size());
    for (QString item : items)
        escaped << item.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char(','), QLatin1String("\\,"));
    return escaped.join(QLatin1String(", "));
}

QStringList splitList(const QString &text)
{
    QStringList items;
    if (text.trimmed().isEmpty())
        return items;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += text.at(++i);
        } else if (c == QLatin1Char(',')) {
            items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    items << current.trimmed();
    return items;
}

} // namespace ObjectEditor
