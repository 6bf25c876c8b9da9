#pragma once

#include "trelvoga_global.h"

#include <QGraphicsPathItem>

namespace Trelvoga {

class PanoramaGraphicsItem;

// The view sector of the panorama marker. Pressing the left button on it and moving turns the marker
// towards the mouse; the release reports the new heading.
class TRELVOGA_EXPORT ViewAreaItem : public QGraphicsPathItem
{
public:
    explicit ViewAreaItem(PanoramaGraphicsItem *marker);

    bool isRotating() const { return m_rotating; }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    PanoramaGraphicsItem *m_marker;
    bool m_rotating = false;
};

} // namespace Trelvoga
