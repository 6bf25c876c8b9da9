#include "mainwindow.h"

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

} // namespace

int main(int argc, char *argv[])
{
    // Screenshot mode needs no display: pick the offscreen platform before the application starts.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--screenshot") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Trelvo"));
    QApplication::setApplicationName(QStringLiteral("trelvo-edit"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for road-traffic network models"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Network file to open"));
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Render the network to a PNG file and exit"),
                                        QStringLiteral("png"));
    QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Screenshot size, WxH"),
                                  QStringLiteral("size"), QStringLiteral("1280x800"));
    parser.addOption(screenshotOption);
    parser.addOption(sizeOption);
    parser.process(app);

    MainWindow window;
    const QStringList files = parser.positionalArguments();
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
    if (!files.isEmpty()) {
        QString error;
        if (!window.openFile(files.first(), &error)) {
            if (screenshot)
                return fail(error);
            window.show();
            QMessageBox::critical(&window, QApplication::translate("main", "Open network"), error);
        }
    }

    if (screenshot) {
        window.fitNetwork();
        const QImage image = window.renderView(size);
        if (!image.save(parser.value(screenshotOption), "PNG"))
            return fail(QStringLiteral("cannot write \"%1\"").arg(parser.value(screenshotOption)));
        return 0;
    }

    window.show();
    return app.exec();
}
