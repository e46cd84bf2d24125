// The read and write transfers against the simulated device on an in-process line.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/AtomicFile.h"
#include "common/Language.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <numeric>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Records what the transfer reports; cancels after a number of connect failures.
struct Recorder final : TransferObserver {
    std::vector<TransferPhase> phases;
    std::vector<int> progress;
    int cancelAfter = -1;
    int cancelAsks = 0;
    void Phase(TransferPhase p) override { phases.push_back(p); }
    void Progress(int percent) override { progress.push_back(percent); }
    bool CancelRequested() override { return cancelAfter >= 0 && ++cancelAsks > cancelAfter; }
};

const TransferTiming kFast{20ms, 20ms}; // the in-process line answers at once or never

struct SimLine {
    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<test::FakePorts> ports = std::make_shared<test::FakePorts>();
    std::unique_ptr<DeviceLink> link;
    test::TempRestorePoints restorePoints;

    explicit SimLine(Bytes memory = sim::SampleMemory(), std::uint16_t model = 0xC000, sim::SimFaults faults = {})
        : device(std::make_shared<sim::SimDevice>(std::move(memory), model, faults))
    {
        ports->AddTimed("/dev/fake0", test::DeviceResponder(device));
        link = std::make_unique<DeviceLink>(ports, ports->clock);
        link->ByteTimeout = 20ms;
        link->QuietTime = 20ms;
    }
    // Commands of the frames sent so far, in order.
    std::vector<int> Commands() const
    {
        std::vector<int> out;
        for (const auto& f : ports->log->written)
            out.push_back(f.size() > 4 ? f[4] : -1);
        return out;
    }
    TransferResult Write(SettingsModel& model, TransferObserver& observer, WriteOptions options = {})
    {
        return WriteDeviceSettings(*link, model, observer, restorePoints.store, kFast, options);
    }
    int Count(int cmd) const
    {
        const auto c = Commands();
        return static_cast<int>(std::count(c.begin(), c.end(), cmd));
    }
    // Reads the unit into the model and decodes it; false when the read did not end whole.
    bool ReadAndDecode(SettingsModel& model, TransferObserver& observer)
    {
        if (ReadDeviceSettings(*link, model, observer, kFast) != TransferResult::Done)
            return false;
        model.DecodeAll(Language::Russian);
        return true;
    }
};

TEST(Transfers, ReadYieldsTheDeviceBlocksAndProgressTo100)
{
    SimLine line(sim::SampleMemory(), 0xC123);
    SettingsModel model;
    Recorder rec;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    EXPECT_EQ(model.DeviceModelCode, 0xC123);
    EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
    EXPECT_EQ(line.Count(kCmdReadBlock), 254);
    // Blocks 1..127, then 129..255, in ascending order.
    std::vector<int> blocks;
    for (const auto& f : line.ports->log->written)
        if (f[4] == kCmdReadBlock)
            blocks.push_back(GetU16(f, 5));
    EXPECT_EQ(blocks.front(), 1);
    EXPECT_EQ(blocks[126], 127);
    EXPECT_EQ(blocks[127], 129);
    EXPECT_EQ(blocks.back(), 255);
    EXPECT_TRUE(std::is_sorted(rec.progress.begin(), rec.progress.end()));
    EXPECT_EQ(rec.progress.front(), 0);
    EXPECT_EQ(rec.progress.back(), 100);
    EXPECT_EQ(rec.phases, (std::vector<TransferPhase>{TransferPhase::Connecting, TransferPhase::Reading}));
    EXPECT_FALSE(line.link->IsOpen());
}

// The frames of the section writes (begin, chunks, end), in order.
std::vector<Bytes> SectionFrames(const test::LineLog& log)
{
    std::vector<Bytes> frames;
    for (const auto& f : log.written)
        if (f.size() > 4 && (f[4] == kCmdBeginSection || f[4] == kCmdWriteChunk || f[4] == kCmdEndSection))
            frames.push_back(f);
    return frames;
}

