// Scene input: the event filter's routing of moves, presses, releases, double clicks and drops, what
// every left click does after the mode's own handling, and the keys.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/cqtreewidget.h"
#include "editor/modes/abstracteditmode.h"
#include "editor/modes/addpolygonmode.h"
#include "editor/neteditprivate.h"
#include "items/connectionline.h"
#include "items/dragdropmarker.h"
#include "items/stoplineg.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGraphicsEllipseItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>
#include <QTreeWidget>
#include <QUndoStack>
#include <memory>

namespace Trelvoga {

namespace {

const QString midPointCursor = QStringLiteral(":/trelvoga/cursors/add_mid_point_cursor.png");

bool isMarker(const QGraphicsItem *item)
{
    return item->type() == ItemType::GeometryEditorMarker || item->type() == ItemType::DragDropMarker;
}

// The item types a double click puts into geometry editing.
bool editsGeometry(int type)
{
    switch (type) {
    case ItemType::Connectiong:
    case ItemType::DetectorGroupg:
    case ItemType::Edgeg:
    case ItemType::Laneg:
    case ItemType::Nodeg:
    case ItemType::PolygonObjectg:
    case ItemType::Routeg:
    case ItemType::WalkingAreag:
    case ItemType::EdgeGroupg:
        return true;
    default:
        return false;
    }
}

} // namespace

bool NetEdit::eventFilter(QObject *watched, QEvent *event)
{
    auto *polygonMode = static_cast<AddPolygonMode *>(d->modeObject(ModeAddPolygon));
    const bool buildingPolygon = d->mode == ModeAddPolygon && polygonMode && polygonMode->polygon();
    if (watched == d->scene) {
        switch (event->type()) {
        case QEvent::GraphicsSceneMouseMove: {
            auto *e = static_cast<QGraphicsSceneMouseEvent *>(event);
            // A move the mode takes never reaches the scene, which gives items their cursors.
            if (auto *networkScene = qobject_cast<NetworkScene *>(d->scene.data()))
                networkScene->takeCursorsAt(e);
            AbstractEditMode *mode = d->currentMode();
            bool consumed = false;
            if (mode) {
                // Snapping must find what the last click made, not wait for the batched refresh.
                if (d->net)
                    d->net->flushUpdates();
                consumed = mode->mouseMoved(e->scenePos(), e->buttons(), e->modifiers());
                if (d->context->rubberLine()) {
                    QPointF end = e->scenePos();
                    mode->snapPoint(&end);
                    d->context->moveRubberLine(end);
                }
            }
            consumed = consumed || (d->mode != ModeNone && (e->buttons() & Qt::LeftButton) && !buildingPolygon);
            // Only a drag the scene carries out moves the selection: not one the mode keeps.
            if (!consumed && (e->buttons() & Qt::LeftButton) && !(e->modifiers() & Qt::ShiftModifier))
                d->startMove();
            return consumed;
        }
        case QEvent::GraphicsSceneMousePress: {
            auto *e = static_cast<QGraphicsSceneMouseEvent *>(event);
            if (e->modifiers() & Qt::ControlModifier) {
                if (d->editItems.isEmpty() && buildingPolygon) {
                    polygonMode->addPoint(e->scenePos());
                    return true;
                }
                if (!d->editItems.isEmpty()) {
                    d->scene->clearSelection();
                    if (GenericGraphicsItem *item = d->itemOf(d->editItems.first()))
                        item->addEditPoint(e->scenePos());
                    return true;
                }
            }
            QMetaObject::invokeMethod(this, "sceneMousePressed", Qt::QueuedConnection,
                                      Q_ARG(int, int(e->button())), Q_ARG(QPointF, e->scenePos()));
            AbstractEditMode *mode = d->currentMode();
            return mode && mode->consumesPress();
        }
        case QEvent::GraphicsSceneMouseRelease: {
            auto *e = static_cast<QGraphicsSceneMouseEvent *>(event);
            return (e->modifiers() & Qt::ControlModifier) && !d->editItems.isEmpty();
        }
        case QEvent::GraphicsSceneMouseDoubleClick: {
            auto *e = static_cast<QGraphicsSceneMouseEvent *>(event);
            for (GenericGraphicsItem *item : d->context->itemsAt(e->scenePos())) {
                if (editsGeometry(item->type())) {
                    d->enterGeometryEditing(item);
                    break;
                }
            }
            d->saveGeometryBefore();
            e->accept();
            return true;
        }
        case QEvent::GraphicsSceneDrop:
            return d->drop(static_cast<QGraphicsSceneDragDropEvent *>(event));
        default:
            break;
        }
    }
    if (event->type() == QEvent::ContextMenu
        && ((d->view && watched == d->view->viewport()) || watched == d->objectsTree->viewport())) {
        auto *e = static_cast<QContextMenuEvent *>(event);
        const std::unique_ptr<QMenu> menu(contextMenuFor(watched, e->pos()));
        if (menu)
            menu->exec(e->globalPos());
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched == d->objectsTree
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        removeSelectedItems();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void NetEditPrivate::startMove()
{
    if (!undoStack || moveCommand || !editItems.isEmpty() || !scene)
        return;
    // The scene moves the selection only when the pressed item is itself movable.
    QGraphicsItem *grabber = scene->mouseGrabberItem();
    if (!grabber || !(grabber->flags() & QGraphicsItem::ItemIsMovable))
        return;
    for (QGraphicsItem *item : scene->selectedItems()) {
        if (!(item->flags() & QGraphicsItem::ItemIsMovable) || item->type() == ItemType::GeometryEditorMarker)
            continue;
        Trelvoa::NetObject *object = net->item2object(item);
        if (!object)
            continue;
        if (!moveCommand)
            moveCommand = new ChangePropertyCommand(q);
        moveCommand->addObject(object, QByteArray());
    }
    if (moveCommand)
        moveCommand->saveBefore();
}

void NetEdit::sceneMousePressed(int button, const QPointF &scenePos)
{
    if (button != Qt::LeftButton)
        return;
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    if (d->net)
        d->net->flushUpdates();
    if (AbstractEditMode *mode = d->currentMode())
        mode->clicked(scenePos, modifiers);
    d->afterClick(scenePos, modifiers);
}

void NetEditPrivate::afterClick(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    if (!scene)
        return;
    // What the user clicked is an object's item or a marker: road markings drawn over lanes, layers and
    // the editor's own feedback (marker dot, rubber line, area rectangle) let the click through.
    QGraphicsItem *top = nullptr;
    const QTransform transform = view ? view->viewportTransform() : QTransform();
    for (QGraphicsItem *item : scene->items(scenePos, Qt::IntersectsItemShape, Qt::DescendingOrder, transform)) {
        if (item == context->nodeMarker() || item == context->rubberLine() || item == areaRect)
            continue;
        if (isMarker(item) || ItemType::isObjectItem(item->type())) {
            top = item;
            break;
        }
    }
    // Held through its object: ending the editing may delete the clicked item (a route given up).
    const bool objectClicked = top && ItemType::isObjectItem(top->type());
    const QPointer<Trelvoa::NetObject> clicked = objectClicked ? net->item2object(top) : nullptr;
    if ((!top && !(modifiers & Qt::ShiftModifier)) || (top && !isMarker(top))) {
        finishGeometryEditing();
        endEditStates();
    }
    if (moveCommand)
        moveCommand->saveBefore();
    if (objectClicked && clicked) {
        if (GenericGraphicsItem *item = itemOf(clicked))
            emit q->itemClicked(item);
    }
    announceHint();
}

void NetEdit::sceneMouseReleased(int button, const QPointF &)
{
    if (!d->moveCommand || button != Qt::LeftButton)
        return;
    ChangePropertyCommand *command = d->moveCommand;
    d->moveCommand = nullptr;
    // A dragged stopline keeps the distance it was dragged to, even where the last move was refused.
    const QSet<int> moved(command->objectIds().cbegin(), command->objectIds().cend());
    if (d->scene) {
        for (QGraphicsItem *item : d->scene->selectedItems()) {
            if (item->type() != ItemType::Stoplineg)
                continue;
            auto *stopline = static_cast<Stoplineg *>(item);
            if (Trelvoa::NetObject *object = stopline->networkObject(); object && moved.contains(object->id()))
                stopline->moveComplete();
        }
    }
    if (d->undoStack) {
        command->saveAfter();
        d->undoStack->push(command);
    } else {
        delete command;
    }
}

void NetEdit::sceneKeyPressed(int key, int modifiers)
{
    auto *polygonMode = static_cast<AddPolygonMode *>(d->modeObject(ModeAddPolygon));
    const bool buildingPolygon = d->mode == ModeAddPolygon && polygonMode && polygonMode->polygon();
    switch (key) {
    case Qt::Key_Escape:
        leaveMode();
        d->context->clearHighlight();
        return;
    case Qt::Key_Delete:
        removeSelectedItems();
        return;
    case Qt::Key_Control:
        // Once, however long the key repeats; the release takes back only this cursor.
        if ((!d->editItems.isEmpty() || buildingPolygon) && !d->midPointCursor) {
            EditContext::setOverrideCursor(midPointCursor, 2, 2);
            d->midPointCursor = true;
        }
        return;
    default:
        break;
    }
    if (AbstractEditMode *mode = d->currentMode())
        mode->keyPressed(key, Qt::KeyboardModifiers(modifiers));
    d->announceHint();
}

void NetEdit::sceneKeyReleased(int key, int)
{
    if (key != Qt::Key_Control || !d->midPointCursor)
        return;
    d->midPointCursor = false;
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace Trelvoga
