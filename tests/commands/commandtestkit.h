#pragma once

// The editor as the command tests need it (scene, scene network, host view, NetEdit and its undo
// stack), canonical saves, and the edits the editor records, each made the way the editor makes it:
// the model change and the generic command that records it.

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

#include <memory>

class QGraphicsView;
class QUndoStack;

namespace Trelvoga {
class NetEdit;
class NetworkScene;
class Networkg;
} // namespace Trelvoga

namespace CommandTest {

using namespace Trelvoa;

// Network, scene, view and editor with an undo stack; torn down editor first, scene last.
class Editor
{
public:
    Editor();
    ~Editor();

    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;

    Trelvoga::Networkg *net() const { return m_net.get(); }
    Trelvoga::NetEdit *edit() const { return m_edit.get(); }
    QUndoStack *stack() const { return m_stack; }
    QGraphicsView *view() const { return m_view.get(); }

    // The whole network as the editor saves it; "save failed: ..." when it cannot be saved.
    QByteArray canonicalSave() const;
    // Imports a SUMO network from TRELVO_DATA_DIR the way the host does (the editor told around the
    // load); false with *error.
    bool importSumo(const QString &relative, QString *error);

    // Undo to index 0 / redo to the end; the number of steps taken.
    int undoAll();
    int redoAll();

private:
    std::unique_ptr<Trelvoga::NetworkScene> m_scene;
    std::unique_ptr<QGraphicsView> m_view;
    std::unique_ptr<Trelvoga::Networkg> m_net;
    std::unique_ptr<Trelvoga::NetEdit> m_edit;
    QUndoStack *m_stack = nullptr;
};

// The first line where two saves differ ("" when equal).
QString firstDifference(const QByteArray &before, const QByteArray &after);
// Every object's id to "class name" (the identity an undo or redo must keep).
QMap<int, QString> identities(const Network *net);
// Every object in id order.
QList<NetObject *> objectsById(const Network *net);
// Occurrences of ` id="<id>"` in an XML text: how often an object is written.
int elementCount(const QByteArray &xml, int id);

// The edits the editor records, each model change paired with the command that records it, pushed on
// the editor's stack. Every call returns true when it pushed a command; a change the model refuses
// pushes nothing.
class Edits
{
public:
    explicit Edits(Editor &editor)
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
    Editor &m_editor;
    int m_pushed = 0;
};

} // namespace CommandTest
