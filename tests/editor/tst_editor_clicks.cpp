// What a left click does in each edit mode, through real mouse events on a real junction imported from
// SUMO: the objects made, the messages of refused gestures, the hints following the gesture, and undoing
// everything back to the network saved before.

#include "editorfixture.h"
#include "saves.h"

#include "editor/editcontext.h"
#include "editor/modes/adddetectormode.h"
#include "editor/modes/addedgemode.h"
#include "editor/modes/addcompositedetectormode.h"
#include "editor/modes/addroutemode.h"
#include "editor/modes/areaselectionmode.h"
#include "editor/modes/lanesconnectionmode.h"
#include "editor/modes/nodechainmode.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "sumo/sumonetimporter.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "emergencydetector.h"
#include "granule.h"
#include "lane.h"
#include "node.h"
#include "pointobject.h"
#include "ptstop.h"
#include "route.h"
#include "stopline.h"
#include "taz.h"
#include "walkingarea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGraphicsRectItem>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <cmath>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

const QString realNet = QStringLiteral("bologna-acosta/acosta_buslanes.net.xml");

template<class T>
QList<T *> objectsOf(Network *net)
{
    QList<T *> found;
    for (NetObject *o : Layouts::objectsById(net)) {
        if (auto *t = qobject_cast<T *>(o))
            found.append(t);
    }
    return found;
}

// A point on the lane's (cut) skeleton `metres` away from its end at the junction.
QPointF laneAt(const Lane *lane, const Node *junction, double metres)
{
    const GeoPolyline s = lane->skeleton();
    QPointF p;
    s.lineAtDistance(qMin(metres, s.length() / 2), lane->startNode() == junction, &p);
    return p;
}

bool connected(const Lane *from, const Lane *to)
{
    for (const Connection *c : from->stopline()->connections()) {
        if (c->to() == to->startline())
            return true;
    }
    return false;
}

double turn(const Lane *from, const Lane *to)
{
    return from->stopline()->direction().angleTo(to->startline()->direction());
}

// The user's junction: incoming and outgoing roads long enough to click on, and two lane pairs not yet
// connected, one going straight on and one turning by about 90 degrees.
struct Junction
{
    Node *node = nullptr;
    QList<Edge *> in;
    QList<Edge *> out;
    QPair<Lane *, Lane *> straight;
    QPair<Lane *, Lane *> turning;
    // An incoming and an outgoing edge that a connection joins.
    QPair<Edge *, Edge *> flow;
    // An incoming edge and the outgoing edge back along the same road (else any outgoing edge).
    QPair<Edge *, Edge *> road;
};

QList<Junction> findJunctions(Network *net)
{
    QList<Junction> found;
    for (Node *node : objectsOf<Node>(net)) {
        if (node->type() == 0)
            continue;
        Junction j;
        j.node = node;
        for (Edge *e : node->incomingEdges()) {
            if (e->length() >= 40 && e->lanesCount() >= 2 && e->start() != node)
                j.in.append(e);
        }
        for (Edge *e : node->outgoingEdges()) {
            if (e->length() >= 40 && e->end() != node)
                j.out.append(e);
        }
        if (j.in.size() < 2 || j.out.size() < 2)
            continue;
        for (Edge *in : qAsConst(j.in)) {
            for (Lane *a : in->lanes()) {
                if (!a->hasStopline() || qFuzzyCompare(a->maxSpeed(), 20.0))
                    continue;
                for (Edge *out : qAsConst(j.out)) {
                    for (Lane *b : out->lanes()) {
                        if (!b->hasStartline() || connected(a, b) || !(a->allowed() & b->allowed()))
                            continue;
                        const double t = turn(a, b);
                        if (!j.straight.first && (t < 15 || t > 345))
                            j.straight = {a, b};
                        if (!j.turning.first && ((t > 70 && t < 110) || (t > 250 && t < 290)))
                            j.turning = {a, b};
                    }
                }
            }
        }
        for (Connection *c : node->connections()) {
            if (j.in.contains(c->startLane()->edge()) && j.out.contains(c->endLane()->edge())) {
                j.flow = {c->startLane()->edge(), c->endLane()->edge()};
                break;
            }
        }
        j.road = {j.in.first(), j.out.first()};
        for (Edge *out : qAsConst(j.out)) {
            if (out->end() == j.in.first()->start())
                j.road.second = out;
        }
        if (j.straight.first && j.turning.first && j.flow.first)
            found.append(j);
    }
    return found;
}

// Collects the editor's messages.
struct Messages
{
    explicit Messages(NetEdit *edit)
        : connection(QObject::connect(edit, &NetEdit::logMessage, edit,
                                      [this](const QString &text, QtMsgType type) { list.append({text, type}); }))
    {
    }
    ~Messages() { QObject::disconnect(connection); }
    Messages(const Messages &) = delete;
    Messages &operator=(const Messages &) = delete;
    bool has(const QString &text, QtMsgType type) const { return list.contains({text, type}); }
    int count() const { return list.size(); }
    QtMsgType lastLevel() const { return list.isEmpty() ? QtDebugMsg : list.last().second; }

    QMetaObject::Connection connection;
    QList<QPair<QString, QtMsgType>> list;
};

