// Replies carry no block number: a late reply, a reply too many or line noise
// must never shift the image. Each read here gives the device's memory
// exactly, or fails with a message and leaves the settings as they were.
#include "LinkTestSupport.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using TimePoint = test::FakeChannel::TimePoint;
using Outgoing = sim::SimLine::Outgoing;

// A link whose only port is an in-process line to the responder.
struct Line {
    std::shared_ptr<test::FakePorts> ports = std::make_shared<test::FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit Line(test::FakeChannel::TimedResponder responder)
    {
        ports->AddTimed("/dev/fake0", std::move(responder));
        link = std::make_unique<DeviceLink>(ports, ports->clock);
    }
};

// Reads into a model that holds other settings beforehand (model code
// 0xC001, the reference image). Done: the image must be the memory's; failed:
// nothing may have changed. Returns the error text, "" when done.
std::string ReadChecked(DeviceLink& link, const Bytes& memory)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC001);
    const Bytes before = model.Image;
    TransferObserver observer;
    std::string error;
    try {
        EXPECT_EQ(ReadDeviceSettings(link, model, observer), TransferResult::Done);
        EXPECT_EQ(model.Image, ImageFromMemory(memory));
        EXPECT_EQ(model.DeviceModelCode, 0xC000);
    } catch (const Error& e) {
        error = e.what();
        EXPECT_EQ(model.Image, before) << error;
        EXPECT_EQ(model.DeviceModelCode, 0xC001) << error;
    }
    EXPECT_FALSE(link.IsOpen());
    return error;
}

struct LateCase {
    std::vector<std::uint16_t> blocks;
    std::chrono::milliseconds lateness;
};

class LateReplies : public ::testing::TestWithParam<LateCase> {};

// The device answers the first request for each block late, and the repeated
// request right after; the line takes its time as at 115200 baud. The link
// waits as the window does (100 ms for the first byte), lets the late replies
// arrive and go, and takes the block from a quiet line.
TEST_P(LateReplies, GiveTheExactImage)
{
    sim::SimFaults faults;
    for (const auto block : GetParam().blocks)
        faults.lateBlocks[block] = GetParam().lateness;
    auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, faults);
    Line line(test::DeviceResponder(device, device::kCharTime));
    EXPECT_EQ(ReadChecked(*line.link, device->Memory()), "");
}

std::vector<LateCase> LateCases()
{
    std::vector<LateCase> cases;
    for (const auto lateness : {150ms, 300ms, 600ms})
        for (const auto& blocks : std::vector<std::vector<std::uint16_t>>{{1}, {129}, {255}, {40, 41}})
            cases.push_back({blocks, lateness});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(InProcess, LateReplies, ::testing::ValuesIn(LateCases()),
                         [](const ::testing::TestParamInfo<LateCase>& param) {
                             std::string name = "Block";
                             for (const auto b : param.param.blocks)
                                 name += std::to_string(b) + "_";
                             return name + std::to_string(param.param.lateness.count()) + "ms";
                         });

bool AsksFor(const Bytes& request, std::uint16_t block)
{
    return request.size() == 8 && request[4] == kCmdReadBlock && GetU16(request, 5) == block;
}

// The simulated device, with its replies changed on their way to the link.
using Change = std::function<std::vector<Outgoing>(const Bytes& request, TimePoint now, std::vector<Outgoing> replies)>;

test::FakeChannel::TimedResponder Around(std::shared_ptr<sim::SimDevice> device, Change change)
{
    auto inner = test::DeviceResponder(device);
    return [inner, change](const Bytes& request, TimePoint now) { return change(request, now, inner(request, now)); };
}

// Block `block` answered twice the first time it is asked for, the copy
// `after` behind the reply.
Change Twice(std::uint16_t block, Clock::Duration after)
{
    auto done = std::make_shared<bool>(false);
    return [=](const Bytes& request, TimePoint, std::vector<Outgoing> replies) {
        if (!*done && AsksFor(request, block) && !replies.empty()) {
            *done = true;
            replies.push_back({replies.front().at + after, replies.front().bytes});
        }
        return replies;
    };
}

// Noise, replies too many and a device that takes its time: every read gives
// the exact image; a device that answers every block twice is given up with
// a message.
TEST(InStep, NoiseAndRepliesTooManyNeverShiftTheImage)
{
    struct Case {
        const char* what;
        unsigned noiseEvery;
        Change change;
        std::string error;
    };
    auto requests = std::make_shared<int>(0);
    const Change noiseAhead = [requests](const Bytes&, TimePoint now, std::vector<Outgoing> replies) {
        if (++*requests % 50 != 0 || replies.empty())
            return replies;
        replies.front().at += 1ms;
        replies.insert(replies.begin(), Outgoing{now, {0x00, 0xFF, 0x55}});
        return replies;
    };
    // Each reply 2 ms after its request, and block 100 once more 1 ms after
    // that: the copy comes after the request for block 101 went out.
    const Change slowTwice = [twice = Twice(100, 1ms)](const Bytes& request, TimePoint now, std::vector<Outgoing> replies) {
        for (auto& r : replies)
            r.at += 2ms;
        return twice(request, now, std::move(replies));
    };
    // The first connect answered twice, the copy after the request for the
    // first block went out: it is taken for that block's reply.
    const Change slowConnectTwice = [done = std::make_shared<bool>(false)](const Bytes& request, TimePoint,
                                                                           std::vector<Outgoing> replies) {
        for (auto& r : replies)
            r.at += 2ms;
        if (!*done && request.size() > 4 && request[4] == kCmdConnect && !replies.empty()) {
            *done = true;
            replies.push_back({replies.front().at + 1ms, replies.front().bytes});
        }
        return replies;
    };
    const Change everyBlockTwice = [](const Bytes& request, TimePoint, std::vector<Outgoing> replies) {
        if (request.size() == 8 && request[4] == kCmdReadBlock && !replies.empty())
            replies.push_back(replies.front());
        return replies;
    };
    const std::vector<Case> cases{
        {"noise behind every 37th reply", 37, {}, ""},
        {"noise ahead of every 50th reply", 0, noiseAhead, ""},
        {"block 100 twice at once", 0, Twice(100, Clock::Duration::zero()), ""},
        {"block 100 twice, the copy after the next request", 0, slowTwice, ""},
        {"the last block twice", 0, Twice(255, 1ms), ""},
        {"the connect twice, the copy after the first block's request", 0, slowConnectTwice, ""},
        {"every block twice", 0, everyBlockTwice, OutOfStepText(Language::Russian)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimFaults faults;
        faults.noiseEvery = c.noiseEvery;
        auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, faults);
        Line line(c.change ? Around(device, c.change) : test::DeviceResponder(device));
        line.link->QuietTime = 20ms; // the in-process line has no late replies here
        EXPECT_EQ(ReadChecked(*line.link, device->Memory()), c.error);
    }
}

// A clean read asks for the model code, then for every block once, and for
// the model code again behind the last block: the short reply to it shows the
// line in step without waiting for it to stay silent.
TEST(InStep, CleanReadAsksForEveryBlockOnceAndConnectsBehindTheLast)
{
    auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, sim::SimFaults{});
    auto asked = std::make_shared<std::vector<std::pair<std::uint8_t, std::uint16_t>>>();
    Line line(Around(device, [asked](const Bytes& request, TimePoint, std::vector<Outgoing> replies) {
        asked->emplace_back(request.at(4), request[4] == kCmdReadBlock ? GetU16(request, 5) : 0);
        return replies;
    }));
    EXPECT_EQ(ReadChecked(*line.link, device->Memory()), "");
    std::vector<std::pair<std::uint8_t, std::uint16_t>> expected{{kCmdConnect, 0}};
    for (std::uint16_t block = 1; block < device::kBlockCount; ++block)
        if (block != device::kBlocksPerHalf)
            expected.emplace_back(kCmdReadBlock, block);
    expected.emplace_back(kCmdConnect, 0);
    EXPECT_EQ(*asked, expected);
}

