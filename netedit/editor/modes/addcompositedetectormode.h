#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Joins two detector groups into a composite detector.
class TRELVOGA_EXPORT AddCompositeDetectorMode : public AbstractEditMode
{
public:
    explicit AddCompositeDetectorMode(EditContext *context)
        : AbstractEditMode(context, ModeAddCompositeDetector, QStringLiteral("addCompositeDetector"),
                 QStringLiteral(":/trelvoga/cursors/join_dt_groups_cursor.png"), 0, 0)
    {
    }
    bool consumesPress() const override { return true; }
};

} // namespace Trelvoga
