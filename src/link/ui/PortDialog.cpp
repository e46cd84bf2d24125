#include "link/ui/PortDialog.h"

#include "common/Error.h"
#include "link/ui/PasswordDialog.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tc::ui {

PortDialog::PortDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QTr("Выбор номера порта", "Port number selection"));
    prompt = new QLabel(QTr("Выберите последовательный порт", "Select serial port"), this);
    prompt->setWordWrap(true);
    portList = new QComboBox(this);
    portList->setObjectName(QStringLiteral("portList"));
    portList->setEditable(false);
    portList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QTr("Отмена", "Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The list shows the device behind each number, so it is wider than the
    // bare "COMn" list would need.
    prompt->setGeometry(8, 8, 201, 34);
    portList->setGeometry(224, 8, 105, 24);
    ok->setGeometry(152, 48, 80, 27);
    cancel->setGeometry(244, 48, 80, 27);
    setMinimumSize(337, 85);
    portList->setFocus();
}

QString PortEntryText(int n, const QString& path, const QString& resolved)
{
    static const QString byId = QStringLiteral("/dev/serial/by-id/");
    if (path.startsWith(byId) && !resolved.isEmpty() && resolved != path)
        return QStringLiteral("COM%1 — %2 (%3)").arg(n).arg(resolved, path.mid(byId.size()));
    return QStringLiteral("COM%1 — %2").arg(n).arg(path);
}

void PortDialog::Fill(const SerialPort& port)
{
    portList->clear();
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (!port.FreePorts[static_cast<std::size_t>(n)])
            continue;
        const QString path = QString::fromStdString(port.PortPath(n));
        portList->addItem(QStringLiteral("COM%1").arg(n), n);
        portList->setItemData(portList->count() - 1, path, Qt::ToolTipRole);
        if (!path.isEmpty())
            portList->setItemText(portList->count() - 1, PortEntryText(n, path, QFileInfo(path).canonicalFilePath()));
        if (static_cast<std::uint32_t>(n) == port.PortNumber)
            portList->setCurrentIndex(portList->count() - 1);
    }
    if (portList->findData(static_cast<int>(port.PortNumber)) < 0)
        portList->setCurrentIndex(-1);
    // Grow the window so that the device names can be read.
    const int listWidth = std::max(105, portList->sizeHint().width());
    portList->setGeometry(224, 8, listWidth, 24);
    setFixedSize(std::max(337, 224 + listWidth + 8), 85);
}

int PortDialog::SelectedNumber() const
{
    return portList->currentIndex() < 0 ? 0 : portList->currentData().toInt();
}

void SelectPortNumber(SerialPort& port, QWidget* parent, const std::function<bool(PortDialog&)>& runDialog)
{
    if (!CheckAccess())
        return;
    port.ClosePort();
    port.ScanPorts();
    if (port.FreePortCount == 0) {
        ShowError(QString::fromUtf8(kNoFreePortText));
        return;
    }
    PortDialog dialog(parent);
    dialog.Fill(port);
    const bool ok = runDialog ? runDialog(dialog) : dialog.exec() == QDialog::Accepted;
    // OK with nothing selected keeps the current port, like Cancel.
    if (ok && dialog.SelectedNumber() > 0)
        port.PortNumber = static_cast<std::uint32_t>(dialog.SelectedNumber());
    port.ClosePort();
    try {
        port.OpenPort(static_cast<int>(port.PortNumber));
    } catch (const Error&) {
        // The port is only tried here; the next transfer reports a failure.
    }
}

} // namespace tc::ui
