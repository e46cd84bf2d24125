// The edit session without a window: show-time writes, what controls show,
// commits and refusals, OK and Cancel through the model's edit procedure.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tc {
namespace {

using test::Bytes;
using test::LoadedModel;

TEST(EditSession, OpeningWritesOnlyTheProtocolMirrorAndOkKeepsIt)
{
    for (const auto& m : ListedModels()) {
        SettingsModel model = LoadedModel(m.code, 3);
        auto r10 = model.Record(10);
        PutU16(r10, 6, 0xBEEF); // the mirror of the protocol index, overwritten when the editor opens
        model.EncodeSection(10);
        const auto before = model.SnapshotRecords();
        const auto imageBefore = model.Image;
        EXPECT_TRUE(EditSettings(model, [](EditSession&) { return true; }));
        const auto after = model.SnapshotRecords();
        const std::size_t mirror = RecordOffset(10) + 6;
        for (std::size_t i = 0; i < before.bytes.size(); ++i) {
            if (i == mirror || i == mirror + 1)
                continue;
            ASSERT_EQ(before.bytes[i], after.bytes[i]) << "model " << m.name << " byte " << i;
        }
        EXPECT_EQ(GetU16(model.Record(10), 6), 3);
        // The image differs from before exactly in those two bytes.
        std::size_t differing = 0;
        for (std::size_t i = 0; i < imageBefore.size(); ++i)
            differing += imageBefore[i] != model.Image[i];
        EXPECT_EQ(differing, 2u) << m.name;
    }
}

TEST(EditSession, FactorEdgeCases)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    EditSettings(model, [&](EditSession& s) {
        PutF32(model.Record(6), 60, 1.05f);
        EXPECT_EQ(s.Shown("corrections.speed").text, "5.0");
        s.Commit("corrections.speed", "-99.0");
        EXPECT_EQ(GetF32(model.Record(6), 60), 0.01f);
        EXPECT_EQ(s.Shown("corrections.speed").text, "-99.0");
        return false;
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

TEST(EditSession, RefusalsChangeNothingAndNameTheLimits)
{
    SettingsModel model = LoadedModel(0xC000, 0);
    EditSettings(model, [&](EditSession& s) {
        const auto before = model.SnapshotRecords();
        struct Case {
            const char* key;
            const char* text;
            const char* message; // part of the English message
        };
        EnglishVersion = true;
        EditSession english(model, EditorContext::FromCatalogs());
        EnglishVersion = false;
        for (const auto& c : {Case{"corrections.speed", "1000", "from -99.0 to 999.9"}, Case{"corrections.speed", "fast", "\"fast\""},
                              Case{"corrections.battery", "0.8", "from -0.7 to 0.7"}, Case{"corrections.initial_hours", "-1", "from 0 to 99999"},
                              Case{"corrections.tachometer", "3", "Items: 1, 2, 4"}, Case{"corrections.tachometer", "4", "hidden"},
                              Case{"corrections.nothing", "1", "No setting"}}) {
            try {
                english.Commit(c.key, c.text, std::string_view(c.message) != "hidden");
                ADD_FAILURE() << c.key << "=" << c.text << " was accepted";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            }
            EXPECT_EQ(model.SnapshotRecords().bytes, before.bytes) << c.key;
        }
        try {
            s.Commit("corrections.battery", "0.8");
            ADD_FAILURE();
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("введите число от -0.7 до 0.7"), std::string::npos) << e.what();
        }
        return false;
    });
}

} // namespace
} // namespace tc
