#pragma once
// The settings file: the device model code followed by the scrambled image.
#include "model/SettingsModel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tc {

constexpr std::size_t kSettingsKeySize = 4096;
constexpr std::size_t kMaxImageSize = 8128; // 8192 bytes without blocks 0 and 128
const std::array<std::uint8_t, kSettingsKeySize>& SettingsKey();

// The file's bytes for a model code and an image (scrambling is its own inverse).
std::vector<std::uint8_t> EncodeSettingsFile(std::uint16_t modelCode, const std::vector<std::uint8_t>& image);

// Writes DeviceModelCode and Image; the old file is replaced only once the new one is complete.
void WriteSettingsFile(const SettingsModel& model, const std::string& fileName);

// Reads a file into DeviceModelCode and Image. The image bytes of the file
// replace the image from offset 0 on; bytes beyond keep their values. A file
// without a whole header, or with more image bytes than the device has, is
// refused with a tc::Error and changes nothing.
void ReadSettingsFile(SettingsModel& model, const std::string& fileName);

} // namespace tc
