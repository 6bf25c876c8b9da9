// The fast scanner of network files against DocumentParser over QXmlStreamReader: what it reads it reads
// exactly as the parser does (values, names, positions), and whatever it does not read it leaves to the
// parser, never accepting what the parser refuses.

#include "everykind.h"

#include "io/documentparser.h"
#include "io/documentscanner.h"
#include "io/objectkind.h"
#include "network.h"
#include "saves.h"
#include "sumo/sumonetimporter.h"

#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>

using namespace Trelvoa;
using TestSupport::saveAsFile;

namespace {

struct Parsed
{
    bool ok = false;
    QString error;
    SavedDocument document;
};

Parsed parse(const QByteArray &bytes, const DocumentParser::Progress &progress = {})
{
    Parsed out;
    QXmlStreamReader reader(bytes);
    DocumentParser parser(reader);
    parser.setProgress(progress);
    out.ok = parser.parseDocument(&out.document);
    out.error = parser.errorString();
    return out;
}

DocumentScanner::Result scan(const QByteArray &bytes, SavedDocument *document, bool rootClosedAtEnd = false)
{
    DocumentScanner scanner(bytes.constData(), bytes.size());
    scanner.setRootClosedAtEnd(rootClosedAtEnd);
    return scanner.scan(document);
}

// Every field of a document, one line per object.
QStringList dump(const SavedDocument &d)
{
    const auto n = [](double v) { return QLatin1Char(' ') + QString::number(v); };
    const auto at = [](const SavedPosition &p) {
        return QStringLiteral(" @") + QString::number(p.line) + QLatin1Char(':') + QString::number(p.column);
    };
    // The parser keeps an empty text apart from a missing one.
    const auto text = [](const QString &s) {
        return s.isNull() ? QStringLiteral(" null") : QStringLiteral(" \"") + s + QLatin1Char('"');
    };
    const auto attributes = [&](const QVector<SavedAttribute> &list) {
        QString out;
        for (const SavedAttribute &a : list) {
            out += text(a.name) + text(a.value.toString()) + n(a.property)
                + n(a.schema != nullptr);
        }
        return out;
    };
    std::function<QString(const SavedValue &)> value = [&](const SavedValue &v) {
        QString out = QStringLiteral(" [") + text(v.name) + n(v.type) + text(v.text) + at(v.position);
        for (const SavedValue &item : v.items)
            out += value(item);
        return out + QLatin1Char(']');
    };
    QStringList lines;
    lines << n(d.version) + n(d.fragment) + at(d.position) + n(d.hasProjection)
            + text(QString::fromUtf8(d.projection)) + n(d.offset.x()) + n(d.offset.y()) + n(d.hasBound)
            + text(d.boundText) + n(d.bound.x()) + n(d.bound.y()) + n(d.bound.width()) + n(d.bound.height());
    for (const SavedObject &o : d.objects) {
        QString line = (o.kind ? o.kind->tag : QStringLiteral("?")) + n(o.id) + n(o.parent) + n(o.parentId)
            + n(o.index) + n(o.partial) + at(o.position) + attributes(o.attributes);
        for (const SavedValue &v : o.dynamicProperties)
            line += value(v);
        for (const SavedItem &item : o.items)
            line += QStringLiteral(" <") + text(item.tag) + attributes(item.attributes) + at(item.position)
                + '>';
        for (int child : o.children)
            line += QStringLiteral(" child") + n(child);
        lines << line;
    }
    QString roots = QStringLiteral("roots");
    for (int root : d.roots)
        roots += n(root);
    lines << roots;
    QList<int> ids = d.indexById.keys();
    std::sort(ids.begin(), ids.end());
    for (int id : qAsConst(ids))
        lines << QStringLiteral("id") + n(id) + n(d.indexById.value(id));
    return lines;
}

// The first difference between two documents; empty when there is none.
QString difference(const SavedDocument &scanned, const SavedDocument &parsed)
{
    const QStringList a = dump(scanned);
    const QStringList b = dump(parsed);
    for (int i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (a.value(i) != b.value(i))
            return QStringLiteral("scanned: %1\nparsed:  %2").arg(a.value(i), b.value(i));
    }
    return QString();
}

// The scanner reads bytes to the same document as the parser.
void expectScannedAsParsed(const QByteArray &bytes)
{
    const Parsed parsed = parse(bytes);
    QVERIFY2(parsed.ok, qPrintable(parsed.error));
    SavedDocument scanned;
    QCOMPARE(scan(bytes, &scanned), DocumentScanner::Done);
    const QString different = difference(scanned, parsed.document);
    QVERIFY2(different.isEmpty(), qPrintable(different));
}

QByteArray network(const QByteArray &content)
{
    return "<network version=\"1\">\n" + content + "\n</network>\n";
}

} // namespace

class TestIoScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedNetworksAreScannedAsParsed_data();
    void savedNetworksAreScannedAsParsed();
    void craftedInputsAreScannedAsParsed_data();
    void craftedInputsAreScannedAsParsed();
    void othersAreLeftToTheParser_data();
    void othersAreLeftToTheParser();
    void mutationsNeverDiverge();
    void headOfACutFile();
    void progressAndCancel();

private:
    QByteArray m_sample;
    QByteArray m_everyKind;
    QMap<QString, QByteArray> m_real;
};

void TestIoScanner::initTestCase()
{
    QFile sample(QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    m_sample = sample.readAll();
    Network net;
    EveryKind::build(&net);
    m_everyKind = EveryKind::save(&net);
    QVERIFY(!m_everyKind.startsWith("save failed"));

    // The shared real networks in our format; the two smallest, for the sanitizer build's sake (the
    // large ones go through the scanner in tst_io_large).
    for (const char *file :
         {"bologna-pasubio/pasubio_buslanes.net.xml", "berlin-doerpfeldstr/net.net.xml.gz"}) {
        const QString path = QStringLiteral(TRELVO_DATA_DIR "/") + QLatin1String(file);
        if (!QFile::exists(path))
            continue;
        Network real;
        QVERIFY2(importSumoNetwork(&real, path), qPrintable(real.errorString()));
        m_real.insert(QLatin1String(file), saveAsFile(&real));
    }
}

void TestIoScanner::savedNetworksAreScannedAsParsed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("sample") << m_sample;
    QTest::newRow("every kind") << m_everyKind;
    Network net;
    const QMap<QString, NetObject *> objects = EveryKind::build(&net);
    QTest::newRow("every kind, full geometry") << EveryKind::save(&net, true);
    QTest::newRow("fragment") << EveryKind::saveFragment(&net, objects.values());
    for (auto it = m_real.constBegin(); it != m_real.constEnd(); ++it)
        QTest::newRow(qPrintable(it.key())) << it.value();
}

void TestIoScanner::savedNetworksAreScannedAsParsed()
{
    QFETCH(QByteArray, bytes);
    expectScannedAsParsed(bytes);
}

