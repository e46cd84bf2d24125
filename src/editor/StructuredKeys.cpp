#include "editor/StructuredKeys.h"

#include "common/Error.h"
#include "editor/EditSession.h"
#include "editor/FieldRows.h"

#include <string>
#include <vector>

namespace tc {

namespace {

// The words of `text` between dots; at most `count`, the last taking the rest.
std::vector<std::string_view> Words(std::string_view text, std::size_t count)
{
    std::vector<std::string_view> words;
    while (words.size() + 1 < count) {
        const auto dot = text.find('.');
        if (dot == std::string_view::npos)
            break;
        words.push_back(text.substr(0, dot));
        text.remove_prefix(dot + 1);
    }
    words.push_back(text);
    return words;
}

bool IsPart(std::string_view word)
{
    return word.find('|') != std::string_view::npos || (!word.empty() && word.front() >= 'A' && word.front() <= 'Z');
}

// Whether `word` is one of "a|b|c".
bool IsChoice(std::string_view choices, std::string_view word)
{
    for (;;) {
        const auto bar = choices.find('|');
        if (choices.substr(0, bar) == word)
            return true;
        if (bar == std::string_view::npos)
            return false;
        choices.remove_prefix(bar + 1);
    }
}

} // namespace

std::optional<KeyParts> MatchKey(const StructuredKey& row, std::string_view key)
{
    const auto pattern = Words(row.pattern, std::string_view::npos);
    const auto words = Words(key, pattern.size());
    if (words.size() != pattern.size())
        return std::nullopt;
    KeyParts match{key, {}};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (!IsPart(pattern[i])) {
            if (words[i] != pattern[i])
                return std::nullopt;
            continue;
        }
        if (row.fixedChoices && pattern[i].find('|') != std::string_view::npos && !IsChoice(pattern[i], words[i]))
            return std::nullopt;
        match.parts.push_back(words[i]);
    }
    return match;
}

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
            const std::string caption(p.caption.Pick(ctx.language));
            throw Error(Tr(ctx.language, "Страница «" + caption + "» скрыта для этой модели: «" + std::string(key) + "» не задать",
                               "The page \"" + caption + "\" is hidden for this model: \"" + std::string(key) + "\" cannot be set"));
        }
    for (const StructuredKey& row : StructuredKeys())
        if (const auto match = MatchKey(row, key)) {
            row.apply(session, *match, value);
            return true;
        }
    return false;
}

} // namespace tc
