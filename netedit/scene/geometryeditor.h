#pragma once

#include "trelvoga_global.h"

#include <QPointF>
#include <memory>

namespace Trelvoa {
class GeoPolyline;
class GeoShape;
} // namespace Trelvoa

namespace Trelvoga {

class GenericGraphicsItem;
class GeometryEditorMarker;
class GeometryEditorPrivate;

// Vertex editing of an item's skeleton (open polyline) or outline (closed shape). Second base of the
// editable items. While an edit runs every vertex is shown as a GeometryEditorMarker in the network's
// "Markers" layer; every marker move, insertion and removal is reported at once through
// polylineChanged() or shapeChanged(), in scene coordinates, and the item writes it to its object.
//
// Items call startEdit() from setEdit(true) and endEdit() from setEdit(false). A second startEdit()
// while an edit runs is ignored.
class TRELVOGA_EXPORT GeometryEditor
{
public:
    explicit GeometryEditor(GenericGraphicsItem *item);
    virtual ~GeometryEditor();

    GeometryEditor(const GeometryEditor &) = delete;
    GeometryEditor &operator=(const GeometryEditor &) = delete;

    // Both take model XY geometry.
    void startEdit(const Trelvoa::GeoPolyline &polyline);
    void startEdit(const Trelvoa::GeoShape &shape);
    void endEdit();
    bool edited() const;

    // Inserts a vertex at the point of the geometry nearest to scenePoint.
    void addEditPoint(const QPointF &scenePoint);
    // Appends a vertex (in shape mode: before the closing point).
    void addNewPoint(const QPointF &scenePoint);

    // Markers cannot be removed below this count (2 for a skeleton, 1 for an outline by default;
    // startEdit resets it).
    void setMinPoints(int count);
    int minPoints() const;

    // The geometry being edited, in scene coordinates.
    Trelvoa::GeoPolyline editedPolyline() const;
    Trelvoa::GeoShape editedShape() const;
    bool isPolylineMode() const;
    // In vertex order.
    QList<GeometryEditorMarker *> markers() const;
    GenericGraphicsItem *editorItem() const;

protected:
    // Reports, in scene coordinates; the base does nothing.
    virtual void shapeChanged(const Trelvoa::GeoShape &shape);
    virtual void polylineChanged(const Trelvoa::GeoPolyline &polyline);

private:
    friend class GeometryEditorMarker;

    void createMarker(int index, bool insert);
    void report();
    void markerMoved(GeometryEditorMarker *marker, const QPointF &scenePos);
    int removeMarkerPoint(GeometryEditorMarker *marker);
    void markerDestroyed(GeometryEditorMarker *marker);
    void deleteMarkers();
    GeometryEditorPrivate *ensurePrivate();

    GenericGraphicsItem *m_item = nullptr;
    // Made at the first edit (or setMinPoints): most items of a large network are never edited.
    std::unique_ptr<GeometryEditorPrivate> d;
};

} // namespace Trelvoga
