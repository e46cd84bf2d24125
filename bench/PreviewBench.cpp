// Previews: a display-page preview redrawn after a change, per screen (the
// pick stored through the edit session with its diff of every control, the
// screen drawn and turned into screen colours), and tripconf-cli preview of
// the dials and the extra panel against tripconf-cli info on the same file,
// each a process of its own, alternately. Reports medians; nothing here
// passes or fails on time.
#include "BenchSupport.h"
#include "common/Bytes.h"
#include "editor/DisplayPickers.h"
#include "editor/EditSession.h"
#include "model/DisplayRecord.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"
#include "preview/Screens.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

struct Screen {
    const char* name;
    tc::PreviewScreen screen;
    tc::DisplayLayout layout; // the slot the change picks
};

// Milliseconds from starting the command to its end, and the processor time
// it took (user and system), which other work on the machine hardly
// changes; -1 when it failed.
struct Times {
    double wall = -1.0, cpu = -1.0;
};

Times RunMs(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    const bool ran = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) == 0 && wait4(pid, &status, 0, &usage) == pid;
    const double ms = Ms(t0);
    posix_spawn_file_actions_destroy(&quiet);
    if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const auto msOf = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return {ms, msOf(usage.ru_utime) + msOf(usage.ru_stime)};
}

} // namespace

int main()
{
    const bool brief = std::getenv("BENCH_SHORT") != nullptr;
    const Screen screens[] = {
        {"x1", tc::PreviewScreen::X1, tc::DisplayLayout::X1},      {"x4", tc::PreviewScreen::X4, tc::DisplayLayout::X4},
        {"x9", tc::PreviewScreen::X9, tc::DisplayLayout::X9},      {"x6", tc::PreviewScreen::X6, tc::DisplayLayout::X6},
        {"graphs", tc::PreviewScreen::Graphs, tc::DisplayLayout::Graph}, {"dials", tc::PreviewScreen::Dials, tc::DisplayLayout::Dial},
        {"panel", tc::PreviewScreen::Panel, tc::DisplayLayout::Panel},
    };
    tc::SettingsModel model;
    tc::LoadReferenceImage(model, 0xC000);
    const int kRuns = brief ? 3 : 200;
    std::printf("preview redraw after a change (median of %d, ms): store+diff, draw, total\n", kRuns);
    bool drew = true;
    tc::EditSettings(model, tc::Language::Russian, [&](tc::EditSession& s) {
        const auto& ctx = s.Context();
        for (const Screen& sc : screens) {
            const auto items = tc::PickerItems(sc.layout, 0, ctx.protocol, *ctx.params, ctx.features, tc::IsEnglish(ctx.language));
            std::vector<double> store, draw, total;
            for (int i = 0; i < kRuns; ++i) {
                const int code = items.empty() ? 0 : items[static_cast<std::size_t>(i) % items.size()].code;
                const auto t0 = Clock::now();
                s.Apply([&](tc::SettingsModel& m) { tc::SetSlotValue(m.Record(tc::kDisplayRecord), sc.layout, 0, 0, code); });
                const double stored = Ms(t0);
                const auto t1 = Clock::now();
                tc::PreviewCanvas canvas;
                tc::DrawPreviewScreen(canvas, tc::InputsFromModel(s.Model(), ctx.language, 1), sc.screen, 1);
                const auto rgb = canvas.ToRgb();
                const double drawn = Ms(t1);
                drew = drew && !rgb.empty();
                store.push_back(stored);
                draw.push_back(drawn);
                total.push_back(stored + drawn);
            }
            std::printf("  %-7s %6.3f %6.3f %6.3f\n", sc.name, Median(store), Median(draw), Median(total));
        }
        return false;
    });

    // The command line on the reference settings with three extra-panel items
    // (in memory where there is /dev/shm, so that the disk's flush of the saved
    // picture does not outweigh the drawing).
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto dir = base / ("tripconf-preview-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "settings.qvetp").string(), png = (dir / "out.png").string();
    {
        tc::SettingsModel sample;
        tc::LoadReferenceImage(sample, 0xC000);
        auto r9 = sample.Record(tc::kDisplayRecord);
        const std::uint8_t items[] = {3, 5, 9, 0};
        std::copy(std::begin(items), std::end(items), r9.begin() + static_cast<std::ptrdiff_t>(tc::kExtraPanelSlots.offset));
        sample.EncodeSection(tc::kDisplayRecord);
        tc::WriteSettingsFile(sample, file, tc::Language::Russian);
    }
    const int processRuns = brief ? 1 : 30;
    std::vector<double> info, dials, panel, infoCpu, dialsCpu, panelCpu;
    bool ran = true;
    for (int i = 0; i < processRuns; ++i) {
        const Times ti = RunMs({TRIPCONF_CLI_PATH, "info", file});
        const Times td = RunMs({TRIPCONF_CLI_PATH, "preview", file, "--screen", "dials", "-o", png});
        const Times tp = RunMs({TRIPCONF_CLI_PATH, "preview", file, "--screen", "panel", "-o", png});
        ran = ran && ti.wall >= 0 && td.wall >= 0 && tp.wall >= 0;
        info.push_back(ti.wall);
        dials.push_back(td.wall);
        panel.push_back(tp.wall);
        infoCpu.push_back(ti.cpu);
        dialsCpu.push_back(td.cpu);
        panelCpu.push_back(tp.cpu);
    }
    std::filesystem::remove_all(dir);
    if (!ran || !drew) {
        std::printf("tripconf-cli failed, or a preview drew nothing\n");
        return 1;
    }
    const double i = Median(info), d = Median(dials), p = Median(panel);
    const double ic = Median(infoCpu), dc = Median(dialsCpu), pc = Median(panelCpu);
    std::printf("tripconf-cli (median of %d processes, ms): info %.1f, preview dials %.1f, preview panel %.1f; "
                "processor time %.1f, %.1f, %.1f\n",
                processRuns, i, d, p, ic, dc, pc);
    std::printf("table: preview %.2f× / %.2f× (processor time %.2f× / %.2f×)\n", d / i, p / i, dc / ic, pc / ic);
    return 0;
}
