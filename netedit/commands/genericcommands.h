#pragma once

#include "commands/commandid.h"
#include "commands/snapshot.h"
#include "trelvoga_global.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QUndoCommand>

class QObject;

namespace Trelvoa {
class NetObject;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;

// Records objects the caller has already added to the network. The push's redo() does nothing; undo
// deletes the objects by id, redo restores them from the snapshot of their top-level objects.
class TRELVOGA_EXPORT AddItemCommand : public QUndoCommand
{
public:
    AddItemCommand(NetEdit *edit, Trelvoa::NetObject *object, QUndoCommand *parent = nullptr);
    AddItemCommand(NetEdit *edit, const QList<Trelvoa::NetObject *> &objects, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::AddItem; }
    void undo() override;
    void redo() override;

    QList<int> objectIds() const { return m_ids; }

private:
    NetEdit *m_edit;
    QList<int> m_ids;
    Snapshot m_snapshot;
    bool m_undone = false;
};

// Records objects the caller removes right after pushing. Undo restores the snapshot of their
// top-level objects (with everything the deletion took); redo deletes them again by id.
class TRELVOGA_EXPORT RemoveCommand : public QUndoCommand
{
public:
    RemoveCommand(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::Remove; }
    void undo() override;
    void redo() override;

    QList<int> objectIds() const { return m_ids; }

private:
    Trelvoa::Network *m_net;
    Snapshot m_snapshot;
    QList<int> m_ids;
    bool m_undone = false;
};

// Records one object before the caller changes it. The state after is taken on the first undo, so a
// redo restores exactly what the user saw before undoing.
class TRELVOGA_EXPORT ChangeItemCommand : public QUndoCommand
{
public:
    ChangeItemCommand(NetEdit *edit, Trelvoa::NetObject *object, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::ChangeItem; }
    void undo() override;
    void redo() override;

    int objectId() const { return m_objectId; }

private:
    NetEdit *m_edit;
    Snapshot m_before;
    Snapshot m_after;
    int m_objectId = 0;
};

// Property edits of one or several objects: addObject() for each object about to change, saveBefore(),
// the changes, saveAfter() (which also sets the text), push. The editor keeps one open across several
// edits that follow each other quickly; each object's state before its first edit is what undo brings
// back.
class TRELVOGA_EXPORT ChangePropertyCommand : public QUndoCommand
{
public:
    explicit ChangePropertyCommand(NetEdit *edit, QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::ChangeProperty; }
    void undo() override;
    void redo() override;

    // A null object records nothing; an empty name records only the object.
    void addObject(QObject *object, const QByteArray &propertyName);
    // Drops an object recorded earlier (geometry editing that changed nothing).
    void removeObject(QObject *object);
    void saveBefore();
    void saveAfter();

    QList<int> objectIds() const { return m_ids; }
    QList<QByteArray> propertyNames() const { return m_names; }

private:
    QList<Trelvoa::NetObject *> recordedObjects() const;

    NetEdit *m_edit;
    QList<int> m_ids;
    QList<QByteArray> m_names;
    // One snapshot per saveBefore() that met objects not saved before, and the ids they hold.
    QList<Snapshot> m_before;
    QSet<int> m_beforeIds;
    Snapshot m_after;
    bool m_undone = false;
};

} // namespace Trelvoga