// Answers the next message box with the given button once it is shown.
void answerMessageBox(QMessageBox::StandardButton button, QString *text)
{
    QTimer::singleShot(50, [button, text] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            *text = box->text();
            box->button(button)->click();
            return;
        }
    });
}

} // namespace

class TestEditorClicks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nodesAndJunctions();
    void chainedEdges();
    void edgeGroupMode();
    void edgeAndCrosswalkTemplates();
    void escapeCancelsGesture();
    void laneConnections();
    void detectorGroups();
    void emergencyDetector();
    void compositeDetectors();
    void crosswalks();
    void walkingArea();
    void joinNodes();
    void route();
    void areaSelection();
    void pointObjectAndPtStop();
    void taz();
    void heldObjectsDeletedByUndo();
    void everyModeHasAHint();

private:
    // The real network in the editor, the view on the junction.
    bool setUp(EditorFixture &ed);
    // A model point near the junction with no network item within `clear` metres.
    QPointF emptyPoint(EditorFixture &ed, double angle, double clear = 10) const;
    Node *addJunction(EditorFixture &ed, const QPointF &xy);
    AbstractEditMode *current(EditorFixture &ed) const { return ed.edit()->modeObject(ed.edit()->mode()); }
    void undoToStart(EditorFixture &ed);

    bool m_available = false;
    Junction m_j;
    QByteArray m_before;
};

void TestEditorClicks::initTestCase()
{
    m_available = QFile::exists(TestSupport::dataPath(realNet));
}

void TestEditorClicks::init()
{
    if (!m_available)
        QSKIP("the shared real networks are not available");
}

void TestEditorClicks::cleanup()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool TestEditorClicks::setUp(EditorFixture &ed)
{
    ed.edit()->beforeLoad();
    const bool ok = importSumoNetwork(ed.net(), TestSupport::dataPath(realNet));
    ed.edit()->afterLoad();
    if (!ok)
        return false;
    ed.view()->setGeographic(ed.net()->geoUtil() != nullptr);
    ed.net()->updateGeometry();
    const QRectF bounds = ed.net()->boundingRect();
    ed.scene()->setSceneRect(bounds.adjusted(-bounds.width(), -bounds.height(), bounds.width(), bounds.height()));
    EditContext *context = ed.edit()->context();
    m_j = Junction();
    for (const Junction &candidate : findJunctions(ed.net())) {
        const QPointF c = candidate.node->pos();
        ed.view()->fitInView(QRectF(ed.toScene(c - QPointF(70, 70)), ed.toScene(c + QPointF(70, 70))).normalized());
        ed.settle();
        // A click on the junction must snap to it, not to a node beside it.
        const QPointF at = ed.toScene(c);
        if (context->findItemNear(at, ItemType::Nodeg, NodeChainMode::snapSize) == context->itemOf(candidate.node)
            && context->objectUnderPoint(at, ItemType::Nodeg) == candidate.node) {
            m_j = candidate;
            break;
        }
    }
    if (!m_j.node)
        return false;
    ed.wait(150); // the items' batched refresh
    m_before = ed.canonicalSave();
    return !m_before.startsWith("save failed");
}

QPointF TestEditorClicks::emptyPoint(EditorFixture &ed, double angle, double clear) const
{
    const QPointF c = m_j.node->pos();
    for (double r = 20; r <= 65; r += 3) {
        for (double a = angle; a < angle + 360; a += 10) {
            const QPointF p = c + QPointF(r * std::cos(qDegreesToRadians(a)), r * std::sin(qDegreesToRadians(a)));
            const QRectF area =
                QRectF(ed.toScene(p - QPointF(clear, clear)), ed.toScene(p + QPointF(clear, clear))).normalized();
            bool free = true;
            for (QGraphicsItem *item :
                 ed.scene()->items(area, Qt::IntersectsItemShape, Qt::DescendingOrder, ed.view()->viewportTransform())) {
                if (ed.net()->item2object(item)) {
                    free = false;
                    break;
                }
            }
            if (free)
                return p;
        }
    }
    return QPointF(qQNaN(), qQNaN());
}

Node *TestEditorClicks::addJunction(EditorFixture &ed, const QPointF &xy)
{
    const bool entered = ed.edit()->mode() == ModeAddJunction || ed.trigger(QStringLiteral("addJunction"));
    if (!entered)
        return nullptr;
    const int count = objectsOf<Node>(ed.net()).size();
    ed.click(xy);
    // The new node is selected by the click; a road mode entered next would start from it.
    ed.scene()->clearSelection();
    ed.wait(150); // its item takes its place with the network's batched refresh
    const QList<Node *> nodes = objectsOf<Node>(ed.net());
    return nodes.size() == count + 1 ? nodes.last() : nullptr;
}

void TestEditorClicks::undoToStart(EditorFixture &ed)
{
    if (ed.edit()->mode() != ModeNone)
        ed.key(Qt::Key_Escape);
    ed.undoAll();
    QCOMPARE(TestSupport::firstDifference(m_before, ed.canonicalSave()), QString());
}

