#pragma once
// PortDialog: chooses the serial port among the free ones, listed
// as "COMn" with the system device behind each number.
#include "link/SerialPort.h"
#include "link/ui/PasswordDialog.h"

#include <QDialog>

class QComboBox;
class QLabel;

namespace tc::ui {

class PortDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortDialog(QWidget* parent = nullptr);
    // Lists the free ports of the last scan and selects the current one.
    void Fill(const SerialPort& port);
    // The COM number of the selected entry, 0 when none is selected.
    int SelectedNumber() const;

    QLabel* prompt = nullptr;
    QComboBox* portList = nullptr;
};

// A port list entry: "COM1 — /dev/ttyS0"; an adapter known by its
// /dev/serial/by-id name (resolved: the device it links to) shows the device
// and the adapter's name: "COM2 — /dev/ttyUSB0 (usb-FTDI_FT232R_A1-if00-port0)".
QString PortEntryText(int n, const QString& path, const QString& resolved);

// The port-number choice: access gate (`access`), scan, dialog; the port is opened once
// on the chosen (or kept) number and left open for the caller to close.
// askDialog runs the dialog (tests replace it); it returns true on OK.
void SelectPortNumber(SerialPort& port, AccessGrant& access, QWidget* parent,
                      const std::function<bool(PortDialog&)>& runDialog = {});

} // namespace tc::ui
