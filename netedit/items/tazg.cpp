#include "items/tazg.h"

#include "items/connectionline.h"
#include "items/dragdropmarker.h"
#include "scene/itemcolors.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"

#include "edge.h"
#include "taz.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHash>
#include <QPainter>
#include <QRadialGradient>
#include <QSet>
#include <QtMath>

namespace Trelvoga {

QColor Tazg::tazColor = ItemColors::taz();
QColor Tazg::selectedTazColor = ItemColors::tazSelected();

class TazgPrivate
{
public:
    Trelvoa::Taz *taz = nullptr;
    QRectF bounds;
    QPainterPath path;
    bool updating = false;
    DragDropMarker *centreMarker = nullptr;
    QHash<Trelvoa::Edge *, DragDropMarker *> edgeMarkers;
    QHash<Trelvoa::Edge *, ConnectionLine *> lines;
    bool connectorsAlwaysVisible = true;
    QColor color;
};

Tazg::Tazg(Trelvoa::Taz *taz, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
    : GenericGraphicsItem(parent, geo)
    , d(new TazgPrivate)
{
    d->taz = taz;
    setItemCursor(ItemCursors::Taz);
    setFlags(ItemIsSelectable | ItemIgnoresTransformations | ItemSendsGeometryChanges);
    setFlag(ItemIsMovable, !isReadOnly());
    d->path.addEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));
    // The pen reaches a pixel beyond the disc (two when selected).
    d->bounds = d->path.boundingRect().adjusted(-2, -2, 2, 2);
}

Tazg::~Tazg()
{
    // Even under fast cleanup: the network deletes only the items of objects, and lines and markers
    // left in their layers would outlive a cleared network.
    delete d->centreMarker;
    qDeleteAll(d->edgeMarkers);
    qDeleteAll(d->lines);
    if (!isFastCleanup() && scene())
        scene()->removeItem(this);
}

bool Tazg::isConnectionsEdit() const
{
    return d->centreMarker != nullptr;
}

bool Tazg::connectorsAlwaysVisible() const
{
    return d->connectorsAlwaysVisible;
}

ConnectionLine *Tazg::line(Trelvoa::Edge *edge) const
{
    return d->lines.value(edge);
}

DragDropMarker *Tazg::centreMarker() const
{
    return d->centreMarker;
}

DragDropMarker *Tazg::edgeMarker(Trelvoa::Edge *edge) const
{
    return d->edgeMarkers.value(edge);
}

QColor Tazg::overrideColor() const
{
    return d->color;
}

QRectF Tazg::boundingRect() const
{
    return d->bounds;
}

QPainterPath Tazg::shape() const
{
    return d->path;
}

void Tazg::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    // Shrinks with the view when zoomed far out, and grows back when zoomed in again.
    if (auto *view = widget ? qobject_cast<QGraphicsView *>(widget->parentWidget()) : nullptr) {
        const double s = std::abs(view->transform().m11());
        const double wanted = s < fullSizeScale ? transform().m11() * s / fullSizeScale : 1.0;
        if (!qFuzzyCompare(scale(), wanted))
            setScale(wanted);
    }

    QPen pen(Qt::black, isSelected() ? 2 : 1, Qt::SolidLine);
    pen.setCosmetic(true);
    QColor inner = isSelected() ? selectedTazColor : tazColor;
    QColor outer(167, 162, 162, 255);
    if (d->color.isValid()) {
        inner = d->color;
        outer.setAlpha(d->color.alpha());
        QColor penColor(Qt::black);
        penColor.setAlpha(d->color.alpha());
        pen.setColor(penColor);
    }
    QRadialGradient gradient(QPointF(0, 0), radius);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    painter->setPen(pen);
    painter->setBrush(QBrush(gradient));
    painter->drawEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QRectF(-radius / 2, -radius / 2, radius, radius));
}

