#include "scene/geometryeditor.h"

#include "scene/genericgraphicsitem.h"
#include "scene/geometryeditormarker.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"

#include <QGraphicsScene>

namespace Trelvoga {

namespace {

constexpr int defaultMinPoints = 1;

// The "Markers" layer of the item's network, else the first one in the item's scene that belongs to
// the same network (any, when the item is in no layer).
Layer *markersLayer(const GenericGraphicsItem *item)
{
    if (!item || !item->scene())
        return nullptr;
    Layer *own = Layer::of(item);
    if (own && own->network()) {
        if (Layer *layer = own->network()->layer(Networkg::layerMarkers))
            return layer;
    }
    for (QObject *child : item->scene()->children()) {
        auto *layer = qobject_cast<Layer *>(child);
        if (layer && layer->objectName() == Networkg::layerMarkers && (!own || layer->network() == own->network()))
            return layer;
    }
    return nullptr;
}

} // namespace

class GeometryEditorPrivate
{
public:
    QList<GeometryEditorMarker *> markers;
    Trelvoa::GeoShape shape;
    Trelvoa::GeoPolyline polyline;
    bool editing = false;
    bool polylineMode = false;
    int minPoints = defaultMinPoints;

    int vertexCount() const { return polylineMode ? polyline.count() : shape.count(); }
    QPointF vertex(int i) const { return polylineMode ? polyline.at(i) : shape.at(i); }
};

GeometryEditor::GeometryEditor(GenericGraphicsItem *item)
    : m_item(item)
{
}

GeometryEditor::~GeometryEditor()
{
    // Markers point back at this editor: they go with it even in a fast clean-up, which could
    // otherwise leave them in the scene, free to be dragged into a deleted editor.
    deleteMarkers();
}

GeometryEditorPrivate *GeometryEditor::ensurePrivate()
{
    if (!d)
        d.reset(new GeometryEditorPrivate);
    return d.get();
}

void GeometryEditor::startEdit(const Trelvoa::GeoPolyline &polyline)
{
    if (ensurePrivate()->editing)
        return;
    d->editing = true;
    d->polylineMode = true;
    Trelvoa::GeoUtil *geo = m_item ? m_item->geoUtil() : nullptr;
    d->polyline = geo ? geo->xyToGeo(polyline) : polyline;
    d->minPoints = 2;
    for (int i = 0; i < d->polyline.count(); ++i)
        createMarker(i, false);
}

void GeometryEditor::startEdit(const Trelvoa::GeoShape &shape)
{
    if (ensurePrivate()->editing)
        return;
    d->editing = true;
    d->polylineMode = false;
    d->minPoints = 1;
    Trelvoa::GeoShape closed = shape;
    closed.close();
    // A single point is kept as a closed ring of two, like addNewPoint makes it.
    if (closed.count() == 1)
        closed.append(closed.at(0));
    Trelvoa::GeoUtil *geo = m_item ? m_item->geoUtil() : nullptr;
    d->shape = geo ? geo->xyToGeo(closed) : closed;
    // Every point but the closing one.
    for (int i = 0; i + 1 < d->shape.count(); ++i)
        createMarker(i, false);
}

void GeometryEditor::endEdit()
{
    if (!d || !d->editing)
        return;
    d->editing = false;
    deleteMarkers();
}

bool GeometryEditor::edited() const
{
    return d && d->editing;
}

void GeometryEditor::addEditPoint(const QPointF &scenePoint)
{
    if (!edited())
        return;
    const int n = d->vertexCount();
    QPointF q = scenePoint;
    int i = 1;
    if (d->markers.size() != 1) {
        q = d->polylineMode ? d->polyline.pointOn1(scenePoint, &i) : d->shape.pointOn(scenePoint, &i);
        if (i < 0)
            return;
    }
    if (i > d->markers.size() || i > n)
        return;
    if (d->polylineMode)
        d->polyline.insert(i, q);
    else
        d->shape.insert(i, q);
    createMarker(i, true);
    for (int k = i + 1; k < d->markers.size(); ++k)
        d->markers.at(k)->setIndex(k);
    report();
}

void GeometryEditor::addNewPoint(const QPointF &scenePoint)
{
    if (!edited())
        return;
    const int m = d->markers.size();
    if (!d->polylineMode && m > 0 && d->shape.count() > 0)
        d->shape.insert(d->shape.count() - 1, scenePoint);
    else if (d->polylineMode)
        d->polyline.append(scenePoint);
    else
        d->shape.append(scenePoint);
    createMarker(m, false);
    if (!d->polylineMode && m == 0)
        d->shape.append(scenePoint);
    report();
}

void GeometryEditor::setMinPoints(int count)
{
    ensurePrivate()->minPoints = count;
}

int GeometryEditor::minPoints() const
{
    return d ? d->minPoints : defaultMinPoints;
}

Trelvoa::GeoPolyline GeometryEditor::editedPolyline() const
{
    return d ? d->polyline : Trelvoa::GeoPolyline();
}

Trelvoa::GeoShape GeometryEditor::editedShape() const
{
    return d ? d->shape : Trelvoa::GeoShape();
}

bool GeometryEditor::isPolylineMode() const
{
    return d && d->polylineMode;
}

QList<GeometryEditorMarker *> GeometryEditor::markers() const
{
    return d ? d->markers : QList<GeometryEditorMarker *>();
}

GenericGraphicsItem *GeometryEditor::editorItem() const
{
    return m_item;
}

void GeometryEditor::shapeChanged(const Trelvoa::GeoShape &shape)
{
    Q_UNUSED(shape)
}

void GeometryEditor::polylineChanged(const Trelvoa::GeoPolyline &polyline)
{
    Q_UNUSED(polyline)
}

void GeometryEditor::createMarker(int index, bool insert)
{
    auto *marker = new GeometryEditorMarker(this, index);
    if (index < d->vertexCount())
        marker->setPos(d->vertex(index));
    if (Layer *layer = markersLayer(m_item))
        marker->setParentItem(layer);
    marker->setActiveMarker(true);
    if (insert)
        d->markers.insert(index, marker);
    else
        d->markers.append(marker);
}

void GeometryEditor::report()
{
    if (d->polylineMode)
        polylineChanged(d->polyline);
    else
        shapeChanged(d->shape);
}

void GeometryEditor::markerMoved(GeometryEditorMarker *marker, const QPointF &scenePos)
{
    const int i = marker->index();
    if (i < 0)
        return;
    if (d->polylineMode) {
        if (i < d->polyline.count())
            d->polyline.setPoint(i, scenePos);
    } else if (i < d->shape.count()) {
        d->shape.setPoint(i, scenePos);
        if (i == 0 && d->shape.count() > 1)
            d->shape.setPoint(d->shape.count() - 1, scenePos);
    }
    report();
}

int GeometryEditor::removeMarkerPoint(GeometryEditorMarker *marker)
{
    const int at = d->markers.indexOf(marker);
    if (at < 0 || d->markers.size() <= d->minPoints)
        return d->markers.size();
    const int i = marker->index();
    if (d->polylineMode) {
        if (i >= 0 && i < d->polyline.count())
            d->polyline.remove(i);
    } else if (i >= 0 && i < d->shape.count()) {
        d->shape.remove(i);
        if (i == 0 && d->shape.count() > 0) {
            // The old first point is still the closing one; the new first point takes over.
            d->shape.remove(d->shape.count() - 1);
            d->shape.close();
            if (d->shape.count() == 1)
                d->shape.append(d->shape.at(0));
        }
    }
    report();
    d->markers.removeAt(at);
    marker->detachEditor();
    delete marker;
    for (int k = at; k < d->markers.size(); ++k)
        d->markers.at(k)->setIndex(d->markers.at(k)->index() - 1);
    return d->markers.size();
}

void GeometryEditor::markerDestroyed(GeometryEditorMarker *marker)
{
    d->markers.removeAll(marker);
}

void GeometryEditor::deleteMarkers()
{
    if (!d)
        return;
    const QList<GeometryEditorMarker *> markers = d->markers;
    d->markers.clear();
    for (GeometryEditorMarker *marker : markers) {
        marker->detachEditor();
        delete marker;
    }
}

} // namespace Trelvoga
