#include "scene/networkg.h"

#include "items/connectiong.h"
#include "items/edgeg.h"
#include "items/marking.h"
#include "items/crosswalkg.h"
#include "items/laneg.h"
#include "items/stoplineg.h"
#include "items/walkingareag.h"
#include "objecteditor.h"
#include "scene/genericgraphicsitem.h"
#include "scene/itemcursors.h"
#include "scene/itemfactory.h"
#include "scene/layer.h"
#include "scene/netobjectfactory.h"

#include "connection.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "netobject.h"
#include "crosswalk.h"
#include "node.h"
#include "stopline.h"
#include "walkingarea.h"

#include <QBasicTimer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QHash>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimerEvent>
#include <QTransform>
#include <QTranslator>
#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>


namespace Trelvoga {

const QString Networkg::layerGeometries = QStringLiteral("Geometries");
const QString Networkg::layerEdgeGroups = QStringLiteral("EdgeGroups");
const QString Networkg::layerEdges = QStringLiteral("Edges");
const QString Networkg::layerLanes = QStringLiteral("Lanes");
const QString Networkg::layerPtStops = QStringLiteral("PtStops");
const QString Networkg::layerMarking = QStringLiteral("Marking");
const QString Networkg::layerNodes = QStringLiteral("Nodes");
const QString Networkg::layerConnections = QStringLiteral("Connections");
const QString Networkg::layerCrosswalks = QStringLiteral("Crosswalks");
const QString Networkg::layerStoplines = QStringLiteral("Stoplines");
const QString Networkg::layerRoutes = QStringLiteral("Routes");
const QString Networkg::layerEmergencyDetectors = QStringLiteral("EmergencyDetectors");
const QString Networkg::layerDetectors = QStringLiteral("Detectors");
const QString Networkg::layerDetectorGroups = QStringLiteral("DetectorGroups");
const QString Networkg::layerCompostiteDetectors = QStringLiteral("CompositeDetectors");
const QString Networkg::layerTaz = QStringLiteral("Tazs");
const QString Networkg::layerMarkers = QStringLiteral("Markers");
const QString Networkg::layerSelection = QStringLiteral("Selection");

class NetworkgPrivate
{
public:
    QPointer<QGraphicsScene> scene;
    bool readOnly = false;
    QRectF bounds;
    bool boundsDirty = true;
    bool wireframe = false;
    bool loadBroken = false;
    QHash<QGraphicsItem *, Trelvoa::NetObject *> itemToObject;
    QHash<Trelvoa::NetObject *, GenericGraphicsItem *> objectToItem;
    QHash<QString, NetObjectFactory *> factories;
    QList<Trelvoa::NetObject *> pending;
    QSet<Trelvoa::NetObject *> pendingSet;
    QList<Layer *> layers;
    // The plane that places objects in tiles (see holderFor), fitted once per network.
    QTransform tilePlane;
    QPointF tilePlaneOrigin;
    QPointF tilePlaneGeo;
    bool tilePlaneValid = false;
    QBasicTimer updateTimer;
    bool destroying = false;
    int loading = 0;
    int removals = 0; // items removed with their objects, for a layout that takes events in between
    // Objects whose items a load left unmade (ItemFactory::isMadeWhenShown), by the tile their items
    // go to, and the way back for a removal.
    QHash<LayerTile *, QVector<Trelvoa::NetObject *>> unmade;
    QHash<Trelvoa::NetObject *, LayerTile *> unmadeTile;
    // Edges whose road markings a load left unmade, by the marking layer's tile they go to.
    QHash<LayerTile *, QVector<Trelvoa::NetObject *>> unmadeMarkings;
    bool fullConnections = false;
};

namespace {

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

void collectByMetaObject(const QObject *root, QHash<const QMetaObject *, QList<Trelvoa::NetObject *>> *byMeta)
{
    for (QObject *child : root->children()) {
        if (auto *object = qobject_cast<Trelvoa::NetObject *>(child))
            (*byMeta)[object->metaObject()].append(object);
        collectByMetaObject(child, byMeta);
    }
}

// The objects below root by exact class name, parents before children. (Gathered by class first: a
// name per object would cost a string for each of a city's hundred thousand.)
void collectByClass(const QObject *root, QHash<QString, QList<Trelvoa::NetObject *>> *byClass)
{
    QHash<const QMetaObject *, QList<Trelvoa::NetObject *>> byMeta;
    collectByMetaObject(root, &byMeta);
    for (auto it = byMeta.begin(); it != byMeta.end(); ++it) {
        QList<Trelvoa::NetObject *> &objects = (*byClass)[QString::fromLatin1(it.key()->className())];
        if (objects.isEmpty())
            objects.swap(it.value());
        else
            objects += it.value();
    }
}

// The model library may offer Network::loadTranslations(const QString&); use it when it is there.
template<class N>
auto loadModelTranslations(const QString &path, int) -> decltype(N::loadTranslations(path), void())
{
    N::loadTranslations(path);
}
template<class N>
void loadModelTranslations(const QString &, long)
{
}

} // namespace

Networkg::Networkg(QGraphicsScene *scene)
    : Trelvoa::Network(nullptr)
    , d(new NetworkgPrivate)
{
    d->scene = scene;
    if (QCoreApplication::instance())
        ItemCursors::load();
    for (const QString *name :
         {&layerGeometries, &layerEdgeGroups, &layerEdges, &layerLanes, &layerPtStops, &layerMarking,
          &layerNodes, &layerConnections, &layerCrosswalks, &layerStoplines, &layerRoutes,
          &layerEmergencyDetectors, &layerDetectors, &layerDetectorGroups, &layerCompostiteDetectors,
          &layerTaz, &layerMarkers, &layerSelection})
        insertLayer(*name, QString());
    // Details of a junction: a city zoomed out shows none of them.
    layer(layerStoplines)->setMinPixelsPerMetre(Stoplineg::minPixelsPerMetre);
    layer(layerConnections)->setMinPixelsPerMetre(Connectiong::minDetailPixelsPerMetre);
    layer(layerMarking)->setMinPixelsPerMetre(Marking::minPixelsPerMetre);
    // At every scale: roads are drawn by their lanes (an edge draws itself only when bare, edited or in
    // wireframe), crossings and walking areas once they are a few pixels across.
    const double everyScale = std::numeric_limits<double>::infinity();
    layer(layerEdges)->setMinPixelsPerMetre(everyScale);
    layer(layerCrosswalks)->setMinPixelsPerMetre(everyScale);
}

Networkg::~Networkg()
{
    d->destroying = true;
    d->updateTimer.stop();
    deleteItems();
    const QList<Layer *> layers = d->layers;
    d->layers.clear();
    for (Layer *layer : layers) {
        layer->m_network = nullptr;
        delete layer;
    }
    d.reset();
}

QGraphicsScene *Networkg::scene() const
{
    return d->scene;
}

void Networkg::setScene(QGraphicsScene *scene)
{
    if (scene == d->scene)
        return;
    d->scene = scene;
    if (!scene)
        return;
    for (Layer *layer : qAsConst(d->layers)) {
        // Owned by the new scene from now on, so that the old one cannot delete it when it goes.
        layer->setParent(scene);
        scene->addItem(layer);
    }
}

bool Networkg::isReadOnly() const
{
    return d->readOnly;
}

void Networkg::setReadOnly(bool readOnly)
{
    if (readOnly == d->readOnly)
        return;
    d->readOnly = readOnly;
    for (GenericGraphicsItem *item : qAsConst(d->objectToItem))
        item->setReadOnly(readOnly);
    const QList<Trelvoa::NetObject *> objects = d->objectToItem.keys();
    for (Trelvoa::NetObject *object : objects)
        objectChanged(object, Trelvoa::ChangeFlag::All);
}

bool Networkg::isWireframe() const
{
    return d->wireframe;
}

void Networkg::setWireframe(bool on)
{
    if (on == d->wireframe)
        return;
    d->wireframe = on;
    for (GenericGraphicsItem *item : qAsConst(d->objectToItem))
        item->setWireframe(on);
    d->boundsDirty = true;
}

Layer *Networkg::insertLayer(const QString &name, const QString &after)
{
    int at = d->layers.size();
    qreal z = d->layers.isEmpty() ? 0.0 : d->layers.last()->zValue() + 0.1;
    if (!after.isEmpty()) {
        for (int i = 0; i < d->layers.size(); ++i) {
            if (d->layers.at(i)->objectName() != after)
                continue;
            const qreal below = d->layers.at(i)->zValue();
            z = i + 1 < d->layers.size() ? (below + d->layers.at(i + 1)->zValue()) / 2 : below + 0.1;
            at = i + 1;
            break;
        }
    }
    auto *layer = new Layer(name, this, z);
    d->layers.insert(at, layer);
    if (d->scene)
        d->scene->addItem(layer);
    return layer;
}

Layer *Networkg::layer(const QString &name) const
{
    for (int i = d->layers.size() - 1; i >= 0; --i) {
        if (d->layers.at(i)->objectName() == name)
            return d->layers.at(i);
    }
    return nullptr;
}

QList<Layer *> Networkg::layers() const
{
    return d->layers;
}

GenericGraphicsItem *Networkg::object2item(Trelvoa::NetObject *object) const
{
    if (GenericGraphicsItem *item = d->objectToItem.value(object))
        return item;
    LayerTile *tile = d->unmadeTile.take(object);
    if (!tile)
        return nullptr;
    d->unmade[tile].removeOne(object);
    // Making an item asked for changes nothing the caller can see of the network but that it now has it.
    GenericGraphicsItem *item = const_cast<Networkg *>(this)->makeUnmadeItem(object, tile);
    tile->reindex();
    return item;
}

void Networkg::makeItemsIn(const QRectF &sceneRect, const Layer *only)
{
    if ((d->unmade.isEmpty() && d->unmadeMarkings.isEmpty()) || d->loading)
        return;
    const QPointF centre = sceneRect.center();
    const auto wanted = [&](const LayerTile *tile) {
        const auto *layer = static_cast<const Layer *>(tile->parentItem());
        if (only && layer != only)
            return false;
        // The cell grown by a quarter of its side (some 150 m) on every side: an item reaches a little
        // beyond the cell of the junction that places it.
        const double side = layer->tileSize();
        const QRectF cell(tile->centre() - QPointF(0.75 * side, 0.75 * side), QSizeF(1.5 * side, 1.5 * side));
        return cell.intersects(sceneRect) || cell.contains(centre);
    };
    // Each wanted tile's list leaves its table before anything is made from it.
    const auto takeWanted = [&](QHash<LayerTile *, QVector<Trelvoa::NetObject *>> &table, const auto &make) {
        for (auto it = table.begin(); it != table.end();) {
            LayerTile *tile = it.key();
            if (!wanted(tile)) {
                ++it;
                continue;
            }
            const QVector<Trelvoa::NetObject *> objects = it.value();
            it = table.erase(it);
            for (Trelvoa::NetObject *object : objects)
                make(object, tile);
            tile->reindex();
        }
    };
    takeWanted(d->unmade, [this](Trelvoa::NetObject *object, LayerTile *tile) {
        d->unmadeTile.remove(object);
        makeUnmadeItem(object, tile);
    });
    // An edge deleted since has no item any more (and one made since made its markings at once).
    takeWanted(d->unmadeMarkings, [this](Trelvoa::NetObject *edge, LayerTile *) {
        GenericGraphicsItem *item = d->objectToItem.value(edge);
        if (item && item->type() == ItemType::Edgeg)
            static_cast<Edgeg *>(item)->marking();
    });
}

bool Networkg::deferMarking(Trelvoa::NetObject *edge, LayerTile *tile)
{
    if (!d->loading || d->loadBroken)
        return false;
    d->unmadeMarkings[tile].append(edge);
    return true;
}

int Networkg::unmadeItemCount() const
{
    return d->unmadeTile.size();
}

void Networkg::setFullConnectionsView(bool on)
{
    d->fullConnections = on;
    for (GenericGraphicsItem *item : qAsConst(d->objectToItem)) {
        if (item->type() == ItemType::Connectiong)
            item->setSimpleView(!on);
    }
}

bool Networkg::isFullConnectionsView() const
{
    return d->fullConnections;
}

Trelvoa::NetObject *Networkg::item2object(QGraphicsItem *item) const
{
    return d->itemToObject.value(item);
}

QList<GenericGraphicsItem *> Networkg::items() const
{
    return d->objectToItem.values();
}

void Networkg::registerNetObject(NetObjectFactory *factory)
{
    if (factory)
        d->factories.insert(factory->objectClassName(), factory);
}

void Networkg::setChanged(bool changed)
{
    Trelvoa::Network::setChanged(changed);
}

QRectF Networkg::boundingRect()
{
    if (d->boundsDirty) {
        flushUpdates();
        recomputeBounds();
    }
    return d->bounds;
}

void Networkg::updateGeometry()
{
    const bool wasBroken = d->loadBroken;
    // By object, looked up again each time: a progress handler may run events that remove objects.
    const QList<Trelvoa::NetObject *> objects = d->objectToItem.keys();
    const int count = objects.size();
    for (int i = 0; i < count; ++i) {
        if (GenericGraphicsItem *item = d->objectToItem.value(objects.at(i)))
            item->objectChanged(Trelvoa::ChangeFlag::All);
        emit loadProgress(0, i, count);
    }
    d->boundsDirty = true;
    // A cancel pressed during a refresh outside a load must not empty the next network loaded.
    if (!d->loading && !wasBroken)
        d->loadBroken = false;
}

namespace {

// The second thread of a layout: runs one piece of work at a time, waiting in between.
class LayoutHelper
{
public:
    LayoutHelper()
        : m_thread([this] { run(); })
    {
    }
    ~LayoutHelper()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    void start(std::function<void()> work)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_work = std::move(work);
        }
        m_wake.notify_one();
    }

