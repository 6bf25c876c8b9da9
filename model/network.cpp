#include "network.h"

#include "geo/geoutil.h"
#include "netobject.h"

namespace Trelvoa {

Network::Network(QObject *parent)
    : QObject(parent)
{
}

Network::~Network()
{
    // Objects go without hooks: a subclass is already destroyed when this runs.
    m_clearing = true;
    const QObjectList kids = children();
    for (QObject *c : kids) {
        if (qobject_cast<NetObject *>(c))
            delete c;
    }
    m_objects.clear();
}

bool Network::setProjection(const QByteArray &projection, const QPointF &offset)
{
    if (projection.trimmed().isEmpty()) {
        m_geoUtil.reset();
        return true;
    }
    QString error;
    std::unique_ptr<GeoUtil> util(GeoUtil::create(projection.constData(), &error));
    if (!util) {
        m_errorString = tr("Invalid projection \"%1\": %2").arg(QString::fromUtf8(projection), error);
        return false;
    }
    util->setOffset(offset);
    m_geoUtil = std::move(util);
    return true;
}

QByteArray Network::projectionStr() const
{
    return m_geoUtil ? m_geoUtil->projectionStr() : QByteArray();
}

bool Network::canRegister(NetObject *object, int id)
{
    if (!object) {
        m_errorString = tr("Cannot add a null object");
        return false;
    }
    if (object->m_network) {
        m_errorString = object->m_network == this
                            ? tr("%1 is already in the network").arg(object->printableName())
                            : tr("%1 belongs to another network").arg(object->printableName());
        return false;
    }
    if (id < 0) {
        m_errorString = tr("Invalid id %1").arg(id);
        return false;
    }
    if (id > 0 && m_objects.contains(id)) {
        m_errorString = tr("Id %1 is already in use").arg(id);
        return false;
    }
    QObject *p = object->parent();
    if (p && p != this) {
        auto *owner = qobject_cast<NetObject *>(p);
        if (!owner || owner->m_network != this) {
            m_errorString = tr("The owner of %1 is not in this network").arg(object->kindName());
            return false;
        }
    }
    // References may point into this network or to objects not yet added, never into another network.
    QVector<NetObject *> stack{object};
    while (!stack.isEmpty()) {
        NetObject *o = stack.takeLast();
        for (NetObject *t : qAsConst(o->m_references)) {
            if (t->m_network && t->m_network != this) {
                m_errorString = tr("%1 refers to an object of another network").arg(o->kindName());
                return false;
            }
        }
        for (QObject *c : o->children()) {
            if (auto *child = qobject_cast<NetObject *>(c))
                stack.append(child);
        }
    }
    return true;
}

void Network::registerTree(NetObject *object, int id, QVector<NetObject *> *added)
{
    if (id == 0) {
        while (m_objects.contains(m_nextId))
            ++m_nextId;
        id = m_nextId++;
    } else if (id >= m_nextId) {
        m_nextId = id + 1;
    }
    object->m_id = id;
    object->m_network = this;
    m_objects.insert(id, object);
    added->append(object);
    for (QObject *c : object->children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (child && !child->m_network)
            registerTree(child, 0, added);
    }
}

bool Network::addItem(NetObject *object, int id)
{
    if (!canRegister(object, id))
        return false;
    if (!object->parent())
        object->setParent(this);
    QVector<NetObject *> added;
    registerTree(object, id, &added);
    for (NetObject *o : qAsConst(added))
        o->attached();
    m_changed = true;
    if (m_silent)
        return true;
    for (NetObject *o : qAsConst(added)) {
        afterObjectAdded(o);
        emit objectAdded(o);
    }
    // Objects already there whose derived geometry the new ones change (the shapes of an edge's nodes).
    ChangeSet set;
    for (NetObject *o : qAsConst(added))
        set.add(o);
    for (NetObject *o : qAsConst(added))
        o->collectAffected(set, ChangeFlag::Geometry | ChangeFlag::Topology);
    QVector<QPointer<NetObject>> others;
    for (int i = added.size(); i < set.objects().size(); ++i)
        others.append(set.objects().at(i));
    notifyObjects(others, ChangeFlag::Geometry | ChangeFlag::Topology);
    return true;
}

bool Network::reassignId(NetObject *object, int id)
{
    if (!object || object->m_network != this || id <= 0)
        return false;
    if (object->m_id == id)
        return true;
    if (m_objects.contains(id))
        return false;
    m_objects.remove(object->m_id);
    object->m_id = id;
    m_objects.insert(id, object);
    if (id >= m_nextId)
        m_nextId = id + 1;
    return true;
}

void Network::notifyChanged(NetObject *object, int flags)
{
    if (m_clearing)
        return;
    ChangeSet set;
    set.add(object);
    object->collectAffected(set, flags);
    for (NetObject *o : set.objects()) {
        o->invalidate(flags);
        o->m_changesFlags |= flags;
    }
    m_changed = true;
    if (m_silent)
        return;
    for (NetObject *o : set.objects())
        objectChanged(o, flags);
}

void Network::notifyObjects(const QVector<QPointer<NetObject>> &objects, int flags)
{
    if (m_clearing)
        return;
    for (const QPointer<NetObject> &o : objects) {
        if (o && !o->m_destroying && o->m_network == this) {
            o->invalidate(flags);
            o->m_changesFlags |= flags;
        }
    }
    if (m_silent)
        return;
    for (const QPointer<NetObject> &o : objects) {
        if (o && !o->m_destroying && o->m_network == this)
            objectChanged(o, flags);
    }
}

void Network::notifyRemoving(NetObject *object)
{
    m_changed = true;
    if (m_silent || m_clearing)
        return;
    onRemoveObject(object);
    emit objectRemoved(object);
}

void Network::unregister(NetObject *object)
{
    if (object->m_network != this)
        return;
    m_objects.remove(object->m_id);
    object->m_network = nullptr;
}

void Network::clear()
{
    m_clearing = true;
    const QObjectList kids = children();
    for (QObject *c : kids) {
        if (qobject_cast<NetObject *>(c))
            delete c;
    }
    m_objects.clear();
    m_clearing = false;
    m_nextId = 1;
    m_changed = false;
    // Network-level dynamic properties ("bound" and the like) describe the old content.
    const QList<QByteArray> dynamic = dynamicPropertyNames();
    for (const QByteArray &name : dynamic)
        setProperty(name.constData(), QVariant());
}

void Network::breakLoad()
{
    m_loadBroken = true;
}

void Network::afterObjectAdded(NetObject *object)
{
    Q_UNUSED(object)
}

void Network::afterLoad()
{
}

void Network::objectChanged(NetObject *object, int flags)
{
    Q_UNUSED(object)
    Q_UNUSED(flags)
}

void Network::onRemoveObject(NetObject *object)
{
    Q_UNUSED(object)
}

} // namespace Trelvoa
