// The object tree, the scene selection and the property editor kept in step, and property edits as
// undo commands.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "editor/objecttreeitem.h"
#include "scene/genericgraphicsitem.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "granule.h"
#include "node.h"
#include "odmatrix.h"
#include "route.h"
#include "signalgroup.h"
#include "taz.h"
#include "trafficstate.h"

#include "objecteditortree.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QItemSelection>
#include <QMenu>
#include <QMetaProperty>
#include <QTimerEvent>
#include <QUndoStack>
#include <algorithm>

namespace Trelvoga {

namespace {

constexpr int selectionDelay = 100;
constexpr int propertyCommitDelay = 100;

Trelvoa::NetObject *objectOf(const QTreeWidgetItem *item)
{
    return item && item->type() == ObjectTreeItem::Type ? static_cast<const ObjectTreeItem *>(item)->object()
                                                         : nullptr;
}

} // namespace

QString NetEdit::getObjectNameForTree(Trelvoa::NetObject *object) const
{
    return ObjectTreeItem::treeName(object);
}

QTreeWidgetItem *NetEdit::getSubtreeItem(QTreeWidgetItem *parent, const char *className)
{
    const int count = parent ? parent->childCount() : d->objectsTree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *child = parent ? parent->child(i) : d->objectsTree->topLevelItem(i);
        if (child->type() != GroupTreeItem::Type)
            continue;
        const char *name = static_cast<GroupTreeItem *>(child)->className();
        if (name == className || qstrcmp(name, className) == 0)
            return child;
    }
    auto *group = new GroupTreeItem(className, d->groupName(className));
    if (parent)
        parent->addChild(group);
    else
        d->objectsTree->addTopLevelItem(group);
    return group;
}

QHash<Trelvoa::NetObject *, QTreeWidgetItem *> NetEdit::treeChildObjects(QTreeWidgetItem *item) const
{
    QHash<Trelvoa::NetObject *, QTreeWidgetItem *> result;
    if (!item)
        return result;
    QList<QTreeWidgetItem *> pending{item};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *current = pending.takeLast();
        for (int i = 0; i < current->childCount(); ++i) {
            QTreeWidgetItem *child = current->child(i);
            if (child->type() == GroupTreeItem::Type)
                pending.append(child);
            else if (Trelvoa::NetObject *object = objectOf(child))
                result.insert(object, child);
        }
    }
    return result;
}

QList<QTreeWidgetItem *> NetEdit::treeItems(Trelvoa::NetObject *object) const
{
    // The key may be an object that is gone: it is not looked at, the groups not filled yet are.
    if (!d->objectItems.contains(object))
        d->fillAllGroups();
    return d->objectItems.values(object);
}

Trelvoa::NetObject *NetEdit::treeItemObject(QTreeWidgetItem *item) const
{
    return objectOf(item);
}

namespace {

// Forgets an item and its subtree in both maps, then deletes it.
void deleteTreeItem(NetEditPrivate *d, QTreeWidgetItem *item)
{
    QList<QTreeWidgetItem *> pending{item};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *current = pending.takeLast();
        if (Trelvoa::NetObject *object = objectOf(current))
            d->objectItems.remove(object, current);
        for (int i = 0; i < current->childCount(); ++i)
            pending.append(current->child(i));
    }
    delete item;
}

} // namespace

