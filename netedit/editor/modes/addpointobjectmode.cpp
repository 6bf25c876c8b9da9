#include "editor/modes/addpointobjectmode.h"

#include "editor/editcontext.h"
#include "scene/networkg.h"

#include "pointobject.h"

namespace Trelvoga {

void AddPointObjectMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    auto *point = new Trelvoa::PointObject(context()->net(), context()->toModel(scenePos));
    if (addToNetwork(point))
        commit(point);
}

QString AddPointObjectMode::hint() const
{
    return tr("Click to place a point object");
}

} // namespace Trelvoga
