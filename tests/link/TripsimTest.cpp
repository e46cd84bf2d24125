// The link against tripsim over a real pseudo-terminal, and the unit's
// timing faults on the virtual clock of an in-process line. Generous reply
// timeouts keep the pseudo-terminal cases reliable on a loaded machine
// (tripconf-cli against tripsim: tests/tools/CliLinkTest.cpp).
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using test::PacedLine;
const TransferTiming kPatient{1000ms, 2000ms};

struct CancelAfter final : TransferObserver {
    int failures;
    int asked = 0;
    explicit CancelAfter(int n = -1) : failures(n) {}
    bool CancelRequested() override { return failures >= 0 && ++asked > failures; }
};

// A link whose only port is the simulator's pty.
std::unique_ptr<DeviceLink> LinkTo(const test::Tripsim& sim)
{
    auto link = std::make_unique<DeviceLink>();
    const int n = link->AddDevicePath(sim.Link());
    if (n == 0)
        throw std::runtime_error("the simulator's pty is not reachable");
    link->PortNumber = static_cast<std::uint32_t>(n);
    return link;
}

TEST(TripsimPty, ReadYieldsTheSimulatorsBlocks)
{
    test::Tripsim sim({"--model", "0xC0DE"});
    auto link = LinkTo(sim);
    SettingsModel model;
    CancelAfter obs(20);
    ASSERT_EQ(ReadDeviceSettings(*link, model, obs, kPatient), TransferResult::Done);
    EXPECT_EQ(model.DeviceModelCode, 0xC0DE);
    const Bytes memory = sim.ReadMemoryFile();
    ASSERT_EQ(memory.size(), 8192u);
    EXPECT_EQ(model.Image, ImageFromMemory(memory));
    EXPECT_TRUE(model.DecodeAll(Language::Russian).empty());
    EXPECT_EQ(GetU32(model.Record(1), 144), 48213u); // the sample journals came along
    EXPECT_FALSE(link->IsOpen());
}

TEST(TripsimPty, WriteThenReadReturnsTheEdits)
{
    test::Tripsim sim({});
    test::TempRestorePoints points;
    auto link = LinkTo(sim);
    SettingsModel model;
    CancelAfter obs(20);
    ASSERT_EQ(ReadDeviceSettings(*link, model, obs, kPatient), TransferResult::Done);
    model.DecodeAll(Language::Russian);
    PutU16(model.Record(3), 0, 1234);
    PutU16(model.Record(7), 0, 305);
    ASSERT_EQ(WriteDeviceSettings(*link, model, obs, points.store, kPatient), TransferResult::Done);

    SettingsModel again;
    ASSERT_EQ(ReadDeviceSettings(*link, again, obs, kPatient), TransferResult::Done);
    again.DecodeAll(Language::Russian);
    EXPECT_EQ(GetU16(again.Record(3), 0), 1234);
    EXPECT_EQ(GetU16(again.Record(7), 0), 305);
    // The simulator saved the written sections.
    EXPECT_EQ(ImageFromMemory(sim.ReadMemoryFile()), again.Image);
}

TEST(LinkFaults, StillReadTheIdenticalImage)
{
    // The unit's faults with the link's own timing, on the virtual clock of
    // an in-process line paced at 115200 baud; one of them on a real
    // pseudo-terminal too (the read on a terminal paces tripsim itself).
    for (const auto& faults :
         {sim::SimFaults{}, sim::SimFaults{.corruptEvery = 5}, sim::SimFaults{.busyEvery = 7}, sim::SimFaults{.noiseEvery = 40}}) {
        PacedLine line(faults);
        SettingsModel model;
        CancelAfter obs(20);
        ASSERT_EQ(ReadDeviceSettings(*line.link, model, obs, kPatient), TransferResult::Done) << faults.corruptEvery << faults.busyEvery;
        EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
    }
    test::Tripsim sim({"--noise-every", "40"});
    auto link = LinkTo(sim);
    SettingsModel model;
    CancelAfter obs(20);
    ASSERT_EQ(ReadDeviceSettings(*link, model, obs, kPatient), TransferResult::Done);
    EXPECT_EQ(model.Image, ImageFromMemory(sim.ReadMemoryFile()));
}