void TestEditorClicks::nodesAndJunctions()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    const QPointF p = emptyPoint(ed, 0);
    const QPointF q = emptyPoint(ed, 180);
    QVERIFY(std::isfinite(p.x()) && std::isfinite(q.x()));

    QVERIFY(ed.trigger(QStringLiteral("addNode")));
    QCOMPARE(current(ed)->hint(), QStringLiteral("Click to place a node"));
    ed.click(p);
    Node *node = objectsOf<Node>(ed.net()).last();
    QCOMPARE(node->type(), 0);
    QVERIFY(QLineF(node->pos(), p).length() < 0.5);

    Node *junction = addJunction(ed, q);
    QVERIFY(junction);
    QCOMPARE(junction->type(), 1);
    QVERIFY(QLineF(junction->pos(), q).length() < 0.5);
    QCOMPARE(ed.undoStack()->count(), 2);
    undoToStart(ed);
}

void TestEditorClicks::chainedEdges()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    Node *a = addJunction(ed, emptyPoint(ed, 0));
    Node *b = a ? addJunction(ed, emptyPoint(ed, 120)) : nullptr;
    QVERIFY(a && b);

    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    auto *mode = static_cast<NodeChainMode *>(current(ed));
    QCOMPARE(mode->hint(), QStringLiteral("Click the first node of the edge"));
    // J, A, B: the edges J-A and A-B, drawn as a chain.
    ed.move(j->pos());
    ed.click(j);
    QCOMPARE(mode->startNode(), j);
    QCOMPARE(mode->hint(), QStringLiteral("Click the second node of the edge (Escape ends)"));
    ed.move(a->pos());
    ed.click(a);
    ed.move(b->pos());
    ed.click(b);
    QCOMPARE(mode->startNode(), b);
    QCOMPARE(a->incomingEdges().size(), 1);
    QCOMPARE(a->incomingEdges().first()->start(), j);
    QCOMPARE(b->incomingEdges().size(), 1);
    QCOMPARE(b->incomingEdges().first()->start(), a);
    QCOMPARE(b->incomingEdges().first()->lanesCount(), 2);

    // Clicking the start node again makes nothing and says why.
    const int pushed = ed.undoStack()->count();
    const QPointF besideB = b->pos() + QPointF(1, 1);
    ed.move(besideB);
    ed.click(besideB);
    QVERIFY2(ed.undoStack()->count() == pushed, qPrintable(ed.undoStack()->text(ed.undoStack()->count() - 1)));
    QCOMPARE(log.lastLevel(), QtWarningMsg);

    // Open ground ends the chain.
    const QPointF empty = emptyPoint(ed, 240);
    ed.move(empty);
    ed.click(empty);
    QVERIFY(!mode->startNode());
    QVERIFY(!ed.edit()->context()->rubberLine());

    // B-A against the existing A-B: a new edge group holds both.
    ed.move(b->pos());
    ed.click(b);
    ed.move(a->pos());
    ed.click(a);
    Edge *ab = b->incomingEdges().first();
    Edge *ba = nullptr;
    for (Edge *e : a->incomingEdges())
        ba = e->start() == b ? e : ba;
    QVERIFY(ba);
    QCOMPARE(ba->start(), b);
    QVERIFY(ab->group());
    QCOMPARE(ab->group(), ba->group());
    QCOMPARE(ab->group()->start(), a);
    undoToStart(ed);
}

void TestEditorClicks::edgeGroupMode()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *n = addJunction(ed, emptyPoint(ed, 60));
    QVERIFY(n);
    const int groups = objectsOf<EdgeGroup>(ed.net()).size();
    QVERIFY(ed.trigger(QStringLiteral("addEdgeGroup")));
    ed.move(m_j.node->pos());
    ed.click(m_j.node);
    ed.move(n->pos());
    ed.click(n);
    const QList<EdgeGroup *> all = objectsOf<EdgeGroup>(ed.net());
    QCOMPARE(all.size(), groups + 1);
    EdgeGroup *group = all.last();
    QCOMPARE(group->start(), m_j.node);
    QCOMPARE(group->end(), n);
    QCOMPARE(n->incomingEdges().size(), 1);
    QCOMPARE(n->outgoingEdges().size(), 1);
    QCOMPARE(n->incomingEdges().first()->group(), group);
    QCOMPARE(n->outgoingEdges().first()->group(), group);
    // One step for the group and its two edges.
    QCOMPARE(ed.undoStack()->count(), 2);
    undoToStart(ed);
}

