#include "exchangetestkit.h"

#include "exchange/authdlga.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMessageBox>

FakeServer::~FakeServer()
{
    stop();
}

bool FakeServer::start(const QString &root, const QString &cert, const QString &key)
{
    m_root = root;
    m_tls = !cert.isEmpty();
    QStringList arguments{QStringLiteral(TRELVO_SOURCE_DIR "/tests/exchange/fakeserver.py"), QStringLiteral("--root"), root};
    if (m_tls)
        arguments << QStringLiteral("--cert") << cert << QStringLiteral("--key") << key;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"), arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000))
            return false;
    }
    m_port = m_process.readLine().trimmed().toInt();
    return m_port > 0;
}

void FakeServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString FakeServer::url(const QString &path, const QString &host) const
{
    return QStringLiteral("%1://%2:%3%4").arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"), host).arg(m_port).arg(path);
}

void FakeServer::configure(const QJsonObject &config) const
{
    QFile file(m_root + QStringLiteral("/config.json"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(config).toJson());
}

QList<QJsonObject> FakeServer::requests() const
{
    QList<QJsonObject> list;
    QFile file(m_root + QStringLiteral("/requests.log"));
    if (!file.open(QIODevice::ReadOnly))
        return list;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            list.append(QJsonDocument::fromJson(line).object());
    }
    return list;
}

void FakeServer::clearRequests() const
{
    QFile::remove(m_root + QStringLiteral("/requests.log"));
}

QByteArray FakeServer::stored(const QString &endpoint) const
{
    QFile file(m_root + QStringLiteral("/stored_%1.xml").arg(endpoint));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ModalScript::ModalScript()
{
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer.start(10);
}

void ModalScript::add(const char *className, const std::function<void(QWidget *)> &act)
{
    m_steps.append({className, act});
}

void ModalScript::answerBox(int standardButton, bool checkTheCheckBox)
{
    add("QMessageBox", [standardButton, checkTheCheckBox](QWidget *w) {
        auto *box = static_cast<QMessageBox *>(w);
        if (checkTheCheckBox && box->checkBox())
            box->checkBox()->setChecked(true);
        if (QAbstractButton *button = box->button(QMessageBox::StandardButton(standardButton)))
            button->click();
        else
            box->reject();
    });
}

void ModalScript::answerAuth(const QString &user, const QString &password, bool keepForSession)
{
    add("Trelvoga::AuthDlga", [user, password, keepForSession](QWidget *w) {
        auto *dialog = static_cast<Trelvoga::AuthDlga *>(w);
        if (dialog->userEdit()->text() != user) {
            dialog->userEdit()->setText(user);
            dialog->userEdit()->setModified(true);
        }
        if (dialog->passwordEdit()->text() != password) {
            dialog->passwordEdit()->setText(password);
            dialog->passwordEdit()->setModified(true);
        }
        if (dialog->keepForSession()->isChecked() != keepForSession)
            dialog->keepForSession()->click();
        dialog->accept();
    });
}

void ModalScript::cancelAuth()
{
    add("Trelvoga::AuthDlga", [](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
}

void ModalScript::answerInput(const QString &text, bool accept)
{
    add("QInputDialog", [text, accept](QWidget *w) {
        auto *dialog = static_cast<QInputDialog *>(w);
        if (!accept) {
            dialog->reject();
            return;
        }
        if (!text.isNull())
            dialog->setTextValue(text);
        dialog->accept();
    });
}

void ModalScript::tick()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible())
        return;
    if (!m_steps.isEmpty() && w->inherits(m_steps.first().className)) {
        const Step step = m_steps.takeFirst();
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            boxTexts.append(box->text());
            boxCheckBoxes.append(box->checkBox() != nullptr);
        }
        step.act(w);
        return;
    }
    if (w->inherits("QMessageBox") || w->inherits("Trelvoga::AuthDlga") || w->inherits("QInputDialog")) {
        QString what = QString::fromLatin1(w->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(w))
            what += QStringLiteral(": ") + box->text();
        unexpected.append(what);
        static_cast<QDialog *>(w)->reject();
    }
}
