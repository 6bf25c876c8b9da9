// The generic undo commands (AddItemCommand, RemoveCommand, ChangeItemCommand, ChangePropertyCommand)
// and the snapshot value on a small junction built in code, inside the real editor: each command is
// pushed on NetEdit's stack and judged by the canonical save of the whole network and by the ids.

#include "commandtestkit.h"
#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "commands/genericcommands.h"
#include "commands/snapshot.h"
#include "editor/netedit.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "edgegroup.h"
#include "stopline.h"

#include <QPointer>
#include <QSet>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

// Signalised junction "C" at (0, 0); plain nodes "W" (-100, 0), "E" (100, 0), "S" (0, -100); a two-way
// road of 2 + 2 lanes on each arm ("W>C", "C>W", ...), the W road in edge group "WC"; the connections C
// makes itself and a crosswalk "XS" on the S arm.
Layouts::Layout tee(Network *net)
{
    Layouts::Layout t;
    t.net = net;
    const QString centre = QStringLiteral("C");
    Layouts::addNode(t, centre, QPointF(0, 0), Node::SignalisedJunction);
    Layouts::addNode(t, QStringLiteral("W"), QPointF(-100, 0), Node::PlainNode);
    Layouts::addNode(t, QStringLiteral("E"), QPointF(100, 0), Node::PlainNode);
    Layouts::addNode(t, QStringLiteral("S"), QPointF(0, -100), Node::PlainNode);
    for (const QString &arm : {QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("S")})
        Layouts::addRoad(t, arm, centre, 2, arm == QLatin1String("W"));
    t.node(centre)->makeConnections();

    Lane *in = t.edge(QStringLiteral("S"), centre)->lanes().first();
    Lane *out = t.edge(centre, QStringLiteral("S"))->lanes().first();
    const double offset = in->stopline()->distance() + 2.0;
    auto *crossWalk = new CrossWalk(t.node(centre), in, offset, out, offset);
    crossWalk->setName(QStringLiteral("XS"));
    net->addItem(crossWalk);
    t.crossWalks.append(crossWalk);
    return t;
}

EdgeGroup *westGroup(const Layouts::Layout &t)
{
    return t.groups.value(QStringLiteral("WC"));
}

QList<int> ids(const QList<NetObject *> &objects)
{
    QList<int> list;
    for (NetObject *o : objects)
        list.append(o->id());
    return list;
}

// The class name as the editor shows it.
QString dnClass(NetEdit *edit, const QMetaObject &meta)
{
    return edit->dn(QString::fromLatin1(meta.className()));
}

QString dnName(NetEdit *edit, const char *name)
{
    return edit->dn(QString::fromLatin1(name));
}

} // namespace

#define COMPARE_SAVES(actual, expected)                                                                     \
    do {                                                                                                   \
        const QByteArray a_ = (actual);                                                                    \
        const QByteArray e_ = (expected);                                                                  \
        QVERIFY2(a_ == e_, qPrintable(TestSupport::firstDifference(e_, a_)));                              \
    } while (false)

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void collectObjectsOrder();
    void snapshotSaveRestore();

    void addLaneUndoRedoById();
    void addItemsList();
    void addItemNull();

    void removeLinkedPair();
    void removeSameObjectTwice();
    void removeSingleText();

    void changeItemRedoRestoresWhatTheUserSaw();
    void changeItemNull();

    void changePropertyTexts();
    void changePropertyRecording();
    void changePropertyUndoRedo();
    void changePropertyWithoutObjects();

    void mixedSequenceKeepsIds();
};

