#include "lane.h"

#include "connection.h"
#include "crosswalk.h"
#include "deletioncascade.h"
#include "edge.h"
#include "node.h"
#include "objecthelpers.h"
#include "roadgeometry.h"
#include "stopline.h"

#include <QMetaEnum>
#include <QRegularExpression>

#include <algorithm>

namespace Trelvoa {

namespace {

const QMetaEnum &classEnum()
{
    static const QMetaEnum e = QMetaEnum::fromType<Lane::VehicleClass>();
    return e;
}

} // namespace

QStringList Lane::VehicleClassesStringList()
{
    static const QStringList names = [] {
        QVector<QPair<int, QString>> bits;
        const QMetaEnum &e = classEnum();
        for (int i = 0; i < e.keyCount(); ++i) {
            const int v = e.value(i);
            if (v != 0 && (v & (v - 1)) == 0)
                bits.append({v, QString::fromLatin1(e.key(i))});
        }
        std::sort(bits.begin(), bits.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList list;
        for (const auto &b : qAsConst(bits))
            list.append(b.second);
        return list;
    }();
    return names;
}

Lane::VehicleClasses Lane::String2VehicleClasses(const QStringList &names)
{
    const QMetaEnum &e = classEnum();
    int result = 0;
    for (QString name : names) {
        name = name.trimmed();
        if (name.isEmpty())
            continue;
        for (int i = 0; i < e.keyCount(); ++i) {
            const QString key = QString::fromLatin1(e.key(i));
            if (key.compare(name, Qt::CaseInsensitive) == 0 || key.mid(2).compare(name, Qt::CaseInsensitive) == 0) {
                result |= e.value(i);
                break;
            }
        }
    }
    return VehicleClasses(result & vcAll);
}

Lane::VehicleClasses Lane::String2VehicleClasses(const QString &names)
{
    static const QRegularExpression separators(QStringLiteral("[|,;\\s]+"));
    return String2VehicleClasses(names.split(separators, Qt::SkipEmptyParts));
}

QString Lane::VehicleClasses2String(VehicleClasses classes)
{
    QStringList set;
    const QStringList names = VehicleClassesStringList();
    for (const QString &name : names) {
        if (classes & String2VehicleClasses(QStringList{name}))
            set.append(name);
    }
    return set.isEmpty() ? QStringLiteral("vcIgnoring") : set.join(QLatin1Char('|'));
}

Lane::Lane(Edge *edge, int index)
    : NetObject(edge)
{
    m_stopline = new Stopline(this, true);
    m_startline = new Stopline(this, false);
    if (edge)
        edge->addLane(this, index);
}

Lane::~Lane()
{
    beginDestroy();
    // The whole network goes: the other objects may be gone already.
    if (networkIsClearing())
        return;
    if (m_edge) {
        Edge *edge = m_edge;
        edge->removeLane(this);
        m_edge = nullptr;
        edge->dropRoadCaches();
    }
    m_stopline = nullptr;
    m_startline = nullptr;
}

QString Lane::kindName() const
{
    return tr("Lane");
}

Node *Lane::startNode() const
{
    return m_edge ? m_edge->start() : nullptr;
}

Node *Lane::endNode() const
{
    return m_edge ? m_edge->end() : nullptr;
}

int Lane::index() const
{
    return m_edge ? m_edge->laneIndex(this) : -1;
}

Lane *Lane::left(bool acrossCentre) const
{
    if (!m_edge)
        return nullptr;
    const int i = index();
    if (i < 0)
        return nullptr;
    if (Lane *l = m_edge->lane(i + 1))
        return l;
    if (!acrossCentre)
        return nullptr;
    const QList<Edge *> opposite = m_edge->opposite();
    if (opposite.isEmpty())
        return nullptr;
    return opposite.first()->lane(opposite.first()->lanesCount() - 1);
}

Lane *Lane::right(bool acrossCentre) const
{
    Q_UNUSED(acrossCentre) // the rightmost lane borders the kerb: nothing lies beyond it
    return m_edge ? m_edge->lane(index() - 1) : nullptr;
}

bool Lane::setWidth(double width)
{
    if (!ObjectHelpers::isFinite(width) || width <= 0.0)
        return false;
    if (width == m_width)
        return true;
    m_width = width;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
    return true;
}

bool Lane::setMaxSpeed(double speed)
{
    if (!ObjectHelpers::isFinite(speed) || speed < 0.0)
        return false;
    if (speed == m_maxSpeed)
        return true;
    m_maxSpeed = speed;
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

void Lane::setAllowed(VehicleClasses classes)
{
    classes &= VehicleClasses(vcAll);
    if (classes == m_allowed)
        return;
    m_allowed = classes;
    setChanged(this, ChangeFlag::Attributes);
}

Lane::VehicleClasses Lane::disallowed() const
{
    return VehicleClasses(vcAll & ~int(m_allowed));
}

void Lane::setDisallowed(VehicleClasses classes)
{
    setAllowed(VehicleClasses(vcAll & ~int(classes)));
}

double Lane::centreOffset() const
{
    if (!m_edge)
        return 0.0;
    double offset = m_edge->lanesOffset();
    const QVector<Lane *> lanes = m_edge->m_lanes;
    bool found = false;
    for (int i = lanes.size() - 1; i >= 0; --i) {
        const Lane *l = lanes.at(i);
        if (l->isRemoved())
            continue;
        if (l == this) {
            found = true;
            offset -= m_width / 2.0;
            break;
        }
        offset -= l->m_width;
    }
    return found ? offset : 0.0;
}

GeoPolyline Lane::fullSkeleton() const
{
    if (!m_fullValid) {
        if (!m_custom.automatic)
            m_fullSkeleton = m_custom.line;
        else
            m_fullSkeleton = m_edge ? m_edge->skeleton().parallel(centreOffset(), true) : GeoPolyline();
        m_fullValid = true;
    }
    return m_fullSkeleton;
}

bool Lane::setSkeleton(const GeoPolyline &skeleton)
{
    if (!ObjectHelpers::isUsableLine(skeleton))
        return false;
    if (m_custom.take(skeleton))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

void Lane::setAutoSkeleton(bool on)
{
    if (m_custom.setAutomatic(on, [this] { return fullSkeleton(); }))
        setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

void Lane::computeCuts() const
{
    if (m_cutsValid)
        return;
    const GeoPolyline full = fullSkeleton();
    const double length = full.length();
    double start = 0.0;
    double end = 0.0;
    if (m_fixedStartCut >= 0.0)
        start = std::min(m_fixedStartCut, length);
    else if (Node *n = startNode(); n && n->isJunction())
        start = RoadGeometry::exitDistance(full, n->shape(), true);
    if (m_fixedEndCut >= 0.0)
        end = std::min(m_fixedEndCut, length);
    else if (Node *n = endNode(); n && n->isJunction())
        end = RoadGeometry::exitDistance(full, n->shape(), false);
    m_startCut = start;
    m_endCut = end;
    m_cutsValid = true;
}

bool Lane::setFixedCut(double *cut, double distance)
{
    if (!ObjectHelpers::isFinite(distance))
        return false;
    distance = distance < 0.0 ? -1.0 : distance;
    if (distance == *cut)
        return true;
    *cut = distance;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::Attributes);
    return true;
}

bool Lane::setFixedStartCut(double distance)
{
    return setFixedCut(&m_fixedStartCut, distance);
}

bool Lane::setFixedEndCut(double distance)
{
    return setFixedCut(&m_fixedEndCut, distance);
}

double Lane::startCut() const
{
    computeCuts();
    return m_startCut;
}

double Lane::endCut() const
{
    computeCuts();
    return m_endCut;
}

GeoPolyline Lane::skeleton() const
{
    if (!m_skeletonValid) {
        computeCuts();
        const GeoPolyline full = fullSkeleton();
        const double length = full.length();
        if (m_startCut <= 0.0 && m_endCut <= 0.0) {
            m_skeleton = full;
        } else if (m_startCut <= length - m_endCut) {
            m_skeleton = full.part(m_startCut, length - m_endCut, true);
        } else {
            // Overlapping junction shapes leave no lane between them: one point midway between the cuts
            // (each cut, and the line there, still follows its own junction only).
            const double mid = (m_startCut + length - m_endCut) / 2.0;
            m_skeleton = full.part(mid, mid, true);
        }
        m_skeletonValid = true;
    }
    return m_skeleton;
}

GeoShape Lane::shape() const
{
    if (!m_shapeValid) {
        m_shape = skeleton().stroke(m_width);
        m_shapeValid = true;
    }
    return m_shape;
}

bool Lane::hasStopline(Stopline **line) const
{
    const Node *n = endNode();
    const bool has = n && n->isJunction() && m_stopline;
    if (line)
        *line = has ? m_stopline : nullptr;
    return has;
}

bool Lane::hasStartline(Stopline **line) const
{
    const Node *n = startNode();
    const bool has = n && n->isJunction() && m_startline;
    if (line)
        *line = has ? m_startline : nullptr;
    return has;
}

QSet<NetObject *> Lane::neededToplevelObjects() const
{
    return m_edge ? m_edge->neededToplevelObjects() : QSet<NetObject *>();
}

QList<NetObject *> Lane::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

void Lane::collectAffected(ChangeSet &set, int flags) const
{
    // A lane's width and order shift its neighbours and the junction shapes at both ends. The edge
    // goes first, so that nothing takes it in part before.
    if (m_edge && set.add(m_edge))
        m_edge->collectAffected(set, flags);
    NetObject::collectAffected(set, flags);
}

void Lane::collectCutAffected(ChangeSet &set, int flags, const Node *at) const
{
    for (QObject *c : children()) {
        auto *child = qobject_cast<NetObject *>(c);
        if (!child)
            continue;
        if (auto *line = qobject_cast<Stopline *>(child)) {
            const bool atThisEnd = line->isStopline() ? endNode() == at : startNode() == at;
            if (!atThisEnd)
                continue;
        }
        if (set.add(child))
            child->collectAffected(set, flags);
    }
    for (NetObject *holder : referrers()) {
        auto *w = qobject_cast<CrossWalk *>(holder);
        if (w && w->junction() != at)
            continue;
        if (set.add(holder))
            holder->collectAffected(set, flags);
    }
}

void Lane::dropGeometry() const
{
    m_fullValid = false;
    m_cutsValid = false;
    m_skeletonValid = false;
    m_shapeValid = false;
    m_fullSkeleton.clear();
    m_skeleton.clear();
    m_shape.clear();
}

void Lane::invalidate(int flags)
{
    Q_UNUSED(flags)
    dropGeometry();
}

} // namespace Trelvoa
