#pragma once

#include "editor/modes/abstracteditmode.h"

namespace Trelvoga {

// Places point objects where the user clicks.
class TRELVOGA_EXPORT AddPointObjectMode : public AbstractEditMode
{
public:
    explicit AddPointObjectMode(EditContext *context)
        : AbstractEditMode(context, ModeAddPointObject, QStringLiteral("addPointObject"),
                 QStringLiteral(":/trelvoga/cursors/add_node_cursor.png"), 2, 2)
    {
    }

    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;
};

} // namespace Trelvoga
