// A user's session in the application's own window, driven by real mouse events on the map: open the
// bundled sample, draw two junctions and a two-way road between them, connect its lanes at the far
// junction, put a crosswalk across the road there, save, close, open the file again. With
// TRELVO_SHOT_DIR set, the window before and after is written there as screenshots.

#include "mainwindow.h"
#include "mapview.h"

#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "node.h"
#include "stopline.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QUndoStack>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString sample = QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva");

template<class T>
QList<T *> objects(Trelvoa::Network *net)
{
    return net->findChildren<T *>();
}

// The model point a fraction of the way along a lane's skeleton.
QPointF along(const Trelvoa::Lane *lane, double fraction)
{
    const Trelvoa::GeoPolyline line = lane->skeleton();
    return line.part(0, line.length() * fraction).points().last();
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void drawSaveReopen();
    void copyBetweenWindows();

private:
    void shot(MainWindow &window, const QString &name);
    QPoint pixel(MainWindow &window, const QPointF &modelXY);
    void click(MainWindow &window, const QPointF &modelXY);
    void trigger(MainWindow &window, const QString &action);
};

void TestSession::shot(MainWindow &window, const QString &name)
{
    const QString dir = qEnvironmentVariable("TRELVO_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(300);
    window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QPoint TestSession::pixel(MainWindow &window, const QPointF &modelXY)
{
    Trelvoa::GeoUtil *geo = window.editor()->net()->geoUtil();
    const QPointF scenePos = geo ? geo->xyToGeo(modelXY) : modelXY;
    return window.view()->mapFromScene(scenePos);
}

// As a user clicks: the pointer comes to the place (hover snapping), then press and release.
void TestSession::click(MainWindow &window, const QPointF &modelXY)
{
    QWidget *viewport = window.view()->viewport();
    const QPoint p = pixel(window, modelXY);
    QTest::mouseMove(viewport, p);
    QMouseEvent move(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, p);
    QCoreApplication::processEvents();
}

void TestSession::trigger(MainWindow &window, const QString &action)
{
    auto *a = window.findChild<QAction *>(action);
    QVERIFY2(a, qPrintable(action));
    a->trigger();
    QCoreApplication::processEvents();
}

void TestSession::drawSaveReopen()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString saved = dir.filePath(QStringLiteral("session.trva"));
    int nodesBefore = 0;
    {
        MainWindow window;
        window.setInteractive(false);
        window.resize(1280, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString error;
        QVERIFY2(window.openFile(sample, &error), qPrintable(error));
        Trelvoga::NetEdit *edit = window.editor();
        Trelvoa::Network *net = edit->net();
        nodesBefore = objects<Trelvoa::Node>(net).size();

        // Empty ground east of the district, shown 200 m wide.
        QRectF bounds;
        for (Trelvoa::Node *node : objects<Trelvoa::Node>(net))
            bounds |= QRectF(node->pos(), QSizeF(0.01, 0.01));
        const QPointF a(bounds.right() + 60, bounds.center().y());
        const QPointF b = a + QPointF(120, 0);
        Trelvoa::GeoUtil *geo = net->geoUtil();
        const auto toScene = [geo](const QPointF &p) { return geo ? geo->xyToGeo(p) : p; };
        window.view()->fitInView(QRectF(toScene(a - QPointF(40, 60)), toScene(b + QPointF(40, 60))).normalized());
        shot(window, QStringLiteral("session-1-before"));

        trigger(window, QStringLiteral("addJunction"));
        QVERIFY(!window.statusBar()->currentMessage().isEmpty());
        click(window, a);
        click(window, b);
        trigger(window, QStringLiteral("addJunction"));
        QCOMPARE(objects<Trelvoa::Node>(net).size(), nodesBefore + 2);
        Trelvoa::Node *na = nullptr;
        Trelvoa::Node *nb = nullptr;
        for (Trelvoa::Node *node : objects<Trelvoa::Node>(net)) {
            if (QLineF(node->pos(), a).length() < 1)
                na = node;
            if (QLineF(node->pos(), b).length() < 1)
                nb = node;
        }
        QVERIFY(na && nb);
        QVERIFY(na->isJunction() && nb->isJunction());

        trigger(window, QStringLiteral("addEdgeGroup"));
        click(window, a);
        // Half-way: the rubber line runs from a, the status bar asks for the second node.
        QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("next node")));
        QTest::mouseMove(window.view()->viewport(), pixel(window, (a + b) / 2));
        shot(window, QStringLiteral("session-1b-half-way"));
        click(window, b);
        trigger(window, QStringLiteral("addEdgeGroup"));
        QCOMPARE(nb->edgeGroups().size(), 1);
        Trelvoa::EdgeGroup *group = nb->edgeGroups().first();
        QCOMPARE(group->edgeCount(), 2);
        Trelvoa::Edge *ab = nullptr;
        Trelvoa::Edge *ba = nullptr;
        for (Trelvoa::Edge *edge : group->edges())
            (edge->start() == na ? ab : ba) = edge;
        QVERIFY(ab && ba && ab->end() == nb && ba->start() == nb);
        QVERIFY(ab->lanesCount() > 0 && ba->lanesCount() > 0);

        // A turn back at b: from the rightmost lane arriving to the rightmost lane leaving.
        Trelvoa::Lane *in = ab->lane(0);
        Trelvoa::Lane *out = ba->lane(0);
        trigger(window, QStringLiteral("addLanesConnection"));
        click(window, along(in, 0.7));
        click(window, along(out, 0.3));
        trigger(window, QStringLiteral("addLanesConnection"));
        QVERIFY2(in->stopline()->connectionCount() == 1, qPrintable(window.messageLog()->toPlainText()));
        QCOMPARE(in->stopline()->connection(0)->endLane(), out);

        trigger(window, QStringLiteral("addCrosswalk"));
        click(window, along(in, 0.8));
        click(window, along(out, 0.2));
        trigger(window, QStringLiteral("addCrosswalk"));
        QCOMPARE(objects<Trelvoa::CrossWalk>(net).size() > 0, true);
        bool crossed = false;
        for (Trelvoa::CrossWalk *walk : objects<Trelvoa::CrossWalk>(net))
            crossed = crossed || (walk->junction() == nb && walk->lane1() == in && walk->lane2() == out);
        QVERIFY(crossed);
        shot(window, QStringLiteral("session-2-drawn"));

        QVERIFY2(window.saveFile(saved, &error), qPrintable(error));
        window.close();
    }
    {
        MainWindow window;
        window.setInteractive(false);
        QString error;
        QVERIFY2(window.openFile(saved, &error), qPrintable(error));
        Trelvoa::Network *net = window.editor()->net();
        QCOMPARE(objects<Trelvoa::Node>(net).size(), nodesBefore + 2);
        Trelvoa::Node *nb = nullptr;
        for (Trelvoa::Node *node : objects<Trelvoa::Node>(net))
            if (node->edgeGroups().size() == 1 && node->edgesCount() == 2 && node->isJunction())
                nb = node;
        QVERIFY(nb);
        int crosswalksAtB = 0;
        for (Trelvoa::CrossWalk *walk : objects<Trelvoa::CrossWalk>(net))
            crosswalksAtB += walk->junction() == nb ? 1 : 0;
        int connectionsAtB = 0;
        for (Trelvoa::Connection *c : objects<Trelvoa::Connection>(net))
            connectionsAtB += c->junction() == nb ? 1 : 0;
        QVERIFY(crosswalksAtB >= 1);
        QVERIFY(connectionsAtB >= 1);
    }
}

