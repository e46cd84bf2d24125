#pragma once
// The language of the user's texts, as a value: whoever asks for a text says
// in which language. The file access, the catalogs and the settings model take
// it as a value. The link, journals, preview and editor layers and the windows
// still pick theirs from the process-wide EnglishVersion (through
// CurrentLanguage() or the two-text Tr), which only the main window and the
// tools set; they are to take it as a value too.
#include <string>
#include <string_view>

namespace tc {

enum class Language { Russian, English };

inline bool IsEnglish(Language language) { return language == Language::English; }

inline Language LanguageOf(bool english) { return english ? Language::English : Language::Russian; }

// Picks the text of the given language.
inline std::string Tr(Language language, std::string_view russian, std::string_view english)
{
    return std::string(IsEnglish(language) ? english : russian);
}

extern bool EnglishVersion;

inline Language CurrentLanguage() { return LanguageOf(EnglishVersion); }

inline std::string Tr(std::string_view russian, std::string_view english)
{
    return Tr(CurrentLanguage(), russian, english);
}

} // namespace tc
