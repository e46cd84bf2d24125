#include "common/WinSystem.h"

#include "common/WideText.h"

#include <windows.h>

namespace tc::win {

std::wstring Wide(const std::string& utf8)
{
    const std::u16string u = Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string Narrow(const std::wstring& wide)
{
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string SystemReason(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason;
    if (n > 0 && text != nullptr)
        reason.assign(text, n);
    if (text != nullptr)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' || reason.back() == L' ' || reason.back() == L'.'))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(error) : Narrow(reason);
}

} // namespace tc::win
