#include "editor/modes/addwalkingareamode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "crosswalk.h"
#include "lane.h"
#include "stopline.h"
#include "walkingarea.h"

#include <QLineF>

namespace Trelvoga {

namespace {

bool isSidewalkLine(const Trelvoa::NetObject *object)
{
    auto *line = qobject_cast<const Trelvoa::Stopline *>(object);
    return line && line->lane() && line->lane()->allows(Trelvoa::Lane::vcPedestrian);
}

} // namespace

void AddWalkingAreaMode::leave()
{
    finishArea();
    m_hover = nullptr;
}

void AddWalkingAreaMode::finishArea()
{
    Trelvoa::WalkingArea *area = m_area;
    m_area = nullptr;
    if (!area)
        return;
    if (area->itemCount() == 0)
        delete area;
    else
        commit(area);
}

bool AddWalkingAreaMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    const QList<GenericGraphicsItem *> items =
        context()->itemsNear(scenePos, {ItemType::CrossWalkg, ItemType::Stoplineg}, 2);
    for (GenericGraphicsItem *item : items) {
        Trelvoa::NetObject *object = item->networkObject();
        if (item->type() == ItemType::Stoplineg) {
            if (!isSidewalkLine(object))
                continue;
            m_hover = object;
            context()->setHighlighted(nullptr);
            context()->showNodeMarker(context()->toScene(object->pos()));
            return false;
        }
        m_hover = object;
        context()->hideNodeMarker();
        context()->setHighlighted(item);
        return false;
    }
    m_hover = nullptr;
    context()->clearHighlight();
    return false;
}

bool AddWalkingAreaMode::snapPoint(QPointF *scenePos) const
{
    if (!isSidewalkLine(m_hover))
        return false;
    *scenePos = context()->toScene(m_hover->pos());
    return true;
}

void AddWalkingAreaMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::NetObject *target = m_hover;
    m_hover = nullptr;
    if (!target) {
        if (GenericGraphicsItem *highlighted = context()->highlighted())
            target = highlighted->networkObject();
    }
    if (!target)
        target = context()->objectUnderPoint(scenePos, -1);

    auto *crosswalk = qobject_cast<Trelvoa::CrossWalk *>(target);
    const bool stopline = isSidewalkLine(target);
    if (!stopline && !(crosswalk && crosswalk->skeleton().count() >= 2)) {
        // Anything else ends the area: it joins the history as it is (an empty one goes).
        finishArea();
        return;
    }
    if (!m_area) {
        auto *area = new Trelvoa::WalkingArea(context()->net());
        if (!addToNetwork(area))
            return;
        m_area = area;
    }
    bool added = false;
    if (stopline) {
        added = m_area->addStopline(static_cast<Trelvoa::Stopline *>(target));
    } else {
        const Trelvoa::GeoPolyline skeleton = crosswalk->skeleton();
        const QPointF xy = context()->toModel(scenePos);
        const bool nearerFirst = QLineF(xy, skeleton.last()).length() > QLineF(xy, skeleton.first()).length();
        added = m_area->addCrossWalk(crosswalk, nearerFirst ? crosswalk->lane1() : crosswalk->lane2(), true);
    }
    if (!added) {
        context()->log(tr("The walking area does not take this item: its items belong to one junction, each "
                          "once"),
                       QtWarningMsg);
    }
}

QString AddWalkingAreaMode::hint() const
{
    if (!m_area)
        return tr("Click a sidewalk end or a crosswalk to start a walking area");
    return tr("Click the next sidewalk end or crosswalk of the walking area (elsewhere: finish it)");
}

} // namespace Trelvoga