// A write sends only the sections whose bytes differ from the device's, each
// as the frames WriteSection sends for it alone, and checks only those;
// allSections sends all eleven. Either way the device ends with the edits.
TEST(Transfers, WriteSendsTheChangedSectionsOnlyUnlessAskedForAll)
{
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "every section" : "changed sections");
        SimLine line;
        SettingsModel model;
        Recorder rec;
        ASSERT_TRUE(line.ReadAndDecode(model, rec));
        PutU16(model.Record(7), 0, 321);     // petrol price
        PutU32(model.Record(1), 144, 99999); // whole kilometres
        model.Record(11)[600] = 0x77;
        line.ports->log->written.clear();
        WriteOptions options;
        options.allSections = all;
        WriteSummary summary;
        ASSERT_EQ(WriteDeviceSettings(*line.link, model, rec, line.restorePoints.store, kFast, options, &summary), TransferResult::Done);
        EXPECT_EQ(rec.phases.back(), TransferPhase::Verifying);
        EXPECT_EQ(rec.progress.back(), 100);
        EXPECT_FALSE(line.link->IsOpen());
        const std::vector<int> sent = all ? std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} : std::vector<int>{1, 7, 11};
        EXPECT_EQ(summary.sent, static_cast<int>(sent.size()));
        EXPECT_EQ(summary.differing, 3);
        EXPECT_EQ(summary.count, 11);
        EXPECT_TRUE(summary.checked);

        // What the same sections sent one by one on a line of their own look like.
        SimLine reference;
        reference.link->OpenPort(static_cast<int>(reference.link->PortNumber), Language::Russian);
        for (int k : sent) {
            const DirectoryEntry& e = model.Dir().Entry(k);
            std::size_t offset = 0, payload = 0;
            ASSERT_TRUE(SectionPlacement(e, offset, payload));
            WriteSection(*reference.link, e.address, std::span(model.Image).subspan(offset, payload));
        }
        EXPECT_EQ(SectionFrames(*line.ports->log), SectionFrames(*reference.ports->log));
        // The check reads back the blocks of the sent sections, and no others.
        const auto reads = std::count_if(line.ports->log->written.begin(), line.ports->log->written.end(),
                                         [](const Bytes& f) { return f.size() > 4 && f[4] == kCmdReadBlock; });
        EXPECT_EQ(reads, static_cast<long>(device::kBlocksRead + BlocksOfSections(model.Image, sent).size()));

        SettingsModel again;
        ASSERT_EQ(ReadDeviceSettings(*line.link, again, rec, kFast), TransferResult::Done);
        EXPECT_EQ(again.Image, model.Image);
    }
}

// A device that already holds the settings is not written at all: no
// restore point, no section; with allSections it is written whole.
TEST(Transfers, UnchangedDeviceIsNotWrittenUnlessAskedForAll)
{
    SimLine line;
    SettingsModel model;
    Recorder rec;
    ASSERT_TRUE(line.ReadAndDecode(model, rec));
    int asked = 0;
    WriteOptions options;
    options.confirm = [&](auto, auto) { return ++asked, WriteScope::Changed; };
    EXPECT_EQ(line.Write(model, rec, options), TransferResult::Unchanged);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
    EXPECT_TRUE(line.restorePoints.store.List().empty());

    options.confirm = [&](auto, auto) { return ++asked, WriteScope::Every; };
    options.allSections = true;
    WriteSummary summary;
    EXPECT_EQ(WriteDeviceSettings(*line.link, model, rec, line.restorePoints.store, kFast, options, &summary), TransferResult::Done);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(line.Count(kCmdBeginSection), 11);
    EXPECT_EQ(line.restorePoints.store.List().size(), 1u);
    EXPECT_EQ(summary.sent, 11);
    EXPECT_EQ(summary.differing, 0);
}

TEST(Transfers, VersionChecksRefuseBeforeAnyWriteCommand)
{
    // Writes the reference settings of model 0xC000 to a device and expects
    // the given refusal with no write command sent.
    const auto expectRefused = [](Bytes memory, std::uint16_t deviceModel, const std::string& text) {
        SimLine line(std::move(memory), deviceModel);
        SettingsModel model;
        LoadReferenceImage(model, 0xC000);
        model.DecodeAll(Language::Russian);
        Recorder rec;
        try {
            line.Write(model, rec);
            ADD_FAILURE() << "the settings were written";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), text);
        }
        EXPECT_EQ(line.Count(kCmdBeginSection) + line.Count(kCmdWriteChunk) + line.Count(kCmdEndSection), 0);
        EXPECT_FALSE(line.link->IsOpen());
        return line.Count(kCmdReadBlock);
    };
    // A foreign device is refused before its memory is even read.
    EXPECT_EQ(expectRefused(sim::SampleMemory(), 0xC001, DeviceVersionMismatchText(Language::Russian)), 0);
    Bytes memory = sim::SampleMemory();
    memory[33] = 9; // the firmware's layout version
    expectRefused(memory, 0xC000, FirmwareVersionMismatchText(Language::Russian));
}

// A directory entry in the second half of the memory is written from where
// the read put it (device address - 64), not from device address - 32.
TEST(Transfers, SectionInTheSecondHalfIsWrittenFromItsOwnBytes)
{
    Bytes memory = sim::SampleMemory();
    const std::uint16_t oldAddress = GetU16(memory, 32 + 28);
    const std::uint16_t address = 5000;
    PutU16(memory, 32 + 28, address); // section 7 moves to the second half
    std::copy(memory.begin() + oldAddress, memory.begin() + oldAddress + 860, memory.begin() + address);
    SimLine line(memory);
    SettingsModel model;
    Recorder rec;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    EXPECT_TRUE(model.DecodeAll(Language::Russian).empty());
    EXPECT_EQ(GetU16(model.Record(7), 16), 17 * 60 + 42); // the last trip, found in its new place
    PutU16(model.Record(7), 0, 333);
    ASSERT_EQ(line.Write(model, rec), TransferResult::Done);
    Bytes expected = memory;
    PutU16(expected, address, 333);
    EXPECT_EQ(line.device->Memory(), expected);
}

