#include "items/edgeg.h"

#include "items/itemgeometry.h"
#include "items/laneg.h"
#include "items/marking.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "edge.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "node.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTransform>

namespace Trelvoga {

QColor Edgeg::markerColor = ItemColors::edgeMarker();

namespace {

// Tracks carry no road marking (see Laneg::isTrack).
bool noMarkingBeside(const Trelvoa::Lane *lane)
{
    return lane->allowed() == 0 || Laneg::isTrack(int(lane->allowed()));
}

// The network's marking layer next to the edge's own layer, or the first one in the scene.
Layer *findMarkingLayer(QGraphicsItem *parent)
{
    if (!parent)
        return nullptr;
    Layer *parentLayer = nullptr;
    if (parent->type() == Layer::Type)
        parentLayer = static_cast<Layer *>(parent);
    else if (parent->type() == LayerTile::Type)
        parentLayer = static_cast<Layer *>(parent->parentItem());
    if (parentLayer && parentLayer->network()) {
        if (Layer *layer = parentLayer->network()->layer(Networkg::layerMarking))
            return layer;
    }
    QGraphicsScene *scene = parent->scene();
    if (!scene)
        return nullptr;
    for (QObject *child : scene->children()) {
        auto *layer = qobject_cast<Layer *>(child);
        if (!layer || layer->objectName() != Networkg::layerMarking)
            continue;
        if (!parentLayer || layer->network() == parentLayer->network())
            return layer;
    }
    return nullptr;
}

} // namespace

class EdgegPrivate
{
public:
    Trelvoa::Edge *edge = nullptr;
    Edgeg *owner = nullptr;
    QRectF rect;
    // Picking an edge is possible only while it is drawn (no lanes, wireframe, editing): its band is made
    // when first asked for.
    QPainterPath pickPath;
    bool pickStale = false;
    // The road's line and arrow head, drawn only when the edge draws itself (no lanes, wireframe,
    // editing): laid out when first needed.
    QPolygonF skeleton;
    QPolygonF arrow;
    bool linesStale = false;
    QLineF startLink;
    QLineF endLink;
    bool wireframe = false;
    bool selectable = false;
    bool markingStale = false;
    Marking *marking = nullptr;
    // Left to the network by a load, to be made when the markings are first shown (or asked for).
    bool markingWaits = false;

