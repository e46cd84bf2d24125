#include "app/RestorePointsDialog.h"

#include "catalogs/Catalogs.h"
#include "link/Transfers.h"
#include "ui/Text.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tc::ui {

QString ModelCaption(std::uint16_t modelCode)
{
    const QString code = QStringLiteral("0x") + QString::number(modelCode, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    for (const auto& m : ListedModels())
        if (m.code == modelCode)
            return code + QLatin1Char(' ') + ToQ(m.name);
    return code;
}

RestorePointsDialog::RestorePointsDialog(std::vector<RestorePoint> points, const QString& folder, QWidget* parent)
    : QDialog(parent), points_(std::move(points))
{
    setObjectName(QStringLiteral("RestorePointsDialog"));
    setWindowTitle(QTr("Точки восстановления", "Restore points"));
    std::reverse(points_.begin(), points_.end());

    auto* layout = new QVBoxLayout(this);
    folderLabel = new QLabel(this);
    folderLabel->setObjectName(QStringLiteral("folderLabel"));
    folderLabel->setWordWrap(true);
    folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel->setText(points_.empty() ? QTr("Точек восстановления нет в ", "No restore points in ") + folder
                                         : QTr("Настройки МК, какими их застала каждая запись, в ",
                                               "The unit's settings as each write found them, in ")
                                               + folder);
    layout->addWidget(folderLabel);

    table = new QTableWidget(static_cast<int>(points_.size()), 4, this);
    table->setObjectName(QStringLiteral("restorePointsTable"));
    table->setHorizontalHeaderLabels({QTr("Время", "Time"), QTr("Модель", "Model"), QTr("Порт МК", "Unit's port"),
                                      QTr("Файл", "File")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false); // Tab goes on to the buttons
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto& p = points_[static_cast<std::size_t>(row)];
        // A point taken of a unit that held a mix says so beside its name.
        const QString name = QFileInfo(ToQ(p.path)).fileName();
        const QString texts[] = {ToQ(p.time), ModelCaption(p.modelCode), p.unit.empty() ? QStringLiteral("—") : ToQ(p.unit),
                                 p.mixed ? name + QStringLiteral(" (") + ToQ(MixedPointText(WindowLanguage())) + QStringLiteral(")") : name};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setToolTip(p.mixed && !p.lastWhole.empty() ? ToQ(p.path) + QStringLiteral("\n") + ToQ(MixedPointText(WindowLanguage())) + QStringLiteral(": ")
                                                                   + ToQ(p.lastWhole)
                                                             : ToQ(p.path));
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    layout->addWidget(table, 1);

    auto* buttons = new QHBoxLayout;
    loadButton = new QPushButton(QTr("&Загрузить", "&Load"), this);
    loadButton->setObjectName(QStringLiteral("loadButton"));
    loadButton->setToolTip(QTr("Загрузить настройки точки в программу вместо текущих",
                               "Load the point's settings into the program in place of the current ones"));
    writeButton = new QPushButton(QTr("&Записать в МК", "&Write to the unit"), this);
    writeButton->setObjectName(QStringLiteral("writeButton"));
    writeButton->setToolTip(QTr("Загрузить настройки точки и записать их в МК",
                                "Load the point's settings and write them to the unit"));
    closeButton = new QPushButton(QTr("Закрыть", "Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    loadButton->setDefault(true); // Enter in the list loads the point
    writeButton->setAutoDefault(false);
    closeButton->setAutoDefault(false);
    buttons->addWidget(loadButton);
    buttons->addWidget(writeButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(loadButton, &QPushButton::clicked, this, [this] { Choose(Choice::Load); });
    connect(writeButton, &QPushButton::clicked, this, [this] { Choose(Choice::Write); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(table, &QTableWidget::itemSelectionChanged, this, &RestorePointsDialog::UpdateButtons);
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] { Choose(Choice::Load); });

    if (!points_.empty())
        table->selectRow(0);
    UpdateButtons();
    table->setFocus();
    setTabOrder(table, loadButton);
    setTabOrder(loadButton, writeButton);
    setTabOrder(writeButton, closeButton);
    // Fits a 1024 × 600 screen with room for the window frame.
    resize(760, 420);
}

void RestorePointsDialog::UpdateButtons()
{
    const bool chosen = !table->selectionModel()->selectedRows().isEmpty();
    loadButton->setEnabled(chosen);
    writeButton->setEnabled(chosen);
}

void RestorePointsDialog::Choose(Choice choice)
{
    const auto rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    chosen_ = choice;
    chosenPath_ = points_.at(static_cast<std::size_t>(rows.front().row())).path;
    accept();
}

} // namespace tc::ui
