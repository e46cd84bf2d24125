#include "editor/ui/VoicePanel.h"

#include "editor/VoiceModes.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace tc::ui {

namespace {

// The grid's columns, twice side by side.
enum Column { LabelColumn, FirstColumn, NextColumn, ColumnCount };

class VoicePanel : public EditorPanel {
public:
    VoicePanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
    {
        const auto& ctx = Session().Context();
        auto* tabs = new QTabWidget(this);
        tabs->setObjectName(QStringLiteral("voice.pages"));

        auto* warnings = new QWidget;
        warnings->setObjectName(QStringLiteral("voice.warnings"));
        auto* outer = new QVBoxLayout(warnings);
        grid_ = new QGridLayout;
        grid_->setHorizontalSpacing(6);
        grid_->setVerticalSpacing(0);
        grid_->setColumnMinimumWidth(ColumnCount, 16); // between the two halves
        grid_->setColumnStretch(2 * ColumnCount + 1, 1);
        const char* heads[ColumnCount][2] = {{"Предупреждение", "Warning"}, {"Первое", "First"}, {"Последующие", "Next"}};
        for (int side = 0; side < 2; ++side)
            for (int c = 0; c < ColumnCount; ++c) {
                auto* head = new QLabel(ToQ(Tr(ctx.language, heads[c][0], heads[c][1])));
                QFont bold = head->font();
                bold.setBold(true);
                head->setFont(bold);
                grid_->addWidget(head, 0, side * (ColumnCount + 1) + c);
            }
        for (const auto& def : voice::WarningRows())
            rows_.push_back(MakeRow(def, warnings));
        outer->addLayout(grid_);
        outer->addStretch(1);
        tabs->addTab(warnings, ToQ(Tr(ctx.language, "Предупреждения", "Warnings")));

        auto* misc = new QWidget;
        misc->setObjectName(QStringLiteral("voice.misc"));
        std::vector<std::size_t> fields;
        const auto all = Session().Fields();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].part == "voice.misc")
                fields.push_back(i);
        auto* miscLayout = new QVBoxLayout(misc);
        miscLayout->addLayout(host_.BuildRows(fields, misc));
        miscLayout->addStretch(1);
        tabs->addTab(misc, ToQ(Tr(ctx.language, "Разное", "Miscellaneous")));

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tabs);
        Refresh();
    }

    void Refresh() override
    {
        const RuleInput in{Session().Context(), Session().Model()};
        std::vector<bool> visible;
        for (Row& row : rows_) {
            const voice::ShownWarning shown = voice::ShowWarning(*row.def, in);
            row.label->setText(ToQ(shown.label));
            row.label->setVisible(shown.visible);
            Show(row.first, row.firstBox, shown.first, shown, in);
            if (row.next)
                Show(row.next, row.nextBox, shown.next, shown, in);
            visible.push_back(shown.visible);
        }
        if (visible != placed_)
            Place(visible);
    }

private:
    struct Row {
        const voice::WarningRow* def = nullptr;
        QLabel* label = nullptr;
        QButtonGroup* first = nullptr;
        QButtonGroup* next = nullptr; // nullptr for a one-group warning
        QWidget* firstBox = nullptr;
        QWidget* nextBox = nullptr;
    };

    // The shown rows, half of them in each column of the grid.
    void Place(const std::vector<bool>& visible)
    {
        for (const Row& row : rows_)
            for (QWidget* w : {static_cast<QWidget*>(row.label), row.firstBox, row.nextBox})
                if (w)
                    grid_->removeWidget(w);
        const auto shown = static_cast<int>(std::count(visible.begin(), visible.end(), true));
        const int half = (shown + 1) / 2;
        int k = 0;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!visible[i])
                continue;
            const int line = 1 + (k < half ? k : k - half);
            const int at = k < half ? 0 : ColumnCount + 1;
            grid_->addWidget(rows_[i].label, line, at + LabelColumn);
            grid_->addWidget(rows_[i].firstBox, line, at + FirstColumn);
            if (rows_[i].nextBox)
                grid_->addWidget(rows_[i].nextBox, line, at + NextColumn);
            ++k;
        }
        placed_ = visible;
    }

    Row MakeRow(const voice::WarningRow& def, QWidget* owner)
    {
        const auto& ctx = Session().Context();
        Row row;
        row.def = &def;
        row.label = new QLabel(owner);
        row.label->setObjectName(ToQ(def.key) + QStringLiteral(".label"));
        const auto group = [&](const char* suffix, QWidget*& box) {
            box = new QWidget(owner);
            box->setObjectName(ToQ(def.key) + QLatin1Char('.') + QLatin1String(suffix));
            auto* buttons = new QButtonGroup(box);
            auto* layout = new QHBoxLayout(box);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(5);
            const auto letters = voice::ModeLetters();
            for (int m = 0; m < voice::kModeCount; ++m) {
                auto* b = new QRadioButton(ToQ(letters[static_cast<std::size_t>(m)].Pick(ctx.language)));
                b->setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"));
                buttons->addButton(b, m);
                layout->addWidget(b);
            }
            connect(buttons, &QButtonGroup::idClicked, this, [this, key = def.key](int) { Commit(key); });
            return buttons;
        };
        row.first = group("first", row.firstBox);
        if (def.paired)
            row.next = group("next", row.nextBox);
        return row;
    }

    static void Show(QButtonGroup* buttons, QWidget* box, int mode, const voice::ShownWarning& shown, const RuleInput& in)
    {
        box->setVisible(shown.visible);
        box->setEnabled(shown.enabled);
        // An exclusive group cannot be emptied: nothing selected shows no button checked.
        buttons->setExclusive(false);
        for (QAbstractButton* b : buttons->buttons()) {
            const int m = buttons->id(b);
            b->setChecked(m == mode);
            b->setEnabled(voice::ModeEnabled(m, in));
        }
        buttons->setExclusive(true);
    }

    // A click stores the row from both of its groups; while one group of a
    // pair has nothing selected the click waits for the other one.
    void Commit(std::string_view key)
    {
        for (const Row& row : rows_) {
            if (row.def->key != key)
                continue;
            const int first = row.first->checkedId();
            const int next = row.next ? row.next->checkedId() : first;
            if (first < 0 || next < 0)
                return;
            const auto& ctx = Session().Context();
            Store([&](SettingsModel& m) { voice::StoreWarning(m, *row.def, first, next, ctx); });
            return;
        }
    }

    std::vector<Row> rows_;
    QGridLayout* grid_ = nullptr;
    std::vector<bool> placed_; // the visibility the grid was laid out for
};

} // namespace

EditorPanel* MakeVoicePanel(EditorHost& host, QWidget* parent)
{
    return new VoicePanel(host, parent);
}

} // namespace tc::ui
