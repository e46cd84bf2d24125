#include "editor/FieldRows.h"

#include "editor/Rules.h"

namespace tc::rows {

std::span<const Field> Display()
{
    return {};
}

std::span<const StructuredKey> DisplayKeys()
{
    return {};
}

} // namespace tc::rows