void NetEdit::objectAdded(Trelvoa::NetObject *object, QObject *parent)
{
    if (!object)
        return;
    if (!parent)
        parent = object->parent();
    if (!parent)
        return;

    QList<QTreeWidgetItem *> parentItems;
    if (auto *parentObject = qobject_cast<Trelvoa::NetObject *>(parent)) {
        parentItems = d->objectItems.values(parentObject);
        // Its group makes the rows of the owner and of all below it when it is opened.
        if (parentItems.isEmpty()) {
            const QTreeWidgetItem *top = d->topGroupOf(parentObject);
            if (top && static_cast<const GroupTreeItem *>(top)->isPending())
                return;
        }
    }
    if (parentItems.isEmpty())
        parentItems.append(nullptr);

    const char *className = object->metaObject()->className();
    const QString typeText = d->typeName(className);
    QHash<Trelvoa::NetObject *, QTreeWidgetItem *> remembered;
    const QList<QTreeWidgetItem *> ownItems = d->objectItems.values(object);
    for (QTreeWidgetItem *parentItem : qAsConst(parentItems)) {
        QTreeWidgetItem *group = getSubtreeItem(parentItem, className);
        if (static_cast<GroupTreeItem *>(group)->isPending())
            continue;
        QTreeWidgetItem *existing = nullptr;
        for (QTreeWidgetItem *own : ownItems) {
            if (own->parent() == group) {
                existing = own;
                break;
            }
        }
        if (existing) {
            static_cast<ObjectTreeItem *>(existing)->refresh();
            remembered.insert(treeChildObjects(existing));
            continue;
        }
        auto *item = new ObjectTreeItem(object, typeText);
        group->addChild(item);
        d->objectItems.insert(object, item);
    }

    auto addChild = [&](Trelvoa::NetObject *child, QObject *under) {
        objectAdded(child, under);
        remembered.remove(child);
    };
    if (auto *granule = qobject_cast<Trelvoa::Granule *>(object)) {
        for (Trelvoa::Node *node : granule->nodes())
            addChild(node, granule);
        for (Trelvoa::Edge *edge : granule->edges())
            addChild(edge, granule);
    } else if (auto *group = qobject_cast<Trelvoa::DetectorGroup *>(object)) {
        for (Trelvoa::Detector *detector : group->detectors())
            addChild(detector, group);
    }
    for (QObject *child : object->children()) {
        if (auto *childObject = qobject_cast<Trelvoa::NetObject *>(child))
            addChild(childObject, object);
    }
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        if (d->objectItems.contains(it.key(), it.value()))
            deleteTreeItem(d.get(), it.value());
    }

    if (GenericGraphicsItem *item = d->itemOf(object); item && item->type() == ItemType::Connectiong)
        item->setSimpleView(!d->fullConnectionsAction->isChecked());
}

void NetEdit::rebuildObjectTree()
{
    d->selectionTimer.stop();
    d->restoreReparented();
    d->treeUpdating = true;
    d->objectEditor->clear();
    d->objectsTree->clear();
    d->objectItems.clear();
    d->objectItems.reserve(d->net->objectCount());
    // The rows objectAdded() would make for every object below the network, made in one pass on a tree
    // that is empty: nothing to look up or refresh, and the top-level groups kept out of the widget
    // until they are full (appending to rows in the widget costs a model notification each).
    QList<GroupTreeItem *> groups;
    QHash<const char *, QVector<Trelvoa::NetObject *>> members;
    for (QObject *child : d->net->children()) {
        auto *object = qobject_cast<Trelvoa::NetObject *>(child);
        if (!object)
            continue;
        const char *className = object->metaObject()->className();
        QVector<Trelvoa::NetObject *> &list = members[className];
        if (list.isEmpty())
            groups.append(new GroupTreeItem(className, d->groupName(className)));
        list.append(object);
    }
    QList<QTreeWidgetItem *> rows;
    for (GroupTreeItem *group : qAsConst(groups)) {
        const QVector<Trelvoa::NetObject *> &list = members[group->className()];
        if (list.size() > d->eagerGroupRows) {
            group->setPending(true);
        } else {
            for (Trelvoa::NetObject *object : list)
                d->addRows(object, group);
        }
        rows.append(group);
    }
    d->objectsTree->addTopLevelItems(rows);
    d->treeUpdating = false;
}

void NetEdit::setEagerTreeGroupRows(int rows)
{
    d->eagerGroupRows = qMax(0, rows);
}

void NetEdit::fillObjectTree()
{
    d->fillAllGroups();
}

QTreeWidgetItem *NetEditPrivate::topGroupOf(Trelvoa::NetObject *object) const
{
    QObject *top = object;
    while (top && top->parent() != net)
        top = top->parent();
    if (!top)
        return nullptr;
    const char *className = top->metaObject()->className();
    for (int i = 0; i < objectsTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = objectsTree->topLevelItem(i);
        if (row->type() != GroupTreeItem::Type)
            continue;
        const char *name = static_cast<GroupTreeItem *>(row)->className();
        if (name == className || qstrcmp(name, className) == 0)
            return row;
    }
    return nullptr;
}

void NetEditPrivate::fillGroup(QTreeWidgetItem *row)
{
    if (!row || row->type() != GroupTreeItem::Type || !static_cast<GroupTreeItem *>(row)->isPending())
        return;
    auto *group = static_cast<GroupTreeItem *>(row);
    group->setPending(false);
    const bool wasUpdating = treeUpdating;
    treeUpdating = true;
    // Made on a detached group and handed over at once: appending to a row in the widget costs a model
    // notification each.
    GroupTreeItem staging(group->className(), QString());
    const char *className = group->className();
    for (QObject *child : net->children()) {
        auto *object = qobject_cast<Trelvoa::NetObject *>(child);
        const char *name = object ? object->metaObject()->className() : nullptr;
        if (name && (name == className || qstrcmp(name, className) == 0))
            addRows(object, &staging);
    }
    group->addChildren(staging.takeChildren());
    treeUpdating = wasUpdating;
}

