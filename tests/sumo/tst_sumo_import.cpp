#include "saves.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "stopline.h"
#include "sumo/gzipdevice.h"
#include "sumo/sumonetimporter.h"
#include "sumo/sumonetreader.h"
#include "sumo/sumovehicleclasses.h"
#include "sumo/xmlbytereader.h"
#include "walkingarea.h"

#include <QBuffer>
#include <QtTest>

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using namespace Trelvoa;

namespace {

// What a SUMO file holds, read here with plain string handling, independently of the importer.
struct Scan
{
    struct Lane
    {
        int index = 0;
        double width = 3.2;
        QVector<QPointF> shape;
    };
    struct Edge
    {
        QString from, to;
        QVector<Lane> lanes;
    };
    QHash<QString, Edge> edges; // normal edges
    QHash<QString, QPointF> junctionPos;
    QHash<QString, QPolygonF> junctionShape;
    QVector<QPair<QString, QString>> connections;
    QHash<QString, QVector<QPointF>> crossingShapes;
    int lanes = 0;
    int crossings = 0;
    int walkingAreas = 0;
    QPointF netOffset;
    QByteArray projection;
    QRectF origBoundary;
};

Scan scanFile(const QString &fileName)
{
    Scan scan;
    QXmlStreamReader xml(TestSupport::readMaybeGzipped(fileName));
    QString edgeId;
    bool inNormalEdge = false;
    bool inCrossing = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QStringRef name = xml.name();
        if (name == QLatin1String("edge")) {
            const QString function = a.value(QLatin1String("function")).toString();
            edgeId = a.value(QLatin1String("id")).toString();
            inNormalEdge = function.isEmpty() || function == QLatin1String("normal");
            inCrossing = function == QLatin1String("crossing");
            if (inNormalEdge)
                scan.edges[edgeId] = {a.value(QLatin1String("from")).toString(), a.value(QLatin1String("to")).toString(), {}};
            scan.crossings += function == QLatin1String("crossing");
            scan.walkingAreas += function == QLatin1String("walkingarea");
        } else if (name == QLatin1String("lane") && inCrossing) {
            scan.crossingShapes[edgeId] = TestSupport::sumoPoints(a.value(QLatin1String("shape")).toString());
        } else if (name == QLatin1String("lane") && inNormalEdge) {
            Scan::Lane lane;
            lane.index = a.value(QLatin1String("index")).toInt();
            if (a.hasAttribute(QLatin1String("width")))
                lane.width = a.value(QLatin1String("width")).toDouble();
            lane.shape = TestSupport::sumoPoints(a.value(QLatin1String("shape")).toString());
            scan.edges[edgeId].lanes.append(lane);
            ++scan.lanes;
        } else if (name == QLatin1String("junction")) {
            inNormalEdge = false;
            if (a.value(QLatin1String("type")) == QLatin1String("internal"))
                continue;
            const QString id = a.value(QLatin1String("id")).toString();
            scan.junctionPos[id] = QPointF(a.value(QLatin1String("x")).toDouble(), a.value(QLatin1String("y")).toDouble());
            scan.junctionShape[id] = QPolygonF(TestSupport::sumoPoints(a.value(QLatin1String("shape")).toString()));
        } else if (name == QLatin1String("connection")) {
            inNormalEdge = false;
            scan.connections.append({a.value(QLatin1String("from")).toString(), a.value(QLatin1String("to")).toString()});
        } else if (name == QLatin1String("location")) {
            const QStringList offset = a.value(QLatin1String("netOffset")).toString().split(QLatin1Char(','));
            scan.netOffset = QPointF(offset.value(0).toDouble(), offset.value(1).toDouble());
            scan.projection = a.value(QLatin1String("projParameter")).toUtf8();
            const QStringList b = a.value(QLatin1String("origBoundary")).toString().split(QLatin1Char(','));
            scan.origBoundary = QRectF(QPointF(b.value(0).toDouble(), b.value(1).toDouble()),
                                       QPointF(b.value(2).toDouble(), b.value(3).toDouble()));
        }
    }
    return scan;
}

int normalConnections(const Scan &scan)
{
    int n = 0;
    for (const auto &c : scan.connections)
        n += scan.edges.contains(c.first) && scan.edges.contains(c.second);
    return n;
}

struct Imported
{
    std::unique_ptr<Network> net;
    Scan scan;
    QStringList warnings;
    bool ok = false;
    QString error;
};

// Each real network is imported and scanned once per test run (Bad Hersfeld is big under ASan).
Imported &imported(const QString &relative)
{
    static std::map<QString, Imported> cache;
    auto it = cache.find(relative);
    if (it != cache.end())
        return it->second;
    Imported &im = cache[relative];
    const QString file = QStringLiteral(TRELVO_DATA_DIR "/") + relative;
    im.net.reset(new Network);
    im.ok = importSumoNetwork(im.net.get(), file, &im.warnings);
    im.error = im.net->errorString();
    im.scan = scanFile(file);
    return im;
}

void addNets()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("bologna-pasubio") << QStringLiteral("bologna-pasubio/pasubio_buslanes.net.xml");
    QTest::newRow("bologna-acosta") << QStringLiteral("bologna-acosta/acosta_buslanes.net.xml");
    QTest::newRow("berlin") << QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz");
    QTest::newRow("port-cologne") << QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz");
    QTest::newRow("badhersfeld") << QStringLiteral("badhersfeld/osm_edited.net.xml.gz");
}

template<class T>
int countOf(const Network *net)
{
    return net->findChildren<T *>().size();
}

QString writeTemp(QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    return path;
}

// A T junction: a two-way road west-east with a one-way road arriving from the south.
QByteArray smallNet(const QString &laneExtra = QString(), const QString &netExtra = QString())
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<net version="1.9" %2>
    <location netOffset="-500000.00,-5600000.00" convBoundary="0,0,200,100" origBoundary="9,50,10,51" projParameter="+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs"/>
    <edge id=":C_0" function="internal">
        <lane id=":C_0_0" index="0" speed="5.00" length="9.03" shape="95,-1.6 105,-1.6"/>
    </edge>
    <edge id="WC" from="W" to="C" priority="1">
        <lane id="WC_0" index="0" speed="13.89" length="90" width="3.00" shape="0,-4.7 90,-4.7" %1/>
        <lane id="WC_1" index="1" speed="13.89" length="90" shape="0,-1.6 90,-1.6"/>
    </edge>
    <edge id="CW" from="C" to="W" priority="1">
        <lane id="CW_0" index="0" speed="13.89" length="90" shape="90,1.6 0,1.6"/>
    </edge>
    <edge id="CE" from="C" to="E" priority="1" name="Main Street">
        <lane id="CE_0" index="0" speed="13.89" length="90" shape="110,-1.6 200,-1.6"/>
    </edge>
    <edge id="SC" from="S" to="C" priority="1" spreadType="center">
        <lane id="SC_0" index="0" speed="8.33" length="90" shape="100,-100 100,-10"/>
    </edge>
    <junction id="W" type="dead_end" x="0" y="0" incLanes="CW_0" intLanes="" shape="0,0 0,-6 0,0"/>
    <junction id="C" type="traffic_light" x="100" y="0" incLanes="WC_0 WC_1 SC_0" intLanes=":C_0_0" shape="90,3 110,3 110,-10 90,-10">
        <request index="0" response="0" foes="0" cont="0"/>
    </junction>
    <junction id="E" type="priority" x="200" y="0" incLanes="CE_0" intLanes="" shape="200,0 200,-3 201,-3 201,0"/>
    <junction id="S" type="rail_crossing" x="100" y="-100" incLanes="" intLanes="" shape="98,-100 102,-100 102,-101 98,-101"/>
    <junction id=":C_0_0" type="internal" x="100" y="-1.6" incLanes="" intLanes=""/>
    <connection from="WC" to="CE" fromLane="1" toLane="0" via=":C_0_0" dir="s" state="O"/>
    <connection from="SC" to="CE" fromLane="0" toLane="0" speed="2.50" dir="r" state="o"/>
    <connection from=":C_0" to="CE" fromLane="0" toLane="0" dir="s" state="M"/>
