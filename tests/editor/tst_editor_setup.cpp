// What a host finds on a new editor: the actions with their names, texts, shortcuts and tool tips, the
// three action lists and toolbars, the object tree and the undo stack.

#include "editorfixture.h"
#include "layouts.h"

#include "editor/netedit.h"
#include "mapview.h"
#include "objecteditortree.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include <QAction>
#include <QKeySequence>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoStack>

#include <memory>

using namespace Trelvoga;

namespace {

QStringList objectNames(const QList<QAction *> &actions)
{
    QStringList names;
    for (const QAction *a : actions)
        names.append(a->objectName());
    return names;
}

Layouts::Layout fourArm(Trelvoa::Network *net)
{
    return Layouts::fourArm(net);
}

} // namespace

class TestEditorSetup : public QObject
{
    Q_OBJECT

private slots:
    void actions_data();
    void actions();
    void contextShortcuts();
    void editActions();
    void inputActionsInOrder();
    void viewActionsFollowLayers();
    void layerActionHidesItsLayer();
    void toolbars();
    void undoStackMadeOnce();
    void treeAndPropertyEditor();
};

void TestEditorSetup::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("checkable");

    const struct
    {
        const char *name;
        const char *text;
        const char *shortcut;
        bool checkable;
    } table[] = {
        {"createOdMatrix", "Create demand matrix ...", "", false},
        {"wireframe", "Wireframe", "Ctrl+W", true},
        {"addNode", "Add nodes mode", "Alt+N", true},
        {"addPointObject", "Add point object mode", "Alt+I", true},
        {"addEdge", "Add edges mode", "Alt+E", true},
        {"addEdgeGroup", "Add edge groups mode", "Alt+G", true},
        {"addJunction", "Add junctions mode", "Alt+J", true},
        {"addLanesConnection", "Lanes connection mode", "Alt+C", true},
        {"addDetector", "Add detectors mode", "Alt+D", true},
        {"addEmergencyDetector", "Add emergency detectors mode", "Alt+M", true},
        {"addCompositeDetector", "Add composite detectors mode", "Alt+O", true},
        {"actionJoin_nodes_mode", "Join nodes mode", "", true},
        {"addCrosswalk", "Add crosswalk mode", "Alt+W", true},
        {"addWalkingArea", "Add walking area mode", "Alt+K", true},
        {"addRoute", "Add route mode", "Alt+R", true},
        {"addPolygon", "Add polygon mode", "Alt+P", true},
        {"addPtStop", "Add PT stop mode", "Alt+S", true},
        {"addTaz", "Add traffic assignment zone mode", "Alt+T", true},
        {"createTrafficState", "Create traffic state ...", "", false},
        {"actionFull_connections_view", "Full connections view", "", true},
    };
    for (const auto &row : table)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.text)
                                << QString::fromLatin1(row.shortcut) << row.checkable;
}

void TestEditorSetup::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(bool, checkable);

    EditorFixture f;
    const QList<QAction *> found = f.edit()->findChildren<QAction *>(name);
    QCOMPARE(found.size(), 1);
    QAction *a = found.first();
    QCOMPARE(a->text(), text);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->isCheckable(), checkable);
    QVERIFY(!a->isChecked() || name == QLatin1String("actionFull_connections_view"));
    if (!shortcut.isEmpty())
        QCOMPARE(a->toolTip(), QStringLiteral("%1 (%2)").arg(text, QKeySequence(shortcut).toString()));
    if (name == QLatin1String("actionFull_connections_view"))
        QCOMPARE(a->toolTip(), QStringLiteral("Toggle full/simple connections view"));
}

void TestEditorSetup::contextShortcuts()
{
    EditorFixture f;
    const QList<QPair<QString, QString>> expected{
        {QStringLiteral("actionSelectLanesEdge"), QStringLiteral("Select edge")},
        {QStringLiteral("actionSelectLanesEdgeGroup"), QStringLiteral("Select edge group")},
        {QStringLiteral("actionSetConnectionEdit"), QStringLiteral("Edit connection")},
        {QStringLiteral("actionSetCrosswalkEdit"), QStringLiteral("Edit crosswalk")},
        {QStringLiteral("actionSetWAEdit"), QStringLiteral("Edit walking area")},
        {QStringLiteral("actionSetTazEdit"), QStringLiteral("Edit TAZ")},
    };
    const QStringList keys{"E", "G", "C", "W", "A", "T"};
    for (int i = 0; i < expected.size(); ++i) {
        QAction *a = f.action(expected.at(i).first);
        QVERIFY2(a, qPrintable(expected.at(i).first));
        QCOMPARE(a->text(), expected.at(i).second);
        QCOMPARE(a->shortcut(), QKeySequence(keys.at(i)));
        // They work while the view has focus only when the view holds them.
        QVERIFY2(f.view()->actions().contains(a), qPrintable(expected.at(i).first));
    }
}

void TestEditorSetup::editActions()
{
    EditorFixture f;
    const QList<QAction *> edit = f.edit()->editActions();
    QCOMPARE(edit.size(), 3);
    QCOMPARE(edit.at(0)->text(), QStringLiteral("Copy"));
    QCOMPARE(edit.at(1)->text(), QStringLiteral("Paste"));
    QCOMPARE(edit.at(2)->text(), QStringLiteral("Paste inplace"));
    QCOMPARE(edit.at(0)->shortcut(), QKeySequence(QKeySequence::Copy));
    QCOMPARE(edit.at(1)->shortcut(), QKeySequence(QKeySequence::Paste));
    // Nothing selected: nothing to copy.
    QVERIFY(!edit.at(0)->isEnabled());
}

