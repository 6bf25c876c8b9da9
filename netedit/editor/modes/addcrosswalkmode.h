#pragma once

#include "editor/modes/abstracteditmode.h"

#include "lane.h"

#include <QPointer>

namespace Trelvoa {
class Node;
} // namespace Trelvoa

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

    void leave() override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::Lane *firstLane() const { return m_firstLane; }

    // The junction at the lane end nearer to xy (ends at plain nodes do not count); null when neither
    // end is a junction.
    static Trelvoa::Node *nearestJunction(const Trelvoa::Lane *lane, const QPointF &xy);

private:
    void reset();

    QPointer<Trelvoa::Lane> m_firstLane;
    QPointF m_firstPoint; // model XY of the first click
};

} // namespace Trelvoga
