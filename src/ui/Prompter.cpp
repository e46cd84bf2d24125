#include "ui/Prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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

Prompter DesktopPrompter()
{
    Prompter p;
    p.showError = [](const QString& text) { QMessageBox::critical(Parent(), ApplicationTitle(), text); };
    p.showInfo = [](const QString& text) { QMessageBox::information(Parent(), ApplicationTitle(), text); };
    p.askYesNo = [](const QString& text) {
        const auto button = QMessageBox::question(Parent(), ApplicationTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
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

void ShowInfo(const QString& text)
{
    Current().showInfo(text);
}

Answer AskYesNo(const QString& text)
{
    return Current().askYesNo(text);
}

std::optional<QString> AskFile(const FileQuestion& question)
{
    return Current().askFile(question);
}

} // namespace tc::ui
