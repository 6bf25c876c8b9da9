#pragma once

#include "editor/modes/abstracteditmode.h"

#include "walkingarea.h"

#include <QPointer>

namespace Trelvoga {

// Builds a walking area from the sidewalk stoplines and crosswalks the user picks at one junction. A
// click on anything else finishes the area; the next pick starts a new one.
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
    // Snaps to the sidewalk stopline or crosswalk near the cursor.
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    bool snapPoint(QPointF *scenePos) const override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::WalkingArea *walkingArea() const { return m_area; }
    void setWalkingArea(Trelvoa::WalkingArea *area) { m_area = area; }

private:
    void finishArea();

    QPointer<Trelvoa::WalkingArea> m_area;
    QPointer<Trelvoa::NetObject> m_hover;
};

} // namespace Trelvoga
