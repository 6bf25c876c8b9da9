#pragma once

#include <QtCore/qglobal.h>

#if defined(TRELVOA_LIBRARY)
#define TRELVOA_EXPORT Q_DECL_EXPORT
#else
#define TRELVOA_EXPORT Q_DECL_IMPORT
#endif
