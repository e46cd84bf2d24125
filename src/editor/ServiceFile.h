#pragma once
// The maintenance file (".qvett"): 117 bytes of record 5 without a header,
// so that the maintenance settings can be kept and carried to other
// settings: intervals, dates, the extra-systems selection, the universal
// input's calibration, the names, the usage flags and the bytes the editor
// only carries along.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tc {

class SettingsModel;

constexpr std::size_t kServiceFileSize = 117;

// One stretch of the file: `length` bytes from record 5 offset `recordOffset`.
struct ServiceFilePart {
    std::size_t fileOffset;
    std::size_t length;
    std::size_t recordOffset;
};
std::span<const ServiceFilePart> ServiceFileLayout();

// The file's bytes from record 5.
std::vector<std::uint8_t> ServiceFileBytes(const SettingsModel& model);
// Copies the file's bytes into record 5. A short file fills only the parts
// it holds whole: a part cut off by the end of the file keeps its old bytes.
// Bytes past the format's end are not read.
void ApplyServiceFile(SettingsModel& model, std::span<const std::uint8_t> bytes);

// Writes the file through a temporary file renamed over the target; throws
// tc::Error with the user text, and the old file stays.
void SaveServiceFile(const SettingsModel& model, const std::string& path);
// Reads a regular file and applies it; throws tc::Error with the user text
// for a missing, unreadable or empty file, a folder or a device, and then
// changes nothing.
void LoadServiceFile(SettingsModel& model, const std::string& path);

} // namespace tc
