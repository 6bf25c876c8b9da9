// Edge, edge-group, marking, lane and stopline items: road markings, tracks, arrows, stopline dragging
// and the wireframe switch.

#include "layouts.h"
#include "scenenet.h"

#include "items/edgeg.h"
#include "items/edgegroupg.h"
#include "items/laneg.h"
#include "items/marking.h"
#include "items/stoplineg.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include <QGraphicsScene>
#include <QtTest>

#include <algorithm>

using namespace ItemLayouts;
using namespace Layouts;
using Trelvoga::Edgeg;
using Trelvoga::EdgeGroupg;
using Trelvoga::Laneg;
using Trelvoga::Networkg;
using Trelvoga::Stoplineg;

namespace {

// The x ranges of the subpaths of a path along the x axis, sorted by their start.
QList<QPair<double, double>> xRanges(const QPainterPath &path)
{
    QList<QPair<double, double>> ranges;
    for (const QPolygonF &p : path.toSubpathPolygons()) {
        const QRectF r = p.boundingRect();
        ranges.append({r.left(), r.right()});
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) <= tolerance;
}

// A straight road from A (0, 0) to B (length, 0) with the given lanes each way (none: one-way).
Layout straightRoad(Trelvoa::Network *net, const QList<int> &forward, const QList<int> &backward,
                    double length = 100.0)
{
    Layout l;
    l.net = net;
    addNode(l, QStringLiteral("A"), QPointF(0, 0));
    addNode(l, QStringLiteral("B"), QPointF(length, 0));
    addEdge(l, QStringLiteral("A"), QStringLiteral("B"), forward);
    if (!backward.isEmpty())
        addEdge(l, QStringLiteral("B"), QStringLiteral("A"), backward);
    return l;
}

} // namespace

class TestRoadItems : public QObject
{
    Q_OBJECT

private slots:
    void dashPattern_data();
    void dashPattern();
    void centreLines();
    void noMarkingBesideTracksOrClasslessLanes();
    void solidEndBeforeStopline();
    void edgeSelectableOnlyWithoutLanesOrInWireframe();
    void leavingWireframeRebuildsMarkings();
    void markingsGoWithTheLanes();
    void edgeGroupShownOnlyWhenNeeded();
    void editedItemsShareTheirRules();
    void laneColours();
    void trackSleepers();
    void directionArrows();
    void arrowsFollowASelectedLane();
    void laneHiddenInWireframe();
    void stoplineSlidesAlongLane();
    void startlineCountsFromStart();
    void lineWithoutJunctionNeverShown();
};

void TestRoadItems::dashPattern_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<bool>("solidEnd");
    QTest::addColumn<QList<double>>("expected"); // start and end of every piece, by start

    QTest::newRow("12 with stopline: solid") << 12.0 << true << QList<double>{0, 12};
    QTest::newRow("12 without stopline") << 12.0 << false << QList<double>{2, 4, 7, 9};
    QTest::newRow("30 with stopline")
        << 30.0 << true << QList<double>{0, 2, 5, 7, 10, 12, 15, 17, 20, 30};
    QTest::newRow("30 without stopline")
        << 30.0 << false << QList<double>{0, 2, 5, 7, 10, 12, 15, 17, 20, 22, 25, 27};
    QTest::newRow("15 with stopline: one dash") << 15.0 << true << QList<double>{0, 2, 5, 15};
}

void TestRoadItems::dashPattern()
{
    QFETCH(double, length);
    QFETCH(bool, solidEnd);
    QFETCH(QList<double>, expected);
    const GeoPolyline line({QPointF(0, 0), QPointF(length, 0)});
    const QList<QPair<double, double>> ranges = xRanges(Marking::markingPath(line, Marking::Dashed, solidEnd));
    QCOMPARE(ranges.size() * 2, expected.size());
    for (int i = 0; i < ranges.size(); ++i) {
        QVERIFY2(near(ranges.at(i).first, expected.at(2 * i)) && near(ranges.at(i).second, expected.at(2 * i + 1)),
                 qPrintable(QStringLiteral("piece %1: %2..%3").arg(i).arg(ranges.at(i).first).arg(ranges.at(i).second)));
    }
    // Every piece is one line width across.
    const QRectF all = Marking::markingPath(line, Marking::Dashed, solidEnd).boundingRect();
    QVERIFY(near(all.top(), -0.1) && near(all.bottom(), 0.1));
}

