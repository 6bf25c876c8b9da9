#include "items/signalgroupg.h"

#include "scene/itemfactory.h"

#include "signalgroup.h"

#include <QGraphicsScene>

namespace Trelvoga {

SignalGroupg::SignalGroupg(Trelvoa::SignalGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , m_group(group)
{
    setFlags(ItemIsSelectable | ItemHasNoContents);
}

SignalGroupg::~SignalGroupg()
{
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

void SignalGroupg::setSelected(bool selected)
{
    QGraphicsItem::setSelected(selected);
}

QRectF SignalGroupg::boundingRect() const
{
    return QRectF();
}

void SignalGroupg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(painter)
    Q_UNUSED(option)
    Q_UNUSED(widget)
}

void SignalGroupg::objectChanged(int flags)
{
    Q_UNUSED(flags)
}

void SignalGroupg::setWireframe(bool on)
{
    Q_UNUSED(on)
}

Trelvoa::NetObject *SignalGroupg::networkObject() const
{
    return m_group;
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::SignalGroupg, Trelvoa::SignalGroup)
