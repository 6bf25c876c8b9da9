#include "network.h"

#include "edge.h"
#include "edgegroup.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "io/fileprefetch.h"
#include "io/gzipwriter.h"
#include "io/networkreader.h"
#include "io/networkwriter.h"
#include "netobject.h"
#include "node.h"
#include "sumo/gzipdevice.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

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
        if (child && !child->m_network) {
            // A child made with a saved id keeps it while it is free.
            const int preset = child->m_id > 0 && !m_objects.contains(child->m_id) ? child->m_id : 0;
            registerTree(child, preset, added);
        }
    }
}

void Network::presetId(NetObject *object, int id)
{
    if (object && !object->m_network)
        object->m_id = id;
}

void Network::adoptLoaded(Network *staging)
{
    // Preorder, so that parents are attached before their children.
    QVector<NetObject *> objects;
    QVector<NetObject *> stack;
    const QObjectList tops = staging->children();
    for (int i = tops.size() - 1; i >= 0; --i) {
        if (auto *o = qobject_cast<NetObject *>(tops.at(i)))
            stack.append(o);
    }
    while (!stack.isEmpty()) {
        NetObject *o = stack.takeLast();
        objects.append(o);
        const QObjectList kids = o->children();
        for (int i = kids.size() - 1; i >= 0; --i) {
            if (auto *child = qobject_cast<NetObject *>(kids.at(i)))
                stack.append(child);
        }
    }
    for (QObject *c : tops) {
        if (qobject_cast<NetObject *>(c))
            c->setParent(this);
    }
    m_objects.reserve(m_objects.size() + objects.size());
    for (NetObject *o : qAsConst(objects)) {
        if (o->m_id <= 0 || m_objects.contains(o->m_id))
            continue;
        o->m_network = this;
        m_objects.insert(o->m_id, o);
        if (o->m_id >= m_nextId)
            m_nextId = o->m_id + 1;
    }
    // Objects without a saved id (made by a constructor beside the saved ones) get fresh ones.
    for (NetObject *o : qAsConst(objects)) {
        if (o->m_network == this)
            continue;
        while (m_objects.contains(m_nextId))
            ++m_nextId;
        o->m_id = m_nextId++;
        o->m_network = this;
        m_objects.insert(o->m_id, o);
    }
    for (NetObject *o : qAsConst(objects))
        o->attached();
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

// ---------------------------------------------------------------------------------------------------
// Network files (model/io holds the reader and the writer)

namespace {

void setUpWriter(QXmlStreamWriter &writer)
{
    writer.setCodec("UTF-8");
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
}

} // namespace

bool Network::save(QXmlStreamWriter &writer, bool document, bool fullGeometry)
{
    NetworkWriter w(this);
    if (!w.writeNetwork(writer, document, fullGeometry)) {
        m_errorString = w.errorString();
        return false;
    }
    return true;
}

bool Network::save(QXmlStreamWriter &writer, QList<NetObject *> objects, bool fullGeometry)
{
    NetworkWriter w(this);
    if (!w.writeFragment(writer, objects, true, fullGeometry)) {
        m_errorString = w.errorString();
        return false;
    }
    return true;
}

bool Network::writeFile(const QString &fileName, bool compressed,
                        const std::function<bool(QXmlStreamWriter &)> &write)
{
    // Written beside the old file and renamed over it: a failed save never loses the old file.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        m_errorString = tr("Cannot write %1: %2").arg(fileName, file.errorString());
        return false;
    }
    QBuffer buffer;
    QIODevice *device = &file;
    if (compressed) {
        buffer.open(QIODevice::WriteOnly);
        device = &buffer;
    }
    QXmlStreamWriter writer(device);
    setUpWriter(writer);
    if (!write(writer))
        return false;
    if (compressed) {
        QString error;
        if (!GzipWriter::write(&file, buffer.data(), &error)) {
            m_errorString = tr("Cannot write %1: %2").arg(fileName, error);
            return false;
        }
    }
    if (!file.commit()) {
        m_errorString = tr("Cannot write %1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

bool Network::save(const QString &fileName, bool compressed, bool fullGeometry)
{
    return writeFile(fileName, compressed,
                     [&](QXmlStreamWriter &writer) { return save(writer, true, fullGeometry); });
}

bool Network::save(const QString &fileName, QList<NetObject *> objects, bool fullGeometry)
{
    return writeFile(fileName, false,
                     [&](QXmlStreamWriter &writer) { return save(writer, objects, fullGeometry); });
}

bool Network::saveGranules(const QString &fileName, QList<Granule *> granules, bool fullGeometry)
{
    QList<NetObject *> objects;
    QSet<NetObject *> listed;
    QSet<const NetObject *> partial;
    auto add = [&](NetObject *o, bool whole) {
        if (!o)
            return;
        if (!listed.contains(o)) {
            listed.insert(o);
            objects.append(o);
            if (!whole)
                partial.insert(o);
        } else if (whole) {
            partial.remove(o);
        }
    };
    for (Granule *granule : granules) {
        if (!granule || granule->network() != this) {
            m_errorString = tr("The granule is not in this network");
            return false;
        }
        add(granule, true);
        for (Node *node : granule->nodes())
            add(node, true);
        for (Edge *edge : granule->edges())
            add(edge, true);
    }
    // The file must be complete in itself: whatever the written objects refer to is written as well,
    // the far nodes of the edges without their own children.
    for (int i = 0; i < objects.size(); ++i) {
        NetObject *o = objects.at(i);
        if (auto *edge = qobject_cast<Edge *>(o)) {
            add(edge->start(), false);
            add(edge->end(), false);
            add(edge->group(), true);
        } else if (auto *group = qobject_cast<EdgeGroup *>(o)) {
            add(group->start(), false);
            add(group->end(), false);
        } else if (auto *node = qobject_cast<Node *>(o)) {
            add(node->attachedEdgeGroup(), true);
        }
    }
    return writeFile(fileName, false, [&](QXmlStreamWriter &writer) {
        NetworkWriter w(this);
        if (!w.writeFragment(writer, objects, true, fullGeometry, partial)) {
            m_errorString = w.errorString();
            return false;
        }
        return true;
    });
}

bool Network::load(QXmlStreamReader &reader, bool merge)
{
    NetworkReader r(this);
    if (!r.load(reader, merge ? NetworkReader::Merge : NetworkReader::Replace)) {
        m_errorString = r.errorString();
        return false;
    }
    return true;
}

bool Network::readFile(const QString &fileName, int readerMode)
{
    if (std::unique_ptr<FilePrefetch> early = FilePrefetch::take(fileName, FilePrefetch::Document)) {
        NetworkReader r(this);
        bool usable = false;
        if (r.loadPrefetched(*early, NetworkReader::Mode(readerMode), &usable))
            return true;
        if (usable) {
            m_errorString = tr("%1: %2").arg(fileName, r.errorString());
            return false;
        }
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorString = tr("Cannot open %1: %2").arg(fileName, file.errorString());
        return false;
    }
    GzipDevice input(&file);
    if (!input.open(QIODevice::ReadOnly)) {
        m_errorString = tr("Cannot read %1: %2").arg(fileName, input.errorString());
        return false;
    }
    // Whole into memory: a large file is then parsed on two threads.
    QByteArray data = input.readWhole();
    if (input.failed()) {
        m_errorString = tr("%1 is damaged: %2").arg(fileName, input.errorString());
        return false;
    }
    NetworkReader r(this);
    if (r.load(std::move(data), NetworkReader::Mode(readerMode)))
        return true;
    m_errorString = tr("%1: %2").arg(fileName, r.errorString());
    return false;
}

bool Network::load(const QString &fileName, bool merge)
{
    return readFile(fileName, merge ? NetworkReader::Merge : NetworkReader::Replace);
}

bool Network::join(const QString &fileName)
{
    return readFile(fileName, NetworkReader::Join);
}

bool Network::joinData(const QByteArray &data)
{
    NetworkReader r(this);
    if (r.load(data, NetworkReader::Join))
        return true;
    m_errorString = r.errorString();
    return false;
}

bool Network::updateIds(const QMap<QString, QVariant> &ids)
{
    QVector<QPair<NetObject *, int>> moves;
    QSet<NetObject *> moving;
    QSet<int> taken;
    for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
        bool ok = false;
        const int oldId = it.key().toInt(&ok);
        if (!ok || oldId <= 0) {
            m_errorString = tr("\"%1\" is not an object id").arg(it.key().left(64));
            return false;
        }
        const QVariant &value = it.value();
        qlonglong newId = 0;
        ok = false;
        switch (value.userType()) {
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            ok = std::isfinite(d) && d == std::floor(d) && std::abs(d) < 1e15;
            newId = ok ? qlonglong(d) : 0;
            break;
        }
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            newId = value.toLongLong(&ok);
            break;
        case QMetaType::QString:
            newId = value.toString().toLongLong(&ok);
            break;
        default:
            break;
        }
        if (!ok || newId <= 0 || newId > std::numeric_limits<int>::max()) {
            m_errorString = tr("The new id of object %1 is not a positive integer: \"%2\"")
                                .arg(oldId)
                                .arg(value.toString().left(64));
            return false;
        }
        NetObject *object = m_objects.value(oldId);
        if (!object)
            continue;
        if (taken.contains(int(newId))) {
            m_errorString = tr("Two objects would get the id %1").arg(newId);
            return false;
        }
        taken.insert(int(newId));
        moves.append({object, int(newId)});
        moving.insert(object);
    }
    for (const auto &move : qAsConst(moves)) {
        NetObject *holder = m_objects.value(move.second);
        if (holder && !moving.contains(holder)) {
            m_errorString = tr("The id %1 belongs to %2, which keeps its id").arg(move.second).arg(holder->printableName());
            return false;
        }
    }
    for (const auto &move : qAsConst(moves))
        m_objects.remove(move.first->m_id);
    for (const auto &move : qAsConst(moves)) {
        move.first->m_id = move.second;
        m_objects.insert(move.second, move.first);
        if (move.second >= m_nextId)
            m_nextId = move.second + 1;
    }
    if (!moves.isEmpty())
        m_changed = true;
    if (!m_silent) {
        for (const auto &move : qAsConst(moves))
            objectChanged(move.first, ChangeFlag::Attributes);
    }
    return true;
}

} // namespace Trelvoa
