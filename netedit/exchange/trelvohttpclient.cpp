#include "exchange/trelvohttpclient.h"

#include "exchange/authdlga.h"

#include <QAuthenticator>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSettings>
#include <QSslCertificate>
#include <QSslError>

#include <climits>

namespace Trelvoga {

namespace {

const QString walletTool = QStringLiteral("kwalletcli");
const QString walletFolder = QStringLiteral("TrelvoEdit");
const int walletTimeoutMs = 3000;
// A server's error page is shown as text; a long one is cut so that the box stays on the screen.
const int maxShownBody = 4000;

struct SessionCredentials
{
    QString user;
    QString password;
};

// Credentials kept for the session, per host: a password given to one server is never offered to another.
QHash<QString, SessionCredentials> &sessionCredentials()
{
    static QHash<QString, SessionCredentials> credentials;
    return credentials;
}

bool keepForSession = false;

void openSettings(QSettings &settings)
{
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("TrelvoHttpClient"));
}

QString hostOf(const QUrl &url)
{
    return url.host(QUrl::FullyDecoded).toLower();
}

bool walletAvailable()
{
    QProcess probe;
    probe.start(walletTool, QStringList(), QIODevice::ReadOnly);
    if (probe.waitForFinished(walletTimeoutMs))
        return true;
    if (probe.state() != QProcess::NotRunning) {
        probe.kill();
        probe.waitForFinished(walletTimeoutMs);
    }
    return false;
}

QString readWalletPassword(const QString &user)
{
    QProcess tool;
    tool.start(walletTool, {QStringLiteral("-f"), walletFolder, QStringLiteral("-e"), user}, QIODevice::ReadOnly);
    if (!tool.waitForFinished(walletTimeoutMs)) {
        tool.kill();
        tool.waitForFinished(walletTimeoutMs);
        return QString();
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return QString();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

void writeWalletPassword(const QString &user, const QString &password)
{
    QProcess tool;
    tool.start(walletTool, {QStringLiteral("-f"), walletFolder, QStringLiteral("-e"), user, QStringLiteral("-P")},
               QIODevice::WriteOnly);
    if (!tool.waitForStarted(walletTimeoutMs))
        return;
    // The password goes through the pipe, never on the command line where other users could read it.
    tool.write(password.toUtf8());
    tool.closeWriteChannel();
    if (!tool.waitForFinished(walletTimeoutMs)) {
        tool.kill();
        tool.waitForFinished(walletTimeoutMs);
    }
}

} // namespace

TrelvoHttpClient::TrelvoHttpClient(QWidget *parent)
    : QProgressDialog(parent)
{
    setAutoClose(false);
    setAutoReset(false);
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            &TrelvoHttpClient::slotAuthenticationRequired);
    connect(&m_manager, &QNetworkAccessManager::sslErrors, this, &TrelvoHttpClient::sslErrors);
    connect(this, &QProgressDialog::canceled, this, &TrelvoHttpClient::cancelDownload);
}

TrelvoHttpClient::~TrelvoHttpClient()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void TrelvoHttpClient::forgetSessionCredentials()
{
    sessionCredentials().clear();
    keepForSession = false;
}

QString TrelvoHttpClient::trustedDigestKey(const QString &host)
{
    return QStringLiteral("trusted_cert_digest/") + host.toLower();
}

int TrelvoHttpClient::getData(const QUrl &url)
{
    m_url = url;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    setWindowTitle(tr("Downloading network"));
    setLabelText(tr("Downloading ..."));
    return run(m_manager.get(request), SIGNAL(downloadProgress(qint64, qint64)));
}

int TrelvoHttpClient::postData(const QUrl &url, const QByteArray &body)
{
    m_url = url;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/xml"));
    setWindowTitle(tr("Uploading network"));
    setLabelText(tr("Uploading ..."));
    return run(m_manager.post(request, body), SIGNAL(uploadProgress(qint64, qint64)));
}

int TrelvoHttpClient::run(QNetworkReply *reply, const char *progressSignal)
{
    m_reply = reply;
    m_canceled = false;
    m_data.clear();
    setRange(0, 0);
    connect(reply, &QNetworkReply::finished, this, &TrelvoHttpClient::httpFinished);
    connect(reply, &QIODevice::readyRead, this, &TrelvoHttpClient::httpReadyRead);
    connect(reply, progressSignal, this, SLOT(updateDataExchangeProgress(qint64, qint64)));
    return exec() == QDialog::Accepted ? 1 : 0;
}

void TrelvoHttpClient::warn(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("HTTP"), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TrelvoHttpClient::cancelDownload()
{
    m_canceled = true;
    if (m_reply)
        m_reply->abort();
}

void TrelvoHttpClient::httpFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    if (m_canceled) {
        reject();
        return;
    }
    const QVariant redirect = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError) {
        // Only an HTTP error status carries the server's own explanation; the body of a transfer that
        // broke off is part of the payload.
        if (m_data.isEmpty() || status < 400) {
            warn(tr("Download failed: %1.").arg(reply->errorString()));
        } else {
            QString page = QString::fromUtf8(m_data);
            if (page.size() > maxShownBody)
                page = page.left(maxShownBody) + QStringLiteral("...");
            warn(page);
        }
        reject();
    } else if (redirect.isValid()) {
        warn(tr("Redirection not supported"));
        reject();
    } else {
        accept();
    }
}

