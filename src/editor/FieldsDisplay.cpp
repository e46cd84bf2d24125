// The display page's controls: the miscellaneous sub-page and the display
// rotation masks, and the structured values of the other sub-pages (palettes,
// colour roles, display slots, hot menus) as KEY=VALUE.
#include "editor/FieldRows.h"

#include "common/Error.h"
#include "editor/ColourSchemes.h"
#include "editor/DisplayLayouts.h"
#include "editor/DisplayPickers.h"
#include "editor/EditSession.h"
#include "editor/HotMenus.h"
#include "editor/Rules.h"
#include "model/DisplayRecord.h"
#include "model/SettingsModel.h"
#include "preview/PreviewCanvas.h"

#include <array>
#include <charconv>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tc::rows {

namespace {

using namespace rules;

constexpr int kRecord = kDisplayRecord;

// ---- the miscellaneous sub-page ----

bool LightsOffered(const RuleInput& in) { return !Features(in).NoLightWarnings; }
constexpr ItemDef kMethodItems[] = {{{"Руч.", "Man."}}, {{"Время", "Time"}}, {{"Габар.", "P.lights"}, 0, nullptr, LightsOffered}};
constexpr ItemDef kSchemeItems[] = {{{"День", "Day"}}, {{"Ночь", "Night"}}};
constexpr ItemDef kSpeedItems[] = {{{"1", "1"}}, {{"2", "2"}}, {{"3", "3"}}, {{"4", "4"}}};
constexpr ItemDef kProgressItems[] = {{{"Макс.", "Max"}}, {{"Границы", "Bounds"}}};
constexpr ItemDef kDynamicsItems[] = {{{"Данные", "Data"}}, {{"Сглаживать", "Smooth"}}};

constexpr std::string_view kMisc = "display.misc";

constexpr Field kMiscRows[] = {
    {.key = "display.brightness_method", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 283,
     .codec = Codec::Bits, .bit = 0, .bitCount = 4, .wordBytes = 1, .caption = {"Управление яркостью дисплея", "Display brightness control"},
     .part = kMisc, .items = kMethodItems, .columns = 0},
    {.key = "display.colour_method", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 283,
     .codec = Codec::Bits, .bit = 4, .bitCount = 4, .wordBytes = 1, .caption = {"Управление цветовой схемой", "Display color scheme control"},
     .part = kMisc, .items = kMethodItems, .columns = 0},
    {.key = "display.day_time", .page = Page::Display, .kind = ControlKind::Time, .record = kRecord, .offset = 284, .codec = Codec::S16,
     .caption = {"Время вкл. ДНЕВНОЙ яркости", "Day brightness on time"}, .part = kMisc},
    {.key = "display.night_time", .page = Page::Display, .kind = ControlKind::Time, .record = kRecord, .offset = 286, .codec = Codec::S16,
     .caption = {"Время вкл. НОЧНОЙ яркости", "Night brightness on time"}, .part = kMisc},
    {.key = "display.backlight_day", .page = Page::Display, .kind = ControlKind::Number, .record = kRecord, .offset = 276, .codec = Codec::U8,
     .min = 0, .max = 4, .caption = {"Яркость подсветки (День)", "Backlight brightness (Day)"}, .part = kMisc},
    {.key = "display.backlight_night", .page = Page::Display, .kind = ControlKind::Number, .record = kRecord, .offset = 277, .codec = Codec::U8,
     .min = 0, .max = 4, .caption = {"Яркость подсветки (Ночь)", "Backlight brightness (Night)"}, .part = kMisc},
    {.key = "display.manual_scheme", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 195, .codec = Codec::S8,
     .caption = {"Цветовая схема в руч. режиме", "Color scheme in manual mode"}, .part = kMisc, .items = kSchemeItems, .columns = 0},
    {.key = "display.output_speed", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 194, .codec = Codec::S8,
     .caption = {"Скорость вывода информации, раз/сек", "Information output speed, time/sec"}, .part = kMisc, .items = kSpeedItems,
     .columns = 0},
    {.key = "display.show_title", .page = Page::Display, .kind = ControlKind::Check, .record = kRecord, .offset = 0, .codec = Codec::Bits,
     .bit = 0, .caption = {"Заставка показывать", "Show title"}, .part = kMisc},
    {.key = "display.show_names", .page = Page::Display, .kind = ControlKind::Check, .record = kRecord, .offset = 0, .codec = Codec::Bits,
     .bit = 4, .caption = {"Подпись дисп. показывать", "Show display names"}, .part = kMisc},
    {.key = "display.progress_bar", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 0, .codec = Codec::Bits,
     .bit = 1, .caption = {"Прогрессбар", "Progressbar"}, .part = kMisc, .items = kProgressItems, .columns = 0},
    {.key = "display.dial_dynamics", .page = Page::Display, .kind = ControlKind::Radio, .record = kRecord, .offset = 0, .codec = Codec::Bits,
     .bit = 5, .caption = {"Динамика (При показе стрелок)", "Dynamics (when showing arrows)"}, .part = kMisc, .items = kDynamicsItems,
     .columns = 0},
    {.key = "display.consumption_limit", .page = Page::Display, .kind = ControlKind::Number, .record = kRecord, .offset = 304,
     .codec = Codec::S16, .min = 3, .max = 99, .caption = {"Мновенный расход Предел, л/час ", "Mom.Fuel Cns Limit, l/h"}, .part = kMisc},
};

// ---- the display rotation masks: one check box per bit ----

constexpr int kX1Boxes = 64;

// The x1 boxes: one per parameter of the current protocol, captioned with its picker caption.
const MeasuredParameter* X1Parameter(const RuleInput& in, int n)
{
    if (!in.ctx.protocol || !in.ctx.params)
        return nullptr;
    const auto codes = in.ctx.protocol->Params();
    if (n >= static_cast<int>(codes.size()))
        return nullptr;
    return FindMeasPar(*in.ctx.params, codes[static_cast<std::size_t>(n)]);
}
template <int N>
bool X1Shown(const RuleInput& in)
{
    return in.ctx.protocol && N < static_cast<int>(in.ctx.protocol->Params().size());
}
template <int N>
std::string X1Caption(const RuleInput& in)
{
    const MeasuredParameter* p = X1Parameter(in, N);
    return p ? p->Caption : "#" + std::to_string(N + 1);
}
template <std::size_t... N>
constexpr auto X1Rules(std::index_sequence<N...>)
{
    return std::make_pair(std::array<Rule, sizeof...(N)>{X1Shown<N>...}, std::array<CaptionRule, sizeof...(N)>{X1Caption<N>...});
}
constexpr auto kX1Rules = X1Rules(std::make_index_sequence<kX1Boxes>{});

bool TrafficStats(const RuleInput& in) { return !Features(in).NoTrafficStats; }
bool Taximeter(const RuleInput& in) { return Features(in).HasTaximeter; }
bool GasShown(const RuleInput& in) { return !Features(in).NoGasFuel; }

struct MaskBox {
    Text caption;
    Rule visible = nullptr;
};
constexpr MaskBox kAverageBoxes[] = {
    {{"Поездка", "Trip"}},
    {{"Сброс 1", "Reset1"}},
    {{"Сброс 2", "Reset2"}},
    {{"Общие", "Total"}},
    {{"В пробках", "In jams"}, TrafficStats},
    {{"Без пробок", "In traffic"}, TrafficStats},
    {{"Таксометр", "Taximeter"}, Taximeter},
    {{"Бензин", "Petrol"}, GasShown},
    {{"Газ", "Gas"}, GasShown},
};

// The masks in the order of their boxes on the page: key, record offset, boxes.
struct MaskDef {
    std::string_view key; // "x4": the rows are display.show.x4.1 ..
    int offset;
    int boxes;
};
constexpr MaskDef kMasks[] = {
    {"x1", 288, kX1Boxes}, {"x4", 300, 6}, {"x9", 302, 3}, {"x6", 296, 2},
    {"averages", 298, 9}, {"dials", 340, 8}, {"graphs", 342, 8},
};

// Keys, parts and "#n" captions need storage that lives as long as the table.
struct MaskStrings {
    std::vector<std::string> keys, parts, captions;
};

std::vector<Field> BuildRows()
{
    static MaskStrings strings;
    std::size_t total = 0;
    for (const MaskDef& m : kMasks)
        total += static_cast<std::size_t>(m.boxes) + 1;
    strings.keys.reserve(total);
    strings.parts.reserve(std::size(kMasks));
    strings.captions.reserve(16);
    for (int n = 1; n <= 16; ++n)
        strings.captions.push_back("#" + std::to_string(n));

    std::vector<Field> rows(std::begin(kMiscRows), std::end(kMiscRows));
    for (const MaskDef& m : kMasks) {
        strings.parts.push_back("display.show." + std::string(m.key));
        for (int n = 0; n < m.boxes; ++n) {
            // Box n is bit n of the mask; the 64-bit x1 mask is read as two 32-bit words.
            strings.keys.push_back("display.show." + std::string(m.key) + "." + std::to_string(n + 1));
            Field f{.key = strings.keys.back(), .page = Page::Display, .kind = ControlKind::Check, .record = kRecord,
                    .offset = m.offset + (m.boxes > 16 ? 4 * (n / 32) : 0), .codec = Codec::Bits, .bit = m.boxes > 16 ? n % 32 : n,
                    .wordBytes = m.boxes > 16 ? 4 : 2, .part = strings.parts.back()};
            const std::string& number = strings.captions[static_cast<std::size_t>(n % 16)];
            if (m.key == "x1") {
                f.caption = {number, number};
                f.captionRule = kX1Rules.second[static_cast<std::size_t>(n)];
                f.visible = kX1Rules.first[static_cast<std::size_t>(n)];
            } else if (m.key == "averages") {
                f.caption = kAverageBoxes[n].caption;
                f.visible = kAverageBoxes[n].visible;
            } else {
                f.caption = {number, number};
            }
            rows.push_back(f);
        }
    }
    return rows;
}

} // namespace

