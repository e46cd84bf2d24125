// read / write: the device transfers from the command line, against a real
// serial port (COMn or a device path) or a simulated device's pseudo-terminal.
#include "Command.h"

#include "common/AtomicFile.h"
#include "common/Device.h"
#include "common/Error.h"
#include "common/Language.h"
#include "link/Transfers.h"
#include "model/SettingsFile.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <iostream>

#include <unistd.h>

namespace tc::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    g_interrupted = 1;
}

// Ctrl-C ends the transfer through the link's own clean-up instead of killing the process.
#ifdef _WIN32
// (The C runtime on Windows turns Ctrl-C and Ctrl-Break into SIGINT.)
class InterruptGuard {
public:
    InterruptGuard()
    {
        g_interrupted = 0;
        oldInt_ = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptGuard() { std::signal(SIGINT, oldInt_); }

private:
    void (*oldInt_)(int) = SIG_DFL;
};
#else
class InterruptGuard {
public:
    InterruptGuard()
    {
        g_interrupted = 0;
        struct sigaction sa{};
        sa.sa_handler = OnInterrupt;
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }

private:
    struct sigaction oldInt_{}, oldTerm_{};
};
#endif

// Number of characters (not bytes) of a UTF-8 text, for padding a line.
std::size_t Columns(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Shows the transfer as the progress window does, on one line of the
// terminal: the phase text and, once the gauge runs, its percentage, rewritten
// in place and ended with a newline. Quiet when stderr is not a terminal.
// Gives up connecting after the timeout. A block or section that fails is
// tried again while the retry budget lasts, each time said on stderr.
class CliObserver final : public TransferObserver {
public:
    CliObserver(std::chrono::seconds connectTimeout, unsigned retryBudget, Language textLanguage)
        : deadline_(std::chrono::steady_clock::now() + connectTimeout), terminal_(isatty(STDERR_FILENO) == 1),
          retriesLeft_(retryBudget)
    {
        language = textLanguage;
    }
    ~CliObserver() override
    {
        EndLine();
        std::cerr << std::flush;
    }

    void Phase(TransferPhase phase) override
    {
        phase_ = PhaseText(phase, language);
        percent_ = -1;
        Show();
    }
    void RestorePointSaved(const std::string& path) override
    {
        EndLine();
        std::cerr << RestorePointSavedText(path, language) << "\n";
    }
    void Progress(int percent) override
    {
        if (percent == percent_)
            return;
        percent_ = percent;
        Show();
    }
    bool CancelRequested() override
    {
        timedOut_ = std::chrono::steady_clock::now() >= deadline_;
        return timedOut_ || g_interrupted;
    }
    void ProcessEvents() override
    {
        if (g_interrupted)
            throw TransferInterrupted();
    }
    bool ContinueAfterFailure(const std::string& text) override
    {
        lastFailure_ = text;
        if (retriesLeft_ == 0 || g_interrupted)
            return false;
        --retriesLeft_;
        EndLine();
        std::cerr << text << "\n"
                  << Tr(language, "Повтор (осталось повторов: " + std::to_string(retriesLeft_) + ").",
                        "Trying again (" + std::to_string(retriesLeft_) + " more retries left).")
                  << "\n";
        Show();
        return true;
    }
    bool TimedOut() const { return timedOut_ && !g_interrupted; }
    // The block or section that failed last (as ContinueAfterFailure was told), else empty.
    const std::string& LastFailure() const { return lastFailure_; }

private:
    // Ends the progress line, so that a message gets a line of its own.
    void EndLine()
    {
        if (width_ > 0)
            std::cerr << "\n";
        width_ = 0;
    }
    void Show()
    {
        if (!terminal_)
            return;
        std::string line = phase_;
        if (percent_ >= 0)
            line += " " + std::to_string(percent_) + "%";
        const std::size_t columns = Columns(line);
        // Spaces wipe what a longer line before left behind.
        std::cerr << "\r" << line << std::string(width_ > columns ? width_ - columns : 0, ' ') << std::flush;
        width_ = columns;
    }

    std::chrono::steady_clock::time_point deadline_;
    bool terminal_;
    std::string phase_;
    int percent_ = -1;
    std::size_t width_ = 0; // columns of the line shown; 0 while none is
    bool timedOut_ = false;
    unsigned retriesLeft_;
    std::string lastFailure_;
};

// DEV is "COMn" or a device path; the port is chosen, not opened.
void ChoosePort(DeviceLink& link, const std::string& dev, Language language)
{
    std::string upper = dev;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.size() > 3 && upper.compare(0, 3, "COM") == 0
        && std::all_of(upper.begin() + 3, upper.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        const unsigned n = ParseNumber(dev.substr(3), kMaxPortNumber, "the COM port number");
        if (n == 0 || !link.FreePorts[n]) {
            // A port held by another program says so, as a device path does.
            if (n > 0 && !link.PortPath(static_cast<int>(n)).empty()) {
                const std::string refusal = link.OpenRefusal(static_cast<int>(n), language);
                if (refusal == PortInUseText(link.PortPath(static_cast<int>(n)), language))
                    throw Error(refusal);
                if (refusal.empty()) { // free by now: another program's scan held it for a moment
                    link.PortNumber = n;
                    link.FreePorts[n] = true;
                    return;
                }
            }
            throw Error(dev + " is not a free serial port" + (link.FreePortCount == 0 ? " (none is free)" : ""));
        }
        link.PortNumber = n;
        return;
    }
    const int n = link.AddDevicePath(dev);
    if (n == 0)
        throw Error(dev + ": no such serial device");
    if (!link.FreePorts[static_cast<std::size_t>(n)]) {
        // Say why: in use, not a serial device at all, no permission. A port
        // that another program's scan held for a moment may be free by now.
        const std::string refusal = link.OpenRefusal(n, language);
        if (!refusal.empty())
            throw Error(refusal);
        link.FreePorts[static_cast<std::size_t>(n)] = true;
    }
    link.PortNumber = static_cast<std::uint32_t>(n);
}

std::chrono::seconds ConnectTimeout(Args& args)
{
    constexpr std::chrono::seconds kMost = std::chrono::hours(24);
    const auto fallback = std::to_string(device::kConnectGiveUp.count());
    return std::chrono::seconds(ParseNumber(args.Option("--connect-timeout", fallback), static_cast<unsigned>(kMost.count()),
                                            "--connect-timeout"));
}

// The window waits 100 ms for the first reply byte when connecting and
// reading; a slow adapter (or a loaded test machine) may ask for more.
TransferTiming Timing(Args& args)
{
    constexpr std::chrono::milliseconds kMost = std::chrono::minutes(1);
    TransferTiming timing;
    const std::chrono::milliseconds wait(ParseNumber(args.Option("--reply-timeout", std::to_string(timing.connectReplyTimeout.count())),
                                                     static_cast<unsigned>(kMost.count()), "--reply-timeout"));
    if (wait <= std::chrono::milliseconds::zero())
        throw UsageError{"--reply-timeout must be at least 1 ms"};
    timing.connectReplyTimeout = wait;
    timing.writeReplyTimeout = std::max(wait, timing.writeReplyTimeout);
    return timing;
}

// How many times a transfer may ask again for a block or section that
// failed all its attempts (0: the first such failure ends it).
unsigned RetryBudget(Args& args)
{
    constexpr unsigned kMost = 100000;
    return ParseNumber(args.Option("--retry-budget", "0"), kMost, "--retry-budget");
}

// Runs a transfer and turns its cancelled and interrupted ends into errors;
// returns how it ended otherwise (Done, or Unchanged for a write).
template <class Transfer>
TransferResult RunTransfer(const std::string& dev, std::chrono::seconds timeout, unsigned retryBudget, Language language, Transfer transfer)
{
    InterruptGuard guard;
    DeviceLink link;
    ChoosePort(link, dev, language);
    CliObserver observer(timeout, retryBudget, language);
    TransferResult result;
    try {
        result = transfer(link, observer);
    } catch (const TransferInterrupted&) {
        throw Error("interrupted; the port is closed");
    } catch (const WriteIncomplete&) {
        throw;
    } catch (const Error& e) {
        // A link failure before anything was written: the link's own line,
        // then that nothing was written, the block and what the device did last.
        const std::string what = e.what();
        if (observer.LastFailure().empty() && what.rfind("RS232", 0) != 0)
            throw;
        throw Error(what + "\n" + NothingWrittenText(observer.LastFailure(), language));
    }
    if (result == TransferResult::Cancelled) {
        if (observer.TimedOut())
            throw Error("no reply from the device on " + dev + " within " + std::to_string(timeout.count()) + " s");
        throw Error("interrupted; the port is closed");
    }
    return result;
}

// A write to this port that was cut off on an earlier run is said before
// anything else, with the command that writes the unit's last whole
// settings back.
void WarnOfCutOffWrite(const std::string& dev, Language language)
{
    const auto cut = RestorePoints(RestorePoints::DefaultFolder(), dev, language).CutOffWrite();
    if (!cut)
        return;
    std::cerr << "warning: " << CutOffWriteText(*cut, language) << "\n"
              << Tr(language, "Восстановить: ", "To restore: ") << "tripconf-cli write --port " << dev << " " << cut->lastWhole << "\n";
}

int RunRead(Args& args)
{
    const std::string dev = args.Option("--port");
    const std::string out = args.Option("-o");
    const auto timeout = ConnectTimeout(args);
    const auto timing = Timing(args);
    const unsigned budget = RetryBudget(args);
    if (!args.Positional().empty() || dev.empty() || out.empty())
        throw UsageError{"--port DEV and -o FILE are required"};
    // A file that cannot be saved is found before the transfer, not after it.
    CheckSaveTarget(out, args.language);
    WarnOfCutOffWrite(dev, args.language);
    const bool readTwice = args.Flag("--read-twice");
    const bool classic = args.Flag("--classic-timing");
    SettingsModel model(args.language);
    RunTransfer(dev, timeout, budget, args.language, [&](DeviceLink& link, TransferObserver& o) {
        link.ReadTwice = readTwice;
        link.ClassicTiming = classic;
        return ReadDeviceSettings(link, model, o, timing);
    });
    // What the read got is judged as a settings file is: a damaged directory
    // is said now, and its bytes kept only as a diagnostic file beside OUT.
    if (const auto problem = ImageProblem(model.Image, args.language); !problem.empty()) {
        const std::string diagnostic = out + ".damaged-read.bin";
        WriteFileAtomically(diagnostic, model.Image, args.language);
        throw Error(DamagedReadText(problem, diagnostic, args.language));
    }
    for (const auto& warning : SettingsWarnings(model.DeviceModelCode, model.Image, args.language))
        std::cerr << "warning: " << warning << "\n";
    for (const auto& warning : model.DecodeAll(args.language))
        std::cerr << "warning: " << warning << "\n";
    WriteSettingsFile(model, out, args.language);
    std::cout << "read " << model.Image.size() << " bytes (model code 0x" << std::hex << std::uppercase
              << model.DeviceModelCode << std::dec << ") into " << out << "\n";
    return 0;
}

int RunWrite(Args& args)
{
    const std::string dev = args.Option("--port");
    const auto timeout = ConnectTimeout(args);
    const auto timing = Timing(args);
    const unsigned budget = RetryBudget(args);
    WriteOptions options;
    options.verify = !args.Flag("--no-verify");
    options.allSections = args.Flag("--all-sections");
    const auto files = args.Positional();
    if (dev.empty() || files.size() != 1)
        throw UsageError{"--port DEV and one settings FILE are required"};
    SettingsModel model(args.language);
    try {
        ReadCheckedSettingsFile(model, files[0], args.language);
    } catch (const Error& e) {
        throw Error(std::string(e.what()) + Tr(args.language, " В МК ничего не записано.", " Nothing has been written to the device."));
    }
    // A section that was not read whole keeps default values in its record;
    // writing those would replace the device's own settings with them.
    const auto problems = model.DecodeAll(args.language);
    for (const auto& warning : problems)
        std::cerr << warning << "\n";
    if (!problems.empty())
        throw Error(Tr(args.language, "Настройки файла прочитаны не полностью. В МК ничего не записано.",
                       "The settings file was not read whole. Nothing has been written to the device."));
    const RestorePoints restorePoints(RestorePoints::DefaultFolder(), dev, args.language);
    WarnOfCutOffWrite(dev, args.language);
    const bool readTwice = args.Flag("--read-twice");
    const bool classic = args.Flag("--classic-timing");
    WriteSummary summary;
    TransferResult result;
    try {
        result = RunTransfer(dev, timeout, budget, args.language, [&](DeviceLink& link, TransferObserver& o) {
            link.ReadTwice = readTwice;
            link.ClassicTiming = classic;
            return WriteDeviceSettings(link, model, o, restorePoints, timing, options, &summary);
        });
    } catch (const WriteIncomplete& e) {
        // The restore point is an ordinary settings file: writing it back is a write.
        throw Error(std::string(e.what()) + "\n" + Tr(args.language, "Восстановить: ", "To restore: ") + "tripconf-cli write --port " + dev + " "
                    + e.restorePoint);
    }
    if (result == TransferResult::Unchanged) {
        std::cout << AlreadyHeldText(args.language) << "\n";
        return 0;
    }
    std::cout << WriteDoneText(args.language) << "\n" << SectionsWrittenText(summary, args.language) << "\n";
    return 0;
}

// The options read and write share.
std::vector<OptionSpec> TransferOptions()
{
    return {{"--port", "DEV", "the serial port: COMn or a device path", Complete::Port},
            {"--retry-budget", "N", "ask again for a block or section that failed its three attempts, up to N times (default 0)"},
            {"--connect-timeout", "SECONDS", "give up connecting after SECONDS (default " + std::to_string(device::kConnectGiveUp.count()) + ")"},
            {"--reply-timeout", "MS", "wait MS milliseconds for the first reply byte when connecting and reading"},
            {"--read-twice", "", "read every block twice and take it when two readings agree (by default only once a reply came damaged)"},
            {"--classic-timing", "", "every attempt waits only the reply timeout, and the line is held quiet "
                                         + std::to_string(device::kRetryPause.count()) + " ms between attempts and "
                                         + std::to_string(device::kQuietTime.count()) + " ms after trouble (by default the last of the three waits at least "
                                         + std::to_string(device::kLastAttemptWait.count()) + " ms, outliving a reply that is long late, and recovery waits only as long as the line needs)"}};
}

std::vector<OptionSpec> ReadCommandOptions()
{
    auto options = TransferOptions();
    options.insert(options.begin() + 1, {"-o", "FILE", "the settings file to write", Complete::Settings});
    return options;
}

std::vector<OptionSpec> WriteCommandOptions()
{
    auto options = TransferOptions();
    options.insert(options.begin() + 1, {"--no-verify", "", "do not read the written sections back to compare them"});
    options.insert(options.begin() + 2, {"--all-sections", "", "send every section, also those the device already holds as they are"});
    return options;
}

const Registration readCommand({"read", "read --port DEV -o FILE [--retry-budget N] [--connect-timeout SECONDS] [--reply-timeout MS] [--read-twice] [--classic-timing]",
                                "reads the device's settings memory into a settings file (DEV: COMn or a device path); "
                                "--retry-budget N: a block that fails its three attempts is asked for again, going on from "
                                "there, up to N times in the whole read (default 0: the read ends at the first such block)",
                                ReadCommandOptions(), {}, RunRead});
const Registration writeCommand({"write", "write --port DEV FILE [--no-verify] [--all-sections] [--retry-budget N] [--connect-timeout SECONDS] [--reply-timeout MS] [--read-twice] [--classic-timing]",
                                 "writes a settings file into the device, section by section; the device's previous settings are "
                                 "kept as a restore point first, only the sections that differ from them are sent (every one with "
                                 "--all-sections; nothing when none differs), and the written sections are read back and compared unless --no-verify; "
                                 "--retry-budget N as for read (a section that fails is sent again, the ones before it are not)",
                                 WriteCommandOptions(), {{Complete::Settings}}, RunWrite});

} // namespace
} // namespace tc::cli
