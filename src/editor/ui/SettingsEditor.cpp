#include "editor/ui/SettingsEditor.h"

#include "editor/SettingSearch.h"
#include "model/SettingsModel.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tc::ui {

namespace {

// A page spreads its controls over up to three columns before it scrolls.
constexpr int kMaxColumns = 3;
// Height of a column the dialog shows without scrolling.
constexpr int kColumnHeight = 420;

// Consecutive controls of a page with the same group box, or one control
// outside any group box.
struct Unit {
    std::vector<std::size_t> members; // indices into the page's widgets
    QGroupBox* box = nullptr;
    int height = 0;
    int column = 0;
};

// Puts one control into a grid row: caption and editor side by side, a check
// box or radio group across both columns.
void PlaceRow(QGridLayout* grid, const FieldWidget& w)
{
    const int row = grid->rowCount();
    if (w.label) {
        grid->addWidget(w.label, row, 0);
        grid->addWidget(w.Editor(), row, 1);
    } else {
        grid->addWidget(w.Editor(), row, 0, 1, 2);
    }
}

QGridLayout* MakeGrid()
{
    auto* grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    return grid;
}

int RowHeight(const FieldWidget& w, int spacing)
{
    if (!w.IsVisible())
        return 0;
    int h = w.Editor()->sizeHint().height();
    if (w.label)
        h = std::max(h, w.label->sizeHint().height());
    return h + spacing;
}

// The search field keeps Enter for itself: it finds the next match and does not press OK.
class SearchEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QLineEdit::keyPressEvent(event);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->accept();
    }
};

} // namespace

SettingsEditor::SettingsEditor(EditSession& session, QWidget* parent) : QDialog(parent), session_(session)
{
    setObjectName(QStringLiteral("SettingsEditor"));
    const auto& ctx = session_.Context();
    setWindowTitle(ToQ(Tr(ctx.language, "Настройки МК", "Device settings")));
    binder_ = new FieldBinder(session_, this);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    for (const ShownPage& page : session_.Pages()) {
        if (!page.visible)
            continue;
        QScrollArea* tab = BuildPage(page);
        if (!tab)
            continue; // no rows yet
        pages->addTab(tab, ToQ(page.caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        tabs_.emplace_back(page.page->page, tab);
    }

    okButton = new QPushButton(QStringLiteral("OK"));
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(ToQ(Tr(ctx.language, "Отмена", "Cancel")));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(okButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancelButton, QDialogButtonBox::RejectRole);
    // Undo, Redo and Revert to opened at the left, OK and Cancel at the right.
    auto* editRow = new QHBoxLayout;
    const auto undoLike = [&](const char* name, const std::string& text, const std::string& tip, const QList<QKeySequence>& keys,
                              void (SettingsEditor::*act)()) {
        auto* button = new QPushButton(ToQ(text));
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        QStringList shown;
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this, act);
            shown << key.toString(QKeySequence::NativeText);
        }
        button->setToolTip(ToQ(tip) + (shown.isEmpty() ? QString() : QStringLiteral(" (") + shown.join(QStringLiteral(", ")) + QStringLiteral(")")));
        connect(button, &QPushButton::clicked, this, act);
        editRow->addWidget(button);
        return button;
    };
    undoButton = undoLike("undoButton", Tr(ctx.language, "Отменить", "Undo"), Tr(ctx.language, "Отменить последнее изменение", "Take back the last change"),
                          FieldBinder::UndoKeys(), &SettingsEditor::Undo);
    redoButton = undoLike("redoButton", Tr(ctx.language, "Повторить", "Redo"), Tr(ctx.language, "Повторить отменённое изменение", "Make the change taken back again"),
                          FieldBinder::RedoKeys(), &SettingsEditor::Redo);
    revertButton = undoLike("revertButton", Tr(ctx.language, "Как при открытии", "Revert to opened"),
                            Tr(ctx.language, "Вернуть все параметры к значениям, с которыми окно открылось (можно отменить)",
                                   "Put every setting back as it was when the window opened (can be undone)"),
                            {}, &SettingsEditor::RevertToOpened);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsEditor::reject);

    search = new SearchEdit(this);
    search->setObjectName(QStringLiteral("search"));
    search->setPlaceholderText(ToQ(Tr(ctx.language, "Найти параметр (Ctrl+F)", "Find a setting (Ctrl+F)")));
    search->setClearButtonEnabled(true);
    search->setMaximumWidth(280);
    searchResult = new QLabel(this);
    connect(search, &QLineEdit::textChanged, this, [this] {
        searchAt_ = -1;
        searchResult->clear();
    });
    connect(search, &QLineEdit::returnPressed, this, &SettingsEditor::FindNext);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    auto* searchRow = new QHBoxLayout;
    searchRow->addStretch(1);
    searchRow->addWidget(searchResult);
    searchRow->addWidget(search);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(pages, 1);
    editRow->addStretch(1);
    editRow->addWidget(buttons);
    layout->addLayout(editRow);
    okButton->setDefault(true); // once in the dialog, so that it stays the default

    // What was typed into a spin box is dropped when the user leaves it for Cancel.
    binder_->leavingToCancel = [this] { return QApplication::focusWidget() == cancelButton; };
    connect(binder_, &FieldBinder::ButtonsRebuilt, this, &SettingsEditor::ApplyTabOrder);
    // A committed control may change what the structured editors show.
    connect(binder_, &FieldBinder::Committed, this, [this] {
        for (EditorPanel* panel : panels_)
            panel->Refresh();
        UpdateUndoButtons();
    });
    ApplyTabOrder();
    UpdateUndoButtons();

    // As large as the largest page wants, within the screen.
    QSize content(0, 0);
    for (const auto& [page, tab] : tabs_)
        content = content.expandedTo(tab->widget()->sizeHint());
    const int chrome = pages->tabBar()->sizeHint().height() + buttons->sizeHint().height() + 48;
    resize(QSize(content.width() + 40, content.height() + chrome).boundedTo(LargestSize()));
}

