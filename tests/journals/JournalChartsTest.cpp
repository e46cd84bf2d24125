// The journal charts: every point is the number its grid cell shows, at the
// date the row shows, and the rows a chart cannot place are left out.
#include "ChartSample.h"

#include "common/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace tc {
namespace {

using test::CellNumber;
using test::kChartToday;

// Walks every row of the grid each chart draws from: a row has a point
// exactly when its cell is a number and its date can be placed, the point's
// value equals the cell's number and its time the row's date text.
TEST(JournalCharts, EveryPointIsTheNumberAndDateItsGridRowShows)
{
    for (bool negativePrices : {false, true}) {
        SettingsModel model;
        test::LoadChartSample(model, negativePrices);
        std::size_t compared = 0, left = 0;
        for (auto chart : kJournalCharts) {
            const auto source = SourceOf(chart);
            const TextTable table = FillJournal(model, source.journal, NumberFormat{});
            const auto points = JournalChartPoints(model, chart, kChartToday);
            EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.when < b.when; }));
            for (int r = 0; r < kJournalRecordCount; ++r) {
                SCOPED_TRACE(JournalChartCaption(chart, Language::Russian) + ", record " + std::to_string(r) + (negativePrices ? ", negative prices" : ""));
                const auto& row = table[static_cast<std::size_t>(r) + 1];
                const auto number = CellNumber(row[source.column]);
                const bool placeable = !test::kUndatedRecords.contains({source.journal, r});
                const auto point = std::find_if(points.begin(), points.end(), [r](const auto& p) { return p.record == r; });
                ASSERT_EQ(point != points.end(), number && placeable) << row[source.column];
                if (point == points.end()) {
                    left += number ? 1 : 0;
                    continue;
                }
                EXPECT_EQ(std::count_if(points.begin(), points.end(), [r](const auto& p) { return p.record == r; }), 1);
                EXPECT_EQ(point->value, *number) << row[source.column];
                int hour = -1, minute = -1, day = -1, month = -1;
                ASSERT_EQ(std::sscanf(row[ColDateTime].c_str(), "%d:%d %d.%d", &hour, &minute, &day, &month), 4) << row[ColDateTime];
                EXPECT_EQ(std::vector({point->when.hour, point->when.minute, point->when.day, point->when.month}),
                          std::vector({hour, minute, day, month}));
                ++compared;
            }
        }
        EXPECT_EQ(compared, 7u + 5u + 8u); // dated trips with distance, refuels, dated trips
        EXPECT_EQ(left, 4u);               // the two undated trips in two charts
    }
}

// The unit keeps no year: a row takes the latest year in which it is not
// later than today; 29 February only a leap year; impossible dates none.
TEST(JournalCharts, RowDatesTakeTheLatestYearNotAfterToday)
{
    struct Case {
        JournalDateTime today;
        int minutes, day, month;
        std::optional<JournalDateTime> expected;
    };
    const Case cases[] = {
        {{2026, 12, 9, 12, 0}, 17 * 60 + 42, 7, 12, JournalDateTime{2026, 12, 7, 17, 42}},
        {{2026, 12, 9, 12, 0}, 12 * 60, 9, 12, JournalDateTime{2026, 12, 9, 12, 0}},    // this very minute
        {{2026, 12, 9, 12, 0}, 12 * 60 + 1, 9, 12, JournalDateTime{2025, 12, 9, 12, 1}}, // a minute later: last year
        {{2027, 1, 10, 8, 0}, 23 * 60, 31, 12, JournalDateTime{2026, 12, 31, 23, 0}},   // across the new year
        {{2027, 1, 10, 8, 0}, 0, 1, 1, JournalDateTime{2027, 1, 1, 0, 0}},
        {{2026, 12, 9, 12, 0}, 60, 29, 2, JournalDateTime{2024, 2, 29, 1, 0}},          // the latest leap day
        {{2028, 3, 1, 0, 0}, 60, 29, 2, JournalDateTime{2028, 2, 29, 1, 0}},
        {{2026, 12, 9, 12, 0}, 0xFFFF, 1, 1, JournalDateTime{2026, 1, 1, 12, 15}},      // hours wrap at 24 as the grid shows them
        {{2026, 12, 9, 12, 0}, 60, 0, 5, std::nullopt},                                 // an empty record
        {{2026, 12, 9, 12, 0}, 60, 31, 4, std::nullopt},
        {{2026, 12, 9, 12, 0}, 60, 30, 2, std::nullopt},
        {{2026, 12, 9, 12, 0}, 60, 5, 0, std::nullopt},
        {{2026, 12, 9, 12, 0}, 60, 5, 13, std::nullopt},
        {{2026, 12, 9, 12, 0}, 60, 255, 255, std::nullopt},
    };
    for (const auto& c : cases) {
        std::uint8_t rec[kJournalRecordSize] = {};
        rec[0] = static_cast<std::uint8_t>(c.minutes & 0xFF);
        rec[1] = static_cast<std::uint8_t>(c.minutes >> 8);
        rec[2] = static_cast<std::uint8_t>(c.day);
        rec[3] = static_cast<std::uint8_t>(c.month);
        const auto when = JournalRecordDate(rec, c.today);
        ASSERT_EQ(when.has_value(), c.expected.has_value()) << c.day << "." << c.month;
        if (when) {
            EXPECT_TRUE(*when == *c.expected) << c.day << "." << c.month << " -> " << when->year << "-" << when->month << "-" << when->day << " "
                                              << when->hour << ":" << when->minute;
        }
    }
}

TEST(JournalCharts, CaptionsInBothLanguages)
{
    EXPECT_EQ(JournalChartCaption(JournalChart::RefuelConsumption, Language::Russian), "Расход на 100 км, заправки");
    EXPECT_EQ(JournalChartAxisCaption(JournalChart::TripConsumption, Language::Russian), "л/100 км");
    EXPECT_EQ(JournalChartCaption(JournalChart::TripCost, Language::English), "Trip cost");
    EXPECT_EQ(JournalChartAxisCaption(JournalChart::TripCost, Language::English), "Cost");
}

} // namespace
} // namespace tc
