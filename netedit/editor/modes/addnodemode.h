#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Places plain nodes (no junction area) where the user clicks.
class TRELVOGA_EXPORT AddNodeMode : public AbstractEditMode
{
public:
    explicit AddNodeMode(EditContext *context)
        : AbstractEditMode(context, ModeAddNode, QStringLiteral("addNode"),
                 QStringLiteral(":/trelvoga/cursors/add_node_cursor.png"), 2, 2)
    {
    }

    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;
};

} // namespace Trelvoga
