// The SUMO export dialog through real widget events: its settings, the experiment files, the export run
// with fake SUMO tools and launcher (shell scripts that log their arguments) and the launch script.

#include "editorfixture.h"
#include "layouts.h"
#include "widgets.h"

#include "editor/netedit.h"
#include "export/launchscript.h"
#include "export/sumoexportdlga.h"
#include "mapview.h"
#include "scene/networkg.h"

#include "network.h"
#include "odmatrix.h"
#include "route.h"
#include "sumo/sumonet.h"
#include "taz.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Trelvoa;
using Trelvoga::LaunchScript;
using Trelvoga::SUMOExportDlga;
using TestSupport::child;

namespace {

bool writeFile(const QString &fileName, const QByteArray &content, bool executable = false)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

// Answers the message boxes and tool error windows that a dialog runs modally, and remembers them.
class ModalWatcher : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString text;
    };

    explicit ModalWatcher(QMessageBox::StandardButton answer = QMessageBox::Yes)
        : m_answer(answer)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(20);
    }
    QList<Seen> seen;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || qobject_cast<SUMOExportDlga *>(modal))
            return;
        Seen s{modal->windowTitle(), QString()};
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            s.text = box->text();
            QAbstractButton *button = box->button(m_answer);
            if (!button)
                button = box->buttons().value(0);
            seen.append(s);
            button->click();
            return;
        }
        if (auto *text = modal->findChild<QTextEdit *>())
            s.text = text->toPlainText();
        seen.append(s);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

struct Demand
{
    Taz *a = nullptr;
    Taz *b = nullptr;
    OdMatrix *matrix = nullptr;
};

Demand addMatrix(Network *net, int vehicleClass, double forward, double backward, const QString &name = QString())
{
    Demand d;
    d.a = new Taz(net, QPointF(0, 20));
    d.b = new Taz(net, QPointF(200, 30));
    net->addItem(d.a);
    net->addItem(d.b);
    d.matrix = new OdMatrix(net);
    d.matrix->setObjectName(name);
    d.matrix->setVehiclesType(vehicleClass);
    net->addItem(d.matrix);
    if (forward != 0)
        d.matrix->setIntensity(d.a, d.b, forward);
    if (backward != 0)
        d.matrix->setIntensity(d.b, d.a, backward);
    return d;
}

void clickOk(SUMOExportDlga *dialog)
{
    QPushButton *ok = child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);
}

void check(QAbstractButton *button, bool on)
{
    if (button->isChecked() != on)
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, button->height() / 2));
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestExportDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void formAndInitialStates();
    void fieldValidation();
    void relativeExportDirectory();
    void askesToLoadExperimentOfTypedDirectory();
    void legacySettingsConverted();
    void evictsLeastRecentlyUsed();
    void knownNetworkEvictsNothing();
    void missingLauncherIsRefused();
    void experimentRoundTrip();
    void vehicleSettings();
    void launchScriptQuoting();
    void batchQuoting();

    void pedestrianOdText();
    void vehicleFlowsTruncated();
    void noPositiveDemandRunsAnHour();
    void netconvertRuns_data();
    void netconvertRuns();
    void launcherScriptWithoutStart();
    void launcherStartedAfterExport();
    void hostileArgumentsThroughExport();
    void editorRunsDialog();

private:
    // A network that exports, with the path its file would have.
    std::unique_ptr<Network> roadNetwork();
    std::unique_ptr<SUMOExportDlga> openDialog(Network *net, const QString &tlConfigDir = QString(), int tlList = -1);
    // Scripts in root named like SUMO's tools; each logs its arguments to <root>/<tool>.log.
    void makeSumoRoot(const QString &root, int netconvertExit, int od2tripsExit, bool realNetconvert = false);
    void setLauncherInstalled(bool installed);
    bool converterAvailable();

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_tmp;
    QString m_networkFile;
    QString m_launcherDir;
    QByteArray m_path;
    QStringList m_log;
};

