// tripsim: a simulated trip computer at address 244 on a pseudo-terminal.
//   tripsim --link PATH [--model CODE] [--memory FILE] [--corrupt-every N]
//           [--busy-every N] [--silent] [--stall-after N] [--late-block N:MS[,N:MS...]]
//           [--noise-every N] [--noise-bytes N] [--line-rate] [--drop-section N] [--stall-after-section N]
//           [--corrupt-rate P] [--busy-rate P] [--duplicate-every N] [--pause-after N:MS]
//           [--spoil-rate P] [--spoil-bytes N] [--spoil-valid F] [--seed S] [--exit-with-parent]
// Creates the pty, makes PATH a symlink to it, prints PATH and serves until
// killed. --memory keeps the 8192 bytes in FILE (created when missing) and
// saves them after every completed section write. --late-block (repeatable)
// answers the first request for block N MS milliseconds late; the requests
// that arrive meanwhile are answered after it, in order. --drop-section N
// acknowledges the Nth section written but keeps the old bytes;
// --stall-after-section N goes silent at the first begin-section after N
// sections were written. --corrupt-rate and --busy-rate spoil each reply's
// checksum, or answer busy, with probability P (0..1), drawn from a generator
// seeded with --seed (default 1), so that one seed gives the same faults in
// every run. --duplicate-every N sends every Nth reply twice; --pause-after
// N:MS (repeatable) holds the reply to request N for MS milliseconds, the
// later ones waiting their turn; --spoil-rate P changes --spoil-bytes data
// bytes (default 2) of a reply with probability P, keeping its sum right in
// the share --spoil-valid F of them.
#include "SimDevice.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

using tc::sim::SimDevice;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

// Longest sleep of the serving loop while nothing is due.
constexpr std::chrono::milliseconds kPollSlice{50};
// Wait for room on the line while writing a reply.
constexpr std::chrono::milliseconds kWritePollSlice{10};
// The longest lateness --late-block accepts.
constexpr std::chrono::milliseconds kMaxLateness{60000};

constexpr const char* kUsage =
    "Usage: tripsim --link PATH [--model CODE] [--memory FILE] [--corrupt-every N] [--busy-every N] [--silent] "
    "[--stall-after N] [--late-block N:MS[,N:MS...]] [--noise-every N] [--noise-bytes N] [--line-rate] [--drop-section N] "
    "[--stall-after-section N] [--corrupt-rate P] [--busy-rate P] [--duplicate-every N] [--pause-after N:MS] "
    "[--spoil-rate P] [--spoil-bytes N] [--spoil-valid F] [--seed S] [--exit-with-parent]";

[[noreturn]] void Fail(const std::string& text, int code = 1)
{
    std::cerr << "tripsim: " << text << "\n";
    std::exit(code);
}

unsigned long Number(const std::string& option, const char* text)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-')
        Fail(option + " needs a number, got \"" + text + "\"", 2);
    return v;
}

// A probability, 0..1.
double Rate(const std::string& option, const char* text)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(v >= 0.0 && v <= 1.0))
        Fail(option + " needs a probability from 0 to 1 (e.g. 0.05), got \"" + text + "\"", 2);
    return v;
}

// "N:MS[,N:MS...]": block numbers and how late their first request is answered.
void AddLateBlocks(const std::string& option, const std::string& text, tc::sim::SimFaults& faults)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos)
            Fail(option + " needs BLOCK:MS, got \"" + item + "\"", 2);
        const unsigned long block = Number(option, item.substr(0, colon).c_str());
        const unsigned long ms = Number(option, item.substr(colon + 1).c_str());
        if (block >= tc::device::kBlockCount)
            Fail(option + ": the device has blocks 0.." + std::to_string(tc::device::kBlockCount - 1) + ", got " + std::to_string(block), 2);
        if (ms > static_cast<unsigned long>(kMaxLateness.count()))
            Fail(option + ": at most " + std::to_string(kMaxLateness.count()) + " ms late, got " + std::to_string(ms), 2);
        faults.lateBlocks[static_cast<std::uint16_t>(block)] = std::chrono::milliseconds(ms);
        if (comma == std::string::npos)
            return;
        start = comma + 1;
    }
}

