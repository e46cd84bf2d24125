#include "model/RecordDefaults.h"

#include "model/SettingsModel.h"

#include <iterator>

namespace tc {

namespace {

// ---- stored values ----

constexpr std::int64_t kServiceIntervals[] = {15, 45, 30, 45, 30, 15, 30}; // thousand km, air filter .. item 3
// Record 6 offsets 8..28: coolant, AT oil wear, battery low and high, AT oil,
// engine oil, fan, jam speed, acceleration, braking, retarder oil.
constexpr std::int64_t kWordLimits[] = {115, 30, 115, 155, 110, 110, 115, 20, 100, 100, 165};
// Record 6 offsets 30..34: warm engine, injection time, diesel filter, inverter, HVB temperature.
constexpr std::int64_t kByteLimits[] = {70, 9, 25, 120, 120};
// The parameter codes of the x4, x6 and x9 slots, one run.
constexpr std::int64_t kSlots[] = {
    4, 14, 8, 9, 13, 10, 11, 4, 1, 2, 5, 9, 7, 12, 3, 6, 7, 10, 8, 12, 18, 25, 27, 21,           // x4
    12, 17, 13, 10, 8, 9, 13, 17, 12, 10, 8, 9,                                                 // x6
    14, 5, 12, 1, 2, 6, 10, 8, 9, 11, 24, 13, 23, 18, 17, 7, 19, 22, 1, 2, 3, 5, 14, 6, 20, 24, 25, // x9
};
static_assert(std::size(kSlots) == kNineTileSlots.End() - kFourTileSlots.offset);
constexpr std::int64_t kTankPoints = 15;
constexpr std::int64_t kAllBits = 0xFFFFFFFF;

constexpr DefaultRun kRuns[] = {
    // Record 1
    {.key = "averages.reset2", .record = 1, .offset = 153, .first = 255},
    {.key = "averages.reset_gas_petrol", .record = 1, .offset = 158, .first = 255},
    // Record 3: the tank's calibrations and volumes
    {.key = "tank.two_point1.units", .record = 3, .offset = 0, .as = StoredAs::U16, .first = 1000},
    {.key = "tank.two_point1.litres", .record = 3, .offset = 2, .as = StoredAs::U16, .first = 6},
    {.key = "tank.two_point2.units", .record = 3, .offset = 4, .as = StoredAs::U16, .first = 10},
    {.key = "tank.two_point2.litres", .record = 3, .offset = 6, .as = StoredAs::U16, .first = 43},
    {.key = "tank.seven_point", .record = 3, .offset = 8, .as = StoredAs::U16, .step = 100, .count = 7},  // units
    {.key = "tank.seven_point", .record = 3, .offset = 22, .as = StoredAs::U16, .step = 6, .count = 7},   // litres
    {.key = "tank.seven_points", .record = 3, .offset = 36, .first = 7},
    {.key = "sources.tank_volume", .record = 3, .offset = 44, .as = StoredAs::U16, .first = 50},
    {.key = "sources.gas_tank_volume", .record = 3, .offset = 56, .as = StoredAs::U16, .first = 50},
    // Record 4: the tare table
    {.key = "tank.tare_finished", .record = 4, .offset = 1, .first = 1},
    {.key = "tank.tare_points", .record = 4, .offset = 2, .first = kTankPoints},
    {.key = "tank.tare.litres", .record = 4, .offset = 8, .first = 16, .step = 3, .count = kTankPoints},
    {.key = "tank.tare.units", .record = 4, .offset = 144, .as = StoredAs::U16, .step = 50, .count = kTankPoints},
    // Record 5: maintenance and the universal input
    {.key = "maintenance", .record = 5, .offset = 0, .list = kServiceIntervals},
    {.key = "maintenance.service_date", .record = 5, .offset = 8, .as = StoredAs::U32, .first = 4392},
    {.key = "maintenance.insurance_date", .record = 5, .offset = 12, .as = StoredAs::U32, .first = 4392},
    {.key = "maintenance.use", .record = 5, .offset = 100, .as = StoredAs::U16, .first = 511}, // every usage flag
    {.key = "trim.max_adc", .record = 5, .offset = 110, .as = StoredAs::U16, .first = 1023},
    {.key = "trim.max_reading", .record = 5, .offset = 114, .as = StoredAs::U16, .first = 90},
    // Record 6: the main flags, limits, corrections and sources
    {.key = "corrections.injector_polarity", .record = 6, .offset = 0, .as = StoredAs::U32, .first = 0x400},
    {.key = "limits.speed", .record = 6, .offset = 4, .first = 40},
    {.key = "limits.engine_speed", .record = 6, .offset = 5, .first = 80},
    {.key = "limits.fuel", .record = 6, .offset = 6, .first = 10},
    {.key = "limits", .record = 6, .offset = 8, .as = StoredAs::U16, .list = kWordLimits},
    {.key = "limits", .record = 6, .offset = 30, .list = kByteLimits},
    {.key = "corrections.petrol", .record = 6, .offset = 56, .as = StoredAs::F32, .first = 1},
    {.key = "corrections.speed", .record = 6, .offset = 60, .as = StoredAs::F32, .first = 1},
    {.key = "corrections.gas", .record = 6, .offset = 64, .as = StoredAs::F32, .first = 1},
    {.key = "corrections.tachometer", .record = 6, .offset = 73, .first = 1},
    // Record 7: the cost calculation
    {.key = "averages.price_petrol", .record = 7, .offset = 0, .as = StoredAs::U16, .first = 250},
    {.key = "averages.price_distance", .record = 7, .offset = 4, .as = StoredAs::U16, .first = 30},
    // Record 9: display slots, the scheme choice and the screens shown
    {.key = "display.slot", .record = kDisplayRecord, .offset = static_cast<int>(kFourTileSlots.offset), .list = kSlots},
    {.key = "display.manual_scheme", .record = kDisplayRecord, .offset = 195, .first = 1},
    {.key = "display.show.x1", .record = kDisplayRecord, .offset = 288, .as = StoredAs::U32, .first = kAllBits},
    {.key = "display.show.x6", .record = kDisplayRecord, .offset = 296, .as = StoredAs::U16, .first = 1},
    {.key = "display.show.averages", .record = kDisplayRecord, .offset = 298, .as = StoredAs::U16, .first = 511},
    {.key = "display.show.x4", .record = kDisplayRecord, .offset = 300, .as = StoredAs::U16, .first = 63},
    {.key = "display.show.x9", .record = kDisplayRecord, .offset = 302, .as = StoredAs::U16, .first = 7},
    {.key = "display.consumption_limit", .record = kDisplayRecord, .offset = 304, .as = StoredAs::U16, .first = 8},
};

constexpr DefaultName kNames[] = {
    {"maintenance.item1_name", 5, 52, "ТО форсунок", "Inject. TS"},
    {"maintenance.item2_name", 5, 68, "Замена рем.ГРМ", "GDM belt repl."},
    {"maintenance.item3_name", 5, 84, "Замена свечей", "Spark pl.repl."},
};

// ---- colour schemes ----

constexpr Rgb5 kDayColours[16] = {
    {0, 0, 0}, {0, 9, 9}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {16, 16, 16},
    {12, 5, 3}, {31, 0, 0}, {0, 31, 0}, {31, 31, 0}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {31, 31, 31},
};
constexpr Rgb5 kNightColours[16] = {
    {0, 0, 0}, {3, 12, 12}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {29, 29, 29},
    {17, 17, 17}, {13, 0, 0}, {0, 31, 0}, {23, 23, 23}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {13, 13, 22},
};
constexpr Rgb5 kNightHybridColours[16] = {
    {0, 0, 0}, {0, 9, 9}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {16, 16, 16},
    {5, 1, 0}, {13, 0, 0}, {0, 31, 0}, {21, 21, 21}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {13, 13, 22},
};
// Scheme bytes 32..39: value ink and paper, caption ink and paper, separator,
// active menu ink and paper, byte 39. The graph and dial roles (40..54) are 0.
constexpr std::uint8_t kDayRoles[] = {15, 4, 11, 12, 15, 15, 9, 10};
constexpr std::uint8_t kDayRolesHybrid[] = {10, 4, 11, 12, 14, 14, 7, 11};
constexpr std::uint8_t kNightRoles[] = {7, 0, 11, 4, 3, 6, 1, 15};
constexpr std::uint8_t kNightRolesHybrid[] = {7, 0, 11, 0, 0, 15, 1, 12};

// [hybrid][scheme]
const DefaultScheme kSchemes[2][2] = {
    {{kDayColours, kDayRoles, 10}, {kNightColours, kNightRoles, 0}},
    {{kDayColours, kDayRolesHybrid, 10}, {kNightHybridColours, kNightRolesHybrid, 0}},
};

// ---- hot menus ----

constexpr std::string_view kParamsMenu[] = {"FullTankMenu", "ToTankMenu", "ErrorsMenu", "FlagSoundMenu", "VelocityLimitMenu", "PrognozMenu", "ExpenseHHMenu"};
constexpr std::string_view kAveragesMenu[] = {"TripJournMenu", "InitReset0ParamsMenu", "InitReset1ParamsMenu", "ContinueTripMenu", "TankJournMenu"};
constexpr std::string_view kParkingMenu[] = {"ParkOffMenu", "ParkSenseMenu_0", "ParkSpeedMenu_0", "ParkBeepTypeMenu", "ParkAlwaysOnMenu"};

constexpr DefaultHotMenu kHotMenus[] = {
    {"display.menu.params", 0, kParamsMenu},
    {"display.menu.averages", 1, kAveragesMenu},
    {"display.menu.parking", 2, kParkingMenu, true},
};

} // namespace

std::span<const DefaultRun> DefaultRuns()
{
    return kRuns;
}

std::span<const DefaultName> DefaultNames()
{
    return kNames;
}

const DefaultScheme& DefaultColourScheme(int scheme, bool hybridDrive)
{
    return kSchemes[hybridDrive ? 1 : 0][scheme == 0 ? 0 : 1];
}

std::span<const DefaultHotMenu> DefaultHotMenus()
{
    return kHotMenus;
}

} // namespace tc
