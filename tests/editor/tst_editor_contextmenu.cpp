// The scene and tree context menus: which entries a selection is offered, in which order, with which
// data, and that the entries reach the operations behind them; one real right click through the view.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "editor/netedit.h"
#include "mapview.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "sumo/sumonetimporter.h"

#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "granule.h"
#include "lane.h"
#include "node.h"
#include "compositedetector.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "taz.h"
#include "walkingarea.h"
#include "signalgroup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace Trelvoa;
using Menu = std::unique_ptr<QMenu>;

namespace {

const QStringList pasteEntries = {QStringLiteral("Paste"), QStringLiteral("Paste inplace")};
const QStringList treeEntries = {QStringLiteral("Show selected on map"), QStringLiteral("Expand all"),
                                 QStringLiteral("Collapse all")};
const QStringList viewEntries = QStringList{QStringLiteral("Show selected on tree")} + pasteEntries;

QStringList texts(const QMenu *menu)
{
    QStringList list;
    if (menu) {
        for (QAction *action : menu->actions())
            list.append(action->text());
    }
    return list;
}

QAction *entry(const QMenu *menu, const QString &text)
{
    if (menu) {
        for (QAction *action : menu->actions())
            if (action->text() == text)
                return action;
    }
    return nullptr;
}

QMenu *subMenu(const QMenu *menu, const QString &text)
{
    QAction *action = entry(menu, text);
    return action ? action->menu() : nullptr;
}

// Selects the objects' scene items and lets the tree and the editor's actions follow, as the
// selection timer would.
void selectOnly(EditorFixture &f, const QList<NetObject *> &objects)
{
    f.scene()->clearSelection();
    for (NetObject *object : objects) {
        Trelvoga::GenericGraphicsItem *item = f.net()->object2item(object);
        QVERIFY2(item, qPrintable(object->printableName()));
        item->setSelected(true);
        QVERIFY2(item->isSelected(), qPrintable(object->printableName()));
    }
    f.edit()->processSceneSelection();
}

// Selects the objects' rows in the object tree (the scene follows as the editor makes it).
void selectInTree(EditorFixture &f, const QList<NetObject *> &objects)
{
    f.scene()->clearSelection();
    f.edit()->processSceneSelection();
    QTreeWidget *tree = f.edit()->objectsTree();
    tree->clearSelection();
    for (NetObject *object : objects) {
        const QList<QTreeWidgetItem *> rows = f.edit()->treeItems(object);
        QVERIFY2(!rows.isEmpty(), qPrintable(object->printableName()));
        rows.first()->setSelected(true);
    }
}

Menu viewMenu(EditorFixture &f, const QPointF &modelXY)
{
    return Menu(f.edit()->contextMenuFor(f.view()->viewport(), f.toViewport(modelXY)));
}

Menu treeMenu(EditorFixture &f)
{
    return Menu(f.edit()->contextMenuFor(f.edit()->objectsTree()->viewport(), QPoint(5, 5)));
}

QStringList dataStrings(const QMenu *menu)
{
    QStringList list;
    for (QAction *action : menu->actions())
        list.append(action->data().toString());
    return list;
}

void setClipboard(const QString &format, const QByteArray &data)
{
    auto *mime = new QMimeData;
    mime->setData(format, data);
    QApplication::clipboard()->setMimeData(mime);
}

// A plain node and a junction far from the layouts' objects, for clicks on empty ground.
const QPointF emptyGround(400, 400);

} // namespace

class TestEditorContextMenu : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    // Offered entries per class.
    void edgeSingleAndMultiple();
    void edgeAndEdgeGroupGiveTwoSubMenus();
    void edgeGroupFromTheTree();
    void laneEntriesAndVehicleTypes();
    void laneOfAGroupedEdge();
    void nodesAndJunctions();
    void granuleEntryNamesTheTarget();
    void connectionsAndCrosswalksOfferSignalGroups();
    void detectorGroupsOfTheSameEdge();
    void polygonEntries();
    void emptyGroundAndEmptyTree();
    void otherClassesSingleAndMultiple();

    // Whole-menu behaviour.
    void selectAnotherAmongStackedItems();
    void useAsTemplateShowsTheTemplate();
    void hostEntriesAndSignal();
    void deleteOnlyRemovesTheClassOfItsMenu();
    void entriesReachTheirOperations();

    void realRightClickShowsTheMenu();
    void realNetworkJunctionAndLane();
};

