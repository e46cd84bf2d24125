#include "app/ProgressWindow.h"

#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tc::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QTr("Прогресс...", "Progress..."));
    setFixedSize(261, 113);
    setModal(false);

    phaseLabel = new QLabel(QTr("Прогресс", "Progress"), this);
    phaseLabel->setObjectName(QStringLiteral("phaseLabel"));
    phaseLabel->setGeometry(0, 0, 261, 41);
    phaseLabel->setAlignment(Qt::AlignCenter);
    phaseLabel->setWordWrap(true);

    gauge = new QProgressBar(this);
    gauge->setObjectName(QStringLiteral("gauge"));
    gauge->setGeometry(21, 48, 220, 25);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    gauge->setTextVisible(true);
    gauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #1e50c8; }"));

    cancelButton = new QPushButton(QTr("Отмена", "Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setGeometry(75, 80, 111, 25);
    connect(cancelButton, &QPushButton::clicked, this, &ProgressWindow::cancel);

    if (parent) {
        const QRect area = parent->geometry();
        move(area.center() - rect().center());
    }
}

void ProgressWindow::cancel()
{
    Cancelled = true;
}

void ProgressWindow::reject()
{
    if (cancelButton->isVisible())
        cancel();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    // The window ends with its transfer; closing it asks for a cancel where one is possible.
    reject();
    event->ignore();
}

void ProgressWindow::Phase(TransferPhase phase)
{
    phaseLabel->setText(ToQ(PhaseText(phase)));
    const bool connecting = phase == TransferPhase::Connecting;
    cancelButton->setVisible(connecting);
    gauge->setVisible(!connecting);
    gauge->setValue(0);
    ProcessEvents();
}

void ProgressWindow::Progress(int percent)
{
    gauge->setValue(percent);
    emit Progressed(percent);
}

bool ProgressWindow::CancelRequested()
{
    return Cancelled;
}

bool ProgressWindow::ContinueAfterFailure(const std::string& text)
{
    return AskYesNo(ToQ(text) + QStringLiteral("\n\n") + QTr("Продолжить?", "Continue?")) == Answer::Yes;
}

void ProgressWindow::ProcessEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tc::ui
