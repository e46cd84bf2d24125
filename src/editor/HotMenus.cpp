#include "editor/HotMenus.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "model/DisplayRecord.h"
#include "preview/Screens.h"

#include <algorithm>

namespace tc {

static_assert(kHotMenuOffsets[0] == kHotMenuOffset && kHotMenuOffsets[2] == kHotMenuOffset + 40 && kHotMenuSlots == kHotMenuRows);

HotMenuList Compacted(const HotMenuList& list)
{
    HotMenuList out{};
    std::size_t n = 0;
    for (std::uint16_t code : list)
        if (code != 0)
            out[n++] = code;
    return out;
}

HotMenus::HotMenus(std::span<std::uint8_t> record9, bool english) : record_(record9), english_(english)
{
    CheckRange(record9.size(), kHotMenuOffset, 2 * kHotMenuLists * kHotMenuRows);
}

HotMenuList HotMenus::Stored(int list) const
{
    CheckList(list);
    HotMenuList out{};
    for (int i = 0; i < kHotMenuRows; ++i)
        out[static_cast<std::size_t>(i)] = GetU16(record_, static_cast<std::size_t>(kHotMenuOffset + 20 * list + 2 * i));
    return out;
}

void HotMenus::Store(int list, const HotMenuList& entries)
{
    const HotMenuList c = Compacted(entries);
    for (int i = 0; i < kHotMenuRows; ++i)
        PutU16(record_, static_cast<std::size_t>(kHotMenuOffset + 20 * list + 2 * i), c[static_cast<std::size_t>(i)]);
}

void HotMenus::CompactAll()
{
    for (int l = 0; l < kHotMenuLists; ++l)
        Store(l, Stored(l));
}

void HotMenus::CheckList(int list) const
{
    if (list < 0 || list >= kHotMenuLists)
        throw Error(english_ ? "There is no hot menu #" + std::to_string(list)
                             : "Нет горячего меню №" + std::to_string(list));
}

void HotMenus::CheckRow(int row) const
{
    if (row < 0 || row >= kHotMenuRows)
        throw Error(english_ ? "A hot menu has rows 0 to 9, not " + std::to_string(row)
                             : "В горячем меню строки с 0 по 9, а не " + std::to_string(row));
}

void HotMenus::Insert(int list, int row, std::uint16_t code)
{
    CheckRow(row);
    HotMenuList l = Shown(list);
    if (code == 0)
        return; // an empty entry would only be compacted away
    for (int i = kHotMenuRows - 1; i > row; --i)
        l[static_cast<std::size_t>(i)] = l[static_cast<std::size_t>(i - 1)];
    l[static_cast<std::size_t>(row)] = code;
    Store(list, l);
}

void HotMenus::Delete(int list, int row)
{
    CheckRow(row);
    HotMenuList l = Shown(list);
    l[static_cast<std::size_t>(row)] = 0;
    Store(list, l);
}

void HotMenus::Clear(int list)
{
    CheckList(list);
    Store(list, HotMenuList{});
}

void HotMenus::Move(int list, int from, int to)
{
    CheckRow(from);
    CheckRow(to);
    HotMenuList l = Shown(list);
    const auto f = l.begin() + from;
    const auto t = l.begin() + to;
    if (to < from)
        std::rotate(t, f, f + 1);
    else if (from < to)
        std::rotate(f, f + 1, t + 1);
    Store(list, l);
}

std::string HotMenuCaption(const MenuItemList& catalog, std::uint16_t code)
{
    if (code == 0)
        return {};
    const MenuItem* item = FindMenuItemByCode(catalog, code);
    return item ? item->Caption : std::string();
}

std::vector<PanelChoice> ExtraPanelChoices(const ModelFeatures& features, bool english)
{
    std::vector<PanelChoice> out;
    int n = 0;
    for (const PanelItem* item : PanelItems(features))
        out.push_back({n++, PanelItemName(*item, english)});
    return out;
}

} // namespace tc

