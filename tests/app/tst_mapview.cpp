#include "mapview.h"

#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "node.h"
#include "lane.h"
#include "edge.h"
#include "connection.h"

#include <QDialog>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Around Cologne cathedral, in degrees.
const QPointF Centre(6.9583, 50.9413);

struct ViewFixture
{
    ViewFixture()
        : view(&scene)
    {
        scene.setSceneRect(QRectF(Centre - QPointF(0.5, 0.5), QSizeF(1.0, 1.0)));
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

    QGraphicsScene scene;
    MapView view;
};

// A rectangle of w x h pixels at the given zoom, centred on Centre.
QRectF rectOfPixels(double w, double h, int zoom)
{
    const double dx = w / MapView::pixelsPerUnitX(zoom, true);
    const double dy = h / MapView::pixelsPerUnitY(zoom, true, Centre.y());
    return QRectF(Centre.x() - dx / 2, Centre.y() - dy / 2, dx, dy);
}

// Remembers the types of the items each paint is given.
class CountingScene : public Trelvoga::NetworkScene
{
public:
    QHash<int, int> painted;

protected:
    void drawItems(QPainter *painter, int numItems, QGraphicsItem *items[], const QStyleOptionGraphicsItem options[],
                   QWidget *widget) override
    {
        for (int i = 0; i < numItems; ++i)
            ++painted[items[i]->type()];
        NetworkScene::drawItems(painter, numItems, items, options, widget);
    }
};

} // namespace

class TestMapView : public QObject
{
    Q_OBJECT

private slots:
    void zoomLevelsAreThoseOfAWebMap();
    void fitInViewPicksTheLargestFittingZoom();
    void fitInViewZCentresAtTheGivenZoom();
    void northIsUp();
    void sceneStaysActiveUnderAModalDialog();
    void wheelZoomKeepsThePointUnderTheCursor();
    void signalsFireOnRealInput();
    void enabledPathShadesTheRest();
    void zoomedOutPaintLeavesOutJunctionDetails();
    void zoomedOutPaintLeavesOutDetailsAroundTheOrigin();
};

// Counts the activation events a top-level item of the scene gets.
class ActivationCounter : public QGraphicsRectItem
{
public:
    int activations = 0;
    int deactivations = 0;

protected:
    bool sceneEvent(QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate)
            ++activations;
        else if (event->type() == QEvent::WindowDeactivate)
            ++deactivations;
        return QGraphicsRectItem::sceneEvent(event);
    }
};

