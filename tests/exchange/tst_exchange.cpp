// Downloads and uploads against a real HTTP(S) server on the loopback address (fakeserver.py): the exact
// requests, the network after each exchange (and after its undo), the dialogs the user sees on refusals,
// credentials and certificates, cancelling, and a round trip of a real city network.

#include "editorfixture.h"
#include "exchangetestkit.h"
#include "saves.h"

#include "editor/editcontext.h"
#include "commands/downloadnetcommand.h"
#include "editor/netedit.h"
#include "exchange/authdlga.h"
#include "exchange/trelvohttpclient.h"
#include "mapview.h"
#include "scene/networkg.h"

#include "edge.h"
#include "lane.h"
#include "network.h"
#include "node.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

struct Logged
{
    QString text;
    QtMsgType type;
};

bool writeFile(const QString &fileName, const QByteArray &data)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setSetting(const QString &group, const QString &key, const QVariant &value)
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(group);
    if (value.isValid())
        settings.setValue(key, value);
    else
        settings.remove(key);
}

QVariant setting(const QString &group, const QString &key)
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(group);
    return settings.value(key);
}

QPainterPath rectPath(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

Layouts::Layout chain(Network *net)
{
    return Layouts::chain(net);
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void areaDownloadQueryAndUndo();
    void directDownloadReplaceJoinAndFailure();
    void failedDownloadCommandKeepsArea();
    void areaActionsEnterSelection();
    void granuleDownload();
    void databaseAddressAsked();
    void uploadAppliesIdMap();
    void vantalExchange();
    void refusedTransfersLeaveNetwork_data();
    void refusedTransfersLeaveNetwork();
    void credentialsKeptForSession();
    void credentialsNotKept();
    void refusedSessionPasswordAsksAgain();
    void credentialsInWallet();
    void certificateTrust();
    void cancelDuringSlowTransfer();
    void roundTripCologne();

private:
    // The editor on the chain layout, its log collected.
    std::unique_ptr<EditorFixture> editor(bool undoStack = true);
    void useDatabase(const QString &path = QStringLiteral("/base/"));

    QTemporaryDir m_dir;
    FakeServer m_server;
    FakeServer m_tlsServer;
    bool m_tls = false;
    QString m_small;        // the four-arm junction in our format
    QString m_smallJoined;  // the same with one more road
    QString m_garbage;
    QByteArray m_smallSave;
    QByteArray m_smallJoinedSave;
    QList<Logged> m_log;
};

void TestExchange::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TrelvoTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_exchange"));
    QVERIFY(m_dir.isValid());

    Network small;
    Layouts::Layout layout = Layouts::fourArm(&small);
    m_smallSave = TestSupport::saveAll(&small);
    Layouts::addNode(layout, QStringLiteral("Z"), QPointF(300, 0));
    Layouts::addRoad(layout, QStringLiteral("E"), QStringLiteral("Z"), 1);
    m_smallJoinedSave = TestSupport::saveAll(&small);
    m_small = m_dir.filePath(QStringLiteral("small.trva"));
    m_smallJoined = m_dir.filePath(QStringLiteral("joined.trva"));
    m_garbage = m_dir.filePath(QStringLiteral("garbage.trva"));
    QVERIFY(writeFile(m_small, m_smallSave));
    QVERIFY(writeFile(m_smallJoined, m_smallJoinedSave));
    QVERIFY(writeFile(m_garbage, "<html><body>Gateway timeout</body></html>"));

    QDir(m_dir.path()).mkpath(QStringLiteral("plain"));
    QVERIFY(m_server.start(m_dir.filePath(QStringLiteral("plain"))));

    if (!QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
        QDir(m_dir.path()).mkpath(QStringLiteral("tls"));
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.setStandardOutputFile(QProcess::nullDevice());
        openssl.setStandardErrorFile(QProcess::nullDevice());
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                       QStringLiteral("-nodes"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert,
                       QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                       QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
        const bool made = openssl.waitForFinished(60000) && openssl.exitCode() == 0;
        m_tls = made && m_tlsServer.start(m_dir.filePath(QStringLiteral("tls")), cert, key);
    }
}

void TestExchange::init()
{
    QSettings().clear();
    TrelvoHttpClient::forgetSessionCredentials();
    m_server.configure({{QStringLiteral("net"), m_small}});
    m_server.clearRequests();
    m_log.clear();
}

void TestExchange::cleanup()
{
    QSettings().clear();
}

std::unique_ptr<EditorFixture> TestExchange::editor(bool undoStack)
{
    EditorFixture::Options options;
    options.undoStack = undoStack;
    auto fixture = std::make_unique<EditorFixture>(chain, options);
    connect(fixture->edit(), &NetEdit::logMessage, this, [this](const QString &text, QtMsgType type) { m_log.append({text, type}); });
    return fixture;
}

void TestExchange::useDatabase(const QString &path)
{
    setSetting(QStringLiteral("RRS"), QStringLiteral("url"), m_server.url(path));
}

void TestExchange::areaDownloadQueryAndUndo()
{
    auto ed = editor();
    useDatabase();
    const QByteArray before = ed->canonicalSave();
    const QPainterPath pathBefore = ed->view()->enabledPath();
    ModalScript script;
    // Negative width: the query carries the normalised rectangle, 8 decimals each.
    const QRectF area(QPointF(12.5, 51.25), QSizeF(-1.5, 0.75));
    ed->edit()->downloadNetworkForArea(area, false);
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));

    const QList<QJsonObject> requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][QStringLiteral("method")].toString(), QStringLiteral("GET"));
    QCOMPARE(requests[0][QStringLiteral("path")].toString(), QStringLiteral("/base/dbget"));
    QCOMPARE(requests[0][QStringLiteral("query")].toString(),
             QStringLiteral("min_lng=11.00000000&min_lat=51.25000000&max_lng=12.50000000&max_lat=52.00000000"));

    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    QCOMPARE(ed->view()->enabledPath(), rectPath(area));
    QCOMPARE(ed->undoStack()->count(), 1);
    ed->undoStack()->undo();
    QCOMPARE(TestSupport::firstDifference(before, ed->canonicalSave()), QString());
    QCOMPARE(ed->view()->enabledPath(), pathBefore);
    ed->undoStack()->redo();
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());

    // A base address without a trailing slash gets exactly one.
    useDatabase(QStringLiteral("/db"));
    m_server.clearRequests();
    ed->edit()->downloadNetworkForArea(QRectF(0, 0, 1, 1), false);
    QCOMPARE(m_server.requests().value(0)[QStringLiteral("path")].toString(), QStringLiteral("/db/dbget"));
}

