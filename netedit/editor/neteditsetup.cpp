#include "editor/neteditprivate.h"

#include "commands/genericcommands.h"
#include "editor/cqtreewidget.h"
#include "editor/modes/addcompositedetectormode.h"
#include "editor/modes/addcrosswalkmode.h"
#include "editor/modes/adddetectormode.h"
#include "editor/modes/addedgegroupmode.h"
#include "editor/modes/addedgemode.h"
#include "editor/modes/addemergencydetectormode.h"
#include "editor/modes/addjunctionmode.h"
#include "editor/modes/addnodemode.h"
#include "editor/modes/addpointobjectmode.h"
#include "editor/modes/addpolygonmode.h"
#include "editor/modes/addptstopmode.h"
#include "editor/modes/addroutemode.h"
#include "editor/modes/addtazmode.h"
#include "editor/modes/addwalkingareamode.h"
#include "editor/modes/areaselectionmode.h"
#include "editor/modes/joinnodesmode.h"
#include "editor/modes/lanesconnectionmode.h"
#include "editor/modes/pasteplacementmode.h"
#include "editor/namedecorators.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "objecteditortree.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QMetaObject>
#include <QMetaType>
#include <QPointF>

namespace Trelvoga {

NetEditPrivate::NetEditPrivate(NetEdit *q, Networkg *net, QGraphicsView *view)
    : q(q)
    , net(net)
    , view(view)
    , scene(view ? view->scene() : nullptr)
{
}

NetEditPrivate::~NetEditPrivate()
{
    delete moveCommand;
    delete propertyCommand;
    delete geometryCommand;
    // Modes may hold items of their own on the scene: they go before the context that reaches it.
    modes.clear();
    delete areaRect;
}

void NetEditPrivate::dropPendingCommands()
{
    delete moveCommand;
    delete propertyCommand;
    delete geometryCommand;
    moveCommand = propertyCommand = geometryCommand = nullptr;
    propertyTimer.stop();
}

void NetEditPrivate::setup()
{
    setupObjectEditor();
    createActions();
    createEditActions();
    createViewActions();
    createDbActions();
    createContextShortcuts();
    createTree();
    createModes();
    QMetaObject::connectSlotsByName(q);

    inputActions = {createOdMatrixAction,
                    modeActions.value(ModeAddNode),
                    modeActions.value(ModeAddEdgeGroup),
                    modeActions.value(ModeAddEdge),
                    modeActions.value(ModeAddJunction),
                    modeActions.value(ModeAddCrosswalk),
                    modeActions.value(ModeAddWalkingArea),
                    modeActions.value(ModeAddRoute),
                    modeActions.value(ModeAddPolygon),
                    modeActions.value(ModeAddPointObject),
                    modeActions.value(ModeAddPtStop),
                    modeActions.value(ModeAddTaz),
                    modeActions.value(ModeLanesConnection),
                    modeActions.value(ModeAddDetector),
                    modeActions.value(ModeAddEmergencyDetector),
                    modeActions.value(ModeAddCompositeDetector),
                    modeActions.value(ModeJoinNodes),
                    createTrafficStateAction};
    if (view)
        savedDragMode = view->dragMode();
}

void NetEditPrivate::setupObjectEditor()
{
    objectEditor = new ObjectEditorTree;
    objectEditor->setObjectName(QStringLiteral("objectEditor"));
    objectEditor->allowDynamicPropertyType(false);

    objectEditor->setEditorProperty(int(QMetaType::Double), "decimals", 2);
    objectEditor->setEditorProperty(int(QMetaType::QPointF), "decimals", 2);
    for (const char *name : {"x", "y", "pos"})
        objectEditor->setEditorProperty(name, "decimals", 2);
    for (const char *name : {"borderColor", "backgroundColor"})
        objectEditor->setEditorProperty(name, "type", int(QMetaType::QColor));

    for (int i = 0; i < nameDecoratorCount; ++i) {
        const NameDecorator &n = nameDecorators[i];
        const QString name = QString::fromLatin1(n.name);
        if (!n.display)
            objectEditor->hideProperty(name);
        else if (n.className)
            objectEditor->addNameDecorator(QString::fromLatin1(n.className), name,
                                           QCoreApplication::translate("NetEditPrivate", n.display));
        else
            objectEditor->addNameDecorator(name, QCoreApplication::translate("NetEditPrivate", n.display));
    }

    objectEditor->setKnownDynamicProperties(QStringLiteral("Trelvoa::Route"),
                                            {QStringLiteral("number"), QStringLiteral("tramSchedule"),
                                             QStringLiteral("speed")});
    objectEditor->setKnownDynamicProperties(QStringLiteral("Trelvoa::Lane"), {QStringLiteral("lane_group")});
    objectEditor->setKnownDynamicProperties(
        QStringLiteral("Trelvoa::Connection"),
        {QStringLiteral("sumo_dir"), QStringLiteral("sumo_cont"), QStringLiteral("sumo_signal"),
         QStringLiteral("sumo_far_cp"), QStringLiteral("sumo_keepClear"), QStringLiteral("sumo_ie_offset")});
    objectEditor->setKnownDynamicProperties(QStringLiteral("Trelvoa::PtStop"),
                                            {QStringLiteral("timeStop"), QStringLiteral("tramDeviation")});
    objectEditor->setKnownDynamicProperties(QStringLiteral("Trelvoa::SignalGroup"), {QStringLiteral("sumo_green")});
}

QAction *NetEditPrivate::makeAction(const QString &name, const QString &text, const QString &icon,
                                    const QString &shortcut, bool checkable)
{
    auto *action = new QAction(QIcon(icon), text, q);
    action->setObjectName(name);
    action->setCheckable(checkable);
    if (!shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(shortcut));
        action->setToolTip(QStringLiteral("%1 (%2)").arg(text, shortcut));
    }
    return action;
}