void TestEditorContextMenu::cleanup()
{
    QApplication::clipboard()->clear();
}

void TestEditorContextMenu::edgeSingleAndMultiple()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    selectInTree(f, {ab});
    Menu menu = viewMenu(f, QPointF(50, 0));
    QCOMPARE(texts(menu.get()), QStringList({"Change geometry", "Insert junction", "Use as template",
                                             "Copy skeleton to clipboard as ...",
                                             "Copy carriageway skeleton to clipboard as ...", "Copy", "Delete"})
                                    + viewEntries);
    QCOMPARE(entry(menu.get(), "Insert junction")->data().toPointF(), f.view()->mapToScene(f.toViewport({50, 0})));
    QCOMPARE(texts(subMenu(menu.get(), "Copy skeleton to clipboard as ...")), QStringList({"WKT", "KML"}));
    QMenu *carriageway = subMenu(menu.get(), "Copy carriageway skeleton to clipboard as ...");
    QCOMPARE(texts(carriageway), QStringList({"WKT", "KML"}));
    QCOMPARE(dataStrings(carriageway), QStringList({"carriageway", "carriageway"}));

    // From the tree: no point to insert a junction at.
    menu = treeMenu(f);
    QCOMPARE(texts(menu.get()), QStringList({"Change geometry", "Use as template", "Copy skeleton to clipboard as ...",
                                             "Copy carriageway skeleton to clipboard as ...", "Copy", "Delete"})
                                    + treeEntries);

    selectInTree(f, {ab, f.edge("B", "C")});
    menu = viewMenu(f, QPointF(50, 0));
    QCOMPARE(texts(menu.get()), QStringList({"Copy", "Delete"}) + viewEntries);
    QCOMPARE(entry(menu.get(), "Delete")->data().toByteArray(), QByteArray("Trelvoa::Edge"));
}

// An edge beside an edge group: one sub-menu per class, the edge's offering the group; an edge in a
// group offers to leave it.
void TestEditorContextMenu::edgeAndEdgeGroupGiveTwoSubMenus()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::fourArm(net, Layouts::Grouped);
        Layouts::addEdge(l, "N", "E", 1);
        return l;
    });
    Edge *free = f.edge("N", "E");
    EdgeGroup *group = f.layout().groups.value("NC");
    QVERIFY(free && group && !free->group());
    selectInTree(f, {free, group});
    Menu menu = viewMenu(f, emptyGround);
    QStringList top = texts(menu.get());
    QCOMPARE(top.mid(2), viewEntries);
    top = top.mid(0, 2);
    top.sort();
    QCOMPARE(top, QStringList({"Edge", "Edge group"}));
    QCOMPARE(texts(subMenu(menu.get(), "Edge")),
             QStringList({QString("Add to group %1").arg(group->printableName()), "Copy", "Delete"}));
    QCOMPARE(texts(subMenu(menu.get(), "Edge group")), QStringList({"Copy", "Delete"}));
    QCOMPARE(entry(subMenu(menu.get(), "Edge group"), "Delete")->data().toByteArray(),
             QByteArray("Trelvoa::EdgeGroup"));

    Edge *member = group->edges().first();
    selectInTree(f, {member, group});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(subMenu(menu.get(), "Edge")), QStringList({"Remove from group", "Copy", "Delete"}));
}

void TestEditorContextMenu::edgeGroupFromTheTree()
{
    EditorFixture f([](Network *net) { return Layouts::twoWayGroup(net); });
    EdgeGroup *group = f.layout().groups.value("AB");
    selectInTree(f, {group});
    Menu menu = viewMenu(f, QPointF(100, 40));
    QCOMPARE(texts(menu.get()), QStringList({"Change geometry", "Insert junction", "Use as template",
                                             "Copy skeleton to clipboard as ...", "Copy", "Delete"})
                                    + viewEntries);
    menu = treeMenu(f);
    QCOMPARE(texts(menu.get()),
             QStringList({"Change geometry", "Use as template", "Copy skeleton to clipboard as ...", "Copy", "Delete"})
                 + treeEntries);
}