void TestIoScanner::craftedInputsAreScannedAsParsed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray node = "<node id=\"1\" pos=\"0,0\"/>";
    QTest::newRow("empty root") << QByteArray("<network version=\"1\"/>");
    QTest::newRow("root attributes") << QByteArray(
        "<network version=\"1\" fragment=\"true\" projection=\"+proj=utm +zone=32\" offset=\"-5.5,2\" "
        "bound=\"0,0,10,20\">\n</network>");
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + network(node);
    QTest::newRow("declaration") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + network(node);
    QTest::newRow("mark and declaration")
        << "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone='yes' ?>" + network(node);
    QTest::newRow("plain declaration") << "<?xml version=\"1.0\"?>" + network(node);
    QTest::newRow("entities") << network(
        "<node id=\"1\" name=\"a&lt;b&gt;c&amp;d&apos;e&quot;f\" x='\"&apos;'/>");
    QTest::newRow("character references") << network(
        "<node id=\"&#49;&#x32;\" name=\"&#65;&#x42;&#x1F600;&#9;&#10;&#13;&#x20;&#0000067;\" pos=\"1\"/>");
    QTest::newRow("line ends") << QByteArray(
        "<network version=\"1\">\r\n<node\r\nid=\"1\"\rname=\"a\r\nb\rc\nd\"\n"
        "pos=\"1\"/>\r\r\n<node id=\"2\"\r/>\r</network>\r\n");
    QTest::newRow("tabs") << network("\t<node\tid=\"1\"\tname=\"a\tb\"\t/>\t");
    QTest::newRow("characters before attributes") << network(
        "<node id=\"1\" name=\"Bahn\xC3\xBC\x62\x65rgang \xF0\x9F\x98\x80\xE2\x82\xAC\" pos=\"0,0\">"
        "<property name=\"\xF0\x9F\x98\x80\" type=\"QString\">\xC3\xA4\xF0\x9F\x98\x80</property>"
        "<connection id=\"2\" name=\"\xF0\x9F\x98\x80\"/></node><node id=\"3\"/>");
    QTest::newRow("comments") << "<!-- before -->\n<!---->"
            + network("<!-- \xC3\xA4 - -->" + node + "<!--x-->") + "<!-- after -->\n";
    QTest::newRow("quotes and spaces") << network("<node id = '1'  name\n=\n\"it's\" pos='\"'  ></node >");
    QTest::newRow("long value") << network("<node id=\"1\" customShape=\"" + QByteArray(100000, '1')
                                           + "\"/>");
    QTest::newRow("items") << network("<taz id=\"1\">\n <link edge=\"2\" position=\"0.5\" source=\"true\"/>\n"
                                      " <link edge=\"3\" position=\"1\"></link>\n <cell/></taz>");
    QTest::newRow("objects in objects")
        << network("<node id=\"1\"><connection id=\"2\" from=\"3\"/></node>"
                   "<customObject id=\"4\"><customObject id=\"5\"><customObject id=\"6\" index=\"2\"/>"
                   "</customObject></customObject>");
    QTest::newRow("geometry") << network("<node id=\"1\"><geometry><a x=\"1\">text &amp; &#65; ] \xC3\xA4<b/>"
                                         "<!-- c --></a><a/></geometry><geometry/></node>");
    QTest::newRow("scalar properties")
        << network("<node id=\"1\">\n"
                   "<property name=\"i\" type=\"int\">-42</property>\n"
                   "<property name=\"d\" type=\"double\">0.1</property>\n"
                   "<property name=\"b\" type=\"bool\">true</property>\n"
                   "<property name=\"s\" type=\"QString\">a&lt;&#13;&#10;b\r\nc\rd<!-- x -->e</property>\n"
                   "<property name=\"blank\" type=\"QString\">  \n </property>\n"
                   "<property name=\"none\" type=\"QString\"></property>\n"
                   "<property name=\"empty\" type=\"QString\"/>\n"
                   "<property name=\"comment\" type=\"QString\"><!-- only --></property>\n"
                   "<property name='p' type='QPointF'>1.5,-2</property>\n"
                   "<property name=\"t\" type=\"QTime\">07:30:00</property>\n"
                   "</node>");
    QTest::newRow("list and map properties") << network(
        "<node id=\"1\"><property name=\"l\" type=\"QVariantList\">\n <value type=\"int\">1</value>\n"
        " <value type=\"QVariantMap\"><value key=\"\" type=\"QString\">x</value>"
        "<value key=\"k\" type=\"QVariantList\"/></value>\n</property>"
        "<property name=\"m\" type=\"QVariantMap\"/></node>");
    QTest::newRow("fragment") << QByteArray("<network version=\"1\" fragment=\"1\">"
                                            "<lane id=\"5\" parent=\"3\" index=\"0\"/>"
                                            "<edge id=\"3\" partial=\"true\" start=\"1\"/></network>");
    QTest::newRow("index of a nested object is an attribute")
        << network("<edge id=\"3\"><lane id=\"5\" index=\"x\"/></edge>");
}

void TestIoScanner::craftedInputsAreScannedAsParsed()
{
    QFETCH(QByteArray, bytes);
    expectScannedAsParsed(bytes);
}

