// The street-view panorama: the real page in a real web view, its channel to the editor and the marker
// on the map, with a stand-in for the street-view service served from the loopback interface. With
// TRELVO_SHOT_DIR set (and a display, e.g. under xvfb-run), the main window with the dock is written
// there as a screenshot.

#include "standin.h"

#include "editorfixture.h"
#include "mainwindow.h"
#include "mapview.h"

#include "editor/netedit.h"
#include "panorama/panoramagraphicsitem.h"
#include "panorama/viewareaitem.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QGraphicsScene>
#include <QInputDialog>
#include <QMainWindow>
#include <QPointer>
#include <QScopeGuard>
#include <QWindow>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

using Trelvoga::PanoramaGraphicsItem;

namespace {

const QString apiKey = QStringLiteral("TEST-KEY");

// A road A (0, 0) - B (100, 0), one lane each way, and a lone node C (50, 60) that gives the view some
// height: empty ground lies between the road and C.
Layouts::Layout road(Trelvoa::Network *net)
{
    Layouts::Layout l;
    l.net = net;
    Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0));
    Layouts::addNode(l, QStringLiteral("B"), QPointF(100, 0));
    Layouts::addNode(l, QStringLiteral("C"), QPointF(50, 60));
    Layouts::addRoad(l, QStringLiteral("A"), QStringLiteral("B"), 1);
    return l;
}

void setPanoramaSettings(const QString &key, const QUrl &loader)
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("NeteditPanorama"));
    if (key.isEmpty())
        settings.remove(QStringLiteral("api_key"));
    else
        settings.setValue(QStringLiteral("api_key"), key);
    settings.setValue(QStringLiteral("loader_url"), loader.toString());
}

QAction *findAction(QMenu *menu, const QString &text)
{
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (QAction *inner = findAction(action->menu(), text))
            return inner;
    }
    return nullptr;
}

QPointF pointAlong(const Trelvoa::Lane *lane, double distance)
{
    QPointF point;
    lane->fullSkeleton().lineAtDistance(distance, true, &point);
    return point;
}

QList<PanoramaGraphicsItem *> markers(QGraphicsScene *scene)
{
    QList<PanoramaGraphicsItem *> result;
    for (QGraphicsItem *item : scene->items()) {
        if (item->type() == PanoramaGraphicsItem::Type)
            result.append(static_cast<PanoramaGraphicsItem *>(item));
    }
    return result;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString js(const QString &format, double a, double b)
{
    return format.arg(a, 0, 'g', 17).arg(b, 0, 'g', 17);
}

// Whether the stand-in's last call of that name carried these values (within 1e-9).
QString lastCallIs(const QString &name, const QList<double> &values)
{
    QString test = QStringLiteral("(function() { if (typeof standIn === 'undefined') return false;"
                                  " var c = standIn.last('%1'); if (!c) return false;").arg(name);
    for (int i = 0; i < values.size(); ++i)
        test += QStringLiteral(" if (Math.abs(c[%1] - (%2)) > 1e-9) return false;").arg(i + 1).arg(values.at(i), 0, 'g', 17);
    return test + QStringLiteral(" return true; })()");
}

// The editor on the road, a main window for its dock, and the stand-in service.
struct Setup
{
    explicit Setup(const QString &key = apiKey)
    {
        setPanoramaSettings(key, server.loaderUrl());
        fixture = std::make_unique<EditorFixture>(road);
        window.resize(900, 600);
        fixture->edit()->setCustomMainWindow(&window);
    }
    ~Setup()
    {
        fixture.reset();
        delete dock();
        flushDeletes();
    }

    QDockWidget *dock() const { return window.findChild<QDockWidget *>(QStringLiteral("panorama")); }
    QWebEnginePage *page() const
    {
        auto *view = dock() ? qobject_cast<QWebEngineView *>(dock()->widget()) : nullptr;
        return view ? view->page() : nullptr;
    }
    // The menu of a right click at a model point.
    std::unique_ptr<QMenu> menuAt(const QPointF &modelXY)
    {
        return std::unique_ptr<QMenu>(fixture->edit()->contextMenuFor(fixture->view()->viewport(),
                                                                      fixture->toViewport(modelXY)));
    }
    // Triggers "Show panorama" ("Update panorama" once the dock is open) of the menu at that point;
    // the scene point of the click (null without the entry).
    QPointF show(const QPointF &modelXY)
    {
        std::unique_ptr<QMenu> menu = menuAt(modelXY);
        QAction *action = findAction(menu.get(), dock() ? QStringLiteral("Update panorama") : QStringLiteral("Show panorama"));
        if (!action)
            return QPointF();
        const QPointF clicked = action->data().toList().value(0).toPointF();
        action->trigger();
        return clicked;
    }
    bool pageReady() const
    {
        return page() && StandIn::waitForJs(page(), QStringLiteral("typeof channel !== 'undefined' && channel !== null"
                                                                   " && typeof standIn !== 'undefined'"
                                                                   " && standIn.panorama !== null"));
    }

    StandIn::Server server;
    QMainWindow window;
    std::unique_ptr<EditorFixture> fixture;
};

} // namespace