void NetEditPrivate::fillAllGroups()
{
    for (int i = 0; i < objectsTree->topLevelItemCount(); ++i)
        fillGroup(objectsTree->topLevelItem(i));
}

void NetEditPrivate::ensureRows(Trelvoa::NetObject *object)
{
    if (object && !objectItems.contains(object))
        fillGroup(topGroupOf(object));
}

QTreeWidgetItem *NetEditPrivate::addRows(Trelvoa::NetObject *object, QTreeWidgetItem *group)
{
    auto *item = new ObjectTreeItem(object, typeName(object->metaObject()->className()));
    group->addChild(item);
    objectItems.insert(object, item);
    auto below = [this, item](Trelvoa::NetObject *child) {
        const char *className = child->metaObject()->className();
        QTreeWidgetItem *childGroup = nullptr;
        // An object row holds only group rows, one per class: a handful.
        for (int i = item->childCount() - 1; i >= 0 && !childGroup; --i) {
            const char *name = static_cast<GroupTreeItem *>(item->child(i))->className();
            if (name == className || qstrcmp(name, className) == 0)
                childGroup = item->child(i);
        }
        if (!childGroup) {
            childGroup = new GroupTreeItem(className, groupName(className));
            item->addChild(childGroup);
        }
        addRows(child, childGroup);
    };
    if (auto *granule = qobject_cast<Trelvoa::Granule *>(object)) {
        for (Trelvoa::Node *node : granule->nodes())
            below(node);
        for (Trelvoa::Edge *edge : granule->edges())
            below(edge);
    } else if (auto *detectorGroup = qobject_cast<Trelvoa::DetectorGroup *>(object)) {
        for (Trelvoa::Detector *detector : detectorGroup->detectors())
            below(detector);
    }
    for (QObject *child : object->children()) {
        if (auto *childObject = qobject_cast<Trelvoa::NetObject *>(child))
            below(childObject);
    }
    return item;
}

QString NetEditPrivate::typeName(const char *className)
{
    QString &text = typeNames[className];
    if (text.isNull())
        text = q->dn(QString::fromLatin1(className));
    return text;
}

QString NetEditPrivate::groupName(const char *className)
{
    QString &text = groupNames[className];
    if (text.isNull())
        text = q->dn(QString::fromLatin1(className) + QLatin1Char('s'));
    return text;
}

void NetEdit::removeObjectFromParent(Trelvoa::NetObject *object, QObject *parent)
{
    auto *parentObject = qobject_cast<Trelvoa::NetObject *>(parent);
    if (!object || !parentObject)
        return;
    const QList<QTreeWidgetItem *> parentItems = d->objectItems.values(parentObject);
    for (QTreeWidgetItem *item : d->objectItems.values(object)) {
        for (QTreeWidgetItem *up = item->parent(); up; up = up->parent()) {
            if (parentItems.contains(up)) {
                deleteTreeItem(d.get(), item);
                break;
            }
        }
    }
}

void NetEdit::netObjectRemoved(Trelvoa::NetObject *object)
{
    for (QPointer<Trelvoa::NetObject> *t : {&d->templateEdge, &d->templateEdgeGroup, &d->templateCrosswalk}) {
        if (*t == object)
            *t = nullptr;
    }
    d->reparented.remove(object->id());
    // Not finishing geometry editing here: during an undo that would push a command; an edited object
    // that goes is let go by forgetEditedObject.
    const QList<QTreeWidgetItem *> items = d->objectItems.values(object);
    if (items.isEmpty())
        return;
    const bool wasUpdating = d->treeUpdating;
    d->treeUpdating = true;
    for (QTreeWidgetItem *item : items) {
        // An item may have gone with the subtree of another item of the same object.
        if (d->objectItems.contains(object, item))
            deleteTreeItem(d.get(), item);
    }
    d->treeUpdating = wasUpdating;
}

void NetEdit::updateObjectNameInTree(Trelvoa::NetObject *object)
{
    for (QTreeWidgetItem *item : d->objectItems.values(object))
        static_cast<ObjectTreeItem *>(item)->refresh();
}

