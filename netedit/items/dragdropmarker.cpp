#include "items/dragdropmarker.h"

#include "items/mimetrelvo.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QLineF>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Trelvoga {

const QString DragDropMarker::captionKey = QStringLiteral("caption");

class DragDropMarkerPrivate
{
public:
    QRectF rect{-10.0, -10.0, 20.0, 20.0};
    QRectF bounds;
    QVariantMap data;
    QGraphicsItem *owner = nullptr;
    QPointer<QDrag> drag;
    // Shared with a running drag, which may outlive the marker: the drop handler may delete it.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

DragDropMarker::DragDropMarker(const QPointF &pos, const QVariantMap &data, QGraphicsItem *owner)
    : d(new DragDropMarkerPrivate)
{
    d->owner = owner;
    d->data = data;
    setFlags(ItemIsSelectable | ItemIgnoresTransformations | ItemSendsGeometryChanges);
    updateBounds();
    setPos(pos);
    if (Layer *layer = markersLayerOf(owner))
        setParentItem(layer);
    else if (owner && owner->scene())
        owner->scene()->addItem(this);
    setCursor(Qt::OpenHandCursor);
    setToolTip(QCoreApplication::translate("DragDropMarker", "Control marker"));
}

DragDropMarker::~DragDropMarker()
{
    *d->alive = false;
    if (d->drag)
        d->drag->setProperty("removed_on_drag", true);
}

QVariantMap DragDropMarker::markerData() const
{
    return d->data;
}

void DragDropMarker::setMarkerData(const QVariantMap &data)
{
    const bool captionChanged = data.value(captionKey) != d->data.value(captionKey);
    d->data = data;
    if (captionChanged)
        updateBounds();
    update();
}

void DragDropMarker::setMarkerValue(const QString &key, const QVariant &value)
{
    QVariantMap data = d->data;
    data.insert(key, value);
    setMarkerData(data);
}

QGraphicsItem *DragDropMarker::owner() const
{
    return d->owner;
}

bool DragDropMarker::isDragging() const
{
    return !d->drag.isNull();
}

Layer *DragDropMarker::markersLayerOf(const QGraphicsItem *item)
{
    if (!item)
        return nullptr;
    Layer *own = Layer::of(item);
    if (own && own->network()) {
        if (Layer *layer = own->network()->layer(Networkg::layerMarkers))
            return layer;
    }
    if (!item->scene())
        return nullptr;
    for (QObject *child : item->scene()->children()) {
        auto *layer = qobject_cast<Layer *>(child);
        if (layer && layer->objectName() == Networkg::layerMarkers && (!own || layer->network() == own->network()))
            return layer;
    }
    return nullptr;
}

void DragDropMarker::updateBounds()
{
    prepareGeometryChange();
    // One pixel all round for the cosmetic pen; a caption wider than the disc widens the bounds.
    d->bounds = d->rect.adjusted(-1.0, -1.0, 1.0, 1.0);
    const QString caption = d->data.value(captionKey).toString();
    if (!caption.isEmpty()) {
        const QFontMetricsF metrics(QApplication::font());
        const QRectF text = metrics.boundingRect(caption);
        const qreal w = text.width() / 2.0 + 2.0;
        const qreal h = text.height() / 2.0 + 2.0;
        d->bounds = d->bounds.united(QRectF(-w, -h, 2.0 * w, 2.0 * h));
    }
}

QRectF DragDropMarker::boundingRect() const
{
    return d->bounds;
}

QPainterPath DragDropMarker::shape() const
{
    QPainterPath path;
    path.addEllipse(d->rect);
    return path;
}

void DragDropMarker::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(isSelected() ? Qt::green : Qt::gray));
    painter->drawEllipse(d->rect);
    const QString caption = d->data.value(captionKey).toString();
    if (!caption.isEmpty())
        painter->drawText(d->bounds, Qt::AlignCenter, caption);
}

void DragDropMarker::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    setCursor(Qt::ClosedHandCursor);
    QGraphicsItem::mousePressEvent(event);
}

void DragDropMarker::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (d->drag || !(event->buttons() & Qt::LeftButton)) {
        QGraphicsItem::mouseMoveEvent(event);
        return;
    }
    const QPointF down = event->buttonDownScreenPos(Qt::LeftButton);
    if (QLineF(down, event->screenPos()).length() < QApplication::startDragDistance()) {
        QGraphicsItem::mouseMoveEvent(event);
        return;
    }
    // Qt needs a source object; a scene event without a view falls back to the scene.
    QObject *source = event->widget();
    if (!source)
        source = scene();
    auto *drag = new QDrag(source);
    d->drag = drag;
    drag->setMimeData(new MimeTrelvo(d->data));
    const std::shared_ptr<bool> alive = d->alive;
    drag->exec(Qt::MoveAction);
    // The drop may have deleted this marker (its owner rebuilt its markers): touch nothing of it then.
    if (!*alive)
        return;
    setCursor(Qt::OpenHandCursor);
    d->drag = nullptr;
}

void DragDropMarker::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    setCursor(Qt::OpenHandCursor);
    QGraphicsItem::mouseReleaseEvent(event);
}

} // namespace Trelvoga
