#include "io/xmlbytes.h"

#include <cstring>

namespace Trelvoa {

namespace XmlBytes {

bool isXmlChar(char32_t c)
{
    return (c >= 0x20 && c <= 0xD7FF) || c == '\n' || c == '\t' || c == '\r' || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

bool readUtf8(const Byte *&p, const Byte *end, char32_t *out)
{
    const Byte c = *p;
    int n = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 1, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 2, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 3, cp = c & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (end - p <= n)
        return false;
    for (int i = 1; i <= n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || !isXmlChar(cp))
        return false;
    p += n + 1;
    *out = cp;
    return true;
}

bool readReference(const Byte *&p, const Byte *end, char32_t *out)
{
    const Byte *q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        char32_t base = 10;
        if (q < end && *q == 'x') {
            base = 16;
            ++q;
        }
        const Byte *digits = q;
        char32_t cp = 0;
        for (; q < end && *q != ';'; ++q) {
            const Byte c = *q;
            char32_t d = 16;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d >= base)
                return false;
            cp = cp * base + d;
            if (cp > 0x10FFFF)
                return false;
        }
        if (q == end || q == digits || !isXmlChar(cp))
            return false;
        p = q + 1;
        *out = cp;
        return true;
    }
    const Byte *name = q;
    while (q < end && q - name < 5 && *q != ';')
        ++q;
    if (q == end || *q != ';')
        return false;
    static const struct
    {
        const char *name;
        char32_t c;
    } entities[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto &e : entities) {
        if (size_t(q - name) == std::strlen(e.name) && std::memcmp(name, e.name, q - name) == 0) {
            p = q + 1;
            *out = e.c;
            return true;
        }
    }
    return false;
}

void countPosition(const Byte *begin, const Byte *from, const Byte *to, qint64 *line, qint64 *column)
{
    const Byte *p = from;
    qint64 l = *line;
    qint64 c = *column;
    while (p < to) {
        // Eight plain ASCII bytes at a time, none of them a line end.
        if (to - p >= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            const quint64 high = w & 0x8080808080808080ULL;
            const quint64 low = (w - 0x0E0E0E0E0E0E0E0EULL) & ~w & 0x8080808080808080ULL; // a byte below 0x0E
            if (!(high | low)) {
                c += 8;
                p += 8;
                continue;
            }
        }
        const Byte b = *p++;
        if (b >= 0x80) {
            if ((b & 0xC0) != 0x80)
                c += b >= 0xF0 ? 2 : 1;
        } else if (b == '\n') {
            if (p - begin < 2 || p[-2] != '\r')
                ++l;
            c = 0;
        } else if (b == '\r') {
            ++l;
            c = 0;
        } else {
            ++c;
        }
    }
    *line = l;
    *column = c;
}

bool isUtf8Document(const QByteArray &data)
{
    if (data.startsWith("\xFE\xFF") || data.startsWith("\xFF\xFE"))
        return false;
    const int start = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (data.mid(start, 5) != "<?xml")
        return true;
    const int end = data.indexOf("?>", start);
    if (end < 0)
        return false;
    const QByteArray declaration = data.mid(start, end - start).toLower();
    const int encoding = declaration.indexOf("encoding");
    if (encoding < 0)
        return true;
    const QByteArray value = declaration.mid(encoding + 8).replace(' ', "").replace('\'', '"');
    return value.startsWith("=\"utf-8\"") || value.startsWith("=\"utf8\"");
}

} // namespace XmlBytes

} // namespace Trelvoa