TEST(Transfers, SectionTouchingUnreadBlocksIsRefusedBeforeWriting)
{
    for (const auto& [address, length] : {std::pair<int, int>{4090, 20}, {10, 20}, {4100, 8}, {8180, 40}, {200, 2}}) {
        Bytes memory = sim::SampleMemory();
        memory[32] = 12;
        PutU16(memory, 32 + 48, static_cast<std::uint16_t>(address));
        PutU16(memory, 32 + 50, static_cast<std::uint16_t>(length));
        SimLine line(memory);
        SettingsModel model;
        Recorder rec;
        ASSERT_TRUE(line.ReadAndDecode(model, rec));
        EXPECT_THROW(line.Write(model, rec), Error) << address;
        EXPECT_EQ(line.Count(kCmdBeginSection), 0) << address;
        EXPECT_EQ(line.device->Memory(), memory);
    }
    Bytes many = sim::SampleMemory();
    many[32] = 15; // more sections than the directory has entries
    SimLine line(many);
    SettingsModel model;
    Recorder rec;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    EXPECT_THROW(line.Write(model, rec), Error);
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
}

TEST(Transfers, PayloadSplitsIntoChunksOf32)
{
    SimLine line;
    line.link->OpenPort(static_cast<int>(line.link->PortNumber), Language::Russian);
    Bytes payload(40);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(0xA0 + i);
    WriteSection(*line.link, 3000, payload);
    const auto& w = line.ports->log->written;
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], (Bytes{0x0A, 0xF4, 0x01, 0x00, 12, 0xB8, 0x0B, 40, 0, 0x0A}));
    EXPECT_EQ(w[1].size(), 6u + 4 + 32);
    EXPECT_EQ(w[1][5], 0); // chunk 0
    EXPECT_EQ(w[1][7], 32);
    EXPECT_EQ(w[2].size(), 6u + 4 + 8);
    EXPECT_EQ(w[2][5], 1); // chunk 1
    EXPECT_EQ(w[2][7], 8);
    EXPECT_EQ(w[2][9], 0xA0 + 32);
    EXPECT_EQ(w[3][4], kCmdEndSection);
    for (std::size_t i = 0; i < payload.size(); ++i)
        EXPECT_EQ(line.device->Memory()[3000 + i], payload[i]);

    WriteSection(*line.link, 3000, Bytes(64, 1)); // no tail chunk
    EXPECT_EQ(w.size(), 4u + 4);
}

TEST(Transfers, ConnectRepeatsUntilCancelled)
{
    sim::SimFaults silent;
    silent.silent = true;
    SimLine line(sim::SampleMemory(), 0xC000, silent);
    SettingsModel model;
    const Bytes before = model.Image;
    Recorder rec;
    rec.cancelAfter = 3;
    EXPECT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Cancelled);
    EXPECT_EQ(line.Count(kCmdConnect), 4 * 3); // four attempts of three tries each
    EXPECT_EQ(rec.phases, (std::vector<TransferPhase>{TransferPhase::Connecting}));
    EXPECT_EQ(model.Image, before);
    EXPECT_FALSE(line.link->IsOpen());
}

TEST(Transfers, FaultyRepliesStillReadTheSameImage)
{
    // Each fault costs a 50 ms pause before the next attempt: a few suffice here.
    for (auto faults : {sim::SimFaults{40, 0}, sim::SimFaults{0, 31}, sim::SimFaults{35, 36}}) {
        SimLine line(sim::SampleMemory(), 0xC000, faults);
        SettingsModel model;
        Recorder rec;
        ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
        EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
    }
}

// A reply without the data the command asks for would otherwise be read past
// its end, taking bytes of the previous reply as the device's memory.
TEST(Transfers, RepliesWithoutTheirDataAreNotTakenAsData)
{
    auto device = std::make_shared<sim::SimDevice>(sim::SampleMemory(), 0xC000);
    auto ports = std::make_shared<test::FakePorts>();
    auto answer = test::DeviceResponder(device);
    ports->AddTimed("/dev/fake0", [answer](const Bytes& request, test::FakeChannel::TimePoint now) {
        if (request.size() > 6 && request[4] == kCmdReadBlock && request[5] == 40)
            return std::vector<sim::SimLine::Outgoing>{{now, test::Framed({0xF4, 1, 0, 0})}}; // status 0, no block bytes
        return answer(request, now);
    });
    DeviceLink link(ports, ports->clock);
    link.ByteTimeout = 20ms;
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const Bytes before = model.Image;
    Recorder rec;
    EXPECT_THROW(ReadDeviceSettings(link, model, rec, kFast), Error);
    EXPECT_EQ(model.Image, before);
    EXPECT_FALSE(link.IsOpen());

    // A connect reply without the model code is a failed attempt, not a model code.
    auto mute = std::make_shared<test::FakePorts>();
    mute->Add("/dev/fake0", [](const Bytes&) { return test::Framed({0xF4, 1, 0, 0}); });
    DeviceLink link2(mute, mute->clock);
    link2.ByteTimeout = 20ms;
    Recorder cancel;
    cancel.cancelAfter = 1;
    EXPECT_EQ(ReadDeviceSettings(link2, model, cancel, kFast), TransferResult::Cancelled);
    EXPECT_EQ(model.DeviceModelCode, 0xC000);
    for (const auto& f : mute->log->written)
        EXPECT_EQ(f[4], kCmdConnect);
}

