// Node items: dragging into the model, attached nodes, outlines, wireframe and outline editing.

#include "layouts.h"
#include "scenenet.h"

#include "items/nodeg.h"
#include "scene/geometryeditormarker.h"
#include "scene/networkg.h"

#include "geo/geoutil.h"

#include <QGraphicsScene>
#include <QtTest>

using namespace ItemLayouts;
using namespace Layouts;
using Trelvoga::Networkg;
using Trelvoga::Nodeg;

namespace {

double distanceToSkeleton(const EdgeGroup *g, const QPointF &p)
{
    return QLineF(p, g->skeleton().pointOn(p)).length();
}

} // namespace

class TestNodeItems : public QObject
{
    Q_OBJECT

private slots:
    void draggingMovesTheNode();
    void draggingWithProjection();
    void attachedNodeJumpsBackOntoGroup();
    void readOnlyNodeCannotBeDraggedOrReshaped();
    void junctionOutlineAndMarkerOnly();
    void leavingWireframeRebuildsOutline();
    void outlineEditDoesNotMoveNode();
};

void TestNodeItems::draggingMovesTheNode()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l;
    l.net = &net;
    Node *n = addNode(l, QStringLiteral("P"), QPointF(10, 10));
    refresh(&net);
    auto *item = itemOf<Nodeg>(&net, n);
    QVERIFY(item);
    QCOMPARE(item->type(), QGraphicsItem::UserType + 12);
    QCOMPARE(item->pos(), QPointF(10, 10));
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(item->flags() & QGraphicsItem::ItemIgnoresTransformations);

    item->setPos(QPointF(30, -40));
    QCOMPARE(n->pos(), QPointF(30, -40));
    QCOMPARE(item->pos(), QPointF(30, -40));

    // A refresh from the model puts the item where the node is, without writing back.
    n->setPos(QPointF(5, 6));
    refresh(&net);
    QCOMPARE(item->pos(), QPointF(5, 6));
    QCOMPARE(n->pos(), QPointF(5, 6));
}

void TestNodeItems::draggingWithProjection()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    QVERIFY2(net.setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs",
                               QPointF(-500000, -5300000)),
             qPrintable(net.errorString()));
    Layout l;
    l.net = &net;
    Node *n = addNode(l, QStringLiteral("P"), QPointF(100, 200));
    refresh(&net);
    auto *item = itemOf<Nodeg>(&net, n);
    QVERIFY(item && item->geoUtil());
    const QPointF geo = net.geoUtil()->xyToGeo(QPointF(100, 200));
    QVERIFY(std::abs(geo.x() - 9.0) < 1.0 && std::abs(geo.y() - 47.8) < 1.0);
    QCOMPARE(item->pos(), geo);

    const QPointF target = net.geoUtil()->xyToGeo(QPointF(150, 260));
    item->setPos(target);
    QVERIFY(QLineF(n->pos(), QPointF(150, 260)).length() < 1e-6);
}

void TestNodeItems::attachedNodeJumpsBackOntoGroup()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = twoWayGroup(&net);
    refresh(&net);
    Node *m = l.node(QStringLiteral("M"));
    EdgeGroup *g = l.groups.value(QStringLiteral("AB"));
    QCOMPARE(m->attachedEdgeGroup(), g);
    auto *item = itemOf<Nodeg>(&net, m);
    QVERIFY(item);

    // Dragged 50 units off the bent skeleton: the model keeps it on the skeleton, so does the item.
    item->setPos(QPointF(120, 90));
    QVERIFY(distanceToSkeleton(g, m->pos()) < 1e-6);
    QVERIFY(QLineF(m->pos(), QPointF(120, 90)).length() > 40.0);
    QCOMPARE(item->pos(), m->pos());
    QVERIFY(QLineF(item->pos(), g->skeleton().pointOn(QPointF(120, 90))).length() < 1e-6);

    // A plain node next to it moves freely.
    Node *a = l.node(QStringLiteral("A"));
    auto *aItem = itemOf<Nodeg>(&net, a);
    aItem->setPos(QPointF(-10, 25));
    QCOMPARE(a->pos(), QPointF(-10, 25));
    QCOMPARE(aItem->pos(), QPointF(-10, 25));
}

void TestNodeItems::readOnlyNodeCannotBeDraggedOrReshaped()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    Node *c = l.node(QStringLiteral("C"));
    auto *item = itemOf<Nodeg>(&net, c);
    QVERIFY(item);

    net.setReadOnly(true);
    refresh(&net);
    QVERIFY(item->isReadOnly());
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsMovable));
    item->setPos(QPointF(20, 20));
    QCOMPARE(c->pos(), QPointF(0, 0));
    QCOMPARE(item->pos(), QPointF(0, 0));
    item->setEdit(true);
    QVERIFY(!item->edited());

    net.setReadOnly(false);
    refresh(&net);
    QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
    item->setEdit(true);
    QVERIFY(item->edited());
    item->setEdit(false);
}

