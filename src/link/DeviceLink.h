#pragma once
// DeviceLink: the request-reply protocol to the trip computer over a serial line:
// framing, reply timing, three attempts, keeping in step with the line, and
// the fixed error messages.
#include "common/Device.h"
#include "link/Clock.h"
#include "link/Frame.h"
#include "link/SerialPort.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tc {

constexpr std::uint8_t kTripComputerAddress = device::kAddress;

// The link's own messages; they do not follow the language switch.
extern const char* const kNoLinkText;       // "RS232. No link. Check PC-device connection."
extern const char* const kDelayInBlockText; // "RS232. Delay within block error."
extern const char* const kExchangeErrorText; // "RS232. Exchange error." + "(n)"
extern const char* const kDeviceBusyText;   // the device answered with status 255
extern const char* const kOnlyOneDeviceText; // asked before an address query on a shared line

// Replies carry no block number, so the link keeps itself in step with the
// line: a request goes out only on a silent line, a reply that did not come in
// time is given the time to arrive and discarded before the request is sent
// again, and bytes found on the line before a request mean that the reply
// accepted before may have answered an older request (OutOfStep()).
class DeviceLink : public SerialPort {
public:
    // Every time and every wait of the link comes from the clock (the
    // steady clock when none is given).
    explicit DeviceLink(std::shared_ptr<PortSystem> system = DefaultPortSystem(), std::shared_ptr<Clock> clock = {});

    const std::shared_ptr<Clock>& TheClock() const { return clock_; }

    std::uint8_t PortMode = 0;  // 0 RS232, 1 RS422/RS485 without echo, 2 RS485 with echo
    bool ShortAddress = false;  // no 16-bit word after the address
    bool LongFrame = false;     // two length bytes
    std::chrono::milliseconds ByteTimeout = device::kByteTimeout;   // for each reply byte after the first
    std::chrono::milliseconds ReplyTimeout = device::kReplyTimeout; // base wait for the first reply byte
    // With ClassicTiming: how long the line must stay silent after a missing
    // reply or stray bytes (by default device::kLineQuiet).
    std::chrono::milliseconds QuietTime = device::kQuietTime;
    // A memory read reads every block twice, whatever the line does.
    bool ReadTwice = false;
    // The link's original timing: every attempt waits ReplyTimeout for its
    // first byte, the first byte that comes is taken for the reply's length,
    // and the line is held quiet for fixed times after trouble. By default
    // the last attempt waits at least device::kLastAttemptWait, so that a
    // reply that is long late is still taken instead of failing the
    // transfer; bytes that cannot start a reply are skipped; and once the
    // line's bytes are accounted for it need only be silent in its own time.
    bool ClassicTiming = false;

    void SetPortMode(std::uint8_t m) { PortMode = m < 3 ? m : 0; }
    FrameFormat Format() const { return {LongFrame, ShortAddress}; }
    int StatusIndex() const { return static_cast<int>(Format().StatusIndex()); }
    // Whether a frame carries the address bytes of the request just sent (a reply to us).
    bool AddressedToUs(std::span<const std::uint8_t> frame) const;

    // Building a request: the address, the word 1 (unless ShortAddress) and
    // the command, then its parameters; Execute sends it.
    void BeginRequest(std::uint8_t address, std::uint8_t cmd);
    void PutByte(std::uint8_t b) { building_.PutByte(b); }
    void PutWord(std::uint16_t w) { building_.PutWord(w); }
    // Sends the request built and takes its reply, up to three attempts;
    // throws tc::Error with the link's message when none answered it.
    void Execute();
    void ExecuteOnce();
    void Command(std::uint8_t address, std::uint8_t cmd);
    void CommandOnce(std::uint8_t address, std::uint8_t cmd);
    // The unit's own address, asked with address 0; -1 when the port is
    // closed or the user does not confirm one unit on a shared line.
    int QueryAddress();

    // The frame last sent, as it went out (length and check byte included).
    const Frame& Request() const { return request_; }
    // The last whole reply taken, and its data (between status and check byte).
    const Frame& Reply() const { return reply_; }
    std::span<const std::uint8_t> ReplyData() const { return reply_.Data(Format()); }

