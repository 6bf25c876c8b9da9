#include "editor/modes/addroutemode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "edge.h"

#include <QCoreApplication>
#include <QGraphicsView>
#include <QMessageBox>

namespace Trelvoga {

bool AddRouteMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    const QList<GenericGraphicsItem *> items = context()->itemsAt(scenePos);
    for (int i = items.size() - 1; i >= 0; --i) {
        GenericGraphicsItem *item = items.at(i);
        if (item->type() != ItemType::Laneg)
            continue;
        auto *lane = qobject_cast<Trelvoa::Lane *>(item->networkObject());
        if (!lane)
            continue;
        if (lane != m_lane) {
            context()->setHighlighted(item);
            m_lane = lane;
        }
        return false;
    }
    context()->clearHighlight();
    m_lane = nullptr;
    return false;
}

void AddRouteMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::Route *route = m_route.route();
    // Without a lane under the cursor there is nothing to start; a route under construction is asked
    // about even when the cursor came to the click off the lanes (the move there forgot the lane).
    if (!m_lane && !route)
        return;
    Trelvoa::Lane *lane = m_lane;
    if (!lane || !lane->edge())
        lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg));
    if (!lane || !lane->edge()) {
        if (!route)
            return;
        const auto answer = QMessageBox::question(
            context()->view(), QString(), QCoreApplication::translate("NetEdit", "Finish the route?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes)
            context()->edit()->leaveMode();
        return;
    }
    if (route) {
        route->addControlEdge(lane->edge());
        return;
    }
    Networkg *net = context()->net();
    route = new Trelvoa::Route(net);
    route->setAllowedVehicles(lane->allowed());
    route->addControlEdge(lane->edge());
    if (!addToNetwork(route))
        return;
    m_route.set(route);
    if (GenericGraphicsItem *item = context()->itemOf(route))
        item->setEdit(true);
}

QString AddRouteMode::hint() const
{
    if (!m_route.route())
        return tr("Click a lane to start the route on its edge");
    return tr("Click a lane to add its edge to the route; click beside the lanes to finish (Backspace takes "
              "the last edge back)");
}

bool AddRouteMode::keyPressed(int key, Qt::KeyboardModifiers)
{
    Trelvoa::Route *route = m_route.route();
    if (key != Qt::Key_Backspace || !route)
        return false;
    context()->clearHighlight();
    if (!route->controlEdges().isEmpty())
        route->removeControlEdge(route->controlEdges().size() - 1);
    m_lane = nullptr;
    return true;
}

} // namespace Trelvoga
