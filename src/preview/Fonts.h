#pragma once
// The four fixed bitmap fonts of the display: two text fonts (8 x 16 and
// 16 x 32, codes 32..127 and the Cyrillic letters 192..255 of the Windows
// Cyrillic code page) and two digit fonts (32 x 64 and 40 x 80) for big values.
#include <cstdint>
#include <span>

namespace tc {

struct BitmapFont {
    int width = 0;  // cell width in pixels, a multiple of 8
    int height = 0; // cell height in pixels
    int glyphCount = 0;
    bool isText = false;
    std::span<const std::uint8_t> glyphs; // glyphCount glyphs, row by row, width / 8 bytes a row
};

constexpr int kTextGlyphCount = 160;
constexpr int kDigitGlyphCount = 20;

// Font 1..4; throws std::out_of_range for any other number.
const BitmapFont& PreviewFont(int number);

// Glyph of a code-page character in a text font: 32..127 -> 0..95,
// 192..255 -> 96..159, -1 for every other code (skipped, the cell does not advance).
int TextGlyphIndex(unsigned char code);
// Glyph of a character in a digit font: "+" 1, "-" 2, "." 3, ":" 4, "0".."9"
// 5..14, "T" 15, "D" 16, "N" 17, "P" 18, "R" 19; anything else the blank 0.
int DigitGlyphIndex(unsigned char code);

namespace preview_fonts {
extern const std::uint8_t kText8x16[kTextGlyphCount * 16];
extern const std::uint8_t kText16x32[kTextGlyphCount * 64];
extern const std::uint8_t kDigits32x64[kDigitGlyphCount * 256];
extern const std::uint8_t kDigits40x80[kDigitGlyphCount * 400];
} // namespace preview_fonts

} // namespace tc
