#pragma once

#include "editor/modes/abstracteditmode.h"
#include "editor/modes/routebuilding.h"

#include "lane.h"
#include "route.h"

#include <QPointer>

namespace Trelvoga {

// Builds a route from control edges picked on lanes; leaving commits it (or drops it without any).
class TRELVOGA_EXPORT AddRouteMode : public AbstractEditMode
{
public:
    explicit AddRouteMode(EditContext *context)
        : AbstractEditMode(context, ModeAddRoute, QStringLiteral("addRoute"),
                           QStringLiteral(":/trelvoga/cursors/add_route.png"), 0, 0)
    {
    }

    void leave() override
    {
        m_route.finish(context());
        m_lane = nullptr;
    }
    // The lane under the cursor is highlighted.
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    // A lane's edge starts the route or becomes its next control edge.
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;
    // Backspace takes the last control edge back.
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers) override;

    // The route under construction (already in the network), or null.
    Trelvoa::Route *route() const { return m_route.route(); }
    void setRoute(Trelvoa::Route *route) { m_route.set(route); }

private:
    RouteUnderConstruction m_route;
    QPointer<Trelvoa::Lane> m_lane; // the lane under the cursor
};

} // namespace Trelvoga
