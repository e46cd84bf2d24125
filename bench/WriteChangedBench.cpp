// Writing settings that differ from the unit in one value, against a write
// into a unit that differs everywhere, on tripsim paced like a real line:
// only the sections that differ are sent and checked, so the first costs
// little more than the full read that keeps the restore point.
// Reports numbers only; nothing here passes or fails on time.
//   write_changed_bench [RUNS]   (default 3 writes of each kind)
#include "LinkTestSupport.h"

#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <algorithm>
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

// Writes the settings and returns the seconds it took and how many sections it sent.
double WriteSeconds(tc::DeviceLink& link, tc::SettingsModel model, const tc::RestorePoints& store, int& sent)
{
    tc::TransferObserver observer;
    tc::WriteSummary summary;
    const auto t0 = Clock::now();
    if (tc::WriteDeviceSettings(link, model, observer, store, {}, {}, &summary) != tc::TransferResult::Done)
        throw std::runtime_error("the write sent nothing");
    sent = summary.sent;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    tc::test::Tripsim sim({"--line-rate"});
    tc::test::TempRestorePoints points;
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    tc::SettingsModel found;
    tc::TransferObserver observer;
    if (tc::ReadDeviceSettings(link, found, observer) != tc::TransferResult::Done)
        throw std::runtime_error("read cancelled");
    found.DecodeAll();
    // One value: the petrol price. Everywhere: a byte of every record.
    tc::SettingsModel oneValue = found, everywhere = found;
    oneValue.Record(7)[0] ^= 0x01;
    for (int k = 1; k <= tc::kRecordCount; ++k)
        everywhere.Record(k)[1] ^= 0x5A;

    // Each kind there and back again, so that every write finds the unit
    // differing from it as much as the kind says.
    std::vector<double> one, all;
    int sentOne = 0, sentAll = 0;
    for (int i = 0; i < runs; ++i) {
        one.push_back(WriteSeconds(link, oneValue, points.store, sentOne));
        one.push_back(WriteSeconds(link, found, points.store, sentOne));
        all.push_back(WriteSeconds(link, everywhere, points.store, sentAll));
        all.push_back(WriteSeconds(link, found, points.store, sentAll));
    }
    const double a = Median(one), b = Median(all);
    std::printf("write, --line-rate, checked: one value differs %.3f s (%d section sent), everywhere %.3f s (%d sections); ratio %.2f\n",
                a, sentOne, b, sentAll, a / b);
    return 0;
}
