#pragma once
// The journals the trip computer keeps in its settings memory, as texts: the
// trip and refuelling journals, the eight running summators, the fault journal
// with its freeze frames; their clear and reset commands; the tab-separated
// export. Every function reads or changes records 1, 7 and 11 of the model.
#include "common/Language.h"
#include "model/SettingsModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// Rows of cells, row 0 first, exactly as a grid shows them.
using TextTable = std::vector<std::vector<std::string>>;

// How numbers are written, and in which language the tables' words are.
// The decimal separator is the user's locale's; the window passes it and
// its language, tests and tools choose them.
struct NumberFormat {
    std::string decimalSeparator = ".";
    Language language = Language::Russian; // of the captions and words in the tables
};

// ---- Record 7: trip and refuelling journals -------------------------------

constexpr int kJournalRecordCount = 21;       // record 0 ("Last") and records 1..20
constexpr std::size_t kJournalRecordSize = 20;
constexpr std::size_t kTripJournalOffset = 16;
constexpr std::size_t kRefuelJournalOffset = 436;
constexpr int kJournalRows = kJournalRecordCount + 1; // with the header row
enum JournalColumn { ColNumber, ColDateTime, ColTravelTime, ColMileage, ColFuel, ColSpeed, ColPer100, ColPerHour, ColCost, JournalColumnCount };

// Price fields of record 7 (signed).
constexpr std::size_t kPetrolPriceOffset = 0; // tenths of a currency unit per litre
constexpr std::size_t kHourPriceOffset = 2;   // currency units per hour
constexpr std::size_t kKmPriceOffset = 4;     // tenths per kilometre
constexpr std::size_t kGasPriceOffset = 6;    // tenths per litre

enum class JournalKind { Trip, Refuel };

// One 20-byte journal record of record 7 (bounds-checked).
std::span<const std::uint8_t> JournalRecord(const SettingsModel& model, JournalKind kind, int index);

// The 22 × 9 table of the trip or refuelling grid (headers, "Last", 1..20).
TextTable FillJournal(const SettingsModel& model, JournalKind kind, const NumberFormat& fmt);
inline TextTable FillTripJournal(const SettingsModel& model, const NumberFormat& fmt) { return FillJournal(model, JournalKind::Trip, fmt); }
inline TextTable FillRefuelJournal(const SettingsModel& model, const NumberFormat& fmt) { return FillJournal(model, JournalKind::Refuel, fmt); }

// Cost of one journal record with the four prices of record 7, 1 decimal.
std::string TripCost(const SettingsModel& model, std::span<const std::uint8_t> journalRecord, const NumberFormat& fmt);

// The clear buttons: only the day bytes (the empty markers) change.
void ClearJournal(SettingsModel& model, JournalKind kind);

// ---- Charts of the trip and refuelling journals ------------------------------

// When a journal row was written, as its grid shows it (hours of the day
// wrapped at 24, minutes, day, month). The unit keeps no year: the chart puts
// each row in the latest year in which it is not later than `today`.
struct JournalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    auto operator<=>(const JournalDateTime&) const = default;
};

// The date of a journal record, or nothing for an empty record (day 0) or an
// impossible date (month 0 or beyond 12, a day the month does not have).
std::optional<JournalDateTime> JournalRecordDate(std::span<const std::uint8_t> journalRecord, const JournalDateTime& today);

enum class JournalChart { TripConsumption, RefuelConsumption, TripCost };
constexpr int kJournalChartCount = 3;
constexpr std::array<JournalChart, kJournalChartCount> kJournalCharts = {JournalChart::TripConsumption, JournalChart::RefuelConsumption,
                                                                         JournalChart::TripCost};

// The journal grid and column whose numbers a chart draws.
struct JournalChartSource {
    JournalKind journal;
    JournalColumn column;
};
JournalChartSource SourceOf(JournalChart chart);
// The chart's name (for its selector) and the caption of its value axis.
std::string JournalChartCaption(JournalChart chart, Language language);
std::string JournalChartAxisCaption(JournalChart chart, Language language);

struct JournalChartPoint {
    int record = 0; // journal record 0..20, grid row record + 1
    JournalDateTime when;
    double value = 0; // exactly the number the grid's cell shows
};

// One point per journal row that has a date and a number in the chart's
// column (a trip without distance has no consumption); oldest first, rows of
// the same minute in record order.
std::vector<JournalChartPoint> JournalChartPoints(const SettingsModel& model, JournalChart chart, const JournalDateTime& today);

// ---- Record 1: summators --------------------------------------------------

enum class Summator { All, Trip, Reset1, Stop, NoStop, Tank, OilOnly, GasOnly };
constexpr int kSummatorCount = 8;
constexpr std::array<Summator, kSummatorCount> kSummators = {Summator::All, Summator::Trip, Summator::Reset1, Summator::Stop,
                                                             Summator::NoStop, Summator::Tank, Summator::OilOnly, Summator::GasOnly};
