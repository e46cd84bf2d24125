// The help texts of tripconf-cli, made from the command table.
#include "Help.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <sstream>

namespace tc::cli {

std::vector<const Command*> SortedCommands()
{
    std::vector<const Command*> sorted;
    for (const auto& c : Commands())
        sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(), [](const Command* a, const Command* b) { return a->name < b->name; });
    return sorted;
}

namespace {

// "--port DEV" or "--all".
std::string OptionText(const OptionSpec& o)
{
    return o.value.empty() ? o.name : o.name + " " + o.value;
}

void OptionRow(std::ostringstream& out, const std::string& name, const std::string& help)
{
    out << "  " << name;
    if (name.size() < 22)
        out << std::string(22 - name.size(), ' ');
    else
        out << "\n" << std::string(24, ' ');
    out << help << "\n";
}

} // namespace

std::string Summary()
{
    return "Reads, checks, edits and writes the settings of a car trip computer: settings files, the device over a serial "
           "line, journals and display previews.";
}

std::string FullUsage(const Command& c)
{
    // The usage line, with the options it does not name yet.
    std::string usage = c.usage;
    for (const auto& o : c.options)
        if (usage.find(o.name + " ") == std::string::npos && usage.find(o.name + "]") == std::string::npos
            && !(usage.size() >= o.name.size() && usage.compare(usage.size() - o.name.size(), o.name.size(), o.name) == 0))
            usage += " [" + OptionText(o) + "]";
    return usage;
}

std::string MainHelp()
{
    std::ostringstream out;
    out << "Usage: tripconf-cli [--english] COMMAND [ARGS]\n"
           "       tripconf-cli COMMAND --help | help COMMAND | --version\n\n"
        << Summary() << "\n\nCommands:\n";
    for (const Command* c : SortedCommands())
        out << "  " << FullUsage(*c) << "\n      " << c->summary << "\n";
    out << "\nOptions:\n";
    OptionRow(out, "--english", "English texts (Russian by default, as in the window)");
    OptionRow(out, "--version", "print the version and exit");
    OptionRow(out, "-h, --help", "print this help (or a command's) and exit");
    out << "\nExit status:\n"
           "  0 success (diff: the files are equal), 1 failure, said in one line on standard error (diff: the files differ),\n"
           "  2 bad usage: an unknown command or option, a missing or extra argument, a bad number.\n"
           "\nFiles:\n"
           "  *.qvetp, *.qvetg   settings files; *.qveto tank files; *.qvett maintenance files\n"
           "  $XDG_DATA_HOME/tripconf/restore-points/   (default ~/.local/share/tripconf/restore-points/) the settings a\n"
           "                     write found on the unit, newest 50 of each model; write one back with write --port DEV FILE\n"
           "\nEnvironment:\n"
           "  XDG_DATA_HOME      where the restore points are kept\n";
    return out.str();
}

std::string CommandHelp(const Command& c)
{
    std::ostringstream out;
    out << "Usage: tripconf-cli " << FullUsage(c) << "\n\n" << c.summary << "\n\nOptions:\n";
    for (const auto& o : c.options)
        OptionRow(out, OptionText(o), o.help);
    OptionRow(out, "--english", "English texts (Russian by default)");
    OptionRow(out, "-h, --help", "print this help and exit");
    return out.str();
}

std::string ParserErrorText(const std::exception& e)
{
    std::string text = e.what();
    // CLI11 lists what it did not expect; all of it begins with a dash here,
    // because every command takes any number of plain arguments.
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        const auto colon = text.find(": ");
        if (colon != std::string::npos)
        {
            const std::string rest = text.substr(colon + 2);
            text = (rest.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") + rest;
        }
    }
    // "--port: 1 required DEV missing"
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr && text.find("required") != std::string::npos)
        text = text.substr(0, text.find(':')) + " needs a value";
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace tc::cli
