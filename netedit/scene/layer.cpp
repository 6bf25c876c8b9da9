#include "scene/layer.h"

#include "items/itemgeometry.h"
#include "scene/networkg.h"

#include <QAction>
#include <QGraphicsScene>
#include <QSignalBlocker>
#include <QtMath>

#include <cmath>
#include <limits>

namespace Trelvoga {

Layer::Layer(const QString &name, Networkg *network, qreal z)
    : QGraphicsObject(nullptr)
    , m_network(network)
{
    setObjectName(name);
    setParent(network ? network->scene() : nullptr);
    setFlags(ItemHasNoContents);
    setZValue(z);
    // A layer is never under the pointer (it has no extent). Its cursor tells the views of its scene
    // that items there show cursors, so they follow the pointer even before any item has taken its own
    // (GenericGraphicsItem::setItemCursor).
    setCursor(Qt::ArrowCursor);
}

Layer::~Layer()
{
    // The scene may delete a layer (scene destroyed or cleared): the network must forget the layer and
    // the items that go with it before they are deleted below.
    if (m_network)
        m_network->layerDestroyed(this);
}

void Layer::setTileSize(double side)
{
    m_tileSize = side > 0.0 ? side : 0.0;
}

QGraphicsItem *Layer::holderFor(const QPointF &scenePos)
{
    if (m_tileSize <= 0.0 || !std::isfinite(scenePos.x()) || !std::isfinite(scenePos.y()))
        return this;
    const QPair<int, int> cell(int(std::floor(scenePos.x() / m_tileSize)), int(std::floor(scenePos.y() / m_tileSize)));
    LayerTile *&tile = m_tiles[cell];
    if (!tile) {
        tile = new LayerTile(this, QPointF((cell.first + 0.5) * m_tileSize, (cell.second + 0.5) * m_tileSize));
        m_tileList.append(tile);
    }
    return tile;
}

void Layer::dropEmptyTiles()
{
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        LayerTile *tile = it.value();
        if (tile->childItems().isEmpty()) {
            m_tileList.removeOne(tile);
            delete tile;
            it = m_tiles.erase(it);
        } else {
            ++it;
        }
    }
    if (m_tiles.isEmpty())
        m_tileSize = 0.0;
}

QList<QGraphicsItem *> Layer::items() const
{
    QList<QGraphicsItem *> result;
    for (QGraphicsItem *child : childItems()) {
        if (child->type() == LayerTile::Type)
            result += child->childItems();
        else
            result.append(child);
    }
    return result;
}

Layer *Layer::of(const QGraphicsItem *item)
{
    for (QGraphicsItem *p = item ? item->parentItem() : nullptr; p; p = p->parentItem()) {
        if (p->type() == Layer::Type)
            return static_cast<Layer *>(p);
    }
    return nullptr;
}

QPointF Layer::tileCentre(const QGraphicsItem *item)
{
    const QGraphicsItem *p = item ? item->parentItem() : nullptr;
    if (p && p->type() == LayerTile::Type)
        return static_cast<const LayerTile *>(p)->centre();
    return QPointF(qQNaN(), qQNaN());
}

LayerTile::LayerTile(Layer *layer, const QPointF &centre)
    : QGraphicsItem(layer)
    , m_centre(centre)
{
    setFlags(ItemHasNoContents | ItemContainsChildrenInShape);
}

QRectF LayerTile::boundingRect() const
{
    if (!m_passedOver)
        return childrenBoundingRect();
    // Not an empty rectangle: the scene's look-up widens one into a speck at the item's origin, which
    // any view of a network around the origin takes in, the tile's items with it. A speck at infinity
    // meets no area.
    const double far = std::numeric_limits<double>::infinity();
    return QRectF(far, far, 0.0, 0.0);
}

void LayerTile::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(painter)
    Q_UNUSED(option)
    Q_UNUSED(widget)
}

void Layer::beginViewPaint(const QTransform &viewTransform, const QRectF &visibleRect)
{
    if (m_minPixelsPerMetre <= 0.0 || m_tileList.isEmpty() || !isVisible())
        return;
    const double pixelsPerMetre = ItemGeometry::pixelsPerMetre(
        viewTransform, m_network ? m_network->geoUtil() : nullptr, visibleRect.center().y());
    if (!(pixelsPerMetre < m_minPixelsPerMetre)) {
        if (m_network)
            m_network->makeItemsIn(visibleRect, this);
        return;
    }
    for (LayerTile *tile : qAsConst(m_tileList)) {
        bool drawn = false;
        for (QGraphicsItem *child : tile->childItems()) {
            // Road markings draw nothing below their scale; other items that are not of an object are
            // kept, not knowing what they draw.
            if (child->type() == ItemType::Marking || !child->isVisible()
                || (child->flags() & QGraphicsItem::ItemHasNoContents))
                continue;
            if (!ItemType::isObjectItem(child->type())
                || static_cast<GenericGraphicsItem *>(child)->drawsAt(pixelsPerMetre)) {
                drawn = true;
                break;
            }
        }
        tile->m_passedOver = !drawn;
    }
    m_passingOver = true;
}

void Layer::endViewPaint()
{
    if (!m_passingOver)
        return;
    for (LayerTile *tile : qAsConst(m_tileList))
        tile->m_passedOver = false;
    m_passingOver = false;
}

QRectF Layer::boundingRect() const
{
    return QRectF();
}

void Layer::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(painter)
    Q_UNUSED(option)
    Q_UNUSED(widget)
}

QVariant Layer::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged) {
        if (QAction *action = findChild<QAction *>()) {
            const QSignalBlocker blocker(action);
            action->setChecked(value.toBool());
        }
    }
    return QGraphicsObject::itemChange(change, value);
}

} // namespace Trelvoga