void TestExchange::directDownloadReplaceJoinAndFailure()
{
    auto ed = editor(false);
    useDatabase();
    ModalScript script;
    const QRectF first(0, 0, 10, 10);
    ed->edit()->downloadNetworkForArea(first, false);
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    QCOMPARE(ed->view()->enabledPath(), rectPath(first));
    QVERIFY(ed->net()->isChanged());

    // Joining widens the editable area and merges the part.
    m_server.configure({{QStringLiteral("net"), m_smallJoined}});
    const QRectF second(20, 0, 10, 10);
    ed->edit()->downloadNetworkForArea(second, true);
    QCOMPARE(TestSupport::firstDifference(m_smallJoinedSave, ed->canonicalSave()), QString());
    QVERIFY(ed->view()->enabledPath().contains(first.center()));
    QVERIFY(ed->view()->enabledPath().contains(second.center()));

    // A part that cannot be loaded leaves the user's network and area exactly as they were.
    const QPainterPath area = ed->view()->enabledPath();
    m_server.configure({{QStringLiteral("net"), m_garbage}});
    for (bool join : {false, true}) {
        m_log.clear();
        ed->edit()->downloadNetworkForArea(QRectF(50, 50, 5, 5), join);
        QCOMPARE(TestSupport::firstDifference(m_smallJoinedSave, ed->canonicalSave()), QString());
        QCOMPARE(ed->view()->enabledPath(), area);
        QCOMPARE(m_log.size(), 1);
        QCOMPARE(m_log[0].type, QtCriticalMsg);
        // The view hidden for the load is shown again.
        QVERIFY(ed->view()->isVisible());
    }
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::failedDownloadCommandKeepsArea()
{
    // Pushed by someone else than the editor: a part that cannot be loaded leaves the editable area too.
    auto ed = editor();
    const QPainterPath area = rectPath(QRectF(1, 1, 2, 2));
    ed->view()->setEnabledPath(area);
    for (bool unite : {false, true}) {
        auto *command = new DownloadNetCommand(ed->edit(), rectPath(QRectF(5, 5, 1, 1)), unite, "<network version=\"1\"><lane");
        ed->undoStack()->push(command);
        QVERIFY(command->failed());
        QCOMPARE(ed->view()->enabledPath(), area);
        ed->undoStack()->undo();
        QCOMPARE(ed->view()->enabledPath(), area);
    }
    // Into an empty network the part goes without a check of its own; a failure still changes nothing,
    // not even the projection.
    EditorFixture empty;
    QVERIFY(empty.net()->setProjection("+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m +no_defs", QPointF(-5, 7)));
    const QByteArray before = empty.canonicalSave();
    DownloadNetCommand garbage(empty.edit(), QPainterPath(), false, "<network version=\"1\"><lane");
    QVERIFY(!garbage.apply());
    QCOMPARE(TestSupport::firstDifference(before, empty.canonicalSave()), QString());
    auto *good = new DownloadNetCommand(empty.edit(), QPainterPath(), false, m_smallSave);
    QVERIFY(good->apply());
    empty.undoStack()->push(good);
    QCOMPARE(TestSupport::firstDifference(m_smallSave, empty.canonicalSave()), QString());
    empty.undoStack()->undo();
    QCOMPARE(TestSupport::firstDifference(before, empty.canonicalSave()), QString());
    empty.undoStack()->redo();
    QCOMPARE(TestSupport::firstDifference(m_smallSave, empty.canonicalSave()), QString());

    // apply() refuses what cannot be loaded before anything is pushed.
    DownloadNetCommand refused(ed->edit(), QPainterPath(), false, "garbage");
    QVERIFY(!refused.apply());
    QCOMPARE(ed->view()->enabledPath(), area);
}

void TestExchange::areaActionsEnterSelection()
{
    auto ed = editor();
    useDatabase();
    QAction *area = ed->action(QStringLiteral("dbArea"));
    QAction *join = ed->action(QStringLiteral("dbAreaAdd"));
    QVERIFY(area && join);
    QVERIFY(ed->edit()->dbActions().contains(area) && ed->edit()->dbActions().contains(join));
    QVERIFY(area->isCheckable() && join->isCheckable());

    QVERIFY(ed->trigger(QStringLiteral("dbArea")));
    QCOMPARE(ed->edit()->mode(), ModeAreaSelection);
    QVERIFY(area->isChecked() && !join->isChecked());
    QVERIFY(!ed->edit()->context()->areaJoinChecked());
    QVERIFY(ed->trigger(QStringLiteral("dbAreaAdd")));
    QCOMPARE(ed->edit()->mode(), ModeAreaSelection);
    QVERIFY(!area->isChecked() && join->isChecked());
    QVERIFY(ed->edit()->context()->areaJoinChecked());
    // Unchecking leaves the mode.
    QVERIFY(ed->trigger(QStringLiteral("dbAreaAdd")));
    QCOMPARE(ed->edit()->mode(), ModeNone);

    // Two clicks pick the area; the download joins as the checked action says.
    ModalScript script;
    ed->edit()->downloadNetworkForArea(QRectF(0, 0, 1, 1), false);
    m_server.clearRequests();
    m_server.configure({{QStringLiteral("net"), m_smallJoined}});
    QVERIFY(ed->trigger(QStringLiteral("dbAreaAdd")));
    ed->click(QPointF(0, 0));
    ed->click(QPointF(100, 10));
    ed->settle();
    QCOMPARE(ed->edit()->mode(), ModeNone);
    QVERIFY(!area->isChecked() && !join->isChecked());
    const QList<QJsonObject> requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][QStringLiteral("path")].toString(), QStringLiteral("/base/dbget"));
    QCOMPARE(TestSupport::firstDifference(m_smallJoinedSave, ed->canonicalSave()), QString());
    QCOMPARE(ed->undoStack()->count(), 2);
    ed->undoStack()->undo();
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.value(0).text));
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::granuleDownload()
{
    auto ed = editor();
    useDatabase();
    ed->view()->setEnabledPath(rectPath(QRectF(0, 0, 5, 5)));
    ModalScript script;
    ed->edit()->downloadGranule(QStringLiteral("42 a&b"));
    const QList<QJsonObject> requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][QStringLiteral("path")].toString(), QStringLiteral("/base/granule"));
    QCOMPARE(QUrlQuery(requests[0][QStringLiteral("query")].toString()).queryItemValue(QStringLiteral("id"), QUrl::FullyDecoded),
             QStringLiteral("42 a&b"));
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    // The whole network is editable after a granule.
    QVERIFY(ed->view()->enabledPath().isEmpty());
    QCOMPARE(ed->undoStack()->count(), 1);
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::databaseAddressAsked()
{
    auto ed = editor();
    const QByteArray before = ed->canonicalSave();
    {
        // Not defined: nothing is asked of the server.
        ModalScript script;
        script.answerBox(QMessageBox::No);
        script.answerBox(QMessageBox::No);
        QVERIFY(ed->edit()->getRRSUrl().isEmpty());
        ed->edit()->downloadGranule(QStringLiteral("1"));
        QVERIFY(script.done());
        QCOMPARE(script.boxTexts.value(0),
                 QStringLiteral("Address of server for exchange with database is not set. Do you want to define it now?"));
        QCOMPARE(m_server.requests().size(), 0);
        QVERIFY(script.unexpected.isEmpty());
    }
    QCOMPARE(ed->canonicalSave(), before);
    ModalScript script;
    script.answerBox(QMessageBox::Yes);
    script.answerInput(m_server.url(QStringLiteral("/entered/")));
    ed->edit()->downloadGranule(QStringLiteral("7"));
    QVERIFY(script.done());
    QCOMPARE(setting(QStringLiteral("RRS"), QStringLiteral("url")).toString(), m_server.url(QStringLiteral("/entered/")));
    QCOMPARE(m_server.requests().value(0)[QStringLiteral("path")].toString(), QStringLiteral("/entered/granule"));
}