void TestExportDialog::initTestCase()
{
    QVERIFY(m_settingsDir.isValid() && m_tmp.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("trelvo-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_export_dialog"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_settingsDir.path());
    m_path = qgetenv("PATH");
    m_launcherDir = m_tmp.filePath(QStringLiteral("bin"));
    const QByteArray launcher = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + m_tmp.filePath("launcher-args.txt").toUtf8()
                                + "'\ntouch '" + m_tmp.filePath("launcher-ran").toUtf8() + "'\n";
    QVERIFY(writeFile(QDir(m_launcherDir).filePath(QStringLiteral("sumoqlindar")), launcher, true));
    QVERIFY(QCoreApplication::arguments().contains(QStringLiteral("--ext-export")));
}

void TestExportDialog::init()
{
    QSettings settings;
    settings.clear();
    settings.sync();
    setLauncherInstalled(true);
    QFile::remove(m_tmp.filePath(QStringLiteral("launcher-args.txt")));
    QFile::remove(m_tmp.filePath(QStringLiteral("launcher-ran")));
    m_log.clear();
    static int count = 0;
    // Every test its own network file (and so its own settings entry) in a directory of its own.
    m_networkFile = m_tmp.filePath(QStringLiteral("case%1/nets/net.trva").arg(++count));
    QDir().mkpath(QFileInfo(m_networkFile).absolutePath());
}

void TestExportDialog::setLauncherInstalled(bool installed)
{
    qputenv("PATH", installed ? m_launcherDir.toUtf8() + ':' + m_path : m_path);
}

std::unique_ptr<Network> TestExportDialog::roadNetwork()
{
    auto net = std::make_unique<Network>();
    Layouts::chain(net.get());
    return net;
}

std::unique_ptr<SUMOExportDlga> TestExportDialog::openDialog(Network *net, const QString &tlConfigDir, int tlList)
{
    auto dialog = std::make_unique<SUMOExportDlga>(net, nullptr, m_networkFile, tlConfigDir, tlList);
    connect(dialog.get(), &SUMOExportDlga::logMessage, this, [this](const QString &text, QtMsgType) { m_log << text; });
    dialog->show();
    return dialog;
}

void TestExportDialog::makeSumoRoot(const QString &root, int netconvertExit, int od2tripsExit, bool realNetconvert)
{
    QDir().mkpath(root);
    const QByteArray log = "echo \"$*\" >> '" + root.toUtf8() + "/%1.log'\n";
    QVERIFY(writeFile(QDir(root).filePath(QStringLiteral("sumo-gui")), "#!/bin/sh\nexit 0\n", true));
    QByteArray netconvert = "#!/bin/sh\n" + QString::fromUtf8(log).arg(QStringLiteral("netconvert")).toUtf8();
    if (realNetconvert)
        netconvert += "exec '" + QStandardPaths::findExecutable(QStringLiteral("netconvert"), {"/usr/bin", "/usr/local/bin"}).toUtf8()
                      + "' \"$@\"\n";
    else
        netconvert += "echo 'netconvert: broken input' >&2\nexit " + QByteArray::number(netconvertExit) + '\n';
    QVERIFY(writeFile(QDir(root).filePath(QStringLiteral("netconvert")), netconvert, true));
    const QByteArray od2trips =
        "#!/bin/sh\n" + QString::fromUtf8(log).arg(QStringLiteral("od2trips")).toUtf8()
        + "out=''; prev=''\nfor a in \"$@\"; do if [ \"$prev\" = '-o' ]; then out=\"$a\"; fi; prev=\"$a\"; done\n"
          "printf '<routes xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
          "xsi:noNamespaceSchemaLocation=\"http://sumo.dlr.de/xsd/routes_file.xsd\">\\n</routes>\\n' > \"$out\"\n"
          "echo 'od2trips: broken matrix' >&2\nexit "
        + QByteArray::number(od2tripsExit) + '\n';
    QVERIFY(writeFile(QDir(root).filePath(QStringLiteral("od2trips")), od2trips, true));
}

bool TestExportDialog::converterAvailable()
{
    auto net = roadNetwork();
    return net->toSUMO() != nullptr && !QStandardPaths::findExecutable(QStringLiteral("netconvert")).isEmpty();
}

#define REQUIRE_CONVERTER()                                                                                            \
    do {                                                                                                               \
        if (!converterAvailable())                                                                                     \
            QSKIP("the SUMO converter (or netconvert) is not available");                                              \
    } while (false)

void TestExportDialog::formAndInitialStates()
{
    auto net = roadNetwork();
    auto dialog = openDialog(net.get());
    QCOMPARE(dialog->objectName(), QStringLiteral("SUMOExportDlga"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Export to SUMO"));
    QVERIFY(child<QRadioButton>(dialog.get(), "nativeFormat")->isChecked());
    QVERIFY(child<QRadioButton>(dialog.get(), "srcFormat")->isVisible()); // "--ext-export" is given
    auto *od = child<QGroupBox>(dialog.get(), "useODMatrix");
    QVERIFY(od->isCheckable() && !od->isChecked());
    QVERIFY(!od->isEnabled()); // no matrices
    auto *tabs = child<QTabWidget>(dialog.get(), "tab1");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(1), QStringLiteral("Traffic vantal"));
    QVERIFY(!child<QWidget>(dialog.get(), "pageVant")->isEnabled());
    QVERIFY(!child<QWidget>(dialog.get(), "pageVehAutoassign")->isEnabled());
    QCOMPARE(child<QSpinBox>(dialog.get(), "simDelay")->value(), 20);
    QCOMPARE(child<QSpinBox>(dialog.get(), "rpcPort")->value(), 9341);
    QCOMPARE(child<QSpinBox>(dialog.get(), "sendPeriod")->value(), 1000);
    QCOMPARE(child<QLineEdit>(dialog.get(), "rpcPassword")->echoMode(), QLineEdit::Password);

    auto *cmdLine = child<QLineEdit>(dialog.get(), "cmdLine");
    QVERIFY(!cmdLine->isEnabled());
    check(child<QCheckBox>(dialog.get(), "startAfterExport"), true);
    QVERIFY(cmdLine->isEnabled());
    for (const char *name : {"changeStartTime", "tlConfigDir", "tlList"})
        QVERIFY2(!child<QWidget>(dialog.get(), name)->isEnabled(), name);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    for (const char *name : {"changeStartTime", "tlConfigDir", "tlList"})
        QVERIFY2(child<QWidget>(dialog.get(), name)->isEnabled(), name);
    QVERIFY(!child<QTimeEdit>(dialog.get(), "experimentStartTime")->isEnabled());
    check(child<QCheckBox>(dialog.get(), "changeStartTime"), true);
    QVERIFY(child<QTimeEdit>(dialog.get(), "experimentStartTime")->isEnabled());

    // A matrix enables the group, listed by id and name.
    const Demand demand = addMatrix(net.get(), 1, 5, 0, QStringLiteral("morning"));
    auto second = openDialog(net.get(), QStringLiteral("/tl"), 3);
    QVERIFY(child<QGroupBox>(second.get(), "useODMatrix")->isEnabled());
    auto *matrices = child<QListWidget>(second.get(), "matrices");
    QCOMPARE(matrices->count(), 1);
    QCOMPARE(matrices->item(0)->text(), QStringLiteral("%1 (morning)").arg(demand.matrix->id()));
    QCOMPARE(matrices->item(0)->checkState(), Qt::Unchecked);
    // The caller's TL settings hide their rows.
    QVERIFY(!child<QLineEdit>(second.get(), "tlConfigDir")->isVisible());
    QVERIFY(!child<QLineEdit>(second.get(), "tlList")->isVisible());
    QVERIFY(child<QLineEdit>(dialog.get(), "tlList")->isVisible());
}

void TestExportDialog::fieldValidation()
{
    auto net = roadNetwork();
    auto dialog = openDialog(net.get());
    auto *exportDir = child<QLineEdit>(dialog.get(), "exportDir");
    QPushButton *ok = child<QDialogButtonBox>(dialog.get(), "buttonBox")->button(QDialogButtonBox::Ok);

    typeInto(exportDir, QString());
    QCOMPARE(exportDir->toolTip(), QStringLiteral("Field must be non empty"));
    QVERIFY(!ok->isEnabled());
    QCOMPARE(exportDir->palette().color(QPalette::Inactive, QPalette::Base), QColor(Qt::red));
    typeInto(exportDir, QStringLiteral("missing"));
    QCOMPARE(exportDir->toolTip(), QStringLiteral("This directory not exist"));
    QVERIFY(!ok->isEnabled());
    // Relative to the network file's directory, not to the working directory.
    QDir(QFileInfo(m_networkFile).absolutePath()).mkpath(QStringLiteral("out"));
    typeInto(exportDir, QStringLiteral("out"));
    QCOMPARE(exportDir->toolTip(), QString());
    QVERIFY(ok->isEnabled());
    QVERIFY(exportDir->palette().color(QPalette::Active, QPalette::Base) != QColor(Qt::red));

    auto *sumoRoot = child<QLineEdit>(dialog.get(), "sumoRoot");
    typeInto(sumoRoot, m_tmp.path());
    QCOMPARE(sumoRoot->toolTip(), QStringLiteral("Root directory not contain %1 file").arg(SUMOExportDlga::sumoGuiFileName()));
    const QString root = m_tmp.filePath(QStringLiteral("validroot"));
    makeSumoRoot(root, 0, 0);
    typeInto(sumoRoot, root);
    QCOMPARE(sumoRoot->toolTip(), QString());
    QVERIFY(ok->isEnabled()); // the SUMO root never blocks the export
}

void TestExportDialog::relativeExportDirectory()
{
    const QString netDir = QFileInfo(m_networkFile).absolutePath();
    const QString exportDir = QDir(netDir).filePath(QStringLiteral("exp"));
    QVERIFY(writeFile(QDir(exportDir).filePath(QStringLiteral("experiment.ini")), "[textedit]\nscheme=saved scheme\n"));
    {
        QSettings settings;
        settings.beginWriteArray(QStringLiteral("SUMOExport2"));
        settings.setArrayIndex(0);
        settings.setValue(QStringLiteral("hash"), SUMOExportDlga::networkKey(m_networkFile));
        settings.setValue(QStringLiteral("last_access"), QDateTime::currentDateTime());
        settings.setValue(QStringLiteral("last_dir"), QByteArray("exp"));
        settings.endArray();
    }
    auto net = std::make_unique<Network>(); // nothing to convert: the run stops after the experiment file
    auto dialog = openDialog(net.get());
    QCOMPARE(child<QLineEdit>(dialog.get(), "exportDir")->text(), QStringLiteral("exp"));
    QCOMPARE(child<QLineEdit>(dialog.get(), "scheme")->text(), QStringLiteral("saved scheme"));
    QCOMPARE(dialog->exportPath(), exportDir);

    typeInto(child<QLineEdit>(dialog.get(), "scheme"), QStringLiteral("new scheme"));
    QDir::setCurrent(m_tmp.path());
    clickOk(dialog.get());
    QSettings written(QDir(exportDir).filePath(QStringLiteral("experiment.ini")), QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("textedit/scheme")).toString(), QStringLiteral("new scheme"));
    QVERIFY(!QFileInfo::exists(m_tmp.filePath(QStringLiteral("exp"))));
    QVERIFY(!m_log.isEmpty()); // the empty network does not convert
    QVERIFY(dialog->isVisible());
}

void TestExportDialog::askesToLoadExperimentOfTypedDirectory()
{
    const QString netDir = QFileInfo(m_networkFile).absolutePath();
    QVERIFY(writeFile(QDir(netDir).filePath(QStringLiteral("other/experiment.ini")),
                      "[textedit]\nexportDir=/elsewhere\nrouteFiles=a.rou.xml\n[spinbox]\nsimDelay=77\n"));
    auto net = roadNetwork();
    auto dialog = openDialog(net.get());
    ModalWatcher watcher(QMessageBox::Yes);
    QTest::keyClicks(child<QLineEdit>(dialog.get(), "exportDir"), QStringLiteral("other"));
    QTRY_COMPARE_WITH_TIMEOUT(watcher.seen.size(), 1, 3000);
    QCOMPARE(watcher.seen.first().text, QStringLiteral("In export directory exists experiment data. Load it?"));
    QCOMPARE(child<QLineEdit>(dialog.get(), "routeFiles")->text(), QStringLiteral("a.rou.xml"));
    QCOMPARE(child<QSpinBox>(dialog.get(), "simDelay")->value(), 77);
    // A copied directory's experiment does not send the export back to where it was made.
    QCOMPARE(child<QLineEdit>(dialog.get(), "exportDir")->text(), QStringLiteral("other"));
    // Once per edit: loading does not ask again.
    QTest::qWait(1300);
    QCOMPARE(watcher.seen.size(), 1);
}

void TestExportDialog::legacySettingsConverted()
{
    {
        QSettings settings;
        settings.setValue(QStringLiteral("SUMOExport/legacy1/route_files"), QStringLiteral("old.rou.xml"));
        settings.setValue(QStringLiteral("SUMOExport/legacy1/last_dir"), QByteArray("nowhere"));
        settings.setValue(QStringLiteral("SUMOExport/legacy2/route_files"), QStringLiteral("other.rou.xml"));
        settings.setValue(QStringLiteral("lastExportDir"), QByteArray("fallback"));
    }
    auto net = roadNetwork();
    m_networkFile = QStringLiteral("legacy1");
    auto dialog = openDialog(net.get());
    QSettings settings;
    QVERIFY(!settings.childGroups().contains(QStringLiteral("SUMOExport")));
    QCOMPARE(settings.beginReadArray(QStringLiteral("SUMOExport2")), 2);
    QList<QByteArray> hashes;
    for (int i = 0; i < 2; ++i) {
        settings.setArrayIndex(i);
        hashes << settings.value(QStringLiteral("hash")).toByteArray();
        QVERIFY(settings.value(QStringLiteral("last_access")).toDateTime().isValid());
    }
    settings.endArray();
    QVERIFY(hashes.contains(QCryptographicHash::hash("legacy1", QCryptographicHash::Md5)));
    QVERIFY(hashes.contains(QCryptographicHash::hash("legacy2", QCryptographicHash::Md5)));
    // The converted entry of this network restores its keys.
    QCOMPARE(child<QLineEdit>(dialog.get(), "routeFiles")->text(), QStringLiteral("old.rou.xml"));
    QCOMPARE(child<QLineEdit>(dialog.get(), "exportDir")->text(), QStringLiteral("nowhere"));

    // Without an entry the fallback directory is offered.
    m_networkFile = m_tmp.filePath(QStringLiteral("unknown.trva"));
    auto other = openDialog(net.get());
    QCOMPARE(child<QLineEdit>(other.get(), "exportDir")->text(), QStringLiteral("fallback"));
}

namespace {

// 20 entries of other networks, written out of date order; entry i was used i days ago.
void writeOtherEntries()
{
    QSettings settings;
    const QDateTime now = QDateTime::currentDateTime();
    settings.beginWriteArray(QStringLiteral("SUMOExport2"));
    const QList<int> order{5, 1, 20, 13, 2, 7, 19, 3, 11, 4, 6, 8, 9, 10, 12, 14, 15, 16, 17, 18};
    for (int i = 0; i < order.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("hash"), QByteArray("other") + QByteArray::number(order.at(i)));
        settings.setValue(QStringLiteral("last_access"), now.addDays(-order.at(i)));
        settings.setValue(QStringLiteral("last_dir"), QByteArray("dir") + QByteArray::number(order.at(i)));
    }
    settings.endArray();
}

QList<QByteArray> storedHashes()
{
    QSettings settings;
    QList<QByteArray> hashes;
    const int count = settings.beginReadArray(QStringLiteral("SUMOExport2"));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        hashes << settings.value(QStringLiteral("hash")).toByteArray();
    }
    settings.endArray();
    return hashes;
}

} // namespace

