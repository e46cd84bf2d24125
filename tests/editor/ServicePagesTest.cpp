// The maintenance, extra-systems and universal-input pages without a window:
// the unit's day numbers and names, the rows' stores and refusals, the
// extra-systems selection and the maintenance file.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "editor/ExtraSystems.h"
#include "editor/Maintenance.h"
#include "editor/ServiceFile.h"
#include "editor/StructuredKeys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include <unistd.h>

namespace tc {
namespace {

using test::Bytes;
using test::Message;

// A model's reference settings with a context of exactly these features and protocols.
struct Bench {
    explicit Bench(ModelFeatures features = {}, std::vector<const VehicleProtocol*> protocols = {}, std::uint16_t protocolIndex = 0,
                   bool english = false)
        : model(test::LoadedModel(0xC000, protocolIndex))
    {
        EditorContext ctx;
        ctx.features = features;
        ctx.protocols = std::move(protocols);
        ctx.language = LanguageOf(english);
        session.emplace(model, std::move(ctx));
    }
    std::span<std::uint8_t> R5() { return model.Record(5); }
    SettingsModel model;
    std::optional<EditSession> session;
};

// ---- dates and names ----

TEST(MaintenanceDates, DayNumbersAsTheUnitStoresThem)
{
    const std::pair<Date, std::uint32_t> cases[] = {
        {{1, 1, 0}, 2},   {{31, 1, 0}, 32},   {{1, 3, 0}, 62},      {{29, 2, 0}, 61},      {{31, 12, 0}, 367},
        {{1, 1, 1}, 367}, {{31, 12, 3}, 1461}, {{1, 1, 4}, 1462}, {{31, 12, 4}, 1827}, {{1, 1, 5}, 1828}, {{31, 12, 99}, 36525},
    };
    for (const auto& [date, number] : cases)
        EXPECT_EQ(DayNumber(date), number) << FormatDate(date);

    // Every date reads back as itself, except 31.12.00, which shares its number with 01.01.01.
    int dates = 0;
    for (int y = 0; y <= 99; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d) {
                const auto text = FormatDate({d, m, y});
                const auto parsed = ParseDate(text);
                if (!parsed)
                    continue; // 30.02 and the like
                ++dates;
                const auto back = DateOfDayNumber(DayNumber(*parsed));
                ASSERT_TRUE(back) << text;
                if (text == "31.12.00")
                    EXPECT_EQ(FormatDate(*back), "01.01.01");
                else
                    EXPECT_EQ(*back, *parsed) << text;
            }
    EXPECT_EQ(dates, 36525);

    // No date and numbers no two-digit date reads back from.
    for (std::uint32_t v : {0u, 1u, 36526u, 65535u, 65536u, 0xFFFFFFFFu})
        EXPECT_FALSE(DateOfDayNumber(v)) << v;

    for (const char* text : {"5.3.24", "05/03/24", "05-03-24"})
        EXPECT_EQ(ParseDate(text), (Date{5, 3, 24})) << text;
    for (const char* text : {"", "05.03.2024", "05.03.4", "29.02.23", "32.01.24", "00.01.24", "05.13.24", "05.03", "a5.03.24", "05.03.24x"})
        EXPECT_FALSE(ParseDate(text)) << text;
}

TEST(MaintenanceNames, CodePageBytesZeroFilled)
{
    const auto cyr = NameBytes("Свечи", false);
    EXPECT_EQ(test::Hex({cyr.begin(), cyr.end()}), "d1e2e5f7e80000000000000000000000");
    const auto latin = NameBytes("Timing belt", true);
    EXPECT_EQ(NameText(latin), "Timing belt");
    EXPECT_EQ(NameText(NameBytes("Замена ремня ГР", false)), "Замена ремня ГР"); // 15 characters
    EXPECT_EQ(Message([] { NameBytes("Замена ремня ГРМ", false); }), "Название вмещает не больше 15 символов, в «Замена ремня ГРМ» их 16.");
    EXPECT_NE(Message([] { NameBytes("Oil 日", true); }).find("cannot show"), std::string::npos);
    EXPECT_NE(Message([] { NameBytes("a\tb", true); }).find("cannot show"), std::string::npos);
    // Sixteen characters without a terminating 0 show all sixteen.
    std::array<std::uint8_t, 16> full;
    full.fill('A');
    EXPECT_EQ(NameText(full), std::string(16, 'A'));
}

// ---- the rows ----

TEST(ServiceRows, StoresAndRefusalsOfThePages)
{
    ModelFeatures reduced;
    reduced.ServiceInThousandKm = true;
    reduced.HasUniversalInput = true; // the calibration page shown
    Bench b(reduced);
    EditSession& s = *b.session;
    auto r5 = b.R5();

    // The reduced form shows the air-filter interval in tenths.
    EXPECT_FALSE(s.Shown("maintenance.air_filter").visible);
    EXPECT_FALSE(s.Shown("maintenance.use_air_filter").visible);
    EXPECT_TRUE(s.Shown("maintenance.service_date").visible);
    EXPECT_FALSE(s.Shown("maintenance.insurance_date").visible);
    s.Commit("maintenance.service_interval", "1.5");
    EXPECT_EQ(r5[0], 15);
    EXPECT_EQ(s.Shown("maintenance.service_interval").text, "1.5");

    // A usage flag stores its bit and clears bits 12..15.
    PutU16(r5, 100, 0xF000);
    s.SetChecked("maintenance.use_engine_hours", true);
    EXPECT_EQ(GetU16(r5, 100), 0x0200);

    // Equal ADC values are refused and the old minimum stays.
    PutU16(r5, 108, 100);
    PutU16(r5, 110, 900);
    EXPECT_EQ(Message([&] { s.Commit("trim.min_adc", "900"); }), "Значения АЦП Мин и Макс должны различаться.");
    EXPECT_EQ(GetU16(r5, 108), 100);
    EXPECT_EQ(Message([&] { s.Commit("trim.max_adc", "100"); }), "Значения АЦП Мин и Макс должны различаться.");
    s.Commit("trim.max_adc", "1000");
    s.Commit("trim.min_reading", "-180");
    EXPECT_EQ(Bytes(b.model, 5, 108, 6), (std::vector<std::uint8_t>{100, 0, 0xE8, 3, 0x4C, 0xFF}));

    // Dates: typed, shown, emptied; names zero-filled.
    s.Commit("maintenance.service_date", "01.03.00");
    EXPECT_EQ(GetU32(r5, 8), 62u);
    EXPECT_EQ(s.Shown("maintenance.service_date").text, "01.03.00");
    EXPECT_NE(Message([&] { s.Commit("maintenance.service_date", "31.02.24"); }).find("не дата"), std::string::npos);
    EXPECT_EQ(GetU32(r5, 8), 62u);
    s.Commit("maintenance.service_date", "");
    EXPECT_EQ(GetU32(r5, 8), 0u);
    std::fill(r5.begin() + 52, r5.begin() + 68, std::uint8_t{'x'});
    s.Commit("maintenance.item1_name", "Свечи", true);
    EXPECT_EQ(test::Hex(Bytes(b.model, 5, 52, 16)), "d1e2e5f7e80000000000000000000000");
    s.Commit("maintenance.item1_name", "", true);
    EXPECT_EQ(Bytes(b.model, 5, 52, 16), std::vector<std::uint8_t>(16, 0));
}

TEST(ServiceRows, BlankOrFarDatesOpenShownAsNotSetAndKeepTheirBytes)
{
    for (std::uint32_t stored : {0xFFFFFFFFu, 65535u, 40000u, 1u}) {
        Bench b;
        EditSession& s = *b.session;
        PutU32(b.R5(), 12, stored);
        const ShownControl c = s.Shown("maintenance.insurance_date");
        EXPECT_EQ(c.mark, ValueMark::Unshowable) << stored;
        EXPECT_EQ(c.text, "");
        // Leaving the field as shown stores nothing; typing stores the date.
        EXPECT_TRUE(s.Commit("maintenance.insurance_date", c.text).empty());
        EXPECT_EQ(GetU32(b.R5(), 12), stored);
        s.Commit("maintenance.insurance_date", "31.01.00");
        EXPECT_EQ(GetU32(b.R5(), 12), 32u);
    }
}

TEST(ServiceRows, ControlsPerPage)
{
    std::map<Page, int> controls;
    for (const Field& f : EditorFields())
        if (f.formOf.empty())
            ++controls[f.page];
    // Seven intervals, three names, ten usage flags, two dates and the engine-hour limit.
    EXPECT_EQ(controls[Page::Maintenance], 23);
    // The two calibration points.
    EXPECT_EQ(controls[Page::Trim], 4);
    // The show choices and the selection are structured values.
    int systemKeys = 0;
    for (const StructuredKey& k : StructuredKeys())
        systemKeys += k.pattern.starts_with("systems.");
    EXPECT_EQ(systemKeys, 4);
}

// ---- extra systems ----

struct Protocols {
    BlockPresence presence{};
    VehicleProtocol offered{"Two", 200, 0, {}, std::vector<std::uint8_t>{27, 77}, {}, presence, Language::Russian};
    VehicleProtocol none{"None", 201, 0, {}, {}, {}, presence, Language::Russian};
};

TEST(ExtraSystems, CatalogKeyedByCode)
{
    std::set<int> codes;
    int ktk3 = 0;
    for (const ExtraSystem& s : ExtraSystemCatalog()) {
        EXPECT_TRUE(codes.insert(s.code).second) << s.code;
        EXPECT_GE(s.code, kFirstBlockCode);
        EXPECT_LE(s.code, kLastBlockCode);
        ktk3 += s.name == "АКПП Hyund/Kia3";
    }
    EXPECT_EQ(codes.size(), 173u);
    EXPECT_EQ(ktk3, 2); // blocks 109 and 132
    EXPECT_EQ(ExtraSystemCatalog().front().code, 93);
    EXPECT_EQ(FindExtraSystem(77)->name, "Bosch ESP9.1");
    EXPECT_EQ(FindExtraSystem(9), nullptr);
}

TEST(ExtraSystems, SelectionBitsAndShowChoices)
{
    Protocols p;
    ModelFeatures f;
    f.HasExtraSystems = true;
    Bench b(f, {&p.offered, &p.none});
    EditSession& s = *b.session;
    auto r5 = b.R5();
    std::fill(r5.begin() + 20, r5.begin() + 52, std::uint8_t{0});

    ASSERT_EQ(OfferedSystems(s.Context()).size(), 2u);
    EXPECT_EQ(OfferedSystems(s.Context())[0]->code, 27); // catalog order
    ApplyStructuredKey(s, "systems.selected", "27,77");
    EXPECT_EQ(r5[23], 0x08);
    EXPECT_EQ(r5[29], 0x20);
    ApplyStructuredKey(s, "systems.remove", "27");
    EXPECT_EQ(r5[23], 0x00);
    EXPECT_NE(Message([&] { ApplyStructuredKey(s, "systems.add", "28"); }).find("не опрашивается"), std::string::npos);

    // A bit of a system the model does not offer stays through every operation.
    SelectSystem(r5, 28, true);
    r5[20] = 0x7E;
    ApplyStructuredKey(s, "systems.show", "all");
    EXPECT_EQ(r5[20], 0x00);
    EXPECT_EQ(r5[23], 0x18);
    EXPECT_EQ(r5[29], 0x20);
    ApplyStructuredKey(s, "systems.list", "По типам");
    EXPECT_EQ(r5[20], 0x80);

    // "Protocol" with a current protocol that lists none of them clears every selection bit.
    Bench other(f, {&p.offered, &p.none}, 1);
    std::copy(r5.begin(), r5.end(), other.R5().begin());
    EditSession& s2 = *other.session;
    ASSERT_EQ(s2.Context().protocol, &p.none);
    ApplyStructuredKey(s2, "systems.show", "Протокол");
    auto o5 = other.R5();
    EXPECT_EQ(o5[20], 0x81);
    EXPECT_EQ(o5[23], 0x10); // only 28, not offered
    EXPECT_EQ(o5[29], 0x00);
    EXPECT_TRUE(SelectedSystems(s2.Context(), o5).empty());

    // Models without the page refuse the values.
    Bench plain;
    EXPECT_NE(Message([&] { ApplyStructuredKey(*plain.session, "systems.show", "all"); }).find("Допсистемы"), std::string::npos);
}

// ---- the maintenance file ----

class ServiceFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("tripconf-service-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::filesystem::path dir;
};

// Record 5 with byte i holding i.
SettingsModel Numbered()
{
    SettingsModel model;
    auto r5 = model.Record(5);
    for (std::size_t i = 0; i < r5.size(); ++i)
        r5[i] = static_cast<std::uint8_t>(i);
    return model;
}

TEST_F(ServiceFile, LayoutRoundTripAndShortFiles)
{
    // The record offsets in file order.
    std::vector<std::uint8_t> golden = {0, 1, 2, 3, 4, 5, 6};
    auto range = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            golden.push_back(static_cast<std::uint8_t>(i));
    };
    range(8, 51);
    range(108, 115);
    range(7, 7);
    range(52, 101);
    range(117, 118);
    range(102, 105);
    range(116, 116);
    const SettingsModel numbered = Numbered();
    EXPECT_EQ(ServiceFileBytes(numbered), golden);