</net>
)")
        .arg(laneExtra, netExtra)
        .toUtf8();
}

Edge *edgeNamed(const Network *net, const QString &name)
{
    for (Edge *e : net->findChildren<Edge *>()) {
        if (e->objectName() == name)
            return e;
    }
    return nullptr;
}

Node *nodeNamed(const Network *net, const QString &name)
{
    for (Node *n : net->findChildren<Node *>()) {
        if (n->objectName() == name)
            return n;
    }
    return nullptr;
}

double distanceTo(const GeoPolyline &line, const QPointF &p)
{
    return flatDistance(p, line.pointOn(p));
}

int reportedNotParallel(const QStringList &warnings)
{
    for (const QString &w : warnings) {
        if (w.contains(QLatin1String("parallel")))
            return w.section(QLatin1Char(' '), 0, 0).toInt();
    }
    return 0;
}

// Everything a reader took from a file, as text, for comparing two reads.
QString dump(const SumoNetReader &r)
{
    QString out;
    QTextStream t(&out);
    auto points = [&t](const QVector<QPointF> &shape) {
        for (const QPointF &p : shape)
            t << p.x() << ',' << p.y() << ' ';
    };
    auto sorted = [&t](const QSet<QString> &set) {
        QStringList list = set.values();
        list.sort();
        t << list.join(QLatin1Char('|')) << '\n';
    };
    t.setRealNumberPrecision(17);
    t << r.version << ' ' << r.lefthand << ' ' << r.location.present << ' ' << r.location.netOffset.x() << ','
      << r.location.netOffset.y() << ' ' << r.location.projection << ' ' << r.location.convBoundary.left() << ' '
      << r.location.origBoundary.bottom() << '\n';
    for (const SumoNetReader::Junction &j : r.junctions) {
        t << "J " << j.id << ' ' << j.type << ' ' << j.pos.x() << ',' << j.pos.y() << ' ' << j.line << ':' << j.column << ' ';
        points(j.shape);
        t << '\n';
    }
    for (const SumoNetReader::Edge &e : r.edges) {
        t << "E " << e.id << ' ' << e.from << ' ' << e.to << ' ' << e.name << ' ' << e.crossingEdges << ' ' << e.function
          << ' ' << e.spreadCenter << ' ' << e.priority << ' ' << e.line << ':' << e.column << ' ';
        points(e.shape);
        for (const SumoNetReader::Lane &l : e.lanes) {
            t << "\n  L " << l.id << ' ' << l.index << ' ' << l.speed << ' ' << l.width << ' ' << l.classes << ' ';
            points(l.shape);
        }
        t << '\n';
    }
    for (const SumoNetReader::Connection &c : r.connections) {
        t << "C " << c.from << ' ' << c.to << ' ' << c.fromLane << ' ' << c.toLane << ' ' << c.speed << ' ' << c.via << ' '
          << c.tl << ' ' << c.linkIndex << ' ' << QString(c.state) << ' ' << c.uncontrolled << ' ' << c.keepClear << ' '
          << c.pass << ' ' << c.visibility << ' ' << c.contPos << ' ' << c.line << '\n';
    }
    sorted(r.prohibited);
    sorted(r.internalEdges);
    sorted(r.unknownClasses);
    sorted(r.droppedClasses);
    QStringList speeds;
    for (auto it = r.internalLaneSpeeds.cbegin(); it != r.internalLaneSpeeds.cend(); ++it)
        speeds << it.key() + QLatin1Char('=') + QString::number(it.value());
    speeds.sort();
    t << speeds.join(QLatin1Char('|')) << '\n';
    return out;
}

// The reader's records of data, read in two halves or in one go, with the byte reader first or not.
QString readDump(const QByteArray &data, bool halves, QString *error = nullptr, bool byteReader = true)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    SumoNetReader reader;
    reader.setReadInHalves(halves);
    reader.setByteReader(byteReader);
    if (!reader.read(&buffer)) {
        if (error)
            *error = reader.errorString();
        return QString();
    }
    return dump(reader);
}

QByteArray inflated(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    GzipDevice gz(&f);
    gz.open(QIODevice::ReadOnly);
    return gz.readAll();
}

// The start of the line holding offset.
int lineStart(const QByteArray &data, int offset)
{
    return data.lastIndexOf('\n', offset) + 1;
}

} // namespace

class TestSumoImport : public QObject
{
    Q_OBJECT

private slots:
    void countsMatchTheFile_data() { addNets(); }
    void countsMatchTheFile();
    void laneCentreLinesFollowSumo_data() { addNets(); }
    void laneCentreLinesFollowSumo();
    void everyLaneWithinHalfAMetre_data() { addNets(); }
    void everyLaneWithinHalfAMetre();
    void geographicPositions_data() { addNets(); }
    void geographicPositions();
    void pedestrianAreas();

    void smallNetMapping();
    void lanesEndWhereSumosEnd();
    void rightOfWayAndSignalsAreKept();
    void plainAndGzipGiveTheSameNetwork();
    void vehicleClasses_data();
    void vehicleClasses();
    void unknownClassesAreWarnedNotFailed();
    void leftHandNetwork();
    void hostileInputLeavesTheNetworkUnchanged_data();
    void hostileInputLeavesTheNetworkUnchanged();
    void truncatedGzipFails();
    void cancelFromProgressHandler();
    void largeFileReadInHalvesAsInOnePass();
    void cutInsideACommentIsReadInOnePass();
    void faultInTheSecondHalfNamesItsLine();
    void byteReaderMatchesOnRealNetworks_data();
    void byteReaderMatchesOnRealNetworks();
    void byteReaderTakesPlainXml_data();
    void byteReaderTakesPlainXml();
    void byteReaderLeavesTheUnusualToTheXmlReader_data();
    void byteReaderLeavesTheUnusualToTheXmlReader();
    void byteReaderDeclinesInTheSecondHalf();
};

void TestSumoImport::countsMatchTheFile()
{
    QFETCH(QString, file);
    const Imported &im = imported(file);
    QVERIFY2(im.ok, qPrintable(im.error));
    const Scan &s = im.scan;
    QCOMPARE(countOf<Node>(im.net.get()), s.junctionPos.size());
    QCOMPARE(countOf<Edge>(im.net.get()), s.edges.size());
    QCOMPARE(countOf<Lane>(im.net.get()), s.lanes);
    QCOMPARE(countOf<Connection>(im.net.get()), normalConnections(s));
    // Every lane has its two lines, every connection joins a stopline to a start line at its junction.
    QCOMPARE(countOf<Stopline>(im.net.get()), 2 * s.lanes);
    for (Connection *c : im.net->findChildren<Connection *>()) {
        QVERIFY(c->from() && c->from()->isStopline());
        QVERIFY(c->to() && !c->to()->isStopline());
        QCOMPARE(c->junction(), c->startLane()->endNode());
        QCOMPARE(c->junction(), c->endLane()->startNode());
    }
    for (const QString &w : im.warnings)
        QVERIFY2(!w.contains(QLatin1String("skipped")), qPrintable(w));
}

