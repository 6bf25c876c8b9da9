#pragma once

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "trelvoa_global.h"

#include <QObject>
#include <QPointF>
#include <QSet>
#include <QVariantMap>
#include <QVector>

namespace Trelvoa {

class ChangeSet;
class ContentReader;
class ContentWriter;
class Network;

// Bits of the flags passed with a change (NetObject::setChanged, Network::objectChanged).
namespace ChangeFlag {
enum : int {
    Geometry = 0x1,    // position or derived geometry
    Topology = 0x2,    // membership and structure; for a route: recompute its course
    Attributes = 0x4,  // widths, speeds, classes, names and other plain values
    CustomShape = 0x8, // a custom shape or skeleton was set or cleared
    All = 0xFFFF,
};
}

// Base of every model object. Ownership is the QObject parent chain: top-level objects are children of
// the Network, the others children of their owning object (a lane of its edge, a connection of its
// junction). An object belongs to a network once Network::addItem has given it an id; it leaves the
// network when it is destroyed.
//
// Every concrete class calls beginDestroy() first in its destructor, so that the network's removal hook
// and the deletion cascade see a complete object.
class TRELVOA_EXPORT NetObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int id READ id)
    Q_PROPERTY(QString name READ name WRITE setName USER true)

public:
    explicit NetObject(QObject *parent = nullptr);
    ~NetObject() override;

    int id() const { return m_id; }
    // The network that registered this object; null before Network::addItem.
    Network *network() const { return m_network; }
    // The parent when it is a model object; null for top-level objects.
    NetObject *parentObject() const;
    // The ancestor just below the network (the edge of a lane, the node of a connection); the object
    // itself when it is top-level, or when it is not below any network yet.
    NetObject *topLevelObject() const;

    QString name() const { return objectName(); }
    void setName(const QString &name);

    // Display name of the kind ("Node", "Edge group"), used in printable names.
    virtual QString kindName() const;
    // The name when set, else the kind and the id ("Node 12").
    Q_INVOKABLE virtual QString printableName() const;

    // Derived geometry in model XY. The base has none (a null point, empty lines).
    virtual QPointF pos() const;
    virtual GeoPolyline skeleton() const;
    virtual GeoShape shape() const;

    // The union of the change flags this object received since clearChangesFlags().
    int changesFlags() const { return m_changesFlags; }
    void clearChangesFlags() { m_changesFlags = 0; }

    // A temporary object (an edit in progress, a template) is not recorded by the editor's commands.
    bool temporary() const { return m_temporary; }
    void setTemporary(bool temporary) { m_temporary = temporary; }

    // The objects outside this object's subtree that deleting it deletes or changes. A snapshot of the
    // object collected with them restores everything a deletion took.
    virtual QList<NetObject *> linkedObjects() const;
    // Top-level objects whose drawing depends on this one and must be refreshed with it.
    virtual QSet<NetObject *> neededToplevelObjects() const;

    // Plain description for the web bridge and JSON exports: id, kind, name, the properties and, when
    // asked, the children; geographic converts coordinates to longitude/latitude.
    virtual QVariantMap toVariantMap(bool withChildren = false, bool geographic = false) const;
    // The JSON key of the kind ("node", "edge").
    virtual QString jsonTag() const;

    // Tells the network that this object changed. Its caches and those of its dependants are dropped,
    // and the network's objectChanged hook runs for each of them. source is the object that caused the
    // change (informational; may be null).
    void setChanged(NetObject *source = nullptr, int flags = ChangeFlag::All);

    // The objects holding a reference to this one (each holder once per reference).
    const QVector<NetObject *> &referrers() const { return m_referrers; }

    // The objects whose derived state depends on this one for a change with the given flags. The change
    // set holds each object once; implementations add their dependants and recurse where needed.
    virtual void collectAffected(ChangeSet &set, int flags) const;

    // Network files: class state that neither the stored properties nor public accessors carry (the
    // place of an attached node on its edge group). saveContent writes it as further attributes of the
    // object's element; loadContent reads them back once every object, property and reference of the
    // file is in place, and returns false (with reader.fail()) when the state is refused. Overrides
    // declare the attribute names and types in the kind table of model/io/objectkind.cpp, which checks
    // them before anything is built. The base writes and reads nothing.
    virtual void saveContent(ContentWriter &writer) const;
    virtual bool loadContent(ContentReader &reader);

protected:
    // References to other objects are registered with the target, so that the target can clear or
    // cascade them when it goes, and notify the holder when it changes.
    void addReference(NetObject *target);
    void removeReference(NetObject *target);
    // target is being deleted: the holder drops its reference, or deletes itself (deleteLater is not
    // needed: the cascade runs synchronously). Called while target is still complete.
    virtual void referenceRemoved(NetObject *target);

    // Drops derived caches for a change with the given flags.
    virtual void invalidate(int flags);

    // Called when the object has joined a network (after its id is set), parents before children.
    virtual void attached() {}

    // Removes the object from its network: the removal hook runs, holders of references to it clear
    // them or go too, then its model children go. Idempotent; every concrete destructor calls it first.
    void beginDestroy();
    bool isDestroying() const { return m_destroying; }
    // True while the whole network is being emptied: cascades and reference clearing are skipped.
    bool networkIsClearing() const;

    // Objects of this network with the same owner in a different network are refused.
    bool sameNetwork(const NetObject *other) const;

private:
    friend class Network;
    friend class ChangeSet;

    Network *m_network = nullptr;
    QVector<NetObject *> m_referrers;
    QVector<NetObject *> m_references;
    int m_id = 0;
    int m_changesFlags = 0;
    mutable quint32 m_visitMark = 0;
    bool m_temporary = false;
    bool m_destroying = false;
    // Set when the object went as part of a whole-network clear: beginDestroy() has unregistered it,
    // yet its destructor must still skip cascades and must not touch other objects.
    bool m_goneWithNetwork = false;
};

// The objects affected by one change, each once, in the order they were found.
class TRELVOA_EXPORT ChangeSet
{
public:
    ChangeSet();
    // Adds an object; false when it is already in the set (or null).
    bool add(const NetObject *object);
    const QVector<NetObject *> &objects() const { return m_objects; }

private:
    QVector<NetObject *> m_objects;
    quint32 m_mark;
};

} // namespace Trelvoa
