// The object tree and the property editor kept in step with the scene: names, several places of one
// object, selection both ways, hidden layers, and property edits gathered into undo commands.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "editor/netedit.h"
#include "editor/objecttreeitem.h"
#include "edge.h"
#include "lane.h"
#include "granule.h"
#include "objecteditortree.h"
#include "odmatrix.h"
#include "route.h"
#include "scene/genericgraphicsitem.h"
#include "scene/layer.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "trafficstate.h"

#include <QAction>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

// Past the editor's 100 ms timers.
constexpr int afterTimer = 250;

QStringList groupPath(const QTreeWidgetItem *item)
{
    QStringList path;
    for (const QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        path.prepend(p->text(0));
    return path;
}

QSet<NetObject *> treeSelection(const EditorFixture &f)
{
    QSet<NetObject *> objects;
    for (QTreeWidgetItem *item : f.edit()->objectsTree()->selectedItems()) {
        if (NetObject *o = f.edit()->treeItemObject(item))
            objects.insert(o);
    }
    return objects;
}

QSet<QObject *> editorObjects(const EditorFixture &f)
{
    const QList<QObject *> objects = f.edit()->objectEditor()->objects();
    return QSet<QObject *>(objects.begin(), objects.end());
}

void selectInTree(EditorFixture &f, NetObject *object)
{
    f.edit()->objectsTree()->clearSelection();
    for (QTreeWidgetItem *item : f.edit()->treeItems(object))
        item->setSelected(true);
    f.settle();
}

} // namespace

class TestEditorTree : public QObject
{
    Q_OBJECT

private slots:
    void namesInTree();
    void granuleNodeStandsTwice();
    void renameReachesEveryPlace();

    void sceneSelectionReachesTreeAfterTimer();
    void clickSelectsInTree();
    void ctrlClickKeepsTreeOnlyObjects();
    void hiddenLayerItemShownWhileSelected();

    void quickEditsMakeOneCommand();
    void editsWithoutUndoStack();

    void loadReplacesTreeAndEditor();
    void loadDropsOpenPropertyEdit();
    void largeGroupsFillWhenFirstNeeded();
};

void TestEditorTree::namesInTree()
{
    EditorFixture f;
    auto *main = new Node(f.net(), QPointF(0, 0), Node::PlainNode);
    main->setName(QStringLiteral("Main"));
    QVERIFY(f.net()->addItem(main, 12));
    f.settle();
    QCOMPARE(f.edit()->getObjectNameForTree(main), QStringLiteral("Main (id=12)"));
    QList<QTreeWidgetItem *> items = f.edit()->treeItems(main);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first()->text(0), QStringLiteral("Main (id=12)"));
    QCOMPARE(items.first()->text(1), f.edit()->dn(QStringLiteral("Trelvoa::Node")));
    QCOMPARE(groupPath(items.first()), QStringList{QStringLiteral("Nodes")});

    main->setName(QString());
    QCOMPARE(f.edit()->getObjectNameForTree(main), QStringLiteral("12"));
    delete main;
    f.settle();
    QVERIFY(f.edit()->treeItems(main).isEmpty());

    auto *route = new Route(f.net());
    QVERIFY(f.net()->addItem(route, 12));
    f.settle();
    QVERIFY(!route->isValid());
    QCOMPARE(f.edit()->getObjectNameForTree(route), QStringLiteral("? 12"));
    items = f.edit()->treeItems(route);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first()->text(0), QStringLiteral("? 12"));
    QCOMPARE(f.edit()->getObjectNameForTree(nullptr), QString());
}

void TestEditorTree::granuleNodeStandsTwice()
{
    EditorFixture f(fourArm);
    Node *c = f.node("C");
    auto *granule = new Granule({c}, f.net());
    QVERIFY(f.net()->addItem(granule));
    f.settle();
    QCOMPARE(granule->nodes(), QList<Node *>{c});

    const QList<QTreeWidgetItem *> items = f.edit()->treeItems(c);
    QCOMPARE(items.size(), 2);
    const QString granuleName = f.edit()->getObjectNameForTree(granule);
    QStringList paths;
    for (const QTreeWidgetItem *item : items)
        paths.append(groupPath(item).join(QLatin1Char('/')));
    paths.sort();
    QStringList expected{QStringLiteral("Nodes"),
                         QStringLiteral("%1/%2/Nodes").arg(f.edit()->dn("Trelvoa::Granules"), granuleName)};
    expected.sort();
    QCOMPARE(paths, expected);
    // The granule's edges stand under it as well.
    for (Edge *e : granule->edges())
        QCOMPARE(f.edit()->treeItems(e).size(), 2);
}