class TestPanorama : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void headingAndAngle();
    void markerGeometry();
    void markerGeometryProjected();
    void entryNeedsKey();
    void showOnEmptyGround();
    void panoramaDrivesMarker();
    void markerDrivesPanorama();
    void secondShowOnlyMovesView();
    void laneGivesHeading();
    void newKeyReloadsPage();
    void closingRemovesMarker();
    void dockReturnsToSavedPlace();
    void mainWindowPanorama();
    void screenshot();
};

void TestPanorama::init()
{
    QSettings settings;
    settings.clear();
}

void TestPanorama::headingAndAngle()
{
    // The page's heading runs clockwise from north; the marker's angle is QLineF's in model coordinates.
    QCOMPARE(PanoramaGraphicsItem::angleForHeading(45), 315.0);
    QCOMPARE(PanoramaGraphicsItem::angleForHeading(90), 0.0);
    QCOMPARE(PanoramaGraphicsItem::angleForHeading(450), 0.0);
    QCOMPARE(PanoramaGraphicsItem::headingForAngle(270), 0.0);
    QCOMPARE(PanoramaGraphicsItem::headingForAngle(315), 45.0);
    QCOMPARE(PanoramaGraphicsItem::headingForAngle(-90), 0.0);
    for (double heading : {0.0, 12.5, 180.0, 359.0})
        QCOMPARE(PanoramaGraphicsItem::headingForAngle(PanoramaGraphicsItem::angleForHeading(heading)), heading);
}

void TestPanorama::markerGeometry()
{
    QGraphicsScene scene;
    auto *marker = new PanoramaGraphicsItem(QPointF(10, 20), 0.0, nullptr);
    scene.addItem(marker);
    QCOMPARE(marker->pos(), QPointF(10, 20));
    // Facing east (angle 0): the sector opens 60° about +x, 20 units out; the dot is 20/7 across.
    const QRectF sector = marker->sectorPath().toFillPolygon().boundingRect();
    QVERIFY2(qAbs(sector.left()) < 1e-9 && qAbs(sector.right() - 20) < 0.01, qPrintable(QString::number(sector.right())));
    // Arcs are Bézier curves: a few thousandths off the circle.
    QVERIFY2(qAbs(sector.top() + 10) < 0.01 && qAbs(sector.bottom() - 10) < 0.01,
             qPrintable(QStringLiteral("%1 %2").arg(sector.top()).arg(sector.bottom())));
    QVERIFY(qAbs(marker->dotPath().boundingRect().width() - 40.0 / 7) < 1e-6);
    QCOMPARE(marker->viewArea()->path(), marker->sectorPath());
    QVERIFY(marker->viewArea()->contains(QPointF(15, 0)));
    QVERIFY(!marker->viewArea()->contains(QPointF(-15, 0)));

    // Facing south-west in model terms (225): the sector lies left, below the x axis in Qt's terms.
    marker->setAngle(225);
    QVERIFY(marker->viewArea()->contains(QPointF(-8, 8)));
    QVERIFY(!marker->viewArea()->contains(QPointF(15, 0)));

    // The same angle again changes nothing; a full turn is the same angle.
    const QPainterPath before = marker->sectorPath();
    marker->setAngle(225 + 360);
    QCOMPARE(marker->angle(), 225.0);
    QCOMPARE(marker->sectorPath(), before);

    // Moved, the geometry stays relative to the item.
    marker->setPos(500, -300);
    QCOMPARE(marker->sectorPath(), before);
}

