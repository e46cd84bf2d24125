#include "common/Error.h"

#include "common/Language.h"

namespace tc {

std::string InternalErrorText(const std::exception& e, Language language)
{
    return Tr(language, "Внутренняя ошибка программы: ", "Internal error of the program: ") + e.what();
}

} // namespace tc
