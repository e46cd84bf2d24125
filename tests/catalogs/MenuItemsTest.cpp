#include "CatalogTestSupport.h"

#include "common/Bytes.h"
#include "model/SettingsModel.h"

#include <set>
#include <utility>

using namespace tc;

namespace {

int CodeOf(const MenuItemList& list, const char* name)
{
    const auto* item = FindMenuItemByName(list, name);
    return item ? item->Code : -1;
}

} // namespace

TEST_F(CatalogTest, MenuCodesWithVolumeControl)
{
    Evaluate(0xC000, 0, Language::Russian);
    const auto& l = cat.MenuItems;
    const std::pair<const char*, int> kCodes[] = {
        {"VirtLockMenu", 1}, {"CorrUOZMenu", 9}, {"SoundVolumeMenu", 25}, {"FlagSoundMenu", 26},
        {"apHoloMenu", 32}, {"LightsOnMenu", -1}, {"InitTripParamsMenu", 41}, {"WriteTrip1Menu", 50},
        {"WriteTrip20Menu", 69}, {"ViewTank10Menu", 103}, {"ViewTank20Menu", 113}, {"ParkOffMenu", 141},
        {"InGasTankMenu", 159}, {"TareWeightMenu", -1}, {"HVFanForcedOnMenu", -1}
    };
    for (const auto& [item, code] : kCodes)
        EXPECT_EQ(CodeOf(l, item), code) << item;
    for (int reserved = 114; reserved <= 140; ++reserved)
        EXPECT_EQ(FindMenuItemByCode(l, static_cast<std::uint16_t>(reserved)), nullptr);
    EXPECT_EQ(FindMenuItemByName(l, "viewtank10menu"), nullptr);

    std::set<std::string> names;
    std::set<int> codes;
    for (const auto& item : l) {
        names.insert(item->Name);
        codes.insert(item->Code);
    }
    EXPECT_EQ(names.size(), l.size());
    EXPECT_EQ(codes.size(), l.size());

    Evaluate(0x8082, 0, Language::Russian);
    EXPECT_EQ(cat.FindMenuItemByName("HVFanForcedOnMenu")->Code, 162);
}

TEST_F(CatalogTest, MenuCodesWithoutVolumeControlAndWithLowBeamOnTheAirInput)
{
    Evaluate(0x4010, 0, Language::Russian);
    const auto& l = cat.MenuItems;
    const std::pair<const char*, int> kCodes[] = {
        {"SoundVolumeMenu", -1}, {"SayParamPeriodMenu", -1}, {"FlagSoundMenu", 25}, {"apVelMenu", 26},
        {"LightsOnMenu", 30}, {"apHoloMenu", -1}, {"apEconomMenu", 31}, {"InitTripParamsMenu", 39},
        {"ParkOffMenu", 139}, {"CorrUOZMenu", -1}
    };
    for (const auto& [item, code] : kCodes)
        EXPECT_EQ(CodeOf(l, item), code) << item;
    EXPECT_EQ(FindMenuItemByCode(l, 9), nullptr); // the absent correction item keeps its code
    EXPECT_EQ(CodeOf(l, "EBUResetMenu"), 10);
}

TEST_F(CatalogTest, AbsentItemsThatKeepTheirCodes)
{
    ModelFeatures f;
    f.KmPerLitre = true;
    auto l = MakeMenuItemList(f, {}, Language::Russian);
    EXPECT_EQ(CodeOf(l, "apHoloMenu"), -1);
    EXPECT_EQ(CodeOf(l, "LightsOnMenu"), -1);
    EXPECT_EQ(FindMenuItemByCode(l, 32), nullptr);
    EXPECT_EQ(CodeOf(l, "apEconomMenu"), 33);

    f = {};
    f.LowBeamOnAirInput = true; // without LowBeamControl the shared code is a gap
    l = MakeMenuItemList(f, {}, Language::Russian);
    EXPECT_EQ(FindMenuItemByCode(l, 32), nullptr);
    EXPECT_EQ(CodeOf(l, "apEconomMenu"), 33);

    f = {};
    f.NoParktronic = true;
    f.NoLightWarnings = true;
    l = MakeMenuItemList(f, {}, Language::Russian);
    for (int code = 141; code <= 150; ++code)
        EXPECT_EQ(FindMenuItemByCode(l, static_cast<std::uint16_t>(code)), nullptr);
    EXPECT_EQ(CodeOf(l, "InitResetOnlyGasParamsMenu"), 151);
    EXPECT_EQ(CodeOf(l, "apGabarMenu"), -1);
    EXPECT_EQ(CodeOf(l, "apTankFullMenu"), 36);
}

