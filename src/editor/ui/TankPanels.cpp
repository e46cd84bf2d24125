#include "editor/ui/TankPanels.h"

#include "common/Error.h"
#include "editor/ServiceFile.h"
#include "editor/TankFile.h"
#include "editor/ui/FieldBinder.h"
#include "ui/Folders.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <vector>

namespace tc::ui {

namespace {

enum Column { NumberColumn, LitresColumn, UnitsColumn, ColumnCount };

bool IsEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Cells take digits and blanks, three for litres and four for units; the
// commit keeps only the digits. Enter in a cell ends its edit (the cell is
// committed between `entered(false)` and `entered(true)`, which moves down as
// grids do); the key never reaches the dialog's OK.
class TareCellDelegate : public QStyledItemDelegate {
public:
    TareCellDelegate(QObject* parent, std::function<void(bool)> entered) : QStyledItemDelegate(parent), entered_(std::move(entered)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(index.column() == LitresColumn ? 3 : 4);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]*")), edit));
        return edit;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* editor = qobject_cast<QWidget*>(watched); editor && IsEnter(event)) {
            entered_(false);
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            entered_(true);
            return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    std::function<void(bool)> entered_;
};

// The whole tank page: the linear calibrations as rows of litres and units,
// the tare table beside them, and the tank file below. The page's field rows
// are made and bound here (the binder fills and commits them) so that each
// sits where the page wants it.
class TankPanel : public EditorPanel {
public:
    TankPanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        auto* columns = new QHBoxLayout;
        auto* linear = new QVBoxLayout;
        linear->addWidget(LinearBox({"tank.two_point1.litres", "tank.two_point1.units", "tank.two_point2.litres", "tank.two_point2.units"}));
        std::vector<std::string_view> seven = {"tank.seven_points"};
        const auto all = Session().Fields();
        for (const Field& f : all)
            if (f.key.starts_with("tank.seven_point") && f.key != "tank.seven_points")
                seven.push_back(f.key);
        linear->addWidget(LinearBox(seven));
        linear->addStretch(1);
        columns->addLayout(linear);
        columns->addWidget(TareBox(), 1);

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addLayout(columns);
        FileSection(layout);
        RefreshTable();
    }

    void Refresh() override { RefreshTable(); }

    QList<QWidget*> TabChain() const override
    {
        QList<QWidget*> chain;
        for (const FieldWidget* w : placed_) {
            if (w->radios)
                for (auto* b : w->RadioButtons())
                    chain << b;
            else
                chain << w->Editor();
        }
        chain << table_ << saveButton << loadButton;
        return chain;
    }

    QPushButton* saveButton = nullptr;
    QPushButton* loadButton = nullptr;

private:
    // Makes, binds and fills the control of a row; the binder keeps it.
    const FieldWidget& Bound(std::string_view key, QWidget* owner)
    {
        const Field* f = FindField(key);
        const auto index = static_cast<std::size_t>(f - Session().Fields().data());
        host_.Binder().Bind(MakeFieldWidget(index, Session().Shown(index), owner));
        host_.Binder().Fill(index);
        const FieldWidget* w = host_.Binder().Widget(index);
        placed_.push_back(w);
        return *w;
    }

    // A group of number rows, two to a line ("1: литры" [..] "1: у.е." [..]);
    // a first row of its own (the point count) when the count is odd.
    QGroupBox* LinearBox(const std::vector<std::string_view>& keys)
    {
        auto* box = new QGroupBox(ToQ(Session().Shown(keys.front()).group));
        box->setObjectName(ToQ(keys.front()) + QStringLiteral(".group"));
        auto* grid = new QGridLayout(box);
        std::size_t k = 0;
        int line = 0;
        if (keys.size() % 2) {
            const FieldWidget& w = Bound(keys[k++], box);
            grid->addWidget(w.label, line, 0);
            grid->addWidget(w.spin, line++, 1);
        }
        for (; k + 1 < keys.size(); k += 2, ++line)
            for (int c = 0; c < 2; ++c) {
                const FieldWidget& w = Bound(keys[k + static_cast<std::size_t>(c)], box);
                grid->addWidget(w.label, line, 2 * c);
                grid->addWidget(w.spin, line, 2 * c + 1);
            }
        return box;
    }

