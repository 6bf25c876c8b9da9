#include "trafficstate.h"

#include "edge.h"
#include "objecthelpers.h"
#include "taz.h"

namespace Trelvoa {

TrafficState::TrafficState(QObject *parent)
    : NetObject(parent)
{
}

TrafficState::~TrafficState()
{
    beginDestroy();
}

void TrafficState::setVehicleType(int type)
{
    if (type == m_vehicleType)
        return;
    m_vehicleType = type;
    setChanged(this, ChangeFlag::Attributes);
}

bool TrafficState::setStartTime(const QTime &time)
{
    if (!time.isValid())
        return false;
    if (time == m_startTime)
        return true;
    m_startTime = time;
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

bool TrafficState::setDuration(int seconds)
{
    if (seconds < 0 || seconds > 86400)
        return false;
    if (seconds == m_duration)
        return true;
    m_duration = seconds;
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

void TrafficState::setDefaultTurnPercentage(TurnPercentage turns)
{
    if (turns == m_defaultTurns)
        return;
    m_defaultTurns = turns;
    setChanged(this, ChangeFlag::Attributes);
}

void TrafficState::retain(NetObject *target)
{
    if (m_refCount[target]++ == 0)
        addReference(target);
}

void TrafficState::release(NetObject *target)
{
    auto it = m_refCount.find(target);
    if (it == m_refCount.end())
        return;
    if (--it.value() == 0) {
        m_refCount.erase(it);
        removeReference(target);
    }
}

void TrafficState::rebuildIndex()
{
    m_index.clear();
    for (int i = 0; i < m_movements.size(); ++i)
        m_index.insert(Key(m_movements.at(i).from, m_movements.at(i).to), i);
}

int TrafficState::turnPercentage(Edge *from, Edge *to, int defaultValue) const
{
    const auto it = m_index.constFind(Key(from, to));
    return it == m_index.constEnd() ? defaultValue : m_movements.at(it.value()).percent;
}

bool TrafficState::setTurnPercentage(Edge *from, Edge *to, int percent)
{
    if (!from || !to || !sameNetwork(from) || !sameNetwork(to) || !from->end()
        || from->end() != to->start())
        return false;
    percent = qBound(0, percent, 100);
    const auto it = m_index.constFind(Key(from, to));
    if (it != m_index.constEnd()) {
        int &value = m_movements[it.value()].percent;
        if (value == percent)
            return true;
        value = percent;
    } else {
        m_movements.append({from, to, percent});
        m_index.insert(Key(from, to), m_movements.size() - 1);
        retain(from);
        retain(to);
    }
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

bool TrafficState::removeTurnPercentage(Edge *from, Edge *to)
{
    const auto it = m_index.constFind(Key(from, to));
    if (it == m_index.constEnd())
        return false;
    m_movements.remove(it.value());
    rebuildIndex();
    release(from);
    release(to);
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

int TrafficState::flowIndex(const Taz *taz) const
{
    for (int i = 0; i < m_flows.size(); ++i) {
        if (m_flows.at(i).taz == taz)
            return i;
    }
    return -1;
}

QList<Taz *> TrafficState::tazList() const
{
    QList<Taz *> list;
    for (const InputFlow &f : m_flows)
        list.append(f.taz);
    return list;
}

int TrafficState::inputFlow(Taz *taz, int defaultValue) const
{
    const int i = flowIndex(taz);
    return i < 0 ? defaultValue : m_flows.at(i).flow;
}

bool TrafficState::setInputFlow(Taz *taz, int vehPerHour)
{
    if (!taz || !sameNetwork(taz) || vehPerHour < 0)
        return false;
    const int i = flowIndex(taz);
    if (i >= 0) {
        if (m_flows.at(i).flow == vehPerHour)
            return true;
        m_flows[i].flow = vehPerHour;
    } else {
        m_flows.append({taz, vehPerHour});
        retain(taz);
    }
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

bool TrafficState::removeInputFlow(Taz *taz)
{
    const int i = flowIndex(taz);
    if (i < 0)
        return false;
    m_flows.remove(i);
    release(taz);
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

void TrafficState::clear()
{
    if (m_movements.isEmpty() && m_flows.isEmpty())
        return;
    for (auto it = m_refCount.cbegin(); it != m_refCount.cend(); ++it)
        removeReference(it.key());
    m_refCount.clear();
    m_movements.clear();
    m_index.clear();
    m_flows.clear();
    setChanged(this, ChangeFlag::Attributes);
}

void TrafficState::referenceRemoved(NetObject *target)
{
    bool changed = false;
    for (int i = m_movements.size() - 1; i >= 0; --i) {
        const Movement &m = m_movements.at(i);
        if (m.from != target && m.to != target)
            continue;
        // The partner edge of a movement keeps its reference only while other movements use it.
        if (m.from != target)
            release(m.from);
        if (m.to != target)
            release(m.to);
        m_movements.remove(i);
        changed = true;
    }
    if (changed)
        rebuildIndex();
    const int f = flowIndex(qobject_cast<Taz *>(target));
    if (f >= 0) {
        m_flows.remove(f);
        changed = true;
    }
    m_refCount.remove(target);
    removeReference(target);
    if (changed)
        setChanged(this, ChangeFlag::Attributes);
}

QVariantList TrafficState::tazsVariant() const
{
    QVariantList list;
    for (const InputFlow &f : m_flows)
        list.append(QVariant::fromValue<QObject *>(f.taz));
    return list;
}

QSet<NetObject *> TrafficState::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (auto it = m_refCount.cbegin(); it != m_refCount.cend(); ++it)
        ObjectHelpers::addTopLevel(set, this, it.key());
    return set;
}

} // namespace Trelvoa