void TestMapView::sceneStaysActiveUnderAModalDialog()
{
    // A modal dialog of the window's own takes the focus and gives it back: the scene stays active
    // (becoming active again walks all its items). Another window taking the focus deactivates it.
    ViewFixture f;
    auto *counter = new ActivationCounter;
    f.scene.addItem(counter);
    QApplication::setActiveWindow(&f.view);
    QVERIFY(f.scene.isActive());
    const int activations = counter->activations;

    QDialog dialog(&f.view);
    dialog.setModal(true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(f.scene.isActive());
    dialog.hide();
    QApplication::setActiveWindow(&f.view);
    QVERIFY(f.scene.isActive());
    QCOMPARE(counter->activations, activations);
    QCOMPARE(counter->deactivations, 0);

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(!f.scene.isActive());
    QCOMPARE(counter->deactivations, 1);
    QApplication::setActiveWindow(&f.view);
    QVERIFY(f.scene.isActive());
    QCOMPARE(counter->activations, activations + 1);
}

void TestMapView::zoomLevelsAreThoseOfAWebMap()
{
    // Zoom 0 shows the whole turn of longitude in one 256-pixel tile.
    QCOMPARE(MapView::pixelsPerUnitX(0, true) * 360.0, 256.0);
    QCOMPARE(MapView::pixelsPerUnitX(18, true), 256.0 * (1 << 18) / 360.0);
    // At 60 degrees latitude a degree of latitude is twice as many pixels as one of longitude.
    QVERIFY(qAbs(MapView::pixelsPerUnitY(10, true, 60.0) / MapView::pixelsPerUnitX(10, true) - 2.0) < 1e-9);
    // Model mode has square pixels.
    QCOMPARE(MapView::pixelsPerUnitY(12, false, 60.0), MapView::pixelsPerUnitX(12, false));
}

void TestMapView::fitInViewPicksTheLargestFittingZoom()
{
    ViewFixture f;
    QSignalSpy zoomSpy(&f.view, &MapView::zoomChanged);
    // 600 x 400 pixels at zoom 18 fits an 800 x 600 viewport; at zoom 19 it would be 1200 x 800.
    f.view.fitInView(rectOfPixels(600, 400, 18));
    QCOMPARE(f.view.zoom(), 18);
    QCOMPARE(f.view.property("zoom").toInt(), 18);
    QVERIFY(zoomSpy.count() >= 1);
    QCOMPARE(zoomSpy.last().at(0).toInt(), 18);

    const QSize vp = f.view.viewport()->size();
    f.view.fitInView(rectOfPixels(vp.width() - 2, vp.height() - 2, 15));
    QCOMPARE(f.view.zoom(), 15);
    f.view.fitInView(rectOfPixels(vp.width() + 2, 100, 15));
    QCOMPARE(f.view.zoom(), 14);
}

void TestMapView::fitInViewZCentresAtTheGivenZoom()
{
    ViewFixture f;
    const QRectF r = rectOfPixels(100, 100, 12);
    // Called by name, as the editor does.
    QVERIFY(QMetaObject::invokeMethod(&f.view, "fitInViewZ", Q_ARG(QRectF, r), Q_ARG(int, 18)));
    QCOMPARE(f.view.zoom(), 18);
    const QPoint c = f.view.mapFromScene(r.center());
    const QPoint vc = f.view.viewport()->rect().center();
    QVERIFY2((c - vc).manhattanLength() <= 2, qPrintable(QStringLiteral("centre off by %1,%2")
                                                             .arg(c.x() - vc.x()).arg(c.y() - vc.y())));
    // A rectangle fitted at zoom 18 shows at zoom 18: its pixel size is what that zoom gives.
    const QRectF shown = f.view.mapFromScene(rectOfPixels(600, 400, 18)).boundingRect();
    QVERIFY(qAbs(shown.width() - 600) <= 2);
    QVERIFY(qAbs(shown.height() - 400) <= 2);
}

void TestMapView::northIsUp()
{
    ViewFixture f;
    f.view.fitInViewZ(QRectF(Centre, QSizeF(0, 0)), 16);
    const QPoint here = f.view.mapFromScene(Centre);
    const QPoint north = f.view.mapFromScene(Centre + QPointF(0, 0.001));
    const QPoint east = f.view.mapFromScene(Centre + QPointF(0.001, 0));
    QVERIFY(north.y() < here.y());
    QCOMPARE(north.x(), here.x());
    QVERIFY(east.x() > here.x());
    QCOMPARE(east.y(), here.y());
}

void TestMapView::wheelZoomKeepsThePointUnderTheCursor()
{
    ViewFixture f;
    f.view.fitInViewZ(QRectF(Centre, QSizeF(0, 0)), 14);
    const QPoint at(200, 150);
    const QPointF before = f.view.mapToScene(at);
    QWheelEvent wheel(QPointF(at), QPointF(f.view.viewport()->mapToGlobal(at)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.view.viewport(), &wheel);
    QCOMPARE(f.view.zoom(), 15);
    const QPointF after = f.view.mapToScene(at);
    const double pixel = 1.0 / MapView::pixelsPerUnitX(15, true);
    QVERIFY(qAbs(after.x() - before.x()) < 2 * pixel);
    QVERIFY(qAbs(after.y() - before.y()) < 4 * pixel);
}

void TestMapView::signalsFireOnRealInput()
{
    ViewFixture f;
    f.view.fitInViewZ(QRectF(Centre, QSizeF(0, 0)), 16);
    QSignalSpy released(&f.view, &MapView::mouseReleased);
    QSignalSpy pressed(&f.view, &MapView::keyPressed);
    QSignalSpy keyUp(&f.view, &MapView::keyReleased);

    const QPoint at = f.view.mapFromScene(Centre);
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), int(Qt::LeftButton));
    const QPointF scenePos = released.at(0).at(1).toPointF();
    QVERIFY(qAbs(scenePos.x() - Centre.x()) < 1e-4);
    QVERIFY(qAbs(scenePos.y() - Centre.y()) < 1e-4);

    QTest::keyClick(&f.view, Qt::Key_Delete, Qt::ShiftModifier);
    // The modifier key itself arrives too; the Delete press carries Shift.
    QVERIFY(!pressed.isEmpty() && !keyUp.isEmpty());
    bool found = false;
    for (const QList<QVariant> &args : qAsConst(pressed)) {
        if (args.at(0).toInt() == int(Qt::Key_Delete)) {
            found = true;
            QCOMPARE(args.at(1).toInt(), int(Qt::ShiftModifier));
        }
    }
    QVERIFY(found);
}

