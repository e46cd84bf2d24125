#pragma once
// The parts of the records that the structured editors own, named as the
// window shows them: display slots, palette colours, colour roles, hot-menu
// rows, tare points, voice-warning modes and the extra-systems selection.
// The layouts are tables (ItemAreas below and the role, warning and system
// tables they use); RecordItems() walks them into one list of items, each
// with its bytes, its name in both languages and how its value is shown. The
// comparison names every change in these bytes by its item.
#include "editor/EditorContext.h"
#include "editor/FieldTable.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tc {

class SettingsModel;

// How an item's bytes are shown.
enum class ItemValue : std::uint8_t {
    Slot,     // a display slot: the caption its picker offers for the code
    Colour,   // a packed palette colour: "R,G,B", levels 0..31
    Unsigned, // a number (one or two bytes)
    Signed,   // a signed number (one or two bytes)
    Menu,     // a hot-menu row: the menu item's caption, empty when free
    Voice,    // a warning's modes: "Б/Н", or one letter for a one-mode warning
    Selected, // an extra system's bit: selected or not
    Show,     // which systems the unit shows: all or the protocol's
    List,     // how it shows them: as a list or by types
};

// A run of items: `groups` groups of `count` items, `width` bytes each.
struct ItemArea {
    Page page{};
    std::string key{};           // an item's key adds ".G.N" (or ".N" for one group), both from 1
    std::span<const std::string_view> groupKeys{}; // ".day" rather than ".1"
    Text caption{};              // the area's name, first in an item's name; may be empty
    Text groupWord{};            // a numbered group ("Дисплей 2"), unless groupNames name them
    std::span<const Text> groupNames{};
    Text tag{};                  // after the group: "x4"; may be empty
    Text itemWord{};             // "поле 3", "строка 3"
    Text suffix{};               // after the item: "литры"; may be empty
    int record = 0;
    int offset = 0;
    int groups = 1;
    int groupStride = 0;
    int count = 1;
    int stride = 1;
    int width = 1;
    ItemValue value = ItemValue::Unsigned;
    int layout = -1;   // ItemValue::Slot: the DisplayLayout
    int firstItem = 1; // the number of item 0, in its name and key (the palette counts from 0)
};
std::span<const ItemArea> ItemAreas();

struct RecordItem {
    Page page;
    std::string key;
    std::string name[2]; // Russian, English: "Дисплей 2 · x4 · поле 3"
    int record = 0;
    int offset = 0;
    int width = 1;
    std::uint8_t mask = 0xFF; // for a one-byte item, the bits it owns
    ItemValue value = ItemValue::Unsigned;
    int layout = -1, group = 0, index = 0; // what a slot's picker needs

    const std::string& Name(bool english) const { return name[english ? 1 : 0]; }
};
// Every item of every area, in page order.
std::span<const RecordItem> RecordItems();

// The item's value as the window shows it, in the context's language.
std::string ItemText(const RecordItem& item, const SettingsModel& model, const EditorContext& ctx);

// Whether the item's bytes differ between two records of its number.
bool ItemDiffers(const RecordItem& item, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

} // namespace tc
