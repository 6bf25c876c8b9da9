#include "editor/modes/addcrosswalkmode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "crosswalk.h"
#include "lane.h"
#include "node.h"

#include <QLineF>
#include <cmath>
#include <limits>

namespace Trelvoga {

namespace {

double distanceToJunction(const Trelvoa::Node *node, const QPointF &xy)
{
    if (!node || node->type() == 0)
        return std::numeric_limits<double>::infinity();
    return QLineF(xy, node->pos()).length();
}

// The distance of xy along the lane's full skeleton, counted from the lane's end at the junction.
double offsetAt(const Trelvoa::Lane *lane, const QPointF &xy, const Trelvoa::Node *junction)
{
    const Trelvoa::GeoPolyline skeleton = lane->fullSkeleton();
    double offset = 0;
    skeleton.pointOn(xy, &offset);
    if (lane->endNode() == junction)
        offset = skeleton.length() - offset;
    return offset;
}

} // namespace

Trelvoa::Node *AddCrosswalkMode::nearestJunction(const Trelvoa::Lane *lane, const QPointF &xy)
{
    if (!lane)
        return nullptr;
    const double toStart = distanceToJunction(lane->startNode(), xy);
    const double toEnd = distanceToJunction(lane->endNode(), xy);
    if (!std::isfinite(toStart) && !std::isfinite(toEnd))
        return nullptr;
    return toEnd > toStart ? lane->startNode() : lane->endNode();
}

void AddCrosswalkMode::leave()
{
    if (m_firstLane)
        context()->log(tr("Crosswalk not made: the mode was left after its first lane"), QtInfoMsg);
    m_firstLane = nullptr;
}

void AddCrosswalkMode::reset()
{
    m_firstLane = nullptr;
    context()->dropRubberLine();
}

void AddCrosswalkMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    auto *lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg));
    if (!lane) {
        reset();
        return;
    }
    const QPointF xy = context()->toModel(scenePos);
    Trelvoa::Lane *first = m_firstLane;
    if (!first) {
        m_firstLane = lane;
        m_firstPoint = xy;
        context()->startRubberLine(scenePos);
        return;
    }
    reset();
    Trelvoa::Node *junction = nearestJunction(first, m_firstPoint);
    if (!junction)
        junction = nearestJunction(lane, xy);
    // Both lanes must reach the junction, or the crossing would join two places.
    const auto touches = [junction](const Trelvoa::Lane *l) {
        return l->startNode() == junction || l->endNode() == junction;
    };
    if (!junction || !touches(first) || !touches(lane)) {
        context()->log(tr("Can't find junction for given lanes"), QtWarningMsg);
        return;
    }
    auto *crosswalk = new Trelvoa::CrossWalk(junction, first, offsetAt(first, m_firstPoint, junction), lane,
                                             offsetAt(lane, xy, junction));
    if (Trelvoa::CrossWalk *model = context()->templateCrosswalk()) {
        crosswalk->setWidth(model->width());
        crosswalk->setMaxSpeed(model->maxSpeed());
    }
    if (addToNetwork(crosswalk))
        commit(crosswalk);
}

QString AddCrosswalkMode::hint() const
{
    if (!m_firstLane)
        return tr("Click the lane where the crosswalk starts");
    return tr("Click the lane where the crosswalk ends (Escape cancels)");
}

} // namespace Trelvoga
