#include "journals/Journals.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Language.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace tc {

namespace {

__extension__ typedef __int128 Wide; // products of 32-bit values with prices and scales

// At least two digits, as the journals write months, hours and minutes.
std::string TwoDigits(std::uint64_t v)
{
    return v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

std::string WideToString(Wide v)
{
    if (v == 0)
        return "0";
    std::string s;
    while (v > 0) {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    }
    return s;
}

// num / den rounded half away from zero to an integer.
Wide RoundHalfAway(Wide num, Wide den)
{
    const bool negative = num < 0;
    const Wide a = negative ? -num : num;
    Wide q = a / den;
    if (2 * (a % den) >= den)
        ++q;
    return negative ? -q : q;
}

// num / den (both not negative) rounded to the nearest integer, halves to even.
Wide RoundHalfEven(Wide num, Wide den)
{
    Wide q = num / den;
    const Wide twice = 2 * (num % den);
    if (twice > den || (twice == den && q % 2 != 0))
        ++q;
    return q;
}

Wide PowerOfTen(int decimals)
{
    Wide scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

std::string FormatFixedWide(Wide num, Wide den, int decimals, const NumberFormat& fmt)
{
    const Wide scale = PowerOfTen(decimals);
    const Wide scaled = RoundHalfAway(num * scale, den);
    const bool negative = scaled < 0;
    const Wide a = negative ? -scaled : scaled;
    std::string text = (negative ? "-" : "") + WideToString(a / scale);
    if (decimals > 0) {
        std::string frac = WideToString(a % scale);
        frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
        text += fmt.decimalSeparator + frac;
    }
    return text;
}

// A number of a journal cell before it is written: num / den, rounded half
// away from zero to `decimals` digits. The grid's text and the chart's value
// both come from it.
struct FixedCell {
    Wide num;
    Wide den;
    int decimals;
    std::string Text(const NumberFormat& fmt) const { return FormatFixedWide(num, den, decimals, fmt); }
    double Value() const
    {
        const Wide scale = PowerOfTen(decimals);
        return static_cast<double>(RoundHalfAway(num * scale, den)) / static_cast<double>(scale);
    }
};

std::size_t JournalOffset(JournalKind kind)
{
    return kind == JournalKind::Trip ? kTripJournalOffset : kRefuelJournalOffset;
}

// Journal record fields.
constexpr std::size_t kRecMinutes = 0, kRecDay = 2, kRecMonth = 3, kRecTime = 4, kRecDistance = 8, kRecPetrol = 12, kRecGas = 16;

// Fault record fields; the freeze-frame values from offset 12 on, as
// kFreezeFrameRows places them.
constexpr std::size_t kFaultMinutes = 0, kFaultDay = 2, kFaultMonth = 3, kFaultCode = 4, kFreezeCode = 8;

struct SummatorLayout {
    Summator id;
    std::size_t offset;
    bool hasPetrol;
    bool hasGas;
    std::string_view russian;
    std::string_view english;
};

// Each summator: time, distance, then petrol and/or gas, 32 bits each.
constexpr std::array<SummatorLayout, kSummatorCount> kSummatorLayout = {{
    {Summator::All, 0, true, true, "Накопительные / Общие", "Cumulative / General"},
    {Summator::Trip, 16, true, true, "Поездка", "Trip"},
    {Summator::Reset1, 32, true, true, "Сброс 1", "Reset 1"},
    {Summator::Stop, 48, true, true, "Пробки", "Jams"},
    {Summator::NoStop, 64, true, true, "Без пробок", "Traffic"},
    {Summator::Tank, 80, true, true, "Сброс 2 ( Между заправками )", "Reset 2 (between gas stations)"},
    {Summator::OilOnly, 96, true, false, "Только бензин", "Petrol only"},
    {Summator::GasOnly, 108, false, true, "Только газ", "Gas only"},
}};

const SummatorLayout& LayoutOf(Summator s)
{
    return kSummatorLayout.at(static_cast<std::size_t>(s));
}

constexpr FreezeFrameRow kFreezeFrameRows[] = {
    {3, 12, FreezeValue::FuelSystem1, "Fuel system 1 status", "Сост. топливной системы 1"},
    {3, 12, FreezeValue::FuelSystem2, "Fuel system 2 status", "Сост. топливной системы 2"},
    {4, 14, FreezeValue::Integer, "Calc.engine load, %", "Нагрузка на двигатель, %"},
    {5, 16, FreezeValue::Integer, "Eng.coolant temper., C", "ТОЖ, С"},
    {6, 18, FreezeValue::Integer, "Short term fuel trim-Bank 1, %", "Краткосрочная корр.подачи топл.Б1, %"},
    {8, 20, FreezeValue::Integer, "Short term fuel trim-Bank 2, %", "Краткосрочная корр.подачи топл.Б2, %"},
    {7, 22, FreezeValue::Integer, "Long term fuel trim-Bank 1, %", "Долгосрочная корр.продачи топл.Б1, %"},
    {9, 24, FreezeValue::Integer, "Long term fuel trim-Bank 2, %", "Долгосрочная корр.продачи топл.Б2, %"},
    {10, 26, FreezeValue::Tenths, "Fuel pressure, kPa", "Давление топлива, кПа"},
    {11, 28, FreezeValue::Integer, "Intake manifold pressure, kPa", "Давление во впускном коллекторе, кПа"},
    {12, 32, FreezeValue::Integer, "Engine RPM", "Обороты/мин"},
    {13, 30, FreezeValue::Integer, "Vehicle speed, km/h", "Скорость, км/час"},
    {14, 34, FreezeValue::Tenths, "Timing advance", "Угол опережения зажигания, ВМТ"},
    {15, 36, FreezeValue::Integer, "Intake air temperature, C", "Температура впускного воздуха, С"},
    {16, 38, FreezeValue::Tenths, "MAF air flow rate, kg/h", "Массовый расход воздуха, кг/час"},
    {17, 40, FreezeValue::Integer, "Throttle position, %", "Дроссель, %"},
    // The device's texts have no English label for the secondary air.
    {18, 42, FreezeValue::AirStatus, "Состояние вторичного воздуха", "Состояние вторичного воздуха"},
    {20, 44, FreezeValue::Hundredths, "Oxygen sensor voltage 1, V", "Датчик кислорода 1, В"},
    {21, 46, FreezeValue::Hundredths, "Oxygen sensor voltage 2, V", "Датчик кислорода 2, В"},
    {31, 48, FreezeValue::Integer, "Run time since engine start, s", "Время с момента запуска двигателя, с"},
    {33, 50, FreezeValue::Integer, "Distance traveled with MIL on, km", "Пробег с вкл. лампой неиспр., км"},
    {34, 52, FreezeValue::Integer, "Fuel Rail Press.(rel.to manifold vacuum), kPa", "Давление в топл.рампе отн.вакуума, кПа"},
    {35, 54, FreezeValue::Tenths, "Fuel Pressure (diesel), kPa", "Давление в топл.рампе (выс.диап.), кПа"},
    {44, 56, FreezeValue::Integer, "Commanded EGR, %", "Желаемый расход системы EGR, %"},
    {45, 58, FreezeValue::Integer, "EGR Error, %", "Ошибка регул.расхода сис.EGR, %"},
    {46, 60, FreezeValue::Integer, "Commanded evaporative purge, %", "Жел.уровень продувки паров топлива, %"},
    {48, 62, FreezeValue::Integer, "# of warm-ups since codes cleared", "Число прогревов двиг.с момента сброса ошибок"},
    {49, 64, FreezeValue::Integer, "Distance traveled since codes cleared, km", "Пробег с момента сброса ошибок, км"},
    {50, 66, FreezeValue::Integer, "Evap. System Vapor Pressure, Pa", "Давление паров топ.в системе продувки"},
    {51, 68, FreezeValue::Integer, "Barometric pressure, kPa", "Атмосферное давление, кПа"},
    {60, 70, FreezeValue::Integer, "Catalyst Temperature B1 S1, C", "Температура катализатора B1 S1, С"},
    {61, 72, FreezeValue::Integer, "Catalyst Temperature B2 S1, C", "Температура катализатора B2 S1, С"},
    {62, 74, FreezeValue::Integer, "Catalyst Temperature B1 S2, C", "Температура катализатора B1 S2, С"},
    {63, 76, FreezeValue::Integer, "Catalyst Temperature B2 S2, C", "Температура катализатора B2 S2, С"},
    {66, 78, FreezeValue::Tenths, "Control module voltage, V", "Напряжение питания БУ, В"},
    {68, 80, FreezeValue::Hundredths, "Command equivalence ratio", "Желаемое значение лямбда"},
    {69, 82, FreezeValue::Integer, "Relative throttle position, %", "Отн.положение дросс.заслонки, %"},
    {70, 84, FreezeValue::Integer, "Ambient air temperature, C", "Температура внешнего воздуха, C"},
    {76, 86, FreezeValue::Integer, "Commanded throttle actuator, %", "Жел. положение привода дросселя, %"},
    {77, 88, FreezeValue::Integer, "Time run with MIL on, min", "Время с момента вкл.лампы неиспр., мин"},
    {78, 90, FreezeValue::Integer, "Time since trouble codes cleared, min", "Время с момента сброса ошибок, мин"},
};

std::string Hex(std::uint32_t v, int minDigits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", minDigits, static_cast<unsigned>(v));
    return buf;
}

std::string FreezeValueText(const FreezeFrameRow& row, std::span<const std::uint8_t> rec, const NumberFormat& fmt)
{
    switch (row.kind) {
    case FreezeValue::FuelSystem1:
        return FuelSystemStatusText(static_cast<std::uint8_t>(GetU16(rec, row.offset) >> 8), fmt.language);
    case FreezeValue::FuelSystem2:
        return FuelSystemStatusText(static_cast<std::uint8_t>(GetU16(rec, row.offset) & 0xFF), fmt.language);
    case FreezeValue::Integer:
        return std::to_string(GetS16(rec, row.offset));
    case FreezeValue::Tenths:
        return FormatFixed(GetS16(rec, row.offset), 10, 1, fmt);
    case FreezeValue::Hundredths:
        return FormatFixed(GetS16(rec, row.offset), 100, 2, fmt);
    case FreezeValue::AirStatus:
        return SecondaryAirStatusText(static_cast<std::uint8_t>(GetU16(rec, row.offset) & 0xFF), fmt.language);
    }
    return {};
}

} // namespace

std::string FormatFixed(std::int64_t num, std::int64_t den, int decimals, const NumberFormat& fmt)
{
    if (den <= 0 || decimals < 0 || decimals > 9)
        throw std::invalid_argument("FormatFixed needs a positive divisor and 0..9 decimals");
    return FormatFixedWide(num, den, decimals, fmt);
}

std::string FormatHoursMinutes(std::uint64_t minutes)
{
    return std::to_string(minutes / 60) + ":" + TwoDigits(minutes % 60);
}

// ---- Trip and refuelling journals ----------------------------------------------

std::span<const std::uint8_t> JournalRecord(const SettingsModel& model, JournalKind kind, int index)
{
    if (index < 0 || index >= kJournalRecordCount)
        throw std::out_of_range("journal record index");
    const std::size_t offset = JournalOffset(kind) + static_cast<std::size_t>(index) * kJournalRecordSize;
    return model.Record(7).subspan(offset, kJournalRecordSize);
}

namespace {

FixedCell TripCostCell(const SettingsModel& model, std::span<const std::uint8_t> rec)
{
    const auto r7 = model.Record(7);
    const Wide petrolPrice = GetS16(r7, kPetrolPriceOffset);
    const Wide hourPrice = GetS16(r7, kHourPriceOffset);
    const Wide kmPrice = GetS16(r7, kKmPriceOffset);
    const Wide gasPrice = GetS16(r7, kGasPriceOffset);
    // (d/1000 × km + p/1000 × petrol + g/1000 × gas + t/360 × hour) / 10, over 90000.
    const Wide sum1000 = Wide{GetU32(rec, kRecDistance)} * kmPrice + Wide{GetU32(rec, kRecPetrol)} * petrolPrice
        + Wide{GetU32(rec, kRecGas)} * gasPrice;
    const Wide num = 9 * sum1000 + 25 * Wide{GetU32(rec, kRecTime)} * hourPrice;
    return {num, 90000, 1};
}

// Fuel per 100 km, 1 decimal; nothing without distance.
std::optional<FixedCell> Per100Cell(std::span<const std::uint8_t> rec)
{
    const std::uint32_t distance = GetU32(rec, kRecDistance);
    if (distance == 0)
        return std::nullopt;
    const Wide fuel = Wide{GetU32(rec, kRecPetrol)} + GetU32(rec, kRecGas);
    return FixedCell{fuel * 100, distance, 1};
}

} // namespace

std::string TripCost(const SettingsModel& model, std::span<const std::uint8_t> rec, const NumberFormat& fmt)
{
    return TripCostCell(model, rec).Text(fmt);
}

TextTable FillJournal(const SettingsModel& model, JournalKind kind, const NumberFormat& fmt)
{
    TextTable t(kJournalRows, std::vector<std::string>(JournalColumnCount));
    t[0] = {"#",
            Tr(fmt.language, "Дата и время записи", "Date and time of rec."),
            Tr(fmt.language, "Время в пути", "Travel time"),
            Tr(fmt.language, "Пробег, км", "Mileage, km"),
            Tr(fmt.language, "Расход топлива, л", "Fuel expense, l"),
            Tr(fmt.language, "Ср. скорость, км/час", "Av. speed, km/h"),
            Tr(fmt.language, "Ср. расход на 100 км", "Av. expense per 100 km"),
            Tr(fmt.language, "Ср. расход в час", "Av. expense per hour"),
            Tr(fmt.language, "Стоимость", "Cost")};
    for (int r = 0; r < kJournalRecordCount; ++r) {
        auto& row = t[static_cast<std::size_t>(r) + 1];
        row[ColNumber] = r == 0 ? Tr(fmt.language, "Посл.", "Last") : std::to_string(r);
        const auto rec = JournalRecord(model, kind, r);
        const std::uint8_t day = GetU8(rec, kRecDay);
        if (day == 0) {
            row[ColDateTime] = Tr(fmt.language, "Пусто", "Empty");
            continue;
        }
        const std::uint16_t minutes = GetU16(rec, kRecMinutes);
        const std::uint32_t time = GetU32(rec, kRecTime);
        const std::uint32_t distance = GetU32(rec, kRecDistance);
        const Wide fuel = Wide{GetU32(rec, kRecPetrol)} + GetU32(rec, kRecGas);

        row[ColDateTime] = TwoDigits((minutes / 60) % 24) + ":" + TwoDigits(minutes % 60) + "   " + std::to_string(day) + "."
            + TwoDigits(GetU8(rec, kRecMonth));
        row[ColTravelTime] = FormatHoursMinutes(time / 60);
        row[ColMileage] = FormatFixedWide(distance, 1000, 3, fmt);
        row[ColFuel] = FormatFixedWide(fuel, 1000, 3, fmt);
        row[ColSpeed] = time > 0 ? WideToString(RoundHalfEven(Wide{distance} * 36, Wide{time} * 10)) : "---";
        const auto per100 = Per100Cell(rec);
        row[ColPer100] = per100 ? per100->Text(fmt) : "---";
        row[ColPerHour] = time > 0 ? FormatFixedWide(fuel * 36, Wide{time} * 10, 2, fmt) : "---";
        row[ColCost] = TripCost(model, rec, fmt);
    }
    return t;
}

void ClearJournal(SettingsModel& model, JournalKind kind)
{
    auto r7 = model.Record(7);
    for (int r = 0; r < kJournalRecordCount; ++r)
        PutU8(r7, JournalOffset(kind) + static_cast<std::size_t>(r) * kJournalRecordSize + kRecDay, 0);
}

// ---- Charts of the journals ------------------------------------------------------

namespace {

bool LeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

struct ChartRow {
    JournalChart chart;
    JournalKind journal;
    JournalColumn column;
    std::string_view russian, english;         // the selector's item
    std::string_view axisRussian, axisEnglish; // the value axis
};

constexpr std::array<ChartRow, kJournalChartCount> kChartRows = {{
    {JournalChart::TripConsumption, JournalKind::Trip, ColPer100, "Расход на 100 км, поездки", "Expense per 100 km, trips",
     "л/100 км", "l/100 km"},
    {JournalChart::RefuelConsumption, JournalKind::Refuel, ColPer100, "Расход на 100 км, заправки", "Expense per 100 km, refuels",
     "л/100 км", "l/100 km"},
    {JournalChart::TripCost, JournalKind::Trip, ColCost, "Стоимость поездок", "Trip cost", "Стоимость", "Cost"},
}};

const ChartRow& RowOf(JournalChart chart)
{
    return kChartRows.at(static_cast<std::size_t>(chart));
}

} // namespace

std::optional<JournalDateTime> JournalRecordDate(std::span<const std::uint8_t> rec, const JournalDateTime& today)
{
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int day = GetU8(rec, kRecDay);
    const int month = GetU8(rec, kRecMonth);
    if (day == 0 || month < 1 || month > 12 || day > kDays[month - 1])
        return std::nullopt;
    const int minutes = GetU16(rec, kRecMinutes);
    JournalDateTime when{today.year, month, day, (minutes / 60) % 24, minutes % 60};
    if (when > today)
        --when.year;
    while (month == 2 && day == 29 && !LeapYear(when.year))
        --when.year;
    return when;
}

JournalChartSource SourceOf(JournalChart chart)
{
    return {RowOf(chart).journal, RowOf(chart).column};
}

std::string JournalChartCaption(JournalChart chart, Language language)
{
    return Tr(language, RowOf(chart).russian, RowOf(chart).english);
}

std::string JournalChartAxisCaption(JournalChart chart, Language language)
{
    return Tr(language, RowOf(chart).axisRussian, RowOf(chart).axisEnglish);
}

std::vector<JournalChartPoint> JournalChartPoints(const SettingsModel& model, JournalChart chart, const JournalDateTime& today)
{
    const ChartRow& row = RowOf(chart);
    std::vector<JournalChartPoint> points;
    for (int r = 0; r < kJournalRecordCount; ++r) {
        const auto rec = JournalRecord(model, row.journal, r);
        const auto when = JournalRecordDate(rec, today);
        if (!when)
            continue;
        const std::optional<FixedCell> cell = row.column == ColCost ? std::optional<FixedCell>(TripCostCell(model, rec)) : Per100Cell(rec);
        if (cell)
            points.push_back({r, *when, cell->Value()});
    }
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.when < b.when; });
    return points;
}

