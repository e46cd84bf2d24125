// tripsim: a simulated trip computer at address 244 on a pseudo-terminal.
//   tripsim --link PATH [--model CODE] [--memory FILE] [--corrupt-every N]
//           [--busy-every N] [--silent] [--stall-after N] [--late-block N:MS[,N:MS...]]
//           [--noise-every N] [--line-rate] [--drop-section N] [--stall-after-section N]
//           [--corrupt-rate P] [--busy-rate P] [--seed S] [--exit-with-parent]
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
// every run.
#include "SimDevice.h"

#include "common/AtomicFile.h"
#include "common/Error.h"

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
    "usage: tripsim --link PATH [--model CODE] [--memory FILE] [--corrupt-every N] [--busy-every N] [--silent] "
    "[--stall-after N] [--late-block N:MS[,N:MS...]] [--noise-every N] [--line-rate] [--drop-section N] "
    "[--stall-after-section N] [--corrupt-rate P] [--busy-rate P] [--seed S] [--exit-with-parent]";

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
        tc::WriteFileAtomically(file, memory);
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
        memory = tc::ReadWholeFile(file, SimDevice::kMemorySize + 1);
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

} // namespace

int main(int argc, char** argv)
{
    std::string link, memoryFile;
    std::uint16_t model = 0xC000;
    tc::sim::SimFaults faults;
    bool lineRate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                Fail(a + " needs a value", 2);
            return argv[++i];
        };
        if (a == "--link")
            link = value();
        else if (a == "--model") {
            const unsigned long code = Number(a, value());
            if (code > 0xFFFF)
                Fail("--model needs a 16-bit code (0..0xFFFF), got " + std::string(argv[i]), 2);
            model = static_cast<std::uint16_t>(code);
        }
        else if (a == "--memory")
            memoryFile = value();
        else if (a == "--corrupt-every")
            faults.corruptEvery = static_cast<unsigned>(Number(a, value()));
        else if (a == "--busy-every")
            faults.busyEvery = static_cast<unsigned>(Number(a, value()));
        else if (a == "--stall-after")
            faults.stallAfter = static_cast<long>(Number(a, value()));
        else if (a == "--drop-section")
            faults.dropSection = static_cast<unsigned>(Number(a, value()));
        else if (a == "--stall-after-section")
            faults.stallAfterSection = static_cast<long>(Number(a, value()));
        else if (a == "--late-block")
            AddLateBlocks(a, value(), faults);
        else if (a == "--corrupt-rate")
            faults.corruptRate = Rate(a, value());
        else if (a == "--busy-rate")
            faults.busyRate = Rate(a, value());
        else if (a == "--seed") {
            const unsigned long seed = Number(a, value());
            if (seed > 0xFFFFFFFFUL)
                Fail("--seed needs a number from 0 to 4294967295, got " + std::string(argv[i]), 2);
            faults.seed = static_cast<std::uint32_t>(seed);
        }
        else if (a == "--noise-every")
            faults.noiseEvery = static_cast<unsigned>(Number(a, value()));
        else if (a == "--silent")
            faults.silent = true;
        else if (a == "--line-rate")
            lineRate = true;
        else if (a == "--exit-with-parent") {
            // Tests start us this way, so a crashed test leaves no simulator behind.
            const pid_t parent = getppid();
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                return 0;
        }
        else if (a == "--help" || a == "-h") {
            std::cout << kUsage << "\n"
                      << "A simulated trip computer on a pseudo-terminal: PATH becomes a link to its line.\n"
                         "  --model CODE            device model (default 0xC000)\n"
                         "  --memory FILE           the unit's 8 KB memory, kept in FILE (created from the sample)\n"
                         "  --corrupt-every N       every Nth reply has a bad checksum\n"
                         "  --busy-every N          every Nth request is answered busy\n"
                         "  --silent                never answer\n"
                         "  --stall-after N         stop answering after N requests\n"
                         "  --late-block N:MS       answer the first request for block N MS ms late (repeatable)\n"
                         "  --noise-every N         line noise behind every Nth reply\n"
                         "  --line-rate             pace replies like the real line (115200 baud)\n"
                         "  --drop-section N        acknowledge section N of a write without storing it\n"
                         "  --stall-after-section N stop answering after N sections of a write\n"
                         "  --corrupt-rate P        each reply has a bad checksum with probability P (0..1)\n"
                         "  --busy-rate P           each request is answered busy with probability P (0..1)\n"
                         "  --seed S                seed of the random faults (default 1): one seed, the same faults\n"
                         "  --exit-with-parent      end when the starting process ends\n";
            return 0;
        }
        else
            Fail("unknown option " + a + "\n" + kUsage, 2);
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