void TestCommands::collectObjectsOrder()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Edge *edge = t.edge(QStringLiteral("S"), QStringLiteral("C"));

    QList<NetObject *> list;
    collectObjects(edge, list);
    QCOMPARE(list.first(), edge);
    QCOMPARE(QSet<NetObject *>(list.begin(), list.end()).size(), list.size());
    // Everything a deletion takes or changes is there, and with it all children.
    for (NetObject *o : qAsConst(list)) {
        for (NetObject *linked : o->linkedObjects())
            QVERIFY2(list.contains(linked), qPrintable(linked->printableName()));
        for (QObject *c : o->children()) {
            if (auto *child = qobject_cast<NetObject *>(c))
                QVERIFY2(list.contains(child), qPrintable(child->printableName()));
        }
    }
    // The edge's linked objects (connections, the crosswalk, the group) come before its children.
    const QList<NetObject *> linked = edge->linkedObjects();
    QVERIFY(!linked.isEmpty());
    QVERIFY(list.contains(t.crossWalks.first()));
    QCOMPARE(list.at(1), linked.first());
    const int firstLane = list.indexOf(edge->lanes().first());
    for (NetObject *o : linked)
        QVERIFY(list.indexOf(o) < firstLane);
    // Children in child order: lane 0 before lane 1, each lane before its stoplines.
    QVERIFY(list.indexOf(edge->lanes().at(0)) < list.indexOf(edge->lanes().at(1)));
    QVERIFY(list.indexOf(edge->lanes().at(0)) < list.indexOf(edge->lanes().at(0)->stopline()));

    // An object already listed stops the walk; nothing is appended twice.
    const int size = list.size();
    collectObjects(edge->lanes().at(1), list);
    collectObjects(nullptr, list);
    QCOMPARE(list.size(), size);

    // The top level of a lane and of a connection.
    Lane *lane = edge->lanes().at(1);
    QCOMPARE(collectTopLevel({lane}), list);
    Connection *connection = t.node(QStringLiteral("C"))->connections().first();
    QList<NetObject *> fromNode;
    collectObjects(t.node(QStringLiteral("C")), fromNode);
    QCOMPARE(collectTopLevel({connection}), fromNode);
    // Several objects: one list, each once.
    const QList<NetObject *> both = collectTopLevel({lane, t.node(QStringLiteral("C")), edge});
    QCOMPARE(QSet<NetObject *>(both.begin(), both.end()).size(), both.size());
    QCOMPARE(both.mid(0, list.size()), list);
}

void TestCommands::snapshotSaveRestore()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    const QByteArray before = ed.canonicalSave();
    Node *w = t.node(QStringLiteral("W"));

    Snapshot snapshot;
    QVERIFY(snapshot.isEmpty());
    QVERIFY(snapshot.restore(ed.net())); // nothing to do
    QVERIFY(snapshot.saveTopLevel(ed.net(), {w}));
    QVERIFY(!snapshot.isEmpty());
    QVERIFY(snapshot.data().startsWith("<?xml"));
    // Each save replaces the contents.
    Snapshot single;
    QVERIFY(single.save(ed.net(), {t.node(QStringLiteral("E"))}));
    const QByteArray small = single.data();
    QVERIFY(single.save(ed.net(), {t.node(QStringLiteral("E"))}));
    QCOMPARE(single.data(), small);
    QVERIFY(single.saveTopLevel(ed.net(), {w}));
    QCOMPARE(single.data(), snapshot.data());
    QVERIFY(single.data().size() > small.size());
    QVERIFY(single.save(ed.net(), {t.node(QStringLiteral("E"))})); // shorter than what it replaces
    QCOMPARE(single.data(), small);

    const int cwId = t.edge(QStringLiteral("C"), QStringLiteral("W"))->id();
    delete w;
    QVERIFY(!ed.net()->findObject(cwId));
    QVERIFY(snapshot.restore(ed.net()));
    QVERIFY(ed.net()->findObject(cwId));
    COMPARE_SAVES(ed.canonicalSave(), before);

    // A failed save is a warning and leaves no snapshot; the holder goes on.
    Snapshot broken;
    broken = snapshot;
    Node stranger(nullptr, QPointF(), Node::PlainNode);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Snapshot: save failed")));
    QVERIFY(!broken.save(ed.net(), {&stranger}));
    QVERIFY(broken.isEmpty());
    // A failed restore is a warning; the network is untouched.
    auto *lane = new Lane(t.edge(QStringLiteral("E"), QStringLiteral("C")));
    QVERIFY(ed.net()->addItem(lane));
    Snapshot wrongNet;
    QVERIFY(wrongNet.save(ed.net(), {lane}));
    delete lane;
    Network target; // the lane names a parent that is not there
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Snapshot: restore failed")));
    QVERIFY(!wrongNet.restore(&target));
    QCOMPARE(target.objectCount(), 0);
    COMPARE_SAVES(ed.canonicalSave(), before);
    snapshot.clear();
    QVERIFY(snapshot.isEmpty());
}

