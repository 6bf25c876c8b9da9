#pragma once

#include "trelvoga_global.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QProgressDialog>
#include <QUrl>

class QAuthenticator;
class QNetworkReply;
class QSslError;

namespace Trelvoga {

// One HTTP exchange at a time, modal for the user: a GET that downloads a network or a POST that uploads
// one, with progress and a Cancel button. Asks for credentials when the server demands them (kept for
// the session per host, optionally in the wallet through the "kwalletcli" tool) and lets the user trust
// a self-signed server certificate, pinned by its digest to the host that presented it. Redirections
// are refused, never followed.
class TRELVOGA_EXPORT TrelvoHttpClient : public QProgressDialog
{
    Q_OBJECT

public:
    explicit TrelvoHttpClient(QWidget *parent = nullptr);
    ~TrelvoHttpClient() override;

    // 1 when the exchange succeeded, 0 when it failed or was cancelled (the user has been told why).
    int getData(const QUrl &url);
    int postData(const QUrl &url, const QByteArray &body);
    // The body received: the network downloaded, or the server's answer to an upload.
    QByteArray data() const { return m_data; }

    // Forgets the credentials kept for the session (all hosts).
    static void forgetSessionCredentials();
    // The settings key under which the trusted certificate digest of a host is kept.
    static QString trustedDigestKey(const QString &host);

public slots:
    void cancelDownload();
    void httpFinished();
    void httpReadyRead();
    void updateDataExchangeProgress(qint64 bytesRead, qint64 totalBytes);
    void slotAuthenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    void sslErrors(QNetworkReply *reply, const QList<QSslError> &errors);

private:
    int run(QNetworkReply *reply, const char *progressSignal);
    void warn(const QString &text);

    QUrl m_url;
    QNetworkAccessManager m_manager;
    QNetworkReply *m_reply = nullptr;
    bool m_canceled = false;
    QByteArray m_data;
};

} // namespace Trelvoga
