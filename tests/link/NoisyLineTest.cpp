// Reads and writes over a line that spoils, repeats and delays the unit's
// replies, on the virtual clock of an in-process line paced at 115200 baud.
#include "LinkTestSupport.h"

#include "common/Error.h"
#include "common/Language.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

struct NoisyLine {
    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<test::FakePorts> ports = std::make_shared<test::FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit NoisyLine(sim::SimFaults faults, const Bytes& memory = test::DistinctMemory())
        : device(std::make_shared<sim::SimDevice>(memory, 0xC000, std::move(faults)))
    {
        ports->AddTimed("/dev/fake0", test::DeviceResponder(device, device::kCharTime));
        Open();
    }
    explicit NoisyLine(test::FakeChannel::Responder responder)
    {
        ports->Add("/dev/fake0", std::move(responder));
        Open();
    }
    void Open()
    {
        link = std::make_unique<DeviceLink>(ports, ports->clock);
        link->PortNumber = static_cast<std::uint32_t>(link->AddDevicePath("/dev/fake0"));
    }
    int Reads(std::uint16_t block) const
    {
        int n = 0;
        for (const auto& f : ports->log->written)
            n += f.size() > 6 && f[4] == kCmdReadBlock && f[5] == (block & 0xFF) && f[6] == (block >> 8);
        return n;
    }
};

// Replies with two data bytes changed, most so that the sum fails, some so
// that it still checks: once a spoilt reply was seen every block is read
// twice, so no read returns a wrong image (nor keeps a wrong restore point).
// With every spoilt reply summing right nothing gives the line away, and
// reading twice must be asked for.
TEST(SpoiltReplies, NoReadReturnsAWrongImage)
{
    struct Case {
        double rate, valid;
        bool twice;
    };
    int done = 0;
    for (const auto& c : {Case{0.05, 0.5, false}, Case{0.1, 0.2, false}, Case{0.05, 1.0, true}}) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE("rate " + std::to_string(c.rate) + " valid " + std::to_string(c.valid) + " seed " + std::to_string(seed));
            NoisyLine line({.seed = seed, .spoilRate = c.rate, .spoilBytes = 2, .spoilValid = c.valid});
            line.link->ReadTwice = c.twice;
            const Bytes before = line.device->Memory();
            SettingsModel model;
            TransferObserver quiet;
            // A block may still fail all its attempts: a clean failure is allowed.
            try {
                ASSERT_EQ(ReadDeviceSettings(*line.link, model, quiet), TransferResult::Done);
                ++done;
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()).rfind("RS232.", 0), 0u) << e.what();
                continue;
            }
            EXPECT_EQ(model.Image, ImageFromMemory(before));
            if (seed != 1)
                continue;
            // The write's restore point is read the same way.
            ASSERT_TRUE(model.DecodeAll(Language::Russian).empty());
            model.Record(7)[1] ^= 0x5A; // a change to write
            test::TempRestorePoints points;
            // (Not checked after writing: that reading is another matter.)
            try {
                WriteOptions unchecked;
                unchecked.verify = false;
                WriteDeviceSettings(*line.link, model, quiet, points.store, {}, unchecked);
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()).rfind("RS232.", 0), 0u) << e.what();
            }
            if (points.store.List().empty())
                continue;
            SettingsModel kept;
            ReadSettingsFile(kept, points.store.List()[0].path, Language::Russian);
            EXPECT_EQ(kept.Image, ImageFromMemory(before));
        }
    }
    EXPECT_GE(done, 7); // of 9
}

// A block whose every reading differs (each reply sums right) is read five
// times, then the read ends naming it; a clean line reads each block once.
TEST(SpoiltReplies, ABlockThatNeverReadsTheSameTwiceEndsTheRead)
{
    auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000);
    int readings = 0;
    NoisyLine line([&](const Bytes& request) {
        Bytes reply = device->Handle(request);
        if (request.size() > 6 && request[4] == kCmdReadBlock && request[5] == 77) {
            // Three data bytes changed so that the sum still checks, differently each time.
            ++readings;
            reply[10] = static_cast<std::uint8_t>(reply[10] + 1);
            reply[11] = static_cast<std::uint8_t>(reply[11] + readings - 1);
            reply[12] = static_cast<std::uint8_t>(reply[12] - readings);
        }
        return reply;
    });
    SettingsModel model;
    TransferObserver quiet;
    quiet.language = Language::English;
    ASSERT_EQ(ReadDeviceSettings(*line.link, model, quiet), TransferResult::Done); // one reading each: nothing to compare
    EXPECT_EQ(line.Reads(77), 1);
    EXPECT_EQ(line.Reads(78), 1);

    line.link->ReadTwice = true;
    const Bytes image = model.Image;
    try {
        ReadDeviceSettings(*line.link, model, quiet);
        ADD_FAILURE() << "the read took one of the differing readings";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The line is too noisy to read block 77 reliably.");
    }
    EXPECT_EQ(line.Reads(77), 1 + kMaxBlockReadings);
    EXPECT_EQ(line.Reads(78), 3);
    EXPECT_EQ(model.Image, image); // the failed read changed nothing
}

