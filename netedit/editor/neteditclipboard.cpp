// The clipboard: network parts copied and pasted as "text/trelvo", and geometry text (WKT, KML).
#include "editor/netedit.h"

#include "commands/joinnetcommand.h"
#include "editor/cqtreewidget.h"
#include "editor/modes/pasteplacementmode.h"
#include "editor/neteditprivate.h"
#include "scene/networkg.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geohelpers.h"
#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "stopline.h"
#include "walkingarea.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMimeData>
#include <QPainterPath>
#include <QSettings>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Trelvoga {

namespace {

const QString trelvoMime = QStringLiteral("text/trelvo");
const QString saveFilter = QStringLiteral("Network files (*.trva);;Network files with geometry (*.trvaf);;All files (*)");

QString trClipboard(const char *text)
{
    return QCoreApplication::translate("NetEdit", text);
}

// The WGS84 variant is asked for by the action's text and needs a projection to exist.
bool wantsWgs84(QObject *sender, Networkg *net)
{
    auto *action = qobject_cast<QAction *>(sender);
    return action && action->text().endsWith(QLatin1String("WGS84")) && net && net->geoUtil();
}

QString actionData(QObject *sender)
{
    auto *action = qobject_cast<QAction *>(sender);
    return action ? action->data().toString() : QString();
}

Trelvoa::NetObject *singleSelected(const NetEdit *edit)
{
    const QList<Trelvoa::NetObject *> objects = edit->selectedObjects();
    return objects.size() == 1 ? objects.first() : nullptr;
}

bool positionOf(Trelvoa::NetObject *object, QPointF *pos)
{
    if (qobject_cast<Trelvoa::Node *>(object) || qobject_cast<Trelvoa::Detector *>(object)
        || qobject_cast<Trelvoa::DetectorGroup *>(object) || qobject_cast<Trelvoa::PtStop *>(object)
        || qobject_cast<Trelvoa::Stopline *>(object)) {
        *pos = object->pos();
        return true;
    }
    return false;
}

bool shapeOf(Trelvoa::NetObject *object, Trelvoa::GeoShape *shape)
{
    if (qobject_cast<Trelvoa::PolygonObject *>(object) || qobject_cast<Trelvoa::WalkingArea *>(object)
        || qobject_cast<Trelvoa::Node *>(object) || qobject_cast<Trelvoa::PtStop *>(object)
        || qobject_cast<Trelvoa::CrossWalk *>(object) || qobject_cast<Trelvoa::Lane *>(object)
        || qobject_cast<Trelvoa::Detector *>(object)) {
        *shape = object->shape();
        return true;
    }
    return false;
}

bool skeletonOf(Trelvoa::NetObject *object, const QString &data, Trelvoa::GeoPolyline *line)
{
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(object)) {
        *line = data == QLatin1String("full_skeleton") ? lane->fullSkeleton() : lane->skeleton();
    } else if (auto *edge = qobject_cast<Trelvoa::Edge *>(object)) {
        *line = data == QLatin1String("carriageway") ? edge->carriagewaySkeleton() : edge->skeleton();
    } else if (qobject_cast<Trelvoa::EdgeGroup *>(object) || qobject_cast<Trelvoa::Route *>(object)
               || qobject_cast<Trelvoa::Connection *>(object) || qobject_cast<Trelvoa::CrossWalk *>(object)
               || qobject_cast<Trelvoa::CompositeDetector *>(object)) {
        *line = object->skeleton();
    } else if (auto *stopline = qobject_cast<Trelvoa::Stopline *>(object)) {
        const QLineF l = stopline->line();
        *line = Trelvoa::GeoPolyline({l.p1(), l.p2()});
    } else {
        return false;
    }
    return true;
}

void setClipboardText(const QString &text)
{
    if (!text.isEmpty() && QApplication::clipboard())
        QApplication::clipboard()->setText(text);
}

// A shape's or line's text on the clipboard, made from a WGS84 copy when the action asks for it and the
// network can convert.
template<class Geometry, class MakeText>
void copyGeometryText(QObject *sender, Networkg *net, Geometry geometry, MakeText makeText)
{
    const bool wgs84 = wantsWgs84(sender, net);
    if (wgs84)
        net->geoUtil()->xyToGeo(&geometry);
    setClipboardText(makeText(geometry, wgs84));
}

} // namespace