void TestExchange::uploadAppliesIdMap()
{
    auto ed = editor();
    useDatabase();
    Node *a = ed->node(QStringLiteral("A"));
    Node *b = ed->node(QStringLiteral("B"));
    const int aId = a->id();
    const int bId = b->id();
    ed->undoStack()->push(new QUndoCommand(QStringLiteral("some edit")));
    ModalScript script;

    // A refused renumbering changes nothing.
    m_server.configure({{QStringLiteral("answer"), QStringLiteral("{\"%1\": 900, \"%2\": 900}").arg(aId).arg(bId)}});
    const QByteArray before = ed->canonicalSave();
    ed->edit()->uploadData("<network/>");
    QCOMPARE(ed->canonicalSave(), before);
    QCOMPARE(m_log.size(), 1);
    QCOMPARE(m_log[0].type, QtCriticalMsg);
    const QJsonObject posted = m_server.requests().value(0);
    QCOMPARE(posted[QStringLiteral("method")].toString(), QStringLiteral("POST"));
    QCOMPARE(posted[QStringLiteral("path")].toString(), QStringLiteral("/base/dbput"));
    QCOMPARE(posted[QStringLiteral("content_type")].toString(), QStringLiteral("text/xml"));
    QCOMPARE(m_server.stored(QStringLiteral("dbput")), QByteArray("<network/>"));

    m_log.clear();
    m_server.configure({{QStringLiteral("answer"), QStringLiteral("not json")}});
    ed->edit()->uploadData("<network/>");
    QCOMPARE(m_log.size(), 1);
    QVERIFY2(m_log[0].text.startsWith(QStringLiteral("JSON parse error at offset ")), qPrintable(m_log[0].text));
    QCOMPARE(ed->canonicalSave(), before);

    m_log.clear();
    m_server.configure({{QStringLiteral("answer"), QStringLiteral("{}")}});
    ed->edit()->uploadData("<network/>");
    QVERIFY(m_log.isEmpty());
    QCOMPARE(ed->canonicalSave(), before);
    QCOMPARE(ed->undoStack()->count(), 1);

    m_server.configure({{QStringLiteral("answer"), QStringLiteral("{\"%1\": 900, \"%2\": \"901\"}").arg(aId).arg(bId)}});
    ed->edit()->uploadData("<network/>");
    QVERIFY(m_log.isEmpty());
    QCOMPARE(a->id(), 900);
    QCOMPARE(b->id(), 901);
    QCOMPARE(ed->net()->findObject(900), a);
    QVERIFY(!ed->net()->findObject(aId));
    // The history named the old ids.
    QCOMPARE(ed->undoStack()->count(), 0);
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::vantalExchange()
{
    auto ed = editor();
    const QString entered = m_server.url(QStringLiteral("/service/"));
    setSetting(QStringLiteral("vantal_web"), QStringLiteral("url"), entered);
    ModalScript script;
    QString offered;
    script.add("QInputDialog", [&offered](QWidget *w) {
        auto *dialog = static_cast<QInputDialog *>(w);
        offered = dialog->windowTitle() + QLatin1Char('|') + dialog->labelText() + QLatin1Char('|') + dialog->textValue();
        dialog->accept();
    });
    ed->edit()->downloadNetworkFromVantal();
    QCOMPARE(offered, QStringLiteral("Download network|download address:|") + entered);
    QList<QJsonObject> requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    // The entered path is dropped.
    QCOMPARE(requests[0][QStringLiteral("path")].toString(), QStringLiteral("/get_net"));
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    QCOMPARE(ed->undoStack()->count(), 1);

    m_server.clearRequests();
    const QString other = m_server.url(QStringLiteral("/elsewhere"));
    script.answerInput(other);
    ed->edit()->uploadNetworkToVantal();
    requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][QStringLiteral("method")].toString(), QStringLiteral("POST"));
    QCOMPARE(requests[0][QStringLiteral("path")].toString(), QStringLiteral("/put_net"));
    QCOMPARE(setting(QStringLiteral("vantal_web"), QStringLiteral("url")).toString(), other);
    Network stored;
    QXmlStreamReader reader(m_server.stored(QStringLiteral("put_net")));
    QVERIFY2(stored.load(reader, false), qPrintable(stored.errorString()));
    QCOMPARE(TestSupport::firstDifference(ed->canonicalSave(), TestSupport::saveAll(&stored)), QString());

    // Cancelling the address ends the exchange.
    m_server.clearRequests();
    script.answerInput(QString(), false);
    ed->edit()->downloadNetworkFromVantal();
    QCOMPARE(m_server.requests().size(), 0);
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::refusedTransfersLeaveNetwork_data()
{
    QTest::addColumn<QJsonObject>("config");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("critical");

    QTest::newRow("redirect") << QJsonObject{{QStringLiteral("net"), m_small}, {QStringLiteral("redirect"), m_server.url(QStringLiteral("/moved"))}}
                              << QStringLiteral("Redirection not supported") << false;
    QTest::newRow("error with body") << QJsonObject{{QStringLiteral("status"), 503}, {QStringLiteral("body"), QStringLiteral("database is down")}}
                                     << QStringLiteral("database is down") << false;
    QTest::newRow("error without body") << QJsonObject{{QStringLiteral("status"), 404}} << QStringLiteral("Download failed: ") << false;
    QTest::newRow("not a network") << QJsonObject{{QStringLiteral("net"), m_garbage}} << QString() << true;
    // Cut off half-way: refused either by the transfer or by the load, never applied.
    QTest::newRow("closed half-way") << QJsonObject{{QStringLiteral("net"), m_small}, {QStringLiteral("truncate"), true}}
                                     << QStringLiteral("?") << false;
}