// The write shows what it is about to change and writes nothing unless confirmed.
TEST(Transfers, WriteAsksBeforeChangingTheDevice)
{
    SimLine line;
    SettingsModel model;
    Recorder rec;
    ASSERT_TRUE(line.ReadAndDecode(model, rec));
    const Bytes found = model.Image;
    PutU16(model.Record(7), 0, 555);
    model.EncodeSection(7);
    const Bytes edited = model.Image;
    const Bytes memory = line.device->Memory();
    int asked = 0;
    WriteOptions no;
    no.confirm = [&](std::span<const std::uint8_t> device, std::span<const std::uint8_t> next) {
        ++asked;
        EXPECT_TRUE(std::ranges::equal(device, found));
        EXPECT_TRUE(std::ranges::equal(next, edited));
        return WriteScope::Nothing;
    };
    EXPECT_EQ(line.Write(model, rec, no), TransferResult::Cancelled);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
    EXPECT_EQ(line.device->Memory(), memory);
    EXPECT_TRUE(line.restorePoints.store.List().empty());

    WriteOptions yes;
    yes.confirm = [](auto, auto) { return WriteScope::Changed; };
    EXPECT_EQ(line.Write(model, rec, yes), TransferResult::Done);
    EXPECT_EQ(ImageFromMemory(line.device->Memory()), edited);
}

// A write whose fresh read of the device fails half way keeps the settings
// the user prepared: the image is not left cut short for a later save.
TEST(Transfers, FailedReadKeepsTheImageWhole)
{
    sim::SimFaults stall;
    stall.stallAfter = 255 + 100; // the first read whole, the write's read stops half way
    SimLine line(sim::SampleMemory(), 0xC000, stall);
    SettingsModel model;
    Recorder rec;
    ASSERT_TRUE(line.ReadAndDecode(model, rec));
    PutU16(model.Record(7), 0, 444);
    model.EncodeSection(7);
    const Bytes edited = model.Image;
    EXPECT_THROW(line.Write(model, rec), Error);
    EXPECT_EQ(model.Image, edited);
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
    EXPECT_FALSE(line.link->IsOpen());

    // The same for a read: the earlier image and model code stay.
    sim::SimFaults stall2;
    stall2.stallAfter = 50;
    SimLine other(sim::SampleMemory(), 0xC0DE, stall2);
    EXPECT_THROW(ReadDeviceSettings(*other.link, model, rec, kFast), Error);
    EXPECT_EQ(model.Image, edited);
    EXPECT_EQ(model.DeviceModelCode, 0xC000);
}

// Settings whose own image did not give every section whole have records that
// hold defaults or older values; writing them would overwrite the device's
// settings with those.
TEST(Transfers, SettingsNotReadWholeAreNotWritten)
{
    for (int damage = 0; damage < 2; ++damage) {
        SimLine line;
        SettingsModel model;
        model.Image = ImageFromMemory(line.device->Memory());
        if (damage == 0)
            PutU16(model.Image, 4 * 7, 10); // section 7 described in block 0
        else
            model.Image.resize(1000);       // a file cut short
        model.DecodeAll(Language::Russian);
        Recorder rec;
        EXPECT_THROW(line.Write(model, rec), Error) << damage;
        EXPECT_TRUE(line.ports->log->written.empty()) << damage;
        EXPECT_EQ(line.device->Memory(), sim::SampleMemory()) << damage;
        EXPECT_FALSE(line.link->IsOpen());
    }
}

// Images cut inside their directory (a short file) get the user's message,
// not the byte accessor's internal range error.
TEST(Transfers, ImageShorterThanItsDirectoryIsRefusedWithTheUserText)
{
    Bytes image = ImageFromMemory(sim::SampleMemory());
    for (std::size_t size : {1u, 4u, 7u, 30u, 59u}) {
        image.resize(size);
        try {
            CheckSectionsWritable(image, Language::Russian);
            ADD_FAILURE() << size << " bytes passed";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("каталога"), std::string::npos) << e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << size << ": " << e.what();
        }
    }
}

// A port another program took between the scan and the transfer's open is
// said at once, and nothing is sent.
TEST(Transfers, PortTakenSinceTheScanIsSaidAtOnce)
{
    SimLine line;
    line.ports->ports["/dev/fake0"].busy = true;
    SettingsModel model;
    Recorder rec;
    try {
        ReadDeviceSettings(*line.link, model, rec, kFast);
        ADD_FAILURE() << "the read went on without a port";
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), PortInUseText("/dev/fake0", rec.language));
    }
    EXPECT_TRUE(rec.phases.empty());
    EXPECT_TRUE(line.ports->log->written.empty());
    EXPECT_FALSE(line.link->WhileWaiting);
}

TEST(Transfers, InterruptionClosesThePort)
{
    struct Interrupting final : TransferObserver {
        int events = 0;
        void ProcessEvents() override
        {
            if (++events == 50)
                throw TransferInterrupted();
        }
    } obs;
    SimLine line;
    SettingsModel model;
    EXPECT_THROW(ReadDeviceSettings(*line.link, model, obs, kFast), TransferInterrupted);
    EXPECT_FALSE(line.link->IsOpen());
    EXPECT_FALSE(line.link->WhileWaiting); // the pump was handed back
}

