#pragma once
// Everything the editor's rules may read besides the records: the device
// model, its features, its protocol list, the current protocol and the
// language. Rules never reach for process-wide state, so tests can build any
// context, also one no model in the table has.
#include "catalogs/Catalogs.h"
#include "catalogs/MeasuredParameters.h"
#include "catalogs/MenuItems.h"
#include "catalogs/ModelFeatures.h"
#include "catalogs/Protocols.h"
#include "common/Language.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

class SettingsModel;

struct EditorContext {
    std::uint16_t modelCode = 0;
    bool modelListed = false; // false: unknown model code, no features, no protocols
    std::string modelName;
    ModelFeatures features;
    // The model's protocol list in stored-index order; the descriptors belong to the caller.
    std::vector<const VehicleProtocol*> protocols;
    // The current protocol: the list entry at the stored protocol index, or
    // nullptr when the index is beyond the list. The session sets it when it
    // opens and after every protocol change.
    const VehicleProtocol* protocol = nullptr;
    // The language of every text the session and its rules give.
    Language language = Language::Russian;
    // The measured-parameter catalog the pickers and previews read; the
    // session re-labels three of its entries by the model and the settings.
    // May be null (no pickers, no re-labelling).
    MeasParList* params = nullptr;
    // The trip computer's menu catalog the hot-menu lists name; may be null.
    const MenuItemList* menus = nullptr;
    // The catalog the protocols and the menus come from, kept alive with the
    // context; null for a context built by hand.
    std::shared_ptr<const Catalog> catalog;

    // The code of the current protocol, or -1 when there is none.
    int ProtocolCode() const { return protocol ? protocol->ProtNumber : -1; }

    // The context of the settings' own catalog (SettingsModel::Edit evaluates
    // it before it runs the editor) and parameter list, its texts in `language`.
    static EditorContext FromModel(SettingsModel& model, Language language);
};

} // namespace tc
