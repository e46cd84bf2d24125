#include "link/Frame.h"

#include "common/Bytes.h"
#include "common/Error.h"

namespace tc {

const char* const kFrameBoundsText = "Range check error";

std::optional<std::size_t> FrameFormat::StatedLength(std::span<const std::uint8_t> bytes) const
{
    if (bytes.size() < LengthBytes())
        return std::nullopt;
    return longFrame ? GetU16(bytes, 0) : bytes[0];
}

std::uint8_t Frame::Sum(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(sum % 256);
}

Frame Frame::Begin(const FrameFormat& format)
{
    Frame f;
    f.Restart(format);
    return f;
}

void Frame::Restart(const FrameFormat& format)
{
    bytes_.reserve(64);
    bytes_.assign(format.LengthBytes(), 0);
}

void Frame::PutByte(std::uint8_t b)
{
    if (bytes_.size() + 1 >= kMaxFrameSize)
        throw Error(kFrameBoundsText);
    bytes_.push_back(b);
}

void Frame::PutWord(std::uint16_t w)
{
    PutByte(static_cast<std::uint8_t>(w & 0xFF));
    PutByte(static_cast<std::uint8_t>(w >> 8));
}

void Frame::End(const FrameFormat& format)
{
    const std::size_t length = bytes_.size() + 1;
    if (length > (format.longFrame ? 65535u : 255u) || bytes_.size() >= kMaxFrameSize || bytes_.size() < format.LengthBytes())
        throw Error(kFrameBoundsText);
    if (format.longFrame)
        PutU16(bytes_, 0, static_cast<std::uint16_t>(length));
    else
        bytes_[0] = static_cast<std::uint8_t>(length);
    bytes_.push_back(static_cast<std::uint8_t>((256 - Sum(bytes_)) % 256));
}

std::span<const std::uint8_t> Frame::Data(const FrameFormat& format) const
{
    const std::size_t from = format.StatusIndex() + 1;
    if (bytes_.size() < from + 1)
        return {};
    return std::span<const std::uint8_t>(bytes_).subspan(from, bytes_.size() - 1 - from);
}

} // namespace tc