void TestEditorContextMenu::laneEntriesAndVehicleTypes()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    Lane *lane = ab->lane(0);
    selectOnly(f, {lane});
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()),
             QStringList({"Select edge", "Insert lane right from", "Insert lane left from", "Vehicle types",
                          "Insert junction on edge", "Copy skeleton to clipboard as ...",
                          "Copy shape to clipboard as ...", QString("Use edge %1 as template").arg(ab->printableName()),
                          "Copy", "Delete"})
                 + viewEntries);
    QCOMPARE(entry(menu.get(), "Insert lane right from")->data(), QVariant(true));
    QCOMPARE(entry(menu.get(), "Insert lane left from")->data(), QVariant(false));
    QMenu *skeleton = subMenu(menu.get(), "Copy skeleton to clipboard as ...");
    QCOMPARE(texts(skeleton), QStringList({"skeleton WKT", "skeleton KML", "skeleton WKT WGS84", "skeleton KML WGS84",
                                           "full skeleton WKT", "full skeleton KML", "full skeleton WKT WGS84",
                                           "full skeleton KML WGS84"}));
    QCOMPARE(dataStrings(skeleton),
             QStringList({"", "", "", "", "full_skeleton", "full_skeleton", "full_skeleton", "full_skeleton"}));
    QCOMPARE(texts(subMenu(menu.get(), "Copy shape to clipboard as ...")),
             QStringList({"WKT", "KML", "WKT WGS84", "KML WGS84"}));

    QMenu *types = subMenu(menu.get(), "Vehicle types");
    QCOMPARE(texts(types), QStringList({"Allow", "Allow only", "Disallow only", "Disallow all", "Default"}));
    const QStringList names = Lane::VehicleClassesStringList();
    for (const QString set : {"Allow", "Allow only", "Disallow only"}) {
        QMenu *sub = subMenu(types, set);
        QCOMPARE(sub->actions().size(), names.size());
        QCOMPARE(dataStrings(sub), names);
        for (QAction *action : sub->actions()) {
            QCOMPARE(action->isCheckable(), set == QLatin1String("Allow"));
            QVERIFY(!action->isChecked());
            QVERIFY(action->actionGroup() && action->actionGroup()->isExclusive());
        }
    }
    // "Allow only" through its group: the lane takes exactly that class.
    const QString tramName = QStringLiteral("vcTram");
    QVERIFY(names.contains(tramName));
    subMenu(types, "Allow only")->actions().at(names.indexOf(tramName))->trigger();
    QCOMPARE(int(lane->allowed()), int(Lane::vcTram));

    // Several lanes: only what applies to each of them.
    selectOnly(f, {lane, ab->lane(1)});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Select edge", "Insert lane right from", "Insert lane left from",
                                             "Vehicle types", "Copy", "Delete"})
                                    + viewEntries);
}

void TestEditorContextMenu::laneOfAGroupedEdge()
{
    EditorFixture f([](Network *net) { return Layouts::twoWayGroup(net); });
    Edge *am = f.edge("A", "M");
    QVERIFY(am->group());
    selectOnly(f, {am->lane(0)});
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()),
             QStringList({"Select edge", "Select edge group", "Insert lane right from", "Insert lane left from",
                          "Vehicle types", "Insert junction on edge", "Insert junction on group of edges",
                          "Copy skeleton to clipboard as ...", "Copy shape to clipboard as ...",
                          QString("Use edge %1 as template").arg(am->printableName()), "Remove edge from group",
                          "Copy", "Delete"})
                 + viewEntries);
}

void TestEditorContextMenu::nodesAndJunctions()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    const bool measurement = f.edit()->metaObject()->indexOfSlot("editMeasurementData()") >= 0;
    selectOnly(f, {f.node("B")});
    Menu menu = viewMenu(f, emptyGround);
    QStringList expected = {"Create connections", "Select stoplines", "Select connections",
                            "Adjust stoplines offset", "Remove with join", "Change shape geometry"};
    if (measurement)
        expected << "Edit measurement data";
    expected << "Copy to clipboard as ..." << "Copy" << "Delete" << "Create granule";
    QCOMPARE(texts(menu.get()), expected + viewEntries);
    QCOMPARE(texts(subMenu(menu.get(), "Copy to clipboard as ...")),
             QStringList({"WKT shape", "KML shape", "WKT shape WGS84", "KML shape WGS84", "WKT pos", "KML placemark",
                          "WKT pos WGS84", "KML placemark WGS84"}));

    // A plain end node: positions only, nothing to join.
    selectOnly(f, {f.node("A")});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Copy to clipboard as ...", "Copy", "Delete", "Create granule"}) + viewEntries);
    QCOMPARE(texts(subMenu(menu.get(), "Copy to clipboard as ...")),
             QStringList({"WKT pos", "KML placemark", "WKT pos WGS84", "KML placemark WGS84"}));

    // Two nodes: "Unite nodes" after "Delete".
    selectOnly(f, {f.node("A"), f.node("C")});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Copy", "Delete", "Unite nodes", "Create granule"}) + viewEntries);
    // Three are not united from the menu.
    selectOnly(f, {f.node("A"), f.node("B"), f.node("C")});
    menu = viewMenu(f, emptyGround);
    QVERIFY(!texts(menu.get()).contains("Unite nodes"));
}

