#pragma once
// The device model's features: named booleans set by the model table on each
// evaluation and read by the other catalogs, the editor and the previews.
#include <array>
#include <cstdint>
#include <string_view>

namespace tc {

// Every feature once: the struct members, the table's bit names and the
// printable names are generated from this list.
#define TC_MODEL_FEATURES(X)              \
    /* used by the catalogs */            \
    X(LowBeamControl)                     \
    X(LowBeamOnAirInput)                  \
    X(NoVolumeControl)                    \
    X(IgnitionCorrection)                 \
    X(KmPerLitre)                         \
    X(NoLightWarnings)                    \
    X(NoTrafficStats)                     \
    X(NoParktronic)                       \
    X(NoGasFuel)                          \
    X(HasHybridDrive)                     \
    X(EcuBlocksMenu)                      \
    X(HasTrim)                            \
    X(HasAccelerometer)                   \
    /* read by the settings editor only */ \
    X(X1PanelModel)                       \
    X(NoSpeedSensor)                      \
    X(NoInjectorInput)                    \
    X(HasSecondTank)                      \
    X(LastSpeedSourceNeedsVirtualLock)    \
    X(NoParkingLightsChoice)              \
    X(HasVagProtocols)                    \
    X(HasObdProtocols)                    \
    X(HasOpelProtocols)                   \
    X(HasTachoInput)                      \
    X(HasGps)                             \
    X(HasRetarder)                        \
    X(Supply24V)                          \
    X(HasExtraSystems)                    \
    X(ServiceInThousandKm)                \
    X(NoFuelLevelSensor)                  \
    X(NoLockTypeChoice)                   \
    /* cleared by every evaluation, set by no model */ \
    X(HasUniversalInput)                  \
    X(NoAutoVag)                          \
    X(HasTaximeter)                       \
    X(CvtTemperature)                     \
    X(NoAccelerationTest)                 \
    X(NoSpeedCorrection)                  \
    X(HasNmea)

struct ModelFeatures {
#define TC_FEATURE_MEMBER(name) bool name = false;
    TC_MODEL_FEATURES(TC_FEATURE_MEMBER)
#undef TC_FEATURE_MEMBER
    friend bool operator==(const ModelFeatures&, const ModelFeatures&) = default;
};

// Bit masks naming the features in the model table's rows.
namespace mf {
enum FeatureIndex : int {
#define TC_FEATURE_INDEX(name) name##Index,
    TC_MODEL_FEATURES(TC_FEATURE_INDEX)
#undef TC_FEATURE_INDEX
    FeatureCount
};
#define TC_FEATURE_BIT(name) constexpr std::uint64_t name = std::uint64_t{1} << name##Index;
TC_MODEL_FEATURES(TC_FEATURE_BIT)
#undef TC_FEATURE_BIT
} // namespace mf

ModelFeatures FeaturesFromMask(std::uint64_t mask);

// Feature names with their values, in declaration order (for listings).
struct NamedFeature {
    std::string_view name;
    bool value;
};
std::array<NamedFeature, mf::FeatureCount> ListFeatures(const ModelFeatures& f);

// Diagnosable blocks listed by any protocol of the model, indexed by block
// code; only codes 8..184 are ever set.
constexpr int kFirstBlockCode = 8;
constexpr int kLastBlockCode = 184;
using BlockPresence = std::array<bool, kLastBlockCode + 1>;

} // namespace tc
