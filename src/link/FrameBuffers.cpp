#include "link/FrameBuffers.h"

#include "common/Error.h"

#include <cstring>

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

void FrameBuffers::PutWord(std::uint16_t w)
{
    PutByte(static_cast<std::uint8_t>(w & 0xFF));
    PutByte(static_cast<std::uint8_t>(w >> 8));
}

void FrameBuffers::PutLongInt(std::int32_t i)
{
    const auto u = static_cast<std::uint32_t>(i);
    for (int k = 0; k < 4; ++k)
        PutByte(static_cast<std::uint8_t>((u >> (8 * k)) & 0xFF));
}

void FrameBuffers::PutSingle(float f)
{
    std::int32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutLongInt(bits);
}

std::uint8_t FrameBuffers::TakeRx()
{
    if (RxPos < 0 || static_cast<std::size_t>(RxPos) >= kFrameBufferSize)
        throw Error(kRangeCheckError);
    return RxBuffer[static_cast<std::size_t>(RxPos++)];
}

std::uint8_t FrameBuffers::GetByte()
{
    return TakeRx();
}

std::uint16_t FrameBuffers::GetWord()
{
    const std::uint16_t lo = TakeRx();
    const std::uint16_t hi = TakeRx();
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::int32_t FrameBuffers::GetLongInt()
{
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k)
        v |= static_cast<std::uint32_t>(TakeRx()) << (8 * k);
    return static_cast<std::int32_t>(v);
}

float FrameBuffers::GetSingle()
{
    const std::int32_t bits = GetLongInt();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double FrameBuffers::GetDouble()
{
    std::uint64_t v = 0;
    for (int k = 0; k < 8; ++k)
        v |= static_cast<std::uint64_t>(TakeRx()) << (8 * k);
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

} // namespace tc
