#pragma once
// The simulated trip computer's behaviour, without any I/O: it takes request
// frames and gives reply frames, keeping an 8192-byte settings memory.
#include <cstddef>
#include <cstdint>
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
};

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
    static constexpr std::uint8_t kAddress = 244;
    static constexpr std::size_t kMemorySize = 8192;

    SimDevice(std::vector<std::uint8_t> memory, std::uint16_t modelCode, SimFaults faults = {});

    // The reply to one request frame; empty when the device stays silent.
    std::vector<std::uint8_t> Handle(std::span<const std::uint8_t> frame);

    const std::vector<std::uint8_t>& Memory() const { return memory_; }
    // True once after each completed section write.
    bool TakeMemoryChanged();
    unsigned long Requests() const { return requests_; }
    // Sections whose end was acknowledged (dropped ones included).
    unsigned long SectionsEnded() const { return sectionsEnded_; }

private:
    std::vector<std::uint8_t> Reply(std::uint8_t status, std::span<const std::uint8_t> data = {}, std::uint8_t address = kAddress);
    std::vector<std::uint8_t> Execute(std::uint8_t cmd, std::span<const std::uint8_t> params);

    std::vector<std::uint8_t> memory_;
    std::uint16_t modelCode_;
    SimFaults faults_;
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

// The reference memory with plausible journals: trips, refuels, running
// totals and two faults, one with a freeze frame.
std::vector<std::uint8_t> SampleMemory();
void AddSampleJournals(std::vector<std::uint8_t>& memory);

} // namespace tc::sim
