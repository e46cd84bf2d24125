// tripconf-cli driving tripsim over a real pseudo-terminal: reads and
// writes end to end, what the program says on a terminal and off it, and
// the restore point of a write that was cut off. Generous reply timeouts keep
// these reliable on a loaded machine.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

namespace tc {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The language of the command line's texts without --english.
constexpr Language kCliLanguage = Language::Russian;

// The command-line writes these tests start keep their restore points in a
// temporary data folder, never in the user's own.
class TemporaryDataHome final : public ::testing::Environment {
public:
    void SetUp() override { points_.UseAsDataHome(); }

private:
    test::TempRestorePoints points_;
};
[[maybe_unused]] auto* const kDataHome = ::testing::AddGlobalTestEnvironment(new TemporaryDataHome);

TEST(CliLink, ReadAndWriteThroughTheCommandLine)
{
    test::Tripsim sim({});
    const std::string file = sim.Folder() + "/settings.qvetp";
    std::string err;
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "read", "--port", sim.Link(), "-o", file, "--reply-timeout", "1000"}, &err), 0) << err;
    EXPECT_EQ(err, ""); // no progress where nobody watches
    SettingsModel model;
    ReadSettingsFile(model, file, Language::Russian);
    EXPECT_EQ(model.Image, ImageFromMemory(sim.ReadMemoryFile()));

    model.DecodeAll(Language::Russian);
    PutU16(model.Record(7), 2, 77);
    model.EncodeSection(7);
    WriteSettingsFile(model, file, Language::Russian);
    ASSERT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "write", "--port", sim.Link(), file, "--reply-timeout", "1000"}, &err), 0) << err;
    EXPECT_EQ(err.find(PhaseText(TransferPhase::Writing, kCliLanguage)), std::string::npos) << err; // only where the restore point is
    SettingsModel device;
    device.Image = ImageFromMemory(sim.ReadMemoryFile());
    device.DecodeAll(Language::Russian);
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
    WriteSettingsFile(model, file, Language::Russian);
    std::string err;
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "write", "--port", sim.Link(), file, "--reply-timeout", "1000"}, &err), 1);
    EXPECT_NE(err.find(DeviceVersionMismatchText(kCliLanguage)), std::string::npos) << err;
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
    WriteSettingsFile(model, file, Language::Russian);
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
    EXPECT_EQ(err.rfind("\r" + PhaseText(TransferPhase::Connecting, kCliLanguage), 0), 0u) << err;
    const std::string done = "\r" + PhaseText(TransferPhase::Reading, kCliLanguage) + " 100%";
    ASSERT_NE(err.find(done), std::string::npos) << err;
    EXPECT_EQ(err.substr(err.find(done) + done.size()), "\n"); // the line ends, nothing after it
    EXPECT_NE(err.find(PhaseText(TransferPhase::Reading, kCliLanguage) + " 50%"), std::string::npos) << err;
    SettingsModel model;
    ReadSettingsFile(model, file, Language::Russian);
    EXPECT_EQ(model.Image, ImageFromMemory(memory));
    std::remove(file.c_str());
}

TEST(CliLink, CtrlCEndsTheConnectWithThePortClosed)
{
    test::Tripsim silent({"--silent"});
    test::RunningProgram cli({TRIPCONF_CLI_PATH, "read", "--port", silent.Link(), "-o", silent.Folder() + "/x",
                              "--connect-timeout", "600"},
                             /*stderrOnTerminal=*/true);
    const std::string connecting = PhaseText(TransferPhase::Connecting, kCliLanguage);
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
    model.DecodeAll(Language::Russian);
    for (int k = 1; k <= kRecordCount; ++k) {
        model.Record(k)[1] ^= 0x5A;
        model.EncodeSection(k);
    }
    const std::string file = folder + "/edited.qvetp";
    WriteSettingsFile(model, file, Language::Russian);
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

    // The next run on that port says that the write was cut off, and how to
    // write the point back, before it even opens the port (here gone with
    // the stalled unit, whose memory stays).
    sim.Stop();
    EXPECT_EQ(test::RunProgram({TRIPCONF_CLI_PATH, "--english", "read", "--port", sim.Link(), "-o", sim.Folder() + "/again.qvetp"}, &err), 1);
    EXPECT_EQ(err.rfind("warning: The last write to the device on " + sim.Link() + " (started ", 0), 0u) << err;
    EXPECT_NE(err.find(sim.Link() + ": no such serial device"), std::string::npos) << err;
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

    // A unit that starts from the memory the stalled one left takes the
    // restore point back with an ordinary write.
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