    // True when the last Execute (or ExecuteOnce) found more replies on the
    // line than requests were waiting for them (before its request went out,
    // or while it drained the line): they were discarded, and every reply
    // taken since the line was last drained may have answered an older
    // request. The caller repeats those exchanges if their replies mattered.
    // Bytes that hold no reply (line noise) are discarded without a word.
    bool OutOfStep() const { return outOfStep_; }
    // True when the last exchange drained the line until quiet and found no
    // reply too many: its reply and those after it answer their own requests.
    bool Resynchronised() const { return resynced_; }
    // Watches the line for `settle` after the last reply: false when a reply
    // too many came (it is drained with whatever follows), true otherwise.
    bool StaysQuiet(std::chrono::milliseconds settle);
    // After an exchange that failed: drains the line until no reply to the
    // requests sent can come any more (their late limit has passed) and it
    // has been quiet (Quiet()), so that none of them is taken for the
    // answer to another request. It waits out the limit even when as many
    // replies came as were owed, since a copy of one reply may have made up
    // the count. True when the line held a reply too many (every reply
    // taken since it was last drained may have answered an older request).
    bool Settle();
    // The reply just taken, whole and addressed to us but not shaped like an
    // answer to the request (a connect's reply to a block read, or the other
    // way round), answered an earlier request: the line is out of step, and
    // the answer to this request is still owed. Waits until it has come (up
    // to its late limit) and the line has been quiet, so that the next
    // request finds the line in step.
    void CatchUpWithEarlierReply();
    // Replies seen damaged since the last ForgetDamage: a length that cannot
    // be, a check byte that does not sum, a reply cut short. A line that
    // damages replies may also damage one so that its sum still checks.
    int DamagedReplies() const { return damaged_; }
    void ForgetDamage() { damaged_ = 0; }

    void ClosePort() override;
    // The port as SerialPort keeps it, and "ClassicTiming" (1: on) of the same section.
    void LoadSettings(IniAccess& ini, Language language) override;

private:
    Clock::TimePoint Now() const;
    // How long the attempt under way waits for the first byte of its reply.
    std::chrono::milliseconds ReplyWait() const;
    // The one wait of the link: reads into `into` what the line brings up to
    // the deadline, keeping the windows alive meanwhile; returns how many
    // bytes came (0: none by the deadline). With nothing to read into, or no
    // open line, it only waits.
    std::size_t Await(std::span<std::uint8_t> into, Clock::TimePoint deadline);
    // The wait for one read of the line: up to the deadline, at most an idle slice.
    std::chrono::microseconds WaitUntil(Clock::TimePoint deadline) const;
    void Pause(std::chrono::milliseconds d);
    void SendFrame();
    // Takes one whole frame off the line into reply_ (throws the link's messages).
    void ReceiveFrame();
    // Whether the first bytes of a frame (its length, and its addresses when
    // they are there) can start a reply to the request sent.
    bool PlausibleHeader(std::span<const std::uint8_t> header) const;
    // Skips bytes up to the first that can start a reply and reads its
    // length and addresses into bytes; returns its length.
    std::size_t ReceiveFrameStart(std::span<std::uint8_t> bytes, Clock::TimePoint deadline);
    // How long the line must stay silent once its bytes are accounted for.
    std::chrono::milliseconds Quiet() const;
    // Whether a frame of frameSize bytes, whole now, was whole sooner than
    // the request sent and a reply of that size could have crossed a line
    // that takes its time (by default only).
    bool CameTooSoon(std::size_t frameSize);
    void Transact();
    // Reads bytes[from, to) with a fresh ByteTimeout for each byte.
    void ReceiveRest(std::span<std::uint8_t> bytes, std::size_t from, std::size_t to);
    // Discards input until the line has been silent for `quiet` (and, with
    // awaitOwed, until the replies owed have come or can no longer come);
    // with untilLimit too, until every request's late limit has passed,
    // however many replies came. `drained` holds bytes already taken. True
    // when it held more replies than requests were owed one.
    bool Drain(std::chrono::milliseconds quiet, std::vector<std::uint8_t> drained = {}, bool awaitOwed = false,
               bool untilLimit = false);
    // How many replies the bytes hold: whole frames, also those whose check
    // byte was spoilt on the line (a reply too many is never taken for noise).
    int CountReplies(std::span<const std::uint8_t> bytes) const;
    // The next byte on the line within `wait`, if any.
    std::optional<std::uint8_t> WaitingByte(std::chrono::milliseconds wait);
    // The shared body of Execute and ExecuteOnce.
    void Exchange(int attempts, std::chrono::milliseconds sharedLinePause);

    std::shared_ptr<Clock> clock_;
    Frame building_; // the request being built
    Frame request_;  // the request last ended and sent
    Frame reply_;    // the last whole reply
    Frame ending_;   // the request being ended, then the one sent before it
    std::array<std::uint8_t, kMaxFrameSize> receiving_{}; // the frame coming in
    bool outOfStep_ = false;
    bool resynced_ = false;
    // Requests sent whose reply has not been seen: they may still be
    // answered, up to owedUntil_.
    int owed_ = 0;
    Clock::TimePoint owedUntil_{};
    // The last ReceiveFrame failed before a whole reply had arrived.
    bool replyCut_ = false;
    bool lastAttempt_ = false; // the exchange is on its last of several attempts
    bool busy_ = false;        // the last attempt was answered busy
    bool answered_ = false;    // the request last sent was answered: none of it waits to be sent
    // When the request last sent began to leave, when the first byte of the
    // frame being received came, and whether the line was seen to take the
    // time its speed says since the port opened.
    Clock::TimePoint sentAt_{};
    Clock::TimePoint frameStart_{};
    std::size_t restChunks_ = 0; // the reads that brought the frame's bytes after its addresses
    bool paced_ = false;
    int damaged_ = 0;
};

} // namespace tc
