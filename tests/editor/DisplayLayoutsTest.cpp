// The display page's pure edits: every click on every preview lands in a
// field of that display, every slot lies in its display's bytes, the times
// and the method nibbles round-trip, and the show masks change one bit.
#include "common/Error.h"
#include "editor/DisplayLayouts.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tc {
namespace {

constexpr std::size_t kRecord9Size = kRecordSizes[8];

TEST(DisplayLayouts, EveryPixelOfEveryBoxMapsToAFieldOfThatDisplay)
{
    // Widths and heights that are and are not multiples of 2, 3, 4 and 7.
    const std::vector<std::pair<int, int>> sizes = {{320, 240}, {318, 237}, {321, 241}, {319, 242}, {161, 121}, {7, 5}, {1, 1}};
    for (const LayoutDef& l : DisplayLayouts()) {
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(std::string(l.key) + " " + std::to_string(w) + "x" + std::to_string(h));
            std::set<int> seen;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const auto f = FieldAt(l.layout, w, h, x, y);
                    if (!f)
                        continue;
                    ASSERT_GE(*f, 0);
                    ASSERT_LT(*f, l.fields);
                    seen.insert(*f);
                }
            for (int f : seen)
                for (int d = 0; d < l.displays; ++d) {
                    const int off = SlotOffset(l.layout, d, f);
                    ASSERT_GE(off, l.offset + d * l.fields);
                    ASSERT_LT(off, l.offset + (d + 1) * l.fields);
                }
            if (w >= 320 && h >= 240) {
                EXPECT_EQ(static_cast<int>(seen.size()), l.fields) << "a field no click reaches";
            }
            // Outside the picture nothing is picked.
            for (auto [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {w, 0}, {0, h}, {w, h}})
                EXPECT_FALSE(FieldAt(l.layout, w, h, x, y));
        }
        EXPECT_FALSE(FieldAt(l.layout, 0, 240, 0, 0));
    }
}

TEST(DisplayLayouts, SlotsFillTheirBlocksOfRecord9WithoutOverlap)
{
    std::map<int, std::string> owner;
    for (const LayoutDef& l : DisplayLayouts())
        for (int d = 0; d < l.displays; ++d)
            for (int f = 0; f < l.fields; ++f) {
                const int off = SlotOffset(l.layout, d, f);
                EXPECT_TRUE(owner.emplace(off, l.key).second) << l.key << " overlaps " << owner[off] << " at " << off;
                EXPECT_LT(static_cast<std::size_t>(off), kRecord9Size);
                // Never the colour schemes (80..191) or the hot menus (196..275).
                EXPECT_FALSE(off >= 80 && off < 276) << l.key << " at " << off;
            }
    for (const LayoutDef& l : DisplayLayouts()) {
        EXPECT_THROW(SlotOffset(l.layout, l.displays, 0), Error);
        EXPECT_THROW(SlotOffset(l.layout, 0, l.fields), Error);
        EXPECT_THROW(SlotOffset(l.layout, -1, 0), Error);
        EXPECT_EQ(FindLayout(l.key), &l);
    }
    EXPECT_EQ(FindLayout("x5"), nullptr);
}

