#include "geo/geohelpers.h"
#include "geo/geoutil.h"

#include <QtTest>

#include <cmath>
#include <memory>
#include <thread>

using namespace Trelvoa;

namespace {

const char *const kUtm32 = "+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs";
const char *const kTmerc9
    = "+proj=tmerc +lat_0=0 +lon_0=9 +k=0.9996 +x_0=500000 +y_0=0 +ellps=WGS84 +units=m +no_defs";
const char *const kTmerc13
    = "+proj=tmerc +lat_0=0 +lon_0=13.5 +k=1 +x_0=0 +y_0=0 +ellps=WGS84 +units=m +no_defs";

// Independent reference values from GeographicLib:
//   echo "LAT LON" | GeoConvert -u -z 32 -p 6          (UTM zone 32 forced)
//   echo "32n E N" | GeoConvert -p 9                    (inverse)
//   echo "LAT LON" | TransverseMercatorProj -l 13.5 -k 1 -p 6   (and -r for the inverse)
struct Reference
{
    double lon, lat, x, y;
};

const Reference kUtm32Reference[] = {
    {6.9603, 50.9375, 356689.073689, 5644855.733678}, // Cologne
    {11.3426, 44.4949, 686248.655191, 4929511.901547}, // Bologna
    {13.405, 52.52, 798812.802571, 5827999.900110}, // Berlin, outside the zone's own strip
    {9.7066, 50.8683, 549721.815988, 5635417.348760}, // Bad Hersfeld
    {9.0, 0.5, 500000.000000, 55265.037143}, // central meridian near the equator
    {3.0, 60.0, 165640.332108, 6666593.572147},
    {7.58866122962649, 50.54337955474289, 400000, 5600000},
    {10.42625961810670, 45.03343746352152, 612345.678, 4987654.321},
    {4.70038796870218, 58.56836042997408, 250000, 6500000},
};

const Reference kTmerc13Reference[] = {
    {13.405, 52.52, -6448.543477, 5821209.381181},
    {13.55, 52.45, 3399.362276, 5813416.956256},
    {11.5755, 48.1372, -143232.372050, 5335474.899541},
    {13.51466862027655, 52.32943462321221, 1000, 5800000},
    {13.21242171012198, 51.43032813577498, -20000, 5700000},
};

constexpr double kDegreeTolerance = 1e-7;
constexpr double kMetreTolerance = 1e-3;

} // namespace

class TestProjection : public QObject
{
    Q_OBJECT

private slots:
    void againstReference_data();
    void againstReference();
    void roundTripGrid();
    void offset();
    void shapesAndRects();
    void invalidProjection();
    void replaceProjection();
    void convertsOnSeveralThreadsAtOnce();
};

void TestProjection::againstReference_data()
{
    QTest::addColumn<QByteArray>("projection");
    QTest::addColumn<double>("lon");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    int i = 0;
    for (const Reference &r : kUtm32Reference) {
        QTest::addRow("utm32-%d", i) << QByteArray(kUtm32) << r.lon << r.lat << r.x << r.y;
        // The same transverse Mercator written out by hand.
        QTest::addRow("tmerc9-%d", i++) << QByteArray(kTmerc9) << r.lon << r.lat << r.x << r.y;
    }
    // Through PROJ's database.
    QTest::addRow("epsg32632") << QByteArray("EPSG:32632") << kUtm32Reference[0].lon << kUtm32Reference[0].lat
                               << kUtm32Reference[0].x << kUtm32Reference[0].y;
    i = 0;
    for (const Reference &r : kTmerc13Reference)
        QTest::addRow("tmerc13.5-%d", i++) << QByteArray(kTmerc13) << r.lon << r.lat << r.x << r.y;
}

void TestProjection::againstReference()
{
    QFETCH(QByteArray, projection);
    QFETCH(double, lon);
    QFETCH(double, lat);
    QFETCH(double, x);
    QFETCH(double, y);
    GeoUtil util(projection.constData());
    QVERIFY2(util.isValid(), qPrintable(util.errorString()));

    const QPointF geo = util.xyToGeo(QPointF(x, y));
    QVERIFY2(std::abs(geo.x() - lon) < kDegreeTolerance && std::abs(geo.y() - lat) < kDegreeTolerance,
             qPrintable(QStringLiteral("%1 %2").arg(geo.x(), 0, 'f', 10).arg(geo.y(), 0, 'f', 10)));
    const QPointF xy = util.geoToXY(QPointF(lon, lat));
    QVERIFY2(flatDistance(xy, QPointF(x, y)) < kMetreTolerance,
             qPrintable(QStringLiteral("%1 %2").arg(xy.x(), 0, 'f', 4).arg(xy.y(), 0, 'f', 4)));

    // The batch path gives the same as the single-point one.
    QPointF batch[2] = {QPointF(x, y), QPointF(x, y)};
    util.xyToGeo(batch, 2);
    QVERIFY(std::abs(batch[1].x() - geo.x()) < 1e-12 && std::abs(batch[1].y() - geo.y()) < 1e-12);
    util.geoToXY(batch, 2);
    QVERIFY(flatDistance(batch[0], QPointF(x, y)) < kMetreTolerance);
}

