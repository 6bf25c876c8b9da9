#pragma once

// What the panorama tests need around the page: a loopback server that serves a stand-in for the
// street-view service's script (same objects and calls, no network), scripts run on the page with a
// timeout, and the WebEngine set-up a test program's main() makes before the application exists.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>
#include <QVariant>

class QWebEnginePage;

namespace StandIn {

// Serves the stand-in script for every request and keeps the request paths (with their queries).
class Server : public QObject
{
    Q_OBJECT

public:
    explicit Server(QObject *parent = nullptr);

    // What loader_url is set to.
    QUrl loaderUrl() const;
    QStringList requests() const { return m_requests; }

private:
    void serve();

    QTcpServer m_server;
    QStringList m_requests;
};

// The script's result, or an invalid QVariant after timeoutMs.
QVariant runJs(QWebEnginePage *page, const QString &script, int timeoutMs = 5000);
// Runs the script until it gives true; false after timeoutMs.
bool waitForJs(QWebEnginePage *page, const QString &script, int timeoutMs = 5000);

// Before QApplication: software rendering and no sandbox, so that WebEngine runs offscreen, under xvfb
// and under the sanitizers.
void prepareWebEngine();
// After QApplication: the settings go to a fresh temporary folder (kept alive until exit).
void isolateSettings();

} // namespace StandIn
