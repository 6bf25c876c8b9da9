#pragma once

#include "editor/modes/abstracteditmode.h"

#include "lane.h"

#include <QPointer>

namespace Trelvoga {

// Connects a lane ending at a junction to a lane leaving it: first lane, then second lane.
class TRELVOGA_EXPORT LanesConnectionMode : public AbstractEditMode
{
public:
    explicit LanesConnectionMode(EditContext *context)
        : AbstractEditMode(context, ModeLanesConnection, QStringLiteral("addLanesConnection"),
                 QStringLiteral(":/trelvoga/cursors/add_conn_cursor.png"), 0, 0)
    {
    }

    void leave() override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::Lane *firstLane() const { return m_firstLane; }

    // The speed limit through a turn (km/h): a connection turning by 30 to 330 degrees.
    static constexpr double turnSpeed = 20.0;
    // The maximum speed of a connection from `from` turning by angle degrees ([0, 360)).
    static double connectionSpeed(const Trelvoa::Lane *from, double angle);

private:
    void reset();

    QPointer<Trelvoa::Lane> m_firstLane;
};

} // namespace Trelvoga
