#include "ui/Text.h"

namespace tc::ui {

// Until every layer takes its language as a value, the windows' language is
// the process-wide switch the tools set too.
Language WindowLanguage() { return LanguageOf(EnglishVersion); }

void SetWindowLanguage(Language language) { EnglishVersion = IsEnglish(language); }

} // namespace tc::ui
