#include "common/Cp1251.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

TEST(Cp1251, CyrillicRoundTripsThroughTheCodePage)
{
    const std::string text = "Замена рем.ГРМ ёЁ №";
    const std::string bytes = Utf8ToCp1251(text);
    ASSERT_EQ(bytes.size(), 19u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xC7); // З
    EXPECT_EQ(static_cast<unsigned char>(bytes[15]), 0xB8); // ё
    EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0xA8); // Ё
    EXPECT_EQ(static_cast<unsigned char>(bytes[18]), 0xB9); // №
    EXPECT_EQ(Cp1251ToUtf8(bytes), text);
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xACz"), "a\x88z"); // the euro sign exists
    EXPECT_EQ(Utf8ToCp1251("\xE4\xB8\xAD"), "?");         // a CJK character does not
}

TEST(Cp1251, MalformedUtf8NeverReadsPastTheEnd)
{
    EXPECT_EQ(Utf8ToCp1251("ab\xD0"), "ab?");
    EXPECT_EQ(Utf8ToCp1251("\xE2\x82"), "??");
    EXPECT_EQ(Utf8ToCp1251("\xFF"), "?");
}

} // namespace
} // namespace tc
