// Drawing operations of the preview picture: colours, clipping, fonts, text cells.
#include "preview/Pictures.h"
#include "preview/PreviewCanvas.h"

#include <gtest/gtest.h>

#include <limits>

namespace tc {
namespace {

int CountColour(const PreviewCanvas& p, std::uint16_t colour)
{
    int n = 0;
    for (const std::uint16_t px : p.Pixels())
        n += px == colour ? 1 : 0;
    return n;
}

TEST(PreviewColour, FullComponentsBecome255AndZeroStaysBlack)
{
    EXPECT_EQ(ScreenColour(0xFFFF), (ScreenRgb{255, 255, 255}));
    EXPECT_EQ(ScreenColour(0x0000), (ScreenRgb{0, 0, 0}));
    EXPECT_EQ(ScreenColour(31 << 11), (ScreenRgb{255, 0, 0}));
    EXPECT_EQ(ScreenColour(63 << 5), (ScreenRgb{0, 255, 0}));
    EXPECT_EQ(ScreenColour(31), (ScreenRgb{0, 0, 255}));
    // Green is read with its sixth bit: 5-bit green 16 packs to 6-bit 32.
    EXPECT_EQ(ScreenColour((16 << 11) | (32 << 5) | 1), (ScreenRgb{132, 130, 8}));
}

TEST(PreviewFill, CutAtThePictureEdgesWithoutWrapping)
{
    PreviewCanvas p;
    p.Paper = 0x1234;
    p.OriginX = 300;
    p.OriginY = 230;
    p.FillArea(50, 50);
    EXPECT_EQ(CountColour(p, 0x1234), 20 * 10);
    EXPECT_EQ(p.Pixel(319, 239), 0x1234);
    EXPECT_EQ(p.Pixel(0, 231), 0); // nothing spills into the next row
    p.ClearScreen();
    p.OriginX = -10;
    p.OriginY = -3;
    p.FillArea(20, 5);
    EXPECT_EQ(CountColour(p, 0x1234), 10 * 2);
    EXPECT_EQ(p.Pixel(9, 1), 0x1234);
    EXPECT_EQ(p.Pixel(10, 0), 0);
}

TEST(PreviewLines, EitherOrderClippedAndThickLinesCentred)
{
    PreviewCanvas p;
    p.Ink = 7;
    p.HLine(1000000, -1000000, 5);
    EXPECT_EQ(CountColour(p, 7), kPreviewWidth);
    p.ClearScreen();
    p.OriginX = 10;
    p.VLine(3, 20, 10); // x 13, y 10..20
    EXPECT_EQ(CountColour(p, 7), 11);
    EXPECT_EQ(p.Pixel(13, 10), 7);
    EXPECT_EQ(p.Pixel(13, 20), 7);
    p.ClearScreen();
    p.OriginX = 0;
    p.LineWidth = 3;
    p.ThickHLine(0, 9, 10); // rows 9, 10, 11
    EXPECT_EQ(CountColour(p, 7), 30);
    EXPECT_EQ(p.Pixel(0, 9), 7);
    EXPECT_EQ(p.Pixel(0, 11), 7);
    p.ClearScreen();
    p.LineWidth = 2;
    p.ThickVLine(0, 0, 239); // columns -1 and 0: only column 0 is inside
    EXPECT_EQ(CountColour(p, 7), kPreviewHeight);
    p.LineWidth = 0;
    p.ClearScreen();
    p.ThickHLine(0, 319, 100);
    EXPECT_EQ(CountColour(p, 7), 0);
}

TEST(PreviewLines, ThickLinesWiderThanThePictureCoverAllOfIt)
{
    PreviewCanvas p;
    p.Ink = 7;
    p.LineWidth = 1000; // rows -400..599 around row 100
    p.ThickHLine(0, 319, 100);
    EXPECT_EQ(CountColour(p, 7), kPreviewWidth * kPreviewHeight);
    p.ClearScreen();
    p.ThickVLine(160, 0, 239); // columns -340..659
    EXPECT_EQ(CountColour(p, 7), kPreviewWidth * kPreviewHeight);
}

TEST(PreviewLines, FarCoordinatesBackByTheOriginAreDrawnWithoutOverflow)
{
    constexpr int big = std::numeric_limits<int>::max();
    PreviewCanvas p;
    p.Ink = 7;
    p.OriginX = -(big - 20);
    p.OriginY = -(big - 5);
    p.LineWidth = 3;
    p.ThickHLine(big - 20, big - 11, big); // x 0..9, rows big - 1 .. big + 1 = 4..6
    EXPECT_EQ(CountColour(p, 7), 30);
    EXPECT_EQ(p.Pixel(9, 6), 7);
    p.ClearScreen();
    p.OriginY = 0;
    MonoPicture pic(60, 1);
    pic.pixels[50] = 1;
    p.DrawPicture(big - 40, 0, pic); // its pixel 50 lands on x 30
    EXPECT_EQ(p.Pixel(30, 0), 7);
    EXPECT_EQ(CountColour(p, 7), 1);
}

TEST(PreviewPicture, SetPixelsOnlyAndClippedAtTheEdge)
{
    MonoPicture pic(20, 20);
    pic.pixels[0] = 1;          // (0, 0)
    pic.pixels[19 * 20 + 19] = 1; // (19, 19): falls outside
    pic.pixels[4 * 20 + 9] = 1; // (9, 4)
    PreviewCanvas p;
    p.Paper = 0x0101;
    p.FillArea(320, 240);
    p.Ink = 0xF800;
    p.DrawPicture(310, 235, pic);
    EXPECT_EQ(CountColour(p, 0xF800), 2);
    EXPECT_EQ(p.Pixel(310, 235), 0xF800);
    EXPECT_EQ(p.Pixel(319, 239), 0xF800);
    EXPECT_EQ(p.Pixel(311, 235), 0x0101); // black picture pixels leave the background
    EXPECT_EQ(p.Pixel(9, 0), 0x0101);      // nothing wraps to the next row
}

TEST(PreviewPicture, FixedSizesAndEveryPictureDrawsSomething)
{
    struct Size {
        PictureId id;
        int w, h;
    };
    const Size sizes[] = {
        {PictureId::Circle99, 199, 199}, {PictureId::ScaleL, 79, 136}, {PictureId::ScaleR, 149, 136},
        {PictureId::Arrow, 129, 129}, {PictureId::Circle9, 9, 9}, {PictureId::GasStation, 25, 49},
        {PictureId::Acc, 79, 41}, {PictureId::BoatMotor, 33, 49}, {PictureId::BoatScaleT, 33, 105},
        {PictureId::BoatScaleC, 33, 105}, {PictureId::BoatT, 41, 17}, {PictureId::BoatC, 41, 17},
        {PictureId::CheckEngine, 105, 105}, {PictureId::Electro, 105, 105},
    };
    for (const Size& s : sizes) {
        const MonoPicture& pic = Picture(s.id);
        EXPECT_EQ(pic.width, s.w);
        EXPECT_EQ(pic.height, s.h);
        int set = 0;
        for (const auto v : pic.pixels)
            set += v != 0;
        EXPECT_GT(set, 20) << static_cast<int>(s.id);
    }
}

TEST(PreviewFonts, CharacterToGlyphMapping)
{
    EXPECT_EQ(TextGlyphIndex(' '), 0);
    EXPECT_EQ(TextGlyphIndex('A'), 33);
    EXPECT_EQ(TextGlyphIndex(127), 95);
    EXPECT_EQ(TextGlyphIndex(192), 96);  // А
    EXPECT_EQ(TextGlyphIndex(255), 159); // я
    EXPECT_EQ(TextGlyphIndex(31), -1);
    EXPECT_EQ(TextGlyphIndex(168), -1); // Ё is not in the font
    const std::string digits = "+-.:0123456789TDNPR";
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(DigitGlyphIndex(static_cast<unsigned char>(digits[i])), static_cast<int>(i) + 1) << digits[i];
    EXPECT_EQ(DigitGlyphIndex(' '), 0);
    EXPECT_EQ(DigitGlyphIndex('x'), 0);
}

TEST(PreviewFonts, GlyphDataCoversEveryPrintableCharacter)
{
    const auto blank = [](const BitmapFont& f, int index) {
        const std::size_t size = static_cast<std::size_t>(f.width / 8 * f.height);
        for (std::size_t i = 0; i < size; ++i)
            if (f.glyphs[static_cast<std::size_t>(index) * size + i] != 0)
                return false;
        return true;
    };
    for (int n = 1; n <= 4; ++n) {
        const BitmapFont& f = PreviewFont(n);
        ASSERT_EQ(f.glyphs.size(), static_cast<std::size_t>(f.glyphCount * f.width / 8 * f.height));
        EXPECT_TRUE(blank(f, 0)) << "font " << n; // space and the digit fonts' blank
        for (int g = 1; g < f.glyphCount; ++g) {
            if (!(f.isText && g == 95)) { // code 127 has no picture
                EXPECT_FALSE(blank(f, g)) << "font " << n << " glyph " << g;
            }
        }
    }
    EXPECT_THROW(PreviewFont(5), std::out_of_range);
}

TEST(PreviewText, SkippedCodesDoNotAdvanceTheCell)
{
    PreviewCanvas p;
    p.TextAt(0, 0, "A\x01\x7F" "B");
    EXPECT_EQ(p.TextColumn, 3); // 0x01 skipped, 0x7F drawn (blank)
    p.TextAt(0, 0, "AЁБ"); // Ё (168) is skipped, Б is drawn
    EXPECT_EQ(p.TextColumn, 2);
    p.SelectFont(3);
    p.TextAt(0, 0, "x1");
    EXPECT_EQ(p.TextColumn, 2); // an unknown character is the blank glyph and still advances
}

TEST(PreviewText, DigitFontDrawsTwelveThirtyAsGlyphs6_7_4_8_5)
{
    PreviewCanvas text, glyphs;
    for (PreviewCanvas* p : {&text, &glyphs}) {
        p->SelectFont(3);
        p->Ink = 0xFFFF;
        p->Paper = 0x0010;
    }
    text.TextAt(0, 0, "12:30");
    const int expected[] = {6, 7, 4, 8, 5};
    for (int i = 0; i < 5; ++i)
        glyphs.DrawGlyph(i * 32, 0, expected[i]);
    EXPECT_TRUE(std::equal(text.Pixels().begin(), text.Pixels().end(), glyphs.Pixels().begin()));
    EXPECT_EQ(text.TextColumn, 5);
}

TEST(PreviewText, LongTextStopsAtTheLastWholeCell)
{
    PreviewCanvas p;
    p.Ink = 0xFFFF;
    p.Paper = 0x0001;
    p.TextAt(0, 0, std::string(50, 'W'));
    EXPECT_EQ(p.TextColumn, 40);
    p.TextAt(15, 0, "W"); // row 15 is below the last whole row of 8 x 16 cells
    EXPECT_EQ(p.TextColumn, 0);
    // Cells are counted from the origin: shifted text runs off the right edge
    // without wrapping into the next rows.
    p.ClearScreen();
    p.OriginX = 316;
    p.TextAt(0, 0, "WWW");
    for (int y = 16; y < kPreviewHeight; ++y)
        for (int x = 0; x < kPreviewWidth; ++x)
            ASSERT_EQ(p.Pixel(x, y), 0) << x << "," << y;
    EXPECT_EQ(p.Pixel(0, 0), 0);
    EXPECT_NE(p.Pixel(316, 0), 0);
}

TEST(PreviewText, CellsFarLeftOfAFarRightOriginAreStillDrawn)
{
    PreviewCanvas p, direct;
    for (PreviewCanvas* t : {&p, &direct}) {
        t->Ink = 0xFFFF;
        t->Paper = 0x0010;
    }
    p.OriginX = 3000;
    p.TextAt(0, -370, "W"); // 3000 - 370 * 8 = pixel 40
    EXPECT_EQ(p.TextColumn, -369);
    direct.OriginX = 40;
    direct.TextAt(0, 0, "W");
    EXPECT_TRUE(std::equal(p.Pixels().begin(), p.Pixels().end(), direct.Pixels().begin()));
}

TEST(PreviewText, GlyphSetBitsInkClearBitsPaper)
{
    PreviewCanvas p;
    p.Ink = 0xFFFF;
    p.Paper = 0x0010;
    p.OriginX = 8;
    p.TextAt(0, 0, "H");
    EXPECT_EQ(CountColour(p, 0xFFFF) + CountColour(p, 0x0010), 8 * 16);
    EXPECT_GT(CountColour(p, 0xFFFF), 10);
    EXPECT_EQ(p.Pixel(7, 0), 0);
    EXPECT_EQ(p.Pixel(16, 0), 0);
    p.DrawGlyph(0, 0, 400); // no such glyph: nothing drawn
    EXPECT_EQ(CountColour(p, 0xFFFF) + CountColour(p, 0x0010), 8 * 16);
}

} // namespace
} // namespace tc
