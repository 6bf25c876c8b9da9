// Exchange with the road database server and the Vantal service.
#include "editor/netedit.h"
#include "editor/neteditprivate.h"

#include "commands/downloadnetcommand.h"
#include "editor/modes/areaselectionmode.h"
#include "exchange/trelvohttpclient.h"
#include "scene/networkg.h"

#include "netobject.h"

#include <QAction>
#include <QCoreApplication>
#include <QGraphicsRectItem>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPainterPath>
#include <QRectF>
#include <QSettings>
#include <QSignalBlocker>
#include <QUndoStack>
#include <QUrl>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Trelvoga {

namespace {

QString trExchange(const char *text)
{
    return QCoreApplication::translate("NetEdit", text);
}

void openSettings(QSettings &settings, const QString &group)
{
    settings.setIniCodec("UTF-8");
    settings.beginGroup(group);
}

// The endpoint below the base address's own path, one slash at the seam.
QUrl endpointUrl(const QUrl &base, const QString &endpoint, const QUrlQuery &query = QUrlQuery())
{
    QUrl url = base;
    QString path = base.path(QUrl::FullyDecoded);
    if (path.endsWith(QLatin1Char('/')) && endpoint.startsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + endpoint, QUrl::DecodedMode);
    url.setQuery(query);
    return url;
}

QString coordinate(double value)
{
    return QString::number(value, 'f', 8);
}

} // namespace

