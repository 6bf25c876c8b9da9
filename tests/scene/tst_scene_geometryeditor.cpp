#include "scenetestkit.h"

#include "geo/geoutil.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QtTest>

#include <memory>

using namespace Trelvoga;
using SceneTest::EditItem;
using SceneTest::Thing;
using Trelvoa::GeoPolyline;
using Trelvoa::GeoShape;

namespace {

QList<int> indices(const GeometryEditor &editor)
{
    QList<int> list;
    for (GeometryEditorMarker *m : editor.markers())
        list.append(m->index());
    return list;
}

const GeoShape kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};

// Items of the test kind that edit their geometry.
class EditFactory : public NetObjectFactory
{
public:
    QString objectClassName() const override { return QStringLiteral("SceneTest::Thing"); }
    QString layerName() const override { return Networkg::layerNodes; }
    GenericGraphicsItem *createItem(Trelvoa::NetObject *, QGraphicsItem *layer, Trelvoa::GeoUtil *geo) override
    {
        return new EditItem(layer, geo);
    }
};

} // namespace

class TestSceneGeometryEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void markersAreNumberedPerVertex();
    void removalStopsAtTheMinimum();
    void removingTheFirstOutlineVertexClosesAgain();
    void dragsWriteBack();
    void newPoints();
    void insertedPointsRenumber();
    void convertsModelCoordinates();
    void markersKeepTheirScreenSize();
    void lifecycle();
    void neverEditedIsEmpty();
    void fastCleanupStillFreesMarkers();

private:
    std::unique_ptr<QGraphicsScene> scene;
    std::unique_ptr<Networkg> net;
    EditItem *item = nullptr;
};

void TestSceneGeometryEditor::init()
{
    scene = std::make_unique<QGraphicsScene>();
    net = std::make_unique<Networkg>(scene.get());
    item = new EditItem(net->layer(Networkg::layerNodes));
}

void TestSceneGeometryEditor::cleanup()
{
    delete item;
    item = nullptr;
    net.reset();
    scene.reset();
}

void TestSceneGeometryEditor::markersAreNumberedPerVertex()
{
    item->startEdit(GeoPolyline{{0, 0}, {5, 5}, {10, 0}});
    QVERIFY(item->edited());
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2}));
    GeometryEditorMarker *m = item->markers().at(1);
    QCOMPARE(m->pos(), QPointF(5, 5));
    QCOMPARE(Trelvoga::Layer::of(m), net->layer(Networkg::layerMarkers));
    QCOMPARE(m->type(), int(QGraphicsItem::UserType + 8));
    QCOMPARE(m->boundingRect(), QRectF(-6, -6, 12, 12));
    QVERIFY(m->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(m->flags() & QGraphicsItem::ItemIsSelectable);
    QCOMPARE(m->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(item->minPoints(), 2);

    // A second start while editing is ignored.
    item->startEdit(kSquare);
    QCOMPARE(item->markers().size(), 3);
    QVERIFY(item->isPolylineMode());
    item->endEdit();
    QVERIFY(!item->edited());
    QVERIFY(item->markers().isEmpty());

    // Four corners stored closed: four markers; the same corners stored open: four as well.
    item->startEdit(kSquare);
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(item->minPoints(), 1);
    item->endEdit();
    item->startEdit(GeoShape{{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(item->editedShape().count(), 5);
    item->endEdit();

    item->startEdit(GeoPolyline{{1, 1}});
    QCOMPARE(indices(*item), QList<int>{0});
    item->endEdit();
    item->startEdit(GeoPolyline());
    QVERIFY(item->edited());
    QVERIFY(item->markers().isEmpty());
    item->endEdit();

    // Outside a scene the markers stay outside too.
    EditItem loose(nullptr);
    loose.startEdit(GeoPolyline{{0, 0}, {1, 1}});
    QCOMPARE(loose.markers().size(), 2);
    QCOMPARE(loose.markers().first()->scene(), nullptr);
    QCOMPARE(loose.markers().first()->parentItem(), nullptr);
}

void TestSceneGeometryEditor::removalStopsAtTheMinimum()
{
    item->startEdit(GeoPolyline{{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    QCOMPARE(item->markers().at(1)->removePoint(), 3);
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {2, 0}, {3, 0}}));
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2}));
    QCOMPARE(item->markers().at(1)->pos(), QPointF(2, 0));
    QCOMPARE(item->markers().at(0)->removePoint(), 2);
    const int reports = item->polylines.size();
    QCOMPARE(item->markers().at(0)->removePoint(), 2);
    QCOMPARE(item->markers().size(), 2);
    QCOMPARE(item->polylines.size(), reports);
    item->endEdit();

    item->startEdit(kSquare);
    for (int expected = 3; expected >= 1; --expected)
        QCOMPARE(item->markers().last()->removePoint(), expected);
    QCOMPARE(item->markers().last()->removePoint(), 1);
    QCOMPARE(item->editedShape(), (GeoShape{{0, 0}, {0, 0}}));
    item->endEdit();

    // The host may lower the minimum.
    item->startEdit(GeoPolyline{{0, 0}, {1, 0}});
    item->setMinPoints(0);
    QCOMPARE(item->markers().first()->removePoint(), 1);
    QCOMPARE(item->markers().first()->removePoint(), 0);
    QVERIFY(item->editedPolyline().isEmpty());
}

void TestSceneGeometryEditor::removingTheFirstOutlineVertexClosesAgain()
{
    item->startEdit(kSquare);
    QCOMPARE(item->markers().first()->removePoint(), 3);
    QCOMPARE(item->shapes.last(), (GeoShape{{10, 0}, {10, 10}, {0, 10}, {10, 0}}));
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2}));
    QCOMPARE(item->markers().first()->pos(), QPointF(10, 0));
}

