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
    if (!m_lane)
        return;
    Trelvoa::Lane *lane = m_lane;
    if (!lane->edge()) {
        lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg));
    }
    if (!lane || !lane->edge()) {
        const auto answer = QMessageBox::question(
            context()->view(), QString(), QCoreApplication::translate("NetEdit", "Finish the route?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes)
            context()->edit()->leaveMode();
        return;
    }
    Trelvoa::Route *route = m_route.route();
    if (route) {
        route->addControlEdge(lane->edge());
        return;
    }
    Networkg *net = context()->net();
    route = new Trelvoa::Route(net);
    route->setAllowedVehicles(lane->allowed());
    route->addControlEdge(lane->edge());
    if (!net->addItem(route)) {
        context()->log(net->errorString(), QtCriticalMsg);
        delete route;
        return;
    }
    m_route.set(route);
    if (GenericGraphicsItem *item = context()->itemOf(route))
        item->setEdit(true);
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