void TestEditorContextMenu::granuleEntryNamesTheTarget()
{
    Granule *granule = nullptr;
    EditorFixture f([&granule](Network *net) {
        Layouts::Layout l = Layouts::roundabout(net);
        granule = new Granule({l.node("R0")}, net);
        granule->setName("G");
        granule->setTlId(7);
        net->addItem(granule);
        return l;
    });
    Node *r0 = f.node("R0");
    Node *r1 = f.node("R1");
    QCOMPARE(r0->granule(), granule);

    // The granule in the tree is the target for a junction without one.
    selectInTree(f, {granule, r1});
    Menu menu = viewMenu(f, emptyGround);
    QVERIFY2(texts(subMenu(menu.get(), "Node")).contains("Add to granule G (TL 7)"),
             qPrintable(texts(subMenu(menu.get(), "Node")).join('|')));
    QCOMPARE(texts(subMenu(menu.get(), "Granule")), QStringList({"Copy", "Delete"}));

    // A junction of the granule alone: it may leave it or copy it, nothing to add.
    selectOnly(f, {r0});
    menu = viewMenu(f, emptyGround);
    QStringList entries = texts(menu.get());
    QVERIFY(entries.contains("Remove from granule"));
    QVERIFY(!entries.join('|').contains("Add to granule"));
    QAction *copyGranule = entry(menu.get(), "Copy granule to clipboard");
    QVERIFY(copyGranule);
    QCOMPARE(copyGranule->data().value<QObject *>(), static_cast<QObject *>(granule));

    // With a second junction the target is the granule of the first; number 0 gives no suffix.
    granule->setTlId(0);
    selectOnly(f, {r0, r1});
    menu = viewMenu(f, emptyGround);
    entries = texts(menu.get());
    QVERIFY2(entries.contains("Add to granule G"), qPrintable(entries.join('|')));
    QVERIFY(entries.contains("Create granule"));

    // The granule alone, from the tree.
    selectInTree(f, {granule});
    menu = treeMenu(f);
    QCOMPARE(texts(menu.get()).first(), QString("Save ..."));
    QVERIFY(texts(menu.get()).endsWith(treeEntries.last()));
}

void TestEditorContextMenu::connectionsAndCrosswalksOfferSignalGroups()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Connection *connection = f.layout().connections.first();
    CrossWalk *crosswalk = f.layout().crossWalks.first();
    selectOnly(f, {connection});
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Edit connection", "Copy skeleton to clipboard as ...", "Copy", "Delete",
                                             "Create signal group"})
                                    + viewEntries);

    selectOnly(f, {crosswalk});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()),
             QStringList({"Edit crosswalk", "Use as template", "Copy skeleton to clipboard as ...",
                          "Copy shape to clipboard as ...", "Copy", "Delete", "Create signal group"})
                 + viewEntries);
    QCOMPARE(texts(subMenu(menu.get(), "Copy skeleton to clipboard as ...")),
             QStringList({"WKT", "KML", "WKT WGS84", "KML WGS84"}));

    // In a signal group both may edit and select it.
    auto *granule = new Granule({f.node("C")}, f.net());
    f.net()->addItem(granule);
    auto *group = new SignalGroup({connection}, {crosswalk}, granule);
    f.net()->addItem(group);
    f.settle();
    selectOnly(f, {connection});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()).mid(0, 3),
             QStringList({"Edit connection", "Change signal group content", "Select signal group"}));
    selectOnly(f, {crosswalk});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()).mid(0, 4),
             QStringList({"Edit crosswalk", "Use as template", "Change signal group content", "Select signal group"}));

    // Both kinds at once: one sub-menu each, one "Create signal group" for the whole selection.
    selectOnly(f, {connection, f.layout().connections.last(), crosswalk});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()).count("Create signal group"), 1);
    QCOMPARE(texts(subMenu(menu.get(), "Connection")), QStringList({"Edit connection", "Copy", "Delete"}));
    QVERIFY(subMenu(menu.get(), f.edit()->dn("Trelvoa::CrossWalk")));
}

