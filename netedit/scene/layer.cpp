#include "scene/layer.h"

#include "scene/networkg.h"

#include <QAction>
#include <QGraphicsScene>
#include <QSignalBlocker>

namespace Trelvoga {

Layer::Layer(const QString &name, Networkg *network, qreal z)
    : QGraphicsObject(nullptr)
    , m_network(network)
{
    setObjectName(name);
    setParent(network ? network->scene() : nullptr);
    setFlags(ItemHasNoContents);
    setZValue(z);
}

Layer::~Layer()
{
    // The scene may delete a layer (scene destroyed or cleared): the network must forget the layer and
    // the items that go with it before they are deleted below.
    if (m_network)
        m_network->layerDestroyed(this);
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
