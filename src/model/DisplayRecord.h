#pragma once
// Record 9, the display settings, by offset: the parameter code shown in each
// display slot, the two colour schemes with their colour roles, and the hot
// menus. The model fills it with defaults; the previews and the editor read it.
#include <array>
#include <cstddef>
#include <cstdint>

namespace tc {

constexpr int kDisplayRecord = 9;

// A run of displays of one kind, each showing `perDisplay` one-byte codes.
struct DisplaySlots {
    std::size_t offset;
    int displays;
    int perDisplay; // codes per display
    // The record offset of a slot; display and slot count from 0.
    constexpr std::size_t Slot(int display, int slot) const
    {
        return offset + static_cast<std::size_t>(display * perDisplay + slot);
    }
    constexpr std::size_t End() const { return Slot(displays, 0); }
};

constexpr DisplaySlots kFourTileSlots{12, 6, 4};     // the x4 screens
constexpr DisplaySlots kBigWithFiveSlots{36, 2, 6};  // the x6 screens
constexpr DisplaySlots kNineTileSlots{48, 3, 9};     // the x9 screens
constexpr DisplaySlots kPanelFieldSlots{76, 1, 4};   // the x1 panel model's four fields, signed (-1 empty)
constexpr DisplaySlots kGraphSlots{308, 8, 2};       // upper and lower graph
constexpr DisplaySlots kDialSlots{324, 8, 2};        // left and right dial
constexpr DisplaySlots kExtraPanelSlots{404, 1, 4};  // extra-panel item numbers
static_assert(kFourTileSlots.End() == kBigWithFiveSlots.offset && kBigWithFiveSlots.End() == kNineTileSlots.offset);

// The two colour schemes (0 day, 1 night): 16 packed colours at scheme bytes
// 0..31, then the colour roles.
constexpr std::size_t kColourSchemeSize = 56;
constexpr std::size_t kSchemeOffset[2] = {80, 136};
constexpr int kPaletteSize = 16;

// Scheme bytes 32..55: the palette entry each part of the screen is drawn in.
enum class ColourRole : std::uint8_t {
    ValueInk = 32,
    ValuePaper = 33,
    CaptionInk = 34,
    CaptionPaper = 35,
    Separator = 36,
    MenuActiveInk = 37,
    MenuActivePaper = 38,
    GraphAxes = 40,
    GraphBack = 41,
    Graph1 = 42,
    Graph2 = 43,
    GraphTitlesBack = 44,
    DialBack = 45,
    DialTitles = 46,
    LeftDial = 47,
    RightDial = 48,
    LeftScale = 49,
    RightScale = 50,
    LeftArrow = 51,
    RightArrow = 52,
    DialTitlesBack = 53,
    HighConsumptionScale = 54,
    BottomPanel = 55,
};
constexpr std::size_t SchemeByte(ColourRole role)
{
    return static_cast<std::size_t>(role);
}

// The hot menus: three lists of ten 16-bit menu-item codes.
constexpr std::array<std::size_t, 3> kHotMenuOffsets = {196, 216, 236};
constexpr int kHotMenuSlots = 10;

} // namespace tc
