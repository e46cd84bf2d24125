#include "catalogs/MeasuredParameters.h"

#include "common/Language.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tc {

namespace {

// When the list holds an entry; code 11 has two alternative rows.
enum class Presence {
    Always,
    AirTemperature,    // unless LowBeamOnAirInput and LowBeamControl
    LowBeamOnAirInput, // only if LowBeamOnAirInput and LowBeamControl
    LowBeamSignal,     // only if LowBeamControl and not LowBeamOnAirInput
};

struct MeasParRow {
    std::string_view className;
    int code, showsRange, dialSide, graphable, sampleValue, minValue, maxValue, dialFrom, dialTo, valueWidth, decimals;
    bool dialRing;
    Presence presence;
};

// Raw units unless said otherwise; DialFrom/DialTo in display units.
// class, code, ShowsRange, DialSide, Graphable, SampleValue, MinValue, MaxValue, DialFrom, DialTo, ValueWidth, Decimals, DialRing, present
constexpr MeasParRow kMeasParRows[] = {
    {"TVelocity",    12,     1,     2,     1,    60,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TRevolutions",    13,     1,     1,     1,  2000,     0,  8000,     0,     8,     4,     0, false, Presence::Always},
    {"TInjectionTime",    16,     1,     2,     1,   500,     0,  2400,     0,    24,     5,     2, false, Presence::Always},
    {"TMomentaryExpenseK",    14,     1,     1,     1,   100,     0,   240,     0,    24,     5,     1, true, Presence::Always}, // the preview draws it with the range to 800 and the dial to 80
    {"TMomentaryExpenseH",    15,     1,     2,     1,   100,     0,   800,     0,     8,     5,     2, false, Presence::Always},
    {"TAccVoltage",    10,     1,     2,     1,   140,     0,   160,     0,    16,     4,     1, false, Presence::Always},
    {"TOil",     8,     1,     0,     0,    20,     0,    50,     0,   100,     3,     0, false, Presence::Always},
    {"TPrognoz",     9,     0,     0,     0,   300,     0,   999,     0,   100,     3,     0, false, Presence::Always},
    {"TTime",     7,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTemperAir",    11,     1,     0,     0,    20,   -20,    60,   -20,    60,     3,     0, false, Presence::AirTemperature},
    {"TLightsFlag",    11,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::LowBeamOnAirInput},
    {"TTemperLiq",    17,     1,     2,     1,    90,     0,   120,     0,   120,     3,     0, false, Presence::Always},
    {"TMAF",    18,     1,     1,     1,   500,     0,  2400,     0,   240,     5,     1, false, Presence::Always},
    {"TMAP",    19,     1,     1,     1,    50,     0,   200,     0,   240,     3,     0, false, Presence::Always},
    {"TThrottle",    20,     1,     1,     1,    20,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TThrottle2",    33,     1,     1,     1,    20,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TStepMotor",    21,     1,     2,     1,   100,     0,   240,     0,   240,     3,     0, false, Presence::Always},
    {"TUOZ",    25,     1,     2,     1,   100,  -840,   840,   -84,    84,     5,     1, false, Presence::Always},
    {"TCorrUOZ",    26,     0,     0,     0,    10,     0,   100,     0,   100,     4,     1, false, Presence::Always},
    {"TEngCalcLoad",    27,     1,     1,     1,    20,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TVAF",    28,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TEMV",    29,     1,     1,     1,    10,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTemperIntakeAir",    24,     1,     1,     1,    40,     0,    80,     0,    80,     3,     0, false, Presence::Always},
    {"TCorrLeft",    31,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TCorrRight",    30,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TO2Probe1",    22,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TO2Probe2",    23,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TTripTime",     1,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTripMomentaryExpenseK",     5,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTripVelocity",     4,     0,     0,     0,    47,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTripPath",     2,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTripExpense",     3,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TTripPrice",     6,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"TDDK",    32,     1,     1,     1,   100,     0,   400,     0,     4,     4,     2, false, Presence::Always},
    {"TLightsFlag1",    34,     0,     0,     0,     0,     0,   100,     0,   100,     3,     0, false, Presence::LowBeamSignal},
    {"TFuelPressFact",    35,     1,     0,     1,  1000,     0,  1600,     0,   100,     5,     0, false, Presence::Always},
    {"TTemperOilAKPP",    36,     1,     2,     1,    90,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TAKPPMode",    37,     0,     0,     0,     0,     0,   100,     0,   100,     1,     0, false, Presence::Always},
    {"TTemperOilEng",    38,     1,     2,     1,    90,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TTurboPress",    39,     1,     0,     1,    20,     0,   150,     0,   100,     4,     0, false, Presence::Always},
    {"TPressOilEngine",    41,     1,     2,     1,   200,     0,   800,     0,   800,     4,     0, false, Presence::Always},
    {"TWorkTimeEngine",    42,     0,     0,     0, 10000,     0,   800,     0,   800,     5,     0, false, Presence::Always},
    {"TRetarderOilTemper",    43,     1,     2,     1,    90,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"THVBChargeLevel",    44,     1,     1,     1,    50,     0,   100,     0,   100,     3,     0, false, Presence::Always},
    {"THVBChargeLimit",    45,     1,     0,     0,   -20,   -50,     0,   -50,     0,     3,     0, false, Presence::Always},
    {"THVBDischargeLimit",    46,     1,     0,     0,    30,     0,    50,     0,    50,     3,     0, false, Presence::Always},
    {"THVBTemper",    47,     1,     2,     1,    40,   -20,    60,   -20,    60,     3,     0, false, Presence::Always},
    {"THVBFanSpeed",    48,     1,     0,     0,     3,     0,     6,     0,     6,     2,     0, false, Presence::Always},
    {"THVBAirIntakeTemper",    49,     1,     2,     1,    50,   -20,    60,   -20,    60,     3,     0, false, Presence::Always},
    {"THVBFrontBrakeTorq",    50,     1,     2,     1,   300,     0,   600,     0,   600,     3,     0, false, Presence::Always},
    {"THVBRearBrakeTorq",    51,     1,     2,     1,    70,     0,   120,     0,   120,     3,     0, false, Presence::Always},
    {"THVBBrakeTorq",    52,     1,     2,     1,    40,     0,   600,     0,   600,     3,     0, false, Presence::Always},
    {"THVBCurrent",    53,     1,     0,     1,    40, -2000,  2000, -2000,  2000,     5,     1, false, Presence::Always},
    {"TInvTemper",    54,     1,     2,     1,    40,     0,   120,     0,   120,     3,     0, false, Presence::Always},
    {"TCourseAngle",    55,     1,     1,     1,     0,   -10,    10,   -10,    10,     3,     0, false, Presence::Always},
    {"TSideAngle",    56,     1,     2,     1,     0,    -5,     5,    -5,     5,     3,     0, false, Presence::Always},
    {"TTemperEngBoat",    57,     1,     2,     1,     0,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TTemperWat",    58,     1,     2,     1,     0,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TTemperCyl",    59,     1,     2,     1,     0,     0,   160,     0,    80,     3,     0, false, Presence::Always},
    {"TTemperCylLeft",    60,     1,     2,     1,     0,     0,   160,     0,    80,     3,     0, false, Presence::Always},
    {"TTemperCylRight",    61,     1,     2,     1,     0,     0,   160,     0,    80,     3,     0, false, Presence::Always},
    {"TTrim",    62,     1,     2,     1,     0,     0,   160,     0,   160,     3,     0, false, Presence::Always},
    {"TElEngTemper",    63,     1,     2,     1,    40,     0,   120,     0,   120,     3,     0, false, Presence::Always},
    {"THVBVoltage",    64,     1,     2,     1,   140,     0,   320,     0,   320,     3,     0, false, Presence::Always},
};

// Caption, CaptionWithUnit, TileName, TileUnit, PanelName, PanelUnit, RowName, DialName, DialUnit, GraphCaption
struct MeasParTexts {
    std::string_view className;
    std::array<const char*, 10> texts;
};

// The texts of TMomentaryExpenseL (code 65) are kept with the others, but the
// catalog has no numbers row for it, so no list ever holds it.
constexpr MeasParTexts kEnglishTexts[] = {
    {"TVelocity", {"Speed", "Speed", "Speed", "km/h", "Speed", "km/h", "Speed", "Speed", "km/h", "Speed,km/h"}},
    {"TRevolutions", {"Eng.speed", "Eng.speed,rpm", "Eng.speed", "rpm", "Eng.speed", "rpm", "Eng.speed", "Eng.speed", "x1000", "Eng.speed,rpm"}},
    {"TInjectionTime", {"Injection time", "Inject.time,ms", "InjTim", "ms", "Inject.time", "ms", "InjTim,ms", "Inject.time", "ms", "InjTim,ms"}},
    {"TMomentaryExpenseK", {"Expense/100", "Expense,l/100", "Expens", "л/100", "Expens", "л/100", "Expense,l/100", "Expens", "l/100", "Expense,l/100"}},
    {"TMomentaryExpenseH", {"Expense/h", "Expense,l/h", "Expens", "l/h", "Expens", "l/h", "Expense,l/h", "Expense", "l/h", "Expense,l/h"}},
    {"TAccVoltage", {"BattVolt", "BattVolt,V", "BattVolt", "Volts", "BattVolt", "Volts", "BattVolt,V", "BattVolt", "Volts", "BattVolt,V"}},
    {"TOil", {"Fuel rem.", "Fuel rem,l", "Fuel", "liters", "Fuel rem.", "liters", "Fuel rem,l", "", "", ""}},
    {"TPrognoz", {"Power res.", "Power res,km", "PowerRes", "km", "PowerRes", "km", "PowerRes,km", "", "", ""}},
    {"TTime", {"Time", "Time", "Time", "", "Time", "", "Time", "", "", ""}},
    {"TTemperAir", {"Tair/wat/en", "T air", "T air", "degrees", "T air", "degrees", "T air", "Tair", "degrees", ""}},
    {"TLightsFlag", {"LowBmCntr", "LowBmCntr", "LowBmCntr", "", "LowBmCntr", "", "LowBmCntr", "", "", ""}},
    {"TTemperLiq", {"Coolant Temp", "Coolant Temp,deg", "CoolantT", "degrees", "CoolantTmp", "degrees", "CoolantTmp", "CoolantT", "degrees", "Coolant Temp,deg"}},
    {"TMAF", {"Man.Air Flow", "Man.Air Flow,kg/h", "MAF", "kg/h", "Man.Air Flow", "kg/h", "MAF,kg/h", "Man.Air Flow", "kg/h", "MAF,kg/h"}},
    {"TMAP", {"Man.Air Press", "Man.Air Pr,kPa", "MAP", "kPa", "Man.Air Pr", "kPa", "MAP,kPa", "Man.Air Pr", "kPa", "MAP,kPa"}},
    {"TThrottle", {"Throttle", "Throttle,%", "Throttle", "%", "Throttle", "%", "Throttle,%", "Throttle", "%", "Throttle,%"}},
    {"TThrottle2", {"Throttle2", "Throttle2,%", "Throttle2", "%", "Throttle2", "%", "Throttle2,%", "Throttle2", "%", "Throttle2,%"}},
    {"TStepMotor", {"IS control", "IS control,steps", "IScntr", "steps", "IScntr", "steps", "IScntrl,steps", "IScntr", "steps", "IScntrl,steps"}},
    {"TUOZ", {"IgnAngl", "IgnAngl,deg", "IgnAngl", "degrees", "IgnAngl", "degrees", "IgnAngl,deg", "IgnAngl", "degrees", "IgnAngl,deg"}},
    {"TCorrUOZ", {"IgnAngCorr", "IgnAngCorr,deg", "IgnAngCorr", "degrees", "IgnAngCorr", "degrees", "IgnAngCorr,deg", "", "", ""}},
    {"TEngCalcLoad", {"Engine load", "Engine load,%", "Eng.load", "%", "Eng.load", "%", "Engine load,%", "Eng.load", "%", "Eng.load,%"}},
    {"TVAF", {"VAF sensor", "VAF sensor,V", "VAF sens", "Volts", "VAF sens", "Volts", "VAF sensor,V", "VAF sens", "Volts", "VAF sensor,V"}},
    {"TEMV", {"EM valve", "EM valve,%", "EM valv,%", "%", "EM valv,%", "%", "EM valve,%", "EM valve,%", "%", "EM valve,%"}},
    {"TTemperIntakeAir", {"InAirTemp", "InAirTemp,deg", "IATemp", "degrees", "InAirTemp", "degrees", "InAirTemp,deg", "InAirTemp", "degrees", "InAirTemp,deg"}},
    {"TCorrLeft", {"Left corr.", "Left corr,V", "Left corr", "Volts", "Left corr.", "Volts", "Left corr.,V", "Left corr.", "Volts", "Left corr.,В"}},
    {"TCorrRight", {"Right corr.", "Right corr,V", "Right corr", "Volts", "Right corr.", "Volts", "Right corr.,V", "Right corr.", "Volts", "Right corr.,V"}},
    {"TO2Probe1", {"OxSens1Volt", "OxSens1Volt,V", "OxSens1V", "Volts", "OxSens1Volt", "Volts", "OxSens1Volt,V", "OxSens1Volt", "Volts", "OxSens1Volt,V"}},
    {"TO2Probe2", {"OxSens2Volt", "OxSens2Volt,V", "OxSens2V", "Volts", "OxSens2Volt", "Volts", "OxSens2Volt,V", "OxSens2Volt", "Volts", "OxSens2Volt,V"}},
    {"TTripTime", {"Time/Trip", "Time/Trip", "Time/Tr", "", "Time/Trip", "", "Time/Trip", "", "", ""}},
    {"TTripMomentaryExpenseK", {"Exp/100/Trip", "Exp/100/Trip", "Exp/Tr", "l/100", "Exp/Trip", "l/100", "Exp/100/Trip", "", "", ""}},
    {"TTripVelocity", {"Speed/Trip", "Speed/Trip", "Spd/Tr", "km/h", "Speed/Trip", "km/h", "Speed/Trip", "", "", ""}},
    {"TTripPath", {"Path/Trip", "Path/Trip,km", "Path/Tr", "km", "Path/Trip", "km", "Path/Trip", "", "", ""}},
    {"TTripExpense", {"Fuel/Trip", "Fuel/Trip,l", "Fuel/Tr", "litres", "Fuel/Trip", "litres", "Fuel/Trip", "", "", ""}},
    {"TTripPrice", {"Cost/Trip", "Cost/Trip,CU", "Cost/Tr", "CU", "Cost/Trip", "CU", "Cost/Trip", "", "", ""}},
    {"TDDK", {"ACPressSens", "AC Press.Sens,V", "ACPrSens", "Volts", "ACPressSens", "Volts", "ACPrSens,V", "ACPressSens", "Volts", "ACPressSens,V"}},
    {"TLightsFlag1", {"LowBmCntr", "LowBmCntr", "LowBmCntr", "", "LowBmCntr", "", "LowBmCntr", "", "", ""}},
    {"TFuelPressFact", {"FuelPress", "FuelPress,kPa", "FuelPress", "kPa", "FuelPress", "kPa", "FuelPress,kPa", "FuelPress", "kPa", "FuelPress,kPa"}},
    {"TTemperOilAKPP", {"AT temper.", "AT temper,deg", "AT temp", "degrees", "AT temper.", "degrees", "AT temper.", "AT temp", "degrees", "AT temper.,deg"}},
    {"TAKPPMode", {"AT mode", "AT mode", "ATmode", "", "AT mode", "", "AT mode", "", "", ""}},
    {"TTemperOilEng", {"Eng.oil temper.", "Oil temper,deg", "OilTmp", "degrees", "Oil temper", "degrees", "Oil temper.", "OilTmp", "degrees", "OilTmp,deg"}},
    {"TTurboPress", {"Turbine press", "TurbPr,kPa", "TurbPrs", "kPa", "TurbPrs", "kPa", "TurbPrs", "TurbPrs", "kPa", "TurbPr,kPa"}},
    {"TPressOilEngine", {"Eng.oil press.", "Oil Prs,kPa", "OilPres", "kPa", "Oil press", "kPa", "Oil press", "Oil press", "kPa", "Oil Prs,kPa"}},
    {"TWorkTimeEngine", {"Eng.hours", "Eng.hours", "Eng.hours", "", "Eng.hours", "", "Eng.hours", "Eng.hours", "", "Eng.hours"}},
    {"TRetarderOilTemper", {"Retard.temp", "Ret.tmp,deg", "RetTmp", "degrees", "RetTmp", "degrees", "RetTmp", "RetTmp", "degrees", "Ret.tmp,deg"}},
    {"THVBChargeLevel", {"HVB charg", "HVB charg,%", "HVB charg", "%", "HVB charg", "%", "HVB charg", "HVB charg", "%", "HVB charg,%"}},
    {"THVBChargeLimit", {"HVB ch.lim.", "HVB ch.lim.,kW", "HVB ChLim", "kW", "HVB ChLim", "kW", "HVB ch.lim.", "HVB ch.lim.", "kW", "HVB ch.lim."}},
    {"THVBDischargeLimit", {"HVB disch.lim.", "HVB dch.lim,kW", "HVB DchLm", "kW", "HVB DchLm", "kW", "HVB DchLm", "HVB DchLm", "kW", "HVB DchLm,kW"}},
    {"THVBTemper", {"HVB temper.", "HVB temper,deg", "HVB tmp", "degrees", "HVB tmp", "degrees", "HVB tmp", "HVB tmp", "degrees", "HVB temper,deg"}},
    {"THVBFanSpeed", {"HVB fan speed", "HVB fan speed", "HVB fan", "", "HVB fan", "", "HVB fan", "HVB fan", "", "HVB fan"}},
    {"THVBAirIntakeTemper", {"HVB int.air T", "HVB int.air T,deg", "HVB IAT", "degrees", "HVB IAT", "degrees", "HVB IAT", "HVB IAT", "degrees", "HVB int.air T,deg"}},
    {"THVBFrontBrakeTorq", {"Front reg.brake", "Fr.reg.brake,Nm", "FrRegBr", "Nm", "FrRegBr", "Nm", "FrRegBr", "FrRegBr", "Nm", "Fr.reg.brake,Nm"}},
    {"THVBRearBrakeTorq", {"Rear reg.brake", "Re.reg.brake,Nm", "ReRegBr", "Nm", "ReRegBr", "Nm", "ReRegBr", "ReRegBr", "Nm", "Re.reg.brake,Nm"}},
    {"THVBBrakeTorq", {"Regener.brake", "Regen.brake,Nm", "RegBrake", "Nm", "RegBrake", "Nm", "RegBrake", "RegBrake", "Nm", "Regen.brake,Nm"}},
    {"THVBCurrent", {"HVB curr", "HVB curr,A", "HVB curr", "A", "HVB curr", "A", "HVB curr", "HVB curr", "A", "HVB curr,A"}},
    {"TInvTemper", {"Inverter temp.", "Inv.temp,deg", "Inv.temp", "degrees", "Inv.temp", "degrees", "Inv.temp", "Inv.temp", "degrees", "Inv.temp,deg"}},
    {"TCourseAngle", {"Pitch", "Pitch,deg", "Pitch", "degrees", "Pitch", "degrees", "Pitch", "Pitch", "degrees", "Pitch,deg"}},
    {"TSideAngle", {"Roll", "Roll,deg", "Roll", "degrees", "Roll", "degrees", "Roll", "Roll", "degrees", "Roll,deg"}},
    {"TTemperEngBoat", {"Engine temp", "Eng.temp,deg", "Eng.tmp", "degrees", "Eng.temp.", "degrees", "Eng.temp.", "Eng.temp.", "degrees", "Eng.temp,deg"}},
    {"TTemperWat", {"Water temp.", "Water T,deg", "WaterT", "degrees", "Water tmp", "degrees", "Water tmp", "Water tmp", "degrees", "Water T,deg"}},
    {"TTemperCyl", {"Cyl.temp.", "Cyl.T,deg", "Cyl.T", "degrees", "Cyl.temp.", "degrees", "Cyl.temp.", "Cyl.temp.", "degrees", "Cyl.T,deg"}},
    {"TTemperCylLeft", {"Left Cyl.T", "LCylT,deg", "LCyl.T", "degrees", "LftCylT", "degrees", "LftCylT", "LftCylT", "degrees", "LCylT,deg"}},
    {"TTemperCylRight", {"Right Cyl.T", "RCylT,deg", "RCyl.T", "degrees", "RgtCylT", "degrees", "RgtCylT", "RgtCylT", "", "RCylT,deg"}},
    {"TTrim", {"Trim", "Trim", "Trim", "", "Trim", "", "Trim", "Trim", "", "Trim"}},
    {"TElEngTemper", {"ElMot temper.", "EM temp,deg", "EM temp", "degrees", "EM temp", "degrees", "EM temp", "EM temp", "degrees", "EM temp,deg"}},
    {"THVBVoltage", {"HVBVolt", "HVBVolt,V", "HVBVolt", "Volts", "HVBVolt", "Volts", "HVBVolt", "HVBVolt", "Volts", "HVBVolt,V"}},
    {"TMomentaryExpenseL", {"FuelCon,km/l", "FuelCon,km/l", "FuelCn", "km/l", "FuelCn", "km/l", "FuelCon,km/l", "FuelCn", "km/l", "FuelCon,km/l"}},
};

constexpr MeasParTexts kRussianTexts[] = {
    {"TVelocity", {"Скорость", "Скорость", "Скорость", "км/час", "Скорость", "км/час", "Скорость", "Скорость", "км/час", "Скорость,км/час"}},
    {"TRevolutions", {"Обороты", "Обороты двиг,об/мин", "Обороты", "об/мин", "Обороты двиг", "об/мин", "Обороты двиг", "Обороты", "x1000", "Обороты,об/мин"}},
    {"TInjectionTime", {"Время впрыска", "Время впрыска,мс", "Впрыск", "мс", "Время впрыска", "мс", "Впрыск,мс", "Время впрыска", "мс", "Впрыск,мс"}},
    {"TMomentaryExpenseK", {"Расход/100", "Расход,л/100", "Расход", "л/100", "Расход", "л/100", "Расход,л/100", "Расход", "л/100", "Расход,л/100"}},
    {"TMomentaryExpenseH", {"Расход/час", "Расход,л/час", "Расход", "л/час", "Расход", "л/час", "Расход,л/час", "Расход", "л/час", "Расход,л/час"}},
    {"TAccVoltage", {"Напр.АКБ", "Напр.АКБ,В", "Напр.АКБ", "Вольты", "Напр.АКБ", "Вольты", "Напр.АКБ,В", "Напр.АКБ", "Вольты", "Напр.АКБ,В"}},
    {"TOil", {"Остаток бака", "Остаток бака,л", "Бак", "литры", "Остаток бака", "литры", "Остаток бака,л", "", "", ""}},
    {"TPrognoz", {"Прогноз проб", "Прогноз пробега,км", "Прогн.Пр", "км", "Прогн.проб.", "км", "Прогн.Пр,км", "", "", ""}},
    {"TTime", {"Время", "Время", "Время", "", "Время", "", "Время", "", "", ""}},
    {"TTemperAir", {"Твоз/вод/дв", "Твоздуха", "Tвозд", "градусы", "Твоздуха", "градусы", "Твоздуха", "Tвозд", "градусы", ""}},
    {"TLightsFlag", {"Упр.БСвет", "Упр.БСвет", "Упр.БСвет", "", "Упр.БСвет", "", "Упр.БСвет", "", "", ""}},
    {"TTemperLiq", {"ТОЖ двиг", "ТОЖ двигателя,гр", "Тдвигат.", "градусы", "ТОЖ двигат", "градусы", "ТОЖ двигат", "Тдвигат.", "градусы", "ТОЖ двигателя,гр"}},
    {"TMAF", {"Расх.воздуха", "Расх.воздуха,кг/ч", "Р.возд.", "кг/час", "Расх.воздуха", "кг/час", "Расх.возд,кг/ч", "Расх.воздуха", "кг/час", "Расх.возд,кг/ч"}},
    {"TMAP", {"Давление ВК", "Давление ВК,кПа", "Давление ВК", "кПа", "Давление ВК", "кПа", "Давл.ВК,кПа", "Давление ВК", "кПа", "Давл.ВК,кПа"}},
    {"TThrottle", {"Дроссель", "Дроссель,%", "Дроссель", "%", "Дроссель", "%", "Дроссель,%", "Дроссель", "%", "Дроссель,%"}},
    {"TThrottle2", {"Дроссель", "Дроссель2,%", "Дроссель2", "%", "Дроссель2", "%", "Дроссель2,%", "Дроссель2", "%", "Дроссель2,%"}},
    {"TStepMotor", {"Регулятор ХХ", "Регулятор ХХ,шаги", "Рег.ХХ", "шаги", "Рег.ХХ", "шаги", "Регул.ХХ,шаги", "Рег.ХХ", "шаги", "Регул.ХХ,шаги"}},
    {"TUOZ", {"УОЗ", "УОЗ,градусы", "УОЗ", "градусы", "УОЗ", "градусы", "УОЗ,градусы", "УОЗ", "градусы", "УОЗ,градусы"}},
    {"TCorrUOZ", {"Попр.УОЗ", "Попр.УОЗ,градусы", "Попр.УОЗ", "градусы", "Попр.УОЗ", "градусы", "Попр.УОЗ,градусы", "", "", ""}},
    {"TEngCalcLoad", {"Нагр.на двиг.", "Нагрузка на дв.%", "Нагруз.дв.", "%", "Нагруз.дв.", "%", "Нагрузка на дв.%", "Нагруз.дв.", "%", "Нагруз.дв.%"}},
    {"TVAF", {"VAF сенсор", "VAF сенсор,В", "VAF сенс", "Вольты", "VAF сенс", "Вольты", "VAF сенсор,В", "VAF сенс", "Вольты", "VAF сенсор,В"}},
    {"TEMV", {"ЭлМ клапан", "ЭлМ клапан,%", "ЭлМ клап,%", "%", "ЭлМ клап,%", "%", "ЭлМ клапан,%", "ЭлМ клап,%", "%", "ЭлМ клап,%"}},
    {"TTemperIntakeAir", {"Темпер.ВК", "Температура ВК,град", "Темпер.ВК", "градусы", "Темпер.ВК", "градусы", "Темп.ВК,град", "Темпер.ВК", "градусы", "Темп.ВК,град"}},
    {"TCorrLeft", {"Корр.левая", "Коррекция левая,В", "Корр.лев.", "Вольты", "Корр.левая", "Вольты", "Корр.левая,В", "Корр.левая", "Вольты", "Корр.левая,В"}},
    {"TCorrRight", {"Корр.правая", "Коррекция правая,В", "Корр.пр.", "Вольты", "Корр.правая", "Вольты", "Корр.правая,В", "Корр.правая", "Вольты", "Корр.правая,В"}},
    {"TO2Probe1", {"Напряж.ДК1", "Напряжение ДК1,В", "Напр.ДК1", "Вольты", "Напряж.ДК1", "Вольты", "Напряж.ДК1,В", "Напряж.ДК1", "Вольты", "Напряж.ДК1,В"}},
    {"TO2Probe2", {"Напряж.ДК2", "Напряжение ДК2,В", "Напр.ДК2", "Вольты", "Напряж.ДК2", "Вольты", "Напряж.ДК2,В", "Напряж.ДК2", "Вольты", "Напряж.ДК2,В"}},
    {"TTripTime", {"Время/Поез.", "Время/Поез.", "Время/П", "", "Время/Поез.", "", "Время/Поез.", "", "", ""}},
    {"TTripMomentaryExpenseK", {"Расх/100/Поез.", "Расход/Поездка", "Расх/П", "л/100", "Расх/П", "л/100", "Расх/100/Поез.", "", "", ""}},
    {"TTripVelocity", {"Скор/Поез.", "Скорость/Поездка", "Скор/П", "км/час", "Скор/Поез.", "км/час", "Скор/Поез.", "", "", ""}},
    {"TTripPath", {"Пробег/Поез.", "Пробег/Поездка,км", "Проб/П", "км", "Пробег/Поез.", "км", "Пробег/Поез.", "", "", ""}},
    {"TTripExpense", {"Топл./Поез.", "Топливо/Поездка,л", "Топл/П", "литры", "Топл./Поез.", "литры", "Топл./Поез.", "", "", ""}},
    {"TTripPrice", {"Стоим/Поез.", "Стоим/Поездка,уе", "Стоим/П", "У.е.", "Стоим/Поез.", "У.е.", "Стоим/Поез.", "", "", ""}},
    {"TDDK", {"Напряж.ДДК", "Напряжение ДДК,В", "Напр.ДДК", "Вольты", "Напряж.ДДК", "Вольты", "Напряж.ДДК,В", "Напряж.ДДК", "Вольты", "Напряж.ДДК,В"}},
    {"TLightsFlag1", {"Упр.БСвет", "Упр.БСвет", "Упр.БСвет", "", "Упр.БСвет", "", "Упр.БСвет", "", "", ""}},
    {"TFuelPressFact", {"Д.топлива", "Давл.топл,кПа", "Д.топлива", "кПа", "Д.топлива", "кПа", "Давл.топл,кПа", "Д.топлива", "кПа", "Давл.топл,кПа"}},
    {"TTemperOilAKPP", {"Темпер.АКПП", "Темп.АКПП,гр", "Т.АКПП", "градусы", "Темп.АКПП", "градусы", "Темп.АКПП", "Т.АКПП", "градусы", "Темп.АКПП,гр"}},
    {"TAKPPMode", {"Режим КПП", "Режим КПП", "Р.КПП", "", "Режим КПП", "", "Режим КПП", "", "", ""}},
    {"TTemperOilEng", {"Темп.масла дв.", "Т.масла,гр", "Т.масла", "градусы", "Темп.масла", "градусы", "Темп.масла", "Т.масла", "градусы", "Т.масла,гр"}},
    {"TTurboPress", {"Давл.турбины", "Д.турб,кПа", "Д.турб.", "кПа", "Д.турб.", "кПа", "Д.турб.", "Д.турб.", "кПа", "Д.турб,кПа"}},
    {"TPressOilEngine", {"Давл.масла дв.", "P.масла,кПа", "P.масла", "кПа", "Давл.масла", "кПа", "Давл.масла", "P.масла", "кПа", "P.масла,кПа"}},
    {"TWorkTimeEngine", {"Моточаcы", "Моточаcы", "Моточаcы", "", "Моточаcы", "", "Моточаcы", "Моточаcы", "", "Моточаcы"}},
    {"TRetarderOilTemper", {"Т.ретардера", "Т.ретард,гр", "Т.рет", "градусы", "Т.рет", "градусы", "Т.рет", "Т.рет", "градусы", "Т.ретард,гр"}},
    {"THVBChargeLevel", {"Заряд ВВБ", "Заряд ВВБ,%", "Заряд ВВБ", "%", "Заряд ВВБ", "%", "Заряд ВВБ", "Заряд ВВБ", "%", "Заряд ВВБ,%"}},
    {"THVBChargeLimit", {"Лим.зар.ВВБ", "Лим.зар.ВВБ,кВт", "Лим.З.ВВБ", "кВт", "Лим.З.ВВБ", "кВт", "Лим.З.ВВБ", "Лим.З.ВВБ", "кВт", "Лим.З.ВВБ"}},
    {"THVBDischargeLimit", {"Лим.раз.ВВБ", "Лим.раз.ВВБ,кВт", "Лим.Р.ВВБ", "кВт", "Лим.Р.ВВБ", "кВт", "Лим.Р.ВВБ", "Лим.Р.ВВБ", "кВт", "Лим.Р.ВВБ"}},
    {"THVBTemper", {"Температ.ВВБ", "Темпер.ВВБ,гр", "Темп.ВВБ", "градусы", "Темп.ВВБ", "градусы", "Темп.ВВБ", "Темп.ВВБ", "градусы", "Темпер.ВВБ,гр"}},
    {"THVBFanSpeed", {"Скор.вент.ВВБ", "Скор.вент.ВВБ", "Вент.ВВБ", "", "Вент.ВВБ", "", "Вент.ВВБ", "Вент.ВВБ", "", "Вент.ВВБ"}},
    {"THVBAirIntakeTemper", {"Т.вп.возд.ВВБ", "Т.в.возд.ВВБ,гр", "ТВВ ВВБ", "градусы", "ТВВ ВВБ", "градусы", "ТВВ ВВБ", "ТВВ ВВБ", "градусы", "Т.в.возд.ВВБ,гр"}},
    {"THVBFrontBrakeTorq", {"Перед.рек.торм", "П.рек.тормоз,Нм", "Пер.рек.т", "Нм", "Пер.рек.т", "Нм", "Пер.рек.т", "Пер.рек.т", "Нм", "П.рек.тормоз,Нм"}},
    {"THVBRearBrakeTorq", {"Задн.рек.торм", "З.рек.тормоз,Нм", "Зад.рек.т", "Нм", "Зад.рек.т", "Нм", "Зад.рек.т", "Зад.рек.т", "Нм", "З.рек.тормоз,Нм"}},
    {"THVBBrakeTorq", {"Рекупер.торм", "Рекуп.тормоз,Нм", "Рекуп.т", "Нм", "Рекуп.т", "Нм", "Рекуп.т", "Рекуп.т", "Нм", "Рекуп.тормоз,Нм"}},
    {"THVBCurrent", {"Ток ВВБ", "Ток ВВБ,A", "Ток ВВБ", "A", "Ток ВВБ", "A", "Ток ВВБ", "Ток ВВБ", "A", "Ток ВВБ,A"}},
    {"TInvTemper", {"Температ.инв", "Темпер.инв,гр", "Темп.инв", "градусы", "Темп.инв", "градусы", "Темп.инв", "Темп.инв", "градусы", "Темпер.инв,гр"}},
    {"TCourseAngle", {"Тангаж", "Тангаж,гр", "Тангаж", "градусы", "Тангаж", "градусы", "Тангаж", "Тангаж", "градусы", "Тангаж,гр"}},
    {"TSideAngle", {"Крен", "Крен,гр", "Крен", "градусы", "Крен", "градусы", "Крен", "Крен", "градусы", "Крен,гр"}},
    {"TTemperEngBoat", {"Темп.двиг.", "Т.двиг,гр", "Т.двиг.", "градусы", "Темп.двиг.", "градусы", "Темп.двиг.", "Т.двиг.", "градусы", "Т.двиг,гр"}},
    {"TTemperWat", {"Темп.воды", "Т.воды,гр", "Темп.воды", "градусы", "Т.воды", "градусы", "Т.воды", "Темп.воды", "градусы", "Т.воды,гр"}},
    {"TTemperCyl", {"Темп.цил.", "Т.цил,гр", "Т.цил.", "градусы", "Темп.цил.", "градусы", "Темп.цил.", "Т.цил.", "градусы", "Т.цил,гр"}},
    {"TTemperCylLeft", {"Темп.лв.цил.", "Т.ЛвЦ,гр", "Т.ЛвЦ.", "градусы", "Т.ЛвЦил", "градусы", "Т.ЛвЦил", "Т.ЛвЦ.", "градусы", "Т.ЛвЦ,гр"}},
    {"TTemperCylRight", {"Темп.пр.цил.", "Т.ПрЦ,гр", "Т.ПрЦ.", "градусы", "Т.ПрЦил", "градусы", "Т.ПрЦил", "Т.ПрЦ.", "градусы", "Т.ПрЦ,гр"}},
    {"TTrim", {"Трим", "Трим", "Трим", "", "Трим", "", "Трим", "Трим", "", "Трим"}},
    {"TElEngTemper", {"Температ.ЭД", "Темпер.ЭД,гр", "Темп.ЭД", "градусы", "Темп.ЭД", "градусы", "Темп.ЭД", "Темп.ЭД", "градусы", "Темпер.ЭД,гр"}},
    {"THVBVoltage", {"Напр.ВВБ", "Напр.ВВБ,В", "Напр.ВВБ", "Вольты", "Напр.ВВБ", "Вольты", "Напр.ВВБ", "Напр.ВВБ", "Вольты", "Напр.ВВБ,В"}},
    {"TMomentaryExpenseL", {"Расход,км/л", "Расход,км/л", "Расход", "км/л", "Расход", "км/л", "Расход,км/л", "Расход", "км/л", "Расход,км/л"}},
};

// Entries whose preview shows no sample value.
constexpr std::string_view kNoSampleText[] = {
    "TTime", "TLightsFlag", "TLightsFlag1", "TTripTime", "TTripMomentaryExpenseK", "TTripPath", "TTripExpense",
};

char gDecimalSeparator = '.';

bool IsPresent(Presence p, const ModelFeatures& f)
{
    switch (p) {
    case Presence::Always: return true;
    case Presence::AirTemperature: return !(f.LowBeamOnAirInput && f.LowBeamControl);
    case Presence::LowBeamOnAirInput: return f.LowBeamOnAirInput && f.LowBeamControl;
    case Presence::LowBeamSignal: return f.LowBeamControl && !f.LowBeamOnAirInput;
    }
    return false;
}

const MeasParTexts* FindTexts(std::string_view className, Language language)
{
    const auto& table = IsEnglish(language) ? kEnglishTexts : kRussianTexts;
    for (const auto& t : table)
        if (t.className == className)
            return &t;
    return nullptr;
}

std::int32_t Pow10(int n)
{
    std::int32_t p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

std::unique_ptr<MeasuredParameter> MakeFromRow(const MeasParRow& row, Language language)
{
    std::unique_ptr<MeasuredParameter> e;
    if (row.className == "TMomentaryExpenseK")
        e = std::make_unique<MomentaryConsumption>();
    else
        e = std::make_unique<MeasuredParameter>();
    e->ClassName = row.className;
    e->Code = static_cast<std::uint8_t>(row.code);
    e->ShowsRange = row.showsRange;
    e->DialSide = row.dialSide;
    e->Graphable = row.graphable;
    e->SampleValue = row.sampleValue;
    e->MinValue = row.minValue;
    e->MaxValue = row.maxValue;
    e->DialFrom = row.dialFrom;
    e->DialTo = row.dialTo;
    e->ValueWidth = row.valueWidth;
    e->Decimals = row.decimals;
    e->DialRing = row.dialRing;

    const bool noSample = std::find(std::begin(kNoSampleText), std::end(kNoSampleText), row.className) != std::end(kNoSampleText);
    if (!noSample) {
        // The injection time's sample is padded to 3 characters, not to its field width.
        const int width = row.className == "TInjectionTime" ? 3 : row.valueWidth;
        e->SampleText = FormatSampleValue(row.sampleValue, row.decimals, width);
    }

    if (const MeasParTexts* t = FindTexts(row.className, language)) {
        std::string* fields[10] = {&e->Caption, &e->CaptionWithUnit, &e->TileName, &e->TileUnit, &e->PanelName,
                                   &e->PanelUnit, &e->RowName, &e->DialName, &e->DialUnit, &e->GraphCaption};
        for (std::size_t i = 0; i < 10; ++i)
            *fields[i] = t->texts[i];
    }
    return e;
}

} // namespace

MeasuredParameter::MeasuredParameter() = default;

MeasuredParameter MeasuredParameter::Prepared() const
{
    MeasuredParameter copy(*this); // the base part: a prepared entry is drawn, never prepared again
    copy.MinText = FormatRangeValue(copy.MinValue, copy.Decimals);
    copy.MaxText = FormatRangeValue(copy.MaxValue, copy.Decimals);
    return copy;
}

MeasuredParameter MomentaryConsumption::Prepared() const
{
    MeasuredParameter copy(*this);
    copy.AltColour = true;
    copy.MaxValue = 800;
    copy.DialTo = 80;
    copy.DialFrom = 0;
    return copy.MeasuredParameter::Prepared();
}

MeasParList MakeMeasParList(const ModelFeatures& features, Language language)
{
    MeasParList list;
    for (const auto& row : kMeasParRows)
        if (IsPresent(row.presence, features))
            list.push_back(MakeFromRow(row, language));
    return list;
}

MeasParList CopyMeasParList(const MeasParList& list)
{
    MeasParList copy;
    copy.reserve(list.size());
    for (const auto& e : list)
        copy.push_back(e->Clone());
    return copy;
}

std::unique_ptr<MeasuredParameter> MakeMeasPar(std::string_view className, Language language)
{
    for (const auto& row : kMeasParRows)
        if (row.className == className)
            return MakeFromRow(row, language);
    return nullptr;
}

MeasuredParameter* FindMeasPar(const MeasParList& list, std::uint8_t code)
{
    for (const auto& e : list)
        if (e->Code == code)
            return e.get();
    return nullptr;
}

MeasuredParameter* FindMeasParByClass(const MeasParList& list, std::string_view className)
{
    for (const auto& e : list)
        if (e->ClassName == className)
            return e.get();
    return nullptr;
}

std::string FormatSampleValue(std::int32_t value, int decimals, int width)
{
    decimals = std::clamp(decimals, 0, 9);
    const std::int64_t divisor = Pow10(decimals);
    const std::int64_t v = value;
    const std::int64_t magnitude = v < 0 ? -v : v;
    std::string text = std::to_string(magnitude / divisor);
    if (decimals > 0) {
        std::string frac = std::to_string(magnitude % divisor);
        text += '.' + std::string(static_cast<std::size_t>(decimals) - frac.size(), '0') + frac;
    }
    if (v < 0)
        text.insert(text.begin(), '-');
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string FormatRangeValue(std::int32_t value, int decimals)
{
    if (decimals <= 0)
        return std::to_string(value);
    decimals = std::min(decimals, 9);
    // At most two significant digits, rounded half away from zero.
    std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    std::string digits = std::to_string(magnitude);
    if (digits.size() > 2) {
        std::int64_t unit = 1;
        for (std::size_t i = 2; i < digits.size(); ++i)
            unit *= 10;
        magnitude = (magnitude + unit / 2) / unit * unit;
        digits = std::to_string(magnitude);
    }
    const std::string sign = value < 0 && magnitude != 0 ? "-" : "";
    const int integerDigits = magnitude == 0 ? 1 : static_cast<int>(digits.size()) - decimals;
    if (integerDigits > 2) {
        // d.dE+n: the two leading digits, the power of ten of the first one.
        std::string text = sign + digits[0] + gDecimalSeparator + digits[1] + "E+";
        return text + std::to_string(integerDigits - 1);
    }
    const std::int64_t divisor = Pow10(decimals);
    std::string frac = std::to_string(magnitude % divisor);
    return sign + std::to_string(magnitude / divisor) + gDecimalSeparator
        + std::string(static_cast<std::size_t>(decimals) - frac.size(), '0') + frac;
}

void SetLocaleDecimalSeparator(char separator) { gDecimalSeparator = separator; }
char LocaleDecimalSeparator() { return gDecimalSeparator; }

} // namespace tc
