// Every change is named: the structured tables' items (display slots,
// colours, hot-menu rows, tare points, voice modes, extra systems) changed on
// every model's reference settings come out of the comparison by name, and
// only bytes that no setting owns come out as unnamed runs.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "editor/SettingsCompare.h"
#include "editor/StructuredKeys.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

namespace tc {
namespace {

using test::LoadedModel;

// The lowest bit an item owns in its first byte.
std::uint8_t LowestBit(std::uint8_t mask)
{
    return static_cast<std::uint8_t>(mask & -mask);
}

TEST(ChangeNames, ItemsAreUniqueAndOwnNoControlsBits)
{
    std::set<std::string> keys, names[2];
    std::vector<std::vector<std::uint8_t>> controls(kRecordCount + 1);
    for (int r = 1; r <= kRecordCount; ++r)
        controls[static_cast<std::size_t>(r)].assign(kRecordSizes[static_cast<std::size_t>(r - 1)], 0);
    for (const Field& f : EditorFields())
        for (int b = 0; b < f.Width(); ++b) {
            std::uint8_t mask = 0xFF;
            if (f.codec == Codec::Bits) {
                mask = 0;
                for (int bit = f.bit; bit < f.bit + f.bitCount; ++bit)
                    if (bit / 8 == b)
                        mask = static_cast<std::uint8_t>(mask | 1u << (bit % 8));
            }
            controls[static_cast<std::size_t>(f.record)][static_cast<std::size_t>(f.offset + b)] |= mask;
        }
    std::vector<std::vector<std::uint8_t>> items = controls;
    for (auto& r : items)
        std::fill(r.begin(), r.end(), std::uint8_t{0});
    for (const RecordItem& item : RecordItems()) {
        EXPECT_TRUE(keys.insert(item.key).second) << item.key;
        for (int l = 0; l < 2; ++l)
            EXPECT_TRUE(names[l].insert(item.name[l]).second) << item.name[l];
        for (int b = 0; b < item.width; ++b) {
            const auto at = static_cast<std::size_t>(item.offset + b);
            auto& rec = items[static_cast<std::size_t>(item.record)];
            ASSERT_LT(at, rec.size()) << item.key;
            EXPECT_EQ(controls[static_cast<std::size_t>(item.record)][at] & item.mask, 0) << item.key << " shares bits with a control";
            EXPECT_EQ(rec[at] & item.mask, 0) << item.key << " shares bits with another item";
            rec[at] |= item.mask;
        }
    }
    // Names as the window shows them.
    const auto find = [](std::string_view key) {
        for (const RecordItem& item : RecordItems())
            if (item.key == key)
                return &item;
        return static_cast<const RecordItem*>(nullptr);
    };
    ASSERT_TRUE(find("display.slot.x4.2.3"));
    EXPECT_EQ(find("display.slot.x4.2.3")->Name(true), "Display 2 · x4 · field 3");
    EXPECT_EQ(find("display.slot.x4.2.3")->Name(false), "Дисплей 2 · x4 · поле 3");
    ASSERT_TRUE(find("display.menu.averages.4"));
    EXPECT_EQ(find("display.menu.averages.4")->Name(true), "Hot menu · Average · row 4");
    ASSERT_TRUE(find("tank.tare.units.5"));
    EXPECT_EQ(find("tank.tare.units.5")->Name(false), "Тарированный · точка 5 · уе");
}

// Every item changed at once on every model: each is named, with the shown
// values differing, and no byte is left unnamed.
TEST(ChangeNames, EveryItemChangedOnEveryModelIsNamed)
{
    for (const auto& m : ListedModels()) {
        SettingsModel before = LoadedModel(m.code, 0);
        SettingsModel after = before;
        std::set<int> records;
        for (const RecordItem& item : RecordItems()) {
            after.Record(item.record)[static_cast<std::size_t>(item.offset)] ^= LowestBit(item.mask);
            records.insert(item.record);
        }
        for (int r : records)
            after.EncodeSection(r);
        const auto c = CompareSettings(before, after, Language::English);
        EXPECT_TRUE(c.records.empty()) << std::hex << m.code << ": " << UnnamedBytesText(c.records.front(), true);
        std::set<std::string> named;
        for (const ItemChange& i : c.items) {
            named.insert(i.item->key);
            EXPECT_EQ(i.name, i.item->Name(true));
        }
        for (const RecordItem& item : RecordItems())
            EXPECT_TRUE(named.count(item.key)) << std::hex << m.code << ": " << item.key;
    }
}

// A shared caption is led by its group, and by the page where it stands alone.
TEST(ChangeNames, SharedCaptionsCarryPageAndGroup)
{
    SettingsModel before = LoadedModel(0xC000, 0);
    SettingsModel after = before;
    EditSettings(after, Language::Russian, [](EditSession& s) {
        s.Commit("maintenance.service_date", "01.02.27");
        s.Commit("tank.two_point1.litres", "12");
        s.Commit("corrections.speed", "5.0");
        return true;
    });
    const auto c = CompareSettings(before, after, Language::Russian);
    std::map<std::string, std::string> names;
    for (const SettingChange& s : c.settings)
        names[std::string(s.field->key)] = s.name;
    EXPECT_EQ(names["maintenance.service_date"], "ТО · Дата след.ТО · дд.мм.гг");
    EXPECT_EQ(names["tank.two_point1.litres"].substr(0, std::string("Бак · ").size()), "Бак · ");
    EXPECT_NE(names["tank.two_point1.litres"].find(" · 1: литры"), std::string::npos);
    EXPECT_EQ(names["corrections.speed"], "Скорость");
}

// The bytes no setting owns, per record: runs of bytes, each with the bits
// that settings own in it ("/00": none). A change there is listed as unnamed
// bytes.
// Records 1, 7 and 11 hold the journals and summators.
TEST(ChangeNames, BytesNoSettingOwns)
{
    const auto owned = OwnedBits();
    std::string text;
    for (int r = 1; r <= kRecordCount; ++r) {
        const auto& m = owned[static_cast<std::size_t>(r)];
        text += "record " + std::to_string(r) + " size " + std::to_string(m.size()) + ":";
        for (std::size_t i = 0; i < m.size();) {
            if (m[i] == 0xFF) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < m.size() && m[j] == m[i])
                ++j;
            char run[48];
            std::snprintf(run, sizeof run, " %zu..%zu/%02x", i, j - 1, m[i]);
            text += run;
            i = j;
        }
        text += "\n";
    }
    EXPECT_EQ(text,
        "record 1 size 164: 0..143/00 154..157/00 159..163/00\n"
        "record 2 size 28: 12..13/00 18..19/00 22..27/00\n"
        "record 3 size 64: 39..41/00 46..55/00 58..63/00\n"
        "record 4 size 420: 0..0/00 3..5/00 76..143/00 280..419/00\n"
        "record 5 size 128: 16..19/00 21..21/fd 24..24/fd 28..28/bf 36..36/7f 43..43/01 44..51/00 101..101/03 102..103/00 106..107/00 116..127/00\n"
        "record 6 size 88: 0..0/bd 1..1/c7 2..2/06 3..3/00 47..47/00 49..49/00 55..55/00 68..71/00 76..79/00 82..87/00\n"
        "record 7 size 860: 12..859/00\n"
        "record 8 size 40: 23..23/00 28..31/00 33..39/00\n"
        "record 9 size 412: 0..0/3f 1..11/00 75..75/00 192..193/00 296..296/03 297..297/00 299..299/01 300..300/3f 301..301/00 302..302/07 303..303/00 306..307/00 341..341/00 343..403/00 408..411/00\n"
        "record 10 size 60: 0..3/00 6..7/00 9..11/00 20..59/00\n"
        "record 11 size 664: 0..663/00\n");
}

} // namespace
} // namespace tc
