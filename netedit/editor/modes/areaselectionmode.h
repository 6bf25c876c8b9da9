#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Picks a rectangle of the map for the database exchange; entered by the database area actions.
class TRELVOGA_EXPORT AreaSelectionMode : public AbstractEditMode
{
public:
    explicit AreaSelectionMode(EditContext *context)
        : AbstractEditMode(context, ModeAreaSelection, QString())
    {
    }

    bool consumesPress() const override { return true; }
    // Unchecks the database area actions without running their slots.
    void leave() override;
};

} // namespace Trelvoga
