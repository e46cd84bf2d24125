#include "editor/TankFile.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/ServiceFile.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <stdexcept>

namespace tc::tank {

namespace {

constexpr int kUnitsLimit = 32767;
constexpr int kLitresLimit = 255;
constexpr int kAbove240 = 240;
// A file bigger than this is no tank file of any version; it is refused as too large.

// One stretch of the file: `length` bytes at `fileOffset` are record bytes
// from `offset` on, made of values of `width` bytes.
struct FileRange {
    std::size_t fileOffset;
    int record;
    std::size_t offset;
    std::size_t length;
    std::size_t width;
};

constexpr FileRange kLayout[] = {
    {0, kLinearRecord, 0, 2, 2},    // two-point calibration: units of point 1
    {2, kLinearRecord, 2, 2, 2},    // litres of point 1
    {4, kLinearRecord, 4, 2, 2},    // units of point 2
    {6, kLinearRecord, 6, 2, 2},    // litres of point 2
    {8, kLinearRecord, 8, 14, 2},   // seven-point units
    {22, kLinearRecord, 22, 14, 2}, // seven-point litres
    {36, kLinearRecord, kSevenPointCountOffset, 1, 1},
    {37, kTareRecord, 0, 1, 1},
    {38, kTareRecord, 1, 1, 1}, // tare finished
    {39, kTareRecord, kTareCountOffset, 1, 1},
    {40, kTareRecord, kTareAbove240Offset, 1, 1},
    {41, kTareRecord, kTareLitresOffset, kMaxTarePoints, 1},
    {109, kTareRecord, kTareUnitsOffset, 2 * kMaxTarePoints, 2},
};
static_assert(kLayout[std::size(kLayout) - 1].fileOffset + kLayout[std::size(kLayout) - 1].length == kTankFileSize);

// Only the digits of a text, as a number; saturates far above any limit.
long long Digits(std::string_view text, bool& any)
{
    long long value = 0;
    any = false;
    for (char c : text)
        if (c >= '0' && c <= '9') {
            any = true;
            value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
        }
    return value;
}

int ParseColumn(const EditSession& session, std::string_view text, int limit, std::string_view ru, std::string_view en)
{
    bool any = false;
    const long long value = Digits(text, any);
    if (value > limit) {
        ShownControl c;
        c.caption = Tr(session.Context().language, ru, en);
        c.min = 0;
        c.max = limit;
        throw Error(session.RangeMessage(c, text));
    }
    return static_cast<int>(value);
}

void UpdateAbove240(SettingsModel& model)
{
    auto rec = model.Record(kTareRecord);
    rec[kTareAbove240Offset] = GetS16(rec, kTareUnitsOffset) > kAbove240 ? 1 : 0;
}

} // namespace

int TareCount(const SettingsModel& model)
{
    const int count = model.Record(kTareRecord)[kTareCountOffset];
    return count > kMaxTarePoints ? 0 : count;
}

std::vector<TarePoint> TarePoints(const SettingsModel& model)
{
    const auto rec = model.Record(kTareRecord);
    std::vector<TarePoint> points(static_cast<std::size_t>(TareCount(model)));
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = {rec[kTareLitresOffset + i], GetS16(rec, kTareUnitsOffset + 2 * i)};
    return points;
}

TarePoint ParseTarePoint(const EditSession& session, std::string_view litres, std::string_view units)
{
    return {ParseColumn(session, litres, kLitresLimit, "литры", "litres"), ParseColumn(session, units, kUnitsLimit, "уе", "CU")};
}

void StoreTarePoints(SettingsModel& model, std::span<const TarePoint> points)
{
    if (points.size() > static_cast<std::size_t>(TareCount(model)))
        throw std::out_of_range("more tare points than the stored count");
    for (const auto& p : points)
        if (p.litres < 0 || p.litres > kLitresLimit || p.units < -32768 || p.units > kUnitsLimit)
            throw std::out_of_range("tare point outside its field");
    auto rec = model.Record(kTareRecord);
    for (std::size_t i = 0; i < points.size(); ++i) {
        rec[kTareLitresOffset + i] = static_cast<std::uint8_t>(points[i].litres);
        PutU16(rec, kTareUnitsOffset + 2 * i, static_cast<std::uint16_t>(points[i].units));
    }
    UpdateAbove240(model);
}

void StoreTarePoint(SettingsModel& model, int index, const TarePoint& point)
{
    if (index < 0 || index >= TareCount(model))
        throw std::out_of_range("tare point beyond the stored count");
    auto points = TarePoints(model);
    points[static_cast<std::size_t>(index)] = point;
    StoreTarePoints(model, points);
}

std::vector<std::uint8_t> TankFileBytes(const SettingsModel& model)
{
    std::vector<std::uint8_t> file(kTankFileSize);
    for (const auto& r : kLayout) {
        const auto rec = model.Record(r.record);
        std::copy_n(rec.begin() + static_cast<std::ptrdiff_t>(r.offset), r.length, file.begin() + static_cast<std::ptrdiff_t>(r.fileOffset));
    }
    return file;
}

TankLoad ApplyTankFile(SettingsModel& model, std::span<const std::uint8_t> file)
{
    TankLoad load;
    const std::size_t size = std::min(file.size(), kTankFileSize);
    for (const auto& r : kLayout) {
        if (r.fileOffset >= size)
            break;
        const std::size_t covered = std::min(r.length, size - r.fileOffset) / r.width * r.width;
        auto rec = model.Record(r.record);
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(r.fileOffset), covered, rec.begin() + static_cast<std::ptrdiff_t>(r.offset));
        load.used = r.fileOffset + covered;
    }
    // Counts beyond what the device can hold would have it read past its tables.
    auto r3 = model.Record(kLinearRecord);
    if (size > 36 && r3[kSevenPointCountOffset] > kMaxLinearPoints) {
        r3[kSevenPointCountOffset] = 0;
        load.linearCountReset = true;
    }
    auto r4 = model.Record(kTareRecord);
    if (size > 39 && r4[kTareCountOffset] > kMaxTarePoints) {
        r4[kTareCountOffset] = 0;
        load.tareCountReset = true;
    }
    return load;
}

void SaveTankFile(const SettingsModel& model, const std::string& path, Language language)
{
    WriteFileAtomically(path, TankFileBytes(model), language);
}

std::vector<std::uint8_t> ReadTankFile(const std::string& path, Language language)
{
    // Loading nothing is no load: said, as for the maintenance file; a file
    // longer than the format is refused with both sizes.
    return ReadSideFile(path, kTankFileSize,
                        Tr(language, "Файл \"" + path + "\" пуст: в нём нет настроек бака.", "File \"" + path + "\" is empty: it holds no tank settings."),
                        language);
}

} // namespace tc::tank
