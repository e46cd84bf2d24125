// The port layer: COM numbering, free ports, opening with the line format and
// the ini settings, on a fake set of serial devices.
#include "LinkTestSupport.h"

#include "common/Error.h"
#include "link/DeviceLink.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <numeric>
#include <thread>
#include <vector>
#endif

namespace tc {
namespace {

using test::FakePorts;

std::shared_ptr<FakePorts> ThreePorts()
{
    auto ports = std::make_shared<FakePorts>();
    ports->Add("/dev/ttyS0");
    ports->Add("/dev/ttyS1", {}, /*busy=*/true);
    ports->Add("/dev/serial/by-id/usb-FTDI_A1");
    return ports;
}

TEST(PortLayer, ScanNumbersDevicesAndFindsFreeOnes)
{
    auto ports = ThreePorts();
    DeviceLink link(ports, ports->clock);
    EXPECT_EQ(link.SectionName, "RS232");
    EXPECT_EQ(link.FreePortCount, 2u);
    EXPECT_TRUE(link.FreePorts[1]);
    EXPECT_FALSE(link.FreePorts[2]);
    EXPECT_TRUE(link.FreePorts[3]);
    EXPECT_EQ(link.FirstFreePort(), 1);
    EXPECT_EQ(link.PortNumber, 1u);
    EXPECT_EQ(link.PortPath(3), "/dev/serial/by-id/usb-FTDI_A1");
    EXPECT_EQ(link.PortPath(33), "");

    // Only 32 numbers exist.
    for (int i = 0; i < 40; ++i)
        ports->Add("/dev/ttyUSB" + std::to_string(i));
    EXPECT_EQ(link.ScanPorts(), 31);
    EXPECT_FALSE(link.PortExists(33));
    EXPECT_EQ(link.PortPath(32), "/dev/ttyUSB28");
}

TEST(PortLayer, OpenAppliesTheLineFormatAndFallsBackToTheLowestFreePort)
{
    auto ports = ThreePorts();
    DeviceLink link(ports, ports->clock);
    link.SetBaudRate(57600); // closed: recorded for the next open
    EXPECT_FALSE(link.IsOpen());
    link.OpenPort(2, Language::Russian); // busy: the lowest free port instead
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.Opened);
    EXPECT_EQ(link.PortNumber, 1u);
    EXPECT_EQ(ports->lastOpened, "/dev/ttyS0");
    ASSERT_FALSE(ports->log->lines.empty());
    const LineSettings& line = ports->log->lines.back();
    EXPECT_EQ(line.baudRate, 57600u);
    EXPECT_EQ(line.byteSize, 8);
    EXPECT_EQ(line.parity, 0);
    EXPECT_EQ(line.stopBits, 2);
    EXPECT_TRUE(ports->log->dtr);
    EXPECT_GE(ports->log->purgedInput, 1);

    link.OpenPort(0, Language::Russian); // nothing happens
    EXPECT_EQ(link.PortNumber, 1u);
    link.OpenPort(40, Language::Russian); // beyond COM32: like a port that is not free
    EXPECT_EQ(link.PortNumber, 1u);
    link.OpenPort(3, Language::Russian);
    EXPECT_EQ(ports->lastOpened, "/dev/serial/by-id/usb-FTDI_A1");

