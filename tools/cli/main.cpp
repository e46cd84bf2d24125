// tripconf-cli: the headless core at work from the command line.
// Exit codes: 0 success, 1 failure (one line on stderr), 2 bad usage.
#include "Command.h"

#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsFile.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>

namespace tc::cli {

std::vector<Command>& Commands()
{
    static std::vector<Command> commands;
    return commands;
}

std::string Args::Option(const std::string& name, const std::string& fallback)
{
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size())
                throw UsageError{name + " needs a value"};
            std::string value = args_[i + 1];
            args_.erase(args_.begin() + static_cast<std::ptrdiff_t>(i), args_.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return value;
        }
    }
    return fallback;
}

bool Args::HasOption(const std::string& name) const
{
    return std::find(args_.begin(), args_.end(), name) != args_.end();
}

bool Args::Flag(const std::string& name)
{
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end())
        return false;
    args_.erase(it);
    return true;
}

std::vector<std::string> Args::Positional() const
{
    for (const auto& a : args_)
        if (a.size() > 1 && a[0] == '-')
            throw UsageError{"unknown option " + a};
    return args_;
}

void LoadDecodedSettings(SettingsModel& model, const std::string& path)
{
    ReadCheckedSettingsFile(model, path);
    for (const auto& problem : model.DecodeAll())
        std::cerr << "warning: " << problem << "\n";
}

void SaveSettings(const SettingsModel& model, const std::string& out)
{
    WriteSettingsFile(model, out);
    std::cout << "wrote " << out << "\n";
}

unsigned ParseNumber(const std::string& text, unsigned max, const std::string& what)
{
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value > max || text[0] == '-')
        throw UsageError{what + " must be a number from 0 to " + std::to_string(max) + ", got \"" + text + "\""};
    return static_cast<unsigned>(value);
}

namespace {

void PrintUsage(std::ostream& out)
{
    out << "usage: tripconf-cli [--english] COMMAND [ARGS]\n\ncommands:\n";
    auto commands = Commands();
    std::sort(commands.begin(), commands.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const auto& c : commands)
        out << "  " << c.usage << "\n      " << c.summary << "\n";
}

} // namespace
} // namespace tc::cli

int main(int argc, char** argv)
{
    using namespace tc::cli;
    // A file-size limit fails the save with a message instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    // Texts are Russian by default, as in the window; --english anywhere switches them.
    if (auto it = std::find(args.begin(), args.end(), "--english"); it != args.end()) {
        tc::EnglishVersion = true;
        args.erase(it);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    const auto& commands = Commands();
    auto it = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == args[0]; });
    if (it == commands.end()) {
        std::cerr << "tripconf-cli: unknown command \"" << args[0] << "\"\n";
        PrintUsage(std::cerr);
        return 2;
    }
    try {
        return it->run(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const UsageError& e) {
        std::cerr << "tripconf-cli " << it->name << ": " << e.text << "\nusage: tripconf-cli " << it->usage << "\n";
        return 2;
    } catch (const tc::Error& e) {
        std::cerr << "tripconf-cli " << it->name << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        // A fault of the program, not of the device or the file: said so.
        std::cerr << "tripconf-cli " << it->name << ": " << tc::InternalErrorText(e) << "\n";
        return 1;
    }
}
