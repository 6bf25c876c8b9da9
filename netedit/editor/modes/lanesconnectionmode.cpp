#include "editor/modes/lanesconnectionmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "connection.h"
#include "edge.h"
#include "lane.h"
#include "stopline.h"

namespace Trelvoga {

void LanesConnectionMode::leave()
{
    if (m_firstLane)
        context()->log(tr("Connection not made: the mode was left after its first lane"), QtInfoMsg);
    m_firstLane = nullptr;
}

void LanesConnectionMode::reset()
{
    m_firstLane = nullptr;
    context()->dropRubberLine();
}

double LanesConnectionMode::connectionSpeed(const Trelvoa::Lane *from, double angle)
{
    // Both limits of the turn range count as turning: 330 degrees is a turn as much as 30 is.
    if (angle >= 30 && angle <= 330)
        return turnSpeed;
    return from->maxSpeed();
}

void LanesConnectionMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    auto *lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg));
    if (!lane) {
        reset();
        return;
    }
    Trelvoa::Lane *first = m_firstLane;
    if (!first) {
        if (!lane->hasStopline()) {
            context()->log(tr("The lane does not end at a junction: a connection starts at a lane's stopline"),
                           QtWarningMsg);
            return;
        }
        m_firstLane = lane;
        context()->startRubberLine(scenePos);
        return;
    }
    if (lane->edge() == first->edge()) {
        context()->log(tr("A connection joins lanes of two different edges: click a lane leaving the junction"),
                       QtWarningMsg);
        return;
    }
    if (!lane->hasStartline()) {
        context()->log(tr("The lane does not start at a junction: click a lane leaving the junction"),
                       QtWarningMsg);
        return;
    }
    if (lane->startNode() != first->endNode()) {
        context()->log(tr("The lanes do not meet at one junction: click a lane leaving the junction the first lane ends at"),
                       QtWarningMsg);
        return;
    }
    Networkg *net = context()->net();
    auto *connection = new Trelvoa::Connection(net);
    if (!connection->setFrom(first->stopline()) || !connection->setTo(lane->startline())) {
        context()->log(tr("The model refused a connection between these lanes"), QtCriticalMsg);
        delete connection;
        reset();
        return;
    }
    connection->setMaxSpeed(connectionSpeed(first, connection->lanesAngle()));
    reset();
    if (addToNetwork(connection))
        commit(connection);
}

QString LanesConnectionMode::hint() const
{
    if (!m_firstLane)
        return tr("Click the lane the connection comes from");
    return tr("Click the lane the connection goes to (Escape cancels)");
}

} // namespace Trelvoga
