// Granules, signal groups and route recalculation of the context menus.
#include "editor/netedit.h"

#include "editor/neteditprivate.h"

namespace Trelvoga {

void NetEdit::createGranule() {}
void NetEdit::addJunctionToGranule() {}
void NetEdit::removeJunctionFromGranule() {}
void NetEdit::createSg() {}
void NetEdit::changeSgContent() {}
void NetEdit::selectSg() {}
void NetEdit::recalculateSelectedRoutes() {}

} // namespace Trelvoga
