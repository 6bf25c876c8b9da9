// Network files: every kind and property survives save and load byte for byte; fragments, merges,
// joins, granule snapshots, file forms and id renumbering.

#include "everykind.h"
#include "recordingnetwork.h"

#include "connection.h"
#include "crosswalk.h"
#include "customobject.h"
#include "edge.h"
#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "lane.h"
#include "node.h"
#include "pointobject.h"
#include "signalgroup.h"
#include "stopline.h"

#include <QMetaProperty>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Trelvoa;

namespace {

// The attribute names of every object element, by id.
QHash<int, QSet<QString>> attributesById(const QByteArray &xml)
{
    QHash<int, QSet<QString>> result;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (!attributes.hasAttribute(QStringLiteral("id")))
            continue;
        QSet<QString> names;
        for (const QXmlStreamAttribute &a : attributes)
            names.insert(a.name().toString());
        result.insert(attributes.value(QStringLiteral("id")).toInt(), names);
    }
    return result;
}

} // namespace

class TestIoRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void everyKindSavesTwiceAndReloadsToTheSameBytes();
    void everyStoredPropertyIsWritten();
    void bundledSampleIsCurrentAndComplete();
    void reloadKeepsStateTheFileDoesNotShowDirectly();
    void fullGeometryIsExtraAndIgnoredOnLoad();
    void replaceFiresClearOnceThenAfterLoad();
    void breakLoadFromProgressLeavesTheNetwork();
    void deletedLaneComesBackWithIdAndOrder();
    void mergeResetsExistingObjectsAndAnnouncesThem();
    void mergeDropsChildrenTheFragmentDoesNotHold();
    void fragmentNamesParentsOutsideIt();
    void pastedFragmentKeepsWhatItHolds();
    void granuleSnapshotRecreatesIt();
    void saveGranulesWritesAFileThatLoadsAlone();
    void filesPlainAndCompressed();
    void joinAddsCopiesUnderFreshIds();
    void joinConvertsAnotherProjection();
    void updateIds();
};

void TestIoRoundTrip::everyKindSavesTwiceAndReloadsToTheSameBytes()
{
    Network net;
    EveryKind::build(&net);
    QSet<QString> classes;
    for (NetObject *o : net.allObjects())
        classes.insert(QLatin1String(o->metaObject()->className()));
    for (const QString &kind : EveryKind::kindClassNames())
        QVERIFY2(classes.contains(kind), qPrintable(kind));

    const QByteArray first = EveryKind::save(&net);
    QVERIFY2(first.startsWith("<?xml"), first.constData());
    QCOMPARE(EveryKind::save(&net), first);

    Network copy;
    QString error;
    QVERIFY2(EveryKind::load(&copy, first, false, &error), qPrintable(error));
    QCOMPARE(copy.objectCount(), net.objectCount());
    QCOMPARE(EveryKind::save(&copy), first);
    // A second generation, to be sure nothing drifts.
    Network third;
    QVERIFY(EveryKind::load(&third, EveryKind::save(&copy), false));
    QCOMPARE(EveryKind::save(&third), first);
    QVERIFY(!copy.isChanged());
}

void TestIoRoundTrip::bundledSampleIsCurrentAndComplete()
{
    const QString sample = QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva");
    QFile file(sample);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray committed = file.readAll();

    // The committed file is what its generator makes today.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString generated = dir.filePath(QStringLiteral("district.trva"));
    QProcess generator;
    generator.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/make-sample-district"), {generated});
    QVERIFY(generator.waitForFinished(60000));
    QCOMPARE(generator.exitCode(), 0);
    QFile made(generated);
    QVERIFY(made.open(QIODevice::ReadOnly));
    QVERIFY2(made.readAll() == committed, "samples/district.trva is stale: run make-sample-district");

    // It holds every kind of object, with its projection, and saves back to the same bytes.
    Network net;
    QVERIFY2(net.load(sample), qPrintable(net.errorString()));
    QVERIFY(net.geoUtil());
    QSet<QString> classes;
    for (NetObject *o : net.allObjects())
        classes.insert(QLatin1String(o->metaObject()->className()));
    for (const QString &kind : EveryKind::kindClassNames())
        QVERIFY2(classes.contains(kind), qPrintable(kind));
    const QString again = dir.filePath(QStringLiteral("again.trva"));
    QVERIFY(net.save(again));
    QFile saved(again);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll() == committed);
}

