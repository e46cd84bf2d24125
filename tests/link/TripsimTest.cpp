// The link against tripsim over a real pseudo-terminal, and tripconf-cli
// driving it. Generous reply timeouts keep these reliable on a loaded machine.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

#include <unistd.h>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
const TransferTiming kPatient{1000ms, 2000ms};

// The command-line writes these tests start keep their restore points in a
// temporary data folder, never in the user's own.
class TemporaryDataHome final : public ::testing::Environment {
public:
    void SetUp() override { points_.UseAsDataHome(); }

private:
    test::TempRestorePoints points_;
};
[[maybe_unused]] auto* const kDataHome = ::testing::AddGlobalTestEnvironment(new TemporaryDataHome);

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
    EXPECT_TRUE(model.DecodeAll().empty());
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
    model.DecodeAll();
    PutU16(model.Record(3), 0, 1234);
    PutU16(model.Record(7), 0, 305);
    ASSERT_EQ(WriteDeviceSettings(*link, model, obs, points.store, kPatient), TransferResult::Done);

    SettingsModel again;
    ASSERT_EQ(ReadDeviceSettings(*link, again, obs, kPatient), TransferResult::Done);
    again.DecodeAll();
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
        auto device = std::make_shared<sim::SimDevice>(sim::SampleMemory(), 0xC000, faults);
        auto ports = std::make_shared<test::FakePorts>();
        ports->AddTimed("/dev/fake0", test::DeviceResponder(device, device::kCharTime));
        DeviceLink link(ports, ports->clock);
        link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath("/dev/fake0"));
        SettingsModel model;
        CancelAfter obs(20);
        ASSERT_EQ(ReadDeviceSettings(link, model, obs, kPatient), TransferResult::Done) << faults.corruptEvery << faults.busyEvery;
        EXPECT_EQ(model.Image, ImageFromMemory(device->Memory()));
    }
    test::Tripsim sim({"--noise-every", "40"});
    auto link = LinkTo(sim);
    SettingsModel model;
    CancelAfter obs(20);
    ASSERT_EQ(ReadDeviceSettings(*link, model, obs, kPatient), TransferResult::Done);
    EXPECT_EQ(model.Image, ImageFromMemory(sim.ReadMemoryFile()));
}

// The in-process unit behind a line paced at 115200 baud, on the virtual
// clock: the link's real timeouts, no real waits.
struct PacedLine {
    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<test::FakePorts> ports = std::make_shared<test::FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit PacedLine(sim::SimFaults faults, const Bytes& memory = sim::SampleMemory())
        : device(std::make_shared<sim::SimDevice>(memory, 0xC000, std::move(faults)))
    {
        ports->AddTimed("/dev/fake0", test::DeviceResponder(device, device::kCharTime));
        link = std::make_unique<DeviceLink>(ports, ports->clock);
        link->PortNumber = static_cast<std::uint32_t>(link->AddDevicePath("/dev/fake0"));
    }
};

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
    model.DecodeAll();
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
             {"--spoil-bytes", "0"}, {"--spoil-bytes", "17"}, {"--spoil-valid", "-0.5"}}) {
        std::string err;
        EXPECT_EQ(test::RunProgram({"/usr/bin/timeout", "5", TRIPSIM_PATH, "--link", folder + "/link", option, value}, &err), 2)
            << option << " " << value << ": " << err;
        EXPECT_NE(err.find(option), std::string::npos) << err;
    }
    rmdir(folder.c_str());
}

TEST(CliLink, ReadAndWriteThroughTheCommandLine)
{
    test::Tripsim sim({});
    const std::string file = sim.Folder() + "/settings.qvetp";
    std::string err;
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "read", "--port", sim.Link(), "-o", file, "--reply-timeout", "1000"}, &err), 0) << err;
    EXPECT_EQ(err, ""); // no progress where nobody watches
    SettingsModel model;
    ReadSettingsFile(model, file);
    EXPECT_EQ(model.Image, ImageFromMemory(sim.ReadMemoryFile()));

    model.DecodeAll();
    PutU16(model.Record(7), 2, 77);
    model.EncodeSection(7);
    WriteSettingsFile(model, file);
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "write", "--port", sim.Link(), file, "--reply-timeout", "1000"}, &err), 0) << err;
    EXPECT_EQ(err.find(PhaseText(TransferPhase::Writing)), std::string::npos) << err; // only where the restore point is
    SettingsModel device;
    device.Image = ImageFromMemory(sim.ReadMemoryFile());
    device.DecodeAll();
    EXPECT_EQ(GetU16(device.Record(7), 2), 77);
    std::remove(file.c_str());
}

