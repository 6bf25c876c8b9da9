#pragma once

#include "io/contentreader.h"
#include "io/saveddocument.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QObject;
class QXmlStreamReader;

namespace Trelvoa {

class GeoUtil;

class FilePrefetch;
class Granule;
class Network;
class NetObject;
struct PropertyCodec;

// Loads network XML into a network, all or nothing: the whole input is parsed into a SavedDocument
// and checked (structure, kinds, values, ids, references) before anything changes; the objects are
// then built and given their state, and the result is compared with the input before it becomes
// part of the network. Any fault leaves the network as it was.
//
// Replace builds on a staging network and moves the objects over after clear(). Merge builds new
// objects unregistered and registers them at the end; should the model refuse the saved state of an
// existing object half-way, the touched objects are restored from a backup taken before.
class NetworkReader
{
public:
    enum Mode {
        Replace, // the input becomes the whole network
        Merge,   // the input's objects are made or brought to their saved state, keeping their ids
        Join,    // the input's objects are added as copies with fresh ids
    };

    explicit NetworkReader(Network *network);

    // Inputs of at least this many objects are checked on two threads.
    static constexpr int kParallelCheckMinimum = 4096;
    // Files held in memory of at least this size are parsed on two threads.
    static constexpr int kParallelParseMinimumBytes = 1024 * 1024;

    bool load(QXmlStreamReader &reader, Mode mode);
    // A whole file held in memory; faster for large files.
    bool load(QByteArray data, Mode mode);
    // The file a prefetch read and parsed, waiting for it with progress. When the prefetch has
    // nothing to give, false with *usable false: the caller reads the file itself.
    bool loadPrefetched(FilePrefetch &prefetch, Mode mode, bool *usable);
    // A granule element at the reader, made with its subtree and saved ids as a child of the network
    // but not registered (the caller adds it); null with errorString() on failure.
    Granule *readGranule(QXmlStreamReader &reader);

    QString errorString() const { return m_error; }

    // Parses a whole file of ours without a network, on any thread: on failure *error is the message
    // and *cancelled whether progress stopped the parse; on success *bytes is what was read.
    static bool parseDocumentData(const QByteArray &data, const std::function<bool(qint64, int)> &progress,
                                  SavedDocument *document, qint64 *bytes, QString *error, bool *cancelled);

private:
    enum CheckMode { CheckReplace, CheckMerge, CheckJoin, CheckNew };
    // Names the element a message is about; the text is made only when a message is.
    struct Who
    {
        const SavedObject *object = nullptr;
        const SavedItem *item = nullptr;
        QString text() const;
    };
    struct Built
    {
        QVector<NetObject *> objects; // per document object
        QVector<bool> created;
    };

    void begin(Mode mode);
    bool loadDocument(SavedDocument &document, Mode mode);
    bool parse(QXmlStreamReader &reader, SavedDocument *document, bool report);
    bool parseData(const QByteArray &data, SavedDocument *document);
    void prune(SavedDocument &document);
    bool check(SavedDocument &document, CheckMode mode);
    bool checkRange(SavedDocument &document, CheckMode mode, int begin, int end);
    // hint: the codec to try first for the attribute's name, updated to the one after it.
    bool checkAttribute(const SavedDocument &document, CheckMode mode, const SavedObject &object,
                        SavedAttribute &attribute, int *hint);
    bool checkItem(const SavedDocument &document, CheckMode mode, const SavedObject &object,
                   SavedItem &item);
    bool parseTypedValue(const SavedDocument &document, CheckMode mode, const AttributeSchema &schema,
                         SavedAttribute &attribute, const SavedPosition &position, const Who &who);
    bool checkTarget(const SavedDocument &document, CheckMode mode, int id, const QMetaObject *target,
                     const SavedPosition &position, const Who &who, const QString &attribute);
    // Why the document's projection cannot be used (empty when it can, or there is none); the
    // projection made of it in *geo when asked for. From any thread.
    static QString projectionProblem(const SavedDocument &document, std::unique_ptr<GeoUtil> *geo);
    // For a load into a network with objects: a projection other than the network's converts the
    // document's coordinates into the network's.
    bool checkProjection(SavedDocument &document);

    bool create(const SavedDocument &document, CheckMode mode, QObject *holder, Built *built);
    bool applyAll(const SavedDocument &document, Built &built, bool progress);
    bool applyObject(const SavedDocument &document, int index, Built &built, int phase);
    bool placeChildren(const SavedDocument &document, Built &built);
    bool verify(const SavedDocument &document, Built &built, QVector<int> *mismatched, bool report);
    static bool propertyMatches(const PropertyCodec &codec, const NetObject *object, const SavedAttribute &a);
    static QString canonicalText(const PropertyCodec &codec, const SavedAttribute &a);
    QString mismatch(const SavedDocument &document, int index, const Built &built) const;
    // Its place among its owner's children and the order of its own.
    QString orderMismatch(const SavedDocument &document, int index, const Built &built) const;
    QObject *expectedParent(const SavedDocument &document, int index, const Built &built) const;
    NetObject *resolve(const SavedDocument &document, const Built &built, int id) const;

    bool replace(SavedDocument &document);
    bool merge(SavedDocument &document, bool rollback);
    bool join(SavedDocument &document);
    QByteArray backup(const SavedDocument &document) const;
    static void releaseInBackground(SavedDocument &&document);
    // Frees the document's objects now, a large one's in two halves at once; keeps what it says of
    // the whole (projection, bound).
    static void release(SavedDocument &document);
    void dropCreated(const Built &built);
    void finishLoad(const SavedDocument &document);

    bool reportProgress(qint64 bytes, int current, int total);
    bool fail(const SavedPosition &position, const QString &cause);
    bool fail(const QString &cause);
    static QString owner(const SavedObject &object);

    Network *m_network;
    QObject *m_holder = nullptr; // parent of the top-level objects while they are built
    QString m_error;
    qint64 m_bytes = 0;
    bool m_cancelled = false;
    bool m_networkReferences = false; // ids not in the input name objects of the network
    bool m_adoptProjection = false;
    ContentReader::Resolver m_resolver;
    QVector<int> m_referencedExisting; // ids of network objects the input refers to (merge)
};

} // namespace Trelvoa
