#pragma once

#include <QtCore/qglobal.h>

#if defined(OBJECTEDITOR_LIBRARY)
#define OBJECTEDITOR_EXPORT Q_DECL_EXPORT
#else
#define OBJECTEDITOR_EXPORT Q_DECL_IMPORT
#endif
