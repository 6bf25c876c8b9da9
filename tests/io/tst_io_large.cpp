// Large files load on two threads (parsed in two halves, checked in two halves). Whatever the input,
// the result and every message must be exactly those of a single pass over it.

#include "network.h"
#include "saves.h"
#include "sumo/sumonetimporter.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Trelvoa;
using TestSupport::saveAsFile;

namespace {

struct Outcome
{
    bool ok = false;
    QString error;
    QByteArray saved;
};

// A load of the bytes through a file (the path that splits the work) into a network holding before.
Outcome loadFile(const QString &path, const QByteArray &bytes, const QByteArray &before, bool merge)
{
    Outcome out;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return out;
    file.close();
    Network net;
    if (!before.isEmpty()) {
        QXmlStreamReader reader(before);
        if (!net.load(reader, false))
            return out;
    }
    out.ok = net.load(path, merge);
    // Messages of file loads name the file first.
    out.error = net.errorString();
    out.error.remove(path + QStringLiteral(": "));
    out.saved = saveAsFile(&net);
    return out;
}

// The same load as one stream, the single pass.
Outcome loadStream(const QByteArray &bytes, const QByteArray &before, bool merge)
{
    Outcome out;
    Network net;
    if (!before.isEmpty()) {
        QXmlStreamReader reader(before);
        if (!net.load(reader, false))
            return out;
    }
    QXmlStreamReader reader(bytes);
    out.ok = net.load(reader, merge);
    out.error = net.errorString();
    out.saved = saveAsFile(&net);
    return out;
}

// The start of the first line after byte from that opens an element indented by one space.
int topLevelLineAfter(const QByteArray &bytes, int from)
{
    int at = bytes.indexOf("\n <", from);
    while (at >= 0 && bytes.at(at + 3) == '/')
        at = bytes.indexOf("\n <", at + 1);
    return at + 1;
}

// Replaces the first value of attribute name at or after byte from.
QByteArray withAttribute(QByteArray bytes, int from, const QByteArray &name, const QByteArray &value)
{
    const int at = bytes.indexOf(' ' + name + "=\"", from);
    if (at < 0)
        return QByteArray();
    const int start = at + name.size() + 3;
    const int end = bytes.indexOf('"', start);
    return bytes.replace(start, end - start, value);
}

} // namespace

class TestIoLarge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsAsOnePassDoes();
    void faultsAreReportedAsOnePassReportsThem_data();
    void faultsAreReportedAsOnePassReportsThem();
    void mergeAndJoinOfALargeFile();
    void otherEncodingsAreReadInOnePass();

private:
    QTemporaryDir m_dir;
    QByteArray m_bytes;
};

void TestIoLarge::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString sumo = QStringLiteral(TRELVO_DATA_DIR "/port-cologne/osm.sumo115compat.net.xml.gz");
    if (!QFile::exists(sumo))
        QSKIP("the shared real networks are not there");
    Network net;
    SumoNetImporter importer(&net);
    QVERIFY2(importer.importFile(sumo), qPrintable(importer.errorString()));
    m_bytes = saveAsFile(&net);
    // Large enough for both halves of the work to run on their own threads.
    QVERIFY(m_bytes.size() > 2 * 1024 * 1024);
    QVERIFY(net.objectCount() > 2 * 4096);
}

void TestIoLarge::loadsAsOnePassDoes()
{
    const Outcome file = loadFile(m_dir.filePath(QStringLiteral("whole.trva")), m_bytes, QByteArray(), false);
    QVERIFY2(file.ok, qPrintable(file.error));
    QCOMPARE(file.saved.size(), m_bytes.size());
    QVERIFY(file.saved == m_bytes);
}

