#pragma once
// The simulated trip computer's behaviour, without any I/O: it takes request
// frames and gives reply frames, keeping an 8192-byte settings memory.
#include "common/Device.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <random>
#include <span>
#include <vector>

namespace tc::sim {

struct SimFaults {
    unsigned corruptEvery = 0; // every Nth reply carries a wrong checksum
    unsigned busyEvery = 0;    // every Nth reply is status 255 (nothing done)
    bool silent = false;       // never answers
    long stallAfter = -1;      // answers the first N requests only (-1: always)
    unsigned dropSection = 0;  // the Nth section written (from 1) is acknowledged but not stored
    long stallAfterSection = -1; // once N sections are written, answers nothing from the next begin-section on
    // The first request for each of these blocks is answered this much late
    // (a busy unit, a slow adapter); the requests after it wait their turn.
    std::map<std::uint16_t, std::chrono::milliseconds> lateBlocks{};
    unsigned noiseEvery = 0;   // every Nth reply is followed by a few bytes of line noise
    unsigned noiseBytes = 3;   // how many: kNoise over and over
    // Random faults, the same for the same seed: each reply is busy with
    // probability busyRate, else carries a wrong checksum with probability
    // corruptRate (both 0..1).
    double corruptRate = 0.0;
    double busyRate = 0.0;
    std::uint32_t seed = 1;
    // Every Nth reply is sent twice, the copy right behind it.
    unsigned duplicateEvery = 0;
    // The reply to request N (counted from 1) leaves MS late and the ones
    // after it wait their turn: the line goes quiet for a while, as when a
    // USB adapter pauses.
    std::map<unsigned long, std::chrono::milliseconds> pauses{};
    // A reply carrying data is spoilt with probability spoilRate: spoilBytes
    // of its data bytes changed, and with probability spoilValid (of the
    // spoilt ones) so that its check byte still sums right, as two faults on
    // a bad line sometimes cancel out.
    double spoilRate = 0.0;
    unsigned spoilBytes = 2;
    double spoilValid = 0.0;
};

// The bytes of line noise that follow a reply.
inline constexpr std::uint8_t kNoise[] = {0x00, 0xFF, 0x55};
// A request that stops for this long is dropped.
inline constexpr std::chrono::milliseconds kFrameGap{100};

// Collects request bytes into whole frames; a frame starts with its length.
class FrameAssembler {
public:
    // Appends bytes; returns every frame they complete.
    std::vector<std::vector<std::uint8_t>> Feed(std::span<const std::uint8_t> bytes);
    // Drops a partial frame (after a pause on the line).
    void Reset() { partial_.clear(); }
    bool Partial() const { return !partial_.empty(); }

private:
    std::vector<std::uint8_t> partial_;
};

class SimDevice {
public:
    static constexpr std::uint8_t kAddress = device::kAddress;
    static constexpr std::size_t kMemorySize = device::kMemorySize;

    SimDevice(std::vector<std::uint8_t> memory, std::uint16_t modelCode, SimFaults faults = {});

    // What the device does with one request frame: its reply (empty when it
    // stays silent), how long it takes before answering, and the line noise
    // that follows the reply.
    struct Answer {
        std::vector<std::uint8_t> reply;
        std::chrono::milliseconds delay{0};
        std::vector<std::uint8_t> noise;
        bool twice = false; // the reply goes out a second time, right behind the first
    };
    Answer Respond(std::span<const std::uint8_t> frame);
    // The reply alone.
    std::vector<std::uint8_t> Handle(std::span<const std::uint8_t> frame) { return Respond(frame).reply; }

    const std::vector<std::uint8_t>& Memory() const { return memory_; }
    // True once after each completed section write.
    bool TakeMemoryChanged();
    unsigned long Requests() const { return requests_; }
    // Sections whose end was acknowledged (dropped ones included).
    unsigned long SectionsEnded() const { return sectionsEnded_; }

private:
    std::vector<std::uint8_t> Reply(std::uint8_t status, std::span<const std::uint8_t> data = {}, std::uint8_t address = kAddress);
    std::vector<std::uint8_t> Execute(std::uint8_t cmd, std::span<const std::uint8_t> params);
    // True with the given probability, from the seeded generator (drawn only for a rate above 0).
    bool Chance(double rate);
    // Changes spoilBytes data bytes of a reply, keeping its sum or not.
    void Spoil(std::vector<std::uint8_t>& reply);

    std::vector<std::uint8_t> memory_;
    std::uint16_t modelCode_;
    SimFaults faults_;
    std::mt19937 random_;
    unsigned long requests_ = 0;
    unsigned long replies_ = 0;
    bool changed_ = false;
    bool stalled_ = false;
    unsigned long sectionsEnded_ = 0;
    // The section being written: start address and the bytes received so far.
    bool sectionOpen_ = false;
    std::uint16_t sectionAddress_ = 0;
    std::vector<std::uint8_t> section_;
};

// The device's end of the line in time. Request bytes come in with the time
// they arrived; each reply leaves when the device has it ready. A request is
// taken off the line at once and answered however late; requests that arrive
// while an earlier reply is still due wait for it and are answered in order,
// as a unit does that was busy. With a character time, bytes take the time a
// 115200 baud line needs for them.
class SimLine {
public:
    using Clock = std::chrono::steady_clock;
    struct Outgoing {
        Clock::time_point at; // when the first byte leaves
        std::vector<std::uint8_t> bytes;
    };

    explicit SimLine(SimDevice& device, std::chrono::nanoseconds charTime = {});
    // Bytes that arrived at `now`; returns the replies they cause, in order.
    std::vector<Outgoing> Receive(std::span<const std::uint8_t> bytes, Clock::time_point now);

private:
    SimDevice& device_;
    std::chrono::nanoseconds charTime_;
    FrameAssembler assembler_;
    Clock::time_point lastByte_{};
    Clock::time_point requestIn_{}; // when the last request byte has fully arrived
    Clock::time_point replyOut_{};  // when the last reply has fully left
};

// The reference memory with plausible journals: trips, refuels, running
// totals and two faults, one with a freeze frame.
std::vector<std::uint8_t> SampleMemory();
void AddSampleJournals(std::vector<std::uint8_t>& memory);

} // namespace tc::sim
