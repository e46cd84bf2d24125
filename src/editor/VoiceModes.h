#pragma once
// How the trip computer announces each warning: one byte per warning slot in
// record 8, the first announcement's mode in bits 0..2 and the following
// announcements' mode in bits 3..5. The warning rows of the voice page, what
// each shows and how it stores, without a window.
#include "editor/FieldTable.h"

#include <span>
#include <string>
#include <string_view>

namespace tc {

class SettingsModel;

namespace voice {

constexpr int kModeRecord = 8;
constexpr int kModeCount = 5; // "О", "Н", "Б", "М", "Г"
// The modes' letters in both languages, in stored order.
std::span<const Text> ModeLetters();
// "М" and "Г" need volume control.
bool ModeEnabled(int mode, const RuleInput& in);

struct WarningRow {
    std::string_view key; // "speed": typed as voice.mode.speed
    int slot = -1;        // byte of record 8; -1: the row has no slot of its own
    bool paired = true;   // false: one group, the same mode for every announcement
    Text label;
    CaptionRule labelRule = nullptr; // a label that depends on the protocol
    Rule visible = nullptr;          // nullptr: always shown
    Rule stores = nullptr;           // nullptr: always stores (when it has a slot)
};
// The rows in the order the page shows them.
std::span<const WarningRow> WarningRows();
const WarningRow* FindWarningRow(std::string_view key);

struct ShownWarning {
    const WarningRow* row = nullptr;
    std::string label;
    bool visible = true;
    bool enabled = true; // false: the row cannot store (no slot, or not for this protocol)
    int first = -1;      // the selected mode, -1: none (no slot, or bits outside 0..4)
    int next = -1;       // paired rows only
};
ShownWarning ShowWarning(const WarningRow& row, const RuleInput& in);

// Stores a row's modes into its slot: first | next << 3, or first * 9 for a
// one-group row. A mode of -1 (a group with nothing selected) stores nothing
// and returns false. Throws tc::Error, storing nothing, for a row that cannot
// store here, a mode outside 0..4 or a mode the device cannot play.
bool StoreWarning(SettingsModel& model, const WarningRow& row, int first, int next, const EditorContext& ctx);

// A mode typed as its letter in either language ("Б", "B") or its number 0..4; -1 for anything else.
int ParseMode(std::string_view text);

} // namespace voice
} // namespace tc
