#include "editor/modes/addwalkingareamode.h"

#include "walkingarea.h"

namespace Trelvoga {

void AddWalkingAreaMode::leave()
{
    Trelvoa::WalkingArea *area = m_area;
    m_area = nullptr;
    if (!area)
        return;
    if (area->itemCount() == 0)
        delete area;
    else
        commit(area);
}

} // namespace Trelvoga
