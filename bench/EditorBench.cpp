// Opening the settings editor on a loaded settings file: read the file, the
// model's edit procedure (decode, evaluate the device model, snapshot), the
// session's opening and what every control shows. Also a protocol change,
// the heaviest commit. Reports numbers only; nothing here passes or fails on time.
#include "BenchSupport.h"
#include "common/Bytes.h"
#include "editor/EditSession.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

} // namespace

int main()
{
    const auto path = (std::filesystem::temp_directory_path() / "tripconf-editor-bench.qvetp").string();
    {
        tc::SettingsModel model;
        tc::LoadReferenceImage(model, 0xC000); // the model with the longest protocol list
        tc::PutU16(model.Record(10), 4, 11);
        model.EncodeSection(10);
        tc::WriteSettingsFile(model, path, tc::Language::Russian);
    }
    const int kRuns = std::getenv("BENCH_SHORT") != nullptr ? 2 : 50; // short: checks the bench still runs
    std::vector<double> open, commit;
    for (int i = 0; i < kRuns; ++i) {
        tc::SettingsModel model;
        const auto t0 = Clock::now();
        tc::ReadSettingsFile(model, path, tc::Language::Russian);
        model.DecodeAll(tc::Language::Russian);
        tc::EditSettings(model, tc::Language::Russian, [&](tc::EditSession& s) {
            std::size_t shown = 0;
            for (std::size_t f = 0; f < s.Fields().size(); ++f)
                shown += s.Shown(f).text.size();
            open.push_back(Ms(t0));
            const auto t1 = Clock::now();
            s.Commit("sources.protocol", "#3", true);
            commit.push_back(Ms(t1));
            return shown == 0;
        });
    }
    std::filesystem::remove(path);
    std::printf("open the editor on a loaded file (read, edit procedure, session, every control shown): median %.2f ms, best %.2f ms, "
                "worst %.2f ms over %d runs (target < 300 ms)\n",
                Median(open), *std::min_element(open.begin(), open.end()), *std::max_element(open.begin(), open.end()), kRuns);
    std::printf("protocol change with the list of changed controls: median %.2f ms\n", Median(commit));
    return 0;
}
