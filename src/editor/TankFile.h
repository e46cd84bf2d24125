#pragma once
// The tank calibration: the tare table of record 4 (up to 68 points of litres
// and sensor units) with its committed texts, and the tank file (".qveto"),
// a headerless 245-byte copy of the two linear calibrations and the tare
// table, by which a calibration travels to later device software.
#include "common/Language.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

class EditSession;
class SettingsModel;

namespace tank {

constexpr int kLinearRecord = 3;
constexpr int kTareRecord = 4;
constexpr int kMaxTarePoints = 68;
constexpr int kMaxLinearPoints = 7;
constexpr std::size_t kSevenPointCountOffset = 36; // record 3
constexpr std::size_t kTareCountOffset = 2;        // record 4
constexpr std::size_t kTareAbove240Offset = 6;     // record 4: the first point's units are above 240
constexpr std::size_t kTareLitresOffset = 8;       // record 4: one byte per point
constexpr std::size_t kTareUnitsOffset = 144;      // record 4: a signed 16-bit value per point

struct TarePoint {
    int litres = 0;
    int units = 0;
    friend bool operator==(const TarePoint&, const TarePoint&) = default;
};

// The stored point count; a count above 68 counts as 0.
int TareCount(const SettingsModel& model);
std::vector<TarePoint> TarePoints(const SettingsModel& model);

// The texts of a point as typed: only the digits count ("1 2" is 12, nothing
// is 0); litres must fit 0..255 and units 0..32767. Throws tc::Error with the
// session's range message naming the column; any number of digits is safe.
TarePoint ParseTarePoint(const EditSession& session, std::string_view litres, std::string_view units);
// Stores points 0..n-1 (n at most the stored count) and recomputes the flag
// of the first point above 240 units. Nothing is written for a point beyond
// the stored count: throws std::out_of_range before writing.
void StoreTarePoints(SettingsModel& model, std::span<const TarePoint> points);
// Stores one point (0-based) of the stored count and recomputes the flag.
void StoreTarePoint(SettingsModel& model, int index, const TarePoint& point);

// ---- the tank file ----

constexpr std::size_t kTankFileSize = 245;
constexpr std::string_view kTankFileSuffix = "qveto";

// The 245 bytes of the file, from the model's records 3 and 4.
std::vector<std::uint8_t> TankFileBytes(const SettingsModel& model);

struct TankLoad {
    std::size_t used = 0;   // bytes of the file that were copied (whole values only)
    bool tareCountReset = false;   // the file's tare count was above 68: stored as 0
    bool linearCountReset = false; // the file's seven-point count was above 7: stored as 0
};
// Copies the file's bytes into the model's fields in file order. A short file
// fills the values it covers completely; a 16-bit value it cuts in half keeps
// its old value. Bytes beyond 245 are ignored.
TankLoad ApplyTankFile(SettingsModel& model, std::span<const std::uint8_t> file);

// Writes the file through the atomic save; throws tc::Error with the user text.
void SaveTankFile(const SettingsModel& model, const std::string& path, Language language);
// Reads the file's bytes from a regular file; throws tc::Error with the user
// text (a folder, a pipe, a missing or empty file, a file longer than 245
// bytes, naming its size) and reads nothing then.
std::vector<std::uint8_t> ReadTankFile(const std::string& path, Language language);

} // namespace tank
} // namespace tc