void TestSumoImport::laneCentreLinesFollowSumo()
{
    QFETCH(QString, file);
    const Imported &im = imported(file);
    QVERIFY2(im.ok, qPrintable(im.error));
    QHash<QString, Edge *> edges;
    for (Edge *e : im.net->findChildren<Edge *>())
        edges.insert(e->objectName(), e);

    // Lanes of one edge that SUMO does not lay parallel (hand-edited lane shapes) cannot all follow
    // one skeleton; the importer names how many edges are like that, and they must stay rare.
    int checked = 0;
    QSet<QString> offEdges;
    for (auto it = im.scan.edges.cbegin(); it != im.scan.edges.cend(); ++it) {
        const Edge *edge = edges.value(it.key());
        QVERIFY2(edge, qPrintable(it.key()));
        const QPolygonF &fromShape = im.scan.junctionShape.value(it->from);
        const QPolygonF &toShape = im.scan.junctionShape.value(it->to);
        for (const Scan::Lane &sumoLane : it->lanes) {
            const Lane *lane = edge->lane(sumoLane.index);
            QVERIFY(lane);
            QCOMPARE(lane->width(), sumoLane.width);
            const GeoPolyline full = lane->fullSkeleton();
            for (const QPointF &p : sumoLane.shape) {
                if (fromShape.containsPoint(p, Qt::OddEvenFill) || toShape.containsPoint(p, Qt::OddEvenFill))
                    continue;
                const double d = distanceTo(full, p);
                ++checked;
                if (d > 0.5)
                    offEdges.insert(it.key());
            }
        }
    }
    QVERIFY(checked > 0);
    const int reported = reportedNotParallel(im.warnings);
    if (!offEdges.isEmpty())
        qInfo() << "edges with lanes off SUMO's:" << offEdges.values();
    QVERIFY2(offEdges.size() <= reported, qPrintable(QStringLiteral("%1 edges off, %2 reported").arg(offEdges.size()).arg(reported)));
    QVERIFY(reported <= im.scan.edges.size() / 500);
}

