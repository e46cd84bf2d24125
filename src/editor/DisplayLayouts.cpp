#include "editor/DisplayLayouts.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/FindByKey.h"
#include "model/DisplayRecord.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace tc {

namespace {

constexpr LayoutDef Def(DisplayLayout layout, std::string_view key, const DisplaySlots& s)
{
    return {layout, key, s.displays, s.perDisplay, static_cast<int>(s.offset)};
}

constexpr std::array<LayoutDef, 7> kLayouts = {{
    Def(DisplayLayout::X4, "x4", kFourTileSlots),
    Def(DisplayLayout::X9, "x9", kNineTileSlots),
    Def(DisplayLayout::X6, "x6", kBigWithFiveSlots),
    Def(DisplayLayout::X1, "x1", kPanelFieldSlots),
    Def(DisplayLayout::Graph, "graph", kGraphSlots),
    Def(DisplayLayout::Dial, "dial", kDialSlots),
    Def(DisplayLayout::Panel, "panel", kExtraPanelSlots),
}};

constexpr std::array<ShowMaskDef, 7> kShowMasks = {{
    {ShowMask::X1, "x1", 288, 64},
    {ShowMask::X6, "x6", 296, 16},
    {ShowMask::Averages, "averages", 298, 16},
    {ShowMask::X4, "x4", 300, 16},
    {ShowMask::X9, "x9", 302, 16},
    {ShowMask::Dial, "dial", 340, 16},
    {ShowMask::Graph, "graph", 342, 16},
}};

// The cell of n equal parts that position p of a length falls in, never past n - 1.
int Part(int p, int length, int n)
{
    return std::min(static_cast<int>(static_cast<long long>(p) * n / length), n - 1);
}

std::string Tr(bool english, std::string_view ru, std::string_view en)
{
    return std::string(english ? en : ru);
}

} // namespace

std::span<const LayoutDef> DisplayLayouts() { return kLayouts; }

const LayoutDef& LayoutOf(DisplayLayout layout)
{
    for (const LayoutDef& l : kLayouts)
        if (l.layout == layout)
            return l;
    throw std::logic_error("display layout missing from the table");
}

const LayoutDef* FindLayout(std::string_view key)
{
    return FindByKey(kLayouts, key);
}

int SlotOffset(DisplayLayout layout, int display, int field, bool english)
{
    const LayoutDef& l = LayoutOf(layout);
    if (display < 0 || display >= l.displays)
        throw Error(Tr(english, "Нет дисплея №" + std::to_string(display + 1) + " типа " + std::string(l.key),
                       "There is no " + std::string(l.key) + " display #" + std::to_string(display + 1)));
    if (field < 0 || field >= l.fields)
        throw Error(Tr(english, "У дисплея " + std::string(l.key) + " нет поля " + std::to_string(field),
                       "A " + std::string(l.key) + " display has no field " + std::to_string(field)));
    return l.offset + display * l.fields + field;
}

std::optional<int> FieldAt(DisplayLayout layout, int width, int height, int x, int y)
{
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= width || y >= height)
        return std::nullopt;
    switch (layout) {
    case DisplayLayout::X4:
        return Part(x, width, 2) + 2 * Part(y, height, 2);
    case DisplayLayout::X9:
        return Part(x, width, 3) + 3 * Part(y, height, 3);
    case DisplayLayout::X6: {
        // The two big values fill the left column and the top middle; the four
        // small ones the right column and the bottom row.
        switch (Part(x, width, 3) + 3 * Part(y, height, 3)) {
        case 2: return 1;
        case 5: return 2;
        case 6: return 3;
        case 7: return 4;
        case 8: return 5;
        default: return 0;
        }
    }
    case DisplayLayout::X1:
        // Only the bottom panel (the lower three sevenths) holds fields.
        if (7LL * y < 4LL * height)
            return std::nullopt;
        return Part(x, width, 4);
    case DisplayLayout::Graph:
        if (y < 90)
            return 0;
        if (y <= 180)
            return 1;
        return std::nullopt;
    case DisplayLayout::Dial:
        return x < width - 200 ? 0 : 1;
    case DisplayLayout::Panel:
        return Part(y, height, 4);
    }
    return std::nullopt;
}

std::string FormatDayTime(int minutes)
{
    const int m = ((minutes % 1440) + 1440) % 1440;
    char text[6] = {static_cast<char>('0' + m / 600), static_cast<char>('0' + m / 60 % 10), ':',
                    static_cast<char>('0' + m % 60 / 10), static_cast<char>('0' + m % 10), 0};
    return text;
}

int ParseDayTime(std::string_view text, bool english)
{
    const auto blank = [](char c) { return c == ' ' || c == '_' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text == ":")
        return 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto refuse = [&] {
        return Error(Tr(english, "Недопустимое время «" + std::string(text) + "»: введите чч:мм от 00:00 до 23:59",
                        "Invalid time \"" + std::string(text) + "\": enter hh:mm from 00:00 to 23:59"));
    };
    if (text.size() != 5 || text[2] != ':' || !digit(text[0]) || !digit(text[1]) || !digit(text[3]) || !digit(text[4]))
        throw refuse();
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int mins = (text[3] - '0') * 10 + (text[4] - '0');
    if (hours > 23 || mins > 59)
        throw refuse();
    return hours * 60 + mins;
}

namespace {
int CheckedItem(int item)
{
    if (item < 0 || item >= kMethodItems)
        throw std::logic_error("method item out of range");
    return item;
}
} // namespace

std::uint8_t WithBrightnessMethod(std::uint8_t stored, int item)
{
    return static_cast<std::uint8_t>((stored & 0xF0) | CheckedItem(item));
}

std::uint8_t WithColourMethod(std::uint8_t stored, int item)
{
    return static_cast<std::uint8_t>((stored & 0x0F) | (CheckedItem(item) << 4));
}

int BrightnessMethod(std::uint8_t stored) { return stored & 0x0F; }
int ColourMethod(std::uint8_t stored) { return stored >> 4; }

std::span<const ShowMaskDef> ShowMasks() { return kShowMasks; }

const ShowMaskDef* FindShowMask(std::string_view key)
{
    return FindByKey(kShowMasks, key);
}

namespace {
std::uint64_t ReadMask(const ShowMaskDef& mask, std::span<const std::uint8_t> record9)
{
    CheckRange(record9.size(), static_cast<std::size_t>(mask.offset), static_cast<std::size_t>(mask.bits / 8));
    std::uint64_t v = 0;
    for (int i = mask.bits / 8 - 1; i >= 0; --i)
        v = (v << 8) | record9[static_cast<std::size_t>(mask.offset + i)];
    return v;
}
} // namespace

bool ShowBit(const ShowMaskDef& mask, std::span<const std::uint8_t> record9, int bit)
{
    if (bit < 0 || bit >= mask.bits)
        return false;
    return (ReadMask(mask, record9) >> bit) & 1U;
}

void SetShowBit(const ShowMaskDef& mask, std::span<std::uint8_t> record9, int bit, bool shown, bool english)
{
    if (bit < 0 || bit >= mask.bits)
        throw Error(Tr(english, "В маске " + std::string(mask.key) + " нет бита " + std::to_string(bit),
                       "The " + std::string(mask.key) + " mask has no bit " + std::to_string(bit)));
    std::uint64_t v = ReadMask(mask, record9);
    const std::uint64_t b = std::uint64_t{1} << bit;
    v = shown ? (v | b) : (v & ~b);
    for (int i = 0; i < mask.bits / 8; ++i)
        record9[static_cast<std::size_t>(mask.offset + i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace tc
