// The settings editor, offscreen: a click on a page tab until the page is
// painted, after an edit elsewhere (every commit refreshes the structured
// pages). Every tab is visited once first, so building and laying out the
// pages is not counted. Reports medians; nothing passes or fails on time.
#include "BenchSupport.h"
#include "editor/ui/SettingsEditor.h"

#include "common/Bytes.h"
#include "editor/DisplayPickers.h"
#include "model/DisplayRecord.h"
#include "model/ReferenceLayout.h"

#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using bench::Clock;
using bench::Median;

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = std::getenv("BENCH_SHORT") != nullptr ? 2 : 15;
    tc::SettingsModel model;
    tc::LoadReferenceImage(model, 0xC000);
    tc::PutU16(model.Record(10), 4, 11);
    model.EncodeSection(10);
    std::vector<std::vector<double>> perTab;
    std::vector<double> redrawn;
    QStringList names;
    tc::EditSettings(model, tc::Language::Russian, [&](tc::EditSession& session) {
        tc::ui::SettingsEditor dialog(session);
        dialog.resize(tc::ui::SettingsEditor::LargestSize());
        dialog.show();
        Settle();
        QTabBar* bar = dialog.pages->tabBar();
        const int count = dialog.pages->count();
        perTab.resize(static_cast<std::size_t>(count));
        std::vector<double> first;
        for (int i = 0; i < count; ++i) {
            names << dialog.pages->tabText(i);
            const auto t0 = Clock::now();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
            Settle();
            first.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
        std::printf("editor: first click on each page tab -> painted (ms, built and laid out once):");
        for (double f : first)
            std::printf(" %.1f", f);
        std::printf("\n");
        for (int r = 0; r < rounds; ++r)
            for (int i = 0; i < count; ++i) {
                dialog.pages->setCurrentIndex((i + 1) % count);
                Settle();
                dialog.Changed({}, nullptr); // what a commit on another page does to the structured pages
                const auto t0 = Clock::now();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
                Settle();
                perTab[static_cast<std::size_t>(i)].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            }
        // The display tab after a change of what its pictures show: every
        // visible picture is drawn again (what every commit cost before the
        // pictures were kept).
        int display = -1;
        for (int i = 0; i < count; ++i)
            if (dialog.pages->widget(i)->objectName() == QStringLiteral("display.tab"))
                display = i;
        if (display >= 0) {
            for (int r = 0; r < rounds; ++r) {
                dialog.pages->setCurrentIndex((display + 1) % count);
                Settle();
                const auto changed = session.Apply([&](tc::SettingsModel& m) {
                    auto r9 = m.Record(tc::kDisplayRecord);
                    const int code = tc::SlotValue(r9, tc::DisplayLayout::X4, 0, 0) == 13 ? 12 : 13;
                    tc::SetSlotValue(r9, tc::DisplayLayout::X4, 0, 0, code);
                });
                dialog.Changed(changed, nullptr);
                const auto t0 = Clock::now();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(display).center());
                Settle();
                redrawn.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            }
        }
        return false;
    });
    double worst = 0.0;
    int worstTab = 0;
    std::printf("editor: click on a page tab after an edit elsewhere -> painted (median of %d, ms)\n", rounds);
    for (std::size_t i = 0; i < perTab.size(); ++i) {
        const double m = Median(perTab[i]);
        std::printf("  %-28s %7.2f\n", names[static_cast<int>(i)].toUtf8().constData(), m);
        if (m > worst) {
            worst = m;
            worstTab = static_cast<int>(i);
        }
    }
    std::printf("page switch worst: %.2f ms (%s)\n", worst, names.value(worstTab).toUtf8().constData());
    std::printf("page switch to the display tab with its pictures drawn again: %.2f ms\n", Median(redrawn));
    std::printf("table: page-switch %.1f ms (slowest tab; %.1f ms when the display tab's pictures changed)\n", worst, Median(redrawn));
    return 0;
}
