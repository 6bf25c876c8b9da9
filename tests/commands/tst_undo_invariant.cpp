// The undo invariant on imported real networks: a seeded random sequence of edits, each recorded by the
// generic command the editor uses for it (additions, removals with their cascades, node moves,
// property changes including values the model refuses), is undone to the start and redone to the end.
// Undoing everything gives the bytes saved before the sequence, redoing everything the bytes saved
// after it, and every object keeps its id (the same ids with the same kinds and names come back).
//
// TRELVO_UNDO_TRACE=1 also saves the network after every edit and names the first step whose undo
// or redo goes wrong (slow; for finding a fault). TRELVO_UNDO_SEED=n runs another sequence.

#include "commandtestkit.h"
#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "editor/netedit.h"
#include "scene/networkg.h"
#include "sumo/sumonetimporter.h"

#include "connection.h"
#include "crosswalk.h"
#include "stopline.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Trelvoa;

namespace {

// Imports a shared SUMO network into the editor's own network as the host does: the editor told around
// the load. False with *error.
bool importSumo(EditorFixture &editor, const QString &relative, QString *error)
{
    editor.edit()->beforeLoad();
    const bool ok = importSumoNetwork(editor.net(), TestSupport::dataPath(relative));
    editor.edit()->afterLoad();
    if (!ok && error)
        *error = editor.net()->errorString();
    return ok;
}

// Random edits on the editor's network, each pushed through CommandTest::Edits. pick*() choose among
// the objects in id order, so that a seed always gives the same sequence.
class RandomEdits
{
public:
    RandomEdits(EditorFixture &editor, quint32 seed)
        : m_editor(editor)
        , m_edits(editor)
        , m_random(seed)
    {
    }

    // One attempt; true when a command was pushed. *what names it.
    bool step(QString *what);

    int pushed() const { return m_edits.pushed(); }
    // Property edits the model refused (no command was pushed).
    int refused() const { return m_refused; }
    // Faults of the model seen while editing: a refused value that still changed the model, a refused
    // move to a finite point.
    QStringList faults() const { return m_faults; }
    // Pushed commands by kind of edit ("node", "joinNodes", "remove", "move", a property name, ...).
    QString summary() const;

private:
    template<class T>
    QList<T *> all() const
    {
        QList<T *> list;
        for (NetObject *o : Layouts::objectsById(m_editor.net())) {
            if (auto *t = qobject_cast<T *>(o))
                list.append(t);
        }
        return list;
    }
    template<class T>
    T *pick()
    {
        const QList<T *> list = all<T>();
        return list.isEmpty() ? nullptr : list.at(int(m_random.bounded(list.size())));
    }
    template<class T>
    QList<NetObject *> pickSome(int most)
    {
        const QList<T *> list = all<T>();
        QList<NetObject *> picked;
        if (list.isEmpty())
            return picked;
        const int count = 1 + int(m_random.bounded(most));
        for (int i = 0; i < count; ++i)
            picked.append(list.at(int(m_random.bounded(list.size()))));
        return picked;
    }
    double uniform(double from, double to) { return from + m_random.generateDouble() * (to - from); }
    // The nearest of a few random nodes to `from` (not `from` itself).
    Node *nodeNear(Node *from);

    bool counted(const QString &kind, bool pushed)
    {
        if (pushed)
            ++m_counts[kind];
        return pushed;
    }
    bool property(QString *what);
    bool setProperty(const QList<NetObject *> &objects, const char *name, const QVariant &value, QString *what);

