#include "editor/ui/ServicePanels.h"

#include "common/Error.h"
#include "editor/ExtraSystems.h"
#include "editor/ServiceFile.h"
#include "model/SettingsModel.h"
#include "ui/Folders.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tc::ui {

namespace {

constexpr int kServiceRecordNumber = 5;

QString SaveServiceText()
{
    return QTr("Сохранить настройки ТО в файл", "Save maintenance settings to a file");
}

QString LoadServiceText()
{
    return QTr("Считать настройки ТО из файла", "Read maintenance settings from a file");
}

FileQuestion ServiceFileQuestion(bool save)
{
    FileQuestion q;
    q.save = save;
    q.title = save ? SaveServiceText() : LoadServiceText();
    q.folder = PreferredFolder(FolderUse::UserFiles);
    q.filter = QTr("Файлы настроек ТО (*.qvett)", "Maintenance settings files (*.qvett)");
    q.defaultSuffix = QStringLiteral("qvett");
    return q;
}

class ServiceFilePanel : public EditorPanel {
public:
    ServiceFilePanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        saveButton = new QPushButton(SaveServiceText(), this);
        saveButton->setObjectName(QStringLiteral("maintenance.save"));
        loadButton = new QPushButton(LoadServiceText(), this);
        loadButton->setObjectName(QStringLiteral("maintenance.load"));
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(saveButton);
        row->addWidget(loadButton);
        row->addStretch(1);
        connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
        connect(loadButton, &QPushButton::clicked, this, [this] { load(); });
    }

    void Refresh() override {}

private:
    void save()
    {
        const auto path = AskFile(ServiceFileQuestion(true));
        if (!path || path->isEmpty())
            return;
        try {
            SaveServiceFile(Session().Model(), path->toStdString(), Session().Context().language);
        } catch (const std::exception& e) {
            ShowFailure(e);
        }
    }

    void load()
    {
        const auto path = AskFile(ServiceFileQuestion(false));
        if (!path || path->isEmpty())
            return;
        // Every control the file feeds is refilled, on every page.
        std::string shortFile;
        Store([&](SettingsModel& m) { shortFile = LoadServiceFile(m, path->toStdString(), Session().Context().language); });
        // A short file filled what it covers: said as the command line says it.
        if (!shortFile.empty())
            ShowInfo(ToQ(shortFile));
    }

    QPushButton* saveButton = nullptr;
    QPushButton* loadButton = nullptr;
};

QTableWidget* MakeTable(QWidget* parent, const QString& name)
{
    auto* t = new QTableWidget(parent);
    t->setObjectName(name);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::ExtendedSelection);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The page has nothing else: the lists take its height.
    t->setMinimumHeight(380);
    return t;
}

QButtonGroup* MakeChoice(QWidget* parent, QBoxLayout* into, const QString& name, const QString& title, const QStringList& items)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* layout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        b->setObjectName(name + QLatin1Char('#') + QString::number(i));
        group->addButton(b, i);
        layout->addWidget(b);
    }
    into->addWidget(box);
    return group;
}

class ExtraSystemsPanel : public EditorPanel {
public:
    ExtraSystemsPanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        const auto& ctx = Session().Context();
        const auto tr = [&](std::string_view ru, std::string_view en) { return ToQ(Tr(ctx.language, ru, en)); };
        all = MakeTable(this, QStringLiteral("systems.offered"));
        selected = MakeTable(this, QStringLiteral("systems.chosen"));
        addButton = new QPushButton(tr("Выбрать >>", "Select >>"), this);
        addButton->setObjectName(QStringLiteral("systems.add"));
        removeButton = new QPushButton(tr("<< Убрать", "<< Remove"), this);
        removeButton->setObjectName(QStringLiteral("systems.remove"));

        auto* left = new QVBoxLayout;
        left->addWidget(new QLabel(tr("Все доступные", "All available"), this));
        left->addWidget(all, 1);
        auto* middle = new QVBoxLayout;
        middle->addStretch(1);
        middle->addWidget(addButton);
        middle->addWidget(removeButton);
        middle->addStretch(1);
        auto* right = new QVBoxLayout;
        right->addWidget(new QLabel(tr("Выбранные", "Selected"), this));
        right->addWidget(selected, 1);
        auto* side = new QVBoxLayout;
        auto* hint = new QLabel(tr("Двойной щелчок в левой \nтаблице меняет выбор\n\nДвойной щелчок в правой \nтаблице отменяет выбор",
                                   "Double-click in the left table changes the selection\nDouble-click in the right table cancels the selection"),
                                this);
        hint->setWordWrap(true);
        side->addWidget(hint);
        show = MakeChoice(this, side, QStringLiteral("systems.show"), tr("Показывать", "Show"), {tr("Все", "All"), tr("Протокол", "Protocol")});
        list = MakeChoice(this, side, QStringLiteral("systems.list"), tr("Показывать", "Show"),
                          {tr("Списком", "List"), tr("По типам", "By types")});
        side->addStretch(1);

        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->addLayout(left, 3);
        row->addLayout(middle);
        row->addLayout(right, 2);
        row->addLayout(side, 2);

