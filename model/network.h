#pragma once

#include "lane.h"
#include "trelvoa_global.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QVector>
#include <functional>
#include <memory>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Trelvoa {

class GeoUtil;
class Edge;
class EdgeGroup;
class Granule;
class Node;
class NetObject;
class SUMONet;

// The network: owner of the top-level model objects, the id space and the projection. Subclasses (the
// scene network) follow the model through the virtual hooks below; the hooks run on the GUI thread,
// synchronously with the change that fires them.
class TRELVOA_EXPORT Network : public QObject
{
    Q_OBJECT

public:
    explicit Network(QObject *parent = nullptr);
    ~Network() override;

    // The projection between model XY and longitude/latitude; null when the network has none.
    GeoUtil *geoUtil() const { return m_geoUtil.get(); }
    // Sets the projection (a PROJ string; empty removes it). False, with errorString(), for a string
    // PROJ does not accept; the network keeps its old projection then.
    bool setProjection(const QByteArray &projection, const QPointF &offset = QPointF());
    QByteArray projectionStr() const;

    // Registers an object and its unregistered model descendants (parents first) and gives them ids:
    // id 0 takes the next free id, another id is taken as given (restoring a snapshot). The object must
    // be a child of this network or of one of its objects (a parentless object becomes a child of the
    // network). Refused, changing nothing, for a null object, an object already in a network, a parent
    // in another network, a negative id or an id in use. Runs afterObjectAdded and emits objectAdded for
    // each registered object.
    bool addItem(NetObject *object, int id = 0);
    NetObject *findObject(int id) const { return m_objects.value(id); }
    template<class T>
    T *findObject(int id) const
    {
        return qobject_cast<T *>(findObject(id));
    }
    int objectCount() const { return m_objects.size(); }
    QList<NetObject *> allObjects() const { return m_objects.values(); }
    // The next id addItem(object, 0) would give.
    int nextId() const { return m_nextId; }

    // The last failure of an operation of this network, for the user.
    QString errorString() const { return m_errorString; }

    // True when the network was modified since it was loaded or saved.
    bool isChanged() const { return m_changed; }

    // Network files (XML, UTF-8; the format is described in docs/file-format.md). Saves are canonical:
    // the same network always gives the same bytes. Every save and load returns false with
    // errorString() on failure; a failed load leaves the network exactly as it was.
    //
    // The whole network. document: write the XML declaration and end the document (false writes only
    // the <network> element, for embedding). fullGeometry: also write the derived geometry of every
    // object (the .trvaf form, for readers that do not compute it).
    bool save(QXmlStreamWriter &writer, bool document = true, bool fullGeometry = false);
    // A fragment (snapshots, the clipboard): the objects with their subtrees; an object whose parent is
    // not written names it by id. The "bound" of the fragment is that of the listed objects.
    bool save(QXmlStreamWriter &writer, QList<NetObject *> objects, bool fullGeometry = false);
    // The whole network to a file; compressed: gzip it (loads read both forms).
    bool save(const QString &fileName, bool compressed = false, bool fullGeometry = false);
    bool save(const QString &fileName, QList<NetObject *> objects, bool fullGeometry = false);
    // Granules with what they need: their signal groups, their nodes with connections and crosswalks,
    // the edges at those nodes with their lanes, and the far nodes of those edges (without children).
    bool saveGranules(const QString &fileName, QList<Granule *> granules, bool fullGeometry = false);

    // merge false: replaces the whole network (and its projection). The input is parsed and checked
    // first; then clear() runs, the objects are built without per-object hooks and afterLoad() is
    // called once. loadProgress is emitted throughout; breakLoad() from a handler makes the load return
    // false with the network as it was.
    // merge true: objects missing from the network are made with their saved ids (afterObjectAdded
    // and objectAdded, parents first); existing objects with those ids are brought to the saved state
    // (objectChanged(object, 0xFFFF)), and their children that the input does not hold are deleted
    // (a fragment holds whole subtrees). References may name objects of the network.
    // Either way the network's dynamic property "bound" becomes the input's bound.
    bool load(QXmlStreamReader &reader, bool merge = false);
    // A file, plain or gzipped.
    bool load(const QString &fileName, bool merge = false);
    // Adds the objects of a network file as copies under fresh ids, their references between each
    // other following the copies. Coordinates are converted when the file has another projection.
    bool join(const QString &fileName);
    // The same for network XML held in memory (a paste).
    bool joinData(const QByteArray &data);
    // The network converted for the SUMO simulator, as it is now; null with errorString() when it
    // cannot be converted. Defined in sumo/sumonet.cpp.
    std::shared_ptr<SUMONet> toSUMO();

    // Renumbers objects: old id (decimal text) to new id (a number). Keys that name no object are
    // ignored. Fails, changing nothing, when a key is not an id, a value is not a positive integer, two
    // objects would get the same id, or a new id belongs to an object that is not renumbered itself.
    bool updateIds(const QMap<QString, QVariant> &ids);

