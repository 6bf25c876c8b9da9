#pragma once

#include "io/saveddocument.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

class QXmlStreamAttribute;
class QXmlStreamReader;

namespace Trelvoa {

// Reads network XML into a SavedDocument without touching any network. It checks the structure (the
// root, the known element kinds, ids, nesting depth, value sizes, the types and texts of dynamic
// properties) and refuses document type declarations, so that entity expansion never happens. The
// values of object attributes are checked later against their kinds (NetworkReader).
class DocumentParser
{
public:
    // Longest attribute value or element text taken, in characters.
    static constexpr int kMaxValueLength = 16 * 1024 * 1024;
    // Deepest nesting of object elements (custom objects may nest) and of dynamic property values.
    static constexpr int kMaxObjectDepth = 64;
    static constexpr int kMaxValueDepth = 16;

    // Called every few thousand elements with the bytes read so far and the objects parsed; returning
    // false cancels the parse.
    using Progress = std::function<bool(qint64 bytes, int objects)>;

    explicit DocumentParser(QXmlStreamReader &reader);

    void setProgress(const Progress &progress) { m_progress = progress; }

    // A whole document, the reader at its beginning (or anywhere before the root element).
    bool parseDocument(SavedDocument *document);
    // One object element with its subtree, the reader at its start element; it becomes the document's
    // only root.
    bool parseElement(SavedDocument *document);

    // "Line L, column C: cause" for the first fault.
    QString errorString() const { return m_error; }
    bool cancelled() const { return m_cancelled; }
    qint64 bytesRead() const;

private:
    bool parseRoot(SavedDocument *document);
    bool parseObject(SavedDocument *document, int parent, int depth);
    bool parseDynamicProperty(SavedObject *object, QSet<QString> *names);
    bool parseValue(SavedValue *value, bool named, int depth);
    bool parseItem(SavedObject *object);
    bool skipGeometry();
    bool readText(QString *text);
    bool checkLength(const QString &what, int length);
    bool checkAttributeLength(const QXmlStreamAttribute &attribute);
    QString intern(const QStringRef &text);
    bool fail(const QString &cause);
    bool readerFailed();
    SavedPosition position() const;

    QXmlStreamReader &m_reader;
    Progress m_progress;
    // Bounded: a hostile file may use any number of distinct names.
    static constexpr int kMaxInternedNames = 1024;

    QString m_error;
    QHash<uint, QString> m_names; // by qHash of the text; a colliding name is simply not shared
    int m_objects = 0;
    bool m_cancelled = false;
};

} // namespace Trelvoa
