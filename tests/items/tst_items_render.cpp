// Drawing of a real layout: a signalised four-arm junction of two-way roads (sidewalk and two car lanes
// each way, a tram lane each way on the west arm) rendered offscreen and probed pixel by pixel; and
// every item drawn alone stays inside its bounding rectangle.

#include "itemrender.h"
#include "layouts.h"
#include "scenenet.h"

#include "items/edgeg.h"
#include "items/laneg.h"
#include "items/marking.h"
#include "items/nodeg.h"
#include "scene/networkg.h"

#include <QGraphicsScene>
#include <QtTest>

using namespace ItemLayouts;
using namespace ItemRender;
using namespace Layouts;
using Trelvoga::Edgeg;
using Trelvoga::Laneg;
using Trelvoga::Networkg;
using Trelvoga::Nodeg;

namespace {

// The point of a lane's centre line nearest to `near`, and the point `side` units to its left.
QPointF onLane(const Lane *lane, const QPointF &near, double side = 0.0)
{
    const GeoPolyline s = lane->skeleton();
    double distance = 0;
    const QPointF p = s.pointOn(near, &distance);
    if (side == 0.0)
        return p;
    QLineF normal = s.lineAtDistance(distance).normalVector();
    normal.translate(p - normal.p1());
    normal.setLength(std::abs(side));
    return side > 0 ? normal.p2() : 2 * p - normal.p2();
}

// Fails when the item, drawn alone, paints outside its bounding rectangle.
void checkInsideBounds(QGraphicsItem *item, const View &view, const QString &what)
{
    QPoint first;
    const int stray = strayPixels(item, view, &first);
    QVERIFY2(stray == 0, qPrintable(QStringLiteral("%1: %2 pixels outside its bounds, first at %3, %4")
                                        .arg(what).arg(stray).arg(first.x()).arg(first.y())));
}

} // namespace

class TestRenderItems : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roadSurfaceAndSidewalk();
    void centreLineIsWhite();
    void tramLaneIsTrack();
    void selectedLaneShowsArrows();
    void junctionOutlineIsFilled();
    void wireframeShowsSkeletonsOnly();
    void itemsDrawInsideTheirBounds();
    void removedObjectsTakeTheirItems();

private:
    QGraphicsScene *scene = nullptr;
    Networkg *net = nullptr;
    Layout layout;
    // The junction area, 20 pixels per unit.
    const View close{QRectF(-40, -40, 80, 80), 20.0};
};

void TestRenderItems::init()
{
    scene = new QGraphicsScene;
    net = new Networkg(scene);
    layout = fourArm(net, RoadsOnly | Sidewalks);
    refresh(net);
}

void TestRenderItems::cleanup()
{
    dismantle(net);
    delete net;
    delete scene;
    net = nullptr;
    scene = nullptr;
}

void TestRenderItems::roadSurfaceAndSidewalk()
{
    const QImage image = renderScene(scene, close);
    Edge *in = layout.edge(QStringLiteral("N"), QStringLiteral("C"));
    for (int i : {1, 2}) {
        const QRgb p = image.pixel(close.pixel(onLane(in->lane(i), QPointF(0, 25))));
        QVERIFY2(sameColor(p, over(Laneg::roadColor, background)), qPrintable(describe(p)));
    }
    const QRgb side = image.pixel(close.pixel(onLane(in->lane(0), QPointF(0, 25))));
    QVERIFY2(sameColor(side, over(Laneg::sidewalkColor, background)), qPrintable(describe(side)));

    // Off the road: untouched.
    QCOMPARE(image.pixel(close.pixel(QPointF(25, 25))), background.rgba());

    // The static colours are read at every paint.
    const QColor saved = Laneg::sidewalkColor;
    Laneg::sidewalkColor = QColor(255, 0, 255, 255);
    const QImage recoloured = renderScene(scene, close);
    Laneg::sidewalkColor = saved;
    QVERIFY(sameColor(recoloured.pixel(close.pixel(onLane(in->lane(0), QPointF(0, 25)))), QColor(255, 0, 255)));
}

