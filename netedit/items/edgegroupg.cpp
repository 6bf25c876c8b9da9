#include "items/edgegroupg.h"

#include "items/itemgeometry.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "edgegroup.h"
#include "geo/geoutil.h"
#include "node.h"

#include <QGraphicsScene>
#include <QPainter>

namespace Trelvoga {

QColor EdgeGroupg::markerColor = ItemColors::edgeGroupMarker();

class EdgeGroupgPrivate
{
public:
    Trelvoa::EdgeGroup *group = nullptr;
    QRectF rect;
    // Laid out when first drawn or picked: a group is shown only without edges, edited or in wireframe,
    // so most of a city's never are.
    QPainterPath linePath;
    QPainterPath pickPath;
    bool pathsStale = false;
    QLineF startLink;
    QLineF endLink;
    bool wireframe = false;

    void ensurePaths(const Trelvoa::GeoUtil *geo)
    {
        if (!pathsStale)
            return;
        pathsStale = false;
        const Trelvoa::GeoPolyline skeleton = group->skeleton();
        ItemGeometry::addStroke(&pickPath, skeleton, 2.0);
        pickPath = ItemGeometry::toScene(geo, pickPath);
        if (skeleton.isEmpty())
            return;
        const QPolygonF line = ItemGeometry::toScene(geo, skeleton.toPolygon());
        linePath.moveTo(line.first());
        for (int i = 1; i < line.size(); ++i)
            linePath.lineTo(line.at(i));
    }
};

EdgeGroupg::EdgeGroupg(Trelvoa::EdgeGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new EdgeGroupgPrivate)
{
    d->group = group;
    setItemCursor(ItemCursors::Edge);
    setFlag(ItemIsSelectable, true);
}

EdgeGroupg::~EdgeGroupg()
{
    if (isFastCleanup())
        return;
    // While the item is still complete: the scene's index asks for its bounding rectangle.
    if (scene())
        scene()->removeItem(this);
    dropVertexEdit();
}

QPainterPath EdgeGroupg::linePath() const
{
    d->ensurePaths(geoUtil());
    return d->linePath;
}

QLineF EdgeGroupg::startLink() const
{
    return d->startLink;
}

QLineF EdgeGroupg::endLink() const
{
    return d->endLink;
}

QColor EdgeGroupg::color() const
{
    return overrideColor();
}

QRectF EdgeGroupg::boundingRect() const
{
    return d->rect;
}

QPainterPath EdgeGroupg::shape() const
{
    d->ensurePaths(geoUtil());
    return d->pickPath;
}

void EdgeGroupg::applyVisibility()
{
    const bool shown = d->wireframe || d->group->edgeCount() == 0 || edited();
    // A group without edges is drawn in normal mode too and must stay selectable there.
    setFlag(ItemIsSelectable, shown);
    setVisible(shown);
}

void EdgeGroupg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    const Trelvoa::GeoPolyline skeleton = d->group->skeleton();
    const Trelvoa::GeoUtil *geo = geoUtil();
    d->linePath = QPainterPath();
    d->pickPath = QPainterPath();
    d->pathsStale = true;
    d->rect = QRectF();
    d->startLink = QLineF();
    d->endLink = QLineF();

    if (skeleton.isEmpty()) {
        applyVisibility();
        return;
    }
    // The pick band lies within a metre of the skeleton, or four at a sharp bend (its mitre limit); a
    // metre more covers the projection's bending.
    d->rect = ItemGeometry::sceneExtent(geo, skeleton.boundingRect(), 5.0);

    if (const Trelvoa::Node *start = d->group->start()) {
        if (skeleton.first() != start->pos()) {
            d->startLink = ItemGeometry::toScene(geo, QLineF(start->pos(), skeleton.first()));
            d->rect |= QRectF(d->startLink.p1(), d->startLink.p2()).normalized();
        }
    }
    if (const Trelvoa::Node *end = d->group->end()) {
        if (skeleton.last() != end->pos()) {
            d->endLink = ItemGeometry::toScene(geo, QLineF(skeleton.last(), end->pos()));
            d->rect |= QRectF(d->endLink.p1(), d->endLink.p2()).normalized();
        }
    }
    applyVisibility();
}

void EdgeGroupg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    QPen pen = painter->pen();
    pen.setCosmetic(true);
    if (const QColor color = overrideColor(); color.isValid()) {
        pen.setColor(color);
        painter->setBrush(QBrush(color));
    } else if (isSelected()) {
        pen.setColor(Qt::darkGreen);
        painter->setBrush(QBrush(Qt::darkGreen));
    } else {
        painter->setBrush(QBrush(Qt::black));
    }
    painter->setOpacity(1.0);
    d->ensurePaths(geoUtil());
    painter->strokePath(d->linePath, pen);
    pen.setStyle(Qt::DashLine);
    painter->setPen(pen);
    if (!d->startLink.isNull())
        painter->drawLine(d->startLink);
    if (!d->endLink.isNull())
        painter->drawLine(d->endLink);
}

void EdgeGroupg::setWireframe(bool on)
{
    if (d->wireframe == on)
        return;
    d->wireframe = on;
    applyVisibility();
}

Trelvoa::NetObject *EdgeGroupg::networkObject() const
{
    return d->group;
}

void EdgeGroupg::setEdit(bool on)
{
    if (on ? beginVertexEdit(d->group->skeleton()) : endVertexEdit())
        applyVisibility();
}

void EdgeGroupg::polylineChanged(const Trelvoa::GeoPolyline &polyline)
{
    editWritten(d->group->setSkeleton(modelGeometry(polyline)));
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::EdgeGroupg, Trelvoa::EdgeGroup)