    link.ScanPorts(); // a held port is released first
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(link.FreePorts[3]);
}

TEST(PortLayer, NoFreePortLeavesNumberZeroAndOpeningSaysSo)
{
    auto ports = std::make_shared<FakePorts>();
    ports->Add("/dev/ttyS0", {}, true);
    DeviceLink link(ports, ports->clock);
    EXPECT_EQ(link.PortNumber, 0u);
    EXPECT_EQ(link.FreePortCount, 0u);
    try {
        link.OpenPort(1, Language::Russian);
        ADD_FAILURE() << "opened a port that is not free";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can not find free serial port!");
    }
    EXPECT_FALSE(link.IsOpen());
    link.OpenPort(0, Language::Russian); // nothing asked, nothing said
}

TEST(PortLayer, IniBringsTheSameAdapterBack)
{
    auto ports = ThreePorts();
    test::MemoryIni ini;
    {
        DeviceLink link(ports, ports->clock);
        link.OpenPort(3, Language::Russian);
        link.ClosePort();
        link.SaveSettings(ini);
    }
    EXPECT_EQ(ini.values["RS232/Port"], "3");
    EXPECT_EQ(ini.values["RS232/Device"], "/dev/serial/by-id/usb-FTDI_A1");

    // Another adapter appears before it: the number moves, the adapter stays.
    ports->order.insert(ports->order.begin() + 2, "/dev/serial/by-id/usb-Prolific_B2");
    ports->ports["/dev/serial/by-id/usb-Prolific_B2"] = {};
    DeviceLink again(ports);
    again.LoadSettings(ini, Language::Russian);
    EXPECT_EQ(again.PortNumber, 4u);
    EXPECT_EQ(ports->lastOpened, "/dev/serial/by-id/usb-FTDI_A1");
    EXPECT_FALSE(again.ClassicTiming);
    ini.values["RS232/ClassicTiming"] = "1";
    again.LoadSettings(ini, Language::Russian);
    EXPECT_TRUE(again.ClassicTiming);

    // A device that is gone: the stored number, or the lowest free port.
    test::MemoryIni stale;
    stale.values["RS232/Port"] = "2";
    stale.values["RS232/Device"] = "/dev/ttyUSB9";
    DeviceLink third(ports);
    third.LoadSettings(stale, Language::Russian);
    EXPECT_EQ(third.PortNumber, 1u);
    stale.values["RS232/Port"] = "0";
    third.PortNumber = 3;
    third.LoadSettings(stale, Language::Russian);
    EXPECT_EQ(third.PortNumber, 3u);
}

TEST(PortLayer, ExplicitDevicePathGetsTheNextNumber)
{
    auto ports = ThreePorts();
    ports->Add("/tmp/sim/link", {}, false, /*listed=*/false);
    DeviceLink link(ports, ports->clock);
    EXPECT_EQ(link.AddDevicePath("/tmp/nowhere"), 0);
    const int n = link.AddDevicePath("/tmp/sim/link");
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(link.FreePorts[4]);
    EXPECT_EQ(link.AddDevicePath("/tmp/sim/link"), 4); // not twice
    test::MemoryIni ini;
    link.PortNumber = 4;
    link.SaveSettings(ini);
    DeviceLink next(ports);
    next.LoadSettings(ini, Language::Russian);
    EXPECT_EQ(next.PortNumber, 4u);
    EXPECT_EQ(ports->lastOpened, "/tmp/sim/link");
}

#ifndef _WIN32
// The system's channel takes what the line holds in one read and hands it out
// in order, however the link asks for it; purging the input drops what it
// holds too.
TEST(PortLayer, SystemChannelHandsOutWhatItReadAheadInOrder)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    auto channel = DefaultPortSystem()->Open(ptsname(master));
    ASSERT_TRUE(channel);
    channel->ApplyLine({});
    std::vector<std::uint8_t> sent(50);
    std::iota(sent.begin(), sent.end(), std::uint8_t{1});
    ASSERT_EQ(write(master, sent.data(), sent.size()), 50);
    std::vector<std::uint8_t> got(100);
    ASSERT_EQ(channel->Read(std::span(got).first(4), std::chrono::milliseconds(500)), 4u);
    std::size_t have = 4;
    while (have < 50) {
        const std::size_t n = channel->Read(std::span(got).subspan(have), std::chrono::milliseconds(500));
        ASSERT_GT(n, 0u);
        have += n;
    }
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), got.begin()));
    ASSERT_EQ(write(master, sent.data(), 10), 10);
    ASSERT_EQ(channel->Read(std::span(got).first(3), std::chrono::milliseconds(500)), 3u);
    EXPECT_EQ(got[0], 1);
    channel->PurgeInput();
    EXPECT_EQ(channel->Read(got, std::chrono::microseconds::zero()), 0u);
    // A look without waiting takes what has reached the port (the terminal
    // layer hands it over on its own time, so it is looked for a while).
    ASSERT_EQ(write(master, sent.data(), 5), 5);
    std::size_t seen = 0;
    for (int look = 0; look < 500 && seen < 5; ++look) {
        seen += channel->Read(std::span(got).subspan(seen), std::chrono::microseconds::zero());
        if (seen < 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(seen, 5u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 5, got.begin()));
    // A line whose other end hung up reads as a silent one.
    close(master);
    EXPECT_EQ(channel->Read(got, std::chrono::milliseconds(20)), 0u);
    EXPECT_EQ(channel->Read(got, std::chrono::microseconds::zero()), 0u);
    channel.reset();
}
#endif

} // namespace
} // namespace tc