namespace {

struct ModeActionRow
{
    EditMode mode;
    const char *name;
    const char *text;
    const char *icon;
    const char *shortcut;
};

// In the order the actions are made.
const ModeActionRow modeActionRows[] = {
    {ModeAddNode, "addNode", QT_TRANSLATE_NOOP("NetEdit", "Add nodes mode"), ":/trelvoga/images/add_node.png", "Alt+N"},
    {ModeAddPointObject, "addPointObject", QT_TRANSLATE_NOOP("NetEdit", "Add point object mode"),
     ":/trelvoga/images/add_point.png", "Alt+I"},
    {ModeAddEdge, "addEdge", QT_TRANSLATE_NOOP("NetEdit", "Add edges mode"), ":/trelvoga/images/add_edge.png", "Alt+E"},
    {ModeAddEdgeGroup, "addEdgeGroup", QT_TRANSLATE_NOOP("NetEdit", "Add edge groups mode"),
     ":/trelvoga/images/add_edge_group.png", "Alt+G"},
    {ModeAddJunction, "addJunction", QT_TRANSLATE_NOOP("NetEdit", "Add junctions mode"),
     ":/trelvoga/images/add_junction.png", "Alt+J"},
    {ModeLanesConnection, "addLanesConnection", QT_TRANSLATE_NOOP("NetEdit", "Lanes connection mode"),
     ":/trelvoga/images/add_conn.png", "Alt+C"},
    {ModeAddDetector, "addDetector", QT_TRANSLATE_NOOP("NetEdit", "Add detectors mode"),
     ":/trelvoga/images/add_dt.png", "Alt+D"},
    {ModeAddEmergencyDetector, "addEmergencyDetector", QT_TRANSLATE_NOOP("NetEdit", "Add emergency detectors mode"),
     ":/trelvoga/images/add_edt.png", "Alt+M"},
    {ModeAddCompositeDetector, "addCompositeDetector", QT_TRANSLATE_NOOP("NetEdit", "Add composite detectors mode"),
     ":/trelvoga/cursors/join_dt_groups_cursor.png", "Alt+O"},
    {ModeJoinNodes, "actionJoin_nodes_mode", QT_TRANSLATE_NOOP("NetEdit", "Join nodes mode"),
     ":/trelvoga/images/nodes_join.png", ""},
    {ModeAddCrosswalk, "addCrosswalk", QT_TRANSLATE_NOOP("NetEdit", "Add crosswalk mode"),
     ":/trelvoga/images/add_crosswalk.png", "Alt+W"},
    {ModeAddWalkingArea, "addWalkingArea", QT_TRANSLATE_NOOP("NetEdit", "Add walking area mode"),
     ":/trelvoga/images/add_wa.png", "Alt+K"},
    {ModeAddRoute, "addRoute", QT_TRANSLATE_NOOP("NetEdit", "Add route mode"), ":/trelvoga/cursors/add_route.png",
     "Alt+R"},
    {ModeAddPolygon, "addPolygon", QT_TRANSLATE_NOOP("NetEdit", "Add polygon mode"),
     ":/trelvoga/images/add_polygon.png", "Alt+P"},
    {ModeAddPtStop, "addPtStop", QT_TRANSLATE_NOOP("NetEdit", "Add PT stop mode"), ":/trelvoga/images/add_pt_stop.png",
     "Alt+S"},
    {ModeAddTaz, "addTaz", QT_TRANSLATE_NOOP("NetEdit", "Add traffic assignment zone mode"),
     ":/trelvoga/images/add_taz.png", "Alt+T"},
};

// Texts of the editor's actions, in the "NetEdit" translation context.
QString trEdit(const char *text)
{
    return QCoreApplication::translate("NetEdit", text);
}

// Layer names for the view actions where the property editor has no display name for them.
[[maybe_unused]] const char *const layerTexts[] = {
    QT_TRANSLATE_NOOP("NetEdit", "Geometries"),  QT_TRANSLATE_NOOP("NetEdit", "EdgeGroups"),
    QT_TRANSLATE_NOOP("NetEdit", "Edges"),       QT_TRANSLATE_NOOP("NetEdit", "Lanes"),
    QT_TRANSLATE_NOOP("NetEdit", "PtStops"),     QT_TRANSLATE_NOOP("NetEdit", "Marking"),
    QT_TRANSLATE_NOOP("NetEdit", "Nodes"),       QT_TRANSLATE_NOOP("NetEdit", "Connections"),
    QT_TRANSLATE_NOOP("NetEdit", "Crosswalks"),  QT_TRANSLATE_NOOP("NetEdit", "Stoplines"),
    QT_TRANSLATE_NOOP("NetEdit", "Routes"),      QT_TRANSLATE_NOOP("NetEdit", "EmergencyDetectors"),
    QT_TRANSLATE_NOOP("NetEdit", "Detectors"),   QT_TRANSLATE_NOOP("NetEdit", "DetectorGroups"),
    QT_TRANSLATE_NOOP("NetEdit", "CompositeDetectors"), QT_TRANSLATE_NOOP("NetEdit", "Tazs"),
    QT_TRANSLATE_NOOP("NetEdit", "Markers"),
};

} // namespace