void TestPanorama::markerGeometryProjected()
{
    // In a projected network the scene is in degrees: the sector is still 20 m on the ground.
    Trelvoa::Network net;
    QVERIFY(net.setProjection("+proj=utm +zone=33 +ellps=WGS84 +datum=WGS84 +units=m +no_defs"));
    const QPointF centreXY(390000, 5820000);
    const QPointF centre = net.geoUtil()->xyToGeo(centreXY);
    QGraphicsScene scene;
    auto *marker = new PanoramaGraphicsItem(centre, 90.0, &net);
    scene.addItem(marker);
    const auto farthest = [&](Trelvoa::GeoUtil *geo, const QPointF &centreXY) {
        double result = 0;
        for (const QPointF &point : marker->mapToScene(marker->sectorPath()).toFillPolygon()) {
            const QPointF xy = geo->geoToXY(point);
            result = qMax(result, QLineF(centreXY, xy).length());
            // Angle 90 looks south in model terms (y decreasing).
            if (xy.y() > centreXY.y() + 1e-6)
                return -1.0;
        }
        return result;
    };
    const double reach = farthest(net.geoUtil(), centreXY);
    QVERIFY2(qAbs(reach - 20) < 0.05, qPrintable(QString::number(reach)));

    // A load replaces the network's projection while the marker stays: it lays out with the new one.
    QVERIFY(net.setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs", QPointF(-1000, 0)));
    marker->setAngle(100);
    marker->setPos(marker->pos() + QPointF(0.0001, 0));
    const QPointF movedXY = net.geoUtil()->geoToXY(marker->pos());
    const double after = farthest(net.geoUtil(), movedXY);
    QVERIFY2(after > 19.9 && after < 20.1, qPrintable(QString::number(after)));
}

void TestPanorama::entryNeedsKey()
{
    {
        Setup noKey{QString()};
        std::unique_ptr<QMenu> menu = noKey.menuAt(QPointF(50, 30));
        QVERIFY(!findAction(menu.get(), QStringLiteral("Show panorama")));
        QVERIFY(!findAction(menu.get(), QStringLiteral("Update panorama")));
        // Nor on a lane.
        Trelvoa::Lane *lane = noKey.fixture->edge(QStringLiteral("A"), QStringLiteral("B"))->lanes().first();
        noKey.fixture->net()->object2item(lane)->setSelected(true);
        menu = noKey.menuAt(pointAlong(lane, 50));
        QVERIFY(menu);
        QVERIFY(!findAction(menu.get(), QStringLiteral("Show panorama")));
    }
    Setup withKey;
    std::unique_ptr<QMenu> menu = withKey.menuAt(QPointF(50, 30));
    QAction *action = findAction(menu.get(), QStringLiteral("Show panorama"));
    QVERIFY(action);
    const QVariantList data = action->data().toList();
    QCOMPARE(data.size(), 2);
    QVERIFY((data.at(0).toPointF() - withKey.fixture->toScene(QPointF(50, 30))).manhattanLength() < 0.5);
    QVERIFY(!data.at(1).isValid());

    // A selection takes the place of the entry on empty ground.
    withKey.fixture->net()->object2item(withKey.fixture->node(QStringLiteral("C")))->setSelected(true);
    menu = withKey.menuAt(QPointF(50, 30));
    QVERIFY(!findAction(menu.get(), QStringLiteral("Show panorama")));
}

void TestPanorama::showOnEmptyGround()
{
    Setup s;
    const QPointF point = s.show(QPointF(50, 30));
    QVERIFY(!point.isNull());
    // The click's pixel, mapped back.
    QVERIFY((point - s.fixture->toScene(QPointF(50, 30))).manhattanLength() < 0.5);
    QDockWidget *dock = s.dock();
    QVERIFY(dock);
    QCOMPARE(dock->windowTitle(), QStringLiteral("Panorama"));
    QCOMPARE(dock->allowedAreas(), Qt::AllDockWidgetAreas);
    QVERIFY(dock->testAttribute(Qt::WA_DeleteOnClose));
    // Nothing saved for it in this window: it floats.
    QVERIFY(dock->isFloating());
    QVERIFY(qobject_cast<QWebEngineView *>(dock->widget()));

    // The marker stands at the point, looking north (heading 0).
    const QList<PanoramaGraphicsItem *> found = markers(s.fixture->scene());
    QCOMPARE(found.size(), 1);
    const QPointF markerPos = found.first()->pos();
    QVERIFY((markerPos - point).manhattanLength() < 1e-9);
    QCOMPARE(found.first()->angle(), 270.0);

    QVERIFY(s.pageReady());
    // The page asked the loader with the key and its callback.
    QTRY_VERIFY_WITH_TIMEOUT(!s.server.requests().isEmpty(), 5000);
    const QUrlQuery query(QUrl(s.server.requests().first()));
    QCOMPARE(query.queryItemValue(QStringLiteral("key")), apiKey);
    QCOMPARE(query.queryItemValue(QStringLiteral("callback")), QStringLiteral("initialize"));
    // Both objects are on the channel, and the page was sent the point: latitude y, longitude x.
    QVERIFY(StandIn::runJs(s.page(), QStringLiteral("channel.objects.trelvo !== undefined"
                                                    " && channel.objects.trelvoMarker !== undefined")).toBool());
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPosition"), {point.y(), point.x()})));
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {0.0})));
}

