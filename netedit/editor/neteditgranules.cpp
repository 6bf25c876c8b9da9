// Granules, signal groups and route recalculation of the context menus.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "commands/removenodefromgranule.h"
#include "dialogs/signalgroupcontenta.h"
#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "granule.h"
#include "node.h"
#include "route.h"
#include "signalgroup.h"

#include <QGraphicsScene>
#include <QInputDialog>
#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QUndoStack>
#include <algorithm>
#include <limits>

namespace Trelvoga {

namespace {

// Exactly a node (not a kind derived from it) that is a junction.
Trelvoa::Node *plainJunction(Trelvoa::NetObject *object)
{
    if (!object || object->metaObject() != &Trelvoa::Node::staticMetaObject)
        return nullptr;
    auto *node = static_cast<Trelvoa::Node *>(object);
    return node->type() != 0 ? node : nullptr;
}

Trelvoa::Node *junctionOf(Trelvoa::NetObject *object)
{
    auto *node = qobject_cast<Trelvoa::Node *>(object);
    return node && node->type() != 0 ? node : nullptr;
}

// A membership change of a granule recorded as a property change; the granule's rows in the tree
// follow every undo and redo.
class GranuleMembersCommand : public ChangePropertyCommand
{
public:
    GranuleMembersCommand(NetEdit *edit, Trelvoa::Granule *granule)
        : ChangePropertyCommand(edit)
        , m_edit(edit)
        , m_granuleId(granule->id())
    {
        addObject(granule, QByteArray());
    }

    void undo() override
    {
        ChangePropertyCommand::undo();
        refreshTree();
    }
    void redo() override
    {
        ChangePropertyCommand::redo();
        refreshTree();
    }

private:
    void refreshTree()
    {
        if (Trelvoa::NetObject *granule = m_edit->net()->findObject(m_granuleId))
            m_edit->objectAdded(granule);
    }

    NetEdit *m_edit;
    int m_granuleId;
};

} // namespace

void NetEdit::createGranule()
{
    Trelvoa::Granule *target = nullptr;
    QList<Trelvoa::Node *> junctions;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        Trelvoa::Node *node = plainJunction(object);
        if (!node)
            continue;
        if (Trelvoa::Granule *granule = node->granule()) {
            if (!target) {
                target = granule;
            } else if (granule != target) {
                emit logMessage(tr("Node %1 already in another granule %2")
                                    .arg(node->printableName(), granule->printableName()),
                                QtCriticalMsg);
                return;
            }
        }
        junctions.append(node);
    }

    if (target) {
        GranuleMembersCommand *command = d->undoStack ? new GranuleMembersCommand(this, target) : nullptr;
        if (command)
            command->saveBefore();
        for (Trelvoa::Node *node : qAsConst(junctions))
            target->addNode(node);
        if (command) {
            command->saveAfter();
            d->undoStack->push(command);
        } else {
            objectAdded(target);
        }
        d->net->setChanged(true);
        return;
    }

    auto *granule = new Trelvoa::Granule(junctions, d->net);
    bool ok = false;
    const int number = QInputDialog::getInt(findMainWindow(), QString(), tr("TL number:"), -1, -1,
                                            std::numeric_limits<int>::max(), 1, &ok);
    granule->setTlId(ok ? number : -1);
    if (!d->net->addItem(granule)) {
        emit logMessage(d->net->errorString(), QtCriticalMsg);
        delete granule;
        return;
    }
    selectObjectInTree(granule);
    if (d->undoStack)
        d->undoStack->push(new AddItemCommand(this, granule));
}

void NetEdit::addJunctionToGranule()
{
    Trelvoa::Granule *granule = nullptr;
    for (QTreeWidgetItem *item : d->objectsTree->selectedItems()) {
        granule = qobject_cast<Trelvoa::Granule *>(treeItemObject(item));
        if (granule)
            break;
    }
    const QList<Trelvoa::NetObject *> selected = d->selectedSceneObjects();
    for (int i = 0; !granule && i < selected.size(); ++i) {
        if (auto *node = qobject_cast<Trelvoa::Node *>(selected.at(i)))
            granule = node->granule();
    }
    if (!granule)
        return;

    const QList<Trelvoa::Edge *> edgesBefore = granule->edges();
    const QSet<Trelvoa::Edge *> known(edgesBefore.cbegin(), edgesBefore.cend());
    for (Trelvoa::NetObject *object : selected) {
        Trelvoa::Node *node = junctionOf(object);
        if (!node || node->granule() || !granule->addNode(node))
            continue;
        objectAdded(node, granule);
        d->net->setChanged(true);
    }
    for (Trelvoa::Edge *edge : granule->edges()) {
        if (!known.contains(edge))
            objectAdded(edge, granule);
    }
}

void NetEdit::removeJunctionFromGranule()
{
    QList<QUndoCommand *> commands;
    bool changed = false;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        Trelvoa::Node *node = junctionOf(object);
        Trelvoa::Granule *granule = node ? node->granule() : nullptr;
        if (!granule)
            continue;
        if (d->undoStack) {
            commands.append(new RemoveNodeFromGranule(this, granule, node));
            continue;
        }
        // The command does the same without leaving a record.
        RemoveNodeFromGranule removal(this, granule, node);
        removal.redo();
        changed = true;
    }
    for (QUndoCommand *command : qAsConst(commands))
        d->undoStack->push(command);
    if (changed || !commands.isEmpty())
        d->net->setChanged(true);
}