// SUMO cuts its lanes back at the junctions by rules of its own (shapes without area, overlapping
// shapes, lanes ending off their centre line's exit). The lanes as drawn must still follow SUMO's: every
// point of SUMO's lane shape within half a metre of the lane's skeleton, and the skeleton's ends within
// half a metre of SUMO's.
void TestSumoImport::everyLaneWithinHalfAMetre()
{
    QFETCH(QString, file);
    const Imported &im = imported(file);
    QVERIFY2(im.ok, qPrintable(im.error));
    QHash<QString, Edge *> edges;
    for (Edge *e : im.net->findChildren<Edge *>())
        edges.insert(e->objectName(), e);

    QVector<QPair<double, QString>> off;
    int lanes = 0;
    for (auto it = im.scan.edges.cbegin(); it != im.scan.edges.cend(); ++it) {
        const Edge *edge = edges.value(it.key());
        QVERIFY2(edge, qPrintable(it.key()));
        for (const Scan::Lane &sumoLane : it->lanes) {
            const Lane *lane = edge->lane(sumoLane.index);
            QVERIFY(lane);
            const GeoPolyline skeleton = lane->skeleton();
            QVERIFY(!skeleton.isEmpty());
            double worst = qMax(flatDistance(skeleton.first(), sumoLane.shape.first()),
                                flatDistance(skeleton.last(), sumoLane.shape.last()));
            for (const QPointF &p : sumoLane.shape)
                worst = qMax(worst, distanceTo(skeleton, p));
            ++lanes;
            if (worst > 0.5) {
                off.append({worst, QStringLiteral("%1_%2").arg(it.key()).arg(sumoLane.index)});
            }
        }
    }
    QVERIFY(lanes > 0);
    if (!off.isEmpty()) {
        std::sort(off.begin(), off.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        QStringList worst;
        for (int i = 0; i < qMin(10, off.size()); ++i)
            worst << QStringLiteral("%1 %2 m").arg(off.at(i).second).arg(off.at(i).first, 0, 'f', 2);
        qInfo("%d of %d lanes (%.2f %%) within 0.5 m; off: %s", lanes - off.size(), lanes,
              100.0 * (lanes - off.size()) / lanes, qPrintable(worst.join(QLatin1String(", "))));
    }
    QVERIFY2(off.isEmpty(), qPrintable(QStringLiteral("%1 lanes off").arg(off.size())));
    // Hand-edited lanes keep SUMO's own shape; they stay rare.
    int own = 0;
    for (const Lane *lane : im.net->findChildren<Lane *>())
        own += lane->autoSkeleton() ? 0 : 1;
    qInfo("%d of %d lanes keep SUMO's own shape", own, lanes);
    QVERIFY2(own <= lanes / 500, qPrintable(QStringLiteral("%1 of %2 lanes with their own shape").arg(own).arg(lanes)));
}

// Positions are checked against PROJ itself with SUMO's projection and offset (projected = model XY -
// netOffset), which is exact for every net. SUMO's origBoundary only says where the source data lay
// (geographic degrees for the OSM nets, the source plane for the Bologna ones, and hand edits may
// reach beyond it), so it serves as a coarse check of the place only: the imported nodes must lie in
// it, give or take 0.01 degrees (about a kilometre).
void TestSumoImport::geographicPositions()
{
    QFETCH(QString, file);
    const Imported &im = imported(file);
    QVERIFY2(im.ok, qPrintable(im.error));
    const Scan &s = im.scan;
    GeoUtil *geo = im.net->geoUtil();
    QVERIFY(geo);
    QCOMPARE(geo->projectionStr(), s.projection);
    QCOMPARE(geo->offset(), s.netOffset);

    PJ_CONTEXT *ctx = proj_context_create();
    PJ *pj = proj_create(ctx, s.projection.constData());
    QVERIFY(pj);
    const QList<Node *> nodes = im.net->findChildren<Node *>();
    QRectF box;
    for (int i = 0; i < nodes.size(); i += qMax(1, nodes.size() / 200)) {
        const QPointF xy = nodes.at(i)->pos();
        PJ_COORD c = proj_coord(xy.x() - s.netOffset.x(), xy.y() - s.netOffset.y(), 0, 0);
        c = proj_trans(pj, PJ_INV, c);
        const QPointF expected(proj_todeg(c.lp.lam), proj_todeg(c.lp.phi));
        const QPointF geoPos = geo->xyToGeo(xy);
        QVERIFY2(std::abs(geoPos.x() - expected.x()) < 1e-6 && std::abs(geoPos.y() - expected.y()) < 1e-6,
                 qPrintable(nodes.at(i)->objectName()));
        box |= QRectF(geoPos, QSizeF(1e-9, 1e-9));
    }
    proj_destroy(pj);
    proj_context_destroy(ctx);

    const QRectF orig = s.origBoundary;
    const bool geographic = orig.left() >= -180 && orig.right() <= 180 && orig.top() >= -90 && orig.bottom() <= 90
                            && orig.width() < 5 && orig.height() < 5 && orig.left() != 0;
    if (geographic)
        QVERIFY2(orig.adjusted(-0.01, -0.01, 0.01, 0.01).contains(box), qPrintable(rectToString(box)));
}

void TestSumoImport::pedestrianAreas()
{
    const Imported &im = imported(QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz"));
    QVERIFY2(im.ok, qPrintable(im.error));
    QCOMPARE(countOf<CrossWalk>(im.net.get()), im.scan.crossings);
    QCOMPARE(countOf<WalkingArea>(im.net.get()), im.scan.walkingAreas);
    // A crosswalk spans the first to the last lane SUMO's crossing cuts; where the crossing covers only
    // part of a lane, or misses the lanes' ends, it differs, so most (not all) must match closely.
    int off = 0;
    for (CrossWalk *cw : im.net->findChildren<CrossWalk *>()) {
        QVERIFY(cw->junction());
        QCOMPARE(cw->parent(), cw->junction());
        const GeoPolyline skeleton = cw->skeleton();
        QVERIFY(skeleton.count() >= 2);
        const QVector<QPointF> sumo = im.scan.crossingShapes.value(cw->objectName());
        QVERIFY(sumo.size() >= 2);
        const double ends = qMax(distanceTo(skeleton, sumo.first()), distanceTo(skeleton, sumo.last()));
        off += ends > 1.0 || std::abs(skeleton.length() - GeoPolyline(sumo).length()) > 1.5;
    }
    QVERIFY2(off <= im.scan.crossings / 10, qPrintable(QString::number(off)));
    for (WalkingArea *area : im.net->findChildren<WalkingArea *>()) {
        QVERIFY(area->junction());
        QVERIFY(!area->autoShape());
        QVERIFY(area->itemCount() > 0);
    }
    // The edge groups keep each road's two directions on one skeleton.
    const QList<EdgeGroup *> groups = im.net->findChildren<EdgeGroup *>();
    QVERIFY(!groups.isEmpty());
    for (EdgeGroup *g : groups)
        QCOMPARE(g->edgeCount(), 2);
}

void TestSumoImport::smallNetMapping()
{
    QTemporaryDir dir;
    Network net;
    QStringList warnings;
    QVERIFY2(importSumoNetwork(&net, writeTemp(dir, QStringLiteral("t.net.xml"), smallNet()), &warnings),
             qPrintable(net.errorString()));
    QCOMPARE(countOf<Node>(&net), 4);
    QCOMPARE(nodeNamed(&net, "W")->type(), 0);
    QCOMPARE(nodeNamed(&net, "C")->type(), 2);
    QCOMPARE(nodeNamed(&net, "E")->type(), 1);
    QCOMPARE(nodeNamed(&net, "S")->type(), 3);
    QCOMPARE(nodeNamed(&net, "C")->property("sumo_type").toString(), QStringLiteral("traffic_light"));
    QVERIFY(!nodeNamed(&net, "C")->autoShape());
    QCOMPARE(nodeNamed(&net, "C")->shape().boundingRect(), QRectF(QPointF(90, -10), QPointF(110, 3)));
    // W's shape has no area: the node keeps its automatic one, and that is said once.
    QVERIFY(nodeNamed(&net, "W")->autoShape());
    QVERIFY(warnings.join('\n').contains(QLatin1String("shape")));

    Edge *wc = edgeNamed(&net, "WC");
    QCOMPARE(wc->lanesCount(), 2);
    QCOMPARE(wc->lane(0)->width(), 3.0);
    QCOMPARE(wc->lane(1)->width(), 3.2);
    QCOMPARE(wc->lane(0)->maxSpeed(), 13.89 * 3.6);
    QCOMPARE(int(wc->lane(0)->allowed()), int(Lane::vcAll));
    QCOMPARE(edgeNamed(&net, "CE")->streetName(), QStringLiteral("Main Street"));

    // The two-way road WC/CW shares one skeleton, the centre line y = 0 from node to node.
    QVERIFY(wc->group());
    QCOMPARE(wc->group(), edgeNamed(&net, "CW")->group());
    const GeoPolyline skeleton = wc->skeleton();
    QCOMPARE(skeleton.first(), QPointF(0, 0));
    QCOMPARE(skeleton.last(), QPointF(100, 0));
    for (const QPointF &p : skeleton.points())
        QVERIFY(std::abs(p.y()) < 1e-9);
    QVERIFY(distanceTo(wc->lane(1)->fullSkeleton(), QPointF(50, -1.6)) < 1e-6);
    QVERIFY(distanceTo(wc->lane(0)->fullSkeleton(), QPointF(50, -4.7)) < 1e-6);
    QVERIFY(distanceTo(edgeNamed(&net, "CW")->lane(0)->fullSkeleton(), QPointF(50, 1.6)) < 1e-6);

    // spreadType center: the skeleton is the carriageway's centre line through the nodes.
    Edge *sc = edgeNamed(&net, "SC");
    QVERIFY(!sc->group());
    QVERIFY(!sc->autoSkeleton());
    QCOMPARE(sc->lanesOffset(), 1.6);
    QCOMPARE(sc->skeleton().first(), QPointF(100, -100));
    QCOMPARE(sc->skeleton().last(), QPointF(100, 0));
    QVERIFY(distanceTo(sc->lane(0)->fullSkeleton(), QPointF(100, -50)) < 1e-6);

    // Connections between normal edges only; speed from the connection, else from its internal lane.
    const QList<Connection *> connections = net.findChildren<Connection *>();
    QCOMPARE(connections.size(), 2);
    Node *c = nodeNamed(&net, "C");
    for (Connection *conn : connections) {
        QCOMPARE(conn->parent(), c);
        QCOMPARE(conn->endLane(), edgeNamed(&net, "CE")->lane(0));
        if (conn->startLane() == wc->lane(1))
            QCOMPARE(conn->maxSpeed(), 5.0 * 3.6);
        else
            QCOMPARE(conn->maxSpeed(), 2.5 * 3.6);
    }

    QVERIFY(net.geoUtil());
    QCOMPARE(net.geoUtil()->offset(), QPointF(-500000, -5600000));
    // Model (0, 0) is UTM 32 (500000, 5600000): on the zone's central meridian, 9 degrees east.
    QVERIFY(std::abs(net.geoUtil()->xyToGeo(QPointF(0, 0)).x() - 9.0) < 1e-9);
    QVERIFY(rectFromString(net.property("bound").toString()).contains(QPointF(100, -50)));
}

// Signal ids, link indexes, yielding and the hand-made settings come in as the SUMO export writes
// them back, and survive a save and load of our own.
void TestSumoImport::rightOfWayAndSignalsAreKept()
{
    QByteArray data = smallNet();
    data.replace(R"(<edge id="CW" from="C" to="W" priority="1">)", R"(<edge id="CW" from="C" to="W" priority="-1">)");
    data.replace(R"(<edge id="SC" from="S" to="C" priority="1")", R"(<edge id="SC" from="S" to="C" priority="-2")");
    data.replace(R"(via=":C_0_0" dir="s" state="O"/>)", R"(via=":C_0_0" tl="C" linkIndex="3" dir="s" state="O"/>)");
    data.replace(R"(speed="2.50" dir="r" state="o"/>)",
                 R"(speed="2.50" keepClear="0" visibility="9.00" contPos="4.5" pass="1" dir="r" state="m"/>
    <prohibition prohibitor="WC->CE" prohibited="SC->CE"/>)");
    QTemporaryDir dir;
    Network net;
    QVERIFY2(importSumoNetwork(&net, writeTemp(dir, QStringLiteral("r.net.xml"), data)), qPrintable(net.errorString()));
    QCOMPARE(edgeNamed(&net, "WC")->property("sumo_priority"), QVariant(1));
    QCOMPARE(edgeNamed(&net, "SC")->property("sumo_priority"), QVariant(-2));
    QVERIFY(!edgeNamed(&net, "CW")->property("sumo_priority").isValid());

    auto check = [](Network *n) {
        const QList<Granule *> granules = n->findChildren<Granule *>();
        QCOMPARE(granules.size(), 1);
        QCOMPARE(granules.first()->nodes(), QList<Node *>{nodeNamed(n, "C")});
        QVERIFY(granules.first()->tlId() >= 0);
        QCOMPARE(granules.first()->property("sumo_tl_id").toString(), QStringLiteral("C"));
        Connection *straight = nullptr;
        Connection *turn = nullptr;
        for (Connection *c : n->findChildren<Connection *>())
            (c->startLane()->edge() == edgeNamed(n, "WC") ? straight : turn) = c;
        QVERIFY(straight && turn);
        QCOMPARE(straight->property("sumo_signal"), QVariant(3));
        QVERIFY(!straight->giveWay());
        QVERIFY(!straight->property("sumo_keepClear").isValid());
        QVERIFY(!straight->property("sumo_far_cp").isValid());
        QVERIFY(!turn->property("sumo_signal").isValid());
        QVERIFY(turn->giveWay());
        QCOMPARE(turn->property("sumo_keepClear").toBool(), false);
        QVERIFY(turn->property("sumo_keepClear").isValid());
        QCOMPARE(turn->property("sumo_cont").toBool(), true);
        QCOMPARE(turn->property("sumo_far_cp").toDouble(), 9.0);
        QCOMPARE(turn->property("sumo_ie_offset").toDouble(), 4.5);
    };
    check(&net);
    if (QTest::currentTestFailed())
        return;

    const QString saved = dir.filePath(QStringLiteral("r.trva"));
    QVERIFY2(net.save(saved), qPrintable(net.errorString()));
    Network back;
    QVERIFY2(back.load(saved), qPrintable(back.errorString()));
    check(&back);
    QCOMPARE(edgeNamed(&back, "SC")->property("sumo_priority").toInt(), -2);

    // A numeric light id is the granule's number; a minor link alone does not give way.
    data.replace(R"(tl="C")", R"(tl="12")");
    data.replace(R"(<prohibition prohibitor="WC->CE" prohibited="SC->CE"/>)", "");
    Network numeric;
    QVERIFY(importSumoNetwork(&numeric, writeTemp(dir, QStringLiteral("n.net.xml"), data)));
    const QList<Granule *> granules = numeric.findChildren<Granule *>();
    QCOMPARE(granules.size(), 1);
    QCOMPARE(granules.first()->tlId(), 12);
    QVERIFY(!granules.first()->property("sumo_tl_id").isValid());
    for (Connection *c : numeric.findChildren<Connection *>())
        QVERIFY(!c->giveWay());
}

void TestSumoImport::lanesEndWhereSumosEnd()
{
    // E's shape is a line (no area), and CW ends 4 m short of the dead end W.
    QByteArray data = smallNet();
    data.replace("shape=\"200,0 200,-3 201,-3 201,0\"", "shape=\"200,0 200,-3 200,0\"");
    data.replace("shape=\"90,1.6 0,1.6\"", "shape=\"90,1.6 4,1.6\"");
    QTemporaryDir dir;
    Network net;
    QStringList warnings;
    QVERIFY(importSumoNetwork(&net, writeTemp(dir, QStringLiteral("e.net.xml"), data), &warnings));
    QVERIFY(warnings.join('\n').contains(QLatin1String("shape")));
    QVERIFY(nodeNamed(&net, "E")->autoShape());

    // The automatic shape at E would cut CE back; the lane keeps SUMO's end, its stopline with it.
    Lane *ce = edgeNamed(&net, "CE")->lane(0);
    QCOMPARE(ce->fixedEndCut(), 0.0);
    QVERIFY(flatDistance(ce->skeleton().last(), QPointF(200, -1.6)) < 1e-6);
    QVERIFY(flatDistance(ce->stopline()->pos(), QPointF(200, -1.6)) < 1e-6);
    // A fixed cut holds at a plain node too.
    Lane *cw = edgeNamed(&net, "CW")->lane(0);
    QVERIFY(std::abs(cw->fixedEndCut() - 4.0) < 1e-6);
    QVERIFY(flatDistance(cw->skeleton().last(), QPointF(4, 1.6)) < 1e-6);
    // Where SUMO's junction shape cuts the lanes as SUMO does, the cut stays the shape's.
    Lane *wc = edgeNamed(&net, "WC")->lane(1);
    QCOMPARE(wc->fixedEndCut(), -1.0);
    QCOMPARE(wc->fixedStartCut(), -1.0);
    QCOMPARE(ce->fixedStartCut(), -1.0);
    QVERIFY(flatDistance(wc->skeleton().last(), QPointF(90, -1.6)) < 1e-6);

    // The cuts go through a save and a load; lanes cut at their junctions save none.
    const QString saved = dir.filePath(QStringLiteral("e.trva"));
    QVERIFY2(net.save(saved), qPrintable(net.errorString()));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QCOMPARE(text.count("fixedEndCut="), 2);
    QCOMPARE(text.count("fixedStartCut="), 0);
    Network loaded;
    QVERIFY2(loaded.load(saved), qPrintable(loaded.errorString()));
    QCOMPARE(edgeNamed(&loaded, "CE")->lane(0)->fixedEndCut(), 0.0);
    QCOMPARE(edgeNamed(&loaded, "CE")->lane(0)->skeleton(), ce->skeleton());
    QCOMPARE(edgeNamed(&loaded, "CW")->lane(0)->skeleton(), cw->skeleton());
    QCOMPARE(edgeNamed(&loaded, "WC")->lane(1)->fixedEndCut(), -1.0);

    // Negative gives the cut back to the junction shape; non-finite values are refused.
    QVERIFY(!ce->setFixedEndCut(qQNaN()));
    QVERIFY(ce->setFixedEndCut(2));
    QVERIFY(flatDistance(ce->skeleton().last(), QPointF(198, -1.6)) < 1e-6);
    QVERIFY(flatDistance(ce->stopline()->pos(), QPointF(198, -1.6)) < 1e-6);
    QVERIFY(ce->setFixedEndCut(-3));
    QCOMPARE(ce->fixedEndCut(), -1.0);
    QCOMPARE(ce->stopline()->distance(), ce->endCut());

    // Splitting the edge takes the cut at the far junction along to the far part.
    QVERIFY(ce->setFixedEndCut(2));
    Node *middle = net.insertNode(edgeNamed(&net, "CE"), 45);
    QVERIFY(middle);
    QCOMPARE(ce->edge()->end(), middle);
    QCOMPARE(ce->fixedEndCut(), -1.0);
    QCOMPARE(middle->outgoingEdges().size(), 1);
    Lane *far = middle->outgoingEdges().first()->lane(0);
    QCOMPARE(far->fixedEndCut(), 2.0);
    QVERIFY(flatDistance(far->skeleton().last(), QPointF(198, -1.6)) < 1e-6);
}

void TestSumoImport::plainAndGzipGiveTheSameNetwork()
{
    QTemporaryDir dir;
    Network plain;
    Network packed;
    QVERIFY(importSumoNetwork(&plain, writeTemp(dir, "a.net.xml", smallNet())));
    // Two concatenated gzip members (as some tools write) read as one stream.
    const QByteArray data = smallNet();
    const int cut = data.size() / 2;
    QVERIFY(importSumoNetwork(&packed, writeTemp(dir, "a.net.xml.gz", TestSupport::gzip(data.left(cut)) + TestSupport::gzip(data.mid(cut)))));
    QCOMPARE(packed.objectCount(), plain.objectCount());
    QCOMPARE(edgeNamed(&packed, "WC")->lane(1)->fullSkeleton(), edgeNamed(&plain, "WC")->lane(1)->fullSkeleton());
    QVERIFY(SumoNetImporter::isSumoNetwork(dir.filePath("a.net.xml.gz")));
    QVERIFY(!SumoNetImporter::isSumoNetwork(writeTemp(dir, "x.xml", "<network/>")));
}

void TestSumoImport::vehicleClasses_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("expected");
    QTest::newRow("none") << QString() << int(Lane::vcAll);
    QTest::newRow("all") << "allow=\"all\"" << int(Lane::vcAll);
    QTest::newRow("disallow all") << "disallow=\"all\"" << 0;
    QTest::newRow("sidewalk") << "allow=\"pedestrian\"" << int(Lane::vcPedestrian);
    QTest::newRow("bus lane") << "allow=\"bus coach emergency\""
                              << int(Lane::vcBus | Lane::vcTrolleybus | Lane::vcEmergency);
    QTest::newRow("goods") << "allow=\"delivery trailer\"" << int(Lane::vcTruck);
    QTest::newRow("two wheels") << "allow=\"moped bicycle\"" << int(Lane::vcMotorcycle | Lane::vcBicycle);
    QTest::newRow("cars") << "allow=\"private taxi evehicle\"" << int(Lane::vcPrivate | Lane::vcPassenger);
    // A street closed to trains keeps trams: a bit stays while any SUMO class behind it is allowed.
    QTest::newRow("tram street") << "disallow=\"pedestrian rail rail_electric rail_fast ship\""
                                 << int(Lane::vcAll & ~Lane::vcPedestrian);
    QTest::newRow("osm road") << "disallow=\"pedestrian tram rail_urban rail rail_electric rail_fast subway ship\""
                              << int(Lane::vcAll & ~(Lane::vcPedestrian | Lane::vcTram));
    QTest::newRow("coach only closed") << "disallow=\"coach\"" << int(Lane::vcAll);
    QTest::newRow("railway") << "allow=\"rail rail_electric\"" << int(Lane::vcTram);
}

void TestSumoImport::vehicleClasses()
{
    QFETCH(QString, attributes);
    QFETCH(int, expected);
    QTemporaryDir dir;
    Network net;
    QVERIFY(importSumoNetwork(&net, writeTemp(dir, "c.net.xml", smallNet(attributes))));
    QCOMPARE(int(edgeNamed(&net, "WC")->lane(0)->allowed()), expected);
}

void TestSumoImport::unknownClassesAreWarnedNotFailed()
{
    QTemporaryDir dir;
    Network net;
    QStringList warnings;
    QVERIFY(importSumoNetwork(&net, writeTemp(dir, "u.net.xml", smallNet("allow=\"passenger cable_car hovercraft\"")),
                              &warnings));
    QCOMPARE(int(edgeNamed(&net, "WC")->lane(0)->allowed()), int(Lane::vcPassenger));
    const QString text = warnings.join('\n');
    QCOMPARE(warnings.filter("hovercraft").size(), 1);
    QCOMPARE(warnings.filter("cable_car").size(), 1);
    QVERIFY(!text.contains("passenger"));

    // The real Cologne net (newer classes removed for SUMO 1.15) imports without class warnings.
    const Imported &im = imported(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz"));
    QVERIFY2(im.ok, qPrintable(im.error));
    QVERIFY(im.warnings.filter("Unknown").isEmpty());
}

void TestSumoImport::leftHandNetwork()
{
    // Mirror image of a one-way, two-lane road driving east with SUMO lane 0 outermost on the left.
    const QByteArray data = R"(<net version="1.16" lefthand="true">
        <location netOffset="0,0" projParameter="!"/>
        <edge id="AB" from="A" to="B">
            <lane id="AB_0" index="0" speed="10" length="100" shape="0,4.8 100,4.8"/>
            <lane id="AB_1" index="1" speed="20" length="100" shape="0,1.6 100,1.6"/>
        </edge>
        <junction id="A" type="priority" x="0" y="0" shape="-1,-1 -1,7 -2,7"/>
        <junction id="B" type="priority" x="100" y="0" shape="101,-1 101,7 102,7"/>
    </net>)";
    QTemporaryDir dir;
    Network net;
    QVERIFY2(importSumoNetwork(&net, writeTemp(dir, "l.net.xml", data)), qPrintable(net.errorString()));
    QVERIFY(!net.geoUtil());
    Edge *ab = edgeNamed(&net, "AB");
    // Our lane 0 is the rightmost: SUMO's inner lane 1.
    QCOMPARE(ab->lane(0)->maxSpeed(), 72.0);
    QVERIFY(distanceTo(ab->lane(0)->fullSkeleton(), QPointF(50, 1.6)) < 1e-6);
    QVERIFY(distanceTo(ab->lane(1)->fullSkeleton(), QPointF(50, 4.8)) < 1e-6);
}

void TestSumoImport::hostileInputLeavesTheNetworkUnchanged_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("not xml") << QByteArray::fromRawData("PK\x03\x04 binary junk \x01\x02", 19) << "line 1";
    QTest::newRow("other root") << QByteArray("<network/>") << "<net>";
    QTest::newRow("unclosed") << smallNet().left(smallNet().size() - 20) << "line";
    QTest::newRow("bad number") << smallNet().replace("x=\"200\"", "x=\"2e\"") << "line";
    QTest::newRow("nan") << smallNet().replace("x=\"200\"", "x=\"nan\"") << "position";
    QTest::newRow("bad shape") << smallNet("").replace("0,-1.6 90,-1.6", "0,-1.6 ,") << "shape";
    QTest::newRow("unknown junction") << smallNet().replace("to=\"E\"", "to=\"X\"") << "\"X\"";
    QTest::newRow("twice") << smallNet().replace("id=\"E\"", "id=\"C\"") << "twice";
    QTest::newRow("lane index") << smallNet().replace("index=\"1\"", "index=\"2\"") << "index";
    QTest::newRow("gzip junk") << QByteArray::fromRawData("\x1f\x8b\x08\x00 not really deflate data", 28) << "corrupt";
}

