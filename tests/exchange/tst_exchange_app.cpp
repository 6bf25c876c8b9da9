// The host's side of the exchange: the Database menu with the editor's database actions, and the dialog
// that keeps the server addresses in the settings.

#include "mainwindow.h"

#include "editor/netedit.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

class TestExchangeApp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void databaseMenu();
    void serverAddressesDialog();
};

void TestExchangeApp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TrelvoTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_exchange_app"));
    QSettings().clear();
}

void TestExchangeApp::databaseMenu()
{
    MainWindow window;
    window.setInteractive(false);
    auto *menu = window.findChild<QMenu *>(QStringLiteral("databaseMenu"));
    QVERIFY(menu);
    QCOMPARE(menu->actions(), window.editor()->dbActions());
    QVERIFY(!menu->actions().isEmpty());
    // Before Settings in the menu bar.
    const QList<QAction *> bar = window.menuBar()->actions();
    auto *settings = window.findChild<QMenu *>(QStringLiteral("settingsMenu"));
    QVERIFY(settings);
    QCOMPARE(bar.indexOf(menu->menuAction()) + 1, bar.indexOf(settings->menuAction()));
    QVERIFY(window.findChild<QAction *>(QStringLiteral("actionServerAddresses")));
}

void TestExchangeApp::serverAddressesDialog()
{
    QSettings().clear();
    {
        QSettings s;
        s.setValue(QStringLiteral("vantal_web/url"), QStringLiteral("http://vantal:8080"));
    }
    MainWindow window;
    window.setInteractive(false);
    QAction *open = window.findChild<QAction *>(QStringLiteral("actionServerAddresses"));
    QVERIFY(open);
    QString shownVantal;
    bool answered = false;
    const auto answer = [&](bool accept) {
        QTimer::singleShot(50, [&, accept] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog || dialog->objectName() != QLatin1String("ServerAddressesDlga"))
                return;
            auto *database = dialog->findChild<QLineEdit *>(QStringLiteral("databaseUrl"));
            auto *vantal = dialog->findChild<QLineEdit *>(QStringLiteral("vantalUrl"));
            shownVantal = vantal->text();
            database->setText(QStringLiteral(" https://db.example/rrs/ "));
            vantal->clear();
            auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
            answered = true;
        });
    };
    // Cancel keeps the settings.
    answer(false);
    open->trigger();
    QVERIFY(answered);
    QCOMPARE(shownVantal, QStringLiteral("http://vantal:8080"));
    QVERIFY(!QSettings().contains(QStringLiteral("RRS/url")));

    answered = false;
    answer(true);
    open->trigger();
    QVERIFY(answered);
    QSettings s;
    QCOMPARE(s.value(QStringLiteral("RRS/url")).toString(), QStringLiteral("https://db.example/rrs/"));
    QVERIFY(!s.contains(QStringLiteral("vantal_web/url")));
}

QTEST_MAIN(TestExchangeApp)
#include "tst_exchange_app.moc"