void TestEditorClicks::edgeAndCrosswalkTemplates()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *j = m_j.node;
    Node *n = addJunction(ed, emptyPoint(ed, 90));
    QVERIFY(n);
    // The template's lanes, not two default ones.
    Edge *model = m_j.in.first();
    model->lane(0)->stopline()->setDistance(3.5);
    m_before = ed.canonicalSave();
    ed.edit()->context()->setTemplateEdge(model);
    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    ed.move(j->pos());
    ed.click(j);
    ed.move(n->pos());
    ed.click(n);
    Edge *made = n->incomingEdges().value(0);
    QVERIFY(made);
    QCOMPARE(made->lanesCount(), model->lanesCount());
    QCOMPARE(made->lanesOffset(), model->lanesOffset());
    for (int i = 0; i < model->lanesCount(); ++i) {
        QCOMPARE(made->lane(i)->width(), model->lane(i)->width());
        QCOMPARE(made->lane(i)->maxSpeed(), model->lane(i)->maxSpeed());
        QCOMPARE(made->lane(i)->allowed(), model->lane(i)->allowed());
    }
    QVERIFY(!made->lane(0)->stopline()->autoDistance());
    QCOMPARE(made->lane(0)->stopline()->distance(), 3.5);
    ed.key(Qt::Key_Escape);
    ed.undoStack()->undo();
    QCOMPARE(TestSupport::firstDifference(m_before, ed.canonicalSave()), QString());

    // A crosswalk takes the template crosswalk's width and speed.
    QVERIFY(ed.trigger(QStringLiteral("addCrosswalk")));
    ed.click(laneAt(m_j.road.first->lane(0), j, 6));
    ed.click(laneAt(m_j.road.second->lane(0), j, 6));
    CrossWalk *first = objectsOf<CrossWalk>(ed.net()).value(0);
    QVERIFY(first);
    first->setWidth(first->width() + 1.5);
    first->setMaxSpeed(7);
    ed.edit()->context()->setTemplateCrosswalk(first);
    ed.click(laneAt(m_j.road.first->lane(0), j, 16));
    ed.click(laneAt(m_j.road.second->lane(0), j, 16));
    CrossWalk *second = objectsOf<CrossWalk>(ed.net()).last();
    QVERIFY(second != first);
    QCOMPARE(second->width(), first->width());
    QCOMPARE(second->maxSpeed(), 7.0);
    ed.key(Qt::Key_Escape);
    ed.undoStack()->undo();
    QCOMPARE(objectsOf<CrossWalk>(ed.net()).size(), 1);
    ed.edit()->context()->setTemplateCrosswalk(nullptr);
    ed.edit()->context()->setTemplateEdge(nullptr);
}

void TestEditorClicks::escapeCancelsGesture()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    ed.move(m_j.node->pos());
    ed.click(m_j.node);
    ed.key(Qt::Key_Escape);
    QCOMPARE(ed.edit()->mode(), ModeNone);
    QCOMPARE(log.count(), 1);
    QCOMPARE(log.list.first().second, QtInfoMsg);
    QCOMPARE(ed.undoStack()->count(), 0);
    QCOMPARE(TestSupport::firstDifference(m_before, ed.canonicalSave()), QString());
}

void TestEditorClicks::laneConnections()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    QVERIFY(ed.trigger(QStringLiteral("addLanesConnection")));
    auto *mode = static_cast<LanesConnectionMode *>(current(ed));
    QCOMPARE(mode->hint(), QStringLiteral("Click the lane the connection comes from"));

    // Turning by about 90 degrees: 20 km/h.
    Lane *from = m_j.turning.first;
    Lane *to = m_j.turning.second;
    ed.click(laneAt(from, j, 10));
    QCOMPARE(mode->firstLane(), from);
    QCOMPARE(mode->hint(), QStringLiteral("Click the lane the connection goes to (Escape cancels)"));
    // A lane of the same edge is refused and the gesture goes on.
    Lane *sibling = from->left() ? from->left() : from->right();
    ed.click(laneAt(sibling, j, 14));
    QCOMPARE(log.lastLevel(), QtWarningMsg);
    QCOMPARE(mode->firstLane(), from);
    ed.click(laneAt(to, j, 10));
    QVERIFY(!mode->firstLane());
    QVERIFY(connected(from, to));
    Connection *turned = from->stopline()->connections().last();
    QVERIFY(turned->lanesAngle() >= 30 && turned->lanesAngle() <= 330);
    QCOMPARE(turned->maxSpeed(), 20.0);

    // Straight on: the first lane's speed.
    from = m_j.straight.first;
    to = m_j.straight.second;
    ed.click(laneAt(from, j, 16));
    ed.click(laneAt(to, j, 16));
    QVERIFY(connected(from, to));
    Connection *straight = from->stopline()->connections().last();
    QCOMPARE(straight->maxSpeed(), from->maxSpeed());
    QVERIFY(straight->maxSpeed() != 20.0);
    QCOMPARE(ed.undoStack()->count(), 2);
    undoToStart(ed);
}

void TestEditorClicks::detectorGroups()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    Edge *edge = m_j.in.first();
    Edge *other = m_j.in.last();
    QVERIFY(ed.trigger(QStringLiteral("addDetector")));
    auto *mode = static_cast<AddDetectorMode *>(current(ed));
    const QString first = mode->hint();

    ed.click(laneAt(edge->lane(0), j, 20));
    Detector *d0 = mode->currentDetector();
    QVERIFY(d0);
    QCOMPARE(d0->lane(), edge->lane(0));
    QVERIFY(mode->hint() != first);
    ed.click(laneAt(edge->lane(1), j, 20), Qt::ControlModifier);
    DetectorGroup *group = d0->group();
    QVERIFY(group);
    QCOMPARE(group->edge(), edge);
    QCOMPARE(group->detectorCount(), 2);
    QCOMPARE(mode->currentDetector(), d0);
    QVERIFY(group->allowed() & edge->lane(1)->allowed());

    // Another edge's lane: the detector stays, outside the group.
    const int detectors = objectsOf<Detector>(ed.net()).size();
    ed.click(laneAt(other->lane(0), j, 20), Qt::ControlModifier);
    QVERIFY(log.has(QStringLiteral("You can not add detector from different edge to group"), QtWarningMsg));
    QCOMPARE(objectsOf<Detector>(ed.net()).size(), detectors + 1);
    QCOMPARE(group->detectorCount(), 2);

    // A connection's detector cannot join.
    Connection *connection = nullptr;
    for (Connection *c : j->connections()) {
        if (c->skeleton().length() > 8)
            connection = c;
    }
    QVERIFY(connection);
    const GeoPolyline course = connection->skeleton();
    QPointF middle;
    course.lineAtDistance(course.length() / 2, true, &middle);
    ed.click(middle, Qt::ControlModifier);
    Detector *onConnection = objectsOf<Detector>(ed.net()).last();
    if (onConnection->connection())
        QVERIFY(log.has(QStringLiteral("Detector for the group must be owned by Lane"), QtWarningMsg));

    // The group joins the history when the mode is left, with its detectors.
    ed.key(Qt::Key_Escape);
    QVERIFY(ed.undoStack()->text(ed.undoStack()->count() - 1).contains(ed.edit()->dn("Trelvoa::DetectorGroup")));
    undoToStart(ed);
}