// A detector is offered the selected groups of its own edge only.
void TestEditorContextMenu::detectorGroupsOfTheSameEdge()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    Edge *bc = f.edge("B", "C");
    auto *detector = new Detector(ab->lane(0), 20);
    f.net()->addItem(detector);
    auto *sameEdge = new DetectorGroup(ab);
    f.net()->addItem(sameEdge);
    auto *otherEdge = new DetectorGroup(bc);
    f.net()->addItem(otherEdge);
    f.settle();

    selectInTree(f, {detector, sameEdge, otherEdge});
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(subMenu(menu.get(), f.edit()->dn("Trelvoa::Detector"))),
             QStringList({"Create group", QString("Add to group %1").arg(sameEdge->printableName()), "Copy",
                          "Delete"}));

    selectOnly(f, {detector});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Create group", "Copy position to clipboard as ...",
                                             "Copy shape to clipboard as ...", "Copy", "Delete"})
                                    + viewEntries);

    QVERIFY(sameEdge->addDetector(detector));
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()).mid(0, 2), QStringList({"Create group", "Remove from group"}));
}

void TestEditorContextMenu::polygonEntries()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    auto *polygon = new PolygonObject(f.net(), GeoShape({{0, 50}, {50, 50}, {50, 100}, {0, 100}}));
    f.net()->addItem(polygon);
    auto *second = new PolygonObject(f.net(), GeoShape({{100, 50}, {150, 50}, {150, 100}}));
    f.net()->addItem(second);
    f.settle();
    selectInTree(f, {polygon});
    Menu menu = treeMenu(f);
    QCOMPARE(texts(menu.get()), QStringList({"Copy shape to clipboard as ...", "Save network part ...",
                                             "Select items under polygon", "Delete items under polygon", "Copy",
                                             "Delete"})
                                    + treeEntries);
    selectInTree(f, {polygon, second});
    menu = treeMenu(f);
    QCOMPARE(texts(menu.get()), QStringList({"Save network part ...", "Select items under polygon",
                                             "Delete items under polygon", "Copy", "Delete"})
                                    + treeEntries);
}

void TestEditorContextMenu::emptyGroundAndEmptyTree()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), pasteEntries);
    for (QAction *action : menu->actions())
        QVERIFY(!action->isEnabled());

    setClipboard("text/trelvo", "<network/>");
    menu = viewMenu(f, emptyGround);
    for (QAction *action : menu->actions())
        QVERIFY(action->isEnabled());

    // A polygon as text is no network part for the menu; the toolbar's own state is not the menu's.
    setClipboard("text/plain", "POLYGON((0 0, 1 0, 1 1, 0 0))");
    f.edit()->clipboardDataChanged();
    const QList<QAction *> shared = f.edit()->editActions();
    const bool sharedInPlace = shared.at(2)->isEnabled();
    menu = viewMenu(f, emptyGround);
    for (QAction *action : menu->actions())
        QVERIFY(!action->isEnabled());
    QCOMPARE(shared.at(2)->isEnabled(), sharedInPlace);

    menu = treeMenu(f);
    QCOMPARE(texts(menu.get()), QStringList({"Expand all", "Collapse all"}));

    // Only the view and the tree have menus.
    QVERIFY(!f.edit()->contextMenuFor(f.scene(), QPoint()));
}