void TestIoRoundTrip::everyStoredPropertyIsWritten()
{
    Network net;
    EveryKind::build(&net);
    const QHash<int, QSet<QString>> written = attributesById(EveryKind::save(&net));
    QSet<QString> checked;
    for (NetObject *o : net.allObjects()) {
        const QSet<QString> names = written.value(o->id());
        QVERIFY2(!names.isEmpty(), qPrintable(o->printableName()));
        const QMetaObject *mo = o->metaObject();
        for (int i = 0; i < mo->propertyCount(); ++i) {
            const QMetaProperty p = mo->property(i);
            const QString name = QLatin1String(p.name());
            if (!p.isStored() || !p.isWritable() || name == QLatin1String("objectName"))
                continue;
            // Left out on purpose: an empty name, a crosswalk's junction (its parent), the
            // distance of an automatic stopline (derived), the cuts of a lane cut at its junctions and
            // a lane's automatic flag (its custom centre line, written or not, says it).
            if ((name == QLatin1String("name") && o->name().isEmpty())
                || (name == QLatin1String("junction") && mo == &CrossWalk::staticMetaObject)
                || (name == QLatin1String("distance") && qobject_cast<Stopline *>(o)
                    && static_cast<Stopline *>(o)->autoDistance())
                || (name == QLatin1String("fixedStartCut") && qobject_cast<Lane *>(o)
                    && static_cast<Lane *>(o)->fixedStartCut() < 0.0)
                || (name == QLatin1String("fixedEndCut") && qobject_cast<Lane *>(o)
                    && static_cast<Lane *>(o)->fixedEndCut() < 0.0)
                || (name == QLatin1String("autoSkeleton") && qobject_cast<Lane *>(o)))
                continue;
            QVERIFY2(names.contains(name), qPrintable(QStringLiteral("%1.%2").arg(QLatin1String(mo->className()), name)));
            checked.insert(QLatin1String(mo->className()) + QLatin1Char('.') + name);
        }
    }
    QVERIFY(checked.contains(QStringLiteral("Trelvoa::Lane.allowed")));
    QVERIFY(checked.contains(QStringLiteral("Trelvoa::Route.controlEdges")));
}

void TestIoRoundTrip::reloadKeepsStateTheFileDoesNotShowDirectly()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    Network copy;
    QVERIFY(EveryKind::load(&copy, EveryKind::save(&net), false));
    auto same = [&](const QString &name) { return copy.findObject(o.value(name)->id()); };

    // Lane order is state of the edge, not creation order.
    auto *ce = static_cast<Edge *>(o.value(QStringLiteral("C>E")));
    auto *ceCopy = qobject_cast<Edge *>(same(QStringLiteral("C>E")));
    QVERIFY(ceCopy);
    for (int i = 0; i < ce->lanesCount(); ++i)
        QCOMPARE(ceCopy->lane(i)->id(), ce->lane(i)->id());
    // Stoplines keep their roles and ids.
    QCOMPARE(ceCopy->lane(0)->stopline()->id(), ce->lane(0)->stopline()->id());
    QCOMPARE(ceCopy->lane(0)->startline()->id(), ce->lane(0)->startline()->id());
    // An attached node lands on exactly the same point.
    QCOMPARE(same(QStringLiteral("M"))->pos(), o.value(QStringLiteral("M"))->pos());
    // Dynamic properties keep their types.
    NetObject *toEdge = same(QStringLiteral("ToEdge"));
    QCOMPARE(same(QStringLiteral("Intensity"))->property("time").toTime(), QTime(7, 30));
    QCOMPARE(toEdge->property("big").userType(), int(QMetaType::LongLong));
    QCOMPARE(toEdge->property("bytes").toByteArray(), QByteArray("\x00\x01\xff", 3));
    QCOMPARE(static_cast<CustomObject *>(toEdge)->text(), QStringLiteral(" 120 "));
    QCOMPARE(toEdge->property("tenth").toDouble(), 0.1);
    QCOMPARE(same(QStringLiteral("C"))->property("note").toString(), QStringLiteral("a\r\nb"));
    // References point into the copy.
    auto *x1 = qobject_cast<Connection *>(same(QStringLiteral("X1")));
    QCOMPARE(x1->from()->network(), &copy);
    QCOMPARE(x1->junction(), same(QStringLiteral("C")));
    // The bound of the file.
    QVERIFY(!rectFromString(copy.property("bound").toString()).isNull());
    QCOMPARE(copy.projectionStr(), net.projectionStr());
    QCOMPARE(copy.geoUtil()->offset(), net.geoUtil()->offset());
    QCOMPARE(copy.nextId(), net.nextId());
}