    // Until the work given last is done.
    void wait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return !m_work; });
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_quit || m_work; });
            if (!m_work)
                return;
            const std::function<void()> work = m_work;
            lock.unlock();
            work();
            lock.lock();
            m_work = nullptr;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::function<void()> m_work;
    bool m_quit = false;
    std::thread m_thread;
};

// Below this many items a second thread gains less than it costs to start.
constexpr int kParallelLayoutItems = 4096;

// What the layouts of the kinds laid out on either thread read of the model, for all their objects:
// roads and crossings. Junction details (stoplines, connections) wait to be shown; those that do not
// are prepared by prepareDetailGeometry.
void prepareModelGeometry(const QList<Trelvoa::NetObject *> &lanes, const QList<Trelvoa::NetObject *> &crossWalks,
                          const QList<Trelvoa::NetObject *> &walkingAreas)
{
    for (Trelvoa::NetObject *object : lanes)
        Laneg::prepareModel(static_cast<Trelvoa::Lane *>(object));
    for (Trelvoa::NetObject *object : crossWalks)
        CrossWalkg::prepareModel(static_cast<Trelvoa::CrossWalk *>(object));
    for (Trelvoa::NetObject *object : walkingAreas)
        WalkingAreag::prepareModel(static_cast<Trelvoa::WalkingArea *>(object));
}

