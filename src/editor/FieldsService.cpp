// The maintenance page (intervals, dates, names, usage flags, engine-hour
// limit), the extra-systems page (its selection is a structured value) and
// the universal input's calibration. Everything lives in record 5.
#include "editor/FieldRows.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/EditSession.h"
#include "editor/ExtraSystems.h"
#include "editor/Maintenance.h"
#include "editor/Rules.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace tc::rows {

namespace {

using namespace rules;

// ---- maintenance ----

// The reduced form ("TS th.km") shows one interval in tenths and the service date.
bool Reduced(const RuleInput& in) { return Features(in).ServiceInThousandKm; }
bool Full(const RuleInput& in) { return !Features(in).ServiceInThousandKm; }

constexpr Text kInterval = {"тыс.км", "th.km"};
constexpr Text kUse = {"использ.", "use"};
constexpr Text kName = {"Название", "Name"};

constexpr Field Interval(std::string_view key, int offset, Text group, Rule visible = Full)
{
    return {.key = key, .page = Page::Maintenance, .kind = ControlKind::Number, .record = kServiceRecord, .offset = offset,
            .codec = Codec::S8, .min = 0, .max = 99, .caption = kInterval, .group = group, .visible = visible};
}

constexpr Field Usage(std::string_view key, int bit, Text group, Rule visible = Full)
{
    return {.key = key, .page = Page::Maintenance, .kind = ControlKind::Check, .record = kServiceRecord, .offset = kUsageFlagsOffset,
            .codec = Codec::Bits, .bit = bit, .wordBytes = 2, .caption = kUse, .group = group, .visible = visible,
            .clearOnStore = kUsageClearedBits};
}

constexpr Field Name(std::string_view key, int offset, Text group)
{
    return {.key = key, .page = Page::Maintenance, .kind = ControlKind::Text, .record = kServiceRecord, .offset = offset,
            .codec = Codec::Name16, .caption = kName, .group = group, .visible = Full};
}

constexpr Field DateRow(std::string_view key, int offset, Text caption, Text group, Rule visible)
{
    return {.key = key, .page = Page::Maintenance, .kind = ControlKind::Text, .record = kServiceRecord, .offset = offset,
            .codec = Codec::DayNumber, .caption = caption, .group = group, .visible = visible};
}

// The service items with an interval in thousands of km, in the page's
// order: the item's interval byte and usage bit are its position; items 1..3
// have a name the user gives.
struct IntervalItem {
    std::string_view interval, use, name; // keys; name empty: a fixed item
    int nameOffset;
    Text caption;
};
constexpr IntervalItem kIntervalItems[] = {
    {"maintenance.air_filter", "maintenance.use_air_filter", {}, 0, {"Замена.возд.ф.", "Air filt.repl."}},
    {"maintenance.gearbox_oil", "maintenance.use_gearbox_oil", {}, 0, {"Замена мас.КПП", "Gearbox oil ch"}},
    {"maintenance.item1", "maintenance.use_item1", "maintenance.item1_name", 52, {"Пункт ТО 1", "Service item 1"}},
    {"maintenance.item2", "maintenance.use_item2", "maintenance.item2_name", 68, {"Пункт ТО 2", "Service item 2"}},
    {"maintenance.coolant", "maintenance.use_coolant", {}, 0, {"Замена охл.жидк.", "Coolant repl."}},
    {"maintenance.engine_oil", "maintenance.use_engine_oil", {}, 0, {"Замена масла дв.", "Eng.oil change"}},
    {"maintenance.item3", "maintenance.use_item3", "maintenance.item3_name", 84, {"Пункт ТО 3", "Service item 3"}},
};
constexpr Text kServiceDate = {"Дата след.ТО", "TS date"};
constexpr Text kInsurance = {"Дата опл.ОСАГО", "Insurance"};
constexpr Text kEngineHours = {"Моточасы", "Eng.hours"};

// ---- universal input ----

constexpr int kAdcMinOffset = 108;
constexpr int kAdcMaxOffset = 110;

// The two calibration points need different ADC values.
template <int OtherOffset>
std::string AdcDiffers(const RuleInput& in, std::int64_t raw)
{
    if (GetS16(in.model.Record(kServiceRecord), OtherOffset) != raw)
        return {};
    return Tr(in.ctx.language, "Значения АЦП Мин и Макс должны различаться.", "Min and Max ADC Values should differ.");
}

constexpr Text kCalibration = {"Калибровка", "Calibration"};

// The page's rows, built once.
const std::vector<Field>& Rows()
{
    static const std::vector<Field> rows = [] {
        // Maintenance, in the page's order: each interval with its name and usage flag.
        std::vector<Field> all = {
            {.key = "maintenance.service_interval", .page = Page::Maintenance, .kind = ControlKind::Number, .record = kServiceRecord, .offset = 0,
             .codec = Codec::S8, .scaleNum = 10, .decimals = 1, .min = 0, .max = 9.9, .step = 0.1, .caption = {"ТО тыс.км", "TS th.km"},
             .visible = Reduced, .formOf = "maintenance.air_filter"},
        };
        for (int i = 0; i < static_cast<int>(std::size(kIntervalItems)); ++i) {
            const IntervalItem& item = kIntervalItems[i];
            if (!item.name.empty())
                all.push_back(Name(item.name, item.nameOffset, item.caption));
            all.push_back(Interval(item.interval, i, item.caption));
            all.push_back(Usage(item.use, i, item.caption));
        }
        all.insert(all.end(), {
            DateRow("maintenance.service_date", 8, {"дд.мм.гг", "dd.mm.yy"}, kServiceDate, nullptr),
            Usage("maintenance.use_service_date", 7, kServiceDate),
            DateRow("maintenance.insurance_date", 12, {"дд.мм.гг", "dd.mm.yy"}, kInsurance, Full),
            Usage("maintenance.use_insurance_date", 8, kInsurance),
            {.key = "maintenance.engine_hours", .page = Page::Maintenance, .kind = ControlKind::Number, .record = kServiceRecord, .offset = 104,
             .codec = Codec::S16, .min = 0, .max = 3000, .caption = {"Лимит", "Limit"}, .group = kEngineHours},
            Usage("maintenance.use_engine_hours", 9, kEngineHours, nullptr),

            // Universal input: the two calibration points.
            {.key = "trim.min_reading", .page = Page::Trim, .kind = ControlKind::Number, .record = kServiceRecord, .offset = 112, .codec = Codec::S16,
             .min = -180, .max = 2500, .caption = {"Мин: показания", "Min: data"}, .group = kCalibration},
            {.key = "trim.min_adc", .page = Page::Trim, .kind = ControlKind::Number, .record = kServiceRecord, .offset = kAdcMinOffset, .codec = Codec::S16,
             .min = 0, .max = 1023, .caption = {"Мин: АЦП", "Min: ADC"}, .group = kCalibration, .refuse = AdcDiffers<kAdcMaxOffset>},
            {.key = "trim.max_reading", .page = Page::Trim, .kind = ControlKind::Number, .record = kServiceRecord, .offset = 114, .codec = Codec::S16,
             .min = -180, .max = 2500, .caption = {"Макс: показания", "Max: data"}, .group = kCalibration},
            {.key = "trim.max_adc", .page = Page::Trim, .kind = ControlKind::Number, .record = kServiceRecord, .offset = kAdcMaxOffset, .codec = Codec::S16,
             .min = 0, .max = 1023, .caption = {"Макс: АЦП", "Max: ADC"}, .group = kCalibration, .refuse = AdcDiffers<kAdcMinOffset>},
        });
        return all;
    }();
    return rows;
}

// ---- extra systems: structured values ----

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The extra-systems page exists only on models with extra systems.
void CheckSystemsPage(const EditSession& session)
{
    if (!session.Context().features.HasExtraSystems)
        throw Error(Tr(session.Context().language, "У этой модели нет страницы «Допсистемы»", "This model has no \"Add.systems\" page"));
}

// "27,77" or "27 77" into system codes the model offers.
std::vector<int> OfferedCodes(const EditSession& session, std::string_view value)
{
    const auto offered = OfferedSystems(session.Context());
    std::vector<int> codes;
    std::string token;
    auto flush = [&] {
        if (token.empty())
            return;
        int code = -1;
        if (token.size() <= 3 && token.find_first_not_of("0123456789") == std::string::npos)
            code = std::stoi(token);
        const bool found = std::any_of(offered.begin(), offered.end(), [&](const ExtraSystem* s) { return s->code == code; });
        if (!found)
            throw Error(Tr(session.Context().language, "Система «" + token + "» этой моделью не опрашивается (список: tripconf-cli systems FILE)",
                                             "System \"" + token + "\" is not offered for this model (list: tripconf-cli systems FILE)"));
        codes.push_back(code);
        token.clear();
    };
    for (char c : value) {
        if (c == ',' || c == ' ')
            flush();
        else
            token += c;
    }
    flush();
    return codes;
}

// "all"/"Все"/#0 -> 0, "protocol"/"Протокол"/#1 -> 1.
int Choice(const EditSession& session, std::string_view value, std::string_view en0, std::string_view ru0, std::string_view en1,
           std::string_view ru1)
{
    const std::string v = Lower(value);
    if (v == en0 || value == ru0 || v == "#0")
        return 0;
    if (v == en1 || value == ru1 || v == "#1")
        return 1;
    throw Error(Tr(session.Context().language, "Нет варианта «" + std::string(value) + "»: " + std::string(ru0) + " или " + std::string(ru1),
                                     "No item \"" + std::string(value) + "\": " + std::string(en0) + " or " + std::string(en1)));
}

void ApplyShow(EditSession& session, const KeyParts&, std::string_view value)
{
    CheckSystemsPage(session);
    const int choice = Choice(session, value, "all", "Все", "protocol", "Протокол");
    session.Apply([&](SettingsModel& m) { ChooseSystemsShow(session.Context(), m.Record(kServiceRecord), choice); });
}

void ApplyList(EditSession& session, const KeyParts&, std::string_view value)
{
    CheckSystemsPage(session);
    const int choice = Choice(session, value, "list", "Списком", "types", "По типам");
    session.Apply([&](SettingsModel& m) { ChooseSystemsList(m.Record(kServiceRecord), choice); });
}

// systems.selected (no part) sets the selection; systems.add|remove (the part) changes it.
void ApplySelected(EditSession& session, const KeyParts& key, std::string_view value)
{
    const bool set = key.parts.empty();
    const bool remove = !set && key[0] == "remove";
    CheckSystemsPage(session);
    const std::string v = Lower(value);
    std::vector<int> codes;
    if (!(set && (v == "none" || v.empty())))
        codes = OfferedCodes(session, value); // checked before anything is stored
    session.Apply([&](SettingsModel& m) {
        const auto r5 = m.Record(kServiceRecord);
        if (set)
            SelectNoSystems(session.Context(), r5);
        for (int code : codes)
            SelectSystem(r5, code, !remove);
    });
}

const StructuredKey kKeys[] = {
    {"systems.show", "all|protocol (Все|Протокол): select every offered system, or those the current protocol lists", ApplyShow},
    {"systems.list", "list|types (Списком|По типам)", ApplyList},
    {"systems.selected", "none, or CODE,CODE... of offered systems (tripconf-cli systems FILE lists them)", ApplySelected},
    {"systems.add|remove", "CODE,CODE... of offered systems", ApplySelected, /*fixedChoices=*/true},
};

} // namespace

std::span<const Field> Service()
{
    return Rows();
}

std::span<const StructuredKey> ServiceKeys()
{
    return kKeys;
}

} // namespace tc::rows
