#pragma once
// Sub-commands of tripconf-cli. Each source file registers its commands with a
// static Registration: name, usage, summary, the options it takes and what its
// arguments are. main() builds the parser (CLI11), the help texts, the man
// page and the shell completion from these rows, so none of them can drift.
#include <functional>
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

private:
    const OptionSpec& Declared(const std::string& name, bool flag) const;

    const Command* command_;
    std::map<std::string, std::vector<std::string>> values_;
    std::map<std::string, int> flags_;
    std::vector<std::string> positional_;
};

// The option every command with a machine-readable form takes.
inline OptionSpec JsonOption()
{
    return {"--json", "", "print one JSON document instead of the table"};
}

// Loads a settings file through the one judgement the window uses
// (LoadSettingsFile): a refused file is a tc::Error, each warning is said on
// stderr. The model code and the whole image are replaced.
void ReadCheckedSettingsFile(SettingsModel& model, const std::string& path);

// ReadCheckedSettingsFile, then decodes the records; what could not be
// decoded is said on stderr as a warning.
void LoadDecodedSettings(SettingsModel& model, const std::string& path);

// Saves the settings to out (encoded, as the window saves them) and says so.
void SaveSettings(const SettingsModel& model, const std::string& out);

// Parses "0xC000" or "49152" into 0..max; throws UsageError otherwise.
unsigned ParseNumber(const std::string& text, unsigned max, const std::string& what);

} // namespace tc::cli