void TestEditorTree::renameReachesEveryPlace()
{
    EditorFixture f(fourArm);
    Node *c = f.node("C");
    auto *granule = new Granule({c}, f.net());
    QVERIFY(f.net()->addItem(granule));
    f.settle();
    QCOMPARE(f.edit()->treeItems(c).size(), 2);

    QVERIFY(f.edit()->objectEditor()->setObjectProperty(c, "name", QStringLiteral("Centre")));
    const QString expected = QStringLiteral("Centre (id=%1)").arg(c->id());
    for (QTreeWidgetItem *item : f.edit()->treeItems(c))
        QCOMPARE(item->text(0), expected);
    f.wait(afterTimer);
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    QCOMPARE(c->name(), QStringLiteral("C"));
    // Undo renames back in the tree too.
    for (QTreeWidgetItem *item : f.edit()->treeItems(c))
        QCOMPARE(item->text(0), QStringLiteral("C (id=%1)").arg(c->id()));
}

void TestEditorTree::sceneSelectionReachesTreeAfterTimer()
{
    EditorFixture f(fourArm);
    Node *n = f.node("N");
    GenericGraphicsItem *item = f.net()->object2item(n);
    QVERIFY(item);
    item->setSelected(true);
    f.settle();
    // Bursts of selection changes are handled once, after the timer.
    QVERIFY(treeSelection(f).isEmpty());
    f.wait(afterTimer);
    QCOMPARE(treeSelection(f), QSet<NetObject *>{n});
    QVERIFY(editorObjects(f).contains(n));
    QVERIFY(f.edit()->editActions().first()->isEnabled());
    QCOMPARE(f.edit()->selectedObjects(), QList<NetObject *>{n});

    // Another selection replaces it in both.
    f.scene()->clearSelection();
    f.net()->object2item(f.node("S"))->setSelected(true);
    f.wait(afterTimer);
    QCOMPARE(treeSelection(f), QSet<NetObject *>{f.node("S")});
    QVERIFY(!editorObjects(f).contains(n));
    QVERIFY(editorObjects(f).contains(f.node("S")));

    f.scene()->clearSelection();
    f.wait(afterTimer);
    QVERIFY(treeSelection(f).isEmpty());
    QVERIFY(!f.edit()->editActions().first()->isEnabled());
}

void TestEditorTree::clickSelectsInTree()
{
    EditorFixture f(fourArm);
    // Plain nodes at the ends of the arms: nothing else lies there.
    f.click(f.node("E"));
    f.wait(afterTimer);
    QVERIFY(f.net()->object2item(f.node("E"))->isSelected());
    QCOMPARE(treeSelection(f), QSet<NetObject *>{f.node("E")});
    QVERIFY(editorObjects(f).contains(f.node("E")));
}

void TestEditorTree::ctrlClickKeepsTreeOnlyObjects()
{
    EditorFixture f(fourArm);
    auto *matrix = new OdMatrix(f.net());
    QVERIFY(f.net()->addItem(matrix));
    auto *state = new TrafficState(f.net());
    QVERIFY(f.net()->addItem(state));
    f.settle();
    QVERIFY(!f.net()->object2item(matrix));
    QCOMPARE(f.edit()->treeItems(matrix).size(), 1);

    f.edit()->objectsTree()->clearSelection();
    for (NetObject *o : QList<NetObject *>{matrix, state}) {
        for (QTreeWidgetItem *item : f.edit()->treeItems(o))
            item->setSelected(true);
    }
    f.settle();
    QVERIFY(editorObjects(f).contains(matrix));
    QVERIFY(editorObjects(f).contains(state));

    f.click(f.node("E"), Qt::ControlModifier);
    f.wait(afterTimer);
    QCOMPARE(treeSelection(f), (QSet<NetObject *>{matrix, state, f.node("E")}));
    QVERIFY(editorObjects(f).contains(matrix));
    QVERIFY(editorObjects(f).contains(state));
    QVERIFY(editorObjects(f).contains(f.node("E")));

    // Without Ctrl the scene's selection is all there is.
    f.click(f.node("W"));
    f.wait(afterTimer);
    QCOMPARE(treeSelection(f), QSet<NetObject *>{f.node("W")});
    QVERIFY(!editorObjects(f).contains(matrix));
    QVERIFY(!editorObjects(f).contains(state));
}