void NetEdit::selectObjectInTree(QObject *object)
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject)
        return;
    d->ensureRows(netObject);
    for (QTreeWidgetItem *item : d->objectItems.values(netObject))
        item->setSelected(true);
}

QList<Trelvoa::NetObject *> NetEditPrivate::selectedSceneObjects() const
{
    QList<Trelvoa::NetObject *> objects;
    if (!scene)
        return objects;
    for (QGraphicsItem *item : scene->selectedItems()) {
        if (Trelvoa::NetObject *object = net->item2object(item))
            objects.append(object);
    }
    return objects;
}

QList<Trelvoa::NetObject *> NetEdit::selectedObjects() const
{
    QList<Trelvoa::NetObject *> result;
    QSet<Trelvoa::NetObject *> seen;
    // selectedItems() is in selection order; the tree's own order is what the user reads.
    QList<QTreeWidgetItem *> items = d->objectsTree->selectedItems();
    QHash<QTreeWidgetItem *, QVector<int>> paths;
    for (QTreeWidgetItem *item : qAsConst(items))
        paths.insert(item, d->objectsTree->rowPath(item));
    std::sort(items.begin(), items.end(),
              [&paths](QTreeWidgetItem *a, QTreeWidgetItem *b) { return paths.value(a) < paths.value(b); });
    for (QTreeWidgetItem *item : qAsConst(items)) {
        Trelvoa::NetObject *object = objectOf(item);
        if (object && !seen.contains(object)) {
            seen.insert(object);
            result.append(object);
        }
    }
    if (d->scene) {
        for (QGraphicsItem *item : d->scene->selectedItems()) {
            Trelvoa::NetObject *object = d->net->item2object(item);
            if (object && !seen.contains(object)) {
                seen.insert(object);
                result.append(object);
            }
        }
    }
    return result;
}

void NetEdit::selectionChanged()
{
    if (d->selectionUpdating)
        return;
    d->selectionTimer.start(selectionDelay, this);
}

void NetEditPrivate::restoreReparented()
{
    for (auto it = reparented.cbegin(); it != reparented.cend(); ++it) {
        Layer *layer = it.value();
        GenericGraphicsItem *item = itemOf(net->findObject(it.key()));
        if (!item || !layer)
            continue;
        const QRectF area = item->sceneBoundingRect();
        item->setParentItem(layer);
        if (scene)
            scene->update(area);
    }
    reparented.clear();
}

void NetEdit::processSceneSelection()
{
    if (d->selectionUpdating || !d->scene)
        return;
    d->treeUpdating = true;
    const bool ctrl = QApplication::keyboardModifiers() & Qt::ControlModifier;
    d->restoreReparented();

    QItemSelection selection;
    auto select = [&](QTreeWidgetItem *item) {
        const QModelIndex left = d->objectsTree->indexFromItemPublic(item, 0);
        const QModelIndex right = d->objectsTree->indexFromItemPublic(item, 1);
        selection.select(left, right);
    };
    QSet<QObject *> keep;
    if (ctrl) {
        // Objects without a scene item (matrices, traffic states) stay selected: the scene cannot show them.
        for (QTreeWidgetItem *item : d->objectsTree->selectedItems()) {
            Trelvoa::NetObject *object = objectOf(item);
            if (object && !d->itemOf(object)) {
                select(item);
                keep.insert(object);
            }
        }
    }
    const QList<QGraphicsItem *> selectedItems = d->scene->selectedItems();
    for (QGraphicsItem *item : selectedItems) {
        Trelvoa::NetObject *object = d->net->item2object(item);
        if (!object)
            continue;
        d->ensureRows(object);
        for (QTreeWidgetItem *treeItem : d->objectItems.values(object))
            select(treeItem);
        keep.insert(object);
        d->objectEditor->addObject(object);
    }
    QItemSelectionModel *model = d->objectsTree->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    // One picked object is shown in the tree, its groups opened; a large selection is left folded.
    if (selectedItems.size() == 1 && !selection.isEmpty()) {
        QTreeWidgetItem *shown = d->objectsTree->itemFromIndexPublic(selection.last().topLeft());
        for (QTreeWidgetItem *up = shown ? shown->parent() : nullptr; up; up = up->parent())
            up->setExpanded(true);
        d->objectsTree->showItem(shown);
    }
    d->objectsTree->resizeColumnToContents(0);
    for (QObject *shown : d->objectEditor->objects()) {
        if (!keep.contains(shown))
            d->objectEditor->removeObject(shown);
    }
    d->copyAction->setEnabled(!selectedItems.isEmpty());
    d->treeUpdating = false;
}