void TestCommands::addLaneUndoRedoById()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Edge *edge = t.edge(QStringLiteral("W"), QStringLiteral("C"));
    const int edgeId = edge->id();
    const QList<int> laneIds = ids({edge->lanes().at(0), edge->lanes().at(1)});
    const QByteArray before = ed.canonicalSave();
    const QMap<int, QString> identitiesBefore = CommandTest::identities(ed.net());

    CommandTest::Edits edits(ed);
    Lane *lane = edits.addLane(edge, 1);
    QVERIFY(lane);
    const int laneId = lane->id();
    QCOMPARE(lane->index(), 1);
    const QByteArray added = ed.canonicalSave();
    const QMap<int, QString> identitiesAdded = CommandTest::identities(ed.net());
    QVERIFY(added != before);

    QCOMPARE(ed.undoStack()->count(), 1);
    auto *command = static_cast<const AddItemCommand *>(ed.undoStack()->command(0));
    QCOMPARE(command->text(), QStringLiteral("Add item '%1'").arg(dnClass(ed.edit(), Lane::staticMetaObject)));
    // The editor's display name of the class, as the user reads it.
    QCOMPARE(command->text(), QStringLiteral("Add item 'Lane'"));
    QCOMPARE(command->objectIds(), QList<int>{laneId});
    QCOMPARE(command->id(), int(CommandId::AddItem));
    // The push did nothing.
    COMPARE_SAVES(ed.canonicalSave(), added);

    for (int round = 0; round < 3; ++round) {
        ed.undoStack()->undo();
        QVERIFY(!ed.net()->findObject(laneId));
        // Only the lane went: the edge with its other lanes is there under the same ids.
        QCOMPARE(ed.net()->findObject(edgeId), edge);
        QCOMPARE(ids({edge->lanes().at(0), edge->lanes().at(1)}), laneIds);
        COMPARE_SAVES(ed.canonicalSave(), before);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesBefore);

        ed.undoStack()->redo();
        auto *back = ed.net()->findObject<Lane>(laneId);
        QVERIFY(back);
        QCOMPARE(back->edge(), edge);
        QCOMPARE(back->index(), 1);
        COMPARE_SAVES(ed.canonicalSave(), added);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesAdded);
    }
}

void TestCommands::addItemsList()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    const QByteArray before = ed.canonicalSave();

    // A new node and an edge from it to S; deleting the node takes the edge, so the undo finds the
    // edge's id gone and skips it.
    auto *x = new Node(ed.net(), QPointF(-100, -100), Node::PlainNode);
    QVERIFY(ed.net()->addItem(x));
    Edge *edge = ed.net()->joinNodes(x, t.node(QStringLiteral("S")));
    QVERIFY2(edge, qPrintable(ed.net()->errorString()));
    auto *lane = new Lane(t.edge(QStringLiteral("C"), QStringLiteral("E")));
    QVERIFY(ed.net()->addItem(lane));
    const QList<int> added = ids({x, edge, lane});
    const QByteArray after = ed.canonicalSave();

    auto *command = new AddItemCommand(ed.edit(), QList<NetObject *>{x, nullptr, edge, lane});
    QCOMPARE(command->text(), QStringLiteral("Add items (3)"));
    QCOMPARE(command->objectIds(), added);
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), after);

    for (int round = 0; round < 2; ++round) {
        ed.undoStack()->undo();
        for (int id : added)
            QVERIFY(!ed.net()->findObject(id));
        COMPARE_SAVES(ed.canonicalSave(), before);
        ed.undoStack()->redo();
        for (int id : added)
            QVERIFY(ed.net()->findObject(id));
        COMPARE_SAVES(ed.canonicalSave(), after);
    }
}

