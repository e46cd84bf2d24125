// tripconf-cli: the headless core at work from the command line.
// Exit codes: 0 success, 1 failure (one line on stderr), 2 bad usage.
#include "Command.h"
#include "Help.h"
#include "Platform.h"

#include "common/Error.h"
#include "common/Language.h"
#include "common/Version.h"
#include "model/SettingsFile.h"
#include "model/SettingsModel.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <cstdio>
#include <iostream>
#include <stdexcept>

namespace tc::cli {

std::vector<Command>& Commands()
{
    static std::vector<Command> commands;
    return commands;
}

Args::Args(const Command& command, std::map<std::string, std::vector<std::string>> values, std::map<std::string, int> flags,
           std::vector<std::string> positional)
    : command_(&command), values_(std::move(values)), flags_(std::move(flags)), positional_(std::move(positional))
{
}

const OptionSpec& Args::Declared(const std::string& name, bool flag) const
{
    for (const auto& o : command_->options)
        if (o.name == name && o.value.empty() == flag)
            return o;
    throw std::logic_error("the command " + command_->name + " does not declare the " + (flag ? "flag " : "option ") + name);
}

std::string Args::Option(const std::string& name, const std::string& fallback) const
{
    Declared(name, false);
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.empty())
        return fallback;
    if (it->second.size() > 1)
        throw UsageError{name + " is given more than once"};
    return it->second.front();
}

bool Args::HasOption(const std::string& name) const
{
    Declared(name, false);
    const auto it = values_.find(name);
    return it != values_.end() && !it->second.empty();
}

bool Args::Flag(const std::string& name) const
{
    Declared(name, true);
    const auto it = flags_.find(name);
    return it != flags_.end() && it->second > 0;
}

void LoadDecodedSettings(SettingsModel& model, const std::string& path, Language language)
{
    ReadCheckedSettingsFile(model, path, language);
    for (const auto& problem : model.DecodeAll(language))
        std::cerr << "warning: " << problem << "\n";
}

SettingsModel DecodedSettings(const std::string& path, Language language)
{
    SettingsModel model(language);
    LoadDecodedSettings(model, path, language);
    return model;
}

std::string Hex4(unsigned code)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", code & 0xFFFFu);
    return hex;
}

void SaveSettings(const SettingsModel& model, const std::string& out, Language language)
{
    WriteSettingsFile(model, out, language);
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

// Where the parser keeps one command's options until they become its Args.
struct Parsed {
    const Command* command = nullptr;
    CLI::App* app = nullptr;
    std::vector<std::pair<std::string, CLI::Option*>> options;
    std::vector<std::string> positional;

    Args ToArgs() const
    {
        std::map<std::string, std::vector<std::string>> values;
        std::map<std::string, int> flags;
        for (const auto& [name, option] : options) {
            if (option->get_expected_max() == 0)
                flags[name] = static_cast<int>(option->count());
            else
                values[name] = option->results();
        }
        return Args(*command, std::move(values), std::move(flags), positional);
    }
};

int UsageFailure(const std::string& where, const std::string& text, const std::string& helpCommand)
{
    std::cerr << where << ": " << text << " (" << helpCommand << " --help)\n";
    return 2;
}

} // namespace
} // namespace tc::cli

int main(int argc, char** argv)
{
    using namespace tc::cli;
    // A file-size limit fails the save with a message instead of killing the tool.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::vector<std::string> args = Arguments(argc, argv);
    // "help COMMAND" is "COMMAND --help"; "help" alone is "--help".
    const auto first = std::find_if(args.begin(), args.end(), [](const std::string& a) { return a != "--english"; });
    if (first != args.end() && *first == "help") {
        args.erase(first);
        if (std::count_if(args.begin(), args.end(), [](const std::string& a) { return a != "--english"; }) > 1)
            return UsageFailure("tripconf-cli help", "expected one COMMAND", "tripconf-cli");
        args.push_back("--help");
    }
    const auto& commands = Commands();
    // An unknown command is named as such, not as an unexpected argument.
    for (const auto& a : args) {
        if (a == "--english")
            continue;
        if (!a.empty() && a[0] != '-'
            && std::none_of(commands.begin(), commands.end(), [&](const Command& c) { return c.name == a; })) {
            std::cerr << "tripconf-cli: unknown command \"" << a << "\" (tripconf-cli --help lists them)\n";
            return 2;
        }
        break;
    }

    CLI::App app(Summary(), "tripconf-cli");
    app.set_help_flag("-h,--help", "print this help and exit");
    bool english = false, version = false, bashCompletion = false, manual = false;
    app.add_flag("--english", english, "English texts (Russian by default, as in the window)");
    app.add_flag("--version", version, "print the version and exit");
    // For the build: the completion script and the man page, made from the same table.
    app.add_flag("--bash-completion", bashCompletion)->group("");
    app.add_flag("--help-man", manual)->group("");
    app.fallthrough();

    std::vector<Parsed> parsed(commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Command& c = commands[i];
        Parsed& p = parsed[i];
        p.command = &c;
        p.app = app.add_subcommand(c.name, c.summary);
        for (const auto& o : c.options) {
            CLI::Option* option = o.value.empty() ? p.app->add_flag(o.name, o.help)
                                                  : p.app->add_option(o.name, o.help)->type_name(o.value)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
            p.options.emplace_back(o.name, option);
        }
        p.app->add_option("arguments", p.positional)->expected(0, -1);
    }

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them last first
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        for (const auto& p : parsed)
            if (p.app->parsed()) {
                std::cout << CommandHelp(*p.command);
                return 0;
            }
        std::cout << MainHelp();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string where = "tripconf-cli", help = "tripconf-cli";
        for (const auto& p : parsed)
            if (p.app->parsed()) {
                where += " " + p.command->name;
                help += " " + p.command->name;
            }
        return UsageFailure(where, ParserErrorText(e), help);
    }
    if (version) {
        std::cout << "tripconf-cli " << tc::VersionText() << "\n";
        return 0;
    }
    if (bashCompletion) {
        std::cout << BashCompletion();
        return 0;
    }
    if (manual) {
        std::cout << ManualPage();
        return 0;
    }
    const auto chosen = std::find_if(parsed.begin(), parsed.end(), [](const Parsed& p) { return p.app->parsed(); });
    if (chosen == parsed.end()) {
        std::cerr << MainHelp();
        return 2;
    }
    const Command& command = *chosen->command;
    const tc::Language language = tc::LanguageOf(english);
    try {
        Args commandArgs = chosen->ToArgs();
        commandArgs.language = language;
        return command.run(commandArgs);
    } catch (const UsageError& e) {
        std::cerr << "tripconf-cli " << command.name << ": " << e.text << " (usage: tripconf-cli " << command.usage << ")\n";
        return 2;
    } catch (const tc::Error& e) {
        std::cerr << "tripconf-cli " << command.name << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        // A fault of the program, not of the device or the file: said so.
        std::cerr << "tripconf-cli " << command.name << ": " << tc::InternalErrorText(e, language) << "\n";
        return 1;
    }
}