void TestProjection::roundTripGrid()
{
    // A 20 km square around the Bad Hersfeld net, in its model coordinates (after netOffset).
    GeoUtil util(kUtm32);
    QVERIFY(util.isValid());
    util.setOffset(QPointF(-543074.33, -5627577.65));
    QVector<QPointF> grid;
    for (int i = 0; i <= 100; ++i)
        for (int j = 0; j <= 100; ++j)
            grid.append(QPointF(-2500 + 200.0 * i, -2500 + 200.0 * j));
    QVector<QPointF> converted = grid;
    util.xyToGeo(&converted);
    for (const QPointF &p : converted)
        QVERIFY(p.x() > 9.4 && p.x() < 10.0 && p.y() > 50.6 && p.y() < 51.0);
    util.geoToXY(&converted);
    double worst = 0;
    for (int k = 0; k < grid.size(); ++k) {
        worst = std::max(worst, flatDistance(grid.at(k), converted.at(k)));
        worst = std::max(worst, flatDistance(grid.at(k), util.geoToXY(util.xyToGeo(grid.at(k)))));
    }
    QVERIFY2(worst < kMetreTolerance, qPrintable(QString::number(worst)));
}

void TestProjection::offset()
{
    // Bologna's net: model (0,0) is projected (683542.41, 4928877.56); the far corner of its
    // convBoundary is model (1817.58, 1350.19). Reference latitudes/longitudes by GeoConvert.
    GeoUtil util(kUtm32);
    util.setOffset(QPointF(-683542.41, -4928877.56));
    QCOMPARE(util.offset(), QPointF(-683542.41, -4928877.56));
    const QPointF origin = util.xyToGeo(QPointF(0, 0));
    QVERIFY(std::abs(origin.x() - 11.30836384709310) < kDegreeTolerance);
    QVERIFY(std::abs(origin.y() - 44.48988671864727) < kDegreeTolerance);
    const QPointF corner = util.xyToGeo(QPointF(1817.58, 1350.19));
    QVERIFY(std::abs(corner.x() - 11.33168851909131) < kDegreeTolerance);
    QVERIFY(std::abs(corner.y() - 44.50156788086320) < kDegreeTolerance);
    QVERIFY(flatDistance(util.geoToXY(QPointF(11.33168851909131, 44.50156788086320)), {1817.58, 1350.19})
            < kMetreTolerance);

    GeoUtil plain(kUtm32);
    const QPointF geo(11.32, 44.495);
    QVERIFY(flatDistance(util.geoToXY(geo), plain.geoToXY(geo) + util.offset()) < 1e-9);
}

void TestProjection::shapesAndRects()
{
    GeoUtil util(kUtm32);
    util.setOffset(QPointF(-683542.41, -4928877.56));

    const QRectF box(0, 0, 1817.58, 1350.19);
    const QRectF geoBox = util.xyToGeo(box);
    // Corners in lon/lat do not stay axis-aligned: the result bounds all four.
    const QPointF corners[4] = {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()};
    for (const QPointF &c : corners) {
        const QPointF g = util.xyToGeo(c);
        QVERIFY(g.x() >= geoBox.left() - 1e-12 && g.x() <= geoBox.right() + 1e-12);
        QVERIFY(g.y() >= geoBox.top() - 1e-12 && g.y() <= geoBox.bottom() + 1e-12);
    }
    QVERIFY(std::abs(geoBox.left() - 11.30836384709310) < 1e-3);

    GeoShape shape {{0, 0}, {100, 0}, {100, 100}, {0, 0}};
    const GeoShape original = shape;
    util.xyToGeo(&shape); // the GeoShape overload, keeping the type and point count
    QCOMPARE(shape.count(), 4);
    QVERIFY(shape.isClosed());
    QVERIFY(std::abs(shape.first().x() - 11.30836384709310) < kDegreeTolerance);
    const GeoShape back = util.geoToXY(shape);
    for (int i = 0; i < back.count(); ++i)
        QVERIFY(flatDistance(back.at(i), original.at(i)) < kMetreTolerance);

    QLineF line(0, 0, 1817.58, 1350.19);
    util.xyToGeo(&line);
    QVERIFY(std::abs(line.p2().y() - 44.50156788086320) < kDegreeTolerance);

    // Outside the projection's domain: the invalid point, not garbage.
    QVERIFY(!pointIsValid(util.geoToXY(QPointF(11.3, 95.0))));
}