void TestCommands::addItemNull()
{
    EditorFixture ed(tee);
    const QByteArray before = ed.canonicalSave();
    auto *command = new AddItemCommand(ed.edit(), static_cast<NetObject *>(nullptr));
    QVERIFY(command->text().isEmpty());
    QVERIFY(command->objectIds().isEmpty());
    ed.undoStack()->push(command);
    ed.undoStack()->undo();
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommands::removeLinkedPair()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Node *w = t.node(QStringLiteral("W"));
    Edge *wc = t.edge(QStringLiteral("W"), QStringLiteral("C"));
    QVERIFY(w->linkedObjects().contains(wc));
    const int wId = w->id();
    const int wcId = wc->id();
    const int cwId = t.edge(QStringLiteral("C"), QStringLiteral("W"))->id();
    const int groupId = westGroup(t)->id();
    const QByteArray before = ed.canonicalSave();
    const QMap<int, QString> identitiesBefore = CommandTest::identities(ed.net());

    // The snapshot the command takes holds each object once, though the edge is also met through W.
    const QList<NetObject *> collected = collectTopLevel({w, wc});
    QCOMPARE(collected.count(wc), 1);
    QCOMPARE(collected.count(w), 1);
    Snapshot snapshot;
    QVERIFY(snapshot.saveTopLevel(ed.net(), {w, wc}));
    QCOMPARE(CommandTest::elementCount(snapshot.data(), wId), 1);
    QCOMPARE(CommandTest::elementCount(snapshot.data(), wcId), 1);
    QCOMPARE(CommandTest::elementCount(snapshot.data(), cwId), 1);

    auto *command = new RemoveCommand(ed.net(), {w, wc});
    QCOMPARE(command->text(), QStringLiteral("Remove 2 items"));
    QCOMPARE(command->objectIds(), (QList<int>{wId, wcId}));
    QCOMPARE(command->id(), int(CommandId::Remove));
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), before); // the push deletes nothing
    QPointer<Edge> guard(wc);
    delete w;
    QVERIFY(!guard);
    QVERIFY(!ed.net()->findObject(cwId));
    const QByteArray removed = ed.canonicalSave();

    for (int round = 0; round < 2; ++round) {
        ed.undoStack()->undo();
        COMPARE_SAVES(ed.canonicalSave(), before);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesBefore);
        QVERIFY(ed.net()->findObject<Node>(wId));
        QVERIFY(ed.net()->findObject<Edge>(wcId));
        // The group starting at W went with it and is back under its id.
        QCOMPARE(ed.net()->findObject<Edge>(wcId)->group(), ed.net()->findObject<EdgeGroup>(groupId));
        QVERIFY(ed.net()->findObject<EdgeGroup>(groupId));

        ed.undoStack()->redo();
        QVERIFY(!ed.net()->findObject(wId));
        QVERIFY(!ed.net()->findObject(wcId));
        COMPARE_SAVES(ed.canonicalSave(), removed);
    }
}

void TestCommands::removeSameObjectTwice()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Lane *lane = t.edge(QStringLiteral("S"), QStringLiteral("C"))->lanes().first();
    const int laneId = lane->id();
    const QByteArray before = ed.canonicalSave();

    auto *command = new RemoveCommand(ed.net(), {lane, lane});
    QCOMPARE(command->objectIds(), QList<int>{laneId});
    QCOMPARE(command->text(), QStringLiteral("Remove 2 items"));
    ed.undoStack()->push(command);
    QPointer<CrossWalk> crossWalk(t.crossWalks.first());
    delete lane; // takes its connections and the crosswalk on it
    QVERIFY(!ed.net()->findObject(laneId));
    QVERIFY(!crossWalk);
    const QByteArray removed = ed.canonicalSave();

    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), removed);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommands::removeSingleText()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    RemoveCommand named(ed.net(), {t.node(QStringLiteral("W"))});
    QCOMPARE(named.text(), QStringLiteral("Remove W"));
    Lane *lane = t.edge(QStringLiteral("S"), QStringLiteral("C"))->lanes().first();
    RemoveCommand unnamed(ed.net(), {lane});
    QCOMPARE(unnamed.text(), QStringLiteral("Remove %1").arg(lane->printableName()));
    QCOMPARE(unnamed.text(), QStringLiteral("Remove Lane %1").arg(lane->id()));
    // A name with a marker in it stays as it is.
    t.node(QStringLiteral("E"))->setName(QStringLiteral("E %1 %2"));
    RemoveCommand marked(ed.net(), {t.node(QStringLiteral("E"))});
    QCOMPARE(marked.text(), QStringLiteral("Remove E %1 %2"));
}