void TestRoadItems::centreLines()
{
    struct Case
    {
        int forward;
        int backward;
        double top; // y extent of the forward edge's centre marking; both 0: none
        double bottom;
    };
    // Forward runs along +x, so its lanes lie at y < 0 and "right" is -y.
    const QList<Case> cases{
        {2, 2, -0.3, -0.1}, // double: moved one line width to the own side
        {1, 1, -0.1, 0.1},  // single: on the centre
        {3, 1, -0.3, -0.1}, // 4 lanes in all: double
        {2, 0, 0, 0},       // one-way: none
    };
    for (const Case &c : cases) {
        SceneNet fixture;
        Networkg &net = fixture.net;
        Layout l = straightRoad(&net, QVector<int>(c.forward, car).toList(), QVector<int>(c.backward, car).toList());
        refresh(&net);
        Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
        Marking *marking = itemOf<Edgeg>(&net, ab)->marking();
        QVERIFY(marking);
        QCOMPARE(marking->type(), QGraphicsItem::UserType + 6);
        QCOMPARE(Trelvoga::Layer::of(marking), net.layer(Networkg::layerMarking));
        const QList<QPainterPath> paths = marking->paths();
        QCOMPARE(paths.size(), c.forward);
        const QPainterPath centre = paths.last();
        if (c.top == 0 && c.bottom == 0) {
            QVERIFY(centre.isEmpty());
        } else {
            const QRectF r = centre.boundingRect();
            QVERIFY2(near(r.top(), c.top) && near(r.bottom(), c.bottom),
                     qPrintable(QStringLiteral("%1+%2: %3..%4").arg(c.forward).arg(c.backward).arg(r.top()).arg(r.bottom())));
            QVERIFY(near(r.left(), 0) && near(r.right(), 100));
            QCOMPARE(centre.toSubpathPolygons().size(), 1);
        }
        // Between own lanes: dashes, laid from the far end (the last one ends 3 before it).
        for (int i = 0; i + 1 < c.forward; ++i) {
            const QList<QPair<double, double>> dashes = xRanges(paths.at(i));
            QCOMPARE(dashes.size(), 20);
            QVERIFY(near(dashes.last().second, 97.0));
            QVERIFY(near(paths.at(i).boundingRect().center().y(), -3.5 * (c.forward - 1 - i)));
        }
        // The marking's rectangle covers every path (up to rounding of the rectangle's corners).
        const QRectF bounds = marking->boundingRect().adjusted(-1e-9, -1e-9, 1e-9, 1e-9);
        for (const QPainterPath &path : paths)
            QVERIFY(path.isEmpty() || bounds.contains(path.boundingRect()));
    }
}

void TestRoadItems::noMarkingBesideTracksOrClasslessLanes()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    // Lanes 0..4: car, tram, car, none, car; the other way: car.
    Layout l = straightRoad(&net, {car, tram, car, 0, car}, {car});
    refresh(&net);
    const QList<QPainterPath> paths = itemOf<Edgeg>(&net, l.edge(QStringLiteral("A"), QStringLiteral("B")))->marking()->paths();
    QCOMPARE(paths.size(), 5);
    QVERIFY(paths.at(0).isEmpty()); // its neighbour is a track
    QVERIFY(paths.at(1).isEmpty()); // a track itself
    QVERIFY(paths.at(2).isEmpty()); // its neighbour allows nothing
    QVERIFY(paths.at(3).isEmpty()); // allows nothing itself
    QVERIFY(!paths.at(4).isEmpty()); // the centre line, 5 + 1 lanes: double
    QVERIFY(near(paths.at(4).boundingRect().bottom(), -0.1));

    // Across the centre: the opposite lane is a track, so neither side gets a centre line.
    SceneNet fixture2;
    Networkg &net2 = fixture2.net;
    Layout l2 = straightRoad(&net2, {car, car}, {car, tram});
    refresh(&net2);
    const QList<QPainterPath> ab = itemOf<Edgeg>(&net2, l2.edge(QStringLiteral("A"), QStringLiteral("B")))->marking()->paths();
    const QList<QPainterPath> ba = itemOf<Edgeg>(&net2, l2.edge(QStringLiteral("B"), QStringLiteral("A")))->marking()->paths();
    QVERIFY(!ab.at(0).isEmpty());
    QVERIFY(ab.at(1).isEmpty());
    QVERIFY(ba.at(0).isEmpty());
    QVERIFY(ba.at(1).isEmpty());
}

