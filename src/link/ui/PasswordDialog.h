#pragma once
// PasswordDialog and the access gate that guards changing the port.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

namespace tc::ui {

// The password step's grant. Its owner (the main window, for the whole
// run) hands it to the steps that ask; once granted it stays granted.
struct AccessGrant {
    bool granted = false;
};

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    QLabel* prompt = nullptr;
    QLineEdit* passwordEdit = nullptr;
};

// Shows the password dialog; true when OK was pressed and the text matches exactly.
bool AskPassword(const QString& prompt, const QString& password);
// True without asking once `access` was granted; else asks for "QZX" and
// grants it when the answer is right.
bool CheckAccess(AccessGrant& access);

} // namespace tc::ui
