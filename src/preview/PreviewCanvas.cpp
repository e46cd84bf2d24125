#include "preview/PreviewCanvas.h"

#include "common/Cp1251.h"

#include <algorithm>
#include <stdexcept>

namespace tc {

ScreenRgb ScreenColour(std::uint16_t packed)
{
    const std::uint32_t r5 = (packed >> 11) & 0x1F;
    const std::uint32_t g6 = (packed >> 5) & 0x3F;
    const std::uint32_t b5 = packed & 0x1F;
    return {static_cast<std::uint8_t>(r5 * 541052u / 65536u), static_cast<std::uint8_t>(g6 * 266294u / 65536u),
        static_cast<std::uint8_t>(b5 * 541052u / 65536u)};
}

PreviewCanvas::PreviewCanvas()
    : pixels_(static_cast<std::size_t>(kPreviewWidth * kPreviewHeight), 0)
{
    SelectFont(1);
}

void PreviewCanvas::Set(long long x, long long y, std::uint16_t colour)
{
    const long long ax = x + OriginX;
    const long long ay = y + OriginY;
    if (ax < 0 || ay < 0 || ax >= kPreviewWidth || ay >= kPreviewHeight)
        return;
    pixels_[static_cast<std::size_t>(ay * kPreviewWidth + ax)] = colour;
}

void PreviewCanvas::FillRelative(long long x1, long long x2, long long y1, long long y2, std::uint16_t colour)
{
    // Only the part inside the picture is walked, so far-off coordinates cost nothing.
    const long long left = std::max<long long>(x1 + OriginX, 0);
    const long long right = std::min<long long>(x2 + OriginX, kPreviewWidth - 1);
    const long long top = std::max<long long>(y1 + OriginY, 0);
    const long long bottom = std::min<long long>(y2 + OriginY, kPreviewHeight - 1);
    for (long long y = top; y <= bottom; ++y)
        for (long long x = left; x <= right; ++x)
            pixels_[static_cast<std::size_t>(y * kPreviewWidth + x)] = colour;
}

std::uint16_t PreviewCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= kPreviewWidth || y >= kPreviewHeight)
        return 0;
    return pixels_[static_cast<std::size_t>(y * kPreviewWidth + x)];
}

void PreviewCanvas::ClearScreen()
{
    std::fill(pixels_.begin(), pixels_.end(), std::uint16_t{0});
}

void PreviewCanvas::FillArea(int width, int height)
{
    FillRelative(0, static_cast<long long>(width) - 1, 0, static_cast<long long>(height) - 1, Paper);
}

void PreviewCanvas::HLine(int x1, int x2, int y)
{
    FillRelative(std::min(x1, x2), std::max(x1, x2), y, y, Ink);
}

void PreviewCanvas::VLine(int x, int y1, int y2)
{
    FillRelative(x, x, std::min(y1, y2), std::max(y1, y2), Ink);
}

void PreviewCanvas::ThickHLine(int x1, int x2, int y)
{
    // All LineWidth rows, however wide: a band wider than the picture covers all of it.
    const long long first = static_cast<long long>(y) - LineWidth / 2;
    FillRelative(std::min(x1, x2), std::max(x1, x2), first, first + LineWidth - 1, Ink);
}

void PreviewCanvas::ThickVLine(int x, int y1, int y2)
{
    const long long first = static_cast<long long>(x) - LineWidth / 2;
    FillRelative(first, first + LineWidth - 1, std::min(y1, y2), std::max(y1, y2), Ink);
}

void PreviewCanvas::DrawPicture(int x, int y, const MonoPicture& picture)
{
    for (int py = 0; py < picture.height; ++py)
        for (int px = 0; px < picture.width; ++px)
            if (picture.At(px, py))
                Set(static_cast<long long>(x) + px, static_cast<long long>(y) + py, Ink);
}

void PreviewCanvas::DrawGlyph(int x, int y, int index)
{
    DrawGlyphAt(x, y, index);
}

void PreviewCanvas::DrawGlyphAt(long long x, long long y, int index)
{
    if (index < 0 || index >= fontGlyphCount_)
        return;
    const int bytesPerRow = FontWidth / 8;
    const std::size_t glyphSize = static_cast<std::size_t>(bytesPerRow * FontHeight);
    const auto glyph = FontGlyphs.subspan(static_cast<std::size_t>(index) * glyphSize, glyphSize);
    for (int row = 0; row < FontHeight; ++row)
        for (int col = 0; col < FontWidth; ++col) {
            const std::uint8_t bits = glyph[static_cast<std::size_t>(row * bytesPerRow + col / 8)];
            const bool set = (bits & (0x80 >> (col % 8))) != 0;
            Set(x + col, y + row, set ? Ink : Paper);
        }
}

void PreviewCanvas::SelectFont(int number)
{
    const BitmapFont& font = PreviewFont(number);
    FontWidth = font.width;
    FontHeight = font.height;
    FontGlyphs = font.glyphs;
    FontIsText = font.isText;
    fontGlyphCount_ = font.glyphCount;
}

void PreviewCanvas::SetTextCell(int row, int column)
{
    TextRow = row;
    TextColumn = column;
}

void PreviewCanvas::PutChar(unsigned char code)
{
    if (TextColumn >= kPreviewWidth / FontWidth || TextRow >= kPreviewHeight / FontHeight)
        return;
    const int index = FontIsText ? TextGlyphIndex(code) : DigitGlyphIndex(code);
    if (index < 0)
        return;
    // Only a cell that overlaps the picture is drawn (cells are counted from
    // the origin, which may lie anywhere); the others only advance.
    const long long x = static_cast<long long>(TextColumn) * FontWidth;
    const long long y = static_cast<long long>(TextRow) * FontHeight;
    const long long ax = x + OriginX, ay = y + OriginY;
    if (ax > -FontWidth && ax < kPreviewWidth && ay > -FontHeight && ay < kPreviewHeight)
        DrawGlyphAt(x, y, index);
    ++TextColumn;
}

void PreviewCanvas::PutText(std::string_view utf8)
{
    for (const char c : Utf8ToCp1251(utf8))
        PutChar(static_cast<unsigned char>(c));
}

void PreviewCanvas::TextAt(int row, int column, std::string_view utf8)
{
    SetTextCell(row, column);
    PutText(utf8);
}

std::vector<std::uint8_t> PreviewCanvas::ToRgb() const
{
    std::vector<std::uint8_t> rgb(pixels_.size() * 3);
    // Neighbouring pixels mostly share their colour.
    std::uint16_t last = 0;
    ScreenRgb c = ScreenColour(last);
    std::uint8_t* out = rgb.data();
    for (const std::uint16_t p : pixels_) {
        if (p != last)
            c = ScreenColour(last = p);
        *out++ = c.r;
        *out++ = c.g;
        *out++ = c.b;
    }
    return rgb;
}

} // namespace tc
