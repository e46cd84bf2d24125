#pragma once
// Journals for the chart tests: the simulated unit's sample trips and refuels
// plus rows a chart must treat with care (an impossible date, a month beyond
// 12, a trip without distance, a time beyond midnight, 29 February, a date
// later than "today"), and the prices that make some costs negative.
#include "journals/Journals.h"

#include "SimDevice.h"
#include "common/Bytes.h"
#include "model/ReferenceLayout.h"

#include <charconv>
#include <optional>
#include <set>
#include <string>

namespace tc::test {

// The day the chart tests take as today.
inline constexpr JournalDateTime kChartToday{2026, 12, 9, 12, 0};
// Records whose date a chart cannot place.
inline const std::set<std::pair<JournalKind, int>> kUndatedRecords = {{JournalKind::Trip, 7}, {JournalKind::Trip, 9}};

inline void PutJournalRecord(SettingsModel& model, JournalKind kind, int index, int minutes, int day, int month, std::uint32_t seconds,
                             std::uint32_t metres, std::uint32_t petrol, std::uint32_t gas)
{
    auto r = model.Record(7).subspan((kind == JournalKind::Trip ? kTripJournalOffset : kRefuelJournalOffset) + static_cast<std::size_t>(index) * kJournalRecordSize,
                                     kJournalRecordSize);
    PutU16(r, 0, static_cast<std::uint16_t>(minutes));
    PutU8(r, 2, static_cast<std::uint8_t>(day));
    PutU8(r, 3, static_cast<std::uint8_t>(month));
    PutU32(r, 4, seconds);
    PutU32(r, 8, metres);
    PutU32(r, 12, petrol);
    PutU32(r, 16, gas);
}

inline void LoadChartSample(SettingsModel& model, bool negativePrices = false)
{
    model.Image = ImageFromMemory(sim::SampleMemory());
    model.DeviceModelCode = 0xC000;
    model.DecodeAll(Language::Russian);
    using K = JournalKind;
    PutJournalRecord(model, K::Trip, 7, 9 * 60, 31, 11, 1200, 15000, 1100, 0);       // 31 November
    PutJournalRecord(model, K::Trip, 8, 10 * 60, 2, 12, 900, 0, 300, 0);             // standing still: no consumption
    PutJournalRecord(model, K::Trip, 9, 11 * 60, 4, 13, 700, 8000, 600, 0);          // month 13
    PutJournalRecord(model, K::Trip, 10, 25 * 60 + 7, 1, 12, 2400, 33333, 2500, 10); // 25:07, shown as 01:07
    PutJournalRecord(model, K::Refuel, 3, 14 * 60, 29, 2, 9000, 150000, 12000, 0);   // a leap day
    PutJournalRecord(model, K::Refuel, 4, 8 * 60, 25, 12, 8000, 140000, 11111, 0);   // later than today: last year
    if (negativePrices) {
        PutU16(model.Record(7), kPetrolPriceOffset, static_cast<std::uint16_t>(-455));
        PutU16(model.Record(7), kHourPriceOffset, 7);
        PutU16(model.Record(7), kKmPriceOffset, 1);
    }
    model.EncodeSection(7);
}

// A cell's text as a number, or nothing when it is not one ("---", empty).
inline std::optional<double> CellNumber(const std::string& text)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return v;
}

} // namespace tc::test