void TestMapView::enabledPathShadesTheRest()
{
    ViewFixture f;
    f.view.fitInViewZ(QRectF(Centre, QSizeF(0, 0)), 16);
    auto *bg = f.scene.addRect(f.scene.sceneRect(), Qt::NoPen, Qt::white);
    Q_UNUSED(bg)
    QPainterPath area;
    area.addRect(QRectF(Centre - QPointF(0.001, 0.001), QSizeF(0.002, 0.002)));
    QVERIFY(QMetaObject::invokeMethod(&f.view, "setEnabledPath", Q_ARG(QPainterPath, area)));
    QCOMPARE(f.view.enabledPath(), area);

    const QImage img = f.view.viewport()->grab().toImage();
    const QPoint inside = f.view.mapFromScene(Centre);
    const QPoint outside(5, 5);
    QCOMPARE(QColor(img.pixel(inside)), QColor(Qt::white));
    QVERIFY(QColor(img.pixel(outside)).lightness() < 255);

    QPainterPath more;
    more.addRect(QRectF(Centre + QPointF(0.01, 0.01), QSizeF(0.001, 0.001)));
    f.view.uniteEnabledPath(more);
    QVERIFY(f.view.enabledPath().contains(Centre));
    QVERIFY(f.view.enabledPath().contains(Centre + QPointF(0.0105, 0.0105)));
}

