#pragma once

// What the exchange tests share: the fake server (tests/exchange/fakeserver.py) run on the loopback
// address, and a script that answers the modal dialogs of an exchange as a user would.

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>

class QWidget;

class FakeServer
{
public:
    FakeServer() = default;
    FakeServer(const FakeServer &) = delete;
    FakeServer &operator=(const FakeServer &) = delete;
    ~FakeServer();

    // Runs the server on a free port with its files under root; with a certificate it speaks TLS.
    bool start(const QString &root, const QString &cert = QString(), const QString &key = QString());
    void stop();

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" (https with a certificate) followed by path.
    QString url(const QString &path = QString(), const QString &host = QStringLiteral("127.0.0.1")) const;
    // Replaces the server's behaviour (see fakeserver.py).
    void configure(const QJsonObject &config) const;
    // The requests served since the last clearRequests(), oldest first.
    QList<QJsonObject> requests() const;
    void clearRequests() const;
    QByteArray stored(const QString &endpoint) const;

private:
    QProcess m_process;
    QString m_root;
    bool m_tls = false;
    int m_port = 0;
};

// Answers modal dialogs in order: each step waits until the active modal widget inherits its class. A
// message box or credential dialog that no step expects is recorded and rejected, so that a test never
// hangs on a dialog it did not foresee.
class ModalScript : public QObject
{
public:
    ModalScript();

    void add(const char *className, const std::function<void(QWidget *)> &act);
    // Shortcuts: a message box answered with a button, a credential dialog filled in.
    void answerBox(int standardButton, bool checkTheCheckBox = false);
    void answerAuth(const QString &user, const QString &password, bool keepForSession);
    void cancelAuth();
    void answerInput(const QString &text, bool accept = true);

    bool done() const { return m_steps.isEmpty(); }
    // Texts of the message boxes answered, in order.
    QStringList boxTexts;
    // Whether each answered box offered a check box.
    QList<bool> boxCheckBoxes;
    // Classes of dialogs nobody expected.
    QStringList unexpected;

private:
    struct Step
    {
        const char *className;
        std::function<void(QWidget *)> act;
    };
    void tick();

    QList<Step> m_steps;
    QTimer m_timer;
};
