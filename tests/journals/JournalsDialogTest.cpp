// The journal viewer on the offscreen platform: what the grids show, the
// clear and reset commands, OK against Cancel, saving, and the charts.
#include "journals/ui/JournalsDialog.h"

#include "ChartSample.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "ui/ScriptedUser.h"
#include "ui/WindowTest.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tc;
using tc::ui::JournalsDialog;

namespace {

constexpr std::size_t kDay = 2;

// A model whose image carries one trip record, one refuelling record, a
// filled summator and one fault with a freeze frame (RPM only).
void LoadSample(SettingsModel& model)
{
    LoadReferenceImage(model, 0xC000);
    auto r7 = model.Record(7);
    PutU16(r7, kPetrolPriceOffset, 450);
    PutU16(r7, kKmPriceOffset, 0); // the default is 3.0 per km
    for (std::size_t base : {kTripJournalOffset, kRefuelJournalOffset}) {
        PutU16(r7, base + 0, 8 * 60 + 5);
        PutU8(r7, base + kDay, 7);
        PutU8(r7, base + 3, 3);
        PutU32(r7, base + 4, 600);
        PutU32(r7, base + 8, 10000);
        PutU32(r7, base + 12, 900);
    }
    auto r1 = model.Record(1);
    for (std::size_t off = 0; off < 120; off += 4)
        PutU32(r1, off, 1000);
    PutU32(r1, kKilometresOffset, 777);
    auto r11 = model.Record(11);
    PutU8(r11, kPidBitmapOffset + 1, 0x10); // PID 12
    const std::size_t f = kFaultRecordsOffset;
    PutU16(r11, f, 65);
    PutU8(r11, f + 2, 4);
    PutU8(r11, f + 3, 5);
    PutU32(r11, f + 4, 0x0301);
    PutU32(r11, f + 8, 0x0301);
    PutU16(r11, f + 32, 2500);
    for (int k : {1, 7, 11})
        model.EncodeSection(k);
}

// Runs the viewer through the model's journal procedure; `act` works on the
// open dialog and closes it.
bool RunWith(SettingsModel& model, std::function<void(JournalsDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<JournalsDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        act(*dlg);
    });
    return tc::ui::RunJournalViewer(model, nullptr);
}

std::uint8_t ImageTripDay(const SettingsModel& model)
{
    SettingsModel fresh;
    fresh.Image = model.Image;
    fresh.DecodeSection(7);
    return fresh.Record(7)[kTripJournalOffset + kDay];
}

std::vector<std::uint8_t> AllRecords(const SettingsModel& model)
{
    std::vector<std::uint8_t> bytes;
    for (int k = 1; k <= kRecordCount; ++k)
        bytes.insert(bytes.end(), model.Record(k).begin(), model.Record(k).end());
    return bytes;
}

} // namespace

class JournalsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void gridsShowTheJournals()
    {
        SettingsModel model;
        LoadSample(model);
        JournalsDialog dlg(model, NumberFormat{","});
        QCOMPARE(dlg.pages->currentIndex(), 0);
        QCOMPARE(dlg.pages->count(), 5);
        QCOMPARE(dlg.windowTitle(), QString("Просмотр журналов"));
        QCOMPARE(dlg.tripGrid->rowCount(), 22);
        QCOMPARE(dlg.tripGrid->columnCount(), 9);
        QCOMPARE(dlg.tripGrid->item(0, 1)->text(), QString("Дата и время записи"));
        QCOMPARE(dlg.tripGrid->item(1, 0)->text(), QString("Посл."));
        QCOMPARE(dlg.tripGrid->item(1, 3)->text(), QString("10,000"));
        QCOMPARE(dlg.tripGrid->item(1, 8)->text(), QString("40,5"));
        QCOMPARE(dlg.refuelGrid->item(2, 1)->text(), QString("Пусто"));
        // Journal cells are right-aligned; headers and row numbers are not.
        QVERIFY(dlg.tripGrid->item(1, 3)->textAlignment() & Qt::AlignRight);
        QVERIFY(!(dlg.tripGrid->item(0, 3)->textAlignment() & Qt::AlignRight));
        QVERIFY(!(dlg.tripGrid->item(5, 0)->textAlignment() & Qt::AlignRight));
        QCOMPARE(dlg.tripGrid->columnWidth(5), 156);
        // No heading is cut, in either language.
        for (const Language language : {Language::Russian, Language::English}) {
            const tc::ui::WindowLanguageScope scope(language);
            JournalsDialog shown(model, NumberFormat{",", language});
            for (QTableWidget* g : shown.findChildren<QTableWidget*>())
                for (int c = 0; c < g->columnCount(); ++c)
                    if (const auto* heading = g->item(0, c); heading && heading->background() == g->palette().button())
                        QVERIFY2(g->fontMetrics().horizontalAdvance(heading->text()) <= g->columnWidth(c),
                                 qPrintable(g->objectName() + QStringLiteral(": ") + heading->text()));
        }

        auto* all = dlg.SummatorGrid(Summator::All);
        QCOMPARE(all->rowCount(), 6);
        QCOMPARE(all->item(1, 1)->text(), QString("778,000"));

        QCOMPARE(dlg.faultGrid->rowCount(), 8);
        QCOMPARE(dlg.faultGrid->item(1, 1)->text(), QString("1:05 4.05"));
        QCOMPARE(dlg.faultGrid->item(1, 2)->text(),
                 QString::fromStdString(FormatFaultCode(CurrentFaultCodeType(model, Language::Russian), 0x0301, FaultCodeOptionsOf(model))));
        QCOMPARE(dlg.freezeFrameGrid->rowCount(), 2);
        QCOMPARE(dlg.freezeFrameGrid->item(1, 0)->text(), QString("Обороты/мин"));
        QCOMPARE(dlg.freezeFrameGrid->item(1, 1)->text(), QString("2500"));

        // Selecting an empty fault empties the freeze frame; row 0 changes nothing.
        dlg.faultGrid->setCurrentCell(3, 1);
        QVERIFY(dlg.freezeFrameGrid->item(1, 0) == nullptr || dlg.freezeFrameGrid->item(1, 0)->text().isEmpty());
        dlg.faultGrid->setCurrentCell(1, 1);
        QCOMPARE(dlg.freezeFrameGrid->item(0, 1)->text(), QString("P0301"));
        dlg.faultGrid->setCurrentCell(0, 1);
        QCOMPARE(dlg.freezeFrameGrid->item(0, 1)->text(), QString("P0301"));
    }

    void englishCaptions()
    {
        const tc::ui::WindowLanguageScope english(Language::English);
        SettingsModel model;
        LoadSample(model);
        JournalsDialog dlg(model, NumberFormat{".", Language::English});
        QCOMPARE(dlg.windowTitle(), QString("Viewing logs"));
        QCOMPARE(dlg.pages->tabText(0), QString("Trip log"));
        QCOMPARE(dlg.pages->tabText(1), QString("Petrol log"));
        QCOMPARE(dlg.pages->tabText(2), QString("Average"));
        QCOMPARE(dlg.pages->tabText(3), QString("Faults log"));
        QCOMPARE(dlg.pages->tabText(4), QString("Charts"));
        QCOMPARE(dlg.saveChartButton->text(), QString("Save as PNG…"));
        QCOMPARE(dlg.chartSelector->itemText(2), QString("Trip cost"));
        QCOMPARE(dlg.saveTripsButton->text(), QString("Save to file"));
        QCOMPARE(dlg.clearFaultsButton->text(), QString("Clear"));
        QCOMPARE(dlg.summatorLabels[2]->text(), QString("Reset 1"));
        QCOMPARE(dlg.resetHint->text(), QString("To reset the adders, double-click on the corresponding table"));
        QCOMPARE(dlg.tripGrid->item(1, 0)->text(), QString("Last"));
        QCOMPARE(dlg.faultGrid->item(0, 2)->text(), QString("Trouble code"));
    }

    void clearsAndResets()
    {
        SettingsModel model;
        LoadSample(model);
        JournalsDialog dlg(model, NumberFormat{});
        QTest::mouseClick(dlg.clearRefuelsButton, Qt::LeftButton);
        QCOMPARE(dlg.refuelGrid->item(1, 1)->text(), QString("Пусто"));
        QCOMPARE(dlg.tripGrid->item(1, 3)->text(), QString("10.000"));
        QCOMPARE(model.Record(7)[kRefuelJournalOffset + kDay], 0);

        QTest::mouseClick(dlg.clearFaultsButton, Qt::LeftButton);
        QCOMPARE(dlg.faultGrid->item(1, 2)->text(), QString());
        QCOMPARE(GetU32(model.Record(11), kFaultRecordsOffset + 4), 0u);

        // Double-click on the cumulative grid: kilometres stay, averages go.
        auto* all = dlg.SummatorGrid(Summator::All);
        QTest::mouseDClick(all->viewport(), Qt::LeftButton, {}, QPoint(20, 120));
        QCOMPARE(all->item(1, 1)->text(), QString("777.000"));
        QCOMPARE(all->item(3, 1)->text(), QString("-----"));
        QCOMPARE(GetU32(model.Record(1), kKilometresOffset), 777u);
        QCOMPARE(GetU32(model.Record(1), 16), 1000u); // the trip summator is untouched
        auto* gas = dlg.SummatorGrid(Summator::GasOnly);
        QTest::mouseDClick(gas->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(GetU32(model.Record(1), 108), 0u);
        QCOMPARE(GetU32(model.Record(1), 104), 1000u);
    }

    void okKeepsTheClearedJournalInTheImage()
    {
        SettingsModel model;
        LoadSample(model);
        QCOMPARE(ImageTripDay(model), 7);
        const bool ok = RunWith(model, [](JournalsDialog& dlg) {
            QTest::mouseClick(dlg.clearTripsButton, Qt::LeftButton);
            QTest::mouseClick(dlg.okButton, Qt::LeftButton);
        });
        QVERIFY(ok);
        QCOMPARE(ImageTripDay(model), 0);
    }

    void cancelAndEscapeLeaveTheImage()
    {
        SettingsModel model;
        LoadSample(model);
        bool ok = RunWith(model, [](JournalsDialog& dlg) {
            QTest::mouseClick(dlg.clearTripsButton, Qt::LeftButton);
            QTest::mouseClick(dlg.cancelButton, Qt::LeftButton);
        });
        QVERIFY(!ok);
        QCOMPARE(ImageTripDay(model), 7);
        ok = RunWith(model, [](JournalsDialog& dlg) {
            QTest::mouseClick(dlg.clearFaultsButton, Qt::LeftButton);
            dlg.reject();
        });
        QVERIFY(!ok);
        QCOMPARE(GetU32(model.Record(11), kFaultRecordsOffset + 4), 0x0301u);
        ok = RunWith(model, [](JournalsDialog& dlg) {
            QTest::mouseClick(dlg.clearTripsButton, Qt::LeftButton);
            dlg.tripGrid->setFocus();
            QTest::keyClick(dlg.tripGrid, Qt::Key_Escape);
        });
        QVERIFY(!ok);
        QCOMPARE(ImageTripDay(model), 7);
        // Cancelled clears and resets leave the records as they were, so a
        // later write, which encodes every record, carries the old journals.
        const auto before = AllRecords(model);
        ok = RunWith(model, [](JournalsDialog& dlg) {
            QTest::mouseClick(dlg.clearTripsButton, Qt::LeftButton);
            QTest::mouseClick(dlg.clearRefuelsButton, Qt::LeftButton);
            QTest::mouseClick(dlg.clearFaultsButton, Qt::LeftButton);
            QTest::mouseDClick(dlg.SummatorGrid(Summator::Trip)->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
            dlg.reject();
        });
        QVERIFY(!ok);
        QVERIFY(AllRecords(model) == before);
        for (int k = 1; k <= kRecordCount; ++k)
            model.EncodeSection(k);
        QCOMPARE(ImageTripDay(model), 7);
        // The next opening decodes the trip journal afresh from the image.
        RunWith(model, [](JournalsDialog& dlg) {
            QCOMPARE(dlg.tripGrid->item(1, 3)->text(), QString("10.000"));
            dlg.reject();
        });
    }

    void saveButtonsWriteTheExport()
    {
        SettingsModel model;
        LoadSample(model);
        JournalsDialog dlg(model, NumberFormat{","});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString target = dir.filePath("trip.txt");
        tc::ui::ScriptedUser user;
        user.files = {target};
        QTest::mouseClick(dlg.saveTripsButton, Qt::LeftButton);
        QCOMPARE(user.fileQuestions.size(), std::size_t{1});
        QVERIFY(user.fileQuestions[0].save);
        QVERIFY(user.fileQuestions[0].folder != QCoreApplication::applicationDirPath()); // never the program's folder
        QCOMPARE(user.fileQuestions[0].defaultSuffix, QString("txt"));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, QByteArray::fromStdString(JournalExportText(FillTripJournal(model, NumberFormat{","}))));
        QVERIFY(bytes.contains(QString("Посл.\t08:05   7.03\t0:10\t10,000\t").toUtf8()));
        QVERIFY(user.errors.isEmpty());

        // Cancelled dialog: nothing written. Unwritable place: an error, no crash.
        QTest::mouseClick(dlg.saveRefuelsButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(dir.filePath("tank.txt")));
        user.files = {dir.filePath("missing/tank.txt")};
        QTest::mouseClick(dlg.saveRefuelsButton, Qt::LeftButton);
        QCOMPARE(user.errors.size(), 1);
    }

    // Each chart the selector offers draws the core's points, and each point
    // is the number of its row's cell in the grid the dialog shows.
    void chartsDrawTheGridsNumbers()
    {
        SettingsModel model;
        test::LoadChartSample(model);
        JournalsDialog dlg(model, NumberFormat{","});
        QCOMPARE(dlg.pages->tabText(4), QString("Графики"));
        QCOMPARE(dlg.saveChartButton->text(), QString("Сохранить как PNG…"));
        QCOMPARE(dlg.chartSelector->count(), kJournalChartCount);
        int drawn = 0;
        for (int i = 0; i < kJournalChartCount; ++i) {
            dlg.chartSelector->setCurrentIndex(i);
            const JournalChart chart = kJournalCharts[static_cast<std::size_t>(i)];
            QCOMPARE(dlg.ShownChart(), chart);
            QCOMPARE(dlg.chartSelector->currentText(), QString::fromStdString(JournalChartCaption(chart, Language::Russian)));
            const auto series = dlg.chartView->chart()->series();
            QCOMPARE(series.size(), 1);
            const QList<QPointF> drawnPoints = qobject_cast<QLineSeries*>(series[0])->points();
            const auto points = JournalChartPoints(model, chart, dlg.Today());
            QCOMPARE(drawnPoints.size(), static_cast<qsizetype>(points.size()));
            const auto source = SourceOf(chart);
            QTableWidget* grid = source.journal == JournalKind::Trip ? dlg.tripGrid : dlg.refuelGrid;
            for (std::size_t k = 0; k < points.size(); ++k) {
                const auto& p = points[k];
                const QPointF shown = drawnPoints[static_cast<qsizetype>(k)];
                QCOMPARE(shown.y(), p.value);
                const QDateTime at = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(shown.x()));
                QCOMPARE(at.date(), QDate(p.when.year, p.when.month, p.when.day));
                QCOMPARE(at.time(), QTime(p.when.hour, p.when.minute));
                QString cell = grid->item(p.record + 1, source.column)->text();
                QCOMPARE(test::CellNumber(cell.replace(',', '.').toStdString()), std::optional<double>(shown.y()));
                ++drawn;
            }
        }
        QCOMPARE(drawn, 7 + 5 + 8);

        // Clearing a journal empties its charts.
        dlg.chartSelector->setCurrentIndex(0);
        QTest::mouseClick(dlg.clearTripsButton, Qt::LeftButton);
        QCOMPARE(qobject_cast<QLineSeries*>(dlg.chartView->chart()->series().at(0))->count(), 0);
        QVERIFY(dlg.chartView->chart()->title().endsWith("нет записей"));
    }

    void chartSavesAsPng()
    {
        SettingsModel model;
        test::LoadChartSample(model);
        JournalsDialog dlg(model, NumberFormat{});
        dlg.show();
        dlg.pages->setCurrentWidget(dlg.chartsPage);
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        tc::ui::ScriptedUser user;
        const QString target = dir.filePath("chart.png");
        user.files = {target};
        QTest::mouseClick(dlg.saveChartButton, Qt::LeftButton);
        QCOMPARE(user.fileQuestions.size(), std::size_t{1});
        QVERIFY(user.fileQuestions[0].save);
        QCOMPARE(user.fileQuestions[0].defaultSuffix, QString("png"));
        QVERIFY(user.errors.isEmpty());
        const QImage picture(target, "PNG");
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), dlg.chartView->size() * dlg.chartView->devicePixelRatioF());

        // A place that cannot be written: an error, and nothing claims success.
        user.files = {dir.filePath("missing/chart.png")};
        QTest::mouseClick(dlg.saveChartButton, Qt::LeftButton);
        QCOMPARE(user.errors.size(), 1);
        QVERIFY(!QFile::exists(dir.filePath("missing/chart.png")));
        bool refused = false;
        try {
            dlg.SaveChart(dir.filePath("missing/other.png"));
        } catch (const tc::Error&) {
            refused = true;
        }
        QVERIFY(refused);

        // The documentation's picture of the chart page, when asked for:
        // TRIPCONF_CHART_SCREENSHOT=docs/journals-chart.png journals_ui_tests chartSavesAsPng
        const QString screenshot = qEnvironmentVariable("TRIPCONF_CHART_SCREENSHOT");
        if (!screenshot.isEmpty())
            QVERIFY(dlg.grab().save(screenshot, "PNG"));
    }
};

QTEST_MAIN(JournalsDialogTest)
#include "JournalsDialogTest.moc"
