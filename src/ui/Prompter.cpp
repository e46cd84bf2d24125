#include "ui/Prompter.h"

#include "common/Error.h"
#include "ui/Folders.h"
#include "ui/Text.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tc::ui {

namespace {

Prompter& Current()
{
    static Prompter prompter = DesktopPrompter();
    return prompter;
}

QWidget* Parent()
{
    return QApplication::activeWindow();
}

} // namespace

QString ApplicationTitle()
{
    return QStringLiteral("tripconf");
}

QDialog* MakeTableQuestionDialog(const TableQuestion& q, QWidget* parent, const QStringList& choices, int escape)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("tableQuestion"));
    dialog->setWindowTitle(ApplicationTitle());
    auto* layout = new QVBoxLayout(dialog);
    auto* intro = new QLabel(q.intro, dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* table = new QTableWidget(static_cast<int>(q.rows.size()), static_cast<int>(q.headers.size()), dialog);
    table->setObjectName(QStringLiteral("rows"));
    table->setHorizontalHeaderLabels(q.headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    for (int r = 0; r < q.rows.size(); ++r)
        for (int c = 0; c < q.rows[r].size() && c < q.headers.size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(q.rows[r][c]));
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);

    if (!q.note.isEmpty()) {
        auto* note = new QLabel(q.note, dialog);
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    QDialogButtonBox* buttons = nullptr;
    if (q.question.isEmpty()) {
        // Only to be read: Close answers No.
        buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        buttons->button(QDialogButtonBox::Close)->setDefault(true);
    } else {
        auto* question = new QLabel(q.question, dialog);
        question->setWordWrap(true);
        layout->addWidget(question);
    }
    if (!buttons && !choices.isEmpty()) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        for (int i = 0; i < choices.size(); ++i) {
            auto* button = new QPushButton(choices[i], dialog);
            button->setObjectName(QStringLiteral("choice%1").arg(i));
            button->setAutoDefault(false);
            row->addWidget(button);
            if (i == escape) {
                button->setDefault(true);
                button->setFocus();
                QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
            } else {
                QObject::connect(button, &QPushButton::clicked, dialog, [dialog, i] { dialog->done(kFirstChoice + i); });
            }
        }
        layout->addLayout(row);
    } else {
        if (!buttons) {
            buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, dialog);
            // A write is what the question is about: No is the default.
            buttons->button(QDialogButtonBox::No)->setDefault(true);
            buttons->button(QDialogButtonBox::No)->setFocus();
        }
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        layout->addWidget(buttons);
    }

    // As wide as the table's columns, within a 1024 x 600 screen.
    int width = table->verticalScrollBar()->sizeHint().width() + 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    const int rowsHeight = table->horizontalHeader()->height() + table->rowCount() * table->verticalHeader()->defaultSectionSize();
    dialog->resize(std::clamp(width + 24, 480, 1000), std::clamp(rowsHeight + 160, 240, 560));
    return dialog;
}

Prompter DesktopPrompter()
{
    Prompter p;
    p.showError = [](const QString& text) { QMessageBox::critical(Parent(), ApplicationTitle(), text); };
    p.showInfo = [](const QString& text) { QMessageBox::information(Parent(), ApplicationTitle(), text); };
    p.askYesNo = [](const QString& text) {
        const auto button = QMessageBox::question(Parent(), ApplicationTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
    };
    p.askYesNoCancel = [](const QString& text) {
        // Cancel is the escape button: Esc and the close box answer it.
        const auto button = QMessageBox::question(Parent(), ApplicationTitle(), text,
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        return button == QMessageBox::Yes ? Answer::Yes : button == QMessageBox::No ? Answer::No : Answer::Cancel;
    };
    p.askChoice = [](const QString& text, const QStringList& buttons, int escape) {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, Parent());
        QList<QAbstractButton*> made;
        for (const QString& b : buttons)
            made << box.addButton(b, QMessageBox::ActionRole);
        if (!made.isEmpty())
            box.setDefaultButton(static_cast<QPushButton*>(made.front()));
        if (escape >= 0 && escape < made.size())
            box.setEscapeButton(made[escape]);
        box.exec();
        const int pressed = static_cast<int>(made.indexOf(box.clickedButton()));
        return pressed < 0 ? escape : pressed;
    };
    p.askTable = [](const TableQuestion& q) {
        std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(q, Parent()));
        return dialog->exec() == QDialog::Accepted ? Answer::Yes : Answer::No;
    };
    p.askTableChoice = [](const TableQuestion& q, const QStringList& buttons, int escape) {
        std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(q, Parent(), buttons, escape));
        const int result = dialog->exec();
        return result >= kFirstChoice && result < kFirstChoice + buttons.size() ? result - kFirstChoice : escape;
    };
    p.askFile = [](const FileQuestion& q) -> std::optional<QString> {
        QFileDialog dialog(Parent(), q.title, q.folder, q.filter);
        dialog.setAcceptMode(q.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(q.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(q.defaultSuffix);
        // The overwrite question is the caller's, with its own text.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    };
    return p;
}

Prompter SetPrompter(Prompter prompter)
{
    std::swap(Current(), prompter);
    return prompter;
}

void ShowError(const QString& text)
{
    Current().showError(text);
}

QString FailureText(const std::exception& failure)
{
    if (dynamic_cast<const Error*>(&failure))
        return QString::fromStdString(failure.what());
    return QString::fromStdString(InternalErrorText(failure, WindowLanguage()));
}

void ShowFailure(const std::exception& failure)
{
    ShowError(FailureText(failure));
}

void ShowInfo(const QString& text)
{
    Current().showInfo(text);
}

Answer AskYesNo(const QString& text)
{
    return Current().askYesNo(text);
}

Answer AskYesNoCancel(const QString& text)
{
    if (!Current().askYesNoCancel)
        return Current().askYesNo(text);
    return Current().askYesNoCancel(text);
}

int AskChoice(const QString& text, const QStringList& buttons, int escape)
{
    return Current().askChoice(text, buttons, escape);
}

Answer AskTable(const TableQuestion& question)
{
    return Current().askTable(question);
}

int AskTableChoice(const TableQuestion& question, const QStringList& buttons, int escape)
{
    if (Current().askTableChoice)
        return Current().askTableChoice(question, buttons, escape);
    return Current().askTable(question) == Answer::Yes ? 0 : escape;
}

std::optional<QString> AskFile(const FileQuestion& question)
{
    FileQuestion q = question;
    if (q.folder.isEmpty())
        q.folder = PreferredFolder(FolderUse::UserFiles);
    auto answer = Current().askFile(q);
    if (answer)
        RememberFolderOf(*answer);
    return answer;
}

} // namespace tc::ui