// The classes with few entries of their own, picked in the tree: one object, then two of the class.
void TestEditorContextMenu::otherClassesSingleAndMultiple()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    Edge *bc = f.edge("B", "C");
    bool added = true;
    auto add = [&f, &added](NetObject *object) {
        added = f.net()->addItem(object) && added;
        return object;
    };
    auto *g1 = new DetectorGroup(ab);
    auto *g2 = new DetectorGroup(bc);
    add(g1);
    add(g2);
    auto *route1 = new Route(f.net());
    route1->addControlEdge(ab);
    auto *route2 = new Route(f.net());
    route2->addControlEdge(bc);
    struct Case
    {
        QList<NetObject *> objects;
        QStringList single;
        QStringList multiple;
    };
    const QList<Case> cases = {
        {{add(new Taz(f.net(), QPointF(0, 50))), add(new Taz(f.net(), QPointF(50, 50)))},
         {"Edit TAZ", "Copy to clipboard as ..."},
         {"Edit TAZ"}},
        {{add(new CompositeDetector(g1, g2, f.net())), add(new CompositeDetector(g2, g1, f.net()))},
         {"Copy skeleton to clipboard as ..."},
         QStringList()},
        {{add(route1), add(route2)}, {"Copy skeleton to clipboard as ...", "Recalculate"}, {"Recalculate"}},
        {{add(new PtStop(ab->lane(0), 20)), add(new PtStop(bc->lane(0), 20))}, QStringList(), QStringList()},
        {{add(new WalkingArea(f.node("B"))), add(new WalkingArea(f.node("B")))},
         {"Edit walking area", "Change shape geometry", "Copy shape to clipboard as ..."},
         {"Edit walking area"}},
    };
    QVERIFY(added);
    f.settle();
    for (const Case &c : cases) {
        const QString kind = c.objects.first()->metaObject()->className();
        selectInTree(f, {c.objects.first()});
        Menu menu = treeMenu(f);
        QCOMPARE(texts(menu.get()), c.single + QStringList({"Copy", "Delete"}) + treeEntries);
        selectInTree(f, c.objects);
        menu = treeMenu(f);
        QCOMPARE(texts(menu.get()), c.multiple + QStringList({"Copy", "Delete"}) + treeEntries);
        QCOMPARE(entry(menu.get(), "Delete")->data().toByteArray(), kind.toLatin1());
    }

    // Copy entries of the taz and of a stopline, whose texts tell the copy which variant to make.
    selectInTree(f, {cases.first().objects.first()});
    Menu menu = treeMenu(f);
    QCOMPARE(texts(subMenu(menu.get(), "Copy to clipboard as ...")),
             QStringList({"WKT shape", "KML shape", "WKT pos", "KML placemark", "WKT shape WGS84", "KML shape WGS84",
                          "WKT pos WGS84", "KML placemark WGS84"}));
    selectOnly(f, {ab->lane(0)->stopline()});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Copy to clipboard as ...", "Copy", "Delete"}) + viewEntries);
    QCOMPARE(texts(subMenu(menu.get(), "Copy to clipboard as ...")),
             QStringList({"WKT pos", "WKT line", "KML placemark", "KML line", "WKT pos WGS84", "WKT line WGS84",
                          "KML placemark WGS84", "KML line WGS84"}));
}

void TestEditorContextMenu::selectAnotherAmongStackedItems()
{
    EditorFixture f([](Network *net) {
        Layouts::Layout l = Layouts::chain(net);
        Layouts::addNode(l, "P", QPointF(50, 60));
        Layouts::addNode(l, "Q", QPointF(50, 60));
        return l;
    });
    Node *p = f.node("P");
    Node *q = f.node("Q");
    f.settle();
    selectOnly(f, {p});
    Menu menu = viewMenu(f, QPointF(50, 60));
    QVERIFY(!menu->actions().isEmpty());
    QMenu *select = menu->actions().first()->menu();
    QVERIFY(select);
    QCOMPARE(select->title(), QString("Select ..."));
    QStringList names = texts(select);
    names.sort();
    QCOMPARE(names, QStringList({p->printableName(), q->printableName()}));
    QAction *toQ = nullptr;
    for (QAction *action : select->actions()) {
        QVERIFY(action->isCheckable());
        QCOMPARE(action->isChecked(), action->data().toInt() == p->id());
        if (action->data().toInt() == q->id())
            toQ = action;
    }
    QVERIFY(toQ);
    toQ->trigger();
    QList<QGraphicsItem *> now = f.scene()->selectedItems();
    QCOMPARE(now.size(), 1);
    QCOMPARE(f.net()->item2object(now.first()), static_cast<NetObject *>(q));

    // Away from the selected item, or with one item under the click, there is no choice.
    menu = viewMenu(f, emptyGround);
    QVERIFY(!entry(menu.get(), "Select ..."));
    selectOnly(f, {f.node("A")});
    menu = viewMenu(f, QPointF(0, 0));
    QVERIFY(!entry(menu.get(), "Select ..."));
}