void TestEditorClicks::emergencyDetector()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *j = m_j.node;
    QVERIFY(ed.trigger(QStringLiteral("addEmergencyDetector")));
    auto *mode = static_cast<NodeChainMode *>(current(ed));
    const QString first = mode->hint();
    ed.move(j->pos());
    ed.click(j);
    QCOMPARE(mode->startNode(), j);
    QVERIFY(mode->hint() != first);
    Lane *lane = m_j.in.first()->lane(0);
    const QPointF at = laneAt(lane, j, 25);
    ed.move(at);
    ed.click(at);
    QVERIFY(!mode->startNode());
    const QList<EmergencyDetector *> made = objectsOf<EmergencyDetector>(ed.net());
    QVERIFY(!made.isEmpty());
    EmergencyDetector *detector = made.last();
    QCOMPARE(detector->node(), j);
    QVERIFY(QLineF(detector->pos(), at).length() < 0.5);
    // Against the lane's direction there.
    const double along = lane->fullSkeleton().lineAtPoint(at, 20).angle();
    const double expected = std::fmod(along + 180, 360);
    QVERIFY2(std::abs(detector->directionAngle() - expected) < 1.0,
             qPrintable(QStringLiteral("%1 %2").arg(detector->directionAngle()).arg(expected)));
    if (Granule *granule = j->granule())
        QCOMPARE(detector->tl(), granule->tlId());
    undoToStart(ed);
}

void TestEditorClicks::compositeDetectors()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    Edge *in = m_j.flow.first;
    Edge *out = m_j.flow.second;
    QVERIFY(ed.trigger(QStringLiteral("addCompositeDetector")));

    // Two clicks on lanes of one edge, the first nearer the junction: a group across the edge at each,
    // and no section against the driving direction.
    const int groups = objectsOf<DetectorGroup>(ed.net()).size();
    const QPointF near = laneAt(in->lane(0), j, 12);
    const QPointF far = laneAt(in->lane(0), j, 30);
    ed.move(near);
    ed.click(near);
    QCOMPARE(objectsOf<DetectorGroup>(ed.net()).size(), groups + 1);
    DetectorGroup *g2 = objectsOf<DetectorGroup>(ed.net()).last();
    QCOMPARE(g2->detectorCount(), in->lanesCount());
    QCOMPARE(static_cast<AddCompositeDetectorMode *>(current(ed))->firstGroup(), g2);
    ed.move(far);
    ed.click(far);
    DetectorGroup *g1 = objectsOf<DetectorGroup>(ed.net()).last();
    QVERIFY(g1 != g2);
    QCOMPARE(g1->edge(), in);
    QVERIFY(log.has(QStringLiteral("Invalid direction for composite detector"), QtCriticalMsg));
    QVERIFY(objectsOf<CompositeDetector>(ed.net()).isEmpty());
    QVERIFY(!static_cast<AddCompositeDetectorMode *>(current(ed))->firstGroup());

    // Along the driving direction: the section.
    ed.wait(450);
    ed.move(g1->pos());
    ed.click(g1->pos());
    ed.wait(450);
    ed.move(g2->pos());
    ed.click(g2->pos());
    QCOMPARE(g1->compositeDetectors().size(), 1);
    CompositeDetector *section = g1->compositeDetectors().first();
    QCOMPARE(section->start(), g1);
    QCOMPARE(section->end(), g2);
    const int composites = objectsOf<CompositeDetector>(ed.net()).size();

    // The same two groups again.
    ed.wait(450);
    ed.move(g1->pos());
    ed.click(g1->pos());
    ed.wait(450);
    ed.move(g2->pos());
    ed.click(g2->pos());
    QVERIFY(log.has(QStringLiteral("Detector groups %1 and %2 already connected")
                        .arg(g1->printableName(), g2->printableName()),
                    QtCriticalMsg));
    QCOMPARE(objectsOf<CompositeDetector>(ed.net()).size(), composites);

    // Across the junction: from g2 to a new group on an outgoing edge.
    ed.wait(450);
    ed.move(g2->pos());
    ed.click(g2->pos());
    const QPointF beyond = laneAt(out->lane(0), j, 20);
    ed.move(beyond);
    ed.click(beyond);
    QCOMPARE(objectsOf<CompositeDetector>(ed.net()).size(), composites + 1);
    CompositeDetector *across = objectsOf<CompositeDetector>(ed.net()).last();
    QCOMPARE(across->start(), g2);
    QCOMPARE(across->end()->edge(), out);
    if (Granule *granule = j->granule())
        QCOMPARE(across->tl(), granule->tlId());

    // A lane that the first group's classes cannot reach.
    ed.wait(450);
    ed.move(g1->pos());
    ed.click(g1->pos());
    const Lane::VehicleClasses kept = g1->allowed();
    g1->setAllowed(Lane::VehicleClasses(0x40000000));
    const QPointF other = laneAt(m_j.in.last()->lane(0), j, 18);
    const int before = objectsOf<DetectorGroup>(ed.net()).size();
    ed.move(other);
    ed.click(other);
    QVERIFY(log.has(QStringLiteral("Impossible movement from first getector group to this lane"), QtCriticalMsg));
    QCOMPARE(objectsOf<DetectorGroup>(ed.net()).size(), before);
    g1->setAllowed(kept);

    // A group not owned by an edge.
    auto *loose = new DetectorGroup;
    Lane *looseLane = m_j.in.last()->lane(0);
    auto *looseDetector = new Detector(looseLane, looseLane->length() - 25);
    QVERIFY(ed.net()->addItem(looseDetector));
    QVERIFY(ed.net()->addItem(loose));
    QVERIFY(loose->addDetector(looseDetector));
    ed.wait(150);
    ed.key(Qt::Key_Escape);
    QVERIFY(ed.trigger(QStringLiteral("addCompositeDetector")));
    ed.move(g1->pos());
    ed.click(g1->pos());
    ed.move(loose->pos());
    ed.click(loose->pos());
    QVERIFY(log.has(QStringLiteral("Detector groups %1 or %2 has no owned by edge")
                        .arg(g1->printableName(), loose->printableName()),
                    QtCriticalMsg));
    delete loose;
    delete looseDetector;
    undoToStart(ed);
}

