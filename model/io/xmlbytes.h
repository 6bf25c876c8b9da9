#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace Trelvoa {

// What the readers that take XML straight from its UTF-8 bytes (our files, SUMO's) share: they take the
// common form of a file fast and leave anything else to QXmlStreamReader, so what they accept, and the
// positions they give, must be exactly that reader's.
namespace XmlBytes {

using Byte = unsigned char;

inline bool isSpace(Byte c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

bool isXmlChar(char32_t c);

// After an attribute's name: skips the blanks, the '=' and the blanks after it; true when p then stands
// at the opening quote of the value.
inline bool skipToValue(const Byte *&p, const Byte *end)
{
    while (p < end && isSpace(*p))
        ++p;
    if (p == end || *p != '=')
        return false;
    ++p;
    while (p < end && isSpace(*p))
        ++p;
    return p < end && (*p == '"' || *p == '\'');
}

// One UTF-8 sequence at p (a byte of 0x80 or more) before end: strict (no overlong forms, surrogates or
// values past U+10FFFF) and a character XML allows. Moves p past it.
bool readUtf8(const Byte *&p, const Byte *end, char32_t *out);

// A reference at p ('&') before end: one of the five predefined entities, or a character reference to a
// character XML allows. Anything else (entities a DTD would declare) is for the XML reader. Moves p
// past it.
bool readReference(const Byte *&p, const Byte *end, char32_t *out);

// Advances a line and column from `from` to `to` as the XML reader counts them: columns in UTF-16 code
// units (a 4-byte UTF-8 sequence is two), and CR LF and a lone CR each end one line. begin is the start
// of the data (to see the CR before an LF).
void countPosition(const Byte *begin, const Byte *from, const Byte *to, qint64 *line, qint64 *column);

// Whether a document is UTF-8 (ours are, and SUMO's): a piece cut from its middle is read without its
// declaration, so any other encoding must be read in one go.
bool isUtf8Document(const QByteArray &data);

} // namespace XmlBytes

} // namespace Trelvoa
