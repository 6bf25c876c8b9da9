#include "saves.h"

#include "sumo/sumonetimporter.h"

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

namespace TestSupport {

using namespace Trelvoa;

void collectObjects(NetObject *object, QList<NetObject *> *list)
{
    if (!object || list->contains(object))
        return;
    list->append(object);
    for (NetObject *linked : object->linkedObjects())
        collectObjects(linked, list);
    for (QObject *c : object->children()) {
        if (auto *child = qobject_cast<NetObject *>(c))
            collectObjects(child, list);
    }
}

QByteArray saveAll(Network *net)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    if (!net->save(writer))
        return "save failed: " + net->errorString().toUtf8();
    return data;
}

QByteArray saveAsFile(Network *net)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
    writer.setCodec("UTF-8");
    return net->save(writer) ? bytes : QByteArray();
}

QByteArray gzip(const QByteArray &data)
{
    QByteArray out(int(compressBound(uLong(data.size()))) + 64, Qt::Uninitialized);
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

QByteArray saveFragment(Network *net, const QList<NetObject *> &objects)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    if (!net->save(writer, objects))
        return QByteArray();
    return data;
}

bool loadFragment(Network *net, const QByteArray &data, QString *error)
{
    QXmlStreamReader reader(data);
    if (net->load(reader, true))
        return true;
    if (error)
        *error = net->errorString();
    return false;
}

QString firstDifference(const QByteArray &before, const QByteArray &after)
{
    if (before == after)
        return QString();
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    int line = 0;
    while (line < a.size() && line < b.size() && a.at(line) == b.at(line))
        ++line;
    const QByteArray x = a.value(line);
    const QByteArray y = b.value(line);
    int column = 0;
    while (column < x.size() && column < y.size() && x.at(column) == y.at(column))
        ++column;
    // Long lines (a whole save may be one) are cut to the neighbourhood of the difference.
    const int from = qMax(0, column - 40);
    return QStringLiteral("line %1, column %2:\n  before: %3\n  after:  %4")
        .arg(line + 1)
        .arg(column + 1)
        .arg(QString::fromUtf8(x.mid(from, 120)), QString::fromUtf8(y.mid(from, 120)));
}

QVector<QPointF> sumoPoints(const QString &text)
{
    QVector<QPointF> out;
    for (const QStringRef &pair : text.splitRef(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QVector<QStringRef> xy = pair.split(QLatin1Char(','));
        out.append(QPointF(xy.value(0).toDouble(), xy.value(1).toDouble()));
    }
    return out;
}

QByteArray readMaybeGzipped(const QString &fileName)
{
    gzFile f = gzopen(QFile::encodeName(fileName).constData(), "rb");
    if (!f)
        return QByteArray();
    QByteArray out;
    char buffer[1 << 16];
    int n;
    while ((n = gzread(f, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    gzclose(f);
    return out;
}

QString dataPath(const QString &relative)
{
    return QStringLiteral(TRELVO_DATA_DIR "/") + relative;
}

Network *importNetwork(const QString &relative, QString *error)
{
    auto *net = new Network;
    if (!importSumoNetwork(net, dataPath(relative))) {
        if (error)
            *error = net->errorString();
        delete net;
        return nullptr;
    }
    return net;
}

} // namespace TestSupport
