// The Win32 backend's names and refusals, under wine without any port: the
// COM numbers are the ports' own, every spelling of a port is one port, and a
// port that is missing or no serial port is refused with the Linux texts.
// (Reads and writes through a real COM port: scripts/windows.sh.)
#include "common/Language.h"
#include "link/ByteChannel.h"
#include "link/SerialPort.h" // kMaxPortNumber

#include <gtest/gtest.h>

namespace tc {
namespace {

TEST(WinSerial, PortsAreNumberedByTheirOwnNumbers)
{
    const auto ports = DefaultPortSystem();
    const auto devices = ports->ListDevices();
    ASSERT_EQ(devices.size(), static_cast<std::size_t>(kMaxPortNumber));
    for (int n = 1; n <= kMaxPortNumber; ++n)
        EXPECT_EQ(devices[static_cast<std::size_t>(n - 1)], "COM" + std::to_string(n));
    for (const char* name : {"COM7", "com7", "\\\\.\\COM7", "\\\\?\\com7", "//./COM7"})
        EXPECT_EQ(ports->Canonical(name), "COM7") << name;
    for (const char* name : {"COM", "COMX", "LPT1", "C:\\file.qvetp", "COM1234567", ""})
        EXPECT_EQ(ports->Canonical(name), name) << name;
}

TEST(WinSerial, MissingPortsAndOtherNamesAreRefused)
{
    const auto ports = DefaultPortSystem();
    for (const char* name : {"COM31", "\\\\.\\COM32"}) { // no wine prefix of the tests maps these
        EXPECT_FALSE(ports->Exists(name)) << name;
        EXPECT_FALSE(ports->Probe(name)) << name;
        std::string refusal;
        EXPECT_EQ(ports->OpenOrSayWhy(name, Language::English, refusal), nullptr) << name;
        EXPECT_EQ(refusal.rfind(std::string("Cannot open port ") + name + ": ", 0), 0u) << refusal;
    }
    for (const char* name : {"NUL", "C:\\windows\\win.ini", "LPT1"}) {
        EXPECT_FALSE(ports->Probe(name)) << name;
        std::string refusal;
        EXPECT_EQ(ports->OpenOrSayWhy(name, Language::English, refusal), nullptr) << name;
        EXPECT_EQ(refusal, NotSerialDeviceText(name, Language::English));
    }
}

} // namespace
} // namespace tc