void TestIoRoundTrip::fullGeometryIsExtraAndIgnoredOnLoad()
{
    Network net;
    EveryKind::build(&net);
    const QByteArray plain = EveryKind::save(&net);
    const QByteArray full = EveryKind::save(&net, true);
    QVERIFY(full.contains("<geometry pos="));
    QVERIFY(full.contains(" shape=\""));
    QVERIFY(!plain.contains("<geometry"));
    QCOMPARE(EveryKind::save(&net, true), full);
    Network copy;
    QString error;
    QVERIFY2(EveryKind::load(&copy, full, false, &error), qPrintable(error));
    QCOMPARE(EveryKind::save(&copy), plain);
}

void TestIoRoundTrip::replaceFiresClearOnceThenAfterLoad()
{
    Network source;
    EveryKind::build(&source);
    const QByteArray bytes = EveryKind::save(&source);

    RecordingNetwork net;
    auto *old = new PointObject(&net, QPointF(1, 2));
    net.addItem(old);
    net.setProperty("bound", QStringLiteral("junk"));
    net.reset();
    QVERIFY(EveryKind::load(&net, bytes, false));
    QCOMPARE(net.events, QStringList({QStringLiteral("clear"), QStringLiteral("afterLoad")}));
    QVERIFY(net.added.isEmpty());
    QVERIFY(net.progressReports > 0);
    QCOMPARE(EveryKind::save(&net), bytes);
    QCOMPARE(net.property("bound").toString(), rectToString(rectFromString(net.property("bound").toString())));
    QCOMPARE(net.findChildren<NetObject *>().size(), net.objectCount());
}

void TestIoRoundTrip::breakLoadFromProgressLeavesTheNetwork()
{
    Network source;
    EveryKind::build(&source);
    const QByteArray bytes = EveryKind::save(&source);

    RecordingNetwork net;
    net.addItem(new PointObject(&net, QPointF(5, 6)));
    const QByteArray before = EveryKind::save(&net);
    for (int at : {0, 1}) {
        net.reset();
        net.breakAfter = at;
        QVERIFY(!EveryKind::load(&net, bytes, false));
        QVERIFY(net.errorString().contains(QStringLiteral("cancelled")));
        QVERIFY(!net.events.contains(QStringLiteral("clear")));
        QCOMPARE(EveryKind::save(&net), before);
    }
    // The next load is not affected by the cancelled one.
    net.reset();
    QVERIFY(EveryKind::load(&net, bytes, false));
    QCOMPARE(EveryKind::save(&net), bytes);
}

void TestIoRoundTrip::deletedLaneComesBackWithIdAndOrder()
{
    RecordingNetwork net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    const QByteArray before = EveryKind::save(&net);
    auto *edge = static_cast<Edge *>(o.value(QStringLiteral("C>E")));
    Lane *middle = edge->lane(1);
    const int laneId = middle->id();
    const int stoplineId = middle->stopline()->id();
    const int startlineId = middle->startline()->id();

    QList<NetObject *> list;
    EveryKind::collectObjects(edge, &list);
    const QByteArray snapshot = EveryKind::saveFragment(&net, list);
    delete middle;
    QCOMPARE(edge->lanesCount(), 2);
    QVERIFY(!net.findObject(laneId));

    net.reset();
    QString error;
    QVERIFY2(EveryKind::load(&net, snapshot, true, &error), qPrintable(error));
    QCOMPARE(edge->lanesCount(), 3);
    QCOMPARE(edge->lane(1)->id(), laneId);
    QCOMPARE(edge->lane(1)->stopline()->id(), stoplineId);
    QCOMPARE(edge->lane(1)->startline()->id(), startlineId);
    QCOMPARE(EveryKind::save(&net), before);
    // The lane and its lines were announced, parents first; the edge was brought back too.
    const int lanePos = net.added.indexOf(edge->lane(1));
    QVERIFY(lanePos >= 0);
    QVERIFY(net.added.indexOf(edge->lane(1)->stopline()) > lanePos);
    QCOMPARE(net.flagsOf(edge), int(ChangeFlag::All));
}