void TestRenderItems::centreLineIsWhite()
{
    const QImage image = renderScene(scene, close);
    // The north arm runs along x = 0: two white lines 0.2 apart, one each side of the centre.
    for (double x : {-0.2, 0.2}) {
        const QRgb p = image.pixel(close.pixel(QPointF(x, 25)));
        QVERIFY2(sameColor(p, Qt::white, 0), qPrintable(describe(p)));
    }
    QVERIFY(!sameColor(image.pixel(close.pixel(QPointF(0.0, 25))), Qt::white, 30));
    QVERIFY(!sameColor(image.pixel(close.pixel(QPointF(0.5, 25))), Qt::white, 30));
    // The lane lines between car lanes are dashed: white on a dash, road between dashes.
    Edge *out = layout.edge(QStringLiteral("C"), QStringLiteral("N"));
    const Lane *lane = out->lane(1);
    const GeoPolyline border = lane->skeleton().parallel(lane->width() / 2);
    const double length = border.length();
    QPointF onDash;
    QPointF inGap;
    border.lineAtDistance(length - 3.0 - 5.0 * 14 - 1.0, true, &onDash);
    border.lineAtDistance(length - 3.0 - 5.0 * 14 + 1.5, true, &inGap);
    QVERIFY(close.source.contains(onDash) && close.source.contains(inGap));
    QVERIFY2(sameColor(image.pixel(close.pixel(onDash)), Qt::white, 0), qPrintable(describe(image.pixel(close.pixel(onDash)))));
    QVERIFY(!sameColor(image.pixel(close.pixel(inGap)), Qt::white, 30));
}

void TestRenderItems::tramLaneIsTrack()
{
    const QImage image = renderScene(scene, close);
    Lane *tramLane = layout.edge(QStringLiteral("W"), QStringLiteral("C"))->lane(3);
    QCOMPARE(int(tramLane->allowed()), tram);
    const GeoPolyline s = tramLane->skeleton();
    const double d = 100 * 0.75 + 0.375; // midway between two sleepers, which lie every 0.75 from the start
    QPointF mid;
    s.lineAtDistance(d, true, &mid);
    QVERIFY(close.source.contains(mid));
    const QColor road = over(Laneg::roadColor, background);
    // Between the rails and between sleepers: no surface.
    QCOMPARE(image.pixel(close.pixel(mid)), background.rgba());
    QVERIFY2(sameColor(image.pixel(close.pixel(onLane(tramLane, mid, 0.7))), road), qPrintable(describe(image.pixel(close.pixel(onLane(tramLane, mid, 0.7))))));
    QVERIFY(sameColor(image.pixel(close.pixel(onLane(tramLane, mid, -0.7))), road));
    // Beside the track, inside the lane: no surface either.
    QCOMPARE(image.pixel(close.pixel(onLane(tramLane, mid, 1.5))), background.rgba());
    // On a sleeper.
    QPointF sleeper;
    s.lineAtDistance(std::floor(d / 0.75) * 0.75, true, &sleeper);
    QVERIFY(sameColor(image.pixel(close.pixel(sleeper)), road));
    // No centre line on a road whose middle lanes are tracks.
    QCOMPARE(image.pixel(close.pixel(QPointF(-25, 0.2))), background.rgba());
}

void TestRenderItems::selectedLaneShowsArrows()
{
    Edge *in = layout.edge(QStringLiteral("N"), QStringLiteral("C"));
    Lane *lane = in->lane(1);
    auto *item = itemOf<Laneg>(net, lane);
    const GeoPolyline s = lane->skeleton();
    // The arrow tips lie every 4 units from the lane start, at 4k + 2.
    const double tip = 4.0 * 16 + 2.0;
    QPointF head;
    s.lineAtDistance(tip - 0.3, true, &head);
    QPointF plain;
    s.lineAtDistance(tip + 1.0, true, &plain);
    QVERIFY(close.source.contains(head));

    const QImage before = renderScene(scene, close);
    QVERIFY(!anyPixel(before, close.pixel(head), 6, QColor(Qt::darkGreen)));

    item->setSelected(true);
    const QImage selected = renderScene(scene, close);
    QVERIFY(anyPixel(selected, close.pixel(head), 6, QColor(Qt::darkGreen)));
    QVERIFY(sameColor(selected.pixel(close.pixel(plain)), QColor(Qt::yellow), 0));

    // A lane that allows nothing is yellow when selected but has no arrows.
    lane->setAllowed(Lane::VehicleClasses());
    refresh(net);
    QVERIFY(item->isSelected());
    const QImage none = renderScene(scene, close);
    QVERIFY(!anyPixel(none, close.pixel(head), 6, QColor(Qt::darkGreen)));
    QVERIFY(sameColor(none.pixel(close.pixel(plain)), QColor(Qt::yellow), 0));
    item->setSelected(false);
    const QImage split = renderScene(scene, close);
    QVERIFY(sameColor(split.pixel(close.pixel(plain)), over(Laneg::splitlaneColor, background)));
}

