#include "editor/modes/adddetectormode.h"

#include "detector.h"
#include "detectorgroup.h"

namespace Trelvoga {

void AddDetectorMode::leave()
{
    // The group grew with every detector; it is committed once, as a whole.
    if (m_detector)
        commit(m_detector->detectorGroup());
    m_detector = nullptr;
}

} // namespace Trelvoga
