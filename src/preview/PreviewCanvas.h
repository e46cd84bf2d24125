#pragma once
// The 320 x 240 preview picture and the drawing operations that imitate the
// display's own: a pen with an origin, an ink and a paper colour, four bitmap
// fonts and character-cell text. Every operation clips to the picture.
#include "preview/Fonts.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tc {

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;

// 8-bit screen colour of a packed colour: red and blue take 5 bits, green the
// 6 bits 10..5, each scaled so that the largest value becomes 255.
struct ScreenRgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const ScreenRgb&, const ScreenRgb&) = default;
};
ScreenRgb ScreenColour(std::uint16_t packed);

// A monochrome picture: a pixel is either set or black.
struct MonoPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height, row by row, non-zero = set

    MonoPicture() = default;
    MonoPicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0) {}
    bool At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height && pixels[static_cast<std::size_t>(y * width + x)] != 0;
    }
};

class PreviewCanvas {
public:
    PreviewCanvas(); // black picture, font 1, white ink, black paper, line width 1

    // Drawing state; coordinates of every operation are relative to the origin.
    int OriginX = 0, OriginY = 0;
    int TextColumn = 0, TextRow = 0; // cell of the next character, in cells of the current font
    std::uint16_t Ink = 0xFFFF;
    std::uint16_t Paper = 0;
    int LineWidth = 1;
    int FontWidth = 8, FontHeight = 16;
    std::span<const std::uint8_t> FontGlyphs;
    bool FontIsText = true;

    void ClearScreen();                // whole picture black (packed colour 0)
    void FillArea(int width, int height); // Paper, from the origin
    void HLine(int x1, int x2, int y);
    void VLine(int x, int y1, int y2);
    void ThickHLine(int x1, int x2, int y); // LineWidth lines from y - LineWidth div 2
    void ThickVLine(int x, int y1, int y2);
    void DrawPicture(int x, int y, const MonoPicture& picture); // set pixels in Ink
    void DrawGlyph(int x, int y, int index); // set bits Ink, clear bits Paper; unknown index draws nothing
    void SelectFont(int number);             // 1..4
    void SetTextCell(int row, int column);
    // One code-page character at the text cell; nothing beyond the last whole
    // cell of the picture, nothing and no advance for codes a text font skips.
    void PutChar(unsigned char code);
    void PutText(std::string_view utf8);
    void TextAt(int row, int column, std::string_view utf8);

    std::uint16_t Pixel(int x, int y) const; // absolute coordinates; 0 outside
    std::span<const std::uint16_t> Pixels() const { return pixels_; }
    // 320 x 240 x 3 bytes of screen colours, row by row.
    std::vector<std::uint8_t> ToRgb() const;

private:
    // Coordinates relative to the origin, widened so that no sum overflows; clipped.
    void Set(long long x, long long y, std::uint16_t colour);
    void DrawGlyphAt(long long x, long long y, int index);
    void FillRelative(long long x1, long long x2, long long y1, long long y2, std::uint16_t colour); // inclusive
    int fontGlyphCount_ = 0;
    std::vector<std::uint16_t> pixels_;
};

} // namespace tc