void TestExportDialog::evictsLeastRecentlyUsed()
{
    writeOtherEntries();
    auto net = std::make_unique<Network>();
    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), m_tmp.path());
    clickOk(dialog.get());
    const QList<QByteArray> hashes = storedHashes();
    QCOMPARE(hashes.size(), 20);
    QVERIFY(!hashes.contains("other20")); // the oldest went
    QVERIFY(hashes.contains("other1"));   // the most recent stayed
    QVERIFY(hashes.contains("other19"));
    QCOMPARE(hashes.last(), SUMOExportDlga::networkKey(m_networkFile));
    // Ordered by last use, this network last.
    QCOMPARE(hashes.first(), QByteArray("other19"));
    QCOMPARE(QSettings().value(QStringLiteral("lastExportDir")).toString(), m_tmp.path());
}

void TestExportDialog::knownNetworkEvictsNothing()
{
    writeOtherEntries();
    {
        QSettings settings;
        settings.beginWriteArray(QStringLiteral("SUMOExport2"));
        settings.setArrayIndex(20);
        settings.setValue(QStringLiteral("hash"), SUMOExportDlga::networkKey(m_networkFile));
        settings.setValue(QStringLiteral("last_access"), QDateTime::currentDateTime().addDays(-30));
        settings.setValue(QStringLiteral("last_dir"), m_tmp.path().toUtf8());
        settings.endArray();
    }
    auto net = std::make_unique<Network>();
    auto dialog = openDialog(net.get());
    QCOMPARE(child<QLineEdit>(dialog.get(), "exportDir")->text(), m_tmp.path());
    clickOk(dialog.get());
    const QList<QByteArray> hashes = storedHashes();
    QCOMPARE(hashes.size(), 21);
    QCOMPARE(hashes.count(SUMOExportDlga::networkKey(m_networkFile)), 1);
    QCOMPARE(hashes.last(), SUMOExportDlga::networkKey(m_networkFile));
}

