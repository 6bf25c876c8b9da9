#include "editor/modes/areaselectionmode.h"

#include "editor/editcontext.h"
#include "editor/netedit.h"

#include <QAction>
#include <QSignalBlocker>

namespace Trelvoga {

void AreaSelectionMode::leave()
{
    for (QAction *action : context()->edit()->dbActions()) {
        if (action->isCheckable()) {
            const QSignalBlocker blocker(action);
            action->setChecked(false);
        }
    }
}

} // namespace Trelvoga
