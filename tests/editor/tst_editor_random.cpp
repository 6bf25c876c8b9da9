// A seeded run of a few hundred mouse gestures over a real junction area, as an impatient user makes
// them: clicks in random modes on junctions, lanes and empty ground, drags of selections, geometry
// edits, keys; each gesture undone or not at random. Undoing everything must give back the network
// exactly as it was opened, and redoing everything the network as it was at the end.

#include "editorfixture.h"
#include "saves.h"

#include "editor/netedit.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "mapview.h"

#include "edge.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "sumo/sumonetimporter.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <algorithm>

using namespace Trelvoa;

namespace {

const char *const clickModes[] = {
    "addNode",       "addJunction",       "addEdge",           "addEdgeGroup",   "addLanesConnection",
    "addDetector",   "addEmergencyDetector", "addCompositeDetector", "addCrosswalk", "addWalkingArea",
    "actionJoin_nodes_mode", "addPolygon", "addPointObject",   "addPtStop",      "addTaz",
};

class Gestures
{
public:
    Gestures(EditorFixture &editor, const QPointF &centre, quint32 seed)
        : m_editor(editor)
        , m_centre(centre)
        , m_random(seed)
    {
        refreshTargets();
    }

    // One gesture; its name for the failure message.
    QString next()
    {
        const int kind = int(m_random.bounded(100));
        if (kind < 60)
            return modeGesture();
        if (kind < 72)
            return drag();
        if (kind < 82)
            return geometryEdit();
        if (kind < 88)
            return deleteSelection();
        if (kind < 94)
            return escapeMidGesture();
        return plainClicks();
    }

    void refreshTargets()
    {
        // Junctions and lanes near the centre, in id order so that a seed gives one sequence.
        m_nodes.clear();
        m_lanes.clear();
        for (Node *node : m_editor.net()->findChildren<Node *>())
            if (QLineF(node->pos(), m_centre).length() < 120)
                m_nodes.append(node);
        for (Lane *lane : m_editor.net()->findChildren<Lane *>())
            if (!lane->skeleton().isEmpty() && QLineF(lane->skeleton().points().first(), m_centre).length() < 120)
                m_lanes.append(lane);
        const auto byId = [](NetObject *a, NetObject *b) { return a->id() < b->id(); };
        std::sort(m_nodes.begin(), m_nodes.end(), byId);
        std::sort(m_lanes.begin(), m_lanes.end(), byId);
    }

private:
    QPointF anywhere()
    {
        return m_centre + QPointF(m_random.bounded(200.0) - 100.0, m_random.bounded(140.0) - 70.0);
    }

    // A junction, a point on a lane, or open ground.
    QPointF target()
    {
        const int kind = int(m_random.bounded(10));
        if (kind < 4 && !m_nodes.isEmpty())
            return m_nodes.at(int(m_random.bounded(m_nodes.size())))->pos();
        if (kind < 8 && !m_lanes.isEmpty()) {
            const GeoPolyline line = m_lanes.at(int(m_random.bounded(m_lanes.size())))->skeleton();
            return line.part(0, line.length() * (0.1 + m_random.bounded(0.8))).points().last();
        }
        return anywhere();
    }

    Qt::KeyboardModifiers modifiers()
    {
        return m_random.bounded(6) == 0 ? Qt::ControlModifier : Qt::NoModifier;
    }

    QString modeGesture()
    {
        const QString mode = QString::fromLatin1(clickModes[m_random.bounded(int(std::size(clickModes)))]);
        m_editor.trigger(mode);
        const int clicks = 1 + int(m_random.bounded(3));
        for (int i = 0; i < clicks; ++i) {
            const QPointF p = target();
            m_editor.move(p);
            m_editor.click(p, modifiers());
            m_editor.settle();
        }
        // Leaving commits what the mode built; sometimes by the same action, sometimes with Escape.
        if (m_random.bounded(2) == 0)
            m_editor.key(Qt::Key_Escape);
        else if (m_editor.edit()->mode() != Trelvoga::ModeNone)
            m_editor.trigger(mode);
        m_editor.settle();
        return mode + QStringLiteral(" x%1").arg(clicks);
    }

    QString drag()
    {
        const QPointF from = target();
        m_editor.click(from);
        m_editor.settle();
        m_editor.press(from);
        const QPointF step(m_random.bounded(6.0) - 3.0, m_random.bounded(6.0) - 3.0);
        for (int i = 1; i <= 3; ++i)
            m_editor.move(from + step * i);
        m_editor.release(from + step * 3);
        m_editor.settle();
        return QStringLiteral("drag");
    }

