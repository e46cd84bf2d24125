#pragma once
// Values of the structured editors (palettes, display slots, hot menus, voice
// modes, tare rows, extra systems) typed as KEY=VALUE, the way the command
// line sets them: "display.palette.day.3=31,0,0". Each area's handlers live
// with its rows; every one stores through the edit session's Apply, the same
// core the window's panels use.
#include <span>
#include <string_view>

namespace tc {

class EditSession;

struct StructuredKey {
    std::string_view pattern; // as help shows it: "display.palette.day|night.N"
    std::string_view value;   // what VALUE looks like: "R,G,B (0..31 each)"
    // True when the handler takes the key; a bad value throws tc::Error and stores nothing.
    bool (*apply)(EditSession& session, std::string_view key, std::string_view value);
};

// Every area's handlers.
std::span<const StructuredKey> StructuredKeys();
// Runs the handler that takes `key`; false when none does. A key of a page the
// model does not show is refused (tc::Error) unless `force`.
bool ApplyStructuredKey(EditSession& session, std::string_view key, std::string_view value, bool force = false);

} // namespace tc