void TestEditorTree::hiddenLayerItemShownWhileSelected()
{
    EditorFixture f(fourArm);
    Layer *nodes = f.net()->layer(Networkg::layerNodes);
    Layer *selection = f.net()->layer(Networkg::layerSelection);
    QVERIFY(nodes && selection);
    QVERIFY(f.trigger(QStringLiteral("action") + Networkg::layerNodes));
    QVERIFY(!nodes->isVisible());

    Node *n = f.node("N");
    GenericGraphicsItem *item = f.net()->object2item(n);
    QVERIFY(item && !item->isVisible());
    selectInTree(f, n);
    QCOMPARE(Trelvoga::Layer::of(item), selection);
    QVERIFY(item->isVisible());
    QVERIFY(item->isSelected());
    QVERIFY(editorObjects(f).contains(n));

    // Another object selected in the tree: the first goes back under its hidden layer.
    selectInTree(f, f.node("S"));
    QCOMPARE(Trelvoga::Layer::of(item), nodes);
    QVERIFY(!item->isVisible());
    QVERIFY(!editorObjects(f).contains(n));
    GenericGraphicsItem *second = f.net()->object2item(f.node("S"));
    QCOMPARE(Trelvoga::Layer::of(second), selection);

    // A selection made in the scene puts it back as well.
    f.scene()->clearSelection();
    f.net()->object2item(f.node("E"))->setSelected(true);
    f.wait(afterTimer);
    QCOMPARE(Trelvoga::Layer::of(second), nodes);
    QVERIFY(!second->isVisible());
}

void TestEditorTree::quickEditsMakeOneCommand()
{
    EditorFixture f(fourArm);
    const QByteArray before = f.canonicalSave();
    ObjectEditorTree *editor = f.edit()->objectEditor();

    QVERIFY(editor->setObjectProperty(f.node("N"), "name", QStringLiteral("North")));
    QVERIFY(editor->setObjectProperty(f.node("S"), "name", QStringLiteral("South")));
    QVERIFY(editor->setObjectProperty(f.node("E"), "pos", QPointF(110, 5)));
    f.wait(afterTimer);
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(f.undoStack()->text(0), QStringLiteral("Change properties '%1' and '%2' of 3 items")
                                         .arg(f.edit()->dn("name"), f.edit()->dn("pos")));
    const QByteArray afterThree = f.canonicalSave();

    QVERIFY(editor->setObjectProperty(f.node("W"), "name", QStringLiteral("West")));
    f.wait(afterTimer);
    QCOMPARE(f.undoStack()->count(), 2);
    QVERIFY2(f.undoStack()->text(1).startsWith(QStringLiteral("Change property '%1' of ").arg(f.edit()->dn("name"))),
             qPrintable(f.undoStack()->text(1)));
    const QByteArray afterFour = f.canonicalSave();

    f.undoStack()->undo();
    QCOMPARE(TestSupport::firstDifference(afterThree, f.canonicalSave()), QString());
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    // The tree follows undo and redo.
    QCOMPARE(f.edit()->treeItems(f.node("N")).first()->text(0), QStringLiteral("N (id=%1)").arg(f.node("N")->id()));
    f.redoAll();
    QCOMPARE(TestSupport::firstDifference(afterFour, f.canonicalSave()), QString());
    QCOMPARE(f.edit()->treeItems(f.node("N")).first()->text(0),
             QStringLiteral("North (id=%1)").arg(f.node("N")->id()));
}

void TestEditorTree::editsWithoutUndoStack()
{
    EditorFixture::Options options;
    options.undoStack = false;
    EditorFixture f(fourArm, options);
    ObjectEditorTree *editor = f.edit()->objectEditor();
    QVERIFY(editor->setObjectProperty(f.node("N"), "name", QStringLiteral("North")));
    QVERIFY(editor->setObjectProperty(f.node("E"), "pos", QPointF(110, 5)));
    f.wait(afterTimer);
    QVERIFY(!f.undoStack());
    QCOMPARE(f.node("N")->name(), QStringLiteral("North"));
    QCOMPARE(f.node("E")->pos(), QPointF(110, 5));
    QCOMPARE(f.edit()->treeItems(f.node("N")).first()->text(0),
             QStringLiteral("North (id=%1)").arg(f.node("N")->id()));

    // A stack made later starts empty: nothing of the direct edits was kept for it.
    QUndoStack *stack = f.edit()->createUndoStack();
    QCOMPARE(stack->count(), 0);
    QVERIFY(editor->setObjectProperty(f.node("S"), "name", QStringLiteral("South")));
    f.wait(afterTimer);
    QCOMPARE(stack->count(), 1);
}

