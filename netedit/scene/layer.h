#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include <QGraphicsObject>
#include <QHash>
#include <QList>
#include <QPair>

namespace Trelvoga {

class Networkg;

class LayerTile;

// A named group of items of one object family; its z value fixes the drawing order. Its object name is
// the layer name and its QObject parent the network's scene; it draws nothing itself. A checkable
// QAction made a child of the layer follows the layer's visibility.
//
// A tiled layer holds its items in tiles, one per square cell of the scene, by where their object is.
// Qt looks items up (clicks, hover, the view's paint) by walking the children of every layer that has
// an item in the area: a tile whose children lie elsewhere is passed over as a whole, so a look-up in
// a city costs what the tiles near the point hold, not what the layer holds.
class TRELVOGA_EXPORT Layer : public QGraphicsObject
{
    Q_OBJECT

public:
    enum { Type = ItemType::Layer };

    Layer(const QString &name, Networkg *network, qreal z);
    ~Layer() override;

    Networkg *network() const { return m_network; }

    // Cells of that side in scene units; 0 keeps every item a direct child (the default). Set before
    // items are added.
    void setTileSize(double side);
    double tileSize() const { return m_tileSize; }
    // The parent for a new item whose object is at that scene point: its tile, or the layer itself when
    // the layer is not tiled or the point is not valid.
    QGraphicsItem *holderFor(const QPointF &scenePos);
    // The direct children and the tiles' children: the items of the layer.
    QList<QGraphicsItem *> items() const;
    QList<LayerTile *> tiles() const { return m_tileList; }
    // Deletes the empty tiles; with none left the size may be set anew (the next network may have
    // other units).
    void dropEmptyTiles();
    // The layer an item is in (through its tile), or null.
    static Layer *of(const QGraphicsItem *item);
    // The centre of the cell of an item's tile; an invalid point when the item is not in a tile.
    static QPointF tileCentre(const QGraphicsItem *item);

    // Below this scale the layer's items draw nothing unless drawsAt() says otherwise (a selected or
    // highlighted one); 0, the default, for a layer drawn at every scale; infinity for a layer whose
    // items draw only now and then at any scale.
    void setMinPixelsPerMetre(double pixelsPerMetre) { m_minPixelsPerMetre = pixelsPerMetre; }
    double minPixelsPerMetre() const { return m_minPixelsPerMetre; }
    // Around a view's paint at that transform, of that scene area: below the layer's scale, the paint's
    // look-up passes over every tile with no item to draw. A city zoomed out has tens of thousands of
    // stoplines and connections that Qt would otherwise find, sort and set up for painting only for
    // them to draw nothing. At its scale the layer's items a load left unmade in the area are made.
    void beginViewPaint(const QTransform &viewTransform, const QRectF &visibleRect);
    void endViewPaint();

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    friend class Networkg;

    Networkg *m_network;
    double m_tileSize = 0.0;
    double m_minPixelsPerMetre = 0.0;
    bool m_passingOver = false;
    QHash<QPair<int, int>, LayerTile *> m_tiles;
    QList<LayerTile *> m_tileList;
};

// A cell of a tiled layer. It draws nothing; its extent is that of its children, which Qt keeps up to
// date as they change, and it tells Qt that they lie within it, so look-ups elsewhere skip them.
class TRELVOGA_EXPORT LayerTile : public QGraphicsItem
{
public:
    enum { Type = ItemType::LayerTile };

    LayerTile(Layer *layer, const QPointF &centre);

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    QPointF centre() const { return m_centre; }
    // The scene's index keeps a tile's extent from when it last indexed it, and the network rebuilds
    // the index after each batch refresh: for children added or moved in between, the tile is indexed
    // anew, else look-ups pass over them.
    void reindex() { prepareGeometryChange(); }

private:
    friend class Layer;

    QPointF m_centre;
    // During a view paint that draws none of the tile's items: the tile then has no extent, so the
    // look-up skips its children.
    bool m_passedOver = false;
};

} // namespace Trelvoga
