#include "link/DeviceLink.h"

#include "common/Error.h"

#include <cmath>
#include <thread>

namespace tc {

const char* const kNoLinkText = "RS232. No link. Check PC-device connection.";
const char* const kDelayInBlockText = "RS232. Delay within block error.";
const char* const kExchangeErrorText = "RS232. Exchange error.";
const char* const kDeviceBusyText = "Устройство занято. Возможно, оно находится в режиме местного управления.";
const char* const kOnlyOneDeviceText =
    "ТОЛЬКО ОДНО устройство, подключенное к СОМ-порту, должно быть включено. Это действительно так?";

namespace {

using Clock = std::chrono::steady_clock;
// How long one wait may last before the user interface gets its turn again.
constexpr auto kIdleSlice = std::chrono::milliseconds(10);

} // namespace

DeviceLink::DeviceLink(std::shared_ptr<PortSystem> system, std::function<void(const std::string&)> showError)
    : SerialPort(std::move(system), std::move(showError))
{
    SectionName = "RS232";
}

std::size_t DeviceLink::FrameLength() const
{
    return LongFrame ? TxBuffer[0] + 256u * TxBuffer[1] : (TxBuffer[0] == 0 ? 256u : TxBuffer[0]);
}

std::size_t DeviceLink::ReplyLength() const
{
    return LongFrame ? RxBuffer[0] + 256u * RxBuffer[1] : RxBuffer[0];
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
        throw Error(kRangeCheckError);
    TxBuffer[0] = static_cast<std::uint8_t>(length & 0xFF);
    TxBuffer[1] = static_cast<std::uint8_t>(length >> 8);
    PutCheckByte();
}

std::string DeviceLink::GetString()
{
    std::string s;
    for (;;) {
        const std::uint8_t c = GetByte();
        if (c == 0)
            return s;
        s.push_back(static_cast<char>(c));
    }
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
    const auto until = Clock::now() + d;
    for (;;) {
        Idle();
        const auto now = Clock::now();
        if (now >= until)
            return;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kIdleSlice));
    }
}

void DeviceLink::SendFrame()
{
    if (PortMode == 2)
        SetRTS();
    const std::size_t n = FrameLength();
    PurgeInput();
    PurgeOutput();
    if (auto* ch = Channel())
        ch->Write(std::span<const std::uint8_t>(TxBuffer.data(), std::min(n, kFrameBufferSize)));
    if (PortMode == 2) {
        // The line hands our own request back first.
        try {
            ReceiveFrame();
        } catch (const Error&) {
        }
        ClearRTS();
    }
}

void DeviceLink::ReceiveRest(std::size_t from, std::size_t to)
{
    auto* ch = Channel();
    std::size_t pos = from;
    auto deadline = Clock::now() + std::chrono::milliseconds(ByteTimeout);
    while (pos < to) {
        Idle();
        const auto now = Clock::now();
        std::size_t got = 0;
        if (ch) {
            const auto wait = now < deadline ? std::min<Clock::duration>(deadline - now, kIdleSlice) : Clock::duration::zero();
            got = ch->Read(std::span<std::uint8_t>(RxBuffer.data() + pos, to - pos),
                           std::chrono::duration_cast<std::chrono::microseconds>(wait));
        }
        if (got > 0) {
            pos += got;
            deadline = Clock::now() + std::chrono::milliseconds(ByteTimeout);
        } else if (Clock::now() > deadline) {
            throw Error(kDelayInBlockText);
        }
    }
}

void DeviceLink::ReceiveFrame()
{
    auto* ch = Channel();
    // The first byte may come after the request has left at this line speed.
    const double lineMs = BaudRate > 0 ? 9600.0 / BaudRate * TxLength : 0.0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeout)
        + std::chrono::milliseconds(std::lround(lineMs));
    bool got = false;
    for (;;) {
        if (ch) {
            const auto now = Clock::now();
            const auto wait = now < deadline ? std::min<Clock::duration>(deadline - now, kIdleSlice) : Clock::duration::zero();
            got = ch->Read(std::span<std::uint8_t>(RxBuffer.data(), 1),
                           std::chrono::duration_cast<std::chrono::microseconds>(wait)) == 1;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Idle();
        if (got || Clock::now() > deadline)
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
    if (!CheckReply())
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

void DeviceLink::Execute()
{
    EndFrame();
    if (PortMode != 0)
        Pause(std::chrono::milliseconds(2));
    for (int attempt = 1;; ++attempt) {
        try {
            Transact();
            break;
        } catch (const Error&) {
            if (attempt == 3)
                throw;
        }
        Pause(kRetryPause);
    }
    RxPos = StatusIndex() + 1;
}

void DeviceLink::ExecuteOnce()
{
    EndFrame();
    if (PortMode != 0)
        Pause(std::chrono::milliseconds(20));
    Transact();
    RxPos = StatusIndex() + 1;
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
