#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QStringRef>

#include <vector>

namespace Trelvoa {

// A fast reader of plain XML held in memory as UTF-8, offering the few calls of QXmlStreamReader the SUMO
// network reader makes, with the same results on what it takes. It takes only the ordinary: elements,
// attributes, comments, blank text, the five entities and character references, a leading XML declaration
// for UTF-8, and namespace prefixes declared on the root. Anything else, and any fault, makes it decline:
// hasError() and declined() are then true and the caller reads the input again with QXmlStreamReader,
// which gives the messages. It never takes what QXmlStreamReader refuses.
class XmlByteReader
{
public:
    enum TokenType { Invalid, StartElement, EndElement, EndDocument };

    explicit XmlByteReader(const QByteArray &data);

    class Attributes;
    class Attribute
    {
    public:
        QStringRef name() const;
        QStringRef value() const;

    private:
        friend class Attributes;
        Attribute(const XmlByteReader *reader, int index) : m_reader(reader), m_index(index) {}
        const XmlByteReader *m_reader;
        int m_index;
    };

    // A view of the attributes of the current start tag, valid until the next one is read.
    class Attributes
    {
    public:
        QStringRef value(QLatin1String qualifiedName) const;
        bool hasAttribute(QLatin1String qualifiedName) const { return find(qualifiedName) >= 0; }

        class const_iterator
        {
        public:
            Attribute operator*() const { return Attribute(m_reader, m_index); }
            const_iterator &operator++()
            {
                ++m_index;
                return *this;
            }
            bool operator!=(const const_iterator &other) const { return m_index != other.m_index; }

        private:
            friend class Attributes;
            const_iterator(const XmlByteReader *reader, int index) : m_reader(reader), m_index(index) {}
            const XmlByteReader *m_reader;
            int m_index;
        };
        const_iterator begin() const { return const_iterator(m_reader, 0); }
        const_iterator end() const { return const_iterator(m_reader, int(m_reader->m_attributes.size())); }

    private:
        friend class XmlByteReader;
        explicit Attributes(const XmlByteReader *reader) : m_reader(reader) {}
        int find(QLatin1String qualifiedName) const;
        const XmlByteReader *m_reader;
    };

    TokenType readNext();
    bool readNextStartElement();
    void skipCurrentElement();
    bool isStartElement() const { return m_token == StartElement; }
    bool atEnd() const { return m_token == EndDocument || hasError(); }

    QStringRef name() const; // of the current start tag
    Attributes attributes() const { return Attributes(this); }

    qint64 lineNumber() const;
    qint64 columnNumber() const;
    qint64 characterOffset() const { return m_p - m_begin; } // in bytes

    void raiseError(const QString &message);
    bool hasError() const { return m_declined || m_raised; }
    bool declined() const { return m_declined; }
    QString errorString() const { return m_message; }

private:
    using Byte = unsigned char;

    struct RawAttribute
    {
        const Byte *name;
        int nameSize;
        int localStart; // past "prefix:"
        const Byte *value;
        int valueSize;
        bool plain; // its bytes are its characters: ASCII with nothing to resolve or normalise
        mutable int textStart = -1; // decoded into m_text on first use
        mutable int textSize = 0;
    };

    TokenType decline();
    bool readStartTag();
    bool readEndTag();
    bool skipComment();
    bool skipText();
    bool readDeclaration();
    bool readValue(RawAttribute *attribute);
    bool checkNamespaces(bool root);
    QStringRef decoded(int index) const;
    QStringRef attributeName(int index) const;

    QByteArray m_data; // keeps the bytes alive; its terminating NUL ends every scan
    const Byte *m_begin;
    const Byte *m_p;
    const Byte *m_end;
    TokenType m_token = Invalid;
    bool m_declined = false;
    bool m_raised = false;
    bool m_selfClosing = false; // the current start tag ended with "/>": its end element comes next
    bool m_rootDone = false;
    QString m_message;

    struct OpenElement
    {
        const Byte *name;
        int size;
    };
    std::vector<OpenElement> m_open;
    std::vector<RawAttribute> m_attributes;
    std::vector<QByteArray> m_rootPrefixes; // declared on the root: the only ones used below it
    mutable QString m_text; // the current tag's name and decoded attribute names and values

    // Lines and columns are counted when asked for, from where the last count stopped.
    mutable const Byte *m_counted;
    mutable qint64 m_line = 1;
    mutable qint64 m_column = 0;
};

} // namespace Trelvoa
