#pragma once

#include <QtCore/qglobal.h>

#if defined(TRELVOGA_LIBRARY)
#define TRELVOGA_EXPORT Q_DECL_EXPORT
#else
#define TRELVOGA_EXPORT Q_DECL_IMPORT
#endif
