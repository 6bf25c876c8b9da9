// The native SUMO export of a large real network beside SUMO's own netconvert converting the same
// network: the export should take no longer than netconvert reading and writing it.

#include "benchsupport.h"

#include "geo/geoutil.h"
#include "network.h"
#include "sumo/sumonet.h"
#include "sumo/sumonetimporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Trelvoa;

namespace {

using BenchSupport::print;

// The median wall-clock time in seconds of `runs` steps; -1 when a step fails.
double medianSeconds(int runs, const std::function<bool()> &step)
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!step())
            return -1;
        times.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times.at(runs / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString original = BenchSupport::dataPath(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"));
    Network net;
    if (!importSumoNetwork(&net, original)) {
        err << net.errorString() << '\n';
        return 1;
    }
    const QString projection = net.geoUtil() ? QString::fromUtf8(net.geoUtil()->projectionStr()) : QString();
    const int runs = 3;

    const double ours = medianSeconds(runs, [&] {
        const std::shared_ptr<SUMONet> sumo = net.toSUMO();
        if (!sumo || !sumo->saveAsProject(dir.path(), projection)) {
            err << (sumo ? sumo->errorString() : net.errorString()) << '\n';
            return false;
        }
        return true;
    });
    const double theirs = medianSeconds(runs, [&] {
        QProcess p;
        p.start(SUMONet::findTool(QStringLiteral("netconvert")),
                {QStringLiteral("-s"), original, QStringLiteral("-o"), dir.filePath(QStringLiteral("netconvert.net.xml")),
                 QStringLiteral("--xml-validation"), QStringLiteral("never"), QStringLiteral("--no-warnings"), QStringLiteral("true")});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            err << "netconvert failed: " << p.readAllStandardError() << '\n';
            return false;
        }
        return true;
    });
    if (ours < 0 || theirs < 0)
        return 1;
    print(QStringLiteral("badhersfeld native export"), ours, "s");
    print(QStringLiteral("badhersfeld netconvert -s"), theirs, "s");
    print(QStringLiteral("badhersfeld export / netconvert"), ours / theirs, "x");
    return 0;
}
