// The edit session without a window: show-time writes, what controls show,
// commits and refusals, the protocol change and its recomputations, OK and
// Cancel through the model's edit procedure.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/Codecs.h"
#include "editor/DisplayLayouts.h"
#include "editor/SettingsCompare.h"
#include "editor/StructuredKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

namespace tc {
namespace {

using test::Bytes;
using test::LoadedModel;
using test::Message;
using test::Split;

// Runs `body` in an edit session on the reference settings of a model and
// cancels; returns nothing, the test checks inside.
template <typename Body>
void InSession(std::uint16_t modelCode, std::uint16_t protocolIndex, Body body)
{
    SettingsModel model = LoadedModel(modelCode, protocolIndex);
    EditSettings(model, Language::Russian, [&](EditSession& s) {
        body(model, s);
        return false;
    });
}

bool Contains(const ChangedFields& changed, std::string_view key)
{
    return std::any_of(changed.begin(), changed.end(), [&](std::size_t i) { return EditorFields()[i].key == key; });
}

// ---- the walks ----

TEST(EditSession, OpeningWritesOnlyTheProtocolMirrorAndOkKeepsIt)
{
    for (const auto& m : ListedModels()) {
        SettingsModel model = LoadedModel(m.code, 3);
        PutU16(model.Record(10), 6, 0xBEEF); // the mirror of the protocol index, overwritten when the editor opens
        model.EncodeSection(10);
        const auto before = model.SnapshotRecords();
        const auto imageBefore = model.Image;
        EXPECT_TRUE(EditSettings(model, Language::Russian, [](EditSession&) { return true; }));
        const auto after = model.SnapshotRecords();
        const std::size_t mirror = RecordOffset(10) + 6;
        for (std::size_t i = 0; i < before.bytes.size(); ++i) {
            if (i != mirror && i != mirror + 1) {
                ASSERT_EQ(before.bytes[i], after.bytes[i]) << "model " << m.name << " byte " << i;
            }
        }
        EXPECT_EQ(GetU16(model.Record(10), 6), 3);
        std::size_t differing = 0; // the image differs in exactly those two bytes
        for (std::size_t i = 0; i < imageBefore.size(); ++i)
            differing += imageBefore[i] != model.Image[i];
        EXPECT_EQ(differing, 2u) << m.name;
    }
}

// What a control shows, typed back, encodes to exactly the bytes it came from.
void ExpectEncodesBack(const SettingsModel& model, const ShownControl& shown)
{
    const Field& f = *shown.field;
    const auto record = model.Record(f.record);
    switch (f.kind) {
    case ControlKind::Number: {
        const auto typed = ParseDecimal(shown.text);
        ASSERT_TRUE(typed);
        if (f.codec == Codec::Factor) {
            EXPECT_EQ(FactorFromPercent(typed->Value()), GetF32(record, static_cast<std::size_t>(f.offset)));
        } else {
            EXPECT_EQ(ScaleToRaw(*typed, f.scaleNum, f.scaleDen), ReadRaw(f, record));
        }
        break;
    }
    case ControlKind::Choice:
    case ControlKind::Radio:
        if (f.map == ItemMap::Position) {
            EXPECT_EQ(shown.selected + f.itemOffset, ReadRaw(f, record));
        }
        break;
    case ControlKind::Check:
        EXPECT_EQ(shown.checked, ReadRaw(f, record) != 0);
        break;
    case ControlKind::Time:
        if (shown.mark == ValueMark::None) {
            EXPECT_EQ(ParseDayTime(shown.text), ReadRaw(f, record));
        }
        break;
    case ControlKind::Text: { // a name's bytes after its terminating 0 are not shown
        const auto bytes = TextBytes(f, shown.text, false);
        const auto stored = record.subspan(static_cast<std::size_t>(f.offset), bytes.size());
        const auto end = f.codec == Codec::Name16 ? std::find(stored.begin(), stored.end(), 0) - stored.begin() : 4;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + end, stored.begin()));
        break;
    }
    }
}

