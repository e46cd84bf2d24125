// The read and write transfers against the simulated device on an in-process line.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

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

struct SimLine {
    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<test::FakePorts> ports = std::make_shared<test::FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit SimLine(Bytes memory = sim::SampleMemory(), std::uint16_t model = 0xC000, sim::SimFaults faults = {})
        : device(std::make_shared<sim::SimDevice>(std::move(memory), model, faults))
    {
        ports->Add("/dev/fake0", test::DeviceResponder(device));
        link = std::make_unique<DeviceLink>(ports);
        link->ByteTimeout = 20;
    }
    // Commands of the frames sent so far, in order.
    std::vector<int> Commands() const
    {
        std::vector<int> out;
        for (const auto& f : ports->log->written)
            out.push_back(f.size() > 4 ? f[4] : -1);
        return out;
    }
    int Count(int cmd) const
    {
        const auto c = Commands();
        return static_cast<int>(std::count(c.begin(), c.end(), cmd));
    }
};

const TransferTiming kFast{20, 20}; // the in-process line answers at once or never

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
            blocks.push_back(f[5] | (f[6] << 8));
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

TEST(Transfers, WriteSendsEverySectionAndTheDeviceKeepsTheEdits)
{
    SimLine line;
    SettingsModel model;
    Recorder rec;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    model.DecodeAll();
    PutU16(model.Record(7), 0, 321);           // petrol price
    PutU32(model.Record(1), 144, 99999);       // whole kilometres
    model.Record(11)[600] = 0x77;
    ASSERT_EQ(WriteDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    EXPECT_EQ(rec.phases.back(), TransferPhase::Writing);
    EXPECT_EQ(rec.progress.back(), 100);
    EXPECT_EQ(line.Count(kCmdBeginSection), 11);
    EXPECT_EQ(line.Count(kCmdEndSection), 11);
    EXPECT_FALSE(line.link->IsOpen());

    SettingsModel again;
    ASSERT_EQ(ReadDeviceSettings(*line.link, again, rec, kFast), TransferResult::Done);
    again.DecodeAll();
    EXPECT_EQ(GetU16(again.Record(7), 0), 321);
    EXPECT_EQ(GetU32(again.Record(1), 144), 99999u);
    EXPECT_EQ(again.Record(11)[600], 0x77);
    EXPECT_EQ(again.Image, model.Image);
}

TEST(Transfers, VersionChecksRefuseBeforeAnyWriteCommand)
{
    // Writes the reference settings of model 0xC000 to a device and expects
    // the given refusal with no write command sent.
    const auto expectRefused = [](Bytes memory, std::uint16_t deviceModel, const std::string& text) {
        SimLine line(std::move(memory), deviceModel);
        SettingsModel model;
        LoadReferenceImage(model, 0xC000);
        model.DecodeAll();
        Recorder rec;
        try {
            WriteDeviceSettings(*line.link, model, rec, kFast);
            ADD_FAILURE() << "the settings were written";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), text);
        }
        EXPECT_EQ(line.Count(kCmdBeginSection) + line.Count(kCmdWriteChunk) + line.Count(kCmdEndSection), 0);
        EXPECT_FALSE(line.link->IsOpen());
        return line.Count(kCmdReadBlock);
    };
    // A foreign device is refused before its memory is even read.
    EXPECT_EQ(expectRefused(sim::SampleMemory(), 0xC001, DeviceVersionMismatchText()), 0);
    Bytes memory = sim::SampleMemory();
    memory[33] = 9; // the firmware's layout version
    expectRefused(memory, 0xC000, FirmwareVersionMismatchText());
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
    EXPECT_TRUE(model.DecodeAll().empty());
    EXPECT_EQ(GetU16(model.Record(7), 16), 17 * 60 + 42); // the last trip, found in its new place
    PutU16(model.Record(7), 0, 333);
    ASSERT_EQ(WriteDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
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
        ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
        model.DecodeAll();
        EXPECT_THROW(WriteDeviceSettings(*line.link, model, rec, kFast), Error) << address;
        EXPECT_EQ(line.Count(kCmdBeginSection), 0) << address;
        EXPECT_EQ(line.device->Memory(), memory);
    }
    Bytes many = sim::SampleMemory();
    many[32] = 15; // more sections than the directory has entries
    SimLine line(many);
    SettingsModel model;
    Recorder rec;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    EXPECT_THROW(WriteDeviceSettings(*line.link, model, rec, kFast), Error);
    EXPECT_EQ(line.Count(kCmdBeginSection), 0);
}

TEST(Transfers, PayloadSplitsIntoChunksOf32)
{
    SimLine line;
    line.link->SetActive(true);
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
    ports->Add("/dev/fake0", [answer](const Bytes& request) {
        if (request.size() > 6 && request[4] == kCmdReadBlock && request[5] == 40)
            return test::Framed({0xF4, 1, 0, 0}); // status 0, no block bytes
        return answer(request);
    });
    DeviceLink link(ports);
    link.ByteTimeout = 20;
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
    DeviceLink link2(mute);
    link2.ByteTimeout = 20;
    Recorder cancel;
    cancel.cancelAfter = 1;
    EXPECT_EQ(ReadDeviceSettings(link2, model, cancel, kFast), TransferResult::Cancelled);
    EXPECT_EQ(model.DeviceModelCode, 0xC000);
    for (const auto& f : mute->log->written)
        EXPECT_EQ(f[4], kCmdConnect);
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
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, rec, kFast), TransferResult::Done);
    model.DecodeAll();
    PutU16(model.Record(7), 0, 444);
    model.EncodeSection(7);
    const Bytes edited = model.Image;
    EXPECT_THROW(WriteDeviceSettings(*line.link, model, rec, kFast), Error);
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
        model.DecodeAll();
        Recorder rec;
        EXPECT_THROW(WriteDeviceSettings(*line.link, model, rec, kFast), Error) << damage;
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
            CheckSectionsWritable(image);
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
        EXPECT_EQ(e.what(), PortInUseText("/dev/fake0"));
    }
    EXPECT_TRUE(rec.phases.empty());
    EXPECT_TRUE(line.ports->log->written.empty());
    EXPECT_FALSE(line.link->ProcessMessages);
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
    EXPECT_FALSE(line.link->ProcessMessages); // the pump was handed back
}

} // namespace
} // namespace tc