    const auto path = (dir / "a.qvett").string();
    SaveServiceFile(numbered, path, Language::Russian);
    SettingsModel blank;
    const auto before = Bytes(blank, 5, 0, kRecordSizes[4]);
    LoadServiceFile(blank, path, Language::Russian);
    const auto after = Bytes(blank, 5, 0, kRecordSizes[4]);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool covered = i <= 105 || (i >= 108 && i <= 118);
        EXPECT_EQ(after[i], covered ? i : before[i]) << "record 5 byte " << i;
    }

    // A short file fills the parts it holds whole and says how much it held.
    for (std::size_t length : {1u, 7u, 10u, 11u, 59u, 116u, 117u}) {
        std::vector<std::uint8_t> file(length, 0xEE);
        SettingsModel m = Numbered();
        const std::string warning = LoadServiceFile(m, Write("short.qvett", file), Language::Russian);
        EXPECT_EQ(warning.empty(), length == kServiceFileSize) << length;
        if (length < kServiceFileSize) {
            EXPECT_NE(warning.find(std::to_string(length) + " байт из 117"), std::string::npos) << warning;
        }
        const auto r5 = m.Record(5);
        for (const auto& part : ServiceFileLayout()) {
            const bool whole = part.fileOffset + part.length <= length;
            for (std::size_t k = 0; k < part.length; ++k)
                EXPECT_EQ(r5[part.recordOffset + k], whole ? 0xEE : part.recordOffset + k) << length << " byte " << part.recordOffset + k;
        }
    }
}

TEST_F(ServiceFile, BadFilesChangeNothing)
{
    const SettingsModel reference = Numbered();
    const auto r5 = Bytes(reference, 5, 0, kRecordSizes[4]);
    // Longer than the format: refused with both sizes.
    for (const std::string& path : {Write("empty.qvett", {}), (dir / "missing.qvett").string(), dir.string(),
                                    Write("long.qvett", std::vector<std::uint8_t>(118, 1)), Write("huge.qvett", std::vector<std::uint8_t>(1 << 20, 1))}) {
        SettingsModel m = Numbered();
        EXPECT_THROW(LoadServiceFile(m, path, Language::Russian), Error) << path;
        EXPECT_EQ(Bytes(m, 5, 0, kRecordSizes[4]), r5);
    }
    EXPECT_THROW(SaveServiceFile(reference, dir.string(), Language::Russian), Error);
    EXPECT_THROW(SaveServiceFile(reference, (dir / "no" / "x.qvett").string(), Language::Russian), Error);
}

} // namespace
} // namespace tc
