// The items' model-to-scene conversion: paths and polygons are blended from a grid of exactly
// projected corners, and must stay within a millimetre of the exact projection wherever they are.

#include "items/itemgeometry.h"

#include "geo/geoutil.h"

#include <QPainterPath>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

const char *kUtm32 = "+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs";
const char *kUtm33 = "+proj=utm +zone=33 +ellps=WGS84 +datum=WGS84 +units=m +no_defs";

// How far, in metres, a converted point lies from where xy really is.
double errorMetres(const GeoUtil &geo, const QPointF &xy, const QPointF &converted)
{
    return QLineF(geo.geoToXY(converted), xy).length();
}

} // namespace

class TestItemGeometry : public QObject
{
    Q_OBJECT

private slots:
    void pathsStayWithinAMillimetre();
    void unusualPointsAreProjectedExactly();
    void aChangedProjectionIsFollowed();
};

void TestItemGeometry::pathsStayWithinAMillimetre()
{
    GeoUtil geo(kUtm32);
    QVERIFY(geo.isValid());
    geo.setOffset(QPointF(-543074.33, -5627577.65));

    // A city and its surroundings, 60 km across, in random order (no cell is met twice in a row).
    QRandomGenerator random(7);
    QPolygonF polygon;
    QPainterPath path;
    for (int i = 0; i < 4000; ++i) {
        const QPointF p(random.bounded(60000.0) - 30000.0, random.bounded(60000.0) - 30000.0);
        polygon << p;
        if (i % 2)
            path.lineTo(p);
        else
            path.moveTo(p);
    }
    const QPolygonF scenePolygon = ItemGeometry::toScene(&geo, polygon);
    const QPainterPath scenePath = ItemGeometry::toScene(&geo, path);
    QCOMPARE(scenePolygon.size(), polygon.size());
    QCOMPARE(scenePath.elementCount(), path.elementCount());
    double worst = 0.0;
    for (int i = 0; i < polygon.size(); ++i) {
        worst = std::max(worst, errorMetres(geo, polygon.at(i), scenePolygon.at(i)));
        worst = std::max(worst, errorMetres(geo, polygon.at(i), scenePath.elementAt(i)));
        // Moves stay moves: the structure of the path is kept.
        QCOMPARE(scenePath.elementAt(i).type, path.elementAt(i).type);
    }
    QVERIFY2(worst < 1e-3, qPrintable(QStringLiteral("off by %1 m").arg(worst)));

    // Single points are exact.
    const QPointF p(1234.5, -678.9);
    QCOMPARE(ItemGeometry::toScene(&geo, p), geo.xyToGeo(p));
}

void TestItemGeometry::unusualPointsAreProjectedExactly()
{
    GeoUtil geo(kUtm32);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QPolygonF polygon(QVector<QPointF>{QPointF(nan, 0), QPointF(5e9, 5e9), QPointF(-1.5e8, 2e6), QPointF(10, 10)});
    const QPolygonF converted = ItemGeometry::toScene(&geo, polygon);
    QVERIFY(std::isnan(converted.at(0).x()));
    // Far beyond any network: projected one by one, as PROJ does it (which may fail).
    for (int i = 1; i <= 2; ++i) {
        const QPointF exact = geo.xyToGeo(polygon.at(i));
        if (std::isnan(exact.x()))
            QVERIFY(std::isnan(converted.at(i).x()));
        else
            QCOMPARE(converted.at(i), exact);
    }
    QVERIFY(errorMetres(geo, polygon.at(3), converted.at(3)) < 1e-3);
    // Without a converter nothing changes.
    QCOMPARE(ItemGeometry::toScene(nullptr, polygon.mid(1)), polygon.mid(1));
}

void TestItemGeometry::aChangedProjectionIsFollowed()
{
    GeoUtil geo(kUtm32);
    const QPolygonF polygon(QVector<QPointF>{QPointF(500000, 5600000), QPointF(500100, 5600050)});
    const QPolygonF before = ItemGeometry::toScene(&geo, polygon);
    QVERIFY(geo.setProjectionStr(kUtm33));
    const QPolygonF after = ItemGeometry::toScene(&geo, polygon);
    // Zone 33 lies 6 degrees further east.
    QVERIFY(std::abs(after.at(0).x() - before.at(0).x() - 6.0) < 1e-6);
    QVERIFY(errorMetres(geo, polygon.at(1), after.at(1)) < 1e-3);
    geo.setOffset(QPointF(100, 0));
    QVERIFY(errorMetres(geo, polygon.at(1), ItemGeometry::toScene(&geo, polygon).at(1)) < 1e-3);
}

QTEST_GUILESS_MAIN(TestItemGeometry)
#include "tst_items_geometry.moc"
