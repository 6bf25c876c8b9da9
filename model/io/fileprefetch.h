#pragma once

#include "io/saveddocument.h"
#include "trelvoa_global.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Trelvoa {

// A file the program is about to open, read on a thread of its own while the program starts (the
// window takes about as long as the read and parse of a city): its bytes, inflated, and for a file
// of ours the parsed document. The load that opens the file takes what is ready and waits for the
// rest; what went wrong in the prefetch is left to that load, which reads the file as usual and
// reports as usual. One prefetch is pending at a time.
class TRELVOA_EXPORT FilePrefetch
{
public:
    enum Kind {
        Bytes,    // the file's bytes, inflated
        Document, // a network file of ours, parsed
    };

    // Begins the prefetch of a file, replacing one still pending (one of that file and kind, as the
    // file still is, goes on).
    static void start(const QString &fileName, Kind kind);
    // The pending prefetch when it is of that file and kind and the file is as it was when the
    // prefetch began; null otherwise. Any pending prefetch is no longer pending afterwards.
    static std::unique_ptr<FilePrefetch> take(const QString &fileName, Kind kind);
    // Drops a pending prefetch that nothing will take.
    static void discard();

    ~FilePrefetch();

    // Waits for the prefetch to end, calling progress (bytes and objects done so far) about every
    // 50 ms; when progress returns false the prefetch is stopped and wait() returns false.
    bool wait(const std::function<bool(qint64, int)> &progress);
    // After wait(): whether the file was read (and parsed) without fault.
    bool ok() const { return m_ok; }
    qint64 bytesParsed() const { return m_parsedBytes; }
    QByteArray takeBytes() { return std::move(m_bytes); }
    SavedDocument takeDocument() { return std::move(m_document); }

private:
    FilePrefetch(const QString &path, Kind kind);
    void run();
    bool sameFile(const QString &path) const;
    static std::unique_ptr<FilePrefetch> &pending();

    const QString m_path;
    const Kind m_kind;
    qint64 m_size = -1;
    QDateTime m_modified;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_finished = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_bytesDone{0};
    std::atomic<int> m_objectsDone{0};
    // Written by the thread, read after it ended.
    bool m_ok = false;
    qint64 m_parsedBytes = 0;
    QByteArray m_bytes;
    SavedDocument m_document;
};

} // namespace Trelvoa
