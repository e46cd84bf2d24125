#include "app/Progress.h"

#include "common/Language.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tc::ui {

TProgressForm::TProgressForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
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
    connect(BitBtn1, &QPushButton::clicked, this, &TProgressForm::BitBtn1Click);

    if (parent) {
        const QRect area = parent->geometry();
        move(area.center() - rect().center());
    }
}

void TProgressForm::BitBtn1Click()
{
    Cancelled = true;
}

void TProgressForm::reject()
{
    if (BitBtn1->isVisible())
        BitBtn1Click();
}

void TProgressForm::closeEvent(QCloseEvent* event)
{
    // The window ends with its transfer; closing it asks for a cancel where one is possible.
    reject();
    event->ignore();
}

void TProgressForm::Phase(TransferPhase phase)
{
    ProgressLabel->setText(QString::fromStdString(PhaseText(phase)));
    const bool connecting = phase == TransferPhase::Connecting;
    BitBtn1->setVisible(connecting);
    ProgressGauge->setVisible(!connecting);
    ProgressGauge->setValue(0);
    ProcessEvents();
}

void TProgressForm::Progress(int percent)
{
    ProgressGauge->setValue(percent);
    emit Progressed(percent);
}

bool TProgressForm::CancelRequested()
{
    return Cancelled;
}

void TProgressForm::ProcessEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tc::ui
