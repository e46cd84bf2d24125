// Full settings reads on a line that spoils a share of the replies (the
// simulated device on an in-process line, its random faults seeded): how many
// reads come through whole when a block whose three attempts all fail ends
// the read, and when the read goes on from that block.
// Reports numbers only; nothing here passes or fails.
//   resume_bench [READS]   (default 20 reads per rate, seeds 1..READS)
#include "LinkTestSupport.h"

#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Goes on after every failed block and counts how often it was asked.
struct GoingOn final : tc::TransferObserver {
    int asked = 0;
    bool ContinueAfterFailure(const std::string&) override
    {
        ++asked;
        return true;
    }
};

struct Outcome {
    bool whole = false; // the read ended with the device's exact memory
    int goneOn = 0;     // blocks whose attempts all failed
};

Outcome Read(double corruptRate, std::uint32_t seed)
{
    tc::sim::SimFaults faults;
    faults.corruptRate = corruptRate;
    faults.seed = seed;
    auto device = std::make_shared<tc::sim::SimDevice>(tc::test::DistinctMemory(), 0xC000, faults);
    auto ports = std::make_shared<tc::test::FakePorts>();
    ports->AddTimed("/dev/fake0", tc::test::DeviceResponder(device));
    tc::DeviceLink link(ports);
    // The in-process line answers at once: short waits keep the runs short
    // without changing which replies fail.
    link.ByteTimeout = 20ms;
    link.QuietTime = 20ms;
    tc::SettingsModel model;
    GoingOn observer;
    const bool done = tc::ReadDeviceSettings(link, model, observer, tc::TransferTiming{20ms, 20ms}) == tc::TransferResult::Done;
    return {done && model.Image == tc::ImageFromMemory(device->Memory()), observer.asked};
}

} // namespace

int main(int argc, char** argv)
{
    // BENCH_SHORT (scripts/bench.sh --short): one seed, to check the bench still runs.
    const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : (std::getenv("BENCH_SHORT") != nullptr ? 1 : 20);
    // A read that does not go on ends where the first question is asked; up
    // to there both reads see the same replies (the faults follow the seed),
    // so one read with going on gives both results.
    std::printf("full reads of %d seeds each (seeds 1..%d), 254 blocks; a block fails when all 3 attempts get a bad reply\n", reads,
                reads);
    std::printf("%-16s %-26s %-26s %-22s %s\n", "corrupt replies", "whole, stopping at a fail", "whole, going on", "blocks gone on",
                "expected whole without going on");
    for (const double rate : {0.01, 0.05, 0.10}) {
        int whole = 0, wholeWithout = 0, goneOn = 0, most = 0;
        const auto t0 = Clock::now();
        for (int seed = 1; seed <= reads; ++seed) {
            const Outcome o = Read(rate, static_cast<std::uint32_t>(seed));
            whole += o.whole;
            wholeWithout += o.whole && o.goneOn == 0;
            goneOn += o.goneOn;
            most = std::max(most, o.goneOn);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        const double expected = std::pow(1.0 - rate * rate * rate, static_cast<double>(tc::device::kBlocksRead));
        std::printf("%-16s %3d of %-3d (%5.1f %%)       %3d of %-3d (%5.1f %%)       mean %.2f, most %-6d %5.1f %%   (%.2f s a read)\n",
                    (std::to_string(static_cast<int>(std::lround(rate * 100))) + " %").c_str(), wholeWithout, reads,
                    100.0 * wholeWithout / reads, whole, reads, 100.0 * whole / reads, static_cast<double>(goneOn) / reads, most,
                    100.0 * expected, seconds / reads);
    }
    return 0;
}
