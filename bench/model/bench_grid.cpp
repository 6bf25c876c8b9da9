// Builds a grid of signalised junctions and measures how fast the road model is made, how much memory
// it takes and how long moving one node takes until every affected geometry is up to date.

#include "benchsupport.h"

#include "connection.h"
#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QVector>

#include <algorithm>
#include <array>
#include <cstdio>

using namespace Trelvoa;

namespace {

// Records the objects each change announces, as the scene network would.
class BenchNetwork : public Network
{
public:
    QVector<NetObject *> changed;
    bool recording = false;
    void objectChanged(NetObject *object, int flags) override
    {
        if (recording)
            changed.append(object);
        Network::objectChanged(object, flags);
    }
};

struct Grid
{
    QVector<Node *> nodes;
    // edges[node][direction]: outgoing and incoming edge per compass direction (0 E, 1 N, 2 W, 3 S).
    QVector<std::array<Edge *, 4>> out;
    QVector<std::array<Edge *, 4>> in;
    int n = 0;
    Node *at(int x, int y) const { return nodes.at(y * n + x); }
};

Edge *makeEdge(Network &net, Node *a, Node *b)
{
    auto *e = new Edge(&net, a, b);
    new Lane(e);
    new Lane(e);
    net.addItem(e);
    return e;
}

void connect(Network &net, Lane *from, Lane *to)
{
    auto *c = new Connection(&net, from->stopline(), to->startline());
    net.addItem(c);
}

Grid buildGrid(Network &net, int n)
{
    Grid g;
    g.n = n;
    g.nodes.reserve(n * n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            auto *node = new Node(&net, QPointF(100.0 * x, 100.0 * y), Node::SignalisedJunction);
            net.addItem(node);
            g.nodes.append(node);
        }
    }
    g.out.fill({nullptr, nullptr, nullptr, nullptr}, n * n);
    g.in.fill({nullptr, nullptr, nullptr, nullptr}, n * n);
    const int dx[4] = {1, 0, -1, 0};
    const int dy[4] = {0, 1, 0, -1};
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            for (int d : {0, 1}) {
                const int x2 = x + dx[d];
                const int y2 = y + dy[d];
                if (x2 >= n || y2 >= n)
                    continue;
                const int i = y * n + x;
                const int j = y2 * n + x2;
                Edge *there = makeEdge(net, g.nodes.at(i), g.nodes.at(j));
                Edge *back = makeEdge(net, g.nodes.at(j), g.nodes.at(i));
                g.out[i][d] = there;
                g.in[j][(d + 2) % 4] = there;
                g.out[j][(d + 2) % 4] = back;
                g.in[i][d] = back;
            }
        }
    }
    // At each junction: from the arm in direction a (travelling towards the opposite direction) straight
    // on lane to lane, right turns from lane 0, left turns from lane 1.
    for (int i = 0; i < n * n; ++i) {
        for (int a = 0; a < 4; ++a) {
            Edge *from = g.in[i][a];
            if (!from)
                continue;
            const int heading = (a + 2) % 4;
            if (Edge *to = g.out[i][heading]) {
                connect(net, from->lane(0), to->lane(0));
                connect(net, from->lane(1), to->lane(1));
            }
            if (Edge *to = g.out[i][(heading + 3) % 4])
                connect(net, from->lane(0), to->lane(0));
            if (Edge *to = g.out[i][(heading + 1) % 4])
                connect(net, from->lane(1), to->lane(1));
        }
    }
    return g;
}

void touch(const NetObject *o)
{
    o->pos();
    o->skeleton();
    o->shape();
}

// Median time of moving one interior node back and forth and bringing every announced object's
// geometry up to date; *notified gets the objects announced per move.
double medianMoveMs(BenchNetwork &net, Node *node, int moves, int *notified)
{
    const QPointF home = node->pos();
    net.recording = true;
    QVector<double> times;
    times.reserve(moves);
    QElapsedTimer t;
    for (int k = 0; k < moves; ++k) {
        net.changed.clear();
        const QPointF to = home + QPointF((k % 7) - 3.0, ((k * 3) % 5) - 2.0);
        t.start();
        node->setPos(to);
        for (const NetObject *o : qAsConst(net.changed))
            touch(o);
        times.append(t.nsecsElapsed() / 1e6);
        *notified = net.changed.size();
    }
    net.recording = false;
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100;
    const double baseKb = BenchSupport::peakKilobytes();

    BenchNetwork net;
    QElapsedTimer timer;
    timer.start();
    const double cpu0 = BenchSupport::cpuSeconds();
    Grid grid = buildGrid(net, n);
    const double buildS = timer.nsecsElapsed() / 1e9;
    const double buildCpuS = BenchSupport::cpuSeconds() - cpu0;
    const int objects = net.objectCount();
    const double hwmKb = BenchSupport::peakKilobytes();

    timer.start();
    for (const NetObject *o : net.allObjects())
        touch(o);
    const double geometryS = timer.nsecsElapsed() / 1e9;
    const double hwmAfterGeometryKb = BenchSupport::peakKilobytes();

    int notified = 0;
    const double moveMs = medianMoveMs(net, grid.at(n / 2, n / 2), 1000, &notified);

    // The same move on a small grid: the cost must not depend on the network's size.
    BenchNetwork small;
    Grid smallGrid = buildGrid(small, 10);
    for (const NetObject *o : small.allObjects())
        touch(o);
    int smallNotified = 0;
    const double smallMoveMs = medianMoveMs(small, smallGrid.at(5, 5), 1000, &smallNotified);

    std::printf("grid_junctions: %d count\n", n * n);
    std::printf("objects: %d count\n", objects);
    std::printf("build_time: %.3f s\n", buildS);
    std::printf("objects_per_second: %.0f objects/s\n", objects / buildS);
    std::printf("time_per_100k_objects: %.3f s\n", 100000.0 * buildS / objects);
    std::printf("build_cpu_time: %.3f s\n", buildCpuS);
    std::printf("objects_per_cpu_second: %.0f objects/s\n", objects / buildCpuS);
    std::printf("vmhwm_after_build: %.1f MB\n", hwmKb / 1024.0);
    std::printf("memory_per_object: %.0f bytes\n", hwmKb * 1024.0 / objects);
    std::printf("memory_per_object_above_start: %.0f bytes\n", (hwmKb - baseKb) * 1024.0 / objects);
    std::printf("full_geometry_time: %.3f s\n", geometryS);
    std::printf("memory_per_object_with_geometry: %.0f bytes\n", (hwmAfterGeometryKb - baseKb) * 1024.0 / objects);
    std::printf("move_objects_notified: %d count\n", notified);
    std::printf("move_median: %.4f ms\n", moveMs);
    std::printf("move_median_10x10_grid: %.4f ms\n", smallMoveMs);
    std::printf("move_objects_notified_10x10_grid: %d count\n", smallNotified);
    return 0;
}
