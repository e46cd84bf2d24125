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
    // Rounded up: a wait cut to nothing would never reach the deadline.
    return std::chrono::ceil<std::chrono::microseconds>(left);
}

std::chrono::milliseconds DeviceLink::ReplyWait() const
{
    return ClassicTiming || !lastAttempt_ ? ReplyTimeout : std::max(ReplyTimeout, device::kLastAttemptWait);
}

void DeviceLink::LoadSettings(IniAccess& ini, Language language)
{
    ClassicTiming = ini.ReadInteger(SectionName, "ClassicTiming", 0) != 0;
    SerialPort::LoadSettings(ini, language);
}

void DeviceLink::ClosePort()
{
    SerialPort::ClosePort();
    outOfStep_ = false;
    resynced_ = false;
    owed_ = 0;
    paced_ = false;
    answered_ = false;
}

void DeviceLink::BeginRequest(std::uint8_t address, std::uint8_t cmd)
{
    building_.Restart(Format());
    PutByte(address);
    if (!ShortAddress)
        PutWord(1);
    PutByte(cmd);
}

std::size_t DeviceLink::Await(std::span<std::uint8_t> into, Clock::TimePoint deadline)
{
    auto* ch = Channel();
    for (;;) {
        Idle();
        std::size_t got = 0;
        if (ch && !into.empty())
            got = ch->Read(into, WaitUntil(deadline));
        else
            clock_->SleepUntil(Now() + WaitUntil(deadline));
        if (got > 0)
            return got;
        if (Now() >= deadline)
            return 0;
    }
}

void DeviceLink::Pause(std::chrono::milliseconds d)
{
    Await({}, Now() + d);
}

bool DeviceLink::AddressedToUs(std::span<const std::uint8_t> frame) const
{
    // The reply repeats the request's address bytes between its length and its status.
    const auto header = static_cast<std::size_t>(LongFrame ? 2 : 1);
    const auto status = static_cast<std::size_t>(StatusIndex());
    const auto sent = request_.Bytes();
    if (frame.size() < status || sent.size() < status)
        return false;
    return std::equal(frame.begin() + static_cast<std::ptrdiff_t>(header), frame.begin() + static_cast<std::ptrdiff_t>(status),
                      sent.begin() + static_cast<std::ptrdiff_t>(header));
}

