#include "app/ProgressWindow.h"

#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QProgressBar>
#include <QPushButton>

namespace tc::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    language = WindowLanguage(); // the transfer's texts too
    setWindowTitle(QTr("Прогресс...", "Progress..."));
    setModal(false);

    phaseLabel = new QLabel(QTr("Прогресс", "Progress"), this);
    phaseLabel->setObjectName(QStringLiteral("phaseLabel"));
    phaseLabel->setAlignment(Qt::AlignCenter);
    phaseLabel->setWordWrap(true);

    gauge = new QProgressBar(this);
    gauge->setObjectName(QStringLiteral("gauge"));
    gauge->setRange(0, 100);
    gauge->setValue(0);
    gauge->setTextVisible(true);
    // Dark text on a light bar and a light chunk: legible in every style.
    gauge->setAlignment(Qt::AlignCenter);
    gauge->setStyleSheet(QStringLiteral("QProgressBar { color: black; background-color: white; border: 1px solid #808080; text-align: center; }"
                                        "QProgressBar::chunk { background-color: #8cb4f0; }"));

    cancelButton = new QPushButton(QTr("Отмена", "Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(cancelButton, &QPushButton::clicked, this, &ProgressWindow::cancel);

    // The drawn design (a 261 x 113 window) in proportion to the font; it grows for longer texts.
    const int line = fontMetrics().height();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(line * 3 / 2, line / 2, line * 3 / 2, line / 2);
    phaseLabel->setMinimumHeight(2 * line + 4);
    gauge->setMinimumWidth(line * 16);
    layout->addWidget(phaseLabel);
    layout->addWidget(gauge);
    layout->addWidget(cancelButton, 0, Qt::AlignHCenter);
    cancelButton->setMinimumWidth(line * 8);

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
    if (CanCancel())
        cancel();
}

void ProgressWindow::RequestStop()
{
    if (CanCancel()) {
        cancel();
        return;
    }
    phaseLabel->setText(QTr("Запись в МК нельзя прервать: окно закроется, когда она закончится.",
                            "A write to the device cannot be stopped: the window closes when it has ended."));
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    // The window ends with its transfer; closing it asks for a cancel where one is possible.
    reject();
    event->ignore();
}

void ProgressWindow::Phase(TransferPhase phase)
{
    phaseLabel->setText(ToQ(PhaseText(phase, language)));
    const bool connecting = phase == TransferPhase::Connecting;
    connecting_ = connecting;
    if (phase == TransferPhase::Writing || phase == TransferPhase::Verifying)
        writing_ = true;
    // Cancel stays for reads; a write loses it with its first section.
    cancelButton->setVisible(CanCancel());
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
    LastFailure = text;
    return AskYesNo(ToQ(text) + QStringLiteral("\n\n") + QTr("Продолжить?", "Continue?")) == Answer::Yes;
}

void ProgressWindow::ProcessEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents);
    // Cancel during a read stops it at once (connecting asks CancelRequested).
    if (Cancelled && CanCancel() && !connecting_)
        throw TransferInterrupted();
}

} // namespace tc::ui
