#include "editor/modes/pasteplacementmode.h"

#include "commands/joinnetcommand.h"
#include "editor/editcontext.h"

#include "edge.h"
#include "edgegroup.h"
#include "emergencydetector.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "network.h"
#include "node.h"
#include "pointobject.h"
#include "polygonobject.h"
#include "taz.h"
#include "walkingarea.h"

#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainterPath>
#include <QPen>

namespace Trelvoga {

PastePlacementMode::~PastePlacementMode()
{
    dropPreview();
}

void PastePlacementMode::dropPreview()
{
    // A scene that went first took the preview with it.
    if (m_preview && context()->scene())
        delete m_preview;
    m_preview = nullptr;
}

void PastePlacementMode::leave()
{
    m_network.reset();
    dropPreview();
}

QString PastePlacementMode::hint() const
{
    // The view is north-up: the corner at the cursor shows as the part's top-left on screen.
    return tr("Click where the pasted part goes (its top-left corner)");
}

QPointF PastePlacementMode::toScene(const QPointF &xy) const
{
    const Trelvoa::GeoUtil *geo = m_network ? m_network->geoUtil() : nullptr;
    return geo ? geo->xyToGeo(xy) : xy;
}

QPointF PastePlacementMode::toModel(const QPointF &scenePos) const
{
    const Trelvoa::GeoUtil *geo = m_network ? m_network->geoUtil() : nullptr;
    return geo ? geo->geoToXY(scenePos) : scenePos;
}

void PastePlacementMode::start(std::unique_ptr<Trelvoa::Network> network, const QRectF &bound,
                               const QPointF &cursorScenePos)
{
    QGraphicsScene *scene = context()->scene();
    if (m_preview || !network || !scene)
        return;
    m_network = std::move(network);
    const Trelvoa::GeoUtil *geo = m_network->geoUtil();
    m_sceneBound = geo ? geo->xyToGeo(bound) : bound;

    QPen dotted(Qt::DotLine);
    dotted.setCosmetic(true);
    m_preview = new QGraphicsRectItem(m_sceneBound);
    m_preview->setPen(dotted);
    m_preview->setBrush(Qt::NoBrush);
    scene->addItem(m_preview);
    m_preview->setPos(cursorScenePos - m_sceneBound.bottomLeft());

    QPen solid(Qt::SolidLine);
    solid.setWidth(2);
    solid.setCosmetic(true);
    for (QObject *child : m_network->children()) {
        Trelvoa::GeoPolyline skeleton;
        if (auto *edge = qobject_cast<Trelvoa::Edge *>(child)) {
            if (!edge->group())
                skeleton = edge->skeleton();
        } else if (auto *group = qobject_cast<Trelvoa::EdgeGroup *>(child)) {
            skeleton = group->skeleton();
        } else if (auto *node = qobject_cast<Trelvoa::Node *>(child)) {
            auto *marker = new QGraphicsRectItem(QRectF(-5, -5, 10, 10), m_preview);
            marker->setPen(solid);
            marker->setFlag(QGraphicsItem::ItemIgnoresTransformations);
            marker->setPos(toScene(node->pos()));
            marker->setZValue(1.0);
            continue;
        }
        if (skeleton.count() < 2)
            continue;
        QPainterPath path(toScene(skeleton.at(0)));
        for (int i = 1; i < skeleton.count(); ++i)
            path.lineTo(toScene(skeleton.at(i)));
        auto *line = new QGraphicsPathItem(path, m_preview);
        line->setPen(solid);
    }
}

bool PastePlacementMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    if (m_preview)
        m_preview->setPos(scenePos - m_sceneBound.bottomLeft());
    return false;
}

void PastePlacementMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    if (!m_preview || !m_network)
        return;
    mouseMoved(scenePos, Qt::NoButton, modifiers);
    place();
}

void PastePlacementMode::place()
{
    if (!m_preview || !m_network)
        return;
    // Both corners through the part's own projection: placed where it came from, it does not move.
    const QPointF from = toModel(m_sceneBound.topLeft());
    const QPointF to = toModel(m_sceneBound.topLeft() + m_preview->pos());
    translate(m_network.get(), to - from);
    context()->perform(new JoinNetCommand(context()->edit(), m_network.get()));
    // Leaving drops the part and the preview; nothing of this mode is touched after it.
    context()->edit()->leaveMode();
}

void PastePlacementMode::translate(Trelvoa::Network *network, const QPointF &delta)
{
    if (!network || delta.isNull())
        return;
    const QList<Trelvoa::NetObject *> objects = network->allObjects();
    // Custom skeletons first: nodes attached to a group keep their place along its skeleton.
    for (Trelvoa::NetObject *object : objects) {
        if (auto *group = qobject_cast<Trelvoa::EdgeGroup *>(object)) {
            if (!group->autoSkeleton()) {
                Trelvoa::GeoPolyline skeleton = group->customSkeleton();
                skeleton.translate(delta);
                group->setSkeleton(skeleton);
            }
        } else if (auto *edge = qobject_cast<Trelvoa::Edge *>(object)) {
            if (!edge->autoSkeleton()) {
                Trelvoa::GeoPolyline skeleton = edge->customSkeleton();
                skeleton.translate(delta);
                edge->setSkeleton(skeleton);
            }
        }
    }
    for (Trelvoa::NetObject *object : objects) {
        if (auto *node = qobject_cast<Trelvoa::Node *>(object)) {
            if (!node->attachedEdgeGroup())
                node->setPos(node->pos() + delta);
            if (!node->autoShape()) {
                Trelvoa::GeoShape shape = node->customShape();
                shape.translate(delta);
                node->setCustomShape(shape);
            }
        } else if (auto *taz = qobject_cast<Trelvoa::Taz *>(object)) {
            taz->setPos(taz->pos() + delta);
        } else if (auto *detector = qobject_cast<Trelvoa::EmergencyDetector *>(object)) {
            detector->setPos(detector->pos() + delta);
        } else if (auto *polygon = qobject_cast<Trelvoa::PolygonObject *>(object)) {
            polygon->translate(delta);
        } else if (auto *point = qobject_cast<Trelvoa::PointObject *>(object)) {
            point->setPos(point->pos() + delta);
        } else if (auto *area = qobject_cast<Trelvoa::WalkingArea *>(object)) {
            if (!area->autoShape()) {
                Trelvoa::GeoShape shape = area->customShape();
                shape.translate(delta);
                area->setShape(shape);
            }
        }
    }
}

} // namespace Trelvoga
