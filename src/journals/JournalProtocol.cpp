#include "journals/Journals.h"

#include "catalogs/Catalogs.h"

namespace tc {

int CurrentFaultCodeType(const SettingsModel& model)
{
    const unsigned index = model.ProtocolIndex();
    const auto& state = Catalogs();
    if (state.ModelCode != model.DeviceModelCode || state.ProtocolIndex != index)
        EvaluateModel(model.DeviceModelCode, index, CurrentLanguage());
    const VehicleProtocol* protocol = CurrentProtocol();
    return protocol ? protocol->FaultCodeFormat : 0;
}

} // namespace tc