void TestEditorClicks::crosswalks()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    Lane *in = m_j.road.first->lane(0);
    Lane *out = m_j.road.second->lane(0);
    QVERIFY(ed.trigger(QStringLiteral("addCrosswalk")));
    const QString first = current(ed)->hint();
    ed.click(laneAt(in, j, 6));
    QVERIFY(current(ed)->hint() != first);
    ed.click(laneAt(out, j, 6));
    const QList<CrossWalk *> made = objectsOf<CrossWalk>(ed.net());
    QVERIFY(!made.isEmpty());
    CrossWalk *crosswalk = made.last();
    QCOMPARE(crosswalk->junction(), j);
    QCOMPARE(crosswalk->lane1(), in);
    QCOMPARE(crosswalk->lane2(), out);
    // Offsets count from the junction end of each lane.
    QVERIFY(crosswalk->offset1() < in->fullLength() / 2);
    QVERIFY(crosswalk->offset2() < out->fullLength() / 2);
    QCOMPARE(current(ed)->hint(), first);
    ed.key(Qt::Key_Escape);
    undoToStart(ed);

    // Lanes whose ends are plain nodes: no junction to lay a crosswalk at.
    QVERIFY(ed.trigger(QStringLiteral("addNode")));
    const QPointF p = emptyPoint(ed, 0, 24), q = p + QPointF(0, 18);
    ed.click(p);
    ed.click(q);
    ed.scene()->clearSelection();
    ed.wait(150);
    QList<Node *> nodes = objectsOf<Node>(ed.net());
    Node *a = nodes.at(nodes.size() - 2), *b = nodes.last();
    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    ed.move(a->pos());
    ed.click(a);
    ed.move(b->pos());
    ed.click(b);
    Edge *plain = b->incomingEdges().value(0);
    QVERIFY(plain);
    ed.key(Qt::Key_Escape);
    ed.wait(150);
    const int count = objectsOf<CrossWalk>(ed.net()).size();
    QVERIFY(ed.trigger(QStringLiteral("addCrosswalk")));
    ed.click(laneAt(plain->lane(0), b, 9));
    ed.click(laneAt(plain->lane(1), b, 7));
    QVERIFY(log.has(QStringLiteral("Can't find junction for given lanes"), QtWarningMsg));
    QCOMPARE(objectsOf<CrossWalk>(ed.net()).size(), count);
    undoToStart(ed);
}

void TestEditorClicks::walkingArea()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *j = m_j.node;
    // A crosswalk to walk from.
    QVERIFY(ed.trigger(QStringLiteral("addCrosswalk")));
    ed.click(laneAt(m_j.road.first->lane(0), j, 6));
    ed.click(laneAt(m_j.road.second->lane(0), j, 6));
    CrossWalk *crosswalk = objectsOf<CrossWalk>(ed.net()).last();
    ed.wait(150);

    QVERIFY(ed.trigger(QStringLiteral("addWalkingArea")));
    const QString first = current(ed)->hint();
    const GeoPolyline s = crosswalk->skeleton();
    const QPointF onIt = s.first() + (s.last() - s.first()) * 0.3;
    ed.move(onIt);
    QCOMPARE(ed.edit()->context()->highlighted(), ed.net()->object2item(crosswalk));
    ed.click(onIt);
    const QList<WalkingArea *> areas = objectsOf<WalkingArea>(ed.net());
    QVERIFY(!areas.isEmpty());
    WalkingArea *area = areas.last();
    QCOMPARE(area->itemCount(), 1);
    QCOMPARE(area->items().first()->crossWalk(), crosswalk);
    QVERIFY(current(ed)->hint() != first);
    const int pushed = ed.undoStack()->count();

    // A click on open ground finishes it: it joins the history at once.
    const QPointF empty = emptyPoint(ed, 300);
    ed.move(empty);
    ed.click(empty);
    QCOMPARE(ed.undoStack()->count(), pushed + 1);
    QCOMPARE(current(ed)->hint(), first);
    undoToStart(ed);
}