void TestProjection::invalidProjection()
{
    for (const char *bad :
         {"+proj=doesnotexist +ellps=WGS84", "utter nonsense", "", "!", "+proj=utm +zone=99",
          "+proj=pipeline +step +proj=utm +zone=32", "+proj=utm +zone=32 +ellps=nosuch"}) {
        GeoUtil util(bad);
        QVERIFY2(!util.isValid(), bad);
        QVERIFY2(!util.errorString().isEmpty(), bad);
        QCOMPARE(util.projectionStr(), QByteArray(bad));
        // Conversions leave their input alone.
        QCOMPARE(util.xyToGeo(QPointF(1, 2)), QPointF(1, 2));
        QCOMPARE(util.geoToXY(QRectF(1, 2, 3, 4)), QRectF(1, 2, 3, 4));
        QPointF batch[1] = {QPointF(5, 6)};
        util.xyToGeo(batch, 1);
        QCOMPARE(batch[0], QPointF(5, 6));

        QString error;
        std::unique_ptr<GeoUtil> created(GeoUtil::create(bad, &error));
        QVERIFY(!created);
        QVERIFY(!error.isEmpty());
    }
    GeoUtil none;
    QVERIFY(!none.isValid());
    QVERIFY(!none.errorString().isEmpty());
    QVERIFY(!std::unique_ptr<GeoUtil>(GeoUtil::create(nullptr)));

    QString error = QStringLiteral("stale");
    std::unique_ptr<GeoUtil> good(GeoUtil::create(kUtm32, &error));
    QVERIFY(good && good->isValid());
    QVERIFY(error.isEmpty());
}

void TestProjection::replaceProjection()
{
    GeoUtil util(kUtm32);
    QVERIFY(util.isValid());
    QVERIFY(!util.setProjectionStr("+proj=bogus"));
    QVERIFY(!util.isValid());
    QVERIFY(util.errorString().contains(QLatin1String("bogus")));
    QVERIFY(util.setProjectionStr(kTmerc13));
    QVERIFY(util.isValid());
    QVERIFY(util.errorString().isEmpty());
    QVERIFY(flatDistance(util.geoToXY(QPointF(13.405, 52.52)), {-6448.543477, 5821209.381181})
            < kMetreTolerance);
    QCOMPARE(util.projectionStr(), QByteArray(kTmerc13));
}

void TestProjection::convertsOnSeveralThreadsAtOnce()
{
    // Two threads convert the same points with one util at the same time, single and batched, and get
    // what the thread that made it gets; a projection replaced in between reaches the other thread too.
    GeoUtil util(kUtm32);
    util.setOffset(QPointF(-543074.33, -5627577.65));
    QVector<QPointF> grid;
    for (int i = 0; i < 200; ++i)
        for (int j = 0; j < 50; ++j)
            grid.append(QPointF(-2500 + 97.0 * i, -2500 + 83.0 * j));
    auto convertAll = [&util, &grid](QVector<QPointF> *single, QVector<QPointF> *batch) {
        single->clear();
        for (const QPointF &p : grid)
            single->append(util.xyToGeo(p));
        *batch = grid;
        util.xyToGeo(batch);
    };
    QVector<QPointF> expected, expectedBatch;
    convertAll(&expected, &expectedBatch);
    for (int round = 0; round < 2; ++round) {
        QVector<QPointF> mainSingle, mainBatch, otherSingle, otherBatch;
        std::thread other([&] { convertAll(&otherSingle, &otherBatch); });
        convertAll(&mainSingle, &mainBatch);
        other.join();
        QCOMPARE(mainSingle, expected);
        QCOMPARE(mainBatch, expectedBatch);
        QCOMPARE(otherSingle, expected);
        QCOMPARE(otherBatch, expectedBatch);
        if (round == 0)
            QVERIFY(expected.first().x() > 9.4 && expected.first().x() < 10.0);

        QVERIFY(util.setProjectionStr(kTmerc9));
        util.setOffset(QPointF());
        convertAll(&expected, &expectedBatch);
    }
    QPointF back;
    std::thread other([&] { back = util.geoToXY(QPointF(9.7066, 50.8683)); });
    other.join();
    QVERIFY(flatDistance(back, util.geoToXY(QPointF(9.7066, 50.8683))) < 1e-9);
}

QTEST_GUILESS_MAIN(TestProjection)
#include "tst_projection.moc"