// Every model with each of its protocols: opening never throws, and what every
// visible control shows commits back byte-identically. With each model's first
// protocol the values also go the whole way through the session: typed again
// differently, or another item or state chosen and then the shown one again.
TEST(EditSession, EveryShownValueCommitsBackByteIdentically)
{
    int sessions = 0, protocols = 0;
    for (const auto& m : ListedModels())
        protocols += m.protocolCount;
    for (const auto& m : ListedModels()) {
        for (int p = 0; p < m.protocolCount; ++p) {
            InSession(m.code, static_cast<std::uint16_t>(p), [&](SettingsModel& model, EditSession& s) {
                ++sessions;
                const auto snapshot = model.SnapshotRecords();
                const auto& opened = snapshot.bytes;
                for (std::size_t i = 0; i < EditorFields().size(); ++i) {
                    const ShownControl shown = s.Shown(i);
                    if (!shown.visible)
                        continue;
                    const Field& f = *shown.field;
                    SCOPED_TRACE(std::string(m.name) + " protocol " + std::to_string(p) + " " + std::string(f.key) + "=" + shown.text);
                    // What the control already shows changes nothing, marked or not.
                    EXPECT_TRUE(s.Commit(f.key, shown.text, true).empty());
                    if (shown.mark != ValueMark::None)
                        continue;
                    ExpectEncodesBack(model, shown);
                    if (p != 0)
                        continue;
                    switch (f.kind) {
                    case ControlKind::Number:
                        s.Commit(f.key, shown.text + (shown.decimals ? "0" : ".0"), true);
                        break;
                    case ControlKind::Choice:
                    case ControlKind::Radio:
                        if (shown.items.size() >= 2) {
                            s.Select(f.key, shown.selected == 0 ? 1 : 0, true);
                            s.Select(f.key, shown.selected, true);
                        }
                        break;
                    case ControlKind::Check:
                        s.SetChecked(f.key, !shown.checked, true);
                        s.SetChecked(f.key, shown.checked, true);
                        break;
                    case ControlKind::Time:
                        s.Commit(f.key, shown.text == "00:01" ? "00:02" : "00:01", true);
                        s.Commit(f.key, shown.text, true);
                        break;
                    case ControlKind::Text:
                        break; // typed texts: ServicePagesTest
                    }
                    EXPECT_EQ(s.Shown(i).text, shown.text);
                    if (!f.hook && !f.selectsProtocol && f.clearOnStore == 0) {
                        ASSERT_EQ(model.SnapshotRecords().bytes, opened);
                    } else {
                        model.RestoreRecords(snapshot); // undo the hooks' follow-up writes
                    }
                }
                ASSERT_EQ(model.SnapshotRecords().bytes, opened);
            });
        }
    }
    EXPECT_EQ(sessions, protocols);
}

TEST(EditSession, CancelAfterManyEditsLeavesRecordsAndImageAsTheyWere)
{
    SettingsModel model = LoadedModel(0xC000, 11);
    const auto records = model.SnapshotRecords();
    const auto image = model.Image;
    EXPECT_FALSE(EditSettings(model, Language::Russian, [](EditSession& s) {
        s.Commit("corrections.speed", "12.5");
        s.Commit("corrections.initial_mileage", "123456");
        s.Commit("sources.detection", "Руч.");
        s.Commit("sources.protocol", "#3");
        s.Commit("sources.tank_method", "ДУТ");
        s.Commit("sources.battery_compensation", "off");
        s.Commit("limits.speed", "150");
        s.Commit("limits.battery_low", "11.5");
        s.Commit("sources.lock_type", "Вирт.");
        s.Commit("sources.lock_level", "3");
        return false;
    }));
    EXPECT_EQ(model.SnapshotRecords().bytes, records.bytes);
    EXPECT_EQ(model.Image, image);
}

// ---- numbers ----

// ---- tables of cases: settings, what the user does, what results ----

// "6:60=6666863f;10:12=0102" into the records, before the editor opens.
void Poke(SettingsModel& model, std::string_view pokes)
{
    for (const auto& poke : Split(pokes, ';')) {
        const auto colon = poke.find(':'), eq = poke.find('=');
        const int record = std::stoi(poke.substr(0, colon));
        std::size_t offset = std::stoul(poke.substr(colon + 1, eq - colon - 1));
        for (std::size_t i = eq + 1; i + 1 < poke.size(); i += 2)
            model.Record(record)[offset++] = static_cast<std::uint8_t>(std::stoi(poke.substr(i, 2), nullptr, 16));
        model.EncodeSection(record);
    }
}

// "key=value;key=value" committed in order.
void CommitAll(EditSession& s, std::string_view commits)
{
    for (const auto& c : Split(commits, ';'))
        s.Commit(c.substr(0, c.find('=')), c.substr(c.find('=') + 1));
}

