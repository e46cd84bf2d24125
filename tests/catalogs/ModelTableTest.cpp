#include "CatalogTestSupport.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

using namespace tc;

namespace {

std::vector<int> ProtocolNumbersOf(const Catalog& catalog)
{
    std::vector<int> numbers;
    for (const auto& p : catalog.Protocols)
        numbers.push_back(p->ProtNumber);
    return numbers;
}

} // namespace

TEST_F(CatalogTest, ModelTableListsEighteenModelsWithTheirProtocolCounts)
{
    const auto models = ListedModels();
    ASSERT_EQ(models.size(), 18u);
    EXPECT_EQ(models.front().code, 0x4010);
    EXPECT_EQ(models.front().name, "ZR-11");
    EXPECT_EQ(models.back().code, 0xC010);
    EXPECT_EQ(models.back().name, "ZR-72");
    for (const auto& m : models) {
        Evaluate(m.code, 0, Language::Russian);
        EXPECT_EQ(cat.ModelName, m.name);
        // Every listed protocol number has a descriptor row.
        EXPECT_EQ(static_cast<int>(cat.Protocols.size()), m.protocolCount) << m.name;
        ASSERT_NE(CurrentProtocol(), nullptr);
        EXPECT_EQ(CurrentProtocol(), cat.Protocols.front().get());
    }
}

TEST_F(CatalogTest, ProtocolIndexIsAPositionInTheModelsOwnList)
{
    Evaluate(0x8002, 0, Language::Russian);
    EXPECT_EQ(cat.Protocols.size(), 85u);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 11);
    Evaluate(0x8002, 84, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 255);
    EXPECT_TRUE(cat.ProtocolProblem(index, Language::Russian).empty());

    Evaluate(0x8202, 0, Language::Russian);
    const auto numbers = ProtocolNumbersOf(cat);
    EXPECT_EQ(numbers.size(), 80u);
    for (int missing : {7, 31, 32, 33, 63})
        EXPECT_EQ(std::count(numbers.begin(), numbers.end(), missing), 0) << missing;

    Evaluate(0x4200, 0, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 7);
    Evaluate(0x4200, 5, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 102);
}

TEST_F(CatalogTest, IndexBeyondTheListLeavesTheCurrentProtocolAbsent)
{
    Evaluate(0x4010, 5, Language::Russian); // five protocols: 0..4
    EXPECT_EQ(cat.Protocols.size(), 5u);
    EXPECT_EQ(CurrentProtocol(), nullptr);
    EXPECT_EQ(cat.ModelName, "ZR-11");
    EXPECT_NE(cat.ProtocolProblem(index, Language::Russian).find("ZR-11"), std::string::npos);
    // The other catalogs are still built.
    EXPECT_NE(cat.FindMeasPar(12), nullptr);
    EXPECT_NE(cat.FindMenuItemByName("FullTankMenu"), nullptr);

    Evaluate(0x8002, 300, Language::Russian); // a stored 16-bit index is never truncated into the list
    EXPECT_EQ(CurrentProtocol(), nullptr);
    Evaluate(0x8002, 85, Language::Russian);
    EXPECT_EQ(CurrentProtocol(), nullptr);
}

TEST_F(CatalogTest, UnlistedModelHasNoNameFeaturesOrProtocols)
{
    Evaluate(0xC000, 3, Language::Russian);
    Evaluate(0x1234, 0, Language::Russian);
    EXPECT_FALSE(IsListedModel(0x1234));
    EXPECT_FALSE(cat.ModelListed);
    EXPECT_EQ(cat.ModelName, "");
    EXPECT_EQ(cat.Features, ModelFeatures{});
    EXPECT_TRUE(cat.Protocols.empty());
    EXPECT_EQ(CurrentProtocol(), nullptr);
    for (int b = 0; b <= kLastBlockCode; ++b)
        EXPECT_FALSE(cat.BlockListed(b));
    EXPECT_NE(cat.ProtocolProblem(index, Language::Russian).find("0x1234"), std::string::npos);
    EXPECT_EQ(cat.ProtocolProblem(index, Language::English), "Unknown device model code 0x1234: no protocols");
}