QSize SettingsEditor::LargestSize()
{
    return {1000, 560};
}

QScrollArea* SettingsEditor::PageTab(Page page) const
{
    for (const auto& [p, tab] : tabs_)
        if (p == page)
            return tab;
    return nullptr;
}

QScrollArea* SettingsEditor::BuildPage(const ShownPage& page)
{
    const auto fields = session_.Fields();
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].page == page.page->page && fields[i].part.empty())
            rows.push_back(i);
    std::vector<const PanelDef*> defs;
    for (const PanelDef& def : EditorPanels())
        if (def.page == page.page->page)
            defs.push_back(&def);
    if (rows.empty() && defs.empty())
        return nullptr;

    auto* content = new QWidget;
    content->setObjectName(ToQ(page.page->key));
    auto* stack = new QVBoxLayout(content);
    if (!rows.empty())
        stack->addLayout(BuildRows(rows, content));
    for (const PanelDef* def : defs) {
        EditorPanel* panel = def->make(*this, content);
        panel->setObjectName(ToQ(def->key));
        stack->addWidget(panel);
        panels_.push_back(panel);
        layoutOrder_.push_back({0, panel});
    }
    stack->addStretch(1);

    auto* tab = new QScrollArea;
    tab->setObjectName(ToQ(page.page->key) + QStringLiteral(".tab"));
    tab->setFrameShape(QFrame::NoFrame);
    tab->setWidgetResizable(true);
    tab->setWidget(content);
    return tab;
}

QLayout* SettingsEditor::BuildRows(const std::vector<std::size_t>& fields, QWidget* content, int fixedColumns)
{
    std::vector<FieldWidget> widgets;
    std::vector<std::string_view> groups; // the group key (Russian caption) of each widget
    for (std::size_t i : fields) {
        widgets.push_back(MakeFieldWidget(i, session_.Shown(i), content));
        groups.push_back(session_.Fields()[i].group.ru);
    }
    // Consecutive controls of one group share its box.
    std::vector<Unit> units;
    for (std::size_t k = 0; k < widgets.size(); ++k) {
        if (!groups[k].empty() && !units.empty() && units.back().box && groups[units.back().members.front()] == groups[k]) {
            units.back().members.push_back(k);
            continue;
        }
        Unit u;
        u.members.push_back(k);
        if (!groups[k].empty()) {
            u.box = new QGroupBox(ToQ(session_.Shown(widgets[k].field).group), content);
            u.box->setObjectName(ToQ(widgets[k].Row().key) + QStringLiteral(".group"));
            u.box->setLayout(MakeGrid());
        }
        units.push_back(u);
    }
    for (auto& u : units)
        for (std::size_t k : u.members) {
            widgets[k].group = u.box;
            if (u.box)
                PlaceRow(static_cast<QGridLayout*>(u.box->layout()), widgets[k]);
        }

    // Bound and filled before they are measured: captions, items and
    // visibility decide the heights.
    for (const auto& w : widgets) {
        binder_->Bind(w);
        binder_->Fill(w.field);
    }
    const int spacing = content->style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing);
    int total = 0;
    for (auto& u : units) {
        if (u.box)
            u.height = u.box->isHidden() ? 0 : u.box->sizeHint().height() + spacing;
        else
            u.height = RowHeight(*binder_->Widget(widgets[u.members.front()].field), spacing);
        total += u.height;
    }

    // Column by column, each about an equal share of the height.
    int columns = 1;
    while (columns < kMaxColumns && total > columns * kColumnHeight)
        ++columns;
    if (fixedColumns > 0)
        columns = fixedColumns;
    const int share = (total + columns - 1) / columns;
    int column = 0;
    int filled = 0;
    for (auto& u : units) {
        if (filled > 0 && filled + u.height > share && column + 1 < columns) {
            ++column;
            filled = 0;
        }
        u.column = column;
        filled += u.height;
    }

    auto* row = new QHBoxLayout;
    for (int c = 0; c < columns; ++c) {
        auto* stack = new QVBoxLayout;
        QGridLayout* open = nullptr; // the grid of ungrouped controls being filled
        for (const auto& u : units) {
            if (u.column != c)
                continue;
            if (u.box) {
                stack->addWidget(u.box);
                open = nullptr;
            } else {
                if (!open) {
                    open = MakeGrid();
                    stack->addLayout(open);
                }
                PlaceRow(open, *binder_->Widget(widgets[u.members.front()].field));
            }
            for (std::size_t k : u.members)
                layoutOrder_.push_back({widgets[k].field, nullptr});
        }
        stack->addStretch(1);
        row->addLayout(stack);
    }
    row->addStretch(1); // columns keep their natural width, captions stay near their fields
    return row;
}

