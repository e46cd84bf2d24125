// The colour schemes of record 9: packing round-trips, the role table covers
// every role byte once, choosing writes nothing, bad values are refused
// without a write, and "Initialize all" writes only on Yes.
#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/ColourSchemes.h"
#include "preview/PreviewCanvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace tc {
namespace {

constexpr std::size_t kRecord9Size = kRecordSizes[8];

std::vector<std::uint8_t> PatternRecord()
{
    std::vector<std::uint8_t> rec(kRecord9Size);
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = static_cast<std::uint8_t>(i * 13 + 1);
    return rec;
}

TEST(ColourSchemes, PackingRoundTrips)
{
    EXPECT_EQ(PackColour({31, 31, 31}), 0xFFFF);
    EXPECT_EQ(PackColour({0, 1, 0}), 0x0060);
    for (std::uint8_t r = 0; r < 32; ++r)
        for (std::uint8_t g = 0; g < 32; ++g)
            for (std::uint8_t b = 0; b < 32; ++b)
                ASSERT_EQ(UnpackColour(PackColour({r, g, b})), (Rgb5{r, g, b}));
}

// Every colour the unit shows comes back as itself; any other colour gets a
// level no farther on the screen than any other level, channel by channel.
TEST(ColourSchemes, NearestUnitColourIsWhatTheScreenShowsClosest)
{
    for (int level = 0; level <= kMaxColourLevel; ++level) {
        const Rgb5 c{std::uint8_t(level), std::uint8_t(kMaxColourLevel - level), std::uint8_t(level)};
        const ScreenRgb shown = ScreenColour(PackColour(c));
        EXPECT_EQ(NearestUnitColour(shown.r, shown.g, shown.b), c) << level;
    }
    for (int v = 0; v <= 255; ++v) {
        const Rgb5 n = NearestUnitColour(std::uint8_t(v), std::uint8_t(v), std::uint8_t(v));
        const ScreenRgb got = ScreenColour(PackColour(n));
        for (int level = 0; level <= kMaxColourLevel; ++level) {
            const ScreenRgb other = ScreenColour(PackColour(Rgb5{std::uint8_t(level), std::uint8_t(level), std::uint8_t(level)}));
            EXPECT_LE(std::abs(got.r - v), std::abs(other.r - v)) << v << " " << level;
            EXPECT_LE(std::abs(got.g - v), std::abs(other.g - v)) << v << " " << level;
            EXPECT_LE(std::abs(got.b - v), std::abs(other.b - v)) << v << " " << level;
        }
    }
}

TEST(ColourSchemes, RolesCoverEveryRoleByteOnce)
{
    std::set<int> offsets;
    std::set<std::string_view> keys;
    for (const RoleDef& role : ColourRoles()) {
        EXPECT_TRUE(offsets.insert(role.offset).second) << role.key;
        EXPECT_TRUE(keys.insert(role.key).second) << role.key;
        EXPECT_EQ(FindColourRole(role.key), &role);
        EXPECT_FALSE(role.caption.ru.empty() || role.caption.en.empty());
    }
    EXPECT_EQ(offsets, (std::set<int>{32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55}));
    EXPECT_EQ(FindColourRole("digital.bottom_panel")->offset, 55);
    EXPECT_EQ(FindColourRole("nothing"), nullptr);
}

TEST(ColourSchemes, EditsStoreInTheEditedSchemeOnly)
{
    for (int scheme : {0, 1}) {
        SCOPED_TRACE(scheme);
        auto rec = PatternRecord();
        const auto before = rec;
        ColourSchemes cs(rec);
        cs.SelectScheme(scheme);
        for (int i = 0; i < kPaletteSize; ++i)
            (void)cs.Colour(i);
        for (const RoleDef& role : ColourRoles())
            (void)cs.RoleColour(role);
        EXPECT_EQ(rec, before) << "choosing wrote";

        const std::size_t base = kSchemeOffset[scheme];
        cs.SetColour(15, 31, 31, 31);
        cs.SetColour(3, 0, 1, 0);
        EXPECT_EQ(GetU16(rec, base + 30), 0xFFFF);
        EXPECT_EQ(GetU16(rec, base + 6), 0x0060);
        EXPECT_EQ(cs.Colour(3), (Rgb5{0, 1, 0}));

        const RoleDef& frame = *FindColourRole("digital.frame");
        cs.SetRole(frame, 3);
        EXPECT_EQ(rec[base + 36], 3);
        EXPECT_EQ(cs.RoleColour(frame), (Rgb5{0, 1, 0}));
        cs.SetRole(frame, 16); // kept as stored, shown without a colour
        EXPECT_EQ(rec[base + 36], 16);
        EXPECT_EQ(cs.RoleColour(frame), std::nullopt);
        cs.SetRole(frame, 127);
        EXPECT_EQ(rec[base + 36], 127);

        auto expected = before;
        for (std::size_t i = 0; i < kColourSchemeSize; ++i)
            if (i != 30 && i != 31 && i != 6 && i != 7 && i != 36) {
                ASSERT_EQ(rec[base + i], expected[base + i]) << i;
            }
        for (std::size_t i = 0; i < rec.size(); ++i)
            if (i < base || i >= base + kColourSchemeSize) {
                ASSERT_EQ(rec[i], before[i]) << "outside the scheme at " << i;
            }

        const auto edited = rec;
        EXPECT_THROW(cs.SetRole(frame, 128), Error);
        EXPECT_THROW(cs.SetRole(frame, -1), Error);
        EXPECT_THROW(cs.SetColour(0, 32, 0, 0), Error);
        EXPECT_THROW(cs.SetColour(0, 0, -1, 0), Error);
        EXPECT_THROW(cs.SetColour(16, 0, 0, 0), Error);
        EXPECT_THROW(cs.SelectScheme(2), Error);
        EXPECT_EQ(rec, edited);
        EXPECT_EQ(cs.EditedScheme(), scheme);
    }
}

TEST(ColourSchemes, InitializeAllWritesOnlyOnYes)
{
    SettingsModel model;
    model.ResetColourSchemes(false);
    auto rec = PatternRecord();
    const auto before = rec;
    ColourSchemes cs(rec, true);
    cs.SelectScheme(1);

    std::string asked;
    EXPECT_FALSE(cs.InitializeAll(model.ColourScheme(0), model.ColourScheme(1), [&](const std::string& q) {
        asked = q;
        return false;
    }));
    EXPECT_EQ(asked, "Initialize all the color scheme settings to their original state? ");
    EXPECT_EQ(rec, before);
    EXPECT_EQ(cs.EditedScheme(), 1);

    EXPECT_TRUE(cs.InitializeAll(model.ColourScheme(0), model.ColourScheme(1), [](const std::string&) { return true; }));
    EXPECT_EQ(cs.EditedScheme(), 0);
    for (int s : {0, 1})
        for (std::size_t i = 0; i < kColourSchemeSize; ++i)
            ASSERT_EQ(rec[kSchemeOffset[s] + i], model.ColourScheme(s)[i]) << s << " " << i;
    for (std::size_t i = 0; i < rec.size(); ++i)
        if (i < kSchemeOffset[0] || i >= kSchemeOffset[1] + kColourSchemeSize) {
            ASSERT_EQ(rec[i], before[i]) << i;
        }
}

} // namespace
} // namespace tc