void TestEditorClicks::joinNodes()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Messages log(ed.edit());
    Node *j = m_j.node;
    Node *n = addJunction(ed, emptyPoint(ed, 30));
    QVERIFY(n);
    QVERIFY(ed.trigger(QStringLiteral("actionJoin_nodes_mode")));
    auto *mode = static_cast<NodeChainMode *>(current(ed));
    ed.move(j->pos());
    ed.click(j);
    QCOMPARE(mode->startNode(), j);
    ed.wait(450);
    ed.click(j);
    QCOMPARE(log.lastLevel(), QtWarningMsg);
    ed.move(n->pos());
    ed.click(n);
    QCOMPARE(n->incomingEdges().size(), 1);
    QCOMPARE(n->incomingEdges().first()->start(), j);
    QVERIFY(!mode->startNode());
    const int pushed = ed.undoStack()->count();

    // Joined already: the model refuses, and says why.
    ed.wait(450);
    ed.move(j->pos());
    ed.click(j);
    ed.wait(450);
    ed.move(n->pos());
    ed.click(n);
    QVERIFY(log.has(ed.net()->errorString(), QtCriticalMsg));
    QCOMPARE(log.lastLevel(), QtCriticalMsg);
    QVERIFY(!ed.net()->errorString().isEmpty());
    QCOMPARE(ed.undoStack()->count(), pushed);
    undoToStart(ed);
}

void TestEditorClicks::route()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *j = m_j.node;
    QVERIFY(ed.trigger(QStringLiteral("addRoute")));
    auto *mode = static_cast<AddRouteMode *>(current(ed));
    const QString first = mode->hint();
    const QPointF a = laneAt(m_j.straight.first, j, 15);
    const QPointF b = laneAt(m_j.straight.second, j, 15);
    ed.move(a);
    ed.click(a);
    QVERIFY(mode->route());
    QVERIFY(mode->hint() != first);
    ed.move(b);
    ed.click(b);
    QCOMPARE(mode->route()->controlEdges(),
             QList<Edge *>({m_j.straight.first->edge(), m_j.straight.second->edge()}));

    // Beside the lanes: asked whether to finish. No keeps building.
    const QPointF empty = emptyPoint(ed, 200);
    QString asked;
    answerMessageBox(QMessageBox::No, &asked);
    ed.move(empty);
    ed.click(empty);
    QCOMPARE(asked, QStringLiteral("Finish the route?"));
    QCOMPARE(ed.edit()->mode(), ModeAddRoute);
    QVERIFY(mode->route());
    QCOMPARE(ed.undoStack()->count(), 0);
    // Yes finishes: the route is committed.
    asked.clear();
    answerMessageBox(QMessageBox::Yes, &asked);
    const QPointF empty2 = empty + QPointF(4, 4);
    ed.move(empty2);
    ed.click(empty2);
    QCOMPARE(asked, QStringLiteral("Finish the route?"));
    QCOMPARE(ed.edit()->mode(), ModeNone);
    QCOMPARE(ed.undoStack()->count(), 1);
    QCOMPARE(objectsOf<Route>(ed.net()).last()->controlEdges().size(), 2);
    undoToStart(ed);
}

void TestEditorClicks::areaSelection()
{
    // The mode has no action of its own yet: driven through the mode object as the scene input does.
    EditorFixture ed;
    QVERIFY(setUp(ed));
    auto *mode = static_cast<AreaSelectionMode *>(ed.edit()->modeObject(ModeAreaSelection));
    QVERIFY(mode);
    QRectF requested;
    int calls = 0;
    bool joined = true;
    mode->setDownloadHandler([&](const QRectF &area, bool join) {
        requested = area;
        joined = join;
        ++calls;
    });
    const QString first = mode->hint();
    mode->clicked(QPointF(10, 20), Qt::NoModifier);
    QVERIFY(mode->areaRect());
    QVERIFY(mode->hint() != first);
    mode->mouseMoved(QPointF(4, 25), Qt::NoButton, Qt::NoModifier);
    QCOMPARE(mode->areaRect()->rect(), QRectF(QPointF(10, 20), QPointF(4, 25)));
    mode->clicked(QPointF(2, 30), Qt::NoModifier);
    // Queued: the download runs after the click's handling.
    QCOMPARE(calls, 0);
    QVERIFY(!mode->areaRect());
    ed.settle();
    QCOMPARE(calls, 1);
    QCOMPARE(requested, QRectF(QPointF(2, 20), QPointF(10, 30)));
    QVERIFY(!joined);
    mode->setDownloadHandler({});
}