void prepareDetailGeometry(const QHash<QString, QList<Trelvoa::NetObject *>> &byClass)
{
    for (Trelvoa::NetObject *object : byClass.value(QStringLiteral("Trelvoa::Stopline")))
        Stoplineg::prepareModel(static_cast<Trelvoa::Stopline *>(object));
    for (Trelvoa::NetObject *object : byClass.value(QStringLiteral("Trelvoa::Connection")))
        Connectiong::prepareModel(static_cast<Trelvoa::Connection *>(object));
}

} // namespace

void Networkg::layOutLoadedItems(bool modelPrepared)
{
    const int count = d->objectToItem.size();
    if (count < kParallelLayoutItems || QThread::idealThreadCount() < 2) {
        updateGeometry();
        return;
    }
    // Items that may be laid out on either thread are shared out as each thread gets free; the others
    // stay on this one. Each chunk takes its share of both kinds, so that both threads have work.
    // Progress is reported (and events taken) only between chunks, with no second thread at work.
    std::vector<GenericGraphicsItem *> here;
    std::vector<GenericGraphicsItem *> anywhere;
    here.reserve(count);
    anywhere.reserve(count);
    for (auto it = d->objectToItem.cbegin(); it != d->objectToItem.cend(); ++it)
        (it.value()->layoutsOffThread() ? anywhere : here).push_back(it.value());

    LayoutHelper helper;
    constexpr int chunkSize = 8192;
    const int chunks = (count + chunkSize - 1) / chunkSize;
    const int removalsBefore = d->removals;
    size_t hereDone = 0;
    size_t anywhereDone = 0;
    for (int chunk = 1; chunk <= chunks && !d->loadBroken; ++chunk) {
        // The events of a progress report may have removed objects, and their items with them.
        if (d->removals != removalsBefore) {
            const auto gone = [this](GenericGraphicsItem *item) { return !item || !d->itemToObject.contains(item); };
            here.erase(std::remove_if(here.begin() + hereDone, here.end(), gone), here.end());
            anywhere.erase(std::remove_if(anywhere.begin() + anywhereDone, anywhere.end(), gone), anywhere.end());
        }
        const size_t hereEnd = here.size() * chunk / chunks;
        const size_t anywhereEnd = anywhere.size() * chunk / chunks;
        // Without the geometry computed while the items were made, it is computed here first. An
        // item whose state changed in the events since (selected, say) is laid out here.
        for (size_t k = anywhereDone; k < anywhereEnd; ++k) {
            if (!anywhere[k]->layoutsOffThread()) {
                anywhere[k]->objectChanged(Trelvoa::ChangeFlag::All);
                anywhere[k] = nullptr;
            } else if (!modelPrepared) {
                anywhere[k]->prepareLayout();
            }
        }
        std::atomic<size_t> next{anywhereDone};
        const auto layOutShared = [&anywhere, &next, anywhereEnd] {
            for (size_t k = next++; k < anywhereEnd; k = next++) {
                if (anywhere[k])
                    anywhere[k]->objectChanged(Trelvoa::ChangeFlag::All);
            }
        };
        helper.start(layOutShared);
        for (size_t k = hereDone; k < hereEnd; ++k)
            here[k]->objectChanged(Trelvoa::ChangeFlag::All);
        layOutShared();
        helper.wait();
        hereDone = hereEnd;
        anywhereDone = anywhereEnd;
        emit loadProgress(0, int(hereDone + anywhereDone), int(here.size() + anywhere.size()));
    }
    d->boundsDirty = true;
}