// ---- Summators ------------------------------------------------------------------

std::string SummatorCaption(Summator s, Language language)
{
    const auto& l = LayoutOf(s);
    return Tr(language, l.russian, l.english);
}

SummatorValues ReadSummator(const SettingsModel& model, Summator s)
{
    const auto r1 = model.Record(1);
    const auto& l = LayoutOf(s);
    SummatorValues v;
    v.time = GetU32(r1, l.offset);
    v.distance = GetU32(r1, l.offset + 4);
    std::size_t next = l.offset + 8;
    if (l.hasPetrol) {
        v.petrol = GetU32(r1, next);
        next += 4;
    }
    if (l.hasGas)
        v.gas = GetU32(r1, next);
    if (s == Summator::All)
        v.kilometres = GetU32(r1, kKilometresOffset);
    return v;
}

TextTable FillSummator(const SummatorValues& v, const NumberFormat& fmt)
{
    const Wide fuel = Wide{v.petrol} + v.gas;
    const std::string none = "-----";
    return {
        {Tr(fmt.language, "Время", "Time"), FormatHoursMinutes(v.time / 60)},
        {Tr(fmt.language, "Пробег, км", "Mileage,m"), FormatFixedWide(Wide{v.distance} + Wide{1000} * v.kilometres, 1000, 3, fmt)},
        {Tr(fmt.language, "Расход, л", "Expense, l"), FormatFixedWide(fuel, 1000, 3, fmt)},
        {Tr(fmt.language, "Ср.скорость, км/час", "Av.speed, km/h"), v.time > 0 ? FormatFixedWide(Wide{v.distance} * 36, Wide{v.time} * 10, 1, fmt) : none},
        {Tr(fmt.language, "Ср.расход, л/100", "Av.exp., l/100"), v.distance > 0 ? FormatFixedWide(fuel * 100, v.distance, 1, fmt) : none},
        {Tr(fmt.language, "Ср.расход, л/час", "Av.exp., l/h"), v.time > 0 ? FormatFixedWide(fuel * 36, Wide{v.time} * 10, 1, fmt) : none},
    };
}

