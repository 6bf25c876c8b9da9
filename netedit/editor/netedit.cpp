#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/modes/abstracteditmode.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geoutil.h"
#include "netobject.h"
#include "objecteditortree.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsObject>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMainWindow>
#include <QMetaObject>
#include <QPainterPath>
#include <QSettings>
#include <QToolBar>
#include <QUndoStack>

namespace Trelvoga {

NetEdit::NetEdit(Networkg *net, QGraphicsView *view, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<NetEditPrivate>(this, net, view))
{
    {
        QSettings settings;
        settings.setIniCodec("UTF-8");
        settings.beginGroup(QStringLiteral("NeteditPanorama"));
        d->apiKey = settings.value(QStringLiteral("api_key"), QString()).toString();
        settings.endGroup();
    }

    d->context = std::make_unique<EditContext>(this);
    d->setup();
    d->objectEditor->hideProperty("#text");

    connect(d->objectEditor, &ObjectEditorTree::beforePropertyChanged, this, &NetEdit::beforePropertyChanged);
    connect(d->objectEditor, &ObjectEditorTree::propertyChanged, this, &NetEdit::propertyChanged);
    connect(d->objectEditor, &ObjectEditorTree::propertySelected, this, &NetEdit::propertySelected);
    connect(d->objectEditor, &ObjectEditorTree::beforeContextMenu, this, &NetEdit::beforeProperyContextMenu);
    if (view) {
        // The host's view offers these by signature; a view without them simply does not report.
        if (view->metaObject()->indexOfSignal("mouseReleased(int,QPointF)") >= 0)
            connect(view, SIGNAL(mouseReleased(int,QPointF)), this, SLOT(sceneMouseReleased(int,QPointF)),
                    Qt::QueuedConnection);
        if (view->metaObject()->indexOfSignal("keyPressed(int,int)") >= 0)
            connect(view, SIGNAL(keyPressed(int,int)), this, SLOT(sceneKeyPressed(int,int)));
        if (view->metaObject()->indexOfSignal("keyReleased(int,int)") >= 0)
            connect(view, SIGNAL(keyReleased(int,int)), this, SLOT(sceneKeyReleased(int,int)));
    }
    // Before the tree follows the removal: geometry editing lets go of the object first.
    connect(net, &Trelvoa::Network::objectRemoved, this,
            [this](Trelvoa::NetObject *object) { d->forgetEditedObject(object); });
    connect(net, &Trelvoa::Network::objectRemoved, this, &NetEdit::netObjectRemoved);
    connect(net, &Networkg::cleared, this, &NetEdit::networkCleared);
    connect(net, &Trelvoa::Network::objectAdded, this, [this](Trelvoa::NetObject *object) { objectAdded(object); });
    connect(d->objectsTree, &QTreeWidget::itemSelectionChanged, this, &NetEdit::objectTreeSelectionChanged);
    connect(d->objectsTree, &QTreeWidget::itemDoubleClicked, this, &NetEdit::objectTreeItemDoubleClicked);
    connect(d->objectsTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { d->fillGroup(item); });
    if (d->scene)
        connect(d->scene, &QGraphicsScene::selectionChanged, this, &NetEdit::selectionChanged);

    if (view) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    d->objectsTree->installEventFilter(this);
    // Right clicks reach the tree's viewport, not the tree.
    d->objectsTree->viewport()->installEventFilter(this);
    if (d->scene)
        d->scene->installEventFilter(this);
    d->objectsTree->setSortingEnabled(false);
}

NetEdit::~NetEdit()
{
    // Leaving commits nothing here: the stack goes with the editor. The modes let go of their objects.
    if (d->mode != ModeNone) {
        if (AbstractEditMode *mode = d->currentMode())
            mode->leave();
        EditContext::popOverrideCursors();
    }
    // The widgets were never parented by the editor; a host that placed them owns them.
    if (d->objectsTree && !d->objectsTree->parent())
        delete d->objectsTree;
    if (d->objectEditor && !d->objectEditor->parent())
        delete d->objectEditor;
}

Networkg *NetEdit::net() const
{
    return d->net;
}

QGraphicsView *NetEdit::view() const
{
    return d->view;
}

ObjectEditorTree *NetEdit::objectEditor() const
{
    return d->objectEditor;
}

QTreeWidget *NetEdit::objectsTree() const
{
    return d->objectsTree;
}

QUndoStack *NetEdit::undoStack() const
{
    return d->undoStack;
}

QUndoStack *NetEdit::createUndoStack()
{
    if (!d->undoStack) {
        d->undoStack = new QUndoStack(this);
        connect(d->undoStack, &QUndoStack::cleanChanged, this, &NetEdit::undoCleanChanged);
        connect(d->undoStack, &QUndoStack::indexChanged, this, &NetEdit::undoIndexChanged);
    }
    return d->undoStack;
}

EditContext *NetEdit::context() const
{
    return d->context.get();
}

EditMode NetEdit::mode() const
{
    return d->mode;
}

QString NetEdit::modeHint() const
{
    AbstractEditMode *mode = d->currentMode();
    return mode ? mode->hint() : QString();
}

void NetEditPrivate::announceHint()
{
    const QString hint = q->modeHint();
    if (hint == announcedHint)
        return;
    announcedHint = hint;
    emit q->modeHintChanged(hint);
}

AbstractEditMode *NetEdit::modeObject(EditMode mode) const
{
    return d->modeObject(mode);
}

QList<QAction *> NetEdit::viewActions() const
{
    return d->viewActions;
}

QList<QAction *> NetEdit::inputActions() const
{
    return d->inputActions;
}

QList<QAction *> NetEdit::dbActions() const
{
    return d->dbActions;
}

QList<QAction *> NetEdit::editActions() const
{
    return {d->copyAction, d->pasteAction, d->pasteInPlaceAction};
}

namespace {

QToolBar *makeToolbar(const QString &name, const QString &title, const QList<QAction *> &actions)
{
    auto *bar = new QToolBar(title);
    bar->setObjectName(name);
    bar->addActions(actions);
    return bar;
}

} // namespace

QToolBar *NetEdit::createViewToolbar()
{
    return makeToolbar(QStringLiteral("viewToolbar"), tr("Network items"), d->viewActions);
}

QToolBar *NetEdit::createInputToolbar()
{
    return makeToolbar(QStringLiteral("actionsToolbar"), tr("Network actions"), d->inputActions);
}

QToolBar *NetEdit::createDBToolbar()
{
    return makeToolbar(QStringLiteral("dbToolbar"), tr("Database actions"), d->dbActions);
}

void NetEdit::setCustomMainWindow(QWidget *window)
{
    d->mainWindow = window;
}

QWidget *NetEdit::findMainWindow() const
{
    if (d->mainWindow)
        return d->mainWindow;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(widget))
            return widget;
    }
    return nullptr;
}

