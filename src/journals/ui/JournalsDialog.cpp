#include "journals/ui/JournalsDialog.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "ui/Folders.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QApplication>
#include <QBuffer>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QGridLayout>
#include <QScrollBar>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <vector>

namespace tc::ui {

namespace {

constexpr int kJournalRowHeight = 18;
constexpr int kFaultRowHeight = 19;
constexpr int kSummatorRowHeight = 18;
constexpr int kInitialFreezeRows = 41;

// A grid of the given column widths; it takes the room its layout gives and
// scrolls when that is less than its rows and columns need.
QTableWidget* MakeGrid(QWidget* parent, const char* name, const QList<int>& widths, int rows, int rowHeight)
{
    auto* g = new QTableWidget(rows, static_cast<int>(widths.size()), parent);
    g->setObjectName(name);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setMinimumSectionSize(1);
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    g->horizontalHeader()->setMinimumSectionSize(1);
    for (int c = 0; c < widths.size(); ++c)
        g->setColumnWidth(c, widths[c]);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return g;
}

// Sets every cell from the table; fixed rows and columns look like headers,
// and journal cells are right-aligned.
void SetCells(QTableWidget* g, const tc::TextTable& t, int fixedRows, int fixedCols, bool alignRight)
{
    g->setRowCount(static_cast<int>(t.size()));
    for (int r = 0; r < static_cast<int>(t.size()); ++r) {
        const auto& row = t[static_cast<std::size_t>(r)];
        for (int c = 0; c < g->columnCount() && c < static_cast<int>(row.size()); ++c) {
            auto* item = new QTableWidgetItem(ToQ(row[static_cast<std::size_t>(c)]));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            const bool fixed = r < fixedRows || c < fixedCols;
            if (fixed) {
                item->setBackground(g->palette().button());
                item->setFlags(Qt::ItemIsEnabled);
            } else if (alignRight) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignTop);
            }
            g->setItem(r, c, item);
        }
    }
    // A column whose heading would be cut grows to show it (in either
    // language); the grid then scrolls sideways rather than cut a column off.
    const QFontMetrics fm(g->font());
    for (int c = 0; c < g->columnCount(); ++c) {
        int needed = 0;
        for (int r = 0; r < fixedRows && r < g->rowCount(); ++r)
            if (const auto* item = g->item(r, c))
                needed = std::max(needed, fm.horizontalAdvance(item->text()) + 2 * g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 6);
        if (needed > g->columnWidth(c))
            g->setColumnWidth(c, needed);
    }
}

// A grid as wide as its columns, and at least as tall as `rows` rows when the room allows.
void FitGrid(QTableWidget* g, int rows)
{
    int width = 2 * g->frameWidth() + g->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < g->columnCount(); ++c)
        width += g->columnWidth(c);
    g->setMinimumWidth(std::min(width, 240));
    g->setMinimumHeight(std::min(rows, 4) * g->verticalHeader()->defaultSectionSize() + 2 * g->frameWidth());
}

tc::JournalDateTime CurrentDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute()};
}

// A chart point's time on the date axis (local time, as the unit's clock).
qint64 AxisTime(const tc::JournalDateTime& t)
{
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute)).toMSecsSinceEpoch();
}

} // namespace

tc::NumberFormat LocaleNumberFormat()
{
    tc::NumberFormat fmt;
    const QString sep = QLocale().decimalPoint();
    if (!sep.isEmpty())
        fmt.decimalSeparator = sep.toStdString();
    fmt.language = WindowLanguage();
    return fmt;
}

bool ExecJournalDialog(tc::SettingsModel& model, QWidget* parent)
{
    // Runs inside the model's journal procedure, which puts records 1, 7 and
    // 11 back when the dialog is cancelled.
    JournalsDialog dlg(model, LocaleNumberFormat(), parent);
    return dlg.exec() == QDialog::Accepted;
}

