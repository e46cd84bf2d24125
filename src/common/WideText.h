#pragma once
// UTF-8 (the program's own texts and file names) to UTF-16 (the Windows
// system calls) and back. Plain C++, so that both directions are tested on
// every system; the Windows sides of the file and port code use them for
// every name they hand to the system.
#include <string>

namespace tc {

// A byte sequence that is not UTF-8 (a stray continuation byte, a cut-off or
// over-long sequence, a surrogate) becomes U+FFFD, so a name never turns into
// a different valid one.
std::u16string Utf8ToUtf16(const std::string& utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& utf16);

} // namespace tc

#include <filesystem>

namespace tc {

// A std::filesystem path from a UTF-8 name and back, the same on every
// system (a narrow string alone means the ANSI code page on Windows).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

} // namespace tc