struct Setting {
    std::uint16_t model;
    std::uint16_t protocol;
    const char* pokes;
    const char* commits;
};

template <typename Body>
void InSession(const Setting& at, Body body)
{
    SettingsModel model = LoadedModel(at.model, at.protocol);
    Poke(model, at.pokes);
    EditSettings(model, Language::Russian, [&](EditSession& s) {
        CommitAll(s, at.commits);
        body(model, s);
        return false;
    });
}

TEST(EditSession, CommitsStoreTheseBytes)
{
    struct Case {
        Setting at;
        int record;
        std::size_t offset;
        const char* hex;
    };
    const Case cases[] = {
        {{0xC000, 0, "", "corrections.speed=-99.0"}, 6, 60, "0ad7233c"}, // factor 0.01
        {{0xC000, 0, "", "corrections.petrol=2.5"}, 6, 56, "3333833f"},  // 1.025
        {{0xC000, 0, "", "limits.speed=130"}, 6, 4, "41"},
        {{0xC000, 0, "", "sources.manual_consumption=7,5"}, 3, 42, "4b00"},
        {{0xC000, 0, "", "corrections.battery=-0.7"}, 6, 52, "f9"},
        {{0xC000, 0, "", "corrections.initial_mileage=123456"}, 1, 144, "40e20100"},
        {{0x5200, 7, "", "corrections.pulses_per_rev=2.5"}, 6, 74, "05"}, // protocol 254
        {{0x8082, 1, "", "limits.hvb_fan6=on"}, 6, 0, "00440000"},        // bit 14 leaves bit 15
        {{0x8082, 1, "", "limits.hvb_heating=on;limits.hvb_fan6=on"}, 6, 0, "00c40000"},
        {{0x5800, 0, "", "sources.battery_compensation=off"}, 6, 0, "00040200"}, // unchecking sets bit 17
        {{0x5800, 0, "", "sources.battery_compensation=off;sources.battery_compensation=on"}, 6, 0, "00040000"},
        {{0x5100, 0, "", "sources.lock_level=Стрт"}, 6, 72, "04"},
        {{0x8082, 1, "", "sources.lock_type=Вирт.;sources.lock_level=4"}, 6, 72, "04"},
        {{0x8082, 1, "6:73=03", "sources.engine_speed=Форс.;corrections.tachometer=2"}, 6, 73, "02"},
        {{0x5800, 0, "", "limits.trim_high=90;limits.trim_low=50;limits.trim_high=51"}, 6, 36, "3233"},
        {{0xC000, 0, "", "sources.tank_mode=Тарирован.;sources.tank_method=ДУТ"}, 3, 37, "0201"},
        // Speed sources: no ECU speed for protocols 225, 254, 255; a physical lock may not keep the last source.
        {{0x5200, 7, "", "sources.speed=Датч."}, 6, 40, "01"},
        {{0x5800, 0, "", "sources.speed=Датч."}, 6, 40, "00"},
        {{0x5800, 0, "", "sources.lock_type=Вирт.;sources.speed=Датч."}, 6, 40, "02"},
        {{0x5800, 0, "", "sources.lock_type=Вирт.;sources.speed=Датч.;sources.lock_type=Физич."}, 6, 40, "00"},
        {{0x5800, 19, "", "sources.speed=Датч."}, 6, 40, "01"}, // the fallback skips the disabled ECU item
        // The protocol: the same one keeps the options, another mirrors its index and clears them.
        {{0xC000, 11, "10:12=0102030405060708", "sources.detection=Руч.;sources.protocol=CAN"}, 10, 4, "0b000b00040000000102030405060708"},
        {{0xC000, 11, "10:12=0102030405060708", "sources.detection=Руч.;sources.protocol=M74CAN"}, 10, 4, "00000000040000000000000000000000"},
        {{0x4010, 5, "", "sources.protocol=#4"}, 10, 4, "04000400"}, // out of the list, then put right
    };
    for (const auto& c : cases) {
        InSession(c.at, [&](SettingsModel& model, EditSession&) {
            EXPECT_EQ(test::Hex(Bytes(model, c.record, c.offset, std::strlen(c.hex) / 2)), c.hex) << c.at.commits;
        });
    }
}

