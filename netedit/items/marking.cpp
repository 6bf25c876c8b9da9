#include "items/marking.h"

#include "items/edgeg.h"
#include "items/itemgeometry.h"

#include "geo/geopolyline.h"

#include <QPainter>
#include <cmath>

using Trelvoga::ItemGeometry::addStroke;

Marking::Marking(QGraphicsItem *parent)
    : QGraphicsItem(parent)
{
}

Marking::~Marking()
{
    // The layer may go first (scene teardown): the edge must then not delete this item again.
    if (m_owner)
        m_owner->markingDestroyed(this);
}

QRectF Marking::boundingRect() const
{
    return m_rect;
}

void Marking::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (m_wireframe || (!m_stale && m_paths.isEmpty()))
        return;
    // Lines a fifth of a metre wide are noise below this scale (and most of the drawing work).
    const Trelvoa::GeoUtil *geo = m_owner ? m_owner->geoUtil() : nullptr;
    if (Trelvoga::ItemGeometry::pixelsPerMetre(painter, geo, m_rect.center().y()) < minPixelsPerMetre)
        return;
    ensurePaths();
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(Qt::white));
    painter->setOpacity(1.0);
    for (int i = m_paths.size() - 1; i >= 0; --i) {
        if (!m_paths.at(i).isEmpty())
            Trelvoga::ItemGeometry::drawPolygons(painter, m_paths.at(i));
    }
}

void Marking::ensurePaths() const
{
    if (!m_stale)
        return;
    m_stale = false;
    m_paths.clear();
    if (!m_owner)
        return;
    const Trelvoa::GeoUtil *geo = m_owner->geoUtil();
    for (const Line &line : m_owner->markingLines())
        m_paths.append(line.border.isEmpty() ? QPainterPath()
                                             : markingPath(line.border, line.style, line.solidEnd, geo));
}

void Marking::setWireframe(bool on)
{
    if (m_wireframe == on)
        return;
    m_wireframe = on;
    update();
}

QPainterPath Marking::markingPath(const Trelvoa::GeoPolyline &line, Style style, bool solidEnd,
                                  const Trelvoa::GeoUtil *geo)
{
    QPainterPath path;
    switch (style) {
    case Single:
        addStroke(&path, line, lineWidth);
        break;
    case Double:
        addStroke(&path, line.parallel(-lineWidth, true), lineWidth);
        break;
    case Dashed: {
        const double length = line.length();
        const double solid = solidEnd ? solidEndLength : 0.0;
        if (solidEnd) {
            if (dashPeriod + solidEndLength > length) {
                addStroke(&path, line, lineWidth);
                break;
            }
            addStroke(&path, line.part(length - solidEndLength, length, true), lineWidth);
        }
        const int count = int(std::floor(length / dashPeriod));
        for (int k = 0; k < count; ++k) {
            const double end = length - (dashPeriod - dashLength + solid) - dashPeriod * k;
            if (end < 0.0)
                break;
            addStroke(&path, line.part(end - dashLength, end, true), lineWidth);
        }
        break;
    }
    }
    return Trelvoga::ItemGeometry::toScene(geo, path);
}