void ResetSummator(SettingsModel& model, Summator s)
{
    auto r1 = model.Record(1);
    const auto& l = LayoutOf(s);
    const std::size_t fields = 2 + (l.hasPetrol ? 1 : 0) + (l.hasGas ? 1 : 0);
    for (std::size_t i = 0; i < fields; ++i)
        PutU32(r1, l.offset + 4 * i, 0);
}

// ---- Fault journal ----------------------------------------------------------------

FaultCodeOptions FaultCodeOptionsOf(const SettingsModel& model)
{
    const auto r10 = model.Record(kProtocolRecord);
    return {GetU8(r10, kProtocolOptionsOffset + 0), GetU8(r10, kProtocolOptionsOffset + 2)}; // options 0 and 2
}

std::span<const std::uint8_t> FaultRecord(const SettingsModel& model, int index)
{
    if (index < 0 || index >= kFaultRecordCount)
        throw std::out_of_range("fault record index");
    return model.Record(11).subspan(kFaultRecordsOffset + static_cast<std::size_t>(index) * kFaultRecordSize, kFaultRecordSize);
}

std::uint32_t DecimalToPCode(std::uint32_t code)
{
    std::uint32_t v = 0;
    if (code >= 0x4000 && code <= 0x4FFF)
        v = code & 0x3FF; // 0x4000, 0x4400, 0x4800 and 0x4C00 each start a run of 0x400
    return (v % 10) + 16 * ((v / 10) % 10) + 256 * ((v / 100) % 10);
}