constexpr std::size_t kKilometresOffset = 144; // cumulative whole kilometres
constexpr int kSummatorRows = 6;

struct SummatorValues {
    std::uint32_t time = 0;     // seconds
    std::uint32_t distance = 0; // metres
    std::uint32_t petrol = 0;   // millilitres
    std::uint32_t gas = 0;      // millilitres
    std::uint32_t kilometres = 0;
};

// The label above the summator's grid.
std::string SummatorCaption(Summator s, Language language);
// The values the summator's grid shows (petrol only has no gas, gas only no
// petrol; only the cumulative one carries the kilometre count).
SummatorValues ReadSummator(const SettingsModel& model, Summator s);
// The six name/value rows of a summator grid.
TextTable FillSummator(const SummatorValues& v, const NumberFormat& fmt);
inline TextTable FillSummator(const SettingsModel& model, Summator s, const NumberFormat& fmt) { return FillSummator(ReadSummator(model, s), fmt); }
// The double-click reset: the summator's values become 0; the kilometre count stays.
void ResetSummator(SettingsModel& model, Summator s);

// ---- Record 11: fault journal ----------------------------------------------

constexpr int kFaultRecordCount = 7;
constexpr std::size_t kPidBitmapOffset = 4;
constexpr std::size_t kPidBitmapSize = 12;
constexpr std::size_t kFaultRecordsOffset = 16;
constexpr std::size_t kFaultRecordSize = 92;
constexpr int kFaultRows = kFaultRecordCount + 1;
enum FaultColumn { FaultColNumber, FaultColTime, FaultColCode, FaultColumnCount };

// The protocol option bytes that decide how fault-code types 7, 8 and 9 are
// written: the chosen items of the main and the second additional protocol
// option (record 10, offsets 12 and 14).
struct FaultCodeOptions {
    std::uint8_t protTypeMain = 0;
    std::uint8_t protTypeAdd2 = 0;
};
FaultCodeOptions FaultCodeOptionsOf(const SettingsModel& model);

std::span<const std::uint8_t> FaultRecord(const SettingsModel& model, int index);

// Removes the hundreds offset of the decimal fault forms (0x4000..0x4FFF) and
// rewrites the last three decimal digits as hexadecimal nibbles (291 -> 0x291).
std::uint32_t DecimalToPCode(std::uint32_t code);
// The text of a fault code of the given protocol fault-code type.
std::string FormatFaultCode(int type, std::uint32_t code, const FaultCodeOptions& options);
// True when the freeze frames carry OBD PID p (1..96).
bool PidSupported(const SettingsModel& model, int pid);
std::string FuelSystemStatusText(std::uint8_t b, Language language);
std::string SecondaryAirStatusText(std::uint8_t b, Language language);

// The fault-code type of the vehicle protocol that the settings select (the
// device model code and the protocol index of record 10, offset 4). The model
// table is evaluated for these settings (its texts in `language`) when their
// catalog holds another model, so the codes never follow a protocol of earlier
// settings. Settings that select no protocol get the standard OBD form (type 0).
int CurrentFaultCodeType(const SettingsModel& model, Language language);

// The 8 × 3 fault list; `faultCodeType` is the current protocol's.
TextTable FillFaultJournal(const SettingsModel& model, int faultCodeType, Language language);
// The freeze frame of fault-list row `row` (row n shows fault record n - 1):
// nothing for row 0 or a row outside the list (the grid keeps what it shows),
// an empty table when the record has no freeze frame, else the rows to show.
std::optional<TextTable> ShowFreezeFrame(const SettingsModel& model, int row, const NumberFormat& fmt);
// The clear button: the PID bitmap and every fault and freeze-frame code become 0.
void ClearFaultJournal(SettingsModel& model);

// One row of the freeze-frame table, for tests and listings.
enum class FreezeValue { FuelSystem1, FuelSystem2, Integer, Tenths, Hundredths, AirStatus };
struct FreezeFrameRow {
    int pid;
    std::size_t offset; // in the fault record
    FreezeValue kind;
    std::string_view english;
    std::string_view russian;
};
std::span<const FreezeFrameRow> FreezeFrameRows();

// ---- Export ------------------------------------------------------------------

// The bytes of a saved journal table: a UTF-8 byte-order mark, then every row
// with each cell followed by a tab and the line ended by CR LF. The mark lets
// spreadsheets on Windows and Linux recognise the encoding of the Cyrillic texts.
std::string JournalExportText(const TextTable& table);
// Writes the export to `path`; an old file is replaced only once the new one is
// complete. Throws tc::Error with the user text (in `language`) when the file
// cannot be written.
void SaveJournalText(const TextTable& table, const std::string& path, Language language);

// ---- Number texts (shared with the window) -----------------------------------

// num / den rounded half away from zero to `decimals` digits (den > 0).
std::string FormatFixed(std::int64_t num, std::int64_t den, int decimals, const NumberFormat& fmt);
// H:MM of a number of minutes.
std::string FormatHoursMinutes(std::uint64_t minutes);

} // namespace tc
