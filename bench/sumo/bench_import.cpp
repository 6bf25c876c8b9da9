// Importing real SUMO networks, and saving and loading them in our own format.

#include "benchsupport.h"

#include "network.h"
#include "sumo/sumonetimporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Trelvoa;

namespace {

using BenchSupport::cpuSeconds;
using BenchSupport::peakMegabytes;
using BenchSupport::print;

struct Timing
{
    double wall = -1;
    double cpu = -1;
};

// Medians of wall-clock and process CPU time: on a shared machine the CPU time is the steadier figure.
// prepare runs untimed before each step (dropping the previous result is not part of the step).
Timing median(int runs, const std::function<void()> &prepare, const std::function<bool()> &step)
{
    QVector<double> walls;
    QVector<double> cpus;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuSeconds();
        if (!step())
            return Timing();
        cpus.append(cpuSeconds() - cpu);
        walls.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return Timing{walls.at(runs / 2), cpus.at(runs / 2)};
}

void print(const QString &name, const Timing &t)
{
    print(name, t.wall, "s");
    print(name + QStringLiteral(" (CPU)"), t.cpu, "s");
}

bool bench(const QString &tag, const QString &file, const QString &dir)
{
    const int runs = 5;
    QTextStream err(stderr);
    std::unique_ptr<Network> net;
    const Timing import = median(runs, [&] { net.reset(new Network); }, [&] {
        SumoNetImporter importer(net.get());
        if (!importer.importFile(file)) {
            err << importer.errorString() << '\n';
            return false;
        }
        return true;
    });
    if (import.wall < 0)
        return false;
    print(tag + QStringLiteral(" objects"), net->objectCount(), "objects");
    print(tag + QStringLiteral(" SUMO file"), QFileInfo(file).size() / 1e6, "MB");
    print(tag + QStringLiteral(" SUMO import"), import);

    const QString own = dir + QLatin1Char('/') + tag + QStringLiteral(".trva");
    const Timing save = median(runs, nullptr, [&] {
        if (!net->save(own)) {
            err << net->errorString() << '\n';
            return false;
        }
        return true;
    });
    if (save.wall < 0)
        return false;
    print(tag + QStringLiteral(" save"), save);
    print(tag + QStringLiteral(" own file"), QFileInfo(own).size() / 1e6, "MB");
    const QString packed = own + QStringLiteral(".gz");
    if (net->save(packed, true))
        print(tag + QStringLiteral(" own file gzipped"), QFileInfo(packed).size() / 1e6, "MB");

    std::unique_ptr<Network> loaded;
    const Timing load = median(runs, [&] { loaded.reset(new Network); }, [&] {
        if (!loaded->load(own)) {
            err << loaded->errorString() << '\n';
            return false;
        }
        return true;
    });
    if (load.wall < 0)
        return false;
    print(tag + QStringLiteral(" load"), load);
    if (loaded->objectCount() != net->objectCount())
        err << tag << ": the loaded network has " << loaded->objectCount() << " objects, not "
            << net->objectCount() << '\n';
    // Peak memory is per process and only grows: the smaller net runs first.
    print(tag + QStringLiteral(" peak memory (VmHWM)"), peakMegabytes(), "MB");
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    bool ok = bench(QStringLiteral("port-cologne"),
                    BenchSupport::dataPath(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz")), dir.path());
    ok = bench(QStringLiteral("badhersfeld"), BenchSupport::dataPath(QStringLiteral("badhersfeld/osm_edited.net.xml.gz")),
               dir.path())
         && ok;
    return ok ? 0 : 1;
}
