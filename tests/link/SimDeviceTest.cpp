// The simulated trip computer's own rules: what it answers, what it keeps,
// and its layout, checked without any line in between.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Device.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Framed;

Bytes Request(std::uint8_t cmd, std::vector<std::uint8_t> params = {}, std::uint8_t address = 244)
{
    Bytes body{address, 1, 0, cmd};
    body.insert(body.end(), params.begin(), params.end());
    return Framed(body);
}

TEST(SimDevice, AnswersConnectAndBlockReads)
{
    sim::SimDevice device(sim::SampleMemory(), 0xC0DE);
    EXPECT_EQ(device.Handle(Request(1)), Framed({0xF4, 1, 0, 0, 1, 0xDE, 0xC0}));
    const Bytes reply = device.Handle(Request(5, {1, 0}));
    ASSERT_EQ(reply.size(), 38u);
    EXPECT_TRUE(std::equal(reply.begin() + 5, reply.end() - 1, device.Memory().begin() + 32));
    EXPECT_EQ(device.Handle(Request(5, {0, 1})).size(), 6u); // block 256 does not exist
    EXPECT_EQ(device.Handle(Request(99))[4], 1);              // unknown command refused
}

TEST(SimDevice, IgnoresGarbledAndForeignRequests)
{
    sim::SimDevice device(sim::SampleMemory(), 0xC000);
    Bytes garbled = Request(1);
    garbled.back() ^= 0xFF;
    EXPECT_TRUE(device.Handle(garbled).empty());
    EXPECT_TRUE(device.Handle(Request(1, {}, 17)).empty());
    EXPECT_EQ(device.Handle(Framed({0, 0, 0, 0}))[1], 244); // the address query
    EXPECT_EQ(device.Requests(), 1u);

    sim::FrameAssembler assembler;
    const Bytes two = [] {
        Bytes b = Request(1);
        Bytes c = Request(5, {1, 0});
        b.insert(b.begin(), 0x00); // line noise before a frame
        b.insert(b.end(), c.begin(), c.end());
        return b;
    }();
    EXPECT_EQ(assembler.Feed(std::span<const std::uint8_t>(two.data(), 4)).size(), 0u);
    EXPECT_EQ(assembler.Feed(std::span<const std::uint8_t>(two.data() + 4, two.size() - 4)).size(), 2u);
}

TEST(SimDevice, KeepsSectionBytesOnlyWhenTheSectionEnds)
{
    sim::SimDevice device(sim::SampleMemory(), 0xC000);
    const Bytes before = device.Memory();
    EXPECT_EQ(device.Handle(Request(12, {0xB8, 0x0B, 40, 0}))[4], 0); // 3000, 40 bytes
    Bytes chunk{0, 0, 32, 0};
    chunk.insert(chunk.end(), 32, 0x5A);
    EXPECT_EQ(device.Handle(Request(4, chunk))[4], 0);
    EXPECT_EQ(device.Handle(Request(4, {2, 0, 8, 0, 1, 2, 3, 4, 5, 6, 7, 8}))[4], 1); // beyond the section
    EXPECT_EQ(device.Memory(), before);
    EXPECT_FALSE(device.TakeMemoryChanged());
    EXPECT_EQ(device.Handle(Request(7, {0xB8, 0x0B, 40, 0}))[4], 0);
    EXPECT_TRUE(device.TakeMemoryChanged());
    EXPECT_EQ(device.Memory()[3000], 0x5A);
    EXPECT_EQ(device.Memory()[3031], 0x5A);
    EXPECT_EQ(device.Memory()[3032], before[3032]); // the chunk never sent keeps its bytes
    EXPECT_EQ(device.Handle(Request(12, {0xF0, 0x1F, 0x20, 0}))[4], 1); // 8176 + 32 is past the memory
}

TEST(SimDevice, FaultInjectionCountsRepliesAndRequests)
{
    sim::SimDevice device(sim::SampleMemory(), 0xC000, sim::SimFaults{3, 4, false, 6});
    std::vector<std::string> kinds;
    for (int i = 0; i < 8; ++i) {
        const Bytes r = device.Handle(Request(1));
        unsigned sum = 0;
        for (auto b : r)
            sum += b;
        kinds.push_back(r.empty() ? "none" : r[4] == 255 ? "busy" : sum % 256 ? "bad" : "ok");
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"ok", "ok", "bad", "busy", "ok", "bad", "none", "none"}));
}

