#include "CatalogTestSupport.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

using namespace tc;

namespace {

std::vector<int> ProtocolNumbersOfCurrentModel()
{
    std::vector<int> numbers;
    for (const auto& p : Catalogs().Protocols)
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
        EvaluateModel(m.code, 0, Language::Russian);
        EXPECT_EQ(ModelName(), m.name);
        // Every listed protocol number has a descriptor row.
        EXPECT_EQ(static_cast<int>(Catalogs().Protocols.size()), m.protocolCount) << m.name;
        ASSERT_NE(CurrentProtocol(), nullptr);
        EXPECT_EQ(CurrentProtocol(), Catalogs().Protocols.front().get());
    }
}

TEST_F(CatalogTest, ProtocolIndexIsAPositionInTheModelsOwnList)
{
    EvaluateModel(0x8002, 0, Language::Russian);
    EXPECT_EQ(Catalogs().Protocols.size(), 85u);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 11);
    EvaluateModel(0x8002, 84, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 255);
    EXPECT_TRUE(CurrentProtocolProblem(Language::Russian).empty());

    EvaluateModel(0x8202, 0, Language::Russian);
    const auto numbers = ProtocolNumbersOfCurrentModel();
    EXPECT_EQ(numbers.size(), 80u);
    for (int missing : {7, 31, 32, 33, 63})
        EXPECT_EQ(std::count(numbers.begin(), numbers.end(), missing), 0) << missing;

    EvaluateModel(0x4200, 0, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 7);
    EvaluateModel(0x4200, 5, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 102);
}

TEST_F(CatalogTest, IndexBeyondTheListLeavesTheCurrentProtocolAbsent)
{
    EvaluateModel(0x4010, 5, Language::Russian); // five protocols: 0..4
    EXPECT_EQ(Catalogs().Protocols.size(), 5u);
    EXPECT_EQ(CurrentProtocol(), nullptr);
    EXPECT_EQ(ModelName(), "ZR-11");
    EXPECT_NE(CurrentProtocolProblem(Language::Russian).find("ZR-11"), std::string::npos);
    // The other catalogs are still built.
    EXPECT_NE(FindMeasPar(12), nullptr);
    EXPECT_NE(FindMenuItemByName("FullTankMenu"), nullptr);

    EvaluateModel(0x8002, 300, Language::Russian); // a stored 16-bit index is never truncated into the list
    EXPECT_EQ(CurrentProtocol(), nullptr);
    EvaluateModel(0x8002, 85, Language::Russian);
    EXPECT_EQ(CurrentProtocol(), nullptr);
}

TEST_F(CatalogTest, UnlistedModelHasNoNameFeaturesOrProtocols)
{
    EvaluateModel(0xC000, 3, Language::Russian);
    EvaluateModel(0x1234, 0, Language::Russian);
    EXPECT_FALSE(IsListedModel(0x1234));
    EXPECT_FALSE(Catalogs().ModelListed);
    EXPECT_EQ(ModelName(), "");
    EXPECT_EQ(Features(), ModelFeatures{});
    EXPECT_TRUE(Catalogs().Protocols.empty());
    EXPECT_EQ(CurrentProtocol(), nullptr);
    for (int b = 0; b <= kLastBlockCode; ++b)
        EXPECT_FALSE(Catalogs().BlockListed(b));
    EXPECT_NE(CurrentProtocolProblem(Language::Russian).find("0x1234"), std::string::npos);
    EXPECT_EQ(CurrentProtocolProblem(Language::English), "Unknown device model code 0x1234: no protocols");
}

TEST_F(CatalogTest, EvaluationLeavesNoTraceOfThePreviousModel)
{
    EvaluateModel(0x4010, 0, Language::Russian);
    ASSERT_TRUE(Features().LowBeamControl);
    ASSERT_TRUE(Catalogs().BlockListed(67)); // from protocol 44
    ASSERT_NE(FindMenuItemByName("LightsOnMenu"), nullptr);

    EvaluateModel(0x8082, 0, Language::Russian);
    EXPECT_EQ(Features(), FeaturesFromMask(mf::HasExtraSystems | mf::EcuBlocksMenu | mf::HasHybridDrive));
    EXPECT_EQ(ModelName(), "ZR-42");
    std::set<int> expected;
    for (const auto& p : Catalogs().Protocols)
        for (auto b : p->Blocks())
            if (b >= kFirstBlockCode)
                expected.insert(b);
    for (int b = 0; b <= kLastBlockCode; ++b)
        EXPECT_EQ(Catalogs().BlockListed(b), expected.count(b) == 1) << b;
    EXPECT_FALSE(Catalogs().BlockListed(67));
    EXPECT_EQ(FindMenuItemByName("LightsOnMenu"), nullptr);
    EXPECT_NE(FindMenuItemByName("apHoloMenu"), nullptr);
    EXPECT_EQ(FindMeasPar(11)->ClassName, "TTemperAir");
}