// One long hiccup (a reply 1 or 1.5 s late) is
// outlived with the default timing and gives the exact image; the classic
// timing gives up on it. A unit that stops answering fails with the link's
// own message in either timing.
TEST(DefaultTiming, ALongHiccupIsOutlivedAndADeadUnitStillFails)
{
    struct Case {
        const char* what;
        sim::SimFaults faults;
    };
    const std::vector<Case> cases{
        {"one reply 1000 ms late", {.lateBlocks = {{60, 1000ms}}}},
        {"one reply 1500 ms late", {.lateBlocks = {{60, 1500ms}}}},
    };
    for (const auto& c : cases) {
        for (const bool classic : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (classic ? ", classic" : ""));
            NoisyLine line(c.faults);
            line.link->ClassicTiming = classic;
            const Bytes before = line.device->Memory();
            SettingsModel model;
            TransferObserver quiet;
            try {
                ASSERT_EQ(ReadDeviceSettings(*line.link, model, quiet), TransferResult::Done);
                EXPECT_FALSE(classic) << "the classic timing outlived it";
                EXPECT_EQ(model.Image, ImageFromMemory(before));
            } catch (const Error& e) {
                EXPECT_TRUE(classic) << e.what();
                EXPECT_STREQ(e.what(), kNoLinkText);
            }
        }
    }
    for (const bool classic : {false, true}) {
        SCOPED_TRACE(classic ? "dead unit, classic" : "dead unit");
        NoisyLine line({.stallAfter = 40});
        line.link->ClassicTiming = classic;
        SettingsModel model;
        TransferObserver quiet;
        try {
            ReadDeviceSettings(*line.link, model, quiet);
            ADD_FAILURE() << "a dead unit was read";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), kNoLinkText);
        }
        EXPECT_FALSE(line.link->IsOpen());
    }
}

using Outgoing = sim::SimLine::Outgoing;
using Change = std::function<std::vector<Outgoing>(std::size_t request, std::vector<Outgoing> replies)>;

// The simulated device on a line that brings each byte of its replies at
// its own time, as at 115200 baud; the replies changed on their way (each
// one's time is when its last byte arrives).
test::FakeChannel::TimedResponder BytePaced(std::shared_ptr<sim::SimDevice> device, Change change = {})
{
    auto paced = test::DeviceResponder(std::move(device), device::kCharTime);
    auto requests = std::make_shared<std::size_t>(0);
    return [=](const Bytes& request, Clock::TimePoint now) {
        auto replies = paced(request, now);
        if (change)
            replies = change((*requests)++, std::move(replies));
        std::vector<Outgoing> bytes;
        for (const auto& r : replies)
            for (std::size_t k = 0; k < r.bytes.size(); ++k)
                bytes.push_back({r.at - device::kCharTime * static_cast<long>(r.bytes.size() - 1 - k), {r.bytes[k]}});
        return bytes;
    };
}

// What two block reads (5, then 6) cost on a paced line whose replies are
// changed on their way, beyond the same reads on a clean line, in virtual
// time; how many requests went out, and whether the second exchange found
// a reply too many.
struct Cost {
    Clock::Duration extra;
    std::size_t requests;
    bool outOfStep;
};

Cost TwoReads(const Change& change, sim::SimFaults faults, bool classic)
{
    const auto run = [&](bool changed) {
        auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, changed ? faults : sim::SimFaults{});
        auto shared = std::make_shared<test::FakePorts>();
        shared->AddTimed("/dev/fake0", BytePaced(device, changed ? change : Change{}));
        DeviceLink link(shared, shared->clock);
        link.ClassicTiming = classic;
        link.ReplyTimeout = device::kConnectReplyTimeout;
        link.OpenPort(static_cast<int>(link.PortNumber), Language::Russian);
        const auto start = shared->clock->Now();
        for (const std::uint16_t block : {std::uint16_t{5}, std::uint16_t{6}}) {
            link.BeginRequest(kTripComputerAddress, kCmdReadBlock);
            link.PutWord(block);
            link.Execute();
            EXPECT_EQ(link.Reply()[36], block); // each block's own reply, never its neighbour's
        }
        const Cost cost{shared->clock->Now() - start, shared->log->written.size(), link.OutOfStep()};
        EXPECT_TRUE(link.StaysQuiet(20ms)); // every reply was taken off the line
        return cost;
    };
    const Cost clean = run(false);
    const Cost changed = run(true);
    return {changed.extra - clean.extra, changed.requests, changed.outOfStep};
}

