#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Places public-transport stops on lanes.
class TRELVOGA_EXPORT AddPtStopMode : public AbstractEditMode
{
public:
    explicit AddPtStopMode(EditContext *context)
        : AbstractEditMode(context, ModeAddPtStop, QStringLiteral("addPtStop"),
                 QStringLiteral(":/trelvoga/cursors/add_pt_stop_cursor.png"), 2, 2)
    {
    }

    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;
    bool consumesPress() const override { return true; }
};

} // namespace Trelvoga
