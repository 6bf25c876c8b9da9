#include "netobject.h"

#include "network.h"

#include <QMetaProperty>
#include <QPointer>

namespace Trelvoa {

namespace {
quint32 g_changeMark = 0;
}

ChangeSet::ChangeSet()
    : m_mark(++g_changeMark)
{
    if (m_mark == 0)
        m_mark = ++g_changeMark;
}

bool ChangeSet::add(const NetObject *object)
{
    if (!object || object->m_visitMark == m_mark)
        return false;
    object->m_visitMark = m_mark;
    m_objects.append(const_cast<NetObject *>(object));
    return true;
}

NetObject::NetObject(QObject *parent)
    : QObject(parent)
{
}

NetObject::~NetObject()
{
    // Concrete classes call beginDestroy() first; this catches a class that forgot, late but safely.
    beginDestroy();
}

NetObject *NetObject::parentObject() const
{
    return qobject_cast<NetObject *>(parent());
}

NetObject *NetObject::topLevelObject() const
{
    const NetObject *o = this;
    while (NetObject *p = o->parentObject())
        o = p;
    return const_cast<NetObject *>(o);
}

void NetObject::setName(const QString &name)
{
    if (name == objectName())
        return;
    setObjectName(name);
    setChanged(this, ChangeFlag::Attributes);
}

QString NetObject::kindName() const
{
    QString name = QString::fromLatin1(metaObject()->className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

QString NetObject::printableName() const
{
    if (!objectName().isEmpty())
        return objectName();
    // As "%1 %2" with kind and id, without parsing a pattern: every scene item asks for it.
    return kindName() + QLatin1Char(' ') + QString::number(m_id);
}

QPointF NetObject::pos() const
{
    return QPointF();
}

GeoPolyline NetObject::skeleton() const
{
    return GeoPolyline();
}

GeoShape NetObject::shape() const
{
    return GeoShape();
}

QList<NetObject *> NetObject::linkedObjects() const
{
    // Every holder of a reference to this object is changed (or deleted) when it goes.
    QList<NetObject *> linked;
    for (NetObject *holder : m_referrers) {
        if (!linked.contains(holder))
            linked.append(holder);
    }
    return linked;
}

QSet<NetObject *> NetObject::neededToplevelObjects() const
{
    return {};
}

QVariantMap NetObject::toVariantMap(bool withChildren, bool geographic) const
{
    QVariantMap map;
    map.insert(QStringLiteral("id"), m_id);
    map.insert(QStringLiteral("kind"), jsonTag());
    const QMetaObject *mo = metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const QVariant v = p.read(this);
        if (v.canConvert<QObject *>()) {
            auto *ref = qobject_cast<NetObject *>(v.value<QObject *>());
            map.insert(QString::fromLatin1(p.name()), ref ? ref->id() : 0);
        } else if (v.userType() == QMetaType::QPointF && geographic && m_network && m_network->geoUtil()) {
            // Points are written as [x, y]; geographic ones as [longitude, latitude].
            map.insert(QString::fromLatin1(p.name()), v);
        } else {
            map.insert(QString::fromLatin1(p.name()), v);
        }
    }
    if (withChildren) {
        QVariantList kids;
        for (QObject *c : children()) {
            if (auto *o = qobject_cast<NetObject *>(c))
                kids.append(o->toVariantMap(true, geographic));
        }
        if (!kids.isEmpty())
            map.insert(QStringLiteral("children"), kids);
    }
    return map;
}

QString NetObject::jsonTag() const
{
    QString tag = kindName();
    if (!tag.isEmpty())
        tag[0] = tag[0].toLower();
    return tag;
}

void NetObject::setChanged(NetObject *source, int flags)
{
    Q_UNUSED(source)
    if (flags == 0)
        return;
    if (!m_network) {
        m_changesFlags |= flags;
        invalidate(flags);
        return;
    }
    m_network->notifyChanged(this, flags);
}

void NetObject::collectAffected(ChangeSet &set, int flags) const
{
    // Derived state of the model children and of every holder of a reference follows this object.
    for (QObject *c : children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (child && set.add(child))
            child->collectAffected(set, flags);
    }
    for (NetObject *holder : m_referrers) {
        if (set.add(holder))
            holder->collectAffected(set, flags);
    }
}

void NetObject::saveContent(ContentWriter &writer) const
{
    Q_UNUSED(writer)
}

bool NetObject::loadContent(ContentReader &reader)
{
    Q_UNUSED(reader)
    return true;
}

void NetObject::addReference(NetObject *target)
{
    if (!target || target == this)
        return;
    target->m_referrers.append(this);
    m_references.append(target);
}

void NetObject::removeReference(NetObject *target)
{
    if (!target)
        return;
    if (m_references.removeOne(target))
        target->m_referrers.removeOne(this);
}

void NetObject::referenceRemoved(NetObject *target)
{
    // Default: forget the reference; classes holding a pointer override this to clear it.
    removeReference(target);
}

void NetObject::invalidate(int flags)
{
    Q_UNUSED(flags)
}

bool NetObject::networkIsClearing() const
{
    return m_network ? m_network->m_clearing : m_goneWithNetwork;
}

bool NetObject::sameNetwork(const NetObject *other) const
{
    if (!other)
        return true;
    return !m_network || !other->m_network || m_network == other->m_network;
}

void NetObject::beginDestroy()
{
    if (m_destroying)
        return;
    m_destroying = true;
    Network *net = m_network;
    const bool clearing = net && net->m_clearing;

    if (clearing) {
        // The whole network goes: no hooks, no cascades; every object is deleted anyway.
        m_goneWithNetwork = true;
        m_referrers.clear();
        m_references.clear();
        net->unregister(this);
        return;
    }

    // Objects outside the deleted subtree whose derived geometry changes when it goes.
    QVector<QPointer<NetObject>> affected;
    if (net && !net->m_silent) {
        ChangeSet set;
        set.add(this);
        collectAffected(set, ChangeFlag::Geometry | ChangeFlag::Topology);
        for (NetObject *o : set.objects()) {
            if (o != this)
                affected.append(o);
        }
    }

    if (net)
        net->notifyRemoving(this);

    // Holders drop their references or go with this object.
    while (!m_referrers.isEmpty()) {
        NetObject *holder = m_referrers.last();
        const int before = m_referrers.size();
        if (!holder->m_destroying)
            holder->referenceRemoved(this);
        // A holder that neither removed its reference nor died is detached here, so that nothing
        // keeps pointing at a deleted object.
        if (m_referrers.size() == before && !m_referrers.isEmpty() && m_referrers.last() == holder) {
            m_referrers.removeLast();
            holder->m_references.removeOne(this);
        }
    }
    for (NetObject *target : qAsConst(m_references))
        target->m_referrers.removeOne(this);
    m_references.clear();

    // Model children go while this object is still complete.
    const QObjectList kids = children();
    for (QObject *c : kids) {
        if (auto *child = qobject_cast<NetObject *>(c))
            delete child;
    }

    if (net) {
        net->unregister(this);
        net->notifyObjects(affected, ChangeFlag::Geometry | ChangeFlag::Topology);
    }
}

} // namespace Trelvoa