    EditorFixture &m_editor;
    CommandTest::Edits m_edits;
    QRandomGenerator m_random;
    int m_refused = 0;
    QStringList m_faults;
    QMap<QString, int> m_counts;
};

QString RandomEdits::summary() const
{
    QStringList parts;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        parts.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    return parts.join(QStringLiteral(", "));
}

Node *RandomEdits::nodeNear(Node *from)
{
    const QList<Node *> nodes = all<Node>();
    Node *best = nullptr;
    double bestDistance = 0;
    for (int i = 0; i < 8; ++i) {
        Node *n = nodes.at(int(m_random.bounded(nodes.size())));
        const double d = QLineF(from->pos(), n->pos()).length();
        if (n != from && (!best || d < bestDistance)) {
            best = n;
            bestDistance = d;
        }
    }
    return best;
}

bool RandomEdits::setProperty(const QList<NetObject *> &objects, const char *name, const QVariant &value,
                              QString *what)
{
    if (objects.isEmpty())
        return false;
    bool touched = false;
    const bool pushed = m_edits.setProperty(objects, name, value, &touched);
    *what = QStringLiteral("set %1 = %2 on %3 objects (first %4)")
                .arg(QLatin1String(name), value.toString())
                .arg(objects.size())
                .arg(objects.first()->printableName());
    if (pushed)
        ++m_counts[QLatin1String(name)];
    if (!pushed) {
        ++m_refused;
        if (touched)
            m_faults.append(*what);
    }
    return pushed;
}

bool RandomEdits::property(QString *what)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    switch (m_random.bounded(9)) {
    case 0: { // lane widths, a third of them refused
        const double values[] = {-1.0, 0.0, nan, inf, -inf};
        const QVariant v = m_random.bounded(3) == 0 ? values[m_random.bounded(5)] : uniform(2.5, 4.5);
        return setProperty(pickSome<Lane>(3), "width", v, what);
    }
    case 1: { // vehicle classes, bits outside vcAll included (the model drops them)
        const int classes = int(m_random.generate() & 0xFFFFFF);
        return setProperty(pickSome<Lane>(3), "allowed", classes, what);
    }
    case 2: { // speeds
        const QVariant v = m_random.bounded(4) == 0 ? QVariant(-5.0) : QVariant(uniform(10, 90));
        return setProperty(pickSome<Lane>(2), "maxSpeed", v, what);
    }
    case 3: { // names of any kind of object, the empty name too
        const QList<NetObject *> objects = Layouts::objectsById(m_editor.net());
        NetObject *o = objects.at(int(m_random.bounded(objects.size())));
        const QString name = m_random.bounded(4) == 0 ? QString() : QStringLiteral("n%1").arg(m_random.bounded(1000));
        return setProperty({o}, "name", name, what);
    }
    case 4: { // node kinds; negative ones are refused
        Node *n = pick<Node>();
        return n && setProperty({n}, "type", int(m_random.bounded(5)) - 1, what);
    }
    case 5: { // junction outlines: automatic or kept as drawn
        Node *n = pick<Node>();
        return n && setProperty({n}, "autoShape", !n->autoShape(), what);
    }
    case 6: { // edge skeletons: automatic or custom
        Edge *e = pick<Edge>();
        return e && setProperty({e}, "autoSkeleton", !e->autoSkeleton(), what);
    }
    case 7: { // stopline placement and give-way flags
        if (m_random.bounded(2) == 0) {
            Stopline *s = pick<Stopline>();
            return s && setProperty({s}, "autoDistance", !s->autoDistance(), what);
        }
        Connection *c = pick<Connection>();
        return c && setProperty({c}, "giveWay", !c->giveWay(), what);
    }
    default: { // crosswalk widths (refused ones too), else the lanes offset of edges
        if (CrossWalk *w = pick<CrossWalk>()) {
            const QVariant v = m_random.bounded(3) == 0 ? QVariant(nan) : QVariant(uniform(2, 6));
            return setProperty({w}, "width", v, what);
        }
        return setProperty(pickSome<Edge>(2), "lanesOffset", uniform(-2, 2), what);
    }
    }
}

