#include "commands/genericcommands.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "netobject.h"
#include "network.h"

#include <QMetaObject>
#include <QString>

namespace Trelvoga {

namespace {

Trelvoa::Network *networkOf(const NetEdit *edit)
{
    return edit ? edit->net() : nullptr;
}

// The property editor's name of the object's class ("Lane" for Trelvoa::Lane).
QString className(const NetEdit *edit, const Trelvoa::NetObject *object)
{
    const QString name = QString::fromLatin1(object->metaObject()->className());
    return edit ? edit->dn(name) : name;
}

QString displayName(const NetEdit *edit, const QByteArray &name)
{
    const QString text = QString::fromUtf8(name);
    return edit ? edit->dn(text) : text;
}

// Deletes the objects still there, by id; a deletion may already have taken later ones with it.
void deleteByIds(Trelvoa::Network *net, const QList<int> &ids)
{
    if (!net)
        return;
    for (int id : ids) {
        if (Trelvoa::NetObject *object = net->findObject(id))
            delete object;
    }
}

} // namespace

// --- AddItemCommand -------------------------------------------------------------------------------

AddItemCommand::AddItemCommand(NetEdit *edit, Trelvoa::NetObject *object, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
    if (!object)
        return;
    QList<Trelvoa::NetObject *> list;
    collectObjects(object->topLevelObject(), list);
    m_ids.append(object->id());
    m_snapshot.save(networkOf(m_edit), list);
    setText(QStringLiteral("Add item '%1'").arg(className(m_edit, object)));
}

AddItemCommand::AddItemCommand(NetEdit *edit, const QList<Trelvoa::NetObject *> &objects, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
    QList<Trelvoa::NetObject *> list;
    for (Trelvoa::NetObject *object : objects) {
        if (!object)
            continue;
        collectObjects(object->topLevelObject(), list);
        m_ids.append(object->id());
    }
    if (m_ids.isEmpty())
        return;
    m_snapshot.save(networkOf(m_edit), list);
    setText(QStringLiteral("Add items (%1)").arg(m_ids.size()));
}

void AddItemCommand::undo()
{
    deleteByIds(networkOf(m_edit), m_ids);
    m_undone = true;
}

void AddItemCommand::redo()
{
    // The push: the objects are there already.
    if (!m_undone)
        return;
    if (!m_snapshot.isEmpty())
        m_snapshot.restore(networkOf(m_edit));
    m_undone = false;
}

// --- RemoveCommand --------------------------------------------------------------------------------

RemoveCommand::RemoveCommand(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    QList<Trelvoa::NetObject *> list;
    for (Trelvoa::NetObject *object : objects) {
        if (!object)
            continue;
        if (!m_ids.contains(object->id()))
            m_ids.append(object->id());
        collectObjects(object->topLevelObject(), list);
    }
    m_snapshot.save(m_net, list);
    if (objects.size() == 1 && objects.first())
        setText(QStringLiteral("Remove %1").arg(objects.first()->printableName()));
    else
        setText(QStringLiteral("Remove %1 items").arg(objects.size()));
}

void RemoveCommand::undo()
{
    m_snapshot.restore(m_net);
    m_undone = true;
}

void RemoveCommand::redo()
{
    // The push: the caller deletes the objects itself.
    if (!m_undone)
        return;
    deleteByIds(m_net, m_ids);
    m_undone = false;
}

// --- ChangeItemCommand ----------------------------------------------------------------------------

ChangeItemCommand::ChangeItemCommand(NetEdit *edit, Trelvoa::NetObject *object, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
    if (!object)
        return;
    m_objectId = object->id();
    m_before.saveTopLevel(networkOf(m_edit), {object});
    setText(QStringLiteral("Change item '%1'").arg(className(m_edit, object)));
}

void ChangeItemCommand::undo()
{
    Trelvoa::Network *net = networkOf(m_edit);
    // The first undo keeps what the user saw, for the redo.
    if (m_after.isEmpty() && net) {
        if (Trelvoa::NetObject *object = net->findObject(m_objectId))
            m_after.saveTopLevel(net, {object});
    }
    if (!m_before.isEmpty())
        m_before.restore(net);
}

void ChangeItemCommand::redo()
{
    // Nothing at the push (the caller changes the object); afterwards the state of the first undo.
    if (!m_after.isEmpty())
        m_after.restore(networkOf(m_edit));
}

// --- ChangePropertyCommand ------------------------------------------------------------------------

ChangePropertyCommand::ChangePropertyCommand(NetEdit *edit, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
}

void ChangePropertyCommand::addObject(QObject *object, const QByteArray &propertyName)
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject)
        return;
    if (!m_ids.contains(netObject->id()))
        m_ids.append(netObject->id());
    if (!propertyName.isEmpty() && !m_names.contains(propertyName))
        m_names.append(propertyName);
}

