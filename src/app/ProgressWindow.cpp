#include "app/ProgressWindow.h"

#include "common/Language.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tc::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Progress..."));
    setFixedSize(261, 113);
    setModal(false);

    ProgressLabel = new QLabel(QStringLiteral("Прогресс"), this);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    ProgressLabel->setGeometry(0, 0, 261, 41);
    ProgressLabel->setAlignment(Qt::AlignCenter);
    ProgressLabel->setWordWrap(true);

    ProgressGauge = new QProgressBar(this);
    ProgressGauge->setObjectName(QStringLiteral("ProgressGauge"));
    ProgressGauge->setGeometry(21, 48, 220, 25);
    ProgressGauge->setRange(0, 100);
    ProgressGauge->setValue(0);
    ProgressGauge->setTextVisible(true);
    ProgressGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #1e50c8; }"));

    BitBtn1 = new QPushButton(Tr("Отмена", "Cancel").c_str(), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(75, 80, 111, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &ProgressWindow::BitBtn1Click);

    if (parent) {
        const QRect area = parent->geometry();
        move(area.center() - rect().center());
    }
}

void ProgressWindow::BitBtn1Click()
{
    Cancelled = true;
}

void ProgressWindow::reject()
{
    if (BitBtn1->isVisible())
        BitBtn1Click();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    // The window ends with its transfer; closing it asks for a cancel where one is possible.
    reject();
    event->ignore();
}

void ProgressWindow::Phase(TransferPhase phase)
{
    ProgressLabel->setText(QString::fromStdString(PhaseText(phase)));
    const bool connecting = phase == TransferPhase::Connecting;
    BitBtn1->setVisible(connecting);
    ProgressGauge->setVisible(!connecting);
    ProgressGauge->setValue(0);
    ProcessEvents();
}

void ProgressWindow::Progress(int percent)
{
    ProgressGauge->setValue(percent);
    emit Progressed(percent);
}

bool ProgressWindow::CancelRequested()
{
    return Cancelled;
}

void ProgressWindow::ProcessEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tc::ui
