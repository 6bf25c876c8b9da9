// Network::findRoute between random edge pairs of the Bad Hersfeld network: median and 90th
// percentile search time and the share of pairs with a course.

#include "benchsupport.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "sumo/sumonetimporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace Trelvoa;

namespace {

// CPU time of this thread, so that the figures hold on a machine shared with other work.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString file = BenchSupport::dataPath(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"));
    Network net;
    QElapsedTimer timer;
    timer.start();
    if (!importSumoNetwork(&net, file)) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(net.errorString()));
        return 1;
    }
    const double importSeconds = timer.elapsed() / 1000.0;

    const Lane::VehicleClasses classes(Lane::vcPassenger);
    QList<Edge *> edges;
    for (Edge *e : net.findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly)) {
        for (Lane *l : e->lanes()) {
            if (l->allows(classes)) {
                edges.append(e);
                break;
            }
        }
    }
    std::sort(edges.begin(), edges.end(), [](Edge *a, Edge *b) { return a->id() < b->id(); });

    // The first search also computes the derived skeletons it reads; time it on its own.
    timer.restart();
    net.findRoute({edges.first(), edges.last()}, classes);
    const double firstMs = timer.nsecsElapsed() / 1e6;

    QRandomGenerator random(42);
    const int pairs = 200;
    QVector<double> times;
    QVector<double> cpuTimes;
    int found = 0;
    qint64 courseEdges = 0;
    for (int i = 0; i < pairs; ++i) {
        Edge *a = edges.at(int(random.bounded(edges.size())));
        Edge *b = edges.at(int(random.bounded(edges.size())));
        timer.restart();
        const double cpu = threadCpuMs();
        const QList<Edge *> course = net.findRoute({a, b}, classes);
        cpuTimes.append(threadCpuMs() - cpu);
        times.append(timer.nsecsElapsed() / 1e6);
        if (!course.isEmpty()) {
            ++found;
            courseEdges += course.size();
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("network edges: %d edges\n", int(net.findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly).size()));
    std::printf("passenger edges: %d edges\n", int(edges.size()));
    std::printf("import: %.2f s\n", importSeconds);
    std::printf("first search: %.2f ms\n", firstMs);
    std::printf("route median: %.2f ms\n", times.at(times.size() / 2));
    std::printf("route p90: %.2f ms\n", times.at(times.size() * 9 / 10));
    std::printf("route max: %.2f ms\n", times.last());
    std::printf("route median cpu: %.2f ms\n", cpuTimes.at(cpuTimes.size() / 2));
    std::printf("route p90 cpu: %.2f ms\n", cpuTimes.at(cpuTimes.size() * 9 / 10));
    std::printf("found: %.1f %%\n", 100.0 * found / pairs);
    std::printf("mean course: %.1f edges\n", found ? double(courseEdges) / found : 0.0);
    return 0;
}
