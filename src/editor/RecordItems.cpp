#include "editor/RecordItems.h"

#include "catalogs/ExtraSystems.h"
#include "common/Bytes.h"
#include "editor/ColourSchemes.h"
#include "editor/DisplayLayouts.h"
#include "editor/DisplayPickers.h"
#include "editor/ExtraSystems.h"
#include "editor/HotMenus.h"
#include "editor/Maintenance.h"
#include "editor/TankFile.h"
#include "editor/VoiceModes.h"
#include "model/DisplayRecord.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <vector>

namespace tc {

namespace {

constexpr Text kSchemeNames[] = {{"день", "day"}, {"ночь", "night"}};
constexpr Text kMenuNames[kHotMenuLists] = {{"Параметры", "Parameters"}, {"Средние", "Average"}, {"Парктроник", "Parktronic"}, {"Список 4", "List 4"}};
constexpr std::string_view kSchemeKeys[] = {"day", "night"};
constexpr std::string_view kMenuKeys[kHotMenuLists] = {"params", "averages", "parking", "list4"};
constexpr Text kDisplay = {"Дисплей", "Display"};
constexpr Text kField = {"поле", "field"};
constexpr Text kTare = {"Тарированный", "Tare"};
constexpr Text kPoint = {"точка", "point"};
constexpr Text kColours = {"Цвета", "Colours"};

std::vector<ItemArea> BuildAreas()
{
    std::vector<ItemArea> areas;
    for (const LayoutDef& l : DisplayLayouts())
        areas.push_back({.page = Page::Display, .key = "display.slot." + std::string(l.key), .groupWord = kDisplay,
                         .tag = {l.key, l.key}, .itemWord = kField, .record = kDisplayRecord, .offset = l.offset, .groups = l.displays,
                         .groupStride = l.fields, .count = l.fields, .value = ItemValue::Slot, .layout = static_cast<int>(l.layout)});
    areas.push_back({.page = Page::Display, .key = "display.palette", .groupKeys = kSchemeKeys, .caption = {"Палитра", "Palette"}, .groupNames = kSchemeNames,
                     .itemWord = {"Цвет #", "Color #"}, .record = kDisplayRecord, .offset = static_cast<int>(kSchemeOffset[0]), .groups = 2,
                     .groupStride = static_cast<int>(kSchemeOffset[1] - kSchemeOffset[0]), .count = kPaletteSize, .stride = 2, .width = 2,
                     .value = ItemValue::Colour, .firstItem = 0});
    areas.push_back({.page = Page::Display, .key = "display.menu", .groupKeys = kMenuKeys, .caption = {"Горячее меню", "Hot menu"}, .groupNames = kMenuNames,
                     .itemWord = {"строка", "row"}, .record = kDisplayRecord, .offset = kHotMenuOffset, .groups = kHotMenuLists,
                     .groupStride = 2 * kHotMenuRows, .count = kHotMenuRows, .stride = 2, .width = 2, .value = ItemValue::Menu});
    areas.push_back({.page = Page::Tank, .key = "tank.tare.litres", .caption = kTare, .itemWord = kPoint, .suffix = {"литры", "litres"},
                     .record = tank::kTareRecord, .offset = static_cast<int>(tank::kTareLitresOffset), .count = tank::kMaxTarePoints});
    areas.push_back({.page = Page::Tank, .key = "tank.tare.units", .caption = kTare, .itemWord = kPoint, .suffix = {"уе", "CU"},
                     .record = tank::kTareRecord, .offset = static_cast<int>(tank::kTareUnitsOffset), .count = tank::kMaxTarePoints, .stride = 2,
                     .width = 2, .value = ItemValue::Signed});
    areas.push_back({.page = Page::Tank, .key = "tank.tare.above240", .caption = kTare,
                     .suffix = {"уе первой точки больше 240", "first point's units above 240"}, .record = tank::kTareRecord,
                     .offset = static_cast<int>(tank::kTareAbove240Offset)});
    return areas;
}

// "поле 3"; a word ending in '#' takes the number straight after it ("Цвет #3").
std::string Numbered(const Text& word, int n, bool english)
{
    const std::string_view w = word.Pick(english);
    return std::string(w) + (w.ends_with('#') ? "" : " ") + std::to_string(n);
}

void Join(std::string& name, std::string_view part)
{
    if (part.empty())
        return;
    if (!name.empty())
        name += " · ";
    name += part;
}

std::vector<RecordItem> BuildItems()
{
    std::vector<RecordItem> items;
    const auto areas = ItemAreas();
    // The areas of a page before the tables of the later pages, in page order.
    const auto addAreas = [&](Page page) {
        for (const ItemArea& a : areas) {
            if (a.page != page)
                continue;
            for (int g = 0; g < a.groups; ++g)
                for (int n = 0; n < a.count; ++n) {
                    RecordItem item;
                    item.page = a.page;
                    item.key = std::string(a.key);
                    if (a.groups > 1)
                        item.key += "." + (a.groupKeys.empty() ? std::to_string(g + 1) : std::string(a.groupKeys[static_cast<std::size_t>(g)]));
                    if (a.count > 1)
                        item.key += "." + std::to_string(n + a.firstItem);
                    for (bool english : {false, true}) {
                        std::string name;
                        Join(name, a.caption.Pick(english));
                        if (!a.groupNames.empty())
                            Join(name, a.groupNames[static_cast<std::size_t>(g)].Pick(english));
                        else if (!a.groupWord.empty())
                            Join(name, Numbered(a.groupWord, g + 1, english));
                        Join(name, a.tag.Pick(english));
                        if (!a.itemWord.empty())
                            Join(name, Numbered(a.itemWord, n + a.firstItem, english));
                        Join(name, a.suffix.Pick(english));
                        item.name[english ? 1 : 0] = std::move(name);
                    }
                    item.record = a.record;
                    item.offset = a.offset + g * a.groupStride + n * a.stride;
                    item.width = a.width;
                    item.value = a.value;
                    item.layout = a.layout;
                    item.group = g;
                    item.index = n;
                    items.push_back(std::move(item));
                }
        }
    };
    for (const PageDef& p : EditorPages()) {
        addAreas(p.page);
        if (p.page == Page::Display) {
            // The colour roles of both schemes, from the roles' table.
            for (int s = 0; s < 2; ++s)
                for (const RoleDef& role : ColourRoles()) {
                    RecordItem item;
                    item.page = Page::Display;
                    item.key = "display.role." + std::string(kSchemeKeys[s]) + "." + std::string(role.key);
                    for (bool english : {false, true}) {
                        std::string name(kColours.Pick(english));
                        Join(name, kSchemeNames[s].Pick(english));
                        Join(name, RoleGroupCaption(role.group).Pick(english));
                        Join(name, role.caption.Pick(english));
                        item.name[english ? 1 : 0] = std::move(name);
                    }
                    item.record = kDisplayRecord;
                    item.offset = static_cast<int>(kSchemeOffset[static_cast<std::size_t>(s)]) + role.offset;
                    items.push_back(std::move(item));
                }
        } else if (p.page == Page::Voice) {
            // Rows that share a slot (one for some protocols, another for the
            // rest) are one item named by both.
            for (const voice::WarningRow& row : voice::WarningRows()) {
                if (row.slot < 0)
                    continue;
                RecordItem* shared = nullptr;
                for (RecordItem& other : items)
                    if (other.value == ItemValue::Voice && other.offset == row.slot)
                        shared = &other;
                if (shared) {
                    shared->key += "|" + std::string(row.key);
                    for (bool english : {false, true})
                        shared->name[english ? 1 : 0] += " / " + std::string(row.label.Pick(english));
                    continue;
                }
                RecordItem item;
                item.page = Page::Voice;
                item.key = "voice.mode." + std::string(row.key);
                for (bool english : {false, true}) {
                    std::string name(p.caption.Pick(english));
                    Join(name, row.label.Pick(english));
                    item.name[english ? 1 : 0] = std::move(name);
                }
                item.record = voice::kModeRecord;
                item.offset = row.slot;
                item.value = ItemValue::Voice;
                items.push_back(std::move(item));
            }
        } else if (p.page == Page::ExtraSystems) {
            const auto add = [&](std::string key, const Text& what, int offset, std::uint8_t mask, ItemValue value) {
                RecordItem item;
                item.page = Page::ExtraSystems;
                item.key = std::move(key);
                for (bool english : {false, true}) {
                    std::string name(p.caption.Pick(english));
                    Join(name, what.Pick(english));
                    item.name[english ? 1 : 0] = std::move(name);
                }
                item.record = kServiceRecord;
                item.offset = offset;
                item.mask = mask;
                item.value = value;
                items.push_back(std::move(item));
            };
            add("systems.show", {"показывать", "show"}, kSystemsOffset, 0x7F, ItemValue::Show);
            add("systems.list", {"показывать как", "show as"}, kSystemsOffset, 0x80, ItemValue::List);
            const auto catalog = ExtraSystemCatalog();
            for (const ExtraSystem& s : catalog) {
                if (s.code < 8 || s.code >= 8 * kSystemsBytes)
                    continue; // byte 20's bits are the show settings
                // Two blocks share a name: their codes tell them apart.
                const auto same = std::count_if(catalog.begin(), catalog.end(), [&](const ExtraSystem& o) { return o.name == s.name; });
                std::string name(s.name);
                if (same > 1)
                    name += " (" + std::to_string(s.code) + ")";
                add("systems." + std::to_string(s.code), {name, name}, kSystemsOffset + s.code / 8,
                    static_cast<std::uint8_t>(1u << (s.code % 8)), ItemValue::Selected);
            }
        }
    }
    return items;
}

std::string Number(std::span<const std::uint8_t> rec, const RecordItem& item)
{
    const auto at = static_cast<std::size_t>(item.offset);
    const bool isSigned = item.value == ItemValue::Signed;
    if (item.width == 2)
        return std::to_string(isSigned ? static_cast<int>(GetS16(rec, at)) : static_cast<int>(GetU16(rec, at)));
    return std::to_string(isSigned ? static_cast<int>(static_cast<std::int8_t>(GetU8(rec, at))) : static_cast<int>(GetU8(rec, at)));
}

} // namespace

std::span<const ItemArea> ItemAreas()
{
    static const std::vector<ItemArea> areas = BuildAreas();
    return areas;
}

std::span<const RecordItem> RecordItems()
{
    static const std::vector<RecordItem> items = BuildItems();
    return items;
}

bool ItemDiffers(const RecordItem& item, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    for (int i = 0; i < item.width; ++i) {
        const auto at = static_cast<std::size_t>(item.offset + i);
        if (at < a.size() && at < b.size() && ((a[at] ^ b[at]) & item.mask))
            return true;
    }
    return false;
}

std::string ItemText(const RecordItem& item, const SettingsModel& model, const EditorContext& ctx)
{
    const auto rec = model.Record(item.record);
    const auto at = static_cast<std::size_t>(item.offset);
    switch (item.value) {
    case ItemValue::Slot: {
        const auto layout = static_cast<DisplayLayout>(item.layout);
        const int code = SlotValue(rec, layout, item.group, item.index);
        static const MeasParList kNone;
        for (const PickerItem& p : PickerItems(layout, item.index, ctx.protocol, ctx.params ? *ctx.params : kNone, ctx.features, IsEnglish(ctx.language)))
            if (p.code == code)
                return p.caption;
        return "#" + std::to_string(code);
    }
    case ItemValue::Colour: {
        const Rgb5 c = UnpackColour(GetU16(rec, at));
        return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
    }
    case ItemValue::Unsigned:
    case ItemValue::Signed:
        return Number(rec, item);
    case ItemValue::Menu: {
        const std::uint16_t code = GetU16(rec, at);
        if (code == 0)
            return {};
        std::string caption = ctx.menus ? HotMenuCaption(*ctx.menus, code) : std::string();
        return caption.empty() ? "#" + std::to_string(code) : caption;
    }
    case ItemValue::Voice: {
        const int b = GetU8(rec, at);
        const auto letter = [&](int mode) {
            const auto letters = voice::ModeLetters();
            return mode < static_cast<int>(letters.size()) ? std::string(letters[static_cast<std::size_t>(mode)].Pick(ctx.language))
                                                           : "#" + std::to_string(mode);
        };
        // The row that stores into the slot for this protocol says how it is read.
        bool paired = true;
        const RuleInput in{ctx, model};
        for (const voice::WarningRow& row : voice::WarningRows())
            if (row.slot == item.offset) {
                paired = row.paired;
                if (!row.stores || row.stores(in))
                    break;
            }
        return paired ? letter(b & 7) + "/" + letter((b >> 3) & 7) : letter(b & 7);
    }
    case ItemValue::Selected:
        return (GetU8(rec, at) & item.mask) ? Tr(ctx.language, "выбрана", "selected") : Tr(ctx.language, "не выбрана", "not selected");
    case ItemValue::Show:
        return SystemsShowChoice(rec) == 0 ? Tr(ctx.language, "Все", "All") : Tr(ctx.language, "Протокол", "Protocol");
    case ItemValue::List:
        return SystemsListChoice(rec) == 0 ? Tr(ctx.language, "Списком", "List") : Tr(ctx.language, "По типам", "By types");
    }
    return {};
}

} // namespace tc
