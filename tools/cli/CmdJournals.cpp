// The journals of a settings file: the trip and refuelling tables exactly as
// the viewer saves them, the totals, and the fault list with freeze frames.
#include "Command.h"

#include "common/Language.h"
#include "journals/Journals.h"
#include "model/SettingsFile.h"

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
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec);
}

void PrintFaults(const SettingsModel& model, const NumberFormat& fmt)
{
    const auto list = FillFaultJournal(model, CurrentFaultCodeType(model));
    for (std::size_t r = 0; r < list.size(); ++r) {
        PrintTable({list[r]});
        if (const auto frame = ShowFreezeFrame(model, static_cast<int>(r), fmt))
            PrintTable(*frame, "    ");
    }
}

const Registration kJournals{{"journals", "journals FILE [--trip OUT] [--refuel OUT] [--faults] [--english] [--separator S]",
    "save the trip and refuelling journals of a settings file as the viewer does, or print the journals, totals and faults",
    [](const std::vector<std::string>& argv) {
        Args args(argv);
        const std::string tripOut = args.Option("--trip");
        const std::string refuelOut = args.Option("--refuel");
        NumberFormat fmt;
        fmt.decimalSeparator = args.Option("--separator", ".");
        const bool faults = args.Flag("--faults");
        args.Flag("--english"); // main() has already switched the language
        const auto rest = args.Positional();
        if (rest.size() != 1)
            throw UsageError{"expected one settings FILE"};
        if (fmt.decimalSeparator.empty())
            throw UsageError{"--separator must not be empty"};
        // An output that names the settings file (or both outputs one file)
        // would silently destroy what was just read or written.
        if (SameFile(tripOut, rest[0]) || SameFile(refuelOut, rest[0]))
            throw UsageError{"an output file must not be the settings FILE"};
        if (!tripOut.empty() && (tripOut == refuelOut || SameFile(tripOut, refuelOut)))
            throw UsageError{"--trip and --refuel must name different files"};

        SettingsModel model;
        ReadCheckedSettingsFile(model, rest[0]);
        for (const auto& problem : model.DecodeAll())
            std::cerr << "warning: " << problem << "\n";

        const bool printAll = tripOut.empty() && refuelOut.empty() && !faults;
        // The journal procedure of the viewer; nothing is changed here, so nothing is encoded.
        model.ViewJournals([&](SettingsModel& m) {
            if (!tripOut.empty()) {
                SaveJournalText(FillTripJournal(m, fmt), tripOut);
                std::cout << "wrote " << tripOut << "\n";
            }
            if (!refuelOut.empty()) {
                SaveJournalText(FillRefuelJournal(m, fmt), refuelOut);
                std::cout << "wrote " << refuelOut << "\n";
            }
            if (printAll) {
                std::cout << Tr("Журнал поездок", "Trip log") << "\n";
                PrintTable(FillTripJournal(m, fmt));
                std::cout << "\n" << Tr("Журнал заправок", "Petrol log") << "\n";
                PrintTable(FillRefuelJournal(m, fmt));
                std::cout << "\n" << Tr("Средние", "Average") << "\n";
                for (auto s : kSummators) {
                    std::cout << SummatorCaption(s) << "\n";
                    PrintTable(FillSummator(m, s, fmt), "    ");
                }
                std::cout << "\n" << Tr("Журнал ошибок", "Faults log") << "\n";
            }
            if (printAll || faults)
                PrintFaults(m, fmt);
            return false;
        });
        return 0;
    }}};

} // namespace
} // namespace tc::cli
