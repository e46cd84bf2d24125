#include "link/FrameBuffers.h"

#include "common/Bytes.h"
#include "common/Error.h"

#include <array>

namespace tc {

const char* const kRangeCheckError = "Range check error";

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
        throw Error(kRangeCheckError);
    TxBuffer[0] = static_cast<std::uint8_t>(length);
    PutCheckByte();
}

void FrameBuffers::PutByte(std::uint8_t b)
{
    // One byte must stay free for the checksum.
    if (TxLength + 1 >= kFrameBufferSize)
        throw Error(kRangeCheckError);
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

void FrameBuffers::PutLongInt(std::int32_t i)
{
    std::array<std::uint8_t, 4> b{};
    PutU32(b, 0, static_cast<std::uint32_t>(i));
    PutBytes(b);
}

void FrameBuffers::PutSingle(float f)
{
    std::array<std::uint8_t, 4> b{};
    PutF32(b, 0, f);
    PutBytes(b);
}

std::span<const std::uint8_t> FrameBuffers::TakeRx(std::size_t count)
{
    if (RxPos < 0 || static_cast<std::size_t>(RxPos) > kFrameBufferSize - count)
        throw Error(kRangeCheckError);
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

std::int32_t FrameBuffers::GetLongInt()
{
    return GetS32(TakeRx(4), 0);
}

float FrameBuffers::GetSingle()
{
    return GetF32(TakeRx(4), 0);
}

double FrameBuffers::GetDouble()
{
    return GetF64(TakeRx(8), 0);
}

} // namespace tc