void TestExchange::refusedTransfersLeaveNetwork()
{
    QFETCH(QJsonObject, config);
    QFETCH(QString, box);
    QFETCH(bool, critical);
    auto ed = editor();
    useDatabase();
    m_server.configure(config);
    ed->view()->setEnabledPath(rectPath(QRectF(1, 1, 2, 2)));
    const QByteArray before = ed->canonicalSave();
    const QPainterPath pathBefore = ed->view()->enabledPath();
    ModalScript script;
    if (!box.isEmpty())
        script.answerBox(QMessageBox::Ok);
    ed->edit()->downloadNetworkForArea(QRectF(0, 0, 10, 10), false);
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
    QCOMPARE(TestSupport::firstDifference(before, ed->canonicalSave()), QString());
    QCOMPARE(ed->view()->enabledPath(), pathBefore);
    QCOMPARE(ed->undoStack()->count(), 0);
    // Never followed: one request only.
    QCOMPARE(m_server.requests().size(), 1);
    if (box == QLatin1String("?")) {
        QVERIFY(!script.boxTexts.isEmpty() || (m_log.size() == 1 && m_log[0].type == QtCriticalMsg));
        if (!script.boxTexts.isEmpty())
            QVERIFY2(script.boxTexts[0].startsWith(QStringLiteral("Download failed: ")), qPrintable(script.boxTexts[0]));
        return;
    }
    if (box.isEmpty()) {
        QVERIFY(script.boxTexts.isEmpty());
    } else {
        QCOMPARE(script.boxTexts.size(), 1);
        QVERIFY2(script.boxTexts[0].startsWith(box), qPrintable(script.boxTexts[0]));
    }
    QCOMPARE(m_log.size(), critical ? 1 : 0);
    if (critical)
        QCOMPARE(m_log[0].type, QtCriticalMsg);
}