TEST_F(CatalogTest, BlockItemsNeedTheFeatureAndAListedBlock)
{
    Evaluate(0xC000, 0, Language::Russian); // protocols 11, 18, 111, ... list blocks 27, 77, 28, 178, 180, 37, 22
    const auto& l = cat.MenuItems;
    EXPECT_EQ(CodeOf(l, "BlocksBoschESP9Menu"), 163);
    EXPECT_EQ(CodeOf(l, "BlocksABS9Menu"), 169);
    for (const auto& item : l)
        EXPECT_LE(item->Code, 169);

    BlockPresence blocks{};
    blocks[22] = true;
    ModelFeatures f;
    EXPECT_EQ(CodeOf(MakeMenuItemList(f, blocks, Language::Russian), "BlocksABS9Menu"), -1);
    f.EcuBlocksMenu = true;
    const auto only22 = MakeMenuItemList(f, blocks, Language::Russian);
    EXPECT_EQ(CodeOf(only22, "BlocksABS9Menu"), 169);
    EXPECT_EQ(CodeOf(only22, "BlocksBoschESP9Menu"), -1);

    Evaluate(0x5100, 0, Language::Russian); // no block lists at all
    EXPECT_EQ(cat.FindMenuItemByName("BlocksABS9Menu"), nullptr);
}

TEST_F(CatalogTest, MenuCaptions)
{
    auto l = MakeMenuItemList({}, {}, Language::Russian);
    EXPECT_EQ(FindMenuItemByName(l, "WriteTrip1Menu")->Caption, "   1     ММ:ЧЧ ДД.ММ");
    EXPECT_EQ(FindMenuItemByName(l, "ViewTank0Menu")->Caption, "П" "o" "с.     ММ:ЧЧ ДД.ММ");
    EXPECT_EQ(FindMenuItemByName(l, "ViewTank0Menu")->Caption.substr(2, 1), "o"); // a Latin o
    EXPECT_EQ(FindMenuItemByName(l, "InitReset1ParamsMenu")->Caption, "Сброс Cброс2");
    l = MakeMenuItemList({}, {}, Language::English);
    EXPECT_EQ(FindMenuItemByName(l, "ViewTrip20Menu")->Caption, "  20     MM:HH DD.MM");
    EXPECT_EQ(FindMenuItemByName(l, "ViewTrip0Menu")->Caption, "Last     MM:HH DD.MM");
    EXPECT_EQ(FindMenuItemByName(l, "TankMethMenu")->Caption, "Tank type Calculated/FLS/ECU FLS");
}

TEST_F(CatalogTest, ModelCreationFillsTheHotMenuDefaults)
{
    const SettingsModel model;
    EXPECT_EQ(model.ModelCatalog().ModelName, "ZR-71");
    ASSERT_NE(model.CurrentProtocol(), nullptr);
    EXPECT_EQ(model.CurrentProtocol()->ProtNumber, 11);
    const auto r9 = model.Record(9);
    std::vector<int> general, trip, park;
    for (std::size_t i = 0; i < 10; ++i) {
        general.push_back(GetU16(r9, 196 + 2 * i));
        trip.push_back(GetU16(r9, 216 + 2 * i));
        park.push_back(GetU16(r9, 236 + 2 * i));
    }
    EXPECT_EQ(general, (std::vector<int>{2, 3, 154, 26, 15, 6, 8, 0, 0, 0}));
    EXPECT_EQ(trip, (std::vector<int>{47, 42, 43, 48, 92, 0, 0, 0, 0, 0}));
    EXPECT_EQ(park, (std::vector<int>{141, 143, 144, 145, 146, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(model.ModelCatalog().Features.HasHybridDrive); // the colour schemes start without the hybrid variant
}