void TestPanorama::panoramaDrivesMarker()
{
    Setup s;
    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.pageReady());
    PanoramaGraphicsItem *marker = markers(s.fixture->scene()).value(0);
    QVERIFY(marker);
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {0.0})));

    // Turning in the panorama: heading 45 is the marker's angle 315.
    StandIn::runJs(s.page(), QStringLiteral("standIn.panorama.setPov({heading: 45, pitch: 0}); true"));
    QTRY_COMPARE_WITH_TIMEOUT(marker->angle(), 315.0, 5000);
    StandIn::runJs(s.page(), QStringLiteral("standIn.panorama.setPov({heading: 180, pitch: 10}); true"));
    QTRY_COMPARE_WITH_TIMEOUT(marker->angle(), 90.0, 5000);

    // Walking in the panorama moves the marker to (lng, lat).
    const QPointF target = s.fixture->toScene(QPointF(20, 40));
    StandIn::runJs(s.page(), js(QStringLiteral("standIn.panorama.setPosition({lat: %1, lng: %2}); true"), target.y(), target.x()));
    QTRY_VERIFY_WITH_TIMEOUT((marker->pos() - target).manhattanLength() < 1e-9, 5000);
}

void TestPanorama::markerDrivesPanorama()
{
    Setup s;
    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.pageReady());
    PanoramaGraphicsItem *marker = markers(s.fixture->scene()).value(0);
    QVERIFY(marker);
    QSignalSpy moved(marker, &PanoramaGraphicsItem::posChanged);
    QSignalSpy turned(marker, &PanoramaGraphicsItem::angChanged);

    // Dragging the dot: the panorama goes where the marker lands.
    s.fixture->press(QPointF(50, 30));
    s.fixture->move(QPointF(40, 35));
    s.fixture->move(QPointF(30, 40));
    s.fixture->release(QPointF(30, 40));
    QCOMPARE(moved.count(), 1);
    const QPointF landed = marker->pos();
    QVERIFY((landed - s.fixture->toScene(QPointF(30, 40))).manhattanLength() < 0.5);
    QCOMPARE(moved.first().at(0).toDouble(), landed.y());
    QCOMPARE(moved.first().at(1).toDouble(), landed.x());
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPosition"), {landed.y(), landed.x()})));

    // A click on the dot without moving does not reload the panorama.
    s.fixture->click(QPointF(30, 40));
    QCOMPARE(moved.count(), 1);

    // Turning the sector (looking north: it lies above the dot) to face east: heading 90.
    s.fixture->press(QPointF(30, 52));
    s.fixture->move(QPointF(36, 50));
    s.fixture->move(QPointF(45, 40));
    QVERIFY(qAbs(marker->angle()) < 1.0 || qAbs(marker->angle() - 360) < 1.0);
    QCOMPARE(turned.count(), 0);
    s.fixture->release(QPointF(45, 40));
    QCOMPARE(turned.count(), 1);
    const double heading = turned.first().at(0).toDouble();
    QCOMPARE(heading, PanoramaGraphicsItem::headingForAngle(marker->angle()));
    QVERIFY(qAbs(heading - 90) < 1.0);
    // Turning does not move the marker.
    QCOMPARE(marker->pos(), landed);
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {heading})));
}

