#pragma once
// TProgressForm: the small window shown during a device transfer, with its
// label, gauge and the Cancel button of the connect phase.
#include "link/Transfers.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tc::ui {

class TProgressForm : public QDialog, public TTransferObserver {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent);

    QLabel* ProgressLabel = nullptr;
    QProgressBar* ProgressGauge = nullptr;
    QPushButton* BitBtn1 = nullptr;
    bool Cancelled = false;

    // TTransferObserver
    void Phase(TransferPhase phase) override;
    void Progress(int percent) override;
    bool CancelRequested() override;
    void ProcessEvents() override;

signals:
    void Progressed(int percent);

protected:
    void reject() override;          // Escape presses Cancel while it is shown
    void closeEvent(QCloseEvent* event) override;

private:
    void BitBtn1Click();
};

} // namespace tc::ui