void TestRoadItems::solidEndBeforeStopline()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    // Entering from the east: along -x, dashes between the car lanes, solid over the last 10 before
    // the stopline; leaving: no solid stretch at its plain far end.
    Edge *in = l.edge(QStringLiteral("E"), QStringLiteral("C"));
    Lane *lane = in->lane(1);
    QVERIFY(lane->hasStopline(nullptr));
    const double end = lane->skeleton().last().x();
    const QList<QPair<double, double>> pieces = xRanges(itemOf<Edgeg>(&net, in)->marking()->paths().at(1));
    QVERIFY(!pieces.isEmpty());
    QVERIFY(near(pieces.first().first, end, 1e-6));
    QVERIFY(near(pieces.first().second - pieces.first().first, 10.0, 1e-6));
    QVERIFY(near(pieces.at(1).second - pieces.at(1).first, 2.0, 1e-6));
    QVERIFY(near(pieces.at(1).first, end + 13.0, 1e-6));

    Edge *out = l.edge(QStringLiteral("C"), QStringLiteral("E"));
    QVERIFY(!out->lane(1)->hasStopline(nullptr));
    const QList<QPair<double, double>> outPieces = xRanges(itemOf<Edgeg>(&net, out)->marking()->paths().at(1));
    for (const auto &piece : outPieces)
        QVERIFY(near(piece.second - piece.first, 2.0, 1e-6));
    QVERIFY(near(outPieces.last().second, 97.0, 1e-6));
}

