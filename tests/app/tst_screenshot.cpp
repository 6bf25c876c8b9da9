// Placing the view for a screenshot: on a node or a longitude/latitude, at a zoom level or a span in
// metres; and the command line refusing bad values with one line before anything is loaded.

#include "mainwindow.h"
#include "mapview.h"

#include "geo/geoutil.h"
#include "node.h"
#include "scene/networkg.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString sample = QStringLiteral(TRELVO_SOURCE_DIR "/samples/district.trva");
const QString editor = QStringLiteral(TRELVO_BINARY_DIR "/bin/trelvo-edit");

QPointF viewCentre(MainWindow *window)
{
    MapView *view = window->view();
    return view->mapToScene(view->viewport()->rect().center());
}

// Metres the view shows across.
double shownMetres(MainWindow *window)
{
    MapView *view = window->view();
    const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
    Trelvoa::GeoUtil *geo = window->network()->geoUtil();
    const double y = shown.center().y();
    return QLineF(geo->geoToXY(QPointF(shown.left(), y)), geo->geoToXY(QPointF(shown.right(), y))).length();
}

} // namespace

class TestScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void focusOnNodeOrPoint();
    void spanPicksTheLargestZoomThatShowsIt();
    void badFocusLeavesTheView();
    void commandLineRefusesBadValues();

private:
    MainWindow *window = nullptr;
};

void TestScreenshot::init()
{
    window = new MainWindow;
    window->setInteractive(false);
    window->resize(1200, 800);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QString error;
    QVERIFY2(window->openFile(sample, &error), qPrintable(error));
    QVERIFY(window->network()->geoUtil());
}

void TestScreenshot::cleanup()
{
    delete window;
    window = nullptr;
}

void TestScreenshot::focusOnNodeOrPoint()
{
    const QList<Trelvoa::Node *> nodes = window->network()->findChildren<Trelvoa::Node *>();
    QVERIFY(nodes.size() > 2);
    Trelvoa::Node *node = nodes.at(nodes.size() / 2);
    const QPointF at = window->network()->geoUtil()->xyToGeo(node->pos());
    QString error;
    QVERIFY(window->focusView(QString::number(node->id()), 19, 0.0, &error));
    QCOMPARE(window->view()->zoom(), 19);
    // Within a pixel of the node.
    const double pixel = 1.0 / MapView::pixelsPerUnitX(19, true);
    QVERIFY(QLineF(viewCentre(window), at).length() < 2 * pixel);

    // A point given as lon,lat (spaces allowed), zoom kept when none is given.
    const QPointF other = at + QPointF(0.0005, -0.0003);
    QVERIFY(window->focusView(QStringLiteral("%1, %2").arg(other.x(), 0, 'f', 7).arg(other.y(), 0, 'f', 7), 0, 0.0,
                              &error));
    QCOMPARE(window->view()->zoom(), 19);
    QVERIFY(QLineF(viewCentre(window), other).length() < 2 * pixel);
}

void TestScreenshot::spanPicksTheLargestZoomThatShowsIt()
{
    QString error;
    for (double span : {40.0, 150.0, 900.0}) {
        QVERIFY(window->focusView(QString(), 0, span, &error));
        const int zoom = window->view()->zoom();
        QVERIFY2(shownMetres(window) >= span, qPrintable(QString::number(span)));
        // One level closer would cut the span.
        window->view()->setZoom(zoom + 1);
        QVERIFY2(shownMetres(window) < span, qPrintable(QString::number(span)));
    }
}

void TestScreenshot::badFocusLeavesTheView()
{
    const QPointF before = viewCentre(window);
    const int zoom = window->view()->zoom();
    QString error;
    for (const char *focus : {"999999", "abc", "7.0,north", "200,50", "1,2,3"}) {
        error.clear();
        QVERIFY2(!window->focusView(QString::fromLatin1(focus), 18, 0.0, &error), focus);
        QVERIFY(!error.isEmpty());
        QVERIFY(!error.contains(QLatin1Char('\n')));
    }
    QCOMPARE(window->view()->zoom(), zoom);
    QVERIFY(QLineF(viewCentre(window), before).length() < 1e-9);
}

void TestScreenshot::commandLineRefusesBadValues()
{
    const QString out = QDir::temp().filePath(QStringLiteral("trelvo-screenshot-test.png"));
    const QList<QStringList> cases = {
        {QStringLiteral("--zoom"), QStringLiteral("0")},
        {QStringLiteral("--zoom"), QStringLiteral("twelve")},
        {QStringLiteral("--span"), QStringLiteral("-5")},
        {QStringLiteral("--zoom"), QStringLiteral("17"), QStringLiteral("--span"), QStringLiteral("100")},
        {QStringLiteral("--focus"), QStringLiteral("no-such-node")},
    };
    for (const QStringList &options : cases) {
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(editor, QStringList{sample, QStringLiteral("--screenshot"), out} + options);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 1, qPrintable(options.join(QLatin1Char(' '))));
        const QList<QByteArray> lines = process.readAllStandardError().split('\n');
        int ours = 0;
        for (const QByteArray &line : lines)
            ours += line.startsWith("trelvo-edit: ");
        QCOMPARE(ours, 1);
    }
    // And a good one writes the picture.
    QFile::remove(out);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(editor, {sample, QStringLiteral("--screenshot"), out, QStringLiteral("--size"),
                           QStringLiteral("900x700"), QStringLiteral("--span"), QStringLiteral("200")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QImage(out).size(), QSize(900, 700));
    QFile::remove(out);
}

QTEST_MAIN(TestScreenshot)
#include "tst_screenshot.moc"
