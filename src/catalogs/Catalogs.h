#pragma once
// The process-wide catalog state: model name and features, block-presence
// flags, protocol list with the current protocol, measured-parameter list and
// menu catalog. EvaluateModel replaces all of it as a whole.
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

struct CatalogState {
    std::uint16_t ModelCode = 0;
    bool ModelListed = false;     // false: unlisted code (empty name, no features, no protocols)
    std::string ModelName;
    ModelFeatures Features;
    BlockPresence BlockPresent{}; // indexed by block code 8..184
    std::vector<std::unique_ptr<VehicleProtocol>> Protocols;
    unsigned ProtocolIndex = 0;   // as stored in the settings
    const VehicleProtocol* CurrentProtocol = nullptr; // nullptr when the index is beyond the list
    MeasParList MeasPars;
    MenuItemList MenuItems;

    bool BlockListed(int blockCode) const;
};

// The one process-wide state. Starts empty (as after evaluating an unlisted
// model); SettingsModel's construction evaluates model 0xC000.
CatalogState& Catalogs();

// Empties the protocol list and clears every feature, flag and name, then
// fills them for `modelCode` and selects the protocol at `protocolIndex`;
// afterwards rebuilds the measured-parameter list and the menu catalog, so
// nothing of the previous model survives. Every text is in `language`. Never throws for an unlisted code or
// an index beyond the list: the current protocol is then absent.
void EvaluateModel(std::uint16_t modelCode, unsigned protocolIndex, Language language);

// Makes the descriptor at `protocolIndex` of the model's list the current
// protocol (the editor's protocol choice) without rebuilding anything: the
// features, the protocol list and both other lists with their entries stay.
// The current protocol is absent when the index is beyond the list.
void SelectProtocol(unsigned protocolIndex);

// Rebuilds one list from the current features (e.g. after a language switch).
void BuildMeasParList(Language language);
void BuildMenuItemList(Language language);

// Back to the empty start state (for tests).
void ResetCatalogs();

// Readers of the process-wide state.
const std::string& ModelName();
const ModelFeatures& Features();
const VehicleProtocol* CurrentProtocol();
MeasuredParameter* FindMeasPar(std::uint8_t code);
const MenuItem* FindMenuItemByName(std::string_view name);
const MenuItem* FindMenuItemByCode(std::uint16_t code);

// The model table itself, for listings.
struct ModelInfo {
    std::uint16_t code;
    std::string_view name;
    int protocolCount;
};
std::vector<ModelInfo> ListedModels();
bool IsListedModel(std::uint16_t modelCode);

// Why the current protocol is absent, as a user text in `language`; empty when it is present.
std::string CurrentProtocolProblem(Language language);
// A protocol option's caption or value in the other language ("No" <-> "Нет"),
// or empty when the text is none of them.
std::string OptionTextInOtherLanguage(std::string_view text);

} // namespace tc
