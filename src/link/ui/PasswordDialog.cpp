#include "link/ui/PasswordDialog.h"

#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace tc::ui {

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QTr("Контроль доступа", "Access control"));
    prompt = new QLabel(QTr("Указанные изменения могут быть произведены только после верного ввода пароля:",
                             "These changes can be made only after the right password has been entered:"),
                         this);
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setWordWrap(true);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit->setMaxLength(10);
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,10}")), passwordEdit));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QTr("Отмена", "Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // The drawn design (a 233 x 139 window) in proportion to the font; a longer prompt wraps.
    const int line = fontMetrics().height();
    prompt->setMinimumWidth(line * 16);
    passwordEdit->setMinimumWidth(line * 9);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(passwordEdit, 0, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    passwordEdit->setFocus();
}

bool AskPassword(const QString& prompt, const QString& password)
{
    PasswordDialog dialog;
    dialog.prompt->setText(prompt);
    const QString typed = dialog.exec() == QDialog::Accepted ? dialog.passwordEdit->text() : QString();
    return typed == password;
}

bool CheckAccess(AccessGrant& access)
{
    if (access.granted)
        return true;
    if (AskPassword(QTr("Данная команда будет выполняться только после ввода пароля!", "This command is carried out only after the password has been entered!"),
                    QStringLiteral("QZX"))) {
        access.granted = true;
        return true;
    }
    ShowError(QTr("Неверный пароль!", "Wrong password!"));
    return false;
}

} // namespace tc::ui