void TestEditorSetup::inputActionsInOrder()
{
    EditorFixture f;
    const QStringList expected{
        "createOdMatrix", "addNode", "addEdgeGroup", "addEdge", "addJunction", "addCrosswalk",
        "addWalkingArea", "addRoute", "addPolygon", "addPointObject", "addPtStop", "addTaz",
        "addLanesConnection", "addDetector", "addEmergencyDetector", "addCompositeDetector",
        "actionJoin_nodes_mode", "createTrafficState"};
    QCOMPARE(objectNames(f.edit()->inputActions()), expected);
}

void TestEditorSetup::viewActionsFollowLayers()
{
    EditorFixture f;
    QStringList expected{QStringLiteral("wireframe"), QStringLiteral("actionFull_connections_view")};
    for (const Layer *layer : f.net()->layers()) {
        if (layer->objectName() != Networkg::layerSelection)
            expected.append(QStringLiteral("action") + layer->objectName());
    }
    QCOMPARE(f.net()->layers().size(), 18);
    QCOMPARE(objectNames(f.edit()->viewActions()), expected);

    for (QAction *a : f.edit()->viewActions().mid(2)) {
        const QString layer = a->objectName().mid(int(qstrlen("action")));
        QVERIFY2(a->isCheckable() && a->isChecked(), qPrintable(layer));
        QCOMPARE(a->text(), f.edit()->dn(layer));
        QCOMPARE(a->toolTip(), QStringLiteral("Show/Hide %1").arg(f.edit()->dn(layer.toLower())));
    }
}

void TestEditorSetup::layerActionHidesItsLayer()
{
    EditorFixture f(fourArm);
    Layer *nodes = f.net()->layer(Networkg::layerNodes);
    QVERIFY(nodes && nodes->isVisible());
    QVERIFY(f.trigger(QStringLiteral("action") + Networkg::layerNodes));
    QVERIFY(!nodes->isVisible());
    QVERIFY(!f.net()->object2item(f.node("C"))->isVisible());
    QVERIFY(f.trigger(QStringLiteral("action") + Networkg::layerNodes));
    QVERIFY(nodes->isVisible());

    // By name: the layer goes, and its view action follows; an unknown name changes nothing.
    f.edit()->setLayerVisible(Networkg::layerNodes, false);
    QVERIFY(!nodes->isVisible());
    QVERIFY(!f.action(QStringLiteral("action") + Networkg::layerNodes)->isChecked());
    f.edit()->setLayerVisible(QStringLiteral("NoSuchLayer"), false);
    f.edit()->setLayerVisible(Networkg::layerNodes, true);
    QVERIFY(nodes->isVisible());
    QVERIFY(f.action(QStringLiteral("action") + Networkg::layerNodes)->isChecked());
}

void TestEditorSetup::toolbars()
{
    EditorFixture f;
    std::unique_ptr<QToolBar> view(f.edit()->createViewToolbar());
    std::unique_ptr<QToolBar> input(f.edit()->createInputToolbar());
    std::unique_ptr<QToolBar> db(f.edit()->createDBToolbar());
    QVERIFY(view && input && db);
    // The caller owns them.
    QVERIFY(!view->parent() && !input->parent() && !db->parent());
    QCOMPARE(view->objectName(), QStringLiteral("viewToolbar"));
    QCOMPARE(view->windowTitle(), QStringLiteral("Network items"));
    QCOMPARE(view->actions(), f.edit()->viewActions());
    QCOMPARE(input->objectName(), QStringLiteral("actionsToolbar"));
    QCOMPARE(input->windowTitle(), QStringLiteral("Network actions"));
    QCOMPARE(input->actions(), f.edit()->inputActions());
    QCOMPARE(db->objectName(), QStringLiteral("dbToolbar"));
    QCOMPARE(db->windowTitle(), QStringLiteral("Database actions"));
    QCOMPARE(db->actions(), f.edit()->dbActions());
}

void TestEditorSetup::undoStackMadeOnce()
{
    EditorFixture::Options options;
    options.undoStack = false;
    EditorFixture f(EditorFixture::Builder(), options);
    QVERIFY(!f.undoStack());
    QUndoStack *stack = f.edit()->createUndoStack();
    QVERIFY(stack);
    QCOMPARE(f.edit()->createUndoStack(), stack);
    QCOMPARE(f.undoStack(), stack);
    QCOMPARE(stack->parent(), f.edit());
}

void TestEditorSetup::treeAndPropertyEditor()
{
    EditorFixture f;
    QTreeWidget *tree = f.edit()->objectsTree();
    QVERIFY(tree);
    QCOMPARE(tree->objectName(), QStringLiteral("objectsTree"));
    QCOMPARE(tree->columnCount(), 2);
    QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Object"));
    QCOMPARE(tree->headerItem()->text(1), QStringLiteral("Type"));
    QCOMPARE(tree->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!tree->isSortingEnabled());
    QVERIFY(f.edit()->objectEditor());
    QCOMPARE(f.edit()->objectEditor()->objectName(), QStringLiteral("objectEditor"));
    // The name decorators reach dn().
    QCOMPARE(f.edit()->dn(QStringLiteral("Trelvoa::Nodes")), QStringLiteral("Nodes"));
    QCOMPARE(f.edit()->dn(QStringLiteral("lanesCount")), QStringLiteral("count of lanes"));
}

QTEST_MAIN(TestEditorSetup)
#include "tst_editor_setup.moc"
