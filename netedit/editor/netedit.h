#pragma once

#include "trelvoga_global.h"

#include <QList>
#include <QObject>
#include <QObjectList>
#include <QPointF>
#include <QtGlobal>
#include <memory>

class QAction;
class QGraphicsView;
class QMenu;
class QPoint;
class QRectF;
class QUrl;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;
class ObjectEditorTree;

namespace Trelvoa {
class NetObject;
class OdMatrix;
class TrafficState;
} // namespace Trelvoa

namespace Trelvoga {

class AbstractEditMode;
class CQTreeWidget;
class EditContext;
class GenericGraphicsItem;
class NetEditPrivate;
class Networkg;

// The current edit mode of the editor; 0 when none is active. 13 is not used.
enum EditMode : int {
    ModeNone = 0,
    ModeAddNode = 1,
    ModeAddJunction = 2,
    ModeAddEdge = 3,
    ModeAddEdgeGroup = 4,
    ModeLanesConnection = 5,
    ModeAddDetector = 6,
    ModeAddEmergencyDetector = 7,
    ModeAddCompositeDetector = 8,
    ModeAddCrosswalk = 9,
    ModeAddWalkingArea = 10,
    ModeJoinNodes = 11,
    ModeAddRoute = 12,
    ModeAreaSelection = 14,
    ModeAddPolygon = 15,
    ModeAddPointObject = 16,
    ModeAddPtStop = 17,
    ModeAddTaz = 18,
    ModePastePlacement = 19,
};

// The editor controller on a scene network and a view of its scene. It owns the actions and toolbars
// the host places, the object tree, the property editor and the undo stack, and turns input into
// undoable edits of the model. It is a thin dispatcher: each edit mode is an object of its own
// (editor/modes), tree and selection, property edits and the vehicle-class commands live in source
// files of their own, and every mode and command works through one EditContext.
//
// Slots named on_<action>_triggered are bound to the actions by name (connectSlotsByName).
class TRELVOGA_EXPORT NetEdit : public QObject
{
    Q_OBJECT

public:
    NetEdit(Networkg *net, QGraphicsView *view, QObject *parent = nullptr);
    ~NetEdit() override;

    Networkg *net() const;
    QGraphicsView *view() const;
    ObjectEditorTree *objectEditor() const;
    QTreeWidget *objectsTree() const;
    // Null until createUndoStack() was called; without a stack every edit applies directly.
    QUndoStack *undoStack() const;
    // Creates the undo stack on the first call; later calls return the same stack.
    QUndoStack *createUndoStack();
    // What modes, operations and commands work through.
    EditContext *context() const;

    EditMode mode() const;
    // The current mode's hint (empty without a mode).
    QString modeHint() const;
    // The object of a mode value (null for 0 and 13): its gesture state, for hosts and tests.
    AbstractEditMode *modeObject(EditMode mode) const;

    QList<QAction *> viewActions() const;
    QList<QAction *> inputActions() const;
    QList<QAction *> dbActions() const;
    // Copy, Paste, Paste inplace.
    QList<QAction *> editActions() const;
    // New toolbars the caller owns.
    QToolBar *createViewToolbar();
    QToolBar *createInputToolbar();
    QToolBar *createDBToolbar();

    void setCustomMainWindow(QWidget *window);
    // The custom main window, else the first top-level QMainWindow, else null.
    QWidget *findMainWindow() const;

    // The property editor's display name for a name (the name itself without a property editor).
    QString dn(const QString &name) const;
    // Model XY to scene coordinates and back (unchanged without a projection).
    QPointF geoPos(const QPointF &xy) const;
    QPointF netPos(const QPointF &scenePos) const;

    // Actions the scene context menu adds for objects of a class. Keys are compared as pointers: pass
    // the class name of the model class's static meta-object.
    void addContextMenuAction(const char *className, QAction *action);
    QList<QAction *> contextMenuActions(const char *className) const;

    // Tree and selection.
    QString getObjectNameForTree(Trelvoa::NetObject *object) const;
    void updateObjectNameInTree(Trelvoa::NetObject *object);
    void selectObjectInTree(QObject *object);
    // Tree-selected objects in tree order, then the objects of selected scene items not yet listed.
    QList<Trelvoa::NetObject *> selectedObjects() const;
    // The group item of a class under parent (top level for null), made when missing.
    QTreeWidgetItem *getSubtreeItem(QTreeWidgetItem *parent, const char *className);
    // The objects shown below an item (through nested groups) to their items.
    QHash<Trelvoa::NetObject *, QTreeWidgetItem *> treeChildObjects(QTreeWidgetItem *item) const;
    // The tree items of an object, one per parent it is shown under (made now if its group had not).
    QList<QTreeWidgetItem *> treeItems(Trelvoa::NetObject *object) const;
    Trelvoa::NetObject *treeItemObject(QTreeWidgetItem *item) const;
    void removeObjectFromParent(Trelvoa::NetObject *object, QObject *parent);
    // Builds the whole tree anew from the network: the same as objectAdded for every object below the
    // network, in one pass. A top-level group of more objects than setEagerTreeGroupRows() gets its
    // rows when it is first expanded, or when one of its objects is selected or asked for.
    void rebuildObjectTree();
    void setEagerTreeGroupRows(int rows);
    // Makes the rows of every group not filled yet (before expanding the whole tree).
    void fillObjectTree();