void ChangePropertyCommand::removeObject(QObject *object)
{
    if (auto *netObject = qobject_cast<Trelvoa::NetObject *>(object))
        m_ids.removeAll(netObject->id());
}

QList<Trelvoa::NetObject *> ChangePropertyCommand::recordedObjects() const
{
    QList<Trelvoa::NetObject *> objects;
    Trelvoa::Network *net = networkOf(m_edit);
    if (!net)
        return objects;
    for (int id : m_ids) {
        if (Trelvoa::NetObject *object = net->findObject(id))
            objects.append(object);
    }
    return objects;
}

void ChangePropertyCommand::saveBefore()
{
    if (m_ids.isEmpty())
        return;
    // An open command takes further objects while the earlier ones have already changed: their first
    // state is kept, and only objects not saved yet go into a further snapshot.
    QList<Trelvoa::NetObject *> fresh;
    for (Trelvoa::NetObject *object : collectTopLevel(recordedObjects())) {
        if (!m_beforeIds.contains(object->id()))
            fresh.append(object);
    }
    if (fresh.isEmpty())
        return;
    Snapshot snapshot;
    if (!snapshot.save(networkOf(m_edit), fresh))
        return;
    for (Trelvoa::NetObject *object : qAsConst(fresh))
        m_beforeIds.insert(object->id());
    m_before.append(snapshot);
}

void ChangePropertyCommand::saveAfter()
{
    if (m_ids.isEmpty())
        return;
    const QList<Trelvoa::NetObject *> objects = recordedObjects();
    m_after.saveTopLevel(networkOf(m_edit), objects);

    QString phrase;
    switch (m_names.size()) {
    case 0:
        phrase = QStringLiteral("properties");
        break;
    case 1:
        phrase = QStringLiteral("property '%1'").arg(displayName(m_edit, m_names.first()));
        break;
    case 2:
        phrase = QStringLiteral("properties '%1' and '%2'")
                     .arg(displayName(m_edit, m_names.first()), displayName(m_edit, m_names.last()));
        break;
    default:
        phrase = QStringLiteral("%1 properties").arg(m_names.size());
        break;
    }
    // The multi-argument arg() leaves markers inside the arguments (a name "%1") alone.
    if (m_ids.size() == 1) {
        Trelvoa::Network *net = networkOf(m_edit);
        Trelvoa::NetObject *object = net ? net->findObject(m_ids.first()) : nullptr;
        const QString name = object ? object->printableName() : QStringLiteral("object");
        setText(QStringLiteral("Change %1 of %2").arg(phrase, name));
    } else {
        setText(QStringLiteral("Change %1 of %2 items").arg(phrase, QString::number(m_ids.size())));
    }
}

void ChangePropertyCommand::undo()
{
    // Latest first: where snapshots overlap, the earliest state is the one that stays.
    for (int i = m_before.size() - 1; i >= 0; --i)
        m_before.at(i).restore(networkOf(m_edit));
    m_undone = true;
}

void ChangePropertyCommand::redo()
{
    // The push: the properties were set by the caller.
    if (!m_undone)
        return;
    if (!m_after.isEmpty())
        m_after.restore(networkOf(m_edit));
    m_undone = false;
}

} // namespace Trelvoga