// Returns false, with the reason on stderr, when the file could not be written.
bool SaveMemory(const std::string& file, const std::vector<std::uint8_t>& memory)
{
    try {
        tc::WriteFileAtomically(file, memory, tc::Language::Russian);
        return true;
    } catch (const tc::Error& e) {
        std::cerr << "tripsim: " << e.what() << "\n";
        return false;
    }
}

std::vector<std::uint8_t> LoadOrCreateMemory(const std::string& file)
{
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0 && errno == ENOENT) {
        auto memory = tc::sim::SampleMemory();
        if (!SaveMemory(file, memory))
            std::exit(1);
        return memory;
    }
    // A pipe or a device given as the memory file is refused, not waited on.
    std::vector<std::uint8_t> memory;
    try {
        memory = tc::ReadWholeFile(file, SimDevice::kMemorySize + 1, tc::Language::Russian);
    } catch (const tc::Error& e) {
        Fail(e.what());
    }
    if (memory.size() != SimDevice::kMemorySize)
        Fail(file + " holds " + std::to_string(memory.size()) + " bytes, the device memory has "
             + std::to_string(SimDevice::kMemorySize));
    return memory;
}

void SleepUntil(Clock::time_point t)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR && !g_stop) {
    }
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = write(fd, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<std::size_t>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, static_cast<int>(kWritePollSlice.count()));
        }
    }
}

// The options, in the order --help lists them.
struct SimOption {
    const char* name;
    const char* value; // empty for a flag
    const char* help;
};
constexpr SimOption kOptions[] = {
    {"--link", "PATH", "make PATH a link to the simulated unit's line (required)"},
    {"--model", "CODE", "device model (default 0xC000)"},
    {"--memory", "FILE", "the unit's 8 KB memory, kept in FILE (created from the sample)"},
    {"--corrupt-every", "N", "every Nth reply has a bad checksum"},
    {"--busy-every", "N", "every Nth request is answered busy"},
    {"--silent", "", "never answer"},
    {"--stall-after", "N", "stop answering after N requests"},
    {"--late-block", "N:MS", "answer the first request for block N MS ms late (repeatable)"},
    {"--noise-every", "N", "line noise behind every Nth reply"},
    {"--noise-bytes", "N", "how many bytes of noise follow such a reply (1..64, default 3)"},
    {"--line-rate", "", "pace replies like the real line (115200 baud)"},
    {"--drop-section", "N", "acknowledge section N of a write without storing it"},
    {"--stall-after-section", "N", "stop answering after N sections of a write"},
    {"--corrupt-rate", "P", "each reply has a bad checksum with probability P (0..1)"},
    {"--busy-rate", "P", "each request is answered busy with probability P (0..1)"},
    {"--duplicate-every", "N", "send every Nth reply twice, the copy right behind it"},
    {"--pause-after", "N:MS", "hold the reply to request N for MS ms, the later ones after it (repeatable)"},
    {"--spoil-rate", "P", "change --spoil-bytes data bytes of a reply with probability P (0..1)"},
    {"--spoil-bytes", "N", "how many data bytes a spoilt reply has changed (1..16, default 2)"},
    {"--spoil-valid", "F", "the share F (0..1) of spoilt replies whose check byte still sums right"},
    {"--seed", "S", "seed of the random faults (default 1): one seed, the same faults"},
    {"--exit-with-parent", "", "end when the starting process ends"},
};