void TestSumoImport::hostileInputLeavesTheNetworkUnchanged()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Network net;
    QVERIFY(importSumoNetwork(&net, writeTemp(dir, "ok.net.xml", smallNet())));
    const int before = net.objectCount();
    const QByteArray projection = net.projectionStr();

    SumoNetImporter importer(&net);
    QVERIFY(!importer.importFile(writeTemp(dir, "bad.net.xml", data)));
    QVERIFY(!importer.errorString().isEmpty());
    QVERIFY2(importer.errorString().contains(message), qPrintable(importer.errorString()));
    QVERIFY2(importer.errorString().contains("line"), qPrintable(importer.errorString()));
    QCOMPARE(net.objectCount(), before);
    QCOMPARE(net.projectionStr(), projection);
    QVERIFY(edgeNamed(&net, "WC"));

    QVERIFY(!importSumoNetwork(&net, dir.filePath("missing.net.xml")));
    QVERIFY(net.errorString().contains("missing.net.xml"));
}

void TestSumoImport::truncatedGzipFails()
{
    QFile real(QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz"));
    QVERIFY(real.open(QIODevice::ReadOnly));
    const QByteArray bytes = real.readAll();
    QTemporaryDir dir;
    Network net;
    SumoNetImporter importer(&net);
    QVERIFY(!importer.importFile(writeTemp(dir, "cut.net.xml.gz", bytes.left(bytes.size() / 2))));
    QVERIFY2(importer.errorString().contains("truncated"), qPrintable(importer.errorString()));
    QVERIFY2(importer.errorString().contains("line"), qPrintable(importer.errorString()));
    QCOMPARE(net.objectCount(), 0);
    // A flipped byte in the middle of the deflate stream.
    QByteArray flipped = bytes;
    flipped[bytes.size() / 3] = char(~flipped.at(bytes.size() / 3));
    flipped[bytes.size() / 3 + 1] = char(~flipped.at(bytes.size() / 3 + 1));
    QVERIFY(!importer.importFile(writeTemp(dir, "flip.net.xml.gz", flipped)));
    QCOMPARE(net.objectCount(), 0);
}

void TestSumoImport::cancelFromProgressHandler()
{
    const QString file = QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz");
    QTemporaryDir dir;
    Network net;
    QVERIFY(importSumoNetwork(&net, writeTemp(dir, "ok.net.xml", smallNet())));
    const int before = net.objectCount();
    int calls = 0;
    int last = -1;
    bool monotonic = true;
    bool cancel = true;
    QMetaObject::Connection c = connect(&net, &Network::loadProgress, [&](qint64, int current, int total) {
        QCOMPARE(total, 1000);
        monotonic = monotonic && current >= last;
        last = current;
        if (cancel && ++calls == 2)
            net.breakLoad();
    });
    SumoNetImporter importer(&net);
    QVERIFY(!importer.importFile(file));
    QVERIFY(importer.errorString().contains("cancelled"));
    QCOMPARE(net.objectCount(), before);
    QCOMPARE(calls, 2);

    // The next import runs to the end, reporting up to 1000.
    cancel = false;
    last = -1;
    QVERIFY(importer.importFile(file));
    QVERIFY(monotonic);
    QCOMPARE(last, 1000);
    disconnect(c);
}


void TestSumoImport::largeFileReadInHalvesAsInOnePass()
{
    const QByteArray data = inflated(QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz"));
    QVERIFY(data.size() > 2 * SumoNetReader::kParallelReadMinimumBytes);
    const QString one = readDump(data, false);
    QVERIFY(one.contains(QLatin1String("\nC ")));
    QCOMPARE(readDump(data, true), one);
    // Two locations are merged field by field in one pass: the halves leave such a file to it.
    const int at = lineStart(data, data.size() * 3 / 4);
    QByteArray twice = data;
    twice.insert(at, "    <location netOffset=\"1.5,2.5\"/>\n");
    QCOMPARE(readDump(twice, true), readDump(twice, false));
}

void TestSumoImport::cutInsideACommentIsReadInOnePass()
{
    // A comment over the middle of the file that holds what looks like elements below the root: the
    // halves would cut inside it.
    QByteArray data = inflated(QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz"));
    QByteArray comment("    <!--\n");
    while (comment.size() < data.size() / 2)
        comment += "    <junction id=\"fake\" type=\"priority\" x=\"1\" y=\"2\" shape=\"\"/>\n";
    comment += "    -->\n";
    data.insert(lineStart(data, data.size() / 3), comment);
    const QString one = readDump(data, false);
    QVERIFY(!one.isEmpty());
    QVERIFY(!one.contains(QLatin1String("J fake")));
    QCOMPARE(readDump(data, true), one);
}

void TestSumoImport::faultInTheSecondHalfNamesItsLine()
{
    QByteArray data = inflated(QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz"));
    // The last junction (internal ones are skipped) given twice, its copy first: the original's line and
    // column are named.
    int start = lineStart(data, data.lastIndexOf("<junction id=\""));
    while (data.mid(start, data.indexOf('\n', start) - start).contains("type=\"internal\""))
        start = lineStart(data, data.lastIndexOf("<junction id=\"", start - 1));
    const QByteArray original = data.mid(start, data.indexOf('\n', start) - start);
    const QByteArray copy = original.left(original.indexOf('>')).replace("/", "") + "/>\n";
    data.insert(start, copy);
    const int line = int(std::count(data.constData(), data.constData() + start + copy.size(), '\n')) + 1;
    const int column = original.indexOf('>') + 1;
    Network net;
    SumoNetImporter importer(&net);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QVERIFY(!importer.importDevice(&buffer, QStringLiteral("twice.net.xml")));
    QVERIFY2(importer.errorString().contains(QStringLiteral("(line %1, column %2)").arg(line).arg(column)),
             qPrintable(importer.errorString()));

    // An XML fault late in the file: the message of one pass.
    QByteArray broken = inflated(QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz"));
    broken.insert(lineStart(broken, broken.size() * 4 / 5), "    <junction id=\"x\" x=\"1\" y=\"2\"\n");
    QString halves, one;
    QVERIFY(readDump(broken, true, &halves).isEmpty());
    QVERIFY(readDump(broken, false, &one).isEmpty());
    QCOMPARE(halves, one);
    QVERIFY2(one.contains(QLatin1String("line")), qPrintable(one));
}

namespace {

// Whether the byte reader takes data as a whole rather than declining it.
bool byteReaderTakes(const QByteArray &data)
{
    XmlByteReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            for (const auto &a : xml.attributes())
                a.value();
        }
    }
    return !xml.declined();
}

// Every start tag with its position and attributes as a reader sees them.
template<class Xml>
QString startTags(Xml &xml)
{
    QString out;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        out += QStringLiteral("<%1 %2:%3").arg(xml.name()).arg(xml.lineNumber()).arg(xml.columnNumber());
        const auto attrs = xml.attributes();
        for (const auto &a : attrs)
            out += QStringLiteral(" %1=[%2]").arg(a.name(), a.value());
        out += QLatin1Char('\n');
    }
    return xml.hasError() ? out + QStringLiteral("error") : out;
}

QString startTagsOfByteReader(const QByteArray &data)
{
    XmlByteReader xml(data);
    return startTags(xml);
}

QString startTagsOfXmlReader(const QByteArray &data)
{
    QXmlStreamReader xml(data);
    return startTags(xml);
}

} // namespace

void TestSumoImport::byteReaderMatchesOnRealNetworks_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("pasubio") << QStringLiteral(TRELVO_DATA_DIR "/bologna-pasubio/pasubio_buslanes.net.xml");
    QTest::newRow("acosta") << QStringLiteral(TRELVO_DATA_DIR "/bologna-acosta/acosta_buslanes.net.xml");
    QTest::newRow("berlin") << QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz");
    QTest::newRow("port-cologne") << QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz");
    QTest::newRow("badhersfeld") << QStringLiteral(TRELVO_DATA_DIR "/badhersfeld/osm_edited.net.xml.gz");
}

void TestSumoImport::byteReaderMatchesOnRealNetworks()
{
    QFETCH(QString, file);
    const QByteArray data = inflated(file);
    QVERIFY(!data.isEmpty());
    QVERIFY(byteReaderTakes(data));
    // Every tag of the smaller files: the largest would take long under the sanitizers.
    if (data.size() < 8 * 1024 * 1024)
        QCOMPARE(startTagsOfByteReader(data), startTagsOfXmlReader(data));
    const QString slow = readDump(data, false, nullptr, false);
    QVERIFY(slow.contains(QLatin1String("\nE ")));
    QCOMPARE(readDump(data, false), slow);
    QCOMPARE(readDump(data, true), slow);
}

void TestSumoImport::byteReaderTakesPlainXml_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray net = smallNet();
    QTest::newRow("as written") << net;
    QTest::newRow("no declaration") << net.mid(net.indexOf('\n') + 1);
    QTest::newRow("declaration variants")
        << QByteArray(net).replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                   "<?xml version='1.0' encoding='utf-8' standalone='yes' ?>");
    QTest::newRow("references") << QByteArray(net)
                                       .replace("name=\"Main Street\"",
                                                "name=\"Main &amp; &lt;Side&gt; &quot;St&apos; &#252;&#x1F600;&#9;&#10;x\"")
                                       .replace("<edge id=\"CE\"", "<edge id=\"C&#x45;\"");
    QTest::newRow("CR LF") << QByteArray(net).replace("\n", "\r\n");
    QTest::newRow("lone CR") << QByteArray(net).replace("\n", "\r");
    QTest::newRow("blanks in values") << QByteArray(net)
                                             .replace("name=\"Main Street\"", "name=\"Main\tStreet\nnorth\r\nend\rx\"")
                                             .replace("shape=\"110,-1.6 200,-1.6\"", "shape=\"110,-1.6\n\t200,-1.6\"")
                                             .replace("<junction id=\"E\"", "<junction\r\n  id=\"E\"");
    // Columns count UTF-16 units: the 4-byte character counts two.
    QTest::newRow("non-ASCII") << QByteArray(net)
                                      .replace("    <edge id=\"CE\"", "<!-- Straße \xF0\x9F\x98\x80 --><edge id=\"CE\"")
                                      .replace("name=\"Main Street\"", "name=\"Grüne \xF0\x9F\x98\x80 Straße\"")
                                      .replace("<junction id=\"E\"", "<!-- ä --> <junction id=\"E\"");
    QTest::newRow("comments") << QByteArray(net)
                                     .replace("<net ", "<!-- before - the root -->\n<net ")
                                     .replace("    <edge id=\"CW\"", "    <!-- between -->\n    <edge id=\"CW\"")
                                     .replace("        <lane id=\"CW_0\"", "        <!----><!-- inside <x> & -->\n        <lane id=\"CW_0\"")
                                     .replace("</net>", "</net>\n<!-- after -->\n\n");
    QTest::newRow("single quotes") << QByteArray(net)
                                          .replace("id=\"WC\" from=\"W\"", "id='WC' from='W'")
                                          .replace("name=\"Main Street\"", "name='say \"hi\"' ");
    QTest::newRow("empty elements")
        << QByteArray(net)
               .replace("shape=\"200,0 200,-3 201,-3 201,0\"/>", "shape=\"200,0 200,-3 201,-3 201,0\"></junction>")
               .replace("shape=\"90,1.6 0,1.6\"/>", "shape=\"90,1.6 0,1.6\"  ></lane >")
               .replace("    <edge id=\"WC\"", "    <edge id=\":C_9\" function=\"internal\"/>\n    <edge id=\"WC\"");
    QTest::newRow("unknown elements and text")
        << QByteArray(net)
               .replace("    <junction id=\"W\"",
                        "    <tlLogic id=\"C\" type=\"static\" programID=\"0\" offset=\"0\">\n"
                        "        <phase duration=\"31\" state=\"GgrG\"/>\n        <!-- c -->\n"
                        "        <param key=\"a\" value=\"&lt;b&gt;\"><x><y/></x></param>\n    </tlLogic>\n"
                        "    <type id=\"t\"><restriction vClass=\"bus\" speed=\"1\"/></type>\n    <junction id=\"W\"")
               .replace("<request index=\"0\"", "note &amp; text > \"q\" <request index=\"0\"")
               .replace("shape=\"100,-100 100,-10\"/>", "shape=\"100,-100 100,-10\"><param key=\"k\" value=\"v\"/></lane>");
    QTest::newRow("root namespace")
        << smallNet(QStringLiteral("xsi:nil=\"false\""),
                    QStringLiteral("xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                   "xsi:noNamespaceSchemaLocation=\"http://sumo.dlr.de/xsd/net_file.xsd\" xmlns=\"\""));
}