TEST(DisplayLayouts, ClicksLandWhereTheUserPointed)
{
    struct Case {
        DisplayLayout layout;
        int w, h, x, y;
        int field; // -1: nothing
    };
    const Case cases[] = {
        {DisplayLayout::X4, 320, 240, 10, 200, 2},  // lower left
        {DisplayLayout::X4, 320, 240, 160, 119, 1}, // upper right
        {DisplayLayout::X4, 321, 241, 320, 240, 3}, // the last pixel of an odd box
        {DisplayLayout::X9, 320, 240, 318, 0, 2},   // the last columns stay in the display
        {DisplayLayout::X9, 320, 240, 319, 239, 8},
        {DisplayLayout::X9, 320, 240, 107, 80, 4},
        {DisplayLayout::X6, 320, 240, 300, 120, 2}, // middle right
        {DisplayLayout::X6, 320, 240, 300, 10, 1},
        {DisplayLayout::X6, 320, 240, 160, 10, 0},
        {DisplayLayout::X6, 320, 240, 10, 230, 3},
        {DisplayLayout::X6, 320, 240, 160, 230, 4},
        {DisplayLayout::X6, 320, 240, 319, 239, 5},
        {DisplayLayout::X6, 320, 240, 160, 120, 0},
        {DisplayLayout::X1, 320, 240, 319, 136, -1}, // above the bottom panel
        {DisplayLayout::X1, 320, 240, 0, 138, 0},
        {DisplayLayout::X1, 318, 240, 317, 239, 3},
        {DisplayLayout::Graph, 320, 240, 5, 89, 0},
        {DisplayLayout::Graph, 320, 240, 5, 90, 1},
        {DisplayLayout::Graph, 320, 240, 5, 180, 1},
        {DisplayLayout::Graph, 320, 240, 5, 181, -1},
        {DisplayLayout::Dial, 320, 240, 119, 5, 0},
        {DisplayLayout::Dial, 320, 240, 120, 5, 1},
        {DisplayLayout::Panel, 80, 242, 0, 241, 3}, // the last row of a height not a multiple of 4
        {DisplayLayout::Panel, 80, 240, 0, 59, 0},
        {DisplayLayout::Panel, 80, 240, 0, 60, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(LayoutOf(c.layout).key) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        const auto f = FieldAt(c.layout, c.w, c.h, c.x, c.y);
        EXPECT_EQ(f ? *f : -1, c.field);
    }
    // Code 17 picked in the lower-left quarter of x4 display 3 goes to offset 22.
    EXPECT_EQ(SlotOffset(DisplayLayout::X4, 2, *FieldAt(DisplayLayout::X4, 320, 240, 10, 200)), 22);
}

TEST(DisplayLayouts, DayTimesRoundTripAndRefuseWhatIsNoTime)
{
    for (int m = 0; m < 1440; ++m)
        ASSERT_EQ(ParseDayTime(FormatDayTime(m)), m) << FormatDayTime(m);
    const std::pair<int, const char*> shown[] = {{450, "07:30"}, {1439, "23:59"}, {0, "00:00"}, {-1, "23:59"}, {1500, "01:00"}, {-32768, "05:52"}, {32767, "18:07"}};
    for (auto [stored, text] : shown)
        EXPECT_EQ(FormatDayTime(stored), text) << stored;
    const std::pair<const char*, int> typed[] = {{"07:30", 450}, {" 23:59 ", 1439}, {"", 0}, {"  :  ", 0}, {"__:__", 0}};
    for (auto [text, stored] : typed)
        EXPECT_EQ(ParseDayTime(text), stored) << text;
    for (const char* bad : {"07:60", "24:00", "7:30", "ab:cd", "07:3", "0730", "07-30", "99:99"})
        EXPECT_THROW(ParseDayTime(bad), Error) << bad;
    try {
        ParseDayTime("07:75", true);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid time \"07:75\": enter hh:mm from 00:00 to 23:59");
    }
}

TEST(DisplayLayouts, MethodNibblesKeepEachOther)
{
    // Time for brightness with the parking lights for the colour scheme is 0x21.
    EXPECT_EQ(WithColourMethod(WithBrightnessMethod(0, 1), 2), 0x21);
    for (int start : {0x00, 0xFF, 0x5A, 0x21})
        for (int b = 0; b < kMethodItems; ++b)
            for (int c = 0; c < kMethodItems; ++c) {
                const auto s = static_cast<std::uint8_t>(start);
                const std::uint8_t onlyB = WithBrightnessMethod(s, b);
                EXPECT_EQ(onlyB, (start & 0xF0) | b);
                const std::uint8_t onlyC = WithColourMethod(s, c);
                EXPECT_EQ(onlyC, (start & 0x0F) | (c << 4));
                const std::uint8_t both = WithBrightnessMethod(WithColourMethod(s, c), b);
                EXPECT_EQ(BrightnessMethod(both), b);
                EXPECT_EQ(ColourMethod(both), c);
            }
}

TEST(DisplayLayouts, ShowMaskBoxesChangeTheirBitOnly)
{
    for (const ShowMaskDef& m : ShowMasks()) {
        SCOPED_TRACE(std::string(m.key));
        EXPECT_EQ(FindShowMask(m.key), &m);
        for (std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}})
            for (int bit = 0; bit < m.bits; ++bit) {
                std::vector<std::uint8_t> rec(kRecord9Size, fill);
                const auto before = rec;
                SetShowBit(m, rec, bit, fill == 0);
                for (std::size_t i = 0; i < rec.size(); ++i) {
                    const bool inByte = static_cast<int>(i) == m.offset + bit / 8;
                    ASSERT_EQ(rec[i], inByte ? static_cast<std::uint8_t>(before[i] ^ (1U << (bit % 8))) : before[i]) << bit << " " << i;
                }
                ASSERT_EQ(ShowBit(m, rec, bit), fill == 0);
                SetShowBit(m, rec, bit, fill != 0);
                ASSERT_EQ(rec, before);
            }
        std::vector<std::uint8_t> rec(kRecord9Size, 0);
        EXPECT_THROW(SetShowBit(m, rec, m.bits, true), Error);
        EXPECT_THROW(SetShowBit(m, rec, -1, true), Error);
        EXPECT_FALSE(ShowBit(m, rec, m.bits));
    }
    // The x1 mask is 64 bits wide: box 5 clears bit 5 of all 64, box 63 the top bit.
    std::vector<std::uint8_t> rec(kRecord9Size, 0xFF);
    SetShowBit(*FindShowMask("x1"), rec, 5, false);
    SetShowBit(*FindShowMask("x1"), rec, 63, false);
    EXPECT_EQ(std::vector<std::uint8_t>(rec.begin() + 288, rec.begin() + 296),
              (std::vector<std::uint8_t>{0xDF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
}

} // namespace
} // namespace tc