void NetEditPrivate::collectForCopy(QObject *object, QList<Trelvoa::NetObject *> &list,
                                    const QList<Trelvoa::NetObject *> &excluded) const
{
    auto *netObject = qobject_cast<Trelvoa::NetObject *>(object);
    if (!netObject || excluded.contains(netObject))
        return;
    // A part of an object (a lane, a connection, a stopline) cannot stand alone in another network:
    // the object it belongs to is copied whole.
    Trelvoa::NetObject *top = netObject->topLevelObject();
    if (top && top != netObject) {
        collectForCopy(top, list, excluded);
        return;
    }
    if (!list.contains(netObject))
        list.append(netObject);
    // Exactly a node: its granule (with what the granule needs) comes along.
    if (netObject->metaObject() == &Trelvoa::Node::staticMetaObject) {
        Trelvoa::Granule *granule = static_cast<Trelvoa::Node *>(netObject)->granule();
        if (granule && !list.contains(granule))
            collectForCopy(granule, list, excluded);
    }
    for (Trelvoa::NetObject *needed : netObject->neededToplevelObjects()) {
        if (needed && !list.contains(needed) && !excluded.contains(needed))
            list.append(needed);
    }
}

bool NetEditPrivate::copyToClipboard(const QList<Trelvoa::NetObject *> &objects)
{
    QClipboard *clipboard = QApplication::clipboard();
    if (!clipboard || objects.isEmpty() || !net)
        return false;
    QByteArray data;
    bool ok;
    {
        QXmlStreamWriter writer(&data);
        writer.setAutoFormatting(true);
        writer.setCodec("UTF-8");
        ok = net->save(writer, objects, false);
    }
    if (!ok) {
        emit q->logMessage(net->errorString(), QtWarningMsg);
        return false;
    }
    auto *mime = new QMimeData;
    mime->setData(trelvoMime, data);
    clipboard->setMimeData(mime);
    return true;
}

QString NetEditPrivate::chooseSaveFile(const QString &title, QString *selectedFilter)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("netedit"));
    const QVariant stored = settings.value(QStringLiteral("last_save_dir"));
    QString dir = stored.type() == QVariant::ByteArray ? QString::fromUtf8(stored.toByteArray()) : stored.toString();
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QCoreApplication::applicationDirPath();
    const QString fileName = QFileDialog::getSaveFileName(view ? view->window() : nullptr, title, dir,
                                                          saveFilter, selectedFilter);
    if (fileName.isEmpty())
        return QString();
    settings.setValue(QStringLiteral("last_save_dir"), QFileInfo(fileName).absolutePath().toUtf8());
    return fileName;
}

void NetEdit::copySelection()
{
    QList<Trelvoa::NetObject *> list;
    for (Trelvoa::NetObject *object : d->selectedSceneObjects())
        d->collectForCopy(object, list);
    for (QTreeWidgetItem *item : d->objectsTree->selectedItems())
        d->collectForCopy(treeItemObject(item), list);
    d->copyToClipboard(list);
}

void NetEdit::copyGranuleToClipboard()
{
    auto *action = qobject_cast<QAction *>(sender());
    auto *granule = action ? qobject_cast<Trelvoa::Granule *>(action->data().value<QObject *>()) : nullptr;
    if (!granule || !QApplication::clipboard())
        return;
    QList<Trelvoa::NetObject *> list;
    d->collectForCopy(granule, list);
    d->copyToClipboard(list);
}

