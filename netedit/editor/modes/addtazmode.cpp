#include "editor/modes/addtazmode.h"

#include "commands/changetazitemcommand.h"
#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "lane.h"
#include "taz.h"

namespace Trelvoga {

void AddTazMode::leave()
{
    commit(m_taz);
    m_taz = nullptr;
}

bool AddTazMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    if (!m_taz)
        return false;
    for (GenericGraphicsItem *item : context()->itemsAt(scenePos)) {
        if (item->type() == ItemType::Laneg) {
            context()->setHighlighted(item);
            return false;
        }
    }
    context()->clearHighlight();
    return false;
}

void AddTazMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    const QPointF xy = context()->toModel(scenePos);
    if (!m_taz) {
        auto *taz = new Trelvoa::Taz(context()->net(), xy);
        if (!addToNetwork(taz))
            return;
        m_taz = taz;
    } else {
        GenericGraphicsItem *highlighted = context()->highlighted();
        auto *lane = highlighted ? qobject_cast<Trelvoa::Lane *>(highlighted->networkObject()) : nullptr;
        if (!lane || !lane->edge()) {
            context()->edit()->leaveMode();
            return;
        }
        // Part of the zone under construction: its link is committed with it.
        ChangeTazItemCommand link(context()->net(), m_taz, nullptr, lane->edge(), xy);
        link.redo();
    }
    context()->startRubberLine(context()->toScene(m_taz->pos()));
}

QString AddTazMode::hint() const
{
    if (!m_taz)
        return tr("Click to place a traffic assignment zone");
    return tr("Click a lane to link the zone to its edge (elsewhere: finish the zone)");
}

} // namespace Trelvoga
