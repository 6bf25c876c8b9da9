#pragma once

#include "editor/modes/abstracteditmode.h"

#include "walkingarea.h"

#include <QPointer>

namespace Trelvoga {

// Builds a walking area from the sidewalk stoplines and crosswalks the user picks at one junction.
class TRELVOGA_EXPORT AddWalkingAreaMode : public AbstractEditMode
{
public:
    explicit AddWalkingAreaMode(EditContext *context)
        : AbstractEditMode(context, ModeAddWalkingArea, QStringLiteral("addWalkingArea"),
                           QStringLiteral(":/trelvoga/cursors/add_wa_cursor.png"), 0, 0)
    {
    }

    // Commits the area, or deletes it when it got no item.
    void leave() override;

    Trelvoa::WalkingArea *walkingArea() const { return m_area; }
    void setWalkingArea(Trelvoa::WalkingArea *area) { m_area = area; }

private:
    QPointer<Trelvoa::WalkingArea> m_area;
};

} // namespace Trelvoga
