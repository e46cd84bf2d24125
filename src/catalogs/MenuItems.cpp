#include "catalogs/MenuItems.h"

#include "common/Language.h"

#include <cstdio>

namespace tc {

namespace {

// When an item is offered (features of the device model).
enum class Cond {
    Always,
    Never,
    IgnitionCorrection, // IgnitionCorrection
    VolumeControl,      // not NoVolumeControl
    IceWarning,         // not LowBeamOnAirInput and not KmPerLitre
    LowBeamControl,     // LowBeamOnAirInput and LowBeamControl
    LightWarnings,      // not NoLightWarnings
    TrafficStats,       // not NoTrafficStats
    Parktronic,         // not NoParktronic
    GasFuel,            // not NoGasFuel
    HybridDrive,        // HasHybridDrive
    Block,              // EcuBlocksMenu and the row's block listed by a protocol of the model
};

// What an absent item does to the code counter.
enum class Advance {
    Yes,            // its code stays unused
    No,             // the next item takes its code
    SharedWithNext, // the next row is the alternative for the same code
};

struct MenuRow {
    const char* name; // a numbered series: the prefix of <prefix>1Menu .. <prefix><series>Menu
    const char* en;
    const char* ru;
    Cond cond;
    int block;
    Advance advance;
    int series; // 0: one item; otherwise that many numbered items (or reserved codes)
};

// Numbered trip and refuelling entries: N right-aligned in 4 characters, 5 spaces, the pattern.
constexpr const char* kNumberedEn = "MM:HH DD.MM";
constexpr const char* kNumberedRu = "ММ:ЧЧ ДД.ММ";

// name, English caption, Russian caption, offered when, block, counter when absent, series  // code
constexpr MenuRow kMenuRows[] = {
    {"VirtLockMenu", "Virtual Lock On/Off", "Вирт. замок Вкл/Откл", Cond::Always, 0, Advance::Yes, 0}, // 1
    {"FullTankMenu", "Refuel.until full", "Заправка до полн.", Cond::Always, 0, Advance::Yes, 0}, // 2
    {"ToTankMenu", "Fueled l", "Заправлено л", Cond::Always, 0, Advance::Yes, 0}, // 3
    {"InTankMenu", "Now in tank l", "Теперь в баке л", Cond::Always, 0, Advance::Yes, 0}, // 4
    {"VentOnMenu", "Fan On/Off", "Вентилятор Вкл/Откл", Cond::Always, 0, Advance::Yes, 0}, // 5
    {"PrognozMenu", "MileProgn.Econ", "Прогн.проб.Экон", Cond::Always, 0, Advance::Yes, 0}, // 6
    {"InjTimeHHMenu", "% for inject.", "% на впрыск", Cond::Always, 0, Advance::Yes, 0}, // 7
    {"ExpenseHHMenu", "% Expense", "% Расход", Cond::Always, 0, Advance::Yes, 0}, // 8
    {"CorrUOZMenu", "IgnAngCorr", "Поправка УОЗ", Cond::IgnitionCorrection, 0, Advance::Yes, 0}, // 9
    {"EBUResetMenu", "ECU reset", "Сброс ЭБУ", Cond::Always, 0, Advance::Yes, 0}, // 10
    {"CandleDryMenu", "Spark plugs drying", "Сушка свечей", Cond::Always, 0, Advance::Yes, 0}, // 11
    {"TankMethMenu", "Tank type Calculated/FLS/ECU FLS", "Бак тип Расчетный/ДУТ/ДУТ ЭБУ", Cond::Always, 0, Advance::Yes, 0}, // 12
    {"LiqTemperLimitMenu", "T cool.lim", "Граница ТОЖ", Cond::Always, 0, Advance::Yes, 0}, // 13
    {"RevolutionsLimitMenu", "Eng.speed lim", "Граница Обор.", Cond::Always, 0, Advance::Yes, 0}, // 14
    {"VelocityLimitMenu", "Speed lim", "Граница Скор.", Cond::Always, 0, Advance::Yes, 0}, // 15
    {"TankLimitMenu", "Fuel rem.", "Ост.бака", Cond::Always, 0, Advance::Yes, 0}, // 16
    {"VentTempLimitMenu", "T fan on", "T Вкл.вент.", Cond::Always, 0, Advance::Yes, 0}, // 17
    {"InjTimeLimitMenu", "Inj/expense %", "Впрыск/Расх %", Cond::Always, 0, Advance::Yes, 0}, // 18
    {"LiqTemperReadyMenu", "Engine heat.", "Прогрев ДВС", Cond::Always, 0, Advance::Yes, 0}, // 19
    {"Vel100Menu", "Zero to", "Разгон до", Cond::Always, 0, Advance::Yes, 0}, // 20
    {"Vel100DownMenu", "Brak.from", "Тормож. с", Cond::Always, 0, Advance::Yes, 0}, // 21
    {"Intense0Menu", "Brightn./Day", "Яркость/День", Cond::Always, 0, Advance::Yes, 0}, // 22
    {"Intense1Menu", "Brightn./Night", "Яркость/Ночь", Cond::Always, 0, Advance::Yes, 0}, // 23
    {"AlarmPermJournMenu", "Warnings log", "Журнал предупр.", Cond::Always, 0, Advance::Yes, 0}, // 24
    {"SoundVolumeMenu", "Volume", "Громкость", Cond::VolumeControl, 0, Advance::No, 0}, // 25
    {"FlagSoundMenu", "Sound off", "Откл.звук", Cond::Always, 0, Advance::Yes, 0}, // 26
    {"SayParamPeriodMenu", "Auto-repeat", "Автоповтор", Cond::VolumeControl, 0, Advance::No, 0}, // 27
    {"apVelMenu", "High speed", "Превыш.скорость", Cond::Always, 0, Advance::Yes, 0}, // 28
    {"AlarmVelSecNoSayMaxMenu", "Speed thinning", "Скор.прореж.", Cond::Always, 0, Advance::Yes, 0}, // 29
    {"apRevMenu", "High eng.speed", "Превыш.обороты", Cond::Always, 0, Advance::Yes, 0}, // 30
    {"apTankMenu", "Fuel rem.", "Остаток бака", Cond::Always, 0, Advance::Yes, 0}, // 31
    {"apHoloMenu", "Glaze ice", "Гололед", Cond::IceWarning, 0, Advance::SharedWithNext, 0}, // 32
    {"LightsOnMenu", "LowBeamCntr", "Упр.Бл.Свет", Cond::LowBeamControl, 0, Advance::Yes, 0}, // 32
    {"apEconomMenu", "Econometer", "Эконометр", Cond::Always, 0, Advance::Yes, 0}, // 33
    {"apGabarMenu", "Park.lights", "Габариты", Cond::LightWarnings, 0, Advance::Yes, 0}, // 34
    {"apLightsMenu", "Low beam", "Ближн.Свет", Cond::LightWarnings, 0, Advance::Yes, 0}, // 35
    {"apTankFullMenu", "Full tank", "Полный бак", Cond::Always, 0, Advance::Yes, 0}, // 36
    {"apInjTimeMenu", "%Inj/Exp", "%Впрыск/расход", Cond::Always, 0, Advance::Yes, 0}, // 37
    {"apErrorMenu", "Fault", "Неисправность", Cond::Always, 0, Advance::Yes, 0}, // 38
    {"apLiqTempHighMenu", "Coolant overheat", "Перегрев ОЖ", Cond::Always, 0, Advance::Yes, 0}, // 39
    {"apLiqTempReadyMenu", "Eng.heating", "Прогрев ДВС", Cond::Always, 0, Advance::Yes, 0}, // 40
    {"InitTripParamsMenu", "Reset trip", "Сброс Поездка", Cond::Always, 0, Advance::Yes, 0}, // 41
    {"InitReset0ParamsMenu", "Reset Reset1", "Сброс Сброс1", Cond::Always, 0, Advance::Yes, 0}, // 42
    {"InitReset1ParamsMenu", "Reset Reset2", "Сброс Cброс2", Cond::Always, 0, Advance::Yes, 0}, // 43
    {"InitStopParamsMenu", "Reset Jams", "Сброс Пробки", Cond::TrafficStats, 0, Advance::Yes, 0}, // 44
    {"InitNoStopParamsMenu", "Reset Traffic", "Сброс БезПробок", Cond::TrafficStats, 0, Advance::Yes, 0}, // 45
    {"TripMinStopMenu", "Continuous trip", "Непрер.Поездки", Cond::Always, 0, Advance::Yes, 0}, // 46
    {"TripJournMenu", "Trip log", "Журнал поездок", Cond::Always, 0, Advance::Yes, 0}, // 47
    {"ContinueTripMenu", "Continue", "Продолжить", Cond::Always, 0, Advance::Yes, 0}, // 48
    {"WriteTripMenu", "Save", "Записать", Cond::Always, 0, Advance::Yes, 0}, // 49
    {"WriteTrip", kNumberedEn, kNumberedRu, Cond::Always, 0, Advance::Yes, 20}, // 50–69
    {"ViewTripMenu", "View", "Просмотреть", Cond::Always, 0, Advance::Yes, 0}, // 70
    {"ViewTrip0Menu", "Last     MM:HH DD.MM", "Пoс.     ММ:ЧЧ ДД.ММ", Cond::Always, 0, Advance::Yes, 0}, // 71
    {"ViewTrip", kNumberedEn, kNumberedRu, Cond::Always, 0, Advance::Yes, 20}, // 72–91
    {"TankJournMenu", "Petrol log", "Журнал заправок", Cond::Always, 0, Advance::Yes, 0}, // 92
    {"ViewTank0Menu", "Last     MM:HH DD.MM", "Пoс.     ММ:ЧЧ ДД.ММ", Cond::Always, 0, Advance::Yes, 0}, // 93
    {"ViewTank", kNumberedEn, kNumberedRu, Cond::Always, 0, Advance::Yes, 20}, // 94–113
    {nullptr, nullptr, nullptr, Cond::Never, 0, Advance::Yes, 27}, // reserved 114–140
    {"ParkOffMenu", "Short shutdown", "Кратковр.откл.", Cond::Parktronic, 0, Advance::Yes, 0}, // 141
    {"ParkUseMenu_0", "Parktronic On/Off", "Парктроник Вкл/Откл", Cond::Parktronic, 0, Advance::Yes, 0}, // 142
    {"ParkSenseMenu_0", "Sensitivity", "Чувствит.", Cond::Parktronic, 0, Advance::Yes, 0}, // 143
    {"ParkSpeedMenu_0", "Operat.speed", "Быстродействие", Cond::Parktronic, 0, Advance::Yes, 0}, // 144
    {"ParkBeepTypeMenu", "Sound type", "Тип озвуч.", Cond::Parktronic, 0, Advance::Yes, 0}, // 145
    {"ParkAlwaysOnMenu", "Disable Auto/No", "Отключать Авто/Нет", Cond::Parktronic, 0, Advance::Yes, 0}, // 146
    {"ParkUseMenu_1", "F.Parktronic On/Off", "П.Парктроник Вкл/Откл", Cond::Parktronic, 0, Advance::Yes, 0}, // 147
    {"ParkForwConstOffMenu", "Work mode On/On 3s/R.mov", "Режим работы Вкл/Вкл3с/ДвЗад", Cond::Parktronic, 0, Advance::Yes, 0}, // 148
    {"ParkSenseMenu_1", "F.Sensitivity", "П.Чувствит.", Cond::Parktronic, 0, Advance::Yes, 0}, // 149
    {"ParkSpeedMenu_1", "F.Operat.speed", "П.Быстродействие", Cond::Parktronic, 0, Advance::Yes, 0}, // 150
    {"InitResetOnlyGasParamsMenu", "Reset Gas", "Сброс Газ", Cond::GasFuel, 0, Advance::Yes, 0}, // 151
    {"IntenseDayTimeMenu", "Day", "День", Cond::Always, 0, Advance::Yes, 0}, // 152
    {"IntenseNightTimeMenu", "Night", "Ночь", Cond::Always, 0, Advance::Yes, 0}, // 153
    {"ErrorsMenu", "ECU trouble codes", "Ошибки ЭБУ", Cond::Always, 0, Advance::Yes, 0}, // 154
    {"EBUInitMenu", "ECU initialization", "Инициализация ЭБУ", Cond::Always, 0, Advance::Yes, 0}, // 155
    {"InitResetOnlyOilParamsMenu", "Reset Petrol", "Сброс Бенз", Cond::GasFuel, 0, Advance::Yes, 0}, // 156
    {"FullGasTankMenu", "Ref.gas until full", "Запр.Газ до полн.", Cond::GasFuel, 0, Advance::Yes, 0}, // 157
    {"ToGasTankMenu", "Refuel.gas l", "Заправ.Газ л", Cond::GasFuel, 0, Advance::Yes, 0}, // 158
    {"InGasTankMenu", "Now gas l", "Теперь газа л", Cond::GasFuel, 0, Advance::Yes, 0}, // 159
    {"TareWeightMenu", "Tare weight,t", "Вес тары,т", Cond::Never, 0, Advance::Yes, 0}, // 160
    {"CargoDensMenu", "CargoDens.t/m3", "Плотн.гр,т/м3", Cond::Never, 0, Advance::Yes, 0}, // 161
    {"HVFanForcedOnMenu", "HVB Fan", "Вент.ВВБ", Cond::HybridDrive, 0, Advance::Yes, 0}, // 162
    {"BlocksBoschESP9Menu", "Bosch ESP9", "Bosch ESP9", Cond::Block, 27, Advance::Yes, 0}, // 163
    {"BlocksBoschESP91Menu", "Bosch ESP9.1", "Bosch ESP9.1", Cond::Block, 77, Advance::Yes, 0}, // 164
    {"BlocksBoschABSESP9Menu", "Bosch ABS/ESP9", "Bosch ABS/ESP9", Cond::Block, 28, Advance::Yes, 0}, // 165
    {"BlocksABSKesens102Menu", "ABS Kesens C102", "ABS Kesens C102", Cond::Block, 178, Advance::Yes, 0}, // 166
    {"BlocksABSItelmaMenu", "ABS Itelma", "ABS Itelma", Cond::Block, 180, Advance::Yes, 0}, // 167
    {"BlocksABSAPGMenu", "ABS APG", "ABS APG", Cond::Block, 37, Advance::Yes, 0}, // 168
    {"BlocksABS9Menu", "ABS 8/9", "ABS 8/9", Cond::Block, 22, Advance::Yes, 0}, // 169
};

bool Offered(const MenuRow& row, const ModelFeatures& f, const BlockPresence& blocks)
{
    switch (row.cond) {
    case Cond::Always: return true;
    case Cond::Never: return false;
    case Cond::IgnitionCorrection: return f.IgnitionCorrection;
    case Cond::VolumeControl: return !f.NoVolumeControl;
    case Cond::IceWarning: return !f.LowBeamOnAirInput && !f.KmPerLitre;
    case Cond::LowBeamControl: return f.LowBeamOnAirInput && f.LowBeamControl;
    case Cond::LightWarnings: return !f.NoLightWarnings;
    case Cond::TrafficStats: return !f.NoTrafficStats;
    case Cond::Parktronic: return !f.NoParktronic;
    case Cond::GasFuel: return !f.NoGasFuel;
    case Cond::HybridDrive: return f.HasHybridDrive;
    case Cond::Block:
        return f.EcuBlocksMenu && row.block >= kFirstBlockCode && row.block <= kLastBlockCode
            && blocks[static_cast<std::size_t>(row.block)];
    }
    return false;
}

std::string NumberedCaption(int n, const char* pattern)
{
    char number[16];
    std::snprintf(number, sizeof number, "%4d", n);
    return std::string(number) + "     " + pattern;
}

} // namespace

MenuItemList MakeMenuItemList(const ModelFeatures& features, const BlockPresence& blocks, Language language)
{
    MenuItemList list;
    std::uint16_t counter = 1;
    for (const auto& row : kMenuRows) {
        if (!row.name) { // reserved codes
            counter = static_cast<std::uint16_t>(counter + row.series);
            continue;
        }
        const bool offered = Offered(row, features, blocks);
        if (row.series > 0) {
            for (int n = 1; n <= row.series; ++n) {
                if (offered)
                    list.push_back(std::make_unique<MenuItem>(std::string(row.name) + std::to_string(n) + "Menu",
                                                                 NumberedCaption(n, IsEnglish(language) ? row.en : row.ru), counter));
                ++counter;
            }
            continue;
        }
        if (offered)
            list.push_back(std::make_unique<MenuItem>(row.name, Tr(language, row.ru, row.en), counter));
        if ((offered && row.advance != Advance::SharedWithNext) || (!offered && row.advance == Advance::Yes))
            ++counter;
    }
    return list;
}

const MenuItem* FindMenuItemByName(const MenuItemList& list, std::string_view name)
{
    for (const auto& item : list)
        if (item->Name == name)
            return item.get();
    return nullptr;
}

const MenuItem* FindMenuItemByCode(const MenuItemList& list, std::uint16_t code)
{
    for (const auto& item : list)
        if (item->Code == code)
            return item.get();
    return nullptr;
}

} // namespace tc