void TestExportDialog::missingLauncherIsRefused()
{
    setLauncherInstalled(false);
    auto net = roadNetwork();
    auto dialog = openDialog(net.get());
    ModalWatcher watcher;
    auto *use = child<QCheckBox>(dialog.get(), "use_sumoqlindar");
    check(use, true);
    QTRY_COMPARE(watcher.seen.size(), 1);
    QCOMPARE(watcher.seen.first().title, QStringLiteral("Error"));
    QCOMPARE(watcher.seen.first().text, QStringLiteral("sumoqlindar not found in system paths nor application directory"));
    QVERIFY(!use->isChecked());

    setLauncherInstalled(true);
    check(use, true);
    QVERIFY(use->isChecked());
    QCOMPARE(watcher.seen.size(), 1);
}

void TestExportDialog::experimentRoundTrip()
{
    auto net = roadNetwork();
    addMatrix(net.get(), 1, 3, 0, QStringLiteral("first"));
    addMatrix(net.get(), 1, 4, 0, QStringLiteral("second"));
    const QString exportDir = m_tmp.filePath(QStringLiteral("roundtrip"));
    QDir().mkpath(exportDir);
    const QString root = m_tmp.filePath(QStringLiteral("rtroot"));
    makeSumoRoot(root, 0, 0);

    auto first = openDialog(net.get());
    typeInto(child<QLineEdit>(first.get(), "exportDir"), exportDir);
    typeInto(child<QLineEdit>(first.get(), "sumoRoot"), root);
    int n = 0;
    for (QLineEdit *edit : first->findChildren<QLineEdit *>()) {
        const QString name = edit->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("exportDir")
            || name == QLatin1String("sumoRoot") || name == QLatin1String("tlConfigDir"))
            continue;
        edit->setText(QStringLiteral("value %1, of %2").arg(++n).arg(name));
    }
    for (QSpinBox *box : first->findChildren<QSpinBox *>()) {
        if (!box->objectName().startsWith(QLatin1String("qt_")))
            box->setValue(box->minimum() + 7 + ++n);
    }
    for (QCheckBox *box : first->findChildren<QCheckBox *>())
        box->setChecked(true);
    child<QRadioButton>(first.get(), "srcFormat")->setChecked(true);
    child<QGroupBox>(first.get(), "useODMatrix")->setChecked(true);
    child<QTimeEdit>(first.get(), "experimentStartTime")->setTime(QTime(7, 42));
    child<QListWidget>(first.get(), "matrices")->item(1)->setCheckState(Qt::Checked);
    first->saveExperiment(QDir(exportDir).filePath(QStringLiteral("experiment.ini")));
    {
        QSettings settings;
        settings.beginWriteArray(QStringLiteral("SUMOExport2"));
        settings.setArrayIndex(0);
        settings.setValue(QStringLiteral("hash"), SUMOExportDlga::networkKey(m_networkFile));
        settings.setValue(QStringLiteral("last_access"), QDateTime::currentDateTime());
        settings.setValue(QStringLiteral("last_dir"), exportDir.toUtf8());
        settings.endArray();
    }

    auto second = openDialog(net.get());
    for (QLineEdit *edit : first->findChildren<QLineEdit *>()) {
        if (!edit->objectName().isEmpty() && !edit->objectName().startsWith(QLatin1String("qt_")))
            QCOMPARE(child<QLineEdit>(second.get(), qPrintable(edit->objectName()))->text(), edit->text());
    }
    for (QSpinBox *box : first->findChildren<QSpinBox *>()) {
        if (!box->objectName().startsWith(QLatin1String("qt_")))
            QCOMPARE(child<QSpinBox>(second.get(), qPrintable(box->objectName()))->value(), box->value());
    }
    for (QCheckBox *box : first->findChildren<QCheckBox *>())
        QVERIFY2(child<QCheckBox>(second.get(), qPrintable(box->objectName()))->isChecked(), qPrintable(box->objectName()));
    QVERIFY(child<QRadioButton>(second.get(), "srcFormat")->isChecked());
    QVERIFY(!child<QRadioButton>(second.get(), "nativeFormat")->isChecked());
    QVERIFY(child<QGroupBox>(second.get(), "useODMatrix")->isChecked());
    QCOMPARE(child<QTimeEdit>(second.get(), "experimentStartTime")->time(), QTime(7, 42));
    auto *matrices = child<QListWidget>(second.get(), "matrices");
    QCOMPARE(matrices->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(matrices->item(1)->checkState(), Qt::Checked);
    QCOMPARE(second->exportPath(), exportDir);
}