void TestIoLarge::faultsAreReportedAsOnePassReportsThem_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("loads");

    const int quarter = m_bytes.size() / 4;
    const int middle = m_bytes.size() / 2;
    const QByteArray notANumber = "12,north";

    QTest::newRow("bad value in the first half")
        << withAttribute(m_bytes, quarter, "pos", notANumber) << false;
    QTest::newRow("bad value in the second half")
        << withAttribute(m_bytes, 3 * quarter, "width", "wide") << false;
    QTest::newRow("bad values in both halves: the first is named")
        << withAttribute(withAttribute(m_bytes, 3 * quarter, "width", "wide"), quarter, "pos", notANumber)
        << false;
    QTest::newRow("bad value right after the middle")
        << withAttribute(m_bytes, topLevelLineAfter(m_bytes, middle), "id", "0") << false;
    // Values the model refuses are found by reading everything back, also in two halves.
    QTest::newRow("width the model refuses in the second half")
        << withAttribute(m_bytes, 3 * quarter, "width", "-3") << false;
    QTest::newRow("widths the model refuses in both halves: the first is named")
        << withAttribute(withAttribute(m_bytes, 3 * quarter, "width", "-3"), quarter, "width", "-2") << false;
    QTest::newRow("unknown reference in the second half")
        << withAttribute(m_bytes, 3 * quarter, "start", "987654321") << false;

    // An id of the first half given again in the second.
    {
        const int first = m_bytes.indexOf(" id=\"", quarter) + 5;
        const QByteArray id = m_bytes.mid(first, m_bytes.indexOf('"', first) - first);
        QTest::newRow("id used in both halves") << withAttribute(m_bytes, 3 * quarter, "id", id) << false;
    }

    // XML faults after the middle.
    {
        QByteArray unclosed = m_bytes;
        const int at = topLevelLineAfter(unclosed, 3 * quarter);
        unclosed.insert(at, " <node id=\"987654321\" pos=\"0,0\">\n");
        QTest::newRow("unclosed element in the second half") << unclosed << false;
        QByteArray text = m_bytes;
        text.insert(topLevelLineAfter(text, middle + 200), " stray text\n");
        QTest::newRow("stray text in the second half") << text << false;
    }

    // Where the file cannot be cut where it looks as if it could, it is read in one go.
    {
        QByteArray commented = m_bytes;
        const int at = topLevelLineAfter(commented, middle + 200) - 1;
        commented.insert(at, "\n <!--\n <node id=\"987654321\" pos=\"0,0\"/>\n -->");
        QTest::newRow("top-level look-alike inside a comment") << commented << true;
        // Children indented like top-level elements, and a trailing comment that puts the middle of
        // the file right before a child's line: that is where a cut is tried.
        QByteArray flat = m_bytes;
        flat.replace("\n  <", "\n <");
        const int lane = flat.indexOf("\n <lane ", flat.size() / 2 + 16);
        QVERIFY(lane > 0);
        const int padding = 2 * lane - flat.size();
        flat += "<!--" + QByteArray(padding - 7, 'x') + "-->";
        QCOMPARE(flat.size() / 2, lane);
        QTest::newRow("child element indented like a top-level one") << flat << true;
    }
}

void TestIoLarge::faultsAreReportedAsOnePassReportsThem()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, loads);
    QVERIFY(!input.isEmpty());

    const QByteArray before;
    const Outcome file = loadFile(m_dir.filePath(QStringLiteral("case.trva")), input, before, false);
    const Outcome stream = loadStream(input, before, false);
    QCOMPARE(file.ok, loads);
    QCOMPARE(stream.ok, loads);
    QCOMPARE(file.error, stream.error);
    QVERIFY(file.saved == stream.saved);
    if (loads) {
        Network original;
        QXmlStreamReader reader(m_bytes);
        QVERIFY(original.load(reader));
        QVERIFY(file.saved == saveAsFile(&original));
    } else {
        QVERIFY2(file.error.startsWith(QStringLiteral("Line ")), qPrintable(file.error));
        if (QByteArray(QTest::currentDataTag()).startsWith("width"))
            QVERIFY2(file.error.contains(QStringLiteral("refuses width=\"-")), qPrintable(file.error));
        if (QByteArray(QTest::currentDataTag()).startsWith("widths"))
            QVERIFY2(file.error.contains(QStringLiteral("width=\"-2\"")), qPrintable(file.error));
        Network empty;
        QVERIFY(file.saved == saveAsFile(&empty));
    }
}

void TestIoLarge::mergeAndJoinOfALargeFile()
{
    // A merge of the file into the network it came from changes nothing.
    const QString path = m_dir.filePath(QStringLiteral("merge.trva"));
    const Outcome merged = loadFile(path, m_bytes, m_bytes, true);
    QVERIFY2(merged.ok, qPrintable(merged.error));
    QVERIFY(merged.saved == m_bytes);

    // A bad value in the second half of a merge leaves the network as it was.
    const QByteArray broken = withAttribute(m_bytes, 3 * m_bytes.size() / 4, "maxSpeed", "fast");
    const Outcome refused = loadFile(path, broken, m_bytes, true);
    QVERIFY(!refused.ok);
    QCOMPARE(refused.error, loadStream(broken, m_bytes, true).error);
    QVERIFY(refused.saved == m_bytes);

    // A join adds every object once more under fresh ids.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(m_bytes) == m_bytes.size());
    file.close();
    Network net;
    QVERIFY(net.load(path));
    const int count = net.objectCount();
    QVERIFY2(net.join(path), qPrintable(net.errorString()));
    QCOMPARE(net.objectCount(), 2 * count);
}

void TestIoLarge::otherEncodingsAreReadInOnePass()
{
    // Declared Latin-1: the UTF-8 bytes of the names stand for other letters then, which a second half
    // parsed on its own would read as UTF-8.
    QByteArray latin1 = m_bytes;
    const int end = latin1.indexOf("?>");
    QVERIFY(latin1.startsWith("<?xml") && end > 0);
    latin1.replace(0, end + 2, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    QVERIFY(latin1.indexOf("stra\xC3\x9F", latin1.size() / 2) > 0);
    const Outcome file = loadFile(m_dir.filePath(QStringLiteral("latin1.trva")), latin1, QByteArray(), false);
    const Outcome stream = loadStream(latin1, QByteArray(), false);
    QVERIFY2(file.ok && stream.ok, qPrintable(file.error + stream.error));
    QVERIFY(file.saved == stream.saved);
    QVERIFY(file.saved != m_bytes);
}

QTEST_GUILESS_MAIN(TestIoLarge)
#include "tst_io_large.moc"
