#pragma once
// Whole-file reads and crash-safe writes: the new content goes to a temporary
// file beside the target, is flushed to disk and then renamed over it, so a
// failed save never destroys the old file.
#include <cstdint>
#include <string>
#include <vector>

namespace tc {

// Throws tc::Error with a user text naming the file and the system's reason.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxSize);
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace tc