void TestSceneGeometryEditor::dragsWriteBack()
{
    item->startEdit(GeoPolyline{{0, 0}, {5, 5}, {10, 0}});
    QVERIFY(item->polylines.isEmpty());
    item->markers().at(2)->setPos(12, 3);
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {5, 5}, {12, 3}}));
    item->endEdit();

    // The first marker of an outline moves the closing point with it.
    item->startEdit(kSquare);
    item->markers().at(0)->setPos(-2, -1);
    QCOMPARE(item->shapes.last(), (GeoShape{{-2, -1}, {10, 0}, {10, 10}, {0, 10}, {-2, -1}}));
    item->markers().at(2)->setPos(11, 11);
    QCOMPARE(item->shapes.last(), (GeoShape{{-2, -1}, {10, 0}, {11, 11}, {0, 10}, {-2, -1}}));
}

void TestSceneGeometryEditor::newPoints()
{
    item->startEdit(GeoShape());
    item->addNewPoint(QPointF(3, 4));
    QCOMPARE(item->shapes.last(), (GeoShape{{3, 4}, {3, 4}}));
    QCOMPARE(indices(*item), QList<int>{0});
    item->addNewPoint(QPointF(6, 4));
    QCOMPARE(item->shapes.last(), (GeoShape{{3, 4}, {6, 4}, {3, 4}}));
    QCOMPARE(indices(*item), (QList<int>{0, 1}));
    QCOMPARE(item->markers().at(1)->pos(), QPointF(6, 4));
    item->endEdit();

    item->startEdit(GeoPolyline{{0, 0}});
    item->addNewPoint(QPointF(1, 1));
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {1, 1}}));
    QCOMPARE(item->markers().last()->pos(), QPointF(1, 1));
    item->endEdit();

    // Without a running edit nothing happens.
    const int reports = item->polylines.size();
    item->addNewPoint(QPointF(9, 9));
    item->addEditPoint(QPointF(9, 9));
    QCOMPARE(item->polylines.size(), reports);
    QVERIFY(item->markers().isEmpty());
}

void TestSceneGeometryEditor::insertedPointsRenumber()
{
    item->startEdit(GeoPolyline{{0, 0}, {10, 0}, {20, 0}});
    item->addEditPoint(QPointF(5, 1));
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {5, 0}, {10, 0}, {20, 0}}));
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(item->markers().at(1)->pos(), QPointF(5, 0));
    QCOMPARE(item->markers().at(2)->pos(), QPointF(10, 0));
    // The renumbered marker still moves its own vertex.
    item->markers().at(2)->setPos(10, 2);
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {5, 0}, {10, 2}, {20, 0}}));
    item->endEdit();

    // On the closing side of an outline: before the closing point.
    item->startEdit(kSquare);
    item->addEditPoint(QPointF(-1, 5));
    QCOMPARE(item->shapes.last(), (GeoShape{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}, {0, 0}}));
    QCOMPARE(indices(*item), (QList<int>{0, 1, 2, 3, 4}));
    item->endEdit();

    // A single marker: the point is taken as given.
    item->startEdit(GeoPolyline{{0, 0}});
    item->addEditPoint(QPointF(7, 7));
    QCOMPARE(item->polylines.last(), (GeoPolyline{{0, 0}, {7, 7}}));
}

