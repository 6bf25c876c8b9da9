#include "editor/modes/routebuilding.h"

#include "commands/genericcommands.h"
#include "editor/editcontext.h"

#include "route.h"

namespace Trelvoga {

void RouteUnderConstruction::finish(EditContext *context)
{
    Trelvoa::Route *route = m_route;
    m_route = nullptr;
    if (!route)
        return;
    if (context->itemOf(route) && context->itemOf(route) == context->highlighted())
        context->setHighlighted(nullptr);
    if (route->controlEdges().isEmpty()) {
        delete route;
        return;
    }
    NetEdit *edit = context->edit();
    context->record([edit, route] { return new AddItemCommand(edit, route); });
}

} // namespace Trelvoga
