#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"

#include <QElapsedTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

using namespace Trelvoa;

namespace {

bool near(const QPointF &a, const QPointF &b, double tolerance = 1e-9)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

bool near(const GeoPolyline &a, const GeoPolyline &b, double tolerance = 1e-9)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i)
        if (!near(a.at(i), b.at(i), tolerance))
            return false;
    return true;
}

QByteArray dump(const GeoPolyline &line)
{
    return line.toWKT2(6).toUtf8();
}

#define COMPARE_LINE(actual, expected)                                                                       \
    QVERIFY2(near((actual), (expected)), dump(actual) + " != " + dump(expected))

// (0,0) -> (10,0) -> (10,10): 20 m, a left turn at (10,0).
const GeoPolyline kL {{0, 0}, {10, 0}, {10, 10}};

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void parallelJoined();
    void parallelCheap();
    void parallelDegenerate();
    void stroke();
    void part();
    void pointOn();
    void lineAtDistanceAndPoint();
    void intersection();
    void appendDropsSharedPoint();
    void emptyAndSinglePoint();
    void shapeMeasures();
    void convexHull();
    void wktWriting();
    void wktRoundTrip();
    void hostileWkt_data();
    void hostileWkt();
    void hugeWkt();
    void kmlIsWellFormed();
    void helpers();
};

void TestGeometry::parallelJoined()
{
    // Inner (left) and outer (right) side of the L meet at their mitre points.
    COMPARE_LINE(kL.parallel(1.0), GeoPolyline({{0, 1}, {9, 1}, {9, 10}}));
    COMPARE_LINE(kL.parallel(-1.0), GeoPolyline({{0, -1}, {11, -1}, {11, 10}}));

    // 120 degree turn: the mitre reaches 2 offsets from the vertex, still within the limit.
    const GeoPolyline bend {{0, 0}, {10, 0}, {10 + 5 * std::cos(2 * M_PI / 3), 5 * std::sin(2 * M_PI / 3)}};
    const GeoPolyline bent = bend.parallel(-1.0);
    QCOMPARE(bent.count(), 3);
    QVERIFY(std::abs(flatDistance(bent.at(1), bend.at(1)) - 2.0) < 1e-9);

    // A hairpin has no mitre point: bevel with one point from each side.
    const GeoPolyline hairpin {{0, 0}, {10, 0}, {0, 0}};
    COMPARE_LINE(hairpin.parallel(1.0), GeoPolyline({{0, 1}, {10, 1}, {10, -1}, {0, -1}}));
    // Nearly a hairpin: bevelled too, never a spike far beyond the vertex.
    const GeoPolyline sharp = GeoPolyline({{0, 0}, {10, 0}, {0, 1}}).parallel(-1.0);
    QCOMPARE(sharp.count(), 4);
    for (const QPointF &p : sharp.points())
        QVERIFY(flatDistance(p, QPointF(10, 0)) < 11.0);
}

void TestGeometry::parallelCheap()
{
    const GeoPolyline moved = kL.parallel(1.0, false);
    QCOMPARE(moved.count(), 3);
    QVERIFY(near(moved.at(0), QPointF(0, 1)));
    QVERIFY(near(moved.at(1), QPointF(10 - M_SQRT1_2, M_SQRT1_2)));
    QVERIFY(near(moved.at(2), QPointF(9, 10)));
}

void TestGeometry::parallelDegenerate()
{
    // Repeated points keep their place and never yield NaN.
    const GeoPolyline repeated = GeoPolyline({{0, 0}, {0, 0}, {10, 0}, {10, 0}, {10, 10}}).parallel(1.0);
    COMPARE_LINE(repeated, GeoPolyline({{0, 1}, {0, 1}, {9, 1}, {9, 1}, {9, 10}}));
    const GeoPolyline still {{3, 4}, {3, 4}};
    QCOMPARE(still.parallel(2.0), still);
    const GeoPolyline cheap = still.parallel(2.0, false);
    for (const QPointF &p : cheap.points())
        QVERIFY(pointIsValid(p));
}