// A junction copied in one window with its roads, pasted into a second window's empty network with the
// mouse; the context menu of a junction on the way.
void TestSession::copyBetweenWindows()
{
    MainWindow first;
    first.setInteractive(false);
    first.resize(1280, 800);
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    QString error;
    QVERIFY2(first.openFile(sample, &error), qPrintable(error));
    Trelvoa::Network *net = first.editor()->net();
    Trelvoa::Node *junction = nullptr;
    for (Trelvoa::Node *node : objects<Trelvoa::Node>(net)) {
        if (node->isJunction() && (!junction || node->edgesCount() > junction->edgesCount()))
            junction = node;
    }
    QVERIFY(junction);
    Trelvoa::GeoUtil *geo = net->geoUtil();
    const auto toScene = [geo](const QPointF &p) { return geo ? geo->xyToGeo(p) : p; };
    const QPointF c = junction->pos();
    first.view()->fitInView(QRectF(toScene(c - QPointF(60, 40)), toScene(c + QPointF(60, 40))).normalized());
    QCoreApplication::processEvents();
    click(first, c);
    QTRY_VERIFY(!first.scene()->selectedItems().isEmpty());
    // The junction's roads come with it: their lanes selected too.
    for (Trelvoa::Edge *edge : junction->edges()) {
        for (Trelvoa::Lane *lane : edge->lanes()) {
            if (Trelvoga::GenericGraphicsItem *item = first.network()->object2item(lane))
                item->setSelected(true);
        }
    }

    // The right click shows the menu of what is selected.
    QStringList menuTexts;
    QTimer::singleShot(200, [this, &menuTexts] {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        if (!qEnvironmentVariableIsEmpty("TRELVO_SHOT_DIR"))
            popup->grab().save(qEnvironmentVariable("TRELVO_SHOT_DIR") + QStringLiteral("/session-3-context-menu.png"));
        if (auto *menu = qobject_cast<QMenu *>(popup)) {
            for (QAction *action : menu->actions())
                menuTexts.append(action->text());
        }
        popup->close();
    });
    QWidget *viewport = first.view()->viewport();
    const QPoint at = pixel(first, c);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport, &rightClick);
    QVERIFY(!menuTexts.isEmpty());

    auto *copy = first.findChild<QAction *>(QStringLiteral("copy"));
    QVERIFY(copy && copy->isEnabled());
    QCOMPARE(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    copy->trigger();

    trigger(first, QStringLiteral("actionNewWindow"));
    MainWindow *second = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget); window && window != &first)
            second = window;
    }
    QVERIFY(second);
    QVERIFY(QTest::qWaitForWindowExposed(second));
    auto *paste = second->findChild<QAction *>(QStringLiteral("paste"));
    QVERIFY(paste && paste->isEnabled());
    QCOMPARE(paste->shortcut(), QKeySequence(QKeySequence::Paste));
    QCOMPARE(second->findChild<QAction *>(QStringLiteral("pasteInplace"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    paste->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(int(second->editor()->mode()), int(Trelvoga::ModePastePlacement));
    QWidget *target = second->view()->viewport();
    const QPoint middle = target->rect().center();
    QTest::mouseMove(target, middle);
    QMouseEvent move(QEvent::MouseMove, middle, target->mapToGlobal(middle), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    shot(*second, QStringLiteral("session-4-paste-preview"));
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, middle);
    QTRY_COMPARE(int(second->editor()->mode()), int(Trelvoga::ModeNone));
    Trelvoa::Network *pasted = second->editor()->net();
    QCOMPARE(objects<Trelvoa::Edge>(pasted).size(), junction->edgesCount());
    bool copied = false;
    for (Trelvoa::Node *node : objects<Trelvoa::Node>(pasted))
        copied = copied || (node->isJunction() && node->edgesCount() == junction->edgesCount());
    QVERIFY(copied);
    QCOMPARE(second->undoStack()->count(), 1);
    QCOMPARE(second->view()->isGeographic(), pasted->geoUtil() != nullptr);
    shot(*second, QStringLiteral("session-5-pasted"));
    second->close();
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