void TestRenderItems::junctionOutlineIsFilled()
{
    Node *c = layout.node(QStringLiteral("C"));
    QVERIFY(c->shape().contains(QPointF(4, 4)));
    const QImage image = renderScene(scene, close);
    const QRgb p = image.pixel(close.pixel(QPointF(4, 4)));
    QVERIFY2(sameColor(p, over(Nodeg::junctionColor, background)), qPrintable(describe(p)));

    // Selected: the selected junction colour.
    itemOf<Nodeg>(net, c)->setSelected(true);
    const QImage selected = renderScene(scene, close);
    QVERIFY(sameColor(selected.pixel(close.pixel(QPointF(4, 4))), over(Nodeg::junctionSelectedColor, background)));
    // The plain node at the arm's end: a 10-pixel marker whatever the zoom.
    const View far{QRectF(-120, -120, 240, 240), 2.0};
    const QImage overview = renderScene(scene, far);
    const QPoint n = far.pixel(QPointF(0, 100));
    QVERIFY(sameColor(overview.pixel(n + QPoint(3, 3)), Nodeg::nodeColor));
    QVERIFY(!sameColor(overview.pixel(n + QPoint(9, 0)), Nodeg::nodeColor));
}

void TestRenderItems::wireframeShowsSkeletonsOnly()
{
    net->setWireframe(true);
    const QImage image = renderScene(scene, close);
    Edge *in = layout.edge(QStringLiteral("N"), QStringLiteral("C"));
    // No surface, no marking.
    QCOMPARE(image.pixel(close.pixel(onLane(in->lane(1), QPointF(0, 25)))), background.rgba());
    QCOMPARE(image.pixel(close.pixel(QPointF(0.2, 25))), background.rgba());
    // The skeleton line of the two edges on x = 0, in black.
    QVERIFY(anyPixel(image, close.pixel(QPointF(0, 25)), 1, Qt::black));

    net->setWireframe(false);
    const QImage back = renderScene(scene, close);
    QVERIFY(sameColor(back.pixel(close.pixel(QPointF(0.2, 25))), Qt::white, 0));
    QVERIFY(sameColor(back.pixel(close.pixel(onLane(in->lane(1), QPointF(0, 25)))), over(Laneg::roadColor, background)));
}

void TestRenderItems::itemsDrawInsideTheirBounds()
{
    QList<QGraphicsItem *> items;
    for (Trelvoga::GenericGraphicsItem *item : net->items()) {
        items.append(item);
        if (auto *edge = dynamic_cast<Edgeg *>(item))
            items.append(edge->marking());
        // Selected, so that lanes draw their arrows too.
        if (item->flags() & QGraphicsItem::ItemIsSelectable)
            item->setSelected(true);
    }
    QVERIFY(items.size() > 50);
    const View whole{QRectF(-110, -110, 220, 220), 4.0};
    for (bool wireframe : {false, true}) {
        net->setWireframe(wireframe);
        for (const View &view : {whole, close}) {
            for (QGraphicsItem *item : items) {
                if (!item->isVisible())
                    continue;
                auto *generic = dynamic_cast<Trelvoga::GenericGraphicsItem *>(item);
                const QString what = QStringLiteral("%1 %2 (%3)")
                                         .arg(item->type() - QGraphicsItem::UserType)
                                         .arg(generic && generic->networkObject() ? generic->networkObject()->printableName() : QStringLiteral("marking"))
                                         .arg(wireframe ? "wireframe" : "normal");
                checkInsideBounds(item, view, what);
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }
}

void TestRenderItems::removedObjectsTakeTheirItems()
{
    // Rendered first, so that the scene indexes the items when they go.
    renderScene(scene, close);
    Edge *in = layout.edge(QStringLiteral("N"), QStringLiteral("C"));
    const QList<Lane *> lanes = in->lanes();
    auto *edgeItem = itemOf<Edgeg>(net, in);
    QVERIFY(scene->items().contains(edgeItem->marking()));
    const int before = scene->items().size();
    delete in;
    // The edge, its marking, its three lanes and their six lines.
    QCOMPARE(scene->items().size(), before - 11);
    for (Lane *lane : lanes)
        QVERIFY(!net->object2item(lane));
    // The other direction has lost its opposite: no centre line any more.
    refresh(net);
    const QImage image = renderScene(scene, close);
    QCOMPARE(image.pixel(close.pixel(QPointF(-0.2, 25))), background.rgba());
    QVERIFY(sameColor(image.pixel(close.pixel(QPointF(0.2, 25))), over(Laneg::roadColor, background)));
}

QTEST_MAIN(TestRenderItems)
#include "tst_items_render.moc"
