// The panorama's page as the editor gets it: a program that neither links the web engine nor prepares
// it before the application exists loads the module when the first page is made.

#include "panorama/panoramapage.h"

#include <QApplication>
#include <QLibrary>
#include <QSignalSpy>
#include <QtTest>

class TestPanoramaModule : public QObject
{
    Q_OBJECT

private slots:
    void engineArrivesWithTheFirstPage();
};

void TestPanoramaModule::engineArrivesWithTheFirstPage()
{
    // Not loaded at start: the program does not link it.
    QLibrary probe(QStringLiteral("Qt5WebEngineCore"), 5);
    QVERIFY(!probe.isLoaded());

    QWidget window;
    window.resize(400, 300);
    QString error;
    Trelvoga::PanoramaPage *page = Trelvoga::PanoramaPage::create(&window, &error);
    QVERIFY2(page, qPrintable(error));
    QVERIFY(page->widget());
    QCOMPARE(page->widget()->parentWidget(), &window);
    QCOMPARE(Trelvoga::PanoramaPage::of(page->widget()), page);
    QCOMPARE(Trelvoga::PanoramaPage::of(&window), nullptr);

    // The page loads and runs scripts, and says when a load is done.
    bool loaded = false;
    page->setLoadFinished([&loaded] { loaded = true; });
    page->setHtml(QStringLiteral("<html><body><p id='p'>x</p></body></html>"), QUrl());
    QTRY_VERIFY_WITH_TIMEOUT(loaded, 20000);

    // A second page comes from the module already loaded.
    Trelvoga::PanoramaPage *second = Trelvoga::PanoramaPage::create(&window, &error);
    QVERIFY2(second, qPrintable(error));
    delete second->widget();
    delete page->widget();
}

int main(int argc, char *argv[])
{
    // Software rendering and no sandbox, so that the engine runs offscreen and under the sanitizers;
    // unlike the other panorama tests, nothing is set up for it before the application exists.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    TestPanoramaModule test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_panorama_module.moc"
