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
// begin, 32-byte chunks and end (each request with its 6-byte reply), the
// check's read of the blocks the sections cover, and the connect behind each
// of the two reads that shows the line in step.
double LineFloor(const tc::SettingsModel& model, const std::vector<int>& sections)
{
    namespace device = tc::device;
    constexpr long kReply = 6, kBlockExchange = 8 + 6 + static_cast<long>(device::kBlockSize);
    constexpr long kConnectExchange = 6 + 9;
    long chars = 3 * kConnectExchange + static_cast<long>(device::kBlocksRead) * kBlockExchange;
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
    // One value in a section of the median size (record 5, 128 bytes of the
    // eleven), one in the largest (the petrol price in record 7, 860 bytes),
    // and a byte of every record.
    struct Kind {
        const char* what;
        std::vector<int> records;
        tc::SettingsModel model;
        std::vector<double> seconds;
        std::array<std::vector<double>, 4> phases;
        int sent = 0;
    };
    std::vector<int> every;
    for (int k = 1; k <= tc::kRecordCount; ++k)
        every.push_back(k);
    std::array<Kind, 3> kinds{{{"one value, median section (record 5)", {5}, found, {}, {}, 0},
                               {"one value, largest section (record 7)", {7}, found, {}, {}, 0},
                               {"everywhere", every, found, {}, {}, 0}}};
    kinds[0].model.Record(5)[0] ^= 0x01;
    kinds[1].model.Record(7)[0] ^= 0x01;
    for (int k : every)
        kinds[2].model.Record(k)[1] ^= 0x5A;

    // Each kind there and back again, so that every write finds the unit
    // differing from it as much as the kind says.
    for (int i = 0; i < runs; ++i)
        for (auto& kind : kinds) {
            kind.seconds.push_back(WriteSeconds(link, kind.model, points.store, kind.sent, kind.phases));
            kind.seconds.push_back(WriteSeconds(link, found, points.store, kind.sent, kind.phases));
        }
    const Kind& all = kinds.back();
    const double b = Median(all.seconds), bestAll = *std::min_element(all.seconds.begin(), all.seconds.end());
    const double floorAll = LineFloor(found, every);
    const double readFloor =
        std::chrono::duration<double>(tc::device::kCharTime * static_cast<long>(tc::device::kBlocksRead * (8 + 6 + tc::device::kBlockSize)))
            .count();
    std::printf("write, %s, checked: everywhere %.3f s (%d sections; best %.3f s; line-time floor %.3f s, the whole-memory read alone %.3f s)\n",
                brief ? "unpaced" : "--line-rate", b, all.sent, bestAll, floorAll, readFloor);
    std::printf("  everywhere: %s\n", PhaseMedians(all.phases).c_str());
    // Both writes read the whole memory first: on a loaded machine that read's
    // spread can outweigh the difference, so the best of each is given too.
    std::string row;
    for (std::size_t n = 0; n + 1 < kinds.size(); ++n) {
        const Kind& one = kinds[n];
        const double a = Median(one.seconds), best = *std::min_element(one.seconds.begin(), one.seconds.end());
        const double floorOne = LineFloor(found, one.records);
        std::printf("%s: %.3f s (%d section sent), ratio %.2f; best %.3f s, ratio %.2f; line-time floor %.3f s, ratio %.2f\n  %s\n",
                    one.what, a, one.sent, a / b, best, best / bestAll, floorOne, floorOne / floorAll, PhaseMedians(one.phases).c_str());
        char cell[160];
        std::snprintf(cell, sizeof cell, "%s%.2f× (best %.2f×; floor %.2f×) for a value in %s", row.empty() ? "" : ", ", a / b,
                      best / bestAll, floorOne / floorAll, n == 0 ? "a section of median size" : "the largest section");
        row += cell;
    }
    std::printf("table: write-changed %s\n", row.c_str());
    return 0;
}
