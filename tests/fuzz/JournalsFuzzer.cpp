// The journals of any image: the trip and refuelling tables, the summators,
// the fault list with every freeze frame, the export text and the charts'
// points, then the clear and reset commands. Input: one option byte, the model code, the plain image.
#include "FuzzSupport.h"

#include "common/Error.h"
#include "common/Language.h"
#include "journals/Journals.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <charconv>

using namespace tc;

namespace {

// Every grid has its header row; the export writes each row as one line.
void CheckTable(const TextTable& table)
{
    FUZZ_REQUIRE(!table.empty());
    FUZZ_REQUIRE(!JournalExportText(table).empty());
}

// Every chart point is the number its grid cell shows, oldest first, and
// none lies after today.
void CheckCharts(const SettingsModel& m)
{
    const JournalDateTime today{2026, 12, 9, 12, 0};
    for (auto chart : kJournalCharts) {
        const auto source = SourceOf(chart);
        const TextTable table = FillJournal(m, source.journal, NumberFormat{});
        const auto points = JournalChartPoints(m, chart, today);
        FUZZ_REQUIRE(points.size() <= static_cast<std::size_t>(kJournalRecordCount));
        for (std::size_t k = 0; k < points.size(); ++k) {
            const auto& p = points[k];
            FUZZ_REQUIRE(k == 0 || !(p.when < points[k - 1].when));
            FUZZ_REQUIRE(!(today < p.when));
            const std::string& cell = table.at(static_cast<std::size_t>(p.record) + 1).at(source.column);
            double v = 0;
            const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), v);
            FUZZ_REQUIRE(ec == std::errc{} && end == cell.data() + cell.size() && v == p.value);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Choices in(data, size);
    const std::uint8_t options = in.Byte();
    NumberFormat fmt;
    fmt.language = LanguageOf((options & 1) != 0);
    fmt.decimalSeparator = options & 2 ? "," : ".";
    SettingsModel model = fuzz::FreshModel();
    if (!fuzz::FillModel(in, model))
        return 0;

    const std::vector<std::uint8_t> before = model.Image;
    const bool changed = model.ViewJournals([&](SettingsModel& m) {
        CheckTable(FillTripJournal(m, fmt));
        CheckTable(FillRefuelJournal(m, fmt));
        for (auto s : kSummators) {
            FUZZ_REQUIRE(!SummatorCaption(s, fmt.language).empty());
            CheckTable(FillSummator(m, s, fmt));
        }
        const auto faults = FillFaultJournal(m, CurrentFaultCodeType(m, fmt.language), fmt.language);
        for (std::size_t row = 0; row < faults.size() + 2; ++row)
            if (const auto frame = ShowFreezeFrame(m, static_cast<int>(row), fmt))
                JournalExportText(*frame); // empty when the fault has no freeze frame
        CheckCharts(m);
        return false;
    });
    FUZZ_REQUIRE(!changed);
    FUZZ_REQUIRE(model.Image == before); // a cancelled viewer changes nothing

    // Clearing and resetting, then reading again: the emptied journals still read.
    model.ViewJournals([&](SettingsModel& m) {
        if (options & 4)
            ClearJournal(m, JournalKind::Trip);
        if (options & 8)
            ClearJournal(m, JournalKind::Refuel);
        if (options & 16)
            ClearFaultJournal(m);
        if (options & 32)
            for (auto s : kSummators)
                ResetSummator(m, s);
        CheckTable(FillTripJournal(m, fmt));
        CheckTable(FillRefuelJournal(m, fmt));
        FillFaultJournal(m, CurrentFaultCodeType(m, fmt.language), fmt.language);
        return true;
    });
    return 0;
}
