// trelvo-net: statistics, conversion and save/load checks of network files (ours and SUMO's).

#include "geo/geoutil.h"
#include "netobject.h"
#include "network.h"
#include "node.h"
#include "sumo/sumonet.h"
#include "sumo/sumonetimporter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <memory>
#include <cstdio>

using namespace Trelvoa;

namespace {

const char kUsage[] = "usage: trelvo-net stats FILE\n"
                      "       trelvo-net convert IN OUT   (OUT: .trva, .trvaf, optionally .gz)\n"
                      "       trelvo-net check FILE       (exit status 2 when the two saves differ)\n"
                      "       trelvo-net export-sumo IN DIR [--source]   (SUMO project, or plain files with --source)\n"
                      "FILE and IN: a network of ours (.trva, .trvaf) or a SUMO network (.net.xml[.gz])\n";

int failure(const QString &message)
{
    QTextStream(stderr) << "trelvo-net: " << message << '\n';
    return 1;
}

// Either kind of input, told apart by the file name or else by the root element.
bool loadAny(Network *net, const QString &fileName, QString *error)
{
    if (!QFileInfo(fileName).isFile()) {
        *error = QStringLiteral("%1: no such file").arg(fileName);
        return false;
    }
    const bool sumoName = fileName.endsWith(QLatin1String(".net.xml")) || fileName.endsWith(QLatin1String(".net.xml.gz"));
    if (sumoName || SumoNetImporter::isSumoNetwork(fileName)) {
        SumoNetImporter importer(net);
        if (!importer.importFile(fileName)) {
            *error = importer.errorString();
            return false;
        }
        QTextStream err(stderr);
        for (const QString &w : importer.warnings())
            err << "warning: " << w << '\n';
        return true;
    }
    if (!net->load(fileName)) {
        *error = net->errorString();
        if (!error->contains(fileName))
            *error = QStringLiteral("%1: %2").arg(fileName, *error);
        return false;
    }
    return true;
}

QByteArray saveToMemory(Network *net, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    if (!net->save(writer)) {
        *error = net->errorString();
        return QByteArray();
    }
    return bytes;
}

int stats(const QString &fileName)
{
    Network net;
    QString error;
    if (!loadAny(&net, fileName, &error))
        return failure(error);

    // Every kind in a fixed order, so that outputs of two files compare line by line.
    static const char *const kinds[][2] = {
        {"Trelvoa::Node", "nodes"},
        {nullptr, "junctions"},
        {"Trelvoa::Edge", "edges"},
        {"Trelvoa::EdgeGroup", "edge groups"},
        {"Trelvoa::Lane", "lanes"},
        {"Trelvoa::Stopline", "stoplines"},
        {"Trelvoa::Connection", "connections"},
        {"Trelvoa::CrossWalk", "crosswalks"},
        {"Trelvoa::WalkingArea", "walking areas"},
        {"Trelvoa::Detector", "detectors"},
        {"Trelvoa::DetectorGroup", "detector groups"},
        {"Trelvoa::CompositeDetector", "composite detectors"},
        {"Trelvoa::EmergencyDetector", "emergency detectors"},
        {"Trelvoa::Route", "routes"},
        {"Trelvoa::Taz", "TAZ"},
        {"Trelvoa::PtStop", "PT stops"},
        {"Trelvoa::PolygonObject", "polygons"},
        {"Trelvoa::PointObject", "points"},
        {"Trelvoa::Granule", "granules"},
        {"Trelvoa::SignalGroup", "signal groups"},
        {"Trelvoa::OdMatrix", "OD matrices"},
        {"Trelvoa::TrafficState", "traffic states"},
        {"Trelvoa::CustomObject", "custom objects"},
    };
    QHash<QByteArray, int> counts;
    int junctions = 0;
    QVector<QPointF> points;
    for (NetObject *o : net.allObjects()) {
        ++counts[QByteArray(o->metaObject()->className())];
        if (auto *node = qobject_cast<Node *>(o)) {
            junctions += node->isJunction();
            points.append(node->pos());
        }
    }
    QTextStream out(stdout);
    for (const auto &kind : kinds) {
        const int n = kind[0] ? counts.take(QByteArray(kind[0])) : junctions;
        out << kind[1] << ": " << n << '\n';
    }
    QList<QByteArray> others = counts.keys();
    std::sort(others.begin(), others.end());
    for (const QByteArray &name : others)
        out << name << ": " << counts.value(name) << '\n';

    if (points.isEmpty()) {
        out << "bounds: none\n";
        return 0;
    }
    const bool geographic = net.geoUtil() != nullptr;
    if (geographic)
        net.geoUtil()->xyToGeo(&points);
    QRectF box(points.first(), QSizeF(0, 0));
    for (const QPointF &p : qAsConst(points)) {
        box.setLeft(qMin(box.left(), p.x()));
        box.setRight(qMax(box.right(), p.x()));
        box.setTop(qMin(box.top(), p.y()));
        box.setBottom(qMax(box.bottom(), p.y()));
    }
    const int precision = geographic ? 6 : 2;
    out << "bounds: " << QString::number(box.left(), 'f', precision) << ','
        << QString::number(box.top(), 'f', precision) << " .. " << QString::number(box.right(), 'f', precision)
        << ',' << QString::number(box.bottom(), 'f', precision)
        << (geographic ? " (longitude,latitude)" : " (model x,y: no projection)") << '\n';
    return 0;
}

int convert(const QString &in, const QString &out)
{
    QString name = out;
    const bool compressed = name.endsWith(QLatin1String(".gz"));
    if (compressed)
        name.chop(3);
    bool fullGeometry = false;
    if (name.endsWith(QLatin1String(".trvaf")))
        fullGeometry = true;
    else if (!name.endsWith(QLatin1String(".trva")))
        return failure(QStringLiteral("%1: the output must end in .trva or .trvaf").arg(out));
    Network net;
    QString error;
    if (!loadAny(&net, in, &error))
        return failure(error);
    if (!net.save(out, compressed, fullGeometry))
        return failure(QStringLiteral("%1: %2").arg(out, net.errorString()));
    return 0;
}

int check(const QString &fileName)
{
    Network net;
    QString error;
    if (!loadAny(&net, fileName, &error))
        return failure(error);
    const QByteArray first = saveToMemory(&net, &error);
    if (first.isEmpty())
        return failure(QStringLiteral("saving failed: %1").arg(error));
    Network again;
    QXmlStreamReader reader(first);
    if (!again.load(reader))
        return failure(QStringLiteral("reloading the save failed: %1").arg(again.errorString()));
    const QByteArray second = saveToMemory(&again, &error);
    if (second.isEmpty())
        return failure(QStringLiteral("saving the reloaded network failed: %1").arg(error));
    if (first != second) {
        int at = 0;
        while (at < first.size() && at < second.size() && first.at(at) == second.at(at))
            ++at;
        const int line = first.left(at).count('\n') + 1;
        QTextStream(stderr) << "trelvo-net: the saves differ from line " << line << " (" << first.size()
                            << " and " << second.size() << " bytes)\n";
        return 2;
    }
    QTextStream(stdout) << "identical: " << first.size() << " bytes, " << net.objectCount() << " objects\n";
    return 0;
}

// The project goes into DIR, which is made when missing; plain files for netconvert with --source.
int exportSumo(const QString &in, const QString &dir, bool source)
{
    Network net;
    QString error;
    if (!loadAny(&net, in, &error))
        return failure(error);
    if (!QDir().mkpath(dir))
        return failure(QStringLiteral("%1: cannot create the directory").arg(dir));
    const std::shared_ptr<SUMONet> sumo = net.toSUMO();
    if (!sumo)
        return failure(net.errorString());
    const QString projection = net.geoUtil() ? QString::fromUtf8(net.geoUtil()->projectionStr()) : QString();
    const bool ok = source ? sumo->saveAsSource(dir, projection) : sumo->saveAsProject(dir, projection);
    if (!ok)
        return failure(QStringLiteral("%1: %2").arg(dir, sumo->errorString()));
    QTextStream err(stderr);
    for (const QString &w : sumo->warnings())
        err << "warning: " << w << '\n';
    QTextStream(stdout) << QDir(dir).filePath(source ? sumo->nodeFileName() : sumo->projectFileName()) << '\n';
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("stats") && args.size() == 2)
        return stats(args.at(1));
    if (command == QLatin1String("convert") && args.size() == 3)
        return convert(args.at(1), args.at(2));
    if (command == QLatin1String("check") && args.size() == 2)
        return check(args.at(1));
    if (command == QLatin1String("export-sumo") && (args.size() == 3 || (args.size() == 4 && args.at(3) == QLatin1String("--source"))))
        return exportSumo(args.at(1), args.at(2), args.size() == 4);
    fputs(kUsage, stderr);
    return 1;
}