void Tazg::objectChanged(int flags)
{
    Q_UNUSED(flags)
    prepareGeometryChange();
    setFlag(ItemIsMovable, !isReadOnly());
    if (!d->taz)
        return;
    if (isConnectionsEdit())
        refreshMarkers();
    d->updating = true;
    setPos(geoPos(d->taz->pos()));
    d->updating = false;

    const QPointF centre = pos();
    QSet<Trelvoa::Edge *> connected;
    const QList<Trelvoa::Edge *> edges = d->taz->edges();
    for (Trelvoa::Edge *edge : edges) {
        const Trelvoa::Taz::EdgeData *data = d->taz->edgeData(edge);
        const QPointF xy = d->taz->connectionPoint(edge);
        if (!data || !qIsFinite(xy.x()) || !qIsFinite(xy.y()))
            continue;
        connected.insert(edge);
        const QPointF point = geoPos(xy);
        const QPointF start = data->flag ? centre : point;
        const QPointF end = data->flag ? point : centre;
        if (ConnectionLine *line = d->lines.value(edge)) {
            line->setLine(start, end);
            line->setZValue(zValue() + (data->flag ? -0.001 : 0.001));
            continue;
        }
        auto *line = new ConnectionLine(start, end, geoUtil(), parentItem());
        QPen pen(Qt::black);
        pen.setCosmetic(true);
        line->setPen(pen);
        if (!parentItem() && scene())
            scene()->addItem(line);
        line->setZValue(zValue() + (data->flag ? -0.001 : 0.001));
        d->lines.insert(edge, line);
    }
    for (auto it = d->lines.begin(); it != d->lines.end();) {
        if (connected.contains(it.key())) {
            ++it;
            continue;
        }
        delete it.value();
        it = d->lines.erase(it);
    }
    applyLineVisibility();
}

Trelvoa::NetObject *Tazg::networkObject() const
{
    return d->taz;
}

QVariant Tazg::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && !d->updating && d->taz) {
        if (isReadOnly())
            return pos();
        d->taz->setPos(netPos(value.toPointF()));
    }
    const QVariant result = GenericGraphicsItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged || change == ItemSelectedHasChanged)
        applyLineVisibility();
    return result;
}

void Tazg::applyLineVisibility()
{
    const bool visible = isVisible() && (isSelected() || isConnectionsEdit() || d->connectorsAlwaysVisible);
    for (ConnectionLine *line : qAsConst(d->lines))
        line->setVisible(visible);
}

void Tazg::setConnectionsEdit(bool on)
{
    if (isConnectionsEdit() == on)
        return;
    if (on) {
        refreshMarkers();
    } else {
        delete d->centreMarker;
        d->centreMarker = nullptr;
        qDeleteAll(d->edgeMarkers);
        d->edgeMarkers.clear();
    }
    applyLineVisibility();
}

void Tazg::setConnectorsAlwaysVisible(bool visible)
{
    if (d->connectorsAlwaysVisible == visible)
        return;
    d->connectorsAlwaysVisible = visible;
    applyLineVisibility();
}

void Tazg::refreshMarkers()
{
    if (!d->taz)
        return;
    const QVariant taz = QVariant::fromValue(static_cast<QObject *>(d->taz));
    const QPointF centre = geoPos(d->taz->pos());
    if (d->centreMarker)
        d->centreMarker->setPos(centre);
    else
        d->centreMarker = new DragDropMarker(centre, {{QStringLiteral("taz"), taz}}, this);

    QSet<Trelvoa::Edge *> connected;
    const QList<Trelvoa::Edge *> edges = d->taz->edges();
    for (Trelvoa::Edge *edge : edges) {
        const QPointF xy = d->taz->connectionPoint(edge);
        if (!d->taz->edgeData(edge) || !qIsFinite(xy.x()) || !qIsFinite(xy.y()))
            continue;
        connected.insert(edge);
        if (DragDropMarker *marker = d->edgeMarkers.value(edge)) {
            marker->setPos(geoPos(xy));
            continue;
        }
        const QVariantMap data{{QStringLiteral("taz"), taz},
                               {QStringLiteral("edge"), QVariant::fromValue(static_cast<QObject *>(edge))}};
        d->edgeMarkers.insert(edge, new DragDropMarker(geoPos(xy), data, this));
    }
    for (auto it = d->edgeMarkers.begin(); it != d->edgeMarkers.end();) {
        if (connected.contains(it.key())) {
            ++it;
            continue;
        }
        delete it.value();
        it = d->edgeMarkers.erase(it);
    }
}

void Tazg::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void Tazg::resetColor()
{
    if (!d->color.isValid())
        return;
    d->color = QColor();
    update();
}

} // namespace Trelvoga

TRELVOGA_REGISTER_ITEM(Trelvoga::Tazg, Trelvoa::Taz)
