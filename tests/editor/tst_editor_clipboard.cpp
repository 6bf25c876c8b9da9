// The clipboard: network parts copied and pasted (in place and placed with the mouse, also across
// projections), the paste's undo step, hostile clipboard contents, the geometry texts checked with an
// independent reader, and the two saves of network parts.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "commands/joinnetcommand.h"
#include "editor/editcontext.h"
#include "editor/modes/pasteplacementmode.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "connection.h"
#include "edge.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "lane.h"
#include "node.h"
#include "polygonobject.h"
#include "stopline.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGraphicsRectItem>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

const char *otherProjection = "+proj=tmerc +lat_0=50.9 +lon_0=6.9 +k=1 +x_0=1000 +y_0=2000 +ellps=GRS80 +units=m +no_defs";

const QByteArray &savedNetwork(const QString &relative)
{
    static QHash<QString, QByteArray> cache;
    QByteArray &data = cache[relative];
    if (data.isEmpty()) {
        QString error;
        std::unique_ptr<Network> net(TestSupport::importNetwork(relative, &error));
        if (net)
            data = TestSupport::saveAll(net.get());
        else
            qWarning("import of %s failed: %s", qPrintable(relative), qPrintable(error));
    }
    return data;
}

Layouts::Layout loadInto(Network *net, const QByteArray &data)
{
    Layouts::Layout layout;
    layout.net = net;
    QXmlStreamReader reader(data);
    if (!net->load(reader, false))
        qWarning("load failed: %s", qPrintable(net->errorString()));
    return layout;
}

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