TEST_F(CatalogTest, ModelDependentCodesEndEveryProtocolsParameterList)
{
    EvaluateModel(0x5800, 0, Language::Russian);
    for (const auto& p : Catalogs().Protocols) {
        const auto codes = p->Params();
        ASSERT_GE(codes.size(), 20u);
        EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + 16, std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}.begin()));
        EXPECT_EQ(std::vector<int>(codes.end() - 4, codes.end()), (std::vector<int>{65, 62, 55, 56})) << p->ProtName;
    }
    EvaluateModel(0x5100, 0, Language::Russian);
    for (const auto& p : Catalogs().Protocols) {
        const auto codes = p->Params();
        EXPECT_EQ(std::vector<int>(codes.end() - 2, codes.end()), (std::vector<int>{55, 56})) << p->ProtName;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 65), 0);
    }
}

TEST_F(CatalogTest, FeaturesThatNoModelSetsStayClear)
{
    for (const auto& m : ListedModels()) {
        EvaluateModel(m.code, 0, Language::Russian);
        const auto& f = Features();
        EXPECT_FALSE(f.HasUniversalInput || f.NoAutoVag || f.HasTaximeter || f.CvtTemperature || f.NoAccelerationTest
                     || f.NoSpeedCorrection || f.HasNmea) << m.name;
    }
    EvaluateModel(0x5200, 0, Language::Russian);
    EXPECT_TRUE(Features().X1PanelModel);
    EXPECT_TRUE(Features().KmPerLitre);
    EXPECT_FALSE(Features().HasTrim);
    EvaluateModel(0xC010, 0, Language::Russian);
    EXPECT_TRUE(Features().Supply24V);
    EXPECT_TRUE(Features().HasSecondTank);
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
    EvaluateModel(0x5100, 1, Language::Russian); // 51 63 103 ... 220
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 63);
    EXPECT_EQ(CurrentProtocol()->ProtName, "Bosch");
    EvaluateModel(0x8002, 38, Language::Russian);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 63);
    EXPECT_EQ(CurrentProtocol()->ProtName, "Tiggo");
}

TEST_F(CatalogTest, ChoosingAnotherProtocolKeepsTheListsAndTheirEntries)
{
    EvaluateModel(0x4200, 0, Language::Russian);
    MeasuredParameter* speed = FindMeasPar(12);
    speed->Caption = "renamed by the editor";
    const MenuItem* item = FindMenuItemByName("LightsOnMenu");
    const VehicleProtocol* first = Catalogs().Protocols.front().get();

    SelectProtocol(5);
    ASSERT_NE(CurrentProtocol(), nullptr);
    EXPECT_EQ(CurrentProtocol()->ProtNumber, 102);
    EXPECT_EQ(Catalogs().ProtocolIndex, 5u);
    EXPECT_EQ(FindMeasPar(12), speed);
    EXPECT_EQ(speed->Caption, "renamed by the editor");
    EXPECT_EQ(FindMenuItemByName("LightsOnMenu"), item);
    EXPECT_EQ(Catalogs().Protocols.front().get(), first);

    SelectProtocol(6); // beyond the six protocols of the model
    EXPECT_EQ(CurrentProtocol(), nullptr);
    EXPECT_EQ(CurrentProtocolProblem(Language::English), "Protocol index 6 is beyond the list of model ZR-21 (6 protocols)");
    SelectProtocol(0);
    EXPECT_EQ(CurrentProtocol(), first);
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
        EvaluateModel(row.code, 0, Language::Russian);
        EXPECT_EQ(ModelName(), row.name);
        std::string set;
        for (const auto& f : ListFeatures(Features()))
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