TEST(EditSession, ControlsShowThese)
{
    constexpr double any = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Setting at;
        const char* key;
        const char* text;
        ValueMark mark;
        bool visible;
        double min = any, max = any;
    };
    const auto None = ValueMark::None, OutOfRange = ValueMark::OutOfRange, Unshowable = ValueMark::Unshowable;
    const Case cases[] = {
        {{0xC000, 0, "6:60=6666863f", ""}, "corrections.speed", "5.0", None, true, -99.0, 999.9}, // 1.05
        {{0xC000, 0, "6:56=0000c07f", ""}, "corrections.petrol", "", Unshowable, true},           // NaN
        {{0xC000, 0, "6:56=0000807f", ""}, "corrections.petrol", "", Unshowable, true},           // infinity
        {{0xC000, 0, "6:4=41", ""}, "limits.speed", "130", None, true, 40, 200},
        {{0x5200, 7, "6:74=05", ""}, "corrections.pulses_per_rev", "2.5", None, true, 0.5, 12},
        {{0x5200, 7, "", ""}, "corrections.tachometer", "1", None, false},
        {{0xC010, 0, "6:12=f000", ""}, "limits.battery_low", "24.0", None, true, 18.0, 27.8},
        {{0xC010, 0, "", ""}, "limits.battery_high", "15.5", OutOfRange, true, 28.0, 32.0},
        {{0xC000, 0, "6:12=f000", ""}, "limits.battery_low", "24.0", OutOfRange, true, 9.0, 13.9},
        {{0xC010, 0, "", ""}, "limits.supply", "12В", None, true},
        {{0xC000, 0, "", ""}, "limits.supply", "12В", None, false},
        {{0x8082, 1, "", ""}, "limits.fan_temperature", "115", OutOfRange, true, 25, 60}, // hybrid drive
        {{0x8082, 1, "", ""}, "limits.extra_cooling", "0", OutOfRange, true, 90, 100},
        {{0xC000, 0, "", ""}, "limits.fan_temperature", "115", None, true, 75, 115},
        {{0xC000, 0, "", ""}, "limits.inverter", "120", None, false},
        {{0xC000, 11, "", ""}, "limits.at_oil_wear", "30", None, true},
        {{0x5800, 0, "", ""}, "limits.trim_low", "0", OutOfRange, true, -9, -1},
        {{0x5800, 0, "", "limits.trim_high=90;limits.trim_low=50"}, "limits.trim_high", "90", None, true, 51, 90},
        {{0x5800, 0, "", ""}, "sources.battery_compensation", "on", None, true},
        {{0xC000, 0, "", "sources.tank_method=ДУТ"}, "sources.battery_compensation", "on", None, true},
        {{0xC000, 0, "", ""}, "sources.battery_compensation", "on", None, false},
        {{0xC000, 0, "10:8=09", ""}, "sources.detection", "", Unshowable, true},
        {{0xC000, 0, "", ""}, "sources.protocol", "M74CAN", None, false}, // automatic detection
        {{0x4010, 5, "", ""}, "sources.protocol", "", Unshowable, true}, // not in the list: shown to be put right
        {{0x1234, 0, "", ""}, "sources.protocol", "", Unshowable, true},
        {{0xC000, 11, "10:12=0102030405060708", ""}, "sources.option0", "", Unshowable, false},
        {{0xC000, 11, "10:12=0102030405060708", ""}, "sources.option1", "", Unshowable, true}, // 2 of "4", "1"
        {{0xC000, 11, "10:12=0102030405060708", ""}, "sources.option2", "4", None, true},
        // The tank method keeps showing the stored method across protocols, empty while the list lacks it.
        {{0xC000, 11, "", "sources.detection=Руч.;sources.tank_method=ДУТ ЭБУ2;sources.protocol=#3"}, "sources.tank_method", "", Unshowable, true},
        {{0xC000, 11, "", "sources.detection=Руч.;sources.tank_method=ДУТ ЭБУ2;sources.protocol=#3;sources.protocol=#2"},
         "sources.tank_method", "ДУТ ЭБУ2", None, true},
        {{0x8082, 1, "6:73=03", "sources.engine_speed=Форс."}, "corrections.tachometer", "4", OutOfRange, true},
        {{0xC000, 0, "", ""}, "corrections.injector_polarity", "-", None, false},
        {{0xC000, 0, "", "sources.petrol=Форс."}, "corrections.injector_polarity", "-", None, true},
        {{0x4010, 0, "", ""}, "sources.engine_speed", "ЭБУ", None, false},
        {{0x5100, 0, "", ""}, "sources.lock_type", "Физич.", None, false},
        {{0x5100, 0, "", ""}, "sources.lock_level", "", Unshowable, true}, // stored 0 is no item ("1" is 1)
        {{0xC000, 0, "", ""}, "sources.lock_level", "", Unshowable, false},
        {{0xC000, 0, "", "sources.lock_type=Вирт."}, "sources.lock_level", "", Unshowable, true},
    };
    for (const auto& c : cases) {
        InSession(c.at, [&](SettingsModel&, EditSession& s) {
            const auto shown = s.Shown(c.key);
            SCOPED_TRACE(std::string(c.key) + " on " + std::to_string(c.at.model) + " after " + c.at.commits);
            EXPECT_EQ(shown.text, c.text);
            EXPECT_EQ(shown.mark, c.mark);
            EXPECT_EQ(shown.visible, c.visible);
            if (!std::isnan(c.min)) {
                EXPECT_DOUBLE_EQ(shown.min, c.min);
                EXPECT_DOUBLE_EQ(shown.max, c.max);
            }
        });
    }
}