Layouts::Layout cologne(Network *net)
{
    return loadInto(net, savedNetwork(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz")));
}

Layouts::Layout emptyForeign(Network *net)
{
    Layouts::Layout layout;
    layout.net = net;
    if (!net->setProjection(otherProjection))
        qWarning("projection refused: %s", qPrintable(net->errorString()));
    return layout;
}

int connectionCount(const Node *node)
{
    int count = 0;
    for (QObject *child : node->children())
        count += qobject_cast<Connection *>(child) != nullptr;
    return count;
}

// The junction with the most connections: a node with every kind of child and many edges.
Node *busiestJunction(Network *net)
{
    Node *best = nullptr;
    for (NetObject *object : net->allObjects()) {
        auto *node = qobject_cast<Node *>(object);
        if (node && node->isJunction() && (!best || connectionCount(node) > connectionCount(best)))
            best = node;
    }
    return best;
}

QAction *textAction(NetEdit *edit, const QString &text, void (NetEdit::*slot)(), const QString &data = QString())
{
    auto *action = new QAction(text, edit);
    action->setData(data);
    QObject::connect(action, &QAction::triggered, edit, slot);
    return action;
}

// What the editor logs while it lives.
struct Log
{
    explicit Log(NetEdit *edit)
    {
        connection = QObject::connect(edit, &NetEdit::logMessage,
                                      [this](const QString &text, QtMsgType type) { list.append({text, type}); });
    }
    ~Log() { QObject::disconnect(connection); }
    int size() const { return list.size(); }

    QList<QPair<QString, QtMsgType>> list;
    QMetaObject::Connection connection;
};

QString clipboardText()
{
    return QApplication::clipboard()->text();
}

// Selects the objects' rows in the object tree (and nothing else): roads have no selectable item of
// their own in the scene.
void selectInScene(EditorFixture &ed, const QList<NetObject *> &objects)
{
    ed.scene()->clearSelection();
    ed.edit()->objectsTree()->clearSelection();
    for (NetObject *object : objects) {
        const QList<QTreeWidgetItem *> rows = ed.edit()->treeItems(object);
        if (!rows.isEmpty())
            rows.first()->setSelected(true);
        else
            qWarning("no tree row for %s", qPrintable(object->printableName()));
    }
}

QMap<QString, int> countsPerClass(const Network *net)
{
    QMap<QString, int> counts;
    for (NetObject *object : net->allObjects())
        ++counts[QString::fromLatin1(object->metaObject()->className())];
    return counts;
}

// The structure of a network without ids: nodes are named by their place in `reference` (the source's
// model coordinates, matched within 1 cm through each network's projection), everything else through
// the nodes. Empty entries name objects that match nothing.
struct Structure
{
    QStringList lines;
    double worstDistance = 0; // metres, between matched nodes
    int unmatchedNodes = 0;
};

Structure structure(const Network *net, const QList<QPointF> &reference, const GeoUtil *referenceGeo,
                    const QPointF &offset = QPointF())
{
    Structure s;
    QHash<const Node *, int> label;
    for (NetObject *object : net->allObjects()) {
        auto *node = qobject_cast<Node *>(object);
        if (!node)
            continue;
        // Into the reference's model coordinates, then the expected shift taken back.
        QPointF at = node->pos();
        if (net->geoUtil() && referenceGeo)
            at = referenceGeo->geoToXY(net->geoUtil()->xyToGeo(at));
        at -= offset;
        int best = -1;
        double bestDistance = 1e300;
        for (int i = 0; i < reference.size(); ++i) {
            const double d = std::hypot(reference.at(i).x() - at.x(), reference.at(i).y() - at.y());
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        if (best < 0 || bestDistance > 0.01) {
            ++s.unmatchedNodes;
            continue;
        }
        s.worstDistance = qMax(s.worstDistance, bestDistance);
        label.insert(node, best);
    }
    auto edgeName = [&](const Edge *edge) {
        return edge ? QStringLiteral("%1>%2").arg(label.value(edge->start(), -1)).arg(label.value(edge->end(), -1))
                    : QStringLiteral("-");
    };
    auto laneName = [&](const Lane *lane) {
        return lane ? QStringLiteral("%1/%2").arg(edgeName(lane->edge())).arg(lane->index()) : QStringLiteral("-");
    };
    for (NetObject *object : net->allObjects()) {
        if (auto *node = qobject_cast<Node *>(object)) {
            s.lines << QStringLiteral("node %1 type %2 granule %3")
                           .arg(label.value(node, -1))
                           .arg(node->type())
                           .arg(node->granule() ? 1 : 0);
        } else if (auto *edge = qobject_cast<Edge *>(object)) {
            s.lines << QStringLiteral("edge %1 lanes %2 group %3")
                           .arg(edgeName(edge))
                           .arg(edge->lanes().size())
                           .arg(edge->group() ? 1 : 0);
        } else if (auto *lane = qobject_cast<Lane *>(object)) {
            s.lines << QStringLiteral("lane %1 stopline %2 startline %3")
                           .arg(laneName(lane))
                           .arg(lane->hasStopline())
                           .arg(lane->hasStartline());
        } else if (auto *connection = qobject_cast<Connection *>(object)) {
            s.lines << QStringLiteral("connection %1 -> %2 at %3")
                           .arg(laneName(connection->startLane()), laneName(connection->endLane()))
                           .arg(label.value(qobject_cast<Node *>(connection->parent()), -1));
        } else {
            s.lines << QStringLiteral("%1 under %2")
                           .arg(QString::fromLatin1(object->metaObject()->className()))
                           .arg(qobject_cast<Network *>(object->parent())
                                    ? QStringLiteral("network")
                                    : QString::fromLatin1(object->parent()->metaObject()->className()));
        }
    }
    s.lines.sort();
    return s;
}

QList<QPointF> nodePositions(const Network *net)
{
    QList<QPointF> positions;
    for (NetObject *object : net->allObjects()) {
        if (auto *node = qobject_cast<Node *>(object))
            positions.append(node->pos());
    }
    return positions;
}

// The network the paste works with: the clipboard's fragment loaded on its own.
std::unique_ptr<Network> clipboardNetwork()
{
    auto net = std::make_unique<Network>();
    QXmlStreamReader reader(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/trelvo")));
    if (!net->load(reader, false))
        qWarning("clipboard fragment: %s", qPrintable(net->errorString()));
    return net;
}

QStringList missingFromTree(NetEdit *edit)
{
    QStringList missing;
    for (QObject *child : edit->net()->children()) {
        auto *object = qobject_cast<NetObject *>(child);
        if (object && edit->treeItems(object).isEmpty())
            missing.append(object->printableName());
    }
    return missing;
}

// Every number of the output lines that hold the geometry, in order.
QList<double> ogrNumbers(const QString &output, const QString &geometryTag)
{
    QList<double> numbers;
    const QRegularExpression number(QStringLiteral("-?\\d+(?:\\.\\d+)?(?:[eE][-+]?\\d+)?"));
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(geometryTag))
            continue;
        auto it = number.globalMatch(trimmed.mid(geometryTag.size()));
        while (it.hasNext())
            numbers.append(it.next().captured().toDouble());
    }
    return numbers;
}

QString runOgrinfo(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ogrinfo"), arguments);
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestEditorClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void junctionAcrossProjections_data();
    void junctionAcrossProjections();
    void undoRedoOfPaste();
    void escapeDropsThePart();
    void wktPolygonPastesInPlace();
    void enableRules_data();
    void enableRules();
    void granuleCopiedOnce();
    void emptySelectionLeavesClipboard();
    void partsCopyTheirWholeObject();
    void hostileContents_data();
    void hostileContents();
    void geometryTextsReadByOgr();
    void textRulesWithoutProjection();
    void saveGranuleWritesLoadableFile();
    void savePolygonNetPart();
    void largePasteUndoesExactly();

private:
    bool m_dataAvailable = false;
    QTemporaryDir m_settingsDir;
};

void TestEditorClipboard::initTestCase()
{
    m_dataAvailable = QFile::exists(TestSupport::dataPath(QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz")));
    // The saves remember their directory in the user's settings: not the real ones.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestEditorClipboard::cleanup()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    QApplication::clipboard()->clear();
}

void TestEditorClipboard::junctionAcrossProjections_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPointF>("shift"); // scene units (degrees), for a placed paste
    QTest::newRow("in place") << QStringLiteral("pasteInplace") << QPointF();
    QTest::newRow("placed at the original spot") << QStringLiteral("paste") << QPointF();
    QTest::newRow("placed beside") << QStringLiteral("paste") << QPointF(0.0013, -0.0007);
}

void TestEditorClipboard::junctionAcrossProjections()
{
    if (!m_dataAvailable)
        QSKIP("the shared real networks are not available");
    QFETCH(QString, how);
    QFETCH(QPointF, shift);

    EditorFixture source(cologne);
    // Loaded by the builder behind the editor's back: the tree is built here.
    source.edit()->rebuildObjectTree();
    QVERIFY(source.net()->objectCount() > 1000);
    Node *junction = busiestJunction(source.net());
    QVERIFY(junction);
    QVERIFY(connectionCount(junction) >= 8);
    // The junction, its roads and their far ends: a part that stands on its own.
    QList<NetObject *> selection{junction};
    for (Edge *edge : junction->edges())
        selection << edge << edge->start() << edge->end();
    selectInScene(source, selection);
    QVERIFY(source.trigger(QStringLiteral("copy")));
    QVERIFY(QApplication::clipboard()->mimeData());
    QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("text/trelvo")));
    const std::unique_ptr<Network> expected = clipboardNetwork();
    QVERIFY(expected->objectCount() > 20);
    QVERIFY(expected->geoUtil());

    EditorFixture target(emptyForeign);
    QVERIFY(target.net()->geoUtil());
    QCOMPARE(target.action(QStringLiteral("paste"))->isEnabled(), true);
    QCOMPARE(target.action(QStringLiteral("pasteInplace"))->isEnabled(), true);

    QPointF expectedShift;
    QVERIFY(target.trigger(how));
    if (how == QLatin1String("paste")) {
        QCOMPARE(target.edit()->mode(), ModePastePlacement);
        auto *mode = static_cast<PastePlacementMode *>(target.edit()->modeObject(ModePastePlacement));
        QVERIFY(mode->pasteNetwork());
        QVERIFY(mode->preview());
        QVERIFY(QApplication::overrideCursor());
        // Nodes and roads are outlined.
        QVERIFY(mode->preview()->childItems().size() > 5);
        const QRectF sceneBound = mode->preview()->rect();
        const QPointF at = sceneBound.bottomLeft() + shift;
        target.edit()->sceneMousePressed(Qt::LeftButton, at);
        const GeoUtil *geo = expected->geoUtil();
        expectedShift = geo->geoToXY(sceneBound.topLeft() + shift) - geo->geoToXY(sceneBound.topLeft());
        QCOMPARE(target.edit()->mode(), ModeNone);
        QVERIFY(!mode->pasteNetwork());
        QVERIFY(!mode->preview());
        QVERIFY(!QApplication::overrideCursor());
    }
    QCOMPARE(target.undoStack()->count(), 1);
    QCOMPARE(target.net()->objectCount(), expected->objectCount());

    // The same objects, under fresh ids, where they were on the earth.
    QCOMPARE(countsPerClass(target.net()), countsPerClass(expected.get()));
    const QList<QPointF> reference = nodePositions(expected.get());
    const Structure want = structure(expected.get(), reference, expected->geoUtil());
    const Structure got = structure(target.net(), reference, expected->geoUtil(), expectedShift);
    QCOMPARE(want.unmatchedNodes, 0);
    QCOMPARE(got.unmatchedNodes, 0);
    QVERIFY2(got.worstDistance < 0.01, qPrintable(QString::number(got.worstDistance)));
    QCOMPARE(got.lines, want.lines);
    QVERIFY(!expectedShift.isNull() || shift.isNull());
    QSet<int> sourceIds, targetIds;
    for (NetObject *object : expected->allObjects())
        sourceIds.insert(object->id());
    for (NetObject *object : target.net()->allObjects())
        targetIds.insert(object->id());
    QVERIFY(sourceIds != targetIds);
    QCOMPARE(missingFromTree(target.edit()), QStringList());
}

void TestEditorClipboard::undoRedoOfPaste()
{
    EditorFixture source(fourArm);
    selectInScene(source, {source.node(QStringLiteral("C")), source.edge(QStringLiteral("N"), QStringLiteral("C"))});
    QVERIFY(source.trigger(QStringLiteral("copy")));

    EditorFixture ed(fourArm);
    const QByteArray before = ed.canonicalSave();
    const int count = ed.net()->objectCount();
    QVERIFY(ed.trigger(QStringLiteral("pasteInplace")));
    QCOMPARE(ed.undoStack()->count(), 1);
    auto *command = dynamic_cast<const JoinNetCommand *>(ed.undoStack()->command(0));
    QVERIFY(command);
    const QList<int> joined = command->joinedIds();
    QVERIFY(!joined.isEmpty());
    QVERIFY(ed.net()->objectCount() > count);
    const QByteArray after = ed.canonicalSave();
    auto rowsOfJoined = [&] {
        int rows = 0;
        for (int id : joined) {
            if (NetObject *object = ed.net()->findObject(id))
                rows += ed.edit()->treeItems(object).size();
        }
        return rows;
    };
    const int rows = rowsOfJoined();
    QVERIFY(rows >= joined.size());

    for (int round = 0; round < 2; ++round) {
        ed.undoStack()->undo();
        QCOMPARE(ed.canonicalSave(), before);
        QCOMPARE(ed.net()->objectCount(), count);
        QCOMPARE(rowsOfJoined(), 0);
        QCOMPARE(missingFromTree(ed.edit()), QStringList());
        ed.undoStack()->redo();
        // Redone, the copies come back with the ids the paste gave them.
        QCOMPARE(ed.canonicalSave(), after);
        QCOMPARE(rowsOfJoined(), rows);
        QCOMPARE(missingFromTree(ed.edit()), QStringList());
    }
}

void TestEditorClipboard::escapeDropsThePart()
{
    EditorFixture source(fourArm);
    selectInScene(source, {source.node(QStringLiteral("C"))});
    QVERIFY(source.trigger(QStringLiteral("copy")));

    EditorFixture ed(fourArm);
    const QByteArray before = ed.canonicalSave();
    QVERIFY(ed.trigger(QStringLiteral("paste")));
    QCOMPARE(ed.edit()->mode(), ModePastePlacement);
    auto *mode = static_cast<PastePlacementMode *>(ed.edit()->modeObject(ModePastePlacement));
    QPointer<QGraphicsScene> scene = ed.scene();
    QVERIFY(mode->preview() && mode->preview()->scene() == scene);
    // The preview follows the cursor with its bottom-left corner.
    ed.move(QPointF(30, 40));
    const QPointF corner = mode->preview()->mapToScene(mode->preview()->rect().bottomLeft());
    // Within the pixel the move was sent at.
    QVERIFY2(QLineF(corner, ed.toScene(QPointF(30, 40))).length() < 1.0, qPrintable(QStringLiteral("%1 %2").arg(corner.x()).arg(corner.y())));
    ed.key(Qt::Key_Escape);
    QCOMPARE(ed.edit()->mode(), ModeNone);
    QVERIFY(!mode->pasteNetwork());
    QVERIFY(!mode->preview());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(ed.canonicalSave(), before);
    QCOMPARE(ed.undoStack()->count(), 0);

    // A real click places it.
    QVERIFY(ed.trigger(QStringLiteral("paste")));
    const int count = ed.net()->objectCount();
    ed.click(QPointF(300, 300));
    QCOMPARE(ed.edit()->mode(), ModeNone);
    QVERIFY(ed.net()->objectCount() > count);
    QCOMPARE(ed.undoStack()->count(), 1);
}

void TestEditorClipboard::wktPolygonPastesInPlace()
{
    EditorFixture ed(fourArm);
    QApplication::clipboard()->setText(QStringLiteral("POLYGON((200 200, 260 200, 260 250, 200 250, 200 200))"));
    QVERIFY(!ed.action(QStringLiteral("paste"))->isEnabled());
    QVERIFY(ed.action(QStringLiteral("pasteInplace"))->isEnabled());
    const QByteArray before = ed.canonicalSave();
    QVERIFY(ed.trigger(QStringLiteral("pasteInplace")));
    QList<PolygonObject *> polygons;
    for (NetObject *object : ed.net()->allObjects()) {
        if (auto *polygon = qobject_cast<PolygonObject *>(object))
            polygons.append(polygon);
    }
    QCOMPARE(polygons.size(), 1);
    QCOMPARE(polygons.first()->shape().boundingRect(), QRectF(200, 200, 60, 50));
    QCOMPARE(ed.edit()->treeItems(polygons.first()).size(), 1);
    ed.undoStack()->undo();
    QCOMPARE(ed.canonicalSave(), before);

    // Text that is no polygon is ignored, with a word why.
    Log log(ed.edit());
    QApplication::clipboard()->setText(QStringLiteral("polygon of the town hall"));
    QVERIFY(ed.action(QStringLiteral("pasteInplace"))->isEnabled());
    QVERIFY(ed.trigger(QStringLiteral("pasteInplace")));
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.list.first().first, QStringLiteral("The clipboard text is not a WKT polygon"));
    QCOMPARE(ed.canonicalSave(), before);
    QCOMPARE(ed.undoStack()->count(), 1);
}

