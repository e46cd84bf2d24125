#include "editor/StructuredKeys.h"

#include "common/Error.h"
#include "editor/EditSession.h"
#include "editor/FieldRows.h"

#include <string>

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

bool ApplyStructuredKey(EditSession& session, std::string_view key, std::string_view value, bool force)
{
    // The page's visibility rules a structured value as it rules a control.
    const std::string_view pageKey = key.substr(0, key.find('.'));
    for (const PageDef& p : EditorPages())
        if (p.key == pageKey && !force && !session.PageShown(p.page)) {
            const auto& ctx = session.Context();
            const std::string caption(p.caption.Pick(ctx.english));
            throw Error(ctx.Tr("Страница «" + caption + "» скрыта для этой модели: «" + std::string(key) + "» не задать",
                               "The page \"" + caption + "\" is hidden for this model: \"" + std::string(key) + "\" cannot be set"));
        }
    for (const StructuredKey& k : StructuredKeys())
        if (k.apply(session, key, value))
            return true;
    return false;
}

} // namespace tc
