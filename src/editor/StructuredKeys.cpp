#include "editor/StructuredKeys.h"

#include "editor/FieldRows.h"

#include <vector>

namespace tc {

std::span<const StructuredKey> StructuredKeys()
{
    static const std::vector<StructuredKey> all = [] {
        std::vector<StructuredKey> keys;
        for (auto area : {rows::DisplayKeys(), rows::VoiceKeys(), rows::ServiceKeys()})
            keys.insert(keys.end(), area.begin(), area.end());
        return keys;
    }();
    return all;
}

bool ApplyStructuredKey(EditSession& session, std::string_view key, std::string_view value)
{
    for (const StructuredKey& k : StructuredKeys())
        if (k.apply(session, key, value))
            return true;
    return false;
}

} // namespace tc
