#include "journals/Journals.h"

#include "catalogs/Catalogs.h"

namespace tc {

int CurrentFaultCodeType(const SettingsModel& model, Language language)
{
    const unsigned index = model.ProtocolIndex();
    const auto& state = Catalogs();
    if (state.ModelCode != model.DeviceModelCode || state.ProtocolIndex != index)
        EvaluateModel(model.DeviceModelCode, index, language);
    const VehicleProtocol* protocol = CurrentProtocol();
    return protocol ? protocol->FaultCodeFormat : 0;
}

} // namespace tc