void TestIoScanner::othersAreLeftToTheParser_data()
{
    // The parser's own faults, malformed XML, and the rarer XML the scanner leaves to the parser.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("parses");
    const auto row = [](const char *name, const QByteArray &bytes, bool parses) {
        QTest::newRow(name) << bytes << parses;
    };
    row("no root", "<!-- nothing -->", false);
    row("empty", "", false);
    row("other root", "<net version=\"1\"/>", false);
    row("no version", "<network/>", false);
    row("later version", "<network version=\"2\"/>", false);
    row("bad offset", "<network version=\"1\" offset=\"inf,0\"/>", false);
    row("bad bound", "<network version=\"1\" bound=\"0,0\"/>", false);
    row("unknown root attribute", "<network version=\"1\" colour=\"red\"/>", false);
    row("unknown element", network("<lorry id=\"1\"/>"), false);
    row("property at the top", network("<property name=\"a\" type=\"int\">1</property>"), false);
    row("no id", network("<node pos=\"0,0\"/>"), false);
    row("invalid id", network("<node id=\"1x\"/>"), false);
    row("zero id", network("<node id=\"0\"/>"), false);
    row("id used twice", network("<node id=\"1\"/><edge id=\"2\"><lane id=\"1\"/></edge>"), false);
    row("nested object names a parent", network("<edge id=\"2\"><lane id=\"3\" parent=\"2\"/></edge>"),
        false);
    row("index without parent", network("<lane id=\"3\" index=\"0\"/>"), false);
    row("negative index", network("<lane id=\"3\" parent=\"2\" index=\"-1\"/>"), false);
    row("bad partial", network("<edge id=\"2\" partial=\"yes\"/>"), false);
    row("partial with children", network("<edge id=\"2\" partial=\"true\"><lane id=\"3\"/></edge>"), false);
    row("text in an object", network("<node id=\"1\">x</node>"), false);
    row("text in the root", network("x"), false);
    row("blank by reference", network("<node id=\"1\">&#32;</node>"), false);
    row("element in an item", network("<taz id=\"1\"><link><x/></link></taz>"), false);
    row("property given twice",
        network("<node id=\"1\"><property name=\"a\" type=\"int\">1</property>"
                "<property name=\"a\" type=\"int\">2</property></node>"),
        false);
    row("bad property value", network("<node id=\"1\"><property name=\"a\" type=\"int\">x</property></node>"),
        false);
    row("property without name", network("<node id=\"1\"><property type=\"int\">1</property></node>"), false);
    row("property with empty name",
        network("<node id=\"1\"><property name=\"\" type=\"int\">1</property></node>"), false);
    row("unknown property attribute",
        network("<node id=\"1\"><property name=\"a\" type=\"int\" unit=\"m\">1</property></node>"), false);
    row("unsupported type", network("<node id=\"1\"><property name=\"a\" type=\"QFont\">x</property></node>"),
        false);
    row("no type", network("<node id=\"1\"><property name=\"a\">x</property></node>"), false);
    row("element in a property",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\"><b/></property></node>"), false);
    row("map entry without key",
        network("<node id=\"1\"><property name=\"m\" type=\"QVariantMap\"><value type=\"int\">1</value>"
                "</property></node>"),
        false);
    row("map key twice",
        network(
            "<node id=\"1\"><property name=\"m\" type=\"QVariantMap\"><value key=\"a\" type=\"int\">1</value>"
            "<value key=\"a\" type=\"int\">2</value></property></node>"),
        false);
    row("list entry with key",
        network(
            "<node id=\"1\"><property name=\"l\" type=\"QVariantList\"><value key=\"\" type=\"int\">1</value>"
            "</property></node>"),
        false);
    row("other element in a list",
        network("<node id=\"1\"><property name=\"l\" type=\"QVariantList\"><entry type=\"int\">1</entry>"
                "</property></node>"),
        false);
    QByteArray deepValue = "<value type=\"int\">1</value>";
    for (int i = 0; i < 16; ++i)
        deepValue = "<value type=\"QVariantList\">" + deepValue + "</value>";
    row("values nested too deeply",
        network("<node id=\"1\"><property name=\"l\" type=\"QVariantList\">" + deepValue
                + "</property></node>"),
        false);
    QByteArray geometry;
    for (int i = 0; i < 16; ++i)
        geometry = "<g>" + geometry + "</g>";
    row("geometry nested too deeply", network("<node id=\"1\"><geometry>" + geometry + "</geometry></node>"),
        false);
    QByteArray objects = "<customObject id=\"100\"/>";
    for (int i = 1; i <= 64; ++i)
        objects = "<customObject id=\"" + QByteArray::number(i) + "\">" + objects + "</customObject>";
    row("objects nested too deeply", network(objects), false);

    // Malformed XML.
    row("mismatched end tag", network("<node id=\"1\"></nodes>"), false);
    row("unclosed element", "<network version=\"1\"><node id=\"1\">", false);
    row("truncated tag", "<network version=\"1\"><node id=\"1\"", false);
    row("bare ampersand", network("<node id=\"1\" name=\"a & b\"/>"), false);
    row("unknown entity", network("<node id=\"1\" name=\"&nbsp;\"/>"), false);
    row("unknown entity in text",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\">&nbsp;</property></node>"), false);
    row("less-than in a value", network("<node id=\"1\" name=\"a<b\"/>"), false);
    row("attribute given twice", network("<node id=\"1\" name=\"a\" name=\"b\"/>"), false);
    row("no space between attributes", network("<node id=\"1\"name=\"a\"/>"), false);
    row("attribute without value", network("<node id=\"1\" name/>"), false);
    row("unquoted value", network("<node id=1/>"), false);
    row("invalid UTF-8", network("<node id=\"1\" name=\"\xFF\"/>"), false);
    row("overlong UTF-8", network("<node id=\"1\" name=\"\xC0\x80\"/>"), false);
    row("surrogate in UTF-8", network("<node id=\"1\" name=\"\xED\xA0\x80\"/>"), false);
    row("cut UTF-8", network("<node id=\"1\" name=\"\xE2\x82\"/>"), false);
    row("U+FFFE", network("<node id=\"1\" name=\"\xEF\xBF\xBE\"/>"), false);
    row("control character", network("<node id=\"1\" name=\"a\x01\"/>"), false);
    row("control character in text",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\">\x1F</property></node>"), false);
    row("reference to NUL", network("<node id=\"1\" name=\"&#0;\"/>"), false);
    row("reference to a surrogate", network("<node id=\"1\" name=\"&#xD800;\"/>"), false);
    row("reference past Unicode", network("<node id=\"1\" name=\"&#x110000;\"/>"), false);
    row("reference with capital X", network("<node id=\"1\" name=\"&#X41;\"/>"), false);
    row("double hyphen in a comment", network("<!-- a -- b -->"), false);
    row("unclosed comment", "<network version=\"1\"><!-- a", false);
    row("end of CDATA in text",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\">]]></property></node>"), false);
    row("document type", "<!DOCTYPE network>" + network(""), false);
    row("two roots", network("") + "<network version=\"1\"/>", false);
    row("text after the root", network("") + "x", false);
    row("prefixed name", network("<a:node id=\"1\"/>"), false);
    row("space before the name", network("< node id=\"1\"/>"), false);
    row("declaration not first", " <?xml version=\"1.0\"?>" + network(""), false);

    // Well-formed, but not for the scanner.
    row("CDATA",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\"><![CDATA[x]]></property></node>"),
        true);
    row("processing instruction", network("<?tool x?>"), true);
    row("namespace declaration", "<network version=\"1\" xmlns=\"urn:x\"/>", true);
    row("other encoding",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + network("<node id=\"1\" name=\"\xE4\"/>"), true);
    row("brackets in text",
        network("<node id=\"1\"><property name=\"a\" type=\"QString\">a]]b</property></node>"), true);
    QByteArray properties;
    for (int i = 0; i < 65; ++i)
        properties += "<property name=\"p" + QByteArray::number(i) + "\" type=\"int\">1</property>";
    row("many properties", network("<node id=\"1\">" + properties + "</node>"), true);
    QByteArray items;
    for (int i = 0; i < 1100; ++i)
        items += "<t" + QByteArray::number(i) + "/>";
    row("many names", network("<node id=\"1\">" + items + "</node>"), true);
}

