#include "sumo/sumonet.h"

#include "network.h"

namespace Trelvoa {

// Placeholder until the converter is written: every conversion fails with a message.
std::shared_ptr<SUMONet> Network::toSUMO()
{
    setErrorString(tr("The SUMO export is not available yet"));
    return nullptr;
}

} // namespace Trelvoa
