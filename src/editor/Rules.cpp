#include "editor/Rules.h"

#include "common/Bytes.h"
#include "model/SettingsModel.h"

namespace tc::rules {

bool MainBit(const RuleInput& in, int n)
{
    return (GetU32(in.model.Record(6), 0) >> n) & 1u;
}

std::int64_t RecordS8(const RuleInput& in, int record, int offset)
{
    return static_cast<std::int8_t>(GetU8(in.model.Record(record), static_cast<std::size_t>(offset)));
}

const ModelFeatures& Features(const RuleInput& in)
{
    return in.ctx.features;
}

int Code(const RuleInput& in)
{
    return in.ctx.ProtocolCode();
}

bool HasProtocol(const RuleInput& in)
{
    return in.ctx.protocol != nullptr;
}

bool CoolantReported(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasCoolantTemp;
}

std::string ByEngineCooling(const RuleInput& in, const Text& water, const Text& cylinder, const Text& other)
{
    const int code = Code(in);
    const Text& text = code == 222 ? water : code >= 223 && code <= 225 ? cylinder : other;
    return std::string(text.Pick(in.ctx.language));
}

bool CoolantShown(const RuleInput& in)
{
    const int code = Code(in);
    // Without ECU data the temperature comes from the universal input when its caption says "engine".
    return CoolantReported(in) || code == 222 || ((code == 254 || code == 255) && RecordS8(in, 5, 7) == 2);
}

bool WarmEngineLimitShown(const RuleInput& in)
{
    const int code = Code(in);
    return CoolantReported(in) || code == 222 || code == 223 || code == 224;
}

bool EngineOverheatShown(const RuleInput& in)
{
    const int code = Code(in);
    return code >= 222 && code <= 225;
}

bool FaultReporting(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasFaultAlarm;
}

bool AtOil(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasAtOilTemp;
}

bool EngineOil(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasEngineOilTemp;
}

bool FanControl(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasFanControl;
}

bool Hybrid(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->IsHybrid;
}

bool HybridExtraCooling(const RuleInput& in)
{
    return Hybrid(in) && in.ctx.protocol->HasExtraCooling;
}

bool Retarder(const RuleInput& in)
{
    return Code(in) == 14 && in.ctx.features.HasRetarder;
}

bool TransmissionWear(const RuleInput& in)
{
    return Code(in) == 1 || Retarder(in);
}

bool DieselFilterLimit(const RuleInput& in)
{
    return Code(in) == 82;
}

bool AccelerationTest(const RuleInput& in)
{
    return !in.ctx.features.NoAccelerationTest;
}

bool TrimWarnings(const RuleInput& in)
{
    return in.ctx.features.HasTrim;
}

std::int64_t TankMethod(const RuleInput& in)
{
    return RecordS8(in, 3, 38);
}

} // namespace tc::rules
