#include "editor/modes/addtazmode.h"

#include "taz.h"

namespace Trelvoga {

void AddTazMode::leave()
{
    commit(m_taz);
    m_taz = nullptr;
}

} // namespace Trelvoga
