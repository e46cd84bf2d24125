// A preview redrawn after a change on the display page: the pick stored
// through the edit session (with its diff of every control) and the screen
// drawn and turned into screen colours, per screen kind. Reports medians;
// nothing here passes or fails on time.
#include "editor/DisplayPickers.h"
#include "editor/EditSession.h"
#include "model/DisplayRecord.h"
#include "model/ReferenceLayout.h"
#include "preview/Screens.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Screen {
    const char* name;
    tc::PreviewScreen screen;
    tc::DisplayLayout layout; // the slot the change picks
};

} // namespace

int main()
{
    const Screen screens[] = {
        {"x1", tc::PreviewScreen::X1, tc::DisplayLayout::X1},      {"x4", tc::PreviewScreen::X4, tc::DisplayLayout::X4},
        {"x9", tc::PreviewScreen::X9, tc::DisplayLayout::X9},      {"x6", tc::PreviewScreen::X6, tc::DisplayLayout::X6},
        {"graphs", tc::PreviewScreen::Graphs, tc::DisplayLayout::Graph}, {"dials", tc::PreviewScreen::Dials, tc::DisplayLayout::Dial},
        {"panel", tc::PreviewScreen::Panel, tc::DisplayLayout::Panel},
    };
    tc::SettingsModel model;
    tc::LoadReferenceImage(model, 0xC000);
    constexpr int kRuns = 200;
    std::printf("preview redraw after a change (median of %d, ms): store+diff, draw, total\n", kRuns);
    tc::EditSettings(model, [&](tc::EditSession& s) {
        const auto& ctx = s.Context();
        for (const Screen& sc : screens) {
            const auto items = tc::PickerItems(sc.layout, 0, ctx.protocol, *ctx.params, ctx.features, ctx.english);
            std::vector<double> store, draw, total;
            for (int i = 0; i < kRuns; ++i) {
                const int code = items.empty() ? 0 : items[static_cast<std::size_t>(i) % items.size()].code;
                const auto t0 = Clock::now();
                s.Apply([&](tc::SettingsModel& m) { tc::SetSlotValue(m.Record(tc::kDisplayRecord), sc.layout, 0, 0, code); });
                const double stored = Ms(t0);
                const auto t1 = Clock::now();
                tc::PreviewCanvas canvas;
                tc::DrawPreviewScreen(canvas, tc::InputsFromModel(s.Model()), sc.screen, 1);
                const auto rgb = canvas.ToRgb();
                const double drawn = Ms(t1);
                if (rgb.empty())
                    return false;
                store.push_back(stored);
                draw.push_back(drawn);
                total.push_back(stored + drawn);
            }
            std::printf("  %-7s %6.3f %6.3f %6.3f\n", sc.name, Median(store), Median(draw), Median(total));
        }
        return false;
    });
    return 0;
}
