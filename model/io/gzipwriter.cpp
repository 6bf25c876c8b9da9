#include "io/gzipwriter.h"

#include <QCoreApplication>
#include <QIODevice>

#include <zlib.h>

namespace Trelvoa {

bool GzipWriter::write(QIODevice *device, const QByteArray &data, QString *error)
{
    z_stream z{};
    // 15 + 16: a gzip header and trailer around the deflate stream.
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        *error = QCoreApplication::translate("Trelvoa::GzipWriter", "Cannot start compressing");
        return false;
    }
    QByteArray out(64 * 1024, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef *>(out.data());
        z.avail_out = uInt(out.size());
        status = deflate(&z, Z_FINISH);
        if (status == Z_STREAM_ERROR) {
            deflateEnd(&z);
            *error = QCoreApplication::translate("Trelvoa::GzipWriter", "Compressing failed");
            return false;
        }
        const qint64 produced = out.size() - qint64(z.avail_out);
        if (produced > 0 && device->write(out.constData(), produced) != produced) {
            deflateEnd(&z);
            *error = device->errorString();
            return false;
        }
    }
    deflateEnd(&z);
    return true;
}

} // namespace Trelvoa
