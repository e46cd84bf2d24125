#pragma once
// Process-wide language switch: false shows Russian texts, true English ones.
// Only the main window changes it; every text picks its language when built.
#include <string>
#include <string_view>

namespace tc {

extern bool EnglishVersion;

// Picks the text of the current language.
inline std::string Tr(std::string_view russian, std::string_view english)
{
    return std::string(EnglishVersion ? english : russian);
}

} // namespace tc
