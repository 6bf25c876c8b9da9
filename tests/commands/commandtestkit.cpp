#include "commandtestkit.h"

#include "editorfixture.h"

#include "commands/genericcommands.h"
#include "commands/snapshot.h"
#include "scene/networkg.h"

#include <QPointer>
#include <QUndoStack>

namespace CommandTest {

QMap<int, QString> identities(const Network *net)
{
    QMap<int, QString> map;
    for (NetObject *o : net->allObjects())
        map.insert(o->id(), QLatin1String(o->metaObject()->className()) + QLatin1Char(' ') + o->name());
    return map;
}

int elementCount(const QByteArray &xml, int id)
{
    const QByteArray key = " id=\"" + QByteArray::number(id) + '"';
    int count = 0;
    for (int at = xml.indexOf(key); at >= 0; at = xml.indexOf(key, at + 1))
        ++count;
    return count;
}

void Edits::push(QUndoCommand *command)
{
    m_editor.undoStack()->push(command);
    ++m_pushed;
}

void Edits::recordAddition(NetObject *object)
{
    push(new Trelvoga::AddItemCommand(m_editor.edit(), object));
}

template<class T>
T *Edits::add(T *object)
{
    if (!m_editor.net()->addItem(object)) {
        delete object;
        return nullptr;
    }
    recordAddition(object);
    return object;
}

Node *Edits::addNode(const QPointF &pos, int type)
{
    return add(new Node(m_editor.net(), pos, type));
}

Edge *Edits::joinNodes(Node *from, Node *to)
{
    Edge *edge = m_editor.net()->joinNodes(from, to);
    if (edge)
        recordAddition(edge);
    return edge;
}

Edge *Edits::addEdge(Node *from, Node *to, int lanes)
{
    auto *edge = new Edge(m_editor.net(), from, to);
    for (int i = 0; i < lanes; ++i)
        (new Lane(edge))->setWidth(3.2);
    return add(edge);
}

Lane *Edits::addLane(Edge *edge, int index)
{
    return add(new Lane(edge, index));
}

bool Edits::remove(const QList<NetObject *> &objects)
{
    if (objects.isEmpty())
        return false;
    push(new Trelvoga::RemoveCommand(m_editor.net(), objects));
    QList<QPointer<NetObject>> guards;
    for (NetObject *o : objects)
        guards.append(o);
    for (const QPointer<NetObject> &o : qAsConst(guards)) {
        if (o)
            delete o.data();
    }
    return true;
}

bool Edits::moveNode(Node *node, const QPointF &pos)
{
    push(new Trelvoga::ChangeItemCommand(m_editor.edit(), node));
    return node->setPos(pos);
}

namespace {

// Flag sets and enums come back as their own types: compare them as numbers.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.userType() >= QMetaType::User && a.userType() == b.userType() && a.canConvert<int>())
        return a.toInt() == b.toInt();
    return a == b;
}

} // namespace

bool Edits::setProperty(const QList<NetObject *> &objects, const char *name, const QVariant &value,
                        bool *refusedTouched)
{
    Trelvoga::Networkg *net = m_editor.net();
    auto *command = new Trelvoga::ChangePropertyCommand(m_editor.edit());
    for (NetObject *o : objects)
        command->addObject(o, name);
    command->saveBefore();

    Trelvoga::Snapshot before;
    before.saveTopLevel(net, objects);
    bool changed = false;
    for (NetObject *o : objects) {
        const QVariant old = o->property(name);
        o->setProperty(name, value);
        if (!sameValue(old, o->property(name)))
            changed = true;
    }
    if (!changed) {
        if (refusedTouched) {
            Trelvoga::Snapshot after;
            after.saveTopLevel(net, objects);
            *refusedTouched = after.data() != before.data();
        }
        delete command;
        return false;
    }
    command->saveAfter();
    push(command);
    return true;
}

} // namespace CommandTest