namespace tc {

namespace {

using FeatureRule = bool (*)(const ModelFeatures&);

// One line of an insertion-menu table: an item name, or a submenu opening
// (title set) that runs until its matching End line.
struct TreeRow {
    std::string_view name;     // menu item name; empty for a submenu line
    FeatureRule offered = nullptr;
    std::string_view titleRu{}; // submenu opening
    std::string_view titleEn{};
    bool end = false; // closes the innermost submenu
};

constexpr TreeRow Item(std::string_view name, FeatureRule rule = nullptr) { return {name, rule}; }
constexpr TreeRow Sub(std::string_view ru, std::string_view en, FeatureRule rule = nullptr) { return {{}, rule, ru, en}; }
constexpr TreeRow End() { return {{}, nullptr, {}, {}, true}; }

bool Gas(const ModelFeatures& f) { return !f.NoGasFuel; }
bool Ignition(const ModelFeatures& f) { return f.IgnitionCorrection; }
bool Hybrid(const ModelFeatures& f) { return f.HasHybridDrive; }
bool LowBeam(const ModelFeatures& f) { return f.LowBeamOnAirInput; }
bool Acceleration(const ModelFeatures& f) { return !f.NoAccelerationTest; }
bool Volume(const ModelFeatures& f) { return !f.NoVolumeControl; }
bool Holo(const ModelFeatures& f) { return !f.LowBeamOnAirInput && !f.KmPerLitre; }
bool LightWarnings(const ModelFeatures& f) { return !f.NoLightWarnings; }
bool Traffic(const ModelFeatures& f) { return !f.NoTrafficStats; }
bool Blocks(const ModelFeatures& f) { return f.EcuBlocksMenu; }

constexpr TreeRow kParamsTree[] = {
    Sub("Управление", "Control"),
    Item("VirtLockMenu"), Item("FullTankMenu"), Item("ToTankMenu"), Item("InTankMenu"),
    Item("FullGasTankMenu", Gas), Item("ToGasTankMenu", Gas), Item("InGasTankMenu", Gas),
    Item("VentOnMenu"), Item("PrognozMenu"), Item("InjTimeHHMenu"), Item("ExpenseHHMenu"),
    Item("CorrUOZMenu", Ignition), Item("CandleDryMenu"), Item("EBUInitMenu"), Item("EBUResetMenu"),
    Item("HVFanForcedOnMenu", Hybrid),
    End(),
    Sub("Источники", "Resources"),
    Item("TankMethMenu"), Item("LightsOnMenu", LowBeam), Item("IntenseDayTimeMenu"), Item("IntenseNightTimeMenu"),
    End(),
    Sub("Границы", "Limits"),
    Item("LiqTemperLimitMenu"), Item("RevolutionsLimitMenu"), Item("VelocityLimitMenu"), Item("TankLimitMenu"),
    Item("VentTempLimitMenu"), Item("InjTimeLimitMenu"), Item("LiqTemperReadyMenu"),
    Item("Vel100Menu", Acceleration), Item("Vel100DownMenu", Acceleration),
    End(),
    Sub("Дисплей", "Display"),
    Item("Intense0Menu"), Item("Intense1Menu"), Item("IntenseDayTimeMenu"), Item("IntenseNightTimeMenu"),
    End(),
    Sub("Озвуч.сообщения", "Voice messages"),
    Item("AlarmPermJournMenu"), Item("SoundVolumeMenu", Volume), Item("FlagSoundMenu"), Item("SayParamPeriodMenu"),
    Item("apVelMenu"), Item("AlarmVelSecNoSayMaxMenu"), Item("apRevMenu"), Item("apTankMenu"),
    Item("LightsOnMenu", LowBeam), Item("apHoloMenu", Holo),
    Item("apEconomMenu", LightWarnings), Item("apGabarMenu", LightWarnings), Item("apLightsMenu", LightWarnings),
    Item("apTankFullMenu"), Item("apInjTimeMenu"), Item("apErrorMenu"), Item("apLiqTempHighMenu"), Item("apLiqTempReadyMenu"),
    End(),
    Sub("TO", "TS"),
    Item("ErrorsMenu"),
    End(),
    Sub("Пробуксовка", "Slip", Blocks),
    Item("BlocksBoschESP9Menu"), Item("BlocksBoschESP91Menu"), Item("BlocksBoschABSESP9Menu"),
    Item("BlocksABSKesens102Menu"), Item("BlocksABSItelmaMenu"), Item("BlocksABSAPGMenu"), Item("BlocksABS9Menu"),
    End(),
};

constexpr TreeRow kParkTree[] = {
    Sub("Парковка", "Parking"),
    Item("ParkOffMenu"), Item("ParkUseMenu_0"), Item("ParkSenseMenu_0"), Item("ParkSpeedMenu_0"),
    Item("ParkBeepTypeMenu"), Item("ParkAlwaysOnMenu"),
    End(),
    Sub("Парковка вперед", "Front parking"),
    Item("ParkUseMenu_1"), Item("ParkForwConstOffMenu"), Item("ParkSenseMenu_1"), Item("ParkSpeedMenu_1"),
    End(),
};

// The averages list has numbered runs; its table is built once.
std::vector<TreeRow> AveragesTree()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (int i = 1; i <= 20; ++i)
            n.push_back("WriteTrip" + std::to_string(i) + "Menu");
        for (int i = 0; i <= 20; ++i)
            n.push_back("ViewTrip" + std::to_string(i) + "Menu");
        for (int i = 0; i <= 20; ++i)
            n.push_back("ViewTank" + std::to_string(i) + "Menu");
        return n;
    }();
    std::vector<TreeRow> rows = {
        Item("InitTripParamsMenu"), Item("InitReset0ParamsMenu"), Item("InitReset1ParamsMenu"),
        Item("InitStopParamsMenu", Traffic), Item("InitNoStopParamsMenu", Traffic),
        Item("InitResetOnlyParamsMenu", Gas), Item("InitResetOnlyGasParamsMenu", Gas), Item("InitResetOnlyOilParamsMenu", Gas),
        Item("TripMinStopMenu"), Item("TripJournMenu"),
        Sub("Журнал поездок", "Trip log"),
        Item("ContinueTripMenu"), Item("WriteTripMenu"),
        Sub("Записать", "Save"),
    };
    std::size_t n = 0;
    for (; n < 20; ++n)
        rows.push_back(Item(names[n]));
    rows.push_back(End());
    rows.push_back(Item("ViewTripMenu"));
    rows.push_back(Sub("Просмотреть", "View"));
    for (; n < 41; ++n)
        rows.push_back(Item(names[n]));
    rows.push_back(End());
    rows.push_back(End());
    rows.push_back(Item("TankJournMenu"));
    rows.push_back(Sub("Журнал заправок", "Petrol log"));
    for (; n < names.size(); ++n)
        rows.push_back(Item(names[n]));
    rows.push_back(End());
    return rows;
}