void TestEditorClicks::pointObjectAndPtStop()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    const QPointF p = emptyPoint(ed, 90);
    QVERIFY(ed.trigger(QStringLiteral("addPointObject")));
    ed.click(p);
    const QList<PointObject *> points = objectsOf<PointObject>(ed.net());
    QVERIFY(!points.isEmpty());
    QVERIFY(QLineF(points.last()->pos(), p).length() < 0.5);

    QVERIFY(ed.trigger(QStringLiteral("addPtStop")));
    Lane *lane = m_j.out.first()->lane(0);
    const QPointF at = laneAt(lane, m_j.node, 20);
    const int stops = objectsOf<PtStop>(ed.net()).size();
    ed.click(at);
    const QList<PtStop *> made = objectsOf<PtStop>(ed.net());
    QCOMPARE(made.size(), stops + 1);
    QCOMPARE(made.last()->lane(), lane);
    double distance = 0;
    lane->fullSkeleton().pointOn(at, &distance);
    QVERIFY(std::abs(made.last()->distance() - distance) < 0.5); // the click lands on a pixel
    QCOMPARE(ed.undoStack()->count(), 2);
    undoToStart(ed);
}

void TestEditorClicks::taz()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    const QPointF p = emptyPoint(ed, 150);
    QVERIFY(ed.trigger(QStringLiteral("addTaz")));
    const QString first = current(ed)->hint();
    ed.move(p);
    ed.click(p);
    Taz *zone = objectsOf<Taz>(ed.net()).value(0);
    QVERIFY(zone);
    QVERIFY(current(ed)->hint() != first);
    QVERIFY(ed.edit()->context()->rubberLine());
    Edge *edge = m_j.out.first();
    const QPointF at = laneAt(edge->lane(0), m_j.node, 20);
    ed.move(at);
    ed.click(at);
    QCOMPARE(zone->edges(), QList<Edge *>({edge}));
    QCOMPARE(ed.undoStack()->count(), 0);
    // Beside the lanes: the zone is finished and committed with its link.
    const QPointF q = p + QPointF(3, 3);
    ed.move(q);
    ed.click(q);
    QCOMPARE(ed.edit()->mode(), ModeNone);
    QCOMPARE(ed.undoStack()->count(), 1);
    undoToStart(ed);
}

void TestEditorClicks::heldObjectsDeletedByUndo()
{
    EditorFixture ed;
    QVERIFY(setUp(ed));
    Node *n = addJunction(ed, emptyPoint(ed, 10));
    QVERIFY(n);
    // The start node goes with an undo while the edge mode holds it.
    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    auto *edges = static_cast<NodeChainMode *>(current(ed));
    ed.move(n->pos());
    ed.click(n);
    QCOMPARE(edges->startNode(), n);
    ed.undoStack()->undo();
    ed.settle();
    QVERIFY(!edges->startNode());
    ed.move(m_j.node->pos());
    ed.click(m_j.node);
    QCOMPARE(edges->startNode(), m_j.node);
    ed.key(Qt::Key_Escape);

    // The current detector goes: a Ctrl+click then starts afresh.
    QVERIFY(ed.trigger(QStringLiteral("addDetector")));
    auto *detectors = static_cast<AddDetectorMode *>(current(ed));
    Edge *edge = m_j.in.first();
    ed.click(laneAt(edge->lane(0), m_j.node, 22));
    QVERIFY(detectors->currentDetector());
    ed.undoStack()->undo();
    ed.settle();
    QVERIFY(!detectors->currentDetector());
    ed.click(laneAt(edge->lane(1), m_j.node, 22), Qt::ControlModifier);
    QVERIFY(detectors->currentDetector());
    QVERIFY(!detectors->currentDetector()->group());
    ed.key(Qt::Key_Escape);

    // The first lane of a connection goes with its edge.
    Node *m = addJunction(ed, emptyPoint(ed, 200, 20));
    QVERIFY(m);
    ed.key(Qt::Key_Escape);
    QVERIFY(ed.trigger(QStringLiteral("addEdge")));
    ed.move(m_j.node->pos());
    ed.click(m_j.node);
    ed.move(m->pos());
    ed.click(m);
    Edge *made = m->incomingEdges().value(0);
    QVERIFY(made);
    ed.key(Qt::Key_Escape);
    ed.wait(150);
    QVERIFY(ed.trigger(QStringLiteral("addLanesConnection")));
    auto *connections = static_cast<LanesConnectionMode *>(current(ed));
    ed.click(laneAt(made->lane(0), m, 8));
    QCOMPARE(connections->firstLane(), made->lane(0));
    ed.undoStack()->undo();
    ed.settle();
    QVERIFY(!connections->firstLane());
    QCOMPARE(connections->hint(), QStringLiteral("Click the lane the connection comes from"));
    undoToStart(ed);
}

void TestEditorClicks::everyModeHasAHint()
{
    EditorFixture ed;
    for (int m = ModeAddNode; m <= ModePastePlacement; ++m) {
        if (AbstractEditMode *mode = ed.edit()->modeObject(EditMode(m)))
            QVERIFY2(!mode->hint().isEmpty(), qPrintable(QString::number(m)));
    }
}

QTEST_MAIN(TestEditorClicks)
#include "tst_editor_clicks.moc"
