#pragma once
// Our own reference layout of the device's 8192-byte settings memory: used by
// the simulator, the tests and new settings files. Block 1 holds the section
// directory; sections 1..11 follow one another from device address 96, each
// with a device length of its record size + 4. Its records are the model's
// defaults, except for the dials and graphs, which the defaults leave without
// parameters and with colour roles 0 (black on black): the reference layout
// gives them both, so that a new settings file shows every screen.
#include "model/SettingsModel.h"

#include <cstdint>
#include <vector>

namespace tc {

constexpr std::size_t kDeviceMemorySize = 8192;
constexpr std::uint16_t kReferenceFirstSection = 96;
constexpr std::uint8_t kReferenceFormatVersion = 7;

// Scheme bytes 40..54 (graph axes .. high-consumption scale) of the day and
// night schemes in the reference layout.
constexpr std::size_t kGraphAndDialRoleCount = 15;
constexpr std::uint8_t kReferenceGraphAndDialRoles[2][kGraphAndDialRoleCount] = {
    {15, 4, 11, 10, 1, 0, 15, 1, 1, 15, 15, 9, 9, 4, 2},
    {11, 0, 2, 14, 4, 0, 11, 4, 4, 7, 7, 2, 2, 0, 9},
};
static_assert(static_cast<std::size_t>(ColourRole::HighConsumptionScale) - static_cast<std::size_t>(ColourRole::GraphAxes) + 1
              == kGraphAndDialRoleCount);

// The parameter codes of the eight dials (left, right) and the eight graph
// screens (upper, lower; 0 leaves the lower one out).
constexpr std::uint8_t kReferenceDials[8][2] = {{13, 12}, {14, 12}, {13, 17}, {27, 10}, {18, 16}, {20, 21}, {22, 25}, {14, 15}};
constexpr std::uint8_t kReferenceGraphs[8][2] = {{14, 13}, {12, 0}, {17, 10}, {16, 18}, {20, 27}, {25, 13}, {22, 23}, {19, 24}};

// The whole device memory with the directory and every record at its default.
std::vector<std::uint8_t> ReferenceMemory();

// Device memory (8192 bytes) <-> image (8128 bytes: blocks 1..127, then 129..255).
std::vector<std::uint8_t> ImageFromMemory(const std::vector<std::uint8_t>& memory);
// Bytes of blocks 0 and 128 come from baseMemory (zero when it is empty).
std::vector<std::uint8_t> MemoryFromImage(const std::vector<std::uint8_t>& image, std::vector<std::uint8_t> baseMemory = {});

// A model holding the reference image with every section decoded.
void LoadReferenceImage(SettingsModel& model, std::uint16_t modelCode);

} // namespace tc
