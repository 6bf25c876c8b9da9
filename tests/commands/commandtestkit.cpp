#include "commandtestkit.h"

#include "commands/genericcommands.h"
#include "commands/snapshot.h"
#include "editor/netedit.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "sumo/sumonetimporter.h"

#include <QGraphicsView>
#include <QMetaProperty>
#include <QPointer>
#include <QUndoStack>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace CommandTest {

Editor::Editor()
    : m_scene(new Trelvoga::NetworkScene)
    , m_view(new QGraphicsView(m_scene.get()))
    , m_net(new Trelvoga::Networkg(m_scene.get()))
    , m_edit(new Trelvoga::NetEdit(m_net.get(), m_view.get()))
{
    m_stack = m_edit->createUndoStack();
}

Editor::~Editor()
{
    m_edit.reset();
    m_net.reset();
    m_view.reset();
    m_scene.reset();
}

QByteArray Editor::canonicalSave() const
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    // One element a line, so that a difference names its object.
    writer.setAutoFormatting(true);
    if (!m_net->save(writer))
        return QByteArray("save failed: ") + m_net->errorString().toUtf8();
    return bytes;
}

bool Editor::importSumo(const QString &relative, QString *error)
{
    m_edit->beforeLoad();
    const bool ok = importSumoNetwork(m_net.get(), QStringLiteral(TRELVO_DATA_DIR "/") + relative);
    m_edit->afterLoad();
    if (!ok && error)
        *error = m_net->errorString();
    return ok;
}

int Editor::undoAll()
{
    int steps = 0;
    while (m_stack->index() > 0) {
        m_stack->undo();
        ++steps;
    }
    return steps;
}

int Editor::redoAll()
{
    int steps = 0;
    while (m_stack->index() < m_stack->count()) {
        m_stack->redo();
        ++steps;
    }
    return steps;
}

QString firstDifference(const QByteArray &before, const QByteArray &after)
{
    if (before == after)
        return QString();
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    int line = 0;
    while (line < a.size() && line < b.size() && a.at(line) == b.at(line))
        ++line;
    // Lines can be long (point lists): show where they part.
    const QByteArray x = a.value(line);
    const QByteArray y = b.value(line);
    int at = 0;
    while (at < x.size() && at < y.size() && x.at(at) == y.at(at))
        ++at;
    const int from = std::max(0, at - 200);
    return QStringLiteral("line %1, column %2:\n  before: ...%3\n  after:  ...%4")
        .arg(line + 1)
        .arg(at + 1)
        .arg(QString::fromUtf8(x.mid(from, 400)), QString::fromUtf8(y.mid(from, 400)));
}

QMap<int, QString> identities(const Network *net)
{
    QMap<int, QString> map;
    for (NetObject *o : net->allObjects())
        map.insert(o->id(), QLatin1String(o->metaObject()->className()) + QLatin1Char(' ') + o->name());
    return map;
}

QList<NetObject *> objectsById(const Network *net)
{
    QList<NetObject *> list = net->allObjects();
    std::sort(list.begin(), list.end(), [](NetObject *a, NetObject *b) { return a->id() < b->id(); });
    return list;
}

int elementCount(const QByteArray &xml, int id)
{
    const QByteArray key = " id=\"" + QByteArray::number(id) + '"';
    int count = 0;
    for (int at = xml.indexOf(key); at >= 0; at = xml.indexOf(key, at + 1))
        ++count;
    return count;
}

Node *Edits::addNode(const QPointF &pos, int type)
{
    Trelvoga::Networkg *net = m_editor.net();
    auto *node = new Node(net, pos, type);
    if (!net->addItem(node)) {
        delete node;
        return nullptr;
    }
    m_editor.stack()->push(new Trelvoga::AddItemCommand(m_editor.edit(), node));
    ++m_pushed;
    return node;
}

Edge *Edits::joinNodes(Node *from, Node *to)
{
    Edge *edge = m_editor.net()->joinNodes(from, to);
    if (!edge)
        return nullptr;
    m_editor.stack()->push(new Trelvoga::AddItemCommand(m_editor.edit(), edge));
    ++m_pushed;
    return edge;
}

Edge *Edits::addEdge(Node *from, Node *to, int lanes)
{
    Trelvoga::Networkg *net = m_editor.net();
    auto *edge = new Edge(net, from, to);
    for (int i = 0; i < lanes; ++i)
        (new Lane(edge))->setWidth(3.2);
    if (!net->addItem(edge)) {
        delete edge;
        return nullptr;
    }
    m_editor.stack()->push(new Trelvoga::AddItemCommand(m_editor.edit(), edge));
    ++m_pushed;
    return edge;
}

Lane *Edits::addLane(Edge *edge, int index)
{
    auto *lane = new Lane(edge, index);
    if (!m_editor.net()->addItem(lane)) {
        delete lane;
        return nullptr;
    }
    m_editor.stack()->push(new Trelvoga::AddItemCommand(m_editor.edit(), lane));
    ++m_pushed;
    return lane;
}

bool Edits::remove(const QList<NetObject *> &objects)
{
    if (objects.isEmpty())
        return false;
    m_editor.stack()->push(new Trelvoga::RemoveCommand(m_editor.net(), objects));
    ++m_pushed;
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
    m_editor.stack()->push(new Trelvoga::ChangeItemCommand(m_editor.edit(), node));
    ++m_pushed;
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
    m_editor.stack()->push(command);
    ++m_pushed;
    return true;
}

} // namespace CommandTest
