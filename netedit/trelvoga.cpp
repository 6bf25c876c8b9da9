#include "trelvoga.h"

namespace Trelvoga {

const char *libraryVersion()
{
    return "0.1.0";
}

} // namespace Trelvoga
