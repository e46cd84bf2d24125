#pragma once
// The trip computer as this program meets it: the geometry of its settings
// memory, its serial line, and every timeout and pause of the link. Code that
// counts memory bytes or waits for the device takes its numbers from here.
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tc::device {

// ---- Settings memory -------------------------------------------------------
inline constexpr std::size_t kMemorySize = 8192;
inline constexpr std::size_t kBlockSize = 32;
inline constexpr std::size_t kBlockCount = kMemorySize / kBlockSize;   // 256
inline constexpr std::size_t kBlocksPerHalf = kBlockCount / 2;         // 128
// Blocks 0 and 128 are never read; the image holds the other 254 in order.
inline constexpr std::size_t kBlocksRead = kBlockCount - 2;
inline constexpr std::size_t kImageSize = kBlocksRead * kBlockSize;    // 8128

// ---- Serial line -----------------------------------------------------------
inline constexpr std::uint8_t kAddress = 244;
inline constexpr std::uint32_t kBaudRate = 115200;
// One character: start bit, 8 data bits, no parity, 2 stop bits.
inline constexpr unsigned kBitsPerChar = 11;
inline constexpr std::chrono::nanoseconds kCharTime{std::int64_t{kBitsPerChar} * 1000000000 / kBaudRate};

// ---- Link timing -----------------------------------------------------------
// Longest gap between two bytes of one reply.
inline constexpr std::chrono::milliseconds kByteTimeout{200};
// Wait for the first reply byte, before a transfer sets its own.
inline constexpr std::chrono::milliseconds kReplyTimeout{1000};
// The transfers' waits for the first reply byte: connect and the memory read,
// and the section writes (the device stores while it answers).
inline constexpr std::chrono::milliseconds kConnectReplyTimeout{100};
inline constexpr std::chrono::milliseconds kWriteReplyTimeout{2000};
// After a complete reply that was refused (wrong check byte, busy), the line
// must stay silent this long before the request goes out again.
inline constexpr std::chrono::milliseconds kRetryPause{50};
// After a reply that did not come (or came cut short), and after stray bytes,
// the line must stay silent this long before the next request: a reply that
// is late has the time to arrive, and is discarded instead of being taken as
// the answer to the next request.
inline constexpr std::chrono::milliseconds kQuietTime{250};
// By default, once every byte on the line is accounted for (a whole reply
// for each request, or noise that holds none), the line need only stay
// silent this long before the next request: longer than twenty characters
// at 115200 baud and than a USB adapter's low-latency timer, so that bytes
// still coming right behind a frame are seen. The classic timing waits
// kRetryPause and kQuietTime instead.
inline constexpr std::chrono::milliseconds kLineQuiet{2};
// A reply this long after its request (or after the wait for it, when that
// is longer) no longer comes: until then, a request that went unanswered may
// still be answered, and the line is not taken to be in step.
inline constexpr std::chrono::milliseconds kLateReplyLimit{1200};
// By default the last attempt of a request waits this long for its first
// byte, so that one long hiccup (a reply up to 1.5 s late, a USB adapter
// pausing) is outlived, while a unit that stopped answering still fails in
// about two seconds. The classic timing waits as long as the other attempts.
inline constexpr std::chrono::milliseconds kLastAttemptWait{1700};
// A line that never falls silent this long is not a device answering us.
inline constexpr std::chrono::milliseconds kDrainLimit{3000};
// Pauses before a request on shared (RS422/RS485) lines: before the
// repeated exchange, and before a single exchange.
inline constexpr std::chrono::milliseconds kSharedLinePause{2};
inline constexpr std::chrono::milliseconds kSharedLinePauseOnce{20};
// Longest wait inside the link before the user interface gets its turn.
inline constexpr std::chrono::milliseconds kIdleSlice{10};
// A request that the line takes no byte of for this long is given up (the
// exchange then reports no reply).
inline constexpr std::chrono::milliseconds kWriteStall{1000};
// Between two tries to lock a port that another program is opening.
inline constexpr std::chrono::milliseconds kPortLockPause{5};
// The command line gives up connecting after this long unless told otherwise.
inline constexpr std::chrono::seconds kConnectGiveUp{10};

} // namespace tc::device
