// The demand dialogs: OD matrices and traffic states, created and changed from the editor.
#include "editor/netedit.h"
#include "editor/neteditprivate.h"

namespace Trelvoga {

Trelvoa::NetObject *NetEdit::createOdMatix()
{
    return nullptr;
}

Trelvoa::NetObject *NetEdit::createTrafficState()
{
    return nullptr;
}

void NetEdit::editOdMatrix(Trelvoa::OdMatrix *)
{
}

void NetEdit::editTrafficState(Trelvoa::TrafficState *)
{
}

void NetEdit::changeODMatrix()
{
}

void NetEdit::changeTrafficState()
{
}

} // namespace Trelvoga
