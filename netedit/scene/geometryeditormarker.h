#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QGraphicsItem>
#include <memory>

namespace Trelvoga {

class GeometryEditor;
class GeometryEditorMarkerPrivate;

// One vertex of a running geometry edit: a numbered 12 x 12 pixel square that keeps its size at every
// zoom. Created and owned by its GeometryEditor.
class TRELVOGA_EXPORT GeometryEditorMarker : public QGraphicsItem
{
public:
    enum { Type = ItemType::GeometryEditorMarker };

    ~GeometryEditorMarker() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    GeometryEditor *editor() const;
    // The vertex index, 0-based; -1 before it is set.
    int index() const;

    // Removes this vertex from the geometry and deletes the marker, unless the markers number no more
    // than the editor's minimum. Returns the number of markers afterwards. The marker must not be used
    // after a removal (the count dropped).
    int removePoint();

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    friend class GeometryEditor;

    GeometryEditorMarker(GeometryEditor *editor, int index);
    void setIndex(int index);
    void setActiveMarker(bool active);
    void detachEditor();

    std::unique_ptr<GeometryEditorMarkerPrivate> d;
};

} // namespace Trelvoga