std::string Help()
{
    std::string text = std::string(kUsage) + "\n       tripsim --version\n\n"
                       "A simulated trip computer on a pseudo-terminal: PATH becomes a link to its line.\n\nOptions:\n";
    for (const auto& o : kOptions) {
        std::string name = std::string(o.name) + (o.value[0] ? std::string(" ") + o.value : std::string());
        name.resize(std::max<std::size_t>(name.size() + 1, 24), ' ');
        text += "  " + name + o.help + "\n";
    }
    text += "  --version               print the version and exit\n"
            "  -h, --help              print this help and exit\n"
            "\nExit status:\n  0 stopped by a signal, 1 failure, 2 bad usage.\n";
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    std::string link, memoryFile;
    std::uint16_t model = 0xC000;
    tc::sim::SimFaults faults;
    bool lineRate = false;

    CLI::App app("A simulated trip computer on a pseudo-terminal.", "tripsim");
    app.set_help_flag("-h,--help");
    bool version = false;
    app.add_flag("--version", version);
    std::map<std::string, CLI::Option*> options;
    for (const auto& o : kOptions)
        options[o.name] = o.value[0] ? app.add_option(o.name)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                                     : app.add_flag(o.name);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << Help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string text = e.what();
        if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && text.find(": ") != std::string::npos)
        {
            const std::string rest = text.substr(text.find(": ") + 2);
            text = (rest.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") + rest;
        }
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr && text.find("required") != std::string::npos)
            text = text.substr(0, text.find(':')) + " needs a value";
        std::replace(text.begin(), text.end(), '\n', ' ');
        Fail(text + " (tripsim --help)", 2);
    }
    if (version) {
        std::cout << "tripsim " << tc::VersionText() << "\n";
        return 0;
    }
    // Each value in the order given; the last one counts, --late-block adds up.
    auto values = [&](const char* name) { return options[name]->results(); };
    auto last = [&](const char* name) -> const char* {
        const auto& r = options[name]->results();
        return r.empty() ? nullptr : r.back().c_str();
    };
    if (const char* v = last("--link"))
        link = v;
    if (const char* v = last("--model")) {
        const unsigned long code = Number("--model", v);
        if (code > 0xFFFF)
            Fail("--model needs a 16-bit code (0..0xFFFF), got " + std::string(v), 2);
        model = static_cast<std::uint16_t>(code);
    }
    if (const char* v = last("--memory"))
        memoryFile = v;
    if (const char* v = last("--corrupt-every"))
        faults.corruptEvery = static_cast<unsigned>(Number("--corrupt-every", v));
    if (const char* v = last("--busy-every"))
        faults.busyEvery = static_cast<unsigned>(Number("--busy-every", v));
    if (const char* v = last("--stall-after"))
        faults.stallAfter = static_cast<long>(Number("--stall-after", v));
    if (const char* v = last("--drop-section"))
        faults.dropSection = static_cast<unsigned>(Number("--drop-section", v));
    if (const char* v = last("--stall-after-section"))
        faults.stallAfterSection = static_cast<long>(Number("--stall-after-section", v));
    for (const auto& v : values("--late-block"))
        AddLateBlocks("--late-block", v, faults);
    if (const char* v = last("--corrupt-rate"))
        faults.corruptRate = Rate("--corrupt-rate", v);
    if (const char* v = last("--busy-rate"))
        faults.busyRate = Rate("--busy-rate", v);
    if (const char* v = last("--duplicate-every"))
        faults.duplicateEvery = static_cast<unsigned>(Number("--duplicate-every", v));
    for (const auto& v : values("--pause-after")) {
        const std::size_t colon = v.find(':');
        if (colon == std::string::npos)
            Fail("--pause-after needs N:MS, got \"" + v + "\"", 2);
        const unsigned long ms = Number("--pause-after", v.substr(colon + 1).c_str());
        if (ms > static_cast<unsigned long>(kMaxLateness.count()))
            Fail("--pause-after: at most " + std::to_string(kMaxLateness.count()) + " ms, got " + std::to_string(ms), 2);
        faults.pauses[Number("--pause-after", v.substr(0, colon).c_str())] = std::chrono::milliseconds(ms);
    }
    if (const char* v = last("--spoil-rate"))
        faults.spoilRate = Rate("--spoil-rate", v);
    if (const char* v = last("--spoil-valid"))
        faults.spoilValid = Rate("--spoil-valid", v);
    if (const char* v = last("--spoil-bytes")) {
        const unsigned long n = Number("--spoil-bytes", v);
        if (n < 1 || n > 16)
            Fail("--spoil-bytes needs a number from 1 to 16, got " + std::string(v), 2);
        faults.spoilBytes = static_cast<unsigned>(n);
    }
    if (const char* v = last("--seed")) {
        const unsigned long seed = Number("--seed", v);
        if (seed > 0xFFFFFFFFUL)
            Fail("--seed needs a number from 0 to 4294967295, got " + std::string(v), 2);
        faults.seed = static_cast<std::uint32_t>(seed);
    }
    if (const char* v = last("--noise-every"))
        faults.noiseEvery = static_cast<unsigned>(Number("--noise-every", v));
    if (const char* v = last("--noise-bytes")) {
        const unsigned long n = Number("--noise-bytes", v);
        if (n < 1 || n > 64)
            Fail("--noise-bytes needs a number from 1 to 64, got " + std::string(v), 2);
        faults.noiseBytes = static_cast<unsigned>(n);
    }
    if (options["--silent"]->count() > 0)
        faults.silent = true;
    if (options["--line-rate"]->count() > 0)
        lineRate = true;
    if (options["--exit-with-parent"]->count() > 0) {
        // Tests start us this way, so a crashed test leaves no simulator behind.
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            return 0;
    }
    if (link.empty())
        Fail("--link PATH is required", 2);

    SimDevice device(memoryFile.empty() ? tc::sim::SampleMemory() : LoadOrCreateMemory(memoryFile), model, faults);

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        Fail(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
    const char* slaveName = ptsname(master);
    if (!slaveName)
        Fail("cannot name the pseudo-terminal");
    // Holding the slave side open keeps the line's settings between clients
    // and spares us the hang-ups of a pty nobody has open.
    const int slave = open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        Fail(std::string("cannot open ") + slaveName);
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    struct stat st{};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            Fail(link + " exists and is not a symbolic link");
        unlink(link.c_str());
    }
    if (symlink(slaveName, link.c_str()) != 0)
        Fail("cannot create " + link + ": " + std::strerror(errno));

    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    prctl(PR_SET_TIMERSLACK, 1UL); // pacing needs microsecond sleeps

    std::cout << link << std::endl;

    tc::sim::SimLine line(device, lineRate ? std::chrono::nanoseconds(tc::device::kCharTime) : std::chrono::nanoseconds::zero());
    std::deque<tc::sim::SimLine::Outgoing> outgoing; // in the order they leave
    std::uint8_t buf[512];
    while (!g_stop) {
        auto wait = kPollSlice;
        if (!outgoing.empty()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(outgoing.front().at - Clock::now());
            wait = std::clamp(left, std::chrono::milliseconds::zero(), kPollSlice);
        }
        pollfd p{master, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(wait.count()));
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) {
                for (auto& reply : line.Receive(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(n)), Clock::now()))
                    outgoing.push_back(std::move(reply));
                if (device.TakeMemoryChanged() && !memoryFile.empty())
                    SaveMemory(memoryFile, device.Memory());
            }
        }
        while (!outgoing.empty() && outgoing.front().at <= Clock::now()) {
            const auto& reply = outgoing.front();
            if (!lineRate) {
                WriteAll(master, reply.bytes.data(), reply.bytes.size());
            } else {
                for (std::size_t k = 0; k < reply.bytes.size(); ++k) {
                    SleepUntil(reply.at + tc::device::kCharTime * static_cast<long>(k + 1));
                    WriteAll(master, &reply.bytes[k], 1);
                }
            }
            outgoing.pop_front();
        }
    }
    unlink(link.c_str());
    close(slave);
    close(master);
    return 0;
}
