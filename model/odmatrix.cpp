#include "odmatrix.h"

#include "objecthelpers.h"
#include "taz.h"

#include <functional>

namespace Trelvoa {

OdMatrix::OdMatrix(QObject *parent)
    : NetObject(parent)
{
}

OdMatrix::~OdMatrix()
{
    beginDestroy();
}

void OdMatrix::setVehiclesType(int type)
{
    if (type == m_vehiclesType)
        return;
    m_vehiclesType = type;
    setChanged(this, ChangeFlag::Attributes);
}

bool OdMatrix::addTaz(Taz *taz)
{
    if (!taz || !sameNetwork(taz))
        return false;
    if (m_tazs.contains(taz))
        return true;
    m_tazs.append(taz);
    addReference(taz);
    setChanged(this, ChangeFlag::Topology);
    return true;
}

bool OdMatrix::removeTaz(Taz *taz)
{
    if (!taz || !m_tazs.removeOne(taz))
        return false;
    removeReference(taz);
    for (int i = m_cells.size() - 1; i >= 0; --i) {
        if (m_cells.at(i).from == taz || m_cells.at(i).to == taz)
            m_cells.remove(i);
    }
    rebuildIndex();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Attributes);
    return true;
}

OdMatrix::Key OdMatrix::keyOf(Taz *a, Taz *b)
{
    return std::less<Taz *>()(a, b) ? Key(a, b) : Key(b, a);
}

void OdMatrix::rebuildIndex()
{
    m_index.clear();
    for (int i = 0; i < m_cells.size(); ++i)
        m_index.insert(keyOf(m_cells.at(i).from, m_cells.at(i).to), i);
}

bool OdMatrix::setIntensity(Taz *from, Taz *to, double trips)
{
    if (!from || !to || !sameNetwork(from) || !sameNetwork(to) || !ObjectHelpers::isFinite(trips)
        || trips < 0.0)
        return false;
    const auto it = m_index.constFind(keyOf(from, to));
    if (it == m_index.constEnd() && trips == 0.0)
        return true;
    addTaz(from);
    addTaz(to);
    if (it == m_index.constEnd()) {
        m_cells.append({from, to, trips, 0.0});
        m_index.insert(keyOf(from, to), m_cells.size() - 1);
    } else {
        Cell &cell = m_cells[it.value()];
        double &value = cell.from == from ? cell.forward : cell.backward;
        if (value == trips)
            return true;
        value = trips;
        // Within one zone only the forward value counts.
        if (from == to)
            cell.backward = 0.0;
        if (cell.forward == 0.0 && cell.backward == 0.0) {
            m_cells.remove(it.value());
            rebuildIndex();
        }
    }
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

double OdMatrix::intensity(Taz *from, Taz *to) const
{
    const auto it = m_index.constFind(keyOf(from, to));
    if (it == m_index.constEnd())
        return 0.0;
    const Cell &cell = m_cells.at(it.value());
    return cell.from == from ? cell.forward : cell.backward;
}

bool OdMatrix::setCell(const Cell &cell)
{
    Taz *from = cell.from;
    Taz *to = cell.to;
    const double backward = from == to ? 0.0 : cell.backward;
    if (!from || !to || !sameNetwork(from) || !sameNetwork(to) || !ObjectHelpers::isFinite(cell.forward)
        || !ObjectHelpers::isFinite(backward) || cell.forward < 0.0 || backward < 0.0)
        return false;
    const auto it = m_index.constFind(keyOf(from, to));
    if (it != m_index.constEnd()) {
        const Cell &old = m_cells.at(it.value());
        if (old.from == from && old.forward == cell.forward && old.backward == backward)
            return true;
        m_cells.remove(it.value());
        rebuildIndex();
    }
    addTaz(from);
    addTaz(to);
    if (cell.forward != 0.0 || backward != 0.0) {
        m_cells.append({from, to, cell.forward, backward});
        m_index.insert(keyOf(from, to), m_cells.size() - 1);
    }
    setChanged(this, ChangeFlag::Attributes);
    return true;
}

void OdMatrix::clear()
{
    if (m_tazs.isEmpty() && m_cells.isEmpty())
        return;
    for (Taz *taz : qAsConst(m_tazs))
        removeReference(taz);
    m_tazs.clear();
    m_cells.clear();
    m_index.clear();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Attributes);
}

void OdMatrix::referenceRemoved(NetObject *target)
{
    if (auto *taz = qobject_cast<Taz *>(target)) {
        if (removeTaz(taz))
            return;
    }
    NetObject::referenceRemoved(target);
}

QVariantList OdMatrix::tazsVariant() const
{
    QVariantList list;
    for (Taz *taz : m_tazs)
        list.append(QVariant::fromValue<QObject *>(taz));
    return list;
}

QSet<NetObject *> OdMatrix::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (Taz *taz : m_tazs)
        ObjectHelpers::addTopLevel(set, this, taz);
    return set;
}

} // namespace Trelvoa
