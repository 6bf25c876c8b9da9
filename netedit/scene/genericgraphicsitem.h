#pragma once

#include "trelvoga_global.h"
#include "scene/itemcursors.h"

#include <QGraphicsItem>

namespace Trelvoa {
class GeoUtil;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

// Fixed type() values of the editor's items; the editor tells items apart by them. Offset 20 is
// unused.
namespace ItemType {
enum : int {
    CompositeDetectorg = QGraphicsItem::UserType + 1,
    Connectiong = QGraphicsItem::UserType + 2,
    CrossWalkg = QGraphicsItem::UserType + 3,
    Detectorg = QGraphicsItem::UserType + 4,
    DetectorGroupg = QGraphicsItem::UserType + 5,
    Marking = QGraphicsItem::UserType + 6,
    Edgeg = QGraphicsItem::UserType + 7,
    GeometryEditorMarker = QGraphicsItem::UserType + 8,
    Laneg = QGraphicsItem::UserType + 9,
    Layer = QGraphicsItem::UserType + 10,
    GenericGraphicsItem = QGraphicsItem::UserType + 11,
    Nodeg = QGraphicsItem::UserType + 12,
    PolygonObjectg = QGraphicsItem::UserType + 13,
    PtStopg = QGraphicsItem::UserType + 14,
    DragDropMarker = QGraphicsItem::UserType + 15,
    Routeg = QGraphicsItem::UserType + 16,
    SignalGroupg = QGraphicsItem::UserType + 17,
    LayerTile = QGraphicsItem::UserType + 18,
    Stoplineg = QGraphicsItem::UserType + 19,
    EmergencyDetectorg = QGraphicsItem::UserType + 21,
    WalkingAreag = QGraphicsItem::UserType + 22,
    EdgeGroupg = QGraphicsItem::UserType + 23,
    Tazg = QGraphicsItem::UserType + 24,
    PointObjectg = QGraphicsItem::UserType + 25,
};

// True for the type ids of the classes that stand for model objects (the GenericGraphicsItem
// subclasses), false for layers and their tiles, markings and markers.
inline bool isObjectItem(int type)
{
    return type >= CompositeDetectorg && type <= PointObjectg && type != Marking && type != GeometryEditorMarker
        && type != Layer && type != LayerTile && type != DragDropMarker;
}
}

// Base of every item that stands for a model object. The scene is in geographic coordinates, the model
// in projected XY: geoPos() and netPos() convert between them (unchanged without a converter).
//
// The tooltip is made when asked (toolTipText(), shown by NetworkScene): a city has a hundred thousand
// items and few are ever hovered long enough. Editable items also derive from GeometryEditor and forward addEditPoint and
// addNewPoint to it.
class TRELVOGA_EXPORT GenericGraphicsItem : public QGraphicsItem
{
public:
    enum { Type = ItemType::GenericGraphicsItem };

    GenericGraphicsItem(QGraphicsItem *parent, Trelvoa::GeoUtil *geo);
    ~GenericGraphicsItem() override;

    int type() const override { return Type; }

    // Re-reads the object and rebuilds the cached drawing; flags as Trelvoa::ChangeFlag, 65535 = all.
    virtual void objectChanged(int flags) = 0;
    // Base: hidden in wireframe mode.
    virtual void setWireframe(bool on);
    virtual Trelvoa::NetObject *networkObject() const;
    // Starts or ends vertex editing where the item supports it.
    virtual void setEdit(bool on);
    // True when an edit changed the geometry.
    virtual bool isChanged() const;
    virtual void setColor(const QColor &color);
    virtual void resetColor();
    // Inserts a vertex where the user clicked on the geometry (scene coordinates).
    virtual void addEditPoint(const QPointF &scenePoint);
    // Appends a vertex (scene coordinates).
    virtual void addNewPoint(const QPointF &scenePoint);
    // Connection items draw a simple form (a straight arrow) or the full course; others ignore it.
    virtual void setSimpleView(bool simple);
    // Whether the item draws anything at that scale (screen pixels per model metre). The scene skips
    // the items that do not before it sets up their paint. Base: always.
    virtual bool drawsAt(double pixelsPerMetre) const;

    // A load lays out the items of a large network on two threads while their layers are out of the
    // scene. An item may be laid out off the GUI thread when objectChanged(All) then writes nothing but
    // the item and its own children, and reads of the model find computed what prepareLayout() (called
    // on the GUI thread first, for every such item) computes of the model's lazily cached geometry.
    // Base: no.
    virtual bool layoutsOffThread() const { return false; }
    virtual void prepareLayout() {}

    Trelvoa::GeoUtil *geoUtil() const { return m_geoUtil; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Set by the network when it goes: every item is being deleted, so an item may skip clean-up work
    // aimed at other items. (The geometry editor still frees its markers: they point back at it.)
    bool isFastCleanup() const { return m_fastCleanup; }
    void setFastCleanup(bool fast) { m_fastCleanup = fast; }

    // Model XY to scene point, and back.
    QPointF geoPos(const QPointF &xy) const;
    QPointF netPos(const QPointF &scenePoint) const;

    // Hides QGraphicsItem::sceneBoundingRect: an item of fixed screen size (ItemIgnoresTransformations)
    // counts as a tiny square around its position, so that it does not inflate the network's bounds.
    QRectF sceneBoundingRect() const;

    // Tooltip: the object's user property, a blank and its printable name; empty without an object.
    QString toolTipText() const;
    // The cursor of the item's kind. The item takes it when the pointer first comes over it (see
    // NetworkScene::takeCursorsAt): setting one on each of a city's hundred thousand items is a
    // noticeable share of its load.
    void setItemCursor(ItemCursors::Kind kind);
    // -1 for none.
    int itemCursorKind() const { return m_cursorKind; }
    // Sets the cursor of the item's kind on it if it has none yet.
    void takeItemCursor();

private:
    qint8 m_cursorKind = -1;
    bool m_readOnly = false;
    Trelvoa::GeoUtil *m_geoUtil = nullptr;
    bool m_fastCleanup = false;
};

} // namespace Trelvoga
