#pragma once
// The language of the user's texts, as a value: whoever asks for a text says
// in which language. No layer keeps a language of its own: the core is given
// it (a file access, a settings model, a port when it is opened, a transfer
// through its observer, the journals' number format, the previews' inputs,
// the edit session's context); the windows hold the one the user chose
// (src/ui/Text.h) and hand it down; the tools take theirs from --english.
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

} // namespace tc