void TestRoadItems::edgeSelectableOnlyWithoutLanesOrInWireframe()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {car}, {});
    addNode(l, QStringLiteral("Z"), QPointF(0, 50));
    Edge *bare = addEdge(l, QStringLiteral("A"), QStringLiteral("Z"), {});
    refresh(&net);
    auto *withLanes = itemOf<Edgeg>(&net, l.edge(QStringLiteral("A"), QStringLiteral("B")));
    auto *without = itemOf<Edgeg>(&net, bare);
    QCOMPARE(withLanes->type(), QGraphicsItem::UserType + 7);
    QVERIFY(!(withLanes->flags() & QGraphicsItem::ItemIsSelectable));
    QVERIFY(without->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(withLanes->isVisible() && without->isVisible());
    // The arrow head: 3 long, 2 wide, at the end.
    const QPolygonF arrow = without->arrow();
    QCOMPARE(arrow.size(), 3);
    QCOMPARE(arrow.at(1), QPointF(0, 50));
    QVERIFY(QLineF(arrow.at(0), QPointF(-1, 47)).length() < 1e-9 || QLineF(arrow.at(0), QPointF(1, 47)).length() < 1e-9);
    QVERIFY(near(QLineF(arrow.at(0), arrow.at(2)).length(), 2.0));
    QVERIFY(without->shape().contains(QPointF(0.8, 25)));
    QVERIFY(!without->shape().contains(QPointF(1.5, 25)));
    QVERIFY(without->boundingRect().contains(without->shape().boundingRect()));
    // The band follows the edge's course when the item is refreshed.
    l.node(QStringLiteral("Z"))->setPos(QPointF(40, 50));
    refresh(&net);
    QVERIFY(without->shape().contains(QPointF(20, 25)));
    QVERIFY(!without->shape().contains(QPointF(0.8, 25)));
    QVERIFY(without->boundingRect().contains(without->shape().boundingRect()));

    net.setWireframe(true);
    QVERIFY(withLanes->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(withLanes->isVisible());
    net.setWireframe(false);
    QVERIFY(!(withLanes->flags() & QGraphicsItem::ItemIsSelectable));
}

void TestRoadItems::leavingWireframeRebuildsMarkings()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    net.setWireframe(true);
    Layout l = straightRoad(&net, {car, car}, {car, car});
    refresh(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    Marking *marking = itemOf<Edgeg>(&net, ab)->marking();
    QVERIFY(marking->isWireframe());
    QVERIFY(marking->paths().isEmpty());

    net.setWireframe(false);
    QVERIFY(!marking->isWireframe());
    QCOMPARE(marking->paths().size(), 2);
    QVERIFY(!marking->paths().at(0).isEmpty());
    QVERIFY(!marking->paths().at(1).isEmpty());

    // A change made in wireframe shows once it is left.
    net.setWireframe(true);
    ab->lane(1)->setWidth(5.0);
    refresh(&net);
    QVERIFY(near(marking->paths().at(0).boundingRect().center().y(), -3.5));
    net.setWireframe(false);
    QVERIFY(near(marking->paths().at(0).boundingRect().center().y(), -5.0));
}

void TestRoadItems::markingsGoWithTheLanes()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {car, car}, {car, car});
    refresh(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    auto *item = itemOf<Edgeg>(&net, ab);
    QVERIFY(!item->marking()->paths().isEmpty());
    delete ab->lane(1);
    delete ab->lane(0);
    QCOMPARE(ab->lanesCount(), 0);
    refresh(&net);
    QVERIFY(item->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(item->marking()->paths().isEmpty());
    QVERIFY(item->marking()->boundingRect().isNull());

    // The layer going first (scene teardown order) leaves the edge without a marking, not with a
    // dangling one.
    delete net.layer(Networkg::layerMarking);
    QVERIFY(!item->marking());
    item->objectChanged(0xFFFF);
}

void TestRoadItems::edgeGroupShownOnlyWhenNeeded()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = twoWayGroup(&net);
    auto *empty = new EdgeGroup(&net, l.node(QStringLiteral("A")), l.node(QStringLiteral("B")));
    net.addItem(empty);
    refresh(&net);
    auto *group = itemOf<EdgeGroupg>(&net, l.groups.value(QStringLiteral("AB")));
    auto *lone = itemOf<EdgeGroupg>(&net, empty);
    QCOMPARE(group->type(), QGraphicsItem::UserType + 23);
    QVERIFY(!group->isVisible());
    QVERIFY(lone->isVisible());
    QVERIFY(lone->flags() & QGraphicsItem::ItemIsSelectable);
    QCOMPARE(group->linePath().elementCount(), 3);
    // Its line and pick band are laid out when asked for, within the extent it gave beforehand.
    QVERIFY(group->boundingRect().contains(group->linePath().boundingRect()));
    QVERIFY(group->boundingRect().contains(group->shape().boundingRect()));
    QVERIFY(group->shape().contains(group->linePath().pointAtPercent(0.5)));

    group->setEdit(true);
    QVERIFY(group->edited());
    QVERIFY(group->isVisible());
    QCOMPARE(group->markers().size(), 3);
    group->markers().at(1)->setPos(QPointF(100, 60));
    QVERIFY(group->isChanged());
    QCOMPARE(l.groups.value(QStringLiteral("AB"))->skeleton().at(1), QPointF(100, 60));
    group->setEdit(false);
    QVERIFY(!group->isVisible());
    QVERIFY(!group->isChanged());

    net.setWireframe(true);
    QVERIFY(group->isVisible());
    QVERIFY(group->flags() & QGraphicsItem::ItemIsSelectable);
    net.setWireframe(false);
    QVERIFY(!group->isVisible());
    QVERIFY(lone->isVisible());
    QVERIFY(lone->flags() & QGraphicsItem::ItemIsSelectable);
}