TEST(CliLink, RefusedWriteSendsNothingAndSilenceTimesOut)
{
    test::Tripsim sim({"--model", "0xC001"});
    const Bytes before = sim.ReadMemoryFile();
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    PutU16(model.Record(7), 0, 1);
    model.EncodeSection(7);
    const std::string file = sim.Folder() + "/other.qvetp";
    WriteSettingsFile(model, file);
    std::string err;
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "write", "--port", sim.Link(), file, "--reply-timeout", "1000"}, &err), 1);
    EXPECT_NE(err.find(DeviceVersionMismatchText()), std::string::npos) << err;
    EXPECT_EQ(sim.ReadMemoryFile(), before);
    std::remove(file.c_str());

    test::Tripsim silent({"--silent"});
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "read", "--port", silent.Link(), "-o", silent.Folder() + "/x",
                                "--connect-timeout", "1"},
                               &err),
              1);
    EXPECT_NE(err.find("no reply from the device"), std::string::npos) << err;
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "read", "--port", "COM33", "-o", silent.Folder() + "/y"}, &err), 2) << err;
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "read", "--port", silent.Folder() + "/none", "-o", silent.Folder() + "/y"}, &err), 1) << err;
}

// A section of the file that could not be read leaves its record at the
// defaults; writing it would replace the device's own settings (here its trip
// journal) with them.
TEST(CliLink, FileWithAnUnreadableSectionIsNotWritten)
{
    test::Tripsim sim({});
    const Bytes before = sim.ReadMemoryFile();
    SettingsModel model;
    model.Image = ImageFromMemory(before);
    model.DeviceModelCode = 0xC000;
    PutU16(model.Image, 4 * 7, 10); // section 7 now starts in block 0
    const std::string file = sim.Folder() + "/damaged.qvetp";
    WriteSettingsFile(model, file);
    std::string err;
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "write", "--port", sim.Link(), file, "--reply-timeout", "1000"}, &err), 1);
    EXPECT_NE(err.find("Nothing has been written"), std::string::npos) << err;
    EXPECT_EQ(sim.ReadMemoryFile(), before);
    std::remove(file.c_str());
}

// Two reads started at once on one port: one reads, the other is told at
// once that the port is in use (before, it could open nothing, wait for its
// connect timeout and blame the device).
TEST(CliLink, TwoReadsAtOnceOnOnePortOneSaysInUse)
{
    test::Tripsim sim({});
    for (int round = 0; round < 4; ++round) {
        std::vector<std::unique_ptr<test::RunningProgram>> clis;
        for (int i = 0; i < 2; ++i)
            clis.push_back(std::make_unique<test::RunningProgram>(std::vector<std::string>{
                TRIPCONF_CLI_PATH, "--english", "read", "--port", sim.Link(), "-o",
                sim.Folder() + "/r" + std::to_string(i) + ".qvetp", "--reply-timeout", "1000", "--connect-timeout", "30"}));
        int succeeded = 0;
        for (auto& cli : clis) {
            std::string err;
            const int rc = cli->Wait(&err);
            if (rc == 0)
                ++succeeded;
            else
                EXPECT_NE(err.find("is in use by another program"), std::string::npos) << "round " << round << ": " << err;
        }
        EXPECT_GE(succeeded, 1) << "round " << round;
        for (int i = 0; i < 2; ++i)
            std::remove((sim.Folder() + "/r" + std::to_string(i) + ".qvetp").c_str());
    }
}

// On a terminal the read shows the phase and the percentage on one line,
// rewritten in place and ended with a newline; a late reply (and the one to
// the repeated request, right behind it at line rate) does not shift the
// file it writes.
TEST(CliLink, ReadOnATerminalShowsProgressAndTakesALateReplyInStep)
{
    const Bytes memory = test::DistinctMemory();
    test::Tripsim sim({"--late-block", "60:300", "--line-rate"}, memory);
    const std::string file = sim.Folder() + "/settings.qvetp";
    test::RunningProgram cli({TRIPCONF_CLI_PATH, "read", "--port", sim.Link(), "-o", file}, /*stderrOnTerminal=*/true);
    std::string err;
    ASSERT_EQ(cli.Wait(&err), 0) << err;
    EXPECT_EQ(err.rfind("\r" + PhaseText(TransferPhase::Connecting), 0), 0u) << err;
    const std::string done = "\r" + PhaseText(TransferPhase::Reading) + " 100%";
    ASSERT_NE(err.find(done), std::string::npos) << err;
    EXPECT_EQ(err.substr(err.find(done) + done.size()), "\n"); // the line ends, nothing after it
    EXPECT_NE(err.find(PhaseText(TransferPhase::Reading) + " 50%"), std::string::npos) << err;
    SettingsModel model;
    ReadSettingsFile(model, file);
    EXPECT_EQ(model.Image, ImageFromMemory(memory));
    std::remove(file.c_str());
}

TEST(CliLink, CtrlCEndsTheConnectWithThePortClosed)
{
    test::Tripsim silent({"--silent"});
    test::RunningProgram cli({TRIPCONF_CLI_PATH, "read", "--port", silent.Link(), "-o", silent.Folder() + "/x",
                              "--connect-timeout", "600"},
                             /*stderrOnTerminal=*/true);
    const std::string connecting = PhaseText(TransferPhase::Connecting);
    EXPECT_NE(cli.ReadUntil(connecting).find(connecting), std::string::npos); // it is connecting now
    cli.Signal(SIGINT);
    std::string err;
    EXPECT_EQ(cli.Wait(&err), 1);
    EXPECT_NE(err.find("interrupted; the port is closed"), std::string::npos) << err;
    DeviceLink link;
    const int n = link.AddDevicePath(silent.Link());
    ASSERT_GT(n, 0);
    EXPECT_TRUE(link.FreePorts[static_cast<std::size_t>(n)]);
}

