// Full settings reads against tripsim on a pseudo-terminal: the software
// overhead without pacing (against an ideal client on the same line), the
// time against the line-time floor with --line-rate, and reads on a bad line
// paced like the real one (spoilt, late, noisy, repeated replies) against a
// clean read of the same run, each checked against the unit's memory; for the
// write, what the check after writing adds.
// Prints "table: KEY VALUE" lines for scripts/bench.sh. Reports numbers only;
// nothing here passes or fails on time.
//   link_bench [ROW...]   only these rows: unpaced spoilt late noise duplicates write
#include "LinkTestSupport.h"

#include "link/Frame.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ReadSeconds(tc::DeviceLink& link)
{
    tc::SettingsModel model;
    tc::TransferObserver observer;
    const auto t0 = Clock::now();
    if (tc::ReadDeviceSettings(link, model, observer) != tc::TransferResult::Done)
        throw std::runtime_error("read cancelled");
    return Seconds(t0);
}

std::vector<double> Runs(const std::vector<std::string>& options, int count)
{
    tc::test::Tripsim sim(options);
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    std::vector<double> times;
    for (int i = 0; i < count; ++i)
        times.push_back(ReadSeconds(link));
    std::sort(times.begin(), times.end());
    return times;
}

// One read, with default options, from a fresh unit whose faults count from its first request.
struct Outcome {
    bool exact = false;  // the read ended with the unit's memory, every block in its place
    std::string failure; // the read's message, when it failed
    double seconds = 0;
};

// "a wrong image: 3 blocks wrong, the first image block 57 (it holds block 56)"
std::string WrongBlocks(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want)
{
    constexpr std::size_t kBlock = tc::device::kBlockSize;
    if (got.size() != want.size())
        return "a wrong image: " + std::to_string(got.size()) + " bytes";
    std::size_t wrong = 0, first = 0;
    for (std::size_t i = got.size() / kBlock; i-- > 0;)
        if (!std::equal(got.begin() + static_cast<std::ptrdiff_t>(i * kBlock), got.begin() + static_cast<std::ptrdiff_t>((i + 1) * kBlock),
                        want.begin() + static_cast<std::ptrdiff_t>(i * kBlock))) {
            ++wrong;
            first = i;
        }
    // The last byte of each block tells its device block (DistinctMemory).
    return "a wrong image: " + std::to_string(wrong) + " blocks wrong, the first image block " + std::to_string(first) + " (its last byte "
           + std::to_string(got[(first + 1) * kBlock - 1]) + ", should be " + std::to_string(want[(first + 1) * kBlock - 1]) + ")";
}

Outcome ReadFresh(const std::vector<std::string>& options)
{
    // Every block tells its number: a block taken for its neighbour shows.
    const auto memory = tc::test::DistinctMemory();
    tc::test::Tripsim sim(options, memory);
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    tc::SettingsModel model;
    tc::TransferObserver observer;
    Outcome outcome;
    const auto t0 = Clock::now();
    try {
        const bool done = tc::ReadDeviceSettings(link, model, observer) == tc::TransferResult::Done;
        outcome.seconds = Seconds(t0);
        outcome.exact = done && model.Image == tc::ImageFromMemory(memory);
        if (!done)
            outcome.failure = "cancelled";
        else if (!outcome.exact)
            outcome.failure = WrongBlocks(model.Image, tc::ImageFromMemory(memory));
    } catch (const std::exception& e) {
        outcome.seconds = Seconds(t0);
        outcome.failure = e.what();
        outcome.failure = outcome.failure.substr(0, outcome.failure.find('\n'));
    }
    return outcome;
}

std::string Options(const std::vector<std::string>& options)
{
    std::string text;
    for (const auto& o : options)
        text += (text.empty() ? "" : " ") + o;
    return text;
}

// Reads once with the options and prints how it went; the ratio is to `clean`.
Outcome Report(const char* what, const std::vector<std::string>& options, double clean)
{
    const Outcome o = ReadFresh(options);
    std::printf("  %-44s %s  %6.3f s  %5.2f×  %s%s\n", what, Options(options).c_str(), o.seconds, o.seconds / clean,
                o.exact ? "exact" : "FAILED: ", o.failure.c_str());
    std::fflush(stdout);
    return o;
}

// "exact 1.23×" or "failed (message) after 2.1 s"
std::string Verdict(const Outcome& o, double clean)
{
    char text[512];
    if (o.exact)
        std::snprintf(text, sizeof text, "exact %.2f×", o.seconds / clean);
    else
        std::snprintf(text, sizeof text, "failed (\"%s\") after %.1f s", o.failure.c_str(), o.seconds);
    return text;
}

