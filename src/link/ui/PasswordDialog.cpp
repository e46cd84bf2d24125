#include "link/ui/PasswordDialog.h"

#include "app/Messages.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace tc::ui {

bool AccessGranted = false;

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Контроль доступа"));
    setFixedSize(233, 139);
    Label1 = new QLabel(QStringLiteral("Указанные изменения могут быть произведены только после верного ввода пароля:"), this);
    Label1->setGeometry(8, 9, 217, 39);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    MaskEdit1 = new QLineEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setGeometry(53, 64, 128, 24);
    MaskEdit1->setMaxLength(10);
    MaskEdit1->setEchoMode(QLineEdit::Password);
    MaskEdit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,10}")), MaskEdit1));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(18, 99, 77, 27);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(130, 99, 77, 27);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    MaskEdit1->setFocus();
}

bool AskPassword(const QString& prompt, const QString& password)
{
    PasswordDialog dialog;
    dialog.Label1->setText(prompt);
    const QString typed = dialog.exec() == QDialog::Accepted ? dialog.MaskEdit1->text() : QString();
    return typed == password;
}

bool CheckAccess()
{
    if (AccessGranted)
        return true;
    if (AskPassword(QStringLiteral("Данная команда будет выполняться только после ввода пароля!"), QStringLiteral("QZX"))) {
        AccessGranted = true;
        return true;
    }
    ShowError(QStringLiteral("Неверный пароль!"));
    return false;
}

} // namespace tc::ui
