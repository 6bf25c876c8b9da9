// The snapshot invariant: take the snapshot of a set of objects (the object, its linked objects and
// their children), delete the set, load the snapshot back with merge, and the network saves to the
// bytes it saved before. On the every-kind network and on imported real networks, for many random sets.

#include "everykind.h"

#include "network.h"
#include "stopline.h"
#include "sumo/sumonetimporter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace Trelvoa;

namespace {

QString dataFile(const char *relative)
{
    return QStringLiteral(TRELVO_DATA_DIR "/") + QLatin1String(relative);
}

// Objects that may be deleted on their own (a stopline only goes with its lane), in id order.
QList<NetObject *> deletable(const Network &net)
{
    QList<NetObject *> list;
    for (NetObject *o : net.allObjects()) {
        if (!qobject_cast<Stopline *>(o))
            list.append(o);
    }
    std::sort(list.begin(), list.end(), [](NetObject *a, NetObject *b) { return a->id() < b->id(); });
    return list;
}

// One round: returns an empty string when the network saved the same bytes after the restore.
QString deleteAndRestore(Network &net, const QByteArray &before, quint32 seed, int maxSet)
{
    QRandomGenerator random(seed);
    const QList<NetObject *> candidates = deletable(net);
    const int count = 1 + int(random.bounded(maxSet));
    QList<NetObject *> picked;
    for (int i = 0; i < count; ++i) {
        NetObject *o = candidates.at(int(random.bounded(candidates.size())));
        if (!picked.contains(o))
            picked.append(o);
    }
    QStringList names;
    QList<NetObject *> snapshotList;
    for (NetObject *o : qAsConst(picked)) {
        names.append(QStringLiteral("%1 %2").arg(QLatin1String(o->metaObject()->className())).arg(o->id()));
        EveryKind::collectObjects(o, &snapshotList);
    }
    const QByteArray snapshot = EveryKind::saveFragment(&net, snapshotList);
    if (snapshot.startsWith("save failed"))
        return QString::fromUtf8(snapshot);

    QVector<QPointer<NetObject>> guards;
    for (NetObject *o : qAsConst(picked))
        guards.append(o);
    for (const QPointer<NetObject> &o : qAsConst(guards)) {
        if (o)
            delete o.data();
    }
    QString error;
    if (!EveryKind::load(&net, snapshot, true, &error))
        return QStringLiteral("seed %1, deleted %2: merge failed: %3").arg(seed).arg(names.join(QStringLiteral(", ")), error);
    const QByteArray after = EveryKind::save(&net);
    if (after != before) {
        // The first differing line, for the report.
        const QList<QByteArray> a = before.split('\n');
        const QList<QByteArray> b = after.split('\n');
        int line = 0;
        while (line < a.size() && line < b.size() && a.at(line) == b.at(line))
            ++line;
        return QStringLiteral("seed %1, deleted %2: line %3 differs:\n  before: %4\n  after:  %5")
            .arg(seed)
            .arg(names.join(QStringLiteral(", ")))
            .arg(line + 1)
            .arg(QString::fromUtf8(a.value(line).left(300)), QString::fromUtf8(b.value(line).left(300)));
    }
    return QString();
}

} // namespace

class TestIoSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void everyKindEveryObjectAlone();
    void everyKindRandomSets();
    void importedNetworkRandomSets_data();
    void importedNetworkRandomSets();
};

void TestIoSnapshot::everyKindEveryObjectAlone()
{
    Network probe;
    EveryKind::build(&probe);
    const QList<NetObject *> candidates = deletable(probe);
    for (int i = 0; i < candidates.size(); ++i) {
        Network net;
        EveryKind::build(&net);
        const QByteArray before = EveryKind::save(&net);
        NetObject *o = net.findObject(candidates.at(i)->id());
        QList<NetObject *> list;
        EveryKind::collectObjects(o, &list);
        const QByteArray snapshot = EveryKind::saveFragment(&net, list);
        const QString what = QStringLiteral("%1 %2").arg(QLatin1String(o->metaObject()->className())).arg(o->id());
        delete o;
        QString error;
        QVERIFY2(EveryKind::load(&net, snapshot, true, &error), qPrintable(what + QStringLiteral(": ") + error));
        QVERIFY2(EveryKind::save(&net) == before, qPrintable(what));
    }
}

void TestIoSnapshot::everyKindRandomSets()
{
    for (quint32 seed = 1; seed <= 150; ++seed) {
        Network net;
        EveryKind::build(&net);
        const QByteArray before = EveryKind::save(&net);
        const QString problem = deleteAndRestore(net, before, seed, 5);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void TestIoSnapshot::importedNetworkRandomSets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rounds");
    QTest::newRow("bologna-pasubio") << dataFile("bologna-pasubio/pasubio_buslanes.net.xml") << 150;
    QTest::newRow("bologna-acosta") << dataFile("bologna-acosta/acosta_buslanes.net.xml") << 60;
    QTest::newRow("berlin-doerpfeldstr") << dataFile("berlin-doerpfeldstr/net.net.xml.gz") << 40;
    QTest::newRow("port-cologne") << dataFile("port-cologne/osm.sumo115compat.net.xml.gz") << 4;
}

void TestIoSnapshot::importedNetworkRandomSets()
{
    QFETCH(QString, file);
    QFETCH(int, rounds);
    if (!QFile::exists(file))
        QSKIP("the shared real networks are not available");
    Network net;
    SumoNetImporter importer(&net);
    QVERIFY2(importer.importFile(file), qPrintable(importer.errorString()));
    const QByteArray before = EveryKind::save(&net);
    QVERIFY(!before.startsWith("save failed"));

    // The imported network reloads to the same bytes, too.
    Network copy;
    QString error;
    QVERIFY2(EveryKind::load(&copy, before, false, &error), qPrintable(error));
    QVERIFY(EveryKind::save(&copy) == before);

    for (int round = 0; round < rounds; ++round) {
        const QString problem = deleteAndRestore(net, before, quint32(1000 + round), 3);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

QTEST_GUILESS_MAIN(TestIoSnapshot)
#include "tst_io_snapshot.moc"