        // A double click on a row of the left list changes that system's
        // selection, on the right list clears it; the buttons do the same for
        // every highlighted row.
        connect(all, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { toggle(Codes(all, {r}), true); });
        connect(selected, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { toggle(Codes(selected, {r}), false); });
        connect(addButton, &QPushButton::clicked, this, [this] { set(Codes(all, Highlighted(all)), true); });
        connect(removeButton, &QPushButton::clicked, this, [this] { set(Codes(selected, Highlighted(selected)), false); });
        // A click on a show choice applies it, also on the item already chosen.
        connect(show, &QButtonGroup::idClicked, this, [this](int choice) {
            Store([&](SettingsModel& m) { ChooseSystemsShow(Session().Context(), m.Record(kServiceRecordNumber), choice); });
        });
        connect(list, &QButtonGroup::idClicked, this,
                [this](int choice) { Store([&](SettingsModel& m) { ChooseSystemsList(m.Record(kServiceRecordNumber), choice); }); });
        Refresh();
    }

    void Refresh() override
    {
        const auto& ctx = Session().Context();
        const auto r5 = Session().Model().Record(kServiceRecordNumber);
        const auto offered = OfferedSystems(ctx);
        all->clear();
        all->setColumnCount(2);
        all->setHorizontalHeaderLabels({ToQ(Tr(ctx.language, "Название", "Name")), ToQ(Tr(ctx.language, "Выбр.", "Sel."))});
        all->setRowCount(static_cast<int>(offered.size()));
        int chosen = 0;
        for (std::size_t i = 0; i < offered.size(); ++i) {
            const bool on = SystemSelected(r5, offered[i]->code);
            chosen += on;
            all->setItem(static_cast<int>(i), 0, Item(*offered[i]));
            all->setItem(static_cast<int>(i), 1, new QTableWidgetItem(on ? QStringLiteral("V") : QString()));
        }
        selected->clear();
        selected->setColumnCount(1);
        selected->setHorizontalHeaderLabels({ToQ(Tr(ctx.language, "Название", "Name"))});
        selected->setRowCount(chosen);
        int row = 0;
        for (const ExtraSystem* s : offered)
            if (SystemSelected(r5, s->code))
                selected->setItem(row++, 0, Item(*s));
        all->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        const QSignalBlocker b1(show), b2(list);
        show->button(SystemsShowChoice(r5))->setChecked(true);
        list->button(SystemsListChoice(r5))->setChecked(true);
    }

private:
    static QTableWidgetItem* Item(const ExtraSystem& s)
    {
        auto* item = new QTableWidgetItem(ToQ(s.name));
        item->setData(Qt::UserRole, s.code);
        return item;
    }
    static std::vector<int> Highlighted(const QTableWidget* t)
    {
        std::vector<int> rows;
        for (const QModelIndex& i : t->selectionModel()->selectedRows())
            rows.push_back(i.row());
        return rows;
    }
    static std::vector<int> Codes(const QTableWidget* t, const std::vector<int>& rows)
    {
        std::vector<int> codes;
        for (int r : rows)
            if (const QTableWidgetItem* item = t->item(r, 0))
                codes.push_back(item->data(Qt::UserRole).toInt());
        return codes;
    }
    void toggle(const std::vector<int>& codes, bool invert)
    {
        if (codes.empty())
            return;
        Store([&](SettingsModel& m) {
            const auto r5 = m.Record(kServiceRecordNumber);
            for (int code : codes)
                SelectSystem(r5, code, invert && !SystemSelected(r5, code));
        });
    }
    void set(const std::vector<int>& codes, bool on)
    {
        if (codes.empty())
            return;
        Store([&](SettingsModel& m) {
            for (int code : codes)
                SelectSystem(m.Record(kServiceRecordNumber), code, on);
        });
    }

    QTableWidget* all = nullptr;
    QTableWidget* selected = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* removeButton = nullptr;
    QButtonGroup* show = nullptr;
    QButtonGroup* list = nullptr;
};

} // namespace

EditorPanel* MakeServiceFilePanel(EditorHost& host, QWidget* parent)
{
    return new ServiceFilePanel(host, parent);
}

EditorPanel* MakeExtraSystemsPanel(EditorHost& host, QWidget* parent)
{
    return new ExtraSystemsPanel(host, parent);
}

} // namespace tc::ui
