#include "panorama/viewareaitem.h"

#include "panorama/panoramagraphicsitem.h"

#include <QBrush>
#include <QCursor>
#include <QGraphicsSceneMouseEvent>
#include <QPen>

namespace Trelvoga {

ViewAreaItem::ViewAreaItem(PanoramaGraphicsItem *marker)
    : QGraphicsPathItem(marker)
    , m_marker(marker)
{
    setFlags(ItemIsMovable | ItemIgnoresParentOpacity);
    // Below the marker's dot, so that a press on the dot drags the marker rather than turning it.
    setFlag(ItemStacksBehindParent);
    setCursor(QCursor(Qt::ArrowCursor));
    setBrush(Qt::blue);
    setOpacity(0.25);
    QPen pen(Qt::blue, 0);
    pen.setCosmetic(true);
    setPen(pen);
}

void ViewAreaItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_rotating = true;
    event->accept();
}

void ViewAreaItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    // The sector turns about the marker; it never moves away from it.
    if (m_rotating)
        m_marker->turnTowards(event->scenePos());
    event->accept();
}

void ViewAreaItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_rotating && event->button() == Qt::LeftButton) {
        m_rotating = false;
        m_marker->reportHeading();
    }
    event->accept();
}

} // namespace Trelvoga