// --- A write that fails half way, and the check after writing ----------------

// Texts below are the English ones: the tests' observers ask for them.

// Reads the device and changes a byte of every record, so that every section
// the write sends differs from what the device holds.
void ReadAndEditEverything(SimLine& line, SettingsModel& model, TransferObserver& observer)
{
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, observer, kFast), TransferResult::Done);
    ASSERT_TRUE(model.DecodeAll(observer.language).empty());
    for (int k = 1; k <= kRecordCount; ++k)
        model.Record(k)[1] ^= 0x5A;
}

// Device bytes of section k (per the model's directory).
Bytes SectionBytes(const Bytes& memory, const SettingsModel& model, int k)
{
    const DirectoryEntry& e = model.Dir().Entry(k);
    return Bytes(memory.begin() + e.address, memory.begin() + e.address + e.deviceLength - 4);
}

std::string Joined(const std::vector<int>& sections)
{
    std::string s;
    for (int k : sections)
        s += (s.empty() ? "" : ", ") + std::to_string(k);
    return s;
}

// The words under the success text, as the write summed it up.
TEST(Transfers, SectionsWrittenTextSaysWhatWasSentAndChecked)
{
    EXPECT_EQ(SectionsWrittenText({3, 3, 11, true, {}}, Language::English), "3 of 11 sections differed; written and checked");
    EXPECT_EQ(SectionsWrittenText({3, 3, 11, false, {}}, Language::English), "3 of 11 sections differed; written, not checked");
    EXPECT_EQ(SectionsWrittenText({11, 1, 11, true, {}}, Language::English), "All 11 sections written and checked; 1 of 11 differed.");
    EXPECT_EQ(SectionsWrittenText({11, 0, 11, false, {}}, Language::English), "All 11 sections written, not checked; 0 of 11 differed.");
}

TEST(WriteSafety, StallAfterEachSectionNamesTheWrittenSectionsAndTheRestorePointBringsTheDeviceBack)
{
    for (int stall = 0; stall < kRecordCount; ++stall) {
        SCOPED_TRACE("stall after " + std::to_string(stall) + " sections");
        sim::SimFaults faults;
        faults.stallAfterSection = stall;
        SimLine line(sim::SampleMemory(), 0xC000, faults);
        const Bytes before = line.device->Memory();
        SettingsModel model;
        Recorder rec;
        rec.language = Language::English;
        ReadAndEditEverything(line, model, rec);

        std::vector<int> written(static_cast<std::size_t>(stall));
        std::iota(written.begin(), written.end(), 1);
        std::string restorePoint;
        try {
            line.Write(model, rec);
            ADD_FAILURE() << "the stalled write succeeded";
        } catch (const WriteIncomplete& e) {
            const std::string text = e.what();
            EXPECT_EQ(e.sectionsWritten, written);
            EXPECT_EQ(text.rfind(std::string(kNoLinkText) + "\n", 0), 0u) << text; // the link's own message first
            const std::string at = "The write stopped at section " + std::to_string(stall + 1) + " of 11";
            EXPECT_NE(text.find(stall == 0 ? at + "; no section has been written completely. The device may now hold a mix"
                                           : at + ". Sections already written: " + Joined(written)
                                               + ". The device now holds a mix of new and old settings."),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find("To finish, write the settings again, or restore the previous settings from the restore point \""
                                + e.restorePoint + "\"."),
                      std::string::npos)
                << text;
            restorePoint = e.restorePoint;
        }
        EXPECT_FALSE(line.link->IsOpen());

        // The restore point is the device's memory as the write found it, as a settings file.
        const auto points = line.restorePoints.store.List();
        ASSERT_EQ(points.size(), 1u);
        EXPECT_EQ(points[0].path, restorePoint);
        EXPECT_EQ(points[0].modelCode, 0xC000);
        EXPECT_EQ(ReadWholeFile(restorePoint, 1 << 16, Language::Russian), EncodeSettingsFile(0xC000, ImageFromMemory(before)));

        // The sections named hold the new settings, the others the old ones.
        for (int k = 1; k <= kRecordCount; ++k) {
            const Bytes now = SectionBytes(line.device->Memory(), model, k);
            EXPECT_EQ(now, k <= stall ? SectionBytes(MemoryFromImage(model.Image, before), model, k) : SectionBytes(before, model, k))
                << "section " << k;
        }

        // Writing the restore point back, an ordinary write, restores the memory byte for byte.
        SimLine healthy(line.device->Memory());
        SettingsModel previous;
        ReadSettingsFile(previous, restorePoint, Language::Russian);
        ASSERT_TRUE(previous.DecodeAll(Language::Russian).empty());
        // (Nothing to write back when the write stalled before its first section.)
        ASSERT_EQ(healthy.Write(previous, rec), stall == 0 ? TransferResult::Unchanged : TransferResult::Done);
        EXPECT_EQ(healthy.device->Memory(), before);
    }
}

