#include "link/DeviceLink.h"

#include "common/Bytes.h"
#include "common/Error.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tc {

const char* const kNoLinkText = "RS232. No link. Check PC-device connection.";
const char* const kDelayInBlockText = "RS232. Delay within block error.";
const char* const kExchangeErrorText = "RS232. Exchange error.";
const char* const kDeviceBusyText = "Устройство занято. Возможно, оно находится в режиме местного управления.";
const char* const kOnlyOneDeviceText =
    "ТОЛЬКО ОДНО устройство, подключенное к СОМ-порту, должно быть включено. Это действительно так?";

DeviceLink::DeviceLink(std::shared_ptr<PortSystem> system, std::shared_ptr<Clock> clock)
    : SerialPort(std::move(system)), clock_(clock ? std::move(clock) : SteadyClock())
{
    SectionName = "RS232";
}

Clock::TimePoint DeviceLink::Now() const
{
    return clock_->Now();
}

std::chrono::microseconds DeviceLink::WaitUntil(Clock::TimePoint deadline) const
{
    // One wait of the link: up to the deadline, but never longer than an
    // idle slice, so that the user interface gets its turn.
    const auto now = Now();
    const auto left = now < deadline ? std::min<Clock::Duration>(deadline - now, device::kIdleSlice) : Clock::Duration::zero();
    return std::chrono::duration_cast<std::chrono::microseconds>(left);
}

void DeviceLink::ClosePort()
{
    SerialPort::ClosePort();
    outOfStep_ = false;
    resynced_ = false;
    owed_ = 0;
}

std::size_t DeviceLink::FrameLength() const
{
    return LongFrame ? GetU16(TxBuffer, 0) : (TxBuffer[0] == 0 ? 256u : TxBuffer[0]);
}

std::size_t DeviceLink::ReplyLength() const
{
    return LongFrame ? GetU16(RxBuffer, 0) : RxBuffer[0];
}

bool DeviceLink::CheckReply()
{
    const std::size_t n = ReplyLength();
    return n <= kFrameBufferSize && ByteSum(RxBuffer.data(), n) == 0;
}

void DeviceLink::EndFrame()
{
    if (!LongFrame) {
        FrameBuffers::EndFrame();
        return;
    }
    // The buffer, not the 16-bit length, is the limit here.
    const std::uint32_t length = TxLength + 1;
    if (length > 65535 || TxLength >= kFrameBufferSize)
        throw Error(kFrameBoundsText);
    PutU16(TxBuffer, 0, static_cast<std::uint16_t>(length));
    PutCheckByte();
}

void DeviceLink::BeginRequest(std::uint8_t address, std::uint8_t cmd)
{
    BeginFrame();
    if (LongFrame)
        PutByte(0);
    PutByte(address);
    if (!ShortAddress)
        PutWord(1);
    PutByte(cmd);
}

void DeviceLink::Pause(std::chrono::milliseconds d)
{
    const auto until = Now() + d;
    for (;;) {
        Idle();
        const auto now = Now();
        if (now >= until)
            return;
        clock_->SleepUntil(now + std::min<Clock::Duration>(until - now, device::kIdleSlice));
    }
}

bool DeviceLink::AddressedToUs(std::span<const std::uint8_t> frame) const
{
    // The reply repeats the request's address bytes between its length and its status.
    const auto header = static_cast<std::size_t>(LongFrame ? 2 : 1);
    const auto status = static_cast<std::size_t>(StatusIndex());
    if (frame.size() < status)
        return false;
    return std::equal(frame.begin() + static_cast<std::ptrdiff_t>(header), frame.begin() + static_cast<std::ptrdiff_t>(status),
                      TxBuffer.begin() + static_cast<std::ptrdiff_t>(header));
}

int DeviceLink::CountReplies(std::span<const std::uint8_t> bytes) const
{
    const std::size_t minimum = LongFrame ? 7 : ShortAddress ? 4 : 6;
    const auto status = static_cast<std::size_t>(StatusIndex());
    // Frames one after another: with a right check byte only, or any bytes
    // shaped like a reply (a length, and the addresses of our request), since
    // a reply spoilt or cut short on the line still answered a request.
    const auto count = [&](bool checked) {
        int replies = 0;
        for (std::size_t at = 0; at + status <= bytes.size();) {
            const auto frame = bytes.subspan(at);
            const std::size_t n = LongFrame ? GetU16(frame, 0) : frame[0];
            const bool shaped = n >= minimum && AddressedToUs(frame);
            const bool whole = shaped && n <= frame.size();
            if (whole && (!checked || ByteSum(frame.data(), n) == 0)) {
                ++replies;
                at += n;
            } else if (shaped && !checked && !whole) {
                ++replies; // the rest of it was lost
                break;
            } else {
                ++at;
            }
        }
        return replies;
    };
    return std::max(count(true), count(false));
}

