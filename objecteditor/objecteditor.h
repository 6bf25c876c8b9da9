#pragma once

#include "objecteditor_global.h"

#include <QString>

namespace ObjectEditor {

// Installs the widget's translations for the given locale name ("de_DE"; empty: the system locale).
// Returns false when no translation exists for it, which leaves the texts in English.
OBJECTEDITOR_EXPORT bool loadTranslations(const QString &locale = QString());

} // namespace ObjectEditor
