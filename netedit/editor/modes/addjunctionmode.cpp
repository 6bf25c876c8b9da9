#include "editor/modes/addjunctionmode.h"

#include "editor/editcontext.h"
#include "scene/networkg.h"

#include "node.h"

namespace Trelvoga {

void AddJunctionMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    auto *node = new Trelvoa::Node(context()->net(), context()->toModel(scenePos), 1);
    if (addToNetwork(node))
        commit(node);
}

QString AddJunctionMode::hint() const
{
    return tr("Click to place a junction");
}

} // namespace Trelvoga
