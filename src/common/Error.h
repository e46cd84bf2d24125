#pragma once
// The one error type of the core: it carries the ready user text that the
// outermost handler of a user action shows.
#include <stdexcept>
#include <string>

namespace tc {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& userText) : std::runtime_error(userText) {}
};

} // namespace tc
