#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Connects a lane ending at a junction to a lane leaving it: first lane, then second lane.
class TRELVOGA_EXPORT LanesConnectionMode : public AbstractEditMode
{
public:
    explicit LanesConnectionMode(EditContext *context)
        : AbstractEditMode(context, ModeLanesConnection, QStringLiteral("addLanesConnection"),
                 QStringLiteral(":/trelvoga/cursors/add_conn_cursor.png"), 0, 0)
    {
    }
};

} // namespace Trelvoga