void TestExchange::credentialsKeptForSession()
{
    auto ed = editor();
    useDatabase();
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("auth"), QStringLiteral("alice:s3cret")}});
    ModalScript script;
    QString site;
    bool walletShown = true;
    script.add("Trelvoga::AuthDlga", [&](QWidget *w) {
        auto *dialog = static_cast<AuthDlga *>(w);
        site = dialog->siteDescription()->text();
        walletShown = dialog->keepInWallet()->isVisibleTo(dialog);
    });
    script.answerAuth(QStringLiteral("alice"), QStringLiteral("s3cret"), true);
    // The first step only looks: the same dialog is then answered by the second.
    ed->edit()->downloadGranule(QStringLiteral("1"));
    QVERIFY(script.done());
    QCOMPARE(site, QStringLiteral("Trelvo database at 127.0.0.1"));
    // No wallet tool on the path: the option is hidden.
    QVERIFY(!walletShown);
    QCOMPARE(TestSupport::firstDifference(m_smallSave, ed->canonicalSave()), QString());
    QCOMPARE(setting(QStringLiteral("TrelvoHttpClient"), QStringLiteral("last_login")).toString(), QStringLiteral("alice"));

    // Kept for the session: answered without a dialog.
    m_server.clearRequests();
    ed->edit()->downloadGranule(QStringLiteral("2"));
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(m_server.requests().last()[QStringLiteral("authorised")].toBool(), true);
    QCOMPARE(ed->undoStack()->count(), 2);

    // Never in the settings in clear text.
    QSettings settings;
    settings.sync();
    QVERIFY(!readFile(settings.fileName()).contains("s3cret"));

    // Another host never gets this host's password.
    m_server.clearRequests();
    setSetting(QStringLiteral("RRS"), QStringLiteral("url"), m_server.url(QStringLiteral("/base/"), QStringLiteral("localhost")));
    QString prefilled = QStringLiteral("unset");
    script.add("Trelvoga::AuthDlga", [&prefilled](QWidget *w) {
        prefilled = static_cast<AuthDlga *>(w)->passwordEdit()->text();
        static_cast<QDialog *>(w)->reject();
    });
    ed->edit()->downloadGranule(QStringLiteral("3"));
    QVERIFY(script.done());
    QCOMPARE(prefilled, QString());
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::credentialsNotKept()
{
    auto ed = editor();
    useDatabase();
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("auth"), QStringLiteral("alice:s3cret")}});
    ModalScript script;
    script.answerAuth(QStringLiteral("alice"), QStringLiteral("s3cret"), false);
    ed->edit()->downloadGranule(QStringLiteral("1"));
    QVERIFY(script.done());
    QCOMPARE(ed->undoStack()->count(), 1);

    // Asked again: the user name prefilled, the password forgotten. Cancelling ends the exchange quietly.
    QString user;
    QString password = QStringLiteral("unset");
    bool sessionChecked = true;
    script.add("Trelvoga::AuthDlga", [&](QWidget *w) {
        auto *dialog = static_cast<AuthDlga *>(w);
        user = dialog->userEdit()->text();
        password = dialog->passwordEdit()->text();
        sessionChecked = dialog->keepForSession()->isChecked();
        dialog->reject();
    });
    const QByteArray before = ed->canonicalSave();
    ed->edit()->downloadGranule(QStringLiteral("2"));
    QVERIFY(script.done());
    QCOMPARE(user, QStringLiteral("alice"));
    QCOMPARE(password, QString());
    QVERIFY(!sessionChecked);
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
    QCOMPARE(ed->canonicalSave(), before);
    QCOMPARE(ed->undoStack()->count(), 1);
}

