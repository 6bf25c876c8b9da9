// A file read ahead while the program starts: the load that takes it must give exactly what a load
// of the file gives (result, message, cancel), and a file that changed since must be read anew.

#include "io/fileprefetch.h"
#include "network.h"
#include "saves.h"
#include "sumo/gzipdevice.h"
#include "sumo/sumonetimporter.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Trelvoa;
using TestSupport::gzip;
using TestSupport::saveAsFile;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct Outcome
{
    bool ok = false;
    QString error;
    QByteArray saved;
};

// A load of the file into a network that holds the sample before, read ahead or not.
Outcome load(const QString &path, const QByteArray &before, bool prefetched)
{
    Outcome out;
    Network net;
    QXmlStreamReader reader(before);
    if (!net.load(reader, false))
        return out;
    if (prefetched)
        FilePrefetch::start(path, FilePrefetch::Document);
    out.ok = net.load(path, false);
    out.error = net.errorString();
    out.saved = saveAsFile(&net);
    return out;
}

Outcome import(const QString &path, bool prefetched)
{
    Outcome out;
    Network net;
    if (prefetched)
        FilePrefetch::start(path, FilePrefetch::Bytes);
    SumoNetImporter importer(&net);
    out.ok = importer.importFile(path);
    out.error = importer.errorString();
    out.saved = saveAsFile(&net);
    return out;
}

} // namespace

class TestIoPrefetch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void takenLoadIsTheLoad_data();
    void takenLoadIsTheLoad();
    void changedFileIsReadAnew();
    void cancelWhileReadingAhead();
    void onlyItsFileAndKindTakeIt();
    void sumoImportTakesTheInflatedBytes();
    void readWholeGivesWhatReadAllGives();

private:
    QTemporaryDir m_dir;
    QByteArray m_bytes; // a city in our format, large enough to be parsed in halves
    QByteArray m_small; // the network the loads replace
};

void TestIoPrefetch::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString city = QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz");
    if (!QFile::exists(TestSupport::dataPath(city)))
        QSKIP("the shared real networks are not there");
    QString error;
    const std::unique_ptr<Network> net(TestSupport::importNetwork(city, &error));
    QVERIFY2(net, qPrintable(error));
    m_bytes = saveAsFile(net.get());
    QVERIFY(m_bytes.size() > 2 * 1024 * 1024);
    m_small = "<network version=\"1\">\n <node id=\"1\" pos=\"5,5\" type=\"1\"/>\n</network>\n";
}

void TestIoPrefetch::takenLoadIsTheLoad_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("compress");
    QTest::newRow("city") << m_bytes << false;
    QTest::newRow("city, compressed") << m_bytes << true;
    // A fault in the second half, where the parse on two threads finds it.
    QByteArray fault = m_bytes;
    fault.insert(fault.lastIndexOf("\n <"), "\n <node id=\"x\"/>");
    QTest::newRow("fault") << fault << false;
    QTest::newRow("not XML") << QByteArray("no network at all") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QByteArray truncated = gzip(m_bytes);
    truncated.chop(truncated.size() / 3);
    QTest::newRow("truncated compressed") << truncated << false;
}

void TestIoPrefetch::takenLoadIsTheLoad()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, compress);
    const QString path = m_dir.filePath(QStringLiteral("case.trva"));
    QVERIFY(writeFile(path, compress ? gzip(input) : input));
    const Outcome plain = load(path, m_small, false);
    const Outcome ahead = load(path, m_small, true);
    QCOMPARE(ahead.ok, plain.ok);
    QCOMPARE(ahead.error, plain.error);
    QVERIFY(ahead.saved == plain.saved);
    if (input == m_bytes) {
        QVERIFY2(ahead.ok, qPrintable(ahead.error));
        QVERIFY(ahead.saved == m_bytes);
    } else {
        QVERIFY(!ahead.ok);
        QVERIFY(!ahead.error.isEmpty());
    }
}

void TestIoPrefetch::changedFileIsReadAnew()
{
    // Rewritten after the read ahead began: the load reads what is in the file now.
    const QString path = m_dir.filePath(QStringLiteral("changed.trva"));
    QVERIFY(writeFile(path, m_bytes));
    Network net;
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(writeFile(path, m_small));
    QVERIFY2(net.load(path, false), qPrintable(net.errorString()));
    QCOMPARE(net.objectCount(), 1);

    // Deleted meanwhile: the load says so.
    QVERIFY(writeFile(path, m_bytes));
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(QFile::remove(path));
    QVERIFY(!net.load(path, false));
    QVERIFY2(net.errorString().startsWith(QStringLiteral("Cannot open")), qPrintable(net.errorString()));
    QCOMPARE(net.objectCount(), 1);
}

