#pragma once
// Our own reference layout of the device's 8192-byte settings memory: used by
// the simulator, the tests and new settings files. Block 1 holds the section
// directory; sections 1..11 follow one another from device address 96, each
// with a device length of its record size + 4.
#include "model/SettingsModel.h"

#include <cstdint>
#include <vector>

namespace tc {

constexpr std::size_t kDeviceMemorySize = 8192;
constexpr std::uint16_t kReferenceFirstSection = 96;
constexpr std::uint8_t kReferenceFormatVersion = 7;

// The whole device memory with the directory and every record at its default.
std::vector<std::uint8_t> ReferenceMemory();

// Device memory (8192 bytes) <-> image (8128 bytes: blocks 1..127, then 129..255).
std::vector<std::uint8_t> ImageFromMemory(const std::vector<std::uint8_t>& memory);
// Bytes of blocks 0 and 128 come from baseMemory (zero when it is empty).
std::vector<std::uint8_t> MemoryFromImage(const std::vector<std::uint8_t>& image, std::vector<std::uint8_t> baseMemory = {});

// A model holding the reference image with every section decoded.
void LoadReferenceImage(SettingsModel& model, std::uint16_t modelCode);

} // namespace tc
