#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace Trelvoa {

// Writes bytes to a device as one gzip member (readable by GzipDevice and by gunzip).
class GzipWriter
{
public:
    static bool write(QIODevice *device, const QByteArray &data, QString *error);
};

} // namespace Trelvoa