void TestNodeItems::junctionOutlineAndMarkerOnly()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    // A junction without edges has no outline.
    Node *lone = addNode(l, QStringLiteral("J"), QPointF(300, 300), Node::Junction);
    refresh(&net);

    Node *c = l.node(QStringLiteral("C"));
    auto *item = itemOf<Nodeg>(&net, c);
    QVERIFY(!c->shape().isEmpty());
    QVERIFY(!item->isSimple());
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIgnoresTransformations));
    QVERIFY(!item->outline().isEmpty());
    QCOMPARE(item->boundingRect(), c->shape().boundingRect().translated(-item->pos()));
    QVERIFY(item->shape().contains(QPointF(3, 3)));
    QVERIFY(!item->shape().contains(QPointF(30, 30)));

    auto *loneItem = itemOf<Nodeg>(&net, lone);
    QVERIFY(lone->shape().isEmpty());
    QVERIFY(loneItem->isSimple());
    QVERIFY(loneItem->flags() & QGraphicsItem::ItemIgnoresTransformations);
    QCOMPARE(loneItem->boundingRect(), QRectF(-5, -5, 10, 10));
    // The same ten pixels at every zoom, while the outlined junction scales.
    for (qreal zoom : {0.5, 1.0, 40.0}) {
        const QTransform view = QTransform::fromScale(zoom, zoom);
        QCOMPARE(loneItem->deviceTransform(view).mapRect(loneItem->boundingRect()).size(), QSizeF(10, 10));
        QCOMPARE(item->deviceTransform(view).mapRect(item->boundingRect()).size(),
                 item->boundingRect().size() * zoom);
    }
    // A point-like item counts as a tiny square in the network's bounds.
    QVERIFY(loneItem->sceneBoundingRect().width() < 1e-4);
}

void TestNodeItems::leavingWireframeRebuildsOutline()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    net.setWireframe(true);
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    Node *c = l.node(QStringLiteral("C"));
    auto *item = itemOf<Nodeg>(&net, c);
    QVERIFY(item->isVisible());
    QVERIFY(item->isSimple());
    QVERIFY(item->outline().isEmpty());
    QVERIFY(item->flags() & QGraphicsItem::ItemIgnoresTransformations);

    net.setWireframe(false);
    QVERIFY(!item->isSimple());
    QVERIFY(!item->outline().isEmpty());
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIgnoresTransformations));

    // Built outside wireframe: switching on and off keeps the outline.
    net.setWireframe(true);
    QVERIFY(item->isSimple());
    QVERIFY(item->isVisible());
    net.setWireframe(false);
    QVERIFY(!item->isSimple());
    QVERIFY(!item->outline().isEmpty());
}

void TestNodeItems::outlineEditDoesNotMoveNode()
{
    SceneNet fixture;
    Networkg &net = fixture.net;
    Layout l = fourArm(&net, RoadsOnly | Sidewalks);
    refresh(&net);
    Node *c = l.node(QStringLiteral("C"));
    auto *item = itemOf<Nodeg>(&net, c);
    const GeoShape before = c->shape();
    QVERIFY(before.isClosed());

    item->setEdit(true);
    QVERIFY(item->edited());
    QCOMPARE(item->markers().size(), before.count() - 1);
    QVERIFY(!item->isChanged());

    // Pulling the first corner outwards makes a custom outline.
    Trelvoga::GeometryEditorMarker *first = item->markers().first();
    const QPointF corner = before.first();
    first->setPos(corner * 1.5);
    QVERIFY(item->isChanged());
    QVERIFY(!c->autoShape());
    QCOMPARE(c->shape().first(), corner * 1.5);
    QCOMPARE(c->shape().last(), corner * 1.5);
    refresh(&net);

    // While the outline is edited the item may move, the node does not.
    item->setPos(QPointF(7, 7));
    QCOMPARE(c->pos(), QPointF(0, 0));

    item->setEdit(false);
    QVERIFY(!item->edited());
    QVERIFY(!item->isChanged());
    refresh(&net);
    QCOMPARE(item->pos(), QPointF(0, 0));
    item->setPos(QPointF(1, 2));
    QCOMPARE(c->pos(), QPointF(1, 2));
}

QTEST_MAIN(TestNodeItems)
#include "tst_items_nodes.moc"
