#pragma once

#include "items/marking.h"
#include "scene/editableitem.h"
#include "trelvoga_global.h"

#include <QColor>
#include <QLineF>
#include <QPolygonF>
#include <QVector>
#include <memory>


namespace Trelvoa {
class Edge;
} // namespace Trelvoa

namespace Trelvoga {

class EdgegPrivate;

// An edge. With lanes it draws nothing in normal mode (its lanes show the road and its Marking item the
// white lines between them) and cannot be selected; without lanes, in wireframe mode or while its
// skeleton is edited it draws the skeleton with an arrow head at the end. The item stays at the scene
// origin: all its geometry is in scene coordinates.
class TRELVOGA_EXPORT Edgeg : public EditableItem
{
public:
    enum { Type = ItemType::Edgeg };

    static QColor markerColor;

    Edgeg(Trelvoa::Edge *edge, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~Edgeg() override;

    // The road markings of this edge, made when first asked for if a load left them to be made when
    // shown; null once its layer has deleted it.
    Marking *marking() const;
    // Scene coordinates.
    QPolygonF skeletonPolygon() const;
    QPolygonF arrow() const;
    QLineF startLink() const;
    QLineF endLink() const;
    QColor color() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // The lanes draw an edge that has them, but in the wireframe view and while it is edited.
    bool drawsAt(double pixelsPerMetre) const override;
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    void setWireframe(bool on) override;
    Trelvoa::NetObject *networkObject() const override;
    void setEdit(bool on) override;

    void polylineChanged(const Trelvoa::GeoPolyline &polyline) override;

private:
    friend class ::Marking;

    void updateSelectable();
    // The marking item in the marking layer's tile where this edge is; its extent too when built.
    void makeMarking(QGraphicsItem *holder, bool built);
    void buildMarkings();
    // The lines of the markings, from the edge and its lanes as they are now.
    QVector<Marking::Line> markingLines() const;
    void clearMarkings();
    void markingDestroyed(Marking *marking);

    std::unique_ptr<EdgegPrivate> d;
};

} // namespace Trelvoga