void NetEdit::paste()
{
    QClipboard *clipboard = QApplication::clipboard();
    const QMimeData *mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime || !d->net)
        return;
    const bool inPlace = sender() == d->pasteInPlaceAction;

    QByteArray data;
    if (mime->hasFormat(trelvoMime)) {
        data = mime->data(trelvoMime);
    } else if (mime->hasText()) {
        Trelvoa::GeoShape shape = Trelvoa::GeoShape::fromWKT(mime->text());
        if (shape.isEmpty()) {
            emit logMessage(trClipboard("The clipboard text is not a WKT polygon"), QtWarningMsg);
            return;
        }
        Trelvoa::Network polygonNet;
        if (Trelvoa::GeoUtil *geo = d->net->geoUtil()) {
            geo->geoToXY(&shape);
            polygonNet.setProjection(geo->projectionStr(), geo->offset());
        }
        if (!polygonNet.addItem(new Trelvoa::PolygonObject(&polygonNet, shape))) {
            emit logMessage(polygonNet.errorString(), QtWarningMsg);
            return;
        }
        QXmlStreamWriter writer(&data);
        if (!polygonNet.save(writer, true, false)) {
            emit logMessage(polygonNet.errorString(), QtWarningMsg);
            return;
        }
    } else {
        return;
    }
    if (data.isEmpty())
        return;

    // A failed paste keeps a part still waiting to be placed: it is dropped only by a new placement.
    auto network = std::make_unique<Trelvoa::Network>();
    {
        QXmlStreamReader reader(data);
        if (!network->load(reader, false)) {
            emit logMessage(trClipboard("Cannot paste: %1").arg(network->errorString()), QtWarningMsg);
            return;
        }
    }
    if (network->objectCount() == 0) {
        emit logMessage(trClipboard("Cannot paste: the clipboard holds no objects that can be pasted"), QtWarningMsg);
        return;
    }

    if (inPlace) {
        d->context->perform(new JoinNetCommand(this, network.get()));
        return;
    }
    const QRectF bound = Trelvoa::rectFromString(network->property("bound").toString());
    if (bound.isNull())
        return;
    enterMode(ModePastePlacement, true);
    auto *mode = static_cast<PastePlacementMode *>(d->modeObject(ModePastePlacement));
    QPointF cursor;
    if (d->view)
        cursor = d->view->mapToScene(d->view->mapFromGlobal(QCursor::pos()));
    mode->start(std::move(network), bound, cursor);
}

void NetEdit::clipboardDataChanged()
{
    QClipboard *clipboard = QApplication::clipboard();
    if (!clipboard || !d->pasteAction || !d->pasteInPlaceAction)
        return;
    const QMimeData *mime = clipboard->mimeData();
    bool paste = false;
    bool inPlace = false;
    if (mime && mime->hasFormat(trelvoMime)) {
        paste = inPlace = true;
    } else if (mime && mime->hasText()) {
        const QString text = mime->text();
        inPlace = text.startsWith(QLatin1String("MultiPolygon"), Qt::CaseInsensitive)
                  || text.startsWith(QLatin1String("polygon"), Qt::CaseInsensitive);
    }
    d->pasteAction->setEnabled(paste);
    d->pasteInPlaceAction->setEnabled(inPlace);
}

void NetEdit::copyPosAsWKT()
{
    QPointF pos;
    Trelvoa::NetObject *object = singleSelected(this);
    if (!object || !positionOf(object, &pos) || pos.isNull() || !QApplication::clipboard())
        return;
    const bool wgs84 = wantsWgs84(sender(), d->net);
    if (wgs84)
        pos = d->net->geoUtil()->xyToGeo(pos);
    const int precision = wgs84 ? 8 : 2;
    QApplication::clipboard()->setText(QStringLiteral("POINT(%1 %2)")
                                           .arg(pos.x(), 0, 'f', precision)
                                           .arg(pos.y(), 0, 'f', precision));
}

void NetEdit::copyPosAsKML()
{
    QPointF pos;
    Trelvoa::NetObject *object = singleSelected(this);
    if (!object || !positionOf(object, &pos) || pos.isNull() || !QApplication::clipboard())
        return;
    const bool wgs84 = wantsWgs84(sender(), d->net);
    if (wgs84)
        pos = d->net->geoUtil()->xyToGeo(pos);
    QApplication::clipboard()->setText(Trelvoa::pointToKml2(wgs84 ? 8 : 2, pos, object->objectName()));
}

void NetEdit::copyShapeAsWKT()
{
    Trelvoa::GeoShape shape;
    Trelvoa::NetObject *object = singleSelected(this);
    if (object && shapeOf(object, &shape))
        copyGeometryText(sender(), d->net, shape, [](const Trelvoa::GeoShape &s, bool wgs84) {
            return wgs84 ? s.toWKT2(8) : s.toWKT();
        });
}

