#include "commands/changecrosswalkcommand.h"

#include "crosswalk.h"
#include "lane.h"
#include "network.h"
#include "stopline.h"
#include "walkingarea.h"

namespace Trelvoga {

ChangeCrosswalkCommand::ChangeCrosswalkCommand(Trelvoa::Network *net, Trelvoa::CrossWalk *crossWalk,
                                               Trelvoa::Lane *lane1, Trelvoa::Lane *lane2, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
{
    if (!net || !crossWalk)
        return;
    m_crossWalkId = crossWalk->id();
    if (lane1 && lane1 != crossWalk->lane1())
        m_newLane1 = lane1->id();
    if (lane2 && lane2 != crossWalk->lane2())
        m_newLane2 = lane2->id();
    setText(QStringLiteral("Change crosswalk %1").arg(crossWalk->printableName()));
}

void ChangeCrosswalkCommand::redo()
{
    auto *crossWalk = m_net ? m_net->findObject<Trelvoa::CrossWalk>(m_crossWalkId) : nullptr;
    if (!crossWalk)
        return;
    Trelvoa::Lane *oldLane1 = crossWalk->lane1();
    Trelvoa::Lane *oldLane2 = crossWalk->lane2();
    QList<Trelvoa::WalkingArea *> areas;
    m_areasBefore.clear();
    for (Trelvoa::NetObject *referrer : crossWalk->referrers()) {
        auto *area = qobject_cast<Trelvoa::WalkingArea *>(referrer);
        if (!area || areas.contains(area))
            continue;
        areas.append(area);
        AreaItems saved{area->id(), {}};
        for (const Trelvoa::WalkingArea::Item *item : area->items()) {
            saved.items.append({item->line() ? item->line()->id() : 0,
                                item->crossWalk() ? item->crossWalk()->id() : 0, item->lane() ? item->lane()->id() : 0,
                                item->atFirstEnd()});
        }
        m_areasBefore.append(saved);
    }

    if (auto *lane = m_newLane1 ? m_net->findObject<Trelvoa::Lane>(m_newLane1) : nullptr) {
        m_oldLane1 = oldLane1 ? oldLane1->id() : 0;
        crossWalk->setLane1(lane);
    }
    if (auto *lane = m_newLane2 ? m_net->findObject<Trelvoa::Lane>(m_newLane2) : nullptr) {
        m_oldLane2 = oldLane2 ? oldLane2->id() : 0;
        crossWalk->setLane2(lane);
    }
    if (crossWalk->lane1() == oldLane1 && crossWalk->lane2() == oldLane2)
        return;

    // On a crossing of one lane the flag tells the ends apart; the first end is lane1's.
    const bool oneLane = oldLane1 == oldLane2;
    for (Trelvoa::WalkingArea *area : qAsConst(areas)) {
        QVector<Trelvoa::WalkingArea::Item> moved;
        QVector<Trelvoa::WalkingArea::Item> kept;
        bool changed = false;
        for (const Trelvoa::WalkingArea::Item *item : area->items()) {
            Trelvoa::WalkingArea::Item next = *item;
            if (item->crossWalk() == crossWalk) {
                const bool atEnd1 = item->lane() == oldLane1 && (!oneLane || item->atFirstEnd());
                const bool atEnd2 = item->lane() == oldLane2 && (!oneLane || !item->atFirstEnd());
                Trelvoa::Lane *lane = atEnd1 ? crossWalk->lane1() : atEnd2 ? crossWalk->lane2() : item->lane();
                if (lane != item->lane()) {
                    next = Trelvoa::WalkingArea::Item(crossWalk, lane, item->atFirstEnd());
                    changed = true;
                }
            }
            moved.append(next);
            if (!next.isCrossWalk() || next.crossWalk() != crossWalk || next.lane() == crossWalk->lane1()
                || next.lane() == crossWalk->lane2())
                kept.append(next);
        }
        // Should the area refuse the moved ends (another junction), it drops them instead.
        if (changed && !area->setItems(moved))
            area->setItems(kept);
    }
}

void ChangeCrosswalkCommand::undo()
{
    auto *crossWalk = m_net ? m_net->findObject<Trelvoa::CrossWalk>(m_crossWalkId) : nullptr;
    if (!crossWalk)
        return;
    if (auto *lane = m_oldLane1 ? m_net->findObject<Trelvoa::Lane>(m_oldLane1) : nullptr)
        crossWalk->setLane1(lane);
    if (auto *lane = m_oldLane2 ? m_net->findObject<Trelvoa::Lane>(m_oldLane2) : nullptr)
        crossWalk->setLane2(lane);
    restoreAreas();
}

void ChangeCrosswalkCommand::restoreAreas()
{
    for (const AreaItems &saved : qAsConst(m_areasBefore)) {
        auto *area = m_net->findObject<Trelvoa::WalkingArea>(saved.areaId);
        if (!area)
            continue;
        QVector<Trelvoa::WalkingArea::Item> items;
        for (const ItemIds &ids : saved.items) {
            if (ids.lineId) {
                if (auto *line = m_net->findObject<Trelvoa::Stopline>(ids.lineId))
                    items.append(Trelvoa::WalkingArea::Item(line));
                continue;
            }
            auto *crossWalk = m_net->findObject<Trelvoa::CrossWalk>(ids.crossWalkId);
            auto *lane = m_net->findObject<Trelvoa::Lane>(ids.laneId);
            if (crossWalk && lane)
                items.append(Trelvoa::WalkingArea::Item(crossWalk, lane, ids.atFirstEnd));
        }
        QVector<Trelvoa::WalkingArea::Item> current;
        for (const Trelvoa::WalkingArea::Item *item : area->items())
            current.append(*item);
        if (current != items)
            area->setItems(items);
    }
}

} // namespace Trelvoga