void TestGeometry::stroke()
{
    const GeoShape band = GeoPolyline({{0, 0}, {10, 0}}).stroke(2.0);
    COMPARE_LINE(band, GeoShape({{0, 1}, {10, 1}, {10, -1}, {0, -1}, {0, 1}}));
    QVERIFY(band.isClosed());

    const GeoShape l = kL.stroke(2.0);
    COMPARE_LINE(l, GeoShape({{0, 1}, {9, 1}, {9, 10}, {11, 10}, {11, -1}, {0, -1}, {0, 1}}));
    QCOMPARE(l.area(), 40.0);
    QVERIFY(l.contains(QPointF(10, 5)));
    QVERIFY(!l.contains(QPointF(5, 5)));

    QVERIFY(GeoPolyline({{1, 1}}).stroke(2.0).isEmpty());
    QVERIFY(GeoPolyline({{1, 1}, {1, 1}}).stroke(2.0).isEmpty());
    QVERIFY(kL.stroke(0.0).isEmpty());
}

void TestGeometry::part()
{
    COMPARE_LINE(kL.part(5, 15), GeoPolyline({{5, 0}, {10, 0}, {10, 5}}));
    COMPARE_LINE(kL.part(-5, 3), GeoPolyline({{0, 0}, {3, 0}}));
    COMPARE_LINE(kL.part(15, 100), GeoPolyline({{10, 5}, {10, 10}}));
    COMPARE_LINE(kL.part(10, 20), GeoPolyline({{10, 0}, {10, 10}}));
    COMPARE_LINE(kL.part(-1, 1000), kL);
    // Measured from the end, still running forwards.
    COMPARE_LINE(kL.part(0, 5, false), GeoPolyline({{10, 5}, {10, 10}}));
    COMPARE_LINE(kL.part(2, 12, false), GeoPolyline({{8, 0}, {10, 0}, {10, 8}}));
    // Swapped bounds: the same piece, running from `from` to `to`.
    COMPARE_LINE(kL.part(15, 5), GeoPolyline({{10, 5}, {10, 0}, {5, 0}}));
    // Both bounds beyond the end: the end point alone.
    COMPARE_LINE(kL.part(30, 40), GeoPolyline({{10, 10}}));
    QVERIFY(GeoPolyline().part(0, 1).isEmpty());
}

