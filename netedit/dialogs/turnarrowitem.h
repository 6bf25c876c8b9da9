#pragma once

#include "trelvoga_global.h"

#include <QGraphicsPathItem>

class QGraphicsTextItem;

namespace Trelvoa {
class Connection;
class GeoUtil;
} // namespace Trelvoa

namespace Trelvoga {

// The traffic state dialog's picture of one lane connection: an arrow along the connection's skeleton
// (the skeleton short of its last 2 m, stroked, and a head 2 m long, in model metres) with the turning
// percentage in a label of fixed screen size a third of the way along (the owner may hide the label when
// another arrow of the same movement carries it). The geometry is taken once, when made. The
// item takes no mouse input, so clicks reach the network below.
class TRELVOGA_EXPORT TurnArrowItem : public QGraphicsPathItem
{
public:
    // Half the head's width and its length, and the width of the stroked body, in model metres.
    static constexpr double headHalfWidth = 0.8;
    static constexpr double headLength = 2.0;
    static constexpr double bodyWidth = 0.35;
    // Where the label sits, as a share of the body's length.
    static constexpr double labelAt = 0.3;

    TurnArrowItem(const Trelvoa::Connection *connection, Trelvoa::GeoUtil *geo, const QColor &color,
                  QGraphicsItem *parent = nullptr);

    void setPercentage(int percent);
    QString labelHtml() const;
    QGraphicsTextItem *label() const { return m_label; }
    // The arrow in model coordinates, before the projection.
    QPainterPath modelPath() const { return m_modelPath; }

private:
    QPainterPath m_modelPath;
    QGraphicsTextItem *m_label = nullptr;
};

} // namespace Trelvoga
