#pragma once
// Little-endian field access on byte spans, as the device stores every
// multi-byte field. Out-of-range access throws instead of reading past the end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace tc {

inline void CheckRange(std::size_t size, std::size_t offset, std::size_t width)
{
    if (offset > size || width > size - offset)
        throw std::out_of_range("byte field outside its buffer");
}

inline std::uint8_t GetU8(std::span<const std::uint8_t> b, std::size_t off)
{
    CheckRange(b.size(), off, 1);
    return b[off];
}

inline std::uint16_t GetU16(std::span<const std::uint8_t> b, std::size_t off)
{
    CheckRange(b.size(), off, 2);
    return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}

inline std::int16_t GetS16(std::span<const std::uint8_t> b, std::size_t off)
{
    return static_cast<std::int16_t>(GetU16(b, off));
}

inline std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t off)
{
    CheckRange(b.size(), off, 4);
    return static_cast<std::uint32_t>(b[off]) | (static_cast<std::uint32_t>(b[off + 1]) << 8)
        | (static_cast<std::uint32_t>(b[off + 2]) << 16) | (static_cast<std::uint32_t>(b[off + 3]) << 24);
}

inline std::int32_t GetS32(std::span<const std::uint8_t> b, std::size_t off)
{
    return static_cast<std::int32_t>(GetU32(b, off));
}

inline float GetF32(std::span<const std::uint8_t> b, std::size_t off)
{
    const std::uint32_t bits = GetU32(b, off);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline std::uint64_t GetU64(std::span<const std::uint8_t> b, std::size_t off)
{
    CheckRange(b.size(), off, 8);
    return static_cast<std::uint64_t>(GetU32(b, off)) | (static_cast<std::uint64_t>(GetU32(b, off + 4)) << 32);
}

inline double GetF64(std::span<const std::uint8_t> b, std::size_t off)
{
    const std::uint64_t bits = GetU64(b, off);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void PutU8(std::span<std::uint8_t> b, std::size_t off, std::uint8_t v)
{
    CheckRange(b.size(), off, 1);
    b[off] = v;
}

inline void PutU16(std::span<std::uint8_t> b, std::size_t off, std::uint16_t v)
{
    CheckRange(b.size(), off, 2);
    b[off] = static_cast<std::uint8_t>(v & 0xFF);
    b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutU32(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v)
{
    CheckRange(b.size(), off, 4);
    for (int i = 0; i < 4; ++i)
        b[off + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

inline void PutF32(std::span<std::uint8_t> b, std::size_t off, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutU32(b, off, bits);
}

} // namespace tc