void TestCommands::changeItemRedoRestoresWhatTheUserSaw()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Node *w = t.node(QStringLiteral("W"));
    const int wId = w->id();
    const QByteArray before = ed.canonicalSave();

    auto *command = new ChangeItemCommand(ed.edit(), w);
    QCOMPARE(command->text(), QStringLiteral("Change item '%1'").arg(dnClass(ed.edit(), Node::staticMetaObject)));
    QCOMPARE(command->text(), QStringLiteral("Change item 'Node'"));
    QCOMPARE(command->objectId(), wId);
    QCOMPARE(command->id(), int(CommandId::ChangeItem));
    ed.undoStack()->push(command);
    COMPARE_SAVES(ed.canonicalSave(), before);

    // The change goes on after the push (a drag): the state after is what the first undo sees.
    QVERIFY(w->setPos(QPointF(-110, 5)));
    QVERIFY(w->setPos(QPointF(-120, 10)));
    w->setName(QStringLiteral("West"));
    const QByteArray after = ed.canonicalSave();
    QVERIFY(after != before);

    for (int round = 0; round < 3; ++round) {
        ed.undoStack()->undo();
        COMPARE_SAVES(ed.canonicalSave(), before);
        QCOMPARE(ed.net()->findObject(wId), w);
        QCOMPARE(w->pos(), QPointF(-100, 0));
        ed.undoStack()->redo();
        COMPARE_SAVES(ed.canonicalSave(), after);
        QCOMPARE(w->pos(), QPointF(-120, 10));
        QCOMPARE(w->name(), QStringLiteral("West"));
    }

    // A later command on the same object undoes to the first one's after state.
    auto *second = new ChangeItemCommand(ed.edit(), w);
    ed.undoStack()->push(second);
    QVERIFY(w->setPos(QPointF(-130, 0)));
    const QByteArray after2 = ed.canonicalSave();
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), after);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->redo();
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), after2);
}

