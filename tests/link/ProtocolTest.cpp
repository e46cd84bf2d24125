// Frames byte for byte, reply checks, attempts and the link's messages, on an
// in-process line.
#include "LinkTestSupport.h"

#include "common/Error.h"
#include "link/DeviceLink.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tc {
namespace {

using namespace std::chrono_literals;
using test::FakePorts;
using test::Framed;
using Bytes = std::vector<std::uint8_t>;

// A link on COM1 whose line answers with the responder.
struct Line {
    std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit Line(test::FakeChannel::Responder responder)
    {
        ports->Add("/dev/fake0", std::move(responder));
        link = std::make_unique<DeviceLink>(ports, ports->clock);
        link->ReplyTimeout = 20ms; // the line answers at once or never
        link->ByteTimeout = 20ms;
        link->QuietTime = 20ms;
        link->OpenPort(static_cast<int>(link->PortNumber), Language::Russian);
    }
    const std::vector<Bytes>& Written() const { return ports->log->written; }
};

test::FakeChannel::Responder Always(Bytes reply)
{
    return [reply](const Bytes&) { return reply; };
}

Bytes Data(const DeviceLink& link)
{
    return Bytes(link.ReplyData().begin(), link.ReplyData().end());
}

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

TEST(ProtocolFrames, RequestsAreFramedByteForByte)
{
    Line line(Always(Framed({0xF4, 1, 0, 0, 1, 0x00, 0xC0})));
    line.link->Command(244, 1);
    EXPECT_EQ(line.Written().back(), (Bytes{0x06, 0xF4, 0x01, 0x00, 0x01, 0x04}));

    line.link->BeginRequest(244, 5);
    line.link->PutWord(1);
    line.link->Execute();
    EXPECT_EQ(line.Written().back(), (Bytes{0x08, 0xF4, 0x01, 0x00, 0x05, 0x01, 0x00, 0xFD}));
    EXPECT_TRUE(std::ranges::equal(line.link->Request().Bytes(), line.Written().back()));

    line.link->BeginRequest(244, 4);
    for (std::uint16_t word : std::initializer_list<std::uint16_t>{0xFFFE, 0xFFFF, 0x0000, 0x3F80}) // -2 and 1.0f, little-endian
        line.link->PutWord(word);
    line.link->Execute();
    EXPECT_EQ(line.Written().back(),
              (Bytes{0x0E, 0xF4, 0x01, 0x00, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x3F}));
}

TEST(ProtocolFrames, ShortAddressAndLongFrameVariants)
{
    Line shortLine(Always(Framed({0xF4, 0, 7})));
    shortLine.link->ShortAddress = true;
    shortLine.link->Command(244, 1);
    EXPECT_EQ(shortLine.Written().back(), (Bytes{0x04, 0xF4, 0x01, 0x07}));
    EXPECT_EQ(Data(*shortLine.link), Bytes{7});

    Bytes longReply{0x09, 0x00, 0xF4, 0x01, 0x00, 0x00, 0x2A, 0x00};
    unsigned sum = 0;
    for (auto b : longReply)
        sum += b;
    longReply.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    Line longLine(Always(longReply));
    longLine.link->LongFrame = true;
    longLine.link->Command(244, 1);
    EXPECT_EQ(longLine.Written().back(), (Bytes{0x07, 0x00, 0xF4, 0x01, 0x00, 0x01, 0x03}));
    EXPECT_EQ(Data(*longLine.link), (Bytes{0x2A, 0x00}));
}

TEST(ProtocolFrames, FrameOver255BytesIsRefusedBeforeSending)
{
    Line line(Always(Framed({0xF4, 1, 0, 0})));
    line.link->BeginRequest(244, 4);
    for (int i = 0; i < 249; ++i)
        line.link->PutByte(0x11);
    line.link->Execute(); // exactly 255 bytes
    EXPECT_EQ(line.Written().back().size(), 255u);
    EXPECT_EQ(line.Written().back()[0], 255);

    const auto sent = line.Written().size();
    line.link->BeginRequest(244, 4);
    for (int i = 0; i < 250; ++i)
        line.link->PutByte(0x11);
    EXPECT_EQ(ErrorOf([&] { line.link->Execute(); }), kFrameBoundsText);
    EXPECT_EQ(line.Written().size(), sent);
    // The request last sent is still the one that went out.
    EXPECT_EQ(Bytes(line.link->Request().Bytes().begin(), line.link->Request().Bytes().end()), line.Written().back());
}

TEST(ProtocolFrames, BuffersAreBounded)
{
    Line line(Always(Framed({0xF4, 1, 0, 0, 'o', 'k', 0, 9})));
    line.link->LongFrame = true;
    line.link->BeginRequest(244, 4);
    // A long frame may exceed 255 bytes but never the 2048-byte buffer.
    EXPECT_EQ(ErrorOf([&] { for (int i = 0; i < 3000; ++i) line.link->PutByte(0); }), kFrameBoundsText);
    line.link->LongFrame = false;
    line.link->Command(244, 1);
    // The reply's data ends before its check byte.
    EXPECT_EQ(Data(*line.link), (Bytes{'o', 'k', 0, 9}));
}

// Frames built and taken apart: length, check byte, data, bounds.
TEST(ProtocolFrames, FrameValuesBuildAndParse)
{
    struct Case {
        FrameFormat format;
        Bytes body;    // after the length bytes, before the check byte
        Bytes framed;  // as sent
        Bytes data;    // what follows the status byte
    };
    const std::vector<Case> cases{
        {{false, false}, {0xF4, 1, 0, 0, 0x5A}, {0x07, 0xF4, 1, 0, 0, 0x5A, 0xAA}, {0x5A}},
        {{false, false}, {0xF4, 1, 0, 0, 'o', 'k'}, {0x08, 0xF4, 1, 0, 0, 'o', 'k', 0x29}, {'o', 'k'}},
        {{false, true}, {0xF4, 0, 7}, {0x05, 0xF4, 0, 7, 0x00}, {7}},
        {{true, false}, {0xF4, 1, 0, 0, 0x2A, 0x00}, {0x09, 0x00, 0xF4, 1, 0, 0, 0x2A, 0x00, 0xD8}, {0x2A, 0x00}},
    };
    for (const auto& c : cases) {
        Frame f = Frame::Begin(c.format);
        for (auto b : c.body)
            f.PutByte(b);
        f.End(c.format);
        EXPECT_EQ(Bytes(f.Bytes().begin(), f.Bytes().end()), c.framed);
        EXPECT_TRUE(f.SumChecks());
        EXPECT_EQ(c.format.StatedLength(f.Bytes()), c.framed.size());
        const Frame parsed = Frame::Received(c.framed);
        EXPECT_EQ(parsed, f);
        EXPECT_EQ(Bytes(parsed.Data(c.format).begin(), parsed.Data(c.format).end()), c.data);
        Bytes spoilt = c.framed;
        spoilt[spoilt.size() / 2] ^= 0x10;
        EXPECT_FALSE(Frame::Received(spoilt).SumChecks());
        // A frame used before and built again in place is the same frame.
        Frame reused = Frame::Received(spoilt);
        reused.Restart(c.format);
        for (auto b : c.body)
            reused.PutByte(b);
        reused.End(c.format);
        EXPECT_EQ(reused, f);
        reused.Assign(c.framed);
        EXPECT_EQ(reused, parsed);
    }
    EXPECT_EQ(FrameFormat{}.StatedLength(Bytes{}), std::nullopt);
    EXPECT_EQ((FrameFormat{true, false}.StatedLength(Bytes{0x09})), std::nullopt);
    // A frame too short to hold its data has none.
    EXPECT_TRUE(Frame::Received(Bytes{0x03, 0xF4, 0x09}).Data(FrameFormat{}).empty());
    // A short frame stops at 255 bytes, a long one at the 2048-byte limit.
    Frame big = Frame::Begin(FrameFormat{});
    for (int i = 0; i < 254; ++i)
        big.PutByte(0);
    EXPECT_EQ(ErrorOf([&] { big.End(FrameFormat{}); }), kFrameBoundsText);
    Frame huge = Frame::Begin(FrameFormat{true, false});
    EXPECT_EQ(ErrorOf([&] { for (std::size_t i = 0; i < kMaxFrameSize; ++i) huge.PutByte(0); }), kFrameBoundsText);
    EXPECT_EQ(huge.Size(), kMaxFrameSize - 1);
}

TEST(ProtocolReplies, BadChecksumIsRetriedTwiceThenReported)
{
    Bytes bad = Framed({0xF4, 1, 0, 0});
    bad.back() ^= 0x01;
    Line line(Always(bad));
    EXPECT_EQ(ErrorOf([&] { line.link->Command(244, 1); }), "RS232. Exchange error.(0)");
    ASSERT_EQ(line.Written().size(), 3u);
    EXPECT_EQ(line.Written()[0], line.Written()[2]); // the same frame each time
}

TEST(ProtocolReplies, ShortRepliesAndHeaderChecks)
{
    Line six(Always(Framed({0xF4, 1, 0, 0})));
    six.link->Command(244, 1);
    EXPECT_TRUE(six.link->ReplyData().empty()); // a 6-byte reply carries no data

    Line five(Always(Bytes{0x05, 0xF4, 0x01, 0x00, 0x06}));
    EXPECT_EQ(ErrorOf([&] { five.link->Command(244, 1); }), "RS232. No link. Check PC-device connection.");

    Line zeros(Always(Framed({0, 0, 0, 0})));
    EXPECT_EQ(ErrorOf([&] { zeros.link->Command(244, 1); }), "RS232. Exchange error.(4)");
    EXPECT_EQ(zeros.Written().size(), 3u);

    Line cut(Always(Bytes{0x26, 0xF4, 0x01, 0x00, 0x00, 0x01})); // 38 announced, 6 sent
    EXPECT_EQ(ErrorOf([&] { cut.link->Command(244, 5); }), "RS232. Delay within block error.");

    // A frame that sums right but carries other addresses (noise that ran
    // into a reply) answers nothing: the request is asked again.
    Line foreign(Always(Framed({0xF5, 1, 0, 0, 0x5A})));
    EXPECT_EQ(ErrorOf([&] { foreign.link->Command(244, 1); }), "RS232. Exchange error.(0)");
    EXPECT_EQ(foreign.Written().size(), 3u);
    int n = 0;
    Line then([&](const Bytes&) { return ++n == 1 ? Framed({0x32, 0x2D, 0x30, 0x39, 0x20}) : Framed({0xF4, 1, 0, 0, 0x5A}); });
    then.link->Command(244, 1);
    EXPECT_EQ(Data(*then.link), Bytes{0x5A});
    EXPECT_EQ(then.Written().size(), 2u);
}

TEST(ProtocolReplies, BusyIsRetriedLikeAnyFailure)
{
    const Bytes busy = Framed({0xF4, 1, 0, 255});
    Line always(Always(busy));
    EXPECT_EQ(ErrorOf([&] { always.link->Command(244, 1); }),
              "Устройство занято. Возможно, оно находится в режиме местного управления.");
    EXPECT_EQ(always.Written().size(), 3u);

    int n = 0;
    Line twice([&](const Bytes&) { return ++n <= 2 ? busy : Framed({0xF4, 1, 0, 0, 0x5A}); });
    twice.link->Command(244, 1);
    EXPECT_EQ(Data(*twice.link), Bytes{0x5A});
}

// What an earlier request left unsent is purged before a request goes out,
// unless the unit has answered the request before (then none of it is left).
TEST(ProtocolReplies, OutputIsPurgedUnlessTheLastRequestWasAnswered)
{
    int n = 0;
    Line line([&](const Bytes&) { return ++n == 2 ? Bytes{} : Framed({0xF4, 1, 0, 0, 0x5A}); });
    line.link->Command(244, 1); // the first request after opening
    line.link->Command(244, 2); // its first attempt goes unanswered
    line.link->Command(244, 3);
    EXPECT_EQ(line.Written().size(), 4u);
    EXPECT_EQ(line.ports->log->purgedBeforeWrite, (std::vector<bool>{true, false, true, false}));
    line.link->ClosePort(); // a port opened again starts unsure
    line.link->OpenPort(static_cast<int>(line.link->PortNumber), Language::Russian);
    line.link->Command(244, 4);
    EXPECT_TRUE(line.ports->log->purgedBeforeWrite.back());
}

TEST(ProtocolReplies, NoReplyAndClosedPortAreNoLink)
{
    Line silent(nullptr);
    int idles = 0;
    silent.link->WhileWaiting = [&] { ++idles; };
    EXPECT_EQ(ErrorOf([&] { silent.link->Command(244, 1); }), "RS232. No link. Check PC-device connection.");
    EXPECT_EQ(silent.Written().size(), 3u);
    EXPECT_GT(idles, 3); // the user interface kept its turn while waiting

    silent.link->ClosePort();
    EXPECT_EQ(ErrorOf([&] { silent.link->Command(244, 1); }), "RS232. No link. Check PC-device connection.");
    EXPECT_EQ(silent.Written().size(), 3u);
}

TEST(ProtocolReplies, QueryAddressAsksOnSharedLines)
{
    auto device = std::make_shared<sim::SimDevice>(Bytes(8192, 0), 0xC000);
    Line line([device](const Bytes& request) { return device->Handle(request); });
    EXPECT_EQ(line.link->QueryAddress(), 244);
    EXPECT_EQ(line.Written().back(), (Bytes{0x06, 0, 0, 0, 0, 0xFA}));

    line.link->SetPortMode(1);
    std::string asked;
    line.link->AskYesNo = [&](const std::string& q) { asked = q; return false; };
    EXPECT_EQ(line.link->QueryAddress(), -1);
    EXPECT_EQ(asked, kOnlyOneDeviceText);
    line.link->SetPortMode(7);
    EXPECT_EQ(line.link->PortMode, 0);
    line.link->ClosePort();
    EXPECT_EQ(line.link->QueryAddress(), -1);
}

} // namespace
} // namespace tc