// A write that stops half way leaves its note: the next write to the unit
// marks its own restore point as taken of a mix, names the last whole one,
// and clears the note once it ended well.
TEST(WriteSafety, CutOffWriteIsRememberedUntilAWriteEndsWell)
{
    sim::SimFaults faults;
    faults.stallAfterSection = 2;
    SimLine line(sim::SampleMemory(), 0xC000, faults);
    SettingsModel model;
    Recorder rec;
    ReadAndEditEverything(line, model, rec);
    const SettingsModel edited = model;
    const auto& store = line.restorePoints.store;
    EXPECT_FALSE(store.CutOffWrite());
    std::string first;
    try {
        line.Write(model, rec);
        ADD_FAILURE() << "the stalled write succeeded";
    } catch (const WriteIncomplete& e) {
        first = e.restorePoint;
    }
    const auto cut = store.CutOffWrite();
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->restorePoint, first);
    EXPECT_EQ(cut->lastWhole, first);
    EXPECT_EQ(cut->modelCode, 0xC000);

    // The same unit, answering again, holding the mix.
    SimLine again(line.device->Memory());
    model = edited;
    const test::TempRestorePoints& points = again.restorePoints;
    // (Its own store: copy the note and the point over as one data folder would hold them.)
    const RestorePoints shared(points.folder);
    shared.NoteWriteStarted(*cut);
    ASSERT_EQ(again.Write(model, rec), TransferResult::Done);
    const auto listed = shared.List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].mixed);
    EXPECT_EQ(listed[0].lastWhole, first);
    EXPECT_FALSE(shared.CutOffWrite());
    EXPECT_EQ(again.Count(kCmdBeginSection), kRecordCount - 2); // the two written before are not sent again
}

TEST(WriteSafety, SectionAcknowledgedButNotStoredIsCaughtByTheCheck)
{
    struct Case {
        std::vector<int> edited; // empty: every section
        int drop;                // the nth section written is dropped
        int section;             // which one that is
    };
    // Every section written, or only the three that differ: the check reads
    // back exactly the sections sent and catches the one not stored.
    for (const Case& c : {Case{{}, 1, 1}, Case{{}, 6, 6}, Case{{}, 11, 11}, Case{{2, 7, 11}, 2, 7}}) {
        for (bool verify : {true, false}) {
            SCOPED_TRACE("drop section " + std::to_string(c.section) + " of " + std::to_string(c.edited.empty() ? 11 : c.edited.size())
                         + (verify ? ", checked" : ", unchecked"));
            sim::SimFaults faults;
            faults.dropSection = static_cast<unsigned>(c.drop);
            SimLine line(sim::SampleMemory(), 0xC000, faults);
            SettingsModel model;
            Recorder rec;
            rec.language = Language::English;
            ReadAndEditEverything(line, model, rec);
            std::vector<int> sent = c.edited;
            if (sent.empty())
                for (int k = 1; k <= kRecordCount; ++k)
                    sent.push_back(k);
            else
                for (int k = 1; k <= kRecordCount; ++k)
                    if (std::find(sent.begin(), sent.end(), k) == sent.end())
                        model.Record(k)[1] ^= 0x5A; // as the device holds it again
            const std::size_t sentBefore = line.ports->log->written.size();
            WriteOptions options;
            options.verify = verify;
            if (!verify) {
                // Unchecked, the device's word is taken.
                EXPECT_EQ(line.Write(model, rec, options), TransferResult::Done);
                EXPECT_EQ(rec.phases.back(), TransferPhase::Writing);
                EXPECT_EQ(line.Count(kCmdReadBlock), 2 * static_cast<int>(device::kBlocksRead));
                continue;
            }
            try {
                line.Write(model, rec, options);
                ADD_FAILURE() << "the dropped section went unnoticed";
            } catch (const WriteIncomplete& e) {
                EXPECT_EQ(std::string(e.what()),
                          "The check after writing found that the device did not store section " + std::to_string(c.section)
                              + " as sent. The device now holds a mix of new and old settings.\nTo finish, write the settings "
                                "again, or restore the previous settings from the restore point \""
                              + e.restorePoint + "\".");
                EXPECT_EQ(e.sectionsWritten, sent);
            }
            EXPECT_EQ(rec.phases.back(), TransferPhase::Verifying);
            EXPECT_EQ(rec.progress.back(), 100);
            // The check reads exactly the blocks the sections sent cover, once each, in order.
            std::vector<int> readBack;
            const auto& frames = line.ports->log->written;
            for (std::size_t i = sentBefore; i < frames.size(); ++i)
                if (frames[i][4] == kCmdReadBlock)
                    readBack.push_back(frames[i][5] | (frames[i][6] << 8));
            readBack.erase(readBack.begin(), readBack.begin() + device::kBlocksRead); // the write's own read
            EXPECT_EQ(readBack, BlocksOfSections(model.Image, sent));
        }
    }
}

