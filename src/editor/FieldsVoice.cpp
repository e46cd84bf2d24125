#include "editor/FieldRows.h"

#include "editor/Rules.h"

namespace tc::rows {

std::span<const Field> Voice()
{
    return {};
}

std::span<const StructuredKey> VoiceKeys()
{
    return {};
}

} // namespace tc::rows
