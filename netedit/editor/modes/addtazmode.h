#pragma once

#include "editor/modes/abstracteditmode.h"

#include "taz.h"

#include <QPointer>

namespace Trelvoga {

// Places a traffic assignment zone and links it to the edges picked after it; a click beside any lane
// finishes it.
class TRELVOGA_EXPORT AddTazMode : public AbstractEditMode
{
public:
    explicit AddTazMode(EditContext *context)
        : AbstractEditMode(context, ModeAddTaz, QStringLiteral("addTaz"),
                           QStringLiteral(":/trelvoga/cursors/add_taz_cursor.png"), 0, 0)
    {
    }

    bool consumesPress() const override { return true; }
    void leave() override;
    // While a zone is placed, the lane under the cursor is highlighted.
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::Taz *taz() const { return m_taz; }
    void setTaz(Trelvoa::Taz *taz) { m_taz = taz; }

private:
    QPointer<Trelvoa::Taz> m_taz;
};

} // namespace Trelvoga
