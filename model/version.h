#pragma once

#include "trelvoa_global.h"

namespace Trelvoa {

// Version of the model library; network files record it so that later versions can read older files.
TRELVOA_EXPORT const char *libraryVersion();

} // namespace Trelvoa