TEST(EditSession, CommitsReportTheControlsTheyChange)
{
    struct Case {
        Setting at;
        const char* commit;
        std::vector<std::string_view> changed; // among others
    };
    const Case cases[] = {
        {{0xC000, 11, "", "sources.detection=Руч."}, "sources.protocol=M74CAN",
         {"sources.protocol", "sources.option1", "sources.option2", "limits.at_oil_wear", "limits.fan_speed", "sources.tank_method", "sources.parking_lights"}},
        {{0x5200, 0, "", "sources.detection=Руч."}, "sources.protocol=#7", {"sources.speed", "corrections.pulses_per_rev", "limits.coolant"}},
        {{0xC000, 0, "", ""}, "sources.petrol=Форс.", {"corrections.injector_polarity", "corrections.tachometer"}},
        {{0xC000, 0, "", ""}, "sources.tank_method=ДУТ", {"sources.battery_compensation"}},
        {{0x5800, 0, "", "limits.trim_high=90"}, "limits.trim_low=50", {"limits.trim_high"}},
        {{0x5800, 0, "", "sources.lock_type=Вирт.;sources.speed=Датч."}, "sources.lock_type=Физич.", {"sources.speed", "sources.lock_level"}},
    };
    for (const auto& c : cases) {
        InSession(c.at, [&](SettingsModel& model, EditSession& s) {
            const Catalog* catalog = &model.ModelCatalog();
            const MeasParList* parameters = &model.Parameters();
            const std::string_view commit = c.commit;
            const auto changed = s.Commit(commit.substr(0, commit.find('=')), commit.substr(commit.find('=') + 1));
            for (auto key : c.changed)
                EXPECT_TRUE(Contains(changed, key)) << key << " after " << c.commit;
            EXPECT_EQ(model.CurrentProtocol(), s.Context().protocol); // the previews read the same protocol
            EXPECT_EQ(&model.ModelCatalog(), catalog); // a protocol choice evaluates nothing again
            EXPECT_EQ(&model.Parameters(), parameters);
        });
    }
}

TEST(EditSession, DetectionListFollowsTheFeaturesItIsGiven)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    model.EvaluateCatalog(Language::Russian);
    struct Case {
        bool obd, vag, opel, noAutoVag;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {true, true, true, false, {"Авт.", "АвтOBD", "АвтVAG", "АвтOpl", "Руч."}},
        {false, true, false, false, {"Авт.", "АвтVAG", "Руч."}},
        {false, true, true, true, {"Авт.", "АвтOpl", "Руч."}},
        {false, false, false, false, {"Авт.", "Руч."}},
    };
    for (const auto& c : cases) {
        EditorContext ctx = EditorContext::FromModel(model, Language::Russian);
        ctx.features.HasObdProtocols = c.obd;
        ctx.features.HasVagProtocols = c.vag;
        ctx.features.HasOpelProtocols = c.opel;
        ctx.features.NoAutoVag = c.noAutoVag;
        EditSession s(model, ctx);
        const auto shown = s.Shown("sources.detection");
        std::vector<std::string> texts;
        for (const auto& item : shown.items)
            texts.push_back(item.text);
        EXPECT_EQ(texts, c.items);
        if (c.vag && !c.obd && !c.noAutoVag) {
            s.Commit("sources.detection", "АвтVAG");
            EXPECT_EQ(model.Record(10)[8], 1);
        }
        // The protocol choice is offered with the last (manual) item only.
        s.Select("sources.detection", static_cast<int>(texts.size()) - 1);
        EXPECT_TRUE(s.Shown("sources.protocol").visible);
        s.Select("sources.detection", 0);
        EXPECT_FALSE(s.Shown("sources.protocol").visible);
    }
}