void NetEdit::copyShapeAsKML()
{
    Trelvoa::GeoShape shape;
    Trelvoa::NetObject *object = singleSelected(this);
    if (object && shapeOf(object, &shape))
        copyGeometryText(sender(), d->net, shape, [object](const Trelvoa::GeoShape &s, bool wgs84) {
            return wgs84 ? s.toKmlPlacemark2(8, object->objectName()) : s.toKmlPlacemark(object->objectName());
        });
}

void NetEdit::copySkeletonAsWKT()
{
    Trelvoa::GeoPolyline line;
    Trelvoa::NetObject *object = singleSelected(this);
    if (object && skeletonOf(object, actionData(sender()), &line))
        copyGeometryText(sender(), d->net, line, [](const Trelvoa::GeoPolyline &l, bool wgs84) {
            return wgs84 ? l.toWKT2(8) : l.toWKT();
        });
}

void NetEdit::copySkeletonAsKML()
{
    Trelvoa::GeoPolyline line;
    Trelvoa::NetObject *object = singleSelected(this);
    // Lines are written with a width of 0.
    if (object && skeletonOf(object, actionData(sender()), &line))
        copyGeometryText(sender(), d->net, line, [object](const Trelvoa::GeoPolyline &l, bool wgs84) {
            return wgs84 ? l.toKmlPlacemark2(8, object->objectName(), 0.0) : l.toKmlPlacemark(object->objectName(), 0.0);
        });
}

void NetEdit::saveGranule()
{
    Trelvoa::Granule *granule = nullptr;
    QList<QTreeWidgetItem *> rows = d->objectsTree->selectedItems();
    for (QTreeWidgetItem *row : qAsConst(rows)) {
        granule = qobject_cast<Trelvoa::Granule *>(treeItemObject(row));
        if (granule)
            break;
    }
    if (!granule)
        return;
    const QString fileName = d->chooseSaveFile(trClipboard("Save granule"), nullptr);
    if (fileName.isEmpty())
        return;
    if (!d->net->saveGranules(fileName, {granule}, false))
        emit logMessage(trClipboard("Error saving granule to %1: %2").arg(fileName, d->net->errorString()),
                        QtCriticalMsg);
}

void NetEdit::savePolygonNetPart()
{
    QList<Trelvoa::NetObject *> polygons;
    for (Trelvoa::NetObject *object : selectedObjects()) {
        auto *polygon = qobject_cast<Trelvoa::PolygonObject *>(object);
        if (polygon && !polygon->shape().isEmpty())
            polygons.append(polygon);
    }
    if (polygons.isEmpty() || !d->scene)
        return;
    QString filter;
    QString fileName = d->chooseSaveFile(trClipboard("Save network part"), &filter);
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty()) {
        if (filter.endsWith(QLatin1String(".trvaf)")))
            fileName += QLatin1String(".trvaf");
        else if (filter.endsWith(QLatin1String(".trva)")))
            fileName += QLatin1String(".trva");
    }
    const bool fullGeometry = QFileInfo(fileName).suffix().toLower() == QLatin1String("trvaf");

    const QTransform transform = d->view ? d->view->viewportTransform() : QTransform();
    QList<QGraphicsItem *> under;
    for (Trelvoa::NetObject *polygon : qAsConst(polygons)) {
        Trelvoa::GeoShape shape = polygon->shape();
        if (Trelvoa::GeoUtil *geo = d->net->geoUtil())
            geo->xyToGeo(&shape);
        QPainterPath area;
        area.addPolygon(shape.toPolygon());
        under += d->scene->items(area, Qt::IntersectsItemShape, Qt::DescendingOrder, transform);
    }
    QList<Trelvoa::NetObject *> list;
    for (QGraphicsItem *item : qAsConst(under))
        d->collectForCopy(d->net->item2object(item), list, polygons);
    if (list.isEmpty()) {
        emit logMessage(trClipboard("No items under polygon"), QtWarningMsg);
        return;
    }
    if (!d->net->save(fileName, list, fullGeometry))
        emit logMessage(d->net->errorString(), QtWarningMsg);
}

} // namespace Trelvoga