void TestExportDialog::vehicleSettings()
{
    auto net = roadNetwork();
    auto *route = new Route(net.get());
    route->setObjectName(QStringLiteral("main"));
    net->addItem(route);
    const QString exportDir = m_tmp.filePath(QStringLiteral("veh/export"));
    const QString tlDir = m_tmp.filePath(QStringLiteral("veh/tl"));
    QDir().mkpath(exportDir);
    QVERIFY(writeFile(QDir(tlDir).filePath(QStringLiteral("simul.ini")), "PosServer=old.example\nVehiclePrefix=old\n"));

    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    typeInto(child<QLineEdit>(dialog.get(), "tlConfigDir"), QStringLiteral("../tl")); // relative to the export
    QCOMPARE(dialog->tlConfigPath(), tlDir);
    QCOMPARE(child<QLineEdit>(dialog.get(), "wialonServer")->text(), QStringLiteral("old.example"));
    // Nothing in the dialog enables these pages: as a host would that offers them.
    child<QTabWidget>(dialog.get(), "tab1")->widget(1)->setEnabled(true);
    child<QTabWidget>(dialog.get(), "tab1")->widget(2)->setEnabled(true);
    typeInto(child<QLineEdit>(dialog.get(), "wialonServer"), QString());
    typeInto(child<QLineEdit>(dialog.get(), "vehiclePrefix"), QStringLiteral("bus"));
    typeInto(child<QLineEdit>(dialog.get(), "rpcHost"), QStringLiteral("rpc.example"));

    auto *table = child<QTableWidget>(dialog.get(), "vehAssignTable");
    auto *add = child<QPushButton>(dialog.get(), "addVeh");
    auto *remove = child<QPushButton>(dialog.get(), "deleteVeh");
    QVERIFY(!remove->isEnabled());
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(table->rowCount(), 3);
    table->setCurrentCell(2, 0);
    QVERIFY(remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(table->rowCount(), 2);
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("car%1")));
    auto *routeItem = new QTableWidgetItem;
    routeItem->setData(Qt::EditRole, route->id());
    table->setItem(0, 1, routeItem);
    table->item(0, 2)->setBackground(QColor(255, 0, 0, 255));
    table->setItem(0, 3, new QTableWidgetItem(QStringLiteral("3")));
    // Row 1 has a colour but no template: not written.
    table->item(1, 2)->setBackground(QColor(Qt::green));
    table->setItem(1, 3, new QTableWidgetItem(QStringLiteral("5")));

    dialog->saveVehicleSettings();
    QSettings simul(QDir(tlDir).filePath(QStringLiteral("simul.ini")), QSettings::IniFormat);
    QVERIFY(!simul.contains(QStringLiteral("PosServer")));
    QCOMPARE(simul.value(QStringLiteral("VehiclePrefix")).toString(), QStringLiteral("bus"));
    QCOMPARE(simul.value(QStringLiteral("connectionByBoard")).toInt(), 1);
    QCOMPARE(simul.value(QStringLiteral("SendPeriod")).toInt(), 1000);
    QCOMPARE(simul.value(QStringLiteral("vantal/rpc_host")).toString(), QStringLiteral("rpc.example"));
    QCOMPARE(simul.value(QStringLiteral("vantal/rpc_port")).toInt(), 9341);
    QVERIFY(!simul.contains(QStringLiteral("vantal/rpc_login")));
    QCOMPARE(simul.value(QStringLiteral("vantal/start_vant")).toBool(), false);
    QCOMPARE(simul.beginReadArray(QStringLiteral("vehicles")), 1);
    simul.setArrayIndex(0);
    QCOMPARE(simul.value(QStringLiteral("template")).toString(), QStringLiteral("car%1"));
    QCOMPARE(simul.value(QStringLiteral("route")).toInt(), route->id());
    QCOMPARE(simul.value(QStringLiteral("wc_3")).toString(), QStringLiteral("0xff0000ff"));
    QVERIFY(!simul.contains(QStringLiteral("wc_5")));
    simul.endArray();

    // Read back by the next dialog when its TL directory is typed.
    auto second = openDialog(net.get());
    typeInto(child<QLineEdit>(second.get(), "exportDir"), exportDir);
    child<QLineEdit>(second.get(), "tlConfigDir")->setText(tlDir);
    auto *readTable = child<QTableWidget>(second.get(), "vehAssignTable");
    QCOMPARE(readTable->rowCount(), 1);
    QCOMPARE(readTable->item(0, 0)->text(), QStringLiteral("car%1"));
    QCOMPARE(readTable->item(0, 1)->data(Qt::EditRole).toInt(), route->id());
    QCOMPARE(readTable->item(0, 2)->background().color(), QColor(255, 0, 0, 255));
    QCOMPARE(readTable->item(0, 3)->text(), QStringLiteral("3"));
    QCOMPARE(child<QLineEdit>(second.get(), "rpcHost")->text(), QStringLiteral("rpc.example"));
    QCOMPARE(child<QLineEdit>(second.get(), "vehiclePrefix")->text(), QStringLiteral("bus"));
}

