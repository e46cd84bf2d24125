#pragma once
// ProgressWindow: the small window shown during a device transfer, with its
// label, gauge and the Cancel button of the connect phase.
#include "link/Transfers.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tc::ui {

class ProgressWindow : public QDialog, public TransferObserver {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent);

    QLabel* phaseLabel = nullptr;
    QProgressBar* gauge = nullptr;
    QPushButton* cancelButton = nullptr;
    bool Cancelled = false;
    // Where the running write kept the device's previous settings.
    std::string RestorePoint;
    // The block or section that failed last, as the transfer named it.
    std::string LastFailure;

    // TransferObserver
    void Phase(TransferPhase phase) override;
    void Progress(int percent) override;
    bool CancelRequested() override;
    void ProcessEvents() override;
    void RestorePointSaved(const std::string& path) override { RestorePoint = path; }
    // Asks the user "Continue?" under the text naming the block or section.
    bool ContinueAfterFailure(const std::string& text) override;

    // Whether Cancel can stop the transfer now: while connecting and reading
    // (a read goes into a separate image; a write's restore-point read
    // writes nothing), never once a write sent its first section.
    bool CanCancel() const { return !writing_; }
    // The main window was closed: a transfer that can be cancelled is; a
    // write is waited for, and the window says so.
    void RequestStop();

signals:
    void Progressed(int percent);

protected:
    void reject() override;          // Escape presses Cancel while it is shown
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel();
    bool writing_ = false;  // a write sent (or is sending) its sections
    bool connecting_ = true;
};

} // namespace tc::ui