TEST_F(CatalogTest, EvaluationLeavesNoTraceOfThePreviousModel)
{
    Evaluate(0x4010, 0, Language::Russian);
    ASSERT_TRUE(cat.Features.LowBeamControl);
    ASSERT_TRUE(cat.BlockListed(67)); // from protocol 44
    ASSERT_NE(cat.FindMenuItemByName("LightsOnMenu"), nullptr);

    Evaluate(0x8082, 0, Language::Russian);
    EXPECT_EQ(cat.Features, FeaturesFromMask(mf::HasExtraSystems | mf::EcuBlocksMenu | mf::HasHybridDrive));
    EXPECT_EQ(cat.ModelName, "ZR-42");
    std::set<int> expected;
    for (const auto& p : cat.Protocols)
        for (auto b : p->Blocks())
            if (b >= kFirstBlockCode)
                expected.insert(b);
    for (int b = 0; b <= kLastBlockCode; ++b)
        EXPECT_EQ(cat.BlockListed(b), expected.count(b) == 1) << b;
    EXPECT_FALSE(cat.BlockListed(67));
    EXPECT_EQ(cat.FindMenuItemByName("LightsOnMenu"), nullptr);
    EXPECT_NE(cat.FindMenuItemByName("apHoloMenu"), nullptr);
    EXPECT_EQ(cat.FindMeasPar(11)->ClassName, "TTemperAir");
}

TEST_F(CatalogTest, ModelDependentCodesEndEveryProtocolsParameterList)
{
    Evaluate(0x5800, 0, Language::Russian);
    for (const auto& p : cat.Protocols) {
        const auto codes = p->Params();
        ASSERT_GE(codes.size(), 20u);
        EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + 16, std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}.begin()));
        EXPECT_EQ(std::vector<int>(codes.end() - 4, codes.end()), (std::vector<int>{65, 62, 55, 56})) << p->ProtName;
    }
    Evaluate(0x5100, 0, Language::Russian);
    for (const auto& p : cat.Protocols) {
        const auto codes = p->Params();
        EXPECT_EQ(std::vector<int>(codes.end() - 2, codes.end()), (std::vector<int>{55, 56})) << p->ProtName;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 65), 0);
    }
}

TEST_F(CatalogTest, FeaturesThatNoModelSetsStayClear)
{
    for (const auto& m : ListedModels()) {
        Evaluate(m.code, 0, Language::Russian);
        const auto& f = cat.Features;
        EXPECT_FALSE(f.HasUniversalInput || f.NoAutoVag || f.HasTaximeter || f.CvtTemperature || f.NoAccelerationTest
                     || f.NoSpeedCorrection || f.HasNmea) << m.name;
    }
    Evaluate(0x5200, 0, Language::Russian);
    EXPECT_TRUE(cat.Features.X1PanelModel);
    EXPECT_TRUE(cat.Features.KmPerLitre);
    EXPECT_FALSE(cat.Features.HasTrim);
    Evaluate(0xC010, 0, Language::Russian);
    EXPECT_TRUE(cat.Features.Supply24V);
    EXPECT_TRUE(cat.Features.HasSecondTank);
}

TEST_F(CatalogTest, EachFeatureBitSetsExactlyItsOwnFeature)
{
    for (int i = 0; i < mf::FeatureCount; ++i) {
        const auto named = ListFeatures(FeaturesFromMask(std::uint64_t{1} << i));
        EXPECT_EQ(std::count_if(named.begin(), named.end(), [](const NamedFeature& n) { return n.value; }), 1);
        EXPECT_TRUE(named[static_cast<std::size_t>(i)].value) << named[static_cast<std::size_t>(i)].name;
    }
}

TEST_F(CatalogTest, Protocol63IsBoschWhereTheModelAlsoOffers220)
{
    Evaluate(0x5100, 1, Language::Russian); // 51 63 103 ... 220
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 63);
    EXPECT_EQ(CurrentProtocol()->ProtName, "Bosch");
    Evaluate(0x8002, 38, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 63);
    EXPECT_EQ(CurrentProtocol()->ProtName, "Tiggo");
}