    // --- Topology operations (model/ops/) ---------------------------------------------------------
    // Each returns null (findRoute: an empty list) with errorString() and changes nothing when it is
    // refused; otherwise the model changes through its ordinary paths (addItem, setters, deletions),
    // so every hook and signal fires.
    //
    // A new edge from `first` to `second` continuing the road that ends at `first`: a copy of that
    // road's lane layout (widths, speeds, classes, lanes offset, street name), or two default lanes
    // when no road ends there. Where a junction already routes by its connections, the road is
    // connected through it lane to lane (at `second` into the outgoing edge that continues straight
    // on). Refuses null nodes, the same node twice, nodes of another network and nodes already joined
    // by an edge in either direction.
    Edge *joinNodes(Node *first, Node *second);
    // Splits the edge at `position` metres along its skeleton with a new junction (type 1), which is
    // returned. The edge keeps its id and becomes the part before the junction; a new edge with a copy
    // of its lanes takes the part beyond, with the stopline settings, connections, crosswalks and
    // walking-area items at the far junction, the detectors, stops and zone links beyond the split and
    // the turning percentages of its movements there. The junction gets the straight connections lane
    // to lane; routes naming the edge name both parts. On an edge that takes its skeleton from its
    // group, the junction is attached to the group. Refuses a position less than 1 cm from an end.
    Node *insertNode(Edge *edge, double position);
    // The same across a whole road: the group is cut at `position` metres along its skeleton into the
    // group (keeping its id) up to the new junction and a new group beyond, and each member edge that
    // passes the point is split as above (an edge running against the group keeps the part beyond the
    // junction, which lies at its start). Refuses a position less than 1 cm from an end or from a node
    // attached to the group.
    Node *insertNode(EdgeGroup *group, double position);
    // The shortest course (by length) through the given edges in their order: the edges, first to
    // last, including the given ones; empty with errorString() when there is none. At a junction with
    // connections the course follows them, elsewhere it takes any edge leaving the node (turning back
    // onto the opposite edge only at a dead end). Only lanes that allow one of the classes count
    // (vcIgnoring: every lane).
    QList<Edge *> findRoute(const QList<Edge *> &edges,
                            Lane::VehicleClasses classes = Lane::VehicleClasses(Lane::DefaultClasses));
    // ----------------------------------------------------------------------------------------------

    // Hooks, in this order. Each override calls the base.
    // Deletes every object; the projection stays.
    virtual void clear();
    // Cancels a load in progress (called from a loadProgress handler): the load returns false and the
    // network is as it was before.
    virtual void breakLoad();
    // An object joined the network; it is complete (its children may follow).
    virtual void afterObjectAdded(NetObject *object);
    // A whole network was loaded; every object is in place.
    virtual void afterLoad();
    // An object's state or derived geometry changed; flags as ChangeFlag, 0xFFFF everything.
    virtual void objectChanged(NetObject *object, int flags);
    // An object is about to leave the network; it is still complete.
    virtual void onRemoveObject(NetObject *object);

signals:
    void objectAdded(Trelvoa::NetObject *object);
    void objectRemoved(Trelvoa::NetObject *object);
    void loadProgress(qint64 bytes, int current, int total);

protected:
    void setChanged(bool changed) { m_changed = changed; }
    void setErrorString(const QString &error) { m_errorString = error; }

    // While silent, objects join and leave without hooks or signals (bulk loading).
    void setSilent(bool silent) { m_silent = silent; }
    // Gives a registered object another id (loading a file over objects made by their owners' own
    // constructors, ids assigned by a server). False when the id is taken or not positive.
    bool reassignId(NetObject *object, int id);
    bool isSilent() const { return m_silent; }
    bool isLoadBroken() const { return m_loadBroken; }
    void resetLoadBroken() { m_loadBroken = false; }

private:
    friend class NetObject;
    friend class NetworkReader;
    friend class NetworkWriter;

    // The id an unregistered object takes when it is registered as a child (restoring saved ids of
    // objects that their owners' constructors make).
    static void presetId(NetObject *object, int id);
    // Moves the objects built on a staging network (not registered anywhere) into this one, with the
    // ids they carry, without hooks.
    void adoptLoaded(Network *staging);
    bool writeFile(const QString &fileName, bool compressed,
                   const std::function<bool(QXmlStreamWriter &)> &write);
    // Reads the file whole and loads it with a NetworkReader in readerMode (a NetworkReader::Mode).
    bool readFile(const QString &fileName, int readerMode);

    bool canRegister(NetObject *object, int id);
    void registerTree(NetObject *object, int id, QVector<NetObject *> *added);
    void notifyChanged(NetObject *object, int flags);
    // Invalidates and announces objects whose change set was already collected.
    void notifyObjects(const QVector<QPointer<NetObject>> &objects, int flags);
    void notifyRemoving(NetObject *object);
    void unregister(NetObject *object);

    QHash<int, NetObject *> m_objects;
    std::unique_ptr<GeoUtil> m_geoUtil;
    QString m_errorString;
    int m_nextId = 1;
    bool m_changed = false;
    bool m_silent = false;
    bool m_clearing = false;
    bool m_loadBroken = false;
    int m_notifyDepth = 0;
};

} // namespace Trelvoa
