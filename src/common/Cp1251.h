#pragma once
// Conversion between UTF-8 (the core's strings) and the Windows Cyrillic code
// page (what the device stores in names and what its fonts index).
#include <string>
#include <string_view>

namespace tc {

// Characters without a code-page byte become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);

} // namespace tc