// Builds the nodes from rows[i] up to the End that closes this level.
std::vector<MenuNode> BuildLevel(std::span<const TreeRow> rows, std::size_t& i, const MenuItemList& catalog,
                                 const ModelFeatures& f, bool english)
{
    std::vector<MenuNode> nodes;
    while (i < rows.size()) {
        const TreeRow& row = rows[i++];
        if (row.end)
            break;
        const bool offered = !row.offered || row.offered(f);
        if (!row.titleRu.empty()) {
            MenuNode sub{std::string(english ? row.titleEn : row.titleRu), 0, BuildLevel(rows, i, catalog, f, english)};
            if (offered && !sub.children.empty())
                nodes.push_back(std::move(sub));
            continue;
        }
        if (!offered)
            continue;
        if (const MenuItem* item = FindMenuItemByName(catalog, row.name))
            nodes.push_back({item->Caption, item->Code, {}});
    }
    return nodes;
}

} // namespace

std::vector<MenuNode> InsertionMenu(int list, const MenuItemList& catalog, const ModelFeatures& features, bool english)
{
    std::vector<TreeRow> averages;
    std::span<const TreeRow> rows;
    switch (list) {
    case 0: rows = kParamsTree; break;
    case 1: averages = AveragesTree(); rows = averages; break;
    case 2: rows = kParkTree; break;
    default:
        throw Error(english ? "Only hot menus 0, 1 and 2 are edited" : "Редактируются только горячие меню 0, 1 и 2");
    }
    std::size_t i = 0;
    return BuildLevel(rows, i, catalog, features, english);
}

} // namespace tc
