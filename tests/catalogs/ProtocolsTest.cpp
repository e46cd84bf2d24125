#include "CatalogTestSupport.h"

#include "common/Error.h"

#include <set>
#include <vector>

using namespace tc;

namespace {

VehicleProtocol Make(std::uint8_t number, const ModelFeatures& f = {}, Language language = Language::Russian)
{
    BlockPresence blocks{};
    auto p = MakeProtocol(number, f, blocks, language);
    if (!p)
        throw std::logic_error("no protocol row");
    return std::move(*p);
}

std::vector<std::string> Strings(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

} // namespace

TEST_F(CatalogTest, ProtocolNumbersAreUniqueAndModelsOfferAllButTwoRows)
{
    const auto numbers = ProtocolNumbers();
    EXPECT_EQ(std::set<int>(numbers.begin(), numbers.end()).size(), numbers.size());
    std::set<int> offered;
    for (const auto& m : ListedModels()) {
        Evaluate(m.code, 0, Language::Russian);
        for (const auto& p : cat.Protocols)
            offered.insert(p->ProtNumber);
    }
    std::set<int> unused;
    for (int n : numbers)
        if (!offered.count(n))
            unused.insert(n);
    EXPECT_EQ(unused, (std::set<int>{19, 20})); // NMEA2000 and BRP: rows without a model
    BlockPresence blocks{};
    EXPECT_FALSE(MakeProtocol(200, {}, blocks, Language::Russian).has_value());
}

TEST_F(CatalogTest, CarburettorAndUniversalOfferOnlyTheCommonCodes)
{
    for (std::uint8_t n : {std::uint8_t{254}, std::uint8_t{255}}) {
        const auto p = Make(n);
        EXPECT_EQ(p.ParCount, 16);
        EXPECT_EQ(p.BlockCount, 0);
        EXPECT_FALSE(p.HasCoolantTemp);
        EXPECT_FALSE(p.HasFaultAlarm);
        EXPECT_EQ(p.FaultCodeFormat, 1000);
    }
    EXPECT_EQ(Make(254).ProtName, "Карб.");
    EXPECT_EQ(Make(254, {}, Language::English).ProtName, "Carb.");
    EXPECT_EQ(Make(255, {}, Language::English).ProtName, "Uni.");
}

TEST_F(CatalogTest, CanToyotaOptionsAndDefaults)
{
    const auto p = Make(12, {}, Language::English);
    EXPECT_EQ(p.ProtName, "CAN Toyota");
    EXPECT_EQ(p.OptionCaption[1], "CAN req/sec");
    EXPECT_EQ(p.OfferedValues(1), Strings({"4", "1"}));
    EXPECT_EQ(p.OptionCaption[2], "Expense calculation");
    EXPECT_EQ(p.OfferedValues(2), Strings({"1", "2"}));
    EXPECT_EQ(p.OfferedValues(4), Strings({"No", "Toy1", "Toy2", "Toy3", "Toy4", "U660E"}));
    for (int k : {0, 3, 5, 6, 7}) {
        EXPECT_FALSE(p.OptionOffered(k)) << k;
        EXPECT_EQ(p.OptionCount[static_cast<std::size_t>(k)], 0);
    }
    // Construction defaults stay behind the protocol's own values.
    EXPECT_EQ(p.OptionValues[0].size(), 21u);
    EXPECT_EQ(p.OptionValues[4].size(), 61u);
    EXPECT_EQ(p.OptionValues[0][0], "Auto");
    EXPECT_EQ(p.OptionValues[0][9], "9");
    EXPECT_EQ(p.OptionValues[0][10], "");
    EXPECT_EQ(p.OptionValues[4][6], "7");
    EXPECT_EQ(p.OptionValues[4][12], "13");
    EXPECT_EQ(p.OptionValues[3][9], "10");
    EXPECT_EQ(p.OptionValues[2][2], "3");
    EXPECT_TRUE(p.HasAtOilTemp);
    EXPECT_EQ(p.EcuFuelLevelCount, 2);
    EXPECT_TRUE(p.HasCoolantTemp);
    EXPECT_EQ(p.OfferedValues(8), std::vector<std::string>{});
}

TEST_F(CatalogTest, OptionTextsFollowTheLanguageAtCreation)
{
    auto p = Make(1);
    EXPECT_EQ(p.OptionCaption[4], "Темп. масла АКПП");
    EXPECT_EQ(p.OptionValues[4][0], "Нет");
    EXPECT_EQ(p.OptionValues[4][54], "Accrd2"); // gearbox list A has 55 values
    EXPECT_EQ(p.OptionCount[4], 55);
    EXPECT_EQ(p.OfferedValues(2), Strings({"1", "2", "Круиз", "4", "5D", "DustD"}));
    EXPECT_EQ(p.OptionValues[0][0], "Авто");
    EXPECT_EQ(Make(21).ProtName, "Крайслер");
    EXPECT_EQ(Make(21).OfferedValues(6), Strings({"Авто", "Руч."}));
    EXPECT_EQ(Make(27).OfferedValues(2), Strings({"fr92", "до 92"}));
    EXPECT_EQ(Make(132).OfferedValues(0).back(), "R27  ");
    EXPECT_EQ(Make(21, {}, Language::English).ProtName, "Crysler");
    EXPECT_EQ(Make(19, {}, Language::English).OfferedValues(1), Strings({"Total", "0", "1", "2", "3", "4"}));
    EXPECT_EQ(Make(19, {}, Language::English).OptionCaption[1], "Engine");
}

TEST_F(CatalogTest, BlockListsAndPresenceFlags)
{
    EXPECT_EQ(Make(1).BlockCount, 74);
    EXPECT_EQ(Make(254).BlockCount, 0);
    EXPECT_EQ(Make(230).BlockCount, 13); // 173 is listed twice
    BlockPresence blocks{};
    MakeProtocol(111, {}, blocks, Language::Russian);
    MakeProtocol(21, {}, blocks, Language::Russian);
    std::vector<int> set;
    for (int b = 0; b <= kLastBlockCode; ++b)
        if (blocks[static_cast<std::size_t>(b)])
            set.push_back(b);
    EXPECT_EQ(set, (std::vector<int>{21, 165, 166, 167, 168, 169}));
}

TEST_F(CatalogTest, SameNameDifferentProtocols)
{
    EXPECT_EQ(Make(223, {}, Language::English).ProtName, "Suzuki");
    EXPECT_EQ(Make(152, {}, Language::English).ProtName, "Suzuki");
    EXPECT_EQ(Make(224, {}, Language::English).ProtName, "Honda");
    EXPECT_EQ(Make(151, {}, Language::English).ProtName, "Honda");
    EXPECT_NE(Make(223, {}, Language::English).ParCount, Make(152, {}, Language::English).ParCount);
    const auto honda = Make(224, {}, Language::English);
    EXPECT_FALSE(honda.HasCoolantTemp);
    EXPECT_TRUE(honda.HasEngineOilTemp);
    EXPECT_TRUE(honda.HasBatteryVoltageMethod);
    EXPECT_EQ(honda.FaultCodeFormat, 10);
}

TEST_F(CatalogTest, LowBeamSignalCodeWhenTheModelSwitchesLowBeamWithoutTheAirInput)
{
    ModelFeatures f;
    f.LowBeamControl = true;
    EXPECT_EQ(Make(41, f).Params().back(), 34);
    f.LowBeamOnAirInput = true;
    EXPECT_NE(Make(41, f).Params().back(), 34);
}

TEST_F(CatalogTest, ParameterAndBlockCapacityIsRefused)
{
    auto p = Make(255);
    p.AddParCode(0);
    EXPECT_EQ(p.ParCount, 16);
    while (p.ParCount < kMaxProtCodes)
        p.AddParCode(40);
    EXPECT_THROW(p.AddParCode(41), Error);
    EXPECT_EQ(p.ParCount, kMaxProtCodes);

    BlockPresence blocks{};
    const std::vector<std::uint8_t> tooMany(102, 8);
    EXPECT_THROW(VehicleProtocol("x", 1, 0, {}, tooMany, ModelFeatures{}, blocks, Language::Russian), Error);
}

TEST_F(CatalogTest, RarerOptionRowsAndFlags)
{
    auto p = Make(117); // its expense option is option 3, not 2
    EXPECT_EQ(p.OptionCaption[3], "Расчет расхода");
    EXPECT_EQ(p.OfferedValues(3), Strings({"1", "2"}));
    EXPECT_EQ(p.OptionCaption[2], "Тип ошибок");
    EXPECT_EQ(p.OfferedValues(2), Strings({"1", "2", "3"}));
    EXPECT_EQ(p.FaultCodeFormat, 9);
    EXPECT_EQ(Make(151).OfferedValues(1), Strings({"2", "1"}));
    EXPECT_EQ(Make(116).OptionCaption[3], "Вариант ТОЖ/ТВВ");
    p = Make(64);
    EXPECT_EQ(p.OptionCaption[3], "Тип ДК2");
    EXPECT_EQ(p.OfferedValues(3), Strings({"Lambda", "O2 Пер"}));
    EXPECT_EQ(p.FaultCodeFormat, 4);
    EXPECT_EQ(p.EcuFuelLevelCount, 1);
    p = Make(139);
    EXPECT_EQ(p.OptionCaption[1], "Тип двигателя");
    EXPECT_EQ(p.OfferedValues(1), Strings({"Бензин", "Дизель"}));
    EXPECT_EQ(Make(19).OfferedValues(1).front(), "Все");
    p = Make(103);
    EXPECT_EQ(p.OptionCaption[0], "Тип ОБД");
    EXPECT_EQ(p.OfferedValues(0), Strings({"Авто", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(p.OfferedValues(2), Strings({"1", "Круиз"}));
    EXPECT_EQ(p.OfferedValues(6), Strings({"Авто", "Руч."}));
    EXPECT_EQ(Make(17).OfferedValues(4), Strings({"Нет", "ZF 2180", "Niss5"}));
    EXPECT_EQ(Make(7).OfferedValues(1), Strings({"1", "2", "1+2", "3", "4"}));
    EXPECT_EQ(Make(27).OfferedValues(3), Strings({"ШД", "ЭМК"}));

    const auto hidea = Make(226);
    EXPECT_TRUE(hidea.HasCoolantTemp);
    EXPECT_FALSE(hidea.HasFaultAlarm);
    EXPECT_TRUE(hidea.HasBatteryVoltageMethod);
    const auto prius2 = Make(231);
    EXPECT_TRUE(prius2.IsHybrid && prius2.HasExtraCooling && prius2.HasAtOilTemp);
    EXPECT_FALSE(prius2.HasParkLightsType);
    EXPECT_EQ(prius2.EcuFuelLevelCount, 0);
    EXPECT_EQ(Make(16).EcuFuelLevelCount, 3);
    const auto suzukiBoat = Make(223);
    EXPECT_TRUE(suzukiBoat.HasTrimMethod && suzukiBoat.HasBatteryVoltageMethod);
    EXPECT_FALSE(suzukiBoat.HasCoolantTemp);
    const auto tobd = Make(27);
    EXPECT_TRUE(tobd.HasCoolantTemp);
    EXPECT_FALSE(tobd.HasFaultAlarm);
    const auto vagCe = Make(96);
    EXPECT_FALSE(vagCe.HasCoolantTemp);
    EXPECT_TRUE(vagCe.HasFaultAlarm);
    EXPECT_EQ(vagCe.ParCount, 16);
    // The boat protocols do not start their own codes with 17.
    const auto yamaha = Make(222);
    EXPECT_EQ(std::vector<int>(yamaha.Params().begin() + 16, yamaha.Params().end()),
              (std::vector<int>{19, 25, 20, 22, 21, 24, 35, 57, 58, 41}));
}
