#pragma once

#include "trelvoga_global.h"

namespace Trelvoga {

// Version of the graphical editor library.
TRELVOGA_EXPORT const char *libraryVersion();

} // namespace Trelvoga
