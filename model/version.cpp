#include "version.h"

namespace Trelvoa {

const char *libraryVersion()
{
    return "0.1.0";
}

} // namespace Trelvoa