// An unknown model or a protocol index past the list: no current protocol and
// every protocol-driven control hidden; blank values store nothing until typed.
TEST(EditSession, WithoutProtocolOrValuesNothingBreaksAndNothingIsStored)
{
    for (auto [code, index] : {std::pair<std::uint16_t, std::uint16_t>{0x4010, 5}, {0x4010, 300}, {0x1234, 0}}) {
        InSession(code, index, [&](SettingsModel&, EditSession& s) {
            EXPECT_EQ(s.Context().protocol, nullptr);
            for (const char* key : {"limits.coolant", "limits.warm_engine", "sources.option0", "sources.option1", "sources.battery",
                                    "limits.fan_temperature", "corrections.tachometer"})
                EXPECT_FALSE(s.Shown(key).visible) << key;
            EXPECT_TRUE(s.Shown("sources.speed").items[0].enabled);
        });
    }
    InSession({0xC000, 0, "10:8=09;6:56=0000c07f", ""}, [](SettingsModel& model, EditSession& s) {
        const auto before = model.SnapshotRecords().bytes;
        for (const char* key : {"sources.detection", "sources.tank_mode", "sources.protocol"})
            EXPECT_TRUE(s.Select(key, -1).empty());
        EXPECT_TRUE(s.Commit("sources.detection", "").empty());
        EXPECT_TRUE(s.Commit("corrections.petrol", "").empty()); // leaving the empty field
        EXPECT_EQ(model.SnapshotRecords().bytes, before);
        s.Commit("corrections.petrol", "2.5");
        EXPECT_EQ(GetF32(model.Record(6), 56), 1.025f);
    });
}

// ---- refusals ----

TEST(EditSession, RefusalsChangeNothingAndSayWhy)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    model.EvaluateCatalog(Language::Russian);
    EditorContext ctx = EditorContext::FromModel(model, Language::English);
    EditSession s(model, ctx);
    const auto before = model.SnapshotRecords();
    struct Case {
        const char* key;
        const char* text;
        bool force;
        const char* message; // part of the English message
    };
    for (const auto& c : {
             Case{"corrections.speed", "1000", false, "Value must be from -99.0 to 999.9 % (\"Speed\": \"1000\")"},
             Case{"corrections.speed", "5.05", false, "from -99.0 to 999.9 %"}, // a digit the field cannot hold, never rounded
             Case{"limits.speed", "131", false, "from 40 to 200 km/h, in steps of 2"}, // arrows only: the steps
             Case{"corrections.speed", "fast", false, "\"fast\""},
             Case{"corrections.battery", "0.8", false, "from -0.7 to 0.7"},
             Case{"corrections.initial_hours", "-1", false, "from 0 to 99999"},
             Case{"limits.speed", "202", false, "from 40 to 200"},
             Case{"corrections.tachometer", "3", true, "Items: 1, 2, 4 (or #index)"},
             Case{"corrections.tachometer", "#3", true, "Items: 1, 2, 4"},
             Case{"corrections.tachometer", "4", false, "is hidden"},
             Case{"sources.gas", "Inj", false, "cannot be changed here"},
             Case{"sources.use_tank2", "yes", false, "takes on or off"},
             Case{"corrections.nothing", "1", false, "No setting \"corrections.nothing\""},
         }) {
        EXPECT_NE(Message([&] { s.Commit(c.key, c.text, c.force); }).find(c.message), std::string::npos) << c.key << "=" << c.text;
        EXPECT_EQ(model.SnapshotRecords().bytes, before.bytes) << c.key;
    }
    // Forced, a disabled control takes the value.
    s.Commit("sources.gas", "Inj", true);
    EXPECT_EQ(model.Record(6)[43], 1);
    // Russian limits in the Russian message.
    EditSession ru(model, EditorContext::FromModel(model, Language::Russian));
    EXPECT_EQ(Message([&] { ru.Commit("corrections.battery", "0.8"); }),
              "Значение должно быть от -0.7 до 0.7 В («Напряжение АКБ»: «0.8»)");
    // Trailing zeros are no further digit.
    s.Commit("corrections.speed", "5.00");
    EXPECT_EQ(s.Shown("corrections.speed").text, "5.0");
}