    QGroupBox* TareBox()
    {
        const auto& ctx = Session().Context();
        auto* box = new QGroupBox(ToQ(Tr(ctx.language, "Тарированный", "Tare")));
        box->setObjectName(QStringLiteral("tank.tare.group"));
        auto* boxLayout = new QHBoxLayout(box);
        auto* side = new QVBoxLayout;
        const FieldWidget& finished = Bound("tank.tare_finished", box);
        side->addWidget(finished.check);
        const FieldWidget& count = Bound("tank.tare_points", box);
        auto* countLine = new QHBoxLayout;
        countLine->addWidget(count.label, 1);
        countLine->addWidget(count.spin);
        side->addLayout(countLine);
        side->addWidget(Bound("tank.sensor_slope", box).radioBox);
        auto* warning = new QLabel(ToQ(Tr(ctx.language, "Внимание! Установка значений пользователем вручную НЕ РЕКОМЕНДУЕТСЯ! \n"
                                              "Некорректная установка может привести к неправильной работе МК!",
                                              "Attention! Setting the values manually by the user is NOT RECOMMENDED!\n"
                                              "Incorrect setting can lead to incorrect operation of the device!")));
        warning->setObjectName(QStringLiteral("tank.tare.warning"));
        warning->setWordWrap(true);
        side->addWidget(warning);
        side->addStretch(1);
        boxLayout->addLayout(side, 1);

        table_ = new QTableWidget(0, ColumnCount, box);
        table_->setObjectName(QStringLiteral("tank.tare.table"));
        table_->setHorizontalHeaderLabels({QStringLiteral("#"), ToQ(Tr(ctx.language, "литры", "litres")), ToQ(Tr(ctx.language, "уе", "CU"))});
        table_->verticalHeader()->hide();
        table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
        table_->setItemDelegate(new TareCellDelegate(table_, [this](bool committed) {
            if (committed)
                MoveDown();
            else
                refused_ = false;
        }));
        table_->installEventFilter(this);
        for (int c = 0; c < ColumnCount; ++c)
            table_->setColumnWidth(c, c == NumberColumn ? 36 : 64);
        table_->setMinimumWidth(200);
        boxLayout->addWidget(table_);
        connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
            if (!filling_)
                CommitTable();
        });
        return box;
    }

    // Enter on the grid, editing or not, goes down a row; after a refused
    // cell the cursor stays on it. The dialog never sees the key.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == table_ && IsEnter(event)) {
            refused_ = false;
            MoveDown();
            return true;
        }
        return EditorPanel::eventFilter(watched, event);
    }

    void MoveDown()
    {
        const bool refused = refused_;
        refused_ = false;
        const int row = table_->currentRow();
        if (!refused && row >= 0 && row + 1 < table_->rowCount())
            table_->setCurrentCell(row + 1, std::max(table_->currentColumn(), static_cast<int>(LitresColumn)));
    }

    void FileSection(QVBoxLayout* layout)
    {
        const auto& ctx = Session().Context();
        const auto label = [&](const char* name, const std::string& text) {
            auto* l = new QLabel(ToQ(text));
            l->setObjectName(QLatin1String(name));
            l->setWordWrap(true);
            layout->addWidget(l);
        };
        label("tank.file.attention",
              Tr(ctx.language, "Внимание! Для правильной работы программы МК НЕОБХОДИМО использовать последние версии ПО МК и программы настройки.",
                     "Attention! For the correct operation of the device program, it is NECESSARY to use the latest versions of the MK software "
                     "and the configuration program."));
        label("tank.file.howto",
              Tr(ctx.language, "В том случае, если Вы хотите скопировать текущие настройки бака из текущей версии ПО в последующие, сохраните их сейчас "
                     "кнопкой \"Сохранить настройки бака\".\nВ будущем, после загрузки НОВОГО ПО МК и соответствующей новой программы настройки, "
                     "откройте закладку Бак и нажмите кнопку \"Считать настройки бака\".",
                     "If you want to copy the current tank settings from the current version of the software to the next ones, save them now "
                     "with the \"Save tank settings\" button.\nIn the future, after downloading the NEW device software and the corresponding new "
                     "configuration program, open the Tank tab and click the \"Read tank settings\" button."));
        saveButton = new QPushButton(ToQ(Tr(ctx.language, "Сохранить настройки бака в файл", "Save tank settings to a file")));
        saveButton->setObjectName(QStringLiteral("tank.file.save"));
        saveButton->setAutoDefault(false);
        loadButton = new QPushButton(ToQ(Tr(ctx.language, "Считать настройки бака из файла", "Load tank settings from a file")));
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

    void RefreshTable()
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
            refused_ = true;
            ShowFailure(e);
            RefreshTable();
            return;
        }
        Store([&](SettingsModel& m) { tank::StoreTarePoints(m, points); });
    }

    FileQuestion Question(bool save, const QPushButton* button) const
    {
        FileQuestion q;
        q.save = save;
        q.title = button->text();
        q.folder = PreferredFolder(FolderUse::UserFiles);
        q.filter = QTr("Файлы настроек бака (*.qveto)", "Tank settings files (*.qveto)");
        q.defaultSuffix = ToQ(tank::kTankFileSuffix);
        return q;
    }

    void SaveFile()
    {
        const auto path = AskFile(Question(true, saveButton));
        if (!path)
            return;
        try {
            tank::SaveTankFile(Session().Model(), path->toStdString(), Session().Context().language);
        } catch (const std::exception& e) {
            ShowFailure(e);
        }
    }

    // The file is read whole before anything changes; then the page is refilled.
    void LoadFile()
    {
        const auto path = AskFile(Question(false, loadButton));
        if (!path)
            return;
        std::vector<std::uint8_t> bytes;
        try {
            bytes = tank::ReadTankFile(path->toStdString(), Session().Context().language);
        } catch (const std::exception& e) {
            ShowFailure(e);
            return;
        }
        tank::TankLoad load;
        Store([&](SettingsModel& m) { load = tank::ApplyTankFile(m, bytes); });
        if (bytes.size() < tank::kTankFileSize)
            ShowInfo(ToQ(SideFileShortText(path->toStdString(), bytes.size(), tank::kTankFileSize, Session().Context().language)));
        if (load.tareCountReset || load.linearCountReset)
            ShowInfo(ToQ(Tr(Session().Context().language, "Число точек калибровки в файле больше допустимого; для такой калибровки сохранено 0 точек.",
                                                "The file holds more calibration points than the device can use; such a calibration now has 0 points.")));
    }

    std::vector<const FieldWidget*> placed_;
    QTableWidget* table_ = nullptr;
    bool filling_ = false;
    bool refused_ = false; // the last cell committed was refused
};

} // namespace

EditorPanel* MakeTankPanel(EditorHost& host, QWidget* parent)
{
    return new TankPanel(host, parent);
}

} // namespace tc::ui