int DeviceLink::CountReplies(std::span<const std::uint8_t> bytes) const
{
    const std::size_t minimum = Format().MinReply();
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
            if (whole && (!checked || Frame::Sum(frame.first(n)) == 0)) {
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
        const auto now = Now();
        // Replies still owed may come up to their late limit.
        const bool owedMayCome = awaitOwed && (untilLimit || replies < owed_) && now < owedUntil_;
        if (now >= silentUntil && !owedMayCome)
            break;
        const auto wakeAt = owedMayCome ? std::max(silentUntil, owedUntil_) : silentUntil;
        if (const std::size_t got = Await(chunk, wakeAt); got > 0) {
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
    if (!Channel())
        return std::nullopt;
    std::uint8_t byte = 0;
    if (Await(std::span<std::uint8_t>(&byte, 1), Now() + wait) > 0)
        return byte;
    return std::nullopt;
}

std::chrono::milliseconds DeviceLink::Quiet() const
{
    return ClassicTiming ? QuietTime : device::kLineQuiet;
}

bool DeviceLink::StaysQuiet(std::chrono::milliseconds settle)
{
    const auto first = WaitingByte(settle);
    return !first || !Drain(Quiet(), {*first});
}

bool DeviceLink::Settle()
{
    const bool surplus = Drain(Quiet(), {}, /*awaitOwed=*/true, /*untilLimit=*/true);
    owed_ = 0;
    return surplus;
}

void DeviceLink::CatchUpWithEarlierReply()
{
    outOfStep_ = true;
    ++owed_;
    Drain(Quiet(), {}, /*awaitOwed=*/true);
}

void DeviceLink::SendFrame()
{
    if (PortMode == 2)
        SetRTS();
    // Nothing may be waiting on a line that is in step. Whatever is (a late
    // or repeated reply, noise) is no answer to this request: it is drained
    // instead of being taken for one.
    if (const auto stray = WaitingByte(std::chrono::milliseconds::zero()))
        outOfStep_ = Drain(Quiet(), {*stray}) || outOfStep_;
    // Whatever an earlier request left unsent is thrown away. Once the unit
    // has answered the request before, nothing of it can be left, and the
    // purge is spared.
    if (!answered_)
        PurgeOutput();
    answered_ = false;
    sentAt_ = Now();
    if (auto* ch = Channel())
        ch->Write(request_.Bytes());
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
    owedUntil_ = std::max(owedUntil_, Now() + std::max<Clock::Duration>(ReplyWait() + QuietTime, device::kLateReplyLimit));
}

void DeviceLink::ReceiveRest(std::span<std::uint8_t> bytes, std::size_t from, std::size_t to)
{
    std::size_t pos = from;
    restChunks_ = 0;
    while (pos < to) {
        const std::size_t got = Await(bytes.subspan(pos, to - pos), Now() + ByteTimeout);
        if (got == 0) {
            ++damaged_;
            throw Error(kDelayInBlockText);
        }
        pos += got;
        ++restChunks_;
    }
}

bool DeviceLink::PlausibleHeader(std::span<const std::uint8_t> header) const
{
    const FrameFormat format = Format();
    const auto length = format.StatedLength(header);
    if (!length)
        return true; // its length is still to come
    if (*length < format.MinReply() || *length > kMaxFrameSize)
        return false;
    // The unit answers a query of the address with its own; any other
    // request with the request's addresses, or none at all. The addresses
    // that have come must be those.
    const std::size_t from = format.LengthBytes();
    const std::size_t to = std::min(header.size(), format.StatusIndex());
    const auto sent = request_.Bytes();
    if (sent.size() <= from || sent[from] == 0)
        return true;
    bool ours = true, none = true;
    for (std::size_t i = from; i < to; ++i) {
        ours = ours && i < sent.size() && header[i] == sent[i];
        none = none && header[i] == 0;
    }
    return ours || none;
}

std::size_t DeviceLink::ReceiveFrameStart(std::span<std::uint8_t> bytes, Clock::TimePoint deadline)
{
    // Bytes in front of a reply (line noise, the rest of a reply given up
    // on) are skipped byte by byte until the bytes at hand can start one: a
    // length that fits and the request's addresses. The first byte of it
    // must come by the deadline; the bytes after a skipped one are awaited
    // a byte timeout too.
    const FrameFormat format = Format();
    const std::size_t header = format.StatusIndex();
    std::size_t have = 0;
    std::size_t skipped = 0;
    // When each of the bytes at hand came.
    std::array<Clock::TimePoint, 8> came{};
    auto waitUntil = deadline;
    for (;;) {
        while (have > 0 && !PlausibleHeader(std::span<const std::uint8_t>(bytes).first(std::min(have, header)))) {
            std::copy(bytes.begin() + 1, bytes.begin() + static_cast<std::ptrdiff_t>(have), bytes.begin());
            std::copy(came.begin() + 1, came.begin() + static_cast<std::ptrdiff_t>(have), came.begin());
            --have;
            // Bytes without end are not a device answering us.
            if (++skipped > kMaxFrameSize) {
                ++damaged_;
                throw Error(std::string(kExchangeErrorText) + "(0)");
            }
        }
        if (have >= header) {
            frameStart_ = came[0];
            return *format.StatedLength(bytes);
        }
        const std::size_t got = Await(bytes.subspan(have, header - have), waitUntil);
        if (got == 0) {
            // Bytes came, but no reply to this request in them: a reply
            // that stopped after its first bytes, a frame's worth of bytes
            // that answer something else, or a few that answer nothing.
            if (have > 0 || skipped > 0)
                ++damaged_;
            if (have > 0 && skipped == 0)
                throw Error(kDelayInBlockText);
            if (have + skipped >= format.MinReply())
                throw Error(std::string(kExchangeErrorText) + "(0)");
            throw Error(kNoLinkText);
        }
        std::fill_n(came.begin() + static_cast<std::ptrdiff_t>(have), got, Now());
        have += got;
        waitUntil = std::max(deadline, Now() + ByteTimeout);
    }
}

bool DeviceLink::CameTooSoon(std::size_t frameSize)
{
    // Only a plain RS232 line is judged (an echoing line hands the request
    // back first), and only at a known speed: at least ten bits a character.
    if (PortMode != 0 || BaudRate == 0)
        return false;
    const auto charTime = std::chrono::nanoseconds(std::int64_t{10} * 1'000'000'000 / BaudRate);
    const auto now = Now();
    // A line that takes its time brings a frame a few bytes at a time, over
    // the time they take; a pseudo-terminal or an unpaced line hands it over
    // at once, and nothing can be judged by its time. Seen once, the line is
    // taken to be paced until a frame's bytes come all at once.
    const std::size_t rest = frameSize - Format().StatusIndex();
    if (rest >= 8 && restChunks_ <= 1)
        paced_ = false;
    else if (rest >= 16 && restChunks_ >= rest / 2
             && now - frameStart_ >= charTime * static_cast<std::int64_t>(frameSize - 1) / 2)
        paced_ = true;
    return paced_ && now < sentAt_ + charTime * static_cast<std::int64_t>(request_.Size() + frameSize);
}

void DeviceLink::ReceiveFrame()
{
    replyCut_ = true; // until a whole frame is in
    const FrameFormat format = Format();
    std::span<std::uint8_t> bytes(receiving_);
    // The first byte may come after the request has left at this line speed.
    const double lineMs = BaudRate > 0 ? 9600.0 / BaudRate * static_cast<double>(request_.Size() - 1) : 0.0;
    const auto deadline = Now() + ReplyWait() + std::chrono::milliseconds(std::lround(lineMs));
    std::size_t n = 0;
    if (ClassicTiming) {
        // The first byte is the reply's length, whatever it is.
        if (Await(std::span<std::uint8_t>(bytes).first(1), deadline) == 0)
            throw Error(kNoLinkText);
        if (format.longFrame)
            ReceiveRest(bytes, 1, 2);
        n = *format.StatedLength(bytes);
        if (n < format.MinReply() || n > kMaxFrameSize)
            ++damaged_;
        if (n < format.MinReply())
            throw Error(kNoLinkText);
        // A reply longer than the buffer cannot be ours.
        if (n > kMaxFrameSize)
            throw Error(std::string(kExchangeErrorText) + "(0)");
        ReceiveRest(bytes, format.LengthBytes(), n);
    } else {
        for (;;) {
            n = ReceiveFrameStart(bytes, deadline);
            ReceiveRest(bytes, format.StatusIndex(), n);
            if (!CameTooSoon(n))
                break;
            // A frame that was whole before this request and its answer
            // could have crossed the line answers an earlier request (a
            // copy right behind a reply, or a reply the one taken stood in
            // for): a reply too many. The answer is still to come.
            outOfStep_ = true;
        }
    }
    // A whole frame answers a request, even with a wrong check byte, when it
    // carries the addresses of our request; noise that only looks like a
    // frame answers nothing, and the reply it stood for is still owed.
    replyCut_ = false;
    const auto frame = std::span<const std::uint8_t>(bytes).first(n);
    const bool checked = Frame::Sum(frame) == 0;
    const bool addressed = AddressedToUs(frame);
    // A frame with a right check byte but other addresses is noise that ran
    // into a reply and happened to sum right: it answers nothing. (A query
    // of the address goes to address 0 and is answered by the unit's own;
    // a reply with no address at all has its own message, below.)
    const auto header = format.LengthBytes();
    const auto status = format.StatusIndex();
    const bool query = request_[header] == 0;
    const bool noAddress = std::all_of(frame.begin() + static_cast<std::ptrdiff_t>(header),
                                       frame.begin() + static_cast<std::ptrdiff_t>(status), [](std::uint8_t b) { return b == 0; });
    const bool foreign = !addressed && !query && !noAddress;
    if (addressed || (checked && !foreign))
        owed_ = std::max(0, owed_ - 1);
    if (!checked)
        ++damaged_;
    if (!checked || foreign)
        throw Error(std::string(kExchangeErrorText) + "(0)");
    reply_.Assign(frame);
}

void DeviceLink::Transact()
{
    busy_ = false;
    SendFrame();
    ReceiveFrame();
    const auto status = Format().StatusIndex();
    bool allZero = true;
    for (std::size_t i = Format().LengthBytes(); i < status; ++i)
        allZero = allZero && reply_[i] == 0;
    if (allZero)
        throw Error(std::string(kExchangeErrorText) + "(" + std::to_string(status) + ")");
    if (reply_[status] == 255) {
        busy_ = true;
        throw Error(kDeviceBusyText);
    }
}

void DeviceLink::Exchange(int attempts, std::chrono::milliseconds sharedLinePause)
{
    // Ended in a frame of its own, so that a request too long to end leaves
    // the one last sent as it was.
    ending_ = building_;
    ending_.End(Format());
    std::swap(request_, ending_);
    outOfStep_ = false;
    resynced_ = false;
    if (PortMode != 0)
        Pause(sharedLinePause);
    bool troubled = false;
    for (int attempt = 1;; ++attempt) {
        lastAttempt_ = attempts > 1 && attempt == attempts;
        try {
            Transact();
            answered_ = true;
            lastAttempt_ = false;
            break;
        } catch (const Error&) {
            lastAttempt_ = false;
            if (attempt == attempts)
                throw;
        }
        troubled = true;
        // Classic timing: a reply that did not come whole may still be on
        // its way, and the line is given the time for it, so that it is not
        // taken as the answer to the next attempt. By default the line need
        // only be silent in its own time: whatever answers an attempt answers
        // the same request, the replies still owed are counted and awaited
        // once one is taken, and bytes that hold no reply are skipped. A busy
        // unit is given its pause either way.
        const auto pause = ClassicTiming ? (replyCut_ ? QuietTime : device::kRetryPause)
                                         : (busy_ ? device::kRetryPause : device::kLineQuiet);
        outOfStep_ = Drain(pause) || outOfStep_;
    }
    if (owed_ > 0 || troubled) {
        // The reply taken may have answered an earlier attempt, and the
        // answers to the others may still come. When some were still owed
        // as it was taken, a late reply is among them: the line is drained
        // until none of them can come any more, since a copy the device
        // sent of its own accord can make up the count in the same burst
        // while the last attempt's answer is still on its way. After any
        // other trouble the line is seen quiet before the next request.
        // Whatever comes later is a surprise. By default the drain ends once
        // the replies owed have come and the line is silent in its own time:
        // a copy that made up the count leaves a reply too many on the line,
        // found before the next request or behind the last.
        if (ClassicTiming)
            outOfStep_ = Drain(QuietTime, {}, /*awaitOwed=*/true, /*untilLimit=*/owed_ > 0) || outOfStep_;
        else
            outOfStep_ = Drain(device::kLineQuiet, {}, /*awaitOwed=*/true, /*untilLimit=*/owed_ > 0) || outOfStep_;
        owed_ = 0;
    }
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
    building_.Restart(Format());
    PutByte(0);
    if (!ShortAddress)
        PutWord(0);
    PutByte(0);
    Execute();
    return reply_[Format().LengthBytes()];
}

} // namespace tc