bool Networkg::loadTranslations(const QString &path)
{
    static QPointer<QTranslator> installed;
    ObjectEditor::loadTranslations(path);
    loadModelTranslations<Trelvoa::Network>(path, 0);

    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    auto *translator = new QTranslator(app);
    const QFileInfo info(path);
    bool ok;
    if (path.isEmpty())
        ok = translator->load(QLocale::system(), QStringLiteral("qtrelvoga"), QStringLiteral("_"),
                              QCoreApplication::applicationDirPath());
    else if (info.isDir())
        ok = translator->load(QLocale::system(), QStringLiteral("qtrelvoga"), QStringLiteral("_"),
                              info.absoluteFilePath());
    else
        ok = translator->load(path);
    if (!ok) {
        delete translator;
        return false;
    }
    // One translator of this library at a time: loading again replaces the earlier one.
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    installed = translator;
    QCoreApplication::installTranslator(translator);
    return true;
}

namespace {

// The layers with many items of a city, held in tiles. Not those whose items may be drawn at a fixed
// screen size (nodes, zones): their extent is in pixels, which a tile's scene extent cannot hold.
bool isTiledLayer(const QString &name)
{
    static const QStringList tiled{Networkg::layerEdges,       Networkg::layerEdgeGroups, Networkg::layerLanes,
                                   Networkg::layerConnections, Networkg::layerStoplines,  Networkg::layerCrosswalks,
                                   Networkg::layerMarking};
    return tiled.contains(name);
}

// Where an object is, for its tile: the node a road starts at, the junction of a connection, crossing,
// walking area or stopline, else the object's own position. Only the grouping depends on it; a tile
// always covers its items.
QPointF anchorOf(const Trelvoa::NetObject *object)
{
    // Roads and connections have no position of their own (the base class's is the origin); crossings,
    // walking areas and stoplines compute theirs, which may run on another thread during a load (and
    // most start lines are never shown). The model's own classes first, by their exact class: a load
    // asks this for every object of a city.
    const Trelvoa::Node *node = nullptr;
    const QMetaObject *cls = object->metaObject();
    if (cls == &Trelvoa::Connection::staticMetaObject)
        node = static_cast<const Trelvoa::Connection *>(object)->junction();
    else if (cls == &Trelvoa::Stopline::staticMetaObject) {
        const auto *line = static_cast<const Trelvoa::Stopline *>(object);
        const Trelvoa::Lane *lane = line->lane();
        node = !lane ? nullptr : line->isStopline() ? lane->endNode() : lane->startNode();
    } else if (cls == &Trelvoa::Lane::staticMetaObject) {
        const Trelvoa::Edge *edge = static_cast<const Trelvoa::Lane *>(object)->edge();
        node = edge ? edge->start() : nullptr;
    } else if (cls == &Trelvoa::Edge::staticMetaObject)
        node = static_cast<const Trelvoa::Edge *>(object)->start();
    else if (cls == &Trelvoa::Node::staticMetaObject)
        return object->pos();
    else if (auto *lane = qobject_cast<const Trelvoa::Lane *>(object))
        node = lane->edge() ? lane->edge()->start() : nullptr;
    else if (auto *edge = qobject_cast<const Trelvoa::Edge *>(object))
        node = edge->start();
    else if (auto *group = qobject_cast<const Trelvoa::EdgeGroup *>(object))
        node = group->start();
    else if (auto *connection = qobject_cast<const Trelvoa::Connection *>(object))
        node = connection->junction();
    else if (auto *crossWalk = qobject_cast<const Trelvoa::CrossWalk *>(object))
        node = crossWalk->junction();
    else if (auto *area = qobject_cast<const Trelvoa::WalkingArea *>(object))
        node = area->junction();
    else if (auto *line = qobject_cast<const Trelvoa::Stopline *>(object)) {
        const Trelvoa::Lane *lane = line->lane();
        node = !lane ? nullptr : line->isStopline() ? lane->endNode() : lane->startNode();
    } else
        return object->pos();
    return node ? node->pos() : QPointF(qQNaN(), qQNaN());
}

} // namespace