std::span<const Field> Display()
{
    static const std::vector<Field> rows = BuildRows();
    return rows;
}

} // namespace tc::rows

// ---- structured values ----

namespace tc::rows {

namespace {

std::vector<std::string_view> Split(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

std::optional<int> Int(std::string_view text)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

[[noreturn]] void Refuse(const EditorContext& ctx, std::string_view key, std::string_view value, const std::string& ru, const std::string& en)
{
    throw Error(Tr(ctx.language, "«" + std::string(key) + "=" + std::string(value) + "»: " + ru,
                       "\"" + std::string(key) + "=" + std::string(value) + "\": " + en));
}

int Number(const EditorContext& ctx, std::string_view key, std::string_view value, std::string_view text, int min, int max)
{
    const auto v = Int(text);
    if (!v || *v < min || *v > max)
        Refuse(ctx, key, value, "«" + std::string(text) + "» — не число от " + std::to_string(min) + " до " + std::to_string(max),
               "\"" + std::string(text) + "\" is not a number from " + std::to_string(min) + " to " + std::to_string(max));
    return *v;
}

// The colour scheme a key names: 0 "day", 1 "night"; anything else is refused.
int Scheme(const KeyParts& k, std::string_view name, std::string_view value, const EditorContext& ctx)
{
    if (name != "day" && name != "night")
        Refuse(ctx, k.key, value, "схема day или night", "the scheme is day or night");
    return name == "day" ? 0 : 1;
}

// A structured edit of one colour scheme of record 9, stored through the session.
void EditScheme(EditSession& s, int scheme, const std::function<void(ColourSchemes&)>& edit)
{
    const bool english = IsEnglish(s.Context().language);
    s.Apply([&](SettingsModel& m) {
        ColourSchemes schemes(m.Record(kRecord), english);
        schemes.SelectScheme(scheme);
        edit(schemes);
    });
}

// display.palette.day|night.N=R,G,B
void Palette(EditSession& s, const KeyParts& k, std::string_view value)
{
    const std::string_view key = k.key;
    const auto& ctx = s.Context();
    const int scheme = Scheme(k, k[0], value, ctx);
    const int index = Number(ctx, key, value, k[1], 0, 15);
    const auto rgb = Split(value, ',');
    if (rgb.size() != 3)
        Refuse(ctx, key, value, "цвет задаётся как R,G,B (0..31 каждый)", "a colour is R,G,B (0..31 each)");
    const int r = Number(ctx, key, value, rgb[0], 0, kMaxColourLevel);
    const int g = Number(ctx, key, value, rgb[1], 0, kMaxColourLevel);
    const int b = Number(ctx, key, value, rgb[2], 0, kMaxColourLevel);
    EditScheme(s, scheme, [&](ColourSchemes& schemes) { schemes.SetColour(index, r, g, b); });
}

// display.role.day|night.ROLE=INDEX
void Role(EditSession& s, const KeyParts& k, std::string_view value)
{
    const std::string_view key = k.key;
    const auto& ctx = s.Context();
    const int scheme = Scheme(k, k[0], value, ctx);
    const RoleDef* role = FindColourRole(k[1]);
    if (!role) {
        std::string list;
        for (const RoleDef& r : ColourRoles())
            list += (list.empty() ? "" : ", ") + std::string(r.key);
        Refuse(ctx, key, value, "нет такой роли цвета; роли: " + list, "no such colour role; roles: " + list);
    }
    const auto index = Int(value);
    if (!index)
        Refuse(ctx, key, value, "номер цвета палитры — число", "a palette index is a number");
    EditScheme(s, scheme, [&](ColourSchemes& schemes) { schemes.SetRole(*role, *index); });
}

// The code a picker item stands for: its code or its caption, as the picker offers it.
int PickedCode(const EditorContext& ctx, std::string_view key, std::string_view value, const std::vector<PickerItem>& items)
{
    const auto code = Int(value);
    for (const PickerItem& item : items)
        if ((code && item.code == *code) || (!code && item.caption == value))
            return item.code;
    std::string list;
    for (const PickerItem& item : items)
        list += (list.empty() ? "" : ", ") + std::to_string(item.code) + " " + item.caption;
    Refuse(ctx, key, value, "этот выбор здесь не предлагается; предлагаются: " + list, "not offered here; offered: " + list);
}

void StorePick(EditSession& s, std::string_view key, std::string_view value, const LayoutDef& layout, int display, int field)
{
    const auto& ctx = s.Context();
    static const MeasParList kNone;
    const auto items = PickerItems(layout.layout, field, ctx.protocol, ctx.params ? *ctx.params : kNone, ctx.features, IsEnglish(ctx.language));
    const int code = PickedCode(ctx, key, value, items);
    s.Apply([&](SettingsModel& m) { SetSlotValue(m.Record(kRecord), layout.layout, display, field, code, IsEnglish(ctx.language)); });
}

const LayoutDef& Layout(const EditorContext& ctx, std::string_view key, std::string_view value, std::string_view name)
{
    const LayoutDef* layout = FindLayout(name);
    if (!layout) {
        std::string list;
        for (const LayoutDef& l : DisplayLayouts())
            list += (list.empty() ? "" : ", ") + std::string(l.key);
        Refuse(ctx, key, value, "нет такого вида дисплеев; виды: " + list, "no such display kind; kinds: " + list);
    }
    return *layout;
}

// display.slot.LAYOUT.D.F=CODE|CAPTION (display and field numbered from 1)
void Slot(EditSession& s, const KeyParts& k, std::string_view value)
{
    const std::string_view key = k.key;
    const auto& ctx = s.Context();
    const LayoutDef& layout = Layout(ctx, key, value, k[0]);
    const int display = Number(ctx, key, value, k[1], 1, layout.displays) - 1;
    const int field = Number(ctx, key, value, k[2], 1, layout.fields) - 1;
    StorePick(s, key, value, layout, display, field);
}

// display.click.LAYOUT.D=X,Y:CODE|CAPTION: a right-click on the 320 x 240 preview
void Click(EditSession& s, const KeyParts& k, std::string_view value)
{
    const std::string_view key = k.key;
    const auto& ctx = s.Context();
    const LayoutDef& layout = Layout(ctx, key, value, k[0]);
    const int display = Number(ctx, key, value, k[1], 1, layout.displays) - 1;
    const std::size_t colon = value.find(':');
    const auto xy = Split(value.substr(0, colon), ',');
    if (colon == std::string_view::npos || xy.size() != 2)
        Refuse(ctx, key, value, "щелчок задаётся как X,Y:ПАРАМЕТР", "a click is X,Y:PARAMETER");
    const int x = Number(ctx, key, value, xy[0], 0, kPreviewWidth - 1);
    const int y = Number(ctx, key, value, xy[1], 0, kPreviewHeight - 1);
    const auto field = FieldAt(layout.layout, kPreviewWidth, kPreviewHeight, x, y);
    if (!field)
        Refuse(ctx, key, value, "в этом месте дисплея нет параметра", "that point of the display picks no parameter");
    StorePick(s, key, value.substr(colon + 1), layout, display, *field);
}

constexpr std::string_view kMenuLists[kEditedHotMenuLists] = {"params", "averages", "parking"};

void Flatten(const std::vector<MenuNode>& nodes, std::vector<const MenuNode*>& out)
{
    for (const MenuNode& n : nodes) {
        if (n.code != 0)
            out.push_back(&n);
        Flatten(n.children, out);
    }
}

// display.menu.LIST=insert:ROW:CODE|CAPTION, delete:ROW, clear, move:FROM:TO (rows 0..9 as the grid numbers them)
void Menu(EditSession& s, const KeyParts& k, std::string_view value)
{
    const std::string_view key = k.key;
    const auto& ctx = s.Context();
    int list = -1;
    for (int l = 0; l < kEditedHotMenuLists; ++l)
        if (k[0] == kMenuLists[l])
            list = l;
    if (list < 0)
        Refuse(ctx, key, value, "списки: params, averages, parking", "lists: params, averages, parking");
    if (!HotMenuListOffered(list, ctx.features))
        Refuse(ctx, key, value, "у этой модели нет парктроника", "this model has no parking sensors");
    const auto op = Split(value, ':');
    const auto row = [&](std::size_t i) { return Number(ctx, key, value, i < op.size() ? op[i] : "", 0, kHotMenuRows - 1); };
    std::function<void(HotMenus&)> edit;
    if (op[0] == "insert" && op.size() == 3) {
        static const MenuItemList kNoMenus;
        const auto tree = InsertionMenu(list, ctx.menus ? *ctx.menus : kNoMenus, ctx.features, IsEnglish(ctx.language));
        std::vector<const MenuNode*> offered;
        Flatten(tree, offered);
        const auto code = Int(op[2]);
        const MenuNode* picked = nullptr;
        for (const MenuNode* n : offered)
            if ((code && n->code == *code) || (!code && n->caption == op[2]))
                picked = n;
        if (!picked)
            Refuse(ctx, key, value, "этот пункт в этот список не вставить (что можно, перечисляет tripconf-cli hot-menu-items)",
                   "that item cannot be inserted into this list (tripconf-cli hot-menu-items lists what can)");
        const int at = row(1);
        const std::uint16_t item = picked->code; // the tree is gone when the edit runs
        edit = [at, item, list](HotMenus& h) { h.Insert(list, at, item); };
    } else if (op[0] == "delete" && op.size() == 2) {
        const int at = row(1);
        edit = [at, list](HotMenus& h) { h.Delete(list, at); };
    } else if (op[0] == "clear" && op.size() == 1) {
        edit = [list](HotMenus& h) { h.Clear(list); };
    } else if (op[0] == "move" && op.size() == 3) {
        const int from = row(1), to = row(2);
        edit = [from, to, list](HotMenus& h) { h.Move(list, from, to); };
    } else {
        Refuse(ctx, key, value, "операции: insert:СТРОКА:ПУНКТ, delete:СТРОКА, clear, move:ОТКУДА:КУДА",
               "operations: insert:ROW:ITEM, delete:ROW, clear, move:FROM:TO");
    }
    s.Apply([&](SettingsModel& m) {
        HotMenus menus(m.Record(kRecord), IsEnglish(ctx.language));
        edit(menus);
    });
}

// display.colours=initialize: both schemes back to the model's defaults
void InitializeColours(EditSession& s, const KeyParts& k, std::string_view value)
{
    if (value != "initialize")
        Refuse(s.Context(), k.key, value, "значение: initialize", "the value is initialize");
    s.Apply([&](SettingsModel& m) {
        ColourSchemes schemes(m.Record(kRecord), IsEnglish(s.Context().language));
        schemes.InitializeAll(m.ColourScheme(0), m.ColourScheme(1), [](const std::string&) { return true; });
    });
    s.SelectScheme(0);
}

constexpr StructuredKey kKeys[] = {
    {"display.palette.day|night.N", "R,G,B: palette colour N (0..15), levels 0..31", Palette},
    {"display.role.day|night.ROLE", "palette index 0..127 of a colour role (ROLE as in digital.colour1)", Role},
    {"display.slot.x4|x9|x6|x1|graph|dial|panel.D.F", "CODE or caption: what field F of display D shows (both from 1)", Slot},
    {"display.click.x4|x9|x6|x1|graph|dial|panel.D", "X,Y:CODE or caption: a right-click at X,Y on the 320 x 240 preview", Click},
    {"display.menu.params|averages|parking", "insert:ROW:CODE or caption, delete:ROW, clear, move:FROM:TO (rows 0..9)", Menu},
    {"display.colours", "initialize: both colour schemes back to the model's defaults", InitializeColours},
};

} // namespace

std::span<const StructuredKey> DisplayKeys()
{
    return kKeys;
}

} // namespace tc::rows