std::string FormatFaultCode(int type, std::uint32_t code, const FaultCodeOptions& options)
{
    switch (type) {
    case 7:
        type = options.protTypeAdd2 != 1 ? 1 : 0;
        break;
    case 8:
        if (code > 0x3FFF) {
            code = DecimalToPCode(code);
            type = 0;
        } else {
            type = options.protTypeMain == 1 ? 2 : 6;
        }
        break;
    case 9:
        type = options.protTypeAdd2 != 0 ? 0 : 2;
        break;
    default:
        break;
    }
    switch (type) {
    case 0: {
        std::string letter;
        if (code < 0x4000)
            letter = "P";
        else if (code < 0x8000)
            letter = "C";
        else if (code < 0xC000)
            letter = "B";
        else if (code <= 0xFFFF)
            letter = "U";
        return letter + Hex(code & 0x3FFF, 4);
    }
    case 1:
        return Hex(code & 0x3FFF, 4);
    case 2:
        return std::to_string(code);
    case 3: {
        std::string letter;
        if (code & 0x8000)
            letter = "п";
        else if (code & 0x4000)
            letter = "н";
        else if (code & 0x2000)
            letter = "м";
        return std::to_string(code) + letter;
    }
    case 4:
        return Hex(code, 4) + (code < 256 || code > 4095 ? "Sub" : "");
    case 5: {
        const std::uint32_t spn = (code & 0xFFFF) + ((code >> 5) & 0x70000);
        const std::uint32_t fmi = (code >> 16) & 0x1F;
        const std::uint32_t count = code >> 24;
        return "SPN = " + std::to_string(spn) + "  FMI = " + std::to_string(fmi) + "  Q = " + (count > 126 ? "----" : std::to_string(count));
    }
    case 10:
        return std::to_string((code >> 8) & 0xFF) + "-" + std::to_string(code % 7);
    default:
        return {};
    }
}