void TestIoPrefetch::cancelWhileReadingAhead()
{
    const QString path = m_dir.filePath(QStringLiteral("cancel.trva"));
    QVERIFY(writeFile(path, m_bytes));
    Network net;
    QXmlStreamReader reader(m_small);
    QVERIFY(net.load(reader, false));
    const QByteArray before = saveAsFile(&net);
    int calls = 0;
    const QMetaObject::Connection c = connect(&net, &Network::loadProgress, [&] {
        if (++calls == 1)
            net.breakLoad();
    });
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(!net.load(path, false));
    QVERIFY2(net.errorString().endsWith(QStringLiteral("loading was cancelled")), qPrintable(net.errorString()));
    QCOMPARE(calls, 1);
    QVERIFY(saveAsFile(&net) == before);
    disconnect(c);
    // The next load is not cancelled by the last one.
    QVERIFY2(net.load(path, false), qPrintable(net.errorString()));
    QVERIFY(saveAsFile(&net) == m_bytes);
}

void TestIoPrefetch::onlyItsFileAndKindTakeIt()
{
    const QString path = m_dir.filePath(QStringLiteral("one.trva"));
    const QString other = m_dir.filePath(QStringLiteral("other.trva"));
    QVERIFY(writeFile(path, m_bytes));
    QVERIFY(writeFile(other, m_small));
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(!FilePrefetch::take(other, FilePrefetch::Document));
    // The look at another file ended it.
    QVERIFY(!FilePrefetch::take(path, FilePrefetch::Document));
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(!FilePrefetch::take(path, FilePrefetch::Bytes));
    // Through another spelling of its path.
    FilePrefetch::start(path, FilePrefetch::Document);
    std::unique_ptr<FilePrefetch> taken
        = FilePrefetch::take(m_dir.path() + QStringLiteral("/./one.trva"), FilePrefetch::Document);
    QVERIFY(taken);
    QVERIFY(taken->wait({}));
    QVERIFY(taken->wait({}));
    QVERIFY(taken->ok());
    QVERIFY(taken->takeDocument().objects.size() > 4096);
    // Started again for the same file: the one under way goes on, and is the one taken.
    FilePrefetch::start(path, FilePrefetch::Document);
    FilePrefetch::start(m_dir.path() + QStringLiteral("/./one.trva"), FilePrefetch::Document);
    taken = FilePrefetch::take(path, FilePrefetch::Document);
    QVERIFY(taken && taken->wait({}) && taken->ok());
    QVERIFY(taken->takeDocument().objects.size() > 4096);
    // A file changed in between is read anew.
    FilePrefetch::start(path, FilePrefetch::Document);
    QVERIFY(writeFile(path, m_small));
    FilePrefetch::start(path, FilePrefetch::Document);
    taken = FilePrefetch::take(path, FilePrefetch::Document);
    QVERIFY(taken && taken->wait({}) && taken->ok());
    QVERIFY(taken->takeDocument().objects.size() < 4096);
    // Never taken: dropped without waiting for the end of the parse.
    FilePrefetch::start(path, FilePrefetch::Document);
    FilePrefetch::discard();
    FilePrefetch::start(m_dir.filePath(QStringLiteral("missing.trva")), FilePrefetch::Document);
    QVERIFY(!FilePrefetch::take(m_dir.filePath(QStringLiteral("missing.trva")), FilePrefetch::Document));
}

void TestIoPrefetch::sumoImportTakesTheInflatedBytes()
{
    const QString sumo = QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz");
    const Outcome plain = import(sumo, false);
    const Outcome ahead = import(sumo, true);
    QVERIFY2(ahead.ok, qPrintable(ahead.error));
    QVERIFY(ahead.saved == plain.saved);

    // A damaged file: the message of the import that reads it itself.
    QFile real(sumo);
    QVERIFY(real.open(QIODevice::ReadOnly));
    QByteArray bytes = real.readAll();
    bytes.chop(bytes.size() / 2);
    const QString path = m_dir.filePath(QStringLiteral("damaged.net.xml.gz"));
    QVERIFY(writeFile(path, bytes));
    const Outcome damagedPlain = import(path, false);
    const Outcome damagedAhead = import(path, true);
    QVERIFY(!damagedAhead.ok);
    QCOMPARE(damagedAhead.error, damagedPlain.error);
    QVERIFY(damagedAhead.saved == damagedPlain.saved);
}

void TestIoPrefetch::readWholeGivesWhatReadAllGives()
{
    const QByteArray small("<a/>\n");
    for (const QByteArray &content : {m_bytes, small, QByteArray()}) {
        for (bool compressed : {false, true}) {
            const QByteArray stored = compressed ? gzip(content) : content;
            QBuffer buffer;
            buffer.setData(stored);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            GzipDevice whole(&buffer);
            QVERIFY(whole.open(QIODevice::ReadOnly));
            QVERIFY(whole.readWhole() == content);
            QVERIFY(!whole.failed());
            QCOMPARE(whole.sourceBytesRead(), qint64(stored.size()));
        }
    }
    // A damaged stream: what came before the fault, and the fault.
    QByteArray damaged = gzip(m_bytes);
    damaged.chop(damaged.size() / 2);
    QBuffer buffer(&damaged);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    GzipDevice gz(&buffer);
    QVERIFY(gz.open(QIODevice::ReadOnly));
    const QByteArray got = gz.readWhole();
    QVERIFY(gz.failed());
    QVERIFY(!gz.errorString().isEmpty());
    QVERIFY(!got.isEmpty());
    QVERIFY(m_bytes.startsWith(got));
}

QTEST_GUILESS_MAIN(TestIoPrefetch)
#include "tst_io_prefetch.moc"