// A real unit answers every request it took off the line, however late. The
// read waits as the window does (100 ms for the first byte).
TEST(PacedLine, LateRepliesGiveTheExactImageOrACleanFailure)
{
    const Bytes memory = test::DistinctMemory();
    PacedLine line({.lateBlocks = {{1, 150ms}, {129, 300ms}, {40, 600ms}, {41, 600ms}, {255, 300ms}}}, memory);
    SettingsModel model;
    LoadReferenceImage(model, 0xC001);
    const Bytes before = model.Image;
    CancelAfter obs(20);
    try {
        ASSERT_EQ(ReadDeviceSettings(*line.link, model, obs), TransferResult::Done);
        EXPECT_EQ(model.Image, ImageFromMemory(memory));
    } catch (const Error& e) {
        ADD_FAILURE() << "the late replies ended the read: " << e.what(); // allowed, but not expected here
        EXPECT_EQ(model.Image, before);
    }
    EXPECT_FALSE(line.link->IsOpen());
}

TEST(PacedLine, SilentDeviceEndsOnlyByCancel)
{
    PacedLine line({.silent = true});
    SettingsModel model;
    CancelAfter obs(2);
    EXPECT_EQ(ReadDeviceSettings(*line.link, model, obs, TransferTiming{100ms, 100ms}), TransferResult::Cancelled);
    EXPECT_EQ(obs.asked, 3);
    EXPECT_FALSE(line.link->IsOpen());
    EXPECT_TRUE(line.link->PortExists(static_cast<int>(line.link->PortNumber))); // released for the next user
}

TEST(PacedLine, StallDuringWriteEndsWithNoLinkAndTheClosedPort)
{
    // Connect + 254 reads, once for the read and once for the write, then a few section commands.
    PacedLine line({.stallAfter = 2 * 255 + 5});
    test::TempRestorePoints points;
    SettingsModel model;
    CancelAfter obs(20);
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, obs, kPatient), TransferResult::Done);
    model.DecodeAll(Language::Russian);
    try {
        WriteOptions every;
        every.allSections = true; // the settings are the device's own
        WriteDeviceSettings(*line.link, model, obs, points.store, TransferTiming{1000ms, 300ms}, every);
        FAIL() << "the stalled write succeeded";
    } catch (const WriteIncomplete& e) {
        // The link's own message first, then what the device now holds:
        // the stall came inside section 1.
        EXPECT_EQ(std::string(e.what()).rfind(kNoLinkText, 0), 0u) << e.what();
        EXPECT_TRUE(e.sectionsWritten.empty()) << e.what();
    }
    EXPECT_FALSE(line.link->IsOpen());
    EXPECT_TRUE(line.link->PortExists(static_cast<int>(line.link->PortNumber)));
}

TEST(TripsimOptions, BadValuesAreRefused)
{
    // Before, a model code of 0x1C000 became 0xFFFF and the simulator served
    // on; the timeout ends such a run with 124 instead of the usage error.
    const std::string folder = test::TempFolder();
    for (const auto& [option, value] : std::vector<std::pair<std::string, std::string>>{
             {"--model", "0x1C000"}, {"--late-block", "256:100"}, {"--late-block", "12"}, {"--late-block", "1:100,2"},
             {"--late-block", "1:99999999"}, {"--noise-every", "x"}, {"--corrupt-rate", "1.5"}, {"--busy-rate", "-0.1"},
             {"--corrupt-rate", "nan"}, {"--busy-rate", "5%"}, {"--seed", "4294967296"},
             {"--duplicate-every", "x"}, {"--pause-after", "3"}, {"--pause-after", "3:99999999"}, {"--spoil-rate", "2"},
             {"--spoil-bytes", "0"}, {"--spoil-bytes", "17"}, {"--spoil-valid", "-0.5"},
             {"--noise-bytes", "0"}, {"--noise-bytes", "65"}}) {
        std::string err;
        EXPECT_EQ(test::RunProgram({"/usr/bin/timeout", "5", TRIPSIM_PATH, "--link", folder + "/link", option, value}, &err), 2)
            << option << " " << value << ": " << err;
        EXPECT_NE(err.find(option), std::string::npos) << err;
    }
    rmdir(folder.c_str());
}

} // namespace
} // namespace tc