bool RandomEdits::step(QString *what)
{
    const int kind = int(m_random.bounded(100));
    if (kind < 8) {
        Node *near = pick<Node>();
        const QPointF at = (near ? near->pos() : QPointF()) + QPointF(uniform(-60, 60), uniform(-60, 60));
        const int type = int(m_random.bounded(3));
        *what = QStringLiteral("add node type %1").arg(type);
        return counted(QStringLiteral("node"), m_edits.addNode(at, type) != nullptr);
    }
    if (kind < 16) {
        Node *from = pick<Node>();
        Node *to = from ? nodeNear(from) : nullptr;
        if (!to)
            return false;
        if (m_random.bounded(2) == 0) {
            *what = QStringLiteral("join %1 to %2").arg(from->printableName(), to->printableName());
            return counted(QStringLiteral("joinNodes"), m_edits.joinNodes(from, to) != nullptr);
        }
        const int lanes = 1 + int(m_random.bounded(3));
        *what = QStringLiteral("edge of %1 lanes from %2 to %3").arg(lanes).arg(from->printableName(), to->printableName());
        return counted(QStringLiteral("edge"), m_edits.addEdge(from, to, lanes) != nullptr);
    }
    if (kind < 24) {
        Edge *edge = pick<Edge>();
        if (!edge)
            return false;
        const int index = int(m_random.bounded(edge->lanesCount() + 2)) - 1;
        *what = QStringLiteral("lane at %1 of %2").arg(index).arg(edge->printableName());
        return counted(QStringLiteral("lane"), m_edits.addLane(edge, index) != nullptr);
    }
    if (kind < 36) {
        // Anything but a stopline, which only goes with its lane.
        const QList<NetObject *> objects = Layouts::objectsById(m_editor.net());
        QList<NetObject *> picked;
        const int count = 1 + int(m_random.bounded(3));
        while (picked.size() < count) {
            NetObject *o = objects.at(int(m_random.bounded(objects.size())));
            if (!qobject_cast<Stopline *>(o))
                picked.append(o);
        }
        QStringList names;
        for (NetObject *o : qAsConst(picked))
            names.append(QStringLiteral("%1 (%2)").arg(o->printableName(), QLatin1String(o->metaObject()->className())));
        *what = QStringLiteral("remove ") + names.join(QStringLiteral(", "));
        return counted(QStringLiteral("remove"), m_edits.remove(picked));
    }
    if (kind < 50) {
        Node *node = pick<Node>();
        if (!node)
            return false;
        const QPointF to = node->pos() + QPointF(uniform(-20, 20), uniform(-20, 20));
        *what = QStringLiteral("move %1").arg(node->printableName());
        if (!m_edits.moveNode(node, to))
            m_faults.append(QStringLiteral("refused move of %1").arg(node->printableName()));
        return counted(QStringLiteral("move"), true);
    }
    return property(what);
}

// The first object whose id, kind or name differs ("" when none does).
QString identityDifference(const QMap<int, QString> &expected, const Network *net)
{
    const QMap<int, QString> now = CommandTest::identities(net);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (now.value(it.key()) != it.value())
            return QStringLiteral("object %1 was \"%2\", is \"%3\"").arg(it.key()).arg(it.value(), now.value(it.key()));
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!expected.contains(it.key()))
            return QStringLiteral("object %1 (\"%2\") is new").arg(it.key()).arg(it.value());
    }
    return QString();
}

} // namespace

class TestUndoInvariant : public QObject
{
    Q_OBJECT

private slots:
    void randomEdits_data();
    void randomEdits();
};

void TestUndoInvariant::randomEdits_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("edits");
    QTest::newRow("berlin-doerpfeldstr") << QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz") << quint32(20240611) << 400;
    QTest::newRow("bologna-pasubio") << QStringLiteral("bologna-pasubio/pasubio_buslanes.net.xml") << quint32(77) << 400;
    QTest::newRow("bologna-acosta") << QStringLiteral("bologna-acosta/acosta_buslanes.net.xml") << quint32(5) << 300;
}

