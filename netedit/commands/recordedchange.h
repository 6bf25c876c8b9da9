#pragma once

#include "commands/snapshot.h"
#include "trelvoga_global.h"

#include <QList>

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// The states before and after a change that the model made on the caller's request, for the commands
// that record such a change. Undo deletes what the change created and loads the state before; redo
// deletes what the state after replaces and loads it. The push's redo() does nothing.
class TRELVOGA_EXPORT RecordedChange
{
public:
    Snapshot before;
    Snapshot after;
    // Deleted before `before` is loaded.
    QList<int> undoDeleteIds;
    // Deleted before `after` is loaded.
    QList<int> redoDeleteIds;

    void undo(Trelvoa::Network *net);
    void redo(Trelvoa::Network *net);
    bool isUndone() const { return m_undone; }

private:
    bool m_undone = false;
};

} // namespace Trelvoga