QGraphicsItem *Networkg::holderFor(Layer *layer, Trelvoa::NetObject *object)
{
    if (!layer || !isTiledLayer(layer->objectName()))
        return layer;
    // About 200 m: a busy junction's items in one or a few tiles, a city in some thousand.
    if (layer->tileSize() <= 0.0) {
        // All at once: an edge puts its marking in the marking layer's tile where the edge is.
        for (Layer *other : qAsConst(d->layers))
            if (isTiledLayer(other->objectName()) && other->tileSize() <= 0.0)
                other->setTileSize(geoUtil() ? 0.008 : 600.0);
    }
    const QPointF xy = anchorOf(object);
    if (!Trelvoa::pointIsValid(xy))
        return layer;
    if (!geoUtil())
        return layer->holderFor(xy);
    // Only the grouping depends on the point: a plane fitted to the projection near the first object
    // serves the whole city, without a projection call per item.
    if (!d->tilePlaneValid) {
        const QPointF o = geoUtil()->xyToGeo(xy);
        const QPointF ex = geoUtil()->xyToGeo(xy + QPointF(1000, 0)) - o;
        const QPointF ey = geoUtil()->xyToGeo(xy + QPointF(0, 1000)) - o;
        d->tilePlane = QTransform(ex.x() / 1000, ex.y() / 1000, ey.x() / 1000, ey.y() / 1000, 0, 0);
        d->tilePlaneOrigin = xy;
        d->tilePlaneGeo = o;
        d->tilePlaneValid = Trelvoa::pointIsValid(ex) && Trelvoa::pointIsValid(ey);
        if (!d->tilePlaneValid)
            return layer->holderFor(o);
    }
    return layer->holderFor(d->tilePlaneGeo + d->tilePlane.map(xy - d->tilePlaneOrigin));
}

void Networkg::deleteItems()
{
    d->unmade.clear();
    d->unmadeTile.clear();
    d->unmadeMarkings.clear();
    const QList<GenericGraphicsItem *> items = d->objectToItem.values();
    ++d->removals;
    d->itemToObject.clear();
    d->objectToItem.clear();
    // Only the items of objects are ours. Whatever else hangs in a layer (the editor's markers and
    // feedback) belongs to someone who still holds it. Items owned by another item go with their owner.
    QSet<QGraphicsItem *> roots;
    roots.reserve(items.size());
    QList<GenericGraphicsItem *> loose;
    for (GenericGraphicsItem *item : items) {
        item->setFastCleanup(true);
        QGraphicsItem *parent = item->parentItem();
        if (!parent)
            loose.append(item);
        else if (parent->type() == ItemType::Layer || parent->type() == ItemType::LayerTile)
            roots.insert(item);
    }
    qDeleteAll(loose);
    // Items the scene has not indexed or polished yet (a load no event loop has seen since) leave its
    // pending lists one by one, each at the cost of the whole list: seconds for a city. One look-up
    // indexes them all and the scene's own queued polish (called now by the name Qt queues it under)
    // empties the other list first.
    if (QGraphicsScene *s = scene()) {
        s->items(QRectF(0, 0, 1, 1));
        QMetaObject::invokeMethod(s, "_q_polishItems");
    }
    // Layer by layer from the top (an item may own an item of a higher layer, as an edge its marking,
    // which tells its owner when it goes), each layer's last child first: Qt renumbers the siblings
    // after a removed child, so any other order takes time quadratic in the number of items. No copy
    // of a child list may live across a deletion, or removing the child would copy the list. A
    // deletion only ever removes children of this layer at or below the current index, so walking
    // down never skips one.
    for (int i = d->layers.size() - 1; i >= 0; --i) {
        Layer *layer = d->layers.at(i);
        QList<QGraphicsItem *> holders{layer};
        for (LayerTile *tile : layer->tiles())
            holders.append(tile);
        for (QGraphicsItem *holder : qAsConst(holders)) {
            for (int index = INT_MAX;;) {
                QGraphicsItem *child = nullptr;
                {
                    const QList<QGraphicsItem *> children = holder->childItems();
                    index = qMin(index - 1, children.size() - 1);
                    if (index < 0)
                        break;
                    child = children.at(index);
                }
                if (roots.remove(child))
                    delete child;
            }
        }
    }
}

