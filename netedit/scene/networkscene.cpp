#include "scene/networkscene.h"

#include <QGraphicsItem>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

namespace Trelvoga {

NetworkScene::NetworkScene(QObject *parent)
    : QGraphicsScene(parent)
{
    setItemIndexMethod(BspTreeIndex);
}

void NetworkScene::drawItems(QPainter *painter, int numItems, QGraphicsItem *items[],
                             const QStyleOptionGraphicsItem options[], QWidget *widget)
{
    const QTransform view = painter->worldTransform();
    const qreal opacity = painter->opacity();
    // A render() looks items up without the view transform, so every item of fixed screen size seems to
    // be everywhere: those are culled here against the area being painted, in device pixels.
    QRectF area;
    if (painter->hasClipping())
        area = view.mapRect(painter->clipBoundingRect());
    else if (painter->device())
        area = QRectF(0, 0, painter->device()->width(), painter->device()->height());

    for (int i = 0; i < numItems; ++i) {
        QGraphicsItem *item = items[i];
        if (!item->isVisible() || (item->flags() & QGraphicsItem::ItemHasNoContents))
            continue;
        const qreal itemOpacity = item->effectiveOpacity();
        if (itemOpacity <= 0.0)
            continue;
        const QTransform transform = item->deviceTransform(view);
        if ((item->flags() & QGraphicsItem::ItemIgnoresTransformations) && !area.isEmpty()
            && !transform.mapRect(item->boundingRect()).intersects(area))
            continue;
        painter->save();
        painter->setWorldTransform(transform, false);
        painter->setOpacity(opacity * itemOpacity);
        item->paint(painter, &options[i], widget);
        painter->restore();
    }
}

} // namespace Trelvoga