void TestPanorama::secondShowOnlyMovesView()
{
    Setup s;
    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.pageReady());
    QDockWidget *dock = s.dock();
    PanoramaGraphicsItem *marker = markers(s.fixture->scene()).value(0);
    QVERIFY(marker);

    const QPointF second = s.show(QPointF(80, 45));
    QVERIFY(!second.isNull());
    QCOMPARE(s.window.findChildren<QDockWidget *>().size(), 1);
    QCOMPARE(s.dock(), dock);
    QCOMPARE(markers(s.fixture->scene()).size(), 1);
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPosition"), {second.y(), second.x()})));
    // The same page: no second load, the panorama object is the first one.
    QCOMPARE(StandIn::runJs(s.page(), QStringLiteral("standIn.calls.filter(function(c) { return c[0] === 'create'; }).length")).toInt(), 1);
    QCOMPARE(s.server.requests().size(), 1);
    // The marker follows through the page.
    QTRY_VERIFY_WITH_TIMEOUT((marker->pos() - second).manhattanLength() < 1e-9, 5000);
}

void TestPanorama::laneGivesHeading()
{
    Setup s;
    Trelvoa::Lane *east = s.fixture->edge(QStringLiteral("A"), QStringLiteral("B"))->lanes().first();
    Trelvoa::Lane *west = s.fixture->edge(QStringLiteral("B"), QStringLiteral("A"))->lanes().first();
    Trelvoga::GenericGraphicsItem *eastItem = s.fixture->net()->object2item(east);
    eastItem->setSelected(true);
    const QPointF onEast = pointAlong(east, 30);
    std::unique_ptr<QMenu> menu = s.menuAt(onEast);
    QAction *action = findAction(menu.get(), QStringLiteral("Show panorama"));
    QVERIFY(action);
    QCOMPARE(action->data().toList().value(1).value<QObject *>(), static_cast<QObject *>(east));
    action->trigger();
    // Along a lane heading east: heading 90, the marker's angle 0.
    PanoramaGraphicsItem *marker = markers(s.fixture->scene()).value(0);
    QVERIFY(marker);
    QCOMPARE(marker->angle(), 0.0);
    QVERIFY(s.pageReady());
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {90.0})));

    eastItem->setSelected(false);
    s.fixture->net()->object2item(west)->setSelected(true);
    // The tree follows the scene a moment later; until then both lanes count as selected.
    QTRY_VERIFY_WITH_TIMEOUT(s.fixture->edit()->selectedObjects() == QList<Trelvoa::NetObject *>{west}, 3000);
    const QPointF onWest = pointAlong(west, 30);
    menu = s.menuAt(onWest);
    action = findAction(menu.get(), QStringLiteral("Update panorama"));
    QVERIFY(action);
    action->trigger();
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {270.0})));
    QTRY_COMPARE_WITH_TIMEOUT(marker->angle(), 180.0, 5000);
}

