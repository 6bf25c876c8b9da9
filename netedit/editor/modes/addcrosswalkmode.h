#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Draws crosswalks across a road from a first lane to a second one.
class TRELVOGA_EXPORT AddCrosswalkMode : public AbstractEditMode
{
public:
    explicit AddCrosswalkMode(EditContext *context)
        : AbstractEditMode(context, ModeAddCrosswalk, QStringLiteral("addCrosswalk"),
                 QStringLiteral(":/trelvoga/cursors/add_crosswalk_cursor.png"), 0, 0)
    {
    }
};

} // namespace Trelvoga
