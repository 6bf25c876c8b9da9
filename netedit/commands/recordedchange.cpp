#include "commands/recordedchange.h"

#include "netobject.h"
#include "network.h"

namespace Trelvoga {

namespace {

void deleteByIds(Trelvoa::Network *net, const QList<int> &ids)
{
    if (!net)
        return;
    for (int id : ids) {
        // An earlier deletion may have taken this one with it.
        if (Trelvoa::NetObject *object = net->findObject(id))
            delete object;
    }
}

} // namespace

void RecordedChange::undo(Trelvoa::Network *net)
{
    if (!before.isEmpty()) {
        deleteByIds(net, undoDeleteIds);
        before.restore(net);
    }
    m_undone = true;
}

void RecordedChange::redo(Trelvoa::Network *net)
{
    // The push: the model has made the change already.
    if (!m_undone)
        return;
    if (!after.isEmpty()) {
        deleteByIds(net, redoDeleteIds);
        after.restore(net);
    }
    m_undone = false;
}

} // namespace Trelvoga
