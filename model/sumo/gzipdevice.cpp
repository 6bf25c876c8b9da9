#include "gzipdevice.h"

#include <zlib.h>

#include <cstring>
#include <limits>

namespace Trelvoa {

namespace {
constexpr int kChunk = 64 * 1024;

bool hasGzipMagic(const char *p, qint64 size)
{
    return size >= 2 && uchar(p[0]) == 0x1f && uchar(p[1]) == 0x8b;
}
} // namespace

struct GzipDevice::Stream
{
    z_stream z{};
    bool initialised = false;
};

GzipDevice::GzipDevice(QIODevice *source, QObject *parent)
    : QIODevice(parent)
    , m_source(source)
{
}

GzipDevice::~GzipDevice()
{
    close();
}

bool GzipDevice::open(OpenMode mode)
{
    if ((mode & WriteOnly) || !m_source || !m_source->isReadable()) {
        setErrorString(tr("The compressed stream can only be read"));
        return false;
    }
    close();
    m_input.clear();
    m_sourceRead = 0;
    m_streamEnd = m_sourceEnd = m_failed = m_finished = false;
    if (!fillInput())
        return false;
    m_compressed = hasGzipMagic(m_input.constData(), m_input.size());
    if (m_compressed) {
        m_stream.reset(new Stream);
        if (inflateInit2(&m_stream->z, 15 + 16) != Z_OK) {
            m_stream.reset();
            setErrorString(tr("Cannot start decompressing"));
            return false;
        }
        m_stream->initialised = true;
        m_stream->z.next_in = reinterpret_cast<Bytef *>(m_input.data());
        m_stream->z.avail_in = uInt(m_input.size());
    }
    return QIODevice::open(ReadOnly | (mode & Unbuffered));
}

void GzipDevice::close()
{
    if (m_stream && m_stream->initialised)
        inflateEnd(&m_stream->z);
    m_stream.reset();
    if (isOpen())
        QIODevice::close();
}

bool GzipDevice::atEnd() const
{
    return m_finished && QIODevice::bytesAvailable() == 0;
}

bool GzipDevice::fillInput()
{
    if (m_sourceEnd) {
        m_input.clear();
        return true;
    }
    m_input.resize(kChunk);
    const qint64 n = m_source->read(m_input.data(), kChunk);
    if (n < 0) {
        m_input.clear();
        m_failed = true;
        setErrorString(tr("Read error: %1").arg(m_source->errorString()));
        return false;
    }
    m_input.resize(int(n));
    m_sourceRead += n;
    if (n == 0)
        m_sourceEnd = true;
    return true;
}

QByteArray GzipDevice::readWhole()
{
    QByteArray out;
    if (!isOpen() || m_failed)
        return out;
    qint64 length = 0;
    if (!m_compressed && !m_source->isSequential() && QIODevice::bytesAvailable() == 0) {
        // The bytes looked at for the signature, then the rest in one read.
        const qint64 rest = m_source->bytesAvailable();
        if (rest >= 0 && m_input.size() + rest < qint64(std::numeric_limits<int>::max()) - kChunk) {
            out.resize(int(m_input.size() + rest));
            memcpy(out.data(), m_input.constData(), size_t(m_input.size()));
            length = m_input.size();
            m_input.clear();
            const qint64 n = rest > 0 ? m_source->read(out.data() + length, rest) : 0;
            if (n < 0) {
                fail(tr("Read error: %1").arg(m_source->errorString()));
                out.resize(int(length));
                return out;
            }
            length += n;
            m_sourceRead += n;
        }
    } else if (!m_source->isSequential()) {
        // Inflated content is some times the compressed size.
        const qint64 guess = qMin<qint64>(m_source->size() * (m_compressed ? 6 : 1) + kChunk, 1 << 30);
        out.resize(int(guess));
    }
    // Whatever is left (all of a compressed or sequential source; a file that grew meanwhile).
    for (;;) {
        if (out.size() - length < kChunk) {
            const qint64 grown = qMin<qint64>(qMax<qint64>(2 * qint64(out.size()), length + 4 * kChunk),
                                              std::numeric_limits<int>::max() - 32);
            if (grown - length < 1) {
                fail(tr("The content is too large"));
                break;
            }
            out.resize(int(grown));
        }
        const qint64 n = read(out.data() + length, out.size() - length);
        if (n <= 0)
            break;
        length += n;
    }
    out.resize(int(length));
    return out;
}

qint64 GzipDevice::fail(const QString &error)
{
    m_failed = true;
    m_finished = true;
    setErrorString(error);
    return -1;
}

qint64 GzipDevice::readData(char *data, qint64 maxSize)
{
    if (m_failed)
        return -1;
    if (m_finished || maxSize <= 0)
        return 0;
    if (!m_compressed) {
        // The first chunk was read ahead to look for the signature.
        qint64 done = 0;
        while (done < maxSize) {
            if (m_input.isEmpty()) {
                if (!fillInput())
                    return done > 0 ? done : -1;
                if (m_input.isEmpty()) {
                    m_finished = true;
                    break;
                }
            }
            const qint64 n = qMin<qint64>(maxSize - done, m_input.size());
            memcpy(data + done, m_input.constData(), size_t(n));
            m_input.remove(0, int(n));
            done += n;
        }
        return done;
    }

    z_stream &z = m_stream->z;
    const uInt want = uInt(qMin<qint64>(maxSize, 1 << 30));
    z.next_out = reinterpret_cast<Bytef *>(data);
    z.avail_out = want;
    while (z.avail_out == want) {
        if (z.avail_in == 0) {
            if (!fillInput())
                return -1;
            z.next_in = reinterpret_cast<Bytef *>(m_input.data());
            z.avail_in = uInt(m_input.size());
        }
        if (m_streamEnd) {
            // Another gzip member may follow; anything else after a complete member is ignored.
            if (z.avail_in == 0 && m_sourceEnd) {
                m_finished = true;
                break;
            }
            if (z.avail_in < 2 && !m_sourceEnd) {
                // The signature may straddle two chunks.
                const QByteArray rest(reinterpret_cast<const char *>(z.next_in), int(z.avail_in));
                if (!fillInput())
                    return -1;
                m_input.prepend(rest);
                z.next_in = reinterpret_cast<Bytef *>(m_input.data());
                z.avail_in = uInt(m_input.size());
                continue;
            }
            if (!hasGzipMagic(reinterpret_cast<const char *>(z.next_in), z.avail_in)) {
                m_finished = true;
                break;
            }
            inflateReset(&z);
            m_streamEnd = false;
        }
        if (z.avail_in == 0 && m_sourceEnd)
            return fail(tr("The compressed data is truncated"));
        const int ret = inflate(&z, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            m_streamEnd = true;
        } else if (ret == Z_BUF_ERROR) {
            if (z.avail_in == 0 && m_sourceEnd)
                return fail(tr("The compressed data is truncated"));
        } else if (ret != Z_OK) {
            return fail(tr("The compressed data is corrupt (%1)")
                            .arg(QString::fromLatin1(z.msg ? z.msg : "zlib error")));
        }
    }
    const qint64 produced = qint64(want - z.avail_out);
    return produced;
}

qint64 GzipDevice::writeData(const char *data, qint64 maxSize)
{
    Q_UNUSED(data)
    Q_UNUSED(maxSize)
    return -1;
}

} // namespace Trelvoa
