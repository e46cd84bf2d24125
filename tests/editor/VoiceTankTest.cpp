// The voice warnings, the averages, parking and tank rows, the tare table and
// the tank file, without a window: bytes stored, what rows show, files that
// round-trip, short and bad files.
#include "EditorTestSupport.h"

#include "common/Error.h"
#include "editor/StructuredKeys.h"
#include "editor/TankFile.h"
#include "editor/VoiceModes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace tc {
namespace {

using test::Bytes;
using test::Hex;

// A session on the reference settings with one protocol of the given code
// and flags; `setup` adjusts features and protocol before the session opens.
struct Bench {
    explicit Bench(std::uint8_t code, const std::function<void(ModelFeatures&, VehicleProtocol&)>& setup = {})
        : model(test::LoadedModel(0xC000, 0)), protocol("test", code, 0, {}, {}, ModelFeatures{}, blocks, Language::Russian)
    {
        EditorContext ctx;
        ctx.modelListed = true;
        if (setup)
            setup(ctx.features, protocol);
        ctx.protocols = {&protocol};
        session.emplace(model, ctx);
    }
    RuleInput In() const { return {session->Context(), model}; }
    voice::ShownWarning Show(std::string_view key) const { return voice::ShowWarning(*voice::FindWarningRow(key), In()); }
    std::string Refusal(std::string_view key, std::string_view value)
    {
        try {
            EXPECT_TRUE(ApplyStructuredKey(*session, key, value)) << key;
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    }

    SettingsModel model;
    BlockPresence blocks{};
    VehicleProtocol protocol;
    std::optional<EditSession> session;
};

void Hybrid(ModelFeatures&, VehicleProtocol& p) { p.IsHybrid = true; }

TEST(VoiceModes, WarningsStoreTheirOwnSlotOnly)
{
    struct Case {
        std::uint8_t code;
        void (*setup)(ModelFeatures&, VehicleProtocol&);
        const char* keys;                        // KEY=VALUE;...
        std::vector<std::pair<int, int>> slots;  // the bytes of record 8 that change: slot, byte
    };
    const auto trimHybrid = [](ModelFeatures& f, VehicleProtocol& p) { f.HasTrim = true, p.IsHybrid = true; };
    const auto vag = [](ModelFeatures& f, VehicleProtocol&) { f.HasVagProtocols = true; };
    const Case cases[] = {
        // "Б" then "Г" on the overspeed row; "Н" on a one-group row is stored in both fields.
        {1, nullptr, "voice.mode.speed=Б,Г;voice.mode.maintenance=Н", {{2, 0x22}, {6, 0x09}}},
        // English letters and digits; a next-only change keeps the first mode.
        {1, nullptr, "voice.mode.battery_high=B,V;voice.mode.battery_high=,N", {{0, 0x0A}}},
        {1, nullptr, "voice.mode.fuel=2,4;voice.mode.econometer=O,Н", {{4, 0x22}, {11, 0x08}}},
        // With trim, the inverter row writes slot 22 and leaves the HVB slot alone.
        {1, trimHybrid, "voice.mode.inverter=Н,Б;voice.mode.trim_high=Г,Г", {{22, 0x11}, {25, 0x24}}},
        // Slot 17: the water pair for protocol 225, the diesel filter for the others.
        {225, Hybrid, "voice.mode.water_in_fuel=М,Н", {{17, 0x0B}}},
        {1, vag, "voice.mode.diesel_filter=Б", {{17, 0x12}}},
    };
    for (const auto& c : cases) {
        Bench b(c.code, c.setup);
        auto r8 = b.model.Record(8);
        std::fill(r8.begin(), r8.end(), std::uint8_t{0x3F}); // bits 6..7 clear, no mode shown
        auto expected = Bytes(b.model, 8, 0, 40);
        for (auto [slot, byte] : c.slots)
            expected[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(byte);
        for (const auto& kv : test::Split(c.keys, ';')) {
            const auto eq = kv.find('=');
            EXPECT_EQ(b.Refusal(kv.substr(0, eq), kv.substr(eq + 1)), "") << kv;
        }
        EXPECT_EQ(Hex(Bytes(b.model, 8, 0, 40)), Hex(expected)) << c.keys;
    }
}

TEST(VoiceModes, RefusedAndEmptyModesStoreNothing)
{
    const auto noVolume = [](ModelFeatures& f, VehicleProtocol& p) { f.NoVolumeControl = true, p.IsHybrid = true; };
    Bench b(1, noVolume);
    const auto before = b.model.SnapshotRecords();
    for (auto [key, value] : {std::pair{"voice.mode.speed", "М,О"}, {"voice.mode.speed", "О,Г"}, {"voice.mode.speed", "Б"},
                              {"voice.mode.maintenance", "Б,Б"}, {"voice.mode.speed", "X,О"}, {"voice.mode.motor", "О,О"},
                              {"voice.mode.water_in_fuel", "О,О"}, {"voice.mode.ice", ""}, {"voice.mode.nothing", "О,О"}})
        EXPECT_NE(b.Refusal(key, value), "") << key << "=" << value;
    // A group with nothing selected: nothing stored (not first | next << 3 of -1).
    for (auto [first, next] : {std::pair{-1, 2}, {2, -1}, {-1, -1}})
        EXPECT_FALSE(voice::StoreWarning(b.model, *voice::FindWarningRow("speed"), first, next, b.session->Context()));
    EXPECT_EQ(b.model.SnapshotRecords().bytes, before.bytes);
    EXPECT_FALSE(ApplyStructuredKey(*b.session, "voice.volume", "3")); // a field, not a warning
}

TEST(VoiceModes, RowsShowTheirBitsLabelsAndRules)
{
    Bench b(1);
    b.model.Record(8)[6] = 0x0A; // one-group row: only bits 0..2 show
    b.model.Record(8)[2] = 0x3F; // 7 and 7 are no modes
    b.model.Record(8)[3] = 0x21;
    EXPECT_EQ(b.Show("maintenance").first, 2);
    EXPECT_EQ(b.Show("maintenance").next, -1);
    EXPECT_EQ(b.Show("speed").first, -1);
    EXPECT_EQ(b.Show("speed").next, -1);
    EXPECT_EQ(b.Show("engine_speed").first, 1);
    EXPECT_EQ(b.Show("engine_speed").next, 4);
    for (int m = 0; m < voice::kModeCount; ++m)
        EXPECT_TRUE(voice::ModeEnabled(m, b.In()));

    struct Case {
        std::uint8_t code;
        void (*setup)(ModelFeatures&, VehicleProtocol&);
        const char* key;
        const char* label;
        bool visible, enabled;
    };
    const auto noLights = [](ModelFeatures& f, VehicleProtocol&) { f.NoLightWarnings = true, f.KmPerLitre = true; };
    const Case cases[] = {
        {1, nullptr, "speed", "Превыш.скорость", true, true},
        {1, nullptr, "motor", "Перегрев ЭлДвиг", false, false},
        {1, Hybrid, "motor", "Перегрев ЭлДвиг", true, false}, // no slot of its own
        {1, Hybrid, "water_in_fuel", "Помпа ДВС", true, false},
        {225, nullptr, "water_in_fuel", "Вода в топливе", true, true},
        {1, nullptr, "water_in_fuel", "Вода в топливе", false, false},
        {1, nullptr, "diesel_filter", "Сажевый фильтр", false, true},
        {225, nullptr, "diesel_filter", "Сажевый фильтр", false, false},
        {222, nullptr, "coolant", "Перегрев воды", true, true},
        {222, nullptr, "engine_overheat", "Перегрев двиг.", true, true},
        {224, nullptr, "engine_overheat", "Перегрев цил.", true, true},
        {1, nullptr, "engine_overheat", "Перегрев ДВС", false, true},
        {14, nullptr, "retarder", "Перегрев ретардера", true, true},
        {1, noLights, "parking_lights", "Габариты", false, true},
        {1, noLights, "ice", "Гололед", false, true},
        {1, nullptr, "trim_low", "Низкий трим", false, true},
    };
    for (const auto& c : cases) {
        Bench k(c.code, c.setup);
        const auto s = k.Show(c.key);
        EXPECT_EQ(s.label, c.label) << c.key << " " << int{c.code};
        EXPECT_EQ(s.visible, c.visible) << c.key << " " << int{c.code};
        EXPECT_EQ(s.enabled, c.enabled) << c.key << " " << int{c.code};
    }
    const auto noVolume = [](ModelFeatures& f, VehicleProtocol&) { f.NoVolumeControl = true; };
    Bench quiet(1, noVolume);
    EXPECT_FALSE(voice::ModeEnabled(3, quiet.In()));
    EXPECT_FALSE(voice::ModeEnabled(4, quiet.In()));
    EXPECT_TRUE(voice::ModeEnabled(2, quiet.In()));
}

TEST(VoiceTankFields, EdgeCasesStoreAndShowThese)
{
    struct Case {
        const char* key;
        const char* typed;
        int record;
        std::size_t offset;
        const char* hex;
    };
    const Case cases[] = {
        {"averages.trip_pause", "25", 7, 10, "0500"},
        {"averages.reset2", "Запр.", 1, 153, "ff"},
        {"averages.reset2", "Ручн.", 1, 153, "00"},
        {"averages.reset1", "Ручн.", 1, 152, "00"},
        {"averages.reset1", "7", 1, 152, "07"},
        {"averages.price_petrol", "45.6", 7, 0, "c801"},
        {"parking.rear.stop_distance", "120", 2, 10, "0c"},
        {"parking.front.mode", "ДвЗад", 2, 16, "02"},
        {"voice.sound_off", "ОтГол", 9, 282, "03"},
        {"voice.key_sound", "on", 9, 0, "04000000"},
        {"voice.speeding_thinning", "-1", 8, 32, "ff"},
        {"tank.seven_points", "3", 3, 36, "03"},
        {"tank.tare_points", "5", 4, 2, "05"},
    };
    for (const auto& c : cases) {
        Bench b(1);
        PutU32(b.model.Record(9), 0, 0); // the display options, so that only the sound bit shows
        b.session->Commit(c.key, c.typed, true);
        EXPECT_EQ(Hex(Bytes(b.model, c.record, c.offset, std::strlen(c.hex) / 2)), c.hex) << c.key;
        EXPECT_EQ(b.session->Shown(c.key).text, c.typed) << c.key;
    }
    Bench b(1);
    b.model.Record(1)[153] = 3;
    EXPECT_EQ(b.session->Shown("averages.reset2").text, "3");
    const auto before = b.model.SnapshotRecords();
    EXPECT_TRUE(b.session->Select("averages.reset2", -1).empty()); // nothing selected stores nothing
    EXPECT_TRUE(b.session->Select("averages.reset1", -1).empty());
    EXPECT_EQ(b.model.SnapshotRecords().bytes, before.bytes);

    // Without volume control: no "ОтГол", the volume, greeting and repeat hidden.
    const auto noVolume = [](ModelFeatures& f, VehicleProtocol&) { f.NoVolumeControl = true; };
    Bench quiet(1, noVolume);
    EXPECT_EQ(quiet.session->Shown("voice.sound_off").items.size(), 3u);
    for (const char* key : {"voice.volume", "voice.greeting", "voice.repeat_period"})
        EXPECT_FALSE(quiet.session->Shown(key).visible) << key;
    // Litres go up to the full-tank volume; the seven-point rows follow the count.
    PutU16(b.model.Record(3), 44, 60);
    b.model.Record(3)[36] = 2;
    EXPECT_EQ(b.session->Shown("tank.two_point2.litres").max, 60);
    EXPECT_TRUE(b.session->Shown("tank.seven_point2.units").visible);
    EXPECT_FALSE(b.session->Shown("tank.seven_point3.units").visible);
}

TEST(TareTable, DigitsRangesAndTheFirstPointFlag)
{
    Bench b(1);
    b.model.Record(4)[2] = 3;
    const auto parse = [&](const char* l, const char* u) { return tank::ParseTarePoint(*b.session, l, u); };
    EXPECT_EQ(parse("1 2", ""), (tank::TarePoint{12, 0}));
    EXPECT_EQ(parse("255", "32767"), (tank::TarePoint{255, 32767}));
    EXPECT_EQ(parse("-7", "a1b"), (tank::TarePoint{7, 1}));
    for (auto [l, u] : {std::pair{"256", "0"}, {"0", "32768"}, {"99999999999999999999999999", "0"}, {"0", "184467440737095516170"}})
        EXPECT_THROW(parse(l, u), Error) << l << " " << u;
    try {
        parse("300", "0");
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("от 0 до 255"), std::string::npos) << e.what();
    }

    const tank::TarePoint second = tank::TarePoints(b.model)[1];
    EXPECT_TRUE(ApplyStructuredKey(*b.session, "tank.tare.1", "10,241"));
    EXPECT_EQ(b.model.Record(4)[6], 1);
    EXPECT_TRUE(ApplyStructuredKey(*b.session, "tank.tare.1", "10,240"));
    EXPECT_EQ(b.model.Record(4)[6], 0);
    EXPECT_TRUE(ApplyStructuredKey(*b.session, "tank.tare.3", "1 2,"));
    EXPECT_EQ(tank::TarePoints(b.model), (std::vector<tank::TarePoint>{{10, 240}, second, {12, 0}}));
    const auto before = b.model.SnapshotRecords();
    for (auto [key, value] : {std::pair{"tank.tare.4", "1,1"}, {"tank.tare.0", "1,1"}, {"tank.tare.x", "1,1"}, {"tank.tare.2", "300,1"},
                              {"tank.tare.2", "1"}})
        EXPECT_NE(b.Refusal(key, value), "") << key;
    EXPECT_THROW(tank::StoreTarePoints(b.model, std::vector<tank::TarePoint>(4)), std::out_of_range);
    EXPECT_EQ(b.model.SnapshotRecords().bytes, before.bytes);
    b.model.Record(4)[2] = 69; // a count the device cannot hold shows no points
    EXPECT_EQ(tank::TareCount(b.model), 0);
    EXPECT_TRUE(tank::TarePoints(b.model).empty());
}

// ---- the tank file ----

// Record 3 byte i holds i, record 4 byte i holds 100 + i (mod 256): every file byte names its source.
void FillPattern(SettingsModel& model)
{
    auto r3 = model.Record(3);
    auto r4 = model.Record(4);
    for (std::size_t i = 0; i < r3.size(); ++i)
        r3[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < r4.size(); ++i)
        r4[i] = static_cast<std::uint8_t>(100 + i);
    r3[36] = 5;
    r4[2] = 60;
}

std::filesystem::path TempDir()
{
    auto dir = std::filesystem::temp_directory_path() / ("tank-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(TankFile, BytesFollowTheLayout)
{
    SettingsModel model = test::LoadedModel(0xC000, 0);
    FillPattern(model);
    std::vector<std::uint8_t> expected;
    const auto take = [&](int record, std::size_t from, std::size_t to) { // record bytes from..to inclusive
        const auto r = model.Record(record);
        expected.insert(expected.end(), r.begin() + static_cast<std::ptrdiff_t>(from), r.begin() + static_cast<std::ptrdiff_t>(to + 1));
    };
    take(3, 0, 36);
    take(4, 0, 2);
    take(4, 6, 6);
    take(4, 8, 75);
    take(4, 144, 279);
    ASSERT_EQ(expected.size(), 245u);
    EXPECT_EQ(tank::TankFileBytes(model), expected);
    // And from the reference defaults: the same ranges.
    SettingsModel defaults = test::LoadedModel(0xC000, 0);
    const auto file = tank::TankFileBytes(defaults);
    EXPECT_EQ(std::vector(file.begin(), file.begin() + 37), Bytes(defaults, 3, 0, 37));
    EXPECT_EQ(std::vector(file.begin() + 109, file.end()), Bytes(defaults, 4, 144, 136));
}

TEST(TankFile, SaveChangeLoadRestoresOnlyTheFilesBytes)
{
    const auto dir = TempDir();
    const std::string path = (dir / "calibration.qveto").string();
    SettingsModel model = test::LoadedModel(0xC000, 0);
    FillPattern(model);
    tank::SaveTankFile(model, path, Language::Russian);
    EXPECT_EQ(std::filesystem::file_size(path), 245u);
    const auto saved = model.SnapshotRecords();

    auto r3 = model.Record(3);
    auto r4 = model.Record(4);
    std::fill(r3.begin(), r3.end(), std::uint8_t{0xEE});
    std::fill(r4.begin(), r4.end(), std::uint8_t{0xEE});
    const auto load = tank::ApplyTankFile(model, tank::ReadTankFile(path, Language::Russian));
    EXPECT_EQ(load.used, 245u);
    EXPECT_FALSE(load.tareCountReset || load.linearCountReset);
    // Every byte the file covers is back; the others (record 3 from 37, record 4 bytes 3..5, 7, 76..143, 280..) keep 0xEE.
    const auto after = model.SnapshotRecords();
    const std::size_t r3At = RecordOffset(3), r4At = RecordOffset(4);
    for (std::size_t i = 0; i < after.bytes.size(); ++i) {
        const bool inFile = (i >= r3At && i < r3At + 37) || (i >= r4At && i < r4At + 3) || i == r4At + 6 ||
                            (i >= r4At + 8 && i < r4At + 76) || (i >= r4At + 144 && i < r4At + 280);
        const bool inTank = (i >= r3At && i < r3At + 64) || (i >= r4At && i < r4At + 420);
        if (inFile || !inTank)
            ASSERT_EQ(after.bytes[i], saved.bytes[i]) << i;
        else
            ASSERT_EQ(after.bytes[i], 0xEE) << i;
    }
    std::filesystem::remove_all(dir);
}

TEST(TankFile, ShortAndLongFilesFillTheWholeValuesTheyCover)
{
    struct Case {
        std::size_t length;
        std::size_t used;
    };
    // A 16-bit value cut in half keeps its old value.
    for (const auto& c : {Case{0, 0}, Case{1, 0}, Case{36, 36}, Case{37, 37}, Case{38, 38}, Case{110, 109}, Case{244, 243}, Case{245, 245},
                          Case{300, 245}}) {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        FillPattern(model);
        const auto before = tank::TankFileBytes(model);
        const std::vector<std::uint8_t> file(c.length, 0x03);
        const auto load = tank::ApplyTankFile(model, file);
        EXPECT_EQ(load.used, c.used) << c.length;
        auto expected = before;
        std::fill(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(c.used), std::uint8_t{0x03});
        EXPECT_EQ(tank::TankFileBytes(model), expected) << c.length;
    }
    // A 37-byte file: only the two linear calibrations and the seven-point count change.
    SettingsModel model = test::LoadedModel(0xC000, 0);
    const auto records = model.SnapshotRecords();
    tank::ApplyTankFile(model, std::vector<std::uint8_t>(37, 0x01));
    const auto after = model.SnapshotRecords();
    for (std::size_t i = 0; i < after.bytes.size(); ++i) {
        if (i < RecordOffset(3) || i >= RecordOffset(3) + 37) {
            ASSERT_EQ(after.bytes[i], records.bytes[i]) << i;
        }
    }
    EXPECT_EQ(Bytes(model, 3, 0, 37), std::vector<std::uint8_t>(37, 0x01));
}

TEST(TankFile, CountsBeyondTheirTablesLoadAsZero)
{
    SettingsModel model = test::LoadedModel(0xC000, 0);
    std::vector<std::uint8_t> file(245, 0x02);
    file[36] = 8;  // seven-point count
    file[39] = 69; // tare count
    const auto load = tank::ApplyTankFile(model, file);
    EXPECT_TRUE(load.linearCountReset);
    EXPECT_TRUE(load.tareCountReset);
    EXPECT_EQ(model.Record(3)[36], 0);
    EXPECT_EQ(model.Record(4)[2], 0);
    file[36] = 7;
    file[39] = 68;
    const auto fits = tank::ApplyTankFile(model, file);
    EXPECT_FALSE(fits.linearCountReset || fits.tareCountReset);
    EXPECT_EQ(model.Record(4)[2], 68);
}

TEST(TankFile, UnreadableOrUnwritablePathsAreRefused)
{
    const auto dir = TempDir();
#ifdef _WIN32
    const std::string fifo = "NUL"; // a device, not a file
#else
    const std::string fifo = (dir / "pipe.qveto").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
    const std::string empty = (dir / "empty.qveto").string();
    std::ofstream{empty};
    for (const std::string& path : {dir.string(), (dir / "missing.qveto").string(), fifo, empty})
        EXPECT_THROW(tank::ReadTankFile(path, Language::Russian), Error) << path;
    SettingsModel model = test::LoadedModel(0xC000, 0);
    for (const std::string& path : {dir.string(), (dir / "no" / "such.qveto").string(), fifo})
        EXPECT_THROW(tank::SaveTankFile(model, path, Language::Russian), Error) << path;
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tc