// The ideal client: sends each request of a full read and reads the reply
// length it states, with no checks and no waits; the time a read needs
// without the link's software.
class ReplayClient {
public:
    explicit ReplayClient(const std::string& path)
    {
        for (int block = 1; block < static_cast<int>(tc::device::kBlockCount); ++block)
            if (block != static_cast<int>(tc::device::kBlocksPerHalf))
                requests_.push_back(Request(tc::kCmdReadBlock, block));
        requests_.insert(requests_.begin(), Request(tc::kCmdConnect, -1));
        path_ = path;
    }

    // With `bounded`, each wait for a reply has a time limit, as any client
    // that must notice a silent unit needs: a poll with a limit, then a read
    // of what came. Without, the reads block until the bytes come.
    double ReadSeconds(bool bounded = false) const
    {
        const auto t0 = Clock::now();
        const int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("cannot open " + path_);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        t.c_cc[VMIN] = bounded ? 0 : 1;
        t.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &t);
        std::uint8_t reply[tc::kMaxFrameSize];
        for (const auto& request : requests_) {
            if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
                throw std::runtime_error("write failed");
            std::size_t got = 0, length = 1;
            while (got < length) {
                if (bounded) {
                    pollfd p{fd, POLLIN, 0};
                    const timespec limit{0, 10'000'000};
                    if (ppoll(&p, 1, &limit, nullptr) <= 0)
                        throw std::runtime_error("no reply");
                }
                const ssize_t n = read(fd, reply + got, bounded ? sizeof reply - got : length - got);
                if (n <= 0)
                    throw std::runtime_error("read failed");
                got += static_cast<std::size_t>(n);
                length = std::max<std::size_t>(reply[0], 1);
            }
            // Not a check of the line's work: the bench's own, that each reply was the one asked for.
            if (length != (request[4] == tc::kCmdConnect ? 9u : 6u + tc::device::kBlockSize))
                throw std::runtime_error("the replay client got a reply of " + std::to_string(length) + " bytes");
        }
        close(fd);
        return Seconds(t0);
    }

private:
    static std::vector<std::uint8_t> Request(std::uint8_t cmd, int block)
    {
        const tc::FrameFormat format{};
        tc::Frame frame = tc::Frame::Begin(format);
        frame.PutByte(tc::kTripComputerAddress);
        frame.PutWord(1);
        frame.PutByte(cmd);
        if (block >= 0)
            frame.PutWord(static_cast<std::uint16_t>(block));
        frame.End(format);
        return {frame.Bytes().begin(), frame.Bytes().end()};
    }

    std::string path_;
    std::vector<std::vector<std::uint8_t>> requests_;
};

// Rounds on a fresh simulator, each giving a pair of times (the link's read
// and the ideal client's, say): the first `warmUp` are run but not counted,
// the next `counted` pairs are appended to `first` and `second`.
template <class Round>
void Rounds(int warmUp, int counted, std::vector<double>& first, std::vector<double>& second, Round round)
{
    tc::test::Tripsim sim({});
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    const ReplayClient replay(sim.Link());
    for (int i = 0; i < warmUp + counted; ++i) {
        const std::pair<double, double> times = round(link, replay);
        if (i >= warmUp) {
            first.push_back(times.first);
            second.push_back(times.second);
        }
    }
}

// Keeps this process, and the processes it starts meanwhile, on its first processor.
class OnOneProcessor {
public:
    OnOneProcessor()
    {
        sched_getaffinity(0, sizeof all_, &all_);
        cpu_set_t one{};
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &all_)) {
                CPU_SET(cpu, &one);
                break;
            }
        sched_setaffinity(0, sizeof one, &one);
    }
    ~OnOneProcessor() { sched_setaffinity(0, sizeof all_, &all_); }
    OnOneProcessor(const OnOneProcessor&) = delete;
    OnOneProcessor& operator=(const OnOneProcessor&) = delete;

private:
    cpu_set_t all_{};
};

double WriteSeconds(tc::DeviceLink& link, tc::SettingsModel& model, const tc::RestorePoints& store, bool verify)
{
    tc::TransferObserver observer;
    tc::WriteOptions options;
    options.verify = verify;
    options.allSections = true; // the same settings each time: every section is sent
    const auto t0 = Clock::now();
    if (tc::WriteDeviceSettings(link, model, observer, store, {}, options) != tc::TransferResult::Done)
        throw std::runtime_error("write cancelled");
    return Seconds(t0);
}