void TestMapView::zoomedOutPaintLeavesOutJunctionDetails()
{
    CountingScene scene;
    Trelvoga::Networkg net(&scene);
    QVERIFY2(net.load(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva")), qPrintable(net.errorString()));
    MapView view(&scene);
    view.setGeographic(net.geoUtil() != nullptr);
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRectF bounds = net.boundingRect();
    // As the window does: room to pan around the network.
    scene.setSceneRect(bounds.adjusted(-1, -1, 1, 1));
    auto itemsOfType = [&](int type) {
        QList<QGraphicsItem *> found;
        for (QGraphicsItem *item : scene.items(bounds))
            if (item->type() == type)
                found.append(item);
        return found;
    };
    const int connectionCount = net.findChildren<Trelvoa::Connection *>().size();
    QVERIFY(connectionCount > 1);
    auto paint = [&](bool whole) {
        view.fitInView(bounds);
        if (!whole)
            view.setZoom(19);
        QCoreApplication::processEvents();
        scene.painted.clear();
        view.viewport()->update();
        QVERIFY(QTest::qWaitFor([&] { return !scene.painted.isEmpty(); }));
    };

    // Seen whole: roads, but none of the stoplines, connections or markings, not even to be passed over.
    // Their items are not even made: a load leaves them to the first paint close enough to show them.
    QCOMPARE(itemsOfType(Trelvoga::ItemType::Connectiong).size(), 0);
    QVERIFY(net.unmadeItemCount() > connectionCount);
    paint(true);
    // Zoom 16 at this latitude: two thirds of a pixel per metre.
    QVERIFY(view.zoom() <= 16);
    QVERIFY(scene.painted.value(Trelvoga::ItemType::Laneg) > 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Connectiong), 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Stoplineg), 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Marking), 0);
    // Roads are drawn by their lanes at every zoom.
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Edgeg), 0);
    QCOMPARE(itemsOfType(Trelvoga::ItemType::Connectiong).size(), 0);

    // Close up, all of them in view: the paint makes them first.
    paint(false);
    QVERIFY(scene.painted.value(Trelvoga::ItemType::Connectiong) > 1);
    QVERIFY(scene.painted.value(Trelvoga::ItemType::Marking) > 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Edgeg), 0);
    const int madeClose = itemsOfType(Trelvoga::ItemType::Connectiong).size();
    QVERIFY(madeClose >= scene.painted.value(Trelvoga::ItemType::Connectiong));

    // A look-up by area (selection, copy by polygon) asks for the rest first; a paint far out then leaves
    // the tiles as they were, so that the look-up finds every connection.
    scene.makeItemsIn(bounds);
    QCOMPARE(net.unmadeItemCount(), 0);
    paint(true);
    const QList<QGraphicsItem *> connections = itemsOfType(Trelvoga::ItemType::Connectiong);
    QCOMPARE(connections.size(), connectionCount);

    // A selected connection is drawn at any zoom.
    connections.first()->setSelected(true);
    paint(true);
    QVERIFY(scene.painted.value(Trelvoga::ItemType::Connectiong) >= 1);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Stoplineg), 0);
    connections.first()->setSelected(false);
}

void TestMapView::zoomedOutPaintLeavesOutDetailsAroundTheOrigin()
{
    // A network in plain metres with the origin in it, as generated grids are: the tiles passed over
    // for a paint far out must stay out of it there too.
    CountingScene scene;
    Trelvoga::Networkg net(&scene);
    QHash<QPair<int, int>, Trelvoa::Node *> nodes;
    for (int i = -2; i <= 2; ++i) {
        for (int j = -2; j <= 2; ++j) {
            nodes.insert({i, j}, new Trelvoa::Node(&net, QPointF(i * 1000.0, j * 1000.0)));
            net.addItem(nodes.value({i, j}));
        }
    }
    auto road = [&net](Trelvoa::Node *a, Trelvoa::Node *b) {
        auto *edge = new Trelvoa::Edge(&net, a, b);
        new Trelvoa::Lane(edge);
        new Trelvoa::Lane(edge);
        net.addItem(edge);
    };
    for (int i = -2; i <= 2; ++i) {
        for (int j = -2; j < 2; ++j) {
            road(nodes.value({i, j}), nodes.value({i, j + 1}));
            road(nodes.value({j, i}), nodes.value({j + 1, i}));
        }
    }
    QCoreApplication::processEvents();
    MapView view(&scene);
    view.setGeographic(false);
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRectF bounds = net.boundingRect();
    scene.setSceneRect(bounds.adjusted(-bounds.width(), -bounds.height(), bounds.width(), bounds.height()));
    view.fitInView(bounds);
    QVERIFY(view.mapToScene(view.viewport()->rect()).boundingRect().contains(QPointF(0, 0)));
    QCoreApplication::processEvents();
    scene.painted.clear();
    view.viewport()->update();
    QVERIFY(QTest::qWaitFor([&] { return !scene.painted.isEmpty(); }));
    QVERIFY(scene.painted.value(Trelvoga::ItemType::Laneg) > 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Edgeg), 0);
    QCOMPARE(scene.painted.value(Trelvoga::ItemType::Marking), 0);
}

QTEST_MAIN(TestMapView)
#include "tst_mapview.moc"
