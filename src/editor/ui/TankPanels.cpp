#include "editor/ui/TankPanels.h"

#include "common/Error.h"
#include "editor/TankFile.h"
#include "ui/Folders.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <vector>

namespace tc::ui {

namespace {

enum Column { NumberColumn, LitresColumn, UnitsColumn, ColumnCount };

// Cells take digits and blanks, three for litres and four for units; the
// commit keeps only the digits.
class TareCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(index.column() == LitresColumn ? 3 : 4);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]*")), edit));
        return edit;
    }
};

class TarePanel : public EditorPanel {
public:
    TarePanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        const auto& ctx = Session().Context();
        auto* box = new QGroupBox(ToQ(ctx.Tr("Тарированный", "Tare")));
        box->setObjectName(QStringLiteral("tank.tare.group"));
        auto* boxLayout = new QHBoxLayout(box);

        auto* side = new QVBoxLayout;
        std::vector<std::size_t> fields;
        const auto all = Session().Fields();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].part == "tank.tare")
                fields.push_back(i);
        side->addLayout(host_.BuildRows(fields, box));
        auto* warning = new QLabel(ToQ(ctx.Tr("Внимание! Установка значений пользователем вручную НЕ РЕКОМЕНДУЕТСЯ! \n"
                                              "Некорректная установка может привести к неправильной работе МК!",
                                              "Attention! Setting the values manually by the user is NOT RECOMMENDED!\n"
                                              "Incorrect setting can lead to incorrect operation of the device!")));
        warning->setObjectName(QStringLiteral("tank.tare.warning"));
        warning->setWordWrap(true);
        side->addWidget(warning);
        side->addStretch(1);
        boxLayout->addLayout(side, 1);

        table_ = new QTableWidget(0, ColumnCount);
        table_->setObjectName(QStringLiteral("tank.tare.table"));
        table_->setHorizontalHeaderLabels(
            {QStringLiteral("#"), ToQ(ctx.Tr("литры", "litres")), ToQ(ctx.Tr("уе", "CU"))});
        table_->verticalHeader()->hide();
        table_->setItemDelegate(new TareCellDelegate(table_));
        table_->setMinimumHeight(180);
        table_->setMinimumWidth(220);
        boxLayout->addWidget(table_);
        connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
            if (!filling_)
                CommitTable();
        });

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(box);
        Refresh();
    }

    void Refresh() override
    {
        filling_ = true;
        const auto points = tank::TarePoints(Session().Model());
        table_->setRowCount(static_cast<int>(points.size()));
        for (int i = 0; i < static_cast<int>(points.size()); ++i) {
            const auto& p = points[static_cast<std::size_t>(i)];
            auto* number = new QTableWidgetItem(QString::number(i + 1));
            number->setFlags(Qt::ItemIsEnabled);
            table_->setItem(i, NumberColumn, number);
            table_->setItem(i, LitresColumn, new QTableWidgetItem(QString::number(p.litres)));
            table_->setItem(i, UnitsColumn, new QTableWidgetItem(QString::number(p.units)));
        }
        filling_ = false;
    }

private:
    // Every point from the grid's texts at once: a refused cell stores nothing
    // and the grid goes back to the stored points.
    void CommitTable()
    {
        std::vector<tank::TarePoint> points;
        try {
            for (int i = 0; i < table_->rowCount(); ++i) {
                const auto text = [&](int column) { return table_->item(i, column) ? table_->item(i, column)->text().toStdString() : std::string(); };
                points.push_back(tank::ParseTarePoint(Session(), text(LitresColumn), text(UnitsColumn)));
            }
        } catch (const Error& e) {
            ShowError(ToQ(e.what()));
            Refresh();
            return;
        }
        Store([&](SettingsModel& m) { tank::StoreTarePoints(m, points); });
    }

    QTableWidget* table_ = nullptr;
    bool filling_ = false;
};

