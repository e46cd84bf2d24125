#pragma once
// The one error type of the core: it carries the ready user text that the
// outermost handler of a user action shows. Any other exception that reaches
// that handler is a fault of the program and is shown as InternalErrorText.
#include "common/Language.h"

#include <stdexcept>
#include <string>

namespace tc {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& userText) : std::runtime_error(userText) {}
};

// The text for an exception that is not a tc::Error (an out-of-range access,
// a broken assumption): says that the program failed, with the detail.
std::string InternalErrorText(const std::exception& e, Language language);

} // namespace tc