void TestExchange::refusedSessionPasswordAsksAgain()
{
    auto ed = editor();
    useDatabase();
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("auth"), QStringLiteral("alice:s3cret")}});
    ModalScript script;
    script.answerAuth(QStringLiteral("alice"), QStringLiteral("s3cret"), true);
    ed->edit()->downloadGranule(QStringLiteral("1"));
    QVERIFY(script.done());
    // The password changed on the server: the kept one is refused and the user asked instead of the
    // exchange failing for the rest of the session.
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("auth"), QStringLiteral("alice:n3w")}});
    script.answerAuth(QStringLiteral("alice"), QStringLiteral("n3w"), true);
    ed->edit()->downloadGranule(QStringLiteral("2"));
    QVERIFY(script.done());
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
    QCOMPARE(ed->undoStack()->count(), 2);
}

void TestExchange::credentialsInWallet()
{
    // A stand-in for the wallet tool with the same command line, first on the path.
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString tool = bin + QStringLiteral("/kwalletcli");
    QVERIFY(writeFile(tool, "#!/bin/sh\n"
                            "dir=$(dirname \"$0\")\n"
                            "echo \"$@\" >> \"$dir/calls.log\"\n"
                            "[ $# -eq 0 ] && exit 0\n"
                            "[ \"$1\" = -f ] && [ \"$2\" = TrelvoEdit ] && [ \"$3\" = -e ] || exit 2\n"
                            "if [ \"$5\" = -P ]; then cat > \"$dir/secret_$4\"; exit 0; fi\n"
                            "[ -f \"$dir/secret_$4\" ] || exit 1\n"
                            "cat \"$dir/secret_$4\"\n"));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);
    auto restore = qScopeGuard([path] { qputenv("PATH", path); });

    auto ed = editor();
    useDatabase();
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("auth"), QStringLiteral("bob:hunter2")}});
    ModalScript script;
    bool walletShown = false;
    script.add("Trelvoga::AuthDlga", [&](QWidget *w) {
        auto *dialog = static_cast<AuthDlga *>(w);
        walletShown = dialog->keepInWallet()->isVisibleTo(dialog);
        dialog->keepForSession()->setChecked(true);
        dialog->keepForSession()->click();
        QVERIFY(dialog->keepInWallet()->isEnabled());
        dialog->keepInWallet()->setChecked(true);
        dialog->userEdit()->setText(QStringLiteral("bob"));
        dialog->userEdit()->setModified(true);
        dialog->passwordEdit()->setText(QStringLiteral("hunter2"));
        dialog->passwordEdit()->setModified(true);
        dialog->accept();
    });
    ed->edit()->downloadGranule(QStringLiteral("1"));
    QVERIFY(script.done());
    QVERIFY(walletShown);
    QCOMPARE(readFile(bin + QStringLiteral("/secret_bob")), QByteArray("hunter2"));
    // The password went through the pipe, never on the command line.
    QVERIFY(!readFile(bin + QStringLiteral("/calls.log")).contains("hunter2"));
    QCOMPARE(setting(QStringLiteral("TrelvoHttpClient"), QStringLiteral("keep_in_kwallet")).toBool(), true);
    QSettings settings;
    settings.sync();
    QVERIFY(!readFile(settings.fileName()).contains("hunter2"));

    // Not kept for the session: the next dialog comes prefilled from the wallet.
    QString prefilled;
    script.add("Trelvoga::AuthDlga", [&prefilled](QWidget *w) {
        prefilled = static_cast<AuthDlga *>(w)->passwordEdit()->text();
        static_cast<QDialog *>(w)->accept();
    });
    ed->edit()->downloadGranule(QStringLiteral("2"));
    QVERIFY(script.done());
    QCOMPARE(prefilled, QStringLiteral("hunter2"));
    QCOMPARE(ed->undoStack()->count(), 2);
    QVERIFY(script.unexpected.isEmpty());
}