void NetEditPrivate::createActions()
{
    createOdMatrixAction = makeAction(QStringLiteral("createOdMatrix"), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Create demand matrix ...")),
                                      QStringLiteral(":/trelvoga/images/create_od_matrix.png"), QString(), false);
    wireframeAction = makeAction(QStringLiteral("wireframe"), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Wireframe")),
                                 QStringLiteral(":/trelvoga/images/wireframe.png"), QStringLiteral("Ctrl+W"), true);
    for (const ModeActionRow &row : modeActionRows) {
        modeActions.insert(row.mode, makeAction(QString::fromLatin1(row.name), trEdit(row.text),
                                                QString::fromLatin1(row.icon), QString::fromLatin1(row.shortcut),
                                                true));
    }
    createTrafficStateAction = makeAction(QStringLiteral("createTrafficState"), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Create traffic state ...")),
                                          QStringLiteral(":/trelvoga/images/create_traffic_state.png"), QString(),
                                          false);
    fullConnectionsAction = makeAction(QStringLiteral("actionFull_connections_view"), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Full connections view")),
                                       QStringLiteral(":/trelvoga/images/full_connections_view.png"), QString(), true);
    fullConnectionsAction->setToolTip(trEdit(QT_TRANSLATE_NOOP("NetEdit", "Toggle full/simple connections view")));
}

