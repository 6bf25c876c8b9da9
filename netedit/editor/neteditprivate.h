#pragma once

#include "editor/editcontext.h"
#include "editor/netedit.h"

#include <QBasicTimer>
#include <QGraphicsView>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMultiHash>
#include <QMultiMap>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>

class QAction;
class QGraphicsItem;
class QGraphicsRectItem;
class QGraphicsScene;
class QGraphicsSceneDragDropEvent;
class QTreeWidgetItem;
class QUndoStack;
class ObjectEditorTree;

namespace Trelvoa {
class CrossWalk;
class Edge;
class EdgeGroup;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class AbstractEditMode;
class ChangePropertyCommand;
class CQTreeWidget;
class GenericGraphicsItem;
class Layer;
class Networkg;

// The editor's whole state. Gesture state of the modes lives in the mode objects; what several modes
// and operations share is here or in the EditContext.
class NetEditPrivate
{
public:
    NetEditPrivate(NetEdit *q, Networkg *net, QGraphicsView *view);
    ~NetEditPrivate();

    // Property editor, decorators, actions, toolbars' lists, the tree, connectSlotsByName.
    void setup();
    void setupObjectEditor();
    void createActions();
    void createEditActions();
    void createViewActions();
    void createContextShortcuts();
    void createTree();
    void createModes();
    QAction *makeAction(const QString &name, const QString &text, const QString &icon,
                        const QString &shortcut, bool checkable);

    AbstractEditMode *modeObject(EditMode mode) const;
    AbstractEditMode *currentMode() const { return modeObject(mode); }
    QAction *modeAction(EditMode mode) const;

    // The row of an object under a group row, and the rows of everything shown below it (a fresh tree).
    QTreeWidgetItem *addRows(Trelvoa::NetObject *object, QTreeWidgetItem *group);
    // The rows of a top-level group not made yet; nothing for another row.
    void fillGroup(QTreeWidgetItem *row);
    void fillAllGroups();
    // Makes the rows of an object if its top-level group has not made them yet.
    void ensureRows(Trelvoa::NetObject *object);
    // The top-level group that shows an object (directly or below its owners), or null.
    QTreeWidgetItem *topGroupOf(Trelvoa::NetObject *object) const;
    QString typeName(const char *className);
    QString groupName(const char *className);
    // Deletes the open move, property and geometry commands.
    void dropPendingCommands();
    // Forgets the tree, the property editor's objects, the history and the open commands: the objects
    // they name are gone.
    void forgetNetwork();
    // Ends geometry editing: unchanged objects leave the command; the rest is pushed.
    void finishGeometryEditing();
    // Ends the lane-edit and connection-edit states of the listed items.
    void endEditStates();
    // Puts an item into geometry editing under the open geometry command (opened when needed); nothing
    // for an item already in it. The caller runs saveGeometryBefore() once all items are in.
    void enterGeometryEditing(GenericGraphicsItem *item);
    void saveGeometryBefore();
    // An object that goes while its item is in geometry editing leaves the session and its command.
    void forgetEditedObject(Trelvoa::NetObject *object);
    // Opens the move command over the selected movable items as a drag of them starts.
    void startMove();
    // What every left click does after the mode's own handling.
    void afterClick(const QPointF &scenePos, Qt::KeyboardModifiers modifiers);
    // A marker dropped on the scene; false when the payload is not ours or no item takes it.
    bool drop(QGraphicsSceneDragDropEvent *event);
    // Deletes an object the editor removes (its tree rows follow the network's removal signal).
    void deleteObject(Trelvoa::NetObject *object);
    // Puts items shown on the "Selection" layer back under their own layers.
    void restoreReparented();
    // Resolves an item held through its object; null when the object or its item is gone.
    GenericGraphicsItem *itemOf(Trelvoa::NetObject *object) const;
    // The objects of the selected scene items, in selection order.
    QList<Trelvoa::NetObject *> selectedSceneObjects() const;

    // --- context menus (neteditcontextmenu.cpp)
    // --- end context menus

    // --- database exchange (neteditexchange.cpp)
    // Makes the database actions and fills dbActions.
    void createDbActions();
    // Puts a downloaded network into the editor's network (merged when join is set, else replacing it),
    // as one undo step when there is a stack. False, with the reason logged, when it cannot be loaded:
    // the network is then exactly as it was.
    bool applyDownloaded(const QByteArray &data, const QPainterPath &area, bool join);
    // Calls the view's editable-area method of that name, when the view has one.
    void setViewPath(const char *method, const QPainterPath &path);
    // The address of the Vantal service, confirmed by the user; empty when cancelled.
    QString askVantalUrl(const QString &title, const QString &label);
    QAction *dbGranuleAction = nullptr;
    QAction *dbUploadAction = nullptr;
    QAction *vantalDownloadAction = nullptr;
    QAction *vantalUploadAction = nullptr;
    // --- end database exchange