void TestExchange::certificateTrust()
{
    if (!m_tls)
        QSKIP("openssl is not available to make a certificate");
    auto ed = editor();
    setSetting(QStringLiteral("RRS"), QStringLiteral("url"), m_tlsServer.url(QStringLiteral("/base/")));
    m_tlsServer.configure({{QStringLiteral("net"), m_small}});
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(m_dir.filePath(QStringLiteral("cert.pem")));
    QCOMPARE(certs.size(), 1);
    const QString digest = QString::fromLatin1(certs[0].digest(QCryptographicHash::Md5).toHex());
    const QString key = TrelvoHttpClient::trustedDigestKey(QStringLiteral("127.0.0.1"));

    // Untrusted: the box offers to save the certificate; Ignore with it checked pins it to this host.
    ModalScript script;
    script.answerBox(QMessageBox::Ignore, true);
    ed->edit()->downloadGranule(QStringLiteral("1"));
    QVERIFY(script.done());
    QVERIFY2(script.boxTexts.value(0).startsWith(QStringLiteral("One or more SSL errors has occurred:\n")), qPrintable(script.boxTexts.value(0)));
    QCOMPARE(script.boxCheckBoxes.value(0), true);
    QCOMPARE(setting(QStringLiteral("TrelvoHttpClient"), key).toString(), digest);
    QCOMPARE(ed->undoStack()->count(), 1);

    // Trusted: no question.
    ed->edit()->downloadGranule(QStringLiteral("2"));
    QVERIFY(script.unexpected.isEmpty());
    QCOMPARE(ed->undoStack()->count(), 2);

    // Another certificate than the trusted one: asked again, with the check box; Abort changes nothing.
    const QByteArray before = ed->canonicalSave();
    setSetting(QStringLiteral("TrelvoHttpClient"), key, QStringLiteral("00112233445566778899aabbccddeeff"));
    script.answerBox(QMessageBox::Abort);
    ed->edit()->downloadGranule(QStringLiteral("3"));
    QVERIFY(script.done());
    QCOMPARE(script.boxCheckBoxes.value(1), true);
    QCOMPARE(ed->canonicalSave(), before);
    QCOMPARE(ed->undoStack()->count(), 2);

    // A digest stored without a host applies to none.
    setSetting(QStringLiteral("TrelvoHttpClient"), key, QVariant());
    setSetting(QStringLiteral("TrelvoHttpClient"), QStringLiteral("trusted_cert_digest"), digest);
    script.answerBox(QMessageBox::Abort);
    ed->edit()->downloadGranule(QStringLiteral("4"));
    QVERIFY(script.done());
    QCOMPARE(script.boxCheckBoxes.value(2), true);

    // Trusted, but for another name than the certificate's: only the other error is shown, without the
    // check box.
    setSetting(QStringLiteral("TrelvoHttpClient"), TrelvoHttpClient::trustedDigestKey(QStringLiteral("localhost")), digest);
    setSetting(QStringLiteral("RRS"), QStringLiteral("url"), m_tlsServer.url(QStringLiteral("/base/"), QStringLiteral("localhost")));
    script.answerBox(QMessageBox::Abort);
    ed->edit()->downloadGranule(QStringLiteral("5"));
    QVERIFY(script.done());
    QCOMPARE(script.boxCheckBoxes.value(3), false);
    const QString text = script.boxTexts.value(3);
    QVERIFY2(!text.contains(QSslError(QSslError::SelfSignedCertificate).errorString()), qPrintable(text));
    QVERIFY2(text.contains(QSslError(QSslError::HostNameMismatch).errorString()), qPrintable(text));
    QCOMPARE(ed->canonicalSave(), before);
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
}

