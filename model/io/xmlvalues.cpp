#include "io/xmlvalues.h"

#include "turnpercentage.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QTime>

#include <charconv>
#include <cmath>
#include <limits>

namespace Trelvoa {
namespace XmlValues {

namespace {

// Longest number text we take: far more than any double needs, short enough for a stack buffer.
constexpr int kMaxNumberLength = 64;

// The ASCII bytes of text[from, to), or false for longer or non-ASCII text.
bool toAscii(const QChar *begin, const QChar *end, char *buffer, int *length)
{
    const int n = int(end - begin);
    if (n <= 0 || n > kMaxNumberLength)
        return false;
    for (int i = 0; i < n; ++i) {
        const ushort u = begin[i].unicode();
        if (u > 0x7F)
            return false;
        buffer[i] = char(u);
    }
    *length = n;
    return true;
}

bool parseDouble(const QChar *begin, const QChar *end, double *value)
{
    char buffer[kMaxNumberLength];
    buffer[0] = '\0'; // the first character is looked at below, whatever toAscii() wrote
    int length = 0;
    if (!toAscii(begin, end, buffer, &length))
        return false;
    // from_chars takes "inf" and "nan" in any case and "infinity"; we write and take only our forms.
    const char c = length > 1 && buffer[0] == '-' ? buffer[1] : buffer[0];
    if (c == 'i' || c == 'I' || c == 'n' || c == 'N') {
        const QLatin1String word(buffer, length);
        if (word == QLatin1String("nan")) {
            *value = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        if (word == QLatin1String("inf") || word == QLatin1String("-inf")) {
            *value = buffer[0] == '-' ? -std::numeric_limits<double>::infinity()
                                      : std::numeric_limits<double>::infinity();
            return true;
        }
        return false;
    }
    double v = 0;
    const auto result = std::from_chars(buffer, buffer + length, v);
    if (result.ec != std::errc() || result.ptr != buffer + length)
        return false;
    *value = v;
    return true;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r');
}

bool parsePointRange(const QChar *begin, const QChar *end, QPointF *point)
{
    const QChar *comma = begin;
    while (comma < end && *comma != QLatin1Char(','))
        ++comma;
    if (comma == end)
        return false;
    double x = 0, y = 0;
    if (!parseDouble(begin, comma, &x) || !parseDouble(comma + 1, end, &y))
        return false;
    *point = QPointF(x, y);
    return true;
}

// Appends the canonical text of a number; returns the new end. out has room for kMaxNumberLength.
char *appendNumber(char *out, double value)
{
    auto literal = [&](const char *text) {
        while (*text)
            *out++ = *text++;
        return out;
    };
    if (value == 0.0)
        return literal("0");
    if (std::isnan(value))
        return literal("nan");
    if (std::isinf(value))
        return literal(value > 0 ? "inf" : "-inf");
    return std::to_chars(out, out + kMaxNumberLength, value).ptr;
}

} // namespace

QString number(double value)
{
    char buffer[kMaxNumberLength];
    return QString::fromLatin1(buffer, int(appendNumber(buffer, value) - buffer));
}

QString integer(qlonglong value)
{
    return QString::number(value);
}

QString boolean(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString point(const QPointF &p)
{
    char buffer[2 * kMaxNumberLength + 1];
    char *end = appendNumber(buffer, p.x());
    *end++ = ',';
    end = appendNumber(end, p.y());
    return QString::fromLatin1(buffer, int(end - buffer));
}

QString points(const QVector<QPointF> &list)
{
    // One buffer and one conversion: shapes are the bulk of a network file.
    QByteArray text(list.size() * (2 * kMaxNumberLength + 2), Qt::Uninitialized);
    char *out = text.data();
    for (int i = 0; i < list.size(); ++i) {
        if (i)
            *out++ = ' ';
        out = appendNumber(out, list.at(i).x());
        *out++ = ',';
        out = appendNumber(out, list.at(i).y());
    }
    return QString::fromLatin1(text.constData(), int(out - text.constData()));
}

QString ids(const QVector<int> &list)
{
    QString text;
    for (int i = 0; i < list.size(); ++i) {
        if (i)
            text += QLatin1Char(' ');
        text += QString::number(list.at(i));
    }
    return text;
}

QString valueText(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::QString:
        return xmlSafe(value.toString());
    case QMetaType::Double:
        return number(value.toDouble());
    case QMetaType::LongLong:
    case QMetaType::Int: // an object's id
        return integer(value.toLongLong());
    case QMetaType::Bool:
        return boolean(value.toBool());
    default:
        return points(value.value<QVector<QPointF>>());
    }
}

QString xmlSafe(const QString &text)
{
    auto allowed = [](const QChar *c, const QChar *end, int *width) {
        const ushort u = c->unicode();
        *width = 1;
        if (u < 0x20)
            return u == 0x9 || u == 0xA || u == 0xD;
        if (u == 0xFFFE || u == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(u)) {
            if (c + 1 < end && (c + 1)->isLowSurrogate()) {
                *width = 2;
                return true;
            }
            return false;
        }
        return !QChar::isLowSurrogate(u);
    };
    const QChar *begin = text.constData();
    const QChar *end = begin + text.size();
    bool clean = true;
    for (const QChar *c = begin; c < end;) {
        int width = 1;
        if (!allowed(c, end, &width)) {
            clean = false;
            break;
        }
        c += width;
    }
    if (clean)
        return text;
    QString result;
    result.reserve(text.size());
    for (const QChar *c = begin; c < end;) {
        int width = 1;
        if (allowed(c, end, &width))
            result.append(c, width);
        c += width;
    }
    return result;
}

bool parseNumber(const QString &text, double *value)
{
    return parseDouble(text.constData(), text.constData() + text.size(), value);
}

bool parseInteger(const QString &text, qlonglong *value, qlonglong min, qlonglong max)
{
    char buffer[kMaxNumberLength];
    int length = 0;
    if (!toAscii(text.constData(), text.constData() + text.size(), buffer, &length))
        return false;
    qlonglong v = 0;
    const auto result = std::from_chars(buffer, buffer + length, v);
    if (result.ec != std::errc() || result.ptr != buffer + length || v < min || v > max)
        return false;
    *value = v;
    return true;
}

bool parseInt(const QString &text, int *value)
{
    qlonglong v = 0;
    if (!parseInteger(text, &v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()))
        return false;
    *value = int(v);
    return true;
}

bool parseBoolean(const QString &text, bool *value)
{
    if (text == QLatin1String("true") || text == QLatin1String("1")) {
        *value = true;
        return true;
    }
    if (text == QLatin1String("false") || text == QLatin1String("0")) {
        *value = false;
        return true;
    }
    return false;
}

bool parsePoint(const QString &text, QPointF *p)
{
    return parsePointRange(text.constData(), text.constData() + text.size(), p);
}

bool parsePoints(const QString &text, QVector<QPointF> *list, int maxPoints)
{
    list->clear();
    const QChar *c = text.constData();
    const QChar *end = c + text.size();
    while (c < end) {
        while (c < end && isBlank(*c))
            ++c;
        if (c == end)
            break;
        const QChar *tokenEnd = c;
        while (tokenEnd < end && !isBlank(*tokenEnd))
            ++tokenEnd;
        if (list->size() >= maxPoints)
            return false;
        QPointF p;
        if (!parsePointRange(c, tokenEnd, &p))
            return false;
        list->append(p);
        c = tokenEnd;
    }
    return true;
}

bool parseIds(const QString &text, QVector<int> *list)
{
    list->clear();
    const QChar *c = text.constData();
    const QChar *end = c + text.size();
    while (c < end) {
        while (c < end && isBlank(*c))
            ++c;
        if (c == end)
            break;
        const QChar *tokenEnd = c;
        while (tokenEnd < end && !isBlank(*tokenEnd))
            ++tokenEnd;
        char buffer[kMaxNumberLength];
        int length = 0;
        if (!toAscii(c, tokenEnd, buffer, &length))
            return false;
        int v = 0;
        const auto result = std::from_chars(buffer, buffer + length, v);
        if (result.ec != std::errc() || result.ptr != buffer + length || v <= 0)
            return false;
        list->append(v);
        c = tokenEnd;
    }
    return true;
}

bool parseRect(const QString &text, QRectF *rect)
{
    double v[4];
    const QChar *c = text.constData();
    const QChar *end = c + text.size();
    for (int i = 0; i < 4; ++i) {
        const QChar *e = c;
        while (e < end && *e != QLatin1Char(','))
            ++e;
        if ((i < 3) == (e == end))
            return false;
        if (!parseDouble(c, e, &v[i]) || !std::isfinite(v[i]))
            return false;
        c = e + 1;
    }
    *rect = QRectF(v[0], v[1], v[2], v[3]);
    return true;
}

bool isScalarType(int userType)
{
    switch (userType) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QPointF:
    case QMetaType::QRectF:
    case QMetaType::QColor:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
    case QMetaType::QStringList:
        return true;
    default:
        return userType == qMetaTypeId<TurnPercentage>();
    }
}

bool scalarToText(const QVariant &value, QString *text)
{
    const int type = value.userType();
    switch (type) {
    case QMetaType::Bool:
        *text = boolean(value.toBool());
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
        *text = integer(value.toLongLong());
        return true;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        *text = QString::number(value.toULongLong());
        return true;
    case QMetaType::Double:
        *text = number(value.toDouble());
        return true;
    case QMetaType::Float: {
        const float f = value.toFloat();
        if (f == 0.0f || !std::isfinite(f)) {
            *text = number(double(f));
            return true;
        }
        char buffer[kMaxNumberLength];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
        *text = QString::fromLatin1(buffer, int(result.ptr - buffer));
        return true;
    }
    case QMetaType::QString:
        *text = xmlSafe(value.toString());
        return true;
    case QMetaType::QByteArray:
        *text = QString::fromLatin1(value.toByteArray().toBase64());
        return true;
    case QMetaType::QPointF:
        *text = point(value.toPointF());
        return true;
    case QMetaType::QRectF: {
        const QRectF r = value.toRectF();
        *text = number(r.x()) + QLatin1Char(',') + number(r.y()) + QLatin1Char(',') + number(r.width())
            + QLatin1Char(',') + number(r.height());
        return true;
    }
    case QMetaType::QColor: {
        const QColor c = value.value<QColor>();
        *text = !c.isValid() ? QString()
                             : c.name(c.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
        return true;
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        *text = d.isValid() ? d.toString(Qt::ISODate) : QString();
        return true;
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        *text = t.isValid() ? t.toString(Qt::ISODateWithMs) : QString();
        return true;
    }
    case QMetaType::QDateTime: {
        const QDateTime t = value.toDateTime();
        *text = t.isValid() ? t.toString(Qt::ISODateWithMs) : QString();
        return true;
    }
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QString &s : value.toStringList())
            array.append(xmlSafe(s));
        *text = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
        return true;
    }
    default:
        if (type == qMetaTypeId<TurnPercentage>()) {
            *text = QString::number(value.value<TurnPercentage>().value());
            return true;
        }
        return false;
    }
}

bool scalarFromText(const QString &text, int type, QVariant *value)
{
    switch (type) {
    case QMetaType::Bool: {
        bool b = false;
        if (!parseBoolean(text, &b))
            return false;
        *value = b;
        return true;
    }
    case QMetaType::Int: {
        int v = 0;
        if (!parseInt(text, &v))
            return false;
        *value = v;
        return true;
    }
    case QMetaType::LongLong: {
        qlonglong v = 0;
        if (!parseInteger(text, &v, std::numeric_limits<qlonglong>::min(),
                          std::numeric_limits<qlonglong>::max()))
            return false;
        *value = v;
        return true;
    }
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        char buffer[kMaxNumberLength];
        int length = 0;
        if (!toAscii(text.constData(), text.constData() + text.size(), buffer, &length))
            return false;
        qulonglong v = 0;
        const auto result = std::from_chars(buffer, buffer + length, v);
        if (result.ec != std::errc() || result.ptr != buffer + length)
            return false;
        if (type == QMetaType::UInt) {
            if (v > std::numeric_limits<uint>::max())
                return false;
            *value = uint(v);
        } else {
            *value = v;
        }
        return true;
    }
    case QMetaType::Double: {
        double v = 0;
        if (!parseNumber(text, &v))
            return false;
        *value = v;
        return true;
    }
    case QMetaType::Float: {
        double v = 0;
        if (!parseNumber(text, &v))
            return false;
        *value = float(v);
        return true;
    }
    case QMetaType::QString:
        *value = text;
        return true;
    case QMetaType::QByteArray: {
        auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return false;
        *value = *decoded;
        return true;
    }
    case QMetaType::QPointF: {
        QPointF p;
        if (!parsePoint(text, &p))
            return false;
        *value = p;
        return true;
    }
    case QMetaType::QRectF: {
        QRectF r;
        if (!parseRect(text, &r))
            return false;
        *value = r;
        return true;
    }
    case QMetaType::QColor: {
        if (text.isEmpty()) {
            *value = QColor();
            return true;
        }
        if (!text.startsWith(QLatin1Char('#')) || (text.size() != 7 && text.size() != 9))
            return false;
        const QColor c(text);
        if (!c.isValid())
            return false;
        *value = c;
        return true;
    }
    case QMetaType::QDate: {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (!text.isEmpty() && !d.isValid())
            return false;
        *value = d;
        return true;
    }
    case QMetaType::QTime: {
        const QTime t = QTime::fromString(text, Qt::ISODateWithMs);
        if (!text.isEmpty() && !t.isValid())
            return false;
        *value = t;
        return true;
    }
    case QMetaType::QDateTime: {
        const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!text.isEmpty() && !t.isValid())
            return false;
        *value = t;
        return true;
    }
    case QMetaType::QStringList: {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !doc.isArray())
            return false;
        QStringList list;
        for (const QJsonValue &v : doc.array()) {
            if (!v.isString())
                return false;
            list.append(v.toString());
        }
        *value = list;
        return true;
    }
    default:
        if (type == qMetaTypeId<TurnPercentage>()) {
            qlonglong v = 0;
            if (!parseInteger(text, &v, 0, std::numeric_limits<quint32>::max()))
                return false;
            *value = QVariant::fromValue(TurnPercentage(quint32(v)));
            return true;
        }
        return false;
    }
}

