#include "editor/FieldTable.h"

#include "editor/Codecs.h"
#include "editor/FieldRows.h"
#include "editor/Rules.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tc {

namespace {

using namespace rules;

// ---- pages ----

constexpr PageDef kPages[] = {
    {Page::Corrections, "corrections", {"Поправки", "Correction"}},
    {Page::Sources, "sources", {"Источники", "Resources"}},
    {Page::Limits, "limits", {"Границы", "Limits"}},
    {Page::Display, "display", {"Дисплей", "Display"}},
    {Page::Voice, "voice", {"Озвуч.сообщения", "Sounds"}},
    {Page::Averages, "averages", {"Средние", "Average"}},
    {Page::Parking, "parking", {"Парковка", "Parktronic"}},
    {Page::Tank, "tank", {"Бак", "Fuel"}},
    {Page::Maintenance, "maintenance", {"ТО", "TS"}},
    {Page::ExtraSystems, "systems", {"Допсистемы", "Add.systems"}},
    {Page::Trim, "trim", {"Трим", "Uni.input/Trim"}},
    {Page::ServiceInfo, "service", {"Служ.информ.", "ServiceInfo"}},
};

// ---- rules of the corrections page ----

bool SpeedCorrectionShown(const RuleInput& in) { return !Features(in).NoSpeedCorrection; }
bool GasShown(const RuleInput& in) { return !Features(in).NoGasFuel; }
bool AirCorrectionShown(const RuleInput& in) { return !Features(in).LowBeamOnAirInput; }
// Injector polarity and tachometer pulses matter only when some source is the injector.
bool InjectorInUse(const RuleInput& in)
{
    return RecordS8(in, 6, 41) != 0 || RecordS8(in, 6, 42) != 0 || RecordS8(in, 6, 43) != 0;
}
bool TachometerShown(const RuleInput& in) { return InjectorInUse(in) && HasProtocol(in) && Code(in) != 254; }
bool PulsesPerRevShown(const RuleInput& in) { return Features(in).HasTachoInput && Code(in) == 254; }


// ---- rules of the sources page ----

bool Never(const RuleInput&) { return false; }
bool LockTypeShown(const RuleInput& in) { return !Features(in).NoLockTypeChoice; }
// The level matters for the virtual lock; models without the type choice always show it.
bool LockLevelShown(const RuleInput& in) { return Features(in).NoLockTypeChoice || MainBit(in, 0); }
bool HybridModel(const RuleInput& in) { return Features(in).HasHybridDrive; }
bool StartLevelOffered(const RuleInput& in) { return !Features(in).HasHybridDrive && Features(in).NoLockTypeChoice; }
bool ParkingLightsSourceShown(const RuleInput& in)
{
    return in.ctx.protocol && in.ctx.protocol->HasParkLightsType && !Features(in).NoParkingLightsChoice;
}
// The polarity of the physical input: hidden while the lights come from the ECU.
bool ParkingLightsLevelShown(const RuleInput& in)
{
    return !Features(in).NoParkingLightsChoice && (!MainBit(in, 2) || !ParkingLightsSourceShown(in));
}
bool ObdOffered(const RuleInput& in) { return Features(in).HasObdProtocols; }
bool VagOffered(const RuleInput& in) { return Features(in).HasVagProtocols && !Features(in).NoAutoVag; }
bool OpelOffered(const RuleInput& in) { return Features(in).HasOpelProtocols; }
int DetectionItemCount(const RuleInput& in) { return 2 + ObdOffered(in) + VagOffered(in) + OpelOffered(in); }
// The protocol choice is shown for the manual choice, and whenever the stored
// protocol is not in the model's list, so that it can be put right.
bool ProtocolChoiceShown(const RuleInput& in)
{
    return RecordS8(in, 10, 8) == DetectionItemCount(in) - 1 || !HasProtocol(in);
}
std::vector<std::string> ProtocolNames(const RuleInput& in)
{
    std::vector<std::string> names;
    names.reserve(in.ctx.protocols.size());
    for (const VehicleProtocol* p : in.ctx.protocols)
        names.push_back(p ? p->ProtName : std::string());
    return names;
}
template <int K>
bool OptionShown(const RuleInput& in) { return in.ctx.protocol && in.ctx.protocol->OptionOffered(K); }
template <int K>
std::string OptionCaption(const RuleInput& in) { return in.ctx.protocol ? in.ctx.protocol->OptionCaption[K] : std::string(); }
template <int K>
std::vector<std::string> OptionItems(const RuleInput& in) { return in.ctx.protocol ? in.ctx.protocol->OfferedValues(K) : std::vector<std::string>(); }
bool FlsOffered(const RuleInput& in) { return !Features(in).NoFuelLevelSensor; }
int EcuFuelLevels(const RuleInput& in) { return in.ctx.protocol ? in.ctx.protocol->EcuFuelLevelCount : 0; }
bool EcuFls1(const RuleInput& in) { return EcuFuelLevels(in) > 0; }
bool EcuFls2(const RuleInput& in) { return EcuFuelLevels(in) > 1; }
bool EcuFls3(const RuleInput& in) { return EcuFuelLevels(in) > 2; }
bool SecondTankShown(const RuleInput& in) { return Features(in).HasSecondTank; }
// Protocols without ECU data (carburettor, universal input, code 225) have no ECU speed.
bool EcuSpeedEnabled(const RuleInput& in)
{
    const int code = Code(in);
    return code != 255 && code != 254 && code != 225;
}
bool GpsOffered(const RuleInput& in) { return Features(in).HasGps; }
bool SpeedSensorOffered(const RuleInput& in) { return !Features(in).NoSpeedSensor; }
bool NmeaOffered(const RuleInput& in) { return Features(in).HasNmea; }
bool InjectorInputShown(const RuleInput& in) { return !Features(in).NoInjectorInput; }
bool GasSourceShown(const RuleInput& in) { return !Features(in).NoGasFuel && !Features(in).NoInjectorInput; }
bool BatterySourceShown(const RuleInput& in) { return in.ctx.protocol && in.ctx.protocol->HasBatteryVoltageMethod; }
bool TrimSourceShown(const RuleInput& in) { return Features(in).HasTrim && in.ctx.protocol && in.ctx.protocol->HasTrimMethod; }
// No protocol of the catalog offers a choice of the air-temperature source.
bool AirSourceShown(const RuleInput&) { return false; }
bool LowBeamShown(const RuleInput& in) { return Features(in).LowBeamControl; }
bool AirAlgorithmShown(const RuleInput& in) { return !Features(in).LowBeamOnAirInput && !Features(in).KmPerLitre; }
bool TemperatureLabelShown(const RuleInput& in) { return Features(in).HasUniversalInput || Features(in).HasTrim; }
bool CompensationShown(const RuleInput& in)
{
    return Features(in).HasTrim || (TankMethod(in) == 1 && !Features(in).NoFuelLevelSensor);
}
std::string CompensationCaption(const RuleInput& in)
{
    return Features(in).HasTrim ? Tr(in.ctx.language, "Компенс.Uбс/Трим", "Compens.VBt/Trim") : Tr(in.ctx.language, "Компенс.Uбс", "Compens.VBt");
}

// ---- rules of the limits page ----

std::string CoolantCaption(const RuleInput& in)
{
    const Text other = !HasProtocol(in)     ? Text{"ТОЖ, С", "Coolant temper., C"}
                       : CoolantReported(in) ? Text{"ТОЖ, С", "T coolant, C"}
                                             : Text{"Тдв., С", "Т eng., С"};
    return ByEngineCooling(in, {"Т вод/двиг., С", "T wat/eng., C"}, {"T цил., C", "T cyl., C"}, other);
}
bool TrafficStatsShown(const RuleInput& in) { return !Features(in).NoTrafficStats; }
Range BatteryLowRange(const RuleInput& in) { return Features(in).Supply24V ? Range{18.0, 27.8} : Range{9.0, 13.9}; }
Range BatteryHighRange(const RuleInput& in) { return Features(in).Supply24V ? Range{28.0, 32.0} : Range{14.0, 16.0}; }
Range FanTemperatureRange(const RuleInput& in) { return Hybrid(in) ? Range{25, 60} : Range{75, 115}; }
bool FanTemperatureShown(const RuleInput& in) { return FanControl(in) || Hybrid(in); }
bool AtOilWearShown(const RuleInput& in) { return Code(in) == 1; }
bool Supply24VShown(const RuleInput& in) { return Features(in).Supply24V; }
// The trim window: the low limit stays below the stored high one and the high above the stored low.
constexpr double kTrimMin = -9, kTrimMax = 90;
Range TrimLowRange(const RuleInput& in)
{
    const double high = static_cast<double>(RecordS8(in, 6, 37));
    return {kTrimMin, std::max(kTrimMin, std::min(kTrimMax, high - 1))};
}
Range TrimHighRange(const RuleInput& in)
{
    const double low = static_cast<double>(RecordS8(in, 6, 36));
    return {std::min(kTrimMax, std::max(kTrimMin, low + 1)), kTrimMax};
}

// ---- items ----

constexpr ItemDef kPolarityItems[] = {{{"+", "+"}}, {{"-", "-"}}};
constexpr ItemDef kTachometerItems[] = {{{"1", "1"}, 1}, {{"2", "2"}, 2}, {{"4", "4"}, 4}};
constexpr ItemDef kLockLevelItems[] = {
    {{"1", "1"}}, {{"2", "2"}}, {{"3", "3"}}, {{"4", "4"}, 0, HybridModel}, {{"Стрт", "Strt"}, 0, StartLevelOffered}};
// The stored byte is the position in this list, so its meaning follows the model's features.
constexpr ItemDef kDetectionItems[] = {
    {{"Авт.", "Auto"}}, {{"АвтOBD", "AutoOBD"}, 0, ObdOffered}, {{"АвтVAG", "AutoVAG"}, 0, VagOffered},
    {{"АвтOpl", "AutoOpl"}, 0, OpelOffered}, {{"Руч.", "Man."}}};
constexpr ItemDef kTankMethodItems[] = {
    {{"Расчетный", "Calculated"}}, {{"ДУТ", "FLS"}, 0, FlsOffered}, {{"ДУТ ЭБУ", "ECU FLS"}, 0, EcuFls1},
    {{"ДУТ ЭБУ2", "ECU FLS2"}, 0, EcuFls2}, {{"ДУТ ЭБУ3", "ECU FLS3"}, 0, EcuFls3}};
constexpr ItemDef kSpeedSourceItems[] = {
    {{"ЭБУ", "ECU"}, 0, nullptr, EcuSpeedEnabled}, {{"GPS", "GPS"}, 0, GpsOffered}, {{"Датч.", "Sens."}, 0, SpeedSensorOffered},
    {{"NMEA", "NMEA"}, 0, NmeaOffered}};
constexpr ItemDef kLockTypeItems[] = {{{"Физич.", "Phys."}}, {{"Вирт.", "Virt."}}};
constexpr ItemDef kParkingLightsItems[] = {{{"Физич.", "Phys"}}, {{"ЭБУ", "ECU"}}};
constexpr ItemDef kParkingLevelItems[] = {{{"1 (Прямая)", "Straight(1)"}}, {{"0 (Инверсная)", "Inverse(0)"}}};
constexpr ItemDef kTankModeItems[] = {{{"Калибров.2", "Calibr.2"}}, {{"Калибров.7", "Calibr.7"}}, {{"Тарирован.", "Tare"}}, {{"Некалибр.", "Not calibr."}}};
constexpr ItemDef kEcuInjectorItems[] = {{{"ЭБУ", "ECU"}}, {{"Форс.", "Inj"}}};
constexpr ItemDef kEcuSensorItems[] = {{{"ЭБУ", "ECU"}}, {{"Датч.", "Sens"}}};
constexpr ItemDef kForecastItems[] = {{{"Средн", "Aver."}}, {{"10 км", "10 km"}}, {{"Ручн.", "Man."}}};
constexpr ItemDef kAirAlgorithmItems[] = {{{"Обычн.", "Norm"}}, {{"Динамич.", "Dyn."}}};
constexpr ItemDef kTemperatureLabelItems[] = {{{"воз", "air"}}, {{"вод", "wat"}}, {{"дв.", "eng"}}};
constexpr ItemDef kGasVariantItems[] = {{{"Вар.1", "Var 1"}}, {{"Вар.2", "Var 2"}}};
constexpr ItemDef kSupplyItems[] = {{{"12В", "12V"}}, {{"24В", "24V"}}};
constexpr Text kProtocolOptionsGroup = {"Дополнительные настройки протокола", "Additional protocol settings"};

// ---- store hooks ----

void KeepSpeedSourceSelectable(const StoreInput& in);

constexpr Field kSpeedSource = {.key = "sources.speed", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 40,
                                .codec = Codec::S8, .caption = {"Скорость", "Speed"}, .items = kSpeedSourceItems, .columns = 0,
                                .hook = KeepSpeedSourceSelectable};

// On models whose last speed source needs the virtual lock, a physical lock
// may not keep it: after the lock or the source is stored, the first
// selectable source takes its place.
void KeepSpeedSourceSelectable(const StoreInput& in)
{
    const RuleInput rules{in.ctx, in.model};
    if (!in.ctx.features.LastSpeedSourceNeedsVirtualLock || MainBit(rules, 0))
        return;
    const auto record = in.model.Record(kSpeedSource.record);
    const auto items = ChoiceItems(kSpeedSource, rules);
    const int last = static_cast<int>(items.size()) - 1;
    if (last <= 0 || ChosenItem(items, ReadRaw(kSpeedSource, record)) != last)
        return;
    for (int i = 0; i < last; ++i)
        if (items[static_cast<std::size_t>(i)].enabled) {
            WriteRaw(kSpeedSource, record, items[static_cast<std::size_t>(i)].value);
            return;
        }
}

// ---- the table ----

const Field kBasicRows[] = {
    // Corrections
    {.key = "corrections.speed", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 60, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Скорость, %", "Speed, %"}, .visible = SpeedCorrectionShown},
    {.key = "corrections.petrol", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 56, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Расхода бензина, %", "Petrol expense, %"}},
    {.key = "corrections.gas", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 64, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Расход газа, %", "Gas expense, %"}, .visible = GasShown},
    {.key = "corrections.air_temperature", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 53, .codec = Codec::S8,
     .min = -20, .max = 20, .caption = {"Температура воздуха, С", "Air temper., C"}, .visible = AirCorrectionShown},
    {.key = "corrections.battery", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 52, .codec = Codec::S8,
     .scaleNum = 10, .decimals = 1, .min = -0.7, .max = 0.7, .step = 0.1, .caption = {"Напряжение АКБ, В", "Battery voltage, V"}},
    {.key = "corrections.clock", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 54, .codec = Codec::S8,
     .min = -30, .max = 30, .caption = {"Время (секунд в сутки)", "Time (sec. per day)"}},
    {.key = "corrections.initial_mileage", .page = Page::Corrections, .kind = ControlKind::Number, .record = 1, .offset = 144, .codec = Codec::S32,
     .min = 0, .max = 999999, .caption = {"Начальный пробег, км", "initial mileage, km"}},
    {.key = "corrections.initial_hours", .page = Page::Corrections, .kind = ControlKind::Number, .record = 1, .offset = 148, .codec = Codec::S32,
     .min = 0, .max = 99999, .caption = {"Начальное вр. раб, час", "Initial time, h"}},
    {.key = "corrections.injector_polarity", .page = Page::Corrections, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits,
     .bit = 10, .caption = {"Полярность форсунки", "Polarity"}, .items = kPolarityItems, .columns = 0, .visible = InjectorInUse},
    {.key = "corrections.tachometer", .page = Page::Corrections, .kind = ControlKind::Radio, .record = 6, .offset = 73, .codec = Codec::U8,
     .caption = {"Тахометр", "Tachometer"}, .items = kTachometerItems, .map = ItemMap::Value, .fallbackItem = 2, .columns = 0,
     .visible = TachometerShown},
    {.key = "corrections.pulses_per_rev", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 74, .codec = Codec::S8,
     .scaleNum = 2, .decimals = 1, .min = 0.5, .max = 12.0, .step = 0.5, .typing = false, .caption = {"Имп. на оборот", "Pulses by rev."},
     .visible = PulsesPerRevShown},

    // Sources
    {.key = "sources.lock_type", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 0,
     .caption = {"Замок зажигания", "Ignition lock"}, .items = kLockTypeItems, .columns = 0, .visible = LockTypeShown,
     .hook = KeepSpeedSourceSelectable},
    {.key = "sources.lock_level", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 72, .codec = Codec::S8,
     .caption = {"Уровень виртуального замка", "Ignition lock level"}, .items = kLockLevelItems, .itemOffset = 1, .columns = 0,
     .visible = LockLevelShown},
    {.key = "sources.parking_lights", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 2,
     .caption = {"Габариты", "Parking lights"}, .items = kParkingLightsItems, .columns = 0, .visible = ParkingLightsSourceShown},
    {.key = "sources.parking_lights_level", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits,
     .bit = 7, .caption = {"Полярность входа Габариты", "Park.lights level"}, .items = kParkingLevelItems, .visible = ParkingLightsLevelShown},
    {.key = "sources.detection", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 8, .codec = Codec::S8,
     .caption = {"Способ опр. протокола", "Protocol definition"}, .items = kDetectionItems},
    {.key = "sources.protocol", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 4, .codec = Codec::U16,
     .caption = {"Протокол", "Protocol"}, .itemsRule = ProtocolNames, .visible = ProtocolChoiceShown, .selectsProtocol = true},
    {.key = "sources.option0", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 12, .codec = Codec::U8,
     .caption = {"Настройка протокола 0", "Protocol option 0"}, .captionRule = OptionCaption<0>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<0>, .visible = OptionShown<0>},
    {.key = "sources.option1", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 13, .codec = Codec::U8,
     .caption = {"Настройка протокола 1", "Protocol option 1"}, .captionRule = OptionCaption<1>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<1>, .visible = OptionShown<1>},
    {.key = "sources.option2", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 14, .codec = Codec::U8,
     .caption = {"Настройка протокола 2", "Protocol option 2"}, .captionRule = OptionCaption<2>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<2>, .visible = OptionShown<2>},
    {.key = "sources.option3", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 15, .codec = Codec::U8,
     .caption = {"Настройка протокола 3", "Protocol option 3"}, .captionRule = OptionCaption<3>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<3>, .visible = OptionShown<3>},
    {.key = "sources.option4", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 16, .codec = Codec::U8,
     .caption = {"Настройка протокола 4", "Protocol option 4"}, .captionRule = OptionCaption<4>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<4>, .visible = OptionShown<4>},
    {.key = "sources.option5", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 17, .codec = Codec::U8,
     .caption = {"Настройка протокола 5", "Protocol option 5"}, .captionRule = OptionCaption<5>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<5>, .visible = OptionShown<5>},
    {.key = "sources.option6", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 18, .codec = Codec::U8,
     .caption = {"Настройка протокола 6", "Protocol option 6"}, .captionRule = OptionCaption<6>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<6>, .visible = OptionShown<6>},
    {.key = "sources.option7", .page = Page::Sources, .kind = ControlKind::Choice, .record = 10, .offset = 19, .codec = Codec::U8,
     .caption = {"Настройка протокола 7", "Protocol option 7"}, .captionRule = OptionCaption<7>, .group = kProtocolOptionsGroup,
     .itemsRule = OptionItems<7>, .visible = OptionShown<7>},
    {.key = "sources.tank_method", .page = Page::Sources, .kind = ControlKind::Choice, .record = 3, .offset = 38, .codec = Codec::S8,
     .caption = {"Бак тип", "Tank type"}, .items = kTankMethodItems},
    {.key = "sources.tank_mode", .page = Page::Sources, .kind = ControlKind::Choice, .record = 3, .offset = 37, .codec = Codec::S8,
     .caption = {"Бак", "Tank"}, .items = kTankModeItems},
    {.key = "sources.use_tank2", .page = Page::Sources, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 3,
     .caption = {"Использовать бак 2", "Use tank 2"}, .visible = SecondTankShown},
    {.key = "sources.tank_volume", .page = Page::Sources, .kind = ControlKind::Number, .record = 3, .offset = 44, .codec = Codec::S16, .min = 16,
     .max = 2040, .caption = {"Полный бак (бензин), л", "Full tank (petrol), l"}},
    {.key = "sources.gas_tank_volume", .page = Page::Sources, .kind = ControlKind::Number, .record = 3, .offset = 56, .codec = Codec::S16, .min = 10,
     .max = 300, .caption = {"Полный бак (газ), л", "Full tank (gas), l"}, .visible = GasShown},
    kSpeedSource,
    {.key = "sources.engine_speed", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 41, .codec = Codec::S8,
     .caption = {"Обороты", "Engine speed"}, .items = kEcuInjectorItems, .columns = 0, .visible = InjectorInputShown},
    {.key = "sources.petrol", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 42, .codec = Codec::S8,
     .caption = {"Расход бензина", "Petrol expense"}, .items = kEcuInjectorItems, .columns = 0, .visible = InjectorInputShown},
    {.key = "sources.gas", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 43, .codec = Codec::S8,
     .caption = {"Расход газа", "Gas expense"}, .items = kEcuInjectorItems, .columns = 0, .visible = GasSourceShown, .enabled = Never},
    {.key = "sources.battery", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 44, .codec = Codec::U8,
     .caption = {"Напряжение аккумулятора", "Battery voltage"}, .items = kEcuSensorItems, .columns = 0, .visible = BatterySourceShown},
    {.key = "sources.range_forecast", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 45, .codec = Codec::S8,
     .caption = {"Прогноз пробега", "Mileage progn."}, .items = kForecastItems, .columns = 0},
    {.key = "sources.trim", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 46, .codec = Codec::S8,
     .caption = {"Трим", "Trim"}, .items = kEcuSensorItems, .columns = 0, .visible = TrimSourceShown},
    {.key = "sources.air_temperature", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 48, .codec = Codec::U8,
     .caption = {"Твоздуха", "Air temper."}, .items = kEcuSensorItems, .columns = 0, .visible = AirSourceShown},
    {.key = "sources.manual_consumption", .page = Page::Sources, .kind = ControlKind::Number, .record = 3, .offset = 42, .codec = Codec::S16,
     .scaleNum = 10, .decimals = 1, .min = 1.0, .max = 99.9, .step = 0.1,
     .caption = {"К-т потреб. топлива (Р/100 руч.)", "Expense/100 manual coef."}},
    {.key = "sources.gas_mode", .page = Page::Sources, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 5,
     .caption = {"Включить режим Газ/Бензин", "Gas/Petrol mode on"}, .visible = GasShown},
    {.key = "sources.low_beam", .page = Page::Sources, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 4,
     .caption = {"Включить управление ближним светом", "Low beam conrtrol on"}, .visible = LowBeamShown},
    {.key = "sources.air_algorithm", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 9,
     .caption = {"Алгоритм измерения Т воздуха", "Air temper.measurement algor."}, .items = kAirAlgorithmItems, .columns = 0,
     .visible = AirAlgorithmShown},
    {.key = "sources.temperature_label", .page = Page::Sources, .kind = ControlKind::Radio, .record = 5, .offset = 7, .codec = Codec::S8,
     .caption = {"Подпись температуры", "Temperature signature"}, .items = kTemperatureLabelItems, .columns = 0, .visible = TemperatureLabelShown},
    {.key = "sources.battery_compensation", .page = Page::Sources, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits,
     .bit = 17, .inverted = true, .caption = {"Компенсац. Uбс", "Compens. V batt."}, .captionRule = CompensationCaption,
     .visible = CompensationShown},
    {.key = "sources.gas_variant", .page = Page::Sources, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 18,
     .caption = {"Расход ГБО", "Gas eq.cons."}, .items = kGasVariantItems, .columns = 0, .visible = GasShown},

    // Limits
    {.key = "limits.coolant", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 8, .codec = Codec::S16, .min = 30, .max = 150,
     .caption = {"ТОЖ, С", "Coolant temper., C"}, .captionRule = CoolantCaption, .visible = CoolantShown},
    {.key = "limits.engine_speed", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 5, .codec = Codec::S8, .min = 25,
     .max = 80, .caption = {"Обороты двиг., об/мин * 100", "Engine speed, rpm*100"}},
    {.key = "limits.speed", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 4, .codec = Codec::S8, .scaleDen = 2, .min = 40,
     .max = 200, .step = 2, .typing = false, .caption = {"Скорость, км/час", "Speed, km/h"}},
    {.key = "limits.jam_speed", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 22, .codec = Codec::S16, .min = 0,
     .max = 200, .step = 2, .caption = {"Скорость  пробки, км/час", "Jam speed, km/h"}, .visible = TrafficStatsShown},
    {.key = "limits.fuel", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 6, .codec = Codec::S8, .min = 5, .max = 99,
     .step = 2, .caption = {"Остаток бака, л", "Fuel rem., l"}},
    {.key = "limits.battery_low", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 12, .codec = Codec::S16, .scaleNum = 10,
     .decimals = 1, .min = 9.0, .max = 13.9, .step = 0.1, .range = BatteryLowRange, .caption = {"Низкое напряжение АКБ, В", "Low batt.voltage, V"}},
    {.key = "limits.battery_high", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 14, .codec = Codec::S16, .scaleNum = 10,
     .decimals = 1, .min = 14.0, .max = 16.0, .step = 0.1, .range = BatteryHighRange,
     .caption = {"Высокое напряжение АКБ, В", "High batt.voltage, V"}},
    {.key = "limits.fan_temperature", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 20, .codec = Codec::S16, .min = 75,
     .max = 115, .range = FanTemperatureRange, .caption = {"Т вкл. вентилятора, С", "Fan on temper., C"}, .visible = FanTemperatureShown},
    {.key = "limits.fan_speed", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 80, .codec = Codec::S16, .min = 20,
     .max = 200, .caption = {"Скорость вкл вентилятора", "Fan vel/on"}, .visible = FanControl},
    {.key = "limits.injection_time", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 31, .codec = Codec::S8, .min = 1,
     .max = 99, .caption = {"Превыш. времени впр. на ХХ ,%", "High inj.time on idle, %"}},
    {.key = "limits.warm_engine", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 30, .codec = Codec::S8, .min = 10,
     .max = 110, .caption = {"Т прогрева двигателя, С", "Engine heat.temper, C"}, .visible = WarmEngineLimitShown},
    {.key = "limits.acceleration", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 24, .codec = Codec::S16, .min = 40,
     .max = 200, .caption = {"Разгон до, км/час", "Zero to km/h"}, .visible = AccelerationTest},
    {.key = "limits.braking", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 26, .codec = Codec::S16, .min = 40, .max = 200,
     .step = 2, .caption = {"Торможение с, км/час", "Braking from km/h"}, .visible = AccelerationTest},
    {.key = "limits.consumption_speed", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 7, .codec = Codec::S8, .min = 5,
     .max = 15, .step = 2, .caption = {"Расх 100/час", "Expense 100/h"}},
    {.key = "limits.diesel_filter", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 32, .codec = Codec::S8, .min = 5,
     .max = 60, .caption = {"Наполнение сажевого фильтра, %", "Diesel filter filling, %"}, .visible = DieselFilterLimit},
    {.key = "limits.at_oil", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 16, .codec = Codec::S16, .min = 80, .max = 150,
     .caption = {"Т масла АКПП, С", "AT oil temper., C"}, .visible = AtOil},
    {.key = "limits.engine_oil", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 18, .codec = Codec::S16, .min = 30,
     .max = 150, .caption = {"Т масла ДВС, С", "Engine  oil temper., C"}, .visible = EngineOil},
    {.key = "limits.at_oil_wear", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 10, .codec = Codec::S16, .min = 10,
     .max = 100, .caption = {"Износ масла АКПП * 1000", "AT oil deterior. *1000"}, .visible = AtOilWearShown},
    {.key = "limits.retarder_oil", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 28, .codec = Codec::S16, .min = 30,
     .max = 200, .caption = {"Т масла ретардера, С", "Retarder oil temper., C"}, .visible = Retarder},
    {.key = "limits.inverter", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 33, .codec = Codec::S8, .min = 50, .max = 120,
     .caption = {"Т инвертора, C", "Inverter temper., C"}, .visible = Hybrid},
    {.key = "limits.hvb_temperature", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 34, .codec = Codec::S8, .min = 40,
     .max = 80, .caption = {"Т ВВБ, C", "HVB temper., C"}, .visible = Hybrid},
    {.key = "limits.extra_cooling", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 35, .codec = Codec::S8, .min = 90,
     .max = 100, .caption = {"Т Доп.Охл.ДВС, C", "Eng.add.cool.temper., C"}, .visible = HybridExtraCooling},
    {.key = "limits.motor_temperature", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 38, .codec = Codec::S16, .min = 30,
     .max = 200, .caption = {"Т эл.двигателя, С", "T el.motor, C"}, .visible = Hybrid},
    {.key = "limits.hvb_charge_low", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 50, .codec = Codec::S8, .min = 20,
     .max = 40, .caption = {"Низкий заряд ВВБ,%", "Low HVB charge lvl,%"}, .visible = Hybrid},
    {.key = "limits.hvb_charge_high", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 51, .codec = Codec::S8, .min = 75,
     .max = 90, .caption = {"Высокий заряд ВВБ,%", "High HVB charge lvl,%"}, .visible = Hybrid},
    {.key = "limits.hvb_fan_step", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 75, .codec = Codec::S8, .min = 1,
     .max = 3, .caption = {"Шаг Т при расчете скорости вент.ВВБ ", "T step on fan speed calc"}, .visible = Hybrid},
    {.key = "limits.hvb_heating", .page = Page::Limits, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 15,
     .caption = {"Нагр.ВВБ", "HVB heating"}, .visible = Hybrid},
    {.key = "limits.hvb_fan6", .page = Page::Limits, .kind = ControlKind::Check, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 14,
     .caption = {"Исп. 6 скорость вент. ВВБ", "Use 6 speed HVB fan"}, .visible = Hybrid},
    {.key = "limits.supply", .page = Page::Limits, .kind = ControlKind::Radio, .record = 6, .offset = 0, .codec = Codec::Bits, .bit = 8,
     .caption = {"Режим работы с АКБ", "Use battery"}, .items = kSupplyItems, .columns = 0, .visible = Supply24VShown, .enabled = Never},
    {.key = "limits.trim_low", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 36, .codec = Codec::S8, .min = -9, .max = 90,
     .range = TrimLowRange, .caption = {"Нижний предел", "Low limit"}, .group = {"Трим", "Trim"}, .visible = TrimWarnings},
    {.key = "limits.trim_high", .page = Page::Limits, .kind = ControlKind::Number, .record = 6, .offset = 37, .codec = Codec::S8, .min = -9, .max = 90,
     .range = TrimHighRange, .caption = {"Верхний предел", "High limit"}, .group = {"Трим", "Trim"}, .visible = TrimWarnings},
};

// Every area's rows, in page order; an area's rows keep their order.
const std::vector<Field>& AllRows()
{
    static const std::vector<Field> all = [] {
        std::vector<Field> rows;
        for (auto area : {std::span<const Field>(kBasicRows), rows::Display(), rows::Voice(), rows::Service()})
            rows.insert(rows.end(), area.begin(), area.end());
        std::stable_sort(rows.begin(), rows.end(), [](const Field& a, const Field& b) { return a.page < b.page; });
        return rows;
    }();
    return all;
}

} // namespace

std::span<const PageDef> EditorPages()
{
    return kPages;
}

const PageDef& PageOf(Page page)
{
    for (const auto& p : kPages)
        if (p.page == page)
            return p;
    throw std::logic_error("page without a row");
}

std::span<const Field> EditorFields()
{
    return AllRows();
}

const Field* FindField(std::string_view key)
{
    const auto& rows = AllRows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Field& f) { return f.key == key; });
    return it == rows.end() ? nullptr : &*it;
}

} // namespace tc
