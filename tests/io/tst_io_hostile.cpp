// Corrupt and hostile input: every load fails with a message naming the place and the cause, and the
// network stays exactly as it was (for replace and for merge loads).

#include "everykind.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "odmatrix.h"
#include "stopline.h"
#include "taz.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Trelvoa;

namespace {

// A small valid document to break in different ways.
const char *kValid = R"(<?xml version="1.0" encoding="UTF-8"?>
<network version="1" bound="0,0,100,1">
 <node id="1" pos="0,0" type="1" autoShape="true" attachedEdgeGroup="0"/>
 <node id="2" pos="100,0" type="0" autoShape="true" attachedEdgeGroup="0"/>
 <edge id="3" start="1" end="2" group="0" autoSkeleton="true" lanesOffset="0" street_name="">
  <lane id="4" width="3.5" maxSpeed="50" allowed="vcPassenger">
   <stopline id="5" autoDistance="true"/>
   <stopline id="6" autoDistance="true"/>
  </lane>
 </edge>
</network>
)";

QByteArray valid()
{
    return QByteArray(kValid);
}

} // namespace

class TestIoHostile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void malformed_data();
    void malformed();
    void sameValueOtherText();
    void truncatedAnywhere();
    void hugeAttributeValue();
    void refusedValueInMergeRollsBack();
    void mergeWithWrongKindOrOwner();
    void randomMutationsNeverHurt();
    void fuzzRegressions();
    void longListsStayLinear();

private:
    void expectRefused(const QByteArray &input, bool merge, const QString &cause);
    Network m_net;
    QByteArray m_before;
};

void TestIoHostile::init()
{
    m_net.clear();
    EveryKind::build(&m_net);
    m_before = EveryKind::save(&m_net);
}

void TestIoHostile::expectRefused(const QByteArray &input, bool merge, const QString &cause)
{
    QString error;
    QVERIFY2(!EveryKind::load(&m_net, input, merge, &error), input.left(200).constData());
    QVERIFY2(error.contains(QStringLiteral("Line ")) && error.contains(QStringLiteral("column")), qPrintable(error));
    QVERIFY2(error.contains(cause, Qt::CaseInsensitive), qPrintable(error + QStringLiteral(" / expected: ") + cause));
    QVERIFY2(EveryKind::save(&m_net) == m_before, "the network changed");
}