void TestSumoImport::byteReaderTakesPlainXml()
{
    QFETCH(QByteArray, data);
    QVERIFY(byteReaderTakes(data));
    QCOMPARE(startTagsOfByteReader(data), startTagsOfXmlReader(data));
    QString error;
    const QString slow = readDump(data, false, &error, false);
    QVERIFY2(slow.contains(QLatin1String("\nE ")), qPrintable(error));
    QCOMPARE(readDump(data, false), slow);
}

void TestSumoImport::byteReaderLeavesTheUnusualToTheXmlReader_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("taken"); // well-formed as far as the byte reader goes: a fault of meaning
    const QByteArray net = smallNet();
    const QByteArray declaration("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    QTest::newRow("doctype") << QByteArray(net).replace(declaration, declaration + "<!DOCTYPE net>\n") << false;
    QTest::newRow("declared entity")
        << QByteArray(net)
               .replace(declaration, declaration + "<!DOCTYPE net [<!ENTITY s \"Street\">]>\n")
               .replace("Main Street", "Main &s;")
        << false;
    QTest::newRow("cdata") << QByteArray(net).replace("<request ", "<![CDATA[ <x> ]]><request ") << false;
    QTest::newRow("processing instruction") << QByteArray(net).replace("    <edge id=\"CW\"", "<?pi data?><edge id=\"CW\"")
                                            << false;
    QTest::newRow("undeclared prefix") << smallNet(QStringLiteral("p:x=\"1\"")) << false;
    QTest::newRow("prefix declared below the root") << smallNet(QStringLiteral("xmlns:p=\"u\" p:x=\"1\"")) << false;
    QTest::newRow("prefixed element") << QByteArray(net).replace("<request ", "<p:request xmlns:p=\"u\" ") << false;
    QTest::newRow("duplicate attribute") << smallNet(QStringLiteral("speed=\"1\"")) << false;
    QTest::newRow("invalid UTF-8") << QByteArray(net).replace("Main Street", "Main \xC3\x28Street") << false;
    QTest::newRow("overlong UTF-8") << QByteArray(net).replace("Main Street", "Main \xC0\xAFStreet") << false;
    QTest::newRow("control character") << QByteArray(net).replace("Main Street", "Main \x01Street") << false;
    QTest::newRow("reference to a control character") << QByteArray(net).replace("Main Street", "Main &#1;") << false;
    QTest::newRow("mismatched tag") << QByteArray(net).replace("</edge>", "</edg>") << false;
    QTest::newRow("truncated") << net.left(net.size() * 2 / 3) << false;
    QTest::newRow("truncated in a tag") << net.left(net.indexOf("shape=\"90,1.6") + 8) << false;
    QTest::newRow("< in a value") << QByteArray(net).replace("Main Street", "Main<Street") << false;
    QTest::newRow("unknown entity") << QByteArray(net).replace("Main Street", "Main&nbsp;Street") << false;
    QTest::newRow("]]> in text") << QByteArray(net).replace("<request ", "]]><request ") << false;
    QTest::newRow("-- in a comment") << QByteArray(net).replace("<request ", "<!-- a -- b --><request ") << false;
    QTest::newRow("other encoding")
        << QByteArray(net).replace("UTF-8", "ISO-8859-1").replace("Main Street", "Stra\xDF" "e") << false;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF") + net << false;
    QTest::newRow("version 1.1") << QByteArray(net).replace("version=\"1.0\"", "version=\"1.1\"") << false;
    QTest::newRow("element after the root") << net + "<net/>\n" << false;
    QTest::newRow("text after the root") << net + "junk\n" << false;
    QTest::newRow("no space between attributes") << QByteArray(net).replace("\" to=\"E\"", "\"to=\"E\"") << false;
    QTest::newRow("bad number") << QByteArray(net).replace("x=\"200\"", "x=\"2e\"") << true;
    QTest::newRow("not a network") << QByteArray(net).replace("<net ", "<nett ").replace("</net>", "</nett>") << true;
}

void TestSumoImport::byteReaderLeavesTheUnusualToTheXmlReader()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, taken);
    QCOMPARE(byteReaderTakes(data), taken);
    QString slowError, fastError;
    const QString slow = readDump(data, false, &slowError, false);
    QCOMPARE(readDump(data, false, &fastError), slow);
    QCOMPARE(fastError, slowError);
    if (taken)
        QVERIFY(!slowError.isEmpty());
}

void TestSumoImport::byteReaderDeclinesInTheSecondHalf()
{
    // Unusual but valid XML in the second half: that half alone is read again by the XML reader.
    QByteArray data = inflated(QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz"));
    data.insert(lineStart(data, data.size() * 3 / 4), "    <foo><![CDATA[ <junction/> ]]></foo>\n");
    QVERIFY(!byteReaderTakes(data));
    const QString slow = readDump(data, false, nullptr, false);
    QVERIFY(slow.contains(QLatin1String("\nJ ")));
    QCOMPARE(readDump(data, true), slow);
    QCOMPARE(readDump(data, false), slow);
}

QTEST_GUILESS_MAIN(TestSumoImport)
#include "tst_sumo_import.moc"
