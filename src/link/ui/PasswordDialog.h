#pragma once
// PasswordDialog and the access gate that guards changing the port.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

namespace tc::ui {

extern bool AccessGranted; // once true, stays true for the run

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    QLabel* prompt = nullptr;
    QLineEdit* passwordEdit = nullptr;
};

// Shows the password dialog; true when OK was pressed and the text matches exactly.
bool AskPassword(const QString& prompt, const QString& password);
// True without asking once access was granted; else asks for "QZX".
bool CheckAccess();

} // namespace tc::ui