void TestPanorama::newKeyReloadsPage()
{
    Setup s;
    const QPointF point = s.show(QPointF(50, 30));
    QVERIFY(!point.isNull());
    QVERIFY(s.pageReady());
    QCOMPARE(s.server.requests().size(), 1);

    const auto answer = [](const QString &text, bool accept) {
        QTimer::singleShot(0, [text, accept] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Googl panorama"));
            QCOMPARE(dialog->labelText(), QStringLiteral("API key:"));
            dialog->setTextValue(text);
            accept ? dialog->accept() : dialog->reject();
        });
    };
    // The same key, an empty one or a cancel change nothing.
    answer(apiKey, true);
    s.fixture->edit()->showPanoramaSetupDlg(&s.window);
    answer(QString(), true);
    s.fixture->edit()->showPanoramaSetupDlg(&s.window);
    answer(QStringLiteral("OTHER"), false);
    s.fixture->edit()->showPanoramaSetupDlg(&s.window);
    QTest::qWait(200);
    QCOMPARE(s.server.requests().size(), 1);

    // A new key is stored and the page reloads with it, set up again at the same place.
    StandIn::runJs(s.page(), QStringLiteral("standIn.panorama.setPov({heading: 200, pitch: 0}); true"));
    answer(QStringLiteral("NEW&KEY"), true);
    s.fixture->edit()->showPanoramaSetupDlg(&s.window);
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("NeteditPanorama/api_key")).toString(), QStringLiteral("NEW&KEY"));
    QTRY_COMPARE_WITH_TIMEOUT(s.server.requests().size(), 2, 5000);
    // The key travels encoded: its ampersand does not end it.
    QCOMPARE(QUrlQuery(QUrl(s.server.requests().last())).queryItemValue(QStringLiteral("key"), QUrl::FullyDecoded),
             QStringLiteral("NEW&KEY"));
    QVERIFY(s.pageReady());
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPosition"), {point.y(), point.x()})));
    QVERIFY(StandIn::waitForJs(s.page(), lastCallIs(QStringLiteral("setPov"), {200.0})));
}

void TestPanorama::closingRemovesMarker()
{
    Setup s;
    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.pageReady());
    QCOMPARE(markers(s.fixture->scene()).size(), 1);
    s.dock()->close();
    flushDeletes();
    QTRY_VERIFY_WITH_TIMEOUT(!s.dock(), 5000);
    QCOMPARE(markers(s.fixture->scene()).size(), 0);
    // Closed, the entry is "Show panorama" again and brings a new dock and marker.
    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.dock());
    QCOMPARE(markers(s.fixture->scene()).size(), 1);
    QVERIFY(s.pageReady());
}

void TestPanorama::dockReturnsToSavedPlace()
{
    Setup s;
    // The window's saved state has the dock on the left, as a session that ended with it there does.
    auto *earlier = new QDockWidget(QStringLiteral("Panorama"), &s.window);
    earlier->setObjectName(QStringLiteral("panorama"));
    s.window.addDockWidget(Qt::LeftDockWidgetArea, earlier);
    const QByteArray state = s.window.saveState();
    delete earlier;
    QVERIFY(s.window.restoreState(state));

    QVERIFY(!s.show(QPointF(50, 30)).isNull());
    QVERIFY(s.dock());
    QVERIFY(!s.dock()->isFloating());
    QCOMPARE(s.window.dockWidgetArea(s.dock()), Qt::LeftDockWidgetArea);
    QVERIFY(s.pageReady());
}

