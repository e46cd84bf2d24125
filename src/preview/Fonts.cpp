#include "preview/Fonts.h"

#include <array>
#include <stdexcept>

namespace tc {

const BitmapFont& PreviewFont(int number)
{
    static const std::array<BitmapFont, 4> fonts = {
        BitmapFont{8, 16, kTextGlyphCount, true, preview_fonts::kText8x16},
        BitmapFont{16, 32, kTextGlyphCount, true, preview_fonts::kText16x32},
        BitmapFont{32, 64, kDigitGlyphCount, false, preview_fonts::kDigits32x64},
        BitmapFont{40, 80, kDigitGlyphCount, false, preview_fonts::kDigits40x80},
    };
    if (number < 1 || number > 4)
        throw std::out_of_range("display font number outside 1..4");
    return fonts[static_cast<std::size_t>(number - 1)];
}

int TextGlyphIndex(unsigned char code)
{
    if (code >= 32 && code <= 127)
        return code - 32;
    if (code >= 192)
        return code - 192 + 96;
    return -1;
}

int DigitGlyphIndex(unsigned char code)
{
    switch (code) {
    case '+': return 1;
    case '-': return 2;
    case '.': return 3;
    case ':': return 4;
    case 'T': return 15;
    case 'D': return 16;
    case 'N': return 17;
    case 'P': return 18;
    case 'R': return 19;
    default:
        if (code >= '0' && code <= '9')
            return 5 + (code - '0');
        return 0;
    }
}

} // namespace tc