    // --- panorama (neteditpanorama.cpp)
    // The marker of the open panorama; null without one (QPointer: the scene may delete it first).
    QPointer<class PanoramaGraphicsItem> panoramaMarker;
    // Where the panorama looks: sent to the page each time it has (re)loaded.
    QPointF panoramaPoint;
    double panoramaHeading = 0.0;
    // --- end panorama

    // --- clipboard (neteditclipboard.cpp)
    // Adds an object to a copy: the object, the granule of a node with what the granule needs, and the
    // object's needed top-level objects (one level); each once, in order. Excluded objects are left out.
    void collectForCopy(QObject *object, QList<Trelvoa::NetObject *> &list,
                        const QList<Trelvoa::NetObject *> &excluded = {}) const;
    // The objects as a "text/trelvo" fragment on the clipboard; a failed save is logged and leaves the
    // clipboard as it was.
    bool copyToClipboard(const QList<Trelvoa::NetObject *> &objects);
    // A save-file dialog starting in the last directory saved to; empty when cancelled.
    QString chooseSaveFile(const QString &title, QString *selectedFilter);
    // --- end clipboard

    NetEdit *q;
    Networkg *net;
    QPointer<QGraphicsView> view;
    QPointer<QGraphicsScene> scene;
    QWidget *mainWindow = nullptr;
    QString apiKey;
    QGraphicsView::DragMode savedDragMode = QGraphicsView::NoDrag;
    EditMode mode = ModeNone;

    std::unique_ptr<EditContext> context;
    std::map<int, std::unique_ptr<AbstractEditMode>> modes;

    // Actions.
    QAction *createOdMatrixAction = nullptr;
    QAction *wireframeAction = nullptr;
    QAction *createTrafficStateAction = nullptr;
    QAction *fullConnectionsAction = nullptr;
    QHash<int, QAction *> modeActions;
    QAction *selectEdgeAction = nullptr;
    QAction *selectEdgeGroupAction = nullptr;
    QAction *editConnectionAction = nullptr;
    QAction *editCrosswalkAction = nullptr;
    QAction *editWalkingAreaAction = nullptr;
    QAction *editTazAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *pasteInPlaceAction = nullptr;
    QAction *dbAreaAction = nullptr;
    QAction *dbAreaAddAction = nullptr;
    QList<QAction *> viewActions;
    QList<QAction *> inputActions;
    QList<QAction *> dbActions;

    CQTreeWidget *objectsTree = nullptr;
    ObjectEditorTree *objectEditor = nullptr;
    // Object to its tree rows (one per parent it is shown under); a row knows its object itself.
    QMultiHash<Trelvoa::NetObject *, QTreeWidgetItem *> objectItems;
    // A top-level group of more objects than this gets its rows when it is first opened (or one of its
    // objects is selected): a city's tens of thousands of rows would cost a tenth of a second and tens
    // of megabytes at every open.
    int eagerGroupRows = 1000;
    // The tree's texts per class: the "Type" column and the group rows (the property editor's display
    // names). Keys are static meta-object class names.
    QHash<const char *, QString> typeNames;
    QHash<const char *, QString> groupNames;
    // Set when the network was emptied under the editor (a load replacing it); afterLoad() builds the
    // tree anew.
    bool networkCleared = false;
    // Items shown on the "Selection" layer while their own layer is hidden, by object id.
    QHash<int, QPointer<Layer>> reparented;

    QPointer<Trelvoa::NetObject> templateEdge;
    QPointer<Trelvoa::NetObject> templateEdgeGroup;
    QPointer<Trelvoa::NetObject> templateCrosswalk;

    QMultiMap<const char *, QAction *> contextActions;

    QPointer<QUndoStack> undoStack;
    ChangePropertyCommand *moveCommand = nullptr;
    ChangePropertyCommand *propertyCommand = nullptr;
    ChangePropertyCommand *geometryCommand = nullptr;

    QBasicTimer propertyTimer;
    QBasicTimer selectionTimer;
    bool treeUpdating = false;
    bool selectionUpdating = false;

    // Items in geometry editing and in the edit states, held through their objects.
    QList<QPointer<Trelvoa::NetObject>> editItems;
    QList<QPointer<Trelvoa::NetObject>> lanesEditConnections;
    QList<QPointer<Trelvoa::NetObject>> lanesEditCrosswalks;
    QList<QPointer<Trelvoa::NetObject>> connectionsEditWalkingAreas;
    QList<QPointer<Trelvoa::NetObject>> connectionsEditTazs;
    QGraphicsRectItem *areaRect = nullptr;
    // Set while the add-point cursor that Control shows in geometry editing is on the cursor stack.
    bool midPointCursor = false;
    // The hint last announced, so that a gesture step that does not change it says nothing.
    QString announcedHint;
    void announceHint();
};

} // namespace Trelvoga