namespace {

const QStringList hostileArguments{
    QStringLiteral("plain"),
    QStringLiteral("with blank"),
    QStringLiteral("it's"),
    QStringLiteral("$(touch pwned1)"),
    QStringLiteral("`touch pwned2`"),
    QStringLiteral("; touch pwned3"),
    QStringLiteral("\"quoted\" & touch pwned4 | x > y"),
    QStringLiteral("$HOME"),
    QStringLiteral("'; touch pwned5; echo '"),
    QString(),
    QStringLiteral("back\\slash"),
};

} // namespace

void TestExportDialog::launchScriptQuoting()
{
    const QString dir = m_tmp.filePath(QStringLiteral("quoting"));
    QDir().mkpath(dir);
    const QString script = QDir(dir).filePath(LaunchScript::fileName(LaunchScript::PosixShell));
    const QString launcher = QDir(m_launcherDir).filePath(QStringLiteral("sumoqlindar"));
    QVERIFY(LaunchScript::write(script, launcher, hostileArguments, LaunchScript::PosixShell));
    QVERIFY(QFileInfo(script).permissions() & QFileDevice::ExeOther);
    QCOMPARE(readLines(script).first(), QStringLiteral("#!/bin/sh"));

    QProcess sh;
    sh.setWorkingDirectory(m_tmp.path());
    sh.start(QStringLiteral("sh"), {script});
    QVERIFY(sh.waitForFinished(10000));
    QCOMPARE(sh.exitCode(), 0);
    QCOMPARE(readLines(m_tmp.filePath(QStringLiteral("launcher-args.txt"))), hostileArguments);
    for (const QString &where : {dir, m_tmp.path()}) {
        for (int i = 1; i <= 5; ++i)
            QVERIFY(!QFileInfo::exists(QDir(where).filePath(QStringLiteral("pwned%1").arg(i))));
    }
    QCOMPARE(LaunchScript::quote(QStringLiteral("-sumoconf"), LaunchScript::PosixShell), QStringLiteral("-sumoconf"));
}

void TestExportDialog::batchQuoting()
{
    using LS = LaunchScript;
    QCOMPARE(LS::fileName(LS::WindowsCmd), QStringLiteral("run_experiment.bat"));
    QCOMPARE(LS::quote(QStringLiteral("net.sumocfg"), LS::WindowsCmd), QStringLiteral("net.sumocfg"));
    QCOMPARE(LS::quote(QStringLiteral("a b"), LS::WindowsCmd), QStringLiteral("\"a b\""));
    QCOMPARE(LS::quote(QStringLiteral("& del x"), LS::WindowsCmd), QStringLiteral("\"& del x\""));
    QCOMPARE(LS::quote(QStringLiteral("%PATH%"), LS::WindowsCmd), QStringLiteral("\"%%PATH%%\""));
    QCOMPARE(LS::quote(QStringLiteral("say \"hi\" & x"), LS::WindowsCmd), QStringLiteral("\"say \"\"hi\"\" & x\""));
    QCOMPARE(LS::quote(QStringLiteral("dir\\"), LS::WindowsCmd), QStringLiteral("\"dir\\\\\""));
    QCOMPARE(LS::quote(QString(), LS::WindowsCmd), QStringLiteral("\"\""));
    QCOMPARE(LS::content(QStringLiteral("C:\\x\\sumoqlindar.exe"), {QStringLiteral("-tl-list"), QStringLiteral("1")},
                         LS::WindowsCmd),
             QByteArray("\"C:\\x\\sumoqlindar.exe\" -tl-list 1\n"));
}

