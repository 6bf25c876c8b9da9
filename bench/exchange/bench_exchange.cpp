// Download and upload of the whole of Bad Hersfeld through the editor against the loopback fake server:
// wall time of each exchange including the load into the editor (goal: under 2 s each), how often the
// progress moved, and how fast a cancel during a slow transfer is answered (goal: under 100 ms).

#include "benchsupport.h"
#include "exchangetestkit.h"

#include "editor/netedit.h"
#include "exchange/trelvohttpclient.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "network.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <memory>

using namespace Trelvoga;

namespace {

struct Host
{
    NetworkScene scene;
    std::unique_ptr<Networkg> net;
    std::unique_ptr<MapView> view;
    std::unique_ptr<NetEdit> edit;

    explicit Host(bool undoStack)
    {
        net = std::make_unique<Networkg>(&scene);
        view = std::make_unique<MapView>(&scene);
        view->resize(1200, 800);
        edit = std::make_unique<NetEdit>(net.get(), view.get());
        if (undoStack)
            edit->createUndoStack();
        QObject::connect(edit.get(), &NetEdit::logMessage, [](const QString &text, QtMsgType) {
            std::fprintf(stderr, "log: %s\n", qPrintable(text));
        });
    }
};

// Counts the distinct progress values the client showed while it was up.
class ProgressWatch
{
public:
    ProgressWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *client = qobject_cast<TrelvoHttpClient *>(QApplication::activeModalWidget());
            if (client && client->value() > 0 && client->value() != m_last) {
                m_last = client->value();
                ++steps;
            }
        });
        m_timer.start(5);
    }
    int steps = 0;

private:
    QTimer m_timer;
    int m_last = -1;
};

} // namespace

int main(int argc, char **argv)
{
    BenchSupport::preferOffscreen();
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TrelvoBench"));
    QCoreApplication::setApplicationName(QStringLiteral("bench_exchange"));
    QSettings().clear();

    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("badhersfeld.trva"));
    if (!BenchSupport::prepareOwnFile(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), own))
        return 1;
    BenchSupport::print(QStringLiteral("file size"), QFileInfo(own).size() / 1e6, "MB");

    FakeServer server;
    if (!server.start(dir.path())) {
        std::fprintf(stderr, "the fake server did not start\n");
        return 1;
    }
    server.configure({{QStringLiteral("net"), own}});
    QSettings().setValue(QStringLiteral("RRS/url"), server.url(QStringLiteral("/base/")));
    ModalScript unexpected;

    // The parts: the transfer alone, and the model's load of the bytes alone.
    {
        TrelvoHttpClient client;
        QElapsedTimer clock;
        clock.start();
        const int ok = client.getData(QUrl(server.url(QStringLiteral("/base/get_net"))));
        BenchSupport::print(QStringLiteral("transfer only"), double(clock.elapsed()), "ms");
        const QByteArray data = client.data();
        if (ok != 1 || data.size() != QFileInfo(own).size())
            std::fprintf(stderr, "the transfer failed\n");
        clock.restart();
        Trelvoa::Network net;
        QXmlStreamReader reader(data);
        net.load(reader, false);
        BenchSupport::print(QStringLiteral("model load only"), double(clock.elapsed()), "ms");
    }

    for (bool undoStack : {true, false}) {
        const QString suffix = undoStack ? QStringLiteral(" (undoable)") : QStringLiteral(" (direct)");
        Host host(undoStack);
        ProgressWatch progress;
        QElapsedTimer clock;
        clock.start();
        host.edit->downloadNetworkForArea(QRectF(9.6, 50.8, 0.2, 0.1), false);
        BenchSupport::print(QStringLiteral("download and load") + suffix, double(clock.elapsed()), "ms");
        // Items of a merged part are refreshed in a batch after the load: part of what the user waits for.
        host.net->flushUpdates();
        BenchSupport::print(QStringLiteral("download, load and item refresh") + suffix, double(clock.elapsed()), "ms");
        BenchSupport::print(QStringLiteral("objects loaded") + suffix, host.net->objectCount(), "");
        BenchSupport::print(QStringLiteral("progress steps shown") + suffix, progress.steps, "");

        {
            QByteArray body;
            QXmlStreamWriter writer(&body);
            clock.restart();
            host.net->save(writer, true, false);
            BenchSupport::print(QStringLiteral("save only") + suffix, double(clock.elapsed()), "ms");
        }
        ProgressWatch upProgress;
        clock.restart();
        for (QAction *action : host.edit->dbActions()) {
            if (action->objectName() == QLatin1String("dbUpload"))
                action->trigger();
        }
        BenchSupport::print(QStringLiteral("save and upload") + suffix, double(clock.elapsed()), "ms");
        BenchSupport::print(QStringLiteral("ids renumbered by the server") + suffix,
                            QFileInfo(dir.filePath(QStringLiteral("stored_ids.json"))).size() > 2 ? 1 : 0, "");
        BenchSupport::print(QStringLiteral("bytes stored by the server") + suffix, server.stored(QStringLiteral("dbput")).size() / 1e6, "MB");
        BenchSupport::print(QStringLiteral("progress steps shown on upload") + suffix, upProgress.steps, "");

        // Again over the loaded network: the part replaces it.
        clock.restart();
        host.edit->downloadNetworkForArea(QRectF(9.6, 50.8, 0.2, 0.1), false);
        host.net->flushUpdates();
        BenchSupport::print(QStringLiteral("download replacing the loaded network") + suffix, double(clock.elapsed()), "ms");
        // What replacing costs before anything is loaded: emptying the scene network.
        clock.restart();
        host.edit->clear();
        BenchSupport::print(QStringLiteral("clearing the loaded network") + suffix, double(clock.elapsed()), "ms");
    }

    // Progress on a transfer throttled to about 20 MB/s (the loopback is too fast to see it move).
    {
        server.configure({{QStringLiteral("net"), own}, {QStringLiteral("slow"), 1 << 20}});
        TrelvoHttpClient client;
        ProgressWatch progress;
        QElapsedTimer clock;
        clock.start();
        client.getData(QUrl(server.url(QStringLiteral("/base/get_net"))));
        BenchSupport::print(QStringLiteral("throttled transfer"), double(clock.elapsed()), "ms");
        BenchSupport::print(QStringLiteral("progress steps shown (throttled)"), progress.steps, "");
    }

    // Cancel during a slow transfer: from the click to the end of the exchange.
    {
        server.configure({{QStringLiteral("net"), own}, {QStringLiteral("slow"), 65536}});
        Host host(true);
        QElapsedTimer clock;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto *client = qobject_cast<TrelvoHttpClient *>(QApplication::activeModalWidget());
            if (!client || client->value() <= 0 || clock.isValid())
                return;
            clock.start();
            for (QPushButton *button : client->findChildren<QPushButton *>())
                button->click();
        });
        watcher.start(5);
        host.edit->downloadNetworkForArea(QRectF(9.6, 50.8, 0.2, 0.1), false);
        BenchSupport::print(QStringLiteral("cancel answered"), clock.isValid() ? double(clock.nsecsElapsed()) / 1e6 : -1.0, "ms");
        BenchSupport::print(QStringLiteral("objects after cancel"), host.net->objectCount(), "");
    }
    if (!unexpected.unexpected.isEmpty())
        std::fprintf(stderr, "unexpected dialogs: %s\n", qPrintable(unexpected.unexpected.join(QStringLiteral("; "))));
    QSettings().clear();
    return 0;
}