TEST(WriteSafety, BlocksOfSectionsCoverEveryPayloadByteOnce)
{
    // Reference layout: sections 1..11 from device address 96 back to back, the last ending at 3068.
    std::vector<int> reference(93);
    std::iota(reference.begin(), reference.end(), 3);
    EXPECT_EQ(BlocksOfSections(ImageFromMemory(sim::SampleMemory())), reference);

    Bytes image(8128, 0);
    image[0] = 3;
    PutU16(image, 4, 4128 + 31); // payload 2 bytes: the last byte of block 129 and the first of 130
    PutU16(image, 6, 6);
    PutU16(image, 8, 200);       // empty payload: no block
    PutU16(image, 10, 4);
    PutU16(image, 12, 8160);     // the last block
    PutU16(image, 14, 36);
    EXPECT_EQ(BlocksOfSections(image), (std::vector<int>{129, 130, 255}));
}

TEST(WriteSafety, WithoutARestorePointNothingIsWritten)
{
    SimLine line;
    SettingsModel model;
    Recorder rec;
    rec.language = Language::English;
    ReadAndEditEverything(line, model, rec);
    const RestorePoints nowhere("/dev/null/restore-points");
    try {
        WriteDeviceSettings(*line.link, model, rec, nowhere, kFast);
        ADD_FAILURE() << "written without a restore point";
    } catch (const WriteIncomplete&) {
        ADD_FAILURE() << "the device was changed";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("The restore point could not be saved. ", 0), 0u) << text;
        EXPECT_NE(text.find(" Nothing has been written to the device."), std::string::npos) << text;
    }
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
    EXPECT_EQ(line.device->Memory(), sim::SampleMemory());
    EXPECT_FALSE(line.link->IsOpen());
}

// Before, an interruption during the section writes ended with "interrupted"
// alone, saying nothing of the sections already in the device.
TEST(WriteSafety, InterruptionDuringTheSectionsNamesThemToo)
{
    struct InterruptInSection final : TransferObserver {
        bool writing = false;
        int sections = 0;
        void Phase(TransferPhase p) override { writing = p == TransferPhase::Writing; }
        void Progress(int percent) override { sections += writing && percent > 0; }
        void ProcessEvents() override
        {
            if (sections == 2)
                throw TransferInterrupted();
        }
    };
    SimLine line;
    SettingsModel model;
    Recorder rec;
    rec.language = Language::English;
    ReadAndEditEverything(line, model, rec);
    InterruptInSection obs;
    obs.language = Language::English;
    try {
        line.Write(model, obs);
        ADD_FAILURE() << "not interrupted";
    } catch (const WriteIncomplete& e) {
        EXPECT_EQ(e.sectionsWritten, (std::vector<int>{1, 2}));
        EXPECT_EQ(std::string(e.what()).rfind("The write was interrupted.\nThe write stopped at section 3 of 11. Sections already written: 1, 2.", 0), 0u)
            << e.what();
    }
    EXPECT_FALSE(line.link->IsOpen());
}

// --- Going on after a block or section that failed all its attempts ---------

