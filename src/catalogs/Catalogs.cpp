#include "catalogs/Catalogs.h"

#include "catalogs/CodeList.h"
#include "common/Language.h"

#include <algorithm>
#include <cstdio>

namespace tc {

namespace {

struct ModelRow {
    std::uint16_t code;
    std::string_view name;
    std::uint64_t features;
    std::string_view protocols; // protocol numbers in list order
};

// model code, name, features, protocols
constexpr ModelRow kModelRows[] = {
    {0x4010, "ZR-11", mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "41 44 45 61 102"},
    {0x4020, "ZR-12", mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "41 44 45 61 102"},
    {0x4110, "ZR-13", mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "41 44 45 61 102"},
    {0x4120, "ZR-14", mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "41 44 45 61 102"},
    {0x4200, "ZR-21", mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "7 41 44 45 61 102"},
    {0x4210, "ZR-22", mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "7 41 44 45 61 102"},
    {0x4300, "ZR-23", mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "7 41 44 45 61 102"},
    {0x4310, "ZR-24", mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::LowBeamControl | mf::NoSpeedSensor | mf::NoInjectorInput | mf::HasObdProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "7 41 44 45 61 102"},
    {0x5100, "ZR-31", mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::NoParktronic | mf::NoGasFuel | mf::NoTrafficStats | mf::NoLightWarnings | mf::NoParkingLightsChoice | mf::HasObdProtocols | mf::HasRetarder | mf::ServiceInThousandKm | mf::HasAccelerometer | mf::NoFuelLevelSensor | mf::NoLockTypeChoice,
     "51 63 103 104 105 220 221 229 255"},
    {0x5200, "ZR-32", mf::X1PanelModel | mf::NoVolumeControl | mf::LowBeamOnAirInput | mf::NoParktronic | mf::NoGasFuel | mf::NoTrafficStats | mf::NoLightWarnings | mf::NoParkingLightsChoice | mf::HasTachoInput | mf::ServiceInThousandKm | mf::HasAccelerometer | mf::NoFuelLevelSensor | mf::NoLockTypeChoice | mf::KmPerLitre,
     "51 220 222 223 224 225 228 254 227 229 255"},
    {0x5800, "ZR-33", mf::X1PanelModel | mf::NoVolumeControl | mf::LastSpeedSourceNeedsVirtualLock | mf::NoParktronic | mf::NoGasFuel | mf::NoTrafficStats | mf::NoLightWarnings | mf::NoParkingLightsChoice | mf::HasObdProtocols | mf::HasTachoInput | mf::HasGps | mf::ServiceInThousandKm | mf::HasAccelerometer | mf::HasTrim | mf::KmPerLitre,
     "48 51 41 42 43 46 47 103 104 105 111 113 220 222 223 224 225 228 226 254 227 255"},
    {0x8002, "ZR-41", mf::IgnitionCorrection | mf::HasVagProtocols | mf::HasObdProtocols | mf::HasOpelProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "11 7 16 18 180 181 12 15 5 6 13 1 17 182 14 21 22 27 29 31 32 33 36 37 38 48 51 41 42 43 44 45 46 47 49 50 61 62 63 64 65 82 83 84 85 86 87 88 89 90 91 92 93 94 95 81 96 101 103 104 105 111 113 112 116 117 118 121 122 123 124 125 126 127 128 131 132 139 141 142 151 152 171 172 255"},
    {0x8082, "ZR-42", mf::HasExtraSystems | mf::EcuBlocksMenu | mf::HasHybridDrive,
     "12 230 234 231 232 235 236 237 233 238 244 240 245 243 239 241 242 1"},
    {0x8180, "ZR-51", mf::NoVolumeControl | mf::HasExtraSystems | mf::EcuBlocksMenu | mf::HasHybridDrive,
     "12 230 234 231 232 235 236 237 233 238 244 240 245 243 239 241 242 1 162"},
    {0x8190, "ZR-52", mf::NoVolumeControl | mf::HasExtraSystems | mf::EcuBlocksMenu | mf::HasHybridDrive,
     "12 230 234 231 232 235 236 237 233 238 244 240 245 243 239 241 242 1 162"},
    {0x8202, "ZR-61", mf::IgnitionCorrection | mf::HasVagProtocols | mf::HasObdProtocols | mf::HasOpelProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "11 16 18 180 181 12 15 5 6 13 1 17 182 14 21 22 27 29 36 37 38 48 51 41 42 43 44 45 46 47 49 50 61 62 64 65 82 83 84 85 86 87 88 89 90 91 92 93 94 95 81 96 101 103 104 105 111 113 112 116 117 118 121 122 123 124 125 126 127 128 131 132 139 141 142 151 152 171 172 255"},
    {0xC000, "ZR-71", mf::HasSecondTank | mf::IgnitionCorrection | mf::HasVagProtocols | mf::HasObdProtocols | mf::HasOpelProtocols | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "11 7 16 18 180 181 12 15 5 6 13 1 17 182 14 21 22 27 29 31 32 33 36 37 38 48 51 41 42 43 44 45 46 47 49 50 61 62 63 64 65 82 83 84 85 86 87 88 89 90 91 92 93 94 95 81 96 101 103 104 105 111 113 112 116 117 118 121 122 123 124 125 126 127 128 131 132 139 141 142 151 152 171 172 255"},
    {0xC010, "ZR-72", mf::HasSecondTank | mf::IgnitionCorrection | mf::HasVagProtocols | mf::HasObdProtocols | mf::HasOpelProtocols | mf::Supply24V | mf::HasExtraSystems | mf::EcuBlocksMenu,
     "11 7 16 18 180 181 12 15 5 6 13 1 17 182 14 21 22 27 29 31 32 33 36 37 38 48 51 41 42 43 44 45 46 47 49 50 61 62 63 64 65 82 83 84 85 86 87 88 89 90 91 92 93 94 95 81 96 101 103 104 105 111 113 112 116 117 118 121 122 123 124 125 126 127 128 131 132 139 141 142 151 152 171 172 255"},
};

const ModelRow* FindModelRow(std::uint16_t code)
{
    for (const auto& r : kModelRows)
        if (r.code == code)
            return &r;
    return nullptr;
}

std::string Hex(std::uint16_t code)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", code);
    return text;
}

} // namespace