void TestPanorama::mainWindowPanorama()
{
    StandIn::Server server;
    setPanoramaSettings(apiKey, server.loaderUrl());
    // As the program starts: plain raster windows until the first page needs OpenGL.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    auto restore = qScopeGuard([] { QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets, false); });
    MainWindow window;
    window.setInteractive(false);
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowHandle()->surfaceType(), QSurface::RasterSurface);
    // A second window made before the first page: made anew when a page first goes into it.
    MainWindow second;
    second.setInteractive(false);
    second.resize(600, 400);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    const QPointer<QWindow> firstHandle = window.windowHandle();
    const QPointer<QWindow> secondHandle = second.windowHandle();
    const QRect geometry = window.geometry();
    QGraphicsScene *scene = window.scene();
    auto *action = window.findChild<QAction *>(QStringLiteral("actionPanorama"));
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
    auto *dock = window.findChild<QDockWidget *>(QStringLiteral("panorama"));
    QVERIFY(dock);
    auto *view = qobject_cast<QWebEngineView *>(dock->widget());
    QVERIFY(view);
    // The window was made anew for OpenGL, where it stood, with its map and scene as they were.
    QVERIFY(!QCoreApplication::testAttribute(Qt::AA_ForceRasterWidgets));
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.geometry(), geometry);
    QCOMPARE(window.scene(), scene);
    QCOMPARE(window.view()->window(), &window);
    QCOMPARE(dock->window(), dock->isFloating() ? static_cast<QWidget *>(dock) : &window);
    const QPointF centre = window.view()->mapToScene(window.view()->viewport()->rect().center());
    QVERIFY(StandIn::waitForJs(view->page(), lastCallIs(QStringLiteral("setPosition"), {centre.y(), centre.x()})));
    QCOMPARE(markers(window.scene()).size(), 1);
    QVERIFY(firstHandle.isNull() || firstHandle != window.windowHandle());
    QCOMPARE(second.windowHandle(), secondHandle.data());

    second.findChild<QAction *>(QStringLiteral("actionPanorama"))->trigger();
    auto *secondDock = second.findChild<QDockWidget *>(QStringLiteral("panorama"));
    QVERIFY(secondDock);
    QVERIFY(secondHandle.isNull() || secondHandle != second.windowHandle());
    QVERIFY(second.isVisible());
    // Only once: the next page finds the window as it is.
    const QPointer<QWindow> madeAnew = second.windowHandle();
    delete secondDock;
    flushDeletes();
    second.findChild<QAction *>(QStringLiteral("actionPanorama"))->trigger();
    QCOMPARE(second.windowHandle(), madeAnew.data());
    delete second.findChild<QDockWidget *>(QStringLiteral("panorama"));
    second.close();
    window.close();
    delete dock;
    flushDeletes();
}

void TestPanorama::screenshot()
{
    const QString dir = qEnvironmentVariable("TRELVO_SHOT_DIR");
    if (dir.isEmpty())
        QSKIP("TRELVO_SHOT_DIR is not set");
    StandIn::Server server;
    setPanoramaSettings(apiKey, server.loaderUrl());
    MainWindow window;
    window.setInteractive(false);
    window.resize(1400, 800);
    QString error;
    QVERIFY2(window.openFile(QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz"), &error),
             qPrintable(error));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.fitNetwork();
    // The longest lane for cars, picked as the user would, and the panorama shown on it.
    Trelvoa::Lane *best = nullptr;
    for (Trelvoa::Lane *lane : window.network()->findChildren<Trelvoa::Lane *>()) {
        if (lane->allows(Trelvoa::Lane::vcPassenger) && (!best || lane->length() > best->length()))
            best = lane;
    }
    QVERIFY(best);
    Trelvoa::GeoUtil *geo = window.network()->geoUtil();
    const QPointF onLane = geo->xyToGeo(pointAlong(best, best->fullLength() / 2));
    window.view()->setZoom(18);
    window.view()->centerOn(onLane);
    window.network()->object2item(best)->setSelected(true);
    QTest::qWait(200);
    std::unique_ptr<QMenu> menu(window.editor()->contextMenuFor(window.view()->viewport(),
                                                                window.view()->mapFromScene(onLane)));
    QAction *show = findAction(menu.get(), QStringLiteral("Show panorama"));
    QVERIFY(show);
    show->trigger();
    auto *dock = window.findChild<QDockWidget *>(QStringLiteral("panorama"));
    QVERIFY(dock);
    // Docked beside the map, as the user would put it.
    dock->setFloating(false);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    window.resizeDocks({dock}, {560}, Qt::Horizontal);
    auto *view = qobject_cast<QWebEngineView *>(dock->widget());
    QVERIFY(StandIn::waitForJs(view->page(), QStringLiteral("typeof standIn !== 'undefined' && standIn.last('setPov') !== null")));
    window.network()->object2item(best)->setSelected(false);
    QTest::qWait(1000);
    QDir().mkpath(dir);
    QImage image = window.screen()->grabWindow(window.winId()).toImage();
    if (image.isNull())
        image = window.grab().toImage();
    QVERIFY(image.save(dir + QStringLiteral("/panorama_dock.png")));
    window.close();
    delete dock;
    flushDeletes();
}

int main(int argc, char *argv[])
{
    StandIn::prepareWebEngine();
    QApplication app(argc, argv);
    StandIn::isolateSettings();
    TestPanorama test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_panorama.moc"
