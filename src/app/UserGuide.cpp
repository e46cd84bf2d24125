#include "app/UserGuide.h"

#include "ui/Text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tc::ui {

QDialog* MakeUserGuide(QWidget* parent)
{
    auto* dialog = new QDialog(parent, Qt::Window);
    dialog->setObjectName(QStringLiteral("userGuide"));
    dialog->setWindowTitle(QTr("Руководство пользователя", "User's guide"));
    auto* browser = new QTextBrowser(dialog);
    browser->setObjectName(QStringLiteral("guideText"));
    browser->setOpenExternalLinks(true);
    // The pictures lie beside the text in the program's resources.
    browser->setSource(QUrl(QTr("qrc:/guide/guide-ru.md", "qrc:/guide/guide-en.md")), QTextDocument::MarkdownResource);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(browser, 1);
    layout->addWidget(buttons);
    dialog->resize(760, 560);
    return dialog;
}

void ShowUserGuide(QWidget* parent)
{
    QDialog* dialog = MakeUserGuide(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace tc::ui