// What every vertex-edited item does alike: a read-only item is never edited, only an edit the model
// takes marks the item changed, ending the edit clears the mark, and the highlight colour is held until
// reset.
void TestRoadItems::editedItemsShareTheirRules()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {car}, {});
    Edge *edge = l.edges.first();
    refresh(&net);
    auto *item = itemOf<Edgeg>(&net, edge);
    const Trelvoa::GeoPolyline skeleton = edge->skeleton();

    item->setReadOnly(true);
    item->setEdit(true);
    QVERIFY(!item->edited());
    item->setReadOnly(false);

    item->setEdit(true);
    QVERIFY(item->edited());
    QVERIFY(!item->isChanged());
    // Two vertices on one point make a skeleton the model refuses: nothing changed.
    item->markers().at(1)->setPos(item->markers().at(0)->pos());
    QVERIFY(!item->isChanged());
    QCOMPARE(edge->skeleton(), skeleton);
    item->addEditPoint(item->mapToScene(item->skeletonPolygon().boundingRect().center()));
    QCOMPARE(item->markers().size(), 3);
    item->markers().at(1)->setPos(item->markers().at(1)->pos() + QPointF(0, 5));
    QVERIFY(item->isChanged());
    QCOMPARE(edge->skeleton().count(), 3);
    item->setEdit(false);
    QVERIFY(!item->edited());
    QVERIFY(!item->isChanged());

    item->setColor(Qt::darkGreen);
    QCOMPARE(item->color(), QColor(Qt::darkGreen));
    item->resetColor();
    QVERIFY(!item->color().isValid());
}

void TestRoadItems::laneColours()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {pedestrian, pedestrian | car, 0, tram, car}, {});
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    QCOMPARE(Laneg::laneColor(ab->lane(0)), Laneg::sidewalkColor);
    QCOMPARE(Laneg::laneColor(ab->lane(1)), Laneg::roadColor);
    QCOMPARE(Laneg::laneColor(ab->lane(2)), Laneg::splitlaneColor);
    QCOMPARE(Laneg::laneColor(ab->lane(3)), Laneg::roadColor);
    QCOMPARE(Laneg::laneColor(nullptr), Laneg::roadColor);
    QCOMPARE(Laneg::sidewalkColor, QColor(192, 192, 192, 127));
    QCOMPARE(Laneg::splitlaneColor, QColor(255, 0, 0, 127));
}

void TestRoadItems::trackSleepers()
{
    for (double width : {1.5, 3.5}) {
        SceneNet fixture;
        Networkg &net = fixture.net;
        Layout l = straightRoad(&net, {tram}, {}, 30.0);
        Lane *lane = l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(0);
        lane->setWidth(width);
        const double gauge = std::min(2.0, width);
        const double centre = -width / 2;
        const QList<QPolygonF> parts = Laneg::laneShape(lane, nullptr, GeoPolyline()).toSubpathPolygons();
        // 40 sleepers every 0.75 from 0.75 to 30, then two rails.
        QCOMPARE(parts.size(), 42);
        for (int k = 0; k < 40; ++k) {
            const QRectF r = parts.at(k).boundingRect();
            QVERIFY2(near(r.height(), gauge, 1e-9), qPrintable(QString::number(r.height())));
            QVERIFY(near(r.width(), 0.25, 1e-9));
            QVERIFY(near(r.center().x(), 0.75 * (k + 1), 1e-9));
            QVERIFY(near(r.center().y(), centre, 1e-9));
        }
        QList<double> rails{parts.at(40).boundingRect().center().y(), parts.at(41).boundingRect().center().y()};
        std::sort(rails.begin(), rails.end());
        QVERIFY(near(rails.at(0), centre - 0.35 * gauge, 1e-9));
        QVERIFY(near(rails.at(1), centre + 0.35 * gauge, 1e-9));
        QVERIFY(near(parts.at(40).boundingRect().height(), 0.2, 1e-9));
        QVERIFY(near(parts.at(40).boundingRect().width(), 30.0, 1e-9));

        // A lane along another line (a connection) is a track there too.
        const GeoPolyline other({QPointF(0, 10), QPointF(3, 10)});
        QCOMPARE(Laneg::laneShape(lane, nullptr, other).toSubpathPolygons().size(), 4 + 2);
    }
}

