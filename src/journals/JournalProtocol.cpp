#include "journals/Journals.h"

#include "catalogs/Catalogs.h"
#include "model/SettingsModel.h"

namespace tc {

int CurrentFaultCodeType(const SettingsModel& model, Language language)
{
    // Settings that changed their model since their catalog was evaluated get
    // the catalog of their model.
    Catalog evaluated;
    const Catalog* catalog = &model.ModelCatalog();
    if (catalog->ModelCode != model.DeviceModelCode) {
        evaluated = EvaluateModel(model.DeviceModelCode, language);
        catalog = &evaluated;
    }
    const VehicleProtocol* protocol = catalog->Protocol(model.ProtocolIndex());
    return protocol ? protocol->FaultCodeFormat : 0;
}

} // namespace tc