// Opens the line with a 100 ms reply timeout and asks for blocks 3 and 4:
// each must get its own block's reply. `afterEach` checks more after each.
void ReadBlocks3And4(Line& line, const std::function<void()>& afterEach = [] {})
{
    line.link->ReplyTimeout = 100ms;
    line.link->OpenPort(static_cast<int>(line.link->PortNumber), Language::Russian);
    for (const std::uint16_t block : {std::uint16_t{3}, std::uint16_t{4}}) {
        line.link->BeginRequest(kTripComputerAddress, kCmdReadBlock);
        line.link->PutWord(block);
        line.link->Execute();
        EXPECT_EQ(line.link->Reply()[36], block);
        afterEach();
    }
}

// A reply that comes after the link gave up waiting is drained before the
// request goes out again; what the caller gets is the answer to its request.
TEST(InStep, LateReplyIsNotTakenForTheNextRequest)
{
    sim::SimFaults faults;
    faults.lateBlocks[3] = 150ms;
    auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000, faults);
    Line line(test::DeviceResponder(device));
    ReadBlocks3And4(line, [&] { EXPECT_FALSE(line.link->OutOfStep()); });
    // Two requests for block 3, both answered and both taken off the line.
    EXPECT_EQ(line.ports->log->written.size(), 3u);
    EXPECT_TRUE(line.link->StaysQuiet(20ms));
}

// A device that answers in the order it was asked: request n gets one reply
// after each of the delays listed for it (none: it is lost); requests beyond
// the list are answered at once.
test::FakeChannel::TimedResponder Scheduled(std::shared_ptr<sim::SimDevice> device,
                                            std::vector<std::vector<std::chrono::milliseconds>> delays)
{
    auto state = std::make_shared<std::pair<std::size_t, TimePoint>>(0, TimePoint{});
    return [=](const Bytes& request, TimePoint now) {
        const auto replyDelays = state->first < delays.size() ? delays[state->first] : std::vector{1ms};
        ++state->first;
        const auto reply = device->Handle(request);
        std::vector<Outgoing> out;
        for (const auto delay : replyDelays) {
            state->second = std::max(now + delay, state->second);
            out.push_back({state->second, reply});
        }
        return out;
    };
}

// Trouble with block 3's requests; the answers that come after the one taken
// are awaited or drained, never taken for block 4's.
TEST(InStep, AnswersAfterTroubleAreNotTakenForTheNextRequest)
{
    const std::vector<std::pair<const char*, std::vector<std::vector<std::chrono::milliseconds>>>> cases{
        // The answer to the third comes long after the second's was taken,
        // but before a late reply can no longer come.
        {"lost, then twice 400 ms late", {{}, {400ms}, {400ms}}},
        // The repeat answered twice; block 4's first request lost, so that
        // the copy would be the only thing on the line when it is awaited.
        {"300 ms late, the repeat answered twice 9 ms apart, then lost", {{300ms}, {1ms, 10ms}, {}}},
    };
    for (const auto& [what, delays] : cases) {
        SCOPED_TRACE(what);
        auto device = std::make_shared<sim::SimDevice>(test::DistinctMemory(), 0xC000);
        Line line(Scheduled(device, delays));
        ReadBlocks3And4(line);
        EXPECT_FALSE(line.link->OutOfStep());
        EXPECT_TRUE(line.link->StaysQuiet(20ms));
    }
}

} // namespace
} // namespace tc
