#pragma once
// Windows only: what the Windows sides of the core share.
#ifdef _WIN32
#include <string>

namespace tc::win {

// A UTF-8 name as the wide string the W functions take.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The system's text for an error code (GetLastError), as UTF-8.
std::string SystemReason(unsigned long error);

} // namespace tc::win
#endif
