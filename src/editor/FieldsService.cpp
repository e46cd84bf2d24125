#include "editor/FieldRows.h"

#include "editor/Rules.h"

namespace tc::rows {

std::span<const Field> Service()
{
    return {};
}

std::span<const StructuredKey> ServiceKeys()
{
    return {};
}

} // namespace tc::rows