void TestIoRoundTrip::mergeResetsExistingObjectsAndAnnouncesThem()
{
    RecordingNetwork net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    const QByteArray before = EveryKind::save(&net);
    QList<NetObject *> all;
    for (QObject *c : net.children()) {
        if (auto *object = qobject_cast<NetObject *>(c))
            all.append(object);
    }
    const QByteArray snapshot = EveryKind::saveFragment(&net, all);

    auto *lane = static_cast<Edge *>(o.value(QStringLiteral("W>C")))->lane(0);
    lane->setWidth(9);
    lane->setAllowed(Lane::VehicleClasses(Lane::vcTram));
    lane->setProperty("extra", 1);
    lane->setName(QStringLiteral("renamed"));
    // A lane given its own centre line, and one that had its own going back to the derived line.
    QVERIFY(lane->setSkeleton(GeoPolyline({{-50, 3}, {-20, 4}, {-8, 3}})));
    Lane *own = static_cast<Edge *>(o.value(QStringLiteral("S>C")))->lane(0);
    QVERIFY(!own->autoSkeleton());
    own->setAutoSkeleton(true);
    static_cast<Edge *>(o.value(QStringLiteral("S>C")))->setSkeleton(GeoPolyline({{1, -110}, {0.1, 0.2}}));
    static_cast<Granule *>(o.value(QStringLiteral("Gr")))->removeNode(static_cast<Node *>(o.value(QStringLiteral("W"))));
    static_cast<SignalGroup *>(o.value(QStringLiteral("SG")))->clearContent();
    o.value(QStringLiteral("ToEdge"))->setProperty("edge_id", QVariant());
    QVERIFY(EveryKind::save(&net) != before);

    net.reset();
    QString error;
    QVERIFY2(EveryKind::load(&net, snapshot, true, &error), qPrintable(error));
    QCOMPARE(EveryKind::save(&net), before);
    QCOMPARE(net.flagsOf(lane), int(ChangeFlag::All));
    QVERIFY(net.added.isEmpty());
    QVERIFY(!net.events.contains(QStringLiteral("afterLoad")));
    QVERIFY(!net.events.contains(QStringLiteral("clear")));
}

void TestIoRoundTrip::mergeDropsChildrenTheFragmentDoesNotHold()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    const QByteArray before = EveryKind::save(&net);
    auto *edge = static_cast<Edge *>(o.value(QStringLiteral("W>C")));
    QList<NetObject *> list{edge};
    const QByteArray snapshot = EveryKind::saveFragment(&net, list);
    auto *extra = new Lane(edge, 0);
    net.addItem(extra);
    QPointer<Lane> guard(extra);
    QVERIFY(EveryKind::load(&net, snapshot, true));
    QVERIFY(!guard);
    QCOMPARE(EveryKind::save(&net), before);
}

void TestIoRoundTrip::fragmentNamesParentsOutsideIt()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    auto *edge = static_cast<Edge *>(o.value(QStringLiteral("W>C")));
    const QByteArray fragment = EveryKind::saveFragment(&net, {edge->lane(1), edge->lane(1)->stopline(), o.value(QStringLiteral("X1"))});
    QVERIFY(fragment.contains("fragment=\"true\""));
    QVERIFY(fragment.contains(QStringLiteral("<lane id=\"%1\" parent=\"%2\"").arg(edge->lane(1)->id()).arg(edge->id()).toUtf8()));
    // The listed stopline is written once, inside its lane.
    QCOMPARE(fragment.count(QStringLiteral("<stopline id=\"%1\"").arg(edge->lane(1)->stopline()->id()).toUtf8()), 1);
    QVERIFY(fragment.contains(" bound=\""));
    QVERIFY(EveryKind::load(&net, fragment, true));
    // Loaded on its own, what needs objects outside the fragment is left out.
    Network alone;
    QString error;
    QVERIFY2(EveryKind::load(&alone, fragment, false, &error), qPrintable(error));
    QCOMPARE(alone.objectCount(), 0);
}

