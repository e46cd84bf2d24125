#pragma once
// The one path of every window's message boxes and file questions: the
// main window, the port dialogs, the journal viewer and the editor all ask
// through these functions; tests replace the handler to answer without a
// modal loop.
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace tc::ui {

enum class Answer { Yes, No, Cancel };

struct FileQuestion {
    bool save = false;     // save dialog (else open)
    QString title;
    QString folder;        // start folder
    QString filter;        // "Файлы настроек (*.qvetg)"
    QString defaultSuffix; // appended to a name typed without one
};

// A yes/no question about a list too long for a message box: the rows are
// shown in a table that scrolls, with a note under it.
struct TableQuestion {
    QString intro;      // above the table
    QStringList headers;
    QList<QStringList> rows;
    QString note;       // under the table, may be empty
    QString question;   // the question the buttons answer; empty: a table only to be read, with a Close button (answered No)
};

struct Prompter {
    std::function<void(const QString&)> showError;
    std::function<void(const QString&)> showInfo;
    std::function<Answer(const QString&)> askYesNo;
    // Yes, No or Cancel; unset, the question is asked as askYesNo.
    std::function<Answer(const QString&)> askYesNoCancel;
    std::function<Answer(const TableQuestion&)> askTable;
    // A table question with its own buttons: the index of the one pressed;
    // Esc or closing the dialog answers `escape`, which is also the default.
    // Unset, it is asked as askTable (Yes the first button, No `escape`).
    std::function<int(const TableQuestion&, const QStringList& buttons, int escape)> askTableChoice;
    // A question with its own buttons: the index of the one pressed; Esc or
    // closing the box answers `escape`.
    std::function<int(const QString& text, const QStringList& buttons, int escape)> askChoice;
    // Returns the chosen file name, or nullopt when the user cancels.
    std::function<std::optional<QString>(const FileQuestion&)> askFile;
};

// The real message boxes and file dialogs, parented to the active window.
Prompter DesktopPrompter();
// Replaces the handler for the whole process; returns the previous one.
Prompter SetPrompter(Prompter prompter);

// The application title shown in every box.
QString ApplicationTitle();

void ShowError(const QString& text);
// The one way a window tells of a failed action: a tc::Error shows its own
// (user) text; any other exception is a fault of the program and is shown
// as one (InternalErrorText). Both go through ShowError.
QString FailureText(const std::exception& failure);
void ShowFailure(const std::exception& failure);
// Runs one user action; its failure, if any, is shown by ShowFailure. True when it ran through.
template <typename Action>
bool ReportFailure(Action&& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ShowFailure(e);
        return false;
    }
}
void ShowInfo(const QString& text);
Answer AskYesNo(const QString& text); // closing the box counts as No
Answer AskYesNoCancel(const QString& text); // Esc and closing the box count as Cancel
Answer AskTable(const TableQuestion& question); // closing the dialog counts as No
int AskTableChoice(const TableQuestion& question, const QStringList& buttons, int escape);
int AskChoice(const QString& text, const QStringList& buttons, int escape); // the first button is the default
std::optional<QString> AskFile(const FileQuestion& question);
// The dialog AskTable shows (for pictures of it): Yes accepts, No rejects.
// With buttons, those instead: button i ends the dialog with kFirstChoice + i,
// and the escape button (also the default) rejects it.
QDialog* MakeTableQuestionDialog(const TableQuestion& question, QWidget* parent, const QStringList& buttons = {}, int escape = -1);
constexpr int kFirstChoice = 100;

} // namespace tc::ui