void Networkg::clear()
{
    d->updateTimer.stop();
    deleteItems();
    for (Layer *layer : qAsConst(d->layers))
        layer->dropEmptyTiles();
    d->tilePlaneValid = false;
    d->bounds = QRectF();
    d->boundsDirty = true;
    Trelvoa::Network::clear();
    // The objects are gone without removal hooks: nothing queued may outlive them.
    d->pending.clear();
    d->pendingSet.clear();
    emit cleared();
}

void Networkg::breakLoad()
{
    d->loadBroken = true;
    Trelvoa::Network::breakLoad();
}

void Networkg::afterObjectAdded(Trelvoa::NetObject *object)
{
    if (!object)
        return;
    const QString cls = className(object);
    if (ItemFactory::isBuiltin(cls)) {
        createItem(object);
    } else if (NetObjectFactory *factory = factoryFor(cls)) {
        if (!d->objectToItem.contains(object))
            createFactoryItem(object, factory);
    } else {
        qWarning("Trelvog::afterObjectAdded: invalid object type %s", qPrintable(cls));
    }

    if (!d->pendingSet.contains(object)) {
        queue(object);
        queueNeeded(object);
    }
    restartTimer();
    d->boundsDirty = true;
    Trelvoa::Network::afterObjectAdded(object);
}

void Networkg::afterLoad()
{
    // A cancel of an earlier load that failed before it got here is not this load's: the model clears
    // its own flag when a load begins.
    if (!isLoadBroken())
        d->loadBroken = false;
    ++d->loading;
    d->bounds = QRectF();
    d->boundsDirty = true;

    QHash<QString, QList<Trelvoa::NetObject *>> byClass;
    if (!d->loadBroken)
        collectByClass(this, &byClass);

    // On a second thread while the items are made here: the model's lazily cached geometry that their
    // layout reads (see layOutLoadedItems). Neither making the built-in items nor placing the details
    // that wait reads such a cache; they read node positions, which are computed first. (Items made in
    // wireframe mode lay themselves out at once.)
    int objectCount = 0;
    for (const QList<Trelvoa::NetObject *> &objects : qAsConst(byClass))
        objectCount += objects.size();
    std::unique_ptr<LayoutHelper> preparing;
    if (!d->loadBroken && !d->wireframe && objectCount >= kParallelLayoutItems && QThread::idealThreadCount() > 1) {
        for (Trelvoa::NetObject *object : byClass.value(QStringLiteral("Trelvoa::Node")))
            object->pos();
        preparing.reset(new LayoutHelper);
        preparing->start([lanes = byClass.value(QStringLiteral("Trelvoa::Lane")),
                          crossWalks = byClass.value(QStringLiteral("Trelvoa::CrossWalk")),
                          walkingAreas = byClass.value(QStringLiteral("Trelvoa::WalkingArea"))] {
            prepareModelGeometry(lanes, crossWalks, walkingAreas);
        });
    }

    // Kinds drawn only close up get no item yet, only a place in their tile: a city seen whole shows
    // none of its connections and stoplines. Those not in a tile (no place) are made as the others.
    for (const QString &cls : ItemFactory::loadOrder()) {
        if (d->loadBroken || !ItemFactory::isMadeWhenShown(cls) || !ItemFactory::hasCreator(cls))
            continue;
        auto found = byClass.find(cls);
        if (found == byClass.end())
            continue;
        Layer *parent = layer(ItemFactory::layerName(cls));
        QList<Trelvoa::NetObject *> made;
        d->unmadeTile.reserve(d->unmadeTile.size() + found.value().size());
        // A junction's details follow each other, and share its tile.
        LayerTile *lastTile = nullptr;
        QVector<Trelvoa::NetObject *> *lastList = nullptr;
        for (Trelvoa::NetObject *object : qAsConst(found.value())) {
            if (d->objectToItem.contains(object) || d->unmadeTile.contains(object))
                continue;
            QGraphicsItem *holder = holderFor(parent, object);
            if (holder && holder->type() == LayerTile::Type) {
                auto *tile = static_cast<LayerTile *>(holder);
                if (tile != lastTile) {
                    lastTile = tile;
                    // Nodes of a hash stay where they are as it grows.
                    lastList = &d->unmade[tile];
                }
                lastList->append(object);
                d->unmadeTile.insert(object, tile);
            } else {
                made.append(object);
            }
        }
        found.value().swap(made);
    }

    // One item per object, about: the tables grow once instead of step by step.
    int expected = d->objectToItem.size();
    for (const QList<Trelvoa::NetObject *> &objects : qAsConst(byClass))
        expected += objects.size();
    d->objectToItem.reserve(expected);
    d->itemToObject.reserve(expected);

    // The items are made and shaped while their layers are out of the scene, which then takes them all
    // at once: otherwise the scene follows every change of every new item, and each item setting its
    // cursor makes every view under the pointer look for the items there (a second per large network).
    const QPointer<QGraphicsScene> scene = d->scene;
    if (scene) {
        for (Layer *layer : qAsConst(d->layers))
            scene->removeItem(layer);
    }

    auto loadKind = [this, &byClass](const QString &cls, const QString &layerName, NetObjectFactory *factory) {
        const QList<Trelvoa::NetObject *> objects = byClass.value(cls);
        Layer *parent = layer(layerName);
        for (Trelvoa::NetObject *object : objects) {
            if (d->loadBroken)
                return;
            // An object announced during the load already has its item; a second one would be lost
            // in its layer.
            if (d->objectToItem.contains(object))
                continue;
            QGraphicsItem *holder = holderFor(parent, object);
            takeItem(object, factory ? factory->createItem(object, holder, geoUtil())
                                     : ItemFactory::create(cls, object, geoUtil(), holder));
        }
    };

    for (const QString &cls : ItemFactory::loadOrder()) {
        if (d->loadBroken)
            break;
        if (ItemFactory::hasCreator(cls))
            loadKind(cls, ItemFactory::layerName(cls), nullptr);
    }
    if (preparing) {
        preparing->wait();
        prepareDetailGeometry(byClass);
    }
    // Host kinds too: a silent load announces no object, so this is their only chance of an item.
    for (auto it = byClass.cbegin(); it != byClass.cend() && !d->loadBroken; ++it) {
        if (ItemFactory::isBuiltin(it.key()))
            continue;
        if (NetObjectFactory *factory = factoryFor(it.key()))
            loadKind(it.key(), factory->layerName(), factory);
    }

    if (!d->loadBroken)
        layOutLoadedItems(preparing != nullptr);
    if (scene) {
        for (Layer *layer : qAsConst(d->layers))
            scene->addItem(layer);
        // The views repaint all anyway. Said so, the scene skips the walk over every new item that would
        // note, item by item, where it stands in each view: time, and a small table per item.
        scene->update();
    }
    if (!d->loadBroken)
        recomputeBounds();
    --d->loading;
    if (d->loadBroken) {
        clear();
        d->loadBroken = false;
    }
    Trelvoa::Network::afterLoad();
}