void TestExchange::cancelDuringSlowTransfer()
{
    auto ed = editor();
    useDatabase();
    m_server.configure({{QStringLiteral("net"), m_small}, {QStringLiteral("slow"), 2000}});
    const QByteArray before = ed->canonicalSave();
    ModalScript script;
    QElapsedTimer clock;
    int progressAtCancel = -1;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto *client = qobject_cast<TrelvoHttpClient *>(QApplication::activeModalWidget());
        if (!client || client->value() <= 0 || clock.isValid())
            return;
        progressAtCancel = client->value();
        clock.start();
        for (QPushButton *button : client->findChildren<QPushButton *>())
            button->click();
    });
    watcher.start(20);
    ed->edit()->downloadNetworkForArea(QRectF(0, 0, 1, 1), false);
    const qint64 answered = clock.isValid() ? clock.elapsed() : -1;
    watcher.stop();
    QVERIFY(progressAtCancel > 0);
    QVERIFY(progressAtCancel < m_smallSave.size());
    QVERIFY2(answered >= 0 && answered < 1000, qPrintable(QString::number(answered)));
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
    QCOMPARE(ed->canonicalSave(), before);
    QCOMPARE(ed->undoStack()->count(), 0);
    QVERIFY(m_log.isEmpty());
}

void TestExchange::roundTripCologne()
{
    const QString relative = QStringLiteral("port-cologne/osm.sumo115compat.net.xml.gz");
    if (!QFile::exists(TestSupport::dataPath(relative)))
        QSKIP("the shared real networks are not available");
    QString error;
    std::unique_ptr<Network> imported(TestSupport::importNetwork(relative, &error));
    QVERIFY2(imported, qPrintable(error));
    const QByteArray served = TestSupport::saveAll(imported.get());
    imported.reset();
    const QString cologne = m_dir.filePath(QStringLiteral("cologne.trva"));
    QVERIFY(writeFile(cologne, served));

    EditorFixture ed;
    connect(ed.edit(), &NetEdit::logMessage, this, [this](const QString &text, QtMsgType type) { m_log.append({text, type}); });
    useDatabase();
    m_server.configure({{QStringLiteral("net"), cologne}});
    ModalScript script;
    ed.edit()->downloadNetworkForArea(QRectF(6.9, 50.9, 0.1, 0.05), false);
    QCOMPARE(TestSupport::firstDifference(served, ed.canonicalSave()), QString());

    // Edit: move a junction, add a road between two others.
    QList<Node *> nodes;
    for (NetObject *object : Layouts::objectsById(ed.net())) {
        if (auto *node = qobject_cast<Node *>(object))
            nodes.append(node);
    }
    QVERIFY(nodes.size() > 3);
    Node *moved = nodes[0];
    const QPointF newPos = moved->pos() + QPointF(3.5, -2.25);
    moved->setPos(newPos);
    auto *edge = new Edge(ed.net(), nodes[1], nodes[2]);
    new Lane(edge);
    QVERIFY(ed.net()->addItem(edge));
    const int oldEdgeId = edge->id();
    const QByteArray edited = ed.canonicalSave();

    QVERIFY(ed.trigger(QStringLiteral("dbUpload")));
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.value(0).text));
    const QJsonObject ids = QJsonDocument::fromJson(readFile(m_dir.filePath(QStringLiteral("plain/stored_ids.json")))).object();
    // The new edge, its lane and the lane's stoplines got the server's ids.
    QVERIFY(ids.contains(QString::number(oldEdgeId)));
    QCOMPARE(edge->id(), ids.value(QString::number(oldEdgeId)).toInt());
    QVERIFY(edge->id() >= 5000000);

    // The server's copy holds exactly the edit; with its new ids it is the editor's network.
    Network stored;
    QXmlStreamReader reader(m_server.stored(QStringLiteral("dbput")));
    QVERIFY2(stored.load(reader, false), qPrintable(stored.errorString()));
    QCOMPARE(TestSupport::firstDifference(edited, TestSupport::saveAll(&stored)), QString());
    QCOMPARE(stored.findObject<Node>(moved->id())->pos(), newPos);
    QVERIFY(stored.updateIds(ids.toVariantMap()));
    QCOMPARE(TestSupport::firstDifference(TestSupport::saveAll(&stored), ed.canonicalSave()), QString());
    QVERIFY(script.unexpected.isEmpty());
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
