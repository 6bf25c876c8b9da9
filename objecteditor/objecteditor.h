#pragma once

#include "objecteditor_global.h"

#include <QString>

namespace ObjectEditor {

// Installs the widget's translations ("objecteditor_<locale>.qm"), replacing the ones installed by an
// earlier call. path: empty for the system locale's file in the application directory, a directory to
// search for the system locale's file, or the translation file itself. Returns false, leaving the
// installed translations as they were, when nothing loads.
OBJECTEDITOR_EXPORT bool loadTranslations(const QString &path = QString());

} // namespace ObjectEditor
