#include "link/ui/PortDialog.h"

#include "common/Error.h"
#include "link/ui/PasswordDialog.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QGridLayout>
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
    // The prompt beside the list, the buttons under the list; the window
    // takes what its texts and the list's device names need.
    const int line = fontMetrics().height();
    prompt->setMinimumWidth(line * 14);
    portList->setMinimumWidth(line * 7);
    auto* layout = new QGridLayout(this);
    layout->addWidget(prompt, 0, 0);
    layout->addWidget(portList, 0, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 1, 0, 1, 2);
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
    // The window grows so that the device names can be read.
    portList->updateGeometry();
    adjustSize();
}

int PortDialog::SelectedNumber() const
{
    return portList->currentIndex() < 0 ? 0 : portList->currentData().toInt();
}

void SelectPortNumber(SerialPort& port, AccessGrant& access, QWidget* parent, const std::function<bool(PortDialog&)>& runDialog)
{
    if (!CheckAccess(access))
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
        port.OpenPort(static_cast<int>(port.PortNumber), WindowLanguage());
    } catch (const Error&) {
        // The port is only tried here; the next transfer reports a failure.
    }
}

} // namespace tc::ui
