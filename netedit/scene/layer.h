#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QGraphicsObject>

namespace Trelvoga {

class Networkg;

// A named group of items of one object family; its z value fixes the drawing order. Its object name is
// the layer name and its QObject parent the network's scene; it draws nothing itself. A checkable
// QAction made a child of the layer follows the layer's visibility.
class TRELVOGA_EXPORT Layer : public QGraphicsObject
{
    Q_OBJECT

public:
    enum { Type = ItemType::Layer };

    Layer(const QString &name, Networkg *network, qreal z);
    ~Layer() override;

    Networkg *network() const { return m_network; }

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    friend class Networkg;

    Networkg *m_network;
};

} // namespace Trelvoga
