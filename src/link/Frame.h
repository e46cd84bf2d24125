#pragma once
// Frame: one frame of the device protocol as a value. A frame is its length
// (one byte, or two in the long format, counting the whole frame), the
// addresses, a command or status, data, and a check byte that makes the sum
// of all its bytes zero modulo 256.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tc {

// No frame, sent or received, is longer than this.
constexpr std::size_t kMaxFrameSize = 2048;

// A request that does not fit its frame, or data read past a reply's end.
extern const char* const kFrameBoundsText; // "Range check error"

// Where the parts of a frame lie for one line setting.
struct FrameFormat {
    bool longFrame = false;    // two length bytes
    bool shortAddress = false; // no 16-bit word after the address

    std::size_t LengthBytes() const { return longFrame ? 2 : 1; }
    // The reply's status byte (a request's command byte).
    std::size_t StatusIndex() const { return LengthBytes() + 1 + (shortAddress ? 0 : 2); }
    // The shortest reply: length, addresses, status and check byte.
    std::size_t MinReply() const { return longFrame ? 7 : shortAddress ? 4 : 6; }
    // The length that the bytes state for their frame; nullopt while the
    // length bytes have not all arrived.
    std::optional<std::size_t> StatedLength(std::span<const std::uint8_t> bytes) const;
};

class Frame {
public:
    Frame() = default;

    // A request being built: its length bytes are reserved, to be set by End.
    static Frame Begin(const FrameFormat& format);
    // A frame as it came off the line, whole.
    static Frame Received(std::span<const std::uint8_t> bytes) { return Frame(std::vector<std::uint8_t>(bytes.begin(), bytes.end())); }

    // The same as Begin and Received, in place: the frame keeps its storage,
    // so that an exchange after the first allocates nothing.
    void Restart(const FrameFormat& format);
    void Assign(std::span<const std::uint8_t> bytes) { bytes_.assign(bytes.begin(), bytes.end()); }

    // One byte must stay free for the check byte: throws kFrameBoundsText
    // beyond kMaxFrameSize.
    void PutByte(std::uint8_t b);
    void PutWord(std::uint16_t w); // little-endian
    // Sets the length and appends the check byte. Throws kFrameBoundsText
    // when the length does not fit the format's length bytes.
    void End(const FrameFormat& format);

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }
    std::uint8_t operator[](std::size_t i) const { return bytes_.at(i); }
    // The bytes between the status byte and the check byte (none when the frame holds none).
    std::span<const std::uint8_t> Data(const FrameFormat& format) const;
    // Whether all its bytes sum to zero modulo 256.
    bool SumChecks() const { return Sum(bytes_) == 0; }

    // The sum of the bytes modulo 256.
    static std::uint8_t Sum(std::span<const std::uint8_t> bytes);

    bool operator==(const Frame&) const = default;

private:
    explicit Frame(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::vector<std::uint8_t> bytes_;
};

} // namespace tc