void TestIoRoundTrip::pastedFragmentKeepsWhatItHolds()
{
    // The editor copies an edge with its nodes; the junction's connections and crosswalks to edges
    // that were not copied cannot come along.
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    auto *edge = static_cast<Edge *>(o.value(QStringLiteral("C>E")));
    QList<NetObject *> copy{edge};
    for (NetObject *needed : edge->neededToplevelObjects())
        copy.append(needed);
    const QByteArray fragment = EveryKind::saveFragment(&net, copy);

    Network paste;
    QString error;
    QVERIFY2(EveryKind::load(&paste, fragment, false, &error), qPrintable(error));
    auto *pasted = paste.findObject<Edge>(edge->id());
    QVERIFY(pasted);
    QCOMPARE(pasted->lanesCount(), 3);
    QCOMPARE(pasted->start()->id(), o.value(QStringLiteral("C"))->id());
    QVERIFY(paste.findChildren<Connection *>().isEmpty());
    QVERIFY(paste.findChildren<CrossWalk *>().isEmpty());
    QVERIFY(paste.findObject(o.value(QStringLiteral("ED"))->id()));
    QVERIFY(paste.findObject(o.value(QStringLiteral("DG2"))->id()));
    QCOMPARE(paste.objectCount(), 16);
    QVERIFY(!rectFromString(paste.property("bound").toString()).isNull());
    const QByteArray saved = EveryKind::save(&paste);
    Network again;
    QVERIFY(EveryKind::load(&again, saved, false));
    QCOMPARE(EveryKind::save(&again), saved);
    // A whole document is not forgiving: there a dangling reference is an error.
    QByteArray document = fragment;
    document.replace(" fragment=\"true\"", "");
    QVERIFY(!EveryKind::load(&again, document, false, &error));
    QVERIFY2(error.contains(QStringLiteral("not in the input")), qPrintable(error));
}

void TestIoRoundTrip::granuleSnapshotRecreatesIt()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    const QByteArray before = EveryKind::save(&net);
    auto *granule = static_cast<Granule *>(o.value(QStringLiteral("Gr")));
    const int id = granule->id();
    QByteArray snapshot;
    {
        QXmlStreamWriter writer(&snapshot);
        QVERIFY(granule->save(writer, false));
    }
    QVERIFY(snapshot.startsWith("<granule"));
    delete granule;

    QXmlStreamReader reader(snapshot);
    while (!reader.atEnd() && !reader.isStartElement())
        reader.readNext();
    Granule *again = Granule::fromStream(reader, &net, false);
    QVERIFY2(again, qPrintable(net.errorString()));
    QCOMPARE(again->tlId(), 17);
    QVERIFY(net.addItem(again, id));
    QCOMPARE(EveryKind::save(&net), before);

    // Its id is taken now: a second copy is refused.
    QXmlStreamReader second(snapshot);
    second.readNextStartElement();
    QVERIFY(!Granule::fromStream(second, &net, false));
    QVERIFY(net.errorString().contains(QStringLiteral("in use")));
}

void TestIoRoundTrip::saveGranulesWritesAFileThatLoadsAlone()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("granule.trva"));
    QVERIFY2(net.saveGranules(file, {static_cast<Granule *>(o.value(QStringLiteral("Gr")))}, false),
             qPrintable(net.errorString()));
    Network alone;
    QVERIFY2(alone.load(file), qPrintable(alone.errorString()));
    auto *granule = alone.findObject<Granule>(o.value(QStringLiteral("Gr"))->id());
    QVERIFY(granule);
    QCOMPARE(granule->nodes().size(), 2);
    QCOMPARE(granule->signalGroups().size(), 2);
    // The far node of an edge is there for the edge, without its own children.
    auto *east = alone.findObject<Node>(o.value(QStringLiteral("E"))->id());
    QVERIFY(east);
    QVERIFY(alone.findObject(o.value(QStringLiteral("C>E"))->id()));
    QVERIFY(!alone.findObject(o.value(QStringLiteral("E>F"))->id()));
    QVERIFY(!alone.findObject(o.value(QStringLiteral("T1"))->id()));
}

void TestIoRoundTrip::filesPlainAndCompressed()
{
    Network net;
    EveryKind::build(&net);
    const QByteArray bytes = EveryKind::save(&net);
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("net.trva"));
    const QString packed = dir.filePath(QStringLiteral("net.trva.gz"));
    QVERIFY(net.save(plain, false, false));
    QVERIFY(net.save(packed, true, false));
    QFile f(packed);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(2) == QByteArray("\x1f\x8b"));
    f.close();

    for (const QString &file : {plain, packed}) {
        Network copy;
        QVERIFY2(copy.load(file), qPrintable(copy.errorString()));
        QCOMPARE(EveryKind::save(&copy), bytes);
    }
    Network missing;
    QVERIFY(!missing.load(dir.filePath(QStringLiteral("none.trva"))));
    QVERIFY(missing.errorString().contains(QStringLiteral("none.trva")));
    // A damaged compressed file is refused, nothing half loaded.
    QFile damaged(packed);
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    damaged.resize(damaged.size() / 2);
    damaged.close();
    Network copy;
    QVERIFY(!copy.load(packed));
    QCOMPARE(copy.objectCount(), 0);
}

