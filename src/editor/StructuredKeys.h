#pragma once
// Values of the structured editors (palettes, display slots, hot menus, voice
// modes, tare rows, extra systems) typed as KEY=VALUE, the way the command
// line sets them: "display.palette.day.3=31,0,0". Each area's handlers live
// with its rows; every one stores through the edit session's Apply, the same
// core the window's panels use.
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tc {

class EditSession;

// A key taken apart by the pattern of the row that takes it.
struct KeyParts {
    std::string_view key;                // the whole key, for messages
    std::vector<std::string_view> parts; // the pattern's parts, in its order
    std::string_view operator[](std::size_t i) const { return parts[i]; }
};

// A row's pattern, as help shows it ("display.palette.day|night.N"), is words
// between dots. A word in small letters stands for itself; a word in capitals
// (N, NAME, ROLE) and a choice of words (day|night) are the key's parts,
// handed to the handler in order. The last part takes the rest of the key,
// dots included ("display.role.day.digital.frame": ROLE "digital.frame").
// A choice takes any word, which the handler checks and refuses naming the
// choices, unless the row fixes its choices: then only its words fit.
struct StructuredKey {
    std::string_view pattern; // "display.palette.day|night.N"
    std::string_view value;   // what VALUE looks like: "R,G,B (0..31 each)"
    // Takes a key that fits the pattern; a bad part or value throws tc::Error and stores nothing.
    void (*apply)(EditSession& session, const KeyParts& key, std::string_view value);
    bool fixedChoices = false;
};

// The parts of `key` by the row's pattern; none when it does not fit.
std::optional<KeyParts> MatchKey(const StructuredKey& row, std::string_view key);

// Every area's handlers.
std::span<const StructuredKey> StructuredKeys();
// Runs the handler of the first row that `key` fits; false when none does. A
// key of a page the model does not show is refused (tc::Error) unless `force`.
bool ApplyStructuredKey(EditSession& session, std::string_view key, std::string_view value, bool force = false);

} // namespace tc