EditorPanel* SettingsEditor::Panel(std::string_view key) const
{
    for (EditorPanel* panel : panels_)
        if (panel->objectName() == ToQ(key))
            return panel;
    return nullptr;
}

void SettingsEditor::Changed(const ChangedFields& changed, QWidget* source)
{
    for (std::size_t index : changed)
        binder_->Fill(index);
    for (EditorPanel* panel : panels_)
        if (panel != source)
            panel->Refresh();
    UpdateUndoButtons();
}

void SettingsEditor::Undo()
{
    if (!session_.CanUndo())
        return;
    session_.Undo();
    Restored();
}

void SettingsEditor::Redo()
{
    if (!session_.CanRedo())
        return;
    session_.Redo();
    Restored();
}

void SettingsEditor::RevertToOpened()
{
    binder_->DiscardPending();
    session_.RevertToOpened();
    Restored();
}

void SettingsEditor::Restored()
{
    // Every bound control is filled again: typing not yet committed gives way
    // to what the session now holds.
    binder_->FillAll();
    for (EditorPanel* panel : panels_)
        panel->Refresh();
    UpdateUndoButtons();
}

void SettingsEditor::UpdateUndoButtons()
{
    undoButton->setEnabled(session_.CanUndo());
    redoButton->setEnabled(session_.CanRedo());
    revertButton->setEnabled(session_.ChangedSinceOpened());
}

void SettingsEditor::ApplyTabOrder()
{
    // Down each column, then across, page by page; OK and Cancel last.
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (const TabStop& stop : layoutOrder_) {
        if (stop.panel) {
            for (QWidget* w : stop.panel->TabChain())
                chain(w);
            continue;
        }
        const FieldWidget* w = binder_->Widget(stop.field);
        if (w->radios)
            for (auto* b : w->RadioButtons())
                chain(b);
        else
            chain(w->Editor());
    }
    chain(okButton);
    chain(cancelButton);
}

bool SettingsEditor::FindNext()
{
    // Matches the dialog shows: bound, on a shown page, not hidden by a rule.
    std::vector<const FieldWidget*> shown;
    for (std::size_t i : FindSettings(search->text().toStdString()))
        if (const FieldWidget* w = binder_->Widget(i); w && w->IsVisible())
            shown.push_back(w);
    if (shown.empty()) {
        searchResult->setText(ToQ(Tr(session_.Context().language, "Не найдено", "Not found")));
        return false;
    }
    searchAt_ = (searchAt_ + 1) % static_cast<int>(shown.size());
    QWidget* target = shown[static_cast<std::size_t>(searchAt_)]->Editor();
    RevealWidget(target);
    target->setFocus(Qt::ShortcutFocusReason);
    searchResult->setText(QStringLiteral("%1/%2").arg(searchAt_ + 1).arg(shown.size()));
    return true;
}

void SettingsEditor::accept()
{
    if (!binder_->CommitPending())
        return;
    QDialog::accept();
}

void SettingsEditor::reject()
{
    const bool typing = QApplication::focusWidget() != cancelButton && binder_->HasPending();
    if (typing || session_.ChangedSinceOpened()) {
        const auto& ctx = session_.Context();
        enum { Apply, Discard, Back };
        const int answer = AskChoice(ToQ(Tr(ctx.language, "Настройки изменены. Применить изменения?", "The settings have been changed. Apply the changes?")),
                                     {ToQ(Tr(ctx.language, "Применить", "Apply")), ToQ(Tr(ctx.language, "Не применять", "Discard")),
                                      ToQ(Tr(ctx.language, "Вернуться к правке", "Back to editing"))},
                                     Back);
        if (answer == Apply) {
            accept();
            return;
        }
        if (answer != Discard)
            return;
    }
    binder_->DiscardPending();
    QDialog::reject();
}

bool ExecSettingsEditor(EditSession& session, QWidget* parent)
{
    SettingsEditor dialog(session, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunSettingsEditor(SettingsModel& model, QWidget* parent)
{
    return EditSettings(model, WindowLanguage(), [parent](EditSession& session) { return ExecSettingsEditor(session, parent); });
}

} // namespace tc::ui
