#pragma once
// Whole-file reads and crash-safe writes: the new content goes to a temporary
// file beside the target, is flushed to disk and then renamed over it, so a
// failed save never destroys the old file.
#include "common/Language.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tc {

// Throws tc::Error with a user text (in `language`) naming the file and the system's reason.
// Only a regular file is read: a pipe, a device or a folder is refused at
// once instead of waiting for a writer that never comes.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxSize, Language language);

// Checks, without changing anything, that a save to `path` can work: a
// symbolic link is followed to the file it names, which must be a regular
// file the user may write or not exist yet, in a folder the user may write.
// Returns the path that a save replaces (the link's target); throws tc::Error.
std::string CheckSaveTarget(const std::string& path, Language language);

// Saves through symbolic links (the link stays, its target gets the content)
// and keeps a replaced file's permissions. The temporary file has no name
// while it is written; where the file system cannot do that, it is named
// ".NAME.tmp-XXXXXX", locked while its writer lives, and the next save of
// NAME removes such files that a killed writer left behind.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, Language language);

// For tests: true makes saves take the named temporary file at once, as on a
// file system without unnamed files.
void UseNamedTemporaryFiles(bool named);

} // namespace tc