    // The menu a right click at pos (viewport coordinates of source: the view's or the object tree's
    // viewport) shows for the current selection; null when it would be empty. The caller owns it.
    QMenu *contextMenuFor(QObject *source, const QPoint &pos);

    // Dialogs of the demand editors; null when cancelled or without a main window.
    Trelvoa::NetObject *createOdMatix();
    Trelvoa::NetObject *createTrafficState();
    // The dialogs on an existing matrix (traffic state), modal; accepted changes are one undo step.
    void editOdMatrix(Trelvoa::OdMatrix *matrix);
    void editTrafficState(Trelvoa::TrafficState *state);

    // --- database exchange (neteditexchange.cpp)
    // The database server's base address; asks for it when none is stored. Empty: no exchange.
    QUrl getRRSUrl();
    // Posts body to the database server and applies the identifier map it answers.
    void uploadData(const QByteArray &body);
    // --- end database exchange

    // --- panorama (neteditpanorama.cpp)
    void addPanoramaContextMenu(QMenu *menu);
    void loadPanoramaHtml();
    void showPanoramaSetupDlg(QWidget *parent);
    // --- end panorama

public slots:
    // Around a bulk load: the tree is not built object by object. A load that replaces the network
    // empties it first, and the editor then forgets the tree, the history and the open commands (they
    // name objects that are gone); afterLoad() builds the tree anew. After a failed or a merging load
    // nothing is dropped.
    void beforeLoad();
    void afterLoad();
    // Clears the undo stack, leaves the mode, empties tree and property editor and the network.
    void clear();
    // Leaves the current mode (commits what it built).
    void leaveMode();

    void setLayerVisible(const QString &name, bool visible);
    void trigger_layer(bool checked);
    void on_wireframe_triggered(bool checked);
    void on_actionFull_connections_view_triggered(bool checked);
    void on_createOdMatrix_triggered();
    void on_createTrafficState_triggered();

    void on_addNode_triggered(bool checked);
    void on_addJunction_triggered(bool checked);
    void on_addEdge_triggered(bool checked);
    void on_addEdgeGroup_triggered(bool checked);
    void on_addLanesConnection_triggered(bool checked);
    void on_addDetector_triggered(bool checked);
    void on_addEmergencyDetector_triggered(bool checked);
    void on_addCompositeDetector_triggered(bool checked);
    void on_addCrosswalk_triggered(bool checked);
    void on_addWalkingArea_triggered(bool checked);
    void on_actionJoin_nodes_mode_triggered(bool checked);
    void on_addRoute_triggered(bool checked);
    void on_addPolygon_triggered(bool checked);
    void on_addPointObject_triggered(bool checked);
    void on_addPtStop_triggered(bool checked);
    void on_addTaz_triggered(bool checked);

    void selectAnother(QAction *action);

    // Vehicle classes of the selected lanes (the lane context menu's "Vehicle types").
    void allow(QAction *action);
    void allowOnly(QAction *action);
    void disallowOnly(QAction *action);
    void disallowAll();
    void allowDefault();

    // The clipboard: network parts as "text/trelvo" (copy the selection or a granule, paste to place
    // with the mouse or in place), and one object's position, shape or skeleton as WKT or KML text
    // (in WGS84 when the triggering action's text ends so and the network has a projection).
    void copySelection();
    void copyGranuleToClipboard();
    void paste();
    void clipboardDataChanged();
    void copyPosAsWKT();
    void copyPosAsKML();
    void copyShapeAsWKT();
    void copyShapeAsKML();
    void copySkeletonAsWKT();
    void copySkeletonAsKML();
    // Network parts to a file: the granule selected in the tree, or what lies under the selected polygons.
    void saveGranule();
    void savePolygonNetPart();

