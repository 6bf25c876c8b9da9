// Measured traffic counts of a junction.
#include "editor/netedit.h"

#include "editor/neteditprivate.h"

namespace Trelvoga {

void NetEdit::editMeasurementData()
{
}

} // namespace Trelvoga