// A load that replaces the network leaves neither tree items nor property editor rows of the objects
// it deleted (they would point at freed objects).
void TestEditorTree::loadReplacesTreeAndEditor()
{
    EditorFixture f(fourArm);
    Node *n = f.node("N");
    f.net()->object2item(n)->setSelected(true);
    f.wait(afterTimer);
    QVERIFY(editorObjects(f).contains(n));

    Network other;
    const Layouts::Layout t = Layouts::tJunction(&other);
    QString error;
    QVERIFY2(f.load(TestSupport::saveAll(&other), &error), qPrintable(error));
    f.wait(afterTimer);

    const QList<NetObject *> alive = f.net()->allObjects();
    for (QObject *o : editorObjects(f))
        QVERIFY(alive.contains(static_cast<NetObject *>(o)));
    QVERIFY(treeSelection(f).isEmpty());
    int nodeItems = 0;
    QTreeWidget *tree = f.edit()->objectsTree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *group = tree->topLevelItem(i);
        for (int j = 0; j < group->childCount(); ++j) {
            NetObject *o = f.edit()->treeItemObject(group->child(j));
            QVERIFY2(o && alive.contains(o), qPrintable(group->child(j)->text(0)));
            nodeItems += qobject_cast<Node *>(o) ? 1 : 0;
        }
    }
    QCOMPARE(nodeItems, t.nodes.size());
    QCOMPARE(f.edit()->treeItems(f.node("C")).first()->text(0),
             QStringLiteral("C (id=%1)").arg(f.node("C")->id()));
}

// An edit still waiting for its commit timer when a load replaces the network must not become a
// command over the new network's objects of the same ids.
void TestEditorTree::loadDropsOpenPropertyEdit()
{
    EditorFixture f(fourArm);
    QVERIFY(f.edit()->objectEditor()->setObjectProperty(f.node("N"), "name", QStringLiteral("North")));

    Network other;
    Layouts::tJunction(&other);
    QString error;
    QVERIFY2(f.load(TestSupport::saveAll(&other), &error), qPrintable(error));
    const QByteArray loaded = f.canonicalSave();
    f.wait(afterTimer);
    QCOMPARE(f.undoStack()->count(), 0);
    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(loaded, f.canonicalSave()), QString());
}

// A city's groups of thousands get their rows when they are first opened or needed, complete and in
// the network's order; a small group has them at once.
void TestEditorTree::largeGroupsFillWhenFirstNeeded()
{
    EditorFixture f(fourArm);
    f.edit()->setEagerTreeGroupRows(2);
    f.edit()->rebuildObjectTree();
    QTreeWidget *tree = f.edit()->objectsTree();
    auto groups = [&](const char *className) {
        QList<QTreeWidgetItem *> found;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *row = tree->topLevelItem(i);
            if (row->data(0, GroupTreeItem::ClassRole).toString() == QLatin1String(className))
                found.append(row);
        }
        return found;
    };
    auto objectsOf = [&](const QMetaObject &meta) {
        QList<NetObject *> objects;
        for (QObject *child : f.net()->children())
            if (child->metaObject() == &meta)
                objects.append(static_cast<NetObject *>(child));
        return objects;
    };
    QCOMPARE(groups("Trelvoa::Node").size(), 1);
    QTreeWidgetItem *nodes = groups("Trelvoa::Node").first();
    QCOMPARE(nodes->childCount(), 0);
    QCOMPARE(nodes->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    // A node added meanwhile waits with its group: no second group, no lone row.
    auto *extra = new Node(f.net(), QPointF(500, 500), Node::PlainNode);
    QVERIFY(f.net()->addItem(extra));
    f.settle();
    QCOMPARE(groups("Trelvoa::Node").size(), 1);
    QCOMPARE(nodes->childCount(), 0);

    // Opened: every node once, in the network's order.
    nodes->setExpanded(true);
    QList<NetObject *> rows;
    for (int i = 0; i < nodes->childCount(); ++i)
        rows.append(f.edit()->treeItemObject(nodes->child(i)));
    QCOMPARE(rows, objectsOf(Node::staticMetaObject));
    QVERIFY(rows.contains(extra));
    QCOMPARE(f.edit()->treeItems(extra).size(), 1);

    // A lane picked in the view: the group of roads gets its rows, the lane's row below its road is
    // selected.
    QTreeWidgetItem *edges = groups("Trelvoa::Edge").first();
    QCOMPARE(edges->childCount(), 0);
    Lane *lane = f.net()->findChildren<Lane *>().first();
    f.net()->object2item(lane)->setSelected(true);
    f.wait(afterTimer);
    QCOMPARE(edges->childCount(), objectsOf(Edge::staticMetaObject).size());
    QCOMPARE(treeSelection(f), QSet<NetObject *>{lane});
    const QList<QTreeWidgetItem *> laneRows = tree->selectedItems();
    QCOMPARE(laneRows.size(), 1);
    QCOMPARE(f.edit()->treeItemObject(laneRows.first()->parent()->parent()), lane->edge());

    // Expand all opens what is left.
    f.edit()->fillObjectTree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        QCOMPARE(tree->topLevelItem(i)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTEST_MAIN(TestEditorTree)
#include "tst_editor_tree.moc"
