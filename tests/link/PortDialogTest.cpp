// The port-number dialog and the access gate.
#include "link/DeviceLink.h"
#include "link/ui/PasswordDialog.h"
#include "link/ui/PortDialog.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <set>

using namespace tc;
using namespace tc::ui;

namespace {

class NullChannel final : public ByteChannel {
public:
    std::uint32_t ApplyLine(const LineSettings& l) override { return l.baudRate; }
    void Write(std::span<const std::uint8_t>) override {}
    std::size_t Read(std::span<std::uint8_t>, std::chrono::microseconds) override { return 0; }
    void PurgeInput() override {}
    void PurgeOutput() override {}
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
};

// Twelve serial devices; only some of them are free.
class SomeFreePorts final : public PortSystem {
public:
    explicit SomeFreePorts(std::set<int> free) : free_(std::move(free)) {}
    std::vector<std::string> ListDevices() override
    {
        std::vector<std::string> all;
        for (int n = 1; n <= 12; ++n)
            all.push_back("/dev/ttyFAKE" + std::to_string(n));
        return all;
    }
    bool Exists(const std::string& path) override { return path.rfind("/dev/ttyFAKE", 0) == 0; }
    bool Probe(const std::string& path) override { return free_.count(std::stoi(path.substr(12))) > 0; }
    std::unique_ptr<ByteChannel> Open(const std::string& path) override
    {
        opened.push_back(path);
        return Probe(path) ? std::make_unique<NullChannel>() : nullptr;
    }
    std::vector<std::string> opened;

private:
    std::set<int> free_;
};

} // namespace

class PortDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { access_ = AccessGrant{true}; }

    void listsTheFreePortsWithTheCurrentOneSelected()
    {
        auto ports = std::make_shared<SomeFreePorts>(std::set<int>{1, 3, 7, 12});
        DeviceLink link(ports);
        link.PortNumber = 3;
        QStringList entries;
        QString selected, caption, label;
        SelectPortNumber(link, access_, nullptr, [&](PortDialog& dlg) {
            for (int i = 0; i < dlg.portList->count(); ++i)
                entries << dlg.portList->itemText(i).section(QChar(' '), 0, 0);
            selected = dlg.portList->currentText();
            caption = dlg.windowTitle();
            label = dlg.prompt->text();
            dlg.portList->setCurrentIndex(3); // COM12
            return true;
        });
        QCOMPARE(entries, (QStringList{"COM1", "COM3", "COM7", "COM12"}));
        QVERIFY(selected.startsWith("COM3 "));
        QVERIFY(selected.contains("/dev/ttyFAKE3")); // the device behind the number is shown
        // Russian by default; English texts only in English mode (checked by the language walk).
        QCOMPARE(caption, QStringLiteral("Выбор номера порта"));
        QCOMPARE(label, QStringLiteral("Выберите последовательный порт"));
        QCOMPARE(link.PortNumber, 12u);
        QCOMPARE(ports->opened.back(), std::string("/dev/ttyFAKE12")); // opened once on the choice
    }

    // An adapter's by-id name is shown beside the device it links to.
    void anAdapterShowsItsDeviceAndItsName()
    {
        QCOMPARE(PortEntryText(2, "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "/dev/ttyUSB0"),
                 QStringLiteral("COM2 — /dev/ttyUSB0 (usb-FTDI_FT232R_A1-if00-port0)"));
        QCOMPARE(PortEntryText(1, "/dev/ttyS0", "/dev/ttyS0"), QStringLiteral("COM1 — /dev/ttyS0"));
        QCOMPARE(PortEntryText(3, "/dev/serial/by-id/gone", ""), QStringLiteral("COM3 — /dev/serial/by-id/gone")); // a link that went away
    }

    void cancelKeepsThePortNumber()
    {
        auto ports = std::make_shared<SomeFreePorts>(std::set<int>{2, 5});
        DeviceLink link(ports);
        link.PortNumber = 5;
        SelectPortNumber(link, access_, nullptr, [](PortDialog& dlg) {
            dlg.portList->setCurrentIndex(0);
            return false;
        });
        QCOMPARE(link.PortNumber, 5u);
    }

    void noFreePortIsReported()
    {
        auto ports = std::make_shared<SomeFreePorts>(std::set<int>{});
        DeviceLink link(ports);
        QStringList errors;
        Prompter p = DesktopPrompter();
        p.showError = [&](const QString& t) { errors << t; };
        const Prompter old = SetPrompter(p);
        bool shown = false;
        SelectPortNumber(link, access_, nullptr, [&](PortDialog&) { return shown = true; });
        SetPrompter(old);
        QVERIFY(!shown);
        QCOMPARE(errors, QStringList{"Can not find free serial port!"});
    }

    // The gate asks until the right password is typed; the grant, held by
    // its owner, then lets every later choice through without asking.
    void theGateAsksUntilGrantedAndTheGrantStays()
    {
        auto ports = std::make_shared<SomeFreePorts>(std::set<int>{2});
        DeviceLink link(ports);
        AccessGrant access;
        QStringList errors, asked;
        Prompter p = DesktopPrompter();
        p.showError = [&](const QString& t) { errors << t; };
        const Prompter old = SetPrompter(p);
        int shown = 0;
        const auto choose = [&](const QString& typed) {
            // Types into the password dialog once it is up (none typed: none expected).
            if (!typed.isNull())
                QTimer::singleShot(0, [&asked, typed] {
                    for (QWidget* w : QApplication::topLevelWidgets())
                        if (auto* dialog = qobject_cast<PasswordDialog*>(w); dialog && dialog->isVisible()) {
                            asked << typed;
                            dialog->passwordEdit->setText(typed);
                            dialog->accept();
                        }
                });
            SelectPortNumber(link, access, nullptr, [&](PortDialog&) { return ++shown > 0; });
        };
        choose(QStringLiteral("qzx"));
        QCOMPARE(shown, 0);
        QVERIFY(!access.granted);
        QCOMPARE(errors, QStringList{QStringLiteral("Неверный пароль!")});
        choose(QStringLiteral("QZX"));
        QCOMPARE(shown, 1);
        QVERIFY(access.granted);
        choose(QString());
        SetPrompter(old);
        QCOMPARE(shown, 2);
        QCOMPARE(asked, (QStringList{"qzx", "QZX"}));
    }

private:
    AccessGrant access_;
};

QTEST_MAIN(PortDialogTest)
#include "PortDialogTest.moc"