void TestIoHostile::malformed_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("cause");
    const QByteArray v = valid();
    auto replaced = [&](const char *from, const char *to) {
        QByteArray b = v;
        b.replace(from, to);
        Q_ASSERT(b != v);
        return b;
    };
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("ends early");
    QTest::newRow("not xml") << QByteArray("hello") << false << QStringLiteral("line 1");
    QTest::newRow("other root") << QByteArray("<net version=\"1\"/>") << false << QStringLiteral("<net>");
    QTest::newRow("no version") << replaced(" version=\"1\"", "") << false << QStringLiteral("no version");
    QTest::newRow("newer version") << replaced("version=\"1\" bound", "version=\"7\" bound") << false
                                   << QStringLiteral("version 7");
    QTest::newRow("wrong nesting") << replaced("  </lane>\n </edge>", "  </edge>\n </lane>") << false
                                   << QStringLiteral("line");
    QTest::newRow("lane at top level") << replaced(" <edge id=\"3\" start=\"1\" end=\"2\" group=\"0\" autoSkeleton=\"true\" lanesOffset=\"0\" street_name=\"\">", "").replace(" </edge>\n", "")
                                       << false << QStringLiteral("cannot be a top-level object");
    QTest::newRow("stopline under node") << replaced("<node id=\"2\" pos=\"100,0\" type=\"0\" autoShape=\"true\" attachedEdgeGroup=\"0\"/>",
                                                     "<node id=\"2\" pos=\"100,0\"><stopline id=\"9\"/></node>")
                                         << false << QStringLiteral("cannot belong to");
    QTest::newRow("lane without its lines") << replaced("<stopline id=\"6\" autoDistance=\"true\"/>", "") << false
                                            << QStringLiteral("exactly");
    QTest::newRow("missing reference") << replaced("end=\"2\"", "end=\"77\"") << false << QStringLiteral("id 77");
    QTest::newRow("reference of the wrong kind") << replaced("end=\"2\"", "end=\"4\"") << false
                                                 << QStringLiteral("where a Trelvoa::Node is needed");
    QTest::newRow("duplicate id") << replaced("<node id=\"2\"", "<node id=\"1\"") << false
                                  << QStringLiteral("id 1 is used twice");
    QTest::newRow("no id") << replaced("<node id=\"2\"", "<node") << false << QStringLiteral("has no id");
    QTest::newRow("negative id") << replaced("<node id=\"2\"", "<node id=\"-2\"") << false << QStringLiteral("invalid id");
    QTest::newRow("non-numeric coordinate") << replaced("pos=\"100,0\"", "pos=\"1oo,0\"") << false
                                            << QStringLiteral("is not a value of type QPointF");
    QTest::newRow("coordinate not finite") << replaced("pos=\"100,0\"", "pos=\"nan,0\"") << false
                                           << QStringLiteral("refuses pos");
    QTest::newRow("refused width") << replaced("width=\"3.5\"", "width=\"-1\"") << false << QStringLiteral("refuses width");
    // A zone's link is clamped to its road (100 m): read back, the item differs.
    const QByteArray zone = " <taz id=\"7\">\n  <link edge=\"3\" position=\"%1\" source=\"true\"/>\n </taz>\n</network>";
    QTest::newRow("link beyond its road") << replaced("</network>", QString::fromLatin1(zone).arg(500).toLatin1().constData())
                                          << false << QStringLiteral("refuses its <link> elements");
    QTest::newRow("link before its road") << replaced("</network>", QString::fromLatin1(zone).arg(-2).toLatin1().constData())
                                          << false << QStringLiteral("refuses its <link> elements");
    QTest::newRow("unknown attribute") << replaced("autoDistance=\"true\"/>\n  </lane>", "autoDistance=\"true\" colour=\"red\"/>\n  </lane>")
                                       << false << QStringLiteral("unknown attribute \"colour\"");
    QTest::newRow("unknown class name") << replaced("allowed=\"vcPassenger\"", "allowed=\"vcSpaceship\"") << false
                                        << QStringLiteral("is not a value of");
    QTest::newRow("text in an object") << replaced("<node id=\"2\" pos=\"100,0\" type=\"0\" autoShape=\"true\" attachedEdgeGroup=\"0\"/>",
                                                   "<node id=\"2\">oops</node>")
                                       << false << QStringLiteral("unexpected text");
    QTest::newRow("bad dynamic property") << replaced("<node id=\"1\" pos=\"0,0\" type=\"1\" autoShape=\"true\" attachedEdgeGroup=\"0\"/>",
                                                      "<node id=\"1\"><property name=\"x\" type=\"int\">12a</property></node>")
                                          << false << QStringLiteral("not a value of type int");
    QTest::newRow("unsupported dynamic type") << replaced("<node id=\"1\" pos=\"0,0\" type=\"1\" autoShape=\"true\" attachedEdgeGroup=\"0\"/>",
                                                          "<node id=\"1\"><property name=\"x\" type=\"QWidget*\">1</property></node>")
                                              << false << QStringLiteral("unsupported value type");
    QTest::newRow("bad bound") << replaced("bound=\"0,0,100,1\"", "bound=\"0,0,x,1\"") << false << QStringLiteral("invalid bound");
    QTest::newRow("bad projection") << replaced("bound=\"0,0,100,1\"", "projection=\"+proj=nonsense\"") << false
                                    << QStringLiteral("projection");
    QTest::newRow("document type") << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE network [<!ENTITY a \"x\">]>\n") + v.mid(v.indexOf("<network"))
                                   << false << QStringLiteral("document type");
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        laughs += QStringLiteral(" <!ENTITY lol%1 \"").arg(i).toUtf8();
        for (int j = 0; j < 10; ++j)
            laughs += QStringLiteral("&lol%1;").arg(i - 1 == 0 ? QString() : QString::number(i - 1)).toUtf8();
        laughs += "\">\n";
    }
    laughs += "]>\n<network version=\"1\"><customObject id=\"1\" name=\"&lol9;\"/></network>\n";
    QTest::newRow("billion laughs") << laughs << false << QStringLiteral("document type");
    QTest::newRow("undeclared entity") << replaced("street_name=\"\"", "street_name=\"&boom;\"") << false
                                       << QStringLiteral("line");
    QByteArray deep = "<network version=\"1\">";
    for (int i = 1; i <= 100; ++i)
        deep += QStringLiteral("<customObject id=\"%1\">").arg(i).toUtf8();
    for (int i = 1; i <= 100; ++i)
        deep += "</customObject>";
    deep += "</network>";
    QTest::newRow("deep nesting") << deep << false << QStringLiteral("nested deeper");
    QTest::newRow("two roots") << v + "<network version=\"1\"/>" << false << QStringLiteral("line");
    QTest::newRow("merge: missing reference")
        << QByteArray("<network version=\"1\"><node id=\"9000\" pos=\"0,0\"/><edge id=\"9001\" start=\"9000\" end=\"99999\"/></network>")
        << true << QStringLiteral("neither in the input nor in the network");
    QTest::newRow("merge: owner not in the network")
        << QByteArray("<network version=\"1\" fragment=\"true\"><detector id=\"9000\" parent=\"88888\"/></network>")
        << true << QStringLiteral("neither in the input nor in the network");
}

