#include "editor/editcontext.h"

#include "editor/netedit.h"
#include "editor/neteditprivate.h"
#include "items/connectionline.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "crosswalk.h"
#include "edge.h"
#include "geo/geoutil.h"
#include "netobject.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCursor>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPen>
#include <QPixmap>
#include <QUndoStack>

namespace Trelvoga {

EditContext::EditContext(NetEdit *edit)
    : m_edit(edit)
{
    if (QGraphicsScene *s = scene()) {
        m_nodeMarker = new QGraphicsEllipseItem(-10, -10, 20, 20);
        m_nodeMarker->setPen(Qt::NoPen);
        m_nodeMarker->setBrush(QBrush(Qt::green));
        m_nodeMarker->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        m_nodeMarker->setZValue(100);
        m_nodeMarker->hide();
        s->addItem(m_nodeMarker);
    }
}

EditContext::~EditContext()
{
    dropRubberLine();
    // The scene may be gone first (it deletes its items then).
    if (scene())
        delete m_nodeMarker;
}

Networkg *EditContext::net() const
{
    return m_edit->net();
}

QGraphicsView *EditContext::view() const
{
    return m_edit->view();
}

QGraphicsScene *EditContext::scene() const
{
    QGraphicsView *v = view();
    return v ? v->scene() : nullptr;
}

QUndoStack *EditContext::undoStack() const
{
    return m_edit->undoStack();
}

void EditContext::record(const std::function<QUndoCommand *()> &make)
{
    QUndoStack *stack = undoStack();
    if (!stack)
        return;
    if (QUndoCommand *command = make())
        stack->push(command);
}

void EditContext::perform(QUndoCommand *command)
{
    if (!command)
        return;
    if (QUndoStack *stack = undoStack()) {
        stack->push(command);
        return;
    }
    command->redo();
    delete command;
}

void EditContext::log(const QString &text, QtMsgType type)
{
    emit m_edit->logMessage(text, type);
}

QPointF EditContext::toModel(const QPointF &scenePos) const
{
    return m_edit->netPos(scenePos);
}

QPointF EditContext::toScene(const QPointF &xy) const
{
    return m_edit->geoPos(xy);
}

namespace {

// The square of side size (model units) around a scene point, in scene coordinates.
QRectF squareAround(const EditContext &c, const QPointF &scenePos, double size)
{
    const QPointF xy = c.toModel(scenePos);
    const QRectF model(xy.x() - size / 2, xy.y() - size / 2, size, size);
    const QPointF a = c.toScene(model.topLeft());
    const QPointF b = c.toScene(model.bottomRight());
    return QRectF(a, b).normalized();
}

} // namespace

GenericGraphicsItem *EditContext::findItemNear(const QPointF &scenePos, int type, double size) const
{
    // The nearest candidate: with two nodes in the square, the one the pointer is on is meant, whatever
    // their stacking order. Equally near ones go by stacking order, lowest first.
    const QList<GenericGraphicsItem *> found = itemsNear(scenePos, {type}, size);
    const QPointF at = toModel(scenePos);
    GenericGraphicsItem *nearest = nullptr;
    double best = 0;
    for (GenericGraphicsItem *item : found) {
        const double distance = QLineF(at, toModel(item->scenePos())).length();
        if (!nearest || distance < best) {
            nearest = item;
            best = distance;
        }
    }
    return nearest;
}

QList<GenericGraphicsItem *> EditContext::itemsNear(const QPointF &scenePos, const QList<int> &types,
                                                    double size) const
{
    QList<GenericGraphicsItem *> result;
    QGraphicsScene *s = scene();
    if (!s)
        return result;
    // With the view's transform, items drawn at screen size (plain nodes) are tested where the user sees
    // them; without it their pixel-sized extent would count as scene units and hit from far away.
    QGraphicsView *v = view();
    const QRectF square = squareAround(*this, scenePos, size);
    net()->makeItemsIn(square);
    const QList<QGraphicsItem *> items = s->items(square, Qt::IntersectsItemBoundingRect,
                                                  Qt::DescendingOrder, v ? v->viewportTransform() : QTransform());
    for (int i = items.size() - 1; i >= 0; --i) {
        QGraphicsItem *item = items.at(i);
        if (!types.contains(item->type()) || !item->boundingRect().isValid())
            continue;
        if (auto *g = net()->object2item(net()->item2object(item)); g == item)
            result.append(g);
    }
    return result;
}

QList<GenericGraphicsItem *> EditContext::itemsAt(const QPointF &scenePos) const
{
    QList<GenericGraphicsItem *> result;
    QGraphicsScene *s = scene();
    QGraphicsView *v = view();
    if (!s)
        return result;
    const QTransform t = v ? v->viewportTransform() : QTransform();
    net()->makeItemsIn(QRectF(scenePos, QSizeF()));
    const QList<QGraphicsItem *> items = s->items(scenePos, Qt::IntersectsItemShape, Qt::DescendingOrder, t);
    for (QGraphicsItem *item : items) {
        Trelvoa::NetObject *object = net()->item2object(item);
        if (object && net()->object2item(object) == item)
            result.append(static_cast<GenericGraphicsItem *>(item));
    }
    return result;
}

Trelvoa::NetObject *EditContext::objectUnderPoint(const QPointF &scenePos, int type) const
{
    for (GenericGraphicsItem *item : itemsAt(scenePos)) {
        if (type == -1 || item->type() == type)
            return item->networkObject();
    }
    return nullptr;
}

GenericGraphicsItem *EditContext::itemOf(Trelvoa::NetObject *object) const
{
    return object ? net()->object2item(object) : nullptr;
}

void EditContext::showNodeMarker(const QPointF &scenePos)
{
    if (!m_nodeMarker)
        return;
    m_nodeMarker->setPos(scenePos);
    m_nodeMarker->show();
}

void EditContext::hideNodeMarker()
{
    if (m_nodeMarker)
        m_nodeMarker->hide();
}

void EditContext::setHighlighted(GenericGraphicsItem *item)
{
    Trelvoa::NetObject *object = item ? item->networkObject() : nullptr;
    if (object == m_highlighted)
        return;
    if (GenericGraphicsItem *old = highlighted())
        old->resetColor();
    m_highlighted = object;
    if (item)
        item->setColor(Qt::darkGreen);
}

GenericGraphicsItem *EditContext::highlighted() const
{
    return itemOf(m_highlighted);
}

void EditContext::clearHighlight()
{
    hideNodeMarker();
    setHighlighted(nullptr);
}

void EditContext::startRubberLine(const QPointF &scenePos)
{
    QGraphicsScene *s = scene();
    if (!s)
        return;
    if (!m_rubberLine) {
        m_rubberLine = new ConnectionLine(scenePos, net()->geoUtil());
        QPen pen(Qt::darkGreen, 2, Qt::DashLine);
        pen.setCosmetic(true);
        m_rubberLine->setPen(pen);
        m_rubberLine->setZValue(99);
        s->addItem(m_rubberLine);
    }
    m_rubberLine->setLine(scenePos, scenePos);
}

void EditContext::moveRubberLine(const QPointF &scenePos)
{
    if (m_rubberLine)
        m_rubberLine->setEndPoint(scenePos);
}

void EditContext::dropRubberLine()
{
    if (m_rubberLine && scene())
        delete m_rubberLine;
    m_rubberLine = nullptr;
}

Trelvoa::Edge *EditContext::templateEdge() const
{
    return qobject_cast<Trelvoa::Edge *>(m_edit->d->templateEdge.data());
}

Trelvoa::CrossWalk *EditContext::templateCrosswalk() const
{
    return qobject_cast<Trelvoa::CrossWalk *>(m_edit->d->templateCrosswalk.data());
}

void EditContext::setTemplateEdge(Trelvoa::Edge *edge)
{
    m_edit->d->templateEdge = edge;
}

void EditContext::setTemplateCrosswalk(Trelvoa::CrossWalk *crosswalk)
{
    m_edit->d->templateCrosswalk = crosswalk;
}

bool EditContext::areaJoinChecked() const
{
    QAction *join = m_edit->d->dbAreaAddAction;
    return join && join->isChecked();
}

void EditContext::setOverrideCursor(const QString &resource, int hotX, int hotY)
{
    if (resource.isEmpty())
        return;
    QApplication::setOverrideCursor(QCursor(QPixmap(resource), hotX, hotY));
}

void EditContext::popOverrideCursors()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace Trelvoga
