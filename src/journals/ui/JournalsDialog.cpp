#include "journals/ui/JournalsDialog.h"

#include "common/Error.h"
#include "common/Language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <vector>

namespace tc::ui {

namespace {

constexpr int kJournalRowHeight = 18;
constexpr int kFaultRowHeight = 19;
constexpr int kSummatorRowHeight = 18;
constexpr int kInitialFreezeRows = 41;

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

QString T(std::string_view russian, std::string_view english)
{
    return Q(tc::Tr(russian, english));
}

QTableWidget* MakeGrid(QWidget* parent, const char* name, const QList<int>& widths, int rows, int rowHeight, QRect geometry)
{
    auto* g = new QTableWidget(rows, static_cast<int>(widths.size()), parent);
    g->setObjectName(name);
    g->setGeometry(geometry);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setMinimumSectionSize(1);
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    g->horizontalHeader()->setMinimumSectionSize(1);
    for (int c = 0; c < widths.size(); ++c)
        g->setColumnWidth(c, widths[c]);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
            auto* item = new QTableWidgetItem(Q(row[static_cast<std::size_t>(c)]));
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
}

QString SaveFolder()
{
    // The program's folder, as the device's utility always did; a folder the
    // user may not write to (an installed program) gives way to Documents.
    const QString appDir = QCoreApplication::applicationDirPath();
    const QFileInfo info(appDir);
    if (!appDir.isEmpty() && info.isDir() && info.isWritable())
        return appDir;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::optional<QString> DefaultAskSaveFile(QWidget* parent, const QString& folder)
{
    QFileDialog dlg(parent);
    dlg.setObjectName("SaveDialog1");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix("txt");
    dlg.setDirectory(folder);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

} // namespace

tc::NumberFormat LocaleNumberFormat()
{
    tc::NumberFormat fmt;
    const QString sep = QLocale().decimalPoint();
    if (!sep.isEmpty())
        fmt.decimalSeparator = sep.toStdString();
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
    : QDialog(parent), model_(model), fmt_(fmt)
{
    setObjectName("JournalsDialog");
    setWindowTitle("Просмотр журналов");
    setFixedSize(1016, 523);

    AskSaveFile = [this](const QString& folder) { return DefaultAskSaveFile(this, folder); };
    ShowSaveError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };

    pcMain = new QTabWidget(this);
    pcMain->setObjectName("pcMain");
    pcMain->setGeometry(0, 0, 1016, 489);
    tsTrip = new QWidget;
    tsTank = new QWidget;
    tsAver = new QWidget;
    tsErr = new QWidget;
    tsTrip->setObjectName("tsTrip");
    tsTank->setObjectName("tsTank");
    tsAver->setObjectName("tsAver");
    tsErr->setObjectName("tsErr");
    pcMain->addTab(tsTrip, "Журнал поездок");
    pcMain->addTab(tsTank, "Журнал заправок");
    pcMain->addTab(tsAver, "Средние");
    pcMain->addTab(tsErr, "Журнал ошибок");

    const QList<int> journalWidths = {50, 140, 96, 84, 131, 156, 145, 113, 78};
    int journalWidth = 0;
    for (int w : journalWidths)
        journalWidth += w;
    const QRect journalRect(4, 4, journalWidth + 4, tc::kJournalRows * kJournalRowHeight + 4);
    sgTrip = MakeGrid(tsTrip, "sgTrip", journalWidths, tc::kJournalRows, kJournalRowHeight, journalRect);
    sgTank = MakeGrid(tsTank, "sgTank", journalWidths, tc::kJournalRows, kJournalRowHeight, journalRect);

    auto makeButton = [](QWidget* page, const char* name, const QString& text, QRect geometry) {
        auto* b = new QPushButton(text, page);
        b->setObjectName(name);
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    bTripReset = makeButton(tsTrip, "bTripReset", "Очистить", {624, 432, 177, 25});
    bTrip = makeButton(tsTrip, "bTrip", "Сохранить в файл", {824, 432, 177, 25});
    bTankReset = makeButton(tsTank, "bTankReset", "Очистить", {624, 432, 177, 25});
    bTank = makeButton(tsTank, "bTank", "Сохранить в файл", {824, 432, 177, 25});

    static constexpr const char* kSummatorNames[tc::kSummatorCount] = {"sgAllSum",    "sgTripSum", "sgResetSum",   "sgStopSum",
                                                                       "sgNoStopSum", "sgTankSum", "sgOilOnlySum", "sgGasOnlySum"};
    static constexpr QPoint kSummatorPlaces[tc::kSummatorCount] = {{8, 22},   {8, 174},   {8, 326},  {344, 22},
                                                                   {344, 174}, {344, 326}, {680, 22}, {680, 174}};
    for (std::size_t i = 0; i < tc::kSummatorCount; ++i) {
        const QPoint at = kSummatorPlaces[i];
        auto* g = MakeGrid(tsAver, kSummatorNames[i], {147, 116}, tc::kSummatorRows, kSummatorRowHeight, QRect(at, QSize(273, 131)));
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        g->viewport()->installEventFilter(this);
        SummatorGrids[i] = g;
        auto* label = new QLabel(tsAver);
        label->setGeometry(at.x(), at.y() - 18, 273, 16);
        SummatorLabels[i] = label;
    }
    Label9 = new QLabel(tsAver);
    Label9->setObjectName("Label9");
    Label9->setGeometry(680, 352, 265, 49);
    Label9->setAlignment(Qt::AlignCenter);
    Label9->setWordWrap(true);

    sgErrors = MakeGrid(tsErr, "sgErrors", {50, 140, 231}, tc::kFaultRows, kFaultRowHeight, QRect(4, 4, 449, 409));
    sgStopCadr = MakeGrid(tsErr, "sgStopCadr", {380, 144}, kInitialFreezeRows, kFaultRowHeight, QRect(1016 - 552 - 8, 4, 552, 409));
    sgStopCadr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bErrrJReset = makeButton(tsErr, "bErrrJReset", "Очистить", {256, 424, 177, 25});

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(819, 493, 77, 22);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Отмена", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(915, 493, 77, 22);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(bTrip, &QPushButton::clicked, this, [this] { bTripClick(tc::JournalKind::Trip); });
    connect(bTank, &QPushButton::clicked, this, [this] { bTripClick(tc::JournalKind::Refuel); });
    connect(bTripReset, &QPushButton::clicked, this, &JournalsDialog::bTripResetClick);
    connect(bTankReset, &QPushButton::clicked, this, &JournalsDialog::bTankResetClick);
    connect(bErrrJReset, &QPushButton::clicked, this, &JournalsDialog::bErrrJResetClick);
    connect(sgErrors, &QTableWidget::cellClicked, this, [this] { ShowFreezeFrame(); });
    connect(sgErrors, &QTableWidget::currentCellChanged, this, [this] { ShowFreezeFrame(); });

    FormShow();
}

void JournalsDialog::FormShow()
{
    pcMain->setCurrentIndex(0);
    ApplyLanguage();
    faultCodeType_ = tc::CurrentFaultCodeType(model_);
    FillTripJournal();
    FillRefuelJournal();
    FillFaultJournal();
    for (auto s : tc::kSummators)
        FillSummator(s);
}

void JournalsDialog::ApplyLanguage()
{
    setWindowTitle(T("Просмотр журналов", "Viewing logs"));
    pcMain->setTabText(0, T("Журнал поездок", "Trip log"));
    pcMain->setTabText(1, T("Журнал заправок", "Petrol log"));
    pcMain->setTabText(2, T("Средние", "Average"));
    pcMain->setTabText(3, T("Журнал ошибок", "Faults log"));
    for (auto* b : {bTrip, bTank})
        b->setText(T("Сохранить в файл", "Save to file"));
    for (auto* b : {bTripReset, bTankReset, bErrrJReset})
        b->setText(T("Очистить", "Clear"));
    CancelBtn->setText(T("Отмена", "Cancel"));
    for (auto s : tc::kSummators)
        SummatorLabels[static_cast<std::size_t>(s)]->setText(Q(tc::SummatorCaption(s)));
    Label9->setText(T("Для сброса накопителей сделайте двойной щелчок мыши на соответствующей таблице",
                      "To reset the adders, double-click on the corresponding table"));
}

void JournalsDialog::FillTripJournal()
{
    SetCells(sgTrip, tc::FillTripJournal(model_, fmt_), 1, 1, true);
}

void JournalsDialog::FillRefuelJournal()
{
    SetCells(sgTank, tc::FillRefuelJournal(model_, fmt_), 1, 1, true);
}

void JournalsDialog::FillFaultJournal()
{
    {
        const QSignalBlocker block(sgErrors);
        SetCells(sgErrors, tc::FillFaultJournal(model_, faultCodeType_), 1, 1, false);
        sgErrors->setCurrentCell(1, 1);
    }
    ShowFreezeFrame();
}

void JournalsDialog::ShowFreezeFrame()
{
    const auto frame = tc::ShowFreezeFrame(model_, sgErrors->currentRow(), fmt_);
    if (!frame)
        return;
    sgStopCadr->clearContents();
    if (frame->empty())
        return; // no freeze frame: the grid stays empty
    SetCells(sgStopCadr, *frame, 0, 0, false);
}

void JournalsDialog::FillSummator(tc::Summator s)
{
    SetCells(SummatorGrid(s), tc::FillSummator(model_, s, fmt_), 0, 0, false);
}

void JournalsDialog::SaveJournal(tc::JournalKind kind, const QString& path) const
{
    tc::SaveJournalText(tc::FillJournal(model_, kind, fmt_), path.toStdString());
}

void JournalsDialog::bTripClick(tc::JournalKind kind)
{
    const auto path = AskSaveFile(SaveFolder());
    if (!path || path->isEmpty())
        return;
    try {
        SaveJournal(kind, *path);
    } catch (const tc::Error& e) {
        ShowSaveError(Q(e.what()));
    }
}

void JournalsDialog::bTripResetClick()
{
    tc::ClearJournal(model_, tc::JournalKind::Trip);
    FillTripJournal();
}

void JournalsDialog::bTankResetClick()
{
    tc::ClearJournal(model_, tc::JournalKind::Refuel);
    FillRefuelJournal();
}

void JournalsDialog::bErrrJResetClick()
{
    tc::ClearFaultJournal(model_);
    FillFaultJournal();
}

void JournalsDialog::SummatorDblClick(tc::Summator s)
{
    tc::ResetSummator(model_, s);
    FillSummator(s);
}

bool JournalsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (auto s : tc::kSummators) {
            if (watched == SummatorGrid(s)->viewport()) {
                SummatorDblClick(s);
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
