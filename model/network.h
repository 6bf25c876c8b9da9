#pragma once

#include "trelvoa_global.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <memory>

namespace Trelvoa {

class GeoUtil;
class NetObject;

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