namespace {

// The signal group the tree selection names: a group itself, the group of a crosswalk, or of a
// connection (the user picks one when the connection is in several). Null when none was chosen.
Trelvoa::SignalGroup *chooseSignalGroup(NetEdit *edit, QTreeWidget *tree, const QString &label)
{
    for (QTreeWidgetItem *item : tree->selectedItems()) {
        Trelvoa::NetObject *object = edit->treeItemObject(item);
        if (auto *group = qobject_cast<Trelvoa::SignalGroup *>(object))
            return group;
        if (auto *crosswalk = qobject_cast<Trelvoa::CrossWalk *>(object)) {
            if (crosswalk->signalGroup())
                return crosswalk->signalGroup();
            continue;
        }
        auto *connection = qobject_cast<Trelvoa::Connection *>(object);
        if (!connection)
            continue;
        const QList<Trelvoa::SignalGroup *> groups = connection->signalGroups();
        if (groups.size() == 1)
            return groups.first();
        if (groups.isEmpty())
            continue;
        QStringList texts;
        for (Trelvoa::SignalGroup *group : groups)
            texts.append(NetEdit::tr("%1(number in TL=%2)").arg(group->id()).arg(group->tlId()));
        bool ok = false;
        const QString answer = QInputDialog::getItem(edit->findMainWindow(), QString(), label, texts, 0, false, &ok);
        const int index = ok && !answer.isEmpty() ? texts.indexOf(answer) : -1;
        return index >= 0 ? groups.at(index) : nullptr;
    }
    return nullptr;
}

} // namespace

void NetEdit::createSg()
{
    QList<Trelvoa::Connection *> connections;
    QList<Trelvoa::CrossWalk *> crosswalks;
    QList<Trelvoa::Node *> junctions;
    Trelvoa::Granule *granule = nullptr;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        Trelvoa::Node *junction = nullptr;
        if (auto *connection = qobject_cast<Trelvoa::Connection *>(object)) {
            connections.append(connection);
            junction = connection->junction();
        } else if (auto *crosswalk = qobject_cast<Trelvoa::CrossWalk *>(object)) {
            crosswalks.append(crosswalk);
            junction = crosswalk->junction();
        } else {
            continue;
        }
        if (!junction)
            continue;
        if (!junctions.contains(junction))
            junctions.append(junction);
        Trelvoa::Granule *own = junction->granule();
        if (own && granule && own != granule) {
            emit logMessage(tr("You cannot create signal group for different granules"), QtCriticalMsg);
            return;
        }
        if (own)
            granule = own;
    }
    if (connections.isEmpty() && crosswalks.isEmpty())
        return;

    QList<Trelvoa::NetObject *> made;
    if (!granule) {
        granule = new Trelvoa::Granule(junctions, d->net);
        if (!d->net->addItem(granule)) {
            emit logMessage(d->net->errorString(), QtCriticalMsg);
            delete granule;
            return;
        }
        made.append(granule);
    }
    int proposed = 1;
    for (Trelvoa::SignalGroup *group : granule->signalGroups())
        proposed = std::max(proposed, group->tlId() + 1);

    auto *group = new Trelvoa::SignalGroup(connections, crosswalks, granule);
    bool ok = false;
    const int number = QInputDialog::getInt(findMainWindow(), QString(), tr("Number in TL:"), proposed, -1,
                                            std::numeric_limits<int>::max(), 1, &ok);
    group->setTlId(ok ? number : proposed);
    if (!d->net->addItem(group)) {
        emit logMessage(d->net->errorString(), QtCriticalMsg);
        delete group;
        return;
    }
    selectObjectInTree(group);
    // A granule made for the group is undone with it: one step.
    if (d->undoStack)
        d->undoStack->push(new AddItemCommand(this, made.isEmpty() ? QList<Trelvoa::NetObject *>{group} : made));
}

void NetEdit::changeSgContent()
{
    QWidget *parent = qobject_cast<QWidget *>(this->parent());
    if (!parent)
        parent = findMainWindow();
    if (!parent || parent->findChild<SignalGroupContenta *>())
        return;
    Trelvoa::SignalGroup *group = chooseSignalGroup(this, d->objectsTree, tr("Select signal group to edit:"));
    if (!group || !d->scene)
        return;
    for (Trelvoa::Connection *connection : group->connections()) {
        if (GenericGraphicsItem *item = d->itemOf(connection))
            item->setSelected(true);
    }
    for (Trelvoa::CrossWalk *crosswalk : group->crossWalks()) {
        if (GenericGraphicsItem *item = d->itemOf(crosswalk))
            item->setSelected(true);
    }
    auto *dialog = new SignalGroupContenta(d->net, group, parent, d->undoStack);
    dialog->show();
}

void NetEdit::selectSg()
{
    Trelvoa::SignalGroup *group = chooseSignalGroup(this, d->objectsTree, tr("Signal group to select:"));
    if (!group)
        return;
    if (d->scene)
        d->scene->clearSelection();
    d->objectsTree->clearSelection();
    selectObjectInTree(group);
}

void NetEdit::recalculateSelectedRoutes()
{
    for (Trelvoa::NetObject *object : d->selectedSceneObjects()) {
        if (object->metaObject() == &Trelvoa::Route::staticMetaObject)
            object->setChanged(nullptr, Trelvoa::ChangeFlag::Topology);
    }
}

} // namespace Trelvoga