void NetEditPrivate::createEditActions()
{
    copyAction = new QAction(QIcon(QStringLiteral(":/trelvoga/images/edit-copy.png")), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Copy")), q);
    copyAction->setObjectName(QStringLiteral("copy"));
    copyAction->setShortcut(QKeySequence::Copy);
    QObject::connect(copyAction, &QAction::triggered, q, &NetEdit::copySelection);

    pasteAction = new QAction(QIcon(QStringLiteral(":/trelvoga/images/edit-paste.png")), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Paste")), q);
    pasteAction->setObjectName(QStringLiteral("paste"));
    pasteAction->setShortcut(QKeySequence::Paste);
    QObject::connect(pasteAction, &QAction::triggered, q, &NetEdit::paste);

    pasteInPlaceAction = new QAction(trEdit(QT_TRANSLATE_NOOP("NetEdit", "Paste inplace")), q);
    pasteInPlaceAction->setObjectName(QStringLiteral("pasteInplace"));
    QObject::connect(pasteInPlaceAction, &QAction::triggered, q, &NetEdit::paste);

    for (QAction *action : {copyAction, pasteAction, pasteInPlaceAction})
        action->setEnabled(false);
    if (QClipboard *clipboard = QApplication::clipboard())
        QObject::connect(clipboard, &QClipboard::dataChanged, q, &NetEdit::clipboardDataChanged);
    q->clipboardDataChanged();
}

void NetEditPrivate::createViewActions()
{
    viewActions = {wireframeAction, fullConnectionsAction};
    for (Layer *layer : net->layers()) {
        const QString name = layer->objectName();
        if (name == Networkg::layerSelection)
            continue;
        const QString lower = name.toLower();
        // The action is the layer's child, so the layer keeps its check state in step (Layer::itemChange).
        QString text = q->dn(name);
        if (text == name)
            text = trEdit(name.toLatin1().constData());
        auto *action = new QAction(text, layer);
        action->setObjectName(QStringLiteral("action") + name);
        action->setCheckable(true);
        action->setChecked(layer->isVisible());
        action->setToolTip(trEdit(QT_TRANSLATE_NOOP("NetEdit", "Show/Hide %1")).arg(q->dn(lower)));
        const QString icon = QStringLiteral(":/trelvoga/images/show_%1.png").arg(lower);
        if (QFile::exists(icon))
            action->setIcon(QIcon(icon));
        QObject::connect(action, &QAction::triggered, q, &NetEdit::trigger_layer);
        viewActions.append(action);
    }
}

void NetEditPrivate::createContextShortcuts()
{
    struct Row
    {
        QAction **action;
        const char *name;
        const char *text;
        Qt::Key key;
        void (NetEdit::*slot)();
    };
    const Row rows[] = {
        {&selectEdgeAction, "actionSelectLanesEdge", QT_TRANSLATE_NOOP("NetEdit", "Select edge"), Qt::Key_E,
         &NetEdit::selectLanesEdge},
        {&selectEdgeGroupAction, "actionSelectLanesEdgeGroup", QT_TRANSLATE_NOOP("NetEdit", "Select edge group"),
         Qt::Key_G, &NetEdit::selectLanesEdgeGroup},
        {&editConnectionAction, "actionSetConnectionEdit", QT_TRANSLATE_NOOP("NetEdit", "Edit connection"), Qt::Key_C,
         &NetEdit::editConnections},
        {&editCrosswalkAction, "actionSetCrosswalkEdit", QT_TRANSLATE_NOOP("NetEdit", "Edit crosswalk"), Qt::Key_W,
         &NetEdit::editCrosswalks},
        {&editWalkingAreaAction, "actionSetWAEdit", QT_TRANSLATE_NOOP("NetEdit", "Edit walking area"), Qt::Key_A,
         &NetEdit::editWalkingArea},
        {&editTazAction, "actionSetTazEdit", QT_TRANSLATE_NOOP("NetEdit", "Edit TAZ"), Qt::Key_T, &NetEdit::editTaz},
    };
    for (const Row &row : rows) {
        auto *action = new QAction(trEdit(row.text), q);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setShortcut(QKeySequence(row.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        QObject::connect(action, &QAction::triggered, q, row.slot);
        if (view)
            view->addAction(action);
        *row.action = action;
    }
}

void NetEditPrivate::createTree()
{
    objectsTree = new CQTreeWidget;
    objectsTree->setObjectName(QStringLiteral("objectsTree"));
    objectsTree->setAlternatingRowColors(true);
    objectsTree->setAnimated(true);
    objectsTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    objectsTree->setHeaderHidden(false);
    objectsTree->header()->setDefaultSectionSize(154);
    objectsTree->setColumnCount(2);
    objectsTree->setHeaderLabels({trEdit(QT_TRANSLATE_NOOP("NetEdit", "Object")), trEdit(QT_TRANSLATE_NOOP("NetEdit", "Type"))});
}

void NetEditPrivate::createModes()
{
    EditContext *c = context.get();
    const QList<AbstractEditMode *> all = {
        new AddNodeMode(c),          new AddJunctionMode(c),     new AddEdgeMode(c),
        new AddEdgeGroupMode(c),     new LanesConnectionMode(c), new AddDetectorMode(c),
        new AddEmergencyDetectorMode(c), new AddCompositeDetectorMode(c), new AddCrosswalkMode(c),
        new AddWalkingAreaMode(c),   new JoinNodesMode(c),       new AddRouteMode(c),
        new AreaSelectionMode(c),    new AddPolygonMode(c),      new AddPointObjectMode(c),
        new AddPtStopMode(c),        new AddTazMode(c),          new PastePlacementMode(c),
    };
    for (AbstractEditMode *mode : all)
        modes[mode->mode()].reset(mode);
}

AbstractEditMode *NetEditPrivate::modeObject(EditMode value) const
{
    auto it = modes.find(value);
    return it == modes.end() ? nullptr : it->second.get();
}

QAction *NetEditPrivate::modeAction(EditMode value) const
{
    return modeActions.value(value);
}

GenericGraphicsItem *NetEditPrivate::itemOf(Trelvoa::NetObject *object) const
{
    return object ? net->object2item(object) : nullptr;
}

} // namespace Trelvoga
