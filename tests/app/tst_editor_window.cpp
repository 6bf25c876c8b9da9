// The editor in the application's window, driven as a person drives it: open a real network, pick a
// lane on the map, change its width in the property editor, undo. With TRELVO_SHOT_DIR set, each step
// is also written there as a screenshot.

#include "mainwindow.h"
#include "mapview.h"

#include "editor/netedit.h"
#include "items/connectiong.h"
#include "scene/genericgraphicsitem.h"
#include "scene/itemcursors.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "node.h"
#include "walkingarea.h"
#include "objecteditortree.h"

#include <QAction>
#include <QBuffer>
#include <QDockWidget>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUndoView>
#include <QXmlStreamWriter>
#include <QtTest>

namespace {

const QString berlin = QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz");

QByteArray canonicalSave(Trelvoa::Network *net)
{
    QByteArray data;
    QXmlStreamWriter writer(&data);
    net->save(writer);
    return data;
}

// The longest lane of a road open to cars: easy to hit in the middle.
Trelvoa::Lane *longLane(Trelvoa::Network *net)
{
    Trelvoa::Lane *best = nullptr;
    double bestLength = 0;
    for (Trelvoa::Lane *lane : net->findChildren<Trelvoa::Lane *>()) {
        if (!lane->allows(Trelvoa::Lane::vcPassenger))
            continue;
        const double length = lane->skeleton().length();
        if (length > bestLength) {
            bestLength = length;
            best = lane;
        }
    }
    return best;
}

// The window shown as a user has it, without dialogs, with that file open.
bool showAndOpen(MainWindow &window, const QString &file, QString *error)
{
    window.setInteractive(false);
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        *error = QStringLiteral("the window was never shown");
        return false;
    }
    return window.openFile(file, error);
}

// The scene point halfway along a line of the model; with the view centred on it at that zoom.
bool focusOnMiddle(MainWindow &window, const Trelvoa::GeoPolyline &line, int zoom, QPointF *scenePoint)
{
    QPointF middle;
    line.lineAtDistance(line.length() / 2, true, &middle);
    Trelvoa::GeoUtil *geo = window.network()->geoUtil();
    *scenePoint = geo ? geo->xyToGeo(middle) : middle;
    QString error;
    const bool focused = window.focusView(
        QStringLiteral("%1,%2").arg(scenePoint->x(), 0, 'f', 8).arg(scenePoint->y(), 0, 'f', 8), zoom, 0, &error);
    QCoreApplication::processEvents();
    return focused;
}

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT

private slots:
    void editorIsPlacedInTheWindow();
    void openedNetworkIsPaintedOnce();
    void pointerShowsTheCursorOfTheItemUnderIt();
    void connectionsComeWhereTheUserLooks();
    void pickLaneChangeWidthUndo();
    void fullConnectionsView();

private:
    void shot(MainWindow &window, const QString &name);
};