void TestSceneGeometryEditor::convertsModelCoordinates()
{
    Trelvoa::GeoUtil utm("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs");
    QVERIFY(utm.isValid());
    EditItem projected(net->layer(Networkg::layerNodes), &utm);
    projected.startEdit(GeoPolyline{{500000, 5300000}, {500100, 5300000}});
    const QPointF first = projected.markers().first()->pos();
    QVERIFY(qAbs(first.x() - 9.0) < 1e-6);
    projected.markers().last()->setPos(first + QPointF(0.001, 0));
    const QPointF written = projected.netPos(projected.polylines.last().at(1));
    QVERIFY(written.x() > 500050 && written.x() < 500100);
}

void TestSceneGeometryEditor::markersKeepTheirScreenSize()
{
    item->startEdit(GeoPolyline{{0, 0}, {0.001, 0}});
    QGraphicsView view(scene.get());
    GeometryEditorMarker *m = item->markers().first();
    for (qreal zoom : {1e-2, 1.0, 1e5}) {
        view.setTransform(QTransform::fromScale(zoom, zoom));
        const QRectF onScreen = m->deviceTransform(view.viewportTransform()).mapRect(m->boundingRect());
        QCOMPARE(onScreen.size(), QSizeF(12, 12));
    }
}

void TestSceneGeometryEditor::lifecycle()
{
    const int base = scene->items().size();
    item->startEdit(GeoPolyline{{0, 0}, {1, 0}, {2, 0}});
    QCOMPARE(scene->items().size(), base + 3);
    item->endEdit();
    QCOMPARE(scene->items().size(), base);

    // The owner goes during an edit: its markers go with it.
    item->startEdit(GeoPolyline{{0, 0}, {1, 0}});
    delete item;
    item = nullptr;
    QCOMPARE(scene->items().size(), base - 1);

    // The markers' layer goes first: the editor forgets them and ends cleanly afterwards.
    item = new EditItem(net->layer(Networkg::layerNodes));
    item->startEdit(kSquare);
    delete net->layer(Networkg::layerMarkers);
    QVERIFY(item->markers().isEmpty());
    item->endEdit();
    QVERIFY(!item->edited());
}

void TestSceneGeometryEditor::fastCleanupStillFreesMarkers()
{
    EditFactory factory;
    net->registerNetObject(&factory);
    auto *thing = new Thing;
    net->addItem(thing);
    auto *editing = dynamic_cast<EditItem *>(net->object2item(thing));
    QVERIFY(editing);
    editing->startEdit(kSquare);
    net.reset();
    item = nullptr; // went with its layer
    QVERIFY(scene->items().isEmpty());
}

QTEST_MAIN(TestSceneGeometryEditor)
// An editor that never started an edit keeps no state of its own, and reads and does as a fresh one.
void TestSceneGeometryEditor::neverEditedIsEmpty()
{
    EditItem fresh(nullptr);
    QVERIFY(!fresh.edited());
    QCOMPARE(fresh.minPoints(), 1);
    QVERIFY(fresh.markers().isEmpty());
    QVERIFY(fresh.editedPolyline().isEmpty());
    QVERIFY(fresh.editedShape().isEmpty());
    QVERIFY(!fresh.isPolylineMode());
    fresh.endEdit();
    fresh.addEditPoint(QPointF(1, 1));
    fresh.addNewPoint(QPointF(1, 1));
    QVERIFY(!fresh.edited());
    QVERIFY(fresh.polylines.isEmpty() && fresh.shapes.isEmpty());
    fresh.setMinPoints(3);
    QCOMPARE(fresh.minPoints(), 3);
    // An edit after all starts from the minimum set before.
    fresh.startEdit(GeoPolyline({QPointF(0, 0), QPointF(1, 0), QPointF(2, 0)}));
    QVERIFY(fresh.edited());
    QCOMPARE(fresh.markers().size(), 3);
}

#include "tst_scene_geometryeditor.moc"