TEST_F(CatalogTest, AnyStoredIndexIsLookedUpInTheSameCatalog)
{
    Evaluate(0x4200, 0, Language::Russian);
    const VehicleProtocol* first = cat.Protocols.front().get();
    EXPECT_EQ(cat.Protocol(0), first);
    ASSERT_NE(cat.Protocol(5), nullptr);
    EXPECT_EQ(cat.Protocol(5)->ProtNumber, 102);
    EXPECT_TRUE(cat.ProtocolProblem(5, Language::English).empty());
    EXPECT_EQ(cat.Protocol(6), nullptr); // beyond the six protocols of the model
    EXPECT_EQ(cat.ProtocolProblem(6, Language::English), "Protocol index 6 is beyond the list of model ZR-21 (6 protocols)");
}

TEST_F(CatalogTest, EveryModelSetsExactlyItsOwnFeatures)
{
    struct Row {
        std::uint16_t code;
        const char* name;
        const char* features; // space-separated, as the model table names them
    };
    const Row rows[] = {
        {0x4010, "ZR-11",
         "NoVolumeControl LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4020, "ZR-12",
         "NoVolumeControl LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4110, "ZR-13",
         "LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4120, "ZR-14",
         "LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4200, "ZR-21",
         "LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4210, "ZR-22",
         "LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4300, "ZR-23",
         "NoVolumeControl LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x4310, "ZR-24",
         "NoVolumeControl LowBeamOnAirInput LowBeamControl NoSpeedSensor NoInjectorInput HasObdProtocols HasExtraSystems EcuBlocksMenu"},
        {0x5100, "ZR-31",
         "NoVolumeControl LowBeamOnAirInput NoParktronic NoGasFuel NoTrafficStats NoLightWarnings NoParkingLightsChoice HasObdProtocols HasRetarder ServiceInThousandKm HasAccelerometer NoFuelLevelSensor NoLockTypeChoice"},
        {0x5200, "ZR-32",
         "X1PanelModel NoVolumeControl LowBeamOnAirInput NoParktronic NoGasFuel NoTrafficStats NoLightWarnings NoParkingLightsChoice HasTachoInput ServiceInThousandKm HasAccelerometer NoFuelLevelSensor NoLockTypeChoice KmPerLitre"},
        {0x5800, "ZR-33",
         "X1PanelModel NoVolumeControl LastSpeedSourceNeedsVirtualLock NoParktronic NoGasFuel NoTrafficStats NoLightWarnings NoParkingLightsChoice HasObdProtocols HasTachoInput HasGps ServiceInThousandKm HasAccelerometer HasTrim KmPerLitre"},
        {0x8002, "ZR-41",
         "IgnitionCorrection HasVagProtocols HasObdProtocols HasOpelProtocols HasExtraSystems EcuBlocksMenu"},
        {0x8082, "ZR-42",
         "HasExtraSystems EcuBlocksMenu HasHybridDrive"},
        {0x8180, "ZR-51",
         "NoVolumeControl HasExtraSystems EcuBlocksMenu HasHybridDrive"},
        {0x8190, "ZR-52",
         "NoVolumeControl HasExtraSystems EcuBlocksMenu HasHybridDrive"},
        {0x8202, "ZR-61",
         "IgnitionCorrection HasVagProtocols HasObdProtocols HasOpelProtocols HasExtraSystems EcuBlocksMenu"},
        {0xC000, "ZR-71",
         "HasSecondTank IgnitionCorrection HasVagProtocols HasObdProtocols HasOpelProtocols HasExtraSystems EcuBlocksMenu"},
        {0xC010, "ZR-72",
         "HasSecondTank IgnitionCorrection HasVagProtocols HasObdProtocols HasOpelProtocols Supply24V HasExtraSystems EcuBlocksMenu"},
    };
    ASSERT_EQ(ListedModels().size(), std::size(rows));
    for (const auto& row : rows) {
        Evaluate(row.code, 0, Language::Russian);
        EXPECT_EQ(cat.ModelName, row.name);
        std::string set;
        for (const auto& f : ListFeatures(cat.Features))
            if (f.value)
                set += (set.empty() ? "" : " ") + std::string(f.name);
        std::vector<std::string> expected, actual;
        std::istringstream e(row.features), a(set);
        for (std::string w; e >> w;)
            expected.push_back(w);
        for (std::string w; a >> w;)
            actual.push_back(w);
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        EXPECT_EQ(actual, expected) << row.name;
    }
}
