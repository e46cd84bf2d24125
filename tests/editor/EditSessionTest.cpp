// The edit session without a window: show-time writes, what controls show,
// commits and refusals, the protocol change and its recomputations, OK and
// Cancel through the model's edit procedure.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tc {
namespace {

using test::Bytes;
using test::LoadedModel;

// Runs `body` in an edit session on the reference settings of a model and
// cancels; returns nothing, the test checks inside.
template <typename Body>
void InSession(std::uint16_t modelCode, std::uint16_t protocolIndex, Body body)
{
    SettingsModel model = LoadedModel(modelCode, protocolIndex);
    EditSettings(model, [&](EditSession& s) {
        body(model, s);
        return false;
    });
}

bool Contains(const ChangedFields& changed, std::string_view key)
{
    return std::any_of(changed.begin(), changed.end(), [&](std::size_t i) { return EditorFields()[i].key == key; });
}

std::string Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(accepted)";
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
        EXPECT_TRUE(EditSettings(model, [](EditSession&) { return true; }));
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

// Every model with each of its protocols: opening never throws, what a visible
// control shows encodes back to exactly its stored bytes, and choosing another
// item or state and then the shown one again restores the record.
TEST(EditSession, EveryShownValueCommitsBackByteIdentically)
{
    int sessions = 0, protocols = 0;
    for (const auto& m : ListedModels())
        protocols += m.protocolCount;
    for (const auto& m : ListedModels()) {
        for (int p = 0; p < m.protocolCount; ++p) {
            InSession(m.code, static_cast<std::uint16_t>(p), [&](SettingsModel& model, EditSession& s) {
                ++sessions;
                for (std::size_t i = 0; i < EditorFields().size(); ++i) {
                    const ShownControl shown = s.Shown(i);
                    if (!shown.visible)
                        continue;
                    const Field& f = *shown.field;
                    SCOPED_TRACE(std::string(m.name) + " protocol " + std::to_string(p) + " " + std::string(f.key) + "=" + shown.text);
                    const auto before = model.SnapshotRecords().bytes;
                    const auto own = Bytes(model, f.record, static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.Width()));
                    // What the control already shows changes nothing, marked or not.
                    EXPECT_TRUE(s.Commit(f.key, shown.text, true).empty());
                    ASSERT_EQ(model.SnapshotRecords().bytes, before);
                    if (shown.mark != ValueMark::None)
                        continue;
                    switch (f.kind) {
                    case ControlKind::Number: // the same value typed differently goes through the encoder
                        s.Commit(f.key, shown.text + (shown.decimals ? "0" : ".0"), true);
                        break;
                    case ControlKind::Choice:
                    case ControlKind::Radio:
                        if (shown.items.size() < 2)
                            continue;
                        s.Select(f.key, shown.selected == 0 ? 1 : 0, true);
                        s.Select(f.key, shown.selected, true);
                        break;
                    case ControlKind::Check:
                        s.SetChecked(f.key, !shown.checked, true);
                        s.SetChecked(f.key, shown.checked, true);
                        break;
                    }
                    EXPECT_EQ(Bytes(model, f.record, static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.Width())), own);
                    EXPECT_EQ(s.Shown(i).text, shown.text);
                    if (f.hook == Hook::None) {
                        ASSERT_EQ(model.SnapshotRecords().bytes, before);
                    } else {
                        model.RestoreRecords({before}); // undo the hooks' follow-up writes
                    }
                }
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
    EXPECT_FALSE(EditSettings(model, [](EditSession& s) {
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

TEST(EditSession, NumbersShowAndStoreThroughTheirScales)
{
    InSession(0xC000, 0, [](SettingsModel& model, EditSession& s) {
        PutF32(model.Record(6), 60, 1.05f);
        EXPECT_EQ(s.Shown("corrections.speed").text, "5.0");
        s.Commit("corrections.speed", "-99.0");
        EXPECT_EQ(GetF32(model.Record(6), 60), 0.01f);
        EXPECT_EQ(s.Shown("corrections.speed").text, "-99.0");

        s.Commit("limits.speed", "130");
        EXPECT_EQ(model.Record(6)[4], 65);
        model.Record(6)[4] = 65;
        EXPECT_EQ(s.Shown("limits.speed").text, "130");
        EXPECT_FALSE(s.Shown("limits.speed").typing);

        s.Commit("sources.manual_consumption", "7,5"); // either decimal separator
        EXPECT_EQ(GetS16(model.Record(3), 42), 75);
        s.Commit("corrections.battery", "-0.7");
        EXPECT_EQ(static_cast<std::int8_t>(model.Record(6)[52]), -7);
    });
    // Pulses per revolution are offered with protocol 254 on models with a tachometer input.
    InSession(0x5200, 7, [](SettingsModel& model, EditSession& s) {
        ASSERT_EQ(s.Context().ProtocolCode(), 254);
        ASSERT_TRUE(s.Shown("corrections.pulses_per_rev").visible);
        EXPECT_FALSE(s.Shown("corrections.tachometer").visible);
        s.Commit("corrections.pulses_per_rev", "2.5");
        EXPECT_EQ(model.Record(6)[74], 5);
        EXPECT_EQ(s.Shown("corrections.pulses_per_rev").text, "2.5");
    });
}

TEST(EditSession, BatteryLimitsFollowTheSupplyVoltage)
{
    InSession(0xC010, 0, [](SettingsModel& model, EditSession& s) {
        PutU16(model.Record(6), 12, 240);
        const auto low = s.Shown("limits.battery_low");
        EXPECT_EQ(low.text, "24.0");
        EXPECT_EQ(low.mark, ValueMark::None);
        EXPECT_DOUBLE_EQ(low.min, 18.0);
        EXPECT_DOUBLE_EQ(low.max, 27.8);
        EXPECT_DOUBLE_EQ(s.Shown("limits.battery_high").min, 28.0);
        EXPECT_TRUE(s.Shown("limits.supply").visible);
        EXPECT_FALSE(s.Shown("limits.supply").enabled);
    });
    InSession(0xC000, 0, [](SettingsModel& model, EditSession& s) {
        PutU16(model.Record(6), 12, 240);
        const auto low = s.Shown("limits.battery_low");
        EXPECT_EQ(low.text, "24.0");
        EXPECT_EQ(low.mark, ValueMark::OutOfRange); // shown as stored, marked, not clamped
        EXPECT_DOUBLE_EQ(low.max, 13.9);
        EXPECT_FALSE(s.Shown("limits.supply").visible);
    });
}

TEST(EditSession, TrimLimitsNarrowEachOther)
{
    InSession(0x5800, 0, [](SettingsModel& model, EditSession& s) {
        ASSERT_TRUE(s.Shown("limits.trim_low").visible);
        EXPECT_EQ(s.Shown("limits.trim_low").group, "Трим");
        // Both stored 0: each shows its value marked outside the window the other leaves.
        EXPECT_EQ(s.Shown("limits.trim_low").mark, ValueMark::OutOfRange);
        s.Commit("limits.trim_high", "90");
        const auto changed = s.Commit("limits.trim_low", "50");
        EXPECT_TRUE(Contains(changed, "limits.trim_high"));
        EXPECT_DOUBLE_EQ(s.Shown("limits.trim_high").min, 51);
        EXPECT_DOUBLE_EQ(s.Shown("limits.trim_low").max, 89);
        EXPECT_NE(Message([&] { s.Commit("limits.trim_high", "50"); }).find("от 51 до 90"), std::string::npos);
        s.Commit("limits.trim_high", "51");
        EXPECT_EQ(model.Record(6)[37], 51);
        EXPECT_EQ(model.Record(6)[36], 50);
    });
}

TEST(EditSession, FanTemperatureRangeFollowsTheHybridDrive)
{
    InSession(0x8082, 1, [](SettingsModel&, EditSession& s) { // Estima20
        const auto fan = s.Shown("limits.fan_temperature");
        EXPECT_TRUE(fan.visible);
        EXPECT_DOUBLE_EQ(fan.min, 25);
        EXPECT_DOUBLE_EQ(fan.max, 60);
        EXPECT_TRUE(s.Shown("limits.extra_cooling").visible);
    });
    InSession(0xC000, 0, [](SettingsModel&, EditSession& s) { // M74CAN: fan control
        EXPECT_DOUBLE_EQ(s.Shown("limits.fan_temperature").min, 75);
        EXPECT_FALSE(s.Shown("limits.inverter").visible);
    });
}

// ---- bits ----

TEST(EditSession, OptionBitsLeaveTheirNeighbours)
{
    for (bool heating : {false, true}) {
        InSession(0x8082, 1, [&](SettingsModel& model, EditSession& s) {
            s.SetChecked("limits.hvb_heating", heating);
            const std::uint32_t before = GetU32(model.Record(6), 0);
            s.Commit("limits.hvb_fan6", "on");
            EXPECT_EQ(GetU32(model.Record(6), 0), before | (1u << 14));
            EXPECT_EQ(s.Shown("limits.hvb_heating").checked, heating);
        });
    }
    // The compensation box shows bit 17's complement: unchecking sets it.
    InSession(0x5800, 0, [](SettingsModel& model, EditSession& s) {
        const auto box = s.Shown("sources.battery_compensation");
        ASSERT_TRUE(box.visible);
        EXPECT_EQ(box.caption, "Компенс.Uбс/Трим");
        EXPECT_TRUE(box.checked);
        s.Commit("sources.battery_compensation", "off");
        EXPECT_EQ(GetU32(model.Record(6), 0), 0x400u | (1u << 17));
        s.SetChecked("sources.battery_compensation", true);
        EXPECT_EQ(GetU32(model.Record(6), 0), 0x400u);
    });
}

// ---- choices ----

TEST(EditSession, DetectionListFollowsTheFeaturesItIsGiven)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    EvaluateModel(0xC000, 0);
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
        EditorContext ctx = EditorContext::FromCatalogs();
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

TEST(EditSession, SpeedSourcesAndTheEcuItem)
{
    // ZR-32: protocols 225 (index 5), 254 (7) and 255 (10) carry no ECU speed.
    for (int index : {5, 7, 10}) {
        InSession(0x5200, static_cast<std::uint16_t>(index), [](SettingsModel& model, EditSession& s) {
            const auto speed = s.Shown("sources.speed");
            ASSERT_EQ(speed.items.size(), 2u); // ECU, Sens.
            EXPECT_FALSE(speed.items[0].enabled);
            EXPECT_TRUE(speed.items[1].enabled);
            EXPECT_EQ(speed.columns, 0);
            s.Commit("sources.speed", "Датч.");
            EXPECT_NE(Message([&] { s.Commit("sources.speed", "ЭБУ"); }).find("недоступен"), std::string::npos);
            EXPECT_EQ(model.Record(6)[40], 1);
        });
    }
    InSession(0x5200, 0, [](SettingsModel&, EditSession& s) { EXPECT_TRUE(s.Shown("sources.speed").items[0].enabled); });
    // ZR-33 offers ECU, GPS, Sens.; with a physical lock the last one falls back.
    InSession(0x5800, 0, [](SettingsModel& model, EditSession& s) {
        const auto speed = s.Shown("sources.speed");
        ASSERT_EQ(speed.items.size(), 3u);
        EXPECT_EQ(speed.items[1].text, "GPS");
        s.Commit("sources.speed", "Датч.");
        EXPECT_EQ(model.Record(6)[40], 0);
        s.Commit("sources.lock_type", "Вирт.");
        s.Commit("sources.speed", "Датч.");
        EXPECT_EQ(model.Record(6)[40], 2);
        const auto changed = s.Commit("sources.lock_type", "Физич.");
        EXPECT_EQ(model.Record(6)[40], 0);
        EXPECT_TRUE(Contains(changed, "sources.speed"));
    });
    // The fallback takes the first selectable source, never the disabled ECU item.
    InSession(0x5800, 19, [](SettingsModel& model, EditSession& s) {
        ASSERT_EQ(s.Context().ProtocolCode(), 254);
        s.Commit("sources.speed", "Датч.");
        EXPECT_EQ(model.Record(6)[40], 1);
    });
}

TEST(EditSession, ListsBuiltFromTheContext)
{
    InSession(0xC000, 2, [](SettingsModel&, EditSession& s) { // M86: three ECU fuel-level variants
        const auto tank = s.Shown("sources.tank_method");
        ASSERT_EQ(tank.items.size(), 5u);
        EXPECT_EQ(tank.items[4].text, "ДУТ ЭБУ3");
        const auto level = s.Shown("sources.lock_level");
        ASSERT_EQ(level.items.size(), 3u);
        EXPECT_FALSE(level.visible); // physical lock
    });
    InSession(0x5100, 0, [](SettingsModel& model, EditSession& s) { // no FLS, no lock type choice
        EXPECT_EQ(s.Shown("sources.tank_method").items.size(), 1u);
        EXPECT_FALSE(s.Shown("sources.lock_type").visible);
        const auto level = s.Shown("sources.lock_level");
        EXPECT_TRUE(level.visible);
        ASSERT_EQ(level.items.size(), 4u);
        EXPECT_EQ(level.items[3].text, "Стрт");
        s.Commit("sources.lock_level", "Стрт");
        EXPECT_EQ(model.Record(6)[72], 4);
    });
    InSession(0x8082, 1, [](SettingsModel& model, EditSession& s) {
        s.Commit("sources.lock_type", "Вирт.");
        s.Commit("sources.lock_level", "4");
        EXPECT_EQ(model.Record(6)[72], 4);
        model.Record(6)[73] = 3; // a tachometer value no item has shows "4"
        s.Commit("sources.engine_speed", "Форс.");
        const auto tacho = s.Shown("corrections.tachometer");
        EXPECT_EQ(tacho.text, "4");
        EXPECT_EQ(tacho.mark, ValueMark::OutOfRange);
        s.Commit("corrections.tachometer", "2");
        EXPECT_EQ(model.Record(6)[73], 2);
    });
}

TEST(EditSession, ProtocolChangeClearsTheOptionsAndRecomputesEverything)
{
    SettingsModel model = LoadedModel(0xC000, 11); // CAN: options 1..4
    auto r10 = model.Record(10);
    for (int k = 0; k < 8; ++k)
        r10[12 + k] = static_cast<std::uint8_t>(k + 1);
    model.EncodeSection(10);
    EditSettings(model, [&](EditSession& s) {
        s.Commit("sources.detection", "Руч.");
        const auto option1 = s.Shown("sources.option1");
        EXPECT_TRUE(option1.visible);
        EXPECT_EQ(option1.caption, "Опрос CAN раз/сек");
        EXPECT_EQ(option1.group, "Дополнительные настройки протокола");
        EXPECT_EQ(option1.text, ""); // stored 2: past "4", "1"
        EXPECT_EQ(option1.mark, ValueMark::Unshowable);
        EXPECT_EQ(s.Shown("sources.option2").text, "4"); // stored 3 of "1", "2", "Cruis", "4", "5D", "DustD"
        EXPECT_FALSE(s.Shown("sources.option0").visible);
        EXPECT_TRUE(s.Shown("limits.at_oil_wear").visible); // code 1

        // The same protocol again keeps the options.
        EXPECT_TRUE(s.Commit("sources.protocol", "CAN").empty());
        EXPECT_EQ(Bytes(model, 10, 12, 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));

        // Another protocol clears them, mirrors the index and rebuilds what depends on it.
        const auto changed = s.Commit("sources.protocol", "M74CAN");
        EXPECT_EQ(Bytes(model, 10, 12, 8), std::vector<std::uint8_t>(8, 0));
        EXPECT_EQ(GetU16(model.Record(10), 4), 0);
        EXPECT_EQ(GetU16(model.Record(10), 6), 0);
        EXPECT_EQ(s.Context().ProtocolCode(), 11);
        EXPECT_EQ(CurrentProtocol(), s.Context().protocol); // shared readers follow
        for (const char* key : {"sources.option1", "sources.option2", "limits.at_oil_wear", "limits.fan_speed", "sources.tank_method", "sources.parking_lights"})
            EXPECT_TRUE(Contains(changed, key)) << key;
        EXPECT_EQ(s.Shown("sources.option1").caption, "Канал включения вентилятора");
        EXPECT_FALSE(s.Shown("sources.option2").visible);
        EXPECT_FALSE(s.Shown("limits.at_oil_wear").visible);
        return false;
    });
}

TEST(EditSession, TankMethodKeepsShowingItsStoredValueAcrossProtocols)
{
    InSession(0xC000, 11, [](SettingsModel& model, EditSession& s) { // CAN: three ECU variants
        s.Commit("sources.detection", "Руч.");
        s.Commit("sources.tank_method", "ДУТ ЭБУ2");
        EXPECT_EQ(model.Record(3)[38], 3);
        s.Commit("sources.protocol", "#3"); // UAZ 17971E5: none
        const auto tank = s.Shown("sources.tank_method");
        EXPECT_EQ(tank.items.size(), 2u);
        EXPECT_EQ(tank.selected, -1);
        EXPECT_EQ(tank.mark, ValueMark::Unshowable);
        EXPECT_EQ(model.Record(3)[38], 3); // kept until the user picks one
        s.Commit("sources.protocol", "#2"); // M86: three again
        EXPECT_EQ(s.Shown("sources.tank_method").text, "ДУТ ЭБУ2");
        // FLS brings the compensation box.
        const auto changed = s.Commit("sources.tank_method", "ДУТ");
        EXPECT_TRUE(Contains(changed, "sources.battery_compensation"));
        EXPECT_TRUE(s.Shown("sources.battery_compensation").visible);
        EXPECT_EQ(s.Shown("sources.battery_compensation").caption, "Компенс.Uбс");
    });
}

TEST(EditSession, InjectorControlsFollowTheSources)
{
    InSession(0xC000, 0, [](SettingsModel&, EditSession& s) {
        EXPECT_FALSE(s.Shown("corrections.injector_polarity").visible);
        const auto changed = s.Commit("sources.petrol", "Форс.");
        EXPECT_TRUE(Contains(changed, "corrections.injector_polarity"));
        EXPECT_TRUE(Contains(changed, "corrections.tachometer"));
        EXPECT_TRUE(s.Shown("corrections.injector_polarity").visible);
        EXPECT_EQ(s.Shown("corrections.injector_polarity").text, "-"); // bit 10 set by default
    });
    InSession(0x4010, 0, [](SettingsModel&, EditSession& s) { // ECU only
        EXPECT_FALSE(s.Shown("sources.engine_speed").visible);
        EXPECT_FALSE(s.Shown("sources.gas").visible);
    });
}

// ---- what cannot be shown ----

TEST(EditSession, ProtocolBeyondTheListOrUnknownModelOpensWithoutProtocol)
{
    for (auto [code, index] : {std::pair<std::uint16_t, std::uint16_t>{0x4010, 5}, {0x4010, 300}, {0x1234, 0}}) {
        InSession(code, index, [&](SettingsModel& model, EditSession& s) {
            EXPECT_EQ(s.Context().protocol, nullptr);
            const auto protocol = s.Shown("sources.protocol");
            EXPECT_TRUE(protocol.visible);
            EXPECT_EQ(protocol.selected, -1);
            EXPECT_EQ(protocol.mark, ValueMark::Unshowable);
            for (const char* key : {"limits.coolant", "limits.warm_engine", "sources.option0", "sources.option1", "sources.battery",
                                    "limits.fan_temperature", "corrections.tachometer"})
                EXPECT_FALSE(s.Shown(key).visible) << key;
            EXPECT_TRUE(s.Shown("sources.speed").items[0].enabled);
            EXPECT_EQ(GetU16(model.Record(10), 6), index);
            for (std::size_t i = 0; i < EditorFields().size(); ++i)
                s.Shown(i);
        });
    }
    InSession(0x4010, 5, [](SettingsModel& model, EditSession& s) {
        s.Commit("sources.protocol", "#4");
        EXPECT_EQ(GetU16(model.Record(10), 4), 4);
        EXPECT_EQ(s.Context().ProtocolCode(), 102);
    });
}

TEST(EditSession, BlankFactorShowsEmptyKeepsItsBytesAndStoresWhatIsTyped)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    for (float blank : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        PutF32(model.Record(6), 56, blank);
        model.EncodeSection(6);
        const auto bytes = Bytes(model, 6, 56, 4);
        EditSettings(model, [&](EditSession& s) {
            const auto shown = s.Shown("corrections.petrol");
            EXPECT_EQ(shown.text, "");
            EXPECT_EQ(shown.mark, ValueMark::Unshowable);
            EXPECT_TRUE(s.Commit("corrections.petrol", "").empty()); // leaving the empty field stores nothing
            EXPECT_EQ(Bytes(model, 6, 56, 4), bytes);
            s.Commit("corrections.petrol", "2.5");
            EXPECT_EQ(GetF32(model.Record(6), 56), 1.025f);
            return false;
        });
        EXPECT_EQ(Bytes(model, 6, 56, 4), bytes);
    }
}

TEST(EditSession, NothingSelectedStoresNothing)
{
    InSession(0xC000, 0, [](SettingsModel& model, EditSession& s) {
        model.Record(10)[8] = 9; // past the detection list
        const auto before = model.SnapshotRecords().bytes;
        EXPECT_EQ(s.Shown("sources.detection").selected, -1);
        for (const char* key : {"sources.detection", "sources.tank_mode", "sources.protocol"})
            EXPECT_TRUE(s.Select(key, -1).empty());
        EXPECT_TRUE(s.Commit("sources.detection", "").empty());
        EXPECT_EQ(model.SnapshotRecords().bytes, before);
    });
}

// ---- refusals ----

TEST(EditSession, RefusalsChangeNothingAndSayWhy)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    EvaluateModel(0xC000, 0);
    EditorContext ctx = EditorContext::FromCatalogs();
    ctx.english = true;
    EditSession s(model, ctx);
    const auto before = model.SnapshotRecords();
    struct Case {
        const char* key;
        const char* text;
        bool force;
        const char* message; // part of the English message
    };
    for (const auto& c : {
             Case{"corrections.speed", "1000", false, "Invalid value \"1000\" for \"Speeed, %\": enter a number from -99.0 to 999.9"},
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
    EditSession ru(model, EditorContext::FromCatalogs());
    EXPECT_EQ(Message([&] { ru.Commit("corrections.battery", "0.8"); }),
              "Недопустимое значение «0.8» для «Напряжение АКБ, В»: введите число от -0.7 до 0.7");
}

TEST(EditSession, PagesAndCaptionsInBothLanguages)
{
    SettingsModel model = LoadedModel(0x5800, 0);
    EvaluateModel(0x5800, 0);
    EditorContext ctx = EditorContext::FromCatalogs();
    EditSession ru(model, ctx);
    ctx.english = true;
    EditSession en(model, ctx);
    EXPECT_EQ(ru.Shown("corrections.clock").caption, "Время (секунд в сутки)");
    EXPECT_EQ(en.Shown("corrections.clock").caption, "Tume (sec. per day)");
    EXPECT_EQ(en.Shown("sources.range_forecast").items[2].text, "Man.");
    std::vector<std::string> visible;
    for (const auto& p : en.Pages())
        if (p.visible)
            visible.push_back(p.caption);
    // ZR-33: no parking sensors, trim, no extra systems.
    EXPECT_EQ(visible, (std::vector<std::string>{"Correction", "Resources", "Limits", "Display", "Sounds", "Average", "Fuel", "TS", "Uni.input/Trim"}));
}

} // namespace
} // namespace tc
