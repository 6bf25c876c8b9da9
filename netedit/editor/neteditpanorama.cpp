// The street-view panorama dock and its marker on the map.
//
// The page (":/street_view.html") loads the street-view service's script from a loader address with the
// key and the callback as query values. The address is the service's public loader unless the settings
// group "NeteditPanorama" holds another under "loader_url" (a proxy, or a stand-in for tests).
#include "editor/netedit.h"
#include "editor/neteditprivate.h"
#include "panorama/panoramagraphicsitem.h"
#include "panorama/panoramapage.h"
#include "scene/networkg.h"

#include "geo/geopolyline.h"
#include "geo/geoutil.h"
#include "lane.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QGraphicsScene>
#include <QInputDialog>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QUrl>
#include <QVariant>
#include <cmath>

namespace Trelvoga {

namespace {

const QString dockName = QStringLiteral("panorama");
const QString settingsGroup = QStringLiteral("NeteditPanorama");
const QString defaultLoader = QStringLiteral("https://maps.googleapis.com/maps/api/js");

QDockWidget *panoramaDock(QWidget *mainWindow)
{
    return mainWindow ? mainWindow->findChild<QDockWidget *>(dockName, Qt::FindDirectChildrenOnly) : nullptr;
}

PanoramaPage *panoramaPage(QWidget *mainWindow)
{
    QDockWidget *dock = panoramaDock(mainWindow);
    return dock ? PanoramaPage::of(dock->widget()) : nullptr;
}

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString changeViewCall(const QPointF &point, double heading)
{
    return QStringLiteral("changeView(%1,%2,%3)").arg(number(point.y()), number(point.x()), number(heading));
}

} // namespace

void NetEdit::addPanoramaContextMenu(QMenu *menu)
{
    if (!menu || d->apiKey.isEmpty())
        return;
    QWidget *mainWindow = findMainWindow();
    if (!mainWindow)
        return;
    QAction *action = menu->addAction(panoramaDock(mainWindow) ? tr("Update panorama") : tr("Show panorama"));
    connect(action, &QAction::triggered, this, &NetEdit::showPanorama);
}

void NetEdit::loadPanoramaHtml()
{
    PanoramaPage *view = panoramaPage(findMainWindow());
    if (!view)
        return;
    QFile file(QStringLiteral(":/street_view.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        emit logMessage(tr("Failed to open internal resource street_view.html: ") + file.errorString(), QtWarningMsg);
        return;
    }
    QString loader;
    {
        QSettings settings;
        settings.setIniCodec("UTF-8");
        settings.beginGroup(settingsGroup);
        loader = settings.value(QStringLiteral("loader_url")).toString();
        settings.endGroup();
    }
    if (loader.isEmpty())
        loader = defaultLoader;
    QByteArray html = file.readAll();
    // Percent-encoded: a pasted key with a quote or an ampersand must not break out of the address.
    html.replace("{api_key}", QUrl::toPercentEncoding(d->apiKey));
    html.replace("{loader_url}", loader.toHtmlEscaped().toLocal8Bit());
    view->setHtml(QString::fromUtf8(html), QUrl());
}

void NetEdit::showPanoramaSetupDlg(QWidget *parent)
{
    bool ok = false;
    const QString key = QInputDialog::getText(parent, tr("Googl panorama"), tr("API key:"), QLineEdit::Normal,
                                              d->apiKey, &ok)
                            .trimmed();
    if (!ok || key.isEmpty() || key == d->apiKey)
        return;
    d->apiKey = key;
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(settingsGroup);
    settings.setValue(QStringLiteral("api_key"), key);
    settings.endGroup();
    loadPanoramaHtml();
}

void NetEdit::showPanorama()
{
    auto *mainWindow = qobject_cast<QMainWindow *>(findMainWindow());
    auto *action = qobject_cast<QAction *>(sender());
    if (!mainWindow || !action)
        return;
    const QVariantList data = action->data().toList();
    if (data.size() != 2)
        return;

    const QPointF point = data.at(0).toPointF();
    double heading = 0.0;
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(data.at(1).value<QObject *>())) {
        // Looking along the lane: its direction at the point of its skeleton nearest to the click.
        Trelvoa::GeoUtil *geo = d->net ? d->net->geoUtil() : nullptr;
        const QPointF xy = geo ? geo->geoToXY(point) : point;
        const Trelvoa::GeoPolyline skeleton = lane->fullSkeleton();
        double distance = 0.0;
        skeleton.pointOn(xy, &distance);
        const QLineF direction = skeleton.lineAtDistance(distance);
        if (!direction.isNull())
            heading = PanoramaGraphicsItem::headingForAngle(direction.angle());
    }
    d->panoramaPoint = point;
    d->panoramaHeading = heading;

    if (PanoramaPage *view = panoramaPage(mainWindow)) {
        view->runJavaScript(changeViewCall(point, heading));
        return;
    }
    auto *dock = new QDockWidget(tr("Panorama"), mainWindow);
    dock->setObjectName(dockName);
    dock->setAllowedAreas(Qt::AllDockWidgetAreas);
    dock->setAttribute(Qt::WA_DeleteOnClose);
    QString error;
    PanoramaPage *view = PanoramaPage::create(dock, &error);
    if (!view) {
        delete dock;
        emit logMessage(tr("The panorama cannot be shown: %1").arg(error), QtWarningMsg);
        return;
    }
    dock->setWidget(view->widget());
    loadPanoramaHtml();
    if (!mainWindow->restoreDockWidget(dock)) {
        mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->setFloating(true);
        dock->resize(640, 480);
    }
    dock->show();
    QMetaObject::invokeMethod(dock, "raise", Qt::QueuedConnection);

    // Every load (a new key reloads the page) starts a fresh script context: the channel and the view
    // are set up again each time.
    view->setLoadFinished([this, view] {
        view->runJavaScript(
            QStringLiteral("new QWebChannel(qt.webChannelTransport, function(channel) {"
                           " qt_init(channel);"
                           " var marker = channel.objects.trelvoMarker;"
                           " if (marker) { marker.posChanged.connect(changePos); marker.angChanged.connect(changeAng); }"
                           " %1; });")
                .arg(changeViewCall(d->panoramaPoint, d->panoramaHeading)));
    });

    view->registerObject(QStringLiteral("trelvo"), this);
    if (!d->panoramaMarker && d->scene) {
        d->panoramaMarker = new PanoramaGraphicsItem(point, PanoramaGraphicsItem::angleForHeading(heading), d->net);
        d->scene->addItem(d->panoramaMarker);
    }
    if (d->panoramaMarker)
        view->registerObject(QStringLiteral("trelvoMarker"), d->panoramaMarker);
    connect(dock, &QObject::destroyed, this, &NetEdit::panoramaClosed);
}

void NetEdit::panoramaClosed()
{
    delete d->panoramaMarker.data();
}

void NetEdit::panoramaPosChanged(double lat, double lng)
{
    if (!std::isfinite(lat) || !std::isfinite(lng))
        return;
    // Where a reload of the page (a new key) puts the panorama again.
    d->panoramaPoint = QPointF(lng, lat);
    if (d->panoramaMarker)
        d->panoramaMarker->setPos(d->panoramaPoint);
}

void NetEdit::panoramaPovChanged(double heading)
{
    if (!std::isfinite(heading))
        return;
    d->panoramaHeading = heading;
    if (d->panoramaMarker)
        d->panoramaMarker->setAngle(PanoramaGraphicsItem::angleForHeading(heading));
}

} // namespace Trelvoga
