#include "scene/netobjectfactory.h"

namespace Trelvoga {

NetObjectFactory::~NetObjectFactory() = default;

} // namespace Trelvoga