bool RunJournalViewer(tc::SettingsModel& model, QWidget* parent)
{
    return model.ViewJournals([parent](tc::SettingsModel& m) { return ExecJournalDialog(m, parent); });
}

JournalsDialog::JournalsDialog(tc::SettingsModel& model, const tc::NumberFormat& fmt, QWidget* parent)
    : QDialog(parent), model_(model), fmt_(fmt), today_(CurrentDateTime())
{
    setObjectName("JournalsDialog");
    setWindowTitle("Просмотр журналов");
    setSizeGripEnabled(true);

    pages = new QTabWidget(this);
    pages->setObjectName("pages");
    tripPage = new QWidget;
    refuelPage = new QWidget;
    summatorsPage = new QWidget;
    faultsPage = new QWidget;
    tripPage->setObjectName("tripPage");
    refuelPage->setObjectName("refuelPage");
    summatorsPage->setObjectName("summatorsPage");
    faultsPage->setObjectName("faultsPage");
    chartsPage = new QWidget;
    chartsPage->setObjectName("chartsPage");
    pages->addTab(tripPage, "Журнал поездок");
    pages->addTab(refuelPage, "Журнал заправок");
    pages->addTab(summatorsPage, "Средние");
    pages->addTab(faultsPage, "Журнал ошибок");
    pages->addTab(chartsPage, "Графики");

    const QList<int> journalWidths = {50, 140, 96, 84, 131, 156, 145, 113, 78};
    tripGrid = MakeGrid(tripPage, "tripGrid", journalWidths, tc::kJournalRows, kJournalRowHeight);
    refuelGrid = MakeGrid(refuelPage, "refuelGrid", journalWidths, tc::kJournalRows, kJournalRowHeight);

    auto makeButton = [](QWidget* page, const char* name, const QString& text) {
        auto* b = new QPushButton(text, page);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(160);
        return b;
    };
    clearTripsButton = makeButton(tripPage, "clearTripsButton", "Очистить");
    saveTripsButton = makeButton(tripPage, "saveTripsButton", "Сохранить в файл");
    clearRefuelsButton = makeButton(refuelPage, "clearRefuelsButton", "Очистить");
    saveRefuelsButton = makeButton(refuelPage, "saveRefuelsButton", "Сохранить в файл");
    // A journal page: its grid over its buttons, at the right.
    const auto journalPage = [](QWidget* page, QTableWidget* grid, QPushButton* clear, QPushButton* save) {
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(grid, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(clear);
        buttons->addWidget(save);
        layout->addLayout(buttons);
    };
    journalPage(tripPage, tripGrid, clearTripsButton, saveTripsButton);
    journalPage(refuelPage, refuelGrid, clearRefuelsButton, saveRefuelsButton);

    static constexpr const char* kSummatorNames[tc::kSummatorCount] = {"allSummatorGrid",    "tripSummatorGrid",   "reset1SummatorGrid",  "stopSummatorGrid",
                                                                       "noStopSummatorGrid", "refuelSummatorGrid", "oilOnlySummatorGrid", "gasOnlySummatorGrid"};
    // Three columns of three places, top to bottom: the last place holds the reset hint.
    auto* summatorLayout = new QGridLayout(summatorsPage);
    for (std::size_t i = 0; i < tc::kSummatorCount; ++i) {
        auto* g = MakeGrid(summatorsPage, kSummatorNames[i], {147, 116}, tc::kSummatorRows, kSummatorRowHeight);
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        g->viewport()->installEventFilter(this);
        summatorGrids[i] = g;
        auto* label = new QLabel(summatorsPage);
        label->setWordWrap(true);
        summatorLabels[i] = label;
        const int column = static_cast<int>(i / 3), row = static_cast<int>(i % 3);
        summatorLayout->addWidget(label, 2 * row, column);
        summatorLayout->addWidget(g, 2 * row + 1, column);
        summatorLayout->setRowStretch(2 * row + 1, 1);
    }
    resetHint = new QLabel(summatorsPage);
    resetHint->setObjectName("resetHint");
    resetHint->setAlignment(Qt::AlignCenter);
    resetHint->setWordWrap(true);
    summatorLayout->addWidget(resetHint, 4, 2, 2, 1);

    faultGrid = MakeGrid(faultsPage, "faultGrid", {50, 140, 231}, tc::kFaultRows, kFaultRowHeight);
    freezeFrameGrid = MakeGrid(faultsPage, "freezeFrameGrid", {380, 144}, kInitialFreezeRows, kFaultRowHeight);
    freezeFrameGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    clearFaultsButton = makeButton(faultsPage, "clearFaultsButton", "Очистить");
    auto* faultLayout = new QGridLayout(faultsPage);
    faultLayout->addWidget(faultGrid, 0, 0);
    faultLayout->addWidget(freezeFrameGrid, 0, 1, 2, 1);
    faultLayout->addWidget(clearFaultsButton, 1, 0, Qt::AlignRight);
    faultLayout->setColumnStretch(0, 449);
    faultLayout->setColumnStretch(1, 552);
    faultLayout->setRowStretch(0, 1);

    // The chart page: which chart, its picture, and its save button.
    chartLabel = new QLabel(chartsPage);
    chartSelector = new QComboBox(chartsPage);
    chartSelector->setObjectName("chartSelector");
    for (int i = 0; i < tc::kJournalChartCount; ++i)
        chartSelector->addItem(QString());
    chartLabel->setBuddy(chartSelector);
    saveChartButton = new QPushButton(chartsPage);
    saveChartButton->setObjectName("saveChartButton");
    saveChartButton->setAutoDefault(false);
    chartView = new QChartView(new QChart, chartsPage);
    chartView->setObjectName("chartView");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->chart()->legend()->hide();
    auto* chartBar = new QHBoxLayout;
    chartBar->addWidget(chartLabel);
    chartBar->addWidget(chartSelector);
    chartBar->addStretch(1);
    chartBar->addWidget(saveChartButton);
    auto* chartLayout = new QVBoxLayout(chartsPage);
    chartLayout->addLayout(chartBar);
    chartLayout->addWidget(chartView, 1);

    okButton = new QPushButton("OK", this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);
    cancelButton = new QPushButton("Отмена", this);
    cancelButton->setObjectName("cancelButton");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    for (QTableWidget* g : {tripGrid, refuelGrid, faultGrid, freezeFrameGrid})
        FitGrid(g, 8);
    for (QTableWidget* g : summatorGrids)
        FitGrid(g, 3);
    // The value column takes the room left: a narrow window scrolls no totals sideways.
    for (QTableWidget* g : {faultGrid, freezeFrameGrid})
        g->horizontalHeader()->setStretchLastSection(true);
    for (QTableWidget* g : summatorGrids) {
        g->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        g->horizontalHeader()->setStretchLastSection(true);
        g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    // The size the journals were drawn for, within the screen.
    QSize size(1016, 523);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
    resize(size.expandedTo(minimumSizeHint()));

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(saveTripsButton, &QPushButton::clicked, this, [this] { saveJournalAs(tc::JournalKind::Trip); });
    connect(saveRefuelsButton, &QPushButton::clicked, this, [this] { saveJournalAs(tc::JournalKind::Refuel); });
    connect(clearTripsButton, &QPushButton::clicked, this, &JournalsDialog::clearTrips);
    connect(clearRefuelsButton, &QPushButton::clicked, this, &JournalsDialog::clearRefuels);
    connect(clearFaultsButton, &QPushButton::clicked, this, &JournalsDialog::clearFaults);
    connect(chartSelector, &QComboBox::currentIndexChanged, this, [this] { FillChart(); });
    connect(saveChartButton, &QPushButton::clicked, this, &JournalsDialog::saveChartAs);
    connect(faultGrid, &QTableWidget::cellClicked, this, [this] { ShowFreezeFrame(); });
    connect(faultGrid, &QTableWidget::currentCellChanged, this, [this] { ShowFreezeFrame(); });

    FillAll();
}

void JournalsDialog::FillAll()
{
    pages->setCurrentIndex(0);
    ApplyLanguage();
    faultCodeType_ = tc::CurrentFaultCodeType(model_, fmt_.language);
    FillTripJournal();
    FillRefuelJournal();
    FillFaultJournal();
    for (auto s : tc::kSummators)
        FillSummator(s);
    FillChart();
}

void JournalsDialog::ApplyLanguage()
{
    setWindowTitle(QTr("Просмотр журналов", "Viewing logs"));
    pages->setTabText(0, QTr("Журнал поездок", "Trip log"));
    pages->setTabText(1, QTr("Журнал заправок", "Petrol log"));
    pages->setTabText(2, QTr("Средние", "Average"));
    pages->setTabText(3, QTr("Журнал ошибок", "Faults log"));
    pages->setTabText(4, QTr("Графики", "Charts"));
    chartLabel->setText(QTr("&График:", "&Chart:"));
    for (int i = 0; i < tc::kJournalChartCount; ++i)
        chartSelector->setItemText(i, ToQ(tc::JournalChartCaption(tc::kJournalCharts[static_cast<std::size_t>(i)], fmt_.language)));
    saveChartButton->setText(QTr("Сохранить как PNG…", "Save as PNG…"));
    for (auto* b : {saveTripsButton, saveRefuelsButton})
        b->setText(QTr("Сохранить в файл", "Save to file"));
    for (auto* b : {clearTripsButton, clearRefuelsButton, clearFaultsButton})
        b->setText(QTr("Очистить", "Clear"));
    cancelButton->setText(QTr("Отмена", "Cancel"));
    for (auto s : tc::kSummators)
        summatorLabels[static_cast<std::size_t>(s)]->setText(ToQ(tc::SummatorCaption(s, fmt_.language)));
    resetHint->setText(QTr("Для сброса накопителей сделайте двойной щелчок мыши на соответствующей таблице",
                      "To reset the adders, double-click on the corresponding table"));
}

void JournalsDialog::FillTripJournal()
{
    SetCells(tripGrid, tc::FillTripJournal(model_, fmt_), 1, 1, true);
}

void JournalsDialog::FillRefuelJournal()
{
    SetCells(refuelGrid, tc::FillRefuelJournal(model_, fmt_), 1, 1, true);
}

void JournalsDialog::FillFaultJournal()
{
    {
        const QSignalBlocker block(faultGrid);
        SetCells(faultGrid, tc::FillFaultJournal(model_, faultCodeType_, fmt_.language), 1, 1, false);
        faultGrid->setCurrentCell(1, 1);
    }
    ShowFreezeFrame();
}

void JournalsDialog::ShowFreezeFrame()
{
    const auto frame = tc::ShowFreezeFrame(model_, faultGrid->currentRow(), fmt_);
    if (!frame)
        return;
    freezeFrameGrid->clearContents();
    if (frame->empty())
        return; // no freeze frame: the grid stays empty
    SetCells(freezeFrameGrid, *frame, 0, 0, false);
}

tc::JournalChart JournalsDialog::ShownChart() const
{
    return tc::kJournalCharts.at(static_cast<std::size_t>(std::max(0, chartSelector->currentIndex())));
}

void JournalsDialog::FillChart()
{
    const tc::JournalChart shown = ShownChart();
    const auto points = tc::JournalChartPoints(model_, shown, today_);
    QChart* chart = chartView->chart();
    chart->removeAllSeries(); // deletes them
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis); // hands the axis back
        delete axis;
    }

    auto* series = new QLineSeries;
    series->setName(ToQ(tc::JournalChartCaption(shown, fmt_.language)));
    series->setPointsVisible(true);
    for (const auto& p : points)
        series->append(static_cast<qreal>(AxisTime(p.when)), p.value);
    chart->addSeries(series);
    chart->setTitle(points.empty() ? ToQ(tc::JournalChartCaption(shown, fmt_.language)) + QTr(" — нет записей", " — no records")
                                   : ToQ(tc::JournalChartCaption(shown, fmt_.language)));

    // The points keep clear of the plot's edges (a lone point, or none, gets
    // half a day either side), and the values start at zero unless some are
    // negative.
    qint64 first = points.empty() ? AxisTime(today_) : AxisTime(points.front().when);
    qint64 last = points.empty() ? first : AxisTime(points.back().when);
    const qint64 margin = std::max<qint64>((last - first) / 20, 12 * 3600 * 1000LL);
    first -= margin;
    last += margin;
    double low = 0, high = 1;
    for (const auto& p : points) {
        low = std::min(low, p.value);
        high = std::max(high, p.value);
    }
    auto* timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(QStringLiteral("dd.MM.yy"));
    timeAxis->setTitleText(QTr("Дата записи", "Date of rec."));
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(ToQ(tc::JournalChartAxisCaption(shown, fmt_.language)));
    valueAxis->setRange(low, high);
    valueAxis->applyNiceNumbers();
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    series->attachAxis(timeAxis);
    series->attachAxis(valueAxis);
}

