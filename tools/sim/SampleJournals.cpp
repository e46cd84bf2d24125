// Journals of a car that has been driven for a while: trips and refuels in
// section 7, running totals in section 1, two faults in section 11.
#include "SimDevice.h"

#include "common/Bytes.h"
#include "model/ReferenceLayout.h"

#include <algorithm>
#include <iterator>

namespace tc::sim {

namespace {

constexpr std::size_t kDirectoryAt = 32; // block 1

// Device address of section k's payload, from the memory's own directory.
std::span<std::uint8_t> Section(std::vector<std::uint8_t>& memory, int k, std::size_t size)
{
    const std::size_t entry = kDirectoryAt + 4 * static_cast<std::size_t>(k);
    const std::size_t address = GetU16(memory, entry);
    const std::size_t payload = GetU16(memory, entry + 2) - 4u;
    CheckRange(memory.size(), address, std::min(size, payload));
    return std::span<std::uint8_t>(memory).subspan(address, std::min(size, payload));
}

struct JournalEntry {
    std::uint16_t minutes;
    std::uint8_t day, month;
    std::uint32_t seconds, metres, petrolMl, gasMl;
};

void PutEntry(std::span<std::uint8_t> rec, std::size_t at, const JournalEntry& e)
{
    PutU16(rec, at, e.minutes);
    PutU8(rec, at + 2, e.day);
    PutU8(rec, at + 3, e.month);
    PutU32(rec, at + 4, e.seconds);
    PutU32(rec, at + 8, e.metres);
    PutU32(rec, at + 12, e.petrolMl);
    PutU32(rec, at + 16, e.gasMl);
}

void PutSummator(std::span<std::uint8_t> rec, std::size_t at, std::uint32_t s, std::uint32_t m, std::uint32_t petrol, std::uint32_t gas)
{
    PutU32(rec, at, s);
    PutU32(rec, at + 4, m);
    PutU32(rec, at + 8, petrol);
    PutU32(rec, at + 12, gas);
}

} // namespace

void AddSampleJournals(std::vector<std::uint8_t>& memory)
{
    auto r7 = Section(memory, 7, 860);
    const JournalEntry trips[] = {
        {17 * 60 + 42, 7, 12, 1510, 18240, 1530, 0},   // last trip
        {8 * 60 + 15, 7, 12, 1985, 21370, 1790, 0},
        {19 * 60 + 3, 6, 12, 3620, 62410, 2210, 2650},
        {12 * 60 + 30, 5, 12, 840, 6020, 720, 0},
        {7 * 60 + 58, 5, 12, 2210, 24880, 2050, 0},
        {21 * 60 + 11, 3, 12, 5480, 97350, 1130, 5960},
    };
    for (std::size_t i = 0; i < std::size(trips); ++i)
        PutEntry(r7, 16 + 20 * i, trips[i]);
    const JournalEntry refuels[] = {
        {18 * 60 + 5, 6, 12, 10250, 184560, 13240, 2650},
        {9 * 60 + 40, 29, 11, 12880, 231700, 18950, 4120},
        {16 * 60 + 22, 20, 11, 9930, 176210, 14410, 0},
    };
    for (std::size_t i = 0; i < std::size(refuels); ++i)
        PutEntry(r7, 436 + 20 * i, refuels[i]);

    auto r1 = Section(memory, 1, 164);
    PutSummator(r1, 0, 1934520, 48213870, 3562100, 1180400); // cumulative
    PutSummator(r1, 16, 1510, 18240, 1530, 0);               // trip
    PutSummator(r1, 32, 15645, 230280, 9300, 8610);          // reset 1
    PutSummator(r1, 48, 4120, 9870, 1410, 320);              // traffic jams
    PutSummator(r1, 64, 11525, 220410, 7890, 8290);          // without jams
    PutSummator(r1, 80, 13105, 209940, 7620, 8610);          // between refuellings
    PutU32(r1, 96, 6840);                                    // petrol only
    PutU32(r1, 100, 72140);
    PutU32(r1, 104, 5610);
    PutU32(r1, 108, 8805);                                   // gas only
    PutU32(r1, 112, 158140);
    PutU32(r1, 116, 8610);
    PutU32(r1, 144, 48213);                                  // whole kilometres

    auto r11 = Section(memory, 11, 664);
    // Freeze frame PIDs present: 3, 4, 5, 6, 7, 11, 12, 13, 15, 17.
    for (int pid : {3, 4, 5, 6, 7, 11, 12, 13, 15, 17})
        r11[4 + static_cast<std::size_t>((pid - 1) / 8)] |= static_cast<std::uint8_t>(0x80 >> ((pid - 1) % 8));
    const std::size_t f0 = 16;                  // misfire with its freeze frame
    PutU16(r11, f0 + 0, 8 * 60 + 31);
    PutU8(r11, f0 + 2, 5);
    PutU8(r11, f0 + 3, 12);
    PutU32(r11, f0 + 4, 0x0301);
    PutU32(r11, f0 + 8, 0x0301);
    PutU16(r11, f0 + 12, 0x0200);               // system 1 closed loop, system 2 unused
    PutU16(r11, f0 + 14, 41);                   // load, %
    PutU16(r11, f0 + 16, 87);                   // coolant, C
    PutU16(r11, f0 + 18, static_cast<std::uint16_t>(-3)); // short trim B1, %
    PutU16(r11, f0 + 22, 4);                    // long trim B1, %
    PutU16(r11, f0 + 28, 46);                   // manifold pressure, kPa
    PutU16(r11, f0 + 30, 54);                   // speed, km/h
    PutU16(r11, f0 + 32, 2140);                 // RPM
    PutU16(r11, f0 + 36, 23);                   // intake air, C
    PutU16(r11, f0 + 40, 17);                   // throttle, %
    const std::size_t f1 = 16 + 92;             // lean mixture, no freeze frame
    PutU16(r11, f1 + 0, 17 * 60 + 2);
    PutU8(r11, f1 + 2, 28);
    PutU8(r11, f1 + 3, 11);
    PutU32(r11, f1 + 4, 0x0171);
}

std::vector<std::uint8_t> SampleMemory()
{
    std::vector<std::uint8_t> memory = ReferenceMemory();
    AddSampleJournals(memory);
    return memory;
}

} // namespace tc::sim