void TestIoScanner::othersAreLeftToTheParser()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, parses);
    const Parsed parsed = parse(bytes);
    QCOMPARE(parsed.ok, parses);
    SavedDocument scanned;
    QCOMPARE(scan(bytes, &scanned), DocumentScanner::Declined);
}

void TestIoScanner::mutationsNeverDiverge()
{
    // Flipped, dropped and duplicated bytes, and snippets that values and text may or may not hold: the
    // scanner reads what it reads as the parser does and declines all else.
    QRandomGenerator random(11);
    int done = 0;
    for (int round = 0; round < 1000; ++round) {
        QByteArray input = m_everyKind;
        const int edits = 1 + int(random.bounded(3));
        for (int e = 0; e < edits; ++e) {
            const int at = int(random.bounded(input.size()));
            switch (random.bounded(6)) {
            case 0:
                input[at] = char(random.bounded(256));
                break;
            case 1:
                input.remove(at, 1 + int(random.bounded(8)));
                break;
            case 2:
                input.insert(at, input.mid(int(random.bounded(input.size())), 1 + int(random.bounded(40))));
                break;
            case 3:
                input[at] = "<>\"'&;#/=!-]?\r\n\t 0x"[random.bounded(19)];
                break;
            default: {
                // What values and text may hold, and what they may not.
                static const char *const snippets[] = {"&amp;",      "&#10;",
                                                       "&#x1F600;",  "&#13;",
                                                       "\r\n",       "\r",
                                                       "\n",         "\t",
                                                       "\xC3\xA4",   "\xF0\x9F\x98\x80",
                                                       "<!-- c -->", "]]",
                                                       "&#0;",       "\xED\xA0\x80",
                                                       "\x01",       "&#32;",
                                                       "<",          "&",
                                                       "'",          "\""};
                input.insert(at, snippets[random.bounded(int(sizeof snippets / sizeof *snippets))]);
                break;
            }
            }
        }
        SavedDocument scanned;
        if (scan(input, &scanned) != DocumentScanner::Done)
            continue;
        ++done;
        const Parsed parsed = parse(input);
        QVERIFY2(parsed.ok, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(parsed.error)));
        const QString different = difference(scanned, parsed.document);
        QVERIFY2(different.isEmpty(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(different)));
    }
    // About one edited document in ten is still well-formed.
    QVERIFY(done > 60);
}

