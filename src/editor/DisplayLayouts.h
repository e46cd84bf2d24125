#pragma once
// The display layouts of record 9 as data, and the small pure edits of the
// display page: which field a click on a preview lands in, the record offset
// of every display slot, the brightness times and the brightness and
// colour-method nibbles. Nothing here reads a window or writes on its own.
#include "catalogs/ModelFeatures.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tc {

// The kinds of display whose slots hold one byte each in record 9.
enum class DisplayLayout : std::uint8_t {
    X4,    // 6 displays of 4 fields (2 x 2)
    X9,    // 3 displays of 9 fields (3 x 3)
    X6,    // 2 displays of 6 fields on a 3 x 3 grid
    X1,    // the bottom panel of the single display: 4 fields, signed codes
    Graph, // 8 displays, field 0 the upper graph, 1 the lower one (0 = absent)
    Dial,  // 8 pointer displays, field 0 the left pointer, 1 the right one
    Panel, // the extra panel: 4 rows of item numbers
};

struct LayoutDef {
    DisplayLayout layout;
    std::string_view key; // "x4", "graph": what a user types on the command line
    int displays = 1;
    int fields = 1;
    int offset = 0; // record 9 offset of display 0, field 0; display d starts at offset + d * fields
};
std::span<const LayoutDef> DisplayLayouts();
const LayoutDef& LayoutOf(DisplayLayout layout);
// nullptr for an unknown key.
const LayoutDef* FindLayout(std::string_view key);

// Record 9 offset of one slot; throws tc::Error (in the given language) for a
// display or field the layout does not have.
int SlotOffset(DisplayLayout layout, int display, int field, bool english = false);

// The field of a display under a click at (x, y) on its preview of the given
// size, or nothing when the click lies outside the picture or outside the
// part that picks a field. Every pixel maps to a field of this display: the
// grids divide as x * n / width, limited to n - 1.
std::optional<int> FieldAt(DisplayLayout layout, int width, int height, int x, int y);

// Brightness switching times, stored as signed 16-bit minutes after midnight.
// Shown "hh:mm"; a value outside a day (a blank -1, anything past 23:59) is
// shown as its time of day, -1 as 23:59.
std::string FormatDayTime(int minutes);
// "07:30" is 450. A blank text (also the edit's empty mask "  :  ") is 0. Hours
// above 23, minutes above 59 or any other text throw tc::Error and store nothing.
int ParseDayTime(std::string_view text, bool english = false);

// Offset 283 of record 9: brightness method in bits 0..3, colour-scheme method
// in bits 4..7, each an item index: 0 manual, 1 by time, 2 by the parking lights.
constexpr int kMethodItems = 3;
std::uint8_t WithBrightnessMethod(std::uint8_t stored, int item);
std::uint8_t WithColourMethod(std::uint8_t stored, int item);
int BrightnessMethod(std::uint8_t stored);
int ColourMethod(std::uint8_t stored);

// The display-rotation masks of record 9: bit n set shows display n.
enum class ShowMask : std::uint8_t { X1, X6, Averages, X4, X9, Dial, Graph };
struct ShowMaskDef {
    ShowMask mask;
    std::string_view key; // "x1", "averages"
    int offset = 0;
    int bits = 16;
};
std::span<const ShowMaskDef> ShowMasks();
const ShowMaskDef* FindShowMask(std::string_view key);
// Reading and setting one bit; the others keep their values. A bit past the
// mask throws tc::Error.
bool ShowBit(const ShowMaskDef& mask, std::span<const std::uint8_t> record9, int bit);
void SetShowBit(const ShowMaskDef& mask, std::span<std::uint8_t> record9, int bit, bool shown, bool english = false);

} // namespace tc
