// Full settings read and write against tripsim on a pseudo-terminal: software
// overhead without pacing, and the time against the line-time floor with
// --line-rate; for the write, what the check after writing adds.
// Reports numbers only; nothing here passes or fails on time.
#include "LinkTestSupport.h"

#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ReadSeconds(tc::DeviceLink& link)
{
    tc::SettingsModel model;
    tc::TransferObserver observer;
    const auto t0 = Clock::now();
    if (tc::ReadDeviceSettings(link, model, observer) != tc::TransferResult::Done)
        throw std::runtime_error("read cancelled");
    return std::chrono::duration<double>(Clock::now() - t0).count();
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

double WriteSeconds(tc::DeviceLink& link, tc::SettingsModel& model, const tc::RestorePoints& store, bool verify)
{
    tc::TransferObserver observer;
    tc::WriteOptions options;
    options.verify = verify;
    options.allSections = true; // the same settings each time: every section is sent
    const auto t0 = Clock::now();
    if (tc::WriteDeviceSettings(link, model, observer, store, {}, options) != tc::TransferResult::Done)
        throw std::runtime_error("write cancelled");
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Writes with and without the check, alternately, so that both see the same load.
void WriteRuns(const std::vector<std::string>& options, int count, const char* label, double scale, const char* unit)
{
    tc::test::Tripsim sim(options);
    tc::test::TempRestorePoints points;
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    tc::SettingsModel model;
    tc::TransferObserver observer;
    if (tc::ReadDeviceSettings(link, model, observer) != tc::TransferResult::Done)
        throw std::runtime_error("read cancelled");
    model.DecodeAll();
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

int main()
{
    namespace device = tc::device;
    constexpr int kExchanges = 1 + static_cast<int>(device::kBlocksRead);
    // The blocks' exchanges on the line: an 8-byte request and a 38-byte reply each.
    constexpr auto kLineTime = device::kCharTime * static_cast<long>(device::kBlocksRead * (8 + 6 + device::kBlockSize));
    constexpr double kLineFloor = std::chrono::duration<double>(kLineTime).count();

    const bool brief = std::getenv("BENCH_SHORT") != nullptr; // few runs: checks the bench still runs
    const auto fast = Runs({}, brief ? 2 : 20);
    const double median = fast[fast.size() / 2];
    std::printf("full read, unpaced pty: median %.1f ms, best %.1f ms, worst %.1f ms (%d exchanges, %.3f ms each; target < 100 ms)\n",
                median * 1e3, fast.front() * 1e3, fast.back() * 1e3, kExchanges, median * 1e3 / kExchanges);

    // A clean line at 115200 baud: the time the bytes need, plus what the
    // link adds (its turnarounds, and the two settle checks that make sure no
    // reply follows the connect and the last block).
    const auto paced = Runs({"--line-rate"}, brief ? 1 : 5);
    const double pacedMedian = paced[paced.size() / 2];
    std::printf("full read, --line-rate: median %.3f s, best %.3f s, line time %.3f s, ratio %.3f (best %.3f; target <= 1.10; "
                "the settle checks add %.3f s)\n",
                pacedMedian, paced.front(), kLineFloor, pacedMedian / kLineFloor, paced.front() / kLineFloor,
                2 * std::chrono::duration<double>(device::kSettleTime).count());
    WriteRuns({}, brief ? 1 : 10, "unpaced pty", 1e3, "ms");
    if (!brief)
        WriteRuns({"--line-rate"}, 2, "--line-rate", 1.0, "s");
    // The check reads back the blocks the sections cover, 38-byte replies to 8-byte requests.
    const auto checkBlocks = tc::BlocksOfSections(tc::ImageFromMemory(tc::sim::SampleMemory())).size();
    const auto checkLine = device::kCharTime * static_cast<long>(checkBlocks * (8 + 6 + device::kBlockSize));
    std::printf("line-time floor of the check: %.3f s (%zu exchanges of 46 bytes)\n", std::chrono::duration<double>(checkLine).count(),
                checkBlocks);

    std::ifstream load("/proc/loadavg");
    std::string oneMinute;
    if (load >> oneMinute)
        std::printf("load average over the last minute: %s (other work on the machine slows the paced read)\n", oneMinute.c_str());
    return 0;
}
