// Settings compared and as text: every model's settings export and import
// back to the same records, edits in the text arrive through the editor, bad
// text changes nothing, and the comparison names exactly what differs.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/SettingsCompare.h"
#include "editor/SettingsText.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using test::LoadedModel;

// Settings as the program saves them: opened in the editor once (which fills
// the protocol index's mirror and compacts the hot menus) and kept.
SettingsModel Saved(std::uint16_t code, Language language = Language::Russian)
{
    SettingsModel model = LoadedModel(code, 1);
    EditSettings(model, language, [](EditSession&) { return true; });
    return model;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(SettingsText, EveryModelRoundTripsAndComparesEqual)
{
    for (const auto& m : ListedModels()) {
        SCOPED_TRACE(std::string(m.name));
        SettingsModel model = Saved(m.code);
        const std::string text = ExportSettingsText(model, Language::Russian);
        SettingsModel back = LoadedModel(m.code, 1);
        ImportSettingsText(back, text, Language::Russian);
        EXPECT_EQ(back.SnapshotRecords().bytes, model.SnapshotRecords().bytes);
        EXPECT_EQ(back.Image, model.Image);
        EXPECT_TRUE(CompareSettings(model, back, Language::Russian).Same());
    }
}

TEST(SettingsText, EditedTextArrivesThroughTheEditorAndIsCompared)
{
    SettingsModel model = Saved(0xC000);
    const std::string text = ExportSettingsText(model, Language::Russian);
    SettingsModel edited = model;
    ImportSettingsText(edited, Replace(Replace(text, "\"limits.speed\": \"80\"", "\"limits.speed\": \"130\""), "\"corrections.speed\": \"0.0\"",
                                       "\"corrections.speed\": \"5,0\""),
                       Language::Russian);
    const auto c = CompareSettings(model, edited, Language::Russian);
    ASSERT_EQ(c.settings.size(), 2u);
    EXPECT_EQ(c.settings[0].field->key, "corrections.speed");
    EXPECT_EQ(c.settings[0].after, "5.0");
    EXPECT_EQ(c.settings[0].unit, "%");
    EXPECT_EQ(c.settings[1].field->key, "limits.speed");
    EXPECT_TRUE(c.records.empty());

    // A palette colour is named as an item; a byte no setting owns is listed by record and offset.
    SettingsModel palette = model;
    palette.Record(9)[80] ^= 0xFF;
    const auto p = CompareSettings(model, palette, Language::Russian);
    EXPECT_TRUE(p.settings.empty());
    EXPECT_TRUE(p.records.empty());
    ASSERT_EQ(p.items.size(), 1u);
    EXPECT_EQ(p.items[0].item->key, "display.palette.day.0");
}

TEST(SettingsText, BadTextIsRefusedWithItsLineAndChangesNothing)
{
    SettingsModel model = Saved(0xC000, Language::English);
    const std::string text = ExportSettingsText(model, Language::English);
    const std::pair<std::string, std::string> bad[] = {
        {Replace(text, "\"limits.speed\": \"80\"", "\"limits.sped\": \"80\""), "limits.sped"},
        {Replace(text, "\"limits.speed\": \"80\"", "\"limits.speed\": \"900\""), "Line "},
        {Replace(text, "\"limits.speed\": \"80\"", "\"limits.speed\": 80"), "limits.speed"},
        {Replace(text, "\"model\": \"0xC000\"", "\"model\": \"0xC001\""), "0xC001"},
        {Replace(text, "\"version\": 1", "\"version\": 2"), "version"},
        {Replace(text, "\"9\": \"", "\"9\": \"zz"), "9"},
        {text.substr(0, text.size() / 2), "JSON"},
        {"[]", "format"},
    };
    for (const auto& [input, mention] : bad) {
        SettingsModel target = model;
        const auto before = target.SnapshotRecords().bytes;
        try {
            ImportSettingsText(target, input, Language::English);
            ADD_FAILURE() << "accepted: " << mention;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(mention), std::string::npos) << mention << ": " << e.what();
        }
        EXPECT_EQ(target.SnapshotRecords().bytes, before) << mention;
    }
}

} // namespace
} // namespace tc