// Random faults: the same seed gives the same faults, another seed others,
// and each kind comes near its rate.
TEST(SimDevice, RandomFaultsFollowTheSeedAndComeNearTheirRate)
{
    struct Row {
        double corrupt, busy;
        std::uint32_t seed;
    };
    constexpr int kReplies = 4000;
    std::vector<std::string> runs;
    for (const Row row : {Row{0.05, 0, 1}, Row{0.05, 0, 1}, Row{0.05, 0, 2}, Row{0.2, 0.1, 7}, Row{0, 0, 3}, Row{1, 0, 4}}) {
        sim::SimFaults faults;
        faults.corruptRate = row.corrupt;
        faults.busyRate = row.busy;
        faults.seed = row.seed;
        sim::SimDevice device(sim::SampleMemory(), 0xC000, faults);
        std::string kinds; // one letter a reply
        for (int i = 0; i < kReplies; ++i) {
            const Bytes r = device.Handle(Request(5, {1, 0}));
            unsigned sum = 0;
            for (auto b : r)
                sum += b;
            kinds += r[4] == 255 ? 'b' : sum % 256 ? 'x' : '.';
        }
        const auto share = [&](char c) { return static_cast<double>(std::count(kinds.begin(), kinds.end(), c)) / kReplies; };
        EXPECT_NEAR(share('b'), row.busy, 0.02) << row.seed;
        // Busy replies are never also corrupted.
        EXPECT_NEAR(share('x'), row.corrupt * (1 - row.busy), 0.02) << row.seed;
        runs.push_back(kinds);
    }
    EXPECT_EQ(runs[0], runs[1]); // the same seed
    EXPECT_NE(runs[0], runs[2]); // another seed
}

// When the device's end of the line lets each reply go: a late block after
// its delay, the requests that came meanwhile right behind it in order, and
// with a character time every byte in its turn.
TEST(SimLine, RepliesLeaveInOrderAndLateOnesLate)
{
    using namespace std::chrono_literals;
    using Clock = sim::SimLine::Clock;
    sim::SimFaults faults;
    faults.lateBlocks = {{7, 300ms}};
    faults.noiseEvery = 3;
    sim::SimDevice device(sim::SampleMemory(), 0xC000, faults);
    sim::SimLine line(device);
    const Clock::time_point t0{};
    const auto at = [&](const Bytes& request, std::chrono::milliseconds when) { return line.Receive(request, t0 + when); };

    auto first = at(Request(5, {7, 0}), 0ms);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].at, t0 + 300ms);
    EXPECT_EQ(first[0].bytes.size(), 38u);
    auto second = at(Request(5, {8, 0}), 10ms); // waits for the late one
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].at, t0 + 300ms);
    EXPECT_TRUE(std::equal(second[0].bytes.begin() + 5, second[0].bytes.begin() + 37, device.Memory().begin() + 8 * 32));
    auto third = at(Request(5, {7, 0}), 400ms); // late once only; the third reply brings noise
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].at, t0 + 400ms);
    EXPECT_EQ(Bytes(third[0].bytes.begin() + 38, third[0].bytes.end()), Bytes(std::begin(sim::kNoise), std::end(sim::kNoise)));
    // Longer noise repeats the same bytes.
    sim::SimDevice noisier(sim::SampleMemory(), 0xC000, sim::SimFaults{.noiseEvery = 1, .noiseBytes = 7});
    EXPECT_EQ(noisier.Respond(Request(1)).noise, (Bytes{0x00, 0xFF, 0x55, 0x00, 0xFF, 0x55, 0x00}));

    // A request split by a pause longer than the frame gap is dropped.
    const Bytes connect = Request(1);
    EXPECT_TRUE(at(Bytes(connect.begin(), connect.begin() + 3), 500ms).empty());
    EXPECT_TRUE(at(Bytes(connect.begin() + 3, connect.end()), 500ms + sim::kFrameGap + 1ms).empty());
    EXPECT_EQ(at(connect, 800ms).size(), 1u);

    // At line rate the reply follows the request's last byte and takes its time.
    sim::SimDevice paced(sim::SampleMemory(), 0xC000);
    sim::SimLine slow(paced, device::kCharTime);
    const auto reply = slow.Receive(Request(5, {1, 0}), t0);
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0].at, t0 + 8 * device::kCharTime);
    // Full duplex: the next request comes in meanwhile, its reply waits for the line.
    EXPECT_EQ(slow.Receive(Request(5, {2, 0}), t0)[0].at, t0 + (8 + 38) * device::kCharTime);
}

TEST(SimDevice, SampleMemoryIsTheReferenceLayoutWithJournals)
{
    const Bytes memory = sim::SampleMemory();
    ASSERT_EQ(memory.size(), 8192u);
    SettingsModel model;
    model.Image = ImageFromMemory(memory);
    EXPECT_TRUE(model.DecodeAll(Language::Russian).empty());
    EXPECT_EQ(model.SectionCount(), 11);
    EXPECT_EQ(model.Dir().Entry(1).address, kReferenceFirstSection);
    EXPECT_EQ(model.Dir().Entry(11).deviceLength, 664 + 4);
    EXPECT_NE(model.Record(7)[16 + 2], 0);   // a trip
    EXPECT_NE(model.Record(7)[436 + 2], 0);  // a refuel
    EXPECT_EQ(GetU32(model.Record(11), 16 + 8), 0x0301u); // a fault with its freeze frame
    EXPECT_EQ(GetU32(model.Record(11), 108 + 4), 0x0171u); // one without
    EXPECT_EQ(GetU32(model.Record(11), 108 + 8), 0u);
    EXPECT_EQ(GetU16(model.Record(3), 0), 1000); // the rest keeps the defaults
}

} // namespace
} // namespace tc
