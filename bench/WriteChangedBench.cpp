// Writing settings that differ from the unit in one value, against a write
// into a unit that differs everywhere, on tripsim paced like a real line:
// only the sections that differ are sent and checked, so the first costs
// little more than the full read that keeps the restore point.
// Reports numbers only; nothing here passes or fails on time.
//   write_changed_bench [RUNS]   (default 5 rounds: 10 writes of each kind)
#include "LinkTestSupport.h"

#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The time spent in each phase of a transfer (connect, restore-point read, sections, check).
struct PhaseTimes final : tc::TransferObserver {
    std::array<double, 4> seconds{};
    Clock::time_point since = Clock::now();
    int phase = 0;
    void Phase(tc::TransferPhase next) override
    {
        Lap();
        phase = static_cast<int>(next);
    }
    void Lap()
    {
        const auto now = Clock::now();
        seconds[static_cast<std::size_t>(phase)] += std::chrono::duration<double>(now - since).count();
        since = now;
    }
};

// Writes the settings and returns the seconds it took and how many sections
// it sent; adds each phase's time to `phases`.
double WriteSeconds(tc::DeviceLink& link, tc::SettingsModel model, const tc::RestorePoints& store, int& sent,
                    std::array<std::vector<double>, 4>& phases)
{
    PhaseTimes observer;
    tc::WriteSummary summary;
    const auto t0 = Clock::now();
    if (tc::WriteDeviceSettings(link, model, observer, store, {}, {}, &summary) != tc::TransferResult::Done)
        throw std::runtime_error("the write sent nothing");
    observer.Lap();
    for (std::size_t p = 0; p < phases.size(); ++p)
        phases[p].push_back(observer.seconds[p]);
    sent = summary.sent;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string PhaseMedians(const std::array<std::vector<double>, 4>& phases)
{
    char text[256];
    std::snprintf(text, sizeof text, "connect %.3f s, restore-point read %.3f s, sections %.3f s, check %.3f s", Median(phases[0]),
                  Median(phases[1]), Median(phases[2]), Median(phases[3]));
    return text;
}

// The seconds a checked write of these sections needs on a 115200-baud line
// for its bytes alone: the connect, the whole-memory read, each section's
// begin, 32-byte chunks and end (each request with its 6-byte reply), and the
// check's read of the blocks the sections cover.
double LineFloor(const tc::SettingsModel& model, const std::vector<int>& sections)
{
    namespace device = tc::device;
    constexpr long kReply = 6, kBlockExchange = 8 + 6 + static_cast<long>(device::kBlockSize);
    long chars = 6 + 9 + static_cast<long>(device::kBlocksRead) * kBlockExchange;
    for (int k : sections) {
        const long payload = std::max(0, model.Dir().Entry(k).deviceLength - 4);
        chars += 2 * (10 + kReply); // begin and end
        for (long at = 0; at < payload; at += static_cast<long>(device::kBlockSize))
            chars += 10 + std::min<long>(payload - at, device::kBlockSize) + kReply;
    }
    chars += static_cast<long>(tc::BlocksOfSections(model.Image, sections).size()) * kBlockExchange;
    return std::chrono::duration<double>(device::kCharTime * chars).count();
}

} // namespace

int main(int argc, char** argv)
{
    // BENCH_SHORT (scripts/bench.sh --short): one write of each kind, unpaced, to check the bench still runs.
    const bool brief = std::getenv("BENCH_SHORT") != nullptr;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : (brief ? 1 : 5);
    tc::test::Tripsim sim(brief ? std::vector<std::string>{} : std::vector<std::string>{"--line-rate"});
    tc::test::TempRestorePoints points;
    tc::DeviceLink link;
    tc::SettingsModel found;
    tc::test::ReadDecoded(sim, link, found);
    // One value: the petrol price. Everywhere: a byte of every record.
    tc::SettingsModel oneValue = found, everywhere = found;
    oneValue.Record(7)[0] ^= 0x01;
    for (int k = 1; k <= tc::kRecordCount; ++k)
        everywhere.Record(k)[1] ^= 0x5A;

    // Each kind there and back again, so that every write finds the unit
    // differing from it as much as the kind says.
    std::vector<double> one, all;
    std::array<std::vector<double>, 4> onePhases, allPhases;
    int sentOne = 0, sentAll = 0;
    for (int i = 0; i < runs; ++i) {
        one.push_back(WriteSeconds(link, oneValue, points.store, sentOne, onePhases));
        one.push_back(WriteSeconds(link, found, points.store, sentOne, onePhases));
        all.push_back(WriteSeconds(link, everywhere, points.store, sentAll, allPhases));
        all.push_back(WriteSeconds(link, found, points.store, sentAll, allPhases));
    }
    const double a = Median(one), b = Median(all);
    std::printf("write, %s, checked: one value differs %.3f s (%d section sent), everywhere %.3f s (%d sections); ratio %.2f\n",
                brief ? "unpaced" : "--line-rate", a, sentOne, b, sentAll, a / b);
    std::printf("  one value: %s\n  everywhere: %s\n", PhaseMedians(onePhases).c_str(), PhaseMedians(allPhases).c_str());
    // The petrol price lies in section 7, the largest (860 bytes of 2928).
    std::vector<int> every;
    for (int k = 1; k <= tc::kRecordCount; ++k)
        every.push_back(k);
    const double floorOne = LineFloor(found, {7}), floorAll = LineFloor(found, every);
    const double readFloor =
        std::chrono::duration<double>(tc::device::kCharTime * static_cast<long>(tc::device::kBlocksRead * (8 + 6 + tc::device::kBlockSize)))
            .count();
    std::printf("line-time floor: one value %.3f s, everywhere %.3f s; ratio %.2f (the whole-memory read alone %.3f s)\n", floorOne,
                floorAll, floorOne / floorAll, readFloor);
    // Both writes read the whole memory first: on a loaded machine that read's
    // spread can outweigh the difference, so the best of each is given too.
    const double bestOne = *std::min_element(one.begin(), one.end()), bestAll = *std::min_element(all.begin(), all.end());
    std::printf("best: one value %.3f s, everywhere %.3f s; ratio %.2f\n", bestOne, bestAll, bestOne / bestAll);
    std::printf("table: write-changed %.2f× (best %.2f×; line-time floor %.2f×)\n", a / b, bestOne / bestAll, floorOne / floorAll);
    return 0;
}