void TestRoadItems::directionArrows()
{
    const GeoPolyline line({QPointF(0, 0), QPointF(10, 0)});
    const QPainterPath arrows = Laneg::directionArrows(line, 3.0, nullptr);
    // Heads at 2, 6 and 10, each a three-point subpath and a shaft back 2 units.
    const QList<QPolygonF> parts = arrows.toSubpathPolygons();
    QCOMPARE(parts.size(), 6);
    for (int k = 0; k < 3; ++k) {
        const QPolygonF head = parts.at(2 * k);
        const QPolygonF shaft = parts.at(2 * k + 1);
        QCOMPARE(head.size(), 3);
        QCOMPARE(head.at(1), QPointF(4.0 * k + 2, 0));
        QVERIFY(near(head.at(0).x(), 4.0 * k + 2 - 2.0 / 3.0, 1e-9)); // h = min(2/3, 0.9)
        QVERIFY(near(std::abs(head.at(0).y()), 0.3, 1e-9));
        QCOMPARE(shaft.at(0), QPointF(4.0 * k + 2, 0));
        QCOMPARE(shaft.at(1), QPointF(4.0 * k, 0));
    }
    // Narrow lanes get shorter heads.
    const QPolygonF narrow = Laneg::directionArrows(line, 1.0, nullptr).toSubpathPolygons().first();
    QVERIFY(near(narrow.at(0).x(), 2.0 - 0.3, 1e-9));
    QVERIFY(Laneg::directionArrows(GeoPolyline({QPointF(1, 1)}), 3.0, nullptr).isEmpty());
}

void TestRoadItems::arrowsFollowASelectedLane()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {car}, {}, 20.0);
    refresh(&net);
    Edge *ab = l.edge(QStringLiteral("A"), QStringLiteral("B"));
    auto *item = itemOf<Laneg>(&net, ab->lane(0));
    QCOMPARE(item->type(), QGraphicsItem::UserType + 9);
    QVERIFY(item->arrowsPath().isEmpty());
    item->setSelected(true);
    QVERIFY(!item->arrowsPath().isEmpty());
    QVERIFY(near(item->arrowsPath().boundingRect().center().y(), -1.75, 1e-9));

    // The node moves while the lane stays selected: the arrows go along.
    l.node(QStringLiteral("B"))->setPos(QPointF(20, 30));
    l.node(QStringLiteral("A"))->setPos(QPointF(0, 30));
    refresh(&net);
    QVERIFY(near(item->arrowsPath().boundingRect().center().y(), 28.25, 1e-9));
    QVERIFY(item->boundingRect().contains(item->arrowsPath().boundingRect()));
}

void TestRoadItems::laneHiddenInWireframe()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = straightRoad(&net, {car, pedestrian}, {car});
    refresh(&net);
    auto *item = itemOf<Laneg>(&net, l.edge(QStringLiteral("A"), QStringLiteral("B"))->lane(1));
    const QPainterPath surface = item->surface();
    const QRectF rect = item->boundingRect();
    QVERIFY(item->isVisible());
    QVERIFY(!surface.isEmpty());
    net.setWireframe(true);
    QVERIFY(!item->isVisible());
    net.setWireframe(false);
    QVERIFY(item->isVisible());
    QCOMPARE(item->surface(), surface);
    QCOMPARE(item->boundingRect(), rect);
}

