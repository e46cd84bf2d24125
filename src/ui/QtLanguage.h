#pragma once
// Qt's own texts (the standard buttons of message boxes, the file dialogs,
// the context menus of edit fields) in the program's language: Debian's Qt
// translations (package qt6-translations-l10n), found through QLibraryInfo.
#include "common/Language.h"

#include <QString>

namespace tc::ui {

// Installs Qt's Russian translations for Russian and removes them for
// English. Returns false when Russian was asked for and no translation was
// found (Qt's texts then stay English).
bool ApplyQtLanguage(Language language);

// The folder searched for Qt's translations.
QString QtTranslationsFolder();

} // namespace tc::ui
