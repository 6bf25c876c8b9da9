// Projection throughput: model XY -> WGS84 and back for a million points, through the batch call and one
// point at a time, plus the worst round-trip error.
#include "geo/geohelpers.h"
#include "geo/geoutil.h"

#include <QElapsedTimer>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace Trelvoa;

namespace {

constexpr int kPoints = 1000000;

void report(const char *name, int count, qint64 nanoseconds)
{
    const double seconds = std::max<qint64>(nanoseconds, 1) / 1e9;
    std::printf("%s: %.0f points/s\n", name, count / seconds);
}

} // namespace

int main()
{
    GeoUtil util("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs");
    if (!util.isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(util.errorString()));
        return 1;
    }
    util.setOffset(QPointF(-543074.33, -5627577.65));

    // A 20 km square of model coordinates, as a city network spans.
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> coordinate(0.0, 20000.0);
    QVector<QPointF> original(kPoints);
    for (QPointF &p : original)
        p = QPointF(coordinate(random), coordinate(random));

    QElapsedTimer timer;
    QVector<QPointF> batch = original;
    timer.start();
    util.xyToGeo(batch.data(), batch.size());
    report("batch_xy_to_geo", kPoints, timer.nsecsElapsed());
    timer.restart();
    util.geoToXY(batch.data(), batch.size());
    report("batch_geo_to_xy", kPoints, timer.nsecsElapsed());

    QVector<QPointF> single = original;
    timer.restart();
    for (QPointF &p : single)
        util.xyToGeo(&p);
    report("single_xy_to_geo", kPoints, timer.nsecsElapsed());
    timer.restart();
    for (QPointF &p : single)
        util.geoToXY(&p);
    report("single_geo_to_xy", kPoints, timer.nsecsElapsed());

    double worstBatch = 0.0, worstSingle = 0.0;
    for (int i = 0; i < kPoints; ++i) {
        worstBatch = std::max(worstBatch, flatDistance(original.at(i), batch.at(i)));
        worstSingle = std::max(worstSingle, flatDistance(original.at(i), single.at(i)));
    }
    std::printf("max_round_trip_error_batch: %.3g m\n", worstBatch);
    std::printf("max_round_trip_error_single: %.3g m\n", worstSingle);
    return 0;
}
