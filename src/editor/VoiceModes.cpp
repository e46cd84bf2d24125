#include "editor/VoiceModes.h"

#include "common/Error.h"
#include "common/FindByKey.h"
#include "editor/Rules.h"
#include "model/SettingsModel.h"

#include <algorithm>

namespace tc::voice {

namespace {

using namespace rules;

constexpr Text kLetters[kModeCount] = {{"О", "O"}, {"Н", "N"}, {"Б", "B"}, {"М", "M"}, {"Г", "V"}};

bool IceShown(const RuleInput& in) { return !Features(in).LowBeamOnAirInput && !Features(in).KmPerLitre; }
bool LightsShown(const RuleInput& in) { return !Features(in).NoLightWarnings; }
bool DieselFilterShown(const RuleInput& in) { return Features(in).HasVagProtocols; }
bool NotCode225(const RuleInput& in) { return Code(in) != 225; }
bool Code225(const RuleInput& in) { return Code(in) == 225; }
bool WaterShown(const RuleInput& in) { return Hybrid(in) || Code(in) == 225; }
bool RetarderShown(const RuleInput& in) { return Code(in) == 14; }

std::string CoolantLabel(const RuleInput& in)
{
    return Code(in) == 222 ? Tr(in.ctx.language, "Перегрев воды", "Water overheat") : Tr(in.ctx.language, "Перегрев ОЖ", "Coolant overheat");
}
std::string EngineOverheatLabel(const RuleInput& in)
{
    return ByEngineCooling(in, {"Перегрев двиг.", "Engine overheat"}, {"Перегрев цил.", "Cylinder  overheat"}, {"Перегрев ДВС", "Engine overheat"});
}
std::string WaterLabel(const RuleInput& in)
{
    return Hybrid(in) ? Tr(in.ctx.language, "Помпа ДВС", "Engine pump") : Tr(in.ctx.language, "Вода в топливе", "Water in fuel");
}

const WarningRow kRows[] = {
    {"battery_high", 0, true, {"Высокое U АКБ", "High batt.volt."}},
    {"battery_low", 1, true, {"Низкое U АКБ", "Low batt.volt."}},
    {"speed", 2, true, {"Превыш.скорость", "High speed"}},
    {"engine_speed", 3, true, {"Превыш.обороты", "High eng.speed"}},
    {"fuel", 4, true, {"Остаток бака", "Fuel rem."}},
    {"ice", 5, true, {"Гололед", "Glaze ice"}, nullptr, IceShown},
    {"maintenance", 6, false, {"Выполнить ТО", "Make TS"}},
    {"acceleration", 7, true, {"Разгон", "Acceleration"}, nullptr, AccelerationTest},
    {"braking", 8, true, {"Торможение", "Braking"}, nullptr, AccelerationTest},
    {"fault", 9, false, {"Неисправность", "Fault"}, nullptr, FaultReporting},
    {"coolant", 10, true, {"Перегрев ОЖ", "Coolant overheat"}, CoolantLabel, CoolantShown},
    {"econometer", 11, true, {"Эконометр", "Econometer"}},
    {"parking_lights", 12, false, {"Габариты", "Park.lights"}, nullptr, LightsShown},
    {"full_tank", 13, false, {"Полный бак", "Full tank"}},
    {"injection_time", 14, false, {"%Впрыск/расход", "%Inj/Exp"}},
    {"warm_engine", 15, false, {"Прогрев ДВС", "Eng.heat."}, nullptr, CoolantReported},
    {"low_beam", 16, false, {"Ближн.Свет", "Low beam"}, nullptr, LightsShown},
    {"diesel_filter", 17, false, {"Сажевый фильтр", "Diesel filter"}, nullptr, DieselFilterShown, NotCode225},
    {"water_in_fuel", 17, true, {"Вода в топливе", "Water in fuel"}, WaterLabel, WaterShown, Code225},
    {"at_oil", 18, true, {"Перегрев АКПП", "AT overheat"}, nullptr, AtOil},
    {"engine_oil", 19, true, {"Перегрев масла ДВС", "Eng.oil overheat"}, nullptr, EngineOil},
    {"at_oil_wear", 20, false, {"Износ масла АКПП", "AT iol deter."}, nullptr, TransmissionWear},
    {"hvb", 21, true, {"Перегрев ВВБ", "HVB overheat"}, nullptr, Hybrid},
    {"inverter", 22, true, {"Перегрев инвертора", "Inv.overheat"}, nullptr, Hybrid},
    // Shown with a hybrid drive, but the record has no byte for it.
    {"motor", -1, true, {"Перегрев ЭлДвиг", "ElEng.overheat"}, nullptr, Hybrid},
    {"trim_low", 24, true, {"Низкий трим", "Low trim"}, nullptr, TrimWarnings},
    {"trim_high", 25, true, {"Высокий трим", "High trim"}, nullptr, TrimWarnings},
    {"engine_overheat", 26, true, {"Перегрев ДВС", "Engine overheat"}, EngineOverheatLabel, EngineOverheatShown},
    {"retarder", 27, true, {"Перегрев ретардера", "Retard.overheat"}, nullptr, RetarderShown},
};

int ShownMode(unsigned bits)
{
    return bits < kModeCount ? static_cast<int>(bits) : -1;
}

bool Stores(const WarningRow& row, const RuleInput& in)
{
    return row.slot >= 0 && (!row.stores || row.stores(in));
}

} // namespace

std::span<const Text> ModeLetters()
{
    return kLetters;
}

bool ModeEnabled(int mode, const RuleInput& in)
{
    return mode >= 0 && mode < kModeCount && (mode < 3 || !Features(in).NoVolumeControl);
}

std::span<const WarningRow> WarningRows()
{
    return kRows;
}

const WarningRow* FindWarningRow(std::string_view key)
{
    return FindByKey(kRows, key);
}

ShownWarning ShowWarning(const WarningRow& row, const RuleInput& in)
{
    ShownWarning s;
    s.row = &row;
    if (row.labelRule)
        s.label = row.labelRule(in);
    if (s.label.empty())
        s.label = std::string(row.label.Pick(in.ctx.language));
    s.visible = !row.visible || row.visible(in);
    s.enabled = Stores(row, in);
    if (row.slot >= 0) {
        const unsigned byte = in.model.Record(kModeRecord)[static_cast<std::size_t>(row.slot)];
        s.first = ShownMode(byte & 7u);
        if (row.paired)
            s.next = ShownMode((byte >> 3) & 7u);
    }
    return s;
}

bool StoreWarning(SettingsModel& model, const WarningRow& row, int first, int next, const EditorContext& ctx)
{
    const RuleInput in{ctx, model};
    const std::string label = ShowWarning(row, in).label;
    if (!Stores(row, in))
        throw Error(Tr(ctx.language, "Предупреждение «" + label + "» здесь изменить нельзя", "The warning \"" + label + "\" cannot be changed here"));
    if (!row.paired)
        next = first;
    if (first < 0 || next < 0)
        return false; // a group with nothing selected stores nothing
    for (int mode : {first, next})
        if (!ModeEnabled(mode, in)) {
            const std::string letter = mode < kModeCount ? std::string(kLetters[mode].Pick(ctx.language)) : std::to_string(mode);
            throw Error(Tr(ctx.language, "Режим «" + letter + "» недоступен для предупреждения «" + label + "»",
                               "The mode \"" + letter + "\" is not available for the warning \"" + label + "\""));
        }
    model.Record(kModeRecord)[static_cast<std::size_t>(row.slot)] = static_cast<std::uint8_t>(first | (next << 3));
    return true;
}

int ParseMode(std::string_view text)
{
    for (int m = 0; m < kModeCount; ++m)
        if (text == kLetters[m].ru || text == kLetters[m].en || (text.size() == 1 && text[0] == '0' + m))
            return m;
    return -1;
}

} // namespace tc::voice
