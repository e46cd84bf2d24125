#pragma once
// FrameBuffers: the request and reply buffers of the link and the typed
// put/get primitives that build requests and read replies.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tc {

constexpr std::size_t kFrameBufferSize = 2048;

class FrameBuffers {
public:
    virtual ~FrameBuffers() = default;

    std::array<std::uint8_t, kFrameBufferSize> TxBuffer{};
    std::array<std::uint8_t, kFrameBufferSize> RxBuffer{};
    std::uint32_t TxLength = 0;
    std::int32_t RxPos = 0;

    virtual bool CheckReply();
    virtual void BeginFrame() { TxLength = 1; }
    virtual void EndFrame();
    void PutByte(std::uint8_t b);
    void PutWord(std::uint16_t w);
    std::uint8_t GetByte();
    std::uint16_t GetWord();
    virtual void BeginRequest(std::uint8_t address, std::uint8_t cmd) = 0;
    virtual void Execute() = 0;
    virtual void ExecuteOnce() = 0;
    virtual void Command(std::uint8_t address, std::uint8_t cmd) = 0;
    virtual int QueryAddress() = 0;

protected:
    // Takes the next count reply bytes; the buffer end is a hard limit.
    std::span<const std::uint8_t> TakeRx(std::size_t count);
    // Appends bytes one by one through PutByte.
    void PutBytes(std::span<const std::uint8_t> bytes);
    // The sum of the first n bytes modulo 256: zero over a whole frame with its check byte.
    static std::uint8_t ByteSum(const std::uint8_t* bytes, std::size_t n);
    // Sets the check byte after the TxLength bytes of the request.
    void PutCheckByte();
};

// A request that does not fit its frame, or a reply read past its buffer.
extern const char* const kFrameBoundsText; // "Range check error"

} // namespace tc
