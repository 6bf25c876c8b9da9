#include "editor/modes/addnodemode.h"

#include "editor/editcontext.h"
#include "scene/networkg.h"

#include "node.h"

namespace Trelvoga {

void AddNodeMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    auto *node = new Trelvoa::Node(context()->net(), context()->toModel(scenePos), 0);
    if (addToNetwork(node))
        commit(node);
}

QString AddNodeMode::hint() const
{
    return tr("Click to place a node");
}

} // namespace Trelvoga
