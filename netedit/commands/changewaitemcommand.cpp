#include "commands/changewaitemcommand.h"

#include "crosswalk.h"
#include "geo/geohelpers.h"
#include "lane.h"
#include "network.h"
#include "stopline.h"

#include <limits>

namespace Trelvoga {

namespace {

double distanceToLine(const QPointF &point, const Trelvoa::Stopline *line)
{
    if (!line)
        return std::numeric_limits<double>::infinity();
    return Trelvoa::flatDistance(point, line->line().pointAt(0.5));
}

} // namespace

ChangeWaItemCommand::HeldItem ChangeWaItemCommand::HeldItem::of(const Trelvoa::WalkingArea::Item &item)
{
    HeldItem held;
    held.lineId = item.line() ? item.line()->id() : 0;
    held.crossWalkId = item.crossWalk() ? item.crossWalk()->id() : 0;
    held.laneId = item.lane() ? item.lane()->id() : 0;
    held.atFirstEnd = item.atFirstEnd();
    return held;
}

bool ChangeWaItemCommand::HeldItem::resolve(const Trelvoa::Network *net, Trelvoa::WalkingArea::Item *item) const
{
    if (!net)
        return false;
    if (lineId) {
        auto *line = net->findObject<Trelvoa::Stopline>(lineId);
        if (!line)
            return false;
        *item = Trelvoa::WalkingArea::Item(line);
        return true;
    }
    auto *crossWalk = net->findObject<Trelvoa::CrossWalk>(crossWalkId);
    auto *lane = net->findObject<Trelvoa::Lane>(laneId);
    if (!crossWalk || !lane)
        return false;
    *item = Trelvoa::WalkingArea::Item(crossWalk, lane, atFirstEnd);
    return true;
}

ChangeWaItemCommand::ChangeWaItemCommand(Trelvoa::Network *net, Trelvoa::WalkingArea *area,
                                         Trelvoa::WalkingArea::Item *oldItem, QObject *target, const QPointF &point,
                                         QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
    , m_areaId(area ? area->id() : 0)
{
    setText(target ? QStringLiteral("Change walking area items") : QStringLiteral("Remove walking area items"));
    const HeldItem old = oldItem ? HeldItem::of(*oldItem) : HeldItem();
    if (!target) {
        m_takeOut = old;
        return;
    }
    HeldItem in;
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(target)) {
        Trelvoa::Stopline *start = nullptr;
        Trelvoa::Stopline *stop = nullptr;
        if (!lane->hasStartline(&start))
            start = nullptr;
        if (!lane->hasStopline(&stop))
            stop = nullptr;
        const double toStart = distanceToLine(point, start);
        const double toStop = distanceToLine(point, stop);
        Trelvoa::Stopline *chosen = nullptr;
        if (start && toStart < toStop)
            chosen = start;
        else if (stop && toStop < toStart)
            chosen = stop;
        if (chosen && chosen->id() != old.lineId)
            in.lineId = chosen->id();
    } else if (auto *crossWalk = qobject_cast<Trelvoa::CrossWalk *>(target)) {
        const Trelvoa::GeoPolyline skeleton = crossWalk->skeleton();
        if (skeleton.count() >= 2) {
            const bool atFirst =
                Trelvoa::flatDistance(point, skeleton.first()) < Trelvoa::flatDistance(point, skeleton.last());
            Trelvoa::Lane *lane = atFirst ? crossWalk->lane1() : crossWalk->lane2();
            const bool same = old.crossWalkId == crossWalk->id() && lane && old.laneId == lane->id()
                && old.atFirstEnd == atFirst;
            if (lane && !same) {
                in.crossWalkId = crossWalk->id();
                in.laneId = lane->id();
                in.atFirstEnd = atFirst;
            }
        }
    }
    // A drop that puts nothing in leaves the area as it is; only a removal takes an item out alone.
    if (in.isSet()) {
        m_takeOut = old;
        m_putIn = in;
    }
}

void ChangeWaItemCommand::swap()
{
    auto *area = m_net ? m_net->findObject<Trelvoa::WalkingArea>(m_areaId) : nullptr;
    if (!area)
        return;
    HeldItem nextPutIn;
    HeldItem nextTakeOut;
    Trelvoa::WalkingArea::Item item;
    if (m_takeOut.isSet() && m_takeOut.resolve(m_net, &item)) {
        const QList<Trelvoa::WalkingArea::Item *> items = area->items();
        for (int i = 0; i < items.size(); ++i) {
            if (*items.at(i) == item) {
                if (area->removeItemAt(i)) {
                    nextPutIn = m_takeOut;
                    nextPutIn.index = i;
                }
                break;
            }
        }
    }
    if (m_putIn.isSet() && m_putIn.resolve(m_net, &item)) {
        // An item taken out earlier goes back to its place, so the area's order is restored too.
        if (m_putIn.index >= 0 && m_putIn.index < area->itemCount()) {
            QVector<Trelvoa::WalkingArea::Item> items;
            for (const Trelvoa::WalkingArea::Item *present : area->items())
                items.append(*present);
            items.insert(m_putIn.index, item);
            if (area->setItems(items)) {
                nextTakeOut = m_putIn;
                nextTakeOut.index = -1;
            }
        } else if (area->addItem(item)) {
            nextTakeOut = HeldItem::of(*area->items().constLast());
        }
    }
    m_takeOut = nextTakeOut;
    m_putIn = nextPutIn;
    m_done = !m_done;
}

} // namespace Trelvoga
