#include "mainwindow.h"
#include "mapview.h"
#include "networkfiles.h"

#include "scene/networkg.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>

namespace {

bool parseSize(const QString &text, QSize *size)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 16 || h < 16 || w > 16384 || h > 16384)
        return false;
    *size = QSize(w, h);
    return true;
}

int fail(const QString &message)
{
    QTextStream(stderr) << "trelvo-edit: " << message << '\n';
    return 1;
}

// The program's own options.
struct Options
{
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QStringLiteral("Render the network to a PNG file and exit"),
                                  QStringLiteral("png")};
    QCommandLineOption size{QStringLiteral("size"), QStringLiteral("Screenshot size, WxH"), QStringLiteral("size"),
                            QStringLiteral("1280x800")};
    QCommandLineOption focus{QStringLiteral("focus"), QStringLiteral("Centre the view on a node id or on LON,LAT"),
                             QStringLiteral("id|lon,lat")};
    QCommandLineOption zoom{QStringLiteral("zoom"),
                            QStringLiteral("Web-map zoom level of the view (%1 to %2)").arg(MapView::MinZoom).arg(MapView::MaxZoom),
                            QStringLiteral("level")};
    QCommandLineOption span{QStringLiteral("span"), QStringLiteral("Show at least this many metres across (instead of --zoom)"),
                            QStringLiteral("metres")};

    void addTo(QCommandLineParser *parser) const
    {
        parser->setApplicationDescription(QStringLiteral("Editor for road-traffic network models"));
        parser->addHelpOption();
        parser->addPositionalArgument(QStringLiteral("file"), QStringLiteral("Network file to open"));
        parser->addOptions({screenshot, size, focus, zoom, span});
    }
};

// The file named on the command line starts to be read and parsed before the application is made (a
// city's parse takes longer than the application and its window). Qt's own options are not known yet:
// a value of one may pass for the file here, whose prefetch then finds no such file or is never
// taken; the command line read again after the application is made decides.
void prefetchNamedFile(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    Options().addTo(&parser);
    parser.parse(arguments);
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty() && !parser.isSet(QStringLiteral("help")))
        NetworkFiles::prefetch(files.first());
}

} // namespace

int main(int argc, char *argv[])
{
    // Screenshot mode needs no display: pick the offscreen platform before the application starts.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--screenshot") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // Plain raster windows: a window that OpenGL can draw into costs the whole OpenGL driver (some
    // fifty megabytes) at start. Only the panorama needs one; its first page turns this off again.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    prefetchNamedFile(argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Trelvo"));
    QApplication::setApplicationName(QStringLiteral("trelvo-edit"));
    // The editor's texts in the system's language, where a translation is shipped next to the program.
    Trelvoga::Networkg::loadTranslations();

    QCommandLineParser parser;
    const Options options;
    options.addTo(&parser);
    parser.process(app);
    const QCommandLineOption &screenshotOption = options.screenshot;
    const QCommandLineOption &sizeOption = options.size;
    const QCommandLineOption &focusOption = options.focus;
    const QCommandLineOption &zoomOption = options.zoom;
    const QCommandLineOption &spanOption = options.span;

    // Checked before anything is loaded: a typo should not cost the load of a large network.
    int zoom = 0;
    double span = 0.0;
    if (parser.isSet(zoomOption)) {
        bool ok = false;
        zoom = parser.value(zoomOption).toInt(&ok);
        if (!ok || zoom < MapView::MinZoom || zoom > MapView::MaxZoom)
            return fail(QStringLiteral("invalid --zoom \"%1\" (expected a level from %2 to %3)")
                            .arg(parser.value(zoomOption))
                            .arg(MapView::MinZoom)
                            .arg(MapView::MaxZoom));
    }
    if (parser.isSet(spanOption)) {
        bool ok = false;
        span = parser.value(spanOption).toDouble(&ok);
        if (!ok || !qIsFinite(span) || span <= 0.0 || span > 1e7)
            return fail(QStringLiteral("invalid --span \"%1\" (expected metres, more than 0)")
                            .arg(parser.value(spanOption)));
        if (zoom > 0)
            return fail(QStringLiteral("--zoom and --span exclude each other"));
    }
    const QString focus = parser.value(focusOption);
    if (parser.isSet(focusOption) && focus.trimmed().isEmpty())
        return fail(QStringLiteral("invalid --focus \"\" (expected a node id or LON,LAT)"));
    // A focus alone shows the surroundings of a junction.
    if (!focus.isEmpty() && zoom == 0 && span == 0.0)
        span = 150.0;

    const QStringList files = parser.positionalArguments();
    // The file is read while the window is made (begun above already, where the command line was the
    // same).
    if (!files.isEmpty())
        NetworkFiles::prefetch(files.first());
    MainWindow window;
    const bool screenshot = parser.isSet(screenshotOption);
    QSize size;
    if (screenshot && !parseSize(parser.value(sizeOption), &size))
        return fail(QStringLiteral("invalid --size \"%1\" (expected WxH)").arg(parser.value(sizeOption)));
    if (screenshot) {
        // No questions without a user: nothing is changed in this mode anyway.
        window.setInteractive(false);
        window.resize(size);
        window.show();
        QApplication::processEvents();
    }
    if (!screenshot && !files.isEmpty()) {
        // The window first, then the load with its progress: the user sees at once that the program
        // runs, and the view has its size when the network is fitted into it.
        window.show();
        QApplication::processEvents();
    }
    if (!files.isEmpty()) {
        QString error;
        if (!window.openFile(files.first(), &error)) {
            if (screenshot)
                return fail(error);
            window.show();
            QMessageBox::critical(&window, QApplication::translate("main", "Open network"), error);
        }
        NetworkFiles::dropPrefetch();
    }

    const bool placed = !focus.isEmpty() || zoom > 0 || span > 0.0;
    if (screenshot)
        window.fitNetwork();
    else if (placed)
        window.show();
    if (placed) {
        QString error;
        if (!window.focusView(focus, zoom, span, &error)) {
            if (screenshot)
                return fail(error);
            QTextStream(stderr) << "trelvo-edit: " << error << '\n';
        }
    }
    if (screenshot) {
        const QImage image = window.renderView(size);
        if (!image.save(parser.value(screenshotOption), "PNG"))
            return fail(QStringLiteral("cannot write \"%1\"").arg(parser.value(screenshotOption)));
        return 0;
    }

    window.show();
    return app.exec();
}