void TestEditorClipboard::enableRules_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("network part") << QStringLiteral("text/trelvo") << QByteArray("<network/>") << true << true;
    QTest::newRow("upper-case polygon") << QStringLiteral("text/plain") << QByteArray("POLYGON((0 0,1 0,1 1,0 0))") << false << true;
    QTest::newRow("multipolygon") << QStringLiteral("text/plain") << QByteArray("multipolygon(((0 0,1 0,1 1,0 0)))") << false << true;
    QTest::newRow("line string") << QStringLiteral("text/plain") << QByteArray("LINESTRING(0 0,1 1)") << false << false;
    QTest::newRow("other data") << QStringLiteral("image/png") << QByteArray("PNG") << false << false;
}

void TestEditorClipboard::enableRules()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, content);
    QFETCH(bool, paste);
    QFETCH(bool, inPlace);
    EditorFixture ed;
    auto *mime = new QMimeData;
    mime->setData(format, content);
    QApplication::clipboard()->setMimeData(mime);
    QCOMPARE(ed.action(QStringLiteral("paste"))->isEnabled(), paste);
    QCOMPARE(ed.action(QStringLiteral("pasteInplace"))->isEnabled(), inPlace);
    QApplication::clipboard()->clear();
    QVERIFY(!ed.action(QStringLiteral("paste"))->isEnabled());
    QVERIFY(!ed.action(QStringLiteral("pasteInplace"))->isEnabled());
}