// Settings of the simulator's sample memory with a byte of every record changed.
std::string EditedSettingsFile(const std::string& folder, const Bytes& memory)
{
    SettingsModel model;
    model.Image = ImageFromMemory(memory);
    model.DeviceModelCode = 0xC000;
    model.DecodeAll();
    for (int k = 1; k <= kRecordCount; ++k) {
        model.Record(k)[1] ^= 0x5A;
        model.EncodeSection(k);
    }
    const std::string file = folder + "/edited.qvetp";
    WriteSettingsFile(model, file);
    return file;
}

TEST(CliLink, StoppedWriteNamesTheSectionsAndItsRestorePointWritesTheDeviceBack)
{
    test::TempRestorePoints points;
    points.UseAsDataHome();
    std::string err, out;
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "restore-points"}, &err, &out), 0) << err;
    EXPECT_EQ(out, "No restore points in " + points.folder + "\n");

    test::Tripsim sim({"--stall-after-section", "4"});
    const Bytes before = sim.ReadMemoryFile();
    const std::string file = EditedSettingsFile(sim.Folder(), before);
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "write", "--port", sim.Link(), file, "--reply-timeout", "300"}, &err), 1);
    const auto saved = points.store.List();
    ASSERT_EQ(saved.size(), 1u) << err;
    const std::string& point = saved[0].path;
    // Where the previous settings went is said first (off a terminal, the
    // progress line stays away).
    EXPECT_EQ(err.rfind("The device's previous settings are saved in the restore point \"" + point + "\".\n", 0), 0u) << err;
    EXPECT_NE(err.find("Sections already written: 1, 2, 3, 4. The device now holds a mix"), std::string::npos) << err;
    EXPECT_NE(err.find("To restore: tripconf-cli write --port " + sim.Link() + " " + point + "\n"), std::string::npos) << err;

    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "restore-points"}, &err, &out), 0) << err;
    ASSERT_GT(out.size(), 19u);
    EXPECT_TRUE(std::regex_match(out.substr(0, 19), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << out;
    EXPECT_EQ(out.substr(19), "  0xC000 ZR-71   " + point + "  " + sim.Link() + "\n") << out; // and the unit's port

    // The next run on that port says that the write was cut off, before it
    // tries the (still silent) unit, and how to write the point back.
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "read", "--port", sim.Link(), "-o", sim.Folder() + "/again.qvetp",
                                "--connect-timeout", "1"},
                               &err),
              1);
    EXPECT_EQ(err.rfind("warning: The last write to the device on " + sim.Link() + " (started ", 0), 0u) << err;
    EXPECT_NE(err.find(") was cut off: the device may hold a mix of new and old settings. Its last whole settings are in the restore point \""
                       + point + "\".\nTo restore: tripconf-cli write --port " + sim.Link() + " " + point + "\n"),
              std::string::npos)
        << err;
    // A point taken of a unit known to hold a mix is marked in the list, and in its JSON.
    points.store.MarkMixed(point, "/tmp/whole.qvetp");
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "restore-points"}, &err, &out), 0) << err;
    EXPECT_EQ(out.substr(19), "  0xC000 ZR-71   " + point + "  " + sim.Link() + "  [a mix: an earlier write was cut off; /tmp/whole.qvetp]\n") << out;
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "restore-points", "--json"}, &err, &out), 0) << err;
    EXPECT_NE(out.find("\"mixed\": true"), std::string::npos) << out;
    EXPECT_NE(out.find("\"last_whole\": \"/tmp/whole.qvetp\""), std::string::npos) << out;

    // The stalled simulator stays silent; one that starts from the memory it
    // left takes the restore point back with an ordinary write.
    test::Tripsim healthy({}, sim.ReadMemoryFile());
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "write", "--port", healthy.Link(), point, "--reply-timeout", "1000"}, &err), 0) << err;
    EXPECT_EQ(healthy.ReadMemoryFile(), before);
    EXPECT_EQ(points.store.List().size(), 2u); // that write kept the mixed settings too
    std::remove(file.c_str());
}

TEST(CliLink, DroppedSectionIsCaughtUnlessNoVerify)
{
    for (bool verify : {true, false}) {
        test::Tripsim sim({"--drop-section", "3"});
        const std::string file = EditedSettingsFile(sim.Folder(), sim.ReadMemoryFile());
        std::vector<std::string> argv{TRIPCONF_CLI_PATH, "--english", "write", "--port", sim.Link(), file, "--reply-timeout", "1000"};
        if (!verify)
            argv.push_back("--no-verify");
        std::string err;
        EXPECT_EQ(test::RunProgram(argv, &err), verify ? 1 : 0) << err;
        EXPECT_EQ(err.find("did not store section 3 as sent") != std::string::npos, verify) << err;
        std::remove(file.c_str());
    }
}

} // namespace
} // namespace tc