void TestCommands::changeItemNull()
{
    EditorFixture ed(tee);
    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangeItemCommand(ed.edit(), nullptr);
    QVERIFY(command->text().isEmpty());
    QCOMPARE(command->objectId(), 0);
    ed.undoStack()->push(command);
    ed.undoStack()->undo();
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommands::changePropertyTexts()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    NetEdit *edit = ed.edit();
    Lane *lane = t.edge(QStringLiteral("S"), QStringLiteral("C"))->lanes().first();
    Lane *lane2 = t.edge(QStringLiteral("S"), QStringLiteral("C"))->lanes().last();
    Node *w = t.node(QStringLiteral("W"));

    auto textOf = [&](const QList<QObject *> &objects, const QList<QByteArray> &names) {
        ChangePropertyCommand c(edit);
        for (QObject *o : objects) {
            if (names.isEmpty())
                c.addObject(o, QByteArray());
            for (const QByteArray &n : names)
                c.addObject(o, n);
        }
        c.saveBefore();
        c.saveAfter();
        return c.text();
    };

    const QString lanePrintable = lane->printableName();
    // P = 0..3 of one object.
    QCOMPARE(textOf({lane}, {}), QStringLiteral("Change properties of %1").arg(lanePrintable));
    QCOMPARE(textOf({lane}, {"width"}),
             QStringLiteral("Change property '%1' of %2").arg(dnName(edit, "width"), lanePrintable));
    QCOMPARE(textOf({lane}, {"width", "maxSpeed"}),
             QStringLiteral("Change properties '%1' and '%2' of %3")
                 .arg(dnName(edit, "width"), dnName(edit, "maxSpeed"), lanePrintable));
    QCOMPARE(textOf({lane}, {"width", "maxSpeed", "allowed"}),
             QStringLiteral("Change 3 properties of %1").arg(lanePrintable));
    QCOMPARE(textOf({w}, {"name"}), QStringLiteral("Change property '%1' of W").arg(dnName(edit, "name")));
    // N > 1.
    QCOMPARE(textOf({lane, lane2}, {"width"}),
             QStringLiteral("Change property '%1' of 2 items").arg(dnName(edit, "width")));
    QCOMPARE(textOf({lane, lane2, w}, {}), QStringLiteral("Change properties of 3 items"));
    QCOMPARE(textOf({lane, w}, {"width", "maxSpeed", "allowed", "name"}),
             QStringLiteral("Change 4 properties of 2 items"));
    // P = 2 names the first and the last name.
    {
        ChangePropertyCommand c(edit);
        c.addObject(lane, "width");
        c.addObject(lane, "width");
        c.addObject(lane2, "allowed");
        c.saveBefore();
        c.saveAfter();
        QCOMPARE(c.propertyNames(), (QList<QByteArray>{"width", "allowed"}));
        QCOMPARE(c.text(), QStringLiteral("Change properties '%1' and '%2' of 2 items")
                               .arg(dnName(edit, "width"), dnName(edit, "allowed")));
    }
    // The object went between saveBefore and saveAfter: "object".
    {
        Lane *doomed = t.edge(QStringLiteral("E"), QStringLiteral("C"))->lanes().first();
        ChangePropertyCommand c(edit);
        c.addObject(doomed, "width");
        c.saveBefore();
        delete doomed;
        c.saveAfter();
        QCOMPARE(c.text(), QStringLiteral("Change property '%1' of object").arg(dnName(edit, "width")));
    }
    // Nothing recorded: saveAfter sets no text.
    {
        ChangePropertyCommand c(edit);
        c.setText(QStringLiteral("kept"));
        c.addObject(nullptr, "width");
        QObject plain;
        c.addObject(&plain, "width");
        QVERIFY(c.objectIds().isEmpty());
        QVERIFY(c.propertyNames().isEmpty());
        c.saveBefore();
        c.saveAfter();
        QCOMPARE(c.text(), QStringLiteral("kept"));
    }
}

void TestCommands::changePropertyRecording()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Lane *lane = t.edge(QStringLiteral("S"), QStringLiteral("C"))->lanes().first();
    Node *w = t.node(QStringLiteral("W"));

    ChangePropertyCommand c(ed.edit());
    QCOMPARE(c.id(), int(CommandId::ChangeProperty));
    c.addObject(lane, "width");
    c.addObject(w, QByteArray());
    c.addObject(lane, "maxSpeed");
    c.addObject(w, "width");
    QCOMPARE(c.objectIds(), (QList<int>{lane->id(), w->id()}));
    QCOMPARE(c.propertyNames(), (QList<QByteArray>{"width", "maxSpeed"}));
    c.removeObject(lane);
    QCOMPARE(c.objectIds(), QList<int>{w->id()});
    c.removeObject(nullptr);
    c.removeObject(lane);
    QCOMPARE(c.objectIds(), QList<int>{w->id()});
    c.saveBefore();
    c.saveAfter();
    QCOMPARE(c.text(), QStringLiteral("Change properties '%1' and '%2' of W")
                           .arg(ed.edit()->dn(QStringLiteral("width")), ed.edit()->dn(QStringLiteral("maxSpeed"))));
}

