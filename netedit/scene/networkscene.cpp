#include "scene/networkscene.h"

#include "items/itemgeometry.h"
#include "items/marking.h"
#include "scene/genericgraphicsitem.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include <QGraphicsItem>
#include <QGraphicsSceneHelpEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QToolTip>
#include <QPaintDevice>
#include <QPainter>
#include <QSet>
#include <QStyleOptionGraphicsItem>

namespace Trelvoga {

namespace {

// Item types whose paint() changes nothing of the painter but its pen, brush and opacity.
bool paintsPlainly(int type)
{
    switch (type) {
    case ItemType::Laneg:
    case ItemType::Edgeg:
    case ItemType::EdgeGroupg:
    case ItemType::Stoplineg:
    case ItemType::Connectiong:
    case ItemType::Marking:
    case ItemType::WalkingAreag:
        return true;
    default:
        return false;
    }
}

} // namespace

NetworkScene::NetworkScene(QObject *parent)
    : QGraphicsScene(parent)
{
    setItemIndexMethod(BspTreeIndex);
}

void NetworkScene::takeCursorsAt(const QGraphicsSceneMouseEvent *event)
{
    // The view only looks for an item cursor while no button is down.
    if (event->buttons() != Qt::NoButton)
        return;
    QWidget *viewport = event->widget();
    if (viewport == m_cursorsTakenIn && event->scenePos() == m_cursorsTakenAt)
        return;
    m_cursorsTakenIn = viewport;
    m_cursorsTakenAt = event->scenePos();
    // As the view looks them up: by shape, topmost first, with its transform for items of fixed size.
    auto *view = viewport ? qobject_cast<QGraphicsView *>(viewport->parentWidget()) : nullptr;
    const QTransform transform = view ? view->viewportTransform() : QTransform();
    for (QGraphicsItem *item : items(event->scenePos(), Qt::IntersectsItemShape, Qt::DescendingOrder, transform)) {
        if (!item->isEnabled())
            continue;
        if (auto *generic = dynamic_cast<GenericGraphicsItem *>(item))
            generic->takeItemCursor();
        if (item->hasCursor())
            break;
    }
}

void NetworkScene::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    takeCursorsAt(event);
    QGraphicsScene::mouseMoveEvent(event);
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

    // Items that draw nothing at this scale (most connections of a whole city) are skipped before their
    // paint is set up. The scale is taken once, near the first item: it hardly changes across a city.
    double pixelsPerMetre = -1;
    // Road items only set pen, brush and opacity: for them, in the view's own transform, putting those
    // back replaces saving and restoring the whole painter state (a fifth of a city's paint).
    const QPen basePen = painter->pen();
    const QBrush baseBrush = painter->brush();
    for (int i = 0; i < numItems; ++i) {
        QGraphicsItem *item = items[i];
        if (!item->isVisible() || (item->flags() & QGraphicsItem::ItemHasNoContents))
            continue;
        if (ItemType::isObjectItem(item->type())) {
            auto *objectItem = static_cast<GenericGraphicsItem *>(item);
            if (pixelsPerMetre < 0)
                pixelsPerMetre = ItemGeometry::pixelsPerMetre(painter, objectItem->geoUtil(),
                                                              objectItem->sceneBoundingRect().center().y());
            if (!objectItem->drawsAt(pixelsPerMetre))
                continue;
        } else if (item->type() == ItemType::Marking && pixelsPerMetre >= 0
                   && pixelsPerMetre < Marking::minPixelsPerMetre) {
            continue;
        }
        const qreal itemOpacity = item->effectiveOpacity();
        if (itemOpacity <= 0.0)
            continue;
        const QTransform transform = item->deviceTransform(view);
        if ((item->flags() & QGraphicsItem::ItemIgnoresTransformations) && !area.isEmpty()
            && !transform.mapRect(item->boundingRect()).intersects(area))
            continue;
        if (paintsPlainly(item->type()) && transform == view) {
            painter->setOpacity(opacity * itemOpacity);
            item->paint(painter, &options[i], widget);
            painter->setPen(basePen);
            painter->setBrush(baseBrush);
            continue;
        }
        painter->save();
        painter->setWorldTransform(transform, false);
        painter->setOpacity(opacity * itemOpacity);
        item->paint(painter, &options[i], widget);
        painter->restore();
    }
    painter->setOpacity(opacity);
}

void NetworkScene::beginViewPaint(const QTransform &viewportTransform, const QRectF &visibleRect)
{
    for (QObject *child : children()) {
        if (auto *layer = qobject_cast<Layer *>(child))
            layer->beginViewPaint(viewportTransform, visibleRect);
    }
}

void NetworkScene::makeItemsIn(const QRectF &sceneRect)
{
    QSet<Networkg *> done;
    for (QObject *child : children()) {
        auto *layer = qobject_cast<Layer *>(child);
        Networkg *network = layer ? layer->network() : nullptr;
        if (network && !done.contains(network)) {
            done.insert(network);
            network->makeItemsIn(sceneRect);
        }
    }
}

void NetworkScene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    makeItemsIn(QRectF(event->scenePos(), QSizeF()));
    QGraphicsScene::mousePressEvent(event);
}

void NetworkScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    makeItemsIn(QRectF(event->scenePos(), QSizeF()));
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void NetworkScene::endViewPaint()
{
    for (QObject *child : children()) {
        if (auto *layer = qobject_cast<Layer *>(child))
            layer->endViewPaint();
    }
}

void NetworkScene::helpEvent(QGraphicsSceneHelpEvent *event)
{
    // Under the pointer as the view shows it, topmost first (fixed-size items need the view's transform).
    QList<QGraphicsItem *> under;
    auto *view = event->widget() ? qobject_cast<QGraphicsView *>(event->widget()->parentWidget()) : nullptr;
    if (view && view->scene() == this)
        under = view->items(view->viewport()->mapFromGlobal(event->screenPos()));
    else
        under = items(event->scenePos(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    QString text;
    for (QGraphicsItem *item : qAsConst(under)) {
        text = item->toolTip();
        if (text.isEmpty() && ItemType::isObjectItem(item->type()))
            text = static_cast<GenericGraphicsItem *>(item)->toolTipText();
        if (!text.isEmpty())
            break;
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return;
    }
    QToolTip::showText(event->screenPos(), text, event->widget());
    event->accept();
}

} // namespace Trelvoga
