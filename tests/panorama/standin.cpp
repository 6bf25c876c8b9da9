#include "standin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <memory>

namespace StandIn {

namespace {

// The service's objects as the page uses them. Every call is logged in standIn.calls; setting the
// position or the view fires the service's change events at once, as the service does after it moved.
// Drawn as a plain panel, so that screenshots show where the panorama is.
const char script[] = R"JS(
(function() {
    var listeners = {};
    window.standIn = {calls: [], panorama: null,
        last: function(name) {
            for (var i = this.calls.length - 1; i >= 0; --i)
                if (this.calls[i][0] === name)
                    return this.calls[i];
            return null;
        }};
    function show(pano) {
        pano.element.style.background = "linear-gradient(#8fb8de, #d9e4ec 55%, #8c8c8c 55%, #5b5b5b)";
        pano.element.style.font = "16px sans-serif";
        pano.element.innerHTML = "<div style='padding:12px'>Stand-in panorama<br>lat " +
            pano.position.lat.toFixed(6) + ", lng " + pano.position.lng.toFixed(6) +
            "<br>heading " + pano.pov.heading.toFixed(1) + "</div>";
    }
    function Panorama(element, options) {
        this.element = element;
        this.position = {lat: options.position.lat, lng: options.position.lng};
        this.pov = {heading: options.pov.heading, pitch: options.pov.pitch};
        standIn.panorama = this;
        standIn.calls.push(["create", this.position.lat, this.position.lng, this.pov.heading]);
        show(this);
    }
    Panorama.prototype.addListener = function(name, f) {
        (listeners[name] = listeners[name] || []).push(f);
    };
    Panorama.prototype.fire = function(name) {
        (listeners[name] || []).forEach(function(f) { f(); });
    };
    Panorama.prototype.setPosition = function(p) {
        this.position = {lat: p.lat, lng: p.lng};
        standIn.calls.push(["setPosition", p.lat, p.lng]);
        show(this);
        this.fire("position_changed");
    };
    Panorama.prototype.getPosition = function() {
        var p = this.position;
        return {lat: function() { return p.lat; }, lng: function() { return p.lng; }};
    };
    Panorama.prototype.setPov = function(pov) {
        this.pov = {heading: pov.heading, pitch: pov.pitch};
        standIn.calls.push(["setPov", pov.heading]);
        show(this);
        this.fire("pov_changed");
    };
    Panorama.prototype.getPov = function() { return this.pov; };
    window.google = {maps: {StreetViewPanorama: Panorama}};
    var callback = /[?&]callback=([A-Za-z_0-9]+)/.exec(document.currentScript.src);
    if (callback)
        window[callback[1]]();
})();
)JS";

} // namespace

Server::Server(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &Server::serve);
    if (!m_server.listen(QHostAddress::LocalHost))
        qWarning("stand-in server: %s", qPrintable(m_server.errorString()));
}

QUrl Server::loaderUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/standin.js").arg(m_server.serverPort()));
}

void Server::serve()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
            m_requests.append(requestLine.size() > 1 ? QString::fromLatin1(requestLine.at(1)) : QString());
            const QByteArray body(script);
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: application/javascript\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    }
}

QVariant runJs(QWebEnginePage *page, const QString &script, int timeoutMs)
{
    // Shared: a result that comes after the timeout must not write to a finished call.
    struct State
    {
        QVariant result;
        bool done = false;
        QEventLoop loop;
    };
    auto state = std::make_shared<State>();
    page->runJavaScript(script, [state](const QVariant &result) {
        state->result = result;
        state->done = true;
        state->loop.quit();
    });
    if (!state->done) {
        QTimer::singleShot(timeoutMs, &state->loop, &QEventLoop::quit);
        state->loop.exec();
    }
    return state->done ? state->result : QVariant();
}

bool waitForJs(QWebEnginePage *page, const QString &script, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (runJs(page, script, int(timeoutMs - timer.elapsed())).toBool())
            return true;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

void prepareWebEngine()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    // Neither the offscreen platform nor xvfb offers OpenGL.
    qputenv("QT_QUICK_BACKEND", "software");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void isolateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("TrelvoTest"));
    QCoreApplication::setApplicationName(QStringLiteral("panorama"));
}

} // namespace StandIn
