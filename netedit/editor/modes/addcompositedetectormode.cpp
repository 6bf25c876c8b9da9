#include "editor/modes/addcompositedetectormode.h"

#include "editor/editcontext.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "compositedetector.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "granule.h"
#include "lane.h"
#include "node.h"

namespace Trelvoga {

void AddCompositeDetectorMode::leave()
{
    if (m_firstGroup)
        context()->log(tr("Composite detector not made: the mode was left after its first group"), QtInfoMsg);
    m_firstGroup = nullptr;
    m_hover = nullptr;
}

void AddCompositeDetectorMode::reset()
{
    m_firstGroup = nullptr;
    context()->dropRubberLine();
}

bool AddCompositeDetectorMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    GenericGraphicsItem *item = context()->findItemNear(scenePos, ItemType::DetectorGroupg, 10);
    auto *group = item ? qobject_cast<Trelvoa::DetectorGroup *>(item->networkObject()) : nullptr;
    if (group && group == m_firstGroup) {
        m_hover = nullptr;
        return false;
    }
    m_hover = group;
    if (group) {
        context()->clearHighlight();
        context()->showNodeMarker(item->scenePos());
        return false;
    }
    // A lane is a target too (a group is made across its edge): it is shown as such.
    context()->hideNodeMarker();
    GenericGraphicsItem *laneItem = nullptr;
    for (GenericGraphicsItem *under : context()->itemsAt(scenePos)) {
        if (under->type() == ItemType::Laneg) {
            laneItem = under;
            break;
        }
    }
    context()->setHighlighted(laneItem);
    return false;
}

bool AddCompositeDetectorMode::snapPoint(QPointF *scenePos) const
{
    if (!m_hover)
        return false;
    *scenePos = context()->toScene(m_hover->pos());
    return true;
}

void AddCompositeDetectorMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::DetectorGroup *group = m_hover;
    m_hover = nullptr;
    if (!group) {
        group = qobject_cast<Trelvoa::DetectorGroup *>(
            context()->objectUnderPoint(scenePos, ItemType::DetectorGroupg));
    }
    if (!group) {
        GenericGraphicsItem *highlighted = context()->highlighted();
        auto *lane = highlighted ? qobject_cast<Trelvoa::Lane *>(highlighted->networkObject()) : nullptr;
        if (!lane)
            lane = qobject_cast<Trelvoa::Lane *>(context()->objectUnderPoint(scenePos, ItemType::Laneg));
        if (!lane || !lane->edge()) {
            reset();
            return;
        }
        group = makeGroup(lane, scenePos);
        if (!group)
            return;
    }
    if (!m_firstGroup) {
        m_firstGroup = group;
        context()->startRubberLine(context()->toScene(group->pos()));
        return;
    }
    if (group == m_firstGroup) {
        context()->log(tr("A composite detector joins two different groups: click the second group"),
                       QtWarningMsg);
        return;
    }
    connectGroups(m_firstGroup, group);
    reset();
}

Trelvoa::DetectorGroup *AddCompositeDetectorMode::makeGroup(Trelvoa::Lane *lane, const QPointF &scenePos)
{
    if (m_firstGroup && !(m_firstGroup->allowed() & lane->allowed())) {
        context()->log(tr("Impossible movement from first getector group to this lane"), QtCriticalMsg);
        return nullptr;
    }
    Trelvoa::Edge *edge = lane->edge();
    Trelvoa::Lane *leftmost = lane;
    for (int i = 0; i < edge->lanesCount() && leftmost->left(); ++i)
        leftmost = leftmost->left();
    const QPointF xy = context()->toModel(scenePos);
    auto *group = new Trelvoa::DetectorGroup(edge);
    group->setAllowed(leftmost->allowed() | lane->allowed());
    if (!addToNetwork(group))
        return nullptr;
    QList<Trelvoa::NetObject *> made{group};
    for (Trelvoa::Lane *l = leftmost; l; l = l->right()) {
        double distance = 0;
        l->skeleton().pointOn(xy, &distance);
        auto *detector = new Trelvoa::Detector(l, distance);
        if (!addToNetwork(detector))
            continue;
        group->setAllowed(group->allowed() | l->allowed());
        group->addDetector(detector);
        context()->edit()->objectAdded(detector, group);
        made.append(detector);
    }
    commit(made);
    return group;
}

void AddCompositeDetectorMode::connectGroups(Trelvoa::DetectorGroup *first, Trelvoa::DetectorGroup *second)
{
    for (Trelvoa::CompositeDetector *composite : first->compositeDetectors()) {
        if (second->compositeDetectors().contains(composite)) {
            context()->log(tr("Detector groups %1 and %2 already connected")
                               .arg(first->printableName(), second->printableName()),
                           QtCriticalMsg);
            return;
        }
    }
    Trelvoa::Edge *firstEdge = first->edge();
    Trelvoa::Edge *secondEdge = second->edge();
    if (!firstEdge || !secondEdge) {
        context()->log(tr("Detector groups %1 or %2 has no owned by edge")
                           .arg(first->printableName(), second->printableName()),
                       QtCriticalMsg);
        return;
    }
    Networkg *net = context()->net();
    int tl = 0;
    if (firstEdge == secondEdge) {
        Trelvoa::Detector *a = first->detectors().value(0);
        Trelvoa::Detector *b = second->detectors().value(0);
        if (a && b && a->lane() && b->lane() && a->distance() > b->distance()) {
            context()->log(tr("Invalid direction for composite detector"), QtCriticalMsg);
            return;
        }
    } else {
        const QList<Trelvoa::Edge *> route =
            net->findRoute({firstEdge, secondEdge}, first->allowed() | second->allowed());
        // Without a way between the groups the section would measure nothing.
        if (route.isEmpty()) {
            context()->log(net->errorString(), QtCriticalMsg);
            return;
        }
        for (int i = 0; i + 1 < route.size(); ++i) {
            if (Trelvoa::Granule *granule = route.at(i)->end() ? route.at(i)->end()->granule() : nullptr)
                tl = granule->tlId();
        }
    }
    auto *composite = new Trelvoa::CompositeDetector(first, second, net);
    if (tl)
        composite->setTl(tl);
    if (addToNetwork(composite))
        commit(composite);
}

QString AddCompositeDetectorMode::hint() const
{
    if (!m_firstGroup)
        return tr("Click the detector group where the section starts (or a lane to make one)");
    return tr("Click the detector group where the section ends (or a lane to make one; Escape cancels)");
}

} // namespace Trelvoga