void NetEditPrivate::createDbActions()
{
    dbAreaAction = makeAction(QStringLiteral("dbArea"), trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download area")),
                              QString(), QString(), true);
    dbAreaAction->setToolTip(trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download the network of an area from the database, replacing the network")));
    dbAreaAddAction = makeAction(QStringLiteral("dbAreaAdd"), trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download area and join")),
                                 QString(), QString(), true);
    dbAreaAddAction->setToolTip(trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download the network of an area from the database and join it to the network")));
    dbGranuleAction = makeAction(QStringLiteral("dbGranule"), trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download granule ...")),
                                 QString(), QString(), false);
    dbUploadAction = makeAction(QStringLiteral("dbUpload"), trExchange(QT_TRANSLATE_NOOP("NetEdit", "Upload network to database")),
                                QString(), QString(), false);
    vantalDownloadAction = makeAction(QStringLiteral("vantalDownload"),
                                      trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download network from Vantal ...")),
                                      QString(), QString(), false);
    vantalUploadAction = makeAction(QStringLiteral("vantalUpload"),
                                    trExchange(QT_TRANSLATE_NOOP("NetEdit", "Upload network to Vantal ...")),
                                    QString(), QString(), false);

    // Either area action enters the area selection; the join action's state is the join flag the mode
    // reads when the area is picked.
    for (QAction *action : {dbAreaAction, dbAreaAddAction}) {
        QObject::connect(action, &QAction::triggered, q, [this, action](bool checked) {
            if (!checked) {
                if (mode == ModeAreaSelection)
                    q->leaveMode();
                return;
            }
            if (auto *area = static_cast<AreaSelectionMode *>(modeObject(ModeAreaSelection))) {
                QPointer<NetEdit> edit(q);
                area->setDownloadHandler([edit](const QRectF &rect, bool join) {
                    if (edit)
                        edit->downloadNetworkForArea(rect, join);
                });
            }
            q->enterMode(ModeAreaSelection, true);
            const QSignalBlocker blockThis(action);
            action->setChecked(mode == ModeAreaSelection);
            QAction *other = action == dbAreaAction ? dbAreaAddAction : dbAreaAction;
            const QSignalBlocker blockOther(other);
            other->setChecked(false);
        });
    }
    QObject::connect(dbGranuleAction, &QAction::triggered, q, [this] {
        bool ok = false;
        const QString id = QInputDialog::getText(q->findMainWindow(), trExchange(QT_TRANSLATE_NOOP("NetEdit", "Download granule")),
                                                 trExchange(QT_TRANSLATE_NOOP("NetEdit", "Granule id:")),
                                                 QLineEdit::Normal, QString(), &ok)
                               .trimmed();
        if (ok && !id.isEmpty())
            q->downloadGranule(id);
    });
    QObject::connect(dbUploadAction, &QAction::triggered, q, [this] {
        QByteArray body;
        QXmlStreamWriter writer(&body);
        if (!net->save(writer, true, false)) {
            emit q->logMessage(net->errorString(), QtCriticalMsg);
            return;
        }
        q->uploadData(body);
    });
    QObject::connect(vantalDownloadAction, &QAction::triggered, q, &NetEdit::downloadNetworkFromVantal);
    QObject::connect(vantalUploadAction, &QAction::triggered, q, &NetEdit::uploadNetworkToVantal);

    dbActions = {dbAreaAction, dbAreaAddAction, dbGranuleAction, dbUploadAction, vantalDownloadAction,
                 vantalUploadAction};
}

void NetEditPrivate::setViewPath(const char *method, const QPainterPath &path)
{
    const QByteArray signature = QByteArray(method) + "(QPainterPath)";
    if (view && view->metaObject()->indexOfMethod(signature.constData()) >= 0)
        QMetaObject::invokeMethod(view, method, Qt::DirectConnection, Q_ARG(QPainterPath, path));
}

bool NetEditPrivate::applyDownloaded(const QByteArray &data, const QPainterPath &area, bool join)
{
    if (undoStack) {
        auto *command = new DownloadNetCommand(q, area, join, data);
        if (!command->apply()) {
            delete command;
            return false;
        }
        undoStack->push(command);
        return true;
    }
    q->beforeLoad();
    QXmlStreamReader reader(data);
    // The model's load is all or nothing: a part that cannot be loaded leaves the user's network as it
    // was, so nothing is cleared on failure.
    const bool ok = net->load(reader, join);
    if (ok) {
        if (join) {
            for (QObject *child : net->children()) {
                if (auto *object = qobject_cast<Trelvoa::NetObject *>(child))
                    q->objectAdded(object, nullptr);
            }
        }
        net->setChanged(true);
    }
    q->afterLoad();
    if (!ok)
        emit q->logMessage(net->errorString(), QtCriticalMsg);
    return ok;
}

QString NetEditPrivate::askVantalUrl(const QString &title, const QString &label)
{
    QSettings settings;
    openSettings(settings, QStringLiteral("vantal_web"));
    const QString stored = settings.value(QStringLiteral("url")).toString();
    bool ok = false;
    const QString text = QInputDialog::getText(q->findMainWindow(), title, label, QLineEdit::Normal, stored, &ok).trimmed();
    if (!ok || text.isEmpty())
        return QString();
    if (text != stored)
        settings.setValue(QStringLiteral("url"), text);
    QUrl url(text, QUrl::TolerantMode);
    // "host:port/path" parses as a scheme; such an address is taken as the user means it.
    if (url.host().isEmpty())
        url = QUrl::fromUserInput(text);
    return url.toString(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
}

QUrl NetEdit::getRRSUrl()
{
    QSettings settings;
    openSettings(settings, QStringLiteral("RRS"));
    QUrl url(settings.value(QStringLiteral("url")).toString(), QUrl::TolerantMode);
    if (!url.isEmpty())
        return url;
    QWidget *parent = findMainWindow();
    const QString title = QCoreApplication::applicationName();
    const auto answer = QMessageBox::question(
        parent, title,
        tr("Address of server for exchange with database is not set. Do you want to define it now?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::No)
        return url;
    const QString text = QInputDialog::getText(parent, title, tr("URL:"), QLineEdit::Normal, QString()).trimmed();
    if (!text.isEmpty()) {
        settings.setValue(QStringLiteral("url"), text);
        url = QUrl(text, QUrl::TolerantMode);
    }
    return url;
}

void NetEdit::uploadData(const QByteArray &body)
{
    const QUrl base = getRRSUrl();
    if (base.isEmpty())
        return;
    TrelvoHttpClient client(findMainWindow());
    if (client.postData(endpointUrl(base, QStringLiteral("/dbput")), body) != 1)
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(client.data(), &error);
    if (error.error != QJsonParseError::NoError) {
        emit logMessage(tr("JSON parse error at offset %1: %2").arg(error.offset).arg(error.errorString()), QtCriticalMsg);
        return;
    }
    const QVariantMap ids = document.object().toVariantMap();
    if (!d->net->updateIds(ids)) {
        emit logMessage(d->net->errorString(), QtCriticalMsg);
        return;
    }
    if (ids.isEmpty())
        return;
    // The history names objects by id: after a renumbering its steps would reach the wrong objects.
    if (d->undoStack) {
        d->dropPendingCommands();
        d->undoStack->clear();
    }
    for (const QVariant &value : ids) {
        if (Trelvoa::NetObject *object = d->net->findObject(value.toInt()))
            updateObjectNameInTree(object);
    }
}

void NetEdit::downloadNetworkForArea(const QRectF &area, bool join)
{
    const QRectF rect = area.normalized();
    const QUrl base = getRRSUrl();
    if (base.isEmpty())
        return;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("min_lng"), coordinate(rect.left()));
    query.addQueryItem(QStringLiteral("min_lat"), coordinate(rect.top()));
    query.addQueryItem(QStringLiteral("max_lng"), coordinate(rect.right()));
    query.addQueryItem(QStringLiteral("max_lat"), coordinate(rect.bottom()));
    TrelvoHttpClient client(findMainWindow());
    if (client.getData(endpointUrl(base, QStringLiteral("/dbget"), query)) != 1) {
        delete d->areaRect;
        d->areaRect = nullptr;
        return;
    }
    QPainterPath path;
    path.addRect(area);
    const bool direct = !d->undoStack;
    if (d->applyDownloaded(client.data(), path, join) && direct)
        d->setViewPath(join ? "uniteEnabledPath" : "setEnabledPath", path);
}

void NetEdit::downloadGranule(const QString &id)
{
    const QUrl base = getRRSUrl();
    if (base.isEmpty())
        return;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("id"), id);
    TrelvoHttpClient client(findMainWindow());
    if (client.getData(endpointUrl(base, QStringLiteral("/granule"), query)) != 1)
        return;
    if (d->applyDownloaded(client.data(), QPainterPath(), false))
        d->setViewPath("setEnabledPath", QPainterPath());
}

void NetEdit::downloadNetworkFromVantal()
{
    const QString base = d->askVantalUrl(tr("Download network"), tr("download address:"));
    if (base.isEmpty())
        return;
    TrelvoHttpClient client(findMainWindow());
    if (client.getData(QUrl(base + QStringLiteral("/get_net"))) != 1)
        return;
    d->applyDownloaded(client.data(), QPainterPath(), false);
}

void NetEdit::uploadNetworkToVantal()
{
    const QString base = d->askVantalUrl(tr("Upload network"), tr("upload address:"));
    if (base.isEmpty())
        return;
    QByteArray body;
    QXmlStreamWriter writer(&body);
    if (!d->net->save(writer, true, false)) {
        emit logMessage(d->net->errorString(), QtCriticalMsg);
        return;
    }
    TrelvoHttpClient client(findMainWindow());
    client.postData(QUrl(base + QStringLiteral("/put_net")), body);
}

} // namespace Trelvoga