    QString geometryEdit()
    {
        const QPointF at = target();
        m_editor.doubleClick(at);
        m_editor.settle();
        if (m_random.bounded(2) == 0) {
            m_editor.click(at + QPointF(1.5, 1.0), Qt::ControlModifier);
            m_editor.settle();
        }
        // Open ground ends the editing.
        m_editor.click(m_centre + QPointF(400, 400));
        m_editor.settle();
        return QStringLiteral("geometry edit");
    }

    QString deleteSelection()
    {
        m_editor.click(target());
        m_editor.settle();
        m_editor.key(Qt::Key_Delete);
        m_editor.settle();
        refreshTargets();
        return QStringLiteral("delete");
    }

    QString escapeMidGesture()
    {
        m_editor.trigger(QStringLiteral("addEdge"));
        m_editor.click(target());
        m_editor.settle();
        m_editor.key(Qt::Key_Escape);
        m_editor.settle();
        return QStringLiteral("escape");
    }

    QString plainClicks()
    {
        m_editor.click(target(), modifiers());
        m_editor.settle();
        return QStringLiteral("click");
    }

    EditorFixture &m_editor;
    QPointF m_centre;
    QRandomGenerator m_random;
    QList<Node *> m_nodes;
    QList<Lane *> m_lanes;
};

} // namespace

class TestEditorRandom : public QObject
{
    Q_OBJECT

private slots:
    void randomGesturesUndoToTheStart_data();
    void randomGesturesUndoToTheStart();
};

void TestEditorRandom::randomGesturesUndoToTheStart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("bologna-acosta") << QStringLiteral("bologna-acosta/acosta_buslanes.net.xml") << 20261208u;
    QTest::newRow("berlin-doerpfeldstr") << QStringLiteral("berlin-doerpfeldstr/net.net.xml.gz") << 77u;
}

void TestEditorRandom::randomGesturesUndoToTheStart()
{
    QFETCH(QString, file);
    QFETCH(quint32, seed);
    if (!QFile::exists(TestSupport::dataPath(file)))
        QSKIP("the shared networks are not there");

    EditorFixture editor;
    editor.edit()->beforeLoad();
    const bool imported = importSumoNetwork(editor.net(), TestSupport::dataPath(file));
    editor.edit()->afterLoad();
    QVERIFY2(imported, qPrintable(editor.net()->errorString()));

    // The junction with the most edges: crowded enough for every kind of gesture.
    Node *busiest = nullptr;
    for (Node *node : editor.net()->findChildren<Node *>())
        if (node->isJunction() && (!busiest || node->edgesCount() > busiest->edgesCount()))
            busiest = node;
    QVERIFY(busiest);
    const QPointF centre = busiest->pos();
    GeoUtil *geo = editor.net()->geoUtil();
    const auto toScene = [geo](const QPointF &p) { return geo ? geo->xyToGeo(p) : p; };
    editor.view()->fitInView(QRectF(toScene(centre - QPointF(110, 80)), toScene(centre + QPointF(110, 80))).normalized());
    QCoreApplication::processEvents();

    // A question box (none is expected from these modes) is answered No rather than blocking the run.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->reject();
    });
    answer.start(50);

    const QByteArray before = editor.canonicalSave();
    QUndoStack *stack = editor.undoStack();
    QRandomGenerator coin(seed ^ 0x5a5a5a5au);
    QStringList done;
    int changing = 0;
    for (int i = 0; i < 220; ++i) {
        const int index = stack->index();
        const QString what = Gestures(editor, centre, seed + quint32(i)).next();
        if (editor.edit()->mode() != Trelvoga::ModeNone) {
            editor.key(Qt::Key_Escape);
            editor.settle();
        }
        if (stack->index() > index) {
            ++changing;
            done << what;
        }
        if (coin.bounded(4) == 0 && stack->canUndo()) {
            stack->undo();
            editor.settle();
        }
    }
    // The last gestures may have been undone: the state after is the one with every command done.
    editor.redoAll();
    editor.settle();
    const QByteArray after = editor.canonicalSave();
    // The run means something only when most kinds of gesture really changed the network.
    QVERIFY2(changing >= 60, qPrintable(QStringLiteral("only %1 gestures changed the network: %2")
                                            .arg(changing)
                                            .arg(done.join(QStringLiteral(", ")))));

    editor.undoAll();
    editor.settle();
    QVERIFY2(editor.canonicalSave() == before,
             qPrintable(TestSupport::firstDifference(before, editor.canonicalSave())));
    editor.redoAll();
    editor.settle();
    QVERIFY2(editor.canonicalSave() == after,
             qPrintable(TestSupport::firstDifference(after, editor.canonicalSave())));
}

QTEST_MAIN(TestEditorRandom)
#include "tst_editor_random.moc"
