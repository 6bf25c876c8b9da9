#pragma once

#include "route.h"

#include <QPointer>

namespace Trelvoga {

class EditContext;

// A route under construction, shared by the modes that build one. It is in the network from the first
// control edge on; finishing commits it, or deletes it when it has no control edge.
class RouteUnderConstruction
{
public:
    Trelvoa::Route *route() const { return m_route; }
    void set(Trelvoa::Route *route) { m_route = route; }
    // Ends the highlight, then commits or deletes; the route is let go either way.
    void finish(EditContext *context);

private:
    QPointer<Trelvoa::Route> m_route;
};

} // namespace Trelvoga
