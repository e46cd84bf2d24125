#pragma once
// Vehicle protocol descriptors: which measured parameters and diagnosable
// blocks a protocol offers, how its fault codes are written and which
// protocol-specific options and warning settings make sense for it.
#include "catalogs/ModelFeatures.h"
#include "common/Language.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

constexpr int kMaxProtCodes = 101;   // capacity of ParCodes and BlockCodes
constexpr int kProtOptionCount = 8;  // options 0..7
constexpr int kGearboxOption = 4;    // the option with 61 value slots

class VehicleProtocol {
public:
    // Builds the descriptor in this order: name and number, flag defaults,
    // codes 1..16, the protocol's own codes, the model-dependent codes, the
    // block list and the block-presence flags. Throws tc::Error when a list exceeds 101 codes.
    VehicleProtocol(std::string name, std::uint8_t number, int faultCodeFormat,
              std::span<const std::uint8_t> addedParCodes, std::span<const std::uint8_t> blockCodes,
              const ModelFeatures& features, BlockPresence& blockPresence, Language language);

    Language TextLanguage = Language::Russian; // the language of its captions, values and errors
    std::string ProtName;
    std::uint8_t ProtNumber = 0;
    std::array<std::uint8_t, kMaxProtCodes> ParCodes{};
    int ParCount = 0;
    std::array<std::uint8_t, kMaxProtCodes> BlockCodes{};
    int BlockCount = 0;
    int FaultCodeFormat = 0;
    std::array<std::string, kProtOptionCount> OptionCaption;     // empty: option not offered
    std::array<int, kProtOptionCount> OptionCount{};             // number of values offered
    std::array<std::vector<std::string>, kProtOptionCount> OptionValues; // 21 slots, 61 for option 4
    bool HasCoolantTemp = true;
    bool HasFaultAlarm = true;
    bool HasAtOilTemp = false;
    bool HasEngineOilTemp = false;
    bool HasFanControl = false;
    bool HasParkLightsType = false;
    bool HasBatteryVoltageMethod = false;
    bool IsHybrid = false;
    int EcuFuelLevelCount = 0;
    bool HasExtraCooling = false;
    bool HasTrimMethod = false;

    // Appends one parameter code; code 0 is ignored. Throws tc::Error when full.
    void AddParCode(std::uint8_t code);

    std::span<const std::uint8_t> Params() const { return {ParCodes.data(), static_cast<std::size_t>(ParCount)}; }
    std::span<const std::uint8_t> Blocks() const { return {BlockCodes.data(), static_cast<std::size_t>(BlockCount)}; }
    bool OptionOffered(int k) const;
    // The offered values of option k (the first OptionCount entries); empty when k is out of range.
    std::vector<std::string> OfferedValues(int k) const;
};

// Protocol numbers that have a descriptor row, in catalog order.
std::vector<std::uint8_t> ProtocolNumbers();

// Creates the descriptor of protocol `number` with texts in `language`, with
// options and flags set (step 7). `bosch63` names protocol 63 "Bosch" instead
// of "Tiggo". Returns nothing for a number without a row.
std::optional<VehicleProtocol> MakeProtocol(std::uint8_t number, const ModelFeatures& features,
                                      BlockPresence& blockPresence, Language language, bool bosch63 = false);

} // namespace tc
