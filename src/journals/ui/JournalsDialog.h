#pragma once
// The journal viewer: trip, refuelling and fault journals and the eight
// summators on four tabs, with clear, reset and save commands, and a fifth
// tab that charts the journals' consumption and cost over time. It changes
// records 1, 7 and 11 of the model in place; the model's journal procedure
// decides whether the changes reach the image.
#include "journals/Journals.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace tc::ui {

// Runs the viewer modally through SettingsModel::ViewJournals: sections 7 and 1 are
// decoded first; OK encodes 7, 1 and 11, Cancel leaves records 1, 7 and 11
// as they were. Returns true for OK.
bool RunJournalViewer(tc::SettingsModel& model, QWidget* parent);
// Only the modal dialog on the records as they are (the callback that
// SettingsModel::ViewJournals runs); true for OK.
bool ExecJournalDialog(tc::SettingsModel& model, QWidget* parent);

// The user's decimal separator and the windows' language, as the journals
// write their numbers and words.
tc::NumberFormat LocaleNumberFormat();

class JournalsDialog : public QDialog {
    Q_OBJECT
public:
    JournalsDialog(tc::SettingsModel& model, const tc::NumberFormat& fmt, QWidget* parent = nullptr);

    // Saves the trip or refuelling table to `path`; throws tc::Error.
    void SaveJournal(tc::JournalKind kind, const QString& path) const;
    // Saves the chart as the chart page shows it, as a PNG picture; throws
    // tc::Error when it cannot be drawn or written.
    void SaveChart(const QString& path) const;
    // The chart the selector shows, and the day its rows' years are counted from.
    tc::JournalChart ShownChart() const;
    const tc::JournalDateTime& Today() const { return today_; }

    QTabWidget* pages = nullptr;
    QWidget* tripPage = nullptr;
    QWidget* refuelPage = nullptr;
    QWidget* summatorsPage = nullptr;
    QWidget* faultsPage = nullptr;
    QWidget* chartsPage = nullptr;
    QTableWidget* tripGrid = nullptr;
    QTableWidget* refuelGrid = nullptr;
    QPushButton* clearTripsButton = nullptr;
    QPushButton* saveTripsButton = nullptr;
    QPushButton* clearRefuelsButton = nullptr;
    QPushButton* saveRefuelsButton = nullptr;
    std::array<QTableWidget*, tc::kSummatorCount> summatorGrids{}; // in the order of tc::kSummators
    std::array<QLabel*, tc::kSummatorCount> summatorLabels{};
    QLabel* resetHint = nullptr;
    QTableWidget* faultGrid = nullptr;
    QTableWidget* freezeFrameGrid = nullptr;
    QPushButton* clearFaultsButton = nullptr;
    QLabel* chartLabel = nullptr;
    QComboBox* chartSelector = nullptr; // items in the order of tc::kJournalCharts
    QPushButton* saveChartButton = nullptr;
    QChartView* chartView = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    QTableWidget* SummatorGrid(tc::Summator s) const { return summatorGrids[static_cast<std::size_t>(s)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillAll();
    void ApplyLanguage();
    void FillTripJournal();
    void FillRefuelJournal();
    void FillFaultJournal();
    void ShowFreezeFrame();
    void FillChart();
    void saveChartAs();
    void FillSummator(tc::Summator s);
    void saveJournalAs(tc::JournalKind kind);
    void clearTrips();
    void clearRefuels();
    void clearFaults();
    void resetSummator(tc::Summator s);

    tc::SettingsModel& model_;
    tc::NumberFormat fmt_;
    int faultCodeType_ = 0;
    tc::JournalDateTime today_;
    bool centred_ = false;
};

} // namespace tc::ui