bool DeviceLink::Drain(std::chrono::milliseconds quiet, std::vector<std::uint8_t> drained, bool awaitOwed, bool untilLimit)
{
    auto* ch = Channel();
    if (!ch) {
        Pause(quiet);
        return false;
    }
    const auto limit = Now() + device::kDrainLimit + (awaitOwed ? device::kLateReplyLimit : Clock::Duration::zero());
    auto silentUntil = Now() + quiet;
    int replies = CountReplies(drained);
    std::array<std::uint8_t, 256> chunk{};
    for (;;) {
        Idle();
        const auto now = Now();
        // Replies still owed may come up to their late limit.
        const bool owedMayCome = awaitOwed && (untilLimit || replies < owed_) && now < owedUntil_;
        if (now >= silentUntil && !owedMayCome)
            break;
        const auto wakeAt = owedMayCome ? std::max(silentUntil, owedUntil_) : silentUntil;
        if (const std::size_t got = ch->Read(chunk, WaitUntil(wakeAt)); got > 0) {
            drained.insert(drained.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
            replies = CountReplies(drained);
            silentUntil = Now() + quiet;
            // Bytes without end are not a device answering us.
            if (Now() >= limit)
                throw Error(std::string(kExchangeErrorText) + "(0)");
        }
    }
    const bool surplus = replies > owed_;
    owed_ = std::max(0, owed_ - replies);
    if (!surplus)
        resynced_ = true;
    return surplus;
}

std::optional<std::uint8_t> DeviceLink::WaitingByte(std::chrono::milliseconds wait)
{
    auto* ch = Channel();
    if (!ch)
        return std::nullopt;
    const auto until = Now() + wait;
    std::uint8_t byte = 0;
    for (;;) {
        if (ch->Read(std::span<std::uint8_t>(&byte, 1), WaitUntil(until)) > 0)
            return byte;
        if (Now() >= until)
            return std::nullopt;
        Idle();
    }
}

bool DeviceLink::StaysQuiet(std::chrono::milliseconds settle)
{
    const auto first = WaitingByte(settle);
    return !first || !Drain(QuietTime, {*first});
}

bool DeviceLink::Settle()
{
    const bool surplus = Drain(QuietTime, {}, /*awaitOwed=*/true, /*untilLimit=*/true);
    owed_ = 0;
    return surplus;
}

void DeviceLink::SendFrame()
{
    if (PortMode == 2)
        SetRTS();
    const std::size_t n = FrameLength();
    // Nothing may be waiting on a line that is in step. Whatever is (a late
    // or repeated reply, noise) is no answer to this request: it is drained
    // instead of being taken for one.
    if (const auto stray = WaitingByte(std::chrono::milliseconds::zero()))
        outOfStep_ = Drain(QuietTime, {*stray}) || outOfStep_;
    PurgeOutput();
    if (auto* ch = Channel())
        ch->Write(std::span<const std::uint8_t>(TxBuffer.data(), std::min(n, kFrameBufferSize)));
    if (PortMode == 2) {
        // The line hands our own request back first; it answers nothing.
        const int owed = owed_;
        try {
            ReceiveFrame();
        } catch (const Error&) {
        }
        owed_ = owed;
        ClearRTS();
    }
    // Its reply is owed from now on, and may still come up to its late limit.
    ++owed_;
    owedUntil_ = std::max(owedUntil_, Now() + std::max<Clock::Duration>(ReplyTimeout + QuietTime, device::kLateReplyLimit));
}

void DeviceLink::ReceiveRest(std::size_t from, std::size_t to)
{
    auto* ch = Channel();
    std::size_t pos = from;
    auto deadline = Now() + ByteTimeout;
    while (pos < to) {
        Idle();
        std::size_t got = 0;
        if (ch)
            got = ch->Read(std::span<std::uint8_t>(RxBuffer.data() + pos, to - pos), WaitUntil(deadline));
        if (got > 0) {
            pos += got;
            deadline = Now() + ByteTimeout;
        } else if (Now() >= deadline) {
            throw Error(kDelayInBlockText);
        }
    }
}

void DeviceLink::ReceiveFrame()
{
    replyCut_ = true; // until a whole frame is in
    auto* ch = Channel();
    // The first byte may come after the request has left at this line speed.
    const double lineMs = BaudRate > 0 ? 9600.0 / BaudRate * TxLength : 0.0;
    const auto deadline = Now() + ReplyTimeout + std::chrono::milliseconds(std::lround(lineMs));
    bool got = false;
    for (;;) {
        if (ch)
            got = ch->Read(std::span<std::uint8_t>(RxBuffer.data(), 1), WaitUntil(deadline)) == 1;
        else
            clock_->SleepUntil(Now() + WaitUntil(deadline));
        Idle();
        if (got || Now() >= deadline)
            break;
    }
    if (!got)
        throw Error(kNoLinkText);
    std::size_t n = 0;
    std::size_t next = 1;
    if (!LongFrame) {
        n = ReplyLength();
        if (n < static_cast<std::size_t>(ShortAddress ? 4 : 6))
            throw Error(kNoLinkText);
    } else {
        ReceiveRest(1, 2);
        n = ReplyLength();
        if (n < 7)
            throw Error(kNoLinkText);
        // A reply longer than the buffer cannot be ours.
        if (n > kFrameBufferSize)
            throw Error(std::string(kExchangeErrorText) + "(0)");
        next = 2;
    }
    ReceiveRest(next, n);
    // A whole frame answers a request, even with a wrong check byte, when it
    // carries the addresses of our request; noise that only looks like a
    // frame answers nothing, and the reply it stood for is still owed.
    replyCut_ = false;
    const bool checked = CheckReply();
    const bool addressed = AddressedToUs(std::span<const std::uint8_t>(RxBuffer.data(), n));
    // A frame with a right check byte but other addresses is noise that ran
    // into a reply and happened to sum right: it answers nothing. (A query
    // of the address goes to address 0 and is answered by the unit's own;
    // a reply with no address at all has its own message, below.)
    const auto header = static_cast<std::size_t>(LongFrame ? 2 : 1);
    const bool query = TxBuffer[header] == 0;
    const bool noAddress = std::all_of(RxBuffer.begin() + static_cast<std::ptrdiff_t>(header),
                                       RxBuffer.begin() + StatusIndex(), [](std::uint8_t b) { return b == 0; });
    const bool foreign = !addressed && !query && !noAddress;
    if (addressed || (checked && !foreign))
        owed_ = std::max(0, owed_ - 1);
    if (!checked || foreign)
        throw Error(std::string(kExchangeErrorText) + "(0)");
}

void DeviceLink::Transact()
{
    SendFrame();
    ReceiveFrame();
    const int status = StatusIndex();
    bool allZero = true;
    for (int i = LongFrame ? 2 : 1; i < status; ++i)
        allZero = allZero && RxBuffer[static_cast<std::size_t>(i)] == 0;
    if (allZero)
        throw Error(std::string(kExchangeErrorText) + "(" + std::to_string(status) + ")");
    if (RxBuffer[static_cast<std::size_t>(status)] == 255)
        throw Error(kDeviceBusyText);
}

void DeviceLink::Exchange(int attempts, std::chrono::milliseconds sharedLinePause)
{
    EndFrame();
    outOfStep_ = false;
    resynced_ = false;
    if (PortMode != 0)
        Pause(sharedLinePause);
    bool troubled = false;
    for (int attempt = 1;; ++attempt) {
        try {
            Transact();
            break;
        } catch (const Error&) {
            if (attempt == attempts)
                throw;
        }
        troubled = true;
        // A reply that did not come whole may still be on its way: the line
        // is given the time for it, so that it is not taken as the answer to
        // the next attempt.
        outOfStep_ = Drain(replyCut_ ? QuietTime : device::kRetryPause) || outOfStep_;
    }
    if (owed_ > 0 || troubled) {
        // The reply taken may have answered an earlier attempt, and the
        // answers to the others may still come. When some were still owed
        // as it was taken, a late reply is among them: the line is drained
        // until none of them can come any more, since a copy the device
        // sent of its own accord can make up the count in the same burst
        // while the last attempt's answer is still on its way. After any
        // other trouble the line is seen quiet before the next request.
        // Whatever comes later is a surprise.
        outOfStep_ = Drain(QuietTime, {}, /*awaitOwed=*/true, /*untilLimit=*/owed_ > 0) || outOfStep_;
        owed_ = 0;
    }
    RxPos = StatusIndex() + 1;
}

void DeviceLink::Execute()
{
    Exchange(3, device::kSharedLinePause);
}

void DeviceLink::ExecuteOnce()
{
    Exchange(1, device::kSharedLinePauseOnce);
}

void DeviceLink::Command(std::uint8_t address, std::uint8_t cmd)
{
    BeginRequest(address, cmd);
    Execute();
}

void DeviceLink::CommandOnce(std::uint8_t address, std::uint8_t cmd)
{
    BeginRequest(address, cmd);
    ExecuteOnce();
}

int DeviceLink::QueryAddress()
{
    if (!IsOpen())
        return -1;
    if (PortMode != 0 && !Ask(kOnlyOneDeviceText))
        return -1;
    BeginFrame();
    if (LongFrame)
        PutByte(0);
    PutByte(0);
    if (!ShortAddress)
        PutWord(0);
    PutByte(0);
    Execute();
    return RxBuffer[LongFrame ? 2 : 1];
}

} // namespace tc
