// The insertion menus of the hot-menu lists: every leaf is a catalog item
// with its caption, no submenu is empty, and each feature condition adds or
// removes exactly its entries.
#include "common/Error.h"
#include "editor/HotMenus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tc {
namespace {

void Walk(const std::vector<MenuNode>& nodes, const std::function<void(const MenuNode&)>& leaf,
          const std::function<void(const MenuNode&)>& sub = {})
{
    for (const MenuNode& n : nodes) {
        if (n.code != 0) {
            leaf(n);
        } else {
            if (sub)
                sub(n);
            Walk(n.children, leaf, sub);
        }
    }
}

bool Offers(const std::vector<MenuNode>& tree, const MenuItemList& catalog, std::string_view name)
{
    const MenuItem* item = FindMenuItemByName(catalog, name);
    bool found = false;
    Walk(tree, [&](const MenuNode& n) { found = found || (item && n.code == item->Code); });
    return found;
}

std::vector<std::string> Titles(const std::vector<MenuNode>& tree)
{
    std::vector<std::string> out;
    for (const MenuNode& n : tree)
        if (n.code == 0)
            out.push_back(n.caption);
    return out;
}

TEST(HotMenuTree, LeavesAreCatalogItemsAndSubmenusAreNeverEmpty)
{
    std::vector<ModelFeatures> sets(4);
    sets[1].NoGasFuel = sets[1].NoTrafficStats = sets[1].NoLightWarnings = sets[1].NoVolumeControl = true;
    sets[2].HasHybridDrive = sets[2].IgnitionCorrection = sets[2].LowBeamOnAirInput = sets[2].EcuBlocksMenu = true;
    sets[3].KmPerLitre = sets[3].NoAccelerationTest = sets[3].NoParktronic = true;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        BlockPresence blocks{};
        blocks[27] = blocks[180] = true;
        const MenuItemList catalog = MakeMenuItemList(sets[s], blocks, Language::Russian);
        for (int list = 0; list < kEditedHotMenuLists; ++list) {
            SCOPED_TRACE("set " + std::to_string(s) + " list " + std::to_string(list));
            const auto tree = InsertionMenu(list, catalog, sets[s], false);
            int leaves = 0;
            Walk(
                tree,
                [&](const MenuNode& n) {
                    ++leaves;
                    const MenuItem* item = FindMenuItemByCode(catalog, n.code);
                    ASSERT_NE(item, nullptr);
                    EXPECT_EQ(n.caption, item->Caption);
                    EXPECT_TRUE(n.children.empty());
                },
                [](const MenuNode& n) { EXPECT_FALSE(n.children.empty()) << n.caption; });
            EXPECT_EQ(leaves > 0, list != 2 || !sets[s].NoParktronic); // no parking items without a parktronic
        }
        EXPECT_THROW(InsertionMenu(3, catalog, sets[s], false), Error);
    }
}

TEST(HotMenuTree, FeatureConditionsWalkTheirTable)
{
    struct Case {
        int list;
        std::string_view name;
        void (*set)(ModelFeatures&);
        bool offeredWhenSet;
    };
    const Case cases[] = {
        {0, "FullGasTankMenu", [](ModelFeatures& f) { f.NoGasFuel = true; }, false},
        {0, "CorrUOZMenu", [](ModelFeatures& f) { f.IgnitionCorrection = true; }, true},
        {0, "HVFanForcedOnMenu", [](ModelFeatures& f) { f.HasHybridDrive = true; }, true},
        {0, "Vel100DownMenu", [](ModelFeatures& f) { f.NoAccelerationTest = true; }, false},
        {0, "SoundVolumeMenu", [](ModelFeatures& f) { f.NoVolumeControl = true; }, false},
        {0, "apHoloMenu", [](ModelFeatures& f) { f.KmPerLitre = true; }, false},
        {0, "apGabarMenu", [](ModelFeatures& f) { f.NoLightWarnings = true; }, false},
        {1, "InitStopParamsMenu", [](ModelFeatures& f) { f.NoTrafficStats = true; }, false},
        {1, "InitResetOnlyGasParamsMenu", [](ModelFeatures& f) { f.NoGasFuel = true; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        ModelFeatures off{}, on{};
        c.set(on);
        const MenuItemList catalogOff = MakeMenuItemList(off, {}, Language::Russian);
        const MenuItemList catalogOn = MakeMenuItemList(on, {}, Language::Russian);
        const bool heldOff = FindMenuItemByName(catalogOff, c.name) != nullptr;
        const bool heldOn = FindMenuItemByName(catalogOn, c.name) != nullptr;
        EXPECT_EQ(Offers(InsertionMenu(c.list, catalogOff, off, false), catalogOff, c.name), heldOff && !c.offeredWhenSet);
        EXPECT_EQ(Offers(InsertionMenu(c.list, catalogOn, on, false), catalogOn, c.name), heldOn && c.offeredWhenSet);
    }
}

TEST(HotMenuTree, SlipListsOnlyListedBlocks)
{
    ModelFeatures f{};
    f.EcuBlocksMenu = true;
    const MenuItemList none = MakeMenuItemList(f, {}, Language::Russian);
    EXPECT_EQ(Titles(InsertionMenu(0, none, f, true)), (std::vector<std::string>{"Control", "Resources", "Limits", "Display", "Voice messages", "TS"}));

    BlockPresence blocks{};
    blocks[27] = true; // one block listed
    const MenuItemList one = MakeMenuItemList(f, blocks, Language::Russian);
    const auto tree = InsertionMenu(0, one, f, false);
    ASSERT_EQ(Titles(tree).back(), "Пробуксовка");
    ASSERT_EQ(tree.back().children.size(), 1u);
    EXPECT_EQ(tree.back().children[0].code, FindMenuItemByName(one, "BlocksBoschESP9Menu")->Code);

    ModelFeatures noMenu{};
    EXPECT_EQ(Titles(InsertionMenu(0, MakeMenuItemList(noMenu, blocks, Language::Russian), noMenu, true)).back(), "TS");
}

TEST(HotMenuTree, AveragesAndParkingLists)
{
    const ModelFeatures f{};
    const MenuItemList catalog = MakeMenuItemList(f, {}, Language::Russian);
    const auto averages = InsertionMenu(1, catalog, f, true);
    EXPECT_EQ(Titles(averages), (std::vector<std::string>{"Trip log", "Petrol log"}));
    const auto park = InsertionMenu(2, catalog, f, true);
    EXPECT_EQ(Titles(park), (std::vector<std::string>{"Parking", "Front parking"}));
    // The trip log holds its save and view submenus after its own items.
    for (const MenuNode& n : averages)
        if (n.caption == "Trip log") {
            EXPECT_EQ(Titles(n.children), (std::vector<std::string>{"Save", "View"}));
        }
}

} // namespace
} // namespace tc
