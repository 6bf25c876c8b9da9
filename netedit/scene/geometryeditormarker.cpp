#include "scene/geometryeditormarker.h"

#include "scene/geometryeditor.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

namespace Trelvoga {

class GeometryEditorMarkerPrivate
{
public:
    QRectF rect{-6, -6, 12, 12};
    bool active = false;
    GeometryEditor *editor = nullptr;
    int index = -1;
};

GeometryEditorMarker::GeometryEditorMarker(GeometryEditor *editor, int index)
    : QGraphicsItem(nullptr)
    , d(new GeometryEditorMarkerPrivate)
{
    d->editor = editor;
    d->index = index;
    setFlags(ItemIsMovable | ItemIsSelectable | ItemIgnoresTransformations | ItemSendsGeometryChanges);
    setCursor(Qt::CrossCursor);
}

GeometryEditorMarker::~GeometryEditorMarker()
{
    // Deleted from outside (its layer or scene went): the editor must forget it.
    if (d->editor)
        d->editor->markerDestroyed(this);
}

QRectF GeometryEditorMarker::boundingRect() const
{
    return d->rect;
}

void GeometryEditorMarker::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    const QColor color = isSelected() ? QColor(Qt::darkGreen) : QColor(Qt::red);
    QPen pen(color);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(color);
    painter->drawRect(d->rect);
    QPen text(Qt::black);
    text.setCosmetic(true);
    painter->setPen(text);
    painter->drawText(d->rect, Qt::AlignHCenter | Qt::AlignVCenter, QString::number(d->index + 1));
}

GeometryEditor *GeometryEditorMarker::editor() const
{
    return d->editor;
}

int GeometryEditorMarker::index() const
{
    return d->index;
}

int GeometryEditorMarker::removePoint()
{
    if (!d->editor)
        return 0;
    return d->editor->removeMarkerPoint(this);
}

QVariant GeometryEditorMarker::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && d->active && d->editor) {
        const QPointF p = value.canConvert<QPointF>() ? value.toPointF() : QPointF();
        d->editor->markerMoved(this, parentItem() ? parentItem()->mapToScene(p) : p);
    }
    return QGraphicsItem::itemChange(change, value);
}

void GeometryEditorMarker::setIndex(int index)
{
    if (index == d->index)
        return;
    d->index = index;
    update();
}

void GeometryEditorMarker::setActiveMarker(bool active)
{
    d->active = active;
}

void GeometryEditorMarker::detachEditor()
{
    d->editor = nullptr;
}

} // namespace Trelvoga
