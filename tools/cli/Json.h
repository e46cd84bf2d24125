#pragma once
// The --json output of tripconf-cli: one document on standard output.
#include <nlohmann/json.hpp>

#include <iostream>

namespace tc::cli {

using Json = nlohmann::ordered_json;

// Prints the document, indented, in UTF-8 (a byte that is no UTF-8 becomes U+FFFD).
inline void PrintJson(const Json& document)
{
    std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

} // namespace tc::cli
