// The simulated trip computer's own rules: what it answers, what it keeps,
// and its layout, checked without any line in between.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
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

TEST(SimDevice, SampleMemoryIsTheReferenceLayoutWithJournals)
{
    const Bytes memory = sim::SampleMemory();
    ASSERT_EQ(memory.size(), 8192u);
    SettingsModel model;
    model.Image = ImageFromMemory(memory);
    EXPECT_TRUE(model.DecodeAll().empty());
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