    void selectLanesEdge();
    void selectLanesEdgeGroup();
    void editConnections();
    void editCrosswalks();
    void editWalkingArea();
    void editTaz();
    // Geometry editing of the selected lanes, or of the one selected node, polygon, walking area, edge
    // or edge group.
    void editLaneSkeleton();
    void editNodeShape();
    void editPolygonShape();
    void editWAShape();
    void editEdgeSkeleton();
    // Junction and road operations of the context menus, on the selected junctions (edges): each one
    // undo step where it changes the network.
    void uniteNodes();
    void createJunctionConnections();
    void selectJunctionConnections();
    void selectJunctionStoplines();
    void adjustStoplinesOffset();
    void removeJunctionWithJoin();
    // The triggering action's data is the clicked scene point: the junction goes there.
    void insertJunctionOnEdge();
    void insertJunctionOnEdgeGroup();
    // Road operations of the context menus: a lane inserted beside each selected lane (the action's data
    // false: on its left), the selected road as template of new ones, edges into and out of groups.
    void insertLane();
    void useAsTemplate(bool on);
    void addEdgeToGroup();
    void removeEdgeFromGroup();
    // Detector groups of the context menus: a group per edge for the selected detectors (one undo step),
    // detectors into the selected group, selected detectors out of theirs.
    void createDtGroup();
    void addDtToGroup();
    void removeSelectedDtFromGroup();
    // What lies under the selected polygons: selected, or deleted as one undo step.
    void selectItemsUnderPolygon();
    void deleteItemsUnderPolygon();
    // Granules and signal groups of the context menus.
    void createGranule();
    void addJunctionToGranule();
    void removeJunctionFromGranule();
    void createSg();
    void changeSgContent();
    void selectSg();
    // The measured intensities of the one selected junction, in their dialog (modal).
    void editMeasurementData();
    // The network as a SUMO project, in its modal dialog; tlList < 0: no TL list given.
    void runExportDialog(const QString &networkFile, const QString &tlConfigDir = QString(), int tlList = -1);
    // The demand dialogs on the matrix (traffic state) in the triggering action's data, else the
    // selected one.
    void changeODMatrix();
    void changeTrafficState();

    // --- database exchange slots (neteditexchange.cpp)
    void downloadNetworkForArea(const QRectF &area, bool join);
    void downloadGranule(const QString &id);
    void downloadNetworkFromVantal();
    void uploadNetworkToVantal();
    // --- end database exchange slots

    // --- panorama slots (neteditpanorama.cpp)
    void showPanorama();
    void panoramaClosed();
    void panoramaPosChanged(double lat, double lng);
    void panoramaPovChanged(double heading);
    // --- end panorama slots

    // Has the model recompute the course of the selected routes (not undoable).
    void recalculateSelectedRoutes();
    // Deletes the selected objects (only those inheriting the triggering action's data as a class name,
    // when it has one); selected markers remove their vertex or connection instead.
    void removeSelectedItems();

    void objectAdded(Trelvoa::NetObject *object, QObject *parent = nullptr);
    void netObjectRemoved(Trelvoa::NetObject *object);
    void selectionChanged();
    void objectTreeSelectionChanged();
    void objectTreeItemDoubleClicked(QTreeWidgetItem *item, int column);
    void processSceneSelection();
    void showSelectionOnTree();
    void showSelectionOnscene();
    void showGranuleOnTree();

    void beforePropertyChanged(QObject *object, const QByteArray &name);
    void propertyChanged(QObject *object, const QByteArray &name);
    void propertySelected(QObject *object, const QByteArray &name);
    void beforeProperyContextMenu(QMenu &menu, QObject *object, const QByteArray &name);

    void undoIndexChanged(int index);
    void undoCleanChanged(bool clean);

    void sceneMousePressed(int button, const QPointF &scenePos);
    void sceneMouseReleased(int button, const QPointF &scenePos);
    void sceneKeyPressed(int key, int modifiers);
    void sceneKeyReleased(int key, int modifiers);

signals:
    void logMessage(const QString &text, QtMsgType type);
    void beforeContextMenu(QObjectList selectedObjects, QMenu *menu);
    void itemClicked(Trelvoga::GenericGraphicsItem *item);
    // What the next click does in the current mode (empty without a mode), for the host's status bar.
    void modeHintChanged(const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    friend class NetEditPrivate;
    friend class EditContext;

    void enterMode(EditMode mode, bool checked);
    void networkCleared();
    // A dialog's new object joins the network as one undo step.
    void addCreated(Trelvoa::NetObject *object);
    void processAllowCommand(QAction *action, int op);
    void fitRect(const QRectF &sceneRect);
    QRectF itemFitRect(Trelvoa::NetObject *object) const;
    void commitPropertyCommand();

    std::unique_ptr<NetEditPrivate> d;
};

} // namespace Trelvoga
