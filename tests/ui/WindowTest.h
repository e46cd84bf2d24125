#pragma once
// What window tests share: the windows' language for the length of a test.
#include "common/Language.h"
#include "ui/Text.h"

namespace tc::ui {

// Sets the windows' language when made and puts back Russian, the language
// a fresh start begins in, when gone: however a test ends (a failed check
// returns early), the next one starts in Russian. Hold one in a test that
// builds windows in another language, instead of init()/cleanup() slots:
//     const WindowLanguageScope language(LanguageOf(english));
class WindowLanguageScope {
public:
    explicit WindowLanguageScope(Language language = Language::Russian) { SetWindowLanguage(language); }
    ~WindowLanguageScope() { SetWindowLanguage(Language::Russian); }
    WindowLanguageScope(const WindowLanguageScope&) = delete;
    WindowLanguageScope& operator=(const WindowLanguageScope&) = delete;
};

} // namespace tc::ui