void TestEditorWindow::shot(MainWindow &window, const QString &name)
{
    const QString dir = qEnvironmentVariable("TRELVO_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(500); // the tree's expand animation
    window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void TestEditorWindow::editorIsPlacedInTheWindow()
{
    MainWindow window;
    window.setInteractive(false);
    Trelvoga::NetEdit *edit = window.editor();
    QVERIFY(edit);
    QCOMPARE(window.undoStack(), edit->undoStack());
    QCOMPARE(window.objectTree(), edit->objectsTree());
    QCOMPARE(window.propertyEditor(), edit->objectEditor());
    QStringList bars;
    for (QToolBar *bar : window.findChildren<QToolBar *>())
        bars.append(bar->objectName());
    QVERIFY(bars.contains(QStringLiteral("viewToolbar")));
    QVERIFY(bars.contains(QStringLiteral("actionsToolbar")));
    auto *undoView = window.findChild<QUndoView *>(QStringLiteral("undoView"));
    QVERIFY(undoView);
    QCOMPARE(undoView->stack(), edit->undoStack());

    // The editor's messages reach the log.
    emit edit->logMessage(QStringLiteral("from the editor"), QtWarningMsg);
    QVERIFY(window.messageLog()->toPlainText().contains(QStringLiteral("from the editor")));

    // A mode is entered from the window's own menu action, and the toolbar shows the same action.
    QAction *addEdge = window.findChild<QAction *>(QStringLiteral("addEdge"));
    QVERIFY(addEdge);
    addEdge->trigger();
    QCOMPARE(edit->mode(), Trelvoga::ModeAddEdge);
    addEdge->trigger();
    QCOMPARE(edit->mode(), Trelvoga::ModeNone);
}

namespace {

// Counts the paints of the widget it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TestEditorWindow::openedNetworkIsPaintedOnce()
{
    // The editor hides the view for a load and shows it again; Qt queues a repaint of a widget shown
    // again, which must not draw the whole network a second time after the first paint.
    MainWindow window;
    window.setInteractive(false);
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    auto *map = window.findChild<MapView *>();
    QVERIFY(map);
    PaintCounter counter;
    map->viewport()->installEventFilter(&counter);
    QString error;
    QVERIFY2(window.openFile(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva"), &error), qPrintable(error));
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
    QCOMPARE(counter.paints, 1);
}

void TestEditorWindow::pointerShowsTheCursorOfTheItemUnderIt()
{
    // The items of a load take the cursor of their kind only when the pointer comes over them; the
    // map then shows it, and its own cursor again over empty ground.
    MainWindow window;
    QString error;
    QVERIFY2(showAndOpen(window, QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva"), &error), qPrintable(error));
    Trelvoga::Networkg *net = window.network();
    for (Trelvoga::GenericGraphicsItem *item : net->items())
        QVERIFY(!item->hasCursor());

    Trelvoa::Lane *lane = longLane(net);
    QVERIFY(lane);
    auto *item = net->object2item(lane);
    QCOMPARE(item->itemCursorKind(), int(Trelvoga::ItemCursors::Lane));
    QPointF scenePoint;
    QVERIFY(focusOnMiddle(window, lane->skeleton(), 19, &scenePoint));
    MapView *view = window.view();
    const QCursor mapCursor = view->viewport()->cursor();
    const QPoint over = view->mapFromScene(scenePoint);
    QTest::mouseMove(view->viewport(), over + QPoint(3, 0));
    QTest::mouseMove(view->viewport(), over);
    QCoreApplication::processEvents();
    QVERIFY(item->hasCursor());
    const QCursor shown = view->viewport()->cursor();
    QCOMPARE(shown.shape(), Qt::BitmapCursor);
    QCOMPARE(shown.pixmap().toImage(), Trelvoga::ItemCursors::cursor(Trelvoga::ItemCursors::Lane).pixmap().toImage());

    // Empty ground: far above the network's bounds.
    view->centerOn(net->boundingRect().center() + QPointF(0, -3 * net->boundingRect().height() - 1));
    QTest::mouseMove(view->viewport(), QPoint(20, 20));
    QTest::mouseMove(view->viewport(), QPoint(24, 20));
    QCoreApplication::processEvents();
    QCOMPARE(view->viewport()->cursor().shape(), mapCursor.shape());
}

void TestEditorWindow::connectionsComeWhereTheUserLooks()
{
    // A network opened and seen whole has no connection items yet; a rubber band over it still selects
    // its connections, and a click close up at one selects that one.
    MainWindow window;
    QString error;
    QVERIFY2(showAndOpen(window, QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva"), &error), qPrintable(error));
    Trelvoga::Networkg *net = window.network();
    MapView *view = window.view();
    QCoreApplication::processEvents();
    const auto connectionItems = [net] {
        QList<Trelvoga::GenericGraphicsItem *> found;
        for (Trelvoga::GenericGraphicsItem *item : net->items())
            if (item->type() == Trelvoga::Connectiong::Type)
                found.append(item);
        return found;
    };
    QVERIFY(view->zoom() <= 16);
    QVERIFY(connectionItems().isEmpty());
    QVERIFY(net->unmadeItemCount() > 0);

    auto send = [view](QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    };
    const QRect area = view->viewport()->rect().adjusted(2, 2, -3, -3);
    send(QEvent::MouseButtonPress, area.topLeft(), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, area.center(), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, area.bottomRight(), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, area.bottomRight(), Qt::LeftButton, Qt::NoButton);
    QTest::qWait(150);
    const QList<Trelvoga::GenericGraphicsItem *> made = connectionItems();
    QCOMPARE(made.size(), net->findChildren<Trelvoa::Connection *>().size());
    int selected = 0;
    for (Trelvoga::GenericGraphicsItem *item : made)
        selected += item->isSelected();
    QCOMPARE(selected, made.size());
    QTest::qWait(150);
    view->scene()->clearSelection();

    // Opened again: nothing made; a click close up on a connection's middle selects it.
    QVERIFY2(window.openFile(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva"), &error), qPrintable(error));
    net = window.network();
    QVERIFY(connectionItems().isEmpty());
    Trelvoa::Connection *connection = nullptr;
    for (Trelvoa::Connection *c : net->findChildren<Trelvoa::Connection *>())
        if (!connection || c->skeleton().length() > connection->skeleton().length())
            connection = c;
    QVERIFY(connection);
    QPointF scenePoint;
    QVERIFY(focusOnMiddle(window, connection->skeleton(), 21, &scenePoint));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(scenePoint));
    QTest::qWait(250);
    Trelvoga::GenericGraphicsItem *item = net->object2item(connection);
    QVERIFY(item && item->isSelected());
}

void TestEditorWindow::pickLaneChangeWidthUndo()
{
    if (!QFile::exists(berlin))
        QSKIP("the shared networks are not there");
    MainWindow window;
    window.setInteractive(false);
    window.resize(1400, 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString error;
    QVERIFY2(window.openFile(berlin, &error), qPrintable(error));
    Trelvoga::NetEdit *edit = window.editor();
    Trelvoga::Networkg *net = window.network();
    QUndoStack *stack = window.undoStack();
    QVERIFY(edit->objectsTree()->topLevelItemCount() > 0);
    QCOMPARE(stack->count(), 0);
    shot(window, QStringLiteral("1-opened"));

    Trelvoa::Lane *lane = longLane(net);
    QVERIFY(lane);
    QPointF scenePoint;
    QVERIFY(focusOnMiddle(window, lane->skeleton(), 19, &scenePoint));
    MapView *view = window.view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(scenePoint));
    QTest::qWait(250);

    // The lane reaches tree and property editor.
    QVERIFY(net->object2item(lane)->isSelected());
    QVERIFY(edit->objectEditor()->objects().contains(lane));
    bool inTree = false;
    for (QTreeWidgetItem *item : edit->objectsTree()->selectedItems())
        inTree = inTree || edit->treeItemObject(item) == lane;
    QVERIFY(inTree);
    shot(window, QStringLiteral("2-lane-selected"));

    const QByteArray before = canonicalSave(net);
    const double width = lane->width();
    QVERIFY(edit->objectEditor()->setObjectProperty(lane, "width", width + 1.5));
    QTest::qWait(250);
    QCOMPARE(lane->width(), width + 1.5);
    QCOMPARE(stack->count(), 1);
    QVERIFY(stack->text(0).startsWith(QStringLiteral("Change property")));
    QVERIFY(net->isChanged());
    shot(window, QStringLiteral("3-width-changed"));

    QAction *undo = window.findChild<QAction *>(QStringLiteral("actionUndo"));
    QVERIFY(undo && undo->isEnabled());
    undo->trigger();
    QTest::qWait(250);
    QCOMPARE(lane->width(), width);
    QCOMPARE(canonicalSave(net), before);
    QVERIFY(!net->isChanged());
    shot(window, QStringLiteral("4-undone"));
}

// The view action switches every connection between the simple and the full view, at a junction with
// crosswalks and walking areas.
void TestEditorWindow::fullConnectionsView()
{
    if (!QFile::exists(berlin))
        QSKIP("the shared networks are not there");
    MainWindow window;
    window.setInteractive(false);
    window.resize(1400, 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString error;
    QVERIFY2(window.openFile(berlin, &error), qPrintable(error));
    Trelvoga::Networkg *net = window.network();

    // The junction with the most walking areas, then crosswalks.
    Trelvoa::Node *junction = nullptr;
    int best = -1;
    for (Trelvoa::Node *node : net->findChildren<Trelvoa::Node *>()) {
        int score = 0;
        for (Trelvoa::WalkingArea *area : net->findChildren<Trelvoa::WalkingArea *>())
            score += area->junction() == node ? 100 : 0;
        score += node->findChildren<Trelvoa::CrossWalk *>(QString(), Qt::FindDirectChildrenOnly).size() * 10;
        score += node->findChildren<Trelvoa::Connection *>(QString(), Qt::FindDirectChildrenOnly).size();
        if (score > best) {
            best = score;
            junction = node;
        }
    }
    QVERIFY(junction);
    const QList<Trelvoa::Connection *> connections =
        junction->findChildren<Trelvoa::Connection *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(!connections.isEmpty());
    QVERIFY(window.focusView(QString::number(junction->id()), 20, 0, &error));
    auto *item = static_cast<Trelvoga::Connectiong *>(net->object2item(connections.first()));
    QVERIFY(item->isSimpleView());
    shot(window, QStringLiteral("5-junction-simple"));

    QAction *full = window.findChild<QAction *>(QStringLiteral("actionFull_connections_view"));
    QVERIFY(full);
    full->trigger();
    for (Trelvoa::Connection *connection : connections)
        QVERIFY(!static_cast<Trelvoga::Connectiong *>(net->object2item(connection))->isSimpleView());
    shot(window, QStringLiteral("6-junction-full"));
    full->trigger();
    QVERIFY(item->isSimpleView());
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editor_window.moc"
