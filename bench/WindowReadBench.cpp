// A full settings read against tripsim paced like a 115200-baud line, as the
// window runs it (its progress window as the observer, the window's events
// processed meanwhile) and as the command line does (a plain observer),
// alternately so that both see the same load. Reports numbers only; nothing
// here passes or fails on time.
#include "BenchSupport.h"
#include "LinkTestSupport.h"

#include "app/ProgressWindow.h"
#include "link/Transfers.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::Median;

double ReadSeconds(tc::DeviceLink& link, tc::TransferObserver& observer)
{
    tc::SettingsModel model;
    const auto t0 = Clock::now();
    if (tc::ReadDeviceSettings(link, model, observer) != tc::TransferResult::Done)
        throw std::runtime_error("read cancelled");
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool brief = std::getenv("BENCH_SHORT") != nullptr; // one unpaced pair: the bench still runs
    const int runs = brief ? 1 : 5;
    tc::test::Tripsim sim(brief ? std::vector<std::string>{} : std::vector<std::string>{"--line-rate"});
    tc::DeviceLink link;
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    std::vector<double> cli, window;
    for (int i = 0; i < runs; ++i) {
        tc::TransferObserver plain;
        cli.push_back(ReadSeconds(link, plain));
        tc::ui::ProgressWindow progress(nullptr);
        progress.show();
        window.push_back(ReadSeconds(link, progress));
    }
    const double c = Median(cli), w = Median(window);
    std::printf("full read%s: window %.3f s, command line %.3f s (median of %d each)\n", brief ? ", unpaced" : ", --line-rate", w, c, runs);
    std::printf("table: window-read %.3f×\n", w / c);
    return 0;
}
