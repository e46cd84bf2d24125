#include "link/FrameBuffers.h"

#include "common/Bytes.h"
#include "common/Error.h"

#include <array>

namespace tc {

const char* const kFrameBoundsText = "Range check error";

std::uint8_t FrameBuffers::ByteSum(const std::uint8_t* bytes, std::size_t n)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>(sum % 256);
}

void FrameBuffers::PutCheckByte()
{
    TxBuffer[TxLength] = static_cast<std::uint8_t>((256 - ByteSum(TxBuffer.data(), TxLength)) % 256);
}

bool FrameBuffers::CheckReply()
{
    return ByteSum(RxBuffer.data(), RxBuffer[0]) == 0;
}

void FrameBuffers::EndFrame()
{
    const std::uint32_t length = TxLength + 1;
    if (length > 255 || TxLength >= kFrameBufferSize)
        throw Error(kFrameBoundsText);
    TxBuffer[0] = static_cast<std::uint8_t>(length);
    PutCheckByte();
}

void FrameBuffers::PutByte(std::uint8_t b)
{
    // One byte must stay free for the checksum.
    if (TxLength + 1 >= kFrameBufferSize)
        throw Error(kFrameBoundsText);
    TxBuffer[TxLength++] = b;
}

void FrameBuffers::PutBytes(std::span<const std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        PutByte(b);
}

void FrameBuffers::PutWord(std::uint16_t w)
{
    std::array<std::uint8_t, 2> b{};
    PutU16(b, 0, w);
    PutBytes(b);
}

std::span<const std::uint8_t> FrameBuffers::TakeRx(std::size_t count)
{
    if (RxPos < 0 || static_cast<std::size_t>(RxPos) > kFrameBufferSize - count)
        throw Error(kFrameBoundsText);
    const std::span<const std::uint8_t> taken(RxBuffer.data() + RxPos, count);
    RxPos += static_cast<std::int32_t>(count);
    return taken;
}

std::uint8_t FrameBuffers::GetByte()
{
    return GetU8(TakeRx(1), 0);
}

std::uint16_t FrameBuffers::GetWord()
{
    return GetU16(TakeRx(2), 0);
}

} // namespace tc