ModelFeatures FeaturesFromMask(std::uint64_t mask)
{
    ModelFeatures f;
#define TC_FEATURE_FROM_MASK(name) f.name = (mask & mf::name) != 0;
    TC_MODEL_FEATURES(TC_FEATURE_FROM_MASK)
#undef TC_FEATURE_FROM_MASK
    return f;
}

std::array<NamedFeature, mf::FeatureCount> ListFeatures(const ModelFeatures& f)
{
    return {{
#define TC_FEATURE_NAMED(name) {#name, f.name},
        TC_MODEL_FEATURES(TC_FEATURE_NAMED)
#undef TC_FEATURE_NAMED
    }};
}

bool Catalog::BlockListed(int blockCode) const
{
    return blockCode >= kFirstBlockCode && blockCode <= kLastBlockCode && BlockPresent[static_cast<std::size_t>(blockCode)];
}

const VehicleProtocol* Catalog::Protocol(unsigned protocolIndex) const
{
    return protocolIndex < Protocols.size() ? Protocols[protocolIndex].get() : nullptr;
}

const MeasuredParameter* Catalog::FindMeasPar(std::uint8_t code) const { return tc::FindMeasPar(MeasPars, code); }
const MenuItem* Catalog::FindMenuItemByName(std::string_view name) const { return tc::FindMenuItemByName(MenuItems, name); }
const MenuItem* Catalog::FindMenuItemByCode(std::uint16_t code) const { return tc::FindMenuItemByCode(MenuItems, code); }

Catalog EvaluateModel(std::uint16_t modelCode, Language language)
{
    Catalog c;
    c.ModelCode = modelCode;
    if (const ModelRow* row = FindModelRow(modelCode)) {
        c.ModelListed = true;
        c.ModelName = std::string(row->name);
        c.Features = FeaturesFromMask(row->features);
        const auto numbers = ParseCodeList(row->protocols);
        const bool bosch63 = std::find(numbers.begin(), numbers.end(), 220) != numbers.end();
        for (auto number : numbers) {
            auto p = MakeProtocol(number, c.Features, c.BlockPresent, language, bosch63);
            if (p)
                c.Protocols.push_back(std::make_unique<VehicleProtocol>(std::move(*p)));
        }
    }
    // Both lists follow the features and the blocks the protocols listed.
    c.MeasPars = MakeMeasParList(c.Features, language);
    c.MenuItems = MakeMenuItemList(c.Features, c.BlockPresent, language);
    return c;
}

std::vector<ModelInfo> ListedModels()
{
    std::vector<ModelInfo> models;
    for (const auto& r : kModelRows)
        models.push_back({r.code, r.name, static_cast<int>(ParseCodeList(r.protocols).size())});
    return models;
}

bool IsListedModel(std::uint16_t modelCode)
{
    return FindModelRow(modelCode) != nullptr;
}

std::string Catalog::ProtocolProblem(unsigned protocolIndex, Language language) const
{
    if (Protocol(protocolIndex))
        return {};
    if (!ModelListed)
        return Tr(language, "Неизвестный код модели " + Hex(ModelCode) + ": список протоколов пуст",
                  "Unknown device model code " + Hex(ModelCode) + ": no protocols");
    const auto index = std::to_string(protocolIndex);
    const auto count = std::to_string(Protocols.size());
    return Tr(language, "Номер протокола " + index + " вне списка модели " + ModelName + " (протоколов: " + count + ")",
              "Protocol index " + index + " is beyond the list of model " + ModelName + " (" + count + " protocols)");
}

} // namespace tc
