#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Places junctions where the user clicks.
class TRELVOGA_EXPORT AddJunctionMode : public AbstractEditMode
{
public:
    explicit AddJunctionMode(EditContext *context)
        : AbstractEditMode(context, ModeAddJunction, QStringLiteral("addJunction"),
                 QStringLiteral(":/trelvoga/cursors/add_junction_cursor.png"), 2, 2)
    {
    }

    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;
};

} // namespace Trelvoga