void TestIoHostile::malformed()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, merge);
    QFETCH(QString, cause);
    expectRefused(input, merge, cause);
}

void TestIoHostile::sameValueOtherText()
{
    // Values the model keeps as they are, written otherwise than it writes them: the load stands.
    QByteArray input = valid();
    input.replace("</network>", " <taz id=\"7\">\n  <link source=\"false\" position=\"1.0e1\" edge=\"3\"/>\n </taz>\n</network>");
    input.replace("type=\"1\"", "type=\"01\"");
    QString error;
    QVERIFY2(EveryKind::load(&m_net, input, false, &error), qPrintable(error));
    auto *taz = m_net.findChildren<Taz *>().value(0);
    QVERIFY(taz);
    QCOMPARE(taz->edges().size(), 1);
    QCOMPARE(taz->edgeData(taz->edges().first())->position, 10.0);
    QCOMPARE(taz->edgeData(taz->edges().first())->flag, false);
}

void TestIoHostile::truncatedAnywhere()
{
    const QByteArray full = m_before;
    for (int cut = 0; cut < full.size() - 12; cut += 97) {
        QString error;
        QVERIFY2(!EveryKind::load(&m_net, full.left(cut), false, &error), qPrintable(QString::number(cut)));
        QVERIFY2(error.contains(QStringLiteral("Line ")), qPrintable(error));
    }
    QVERIFY(EveryKind::save(&m_net) == m_before);
}

void TestIoHostile::hugeAttributeValue()
{
    QByteArray input = "<network version=\"1\"><customObject id=\"1\" name=\"";
    input += QByteArray(50 * 1024 * 1024, 'a');
    input += "\"/></network>";
    expectRefused(input, false, QStringLiteral("longer than"));
}

void TestIoHostile::refusedValueInMergeRollsBack()
{
    // A snapshot of the whole network where the last object carries a value the model refuses: the
    // objects the merge already changed and made must be put back.
    QList<NetObject *> all;
    for (QObject *c : m_net.children()) {
        if (auto *o = qobject_cast<NetObject *>(c))
            all.append(o);
    }
    QByteArray snapshot = EveryKind::saveFragment(&m_net, all);
    auto *edge = m_net.findChildren<Edge *>().first();
    Lane *lane = edge->lane(0);
    const int laneId = lane->id();
    delete lane;                               // re-created by the merge, then dropped again
    edge->setLanesOffset(1.5);                 // brought back by the merge, then restored
    m_before = EveryKind::save(&m_net);
    const int pos = snapshot.lastIndexOf("duration=\"1800\"");
    QVERIFY(pos > 0);
    snapshot.replace(pos, 15, "duration=\"-5\"");
    QString error;
    QVERIFY(!EveryKind::load(&m_net, snapshot, true, &error));
    QVERIFY2(error.contains(QStringLiteral("refuses duration")), qPrintable(error));
    QVERIFY(!m_net.findObject(laneId));
    QCOMPARE(edge->lanesOffset(), 1.5);
    QVERIFY(EveryKind::save(&m_net) == m_before);
}