class TankFilePanel : public EditorPanel {
public:
    TankFilePanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        const auto& ctx = Session().Context();
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        const auto label = [&](const char* name, std::string text) {
            auto* l = new QLabel(ToQ(text));
            l->setObjectName(QLatin1String(name));
            l->setWordWrap(true);
            layout->addWidget(l);
        };
        label("tank.file.attention",
              ctx.Tr("Внимание! Для правильной работы программы МК НЕОБХОДИМО использовать последние версии ПО МК и программы настройки.",
                     "Attention! For the correct operation of the device program, it is NECESSARY to use the latest versions of the MK software "
                     "and the configuration program."));
        label("tank.file.howto",
              ctx.Tr("В том случае, если Вы хотите скопировать текущие настройки бака из текущей версии ПО в последующие, сохраните их сейчас "
                     "кнопкой \"Сохранить настройки бака\".\nВ будущем, после загрузки НОВОГО ПО МК и соответствующей новой программы настройки, "
                     "откройте закладку Бак и нажмите кнопку \"Считать настройки бака\".",
                     "If you want to copy the current tank settings from the current version of the software to the next ones, save them now "
                     "with the \"Save tank settings\" button.\nIn the future, after downloading the NEW device software and the corresponding new "
                     "configuration program, open the Tank tab and click the \"Read tank settings\" button."));
        saveButton = new QPushButton(ToQ(ctx.Tr("Сохранить настройки бака в файл", "Save tank settings to a file")));
        saveButton->setObjectName(QStringLiteral("tank.file.save"));
        saveButton->setAutoDefault(false);
        loadButton = new QPushButton(ToQ(ctx.Tr("Считать настройки бака из файла", "Load tank settings from a file")));
        loadButton->setObjectName(QStringLiteral("tank.file.load"));
        loadButton->setAutoDefault(false);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(saveButton);
        buttons->addWidget(loadButton);
        buttons->addStretch(1);
        layout->addLayout(buttons);
        connect(saveButton, &QPushButton::clicked, this, [this] { SaveFile(); });
        connect(loadButton, &QPushButton::clicked, this, [this] { LoadFile(); });
    }

    void Refresh() override {}

private:
    FileQuestion Question(bool save, const QPushButton* button) const
    {
        FileQuestion q;
        q.save = save;
        q.title = button->text();
        q.folder = PreferredFolder(FolderUse::UserFiles);
        q.filter = QStringLiteral("Файлы настроек бака (*.qveto)");
        q.defaultSuffix = ToQ(tank::kTankFileSuffix);
        return q;
    }

    void SaveFile()
    {
        const auto path = AskFile(Question(true, saveButton));
        if (!path)
            return;
        try {
            tank::SaveTankFile(Session().Model(), path->toStdString());
        } catch (const std::exception& e) {
            ShowError(ToQ(e.what()));
        }
    }

    void LoadFile()
    {
        const auto path = AskFile(Question(false, loadButton));
        if (!path)
            return;
        std::vector<std::uint8_t> bytes;
        try {
            bytes = tank::ReadTankFile(path->toStdString());
        } catch (const std::exception& e) {
            ShowError(ToQ(e.what()));
            return;
        }
        tank::TankLoad load;
        Store([&](SettingsModel& m) { load = tank::ApplyTankFile(m, bytes); });
        const auto& ctx = Session().Context();
        if (load.tareCountReset || load.linearCountReset)
            ShowInfo(ToQ(ctx.Tr("Число точек калибровки в файле больше допустимого; для такой калибровки сохранено 0 точек.",
                                "The file holds more calibration points than the device can use; such a calibration now has 0 points.")));
    }

public:
    QPushButton* saveButton = nullptr;
    QPushButton* loadButton = nullptr;
};

} // namespace

EditorPanel* MakeTarePanel(EditorHost& host, QWidget* parent)
{
    return new TarePanel(host, parent);
}

EditorPanel* MakeTankFilePanel(EditorHost& host, QWidget* parent)
{
    return new TankFilePanel(host, parent);
}

} // namespace tc::ui