void TestEditorContextMenu::useAsTemplateShowsTheTemplate()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    selectInTree(f, {ab});
    Menu menu = viewMenu(f, emptyGround);
    QAction *use = entry(menu.get(), "Use as template");
    QVERIFY(use->isCheckable());
    QVERIFY(!use->isChecked());
    use->trigger();
    menu = viewMenu(f, emptyGround);
    QVERIFY(entry(menu.get(), "Use as template")->isChecked());

    // The lane shows its edge as the template, and switches it off.
    selectOnly(f, {ab->lane(1)});
    menu = viewMenu(f, emptyGround);
    QAction *useEdge = entry(menu.get(), QString("Use edge %1 as template").arg(ab->printableName()));
    QVERIFY(useEdge->isChecked());
    useEdge->trigger();
    selectInTree(f, {ab});
    menu = viewMenu(f, emptyGround);
    QVERIFY(!entry(menu.get(), "Use as template")->isChecked());
    // Another edge is not the template.
    selectInTree(f, {f.edge("B", "C")});
    menu = viewMenu(f, emptyGround);
    QVERIFY(!entry(menu.get(), "Use as template")->isChecked());
}

// The host's registered entries and what it adds on the signal come before "Delete", in order.
void TestEditorContextMenu::hostEntriesAndSignal()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    QAction first("Host first");
    QAction second("Host second");
    f.edit()->addContextMenuAction(Node::staticMetaObject.className(), &first);
    f.edit()->addContextMenuAction(Node::staticMetaObject.className(), &second);
    QList<QObjectList> selections;
    QObject::connect(f.edit(), &Trelvoga::NetEdit::beforeContextMenu, [&](QObjectList objects, QMenu *menu) {
        selections.append(objects);
        menu->addAction("From signal");
    });
    selectOnly(f, {f.node("A")});
    Menu menu = viewMenu(f, emptyGround);
    QCOMPARE(texts(menu.get()), QStringList({"Copy to clipboard as ...", "Copy", "From signal", "Host first",
                                             "Host second", "Delete", "Create granule"})
                                    + viewEntries);
    QCOMPARE(selections.size(), 1);
    QCOMPARE(selections.first(), QObjectList({f.node("A")}));

    // One signal per class menu; the registered entries go to their class only.
    selectOnly(f, {f.node("A"), f.edge("A", "B")->lane(0)});
    menu = viewMenu(f, emptyGround);
    QCOMPARE(selections.size(), 3);
    QVERIFY(texts(subMenu(menu.get(), "Node")).contains("Host first"));
    QVERIFY(!texts(subMenu(menu.get(), "Lane")).contains("Host first"));
    QVERIFY(texts(subMenu(menu.get(), "Lane")).contains("From signal"));
}

// "Delete" of one class's sub-menu leaves the other classes of the selection alone.
void TestEditorContextMenu::deleteOnlyRemovesTheClassOfItsMenu()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    Edge *ab = f.edge("A", "B");
    Lane *lane = ab->lane(1);
    Node *a = f.node("A");
    const QByteArray before = f.canonicalSave();
    selectOnly(f, {lane, a});
    Menu menu = viewMenu(f, emptyGround);
    QMenu *laneMenu = subMenu(menu.get(), "Lane");
    QVERIFY(laneMenu);
    QAction *remove = entry(laneMenu, "Delete");
    QCOMPARE(remove->data().toByteArray(), QByteArray("Trelvoa::Lane"));
    remove->trigger();
    f.settle();
    QCOMPARE(ab->lanesCount(), 1);
    QVERIFY(f.node("A"));
    QVERIFY(f.net()->findObject(a->id()));
    QCOMPARE(f.undoStack()->count(), 1);
    f.undoAll();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorContextMenu::entriesReachTheirOperations()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net, Layouts::NoCrossWalks); });
    Node *c = f.node("C");
    selectOnly(f, {c});
    Menu menu = viewMenu(f, emptyGround);
    entry(menu.get(), "Select connections")->trigger();
    const QList<QGraphicsItem *> selectedItems = f.scene()->selectedItems();
    QVERIFY(!selectedItems.isEmpty());
    for (QGraphicsItem *item : selectedItems)
        QCOMPARE(qobject_cast<Connection *>(f.net()->item2object(item))->junction(), c);

    // "Insert lane left from" on lane 0 puts the new lane at index 1.
    Edge *nc = f.edge("N", "C");
    Lane *lane = nc->lane(0);
    const int lanes = nc->lanesCount();
    selectOnly(f, {lane});
    menu = viewMenu(f, emptyGround);
    entry(menu.get(), "Insert lane left from")->trigger();
    QCOMPARE(nc->lanesCount(), lanes + 1);
    QCOMPARE(nc->laneIndex(lane), 0);

    // "Show selected on map" from the tree brings the selected node into the middle of the view.
    Node *north = f.node("N");
    selectInTree(f, {north});
    const QPointF target = f.toScene(north->pos());
    auto distanceToCentre = [&f, target] {
        return QLineF(f.view()->mapToScene(f.view()->viewport()->rect().center()), target).length();
    };
    const double before = distanceToCentre();
    menu = treeMenu(f);
    entry(menu.get(), "Show selected on map")->trigger();
    f.settle();
    QVERIFY2(distanceToCentre() < before / 2, qPrintable(QString("%1 -> %2").arg(before).arg(distanceToCentre())));

    // "Expand all" of the tree menu.
    f.edit()->objectsTree()->collapseAll();
    menu = treeMenu(f);
    entry(menu.get(), "Expand all")->trigger();
    QTreeWidgetItem *topRow = f.edit()->objectsTree()->topLevelItem(0);
    QVERIFY(topRow && topRow->childCount() > 0 && topRow->isExpanded());
}

