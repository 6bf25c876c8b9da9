// Every drawable object of a real network gets exactly one item, of its kind's type, in its kind's
// layer: the bundled sample and every network of the shared data folder, each opened from our own file
// as the editor opens it.

#include "scene/genericgraphicsitem.h"
#include "scene/itemfactory.h"
#include "scene/layer.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "netobject.h"
#include "network.h"
#include "sumo/sumonetimporter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Trelvoga;

namespace {

const QHash<QString, int> &itemTypes()
{
    static const QHash<QString, int> types{
        {QStringLiteral("Trelvoa::Taz"), ItemType::Tazg},
        {QStringLiteral("Trelvoa::Node"), ItemType::Nodeg},
        {QStringLiteral("Trelvoa::Edge"), ItemType::Edgeg},
        {QStringLiteral("Trelvoa::EdgeGroup"), ItemType::EdgeGroupg},
        {QStringLiteral("Trelvoa::PtStop"), ItemType::PtStopg},
        {QStringLiteral("Trelvoa::Lane"), ItemType::Laneg},
        {QStringLiteral("Trelvoa::Detector"), ItemType::Detectorg},
        {QStringLiteral("Trelvoa::EmergencyDetector"), ItemType::EmergencyDetectorg},
        {QStringLiteral("Trelvoa::DetectorGroup"), ItemType::DetectorGroupg},
        {QStringLiteral("Trelvoa::CompositeDetector"), ItemType::CompositeDetectorg},
        {QStringLiteral("Trelvoa::Stopline"), ItemType::Stoplineg},
        {QStringLiteral("Trelvoa::CrossWalk"), ItemType::CrossWalkg},
        {QStringLiteral("Trelvoa::Connection"), ItemType::Connectiong},
        {QStringLiteral("Trelvoa::SignalGroup"), ItemType::SignalGroupg},
        {QStringLiteral("Trelvoa::Route"), ItemType::Routeg},
        {QStringLiteral("Trelvoa::PolygonObject"), ItemType::PolygonObjectg},
        {QStringLiteral("Trelvoa::PointObject"), ItemType::PointObjectg},
        {QStringLiteral("Trelvoa::WalkingArea"), ItemType::WalkingAreag},
    };
    return types;
}

} // namespace

class TestItemsCoverage : public QObject
{
    Q_OBJECT

private slots:
    void oneItemPerObject_data();
    void oneItemPerObject();
};

void TestItemsCoverage::oneItemPerObject_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("sumo");
    QTest::newRow("sample") << QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva") << false;
    const QDir data(QStringLiteral(TRELVO_DATA_DIR));
    for (const QString &dir : data.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QStringList nets =
            QDir(data.filePath(dir)).entryList({QStringLiteral("*.net.xml"), QStringLiteral("*.net.xml.gz")}, QDir::Files);
        for (const QString &net : nets)
            QTest::newRow(qPrintable(dir + QLatin1Char('/') + net)) << data.filePath(dir + QLatin1Char('/') + net) << true;
    }
}

void TestItemsCoverage::oneItemPerObject()
{
    QFETCH(QString, file);
    QFETCH(bool, sumo);
    QString own = file;
    QTemporaryDir dir;
    if (sumo) {
        Trelvoa::Network imported;
        Trelvoa::SumoNetImporter importer(&imported);
        QVERIFY2(importer.importFile(file), qPrintable(importer.errorString()));
        own = dir.filePath(QStringLiteral("net.trva"));
        QVERIFY2(imported.save(own), qPrintable(imported.errorString()));
    }

    NetworkScene scene;
    Networkg net(&scene);
    QVERIFY2(net.load(own), qPrintable(net.errorString()));

    // Every item the network keeps belongs to exactly one object (so no object has two).
    QHash<QString, int> objects;
    QHash<QString, int> items;
    const QList<GenericGraphicsItem *> all = net.items();
    QCOMPARE(QSet<GenericGraphicsItem *>(all.begin(), all.end()).size(), all.size());
    for (Trelvoa::NetObject *object : net.allObjects()) {
        const QString kind = QString::fromLatin1(object->metaObject()->className());
        const int type = itemTypes().value(kind);
        GenericGraphicsItem *item = net.object2item(object);
        if (!type) {
            QVERIFY2(!item, qPrintable(kind + QStringLiteral(" has an item")));
            continue;
        }
        ++objects[kind];
        QVERIFY2(item, qPrintable(QStringLiteral("%1 %2 has no item").arg(kind).arg(object->id())));
        QCOMPARE(item->type(), type);
        QCOMPARE(net.item2object(item), object);
        Layer *layer = Layer::of(item);
        QVERIFY2(layer, qPrintable(kind + QStringLiteral(" item outside a layer")));
        QCOMPARE(layer->objectName(), ItemFactory::layerName(kind));
        ++items[kind];
    }
    QCOMPARE(items, objects);
    // Counted the other way: the items of each type in the layers are those of the objects.
    QHash<int, int> inLayers;
    for (Layer *layer : net.layers()) {
        for (QGraphicsItem *child : layer->items()) {
            if (net.item2object(child))
                ++inLayers[child->type()];
        }
    }
    for (auto it = objects.cbegin(); it != objects.cend(); ++it)
        QCOMPARE(inLayers.value(itemTypes().value(it.key())), it.value());
}

QTEST_MAIN(TestItemsCoverage)
#include "tst_items_coverage.moc"
