#include "io/fileprefetch.h"

#include "io/networkreader.h"
#include "sumo/gzipdevice.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>

namespace Trelvoa {

std::unique_ptr<FilePrefetch> &FilePrefetch::pending()
{
    static std::unique_ptr<FilePrefetch> prefetch;
    return prefetch;
}

void FilePrefetch::start(const QString &fileName, Kind kind)
{
    if (pending() && pending()->m_kind == kind && pending()->sameFile(fileName))
        return;
    pending().reset();
    const QFileInfo info(fileName);
    if (!info.isFile())
        return;
    std::unique_ptr<FilePrefetch> prefetch(new FilePrefetch(info.absoluteFilePath(), kind));
    // Taken before the read: a file written meanwhile does not pass for the one read.
    prefetch->m_size = info.size();
    prefetch->m_modified = info.lastModified();
    FilePrefetch *p = prefetch.get();
    p->m_thread = std::thread([p] { p->run(); });
    pending() = std::move(prefetch);
}

std::unique_ptr<FilePrefetch> FilePrefetch::take(const QString &fileName, Kind kind)
{
    std::unique_ptr<FilePrefetch> prefetch = std::move(pending());
    if (!prefetch || prefetch->m_kind != kind || !prefetch->sameFile(fileName))
        return nullptr;
    return prefetch;
}

void FilePrefetch::discard()
{
    pending().reset();
}

FilePrefetch::FilePrefetch(const QString &path, Kind kind)
    : m_path(path)
    , m_kind(kind)
{
}

FilePrefetch::~FilePrefetch()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool FilePrefetch::sameFile(const QString &path) const
{
    const QFileInfo info(path);
    return info.absoluteFilePath() == m_path && info.size() == m_size && info.lastModified() == m_modified;
}

void FilePrefetch::run()
{
    QFile file(m_path);
    GzipDevice input(&file);
    if (file.open(QIODevice::ReadOnly) && input.open(QIODevice::ReadOnly)) {
        QByteArray data = input.readWhole();
        if (!input.failed() && !m_cancel) {
            if (m_kind == Bytes) {
                m_bytes = std::move(data);
                m_bytesDone = m_bytes.size();
                m_ok = true;
            } else {
                const auto progress = [this](qint64 bytes, int objects) {
                    m_bytesDone = bytes;
                    m_objectsDone = objects;
                    return !m_cancel;
                };
                QString error;
                bool cancelled = false;
                m_ok = NetworkReader::parseDocumentData(data, progress, &m_document, &m_parsedBytes, &error, &cancelled);
                if (!m_ok)
                    m_document = SavedDocument();
            }
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    m_ended.notify_all();
}

bool FilePrefetch::wait(const std::function<bool(qint64, int)> &progress)
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_ended.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_finished; }))
                break;
        }
        if (progress && !progress(m_bytesDone, m_objectsDone)) {
            m_cancel = true;
            m_thread.join();
            m_ok = false;
            return false;
        }
    }
    // Asked again after the end: the answer stands.
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

} // namespace Trelvoa
