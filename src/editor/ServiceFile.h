#pragma once
// The maintenance file (".qvett"): 117 bytes of record 5 without a header,
// so that the maintenance settings can be kept and carried to other
// settings: intervals, dates, the extra-systems selection, the universal
// input's calibration, the names, the usage flags and the bytes the editor
// only carries along.
#include "common/Language.h"

#include <cstddef>
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
// tc::Error with the user text (in `language`), and the old file stays.
void SaveServiceFile(const SettingsModel& model, const std::string& path, Language language);
// Reads a regular file of at most the format's 117 bytes; throws tc::Error
// with the user text for a missing, unreadable or empty file, a folder or a
// device, and for a file longer than the format (naming both sizes).
std::vector<std::uint8_t> ReadServiceFile(const std::string& path, Language language);
// Reads the file (ReadServiceFile) and applies it; returns the warning for a
// file shorter than the format (empty when whole). A refused file changes nothing.
std::string LoadServiceFile(SettingsModel& model, const std::string& path, Language language);

// The side files' (maintenance and tank file) common texts: a file longer
// than its format is refused, a shorter one fills what it covers and is warned of.
std::string SideFileTooLongText(const std::string& path, std::uintmax_t size, std::size_t expected, Language language);
std::string SideFileShortText(const std::string& path, std::size_t size, std::size_t expected, Language language);
// Reads at most `expected` bytes of a regular file and refuses an empty one
// (emptyText) or one longer than `expected` (SideFileTooLongText).
std::vector<std::uint8_t> ReadSideFile(const std::string& path, std::size_t expected, const std::string& emptyText, Language language);

} // namespace tc