QString enumToText(const QMetaProperty &property, int value)
{
    const QMetaEnum e = property.enumerator();
    if (e.isValid()) {
        if (property.isFlagType()) {
            if (value != 0) {
                const QByteArray keys = e.valueToKeys(value);
                bool ok = false;
                if (!keys.isEmpty() && e.keysToValue(keys.constData(), &ok) == value && ok)
                    return QString::fromLatin1(keys);
            }
        } else if (const char *key = e.valueToKey(value)) {
            return QString::fromLatin1(key);
        }
    }
    return QString::number(value);
}

bool enumFromText(const QMetaProperty &property, const QString &text, int *value)
{
    if (parseInt(text, value))
        return true;
    // The same few sets of names come again and again (the classes of every footway): the last ones
    // looked up, per thread, skip the look-up of the enumerator and of each name.
    struct Known
    {
        const QMetaObject *owner = nullptr;
        int property = -1;
        QString text;
        int value = 0;
    };
    thread_local Known known[8];
    thread_local int nextKnown = 0;
    const QMetaObject *owner = property.enclosingMetaObject();
    const int index = property.propertyIndex();
    for (const Known &k : known) {
        if (k.owner == owner && k.property == index && k.text == text) {
            *value = k.value;
            return true;
        }
    }
    const QMetaEnum e = property.enumerator();
    if (!e.isValid() || text.isEmpty() || text.size() > 4096)
        return false;
    bool ok = false;
    const QByteArray keys = text.toLatin1();
    const int v = property.isFlagType() ? e.keysToValue(keys.constData(), &ok)
                                        : e.keyToValue(keys.constData(), &ok);
    if (!ok)
        return false;
    *value = v;
    known[nextKnown] = Known{owner, index, text, v};
    nextKnown = (nextKnown + 1) % 8;
    return true;
}

} // namespace XmlValues
} // namespace Trelvoa