// Writes with and without the check, alternately, so that both see the same load.
void WriteRuns(const std::vector<std::string>& options, int count, const char* label, double scale, const char* unit)
{
    tc::test::Tripsim sim(options);
    tc::test::TempRestorePoints points;
    tc::DeviceLink link;
    tc::SettingsModel model;
    tc::test::ReadDecoded(sim, link, model);
    std::vector<double> checked, unchecked;
    for (int i = 0; i < count; ++i) {
        checked.push_back(WriteSeconds(link, model, points.store, true));
        unchecked.push_back(WriteSeconds(link, model, points.store, false));
    }
    const double with = Median(checked), without = Median(unchecked);
    std::printf("full write, %s: median %.*f %s with the check, %.*f %s without; the check adds %.*f %s (%.0f%%, %zu blocks read back)\n",
                label, scale > 1 ? 1 : 3, with * scale, unit, scale > 1 ? 1 : 3, without * scale, unit, scale > 1 ? 1 : 3,
                (with - without) * scale, unit, (with - without) / without * 100.0, tc::BlocksOfSections(model.Image).size());
}

} // namespace

int main(int argc, char** argv)
{
    namespace device = tc::device;
    constexpr int kExchanges = 1 + static_cast<int>(device::kBlocksRead);
    // The blocks' exchanges on the line: an 8-byte request and a 38-byte reply each.
    constexpr auto kLineTime = device::kCharTime * static_cast<long>(device::kBlocksRead * (8 + 6 + device::kBlockSize));
    constexpr double kLineFloor = std::chrono::duration<double>(kLineTime).count();

    const bool brief = std::getenv("BENCH_SHORT") != nullptr; // few runs: checks the bench still runs
    // link_bench [ROW...]: only these of unpaced, spoilt, late, noise, duplicates, write (the clean paced read always).
    const auto wanted = [&](const char* row) {
        if (argc < 2)
            return true;
        for (int a = 1; a < argc; ++a)
            if (std::string(argv[a]) == row)
                return true;
        return false;
    };

    // Unpaced, on one line: the link's read and the ideal client's, alternately.
    if (wanted("unpaced")) {
        std::vector<double> fast, ideal;
        // A pseudo-terminal's pace depends on where the system places the
        // three parties (client, simulator, the terminal layer's worker), and
        // a placement, once found, holds for the simulator's life. So the
        // pairs are spread over several simulators, and the first pairs of
        // each (cold caches, a scheduler that has not yet seen the processes
        // talk) are run but not counted.
        const int units = brief ? 1 : 6, warmUp = brief ? 0 : 2, counted = brief ? 2 : 10;
        const auto linkThenIdeal = [](tc::DeviceLink& link, const ReplayClient& replay) {
            return std::pair<double, double>{ReadSeconds(link), replay.ReadSeconds()};
        };
        for (int unit = 0; unit < units; ++unit)
            Rounds(warmUp, counted, fast, ideal, linkThenIdeal);
        std::sort(fast.begin(), fast.end());
        const double median = Median(fast), idealMedian = Median(ideal);
        std::printf("full read, unpaced pty: median %.1f ms, best %.1f ms, worst %.1f ms (%d exchanges, %.3f ms each); "
                    "ideal replay client %.1f ms; ratio %.2f\n",
                    median * 1e3, fast.front() * 1e3, fast.back() * 1e3, kExchanges, median * 1e3 / kExchanges, idealMedian * 1e3,
                    median / idealMedian);
        if (!brief) {
            // What the ratio is made of, on the same kind of line: the ideal
            // client waiting with a time limit (a wait no real client can do
            // without), and the three processes kept on one processor, where
            // the system's placement of them no longer counts.
            std::vector<double> linkOne, idealOne, bounded, unbounded;
            {
                const OnOneProcessor one; // the simulator started now inherits it
                Rounds(0, 12, linkOne, idealOne, linkThenIdeal);
            }
            Rounds(2, 20, bounded, unbounded, [](tc::DeviceLink&, const ReplayClient& replay) {
                return std::pair<double, double>{replay.ReadSeconds(true), replay.ReadSeconds()};
            });
            std::printf("  of which: the ideal client with a time limit on each wait %.2f× the one without; "
                        "all on one processor, the link %.1f ms and the ideal client %.1f ms (%.2f×)\n",
                        Median(bounded) / Median(unbounded), Median(linkOne) * 1e3, Median(idealOne) * 1e3,
                        Median(linkOne) / Median(idealOne));
        }
        std::printf("table: unpaced-read %.2f× (%.0f ms vs %.0f ms)\n", median / idealMedian, median * 1e3, idealMedian * 1e3);
        std::fflush(stdout);
    }

    // A clean line at 115200 baud: the time the bytes need, plus what the link adds.
    const auto paced = Runs({"--line-rate"}, brief ? 1 : 5);
    const double clean = paced[paced.size() / 2];
    std::printf("full read, --line-rate: median %.3f s, best %.3f s, line time %.3f s, ratio %.3f (best %.3f; target <= 1.10)\n", clean,
                paced.front(), kLineFloor, clean / kLineFloor, paced.front() / kLineFloor);
    std::fflush(stdout);

    // Each fault on a fresh unit, paced like the line (with BENCH_SHORT,
    // which only checks that the reads run, two of them unpaced).
    const auto line = [brief](std::vector<std::string> options) {
        if (!brief)
            options.insert(options.begin(), "--line-rate");
        return options;
    };
    std::printf("reads on a bad line, %s, default options, each on a fresh unit (ratio to the clean read of %.3f s):\n",
                brief ? "unpaced" : "paced", clean);
    if (!brief && wanted("spoilt")) {
        // 5 % of the replies spoilt, a tenth of those so that their sum still checks.
        double lo = 1e9, hi = 0;
        std::string exact;
        for (const char* seed : {"1", "2", "3"}) {
            const Outcome o = Report("5 % spoilt replies", line({"--spoil-rate", "0.05", "--spoil-valid", "0.1", "--seed", seed}), clean);
            lo = std::min(lo, o.seconds / clean);
            hi = std::max(hi, o.seconds / clean);
            exact += std::string(exact.empty() ? "" : ", ") + (o.exact ? "exact" : "NOT exact");
        }
        std::printf("table: spoilt-read %.2f–%.2f× (%s)\n", lo, hi, exact.c_str());
    }

    // The reply to request 100 (block 99) held back, as by an adapter that pauses.
    if (wanted("late")) {
        const auto late = [](const Outcome& o) {
            char text[512];
            if (o.exact)
                std::snprintf(text, sizeof text, "exact image, %.2f s", o.seconds);
            else
                std::snprintf(text, sizeof text, "failed (\"%s\") after %.1f s", o.failure.c_str(), o.seconds);
            return std::string(text);
        };
        const Outcome late1000 = Report("reply 100 held 1000 ms", line({"--pause-after", "100:1000"}), clean);
        if (!brief) {
            const Outcome late1500 = Report("reply 100 held 1500 ms", line({"--pause-after", "100:1500"}), clean);
            std::printf("table: late-reply 1000 ms: %s; 1500 ms: %s\n", late(late1000).c_str(), late(late1500).c_str());
        }
    }

    if (!brief && wanted("noise")) {
        const Outcome noise5 = Report("6 noise bytes behind every 5th reply", line({"--noise-every", "5", "--noise-bytes", "6"}), clean);
        const Outcome noise1 = Report("6 noise bytes behind every reply", line({"--noise-every", "1", "--noise-bytes", "6"}), clean);
        std::printf("table: noise %s; %s\n", Verdict(noise5, clean).c_str(), Verdict(noise1, clean).c_str());
    }

    if (wanted("duplicates")) {
        const Outcome twice = Report("every 50th reply sent twice", line({"--duplicate-every", "50"}), clean);
        std::printf("table: duplicates %s\n", Verdict(twice, clean).c_str());
        std::fflush(stdout);
    }

    if (wanted("write")) {
        WriteRuns({}, brief ? 1 : 10, "unpaced pty", 1e3, "ms");
        if (!brief)
            WriteRuns({"--line-rate"}, 2, "--line-rate", 1.0, "s");
        // The check reads back the blocks the sections cover, 38-byte replies to 8-byte requests.
        const auto checkBlocks = tc::BlocksOfSections(tc::ImageFromMemory(tc::sim::SampleMemory())).size();
        const auto checkLine = device::kCharTime * static_cast<long>(checkBlocks * (8 + 6 + device::kBlockSize));
        std::printf("line-time floor of the check: %.3f s (%zu exchanges of 46 bytes)\n", std::chrono::duration<double>(checkLine).count(),
                    checkBlocks);
    }

    std::ifstream load("/proc/loadavg");
    std::string oneMinute;
    if (load >> oneMinute)
        std::printf("load average over the last minute: %s (other work on the machine slows the paced read)\n", oneMinute.c_str());
    return 0;
}