bool PidSupported(const SettingsModel& model, int pid)
{
    if (pid < 1 || pid > static_cast<int>(kPidBitmapSize) * 8)
        return false;
    const auto p = static_cast<std::size_t>(pid - 1);
    return (GetU8(model.Record(11), kPidBitmapOffset + p / 8) & (0x80 >> (p % 8))) != 0;
}

std::string FuelSystemStatusText(std::uint8_t b, Language language)
{
    switch (b) {
    case 1: return Tr(language, "Разомкнута(Ош.Тдв)", "Open loop(ins.eng.T)");
    case 2: return Tr(language, "Замкнута (ДатчО2)", "Closed loop(O2 sens)");
    case 4: return Tr(language, "Разомк.(Нагр.дв.)", "Open loop(Eng.load)");
    case 8: return Tr(language, "Разомк.(ОшСист)", "Open loop(SysFault)");
    case 16: return Tr(language, "Замкн.(ОшДатчО2)", "Closed loop(O2s Flt)");
    default: return Tr(language, "Неизвестно", "Unknown");
    }
}

std::string SecondaryAirStatusText(std::uint8_t b, Language language)
{
    switch (b) {
    case 1: return Tr(language, "В катализатор", "Upstream of catal.");
    case 2: return Tr(language, "Из катализатора", "Downstream of catal");
    case 4: return Tr(language, "Выключено", "Off");
    default: return Tr(language, "Неизвестно", "Unknown");
    }
}