void TrelvoHttpClient::httpReadyRead()
{
    if (!m_reply)
        return;
    m_data += m_reply->readAll();
    // Setting the value runs events (the dialog is modal): nothing after it may rely on the reply.
    if (maximum() > 0)
        setValue(maximum());
}

void TrelvoHttpClient::updateDataExchangeProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (m_canceled)
        return;
    if (totalBytes <= 0) {
        setRange(0, 0);
        return;
    }
    setMaximum(int(qMin<qint64>(totalBytes, INT_MAX)));
    setValue(int(qMin<qint64>(bytesRead, INT_MAX)));
}

void TrelvoHttpClient::slotAuthenticationRequired(QNetworkReply *, QAuthenticator *authenticator)
{
    const QString host = hostOf(m_url);
    QString user;
    bool keepInWallet = false;
    {
        QSettings settings;
        openSettings(settings);
        user = settings.value(QStringLiteral("last_login")).toString();
        keepInWallet = settings.value(QStringLiteral("keep_in_kwallet"), false).toBool();
    }
    SessionCredentials kept = sessionCredentials().value(host);
    if (!kept.user.isEmpty())
        user = kept.user;
    if (keepForSession && !kept.user.isEmpty() && !kept.password.isEmpty()) {
        // Asked again for what it was just given: the server refused it, so the user is asked.
        if (authenticator->user() != kept.user || authenticator->password() != kept.password) {
            authenticator->setUser(kept.user);
            authenticator->setPassword(kept.password);
            return;
        }
        sessionCredentials()[host].password.clear();
        kept.password.clear();
    }

    const bool wallet = walletAvailable();
    AuthDlga dialog(this);
    dialog.keepInWallet()->setVisible(wallet);
    dialog.keepForSession()->setChecked(keepForSession);
    dialog.keepInWallet()->setEnabled(!keepForSession);
    dialog.keepInWallet()->setChecked(keepInWallet);

    QString password = kept.password;
    if (wallet && !user.isEmpty() && keepInWallet && password.isEmpty())
        password = readWalletPassword(user);

    dialog.siteDescription()->setText(dialog.siteDescription()->text().arg(authenticator->realm(), host));
    if (!user.isEmpty())
        dialog.userEdit()->setText(user);
    if (!password.isEmpty())
        dialog.passwordEdit()->setText(password);
    dialog.adjustSize();
    if (dialog.exec() != QDialog::Accepted) {
        m_canceled = true;
        return;
    }

    user = dialog.userEdit()->text();
    password = dialog.passwordEdit()->text();
    {
        QSettings settings;
        openSettings(settings);
        settings.setValue(QStringLiteral("last_login"), user);
        settings.setValue(QStringLiteral("keep_in_kwallet"), dialog.keepInWallet()->isChecked());
        settings.sync();
    }
    authenticator->setUser(user);
    authenticator->setPassword(password);
    keepForSession = dialog.keepForSession()->isChecked();
    if (wallet && dialog.keepInWallet()->isChecked()
        && (dialog.userEdit()->isModified() || dialog.passwordEdit()->isModified()))
        writeWalletPassword(user, password);
    sessionCredentials()[host] = {user, keepForSession ? password : QString()};
}

void TrelvoHttpClient::sslErrors(QNetworkReply *reply, const QList<QSslError> &errors)
{
    const QString host = hostOf(reply ? reply->url() : m_url);
    QByteArray trusted;
    {
        QSettings settings;
        openSettings(settings);
        trusted = QByteArray::fromHex(settings.value(trustedDigestKey(host)).toString().toLatin1());
    }
    QString message;
    QByteArray digest;
    for (const QSslError &error : errors) {
        if (error.error() == QSslError::SelfSignedCertificate) {
            const QByteArray computed = error.certificate().digest(QCryptographicHash::Md5);
            if (!trusted.isEmpty() && trusted == computed) {
                digest.clear();
                continue;
            }
            digest = computed;
        }
        if (!message.isEmpty())
            message += QLatin1Char('\n');
        message += error.errorString();
    }
    if (message.isEmpty()) {
        if (reply)
            reply->ignoreSslErrors(errors);
        return;
    }

    QMessageBox box(QMessageBox::Warning, QStringLiteral("HTTP"),
                    tr("One or more SSL errors has occurred:\n%1").arg(message),
                    QMessageBox::Ignore | QMessageBox::Abort, this);
    box.setTextFormat(Qt::PlainText);
    QCheckBox *save = nullptr;
    if (!digest.isEmpty()) {
        save = new QCheckBox(tr("Save certificate as trusted"), &box);
        box.setCheckBox(save);
    }
    if (box.exec() == QMessageBox::Ignore) {
        if (reply)
            reply->ignoreSslErrors(errors);
        if (save && save->isChecked()) {
            QSettings settings;
            openSettings(settings);
            settings.setValue(trustedDigestKey(host), QString::fromLatin1(digest.toHex()));
        }
        return;
    }
    cancelDownload();
}

} // namespace Trelvoga
