#pragma once
// Sub-commands of tripconf-cli. Each source file registers its commands with a
// static Registration: name, usage, summary, the options it takes and what its
// arguments are. main() builds the parser (CLI11), the help texts, the man
// page and the shell completion from these rows, so none of them can drift.
#include "common/Language.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace tc {
class SettingsModel;
}

namespace tc::cli {

// Thrown for bad usage: main() prints the text and exits with 2.
struct UsageError {
    std::string text;
};

// What the shell completes for a value or an argument.
enum class Complete {
    None,
    Settings,    // settings files: *.qvetp, *.qvetg
    Tank,        // tank files: *.qveto
    Service,     // maintenance files: *.qvett
    Json,        // settings texts: *.json
    Png,         // pictures: *.png
    AnyFile,     // any file
    Port,        // serial devices and COMn
    Model,       // device model codes
    Key,         // the settings editor's keys
    KeyValue,    // KEY=VALUE of set
    Words,       // one of the words in `words`
};

struct OptionSpec {
    OptionSpec(std::string name_, std::string value_, std::string help_, Complete complete_ = Complete::None, std::string words_ = {})
        : name(std::move(name_)), value(std::move(value_)), help(std::move(help_)), complete(complete_), words(std::move(words_))
    {
    }
    std::string name;  // "--port" or "-o"
    std::string value; // the value's name ("DEV"); empty for a flag
    std::string help;
    Complete complete = Complete::None;
    std::string words; // for Complete::Words: the choices, separated by spaces
};

// One argument place; the last one of a command repeats when `repeats`.
struct ArgumentSpec {
    ArgumentSpec(Complete complete_ = Complete::None, std::string words_ = {}, bool repeats_ = false)
        : complete(complete_), words(std::move(words_)), repeats(repeats_)
    {
    }
    Complete complete = Complete::None;
    std::string words;
    bool repeats = false;
};

class Args;

struct Command {
    std::string name;
    std::string usage;   // one line, e.g. "info FILE"
    std::string summary; // what it does
    std::vector<OptionSpec> options;
    std::vector<ArgumentSpec> arguments;
    // Receives the parsed options and arguments; returns the exit code.
    // Throws UsageError on bad usage, tc::Error (or std::exception) on failure.
    std::function<int(Args& args)> run;
};

std::vector<Command>& Commands();

struct Registration {
    explicit Registration(Command c) { Commands().push_back(std::move(c)); }
};

// The options and arguments a command was given, as the parser found them.
// Asking for an option the command does not declare is a fault of the program.
class Args {
public:
    Args(const Command& command, std::map<std::string, std::vector<std::string>> values, std::map<std::string, int> flags,
         std::vector<std::string> positional);
    // The value of "--name VALUE", or the fallback when absent; given twice is a usage error.
    std::string Option(const std::string& name, const std::string& fallback = {}) const;
    bool HasOption(const std::string& name) const;
    // Whether the flag "--name" was given.
    bool Flag(const std::string& name) const;
    // The arguments that are not options, in order.
    const std::vector<std::string>& Positional() const { return positional_; }
    // Exactly `count` of them, with a value for each option in `required`
    // (such as "-o"); a usage error with the text `expected` otherwise.
    const std::vector<std::string>& Positional(std::size_t count, const std::string& expected,
                                               std::initializer_list<const char*> required = {}) const
    {
        if (positional_.size() != count)
            throw UsageError{expected};
        for (const char* name : required)
            if (Option(name).empty())
                throw UsageError{expected};
        return positional_;
    }

    // The language of the texts the command prints (--english).
    tc::Language language = tc::Language::Russian;

private:
    const OptionSpec& Declared(const std::string& name, bool flag) const;

    const Command* command_;
    std::map<std::string, std::vector<std::string>> values_;
    std::map<std::string, int> flags_;
    std::vector<std::string> positional_;
};

// The commands sorted by name, for the help, the man page and the completion.
std::vector<const Command*> SortedCommands();

// The word of an enumerator, from a table in the enumeration's order.
template <class Enum, std::size_t N>
const char* NameOf(Enum value, const char* const (&names)[N])
{
    const auto i = static_cast<std::size_t>(value);
    return i < N ? names[i] : "";
}

// The option every command with a machine-readable form takes.
inline OptionSpec JsonOption()
{
    return {"--json", "", "print one JSON document instead of the table"};
}

// Loads a settings file through the one judgement the window uses
// (LoadSettingsFile): a refused file is a tc::Error, each warning is said on
// stderr. The model code and the whole image are replaced.
void ReadCheckedSettingsFile(SettingsModel& model, const std::string& path, Language language);

// ReadCheckedSettingsFile, then decodes the records; what could not be
// decoded is said on stderr as a warning.
void LoadDecodedSettings(SettingsModel& model, const std::string& path, Language language);

// A settings file loaded and decoded (LoadDecodedSettings).
SettingsModel DecodedSettings(const std::string& path, Language language);

// "0xC000": a model code as four hexadecimal digits.
std::string Hex4(unsigned code);

// tank-save and service-save: the settings FILE's side file written to OUT
// by `save`; `expected` is the usage error's text.
int SaveSideFile(Args& args, const std::string& expected, void (*save)(const SettingsModel&, const std::string&, Language));

// The options of tank-load and service-load.
inline std::vector<OptionSpec> SideFileLoadOptions(const std::string& file, std::size_t size)
{
    return {{"-o", "OUT", "the settings file to write", Complete::Settings},
            {"--strict", "", "refuse a " + file + " shorter than " + std::to_string(size) + " bytes"}};
}

// tank-load and service-load: the side file IN (read whole by `read` before
// anything changes) applied to the settings FILE in one edit session, as the
// editor's load button does, then OK, and the settings saved to -o OUT. A
// file shorter than `size` bytes is said as a warning, or refused with
// --strict; `expected` is the usage error's text.
int LoadSideFile(Args& args, const std::string& expected, std::size_t size,
                 const std::function<std::vector<std::uint8_t>(const std::string&, Language)>& read,
                 const std::function<void(SettingsModel&, const std::vector<std::uint8_t>&)>& apply);

// Saves the settings to out (encoded, as the window saves them) and says so.
void SaveSettings(const SettingsModel& model, const std::string& out, Language language);

// Parses "0xC000" or "49152" into 0..max; throws UsageError otherwise.
unsigned ParseNumber(const std::string& text, unsigned max, const std::string& what);

} // namespace tc::cli