void TestExportDialog::pedestrianOdText()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    const Demand demand = addMatrix(net.get(), Lane::vcPedestrian, 12.5, 0);
    const QString root = m_tmp.filePath(QStringLiteral("pedroot"));
    makeSumoRoot(root, 0, 0);
    const QString exportDir = m_tmp.filePath(QStringLiteral("pedexport"));
    QDir().mkpath(exportDir);

    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    typeInto(child<QLineEdit>(dialog.get(), "sumoRoot"), root);
    child<QGroupBox>(dialog.get(), "useODMatrix")->setChecked(true);
    child<QListWidget>(dialog.get(), "matrices")->item(0)->setCheckState(Qt::Checked);
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));
    QVERIFY(!dialog->isVisible());

    const QStringList lines = readLines(QDir(exportDir).filePath(QStringLiteral("od_ped0.txt")));
    QCOMPARE(lines, QStringList({QStringLiteral("$OR;D2"), QStringLiteral("* From-Time  To-Time"),
                                 QStringLiteral("0.00 1.00"), QStringLiteral("* Factor"), QStringLiteral("1.00"),
                                 QStringLiteral("* matrix id = %1").arg(demand.matrix->id()),
                                 QStringLiteral("ped%1\tped%2\t12.5").arg(demand.a->id()).arg(demand.b->id())}));
    const QStringList od2trips = readLines(QDir(root).filePath(QStringLiteral("od2trips.log")));
    QCOMPARE(od2trips.size(), 1);
    QVERIFY(od2trips.first().startsWith(QStringLiteral("--pedestrians true --taz-files ")));
    QVERIFY(od2trips.first().endsWith(QStringLiteral(" -d od_ped0.txt -o ped0.trips.xml")));
    const QStringList trips = readLines(QDir(exportDir).filePath(QStringLiteral("ped0.trips.xml")));
    QCOMPARE(trips.first(), QStringLiteral("<routes xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"));
    QFile project(QDir(exportDir).filePath(QStringLiteral("net.sumocfg")));
    QVERIFY(project.open(QIODevice::ReadOnly));
    QVERIFY(project.readAll().contains("ped0.trips.xml"));
}

void TestExportDialog::vehicleFlowsTruncated()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    const Demand demand = addMatrix(net.get(), Lane::vcPrivate, 2.7, 0.9);
    const QString exportDir = m_tmp.filePath(QStringLiteral("flows"));
    QDir().mkpath(exportDir);
    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    child<QGroupBox>(dialog.get(), "useODMatrix")->setChecked(true);
    child<QListWidget>(dialog.get(), "matrices")->item(0)->setCheckState(Qt::Checked);
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));

    QFile routes(QDir(exportDir).filePath(QStringLiteral("routes.rou.xml")));
    QVERIFY(routes.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(routes.readAll());
    QCOMPARE(text.count(QStringLiteral("<flow ")), 1); // the converter leaves out the flow of 0
    QVERIFY(text.contains(QStringLiteral("number=\"2\"")));
    QVERIFY(text.contains(QStringLiteral("fromTaz=\"%1\" toTaz=\"%2\"").arg(demand.a->id()).arg(demand.b->id())));
    // 0.9 was a positive value: no default experiment time.
    QFile project(QDir(exportDir).filePath(QStringLiteral("net.sumocfg")));
    QVERIFY(project.open(QIODevice::ReadOnly));
    QVERIFY(!project.readAll().contains("3600"));
}

void TestExportDialog::noPositiveDemandRunsAnHour()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    addMatrix(net.get(), Lane::vcPrivate, 0, 0);
    const QString exportDir = m_tmp.filePath(QStringLiteral("hour"));
    QDir().mkpath(exportDir);
    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    child<QGroupBox>(dialog.get(), "useODMatrix")->setChecked(true);
    child<QListWidget>(dialog.get(), "matrices")->item(0)->setCheckState(Qt::Checked);
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));
    QFile project(QDir(exportDir).filePath(QStringLiteral("net.sumocfg")));
    QVERIFY(project.open(QIODevice::ReadOnly));
    QVERIFY(project.readAll().contains("\"3600\""));
}

void TestExportDialog::netconvertRuns_data()
{
    QTest::addColumn<bool>("doubleProcessing");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("runs");
    QTest::addColumn<bool>("errorWindow");
    QTest::newRow("single") << false << 0 << 1 << false;
    QTest::newRow("double after success") << true << 0 << 2 << false;
    QTest::newRow("double after failure") << true << 1 << 1 << true;
}

void TestExportDialog::netconvertRuns()
{
    REQUIRE_CONVERTER();
    QFETCH(bool, doubleProcessing);
    QFETCH(int, exitCode);
    QFETCH(int, runs);
    QFETCH(bool, errorWindow);
    auto net = roadNetwork();
    const QString root = m_tmp.filePath(QStringLiteral("ncroot%1%2").arg(doubleProcessing).arg(exitCode));
    makeSumoRoot(root, exitCode, 0, exitCode == 0);
    const QString exportDir = m_tmp.filePath(QStringLiteral("ncexport%1%2").arg(doubleProcessing).arg(exitCode));
    QDir().mkpath(exportDir);

    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    typeInto(child<QLineEdit>(dialog.get(), "sumoRoot"), root);
    check(child<QRadioButton>(dialog.get(), "srcFormat"), true);
    check(child<QCheckBox>(dialog.get(), "doubleProcessing"), doubleProcessing);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    check(child<QCheckBox>(dialog.get(), "startAfterExport"), true);
    ModalWatcher watcher;
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));

    const QStringList calls = readLines(QDir(root).filePath(QStringLiteral("netconvert.log")));
    QCOMPARE(calls.size(), runs);
    for (const QString &call : calls)
        QCOMPARE(call, QStringLiteral("-o net.net.xml -n net.nod.xml -e net.edg.xml -x net.con.xml --no-turnarounds true"));
    QCOMPARE(watcher.seen.size(), errorWindow ? 1 : 0);
    if (errorWindow) {
        QCOMPARE(watcher.seen.first().title, QStringLiteral("netconvert errors"));
        QVERIFY(watcher.seen.first().text.startsWith(QStringLiteral("netconvert -o net.net.xml")));
        QVERIFY(watcher.seen.first().text.contains(QStringLiteral("netconvert: broken input")));
    }
    // A failed netconvert keeps the simulation from starting; the export still completes.
    QVERIFY(!dialog->isVisible());
    QTest::qWait(300);
    QCOMPARE(QFileInfo::exists(m_tmp.filePath(QStringLiteral("launcher-ran"))), !errorWindow);
}