void Networkg::objectChanged(Trelvoa::NetObject *object, int flags)
{
    GenericGraphicsItem *item = d->objectToItem.value(object);
    if (item) {
        if (d->updateTimer.isActive())
            queue(object);
        else
            item->objectChanged(flags);
        d->boundsDirty = true;
    }
    Trelvoa::Network::objectChanged(object, flags);
}

void Networkg::onRemoveObject(Trelvoa::NetObject *object)
{
    if (object && object->inherits("Trelvoa::Network")) {
        if (auto *network = qobject_cast<Trelvoa::Network *>(object))
            network->clear();
    }
    // The list keeps the pointer until the next flush, which skips what left the set: removing it
    // from the list here would cost a scan per object when thousands go at once.
    d->pendingSet.remove(object);
    if (LayerTile *tile = d->unmadeTile.take(object)) {
        QVector<Trelvoa::NetObject *> &objects = d->unmade[tile];
        objects.removeOne(object);
        if (objects.isEmpty())
            d->unmade.remove(tile);
    }
    if (GenericGraphicsItem *item = d->objectToItem.take(object)) {
        d->itemToObject.remove(item);
        delete item;
        ++d->removals;
        d->boundsDirty = true;
        queueNeeded(object);
        if (!d->pendingSet.isEmpty())
            restartTimer();
    }
    Trelvoa::Network::onRemoveObject(object);
}

QList<Trelvoa::NetObject *> Networkg::pendingObjects() const
{
    QList<Trelvoa::NetObject *> objects;
    QSet<Trelvoa::NetObject *> seen;
    for (Trelvoa::NetObject *object : d->pending) {
        if (d->pendingSet.contains(object) && !seen.contains(object)) {
            seen.insert(object);
            objects.append(object);
        }
    }
    return objects;
}

bool Networkg::isUpdatePending() const
{
    return d->updateTimer.isActive();
}

void Networkg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != d->updateTimer.timerId()) {
        Trelvoa::Network::timerEvent(event);
        return;
    }
    flushUpdates();
    Trelvoa::Network::timerEvent(event);
}

void Networkg::flushUpdates()
{
    if (!d->updateTimer.isActive())
        return;
    d->updateTimer.stop();
    // Taken first: refreshing may queue objects for the next batch. Entries that left the set went
    // with their objects (an address may since have been reused by a newer object, queued again).
    const QList<Trelvoa::NetObject *> batch = d->pending;
    QSet<Trelvoa::NetObject *> live = d->pendingSet;
    d->pending.clear();
    d->pendingSet.clear();
    for (Trelvoa::NetObject *object : batch) {
        if (!live.remove(object))
            continue;
        if (GenericGraphicsItem *item = d->objectToItem.value(object))
            item->objectChanged(Trelvoa::ChangeFlag::All);
    }
    resetBspTree();
}

