#include "editor/FieldTable.h"

#include "editor/Rules.h"

#include <algorithm>
#include <stdexcept>

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
    {Page::Parking, "parking", {"Парковка", "Parctronic"}},
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

// ---- items ----

constexpr ItemDef kPolarityItems[] = {{{"+", "+"}}, {{"-", "-"}}};
constexpr ItemDef kTachometerItems[] = {{{"1", "1"}, 1}, {{"2", "2"}, 2}, {{"4", "4"}, 4}};

// ---- the table ----

const Field kFields[] = {
    // Corrections
    {.key = "corrections.speed", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 60, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Скорость, %", "Speeed, %"}, .visible = SpeedCorrectionShown},
    {.key = "corrections.petrol", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 56, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Расхода бензина, %", "Petrol expense, %"}},
    {.key = "corrections.gas", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 64, .codec = Codec::Factor,
     .decimals = 1, .min = -99.0, .max = 999.9, .step = 0.1, .caption = {"Расход газа, %", "Gas expense, %"}, .visible = GasShown},
    {.key = "corrections.air_temperature", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 53, .codec = Codec::S8,
     .min = -20, .max = 20, .caption = {"Температура воздуха, С", "Air temper., C"}, .visible = AirCorrectionShown},
    {.key = "corrections.battery", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 52, .codec = Codec::S8,
     .scaleNum = 10, .decimals = 1, .min = -0.7, .max = 0.7, .step = 0.1, .caption = {"Напряжение АКБ, В", "Battery voltage, V"}},
    {.key = "corrections.clock", .page = Page::Corrections, .kind = ControlKind::Number, .record = 6, .offset = 54, .codec = Codec::S8,
     .min = -30, .max = 30, .caption = {"Время (секунд в сутки)", "Tume (sec. per day)"}},
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
};

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
    return kFields;
}

const Field* FindField(std::string_view key)
{
    const auto it = std::find_if(std::begin(kFields), std::end(kFields), [&](const Field& f) { return f.key == key; });
    return it == std::end(kFields) ? nullptr : &*it;
}

} // namespace tc
