#include "editor/modes/addemergencydetectormode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"

#include "emergencydetector.h"
#include "granule.h"
#include "lane.h"
#include "node.h"

#include <QLineF>
#include <cmath>

namespace Trelvoga {

void AddEmergencyDetectorMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::Node *node = startNode();
    if (!node) {
        if (Trelvoa::Node *picked = takeNodeAt(scenePos))
            setStartNode(picked);
        return;
    }
    const QPointF xy = context()->toModel(scenePos);
    auto *detector = new Trelvoa::EmergencyDetector(node, xy);
    double angle = QLineF(node->pos(), xy).angle();
    if (auto *lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg))) {
        const QLineF along = lane->fullSkeleton().lineAtPoint(xy, 20.0);
        if (!along.isNull())
            angle = std::fmod(along.angle() + 180.0, 360.0);
    }
    detector->setDirectionAngle(angle);
    if (Trelvoa::Granule *granule = node->granule())
        detector->setTl(granule->tlId());
    setStartNode(nullptr);
    if (addToNetwork(detector))
        commit(detector);
}

QString AddEmergencyDetectorMode::hint() const
{
    if (!startNode())
        return tr("Click the junction the emergency detector belongs to");
    return tr("Click where the emergency detector is placed (Escape cancels)");
}

QString AddEmergencyDetectorMode::cancelledText() const
{
    return tr("Emergency detector not placed: the mode was left after picking its junction");
}

} // namespace Trelvoga