// A reply spoilt, noise in front of a frame or behind it, a reply one second
// late, a reply sent twice: by default each costs the line time of what it
// takes to recover (a retried exchange, the replies still owed, the copy's
// bytes), not a fixed quiet; the classic timing keeps its pauses. The
// requests sent and the blocks taken are the same in both. A copy whole
// before the next request and its reply could have crossed the line is a
// reply too many, never the next block's answer.
TEST(Recovery, TroubleCostsTheLineTimeItNeedsNotAFixedQuiet)
{
    const auto noise = [](std::size_t count) { return Bytes(count, 0x5A); };
    struct Case {
        const char* what;
        Change change;
        sim::SimFaults faults;
        std::size_t requests;
        bool outOfStep;
        std::chrono::milliseconds atMost;        // by default
        std::chrono::milliseconds classicAtLeast; // 0: the classic timing fails or is not compared
    };
    const std::vector<Case> cases{
        {"the first reply's sum fails",
         [](std::size_t n, std::vector<Outgoing> r) {
             if (n == 0)
                 r.front().bytes.back() ^= 0x01;
             return r;
         },
         {}, 3, false, 10ms, 300ms},
        {"three noise bytes in front of a reply",
         [&](std::size_t n, std::vector<Outgoing> r) {
             if (n == 0) // the noise ends as the reply begins
                 r.insert(r.begin(), Outgoing{r.front().at - device::kCharTime * 38, {0x00, 0xFF, 0x55}});
             return r;
         },
         {}, 2, false, 1ms, 0ms},
        {"six noise bytes right behind a reply",
         [&](std::size_t n, std::vector<Outgoing> r) {
             if (n == 0)
                 r.push_back(Outgoing{r.front().at + 6 * device::kCharTime, noise(6)});
             return r;
         },
         {}, 2, false, 1ms, 0ms},
        // The replies owed are drained to their late limit: a copy in the
        // same burst could make up their count.
        {"a reply 1000 ms late", {}, {.lateBlocks = {{5, 1000ms}}}, 4, false, 2160ms, 0ms},
        {"the first reply sent twice, the copy right behind it",
         [](std::size_t n, std::vector<Outgoing> r) {
             if (n == 0)
                 r.push_back(Outgoing{r.front().at + device::kCharTime * 38, r.front().bytes});
             else // the next reply waits for the copy to leave
                 r.front().at += device::kCharTime * 38;
             return r;
         },
         {}, 2, true, 4ms, 0ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Cost cost = TwoReads(c.change, c.faults, false);
        EXPECT_EQ(cost.requests, c.requests);
        EXPECT_EQ(cost.outOfStep, c.outOfStep);
        EXPECT_LE(cost.extra, c.atMost);
        if (c.classicAtLeast > 0ms) {
            const Cost classic = TwoReads(c.change, c.faults, true);
            EXPECT_EQ(classic.requests, c.requests);
            EXPECT_GE(classic.extra, c.classicAtLeast);
        }
    }
}

// Every 50th reply sent twice, the copy right behind it: the image is
// exact, and on a line that brings its bytes in their time the read costs
// less than half a clean read more (virtual time). On a line that hands
// replies over at once the copies are found before the next request.
TEST(Recovery, RepliesSentTwiceNeverShiftTheImageAndCostLittle)
{
    const auto read = [](bool paced, unsigned duplicateEvery) {
        auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, sim::SimFaults{.duplicateEvery = duplicateEvery});
        auto ports = std::make_shared<test::FakePorts>();
        ports->AddTimed("/dev/fake0", paced ? BytePaced(device) : test::DeviceResponder(device));
        DeviceLink link(ports, ports->clock);
        link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath("/dev/fake0"));
        SettingsModel model;
        TransferObserver quiet;
        const auto start = ports->clock->Now();
        EXPECT_EQ(ReadDeviceSettings(link, model, quiet), TransferResult::Done);
        EXPECT_EQ(model.Image, ImageFromMemory(device->Memory()));
        return ports->clock->Now() - start;
    };
    const auto clean = read(true, 0);
    EXPECT_LE(read(true, 50), clean * 3 / 2);
    read(false, 50);
}

} // namespace
} // namespace tc
