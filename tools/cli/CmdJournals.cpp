// The journals of a settings file: the trip and refuelling tables exactly as
// the viewer saves them, the totals, the fault list with freeze frames, and
// the points of the viewer's charts.
#include "Command.h"

#include "common/Language.h"
#include "common/LocalTime.h"
#include "common/WideText.h"
#include "journals/Journals.h"
#include "model/SettingsFile.h"

#include "Json.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace tc::cli {
namespace {

void PrintTable(const TextTable& table, const std::string& indent = {})
{
    for (const auto& row : table) {
        std::cout << indent;
        for (std::size_t c = 0; c < row.size(); ++c)
            std::cout << (c ? "\t" : "") << row[c];
        std::cout << "\n";
    }
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec);
}

void PrintFaults(const SettingsModel& model, const NumberFormat& fmt)
{
    const auto list = FillFaultJournal(model, CurrentFaultCodeType(model, fmt.language), fmt.language);
    for (std::size_t r = 0; r < list.size(); ++r) {
        PrintTable({list[r]});
        if (const auto frame = ShowFreezeFrame(model, static_cast<int>(r), fmt))
            PrintTable(*frame, "    ");
    }
}

JournalDateTime LocalNow()
{
    const std::tm local = tc::LocalTime(std::time(nullptr));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

// The viewer's charts as comma-separated lines: chart, journal record, date
// and time, value (the shortest text that reads back as the same number).
void PrintChartCsv(const SettingsModel& model)
{
    static constexpr const char* kNames[kJournalChartCount] = {"trip_consumption", "refuel_consumption", "trip_cost"};
    const JournalDateTime today = LocalNow();
    std::cout << "chart,record,time,value\n";
    for (auto chart : kJournalCharts) {
        for (const auto& p : JournalChartPoints(model, chart, today)) {
            char value[32];
            const auto end = std::to_chars(value, value + sizeof value, p.value).ptr;
            char when[32];
            std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", p.when.year, p.when.month, p.when.day, p.when.hour, p.when.minute);
            std::cout << kNames[static_cast<std::size_t>(chart)] << "," << p.record << "," << when << "," << std::string(value, end) << "\n";
        }
    }
}

// The fault journal: each row with its freeze frame (null when it has none).
Json FaultsJson(const SettingsModel& model, const NumberFormat& fmt)
{
    const auto list = FillFaultJournal(model, CurrentFaultCodeType(model, fmt.language), fmt.language);
    Json faults = Json::array();
    for (std::size_t r = 0; r < list.size(); ++r) {
        const auto frame = ShowFreezeFrame(model, static_cast<int>(r), fmt);
        faults.push_back({{"row", list[r]}, {"freeze_frame", frame ? Json(*frame) : Json(nullptr)}});
    }
    return faults;
}

const Registration kJournals{{"journals", "journals FILE [--trip OUT] [--refuel OUT] [--faults] [--chart-csv] [--english] [--separator S] [--json]",
    "save the trip and refuelling journals of a settings file as the viewer does, or print the journals, totals, faults or the chart points",
    {{"--trip", "OUT", "save the trip journal to OUT as the viewer does", Complete::AnyFile},
     {"--refuel", "OUT", "save the refuelling journal to OUT as the viewer does", Complete::AnyFile},
     {"--faults", "", "print the fault journal with its freeze frames"},
     {"--chart-csv", "", "print the points of the viewer's charts as comma-separated lines"},
     {"--separator", "S", "the decimal separator of the numbers (default .)"},
     {"--json", "", "print the journals, totals and faults (or with --faults the faults only) as one JSON document"}},
    {{Complete::Settings}},
    [](Args& args) {
        const std::string tripOut = args.Option("--trip");
        const std::string refuelOut = args.Option("--refuel");
        NumberFormat fmt;
        fmt.decimalSeparator = args.Option("--separator", ".");
        fmt.language = args.language;
        const bool faults = args.Flag("--faults");
        const bool chartCsv = args.Flag("--chart-csv");
        const bool json = args.Flag("--json");
        if (json && (!tripOut.empty() || !refuelOut.empty() || chartCsv))
            throw UsageError{"--json does not go with --trip, --refuel or --chart-csv"};
        const auto& rest = args.Positional(1, "expected one settings FILE");
        if (fmt.decimalSeparator.empty())
            throw UsageError{"--separator must not be empty"};
        // An output that names the settings file (or both outputs one file)
        // would silently destroy what was just read or written.
        if (SameFile(tripOut, rest[0]) || SameFile(refuelOut, rest[0]))
            throw UsageError{"an output file must not be the settings FILE"};
        if (!tripOut.empty() && (tripOut == refuelOut || SameFile(tripOut, refuelOut)))
            throw UsageError{"--trip and --refuel must name different files"};

        SettingsModel model(args.language);
        ReadCheckedSettingsFile(model, rest[0], args.language);
        for (const auto& problem : model.DecodeAll(args.language))
            std::cerr << "warning: " << problem << "\n";

        const bool printAll = tripOut.empty() && refuelOut.empty() && !faults && !chartCsv;
        // The journal procedure of the viewer; nothing is changed here, so nothing is encoded.
        model.ViewJournals([&](SettingsModel& m) {
            if (json) {
                Json doc;
                if (!faults) {
                    doc["trip"] = FillTripJournal(m, fmt);
                    doc["refuel"] = FillRefuelJournal(m, fmt);
                    Json averages = Json::array();
                    for (auto s : kSummators)
                        averages.push_back({{"caption", SummatorCaption(s, fmt.language)}, {"rows", FillSummator(m, s, fmt)}});
                    doc["averages"] = averages;
                }
                doc["faults"] = FaultsJson(m, fmt);
                PrintJson(doc);
                return false;
            }
            if (!tripOut.empty()) {
                SaveJournalText(FillTripJournal(m, fmt), tripOut, fmt.language);
                std::cout << "wrote " << tripOut << "\n";
            }
            if (!refuelOut.empty()) {
                SaveJournalText(FillRefuelJournal(m, fmt), refuelOut, fmt.language);
                std::cout << "wrote " << refuelOut << "\n";
            }
            if (printAll) {
                std::cout << Tr(fmt.language, "Журнал поездок", "Trip log") << "\n";
                PrintTable(FillTripJournal(m, fmt));
                std::cout << "\n" << Tr(fmt.language, "Журнал заправок", "Petrol log") << "\n";
                PrintTable(FillRefuelJournal(m, fmt));
                std::cout << "\n" << Tr(fmt.language, "Средние", "Average") << "\n";
                for (auto s : kSummators) {
                    std::cout << SummatorCaption(s, fmt.language) << "\n";
                    PrintTable(FillSummator(m, s, fmt), "    ");
                }
                std::cout << "\n" << Tr(fmt.language, "Журнал ошибок", "Faults log") << "\n";
            }
            if (printAll || faults)
                PrintFaults(m, fmt);
            if (chartCsv)
                PrintChartCsv(m);
            return false;
        });
        return 0;
    }}};

} // namespace
} // namespace tc::cli