void NetEdit::objectTreeSelectionChanged()
{
    if (d->treeUpdating || !d->scene)
        return;
    d->selectionUpdating = true;
    d->scene->clearSelection();
    d->restoreReparented();
    const QList<QTreeWidgetItem *> selected = d->objectsTree->selectedItems();
    d->copyAction->setEnabled(!selected.isEmpty());
    Layer *selectionLayer = d->net->layer(Networkg::layerSelection);
    QSet<QObject *> keep;
    for (QTreeWidgetItem *treeItem : selected) {
        Trelvoa::NetObject *object = objectOf(treeItem);
        if (!object)
            continue;
        keep.insert(object);
        d->objectEditor->addObject(object);
        GenericGraphicsItem *item = d->itemOf(object);
        if (item) {
            Layer *layer = Layer::of(item);
            if (layer && !layer->isVisible() && selectionLayer) {
                d->reparented.insert(object->id(), layer);
                item->setParentItem(selectionLayer);
            }
            if (item->type() != ItemType::Edgeg && item->type() != ItemType::EdgeGroupg)
                item->setSelected(true);
        }
        if (auto *group = qobject_cast<Trelvoa::SignalGroup *>(object)) {
            QList<Trelvoa::NetObject *> members;
            for (Trelvoa::Connection *connection : group->connections())
                members.append(connection);
            for (Trelvoa::CrossWalk *crossWalk : group->crossWalks())
                members.append(crossWalk);
            for (Trelvoa::NetObject *member : qAsConst(members))
                if (GenericGraphicsItem *memberItem = d->itemOf(member))
                    memberItem->setSelected(true);
        }
    }
    for (QObject *shown : d->objectEditor->objects()) {
        if (!keep.contains(shown))
            d->objectEditor->removeObject(shown);
    }
    d->selectionUpdating = false;
}

QRectF NetEdit::itemFitRect(Trelvoa::NetObject *object) const
{
    if (auto *granule = qobject_cast<Trelvoa::Granule *>(object)) {
        QRectF rect;
        for (Trelvoa::Node *node : granule->nodes()) {
            const QRectF shape = node->shape().boundingRect();
            const QRectF nodeRect = shape.isValid() ? shape : QRectF(node->pos(), QSizeF(0, 0));
            rect = rect.united(QRectF(geoPos(nodeRect.topLeft()), geoPos(nodeRect.bottomRight())).normalized());
        }
        return rect;
    }
    GenericGraphicsItem *item = d->itemOf(object);
    if (!item || !item->isVisible())
        return QRectF();
    if (item->flags() & QGraphicsItem::ItemIgnoresTransformations) {
        const QPointF p = item->scenePos();
        return QRectF(p.x() - 0.00005, p.y() - 0.00005, 0.0001, 0.0001);
    }
    return item->QGraphicsItem::sceneBoundingRect();
}

void NetEdit::fitRect(const QRectF &sceneRect)
{
    if (!d->view || sceneRect.isNull())
        return;
    QMetaObject::invokeMethod(d->view, "fitInView", Q_ARG(QRectF, sceneRect));
}

void NetEdit::objectTreeItemDoubleClicked(QTreeWidgetItem *item, int)
{
    Trelvoa::NetObject *object = objectOf(item);
    if (!object)
        return;
    if (auto *taz = qobject_cast<Trelvoa::Taz *>(object)) {
        const QPointF c = taz->pos();
        fitRect(QRectF(geoPos(c - QPointF(50, 50)), geoPos(c + QPointF(50, 50))).normalized());
        return;
    }
    const char *editor = qobject_cast<Trelvoa::OdMatrix *>(object)         ? "changeODMatrix()"
                         : qobject_cast<Trelvoa::TrafficState *>(object) ? "changeTrafficState()"
                                                                           : nullptr;
    if (editor) {
        // The demand dialogs register these slots; without them a double click does nothing.
        const int index = metaObject()->indexOfSlot(editor);
        if (index >= 0)
            metaObject()->method(index).invoke(this, Qt::QueuedConnection);
        return;
    }
    fitRect(itemFitRect(object));
}

