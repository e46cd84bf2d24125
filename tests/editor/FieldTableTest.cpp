// The field table as data: every row fits its record, no two controls own the
// same bits, keys are unique and name their page; the codecs round-trip.
#include "common/Cp1251.h"
#include "editor/Codecs.h"
#include "editor/FieldTable.h"
#include "editor/RecordItems.h"
#include "editor/SettingSearch.h"
#include "model/RecordDefaults.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace tc {
namespace {

TEST(FieldTable, EveryRowFitsItsRecordAndNamesItsPage)
{
    std::set<std::string_view> keys;
    for (const Field& f : EditorFields()) {
        SCOPED_TRACE(std::string(f.key));
        EXPECT_TRUE(keys.insert(f.key).second) << "duplicate key";
        const auto& page = PageOf(f.page);
        EXPECT_EQ(f.key.substr(0, page.key.size() + 1), std::string(page.key) + ".");
        ASSERT_GE(f.record, 1);
        ASSERT_LE(f.record, 10);
        EXPECT_GE(f.offset, 0);
        EXPECT_LE(static_cast<std::size_t>(f.offset + f.Width()), kRecordSizes[static_cast<std::size_t>(f.record - 1)]);
        EXPECT_FALSE(f.caption.ru.empty() && !f.captionRule);
        if (f.codec == Codec::Bits) {
            EXPECT_GE(f.bit, 0);
            EXPECT_LE(f.bit + f.bitCount, 8 * f.wordBytes);
            EXPECT_TRUE(!f.inverted || f.bitCount == 1);
        }
        switch (f.kind) {
        case ControlKind::Number:
            EXPECT_LE(f.min, f.max);
            EXPECT_GT(f.step, 0);
            if (f.codec != Codec::Factor) { // the limits fit the field
                const auto raw = RawLimits(f);
                EXPECT_GE(f.min * f.scaleNum / f.scaleDen, static_cast<double>(raw.min) - 1e-9);
                EXPECT_LE(f.max * f.scaleNum / f.scaleDen, static_cast<double>(raw.max) + 1e-9);
            }
            break;
        case ControlKind::Choice:
        case ControlKind::Radio:
            EXPECT_TRUE(!f.items.empty() || f.itemsRule) << "a choice without items";
            break;
        case ControlKind::Check:
            EXPECT_TRUE(f.codec != Codec::Bits || f.bitCount == 1);
            break;
        case ControlKind::Time: // minutes after midnight, a stored -1 included
            EXPECT_EQ(f.codec, Codec::S16);
            break;
        case ControlKind::Text:
            EXPECT_TRUE(f.codec == Codec::DayNumber || f.codec == Codec::Name16);
            break;
        }
        if (!f.formOf.empty()) { // the other form exists and holds the same bytes
            const Field* other = FindField(f.formOf);
            ASSERT_NE(other, nullptr);
            EXPECT_EQ(std::tie(other->record, other->offset, other->codec), std::tie(f.record, f.offset, f.codec));
        }
    }
}

TEST(FieldTable, NoTwoControlsOwnTheSameBits)
{
    // (record, byte) -> bit mask owned so far, and by whom
    std::map<std::pair<int, int>, std::pair<unsigned, std::string_view>> owners;
    for (const Field& f : EditorFields()) {
        if (!f.formOf.empty())
            continue; // another form of a control: checked against it above
        for (int b = 0; b < f.Width(); ++b) {
            unsigned mask = 0xFF;
            if (f.codec == Codec::Bits) {
                mask = 0;
                for (int bit = f.bit; bit < f.bit + f.bitCount; ++bit)
                    if (bit / 8 == b)
                        mask |= 1u << (bit % 8);
            }
            if (!mask)
                continue;
            auto& owner = owners[{f.record, f.offset + b}];
            EXPECT_EQ(owner.first & mask, 0u) << f.key << " shares record " << f.record << " byte " << f.offset + b << " with " << owner.second;
            owner.first |= mask;
            owner.second = f.key;
        }
    }
}

// Every byte the default tables set belongs to a control or structured item
// whose key the table names, so that a default cannot drift away from the
// setting it is the default of.
TEST(FieldTable, DefaultsNameTheSettingsThatOwnTheirBytes)
{
    const auto owned = [](std::string_view key, int record, int byte) {
        for (const Field& f : EditorFields())
            if (f.key.starts_with(key) && f.record == record && byte >= f.offset && byte < f.offset + f.Width())
                return true;
        for (const RecordItem& item : RecordItems())
            if (std::string_view(item.key).starts_with(key) && item.record == record && byte >= item.offset && byte < item.offset + item.width)
                return true;
        return false;
    };
    SettingsModel model;
    model.ResetRecords(Language::Russian);
    for (const DefaultRun& run : DefaultRuns()) {
        SCOPED_TRACE(std::string(run.key));
        const int width = run.as == StoredAs::U8 ? 1 : run.as == StoredAs::U16 ? 2 : 4;
        const int count = run.list.empty() ? run.count : static_cast<int>(run.list.size());
        const auto rec = model.Record(run.record);
        for (int at = run.offset; at < run.offset + count * (run.stride > 0 ? run.stride : width); ++at)
            if (rec[static_cast<std::size_t>(at)] != 0) {
                EXPECT_TRUE(owned(run.key, run.record, at)) << "record " << run.record << " byte " << at;
            }
    }
    for (const DefaultName& name : DefaultNames()) {
        const Field* f = FindField(name.key);
        ASSERT_NE(f, nullptr) << name.key;
        EXPECT_EQ(f->codec, Codec::Name16);
        EXPECT_EQ(std::tie(f->record, f->offset), std::tie(name.record, name.offset));
    }
    for (const DefaultHotMenu& menu : DefaultHotMenus())
        EXPECT_TRUE(owned(menu.key, kDisplayRecord, static_cast<int>(kHotMenuOffsets[static_cast<std::size_t>(menu.list)]))) << menu.key;
}

TEST(Codecs, IntegerAndBitFieldsRoundTripAndKeepTheirNeighbours)
{
    struct Case {
        Codec codec;
        int bit, bitCount, wordBytes;
        bool inverted;
        std::int64_t value;
        std::vector<std::uint8_t> bytes; // at offset 1, the rest 0xAA
    };
    const Case cases[] = {
        {Codec::S8, 0, 1, 4, false, -2, {0xFE}},
        {Codec::U8, 0, 1, 4, false, 200, {0xC8}},
        {Codec::S16, 0, 1, 4, false, -300, {0xD4, 0xFE}},
        {Codec::U16, 0, 1, 4, false, 65535, {0xFF, 0xFF}},
        {Codec::S32, 0, 1, 4, false, -2, {0xFE, 0xFF, 0xFF, 0xFF}},
        {Codec::U32, 0, 1, 4, false, 0x12345678, {0x78, 0x56, 0x34, 0x12}},
        {Codec::Bits, 10, 1, 4, false, 0, {0xAA, 0xAA & ~0x04, 0xAA, 0xAA}},
        {Codec::Bits, 17, 1, 4, true, 1, {0xAA, 0xAA, 0xAA & ~0x02, 0xAA}}, // checked = bit clear
        {Codec::Bits, 17, 1, 4, true, 0, {0xAA, 0xAA, 0xAA | 0x02, 0xAA}},
        {Codec::Bits, 3, 3, 1, false, 5, {(0xAA & ~0x38) | (5 << 3)}},
        {Codec::Bits, 4, 4, 1, false, 2, {0x2A}},
    };
    for (const auto& c : cases) {
        Field f;
        f.offset = 1;
        f.codec = c.codec;
        f.bit = c.bit;
        f.bitCount = c.bitCount;
        f.wordBytes = c.wordBytes;
        f.inverted = c.inverted;
        std::vector<std::uint8_t> rec(8, 0xAA);
        WriteRaw(f, rec, c.value);
        std::vector<std::uint8_t> expected(8, 0xAA);
        std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + 1);
        EXPECT_EQ(rec, expected) << static_cast<int>(c.codec) << " bit " << c.bit;
        EXPECT_EQ(ReadRaw(f, rec), c.value);
        EXPECT_THROW(WriteRaw(f, rec, RawLimits(f).max + 1), std::out_of_range);
    }
}