    void ensureLines(const Trelvoa::GeoUtil *geo)
    {
        if (!linesStale)
            return;
        linesStale = false;
        const Trelvoa::GeoPolyline line = edge->skeleton();
        skeleton = ItemGeometry::toScene(geo, line.toPolygon());
        if (line.count() < 2)
            return;
        const QPointF last = line.last();
        const QPointF prev = line.at(line.count() - 2);
        QTransform t;
        t.translate(last.x(), last.y());
        t.rotate(-QLineF(prev, last).angle());
        arrow = ItemGeometry::toScene(geo, QPolygonF() << t.map(QPointF(-3, -1)) << last << t.map(QPointF(-3, 1)));
    }
};

Edgeg::Edgeg(Trelvoa::Edge *edge, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : EditableItem(parent, geo)
    , d(new EdgegPrivate)
{
    d->edge = edge;
    d->owner = this;
    // In the marking layer's tile where this edge is, so that look-ups pass both over together. Markings
    // are drawn only close up: a load leaves them to its network, which makes them when the tile is
    // shown at their scale (a city seen whole shows none).
    Layer *markingLayer = findMarkingLayer(parent);
    QGraphicsItem *markingParent = markingLayer ? markingLayer->holderFor(Layer::tileCentre(this)) : nullptr;
    Networkg *network = markingLayer ? markingLayer->network() : nullptr;
    d->markingWaits = network && markingParent && markingParent->type() == LayerTile::Type
        && network->deferMarking(edge, static_cast<LayerTile *>(markingParent));
    if (!d->markingWaits)
        makeMarking(markingParent ? markingParent : parent, false);
    d->selectable = edge->lanesCount() == 0 || d->wireframe;
    setFlag(ItemIsSelectable, d->selectable);
    setItemCursor(ItemCursors::Edge);
}

Edgeg::~Edgeg()
{
    if (!isFastCleanup()) {
        // While the item is still complete: the scene's index asks for its bounding rectangle.
        if (scene())
            scene()->removeItem(this);
        dropVertexEdit();
    }
    if (d->marking) {
        d->marking->m_owner = nullptr;
        delete d->marking;
    }
}

Marking *Edgeg::marking() const
{
    if (d->markingWaits) {
        Layer *markingLayer = findMarkingLayer(parentItem());
        QGraphicsItem *holder = markingLayer ? markingLayer->holderFor(Layer::tileCentre(this)) : parentItem();
        const_cast<Edgeg *>(this)->makeMarking(holder, true);
    }
    return d->marking;
}

void Edgeg::makeMarking(QGraphicsItem *holder, bool built)
{
    d->markingWaits = false;
    d->marking = new Marking(holder);
    d->marking->m_owner = this;
    d->marking->setWireframe(d->wireframe);
    // As the last layout would have left it: the extent of the lanes' lines, or nothing while the edge
    // draws itself.
    if (built && !d->selectable)
        buildMarkings();
}

QPolygonF Edgeg::skeletonPolygon() const
{
    d->ensureLines(geoUtil());
    return d->skeleton;
}

QPolygonF Edgeg::arrow() const
{
    d->ensureLines(geoUtil());
    return d->arrow;
}

QLineF Edgeg::startLink() const
{
    return d->startLink;
}

QLineF Edgeg::endLink() const
{
    return d->endLink;
}

QColor Edgeg::color() const
{
    return overrideColor();
}

void Edgeg::markingDestroyed(Marking *marking)
{
    if (d->marking == marking)
        d->marking = nullptr;
}

QRectF Edgeg::boundingRect() const
{
    return d->rect;
}

QPainterPath Edgeg::shape() const
{
    if (d->pickStale) {
        d->pickStale = false;
        ItemGeometry::addStroke(&d->pickPath, d->edge->skeleton(), 2.0);
        d->pickPath = ItemGeometry::toScene(geoUtil(), d->pickPath);
    }
    return d->pickPath;
}

void Edgeg::updateSelectable()
{
    const bool selectable = d->edge->lanesCount() == 0 || d->wireframe;
    if (selectable == d->selectable)
        return;
    d->selectable = selectable;
    setFlag(ItemIsSelectable, selectable);
}

void Edgeg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    const Trelvoa::GeoPolyline skeleton = d->edge->skeleton();
    const Trelvoa::GeoUtil *geo = geoUtil();
    d->pickPath = QPainterPath();
    d->rect = QRectF();

    updateSelectable();

    d->skeleton.clear();
    d->arrow.clear();
    d->linesStale = true;
    d->pickStale = true;

    // The pick band lies within a metre of the skeleton, or four at a sharp bend (its mitre limit),
    // the arrow head within three and a bit of its end; a metre more covers the projection's bending.
    if (skeleton.count() >= 2)
        d->rect |= ItemGeometry::sceneExtent(geo, skeleton.boundingRect(), 5.0);
    else if (skeleton.count() == 1)
        d->rect |= QRectF(ItemGeometry::toScene(geo, QLineF(skeleton.first(), skeleton.first())).p1(), QSizeF());

    d->startLink = QLineF();
    d->endLink = QLineF();
    if (!skeleton.isEmpty()) {
        if (const Trelvoa::Node *start = d->edge->start()) {
            if (skeleton.first() != start->pos()) {
                d->startLink = ItemGeometry::toScene(geo, QLineF(start->pos(), skeleton.first()));
                d->rect |= QRectF(d->startLink.p1(), d->startLink.p2()).normalized();
            }
        }
        if (const Trelvoa::Node *end = d->edge->end()) {
            if (skeleton.last() != end->pos()) {
                d->endLink = ItemGeometry::toScene(geo, QLineF(skeleton.last(), end->pos()));
                d->rect |= QRectF(d->endLink.p1(), d->endLink.p2()).normalized();
            }
        }
    }

    if (d->selectable) {
        // Markings of lanes that have all gone must not stay on screen.
        if (d->edge->lanesCount() == 0)
            clearMarkings();
        d->markingStale = true;
        return;
    }
    buildMarkings();
}

void Edgeg::clearMarkings()
{
    if (!d->marking)
        return;
    d->marking->beginChange();
    d->marking->m_paths.clear();
    d->marking->m_stale = false;
    d->marking->m_rect = QRectF();
}

void Edgeg::buildMarkings()
{
    Marking *marking = d->marking;
    if (!marking)
        return;
    marking->beginChange();
    marking->m_paths.clear();
    // Only the extent now; the lines and dashes when first needed (Marking::paths, a close paint). A
    // marking lies on a lane's border, within the lane's width of its skeleton or twice that at a sharp
    // bend (the offset line's mitre limit), its line width included; a metre more covers the
    // projection's bending.
    QRectF extent;
    const int n = d->edge->lanesCount();
    for (int i = 0; i < n; ++i) {
        const Trelvoa::Lane *lane = d->edge->lane(i);
        const Trelvoa::GeoPolyline skeleton = lane->skeleton();
        if (skeleton.count() < 2)
            continue;
        const double margin = 2.0 * lane->width() + 1.5;
        extent |= skeleton.boundingRect().adjusted(-margin, -margin, margin, margin);
    }
    marking->m_stale = !extent.isNull();
    marking->m_rect = extent.isNull() ? QRectF() : ItemGeometry::sceneExtent(geoUtil(), extent, 0.0);
    marking->update();
}

QVector<Marking::Line> Edgeg::markingLines() const
{
    const int n = d->edge->lanesCount();
    QVector<Marking::Line> lines(n);
    const QList<Trelvoa::Edge *> opposites = d->edge->opposite();
    const Trelvoa::Edge *opp = opposites.value(0);
    for (int i = 0; i < n; ++i) {
        const Trelvoa::Lane *lane = d->edge->lane(i);
        const Trelvoa::Lane *next = d->edge->lane(i + 1);
        if (lane->allowed() == 0)
            continue;
        const Trelvoa::Node *endNode = lane->endNode();
        const bool solidEnd = endNode && endNode->type() != Trelvoa::Node::PlainNode && lane->hasStopline(nullptr);
        if (Laneg::isTrack(int(lane->allowed())))
            continue;
        Marking::Style style = Marking::Dashed;
        if (next) {
            if (noMarkingBeside(next))
                continue;
        } else {
            // The last lane borders the last lane of the opposite direction: the centre line.
            if (!opp || opp->lanesCount() == 0 || noMarkingBeside(opp->lane(opp->lanesCount() - 1)))
                break;
            style = opp->lanesCount() + n >= 4 ? Marking::Double : Marking::Single;
        }
        Marking::Line &line = lines[i];
        line.border = lane->skeleton().parallel(lane->width() * 0.5, true);
        line.style = style;
        line.solidEnd = solidEnd;
    }
    return lines;
}

bool Edgeg::drawsAt(double) const
{
    return d->wireframe || edited() || d->edge->lanesCount() == 0;
}

void Edgeg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (!drawsAt(0.0))
        return;
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
    painter->setPen(pen);
    painter->setOpacity(1.0);
    d->ensureLines(geoUtil());
    painter->drawPolyline(d->skeleton);
    painter->drawPolygon(d->arrow, Qt::OddEvenFill);
    if (d->wireframe) {
        pen.setStyle(Qt::DashLine);
        painter->setPen(pen);
        if (!d->startLink.isNull())
            painter->drawLine(d->startLink);
        if (!d->endLink.isNull())
            painter->drawLine(d->endLink);
    }
}

void Edgeg::setWireframe(bool on)
{
    if (d->wireframe == on)
        return;
    d->wireframe = on;
    if (d->marking)
        d->marking->setWireframe(on);
    updateSelectable();
    if (d->markingStale && !on) {
        objectChanged(15);
        d->markingStale = false;
    }
    update();
}

Trelvoa::NetObject *Edgeg::networkObject() const
{
    return d->edge;
}

void Edgeg::setEdit(bool on)
{
    if (on)
        beginVertexEdit(d->edge->skeleton());
    else
        endVertexEdit();
}

void Edgeg::polylineChanged(const Trelvoa::GeoPolyline &polyline)
{
    editWritten(d->edge->setSkeleton(modelGeometry(polyline)));
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Edgeg, Trelvoa::Edge)
