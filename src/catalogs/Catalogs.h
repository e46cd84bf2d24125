#pragma once
// The catalog of one device model: model name and features, block-presence
// flags, protocol list, measured-parameter list and menu catalog. Evaluating
// a model builds one as a whole; nobody changes it afterwards. Whoever
// evaluates owns it (the settings model does), and the current protocol is
// the stored protocol index looked up in it.
#include "catalogs/MeasuredParameters.h"
#include "catalogs/MenuItems.h"
#include "catalogs/ModelFeatures.h"
#include "catalogs/Protocols.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

struct Catalog {
    std::uint16_t ModelCode = 0;
    bool ModelListed = false;     // false: unlisted code (empty name, no features, no protocols)
    std::string ModelName;
    ModelFeatures Features;
    BlockPresence BlockPresent{}; // indexed by block code 8..184
    std::vector<std::unique_ptr<VehicleProtocol>> Protocols;
    MeasParList MeasPars;
    MenuItemList MenuItems;

    bool BlockListed(int blockCode) const;
    // The descriptor at `protocolIndex` of the list, or nullptr when the index is beyond it.
    const VehicleProtocol* Protocol(unsigned protocolIndex) const;
    // Why there is no protocol at `protocolIndex`, as a user text in `language`; empty when there is one.
    std::string ProtocolProblem(unsigned protocolIndex, Language language) const;
    const MeasuredParameter* FindMeasPar(std::uint8_t code) const;
    const MenuItem* FindMenuItemByName(std::string_view name) const;
    const MenuItem* FindMenuItemByCode(std::uint16_t code) const;
};

// The catalog of `modelCode` with every text in `language`: an unlisted code
// gives the empty catalog (no name, no features, no protocols) and never throws.
Catalog EvaluateModel(std::uint16_t modelCode, Language language);

// The model table itself, for listings.
struct ModelInfo {
    std::uint16_t code;
    std::string_view name;
    int protocolCount;
};
std::vector<ModelInfo> ListedModels();
bool IsListedModel(std::uint16_t modelCode);

// A protocol option's caption or value in the other language ("No" <-> "Нет"),
// or empty when the text is none of them.
std::string OptionTextInOtherLanguage(std::string_view text);

} // namespace tc