void TestEditorClipboard::granuleCopiedOnce()
{
    EditorFixture ed(fourArm);
    Node *centre = ed.node(QStringLiteral("C"));
    auto *granule = new Granule({centre}, ed.net());
    QVERIFY(ed.net()->addItem(granule));
    // The node twice (scene and tree): still once.
    selectInScene(ed, {centre});
    ed.edit()->selectObjectInTree(centre);
    QVERIFY(ed.trigger(QStringLiteral("copy")));
    const QByteArray data = QApplication::clipboard()->mimeData()->data(QStringLiteral("text/trelvo"));
    QXmlStreamReader reader(data);
    QMap<int, int> seen;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.attributes().hasAttribute(QStringLiteral("id")))
            ++seen[reader.attributes().value(QStringLiteral("id")).toInt()];
    }
    QVERIFY(!reader.hasError());
    QCOMPARE(seen.value(centre->id()), 1);
    QCOMPARE(seen.value(granule->id()), 1);
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        QVERIFY2(it.value() == 1, qPrintable(QString::number(it.key())));

    // Pasted, the granule comes with its node.
    const std::unique_ptr<Network> part = clipboardNetwork();
    int granules = 0;
    for (NetObject *object : part->allObjects()) {
        if (auto *g = qobject_cast<Granule *>(object)) {
            ++granules;
            QCOMPARE(g->nodes().size(), 1);
        }
    }
    QCOMPARE(granules, 1);

    // The granule's own entry copies the same.
    QApplication::clipboard()->clear();
    QAction *action = textAction(ed.edit(), QStringLiteral("Copy granule to clipboard"), &NetEdit::copyGranuleToClipboard);
    action->setData(QVariant::fromValue<QObject *>(granule));
    action->trigger();
    QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("text/trelvo")));
    QCOMPARE(clipboardNetwork()->objectCount(), part->objectCount());
}

