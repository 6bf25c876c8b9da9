#include "editor/modes/roadmode.h"

#include "editor/editcontext.h"
#include "scene/networkg.h"

#include "node.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

namespace Trelvoga {

void RoadMode::enter()
{
    QGraphicsScene *scene = context()->scene();
    if (!scene)
        return;
    for (QGraphicsItem *item : scene->selectedItems()) {
        auto *node = qobject_cast<Trelvoa::Node *>(context()->net()->item2object(item));
        if (!node)
            continue;
        if (!startNode())
            setStartNode(node);
        else if (node != startNode() && node->type() != 0)
            connectTo(node);
    }
}

void RoadMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    Trelvoa::Node *node = takeNodeAt(scenePos);
    if (!node) {
        setStartNode(nullptr);
        return;
    }
    if (!startNode()) {
        setStartNode(node);
        return;
    }
    if (node == startNode()) {
        context()->log(tr("A road needs two different nodes: click another node"), QtWarningMsg);
        return;
    }
    connectTo(node);
}

} // namespace Trelvoga