void JournalsDialog::SaveChart(const QString& path) const
{
    const QPixmap picture = chartView->grab();
    QByteArray png;
    QBuffer buffer(&png);
    if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        throw tc::Error(tc::Tr(WindowLanguage(), "Не удалось нарисовать график.", "Could not draw the chart."));
    tc::WriteFileAtomically(path.toStdString(), std::vector<std::uint8_t>(png.begin(), png.end()), WindowLanguage());
}

void JournalsDialog::saveChartAs()
{
    FileQuestion question;
    question.save = true;
    question.folder = PreferredFolder(FolderUse::UserFiles);
    question.filter = QTr("Рисунки PNG (*.png)", "PNG pictures (*.png)");
    question.defaultSuffix = QStringLiteral("png");
    const auto path = AskFile(question);
    if (!path || path->isEmpty())
        return;
    ReportFailure([&] { SaveChart(*path); });
}

void JournalsDialog::FillSummator(tc::Summator s)
{
    SetCells(SummatorGrid(s), tc::FillSummator(model_, s, fmt_), 0, 0, false);
}

void JournalsDialog::SaveJournal(tc::JournalKind kind, const QString& path) const
{
    tc::SaveJournalText(tc::FillJournal(model_, kind, fmt_), path.toStdString(), WindowLanguage());
}

void JournalsDialog::saveJournalAs(tc::JournalKind kind)
{
    FileQuestion question;
    question.save = true;
    question.folder = PreferredFolder(FolderUse::UserFiles);
    question.defaultSuffix = QStringLiteral("txt");
    const auto path = AskFile(question);
    if (!path || path->isEmpty())
        return;
    ReportFailure([&] { SaveJournal(kind, *path); });
}

void JournalsDialog::clearTrips()
{
    tc::ClearJournal(model_, tc::JournalKind::Trip);
    FillTripJournal();
    FillChart();
}

void JournalsDialog::clearRefuels()
{
    tc::ClearJournal(model_, tc::JournalKind::Refuel);
    FillRefuelJournal();
    FillChart();
}

void JournalsDialog::clearFaults()
{
    tc::ClearFaultJournal(model_);
    FillFaultJournal();
}

void JournalsDialog::resetSummator(tc::Summator s)
{
    tc::ResetSummator(model_, s);
    FillSummator(s);
}

bool JournalsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (auto s : tc::kSummators) {
            if (watched == SummatorGrid(s)->viewport()) {
                resetSummator(s);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void JournalsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace tc::ui
