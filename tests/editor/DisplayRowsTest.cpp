// The display page through the edit session: the rotation masks bit by bit,
// the miscellaneous controls' encodings, what opening does to record 9, and
// the structured KEY=VALUE values the command line shares with the window,
// and the page's table that the window builds the display page from.
#include "EditorTestSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/Codecs.h"
#include "editor/ColourSchemes.h"
#include "editor/DisplayPage.h"
#include "editor/HotMenus.h"
#include "editor/StructuredKeys.h"
#include "model/DisplayRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tc {
namespace {

using test::LoadedModel;

constexpr std::uint16_t kModel = 0xC000;

template <typename Body>
void InSession(SettingsModel& model, Body body)
{
    EditSettings(model, Language::Russian, [&](EditSession& s) {
        body(s);
        return true;
    });
}

std::uint64_t Mask64(const SettingsModel& m, int offset)
{
    return GetU32(m.Record(9), offset) | std::uint64_t{GetU32(m.Record(9), offset + 4)} << 32;
}

// Every box of every rotation mask flips its own bit and no other byte of record 9.
TEST(DisplayRows, EveryMaskBoxOwnsExactlyItsBit)
{
    struct Mask {
        std::string prefix;
        int offset, boxes;
    };
    const Mask masks[] = {{"x1", 288, 64}, {"x4", 300, 6}, {"x9", 302, 3}, {"x6", 296, 2},
                          {"averages", 298, 9}, {"dials", 340, 8}, {"graphs", 342, 8}};
    SettingsModel model = LoadedModel(kModel, 0);
    InSession(model, [&](EditSession& s) {
        for (const Mask& m : masks)
            for (int n = 0; n < m.boxes; ++n) {
                const std::string key = "display.show." + m.prefix + "." + std::to_string(n + 1);
                SCOPED_TRACE(key);
                const auto before = model.SnapshotRecords();
                const std::uint64_t mask = m.boxes > 16 ? Mask64(model, m.offset) : GetU16(model.Record(9), m.offset);
                const bool on = (mask >> n) & 1;
                EXPECT_EQ(s.Shown(key).checked, on);
                s.SetChecked(key, !on, true);
                const std::uint64_t after = m.boxes > 16 ? Mask64(model, m.offset) : GetU16(model.Record(9), m.offset);
                EXPECT_EQ(after, mask ^ (std::uint64_t{1} << n));
                s.SetChecked(key, on, true);
                ASSERT_EQ(model.SnapshotRecords().bytes, before.bytes);
            }
    });
}

TEST(DisplayRows, SingleDisplayBoxesFollowTheProtocolsParameters)
{
    SettingsModel model = LoadedModel(kModel, 0);
    EditSettings(model, Language::Russian, [&](EditSession& s) {
        const VehicleProtocol* p = s.Context().protocol;
        EXPECT_NE(p, nullptr);
        const auto codes = p->Params();
        for (int n = 0; n < 64; ++n) {
            const ShownControl c = s.Shown("display.show.x1." + std::to_string(n + 1));
            EXPECT_EQ(c.visible, n < static_cast<int>(codes.size())) << n;
            if (c.visible) {
                EXPECT_EQ(c.caption, FindMeasPar(model.Parameters(), codes[static_cast<std::size_t>(n)])->Caption) << n;
            }
        }
        return false;
    });
}

TEST(DisplayRows, TimesAndMethodNibbles)
{
    SettingsModel model = LoadedModel(kModel, 0);
    InSession(model, [&](EditSession& s) {
        s.Commit("display.day_time", "07:30");
        EXPECT_EQ(GetS16(model.Record(9), 284), 450);
        PutU16(model.Record(9), 286, 1439);
        EXPECT_EQ(s.Shown("display.night_time").text, "23:59");
        PutU16(model.Record(9), 286, 0xFFFF); // blank memory
        EXPECT_EQ(s.Shown("display.night_time").mark, ValueMark::OutOfRange);
        EXPECT_THROW(s.Commit("display.night_time", "25:00"), Error);
        EXPECT_EQ(GetU16(model.Record(9), 286), 0xFFFF);

        PutU8(model.Record(9), 283, 0);
        s.Commit("display.colour_method", "#2");
        s.Commit("display.brightness_method", "#1");
        EXPECT_EQ(GetU8(model.Record(9), 283), 0x21);
    });
}

TEST(DisplayRows, OpeningCompactsTheHotMenus)
{
    SettingsModel model = LoadedModel(kModel, 0);
    const std::uint16_t list[] = {0, 5, 0, 7};
    for (int i = 0; i < 10; ++i)
        PutU16(model.Record(9), kHotMenuOffset + 2 * i, i < 4 ? list[i] : 0);
    model.EncodeSection(9);
    InSession(model, [](EditSession&) {});
    EXPECT_EQ(GetU16(model.Record(9), kHotMenuOffset), 5);
    EXPECT_EQ(GetU16(model.Record(9), kHotMenuOffset + 2), 7);
    EXPECT_EQ(GetU16(model.Record(9), kHotMenuOffset + 4), 0);
}

// ---- structured values ----

struct KeyCase {
    const char* key;
    const char* value;
    int offset; // record 9 byte that must hold `expected` afterwards (16-bit when wide)
    int expected;
    bool wide = false;
};

TEST(DisplayKeys, StoreWhereTheWindowStores)
{
    const KeyCase cases[] = {
        {"display.palette.day.3", "31,31,31", 80 + 6, 0xFFFF, true},
        {"display.palette.night.0", "0,1,0", 136, 0x0060, true},
        {"display.role.day.digital.frame", "100", 80 + 36, 100},
        {"display.slot.x4.3.3", "17", 22, 17},                    // lower-left quarter of x4 display 3
        {"display.click.x4.3", "10,200:17", 22, 17},
        {"display.click.x6.2", "300,120:13", 36 + 6 + 2, 13},      // the middle-right cell is field 2
        {"display.click.x9.1", "319,239:13", 48 + 8, 13},          // the last pixel stays in display 1
        {"display.slot.graph.2.2", "0", 308 + 2 + 1, 0},           // "Absent" for the lower graph
        {"display.slot.panel.1.4", "3", 404 + 3, 3},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        SettingsModel model = LoadedModel(kModel, 0);
        InSession(model, [&](EditSession& s) { EXPECT_TRUE(ApplyStructuredKey(s, c.key, c.value)); });
        EXPECT_EQ(c.wide ? GetU16(model.Record(9), c.offset) : GetU8(model.Record(9), c.offset), c.expected);
    }
}

TEST(DisplayKeys, RefusedValuesChangeNothing)
{
    const std::pair<const char*, const char*> refused[] = {
        {"display.palette.day.16", "1,2,3"}, {"display.palette.day.1", "32,0,0"}, {"display.palette.dusk.1", "1,2,3"},
        {"display.role.day.digital.frame", "128"}, {"display.role.day.nothing", "1"},
        {"display.slot.x4.7.1", "17"}, {"display.slot.x4.1.5", "17"}, {"display.slot.x4.1.1", "250"},
        {"display.click.x1.1", "10,10:7"}, // above the bottom panel
        {"display.menu.params", "insert:10:1"}, {"display.menu.params", "insert:0:65000"}, {"display.menu.params", "shuffle"},
        {"display.colours", "yes"},
    };
    for (const auto& pair : refused) {
        const auto& [key, value] = pair;
        SCOPED_TRACE(std::string(key) + "=" + value);
        SettingsModel model = LoadedModel(kModel, 0);
        EditSettings(model, Language::Russian, [&](EditSession& s) {
            const auto before = model.SnapshotRecords();
            EXPECT_THROW(ApplyStructuredKey(s, pair.first, pair.second), Error);
            EXPECT_EQ(model.SnapshotRecords().bytes, before.bytes);
            return false;
        });
    }
    SettingsModel model = LoadedModel(kModel, 0);
    EditSettings(model, Language::Russian, [&](EditSession& s) {
        EXPECT_FALSE(ApplyStructuredKey(s, "corrections.speed", "1"));
        return false;
    });
}

// The page's table: every sub-page edits an item area or lays out field rows
// that exist, every layout has its sub-page, a layout's displays split evenly
// over its tabs, every role group has samples; the previews' inputs come from
// the session as tripconf-cli takes them from the model (with the edited scheme).
TEST(DisplayPage, SubpagesNameWhatTheyEditAndPreviewsDrawFromTheSession)
{
    std::set<int> layouts;
    for (const DisplaySubpage& page : DisplaySubpages()) {
        SCOPED_TRACE(std::string(page.name));
        EXPECT_FALSE(page.title.ru.empty() || page.title.en.empty());
        const ItemArea* area = FindItemArea(page.edits);
        if (!area) {
            EXPECT_TRUE(std::any_of(EditorFields().begin(), EditorFields().end(), [&](const Field& f) { return f.part == page.edits; }));
            continue;
        }
        EXPECT_EQ(area->page, Page::Display);
        if (area->value != ItemValue::Slot)
            continue;
        layouts.insert(area->layout);
        EXPECT_EQ("display." + std::string(LayoutOf(static_cast<DisplayLayout>(area->layout)).key), page.name);
        if (!page.tabs.empty()) {
            EXPECT_EQ((area->groups + 2) / 3, static_cast<int>(page.tabs.size())); // three displays a tab
        }
        EXPECT_EQ(page.anew, area->layout == static_cast<int>(DisplayLayout::Graph));
    }
    EXPECT_EQ(layouts.size(), DisplayLayouts().size());
    for (const ShowBox& box : ShowBoxes())
        EXPECT_TRUE(std::any_of(EditorFields().begin(), EditorFields().end(), [&](const Field& f) { return f.part == box.part; })) << box.part;
    for (RoleGroup group : {RoleGroup::Digital, RoleGroup::Menu, RoleGroup::Graph, RoleGroup::Dial})
        EXPECT_TRUE(std::any_of(ColourSamples().begin(), ColourSamples().end(), [&](const ColourSample& s) { return s.group == group; }));

    SettingsModel model = LoadedModel(kModel, 0);
    InSession(model, [&](EditSession& s) {
        s.SelectScheme(1);
        const PreviewInputs in = DisplayPreviewInputs(s, 7);
        PreviewInputs cli = InputsFromModel(model, in.language, 7);
        cli.scheme = 1;
        EXPECT_EQ(in.record9.data(), cli.record9.data());
        EXPECT_EQ(in.scheme, cli.scheme);
        EXPECT_EQ(in.pars, cli.pars);
        EXPECT_TRUE(std::equal(in.protocolCodes.begin(), in.protocolCodes.end(), cli.protocolCodes.begin(), cli.protocolCodes.end()));
        for (DisplayLayout layout : {DisplayLayout::X4, DisplayLayout::Graph, DisplayLayout::Panel}) {
            PreviewCanvas a, b;
            DrawDisplayPreview(a, in, layout, 0);
            DrawDisplayPreview(b, cli, layout, 0);
            EXPECT_TRUE(std::ranges::equal(a.Pixels(), b.Pixels()));
        }
    });
}

TEST(DisplayKeys, HotMenuOperationsAndInitializeAll)
{
    SettingsModel model = LoadedModel(kModel, 0);
    InSession(model, [&](EditSession& s) {
        const auto rows = [&] { return HotMenus(model.Record(9)).Shown(0); };
        ApplyStructuredKey(s, "display.menu.params", "clear");
        EXPECT_EQ(rows(), HotMenuList{});
        const auto tree = InsertionMenu(0, model.ModelCatalog().MenuItems, s.Context().features, false);
        ASSERT_FALSE(tree.empty());
        const MenuNode* leaf = &tree.front();
        while (leaf->code == 0)
            leaf = &leaf->children.front();
        ApplyStructuredKey(s, "display.menu.params", "insert:0:" + std::to_string(leaf->code));
        ApplyStructuredKey(s, "display.menu.params", "insert:0:" + leaf->caption);
        EXPECT_EQ(rows()[0], leaf->code);
        EXPECT_EQ(rows()[1], leaf->code);
        ApplyStructuredKey(s, "display.menu.params", "delete:0");
        EXPECT_EQ(rows()[1], 0);

        ApplyStructuredKey(s, "display.palette.day.0", "1,2,3");
        s.SelectScheme(1);
        ApplyStructuredKey(s, "display.colours", "initialize");
        EXPECT_EQ(s.EditedScheme(), 0); // the day scheme is edited again
        EXPECT_TRUE(std::equal(model.ColourScheme(0).begin(), model.ColourScheme(0).end(), model.Record(9).begin() + 80));
        EXPECT_TRUE(std::equal(model.ColourScheme(1).begin(), model.ColourScheme(1).end(), model.Record(9).begin() + 136));
    });
}

} // namespace
} // namespace tc
