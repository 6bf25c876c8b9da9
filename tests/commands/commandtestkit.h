#pragma once

// What only the command tests need on top of the shared support: the identity of every object, how
// often a save writes one, and the edits the editor records, each made the way the editor makes it: the
// model change and the generic command that records it.

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QVariant>

class EditorFixture;
class QUndoCommand;

namespace CommandTest {

using namespace Trelvoa;

// Every object's id to "class name" (the identity an undo or redo must keep).
QMap<int, QString> identities(const Network *net);
// Occurrences of ` id="<id>"` in an XML text: how often an object is written.
int elementCount(const QByteArray &xml, int id);

// The edits the editor records, each model change paired with the command that records it, pushed on
// the fixture's undo stack. Every call returns true when it pushed a command; a change the model refuses
// pushes nothing.
class Edits
{
public:
    explicit Edits(EditorFixture &editor)
        : m_editor(editor)
    {
    }

    // A new node (AddItemCommand of the node).
    Node *addNode(const QPointF &pos, int type);
    // A new edge: through Network::joinNodes (null when refused), or built here with `lanes` lanes of
    // 3.2 m (AddItemCommand of the edge).
    Edge *joinNodes(Node *from, Node *to);
    Edge *addEdge(Node *from, Node *to, int lanes);
    // A new lane at the index of the edge's lanes (-1 appends).
    Lane *addLane(Edge *edge, int index = -1);
    // RemoveCommand pushed, then the objects deleted (those still there after earlier deletions).
    bool remove(const QList<NetObject *> &objects);
    // ChangeItemCommand pushed, then the node moved; a refused position drops the command.
    bool moveNode(Node *node, const QPointF &pos);
    // ChangePropertyCommand: addObject + saveBefore, setProperty on each, saveAfter, push; only when
    // a value read back differs from the one before. *refusedTouched is set when the model refused
    // every value and yet the objects' snapshot changed (a fault of the model).
    bool setProperty(const QList<NetObject *> &objects, const char *name, const QVariant &value,
                     bool *refusedTouched = nullptr);

    int pushed() const { return m_pushed; }

private:
    // Pushes the command on the stack and counts it.
    void push(QUndoCommand *command);
    void recordAddition(NetObject *object);
    // Registers a new object and records its addition; null, with the object deleted, when the
    // network refuses it.
    template<class T>
    T *add(T *object);

    EditorFixture &m_editor;
    int m_pushed = 0;
};

} // namespace CommandTest
