// Rows of the voice, averages, parking and tank pages, and the structured
// values of the voice warnings and the tare table.
#include "editor/FieldRows.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/EditSession.h"
#include "editor/Rules.h"
#include "editor/TankFile.h"
#include "editor/VoiceModes.h"
#include "model/SettingsModel.h"

#include <charconv>
#include <string>
#include <vector>

namespace tc::rows {

namespace {

using namespace rules;

// ---- rules ----

bool VolumeControl(const RuleInput& in) { return !Features(in).NoVolumeControl; }
bool GasShown(const RuleInput& in) { return !Features(in).NoGasFuel; }
bool Never(const RuleInput&) { return false; }

// Litre values of the linear calibrations go up to the full-tank volume.
Range LitreRange(const RuleInput& in)
{
    const double volume = GetS16(in.model.Record(tank::kLinearRecord), 44);
    return {0, volume < 0 ? 0 : volume};
}
template <int I>
bool SevenPointShown(const RuleInput& in)
{
    return in.model.Record(tank::kLinearRecord)[tank::kSevenPointCountOffset] > I;
}
constexpr Rule kSevenPointShown[tank::kMaxLinearPoints] = {SevenPointShown<0>, SevenPointShown<1>, SevenPointShown<2>, SevenPointShown<3>,
                                                           SevenPointShown<4>, SevenPointShown<5>, SevenPointShown<6>};

// "Ручн.", "1" .. "99": the first reset period stores the index.
std::vector<std::string> ResetItems(const RuleInput& in, bool prohibited)
{
    std::vector<std::string> items;
    if (prohibited)
        items.push_back(Tr(in.ctx.language, "Запр.", "Proh."));
    items.push_back(Tr(in.ctx.language, "Ручн.", "Man."));
    for (int days = 1; days <= 99; ++days)
        items.push_back(std::to_string(days));
    return items;
}
std::vector<std::string> ResetItems(const RuleInput& in) { return ResetItems(in, false); }
std::vector<std::string> ResetItemsProhibited(const RuleInput& in) { return ResetItems(in, true); }

// ---- items ----

constexpr ItemDef kSoundOffItems[] = {
    {{"Да", "Yes"}}, {{"Нет", "No"}}, {{"Замок", "Lock"}}, {{"ОтГол", "OfVoice"}, 0, VolumeControl}};
constexpr ItemDef kGreetingItems[] = {{{"Вкл.", "On"}}, {{"Раз в сутки", "Once a day"}}, {{"Откл.", "Off"}}};
constexpr ItemDef kBeepItems[] = {{{"Нет", "No"}}, {{"Zumm", "Buzz"}}, {{"Пред.", "Limit"}}, {{"Голос", "Voice"}}};
constexpr ItemDef kFrontModeItems[] = {{{"Вкл", "On"}}, {{"Вкл3с", "On 3sec"}}, {{"ДвЗад", "Reverse"}}};
constexpr ItemDef kSlopeItems[] = {{{"Обратный", "Rev"}}, {{"Прямой", "Dir"}}, {{"Авто", "Auto"}}};

constexpr Text kCostGroup = {"Расчет стоимости", "Cost calculation"};
constexpr Text kResetGroup = {"Периоды автосброса, дни", "Autoreset periods"};
constexpr Text kRearGroup = {"Задний", "Rear"};
constexpr Text kFrontGroup = {"Передний", "Front"};
constexpr Text kTwoPointGroup = {"Линейный по 2 точкам", "Linear 2 points"};
constexpr Text kSevenPointGroup = {"Линейный по 7 точкам", "Linear 7 points"};

constexpr std::string_view kSevenLitreKeys[] = {"tank.seven_point1.litres", "tank.seven_point2.litres", "tank.seven_point3.litres", "tank.seven_point4.litres",
                                                "tank.seven_point5.litres", "tank.seven_point6.litres", "tank.seven_point7.litres"};
constexpr std::string_view kSevenUnitKeys[] = {"tank.seven_point1.units", "tank.seven_point2.units", "tank.seven_point3.units", "tank.seven_point4.units",
                                               "tank.seven_point5.units", "tank.seven_point6.units", "tank.seven_point7.units"};
constexpr Text kSevenLitreCaptions[] = {{"1: литры", "1: litres"}, {"2: литры", "2: litres"}, {"3: литры", "3: litres"}, {"4: литры", "4: litres"},
                                        {"5: литры", "5: litres"}, {"6: литры", "6: litres"}, {"7: литры", "7: litres"}};
constexpr Text kSevenUnitCaptions[] = {{"1: у.е.", "1: CU"}, {"2: у.е.", "2: CU"}, {"3: у.е.", "3: CU"}, {"4: у.е.", "4: CU"},
                                       {"5: у.е.", "5: CU"}, {"6: у.е.", "6: CU"}, {"7: у.е.", "7: CU"}};

constexpr std::string_view kVoiceMisc = "voice.misc";
constexpr std::string_view kTankPart = "tank"; // the tank page lays out all its rows itself

// The rear and the front parking sensors share their first settings, each
// of the front's one byte after the rear's.
struct SensorSide {
    std::string_view keys[7]; // use, sensitivity, response, alarm, stop speed, stop distance, sensors
    int side;                 // 0 rear, 1 front: added to every offset
    Text group;
    double stopSpeedMax;
    Text stopSpeedCaption;
    double stopDistanceMin;
    Text stopDistanceCaption;
};

constexpr SensorSide kRearSensors = {{"parking.rear.use", "parking.rear.sensitivity", "parking.rear.response", "parking.rear.alarm",
                                      "parking.rear.stop_speed", "parking.rear.stop_distance", "parking.rear.sensors"},
                                     0, kRearGroup, 20, {"ПаркStop скорость", "ParkStop speed"}, 40, {"ПаркStop cм", "ParkStop,cm"}};
constexpr SensorSide kFrontSensors = {{"parking.front.use", "parking.front.sensitivity", "parking.front.response", "parking.front.alarm",
                                       "parking.front.stop_speed", "parking.front.stop_distance", "parking.front.sensors"},
                                      1, kFrontGroup, 90, {"Парк скорость", "Park.speed"}, 50, {"Парк cм", "Park,cm"}};

void AppendSensorRows(std::vector<Field>& rows, const SensorSide& s)
{
    const auto& k = s.keys;
    const int o = s.side;
    rows.insert(rows.end(), {
        {.key = k[0], .page = Page::Parking, .kind = ControlKind::Check, .record = 2, .offset = 0 + o, .codec = Codec::U8,
         .caption = {"Использовать", "Use"}, .group = s.group},
        {.key = k[1], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 2 + o, .codec = Codec::S8,
         .min = 1, .max = 7, .caption = {"Чувствительность", "Sensitivity"}, .group = s.group},
        {.key = k[2], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 4 + o, .codec = Codec::S8,
         .min = 1, .max = 3, .caption = {"Быстродействие", "Speed"}, .group = s.group},
        {.key = k[3], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 6 + o, .codec = Codec::S8,
         .scaleDen = 10, .min = 30, .max = 90, .step = 10, .typing = false, .caption = {"Граница тревога", "Alarm limit"}, .group = s.group},
        {.key = k[4], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 8 + o, .codec = Codec::S8,
         .min = 0, .max = s.stopSpeedMax, .caption = s.stopSpeedCaption, .group = s.group},
        {.key = k[5], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 10 + o, .codec = Codec::S8,
         .scaleDen = 10, .min = s.stopDistanceMin, .max = 250, .step = 10, .typing = false, .caption = s.stopDistanceCaption, .group = s.group},
        {.key = k[6], .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 20 + o, .codec = Codec::S8,
         .min = 2, .max = 4, .caption = {"Количество датчиков", "Number of sensors"}, .group = s.group},
    });
}

std::vector<Field> BuildRows()
{
    std::vector<Field> rows = {
        // Voice: the general sound settings (the warnings are a grid of their own)
        {.key = "voice.volume", .page = Page::Voice, .kind = ControlKind::Number, .record = 9, .offset = 281, .codec = Codec::S8, .min = 0,
         .max = 8, .caption = {"Громкость", "Sound volume"}, .part = kVoiceMisc, .visible = VolumeControl},
        {.key = "voice.sound_off", .page = Page::Voice, .kind = ControlKind::Radio, .record = 9, .offset = 282, .codec = Codec::S8,
         .caption = {"Откл.звук", "Sound off"}, .part = kVoiceMisc, .items = kSoundOffItems, .columns = 0},
        {.key = "voice.greeting", .page = Page::Voice, .kind = ControlKind::Radio, .record = 9, .offset = 280, .codec = Codec::S8,
         .caption = {"Произносить \"Здравствуйте\"", "Say \"Hello\""}, .part = kVoiceMisc, .items = kGreetingItems, .columns = 0,
         .visible = VolumeControl},
        {.key = "voice.repeat_period", .page = Page::Voice, .kind = ControlKind::Number, .record = 9, .offset = 279, .codec = Codec::S8, .min = 4,
         .max = 99, .caption = {"Период автоповтора озвуч. параметров  (4=откл)", "Period of auto.rep. of the sound of parameters (4=Off)"},
         .part = kVoiceMisc, .visible = VolumeControl},
        {.key = "voice.speeding_thinning", .page = Page::Voice, .kind = ControlKind::Number, .record = 8, .offset = 32, .codec = Codec::S8,
         .min = -1, .max = 99, .caption = {"Прореживание сообщений о превыш. скорости, мин (-1=П) ", "Thinning out reports of speeding(-1=N)"},
         .part = kVoiceMisc},
        {.key = "voice.econometer_period", .page = Page::Voice, .kind = ControlKind::Number, .record = 9, .offset = 278, .codec = Codec::S8,
         .min = 1, .max = 20, .caption = {"Эконометр период", "Econometer period"}, .part = kVoiceMisc},
        {.key = "voice.key_sound", .page = Page::Voice, .kind = ControlKind::Check, .record = 9, .offset = 0, .codec = Codec::Bits, .bit = 2,
         .caption = {"Вкл. звук при нажатии кнопок", "Sound on when key pressed"}, .part = kVoiceMisc},
        {.key = "voice.lock_sound", .page = Page::Voice, .kind = ControlKind::Check, .record = 9, .offset = 0, .codec = Codec::Bits, .bit = 3,
         .caption = {"Вкл. звук при включении замка зажигания", "Sound on when lock on"}, .part = kVoiceMisc},

        // Averages
        {.key = "averages.trip_pause", .page = Page::Averages, .kind = ControlKind::Number, .record = 7, .offset = 10, .codec = Codec::S16,
         .scaleDen = 5, .min = 0, .max = 995, .step = 5, .typing = false, .caption = {"Непрерывание поезки, мин", "continuous trips"}},
        {.key = "averages.trip_journal", .page = Page::Averages, .kind = ControlKind::Check, .record = 7, .offset = 9, .codec = Codec::U8,
         .caption = {"Автоматическая запись в журнал поездок", "automatic recording in the trip log"}},
        {.key = "averages.trip_show", .page = Page::Averages, .kind = ControlKind::Check, .record = 7, .offset = 8, .codec = Codec::U8,
         .caption = {"Показ поездки", "showing the trip"}},
        {.key = "averages.price_time", .page = Page::Averages, .kind = ControlKind::Number, .record = 7, .offset = 2, .codec = Codec::S16,
         .min = 0, .max = 999, .caption = {"Время, 1час", "Time, 1h"}, .group = kCostGroup},
        {.key = "averages.price_distance", .page = Page::Averages, .kind = ControlKind::Number, .record = 7, .offset = 4, .codec = Codec::S16,
         .scaleNum = 10, .decimals = 1, .min = 0, .max = 99.9, .step = 0.1, .caption = {"Пробег, 1км", "Path,1km"}, .group = kCostGroup},
        {.key = "averages.price_petrol", .page = Page::Averages, .kind = ControlKind::Number, .record = 7, .offset = 0, .codec = Codec::S16,
         .scaleNum = 10, .decimals = 1, .min = 0, .max = 99.9, .step = 0.1, .caption = {"Бензин, 1л", "Petrol,1l"}, .group = kCostGroup},
        {.key = "averages.price_gas", .page = Page::Averages, .kind = ControlKind::Number, .record = 7, .offset = 6, .codec = Codec::S16,
         .scaleNum = 10, .decimals = 1, .min = 0, .max = 99.9, .step = 0.1, .caption = {"Газ, 1л", "Gas,1l"}, .group = kCostGroup,
         .visible = GasShown},
        {.key = "averages.reset1", .page = Page::Averages, .kind = ControlKind::Choice, .record = 1, .offset = 152, .codec = Codec::S8,
         .caption = {"1", "1"}, .group = kResetGroup, .itemsRule = ResetItems},
        {.key = "averages.reset2", .page = Page::Averages, .kind = ControlKind::Choice, .record = 1, .offset = 153, .codec = Codec::S8,
         .caption = {"2", "2"}, .group = kResetGroup, .itemsRule = ResetItemsProhibited, .itemOffset = -1},
        {.key = "averages.reset_gas_petrol", .page = Page::Averages, .kind = ControlKind::Choice, .record = 1, .offset = 158, .codec = Codec::S8,
         .caption = {"Г/Б", "G/P"}, .group = kResetGroup, .itemsRule = ResetItemsProhibited, .itemOffset = -1, .visible = GasShown},
    };
    // Parking: rear sensors, then front sensors
    AppendSensorRows(rows, kRearSensors);
    rows.insert(rows.end(), {
        {.key = "parking.rear.sound", .page = Page::Parking, .kind = ControlKind::Radio, .record = 2, .offset = 14, .codec = Codec::S8,
         .caption = {"Тип озвучки", "Sound type"}, .group = kRearGroup, .items = kBeepItems, .columns = 0},
        {.key = "parking.rear.beep_distance", .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 15, .codec = Codec::S8,
         .scaleDen = 10, .min = 40, .max = 250, .step = 10, .typing = false, .caption = {"Бип Stop cм", "Stop buzz cm"}, .group = kRearGroup},
        {.key = "parking.rear.tow_bar", .page = Page::Parking, .kind = ControlKind::Number, .record = 2, .offset = 17, .codec = Codec::S8,
         .min = 0, .max = 50, .caption = {"Фаркоп см", "Tow bar cm"}, .group = kRearGroup},
    });
    AppendSensorRows(rows, kFrontSensors);
    rows.insert(rows.end(), {
        {.key = "parking.front.mode", .page = Page::Parking, .kind = ControlKind::Radio, .record = 2, .offset = 16, .codec = Codec::S8,
         .caption = {"Режим работы", "Operation mode"}, .group = kFrontGroup, .items = kFrontModeItems, .columns = 0},

        // Tank: two-point calibration
        {.key = "tank.two_point1.litres", .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 2, .codec = Codec::S16,
         .min = 0, .max = 2040, .range = LitreRange, .caption = {"1: литры", "1: litres"}, .group = kTwoPointGroup, .part = kTankPart},
        {.key = "tank.two_point1.units", .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 0, .codec = Codec::S16,
         .min = 0, .max = 2000, .caption = {"1: у.е.", "1: CU"}, .group = kTwoPointGroup, .part = kTankPart},
        {.key = "tank.two_point2.litres", .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 6, .codec = Codec::S16,
         .min = 0, .max = 2040, .range = LitreRange, .caption = {"2: литры", "2: litres"}, .group = kTwoPointGroup, .part = kTankPart},
        {.key = "tank.two_point2.units", .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 4, .codec = Codec::S16,
         .min = 0, .max = 2000, .caption = {"2: у.е.", "2: CU"}, .group = kTwoPointGroup, .part = kTankPart},
        // Seven-point calibration: the count, then the points it uses
        {.key = "tank.seven_points", .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 36, .codec = Codec::U8, .min = 0,
         .max = tank::kMaxLinearPoints, .caption = {"Кол-во точек", "Points qnt"}, .group = kSevenPointGroup, .part = kTankPart},
    });
    for (int i = 0; i < tank::kMaxLinearPoints; ++i) {
        rows.push_back({.key = kSevenLitreKeys[i], .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 22 + 2 * i,
                        .codec = Codec::S16, .min = 0, .max = 2040, .range = LitreRange, .caption = kSevenLitreCaptions[i],
                        .group = kSevenPointGroup, .part = kTankPart, .visible = kSevenPointShown[i]});
        rows.push_back({.key = kSevenUnitKeys[i], .page = Page::Tank, .kind = ControlKind::Number, .record = 3, .offset = 8 + 2 * i,
                        .codec = Codec::S16, .min = 0, .max = 2000, .caption = kSevenUnitCaptions[i], .group = kSevenPointGroup,
                        .part = kTankPart, .visible = kSevenPointShown[i]});
    }
    // Tare table: its rows sit beside the table's grid
    const Field tare[] = {
        {.key = "tank.tare_finished", .page = Page::Tank, .kind = ControlKind::Check, .record = 4, .offset = 1, .codec = Codec::U8,
         .caption = {"Тарировка проведена", "Tare finished"}, .part = kTankPart},
        {.key = "tank.tare_points", .page = Page::Tank, .kind = ControlKind::Number, .record = 4, .offset = 2, .codec = Codec::U8, .min = 0,
         .max = tank::kMaxTarePoints, .typing = false, .caption = {"Количество точек тарировки", "Tare points qnt"}, .part = kTankPart},
        {.key = "tank.sensor_slope", .page = Page::Tank, .kind = ControlKind::Radio, .record = 4, .offset = 7, .codec = Codec::U8,
         .caption = {"Наклон ДУТ (справочно)", "FLS slope"}, .part = kTankPart, .items = kSlopeItems, .columns = 0, .enabled = Never},
    };
    rows.insert(rows.end(), std::begin(tare), std::end(tare));
    return rows;
}

// ---- structured values ----

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// voice.mode.NAME=FIRST,NEXT (a one-group warning: voice.mode.NAME=MODE); an
// empty side keeps that group's mode.
void ApplyVoiceMode(EditSession& s, const KeyParts& key, std::string_view value)
{
    const auto& ctx = s.Context();
    const voice::WarningRow* row = voice::FindWarningRow(key[0]);
    if (!row) {
        std::string names;
        for (const auto& r : voice::WarningRows())
            names += (names.empty() ? "" : ", ") + std::string(r.key);
        throw Error(Tr(ctx.language, "Нет предупреждения «" + std::string(key.key) + "». Есть: " + names,
                           "No warning \"" + std::string(key.key) + "\". There are: " + names));
    }
    const voice::ShownWarning shown = voice::ShowWarning(*row, RuleInput{ctx, s.Model()});
    if (!shown.visible)
        throw Error(Tr(ctx.language, "Предупреждение «" + shown.label + "» скрыто для этой модели и этих настроек",
                           "The warning \"" + shown.label + "\" is hidden for this model and these settings"));
    const auto comma = value.find(',');
    if (row->paired != (comma != std::string_view::npos))
        throw Error(row->paired ? Tr(ctx.language, "У предупреждения «" + shown.label + "» два режима: ПЕРВЫЙ,ПОСЛЕДУЮЩИЕ (О, Н, Б, М, Г)",
                                         "The warning \"" + shown.label + "\" takes two modes: FIRST,NEXT (O, N, B, M, V)")
                                : Tr(ctx.language, "У предупреждения «" + shown.label + "» один режим (О, Н, Б, М, Г)",
                                         "The warning \"" + shown.label + "\" takes one mode (O, N, B, M, V)"));
    const auto mode = [&](std::string_view text, int current) {
        text = TrimBlanks(text);
        const int m = text.empty() ? current : voice::ParseMode(text);
        if (m < 0)
            throw Error(Tr(ctx.language, "Режим «" + std::string(text) + "» не подходит: О, Н, Б, М или Г",
                               "\"" + std::string(text) + "\" is not a mode: O, N, B, M or V"));
        return m;
    };
    const int first = mode(value.substr(0, comma), shown.first);
    const int next = row->paired ? mode(value.substr(comma + 1), shown.next) : first;
    s.Apply([&](SettingsModel& m) { voice::StoreWarning(m, *row, first, next, ctx); });
}

// tank.tare.N=LITRES,UNITS for a point 1..count, digits as the grid takes them.
void ApplyTarePoint(EditSession& s, const KeyParts& key, std::string_view value)
{
    const auto& ctx = s.Context();
    const std::string_view number = key[0];
    const int count = tank::TareCount(s.Model());
    int point = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), point);
    if (ec != std::errc() || end != number.data() + number.size() || point < 1 || point > count)
        throw Error(Tr(ctx.language, "Нет точки тарировки «" + std::string(number) + "»: точки 1.." + std::to_string(count) +
                               " (их число задаёт tank.tare_points)",
                           "No tare point \"" + std::string(number) + "\": points 1.." + std::to_string(count) +
                               " (tank.tare_points sets their number)"));
    const auto comma = value.find(',');
    if (comma == std::string_view::npos)
        throw Error(Tr(ctx.language, "Точка тарировки задаётся как ЛИТРЫ,УЕ", "A tare point is given as LITRES,UNITS"));
    const tank::TarePoint p = tank::ParseTarePoint(s, value.substr(0, comma), value.substr(comma + 1));
    s.Apply([&](SettingsModel& m) { tank::StoreTarePoint(m, point - 1, p); });
}

constexpr StructuredKey kKeys[] = {
    {"voice.mode.NAME", "FIRST,NEXT or MODE for a one-mode warning: О/O, Н/N, Б/B, М/M, Г/V or 0..4; an empty side keeps it", ApplyVoiceMode},
    {"tank.tare.N", "LITRES,UNITS of tare point N (1..tank.tare_points); only the digits count", ApplyTarePoint},
};

} // namespace

std::span<const Field> Voice()
{
    static const std::vector<Field> rows = BuildRows();
    return rows;
}

std::span<const StructuredKey> VoiceKeys()
{
    return kKeys;
}

} // namespace tc::rows
