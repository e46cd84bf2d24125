#include "editor/FieldRows.h"

#include "editor/Rules.h"

namespace tc::rows {

std::span<const Field> Service()
{
    return {};
}

} // namespace tc::rows