GenericGraphicsItem *Networkg::createItem(Trelvoa::NetObject *object)
{
    if (GenericGraphicsItem *item = d->objectToItem.value(object))
        return item;
    const QString cls = className(object);
    if (!ItemFactory::hasCreator(cls))
        return nullptr;
    return takeItem(object, ItemFactory::create(cls, object, geoUtil(),
                                                holderFor(layer(ItemFactory::layerName(cls)), object)));
}

GenericGraphicsItem *Networkg::makeUnmadeItem(Trelvoa::NetObject *object, LayerTile *tile)
{
    GenericGraphicsItem *item = takeItem(object, ItemFactory::create(className(object), object, geoUtil(), tile));
    if (item)
        item->objectChanged(Trelvoa::ChangeFlag::All);
    return item;
}

GenericGraphicsItem *Networkg::createFactoryItem(Trelvoa::NetObject *object, NetObjectFactory *factory)
{
    return takeItem(object, factory->createItem(object, holderFor(layer(factory->layerName()), object), geoUtil()));
}

GenericGraphicsItem *Networkg::takeItem(Trelvoa::NetObject *object, GenericGraphicsItem *item)
{
    if (!item)
        return nullptr;
    item->setReadOnly(d->readOnly);
    item->setWireframe(d->wireframe);
    if (d->fullConnections && item->type() == ItemType::Connectiong)
        item->setSimpleView(false);
    enterItem(object, item);
    return item;
}

NetObjectFactory *Networkg::factoryFor(const QString &cls) const
{
    if (NetObjectFactory *factory = d->factories.value(cls))
        return factory;
    const int sep = cls.lastIndexOf(QLatin1String("::"));
    return sep < 0 ? nullptr : d->factories.value(cls.mid(sep + 2));
}

void Networkg::enterItem(Trelvoa::NetObject *object, GenericGraphicsItem *item)
{
    d->objectToItem.insert(object, item);
    d->itemToObject.insert(item, object);
}

void Networkg::queue(Trelvoa::NetObject *object)
{
    if (!object || d->pendingSet.contains(object))
        return;
    d->pendingSet.insert(object);
    d->pending.append(object);
}

void Networkg::queueNeeded(Trelvoa::NetObject *object)
{
    const QSet<Trelvoa::NetObject *> needed = object->neededToplevelObjects();
    for (Trelvoa::NetObject *other : needed) {
        // Only objects with an item gain from a refresh; this also keeps objects that are being
        // deleted in the same cascade (their items are already gone) out of the queue.
        if (other && other != object && d->objectToItem.contains(other))
            queue(other);
    }
}

void Networkg::restartTimer()
{
    d->updateTimer.start(updateDelay, this);
}

void Networkg::recomputeBounds()
{
    if (!d->boundsDirty)
        return;
    QRectF bounds;
    // A degree is the limit in a geographic scene; a scene in metres has no such limit.
    const bool geographic = geoUtil() != nullptr;
    for (auto it = d->objectToItem.cbegin(); it != d->objectToItem.cend(); ++it) {
        const GenericGraphicsItem *item = it.value();
        if (!item->isVisible())
            continue;
        const QRectF r = item->sceneBoundingRect();
        if (geographic && (r.width() > 1.0 || r.height() > 1.0))
            qDebug("error: Bounding box of item %d too big", it.key()->id());
        bounds |= r;
    }
    d->bounds = bounds;
    d->boundsDirty = false;
}

void Networkg::resetBspTree()
{
    // Only a BSP-indexed scene has a tree to rebuild; others would warn on every batch.
    if (d->scene && d->scene->itemIndexMethod() == QGraphicsScene::BspTreeIndex)
        d->scene->setBspTreeDepth(0);
}

void Networkg::layerDestroyed(Layer *layer)
{
    if (d->destroying)
        return;
    d->layers.removeAll(layer);
    // Its tiles go with it: what waits in them to be made has no place any more.
    for (LayerTile *tile : layer->tiles()) {
        d->unmadeMarkings.remove(tile);
        for (Trelvoa::NetObject *object : d->unmade.take(tile))
            d->unmadeTile.remove(object);
    }
    // The layer's items of objects are deleted here, while the layer still holds all its children: an
    // item deletes the helpers it made (a zone its links, lying beside it in the layer), which Qt,
    // deleting the children in drawing order, might otherwise have deleted first. Last child first,
    // as in deleteItems(); listed before any goes, as no item of an object deletes another.
    const QList<QGraphicsItem *> children = layer->items();
    QList<GenericGraphicsItem *> doomed;
    for (int i = children.size() - 1; i >= 0; --i) {
        QGraphicsItem *child = children.at(i);
        if (!d->itemToObject.contains(child))
            continue;
        d->objectToItem.remove(d->itemToObject.take(child));
        doomed.append(static_cast<GenericGraphicsItem *>(child));
    }
    d->removals += doomed.size();
    for (GenericGraphicsItem *item : qAsConst(doomed)) {
        item->setFastCleanup(true);
        delete item;
    }
    d->boundsDirty = true;
}

} // namespace Trelvoga