void TestExportDialog::launcherScriptWithoutStart()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    const QString exportDir = m_tmp.filePath(QStringLiteral("nostart"));
    QDir().mkpath(exportDir);
    auto dialog = openDialog(net.get(), QString(), 0);
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    child<QLineEdit>(dialog.get(), "cmdLine")->setText(QStringLiteral("--step  5 "));
    child<QCheckBox>(dialog.get(), "changeStartTime")->setChecked(true);
    child<QTimeEdit>(dialog.get(), "experimentStartTime")->setTime(QTime(7, 5));
    QVERIFY(!child<QCheckBox>(dialog.get(), "startAfterExport")->isChecked());
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));

    const QString script = QDir(exportDir).filePath(LaunchScript::fileName());
    QVERIFY(QFileInfo::exists(script));
    QTest::qWait(300);
    QVERIFY(!QFileInfo::exists(m_tmp.filePath(QStringLiteral("launcher-ran"))));
    QProcess sh;
    sh.start(QStringLiteral("sh"), {script});
    QVERIFY(sh.waitForFinished(10000));
    QCOMPARE(readLines(m_tmp.filePath(QStringLiteral("launcher-args.txt"))),
             QStringList({QStringLiteral("-sumoconf"), QStringLiteral("net.sumocfg"), QStringLiteral("-tldef"),
                          QStringLiteral("net.tll.xml"), QStringLiteral("-tl-list"), QStringLiteral("0"),
                          QStringLiteral("-time"), QStringLiteral("7:5"), QStringLiteral("-"),
                          QStringLiteral("--step"), QStringLiteral("5")}));
}

void TestExportDialog::launcherStartedAfterExport()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    const QString exportDir = m_tmp.filePath(QStringLiteral("start"));
    QDir().mkpath(exportDir);
    auto dialog = openDialog(net.get(), QStringLiteral("tlconf"), 4);
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    check(child<QCheckBox>(dialog.get(), "startAfterExport"), true);
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));
    QTRY_VERIFY(QFileInfo::exists(m_tmp.filePath(QStringLiteral("launcher-ran"))));
    QTRY_COMPARE(readLines(m_tmp.filePath(QStringLiteral("launcher-args.txt"))),
                 QStringList({QStringLiteral("-sumoconf"), QStringLiteral("net.sumocfg"), QStringLiteral("-tldef"),
                              QStringLiteral("net.tll.xml"), QStringLiteral("-conf-dir"), QStringLiteral("tlconf"),
                              QStringLiteral("-tl-list"), QStringLiteral("4")}));
}

void TestExportDialog::hostileArgumentsThroughExport()
{
    REQUIRE_CONVERTER();
    auto net = roadNetwork();
    const QString exportDir = m_tmp.filePath(QStringLiteral("hostile"));
    QDir().mkpath(exportDir);
    auto dialog = openDialog(net.get());
    typeInto(child<QLineEdit>(dialog.get(), "exportDir"), exportDir);
    check(child<QCheckBox>(dialog.get(), "use_sumoqlindar"), true);
    const QString tlDir = QStringLiteral("tl dir 'x' $(touch pwned1); touch pwned2");
    const QString tlList = QStringLiteral("\"; touch pwned3 #");
    typeInto(child<QLineEdit>(dialog.get(), "tlConfigDir"), tlDir);
    typeInto(child<QLineEdit>(dialog.get(), "tlList"), tlList);
    child<QLineEdit>(dialog.get(), "cmdLine")->setText(QStringLiteral("`touch pwned4` it's $HOME"));
    clickOk(dialog.get());
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join('\n')));

    QProcess sh;
    sh.start(QStringLiteral("sh"), {QDir(exportDir).filePath(LaunchScript::fileName())});
    QVERIFY(sh.waitForFinished(10000));
    QCOMPARE(readLines(m_tmp.filePath(QStringLiteral("launcher-args.txt"))),
             QStringList({QStringLiteral("-sumoconf"), QStringLiteral("net.sumocfg"), QStringLiteral("-tldef"),
                          QStringLiteral("net.tll.xml"), QStringLiteral("-conf-dir"), tlDir, QStringLiteral("-tl-list"),
                          tlList, QStringLiteral("-"), QStringLiteral("`touch"), QStringLiteral("pwned4`"),
                          QStringLiteral("it's"), QStringLiteral("$HOME")}));
    for (const QString &where : {exportDir, m_tmp.path(), QDir::currentPath()}) {
        for (int i = 1; i <= 4; ++i)
            QVERIFY(!QFileInfo::exists(QDir(where).filePath(QStringLiteral("pwned%1").arg(i))));
    }
}

void TestExportDialog::editorRunsDialog()
{
    EditorFixture f([](Network *net) { return Layouts::chain(net); });
    const QRectF visible = f.view()->mapToScene(f.view()->viewport()->rect()).boundingRect();
    QRectF seen;
    bool cancelled = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<SUMOExportDlga *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->visibleRect();
        QCOMPARE(dialog->tlConfigPath(), dialog->exportPath() + QStringLiteral("/tl"));
        QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        cancelled = true;
    });
    poll.start(20);
    f.edit()->runExportDialog(m_networkFile, QStringLiteral("tl"), 2);
    QVERIFY(cancelled);
    QCOMPARE(seen, visible);
}

// The source format is offered only with "--ext-export" among the application's arguments; QTest must
// not see that option.
int main(int argc, char *argv[])
{
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    arguments << QByteArray("--ext-export");
    std::vector<char *> appArgv;
    for (QByteArray &argument : arguments)
        appArgv.push_back(argument.data());
    appArgv.push_back(nullptr);
    int appArgc = int(arguments.size());
    QApplication app(appArgc, appArgv.data());
    TestExportDialog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_export_dialog.moc"