QString NetEdit::dn(const QString &name) const
{
    return d->objectEditor ? d->objectEditor->dn(name) : name;
}

QPointF NetEdit::geoPos(const QPointF &xy) const
{
    Trelvoa::GeoUtil *geo = d->net->geoUtil();
    return geo ? geo->xyToGeo(xy) : xy;
}

QPointF NetEdit::netPos(const QPointF &scenePos) const
{
    Trelvoa::GeoUtil *geo = d->net->geoUtil();
    return geo ? geo->geoToXY(scenePos) : scenePos;
}

void NetEdit::addContextMenuAction(const char *className, QAction *action)
{
    d->contextActions.insert(className, action);
}

QList<QAction *> NetEdit::contextMenuActions(const char *className) const
{
    return d->contextActions.values(className);
}

void NetEdit::beforeLoad()
{
    disconnect(d->net, &Trelvoa::Network::objectAdded, this, nullptr);
    if (d->scene)
        d->scene->setBspTreeDepth(0);
    if (d->view)
        d->view->hide();
    d->networkCleared = false;
}

void NetEdit::afterLoad()
{
    connect(d->net, &Trelvoa::Network::objectAdded, this, [this](Trelvoa::NetObject *object) { objectAdded(object); });
    if (d->view)
        d->view->show();
    if (!d->networkCleared)
        return;
    d->networkCleared = false;
    rebuildObjectTree();
}

void NetEdit::networkCleared()
{
    d->forgetNetwork();
    d->networkCleared = true;
}

void NetEdit::clear()
{
    if (d->undoStack) {
        d->undoStack->clear();
        d->dropPendingCommands();
    }
    leaveMode();
    d->endEditStates();
    delete d->areaRect;
    d->areaRect = nullptr;
    d->forgetNetwork();
    d->net->clear();
    if (d->view)
        QMetaObject::invokeMethod(d->view, "setEnabledPath", Q_ARG(QPainterPath, QPainterPath()));
}

void NetEditPrivate::forgetNetwork()
{
    dropPendingCommands();
    if (undoStack)
        undoStack->clear();
    if (scene) {
        selectionUpdating = true;
        scene->clearSelection();
        selectionUpdating = false;
    }
    selectionTimer.stop();
    reparented.clear();
    editItems.clear();
    treeUpdating = true;
    objectsTree->clear();
    treeUpdating = false;
    objectEditor->clear();
    objectItems.clear();
}

void NetEdit::setLayerVisible(const QString &name, bool visible)
{
    // Layers are the scene's QObject children, named after themselves.
    if (!d->scene)
        return;
    if (auto *layer = d->scene->findChild<QGraphicsObject *>(name, Qt::FindDirectChildrenOnly))
        layer->setVisible(visible);
}

void NetEdit::trigger_layer(bool checked)
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    if (auto *layer = qobject_cast<Layer *>(action->parent()))
        layer->setVisible(checked);
    if (d->scene)
        d->scene->update();
}

void NetEdit::on_wireframe_triggered(bool checked)
{
    d->net->setWireframe(checked);
}

void NetEdit::on_actionFull_connections_view_triggered(bool checked)
{
    d->net->setFullConnectionsView(checked);
}

void NetEdit::on_createOdMatrix_triggered()
{
    addCreated(createOdMatix());
}

void NetEdit::on_createTrafficState_triggered()
{
    addCreated(createTrafficState());
}

void NetEdit::addCreated(Trelvoa::NetObject *object)
{
    if (!object)
        return;
    object->setParent(d->net);
    if (!d->net->addItem(object)) {
        emit logMessage(d->net->errorString(), QtCriticalMsg);
        delete object;
        return;
    }
    d->context->record([this, object] { return new AddItemCommand(this, object); });
    d->net->setChanged(true);
}

void NetEdit::selectAnother(QAction *action)
{
    if (!action || !d->scene)
        return;
    Trelvoa::NetObject *object = d->net->findObject(action->data().toInt());
    GenericGraphicsItem *item = d->itemOf(object);
    if (!item)
        return;
    d->scene->clearSelection();
    item->setSelected(true);
}

} // namespace Trelvoga