void TestIoHostile::mergeWithWrongKindOrOwner()
{
    auto *edge = m_net.findChildren<Edge *>().first();
    const QByteArray wrongKind = QStringLiteral("<network version=\"1\"><node id=\"%1\" pos=\"0,0\"/></network>").arg(edge->id()).toUtf8();
    expectRefused(wrongKind, true, QStringLiteral("in the network"));
    auto *other = m_net.findChildren<Edge *>().last();
    // A lane cannot move to another edge by a merge.
    const QByteArray moved = QStringLiteral("<network version=\"1\"><lane id=\"%1\" parent=\"%2\"><stopline id=\"%3\"/><stopline id=\"%4\"/></lane></network>")
                                 .arg(edge->lane(0)->id())
                                 .arg(other->id())
                                 .arg(edge->lane(0)->stopline()->id())
                                 .arg(edge->lane(0)->startline()->id())
                                 .toUtf8();
    expectRefused(moved, true, QStringLiteral("another owner"));
}

void TestIoHostile::randomMutationsNeverHurt()
{
    // Flipped, dropped and duplicated bytes: the load either fails cleanly or gives a network that
    // saves, reloads and saves again to the same bytes.
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray input = m_before;
        const int edits = 1 + int(random.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = int(random.bounded(input.size()));
            switch (random.bounded(4)) {
            case 0:
                input[at] = char(random.bounded(256));
                break;
            case 1:
                input.remove(at, 1 + int(random.bounded(8)));
                break;
            case 2:
                input.insert(at, input.mid(int(random.bounded(input.size())), 1 + int(random.bounded(40))));
                break;
            default:
                input[at] = "<>\"&/=0.-9 "[random.bounded(11)];
                break;
            }
        }
        Network net;
        QString error;
        if (!EveryKind::load(&net, input, false, &error)) {
            QVERIFY2(error.contains(QStringLiteral("Line ")) || error.contains(QStringLiteral("projection")), qPrintable(error));
            QCOMPARE(net.objectCount(), 0);
            continue;
        }
        const QByteArray saved = EveryKind::save(&net);
        Network again;
        QVERIFY2(EveryKind::load(&again, saved, false, &error), qPrintable(error));
        QVERIFY(EveryKind::save(&again) == saved);
    }
}

void TestIoHostile::fuzzRegressions()
{
    // Inputs that once broke the loader (tests/io/fuzz): they must load or fail cleanly.
    const QDir dir(QStringLiteral(TRELVO_SOURCE_DIR "/tests/io/fuzz/regressions"));
    const QStringList files = dir.entryList({QStringLiteral("*.trva")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        Network net;
        QString error;
        if (!EveryKind::load(&net, file.readAll(), false, &error)) {
            QVERIFY2(!error.isEmpty(), qPrintable(name));
            QCOMPARE(net.objectCount(), 0);
            continue;
        }
        const QByteArray saved = EveryKind::save(&net);
        Network again;
        QVERIFY2(EveryKind::load(&again, saved, false, &error), qPrintable(name + QStringLiteral(": ") + error));
        QVERIFY2(EveryKind::save(&again) == saved, qPrintable(name));
    }
}

void TestIoHostile::longListsStayLinear()
{
    // Many properties on one object and many cells in one matrix: checks that compare each entry with
    // all others would take very long here.
    QByteArray input = "<network version=\"1\"><customObject id=\"1\">";
    for (int i = 0; i < 20000; ++i)
        input += "<property name=\"p" + QByteArray::number(i) + "\" type=\"int\">1</property>";
    input += "</customObject></network>";
    Network net;
    QString error;
    QVERIFY2(EveryKind::load(&net, input, false, &error), qPrintable(error));
    QCOMPARE(net.findObject(1)->dynamicPropertyNames().size(), 20000);

    Network zones;
    QList<Taz *> tazs;
    for (int i = 0; i < 200; ++i) {
        auto *taz = new Taz(&zones, QPointF(i, 0));
        zones.addItem(taz);
        tazs.append(taz);
    }
    auto *matrix = new OdMatrix(&zones);
    zones.addItem(matrix);
    for (int a = 0; a < tazs.size(); ++a) {
        for (int b = a; b < tazs.size(); ++b)
            matrix->setIntensity(tazs.at(a), tazs.at(b), a + b + 1);
    }
    const QByteArray saved = EveryKind::save(&zones);
    Network copy;
    QVERIFY2(EveryKind::load(&copy, saved, false, &error), qPrintable(error));
    QCOMPARE(EveryKind::save(&copy), saved);
}

QTEST_GUILESS_MAIN(TestIoHostile)
#include "tst_io_hostile.moc"