void NetEdit::showSelectionOnscene()
{
    QRectF rect;
    QSet<Trelvoa::NetObject *> objects;
    if (d->scene) {
        for (QGraphicsItem *item : d->scene->selectedItems())
            if (Trelvoa::NetObject *object = d->net->item2object(item))
                objects.insert(object);
    }
    for (QTreeWidgetItem *item : d->objectsTree->selectedItems())
        if (Trelvoa::NetObject *object = objectOf(item))
            objects.insert(object);
    for (Trelvoa::NetObject *object : qAsConst(objects))
        rect = rect.united(itemFitRect(object));
    fitRect(rect);
}

void NetEdit::showSelectionOnTree()
{
    const QList<QTreeWidgetItem *> selected = d->objectsTree->selectedItems();
    if (!selected.isEmpty())
        d->objectsTree->showItem(selected.last());
}

void NetEdit::showGranuleOnTree()
{
    for (QTreeWidgetItem *item : d->objectsTree->selectedItems()) {
        if (qobject_cast<Trelvoa::Granule *>(objectOf(item))) {
            d->objectsTree->showItem(item);
            return;
        }
    }
}

void NetEdit::beforePropertyChanged(QObject *object, const QByteArray &name)
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject || netObject->temporary() || d->moveCommand)
        return;
    if (!d->propertyCommand)
        d->propertyCommand = new ChangePropertyCommand(this);
    d->propertyCommand->addObject(netObject, name);
    d->propertyCommand->saveBefore();
}

void NetEdit::propertyChanged(QObject *object, const QByteArray &name)
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject || netObject->temporary())
        return;
    if (!d->moveCommand && d->propertyCommand)
        d->propertyTimer.start(propertyCommitDelay, this);
    if (name == "name" || name == "valid")
        updateObjectNameInTree(netObject);
    if (GenericGraphicsItem *item = d->itemOf(netObject)) {
        const int type = item->type();
        if (type == ItemType::Edgeg || type == ItemType::Laneg || type == ItemType::Nodeg
            || type == ItemType::EdgeGroupg)
            item->setEdit(false);
    }
    if (netObject->dynamicPropertyNames().contains(name))
        d->net->setChanged(true);
}

void NetEdit::commitPropertyCommand()
{
    d->propertyTimer.stop();
    ChangePropertyCommand *command = d->propertyCommand;
    d->propertyCommand = nullptr;
    if (command) {
        if (d->undoStack) {
            command->saveAfter();
            d->undoStack->push(command);
        } else {
            delete command;
        }
    }
    d->net->setChanged(true);
}

void NetEdit::propertySelected(QObject *object, const QByteArray &name)
{
    if (!object)
        return;
    const QVariant value = object->property(name.constData());
    if (value.canConvert<QObject *>())
        if (QObject *target = value.value<QObject *>())
            selectObjectInTree(target);
}

void NetEdit::beforeProperyContextMenu(QMenu &menu, QObject *object, const QByteArray &)
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject)
        return;
    if (qobject_cast<Trelvoa::Granule *>(netObject)) {
        selectObjectInTree(netObject);
        menu.addAction(tr("Show on map"), this, &NetEdit::showSelectionOnscene);
        menu.addAction(tr("Show on tree"), this, &NetEdit::showGranuleOnTree);
        return;
    }
    menu.addAction(tr("Show on map"), this, &NetEdit::showSelectionOnscene);
    menu.addAction(tr("Show on tree"), this, &NetEdit::showSelectionOnTree);
}

void NetEdit::undoIndexChanged(int index)
{
    QUndoStack *stack = d->undoStack;
    if (!stack)
        return;
    // An undo may have taken what the mode holds (its start node, say): the hint follows.
    d->announceHint();
    const QUndoCommand *command = stack->command(index);
    if (!command)
        command = stack->command(index - 1);
    if (command && command->id() == CommandId::ChangeProperty) {
        for (int id : static_cast<const ChangePropertyCommand *>(command)->objectIds())
            if (Trelvoa::NetObject *object = d->net->findObject(id))
                updateObjectNameInTree(object);
    }
    if (!d->net->isChanged())
        d->net->setChanged(true);
}

void NetEdit::undoCleanChanged(bool clean)
{
    d->net->setChanged(!clean);
}

void NetEdit::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == d->propertyTimer.timerId()) {
        commitPropertyCommand();
    } else if (event->timerId() == d->selectionTimer.timerId()) {
        d->selectionTimer.stop();
        processSceneSelection();
    } else {
        QObject::timerEvent(event);
    }
}

} // namespace Trelvoga
