// The hot-menu lists as a table of edits on record 9 (each only touches its
// own list and stores it compacted; reading never writes), and the
// extra-panel numbering per feature set.
#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/HotMenus.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tc {
namespace {

constexpr std::size_t kRecord9Size = kRecordSizes[8];

std::vector<std::uint8_t> RecordWithList(int list, const HotMenuList& entries)
{
    std::vector<std::uint8_t> rec(kRecord9Size);
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = static_cast<std::uint8_t>(i * 7 + 3); // every other list and byte holds something
    for (int i = 0; i < kHotMenuRows; ++i)
        PutU16(rec, static_cast<std::size_t>(kHotMenuOffset + 20 * list + 2 * i), entries[static_cast<std::size_t>(i)]);
    return rec;
}

TEST(HotMenus, EditsWalkTheirTable)
{
    constexpr std::uint16_t A = 0x0101, B = 0x0202, C = 0x0303, X = 0x0999;
    const HotMenuList full = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    struct Case {
        const char* name;
        HotMenuList before;
        std::function<void(HotMenus&, int)> edit;
        HotMenuList after;
    };
    const Case cases[] = {
        {"refresh compacts", {0, 5, 0, 7}, [](HotMenus& h, int) { h.CompactAll(); }, {5, 7}},
        {"insert at row 3 drops row 9", full, [](HotMenus& h, int l) { h.Insert(l, 3, X); }, {1, 2, 3, X, 4, 5, 6, 7, 8, 9}},
        {"insert at row 0", {A, B}, [](HotMenus& h, int l) { h.Insert(l, 0, X); }, {X, A, B}},
        {"insert past the entries joins the end", {A, B}, [](HotMenus& h, int l) { h.Insert(l, 7, X); }, {A, B, X}},
        {"insert at row 9 of a full list replaces the last", full, [](HotMenus& h, int l) { h.Insert(l, 9, X); }, {1, 2, 3, 4, 5, 6, 7, 8, 9, X}},
        {"insert works on the shown rows", {0, A, 0, B}, [](HotMenus& h, int l) { h.Insert(l, 1, X); }, {A, X, B}},
        {"insert of code 0 stores nothing", {0, A}, [](HotMenus& h, int l) { h.Insert(l, 0, 0); }, {0, A}},
        {"delete closes the gap", {A, B, C}, [](HotMenus& h, int l) { h.Delete(l, 1); }, {A, C}},
        {"delete of an empty row compacts", {0, A, 0, B}, [](HotMenus& h, int l) { h.Delete(l, 5); }, {A, B}},
        {"clear", full, [](HotMenus& h, int l) { h.Clear(l); }, {}},
        {"move 0 to 2", {A, B, C}, [](HotMenus& h, int l) { h.Move(l, 0, 2); }, {B, C, A}},
        {"move 2 to 0", {A, B, C}, [](HotMenus& h, int l) { h.Move(l, 2, 0); }, {C, A, B}},
        {"move to itself", {A, B, C}, [](HotMenus& h, int l) { h.Move(l, 1, 1); }, {A, B, C}},
        {"move past the entries goes last", {A, B, C}, [](HotMenus& h, int l) { h.Move(l, 0, 9); }, {B, C, A}},
        {"move 9 to 0 of a full list", full, [](HotMenus& h, int l) { h.Move(l, 9, 0); }, {10, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases)
        for (int list = 0; list < kEditedHotMenuLists; ++list) {
            SCOPED_TRACE(std::string(c.name) + ", list " + std::to_string(list));
            auto rec = RecordWithList(list, c.before);
            const auto untouched = RecordWithList(list, c.after);
            HotMenus h(rec);
            EXPECT_EQ(h.Shown(list), Compacted(c.before));
            EXPECT_EQ(rec, RecordWithList(list, c.before)) << "showing wrote";
            c.edit(h, list);
            EXPECT_EQ(h.Stored(list), c.after);
            if (std::string(c.name) != "refresh compacts") {
                EXPECT_EQ(rec, untouched) << "another list or byte changed";
            }
        }
}

TEST(HotMenus, RefreshCompactsAllFourListsAndRefusesBadRows)
{
    std::vector<std::uint8_t> rec(kRecord9Size, 0);
    for (int l = 0; l < kHotMenuLists; ++l)
        PutU16(rec, static_cast<std::size_t>(kHotMenuOffset + 20 * l + 2 * 9), static_cast<std::uint16_t>(l + 1));
    HotMenus h(rec);
    h.CompactAll();
    for (int l = 0; l < kHotMenuLists; ++l)
        EXPECT_EQ(h.Stored(l), (HotMenuList{static_cast<std::uint16_t>(l + 1)}));

    const auto before = rec;
    EXPECT_THROW(h.Insert(0, 10, 5), Error);
    EXPECT_THROW(h.Insert(0, -1, 5), Error);
    EXPECT_THROW(h.Delete(0, 10), Error);
    EXPECT_THROW(h.Move(0, 0, 10), Error);
    EXPECT_THROW(h.Clear(4), Error);
    EXPECT_THROW(h.Stored(-1), Error);
    EXPECT_EQ(rec, before);

    std::vector<std::uint8_t> shortRecord(kHotMenuOffset + 79);
    EXPECT_THROW(HotMenus{shortRecord}, std::out_of_range);
}

TEST(HotMenus, CaptionsComeFromTheCatalog)
{
    const MenuItemList catalog = MakeMenuItemList(ModelFeatures{}, BlockPresence{}, Language::Russian);
    ASSERT_FALSE(catalog.empty());
    const MenuItem& item = *catalog.front();
    EXPECT_EQ(HotMenuCaption(catalog, item.Code), item.Caption);
    EXPECT_EQ(HotMenuCaption(catalog, 0), "");
    EXPECT_EQ(HotMenuCaption(catalog, 0xFFFF), "");
}

TEST(HotMenus, ExtraPanelNumbersFollowTheFeatures)
{
    ModelFeatures all;
    all.HasHybridDrive = all.KmPerLitre = all.HasTrim = all.HasAccelerometer = true;
    ModelFeatures noGas = all;
    noGas.NoGasFuel = true;

    const auto withGas = ExtraPanelChoices(all, true);
    const auto without = ExtraPanelChoices(noGas, true);
    ASSERT_EQ(withGas.size(), 23u);
    ASSERT_EQ(without.size(), 22u);
    EXPECT_EQ(withGas[10].text, "Tank");
    EXPECT_EQ(withGas[11].text, "GasPetr");
    for (std::size_t i = 0; i < without.size(); ++i) {
        EXPECT_EQ(without[i].number, static_cast<int>(i));
        EXPECT_EQ(without[i].text, withGas[i < 11 ? i : i + 1].text) << i; // every later item one lower
    }
    EXPECT_EQ(ExtraPanelChoices(all, false)[11].text, "ГазБенз");
    EXPECT_EQ(withGas.back().text, "Pitch");

    const auto plain = ExtraPanelChoices(ModelFeatures{}, false);
    ASSERT_EQ(plain.size(), 12u);
    EXPECT_EQ(plain.front(), (PanelChoice{0, "CheckEn"}));
    EXPECT_EQ(plain.back(), (PanelChoice{11, "ГазБенз"}));
}

} // namespace
} // namespace tc