void TestRoadItems::stoplineSlidesAlongLane()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    // Entering from the east along -x: the full skeleton runs from x = 100 to x = 0.
    Lane *lane = l.edge(QStringLiteral("E"), QStringLiteral("C"))->lane(1);
    Stopline *stop = lane->stopline();
    auto *item = itemOf<Stoplineg>(&net, stop);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 19);
    QVERIFY(item->isVisible());
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
    const double centreY = lane->fullSkeleton().first().y();
    QVERIFY(near(item->pos().x(), stop->pos().x(), 1e-9));
    QVERIFY(near(item->pos().y(), centreY, 1e-9));
    // The bar spans the lane, 0.5 thick; the item's extent, known before the bar is laid out, holds it.
    QVERIFY(near(item->bar().boundingRect().height(), lane->width(), 1e-9));
    QVERIFY(near(item->bar().boundingRect().width(), 0.5, 1e-9));
    QVERIFY(item->boundingRect().contains(item->bar().boundingRect()));
    QCOMPARE(item->shape(), item->bar());

    // Dragged across and along the lane: it stays on the lane, 30 from its end.
    item->setPos(QPointF(30, centreY + 7));
    QVERIFY(near(item->pos().x(), 30, 1e-9));
    QVERIFY(near(item->pos().y(), centreY, 1e-9));
    QVERIFY(!stop->autoDistance());
    QVERIFY(near(stop->distance(), 30.0, 1e-9));
    QVERIFY(near(item->dragDistance(), 30.0, 1e-9));
    QVERIFY(near(stop->pos().x(), 30.0, 1e-9));

    // Beyond the lane start: clamped to the far end.
    item->setPos(QPointF(150, centreY));
    QVERIFY(near(item->pos().x(), 100, 1e-9));
    QVERIFY(near(stop->distance(), 100.0, 1e-9));

    // The model changed meanwhile (an undo, say): the end of the drag writes the dragged distance again.
    stop->setDistance(12.0);
    item->moveComplete();
    QVERIFY(near(stop->distance(), 100.0, 1e-9));

    // Read-only: no drag.
    net.setReadOnly(true);
    refresh(&net);
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
    const QPointF before = item->pos();
    item->setPos(QPointF(50, centreY));
    QCOMPARE(item->pos(), before);
    QVERIFY(near(stop->distance(), 100.0, 1e-9));
}

void TestRoadItems::startlineCountsFromStart()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    // Leaving to the north along +y: the start line counts from the junction.
    Lane *lane = l.edge(QStringLiteral("C"), QStringLiteral("N"))->lane(2);
    Stopline *start = lane->startline();
    QVERIFY(lane->hasStartline(nullptr));
    auto *item = itemOf<Stoplineg>(&net, start);
    QVERIFY(item->isVisible());
    const double centreX = lane->fullSkeleton().first().x();
    item->setPos(QPointF(centreX - 1.0, 25));
    QVERIFY(near(item->pos().x(), centreX, 1e-9));
    QVERIFY(near(item->pos().y(), 25, 1e-9));
    QVERIFY(near(start->distance(), 25.0, 1e-9));
    QVERIFY(near(start->pos().y(), 25.0, 1e-9));
}

void TestRoadItems::lineWithoutJunctionNeverShown()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    // The outgoing lane ends at the plain node N: no stopline there; it starts at C: a start line.
    Lane *lane = l.edge(QStringLiteral("C"), QStringLiteral("N"))->lane(1);
    auto *stopItem = itemOf<Stoplineg>(&net, lane->stopline());
    auto *startItem = itemOf<Stoplineg>(&net, lane->startline());
    QVERIFY(!lane->hasStopline(nullptr));
    QVERIFY(!stopItem->isVisible());
    stopItem->setVisible(true);
    QVERIFY(!stopItem->isVisible());
    stopItem->show();
    QVERIFY(!stopItem->isVisible());
    QVERIFY(startItem->isVisible());

    net.setWireframe(true);
    QVERIFY(!startItem->isVisible());
    QVERIFY(!stopItem->isVisible());
    net.setWireframe(false);
    QVERIFY(startItem->isVisible());
    QVERIFY(!stopItem->isVisible());

    // Built in wireframe: the bar is made when it is left.
    SceneNet fixture2;
    Networkg &net2 = fixture2.net;
    net2.setWireframe(true);
    Layout l2 = fourArm(&net2, RoadsOnly | Sidewalks);
    refresh(&net2);
    auto *built = itemOf<Stoplineg>(&net2, l2.edge(QStringLiteral("N"), QStringLiteral("C"))->lane(1)->stopline());
    QVERIFY(!built->isVisible());
    QVERIFY(built->bar().isEmpty());
    net2.setWireframe(false);
    QVERIFY(built->isVisible());
    QVERIFY(!built->bar().isEmpty());
}

QTEST_MAIN(TestRoadItems)
#include "tst_items_roads.moc"