// Answers ContinueAfterFailure from a list (then always `rest`) and keeps the texts asked.
struct Continuing final : TransferObserver {
    std::deque<bool> answers;
    bool rest = false;
    std::vector<std::string> asked;
    bool ContinueAfterFailure(const std::string& text) override
    {
        asked.push_back(text);
        if (answers.empty())
            return rest;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

// The line drops the replies to the first `count` requests that `match` picks.
void DropReplies(SimLine& line, std::function<bool(const Bytes&)> match, int count)
{
    auto answer = test::DeviceResponder(line.device);
    auto left = std::make_shared<int>(count);
    line.ports->AddTimed("/dev/fake0", [=](const Bytes& request, test::FakeChannel::TimePoint now) {
        if (*left > 0 && match(request)) {
            --*left;
            return std::vector<sim::SimLine::Outgoing>{};
        }
        return answer(request, now);
    }, false, /*listed=*/false);
}

// Device blocks in the order the read asked for them.
std::vector<int> BlocksAsked(const SimLine& line)
{
    std::vector<int> blocks;
    for (const auto& f : line.ports->log->written)
        if (f.size() > 6 && f[4] == kCmdReadBlock)
            blocks.push_back(GetU16(f, 5));
    return blocks;
}

// A block that goes unanswered through its three attempts: going on asks for
// it again and only for it, and the read ends with the device's exact
// memory; not going on fails as before, with the link's message, and keeps
// the settings as they were.
TEST(Resume, ReadGoesOnFromTheFailedBlockOnly)
{
    for (const bool goOn : {true, false}) {
        SCOPED_TRACE(goOn ? "continue" : "stop");
        SimLine line(test::DistinctMemory());
        DropReplies(line, [](const Bytes& r) { return r.size() > 6 && r[4] == kCmdReadBlock && GetU16(r, 5) == 100; }, 3);
        SettingsModel model;
        const Bytes before = model.Image;
        Continuing obs;
        obs.language = Language::English;
        obs.answers = {goOn};
        std::string failure;
        try {
            EXPECT_EQ(ReadDeviceSettings(*line.link, model, obs, kFast), TransferResult::Done);
        } catch (const Error& e) {
            failure = e.what();
        }
        ASSERT_EQ(obs.asked, (std::vector<std::string>{std::string(kNoLinkText) + "\nBlock 100 of the device memory could not be read."}));
        std::vector<int> expected(device::kBlocksRead);
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] = static_cast<int>(i < 127 ? i + 1 : i + 2);
        if (goOn) {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
            expected.insert(expected.begin() + 99, {100, 100, 100}); // three failed attempts, then its answer
            EXPECT_EQ(BlocksAsked(line), expected);
        } else {
            EXPECT_EQ(failure, kNoLinkText);
            EXPECT_EQ(model.Image, before);
            expected.resize(99);
            expected.insert(expected.end(), {100, 100, 100});
            EXPECT_EQ(BlocksAsked(line), expected);
        }
        EXPECT_FALSE(line.link->IsOpen());
    }
}

// One corrupt reply in ten, with a seed that spoils all three attempts on
// block 74: going on reads the device's exact memory; not going on fails
// there with the same message as a read that cannot go on.
TEST(Resume, CorruptRepliesGoOnToTheExactImageOrFailAsBefore)
{
    sim::SimFaults faults;
    faults.corruptRate = 0.1;
    faults.seed = 11;
    std::vector<std::string> failures;
    for (const int mode : {0, 1, 2}) { // the default observer, one that stops, one that goes on
        SimLine line(test::DistinctMemory(), 0xC000, faults);
        SettingsModel model;
        TransferObserver plain;
        plain.language = Language::English;
        Continuing obs;
        obs.language = Language::English;
        obs.rest = mode == 2;
        try {
            ASSERT_EQ(ReadDeviceSettings(*line.link, model, mode == 0 ? plain : obs, kFast), TransferResult::Done);
            EXPECT_EQ(mode, 2);
            EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
            ASSERT_FALSE(obs.asked.empty());
            EXPECT_NE(obs.asked[0].find("Block 74 "), std::string::npos) << obs.asked[0];
            EXPECT_EQ(obs.asked[0].rfind(failures[0] + "\n", 0), 0u) << obs.asked[0];
        } catch (const Error& e) {
            EXPECT_NE(mode, 2);
            failures.push_back(e.what());
            EXPECT_TRUE(model.Image.empty());
        }
    }
    EXPECT_EQ(failures, (std::vector<std::string>{std::string(kExchangeErrorText) + "(0)", std::string(kExchangeErrorText) + "(0)"}));
}

// A reply so late that the attempts after it, and the requests of going on,
// all fail and are then answered at once, late: each block still gets its
// own answer.
TEST(Resume, LateRepliesAfterGoingOnAreNotTakenForOtherBlocks)
{
    sim::SimFaults late;
    late.lateBlocks = {{60, 400ms}, {200, 150ms}};
    SimLine line(test::DistinctMemory(), 0xC000, late);
    // (By default the last attempt outlives such a reply: every attempt waits the same here.)
    line.link->ClassicTiming = true;
    SettingsModel model;
    Continuing obs;
    obs.rest = true;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, obs, kFast), TransferResult::Done);
    EXPECT_GE(obs.asked.size(), 2u); // both blocks went through all their attempts
    EXPECT_EQ(model.Image, ImageFromMemory(line.device->Memory()));
}

// A section whose begin goes unanswered through its attempts is sent again
// whole; the sections acknowledged before it are not sent again.
TEST(Resume, WriteGoesOnFromTheFailedSection)
{
    for (const bool goOn : {true, false}) {
        SCOPED_TRACE(goOn ? "continue" : "stop");
        // One observer throughout: the read before the write asks nothing.
        Continuing obs;
        obs.language = Language::English;
        obs.answers = {goOn};
        SimLine line;
        SettingsModel model;
        ReadAndEditEverything(line, model, obs);
        const std::uint16_t fifth = model.Dir().Entry(5).address;
        DropReplies(line, [fifth](const Bytes& r) { return r.size() > 6 && r[4] == kCmdBeginSection && GetU16(r, 5) == fifth; }, 3);
        try {
            EXPECT_EQ(line.Write(model, obs), TransferResult::Done);
            EXPECT_TRUE(goOn);
            EXPECT_EQ(ImageFromMemory(line.device->Memory()), model.Image);
        } catch (const WriteIncomplete& e) {
            EXPECT_FALSE(goOn);
            EXPECT_EQ(e.sectionsWritten, (std::vector<int>{1, 2, 3, 4}));
        }
        ASSERT_EQ(obs.asked, (std::vector<std::string>{std::string(kNoLinkText) + "\nSection 5 of 11 could not be written."}));
        // Each section's begin once, the fifth's three unanswered times first.
        std::vector<int> begun;
        for (const auto& f : line.ports->log->written)
            if (f.size() > 6 && f[4] == kCmdBeginSection)
                for (int k = 1; k <= kRecordCount; ++k)
                    if (GetU16(f, 5) == model.Dir().Entry(k).address)
                        begun.push_back(k);
        std::vector<int> expected{1, 2, 3, 4, 5, 5, 5};
        if (goOn)
            expected.insert(expected.end(), {5, 6, 7, 8, 9, 10, 11});
        EXPECT_EQ(begun, expected);
    }
}

} // namespace
} // namespace tc