void TestCommands::changePropertyUndoRedo()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    Edge *sc = t.edge(QStringLiteral("S"), QStringLiteral("C"));
    Lane *a = sc->lanes().at(0);
    Lane *b = sc->lanes().at(1);
    const QByteArray before = ed.canonicalSave();
    const QMap<int, QString> identitiesBefore = CommandTest::identities(ed.net());

    CommandTest::Edits edits(ed);
    QVERIFY(edits.setProperty({a, b}, "width", 3.0));
    QVERIFY(edits.setProperty({a}, "allowed", int(Lane::vcBus | Lane::vcBicycle)));
    QVERIFY(edits.setProperty({t.node(QStringLiteral("C"))}, "autoShape", false));
    QVERIFY(edits.setProperty({t.crossWalks.first()}, "width", 5.5));
    // Refused values push nothing and change nothing.
    bool touched = false;
    QVERIFY(!edits.setProperty({a, b}, "width", -1.0, &touched));
    QVERIFY(!touched);
    QVERIFY(!edits.setProperty({a}, "width", std::numeric_limits<double>::quiet_NaN(), &touched));
    QVERIFY(!touched);
    QVERIFY(!edits.setProperty({a, b}, "width", 3.0, &touched)); // the value they have
    QVERIFY(!touched);
    QCOMPARE(ed.undoStack()->count(), 4);
    QCOMPARE(ed.undoStack()->text(0), QStringLiteral("Change property '%1' of 2 items").arg(dnName(ed.edit(), "width")));
    const QByteArray after = ed.canonicalSave();
    const QMap<int, QString> identitiesAfter = CommandTest::identities(ed.net());

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(ed.undoStack()->index(), 4);
        ed.undoAll();
        COMPARE_SAVES(ed.canonicalSave(), before);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesBefore);
        QCOMPARE(a->width(), 3.5);
        ed.redoAll();
        QCOMPARE(ed.undoStack()->index(), 4);
        COMPARE_SAVES(ed.canonicalSave(), after);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesAfter);
        QCOMPARE(b->width(), 3.0);
        QCOMPARE(a->allowed(), Lane::VehicleClasses(Lane::vcBus | Lane::vcBicycle));
    }
}

void TestCommands::changePropertyWithoutObjects()
{
    EditorFixture ed(tee);
    const QByteArray before = ed.canonicalSave();
    auto *command = new ChangePropertyCommand(ed.edit());
    command->saveBefore();
    command->saveAfter();
    QVERIFY(command->text().isEmpty());
    ed.undoStack()->push(command);
    ed.undoStack()->undo();
    COMPARE_SAVES(ed.canonicalSave(), before);
    ed.undoStack()->redo();
    COMPARE_SAVES(ed.canonicalSave(), before);
}

void TestCommands::mixedSequenceKeepsIds()
{
    EditorFixture ed(tee);
    const Layouts::Layout &t = ed.layout();
    const QByteArray before = ed.canonicalSave();
    const QMap<int, QString> identitiesBefore = CommandTest::identities(ed.net());

    CommandTest::Edits edits(ed);
    Node *x = edits.addNode(QPointF(60, -80), Node::Junction);
    QVERIFY(x);
    QVERIFY(edits.joinNodes(t.node(QStringLiteral("S")), x));
    QVERIFY(edits.addEdge(x, t.node(QStringLiteral("E")), 1));
    QVERIFY(edits.addLane(t.edge(QStringLiteral("C"), QStringLiteral("S")), 0));
    QVERIFY(edits.moveNode(t.node(QStringLiteral("C")), QPointF(3, 4)));
    QVERIFY(edits.setProperty({x}, "name", QStringLiteral("X")));
    QVERIFY(edits.remove({t.node(QStringLiteral("W")), westGroup(t)}));
    QVERIFY(edits.remove({t.edge(QStringLiteral("E"), QStringLiteral("C"))->lanes().first()}));
    QVERIFY(edits.moveNode(x, QPointF(70, -90)));
    QVERIFY(edits.remove({x}));
    const QByteArray after = ed.canonicalSave();
    const QMap<int, QString> identitiesAfter = CommandTest::identities(ed.net());

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(ed.undoStack()->index(), edits.pushed());
        ed.undoAll();
        COMPARE_SAVES(ed.canonicalSave(), before);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesBefore);
        ed.redoAll();
        QCOMPARE(ed.undoStack()->index(), edits.pushed());
        COMPARE_SAVES(ed.canonicalSave(), after);
        QCOMPARE(CommandTest::identities(ed.net()), identitiesAfter);
    }
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