void TestGeometry::pointOn()
{
    double distance = -1, offset = 0;
    int segment = -2;
    // Before the start: projects to the first point; offset is the perpendicular part, left positive.
    QVERIFY(near(kL.pointOn({-3, 2}, &distance, true, &segment, &offset), {0, 0}));
    QCOMPARE(distance, 0.0);
    QCOMPARE(segment, 0);
    QCOMPARE(offset, 2.0);
    // Beyond the end.
    QVERIFY(near(kL.pointOn({12, 15}, &distance, true, &segment, &offset), {10, 10}));
    QCOMPARE(distance, 20.0);
    QCOMPARE(segment, 1);
    QCOMPARE(offset, -2.0);
    kL.pointOn({12, 15}, &distance, false);
    QCOMPARE(distance, 0.0);
    // Right of the first segment, then nearer the second one (left of it).
    QVERIFY(near(kL.pointOn({5, -3}, &distance, true, &segment, &offset), {5, 0}));
    QCOMPARE(distance, 5.0);
    QCOMPARE(offset, -3.0);
    QVERIFY(near(kL.pointOn({7, 4}, &distance, false, &segment, &offset), {10, 4}));
    QCOMPARE(distance, 6.0);
    QCOMPARE(segment, 1);
    QCOMPARE(offset, 3.0);
    // Null out-pointers are fine.
    QVERIFY(near(kL.pointOn({7, 4}), {10, 4}));

    int index = 0;
    QVERIFY(near(kL.pointOn1({5, 1}, &index), {5, 0}));
    QCOMPARE(index, 1);
    QVERIFY(near(kL.pointOn1({11, 8}, &index), {10, 8}));
    QCOMPARE(index, 2);
    GeoPolyline inserted = kL;
    inserted.insert(index, kL.pointOn1({11, 8}, &index));
    COMPARE_LINE(inserted, GeoPolyline({{0, 0}, {10, 0}, {10, 8}, {10, 10}}));
    QVERIFY(near(GeoPolyline({{1, 2}}).pointOn1({5, 5}, &index), {1, 2}));
    QCOMPARE(index, -1);

    // The closing side of a shape counts; inserting at the index puts the point there.
    const GeoShape square {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    QVERIFY(near(square.pointOn(QPointF(-1, 5), &index), {0, 5}));
    QCOMPARE(index, 4);
}

void TestGeometry::lineAtDistanceAndPoint()
{
    QPointF point;
    QCOMPARE(kL.lineAtDistance(5, true, &point), QLineF(0, 0, 10, 0));
    QCOMPARE(point, QPointF(5, 0));
    // At a vertex: the following segment.
    QCOMPARE(kL.lineAtDistance(10, true, &point), QLineF(10, 0, 10, 10));
    QCOMPARE(point, QPointF(10, 0));
    QCOMPARE(kL.lineAtDistance(25, true, &point), QLineF(10, 0, 10, 10));
    QCOMPARE(point, QPointF(10, 10));
    QCOMPARE(kL.lineAtDistance(-1, true, &point), QLineF(0, 0, 10, 0));
    QCOMPARE(point, QPointF(0, 0));
    QCOMPARE(kL.lineAtDistance(5, false, &point), QLineF(10, 0, 10, 10));
    QCOMPARE(point, QPointF(10, 5));
    // Zero-length segments are skipped.
    QCOMPARE(GeoPolyline({{0, 0}, {0, 0}, {4, 0}}).lineAtDistance(0), QLineF(0, 0, 4, 0));

    const QLineF along = kL.lineAtPoint({5, 3}, 2);
    QVERIFY(near(along.p1(), {4, 0}) && near(along.p2(), {6, 0}));
    // Outside the corner: along the bisector.
    const QLineF corner = kL.lineAtPoint({12, -2}, 2);
    QVERIFY(near(corner.center(), {10, 0}));
    QVERIFY(near((corner.p2() - corner.p1()) / 2, {M_SQRT1_2, M_SQRT1_2}));
}

void TestGeometry::intersection()
{
    const GeoPolyline other {{5, -5}, {5, 5}, {15, 5}};
    bool flag = false;
    QVERIFY(near(kL.intersection(other, &flag), {5, 0}));
    QVERIFY(flag);
    // The first crossing along the walking direction.
    QVERIFY(near(kL.inverted().intersection(other, &flag), {10, 5}));
    QVERIFY(flag);
    // Touching at an end point counts.
    QVERIFY(near(GeoPolyline({{0, 0}, {5, 0}}).intersection(GeoPolyline({{5, 0}, {5, 5}}), &flag), {5, 0}));
    QVERIFY(flag);
    // Collinear overlap: where it begins.
    QVERIFY(near(GeoPolyline({{0, 0}, {10, 0}}).intersection(GeoPolyline({{20, 0}, {4, 0}}), &flag), {4, 0}));
    QVERIFY(flag);

    // Apart: extend the nearest ends ((4,0) and (10,-1)).
    const GeoPolyline approach {{-5, 3}, {0, 0}, {4, 0}};
    QVERIFY(near(approach.intersection(GeoPolyline({{10, -3}, {10, -1}}), &flag), {10, 0}));
    QVERIFY(!flag);

    const QPointF parallel
        = GeoPolyline({{0, 0}, {10, 0}}).intersection(GeoPolyline({{0, 1}, {10, 1}}), &flag);
    QVERIFY(!pointIsValid(parallel));
    QVERIFY(!flag);
    QVERIFY(!pointIsValid(GeoPolyline().intersection(kL, &flag)));
}

void TestGeometry::appendDropsSharedPoint()
{
    GeoPolyline line {{0, 0}, {1, 0}};
    line += GeoPolyline({{1, 0}, {2, 0}});
    COMPARE_LINE(line, GeoPolyline({{0, 0}, {1, 0}, {2, 0}}));
    line += GeoPolyline({{3, 0}});
    QCOMPARE(line.count(), 4);
    line += QPointF(3, 0);
    QCOMPARE(line.count(), 4);
    line += line; // first point differs from the last: all of it
    QCOMPARE(line.count(), 8);
    GeoPolyline empty;
    empty += kL;
    QCOMPARE(empty, kL);
}

void TestGeometry::emptyAndSinglePoint()
{
    const GeoPolyline empty;
    QVERIFY(!pointIsValid(empty.first()));
    QVERIFY(!pointIsValid(empty.pointOn({1, 1})));
    QPointF untouched(7, 7);
    QVERIFY(empty.lineAtDistance(3, true, &untouched).isNull());
    QCOMPARE(untouched, QPointF(7, 7));
    QVERIFY(empty.lineAtPoint({1, 1}, 2).isNull());
    QVERIFY(empty.boundingRect().isNull());
    QVERIFY(empty.parallel(1).isEmpty());
    QCOMPARE(empty.toWKT(), QStringLiteral("LINESTRING EMPTY"));

    const GeoPolyline single {{2, 3}};
    QCOMPARE(single.length(), 0.0);
    QCOMPARE(single.lineAtDistance(5, true, &untouched), QLineF(2, 3, 2, 3));
    QCOMPARE(untouched, QPointF(2, 3));
    QCOMPARE(single.parallel(1), single);
}

void TestGeometry::shapeMeasures()
{
    GeoShape square {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    QVERIFY(!square.isClosed());
    QCOMPARE(square.area(), 100.0); // closed implicitly
    QCOMPARE(square.signedArea(), 100.0);
    square.close();
    QVERIFY(square.isClosed());
    QCOMPARE(square.count(), 5);
    square.close();
    QCOMPARE(square.count(), 5);
    QCOMPARE(square.inverted().signedArea(), -100.0);
    QVERIFY(near(square.centroid(), {5, 5}));
    QVERIFY(square.contains({5, 5}));
    QVERIFY(square.contains({10, 5})); // on the outline
    QVERIFY(!square.contains({10.001, 5}));
    QVERIFY(!square.contains({qQNaN(), 5}));

    // A triangle far out, as in projected networks: centroid and area keep their precision.
    const GeoShape far {{500000, 5600000}, {500030, 5600000}, {500000, 5600030}};
    QCOMPARE(far.area(), 450.0);
    QVERIFY(near(far.centroid(), {500010, 5600010}, 1e-6));
    // No area: the mean of the points.
    QVERIFY(near(GeoShape({{0, 0}, {4, 0}, {2, 0}}).centroid(), {2, 0}));

    GeoShape circle;
    circle.addEllipse({3, 4}, 2, 2, 24);
    QCOMPARE(circle.count(), 25);
    QVERIFY(circle.isClosed());
    QVERIFY(std::abs(circle.area() - 12 * 4 * std::sin(2 * M_PI / 24)) < 1e-9);
    QVERIFY(circle.signedArea() > 0);
    QVERIFY(near(circle.centroid(), {3, 4}));
    QVERIFY(near(circle.at(6), {3, 6}));
    QVERIFY(!pointIsValid(GeoShape().centroid()));
}

void TestGeometry::convexHull()
{
    const GeoShape hull = GeoShape::convexHull(
        {{0, 0}, {10, 0}, {5, 5}, {10, 10}, {0, 10}, {5, 0}, {0, 0}, {qInf(), 3}, {qQNaN(), qQNaN()}});
    COMPARE_LINE(hull, GeoShape({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    QVERIFY(GeoShape::convexHull({{0, 0}, {1, 1}, {2, 2}}).isEmpty());
    QVERIFY(GeoShape::convexHull({{0, 0}, {1, 1}}).isEmpty());
}

void TestGeometry::wktWriting()
{
    QCOMPARE(GeoPolyline({{1, 2}, {-0.001, 3.456}}).toWKT(),
             QStringLiteral("LINESTRING(1.00 2.00, 0.00 3.46)"));
    QCOMPARE(GeoPolyline({{1, 2}, {3, 4}}).toWKT2(0), QStringLiteral("LINESTRING(1 2, 3 4)"));
    QCOMPARE(GeoShape({{0, 0}, {1, 0}, {1, 1}}).toWKT(),
             QStringLiteral("POLYGON((0.00 0.00, 1.00 0.00, 1.00 1.00, 0.00 0.00))"));
    QCOMPARE(GeoShape().toWKT(), QStringLiteral("POLYGON EMPTY"));
}

void TestGeometry::wktRoundTrip()
{
    const GeoShape shape {
        {683542.41, 4928877.56}, {683600.5, 4928877.56}, {683600.5, 4928900.25}, {683542.41, 4928877.56}};
    QCOMPARE(GeoShape::fromWKT(shape.toWKT()), shape);
    QCOMPARE(GeoShape::fromWKT(shape.toWKT2(6)), shape);

    // Case, blanks, exponents, holes, an unclosed ring, Z values and multipolygons.
    const GeoShape expected {{0, 0}, {10, 0}, {10, 10}, {0, 0}};
    QCOMPARE(GeoShape::fromWKT(QStringLiteral("polygon((0 0,10 0,10 10,0 0))")), expected);
    QCOMPARE(GeoShape::fromWKT(
                 QStringLiteral("  Polygon \n( ( 0 0 , 1e1 0 ,\t10 +10 ) , (1 1, 2 1, 2 2, 1 1) )  ")),
             expected);
    QCOMPARE(GeoShape::fromWKT(QStringLiteral("POLYGON Z ((0 0 5, 10 0 5, 10 10 5, 0 0 5))")), expected);
    QCOMPARE(GeoShape::fromWKT(
                 QStringLiteral("MULTIPOLYGON(((0 0, 10 0, 10 10, 0 0)), ((50 50, 60 50, 60 60, 50 50)))")),
             expected);
    QVERIFY(GeoShape::fromWKT(QStringLiteral("POLYGON EMPTY")).isEmpty());
}

void TestGeometry::hostileWkt_data()
{
    QTest::addColumn<QString>("wkt");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral("   ");
    QTest::newRow("other type") << QStringLiteral("LINESTRING(0 0, 1 1, 2 0)");
    QTest::newRow("truncated") << QStringLiteral("POLYGON((1 2, 3");
    QTest::newRow("unclosed parens") << QStringLiteral("POLYGON((0 0, 1 0, 1 1, 0 0)");
    QTest::newRow("extra parens") << QStringLiteral("POLYGON((0 0, 1 0, 1 1, 0 0)))");
    QTest::newRow("nested garbage") << QStringLiteral("POLYGON((((((((0 0, 1 0, 1 1))))))))");
    QTest::newRow("letters") << QStringLiteral("POLYGON((0 0, 1 x, 1 1, 0 0))");
    QTest::newRow("glued letters") << QStringLiteral("POLYGON((0 0, 1 1e, 1 1, 0 0))");
    QTest::newRow("nan") << QStringLiteral("POLYGON((0 0, nan 1, 1 1, 0 0))");
    QTest::newRow("inf") << QStringLiteral("POLYGON((0 0, inf 1, 1 1, 0 0))");
    QTest::newRow("overflow") << QStringLiteral("POLYGON((0 0, 1e999 1, 1 1, 0 0))");
    QTest::newRow("one coordinate") << QStringLiteral("POLYGON((0, 1 0, 1 1, 0 0))");
    QTest::newRow("glued numbers") << QStringLiteral("POLYGON((0 0, 1-1, 1 1, 0 0))");
    QTest::newRow("two distinct") << QStringLiteral("POLYGON((0 0, 1 1, 0 0, 1 1))");
    QTest::newRow("trailing text") << QStringLiteral("POLYGON((0 0, 1 0, 1 1, 0 0)) DROP");
    QTest::newRow("bad dimension") << QStringLiteral("POLYGON Q ((0 0, 1 0, 1 1, 0 0))");
    QTest::newRow("missing ring") << QStringLiteral("POLYGON()");
    QTest::newRow("comment") << QStringLiteral("POLYGON((0 0, 1 0, 1 1 /* 9999999 points */))");
    QTest::newRow("huge exponent") << QStringLiteral("POLYGON((0 0, 1 0, 1 1, 1e99999999999999999999 0))");
    QTest::newRow("non-ascii") << QString::fromUtf8("POLYGON((0 0, 1 0, 1 \xd9\xa3, 0 0))");
}

void TestGeometry::hostileWkt()
{
    QFETCH(QString, wkt);
    QVERIFY(GeoShape::fromWKT(wkt).isEmpty());
}

void TestGeometry::hugeWkt()
{
    // More points than accepted, and more text than accepted: both refused quickly.
    QString many = QStringLiteral("POLYGON((0 0");
    const int points = GeoShape::kMaxWktPoints + 10;
    many.reserve(points * 5 + 16);
    for (int i = 0; i < points; ++i)
        many += QLatin1String(",1 1");
    many += QLatin1String(",0 1,0 0))");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(GeoShape::fromWKT(many).isEmpty());
    QString huge = QStringLiteral("POLYGON((0 0, 1 0, 1 1, 0 0))");
    huge += QString(GeoShape::kMaxWktLength, QLatin1Char(' '));
    QVERIFY(GeoShape::fromWKT(huge).isEmpty());
    QVERIFY(timer.elapsed() < 20000);

    // Just under the limits still reads.
    QString fine = QStringLiteral("POLYGON((0 0");
    for (int i = 0; i < 100000; ++i)
        fine += QStringLiteral(", %1 %2").arg(i).arg(i % 2 ? 1 : 2);
    fine += QLatin1String(", 0 0))");
    QCOMPARE(GeoShape::fromWKT(fine).count(), 100002);
}

void TestGeometry::kmlIsWellFormed()
{
    const QString name = QStringLiteral("Lane <1> & \"A\" 'b'") + QChar(0x01);
    const GeoPolyline line {{6.9603, 50.9375}, {6.97, -0.00001}};
    const GeoShape shape {{6.0, 50.0}, {6.1, 50.0}, {6.1, 50.1}};
    const QString document
        = GeoPolyline::kmlDocument(line.toKmlPlacemark2(4, name, 2.5) + shape.toKmlPlacemark(name, 0)
                                   + pointToKml2(3, {6.9603, 50.9376}, QStringLiteral("p")));
    QXmlStreamReader xml(document);
    QStringList names, coordinates, widths;
    QStringList elements;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        elements << xml.name().toString();
        if (xml.name() == QLatin1String("kml"))
            QCOMPARE(xml.namespaceUri().toString(), QStringLiteral("http://www.opengis.net/kml/2.2"));
        else if (xml.name() == QLatin1String("name"))
            names << xml.readElementText();
        else if (xml.name() == QLatin1String("coordinates"))
            coordinates << xml.readElementText();
        else if (xml.name() == QLatin1String("width"))
            widths << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    const QString clean = QStringLiteral("Lane <1> & \"A\" 'b'");
    QCOMPARE(names, QStringList({clean, clean, QStringLiteral("p")}));
    QCOMPARE(coordinates,
             QStringList({QStringLiteral("6.9603,50.9375 6.9700,0.0000"),
                          QStringLiteral("6.00,50.00 6.10,50.00 6.10,50.10 6.00,50.00"),
                          QStringLiteral("6.960,50.938")}));
    QCOMPARE(widths, QStringList({QStringLiteral("2.5")})); // no style for width 0
    QVERIFY(elements.contains(QStringLiteral("LinearRing"))
            && elements.contains(QStringLiteral("outerBoundaryIs")));
}

void TestGeometry::helpers()
{
    QCOMPARE(flatDistance({0, 0}, {3, 4}), 5.0);
    QCOMPARE(flatParallel(QLineF(0, 0, 10, 0), 2), QLineF(0, 2, 10, 2));
    QCOMPARE(flatParallel(QLineF(0, 0, 10, 0), 2, false), QLineF(0, -2, 10, -2));
    QCOMPARE(flatParallel(QLineF(1, 1, 1, 1), 2), QLineF(1, 1, 1, 1));
    QVERIFY(pointIsValid({1, 2}));
    QVERIFY(!pointIsValid({qQNaN(), 2}));
    QVERIFY(!pointIsValid({1, -qInf()}));

    const QRectF awkward(0.1, -123456.789012345, 1e-300, 2.0 / 3.0);
    const QRectF back = rectFromString(rectToString(awkward));
    QVERIFY(back.x() == awkward.x() && back.y() == awkward.y() && back.width() == awkward.width()
            && back.height() == awkward.height());
    QCOMPARE(rectToString(QRectF(1, 2, 3, 4)), QStringLiteral("1,2,3,4"));
    QCOMPARE(rectFromString(QStringLiteral(" 1 , 2,3,4 ")), QRectF(1, 2, 3, 4));
    bool ok = false;
    for (const char *bad : {"", "1,2,3", "1,2,3,4,5", "a,2,3,4", "1,2,3,nan", "1,2,inf,4", "1;2;3;4"}) {
        QVERIFY2(rectFromString(QString::fromLatin1(bad), &ok).isNull(), bad);
        QVERIFY(!ok);
    }
    QVERIFY(rectFromString(QStringLiteral("0,0,0,0"), &ok).isNull());
    QVERIFY(ok);

    QCOMPARE(formatCoordinate(-0.001, 2), QStringLiteral("0.00"));
    QCOMPARE(formatCoordinate(-0.0, 0), QStringLiteral("0"));
    QCOMPARE(formatCoordinate(-0.006, 2), QStringLiteral("-0.01"));
    QCOMPARE(formatCoordinate(1.5, 3), QStringLiteral("1.500"));
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
