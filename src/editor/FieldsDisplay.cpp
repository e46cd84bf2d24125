#include "editor/FieldRows.h"

#include "editor/Rules.h"

namespace tc::rows {

std::span<const Field> Display()
{
    return {};
}

} // namespace tc::rows
