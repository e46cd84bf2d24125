#pragma once
// Sub-commands of tripconf-cli. Each source file registers its commands with a
// static Registration; main() dispatches on the first argument.
#include <functional>
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

struct Command {
    std::string name;
    std::string usage;   // one line, e.g. "info FILE"
    std::string summary; // what it does
    // Receives the arguments after the command name; returns the exit code.
    // Throws UsageError on bad usage, tc::Error (or std::exception) on failure.
    std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<Command>& Commands();

struct Registration {
    explicit Registration(Command c) { Commands().push_back(std::move(c)); }
};

// Small argument helpers shared by the commands.
class Args {
public:
    explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}
    // Removes "--name VALUE" and returns VALUE, or the fallback when absent.
    std::string Option(const std::string& name, const std::string& fallback = {});
    bool HasOption(const std::string& name) const;
    // Removes "--name" and returns whether it was present.
    bool Flag(const std::string& name);
    // The remaining positional arguments; unknown options are usage errors.
    std::vector<std::string> Positional() const;

private:
    std::vector<std::string> args_;
};

// Reads a settings file as `info` does and refuses, with info's message, a
// file whose section directory is unusable. The file's bytes replace the
// model's image from offset 0 on.
void ReadCheckedSettingsFile(SettingsModel& model, const std::string& path);

// ReadCheckedSettingsFile, then decodes the records; what could not be
// decoded is said on stderr as a warning.
void LoadDecodedSettings(SettingsModel& model, const std::string& path);

// Saves the settings to out (encoded, as the window saves them) and says so.
void SaveSettings(const SettingsModel& model, const std::string& out);

// Parses "0xC000" or "49152" into 0..max; throws UsageError otherwise.
unsigned ParseNumber(const std::string& text, unsigned max, const std::string& what);

} // namespace tc::cli
