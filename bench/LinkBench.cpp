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
    constexpr int kExchanges = 1 + tc::kBlocksRead;
    // 254 exchanges of an 8-byte request and a 38-byte reply, 11 bits a byte.
    constexpr double kLineFloor = 254.0 * 46.0 * 11.0 / 115200.0;

    const auto fast = Runs({}, 20);
    const double median = fast[fast.size() / 2];
    std::printf("full read, unpaced pty: median %.1f ms, best %.1f ms, worst %.1f ms (%d exchanges, %.3f ms each; target < 100 ms)\n",
                median * 1e3, fast.front() * 1e3, fast.back() * 1e3, kExchanges, median * 1e3 / kExchanges);

    const auto paced = Runs({"--line-rate"}, 3);
    const double pacedMedian = paced[paced.size() / 2];
    std::printf("full read, --line-rate: median %.3f s, floor %.3f s, ratio %.3f (target <= 1.10)\n", pacedMedian, kLineFloor,
                pacedMedian / kLineFloor);
    WriteRuns({}, 10, "unpaced pty", 1e3, "ms");
    WriteRuns({"--line-rate"}, 2, "--line-rate", 1.0, "s");
    // The check reads back the blocks the sections cover, 38-byte replies to 8-byte requests.
    const auto checkBlocks = static_cast<double>(tc::BlocksOfSections(tc::ImageFromMemory(tc::sim::SampleMemory())).size());
    std::printf("line-time floor of the check: %.3f s (%.0f exchanges of 46 bytes)\n", checkBlocks * 46.0 * 11.0 / 115200.0, checkBlocks);

    std::ifstream load("/proc/loadavg");
    std::string oneMinute;
    if (load >> oneMinute)
        std::printf("load average over the last minute: %s (other work on the machine slows the paced read)\n", oneMinute.c_str());
    return 0;
}
