#pragma once
// Finding a setting by what a user remembers of it: any part of its caption
// in either language, of its group box's caption, or of its key, letters
// matched regardless of case (Latin and Cyrillic).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// Indices into EditorFields() of the matching controls, in table order; none for an empty query.
std::vector<std::size_t> FindSettings(std::string_view query);

// The text as compared: lower case, Latin and Cyrillic.
std::string FoldCase(std::string_view utf8);

} // namespace tc