// One visibility rule: a control is visible only on a page the model shows and
// when its own rule allows. Every model, every page: a control of a hidden
// page is hidden and refused without force, as is a structured value of it;
// the comparison marks its change hidden.
TEST(EditSession, ControlsOfAHiddenPageAreHiddenEverywhere)
{
    int hiddenPages = 0;
    for (const auto& m : ListedModels()) {
        SettingsModel model = LoadedModel(m.code, 0);
        model.EvaluateCatalog(Language::Russian);
        EditSession s(model, EditorContext::FromModel(model, Language::Russian));
        const RuleInput in{s.Context(), s.Model()};
        for (const ShownPage& page : s.Pages()) {
            EXPECT_EQ(page.visible, s.PageShown(page.page->page));
            hiddenPages += !page.visible;
            for (const Field& f : s.Fields()) {
                if (f.page != page.page->page)
                    continue;
                const ShownControl c = s.Shown(f.key);
                EXPECT_EQ(c.visible, page.visible && (!f.visible || f.visible(in))) << m.name << " " << f.key;
                if (!page.visible && (!c.text.empty() || f.kind == ControlKind::Text)) {
                    EXPECT_NE(Message([&] { s.Commit(f.key, c.text); }).find("скрыт"), std::string::npos) << m.name << " " << f.key;
                }
            }
        }
        if (!s.PageShown(Page::ExtraSystems)) {
            const auto before = model.SnapshotRecords().bytes;
            EXPECT_NE(Message([&] { ApplyStructuredKey(s, "systems.selected", "27"); }), "(accepted)") << m.name;
            EXPECT_EQ(model.SnapshotRecords().bytes, before) << m.name;
        }
    }
    EXPECT_GT(hiddenPages, 0);

    // 0x5100 has no parking sensors: a changed parking setting is hidden in the comparison.
    SettingsModel a = LoadedModel(0x5100, 0);
    SettingsModel b = a;
    b.Record(2)[2] = static_cast<std::uint8_t>(b.Record(2)[2] + 1);
    const auto cmp = CompareSettings(a, b, Language::Russian);
    ASSERT_EQ(cmp.settings.size(), 1u);
    EXPECT_EQ(cmp.settings[0].field->key, "parking.rear.sensitivity");
    EXPECT_TRUE(cmp.settings[0].hidden);
}

TEST(EditSession, PagesAndCaptionsInBothLanguages)
{
    SettingsModel model = LoadedModel(0x5800, 0);
    model.EvaluateCatalog(Language::Russian);
    EditorContext ctx = EditorContext::FromModel(model, Language::Russian);
    EditSession ru(model, ctx);
    ctx.language = Language::English;
    EditSession en(model, ctx);
    EXPECT_EQ(ru.Shown("corrections.clock").caption, "Время (секунд в сутки)");
    EXPECT_EQ(en.Shown("corrections.clock").caption, "Time (sec. per day)");
    EXPECT_EQ(en.Shown("sources.range_forecast").items[2].text, "Man.");
    std::vector<std::string> visible;
    for (const auto& p : en.Pages())
        if (p.visible)
            visible.push_back(p.caption);
    // ZR-33: no parking sensors, trim, no extra systems.
    EXPECT_EQ(visible, (std::vector<std::string>{"Correction", "Resources", "Limits", "Display", "Sounds", "Average", "Fuel", "TS", "Uni.input/Trim"}));
}