void TestIoRoundTrip::joinAddsCopiesUnderFreshIds()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("net.trva"));
    QVERIFY(net.save(file, false, false));
    const int count = net.objectCount();
    const int next = net.nextId();

    RecordingNetwork target;
    QVERIFY(EveryKind::load(&target, EveryKind::save(&net), false));
    target.reset();
    QVERIFY2(target.join(file), qPrintable(target.errorString()));
    QCOMPARE(target.objectCount(), 2 * count);
    QCOMPARE(target.added.size(), count);
    // Copies refer to copies.
    auto *x1 = target.findObject<Connection>(o.value(QStringLiteral("X1"))->id());
    QList<Connection *> copies;
    for (Connection *c : target.findChildren<Connection *>()) {
        if (c->name() == QLatin1String("X1") && c != x1)
            copies.append(c);
    }
    QCOMPARE(copies.size(), 1);
    QVERIFY(copies.first()->id() >= next);
    QVERIFY(copies.first()->from()->id() >= next);
    QVERIFY(copies.first()->junction()->id() >= next);
    QCOMPARE(copies.first()->junction()->name(), QStringLiteral("C"));
}

void TestIoRoundTrip::joinConvertsAnotherProjection()
{
    Network source;
    source.setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs");
    auto *point = new PointObject(&source, QPointF(500000, 5600000));
    source.addItem(point);
    const QPointF geo = source.geoUtil()->xyToGeo(point->pos());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.trva"));
    QVERIFY(source.save(file, false, false));

    Network target;
    target.setProjection("+proj=utm +zone=33 +ellps=WGS84 +datum=WGS84 +units=m +no_defs", QPointF(-100, -200));
    QVERIFY2(target.join(file), qPrintable(target.errorString()));
    auto *copy = target.findChildren<PointObject *>().value(0);
    QVERIFY(copy);
    const QPointF back = target.geoUtil()->xyToGeo(copy->pos());
    QVERIFY(std::abs(back.x() - geo.x()) < 1e-7 && std::abs(back.y() - geo.y()) < 1e-7);
    QVERIFY(std::abs(copy->pos().x() - 500000) > 1000);
}

void TestIoRoundTrip::updateIds()
{
    Network net;
    QMap<QString, NetObject *> o = EveryKind::build(&net);
    NetObject *a = o.value(QStringLiteral("C"));
    NetObject *b = o.value(QStringLiteral("W"));
    const int ida = a->id();
    const int idb = b->id();
    const QByteArray before = EveryKind::save(&net);

    // A new id that belongs to an object keeping its id, a value that is no number, a key that is no id,
    // two objects onto one id: nothing changes.
    const QList<QMap<QString, QVariant>> bad = {
        {{QString::number(ida), o.value(QStringLiteral("E"))->id()}},
        {{QString::number(ida), QStringLiteral("x")}},
        {{QString::number(ida), 2.5}},
        {{QString::number(ida), -3}},
        {{QStringLiteral("abc"), 5000}},
        {{QString::number(ida), 5000}, {QString::number(idb), 5000.0}},
    };
    for (const auto &map : bad) {
        QVERIFY(!net.updateIds(map));
        QVERIFY(!net.errorString().isEmpty());
        QCOMPARE(a->id(), ida);
        QCOMPARE(EveryKind::save(&net), before);
    }

    // Swapping two ids and moving one to a free id (JSON numbers arrive as doubles); unknown keys pass.
    QVERIFY2(net.updateIds({{QString::number(ida), double(idb)}, {QString::number(idb), ida}, {QStringLiteral("99999"), 7}}),
             qPrintable(net.errorString()));
    QCOMPARE(a->id(), idb);
    QCOMPARE(b->id(), ida);
    QCOMPARE(net.findObject(idb), a);
    QVERIFY(net.updateIds({{QString::number(idb), 100000}}));
    QCOMPARE(net.findObject(100000), a);
    QVERIFY(!net.findObject(idb));
    QVERIFY(net.nextId() > 100000);
    // References follow the objects: the file names the new ids.
    const QByteArray after = EveryKind::save(&net);
    QVERIFY(after.contains("nodes=\"100000 " + QByteArray::number(ida) + "\""));
    Network copy;
    QVERIFY(EveryKind::load(&copy, after, false));
    QCOMPARE(EveryKind::save(&copy), after);
}

QTEST_GUILESS_MAIN(TestIoRoundTrip)
#include "tst_io_roundtrip.moc"