TEST(Codecs, FactorShowsTheTypedDecimal)
{
    struct Case {
        float factor;
        double percent;
    };
    for (const auto& c : {Case{1.05f, 5.0}, Case{1.0f, 0.0}, Case{0.01f, -99.0}, Case{0.95f, -5.0}, Case{10.999f, 999.9},
                          Case{1.0005f, 0.1}, Case{0.9995f, -0.1}}) {
        const auto p = FactorPercent(c.factor);
        ASSERT_TRUE(p);
        EXPECT_DOUBLE_EQ(*p, c.percent) << c.factor;
    }
    // Every shown tenth from -99.0 to 999.9 comes back as itself.
    for (int tenths = -990; tenths <= 9999; ++tenths) {
        const auto p = FactorPercent(FactorFromPercent(tenths / 10.0));
        ASSERT_TRUE(p);
        ASSERT_EQ(std::lround(*p * 10), tenths);
    }
    EXPECT_FALSE(FactorPercent(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(FactorPercent(std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(FactorPercent(-std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(FactorPercent(std::numeric_limits<float>::max())); // beyond any text a control could show
    EXPECT_DOUBLE_EQ(*FactorPercent(1e6f), 99999900.0);             // huge but shown (and out of range)
}

TEST(Codecs, DecimalTextsAndScales)
{
    struct Case {
        const char* text;
        int num, den;
        std::int64_t raw;
    };
    for (const auto& c : {Case{"130", 1, 2, 65}, Case{"131", 1, 2, 66}, Case{"2.5", 2, 1, 5}, Case{"24,0", 10, 1, 240}, Case{"-0.7", 10, 1, -7},
                          Case{" 13.94 ", 10, 1, 139}, Case{"13.95", 10, 1, 140}, Case{"-13.95", 10, 1, -140}, Case{"+3", 1, 1, 3}}) {
        const auto d = ParseDecimal(c.text);
        ASSERT_TRUE(d) << c.text;
        EXPECT_EQ(ScaleToRaw(*d, c.num, c.den), c.raw) << c.text;
    }
    for (const char* bad : {"", "-", ".", "1.2.3", "1e3", "abc", "12a", "1234567890123456", "--1"})
        EXPECT_FALSE(ParseDecimal(bad)) << bad;
    EXPECT_EQ(FormatScaled(65, 1, 2, 0), "130");
    EXPECT_EQ(FormatScaled(5, 2, 1, 1), "2.5");
    EXPECT_EQ(FormatScaled(240, 10, 1, 1), "24.0");
    EXPECT_EQ(FormatScaled(-7, 10, 1, 1), "-0.7");
    EXPECT_EQ(FormatScaled(0, 10, 1, 1), "0.0");
    EXPECT_EQ(FormatNumber(-0.0, 1), "0.0");
}

TEST(SettingSearch, EveryControlIsFoundByItsCaptionsAndKeyInAnyCase)
{
    const auto fields = EditorFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        for (std::string_view text : {f.caption.ru, f.caption.en, f.key}) {
            if (text.empty())
                continue;
            const auto found = FindSettings(Cp1251ToUtf8(FoldCase(text)));
            EXPECT_TRUE(std::find(found.begin(), found.end(), i) != found.end()) << f.key << " by " << text;
        }
    }
    // Upper case finds lower case, and every match holds the text somewhere.
    const auto speed = FindSettings("СКОРОСТЬ");
    EXPECT_FALSE(speed.empty());
    const std::string folded = FoldCase("скорость");
    for (std::size_t i : speed) {
        const Field& f = fields[i];
        const bool holds = FoldCase(f.caption.ru).find(folded) != std::string::npos || FoldCase(f.group.ru).find(folded) != std::string::npos;
        EXPECT_TRUE(holds) << f.key;
    }
    EXPECT_TRUE(FindSettings("  ").empty());
    EXPECT_TRUE(FindSettings("no such setting at all").empty());
}

} // namespace
} // namespace tc