void TestEditorClipboard::emptySelectionLeavesClipboard()
{
    EditorFixture ed(fourArm);
    QApplication::clipboard()->setText(QStringLiteral("keep me"));
    ed.scene()->clearSelection();
    ed.edit()->copySelection();
    QCOMPARE(clipboardText(), QStringLiteral("keep me"));
    // A granule entry without a granule neither.
    textAction(ed.edit(), QStringLiteral("Copy granule to clipboard"), &NetEdit::copyGranuleToClipboard)->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("keep me"));
}

// Lanes are what a click selects on a road: copying them copies their road whole with its end nodes,
// and a connection its junction; a paste in place then adds the road again.
void TestEditorClipboard::partsCopyTheirWholeObject()
{
    EditorFixture ed(fourArm);
    Edge *nc = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    selectInScene(ed, {nc->lane(0), nc->lane(1)});
    QVERIFY(ed.trigger(QStringLiteral("copy")));
    std::unique_ptr<Network> part = clipboardNetwork();
    QCOMPARE(part->findChildren<Edge *>().size(), 1);
    QCOMPARE(part->findChildren<Edge *>().first()->lanesCount(), nc->lanesCount());
    QCOMPARE(part->findChildren<Node *>().size(), 2);

    const int edges = ed.net()->findChildren<Edge *>().size();
    QVERIFY(ed.trigger(QStringLiteral("pasteInplace")));
    QCOMPARE(ed.net()->findChildren<Edge *>().size(), edges + 1);

    Connection *connection = ed.node(QStringLiteral("C"))->findChildren<Connection *>().first();
    selectInScene(ed, {connection});
    QVERIFY(ed.trigger(QStringLiteral("copy")));
    part = clipboardNetwork();
    QCOMPARE(part->findChildren<Node *>().size(), 1);
    QVERIFY(part->findChildren<Node *>().first()->isJunction());
}

void TestEditorClipboard::hostileContents_data()
{
    QTest::addColumn<QByteArray>("content");
    Network part;
    Layouts::fourArm(&part);
    const QByteArray good = TestSupport::saveFragment(&part, part.allObjects());
    QVERIFY(!good.isEmpty());
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("billion laughs")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE network [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
                      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
                      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
                      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n"
                      "]>\n<network version=\"1\"><node id=\"1\" pos=\"&i;\"/></network>");
    QTest::newRow("undeclared entity") << QByteArray("<network version=\"1\"><node id=\"1\" name=\"&x;\"/></network>");
    QByteArray huge("<network version=\"1\"><node id=\"1\" name=\"");
    huge.append(QByteArray(50 * 1024 * 1024, 'a'));
    huge.append("\"/></network>");
    QTest::newRow("50 MB attribute") << huge;
    // Every object named 1: the ids collide.
    QString text = QString::fromUtf8(good);
    text.replace(QRegularExpression(QStringLiteral("\\bid=\"\\d+\"")), QStringLiteral("id=\"1\""));
    QTest::newRow("colliding ids") << text.toUtf8();
    // Objects whose parent is missing: nothing is left to paste.
    QList<NetObject *> lanes;
    for (NetObject *object : part.allObjects()) {
        if (qobject_cast<Lane *>(object))
            lanes.append(object);
    }
    QTest::newRow("missing parents") << TestSupport::saveFragment(&part, {lanes.first()});
    QString future = QString::fromUtf8(good);
    future.replace(QRegularExpression(QStringLiteral("version=\"1\"")), QStringLiteral("version=\"7\""));
    QTest::newRow("other format version") << future.toUtf8();
    QTest::newRow("not XML") << QByteArray("\x01\x02 binary garbage \xff\xfe");
    QTest::newRow("empty network") << QByteArray("<network version=\"1\"/>");
}

