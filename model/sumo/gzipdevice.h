#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

namespace Trelvoa {

// Read-only, sequential device that hands out the inflated content of a gzip (or zlib) stream read
// from another device, or that device's bytes unchanged when they are not compressed. Concatenated
// gzip members are read as one stream. A truncated or corrupt stream makes read() fail with -1;
// failed() and errorString() then say why (the data before the fault was delivered).
class GzipDevice : public QIODevice
{
    Q_OBJECT

public:
    // source must be open for reading and outlive this device.
    explicit GzipDevice(QIODevice *source, QObject *parent = nullptr);
    ~GzipDevice() override;

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    bool atEnd() const override;

    // Whether the source starts with the gzip or zlib signature (known after open()).
    bool isCompressed() const { return m_compressed; }
    // Bytes taken from the source so far (for progress reports).
    qint64 sourceBytesRead() const { return m_sourceRead; }
    bool failed() const { return m_failed; }
    // All that is left, with as few copies as the source allows (the rest of a plain file in one
    // read). After a fault: what came before it, with failed() set.
    QByteArray readWhole();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    qint64 fail(const QString &error);
    bool fillInput();

    struct Stream;
    QIODevice *m_source;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_input;
    qint64 m_sourceRead = 0;
    bool m_compressed = false;
    bool m_streamEnd = false; // the current gzip member is complete
    bool m_sourceEnd = false;
    bool m_failed = false;
    bool m_finished = false;
};

} // namespace Trelvoa