void TestUndoInvariant::randomEdits()
{
    QFETCH(QString, file);
    QFETCH(quint32, seed);
    QFETCH(int, edits);
    if (!QFile::exists(TestSupport::dataPath(file)))
        QSKIP("the shared real networks are not available");
    const bool trace = qEnvironmentVariableIntValue("TRELVO_UNDO_TRACE") != 0;
    if (qEnvironmentVariableIsSet("TRELVO_UNDO_SEED"))
        seed = quint32(qEnvironmentVariableIntValue("TRELVO_UNDO_SEED"));

    QElapsedTimer timer;
    timer.start();
    EditorFixture ed;
    QString error;
    QVERIFY2(importSumo(ed, file, &error), qPrintable(error));
    const QByteArray before = ed.canonicalSave();
    QVERIFY(!before.startsWith("save failed"));
    const QMap<int, QString> identitiesBefore = CommandTest::identities(ed.net());
    const int objectsBefore = ed.net()->objectCount();
    const qint64 importMs = timer.restart();

    RandomEdits random(ed, seed);
    // Now and then the user undoes a few edits and goes on editing: the next push drops them.
    QRandomGenerator branching(seed ^ 0x5bd1e995u);
    int branches = 0;
    QStringList steps;        // what each command on the stack did
    QList<QByteArray> saves;  // with trace: the save after each command on the stack
    int attempts = 0;
    while (ed.undoStack()->count() < edits) {
        QVERIFY2(++attempts < edits * 10, "too many edits refused");
        if (ed.undoStack()->index() > 0 && branching.bounded(40) == 0) {
            for (int k = 1 + int(branching.bounded(5)); k > 0 && ed.undoStack()->index() > 0; --k)
                ed.undoStack()->undo();
            const int index = ed.undoStack()->index();
            steps = steps.mid(0, index);
            saves = saves.mid(0, trace ? index : 0);
            if (trace) {
                const QString diff = TestSupport::firstDifference(index > 0 ? saves.last() : before, ed.canonicalSave());
                QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("undo to step %1: %2").arg(index).arg(diff)));
            }
            ++branches;
            continue;
        }
        QString what;
        if (random.step(&what)) {
            steps.append(what);
            if (trace)
                saves.append(ed.canonicalSave());
            QCOMPARE(ed.undoStack()->count(), steps.size());
            QCOMPARE(ed.undoStack()->index(), steps.size());
        }
    }
    QCOMPARE(ed.undoStack()->index(), ed.undoStack()->count());
    QVERIFY2(random.faults().isEmpty(), qPrintable(random.faults().join(QLatin1Char('\n'))));
    QVERIFY(random.refused() > 0);
    // The items follow the edits (the scene network's batch refresh).
    QTest::qWait(Trelvoga::Networkg::updateDelay + 20);
    const QByteArray after = ed.canonicalSave();
    QVERIFY(!after.startsWith("save failed"));
    QVERIFY(after != before);
    const QMap<int, QString> identitiesAfter = CommandTest::identities(ed.net());
    const qint64 editMs = timer.restart();

    // Undo everything.
    while (ed.undoStack()->index() > 0) {
        ed.undoStack()->undo();
        if (trace) {
            const int index = ed.undoStack()->index();
            const QByteArray expected = index > 0 ? saves.at(index - 1) : before;
            const QString diff = TestSupport::firstDifference(expected, ed.canonicalSave());
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("undo of step %1 (%2): %3").arg(index + 1).arg(steps.at(index), diff)));
        }
    }
    QTest::qWait(Trelvoga::Networkg::updateDelay + 20);
    {
        const QString diff = TestSupport::firstDifference(before, ed.canonicalSave());
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("after undoing %1 edits: %2").arg(edits).arg(diff)));
    }
    {
        const QString diff = identityDifference(identitiesBefore, ed.net());
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    // Redo everything.
    while (ed.undoStack()->index() < ed.undoStack()->count()) {
        ed.undoStack()->redo();
        if (trace) {
            const int index = ed.undoStack()->index();
            const QString diff = TestSupport::firstDifference(saves.at(index - 1), ed.canonicalSave());
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("redo of step %1 (%2): %3").arg(index).arg(steps.at(index - 1), diff)));
        }
    }
    QTest::qWait(Trelvoga::Networkg::updateDelay + 20);
    {
        const QString diff = TestSupport::firstDifference(after, ed.canonicalSave());
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("after redoing %1 edits: %2").arg(edits).arg(diff)));
    }
    {
        const QString diff = identityDifference(identitiesAfter, ed.net());
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
    qInfo("%s: %d objects, %d after the edits, import %lld ms, %d edits on the stack (%d pushed, %d branches, %d refused) %lld ms, "
          "undo and redo %lld ms; %s",
          qPrintable(file), objectsBefore, ed.net()->objectCount(), importMs, edits, random.pushed(), branches, random.refused(),
          editMs, timer.elapsed(), qPrintable(random.summary()));
}

QTEST_MAIN(TestUndoInvariant)
#include "tst_undo_invariant.moc"