void TestEditorClipboard::hostileContents()
{
    QFETCH(QByteArray, content);
    EditorFixture ed(fourArm);
    QUndoStack *stack = ed.undoStack();
    ed.edit()->leaveMode();
    const QByteArray before = ed.canonicalSave();
    for (const QString &how : {QStringLiteral("pasteInplace"), QStringLiteral("paste")}) {
        auto *mime = new QMimeData;
        mime->setData(QStringLiteral("text/trelvo"), content);
        QApplication::clipboard()->setMimeData(mime);
        Log log(ed.edit());
        QVERIFY(ed.trigger(how));
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.list.first().second, QtWarningMsg);
        const QString message = log.list.first().first;
        QVERIFY(message.startsWith(QStringLiteral("Cannot paste: ")));
        QVERIFY2(message.size() < 400, qPrintable(message.left(400)));
        QCOMPARE(ed.canonicalSave(), before);
        QCOMPARE(stack->count(), 0);
        QCOMPARE(ed.edit()->mode(), ModeNone);
    }
}

void TestEditorClipboard::geometryTextsReadByOgr()
{
    if (QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty())
        QSKIP("ogrinfo (gdal-bin) is not installed: the texts cannot be checked by an independent reader");
    if (!m_dataAvailable)
        QSKIP("the shared real networks are not available");
    EditorFixture ed(cologne);
    ed.edit()->rebuildObjectTree();
    const GeoUtil *geo = ed.net()->geoUtil();
    QVERIFY(geo);
    Node *junction = busiestJunction(ed.net());
    Edge *edge = junction->edges().first();
    Lane *lane = edge->lanes().first();
    QTemporaryDir dir;

    struct Case
    {
        QString text;
        NetObject *object;
        void (NetEdit::*slot)();
        QString data;
        QVector<QPointF> expected; // model coordinates
    };
    const QVector<QPointF> point{junction->pos()};
    const QVector<QPointF> outline = junction->shape().points();
    const QVector<QPointF> fullSkeleton = lane->fullSkeleton().points();
    const QVector<QPointF> skeleton = edge->skeleton().points();
    const QList<Case> cases{
        {QStringLiteral("WKT pos"), junction, &NetEdit::copyPosAsWKT, QString(), point},
        {QStringLiteral("WKT pos WGS84"), junction, &NetEdit::copyPosAsWKT, QString(), point},
        {QStringLiteral("KML placemark WGS84"), junction, &NetEdit::copyPosAsKML, QString(), point},
        {QStringLiteral("WKT shape"), junction, &NetEdit::copyShapeAsWKT, QString(), outline},
        {QStringLiteral("WKT shape WGS84"), junction, &NetEdit::copyShapeAsWKT, QString(), outline},
        {QStringLiteral("KML shape WGS84"), junction, &NetEdit::copyShapeAsKML, QString(), outline},
        {QStringLiteral("full skeleton WKT WGS84"), lane, &NetEdit::copySkeletonAsWKT, QStringLiteral("full_skeleton"), fullSkeleton},
        {QStringLiteral("skeleton WKT"), edge, &NetEdit::copySkeletonAsWKT, QString(), skeleton},
        {QStringLiteral("skeleton KML WGS84"), edge, &NetEdit::copySkeletonAsKML, QString(), skeleton},
    };
    int index = 0;
    for (const Case &c : cases) {
        const bool wgs84 = c.text.endsWith(QLatin1String("WGS84"));
        const bool kml = c.text.contains(QLatin1String("KML"));
        selectInScene(ed, {c.object});
        QApplication::clipboard()->clear();
        textAction(ed.edit(), c.text, c.slot, c.data)->trigger();
        const QString text = clipboardText();
        QVERIFY2(!text.isEmpty(), qPrintable(c.text));
        // The number of decimals of the variant.
        const QRegularExpression decimals(QStringLiteral("\\d\\.(\\d+)"));
        const QRegularExpressionMatch firstNumber = decimals.match(text, kml ? text.indexOf(QLatin1String("<coordinates>")) : 0);
        QVERIFY(firstNumber.hasMatch());
        QCOMPARE(firstNumber.captured(1).size(), wgs84 ? 8 : 2);

        const QString file = dir.filePath(QStringLiteral("case%1.%2").arg(index++).arg(kml ? QStringLiteral("kml") : QStringLiteral("csv")));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        if (kml)
            out.write(GeoPolyline::kmlDocument(text).toUtf8());
        else
            out.write(QStringLiteral("id,WKT\n1,\"%1\"\n").arg(text).toUtf8());
        out.close();
        QStringList arguments{QStringLiteral("-al"), QStringLiteral("-ro")};
        if (!kml)
            arguments << QStringLiteral("-oo") << QStringLiteral("GEOM_POSSIBLE_NAMES=WKT");
        arguments << file;
        const QString output = runOgrinfo(arguments);
        QString tag = text.contains(QLatin1String("Point")) || text.startsWith(QLatin1String("POINT")) ? QStringLiteral("POINT")
                      : text.contains(QLatin1String("LineString")) || text.startsWith(QLatin1String("LINESTRING")) ? QStringLiteral("LINESTRING")
                      : QStringLiteral("POLYGON");
        QList<double> numbers = ogrNumbers(output, tag);
        QVERIFY2(!numbers.isEmpty(), qPrintable(c.text + QLatin1String(": ") + output.right(500)));
        // KML carries a third coordinate; a shape read back may have its ring closed.
        const int dimension = output.contains(tag + QLatin1String(" Z")) ? 3 : 2;
        QVERIFY2(numbers.size() / dimension >= c.expected.size(), qPrintable(c.text + QLatin1String(": ") + output.right(500)));
        const double tolerance = wgs84 ? 1e-8 : 0.005 + 1e-9;
        for (int i = 0; i < c.expected.size(); ++i) {
            QPointF want = c.expected.at(i);
            if (wgs84)
                want = geo->xyToGeo(want);
            const QPointF got(numbers.at(i * dimension), numbers.at(i * dimension + 1));
            QVERIFY2(std::abs(got.x() - want.x()) <= tolerance && std::abs(got.y() - want.y()) <= tolerance,
                     qPrintable(QStringLiteral("%1 point %2: %3 %4 instead of %5 %6")
                                    .arg(c.text)
                                    .arg(i)
                                    .arg(got.x(), 0, 'f', 10)
                                    .arg(got.y(), 0, 'f', 10)
                                    .arg(want.x(), 0, 'f', 10)
                                    .arg(want.y(), 0, 'f', 10)));
        }
        // The line variant is drawn without a width.
        if (kml && tag == QLatin1String("LINESTRING")) {
            GeoPolyline line(c.expected);
            geo->xyToGeo(&line);
            QCOMPARE(text, line.toKmlPlacemark2(8, c.object->objectName(), 0.0));
        }
    }
}

