#include "editor/modes/addptstopmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"

#include "lane.h"
#include "ptstop.h"

namespace Trelvoga {

void AddPtStopMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    const QPointF xy = context()->toModel(scenePos);
    bool placed = false;
    for (GenericGraphicsItem *item : context()->itemsAt(scenePos)) {
        if (item->type() != ItemType::Laneg)
            continue;
        auto *lane = qobject_cast<Trelvoa::Lane *>(item->networkObject());
        if (!lane)
            continue;
        double distance = 0;
        lane->fullSkeleton().pointOn(xy, &distance);
        auto *stop = new Trelvoa::PtStop(lane, distance);
        if (addToNetwork(stop)) {
            commit(stop);
            placed = true;
        }
    }
    if (!placed)
        context()->log(tr("A public-transport stop is placed on a lane: click a lane"), QtWarningMsg);
}

QString AddPtStopMode::hint() const
{
    return tr("Click a lane to place a public-transport stop beside it");
}

} // namespace Trelvoga