// Undo and redo walk the session back and forth one change at a time, over
// every kind of control and a structured edit; Revert to opened is one more
// step; a new change forgets what could be redone.
TEST(EditSession, UndoRedoAndRevertWalkTheSessionStepByStep)
{
    std::map<ControlKind, int> walked;
    for (const std::uint16_t code : {std::uint16_t{0xC000}, std::uint16_t{0x5100}, std::uint16_t{0x8082}}) {
        InSession(code, 0, [&](SettingsModel& model, EditSession& s) {
            const auto opened = model.SnapshotRecords().bytes;
            struct Step {
                std::string key;
                std::string shownBefore;
                std::vector<std::uint8_t> before;
            };
            std::vector<Step> steps;
            EXPECT_FALSE(s.CanUndo());
            EXPECT_TRUE(s.Undo().empty());
            // A value of its own for the first few visible controls of each kind.
            const auto candidates = [](const ShownControl& c) -> std::vector<std::string> {
                switch (c.kind) {
                case ControlKind::Number:
                    return {FormatNumber(c.min, c.decimals), FormatNumber(c.max, c.decimals)};
                case ControlKind::Choice:
                case ControlKind::Radio:
                    return {"#0", "#1"};
                case ControlKind::Check:
                    return {c.checked ? "off" : "on"};
                case ControlKind::Time:
                    return {"07:15", "19:45"};
                case ControlKind::Text:
                    return {"Undo", "Redo"};
                }
                return {};
            };
            for (const ControlKind kind : {ControlKind::Number, ControlKind::Choice, ControlKind::Radio, ControlKind::Check, ControlKind::Time, ControlKind::Text}) {
                int taken = 0;
                for (std::size_t i = 0; i < s.Fields().size() && taken < 3; ++i) {
                    const ShownControl c = s.Shown(i);
                    if (c.kind != kind || !c.visible || !c.enabled)
                        continue;
                    for (const auto& value : candidates(c)) {
                        const auto before = model.SnapshotRecords().bytes;
                        try {
                            s.Commit(c.field->key, value);
                        } catch (const Error&) {
                            continue;
                        }
                        if (model.SnapshotRecords().bytes == before)
                            continue;
                        steps.push_back({std::string(c.field->key), c.text, before});
                        ++taken;
                        break;
                    }
                }
                walked[kind] += taken;
            }
            const auto beforeApply = model.SnapshotRecords().bytes;
            s.Apply([](SettingsModel& m) { m.Record(kDisplayRecord)[0] ^= 0x01; });
            steps.push_back({"", "", beforeApply});
            const auto last = model.SnapshotRecords().bytes;
            EXPECT_TRUE(s.CanUndo());
            EXPECT_FALSE(s.CanRedo());

            for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
                s.Undo();
                EXPECT_EQ(model.SnapshotRecords().bytes, it->before) << it->key;
                if (!it->key.empty()) {
                    EXPECT_EQ(s.Shown(it->key).text, it->shownBefore) << it->key;
                }
            }
            EXPECT_EQ(model.SnapshotRecords().bytes, opened);
            EXPECT_FALSE(s.CanUndo());
            EXPECT_FALSE(s.ChangedSinceOpened());
            while (s.CanRedo())
                s.Redo();
            EXPECT_EQ(model.SnapshotRecords().bytes, last);

            // Revert asks nothing, is one step, and undoes like any other.
            s.RevertToOpened();
            EXPECT_EQ(model.SnapshotRecords().bytes, opened);
            EXPECT_TRUE(s.RevertToOpened().empty()); // already there: no step
            s.Undo();
            EXPECT_EQ(model.SnapshotRecords().bytes, last);
            s.Redo();
            EXPECT_EQ(model.SnapshotRecords().bytes, opened);

            // Undone steps are forgotten by a new change; an unchanged value adds no step.
            s.Undo();
            s.Undo();
            EXPECT_TRUE(s.CanRedo());
            const std::string key = steps.front().key;
            s.Commit(key, s.Shown(key).text);
            EXPECT_TRUE(s.CanRedo());
            s.Commit(key, steps.front().shownBefore);
            EXPECT_FALSE(s.CanRedo());
        });
    }
    EXPECT_EQ(walked.size(), 6u); // every kind of control, on some model
}

// Undoing a protocol change brings back the protocol and its options.
TEST(EditSession, UndoingTheProtocolBringsBackItsOptions)
{
    InSession({0xC000, 11, "10:12=0102030405060708", "sources.detection=Руч."}, [](SettingsModel& model, EditSession& s) {
        const auto before = Bytes(model, 10, 4, 16);
        const auto changed = s.Commit("sources.protocol", "M74CAN");
        EXPECT_TRUE(Contains(changed, "sources.protocol"));
        EXPECT_EQ(test::Hex(Bytes(model, 10, 12, 8)), "0000000000000000");
        const auto undone = s.Undo();
        EXPECT_TRUE(Contains(undone, "sources.protocol"));
        EXPECT_EQ(Bytes(model, 10, 4, 16), before);
        EXPECT_EQ(s.Shown("sources.protocol").text, "CAN");
        EXPECT_EQ(s.Context().protocol, s.Context().protocols[11]);
    });
}

} // namespace
} // namespace tc