// A real right click on the viewport shows the menu at once (closed again from a timer).
void TestEditorContextMenu::realRightClickShowsTheMenu()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    selectOnly(f, {f.node("A")});
    QStringList shown;
    QTimer::singleShot(50, [&shown] {
        if (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            shown = texts(popup);
            popup->close();
        }
    });
    const QPoint at = f.toViewport(emptyGround);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, f.view()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.view()->viewport(), &event);
    QCOMPARE(shown, QStringList({"Copy to clipboard as ...", "Copy", "Delete", "Create granule"}) + viewEntries);
}

void TestEditorContextMenu::realNetworkJunctionAndLane()
{
    const QString file = TestSupport::dataPath(QStringLiteral("bologna-acosta/acosta_buslanes.net.xml"));
    if (!QFile::exists(file))
        QSKIP("the shared real networks are not available");
    EditorFixture f;
    f.edit()->beforeLoad();
    QVERIFY(importSumoNetwork(f.net(), file));
    f.edit()->afterLoad();
    f.view()->setGeographic(f.net()->geoUtil() != nullptr);
    f.net()->updateGeometry();

    Node *junction = nullptr;
    for (Node *node : f.net()->findChildren<Node *>()) {
        if (node->type() != 0 && !node->findChildren<Connection *>().isEmpty() && node->edgesCount() > 2) {
            junction = node;
            break;
        }
    }
    QVERIFY(junction);
    const QPointF c = junction->pos();
    f.view()->fitInView(QRectF(f.toScene(c - QPointF(60, 60)), f.toScene(c + QPointF(60, 60))).normalized());
    f.wait(150);

    selectOnly(f, {junction});
    Menu menu = viewMenu(f, c);
    QStringList entries = texts(menu.get());
    QVERIFY2(entries.mid(0, 5)
                 == QStringList({"Create connections", "Select stoplines", "Select connections",
                                 "Adjust stoplines offset", "Remove with join"}),
             qPrintable(entries.join('|')));
    entry(menu.get(), "Select connections")->trigger();
    const QList<QGraphicsItem *> selectedItems = f.scene()->selectedItems();
    QVERIFY(!selectedItems.isEmpty());
    for (QGraphicsItem *item : selectedItems)
        QCOMPARE(qobject_cast<Connection *>(f.net()->item2object(item))->junction(), junction);

    // A lane of the junction's first edge, clicked on its skeleton: the junction goes to the click.
    Lane *lane = junction->edges().first()->lane(0);
    const GeoPolyline skeleton = lane->skeleton();
    QVERIFY(skeleton.count() >= 2);
    const QPointF on = (skeleton.at(0) + skeleton.at(1)) / 2;
    selectOnly(f, {lane});
    menu = viewMenu(f, on);
    QAction *insert = entry(menu.get(), "Insert junction on edge");
    QVERIFY(insert);
    QCOMPARE(insert->data().toPointF(), f.view()->mapToScene(f.toViewport(on)));
    QCOMPARE(texts(menu.get()).first(), QString("Select edge"));
}

QTEST_MAIN(TestEditorContextMenu)
#include "tst_editor_contextmenu.moc"