void TestIoScanner::headOfACutFile()
{
    // Cut at the start of any line: the head with its root closed at the end reads as the parser reads
    // it with "</network>" after it, and a cut between two top-level elements (indented by one space)
    // always reads.
    const QByteArray &bytes = m_sample;
    int cuts = 0;
    for (int at = bytes.indexOf('\n') + 1; at > 0; at = bytes.indexOf('\n', at) + 1) {
        const QByteArray head = bytes.left(at);
        SavedDocument scanned;
        const DocumentScanner::Result result = scan(head, &scanned, true);
        const bool topLevel = bytes.mid(at, 3).startsWith(" <") && bytes.mid(at, 3) != " </";
        if (topLevel) {
            QCOMPARE(result, DocumentScanner::Done);
            ++cuts;
        }
        if (result != DocumentScanner::Done)
            continue;
        const Parsed parsed = parse(head + "</network>\n");
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        const QString different = difference(scanned, parsed.document);
        QVERIFY2(different.isEmpty(), qPrintable(different));
    }
    QVERIFY(cuts > 10);
    // A head whose root is already closed, or never opened, is no head.
    SavedDocument scanned;
    QCOMPARE(scan(bytes, &scanned, true), DocumentScanner::Declined);
    QCOMPARE(scan("<network version=\"1\"/>\n", &scanned, true), DocumentScanner::Declined);
    QCOMPARE(scan("<!-- x -->\n", &scanned, true), DocumentScanner::Declined);
}

void TestIoScanner::progressAndCancel()
{
    QByteArray bytes = "<network version=\"1\">\n";
    for (int i = 1; i <= 9000; ++i)
        bytes += " <node id=\"" + QByteArray::number(i) + "\" pos=\"0,0\"/>\n";
    bytes += "</network>\n";

    // Called at the same objects with the same bytes read (all ASCII: the parser counts characters).
    struct Call
    {
        qint64 bytes;
        int objects;
        bool operator==(const Call &o) const { return bytes == o.bytes && objects == o.objects; }
    };
    QVector<Call> parserCalls;
    QVector<Call> scannerCalls;
    const auto recorder = [](QVector<Call> *calls, int stopAt) {
        return [calls, stopAt](qint64 bytes, int objects) {
            calls->append({bytes, objects});
            return objects < stopAt;
        };
    };
    const Parsed whole = parse(bytes, recorder(&parserCalls, 1 << 30));
    QVERIFY(whole.ok);
    SavedDocument scanned;
    DocumentScanner scanner(bytes.constData(), bytes.size());
    scanner.setProgress(recorder(&scannerCalls, 1 << 30));
    QCOMPARE(scanner.scan(&scanned), DocumentScanner::Done);
    QCOMPARE(scannerCalls.size(), 2);
    QVERIFY(scannerCalls == parserCalls);

    // Cancelled at the second call, with the parser's message.
    parserCalls.clear();
    scannerCalls.clear();
    const Parsed cancelled = parse(bytes, recorder(&parserCalls, 8192));
    QVERIFY(!cancelled.ok);
    DocumentScanner stopped(bytes.constData(), bytes.size());
    stopped.setProgress(recorder(&scannerCalls, 8192));
    QCOMPARE(stopped.scan(&scanned), DocumentScanner::Cancelled);
    QCOMPARE(stopped.errorString(), cancelled.error);
    QVERIFY(stopped.errorString().endsWith(QStringLiteral("loading was cancelled")));
    QVERIFY(scannerCalls == parserCalls);
}

QTEST_GUILESS_MAIN(TestIoScanner)
#include "tst_io_scanner.moc"
