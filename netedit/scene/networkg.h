#pragma once

#include "trelvoga_global.h"

#include "network.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <memory>

class QGraphicsItem;
class QGraphicsScene;

namespace Trelvoa {
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class GenericGraphicsItem;
class Layer;
class LayerTile;
class NetObjectFactory;
class NetworkgPrivate;

// The scene-side network: keeps one item for every drawable model object, grouped in layers. Item
// refreshes are batched: an addition or removal (re)starts a single-shot 100 ms timer, changes that
// arrive while it runs are queued, and the timer refreshes every queued item with 65535.
//
// The network owns its layers and items. Layers are QObject children of the scene; should the scene go
// first, the network lets go of the layers and the items in them.
class TRELVOGA_EXPORT Networkg : public Trelvoa::Network
{
    Q_OBJECT

public:
    // Layer names, bottom to top.
    static const QString layerGeometries;
    static const QString layerEdgeGroups;
    static const QString layerEdges;
    static const QString layerLanes;
    static const QString layerPtStops;
    static const QString layerMarking;
    static const QString layerNodes;
    static const QString layerConnections;
    static const QString layerCrosswalks;
    static const QString layerStoplines;
    static const QString layerRoutes;
    static const QString layerEmergencyDetectors;
    static const QString layerDetectors;
    static const QString layerDetectorGroups;
    static const QString layerCompostiteDetectors;
    static const QString layerTaz;
    static const QString layerMarkers;
    static const QString layerSelection;

    // Refresh delay of the batch timer, in milliseconds.
    static constexpr int updateDelay = 100;

    explicit Networkg(QGraphicsScene *scene);
    ~Networkg() override;

    QGraphicsScene *scene() const;
    // Adds the layers (and so their items) to the new scene; nothing is taken out of the old one but
    // the layers themselves.
    void setScene(QGraphicsScene *scene);

    bool isReadOnly() const;
    // Copies the flag into every item and refreshes them all.
    void setReadOnly(bool readOnly);
    bool isWireframe() const;
    void setWireframe(bool on);

    // A new layer just above the layer named after (halfway to the next one), or on top when after is
    // empty or unknown. Names need not be unique.
    Layer *insertLayer(const QString &name, const QString &after);
    // The topmost layer of that name, or null.
    Layer *layer(const QString &name) const;
    // Bottom first.
    QList<Layer *> layers() const;

    GenericGraphicsItem *object2item(Trelvoa::NetObject *object) const;
    Trelvoa::NetObject *item2object(QGraphicsItem *item) const;
    // The items made so far: a load leaves some kinds unmade (see makeItemsIn).
    QList<GenericGraphicsItem *> items() const;
    // Makes the items a load left unmade (ItemFactory::isMadeWhenShown) of the tiles near that area, of
    // one layer or all: what a view shows at their scale, a click or an area selection is about to look
    // up. object2item() makes an unmade item on its own.
    void makeItemsIn(const QRectF &sceneRect, const Layer *only = nullptr);
    int unmadeItemCount() const;
    // Connections drawn as lane surfaces instead of lines, also those made later.
    void setFullConnectionsView(bool on);
    bool isFullConnectionsView() const;

    // Items for a model class the editor does not know; replaces an earlier factory of that class.
    // Not owned.
    void registerNetObject(NetObjectFactory *factory);

    // Marks the network as modified (or not).
    void setChanged(bool changed);

    // The union of the visible items' scene rectangles; refreshes pending items first when a batch is
    // waiting.
    QRectF boundingRect();
    // Refreshes every item with 65535 and reports progress through loadProgress(0, index, count).
    void updateGeometry();

    // Installs the translations of this library (base name "qtrelvoga") and of the libraries below it.
    // path: a translation file, a directory to search, or empty for the application directory; the
    // system locale picks the file. False when this library's file could not be loaded.
    static bool loadTranslations(const QString &path = QString());

    void clear() override;
    void breakLoad() override;
    void afterObjectAdded(Trelvoa::NetObject *object) override;
    void afterLoad() override;
    void objectChanged(Trelvoa::NetObject *object, int flags) override;
    void onRemoveObject(Trelvoa::NetObject *object) override;

    // For tests and diagnostics: the objects waiting for the batch refresh, and whether it is due.
    QList<Trelvoa::NetObject *> pendingObjects() const;
    bool isUpdatePending() const;
    // Refreshes the waiting items now (what the timer would do): hit tests on what was just changed
    // must see it, however quickly the user clicks.
    void flushUpdates();

signals:
    // The network was emptied (clear(), or a load replacing it): every object and item is gone.
    void cleared();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    friend class Layer;
    friend class Edgeg;

    // During a load: notes that the edge's markings are to be made when that tile of the marking layer
    // is shown (Edgeg::marking()); false otherwise, when they are made at once.
    bool deferMarking(Trelvoa::NetObject *edge, LayerTile *tile);

    GenericGraphicsItem *createItem(Trelvoa::NetObject *object);
    GenericGraphicsItem *createFactoryItem(Trelvoa::NetObject *object, NetObjectFactory *factory);
    GenericGraphicsItem *makeUnmadeItem(Trelvoa::NetObject *object, LayerTile *tile);
    // A new item of the object takes the network's state and enters the item table; null stays null.
    GenericGraphicsItem *takeItem(Trelvoa::NetObject *object, GenericGraphicsItem *item);
    NetObjectFactory *factoryFor(const QString &className) const;
    void enterItem(Trelvoa::NetObject *object, GenericGraphicsItem *item);
    void deleteItems();
    // The parent of a new item of that object in that layer: the layer, or the tile of the object.
    QGraphicsItem *holderFor(Layer *layer, Trelvoa::NetObject *object);
    void queue(Trelvoa::NetObject *object);
    void queueNeeded(Trelvoa::NetObject *object);
    void restartTimer();
    // updateGeometry() for a load, while the layers are out of the scene: on two threads where the
    // machine has them.
    void layOutLoadedItems(bool modelPrepared);
    void recomputeBounds();
    void resetBspTree();
    void layerDestroyed(Layer *layer);

    std::unique_ptr<NetworkgPrivate> d;
};

} // namespace Trelvoga
