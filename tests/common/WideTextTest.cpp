// UTF-8 ↔ UTF-16 for the names handed to Windows: round trips of every kind
// of character, and bad input turned into U+FFFD instead of another name.
#include "common/WideText.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

TEST(WideText, NamesRoundTripThroughUtf16)
{
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"COM7", u"COM7"},
        {"Настройки авто.qvetp", u"Настройки авто.qvetp"},
        {"C:\\Пользователи\\Ёж\\ü €", u"C:\\Пользователи\\Ёж\\ü €"},
        {"\xF0\x9F\x9A\x97 car", u"\U0001F697 car"}, // beyond the basic plane: a surrogate pair
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
        EXPECT_EQ(Utf8FromPath(PathFromUtf8(c.utf8)), c.utf8) << c.utf8;
    }
}

TEST(WideText, BadSequencesBecomeReplacementCharacters)
{
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"\x80", u"\uFFFD"},                      // a lone continuation byte
        {"a\xD0", u"a\uFFFD"},                    // cut off at the end
        {"\xD0z", u"\uFFFDz"},                    // cut off before an ASCII byte, which stays
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // over-long "/": never a separator
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

} // namespace
} // namespace tc