TextTable FillFaultJournal(const SettingsModel& model, int faultCodeType, Language language)
{
    const FaultCodeOptions options = FaultCodeOptionsOf(model);
    TextTable t(kFaultRows, std::vector<std::string>(FaultColumnCount));
    t[0] = {"#", Tr(language, "Время", "Time"), Tr(language, "Код ошибки", "Trouble code")};
    for (int i = 0; i < kFaultRecordCount; ++i) {
        auto& row = t[static_cast<std::size_t>(i) + 1];
        row[FaultColNumber] = std::to_string(i);
        const auto rec = FaultRecord(model, i);
        const std::uint32_t code = GetU32(rec, kFaultCode);
        if (code == 0)
            continue;
        const std::uint16_t minutes = GetU16(rec, kFaultMinutes);
        row[FaultColTime] = std::to_string(minutes / 60) + ":" + TwoDigits(minutes % 60) + " " + std::to_string(GetU8(rec, kFaultDay)) + "."
            + TwoDigits(GetU8(rec, kFaultMonth));
        row[FaultColCode] = FormatFaultCode(faultCodeType, code, options);
    }
    return t;
}

std::optional<TextTable> ShowFreezeFrame(const SettingsModel& model, int row, const NumberFormat& fmt)
{
    if (row < 1 || row > kFaultRecordCount)
        return std::nullopt;
    const auto rec = FaultRecord(model, row - 1);
    TextTable t;
    const std::uint32_t freezeCode = GetU32(rec, kFreezeCode);
    if (freezeCode == 0)
        return t;
    t.push_back({Tr(fmt.language, "Код ошибки", "Trouble code"), FormatFaultCode(0, freezeCode, {})});
    for (const auto& r : kFreezeFrameRows)
        if (PidSupported(model, r.pid))
            t.push_back({Tr(fmt.language, r.russian, r.english), FreezeValueText(r, rec, fmt)});
    return t;
}

void ClearFaultJournal(SettingsModel& model)
{
    auto r11 = model.Record(11);
    for (std::size_t i = 0; i < kPidBitmapSize; ++i)
        PutU8(r11, kPidBitmapOffset + i, 0);
    for (int i = 0; i < kFaultRecordCount; ++i) {
        const std::size_t base = kFaultRecordsOffset + static_cast<std::size_t>(i) * kFaultRecordSize;
        PutU32(r11, base + kFaultCode, 0);
        PutU32(r11, base + kFreezeCode, 0);
    }
}

std::span<const FreezeFrameRow> FreezeFrameRows()
{
    return kFreezeFrameRows;
}

// ---- Export ----------------------------------------------------------------------------

std::string JournalExportText(const TextTable& table)
{
    std::string out = "\xEF\xBB\xBF";
    for (const auto& row : table) {
        for (const auto& cell : row) {
            out += cell;
            out += '\t';
        }
        out += "\r\n";
    }
    return out;
}

void SaveJournalText(const TextTable& table, const std::string& path, Language language)
{
    const std::string text = JournalExportText(table);
    WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()), language);
}

} // namespace tc