void TestEditorClipboard::textRulesWithoutProjection()
{
    EditorFixture ed(fourArm);
    QVERIFY(!ed.net()->geoUtil());
    Node *east = ed.node(QStringLiteral("E"));
    selectInScene(ed, {east});
    // No projection: the projected text, with 2 decimals.
    textAction(ed.edit(), QStringLiteral("WKT pos WGS84"), &NetEdit::copyPosAsWKT)->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("POINT(100.00 0.00)"));
    // A node at (0, 0) has no position text.
    QApplication::clipboard()->setText(QStringLiteral("before"));
    selectInScene(ed, {ed.node(QStringLiteral("C"))});
    textAction(ed.edit(), QStringLiteral("WKT pos"), &NetEdit::copyPosAsWKT)->trigger();
    textAction(ed.edit(), QStringLiteral("KML placemark"), &NetEdit::copyPosAsKML)->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("before"));
    // Two selected objects, or a class without a shape: nothing.
    selectInScene(ed, {east, ed.node(QStringLiteral("N"))});
    textAction(ed.edit(), QStringLiteral("WKT pos"), &NetEdit::copyPosAsWKT)->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("before"));
    selectInScene(ed, {ed.edge(QStringLiteral("N"), QStringLiteral("C"))});
    textAction(ed.edit(), QStringLiteral("WKT shape"), &NetEdit::copyShapeAsWKT)->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("before"));
    // The line variant without a width, also projected.
    Edge *edge = ed.edge(QStringLiteral("N"), QStringLiteral("C"));
    textAction(ed.edit(), QStringLiteral("KML line"), &NetEdit::copySkeletonAsKML)->trigger();
    QCOMPARE(clipboardText(), edge->skeleton().toKmlPlacemark2(2, edge->objectName(), 0.0));
    textAction(ed.edit(), QStringLiteral("WKT line"), &NetEdit::copySkeletonAsWKT)->trigger();
    QCOMPARE(clipboardText(), edge->skeleton().toWKT2(2));
}

namespace {

// Answers the next save dialog with a file name under the filter (empty: cancels it).
void answerSaveDialog(const QString &fileName, const QString &filter = QString())
{
    QTimer::singleShot(0, [fileName, filter] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            qWarning("no save dialog");
            return;
        }
        if (fileName.isEmpty()) {
            dialog->reject();
            return;
        }
        if (!filter.isEmpty())
            dialog->selectNameFilter(filter);
        dialog->selectFile(fileName);
        static_cast<QDialog *>(dialog)->accept();
    });
}

} // namespace

void TestEditorClipboard::saveGranuleWritesLoadableFile()
{
    EditorFixture ed(fourArm);
    Node *centre = ed.node(QStringLiteral("C"));
    auto *granule = new Granule({centre}, ed.net());
    QVERIFY(ed.net()->addItem(granule));
    ed.edit()->selectObjectInTree(granule);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("granule.trva"));
    Log log(ed.edit());

    // Cancelled: nothing written.
    answerSaveDialog(QString());
    ed.edit()->saveGranule();
    QVERIFY(!QFile::exists(file));

    answerSaveDialog(file);
    ed.edit()->saveGranule();
    QCOMPARE(log.size(), 0);
    QVERIFY(QFile::exists(file));
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("netedit/last_save_dir")).toByteArray(), QFileInfo(file).absolutePath().toUtf8());

    Network loaded;
    QVERIFY2(loaded.load(file), qPrintable(loaded.errorString()));
    QList<Granule *> granules;
    int edges = 0;
    for (NetObject *object : loaded.allObjects()) {
        if (auto *g = qobject_cast<Granule *>(object))
            granules.append(g);
        edges += qobject_cast<Edge *>(object) != nullptr;
    }
    QCOMPARE(granules.size(), 1);
    QCOMPARE(granules.first()->nodes().size(), 1);
    QCOMPARE(granules.first()->nodes().first()->pos(), QPointF(0, 0));
    QCOMPARE(edges, centre->edges().size());
}

void TestEditorClipboard::savePolygonNetPart()
{
    EditorFixture ed(fourArm);
    auto *polygon = new PolygonObject(ed.net(), GeoShape::fromWKT(QStringLiteral("POLYGON((-30 -30, 30 -30, 30 30, -30 30, -30 -30))")));
    QVERIFY(ed.net()->addItem(polygon));
    auto *far = new PolygonObject(ed.net(), GeoShape::fromWKT(QStringLiteral("POLYGON((500 500, 530 500, 530 530, 500 500))")));
    QVERIFY(ed.net()->addItem(far));
    ed.net()->flushUpdates();
    QTemporaryDir dir;
    Log log(ed.edit());

    selectInScene(ed, {polygon});
    // No suffix: the chosen filter's is appended.
    answerSaveDialog(dir.filePath(QStringLiteral("part")), QStringLiteral("Network files with geometry (*.trvaf)"));
    ed.edit()->savePolygonNetPart();
    QCOMPARE(log.size(), 0);
    const QString file = dir.filePath(QStringLiteral("part.trvaf"));
    QVERIFY(QFile::exists(file));
    Network loaded;
    QVERIFY2(loaded.load(file), qPrintable(loaded.errorString()));
    QMap<QString, int> counts = countsPerClass(&loaded);
    // The junction with the four roads that reach into the polygon; the polygon itself stays out.
    QCOMPARE(counts.value(QStringLiteral("Trelvoa::PolygonObject")), 0);
    QCOMPARE(counts.value(QStringLiteral("Trelvoa::Edge")), 8);
    QVERIFY(counts.value(QStringLiteral("Trelvoa::Connection")) > 0);
    bool centreFound = false;
    for (NetObject *object : loaded.allObjects()) {
        if (auto *node = qobject_cast<Node *>(object))
            centreFound = centreFound || (node->pos() == QPointF(0, 0) && node->isJunction());
    }
    QVERIFY(centreFound);

    // A polygon over nothing: said so, nothing written.
    selectInScene(ed, {far});
    answerSaveDialog(dir.filePath(QStringLiteral("nothing.trva")));
    ed.edit()->savePolygonNetPart();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.list.first().first, QStringLiteral("No items under polygon"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("nothing.trva"))));
}

// A part of 5,000 objects joined into Bad Hersfeld and undone gives back the network exactly; the
// timings are printed for reference (bench_clipboard measures them).
void TestEditorClipboard::largePasteUndoesExactly()
{
    const QString relative = QStringLiteral("badhersfeld/osm_edited.net.xml.gz");
    if (!QFile::exists(TestSupport::dataPath(relative)))
        QSKIP("the shared real networks are not available");
    EditorFixture ed([&relative](Network *net) { return loadInto(net, savedNetwork(relative)); });
    ed.edit()->rebuildObjectTree();
    Networkg *net = ed.net();
    QVERIFY(net->objectCount() > 20000);
    QList<NetObject *> all = net->allObjects();
    std::sort(all.begin(), all.end(), [](NetObject *a, NetObject *b) { return a->id() < b->id(); });
    // Roads with their ends in id order, until the part, loaded on its own, has 5000 objects.
    Network part;
    for (int wanted = 5600; part.objectCount() < 5000 && wanted < net->objectCount(); wanted = wanted * 3 / 2) {
        QList<NetObject *> list;
        for (NetObject *object : qAsConst(all)) {
            auto *edge = qobject_cast<Edge *>(object);
            if (!edge)
                continue;
            TestSupport::collectObjects(edge->start(), &list);
            TestSupport::collectObjects(edge->end(), &list);
            TestSupport::collectObjects(edge, &list);
            if (list.size() >= wanted)
                break;
        }
        // Loaded as a paste loads it: what refers outside the fragment is dropped.
        QXmlStreamReader reader(TestSupport::saveFragment(net, list));
        QVERIFY2(part.load(reader, false), qPrintable(part.errorString()));
    }
    QVERIFY2(part.objectCount() >= 5000, qPrintable(QString::number(part.objectCount())));

    const QByteArray before = ed.canonicalSave();
    const int count = net->objectCount();
    QElapsedTimer timer;
    timer.start();
    ed.undoStack()->push(new JoinNetCommand(ed.edit(), &part));
    net->flushUpdates();
    const qint64 pasteMs = timer.restart();
    QCOMPARE(net->objectCount(), count + part.objectCount());
    ed.undoStack()->undo();
    const qint64 undoOnlyMs = timer.elapsed();
    net->flushUpdates();
    const qint64 undoMs = timer.restart();
    qInfo("undo without the scene refresh: %lld ms", undoOnlyMs);
    QCOMPARE(net->objectCount(), count);
    ed.undoStack()->redo();
    net->flushUpdates();
    const qint64 redoMs = timer.elapsed();
    QCOMPARE(net->objectCount(), count + part.objectCount());
    qInfo("paste of %d objects into %d: %lld ms, undo %lld ms, redo %lld ms", part.objectCount(), count, pasteMs,
          undoMs, redoMs);
    ed.undoStack()->undo();
    QCOMPARE(ed.canonicalSave(), before);
}

QTEST_MAIN(TestEditorClipboard)
#include "tst_editor_clipboard.moc"
